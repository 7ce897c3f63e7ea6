// The parser half of the MS SQL unit (its words stay in qelMSSQLWords.h):
// reads a Transact-SQL script into typed statements, batch by batch as the
// server's command-line tool sends them, and files the objects its DDL
// creates in the collection with their links.
//
// A script is read in two passes. The split pass cuts every GO batch into
// statements (routine, trigger and view bodies taken raw up to the GO line)
// and builds the objects; the object-source pass then reads every view's
// query to link it to what it uses. Driven through Parse alone the parser
// stays in full mode: bodies and queries are read whole and linked.
//
// Statements are never cut: a clause the grammar does not know is the
// statement's one error and the statement runs on to its real end (the
// first ";" outside parentheses, the batch's end, or a word that begins a
// statement and cannot stand in a clause); bodies and control-of-flow take
// their batch to its end. Today's statements the model keeps nothing of are
// read by their shape and handed on as plain statements, without an error.
// Lines of the command-line tool (":setvar", ":r", "!!") are comment
// statements. Errors are reported as the parser base does (the first
// through OnErrorMessage, all stored), each at its place in the script,
// views' queries included, in the script's order.
#pragma once

#include "qelClasses.h"
#include "qelMSSQLWords.h"
#include "qelSQLParser.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TCtrData;
class TDmnData;
class TFldData;
class TGntData;
class TIdxData;
class TObjIndex;
class TPrcData;
class TTblData;
class TTrgData;
class TViwData;

class TMSSQLParser : public TCustomSQLParser {
public:
    TMSSQLParser();
    ~TMSSQLParser() override;
    std::string ClassName() const override { return "TMSSQLParser"; }

    // The statement the executor made of the last statement handed on.
    TStatement* LastStatement = nullptr;
    // While a GO count hands a batch's statements on again: the statement
    // the executor made of the first run, whose text the copy can share.
    TStatement* RepeatOf = nullptr;
    // SET QUOTED_IDENTIFIER and SET ANSI_NULLS as the script set them; each
    // object registered keeps the states in force where it was created.
    bool QuotedIdentifier = false;
    bool AnsiNulls = false;
    // The current string was written N'...'.
    bool NationalString = false;
    // The object whose stored source is being read (object-source pass).
    TDbObj* SourceObject = nullptr;
    // False in the split pass; bodies and queries are read whole when set.
    bool FullMode = true;
    // The parts of the last qualified name read, upper-cased unless
    // identifiers are case-sensitive.
    std::string NameServer, NameDatabase, NameOwner, NameObject, NameColumn;

    // ---- overrides ----
    void FillResWords() override;
    // The bracket rule of the MS SQL word tables: Order -> [Order].
    std::string QuoteName(const std::string& Name) const override;
    // Split pass, object-source pass and the links, with QUOTED_IDENTIFIER
    // on at the start, as the executor's ODBC session has it, and ANSI_NULLS
    // off.
    void ParseScript(TStringList& Script, TObjs* AObjs) override;
    void ParseFile(const std::string& FileName, TObjs* AObjs) override;
    // The statement loop: batch after batch.
    void Parse() override;
    // The object being read heads the message: "View V: ...".
    void ParseError(const std::string& Msg) override;
    // The object-source pass (once per script), the base links, then
    // column to user type, rule and default; trigger to its table; index to
    // its view.
    void AfterParse() override;
    // "/*" comments nest.
    bool ReadComment() override;
    void ScanToken() override;
    void AfterScanToken() override;
    // A GO line: GO as the first word of its line, then blanks, an optional
    // count and an optional "--" comment up to the line break.
    bool CheckTerminator() override;
    // Leaving a GO ends its batch: a count above one hands the batch's
    // statements on again, as often as the count says.
    void NextToken() override;
    void ParseObjectSource(TDbObj& Obj) override;
    // Nothing is handed on in full mode or while a stored source is read.
    void DoAddStatement(const TParsedStatement& Parsed, TStatement*& Statement) override;

