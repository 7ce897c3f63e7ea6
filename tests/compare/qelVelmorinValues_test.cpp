// Values as the target keeps them: SQLite cells in their storage classes,
// bytes in no character set, the sign of zero, and the refusals that say
// where a value cannot go.
#include "qelVelmorin.h"
#include "qelVelmorinFixture.h"
#include "qelVelmorinPrivate.h"

#include "qelEngineTestSupport.h"
#include "qelSQL_Exec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace qel;
using namespace cmptest;

namespace {

// Each cell with its class and, for a REAL, every bit of it.
std::string CellQuery(const std::string& Table)
{
    return "select ID, typeof(V), case typeof(V) when 'real' then printf('%!.20e', V) else quote(V) end from " +
           Table + " order by ID";
}

// Master and target cells of one declared type, SQL expressions each.
struct TCellCase {
    const char* Name;
    const char* Declared;
    std::vector<std::string> Master, Target; // "(ID, expression)"
};

const std::vector<std::string> EveryClass = {
    "(1, 3)",          "(2, 3.0)",      "(3, '3')",         "(4, x'33')",   "(5, -0.0)",
    "(6, 2.0)",        "(7, 1e308)",    "(8, 4.9e-324)",    "(9, 0.1)",     "(10, 'NaN')",
    "(11, 'abc')",     "(12, x'616263')", "(13, ' 12 ')",   "(14, 9223372036854775807)", "(15, NULL)",
    "(16, -3.0)",      "(17, 2.2250738585072e-308)"};
// The same rows with every class turned into another.
const std::vector<std::string> OtherClasses = {
    "(1, '3')",  "(2, 3)",      "(3, x'33')",  "(4, 3.0)",       "(5, 0.0)",  "(6, 2)",
    "(7, '1e308')", "(8, 0)",  "(9, '0.1')",   "(10, NULL)",     "(11, x'616263')", "(12, 'abc')",
    "(13, 12)",  "(14, 9.2233720368547758e18)", "(15, 0)", "(99, 'extra')"};

class SQLiteCells : public ::testing::TestWithParam<std::tuple<TCellCase, bool>> {};

} // namespace

// The target gets each master cell in the class the target column stores it
// in (its affinity applied, as SQLite applies it), in script and immediate
// mode alike, and a second comparison finds nothing.
TEST_P(SQLiteCells, TargetTakesTheMastersClasses)
{
    const auto& [c, immediate] = GetParam();
    TTestDatabase master(TServer::SQLite), target(TServer::SQLite);
    if (!master.Unavailable().empty()) QEL_SKIP_OR_FAIL(master.Unavailable());
    const std::string body = std::string("ID INTEGER PRIMARY KEY, V ") + c.Declared;
    master.CreateTable("CELLS", body);
    target.CreateTable("CELLS", body);
    master.Insert("CELLS", c.Master);
    target.Insert("CELLS", c.Target);
    TSync s;
    SyncAndCompareAgain(master, "CELLS", target, "CELLS", immediate, &s);
    EXPECT_EQ(target.Rows(CellQuery("CELLS")), master.Rows(CellQuery("CELLS")));
}

INSTANTIATE_TEST_SUITE_P(
    Velmorin, SQLiteCells,
    ::testing::Combine(::testing::Values(TCellCase{"Untyped", "", EveryClass, OtherClasses},
                                         TCellCase{"BlobDeclared", "BLOB", EveryClass, OtherClasses},
                                         TCellCase{"Real", "REAL", EveryClass, OtherClasses},
                                         TCellCase{"Integer", "INTEGER", EveryClass, OtherClasses},
                                         TCellCase{"Numeric", "NUMERIC(18,4)", EveryClass, OtherClasses},
                                         TCellCase{"Text", "VARCHAR(30)", EveryClass, OtherClasses}),
                       ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<TCellCase, bool>>& info) {
        return std::string(std::get<0>(info.param).Name) + Mode(std::get<1>(info.param));
    });

namespace {

class SQLiteAffinity : public ::testing::TestWithParam<std::tuple<const char*, bool>> {};

} // namespace

