#include "qelSQLite.h"

#include "qelADO.h"
#include "qelADOConnString.h"
#include "qelErrors.h"
#include "qelText.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <climits>
#include <filesystem>
#include <system_error>

namespace qel {

namespace {

// Longest declared character length read as ftString; longer ones are
// memos, as the ADO layer treats long text everywhere.
constexpr long long kMaxShortText = 4000;

// Julian day number of 1899-12-30 00:00, day zero of TDateTimeValue, in
// milliseconds, and the largest Julian day SQLite's date functions take
// (9999-12-31 23:59:59.999).
constexpr std::int64_t kJulianMsOfDayZero = 208657598400000LL;
constexpr std::int64_t kMaxJulianMs = 464269060799999LL;

std::string SQLStateOf(int code)
{
    switch (code & 0xff) {
    case SQLITE_CONSTRAINT: return "23000";
    case SQLITE_INTERRUPT:
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return "HYT00";
    default: return "HY000";
    }
}

[[noreturn]] void Throw(const std::string& message, int code, std::string sqlState = {})
{
    TODBCDiagRecord r;
    r.SQLState = sqlState.empty() ? SQLStateOf(code) : std::move(sqlState);
    r.NativeError = code;
    r.Text = message;
    throw EODBCError(message, {std::move(r)});
}

// A declared type split into its upper-cased name and the numbers in
// parentheses: "numeric(18, 4)" -> NUMERIC, 18, 4.
struct TDeclaredType {
    std::string Name;
    long long Length = 0;
    int Scale = 0;
    bool HasScale = false;
};

TDeclaredType ParseDeclared(std::string_view text)
{
    TDeclaredType d;
    const size_t open = text.find('(');
    d.Name = UpperCase(Trim(text.substr(0, open)));
    if (open == std::string_view::npos) return d;
    const size_t close = text.find(')', open);
    const std::string inner(text.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1));
    const size_t comma = inner.find(',');
    auto number = [](std::string_view s, long long& out) {
        const std::string t = Trim(s);
        if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos) return false;
        out = std::stoll(t);
        return true;
    };
    if (!number(std::string_view(inner).substr(0, comma), d.Length)) d.Length = 0;
    long long scale = 0;
    if (comma != std::string::npos && number(std::string_view(inner).substr(comma + 1), scale)) {
        d.Scale = static_cast<int>(scale);
        d.HasScale = true;
    }
    return d;
}

// How a column's values go into its field.
// Any: a column without affinity (declared BLOB or nothing), whose cells
// keep whatever class they were stored in: each value keeps its own kind.
enum class TReadKind : std::uint8_t { Integer, Float, Boolean, Date, Time, DateTime, Text, Binary, Any };

TReadKind ReadKindOf(TFieldType t)
{
    switch (t) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftLargeint: return TReadKind::Integer;
    case TFieldType::ftFloat: return TReadKind::Float;
    case TFieldType::ftBoolean: return TReadKind::Boolean;
    case TFieldType::ftDate: return TReadKind::Date;
    case TFieldType::ftTime: return TReadKind::Time;
    case TFieldType::ftDateTime: return TReadKind::DateTime;
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
    case TFieldType::ftBlob: return TReadKind::Binary;
    default: return TReadKind::Text;
    }
}

// The text of a REAL where a text is wanted: the shortest that reads back
// as the same double, with ".0" on whole numbers as SQLite writes them, so
// that it still reads as a REAL.
std::string RealText(double v)
{
    std::string t = FloatToText(v);
    if (t.find_first_of(".eEnN") == std::string::npos) t += ".0";
    return t;
}

// A date or time value as the field's kind, unless it holds more than that
// kind keeps: a DATE column's value with a time stays a time stamp.
void SetMoment(TValue& v, TReadKind kind, const TDateTimeValue& t)
{
    const bool hasTime = t.Hour != 0 || t.Minute != 0 || t.Second != 0 || t.Microsecond != 0;
    const bool hasDate = !(t.Year == 1899 && t.Month == 12 && t.Day == 30);
    if (kind == TReadKind::Date && !hasTime) v.SetDate(t);
    else if (kind == TReadKind::Time && !hasDate) v.SetTime(t);
    else v.SetDateTime(t);
}

