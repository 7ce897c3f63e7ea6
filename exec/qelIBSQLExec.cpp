#include "qelIBSQLExec.h"

namespace qel {

TIBSQLExec::TIBSQLExec(TComponent* AOwner) : TSQLExec(AOwner) { m_databaseType = TDatabaseType::dbInterBase; }

void TIBSQLExec::Connect() { TSQLExec::Connect(); }
void TIBSQLExec::Disconnect() { TSQLExec::Disconnect(); }
void TIBSQLExec::ExecSingleStatement(TStatement& St) { TSQLExec::ExecSingleStatement(St); }
void TIBSQLExec::ParseConnectString(const std::string&) {}
void TIBSQLExec::ParseCreateDatabaseString(const std::string&) {}
bool TIBSQLExec::ExecuteStatement(TStatement& St) { return TSQLExec::ExecuteStatement(St); }
std::string TIBSQLExec::DescriptionSQL(const TStatement&, bool) const { return {}; }
bool TIBSQLExec::SystemTablesWritable() { return false; }
bool TIBSQLExec::ExecDescription() { return TSQLExec::ExecDescription(); }
bool TIBSQLExec::ExecCreateDatabase() { return TSQLExec::ExecCreateDatabase(); }

} // namespace qel
