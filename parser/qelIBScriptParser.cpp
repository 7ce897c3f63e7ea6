// The InterBase script parser: its tokens, the statement loop with its
// dispatch on the first word, the isql statements (SET, CONNECT, CREATE
// DATABASE, INPUT, COMMIT), DML, the plain body reader and the passes after
// the script.
#include "qelIBScriptParser.h"
#include "qelIBScriptParserPrivate.h"

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Pkg.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelText.h"

#include <algorithm>
#include <filesystem>
#include <limits>

namespace qel {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The closing character of q'<c>...<c>' for an opening one.
char QuoteClose(char Open)
{
    switch (Open) {
    case '(': return ')';
    case '{': return '}';
    case '[': return ']';
    case '<': return '>';
    default: return Open;
    }
}

bool IsLineBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

} // namespace

TIbParser::TIbParser() { SetDatabaseType(TDatabaseType::dbInterBase); }

TIbParser::~TIbParser() = default;

void TIbParser::FillResWords()
{
    TCustomSQLParser::FillResWords();
    ResWords().AddSymbols(IBResWords);
}

TSymb TIbParser::LookupResWord() { return IBFilterTokenSymb(TCustomSQLParser::LookupResWord(), ServerVersion()); }

bool TIbParser::IsWord(std::string_view Word) const
{
    // The keyword symbols follow the punctuation; a quoted name is syIdent
    // already.
    return (Symb == syIdent || static_cast<int>(Symb) >= 30) && SameText(TokenText, Word);
}

bool TIbParser::FirebirdFrom(TVersion V)
{
    const TVersion v = ServerVersion();
    return v >= V && v <= TVersion::st_Firebird_40;
}

// ---- tokens ----

void TIbParser::ScanToken()
{
    TokenStart = NextPos - 1;
    QuoteChar = '\0';
    const char c = CurChar;
    const bool fb25 = FirebirdFrom(TVersion::st_Firebird_25);
    if (c == '_') {
        Symb = syIBCharset;
        ReadIdent();
        AfterScanToken();
        return;
    }
    if (fb25 && c == '0' && (PeekChar() == 'x' || PeekChar() == 'X')) {
        NextChar();
        NextChar();
        TokenText.clear();
        while (!AtEnd() && HexDigit(CurChar) >= 0) {
            TokenText += CurChar;
            NextChar();
        }
        std::uint64_t value = 0;
        bool fits = !TokenText.empty() && TokenText.size() <= 16;
        for (const char d : TokenText) value = value * 16 + static_cast<std::uint64_t>(HexDigit(d));
        if (!fits || value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) value = 0;
        Symb = syInteger;
        IntValue = static_cast<std::int64_t>(value);
        ValueText = std::to_string(IntValue);
        FloatValue = static_cast<double>(IntValue);
        AfterScanToken();
        return;
    }
    if (fb25 && (c == 'X' || c == 'x') && PeekChar() == '\'') {
        NextChar();
        std::string hex;
        ReadString(hex);
        hex = UpperCase(hex);
        ValueText.clear();
        for (std::size_t i = 0; i < hex.size(); i += 2) {
            const int hi = std::max(HexDigit(hex[i]), 0);
            const int lo = i + 1 < hex.size() ? std::max(HexDigit(hex[i + 1]), 0) : -1;
            ValueText += static_cast<char>(lo < 0 ? hi : hi * 16 + lo);
        }
        Symb = syString;
        QuoteChar = '\'';
        AfterScanToken();
        return;
    }
    // Firebird's other spellings of the negated comparisons: ~= and ^= for
    // <>, !< ~< ^< for >=, !> ~> ^> for <=; a terminator that begins so
    // ends the statement first, as isql reads it.
    if ((c == '~' || c == '^' || c == '!') && (PeekChar() == '=' || PeekChar() == '<' || PeekChar() == '>')) {
        if (!CheckTerminator()) {
            const char next = PeekChar();
            NextChar();
            NextChar();
            Symb = next == '=' ? syNotEqual : next == '<' ? syGreaterEqual : syLessEqual;
        }
        AfterScanToken();
        return;
    }
    if (c == '?') {
        // A parameter marker: isql sends it to the server, which prepares it
        // (under SET PLANONLY nothing more is asked of it) or refuses it for
        // want of a value. The statement keeps it, with no error of ours.
        Symb = syInvalidChar;
        TokenText = "?";
        NextChar();
        AfterScanToken();
        return;
    }
    if (fb25 && c == ':' && PeekChar() == '=') {
        NextChar();
        NextChar();
        Symb = syIBAssign;
        AfterScanToken();
        return;
    }
    if (FirebirdFrom(TVersion::st_Firebird_30) && (c == 'q' || c == 'Q') && PeekChar() == '\'') {
        // q'<c>...<c>': nothing inside ends the string but its own closing
        // character followed by a quote.
        const std::int32_t line = Line;
        const std::int32_t column = Column;
        NextChar();
        NextChar();
        const char close = QuoteClose(CurChar);
        NextChar();
        ValueText.clear();
        while (!AtEnd() && !(CurChar == close && PeekChar() == '\'')) {
            ValueText += CurChar;
            NextChar();
        }
        if (AtEnd()) ReportUnterminated("Unterminated string.", line, column);
        NextChar();
        NextChar();
        Symb = syString;
        QuoteChar = '\'';
        AfterScanToken();
        return;
    }
    TCustomSQLParser::ScanToken();
    if (Symb == syString && QuoteChar == '"' && !ValueText.empty() && IBOptions().SQLDialect == 3) {
        Symb = syIdent;
        TokenText = ValueText;
    }
}

