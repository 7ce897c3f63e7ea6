#include "qelADO.h"

#include "qelADOBinding.h"
#include "qelADOConnString.h"
#include "qelErrors.h"
#include "qelSQLite.h"
#include "qelText.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <utility>

namespace qel {

namespace {

// Driver-specific types of SQL Server that FreeTDS reports.
constexpr SQLSMALLINT kSsXml = -152;
constexpr SQLSMALLINT kSsTime2 = -154;

// One ODBC handle, freed when the owner goes. Move-only.
class THandle {
public:
    THandle() = default;
    THandle(SQLSMALLINT type, SQLHANDLE handle) : m_type(type), m_handle(handle) {}
    ~THandle() { Reset(); }
    THandle(THandle&& o) noexcept : m_type(o.m_type), m_handle(std::exchange(o.m_handle, nullptr)) {}
    THandle& operator=(THandle&& o) noexcept
    {
        if (this != &o) {
            Reset();
            m_type = o.m_type;
            m_handle = std::exchange(o.m_handle, nullptr);
        }
        return *this;
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;

    SQLHANDLE Get() const { return m_handle; }
    SQLSMALLINT Type() const { return m_type; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset() noexcept
    {
        if (m_handle) SQLFreeHandle(m_type, m_handle);
        m_handle = nullptr;
    }

private:
    SQLSMALLINT m_type = 0;
    SQLHANDLE m_handle = nullptr;
};

std::vector<TODBCDiagRecord> DiagRecords(SQLSMALLINT type, SQLHANDLE handle)
{
    std::vector<TODBCDiagRecord> records;
    if (!handle) return records;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::vector<SQLCHAR> text(1024);
        SQLSMALLINT len = 0;
        SQLRETURN rc = SQLGetDiagRec(type, handle, i, state, &native, text.data(), static_cast<SQLSMALLINT>(text.size()), &len);
        if (rc == SQL_SUCCESS_WITH_INFO && len >= static_cast<SQLSMALLINT>(text.size())) {
            text.resize(static_cast<size_t>(len) + 1);
            rc = SQLGetDiagRec(type, handle, i, state, &native, text.data(), static_cast<SQLSMALLINT>(text.size()), &len);
        }
        if (!SQL_SUCCEEDED(rc)) break;
        TODBCDiagRecord r;
        r.SQLState = reinterpret_cast<const char*>(state);
        r.NativeError = native;
        r.Text.assign(reinterpret_cast<const char*>(text.data()), std::min<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(len, 0)), text.size() - 1));
        records.push_back(std::move(r));
    }
    return records;
}

[[noreturn]] void Raise(SQLSMALLINT type, SQLHANDLE handle, SQLRETURN rc, const char* call)
{
    auto records = DiagRecords(type, handle);
    std::string message;
    for (const auto& r : records) {
        if (!message.empty()) message += CRLF;
        message += r.Text;
    }
    if (message.empty()) message = std::string(call) + " failed (return code " + IntToStr(rc) + ") without a diagnostic record.";
    throw EODBCError(message, std::move(records));
}

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* call)
{
    if (!SQL_SUCCEEDED(rc)) Raise(type, handle, rc, call);
}

THandle AllocHandle(SQLSMALLINT type, const THandle& parent, const char* what)
{
    SQLHANDLE h = nullptr;
    const SQLRETURN rc = SQLAllocHandle(type, parent ? parent.Get() : SQL_NULL_HANDLE, &h);
    if (!SQL_SUCCEEDED(rc)) {
        THandle failed(type, h);
        if (parent) Raise(parent.Type(), parent.Get(), rc, what);
        Raise(type, h, rc, what);
    }
    return THandle(type, h);
}

THandle NewEnvironment()
{
    THandle env = AllocHandle(SQL_HANDLE_ENV, THandle(), "SQLAllocHandle(ENV)");
    Check(SQLSetEnvAttr(env.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0), SQL_HANDLE_ENV,
          env.Get(), "SQLSetEnvAttr");
    return env;
}

std::vector<std::string> DriversOf(const THandle& env)
{
    std::vector<std::string> drivers;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLCHAR name[512];
        SQLCHAR attrs[2048];
        SQLSMALLINT nameLen = 0, attrLen = 0;
        const SQLRETURN rc = SQLDrivers(env.Get(), direction, name, sizeof name, &nameLen, attrs, sizeof attrs, &attrLen);
        if (rc == SQL_NO_DATA) break;
        Check(rc, SQL_HANDLE_ENV, env.Get(), "SQLDrivers");
        drivers.emplace_back(reinterpret_cast<const char*>(name));
        direction = SQL_FETCH_NEXT;
    }
    return drivers;
}

std::string InfoText(SQLHDBC dbc, SQLUSMALLINT item)
{
    SQLCHAR buf[512] = {};
    SQLSMALLINT len = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(dbc, item, buf, sizeof buf, &len))) return {};
    return reinterpret_cast<const char*>(buf);
}

