// The tokenizer and the skeleton of every SQL script parser. The unit is split
// by dependency: the symbols and keyword tables stay in qelParser (below the
// object model), this half files parsed objects in the model.
//
// A parser owns its source (a string, or a two-byte-per-character stream in
// memory or in a private temporary file), its keyword list and its message
// list. Nothing escapes ParseScript or ParseFile: every error goes through
// ParseError, which reports the first error of a script through
// OnErrorMessage (the message hook without one) and stores every error with
// its position. Inside RunStatement the first error of a statement ends its
// rule; the statement is skipped to its end and handed on whole.
#pragma once

#include "qelWordTable.h"
#include "qelStrings.h"
#include "qelTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TCustomParser;
class TDbObj;
class TFldData;
class TMsgManager;
class TObjs;
class TStatement;

using TDbObjectSet = TSet<TDbObject, 128>;

// Thrown inside a statement rule after its first error has been reported;
// RunStatement catches it. Not a std::exception, so that a rule's own
// catch (const std::exception&) never swallows it.
struct EStatementAbort {};

// A saved scanner state, and the name scope of one FROM clause: Names and
// Aliases hold, at equal indexes, the tables, views or procedures of the
// scope and their aliases. Creating one saves the parser's state.
class TParseContext {
public:
    explicit TParseContext(TCustomParser* AParser);
    void Save();
    void Restore() const;

    TCustomParser* Parser; // not owned
    std::int32_t Line = 1;
    std::int32_t Column = 1;
    char CurChar = '\0';
    std::int64_t NextPos = 1;
    TSymb Symb = TSymb::syEOF;
    std::int64_t TokenStart = 1;
    std::string TokenText;
    std::string ValueText;
    std::int64_t IntValue = 0;
    double FloatValue = 0;
    char QuoteChar = '\0';
    // A text ran to the end unterminated; a look-ahead that met one and was
    // taken back has not.
    bool Unterminated = false;

    TStringList Names;
    TStringList Aliases;
    // Set while the scope takes column references.
    bool Active = false;
};

// What is known of the statement being read; the rule fills it as it goes,
// so that a statement cut short by an error is still handed on with it.
struct TStatementKind {
    TStatType StatType = TStatType::stStatement;
    std::string ObjName;
    TDbObject ObjType = TDbObject::dboUnknown;
    TDbOperation Operation = TDbOperation::odbUnknown;
    std::string ParentName;
};

// One statement as the parser hands it on: its text and what it is.
struct TParsedStatement : TStatementKind {
    std::string SQL;
};

// Sender and the statement read; the handler may hand back the statement it
// made.
using TAddStatementEvent =
    std::function<void(TObject& Sender, const TParsedStatement& Parsed, TStatement*& Statement)>;

class TCustomParser : public TObject {
public:
    // How many SQL levels (TNestingLevel: a parenthesis, a call, a CASE, a
    // sub-query) may nest before "Nesting too deep.".
    static constexpr int MaxNesting = 200;
    // How deep the grammar's own rules may recurse (TRecursionLevel) before
    // the same message: a bound for the stack. 200 SQL levels of scalar
    // sub-queries take about 1,250; 1,500 levels of the largest frames (MS
    // SQL blocks, InterBase signs) stay within 5 MB even with the address
    // sanitizer's frames, so a parse fits a normal 8 MB thread stack.
    static constexpr int MaxRecursion = 1500;

    TCustomParser();
    ~TCustomParser() override;
    TCustomParser(const TCustomParser&) = delete;
    TCustomParser& operator=(const TCustomParser&) = delete;
    std::string ClassName() const override { return "TCustomParser"; }

    // Two-phase construction: the final class's FillResWords runs once the
    // object is complete. Make parsers with MakeParser<T>(); SetSource runs
    // it too for a parser made otherwise.
    void Initialize();

    // ---- settings ----
    TDatabaseType DatabaseType() const { return m_databaseType; }
    // Also the collection's server type while one is attached.
    virtual void SetDatabaseType(TDatabaseType Value);
    const std::string& Terminator() const { return m_terminator; }
    void SetTerminator(const std::string& Text) { m_terminator = Text; }
    // The collection that receives parsed objects (not owned); set by
    // ParseScript and ParseFile, or beforehand.
    TObjs* Objs() const { return m_objs; }
    void SetObjs(TObjs* Value) { m_objs = Value; }

    std::string ScriptName;
    // Characters that continue an identifier ("$", digits, letters, "_").
    TCharSet IdentChars;
    // Bit 0 every token, bit 1 comments, bit 2 parenthesised expressions.
    std::uint32_t TraceFlags = 0;
    bool ProgressEnabled = true;
    // 0 string, 1 memory stream, 2 private temporary file.
    int SourceMode = 0;
    // A stream holds two bytes per character.
    bool WideStream = true;

    TMsgManager& Messages() { return *m_messages; }
    TResWordList& ResWords() { return *m_resWords; }

    TErrorMessageEvent OnErrorMessage;
    TLogNextLineEvent OnLogNextLine;
    TErrorMessageEvent OnWarning;
    TProgressUpdateEvent OnProgressUpdate;
    TAddStatementEvent OnAddStatement;

