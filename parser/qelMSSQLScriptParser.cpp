// The MS SQL script parser: its lexer, the GO rule, the statement loop and
// dispatcher, qualified names, messages and the links made after the parse.
#include "qelMSSQLScriptParserPrivate.h"

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Rul.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelMsg.h"
#include "qelMsgMngr.h"
#include "qelObjKinds.h"
#include "qelObjs.h"
#include "qelText.h"

#include <cctype>
#include <string>
#include <utility>

namespace qel {

namespace {

bool IsLineBlank(char c) { return c == ' ' || c == '\t' || c == '\x1A'; }
bool IsBlank(char c) { return IsLineBlank(c) || c == '\r' || c == '\n'; }

// Characters that continue an identifier: "$", "#", "@", digits, letters,
// "_" and every byte from 0x80 (names in UTF-8 or a code page).
TCharSet MSSQLIdentChars()
{
    TCharSet set = MakeCharSet("$#@0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz");
    for (int c = 0x80; c < 0x100; ++c) set.set(static_cast<std::size_t>(c));
    return set;
}

} // namespace

TMSSQLParser::TMSSQLParser() : m_read(std::make_unique<TReadState>())
{
    TCustomParser::SetDatabaseType(TDatabaseType::dbMSSQL);
    SetTerminator(std::string(CRLF) + "GO");
    IdentChars = MSSQLIdentChars();
}

TMSSQLParser::~TMSSQLParser() = default;

void TMSSQLParser::FillResWords()
{
    TCustomSQLParser::FillResWords();
    ResWords().AddSymbols(MSSQLResWords);
}

std::string TMSSQLParser::QuoteName(const std::string& Name) const { return MSSQLQuoteName(Name); }

// ---- lexer -----------------------------------------------------------------

bool TMSSQLParser::CaseSensitive()
{
    return ServerOptions().MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers;
}

std::string TMSSQLParser::NameCase(const std::string& Name) { return CaseSensitive() ? Name : MSSQLNameKey(Name); }

bool TMSSQLParser::GoLineAt(std::int64_t Pos, std::int64_t& CountEnd, std::string& Count)
{
    if (AsciiUpper(CharAt(Pos)) != 'G' || AsciiUpper(CharAt(Pos + 1)) != 'O') return false;
    for (std::int64_t p = Pos - 1; p >= 1; --p) {
        const char c = CharAt(p);
        if (c == '\n' || c == '\r') break;
        if (!IsLineBlank(c)) return false;
    }
    const std::int64_t length = GetLength();
    const auto lineEnds = [&](std::int64_t p) {
        const char c = CharAt(p);
        return p > length || c == '\r' || c == '\n' || (c == '-' && CharAt(p + 1) == '-');
    };
    std::int64_t p = Pos + 2;
    if (!lineEnds(p) && !IsLineBlank(CharAt(p))) return false;
    while (p <= length && IsLineBlank(CharAt(p))) ++p;
    const std::int64_t digits = p;
    while (p <= length && IsDigitChar(CharAt(p))) ++p;
    Count = GetText(digits, p - digits);
    CountEnd = p;
    while (p <= length && IsLineBlank(CharAt(p))) ++p;
    return lineEnds(p);
}

bool TMSSQLParser::IsGoTerminator()
{
    std::int64_t end = 0;
    std::string count;
    return !AtEnd() && GoLineAt(NextPos - 1, end, count);
}

bool TMSSQLParser::CheckTerminator()
{
    std::int64_t end = 0;
    std::string count;
    if (AtEnd() || !GoLineAt(NextPos - 1, end, count)) return false;
    m_read->goLine = Line;
    m_read->goColumn = Column;
    MoveTo(end);
    Symb = syTerminator;
    TokenText = "GO";
    m_read->goPending = true;
    m_read->goCount = 1;
    m_read->goCountText = count;
    m_read->goCountBad = false;
    if (!count.empty()) {
        // Any positive count the command-line tool takes: a 32-bit integer.
        std::int64_t value = 0;
        const std::size_t digits = count.find_first_not_of('0') == std::string::npos
                                       ? 0
                                       : count.size() - count.find_first_not_of('0');
        if (digits <= 10) value = std::stoll(count);
        if (value >= 1 && value <= 2147483647) m_read->goCount = static_cast<std::int32_t>(value);
        else m_read->goCountBad = true;
    }
    return true;
}

void TMSSQLParser::NextToken()
{
    if (Symb == syTerminator && m_read->goPending) {
        // A rule that reads on at a GO line stays on it: the statement stays
        // in its batch, and GO's copies are handed on only after it.
        if (m_read->inStatementRule) return;
        m_read->goPending = false;
        FinishBatch();
    }
    std::string& previous = m_read->prevWord;
    previous.clear();
    if (Symb == syComma) previous = ",";
    else if (Symb == syEqual) previous = "=";
    else if (Symb == syDot) previous = ".";
    else if (Symb == syMSDoubleColon) previous = "::";
    else if (IsNameToken() && QuoteChar == '\0') previous = Word();
    TCustomSQLParser::NextToken();
}

void TMSSQLParser::FinishBatch()
{
    // Each copy is a statement of the list the executor keeps: a count that
    // would fill memory with copies is refused, naming the bound, rather
    // than running the batch fewer times than the script says.
    constexpr std::int64_t maxCopies = 100000;
    std::string limit;
    if (!m_read->goCountBad && m_read->goCount > 1 &&
        (m_read->goCount - std::int64_t{1}) * static_cast<std::int64_t>(m_read->batch.size()) > maxCopies) {
        m_read->goCountBad = true;
        m_read->goCount = 1;
        limit = " (at most " + std::to_string(maxCopies) + " copies of the batch's statements)";
    }
    if (m_read->goCountBad) {
        m_read->goCountBad = false;
        const std::int32_t line = Line;
        const std::int32_t column = Column;
        Line = m_read->goLine;
        Column = m_read->goColumn;
        ParseError("Invalid count after GO: " + m_read->goCountText + limit);
        Line = line;
        Column = column;
    }
    if (!FullMode && SourceObject == nullptr)
        for (std::int32_t round = 1; round < m_read->goCount; ++round)
            for (const TReadState::TBatchStatement& s : m_read->batch) {
                TStatement* statement = nullptr;
                RepeatOf = s.Statement;
                TCustomSQLParser::DoAddStatement(s.Parsed, statement);
                RepeatOf = nullptr;
                LastStatement = statement;
            }
    m_read->batch.clear();
    m_read->goCount = 1;
}

void TMSSQLParser::MoveTo(std::int64_t Pos)
{
    while (NextPos - 1 < Pos && !AtEnd()) NextChar();
}

bool TMSSQLParser::ReadComment()
{
    if (!(CurChar == '/' && PeekChar() == '*')) return TCustomSQLParser::ReadComment();
    LastComment.clear();
    const std::int32_t line = Line;
    const std::int32_t column = Column;
    NextChar();
    NextChar();
    int depth = 1;
    while (!AtEnd()) {
        // Each mark is two characters taken together, as the server reads
        // them: in "*/*" the comment closes and "*" follows.
        if (CurChar == '/' && PeekChar() == '*') {
            ++depth;
        } else if (CurChar == '*' && PeekChar() == '/') {
            NextChar();
            NextChar();
            if (--depth == 0) break;
            LastComment += "*/";
            continue;
        } else {
            LastComment += CurChar;
            NextChar();
            continue;
        }
        LastComment += "/*";
        NextChar();
        NextChar();
    }
    if (depth > 0) ParseErrorAt("Unterminated comment.", line, column);
    if ((TraceFlags & 2) != 0) DoLogNextLine("Comment: " + LastComment);
    return true;
}

void TMSSQLParser::ScanToken()
{
    TokenStart = NextPos - 1;
    QuoteChar = '\0';
    NationalString = false;
    if (CheckTerminator()) {
        AfterScanToken();
        return;
    }
    const char c = CurChar;
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80 || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || c == '$' || c == '@' || c == '_' ||
        (c == '#' && CharInSet(PeekChar(), IdentChars))) {
        ScanWord();
    } else if (c == '[') {
        ScanBracketedName();
    } else if (c == '0' && (PeekChar() == 'x' || PeekChar() == 'X')) {
        // 0x1F02: a binary constant, read as the string of its bytes.
        NextChar();
        NextChar();
        std::string digits;
        while (!AtEnd() && std::isxdigit(static_cast<unsigned char>(CurChar)) != 0) {
            digits += AsciiLower(CurChar);
            NextChar();
        }
        if (digits.size() % 2 != 0) digits.insert(digits.size() - 1, 1, '0');
        ValueText.clear();
        for (std::size_t i = 0; i < digits.size(); i += 2)
            ValueText += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
        Symb = syString;
    } else if (!ScanOperator()) {
        // The base scanner read the token, and ended it.
        return;
    }
    AfterScanToken();
}

