// The full-mode grammar of procedural statements (blocks, IF, WHILE,
// DECLARE, cursors), of INSERT, UPDATE, DELETE and MERGE, and of queries
// with their table sources; each table source links the object being read
// to the table, view or function it names.
#include "qelMSSQLScriptParserPrivate.h"

#include "qelComp_Fld.h"
#include "qelComp_Tbl.h"
#include "qelObjs.h"
#include "qelText.h"

#include <algorithm>
#include <iterator>

namespace qel {

// ---- blocks and control flow ---------------------------------------------------------

void TMSSQLParser::ParseBlock(TDbObj* Context)
{
    for (TLoopGuard guard(*this);; guard.Turn()) {
        while (Symb == sySemicolon) NextToken();
        if (Symb == syMSEnd) break;
        if (Symb == syEOF || Symb == syTerminator) {
            ParseError("Must be: END");
            return;
        }
        if (!StartsStatement(Symb)) ParseError("Unknown Statement: " + SymbName);
        ParseStatement(Context);
    }
    NextToken();
}

void TMSSQLParser::ParseBegin(TDbObj* Context)
{
    NextToken();
    if (IsWord("TRY")) {
        NextToken();
        ParseBlock(Context);
        ExpectWords({"TRY"});
        while (Symb == sySemicolon) NextToken();
        ExpectAndNext(syMSBegin);
        ExpectWords({"CATCH"});
        ParseBlock(Context);
        ExpectWords({"CATCH"});
    } else if (Symb == syMSTransaction || Symb == syMSDistributed) {
        if (Symb == syMSDistributed) NextToken();
        ExpectAndNext(syMSTransaction);
        if (Symb == syIdent && PeekNonBlank() != ':') NextToken();
        if (Symb == syMSWith) {
            NextToken();
            ExpectWords({"MARK"});
            if (Symb == syString) NextToken();
        }
    } else if (IsWord("DIALOG")) {
        NextToken();
        if (IsWord("CONVERSATION")) NextToken();
        NextToken();
        ExpectAndNext(syMSFrom);
        ExpectWord("SERVICE");
        Skip(2);
        ExpectAndNext(syMSTo);
        ExpectWords({"SERVICE"});
        ParseExpression(Context);
        if (Symb == syComma) {
            NextToken();
            ParseExpression(Context);
        }
        if (Symb == syMSOn) {
            NextToken();
            ExpectWord("CONTRACT");
            Skip(2);
        }
        if (Symb == syMSWith) {
            NextToken();
            for (TLoopGuard guard(*this);; guard.Turn()) {
                // RELATED_CONVERSATION = @h, LIFETIME = 60, ENCRYPTION = ON | OFF
                NextToken();
                ExpectAndNext(syEqual);
                if (IsOnOff(Symb)) NextToken();
                else ParseExpression(Context);
                if (Symb != syComma) break;
                NextToken();
            }
        }
    } else if (IsWord("CONVERSATION")) {
        NextToken();
        ExpectWords({"TIMER"});
        ExpectAndNext(syLParen);
        ParseExpression(Context);
        ExpectAndNext(syRParen);
        ExpectWords({"TIMEOUT"});
        ExpectAndNext(syEqual);
        ParseExpression(Context);
    } else {
        if (IsWord("ATOMIC")) {
            // BEGIN ATOMIC WITH ( ... ) of a natively compiled routine
            NextToken();
            ExpectAndNext(syMSWith);
            SkipParens();
        }
        ParseBlock(Context);
    }
}

void TMSSQLParser::ParseIf(TDbObj* Context)
{
    NextToken();
    ParseExpression(Context);
    ParseStatement(Context);
    if (Symb == sySemicolon) {
        // "IF c PRINT 1; ELSE PRINT 2": the ";" may stand before ELSE.
        TParseContext saved(this);
        while (Symb == sySemicolon) NextToken();
        if (Symb != syMSElse) saved.Restore();
    }
    if (Symb == syMSElse) {
        NextToken();
        ParseStatement(Context);
    }
}

void TMSSQLParser::ParseWhile(TDbObj* Context)
{
    NextToken();
    ParseExpression(Context);
    ParseStatement(Context);
}

void TMSSQLParser::ParseDeclare(TDbObj* Context)
{
    NextToken();
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Symb != syIdent) Expect(syIdent);
        const bool variable = !TokenText.empty() && TokenText.front() == '@';
        NextToken();
        if (!variable) {
            // A cursor: name [INSENSITIVE] [SCROLL] CURSOR ...
            while (IsWord("INSENSITIVE") || IsWord("SCROLL")) NextToken();
            Expect(syMSCursor);
            ParseCursorDefinition(Context);
        } else {
            if (Symb == syMSAs) NextToken();
            if (Symb == syMSTable) {
                NextToken();
                TTblData scratch(Objs());
                ParseTableElements(scratch, false);
            } else if (Symb == syMSCursor) {
                NextToken();
            } else {
                ParseColumnType(ScratchField(), false, false);
                if (Symb == syEqual) {
                    NextToken();
                    ParseExpression(Context);
                }
            }
        }
        if (Symb != syComma) break;
        NextToken();
    }
}

