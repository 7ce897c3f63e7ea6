#include "qelVelmorinFixture.h"

#include "qelDBOptions.h"
#include "qelIBSQLExec.h"
#include "qelEngineTestSupport.h"
#include "qelText.h"
#include "qelVelmorinPrivate.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <set>

using namespace qel;

// The leak checker of a sanitizer build reads the threads' dynamic
// thread-local storage; what the Firebird engine's plugins leave there after
// they are unloaded makes that reading crash at exit, depending on the
// memory layout. The heap is still searched for leaks; what libraries keep
// only in thread-local storage is listed in the suppressions file. CTest
// passes the same options; these serve a test program started by hand.
extern "C" const char* __lsan_default_options()
{
    return "use_tls=0:suppressions=" QEL_LSAN_SUPPRESSIONS;
}

namespace cmptest {

const char* ServerName(TServer s)
{
    static const char* const names[] = {"FirebirdEmbedded", "FirebirdServer", "PostgreSQL", "SQLite"};
    return names[static_cast<int>(s)];
}

bool IsFirebird(TServer s)
{
    return s == TServer::FbEmbedded || s == TServer::FbServer;
}

const char* KeyKindName(TKeyKind k)
{
    static const char* const names[] = {"IntegerKey", "CompositeKey", "CharacterKey", "NoKey"};
    return names[static_cast<int>(k)];
}

// ---------------------------------------------------------------------------
// TTestDatabase

TTestDatabase::TTestDatabase(TServer Kind, const std::string& CharSet, const std::string& PgDatabase)
    : m_kind(Kind), m_connection(std::make_unique<TQELConnection>()), m_pgDatabase(PgDatabase)
{
    std::random_device rd;
    m_suffix = std::to_string(::getpid()) + "_" + std::to_string(rd() % 100000);
    TQELConnection& c = *m_connection;
    if (IsFirebird(Kind)) {
        if (Kind == TServer::FbEmbedded) {
            qeltest::ConfigureFirebird(c, m_dir.File("db.fdb"));
        } else {
            const qeltest::TServerConfig server;
            m_unavailable = server.Unusable();
            if (!m_unavailable.empty()) return;
            m_serverFile = server.FileOf(server.NewDatabaseName("cmp-" + m_suffix));
            qeltest::ConfigureFirebirdServer(c, server, m_serverFile);
        }
        c.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
        std::string error;
        if (!qeltest::CreateDatabase(c, CharSet, &error)) {
            m_unavailable = "cannot create the database: " + error;
            return;
        }
    } else if (Kind == TServer::PostgreSQL) {
        if (qeltest::PostgreSQLString().empty()) {
            m_unavailable = "no PostgreSQL server: VELMORIN_PG_CONN is not set";
            return;
        }
        // The comparer's own PostgreSQL path, not a ready ODBC string.
        c.SetDatabaseType(TDatabaseType::dbPostgreSQL);
        c.SetConnectionType(TconnectionType::cnADO);
        c.ConnectionOptions().HostName = "127.0.0.1:" + qeltest::Env("PGPORT", "55432");
        c.ConnectionOptions().DatabaseName = PgDatabase;
        c.ConnectionOptions().UserName = "postgres";
        c.ConnectionOptions().Password = "x";
    } else {
        qeltest::ConfigureODBC(c, qeltest::SQLiteString(m_dir.File("db.sqlite")));
    }
    std::string lastError;
    c.OnErrorMessage = [&lastError](TObject&, const std::string& t) { lastError = t; };
    c.SetConnected(true);
    if (!c.Connected()) m_unavailable = std::string("cannot connect to ") + ServerName(Kind) + ": " + lastError;
    c.OnErrorMessage = nullptr;
}

TTestDatabase::~TTestDatabase()
{
    try {
        if (m_kind == TServer::PostgreSQL && m_connection->Connected())
            for (const std::string& t : m_tables) TryExec("drop table if exists " + t);
        m_connection->SetConnected(false);
    } catch (...) {
    }
    if (!m_serverFile.empty()) {
        std::error_code ec;
        std::filesystem::remove(m_serverFile, ec);
    }
}

std::string TTestDatabase::Table(const std::string& Base) const
{
    if (m_kind == TServer::PostgreSQL) return LowerCase(Base) + "_" + m_suffix;
    return UpperCase(Base);
}

std::string TTestDatabase::Column(const std::string& Name) const
{
    return m_kind == TServer::PostgreSQL ? LowerCase(Name) : UpperCase(Name);
}

void TTestDatabase::Exec(const std::string& SQL)
{
    auto q = m_connection->CreateQuery();
    q->SetParamCheck(false);
    q->SetSQLText(SQL);
    q->ExecSQL();
    if (m_connection->InTransaction()) m_connection->Commit();
}

void TTestDatabase::TryExec(const std::string& SQL)
{
    try {
        Exec(SQL);
    } catch (const std::exception&) {
        if (m_connection->InTransaction()) m_connection->Rollback();
    }
}

TRows TTestDatabase::Rows(const std::string& SQL)
{
    TRows rows;
    auto q = m_connection->CreateQuery();
    q->SetSQLText(SQL);
    q->Open();
    TFields& f = *q->GetFields();
    std::vector<bool> single;
    for (int i = 0; i < f.Count(); ++i) single.push_back(velmorin::IsSingleFloatColumn(q.get(), i));
    while (!q->Eof()) {
        std::vector<std::string> row;
        for (int i = 0; i < f.Count(); ++i) row.push_back(NormalizedText(f[i], single[static_cast<size_t>(i)]));
        rows.push_back(std::move(row));
        q->Next();
    }
    q->Close();
    if (m_connection->InTransaction()) m_connection->Commit();
    return rows;
}

void TTestDatabase::CreateTable(const std::string& Table, const std::string& Body)
{
    TryExec("drop table " + Table);
    Exec("create table " + Table + " (" + Body + ")");
    m_tables.push_back(Table);
}

void TTestDatabase::Insert(const std::string& Table, const std::vector<std::string>& Rows)
{
    for (const std::string& row : Rows) Exec("insert into " + Table + " values " + row);
}

std::unique_ptr<TSQLExec> TTestDatabase::NewExecutor()
{
    std::unique_ptr<TSQLExec> exec;
    if (IsFirebird(m_kind)) exec = std::make_unique<TIBSQLExec>();
    else exec = std::make_unique<TSQLExec>();
    exec->SetQELConnection(m_connection.get());
    return exec;
}

// ---------------------------------------------------------------------------
// Comparable text

namespace {

std::string Digest(const std::string& s)
{
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ULL;
    return "len " + std::to_string(s.size()) + " #" + std::to_string(h);
}

std::string Long(std::string s)
{
    return s.size() > 300 ? Digest(s) : s;
}

} // namespace

std::string NormalizedValue(const TValue& v, TFieldType Type, bool Single)
{
    if (v.IsNull()) return "<null>";
    switch (velmorin::ValueClassOf(Type)) {
    case velmorin::TValueClass::Number:
        if (Type == TFieldType::ftFloat || v.Kind() == TValueKind::vkFloat) {
            if (Single) {
                char buf[64];
                auto r = std::to_chars(buf, buf + sizeof buf, static_cast<float>(v.AsFloat()));
                return std::string(buf, r.ptr);
            }
            return FloatToText(v.AsFloat());
        }
        return v.AsDecimal().Normalized().ToString();
    case velmorin::TValueClass::Text: {
        std::string s = v.AsString();
        if (Type == TFieldType::ftFixedChar)
            while (!s.empty() && s.back() == ' ') s.pop_back();
        return Long(s);
    }
    case velmorin::TValueClass::Binary: return Long("x" + velmorin::HexText(v.AsString()));
    case velmorin::TValueClass::DateTime:
        return Type == TFieldType::ftDate ? v.AsDateTime().DateText() : v.AsDateTime().DateTimeText();
    case velmorin::TValueClass::Time: return v.AsDateTime().TimeText();
    case velmorin::TValueClass::Boolean: return v.AsBoolean() ? "true" : "false";
    default: return v.AsString();
    }
}

std::string NormalizedText(const TField& Field, bool Single)
{
    return NormalizedValue(Field.Value(), Field.DataType(), Single);
}

// ---------------------------------------------------------------------------
// The table of every type

TAllTypesTable::TAllTypesTable(TKeyKind Key, TDataOptions Options) : m_key(Key), m_options(Options)
{
    using FT = TFieldType;
    switch (Key) {
    case TKeyKind::IntegerKey:
        m_columns.push_back({"ID", "INTEGER", "integer", "INTEGER", FT::ftInteger, false, true, true});
        break;
    case TKeyKind::CompositeKey:
        m_columns.push_back({"K1", "INTEGER", "integer", "INTEGER", FT::ftInteger, false, true, true});
        m_columns.push_back({"K2", "VARCHAR(20)", "varchar(20)", "VARCHAR(20)", FT::ftString, false, true, true});
        break;
    case TKeyKind::CharacterKey:
        m_columns.push_back({"CODE", "VARCHAR(20)", "varchar(20)", "VARCHAR(20)", FT::ftString, false, true, true});
        break;
    case TKeyKind::NoKey:
        m_columns.push_back({"ID", "INTEGER", "integer", "INTEGER", FT::ftInteger, false, false, false});
        break;
    }
    const std::vector<TColumnSpec> data = {
        {"C_SMALL", "SMALLINT", "smallint", "SMALLINT", FT::ftSmallint},
        {"C_INT", "INTEGER", "integer", "INTEGER", FT::ftInteger},
        {"C_BIG", "BIGINT", "bigint", "BIGINT", FT::ftLargeint},
        {"C_NUM", "NUMERIC(18,4)", "numeric(18,4)", "NUMERIC(18,4)", FT::ftBCD},
        {"C_NUM2", "NUMERIC(9,2)", "numeric(9,2)", "NUMERIC(9,2)", FT::ftBCD},
        {"C_DBL", "DOUBLE PRECISION", "double precision", "DOUBLE", FT::ftFloat},
        {"C_FLT", "FLOAT", "real", "REAL", FT::ftFloat, true},
        {"C_DATE", "DATE", "date", "DATE", FT::ftDate},
        {"C_TIME", "TIME", "time", "TIME", FT::ftTime},
        {"C_TS", "TIMESTAMP", "timestamp", "TIMESTAMP", FT::ftDateTime},
        {"C_CHAR", "CHAR(10)", "char(10)", "CHAR(10)", FT::ftFixedChar},
        {"C_VC", "VARCHAR(200)", "varchar(200)", "VARCHAR(200)", FT::ftString},
        {"C_TXT", "BLOB SUB_TYPE TEXT", "text", "TEXT", FT::ftMemo},
        {"C_BIN", "BLOB SUB_TYPE BINARY", "bytea", "BLOB", FT::ftBlob},
        {"C_BOOL", "BOOLEAN", "boolean", "BOOLEAN", FT::ftBoolean},
    };
    for (const TColumnSpec& c : data) {
        // The SQLite driver reads NUMERIC(9,2) and REAL through a 32-bit
        // float: such columns hold no value exactly there.
        if (m_options.Modest && (c.Name == "C_NUM2" || c.Name == "C_FLT")) continue;
        m_columns.push_back(c);
    }
}

std::string TAllTypesTable::CreateBody(TServer Server, const TTestDatabase& Db) const
{
    std::string body, keys;
    for (const TColumnSpec& c : m_columns) {
        const std::string& type =
            IsFirebird(Server) ? c.Firebird : (Server == TServer::PostgreSQL ? c.PostgreSQL : c.SQLite);
        body += (body.empty() ? "" : ", ") + Db.Column(c.Name) + " " + type + (c.NotNull ? " NOT NULL" : "");
        if (c.Key) keys += (keys.empty() ? "" : ", ") + Db.Column(c.Name);
    }
    if (!keys.empty()) body += ", PRIMARY KEY (" + keys + ")";
    return body;
}

std::string TAllTypesTable::ColumnList(const TTestDatabase& Db) const
{
    std::string r;
    for (const TColumnSpec& c : m_columns) r += (r.empty() ? "" : ", ") + Db.Column(c.Name);
    return r;
}

std::string TAllTypesTable::KeyOrder(const TTestDatabase& Db) const
{
    std::string r;
    for (const TColumnSpec& c : m_columns)
        if (c.Key) r += (r.empty() ? "" : ", ") + Db.Column(c.Name);
    if (r.empty()) r = Db.Column(m_columns[0].Name) + (IsFirebird(Db.Kind()) ? " NULLS LAST" : "");
    // Character keys in byte order on every server.
    if (Db.Kind() == TServer::PostgreSQL && (m_key == TKeyKind::CharacterKey || m_key == TKeyKind::CompositeKey))
        r += " COLLATE \"C\"";
    return r;
}

namespace {

const std::vector<std::string> TextPieces = {
    "O'Brien", "\r\n", "caf\xC3\xA9", "\xE2\x82\xAC", "\xE6\x97\xA5\xE6\x9C\xAC", "\\", ";", ":x", "--", "/*",
    "abc", "Z", "  ", "''", "x", "12.5", "\t",
};

std::string RandomText(std::mt19937& r, size_t maxPieces)
{
    std::string s;
    const size_t n = r() % (maxPieces + 1);
    for (size_t i = 0; i < n; ++i) s += TextPieces[r() % TextPieces.size()];
    return s;
}

std::string RandomBytes(std::mt19937& r, size_t n)
{
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(r() & 0xFF);
    return s;
}

} // namespace

TValue TAllTypesTable::RandomValue(std::mt19937& r, const TColumnSpec& c)
{
    if (!c.Key && !c.NotNull && r() % 8 == 0) return TValue();
    auto pick = [&](std::int64_t lo, std::int64_t hi) {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(r);
    };
    if (c.Name == "C_SMALL") return TValue::Integer(pick(-32768, 32767));
    if (c.Name == "C_INT") {
        if (r() % 10 == 0) return TValue::Integer(r() % 2 ? 2147483647 : -2147483647 - 1);
        return TValue::Integer(pick(-2147483647 - 1, 2147483647));
    }
    if (c.Name == "C_BIG") {
        if (m_options.Modest) return TValue::Integer(pick(-(1LL << 52), 1LL << 52));
        if (r() % 10 == 0) return TValue::Integer(r() % 2 ? INT64_MAX : INT64_MIN);
        return TValue::Integer(pick(INT64_MIN, INT64_MAX));
    }
    if (c.Name == "C_NUM") {
        // A SQLite number is a double: sixteenths, which a double holds exactly.
        if (m_options.Modest) return TValue::Decimal(TDecimal(pick(-160000000, 160000000) * 625, 4));
        return TValue::Decimal(TDecimal(pick(-900000000000000000LL, 900000000000000000LL), 4));
    }
    if (c.Name == "C_NUM2") return TValue::Decimal(TDecimal(pick(-999999999, 999999999), 2));
    if (c.Name == "C_DBL" && m_options.Modest) {
        // The SQLite driver passes doubles on with 15 significant digits.
        const std::string text = std::to_string(pick(-999999999999LL, 999999999999LL)) + "e" + std::to_string(pick(-10, 10));
        return TValue::Float(TextToFloat(text));
    }
    if (c.Name == "C_DBL") {
        static const double specials[] = {0.1 + 0.2, 1.0 / 3, 1e300, -1e-300, 2.5, 100.0, -2.5,
                                          123456789.123456789, 1e20, 0.1, -0.0 + 7.0, 9007199254740993.0};
        if (r() % 3 == 0) return TValue::Float(specials[r() % std::size(specials)]);
        const double mant = std::uniform_real_distribution<double>(-10.0, 10.0)(r);
        const int exp = m_options.Modest ? static_cast<int>(pick(-20, 20)) : static_cast<int>(pick(-300, 300));
        return TValue::Float(mant * std::pow(10.0, exp));
    }
    if (c.Name == "C_FLT") {
        static const float specials[] = {0.1f, 1.0f / 3.0f, 1e30f, -2.5f, 100.0f, 16777217.0f};
        const float f = r() % 3 == 0 ? specials[r() % std::size(specials)]
                                     : std::uniform_real_distribution<float>(-1e6f, 1e6f)(r);
        return TValue::Float(static_cast<double>(f));
    }
    const std::int64_t fractionStep = [&] {
        std::int64_t s = 1;
        for (int i = m_options.MaxFractionDigits; i < 6; ++i) s *= 10;
        return s;
    }();
    if (c.Name == "C_DATE")
        return TValue::Date(TDateTimeValue::FromDayAndMicros(pick(0, 73000), 0)); // 1899 .. 2099
    if (c.Name == "C_TIME")
        return TValue::Time(TDateTimeValue::FromDayAndMicros(0, pick(0, 86399999999LL / fractionStep) * fractionStep));
    if (c.Name == "C_TS")
        return TValue::DateTime(
            TDateTimeValue::FromDayAndMicros(pick(0, 73000), pick(0, 86399999999LL / fractionStep) * fractionStep));
    if (c.Name == "C_CHAR") {
        static const char alphabet[] = "abcXYZ019'-";
        std::string s;
        const size_t n = 1 + r() % 10;
        for (size_t i = 0; i < n; ++i) s += alphabet[r() % (sizeof alphabet - 1)];
        return TValue::String(s);
    }
    if (c.Name == "C_VC") {
        std::string s = RandomText(r, 8);
        return TValue::String(s);
    }
    if (c.Name == "C_TXT") {
        if (m_options.BigBlobs && m_bigBlobs < 2 && r() % 6 == 0) {
            ++m_bigBlobs;
            std::string big;
            while (big.size() < 1024 * 1024) big += "Zeile \xC3\xA4\xC3\xB6\xC3\xBC 'quoted' \r\n";
            return TValue::String(big);
        }
        if (r() % 5 == 0) return TValue::String("");
        return TValue::String(RandomText(r, 12));
    }
    if (c.Name == "C_BIN") {
        if (m_options.BigBlobs && m_bigBlobs < 4 && r() % 6 == 0) {
            ++m_bigBlobs;
            return TValue::Bytes(RandomBytes(r, 1024 * 1024 + 3));
        }
        if (r() % 5 == 0) return TValue::Bytes("");
        return TValue::Bytes(RandomBytes(r, 1 + r() % 40));
    }
    if (c.Name == "C_BOOL") return TValue::Boolean(r() % 2 == 0);
    // Keys.
    if (c.Name == "ID" || c.Name == "K1") {
        if (m_key == TKeyKind::NoKey && m_nextKey == 3) return TValue();
        return TValue::Integer(m_key == TKeyKind::CompositeKey ? m_nextKey / 3 : m_nextKey * 7 - 100);
    }
    if (c.Name == "K2") {
        static const char* parts[] = {"alpha", "Beta", "GAMMA"};
        return TValue::String(parts[m_nextKey % 3]);
    }
    if (c.Name == "CODE") {
        // Mixed case, digits and a non-ASCII letter, unique per row.
        static const char* stems[] = {"a", "B", "ab", "Ab", "aB", "z", "Z", "\xC3\xA9t\xC3\xA9", "0", "M x"};
        return TValue::String(std::string(stems[m_nextKey % std::size(stems)]) + std::to_string(m_nextKey / 10));
    }
    return TValue();
}

std::vector<TRow> TAllTypesTable::Generate(std::mt19937& Random, int Count)
{
    std::vector<TRow> rows;
    for (int i = 0; i < Count; ++i) {
        TRow row;
        for (const TColumnSpec& c : m_columns) row.push_back(RandomValue(Random, c));
        ++m_nextKey;
        rows.push_back(std::move(row));
    }
    return rows;
}

void TAllTypesTable::Insert(TTestDatabase& Db, const std::string& Table, const std::vector<TRow>& Rows) const
{
    std::string cols, marks;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        cols += (i ? ", " : "") + Db.Column(m_columns[i].Name);
        marks += (i ? ", " : "") + std::string(":P") + std::to_string(i);
    }
    auto q = Db.Connection().CreateQuery();
    q->SetSQLText("insert into " + Table + " (" + cols + ") values (" + marks + ")");
    if (!Db.Connection().InTransaction()) Db.Connection().StartTransaction();
    for (const TRow& row : Rows) {
        TParams& p = *q->GetParams();
        for (size_t i = 0; i < m_columns.size(); ++i) {
            TFieldType t = m_columns[i].Type;
            if (Db.Kind() == TServer::SQLite && t == TFieldType::ftBCD) t = TFieldType::ftFloat;
            TValue v = row[i];
            if (Db.Kind() == TServer::SQLite && !v.IsNull() && t == TFieldType::ftFloat && v.Kind() == TValueKind::vkDecimal)
                v = TValue::Float(v.AsDecimal().ToDouble());
            p[static_cast<int>(i)].SetValue(t, v);
        }
        q->ExecSQL();
    }
    Db.Connection().Commit();
}