// An untyped master column against a typed target column: the target ends
// with what SQLite itself stores for each master value in that column.
TEST_P(SQLiteAffinity, TargetHoldsWhatItsColumnStores)
{
    const auto& [declared, immediate] = GetParam();
    TTestDatabase master(TServer::SQLite), target(TServer::SQLite);
    if (!master.Unavailable().empty()) QEL_SKIP_OR_FAIL(master.Unavailable());
    master.CreateTable("CELLS", "ID INTEGER PRIMARY KEY, V");
    target.CreateTable("CELLS", std::string("ID INTEGER PRIMARY KEY, V ") + declared);
    target.CreateTable("EXPECTED", std::string("ID INTEGER PRIMARY KEY, V ") + declared);
    master.Insert("CELLS", EveryClass);
    target.Insert("CELLS", OtherClasses);
    target.Insert("EXPECTED", EveryClass);
    SyncAndCompareAgain(master, "CELLS", target, "CELLS", immediate);
    EXPECT_EQ(target.Rows(CellQuery("CELLS")), target.Rows(CellQuery("EXPECTED")));
}

INSTANTIATE_TEST_SUITE_P(Velmorin, SQLiteAffinity,
                         ::testing::Combine(::testing::Values("REAL", "INTEGER", "NUMERIC", "TEXT", "BLOB"),
                                            ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<const char*, bool>>& info) {
                             return std::string(std::get<0>(info.param)) + Mode(std::get<1>(info.param));
                         });

// ---------------------------------------------------------------------------
// Firebird: bytes in no set, and the sign of zero

namespace {

// Rows of a table read as bytes.
TRows ByteRows(TTestDatabase& Db, const std::string& Table)
{
    Db.Connection().ChangeCharSet("NONE");
    TRows rows = Db.Rows("select K, T from " + Table + " order by K");
    return rows;
}

} // namespace

// A NONE database holding WIN1252 bytes against a WIN1252 database holding
// the same bytes: equal as they stand, and a changed row gets the master's
// bytes unchanged.
TEST(NoneBytes, ComparedAndWrittenAsBytes)
{
    for (const bool immediate : {false, true}) {
        TTestDatabase master(TServer::FbEmbedded, "NONE"), target(TServer::FbEmbedded, "WIN1252");
        if (!master.Unavailable().empty()) QEL_SKIP_OR_FAIL(master.Unavailable());
        const std::string tm = master.Table("NB"), tt = target.Table("NB");
        master.CreateTable(tm, "K VARCHAR(10) NOT NULL PRIMARY KEY, T VARCHAR(40)");
        target.CreateTable(tt, "K VARCHAR(10) NOT NULL PRIMARY KEY, T VARCHAR(40)");
        for (TTestDatabase* db : {&master, &target}) db->Connection().ChangeCharSet("NONE");
        master.Insert(tm, {"('a', 'Gr\xFC\xDF" "e \x80')", "('\xE9', 'same \x93q\x94')", "('\x80', 'changed \xE4')",
                           "('\xDF', 'missing')"});
        target.Insert(tt, {"('a', 'Gr\xFC\xDF" "e \x80')", "('\xE9', 'same \x93q\x94')", "('\x80', 'other')",
                           "('\xF1', 'extra')"});
        for (TTestDatabase* db : {&master, &target}) {
            db->Connection().SetConnected(false);
            db->Connection().SetConnected(true);
        }
        TSync s;
        SyncAndCompareAgain(master, tm, target, tt, immediate, &s);
        EXPECT_EQ(s.Equal, 2);
        EXPECT_EQ(s.Inserted + s.Updated + s.Deleted, 3);
        EXPECT_EQ(ByteRows(target, tt), ByteRows(master, tm));
    }
}

// -0.0 in a DOUBLE PRECISION column is a value of its own.
TEST(NegativeZero, KeptInAFirebirdDouble)
{
    for (const bool immediate : {false, true}) {
        TTestDatabase master(TServer::FbEmbedded), target(TServer::FbEmbedded);
        if (!master.Unavailable().empty()) QEL_SKIP_OR_FAIL(master.Unavailable());
        master.CreateTable("NZ", "ID INTEGER NOT NULL PRIMARY KEY, D DOUBLE PRECISION");
        target.CreateTable("NZ", "ID INTEGER NOT NULL PRIMARY KEY, D DOUBLE PRECISION");
        master.Insert("NZ", {"(1, -0e0)", "(2, 0e0)", "(3, -0e0)"});
        target.Insert("NZ", {"(1, 0e0)", "(2, -0e0)"});
        SyncAndCompareAgain(master, "NZ", target, "NZ", immediate);
        EXPECT_EQ(target.Rows("select ID, D from NZ order by ID"), master.Rows("select ID, D from NZ order by ID"));
        std::vector<int> negative;
        auto q = target.Connection().CreateQuery();
        q->SetSQLText("select ID, D from NZ order by ID");
        for (q->Open(); !q->Eof(); q->Next())
            if (std::signbit((*q->GetFields())[1].AsFloat())) negative.push_back((*q->GetFields())[0].AsInteger());
        q->Close();
        EXPECT_EQ(negative, (std::vector<int>{1, 3}));
    }
}

