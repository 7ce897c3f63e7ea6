// A small dialect for the parser-base tests: one statement per terminator,
// "(" nests, "ERR" must be followed by DO, "THROW" and "RAISE" raise, "INSERT x" sets
// the statement's kind, and "~" stalls the scanner when asked to. Records
// every event it fires.
#pragma once

#include "qelSQLParser.h"

#include <charconv>
#include <stdexcept>
#include <string>
#include <vector>

namespace qeltest {

class TTestParser : public qel::TCustomSQLParser {
public:
    std::string ClassName() const override { return "TTestParser"; }

    void FillResWords() override
    {
        TCustomSQLParser::FillResWords();
        ResWords().AddSymbol("SELECT", qel::TSymb{30});
    }

    void ScanToken() override
    {
        if (Stall && CurChar == '~') return;
        TCustomSQLParser::ScanToken();
    }

    void Parse() override
    {
        NextToken();
        while (Symb != qel::TSymb::syEOF) RunStatement([this] { Statement(); });
    }

    void Item()
    {
        using enum qel::TSymb;
        if (Symb == syLParen) {
            qel::TNestingLevel level(*this);
            NextToken();
            while (Symb != syRParen && Symb != syTerminator && Symb != syEOF) Item();
            ExpectAndNext(syRParen);
        } else if (IsWord("ERR")) {
            NextToken();
            ExpectWord("do");
            NextToken();
        } else if (IsWord("THROW")) {
            throw std::runtime_error("boom");
        } else if (IsWord("RAISE")) {
            throw 42;
        } else {
            NextToken();
        }
    }

    bool Stall = false;
    std::vector<std::string> Errors;
    std::vector<std::string> Log;
    // "text|kind|object" of every statement handed on.
    std::vector<std::string> Statements;

    TTestParser()
    {
        ScriptName = "s.sql";
        OnErrorMessage = [this](qel::TObject&, const std::string& Text) { Errors.push_back(Text); };
        OnLogNextLine = [this](qel::TObject&, const std::string& Text) { Log.push_back(Text); };
        OnAddStatement = [this](qel::TObject&, const qel::TParsedStatement& S, qel::TStatement*&) {
            Statements.push_back(S.SQL + "|" + std::to_string(static_cast<int>(S.StatType)) + "|" + S.ObjName);
        };
    }

private:
    void Statement()
    {
        using enum qel::TSymb;
        if (Symb == syTerminator) return;
        if (IsWord("INSERT")) {
            NextToken();
            StatementKind = {qel::TStatType::stInsert, TokenText, qel::TDbObject::dboTable,
                             qel::TDbOperation::odbInsert, {}};
        }
        while (Symb != syTerminator && Symb != syEOF) Item();
        AddStatement();
    }
};

// The current token: its display name, then ":" and its text for words,
// strings and numbers, and "=" and the value for numbers.
inline std::string TokenString(qel::TCustomParser& p)
{
    using enum qel::TSymb;
    std::string s = p.SymbolName(p.Symb);
    if (p.Symb == syIdent || static_cast<int>(p.Symb) >= 30) return s + ":" + p.TokenText;
    if (p.Symb == syString) return s + ":" + p.ValueText;
    if (p.Symb == syInteger) return s + ":" + p.ValueText + "=" + std::to_string(p.IntValue);
    if (p.Symb == syFloat) {
        char buf[32];
        const auto end = std::to_chars(buf, buf + sizeof buf, p.FloatValue).ptr;
        return s + ":" + p.ValueText + "=" + std::string(buf, end);
    }
    return s;
}

// Every token of Text up to the end, blank-separated (the end not shown).
inline std::string Tokens(qel::TCustomParser& p, const std::string& Text)
{
    p.SetSource(Text);
    std::string out;
    for (p.NextToken(); p.Symb != qel::TSymb::syEOF; p.NextToken()) out += (out.empty() ? "" : " ") + TokenString(p);
    return out;
}

} // namespace qeltest