// A word, N'...' or $1.
void TMSSQLParser::ScanWord()
{
    const char c = CurChar;
    if ((c == 'N' || c == 'n') && PeekChar() == '\'') {
        NextChar();
        Symb = syString;
        QuoteChar = '\'';
        ReadString(ValueText);
        NationalString = true;
    } else if (c == '$' && IsDigitChar(PeekChar())) {
        NextChar();
        Symb = syInteger;
        IntValue = ReadNumber();
    } else {
        ReadIdent();
        Symb = c == '#' ? syIdent : LookupResWord();
        if (Symb == syIdent && c != '#' && !CaseSensitive()) TokenText = MSSQLNameKey(TokenText);
    }
}

void TMSSQLParser::ScanBracketedName()
{
    // Everything up to the closing bracket is the name; "]]" stands for one
    // "]", as the server writes such names.
    const std::int32_t line = Line;
    const std::int32_t column = Column;
    NextChar();
    TokenText.clear();
    bool closed = false;
    while (!AtEnd()) {
        if (CurChar == ']') {
            if (PeekChar() != ']') {
                closed = true;
                NextChar();
                break;
            }
            NextChar();
        }
        TokenText += CurChar;
        NextChar();
    }
    Symb = syIdent;
    QuoteChar = '[';
    // Without its "]" the name takes the rest of the script: the error stands
    // where it opens.
    if (!closed) ParseErrorAt("Unterminated bracket Identifier", line, column);
}