SQLULEN IsolationOf(TIsolationLevel level)
{
    switch (level) {
    case TIsolationLevel::ilChaos:
    case TIsolationLevel::ilReadUncommitted:
    case TIsolationLevel::ilBrowse: return SQL_TXN_READ_UNCOMMITTED;
    case TIsolationLevel::ilCursorStability:
    case TIsolationLevel::ilReadCommitted: return SQL_TXN_READ_COMMITTED;
    case TIsolationLevel::ilRepeatableRead: return SQL_TXN_REPEATABLE_READ;
    case TIsolationLevel::ilSerializable:
    case TIsolationLevel::ilIsolated: return SQL_TXN_SERIALIZABLE;
    case TIsolationLevel::ilUnspecified: break;
    }
    return 0;
}

void SetQueryTimeout(SQLHSTMT stmt, int seconds)
{
    Check(SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(seconds)), 0),
          SQL_HANDLE_STMT, stmt, "SQLSetStmtAttr(QUERY_TIMEOUT)");
}

// A catalogue argument taken literally: the driver's escape before "_" and
// "%", which are wildcards in these arguments.
std::string LiteralPattern(std::string_view name, const std::string& escape)
{
    if (escape.empty()) return std::string(name);
    std::string r;
    for (char c : name) {
        if (c == '_' || c == '%' || escape.find(c) == 0) r += escape;
        r += c;
    }
    return r;
}

// Counts the "?" markers outside quoted runs and comments.
int CountParamMarkers(std::string_view sql)
{
    int count = 0;
    const size_t n = sql.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            const char close = c == '[' ? ']' : c;
            const size_t end = sql.find(close, i + 1);
            if (end == std::string_view::npos) break;
            i = end;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            const size_t end = sql.find('\n', i);
            if (end == std::string_view::npos) break;
            i = end;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            const size_t end = sql.find("*/", i + 2);
            if (end == std::string_view::npos) break;
            i = end + 1;
        } else if (c == '?') {
            ++count;
        }
    }
    return count;
}

// The older SQLite driver says no more than "connect failed"; name the file
// and what is wrong with it.
std::string SqliteHint(const std::string& odbcString)
{
    std::string driver, database;
    try {
        for (const auto& it : SplitConnectionString(odbcString, false)) {
            if (SameText(it.Key, "Driver")) driver = LowerCase(it.Value);
            else if (SameText(it.Key, "Database")) database = it.Value;
        }
    } catch (const EDatabaseError&) {
        return {};
    }
    if (driver.find("sqlite") == std::string::npos || database.empty()) return {};
    return SQLiteOpenHint(database);
}

// The ODBC type code that stands for a field type in a column listing.
int SQLTypeOf(TFieldType t)
{
    switch (t) {
    case TFieldType::ftSmallint: return SQL_SMALLINT;
    case TFieldType::ftInteger: return SQL_INTEGER;
    case TFieldType::ftLargeint: return SQL_BIGINT;
    case TFieldType::ftFloat: return SQL_DOUBLE;
    case TFieldType::ftBoolean: return SQL_BIT;
    case TFieldType::ftDate: return SQL_TYPE_DATE;
    case TFieldType::ftTime: return SQL_TYPE_TIME;
    case TFieldType::ftDateTime: return SQL_TYPE_TIMESTAMP;
    case TFieldType::ftMemo: return SQL_LONGVARCHAR;
    case TFieldType::ftVarBytes: return SQL_VARBINARY;
    case TFieldType::ftBlob: return SQL_LONGVARBINARY;
    default: return SQL_VARCHAR;
    }
}

} // namespace

TFieldType FieldTypeOfSQLType(int SQLType, long long ColumnSize)
{
    switch (SQLType) {
    case SQL_TINYINT:
    case SQL_SMALLINT: return TFieldType::ftSmallint;
    case SQL_INTEGER: return TFieldType::ftInteger;
    case SQL_BIGINT: return TFieldType::ftLargeint;
    case SQL_NUMERIC:
    case SQL_DECIMAL: return ColumnSize > 0 && ColumnSize <= 18 ? TFieldType::ftBCD : TFieldType::ftFMTBcd;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: return TFieldType::ftFloat;
    case SQL_TYPE_DATE:
    case SQL_DATE: return TFieldType::ftDate;
    case SQL_TYPE_TIME:
    case SQL_TIME:
    case kSsTime2: return TFieldType::ftTime;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: return TFieldType::ftDateTime;
    case SQL_CHAR: return TFieldType::ftFixedChar;
    case SQL_VARCHAR: return TFieldType::ftString;
    case SQL_WCHAR:
    case SQL_WVARCHAR: return TFieldType::ftWideString;
    case SQL_LONGVARCHAR: return TFieldType::ftMemo;
    case SQL_WLONGVARCHAR:
    case kSsXml: return TFieldType::ftWideMemo;
    case SQL_BINARY: return TFieldType::ftBytes;
    case SQL_VARBINARY: return TFieldType::ftVarBytes;
    case SQL_LONGVARBINARY: return TFieldType::ftBlob;
    case SQL_BIT: return TFieldType::ftBoolean;
    case SQL_GUID: return TFieldType::ftGuid;
    default:
        // Intervals, variants and driver types: their text.
        return ColumnSize <= 0 || ColumnSize > static_cast<long long>(kMaxShortText) ? TFieldType::ftMemo : TFieldType::ftString;
    }
}

std::vector<std::string> InstalledODBCDrivers()
{
    return DriversOf(NewEnvironment());
}

// ---------------------------------------------------------------------------
// TADOConnection

