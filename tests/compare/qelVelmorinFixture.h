// What the comparer's tests share: a test database of each server kind with
// its connection, the table of every column type the back ends support,
// seeded random rows and their changes, and a row-by-row reading in a form
// that compares across servers.
#pragma once

#include "qelDBEngine.h"
#include "qelDataSet.h"
#include "qelSQL_Exec.h"
#include "qelVelmorin.h"
#include "qelTestSupport.h"
#include "qelValue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace cmptest {

enum class TServer : std::uint8_t { FbEmbedded, FbServer, PostgreSQL, SQLite };
const char* ServerName(TServer s);
bool IsFirebird(TServer s);

// Rows read back as text.
using TRows = std::vector<std::vector<std::string>>;

// One database of a server kind for one test: an embedded Firebird file in
// a temporary folder, a file on the Firebird test server, the PostgreSQL
// test database (tables named per process and dropped afterwards) or a
// SQLite file through ODBC. Connected after construction when usable.
class TTestDatabase {
public:
    // A Firebird database is created with CharSet as its default set;
    // PostgreSQL is reached in database PgDatabase of the test cluster.
    explicit TTestDatabase(TServer Kind, const std::string& CharSet = "UTF8",
                           const std::string& PgDatabase = "velmorin");
    ~TTestDatabase();
    TTestDatabase(const TTestDatabase&) = delete;
    TTestDatabase& operator=(const TTestDatabase&) = delete;

    // Empty when the database can be used, else why not.
    const std::string& Unavailable() const { return m_unavailable; }
    TServer Kind() const { return m_kind; }
    qel::TQELConnection& Connection() { return *m_connection; }
    const std::string& PgDatabase() const { return m_pgDatabase; }

    // The name a test table gets on this server: upper case for Firebird and
    // SQLite, lower case and unique per process for PostgreSQL.
    std::string Table(const std::string& Base) const;
    std::string Column(const std::string& Name) const;

    // Runs one statement and commits.
    void Exec(const std::string& SQL);
    // Runs Sql as it stands and drops errors (DROP of a missing table).
    void TryExec(const std::string& SQL);
    // Every row of a SELECT in the comparable form of NormalizedText.
    TRows Rows(const std::string& SQL);
    // Creates a table and remembers it for dropping.
    void CreateTable(const std::string& Table, const std::string& Body);
    // One INSERT a row: Insert("T", {"(1, 'a')", "(2, Null)"}).
    void Insert(const std::string& Table, const std::vector<std::string>& Rows);

    // The executor that applies a script to this database.
    std::unique_ptr<qel::TSQLExec> NewExecutor();

    qeltest::TempDir& Dir() { return m_dir; }

private:
    TServer m_kind;
    std::string m_unavailable;
    qeltest::TempDir m_dir;
    std::string m_serverFile;
    std::unique_ptr<qel::TQELConnection> m_connection;
    std::vector<std::string> m_tables;
    std::string m_suffix;
    std::string m_pgDatabase;
};

// A value as text that means the same on every server: numbers by value,
// text as it stands (CHAR without its padding), binary values in
// hexadecimal, long values as their length and a hash.
std::string NormalizedText(const qel::TField& Field, bool Single);
std::string NormalizedValue(const qel::TValue& Value, qel::TFieldType Type, bool Single);

// ---------------------------------------------------------------------------
// The table of every type

enum class TKeyKind : std::uint8_t { IntegerKey, CompositeKey, CharacterKey, NoKey };
const char* KeyKindName(TKeyKind k);

struct TColumnSpec {
    std::string Name;
    std::string Firebird, PostgreSQL, SQLite;
    qel::TFieldType Type;
    bool Single = false; // a 32-bit float
    bool Key = false;
    bool NotNull = false;
};

using TRow = std::vector<qel::TValue>;

// Options of the data generator.
struct TDataOptions {
    bool BigBlobs = true;   // a few BLOBs of a megabyte
    bool Modest = false;    // values and columns SQLite keeps exactly (its NUMERIC is a double)
    int MaxFractionDigits = 4;
};

class TAllTypesTable {
public:
    TAllTypesTable(TKeyKind Key, TDataOptions Options = {});

    const std::vector<TColumnSpec>& Columns() const { return m_columns; }
    TKeyKind KeyKind() const { return m_key; }
    std::string CreateBody(TServer Server, const TTestDatabase& Db) const;
    std::string ColumnList(const TTestDatabase& Db) const;
    std::string KeyOrder(const TTestDatabase& Db) const;

    // Count rows with distinct keys.
    std::vector<TRow> Generate(std::mt19937& Random, int Count);
    // A value for column C (a key column: the next row's).
    qel::TValue RandomValue(std::mt19937& Random, const TColumnSpec& C);
    // Inserts the rows with parameters, committing at the end.
    void Insert(TTestDatabase& Db, const std::string& Table, const std::vector<TRow>& Rows) const;

private:
    TKeyKind m_key;
    TDataOptions m_options;
    std::vector<TColumnSpec> m_columns;
    int m_bigBlobs = 0;
    int m_nextKey = 0;
};

// What the mutation did to the target copy of the master rows.
struct TChanges {
    int Missing = 0;  // master rows left out of the target: INSERTs
    int Changed = 0;  // rows with other values: UPDATEs (keyed tables)
    int Extra = 0;    // target rows the master lacks: DELETEs
};

// The target rows: the master's with rows dropped, changed and added.
std::vector<TRow> MutatedCopy(TAllTypesTable& Table, const std::vector<TRow>& Master, std::mt19937& Random,
                              TChanges& Changes);

// ---------------------------------------------------------------------------
// Runs of the comparer

std::string Joined(const std::vector<std::string>& lines);

// A comparer of two tables, recording what it reports; the script goes to
// Folder.
struct TRun {
    qel::TVelmorin C;
    std::vector<std::string> log, errors;

    TRun(qel::TQELCustomConnection& Master, const std::string& TableM, qel::TQELCustomConnection* Target,
         const std::string& TableT, const std::string& Folder);
    // Two test databases; the script goes to the target's folder.
    TRun(TTestDatabase& Master, const std::string& TableM, TTestDatabase& Target, const std::string& TableT);
};

bool OnlyHeaderStatements(const qel::TCustomSQLExec& Exec);
std::string StatementTexts(const qel::TCustomSQLExec& Exec);

// What the first comparison of SyncAndCompareAgain counted, and the rows the
// second found equal.
struct TSync {
    int Equal = -1, Inserted = -1, Updated = -1, Deleted = -1, EqualAfter = -1;
};

// Compares, applies what was produced (through the target's executor, or at
// once in immediate mode) and compares again: the second run must find
// nothing to do.
void SyncAndCompareAgain(TTestDatabase& M, const std::string& TableM, TTestDatabase& T, const std::string& TableT,
                         bool Immediate, TSync* Counts = nullptr,
                         const std::function<void(qel::TVelmorin&)>& Setup = nullptr);

std::string Mode(bool Immediate);

} // namespace cmptest
