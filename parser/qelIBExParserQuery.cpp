// The InterBase body parser: SELECT with its clauses, FROM items, joins,
// PLAN, common table expressions, and INSERT, UPDATE OR INSERT, UPDATE,
// DELETE and MERGE. Each query reads its own scope of table names and
// aliases, against which its column references are linked.
#include "qelIBExParser.h"

#include "qelComp_Fld.h"
#include "qelComp_Idx.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelText.h"

#include <utility>

namespace qel {

using enum TSymb;
using enum TDbObject;
using TVersion = TIBSQLServerVersionType;

// A query's scope: pushed, and popped with every scope pushed above it
// whatever way the rule ends.
class TIbExParser::TScopeGuard {
public:
    explicit TScopeGuard(TIbExParser& P) : m_p(P), m_depth(P.Contexts.size()) {}
    ~TScopeGuard() { Drop(); }
    TScopeGuard(const TScopeGuard&) = delete;
    TScopeGuard& operator=(const TScopeGuard&) = delete;

    // A new scope; complete ones take column references at once.
    TParseContext& Push(const std::string& Name = {}, const std::string& Alias = {}, bool Complete = false)
    {
        Drop();
        TParseContext& scope = m_p.PushContext();
        if (Complete) {
            scope.Names.Add(Name);
            scope.Aliases.Add(Alias);
            scope.Active = true;
        }
        return scope;
    }
    void Drop()
    {
        if (m_p.Contexts.size() > m_depth) m_p.Contexts.resize(m_depth);
    }

private:
    TIbExParser& m_p;
    std::size_t m_depth;
};

namespace {

bool IsJoinWord(TSymb S)
{
    return S == syIBFull || S == syIBInner || S == syIBJoin || S == syIBLeft || S == syIBNatural || S == syIBRight ||
           S == syIBCross || S == syIBOuter;
}

} // namespace

bool TIbExParser::IsTableAlias()
{
    if (Symb != syIdent) return false;
    const TVersion v = ServerVersion();
    const bool clauseWords = v == TVersion::st_InterBase_6x || v == TVersion::st_InterBase_7x || v >= TVersion::st_Firebird_20;
    return !(clauseWords && (IsWord("ROWS") || IsWord("USING")));
}

// ---- SELECT ----

// The first pass: the FROM list's names and aliases, everything in
// parentheses skipped by matching, so that nested queries are not read twice
// per level.
void TIbExParser::CollectFromList(TParseContext& Scope)
{
    // The select list's own FROMs stand in parentheses, or after DISTINCT.
    for (int depth = 0, distinct = 0; Symb != syIBFrom || depth > 0 || distinct; NextToken()) {
        if (AtStatementEnd() || (depth == 0 && Symb == sySemicolon)) return;
        if (Symb == syLParen) ++depth;
        else if (Symb == syRParen && --depth < 0) return;
        distinct = Symb == syIBDistinct;
    }
    NextToken();
    for (;;) {
        if (Symb == syLParen) {
            SkipParens();
            if (Symb == syIBAs) NextToken();
            if (IsTableAlias()) NextToken();
            if (Symb == syLParen) SkipParens();
        } else if (Symb == syIdent) {
            std::string name = TokenText;
            NextToken();
            if (Symb == syDot) {
                NextToken();
                name += "." + TokenText;
                NextToken();
            }
            if (Symb == syLParen) SkipParens();
            if (Symb == syIBAs && !PeekIs(syIBCursor)) NextToken();
            std::string alias;
            if (IsTableAlias()) {
                alias = TokenText;
                NextToken();
            }
            Scope.Names.Add(name);
            Scope.Aliases.Add(alias);
        } else {
            return;
        }
        // What follows the item: the next item, or a join condition.
        for (;;) {
            if (Symb == syComma) {
                NextToken();
                break;
            }
            if (IsJoinWord(Symb)) {
                while (IsJoinWord(Symb) && Symb != syIBJoin) NextToken();
                if (Symb == syIBJoin) NextToken();
                break;
            }
            if (Symb == syIBOn || Is(syIBUsing, "USING")) {
                // Up to the next item, join or clause; LEFT( and RIGHT( are
                // functions there.
                int depth = 0;
                for (NextToken(); !AtStatementEnd(); NextToken()) {
                    if (Symb == syLParen) ++depth;
                    else if (Symb == syRParen && --depth < 0) return;
                    else if (depth == 0 && (Symb == syComma || Symb == sySemicolon || Symb == syIBWhere ||
                                            Symb == syIBGroup || Symb == syIBHaving || Symb == syIBPlan ||
                                            Symb == syIBUnion || Symb == syIBOrder || Symb == syIBRows ||
                                            Symb == syIBFor || Symb == syIBInto || Symb == syIBWith))
                        break;
                    else if (depth == 0 && IsJoinWord(Symb) && CurChar != '(') break;
                }
                continue;
            }
            return;
        }
    }
}

void TIbExParser::ParseSelect()
{
    const TRecursionLevel level(*this);
    TScopeGuard scope(*this);
    // UNION members one after another: a long UNION costs no depth.
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Symb == syIBDistinct || Symb == syIBAll) NextToken();
        if (ServerVersion() >= TVersion::st_FireBird_1x)
            for (const char* word : {"FIRST", "SKIP"}) {
                if (!IsWord(word)) continue;
                NextToken();
                if (Symb != syLParen) {
                    Take(syInteger);
                    continue;
                }
                NextToken();
                ParseExpression();
                Take(syRParen);
            }
        if (Symb == syIBDistinct || Symb == syIBAll) NextToken();
        std::vector<std::string>* const names = std::exchange(m_outputNames, nullptr);
        TParseContext& ctx = scope.Push();
        // The first pass fills the scope, so that the second links every
        // column reference; after an error in the statement being read,
        // nothing more of it is linked.
        if (m_failedLevel < 0) {
            ++m_quiet;
            CollectFromList(ctx);
            --m_quiet;
            ctx.Active = true;
            ctx.Restore();
        }
        ParseValueList(names);
        Take(syIBFrom);
        ParseFromList();
        OptionalExpression(syIBWhere);
        if (Symb == syIBGroup) ParseByList();
        OptionalExpression(syIBHaving);
        if (Symb == syIBPlan) ParsePlan();
        if (Symb != syIBUnion) break;
        NextToken();
        if (Symb == syIBAll || Symb == syIBDistinct) NextToken();
        if (Symb == syIBWith) {
            ParseQueryExpression();
            break;
        }
        Take(syIBSelect);
    }
    if (Symb == syIBOrder) ParseByList();
    if (Symb == syIBRows) ParseRowsClause();
    if (Symb == syIBFor) {
        NextAndExpect(syIBUpdate);
        NextToken();
        if (Symb == syIBOf) {
            NextToken();
            ParseValueList();
        }
    }
    if (Symb == syIBWith) {
        NextToken();
        if (Symb == syIBCheck) {
            NextToken();
            ExpectIs(syIBOption, "OPTION");
        }
        else if (!IsWord("LOCK")) ParseError("Must be: WITH LOCK / WITH CHECK OPTION");
        Skip();
    }
}

