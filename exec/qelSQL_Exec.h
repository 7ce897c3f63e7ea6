// The executor half of qelClasses (the object half lives in objects/):
// TCustomSQLExec, the statement list every producer of SQL fills and every
// consumer writes or runs, of TStatements (qelStatement.h).
// Also TSQLExec, the executor that runs the list against a connection, writes
// it as script text and reads BLOB parameters from a side file.
//
// TCustomSQLExec owns its statements and its message list. Nothing here
// raises to the caller of Execute: every failure is reported through
// ErrorMessage (the OnErrorMessage event, else the modal message hook),
// stored in the failing statement's ErrorText and counted in ErrorCount.
#pragma once

#include "qelClasses.h"
#include "qelConnectionErrorCapture.h"
#include "qelComponent.h"
#include "qelDBOptions.h"
#include "qelStatement.h"
#include "qelStrings.h"
#include "qelTypes.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TCustomSQLExec;
class TCustomSQLParser;
class TDbObj;
class TMsgManager;
class TObjs;
class TParam;
class TQELCustomConnection;
class TQELQuery;
enum class TPreparedKind : std::uint8_t;

// Sender first; Delphi var parameters are references.
using TStatementExecuteEvent = std::function<void(TObject& Sender, int Index)>;
// The handler may hand back a statement of its own (a descendant); it leaves
// Statement empty to let the executor make a plain one.
using TStatementCreateEvent = std::function<void(TObject& Sender, std::unique_ptr<TStatement>& Statement)>;
// Clearing Accept refuses the statement, which is then freed.
using TStatementAddEvent = std::function<void(TStatement& St, bool& Accept)>;
// Supplies the value of a parameter that is not a BLOB reference.
using TGetParamValueEvent = std::function<void(TObject& Sender, TParam& Param)>;

// The statement list and executor interface. The base keeps the list and
// reports; connecting, running and writing are the descendants' (the base
// versions do nothing).
class TCustomSQLExec : public TComponent, public TStatementSink {
public:
    explicit TCustomSQLExec(TComponent* AOwner = nullptr);
    ~TCustomSQLExec() override;
    std::string ClassName() const override { return "TCustomSQLExec"; }

    // ---- the list ----
    int Count() const { return static_cast<int>(m_statements.size()); }
    TStatement& Statements(int Index) const { return *m_statements.at(static_cast<std::size_t>(Index)); }

    // Adds a statement and returns it (owned by the list), or nullptr when
    // the text is empty (comments excepted) or OnStatementAdd refused it.
    // An empty Terminator means the server's (StatementTerminator), except
    // for comments, which keep none.
    TStatement* AddStatement(const std::string& SQL, TStatType StatType, const std::string& ObjName = {},
                             TDbObject ObjType = TDbObject::dboUnknown,
                             TDbOperation Operation = TDbOperation::odbUnknown, const std::string& ParentName = {},
                             const std::string& Terminator = {}) override;
    // The description statement of Obj (its GetDescriptionScript), with the
    // owning table, view or procedure as parent name for a column or
    // parameter; nullptr when the object has no description script.
    TStatement* AddDescription(TDbObj& Obj) override;
    TStatement* AddComment(const std::string& Text) override;
    TStatement* AddCommit() override;
    void AddConnectStatement() override;
    virtual void Clear();
    virtual void DeleteStatement(int Index);

    // ---- script text ----
    // Appends the list as script text to Lines (Lines is not cleared).
    virtual void WriteScript(TStringList& Lines, bool RecordLineNumbers);
    // OnLoadScript when assigned, else the file; then ParseScript.
    // A missing file is reported with "File not found: " + the name.
    virtual void LoadScript(const std::string& FileName);
    // Reads the stream's text (nothing for nullptr) and parses it.
    virtual void LoadFromStream(std::istream* Stream);
    virtual void ParseScript(TStringList& Lines);
    virtual void ParseConnectString(const std::string& Text);
    // The connection options of a CONNECT statement: what its parser read
    // (ConnectsTo) where the dialect keeps that, else ParseConnectString of
    // its text.
    virtual void ReadConnectStatement(const TStatement& St);

    // ---- running ----
    virtual void Connect();
    virtual void Disconnect();
    virtual void ExecSingleStatement(TStatement& St);
    // Runs the list; True when no statement failed.
    virtual bool Execute();

    // ---- reporting ----
    void LogNextLine(const std::string& Text) override;
    virtual void ProgressUpdate(int Value, int MaxValue);
    // OnErrorMessage, else the modal message hook; then ErrorCount + 1.
    // Never raises.
    virtual void ErrorMessage(const std::string& Text);
    virtual bool GetLogFullSQL() const { return LogFullSQL; }

