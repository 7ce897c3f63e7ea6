#include "qelBenchSQLite.h"

#include "qelBenchSupport.h"

#include <sqlite3.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <tuple>

namespace qel::bench {

namespace {

using TDbPtr = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;
using TStmtPtr = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

[[noreturn]] void Fail(sqlite3* Db, const std::string& What)
{
    throw std::runtime_error(What + ": " + (Db ? sqlite3_errmsg(Db) : "out of memory"));
}

TDbPtr OpenFile(const std::string& Path, int Flags)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(Path.c_str(), &db, Flags, nullptr);
    TDbPtr owner(db, sqlite3_close_v2);
    if (rc != SQLITE_OK) Fail(db, "cannot open " + Path);
    return owner;
}

void Run(sqlite3* Db, const std::string& SQL)
{
    if (sqlite3_exec(Db, SQL.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(Db, SQL);
}

TStmtPtr Prepare(sqlite3* Db, const std::string& SQL)
{
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(Db, SQL.c_str(), -1, &s, nullptr) != SQLITE_OK) Fail(Db, SQL);
    return TStmtPtr(s, sqlite3_finalize);
}

long long Count(sqlite3* Db, const std::string& SQL)
{
    TStmtPtr s = Prepare(Db, SQL);
    if (sqlite3_step(s.get()) != SQLITE_ROW) Fail(Db, SQL);
    return sqlite3_column_int64(s.get(), 0);
}

// splitmix64: the value of one stream of one row, the same for the same
// seed on every machine.
std::uint64_t Random(std::uint32_t Seed, long long Row, std::uint64_t Stream)
{
    std::uint64_t z = (static_cast<std::uint64_t>(Seed) << 32) ^ (static_cast<std::uint64_t>(Row) * 0x9E3779B97F4A7C15ull) ^
                      (Stream * 0xD1B54A32D192ED03ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// The significant digits of the shortest text that reads back as V.
int SignificantDigits(double V)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, V, std::chars_format::scientific);
    int digits = 0;
    for (const char* p = buf; p < r.ptr && *p != 'e'; ++p) digits += *p >= '0' && *p <= '9';
    return digits;
}

// A double of random bits whose shortest text has 17 significant digits,
// the case where a literal with one digit less reads back as another double.
// Most lie within 2^-60..2^60; one in 97 anywhere in the range of normal
// doubles. In some stretches of a binade every double has a shorter text,
// so the draw is repeated (with the next value of Row's stream) rather
// than stepped to a neighbour.
double HardDouble(std::uint32_t Seed, long long Row)
{
    for (std::uint64_t draw = 0;; ++draw) {
        const std::uint64_t bits = Random(Seed, Row, 100 + 2 * draw), shape = Random(Seed, Row, 101 + 2 * draw);
        const std::uint64_t exponent = shape % 97 == 0 ? 1 + (shape >> 8) % 2046 : 1023 - 60 + (shape >> 8) % 121;
        const double v = std::bit_cast<double>(((shape >> 40) & 1) << 63 | exponent << 52 | (bits & ((1ull << 52) - 1)));
        if (SignificantDigits(v) == 17) return v;
    }
}

// Text whose every piece a literal must escape or carry unchanged.
std::string HardText(long long Row, std::uint64_t R)
{
    static const char* const pieces[] = {
        "it's",          "\"quoted\"",    "O'Neil said \"''\"", "Grüße „€“",  "東京 ☃ 🙂", "back\\slash\\",
        "line\nbreak",   "cr\r\nlf",      "tab\tend",            "50% _x_",    "-- not a comment", "/* nor */",
        "');",           "\"\";",         "naïve café",          "Ωμέγα",      "ĳ ŉ ǅ",       "\\'"};
    constexpr std::uint64_t n = sizeof pieces / sizeof pieces[0];
    std::string t = "row " + std::to_string(Row);
    for (int k = 0; k < 3; ++k) {
        t += k % 2 ? " " : ", ";
        t += pieces[(R >> (8 * k)) % n];
    }
    return t;
}

std::string HardBytes(std::uint64_t R, std::uint64_t More)
{
    std::string b(R % 24, '\0');
    for (size_t k = 0; k < b.size(); ++k) b[k] = static_cast<char>(k % 5 == 0 ? 0 : (More >> (8 * (k % 8))) & 0xff);
    return b;
}

// One row: the cells as they are bound, with Null as an absent value.
struct TRow {
    long long ID = 0;
    double R = 0;
    bool QNull = false;
    double Q = 0;
    bool TNull = false;
    bool TAsBlob = false;
    std::string T;
    bool BNull = false;
    std::string B;
};

TRow MakeRow(std::uint32_t Seed, long long Row, long long Key)
{
    const auto r = [&](std::uint64_t stream) { return Random(Seed, Row, stream); };
    TRow w;
    w.ID = Key;
    w.R = HardDouble(Seed, Row);
    static const double divisors[] = {3, 7, 9, 11, 13, 49, 3e-5, 1e22 / 3};
    w.QNull = r(3) % 50 == 0;
    w.Q = static_cast<double>(static_cast<long long>(r(4) % 2000001) - 1000000) / divisors[r(5) % 8];
    const std::uint64_t t = r(6);
    w.TNull = t % 60 == 0;
    w.T = t % 70 == 1 ? std::string() : HardText(Row, t >> 8);
    w.BNull = r(7) % 40 == 0;
    w.B = HardBytes(r(8), r(9));
    return w;
}

// A class 1 row of the target: one cell changed, the least a comparison
// can miss.
void ChangeRow(TRow& W, std::uint64_t Which)
{
    switch (Which % 5) {
    case 0: W.R = std::nextafter(W.R, HUGE_VAL); break;
    case 1:
        if (W.QNull) W.Q = 1.0 / 3;
        else W.Q = std::nextafter(W.Q, -HUGE_VAL);
        W.QNull = false;
        break;
    case 2:
        W.T = W.TNull ? "changed" : W.T + "'";
        W.TNull = false;
        break;
    case 3:
        if (W.BNull || W.B.empty()) W.B = std::string(1, '\0');
        else W.B[0] = static_cast<char>(W.B[0] ^ 1);
        W.BNull = false;
        break;
    default:
        // The same bytes, but a BLOB where the master has TEXT.
        W.TAsBlob = true;
        W.TNull = false;
        break;
    }
}

void Insert(sqlite3* Db, sqlite3_stmt* S, const TRow& W)
{
    sqlite3_reset(S);
    sqlite3_bind_int64(S, 1, W.ID);
    sqlite3_bind_double(S, 2, W.R);
    if (W.QNull) sqlite3_bind_null(S, 3);
    else sqlite3_bind_double(S, 3, W.Q);
    if (W.TNull) sqlite3_bind_null(S, 4);
    else if (W.TAsBlob) sqlite3_bind_blob64(S, 4, W.T.data(), W.T.size(), SQLITE_STATIC);
    else sqlite3_bind_text64(S, 4, W.T.data(), W.T.size(), SQLITE_STATIC, SQLITE_UTF8);
    if (W.BNull) sqlite3_bind_null(S, 5);
    else sqlite3_bind_blob64(S, 5, W.B.data(), W.B.size(), SQLITE_STATIC);
    if (sqlite3_step(S) != SQLITE_DONE) Fail(Db, "insert of row " + std::to_string(W.ID));
}

// ---------------------------------------------------------------------------
// Describing a difference

const char* const kColumns[] = {"R", "Q", "T", "B"};

// One cell as a reader can check it: a REAL with 17 digits and its bits,
// text quoted with its control characters escaped, a BLOB in hex; and its
// storage class.
std::string Cell(sqlite3_stmt* S, int Col)
{
    char buf[96];
    switch (sqlite3_column_type(S, Col)) {
    case SQLITE_NULL: return "NULL (null)";
    case SQLITE_INTEGER: return std::to_string(sqlite3_column_int64(S, Col)) + " (integer)";
    case SQLITE_FLOAT: {
        const double d = sqlite3_column_double(S, Col);
        std::snprintf(buf, sizeof buf, "%.17g [bits %016llx] (real)", d,
                      static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(d)));
        return buf;
    }
    case SQLITE_TEXT: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(S, Col));
        std::string r = "'";
        for (int k = 0; k < sqlite3_column_bytes(S, Col); ++k) {
            const auto c = static_cast<unsigned char>(p[k]);
            if (c < 0x20) {
                std::snprintf(buf, sizeof buf, "\\x%02x", c);
                r += buf;
            } else {
                r += static_cast<char>(c);
            }
        }
        return r + "' (text)";
    }
    default: {
        const auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(S, Col));
        std::string r = "x'";
        for (int k = 0; k < sqlite3_column_bytes(S, Col); ++k) {
            std::snprintf(buf, sizeof buf, "%02X", p[k]);
            r += buf;
        }
        return r + "' (blob)";
    }
    }
}