void TIbExParser::ParseQueryExpression()
{
    // The common table expressions' lists name nothing of the query.
    std::vector<std::string>* const names = std::exchange(m_outputNames, nullptr);
    if (Symb == syIBWith) {
        NextToken();
        if (IsWord("RECURSIVE")) NextToken();
        for (;;) {
            Expect(syIdent);
            NextToken();
            if (Symb == syLParen) {
                NextToken();
                ParseValueList();
                Take(syRParen);
            }
            Take(syIBAs);
            Take(syLParen);
            Take(syIBSelect);
            ParseSelect();
            Take(syRParen);
            if (Symb != syComma) break;
            NextToken();
        }
    }
    m_outputNames = names;
    Take(syIBSelect);
    ParseSelect();
}

// "A", "T.A", "\"Mixed\"" name their column; "*" and "T.*" the columns of
// the scope's tables, views and procedures.
bool TIbExParser::OutputNamesOf(const std::string& Text, std::vector<std::string>& Names)
{
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < Text.size()) {
        std::string part;
        if (Text[i] == '"') {
            for (++i; i < Text.size(); ++i) {
                if (Text[i] == '"' && i + 1 < Text.size() && Text[i + 1] == '"') part += Text[++i];
                else if (Text[i] == '"') break;
                else part += Text[i];
            }
            if (i >= Text.size()) return false;
            ++i;
        } else if (Text[i] == '*') {
            part = "*";
            ++i;
        } else {
            while (i < Text.size() && (CharInSet(Text[i], IdentChars) || Text[i] == '$')) part += Text[i++];
            if (part.empty() || (part[0] >= '0' && part[0] <= '9')) return false;
            part = UpperCase(part);
        }
        parts.push_back(part);
        if (i == Text.size()) break;
        if (Text[i] != '.') return false;
        ++i;
    }
    if (parts.empty()) return false;
    if (parts.back() != "*") {
        Names.push_back(parts.back());
        return true;
    }
    if (Contexts.empty() || Objs() == nullptr || parts.size() > 2) return false;
    const TParseContext& scope = *Contexts.back();
    if (scope.Names.Empty()) return false;
    for (int k = 0; k < scope.Names.Count(); ++k) {
        if (parts.size() == 2 && !SameText(scope.Aliases[k], parts[0]) && !SameText(scope.Names[k], parts[0]))
            continue;
        const std::string& source = scope.Names[k];
        const TOwnedNameList<TFldData>* columns = nullptr;
        if (const auto* table = Objs()->FindTable(source)) columns = &table->Fields;
        else if (const auto* view = Objs()->FindView(source)) columns = &view->Columns;
        else if (const auto* proc = Objs()->FindProcedure(source)) columns = &proc->OutputParams;
        if (columns == nullptr || columns->Empty()) return false;
        for (const auto& column : *columns) Names.push_back(column.Name);
    }
    return true;
}

