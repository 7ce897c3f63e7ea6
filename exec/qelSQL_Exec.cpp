#include "qelSQL_Exec.h"

#include "qelClasses.h"
#include "qelDBEngine.h"
#include "qelDBOptions.h"
#include "qelDataSet.h"
#include "qelMsgMngr.h"

#include <fstream>

namespace qel {

TStatement::TStatement(TCustomSQLExec* Owner) : m_owner(Owner) {}
TStatement::~TStatement() = default;
std::string TStatement::GetSummary() const { return ObjName; }

TCustomSQLExec::TCustomSQLExec(TComponent* AOwner) : TComponent(AOwner), m_messages(std::make_unique<TMsgManager>()) {}
TCustomSQLExec::~TCustomSQLExec() = default;

TStatement* TCustomSQLExec::AddStatement(const std::string&, TStatType, const std::string&, TDbObject, TDbOperation,
                                         const std::string&, const std::string&)
{
    return nullptr;
}
TStatement* TCustomSQLExec::AddDescription(TDbObj&) { return nullptr; }
TStatement* TCustomSQLExec::AddComment(const std::string&) { return nullptr; }
TStatement* TCustomSQLExec::AddCommit() { return nullptr; }
void TCustomSQLExec::AddConnectStatement() {}
void TCustomSQLExec::Clear() { m_statements.clear(); }
void TCustomSQLExec::DeleteStatement(int) {}
void TCustomSQLExec::WriteScript(TStringList&, bool) {}
void TCustomSQLExec::LoadScript(const std::string&) {}
void TCustomSQLExec::LoadFromStream(std::istream*) {}
void TCustomSQLExec::ParseScript(TStringList&) {}
void TCustomSQLExec::ParseConnectString(const std::string&) {}
void TCustomSQLExec::Connect() {}
void TCustomSQLExec::Disconnect() {}
void TCustomSQLExec::ExecSingleStatement(TStatement&) {}
bool TCustomSQLExec::Execute() { m_errorCount = 0; return true; }
void TCustomSQLExec::LogNextLine(const std::string&) {}
void TCustomSQLExec::ProgressUpdate(int, int) {}
void TCustomSQLExec::ErrorMessage(const std::string&) { ++m_errorCount; }
void TCustomSQLExec::DoStatementAdd(TStatement&, bool&) {}
void TCustomSQLExec::DoBeforeStatementExecute(int) {}
void TCustomSQLExec::DoAfterStatementExecute(int) {}
std::unique_ptr<TStatement> TCustomSQLExec::CreateStatement() { return std::make_unique<TStatement>(this); }

bool MatchNameMask(std::string_view, std::string_view) { return false; }
bool NameFilterAccepts(std::string_view, const TStringList&, const TStringList&) { return true; }
std::string HideStatementPassword(std::string_view Text) { return std::string(Text); }
bool ParseBlobParamName(std::string_view, std::uint64_t&, std::uint64_t&) { return false; }

struct TSQLExec::TBlobFile {
    std::ifstream Stream;
};

TSQLExec::TSQLExec(TComponent* AOwner)
    : TCustomSQLExec(AOwner),
      m_connectionOptions(std::make_unique<TConnectionOptions>()),
      m_IBServerOptions(std::make_unique<TIBSQLExecOptions>()),
      m_MSSQLServerOptions(std::make_unique<TMSSQLServerOptions>()),
      m_MySQLServerOptions(std::make_unique<TMySQLServerOptions>()),
      m_ASAServerOptions(std::make_unique<TASAServerOptions>()),
      m_ASEServerOptions(std::make_unique<TASEServerOptions>()),
      m_OracleServerOptions(std::make_unique<TOracleServerOptions>()),
      m_PGSQLServerOptions(std::make_unique<TPGSQLServerOptions>()),
      m_DB2ServerOptions(std::make_unique<TDB2ServerOptions>())
{
}
TSQLExec::~TSQLExec() = default;

void TSQLExec::SetConnectionOptions(const TConnectionOptions& Value) { m_connectionOptions->Assign(Value); }
void TSQLExec::SetIBServerOptions(const TIBServerOptions& Value) { m_IBServerOptions->Assign(Value); }
void TSQLExec::SetMSSQLServerOptions(const TMSSQLServerOptions& Value) { m_MSSQLServerOptions->Assign(Value); }
void TSQLExec::SetMySQLServerOptions(const TMySQLServerOptions& Value) { m_MySQLServerOptions->Assign(Value); }
void TSQLExec::SetASAServerOptions(const TASAServerOptions& Value) { m_ASAServerOptions->Assign(Value); }
void TSQLExec::SetASEServerOptions(const TASEServerOptions& Value) { m_ASEServerOptions->Assign(Value); }
void TSQLExec::SetOracleServerOptions(const TOracleServerOptions& Value) { m_OracleServerOptions->Assign(Value); }
void TSQLExec::SetPGSQLServerOptions(const TPGSQLServerOptions& Value) { m_PGSQLServerOptions->Assign(Value); }
void TSQLExec::SetDB2ServerOptions(const TDB2ServerOptions& Value) { m_DB2ServerOptions->Assign(Value); }
void TSQLExec::SetQELConnection(TQELCustomConnection* Value) { m_connection = Value; }
void TSQLExec::Clear() { TCustomSQLExec::Clear(); }
void TSQLExec::ErrorMessage(const std::string& Text) { TCustomSQLExec::ErrorMessage(Text); }
TStatement* TSQLExec::AddCommit() { return nullptr; }
TStatement* TSQLExec::AddComment(const std::string&) { return nullptr; }
void TSQLExec::AddConnectStatement() {}
void TSQLExec::WriteScript(TStringList&, bool) {}
void TSQLExec::Connect() {}
void TSQLExec::Disconnect() {}
void TSQLExec::ExecSingleStatement(TStatement&) {}
bool TSQLExec::Execute() { return true; }
int TSQLExec::AddScriptLines(std::string_view, TStringList&) { return 0; }
int TSQLExec::PosEx(std::string_view, std::string_view, int) { return 0; }
std::string TSQLExec::QuoteName(const std::string& Name) const { return Name; }
void TSQLExec::ApplyOptions() {}
bool TSQLExec::ExecuteStatement(TStatement&) { return true; }
void TSQLExec::GetParamValue(TParam&) {}
void TSQLExec::Notification(TComponent* AComponent, TOperation Operation) { TCustomSQLExec::Notification(AComponent, Operation); }
bool TSQLExec::ExecDescription() { return true; }
bool TSQLExec::FillBlobParams() { return true; }
bool TSQLExec::ExecConnect() { return true; }
bool TSQLExec::ExecReconnect() { return true; }
bool TSQLExec::ExecCreateDatabase() { return true; }
bool TSQLExec::ExecDescriptionStatement() { return true; }
bool TSQLExec::ExecSetBlobFile() { return true; }
bool TSQLExec::ExecDML() { return true; }
bool TSQLExec::ExecSQL() { return true; }
bool TSQLExec::Connected() { return false; }
bool TSQLExec::InTransaction() { return false; }
bool TSQLExec::CommitPending() { return true; }
void TSQLExec::RollbackPending(const std::string&) {}
void TSQLExec::CheckTransactionLost(const std::exception&) {}
void TSQLExec::ClearBlobFile() {}
void TSQLExec::LogStatement(const std::string&, const TStatement&) {}
void TSQLExec::EnsureQuery() {}

} // namespace qel