    // ---- scanner state ----
    // The source of string mode; the stream modes keep it in their stream.
    const std::string& Source() const { return m_source; }
    char CurChar = '\0';
    // 1-based index of the character after the current one.
    std::int64_t NextPos = 1;
    std::int32_t Line = 1;
    // One more than the 1-based position of the current character.
    std::int32_t Column = 1;
    std::int32_t TotalLines = 0;
    TSymb Symb = TSymb::syEOF;
    std::string SymbName;
    std::int64_t TokenStart = 1;
    std::int64_t StatementStart = 1;
    // A word upper-cased (a keyword as written), or the text of a number.
    std::string TokenText;
    // Digits of a number (with a folded sign), or the content of a string.
    std::string ValueText;
    // 0 when the literal is no integer within 64 bits; ValueText keeps it.
    std::int64_t IntValue = 0;
    double FloatValue = 0;
    char QuoteChar = '\0';
    // What RunStatement hands on when the statement's rule fails.
    TStatementKind StatementKind;

    // The FROM scopes of the query being read, innermost last.
    std::vector<std::unique_ptr<TParseContext>> Contexts;
    TParseContext& PushContext();
    void PopContext();

    // ---- virtual operations ----
    virtual bool CheckTerminator();
    virtual void DoProgressUpdate();
    virtual void DoLogNextLine(const std::string& Text);
    virtual void DoErrorMessage(const std::string& Text);
    virtual void DoWarning(const std::string& Text);
    virtual void DoAddStatement(const TParsedStatement& Parsed, TStatement*& Statement);
    // The source from StatementStart to the current token, trimmed, to
    // OnAddStatement. Call it while the statement's terminator (or the token
    // after the statement) is current.
    virtual void AddStatement(TStatType StatType, const std::string& ObjName, TDbObject ObjType,
                              TDbOperation Operation, const std::string& ParentName, TStatement*& Statement);
    // The same with StatementKind, which is reset for the next statement.
    TStatement* AddStatement();
    // The text of the statement handed on last, as AddStatement took it.
    std::string EmittedText();
    virtual std::string SymbolName(TSymb S) const;
    // The collection's AddObject; freed without one. Answers the object
    // while it lives.
    virtual TDbObj* RegisterObject(std::unique_ptr<TDbObj> Obj);
    // "Missing: <)> (<Ident>: FOO)" unless S is current; a sign before an
    // expected number is folded into its ValueText ("- 5" -> "-5").
    virtual void Expect(TSymb S);
    virtual void ExpectAndNext(TSymb S);
    virtual void NextAndExpect(TSymb S);
    // "(p)" or "(p, s)" into Precision and Scale; 9 and 0 without "(".
    virtual void ParseSizeScale(TFldData& Field);
    virtual char NextChar();
    virtual char PeekChar();
    virtual char PeekChar2();
    virtual std::int64_t ReadNumber();
    virtual void ReadString(std::string& Text);
    virtual void NextToken();
    virtual void ReadIdent();
    // The balanced "(...)" at the current character, verbatim; strings,
    // quoted names and comments inside are skipped whole. Empty when no
    // "(" stands there; stops at the end of the source.
    virtual void ReadParenExpression(std::string& Text);
    virtual void SkipLine();
    virtual void ScanToken();
    virtual void ClearToken();
    virtual void AfterScanToken() {}
    virtual bool SkipBlanks();
    virtual void FillResWords();
    virtual bool IsWord(std::string_view Word) const;
    virtual void ExpectWord(std::string_view Word);
    virtual void ParseScript(TStringList& Script, TObjs* AObjs);
    virtual void ParseFile(const std::string& FileName, TObjs* AObjs);
    // The statement loop; the base reads tokens up to the end.
    virtual void Parse();
    virtual void ParseError(const std::string& Msg);
    virtual std::string GetPositionText() const;
    virtual TSymb LookupResWord();
    virtual std::string GetDefaultTerminator() const { return ";"; }
    // "/* x */", never ended early by the text.
    virtual std::string CommentText(const std::string& Text) const;
    virtual void AfterParse() {}

    // ---- statements ----
    // Runs Rule for the statement starting at the current token. On the
    // first error (or any exception) the statement is skipped to its end
    // (SkipToStatementEnd) and handed on whole with StatementKind, unless
    // the rule handed it on already; its other tokens start no statement.
    // A rule that consumed nothing is treated the same, without an error.
    // A terminator left current afterwards is stepped over.
    void RunStatement(const std::function<void()>& Rule);
    // Moves to the token that ends the statement; the base: the terminator
    // or the end.
    virtual void SkipToStatementEnd();

    // ---- dependencies (the collection's objects only) ----
    // Obj uses Target (at the current position); a view that uses a table's
    // column also uses the table's domains. Duplicates are not made.
    void AddDepend(TDbObj* Obj, TDbObj* Target, const std::string& FieldName);
    // Links Obj to the object Name names among Kinds.
    void LinkDepend(TDbObj* Obj, const std::string& Name, TDbObjectSet Kinds);

