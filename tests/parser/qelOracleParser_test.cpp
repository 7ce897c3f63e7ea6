#include "qelOracleParser.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

using namespace qel;

TEST(OracleWordTables, RowsAsListed)
{
    ASSERT_EQ(OracleResWords.size(), 112u);
    EXPECT_EQ(OracleResWords.front(), "ACCESS");
    EXPECT_EQ(OracleResWords.back(), "WITH");
    EXPECT_EQ(std::set<std::string_view>(OracleResWords.begin(), OracleResWords.end()).size(), 112u);
    for (std::size_t i = 0; i < OracleResWords.size(); ++i)
        EXPECT_EQ(OracleResWordSymb(OracleResWords[i]), static_cast<TSymb>(30 + i)) << OracleResWords[i];
    EXPECT_EQ(OracleResWordSymb("varchar2"), OracleResWordSymb("VARCHAR2"));
    EXPECT_EQ(OracleResWordSymb("CUSTOMER"), TSymb::syIdent);
}

struct NameCase {
    std::string name;
    std::string expected;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << '\'' << c.name << '\''; }
};

class OracleQuoteNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(OracleQuoteNameTest, WritesTheIdentifier) { EXPECT_EQ(OracleQuoteName(GetParam().name), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Names, OracleQuoteNameTest,
    ::testing::Values(
        NameCase{"", ""}, NameCase{"CUSTOMER", "CUSTOMER"}, NameCase{"A#$_9", "A#$_9"},
        NameCase{"Customer", "\"Customer\""}, NameCase{"customer", "\"customer\""},
        NameCase{"LEVEL", "\"LEVEL\""}, NameCase{"ROWNUM", "\"ROWNUM\""}, NameCase{"VARCHAR2", "\"VARCHAR2\""},
        NameCase{"1A", "\"1A\""}, NameCase{"_A", "\"_A\""}, NameCase{"A@B", "\"A@B\""},
        NameCase{"A B", "\"A B\""}, NameCase{"\xC3\x89T\xC3\x89", "\"\xC3\x89T\xC3\x89\""},
        NameCase{"A\"B", "\"A\"\"B\""}));
