// The executor's connection, the transactions of a run and the running of
// its statements.
#include "qelSQL_ExecPrivate.h"

namespace qel {

using namespace sqlexec;

// ---- connection helpers ----------------------------------------------------

namespace {

// A yes-or-no question to the connection; no when there is none or it
// fails to answer.
template <class TQuestion> bool Ask(TQELCustomConnection* Connection, TQuestion Question)
{
    if (Connection == nullptr) return false;
    try {
        return Question(*Connection);
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool TSQLExec::Connected()
{
    return Ask(m_connection, [](TQELCustomConnection& c) { return c.Connected(); });
}

bool TSQLExec::InTransaction()
{
    return Ask(m_connection, [](TQELCustomConnection& c) { return c.InTransaction(); });
}

void TSQLExec::EnsureQuery()
{
    if (!m_query && m_connection != nullptr) m_query = m_connection->CreateQuery();
    if (!m_query) throw EUsageError(ClassName() + "(" + Name() + "): the connection has no back end to run statements.");
}

void TSQLExec::LogStatement(const std::string& Prefix, const TStatement& St)
{
    if (GetLogFullSQL()) {
        LogNextLine(Prefix);
        LogNextLine(HideStatementPassword(St.SQL.TrimmedText()));
    } else {
        LogNextLine(Prefix + " " + HideStatementPassword(St.GetSummary()));
    }
}

namespace {

// How the executor names a database in its log lines: in double quotes and
// without a password (an ODBC string may carry one).
std::string QuotedForLog(const std::string& Name) { return "\"" + NameWithoutPassword(Name) + "\""; }

} // namespace

void TSQLExec::Connect()
{
    if (m_connection == nullptr) {
        ErrorMessage(ClassName() + "(" + Name() + NotAssigned);
        return;
    }
    TConnectionErrorCapture capture(*m_connection);
    try {
        if (m_connection->Connected()) {
            CommitDDLTransaction();
            CommitPending();
            m_connection->SetConnected(false);
        }
        ApplyOptions();
        m_connection->SetConnected(true);
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return;
    }
    if (!capture.Text().empty() || !Connected()) {
        ErrorMessage(capture.Text().empty() ? "Cannot connect to " + QuotedForLog(ConnectionOptions().DatabaseName)
                                            : capture.Text());
        return;
    }
    LogNextLine("Connect: " + QuotedForLog(ConnectionOptions().DatabaseName));
}

void TSQLExec::Disconnect()
{
    if (m_connection == nullptr || !Connected()) return;
    LogNextLine("Disconnect: " + QuotedForLog(m_connection->ConnectionOptions().DatabaseName));
    TConnectionErrorCapture capture(*m_connection);
    try {
        CommitDDLTransaction();
        CommitPending();
        m_connection->SetConnected(false);
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return;
    }
    if (!capture.Text().empty()) ErrorMessage(capture.Text());
}

// ---- transactions of a run -------------------------------------------------

int TSQLExec::LosePending(const std::string& Reason)
{
    try {
        if (InTransaction()) m_connection->Rollback();
    } catch (const std::exception&) {
        // The connection is gone, and its transaction with it.
    }
    const int lost = static_cast<int>(m_pending.size());
    for (TStatement* st : m_pending) {
        st->ErrorText = "Rolled back: " + Reason;
        LogNextLine("< Rolled back >: " + HideStatementPassword(st->GetSummary()));
    }
    m_pending.clear();
    return lost;
}

std::string TSQLExec::LostText(const std::string& Message, int Lost)
{
    if (Lost == 0) return Message;
    return Message + CRLF + "The transaction was rolled back: " + IntToStr(Lost) +
           (Lost == 1 ? " statement run in it was undone." : " statements run in it were undone.");
}

bool TSQLExec::CommitPending()
{
    if (!InTransaction()) {
        m_pending.clear();
        return true;
    }
    try {
        m_connection->Commit();
        // A data statement counts as run only once its transaction is kept.
        for (TStatement* st : m_pending) st->Executed = true;
        m_pending.clear();
        return true;
    } catch (const std::exception& e) {
        const std::string message = e.what();
        TStatement* current = m_currentStatement;
        m_currentStatement = nullptr;
        const int lost = LosePending(message);
        ErrorMessage(LostText(message, lost));
        m_currentStatement = current;
        return false;
    }
}

void TSQLExec::StatementFailed(const std::exception& E)
{
    const std::string message = E.what();
    int lost = 0;
    if (MeansTransactionLost(E)) {
        // The failed statement's text stays with its own error.
        TStatement* current = m_currentStatement;
        lost = LosePending(message);
        m_currentStatement = current;
    }
    ErrorMessage(LostText(message, lost));
}

void TSQLExec::ClearBlobFile()
{
    m_blobFile.reset();
}

// ---- running ---------------------------------------------------------------

bool TSQLExec::Execute()
{
    m_errorCount = 0;
    m_currentStatement = nullptr;
    if (Count() == 0) {
        LogNextLine("Update script is empty.");
        return true;
    }
    if (m_connection == nullptr) {
        ErrorMessage(ClassName() + "(" + Name() + NotAssigned);
        return false;
    }
    if (m_running) {
        ErrorMessage(ClassName() + "(" + Name() + "): a script is already running.");
        return false;
    }
    struct TRunGuard {
        TSQLExec& E;
        explicit TRunGuard(TSQLExec& e) : E(e) { E.m_running = true; }
        ~TRunGuard()
        {
            E.m_running = false;
            E.m_currentStatement = nullptr;
            E.m_pending.clear();
            E.m_blobFile.reset();
            E.m_query.reset();
        }
    } guard(*this);

    bool result = true;
    bool stopped = false;
    m_stopRequested = false;
    m_autoDDL = true;
    m_planOnly = false;
    m_bail = false;
    ConnectionOptions().Assign(m_connection->ConnectionOptions());
    const bool wasConnected = Connected();
    m_pending.clear();
    m_query = m_connection->CreateQuery();
    LogNextLine("Updating target database...");
    ProgressUpdate(0, Count() - 1);
    if (!m_query) {
        ErrorMessage(ClassName() + "(" + Name() + "): the connection has no back end to run statements.");
        result = false;
    }

    // Statements the script's parser found an error in run as they were
    // read; the run is no success for that, and says so at its end.
    int loadErrorsSent = 0, loadErrorsUncounted = 0;
    for (int i = 0; m_query && i < Count(); ++i) {
        if (!result && BreakOnError) {
            LogNextLine("< Break on Error! >");
            break;
        }
        if (m_stopRequested) {
            LogNextLine("< Update stopped: " + IntToStr(Count() - i) +
                        " statements not run; the statements run before are committed >");
            stopped = true;
            result = false;
            break;
        }
        DoBeforeStatementExecute(i);
        if (i >= Count()) break;
        TStatement& st = Statements(i);
        if (!st.Executed) {
            const std::int32_t errorsBefore = m_errorCount;
            const bool ok = ExecuteStatement(st);
            result = result && ok;
            if (st.LoadError) {
                ++loadErrorsSent;
                if (m_errorCount == errorsBefore) ++loadErrorsUncounted;
            }
            if (!ok && m_bail) {
                // SET BAIL ON: isql stops at the first failure and rolls back.
                LogNextLine("< Break on Error! >");
                QuitAsIsql();
                break;
            }
        } else if (GetLogFullSQL()) {
            LogNextLine("< Skipping statement >:");
            for (const auto& line : st.SQL.Lines()) LogNextLine("// " + HideStatementPassword(line));
        } else {
            LogNextLine("< Skipping statement >: " + HideStatementPassword(st.GetSummary()));
        }
        ProgressUpdate(i, Count() - 1);
        DoAfterStatementExecute(i);
        ProcessMessages();
    }

    m_currentStatement = nullptr;
    ClearBlobFile();
    if (m_connection != nullptr) {
        if (IsqlTransactions() && Connected()) {
            // isql commits what a script leaves open when it ends.
            if (!m_pending.empty())
                LogNextLine("The script ends with work not committed: committed, as isql does at its end (" +
                            IntToStr(static_cast<int>(m_pending.size())) + " statements).");
            if (!CommitDDLTransaction()) result = false;
        }
        if (InTransaction() && !CommitPending()) result = false;
        if (!wasConnected) Disconnect();
    }
    if (m_query) MarkFinishedList(m_statements);
    ReportLoadErrors(loadErrorsSent, loadErrorsUncounted);
    if (m_errorCount > 0) {
        LogNextLine("< Script executed: " + IntToStr(m_errorCount) + " errors... >");
        result = false;
    } else if (!stopped) {
        LogNextLine("< Script executed succesfully! >");
    }
    return result;
}

void TSQLExec::ReportLoadErrors(int Sent, int Uncounted)
{
    if (Sent == 0 && m_loadErrorsKeptBack == 0) return;
    const std::string text = "The script loaded with errors: " + IntToStr(Sent) +
                             (Sent == 1 ? " statement" : " statements") + " with an error sent as read, " +
                             IntToStr(m_loadErrorsKeptBack) + " kept back (see the messages of the load).";
    // Each counts once: a statement the server refused as well is counted already.
    const int count = Uncounted + m_loadErrorsKeptBack;
    if (count == 0) {
        LogNextLine(text);
        return;
    }
    ErrorMessage(text);
    m_errorCount += count - 1;
}

void TSQLExec::ExecSingleStatement(TStatement& St)
{
    if (m_connection == nullptr) {
        ErrorMessage(ClassName() + "(" + Name() + NotAssigned);
        return;
    }
    try {
        EnsureQuery();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return;
    }
    const bool wasConnected = Connected();
    // The connection's own settings serve: outside a run the executor's
    // options have not been taken from it.
    m_currentStatement = &St;
    if (wasConnected || ConnectForStatement()) {
        m_pending.clear();
        ExecuteStatement(St);
        // A data statement run on its own is kept: its transaction ends here.
        CommitPending();
    }
    m_currentStatement = nullptr;
    if (!wasConnected) DisconnectForStatement();
    m_query.reset();
}

bool TSQLExec::ExecuteStatement(TStatement& St)
{
    using enum TStatType;
    m_currentStatement = &St;
    if (m_connection == nullptr) {
        ErrorMessage(ClassName() + "(" + Name() + NotAssigned);
        return false;
    }
    // An EXECUTE BLOCK does its work in the database too.
    if (!Connected() && (IsModifying(St.StatType) || St.StatType == stExecuteBlock || St.StatType == stSelect ||
                         (St.StatType == st_Commit && IsqlTransactions()))) {
        Connect();
        // A failed connect has been reported; the statement is not tried.
        if (!Connected()) return false;
    }
    LogStatement("< Exec SQL >:", St);
    bool ok = true;
    switch (St.StatType) {
    case stConnect: ok = ExecConnect(); break;
    case stReconnect: ok = ExecReconnect(); break;
    case stCreateDb: ok = ExecCreateDatabase(); break;
    case stSet:
        if (IsqlTransactions()) ok = ExecIsqlSet();
        else ok = m_databaseType != TDatabaseType::dbOracle || ExecSQL();
        break;
    case st_Commit: ok = !IsqlTransactions() || ExecEndTransaction(); break;
    case stSetBlobFile: ok = ExecSetBlobFile(); break;
    case stStatement:
    case stProcedure:
    case stTrigger:
    case stPackage:
    case stExecuteBlock:
    case stSelect: ok = ExecSQL(); break;
    case stDescription: ok = ExecDescriptionStatement(); break;
    case stInsert:
    case stUpdate:
    case stDelete: ok = ExecDML(); break;
    default: break;
    }
    // A data statement still in the open transaction waits for its commit
    // (CommitPending); one whose transaction is lost stays to run again.
    const bool waitsForCommit = !m_pending.empty() && m_pending.back() == &St;
    if (ok && RunsOnce(St.StatType) && !waitsForCommit) St.Executed = true;
    return ok;
}

bool TSQLExec::RunOnQuery(const std::function<bool(TStatement&)>& Run,
                          const std::function<void(const std::exception&)>& Failed)
{
    if (!Connected()) {
        ErrorMessage("Disconnected from database...");
        return false;
    }
    bool ok = false;
    try {
        ok = Run(*m_currentStatement);
    } catch (const std::exception& e) {
        Failed(e);
        ok = false;
    }
    try {
        if (m_query) {
            m_query->SetSQLText({});
            m_query->SetParamCheck(true);
        }
    } catch (const std::exception&) {
    }
    return ok;
}

bool TSQLExec::ExecSQL()
{
    // In isql's transactions the server undid the failed statement alone,
    // as it does a failed data statement.
    if (IsqlTransactions())
        return RunOnQuery([this](TStatement& st) { return RunIsqlStatement(st); },
                          [this](const std::exception& e) { StatementFailed(e); });
    return RunOnQuery([this](TStatement& st) { return RunStatementText(st); },
                      [this](const std::exception& e) {
                          ErrorMessage(e.what());
                          try {
                              if (m_query) m_query->SetSQLText({});
                          } catch (const std::exception&) {
                          }
                          try {
                              if (InTransaction()) m_connection->Rollback();
                          } catch (const std::exception&) {
                              // Nothing of this statement can be left: its connection is gone.
                          }
                      });
}

bool TSQLExec::RunStatementText(TStatement& St)
{
    bool ok = true;
    EnsureQuery();
    // Data statements still open are committed before the DDL runs, so
    // that a DDL statement that fails (here or at its commit) cannot
    // take them along when it is undone.
    if (InTransaction() && !CommitPending()) ok = false;
    if (!InTransaction() && m_databaseType != TDatabaseType::dbMSSQL &&
        m_databaseType != TDatabaseType::dbSybaseASE)
        m_connection->StartTransaction();
    m_query->SetParamCheck(false);
    if (TParams* p = m_query->GetParams()) p->Clear();
    std::string text = St.ExactText();
    if (m_databaseType == TDatabaseType::dbOracle &&
        (St.StatType == TStatType::stProcedure || St.StatType == TStatType::stTrigger)) {
        std::string lf;
        for (size_t i = 0; i < text.size(); ++i)
            if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
        text = lf + "/";
    }
    m_query->SetSQLText(text);
    RunQuery(St.StatType);
    m_query->SetSQLText({});
    if (InTransaction()) m_connection->Commit();
    // Kept even when committing the data before it failed: it must not
    // run a second time.
    if (RunsOnce(St.StatType)) St.Executed = true;
    return ok;
}

void TSQLExec::RunQuery(TStatType StatType)
{
    if (StatType != TStatType::stSelect) {
        m_query->ExecSQL();
        return;
    }
    // A selectable procedure runs only as far as its rows are read.
    m_query->Open();
    while (!m_query->Eof()) m_query->Next();
    m_query->Close();
}

bool TSQLExec::ExecDML()
{
    // The server undid a failed statement alone; the statements before it
    // stay in the transaction unless the error took that along.
    return RunOnQuery([this](TStatement& st) { return RunDataStatement(st); },
                      [this](const std::exception& e) { StatementFailed(e); });
}

bool TSQLExec::RunDataStatement(TStatement& St)
{
    bool ok = true;
    EnsureQuery();
    if (!InTransaction()) m_connection->StartTransaction();
    const bool isql = IsqlTransactions();
    if (m_planOnly && isql) {
        // A "?" needs no value where nothing runs.
        m_query->SetParamCheck(false);
        m_query->SetSQLText(St.ExactText());
        LogPlan();
        m_query->SetSQLText({});
        St.Executed = true;
        return true;
    }
    m_query->SetParamCheck(true);
    if (TParams* p = m_query->GetParams()) p->Clear();
    if (TStringList* sql = m_query->GetSQL()) sql->SetLines({St.ExactText()});
    TParams* params = m_query->GetParams();
    // A value that cannot be read is never replaced by Null or part of
    // itself: the statement is not run.
    if (params != nullptr && params->Count() > 0 && !FillBlobParams()) ok = false;
    if (ok && isql) {
        PrepareAsIsql();
        m_query->ExecSQL();
        m_pending.push_back(&St);
    } else if (ok) {
        // Nothing is read back from a data statement: without parameters
        // the back end may run it in one call instead of preparing it.
        if (params != nullptr && params->Count() > 0) m_query->ExecSQL();
        else m_query->ExecSQLDirect();
        if (InTransaction()) m_pending.push_back(&St);
    }
    return ok;
}

bool TSQLExec::ExecDescriptionStatement()
{
    if (GetLogFullSQL()) {
        LogNextLine("< Update Description >:");
        LogNextLine(m_currentStatement->SQL.TrimmedText());
    } else {
        LogNextLine("<Update Description>");
    }
    return ExecDescription();
}

bool TSQLExec::ExecDescription() { return ExecSQL(); }

bool TSQLExec::ConnectForStatement()
{
    TConnectionErrorCapture capture(*m_connection);
    m_connection->SetConnected(true);
    if (!capture.Text().empty() || !Connected()) {
        ErrorMessage(capture.Text().empty() ? "Cannot connect to " + QuotedForLog(ConnectionOptions().DatabaseName)
                                            : capture.Text());
        return false;
    }
    return AfterConnect() && ReadyDDLTransaction();
}

void TSQLExec::DisconnectForStatement()
{
    if (!Connected()) return;
    CommitDDLTransaction();
    CommitPending();
    TConnectionErrorCapture capture(*m_connection);
    m_connection->SetConnected(false);
    if (!capture.Text().empty()) ErrorMessage(capture.Text());
}

bool TSQLExec::ExecConnect()
{
    try {
        DisconnectForStatement();
        if (m_currentStatement->StatType == TStatType::stConnect)
            ReadConnectStatement(*m_currentStatement);
        ApplyOptions();
        if (!ConnectForStatement()) return false;
        LogNextLine("Connect: " + QuotedForLog(ConnectionOptions().DatabaseName));
        if (m_databaseType == TDatabaseType::dbInterBase) {
            std::string line = "Dialect: " + IntToStr(IBServerOptions().SQLDialect) + ".";
            if (!IBServerOptions().DBCharSet().empty())
                line += " DBCharSet: " + IBServerOptions().DBCharSet() + ".";
            LogNextLine(line);
        }
        return true;
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
}

bool TSQLExec::ExecReconnect()
{
    try {
        LogNextLine("ReConnect...");
        DisconnectForStatement();
        ApplyOptions();
        return ConnectForStatement();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
}

bool TSQLExec::ExecCreateDatabase()
{
    try {
        DisconnectForStatement();
        ApplyOptions();
        std::string reason;
        bool created = false;
        {
            TConnectionErrorCapture capture(*m_connection);
            created = m_connection->CreateDatabase();
            reason = capture.Text();
        }
        if (!created) {
            // A database that was not made fails its statement, so that a run
            // with BreakOnError stops before the statements meant for it.
            ErrorMessage(reason.empty() ? std::string("Cann't create database.")
                                        : std::string("Cann't create database.") + CRLF + reason);
            return false;
        }
        return ConnectForStatement();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
}

} // namespace qel