// An ODBC connection, or a SQLite file opened through libsqlite3 when the
// string's driver is the SQLite3 driver.
struct TADOConnection::TImpl {
    THandle env;
    THandle dbc;
    std::unique_ptr<TSQLiteDatabase> lite;
};

TADOConnection::TADOConnection(TComponent* AOwner) : TComponent(AOwner), m_impl(std::make_unique<TImpl>()) {}

TADOConnection::~TADOConnection()
{
    CloseNoThrow();
    for (TADOQuery* q : std::vector<TADOQuery*>(m_queries)) q->ConnectionGone();
    m_queries.clear();
}

void TADOConnection::SetConnectionString(const std::string& Value)
{
    if (Value == m_connectionString) return;
    if (Connected()) throw EUsageError("The connection string cannot change while the connection is open.");
    m_connectionString = Value;
}

bool TADOConnection::Connected() const { return m_impl->dbc || m_impl->lite; }

void TADOConnection::CheckOpen(const char* what) const
{
    if (!Connected()) throw EUsageError(std::string(what) + ": the connection is not open.");
}

void TADOConnection::Open()
{
    if (Connected()) return;
    const TODBCTarget target = TranslateConnectionString(m_connectionString);
    m_inTransaction = false;
    if (TSQLiteTarget file; SQLiteTargetOf(target.ConnectionString, file)) {
        // The SQLite3 driver reads and writes REAL values through 15-digit
        // text and holds whole results in memory: libsqlite3 does neither.
        m_impl->lite = std::make_unique<TSQLiteDatabase>(file);
        m_dbmsName = "SQLite";
        m_dbmsVersion = SQLiteLibraryVersion();
        m_driverName = "libsqlite3";
        m_odbcString = target.ConnectionString;
        return;
    }
    THandle env = NewEnvironment();
    if (!target.Driver.empty()) CheckDriverInstalled(target, DriversOf(env));
    THandle dbc = AllocHandle(SQL_HANDLE_DBC, env, "SQLAllocHandle(DBC)");
    if (ConnectionTimeout > 0)
        Check(SQLSetConnectAttr(dbc.Get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(ConnectionTimeout)), 0),
              SQL_HANDLE_DBC, dbc.Get(), "SQLSetConnectAttr(LOGIN_TIMEOUT)");
    std::string text = target.ConnectionString;
    try {
        Check(SQLDriverConnect(dbc.Get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLSMALLINT>(text.size()),
                               nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
              SQL_HANDLE_DBC, dbc.Get(), "SQLDriverConnect");
    } catch (const EODBCError& e) {
        const std::string hint = SqliteHint(text);
        if (hint.empty()) throw;
        throw EODBCError(std::string(e.what()) + CRLF + hint, e.Records());
    }
    try {
        if (const SQLULEN level = IsolationOf(IsolationLevel)) {
            SQLUINTEGER supported = 0;
            if (SQL_SUCCEEDED(SQLGetInfo(dbc.Get(), SQL_TXN_ISOLATION_OPTION, &supported, sizeof supported, nullptr)) &&
                (supported & level) != 0)
                Check(SQLSetConnectAttr(dbc.Get(), SQL_ATTR_TXN_ISOLATION, reinterpret_cast<SQLPOINTER>(level), 0), SQL_HANDLE_DBC,
                      dbc.Get(), "SQLSetConnectAttr(TXN_ISOLATION)");
        }
    } catch (...) {
        SQLDisconnect(dbc.Get());
        throw;
    }
    m_dbmsName = InfoText(dbc.Get(), SQL_DBMS_NAME);
    m_dbmsVersion = InfoText(dbc.Get(), SQL_DBMS_VER);
    m_driverName = InfoText(dbc.Get(), SQL_DRIVER_NAME);
    m_odbcString = target.ConnectionString;
    m_impl->env = std::move(env);
    m_impl->dbc = std::move(dbc);
}

void TADOConnection::CloseNoThrow() noexcept
{
    if (!Connected()) return;
    for (TADOQuery* q : m_queries) q->ReleaseStatement();
    if (m_impl->lite) {
        m_impl->lite.reset(); // closing the file rolls back
        m_inTransaction = false;
        return;
    }
    SQLHDBC dbc = m_impl->dbc.Get();
    if (m_inTransaction) {
        SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
        SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
        m_inTransaction = false;
    }
    SQLDisconnect(dbc);
    m_impl->dbc.Reset();
    m_impl->env.Reset();
}

void TADOConnection::Close()
{
    if (!Connected()) return;
    for (TADOQuery* q : m_queries) q->ReleaseStatement();
    if (m_impl->lite) {
        // Closing never commits: work not committed on purpose is undone.
        const bool rollback = std::exchange(m_inTransaction, false);
        const std::unique_ptr<TSQLiteDatabase> file = std::move(m_impl->lite);
        if (rollback) file->Rollback();
        return;
    }
    SQLHDBC dbc = m_impl->dbc.Get();
    std::vector<TODBCDiagRecord> records;
    if (m_inTransaction) {
        // Closing never commits: work not committed on purpose is undone.
        if (!SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK))) records = DiagRecords(SQL_HANDLE_DBC, dbc);
        SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
        m_inTransaction = false;
    }
    const SQLRETURN rc = SQLDisconnect(dbc);
    if (!SQL_SUCCEEDED(rc)) {
        auto more = DiagRecords(SQL_HANDLE_DBC, dbc);
        records.insert(records.end(), more.begin(), more.end());
    }
    m_impl->dbc.Reset();
    m_impl->env.Reset();
    if (!records.empty()) {
        std::string message;
        for (const auto& r : records) message += (message.empty() ? "" : CRLF) + r.Text;
        throw EODBCError(message, std::move(records));
    }
}