std::vector<TRow> MutatedCopy(TAllTypesTable& Table, const std::vector<TRow>& Master, std::mt19937& Random,
                              TChanges& Changes)
{
    const auto& cols = Table.Columns();
    std::vector<TRow> target;
    for (size_t i = 0; i < Master.size(); ++i) {
        const unsigned roll = Random() % 100;
        if (roll < 12) {
            ++Changes.Missing;
            continue;
        }
        TRow row = Master[i];
        if (roll < 30) {
            const int n = 1 + static_cast<int>(Random() % 3);
            bool changed = false;
            for (int k = 0; k < n; ++k) {
                const size_t c = Random() % cols.size();
                if (cols[c].Key) continue;
                for (int attempt = 0; attempt < 20; ++attempt) {
                    TValue v = Table.RandomValue(Random, cols[c]);
                    if (NormalizedValue(v, cols[c].Type, cols[c].Single) !=
                        NormalizedValue(row[c], cols[c].Type, cols[c].Single)) {
                        row[c] = v;
                        changed = true;
                        break;
                    }
                }
            }
            if (changed) ++Changes.Changed;
        }
        target.push_back(std::move(row));
    }
    std::vector<TRow> extra = Table.Generate(Random, static_cast<int>(Master.size() / 10) + 1);
    Changes.Extra = static_cast<int>(extra.size());
    for (TRow& row : extra) target.push_back(std::move(row));
    return target;
}

