// The InterBase body parser: declarations, blocks, package members and the
// PSQL statements. Each routine starts on its first token and leaves the
// token after what it accepted current; none steps over the statement
// terminator, which ends a body as the end of the text does.
#include "qelIBExParser.h"

#include "qelComp_Fld.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Trg.h"
#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelText.h"

namespace qel {

using enum TSymb;
using enum TDbObject;
using TVersion = TIBSQLServerVersionType;

void TIbExParser::ParseDeclarations()
{
    for (TLoopGuard guard(*this); Symb == syIBDeclare; guard.Turn()) {
        NextToken();
        if ((Symb == syIBFunction || Symb == syIBProcedure) && VersionIn(TVersion::st_Firebird_30, TVersion::st_InterBase_2020)) {
            // A local routine: read into a routine of its own that nothing
            // keeps; its links are the body's.
            ParseCreateProcedure(Symb == syIBFunction, true);
        } else {
            if (Symb == syIBVariable) NextToken();
            Expect(syIdent);
            const std::string name = TokenText;
            TFldData& field = ScratchField();
            field.SetName(name);
            LocalNames.Add(name);
            NextToken();
            // DECLARE C [NO] SCROLL CURSOR FOR (...)
            if (VersionIn(TVersion::st_Firebird_30, TVersion::st_Firebird_40)) {
                if (Symb == syIBNo && PeekWord("SCROLL")) NextToken();
                if (IsWord("SCROLL") && PeekIs(syIBCursor)) NextToken();
            }
            if (Symb == syIBCursor) {
                NextAndExpect(syIBFor);
                NextAndExpect(syLParen);
                NextToken();
                ParseQueryExpression();
                Take(syRParen);
            } else {
                // TYPE OF COLUMN links the body; a default is any expression.
                struct TDeclaring {
                    TIbExParser& p;
                    ~TDeclaring()
                    {
                        p.m_inDeclaration = false;
                        p.ScratchField().Parent = nullptr;
                    }
                } declaring{*this};
                m_inDeclaration = true;
                field.Parent = m_bodyObj;
                ParseDataType(field, false);
                if (Symb == syEqual || Symb == syIBDefault) {
                    NextToken();
                    ParseExpression();
                }
            }
        }
        if (Symb == sySemicolon) NextToken();
    }
}

void TIbExParser::ParseBlock()
{
    Take(syIBBegin);
    if (dynamic_cast<TPkgData*>(m_grammarObj) != nullptr) {
        ParsePackageMembers();
    } else {
        for (TLoopGuard guard(*this); Symb != syIBEnd && !AtStatementEnd(); guard.Turn()) ParsePSQLStatement();
    }
    Take(syIBEnd);
}

void TIbExParser::ParsePackageMembers()
{
    for (TLoopGuard guard(*this); Is(syIBFunction, "FUNCTION") || Is(syIBProcedure, "PROCEDURE"); guard.Turn()) {
        ParseCreateProcedure(!Is(syIBProcedure, "PROCEDURE"), true);
        if (Symb == sySemicolon) NextToken();
    }
}

void TIbExParser::ParsePSQLStatement()
{
    const TRecursionLevel level(*this);
    struct TLevel {
        int& depth;
        explicit TLevel(int& d) : depth(++d) {}
        ~TLevel() { --depth; }
    } statement(m_psqlDepth);
    // No statement where one must stand (after THEN, DO, ELSE).
    if (AtStatementEnd() || Symb == syIBEnd) ParseError("Invalid statement (? assignment)");
    else ParseStatementKind();
    // An error of this statement's own tokens: a statement inside it went on
    // to its end already.
    if (m_failedLevel >= m_psqlDepth) {
        ResyncStatement();
        m_failedLevel = -1;
    }
    if (Symb == sySemicolon) NextToken();
}

// One statement by its first token.
void TIbExParser::ParseStatementKind()
{
    const bool fb3 = VersionIn(TVersion::st_Firebird_30, TVersion::st_Firebird_40);
    switch (SymbCode(Symb)) {
    case SymbCode(syIBBegin): ParseBlock(); break;
    case SymbCode(syIBIf): ParseIf(); break;
    case SymbCode(syIBExecute): ParseExecute(); break;
    case SymbCode(syIBFor): ParseFor(); break;
    case SymbCode(syIBPostEvent):
        NextToken();
        ParseExpression();
        break;
    case SymbCode(syIBSelect):
        NextToken();
        ParseSelectInto();
        break;
    case SymbCode(syIBInsert): ParseInsert(); break;
    case SymbCode(syIBUpdate): ParseUpdate(); break;
    case SymbCode(syIBDelete): ParseDelete(); break;
    case SymbCode(syIBMerge): ParseMerge(); break;
    case SymbCode(syIBWhen): ParseWhen(); break;
    case SymbCode(syIBWhile):
        NextToken();
        Take(syLParen);
        ParseExpression();
        Take(syRParen);
        TakeDo();
        ParsePSQLStatement();
        break;
    case SymbCode(syIBWith):
        ParseQueryExpression();
        OptionalInto();
        break;
    case SymbCode(syIBAlter): ParseAlterStatement(); break;
    case SymbCode(syIBSet): ParseSetStatement(); break;
    case SymbCode(syIBIn): ParseAutonomous(); break;
    case SymbCode(syIBOpen):
    case SymbCode(syIBClose):
        NextAndExpect(syIdent);
        NextToken();
        break;
    case SymbCode(syIBFetch):
        NextToken();
        // A scrollable cursor's orientation: FETCH LAST FROM C, FETCH
        // ABSOLUTE n FROM C; the orientation's words also name cursors
        // (FETCH NEXT INTO ...).
        if (fb3 && (TokenIs("NEXT") || TokenIs("PRIOR") || TokenIs("FIRST") || TokenIs("LAST")) &&
            PeekIs(syIBFrom)) {
            NextToken();
        } else if (fb3 && (TokenIs("ABSOLUTE") || TokenIs("RELATIVE")) && !PeekIs(syIBInto) &&
                   !PeekIs(sySemicolon) && !PeekIs(syTerminator)) {
            NextToken();
            ParseExpression();
        }
        if (Symb == syIBFrom) NextToken();
        Expect(syIdent);
        NextToken();
        // From Firebird 3 a fetch may only move the cursor: its row is read
        // through the cursor's name.
        if (fb3 && Symb != syIBInto) break;
        Take(syIBInto);
        ParseIntoList();
        break;
    default:
        if (Is(syIBException, "EXCEPTION")) {
            NextToken();
            if (Symb == syIdent) {
                LinkDepend(m_bodyObj, TokenText, {dboException});
                NextToken();
            }
            if (Symb != sySemicolon && Symb != syIBEnd && !AtStatementEnd()) ParseExpression();
        } else if (fb3 && IsWord("IF")) {
            ParseIf();
        } else if (Symb == syIBExit || Symb == syIBSuspend || IsWord("BREAK") || IsWord("LEAVE") || IsWord("EXIT") ||
                   IsWord("SUSPEND") || (fb3 && IsWord("CONTINUE"))) {
            NextToken();
            if (Symb == syIdent) NextToken();
        } else if (IsWord("RETURN")) {
            NextToken();
            ParseExpression();
        } else {
            const bool colon = Symb == syColon;
            if (colon) NextToken();
            const std::string target = TokenText;
            const bool name = Symb == syIdent;
            NextToken();
            if (Symb == syColon) {
                NextToken(); // a label
            } else if (name && Symb == syLParen) {
                // A function called as a statement.
                LinkDepend(m_bodyObj, target, {dboFunction});
                NextToken();
                if (Symb != syRParen) ParseValueList();
                Take(syRParen);
            } else {
                ParseAssignment(target);
            }
        }
        break;
    }
}

// One error a statement: what is left of it up to its ";" (or the END that
// closes a block it opened) is stepped over.
void TIbExParser::ResyncStatement()
{
    ++m_quiet;
    int depth = 0;
    for (TLoopGuard guard(*this); !AtStatementEnd(); guard.Turn()) {
        if (Symb == syIBBegin || Symb == syIBCase || Symb == syLParen) {
            ++depth;
        } else if (Symb == syIBEnd || Symb == syRParen) {
            if (depth == 0) break;
            if (--depth == 0 && Symb == syIBEnd) {
                NextToken();
                break;
            }
        } else if (Symb == sySemicolon && depth == 0) {
            break;
        }
        NextToken();
    }
    --m_quiet;
}

void TIbExParser::ParseAssignment(const std::string& Target)
{
    if (Symb == syDot && (Target == "NEW" || Target == "OLD")) {
        NextToken();
        if (!(Symb == syStar && ServerVersion() == TVersion::st_Firebird_40)) Expect(syIdent);
        if (dynamic_cast<TTrgData*>(m_bodyObj) == nullptr) ParseError("NEW./OLD. context variable is not into trigger body.");
        else LinkContextColumn(Symb == syStar ? std::string("*") : TokenText);
        Skip();
    } else if (Symb == syDot) {
        NextAndExpect(syIdent);
        const std::string column = TokenText;
        Skip();
        LinkColumnDepend(m_bodyObj, Target, column);
    } else if (!Contexts.empty()) {
        LinkColumnDepend(m_bodyObj, {}, Target);
    }
    if (Symb == syEqual) {
        NextToken();
        ParseExpression();
    } else if (Symb == syColon) {
        NextToken();
    } else {
        ParseError("Invalid statement (? assignment)");
    }
}

void TIbExParser::ParseIf()
{
    // ELSE IF chains are read in a loop, not one level deeper each.
    for (;;) {
        NextToken();
        Take(syLParen);
        ParseExpression();
        Take(syRParen);
        Take(syIBThen);
        ParsePSQLStatement();
        if (Symb != syIBElse) return;
        NextToken();
        if (!(Symb == syIBIf || (IsWord("IF") && VersionIn(TVersion::st_Firebird_30, TVersion::st_Firebird_40)))) {
            ParsePSQLStatement();
            return;
        }
    }
}

void TIbExParser::ParseExecute()
{
    NextToken();
    if (Is(syIBProcedure, "PROCEDURE")) {
        NextToken();
        ParseQualifiedName();
        if (Objs() != nullptr) {
            // PKG.P names a package's procedure: the package is what is used.
            if (QualifiedSchema.empty()) AddDepend(m_bodyObj, Objs()->FindProcedure(QualifiedObjName), {});
            else AddDepend(m_bodyObj, Objs()->FindPackage(QualifiedSchema), {});
        }
        const auto values = [this] {
            if (Symb != syLParen) {
                ParseValueList();
                return;
            }
            NextToken();
            if (Symb != syRParen) ParseValueList();
            Take(syRParen);
        };
        if (Symb != syIBReturningValues && Symb != sySemicolon && Symb != syIBEnd && !AtStatementEnd()) values();
        if (Symb == syIBReturningValues) {
            NextToken();
            values();
        }
    } else if (IsWord("STATEMENT")) {
        NextToken();
        ParseExecuteStatementBody();
        OptionalInto();
    } else if (IsWord("BLOCK")) {
        // Parameters and body into a routine that nothing keeps; no
        // statement is handed on from inside a body.
        NextToken();
        TPrcData block(nullptr);
        ParseRoutineHeader(block);
        ReadBodyText(&block, TokenStart);
    } else {
        ParseError("Must be: PROCEDURE / STATEMENT.");
    }
}

void TIbExParser::ParseExecuteStatementBody()
{
    ParseExpression();
    if (Symb == syLParen) {
        NextToken();
        for (;;) {
            ParseExpression();
            if (Symb == syIBAssign) {
                NextToken();
                ParseExpression();
            }
            if (Symb != syComma) break;
            NextToken();
        }
        Take(syRParen);
    }
    const bool fb3 = VersionIn(TVersion::st_Firebird_30, TVersion::st_InterBase_2020);
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Symb == syIBWith) {
            NextToken();
            if (IsWord("AUTONOMOUS") || IsWord("COMMON")) {
                NextToken();
                ExpectWord("TRANSACTION");
                NextToken();
            } else if (IsWord("CALLER")) {
                NextToken();
                if (!Is(syIBPrivileges, "PRIVILEGES")) Expect(syIBPrivileges);
                NextToken();
            } else {
                Skip();
            }
        } else if (Symb == syIBAs) {
            NextAndExpect(syIBUser);
            NextToken();
            ParseExpression();
        } else if (Symb == syIBPassword || (fb3 && IsWord("PASSWORD")) || Is(syIBRole, "ROLE")) {
            NextToken();
            ParseExpression();
        } else if (Symb == syIBOn) {
            NextAndExpect(syIBExternal);
            NextToken();
            if (IsWord("DATA")) {
                NextToken();
                if (IsWord("SOURCE")) NextToken();
            }
            ParseExpression();
        } else {
            break;
        }
    }
}

