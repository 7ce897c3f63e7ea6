#include "qelMSSQLWords.h"

#include "qelWordsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace qel;
using qeltest::TNameCase;

namespace {

// The keyword rows are in alphabetical order with "_" before the letters.
bool AlphabeticallyBefore(std::string_view a, std::string_view b)
{
    std::string x(a), y(b);
    std::replace(x.begin(), x.end(), '_', ' ');
    std::replace(y.begin(), y.end(), '_', ' ');
    return x < y;
}

} // namespace

// The first 174 rows are keywords, the rest display names of operators.
TEST(MSSQLResWords, KeywordsInOrderWithTheirSynonyms)
{
    std::vector<std::string_view> keywords;
    std::map<TSymb, std::set<std::string_view>> wordsOf;
    for (std::size_t i = 0; i < 174; ++i) {
        keywords.push_back(MSSQLResWords[i].Word);
        wordsOf[MSSQLResWords[i].Symb].insert(MSSQLResWords[i].Word);
    }
    EXPECT_EQ(MSSQLResWords[174].Symb, TSymb::syMSLabel);
    // TO stands twice, after THEN and after TRIGGER; every other row is in order.
    const auto to = std::find(keywords.begin(), keywords.end(), "TO");
    ASSERT_NE(to, keywords.end());
    EXPECT_EQ(*(to - 1), "THEN");
    const auto to2 = std::find(to + 1, keywords.end(), "TO");
    ASSERT_NE(to2, keywords.end());
    EXPECT_EQ(*(to2 - 1), "TRIGGER");
    keywords.erase(to2);
    EXPECT_TRUE(std::is_sorted(keywords.begin(), keywords.end(), AlphabeticallyBefore));
    EXPECT_EQ(std::adjacent_find(keywords.begin(), keywords.end()), keywords.end());

    // Keyword symbols run from 30 to 207, less the seven operator symbols
    // 150 to 156 and the unused 180; three pairs of synonyms.
    EXPECT_EQ(wordsOf.size(), 170u);
    EXPECT_EQ(wordsOf.begin()->first, TSymb{30});
    EXPECT_EQ(wordsOf.rbegin()->first, TSymb{207});
    EXPECT_EQ(wordsOf.count(TSymb{180}), 0u);
    for (int s = 150; s <= 156; ++s) EXPECT_EQ(wordsOf.count(static_cast<TSymb>(s)), 0u) << s;
    std::vector<std::set<std::string_view>> synonyms;
    for (const auto& [symb, words] : wordsOf)
        if (words.size() > 1) synonyms.push_back(words);
    EXPECT_EQ(synonyms, (std::vector<std::set<std::string_view>>{{"EXEC", "EXECUTE"}, {"PROC", "PROCEDURE"},
                                                                 {"TRAN", "TRANSACTION"}}));
}

TEST(MSSQLResWords, SymbolLookup)
{
    EXPECT_EQ(MSSQLResWordSymb("exec"), syMSExecute);
    EXPECT_EQ(MSSQLResWordSymb("Execute"), syMSExecute);
    EXPECT_EQ(MSSQLResWordSymb("to"), TSymb{82});
    EXPECT_EQ(MSSQLResWordSymb("select"), TSymb{78});
    EXPECT_EQ(MSSQLResWordSymb("GO"), TSymb::syIdent);
    EXPECT_EQ(MSSQLResWordSymb("DUMMY"), TSymb::syIdent);
    EXPECT_EQ(MSSQLResWordSymb("END CONVERSATION"), TSymb::syMSEndConversation);
}

TEST(MSSQLResWords, ReservedWordsAreTheKeywordsAndDummy)
{
    std::set<std::string_view> expected;
    for (std::size_t i = 0; i < 174; ++i) expected.insert(MSSQLResWords[i].Word);
    EXPECT_EQ(expected.size(), 173u);
    expected.insert("DUMMY");
    EXPECT_EQ(std::set<std::string_view>(MSSQLReservedWords.begin(), MSSQLReservedWords.end()), expected);
}

TEST(MSSQLResWords, KeywordListOfTheParser)
{
    TResWordList list;
    list.AddSymbols(BaseResWords);
    list.AddSymbols(MSSQLResWords);
    // 173 keywords and 19 display names: "<*=>" stands for two symbols and
    // the list keeps the first.
    EXPECT_EQ(list.Count(), 30 + 173 + 19);
    EXPECT_EQ(list.SymbolName(syMSExecute), "EXECUTE");
    EXPECT_EQ(list.SymbolName(syMSTransaction), "TRANSACTION");
    EXPECT_EQ(list.SymbolName(TSymb::syMSStarEqual), "<*=>");
    EXPECT_EQ(list.SymbolName(TSymb::syMSMulAssign), "<?\?\?>");
    EXPECT_EQ(list.SymbolName(TSymb::syMSNotGreater), "\"!>\"");
    EXPECT_EQ(list.SymbolName(TSymb{180}), "<?\?\?>");
}

class MSSQLQuoteNameTest : public ::testing::TestWithParam<TNameCase> {};

