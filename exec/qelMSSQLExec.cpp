#include "qelMSSQLExec.h"

namespace qel {

TMSSQLExec::TMSSQLExec(TComponent* AOwner) : TSQLExec(AOwner) { m_databaseType = TDatabaseType::dbMSSQL; }

bool TMSSQLExec::ExecCreateDatabase() { return TSQLExec::ExecCreateDatabase(); }

} // namespace qel
