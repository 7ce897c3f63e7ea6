#include "qelDBOptions.h"
#include "qelTypes.h"

#include <gtest/gtest.h>

using namespace qel;
using DT = TDatabaseType;

struct QuoteCase {
    DT type;
    std::string value;
    std::string expected;
};

class SQLQuotedStrTest : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(SQLQuotedStrTest, GivesTheServersLiteral)
{
    EXPECT_EQ(SQLQuotedStr(GetParam().value, GetParam().type), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    PerServer, SQLQuotedStrTest,
    ::testing::Values(
        QuoteCase{DT::dbInterBase, "it's", "'it''s'"}, QuoteCase{DT::dbMSSQL, "a\\b\r\n", "'a\\b\r\n'"},
        QuoteCase{DT::dbOracle, "", "''"}, QuoteCase{DT::dbMySQL, "", "''"}, QuoteCase{DT::dbPostgreSQL, "", "''"},
        QuoteCase{DT::dbMySQL, "it's", "'it''s'"}, QuoteCase{DT::dbMySQL, "say \"hi\"", "'say \\\"hi\\\"'"},
        QuoteCase{DT::dbMySQL, "a\r\nb", "'a\\r\\nb'"}, QuoteCase{DT::dbMySQL, "c:\\x", "'c:\\\\x'"},
        QuoteCase{DT::dbMySQL, std::string("\0\b\t\x1A", 4), "'\\0\\b\\t\\z'"},
        QuoteCase{DT::dbPostgreSQL, "it's", "'it''s'"},
        QuoteCase{DT::dbPostgreSQL, "a\r\nb", "'a\r\nb'"},
        QuoteCase{DT::dbPostgreSQL, "c:\\x", "E'c:\\x5Cx'"},
        QuoteCase{DT::dbPostgreSQL, std::string("a\0b", 3), "E'a\\x00b'"},
        QuoteCase{DT::dbPostgreSQL, "it's\b\t", "E'it''s\\b\\t'"}));

TEST(Routines, StatementTerminatorPerServer)
{
    EXPECT_EQ(StatementTerminator(DT::dbSybaseASE), "\r\ngo\r\n");
    EXPECT_EQ(StatementTerminator(DT::dbSybaseASA), "\r\ngo\r\n");
    EXPECT_EQ(StatementTerminator(DT::dbMSSQL), "\r\nGO\r\n");
    EXPECT_EQ(StatementTerminator(DT::dbInterBase), ";\r\n");
    EXPECT_EQ(StatementTerminator(DT::dbAbstract), ";\r\n");
}

TEST(Routines, QualifiedNameAndCharInSet)
{
    EXPECT_EQ(QualifiedName("", "T"), "T");
    EXPECT_EQ(QualifiedName("dbo", "T"), "dbo.T");
    const TCharSet s = MakeCharSet("AZ_\xE9");
    EXPECT_TRUE(CharInSet('_', s));
    EXPECT_TRUE(CharInSet('\xE9', s));
    EXPECT_FALSE(CharInSet('B', s));
}

TEST(Routines, TryStrToIntTakesWholeTextOnly)
{
    std::int32_t v = 0;
    EXPECT_TRUE(TryStrToInt("-2147483648", v));
    EXPECT_EQ(v, -2147483648);
    EXPECT_TRUE(TryStrToInt("$FF", v));
    EXPECT_EQ(v, 255);
    EXPECT_TRUE(TryStrToInt("$FFFFFFFF", v));
    EXPECT_EQ(v, -1);
    EXPECT_TRUE(TryStrToInt("+12", v));
    EXPECT_EQ(v, 12);
    for (const char* bad : {"", "-", "12a", "2147483648", "1.0", "$", "$1G", "12 "}) {
        v = 99;
        EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
    }
}

TEST(ValueObjects, TableSpaceTypeDirectiveIndexOptions)
{
    TTableSpace ts;
    EXPECT_EQ(ts.GetSQL(), "");
    ts.maxtrans = 255;
    EXPECT_EQ(ts.GetSQL(), "maxtrans 255");
    ts.pctfree = 10;
    ts.storage = "(initial 64K)";
    ts.extra = "logging";
    EXPECT_EQ(ts.GetSQL(), "pctfree 10\r\n   maxtrans 255\r\n   storage\r\n(initial 64K)   logging");

    TTypeDirective td;
    EXPECT_EQ(td.GetSQL(), "");
    td.NotFinal = true;
    td.Instantiable = true;
    EXPECT_EQ(td.GetSQL(), "NOT FINAL INSTANTIABLE ");
    td.Overriding = true;
    td.NotInstantiable = true;
    td.Final = true;
    EXPECT_EQ(td.GetSQL(), "OVERRIDING NOT INSTANTIABLE NOT FINAL INSTANTIABLE FINAL ");

    TIndexOptions io;
    io.FillFactor = 80;
    io.DropExisting = true;
    io.Online = true;
    io.IndexMethod = "BTREE";
    io.Clear();
    EXPECT_EQ(io.FillFactor, 0);
    EXPECT_FALSE(io.DropExisting);
    EXPECT_FALSE(io.Online);
    EXPECT_EQ(io.IndexMethod, "BTREE");
}

TEST(Sets, DatabaseAndConnectionSets)
{
    const auto s = TDatabaseSetType::Range(DT::dbInterBase, DT::dbSybaseASE) | TDatabaseSetType{DT::dbParadox};
    EXPECT_TRUE(s.Contains(DT::dbMSSQL));
    EXPECT_TRUE(s.Contains(DT::dbParadox));
    EXPECT_FALSE(s.Contains(DT::dbPervasiveSQL));
    EXPECT_EQ(s.Count(), 9u);
}