// A number in a date or time column is a Julian day number to SQLite's
// date functions, which count it to the millisecond.
void SetJulianDay(TValue& v, TReadKind kind, double day)
{
    const double ms = day * 86400000.0 + 0.5;
    if (!(ms >= 0 && ms <= static_cast<double>(kMaxJulianMs)))
        throw EConvertError("'" + RealText(day) + "' is no Julian day number that SQLite reads as a date");
    const auto julianMs = static_cast<std::int64_t>(ms);
    SetMoment(v, kind, TDateTimeValue::FromDayAndMicros(0, (julianMs - kJulianMsOfDayZero) * 1000));
}

// Text in a date or time column: the date and time it says, or, when it
// says none, the text as it stands, so that nothing is lost.
void SetDateText(TValue& v, TReadKind kind, std::string_view text)
{
    try {
        SetMoment(v, kind, TDateTimeValue::Parse(text));
    } catch (const EConvertError&) {
        v.SetString(text);
    }
}

std::string_view TextOf(sqlite3_stmt* s, int col)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
    return p ? std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(s, col))) : std::string_view();
}

std::string_view BlobOf(sqlite3_stmt* s, int col)
{
    const auto* p = static_cast<const char*>(sqlite3_column_blob(s, col));
    return p ? std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(s, col))) : std::string_view();
}

// Reads one column of the current row. Each value keeps what SQLite stored:
// a value of another storage class than the field's type is converted only
// where nothing is lost (a number as its exact text in a text column), and
// otherwise kept as its own kind for the typed getters to judge.
void ReadValue(sqlite3_stmt* s, int col, TReadKind kind, TValue& v)
{
    if (kind == TReadKind::Any) {
        switch (sqlite3_column_type(s, col)) {
        case SQLITE_NULL: v.Clear(); return;
        case SQLITE_INTEGER: v.SetInteger(sqlite3_column_int64(s, col)); return;
        case SQLITE_FLOAT: v.SetFloat(sqlite3_column_double(s, col)); return;
        case SQLITE_TEXT: v.SetString(TextOf(s, col)); return;
        default: v.SetBytes(BlobOf(s, col)); return;
        }
    }
    switch (sqlite3_column_type(s, col)) {
    case SQLITE_NULL: v.Clear(); return;
    case SQLITE_INTEGER: {
        const std::int64_t n = sqlite3_column_int64(s, col);
        switch (kind) {
        case TReadKind::Text: v.SetString(IntToStr(n)); return;
        case TReadKind::Binary: v.SetBytes(IntToStr(n)); return;
        case TReadKind::Boolean:
            if (n == 0 || n == 1) v.SetBoolean(n == 1);
            else v.SetInteger(n);
            return;
        case TReadKind::Date:
        case TReadKind::Time:
        case TReadKind::DateTime: SetJulianDay(v, kind, static_cast<double>(n)); return;
        default: v.SetInteger(n); return;
        }
    }
    case SQLITE_FLOAT: {
        const double d = sqlite3_column_double(s, col);
        switch (kind) {
        case TReadKind::Text: v.SetString(RealText(d)); return;
        case TReadKind::Binary: v.SetBytes(RealText(d)); return;
        case TReadKind::Date:
        case TReadKind::Time:
        case TReadKind::DateTime: SetJulianDay(v, kind, d); return;
        default: v.SetFloat(d); return;
        }
    }
    case SQLITE_TEXT: {
        const std::string_view text = TextOf(s, col);
        switch (kind) {
        case TReadKind::Binary: v.SetBytes(text); return;
        case TReadKind::Date:
        case TReadKind::Time:
        case TReadKind::DateTime: SetDateText(v, kind, text); return;
        default: v.SetString(text); return;
        }
    }
    default: v.SetBytes(BlobOf(s, col)); return;
    }
}

// The field type of a result column that declares none (an expression):
// what its first value is, text when there is none.
TFieldType FieldTypeOfValue(sqlite3_stmt* s, int col, bool hasRow)
{
    switch (hasRow ? sqlite3_column_type(s, col) : SQLITE_NULL) {
    case SQLITE_INTEGER: return TFieldType::ftLargeint;
    case SQLITE_FLOAT: return TFieldType::ftFloat;
    case SQLITE_BLOB: return TFieldType::ftBlob;
    default: return TFieldType::ftString;
    }
}

