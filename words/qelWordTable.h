// Token symbols and keyword lists shared by every SQL dialect, and the small
// look-up and quoting helpers the dialect word tables are built on. The
// tokenizer and the parsers (one folder up) build on these; nothing here
// depends on them, so the object model's identifier quoting links the word
// tables alone.
#pragma once

#include "qelSet.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

// One-byte token symbol. 0 to 29 are shared by every dialect; 30 to 254 are
// numbered by each dialect's keyword table, so the same value means different
// words in different dialects. The dialect symbols a lexer makes from
// characters rather than from a word are named here as well.
enum class TSymb : std::uint8_t {
    syEOF = 0,
    syIdent = 1,
    syFloat = 2,
    syString = 3,
    syInteger = 4,
    syLParen = 5,
    syRParen = 6,
    syComma = 7,
    syMinus = 8,
    syPlus = 9,
    syStar = 10,
    sySlash = 11,
    syTerminator = 12,
    sySemicolon = 13,
    syEqual = 14,
    syDot = 15,
    syColon = 16,
    syConcat = 17,
    syLess = 18,
    syGreater = 19,
    syLessEqual = 20,
    syGreaterEqual = 21,
    syNotEqual = 22,
    syDoubleEqual = 23,
    syLBracket = 24,
    syRBracket = 25,
    syAt = 26,
    syBackslash = 27,
    syPercent = 28,
    syAmpersand = 29,

    // InterBase/Firebird: the character-set introducer (_WIN1252) and ":=".
    syIBCharset = 44,
    syIBAssign = 116,

    // MS SQL operators and marks.
    syMSBitOr = 150,           // |
    syMSBitXor = 151,          // ^
    syMSBitNot = 152,          // ~
    syMSNotLess = 153,         // !<
    syMSNotGreater = 154,      // !>
    syMSEqualStar = 155,       // =*
    syMSStarEqual = 156,       // *=
    syMSLabel = 208,           // name:
    syMSDoubleColon = 209,     // ::
    syMSLBrace = 210,          // {
    syMSRBrace = 211,          // }
    syMSEndConversation = 212, // END CONVERSATION
    syMSAddAssign = 213,       // +=
    syMSSubAssign = 214,       // -=
    syMSMulAssign = 215,       // *= as an assignment; the lexer reads *= as syMSStarEqual
    syMSDivAssign = 216,       // /=
    syMSModAssign = 217,       // %=
    syMSXorAssign = 218,       // ^=
    syMSAndAssign = 219,       // &=
    syMSOrAssign = 220,        // |=

    // A character that begins no token in any dialect (a control character,
    // "?", a byte of no UTF-8 sequence): reported by the scanner and handed
    // to the grammar as a token of its own, so that the statement it stands
    // in keeps it and fails instead of losing it.
    syInvalidChar = 255,
};

using TSymbSet = TSet<TSymb, 256>;

// One row of a keyword table: an upper-case word and its symbol. Every table
// is a constant array of these rows.
struct TResWordSymb {
    std::string_view Word;
    TSymb Symb;
};

// The display names of the 30 base symbols; every parser loads them first.
extern const std::span<const TResWordSymb, 30> BaseResWords;

// The keyword list a parser fills from its tables: kept sorted ignoring ASCII
// case and searched by bisection, since every identifier the tokenizer reads
// is looked up here. Owned by its parser.
class TResWordList {
public:
    // Adds Word with its symbol at its sorted place; a word already in the
    // list (in any case) keeps its entry.
    void AddSymbol(std::string_view Word, TSymb Symb);
    // Adds every row in table order.
    void AddSymbols(std::span<const TResWordSymb> Rows);
    void Clear() { m_items.clear(); }

    int Count() const { return static_cast<int>(m_items.size()); }
    const std::string& Strings(int Index) const { return m_items.at(Index).Word; }
    TSymb GetSymb(int Index) const { return m_items.at(Index).Symb; }

    // True when Word is in the list; Index is then its entry, otherwise the
    // place where it would go.
    bool Find(std::string_view Word, int& Index) const;
    // Index of Word, or -1.
    int IndexOf(std::string_view Word) const;
    // The symbol of Word, syIdent when it is no entry.
    TSymb Symb(std::string_view Word) const;

    // The word of the last entry, in sorted order, that carries Symb; "<???>"
    // when none does. Synonyms thus show as the one that sorts last.
    std::string SymbolName(TSymb Symb) const;

private:
    struct TEntry {
        std::string Word;
        TSymb Symb;
    };
    std::vector<TEntry> m_items;
};

// Look-up over a constant keyword table, built once. The answer is that of a
// linear search in table order: the first row whose word equals the ASCII
// upper case of the word asked for, syIdent when there is none.
class TResWordIndex {
public:
    explicit TResWordIndex(std::span<const TResWordSymb> Rows);
    // A table kept as plain words: row i carries the dialect symbol 30 + i.
    explicit TResWordIndex(std::span<const std::string_view> Words);
    TSymb Symb(std::string_view Word) const;
    bool Contains(std::string_view Word) const { return Symb(Word) != TSymb::syIdent; }

private:
    std::vector<TResWordSymb> m_sorted;
};

// Membership of a constant word list, built once; the comparison is exact
// (callers upper-case where their rule says so).
class TWordSet {
public:
    explicit TWordSet(std::span<const std::string_view> Words);
    bool Contains(std::string_view Word) const;

private:
    std::vector<std::string_view> m_sorted;
};

// Name between Open and Close with every Close inside doubled, so that no
// name can end its quotes early:
//   QuoteDelimited("A\"B", '"', '"') -> "\"A\"\"B\""
//   QuoteDelimited("X]Y", '[', ']')  -> "[X]]Y]"
std::string QuoteDelimited(std::string_view Name, char Open, char Close);

// The rule of the dialects that fold names to upper case: a name stays bare
// when it starts with A-Z, goes on with A-Z, 0-9, "_" and the dialect's
// LaterSpecials, and is not reserved; else it is written in double quotes.
//   QuoteUpperName("ORDERS", "#$", w) -> ORDERS;  QuoteUpperName("Orders", "#$", w) -> "Orders"
std::string QuoteUpperName(std::string_view Name, std::string_view LaterSpecials, const TResWordIndex& Reserved);

} // namespace qel
