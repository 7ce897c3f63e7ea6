#include "qelMySQLWords.h"

#include "qelWordsTestSupport.h"

#include <gtest/gtest.h>

#include <set>

using namespace qel;
using qeltest::TNameCase;

TEST(MySQLWordTables, NoReservedWordStandsTwice)
{
    EXPECT_EQ(std::set<std::string_view>(MySQLReservedWords.begin(), MySQLReservedWords.end()).size(),
              MySQLReservedWords.size());
}

class MySQLQuoteNameTest : public ::testing::TestWithParam<TNameCase> {};

TEST_P(MySQLQuoteNameTest, WritesTheIdentifier) { EXPECT_EQ(MySQLQuoteName(GetParam().Name), GetParam().Expected); }

INSTANTIATE_TEST_SUITE_P(
    Names, MySQLQuoteNameTest,
    ::testing::Values(
        TNameCase{"", ""}, TNameCase{"CUSTOMER", "CUSTOMER"}, TNameCase{"ORDER_NO", "ORDER_NO"},
        TNameCase{"A$1", "A$1"}, TNameCase{"_X", "_X"},
        // any lower-case letter
        TNameCase{"Customer", "`Customer`"}, TNameCase{"customer", "`customer`"},
        // reserved words, in any case
        TNameCase{"SELECT", "`SELECT`"}, TNameCase{"select", "`select`"}, TNameCase{"FIELD", "`FIELD`"},
        TNameCase{"YEAR_MONTH", "`YEAR_MONTH`"},
        // names that would not read back as one identifier when bare
        TNameCase{"ORDER DATE", "`ORDER DATE`"}, TNameCase{"A-B", "`A-B`"}, TNameCase{"1E5", "`1E5`"},
        TNameCase{"123", "`123`"}, TNameCase{"CAF\xC3\x89", "`CAF\xC3\x89`"},
        // a back-quote inside is doubled, so the name cannot end its quotes
        TNameCase{"A`B", "`A``B`"}, TNameCase{"X`; DROP TABLE T; --", "`X``; DROP TABLE T; --`"}));
