#include "qelConnection_ADODB.h"

#include "qelDB_ADO.h"

namespace qel {

TConnectionADO::TConnectionADO()
{
    DatabaseType = TDatabaseType::dbMSSQL;
    ConnectionType = TconnectionType::cnADO;
    SupportedDatabases = {TDatabaseType::dbSybaseASA, TDatabaseType::dbOracle,      TDatabaseType::dbMSSQL,
                          TDatabaseType::dbPostgreSQL, TDatabaseType::dbDB2,        TDatabaseType::dbSybaseASE,
                          TDatabaseType::dbCustomOLEDB};
}

std::unique_ptr<TQELDatabase> TConnectionADO::CreateDatabaseObject(TQELCustomConnection* Connection)
{
    return std::make_unique<TQELADODatabase>(Connection);
}

std::unique_ptr<TQELQuery> TConnectionADO::CreateQuery()
{
    auto q = std::make_unique<TQELADOQuery>();
    q->SetConnection(Connection());
    return q;
}

} // namespace qel
