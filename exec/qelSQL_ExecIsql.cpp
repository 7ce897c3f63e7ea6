// The executor's InterBase runs with isql's transactions: the script's
// COMMIT, ROLLBACK, SET AUTODDL, SET PLANONLY and SET TRANSACTION.
#include "qelSQL_ExecPrivate.h"

#include "qelWords.h"

namespace qel {

using namespace sqlexec;

namespace {

// The upper-cased words of a statement's text ("commit work retain" ->
// COMMIT WORK RETAIN).
std::vector<std::string> UpperWords(const std::string& Text)
{
    std::vector<std::string> words;
    for (const TStatementWord& w : StatementWords(Text)) words.push_back(w.Quoted ? w.Text : UpperCase(w.Text));
    return words;
}

bool HasWord(const std::vector<std::string>& Words, std::string_view Word)
{
    return std::find(Words.begin(), Words.end(), Word) != Words.end();
}

} // namespace

void TSQLExec::DropPendingUndone()
{
    // Undone as the script says: done, and never run again.
    for (TStatement* st : m_pending) {
        st->Executed = true;
        LogNextLine("< Rolled back >: " + HideStatementPassword(st->GetSummary()));
    }
    m_pending.clear();
}

bool TSQLExec::RollbackMain(const std::string& Reason)
{
    LogNextLine(Reason);
    bool ok = true;
    try {
        m_connection->Rollback();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        ok = false;
    }
    DropPendingUndone();
    return ok;
}

void TSQLExec::MarkPendingKept()
{
    for (TStatement* st : m_pending) st->Executed = true;
    m_pending.clear();
}

bool TSQLExec::IsqlTransactions()
{
    return m_databaseType == TDatabaseType::dbInterBase && m_connection != nullptr &&
           m_connection->ScriptTransactions() != nullptr;
}

bool TSQLExec::ReadyDDLTransaction()
{
    if (!m_autoDDL || !IsqlTransactions() || !Connected()) return true;
    try {
        TScriptTransactions& tx = *m_connection->ScriptTransactions();
        if (!tx.InDDLTransaction()) tx.StartDDLTransaction();
        return true;
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
}

bool TSQLExec::CommitDDLTransaction()
{
    if (!IsqlTransactions() || !Connected()) return true;
    try {
        TScriptTransactions& tx = *m_connection->ScriptTransactions();
        if (tx.InDDLTransaction()) tx.CommitDDLTransaction();
        return true;
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
}

TPreparedKind TSQLExec::PrepareAsIsql()
{
    // isql keeps both of its transactions started, and with AUTODDL on it
    // prepares in the DDL one: a table a DDL statement has just committed
    // is known there, not in the main transaction's older snapshot.
    if (!InTransaction()) m_connection->StartTransaction();
    if (!m_autoDDL) return m_query->PrepareKind();
    TScriptTransactions& tx = *m_connection->ScriptTransactions();
    if (!tx.InDDLTransaction()) tx.StartDDLTransaction();
    m_query->UseDDLTransaction(true);
    try {
        const TPreparedKind kind = m_query->PrepareKind();
        m_query->UseDDLTransaction(false);
        return kind;
    } catch (const std::exception&) {
        m_query->UseDDLTransaction(false);
        throw;
    }
}

void TSQLExec::LogPlan()
{
    PrepareAsIsql();
    const std::string plan = m_query->Plan();
    if (!plan.empty()) LogNextLine(plan);
}

bool TSQLExec::RunIsqlStatement(TStatement& St)
{
    EnsureQuery();
    TScriptTransactions& tx = *m_connection->ScriptTransactions();
    m_query->SetParamCheck(false);
    if (TParams* p = m_query->GetParams()) p->Clear();
    m_query->SetSQLText(St.ExactText());
    if (m_planOnly) {
        LogPlan();
        m_query->SetSQLText({});
        St.Executed = true;
        return true;
    }
    const TPreparedKind kind = PrepareAsIsql();
    if (kind == TPreparedKind::pkDDL && m_autoDDL) {
        // What a failing DDL statement did the server has undone; isql ends
        // its transaction all the same.
        m_query->UseDDLTransaction(true);
        try {
            m_query->ExecSQL();
        } catch (const std::exception&) {
            m_query->UseDDLTransaction(false);
            try {
                tx.CommitDDLTransaction();
            } catch (const std::exception&) {
                // Rolled back: nothing of the failed statement was left in it.
            }
            throw;
        }
        m_query->UseDDLTransaction(false);
        m_query->SetSQLText({});
        tx.CommitDDLTransaction();
        St.Executed = true;
        return true;
    }
    RunQuery(St.StatType);
    m_query->SetSQLText({});
    m_pending.push_back(&St);
    return true;
}

bool TSQLExec::ExecEndTransaction()
{
    if (!Connected()) {
        ErrorMessage("Disconnected from database...");
        return false;
    }
    // Under PLANONLY isql leaves its transactions as they are.
    if (m_planOnly) return true;
    const std::vector<std::string> words = UpperWords(m_currentStatement->SQL.Text());
    const bool rollback = !words.empty() && words.front() == "ROLLBACK";
    const bool retain = HasWord(words, "RETAIN");
    TScriptTransactions& tx = *m_connection->ScriptTransactions();
    // isql ends both of its transactions here, starting them first when
    // they are not (so the server's transaction triggers fire as in isql).
    try {
        if (!InTransaction()) m_connection->StartTransaction();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
    bool ok = ReadyDDLTransaction();
    if (!rollback && !retain) {
        ok = CommitPending() && ok;
    } else {
        try {
            if (!rollback) tx.CommitRetaining();
            else if (retain) tx.RollbackRetaining();
            else m_connection->Rollback();
            if (rollback) DropPendingUndone();
            else MarkPendingKept();
        } catch (const std::exception& e) {
            StatementFailed(e);
            ok = false;
        }
    }
    return CommitDDLTransaction() && ok;
}

// isql's QUIT rolls back its transactions (EXIT commits, as the end of the
// script does).
bool TSQLExec::QuitAsIsql()
{
    if (!Connected()) return true;
    bool ok = true;
    try {
        TScriptTransactions& tx = *m_connection->ScriptTransactions();
        // It holds nothing: each DDL statement was committed at once.
        if (tx.InDDLTransaction()) tx.RollbackDDLTransaction();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        ok = false;
    }
    if (!InTransaction()) return ok;
    return RollbackMain("QUIT: the work not committed is rolled back.") && ok;
}

bool TSQLExec::ExecIsqlSet()
{
    const std::vector<std::string> words = UpperWords(m_currentStatement->SQL.Text());
    if (words.size() == 1 && words[0] == "QUIT") return QuitAsIsql();
    if (words.size() < 2 || words[0] != "SET") return true;
    // Without ON or OFF isql turns the switch over; with another word it
    // refuses the command (the load has reported it) and leaves it.
    const auto switchValue = [&](bool Current) {
        if (words.size() < 3) return !Current;
        if (words[2] == "ON") return true;
        return words[2] == "OFF" ? false : Current;
    };
    if (words[1] == "AUTODDL") {
        m_autoDDL = switchValue(m_autoDDL);
        return true;
    }
    if (words[1] == "PLANONLY") {
        m_planOnly = switchValue(m_planOnly);
        return true;
    }
    if (words[1] == "BAIL") {
        m_bail = switchValue(m_bail);
        return true;
    }
    if (words[1] != "TRANSACTION" || m_planOnly) return true;
    if (!Connected()) Connect();
    if (!Connected()) return false;
    bool ok = true;
    // isql rolls back the open transaction before it starts the one the
    // script describes.
    if (InTransaction()) ok = RollbackMain("Rolling back work.");
    ok = CommitDDLTransaction() && ok;
    try {
        m_connection->ScriptTransactions()->StartTransactionAs(m_currentStatement->ExactText());
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
    return ok;
}

} // namespace qel