// ---- helpers ----

bool TIbParser::PeekWord(std::string_view Word)
{
    const TParseContext here(this);
    NextToken();
    const bool found = IsWord(Word);
    here.Restore();
    return found;
}

bool TIbParser::PeekIs(TSymb S, std::string_view Word)
{
    const TParseContext here(this);
    NextToken();
    const bool found = Symb == S || (!Word.empty() && IsWord(Word));
    here.Restore();
    return found;
}

void TIbParser::ExpectIs(TSymb S, std::string_view Word)
{
    if (!Is(S, Word)) Expect(S);
}

std::string TIbParser::ExpectName(bool AllowString)
{
    if (Symb == syIdent) return TokenText;
    if (AllowString && Symb == syString) return ValueText;
    Expect(syIdent);
    return TokenText;
}

void TIbParser::SetKind(TStatType StatType, const std::string& ObjName, TDbObject ObjType, TDbOperation Operation,
                        const std::string& ParentName)
{
    StatementKind = {StatType, ObjName, ObjType, Operation, ParentName};
}

void TIbParser::Emit(bool Required)
{
    SkipOwnSemicolons();
    if (Symb != syTerminator && (Required || Symb != syEOF)) Expect(syTerminator);
    StatementRef = AddStatement();
}

void TIbParser::SkipOwnSemicolons()
{
    if (Terminator() != ";")
        while (Symb == sySemicolon) NextToken();
}

void TIbParser::SkipToEnd() { SkipUntil(TSymbSet{syTerminator, syEOF}); }

std::string TIbParser::ReadParenText()
{
    Expect(syLParen);
    const std::int64_t start = TokenStart;
    int depth = 0;
    for (;;) {
        if (Symb == syLParen) {
            ++depth;
        } else if (Symb == syRParen) {
            if (--depth == 0) break;
        } else if (Symb == syTerminator || Symb == syEOF) {
            Expect(syRParen);
            return GetTextFrom(start);
        }
        NextToken();
    }
    std::string text = GetText(start, TokenStart + 1 - start);
    NextToken();
    return text;
}

void TIbParser::ParseQualifiedName()
{
    QualifiedSchema.clear();
    QualifiedThird.clear();
    QualifiedObjName = ExpectName();
    NextToken();
    if (Symb != syDot) return;
    NextToken();
    QualifiedSchema = QualifiedObjName;
    QualifiedObjName = ExpectName();
    NextToken();
}

std::string TIbParser::GetPositionText() const
{
    std::string text = TCustomSQLParser::GetPositionText();
    if (!CurrentTableName.empty() && !CurrentFieldName.empty())
        text += " Table:" + CurrentTableName + " Field:" + CurrentFieldName + " ";
    return text;
}

std::string TIbParser::QuoteName(const std::string& Name) const
{
    auto& options = const_cast<TIbParser*>(this)->IBOptions();
    if (options.SQLDialect == 3 && IBNeedsQuotes(Name, options.SQLServerVersion)) return QuoteDelimited(Name, '"', '"');
    return Name;
}

// ---- the statement loop ----

void TIbParser::ParseScript(TStringList& Script, TObjs* AObjs)
{
    SetObjs(AObjs);
    AutoDDL = true;
    ScriptSettings = {};
    // The dialect is the one the script will run in (the caller's, 3 unless
    // set), as isql reads it: reading dialect 1 here took quoted names for
    // strings until a SET SQL DIALECT said otherwise.
    TCustomSQLParser::ParseScript(Script, AObjs);
}

void TIbParser::Parse()
{
    m_exited = false;
    NextToken();
    while (Symb != syEOF && !m_exited) {
        StatementStart = TokenStart;
        if (Symb == syTerminator) {
            NextToken();
            continue;
        }
        if (ParseOwnStatement()) continue;
        RunStatement([this] { ParseStatement(); });
        CurrentTableName.clear();
        CurrentFieldName.clear();
    }
}

// SET TERM, INPUT, REINSERT and ALTER SESSION RESET: read here, outside the
// statement guard, since nothing of them is handed on.
bool TIbParser::ParseOwnStatement()
{
    if (IsWord("INPUT")) {
        ParseInput();
        return true;
    } else if (IsWord("REINSERT")) {
        NextToken();
    } else if (Symb == syIBSet || Symb == syIBAlter) {
        const TParseContext first(this);
        NextToken();
        if (first.Symb == syIBSet && IsWord("TERM")) {
            ParseSetTerm();
            return true;
        }
        if (first.Symb != syIBAlter || !IsWord("SESSION") || ServerVersion() != TVersion::st_Firebird_40) {
            first.Restore();
            return false;
        }
        NextToken();
        ExpectWord("RESET");
        NextToken();
        SkipOwnSemicolons();
        if (Symb != syTerminator && Symb != syEOF) Expect(syTerminator);
    } else {
        return false;
    }
    SkipToEnd();
    if (Symb == syTerminator) NextToken();
    return true;
}