void TMSSQLParser::ParseCursorDefinition(TDbObj* Context)
{
    NextToken();
    static constexpr std::string_view kOptions[] = {"LOCAL",     "GLOBAL",   "FORWARD_ONLY", "SCROLL",
                                                    "STATIC",    "KEYSET",   "DYNAMIC",      "FAST_FORWARD",
                                                    "READ_ONLY", "SCROLL_LOCKS", "OPTIMISTIC", "TYPE_WARNING",
                                                    "INSENSITIVE"};
    while (Symb == syIdent && std::find(std::begin(kOptions), std::end(kOptions), Word()) != std::end(kOptions))
        NextToken();
    ExpectAndNext(syMSFor);
    m_read->cursorQuery = true;
    ParseQuery(Context);
    m_read->cursorQuery = false;
    if (Symb != syMSFor) return;
    NextToken();
    if (Symb == syMSRead) {
        NextToken();
        ExpectWords({"ONLY"});
    } else if (Symb == syMSUpdate) {
        NextToken();
        if (Symb == syMSOf) {
            NextToken();
            ForEachListed([&] {
                NextToken();
            });
        }
    } else {
        ParseError("Must be: READ ONLY / UPDATE");
    }
}

void TMSSQLParser::ParseFetch()
{
    if (IsWord("NEXT") || IsWord("PRIOR") || IsWord("FIRST") || IsWord("LAST")) {
        NextToken();
    } else if (IsWord("ABSOLUTE") || IsWord("RELATIVE")) {
        NextToken();
        ParseFactor(nullptr);
    }
    if (Symb == syMSFrom) NextToken();
    if (IsWord("GLOBAL")) NextToken();
    NextToken();
    if (Symb != syMSInto) return;
    NextToken();
    ForEachListed([&] {
        NextToken();
    });
}

void TMSSQLParser::ParseReceiveOrSend(TDbObj* Context, bool Receive)
{
    NextToken();
    if (!Receive) {
        // SEND ON CONVERSATION h [MESSAGE TYPE t] [( body )]
        ExpectAndNext(syMSOn);
        ExpectWords({"CONVERSATION"});
        ParseFactor(Context);
        if (IsWord("MESSAGE")) {
            NextToken();
            ExpectWords({"TYPE"});
            ParseObjectName(dboUnknown, false);
        }
        if (Symb == syLParen) {
            NextToken();
            ParseExpression(Context);
            ExpectAndNext(syRParen);
        }
        return;
    }
    if (Symb == syMSTop) ParseTop(Context);
    ParseSelectList(Context);
    ExpectAndNext(syMSFrom);
    ParseObjectName(dboUnknown, false);
    if (Symb == syMSInto) {
        Skip(2);
    }
    if (Symb == syMSWhere) {
        NextToken();
        ParseExpression(Context);
    }
}