void TIbExParser::ParseFor()
{
    NextToken();
    if (Symb == syIBSelect || Symb == syIBWith) {
        // INTO, or a named cursor alone: FOR SELECT ... AS CURSOR C DO
        if (Symb == syIBSelect) {
            NextToken();
            ParseSelect();
        } else {
            ParseQueryExpression();
        }
        if (Symb == syIBAs) {
            NextAndExpect(syIBCursor);
            NextAndExpect(syIdent);
            NextToken();
        } else {
            Take(syIBInto);
            ParseIntoList();
        }
    } else if (Symb == syIBExecute) {
        NextToken();
        ExpectWord("STATEMENT");
        NextToken();
        ParseExecuteStatementBody();
        Take(syIBInto);
        ParseIntoList();
    } else {
        ParseError("Must be: SELECT / EXECUTE / WITH");
        Skip();
    }
    TakeDo();
    ParsePSQLStatement();
}

void TIbExParser::ParseIntoList()
{
    for (;;) {
        ParseFactor();
        if (Symb != syComma) break;
        NextToken();
    }
    if (Symb == syIBAs) {
        NextAndExpect(syIBCursor);
        NextAndExpect(syIdent);
        NextToken();
    }
}

void TIbExParser::ParseWhen()
{
    NextToken();
    if (Symb != syIBAny && !Is(syIBException, "EXCEPTION") && Symb != syIBGdscode && Symb != syIBSqlcode &&
        !IsWord("SQLSTATE"))
        return;
    if (Symb == syIBAny) {
        NextToken();
    } else {
        // Each item has its own keyword: after "," anything else ends the list.
        for (;;) {
            if (Symb == syIBGdscode || Symb == syIBSqlcode || IsWord("SQLSTATE")) {
                NextToken();
                ParseValueExpression();
            } else if (Is(syIBException, "EXCEPTION")) {
                NextToken();
                if (Symb == syIdent) LinkDepend(m_bodyObj, TokenText, {dboException});
                Take(syIdent);
            } else {
                break;
            }
            if (Symb != syComma) break;
            NextToken();
        }
    }
    TakeDo();
    ParsePSQLStatement();
}