// The dialect's operators (!=, +=, *=, ::, ...); False when the base scanner
// took the character, or it begins no token.
bool TMSSQLParser::ScanOperator()
{
    const char c = CurChar;
    const auto single = [this](TSymb S, int Length) {
        Symb = S;
        for (int i = 0; i < Length; ++i) NextChar();
    };
    // The first character after blanks from the next one: its index.
    const auto afterBlanks = [this]() {
        std::int64_t p = NextPos;
        while (p <= GetLength() && IsBlank(CharAt(p))) ++p;
        return p;
    };
    switch (c) {
    case '!': {
        if (PeekChar() == '!' && LineStartOf(TokenStart) >= 0) {
            // "!!command" of the command-line tool: one token up to the
            // line's end, read as a tool line by the statement loop.
            Symb = syColon;
            TokenText = "!!";
            NextChar();
            NextChar();
            break;
        }
        const std::int64_t p = afterBlanks();
        const char next = CharAt(p);
        if (next == '=' || next == '<' || next == '>') {
            MoveTo(p);
            single(next == '=' ? syNotEqual : next == '<' ? syMSNotLess : syMSNotGreater, 1);
        } else {
            // A lone "!" begins no token: a token of its own with its error,
            // kept in the statement it stands in like any such character.
            ScanInvalidChar();
            return false;
        }
        break;
    }
    case '%':
    case '&':
    case '+':
    case '-':
    case '/':
    case '^':
    case '|':
        if (PeekChar() == '=') {
            const TSymb assign = c == '%'   ? syMSModAssign
                                 : c == '&' ? syMSAndAssign
                                 : c == '+' ? syMSAddAssign
                                 : c == '-' ? syMSSubAssign
                                 : c == '/' ? syMSDivAssign
                                 : c == '^' ? syMSXorAssign
                                            : syMSOrAssign;
            single(assign, 2);
        } else if (c == '^') {
            single(syMSBitXor, 1);
        } else if (c == '|' && PeekChar() != '|') {
            single(syMSBitOr, 1);
        } else {
            TCustomSQLParser::ScanToken();
            return false;
        }
        break;
    case '*': {
        const std::int64_t p = afterBlanks();
        if (CharAt(p) == '=') {
            MoveTo(p);
            single(syMSStarEqual, 1);
        } else {
            single(syStar, 1);
        }
        break;
    }
    case ':':
        if (PeekChar() == ':') {
            single(syMSDoubleColon, 2);
            break;
        }
        TCustomSQLParser::ScanToken();
        return false;
    case '=': {
        const std::int64_t p = afterBlanks();
        const char next = CharAt(p);
        if (next == '*' || next == '=') {
            MoveTo(p);
            single(next == '*' ? syMSEqualStar : syDoubleEqual, 1);
        } else {
            single(syEqual, 1);
        }
        break;
    }
    case '{': single(syMSLBrace, 1); break;
    case '}': single(syMSRBrace, 1); break;
    case '~': single(syMSBitNot, 1); break;
    default: TCustomSQLParser::ScanToken(); return false;
    }
    return true;
}

void TMSSQLParser::AfterScanToken()
{
    if (Symb == syString && QuoteChar == '"' && QuotedIdentifier) {
        Symb = syIdent;
        TokenText = ValueText;
    }
    if (Symb == syIdent && !TokenText.empty() && TokenText.front() != '@') {
        // A label: the name, blanks of its line, then one ":".
        std::int64_t p = NextPos - 1;
        while (p <= GetLength() && IsLineBlank(CharAt(p))) ++p;
        if (CharAt(p) == ':' && CharAt(p + 1) != ':') {
            MoveTo(p + 1);
            Symb = syMSLabel;
        }
    } else if (Symb == syMSEnd) {
        std::int64_t p = NextPos - 1;
        while (p <= GetLength() && IsBlank(CharAt(p))) ++p;
        if (p > NextPos - 1 && SameText(GetText(p, 12), "CONVERSATION") && !CharInSet(CharAt(p + 12), IdentChars)) {
            MoveTo(p + 12);
            Symb = syMSEndConversation;
        }
    }
    TCustomSQLParser::AfterScanToken();
}

std::int64_t TMSSQLParser::LineStartOf(std::int64_t Pos)
{
    std::int64_t p = Pos;
    while (p > 1 && IsLineBlank(CharAt(p - 1))) --p;
    return p > 1 && CharAt(p - 1) != '\n' && CharAt(p - 1) != '\r' ? -1 : p;
}

std::int64_t TMSSQLParser::FindBatchEnd(std::int64_t Pos, std::int64_t* Unterminated)
{
    if (Unterminated != nullptr) *Unterminated = 0;
    const std::int64_t length = GetLength();
    bool lineStart = true;
    for (std::int64_t p = Pos - 1; p >= 1; --p) {
        const char c = CharAt(p);
        if (c == '\n' || c == '\r') break;
        if (!IsLineBlank(c)) {
            lineStart = false;
            break;
        }
    }
    std::int64_t p = Pos;
    while (p <= length) {
        const char c = CharAt(p);
        if (c == '\'' || c == '"' || c == '[') {
            const char close = c == '[' ? ']' : c;
            const std::int64_t open = p;
            for (++p; p <= length; ++p)
                if (CharAt(p) == close) {
                    if (CharAt(p + 1) != close) break;
                    ++p;
                }
            if (p > length && Unterminated != nullptr) *Unterminated = open;
            ++p;
            lineStart = false;
        } else if (c == '-' && CharAt(p + 1) == '-') {
            while (p <= length && CharAt(p) != '\n') ++p;
        } else if (c == '/' && CharAt(p + 1) == '*') {
            const std::int64_t open = p;
            int depth = 0;
            while (p <= length) {
                if (CharAt(p) == '/' && CharAt(p + 1) == '*') {
                    ++depth;
                    p += 2;
                } else if (CharAt(p) == '*' && CharAt(p + 1) == '/') {
                    p += 2;
                    if (--depth == 0) break;
                } else {
                    ++p;
                }
            }
            if (depth > 0 && Unterminated != nullptr) *Unterminated = open;
            lineStart = false;
        } else {
            std::int64_t end = 0;
            std::string count;
            if (lineStart && (c == 'G' || c == 'g') && GoLineAt(p, end, count)) return p;
            if (c == '\n') lineStart = true;
            else if (!IsLineBlank(c) && c != '\r') lineStart = false;
            ++p;
        }
    }
    return length + 1;
}

