#include "qelASAParser.h"
#include "qelText.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

using namespace qel;

TEST(ASAWordTables, RowsAsListed)
{
    ASSERT_EQ(ASAResWords.size(), 125u);
    ASSERT_EQ(ASAReservedWords.size(), 105u);
    EXPECT_EQ(ASAResWords.front(), "ADD");
    EXPECT_EQ(ASAResWords.back(), "WORK");
    EXPECT_EQ(ASAReservedWords.front(), "BACKUP");
    EXPECT_EQ(ASAReservedWords.back(), "WRITETEXT");
    EXPECT_EQ(std::set<std::string_view>(ASAResWords.begin(), ASAResWords.end()).size(), 125u);
    EXPECT_EQ(std::set<std::string_view>(ASAReservedWords.begin(), ASAReservedWords.end()).size(), 105u);
}

TEST(ASAWordTables, EveryRowIsFoundInAnyCaseWithItsNumber)
{
    for (std::size_t i = 0; i < ASAResWords.size(); ++i) {
        const std::string lower = LowerCase(ASAResWords[i]);
        EXPECT_EQ(ASAResWordSymb(lower), static_cast<TSymb>(30 + i)) << lower;
    }
    EXPECT_EQ(ASAResWordSymb("BACKUP"), TSymb::syIdent); // reserved, but no keyword
    EXPECT_EQ(ASAResWordSymb("RENAME"), TSymb::syIdent); // the table has REMAME
    EXPECT_NE(ASAResWordSymb("remame"), TSymb::syIdent);
}

struct NameCase {
    std::string name;
    std::string expected;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << '\'' << c.name << '\''; }
};

class ASAQuoteNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ASAQuoteNameTest, WritesTheIdentifier)
{
    EXPECT_EQ(ASAQuoteName(GetParam().name), GetParam().expected);
    // The version does not take part.
    EXPECT_EQ(ASAQuoteName(GetParam().name, TASAServerVersionType::st_ASA5), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ASAQuoteNameTest,
    ::testing::Values(
        NameCase{"", ""}, NameCase{"CUSTOMER", "CUSTOMER"}, NameCase{"Order_No", "Order_No"},
        NameCase{"order_no", "order_no"}, NameCase{"@var", "@var"}, NameCase{"#tmp", "#tmp"},
        NameCase{"$a1", "$a1"}, NameCase{"_x", "_x"}, NameCase{"A#$@_9", "A#$@_9"},
        // keywords and reserved words, written in upper case
        NameCase{"user", "\"USER\""}, NameCase{"Select", "\"SELECT\""}, NameCase{"backup", "\"BACKUP\""},
        NameCase{"WITH_CUBE", "\"WITH_CUBE\""}, NameCase{"remame", "\"REMAME\""}, NameCase{"RENAME", "RENAME"},
        // names that cannot stand bare, written as given
        NameCase{"my-col", "\"my-col\""}, NameCase{"1abc", "\"1abc\""}, NameCase{"Order No", "\"Order No\""},
        NameCase{"caf\xC3\xA9", "\"caf\xC3\xA9\""}, NameCase{"a\"b", "\"a\"\"b\""},
        NameCase{"\"", "\"\"\"\""}));