void TIbExParser::ParseAutonomous()
{
    NextToken();
    for (const char* word : {"AUTONOMOUS", "TRANSACTION"}) {
        if (!IsWord(word)) {
            ParseError(std::string(word) + " expected, but " + UpperCase(TokenText) + " found.");
            return;
        }
        NextToken();
    }
    TakeDo();
    ParsePSQLStatement();
}

void TIbExParser::ParseAlterStatement()
{
    NextToken();
    if (IsWord("SEQUENCE")) {
        NextAndExpect(syIdent);
        LinkDepend(m_bodyObj, TokenText, {dboGenerator});
        NextToken();
        ExpectWord("RESTART");
        NextAndExpect(syIBWith);
        NextToken();
        ParseExpression();
    } else if (ServerVersion() == TVersion::st_Firebird_40 && IsWord("SESSION")) {
        NextToken();
        ExpectWord("RESET");
        NextToken();
    } else {
        ParseError("Unknown ALTER-statement");
        Skip();
    }
}

void TIbExParser::ParseSetStatement()
{
    NextToken();
    const bool fb4 = ServerVersion() == TVersion::st_Firebird_40;
    if (Is(syIBGenerator, "GENERATOR")) {
        NextAndExpect(syIdent);
        LinkDepend(m_bodyObj, TokenText, {dboGenerator});
        NextAndExpect(syIBTo);
        NextToken();
        ParseExpression();
    } else if (Is(syIBStatistics, "STATISTICS")) {
        NextAndExpect(syIBIndex);
        NextAndExpect(syIdent);
        LinkDepend(m_bodyObj, TokenText, {dboIndex});
        NextToken();
    } else if (fb4 && (IsWord("DECFLOAT") || IsWord("INT128"))) {
        NextToken();
        if (IsWord("BIND")) {
            NextToken();
            if (IsWord("NATIVE")) {
                NextToken();
            } else {
                TFldData type(nullptr);
                ParseDataType(type, false);
                if (type.DataType == 2 && Symb == syComma) {
                    NextAndExpect(syInteger);
                    NextToken();
                }
            }
        } else if (IsWord("ROUND")) {
            NextToken();
            Take(syIdent);
        } else if (IsWord("TRAPS")) {
            NextToken();
            Take(syIBTo);
            for (Take(syIdent); Symb == syComma;) {
                NextToken();
                Take(syIdent);
            }
        } else {
            ParseError("Unknown SET-statement for DECFLOAT");
            Skip();
        }
    } else if (fb4 && (IsWord("SESSION") || IsWord("STATEMENT"))) {
        NextToken();
        if (IsWord("IDLE")) NextToken();
        ExpectWord("TIMEOUT");
        NextToken();
        if (Symb == syIBTo) NextToken();
        ParseExpression();
        if (IsWord("HOUR") || IsWord("MINUTE") || IsWord("SECOND") || IsWord("MILLISECOND")) NextToken();
    } else if (fb4 && IsWord("LOCAL_TIMEOUT")) {
        NextToken();
        ParseExpression();
    } else if (fb4 && Is(syIBRole, "ROLE")) {
        NextToken();
        ParseExpression();
    } else if (fb4 && IsWord("TRUSTED")) {
        NextToken();
        ExpectWord("ROLE");
        NextToken();
    } else if (fb4 && Symb == syIBTime) {
        NextToken();
        ExpectWord("ZONE");
        NextToken();
        if (IsWord("BIND")) {
            NextAndExpect(syIdent);
            NextToken();
        } else {
            ParseExpression();
        }
    } else {
        ParseError("Unknown SET-statement");
        Skip();
    }
}

} // namespace qel