void TIbExParser::ParseSelectInto()
{
    ParseSelect();
    Take(syIBInto);
    ParseIntoList();
}

void TIbExParser::ParseValueList(std::vector<std::string>* Names)
{
    for (;;) {
        const std::int64_t start = TokenStart;
        ParseExpression();
        const std::string item = Trim(GetText(start, m_prevTokenEnd - start));
        // AS CURSOR after the last ORDER BY item names FOR SELECT's cursor.
        if (Symb == syIBAs && !PeekIs(syIBCursor)) NextToken();
        if (Symb == syIdent && !IsWord("NULLS") && !IsWord("ASC") && !IsWord("ASCENDING") && !IsWord("DESC") &&
            !IsWord("DESCENDING") && !IsWord("ROWS")) {
            if (Names != nullptr) Names->push_back(TokenText);
            NextToken();
        } else if (Names != nullptr && !OutputNamesOf(item, *Names)) {
            m_outputNamed = false;
        }
        if (Symb == syIBAsc || Symb == syIBDesc || IsWord("ASC") || IsWord("ASCENDING") || IsWord("DESC") ||
            IsWord("DESCENDING"))
            NextToken();
        // ROWS as a word, where the version has no ROWS clause of its own.
        if (Symb == syIdent && IsWord("ROWS")) {
            NextToken();
            Skip();
        }
        if (IsWord("NULLS")) {
            NextToken();
            if (IsWord("FIRST") || IsWord("LAST")) NextToken();
            else ParseError("Must be: NULLS FIRST / NULLS LAST (order by clause).");
        }
        if (Symb != syComma) return;
        NextToken();
    }
}

void TIbExParser::ParseRowsClause()
{
    Take(syIBRows);
    ParseExpression();
    for (const TSymb s : {syIBTo, syIBBy})
        if (Symb == s) {
            NextToken();
            ParseExpression();
        }
    if (Is(syIBPercent, "PERCENT")) NextToken();
    if (Symb == syIBWith) {
        NextToken();
        if (!Is(syIBTies, "TIES")) Expect(syIBTies);
        Skip();
    }
}

// ---- FROM ----

void TIbExParser::ParseFromList()
{
    for (;;) {
        ParseTableReference();
        if (Symb != syComma) return;
        NextToken();
    }
}

