// TIbExParser: the InterBase/Firebird script parser that the InterBase
// executor loads scripts with. Besides splitting the script and filing its
// objects (TIbParser) it reads the bodies of what it files - procedure,
// function, trigger and package bodies, view queries, computed columns,
// expression indexes, check constraints and domain checks - down to PSQL
// statements, DML and expressions. It builds no syntax tree: what it makes is
// the dependency links of each object on the tables, columns, views,
// procedures, generators, exceptions, indexes and external functions its
// body names.
//
// A body ends at END or at the statement terminator, whichever comes first,
// so that a broken body never takes the statements after it. An error inside
// a body is reported with the object's name in front ("Trigger TR: ...") and
// the body is read on; it is stored under the script name, or attached to
// the object when there is no script name. Every rule that recurses counts
// one nesting level, so no input runs the stack out. Nothing is thrown past
// the entry points.
#pragma once

#include "qelIBScriptParser.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TDbObj;
class TFldData;
struct TIbBuiltin;

class TIbExParser : public TIbParser {
public:
    TIbExParser();
    std::string ClassName() const override { return "TIbExParser"; }

    // The object whose body is being read, whose links and messages the
    // body's are; nullptr outside a body. A local routine or package member
    // reads into the object around it.
    TDbObj* BodyObject() const { return m_bodyObj; }

    // ---- overrides ----
    // Notes where the token being left ends, so that an expression body's
    // text stops at its last token.
    void NextToken() override;
    void DoProgressUpdate() override;
    // Inside a body: "Procedure P: " + Msg (also "Trigger ", "View ",
    // "Index ", "Check-constraint ", "Field T/C: ", else the bare name),
    // stored without ending the statement; outside one, TIbParser's.
    void ParseError(const std::string& Msg) override;
    // TCustomSQLParser's resolution; the column CREATE TABLE is reading
    // counts as one of its table's.
    void LinkColumnDepend(TDbObj* Obj, const std::string& Alias, const std::string& Column) override;
    // Parses the stored text of a filed object on its own, as the source:
    // a routine's, trigger's, view's, index's or field's source text, a
    // check constraint's, or a domain's check and then its default. Any
    // other kind is reported as "Body parsing for DB-Obj: (TCtrData) not
    // implemented.". The script being read is left for it.
    void ParseObjectSource(TDbObj& Obj) override;
    // The body at the current token, by the object's class.
    void ParseObjectBody(TDbObj& Obj) override;
    // Parses the body at the current token (after AS, or at the "(" of an
    // expression) and stores its text. With the terminator ";" the body is
    // read with "^", and a ";" after it ends the statement.
    void ReadBodyText(TDbObj* Obj, std::int64_t StartPos) override;
    // "(" expression ")" as a default; a variable's default in a body is
    // any expression; literals as TIbParser reads them.
    void ParseDefault(TFldData& Field, std::string& Text) override;
    // TIbParser's passes; a message stays attached only to an object that
    // is still in the collection.
    void AfterParse() override;

protected:
    std::unique_ptr<TIbParser> NewInputParser() override;
    // Inside a body the object read (a package for its members).
    TDbObj* DomainUser(TFldData& Field) override;
    // A domain's CHECK is parsed as the domain's body (VALUE a factor).
    void ReadDomainCheck(TFldData& Field) override;

    // ---- PSQL statements (qelIBExParserPSQL.cpp) ----
    void ParseDeclarations();
    // BEGIN, the statements (a package's members), END.
    void ParseBlock();
    void ParsePackageMembers();
    void ParsePSQLStatement();
    void ParseStatementKind();
    void ParseIf();
    void ParseExecute();
    void ParseExecuteStatementBody();
    void ParseFor();
    void ParseWhen();
    void ParseAutonomous();
    void ParseAlterStatement();
    void ParseSetStatement();
    // The assignment rule: Target is the name just read.
    void ParseAssignment(const std::string& Target);
    // Factors separated by ",", then AS CURSOR name.
    void ParseIntoList();

    // ---- queries and DML (qelIBExParserQuery.cpp) ----
    // After SELECT: the select list, FROM, clauses, UNION members.
    void ParseSelect();
    // [WITH ...] SELECT ...
    void ParseQueryExpression();
    void ParseSelectInto();
    // Names: where a view's select list gives its column names (one per
    // item; Complete cleared when an item has none the parser can tell).
    void ParseValueList(std::vector<std::string>* Names = nullptr);
    void ParseFromList();
    void ParseTableReference();
    void ParseRowsClause();
    void ParsePlan();
    // FromInto: UPDATE OR INSERT, read from INTO on.
    void ParseInsert(bool FromInto = false);
    void ParseUpdate();
    void ParseDelete();
    void ParseMerge();
    // UPDATE's SET list, each column the target's.
    void ParseSetList(TDbObj* Target);
    // WHERE [CURRENT OF c], PLAN, ORDER BY, ROWS, RETURNING.
    void ParseDMLTail();