// ---------------------------------------------------------------------------
// Refusals: nothing produced or applied, and the message says where

namespace {

struct TRefusal {
    const char* Name;
    TServer Master;
    const char* MasterSet;
    const char* TargetSet;
    std::string MasterBody, TargetBody;
    std::vector<std::string> MasterRows, TargetRows;
    std::string Message; // what the error holds
};

class Refusals : public ::testing::TestWithParam<std::tuple<TRefusal, bool>> {};

const std::vector<TRefusal> RefusalCases = {
    {"TwoColumnsDifferOnlyInCase", TServer::FbEmbedded, "UTF8", "UTF8", "ID INTEGER NOT NULL PRIMARY KEY, \"Val\" INTEGER",
     "ID INTEGER NOT NULL PRIMARY KEY, \"val\" INTEGER, VAL INTEGER", {"(1, 1)"}, {"(2, 2, 2)"},
     "Field Val of table T matches several columns of the target table: val, VAL."},
    {"TargetOnlyNotNullColumn", TServer::FbEmbedded, "UTF8", "UTF8", "ID INTEGER NOT NULL PRIMARY KEY, A INTEGER",
     "ID INTEGER NOT NULL PRIMARY KEY, A INTEGER, EXTRA INTEGER NOT NULL", {"(1, 1)", "(2, 5)"}, {"(2, 2, 7)", "(3, 3, 3)"},
     "Table T, column EXTRA: the target column takes no Null, has no default and the master table has no such column, "
     "so the row ID = 1 cannot be inserted. No statements were produced."},
    {"TextInAFloatColumn", TServer::SQLite, "", "UTF8", "ID INTEGER PRIMARY KEY, R REAL",
     "ID INTEGER NOT NULL PRIMARY KEY, R DOUBLE PRECISION", {"(1, 1.5)", "(2, 'b')"}, {"(1, 2.5)", "(3, 3)"},
     "Table T, column R, row ID = 2: "},
    {"BytesThatAreNoUtf8", TServer::FbEmbedded, "NONE", "UTF8", "ID INTEGER NOT NULL PRIMARY KEY, S VARCHAR(10)",
     "ID INTEGER NOT NULL PRIMARY KEY, S VARCHAR(10)", {"(1, 'ok')", "(2, 'caf\xE9')"}, {"(1, 'old')", "(3, 'gone')"},
     "Table T, column S, row ID = 2: the value is no text in UTF8, which the column S of the target table T takes. "
     "No statements were produced."},
};

} // namespace

TEST_P(Refusals, NothingIsProducedOrApplied)
{
    const auto& [c, immediate] = GetParam();
    TTestDatabase master(c.Master, c.MasterSet), target(TServer::FbEmbedded, c.TargetSet);
    for (TTestDatabase* d : {&master, &target})
        if (!d->Unavailable().empty()) QEL_SKIP_OR_FAIL(d->Unavailable());
    master.CreateTable("T", c.MasterBody);
    target.CreateTable("T", c.TargetBody);
    if (IsFirebird(c.Master)) master.Connection().ChangeCharSet("NONE");
    target.Connection().ChangeCharSet("NONE");
    master.Insert("T", c.MasterRows);
    target.Insert("T", c.TargetRows);
    for (TTestDatabase* db : {&master, &target}) {
        db->Connection().SetConnected(false);
        db->Connection().SetConnected(true);
    }
    const TRows before = target.Rows("select * from T order by ID");
    TRun run(master, "T", target, "T");
    std::unique_ptr<TSQLExec> exec = target.NewExecutor();
    if (immediate) run.C.SetUpdateImmediately(true);
    else run.C.SetSQLExec(exec.get());
    run.C.Execute();
    ASSERT_FALSE(run.errors.empty());
    EXPECT_NE(Joined(run.errors).find(c.Message), std::string::npos) << Joined(run.errors);
    EXPECT_EQ(run.C.Inserted + run.C.Updated + run.C.Deleted, 0);
    if (!immediate) {
        for (int i = 0; i < exec->Count(); ++i) {
            const TStatType t = exec->Statements(i).StatType;
            EXPECT_TRUE(t != TStatType::stInsert && t != TStatType::stUpdate && t != TStatType::stDelete);
        }
        const auto script = target.Dir().Path() / "Result.SQL";
        EXPECT_TRUE(!std::filesystem::exists(script) || std::filesystem::file_size(script) == 0);
    }
    EXPECT_EQ(target.Rows("select * from T order by ID"), before);
}