// ---------------------------------------------------------------------------
// Runs of the comparer

std::string Joined(const std::vector<std::string>& lines)
{
    std::string r;
    for (const auto& l : lines) r += l + "\n";
    return r;
}

TRun::TRun(TQELCustomConnection& Master, const std::string& TableM, TQELCustomConnection* Target,
           const std::string& TableT, const std::string& Folder)
{
    C.SetQELConnectionMaster(&Master);
    C.SetQELConnectionTarget(Target);
    C.SetTableNameMaster(TableM);
    C.SetTableNameTarget(TableT);
    C.SetScriptFileName((std::filesystem::path(Folder) / "Result.SQL").string());
    C.OnLogNextLine = [this](TObject&, const std::string& t) { log.push_back(t); };
    C.OnErrorMessage = [this](TObject&, const std::string& t) { errors.push_back(t); };
}

TRun::TRun(TTestDatabase& Master, const std::string& TableM, TTestDatabase& Target, const std::string& TableT)
    : TRun(Master.Connection(), TableM, &Target.Connection(), TableT, Target.Dir().Path().string())
{
}

bool OnlyHeaderStatements(const TCustomSQLExec& Exec)
{
    for (int i = 0; i < Exec.Count(); ++i) {
        const TStatType t = Exec.Statements(i).StatType;
        if (t == TStatType::stInsert || t == TStatType::stUpdate || t == TStatType::stDelete) return false;
    }
    return true;
}

