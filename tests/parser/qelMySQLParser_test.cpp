#include "qelMySQLParser.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

using namespace qel;

TEST(MySQLWordTables, RowsAsListed)
{
    ASSERT_EQ(MySQLReservedWords.size(), 215u);
    EXPECT_EQ(MySQLReservedWords.front(), "ADD");
    EXPECT_EQ(MySQLReservedWords[213], "ZEROFILL");
    EXPECT_EQ(MySQLReservedWords.back(), "FIELD");
    EXPECT_EQ(std::set<std::string_view>(MySQLReservedWords.begin(), MySQLReservedWords.end()).size(), 215u);
}

struct NameCase {
    std::string name;
    std::string expected;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << '\'' << c.name << '\''; }
};

class MySQLQuoteNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(MySQLQuoteNameTest, WritesTheIdentifier) { EXPECT_EQ(MySQLQuoteName(GetParam().name), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Names, MySQLQuoteNameTest,
    ::testing::Values(
        NameCase{"", ""}, NameCase{"CUSTOMER", "CUSTOMER"}, NameCase{"ORDER_NO", "ORDER_NO"},
        NameCase{"A$1", "A$1"}, NameCase{"_X", "_X"},
        // any lower-case letter
        NameCase{"Customer", "`Customer`"}, NameCase{"customer", "`customer`"},
        // reserved words, in any case
        NameCase{"SELECT", "`SELECT`"}, NameCase{"select", "`select`"}, NameCase{"FIELD", "`FIELD`"},
        NameCase{"YEAR_MONTH", "`YEAR_MONTH`"},
        // names that would not read back as one identifier when bare
        NameCase{"ORDER DATE", "`ORDER DATE`"}, NameCase{"A-B", "`A-B`"}, NameCase{"1E5", "`1E5`"},
        NameCase{"123", "`123`"}, NameCase{"CAF\xC3\x89", "`CAF\xC3\x89`"},
        // a back-quote inside is doubled, so the name cannot end its quotes
        NameCase{"A`B", "`A``B`"}, NameCase{"X`; DROP TABLE T; --", "`X``; DROP TABLE T; --`"}));
