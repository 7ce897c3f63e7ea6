#include "qelWordTable.h"
#include "qelText.h"

#include <gtest/gtest.h>

#include <string>

using namespace qel;
using enum TSymb;

TEST(BaseResWords, EveryBaseSymbolNamedOnceInOrder)
{
    ASSERT_EQ(BaseResWords.size(), 30u);
    for (std::size_t i = 0; i < BaseResWords.size(); ++i) EXPECT_EQ(static_cast<std::size_t>(BaseResWords[i].Symb), i);
}

class ResWordListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.AddSymbols(BaseResWords);
        list.AddSymbol("SELECT", TSymb{40});
        list.AddSymbol("INTEGER", TSymb{41});
        list.AddSymbol("INT", TSymb{41});
        list.AddSymbol("FROM", TSymb{42});
    }
    TResWordList list;
};

TEST_F(ResWordListTest, StaysSortedIgnoringCase)
{
    list.AddSymbol("alpha", TSymb{43});
    for (int i = 1; i < list.Count(); ++i)
        EXPECT_LT(CompareText(list.Strings(i - 1), list.Strings(i)), 0) << list.Strings(i);
}

TEST_F(ResWordListTest, LooksUpInAnyCase)
{
    EXPECT_EQ(list.Symb("select"), TSymb{40});
    EXPECT_EQ(list.Symb("Int"), TSymb{41});
    EXPECT_EQ(list.Symb("<eof>"), syEOF);
    EXPECT_EQ(list.Symb("SELECTED"), syIdent);
    EXPECT_EQ(list.Symb(""), syIdent);
    EXPECT_EQ(list.IndexOf("nothing"), -1);
    EXPECT_EQ(list.GetSymb(list.IndexOf("from")), TSymb{42});
}

TEST_F(ResWordListTest, FindGivesTheInsertionPlaceOfAMissingWord)
{
    int index = -1;
    EXPECT_FALSE(list.Find("GAMMA", index));
    ASSERT_GT(index, 0);
    EXPECT_EQ(list.Strings(index - 1), "FROM");
    EXPECT_EQ(list.Strings(index), "INT");
}

TEST_F(ResWordListTest, AddingAWordTwiceKeepsTheFirstEntry)
{
    const int count = list.Count();
    list.AddSymbol("select", TSymb{99});
    list.AddSymbol("SELECT", TSymb{40});
    EXPECT_EQ(list.Count(), count);
    EXPECT_EQ(list.Symb("SELECT"), TSymb{40});
    EXPECT_EQ(list.Strings(list.IndexOf("select")), "SELECT");
}

TEST_F(ResWordListTest, SymbolNameIsTheSynonymThatSortsLast)
{
    EXPECT_EQ(list.SymbolName(TSymb{41}), "INTEGER");
    EXPECT_EQ(list.SymbolName(TSymb{40}), "SELECT");
    EXPECT_EQ(list.SymbolName(syIdent), "<Ident>");
    EXPECT_EQ(list.SymbolName(syConcat), "<||>");
    EXPECT_EQ(list.SymbolName(TSymb{200}), "<?\?\?>");
    list.Clear();
    EXPECT_EQ(list.SymbolName(syEOF), "<?\?\?>");
}

TEST(ResWordIndex, AnswersAsASearchInTableOrder)
{
    const TResWordSymb rows[] = {{"ZETA", TSymb{30}}, {"ALPHA", TSymb{31}}, {"ZETA", TSymb{32}}, {"_<charset>", TSymb{33}},
                                 {"ALPHABET", TSymb{34}}};
    const TResWordIndex index(rows);
    EXPECT_EQ(index.Symb("zeta"), TSymb{30});
    EXPECT_EQ(index.Symb("Alpha"), TSymb{31});
    EXPECT_EQ(index.Symb("alphabet"), TSymb{34});
    EXPECT_EQ(index.Symb("ALPH"), syIdent);
    EXPECT_EQ(index.Symb("ALPHAB"), syIdent);
    EXPECT_EQ(index.Symb(""), syIdent);
    // The look-up upper-cases the word, so a table word with lower-case
    // letters is never found.
    EXPECT_EQ(index.Symb("_<charset>"), syIdent);
    EXPECT_FALSE(index.Contains("\xC3\xA9"));
}

TEST(ResWordIndex, PlainWordsAreNumberedFromThirty)
{
    const std::string_view words[] = {"B", "A", "C"};
    const TResWordIndex index(words);
    EXPECT_EQ(index.Symb("b"), TSymb{30});
    EXPECT_EQ(index.Symb("A"), TSymb{31});
    EXPECT_EQ(index.Symb("c"), TSymb{32});
}

TEST(WordSet, ComparesExactly)
{
    const std::string_view words[] = {"WAIT", "READ", "ONLY"};
    const TWordSet set(words);
    EXPECT_TRUE(set.Contains("READ"));
    EXPECT_FALSE(set.Contains("read"));
    EXPECT_FALSE(set.Contains("REA"));
    EXPECT_FALSE(set.Contains(""));
}

TEST(QuoteDelimited, DoublesTheClosingDelimiterOnly)
{
    EXPECT_EQ(QuoteDelimited("A", '"', '"'), "\"A\"");
    EXPECT_EQ(QuoteDelimited("", '"', '"'), "\"\"");
    EXPECT_EQ(QuoteDelimited("a\"b\"", '"', '"'), "\"a\"\"b\"\"\"");
    EXPECT_EQ(QuoteDelimited("x]y[z", '[', ']'), "[x]]y[z]");
    EXPECT_EQ(QuoteDelimited("a`b", '`', '`'), "`a``b`");
    EXPECT_EQ(QuoteDelimited("a\"b", '`', '`'), "`a\"b`");
}