void TIbParser::ParseStatement()
{
    switch (SymbCode(Symb)) {
    case SymbCode(syIBCreate):
    case SymbCode(syIBRecreate): ParseCreate(); return;
    case SymbCode(syIBAlter): ParseAlter(); return;
    case SymbCode(syIBDrop): ParseDrop(); return;
    case SymbCode(syIBDeclare):
        NextToken();
        if (Is(syIBFilter, "FILTER")) {
            // A BLOB filter is the server's own; the model keeps none.
            NextToken();
            SetKind(stStatement, ExpectName(true), dboBlobFilter, odbCreate);
            SkipToEnd();
            Emit(false);
            return;
        }
        ExpectIs(syIBExternal, "EXTERNAL");
        NextToken();
        ExpectIs(syIBFunction, "FUNCTION");
        ParseDeclareExternalFunction();
        return;
    case SymbCode(syIBGrant): ParseGrant(); return;
    case SymbCode(syIBRevoke): ParseRevoke(); return;
    case SymbCode(syIBSet): ParseSet(); return;
    case SymbCode(syIBDescribe): ParseDescribe(); return;
    case SymbCode(syIBExecute): ParseExecute(); return;
    case SymbCode(syIBSelect):
    case SymbCode(syIBWith):
    case SymbCode(syIBInsert):
    case SymbCode(syIBUpdate):
    case SymbCode(syIBDelete): ParseDML(); return;
    default: break;
    }
    if (Is(syIBCommit, "COMMIT") || IsWord("ROLLBACK") || Is(syIBSavepoint, "SAVEPOINT") ||
        Is(syIBRelease, "RELEASE")) {
        ParseTransactionStatement();
    } else if (IsWord("CONNECT")) {
        NextToken();
        if (Is(syIBDatabase, "DATABASE")) NextToken();
        ParseConnect(false);
    } else if (IsWord("RECONNECT")) {
        SetKind(stReconnect, {}, dboUnknown, odbUnknown);
        NextToken();
        Emit();
    } else if (IsWord("DESCRIBE")) {
        ParseDescribe();
    } else if (IsWord("COMMENT")) {
        ParseComment();
    } else if (IsIsqlCommand()) {
        // isql's own commands: kept, never sent. isql stops reading at EXIT
        // and QUIT, also inside an INPUT file: what follows is never run.
        // One with a character in it that begins no token fails as any
        // statement does and ends nothing (isql sends "QUIT" run into such
        // a character to the server, which refuses it, and reads on).
        const bool quit = IsWord("QUIT");
        const bool exits = quit || Is(syIBExit, "EXIT");
        SetKind(stSet, {}, dboUnknown, odbSet);
        SkipToEnd();
        Emit(false);
        if (!exits) return;
        m_exitWord = quit ? "QUIT" : "EXIT";
        EndAfterExit();
    } else if (Symb == syIBMerge || IsWord("MERGE")) {
        ParseDML();
    } else {
        UnknownStatement();
    }
}

// COMMIT [WORK] [RETAIN [SNAPSHOT]] and ROLLBACK [WORK] [RETAIN] end the
// script's main transaction and are handed on as st_Commit, for the executor
// to run as isql does. ROLLBACK [WORK] TO [SAVEPOINT] s, SAVEPOINT s and
// RELEASE SAVEPOINT s [ONLY] are the server's, run in that transaction.
void TIbParser::ParseTransactionStatement()
{
    const bool commit = Is(syIBCommit, "COMMIT");
    const bool rollback = !commit && IsWord("ROLLBACK");
    if (commit || rollback) {
        NextToken();
        if (Is(syIBWork, "WORK")) NextToken();
        if (rollback && Is(syIBTo, "TO")) {
            NextToken();
            if (Is(syIBSavepoint, "SAVEPOINT")) NextToken();
            SetKind(stStatement, ExpectName(), dboUnknown, odbUnknown);
            NextToken();
            Emit(false);
            return;
        }
        SetKind(st_Commit, {}, dboUnknown, odbCommit);
        if (IsWord("RETAIN")) {
            NextToken();
            if (commit && IsWord("SNAPSHOT")) NextToken();
        }
        Emit(false);
        return;
    }
    const bool release = Is(syIBRelease, "RELEASE");
    NextToken();
    if (release) {
        ExpectIs(syIBSavepoint, "SAVEPOINT");
        NextToken();
    }
    SetKind(stStatement, ExpectName(), dboUnknown, odbUnknown);
    NextToken();
    if (release && IsWord("ONLY")) NextToken();
    Emit(false);
}

// A statement of the server that the model keeps nothing of: handed on
// whole, read to its end.
void TIbParser::ServerStatement()
{
    SetKind(stStatement, {}, dboUnknown, odbUnknown);
    SkipToEnd();
    Emit(false);
}