    const std::string& CurrentSchema() const { return m_currentSchema; }
    void SetCurrentSchema(const std::string& Name) override { m_currentSchema = Name; }

    TDatabaseType DatabaseType() const { return m_databaseType; }
    void SetDatabaseType(TDatabaseType Value) { m_databaseType = Value; }

    // The sum over added statements of their line count plus one; a written
    // script sets it to the number of lines before the script.
    std::int32_t LineTotal() const { return m_lineTotal; }
    bool HasModifyingStatements() const { return m_hasModifyingStatements; }
    std::int32_t ErrorCount() const { return m_errorCount; }

    TMsgManager& Messages() { return *m_messages; }
    const TMsgManager& Messages() const { return *m_messages; }

    std::string ScriptFileName;
    bool BreakOnError = false;
    // Log whole statement texts instead of one-line summaries.
    bool LogFullSQL = false;

    TLogNextLineEvent OnLogNextLine;
    TProgressUpdateEvent OnProgressUpdate;
    TErrorMessageEvent OnErrorMessage;
    TStatementExecuteEvent OnBeforeStatementExecute;
    TStatementExecuteEvent OnAfterStatementExecute;
    TStatementCreateEvent OnStatementCreate;
    TStatementAddEvent OnStatementAdd;
    TLoadScriptEvent OnLoadScript;

protected:
    // The script's bytes as the dialect's tools read them, changed in
    // place; as they are by default.
    virtual void DecodeScriptText(std::string& /*Text*/) const {}
    virtual void DoStatementAdd(TStatement& St, bool& Accept);
    virtual void DoBeforeStatementExecute(int Index);
    virtual void DoAfterStatementExecute(int Index);
    // OnStatementCreate's statement, else a plain one owned by this executor.
    virtual std::unique_ptr<TStatement> CreateStatement();

    std::vector<std::unique_ptr<TStatement>> m_statements;
    std::string m_currentSchema;
    TDatabaseType m_databaseType = TDatabaseType::dbAbstract;
    std::int32_t m_lineTotal = 0;
    bool m_hasModifyingStatements = false;
    std::int32_t m_errorCount = 0;

private:
    std::unique_ptr<TMsgManager> m_messages;
};

// An object-name filter: a name passes when no exclude mask matches and
// either there are no include masks or one matches. Only two mask forms
// match anything, ASCII case ignored, "*" read as "%":
//   "ABC%" matches names starting with ABC, "%ABC" names ending with ABC.
bool MatchNameMask(std::string_view Name, std::string_view Mask);
bool NameFilterAccepts(std::string_view Name, const TStringList& IncludeMasks, const TStringList& ExcludeMasks);

// Log form of a statement text with passwords hidden:
//   "CONNECT 'db' USER 'SYSDBA' PASSWORD 'pw'" -> "CONNECT 'db' USER 'SYSDBA' PASSWORD '***'"
//   "Driver={x};Pwd=secret;"                   -> "Driver={x};Pwd=***;"
std::string HideStatementPassword(std::string_view Text);

// A BLOB reference parameter name: "h" + offset + "_" + size, each part at
// least eight hexadecimal digits. True (with the numbers) when Name is one;
// an 18-character name of the reference's shape ("h", "_" at the tenth
// character) with a part that is not hexadecimal raises EConvertError, as
// does a number beyond 64 bits.
//   "h0000000A_00000004"      -> offset 10, size 4
//   "h100000000_00000001"     -> offset 4 GiB, size 1
bool ParseBlobParamName(std::string_view Name, std::uint64_t& Offset, std::uint64_t& Size);

// The executor that runs the list over a connection.
//
// Data statements of a run share one transaction, committed by the next
// DDL statement or at the end; each DDL statement runs and is committed on
// its own. An InterBase run whose back end has the script transactions runs
// as isql does instead (see IsqlTransactions): the script's COMMIT and
// ROLLBACK end the data's transaction, DDL never does. A statement that
// fails is undone alone: the statements before it keep their effect. When a transaction is lost (a commit fails, the
// connection drops), the statements it held are reported as rolled back
// ("< Rolled back >: " + summary) and their ErrorText set. A statement whose
// work was kept is marked Executed, so a second run skips it; the set-up
// statements (CONNECT, SET NAMES, SET BLOBFILE ...) run again while any
// work is left and are marked once none is. While the executor connects,
// disconnects or creates a database, what the connection reports (its
// OnErrorMessage) is taken over and reported, counted, as the executor's own
// error.
class TSQLExec : public TCustomSQLExec, public TServerOptionSet<TIBSQLExecOptions> {
public:
    explicit TSQLExec(TComponent* AOwner = nullptr);
    ~TSQLExec() override;
    std::string ClassName() const override { return "TSQLExec"; }