void TADOConnection::BeginTrans()
{
    CheckOpen("BeginTrans");
    if (m_inTransaction) throw EUsageError("BeginTrans: a transaction is already open.");
    if (m_impl->lite) {
        m_impl->lite->Begin();
        m_inTransaction = true;
        return;
    }
    SQLHDBC dbc = m_impl->dbc.Get();
    Check(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0), SQL_HANDLE_DBC, dbc,
          "SQLSetConnectAttr(AUTOCOMMIT)");
    m_inTransaction = true;
}

void TADOConnection::CommitTrans()
{
    CheckOpen("CommitTrans");
    if (!m_inTransaction) throw EUsageError("CommitTrans: no transaction is open.");
    if (m_impl->lite) {
        m_impl->lite->Commit();
        m_inTransaction = false;
        return;
    }
    SQLHDBC dbc = m_impl->dbc.Get();
    // A failed commit leaves the transaction open for the caller's rollback.
    Check(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT), SQL_HANDLE_DBC, dbc, "SQLEndTran(COMMIT)");
    Check(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0), SQL_HANDLE_DBC, dbc,
          "SQLSetConnectAttr(AUTOCOMMIT)");
    m_inTransaction = false;
}

void TADOConnection::RollbackTrans()
{
    CheckOpen("RollbackTrans");
    if (!m_inTransaction) throw EUsageError("RollbackTrans: no transaction is open.");
    if (m_impl->lite) {
        m_impl->lite->Rollback();
        m_inTransaction = false;
        return;
    }
    SQLHDBC dbc = m_impl->dbc.Get();
    Check(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK), SQL_HANDLE_DBC, dbc, "SQLEndTran(ROLLBACK)");
    Check(SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0), SQL_HANDLE_DBC, dbc,
          "SQLSetConnectAttr(AUTOCOMMIT)");
    m_inTransaction = false;
}

std::int64_t TADOConnection::Execute(std::string_view SQL)
{
    CheckOpen("Execute");
    if (m_impl->lite) return m_impl->lite->Execute(SQL, CommandTimeout);
    THandle stmt = AllocHandle(SQL_HANDLE_STMT, m_impl->dbc, "SQLAllocHandle(STMT)");
    if (CommandTimeout > 0) SetQueryTimeout(stmt.Get(), CommandTimeout);
    std::string text(SQL);
    const SQLRETURN rc = SQLExecDirect(stmt.Get(), reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size()));
    if (rc == SQL_NO_DATA) return 0;
    Check(rc, SQL_HANDLE_STMT, stmt.Get(), "SQLExecDirect");
    SQLLEN rows = -1;
    if (!SQL_SUCCEEDED(SQLRowCount(stmt.Get(), &rows))) rows = -1;
    return rows;
}

namespace {

// Reads one column of the current catalogue row as text; Null gives "".
bool GetText(SQLHSTMT stmt, SQLUSMALLINT col, std::string& out)
{
    out.clear();
    char buf[1024];
    for (;;) {
        SQLLEN ind = 0;
        const SQLRETURN rc = SQLGetData(stmt, col, SQL_C_CHAR, buf, sizeof buf, &ind);
        if (rc == SQL_NO_DATA) return true;
        Check(rc, SQL_HANDLE_STMT, stmt, "SQLGetData");
        if (ind == SQL_NULL_DATA) return false;
        if (ind != SQL_NO_TOTAL && ind < static_cast<SQLLEN>(sizeof buf)) {
            out.append(buf, static_cast<size_t>(ind));
            return true;
        }
        out.append(buf, sizeof buf - 1);
    }
}

bool GetInt(SQLHSTMT stmt, SQLUSMALLINT col, long long& out)
{
    SQLBIGINT v = 0;
    SQLLEN ind = 0;
    Check(SQLGetData(stmt, col, SQL_C_SBIGINT, &v, sizeof v, &ind), SQL_HANDLE_STMT, stmt, "SQLGetData");
    out = ind == SQL_NULL_DATA ? 0 : v;
    return ind != SQL_NULL_DATA;
}

} // namespace