void TMSSQLParser::ReadToGo(std::string& Text)
{
    const std::int64_t start = NextPos - 1;
    std::int64_t open = 0;
    const std::int64_t end = FindBatchEnd(start, &open);
    Text = GetText(start, end - start);
    if (open == 0) {
        MoveTo(end);
        return;
    }
    // Read unscanned, a text that never ends still gets the error the
    // scanner gives it, where it opens: else the rest of the script would
    // go into this statement without a word.
    MoveTo(open);
    const std::int32_t line = Line;
    const std::int32_t column = Column;
    const char c = CharAt(open);
    MoveTo(end);
    ReportUnterminated(c == '\''  ? "Unterminated string."
                       : c == '"' ? "Unterminated quoted name."
                       : c == '[' ? "Unterminated bracket Identifier"
                                  : "Unterminated comment.",
                       line, column);
}

// ---- statement loop ----------------------------------------------------------

void TMSSQLParser::ParseScript(TStringList& Script, TObjs* AObjs)
{
    // The script is read as the executor's session runs it, and an ODBC
    // session starts with QUOTED_IDENTIFIER on.
    QuotedIdentifier = true;
    AnsiNulls = false;
    FullMode = false;
    m_read->sourcePassDue = true;
    TCustomSQLParser::ParseScript(Script, AObjs);
    FullMode = false;
}

void TMSSQLParser::ParseFile(const std::string& FileName, TObjs* AObjs)
{
    QuotedIdentifier = true;
    AnsiNulls = false;
    FullMode = false;
    m_read->sourcePassDue = true;
    TCustomSQLParser::ParseFile(FileName, AObjs);
    FullMode = false;
}

void TMSSQLParser::Parse()
{
    m_read->viewsRead.clear();
    m_read->batch.clear();
    m_read->goPending = m_read->goCountBad = false;
    m_read->goCount = 1;
    NextToken();
    while (Symb != syEOF) {
        StatementStart = TokenStart;
        if (Symb == syTerminator) NextToken();
        else ParseBatch();
    }
    FinishBatch();
}

void TMSSQLParser::ParseBatch()
{
    m_read->firstInBatch = true;
    while (Symb != syEOF && Symb != syTerminator) {
        if (Symb == sySemicolon) {
            NextToken();
            continue;
        }
        if (AtSqlCmdLine()) {
            ParseSqlCmdLine();
            continue;
        }
        RunStatement([this] { ParseTopStatement(); });
    }
}

void TMSSQLParser::ParseTopStatement()
{
    m_read->statementDepth = 0;
    m_read->cursorQuery = false;
    m_read->wholeBatch = Symb == syMSBegin || Symb == syMSIf || Symb == syMSWhile || Symb == syMSDeclare;
    m_read->keepSemicolon = false;
    // A first token that begins no statement and whose own error was the
    // statement's one (a string that never ends) still takes the statement
    // to its end: its text is handed on whole, never empty.
    struct TRule {
        bool& reading;
        explicit TRule(bool& r) : reading(r) { reading = true; }
        ~TRule() { reading = false; }
    };
    {
        TRule rule(m_read->inStatementRule);
        if (!ParseStatement(nullptr) && Symb != syEOF && Symb != syTerminator) SkipToStatementEnd();
    }
    m_read->firstInBatch = false;
    // What follows must end the batch or begin the next statement; else it
    // is a clause the grammar does not know, and the statement runs on to
    // its real end with one error.
    if (Symb != syEOF && Symb != syTerminator && Symb != sySemicolon) {
        if (!StartsNextStatement()) ParseError("Unknown statement: " + SymbName);
        // A word that could begin a statement but here goes on with this one
        // (WITH NO REVERT, ... DROP MEMBER m): the statement is read on to
        // its end, never cut.
        if (ClauseGoesOn()) {
            TRule rule(m_read->inStatementRule);
            SkipClause(true);
        }
    }
    AddStatement();
}

bool TMSSQLParser::AtSqlCmdLine()
{
    const char next = CharAt(TokenStart + 1);
    if (Symb != syColon || !(std::isalpha(static_cast<unsigned char>(next)) != 0 || TokenText == "!!" ||
                             (next == '!' && CharAt(TokenStart + 2) == '!')))
        return false;
    return LineStartOf(TokenStart) >= 0;
}