// ---- DML ----------------------------------------------------------------------------

void TMSSQLParser::ParseTop(TDbObj* Context)
{
    NextToken();
    if (Symb == syLParen) {
        NextToken();
        ParseExpression(Context);
        ExpectAndNext(syRParen);
    } else {
        ParseFactor(Context);
    }
    if (Symb == syMSPercent) NextToken();
    if (Symb == syMSWith && PeekWord() == "TIES") {
        Skip(2);
    }
}

void TMSSQLParser::ParseDmlTarget(TDbObj* Context)
{
    if (Symb == syMSOpenquery || Symb == syMSOpenrowset || Symb == syMSOpendatasource) {
        ParseTablePrimary(Context);
        return;
    }
    ParseObjectName(dboTable, false);
    LinkName(Context, NameOwner, NameObject, {dboTable, dboView});
    if (Symb == syMSWith && PeekNonBlank() == '(') ParseTableHints();
}

void TMSSQLParser::ParseOutputClause(TDbObj* Context)
{
    for (TLoopGuard guard(*this); IsWord("OUTPUT"); guard.Turn()) {
        NextToken();
        ParseSelectList(Context);
        if (Symb != syMSInto) continue;
        NextToken();
        ParseDmlTarget(Context);
        if (Symb == syLParen) SkipParens();
    }
}

void TMSSQLParser::ParseInsert(TDbObj* Context)
{
    NextToken();
    if (Symb == syMSTop) ParseTop(Context);
    if (Symb == syMSInto) NextToken();
    ParseDmlTarget(Context);
    if (Symb == syLParen && PeekWord() != "SELECT") SkipParens();
    ParseOutputClause(Context);
    if (Symb == syMSValues) {
        NextToken();
        ForEachListed([&] {
            ExpectAndNext(syLParen);
            if (Symb != syRParen) ParseExpressionList(Context);
            ExpectAndNext(syRParen);
        });
    } else if (Symb == syMSDefault) {
        NextToken();
        ExpectAndNext(syMSValues);
    } else if (Symb == syMSSelect || Symb == syLParen) {
        ParseQuery(Context);
    } else if (Symb == syMSExecute) {
        NextToken();
        ParseExec(Context);
    } else {
        ParseError("Unknown INSERT-statement");
    }
}

void TMSSQLParser::ParseUpdate(TDbObj* Context)
{
    NextToken();
    if (Symb == syMSStatistics) {
        NextToken();
        ParseObjectName(dboTable, false);
        if (Symb == syLParen) SkipParens();
        else if (Symb == syIdent) NextToken();
        if (Symb != syMSWith) return;
        NextToken();
        ForEachListed([&] {
            // FULLSCAN, RESAMPLE, NORECOMPUTE, COLUMNS, INDEX, ALL, SAMPLE n ROWS | PERCENT
            if (IsWord("SAMPLE")) {
                NextToken();
                ParseFactor(Context);
            }
            NextToken();
        });
        return;
    }
    if (Symb == syMSTop) ParseTop(Context);
    ParseDmlTarget(Context);
    ExpectAndNext(syMSSet);
    const bool compound = ServerOptions().MSSQLServerOptions().SQLServerVersion >= TMSSQLServerVersionType::st_MSSQL2008;
    ForEachListed([&] {
        // column = value, @v = column = value, column.WRITE (...)
        ParseObjectName(dboField, false);
        if (Symb == syLParen) {
            ParseFunctionArgs(Context);
        } else {
            const bool assign = Symb == syEqual ||
                                (compound && (Symb == syMSAddAssign || Symb == syMSSubAssign || Symb == syMSStarEqual ||
                                              Symb == syMSDivAssign || Symb == syMSModAssign || Symb == syMSAndAssign ||
                                              Symb == syMSOrAssign || Symb == syMSXorAssign));
            if (!assign) ParseError("? Must be Assignment (=)");
            NextToken();
            ParseExpression(Context);
        }
    });
    ParseDmlTail(Context);
}