// "main" -> "\"main\"": a schema name as an identifier in SQL text.
std::string QuotedName(std::string_view name)
{
    std::string r = "\"";
    for (char c : name) r += c == '"' ? std::string("\"\"") : std::string(1, c);
    return r + '"';
}

int OnProgress(void* deadline)
{
    return std::chrono::steady_clock::now() >= *static_cast<std::chrono::steady_clock::time_point*>(deadline) ? 1 : 0;
}

} // namespace

TSQLiteAffinity SQLiteAffinityOf(std::string_view DeclaredType)
{
    // Called for every value written to a SQLite cell: no allocation.
    const std::string_view t = DeclaredType;
    auto has = [&](std::string_view word) {
        for (size_t i = 0; i + word.size() <= t.size(); ++i) {
            size_t k = 0;
            while (k < word.size() && AsciiUpper(t[i + k]) == word[k]) ++k;
            if (k == word.size()) return true;
        }
        return false;
    };
    if (has("INT")) return TSQLiteAffinity::Integer;
    if (has("CHAR") || has("CLOB") || has("TEXT")) return TSQLiteAffinity::Text;
    if (has("BLOB") || t.find_first_not_of(" \t\r\n") == std::string_view::npos) return TSQLiteAffinity::Blob;
    if (has("REAL") || has("FLOA") || has("DOUB")) return TSQLiteAffinity::Real;
    return TSQLiteAffinity::Numeric;
}

namespace {

// A private in-memory database of one column per affinity, where a value
// is stored and read back: SQLite's own conversions, to the last digit of
// its decimal reading and writing, whatever its version does.
class TAffinityProbe {
public:
    TAffinityProbe()
    {
        if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK ||
            sqlite3_exec(m_db, "CREATE TABLE a(i INTEGER, t TEXT, b BLOB, r REAL, n NUMERIC)", nullptr, nullptr,
                         nullptr) != SQLITE_OK)
            Fail();
        static constexpr const char* columns[] = {"i", "t", "b", "r", "n"};
        for (int k = 0; k < 5; ++k) {
            const std::string insert = std::string("INSERT OR REPLACE INTO a(rowid, ") + columns[k] + ") VALUES(1, ?)";
            const std::string select = std::string("SELECT ") + columns[k] + " FROM a WHERE rowid = 1";
            if (sqlite3_prepare_v2(m_db, insert.c_str(), -1, &m_insert[k], nullptr) != SQLITE_OK ||
                sqlite3_prepare_v2(m_db, select.c_str(), -1, &m_select[k], nullptr) != SQLITE_OK)
                Fail();
        }
    }
    ~TAffinityProbe()
    {
        for (int k = 0; k < 5; ++k) {
            sqlite3_finalize(m_insert[k]);
            sqlite3_finalize(m_select[k]);
        }
        sqlite3_close(m_db);
    }
    TAffinityProbe(const TAffinityProbe&) = delete;
    TAffinityProbe& operator=(const TAffinityProbe&) = delete;