void TMSSQLParser::ParseSqlCmdLine()
{
    // The command-line tool's own commands (:setvar, :r, :on error, !!) are
    // no SQL: each line is a comment statement, never sent to the server.
    StatementStart = TokenStart;
    std::int64_t end = TokenStart;
    while (end <= GetLength() && CharAt(end) != '\r' && CharAt(end) != '\n') ++end;
    MoveTo(end);
    m_read->firstInBatch = false;
    NextToken();
    StatementKind = {TStatType::stComment, {}, dboUnknown, TDbOperation::odbComment, {}};
    AddStatement();
}

bool TMSSQLParser::StartsNextStatement()
{
    if (AtSqlCmdLine()) return true;
    // A common table expression needs a ";" before it; without one, WITH
    // belongs to the statement before.
    if (Symb == syMSWith) return false;
    if (Symb == syMSAdd) return StartsAddStatement();
    if (Symb != syIdent) return StartsStatement(Symb);
    if (QuoteChar != '\0') return false;
    static constexpr std::string_view words[] = {"MERGE", "SEND",  "RECEIVE", "ENABLE", "DISABLE",
                                                 "REVERT", "THROW", "GET",     "MOVE"};
    for (const std::string_view w : words)
        if (IsAnyWord(w)) return true;
    return false;
}

void TMSSQLParser::SkipToStatementEnd()
{
    if (m_read->wholeBatch || SourceObject != nullptr) SkipBatch();
    else SkipClause(false);
}

void TMSSQLParser::DoAddStatement(const TParsedStatement& Parsed, TStatement*& Statement)
{
    Statement = nullptr;
    if (FullMode || SourceObject != nullptr) return;
    TParsedStatement parsed = Parsed;
    if (m_read->keepSemicolon && Symb == sySemicolon && !parsed.SQL.empty()) parsed.SQL += ";";
    TCustomSQLParser::DoAddStatement(parsed, Statement);
    LastStatement = Statement;
    m_read->batch.push_back({Statement, std::move(parsed)});
}

bool TMSSQLParser::StartsStatement(TSymb S)
{
    static const TSymbSet starts{
        syIdent, syLParen, syMSSet, syMSInsert, syMSDelete, syMSReconfigure, syMSCreate, syMSSetuser, syMSExecute,
        syMSTruncate, syMSShutdown, syMSUpdatetext, syMSWritetext, syMSGrant, syMSSelect, syMSBegin, syMSUpdate,
        syMSRevoke, syMSIf, syMSDeclare, syMSAlter, syMSDrop, syMSWith, syMSUse, syMSRaiserror, syMSOpen,
        syMSDeallocate, syMSDump, syMSCheckpoint, syMSPrint, syMSWaitfor, syMSRollback, syMSCommit, syMSReturn,
        syMSWhile, syMSBreak, syMSContinue, syMSFetch, syMSBackup, syMSDbcc, syMSGoto, syMSSave, syMSClose,
        syMSDeny, syMSReadtext, syMSRestore, syMSLabel, syMSEndConversation, syMSBulk, syMSKill};
    return starts.Contains(S);
}

