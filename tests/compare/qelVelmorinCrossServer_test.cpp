// The comparer across servers and column types, generated: for every
// ordered pair of back ends, pairs of column types sampled with a fixed
// seed (every type pair on two back-end pairs, one in each mode), values
// at the edges of each type and at random. After a run either the target
// holds the master's values exactly, read back and compared value by
// value here, and a second comparison finds nothing; or the run stopped
// naming table, column and row, and the target is as it was.
#include "qelVelmorin.h"
#include "qelVelmorinFixture.h"

#include "qelEngineTestSupport.h"
#include "qelSQL_Exec.h"
#include "qelText.h"
#include "qelVelmorinPrivate.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>

using namespace qel;
using namespace cmptest;

namespace {

enum class TKind : std::uint8_t {
    Small, Int, Big, Num18_4, Num9_2, Double, Float, Text, Bytes, Date, Time, Stamp, StampZone, Bool
};
constexpr int KindCount = 14;
constexpr std::array<const char*, KindCount> KindNames{"SMALL", "INT", "BIG", "NUM18_4", "NUM9_2", "DBL", "FLT",
                                                      "TXT", "BYTES", "DATE", "TIME", "TS", "TSTZ", "BOOL"};

// The declaration of a kind on a server; empty where the server has none.
std::string Declared(TServer s, TKind k)
{
    const bool fb = IsFirebird(s), pg = s == TServer::PostgreSQL;
    switch (k) {
    case TKind::Small: return "SMALLINT";
    case TKind::Int: return "INTEGER";
    case TKind::Big: return "BIGINT";
    case TKind::Num18_4: return "NUMERIC(18,4)";
    case TKind::Num9_2: return "NUMERIC(9,2)";
    case TKind::Double: return pg || fb ? "DOUBLE PRECISION" : "DOUBLE";
    case TKind::Float: return fb ? "FLOAT" : "REAL";
    // PostgreSQL text under a collation that is not C, as a German
    // database's would be.
    case TKind::Text: return pg ? "VARCHAR(20) COLLATE \"de-x-icu\"" : "VARCHAR(20)";
    case TKind::Bytes: return fb ? "BLOB SUB_TYPE BINARY" : (pg ? "BYTEA" : "BLOB");
    case TKind::Date: return "DATE";
    case TKind::Time: return "TIME";
    case TKind::Stamp: return "TIMESTAMP";
    case TKind::StampZone: return pg ? "TIMESTAMPTZ" : "";
    case TKind::Bool: return "BOOLEAN";
    }
    return "";
}

std::string ShortestText(double v)
{
    return FloatToText(v);
}

std::string ShortestText(float v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string Quote(const std::string& s)
{
    std::string r = "'";
    for (char c : s) r += c == '\'' ? std::string("''") : std::string(1, c);
    return r + "'";
}

// The master's values of a kind as literals of server s: the edges of the
// type, then random ones from the seed.
std::vector<std::string> Values(TServer s, TKind k, std::mt19937& r)
{
    auto pick = [&](std::int64_t lo, std::int64_t hi) { return std::uniform_int_distribution<std::int64_t>(lo, hi)(r); };
    const bool fb = IsFirebird(s), pg = s == TServer::PostgreSQL;
    // Firebird reads four decimals of a second; the others six.
    const std::string micro = fb ? ".1234" : ".123456";
    std::vector<std::string> v;
    switch (k) {
    case TKind::Small: v = {"-32768", "32767", "0"}; v.push_back(IntToStr(pick(-32768, 32767))); break;
    case TKind::Int: v = {"-2147483648", "2147483647", "-1"}; v.push_back(IntToStr(pick(-2147483647, 2147483647))); break;
    case TKind::Big:
        v = {"-9223372036854775808", "9223372036854775807", "9007199254740993"};
        v.push_back(IntToStr(pick(INT64_MIN / 2, INT64_MAX / 2)));
        break;
    case TKind::Num18_4:
        v = {"99999999999999.9999", "-0.0001", "0.0625"};
        v.push_back(TDecimal(pick(-999999999999999, 999999999999999), 4).ToString());
        break;
    case TKind::Num9_2:
        v = {"9999999.99", "-0.01", "2.5"};
        v.push_back(TDecimal(pick(-999999999, 999999999), 2).ToString());
        break;
    case TKind::Double:
        v = {"0.1", "-2.5", "1e300", "9007199254740993"};
        v.push_back(ShortestText(std::uniform_real_distribution<double>(-1e6, 1e6)(r)));
        break;
    case TKind::Float:
        v = {"3.4028234e38", "-1.1754944e-38", "0.1", "16777217"};
        v.push_back(ShortestText(static_cast<float>(std::uniform_real_distribution<double>(-1e4, 1e4)(r))));
        break;
    case TKind::Text:
        v = {"''", Quote("O'Brien"), Quote("\xC5\xBC\xC3\xB3\xC5\x82w \xE2\x82\xAC"), Quote("twenty characters ok")};
        v.push_back(Quote(std::string(static_cast<size_t>(pick(1, 20)), static_cast<char>('a' + pick(0, 25)))));
        break;
    case TKind::Bytes: {
        std::vector<std::string> hex = {"", "00FF", "DEADBEEF00"};
        hex.push_back(velmorin::HexText(std::string(static_cast<size_t>(pick(1, 12)), static_cast<char>(pick(0, 255)))));
        for (const std::string& h : hex) v.push_back(pg ? "decode('" + h + "', 'hex')" : "x'" + h + "'");
        break;
    }
    case TKind::Date:
        v = {"'0001-01-01'", "'9999-12-31'", "'2024-02-29'"};
        v.push_back(Quote(IntToStr(pick(1900, 2100)) + "-0" + IntToStr(pick(1, 9)) + "-1" + IntToStr(pick(0, 9))));
        break;
    case TKind::Time:
        v = {"'00:00:00'", "'23:59:59" + micro + "'", "'12:00:00.5'"};
        v.push_back("'1" + IntToStr(pick(0, 9)) + ":3" + IntToStr(pick(0, 9)) + ":0" + IntToStr(pick(0, 9)) + "'");
        break;
    case TKind::Stamp:
        v = {"'0001-01-01 00:00:00'", "'9999-12-31 23:59:59'", "'2024-02-29 13:14:15" + micro + "'"};
        v.push_back("'20" + IntToStr(pick(10, 30)) + "-1" + IntToStr(pick(0, 2)) + "-0" + IntToStr(pick(1, 9)) + " 0" +
                    IntToStr(pick(0, 9)) + ":00:00'");
        break;
    case TKind::StampZone:
        // The hour that a summer-time zone passes twice.
        v = {"'2024-10-27 00:30:00+00'", "'2024-10-27 01:30:00+00'", "'2024-03-31 02:30:00.25+02'"};
        break;
    case TKind::Bool: v = fb || pg ? std::vector<std::string>{"TRUE", "FALSE"} : std::vector<std::string>{"1", "0"}; break;
    }
    return v;
}

// A value read back, with what its column is.
struct TCell {
    TValue Value;
    TFieldType Type = TFieldType::ftUnknown;
    bool Single = false;
};

std::map<std::int64_t, TCell> Dump(TTestDatabase& Db, const std::string& Table)
{
    std::map<std::int64_t, TCell> r;
    auto q = Db.Connection().CreateQuery();
    // Instants are compared, read in the zone the comparer reads them in.
    if (Db.Kind() == TServer::PostgreSQL) {
        q->SetSQLText("SET TIME ZONE 'UTC'");
        q->ExecSQL();
    }
    q->SetSQLText("select " + Db.Column("ID") + ", " + Db.Column("V") + " from " + Table);
    q->Open();
    TFields& f = *q->GetFields();
    const bool single = velmorin::IsSingleFloatColumn(q.get(), 1);
    while (!q->Eof()) {
        r[f[0].AsLargeInt()] = TCell{f[1].Value(), f[1].DataType(), single};
        q->Next();
    }
    q->Close();
    if (Db.Connection().InTransaction()) Db.Connection().Commit();
    return r;
}

// The master's value M and the target's T are the same value: numbers
// exactly (a float column at its own precision), text and bytes byte by
// byte (a CHAR without its padding), dates and times to the microsecond.
// Values of no common kind (a SQLite cell keeps any) by their text.
bool SameValue(const TCell& M, const TCell& T)
{
    using velmorin::TValueClass;
    if (M.Value.IsNull() || T.Value.IsNull()) return M.Value.IsNull() && T.Value.IsNull();
    TValue m = M.Value;
    if (M.Single && m.Kind() == TValueKind::vkFloat) m = TValue::Float(static_cast<float>(m.AsFloat()));
    const TValue& t = T.Value;
    auto number = [](const TValue& v) {
        return v.Kind() == TValueKind::vkInteger || v.Kind() == TValueKind::vkFloat || v.Kind() == TValueKind::vkDecimal ||
               v.Kind() == TValueKind::vkBoolean;
    };
    if (number(m) && number(t)) {
        if (t.Kind() == TValueKind::vkFloat) {
            if (T.Single) return static_cast<float>(m.AsFloat()) == static_cast<float>(t.AsFloat());
            if (m.Kind() != TValueKind::vkFloat) return m.AsFloat() == t.AsFloat();
            return m.AsFloat() == t.AsFloat() && std::signbit(m.AsFloat()) == std::signbit(t.AsFloat());
        }
        if (m.Kind() == TValueKind::vkFloat) return velmorin::CompareExactWithDouble(t.AsDecimal(), m.AsFloat()) == 0;
        const TDecimal a = m.Kind() == TValueKind::vkBoolean ? TDecimal::FromInt(m.AsBoolean()) : m.AsDecimal();
        const TDecimal b = t.Kind() == TValueKind::vkBoolean ? TDecimal::FromInt(t.AsBoolean()) : t.AsDecimal();
        return a == b;
    }
    // A number in a SQLite text column: the text reads back as the number.
    if (number(m) && t.Kind() == TValueKind::vkString) {
        try {
            return T.Single || M.Single ? static_cast<float>(TextToFloat(t.RawString())) == static_cast<float>(m.AsFloat())
                                        : (m.Kind() == TValueKind::vkFloat ? TextToFloat(t.RawString()) == m.AsFloat()
                                                                           : TDecimal::FromString(t.RawString()) == m.AsDecimal());
        } catch (const EConvertError&) {
            return false;
        }
    }
    const TValueClass cm = velmorin::ValueClassOf(M.Type), ct = velmorin::ValueClassOf(T.Type);
    if ((cm == TValueClass::DateTime || cm == TValueClass::Time) && cm == ct) {
        const TDateTimeValue a = m.AsDateTime(), b = t.AsDateTime();
        return cm == TValueClass::Time ? a.MicrosecondOfDay() == b.MicrosecondOfDay() : a.DateTimeText() == b.DateTimeText();
    }
    std::string a = m.Kind() == TValueKind::vkString || m.Kind() == TValueKind::vkBytes ? m.RawString() : m.AsString();
    std::string b = t.Kind() == TValueKind::vkString || t.Kind() == TValueKind::vkBytes ? t.RawString() : t.AsString();
    if (M.Type == TFieldType::ftFixedChar || T.Type == TFieldType::ftFixedChar) {
        while (!a.empty() && a.back() == ' ') a.pop_back();
        while (!b.empty() && b.back() == ' ') b.pop_back();
    }
    return a == b;
}

std::string Shown(const TCell& c)
{
    return c.Value.IsNull() ? "Null" : std::string(FieldTypeName(c.Type)) + " " + NormalizedValue(c.Value, c.Type, c.Single);
}

constexpr std::array<TServer, 4> Servers{TServer::FbEmbedded, TServer::FbServer, TServer::PostgreSQL, TServer::SQLite};

class CrossServer : public ::testing::TestWithParam<int> {};

} // namespace

// One ordered pair of back ends a test (the parameter: master * 4 + target).
TEST_P(CrossServer, EveryValueLandsExactlyOrTheRunStops)
{
    const int pair = GetParam();
    // A session zone with summer time: instants must survive it.
    ::setenv("PGTZ", "Europe/Berlin", 1);
    const TServer ms = Servers[static_cast<size_t>(pair / 4)], ts = Servers[static_cast<size_t>(pair % 4)];
    TTestDatabase m(ms), t(ts);
    for (TTestDatabase* d : {&m, &t})
        if (!d->Unavailable().empty()) QEL_SKIP_OR_FAIL(d->Unavailable());
    std::mt19937 random(37u * 1000u + static_cast<unsigned>(pair));
    // The master's tables, one per kind, and the target's, refilled per case.
    std::map<int, std::string> masterTables, targetTables;
    std::map<int, std::vector<std::string>> targetValues;
    for (int k = 0; k < KindCount; ++k) {
        const std::string md = Declared(ms, static_cast<TKind>(k)), td = Declared(ts, static_cast<TKind>(k));
        if (!md.empty()) {
            const std::string table = m.Table(std::string("XM_") + KindNames[static_cast<size_t>(k)]);
            m.CreateTable(table, "ID INTEGER NOT NULL PRIMARY KEY, V " + md);
            std::vector<std::string> rows;
            int id = 1;
            for (const std::string& v : Values(ms, static_cast<TKind>(k), random))
                rows.push_back("(" + IntToStr(id++) + ", " + v + ")");
            rows.push_back("(" + IntToStr(id) + ", Null)");
            m.Insert(table, rows);
            masterTables[k] = table;
        }
        if (!td.empty()) {
            const std::string table = t.Table(std::string("XT_") + KindNames[static_cast<size_t>(k)]);
            t.CreateTable(table, "ID INTEGER NOT NULL PRIMARY KEY, V " + td);
            targetTables[k] = table;
            targetValues[k] = Values(ts, static_cast<TKind>(k), random);
        }
    }
    int cases = 0, landed = 0;
    for (int a = 0; a < KindCount; ++a) {
        for (int b = 0; b < KindCount; ++b) {
            // Each pair of kinds on two pairs of back ends, once in each mode.
            if ((a * KindCount + b) % 8 != pair % 8) continue;
            if (!masterTables.count(a) || !targetTables.count(b)) continue;
            const bool immediate = (pair / 8 + a + b) % 2 == 1;
            const std::string tm = masterTables[a], tt = targetTables[b];
            SCOPED_TRACE(std::string(ServerName(ms)) + " " + KindNames[static_cast<size_t>(a)] + " to " + ServerName(ts) +
                         " " + KindNames[static_cast<size_t>(b)] + Mode(immediate));
            // Row 1 the target's own value (an UPDATE), row 50 the target's
            // alone (a DELETE), the rest missing (INSERTs).
            t.Exec("delete from " + tt);
            t.Insert(tt, {"(1, " + targetValues[b].front() + ")", "(50, " + targetValues[b].back() + ")"});
            const auto before = Dump(t, tt);
            ++cases;
            std::string failure;
            {
                TRun run(m, tm, t, tt);
                std::unique_ptr<TSQLExec> exec = t.NewExecutor();
                if (immediate) run.C.SetUpdateImmediately(true);
                else run.C.SetSQLExec(exec.get());
                ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
                if (!run.errors.empty()) {
                    // Stopped: one error naming the row, nothing applied.
                    ASSERT_EQ(run.errors.size(), 1u) << Joined(run.errors);
                    const std::string& e = run.errors[0];
                    EXPECT_EQ(e.find("Error: Table " + tm + ", column " + m.Column("V") + ", row " + m.Column("ID") + " = "), 0u)
                        << e;
                    EXPECT_NE(e.find("No statements were produced."), std::string::npos) << e;
                    if (!immediate) {
                        EXPECT_EQ(exec->Count(), 0);
                    }
                    const auto after = Dump(t, tt);
                    EXPECT_EQ(after.size(), before.size());
                    for (const auto& [id, cell] : before)
                        EXPECT_TRUE(after.count(id) && SameValue(cell, after.at(id))) << "row " << id << " changed";
                    continue;
                }
                if (!immediate) {
                    std::vector<std::string> execErrors;
                    exec->OnErrorMessage = [&](TObject&, const std::string& x) { execErrors.push_back(x); };
                    EXPECT_TRUE(exec->Execute()) << Joined(execErrors);
                    ASSERT_TRUE(execErrors.empty()) << Joined(execErrors) << StatementTexts(*exec);
                }
            }
            // Landed: the target's rows are the master's, value by value.
            const auto master = Dump(m, tm), target = Dump(t, tt);
            ASSERT_EQ(target.size(), master.size());
            for (const auto& [id, cell] : master) {
                ASSERT_TRUE(target.count(id)) << "row " << id << " missing";
                EXPECT_TRUE(SameValue(cell, target.at(id)))
                    << "row " << id << ": master " << Shown(cell) << ", target " << Shown(target.at(id));
            }
            TRun again(m, tm, t, tt);
            TCustomSQLExec sink;
            again.C.SetSQLExec(&sink);
            ASSERT_TRUE(again.C.Execute()) << Joined(again.errors);
            EXPECT_EQ(again.C.ErrorCount, 0) << Joined(again.errors);
            EXPECT_EQ(again.C.Inserted + again.C.Updated + again.C.Deleted, 0) << StatementTexts(sink);
            ++landed;
        }
    }
    // The check refuses what it must, not everything.
    EXPECT_GT(landed, 0) << cases << " cases, none landed";
}

INSTANTIATE_TEST_SUITE_P(Velmorin, CrossServer, ::testing::Range(0, 16), [](const ::testing::TestParamInfo<int>& i) {
    return std::string(ServerName(Servers[static_cast<size_t>(i.param / 4)])) + "To" +
           ServerName(Servers[static_cast<size_t>(i.param % 4)]);
});