std::vector<TADOColumn> TADOConnection::GetColumns(std::string_view TableName, std::string_view SchemaName,
                                                    std::string_view CatalogName)
{
    CheckOpen("GetColumns");
    if (m_impl->lite) {
        std::vector<TADOColumn> columns = m_impl->lite->Columns(TableName, SchemaName, CommandTimeout);
        for (TADOColumn& c : columns) c.DataType = SQLTypeOf(c.FieldType);
        return columns;
    }
    SQLHDBC dbc = m_impl->dbc.Get();
    const std::string escape = InfoText(dbc, SQL_SEARCH_PATTERN_ESCAPE);
    std::string table = LiteralPattern(TableName, escape);
    std::string schema = LiteralPattern(SchemaName, escape);
    std::string catalog(CatalogName);
    THandle stmt = AllocHandle(SQL_HANDLE_STMT, m_impl->dbc, "SQLAllocHandle(STMT)");
    if (CommandTimeout > 0) SetQueryTimeout(stmt.Get(), CommandTimeout);
    auto arg = [](std::string& s) { return s.empty() ? nullptr : reinterpret_cast<SQLCHAR*>(s.data()); };
    auto len = [](const std::string& s) { return static_cast<SQLSMALLINT>(s.empty() ? 0 : s.size()); };
    Check(SQLColumns(stmt.Get(), arg(catalog), len(catalog), arg(schema), len(schema), arg(table), len(table), nullptr, 0),
          SQL_HANDLE_STMT, stmt.Get(), "SQLColumns");
    SQLSMALLINT resultColumns = 0;
    Check(SQLNumResultCols(stmt.Get(), &resultColumns), SQL_HANDLE_STMT, stmt.Get(), "SQLNumResultCols");

    std::vector<TADOColumn> columns;
    for (;;) {
        const SQLRETURN rc = SQLFetch(stmt.Get());
        if (rc == SQL_NO_DATA) break;
        Check(rc, SQL_HANDLE_STMT, stmt.Get(), "SQLFetch");
        TADOColumn c;
        long long v = 0;
        GetText(stmt.Get(), 1, c.Catalog);
        GetText(stmt.Get(), 2, c.Schema);
        GetText(stmt.Get(), 3, c.TableName);
        GetText(stmt.Get(), 4, c.ColumnName);
        GetInt(stmt.Get(), 5, v);
        c.DataType = static_cast<int>(v);
        GetText(stmt.Get(), 6, c.TypeName);
        if (GetInt(stmt.Get(), 7, v)) c.ColumnSize = v;
        if (GetInt(stmt.Get(), 9, v)) {
            c.DecimalDigits = static_cast<int>(v);
            c.HasDecimalDigits = true;
        }
        if (GetInt(stmt.Get(), 11, v))
            c.Nullable = v == SQL_NO_NULLS ? TColumnNullable::cnNoNulls
                       : v == SQL_NULLABLE ? TColumnNullable::cnNullable
                                           : TColumnNullable::cnNullableUnknown;
        if (resultColumns >= 17 && GetInt(stmt.Get(), 17, v)) c.OrdinalPosition = static_cast<int>(v);
        else c.OrdinalPosition = static_cast<int>(columns.size()) + 1;
        c.FieldType = FieldTypeOfSQLType(c.DataType, c.ColumnSize);
        if (std::string def; resultColumns >= 13 && GetText(stmt.Get(), 13, def)) c.Filled = !def.empty();
        columns.push_back(std::move(c));
    }
    return columns;
}

void TADOConnection::Attach(TADOQuery* Query)
{
    if (std::find(m_queries.begin(), m_queries.end(), Query) == m_queries.end()) m_queries.push_back(Query);
}

void TADOConnection::Detach(TADOQuery* Query)
{
    m_queries.erase(std::remove(m_queries.begin(), m_queries.end(), Query), m_queries.end());
}

// ---------------------------------------------------------------------------
// TADOQuery

namespace {

// How a result column is read into its field.
enum class TReadAs : std::uint8_t { Integer, Double, Bit, Decimal, Date, Time, TimeStamp, Text, Binary };

struct TColumnReader {
    TField* Field = nullptr;
    TReadAs ReadAs = TReadAs::Text;
    SQLULEN Size = 0;
};

TReadAs ReadAsFor(TFieldType t)
{
    switch (t) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftLargeint: return TReadAs::Integer;
    case TFieldType::ftFloat: return TReadAs::Double;
    case TFieldType::ftBoolean: return TReadAs::Bit;
    case TFieldType::ftBCD:
    case TFieldType::ftFMTBcd: return TReadAs::Decimal;
    case TFieldType::ftDate: return TReadAs::Date;
    // Times are read as text: the ODBC time structure has no fraction.
    case TFieldType::ftTime: return TReadAs::Time;
    case TFieldType::ftDateTime: return TReadAs::TimeStamp;
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
    case TFieldType::ftBlob: return TReadAs::Binary;
    default: return TReadAs::Text;
    }
}

} // namespace

// An ODBC statement, or the prepared text of a SQLite file.
struct TADOQuery::TImpl {
    std::unique_ptr<TSQLiteStatement> lite;
    std::vector<TSQLiteParam> liteParams;
    THandle stmt;
    std::string preparedSQL;
    bool prepared = false;
    SQLSMALLINT markerCount = -1;
    int timeout = 0;
    std::vector<TColumnReader> readers;
    std::vector<char> scratch;
    std::vector<TParamBuffer> params;
};

TADOQuery::TADOQuery(TComponent* AOwner) : TComponent(AOwner), m_impl(std::make_unique<TImpl>()) {}

TADOQuery::~TADOQuery()
{
    ReleaseStatement();
    if (m_connection) m_connection->Detach(this);
}

void TADOQuery::SetConnection(TADOConnection* Value)
{
    if (Value == m_connection) return;
    ReleaseStatement();
    if (m_connection) m_connection->Detach(this);
    m_connection = Value;
    if (m_connection) m_connection->Attach(this);
}

