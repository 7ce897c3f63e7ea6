// The comparer over real databases: round trips, tables declared differently
// on the two sides, character sets, the component and its set-up checks.
#include "qelVelmorin.h"
#include "qelVelmorinFixture.h"

#include "qelDBOptions.h"
#include "qelEngineTestSupport.h"
#include "qelErrors.h"
#include "qelMsgMngr.h"
#include "qelSQL_Exec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <filesystem>

using namespace qel;
using namespace cmptest;

namespace {

struct TRoundTripCase {
    TServer Master;
    TServer Target;
    TKeyKind Key;
    bool Immediate;
};

std::string CaseName(const ::testing::TestParamInfo<TRoundTripCase>& info)
{
    return std::string(ServerName(info.param.Master)) + "To" + ServerName(info.param.Target) + "_" +
           KeyKindName(info.param.Key) + Mode(info.param.Immediate);
}

class RoundTrip : public ::testing::TestWithParam<TRoundTripCase> {};

} // namespace

// Tables of every column type, changed at random on the target; the
// produced script applied by the executor (or the immediate updates) makes
// the target equal to the master value by value, and a second comparison
// finds nothing to do.
TEST_P(RoundTrip, ScriptMakesTargetEqualToMaster)
{
    const TRoundTripCase& p = GetParam();
    TTestDatabase master(p.Master), target(p.Target);
    for (TTestDatabase* d : {&master, &target})
        if (!d->Unavailable().empty()) QEL_SKIP_OR_FAIL(d->Unavailable());

    TDataOptions options;
    options.Modest = p.Master == TServer::SQLite || p.Target == TServer::SQLite;
    options.BigBlobs = !options.Modest;
    // The SQLite driver keeps milliseconds.
    if (options.Modest) options.MaxFractionDigits = 3;
    TAllTypesTable table(p.Key, options);
    const std::string tm = master.Table("RT_DATA"), tt = target.Table("RT_DATA");
    master.CreateTable(tm, table.CreateBody(p.Master, master));
    target.CreateTable(tt, table.CreateBody(p.Target, target));
    std::mt19937 random(20240227u + static_cast<unsigned>(p.Key) * 17u + static_cast<unsigned>(p.Master) * 5u);
    const std::vector<TRow> rows = table.Generate(random, 36);
    TChanges changes;
    const std::vector<TRow> targetRows = MutatedCopy(table, rows, random, changes);
    table.Insert(master, tm, rows);
    table.Insert(target, tt, targetRows);

    TSync s;
    SyncAndCompareAgain(master, tm, target, tt, p.Immediate, &s);
    const int unchanged = static_cast<int>(rows.size()) - changes.Missing - changes.Changed;
    if (p.Key != TKeyKind::NoKey) {
        EXPECT_EQ(s.Inserted, changes.Missing);
        EXPECT_EQ(s.Deleted, changes.Extra);
        EXPECT_EQ(s.Updated, changes.Changed);
        EXPECT_EQ(s.Equal, unchanged);
    } else {
        EXPECT_GE(s.Equal, unchanged);
    }
    EXPECT_EQ(s.EqualAfter, static_cast<int>(rows.size()));

    auto masterRows = master.Rows("select " + table.ColumnList(master) + " from " + tm + " order by " +
                                  table.KeyOrder(master));
    auto targetRows2 = target.Rows("select " + table.ColumnList(target) + " from " + tt + " order by " +
                                   table.KeyOrder(target));
    ASSERT_EQ(masterRows.size(), rows.size());
    ASSERT_EQ(masterRows.size(), targetRows2.size());
    // Rows that tie on the ORDER BY of this reading may come in either order.
    std::sort(masterRows.begin(), masterRows.end());
    std::sort(targetRows2.begin(), targetRows2.end());
    for (size_t i = 0; i < masterRows.size(); ++i) EXPECT_EQ(masterRows[i], targetRows2[i]) << "row " << i;
}

