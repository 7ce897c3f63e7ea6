// The database object and query of the ADO back end, over the platform's
// ADO layer (ODBC underneath), and the OLE DB connection string builder.
#pragma once

#include "qelADO.h"
#include "qelDBEngine.h"
#include "qelStrings.h"

#include <memory>

namespace qel {

// The connection string for a server type, in the order the servers' OLE DB
// providers expect:
//   dbMSSQL, host srv, database db, TCP, user sa, password pw ->
//   "Provider=SQLOLEDB;Initial Catalog=db;Data Source=srv;Network Library=DBMSSOCN;
//    Persist Security Info=True;User ID=sa;Password=pw;"
// dbMSAccess and dbCustomOLEDB take DatabaseName as the whole string.
std::string BuildADOConnectionString(TDatabaseType DatabaseType, const std::string& HostName,
                                     const std::string& DatabaseName, TQELProtocol Protocol, int Port,
                                     bool UseWindowsAuthentication, const std::string& Password,
                                     const std::string& UserName);

// The database object: one ADO connection (read committed, no command
// time-out). Connect errors are raised to the connection, which reports them.
class TQELADODatabase : public TQELDatabase {
public:
    explicit TQELADODatabase(TQELCustomConnection* Connection);
    ~TQELADODatabase() override;
    std::string ClassName() const override { return "TQELADODatabase"; }

    bool GetConnected() override;
    void SetConnected(bool Value) override;
    void StartTransaction() override;
    void Commit() override;
    // Rolls the transaction back: a failed statement's batch is undone the
    // same way as over the InterBase back end.
    void Rollback() override;
    bool InTransaction() override;
    // ODBC drivers hand text over as UTF-8 here.
    std::string ClientCharSet() override;
    std::string DBMSName() override;
    bool ListColumns(const std::string& Table, std::vector<TColumnListing>& Columns) override;
    bool StoredValue(const std::string& DeclaredType, TValue& Value) override;

    TADOConnection& ADOConnection() { return *m_connection; }

private:
    std::unique_ptr<TADOConnection> m_connection;
};

// The columns of Table as an ADO connection's catalogue lists them: of the
// table named exactly, else of every table whose name differs from it in
// ASCII case alone (each column names its table as stored); what
// TQELADODatabase and TQELConnectionADO answer.
void ListADOColumns(TADOConnection& Connection, const std::string& Table, std::vector<TColumnListing>& Columns);
// Value as a column of DeclaredType stores it, when Connection reaches SQLite.
bool ADOStoredValue(TADOConnection& Connection, const std::string& DeclaredType, TValue& Value);

// The ADO query with its own SQL lines and parameter list: parameters are
// written as names (":ID") and sent as positional markers; own parameter i
// and ADO parameter i name the same occurrence.
class TADO_Query : public TADOQuery {
public:
    TADO_Query();
    std::string ClassName() const override { return "TADO_Query"; }

    TStringList& OwnSQL() { return m_sql; }
    TParams& OwnParams() { return m_ownParams; }
    // Gives each ADO parameter the value of the own parameter of its index.
    void CopyParamValues();

private:
    void SQLChanged(TStringList& Lines);

    TStringList m_sql;
    TParams m_ownParams;
};

class TQELADOQuery : public TQELQuery {
public:
    TQELADOQuery();
    ~TQELADOQuery() override;
    std::string ClassName() const override { return "TQELADOQuery"; }

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
    TParam* ParamByName(const std::string& Name) override;
    void Prepare() override {}
    bool IsSingleFloatField(int Index) override;

    TADO_Query& Inner() { return *m_query; }
    // Binds the inner query straight to an ADO connection (no database object).
    void BindConnection(TADOConnection* Connection);

protected:
    void DatabaseGone() override;

private:
    std::unique_ptr<TADO_Query> m_query;
};

} // namespace qel
