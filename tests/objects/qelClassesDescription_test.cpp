// Description statements by server type and InterBase mode, one row each.
#include "qelComp_Def.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;
using UD = TUpdateDescriptionType;

namespace {

// Table T (schema Schema) with column C, both described by Text.
TTblData& DescribedTable(TObjs& o, const std::string& Text, const std::string& Schema = {}, const char* Table = "T",
                         const char* Col = "C")
{
    auto* t = &qeltest::File<TTblData>(o, Table, Schema);
    qeltest::AddFields(o, t->Fields, t, {{Col, 1}})->SetDescription(Text);
    t->SetDescription(Text);
    return *t;
}

TFldData& Column(TTblData& T) { return *T.Fields.Objects(0); }

void Mode(TObjs& o, UD Mode) { o.IBServerOptions().IBCompareOptions().UpdateDescriptionMode = Mode; }

} // namespace

class Description : public qeltest::TDDLTest {};
TEST_P(Description, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, Description,
    ::testing::Values(
        TDDLRow{"FlagOff", DT::dbInterBase,
                [](TObjs& o) {
                    o.ScriptFlags &= ~sfDescriptions;
                    return DescribedTable(o, "x").GetDescriptionScript();
                },
                ""},
        TDDLRow{"IBSysTables", DT::dbInterBase,
                [](TObjs& o) {
                    TTblData& t = DescribedTable(o, "Main");
                    return t.GetDescriptionScript() + " | " + Column(t).GetDescriptionScript();
                },
                "UPDATE RDB$RELATIONS SET RDB$DESCRIPTION = \r\n'Main'\r\nWHERE RDB$RELATION_NAME = 'T' | UPDATE "
                "RDB$RELATION_FIELDS SET RDB$DESCRIPTION = \r\n'Main'\r\nWHERE RDB$RELATION_NAME = 'T' AND "
                "RDB$FIELD_NAME = 'C'"},
        TDDLRow{"IBComment", DT::dbInterBase,
                [](TObjs& o) {
                    Mode(o, UD::udComment);
                    return Column(DescribedTable(o, "it's")).GetDescriptionScript();
                },
                "COMMENT ON COLUMN T.C IS\r\n'it''s'"},
        // Firebird 3 comments on packages; InterBase 2020 has none to describe.
        TDDLRow{"IBPackage", DT::dbInterBase,
                [](TObjs& o) {
                    Mode(o, UD::udComment);
                    auto p = qeltest::Make<TPkgData>(o, "PK");
                    p->SetDescription("x");
                    std::string text = p->GetDescriptionScript() + " | ";
                    o.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_InterBase_2020;
                    return text + p->GetDescriptionScript();
                },
                "COMMENT ON PACKAGE PK IS\r\n'x' | "},
        TDDLRow{"IBDescribe", DT::dbInterBase,
                [](TObjs& o) {
                    Mode(o, UD::udDescribe);
                    auto p = qeltest::Make<TPrcData>(o, "P");
                    qeltest::AddFields(o, p->InputParams, p.get(), {{"A", 1}})->SetDescription("x");
                    return p->InputParams.Objects(0)->GetDescriptionScript();
                },
                "DESCRIBE PARAMETER A PROCEDURE P\r\n'x'"},
        TDDLRow{"InterBase2020", DT::dbInterBase,
                [](TObjs& o) {
                    o.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_InterBase_2020;
                    auto co = qeltest::Make<TCltData>(o, "CO");
                    co->SetDescription("x");
                    return co->GetDescriptionScript() + " | " + Column(DescribedTable(o, "y")).GetDescriptionScript();
                },
                "ALTER DESCRIPTION FOR COLLATION CO IS\r\n'x' | ALTER DESCRIPTION FOR COLUMN T.C SET\r\n'y'"},
        TDDLRow{"MSSQLLevels", DT::dbMSSQL,
                [](TObjs& o) {
                    qeltest::KeepMSSQLCase(o);
                    TTblData& t = DescribedTable(o, "x", "dbo");
                    auto e = qeltest::Make<TExcData>(o, "E", "dbo");
                    e->SetDescription("x");
                    std::string text = t.GetDescriptionScript() + " | "; // MS SQL 2000 has none
                    o.MSSQLServerOptions().SQLServerVersion = TMSSQLServerVersionType::st_MSSQL2005;
                    text += e->GetDescriptionScript() + " | "; // nothing to hang it on but the schema
                    for (int level : {80, 0, 100}) {
                        o.MSSQLServerOptions().MSSQLDatabaseOptions().CompatibilityLevel = level;
                        text += t.GetDescriptionScript().substr(0, 10) + " | ";
                    }
                    return text + t.GetDescriptionScript() + " | " + Column(t).GetDescriptionScript();
                },
                " |  | exec dbo.s | exec sys.s | exec sys.s | exec sys.sp_addextendedproperty @name=N'MS_Description', "
                "@value=N'x', @level0type=N'SCHEMA', @level0name=N'dbo', @level1type=N'TABLE', @level1name=N'T' | exec "
                "sys.sp_addextendedproperty @name=N'MS_Description', @value=N'x', @level0type=N'SCHEMA', @level0name=N'dbo', "
                "@level1type=N'TABLE', @level1name=N'T', @level2type=N'COLUMN', @level2name=N'C'"},
        TDDLRow{"PostgreSQL", DT::dbPostgreSQL,
                [](TObjs& o) { return Column(DescribedTable(o, "x", "s", "t", "c")).GetDescriptionScript(); },
                "COMMENT ON COLUMN s.t.c IS 'x'"},
        TDDLRow{"MySQL", DT::dbMySQL, [](TObjs& o) { return DescribedTable(o, "it's").GetDescriptionScript(); },
                "ALTER TABLE T COMMENT = 'it''s'"},
        TDDLRow{"OracleAndASA", DT::dbOracle,
                [](TObjs& o) {
                    auto e = qeltest::Make<TExcData>(o, "E");
                    std::string text = e->GetDescriptionScript() + " | " +
                                       Column(DescribedTable(o, "x", "S")).GetDescriptionScript();
                    o.SetDatabaseType(DT::dbSybaseASA);
                    return text + " | " + o.FindTable("S.T")->GetDescriptionScript();
                },
                "/* COMMENT ON... */ | COMMENT ON COLUMN S.T.C IS\r\n'x' | COMMENT ON TABLE T IS\r\n'x'"}),
    qeltest::RowName);