    // ---- statements ----
    // One statement; Context is the object whose body is read (none at the
    // top). False when its first symbol begins no statement.
    bool ParseStatement(TDbObj* Context);
    // Statements up to the end of the batch, each followed by any ";".
    void ParseBatch();
    // A name of up to four parts (five for an index or column) into the
    // Name* parts; NameOwner "dbo" when the script gives none and
    // DefaultOwner is set.
    void ParseObjectName(TDbObject Kind, bool DefaultOwner);
    void ParseObjectSources();
    // The current character begins a GO line.
    bool IsGoTerminator();
    // The raw text from the current character up to the next GO line (or
    // the end); the scan then stands on that GO. Strings, quoted names and
    // comments are passed over whole, so a GO inside them ends nothing; one
    // that never ends is reported where it opens.
    void ReadToGo(std::string& Text);
    // True when S can begin a statement.
    static bool StartsStatement(TSymb S);
    // After a statement: the current token begins the next one. A plain name
    // does not (a procedure is called without EXEC only first in its batch);
    // the words that begin statements without being keywords (MERGE, THROW,
    // ...) do.
    bool StartsNextStatement();
    // A line of the command-line tool (":setvar", ":r", "!!") begins at the
    // current token, and the statement that reads it.
    bool AtSqlCmdLine();
    void ParseSqlCmdLine();
    // The index where Pos's line begins when only blanks stand before Pos
    // on it; -1 when something else does.
    std::int64_t LineStartOf(std::int64_t Pos);
    // A statement whose rule failed runs on to its real end: the batch's end
    // for bodies and control-of-flow, else the end of its clause.
    void SkipToStatementEnd() override;

protected:
    // ---- shared helpers (qelMSSQLScriptParser.cpp) ----
    bool CaseSensitive();
    // A name as the collection stores it: upper case unless identifiers are
    // case-sensitive.
    std::string NameCase(const std::string& Name);
    // The current word in upper case (keywords and bracketed names too).
    std::string Word() const;
    // The current token is a word (identifier or keyword) equal to W.
    bool IsAnyWord(std::string_view W) const;
    void ExpectAnyWord(std::string_view W);
    // The current token as a name: an identifier, or any keyword.
    bool IsNameToken() const;
    // "(" ... the matching ")" passed over token by token.
    void SkipParens();
    // Skips to the end of the batch.
    void SkipBatch();
    // Item for each element of a list separated by "," (one at least).
    void ForEachListed(const std::function<void()>& Item);
    // name [= value] [( ... )] {, ...}: options read and dropped.
    void SkipOptionList();
    // Count tokens passed over (never a GO or the end).
    void Skip(int Count);
    // Each word must stand next (keywords too); "Must be: W" else.
    void ExpectWords(std::initializer_list<std::string_view> Words);
    // The kind word, the name, then an optional AUTHORIZATION owner.
    void SkipNameAndOwner();
    // ON or OFF, else Message.
    void ExpectOnOff(const char* Message);
    // The object of one kind filed under Schema.Name; a name without owner
    // also finds the object created with owner dbo, and the reverse.
    TDbObj* FindObject(TDbObject Kind, const std::string& Schema, const std::string& Name);
    TDbObj* FindIn(const TObjIndex& Index, const std::string& Schema, const std::string& Name);
    // Links Context to the first object of Kinds that Schema.Name names.
    void LinkName(TDbObj* Context, const std::string& Schema, const std::string& Name,
                  std::initializer_list<TDbObject> Kinds);
    // Files Obj in the collection with the SET states in force.
    TDbObj* Register(std::unique_ptr<TDbObj> Obj);
    // The end of the batch that holds Pos: the first character of the next
    // GO line, or one past the end. Unterminated, when given, gets where a
    // string, quoted name or comment that runs to the end opens (0: none).
    std::int64_t FindBatchEnd(std::int64_t Pos, std::int64_t* Unterminated = nullptr);
    // Moves the scan to the 1-based index Pos.
    void MoveTo(std::int64_t Pos);
    // The integer value of the current token (sign folded), 0 when it is none.
    std::int64_t IntegerValue();
    // The first character from the current one on that is no blank.
    char PeekNonBlank();
    // The word that begins there, upper-cased; empty when none does (a GO
    // line is no word of the statement).
    std::string PeekWord();
    // The GO line whose G stands at Pos: CountEnd and Count are the end and
    // text of its count (empty without one).
    bool GoLineAt(std::int64_t Pos, std::int64_t& CountEnd, std::string& Count);
    // ScanToken's parts (qelMSSQLScriptParser.cpp).
    void ScanWord();
    void ScanBracketedName();
    bool ScanOperator();