void TADOQuery::SetSQL(std::string_view Value)
{
    Close();
    m_sql = std::string(Value);
    if (m_paramCheck) {
        m_params.Clear();
        const int n = CountParamMarkers(m_sql);
        for (int i = 1; i <= n; ++i) m_params.CreateParam(TFieldType::ftUnknown, "Param" + IntToStr(i));
    }
}

int TADOQuery::EffectiveTimeout() const
{
    if (CommandTimeout >= 0) return CommandTimeout;
    return m_connection ? std::max(m_connection->CommandTimeout, 0) : 0;
}

void TADOQuery::ReleaseStatement() noexcept
{
    m_active = false;
    m_eof = true;
    m_fields.Clear();
    m_impl->readers.clear();
    m_impl->lite.reset();
    m_impl->stmt.Reset();
    m_impl->prepared = false;
    m_impl->preparedSQL.clear();
    m_impl->markerCount = -1;
}

void TADOQuery::ConnectionGone() noexcept
{
    ReleaseStatement();
    m_connection = nullptr;
}

void TADOQuery::Close()
{
    if (m_impl->lite) m_impl->lite->Reset();
    if (m_impl->stmt) SQLFreeStmt(m_impl->stmt.Get(), SQL_CLOSE);
    m_active = false;
    m_eof = true;
    m_rowNumber = 0;
    m_fields.Clear();
    m_impl->readers.clear();
}

void TADOQuery::Prepare()
{
    if (!m_connection) throw EUsageError(ClassName() + ": no connection is assigned.");
    m_connection->CheckOpen(ClassName().c_str());
    if (Trim(m_sql).empty()) throw EUsageError(ClassName() + ": the SQL text is empty.");
    if (TSQLiteDatabase* file = m_connection->m_impl->lite.get()) {
        if (!m_impl->lite || m_impl->preparedSQL != m_sql) {
            m_impl->lite.reset();
            m_impl->preparedSQL.clear();
            m_impl->lite = std::make_unique<TSQLiteStatement>(*file, m_sql);
            m_impl->markerCount = static_cast<SQLSMALLINT>(m_impl->lite->ParamCount());
            m_impl->preparedSQL = m_sql;
        }
        return;
    }
    if (!m_impl->stmt) {
        m_impl->stmt = AllocHandle(SQL_HANDLE_STMT, m_connection->m_impl->dbc, "SQLAllocHandle(STMT)");
        m_impl->timeout = 0;
    }
    SQLHSTMT stmt = m_impl->stmt.Get();
    // Only a change is set, so a driver without time-outs still runs
    // statements that ask for none.
    if (const int timeout = EffectiveTimeout(); timeout != m_impl->timeout) {
        SetQueryTimeout(stmt, timeout);
        m_impl->timeout = timeout;
    }
    if (!m_impl->prepared || m_impl->preparedSQL != m_sql) {
        m_impl->prepared = false;
        SQLFreeStmt(stmt, SQL_RESET_PARAMS);
        Check(SQLPrepare(stmt, reinterpret_cast<SQLCHAR*>(m_sql.data()), static_cast<SQLINTEGER>(m_sql.size())), SQL_HANDLE_STMT, stmt,
              "SQLPrepare");
        SQLSMALLINT n = -1;
        m_impl->markerCount = SQL_SUCCEEDED(SQLNumParams(stmt, &n)) ? n : -1;
        m_impl->preparedSQL = m_sql;
        m_impl->prepared = true;
    }
}

void TADOQuery::BindParameters()
{
    SQLHSTMT stmt = m_impl->stmt.Get();
    const int count = m_params.Count();
    if (m_impl->markerCount >= 0 && m_impl->markerCount != count)
        throw EUsageError(ClassName() + ": the statement has " + IntToStr(m_impl->markerCount) + " parameter markers but " +
                          IntToStr(count) + " parameters are given.");
    if (m_impl->lite) {
        m_impl->liteParams.clear();
        for (int i = 0; i < count; ++i) m_impl->liteParams.push_back(TSQLiteParam{BindingType(m_params[i]), &m_params[i].Value()});
        return;
    }
    SQLFreeStmt(stmt, SQL_RESET_PARAMS);
    m_impl->params.assign(static_cast<size_t>(count), TParamBuffer());
    for (int i = 0; i < count; ++i) {
        const SQLUSMALLINT number = static_cast<SQLUSMALLINT>(i + 1);
        TParamBuffer& buffer = m_impl->params[static_cast<size_t>(i)];
        TBinding b = BindingFor(m_params[i], buffer);
        if (b.Untyped) {
            // Null of no particular type: what the driver expects there.
            SQLSMALLINT type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            if (SQL_SUCCEEDED(SQLDescribeParam(stmt, number, &type, &size, &digits, &nullable)) && type != SQL_UNKNOWN_TYPE) {
                b.SQLType = type;
                b.Size = std::max<SQLULEN>(size, 1);
                b.Digits = digits;
            }
        }
        Check(SQLBindParameter(stmt, number, SQL_PARAM_INPUT, b.CType, b.SQLType, b.Size, b.Digits, b.Data, b.Length, &buffer.Indicator),
              SQL_HANDLE_STMT, stmt, "SQLBindParameter");
    }
}