bool TMSSQLParser::ParseStatement(TDbObj* Context)
{
    TRecursionLevel level(*this);
    ++m_read->statementDepth;
    const bool top = m_read->statementDepth == 1;
    // A statement inside another one leaves the outer one's kind alone.
    struct TScope {
        TMSSQLParser& p;
        bool top;
        TStatementKind kind;
        ~TScope()
        {
            --p.m_read->statementDepth;
            if (!top) p.StatementKind = kind;
        }
    } scope{*this, top, StatementKind};
    if (!StartsStatement(Symb) && !(Symb == syMSAdd && StartsAddStatement())) {
        if (Symb != syEOF && Symb != syTerminator) ParseError("Unknown statement: " + SymbName);
        return false;
    }
    if (top) StatementKind = {};
    // A label and the GOTO that jumps to it must reach the server in one
    // batch, and a RETURN ends the rest of its batch: from there the batch
    // goes whole.
    if (top && !FullMode && (Symb == syMSLabel || Symb == syMSGoto || Symb == syMSReturn)) {
        m_read->wholeBatch = true;
        SkipBatch();
        return true;
    }
    switch (static_cast<int>(Symb)) {
    case int(syMSAdd):
        // ADD SIGNATURE, ADD COUNTER SIGNATURE, ADD SENSITIVITY CLASSIFICATION
        NextToken();
        SkipClause(true);
        break;
    case int(syIdent):
        if (IsWord("SEND") || IsWord("RECEIVE")) ParseReceiveOrSend(Context, IsWord("RECEIVE"));
        else if (IsWord("MERGE")) ParseMerge(Context);
        else if (IsWord("REVERT") || IsWord("ENABLE") || IsWord("DISABLE")) ParseSimpleStatement(Context);
        else if (IsWord("THROW")) {
            // THROW [n, 'text', state]
            NextToken();
            if (StartsExpression()) ParseExpressionList(Context);
        } else if (IsWord("MOVE") && PeekWord() == "CONVERSATION") {
            // MOVE CONVERSATION @h TO @g
            Skip(2);
            ParseExpression(Context);
            ExpectAndNext(syMSTo);
            ParseExpression(Context);
        } else if (IsWord("GET") && PeekWord() == "CONVERSATION") {
            // GET CONVERSATION GROUP @g FROM queue
            Skip(3);
            ParseExpression(Context);
            ExpectAndNext(syMSFrom);
            ParseObjectName(dboUnknown, false);
        }
        else ParseProcedureCall(Context, false);
        break;
    case int(syLParen): ParseQuery(Context); break;
    case int(syMSSet): ParseSet(Context); break;
    case int(syMSInsert):
        StatementKind.StatType = TStatType::stInsert;
        if (FullMode) ParseInsert(Context);
        else SkipBatch();
        break;
    case int(syMSDelete):
        StatementKind.StatType = TStatType::stDelete;
        if (FullMode) ParseDelete(Context);
        else SkipBatch();
        break;
    case int(syMSUpdate):
        if (PeekWord() == "STATISTICS") {
            // UPDATE STATISTICS t [index] [WITH FULLSCAN ...]: no DML
            NextToken();
            SkipClause(true);
            break;
        }
        StatementKind.StatType = TStatType::stUpdate;
        if (FullMode) ParseUpdate(Context);
        else
            while (Symb != syEOF && Symb != syTerminator && Symb != sySemicolon) NextToken();
        break;
    case int(syMSSelect):
        if (FullMode) {
            StatementKind.StatType = ParseQuery(Context) ? TStatType::stStatement : TStatType::stSelect;
        } else {
            StatementKind.StatType = JudgeSelect(TokenStart);
            SkipBatch();
        }
        break;
    case int(syMSBegin):
        if (FullMode) ParseBegin(Context);
        else SkipBatch();
        break;
    case int(syMSIf):
    case int(syMSDeclare):
        if (FullMode) {
            if (Symb == syMSIf) ParseIf(Context);
            else ParseDeclare(Context);
        } else {
            std::string text;
            ReadToGo(text);
            NextToken();
        }
        break;
    case int(syMSWhile): ParseWhile(Context); break;
    case int(syMSCreate): ParseCreate(Context); break;
    case int(syMSAlter): ParseAlter(); break;
    case int(syMSDrop): ParseDrop(); break;
    case int(syMSUse):
        NextToken();
        ParseObjectName(dboDatabase, false);
        StatementKind = {TStatType::stConnect, NameObject, dboDatabase, TDbOperation::odbUnknown, {}};
        break;
    case int(syMSExecute):
        NextToken();
        ParseExec(Context);
        break;
    case int(syMSGrant):
    case int(syMSRevoke):
    case int(syMSDeny): ParseGrant(Symb); break;
    case int(syMSWith): StatementKind.StatType = ParseWith(Context); break;
    default: ParseSimpleStatement(Context); break;
    }
    return true;
}

TStatType TMSSQLParser::JudgeSelect(std::int64_t Start)
{
    const std::int64_t end = FindBatchEnd(Start);
    if (m_read->judge == nullptr) {
        m_read->judge = MakeParser<TMSSQLParser>();
        m_read->judge->OnErrorMessage = [](TObject&, const std::string&) {};
        m_read->judge->ProgressEnabled = false;
    }
    TMSSQLParser* judge = m_read->judge.get();
    judge->Messages().Clear();
    judge->QuotedIdentifier = QuotedIdentifier;
    judge->ServerOptions().MSSQLServerOptions().Assign(ServerOptions().MSSQLServerOptions());
    judge->SetSource(GetText(Start, end - Start));
    bool whole = false;
    bool into = false;
    judge->NextToken();
    judge->RunStatement([&] {
        into = judge->ParseQuery(nullptr);
        while (judge->Symb == sySemicolon) judge->NextToken();
        whole = judge->Symb == syEOF;
    });
    return whole && !into && !judge->Messages().HasErrors() ? TStatType::stSelect : TStatType::stStatement;
}

void TMSSQLParser::SkipBatch()
{
    while (Symb != syEOF && Symb != syTerminator) NextToken();
}

// ---- names -------------------------------------------------------------------

std::string TMSSQLParser::Word() const { return UpperCase(TokenText); }

namespace {

bool IsKeywordSymb(TSymb S)
{
    const auto v = static_cast<int>(S);
    return v >= 30 && v <= 207 && !(v >= 150 && v <= 156);
}

} // namespace

bool TMSSQLParser::IsNameToken() const { return Symb == syIdent || (IsKeywordSymb(Symb) && !TokenText.empty()); }

bool TMSSQLParser::IsAnyWord(std::string_view W) const { return IsNameToken() && UpperCase(TokenText) == W; }

void TMSSQLParser::ExpectAnyWord(std::string_view W)
{
    if (!IsAnyWord(W)) ParseError("Must be: " + UpperCase(W));
}

