#include "qelClasses.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using namespace qel;
using DT = TDatabaseType;
using V = TIBSQLServerVersionType;

namespace {

const DT kAllTypes[] = {DT::dbAbstract,  DT::dbInterBase,    DT::dbSybaseASA, DT::dbMySQL,    DT::dbOracle,
                        DT::dbMSSQL,     DT::dbPostgreSQL,   DT::dbDB2,       DT::dbSybaseASE, DT::dbPervasiveSQL,
                        DT::dbMSAccess,  DT::dbParadox,      DT::dbDBASE,     DT::dbCustomOLEDB};

} // namespace

struct IdentCase {
    std::string name;
    DT type;
    V version;
    int dialect;
    std::string expected;
    friend void PrintTo(const IdentCase& c, std::ostream* os)
    {
        *os << '\'' << c.name << "' type " << static_cast<int>(c.type) << " dialect " << c.dialect;
    }
};

class QuoteIdentifierTest : public ::testing::TestWithParam<IdentCase> {};

TEST_P(QuoteIdentifierTest, FollowsTheServersRule)
{
    const IdentCase& c = GetParam();
    EXPECT_EQ(QuoteIdentifier(c.name, c.type, c.version, static_cast<TIBSQLDialectType>(c.dialect)), c.expected);
}

constexpr V FB25 = V::st_Firebird_25;

INSTANTIATE_TEST_SUITE_P(
    PerServer, QuoteIdentifierTest,
    ::testing::Values(
        // InterBase/Firebird: dialect 3 quotes by the version's words, dialect 1 never
        IdentCase{"CUSTOMER", DT::dbInterBase, FB25, 3, "CUSTOMER"},
        IdentCase{"Customer", DT::dbInterBase, FB25, 3, "\"Customer\""},
        IdentCase{"ORDER", DT::dbInterBase, FB25, 3, "\"ORDER\""},
        IdentCase{"ORDER", DT::dbInterBase, FB25, 1, "ORDER"},
        IdentCase{"Order Date", DT::dbInterBase, FB25, 1, "Order Date"},
        IdentCase{"NAME", DT::dbInterBase, FB25, 3, "NAME"},
        IdentCase{"NAME", DT::dbInterBase, V::st_InterBase_2020, 3, "\"NAME\""},
        IdentCase{"DATABASE", DT::dbInterBase, V::st_Firebird_30, 3, "DATABASE"},
        IdentCase{"1ST", DT::dbInterBase, FB25, 3, "\"1ST\""},
        IdentCase{"A B", DT::dbInterBase, FB25, 3, "\"A B\""},
        IdentCase{"CAF\xC3\x89", DT::dbInterBase, FB25, 3, "\"CAF\xC3\x89\""},
        IdentCase{"A\"B", DT::dbInterBase, FB25, 3, "\"A\"\"B\""},
        // SQL Anywhere: reserved words in upper case
        IdentCase{"user", DT::dbSybaseASA, FB25, 3, "\"USER\""},
        IdentCase{"Order_No", DT::dbSybaseASA, FB25, 3, "Order_No"},
        IdentCase{"my-col", DT::dbSybaseASA, FB25, 3, "\"my-col\""},
        IdentCase{"a\"b", DT::dbSybaseASA, FB25, 3, "\"a\"\"b\""},
        // MySQL: back-quotes
        IdentCase{"CUSTOMER", DT::dbMySQL, FB25, 3, "CUSTOMER"},
        IdentCase{"Customer", DT::dbMySQL, FB25, 3, "`Customer`"},
        IdentCase{"SELECT", DT::dbMySQL, FB25, 3, "`SELECT`"},
        IdentCase{"ORDER DATE", DT::dbMySQL, FB25, 3, "`ORDER DATE`"},
        IdentCase{"A`B", DT::dbMySQL, FB25, 3, "`A``B`"},
        // MS SQL: brackets
        IdentCase{"Customer", DT::dbMSSQL, FB25, 1, "Customer"},
        IdentCase{"Order", DT::dbMSSQL, FB25, 1, "[Order]"},
        IdentCase{"@v", DT::dbMSSQL, FB25, 1, "[@v]"},
        IdentCase{"#tmp", DT::dbMSSQL, FB25, 1, "#tmp"},
        IdentCase{"MERGE", DT::dbMSSQL, FB25, 1, "[MERGE]"},
        IdentCase{"a]b", DT::dbMSSQL, FB25, 1, "[a]]b]"},
        // PostgreSQL: anything but a lower-case bare name
        IdentCase{"customer", DT::dbPostgreSQL, FB25, 3, "customer"},
        IdentCase{"Customer", DT::dbPostgreSQL, FB25, 3, "\"Customer\""},
        IdentCase{"user", DT::dbPostgreSQL, FB25, 3, "\"user\""},
        IdentCase{"a\"b", DT::dbPostgreSQL, FB25, 3, "\"a\"\"b\""},
        // Oracle and DB2: anything but an upper-case bare name
        IdentCase{"CUSTOMER", DT::dbOracle, FB25, 3, "CUSTOMER"},
        IdentCase{"customer", DT::dbOracle, FB25, 3, "\"customer\""},
        IdentCase{"_A", DT::dbOracle, FB25, 3, "\"_A\""},
        IdentCase{"LEVEL", DT::dbOracle, FB25, 3, "\"LEVEL\""},
        IdentCase{"CUSTOMER", DT::dbDB2, FB25, 3, "CUSTOMER"},
        IdentCase{"1A", DT::dbDB2, FB25, 3, "\"1A\""},
        IdentCase{"USER", DT::dbDB2, FB25, 3, "\"USER\""},
        // Paradox and dBASE: keywords only
        IdentCase{"date", DT::dbParadox, FB25, 3, "\"date\""},
        IdentCase{"Cust No", DT::dbParadox, FB25, 3, "Cust No"},
        IdentCase{"DATE", DT::dbDBASE, FB25, 3, "\"DATE\""},
        IdentCase{"Name", DT::dbDBASE, FB25, 3, "Name"},
        // no rule of their own
        IdentCase{"Order Date", DT::dbSybaseASE, FB25, 3, "Order Date"},
        IdentCase{"select", DT::dbAbstract, FB25, 3, "select"},
        IdentCase{"a]b", DT::dbPervasiveSQL, FB25, 3, "a]b"},
        IdentCase{"Order", DT::dbMSAccess, FB25, 3, "Order"},
        IdentCase{"x y", DT::dbCustomOLEDB, FB25, 3, "x y"}));

