#include "qelLocalSQLParser.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

using namespace qel;

TEST(LocalSQLWordTables, RowsAsListed)
{
    ASSERT_EQ(LocalSQLResWords.size(), 215u);
    EXPECT_EQ(LocalSQLResWords.front(), "IACTIVE");
    EXPECT_EQ(LocalSQLResWords.back(), "YEAR");
    EXPECT_EQ(std::set<std::string_view>(LocalSQLResWords.begin(), LocalSQLResWords.end()).size(), 215u);
    for (std::size_t i = 0; i < LocalSQLResWords.size(); ++i)
        EXPECT_EQ(LocalSQLResWordSymb(LocalSQLResWords[i]), static_cast<TSymb>(30 + i)) << LocalSQLResWords[i];
    EXPECT_EQ(LocalSQLResWordSymb("rdb$db_key"), LocalSQLResWordSymb("RDB$DB_KEY"));
    EXPECT_EQ(LocalSQLResWordSymb("ACTIVE"), TSymb::syIdent); // the table has IACTIVE
    EXPECT_EQ(LocalSQLResWordSymb("COMMITTED"), TSymb::syIdent); // and COMMITED
}

struct NameCase {
    std::string name;
    std::string expected;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << '\'' << c.name << '\''; }
};

class LocalSQLQuoteNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(LocalSQLQuoteNameTest, QuotesKeywordsOnly)
{
    EXPECT_EQ(LocalSQLQuoteName(GetParam().name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, LocalSQLQuoteNameTest,
    ::testing::Values(
        NameCase{"", ""}, NameCase{"customer", "customer"}, NameCase{"Cust No", "Cust No"},
        NameCase{"1st", "1st"}, NameCase{"caf\xC3\xA9", "caf\xC3\xA9"}, NameCase{"a\"b", "a\"b"},
        NameCase{"date", "\"date\""}, NameCase{"DATE", "\"DATE\""}, NameCase{"Position", "\"Position\""},
        NameCase{"iactive", "\"iactive\""}, NameCase{"COMMITED", "\"COMMITED\""}, NameCase{"RESERV", "\"RESERV\""},
        NameCase{"rdb$db_key", "\"rdb$db_key\""}));
