#include "qelComp_Def.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;

namespace {

std::string DefaultText(TObjs& objs, const std::string& name, const std::string& value)
{
    TDefData d(&objs);
    d.SetName(name);
    d.Value = value;
    return d.GetCreateScript();
}

std::unique_ptr<TCltData> Collation(TObjs& objs)
{
    auto c = std::make_unique<TCltData>(&objs);
    c->SetName("CO");
    c->CharacterSet = "ISO8859_1";
    return c;
}

} // namespace

class DefaultAndCollationText : public qeltest::TDDLTest {};
TEST_P(DefaultAndCollationText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, DefaultAndCollationText,
    ::testing::Values(
        TDDLRow{"MSSQLDefault", DT::dbMSSQL, [](TObjs& o) { return DefaultText(o, "D", "0"); },
                "CREATE DEFAULT [D] AS 0"},
        // A "]" in the name is doubled, so the name cannot end its brackets.
        TDDLRow{"MSSQLDefaultBracketInName", DT::dbMSSQL,
                [](TObjs& o) {
                    qeltest::KeepMSSQLCase(o);
                    return DefaultText(o, "a]b", "0");
                },
                "CREATE DEFAULT [a]]b] AS 0"},
        TDDLRow{"MSSQLDefaultWithoutValue", DT::dbMSSQL, [](TObjs& o) { return DefaultText(o, "D", ""); }, ""},
        TDDLRow{"ASEDefault", DT::dbSybaseASE, [](TObjs& o) { return DefaultText(o, "D", "0"); },
                "CREATE DEFAULT D AS 0"},
        TDDLRow{"DefaultDrop", DT::dbMSSQL,
                [](TObjs& o) {
                    TDefData d(&o);
                    d.SetName("D");
                    return d.GetDropScript();
                },
                "/* Drop: D (TDefData) */\r\nDROP DEFAULT D"},
        TDDLRow{"CollationDefaults", DT::dbInterBase, [](TObjs& o) { return Collation(o)->GetCreateScript(); },
                "CREATE COLLATION CO\r\nFOR ISO8859_1\r\nNO PAD\r\nCASE SENSITIVE\r\nACCENT SENSITIVE\r\n"},
        // FROM wins over FROM EXTERNAL.
        TDDLRow{"CollationEveryClause", DT::dbInterBase,
                [](TObjs& o) {
                    auto c = Collation(o);
                    c->FromCollation = "PT_BR";
                    c->ExternalName = "EXT";
                    c->PadSpace = true;
                    c->CaseSensitive = c->AccentSensitive = false;
                    c->Attributes = "DISABLE-COMPRESSIONS=1";
                    return c->GetCreateDDL() + "| " + c->GetDropScript();
                },
                "CREATE COLLATION CO\r\nFOR ISO8859_1\r\nFROM PT_BR\r\nPAD SPACE\r\nCASE INSENSITIVE\r\n"
                "ACCENT INSENSITIVE\r\n'DISABLE-COMPRESSIONS=1'\r\n| /* Drop: CO (TCltData) */\r\nDROP COLLATION CO"},
        TDDLRow{"CollationFromExternal", DT::dbInterBase,
                [](TObjs& o) {
                    auto c = Collation(o);
                    c->ExternalName = "it's";
                    return c->GetCreateDDL();
                },
                "CREATE COLLATION CO\r\nFOR ISO8859_1\r\nFROM EXTERNAL('it''s')\r\nNO PAD\r\nCASE SENSITIVE\r\n"
                "ACCENT SENSITIVE\r\n"},
        TDDLRow{"CollationElsewhere", DT::dbMSSQL, [](TObjs& o) { return Collation(o)->GetCreateDDL(); }, ""}),
    qeltest::RowName);

// Defaults, collations and rules tell the executor no schema on the way.
TEST(TDefData, CreateScriptSetsNoSchema)
{
    struct TSchemaSpy : TStatementSink {
        int schemas = 0;
        TStatement* AddStatement(const std::string&, TStatType, const std::string&, TDbObject, TDbOperation,
                                 const std::string&, const std::string&) override
        {
            return nullptr;
        }
        TStatement* AddDescription(TDbObj&) override { return nullptr; }
        TStatement* AddComment(const std::string&) override { return nullptr; }
        void AddConnectStatement() override {}
        void SetCurrentSchema(const std::string&) override { ++schemas; }
        void LogNextLine(const std::string&) override {}
    } spy;
    TObjs objs;
    objs.SetDatabaseType(DT::dbInterBase);
    objs.Executor = &spy;
    TDefData d(&objs);
    d.NoScript = true;
    d.Value = "0";
    EXPECT_EQ(d.GetCreateScript(), "CREATE DEFAULT  AS 0");
    EXPECT_NE(Collation(objs)->GetCreateScript(), "");
    EXPECT_EQ(spy.schemas, 0);
}

TEST(TCltData, BareDefaultsCollationsAndRulesRaiseNothing)
{
    qeltest::ExpectTextsRaiseNothing<TDefData>([](TDefData&) {});
    qeltest::ExpectTextsRaiseNothing<TCltData>([](TCltData&) {});
}