// Whether Statement is one of the comparer's statements for the row of
// Key: "... WHERE ID = 12;" or "INSERT ... VALUES(12, ...".
bool NamesKey(const std::string& Statement, const std::string& Key)
{
    for (const std::string& form : {"ID = " + Key, "VALUES(" + Key + ","}) {
        for (size_t at = Statement.find(form); at != std::string::npos; at = Statement.find(form, at + 1)) {
            const size_t end = at + form.size();
            if (end == Statement.size() || Statement[end] < '0' || Statement[end] > '9') return true;
        }
    }
    return false;
}

// The statements of Script for the row of Key, each cut at 800 bytes. A
// statement ends with the line that ends with ";".
std::string ScriptStatementsOf(const std::string& Script, long long Key)
{
    std::ifstream in(Script, std::ios::binary);
    if (!in) return "  (no script " + Script + ")\n";
    const std::string key = std::to_string(Key);
    std::string line, statement, r;
    int found = 0;
    while (found < 3 && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        statement += (statement.empty() ? "" : "\n") + line;
        if (line.empty() || line.back() != ';') continue;
        if (NamesKey(statement, key)) {
            std::string shown = statement.size() > 800 ? statement.substr(0, 800) + " ..." : statement;
            for (size_t at = shown.find('\n'); at != std::string::npos; at = shown.find('\n', at + 1))
                shown.insert(at + 1, "          ");
            r += "  script: " + shown + "\n";
            ++found;
        }
        statement.clear();
    }
    return found ? r : "  (no statement of the script is for key " + key + ")\n";
}

} // namespace