    // ---- expressions (qelIBExParserExpr.cpp) ----
    void ParseExpression();
    void ParseComparison();
    void ParsePredicate();
    void ParseValueExpression();
    void ParseTerm();
    void ParseFactor();
    // Parts of ParseFactor, the function's word current (qelIBExParserExpr.cpp).
    void ParseCast();
    void ParseStringFunction();
    void ParseCase();
    void ParseAggregate();
    // Variable: written with ":", never linked as a column or sequence.
    void ParseIdentifierFactor(bool Variable);
    void ParseWindowClause();
    // A built-in function's arguments from its "(".
    void ParseBuiltin(const TIbBuiltin& Builtin);
    // DATEDIFF's and DATEADD's; False when the call was stepped over.
    bool ParseDateArguments(const TIbBuiltin& Builtin);
    // An external (or stored) function the body calls.
    void LinkFunction(const std::string& Name);
    // Links the body's object to the routine or package it calls; a
    // computed column's table as well, so that the table is made after it.
    void LinkCalled(TDbObj* Routine);

private:
    class TBodyScope;
    class TScopeGuard;
    friend class TBodyScope;

    // ---- shared helpers (qelIBExParser.cpp) ----
    // Expect(S), then the next token unless the statement ends here.
    void Take(TSymb S);
    // The next token unless the statement ends here.
    void Skip();
    bool AtStatementEnd() const { return Symb == TSymb::syTerminator || Symb == TSymb::syEOF; }
    // The current word or keyword reads Word (any case).
    bool TokenIs(std::string_view Word) const;
    // S, then an expression; False when S is not current.
    bool OptionalExpression(TSymb S);
    // INTO and its list, when INTO is current.
    void OptionalInto();
    // The word before BY current (GROUP, ORDER, PARTITION): BY and a list.
    void ParseByList();
    // DO (keyword or word), reported when missing; then the next token.
    void TakeDo();
    // The server version lies in [From, To] (enumeration order).
    bool VersionIn(TIBSQLServerVersionType From, TIBSQLServerVersionType To);
    // A FROM item: the table, procedure or view of that name.
    void LinkSource(const std::string& Name);
    // The target of a DML statement: the table, else the view.
    TDbObj* LinkTarget(const std::string& Name);
    // "(" balanced ")" at the current token, skipped; the token after it
    // is current then.
    void SkipParens();
    // Nothing after the factor: a name written NEW./OLD. in a trigger or
    // check is a column of its table.
    void LinkContextColumn(const std::string& Column);
    // The first pass of a SELECT: the FROM list's names and aliases only.
    void CollectFromList(TParseContext& Scope);
    // An identifier that follows a FROM item is its alias.
    bool IsTableAlias();
    // The body's text: for an expression up to its last token.
    std::string ReadBody(TDbObj& Obj);
    void ParseSourceText(TDbObj& Obj, const std::string& Text);
    // After an aborted PSQL body read with "^": from its start to the ";"
    // after the END that closes its first BEGIN, by counting.
    void SkipBody();
    // After a PSQL statement that reported an error: on to its ";".
    void ResyncStatement();

    // The output names of the select list read next (a view's without a
    // column list of its own); taken by the first SELECT that reads a list.
    std::vector<std::string>* m_outputNames = nullptr;
    bool m_outputNamed = true;
    // The name of the select item Text is (alias aside): its column, or
    // with "*" the columns of the FROM scope; False when it has none.
    bool OutputNamesOf(const std::string& Text, std::vector<std::string>& Names);
    TDbObj* m_bodyObj = nullptr;
    // Whose grammar the body follows: the local routine or member itself.
    TDbObj* m_grammarObj = nullptr;
    // While above zero (a SELECT's first pass) nothing is reported.
    int m_quiet = 0;
    // A variable's DEFAULT is read as any expression.
    bool m_inDeclaration = false;
    // How many PSQL statements the current one lies in (1 at a block's
    // top), and the level of the statement that reported an error (-1:
    // none). One error a statement: what follows it in the statement is not
    // reported, and the statement is stepped over to its end.
    int m_psqlDepth = 0;
    int m_failedLevel = -1;
    // An error was reported at the terminator: the body's end is reported
    // once, however many blocks it leaves open.
    bool m_errorAtEnd = false;
    // Where the token before the current one ends (exclusive).
    std::int64_t m_prevTokenEnd = 1;
};

} // namespace qel