    // ---- clauses read by their shape, and the statements the model has no
    // kind for (...Clauses.cpp) ----
    // Passes a clause up to the statement's real end: the first ";" outside
    // parentheses, the batch's end, or a word that begins a statement and
    // cannot stand inside the clause where it stands (ClauseGoesOn). Known:
    // the clause is one the server has, read by its shape; else SET, SELECT
    // and ALTER continue it too.
    void SkipClause(bool Known);
    // The current token could begin a statement, but where it stands it
    // goes on with the statement before: after a word no statement ends
    // with (WITH, AS, NO, BY, START, "=", ...), or followed by what no such
    // statement has next (DROP MEMBER, ALTER COLUMN c, UPDATE POPULATION,
    // SET LOCATION, ROLLBACK IMMEDIATE, "(" without a query).
    bool ClauseGoesOn();
    // ADD SIGNATURE, ADD COUNTER SIGNATURE, ADD SENSITIVITY CLASSIFICATION
    // stand next (ADD current).
    bool StartsAddStatement();
    // CREATE, ALTER and DROP of kinds the model does not hold, the kind's
    // first word current: read whole, handed on as plain statements. False
    // when the words name no such kind.
    bool ParseOtherKind(bool IsAlter);
    // A securable class and "::" stand next: SCHEMA::, XML SCHEMA
    // COLLECTION::, ASYMMETRIC KEY:: (GRANT ... ON class::name).
    bool ClassBeforeDoubleColon();
    // The next Count words from the current character on, upper-cased and
    // joined by one blank: "EVENT SESSION".
    std::string PeekWords(int Count);

    // ---- tables, columns, constraints (...Tables.cpp) ----
    // Context: a table to fill (a type's or a routine's); Scratch: a table
    // made inside a routine body, read and freed.
    void ParseCreateTable(TTblData* Context, bool Scratch);
    // One column definition; Register files the constraints it makes.
    TFldData* ParseColumn(TTblData& Table, bool Register);
    void ParseColumnType(TFldData& Field, bool Register, bool AllowComputed);
    void ParseColumnOptions(TFldData& Field, bool Register);
    // INCLUDE ( columns ) and WHERE filter of an index.
    void ParseIncludeAndFilter(TIdxData& Index);
    // INDEX current, declared with the table (Field none) or with a column.
    void ParseInlineIndex(TTblData& Table, bool Register, TFldData* Field);
    void ParseNamedConstraint(bool Register, std::unique_ptr<TCtrData> Ctr, bool NoCheck, bool Check, TFldData* Field,
                              TTblData* Table);
    void ParseConstraint(bool Register, std::unique_ptr<TCtrData> Ctr, TTblData* Table, TFldData* Field);
    // CONNECTION ( a TO b, ... ) [ON DELETE ...] of a graph edge table, the
    // word current: the model keeps no such kind.
    void SkipEdgeConnection();
    // "(" name [ASC | DESC] {, ...} ")" into List, each column owned by Owner.
    void ParseColumnList(TOwnedNameList<TFldData>& List, TDbObj* Owner);
    std::uint8_t ParseFKAction();
    void ParseIndexOptions(TIndexOptions& Options);
    void ParseFileGroup(std::string& Name);
    void ParseAlterTable();
    void ParseAlterTableAdd(TTblData& Target, bool Keep, bool NoCheck, bool Check, bool Strict);
    void ParseAlterColumn();
    void ParseAlterTableDrop(TTblData* Table);
    int DataTypeCode();
    // The element list of CREATE TABLE, CREATE TYPE ... AS TABLE and table
    // variables, "(" to ")".
    void ParseTableElements(TTblData& Table, bool Register);

