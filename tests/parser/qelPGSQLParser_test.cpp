#include "qelPGSQLParser.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

using namespace qel;

TEST(PGSQLWordTables, RowsAsListed)
{
    ASSERT_EQ(PGSQLResWords.size(), 98u);
    EXPECT_EQ(PGSQLResWords.front(), "ALL");
    EXPECT_EQ(PGSQLResWords[92], "WHERE");
    EXPECT_EQ(PGSQLResWords[93], ":=");
    EXPECT_EQ(PGSQLResWords.back(), ">>");
    EXPECT_EQ(std::set<std::string_view>(PGSQLResWords.begin(), PGSQLResWords.end()).size(), 98u);
    for (std::size_t i = 0; i < PGSQLResWords.size(); ++i)
        EXPECT_EQ(PGSQLResWordSymb(PGSQLResWords[i]), static_cast<TSymb>(30 + i)) << PGSQLResWords[i];
    EXPECT_EQ(PGSQLResWordSymb("analyse"), PGSQLResWordSymb("ANALYSE"));
    EXPECT_EQ(PGSQLResWordSymb("customer"), TSymb::syIdent);
}

struct NameCase {
    std::string name;
    bool needsQuotes;
    std::string expected;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << '\'' << c.name << '\''; }
};

class PGSQLQuoteNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(PGSQLQuoteNameTest, WritesTheIdentifier)
{
    EXPECT_EQ(PGSQLNeedsQuotes(GetParam().name), GetParam().needsQuotes);
    EXPECT_EQ(PGSQLQuoteName(GetParam().name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PGSQLQuoteNameTest,
    ::testing::Values(
        NameCase{"", false, ""}, NameCase{"customer", false, "customer"}, NameCase{"_x1$", false, "_x1$"},
        NameCase{"order_no", false, "order_no"},
        // bare names fold to lower case, so upper case must be quoted
        NameCase{"Customer", true, "\"Customer\""}, NameCase{"CUSTOMER", true, "\"CUSTOMER\""},
        // keywords in any case
        NameCase{"user", true, "\"user\""}, NameCase{"analyse", true, "\"analyse\""},
        NameCase{"verbose", true, "\"verbose\""},
        NameCase{"1x", true, "\"1x\""}, NameCase{"$x", true, "\"$x\""}, NameCase{"a b", true, "\"a b\""},
        NameCase{"a-b", true, "\"a-b\""}, NameCase{"caf\xC3\xA9", true, "\"caf\xC3\xA9\""},
        NameCase{"a\"b", true, "\"a\"\"b\""}));
