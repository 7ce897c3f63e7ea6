#include "qelComp_Fld.h"
#include "qelComp_Gnr.h"
#include "qelComp_Pkg.h"
#include "qelDDLTestSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qel;

namespace {
const std::string kNoMaximum(27, '9');
}

TEST(TGnrData, StartsWithCacheTwentyAndNoLimits)
{
    TObjs objs;
    TGnrData generator(&objs);
    EXPECT_EQ(generator.Cache(), "20");
    EXPECT_FALSE(generator.NoCache());
    EXPECT_EQ(generator.MaxValue(), "");
    EXPECT_TRUE(generator.NoMaxValue);
    EXPECT_TRUE(generator.NoMinValue);
    EXPECT_FALSE(generator.Cycle);
    EXPECT_FALSE(generator.Order);
}

// The texts that mean "none" clear the value and set the matching flag; any
// other text is stored as the script wrote it.
TEST(TGnrData, SettersReadTheNoneTexts)
{
    struct Case {
        const char* step;
        void (*apply)(TGnrData&);
        std::string maxValue, cache;
        bool noCache;
    };
    const Case cases[] = {
        {"27 nines",
         [](TGnrData& g) {
             g.SetMaxValue("100");
             g.NoMaxValue = false;
             g.SetMaxValue(kNoMaximum);
         },
         "", "20", false},
        {"26 nines", [](TGnrData& g) { g.SetMaxValue(std::string(26, '9')); }, std::string(26, '9'), "20", false},
        {"max 100", [](TGnrData& g) { g.SetMaxValue("100"); }, "100", "20", false},
        {"cache 0", [](TGnrData& g) { g.SetCache("0"); }, "", "", true},
        {"cache 00", [](TGnrData& g) { g.SetCache("00"); }, "", "00", false},
        {"NoCache on", [](TGnrData& g) { g.SetNoCache(true); }, "", "", true},
        {"NoCache off", [](TGnrData& g) { g.SetNoCache(false); }, "", "20", false},
    };
    TObjs objs;
    for (const Case& c : cases) {
        TGnrData generator(&objs);
        c.apply(generator);
        EXPECT_EQ(generator.MaxValue(), c.maxValue) << c.step;
        EXPECT_EQ(generator.Cache(), c.cache) << c.step;
        EXPECT_TRUE(generator.NoMaxValue) << c.step;
        EXPECT_EQ(generator.NoCache(), c.noCache) << c.step;
    }
}

// ---- generator and package texts -------------------------------------------