INSTANTIATE_TEST_SUITE_P(Velmorin, Refusals, ::testing::Combine(::testing::ValuesIn(RefusalCases), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<TRefusal, bool>>& info) {
                             return std::string(std::get<0>(info.param).Name) + Mode(std::get<1>(info.param));
                         });

// A WIN1252 column wider than UTF8 strings hold, in databases of two sets:
// as data it is read whole and written back; as a key the run stops before
// anything is produced, naming the column, its type and set.
TEST(WideSingleByteText, ReadWholeAsDataAndRefusedAsKey)
{
    const std::string text(9000, '\xE9');
    for (const bool immediate : {false, true}) {
        TTestDatabase master(TServer::FbEmbedded, "WIN1252"), target(TServer::FbEmbedded, "UTF8");
        if (!master.Unavailable().empty()) QEL_SKIP_OR_FAIL(master.Unavailable());
        for (TTestDatabase* db : {&master, &target}) {
            db->CreateTable("W", "ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(10000) CHARACTER SET WIN1252");
            db->Connection().ChangeCharSet("WIN1252");
        }
        master.Insert("W", {"(1, '" + text + "')", "(2, '" + std::string(8000, '\x80') + "')", "(3, 'short')"});
        target.Insert("W", {"(1, '" + text + "')", "(2, 'other')", "(4, '" + text + "')"});
        for (TTestDatabase* db : {&master, &target}) {
            db->Connection().SetConnected(false);
            db->Connection().SetConnected(true);
        }
        TSync s;
        SyncAndCompareAgain(master, "W", target, "W", immediate, &s);
        EXPECT_EQ(s.Equal, 1);
        EXPECT_EQ(s.Inserted + s.Updated + s.Deleted, 3);
        for (TTestDatabase* db : {&master, &target}) db->Connection().ChangeCharSet("WIN1252");
        EXPECT_EQ(target.Rows("select ID, V from W order by ID"), master.Rows("select ID, V from W order by ID"));
    }
    TTestDatabase master(TServer::FbEmbedded, "WIN1252"), target(TServer::FbEmbedded, "UTF8");
    for (TTestDatabase* db : {&master, &target})
        db->CreateTable("WK", "V VARCHAR(10000) CHARACTER SET WIN1252, N INTEGER");
    master.Insert("WK", {"('a', 1)"});
    // A value beyond what can be written through UTF8 is refused with its row.
    master.CreateTable("W", "ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(10000) CHARACTER SET WIN1252");
    target.CreateTable("W", "ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(10000) CHARACTER SET WIN1252");
    master.Insert("W", {"(1, '" + text + "')"});
    TRun wide(master, "W", target, "W");
    TCustomSQLExec wideSink;
    wide.C.SetSQLExec(&wideSink);
    wide.C.Execute();
    EXPECT_NE(Joined(wide.errors).find("Table W, column V, row ID = 1: the value holds 9000 characters"), std::string::npos)
        << Joined(wide.errors);
    TRun run(master, "WK", target, "WK");
    TCustomSQLExec sink;
    run.C.SetSQLExec(&sink);
    run.C.Execute();
    EXPECT_NE(Joined(run.errors).find("Key field V of table WK is VARCHAR(10000) CHARACTER SET WIN1252, which cannot "
                                      "be ordered through UTF8"),
              std::string::npos)
        << Joined(run.errors);
    EXPECT_EQ(sink.Count(), 0);
}