    // The nine option objects, their accessors and copying setters come
    // from TServerOptionSet.

    // The connection (not owned); cleared when the connection is destroyed.
    TQELCustomConnection* QELConnection() const { return m_connection; }
    virtual void SetQELConnection(TQELCustomConnection* Value);

    // The query of the current run (nullptr between runs).
    TQELQuery* Query() const { return m_query.get(); }
    // The statement being executed (nullptr outside a run).
    TStatement* CurrentStatement() const { return m_currentStatement; }
    // The side file of the run, resolved by SET BLOBFILE.
    const std::string& BlobFileName() const { return m_blobFileName; }

    // ---- overrides ----
    void Clear() override;
    void ErrorMessage(const std::string& Text) override;
    // "COMMIT WORK;" (SQL Anywhere: "Commit Work" CR LF "go").
    TStatement* AddCommit() override;
    TStatement* AddComment(const std::string& Text) override;
    // InterBase only: RECONNECT, or the CONNECT text of ConnectionOptions.
    void AddConnectStatement() override;
    void WriteScript(TStringList& Lines, bool RecordLineNumbers) override;
    void Connect() override;
    void Disconnect() override;
    void ExecSingleStatement(TStatement& St) override;
    bool Execute() override;
    // Asks the run under way to stop before its next statement: what ran is
    // committed as at a run's end, the rest is not started, the log says how
    // many statements were left and the run answers False. Outside a run it
    // does nothing.
    void Stop() { m_stopRequested = m_running; }

    // Splits Text at every CR LF and appends the pieces, the one after the
    // last CR LF too (so "a\r\n" appends "a" and ""). Returns the count.
    static int AddScriptLines(std::string_view Text, TStringList& Lines);
    // 1-based position of SubStr in S at or after Offset; 0 when absent.
    static int PosEx(std::string_view SubStr, std::string_view S, int Offset = 1);

    // The identifier as the executor's server writes it (dialect 3).
    virtual std::string QuoteName(const std::string& Name) const;
    // Copies the nine option objects into the connection's.
    virtual void ApplyOptions();
    // The parser of this executor's scripts: a plain SQL parser.
    virtual std::unique_ptr<TCustomSQLParser> CreateParser();
    // A script load: the list and the messages emptied (the options stay),
    // then Parser takes the script name and this executor's error, log and
    // progress handlers, and hands each statement to AddStatement.
    void PrepareScriptLoad(TCustomSQLParser& Parser);
    // Runs one statement of a run; the answer is False when it failed.
    virtual bool ExecuteStatement(TStatement& St);
    // Null, then OnGetParamValue.
    virtual void GetParamValue(TParam& Param);

    TGetParamValueEvent OnGetParamValue;

protected:
    // One script load, whatever the dialect: the parser of CreateParser
    // reads Lines into this list (PrepareScriptLoad), the script's objects
    // into a collection of their own that goes with the parser; what the
    // parser read of the connection and its messages come back. The dialect
    // sets the collection up and the parser's handlers in BeforeScriptParse
    // and takes back what else it needs in AfterScriptParse.
    void LoadScriptLines(TStringList& Lines);
    virtual void BeforeScriptParse(TCustomSQLParser& Parser, TObjs& Objs);
    static int CountLoadErrors(const TMsgManager& Messages);
    // Logs "Script loaded.".
    virtual void AfterScriptParse(TCustomSQLParser& Parser, const TObjs& Objs, const TStringList& Lines);
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Operations on the current statement.
    virtual bool ExecDescription();
    virtual bool FillBlobParams();
    virtual bool ExecConnect();
    virtual bool ExecReconnect();
    virtual bool ExecCreateDatabase();
    virtual bool ExecDescriptionStatement();
    virtual bool ExecSetBlobFile();
    virtual bool ExecDML();
    virtual bool ExecSQL();
    // Runs the query's text: a SELECT (stSelect) has its rows read and
    // dropped, as the server's own tool reads them; anything else ExecSQL.
    void RunQuery(TStatType StatType);
    // The frame ExecSQL and ExecDML share: without a connection "Disconnected
    // from database..." and False; else Run on the current statement, a
    // failure it raises handed to Failed; the query left without text and
    // with its parameter check on, whatever happened.
    bool RunOnQuery(const std::function<bool(TStatement&)>& Run,
                    const std::function<void(const std::exception&)>& Failed);
    // The bodies: a statement run on its own and committed (data still open
    // committed first), and a data statement run in the open transaction.
    bool RunStatementText(TStatement& St);
    bool RunDataStatement(TStatement& St);