void FillSQLiteTable(const std::string& Path, const std::string& Table, long long Rows, std::uint32_t Seed, bool Target)
{
    TDbPtr db = OpenFile(Path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    // Built once and copied nowhere: no journal, no waiting for the disk.
    Run(db.get(), "pragma journal_mode = off; pragma synchronous = off");
    Run(db.get(), "drop table if exists " + Table);
    Run(db.get(), "create table " + Table + " (ID INTEGER PRIMARY KEY, R REAL, Q REAL, T TEXT, B BLOB)");
    Run(db.get(), "begin");
    TStmtPtr ins = Prepare(db.get(), "insert into " + Table + " (ID, R, Q, T, B) values (?, ?, ?, ?, ?)");
    const TRowFormulas classes(TDbKind::SQLite, Seed);
    for (long long i = 0; i < Rows; ++i) {
        TRow w = MakeRow(Seed, i, 2 * i + 2);
        if (!Target) {
            Insert(db.get(), ins.get(), w);
            continue;
        }
        const int cls = classes.ClassOf(i);
        if (cls == 1) ChangeRow(w, Random(Seed, i, 20));
        if (cls != 0) Insert(db.get(), ins.get(), w);
        if (cls == 2) Insert(db.get(), ins.get(), MakeRow(Seed, Rows + i, 2 * i + 3));
    }
    ins.reset();
    Run(db.get(), "commit");
}

TSQLiteCellCheck CheckSQLiteCells(const std::string& Master, const std::string& Target, const std::string& Table,
                                  const std::string& Script)
{
    TDbPtr db = OpenFile(Target, SQLITE_OPEN_READONLY);
    {
        TStmtPtr attach = Prepare(db.get(), "attach database ? as m");
        sqlite3_bind_text(attach.get(), 1, Master.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(attach.get()) != SQLITE_DONE) Fail(db.get(), "attach " + Master);
    }
    const std::string a = "m." + Table, b = "main." + Table;
    // IS NOT compares a REAL with a REAL as doubles, text and BLOBs byte by
    // byte (BINARY), and two storage classes as different; typeof() says
    // so again for the reader of the query.
    std::string differs;
    for (const char* c : kColumns) {
        const std::string x = std::string("a.") + c, y = std::string("b.") + c;
        differs += std::string(differs.empty() ? "" : " or ") + x + " is not " + y + " or typeof(" + x +
                   ") <> typeof(" + y + ")";
    }
    const std::string joined = " from " + a + " a join " + b + " b on b.ID = a.ID where " + differs;

    TSQLiteCellCheck r;
    r.MasterRows = Count(db.get(), "select count(*) from " + a);
    r.TargetRows = Count(db.get(), "select count(*) from " + b);
    const std::string missing = " from " + a + " a where not exists (select 1 from " + b + " b where b.ID = a.ID)";
    const std::string extra = " from " + b + " b where not exists (select 1 from " + a + " a where a.ID = b.ID)";
    r.Missing = Count(db.get(), "select count(*)" + missing);
    r.Extra = Count(db.get(), "select count(*)" + extra);
    r.Differing = Count(db.get(), "select count(*)" + joined);
    if (r.Differing > 0) {
        // Per column: cells of one storage class whose values differ, and
        // cells whose storage classes differ.
        std::string sums;
        for (const char* c : kColumns) {
            const std::string x = std::string("a.") + c, y = std::string("b.") + c;
            sums += ", sum(typeof(" + x + ") = typeof(" + y + ") and " + x + " is not " + y + "), sum(typeof(" + x +
                    ") <> typeof(" + y + "))";
        }
        TStmtPtr s = Prepare(db.get(), "select count(*)" + sums + joined);
        if (sqlite3_step(s.get()) == SQLITE_ROW) {
            r.First = "differing cells:";
            for (int c = 0; c < 4; ++c)
                r.First += std::string(c ? ";" : "") + " " + kColumns[c] + " " +
                           std::to_string(sqlite3_column_int64(s.get(), 1 + 2 * c)) + " values, " +
                           std::to_string(sqlite3_column_int64(s.get(), 2 + 2 * c)) + " storage classes";
            r.First += "\n";
        }
    }
    if (r.Differing > 0) {
        TStmtPtr s = Prepare(db.get(), "select a.ID, a.R, b.R, a.Q, b.Q, a.T, b.T, a.B, b.B" + joined + " order by a.ID limit 1");
        if (sqlite3_step(s.get()) == SQLITE_ROW) {
            const long long key = sqlite3_column_int64(s.get(), 0);
            r.First += "first differing row: ID " + std::to_string(key) + "\n";
            for (int c = 0; c < 4; ++c) {
                const std::string m = Cell(s.get(), 1 + 2 * c), t = Cell(s.get(), 2 + 2 * c);
                if (m != t) r.First += std::string("  ") + kColumns[c] + ": master " + m + "\n     target " + t + "\n";
            }
            if (!Script.empty()) r.First += ScriptStatementsOf(Script, key);
        }
    }
    for (const auto& [count, from, what] :
         {std::tuple{r.Missing, missing, "missing on the target"}, std::tuple{r.Extra, extra, "left over on the target"}}) {
        if (count == 0) continue;
        const long long key = Count(db.get(), "select min(ID)" + from);
        r.First += "first key " + std::string(what) + ": " + std::to_string(key) + "\n";
        if (!Script.empty()) r.First += ScriptStatementsOf(Script, key);
    }
    return r;
}

} // namespace qel::bench