    void Store(int Column, TValue& v)
    {
        sqlite3_stmt* ins = m_insert[Column];
        sqlite3_stmt* sel = m_select[Column];
        int rc = SQLITE_OK;
        switch (v.Kind()) {
        case TValueKind::vkInteger: rc = sqlite3_bind_int64(ins, 1, v.AsInt64()); break;
        case TValueKind::vkBoolean: rc = sqlite3_bind_int64(ins, 1, v.AsBoolean() ? 1 : 0); break;
        case TValueKind::vkFloat: rc = sqlite3_bind_double(ins, 1, v.AsFloat()); break;
        case TValueKind::vkString:
            rc = sqlite3_bind_text64(ins, 1, v.RawString().data(), v.RawString().size(), SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        default: return;
        }
        if (rc != SQLITE_OK || sqlite3_step(ins) != SQLITE_DONE) {
            sqlite3_reset(ins);
            Fail();
        }
        sqlite3_reset(ins);
        sqlite3_clear_bindings(ins);
        if (sqlite3_step(sel) != SQLITE_ROW) {
            sqlite3_reset(sel);
            Fail();
        }
        ReadValue(sel, 0, TReadKind::Any, v);
        sqlite3_reset(sel);
    }

private:
    [[noreturn]] void Fail()
    {
        const int code = m_db != nullptr ? sqlite3_extended_errcode(m_db) : SQLITE_NOMEM;
        Throw(std::string("SQLite cannot convert a value for storing: ") +
                  (m_db != nullptr ? sqlite3_errmsg(m_db) : "out of memory"),
              code);
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert[5]{};
    sqlite3_stmt* m_select[5]{};
};

} // namespace

void SQLiteStoredValue(std::string_view DeclaredType, TValue& Value)
{
    const TSQLiteAffinity a = SQLiteAffinityOf(DeclaredType);
    const TValueKind k = Value.Kind();
    // What no affinity changes goes as it is; the rest through SQLite.
    if (a == TSQLiteAffinity::Blob || k == TValueKind::vkNull || k == TValueKind::vkBytes) return;
    if (k != TValueKind::vkInteger && k != TValueKind::vkBoolean && k != TValueKind::vkFloat && k != TValueKind::vkString)
        return;
    if (k == TValueKind::vkString && a == TSQLiteAffinity::Text) return;
    if (k == TValueKind::vkBoolean) Value = TValue::Integer(Value.AsBoolean() ? 1 : 0);
    if (Value.Kind() == TValueKind::vkInteger) {
        if (a == TSQLiteAffinity::Integer || a == TSQLiteAffinity::Numeric) return;
        // SQLite's own conversions: the nearest double, the decimal text.
        if (a == TSQLiteAffinity::Real) Value = TValue::Float(static_cast<double>(Value.AsInt64()));
        else Value = TValue::String(IntToStr(static_cast<long long>(Value.AsInt64())));
        return;
    }
    if (k == TValueKind::vkFloat) {
        const double d = Value.AsFloat();
        // A REAL column keeps a double as it is, but for the sign of zero (a
        // whole value is stored as an integer and read back as a double).
        if (a == TSQLiteAffinity::Real) {
            if (d == 0) Value = TValue::Float(0.0);
            return;
        }
        // A NUMERIC or INTEGER column turns only whole values into integers.
        if ((a == TSQLiteAffinity::Integer || a == TSQLiteAffinity::Numeric) && d != std::trunc(d)) return;
    }
    thread_local TAffinityProbe probe;
    probe.Store(static_cast<int>(a), Value);
}

bool SQLiteTargetOf(std::string_view ODBCString, TSQLiteTarget& Target)
{
    std::vector<TConnStringItem> items;
    try {
        items = SplitConnectionString(ODBCString, false);
    } catch (const EDatabaseError&) {
        return false;
    }
    bool sqlite3 = false;
    TSQLiteTarget t;
    auto on = [](const std::string& v) { return v == "1" || SameText(v, "yes") || SameText(v, "true") || SameText(v, "on"); };
    for (const auto& it : items) {
        if (SameText(it.Key, "Driver")) sqlite3 = LowerCase(it.Value).find("sqlite3") != std::string::npos;
        else if (SameText(it.Key, "Database")) t.Database = it.Value;
        else if (SameText(it.Key, "ReadOnly")) t.ReadOnly = on(it.Value);
        else if (SameText(it.Key, "NoCreat")) t.NoCreate = on(it.Value);
        else if (SameText(it.Key, "FKSupport")) t.ForeignKeys = on(it.Value);
        else if (SameText(it.Key, "Timeout") && !Trim(it.Value).empty() &&
                 Trim(it.Value).find_first_not_of("0123456789") == std::string::npos && Trim(it.Value).size() <= 9)
            t.LockTimeoutMs = std::stoi(Trim(it.Value));
    }
    if (sqlite3) Target = std::move(t);
    return sqlite3;
}

const char* SQLiteLibraryVersion()
{
    return sqlite3_libversion();
}

std::string SQLiteOpenHint(const std::string& Database)
{
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(Database, ec).parent_path();
    if (!ec && !std::filesystem::is_directory(folder, ec))
        return "The folder of the SQLite database \"" + Database + "\" does not exist.";
    return "The SQLite database \"" + Database + "\" cannot be opened.";
}

TFieldType SQLiteFieldType(std::string_view DeclaredType, int* Size)
{
    const TDeclaredType d = ParseDeclared(DeclaredType);
    const std::string& t = d.Name;
    auto has = [&](const char* word) { return t.find(word) != std::string::npos; };
    if (Size) *Size = 0;
    if (t == "BOOLEAN" || t == "BOOL" || t == "BIT") return TFieldType::ftBoolean;
    // The order of SQLite's affinity rules: INT, then text, BLOB, REAL.
    if (has("INT")) {
        if (has("BIG") || t == "INT8") return TFieldType::ftLargeint;
        return has("SMALL") || has("TINY") ? TFieldType::ftSmallint : TFieldType::ftInteger;
    }
    if (has("CHAR") || has("CLOB") || has("TEXT")) {
        if (has("CLOB") || has("TEXT") || t.starts_with("LONG") || d.Length > kMaxShortText) return TFieldType::ftMemo;
        if (Size) *Size = static_cast<int>(d.Length);
        return TFieldType::ftString;
    }
    if (has("BLOB")) return TFieldType::ftBlob;
    if (t.empty()) return TFieldType::ftString;
    if (has("REAL") || has("FLOA") || has("DOUB")) return TFieldType::ftFloat;
    // Numeric affinity: the names say what the values are.
    if (has("DATETIME") || has("TIMESTAMP")) return TFieldType::ftDateTime;
    if (has("DATE")) return TFieldType::ftDate;
    if (has("TIME")) return TFieldType::ftTime;
    if (has("BINARY")) return t.starts_with("LONG") ? TFieldType::ftBlob : TFieldType::ftVarBytes;
    // A NUMERIC or DECIMAL value is an INTEGER or a REAL in SQLite.
    if (has("NUMERIC") || has("DECIMAL")) return TFieldType::ftFloat;
    return TFieldType::ftString;
}

// ---------------------------------------------------------------------------
// TSQLiteDatabase

TSQLiteDatabase::TSQLiteDatabase(const TSQLiteTarget& Target) : m_lockTimeoutMs(Target.LockTimeoutMs)
{
    if (Trim(Target.Database).empty())
        Throw("The connection string names no SQLite database file (Database=).", SQLITE_CANTOPEN, "08001");
    const int flags = Target.ReadOnly ? SQLITE_OPEN_READONLY
                                      : SQLITE_OPEN_READWRITE | (Target.NoCreate ? 0 : SQLITE_OPEN_CREATE);
    const int rc = sqlite3_open_v2(Target.Database.c_str(), &m_db, flags, nullptr);
    try {
        if (rc != SQLITE_OK) Raise(rc);
        sqlite3_extended_result_codes(m_db, 1);
        // Reading the schema finds a file that is no database now, not at
        // the first statement.
        Execute("PRAGMA schema_version", 0);
        if (Target.ForeignKeys) Execute("PRAGMA foreign_keys = ON", 0);
    } catch (const EODBCError& e) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        std::vector<TODBCDiagRecord> records = e.Records();
        for (auto& r : records) r.SQLState = "08001";
        throw EODBCError(std::string(e.what()) + CRLF + SQLiteOpenHint(Target.Database), std::move(records));
    } catch (...) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw;
    }
}