TEST_P(MSSQLQuoteNameTest, WritesTheIdentifier)
{
    EXPECT_EQ(MSSQLQuoteName(GetParam().Name), GetParam().Expected);
    EXPECT_EQ(MSSQLNeedsQuotes(GetParam().Name), GetParam().Expected != GetParam().Name);
}

INSTANTIATE_TEST_SUITE_P(
    Names, MSSQLQuoteNameTest,
    ::testing::Values(
        TNameCase{"", ""}, TNameCase{"Customer", "Customer"}, TNameCase{"order_no", "order_no"},
        TNameCase{"GO", "GO"}, TNameCase{"#tmp", "#tmp"}, TNameCase{"##global", "##global"}, TNameCase{"$x1", "$x1"},
        TNameCase{"_x", "_x"}, TNameCase{"a@b", "a@b"}, TNameCase{"x$#_9", "x$#_9"},
        // placeholders pass as they are
        TNameCase{"<table name>", "<table name>"}, TNameCase{"<", "<"},
        // keywords and reserved words in any case
        TNameCase{"Order", "[Order]"}, TNameCase{"ORDER", "[ORDER]"}, TNameCase{"order", "[order]"},
        TNameCase{"DUMMY", "[DUMMY]"}, TNameCase{"dummy", "[dummy]"}, TNameCase{"exec", "[exec]"},
        TNameCase{"IDENTITY_INSERT", "[IDENTITY_INSERT]"},
        // words reserved by today's servers
        TNameCase{"MERGE", "[MERGE]"}, TNameCase{"pivot", "[pivot]"}, TNameCase{"Unpivot", "[Unpivot]"},
        TNameCase{"TRY_CONVERT", "[TRY_CONVERT]"}, TNameCase{"tablesample", "[tablesample]"},
        TNameCase{"External", "[External]"}, TNameCase{"REVERT", "[REVERT]"}, TNameCase{"SECURITYAUDIT", "[SECURITYAUDIT]"},
        TNameCase{"SEMANTICKEYPHRASETABLE", "[SEMANTICKEYPHRASETABLE]"},
        TNameCase{"SEMANTICSIMILARITYDETAILSTABLE", "[SEMANTICSIMILARITYDETAILSTABLE]"},
        TNameCase{"SEMANTICSIMILARITYTABLE", "[SEMANTICSIMILARITYTABLE]"}, TNameCase{"within", "[within]"},
        // characters that cannot stand bare
        TNameCase{"@v", "[@v]"}, TNameCase{"1abc", "[1abc]"}, TNameCase{"Order Date", "[Order Date]"},
        TNameCase{"a-b", "[a-b]"}, TNameCase{"caf\xC3\xA9", "[caf\xC3\xA9]"}, TNameCase{"\xC3\xA9t\xC3\xA9", "[\xC3\xA9t\xC3\xA9]"},
        // a "]" inside is doubled, so the name cannot end its brackets
        TNameCase{"a]b", "[a]]b]"}, TNameCase{"x]; DROP TABLE t; --", "[x]]; DROP TABLE t; --]"},
        TNameCase{"]", "[]]]"}));

// Names compare as a case-insensitive collation compares them: simple case
// folding, then upper case, for every UTF-8 code point; other bytes stay.
class MSSQLNameKeyTest : public ::testing::TestWithParam<TNameCase> {};

TEST_P(MSSQLNameKeyTest, FoldsEveryLetter) { EXPECT_EQ(MSSQLNameKey(GetParam().Name), GetParam().Expected); }

INSTANTIATE_TEST_SUITE_P(
    Names, MSSQLNameKeyTest,
    ::testing::Values(TNameCase{"", ""}, TNameCase{"order_No1$#@", "ORDER_NO1$#@"},
                      // Latin, Greek (final sigma too), Cyrillic, Armenian, full-width
                      TNameCase{"Caf\xC3\xA9", "CAF\xC3\x89"}, TNameCase{"CAF\xC3\x89", "CAF\xC3\x89"},
                      TNameCase{"\xCF\x83\xCF\x82\xCE\xA3", "\xCE\xA3\xCE\xA3\xCE\xA3"},
                      TNameCase{"\xD0\xB4\xD0\xB0", "\xD0\x94\xD0\x90"}, TNameCase{"\xD5\xA1", "\xD4\xB1"},
                      TNameCase{"\xEF\xBD\x81", "\xEF\xBC\xA1"},
                      // a fold to one letter only: sharp s stays, capital sharp s becomes it
                      TNameCase{"Stra\xC3\x9F" "e", "STRA\xC3\x9F" "E"}, TNameCase{"\xE1\xBA\x9E", "\xC3\x9F"},
                      // letters that fold to ASCII: Kelvin sign, long s
                      TNameCase{"\xE2\x84\xAA", "K"}, TNameCase{"\xC5\xBF", "S"},
                      // beyond the basic plane: Deseret
                      TNameCase{"\xF0\x90\x90\xA8", "\xF0\x90\x90\x80"},
                      // no UTF-8: code-page bytes, a cut sequence, an overlong form
                      TNameCase{"caf\xE9", "CAF\xE9"}, TNameCase{"a\xC3", "A\xC3"}, TNameCase{"\xC0\xAFx", "\xC0\xAFX"}));