void TMSSQLParser::ParseDmlTail(TDbObj* Context)
{
    ParseOutputClause(Context);
    if (Symb == syMSFrom) ParseFrom(Context);
    if (Symb == syMSWhere) {
        NextToken();
        ParseExpression(Context);
    }
    if (Symb == syMSOption) ParseOptionClause(Context);
}

void TMSSQLParser::ParseDelete(TDbObj* Context)
{
    NextToken();
    if (Symb == syMSTop) ParseTop(Context);
    if (Symb == syMSFrom) NextToken();
    ParseDmlTarget(Context);
    ParseDmlTail(Context);
}

void TMSSQLParser::ParseMerge(TDbObj* Context)
{
    // The server requires the ";" that ends a MERGE: it stays in the text.
    if (m_read->statementDepth <= 1) m_read->keepSemicolon = true;
    NextToken();
    if (Symb == syMSTop) ParseTop(Context);
    if (Symb == syMSInto) NextToken();
    ParseDmlTarget(Context);
    ParseAlias();
    ExpectAnyWord("USING");
    NextToken();
    ParseTableSource(Context);
    ExpectAndNext(syMSOn);
    ParseExpression(Context);
    for (TLoopGuard guard(*this); Symb == syMSWhen; guard.Turn()) {
        NextToken();
        const bool notMatched = Symb == syMSNot;
        if (notMatched) NextToken();
        ExpectWords({"MATCHED"});
        if (Symb == syMSBy) {
            NextToken();
            if (!IsWord("SOURCE") && !IsWord("TARGET")) ParseError("Must be: SOURCE / TARGET");
            NextToken();
        }
        if (Symb == syMSAnd) {
            NextToken();
            ParseExpression(Context);
        }
        ExpectAndNext(syMSThen);
        if (Symb == syMSUpdate) {
            NextToken();
            ExpectAndNext(syMSSet);
            ForEachListed([&] {
                ParseObjectName(dboField, false);
                if (Symb != syEqual && Symb != syMSAddAssign && Symb != syMSSubAssign) ParseError("? Must be Assignment (=)");
                NextToken();
                ParseExpression(Context);
            });
        } else if (Symb == syMSDelete) {
            NextToken();
        } else if (Symb == syMSInsert) {
            NextToken();
            if (Symb == syLParen) SkipParens();
            if (Symb == syMSValues) {
                NextToken();
                ExpectAndNext(syLParen);
                ParseExpressionList(Context);
                ExpectAndNext(syRParen);
            } else if (Symb == syMSDefault) {
                NextToken();
                ExpectAndNext(syMSValues);
            } else {
                ParseError("Must be: VALUES(...) / DEFAULT VALUES");
            }
        } else {
            ParseError("Must be: INSERT / UPDATE / DELETE");
        }
    }
    ParseOutputClause(Context);
    if (Symb == syMSOption) ParseOptionClause(Context);
}

TStatType TMSSQLParser::ParseWith(TDbObj* Context)
{
    NextToken();
    // WITH CHANGE_TRACKING_CONTEXT ( 0x... ) before INSERT, UPDATE, DELETE
    // or MERGE
    if (IsWord("CHANGE_TRACKING_CONTEXT") && PeekNonBlank() == '(') {
        NextToken();
        SkipParens();
    }
    if (IsWord("XMLNAMESPACES")) {
        NextToken();
        SkipParens();
        if (Symb == syComma) NextToken();
    }
    for (TLoopGuard guard(*this); Symb == syIdent; guard.Turn()) {
        NextToken();
        if (Symb == syLParen) SkipParens();
        ExpectAndNext(syMSAs);
        ExpectAndNext(syLParen);
        ParseQuery(Context);
        ExpectAndNext(syRParen);
        if (Symb != syComma) break;
        NextToken();
    }
    TStatType kind = TStatType::stStatement;
    switch (static_cast<int>(Symb)) {
    case int(syMSSelect):
        kind = ParseQuery(Context) ? TStatType::stStatement : TStatType::stSelect;
        break;
    case int(syMSInsert):
        kind = TStatType::stInsert;
        ParseInsert(Context);
        break;
    case int(syMSUpdate):
        kind = TStatType::stUpdate;
        ParseUpdate(Context);
        break;
    case int(syMSDelete):
        kind = TStatType::stDelete;
        ParseDelete(Context);
        break;
    default:
        if (IsWord("MERGE")) ParseMerge(Context);
        else Expect(syMSSelect);
        break;
    }
    return kind;
}

