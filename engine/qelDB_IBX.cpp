#include "qelDB_IBX.h"

#include "qelDataSet.h"
#include "qelErrors.h"
#include "qelIBClient.h"
#include "qelText.h"

namespace qel {

namespace {

// Connect parameter lines, each only when its value is given.
void AddParam(TStringList& params, const char* name, const std::string& value)
{
    if (!value.empty()) params.Add(std::string(name) + "=" + value);
}

TIBProtocol ClientProtocol(TQELProtocol p)
{
    switch (p) {
    case TQELProtocol::ptTCP: return TIBProtocol::TCP;
    case TQELProtocol::ptSPX: return TIBProtocol::SPX;
    case TQELProtocol::ptNamedPipe: return TIBProtocol::NamedPipe;
    case TQELProtocol::ptLocal: return TIBProtocol::Local;
    }
    return TIBProtocol::Local;
}

} // namespace

TQELIBXDatabase::TQELIBXDatabase(TQELCustomConnection* Connection)
    : TQELDatabase(Connection),
      m_database(std::make_unique<TIBDatabase>()),
      m_transaction(std::make_unique<TIBTransaction>()),
      m_ddlTransaction(std::make_unique<TIBTransaction>()),
      m_info(std::make_unique<TIBDatabaseInfo>()),
      m_service(std::make_unique<TIBServerProperties>())
{
    // isql's transactions: a script that meets a lock waits for it, as it
    // does in isql, instead of failing at once.
    m_transaction->Params().SetLines({"concurrency", "wait", "write"});
    m_transaction->SetDefaultDatabase(m_database.get());
    m_ddlTransaction->Params().SetLines({"concurrency", "wait", "write"});
    m_ddlTransaction->SetDefaultDatabase(m_database.get());
    m_database->SetDefaultTransaction(m_transaction.get());
    m_info->SetDatabase(m_database.get());
}

TQELIBXDatabase::~TQELIBXDatabase()
{
    // Never commits here: an open transaction is rolled back by the client layer.
    m_info.reset();
    m_ddlTransaction.reset();
    m_transaction.reset();
    m_database.reset();
}

bool TQELIBXDatabase::GetConnected() { return m_database->Connected(); }

void TQELIBXDatabase::SetConnectParams(const std::string& CharSet)
{
    const TConnectionOptions& co = Connection()->ConnectionOptions();
    TStringList& p = m_database->Params();
    p.BeginUpdate();
    p.Clear();
    AddParam(p, "user_name", co.UserName);
    AddParam(p, "password", co.Password);
    AddParam(p, "sql_role_name", co.RoleName);
    AddParam(p, "lc_ctype", CharSet);
    p.EndUpdate();
    m_charSet = CharSet;
}

void TQELIBXDatabase::ConnectOnce()
{
    TQELCustomConnection& c = *Connection();
    const TConnectionOptions& co = c.ConnectionOptions();
    TIBEngineOptions& ib = c.IBServerOptions();

    m_database->SetDatabaseName(c.GetFullDatabaseName());
    SetConnectParams(ib.DBCharSet());
    m_database->SetSQLDialect(ib.SQLDialect);
    m_database->Open();
    m_transaction->StartTransaction();

    // The server's own version text, from its services manager.
    m_service->ServerName = (co.Port != 0 && co.Protocol == TQELProtocol::ptTCP && !co.HostName.empty())
                                ? co.HostName + "/" + IntToStr(co.Port)
                                : co.HostName;
    m_service->Protocol = co.HostName.empty() ? TIBProtocol::Local : ClientProtocol(co.Protocol);
    m_service->Params.SetLines({"user_name=" + co.UserName, "password=" + co.Password});
    m_service->Attach();
    m_service->FetchVersionInfo();
    TIBDatabaseOptions& dbo = ib.IBDatabaseOptions();
    dbo.ServerVersionText = m_service->VersionInfo().ServerVersion;
    m_service->Detach();

    dbo.VersionText = m_info->Version();
    dbo.ODSMajorVersion = m_info->ODSMajorVersion();
    dbo.ODSMinorVersion = m_info->ODSMinorVersion();
    dbo.PageSize = m_info->PageSize();
    dbo.ForcedWrites = m_info->ForcedWrites();
    dbo.SweepInterval = m_info->SweepInterval();
    dbo.ReadOnly = m_info->ReadOnly();
    dbo.NumBuffers = m_info->NumBuffers();
    dbo.ImplementationNo = m_info->DBImplementationNo();
    dbo.ImplementationClass = m_info->DBImplementationClass();
    dbo.DBSQLDialect = m_info->DBSQLDialect();
}

void TQELIBXDatabase::SetConnected(bool Value)
{
    if (Value == m_database->Connected()) return;
    if (!Value) {
        EndDDLTransaction();
        if (m_transaction->InTransaction()) m_transaction->Commit();
        m_database->Close();
        return;
    }
    // One attachment, as isql makes: a second one would fire the database's
    // ON CONNECT and ON DISCONNECT triggers again. Without a character set
    // in the options it is made with none (NONE), as isql's without SET
    // NAMES; the options then take the database's own set and dialect, so
    // that the next attachment and the scripts written for it use them. The
    // dialect is the client's for each statement: no attachment is needed
    // to change it.
    TIBEngineOptions& ib = Connection()->IBServerOptions();
    m_attempts = 1;
    ConnectOnce();
    const std::string charSet = GetDatabaseCharSet();
    const int dialect = ib.IBDatabaseOptions().DBSQLDialect;
    if (ib.DBCharSet().empty() && !charSet.empty()) ib.SetDBCharSet(charSet);
    if (dialect >= 1 && dialect <= 3 && dialect != ib.SQLDialect) {
        ib.SQLDialect = static_cast<TIBSQLDialectType>(dialect);
        m_database->SetSQLDialect(dialect);
    }
}

void TQELIBXDatabase::StartTransaction() { m_transaction->StartTransaction(); }
void TQELIBXDatabase::Commit() { m_transaction->Commit(); }
void TQELIBXDatabase::Rollback() { m_transaction->Rollback(); }
bool TQELIBXDatabase::InTransaction() { return m_transaction->InTransaction(); }
void TQELIBXDatabase::CommitRetaining() { m_transaction->CommitRetaining(); }
void TQELIBXDatabase::RollbackRetaining() { m_transaction->RollbackRetaining(); }

void TQELIBXDatabase::StartTransactionAs(const std::string& SetTransactionSQL)
{
    m_transaction->StartTransaction(SetTransactionSQL, static_cast<int>(Connection()->IBServerOptions().SQLDialect));
}

bool TQELIBXDatabase::InDDLTransaction() { return m_ddlTransaction->InTransaction(); }
void TQELIBXDatabase::StartDDLTransaction() { m_ddlTransaction->StartTransaction(); }

void TQELIBXDatabase::CommitDDLTransaction()
{
    try {
        m_ddlTransaction->Commit();
    } catch (const std::exception&) {
        // What the commit refused stays undone, and the next DDL statement
        // gets a transaction of its own.
        try {
            if (m_ddlTransaction->InTransaction()) m_ddlTransaction->Rollback();
        } catch (const std::exception&) {
        }
        throw;
    }
}

void TQELIBXDatabase::RollbackDDLTransaction() { m_ddlTransaction->Rollback(); }

void TQELIBXDatabase::EndDDLTransaction()
{
    if (m_ddlTransaction->InTransaction()) m_ddlTransaction->Commit();
}

void TQELIBXDatabase::ChangeCharSet(const std::string& CharSet)
{
    // As a disconnect, the reconnect commits. Queries of this connection run
    // in its one transaction: the new attachment gets a new one, or the
    // next query would find none.
    const bool hadTransaction = m_transaction->InTransaction();
    EndDDLTransaction();
    if (hadTransaction) m_transaction->Commit();
    if (m_database->Connected()) m_database->Close();
    if (!CharSet.empty()) SetConnectParams(CharSet);
    m_database->Open();
    if (hadTransaction) m_transaction->StartTransaction();
}

std::string TQELIBXDatabase::ClientCharSet()
{
    if (!m_database->Connected()) return {};
    return m_charSet.empty() ? std::string("NONE") : UpperCase(m_charSet);
}

std::string TQELIBXDatabase::GetDatabaseCharSet()
{
    TIBSQL sql(m_database.get(), m_transaction.get());
    sql.SetSQL("SELECT RDB$CHARACTER_SET_NAME FROM RDB$DATABASE");
    sql.ExecQuery();
    std::string result;
    if (!sql.Eof()) {
        const TField& f = sql.FieldByName("RDB$CHARACTER_SET_NAME");
        if (!f.IsNull()) result = Trim(f.AsString());
    }
    sql.Close();
    return result;
}

// ---- T_IBQuery ---------------------------------------------------------

T_IBQuery::T_IBQuery()
{
    m_previousHandler = SQL().OnChange;
    SQL().OnChange = [this](TStringList& lines) { SQLChanged(lines); };
}

void T_IBQuery::SQLChanged(TStringList& Lines)
{
    if (m_previousHandler) m_previousHandler(Lines);
    const std::string text = Lines.Text();
    if (Loading) {
        ParseSQL(nullptr, text, false, m_preparedText);
        return;
    }
    if (!ParamCheck()) {
        m_preparedText = text;
        return;
    }
    TParams fresh;
    ParseSQL(&fresh, text, true, m_preparedText);
    fresh.AssignValues(Params());
    Params() = std::move(fresh);
}

// ---- TQELIBXQuery ------------------------------------------------------

TQELIBXQuery::TQELIBXQuery() : m_query(std::make_unique<T_IBQuery>()) { m_query->SetUnidirectional(true); }

TQELIBXQuery::~TQELIBXQuery()
{
    if (m_query) m_query->Close();
}

TStringList* TQELIBXQuery::GetSQL() { return &m_query->SQL(); }
bool TQELIBXQuery::Eof() { return m_query->Eof(); }
void TQELIBXQuery::SetParamCheck(bool Value) { m_query->SetParamCheck(Value); }
bool TQELIBXQuery::GetParamCheck() { return m_query->ParamCheck(); }
TParams* TQELIBXQuery::GetParams() { return &m_query->Params(); }
bool TQELIBXQuery::IsActive() { return m_query->Active(); }
TFields* TQELIBXQuery::GetFields() { return &m_query->Fields(); }
void TQELIBXQuery::First() { m_query->First(); }
void TQELIBXQuery::Last() { m_query->Last(); }
void TQELIBXQuery::Next() { m_query->Next(); }
TField* TQELIBXQuery::FieldByName(const std::string& Name) { return &m_query->FieldByName(Name); }
void TQELIBXQuery::Open() { m_query->Open(); }
void TQELIBXQuery::Close() { m_query->Close(); }
void TQELIBXQuery::ExecSQL() { m_query->ExecSQL(); }
void TQELIBXQuery::ExecSQLDirect() { m_query->ExecSQLImmediate(); }
TParam* TQELIBXQuery::ParamByName(const std::string& Name) { return &m_query->Params().ParamByName(Name); }
void TQELIBXQuery::Prepare() { m_query->Prepare(); }

bool TQELIBXQuery::IsSingleFloatField(int Index)
{
    const auto& info = m_query->Statement().FieldInfo();
    // SQL_FLOAT of the client library: a 4-byte float.
    constexpr int SqlFloat = 482;
    return Index >= 0 && Index < static_cast<int>(info.size()) && info[static_cast<size_t>(Index)].SQLType == SqlFloat;
}

TPreparedKind TQELIBXQuery::PrepareKind()
{
    m_query->Prepare();
    switch (m_query->StatementType()) {
    case TIBStatementType::stInsert:
    case TIBStatementType::stUpdate:
    case TIBStatementType::stDelete: return TPreparedKind::pkData;
    case TIBStatementType::stDDL:
    case TIBStatementType::stSetGenerator: return TPreparedKind::pkDDL;
    default: return TPreparedKind::pkOther;
    }
}

std::string TQELIBXQuery::Plan() { return m_query->Statement().Plan(); }

void TQELIBXQuery::UseDDLTransaction(bool Value)
{
    auto* db = dynamic_cast<TQELIBXDatabase*>(Database());
    if (db == nullptr) return;
    m_query->SetTransaction(Value ? &db->DDLTransaction() : &db->Transaction());
}

void TQELIBXQuery::SetDatabase(TQELDatabase* Value)
{
    TQELQuery::SetDatabase(Value);
    if (auto* db = dynamic_cast<TQELIBXDatabase*>(Value)) {
        m_query->SetDatabase(&db->ClientDatabase());
        m_query->SetTransaction(&db->Transaction());
    } else {
        DatabaseGone();
    }
}

void TQELIBXQuery::DatabaseGone()
{
    m_query->Close();
    m_query->SetTransaction(nullptr);
    m_query->SetDatabase(nullptr);
}

} // namespace qel