void TIbParser::UnknownStatement()
{
    if (Symb == syIdent) ParseError("Unknown statement: " + SymbName);
    else ParseError("Missing/unknown: DDL-statement: " + SymbName);
}

void TIbParser::ParseCreate()
{
    // A RECREATE the server refuses changes nothing: the statement is read
    // as it stands, with no collection to file its object, constraints or
    // links in.
    struct TKeepCollection {
        TIbParser& Parser;
        TObjs* Objs;
        ~TKeepCollection() { Parser.SetObjs(Objs); }
    } keep{*this, Objs()};
    if (Symb == syIBRecreate && !DropForRecreate()) SetObjs(nullptr);
    NextToken();
    if (IsWord("GLOBAL") && PeekWord("MAPPING") && FirebirdFrom(TVersion::st_Firebird_30)) {
        // The server's own object, of which the model keeps none.
        ServerStatement();
    } else if (Symb == syIBTable || Symb == syIBGlobal) {
        const bool temporary = Symb == syIBGlobal;
        if (temporary) {
            NextToken();
            ExpectIs(syIBTemporary, "TEMPORARY");
            NextToken();
        }
        ParseCreateTable(temporary);
    } else if (Symb == syIBAsc || Symb == syIBDesc || Symb == syIBIndex || Symb == syIBUnique || IsWord("ASC") ||
               IsWord("ASCENDING") || IsWord("DESC") || IsWord("DESCENDING")) {
        ParseCreateIndex();
    } else if (Symb == syIBProcedure) {
        ParseCreateProcedure(false);
    } else if (Symb == syIBTrigger) {
        ParseCreateTrigger(false);
    } else if (Symb == syIBView) {
        ParseCreateView(false);
    } else if (IsWord("PACKAGE")) {
        ParseCreatePackage();
    } else if (Is(syIBRole, "ROLE")) {
        ParseCreateRole();
    } else if (Symb == syIBOr) {
        NextToken();
        ExpectIs(syIBAlter, "ALTER");
        NextToken();
        if (Is(syIBProcedure, "PROCEDURE") || Is(syIBFunction, "FUNCTION")) ParseCreateProcedure(Symb != syIBProcedure && !IsWord("PROCEDURE"));
        else if (Is(syIBTrigger, "TRIGGER")) ParseCreateTrigger(true);
        else if (Is(syIBView, "VIEW")) ParseCreateView(true);
        else if (IsWord("PACKAGE") && FirebirdFrom(TVersion::st_Firebird_30)) ParseCreatePackage();
        else if ((Symb == syIBException || IsWord("EXCEPTION")) && FirebirdFrom(TVersion::st_Firebird_30))
            ParseAlterException();
        else if ((Is(syIBGenerator, "GENERATOR") || IsWord("SEQUENCE")) && FirebirdFrom(TVersion::st_Firebird_30))
            ParseGenerator();
        else if ((IsWord("USER") || IsWord("MAPPING") || IsWord("GLOBAL")) && FirebirdFrom(TVersion::st_Firebird_30))
            ServerStatement();
        else ParseError("Unknown ALTER-statement");
    } else if (Is(syIBGenerator, "GENERATOR") || IsWord("SEQUENCE")) {
        ParseGenerator();
    } else if (Is(syIBDomain, "DOMAIN")) {
        ParseCreateDomain();
    } else if (Is(syIBFunction, "FUNCTION") && FirebirdFrom(TVersion::st_Firebird_30)) {
        ParseCreateProcedure(true);
    } else if (Is(syIBDatabase, "DATABASE")) {
        NextToken();
        ParseConnect(true);
    } else if (Symb == syIBException || (IsWord("EXCEPTION") && FirebirdFrom(TVersion::st_Firebird_30))) {
        NextToken();
        ParseCreateException(nullptr);
    } else if (IsWord("GLOBAL") && FirebirdFrom(TVersion::st_Firebird_20)) {
        NextToken();
        if (!IsWord("TEMPORARY")) ParseError("TEMPORARY expected, but " + UpperCase(TokenText) + " found.");
        NextToken();
        ParseCreateTable(true);
    } else if (IsWord("COLLATION") && FirebirdFrom(TVersion::st_Firebird_21)) {
        ParseCreateCollation();
    } else if ((IsWord("SHADOW") || IsWord("USER") || IsWord("MAPPING") || IsWord("GLOBAL")) &&
               FirebirdFrom(TVersion::st_Firebird_20)) {
        // The server's own objects, of which the model keeps none.
        ServerStatement();
    } else {
        ParseError("Unknown CREATE-statement");
    }
}