TSQLiteDatabase::~TSQLiteDatabase()
{
    // Closing rolls back a transaction still open.
    if (m_db) sqlite3_close_v2(m_db);
}

void TSQLiteDatabase::Raise(int Code) const
{
    const char* text = m_db ? sqlite3_errmsg(m_db) : nullptr;
    Throw(text ? text : sqlite3_errstr(Code), m_db ? sqlite3_extended_errcode(m_db) : Code);
}

void TSQLiteDatabase::Prepare(int TimeoutSeconds)
{
    // Lock waits end with the statement's time-out, or after the lock
    // time-out when the statement has none.
    const int ms = TimeoutSeconds > 0 ? static_cast<int>(std::min<long long>(TimeoutSeconds * 1000LL, INT_MAX)) : m_lockTimeoutMs;
    if (ms != m_busyTimeoutMs) {
        sqlite3_busy_timeout(m_db, ms);
        m_busyTimeoutMs = ms;
    }
}

bool TSQLiteDatabase::Step(sqlite3_stmt* Statement, int TimeoutSeconds)
{
    Prepare(TimeoutSeconds);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(TimeoutSeconds);
    if (TimeoutSeconds > 0) sqlite3_progress_handler(m_db, 1000, OnProgress, &deadline);
    const int rc = sqlite3_step(Statement);
    if (TimeoutSeconds > 0) sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;

    const int code = sqlite3_extended_errcode(m_db);
    std::string message = (rc & 0xff) == SQLITE_INTERRUPT
                              ? "The statement was stopped when its time-out (" + IntToStr(TimeoutSeconds) + " s) ran out."
                              : std::string(sqlite3_errmsg(m_db));
    sqlite3_reset(Statement);
    if (m_explicitTransaction && sqlite3_get_autocommit(m_db)) {
        // Some failures (a time-out in a write, a full disk) make SQLite roll
        // the whole transaction back. Say so, and open a new one so that the
        // statements that follow do not commit on their own.
        message += CRLF + std::string("SQLite rolled back the whole transaction: the statements before this one in it are undone too.");
        sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr);
    }
    Throw(message, code);
}

