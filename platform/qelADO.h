// The ADO layer: a connection and a forward-reading query over ODBC, with the
// column listing of a table. The engine's ADO back end is built on it; it
// reaches SQL Server through FreeTDS and PostgreSQL through psqlODBC (see
// qelADOConnString.h for the strings). A string naming the SQLite3 driver
// opens the file through libsqlite3 instead (qelSQLite.h), behind the same
// interface.
//
// Every failing ODBC call raises EODBCError carrying every diagnostic record
// of the call; its message is the records' texts joined by CR LF. SQLite
// failures raise EODBCError with one record. Wrong use
// (reading a closed query, committing without a transaction) raises
// EUsageError. Destructors never throw and never commit.
#pragma once

#include "qelComponent.h"
#include "qelDataSet.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TADOQuery;

// Transaction isolation of a connection, named as ADO names them.
enum class TIsolationLevel : std::uint8_t {
    ilUnspecified, ilChaos, ilReadUncommitted, ilBrowse, ilCursorStability,
    ilReadCommitted, ilRepeatableRead, ilSerializable, ilIsolated
};

// The field type that values of an ODBC SQL type (SQL_INTEGER = 4 ...) are
// read as. ColumnSize is the precision of NUMERIC and DECIMAL: up to 18
// digits ftBCD, beyond ftFMTBcd.
TFieldType FieldTypeOfSQLType(int SQLType, long long ColumnSize);

enum class TColumnNullable : std::uint8_t { cnNoNulls, cnNullable, cnNullableUnknown };

// One column of a table as the driver's catalogue lists it.
struct TADOColumn {
    std::string Catalog;
    std::string Schema;
    std::string TableName;
    std::string ColumnName;
    int DataType = 0;                  // the ODBC SQL type code
    TFieldType FieldType = TFieldType::ftUnknown;
    std::string TypeName;              // the driver's name; SQLite gives the declared text
    long long ColumnSize = 0;          // 0 when the driver gives none
    int DecimalDigits = 0;
    bool HasDecimalDigits = false;     // false when the driver gives none
    TColumnNullable Nullable = TColumnNullable::cnNullableUnknown;
    int OrdinalPosition = 0;
    // A default is declared, or the server fills the column itself.
    bool Filled = false;
};

// The names of the ODBC drivers the driver manager knows ("FreeTDS", ...).
std::vector<std::string> InstalledODBCDrivers();

// A connection to one database. Owns its ODBC environment and connection
// handles while open, and keeps track of the queries bound to it: closing the
// connection closes them and frees their statements; destroying it unbinds
// them. A transaction still open at Close or destruction is rolled back.
class TADOConnection : public TComponent {
public:
    explicit TADOConnection(TComponent* AOwner = nullptr);
    ~TADOConnection() override;

    std::string ClassName() const override { return "TADOConnection"; }

    // OLE DB or ODBC form; translated when the connection opens. Changing it
    // while open raises EUsageError.
    const std::string& ConnectionString() const { return m_connectionString; }
    void SetConnectionString(const std::string& Value);

    // Read when the connection opens. A driver that cannot give the level
    // keeps its own (SQLite is always serializable).
    TIsolationLevel IsolationLevel = TIsolationLevel::ilReadCommitted;
    // Seconds a statement of Execute, GetColumns and of queries that keep
    // their own time-out at -1 may run; 0 means no limit.
    int CommandTimeout = 0;
    // Seconds the login may take, so an unreachable host fails in time.
    int ConnectionTimeout = 15;

    // Translates the connection string, checks that its driver is
    // installed and connects; does nothing when already open.
    void Open();
    // Closes the queries, rolls back an open transaction and disconnects;
    // does nothing when closed.
    void Close();
    bool Connected() const;
    void SetConnected(bool Value) { Value ? Open() : Close(); }

    // The ODBC string of the last Open (password included).
    const std::string& ODBCConnectionString() const { return m_odbcString; }
    // What the driver reports after Open: "PostgreSQL" and "15.0.18", ...
    const std::string& DBMSName() const { return m_dbmsName; }
    const std::string& DBMSVersion() const { return m_dbmsVersion; }
    const std::string& DriverName() const { return m_driverName; }