std::string StatementTexts(const TCustomSQLExec& Exec)
{
    std::string r;
    for (int i = 0; i < Exec.Count(); ++i) r += Exec.Statements(i).SQL.Text().substr(0, 2000) + "\n";
    return r;
}

void SyncAndCompareAgain(TTestDatabase& M, const std::string& TableM, TTestDatabase& T, const std::string& TableT,
                         bool Immediate, TSync* Counts, const std::function<void(TVelmorin&)>& Setup)
{
    TSync s;
    {
        TRun run(M, TableM, T, TableT);
        std::unique_ptr<TSQLExec> exec = T.NewExecutor();
        if (Setup) Setup(run.C);
        if (Immediate) run.C.SetUpdateImmediately(true);
        else run.C.SetSQLExec(exec.get());
        ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
        ASSERT_EQ(run.C.ErrorCount, 0) << Joined(run.errors) << Joined(run.log);
        s = {run.C.Equal, run.C.Inserted, run.C.Updated, run.C.Deleted};
        if (!Immediate) {
            std::vector<std::string> execErrors;
            exec->OnErrorMessage = [&](TObject&, const std::string& t) { execErrors.push_back(t); };
            ASSERT_TRUE(exec->Execute()) << Joined(execErrors) << StatementTexts(*exec);
            EXPECT_TRUE(execErrors.empty()) << Joined(execErrors);
        }
    }
    TRun again(M, TableM, T, TableT);
    TCustomSQLExec sink;
    if (Setup) Setup(again.C);
    again.C.SetSQLExec(&sink);
    ASSERT_TRUE(again.C.Execute()) << Joined(again.errors);
    EXPECT_EQ(again.C.ErrorCount, 0) << Joined(again.errors);
    EXPECT_EQ(again.C.Inserted + again.C.Updated + again.C.Deleted, 0) << StatementTexts(sink);
    EXPECT_TRUE(OnlyHeaderStatements(sink)) << StatementTexts(sink);
    s.EqualAfter = again.C.Equal;
    if (Counts != nullptr) *Counts = s;
}

std::string Mode(bool Immediate)
{
    return Immediate ? "_Immediate" : "_Script";
}

} // namespace cmptest