void TMSSQLParser::ParseObjectName(TDbObject Kind, bool DefaultOwner)
{
    NameServer.clear();
    NameDatabase.clear();
    NameOwner.clear();
    NameObject.clear();
    NameColumn.clear();
    std::vector<std::string> parts;
    const auto readPart = [&] {
        if (Symb == syIdent || (!parts.empty() && IsNameToken())) {
            parts.push_back(TokenText);
            NextToken();
        } else if (Symb == syStar) {
            parts.emplace_back("*");
            NextToken();
        } else if (Symb == syLess) {
            // A placeholder of a template: "<" to the next ">" as written.
            std::int64_t p = NextPos - 1;
            while (p <= GetLength() && CharAt(p) != '>' && CharAt(p) != '\n') ++p;
            parts.push_back(GetText(TokenStart, p - TokenStart + 1));
            MoveTo(p + 1);
            NextToken();
        } else if (!parts.empty() && Symb == syDot) {
            // "db..t": the owner left out.
            parts.emplace_back();
        } else {
            Expect(syDot);
            parts.emplace_back();
        }
    };
    readPart();
    const std::size_t most = Kind == dboIndex || Kind == dboField ? 5 : 4;
    while (Symb == syDot && parts.size() < most) {
        NextToken();
        readPart();
    }
    std::string* slots[5] = {&NameObject, &NameOwner, &NameDatabase, &NameServer, nullptr};
    std::string* indexSlots[5] = {&NameColumn, &NameObject, &NameOwner, &NameDatabase, &NameServer};
    std::string** order = Kind == dboIndex || Kind == dboField ? indexSlots : slots;
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (std::string* slot = order[i]) *slot = parts[parts.size() - 1 - i];
    if (NameOwner.empty() && DefaultOwner) NameOwner = m_read->elementSchema.empty() ? "dbo" : m_read->elementSchema;
    for (std::string* part : indexSlots) *part = NameCase(*part);
}

TDbObj* TMSSQLParser::FindIn(const TObjIndex& Index, const std::string& Schema, const std::string& Name)
{
    if (TDbObj* found = Index.Find(KeyOf(Schema, Name))) return found;
    if (Schema.empty()) return Index.Find(KeyOf(NameCase("dbo"), Name));
    if (SameText(Schema, "dbo")) return Index.Find(Name);
    return nullptr;
}

TDbObj* TMSSQLParser::FindObject(TDbObject Kind, const std::string& Schema, const std::string& Name)
{
    TObjs* objs = Objs();
    if (objs == nullptr || Name.empty()) return nullptr;
    switch (Kind) {
    case dboTable: return FindIn(objs->Tables, Schema, Name);
    case dboView: return FindIn(objs->Views, Schema, Name);
    case dboProcedure: return FindIn(objs->Procedures, Schema, Name);
    case dboTrigger: return FindIn(objs->Triggers, Schema, Name);
    case dboDomain: return FindIn(objs->Domains, Schema, Name);
    case dboIndex: return FindIn(objs->Indexes, Schema, Name);
    case dboConstraint: return FindIn(objs->Constraints, Schema, Name);
    case dboSchema: return FindIn(objs->Schemas, {}, Name);
    case dboRule: return FindIn(objs->Rules, Schema, Name);
    case dboDefault: return FindIn(objs->Defaults, Schema, Name);
    case dboGenerator: return FindIn(objs->Generators, Schema, Name);
    default: return nullptr;
    }
}

void TMSSQLParser::LinkName(TDbObj* Context, const std::string& Schema, const std::string& Name,
                            std::initializer_list<TDbObject> Kinds)
{
    if (Context == nullptr || Objs() == nullptr) return;
    for (const TDbObject kind : Kinds)
        if (TDbObj* found = FindObject(kind, Schema, Name)) {
            if (found != Context) AddDepend(Context, found, {});
            return;
        }
}

TDbObj* TMSSQLParser::Register(std::unique_ptr<TDbObj> Obj)
{
    if (Obj == nullptr) return nullptr;
    Obj->QuotedIdentifier = QuotedIdentifier;
    Obj->AnsiNulls = AnsiNulls;
    return RegisterObject(std::move(Obj));
}

void TMSSQLParser::SkipParens()
{
    if (Symb != syLParen) return;
    int depth = 0;
    TLoopGuard guard(*this);
    do {
        guard.Turn();
        if (Symb == syLParen) ++depth;
        else if (Symb == syRParen) --depth;
        NextToken();
    } while (depth > 0 && Symb != syEOF && Symb != syTerminator);
    if (depth > 0) Expect(syRParen);
}

char TMSSQLParser::PeekNonBlank()
{
    std::int64_t p = NextPos - 1;
    while (p <= GetLength() && IsBlank(CharAt(p))) ++p;
    return CharAt(p);
}

std::string TMSSQLParser::PeekWord()
{
    std::int64_t p = NextPos - 1;
    while (p <= GetLength() && IsBlank(CharAt(p))) ++p;
    std::string word;
    // A GO line ends the batch: no word of the statement stands there.
    std::int64_t end = 0;
    std::string count;
    if (GoLineAt(p, end, count)) return word;
    for (; p <= GetLength() && CharInSet(CharAt(p), IdentChars); ++p) word += AsciiUpper(CharAt(p));
    return word;
}

void TMSSQLParser::ForEachListed(const std::function<void()>& Item)
{
    for (TLoopGuard guard(*this);; guard.Turn()) {
        Item();
        if (Symb != syComma) return;
        NextToken();
    }
}

void TMSSQLParser::SkipOptionList()
{
    ForEachListed([this] {
        NextToken();
        if (Symb == syEqual) {
            Skip(2);
        }
        if (Symb == syLParen) SkipParens();
    });
}

std::int64_t TMSSQLParser::IntegerValue()
{
    Expect(syInteger);
    return IntValueInRange(-2147483647 - 1, 2147483647);
}

// ---- messages ------------------------------------------------------------------