namespace {

using qeltest::TDDLRow;
using DT = TDatabaseType;
using V = TIBSQLServerVersionType;
using G = TGnrData;

// Generator S after Setup: its CREATE text and its drop.
TDDLRow Sequence(const char* Label, DT Server, std::function<void(G&)> Setup, const char* Expected)
{
    return {Label, Server, [=](TObjs& o) {
                G g(&o);
                g.SetName("S");
                Setup(g);
                return g.GetCreateDDL() + " | " + g.GetDropScript();
            }, Expected};
}

// Package P (header H, body B unless empty) under Version: CREATE and drop.
TDDLRow Package(const char* Label, DT Server, V Version, const char* Body, const char* Expected)
{
    return {Label, Server, [=](TObjs& o) {
                o.IBServerOptions().SQLServerVersion = Version;
                TPkgData p(&o);
                p.SetName("P"), p.HeaderText = "H", p.SetBody(Body);
                return p.GetCreateDDL() + " | " + p.GetDropScript();
            }, Expected};
}

class GeneratorTextTest : public qeltest::TDDLTest {};
TEST_P(GeneratorTextTest, WritesTheExactText) { Check(); }

INSTANTIATE_TEST_SUITE_P(Rows, GeneratorTextTest, ::testing::ValuesIn(std::vector<TDDLRow>{
    Sequence("Oracle", DT::dbOracle, [](G&) {}, "CREATE SEQUENCE S\r\ncache 20 | DROP SEQUENCE S"),
    // Ones are left out, the start value always.
    Sequence("Oracle nocache", DT::dbOracle, [](G& g) { g.SetCache("0"), g.MinValue = g.IncrementBy = g.StartWith = "1";
             g.SetMaxValue("9"), g.Cycle = true; }, "CREATE SEQUENCE S\r\nmaxvalue 9\r\nnocache\r\ncycle | DROP SEQUENCE S"),
    Sequence("PG temporary", DT::dbPostgreSQL, [](G& g) { g.SetName("s"), g.Temporary = true, g.IncrementBy = "2",
             g.OwnedBy = "t.id"; }, "CREATE TEMPORARY SEQUENCE s INCREMENT BY 2 CACHE 20 OWNED BY t.id | DROP SEQUENCE s"),
    // MINVALUE stays when 1: the type's minimum would let CYCLE wrap negative.
    Sequence("MSSQL cycle", DT::dbMSSQL, [](G& g) { g.MinValue = "1", g.Cycle = true; },
             "CREATE SEQUENCE S\r\n    MINVALUE 1\r\n    CYCLE\r\n    CACHE 20 | DROP SEQUENCE S"),
    Sequence("MSSQL typed", DT::dbMSSQL, [](G& g) { g.SetSchema("dbo"), g.ValueField->DataType = 2, g.StartWith = "5";
             g.SetNoCache(true); }, "CREATE SEQUENCE DBO.S\r\n    AS BIGINT\r\n    START WITH 5\r\n    NOCACHE | DROP SEQUENCE DBO.S"),
    Sequence("FB25", DT::dbInterBase, [](G&) {}, "CREATE GENERATOR S | DROP GENERATOR S"),
    // Firebird 3 keeps the start and the step; before, there are none.
    Sequence("FB30 start", DT::dbInterBase, [](G& g) { g.Objs()->IBServerOptions().SQLServerVersion = V::st_Firebird_30;
             g.StartWith = "10", g.IncrementBy = "5"; }, "CREATE GENERATOR S START WITH 10 INCREMENT BY 5 | DROP GENERATOR S"),
    Sequence("FB40 defaults", DT::dbInterBase, [](G& g) { g.Objs()->IBServerOptions().SQLServerVersion = V::st_Firebird_40;
             g.StartWith = "0", g.IncrementBy = "1"; }, "CREATE GENERATOR S | DROP GENERATOR S"),
    Sequence("FB25 start", DT::dbInterBase, [](G& g) { g.StartWith = "10", g.IncrementBy = "5"; },
             "CREATE GENERATOR S | DROP GENERATOR S"),
    Sequence("IB6", DT::dbInterBase, [](G& g) { g.Objs()->IBServerOptions().SQLServerVersion = V::st_InterBase_6x; },
             "CREATE GENERATOR S | /* Drop generator: S */\r\nDELETE FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = 'S'"),
    Sequence("ASE", DT::dbSybaseASE, [](G&) {}, "CREATE GENERATOR S | "),
    {"DB2 identity", DT::dbDB2, [](TObjs& o) { G g(&o), none(&o); g.StartWith = "1", g.IncrementBy = "2";
         none.SetNoCache(true); return g.GetIdentityOptionsText() + " | " + none.GetIdentityOptionsText(); },
     "(START WITH 1, INCREMENT BY 2, CACHE 20) | (NO CACHE)"},
    Package("FB40", DT::dbInterBase, V::st_Firebird_40, "B", "CREATE OR ALTER PACKAGE P\r\n    AS\r\nH\r\n^\r\n\r\n"
            "RECREATE PACKAGE BODY P\r\n    AS\r\nB | DROP PACKAGE P"),
    Package("FB30 header", DT::dbInterBase, V::st_Firebird_30, "", "CREATE OR ALTER PACKAGE P\r\n    AS\r\nH | DROP PACKAGE P"),
    Package("Oracle", DT::dbOracle, V::st_Firebird_25, "B", "CREATE OR REPLACE PACKAGE P\r\nH\r\n/\r\n\r\n"
            "CREATE OR REPLACE PACKAGE BODY P\r\nB | DROP PACKAGE P"),
}), qeltest::RowName);

} // namespace