void TIbExParser::ParseTableReference()
{
    const TRecursionLevel level(*this);
    // A derived table (its alias required after JOIN), a nested reference,
    // or a table, view or procedure.
    const auto primary = [this](bool AfterJoin) {
        if (Symb == syLParen) {
            const TNestingLevel sqlLevel(*this);
            NextToken();
            if (Symb == syIBSelect || Symb == syIBWith) {
                ParseQueryExpression();
                Take(syRParen);
                if (Symb == syIBAs) NextToken();
                if (AfterJoin) Take(syIdent);
                else if (IsTableAlias()) NextToken();
                if (Symb == syLParen) {
                    NextToken();
                    ParseValueList();
                    Take(syRParen);
                }
            } else {
                ParseTableReference();
                Take(syRParen);
            }
            return;
        }
        if (Symb != syIdent) {
            Expect(syIdent);
            return;
        }
        std::string name = TokenText;
        NextToken();
        if (Symb == syDot) {
            // PKG.P(...): a procedure of a package, which is what is used.
            NextToken();
            if (Objs() != nullptr) AddDepend(m_bodyObj, Objs()->FindPackage(name), {});
            name += "." + TokenText;
            Take(syIdent);
        } else {
            LinkSource(name);
        }
        if (Symb == syLParen) {
            NextToken();
            if (Symb != syRParen) ParseValueList();
            Take(syRParen);
        }
        // AS CURSOR names the FOR SELECT's cursor, not an alias.
        if (Symb == syIBAs && !PeekIs(syIBCursor)) NextToken();
        std::string alias;
        if (IsTableAlias()) {
            alias = TokenText;
            NextToken();
        }
        if (!Contexts.empty() && !Contexts.back()->Active) {
            Contexts.back()->Names.Add(name);
            Contexts.back()->Aliases.Add(alias);
        }
    };
    primary(false);
    for (TLoopGuard guard(*this); IsJoinWord(Symb) && Symb != syIBOuter; guard.Turn()) {
        if (Symb == syIBNatural) NextToken();
        if (Symb == syIBFull || Symb == syIBInner || Symb == syIBLeft || Symb == syIBRight || Symb == syIBCross)
            NextToken();
        if (Symb == syIBFull || Symb == syIBLeft || Symb == syIBRight || Symb == syIBCross) NextToken();
        if (Symb == syIBInner || Symb == syIBOuter || Symb == syIBCross) NextToken();
        if (Symb != syIBJoin) continue;
        NextToken();
        primary(true);
        if (Symb == syIBOn) {
            NextToken();
            ParseExpression();
        } else if (Is(syIBUsing, "USING") && VersionIn(TVersion::st_Firebird_25, TVersion::st_Firebird_40)) {
            // USING (C) compares C of both sides: each source that has it
            // is linked to it, as the server records.
            NextToken();
            Take(syLParen);
            for (TLoopGuard guard(*this);; guard.Turn()) {
                if (Symb == syIdent && !Contexts.empty() && Contexts.back()->Active && m_quiet == 0)
                    for (const std::string& source : Contexts.back()->Names.Lines())
                        LinkColumnDepend(m_bodyObj, source, TokenText);
                Take(syIdent);
                if (Symb != syComma) break;
                NextToken();
            }
            Take(syRParen);
        }
    }
}

void TIbExParser::ParsePlan()
{
    Take(syIBPlan);
    // One plan expression: [JOIN | SORT [MERGE]] ( item, ... ).
    const auto expression = [this](const auto& Self) -> void {
        const TNestingLevel level(*this);
        if (Symb == syIBJoin) {
            NextToken();
        } else if (Is(syIBSort, "SORT")) {
            NextToken();
            if (Symb == syIBMerge) NextToken();
        }
        Take(syLParen);
        for (;;) {
            if (Symb == syLParen || Symb == syIBJoin || Is(syIBSort, "SORT")) {
                Self(Self);
            } else {
                Take(syIdent);
                if (Symb == syIdent) NextToken();
                const auto indexes = [this] {
                    NextAndExpect(syLParen);
                    do {
                        NextToken();
                        if (Symb == syIdent && Objs() != nullptr)
                            AddDepend(m_bodyObj, Objs()->FindIndex(TokenText), {});
                        Take(syIdent);
                    } while (Symb == syComma);
                    Take(syRParen);
                };
                if (Symb == syIBIndex) {
                    indexes();
                } else if (Symb == syIBNatural) {
                    NextToken();
                } else if (Symb == syIBOrder) {
                    NextAndExpect(syIdent);
                    if (Objs() != nullptr) AddDepend(m_bodyObj, Objs()->FindIndex(TokenText), {});
                    NextToken();
                    if (Symb == syIBIndex) indexes();
                } else {
                    ParseError("Invalid symbol in PLAN-expression: " + SymbName);
                    Skip();
                }
            }
            if (Symb != syComma) break;
            NextToken();
        }
        Take(syRParen);
    };
    expression(expression);
}

// ---- DML ----

void TIbExParser::ParseInsert(bool FromInto)
{
    TScopeGuard scope(*this);
    if (!FromInto) {
        Take(syIBInsert);
        if (Symb == syIBOr) {
            NextToken();
            Take(syIBUpdate);
        }
    }
    Take(syIBInto);
    const std::string target = TokenText;
    Take(syIdent);
    if (Symb == syIBAs) NextToken();
    std::string alias;
    if (Symb == syIdent && !IsWord("MATCHING") && !IsWord("RETURNING")) {
        alias = TokenText;
        NextToken();
    }
    scope.Push(target, alias, true);
    LinkTarget(target);
    const auto parenList = [this] {
        NextToken();
        ParseValueList();
        Take(syRParen);
    };
    if (Symb == syLParen) parenList();
    if (Symb == syIBValues) {
        NextAndExpect(syLParen);
        parenList();
    } else if (Symb == syIBSelect) {
        NextToken();
        ParseSelect();
    } else if (Symb == syIBDefault) {
        NextAndExpect(syIBValues);
        NextToken();
    }
    if (IsWord("MATCHING")) {
        NextAndExpect(syLParen);
        parenList();
    }
    if (IsWord("RETURNING")) {
        NextToken();
        ParseValueList();
        OptionalInto();
    }
}

