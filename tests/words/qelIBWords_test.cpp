#include "qelIBWords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

using namespace qel;
using enum TIBSQLServerVersionType;
using V = TIBSQLServerVersionType;

namespace {

const V kAllVersions[] = {st_InterBase_4x, st_InterBase_5x, st_InterBase_6x, st_FireBird_1x,  st_Yaffil_1x,
                          st_FireBird_15,  st_InterBase_7x, st_InterBase_75, st_Firebird_20,  st_Firebird_21,
                          st_Firebird_25,  st_Firebird_30,  st_Firebird_40,  st_InterBase_2020};

TSymb SymbOf(std::string_view word)
{
    for (const TResWordSymb& row : IBResWords)
        if (row.Word == word) return row.Symb;
    return TSymb::syIdent;
}

std::set<std::string_view> AsSet(std::span<const std::string_view> words) { return {words.begin(), words.end()}; }

} // namespace

TEST(IBResWords, EveryWordKeepsOneSymbolAndSynonymsShareOne)
{
    std::map<std::string_view, int> seen;
    std::map<TSymb, std::set<std::string_view>> wordsOf;
    for (const TResWordSymb& row : IBResWords) {
        ++seen[row.Word];
        wordsOf[row.Symb].insert(row.Word);
        EXPECT_GE(static_cast<int>(row.Symb), 30) << row.Word;
        // A word standing twice keeps its symbol.
        EXPECT_EQ(SymbOf(row.Word), row.Symb) << row.Word;
    }
    std::vector<std::string_view> twice;
    for (const auto& [word, n] : seen)
        if (n > 1) twice.push_back(word);
    EXPECT_EQ(twice, (std::vector<std::string_view>{"CURSOR", "GLOBAL", "PAGE_SIZE", "RELEASE"}));
    std::vector<std::set<std::string_view>> synonyms;
    for (const auto& [symb, words] : wordsOf)
        if (words.size() > 1) synonyms.push_back(words);
    EXPECT_EQ(synonyms, (std::vector<std::set<std::string_view>>{
                            {"ASC", "ASCENDING"}, {"CHAR", "CHARACTER"}, {"DEC", "DECIMAL"}, {"DESC", "DESCENDING"},
                            {"INT", "INTEGER"}}));
    // DECFLOAT and ":=" are numbered but have no row.
    EXPECT_EQ(wordsOf.count(syIBDecfloat), 0u);
    EXPECT_EQ(wordsOf.count(TSymb::syIBAssign), 0u);
}

TEST(IBResWords, SymbolLookupUpperCasesFirst)
{
    EXPECT_EQ(IBResWordSymb("integer", st_InterBase_6x), TSymb{118});
    EXPECT_EQ(IBResWordSymb("INT", st_InterBase_6x), TSymb{118});
    EXPECT_EQ(IBResWordSymb("Rdb$Db_Key", st_Firebird_25), syIBRdbDbKey);
    EXPECT_EQ(IBResWordSymb("CUSTOMER", st_Firebird_25), TSymb::syIdent);
    EXPECT_EQ(IBResWordSymb("", st_Firebird_25), TSymb::syIdent);
    // Script text never yields the introducer's display name.
    EXPECT_EQ(IBResWordSymb("_<charset>", st_Firebird_25), TSymb::syIdent);
    EXPECT_EQ(IBResWordSymb("_<CHARSET>", st_Firebird_25), TSymb::syIdent);
}

// Whether some words that change between versions are keywords there.
struct KeywordCase {
    V version;
    int keywordCount;
    bool column, recreate, rows, binary, database, key, boolean, caseWord, role;
    friend void PrintTo(const KeywordCase& c, std::ostream* os) { *os << "version " << static_cast<int>(c.version); }
};

class IBKeywordSetTest : public ::testing::TestWithParam<KeywordCase> {};

TEST_P(IBKeywordSetTest, VersionKnowsItsKeywords)
{
    const KeywordCase& c = GetParam();
    const auto isKeyword = [&](std::string_view w) { return IBResWordSymb(w, c.version) != TSymb::syIdent; };
    EXPECT_EQ(isKeyword("COLUMN"), c.column);
    EXPECT_EQ(isKeyword("RECREATE"), c.recreate);
    EXPECT_EQ(isKeyword("ROWS"), c.rows);
    EXPECT_EQ(isKeyword("BINARY"), c.binary);
    EXPECT_EQ(isKeyword("VARBINARY"), c.binary);
    EXPECT_EQ(isKeyword("DATABASE"), c.database);
    EXPECT_EQ(isKeyword("KEY"), c.key);
    EXPECT_EQ(isKeyword("BOOLEAN"), c.boolean);
    EXPECT_EQ(isKeyword("CASE"), c.caseWord);
    EXPECT_EQ(isKeyword("ROLE"), c.role);
    // No version knows these as keywords; SELECT and the introducer are known to all.
    EXPECT_FALSE(isKeyword("DESCRIBE"));
    EXPECT_FALSE(isKeyword("DESCRIPTOR"));
    EXPECT_TRUE(isKeyword("SELECT"));
    EXPECT_TRUE(IBKeywordSymbols(c.version).Contains(TSymb::syIBCharset));
    // Every row's symbol is counted once, whatever its synonyms.
    EXPECT_EQ(static_cast<int>(IBKeywordSymbols(c.version).Count()), c.keywordCount);
}

