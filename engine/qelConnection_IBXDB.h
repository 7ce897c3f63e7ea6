// The InterBase/Firebird back end, registered as "IBX" for cnIBX.
#pragma once

#include "qelDBEngine.h"

namespace qel {

class TConnectionIBX : public TQELAbstractConnection {
public:
    TConnectionIBX();
    std::string ClassName() const override { return "TConnectionIBX"; }

    std::unique_ptr<TQELDatabase> CreateDatabaseObject(TQELCustomConnection* Connection) override;
    // Creates the database the selecting connection names, with its user,
    // password, the page size held in its IBDatabaseOptions and its character
    // set; errors are reported and answer False.
    bool CreateDatabase() override;
    std::unique_ptr<TQELQuery> CreateQuery() override;
};

} // namespace qel
