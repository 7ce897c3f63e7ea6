// SQLite files reached through libsqlite3, for the ADO layer: a connection
// string whose driver is the SQLite3 ODBC driver opens the file directly, so
// that REAL values are read and written to the last bit and rows are read
// one at a time. The ADO layer chooses this module; nothing above it sees it.
//
// Failures raise EODBCError with one diagnostic record (SQLState, SQLite's
// extended result code, SQLite's message), so callers see the same errors
// whichever way a file is reached. A value that does not fit its column's
// field type is kept as SQLite stored it rather than dropped.
#pragma once

#include "qelDataSet.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace qel {

struct TADOColumn;

// What an ODBC connection string for the SQLite3 driver asks for. Keys of
// the driver that mean nothing here (StepAPI, LongNames, ...) are ignored.
struct TSQLiteTarget {
    std::string Database;
    bool ReadOnly = false;      // ReadOnly=1
    bool NoCreate = false;      // NoCreat=1: the file must exist
    bool ForeignKeys = false;   // FKSupport=1
    // How long a statement without a time-out waits for another
    // connection's lock (the driver's Timeout key, in milliseconds).
    int LockTimeoutMs = 100000;
};

// True, with Target filled, when the ODBC string's Driver is the SQLite3
// driver ("Driver={SQLite3};Database=/x/t.db;StepAPI=1", keys in any case).
// A malformed string gives false: the ODBC path reports it.
bool SQLiteTargetOf(std::string_view ODBCString, TSQLiteTarget& Target);

// The version of libsqlite3 in use ("3.40.1").
const char* SQLiteLibraryVersion();

// The sentence that names what is wrong with a database file that cannot be
// opened: its folder is missing, or the file itself.
std::string SQLiteOpenHint(const std::string& Database);

// The field type of a column declared with DeclaredType ("VARCHAR(20)",
// "NUMERIC(18,4)", "" for none), by SQLite's affinity rules refined by the
// type's name; Size is the declared length of character types, else 0.
TFieldType SQLiteFieldType(std::string_view DeclaredType, int* Size = nullptr);

// SQLite's column affinity of a declared type, by its rules in their order
// ("BIGINT" Integer, "VARCHAR(5)" Text, "" and "BLOB" Blob, "DOUBLE" Real,
// anything else Numeric). The order matches the probe's columns.
enum class TSQLiteAffinity : std::uint8_t { Integer, Text, Blob, Real, Numeric };
TSQLiteAffinity SQLiteAffinityOf(std::string_view DeclaredType);

// Value as a column declared DeclaredType stores it: SQLite's own
// conversion, done by SQLite on a private in-memory database (3 into a REAL
// column is 3.0, 2.0 into an INTEGER column 2, '12' into a NUMERIC column
// 12, 1.5 into a TEXT column '1.5', -0.0 into a REAL column 0.0). Integers,
// booleans, doubles and texts are converted; other kinds stay as they are.
void SQLiteStoredValue(std::string_view DeclaredType, TValue& Value);

// One open database file. Owns its sqlite3 handle; closing it rolls back a
// transaction still open.
class TSQLiteDatabase {
public:
    // Opens (or creates) the file; throws EODBCError naming the file when it
    // cannot be opened or is no database.
    explicit TSQLiteDatabase(const TSQLiteTarget& Target);
    ~TSQLiteDatabase();
    TSQLiteDatabase(const TSQLiteDatabase&) = delete;
    TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

    sqlite3* Handle() const { return m_db; }

    void Begin();
    // A failed commit leaves the transaction open for the caller's rollback.
    void Commit();
    // Also ends a transaction that SQLite has already rolled back itself.
    void Rollback();

    // Runs every statement of the text in turn; the rows they changed.
    std::int64_t Execute(std::string_view SQL, int TimeoutSeconds);

    // The columns of a table or view (or of every one for an empty name) in
    // declared order; the name matches as SQLite resolves names, ignoring
    // ASCII case, and each column carries the name as stored. Schema is an
    // attached database ("main", "temp", ...); empty means "main".
    std::vector<TADOColumn> Columns(std::string_view TableName, std::string_view Schema, int TimeoutSeconds);

    // One step of a statement within the time-out (seconds, 0 for none):
    // true for a row, false when done. A failure resets the statement and
    // raises; a time-out raises with SQLState HYT00.
    bool Step(sqlite3_stmt* Statement, int TimeoutSeconds);

    // Steps a statement to its end and resets it; the rows it changed.
    std::int64_t RunToEnd(sqlite3_stmt* Statement, int TimeoutSeconds);

    // Raises the connection's last error (Code when it has none).
    [[noreturn]] void Raise(int Code) const;

private:
    void Prepare(int TimeoutSeconds);

    sqlite3* m_db = nullptr;
    int m_lockTimeoutMs;
    int m_busyTimeoutMs = -1;
    int m_timeoutSeconds = 0;
    bool m_explicitTransaction = false;
};

// One parameter value and the type it is bound as (ftUnknown: Null).
struct TSQLiteParam {
    TFieldType Type = TFieldType::ftUnknown;
    const TValue* Value = nullptr;
};

// A prepared SQL text: one statement, or several run in turn, with "?"
// markers numbered across them. Reads the rows of its last statement one
// at a time into fields it creates.
class TSQLiteStatement {
public:
    TSQLiteStatement(TSQLiteDatabase& Database, std::string_view SQL);
    ~TSQLiteStatement();
    TSQLiteStatement(const TSQLiteStatement&) = delete;
    TSQLiteStatement& operator=(const TSQLiteStatement&) = delete;

    int ParamCount() const { return m_paramCount; }
    // Whether the last statement gives rows.
    bool ReturnsRows() const;

    // Runs every statement; the rows they changed.
    std::int64_t ExecSQL(const std::vector<TSQLiteParam>& Params, int TimeoutSeconds);
    // Runs the statements before the last and steps the last one to its
    // first row, making one field per result column; false when there is
    // no row.
    bool Open(const std::vector<TSQLiteParam>& Params, int TimeoutSeconds, TFields& Fields);
    // The next row into the fields made by Open; false at the end, where
    // the statement is reset so that its read lock goes at once.
    bool Next(int TimeoutSeconds);
    // Gives the cursor back; the fields of Open are forgotten.
    void Reset() noexcept;

private:
    struct TStatementDeleter {
        void operator()(sqlite3_stmt* s) const noexcept;
    };
    using TStatementPtr = std::unique_ptr<sqlite3_stmt, TStatementDeleter>;
    struct TReader;

    void Bind(const std::vector<TSQLiteParam>& Params);
    void ReadRow();

    TSQLiteDatabase& m_db;
    std::vector<TStatementPtr> m_statements;
    int m_paramCount = 0;
    std::vector<TReader> m_readers;
};

} // namespace qel
