// MS SQL rules and PostgreSQL rewrite rules.
#pragma once

#include "qelClasses.h"

#include <cstdint>
#include <string>

namespace qel {

// One rule: the MS SQL condition, or the PostgreSQL event, table and
// commands.
class TRulData : public TDbObj {
public:
    explicit TRulData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TRulData"; }

    bool Bracketed = false; // the script wrote the name in square brackets
    std::string Action;
    std::uint8_t Event = 0; // 1 insert, 2 update, 3 delete, 5 select
    std::string TableName;
    std::string TableSchema;
    std::string DoKind;
    bool DoNothing = false;
};

} // namespace qel