std::int64_t TSQLiteDatabase::RunToEnd(sqlite3_stmt* Statement, int TimeoutSeconds)
{
    // The rows changed by this statement alone: sqlite3_changes keeps the
    // count of the last INSERT, UPDATE or DELETE, whatever ran since.
    const std::int64_t before = sqlite3_total_changes64(m_db);
    while (Step(Statement, TimeoutSeconds)) {
    }
    sqlite3_reset(Statement);
    return sqlite3_total_changes64(m_db) != before ? sqlite3_changes64(m_db) : 0;
}

std::int64_t TSQLiteDatabase::Execute(std::string_view SQL, int TimeoutSeconds)
{
    std::int64_t rows = 0;
    const char* p = SQL.data();
    const char* end = p + SQL.size();
    while (p < end) {
        Prepare(TimeoutSeconds);
        sqlite3_stmt* s = nullptr;
        const char* tail = nullptr;
        if (const int rc = sqlite3_prepare_v2(m_db, p, static_cast<int>(end - p), &s, &tail); rc != SQLITE_OK) Raise(rc);
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owner(s, sqlite3_finalize);
        p = tail;
        if (s) rows += RunToEnd(s, TimeoutSeconds);
    }
    return rows;
}

void TSQLiteDatabase::Begin()
{
    Execute("BEGIN", 0);
    m_explicitTransaction = true;
}

void TSQLiteDatabase::Commit()
{
    Execute("COMMIT", 0);
    m_explicitTransaction = false;
}

void TSQLiteDatabase::Rollback()
{
    if (!sqlite3_get_autocommit(m_db)) Execute("ROLLBACK", 0);
    m_explicitTransaction = false;
}

std::vector<TADOColumn> TSQLiteDatabase::Columns(std::string_view TableName, std::string_view Schema, int TimeoutSeconds)
{
    const std::string schema = Schema.empty() ? std::string("main") : std::string(Schema);
    // A column alias of the rowid (the one INTEGER PRIMARY KEY) is filled
    // by SQLite when an INSERT leaves it out.
    const std::string sql = "SELECT m.name, p.name, p.type, p.\"notnull\", p.cid, "
                            "p.dflt_value IS NOT NULL OR (p.pk = 1 AND upper(p.type) = 'INTEGER' AND "
                            "(SELECT count(*) FROM pragma_table_info(m.name, ?2) AS k WHERE k.pk > 0) = 1) FROM " +
                            QuotedName(schema) + ".sqlite_master AS m, pragma_table_info(m.name, ?2) AS p "
                            "WHERE m.type IN ('table', 'view') AND (?1 = '' OR m.name = ?1 COLLATE NOCASE) "
                            "ORDER BY m.rowid, p.cid";
    TSQLiteStatement q(*this, sql);
    const TValue table = TValue::String(std::string(TableName)), schemaValue = TValue::String(schema);
    TFields fields;
    std::vector<TADOColumn> columns;
    for (bool row = q.Open({{TFieldType::ftString, &table}, {TFieldType::ftString, &schemaValue}}, TimeoutSeconds, fields); row;
         row = q.Next(TimeoutSeconds)) {
        TADOColumn c;
        c.Schema = std::string(Schema);
        c.TableName = fields[0].AsString();
        c.ColumnName = fields[1].AsString();
        c.TypeName = fields[2].AsString();
        int size = 0;
        c.FieldType = SQLiteFieldType(c.TypeName, &size);
        const TDeclaredType d = ParseDeclared(c.TypeName);
        c.ColumnSize = d.Length;
        c.DecimalDigits = d.Scale;
        c.HasDecimalDigits = d.HasScale;
        c.Nullable = fields[3].AsLargeInt() != 0 ? TColumnNullable::cnNoNulls : TColumnNullable::cnNullable;
        c.OrdinalPosition = static_cast<int>(fields[4].AsLargeInt()) + 1;
        c.Filled = fields[5].AsLargeInt() != 0;
        columns.push_back(std::move(c));
    }
    return columns;
}