    // ---- non-virtual helpers ----
    // ParseError as if the scanner stood at ALine, AColumn (the Line and
    // Column it had there): where a string or comment that never ends opens.
    void ParseErrorAt(const std::string& Msg, std::int32_t ALine, std::int32_t AColumn);
    // The same for a string, quoted name or comment that runs to the end of
    // the source; nothing is reported at the end after it.
    void ReportUnterminated(const std::string& Msg, std::int32_t ALine, std::int32_t AColumn);
    bool EndsUnterminated() const { return m_unterminated && AtEnd(); }
    void AddWarning(const std::string& Msg);
    std::int32_t GetLine() const { return Line; }
    std::int32_t GetColumn() const { return Column - 1; }
    void TraceToken();
    void SetSource(std::string_view Text);
    std::string GetText(std::int64_t Pos, std::int64_t Count);
    std::int64_t GetLength() const;
    bool AtEnd() const;
    void SaveContext(TParseContext& Ctx) const { Ctx.Save(); }
    void RestoreContext(const TParseContext& Ctx) const { Ctx.Restore(); }
    // The current number (sign from ValueText) when it is an integer within
    // [Min, Max]; else "Missing: Integer(Float) value..." and 0.
    std::int64_t IntValueInRange(std::int64_t Min, std::int64_t Max);

protected:
    // Prepares the source's counters, runs Parse until the end (reporting
    // whatever it throws), then AfterParse once.
    void RunParse(const std::string& LogText);
    // The character at a 1-based index; #0 outside the source.
    char CharAt(std::int64_t Pos);
    // The character (a whole UTF-8 sequence) at the current one, which
    // begins no token: reported, and made a syInvalidChar token.
    void ScanInvalidChar();

private:
    class TSourceStream;
    friend class TNestingLevel;
    friend class TRecursionLevel;
    friend class TParseContext;

    void ReadNextToken();
    void ScanPair(char First);
    void RecoverStatement();
    void ReportException(const std::string& What);
    void ReleaseSource();

    std::unique_ptr<TMsgManager> m_messages;
    std::unique_ptr<TResWordList> m_resWords;
    std::unique_ptr<TSourceStream> m_stream;
    std::string m_source;
    std::string m_terminator = ";";
    TObjs* m_objs = nullptr;
    TDatabaseType m_databaseType = TDatabaseType::dbAbstract;
    bool m_initialized = false;
    // A text ran to the end of the source without its closing characters.
    bool m_unterminated = false;

    // Statement guarding: inside RunStatement, errors end the rule.
    bool m_inStatement = false;
    bool m_armed = false;
    bool m_statementFailed = false;
    bool m_abortPending = false;
    int m_scanLevel = 0;
    int m_nesting = 0;
    int m_recursion = 0;
    // Where the last token whose scan reported an error starts: a statement
    // that begins with it has its error already.
    std::int64_t m_scanErrorAt = -1;
    std::int64_t m_emittedStart = -1;
    std::int64_t m_emittedEnd = -1;
};

// Counts one SQL level (a parenthesis, a call, a CASE, a sub-query); past
// MaxNesting it reports "Nesting too deep." and ends the statement's rule.
class TNestingLevel {
public:
    explicit TNestingLevel(TCustomParser& Parser);
    ~TNestingLevel() { --m_parser.m_nesting; }
    TNestingLevel(const TNestingLevel&) = delete;
    TNestingLevel& operator=(const TNestingLevel&) = delete;

private:
    TCustomParser& m_parser;
};

// Counts one recursion of a grammar rule that is no SQL level of its own;
// past MaxRecursion it reports "Nesting too deep." and ends the rule.
class TRecursionLevel {
public:
    explicit TRecursionLevel(TCustomParser& Parser);
    ~TRecursionLevel() { --m_parser.m_recursion; }
    TRecursionLevel(const TRecursionLevel&) = delete;
    TRecursionLevel& operator=(const TRecursionLevel&) = delete;

private:
    TCustomParser& m_parser;
};

// For a grammar loop: call Turn once per round; a round that consumed no
// token makes Turn consume one, so that every loop ends.
class TLoopGuard {
public:
    explicit TLoopGuard(TCustomParser& Parser) : m_parser(Parser), m_last(-1) {}
    void Turn();

private:
    TCustomParser& m_parser;
    std::int64_t m_last;
};

// A parser of class T whose keyword list is filled:
//   auto p = MakeParser<TIbParser>();
template <class T, class... A>
std::unique_ptr<T> MakeParser(A&&... Args)
{
    auto parser = std::make_unique<T>(std::forward<A>(Args)...);
    parser->Initialize();
    return parser;
}

// Line breaks made CR LF, each line trimmed on the right, then the whole:
//   "  a  \n b \r\n\r\n" -> "a\r\n b"
std::string TrimTextLines(std::string_view Text);
// Removes a doubled pair of parentheses that encloses the whole text, as
// long as one does:  "(((1)))" -> "(1)";  "((a))+((b))" stays.
std::string StripDoubleParens(std::string_view Text);

} // namespace qel
