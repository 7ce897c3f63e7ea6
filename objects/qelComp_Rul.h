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
    static constexpr TDbObject Kind = TDbObject::dboRule;
    explicit TRulData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TRulData"; }

    // MS SQL "CREATE RULE [R] AS @v > 0"; PostgreSQL
    // "CREATE RULE r AS ON INSERT TO s.t DO INSTEAD NOTHING"; others
    // "CREATE RULE R AS <Action>".
    std::string GetCreateDDL() const override;
    std::string GetCreateScript() override { return GetCreateDDL(); }
    // PostgreSQL "DROP RULE IF EXISTS r ON s.t" (the rule's table, whose
    // schema is TableSchema, else the rule's own); others the base text.
    std::string GetDropScript() const override;

    bool Bracketed = false; // the script wrote the name in square brackets
    std::string Action;
    std::uint8_t Event = 0; // 1 insert, 2 update, 3 delete, 5 select
    std::string TableName;
    std::string TableSchema;
    std::string DoKind;
    bool DoNothing = false;

private:
    std::string RuleTableName() const;
};

} // namespace qel
