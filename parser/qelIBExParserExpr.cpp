// The InterBase body parser: expressions, from AND/OR down to factors, the
// special predicates and the built-in functions of each server version.
#include "qelIBExParser.h"

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelObjs.h"
#include "qelText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

namespace qel {

using enum TSymb;
using enum TDbObject;
using V = TIBSQLServerVersionType;

namespace {

// A set of server versions, one bit each in enumeration order.
using TVersions = std::uint16_t;

constexpr TVersions Versions(V From, V To)
{
    TVersions set = 0;
    for (int v = static_cast<int>(From); v <= static_cast<int>(To); ++v) set = static_cast<TVersions>(set | (1u << v));
    return set;
}

constexpr TVersions kAll = Versions(V::st_InterBase_4x, V::st_InterBase_2020);
constexpr TVersions kFB20To40 = Versions(V::st_Firebird_20, V::st_Firebird_40);
constexpr TVersions kFB21To40 = Versions(V::st_Firebird_21, V::st_Firebird_40);
constexpr TVersions kFB30On = Versions(V::st_Firebird_30, V::st_InterBase_2020);
constexpr TVersions kFB30To40 = Versions(V::st_Firebird_30, V::st_Firebird_40);
constexpr TVersions kFB40 = Versions(V::st_Firebird_40, V::st_Firebird_40);
constexpr TVersions kYaffil = Versions(V::st_Yaffil_1x, V::st_Yaffil_1x);
constexpr TVersions kYaffilFB20To40 = kYaffil | kFB20To40;

bool In(TVersions Set, V Version) { return (Set >> static_cast<int>(Version) & 1u) != 0; }

// How a built-in's arguments are read.
enum class TForm : std::uint8_t {
    List,       // ( value, ... )
    Expression, // ( expression )
    Empty,      // ( )
    Ranking,    // ( ) [OVER (...)]
    ListAll,    // ( [ALL | DISTINCT] value, ... )
    Substring,  // ( value FROM value [FOR value] )
    DayOf,      // ( OF unit FROM expression )
    Clauses,    // ( expression KEYWORD expression ... )
    Extract,    // ( part FROM value )
    Trim,       // ( [LEADING | TRAILING | BOTH] [value] [FROM value] )
    Overlay,    // ( value PLACING value FROM value [FOR value] )
    DateDiff,   // ( part FROM value TO value ) or ( part, value, value )
    DateAdd,    // ( part, value, value ) or ( value [part TO value] )
    Pad,        // ( [LEADING | TRAILING | BOTH] value [FROM value] [FOR value] )
};

// A keyword of a Clauses form, in the order written; Value: an expression
// follows it.
struct TClause {
    std::string_view Word;
    bool Required;
    bool Value = true;
};

constexpr TClause kHash[] = {{"USING", false}};
constexpr TClause kCrypt[] = {{"USING", true},          {"MODE", false},       {"KEY", true},
                              {"IV", false},            {"CTR_BIG_ENDIAN", false, false},
                              {"CTR_LITTLE_ENDIAN", false, false}, {"CTR_LENGTH", false}, {"COUNTER", false}};
constexpr TClause kRsaCrypt[] = {{"KEY", true}, {"LPARAM", false}, {"HASH", false}};
constexpr TClause kRsaSign[] = {{"SIGNATURE", false}, {"KEY", true}, {"HASH", false}, {"SALT_LENGTH", false}};

} // namespace

// A built-in function: the versions that know it and how its arguments are
// read.
struct TIbBuiltin {
    std::string_view Name;
    TVersions Versions;
    TForm Form;
    std::span<const TClause> Clauses = {};
};

namespace {

constexpr TIbBuiltin kBuiltins[] = {
    {"COALESCE", kAll, TForm::List},
    {"NULLIF", kAll, TForm::List},
    {"IIF", kAll, TForm::List},
    {"LPAD", kFB21To40, TForm::List},
    {"RPAD", kFB21To40, TForm::List},
    {"MOD", kFB21To40, TForm::List},
    {"ROUND", kFB21To40, TForm::List},
    {"RDB$GET_CONTEXT", kFB20To40, TForm::List},
    {"RDB$SET_CONTEXT", kFB20To40, TForm::List},
    {"COT", kFB21To40, TForm::Expression},
    {"PI", kFB21To40, TForm::Empty},
    {"RAND", kFB21To40, TForm::Empty},
    {"ROW_NUMBER", kFB30On, TForm::Ranking},
    {"LAG", kFB30On, TForm::List},
    {"LEAD", kFB30On, TForm::List},
    {"FIRST_VALUE", kFB30On, TForm::List},
    {"LAST_VALUE", kFB30On, TForm::List},
    {"NTH_VALUE", kFB30On, TForm::List},
    {"RANK", kFB30On, TForm::Ranking},
    {"DENSE_RANK", kFB30On, TForm::Ranking},
    {"LIST", kFB21To40, TForm::ListAll},
    {"SUBSTRING", kAll, TForm::Substring},
    {"FIRST_DAY", kFB40, TForm::DayOf},
    {"LAST_DAY", kFB40, TForm::DayOf},
    {"HASH", kFB40, TForm::Clauses, kHash},
    {"ENCRYPT", kFB40, TForm::Clauses, kCrypt},
    {"DECRYPT", kFB40, TForm::Clauses, kCrypt},
    {"RSA_ENCRYPT", kFB40, TForm::Clauses, kRsaCrypt},
    {"RSA_DECRYPT", kFB40, TForm::Clauses, kRsaCrypt},
    {"RSA_SIGN", kFB40, TForm::Clauses, kRsaSign},
    {"RSA_VERIFY", kFB40, TForm::Clauses, kRsaSign},
    {"EXTRACT", kAll, TForm::Extract},
    {"TRIM", kYaffilFB20To40, TForm::Trim},
    {"OVERLAY", kYaffilFB20To40, TForm::Overlay},
    {"DATEDIFF", kYaffilFB20To40, TForm::DateDiff},
    {"DATEADD", kYaffilFB20To40, TForm::DateAdd},
    {"PAD", kYaffil, TForm::Pad},
    {"CURRENT_TIME", kAll, TForm::Expression},
    {"CURRENT_TIMESTAMP", kAll, TForm::Expression},
};

const TIbBuiltin* FindBuiltin(std::string_view Name, V Version)
{
    for (const TIbBuiltin& b : kBuiltins)
        if (b.Name == Name && In(b.Versions, Version)) return &b;
    return nullptr;
}

// WEEKDAY last: DATEDIFF takes it, DATEADD does not.
constexpr std::string_view kDateParts[] = {"MILLISECOND", "SECOND", "MINUTE", "HOUR", "DAY",
                                           "WEEK",        "MONTH",  "YEAR",   "WEEKDAY"};

} // namespace

// ---- the levels ----

void TIbExParser::ParseExpression()
{
    const TRecursionLevel level(*this);
    if (Symb == syIBNot) NextToken();
    ParseComparison();
    for (TLoopGuard guard(*this); Symb == syIBAnd || Symb == syIBOr; guard.Turn()) {
        NextToken();
        ParseComparison();
    }
}

void TIbExParser::ParseComparison()
{
    const auto isOperator = [](TSymb S) {
        return S == syEqual || S == syLess || S == syGreater || S == syLessEqual || S == syGreaterEqual ||
               S == syNotEqual || S == syDoubleEqual;
    };
    // The predicates read by a tail; SINGULAR and EXISTS after a value are
    // not one, and go to the tail's error, which steps over them.
    const auto isTail = [this] {
        return Symb == syIBIs || Symb == syIBIn || Symb == syIBLike || Symb == syIBBetween ||
               Is(syIBStarting, "STARTING") || Is(syIBStarts, "STARTS") || Is(syIBContaining, "CONTAINING") ||
               Symb == syIBSimilar;
    };
    const auto isStray = [this] { return Is(syIBSingular, "SINGULAR") || Symb == syIBExists; };
    const auto tail = [this] {
        const auto value = [this] {
            Skip();
            ParseValueExpression();
        };
        if (Symb == syIBIs) {
            NextToken();
            if (Symb == syIBNot) NextToken();
            if (Symb == syIBNull || IsWord("TRUE") || IsWord("FALSE") || IsWord("UNKNOWN")) {
                NextToken();
            } else if (Symb == syIBDistinct) {
                NextAndExpect(syIBFrom);
                value();
            } else {
                ParseError("Must be: NULL/DISTINCT FROM.");
            }
        } else if (Symb == syIBIn) {
            const TNestingLevel sqlLevel(*this);
            NextToken();
            Take(syLParen);
            if (Symb == syIBSelect) {
                NextToken();
                ParseSelect();
            } else {
                ParseValueList();
            }
            Take(syRParen);
        } else if (Symb == syIBLike || Symb == syIBSimilar) {
            if (Symb == syIBSimilar) {
                NextToken();
                Expect(syIBTo);
            }
            value();
            if (Symb == syIBEscape) value();
        } else if (Symb == syIBBetween) {
            value();
            Expect(syIBAnd);
            value();
        } else if (Is(syIBStarting, "STARTING") || Is(syIBStarts, "STARTS")) {
            NextToken();
            if (Symb == syIBWith) NextToken();
            ParseValueExpression();
        } else if (Is(syIBContaining, "CONTAINING")) {
            value();
        } else {
            ParseError("Must be: IS/IN/EXISTS/SINGULAR/LIKE/BETWEEN/STARTING/CONTAINING.");
            Skip();
        }
    };
    ParsePredicate();
    for (TLoopGuard guard(*this); isOperator(Symb) || isTail() || isStray() || Symb == syIBNot; guard.Turn()) {
        if (Symb == syIBNot) {
            NextToken();
            if (isTail() || isStray()) tail();
            else ParsePredicate();
        } else if (isTail() || isStray()) {
            tail();
        } else {
            NextToken();
            ParsePredicate();
        }
    }
}

void TIbExParser::ParsePredicate()
{
    if (IsWord("INSERTING") || IsWord("UPDATING") || IsWord("DELETING")) {
        NextToken();
    } else if (Symb == syIBNot) {
        NextToken();
        ParseExpression();
    } else if (Symb == syIBAll || Symb == syIBAny || Symb == syIBExists || Symb == syIBIn ||
               Is(syIBSingular, "SINGULAR") || Symb == syIBSome) {
        const TNestingLevel sqlLevel(*this);
        NextToken();
        Take(syLParen);
        if (Symb == syIBSelect || Symb == syIBWith) ParseQueryExpression();
        else ParseValueList();
        Take(syRParen);
    } else {
        ParseValueExpression();
    }
}

void TIbExParser::ParseValueExpression()
{
    // Counted too: a sign or a function's arguments nest without passing a
    // whole expression.
    const TRecursionLevel level(*this);
    if (Symb == syMinus || Symb == syPlus) NextToken();
    ParseTerm();
    for (TLoopGuard guard(*this); Symb == syMinus || Symb == syPlus || Symb == syConcat; guard.Turn()) {
        NextToken();
        ParseTerm();
    }
}

void TIbExParser::ParseTerm()
{
    ParseFactor();
    for (TLoopGuard guard(*this); Symb == syStar || Symb == sySlash; guard.Turn()) {
        NextToken();
        ParseFactor();
    }
}

// ---- factors ----

void TIbExParser::ParseFactor()
{
    const bool variable = Symb == syColon;
    if (variable) NextToken();
    switch (SymbCode(Symb)) {
    case SymbCode(syIdent): ParseIdentifierFactor(variable); break;
    case SymbCode(syLParen): {
        const TNestingLevel sqlLevel(*this);
        NextToken();
        ParseExpression();
        Take(syRParen);
        break;
    }
    case SymbCode(syIBCast): ParseCast(); break;
    case SymbCode(syIBGenId): ParseIdentifierFactor(false); break;
    case SymbCode(syIBUpper): {
        // UPPER ( expression )
        const TNestingLevel sqlLevel(*this);
        NextToken();
        Take(syLParen);
        ParseExpression();
        Take(syRParen);
        break;
    }
    case SymbCode(syIBLeft):
    case SymbCode(syIBRight):
    case SymbCode(syIBPosition): ParseStringFunction(); break;
    case SymbCode(syIBCase): ParseCase(); break;
    case SymbCode(syIBAvg):
    case SymbCode(syIBCount):
    case SymbCode(syIBMax):
    case SymbCode(syIBMin):
    case SymbCode(syIBSum): ParseAggregate(); break;
    case SymbCode(syIBSelect):
        NextToken();
        ParseSelect();
        break;
    case SymbCode(syIBWith): ParseQueryExpression(); break;
    case SymbCode(syMinus):
    case SymbCode(syPlus): ParseValueExpression(); break;
    case SymbCode(syStar):
        LinkColumnDepend(m_bodyObj, {}, "*");
        NextToken();
        break;
    case SymbCode(syIBExtract): ParseIdentifierFactor(false); break;
    case SymbCode(syIBCurrentTime):
    case SymbCode(syIBCurrentTimestamp):
        NextToken();
        if (Symb == syLParen) {
            NextToken();
            ParseExpression();
            Take(syRParen);
        }
        break;
    case SymbCode(syIBCharset):
    case SymbCode(syIBDistinct):
        NextToken();
        ParseExpression();
        break;
    case SymbCode(syIBDate):
    case SymbCode(syIBTime):
    case SymbCode(syIBTimestamp):
        NextToken();
        Take(syString);
        break;
    case SymbCode(syFloat):
    case SymbCode(syString):
    case SymbCode(syInteger):
    case SymbCode(syIBCurrentDate):
    case SymbCode(syIBGdscode):
    case SymbCode(syIBNull):
    case SymbCode(syIBRdbDbKey):
    case SymbCode(syIBSqlcode):
    case SymbCode(syIBUser): NextToken(); break;
    default:
        if ((Symb == syIBValue && dynamic_cast<TDmnData*>(m_grammarObj) != nullptr) ||
            (Symb == syIBDefault && ServerVersion() == V::st_Firebird_40)) {
            NextToken();
            break;
        }
        ParseError("Invalid factor in expression (" + SymbName + ")");
        // A token that ends a statement or a list is left for its rule, so
        // that the statement after a broken one is read.
        if (Symb != sySemicolon && Symb != syIBEnd && Symb != syRParen && Symb != syComma) Skip();
        break;
    }
    if (Symb == syIBCollate) {
        NextToken();
        Take(syIdent);
    }
}

// CAST ( expression AS type ); the type of a TYPE OF COLUMN t.c is a column
// the body uses.
void TIbExParser::ParseCast()
{
    const TNestingLevel sqlLevel(*this);
    NextToken();
    Take(syLParen);
    ParseExpression();
    Take(syIBAs);
    TFldData type(nullptr, m_bodyObj);
    ParseDataType(type, false);
    Take(syRParen);
}

// LEFT ( value, length ), RIGHT ( value, length ) and POSITION ( value IN
// value ) or ( value, value [, start] ): from Yaffil on, POSITION only where
// the version knows it.
void TIbExParser::ParseStringFunction()
{
    const V version = ServerVersion();
    const bool position = Symb == syIBPosition;
    const TNestingLevel sqlLevel(*this);
    if (version < V::st_Yaffil_1x || (position && !In(kYaffilFB20To40, version))) {
        ParseError("Invalid factor in expression (" + SymbName + ")");
        Skip();
        return;
    }
    NextToken();
    Take(syLParen);
    ParseValueExpression();
    if (position && Symb == syIBIn) {
        NextToken();
        ParseValueExpression();
    } else {
        Take(syComma);
        ParseValueExpression();
        if (position && Symb == syComma) {
            NextToken();
            ParseValueExpression();
        }
    }
    Take(syRParen);
}

// CASE [value] WHEN ... THEN ... [ELSE ...] END
void TIbExParser::ParseCase()
{
    const TNestingLevel sqlLevel(*this);
    NextToken();
    if (Symb != syIBWhen) ParseExpression();
    for (TLoopGuard guard(*this); Symb == syIBWhen; guard.Turn()) {
        NextToken();
        ParseExpression();
        Take(syIBThen);
        ParseExpression();
    }
    OptionalExpression(syIBElse);
    Take(syIBEnd);
}

// AVG, COUNT, MAX, MIN and SUM: ( [ALL | DISTINCT] expression ) [OVER (...)]
void TIbExParser::ParseAggregate()
{
    const TNestingLevel sqlLevel(*this);
    NextToken();
    Take(syLParen);
    if (Symb == syIBAll || Symb == syIBDistinct) NextToken();
    ParseExpression();
    Take(syRParen);
    if (IsWord("OVER")) ParseWindowClause();
}

void TIbExParser::ParseIdentifierFactor(bool Variable)
{
    const std::string name = Symb == syIdent ? TokenText : UpperCase(TokenText);
    // Only a "(" right after the name makes a call: blanks may stand
    // between, a comment may not.
    while (CurChar == ' ' || CurChar == '\t' || CurChar == '\r' || CurChar == '\n') NextChar();
    // A keyword (EXTRACT) is a call whatever stands between.
    const bool call = CurChar == '(' || Symb != syIdent;
    const auto* check = dynamic_cast<const TCtrData*>(m_bodyObj);
    const bool contextual =
        dynamic_cast<TTrgData*>(m_bodyObj) != nullptr || (check != nullptr && check->ConstraintKind() == ckCheck);
    const auto subscripts = [this] {
        if (Symb != syLBracket) return;
        NextToken();
        ParseValueList();
        Take(syRBracket);
    };
    NextToken();
    if (name == "GEN_ID" && Symb == syLParen) {
        // A sequence wherever it stands, whatever the version makes of the word.
        const TNestingLevel sqlLevel(*this);
        NextToken();
        if (Symb == syIdent) LinkDepend(m_bodyObj, TokenText, {dboGenerator});
        Take(syIdent);
        if (Symb == syComma) {
            NextToken();
            ParseExpression();
        }
        Take(syRParen);
        return;
    }
    if (call) {
        if (const TIbBuiltin* builtin = FindBuiltin(name, ServerVersion())) {
            ParseBuiltin(*builtin);
            return;
        }
    } else if (contextual && (name == "NEW" || name == "OLD") && Symb == syDot) {
        NextToken();
        if (Symb == syIdent || Symb == syStar) LinkContextColumn(Symb == syStar ? std::string("*") : TokenText);
        else if (Symb != syIBRdbDbKey) Expect(syIdent);
        Skip();
        subscripts();
        return;
    } else if (name == "CURRENT_USER" || name == "TRANSACTION_ID" || name == "CONNECTION_ID" ||
               name == "CURRENT_DATE" || name == "CURRENT_ROLE" || name == "ROWS_AFFECTED") {
        return;
    }
    // The name goes on: alias.column, alias.*, an array element, an
    // external function's call, or NEXT VALUE FOR a sequence.
    if (Symb == syDot) {
        NextToken();
        while (CurChar == ' ' || CurChar == '\t' || CurChar == '\r' || CurChar == '\n') NextChar();
        if (Symb == syIdent && CurChar == '(' && VersionIn(V::st_Firebird_30, V::st_Firebird_40)) {
            // PKG.F(...): a function of a package, which is what is used.
            if (Objs() != nullptr) LinkCalled(Objs()->FindPackage(name));
            NextToken();
            NextToken();
            if (Symb != syRParen) ParseValueList();
            Take(syRParen);
        } else if (Symb == syIdent || Symb == syStar) {
            if (!Variable) LinkColumnDepend(m_bodyObj, name, Symb == syStar ? std::string("*") : TokenText);
            NextToken();
            subscripts();
        } else if (Symb == syIBRdbDbKey) {
            NextToken();
        } else {
            Expect(syIdent);
        }
    } else if (Symb == syLParen) {
        const TNestingLevel sqlLevel(*this);
        LinkFunction(name);
        NextToken();
        if (Symb != syRParen) ParseValueList();
        Take(syRParen);
    } else if (name == "NEXT" && Symb == syIBValue) {
        NextToken();
        Take(syIBFor);
        if (Symb == syIdent) LinkDepend(m_bodyObj, TokenText, {dboGenerator});
        Take(syIdent);
        if (IsWord("STEP")) {
            NextToken();
            ParseExpression();
        }
    } else {
        if (!Variable) LinkColumnDepend(m_bodyObj, {}, name);
        subscripts();
    }
}

// An external function (or a stored one) the body calls; a computed column's
// table uses it as well, so that the table is made after the function. (The
// model keeps a column name only on links to a table's or view's column.)
void TIbExParser::LinkFunction(const std::string& Name)
{
    if (Objs() == nullptr) return;
    TDbObj* function = Objs()->FindUDF(Name);
    if (function == nullptr) function = Objs()->FindProcedure(TPrcData::FunctionKey(Name));
    LinkCalled(function);
}

void TIbExParser::LinkCalled(TDbObj* Routine)
{
    if (Routine == nullptr) return;
    AddDepend(m_bodyObj, Routine, {});
    if (auto* field = dynamic_cast<TFldData*>(m_bodyObj); field != nullptr && Objs() != nullptr)
        AddDepend(dynamic_cast<TTblData*>(field->Parent) != nullptr ? field->Parent : Objs()->FindTable(field->TableName),
                  Routine, {});
}

void TIbExParser::ParseWindowClause()
{
    ExpectWord("OVER");
    NextToken();
    Take(syLParen);
    if (IsWord("PARTITION")) ParseByList();
    if (Symb == syIBOrder) ParseByList();
    Take(syRParen);
}

// ---- built-in functions ----

void TIbExParser::ParseBuiltin(const TIbBuiltin& Builtin)
{
    const V version = ServerVersion();
    const auto value = [this] { ParseValueExpression(); };
    const auto optional = [&](std::string_view Word) {
        if (!TokenIs(Word)) return false;
        NextToken();
        value();
        return true;
    };
    const auto part = [&](std::initializer_list<std::string_view> Parts) {
        return std::any_of(Parts.begin(), Parts.end(), [&](std::string_view p) { return TokenIs(p); });
    };
    const TNestingLevel sqlLevel(*this);
    Take(syLParen);
    switch (Builtin.Form) {
    case TForm::ListAll:
        if (Symb == syIBAll || Symb == syIBDistinct) NextToken();
        [[fallthrough]];
    case TForm::List:
        if (Symb != syRParen) ParseValueList();
        break;
    case TForm::Expression: ParseExpression(); break;
    case TForm::Empty: break;
    case TForm::Ranking:
        Take(syRParen);
        if (IsWord("OVER")) ParseWindowClause();
        return;
    case TForm::Substring:
        value();
        Take(syIBFrom);
        value();
        optional("FOR");
        break;
    case TForm::DayOf:
        Take(syIBOf);
        Skip();
        Take(syIBFrom);
        ParseExpression();
        break;
    case TForm::Clauses:
        ParseExpression();
        for (const TClause& clause : Builtin.Clauses) {
            if (!TokenIs(clause.Word)) {
                if (clause.Required) ExpectWord(clause.Word);
                continue;
            }
            NextToken();
            if (clause.Value) ParseExpression();
        }
        break;
    case TForm::Extract:
        if (!part({"SECOND", "MINUTE", "HOUR", "DAY", "MONTH", "YEAR", "WEEKDAY", "YEARDAY"}) &&
            !(version == V::st_Firebird_40 && part({"TIMEZONE_HOUR", "TIMEZONE_MINUTE"})) &&
            !(In(kFB21To40, version) && part({"WEEK", "MILLISECOND"})))
            ParseError("Invalid <part> in EXTRACT(part FROM value) function.");
        Skip();
        Take(syIBFrom);
        value();
        break;
    case TForm::Trim:
    case TForm::Pad:
        if (part({"LEADING", "TRAILING", "BOTH"})) NextToken();
        if (Symb != syIBFrom) value();
        optional("FROM");
        if (Builtin.Form == TForm::Pad) optional("FOR");
        break;
    case TForm::Overlay:
        value();
        if (optional("PLACING")) {
            Take(syIBFrom);
            value();
            optional("FOR");
        }
        break;
    case TForm::DateDiff:
    case TForm::DateAdd:
        if (!ParseDateArguments(Builtin)) return;
        break;
    }
    Take(syRParen);
    // The window functions: NTH_VALUE (...) [FROM FIRST | LAST] OVER (...)
    if (!In(kFB30On, version) || (Builtin.Name != "LAG" && Builtin.Name != "LEAD" &&
                                  !Builtin.Name.ends_with("_VALUE")))
        return;
    if (Builtin.Name == "NTH_VALUE" && Symb == syIBFrom) {
        NextToken();
        Skip();
    }
    ParseWindowClause();
}

// The arguments of DATEDIFF ( part FROM value TO value ), ( part, value,
// value ) and of DATEADD ( part, value, value ), ( value [part TO value] ).
// False when DATEDIFF's part is none: the rest of the call is then stepped
// over, its ")" too.
bool TIbExParser::ParseDateArguments(const TIbBuiltin& Builtin)
{
    const V version = ServerVersion();
    const auto value = [this] { ParseValueExpression(); };
    const auto datePart = [&](bool WithWeekday) {
        const auto* end = std::end(kDateParts) - (WithWeekday ? 0 : 1);
        // WEEK from Firebird 3 on.
        if (TokenIs("WEEK")) return In(kFB30To40, version);
        return std::any_of(std::begin(kDateParts), end, [&](std::string_view p) { return TokenIs(p); });
    };
    if (Builtin.Form == TForm::DateDiff) {
        if (!datePart(true)) {
            ParseError("Invalid timestamp part in DATEDIFF function.");
            for (int depth = 1; depth > 0 && !AtStatementEnd(); NextToken())
                depth += Symb == syLParen ? 1 : Symb == syRParen ? -1 : 0;
            return false;
        }
        NextToken();
        if (Symb == syIBFrom) {
            NextToken();
            value();
            Take(syIBTo);
            value();
        } else {
            Take(syComma);
            value();
            Take(syComma);
            value();
        }
    } else if (datePart(false)) {
        NextToken();
        Take(syComma);
        value();
        Take(syComma);
        value();
    } else {
        value();
        if (datePart(false)) {
            NextToken();
            Take(syIBTo);
            value();
        }
    }
    return true;
}

} // namespace qel