// ---------------------------------------------------------------------------
// TSQLiteStatement

struct TSQLiteStatement::TReader {
    TField* Field = nullptr;
    TReadKind Kind = TReadKind::Text;
};

void TSQLiteStatement::TStatementDeleter::operator()(sqlite3_stmt* s) const noexcept
{
    sqlite3_finalize(s);
}

TSQLiteStatement::TSQLiteStatement(TSQLiteDatabase& Database, std::string_view SQL) : m_db(Database)
{
    const char* p = SQL.data();
    const char* end = p + SQL.size();
    while (p < end) {
        sqlite3_stmt* s = nullptr;
        const char* tail = nullptr;
        const int rc = sqlite3_prepare_v2(m_db.Handle(), p, static_cast<int>(end - p), &s, &tail);
        if (rc != SQLITE_OK) m_db.Raise(rc);
        p = tail;
        if (!s) continue; // blanks or a comment
        m_statements.emplace_back(s);
        m_paramCount += sqlite3_bind_parameter_count(s);
    }
}

TSQLiteStatement::~TSQLiteStatement() = default;

bool TSQLiteStatement::ReturnsRows() const
{
    return !m_statements.empty() && sqlite3_column_count(m_statements.back().get()) > 0;
}

void TSQLiteStatement::Bind(const std::vector<TSQLiteParam>& Params)
{
    size_t next = 0;
    for (const TStatementPtr& owner : m_statements) {
        sqlite3_stmt* s = owner.get();
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
        const int count = sqlite3_bind_parameter_count(s);
        for (int i = 1; i <= count && next < Params.size(); ++i) {
            const TSQLiteParam& p = Params[next++];
            const TValue* v = p.Value;
            int rc = SQLITE_OK;
            auto text = [&](std::string_view t) { return sqlite3_bind_text64(s, i, t.data(), t.size(), SQLITE_TRANSIENT, SQLITE_UTF8); };
            // The bytes of a string or binary value where they lie, else its text.
            std::string converted;
            auto raw = [&]() -> std::string_view {
                if (v->Kind() == TValueKind::vkString || v->Kind() == TValueKind::vkBytes) return v->RawString();
                converted = v->AsString();
                return converted;
            };
            if (v == nullptr || v->IsNull() || p.Type == TFieldType::ftUnknown) {
                rc = sqlite3_bind_null(s, i);
                if (rc != SQLITE_OK) m_db.Raise(rc);
                continue;
            }
            switch (p.Type) {
            case TFieldType::ftSmallint:
            case TFieldType::ftInteger:
            case TFieldType::ftWord:
            case TFieldType::ftAutoInc:
            case TFieldType::ftLargeint: rc = sqlite3_bind_int64(s, i, v->AsInt64()); break;
            case TFieldType::ftBoolean: rc = sqlite3_bind_int(s, i, v->AsBoolean() ? 1 : 0); break;
            case TFieldType::ftFloat:
                // A whole number kept as an integer goes as one; a double
                // goes as its eight bytes, never through text.
                rc = v->Kind() == TValueKind::vkInteger ? sqlite3_bind_int64(s, i, v->AsInt64())
                                                        : sqlite3_bind_double(s, i, v->AsFloat());
                break;
            // Exact decimals as their text, which a NUMERIC column reads as
            // its number and a TEXT column keeps to the last digit.
            case TFieldType::ftCurrency:
            case TFieldType::ftBCD:
            case TFieldType::ftFMTBcd: rc = text(v->AsDecimal().ToString()); break;
            // Dates and times as the ISO text SQLite's date functions read.
            // Time stamps keep milliseconds, as the ODBC driver stored them
            // and the comparer expects of a SQLite target.
            case TFieldType::ftDate: rc = text(v->AsDateTime().DateText()); break;
            case TFieldType::ftTime: rc = text(v->AsDateTime().TimeText()); break;
            case TFieldType::ftDateTime:
            case TFieldType::ftTimeStamp: {
                TDateTimeValue t = v->AsDateTime();
                t.Microsecond -= t.Microsecond % 1000;
                rc = text(t.DateTimeText());
                break;
            }
            case TFieldType::ftBytes:
            case TFieldType::ftVarBytes:
            case TFieldType::ftBlob:
            case TFieldType::ftGraphic:
            case TFieldType::ftOraBlob: {
                const std::string_view bytes = raw();
                rc = sqlite3_bind_blob64(s, i, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
                break;
            }
            default: rc = text(raw()); break;
            }
            if (rc != SQLITE_OK) m_db.Raise(rc);
        }
    }
}

std::int64_t TSQLiteStatement::ExecSQL(const std::vector<TSQLiteParam>& Params, int TimeoutSeconds)
{
    Reset();
    Bind(Params);
    std::int64_t rows = 0;
    for (const TStatementPtr& s : m_statements) rows += m_db.RunToEnd(s.get(), TimeoutSeconds);
    return rows;
}

bool TSQLiteStatement::Open(const std::vector<TSQLiteParam>& Params, int TimeoutSeconds, TFields& Fields)
{
    Reset();
    Bind(Params);
    for (size_t i = 0; i + 1 < m_statements.size(); ++i) m_db.RunToEnd(m_statements[i].get(), TimeoutSeconds);
    sqlite3_stmt* s = m_statements.back().get();
    const bool row = m_db.Step(s, TimeoutSeconds);
    Fields.Clear();
    const int count = sqlite3_column_count(s);
    for (int c = 0; c < count; ++c) {
        const char* declared = sqlite3_column_decltype(s, c);
        int size = 0;
        const TFieldType type = declared && *declared ? SQLiteFieldType(declared, &size) : FieldTypeOfValue(s, c, row);
        const char* name = sqlite3_column_name(s, c);
        // A REAL is a double: its size is the 17 digits that keep it exact.
        TField& f = Fields.Add(std::make_unique<TField>(name ? name : "", type, type == TFieldType::ftFloat ? 17 : size));
        // A column declared BLOB or with no type at all (and an expression)
        // has no affinity: each cell keeps the class it was stored in, which
        // the first row's class says nothing about.
        const bool keepsClasses = !declared || SQLiteAffinityOf(declared) == TSQLiteAffinity::Blob;
        m_readers.push_back(TReader{&f, keepsClasses ? TReadKind::Any : ReadKindOf(type)});
    }
    if (row) ReadRow();
    else Reset();
    return row;
}

bool TSQLiteStatement::Next(int TimeoutSeconds)
{
    if (m_statements.empty() || m_readers.empty()) return false;
    sqlite3_stmt* s = m_statements.back().get();
    if (!m_db.Step(s, TimeoutSeconds)) {
        // The fields keep the last row; the read lock goes at once.
        sqlite3_reset(s);
        return false;
    }
    ReadRow();
    return true;
}

void TSQLiteStatement::ReadRow()
{
    sqlite3_stmt* s = m_statements.back().get();
    for (size_t i = 0; i < m_readers.size(); ++i) {
        const TReader& r = m_readers[i];
        try {
            ReadValue(s, static_cast<int>(i), r.Kind, r.Field->MutableValue());
        } catch (const EConvertError& e) {
            const std::string message = "Column \"" + r.Field->FieldName() + "\": " + e.what();
            // Reading stops here: the read lock goes with the cursor.
            Reset();
            throw EConvertError(message);
        }
    }
}

void TSQLiteStatement::Reset() noexcept
{
    for (const TStatementPtr& s : m_statements) sqlite3_reset(s.get());
    m_readers.clear();
}

} // namespace qel
