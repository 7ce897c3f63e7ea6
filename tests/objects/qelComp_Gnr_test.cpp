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

// Generator SEQ after Setup: its CREATE text, " | " and its drop.
TDDLRow Sequence(const char* Label, DT Server, std::function<void(TGnrData&)> Setup, const char* Expected)
{
    return {Label, Server,
            [=](TObjs& o) {
                TGnrData g(&o);
                g.SetName("SEQ");
                Setup(g);
                return g.GetCreateDDL() + " | " + g.GetDropScript();
            },
            Expected};
}

// Package P with a header and, unless empty, a body, under Version.
TDDLRow Package(const char* Label, DT Server, V Version, const char* Body, const char* Expected)
{
    return {Label, Server,
            [=](TObjs& o) {
                o.IBServerOptions().SQLServerVersion = Version;
                TPkgData p(&o);
                p.SetName("P");
                p.HeaderText = "BEGIN\r\n  FUNCTION F RETURNS INT;\r\nEND";
                p.SetBody(Body);
                return p.GetCreateDDL() + " | " + p.GetDropScript();
            },
            Expected};
}

class GeneratorTextTest : public qeltest::TDDLTest {};
TEST_P(GeneratorTextTest, WritesTheExactText) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, GeneratorTextTest,
    ::testing::ValuesIn(std::vector<TDDLRow>{
        Sequence("Oracle new", DT::dbOracle, [](TGnrData&) {}, "CREATE SEQUENCE SEQ\r\ncache 20 | DROP SEQUENCE SEQ"),
        Sequence("Oracle no cache, ones left out", DT::dbOracle,
                 [](TGnrData& g) {
                     g.SetCache("0");
                     g.MinValue = g.IncrementBy = g.StartWith = "1";
                     g.SetSchema("S");
                     g.Cycle = g.Order = true;
                 },
                 "CREATE SEQUENCE S.SEQ\r\nnocache\r\norder\r\ncycle | DROP SEQUENCE S.SEQ"),
        Sequence("Oracle limits", DT::dbOracle,
                 [](TGnrData& g) {
                     g.MinValue = "5";
                     g.SetMaxValue("100");
                     g.IncrementBy = "2";
                 },
                 "CREATE SEQUENCE SEQ\r\nminvalue 5\r\nmaxvalue 100\r\nincrement by 2\r\ncache 20 | DROP SEQUENCE SEQ"),
        Sequence("PG temporary", DT::dbPostgreSQL,
                 [](TGnrData& g) {
                     g.SetName("s");
                     g.Temporary = true;
                     g.IncrementBy = "2";
                     g.OwnedBy = "t.id";
                 },
                 "CREATE TEMPORARY SEQUENCE s INCREMENT BY 2 CACHE 20 OWNED BY t.id | DROP SEQUENCE s"),
        // MINVALUE is kept even when 1: the type's minimum would let CYCLE wrap negative.
        Sequence("MSSQL cycle", DT::dbMSSQL,
                 [](TGnrData& g) {
                     g.SetName("S");
                     g.MinValue = "1";
                     g.Cycle = true;
                 },
                 "CREATE SEQUENCE S\r\n    MINVALUE 1\r\n    CYCLE\r\n    CACHE 20 | DROP SEQUENCE S"),
        Sequence("MSSQL typed", DT::dbMSSQL,
                 [](TGnrData& g) {
                     g.SetName("S");
                     g.SetSchema("dbo");
                     g.ValueField->DataType = 2;
                     g.StartWith = "10";
                     g.IncrementBy = "5";
                     g.SetNoCache(true);
                 },
                 "CREATE SEQUENCE DBO.S\r\n    AS BIGINT\r\n    START WITH 10\r\n    INCREMENT BY 5\r\n    NOCACHE | "
                 "DROP SEQUENCE DBO.S"),
        Sequence("FB25 generator", DT::dbInterBase, [](TGnrData& g) { g.StartWith = "5"; },
                 "CREATE GENERATOR SEQ | DROP GENERATOR SEQ"),
        {"IB6 generator drop", DT::dbInterBase,
         [](TObjs& o) {
             o.IBServerOptions().SQLServerVersion = V::st_InterBase_6x;
             TGnrData g(&o);
             g.SetName("G");
             return g.GetDropScript();
         },
         "/* Drop generator: G */\r\nDELETE FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = 'G'"},
        Sequence("ASE has none", DT::dbSybaseASE, [](TGnrData&) {}, "CREATE GENERATOR SEQ | "),
        {"DB2 identity options", DT::dbDB2,
         [](TObjs& o) {
             TGnrData g(&o), none(&o);
             g.StartWith = "1";
             g.IncrementBy = "1";
             none.SetNoCache(true);
             TGnrData empty(&o);
             empty.SetCache("");
             return g.GetIdentityOptionsText() + " | " + none.GetIdentityOptionsText() + " | " +
                    empty.GetIdentityOptionsText();
         },
         "(START WITH 1, INCREMENT BY 1, CACHE 20) | (NO CACHE) | "},
        Package("FB40 header and body", DT::dbInterBase, V::st_Firebird_40, "BEGIN\r\n  FUNCTION F RETURNS INT AS BEGIN RETURN 1; END\r\nEND",
                "CREATE OR ALTER PACKAGE P\r\n    AS\r\nBEGIN\r\n  FUNCTION F RETURNS INT;\r\nEND\r\n^\r\n\r\n"
                "RECREATE PACKAGE BODY P\r\n    AS\r\nBEGIN\r\n  FUNCTION F RETURNS INT AS BEGIN RETURN 1; END\r\nEND | "
                "DROP PACKAGE P"),
        Package("FB30 header only", DT::dbInterBase, V::st_Firebird_30, "",
                "CREATE OR ALTER PACKAGE P\r\n    AS\r\nBEGIN\r\n  FUNCTION F RETURNS INT;\r\nEND | DROP PACKAGE P"),
        Package("Oracle", DT::dbOracle, V::st_Firebird_25, "B",
                "CREATE OR REPLACE PACKAGE P\r\nBEGIN\r\n  FUNCTION F RETURNS INT;\r\nEND\r\n/\r\n\r\n"
                "CREATE OR REPLACE PACKAGE BODY P\r\nB | DROP PACKAGE P")}),
    qeltest::RowName);

} // namespace
