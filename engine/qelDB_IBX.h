// The database object and query of the InterBase/Firebird back end, over the
// platform's Firebird client layer.
//
// TQELIBXDatabase owns a client database, the main transaction and the one
// each DDL statement of a script is committed in (both isql's default:
// "concurrency", "wait", read and write), a database-information object and
// a server-properties object. On connect it attaches once (with the
// options' character set, or none as isql does), fills the connection's
// TIBDatabaseOptions from the server and aligns the connection's character
// set (when none was given) and dialect options with the database.
// Client-layer errors are raised to the connection, which reports them.
#pragma once

#include "qelDBEngine.h"
#include "qelIBQuery.h"

#include <memory>

namespace qel {

class TIBDatabase;
class TIBDatabaseInfo;
class TIBServerProperties;
class TIBTransaction;

class TQELIBXDatabase : public TQELDatabase, public TScriptTransactions {
public:
    explicit TQELIBXDatabase(TQELCustomConnection* Connection);
    ~TQELIBXDatabase() override;
    std::string ClassName() const override { return "TQELIBXDatabase"; }

    bool GetConnected() override;
    void SetConnected(bool Value) override;
    void StartTransaction() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() override;
    TScriptTransactions* ScriptTransactions() override { return this; }
    void CommitRetaining() override;
    void RollbackRetaining() override;
    void StartTransactionAs(const std::string& SetTransactionSQL) override;
    bool InDDLTransaction() override;
    void StartDDLTransaction() override;
    void CommitDDLTransaction() override;
    void RollbackDDLTransaction() override;
    // Reconnects with lc_ctype CharSet; the transaction is not restarted and
    // the connection's options are not changed.
    void ChangeCharSet(const std::string& CharSet) override;
    // The lc_ctype of the attachment; NONE when none was given.
    std::string ClientCharSet() override;
    std::string DBMSName() override { return "Firebird"; }
    // The database's default character set, trimmed; empty when it has none.
    std::string GetDatabaseCharSet();

    TIBDatabase& ClientDatabase() { return *m_database; }
    TIBTransaction& Transaction() { return *m_transaction; }
    TIBTransaction& DDLTransaction() { return *m_ddlTransaction; }

    // How many attaches the last connect made: 1, whatever the options were,
    // so that the database's ON CONNECT triggers fire once.
    int ConnectAttempts() const { return m_attempts; }

private:
    void SetConnectParams(const std::string& CharSet);
    void ConnectOnce();
    // Commits the DDL transaction before the attachment ends, as isql does
    // at its exit (the server would roll it back).
    void EndDDLTransaction();

    std::unique_ptr<TIBDatabase> m_database;
    std::unique_ptr<TIBTransaction> m_transaction;
    std::unique_ptr<TIBTransaction> m_ddlTransaction;
    std::unique_ptr<TIBDatabaseInfo> m_info;
    std::unique_ptr<TIBServerProperties> m_service;
    int m_attempts = 0;
    std::string m_charSet; // the lc_ctype of the current attachment
};

// The client query whose parameters are written as names (":ID") and sent
// as positional markers. When the SQL lines change, the parameter list is
// rebuilt from the text and keeps the values of parameters that keep their
// names.
class T_IBQuery : public TIBQuery {
public:
    T_IBQuery();
    // While set, a text change only rewrites the text (a stored description
    // being loaded); the parameter list is left alone.
    bool Loading = false;

protected:
    std::string SQLForPrepare() const override { return m_preparedText; }

private:
    void SQLChanged(TStringList& Lines);

    std::function<void(TStringList&)> m_previousHandler;
    std::string m_preparedText;
};

class TQELIBXQuery : public TQELQuery {
public:
    TQELIBXQuery();
    ~TQELIBXQuery() override;
    std::string ClassName() const override { return "TQELIBXQuery"; }

    TStringList* GetSQL() override;
    bool Eof() override;
    void SetParamCheck(bool Value) override;
    bool GetParamCheck() override;
    TParams* GetParams() override;
    bool IsActive() override;
    TFields* GetFields() override;
    void SetDatabase(TQELDatabase* Value) override;
    void First() override;
    void Last() override;
    void Next() override;
    TField* FieldByName(const std::string& Name) override;
    void Open() override;
    void Close() override;
    void ExecSQL() override;
    void ExecSQLDirect() override;
    TParam* ParamByName(const std::string& Name) override;
    void Prepare() override;
    bool IsSingleFloatField(int Index) override;
    TPreparedKind PrepareKind() override;
    std::string Plan() override;
    void UseDDLTransaction(bool Value) override;

    T_IBQuery& Inner() { return *m_query; }

protected:
    void DatabaseGone() override;

private:
    std::unique_ptr<T_IBQuery> m_query;
};

} // namespace qel