// ---- queries --------------------------------------------------------------------------

bool TMSSQLParser::ParseQuery(TDbObj* Context)
{
    const bool into = ParseQueryExpression(Context);
    if (Symb == syMSOrder) ParseOrderBy(Context);
    if (Symb == syMSCompute) ParseCompute(Context);
    if (Symb == syMSFor) ParseForClause();
    if (Symb == syMSOption) ParseOptionClause(Context);
    return into;
}

bool TMSSQLParser::ParseQueryExpression(TDbObj* Context)
{
    TRecursionLevel level(*this);
    bool into = false;
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Symb == syLParen) {
            const TNestingLevel sqlLevel(*this);
            NextToken();
            into = ParseQuery(Context) || into;
            ExpectAndNext(syRParen);
        } else {
            Expect(syMSSelect);
            into = ParseQuerySpec(Context) || into;
        }
        if (Symb != syMSUnion && Symb != syMSExcept && Symb != syMSIntersect) break;
        NextToken();
        if (Symb == syMSAll) NextToken();
    }
    return into;
}

bool TMSSQLParser::ParseQuerySpec(TDbObj* Context)
{
    NextToken();
    if (Symb == syMSAll || Symb == syMSDistinct) NextToken();
    if (Symb == syMSTop) ParseTop(Context);
    ParseSelectList(Context);
    bool into = false;
    if (Symb == syMSInto) {
        into = true;
        NextToken();
        ParseObjectName(dboTable, false);
        if (IsWord("FILESTREAM_ON") || Symb == syMSOn) {
            Skip(2);
        }
    }
    if (Symb == syMSFrom) ParseFrom(Context);
    if (Symb == syMSWhere) {
        NextToken();
        ParseExpression(Context);
    }
    if (Symb == syMSGroup) ParseGroupBy(Context);
    if (Symb == syMSHaving) {
        NextToken();
        ParseExpression(Context);
    }
    if (IsWord("WINDOW")) {
        // WINDOW w AS ( [base] [PARTITION BY ...] [ORDER BY ...] [frame] ) {, ...}
        NextToken();
        ForEachListed([&] {
            NextToken();
            ExpectAndNext(syMSAs);
            Expect(syLParen);
            SkipParens();
        });
    }
    return into;
}

void TMSSQLParser::ParseSelectList(TDbObj* Context)
{
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Symb == syStar) {
            NextToken();
        } else {
            ParseExpression(Context);
            if (Symb == syMSAs) {
                NextToken();
                if (Symb != syString) ParseAlias();
                else NextToken();
            } else if (Symb == syString || (Symb == syIdent && !IsWord("OUTPUT"))) {
                NextToken();
            }
        }
        if (Symb != syComma) break;
        NextToken();
    }
}

void TMSSQLParser::ParseAlias()
{
    if (Symb == syMSAs) NextToken();
    else if (Symb != syIdent || IsWord("USING") || IsWord("PIVOT") || IsWord("UNPIVOT") || IsWord("APPLY") ||
             IsWord("TABLESAMPLE") || IsWord("OUTPUT") ||
             (QuoteChar == '\0' && IsWord("WINDOW") && PeekWords(2).ends_with(" AS")))
        return;
    if (Symb != syIdent && Symb != syString) Expect(syIdent);
    NextToken();
    // x (a, b): the alias's column names
    if (Symb == syLParen && PeekWord() != "NOLOCK") SkipParens();
}