void TIbParser::ParseAlter()
{
    NextToken();
    if (Is(syIBTable, "TABLE")) ParseAlterTable();
    else if (Is(syIBProcedure, "PROCEDURE")) ParseCreateProcedure(false);
    else if (Is(syIBFunction, "FUNCTION")) ParseCreateProcedure(true);
    else if (IsWord("PACKAGE")) ParseCreatePackage();
    else if (Is(syIBIndex, "INDEX")) ParseAlterIndex();
    else if (Is(syIBTrigger, "TRIGGER")) ParseCreateTrigger(true);
    else if (Is(syIBView, "VIEW")) ParseCreateView(true);
    else if (Is(syIBDomain, "DOMAIN")) ParseAlterDomain();
    else if (IsWord("SEQUENCE")) ParseAlterSequence();
    else if (Symb == syIBException || (IsWord("EXCEPTION") && FirebirdFrom(TVersion::st_Firebird_30))) ParseAlterException();
    else if (FirebirdFrom(TVersion::st_Firebird_30) &&
             (Is(syIBDatabase, "DATABASE") || Is(syIBChar, "CHARACTER") || IsWord("USER") || IsWord("CURRENT") ||
              IsWord("MAPPING") || IsWord("GLOBAL") || Is(syIBRole, "ROLE") || Is(syIBExternal, "EXTERNAL")))
        ServerStatement();
    else ParseError("Unknown ALTER statement.");
}

bool TIbParser::IsIsqlCommand() const
{
    // EXIT is a keyword of PSQL in some versions: the symbol is isql's too.
    if (Symb == syIBExit) return true;
    for (const char* word :
         {"SHOW", "OUTPUT", "SHELL", "EDIT", "HELP", "BLOBDUMP", "BLOBVIEW", "ADD", "COPY", "EXIT", "QUIT"})
        if (IsWord(word)) return true;
    return false;
}

void TIbParser::ParseDML()
{
    const TSymb first = Symb;
    const bool merge = IsWord("MERGE");
    NextToken();
    if (first == syIBSelect || first == syIBWith) {
        SetKind(stSelect, {}, dboUnknown, odbUnknown);
    } else if (first == syIBInsert) {
        ExpectIs(syIBInto, "INTO");
        NextToken();
        SetKind(stInsert, ExpectName(), dboTable, odbInsert);
    } else if (first == syIBUpdate && Symb == syIBOr) {
        // UPDATE OR INSERT INTO t ... MATCHING (...)
        NextToken();
        ExpectIs(syIBInsert, "INSERT");
        NextToken();
        ExpectIs(syIBInto, "INTO");
        NextToken();
        SetKind(stInsert, ExpectName(), dboTable, odbInsert);
    } else if (first == syIBMerge || merge) {
        ExpectIs(syIBInto, "INTO");
        NextToken();
        SetKind(stUpdate, ExpectName(), dboTable, odbUpdate);
    } else if (first == syIBUpdate) {
        SetKind(stUpdate, ExpectName(), dboTable, odbUpdate);
    } else {
        ExpectIs(syIBFrom, "FROM");
        NextToken();
        SetKind(stDelete, ExpectName(), dboTable, odbDelete);
    }
    SkipToEnd();
    Emit(false);
}

void TIbParser::ParseExecute()
{
    NextToken();
    if (IsWord("BLOCK")) {
        ParseExecuteBlock();
        return;
    }
    if (Is(syIBProcedure, "PROCEDURE")) {
        NextToken();
        ParseQualifiedName();
        const std::string name =
            QualifiedSchema.empty() ? QualifiedObjName : QualifiedSchema + "." + QualifiedObjName;
        SetKind(stStatement, name, dboProcedure, odbUnknown);
    } else if (IsWord("STATEMENT")) {
        SetKind(stStatement, {}, dboUnknown, odbUnknown);
    } else {
        UnknownStatement();
    }
    SkipToEnd();
    Emit(false);
}

// ---- SET ----

