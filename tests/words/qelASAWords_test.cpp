#include "qelASAWords.h"

#include "qelWordsTestSupport.h"

#include <gtest/gtest.h>

#include <set>

using namespace qel;
using qeltest::TNameCase;

TEST(ASAWordTables, EveryWordIsFoundWithItsNumber)
{
    qeltest::ExpectNumberedWords(ASAResWords, ASAResWordSymb);
    EXPECT_EQ(std::set<std::string_view>(ASAReservedWords.begin(), ASAReservedWords.end()).size(),
              ASAReservedWords.size());
    EXPECT_EQ(ASAResWordSymb("BACKUP"), TSymb::syIdent); // reserved, but no keyword
    EXPECT_EQ(ASAResWordSymb("RENAME"), TSymb::syIdent); // the table has REMAME
}

class ASAQuoteNameTest : public ::testing::TestWithParam<TNameCase> {};

TEST_P(ASAQuoteNameTest, WritesTheIdentifier)
{
    EXPECT_EQ(ASAQuoteName(GetParam().Name), GetParam().Expected);
    // The version does not take part.
    EXPECT_EQ(ASAQuoteName(GetParam().Name, TASAServerVersionType::st_ASA5), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ASAQuoteNameTest,
    ::testing::Values(
        TNameCase{"", ""}, TNameCase{"CUSTOMER", "CUSTOMER"}, TNameCase{"Order_No", "Order_No"},
        TNameCase{"order_no", "order_no"}, TNameCase{"@var", "@var"}, TNameCase{"#tmp", "#tmp"},
        TNameCase{"$a1", "$a1"}, TNameCase{"_x", "_x"}, TNameCase{"A#$@_9", "A#$@_9"},
        // keywords and reserved words, written in upper case
        TNameCase{"user", "\"USER\""}, TNameCase{"Select", "\"SELECT\""}, TNameCase{"backup", "\"BACKUP\""},
        TNameCase{"WITH_CUBE", "\"WITH_CUBE\""}, TNameCase{"remame", "\"REMAME\""}, TNameCase{"RENAME", "RENAME"},
        // names that cannot stand bare, written as given
        TNameCase{"my-col", "\"my-col\""}, TNameCase{"1abc", "\"1abc\""}, TNameCase{"Order No", "\"Order No\""},
        TNameCase{"caf\xC3\xA9", "\"caf\xC3\xA9\""}, TNameCase{"a\"b", "\"a\"\"b\""},
        TNameCase{"\"", "\"\"\"\""}));
