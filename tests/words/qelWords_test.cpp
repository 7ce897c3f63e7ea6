#include "qelWords.h"

#include "qelWordTable.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace qel;

namespace {

constexpr std::size_t npos = std::string_view::npos;

struct RunCase {
    std::string text;
    std::size_t open;
    char close;
    std::size_t end;  // QuotedRunEnd
    std::string value; // QuotedValue
    std::size_t valueEnd;
    friend void PrintTo(const RunCase& c, std::ostream* os) { *os << c.text; }
};

class QuotedRuns : public ::testing::TestWithParam<RunCase> {};

} // namespace

TEST_P(QuotedRuns, EndAndValue)
{
    const RunCase& c = GetParam();
    EXPECT_EQ(QuotedRunEnd(c.text, c.open, c.close), c.end);
    std::size_t end = 12345;
    EXPECT_EQ(QuotedValue(c.text, c.open, c.close, &end), c.value);
    EXPECT_EQ(end, c.valueEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, QuotedRuns,
    ::testing::Values(RunCase{"'it''s' x", 0, '\'', 7, "it's", 7}, RunCase{"x 'a'", 2, '\'', 5, "a", 5},
                      RunCase{"''", 0, '\'', 2, "", 2}, RunCase{"'''' ", 0, '\'', 4, "'", 4},
                      RunCase{"[a]]b] x", 0, ']', 6, "a]b", 6}, RunCase{"\"a\"\"b\"", 0, '"', 6, "a\"b", 6},
                      // The other quote is a character like any other.
                      RunCase{"'say \"hi\"'", 0, '\'', 10, "say \"hi\"", 10},
                      // Never closed: the value reads to the end.
                      RunCase{"'it''s", 0, '\'', npos, "it's", 6}, RunCase{"'''", 0, '\'', npos, "'", 3},
                      RunCase{"'", 0, '\'', npos, "", 1}));

TEST(QuotedRuns, ReadBackWhatQuoteDelimitedWrites)
{
    for (const std::string value : {"", "plain", "O'Brien", "''", "a\"b", "x]]y", "'\"]"}) {
        for (const auto& [open, close] : {std::pair{'\'', '\''}, std::pair{'"', '"'}, std::pair{'[', ']'}}) {
            const std::string quoted = QuoteDelimited(value, open, close);
            EXPECT_EQ(QuotedValue(quoted, 0, close), value) << quoted;
            EXPECT_EQ(QuotedRunEnd(quoted + " rest", 0, close), quoted.size()) << quoted;
        }
    }
}

TEST(NextQuotedValue, ValuesByPositionThenNone)
{
    const std::string text = "CONNECT 'db.fdb' USER 'SYS''DBA' PASSWORD 'pw";
    std::size_t pos = 0;
    std::string v;
    ASSERT_TRUE(NextQuotedValue(text, pos, v));
    EXPECT_EQ(v, "db.fdb");
    EXPECT_EQ(pos, 16u);
    ASSERT_TRUE(NextQuotedValue(text, pos, v));
    EXPECT_EQ(v, "SYS'DBA");
    // A value that never closes reads to the end.
    ASSERT_TRUE(NextQuotedValue(text, pos, v));
    EXPECT_EQ(v, "pw");
    EXPECT_EQ(pos, text.size());
    // None left: Pos and Value stay as they were.
    EXPECT_FALSE(NextQuotedValue(text, pos, v));
    EXPECT_EQ(v, "pw");
    EXPECT_EQ(pos, text.size());
    std::size_t start = 3;
    EXPECT_FALSE(NextQuotedValue("no quotes", start, v));
    EXPECT_EQ(start, 3u);
}

namespace {

struct WordsCase {
    std::string text;
    std::vector<std::string> words; // quoted ones marked with a leading '@'
    friend void PrintTo(const WordsCase& c, std::ostream* os) { *os << c.text; }
};

class StatementWordsTest : public ::testing::TestWithParam<WordsCase> {};

} // namespace

TEST_P(StatementWordsTest, WordsQuotedValuesAndEquals)
{
    std::vector<std::string> got;
    for (const TStatementWord& w : StatementWords(GetParam().text)) got.push_back((w.Quoted ? "@" : "") + w.Text);
    EXPECT_EQ(got, GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StatementWordsTest,
    ::testing::Values(
        WordsCase{"CREATE DATABASE 'a.fdb' PAGE_SIZE=4096;", {"CREATE", "DATABASE", "@a.fdb", "PAGE_SIZE", "=", "4096"}},
        WordsCase{"create schema \"srv:/x.fdb\"\r\n\tuser 'it''s'  password=\"p\"\"w\"",
                  {"create", "schema", "@srv:/x.fdb", "user", "@it's", "password", "=", "@p\"w"}},
        WordsCase{"SET NAMES UTF8;", {"SET", "NAMES", "UTF8"}},
        // Quotes and "=" end a plain word; an empty quoted value is a word.
        WordsCase{"a'b'c=d''", {"a", "@b", "c", "=", "d", "@"}},
        WordsCase{"x 'never closed", {"x", "@never closed"}}, WordsCase{" ;\r\n ", {}}, WordsCase{"", {}}));