    // ---- indexes, views, routines, triggers (...Routines.cpp) ----
    // Plain and XML indexes, INDEX current (COLUMNSTORE before it).
    void ParseCreateIndex(bool Unique, bool Clustered, bool Xml, bool PrimaryXml);
    void ParseCreateFullTextIndex();
    void ParseFullTextOptions(TIdxData& Index);
    void ParseCreateFullText();
    void ParseCreateStatistics();
    void ParseCreateView(bool IsAlter, bool OrAlter);
    // The query of a view of the split pass, read in full from AS on and
    // linked; the batch must end after it.
    void ParseViewQueryInPlace(TViwData& View);
    void ParseCreateProcedure(bool IsFunction, bool IsAlter, bool OrAlter);
    void ParseRoutineParams(TPrcData& Routine);
    // The body text; KeepAs keeps a leading AS in it.
    std::string ParseRoutineBody(TDbObj* Routine, bool KeepAs);
    void ParseCreateTrigger(bool IsAlter, bool OrAlter);

    // ---- other statement families (...Statements.cpp; the server's own in
    // ...Server.cpp) ----
    void ParseCreate(TDbObj* Context);
    void ParseAlter();
    void ParseDrop();
    void ParseCreateRuleOrDefault(bool IsRule);
    void ParseCreateType();
    void ParseCreateSchema();
    void ParseCreateSequence();
    void ParseCreateXml();
    void ParseGrant(TSymb Kind);
    bool ParsePermissions(TGntData& Grant);
    bool ParseGrantObject(TGntData& Grant);
    void FileGrants(std::unique_ptr<TGntData> Grant, const std::vector<std::string>& Grantees);
    // The words of a permission the model keeps no element for, up to ON,
    // TO, FROM or what is no word.
    void SkipPermissionWords();
    void ParseLogin(bool IsAlter);
    void ParseUser();
    void ParseRole(bool IsAlter);
    void ParseAssembly();
    void ParseMessageType();
    void ParseContract();
    void ParseQueue();
    void ParseService();
    void ParseCertificate(bool IsAlter);
    void ParseCreateDatabase();
    void ParseAlterDatabase();
    // One option after ALTER DATABASE ... SET.
    void ParseDatabaseOption();
    // The rest of an option whose words the parser does not know: up to
    // ",", ")", WITH, the statement's end or a word that begins the next.
    void SkipOptionTail();
    void ParseFileSpecs();
    void ParseSet(TDbObj* Context);
    void ParseExec(TDbObj* Context);
    void ParseExecArgs(TDbObj* Context);
    // A procedure whose name was read; the system procedures that build
    // objects are read by their own rules.
    void ParseProcedureCall(TDbObj* Context, bool WithExec);
    // The arguments of a system procedure by position or by the parameter
    // names given (upper case, with "@"): strings and names as written,
    // anything else read as an expression and left empty.
    std::vector<std::string> ReadArgs(TDbObj* Context, std::span<const std::string_view> Names);
    void ParseAddType();
    void ParseBindRule();
    void ParseAddExtendedProperty(TDbObj* Context);
    void ParseDboption();
    void ParseSimpleStatement(TDbObj* Context);
    // Parts of ParseSimpleStatement, the first word passed.
    void ParseTransactionStatement(TSymb First);
    void ParseMessageStatement(TSymb First, TDbObj* Context);
    void ParseTextPointerStatement(TDbObj* Context);
    void ParseWaitfor(TDbObj* Context);
    void ParseEndConversation(TDbObj* Context);
    void ParseBackupRestore(bool Backup);
    void ParseDeviceOptions(bool Backup);
    void ParseTriggerSwitch();