INSTANTIATE_TEST_SUITE_P(
    PerVersion, IBKeywordSetTest,
    ::testing::Values(
        //          version           count column recreate rows  binary database key   boolean case   role
        KeywordCase{st_InterBase_4x,   153, false, false, false, false, true,  true,  false, false, false},
        KeywordCase{st_InterBase_5x,   158, false, false, false, false, true,  true,  false, false, true},
        KeywordCase{st_InterBase_6x,   169, true,  false, true,  false, true,  true,  false, false, true},
        KeywordCase{st_FireBird_1x,    169, true,  true,  false, false, true,  true,  false, false, true},
        KeywordCase{st_Yaffil_1x,      165, false, false, false, true,  true,  true,  false, true,  true},
        KeywordCase{st_FireBird_15,    173, true,  true,  false, false, true,  true,  false, true,  true},
        KeywordCase{st_InterBase_7x,   178, true,  false, true,  false, true,  true,  true,  true,  true},
        KeywordCase{st_InterBase_75,   178, true,  false, true,  false, true,  true,  true,  true,  true},
        KeywordCase{st_Firebird_20,    174, true,  true,  true,  false, true,  true,  false, true,  false},
        KeywordCase{st_Firebird_21,    174, true,  true,  true,  false, true,  true,  false, true,  false},
        KeywordCase{st_Firebird_25,    174, true,  true,  true,  false, true,  true,  false, true,  false},
        KeywordCase{st_Firebird_30,    134, true,  true,  true,  false, false, false, false, true,  false},
        KeywordCase{st_Firebird_40,    138, true,  true,  true,  true,  false, true,  false, true,  false},
        KeywordCase{st_InterBase_2020, 178, true,  false, true,  false, true,  true,  true,  true,  true}));

TEST(IBKeywordSets, TokenizerFiltersEveryVersionButInterBase2020)
{
    const TSymb recreate = SymbOf("RECREATE");
    EXPECT_EQ(IBResWordSymb("RECREATE", st_InterBase_2020), TSymb::syIdent);
    EXPECT_EQ(IBFilterTokenSymb(recreate, st_InterBase_2020), recreate);
    EXPECT_EQ(IBFilterTokenSymb(recreate, st_InterBase_7x), TSymb::syIdent);
    EXPECT_EQ(IBFilterTokenSymb(recreate, st_Firebird_25), recreate);
    EXPECT_EQ(IBFilterTokenSymb(syIBDescribe, st_InterBase_2020), syIBDescribe);
    for (V v : kAllVersions) {
        if (v != st_InterBase_2020) {
            EXPECT_EQ(IBFilterTokenSymb(syIBDescriptor, v), TSymb::syIdent);
        }
        EXPECT_EQ(IBFilterTokenSymb(TSymb::syIdent, v), TSymb::syIdent);
    }
}

TEST(IBKeywordSets, DataTypeStarters)
{
    const TSymbSet& s = IBDataTypeSymbols();
    EXPECT_EQ(s.Count(), 21u);
    EXPECT_TRUE(s.Contains(syIBDecfloat));
    EXPECT_TRUE(s.Contains(SymbOf("INT")));
    EXPECT_TRUE(s.Contains(SymbOf("CHARACTER")));
    EXPECT_TRUE(s.Contains(SymbOf("TYPE")));
    EXPECT_FALSE(s.Contains(SymbOf("DOMAIN")));
}

// Each version's list holds its predecessor's words; none stands twice.
TEST(IBReservedWords, EachListHoldsItsPredecessor)
{
    for (V v : kAllVersions) {
        const auto words = IBReservedWords(v);
        EXPECT_EQ(AsSet(words).size(), words.size()) << "duplicate in version " << static_cast<int>(v);
    }
    EXPECT_TRUE(IBReservedWords(st_Yaffil_1x).empty());
    const auto holds = [](std::span<const std::string_view> list, std::span<const std::string_view> predecessor) {
        const auto all = AsSet(list);
        return std::ranges::all_of(predecessor, [&](std::string_view w) { return all.contains(w); });
    };
    EXPECT_TRUE(holds(IB5ReservedWords, IB4ReservedWords));
    EXPECT_TRUE(holds(IB6ReservedWords, IB5ReservedWords));
    EXPECT_TRUE(holds(FB1ReservedWords, IB6ReservedWords));
    EXPECT_TRUE(holds(FB15ReservedWords, IB6ReservedWords));
    EXPECT_TRUE(holds(IB7ReservedWords, IB6ReservedWords));
    EXPECT_TRUE(std::ranges::equal(IB75ReservedWords, IB7ReservedWords));
    EXPECT_TRUE(holds(IB2020ReservedWords, IB7ReservedWords));
    EXPECT_TRUE(std::ranges::equal(FB21ReservedWords, FB20ReservedWords));
    EXPECT_TRUE(holds(FB25ReservedWords, FB20ReservedWords));
    EXPECT_TRUE(holds(FB30ReservedWords, FB20ReservedWords));
    EXPECT_TRUE(holds(FB40ReservedWords, FB30ReservedWords));
}

