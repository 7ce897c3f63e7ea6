#include "qelComp_Fld.h"
#include "qelComp_Viw.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;

namespace {

std::unique_ptr<TViwData> View(TObjs& objs, const std::string& body, std::initializer_list<const char*> columns = {})
{
    auto v = std::make_unique<TViwData>(&objs);
    v->SetName("V");
    v->SetBody(body);
    for (const char* column : columns) qeltest::AddField(objs, v->Columns, v.get(), column, 0);
    return v;
}

// dbo.V over SELECT 1 AS X under MS SQL, with the names kept as written.
std::unique_ptr<TViwData> MSSQLView(TObjs& objs)
{
    qeltest::KeepMSSQLCase(objs);
    auto v = View(objs, "SELECT 1 AS X");
    v->SetSchema("dbo");
    return v;
}

} // namespace

class ViewText : public qeltest::TDDLTest {};
TEST_P(ViewText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, ViewText,
    ::testing::Values(
        TDDLRow{"IBColumns", DT::dbInterBase,
                [](TObjs& o) { return View(o, "SELECT A, B FROM T", {"A", "B"})->GetCreateDDL(); },
                "CREATE VIEW V(\r\nA,\r\nB)\r\n AS \r\nSELECT A, B FROM T"},
        TDDLRow{"IBNoColumns", DT::dbInterBase,
                [](TObjs& o) { return View(o, "SELECT 1 FROM RDB$DATABASE")->GetCreateDDL(); },
                "CREATE VIEW V\r\n AS \r\nSELECT 1 FROM RDB$DATABASE"},
        TDDLRow{"MSSQLSchemaBinding", DT::dbMSSQL,
                [](TObjs& o) {
                    auto v = MSSQLView(o);
                    v->SchemaBinding = true;
                    return v->GetCreateDDL() + " | " + v->GetDropScript();
                },
                "CREATE VIEW dbo.V\r\n  WITH SCHEMABINDING\r\n AS \r\nSELECT 1 AS X | DROP VIEW dbo.V"},
        TDDLRow{"MSSQLAllOptions", DT::dbMSSQL,
                [](TObjs& o) {
                    auto v = MSSQLView(o);
                    v->WithEncryption = v->SchemaBinding = v->ViewMetadata = true;
                    return v->GetCreateDDL();
                },
                "CREATE VIEW dbo.V\r\n  WITH ENCRYPTION, SCHEMABINDING, VIEW_METADATA\r\n AS \r\nSELECT 1 AS X"},
        TDDLRow{"MSSQLWithoutQuery", DT::dbMSSQL, [](TObjs& o) { return View(o, "")->GetCreateDDL(); }, ""},
        TDDLRow{"MySQL", DT::dbMySQL,
                [](TObjs& o) {
                    auto v = View(o, "SELECT 1");
                    v->Algorithm = "MERGE";
                    v->SqlSecurity = "DEFINER";
                    return v->GetCreateDDL();
                },
                "CREATE ALGORITHM=MERGE SQL SECURITY DEFINER VIEW V\r\n AS \r\nSELECT 1"},
        TDDLRow{"OracleObjectView", DT::dbOracle,
                [](TObjs& o) {
                    auto v = View(o, "SELECT ID, NAME FROM EMP", {"ID", "NAME"});
                    v->SetSchema("S");
                    v->OfType = "EMP_T";
                    v->ObjectIdColumns.Add("ID");
                    return v->GetCreateDDL();
                },
                "CREATE OR REPLACE VIEW S.V OF EMP_T\r\n   WITH OBJECT IDENTIFIER(ID)(\r\nID,\r\nNAME)\r\n   AS \r\n"
                "SELECT ID, NAME FROM EMP"},
        TDDLRow{"PostgreSQLInSchema", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto v = View(o, "SELECT a FROM t", {"a"});
                    v->SetName("v");
                    v->SetSchema("s");
                    return v->GetCreateDDL() + " | " + v->GetDropScript();
                },
                "CREATE VIEW s.v(\r\na)\r\n AS \r\nSELECT a FROM t | DROP VIEW s.v"},
        TDDLRow{"NoScriptDropsNothing", DT::dbInterBase,
                [](TObjs& o) {
                    auto v = View(o, "SELECT 1 FROM RDB$DATABASE");
                    v->NoScript = true;
                    return v->GetDropScript();
                },
                ""}),
    qeltest::RowName);

// PostgreSQL gives back a view's query in its own layout: two definitions
// that differ only in line breaks and runs of blanks are the same view.
TEST(TViwData, PostgreSQLViewsCompareByTheirWords)
{
    TObjs objs;
    objs.SetDatabaseType(DT::dbPostgreSQL);
    auto a = View(objs, "SELECT a\r\nFROM  t");
    auto b = View(objs, "SELECT a FROM t");
    EXPECT_EQ(a->GetCompareText(), b->GetCompareText());
    EXPECT_NE(a->GetCreateDDL(), b->GetCreateDDL());
    objs.SetDatabaseType(DT::dbInterBase);
    EXPECT_NE(a->GetCompareText(), b->GetCompareText());
}

// A view without query or columns writes its texts all the same.
TEST(TViwData, EmptyBodyRaisesNothing)
{
    qeltest::ExpectTextsRaiseNothing<TViwData>([](TViwData&) {});
    TObjs objs;
    objs.SetDatabaseType(DT::dbInterBase);
    EXPECT_EQ(View(objs, "")->GetCreateDDL(), "CREATE VIEW V\r\n AS \r\n");
}
