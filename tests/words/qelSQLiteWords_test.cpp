#include "qelSQLiteWords.h"

#include "qelWordsTestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

using namespace qel;
using qeltest::TNameCase;

// The table against the library's own list: a keyword a newer libsqlite3
// adds shows here.
TEST(SQLiteWordTables, EveryKeywordOfTheLibraryIsKnown)
{
    for (int i = 0; i < sqlite3_keyword_count(); ++i) {
        const char* word = nullptr;
        int length = 0;
        ASSERT_EQ(sqlite3_keyword_name(i, &word, &length), SQLITE_OK);
        const std::string w(word, static_cast<size_t>(length));
        EXPECT_TRUE(IsSQLiteKeyword(w)) << w;
        EXPECT_EQ(SQLiteQuoteName(w), "\"" + w + "\"");
    }
    EXPECT_FALSE(IsSQLiteKeyword("ITEMS"));
    EXPECT_FALSE(IsSQLiteKeyword("ROWID"));
}

class SQLiteQuoteNameTest : public ::testing::TestWithParam<TNameCase> {};

TEST_P(SQLiteQuoteNameTest, WritesTheIdentifier)
{
    EXPECT_EQ(SQLiteNeedsQuotes(GetParam().Name), GetParam().Expected != GetParam().Name);
    EXPECT_EQ(SQLiteQuoteName(GetParam().Name), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SQLiteQuoteNameTest,
    ::testing::Values(
        TNameCase{"", ""}, TNameCase{"items", "items"}, TNameCase{"Items", "Items"}, TNameCase{"ITEMS_2", "ITEMS_2"},
        TNameCase{"_x1", "_x1"},
        // keywords in any case
        TNameCase{"order", "\"order\""}, TNameCase{"Group", "\"Group\""}, TNameCase{"current_timestamp", "\"current_timestamp\""},
        TNameCase{"1x", "\"1x\""}, TNameCase{"$x", "\"$x\""}, TNameCase{"x$", "\"x$\""}, TNameCase{"a b", "\"a b\""},
        TNameCase{"a.b", "\"a.b\""}, TNameCase{"it's", "\"it's\""}, TNameCase{"[x]", "\"[x]\""},
        TNameCase{"caf\xC3\xA9", "\"caf\xC3\xA9\""}, TNameCase{"a\"b", "\"a\"\"b\""}));