void TMSSQLParser::ParseFrom(TDbObj* Context)
{
    NextToken();
    ForEachListed([&] {
        ParseTableSource(Context);
    });
}

void TMSSQLParser::ParseTableSource(TDbObj* Context)
{
    TRecursionLevel level(*this);
    ParseTablePrimary(Context);
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Symb == syMSCross || (Symb == syMSOuter && PeekWord() == "APPLY")) {
            NextToken();
            if (Symb == syMSJoin || IsWord("APPLY")) NextToken();
            else Expect(syMSJoin);
            ParseTablePrimary(Context);
            continue;
        }
        if (Symb == syMSInner || Symb == syMSLeft || Symb == syMSRight || Symb == syMSFull) {
            NextToken();
            if (Symb == syMSOuter) NextToken();
        }
        if ((IsWord("LOOP") || IsWord("HASH") || IsWord("MERGE") || IsWord("REMOTE")) && PeekWord() == "JOIN")
            NextToken();
        if (Symb != syMSJoin) break;
        NextToken();
        ParseTableSource(Context);
        ExpectAndNext(syMSOn);
        ParseExpression(Context);
    }
}

void TMSSQLParser::ParseTablePrimary(TDbObj* Context)
{
    if (Symb == syLParen) {
        const TNestingLevel sqlLevel(*this);
        NextToken();
        if (Symb == syMSSelect || Symb == syMSWith || (Symb == syLParen && ParenthesisedQueryFollows())) {
            if (Symb == syMSWith) ParseWith(Context);
            else ParseQuery(Context);
        } else if (Symb == syMSValues) {
            // (VALUES (1, 2), (3, 4)) AS t (a, b)
            NextToken();
            for (TLoopGuard guard(*this);; guard.Turn()) {
                SkipParens();
                if (Symb != syComma) break;
                NextToken();
            }
        } else {
            ParseTableSource(Context);
        }
        ExpectAndNext(syRParen);
    } else if (Symb == syMSOpendatasource || Symb == syMSOpenquery || Symb == syMSOpenrowset ||
               Symb == syMSOpenxml || Symb == syMSContainstable || Symb == syMSFreetexttable ||
               IsWord("SEMANTICKEYPHRASETABLE") || IsWord("SEMANTICSIMILARITYDETAILSTABLE") ||
               IsWord("SEMANTICSIMILARITYTABLE") || IsWord("OPENJSON")) {
        const TSymb kind = Symb;
        NextToken();
        Expect(syLParen);
        SkipParens();
        // OPENDATASOURCE ( ... ).db.owner.table
        while (Symb == syDot) {
            Skip(2);
        }
        if ((kind == syMSOpenxml || kind == syIdent || kind == syMSOpenrowset) && Symb == syMSWith) {
            NextToken();
            if (Symb == syLParen) SkipParens();
            else ParseObjectName(dboTable, false);
        }
    } else if (Symb == syIdent && !TokenText.empty() && TokenText.front() == '@') {
        NextToken();
        if (Symb == syDot) ParseFactor(Context);
    } else if (Symb == syIdent) {
        ParseObjectName(dboTable, false);
        const std::string owner = NameOwner;
        const std::string name = NameObject;
        if (Symb == syLParen) {
            ParseFunctionArgs(Context);
            LinkName(Context, owner, name, {dboProcedure});
        } else {
            LinkName(Context, owner, name, {dboTable, dboProcedure, dboView});
        }
        if (Symb == syMSFor && PeekWord() == "SYSTEM_TIME") {
            // FOR SYSTEM_TIME AS OF ... | BETWEEN ... AND ... | ALL
            Skip(2);
            if (Symb == syMSAll) NextToken();
            else if (Symb == syMSAs) {
                Skip(2);
                ParseFactor(Context);
            } else {
                NextToken();
                ParseFactor(Context);
                NextToken();
                ParseFactor(Context);
            }
        }
    } else {
        ParseError("Unknown <table-source> in FROM-clause");
    }
    ParseAlias();
    if (IsWord("TABLESAMPLE")) {
        NextToken();
        if (IsWord("SYSTEM")) NextToken();
        SkipParens();
        if (IsWord("REPEATABLE")) {
            NextToken();
            SkipParens();
        }
    }
    if (Symb == syMSWith && PeekNonBlank() == '(') ParseTableHints();
    else if (Symb == syLParen) ParseTableHints();
    for (TLoopGuard guard(*this); IsWord("PIVOT") || IsWord("UNPIVOT"); guard.Turn()) {
        const bool unpivot = IsWord("UNPIVOT");
        NextToken();
        ParsePivot(Context, unpivot);
    }
}

