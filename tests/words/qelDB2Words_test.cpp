#include "qelDB2Words.h"

#include "qelWordsTestSupport.h"

#include <gtest/gtest.h>

using namespace qel;
using qeltest::TNameCase;

TEST(DB2WordTables, EveryWordIsFoundWithItsNumber) { qeltest::ExpectNumberedWords(DB2ResWords, DB2ResWordSymb); }

class DB2QuoteNameTest : public ::testing::TestWithParam<TNameCase> {};

TEST_P(DB2QuoteNameTest, WritesTheIdentifier) { EXPECT_EQ(DB2QuoteName(GetParam().Name), GetParam().Expected); }

INSTANTIATE_TEST_SUITE_P(
    Names, DB2QuoteNameTest,
    ::testing::Values(
        TNameCase{"", ""}, TNameCase{"CUSTOMER", "CUSTOMER"}, TNameCase{"A#$@_9", "A#$@_9"},
        TNameCase{"customer", "\"customer\""}, TNameCase{"Customer", "\"Customer\""},
        TNameCase{"USER", "\"USER\""}, TNameCase{"YEARS", "\"YEARS\""}, TNameCase{"DB2SQL", "\"DB2SQL\""},
        TNameCase{"1A", "\"1A\""}, TNameCase{"_A", "\"_A\""}, TNameCase{"#A", "\"#A\""},
        TNameCase{"A B", "\"A B\""}, TNameCase{"A-B", "\"A-B\""},
        TNameCase{"\xC3\x89T\xC3\x89", "\"\xC3\x89T\xC3\x89\""},
        TNameCase{"A\"B", "\"A\"\"B\""}));