void TADOQuery::Execute(bool wantResult)
{
    Close();
    Prepare();
    BindParameters();
    m_rowsAffected = -1;
    if (TSQLiteStatement* lite = m_impl->lite.get()) {
        if (!wantResult) {
            m_rowsAffected = lite->ExecSQL(m_impl->liteParams, EffectiveTimeout());
            return;
        }
        // Checked before the text runs, so that nothing has happened.
        if (!lite->ReturnsRows()) throw EDatabaseError(ClassName() + ": the statement returned no result set.");
        const bool row = lite->Open(m_impl->liteParams, EffectiveTimeout(), m_fields);
        m_active = true;
        m_eof = !row;
        m_rowNumber = row ? 1 : 0;
        return;
    }
    SQLHSTMT stmt = m_impl->stmt.Get();
    const SQLRETURN rc = SQLExecute(stmt);
    if (rc == SQL_NO_DATA) {
        m_rowsAffected = 0;
    } else {
        Check(rc, SQL_HANDLE_STMT, stmt, "SQLExecute");
        SQLLEN rows = -1;
        if (SQL_SUCCEEDED(SQLRowCount(stmt, &rows))) m_rowsAffected = rows;
    }
    if (!wantResult) {
        SQLFreeStmt(stmt, SQL_CLOSE);
        return;
    }
    // Row counts of a batch may come before its rows.
    SQLSMALLINT columns = 0;
    while (rc != SQL_NO_DATA) {
        Check(SQLNumResultCols(stmt, &columns), SQL_HANDLE_STMT, stmt, "SQLNumResultCols");
        if (columns > 0) break;
        const SQLRETURN more = SQLMoreResults(stmt);
        if (more == SQL_NO_DATA) break;
        Check(more, SQL_HANDLE_STMT, stmt, "SQLMoreResults");
    }
    if (columns <= 0) {
        SQLFreeStmt(stmt, SQL_CLOSE);
        throw EDatabaseError(ClassName() + ": the statement returned no result set.");
    }
    DescribeColumns();
    m_active = true;
    m_eof = false;
    m_rowNumber = 0;
    Next();
}

void TADOQuery::DescribeColumns()
{
    SQLHSTMT stmt = m_impl->stmt.Get();
    SQLSMALLINT count = 0;
    Check(SQLNumResultCols(stmt, &count), SQL_HANDLE_STMT, stmt, "SQLNumResultCols");
    m_fields.Clear();
    m_impl->readers.clear();
    std::vector<SQLCHAR> name(256);
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(count); ++c) {
        SQLSMALLINT nameLen = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        Check(SQLDescribeCol(stmt, c, name.data(), static_cast<SQLSMALLINT>(name.size()), &nameLen, &type, &size, &digits, &nullable),
              SQL_HANDLE_STMT, stmt, "SQLDescribeCol");
        if (nameLen >= static_cast<SQLSMALLINT>(name.size())) {
            name.resize(static_cast<size_t>(nameLen) + 1);
            Check(SQLDescribeCol(stmt, c, name.data(), static_cast<SQLSMALLINT>(name.size()), &nameLen, &type, &size, &digits, &nullable),
                  SQL_HANDLE_STMT, stmt, "SQLDescribeCol");
        }
        const TFieldType ft = FieldTypeOfSQLType(type, static_cast<long long>(size));
        const bool numeric = ft == TFieldType::ftBCD || ft == TFieldType::ftFMTBcd;
        const int fieldSize = size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size);
        TField& f = m_fields.Add(std::make_unique<TField>(std::string(reinterpret_cast<const char*>(name.data()), static_cast<size_t>(std::max<SQLSMALLINT>(nameLen, 0))),
                                                          ft, numeric ? 0 : fieldSize, numeric ? fieldSize : 0, digits));
        m_impl->readers.push_back(TColumnReader{&f, ReadAsFor(ft), size});
    }
}

namespace {

// Reads a character or binary column of any length in chunks into scratch;
// false for Null.
bool ReadLong(SQLHSTMT stmt, SQLUSMALLINT col, bool binary, SQLULEN hint, std::vector<char>& scratch, size_t& length)
{
    const size_t terminator = binary ? 0 : 1;
    const size_t first = std::clamp<size_t>(hint == 0 ? 65536 : static_cast<size_t>(hint) * 4 + 1, 256, 65536);
    if (scratch.size() < first) scratch.resize(first);
    length = 0;
    for (bool initial = true;; initial = false) {
        const size_t room = scratch.size() - length;
        SQLLEN ind = 0;
        const SQLRETURN rc = SQLGetData(stmt, col, binary ? SQL_C_BINARY : SQL_C_CHAR, scratch.data() + length,
                                        static_cast<SQLLEN>(room), &ind);
        if (rc == SQL_NO_DATA) {
            // Nothing more after a chunk that filled its buffer exactly.
            if (initial) length = 0;
            return true;
        }
        Check(rc, SQL_HANDLE_STMT, stmt, "SQLGetData");
        if (ind == SQL_NULL_DATA) return false;
        if (ind != SQL_NO_TOTAL && static_cast<size_t>(ind) + terminator <= room) {
            length += static_cast<size_t>(ind);
            return true;
        }
        // Truncated: keep what came and make room for the rest.
        length += room - terminator;
        const size_t wanted = ind == SQL_NO_TOTAL ? scratch.size() * 2 : length + (static_cast<size_t>(ind) - (room - terminator)) + terminator;
        if (scratch.size() < wanted) scratch.resize(std::max(wanted, scratch.size() + 4096));
    }
}

} // namespace