INSTANTIATE_TEST_SUITE_P(
    FirebirdEmbedded, RoundTrip,
    ::testing::Values(TRoundTripCase{TServer::FbEmbedded, TServer::FbEmbedded, TKeyKind::IntegerKey, false},
                      TRoundTripCase{TServer::FbEmbedded, TServer::FbEmbedded, TKeyKind::CompositeKey, false},
                      TRoundTripCase{TServer::FbEmbedded, TServer::FbEmbedded, TKeyKind::CharacterKey, false},
                      TRoundTripCase{TServer::FbEmbedded, TServer::FbEmbedded, TKeyKind::NoKey, false},
                      TRoundTripCase{TServer::FbEmbedded, TServer::FbEmbedded, TKeyKind::IntegerKey, true},
                      TRoundTripCase{TServer::FbEmbedded, TServer::FbEmbedded, TKeyKind::CompositeKey, true},
                      TRoundTripCase{TServer::FbEmbedded, TServer::FbEmbedded, TKeyKind::CharacterKey, true},
                      TRoundTripCase{TServer::FbEmbedded, TServer::FbEmbedded, TKeyKind::NoKey, true}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    FirebirdServer, RoundTrip,
    ::testing::Values(TRoundTripCase{TServer::FbEmbedded, TServer::FbServer, TKeyKind::IntegerKey, false},
                      TRoundTripCase{TServer::FbServer, TServer::FbEmbedded, TKeyKind::CharacterKey, false},
                      TRoundTripCase{TServer::FbEmbedded, TServer::FbServer, TKeyKind::CompositeKey, true}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    PostgreSQL, RoundTrip,
    ::testing::Values(TRoundTripCase{TServer::FbEmbedded, TServer::PostgreSQL, TKeyKind::IntegerKey, false},
                      TRoundTripCase{TServer::FbEmbedded, TServer::PostgreSQL, TKeyKind::CompositeKey, false},
                      TRoundTripCase{TServer::FbEmbedded, TServer::PostgreSQL, TKeyKind::CharacterKey, false},
                      TRoundTripCase{TServer::FbEmbedded, TServer::PostgreSQL, TKeyKind::NoKey, false},
                      TRoundTripCase{TServer::PostgreSQL, TServer::FbEmbedded, TKeyKind::IntegerKey, false},
                      TRoundTripCase{TServer::PostgreSQL, TServer::FbEmbedded, TKeyKind::CompositeKey, false},
                      TRoundTripCase{TServer::PostgreSQL, TServer::FbEmbedded, TKeyKind::CharacterKey, false},
                      TRoundTripCase{TServer::PostgreSQL, TServer::FbEmbedded, TKeyKind::NoKey, false},
                      TRoundTripCase{TServer::FbEmbedded, TServer::PostgreSQL, TKeyKind::CharacterKey, true},
                      TRoundTripCase{TServer::PostgreSQL, TServer::FbEmbedded, TKeyKind::CompositeKey, true}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    SQLite, RoundTrip,
    ::testing::Values(TRoundTripCase{TServer::SQLite, TServer::SQLite, TKeyKind::IntegerKey, false},
                      TRoundTripCase{TServer::SQLite, TServer::SQLite, TKeyKind::CharacterKey, true},
                      TRoundTripCase{TServer::SQLite, TServer::FbEmbedded, TKeyKind::IntegerKey, false},
                      TRoundTripCase{TServer::SQLite, TServer::FbEmbedded, TKeyKind::CharacterKey, false},
                      TRoundTripCase{TServer::SQLite, TServer::FbEmbedded, TKeyKind::NoKey, true}),
    CaseName);

// ---------------------------------------------------------------------------
// Tables declared differently on the two sides

namespace {

struct TShapeCase {
    const char* Name;
    const char* MasterBody;
    const char* TargetBody;
    TServer Target;
    bool Immediate;
    const char* Error; // the run's only error, when the shapes cannot be paired
};

class TableShapes : public ::testing::TestWithParam<TShapeCase> {};

TRows ShapeRows(TTestDatabase& Db, const std::string& Table)
{
    return Db.Rows("select ID, A, B from " + Table + " order by ID");
}

} // namespace

// Columns pair by name, and one key serves both sides: the script makes the
// target equal to the master, and a second comparison finds nothing.
TEST_P(TableShapes, PairByNameWithOneKey)
{
    const TShapeCase& p = GetParam();
    TTestDatabase master(TServer::FbEmbedded), target(p.Target);
    for (TTestDatabase* d : {&master, &target})
        if (!d->Unavailable().empty()) QEL_SKIP_OR_FAIL(d->Unavailable());
    const std::string tm = master.Table("SHAPE"), tt = target.Table("SHAPE");
    master.CreateTable(tm, p.MasterBody);
    target.CreateTable(tt, p.TargetBody);
    master.Insert(tm + " (ID, A, B)", {"(1, 'a1', 'b1')", "(2, 'a2', 'b2')", "(3, 'a3', 'b3')", "(5, 'a5', NULL)"});
    // Row 2 changed in both columns, 3 missing, 4 extra, 5 with the
    // master's A under another ID: paired by A it would be rewritten.
    target.Insert(tt + " (ID, A, B)", {"(1, 'a1', 'b1')", "(2, 'b2', 'a2')", "(4, 'a4', 'b4')", "(6, 'a5', NULL)"});
    if (p.Error != nullptr) {
        const TRows before = ShapeRows(target, tt);
        TRun run(master, tm, target, tt);
        TCustomSQLExec sink;
        run.C.SetSQLExec(&sink);
        run.C.SetUpdateImmediately(p.Immediate);
        ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
        EXPECT_EQ(run.errors, std::vector<std::string>{p.Error});
        EXPECT_EQ(sink.Count(), 0);
        EXPECT_EQ(qeltest::ReadFile(target.Dir().File("Result.SQL")), "");
        EXPECT_EQ(ShapeRows(target, tt), before);
        return;
    }
    TSync s;
    SyncAndCompareAgain(master, tm, target, tt, p.Immediate, &s);
    // Without keys a changed row is deleted and inserted again.
    const bool keyed = std::string(p.TargetBody).find("KEY") != std::string::npos;
    EXPECT_EQ(s.Inserted + s.Updated + s.Deleted, keyed ? 5 : 6);
    EXPECT_EQ(s.EqualAfter, 4);
    EXPECT_EQ(ShapeRows(target, tt), ShapeRows(master, tm));
}

namespace {

constexpr const char* PlainBody = "ID INTEGER NOT NULL PRIMARY KEY, A VARCHAR(10), B VARCHAR(10)";
constexpr const char* OtherOrder = "B VARCHAR(10), ID INTEGER NOT NULL PRIMARY KEY, A VARCHAR(10)";
constexpr const char* ExtraColumn = "ID INTEGER NOT NULL PRIMARY KEY, X INTEGER, B VARCHAR(10), A VARCHAR(10)";
constexpr const char* UniqueA = "ID INTEGER NOT NULL, A VARCHAR(10) NOT NULL UNIQUE, B VARCHAR(10)";
constexpr const char* NoKey = "ID INTEGER, A VARCHAR(10), B VARCHAR(10)";
constexpr const char* NoKeyOtherOrder = "A VARCHAR(10), B VARCHAR(10), ID INTEGER";
constexpr const char* WithC = "ID INTEGER NOT NULL PRIMARY KEY, A VARCHAR(10), B VARCHAR(10), C VARCHAR(10)";
constexpr const char* MissingC = "Error: Field C of table SHAPE is missing in the target table.";
constexpr TServer Fb = TServer::FbEmbedded, Pg = TServer::PostgreSQL;

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Velmorin, TableShapes,
    ::testing::Values(TShapeCase{"OtherOrder", PlainBody, OtherOrder, Fb, false, nullptr},
                      TShapeCase{"OtherOrder", PlainBody, OtherOrder, Fb, true, nullptr},
                      TShapeCase{"OtherOrder", PlainBody, OtherOrder, Pg, false, nullptr},
                      TShapeCase{"OtherOrder", PlainBody, OtherOrder, Pg, true, nullptr},
                      TShapeCase{"ExtraTargetColumn", PlainBody, ExtraColumn, Fb, false, nullptr},
                      TShapeCase{"ExtraTargetColumn", PlainBody, ExtraColumn, Pg, true, nullptr},
                      TShapeCase{"UniqueAgainstPrimary", UniqueA, OtherOrder, Fb, false, nullptr},
                      TShapeCase{"UniqueAgainstPrimary", UniqueA, PlainBody, Fb, true, nullptr},
                      TShapeCase{"UniqueAgainstPrimary", UniqueA, PlainBody, Pg, false, nullptr},
                      TShapeCase{"NoKeys", NoKey, NoKeyOtherOrder, Fb, false, nullptr},
                      TShapeCase{"NoKeys", NoKey, NoKeyOtherOrder, Pg, true, nullptr},
                      TShapeCase{"MissingColumn", WithC, PlainBody, Fb, false, MissingC},
                      TShapeCase{"MissingColumn", WithC, PlainBody, Fb, true, MissingC},
                      TShapeCase{"MissingColumn", WithC, PlainBody, Pg, false, MissingC}),
    [](const ::testing::TestParamInfo<TShapeCase>& info) {
        return std::string(info.param.Name) + "To" + ServerName(info.param.Target) + Mode(info.param.Immediate);
    });

// ---------------------------------------------------------------------------
// Databases of two character sets

namespace {

struct TCharSetCase {
    const char* Master;
    TServer Target;
    const char* TargetSet;
    bool Immediate;
    // The connections name no set: each attaches with none (as isql does)
    // and learns its database's.
    bool Unnamed = false;
};

class CharSets : public ::testing::TestWithParam<TCharSetCase> {};

// Both sides read through UTF8, as the comparer reads them when they differ.
TRows TextRows(TTestDatabase& Db, const std::string& Table)
{
    if (IsFirebird(Db.Kind())) Db.Connection().ChangeCharSet("UTF8");
    auto rows = Db.Rows("select K, T, B from " + Table + " order by K");
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

// Equal texts stored in two character sets compare equal; the changed ones
// (a character key among them, and a text BLOB) arrive as the same
// characters, and a second comparison finds nothing.
TEST_P(CharSets, SameTextsWhateverTheSets)
{
    const TCharSetCase& p = GetParam();
    TTestDatabase master(TServer::FbEmbedded, p.Master), target(p.Target, p.TargetSet);
    for (TTestDatabase* d : {&master, &target})
        if (!d->Unavailable().empty()) QEL_SKIP_OR_FAIL(d->Unavailable());
    const std::string tm = master.Table("CS"), tt = target.Table("CS");
    master.CreateTable(tm, "K VARCHAR(10) NOT NULL PRIMARY KEY, T VARCHAR(40), B BLOB SUB_TYPE TEXT");
    target.CreateTable(tt, std::string("K VARCHAR(10) NOT NULL PRIMARY KEY, T VARCHAR(40), B ") +
                               (IsFirebird(p.Target) ? "BLOB SUB_TYPE TEXT" : "TEXT"));
    // Written as UTF-8; each database stores them in its own set. The keys
    // sort differently in WIN1252 bytes (the euro sign is 0x80) and UTF-8.
    for (TTestDatabase* db : {&master, &target})
        if (IsFirebird(db->Kind())) db->Connection().ChangeCharSet("UTF8");
    master.Insert(tm, {"('a', 'Grüße', 'Ärger „quoted“ …')", "('é', 'same', 'é')", "('€', 'Euro €', NULL)",
                       "('ü', 'changed', 'x')", "('ß', 'missing', 'ß')"});
    target.Insert(tt, {"('a', 'Grüße', 'Ärger „quoted“ …')", "('é', 'same', 'é')", "('€', 'Euro €', NULL)",
                       "('ü', 'chängéd', 'y')", "('ñ', 'extra', 'ñ')"});
    for (TTestDatabase* db : {&master, &target}) {
        db->Connection().SetConnected(false);
        if (p.Unnamed) db->Connection().IBServerOptions().SetDBCharSet("");
        db->Connection().SetConnected(true);
    }
    TSync s;
    SyncAndCompareAgain(master, tm, target, tt, p.Immediate, &s);
    EXPECT_EQ(s.Equal, 3);
    EXPECT_EQ(s.Inserted + s.Updated + s.Deleted, 3);
    EXPECT_EQ(s.EqualAfter, 5);
    EXPECT_EQ(TextRows(target, tt), TextRows(master, tm));
}

INSTANTIATE_TEST_SUITE_P(
    Velmorin, CharSets,
    ::testing::Values(TCharSetCase{"UTF8", TServer::FbEmbedded, "WIN1252", false},
                      TCharSetCase{"UTF8", TServer::FbEmbedded, "WIN1252", true},
                      TCharSetCase{"WIN1252", TServer::FbEmbedded, "UTF8", false},
                      TCharSetCase{"WIN1252", TServer::FbEmbedded, "UTF8", false, true},
                      TCharSetCase{"UTF8", TServer::FbEmbedded, "WIN1252", true, true},
                      TCharSetCase{"NONE", TServer::FbEmbedded, "UTF8", false},
                      TCharSetCase{"NONE", TServer::FbEmbedded, "UTF8", true},
                      TCharSetCase{"WIN1252", TServer::PostgreSQL, "", false}),
    [](const ::testing::TestParamInfo<TCharSetCase>& info) {
        return std::string(info.param.Master) + "To" + ServerName(info.param.Target) + info.param.TargetSet +
               Mode(info.param.Immediate) + (info.param.Unnamed ? "Unnamed" : "");
    });

// SQLite keeps a value's storage class per cell: the target must get the
// master's classes, and every REAL to the last bit.
TEST(SQLiteCells, ExactValuesInTheirStorageClasses)
{
    TTestDatabase master(TServer::SQLite), target(TServer::SQLite);
    if (!master.Unavailable().empty()) QEL_SKIP_OR_FAIL(master.Unavailable());
    const std::string body = "ID INTEGER PRIMARY KEY, R REAL, T TEXT, B BLOB";
    master.CreateTable("CELLS", body);
    target.CreateTable("CELLS", body);
    master.Insert("CELLS", {"(1, 0.1 + 0.2, 'it''s', x'00FF')", "(2, 1.0 / 3, 'Grüße „€“', x'')",
                            "(3, 2.0 / 7 * 1e-300, '\"quoted\"', NULL)", "(4, 1e300 / 3, '', x'41')",
                            "(5, -123456789.12345678, 'line' || char(10) || 'break', x'0a')",
                            "(6, 0.5, cast('bytes' as blob), NULL)"});
    // Rows 2 and 6 hold the same bytes on both sides, once as text, once as a BLOB.
    target.Insert("CELLS", {"(1, 0.30000000000000001, 'its', x'00')", "(9, 1, 'extra', NULL)",
                            "(2, 1.0 / 3, cast('Grüße „€“' as blob), x'')", "(6, 0.5, 'bytes', NULL)"});
    TSync s;
    SyncAndCompareAgain(master, "CELLS", target, "CELLS", false, &s);
    const std::string cells = "select ID, typeof(R), R, typeof(T), T, typeof(B), hex(B) from CELLS order by ID";
    EXPECT_EQ(target.Rows(cells), master.Rows(cells));
    EXPECT_EQ(s.EqualAfter, 6);
}

// ---------------------------------------------------------------------------
// The component

TEST(VelmorinComponent, ScriptFileNameDerivesTheBlobFileName)
{
    TVelmorin c;
    // Next to the program until the user names a place.
    EXPECT_EQ(c.ScriptFileName(), (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Result.SQL").string());
    EXPECT_EQ(std::filesystem::path(c.BlobFileName()).filename(), "Result.LOB");
    c.SetScriptFileName("/data/run/out.sql");
    EXPECT_EQ(c.BlobFileName(), "/data/run/out.LOB");
    c.SetBlobFileName("other.bin");
    EXPECT_EQ(c.BlobFileName(), "other.bin");
}

TEST(VelmorinComponent, UpdateImmediatelySwitchesScriptGeneration)
{
    TVelmorin c;
    c.SetUpdateImmediately(true);
    EXPECT_FALSE(c.ScriptOptions().GenerateScript);
    c.SetUpdateImmediately(false);
    EXPECT_TRUE(c.ScriptOptions().GenerateScript);
}

TEST(VelmorinComponent, TableOptionsCopyTheirListsButNotTheExcludeListOrSwitch)
{
    TVelmorin c;
    TCmpTableOptions& a = c.TableOptionsMaster();
    a.TableName = "T1";
    a.KeyFields().SetLines({"ID"});
    a.DataFields().SetLines({"ID", "NAME"});
    a.ExcludeFields().SetLines({"X"});
    a.PrimaryKeyList.SetLines({"ID"});
    a.ExcludeList.SetLines({"EX"});
    a.AllowSystemTables = true;
    c.SetTableOptionsTarget(a);
    const TCmpTableOptions& b = c.TableOptionsTarget();
    EXPECT_EQ(b.TableName, "T1");
    EXPECT_EQ(b.KeyFields().Lines(), std::vector<std::string>{"ID"});
    EXPECT_EQ(b.DataFields().Count(), 2);
    EXPECT_EQ(b.ExcludeFields().Count(), 1);
    EXPECT_EQ(b.PrimaryKeyList.Count(), 1);
    EXPECT_TRUE(b.ExcludeList.Empty());
    EXPECT_FALSE(b.AllowSystemTables);
    TStringList other;
    EXPECT_THROW(c.TableOptionsTarget().Assign(other), EConvertError);
}

TEST(VelmorinComponent, DestroyedConnectionsAndExecutorAreForgotten)
{
    TVelmorin c;
    auto shared = std::make_unique<TQELConnection>();
    auto exec = std::make_unique<TCustomSQLExec>();
    c.SetQELConnectionMaster(shared.get());
    c.SetQELConnectionTarget(shared.get());
    c.SetSQLExec(exec.get());
    EXPECT_EQ(c.TableOptionsTarget().Connection(), shared.get());
    // Changing one side keeps the watch for the other.
    TQELConnection second;
    c.SetQELConnectionMaster(&second);
    shared.reset();
    EXPECT_EQ(c.QELConnectionTarget(), nullptr);
    EXPECT_EQ(c.TableOptionsTarget().Connection(), nullptr);
    EXPECT_EQ(c.QELConnectionMaster(), &second);
    exec.reset();
    EXPECT_EQ(c.SQLExec(), nullptr);
}

TEST(VelmorinComponent, ComparerDestroyedBeforeItsConnections)
{
    TQELConnection conn;
    {
        TVelmorin c;
        c.SetQELConnectionMaster(&conn);
    }
    TVelmorin again;
    again.SetQELConnectionMaster(&conn);
    EXPECT_EQ(again.QELConnectionMaster(), &conn);
}

// ---------------------------------------------------------------------------
// Set-up checks

namespace {

struct TSetupCase {
    const char* Name;
    bool Master; // the master connection assigned
    std::function<void(TVelmorin&)> Prepare;
    std::string Message;
};

class SetupChecks : public ::testing::TestWithParam<TSetupCase> {};

} // namespace

TEST_P(SetupChecks, EndExecuteWithFalseAndOneMessage)
{
    TVelmorin c;
    TQELConnection conn;
    std::vector<std::string> log, errors;
    c.OnLogNextLine = [&](TObject&, const std::string& t) { log.push_back(t); };
    c.OnErrorMessage = [&](TObject&, const std::string& t) { errors.push_back(t); };
    if (GetParam().Master) c.SetQELConnectionMaster(&conn);
    if (GetParam().Prepare) GetParam().Prepare(c);
    EXPECT_FALSE(c.Execute());
    EXPECT_EQ(errors, std::vector<std::string>{"Error: " + GetParam().Message});
    EXPECT_TRUE(log.empty());
    ASSERT_EQ(c.Messages().Count(), 1);
    EXPECT_EQ(c.Messages().Items(0).Text, GetParam().Message);
    EXPECT_EQ(c.Messages().Items(0).Kind, TMsgKind::mkError);
    EXPECT_EQ(c.ErrorCount, 1);
    EXPECT_FALSE(conn.Connected());
}

INSTANTIATE_TEST_SUITE_P(
    Velmorin, SetupChecks,
    ::testing::Values(
        TSetupCase{"NoMaster", false, nullptr, "TVelmorin: Master connection not assigned..."},
        TSetupCase{"NoTarget", true, [](TVelmorin& c) { c.SetTableNameTarget("T"); },
                   "TVelmorin: Target connection not assigned..."},
        TSetupCase{"DataFields", true, [](TVelmorin& c) { c.TableOptionsMaster().DataFields().SetLines({"A", "B"}); },
                   "The number of data fields in Master and Target do not match.\r\n"
                   "Please correct: TableOptionsMaster.DataFields, TableOptionsTarget.DataFields properties."},
        TSetupCase{"KeyFields", true, [](TVelmorin& c) { c.TableOptionsTarget().KeyFields().SetLines({"ID"}); },
                   "The number of key fields in Master and Target do not match.\r\n"
                   "Please correct: TableOptionsMaster.KeyFields, TableOptionsTarget.KeyFields properties."},
        TSetupCase{"ExcludeFields", true, [](TVelmorin& c) { c.TableOptionsMaster().ExcludeFields().SetLines({"X"}); },
                   "The number of exclude fields in Master and Target do not match.\r\n"
                   "Please correct: TableOptionsMaster.ExcludeFields, TableOptionsTarget.ExcludeFields properties."}),
    [](const ::testing::TestParamInfo<TSetupCase>& i) { return std::string(i.param.Name); });