void TIbParser::ParseSet()
{
    NextToken();
    TIBServerOptions& options = IBOptions();
    if (IsWord("AUTODDL")) {
        SetKind(stSet, {}, dboUnknown, odbSet);
        NextToken();
        // Without ON or OFF isql turns the switch over.
        if (Symb == syTerminator || Symb == syEOF) {
            AutoDDL = !AutoDDL;
        } else {
            if (Symb == syIBOn) AutoDDL = true;
            else if (IsWord("OFF")) AutoDDL = false;
            else ParseError("Missing: ON/OFF in \"SET AUTODDL...\"");
            NextToken();
        }
    } else if (IsWord("SQL")) {
        SetKind(stSqlDialect, {}, dboUnknown, odbSet);
        NextToken();
        ExpectWord("DIALECT");
        NextToken();
        if (Symb == syEqual) NextToken();
        Expect(syInteger);
        const auto dialect = static_cast<TIBSQLDialectType>(IntValueInRange(1, 3));
        options.SQLDialect = dialect;
        ScriptSettings.Dialect = true;
        StatementKind.ObjName = IntToStr(dialect);
        NextToken();
    } else if (IsWord("BLOBFILE")) {
        SetKind(stSetBlobFile, {}, dboUnknown, odbSet);
        NextToken();
        Expect(syString);
        StatementKind.ObjName = ValueText;
        NextToken();
    } else if (Is(syIBNames, "NAMES")) {
        SetKind(stSetNames, {}, dboUnknown, odbSet);
        NextToken();
        Expect(syIdent);
        options.SetDBCharSet(TokenText);
        ScriptSettings.CharSet = true;
        StatementKind.ObjName = TokenText;
        NextToken();
    } else if (Is(syIBGenerator, "GENERATOR")) {
        NextToken();
        const std::string name = ExpectName();
        SetKind(stStatement, name, dboGenerator, odbAlter);
        DoLogNextLine("Generator: " + name);
        NextToken();
        ExpectIs(syIBTo, "TO");
        NextToken();
        Expect(syInteger);
        const std::int64_t value =
            IntValueInRange(std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
        if (Collection() != nullptr)
            if (TGnrData* generator = Collection()->FindGenerator(name)) generator->CurrentValue = value;
        NextToken();
    } else if (Is(syIBStatistics, "STATISTICS")) {
        NextToken();
        ExpectIs(syIBIndex, "INDEX");
        NextToken();
        SetKind(stStatement, ExpectName(), dboIndex, odbSet);
        NextToken();
    } else if (IsFirebird4SessionSet()) {
        // The server's own statements from Firebird 4 on: sent, not isql's.
        ServerStatement();
        return;
    } else {
        SetKind(stSet, {}, dboUnknown, odbSet);
        SkipToEnd();
        Emit(false);
        return;
    }
    Emit();
}

// The new terminator is read as characters, not tokens, as isql reads it:
// the first word of what stands between TERM and the current terminator.
// With no word the terminator goes back to ";" (SET TERM ^; while "^" is
// current); what follows the word up to the current terminator is ignored.
// A word with a character that would begin a comment or a quoted text is
// refused, and the terminator stays.
void TIbParser::ParseSetTerm()
{
    const std::string old = Terminator();
    const auto atOld = [&] {
        for (std::size_t i = 0; i < old.size(); ++i)
            if (CharAt(NextPos - 1 + static_cast<std::int64_t>(i)) != old[i]) return false;
        return !old.empty();
    };
    while (!AtEnd() && IsLineBlank(CurChar) && !atOld()) NextChar();
    std::string term;
    while (!AtEnd() && CurChar != '\0' && !IsLineBlank(CurChar) && !atOld()) {
        term += CurChar;
        NextChar();
    }
    const bool refused = term.find_first_of("-*/'\"") != std::string::npos;
    if (refused)
        ParseError("Invalid characters for SET TERMINATOR are <ENTER>, -, *, /, SINGLE_QUOTE, DOUBLE_QUOTE");
    NextToken();
    SkipToEnd();
    if (Symb != syTerminator) {
        Expect(syTerminator);
        return;
    }
    if (!refused) SetTerminator(term.empty() ? ";" : term);
    NextToken();
}

// ---- CONNECT and CREATE DATABASE ----

void TIbParser::ParseConnect(bool Create)
{
    SetKind(Create ? stCreateDb : stConnect, {}, dboUnknown, odbSet);
    // isql reads its CONNECT itself: a value is in single or double quotes
    // or, without them, runs to the next blank (an alias, a user name as a
    // plain word). The server reads CREATE DATABASE, and wants quotes.
    const auto value = [&]() {
        if (Symb == syString) return ValueText;
        if (QuoteChar == '"' && !Create) return TokenText;
        const bool plain = !Create && QuoteChar == '\0' && Symb != syTerminator && Symb != syEOF;
        if (!plain) {
            Expect(syString);
            return ValueText;
        }
        const std::int64_t start = TokenStart;
        std::int64_t end = NextPos - 1;
        // The tokens that touch make up the value; the one after it is left
        // current, so the caller must not step over it.
        for (;;) {
            const TParseContext here(this);
            NextToken();
            if (Symb == syTerminator || Symb == syEOF || TokenStart != end) {
                here.Restore();
                break;
            }
            end = NextPos - 1;
        }
        return GetText(start, end - start);
    };
    const std::string name = value();
    TConnectionOptions& co = ConnectionOptions();
    TIBServerOptions& ib = IBOptions();
    co.DatabaseName = name;
    // What this statement names alone: the parser's options keep a login
    // the statement leaves out, the statement's runner does not.
    TConnectionOptions named;
    named.DatabaseName = name;
    StatementKind.ObjName = name;
    DoLogNextLine("Database connect: " + name);
    // A database created without a default character set has NONE; the
    // default of one connected to is not known from the script.
    ib.SetDefaultCharSet(Create ? "NONE" : "");
    NextToken();
    // A user or role name in double quotes keeps them, so that the server
    // takes its case as written, as isql's login does.
    const auto stringValue = [&](std::string& Field, bool Name) {
        NextToken();
        const bool delimited = QuoteChar == '"';
        Field = value();
        if (delimited && Name) Field = QuoteDelimited(Field, '"', '"');
        NextToken();
    };
    for (;;) {
        if (Is(syIBPageSize, "PAGE_SIZE")) {
            NextToken();
            if (Symb == syEqual) NextToken();
            Expect(syInteger);
            ib.IBDatabaseOptions().PageSize = static_cast<std::int32_t>(IntValueInRange(0, 65536));
            ScriptSettings.PageSize = true;
            NextToken();
        } else if (Is(syIBDefault, "DEFAULT")) {
            NextToken();
            ExpectIs(syIBChar, "CHARACTER");
            NextToken();
            ExpectIs(syIBSet, "SET");
            NextToken();
            Expect(syIdent);
            ib.SetDefaultCharSet(TokenText);
            ScriptSettings.CharSet = true;
            NextToken();
        } else if (IsWord("COLLATION")) {
            NextToken();
            Expect(syIdent);
            NextToken();
        } else if (!Create && Is(syIBCache, "CACHE")) {
            NextToken();
            Expect(syInteger);
            NextToken();
        } else if (Is(syIBUser, "USER")) {
            stringValue(co.UserName, true);
            named.UserName = co.UserName;
        } else if (Is(syIBPassword, "PASSWORD")) {
            stringValue(co.Password, false);
            named.Password = co.Password;
        } else if (Is(syIBRole, "ROLE")) {
            stringValue(co.RoleName, true);
            named.RoleName = co.RoleName;
        } else {
            break;
        }
    }
    if (Symb != syTerminator && Symb != syEOF) ParseError("Unknown token in DB-declaration.");
    Emit(false);
    if (!Create && StatementRef != nullptr && OnConnectStatement)
        OnConnectStatement(*StatementRef, EmittedText(), named);
}

// ---- INPUT ----

void TIbParser::ParseInput()
{
    NextToken();
    std::string name;
    if (Symb == syString) name = ValueText;
    else if (Symb == syIdent && QuoteChar == '"') name = TokenText;
    else Expect(syString);
    // A file that cannot be read is reported where its name stands.
    const TParseContext atName(this);
    if (Symb == syString || Symb == syIdent) NextToken();
    if (Symb != syTerminator && Symb != syEOF) {
        Expect(syTerminator);
        SkipToEnd();
    }
    // Read while this statement's terminator is current: what the file sets
    // (the terminator too) holds for the token after it.
    if (!name.empty()) ReadInputFile(name, atName);
    // EXIT in the file ends this script too, whose rest is left unread.
    if (m_exited) EndAfterExit();
    if (Symb == syTerminator) NextToken();
}

// Said when something follows (a control character too); the rest is not
// even scanned, so that nothing in it can give an error.
void TIbParser::EndAfterExit()
{
    m_exited = true;
    std::int64_t pos = Symb == syTerminator ? NextPos - 1 : TokenStart;
    while (pos <= GetLength() && IsLineBlank(CharAt(pos))) ++pos;
    if (pos <= GetLength()) AddWarning("Not read: the rest of the script after " + m_exitWord + ".");
    Symb = syEOF;
}

void TIbParser::ReadInputFile(const std::string& Name, const TParseContext& At)
{
    const auto report = [&](const std::string& Msg) {
        const TParseContext here(this);
        At.Restore();
        ParseError(Msg);
        here.Restore();
    };
    namespace fs = std::filesystem;
    fs::path path(Name);
    if (path.is_relative() && !ScriptName.empty()) path = fs::path(ScriptName).parent_path() / path;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        report("File not found: " + Name);
        return;
    }
    std::vector<std::string> chain = m_inputFiles;
    if (m_inputDepth == 0 && !ScriptName.empty()) chain.push_back(fs::weakly_canonical(ScriptName, ec).string());
    const std::string file = fs::weakly_canonical(path, ec).string();
    if (m_inputDepth >= MaxInputNesting || std::find(chain.begin(), chain.end(), file) != chain.end()) {
        report("INPUT nesting too deep: " + Name);
        return;
    }
    chain.push_back(file);
    std::unique_ptr<TIbParser> inner = NewInputParser();
    inner->m_inputDepth = m_inputDepth + 1;
    inner->m_inputFiles = std::move(chain);
    inner->ScriptName = path.string();
    inner->SetTerminator(Terminator());
    inner->AutoDDL = AutoDDL;
    inner->TraceFlags = TraceFlags;
    inner->ProgressEnabled = false;
    inner->ConnectionOptions().Assign(ConnectionOptions());
    if (Collection() == nullptr) inner->IBOptions().Assign(IBOptions());
    // The first error of the whole script is the one shown.
    inner->OnErrorMessage = [this](TObject&, const std::string& Text) {
        if (!Messages().HasErrors()) DoErrorMessage(Text);
    };
    inner->OnLogNextLine = [this](TObject&, const std::string& Text) { DoLogNextLine(Text); };
    inner->OnWarning = [this](TObject&, const std::string& Text) { DoWarning(Text); };
    inner->OnDescribeStatement = OnDescribeStatement;
    inner->OnConnectStatement = OnConnectStatement;
    inner->OnAddStatement = [this](TObject&, const TParsedStatement& Parsed, TStatement*& Statement) {
        DoAddStatement(Parsed, Statement);
    };
    inner->ParseFile(path.string(), Collection());
    m_exited = inner->m_exited;
    m_exitWord = inner->m_exitWord;
    SetTerminator(inner->Terminator());
    AutoDDL = inner->AutoDDL;
    ConnectionOptions().Assign(inner->ConnectionOptions());
    if (Collection() == nullptr) IBOptions().Assign(inner->IBOptions());
    ScriptSettings.Dialect |= inner->ScriptSettings.Dialect;
    ScriptSettings.CharSet |= inner->ScriptSettings.CharSet;
    ScriptSettings.PageSize |= inner->ScriptSettings.PageSize;
    Messages().AddMessages(&inner->Messages());
}

