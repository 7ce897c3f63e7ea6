#include "qelComp_Fld.h"
#include "qelComp_Viw.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;

namespace {

std::unique_ptr<TViwData> View(TObjs& o, const char* body, std::initializer_list<qeltest::TFieldSpec> columns = {},
                               const char* schema = "")
{
    auto v = qeltest::Make<TViwData>(o, "V", schema);
    v->SetBody(body);
    qeltest::AddFields(o, v->Columns, v.get(), columns);
    return v;
}

} // namespace

class ViewText : public qeltest::TDDLTest {};
TEST_P(ViewText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, ViewText,
    ::testing::Values(
        TDDLRow{"IB", DT::dbInterBase,
                [](TObjs& o) {
                    auto bare = View(o, "SELECT 1 FROM RDB$DATABASE");
                    bare->NoScript = true;
                    return View(o, "SELECT A, B FROM T", {{"A", 0}, {"B", 0}})->GetCreateDDL() + " | " +
                           bare->GetCreateDDL() + " | " + View(o, "")->GetCreateDDL() + "|" + bare->GetDropScript();
                },
                "CREATE VIEW V(\r\nA,\r\nB)\r\n AS \r\nSELECT A, B FROM T | CREATE VIEW V\r\n AS \r\nSELECT 1 FROM "
                "RDB$DATABASE | CREATE VIEW V\r\n AS \r\n|"},
        TDDLRow{"MSSQL", DT::dbMSSQL,
                [](TObjs& o) {
                    qeltest::KeepMSSQLCase(o);
                    auto v = View(o, "SELECT 1 AS X", {}, "dbo");
                    v->SchemaBinding = true;
                    const std::string one = v->GetCreateDDL() + " | " + v->GetDropScript() + " | ";
                    v->WithEncryption = v->ViewMetadata = true;
                    return one + v->GetCreateDDL() + " |" + View(o, "")->GetCreateDDL();
                },
                "CREATE VIEW dbo.V\r\n  WITH SCHEMABINDING\r\n AS \r\nSELECT 1 AS X | DROP VIEW dbo.V | CREATE VIEW dbo.V"
                "\r\n  WITH ENCRYPTION, SCHEMABINDING, VIEW_METADATA\r\n AS \r\nSELECT 1 AS X |"},
        TDDLRow{"MySQL", DT::dbMySQL,
                [](TObjs& o) {
                    auto v = View(o, "SELECT 1");
                    v->Algorithm = "MERGE";
                    v->SqlSecurity = "DEFINER";
                    return v->GetCreateDDL();
                },
                "CREATE ALGORITHM=MERGE SQL SECURITY DEFINER VIEW V\r\n AS \r\nSELECT 1"},
        TDDLRow{"Oracle", DT::dbOracle,
                [](TObjs& o) {
                    auto v = View(o, "SELECT ID FROM EMP", {{"ID", 0}}, "S");
                    v->OfType = "EMP_T";
                    v->ObjectIdColumns.Add("ID");
                    return v->GetCreateDDL();
                },
                "CREATE OR REPLACE VIEW S.V OF EMP_T\r\n   WITH OBJECT IDENTIFIER(ID)(\r\nID)\r\n   AS \r\nSELECT ID FROM EMP"},
        TDDLRow{"PostgreSQL", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto v = View(o, "SELECT a FROM t", {{"a", 0}}, "s");
                    return v->GetCreateDDL() + " | " + v->GetDropScript();
                },
                "CREATE VIEW s.\"V\"(\r\na)\r\n AS \r\nSELECT a FROM t | DROP VIEW s.\"V\""}),
    qeltest::RowName);

// PostgreSQL gives a view's query back in its own layout: definitions that
// differ only in line breaks and runs of blanks are the same view. A view
// without query or columns still writes its texts.
TEST(TViwData, PostgreSQLViewsCompareByTheirWords)
{
    TObjs objs;
    objs.SetDatabaseType(DT::dbPostgreSQL);
    EXPECT_EQ(View(objs, "SELECT a\r\nFROM  t")->GetCompareText(), View(objs, "SELECT a FROM t")->GetCompareText());
    objs.SetDatabaseType(DT::dbInterBase);
    EXPECT_NE(View(objs, "SELECT a\r\nFROM  t")->GetCompareText(), View(objs, "SELECT a FROM t")->GetCompareText());
    qeltest::ExpectTextsRaiseNothing<TViwData>();
}
