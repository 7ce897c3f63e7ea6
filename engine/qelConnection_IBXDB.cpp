#include "qelConnection_IBXDB.h"

#include "qelDB_IBX.h"
#include "qelIBClient.h"
#include "qelText.h"

namespace qel {

TConnectionIBX::TConnectionIBX()
{
    DatabaseType = TDatabaseType::dbInterBase;
    ConnectionType = TconnectionType::cnIBX;
    SupportedDatabases = {TDatabaseType::dbInterBase};
}

std::unique_ptr<TQELDatabase> TConnectionIBX::CreateDatabaseObject(TQELCustomConnection* Connection)
{
    return std::make_unique<TQELIBXDatabase>(Connection);
}

std::unique_ptr<TQELQuery> TConnectionIBX::CreateQuery()
{
    auto q = std::make_unique<TQELIBXQuery>();
    q->SetConnection(Connection());
    return q;
}

bool TConnectionIBX::CreateDatabase()
{
    TQELCustomConnection* c = Connection();
    if (c == nullptr) return false;
    try {
        TIBDatabase db;
        db.SetDatabaseName(c->GetFullDatabaseName());
        db.SetSQLDialect(c->IBServerOptions().SQLDialect);
        const TConnectionOptions& co = c->ConnectionOptions();
        const TIBEngineOptions& ib = c->IBServerOptions();
        TStringList& p = db.Params();
        if (!co.UserName.empty()) p.Add("USER " + SQLQuotedStr(co.UserName, TDatabaseType::dbInterBase));
        if (!co.Password.empty()) p.Add("PASSWORD " + SQLQuotedStr(co.Password, TDatabaseType::dbInterBase));
        if (ib.IBDatabaseOptions().PageSize != 0) p.Add("PAGE_SIZE " + IntToStr(ib.IBDatabaseOptions().PageSize));
        if (!ib.DatabaseCharSet().empty()) p.Add("DEFAULT CHARACTER SET " + ib.DatabaseCharSet());
        db.CreateDatabase();
        db.Close();
        return true;
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
}

} // namespace qel