bool TMSSQLParser::ParenthesisedQueryFollows()
{
    // "((SELECT ...) UNION (...))" is a query; "((a JOIN b ON ...) JOIN c
    // ON ...)" a table source.
    std::int64_t p = NextPos - 1;
    while (p <= GetLength() && (CharAt(p) == '(' || CharAt(p) == ' ' || CharAt(p) == '\t' || CharAt(p) == '\r' ||
                                CharAt(p) == '\n'))
        ++p;
    std::string word;
    for (; p <= GetLength() && CharInSet(CharAt(p), IdentChars); ++p) word += AsciiUpper(CharAt(p));
    return word == "SELECT" || word == "WITH";
}

void TMSSQLParser::ParseTableHints()
{
    if (Symb == syMSWith) NextToken();
    ExpectAndNext(syLParen);
    // The end of the batch ends the list too: a rule read on after an error
    // (when errors no longer end it) must not wait there for its ")".
    for (TLoopGuard guard(*this); Symb != syEOF && Symb != syTerminator; guard.Turn()) {
        if (Symb == syMSIndex) {
            NextToken();
            if (Symb == syEqual) {
                Skip(2);
            } else {
                SkipParens();
            }
        } else if (IsNameToken()) {
            NextToken();
            if (Symb == syLParen) SkipParens();
            else if (Symb == syEqual) {
                Skip(2);
            }
        } else {
            Expect(syIdent);
        }
        if (Symb == syComma) NextToken();
        else if (Symb == syRParen) break;
    }
    ExpectAndNext(syRParen);
}

void TMSSQLParser::ParsePivot(TDbObj* Context, bool Unpivot)
{
    ExpectAndNext(syLParen);
    if (Unpivot) {
        NextToken();
    } else {
        ParseExpression(Context);
    }
    ExpectAndNext(syMSFor);
    NextToken();
    ExpectAndNext(syMSIn);
    SkipParens();
    ExpectAndNext(syRParen);
    ParseAlias();
}

void TMSSQLParser::ParseOrderBy(TDbObj* Context)
{
    NextToken();
    ExpectAndNext(syMSBy);
    ForEachListed([&] {
        ParseExpression(Context);
        if (Symb == syMSAsc || Symb == syMSDesc) NextToken();
    });
    if (IsWord("OFFSET")) {
        // OFFSET n ROWS [FETCH FIRST | NEXT n ROWS ONLY]
        NextToken();
        ParseExpression(Context);
        NextToken();
        if (Symb == syMSFetch) {
            Skip(2);
            ParseExpression(Context);
            NextToken();
            ExpectWords({"ONLY"});
        }
    }
}

void TMSSQLParser::ParseCompute(TDbObj* Context)
{
    NextToken();
    ForEachListed([&] {
        if (!IsWord("AVG") && !IsWord("COUNT") && !IsWord("MIN") && !IsWord("MAX") && !IsWord("SUM"))
            ParseError("Unknown aggregate function in COMPUTE-clause");
        NextToken();
        ExpectAndNext(syLParen);
        ParseExpression(Context);
        ExpectAndNext(syRParen);
    });
    if (Symb != syMSBy) return;
    NextToken();
    ParseExpressionList(Context);
}

