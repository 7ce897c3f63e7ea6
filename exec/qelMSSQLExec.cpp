#include "qelMSSQLExec.h"

#include "qelDBEngine.h"

namespace qel {

TMSSQLExec::TMSSQLExec(TComponent* AOwner) : TSQLExec(AOwner) { m_databaseType = TDatabaseType::dbMSSQL; }

bool TMSSQLExec::ExecCreateDatabase()
{
    try {
        if (!Connected() && !ConnectForStatement()) return false;
        // CREATE DATABASE cannot run inside a transaction.
        if (InTransaction() && !CommitPending()) return false;
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
    return ExecSQL();
}

} // namespace qel