    // ---- procedural statements and DML (...Query.cpp) ----
    void ParseBegin(TDbObj* Context);
    // Statements up to END, END current afterwards passed.
    void ParseBlock(TDbObj* Context);
    void ParseIf(TDbObj* Context);
    void ParseWhile(TDbObj* Context);
    void ParseDeclare(TDbObj* Context);
    void ParseCursorDefinition(TDbObj* Context);
    void ParseInsert(TDbObj* Context);
    void ParseUpdate(TDbObj* Context);
    void ParseDelete(TDbObj* Context);
    // OUTPUT, FROM, WHERE (CURRENT OF too) and OPTION after UPDATE or DELETE.
    void ParseDmlTail(TDbObj* Context);
    void ParseMerge(TDbObj* Context);
    void ParseDmlTarget(TDbObj* Context);
    void ParseOutputClause(TDbObj* Context);
    void ParseTop(TDbObj* Context);
    // WITH common table expressions, then the statement they belong to;
    // answers that statement's kind.
    TStatType ParseWith(TDbObj* Context);
    // A whole query: set operations, ORDER BY, FOR, OPTION. True when it
    // has an INTO clause.
    bool ParseQuery(TDbObj* Context);
    bool ParseQueryExpression(TDbObj* Context);
    bool ParseQuerySpec(TDbObj* Context);
    void ParseSelectList(TDbObj* Context);
    void ParseFrom(TDbObj* Context);
    void ParseTableSource(TDbObj* Context);
    void ParseTablePrimary(TDbObj* Context);
    void ParseTableHints();
    // After "((": a query follows, not a table source.
    bool ParenthesisedQueryFollows();
    void ParseAlias();
    void ParsePivot(TDbObj* Context, bool Unpivot);
    void ParseOrderBy(TDbObj* Context);
    void ParseForClause();
    void ParseOptionClause(TDbObj* Context);
    void ParseCompute(TDbObj* Context);
    void ParseGroupBy(TDbObj* Context);
    void ParseFetch();
    void ParseReceiveOrSend(TDbObj* Context, bool Receive);

    // ---- expressions (...Expr.cpp) ----
    void ParseExpression(TDbObj* Context);
    void ParseAnd(TDbObj* Context);
    void ParseNot(TDbObj* Context);
    void ParsePredicate(TDbObj* Context);
    void ParseAdditive(TDbObj* Context);
    void ParseTerm(TDbObj* Context);
    void ParseFactor(TDbObj* Context);
    void ParseTypeFunction(TDbObj* Context);
    void ParseWordFactor(TDbObj* Context);
    void ParseFunctionArgs(TDbObj* Context);
    void ParseOver(TDbObj* Context);
    void ParseCase(TDbObj* Context);
    void ParseDataTypeOnly();
    // Expressions separated by ",".
    void ParseExpressionList(TDbObj* Context);
    // "(" query ")" or "(" expression list ")", the "(" current.
    void ParseSubqueryOrList(TDbObj* Context);
    // The current token can begin an expression.
    bool StartsExpression() const;

private:
    // The state of one read (qelMSSQLScriptParserPrivate.h).
    struct TReadState;

    void FinishBatch();
    void ParseTopStatement();
    // A SELECT that takes the rest of its batch: stSelect only when that text
    // is one query without INTO.
    TStatType JudgeSelect(std::int64_t Start);
    void LinkAfterParse();

    std::unique_ptr<TReadState> m_read;
};

} // namespace qel