// ---------------------------------------------------------------------------
// Exact numbers against doubles, and what a target column holds

namespace {

struct TExactCase {
    const char* Decimal;
    double Double;
    int Sign; // of decimal - double
};

} // namespace

// The decimal against the double's own binary value: 9007199254740993 is no
// double, 0.1 as a double is a little more than 0.1.
TEST(ExactAgainstDouble, ComparesTheBinaryValue)
{
    const TExactCase cases[] = {
        {"9007199254740993", 9007199254740992.0, 1},
        {"9007199254740992", 9007199254740992.0, 0},
        {"-9007199254740993", -9007199254740992.0, -1},
        {"0.1", 0.1, -1},
        {"0.1000000000000000055511151231257827021181583404541015625", 0.1, -1}, // cut to 38 digits: below
        {"2.5", 2.5, 0},
        {"-0.0001", -0.0001, 1},
        {"0", -0.0, 0},
        {"12345678901234567890123456789012345678", 1e300, -1},
        {"-1", -INFINITY, 1},
        {"1", NAN, -1},
    };
    for (const TExactCase& c : cases) {
        SCOPED_TRACE(std::string(c.Decimal) + " against " + FloatToText(c.Double));
        TDecimal d;
        if (!TDecimal::TryFromString(c.Decimal, d)) d = TDecimal::FromString(std::string(c.Decimal).substr(0, 39));
        EXPECT_EQ(velmorin::CompareExactWithDouble(d, c.Double), c.Sign);
    }
    EXPECT_EQ(velmorin::ExactDoubleText(0.1), "0.1000000000000000055511151231257827021181583404541015625");
    EXPECT_EQ(velmorin::ExactDoubleText(-1024.0625), "-1024.0625");
    EXPECT_EQ(velmorin::ExactDoubleText(1e23), "99999999999999991611392");
    // The smallest double has 1074 decimals.
    EXPECT_EQ(velmorin::ExactDoubleText(4.9406564584124654e-324).size(), 1076u);
    // Field values of both kinds, either way round.
    EXPECT_EQ(velmorin::CompareNonNull(TValue::Float(9007199254740992.0), TFieldType::ftFloat,
                                       TValue::Integer(9007199254740993), TFieldType::ftLargeint, false),
              -1);
    EXPECT_EQ(velmorin::CompareNonNull(TValue::Decimal(TDecimal::FromString("2.50")), TFieldType::ftBCD,
                                       TValue::Float(2.5), TFieldType::ftFloat, false),
              0);
}

namespace {

velmorin::TTargetColumn Column(TFieldType Type, int Digits = -1, int Scale = -1, int Bits = 0, int Size = 0)
{
    velmorin::TTargetColumn c;
    c.Checked = true;
    c.Type = Type;
    c.Class = velmorin::ValueClassOf(Type);
    c.Digits = Digits;
    c.Scale = Scale;
    c.StorageBits = Bits;
    c.Size = Size;
    return c;
}

struct THeldCase {
    const char* Name;
    TValue Value;
    TFieldType Source;
    velmorin::TTargetColumn Target;
    const char* Why; // empty: held exactly
};

} // namespace

