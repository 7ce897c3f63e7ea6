#include "qelComp_Fld.h"
#include "qelComp_Rul.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;

namespace {

std::string CreateAndDrop(const TRulData& r) { return r.GetCreateDDL() + " | " + r.GetDropScript(); }

} // namespace

class RuleText : public qeltest::TDDLTest {};
TEST_P(RuleText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, RuleText,
    ::testing::Values(
        TDDLRow{"MSSQL", DT::dbMSSQL,
                [](TObjs& o) {
                    auto r = qeltest::Make<TRulData>(o, "R");
                    const std::string bare = r->GetCreateScript() + "| ";
                    r->Action = "@v > 0";
                    return bare + CreateAndDrop(*r);
                },
                "| CREATE RULE [R] AS @v > 0 | /* Drop: R (TRulData) */\r\nDROP RULE R"},
        // Event 4 has no word; the table's schema is TableSchema, else the
        // rule's own, in the drop as in the create; names are quoted.
        TDDLRow{"PostgreSQL", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto r = qeltest::Make<TRulData>(o, "r");
                    r->Event = 4, r->TableName = "t", r->TableSchema = "s", r->DoKind = "INSTEAD", r->DoNothing = true;
                    const std::string nothing = CreateAndDrop(*r) + " | ";
                    r->TableSchema.clear(), r->SetSchema("s"), r->TableName = "My T";
                    r->Event = 1, r->DoKind = "ALSO", r->DoNothing = false, r->Action = "NOTIFY t";
                    return nothing + CreateAndDrop(*r);
                },
                "CREATE RULE r AS ON TO s.t DO INSTEAD NOTHING | DROP RULE IF EXISTS r ON s.t | CREATE RULE r AS ON INSERT "
                "TO s.\"My T\" DO ALSO\r\n NOTIFY t | DROP RULE IF EXISTS r ON s.\"My T\""},
        TDDLRow{"Others", DT::dbOracle,
                [](TObjs& o) {
                    auto r = qeltest::Make<TRulData>(o, "R", "S");
                    r->Action = "X > 0";
                    return r->GetCreateDDL();
                },
                "CREATE RULE S.R AS X > 0"}),
    qeltest::RowName);

TEST(TRulData, BareRulesRaiseNothing) { qeltest::ExpectTextsRaiseNothing<TRulData>(); }
