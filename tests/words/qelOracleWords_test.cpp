#include "qelOracleWords.h"

#include "qelWordsTestSupport.h"

#include <gtest/gtest.h>

using namespace qel;
using qeltest::TNameCase;

TEST(OracleWordTables, EveryWordIsFoundWithItsNumber)
{
    qeltest::ExpectNumberedWords(OracleResWords, OracleResWordSymb);
}

class OracleQuoteNameTest : public ::testing::TestWithParam<TNameCase> {};

TEST_P(OracleQuoteNameTest, WritesTheIdentifier) { EXPECT_EQ(OracleQuoteName(GetParam().Name), GetParam().Expected); }

INSTANTIATE_TEST_SUITE_P(
    Names, OracleQuoteNameTest,
    ::testing::Values(
        TNameCase{"", ""}, TNameCase{"CUSTOMER", "CUSTOMER"}, TNameCase{"A#$_9", "A#$_9"},
        TNameCase{"Customer", "\"Customer\""}, TNameCase{"customer", "\"customer\""},
        TNameCase{"LEVEL", "\"LEVEL\""}, TNameCase{"ROWNUM", "\"ROWNUM\""}, TNameCase{"VARCHAR2", "\"VARCHAR2\""},
        TNameCase{"1A", "\"1A\""}, TNameCase{"_A", "\"_A\""}, TNameCase{"A@B", "\"A@B\""},
        TNameCase{"A B", "\"A B\""}, TNameCase{"\xC3\x89T\xC3\x89", "\"\xC3\x89T\xC3\x89\""},
        TNameCase{"A\"B", "\"A\"\"B\""}));