std::unique_ptr<TIbParser> TIbParser::NewInputParser() { return MakeParser<TIbParser>(); }

// ---- bodies ----

void TIbParser::ReadDomainCheck(TFldData& Field) { Field.CheckText = ReadParenText(); }

void TIbParser::ReadBodyText(TDbObj* Obj, std::int64_t Start)
{
    if (dynamic_cast<TCtrData*>(Obj) != nullptr || dynamic_cast<TFldData*>(Obj) != nullptr ||
        dynamic_cast<TIdxData*>(Obj) != nullptr) {
        const std::string text = ReadParenText();
        if (Obj != nullptr) Obj->SetBody(text);
        return;
    }
    std::string text;
    if (Symb != syTerminator && Symb != syEOF) {
        const std::int64_t from = Is(syIBAs, "AS") ? NextPos - 1 : std::max<std::int64_t>(Start, TokenStart);
        const bool qStrings = FirebirdFrom(TVersion::st_Firebird_30);
        const std::string& term = Terminator();
        const auto atTerminator = [&] {
            if (term.empty()) return false;
            for (std::size_t i = 0; i < term.size(); ++i)
                if (CharAt(NextPos - 1 + static_cast<std::int64_t>(i)) != term[i]) return false;
            return true;
        };
        while (!AtEnd()) {
            const char c = CurChar;
            if (c == '-' && PeekChar() == '-') {
                while (!AtEnd() && CurChar != '\n') NextChar();
            } else if (c == '/' && PeekChar() == '*') {
                NextChar();
                NextChar();
                while (!AtEnd() && !(CurChar == '*' && PeekChar() == '/')) NextChar();
                NextChar();
                NextChar();
            } else if (qStrings && (c == 'q' || c == 'Q') && PeekChar() == '\'' &&
                       !CharInSet(CharAt(NextPos - 2), IdentChars)) {
                NextChar();
                NextChar();
                const char close = QuoteClose(CurChar);
                NextChar();
                while (!AtEnd() && !(CurChar == close && PeekChar() == '\'')) NextChar();
                NextChar();
                NextChar();
            } else if (c == '\'' || c == '"') {
                NextChar();
                while (!AtEnd()) {
                    if (CurChar == c && PeekChar() != c) break;
                    if (CurChar == c) NextChar();
                    NextChar();
                }
                NextChar();
            } else if (atTerminator()) {
                break;
            } else {
                NextChar();
            }
        }
        const std::int64_t end = AtEnd() ? GetLength() + 1 : NextPos - 1;
        text = Trim(GetText(from, end - from));
        NextToken();
    }
    if (Obj == nullptr) return;
    if (auto* package = dynamic_cast<TPkgData*>(Obj); package != nullptr && !m_packageBody)
        package->HeaderText = text;
    else
        Obj->SetBody(text);
}