void TMSSQLParser::ParseGroupBy(TDbObj* Context)
{
    NextToken();
    ExpectAndNext(syMSBy);
    if (Symb == syMSAll) NextToken();
    ForEachListed([&] {
        if (IsWord("GROUPING") && PeekWord() == "SETS") {
            Skip(2);
            SkipParens();
        } else {
            ParseExpression(Context);
        }
    });
    if (Symb == syMSWith && PeekNonBlank() != '(') {
        NextToken();
        if (!IsWord("CUBE") && !IsWord("ROLLUP")) ParseError("Must be: CUBE / ROLLUP");
        NextToken();
    }
}

void TMSSQLParser::ParseForClause()
{
    // FOR READ ONLY and FOR UPDATE belong to a cursor declaration.
    const std::string next = PeekWord();
    if (m_read->cursorQuery && next != "BROWSE" && next != "XML" && next != "JSON") return;
    NextToken();
    if (IsAnyWord("BROWSE")) {
        NextToken();
        return;
    }
    if (IsWord("JSON")) {
        NextToken();
        ForEachListed([&] {
            NextToken();
            if (Symb == syLParen) SkipParens();
        });
        return;
    }
    if (!IsWord("XML")) {
        ParseError("Must be: BROWSE / XML");
        return;
    }
    NextToken();
    if (!IsWord("RAW") && !IsWord("AUTO") && !IsWord("EXPLICIT") && !IsWord("PATH"))
        ParseError("Must be: RAW / AUTO / EXPLICIT / PATH");
    NextToken();
    if (Symb == syLParen) SkipParens();
    for (TLoopGuard guard(*this); Symb == syComma; guard.Turn()) {
        NextToken();
        if (IsWord("ELEMENTS")) {
            NextToken();
            if (Symb == syIdent) {
                if (!IsWord("XSINIL") && !IsWord("ABSENT")) ParseError("Must be: XSINIL / ABSENT");
                NextToken();
            }
        } else if (IsWord("XMLDATA")) {
            NextToken();
        } else if (IsWord("XMLSCHEMA") || IsWord("ROOT")) {
            NextToken();
            if (Symb == syLParen) SkipParens();
        } else if (IsWord("TYPE")) {
            NextToken();
        } else if (IsWord("BINARY")) {
            NextToken();
            if (!IsWord("BASE64")) ParseError("Must be: BINARY BASE54 / TYPE / ROOT [ ('RootName') ]");
            NextToken();
        } else {
            ParseError("Must be: XMLDATA / XMLSCHEMA / ELEMENTS");
        }
    }
}

void TMSSQLParser::ParseOptionClause(TDbObj* Context)
{
    NextToken();
    ExpectAndNext(syLParen);
    ForEachListed([&] {
        const std::string hint = Word();
        if (hint == "HASH" || hint == "ORDER" || hint == "CONCAT" || hint == "MERGE" || hint == "LOOP") {
            Skip(2);
        } else if (hint == "FORCE" || hint == "ROBUST" || hint == "KEEP" || hint == "KEEPFIXED" || hint == "EXPAND") {
            Skip(2);
        } else if (hint == "MAXRECURSION" || hint == "FAST" || hint == "MAXDOP") {
            NextToken();
            ParseFactor(Context);
        } else if (hint == "RECOMPILE") {
            NextToken();
        } else if (hint == "OPTIMIZE") {
            NextToken();
            ExpectAndNext(syMSFor);
            if (Symb == syLParen) SkipParens();
            else NextToken();
        } else if (hint == "USE") {
            Skip(2);
            SkipParens();
        } else {
            ParseError("Unknown <query_hint>");
        }
    });
    ExpectAndNext(syRParen);
}

} // namespace qel