TEST(TargetColumns, HoldTheValueExactlyOrSayWhyNot)
{
    using FT = TFieldType;
    auto dec = [](const char* t) { return TValue::Decimal(TDecimal::FromString(t)); };
    velmorin::TTargetColumn single = Column(FT::ftFloat);
    single.Single = true;
    velmorin::TTargetColumn singleKey = single;
    singleKey.Key = true;
    velmorin::TTargetColumn pgDouble = Column(FT::ftFloat);
    pgDouble.NaNAndInfinity = true;
    velmorin::TTargetColumn fbTime = Column(FT::ftTime);
    fbTime.TimeDigits = 4;
    velmorin::TTargetColumn sqlite = Column(FT::ftBCD);
    sqlite.AnyClass = true;
    const TDateTimeValue noon = TDateTimeValue::Parse("2024-02-27 12:00:00");
    const THeldCase cases[] = {
        {"integer", TValue::Integer(2147483647), FT::ftLargeint, Column(FT::ftInteger, -1, 0, 32), ""},
        {"integer past its range", TValue::Integer(2147483648), FT::ftLargeint, Column(FT::ftInteger, -1, 0, 32),
         "the value 2147483648 is beyond the range of the column"},
        {"fraction into an integer", dec("2.50"), FT::ftBCD, Column(FT::ftInteger, -1, 0, 32),
         "the value 2.5 has more than the 0 decimals the column keeps"},
        {"trailing zeros are no decimals", dec("3.000"), FT::ftBCD, Column(FT::ftSmallint, -1, 0, 16), ""},
        {"Firebird NUMERIC(4,2) past its smallint", dec("327.68"), FT::ftBCD, Column(FT::ftBCD, -1, 2, 16),
         "the value 327.68 is beyond the range of the column"},
        {"PostgreSQL numeric(5,2)", dec("999.99"), FT::ftBCD, Column(FT::ftBCD, 5, 2), ""},
        {"PostgreSQL numeric(5,2) past its digits", dec("1000"), FT::ftBCD, Column(FT::ftBCD, 5, 2),
         "the value 1000 has more than the 5 digits the column holds"},
        {"unconstrained numeric", dec("-12345678901234567890.123456789"), FT::ftFMTBcd, Column(FT::ftFMTBcd), ""},
        {"dyadic double into a decimal", TValue::Float(-1024.0625), FT::ftFloat, Column(FT::ftBCD, 9, 4), ""},
        {"double past the digits of a decimal", TValue::Float(0.1), FT::ftFloat, Column(FT::ftBCD, 18, 4),
         "the double 0.1 is exactly 0.1000000000000000055511151231257827021181583404541015625, more decimals than "
         "the 4 the column keeps"},
        {"text as a number", TValue::String("12"), FT::ftString, Column(FT::ftInteger, -1, 0, 32), ""},
        {"decimal into a double", dec("0.1"), FT::ftBCD, Column(FT::ftFloat), ""},
        {"largest float", TValue::Float(3.4028235e38), FT::ftFloat, single, ""},
        {"past the largest float", TValue::Float(3.5e38), FT::ftFloat, single,
         "the value 3.5e+38 is beyond the range of the 32-bit float column"},
        {"a key must be found again", TValue::Float(0.1), FT::ftFloat, singleKey,
         "the key value 0.1 has no exact value in the 32-bit float key column"},
        {"NaN into Firebird", TValue::Float(NAN), FT::ftFloat, Column(FT::ftFloat), "the value NaN has no place in the column"},
        {"NaN into PostgreSQL", TValue::Float(NAN), FT::ftFloat, pgDouble, ""},
        {"text within its characters", TValue::String("\xC5\xBC\xC3\xB3\xC5\x82w"), FT::ftString,
         Column(FT::ftString, -1, -1, 0, 4), ""},
        {"text past its characters", TValue::String("abcde"), FT::ftString, Column(FT::ftString, -1, -1, 0, 4),
         "the text of 5 characters is longer than the 4 the column holds"},
        {"CHAR padding is no part of the text", TValue::String("abc   "), FT::ftFixedChar,
         Column(FT::ftFixedChar, -1, -1, 0, 4), ""},
        {"a number is no text", TValue::Integer(5), FT::ftInteger, Column(FT::ftString, -1, -1, 0, 10),
         "the value is a number and the column holds text"},
        {"time of day into a date", TValue::DateTime(noon), FT::ftDateTime, Column(FT::ftDate),
         "the value 2024-02-27 12:00:00 has a time of day, which the date column does not keep"},
        {"microseconds into Firebird", TValue::Time(TDateTimeValue::Parse("10:11:12.123456")), FT::ftTime, fbTime,
         "the value 10:11:12.123456 has more decimals of a second than the 4 the column keeps"},
        {"ten-thousandths into Firebird", TValue::Time(TDateTimeValue::Parse("10:11:12.1234")), FT::ftTime, fbTime, ""},
        {"a SQLite cell holds doubles", dec("0.5"), FT::ftBCD, sqlite, ""},
        {"but no decimal beyond them", dec("0.1"), FT::ftBCD, sqlite,
         "the value 0.1 is neither a 64-bit integer nor a double, the numbers a SQLite cell holds"},
    };
    for (const THeldCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(velmorin::WhyNotHeld(c.Value, c.Source, c.Target), c.Why);
    }
}