void TMSSQLParser::ParseError(const std::string& Msg)
{
    TDbObj* object = SourceObject != nullptr ? SourceObject : m_read->bodyObject;
    if (object == nullptr) {
        TCustomSQLParser::ParseError(Msg);
        return;
    }
    std::string prefix = object->Name() + ": ";
    if (auto* field = dynamic_cast<TFldData*>(object)) prefix = "Field " + field->GetParentName() + "/" + prefix;
    else if (const std::string word = KindInfo(object->ObjectType()).MessageWord; !word.empty())
        prefix = word + " " + prefix;
    if (!ScriptName.empty()) {
        TCustomSQLParser::ParseError(prefix + Msg);
        return;
    }
    // Without a script name the message is attached to the object.
    const int before = Messages().Count();
    const std::string text = prefix + Msg + GetPositionText();
    const auto attach = [&] {
        if (Messages().Count() <= before) return;
        TMsgData& m = Messages().Items(Messages().Count() - 1);
        m.Text = text;
        m.ScriptName.clear();
        m.Data = object;
    };
    try {
        TCustomSQLParser::ParseError(prefix + Msg);
    } catch (const EStatementAbort&) {
        attach();
        throw;
    }
    attach();
}

// ---- object-source pass and links ---------------------------------------------

void TMSSQLParser::ParseObjectSources()
{
    TObjs* objs = Objs();
    if (objs == nullptr) return;
    std::vector<TDbObj*> objects;
    for (const auto& item : objs->Views)
        if (!m_read->viewsRead.contains(item.Object)) objects.push_back(item.Object);
    for (const auto& item : objs->Procedures) objects.push_back(item.Object);
    for (const auto& item : objs->Triggers) objects.push_back(item.Object);
    for (TDbObj* obj : objects) {
        ParseObjectSource(*obj);
        ProcessMessages();
    }
}

void TMSSQLParser::ParseObjectSource(TDbObj& Obj)
{
    auto* view = dynamic_cast<TViwData*>(&Obj);
    if (view == nullptr || view->Body().empty()) return;
    SetTerminator(std::string(CRLF) + "GO");
    SourceObject = view;
    const bool wasFull = FullMode;
    FullMode = true;
    // The query is read under the QUOTED_IDENTIFIER state it was created
    // with, not the one the script ended in.
    const bool wasQuoted = std::exchange(QuotedIdentifier, view->QuotedIdentifier);
    SetSource(view->Body());
    NextToken();
    RunStatement([this, view] {
        if (Symb == syMSWith) ParseWith(view);
        else ParseQuery(view);
        if (Symb == syMSWith && PeekWord() == "CHECK") {
            // WITH CHECK OPTION
            Skip(2);
            ExpectAnyWord("OPTION");
            NextToken();
        }
        while (Symb == sySemicolon) NextToken();
        if (Symb != syEOF) ParseError("Unknown statement: " + SymbName);
    });
    SetSource({});
    FullMode = wasFull;
    QuotedIdentifier = wasQuoted;
    SourceObject = nullptr;
}

void TMSSQLParser::AfterParse()
{
    if (m_read->sourcePassDue) {
        m_read->sourcePassDue = false;
        FullMode = true;
        ParseObjectSources();
    }
    m_read->viewsRead.clear();
    TCustomSQLParser::AfterParse();
    LinkAfterParse();
}

void TMSSQLParser::LinkAfterParse()
{
    TObjs* objs = Objs();
    if (objs == nullptr) return;
    for (TTblData* table : objs->Tables.ObjectsOf<TTblData>()) {
        for (const auto& column : table->Fields) {
            TFldData* field = column.Object.get();
            if (field == nullptr) continue;
            if (!field->DomainName.empty())
                if (TDbObj* domain = FindObject(dboDomain, field->DomainSchema, field->DomainName))
                    AddDepend(field, domain, {});
            // The name of the rule bound to the column (sp_bindrule).
            if (!field->CheckName.empty())
                if (TDbObj* rule = FindObject(dboRule, {}, field->CheckName)) AddDepend(field, rule, {});
            if (!field->DefaultValue.empty())
                if (TDbObj* value = FindObject(dboDefault, {}, field->DefaultValue)) AddDepend(field, value, {});
        }
    }
    for (TTrgData* trigger : objs->Triggers.ObjectsOf<TTrgData>()) {
        if (trigger->IsDatabaseTrigger()) continue;
        if (TDbObj* table = FindObject(dboTable, trigger->Schema(), trigger->TableName())) AddDepend(trigger, table, {});
        else if (TDbObj* view = FindObject(dboView, trigger->Schema(), trigger->TableName())) AddDepend(trigger, view, {});
    }
    for (TIdxData* index : objs->Indexes.ObjectsOf<TIdxData>()) {
        if (TDbObj* table = FindObject(dboTable, index->Schema(), index->TableName)) AddDepend(index, table, {});
        else if (TDbObj* view = FindObject(dboView, index->Schema(), index->TableName)) AddDepend(index, view, {});
    }
    // Grants keep the owner of their object as their schema.
    for (TGntData* grant : objs->Grants.ObjectsOf<TGntData>()) {
        if (grant->ObjectName.empty()) continue;
        if (grant->ObjectKind == dboTable || grant->ObjectKind == dboView || grant->ObjectKind == dboProcedure)
            AddDepend(grant, FindObject(grant->ObjectKind, grant->Schema(), grant->ObjectName), {});
    }
}

} // namespace qel
