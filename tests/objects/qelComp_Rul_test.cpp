#include "qelComp_Rul.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;

namespace {

// PostgreSQL rule r on table s.t (the table's schema given as TableSchema
// or, when Table is false, as the rule's own schema).
std::unique_ptr<TRulData> PGRule(TObjs& objs, std::uint8_t event, bool tableSchema = true)
{
    auto r = std::make_unique<TRulData>(&objs);
    r->SetName("r");
    r->Event = event;
    r->TableName = "t";
    if (tableSchema)
        r->TableSchema = "s";
    else
        r->SetSchema("s");
    r->DoKind = "INSTEAD";
    r->DoNothing = true;
    return r;
}

} // namespace

class RuleText : public qeltest::TDDLTest {};
TEST_P(RuleText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, RuleText,
    ::testing::Values(
        TDDLRow{"MSSQL", DT::dbMSSQL,
                [](TObjs& o) {
                    TRulData r(&o);
                    r.SetName("R");
                    r.Action = "@v > 0";
                    return r.GetCreateScript() + " | " + r.GetDropScript();
                },
                "CREATE RULE [R] AS @v > 0 | /* Drop: R (TRulData) */\r\nDROP RULE R"},
        TDDLRow{"MSSQLWithoutAction", DT::dbMSSQL,
                [](TObjs& o) {
                    TRulData r(&o);
                    r.SetName("R");
                    return r.GetCreateDDL();
                },
                ""},
        // Event 4 has no word: ON is followed by TO.
        TDDLRow{"PGUnknownEvent", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto r = PGRule(o, 4);
                    return r->GetCreateDDL() + " | " + r->GetDropScript();
                },
                "CREATE RULE r AS ON TO s.t DO INSTEAD NOTHING | DROP RULE IF EXISTS r ON s.t"},
        // The rule's own schema is the table's when TableSchema is empty,
        // for the drop as for the create.
        TDDLRow{"PGSchemaOfTheRule", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto r = PGRule(o, 1, false);
                    return r->GetCreateDDL() + " | " + r->GetDropScript();
                },
                "CREATE RULE r AS ON INSERT TO s.t DO INSTEAD NOTHING | DROP RULE IF EXISTS r ON s.t"},
        TDDLRow{"PGActionAndQuotedNames", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto r = PGRule(o, 2);
                    r->TableName = "My Table";
                    r->DoKind = "ALSO";
                    r->DoNothing = false;
                    r->Action = "NOTIFY t";
                    return r->GetCreateDDL() + " | " + r->GetDropScript();
                },
                "CREATE RULE r AS ON UPDATE TO s.\"My Table\" DO ALSO\r\n NOTIFY t | "
                "DROP RULE IF EXISTS r ON s.\"My Table\""},
        TDDLRow{"Others", DT::dbOracle,
                [](TObjs& o) {
                    TRulData r(&o);
                    r.SetName("R");
                    r.SetSchema("S");
                    r.Action = "X > 0";
                    return r.GetCreateDDL();
                },
                "CREATE RULE S.R AS X > 0"}),
    qeltest::RowName);

TEST(TRulData, BareRulesRaiseNothing) { qeltest::ExpectTextsRaiseNothing<TRulData>([](TRulData&) {}); }
