#include "qelDB2Parser.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

using namespace qel;

TEST(DB2WordTables, RowsAsListed)
{
    ASSERT_EQ(DB2ResWords.size(), 82u);
    EXPECT_EQ(DB2ResWords.front(), "ADD");
    EXPECT_EQ(DB2ResWords.back(), "YEARS");
    EXPECT_EQ(std::set<std::string_view>(DB2ResWords.begin(), DB2ResWords.end()).size(), 82u);
    for (std::size_t i = 0; i < DB2ResWords.size(); ++i)
        EXPECT_EQ(DB2ResWordSymb(DB2ResWords[i]), static_cast<TSymb>(30 + i)) << DB2ResWords[i];
    EXPECT_EQ(DB2ResWordSymb("new_table"), DB2ResWordSymb("NEW_TABLE"));
    EXPECT_EQ(DB2ResWordSymb("CUSTOMER"), TSymb::syIdent);
}

struct NameCase {
    std::string name;
    std::string expected;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << '\'' << c.name << '\''; }
};

class DB2QuoteNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(DB2QuoteNameTest, WritesTheIdentifier) { EXPECT_EQ(DB2QuoteName(GetParam().name), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Names, DB2QuoteNameTest,
    ::testing::Values(
        NameCase{"", ""}, NameCase{"CUSTOMER", "CUSTOMER"}, NameCase{"A#$@_9", "A#$@_9"},
        NameCase{"customer", "\"customer\""}, NameCase{"Customer", "\"Customer\""},
        NameCase{"USER", "\"USER\""}, NameCase{"YEARS", "\"YEARS\""}, NameCase{"DB2SQL", "\"DB2SQL\""},
        NameCase{"1A", "\"1A\""}, NameCase{"_A", "\"_A\""}, NameCase{"#A", "\"#A\""},
        NameCase{"A B", "\"A B\""}, NameCase{"A-B", "\"A-B\""}, NameCase{"\xC3\x89T\xC3\x89", "\"\xC3\x89T\xC3\x89\""},
        NameCase{"A\"B", "\"A\"\"B\""}));
