#include "qelBenchSupport.h"

#include "qelDataSet.h"
#include "qelIBClient.h"
#include "qelIBQuery.h"
#include "qelText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>

namespace qel::bench {

namespace {

// The modulus and multiplier of the Lehmer generator that the servers
// evaluate: every product stays below 2^62, inside BIGINT.
constexpr std::int64_t Modulus = 2147483647;
constexpr std::int64_t Multiplier = 48271;

std::int64_t PowerMod(std::int64_t Base, int Exponent)
{
    std::int64_t r = 1;
    for (int i = 0; i < Exponent; ++i) r = r * Base % Modulus;
    return r;
}

std::string Replace(std::string Text, const std::string& What, const std::string& By)
{
    for (size_t pos = Text.find(What); pos != std::string::npos; pos = Text.find(What, pos + By.size()))
        Text.replace(pos, What.size(), By);
    return Text;
}

// "Server=127.0.0.1;Port=55432;..." -> the value of Key, ignoring case.
std::string ConnItem(const std::string& Conn, const std::string& Key)
{
    size_t pos = 0;
    while (pos < Conn.size()) {
        const size_t end = std::min(Conn.find(';', pos), Conn.size());
        const std::string item = Conn.substr(pos, end - pos);
        const size_t eq = item.find('=');
        if (eq != std::string::npos && SameText(Trim(item.substr(0, eq)), Key)) return Trim(item.substr(eq + 1));
        pos = end + 1;
    }
    return {};
}

} // namespace

std::string Env(const char* Name, const std::string& Default)
{
    const char* v = std::getenv(Name);
    return v != nullptr && *v != '\0' ? std::string(v) : Default;
}

long PeakKiB()
{
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

double SecondsSince(std::chrono::steady_clock::time_point Start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

void Report(const std::string& Name, double Value)
{
    std::printf("%s %.4f\n", Name.c_str(), Value);
    std::fflush(stdout);
}

void Report(const std::string& Name, long long Value)
{
    std::printf("%s %lld\n", Name.c_str(), Value);
    std::fflush(stdout);
}

TDbSpec ParseDbSpec(const std::string& Text)
{
    TDbSpec s;
    if (Text == "pg:") {
        s.Kind = TDbKind::PostgreSQL;
        return s;
    }
    if (Text.rfind("sqlite:", 0) == 0 && Text.size() > 7) {
        s.Kind = TDbKind::SQLite;
        s.Path = Text.substr(7);
        return s;
    }
    if (Text.rfind("fb:", 0) != 0 || Text.size() < 4) throw std::invalid_argument("not a database: " + Text);
    const std::string rest = Text.substr(3);
    if (rest.front() == '/') {
        s.Path = rest;
        return s;
    }
    const size_t colon = rest.find(':');
    if (colon == std::string::npos) throw std::invalid_argument("not a database: " + Text);
    s.Kind = TDbKind::FirebirdServer;
    s.Host = rest.substr(0, colon);
    s.Path = rest.substr(colon + 1);
    return s;
}

void Configure(TQELConnection& C, const TDbSpec& Spec)
{
    C.OnErrorMessage = [](TObject&, const std::string& t) { std::cerr << "connection: " << t << "\n"; };
    if (Spec.Kind == TDbKind::PostgreSQL) {
        const std::string conn = Env("VELMORIN_PG_CONN");
        if (conn.empty()) throw std::runtime_error("VELMORIN_PG_CONN is not set (. ci/dev-env.sh)");
        C.SetDatabaseType(TDatabaseType::dbPostgreSQL);
        C.SetConnectionType(TconnectionType::cnADO);
        const std::string port = ConnItem(conn, "Port");
        C.ConnectionOptions().HostName = ConnItem(conn, "Server") + (port.empty() ? "" : ":" + port);
        C.ConnectionOptions().DatabaseName = ConnItem(conn, "Database");
        C.ConnectionOptions().UserName = ConnItem(conn, "Uid");
        C.ConnectionOptions().Password = ConnItem(conn, "Pwd");
        return;
    }
    if (Spec.Kind == TDbKind::SQLite) {
        C.SetDatabaseType(TDatabaseType::dbCustomOLEDB);
        C.SetConnectionType(TconnectionType::cnADO);
        C.ConnectionOptions().DatabaseName = "Driver={SQLite3};Database=" + Spec.Path + ";";
        return;
    }
    C.SetDatabaseType(TDatabaseType::dbInterBase);
    C.SetConnectionType(TconnectionType::cnIBX);
    C.ConnectionOptions().UserName = Env("VELMORIN_FB_USER", "SYSDBA");
    C.ConnectionOptions().Password = Env("VELMORIN_FB_PASSWORD", "masterkey");
    C.IBServerOptions().SetDBCharSet("UTF8");
    C.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
    C.ConnectionOptions().DatabaseName = Spec.Path;
    if (Spec.Kind == TDbKind::FirebirdServer) {
        C.ConnectionOptions().HostName = Spec.Host;
        C.ConnectionOptions().Protocol = TQELProtocol::ptTCP;
    } else {
        C.ConnectionOptions().Protocol = TQELProtocol::ptLocal;
    }
}

void Open(TQELConnection& C, const TDbSpec& Spec, bool Create)
{
    Configure(C, Spec);
    if (Create && Spec.Kind == TDbKind::FirebirdEmbedded && !std::filesystem::exists(Spec.Path) &&
        !C.CreateDatabase())
        throw std::runtime_error("cannot create " + Spec.Path);
    C.SetConnected(true);
    if (!C.Connected()) throw std::runtime_error("cannot connect to " + C.ConnectionOptions().DatabaseName);
}

void Exec(TQELConnection& C, const std::string& SQL)
{
    auto q = C.CreateQuery();
    q->SetParamCheck(false);
    q->SetSQLText(SQL);
    q->ExecSQL();
    if (C.InTransaction()) C.Commit();
}

void TryExec(TQELConnection& C, const std::string& SQL)
{
    try {
        Exec(C, SQL);
    } catch (const std::exception&) {
        if (C.InTransaction()) C.Rollback();
    }
}

long long CountRows(TQELConnection& C, const std::string& Table)
{
    auto q = C.CreateQuery();
    q->SetSQLText("select count(*) from " + Table);
    q->Open();
    const long long n = (*q->GetFields())[0].AsLargeInt();
    q->Close();
    if (C.InTransaction()) C.Commit();
    return n;
}

// ---------------------------------------------------------------------------
// Row formulas

TRowFormulas::TRowFormulas(TDbKind Kind, std::uint32_t Seed) : m_kind(Kind), m_seed(Seed % Modulus) {}

std::string TRowFormulas::TableBody() const
{
    return "ID BIGINT NOT NULL PRIMARY KEY, NAME VARCHAR(40), CODE CHAR(8), QTY INTEGER, AMOUNT NUMERIC(18,4), "
           "RATE DOUBLE PRECISION, CHANGED TIMESTAMP";
}

// Step Step of the generator from row I's seed value: below 2^31.
std::string TRowFormulas::X(const std::string& I, int Step) const
{
    return "mod(mod(" + I + " * " + std::to_string(Multiplier) + " + " + std::to_string(m_seed) + ", " +
           std::to_string(Modulus) + ") * " + std::to_string(PowerMod(Multiplier, Step + 1)) + ", " +
           std::to_string(Modulus) + ")";
}

// Column 1..6 of a row whose numbers come from step Step on.
std::string TRowFormulas::Value(int Column, const std::string& I, int Step) const
{
    const std::string x = X(I, Step + Column);
    std::string e;
    switch (Column) {
    case 1: e = "case when mod($x, 50) = 0 then null else 'name ' || $x end"; break;
    case 2: e = "'C' || mod($x, 10000000)"; break;
    case 3: e = "mod($x, 100000) - 50000"; break;
    case 4: e = "case when mod($x, 40) = 0 then null else mod($x, 1000000000) * 0.0001 end"; break;
    case 5: e = "cast($x as double precision) / 7"; break;
    case 6:
        e = m_kind == TDbKind::PostgreSQL
                ? "timestamp '2015-01-01 00:00:00' + mod($x, 315360000) * interval '1 second' + mod($x, 1000) * "
                  "interval '1 millisecond'"
                : "dateadd(mod($x, 1000) millisecond to dateadd(mod($x, 315360000) second to timestamp "
                  "'2015-01-01 00:00:00'))";
        break;
    default: break;
    }
    return Replace(e, "$x", x);
}

std::string TRowFormulas::RowClass(const std::string& I) const
{
    return "mod(" + I + " * 37 + " + std::to_string(m_seed % 100) + ", 100)";
}

int TRowFormulas::ClassOf(long long I) const
{
    return static_cast<int>((I * 37 + m_seed % 100) % 100);
}

std::string TRowFormulas::MasterValues(const std::string& I) const
{
    std::string r = "2 * " + I + " + 2";
    for (int c = 1; c <= 6; ++c) r += ", " + Value(c, I, 0);
    return r;
}

std::string TRowFormulas::TargetValues(const std::string& I) const
{
    // A class 1 row changes one column, chosen by another step; each change
    // gives a value the formulas never make, so every one is a difference.
    std::string changed = "(";
    changed += RowClass(I) + " = 1 and mod(" + X(I, 20) + ", 6) = ";
    const std::string changes[] = {"'changed ' || " + I, "'CHANGED'", Value(3, I, 0) + " + 1", "-1",
                                   "cast(-1 as double precision)", "timestamp '2000-01-01 00:00:00'"};
    std::string r = "2 * " + I + " + 2";
    for (int c = 1; c <= 6; ++c)
        r += ", case when " + changed + std::to_string(c - 1) + ") then " + changes[c - 1] + " else " + Value(c, I, 0) +
             " end";
    return r;
}

std::string TRowFormulas::ExtraValues(const std::string& I) const
{
    std::string r = "2 * " + I + " + 3";
    for (int c = 1; c <= 6; ++c) r += ", " + Value(c, I, 10);
    return r;
}

namespace {

// Drops the table when it is there and creates it anew.
void CreateTable(TQELConnection& C, const std::string& Table, const std::string& Body)
{
    TryExec(C, "drop table " + Table);
    Exec(C, "create table " + Table + " (" + Body + ")");
}

} // namespace

void FillRowTable(TQELConnection& C, TDbKind Kind, const std::string& Table, long long Rows, std::uint32_t Seed,
                  bool Target)
{
    const TRowFormulas f(Kind, Seed);
    CreateTable(C, Table, f.TableBody());
    const std::string insert = "insert into " + Table + " (" + TRowFormulas::Columns() + ") ";
    const std::string n = std::to_string(Rows);
    if (Kind == TDbKind::PostgreSQL) {
        const std::string series = " from generate_series(0::bigint, " + n + " - 1) as g(i)";
        if (!Target) {
            Exec(C, insert + "select " + f.MasterValues("i") + series);
            return;
        }
        Exec(C, insert + "select " + f.TargetValues("i") + series + " where " + f.RowClass("i") + " <> 0");
        Exec(C, insert + "select " + f.ExtraValues("i") + series + " where " + f.RowClass("i") + " = 2");
        Exec(C, "analyze " + Table);
        return;
    }
    std::string body;
    if (!Target) {
        body = insert + "values (" + f.MasterValues(":i") + ");";
    } else {
        body = "if (" + f.RowClass("i") + " <> 0) then " + insert + "values (" + f.TargetValues(":i") + "); " +
               "if (" + f.RowClass("i") + " = 2) then " + insert + "values (" + f.ExtraValues(":i") + ");";
    }
    Exec(C, "execute block as declare i bigint = 0; begin while (i < " + n + ") do begin " + body +
                " i = i + 1; end end");
}

void FillBlobTable(TQELConnection& C, const std::string& Table, long long Rows, size_t Bytes, std::uint32_t Seed,
                   bool Target)
{
    CreateTable(C, Table, "ID BIGINT NOT NULL PRIMARY KEY, DATA BLOB SUB_TYPE 0");
    TIBDatabase db;
    db.SetDatabaseName(C.ConnectionOptions().HostName.empty()
                           ? C.ConnectionOptions().DatabaseName
                           : C.ConnectionOptions().HostName + ":" + C.ConnectionOptions().DatabaseName);
    db.Params().SetLines({"user_name=" + C.ConnectionOptions().UserName,
                          "password=" + C.ConnectionOptions().Password, "lc_ctype=UTF8"});
    db.Open();
    TIBTransaction tr(&db);
    db.SetDefaultTransaction(&tr);
    TIBSQL ins(&db, &tr);
    ins.SetSQL("insert into " + Table + " (ID, DATA) values (?, ?)");
    ins.Prepare();
    auto put = [&](long long key, const std::string& data) {
        ins.Params()[0].SetAsLargeInt(key);
        ins.Params()[1].SetAsBlob(data);
        ins.ExecQuery();
    };
    const TRowFormulas f(TDbKind::FirebirdEmbedded, Seed);
    for (long long i = 0; i < Rows; ++i) {
        const int cls = f.ClassOf(i);
        std::string data = BlobBytes(Seed, i, Bytes);
        if (!Target) {
            put(2 * i + 2, data);
        } else {
            if (cls == 1 && Bytes > 0) data[static_cast<size_t>(i) % Bytes] ^= 1;
            if (cls != 0) put(2 * i + 2, data);
            if (cls == 2) put(2 * i + 3, BlobBytes(Seed, Rows + i, Bytes));
        }
        if (i % 500 == 499) tr.CommitRetaining();
    }
    tr.Commit();
    db.Close();
}

std::string BlobBytes(std::uint32_t Seed, long long Row, std::size_t Size)
{
    // xorshift64*: fast, and the same bytes for the same seed and row.
    std::uint64_t s = (static_cast<std::uint64_t>(Seed) << 32) ^ static_cast<std::uint64_t>(Row) ^ 0x9E3779B97F4A7C15ull;
    if (s == 0) s = 1;
    std::string r(Size, '\0');
    for (size_t i = 0; i < Size; i += 8) {
        s ^= s >> 12;
        s ^= s << 25;
        s ^= s >> 27;
        const std::uint64_t v = s * 0x2545F4914F6CDD1Dull;
        std::memcpy(r.data() + i, &v, std::min<size_t>(8, Size - i));
    }
    return r;
}

} // namespace qel::bench