TEST(QuoteIdentifier, EmptyNameStaysEmptyForEveryServer)
{
    for (DT t : kAllTypes)
        for (int dialect : {1, 3}) EXPECT_EQ(QuoteIdentifier("", t, FB25, static_cast<TIBSQLDialectType>(dialect)), "");
}

TEST(QuoteIdentifier, InterBaseDialectOneWritesReservedWordsBare)
{
    for (const char* name : {"SELECT", "ORDER", "USER", "SHADOW", "name", "1ST"})
        for (V v : {V::st_InterBase_4x, V::st_InterBase_6x, FB25, V::st_Firebird_40, V::st_InterBase_2020})
            EXPECT_EQ(QuoteIdentifier(name, DT::dbInterBase, v, 1), name) << name;
}

TEST(DbObj, KeepsNameKindAndANormalisedDescription)
{
    TDbObj o;
    EXPECT_EQ(o.ObjectType(), TDbObject::dboUnknown);
    EXPECT_EQ(o.GetParentObj(), nullptr);
    EXPECT_EQ(o.GetParentName(), "");
    EXPECT_EQ(o.GetDescriptionScript(), "");
    o.SetName("ORDERS");
    o.SetSchema("dbo");
    o.SetObjectType(TDbObject::dboTable);
    EXPECT_EQ(o.Name(), "ORDERS");
    EXPECT_EQ(o.Schema(), "dbo");
    EXPECT_EQ(o.ObjectType(), TDbObject::dboTable);
    o.SetDescription("  first\nsecond\rthird\r\n\r\n");
    EXPECT_EQ(o.Description(), "first\r\nsecond\r\nthird");
    o.SetDescription("\t \r\n");
    EXPECT_EQ(o.Description(), "");
}
