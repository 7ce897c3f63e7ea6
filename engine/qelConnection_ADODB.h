// The ADO back end, registered as "ADO" for cnADO.
#pragma once

#include "qelDBEngine.h"

namespace qel {

class TConnectionADO : public TQELAbstractConnection {
public:
    TConnectionADO();
    std::string ClassName() const override { return "TConnectionADO"; }

    std::unique_ptr<TQELDatabase> CreateDatabaseObject(TQELCustomConnection* Connection) override;
    std::unique_ptr<TQELQuery> CreateQuery() override;
};

} // namespace qel
