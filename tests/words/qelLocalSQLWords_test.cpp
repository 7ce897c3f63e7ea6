#include "qelLocalSQLWords.h"

#include "qelWordsTestSupport.h"

#include <gtest/gtest.h>

using namespace qel;
using qeltest::TNameCase;

TEST(LocalSQLWordTables, EveryWordIsFoundWithItsNumber)
{
    qeltest::ExpectNumberedWords(LocalSQLResWords, LocalSQLResWordSymb);
    EXPECT_EQ(LocalSQLResWordSymb("ACTIVE"), TSymb::syIdent);    // the table has IACTIVE
    EXPECT_EQ(LocalSQLResWordSymb("COMMITTED"), TSymb::syIdent); // and COMMITED
}

class LocalSQLQuoteNameTest : public ::testing::TestWithParam<TNameCase> {};

TEST_P(LocalSQLQuoteNameTest, QuotesKeywordsOnly)
{
    EXPECT_EQ(LocalSQLQuoteName(GetParam().Name), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, LocalSQLQuoteNameTest,
    ::testing::Values(
        TNameCase{"", ""}, TNameCase{"customer", "customer"}, TNameCase{"Cust No", "Cust No"},
        TNameCase{"1st", "1st"}, TNameCase{"caf\xC3\xA9", "caf\xC3\xA9"}, TNameCase{"a\"b", "a\"b"},
        TNameCase{"date", "\"date\""}, TNameCase{"DATE", "\"DATE\""}, TNameCase{"Position", "\"Position\""},
        TNameCase{"iactive", "\"iactive\""}, TNameCase{"COMMITED", "\"COMMITED\""}, TNameCase{"RESERV", "\"RESERV\""},
        TNameCase{"rdb$db_key", "\"rdb$db_key\""}));
