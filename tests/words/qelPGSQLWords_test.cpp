#include "qelPGSQLWords.h"

#include "qelWordsTestSupport.h"

#include <gtest/gtest.h>

using namespace qel;
using qeltest::TNameCase;

TEST(PGSQLWordTables, EveryWordIsFoundWithItsNumber) { qeltest::ExpectNumberedWords(PGSQLResWords, PGSQLResWordSymb); }

class PGSQLQuoteNameTest : public ::testing::TestWithParam<TNameCase> {};

TEST_P(PGSQLQuoteNameTest, WritesTheIdentifier)
{
    EXPECT_EQ(PGSQLNeedsQuotes(GetParam().Name), GetParam().Expected != GetParam().Name);
    EXPECT_EQ(PGSQLQuoteName(GetParam().Name), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PGSQLQuoteNameTest,
    ::testing::Values(
        TNameCase{"", ""}, TNameCase{"customer", "customer"}, TNameCase{"_x1$", "_x1$"},
        TNameCase{"order_no", "order_no"},
        // bare names fold to lower case, so upper case must be quoted
        TNameCase{"Customer", "\"Customer\""}, TNameCase{"CUSTOMER", "\"CUSTOMER\""},
        // keywords in any case
        TNameCase{"user", "\"user\""}, TNameCase{"analyse", "\"analyse\""},
        TNameCase{"verbose", "\"verbose\""},
        TNameCase{"1x", "\"1x\""}, TNameCase{"$x", "\"$x\""}, TNameCase{"a b", "\"a b\""},
        TNameCase{"a-b", "\"a-b\""}, TNameCase{"caf\xC3\xA9", "\"caf\xC3\xA9\""},
        TNameCase{"a\"b", "\"a\"\"b\""}));
