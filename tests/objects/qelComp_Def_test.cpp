#include "qelComp_Def.h"
#include "qelComp_Fld.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;

namespace {

std::string Default(TObjs& o, const char* name, const char* value)
{
    auto d = qeltest::Make<TDefData>(o, name);
    d->Value = value;
    return d->GetCreateScript();
}

} // namespace

class DefaultAndCollationText : public qeltest::TDDLTest {};
TEST_P(DefaultAndCollationText, IsExact) { Check(); }

// MS SQL brackets a default's name whatever it holds, a "]" doubled.
INSTANTIATE_TEST_SUITE_P(
    Rows, DefaultAndCollationText,
    ::testing::Values(
        TDDLRow{"MSSQL defaults", DT::dbMSSQL,
                [](TObjs& o) {
                    qeltest::KeepMSSQLCase(o);
                    return Default(o, "D", "0") + " | " + Default(o, "a]b", "0") + " |" + Default(o, "D", "") + " | " +
                           qeltest::Make<TDefData>(o, "D")->GetDropScript() + " | " +
                           qeltest::Make<TCltData>(o, "CO")->GetCreateDDL();
                },
                "CREATE DEFAULT [D] AS 0 | CREATE DEFAULT [a]]b] AS 0 | | /* Drop: D (TDefData) */\r\nDROP DEFAULT D | "},
        TDDLRow{"ASE default", DT::dbSybaseASE, [](TObjs& o) { return Default(o, "D", "0"); }, "CREATE DEFAULT D AS 0"},
        // FROM wins over FROM EXTERNAL.
        TDDLRow{"IB collations", DT::dbInterBase,
                [](TObjs& o) {
                    auto c = qeltest::Make<TCltData>(o, "CO");
                    c->CharacterSet = "ISO8859_1";
                    const std::string plain = c->GetCreateScript() + "| ";
                    c->ExternalName = "it's";
                    c->PadSpace = false;
                    const std::string external = c->GetCreateDDL() + "| ";
                    c->FromCollation = "PT_BR";
                    c->PadSpace = true;
                    c->CaseSensitive = c->AccentSensitive = false;
                    c->Attributes = "DISABLE-COMPRESSIONS=1";
                    return plain + external + c->GetCreateDDL() + "| " + c->GetDropScript();
                },
                "CREATE COLLATION CO\r\nFOR ISO8859_1\r\n| CREATE COLLATION "
                "CO\r\nFOR ISO8859_1\r\nFROM EXTERNAL('it''s')\r\nNO PAD\r\n| "
                "CREATE COLLATION CO\r\nFOR ISO8859_1\r\nFROM PT_BR\r\nPAD SPACE\r\nCASE INSENSITIVE\r\nACCENT INSENSITIVE"
                "\r\n'DISABLE-COMPRESSIONS=1'\r\n| /* Drop: CO (TCltData) */\r\nDROP COLLATION CO"}),
    qeltest::RowName);

TEST(TDefData, BareDefaultsRaiseNothing) { qeltest::ExpectTextsRaiseNothing<TDefData>(); }
TEST(TCltData, BareCollationsRaiseNothing) { qeltest::ExpectTextsRaiseNothing<TCltData>(); }