    // isql's transactions, for an InterBase run over a back end that has
    // them (TScriptTransactions): data statements, queries and procedures
    // stay pending in the main transaction until the script's COMMIT or
    // ROLLBACK (or the run's end, which commits as isql does at its exit);
    // with AUTODDL on each DDL statement is run and committed in a
    // transaction of its own, as the server's prepare names it. Under
    // PLANONLY statements are prepared and their plan logged, nothing runs.
    bool IsqlTransactions();
    // A statement sent to the server in those transactions.
    bool RunIsqlStatement(TStatement& St);
    // COMMIT [RETAIN] or ROLLBACK [RETAIN] (st_Commit).
    bool ExecEndTransaction();
    // SET AUTODDL, SET PLANONLY, SET BAIL, SET TRANSACTION and QUIT; other
    // isql commands send nothing.
    bool ExecIsqlSet();
    bool QuitAsIsql();
    // Starts the DDL transaction when AUTODDL is on and it is not active,
    // as isql keeps one ready; False after reporting a failure.
    bool ReadyDDLTransaction();
    // Commits an active DDL transaction (isql does so before the main one
    // at its end and at a new connection); False after reporting a failure.
    bool CommitDDLTransaction();
    // The pending statements were undone by the script's own ROLLBACK (or
    // SET TRANSACTION), or kept by its COMMIT RETAIN: either way done.
    void DropPendingUndone();
    void MarkPendingKept();
    // Logs Reason, rolls the main transaction back and drops its pending
    // statements as undone; False after reporting a failure.
    bool RollbackMain(const std::string& Reason);
    // Prepares the query's text as isql does (in the DDL transaction while
    // AUTODDL is on, both transactions started) and answers its kind.
    TPreparedKind PrepareAsIsql();
    // Prepares the query's text and logs the server's plan.
    void LogPlan();
    // At a run's end: the statements with a load error that ran (Sent; those
    // no failure of the run counted yet, Uncounted) and the errors whose
    // statements were kept back are reported once and counted each.
    void ReportLoadErrors(int Sent, int Uncounted);

    // Helpers for the descendants.
    bool Connected();
    bool InTransaction();
    // Connects and disconnects the connection for a statement of the run;
    // what the connection reports becomes this executor's error.
    bool ConnectForStatement();
    void DisconnectForStatement();
    // What a dialect does on a new connection before the first statement;
    // False after reporting a failure.
    virtual bool AfterConnect() { return true; }
    // Commits the open transaction of the run. A failure is reported, and
    // the statements the transaction held are reported as rolled back.
    bool CommitPending();
    // Rolls back what is left of the open transaction and reports the
    // statements it held as rolled back; answers how many there were.
    int LosePending(const std::string& Reason);
    static std::string LostText(const std::string& Message, int Lost);
    // Reports the failure of the current statement; an error that took the
    // transaction along also reports the statements run in it as lost.
    void StatementFailed(const std::exception& E);
    void ClearBlobFile();
    // "< Exec SQL >: ORDERS: insert", or the whole text with LogFullSQL;
    // passwords hidden.
    void LogStatement(const std::string& Prefix, const TStatement& St);
    // The query of the run, created over the connection when there is none;
    // EUsageError when the connection has no back end.
    void EnsureQuery();

    std::unique_ptr<TQELQuery> m_query;
    TStatement* m_currentStatement = nullptr;
    // Data statements run in the open transaction and not yet committed.
    std::vector<TStatement*> m_pending;
    // isql's switches in the current run: SET AUTODDL (on at the start of
    // a run), SET PLANONLY and SET BAIL (off).
    bool m_autoDDL = true;
    bool m_planOnly = false;
    bool m_bail = false;
    // Errors of the last script load that no statement of the list carries
    // (what they named was kept back), and those counted while it loads.
    int m_loadErrorsKeptBack = 0;
    int m_loadErrorsSeen = 0;

private:
    struct TBlobFile;

    TQELCustomConnection* m_connection = nullptr;
    bool m_running = false;
    bool m_stopRequested = false;
    std::string m_blobFileName;
    std::unique_ptr<TBlobFile> m_blobFile;
};

} // namespace qel
