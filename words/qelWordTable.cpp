#include "qelWordTable.h"

#include "qelText.h"

#include <algorithm>

namespace qel {

namespace {

using enum TSymb;

constexpr TResWordSymb kBaseResWords[] = {
    {"<EOF>", syEOF},
    {"<Ident>", syIdent},
    {"<Float value>", syFloat},
    {"<String value>", syString},
    {"<Integer value>", syInteger},
    {"<(>", syLParen},
    {"<)>", syRParen},
    {"<,>", syComma},
    {"<->", syMinus},
    {"<+>", syPlus},
    {"<*>", syStar},
    {"</>", sySlash},
    {"<Terminator>", syTerminator},
    {"<;>", sySemicolon},
    {"<=>", syEqual},
    {"<.>", syDot},
    {"<:>", syColon},
    {"<||>", syConcat},
    {"\"<\"", syLess},
    {"\">\"", syGreater},
    {"\"<=\"", syLessEqual},
    {"\">=\"", syGreaterEqual},
    {"[<>]", syNotEqual},
    {"<==>", syDoubleEqual},
    {"<[>", syLBracket},
    {"<]>", syRBracket},
    {"<@>", syAt},
    {"\\", syBackslash},
    {"%", syPercent},
    {"<&>", syAmpersand},
};

// Bytewise order of Word's ASCII upper case against a table word, without
// building the upper-cased copy: <0, 0, >0.
int CompareUpper(std::string_view Word, std::string_view TableWord)
{
    const std::size_t n = std::min(Word.size(), TableWord.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto a = static_cast<unsigned char>(AsciiUpper(Word[i]));
        const auto b = static_cast<unsigned char>(TableWord[i]);
        if (a != b) return a < b ? -1 : 1;
    }
    if (Word.size() == TableWord.size()) return 0;
    return Word.size() < TableWord.size() ? -1 : 1;
}

// Stable, so that of two rows with one word the earlier stays first, as a
// search in table order would find it.
void SortRows(std::vector<TResWordSymb>& Rows)
{
    std::stable_sort(Rows.begin(), Rows.end(), [](const TResWordSymb& a, const TResWordSymb& b) { return a.Word < b.Word; });
}

} // namespace

constexpr std::span<const TResWordSymb, 30> BaseResWords = kBaseResWords;

void TResWordList::AddSymbol(std::string_view Word, TSymb Symb)
{
    int index = 0;
    if (Find(Word, index)) return;
    m_items.insert(m_items.begin() + index, TEntry{std::string(Word), Symb});
}

void TResWordList::AddSymbols(std::span<const TResWordSymb> Rows)
{
    for (const TResWordSymb& row : Rows) AddSymbol(row.Word, row.Symb);
}

bool TResWordList::Find(std::string_view Word, int& Index) const
{
    const auto it = std::lower_bound(m_items.begin(), m_items.end(), Word,
        [](const TEntry& e, std::string_view w) { return CompareText(e.Word, w) < 0; });
    Index = static_cast<int>(it - m_items.begin());
    return it != m_items.end() && CompareText(it->Word, Word) == 0;
}

int TResWordList::IndexOf(std::string_view Word) const
{
    int index = 0;
    return Find(Word, index) ? index : -1;
}

TSymb TResWordList::Symb(std::string_view Word) const
{
    int index = 0;
    return Find(Word, index) ? m_items[index].Symb : syIdent;
}

std::string TResWordList::SymbolName(TSymb Symb) const
{
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
        if (it->Symb == Symb) return it->Word;
    return "<?\?\?>"; // escaped so that no trigraph is read
}

TResWordIndex::TResWordIndex(std::span<const TResWordSymb> Rows) : m_sorted(Rows.begin(), Rows.end())
{
    SortRows(m_sorted);
}

TResWordIndex::TResWordIndex(std::span<const std::string_view> Words)
{
    m_sorted.reserve(Words.size());
    for (std::size_t i = 0; i < Words.size(); ++i) m_sorted.push_back({Words[i], static_cast<TSymb>(30 + i)});
    SortRows(m_sorted);
}

TSymb TResWordIndex::Symb(std::string_view Word) const
{
    const auto it = std::lower_bound(m_sorted.begin(), m_sorted.end(), Word,
        [](const TResWordSymb& row, std::string_view w) { return CompareUpper(w, row.Word) > 0; });
    if (it != m_sorted.end() && CompareUpper(Word, it->Word) == 0) return it->Symb;
    return syIdent;
}

TWordSet::TWordSet(std::span<const std::string_view> Words) : m_sorted(Words.begin(), Words.end())
{
    std::sort(m_sorted.begin(), m_sorted.end());
}

bool TWordSet::Contains(std::string_view Word) const
{
    return std::binary_search(m_sorted.begin(), m_sorted.end(), Word);
}

std::string QuoteDelimited(std::string_view Name, char Open, char Close)
{
    std::string r;
    r.reserve(Name.size() + 2);
    r += Open;
    for (char c : Name) {
        r += c;
        if (c == Close) r += Close;
    }
    r += Close;
    return r;
}

std::string QuoteUpperName(std::string_view Name, std::string_view LaterSpecials, const TResWordIndex& Reserved)
{
    if (Name.empty()) return {};
    auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
    bool quote = !upper(Name[0]);
    for (std::size_t i = 1; !quote && i < Name.size(); ++i) {
        const char c = Name[i];
        quote = !(upper(c) || (c >= '0' && c <= '9') || c == '_' || LaterSpecials.find(c) != std::string_view::npos);
    }
    if (!quote) quote = Reserved.Contains(Name);
    return quote ? QuoteDelimited(Name, '"', '"') : std::string(Name);
}

} // namespace qel