void TADOQuery::ReadRow()
{
    SQLHSTMT stmt = m_impl->stmt.Get();
    for (size_t i = 0; i < m_impl->readers.size(); ++i) {
        const TColumnReader& r = m_impl->readers[i];
        const SQLUSMALLINT col = static_cast<SQLUSMALLINT>(i + 1);
        TValue& value = r.Field->MutableValue();
        SQLLEN ind = 0;
        try {
            switch (r.ReadAs) {
            case TReadAs::Integer: {
                SQLBIGINT v = 0;
                Check(SQLGetData(stmt, col, SQL_C_SBIGINT, &v, sizeof v, &ind), SQL_HANDLE_STMT, stmt, "SQLGetData");
                if (ind == SQL_NULL_DATA) value.Clear();
                else value.SetInteger(v);
                break;
            }
            case TReadAs::Double: {
                double v = 0;
                Check(SQLGetData(stmt, col, SQL_C_DOUBLE, &v, sizeof v, &ind), SQL_HANDLE_STMT, stmt, "SQLGetData");
                if (ind == SQL_NULL_DATA) value.Clear();
                else value.SetFloat(v);
                break;
            }
            case TReadAs::Bit: {
                unsigned char v = 0;
                Check(SQLGetData(stmt, col, SQL_C_BIT, &v, sizeof v, &ind), SQL_HANDLE_STMT, stmt, "SQLGetData");
                if (ind == SQL_NULL_DATA) value.Clear();
                else value.SetBoolean(v != 0);
                break;
            }
            case TReadAs::Date: {
                SQL_DATE_STRUCT d{};
                Check(SQLGetData(stmt, col, SQL_C_TYPE_DATE, &d, sizeof d, &ind), SQL_HANDLE_STMT, stmt, "SQLGetData");
                if (ind == SQL_NULL_DATA) {
                    value.Clear();
                } else {
                    TDateTimeValue v;
                    v.Year = d.year;
                    v.Month = d.month;
                    v.Day = d.day;
                    value.SetDate(v);
                }
                break;
            }
            case TReadAs::TimeStamp: {
                SQL_TIMESTAMP_STRUCT t{};
                Check(SQLGetData(stmt, col, SQL_C_TYPE_TIMESTAMP, &t, sizeof t, &ind), SQL_HANDLE_STMT, stmt, "SQLGetData");
                if (ind == SQL_NULL_DATA) {
                    value.Clear();
                } else {
                    TDateTimeValue v;
                    v.Year = t.year;
                    v.Month = t.month;
                    v.Day = t.day;
                    v.Hour = t.hour;
                    v.Minute = t.minute;
                    v.Second = t.second;
                    v.Microsecond = static_cast<int>(t.fraction / 1000u);
                    value.SetDateTime(v);
                }
                break;
            }
            case TReadAs::Decimal:
            case TReadAs::Time:
            case TReadAs::Text:
            case TReadAs::Binary: {
                size_t length = 0;
                const bool binary = r.ReadAs == TReadAs::Binary;
                if (!ReadLong(stmt, col, binary, r.Size, m_impl->scratch, length)) {
                    value.Clear();
                    break;
                }
                const std::string_view data(m_impl->scratch.data(), length);
                if (r.ReadAs == TReadAs::Decimal) value.SetDecimal(TDecimal::FromString(Trim(data)));
                else if (r.ReadAs == TReadAs::Time) value.SetTime(TDateTimeValue::Parse(data));
                else if (binary) value.SetBytes(data);
                else value.SetString(data);
                break;
            }
            }
        } catch (const EConvertError& e) {
            throw EConvertError("Column \"" + r.Field->FieldName() + "\": " + e.what());
        }
    }
}

void TADOQuery::Open()
{
    Execute(true);
}

std::int64_t TADOQuery::ExecSQL()
{
    Execute(false);
    return m_rowsAffected;
}

void TADOQuery::Next()
{
    if (!m_active) throw EUsageError(ClassName() + ": the query is not open.");
    if (m_eof) return;
    if (m_impl->lite) {
        try {
            if (!m_impl->lite->Next(EffectiveTimeout())) {
                m_eof = true;
                return;
            }
        } catch (...) {
            // A failed step resets the statement: reading on would start over.
            m_eof = true;
            throw;
        }
        ++m_rowNumber;
        return;
    }
    SQLHSTMT stmt = m_impl->stmt.Get();
    const SQLRETURN rc = SQLFetch(stmt);
    if (rc == SQL_NO_DATA) {
        // The fields keep the last row; the cursor is given back at once.
        m_eof = true;
        SQLFreeStmt(stmt, SQL_CLOSE);
        return;
    }
    Check(rc, SQL_HANDLE_STMT, stmt, "SQLFetch");
    ++m_rowNumber;
    ReadRow();
}

void TADOQuery::First()
{
    if (!m_active) throw EUsageError(ClassName() + ": the query is not open.");
    if (m_rowNumber == 1 && !m_eof) return;
    Open();
}

} // namespace qel