// The assignments of UPDATE ... SET and MERGE ... UPDATE SET: each column
// is the target's.
void TIbExParser::ParseSetList(TDbObj* Target)
{
    for (;;) {
        Expect(syIdent);
        const std::string column = TokenText;
        AddDepend(m_bodyObj, Target, column);
        Skip();
        ParseAssignment(column);
        if (Symb != syComma) return;
        NextToken();
    }
}

// WHERE [CURRENT OF c], PLAN, ORDER BY, ROWS and RETURNING of UPDATE and
// DELETE.
void TIbExParser::ParseDMLTail()
{
    if (Symb == syIBWhere) {
        NextToken();
        if (Symb == syIBCurrent) {
            NextAndExpect(syIBOf);
            NextAndExpect(syIdent);
            NextToken();
        } else {
            ParseExpression();
        }
    }
    if (Symb == syIBPlan) ParsePlan();
    if (Symb == syIBOrder) ParseByList();
    if (Symb == syIBRows) ParseRowsClause();
    if (IsWord("RETURNING")) {
        NextToken();
        ParseValueList();
        OptionalInto();
    }
}

void TIbExParser::ParseUpdate()
{
    Take(syIBUpdate);
    if (Symb == syIBOr) {
        NextToken();
        Take(syIBInsert);
        ParseInsert(true);
        return;
    }
    TScopeGuard scope(*this);
    const std::string target = TokenText;
    Take(syIdent);
    if (Symb == syIBAs) NextToken();
    std::string alias;
    if (Symb == syIdent) {
        alias = TokenText;
        NextToken();
    }
    scope.Push(target, alias, true);
    TDbObj* table = LinkTarget(target);
    Take(syIBSet);
    ParseSetList(table);
    ParseDMLTail();
}

void TIbExParser::ParseDelete()
{
    Take(syIBDelete);
    Take(syIBFrom);
    const std::string target = TokenText;
    LinkTarget(target);
    Take(syIdent);
    std::string alias;
    if (Symb == syIdent && !IsWord("RETURNING")) {
        alias = TokenText;
        NextToken();
    }
    TScopeGuard scope(*this);
    scope.Push(target, alias, true);
    ParseDMLTail();
}

void TIbExParser::ParseMerge()
{
    Take(syIBMerge);
    Take(syIBInto);
    Expect(syIdent);
    TDbObj* target = LinkTarget(TokenText);
    NextToken();
    const auto alias = [this] {
        if (Symb == syIBAs) NextToken();
        if (IsTableAlias()) NextToken();
    };
    alias();
    if (!Is(syIBUsing, "USING")) ExpectWord("USING");
    NextToken();
    if (Symb == syLParen) {
        NextToken();
        ParseQueryExpression();
        Take(syRParen);
    } else {
        Take(syIdent);
    }
    alias();
    Take(syIBOn);
    ParseExpression();
    if (Symb != syIBWhen) {
        Expect(syIBWhen);
        Skip();
    }
    const bool fb3 = VersionIn(TVersion::st_Firebird_30, TVersion::st_Firebird_40);
    const auto condition = [&] {
        if (fb3 && Symb == syIBAnd) {
            NextToken();
            ParseExpression();
        }
        Take(syIBThen);
    };
    for (TLoopGuard guard(*this); Symb == syIBWhen; guard.Turn()) {
        NextToken();
        if (Symb == syIBNot) {
            NextToken();
            ExpectWord("MATCHED");
            NextToken();
            condition();
            Take(syIBInsert);
            if (Symb == syLParen) {
                NextToken();
                ParseValueList();
                Take(syRParen);
            }
            if (Symb == syIBValues) {
                NextAndExpect(syLParen);
                NextToken();
                ParseValueList();
                Take(syRParen);
            }
            continue;
        }
        ExpectWord("MATCHED");
        NextToken();
        condition();
        if (Symb == syIBUpdate) {
            NextToken();
            Take(syIBSet);
            ParseSetList(target);
        } else if (fb3) {
            Take(syIBDelete);
        } else {
            ParseError("Must be: UPDATE");
        }
    }
}

} // namespace qel
