// Values as the target keeps them: SQLite cells in their storage classes,
// bytes in no character set, the sign of zero, and the refusals that say
// where a value cannot go.
#include "qelVelmorin.h"
#include "qelVelmorinFixture.h"

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