TEST(IBReservedWords, InWordListIsCaseSensitive)
{
    EXPECT_TRUE(InWordList("SHADOW", IB4ReservedWords));
    EXPECT_FALSE(InWordList("shadow", IB4ReservedWords));
    EXPECT_FALSE(InWordList("SHADOW", IBReservedWords(st_Yaffil_1x)));
}

struct QuoteCase {
    std::string name;
    V version;
    bool needsQuotes;
    friend void PrintTo(const QuoteCase& c, std::ostream* os)
    {
        *os << '\'' << c.name << "' version " << static_cast<int>(c.version);
    }
};

class IBNeedsQuotesTest : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(IBNeedsQuotesTest, DecidesForTheVersion)
{
    EXPECT_EQ(IBNeedsQuotes(GetParam().name, GetParam().version), GetParam().needsQuotes);
}

INSTANTIATE_TEST_SUITE_P(
    Names, IBNeedsQuotesTest,
    ::testing::Values(
        // the character test sees the name as given
        QuoteCase{"CUSTOMER", st_Firebird_25, false}, QuoteCase{"A$1_B", st_Firebird_25, false},
        QuoteCase{"Name", st_Firebird_25, true}, QuoteCase{"customer", st_InterBase_4x, true},
        QuoteCase{"1ABC", st_Firebird_25, true}, QuoteCase{"_A", st_Firebird_25, true},
        QuoteCase{"$A", st_Firebird_25, true}, QuoteCase{"A-B", st_Firebird_25, true},
        QuoteCase{"A B", st_Firebird_25, true}, QuoteCase{"A#B", st_Firebird_25, true},
        QuoteCase{"CAF\xC3\x89", st_Firebird_25, true}, QuoteCase{"A\"B", st_Firebird_25, true},
        // keywords of the version
        QuoteCase{"SELECT", st_Yaffil_1x, true}, QuoteCase{"DATABASE", st_Firebird_25, true},
        QuoteCase{"DATABASE", st_Firebird_30, false}, QuoteCase{"KEY", st_Firebird_30, false},
        QuoteCase{"KEY", st_Firebird_40, true}, QuoteCase{"ROWS", st_InterBase_4x, false},
        QuoteCase{"ROWS", st_InterBase_6x, true},
        // reserved words of the version
        QuoteCase{"NAME", st_Firebird_25, false}, QuoteCase{"NAME", st_InterBase_2020, true},
        QuoteCase{"SHADOW", st_Yaffil_1x, false}, QuoteCase{"SHADOW", st_InterBase_6x, true},
        QuoteCase{"SHADOW", st_Firebird_30, true}, QuoteCase{"RESTRICT", st_InterBase_4x, false},
        QuoteCase{"RESTRICT", st_InterBase_5x, true}, QuoteCase{"OVER", st_Firebird_21, false},
        QuoteCase{"OVER", st_Firebird_25, true}, QuoteCase{"WITHOUT", st_Firebird_30, false},
        QuoteCase{"WITHOUT", st_Firebird_40, true}, QuoteCase{"BINARY", st_Firebird_30, false},
        QuoteCase{"BINARY", st_Firebird_40, true},
        // RECREATE is neither keyword nor reserved for InterBase 2020
        QuoteCase{"RECREATE", st_InterBase_2020, false}, QuoteCase{"RECREATE", st_FireBird_1x, true}));

TEST(IBNeedsQuotes, EmptyNameNeverNeedsQuotes)
{
    for (V v : kAllVersions) EXPECT_FALSE(IBNeedsQuotes("", v));
}

TEST(IBResWords, KeywordListOfTheParser)
{
    TResWordList list;
    list.AddSymbols(BaseResWords);
    list.AddSymbols(IBResWords);
    EXPECT_EQ(list.Count(), 30 + 194);
    EXPECT_EQ(list.SymbolName(TSymb{118}), "INTEGER");
    EXPECT_EQ(list.SymbolName(syIBAsc), "ASCENDING");
    EXPECT_EQ(list.SymbolName(TSymb::syIBCharset), "_<charset>");
    EXPECT_EQ(list.SymbolName(syIBDecfloat), "<?\?\?>");
    EXPECT_EQ(list.SymbolName(TSymb::syEOF), "<EOF>");
    EXPECT_EQ(list.Symb("page_size"), syIBPageSize);
}