// ---- after the script ----

void TIbParser::AfterParse()
{
    // An INPUT file is part of the script that includes it.
    if (m_inputDepth > 0 || Collection() == nullptr) return;
    ResolveGrantees();
    RemoveConstraintIndexes();
    TCustomSQLParser::AfterParse();
    LinkDomains();
}

void TIbParser::ResolveGrantees()
{
    TObjs& objs = *Collection();
    for (TGntData* grant : objs.Grants.ObjectsOf<TGntData>()) {
        if (grant->GranteeType != 10) continue;
        const std::string& name = grant->Grantee;
        if (objs.FindRole(name) != nullptr) grant->GranteeType = 11;
        else if (objs.FindTable(name) != nullptr || objs.FindView(name) != nullptr ||
                 objs.FindProcedure(name) != nullptr || objs.FindTrigger(name) != nullptr)
            grant->GranteeType = 13;
        else grant->GranteeType = 12;
    }
}

void TIbParser::RemoveConstraintIndexes()
{
    TObjs& objs = *Collection();
    for (int i = objs.Indexes.Count() - 1; i >= 0; --i) {
        auto* index = dynamic_cast<TIdxData*>(objs.Indexes.Objects(i));
        if (index == nullptr) continue;
        TCtrData* ctr = objs.FindConstraint(index->Name());
        if (ctr == nullptr || ctr->ConstraintKind() > ckForeignKey || ctr->TableName() != index->TableName ||
            ctr->GetFieldsText() != index->GetFieldsText())
            continue;
        DoLogNextLine("Remove index: " + index->GetCreateDDL() + CRLF + "for constraint: " + ctr->GetCreateDDL());
        objs.DeleteObject(index);
    }
}

void TIbParser::LinkDomains()
{
    TObjs& objs = *Collection();
    for (const auto& d : objs.Domains) {
        TDbObj* domain = d.Object;
        for (TTblData* table : objs.Tables.ObjectsOf<TTblData>()) {
            for (const auto& f : table->Fields) {
                TFldData* field = f.Object.get();
                if (field == nullptr || field->DataType != dtDomain || field->DomainName != domain->Name()) continue;
                AddDepend(table, domain, field->Name());
            }
        }
    }
}

} // namespace qel