    // Autocommit is off while a transaction is open and on otherwise. A
    // failed statement inside a transaction on PostgreSQL undoes itself only.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return m_inTransaction; }

    // Runs a statement without parameters; the rows affected, or -1 when
    // the driver does not know.
    std::int64_t Execute(std::string_view SQL);

    // The columns of a table in the driver's order. Table and schema names
    // are taken literally (no wildcards); an empty table name lists the
    // columns of every table, an empty schema or catalog does not restrict.
    std::vector<TADOColumn> GetColumns(std::string_view TableName, std::string_view SchemaName = {},
                                       std::string_view CatalogName = {});

private:
    friend class TADOQuery;
    struct TImpl;

    void CheckOpen(const char* what) const;
    void CloseNoThrow() noexcept;
    void Attach(TADOQuery* Query);
    void Detach(TADOQuery* Query);

    std::unique_ptr<TImpl> m_impl;
    std::string m_connectionString;
    std::string m_odbcString;
    std::string m_dbmsName;
    std::string m_dbmsVersion;
    std::string m_driverName;
    bool m_inTransaction = false;
    std::vector<TADOQuery*> m_queries;
};

// A statement with positional "?" parameters and a forward-only result.
// Owns its ODBC statement handle, its parameters and its fields; the fields
// and their value buffers are made once per Open and refilled row by row.
class TADOQuery : public TComponent {
public:
    explicit TADOQuery(TComponent* AOwner = nullptr);
    ~TADOQuery() override;

    std::string ClassName() const override { return "TADOQuery"; }

    TADOConnection* Connection() const { return m_connection; }
    // Closes the query and binds it to another connection (or none).
    void SetConnection(TADOConnection* Value);

    // Setting the text closes the query; with ParamCheck on, Parameters is
    // rebuilt with one parameter per "?" outside quotes and comments
    // ("Param1", "Param2", ...). Parameter i is bound to marker i + 1.
    const std::string& SQL() const { return m_sql; }
    void SetSQL(std::string_view Value);
    bool ParamCheck() const { return m_paramCheck; }
    void SetParamCheck(bool Value) { m_paramCheck = Value; }
    TParams& Parameters() { return m_params; }
    const TParams& Parameters() const { return m_params; }

    // Seconds the statement may run; 0 means no limit, -1 takes the
    // connection's CommandTimeout.
    int CommandTimeout = -1;

    // Runs the statement and moves to the first row (Eof when there is none).
    // A statement that gives no result set raises EDatabaseError.
    void Open();
    void Close();
    bool Active() const { return m_active; }
    void SetActive(bool Value) { Value ? Open() : Close(); }
    // Runs a statement that gives no result set; the rows affected, or -1
    // when the driver does not know.
    std::int64_t ExecSQL();
    std::int64_t RowsAffected() const { return m_rowsAffected; }

    bool Eof() const { return m_eof; }
    // Reads the next row into the fields.
    void Next();
    // Back to the first row; a forward-only result runs the statement again.
    void First();

    TFields& Fields() { return m_fields; }
    const TFields& Fields() const { return m_fields; }
    TField* FindField(std::string_view Name) const { return m_fields.FindField(Name); }
    TField& FieldByName(std::string_view Name) const { return m_fields.FieldByName(Name); }

private:
    friend class TADOConnection;
    struct TImpl;

    void Prepare();
    void Execute(bool wantResult);
    void BindParameters();
    void DescribeColumns();
    void ReadRow();
    void ReleaseStatement() noexcept;
    void ConnectionGone() noexcept;
    int EffectiveTimeout() const;

    std::unique_ptr<TImpl> m_impl;
    TADOConnection* m_connection = nullptr;
    std::string m_sql;
    bool m_paramCheck = true;
    TParams m_params;
    TFields m_fields;
    bool m_active = false;
    bool m_eof = true;
    std::int64_t m_rowNumber = 0;
    std::int64_t m_rowsAffected = -1;
};

} // namespace qel
