#include "qelVelmorin.h"
#include "qelVelmorinFixture.h"

#include "qelADO.h"
#include "qelConnection_ADO.h"
#include "qelDBOptions.h"
#include "qelEngineTestSupport.h"
#include "qelErrors.h"
#include "qelMsgMngr.h"
#include "qelSQL_Exec.h"
#include "qelText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
                      TCharSetCase{"NONE", TServer::FbEmbedded, "UTF8", false},
                      TCharSetCase{"NONE", TServer::FbEmbedded, "UTF8", true},
                      TCharSetCase{"WIN1252", TServer::PostgreSQL, "", false}),
    [](const ::testing::TestParamInfo<TCharSetCase>& info) {
        return std::string(info.param.Master) + "To" + ServerName(info.param.Target) + info.param.TargetSet +
               Mode(info.param.Immediate);
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

// ---------------------------------------------------------------------------
// Literals

namespace {

using DB = TDatabaseType;
using FT = TFieldType;

struct TLiteralCase {
    const char* Name;
    TDatabaseType Server;
    TFieldType Type;
    TValue Value;
    std::string Expected;
    std::function<void(TVelmorin&)> Options = nullptr;
};

class ValueLiterals : public ::testing::TestWithParam<TLiteralCase> {};

TValue Date(const char* Text)
{
    return TValue::Date(TDateTimeValue::Parse(Text));
}
TValue Time(const char* Text)
{
    return TValue::Time(TDateTimeValue::Parse(Text));
}
TValue Stamp(const char* Text)
{
    return TValue::DateTime(TDateTimeValue::Parse(Text));
}
TValue Dec(const char* Text)
{
    return TValue::Decimal(TDecimal::FromString(Text));
}

const auto Trimming = [](TVelmorin& c) { c.TrimCharFields = true; };
const auto TwoDecimals = [](TVelmorin& c) { c.ScriptOptions().FloatFormat = "0.00"; };

} // namespace

TEST_P(ValueLiterals, OfTheMasterSide)
{
    const TLiteralCase& p = GetParam();
    TVelmorin c;
    TQELConnectionADO target;
    target.SetDatabaseType(p.Server);
    c.SetQELConnectionTarget(&target);
    if (p.Options) p.Options(c);
    TField f("C", p.Type);
    f.SetValue(p.Value);
    EXPECT_EQ(c.TableOptionsMaster().GetValueLiteral(f), p.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Velmorin, ValueLiterals,
    ::testing::Values(
        TLiteralCase{"Null", DB::dbInterBase, FT::ftInteger, TValue(), "Null"},
        TLiteralCase{"QuoteInterBase", DB::dbInterBase, FT::ftString, TValue::String("O'Brien"), "'O''Brien'"},
        TLiteralCase{"QuoteMySQL", DB::dbMySQL, FT::ftString, TValue::String("O'Brien"), "'O''Brien'"},
        TLiteralCase{"BackslashPostgreSQL", DB::dbPostgreSQL, FT::ftString, TValue::String("a\\b"), "E'a\\x5Cb'"},
        TLiteralCase{"LineBreaksKept", DB::dbInterBase, FT::ftString, TValue::String("a\r\nb"), "'a\r\nb'"},
        TLiteralCase{"TrimCharFields", DB::dbInterBase, FT::ftFixedChar, TValue::String(" ab  "), "'ab'", Trimming},
        TLiteralCase{"GuidNeverTrimmed", DB::dbInterBase, FT::ftGuid, TValue::String(" {A} "), "' {A} '", Trimming},
        TLiteralCase{"Integer", DB::dbInterBase, FT::ftLargeint, TValue::Integer(-9223372036854775807LL),
                     "-9223372036854775807"},
        TLiteralCase{"FloatIntegral", DB::dbInterBase, FT::ftFloat, TValue::Float(100.0), "100"},
        TLiteralCase{"FloatShortened", DB::dbInterBase, FT::ftFloat, TValue::Float(2.5), " 2.5"},
        TLiteralCase{"FloatExponent", DB::dbPostgreSQL, FT::ftFloat, TValue::Float(1e20), " 1.E20"},
        TLiteralCase{"FloatNegative", DB::dbInterBase, FT::ftFloat, TValue::Float(-2.5), "-2.5"},
        TLiteralCase{"FloatShortestRoundTrip", DB::dbPostgreSQL, FT::ftFloat, TValue::Float(0.1 + 0.2), "0.30000000000000004"},
        TLiteralCase{"FloatExactForFirebird", DB::dbInterBase, FT::ftFloat, TValue::Float(0.1 + 0.2),
                     "(1351079888211149 * POWER(2, -52))"},
        TLiteralCase{"FloatFormatKeptWhenExact", DB::dbPostgreSQL, FT::ftFloat, TValue::Float(2.5), "2.50", TwoDecimals},
        TLiteralCase{"FloatFormatThatLosesDigits", DB::dbPostgreSQL, FT::ftFloat, TValue::Float(2.125), "2.125", TwoDecimals},
        TLiteralCase{"LocalSQL", DB::dbParadox, FT::ftFloat, TValue::Float(2.5), "2.5",
                     [](TVelmorin& c) { c.ScriptOptions().LocalSQL = true; }},
        TLiteralCase{"DecimalExact", DB::dbInterBase, FT::ftBCD, Dec("123456789012345.6700"), "123456789012345.67"},
        TLiteralCase{"FMTBcd", DB::dbPostgreSQL, FT::ftFMTBcd, Dec("-0.00000000000000000001"), "-0.00000000000000000001"},
        TLiteralCase{"Currency", DB::dbMSSQL, FT::ftCurrency, Dec("12.5000"), "12.5"},
        TLiteralCase{"BooleanFirebird", DB::dbInterBase, FT::ftBoolean, TValue::Boolean(true), "TRUE"},
        TLiteralCase{"BooleanPostgreSQL", DB::dbPostgreSQL, FT::ftBoolean, TValue::Boolean(false), "FALSE"},
        TLiteralCase{"BooleanMSSQL", DB::dbMSSQL, FT::ftBoolean, TValue::Boolean(true), "1"},
        TLiteralCase{"DateInterBase", DB::dbInterBase, FT::ftDate, Date("2024-02-27"), "'27.02.2024'"},
        TLiteralCase{"DatePostgreSQL", DB::dbPostgreSQL, FT::ftDate, Date("2024-02-27"), "'2024-02-27'"},
        TLiteralCase{"DateFormat", DB::dbPostgreSQL, FT::ftDate, Date("2024-02-27"), "'2024.02.27'",
                     [](TVelmorin& c) { c.ScriptOptions().DateFormat = "yyyy/mm/dd"; }},
        TLiteralCase{"Time", DB::dbInterBase, FT::ftTime, Time("13:14:15"), "'13:14:15'"},
        TLiteralCase{"TimeFraction", DB::dbInterBase, FT::ftTime, Time("13:14:15.1234"), "'13:14:15.1234'"},
        TLiteralCase{"TimeFormat", DB::dbInterBase, FT::ftTime, Time("13:14:15"), "'13:14'",
                     [](TVelmorin& c) { c.ScriptOptions().TimeFormat = "hh:mm"; }},
        TLiteralCase{"DateTimeInterBase", DB::dbInterBase, FT::ftDateTime, Stamp("2024-02-27 13:14:15.5"),
                     "'27.02.2024 13:14:15.5'"},
        TLiteralCase{"DateTimeInterBaseToTheTenThousandth", DB::dbInterBase, FT::ftDateTime,
                     Stamp("2024-02-27 13:14:15.123456"), "'27.02.2024 13:14:15.1234'"},
        TLiteralCase{"TimeInterBaseToTheTenThousandth", DB::dbInterBase, FT::ftTime, Time("23:59:59.999999"),
                     "'23:59:59.9999'"},
        // MS SQL reads the form with "T" alike in every session language.
        TLiteralCase{"TimeStampMSSQL", DB::dbMSSQL, FT::ftTimeStamp, Stamp("2024-02-27 13:14:15"), "'2024-02-27T13:14:15'"},
        TLiteralCase{"TimeStampMSSQLMilliseconds", DB::dbMSSQL, FT::ftDateTime, Stamp("2024-02-27 13:14:15.123456"),
                     "'2024-02-27T13:14:15.123'"},
        TLiteralCase{"DateMSSQL", DB::dbMSSQL, FT::ftDate, Date("2024-02-27"), "'2024-02-27'"},
        // Every server but InterBase takes ISO dates.
        TLiteralCase{"DateODBC", DB::dbCustomOLEDB, FT::ftDate, Date("2024-02-27"), "'2024-02-27'"},
        TLiteralCase{"DateTimeODBC", DB::dbCustomOLEDB, FT::ftDateTime, Stamp("2024-02-27 13:14:15.123456"),
                     "'2024-02-27 13:14:15.123456'"},
        TLiteralCase{"DateTimeMySQL", DB::dbMySQL, FT::ftDateTime, Stamp("2024-02-27 13:14:15.25"), "'2024-02-27 13:14:15.25'"},
        TLiteralCase{"TimeStampPostgreSQL", DB::dbPostgreSQL, FT::ftTimeStamp, Stamp("2024-02-27 13:14:15.000001"),
                     "'2024-02-27 13:14:15.000001'"},
        TLiteralCase{"BytesFirebird", DB::dbInterBase, FT::ftVarBytes, TValue::Bytes(std::string("\x00\xFF", 2)), "x'00FF'"},
        TLiteralCase{"BytesPostgreSQL", DB::dbPostgreSQL, FT::ftBytes, TValue::Bytes(std::string("\x01\xAB", 2)),
                     "decode('01AB', 'hex')"},
        TLiteralCase{"BytesMSSQL", DB::dbMSSQL, FT::ftVarBytes, TValue::Bytes(""), "0x"},
        TLiteralCase{"NoScript", DB::dbInterBase, FT::ftInteger, TValue::Integer(5), ":C",
                     [](TVelmorin& c) { c.SetUpdateImmediately(true); }},
        TLiteralCase{"DataValueEvent", DB::dbInterBase, FT::ftInteger, TValue::Integer(5), "5 + 1",
                     [](TVelmorin& c) {
                         c.OnGetDataValue = [](TObject&, TField& f, std::string& v) { v = v + " + 1" + f.FieldName().substr(1); };
                     }}),
    [](const ::testing::TestParamInfo<TLiteralCase>& i) { return std::string(i.param.Name); });

TEST(ValueLiteral, DataValueEventNeverChangesTargetLiterals)
{
    TVelmorin c;
    int calls = 0;
    c.OnGetDataValue = [&](TObject&, TField&, std::string& v) {
        ++calls;
        v = "X";
    };
    TField f("C", TFieldType::ftInteger);
    f.SetValue(TValue::Integer(1));
    EXPECT_EQ(c.TableOptionsTarget().GetValueLiteral(f), "1");
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(c.TableOptionsMaster().GetValueLiteral(f), "X");
    EXPECT_EQ(calls, 1);
}

TEST(ValueLiteral, ValueWithoutLiteralIsRefusedNotWrittenEmpty)
{
    TVelmorin c;
    TField f("V", TFieldType::ftVariant);
    f.SetValue(TValue::Integer(1));
    EXPECT_THROW(c.TableOptionsMaster().GetValueLiteral(f), EQELError);
    TField nan("F", TFieldType::ftFloat);
    nan.SetValue(TValue::Float(std::nan("")));
    EXPECT_THROW(c.TableOptionsMaster().GetValueLiteral(nan), EQELError);
}

namespace {

struct TFloatCase {
    double Value;
    std::string Expected;
};

class FloatLiterals : public ::testing::TestWithParam<TFloatCase> {};

} // namespace

TEST_P(FloatLiterals, ShortestFormThatReadsBack)
{
    TVelmorin c;
    EXPECT_EQ(c.FloatLiteral(GetParam().Value), GetParam().Expected);
}

// Forms beyond those that ValueLiterals shows.
INSTANTIATE_TEST_SUITE_P(Velmorin, FloatLiterals,
                         ::testing::Values(TFloatCase{-7.0, "-7"}, TFloatCase{1.2345e-5, " 1.2345E-5"},
                                           TFloatCase{2147483647.0, " 2.147483647E9"},
                                           TFloatCase{1.0 / 3, "0.3333333333333333"},
                                           TFloatCase{-1e300 / 3, "-3.3333333333333335E299"},
                                           TFloatCase{-1.3322421317017969e19, "-1.3322421317017969E19"}));

namespace {

struct TBlobNameCase {
    std::int64_t Offset, Size;
    std::string Expected;
};

class BlobParamNames : public ::testing::TestWithParam<TBlobNameCase> {};

} // namespace

TEST_P(BlobParamNames, HexadecimalOfAtLeastEightDigits)
{
    EXPECT_EQ(TVelmorin::BlobParamName(GetParam().Offset, GetParam().Size), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Velmorin, BlobParamNames,
                         ::testing::Values(TBlobNameCase{0, 300, ":h00000000_0000012C"},
                                           TBlobNameCase{16, 5, ":h00000010_00000005"},
                                           TBlobNameCase{0x100000000LL, 1, ":h100000000_00000001"},
                                           TBlobNameCase{0xABCDEF, 0x1FFFFFFFFLL, ":h00ABCDEF_1FFFFFFFF"}));

TEST(BlobSideFile, ValuesBackToBackAndReferencedByOffsetAndSize)
{
    qeltest::TempDir dir;
    TVelmorin c;
    TQELConnectionADO target;
    target.SetDatabaseType(TDatabaseType::dbInterBase);
    c.SetQELConnectionTarget(&target);
    c.SetScriptFileName(dir.File("Result.SQL"));
    TField a("A", TFieldType::ftBlob), b("B", TFieldType::ftMemo), e("E", TFieldType::ftBlob), n("N", TFieldType::ftBlob);
    a.SetValue(TValue::Bytes(std::string("0123456789\0ABCDE", 16)));
    b.SetValue(TValue::String("hello"));
    e.SetValue(TValue::Bytes(""));
    EXPECT_EQ(c.GetBlobLiteral(a), ":h00000000_00000010");
    EXPECT_EQ(c.GetBlobLiteral(b), ":h00000010_00000005");
    EXPECT_EQ(c.GetBlobLiteral(e), ":h00000015_00000000");
    EXPECT_EQ(c.GetBlobLiteral(n), "Null");
    EXPECT_EQ(qeltest::ReadFile(dir.File("Result.LOB")), std::string("0123456789\0ABCDEhello", 21));
    // For MS SQL an empty value is an empty literal: never Null for a value.
    target.SetDatabaseType(TDatabaseType::dbMSSQL);
    EXPECT_EQ(c.GetBlobLiteral(e), "0x");
    TField et("ET", TFieldType::ftMemo);
    et.SetValue(TValue::String(""));
    EXPECT_EQ(c.GetBlobLiteral(et), "''");
}

// A side file that cannot be written is reported once; every value that
// needs it withdraws its statement (the literal throws), while a NULL needs
// no file.
TEST(BlobSideFile, UnusableFileIsReportedOnceAndTheStatementIsWithdrawn)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "Error: BlobFileName is not specified. Cann't save BLOBs."},
        {"/no/such/folder/x.LOB", "Error: Cannot create file \"/no/such/folder/x.LOB\"."}};
    for (const auto& [file, message] : cases) {
        TVelmorin c;
        std::vector<std::string> errors;
        c.OnErrorMessage = [&](TObject&, const std::string& t) { errors.push_back(t); };
        c.SetBlobFileName(file);
        TField a("A", TFieldType::ftBlob), n("N", TFieldType::ftBlob);
        a.SetValue(TValue::Bytes("x"));
        EXPECT_THROW(c.GetBlobLiteral(a), EQELError);
        EXPECT_THROW(c.GetBlobLiteral(a), EQELError);
        ASSERT_EQ(errors.size(), 1u) << Joined(errors);
        EXPECT_EQ(errors[0].rfind(message, 0), 0u) << errors[0];
        EXPECT_TRUE(c.BlobSaveFailed);
        EXPECT_EQ(c.GetBlobLiteral(n), "Null");
    }
}

TEST(BlobSideFile, WithoutScriptTheValueIsAParameterOfTheTargetName)
{
    TVelmorin c;
    TQELConnectionADO target;
    target.SetDatabaseType(TDatabaseType::dbInterBase);
    c.SetQELConnectionTarget(&target);
    c.SetUpdateImmediately(true);
    TField a("Pic", TFieldType::ftBlob);
    a.SetValue(TValue::Bytes("x"));
    EXPECT_EQ(c.GetBlobLiteral(a), ":\"Pic\"");
}

// ---------------------------------------------------------------------------
// SELECT texts without a server

namespace {

struct TSelectCase {
    const char* Name;
    TDatabaseType Server;
    std::vector<std::string> KeysM, KeysT, Data;
    std::string Table;
    std::string Expected;
};

class SelectTexts : public ::testing::TestWithParam<TSelectCase> {};

} // namespace

// Without a catalogue reading every column may hold NULL: the ORDER BY puts
// NULLs last where the server would put them first (Firebird, MS SQL).
TEST_P(SelectTexts, OrderByTheKeysOrTheData)
{
    const TSelectCase& p = GetParam();
    TVelmorin c;
    TQELConnectionADO conn;
    conn.SetDatabaseType(p.Server);
    c.SetQELConnectionMaster(&conn);
    c.TableOptionsMaster().TableName = p.Table;
    c.TableOptionsMaster().KeyList.SetLines(p.KeysM);
    c.TableOptionsTarget().KeyList.SetLines(p.KeysT);
    c.TableOptionsMaster().DataList.SetLines(p.Data);
    EXPECT_EQ(c.TableOptionsMaster().GetSelectSQL(), p.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Velmorin, SelectTexts,
    ::testing::Values(
        TSelectCase{"Keys", TDatabaseType::dbInterBase, {"ID"}, {"ID"}, {"ID", "NAME"}, "CUSTOMER",
                    "select ID, NAME\r\nfrom CUSTOMER\r\n Order by ID NULLS LAST"},
        TSelectCase{"QuotedNames", TDatabaseType::dbInterBase, {"Id"}, {"ID"}, {"Id", "ORDER"}, "Orders",
                    "select \"Id\", \"ORDER\"\r\nfrom \"Orders\"\r\n Order by \"Id\" NULLS LAST"},
        TSelectCase{"NoTargetKeysOrderByData", TDatabaseType::dbMSSQL, {"ID"}, {}, {"ID", "Order"}, "T",
                    "select ID, [Order]\r\nfrom T\r\n Order by CASE WHEN ID IS NULL THEN 1 ELSE 0 END, ID, CASE WHEN [Order] IS NULL "
                    "THEN 1 ELSE 0 END, [Order]"},
        TSelectCase{"KeysMSSQL", TDatabaseType::dbMSSQL, {"ID"}, {"ID"}, {"ID", "Order"}, "Items",
                    "select ID, [Order]\r\nfrom Items\r\n Order by CASE WHEN ID IS NULL THEN 1 ELSE 0 END, ID"},
        TSelectCase{"NoDataColumns", TDatabaseType::dbAbstract, {}, {}, {}, "T", "select *\r\n from T\r\n"},
        TSelectCase{"VerbatimName", TDatabaseType::dbInterBase, {"ID"}, {"ID"}, {"\"x\" || 1", "ID"}, "T",
                    "select \"x\" || 1, ID\r\nfrom T\r\n Order by ID NULLS LAST"},
        TSelectCase{"ParadoxKeyword", TDatabaseType::dbParadox, {"ID"}, {"ID"}, {"ID", "DATE"}, "ORDERS",
                    "select ID, ORDERS.\"DATE\"\r\nfrom ORDERS\r\n Order by ID"}),
    [](const ::testing::TestParamInfo<TSelectCase>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------------------
// Runs over two embedded Firebird databases: exact texts, events, bad input

namespace {

// Table T on both sides, its rows, how a run over it is set up, and what
// the run must give.
struct TTableCase {
    const char* Name;
    const char* MasterBody;
    const char* TargetBody; // nullptr: as the master's
    std::vector<std::string> MasterRows, TargetRows;
    std::function<void(TVelmorin&)> Setup;
    std::vector<std::string> Expected; // the statements produced, or the errors reported
    std::vector<std::string> Log = {}; // lines the log holds
};

std::string TableCaseName(const ::testing::TestParamInfo<TTableCase>& info)
{
    return info.param.Name;
}

class CompareRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        master = std::make_unique<TTestDatabase>(TServer::FbEmbedded);
        target = std::make_unique<TTestDatabase>(TServer::FbEmbedded);
        if (!master->Unavailable().empty()) GTEST_SKIP() << master->Unavailable();
    }

    // The same table on both sides.
    void Both(const std::string& Table, const std::string& Body)
    {
        master->CreateTable(Table, Body);
        target->CreateTable(Table, Body);
    }

    std::unique_ptr<TRun> NewRun(const std::string& Table, bool Connect = false)
    {
        auto run = std::make_unique<TRun>(*master, Table, *target, Table);
        // The whole header is the subject of one test; the others keep to
        // the data statements.
        run->C.ScriptOptions().Connect = Connect;
        run->C.ScriptOptions().DBCharSet = Connect;
        run->C.ScriptOptions().SQLDialect = Connect;
        run->C.SetSQLExec(&sink);
        return run;
    }

    // The table of a case on both sides, and a run over it, set up.
    std::unique_ptr<TRun> NewRun(const TTableCase& Case)
    {
        master->CreateTable("T", Case.MasterBody);
        target->CreateTable("T", Case.TargetBody != nullptr ? Case.TargetBody : Case.MasterBody);
        master->Insert("T", Case.MasterRows);
        target->Insert("T", Case.TargetRows);
        auto run = NewRun("T");
        if (Case.Setup) Case.Setup(run->C);
        return run;
    }

    std::vector<std::string> SinkTexts()
    {
        std::vector<std::string> r;
        for (int i = 0; i < sink.Count(); ++i) r.push_back(sink.Statements(i).SQL.Text());
        return r;
    }

    std::string Script() { return qeltest::ReadFile(target->Dir().File("Result.SQL")); }
    std::string MasterPath() { return master->Connection().ConnectionOptions().DatabaseName; }
    std::string TargetPath() { return target->Connection().ConnectionOptions().DatabaseName; }

    std::unique_ptr<TTestDatabase> master, target;
    TCustomSQLExec sink;
};

// Key is the key field of both sides.
std::function<void(TVelmorin&)> KeyFields(const std::string& Key)
{
    return [Key](TVelmorin& c) {
        c.TableOptionsMaster().KeyFields().SetLines({Key});
        c.TableOptionsTarget().KeyFields().SetLines({Key});
    };
}

} // namespace

namespace {

// The data statements a run produces, each marked with its kind and table,
// and lines its log holds.
class RunTexts : public CompareRun, public ::testing::WithParamInterface<TTableCase> {};

std::string MasterSelect(const std::string& Text)
{
    return "Select-SQL for master table:\r\n" + Text + "\r\n";
}

const std::vector<TTableCase> RunTextCases = {
    {"UpdateListsOnlyTheChangedColumns", "ID INTEGER NOT NULL PRIMARY KEY, A INTEGER, B VARCHAR(10), C INTEGER", nullptr,
     {"(1, 1, 'new', 1)", "(2, 5, 'x', 7)"}, {"(1, 1, 'old', 1)", "(2, 4, 'x', Null)"}, nullptr,
     {"UPDATE T SET \r\nB='new'\r\nWHERE ID = 1\r\n", "UPDATE T SET \r\nA=5,\r\nC=7\r\nWHERE ID = 2\r\n"}, {}},
    // Firebird puts NULLs first unless asked.
    {"NullKeysSortLastAndMatchWithIsNull", "K INTEGER, V INTEGER", nullptr, {"(Null, 1)"}, {"(5, 0)", "(Null, 2)"},
     KeyFields("K"), {"DELETE FROM T WHERE K = 5\r\n", "UPDATE T SET \r\nV=1\r\nWHERE K is Null\r\n"},
     {MasterSelect("select K, V\r\nfrom T\r\n Order by K NULLS LAST")}},
    {"ExcludedColumnsLeaveDiscoveredLists", "ID INTEGER NOT NULL PRIMARY KEY, A INTEGER, SECRET INTEGER", nullptr,
     {"(1, 1, 3)"}, {"(1, 1, 9)"}, [](TVelmorin& c) { c.ExcludeDataFields().SetLines({"secret", "NOT_A_COLUMN"}); }, {},
     {MasterSelect("select ID, A\r\nfrom T\r\n Order by ID")}},
    {"BlobColumnsStayOutWhenNotIncluded", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), PIC BLOB SUB_TYPE BINARY",
     nullptr, {"(1, 'a', x'01')"}, {"(1, 'a', x'02')"}, [](TVelmorin& c) { c.IncludeBlobs = false; }, {},
     {"T: ID NAME", MasterSelect("select ID, NAME\r\nfrom T\r\n Order by ID")}},
    // Primary keys declared (A, B) on one side and (B, A) on the other:
    // both sides are ordered and compared by A, then B.
    {"CatalogueKeysArePairedByName", "A INTEGER NOT NULL, B INTEGER NOT NULL, V INTEGER, PRIMARY KEY (A, B)",
     "A INTEGER NOT NULL, B INTEGER NOT NULL, V INTEGER, PRIMARY KEY (B, A)", {"(1, 2, 10)", "(2, 1, 20)", "(3, 0, 30)"},
     {"(1, 2, 10)", "(2, 1, 21)", "(0, 3, 30)"}, nullptr,
     {"DELETE FROM T WHERE A = 0 and B = 3\r\n", "UPDATE T SET \r\nV=20\r\nWHERE A = 2 and B = 1\r\n",
      "INSERT INTO T (A, B, V)\r\nVALUES(3, 0, 30)\r\n"},
     {"Select-SQL for target table:\r\nselect A, B, V\r\nfrom T\r\n Order by A, B\r\n"}},
};

} // namespace

TEST_P(RunTexts, StatementsAndLog)
{
    const TTableCase& p = GetParam();
    auto run = NewRun(p);
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(run->C.ErrorCount, 0) << Joined(run->errors);
    EXPECT_EQ(SinkTexts(), p.Expected);
    for (const std::string& line : p.Log)
        EXPECT_NE(std::find(run->log.begin(), run->log.end(), line), run->log.end()) << line << "\n--- in:\n" << Joined(run->log);
    for (int i = 0; i < sink.Count(); ++i) {
        const std::string verb = sink.Statements(i).SQL.Text().substr(0, 6);
        EXPECT_EQ(sink.Statements(i).StatType,
                  verb == "INSERT" ? TStatType::stInsert : verb == "UPDATE" ? TStatType::stUpdate : TStatType::stDelete);
        EXPECT_EQ(sink.Statements(i).ObjName, "T");
    }
}

INSTANTIATE_TEST_SUITE_P(Velmorin, RunTexts, ::testing::ValuesIn(RunTextCases), TableCaseName);

TEST_F(CompareRun, KeysOneTwoFourAgainstTwoThreeFour)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20)");
    master->Insert("T1", {"(1, 'n1')", "(2, 'n2')", "(4, 'n4')"});
    target->Insert("T1", {"(2, 'n2')", "(3, 'n3')", "(4, 'n4')"});
    auto run = NewRun("T1", true);
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(run->C.ErrorCount, 0) << Joined(run->errors);
    EXPECT_EQ(run->log, (std::vector<std::string>{
                            "T1: ID NAME", "T1: ID NAME",
                            "Select-SQL for master table:\r\nselect ID, NAME\r\nfrom T1\r\n Order by ID\r\n",
                            "Select-SQL for target table:\r\nselect ID, NAME\r\nfrom T1\r\n Order by ID\r\n",
                            "Equal: 2, Inserted: 1, Updated: 0, Deleted: 1, All: 4."}));
    const std::string connect = "CONNECT '" + TargetPath() + "' USER 'SYSDBA' PASSWORD 'masterkey'";
    // Every DELETE comes before the INSERTs, which wait for the merge's end.
    EXPECT_EQ(Script(), "SET NAMES UTF8;\r\nSET SQL DIALECT 3;\r\n" + connect +
                            ";\r\nDELETE FROM T1 WHERE ID = 3;\r\nINSERT INTO T1 (ID, NAME)\r\nVALUES(1, 'n1');\r\n");
    ASSERT_EQ(sink.Count(), 5);
    EXPECT_EQ(sink.Statements(0).StatType, TStatType::stCharSet);
    EXPECT_EQ(sink.Statements(1).StatType, TStatType::stSet);
    EXPECT_EQ(sink.Statements(2).StatType, TStatType::stConnect);
    EXPECT_EQ(sink.Statements(3).Operation, TDbOperation::odbDelete);
    EXPECT_EQ(sink.Statements(4).StatType, TStatType::stInsert);
    EXPECT_EQ(sink.Statements(4).ObjName, "T1");
    EXPECT_EQ(sink.Statements(4).ObjType, TDbObject::dboTable);
    EXPECT_EQ(sink.Statements(4).Operation, TDbOperation::odbInsert);
    EXPECT_EQ(run->C.TableOptionsMaster().PrimaryKeyList.Lines(), std::vector<std::string>{"ID"});
    // The connections were open before and stay open.
    EXPECT_TRUE(master->Connection().Connected());
    EXPECT_TRUE(target->Connection().Connected());
}

TEST_F(CompareRun, ConnectsWhatWasClosedAndClosesItAgain)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY");
    master->Connection().SetConnected(false);
    target->Connection().SetConnected(false);
    auto run = NewRun("T1");
    run->C.ScriptOptions().GenerateScript = true;
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    ASSERT_GE(run->log.size(), 6u);
    EXPECT_EQ(run->log[0], "Connecting to target-database...: " + TargetPath());
    EXPECT_EQ(run->log[1], "Connecting: Successfull...");
    EXPECT_EQ(run->log[2], "Connecting to master-database...: " + MasterPath());
    EXPECT_EQ(run->log[3], "Connecting: Successfull...");
    EXPECT_EQ(run->log[run->log.size() - 2], "Disconnecting from target database: Ok.");
    EXPECT_EQ(run->log.back(), "Disconnecting from master database: Ok.");
    EXPECT_FALSE(master->Connection().Connected());
    EXPECT_FALSE(target->Connection().Connected());
}

// The summary counts what the target took; a statement it refused is
// named with its row.
TEST_F(CompareRun, ImmediateModeCountsWhatTheTargetTook)
{
    master->CreateTable("T14", "ID INTEGER NOT NULL PRIMARY KEY, A VARCHAR(10)");
    target->CreateTable("T14", "ID INTEGER NOT NULL PRIMARY KEY, A VARCHAR(3)");
    master->Insert("T14", {"(1, 'ok')", "(2, 'too long')", "(3, 'yes')", "(4, 'very long!')"});
    target->Insert("T14", {"(3, 'no')", "(4, 'old')", "(5, 'del')"});
    auto run = NewRun("T14");
    run->C.SetUpdateImmediately(true);
    ASSERT_TRUE(run->C.Execute());
    EXPECT_EQ(run->C.Inserted, 1);
    EXPECT_EQ(run->C.Updated, 1);
    EXPECT_EQ(run->C.Deleted, 1);
    ASSERT_EQ(run->errors.size(), 2u) << Joined(run->errors);
    EXPECT_NE(run->errors[0].find("Not applied: UPDATE T14 (ID = 4)"), std::string::npos) << run->errors[0];
    EXPECT_NE(run->errors[1].find("Not applied: INSERT INTO T14 (ID = 2)"), std::string::npos) << run->errors[1];
    EXPECT_EQ(target->Rows("select ID, A from T14 order by ID"),
              (TRows{{"1", "ok"}, {"3", "yes"}, {"4", "old"}}));
}

// The target takes parameters at once; a script written as well, and the
// executor, get the values themselves, or running them later would write
// Nulls.
TEST_F(CompareRun, ImmediateModeRunsParametersWithOrWithoutAScript)
{
    const std::string rows = "select ID, NAME, PIC from T1 order by ID";
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), PIC BLOB SUB_TYPE BINARY");
    master->Insert("T1", {"(1, 'a', x'0102')", "(2, 'b', Null)"});
    for (bool script : {false, true}) {
        SCOPED_TRACE(script ? "with a script" : "without a script");
        target->Exec("delete from T1");
        target->Insert("T1", {"(2, 'x', Null)", "(3, 'c', Null)"});
        auto run = NewRun("T1");
        auto exec = target->NewExecutor();
        run->C.SetSQLExec(exec.get());
        run->C.SetUpdateImmediately(true);
        run->C.ScriptOptions().GenerateScript = script;
        std::vector<std::string> shown;
        int opened = 0;
        run->C.OnAddResultSQL = [&](TObject&, bool&, const std::string& sql, TStatType, const std::string&, TDbObject,
                                    TDbOperation) { shown.push_back(sql); };
        run->C.BeforeOpen = [&](TQELQuery& q) {
            ++opened;
            EXPECT_EQ(&q, run->C.ExecQuery());
        };
        ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
        EXPECT_EQ(run->C.ErrorCount, 0) << Joined(run->errors);
        EXPECT_EQ(target->Rows(rows), master->Rows(rows));
        EXPECT_EQ(opened, 3);
        // The event sees what runs against the target (after the script's
        // header, which it is shown even when no script is written).
        ASSERT_GE(shown.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(shown.end() - 3, shown.end()),
                  (std::vector<std::string>{"UPDATE T1 SET \r\nNAME=:DATA1\r\nWHERE ID = :KEY0", "DELETE FROM T1 WHERE ID = :KEY0",
                                            "INSERT INTO T1 (ID, NAME, PIC)\r\nVALUES(:DATA0, :DATA1, :DATA2)"}));
        if (!script) {
            // No side file is written, so none is named.
            for (const std::string& s : shown) EXPECT_EQ(s.find("SET BLOBFILE"), std::string::npos) << s;
            EXPECT_EQ(exec->Count(), 0);
            EXPECT_FALSE(std::filesystem::exists(target->Dir().File("Result.SQL")));
            continue;
        }
        EXPECT_EQ(shown.front(), "SET BLOBFILE 'Result.LOB'");
        EXPECT_EQ(Script(), "SET BLOBFILE 'Result.LOB';\r\n"
                            "UPDATE T1 SET \r\nNAME='b'\r\nWHERE ID = 2;\r\n"
                            "DELETE FROM T1 WHERE ID = 3;\r\n"
                            "INSERT INTO T1 (ID, NAME, PIC)\r\nVALUES(1, 'a', :h00000000_00000002);\r\n");
        EXPECT_EQ(StatementTexts(*exec), "SET BLOBFILE 'Result.LOB'\r\n\nUPDATE T1 SET \r\nNAME='b'\r\nWHERE ID = 2\r\n\n"
                                         "DELETE FROM T1 WHERE ID = 3\r\n\n"
                                         "INSERT INTO T1 (ID, NAME, PIC)\r\nVALUES(1, 'a', :h00000000_00000002)\r\n\n");
        // What was applied at once is not applied again by the executor.
        for (int i = 0; i < exec->Count(); ++i)
            EXPECT_EQ(exec->Statements(i).Executed, exec->Statements(i).StatType != TStatType::stSetBlobFile) << i;
        // The script brings a target in the old state to the master's rows.
        for (int i = 0; i < exec->Count(); ++i) exec->Statements(i).Executed = false;
        target->Exec("delete from T1");
        target->Insert("T1", {"(2, 'x', Null)", "(3, 'c', Null)"});
        std::vector<std::string> execErrors;
        exec->OnErrorMessage = [&](TObject&, const std::string& t) { execErrors.push_back(t); };
        EXPECT_TRUE(exec->Execute()) << Joined(execErrors);
        EXPECT_EQ(target->Rows(rows), master->Rows(rows));
    }
}

// A DELETE left out of the allowed operations is neither produced nor
// counted; one that OnAddResultSQL vetoes is counted and reaches nothing.
TEST_F(CompareRun, OperationsLeftOutOrVetoed)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20)");
    master->Insert("T1", {"(1, 'a')"});
    target->Insert("T1", {"(2, 'b')"});
    for (bool veto : {false, true}) {
        auto run = NewRun("T1");
        if (veto) {
            run->C.OnAddResultSQL = [](TObject&, bool& accept, const std::string&, TStatType t, const std::string&, TDbObject,
                                       TDbOperation) { accept = t != TStatType::stDelete; };
        } else {
            run->C.AllowedOperations.Exclude(TDataCompareOperation::dcopDelete);
        }
        ASSERT_TRUE(run->C.Execute());
        EXPECT_EQ(run->C.Deleted, veto ? 1 : 0);
        EXPECT_EQ(run->C.Inserted, 1);
        EXPECT_EQ(SinkTexts(), std::vector<std::string>{"INSERT INTO T1 (ID, NAME)\r\nVALUES(1, 'a')\r\n"});
        EXPECT_EQ(Script(), "INSERT INTO T1 (ID, NAME)\r\nVALUES(1, 'a');\r\n");
    }
}

TEST_F(CompareRun, EventsSupplyTheColumnLists)
{
    Both("T4", "ID INTEGER NOT NULL PRIMARY KEY, A INTEGER, B INTEGER, SECRET INTEGER");
    master->Insert("T4", {"(1, 1, 2, 3)"});
    target->Insert("T4", {"(1, 1, 5, 9)"});
    auto run = NewRun("T4");
    int calls = 0;
    run->C.OnGetKeyFields = [&](TObject&, TStringList& m, TStringList& t) {
        ++calls;
        m.SetLines({"ID"});
        t.SetLines({"ID"});
    };
    run->C.OnGetDataFields = [&](TObject&, TStringList& m, TStringList& t) {
        ++calls;
        m.SetLines({"ID", "B", "SECRET"});
        t.SetLines({"ID", "B", "SECRET"});
    };
    run->C.OnGetExcludeFields = [&](TObject&, TStringList& m, TStringList& t) {
        ++calls;
        m.SetLines({"SECRET"});
        t.SetLines({"SECRET"});
    };
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(run->log[0], "Select-SQL for master table:\r\nselect ID, B, SECRET\r\nfrom T4\r\n Order by ID\r\n");
    EXPECT_EQ(SinkTexts(), std::vector<std::string>{"UPDATE T4 SET \r\nB=2,\r\nSECRET=3\r\nWHERE ID = 1\r\n"});
}

TEST_F(CompareRun, CompareFieldsEventDecidesEquality)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20)");
    master->Insert("T1", {"(1, 'abc')"});
    target->Insert("T1", {"(1, 'ABC')"});
    auto run = NewRun("T1");
    int calls = 0;
    run->C.OnCompareFields = [&](TObject&, TField& m, TField& t) {
        ++calls;
        if (m.IsNull() || t.IsNull()) return int(t.IsNull()) - int(m.IsNull());
        return CompareText(m.AsString(), t.AsString());
    };
    ASSERT_TRUE(run->C.Execute());
    EXPECT_EQ(run->C.Equal, 1);
    EXPECT_EQ(run->C.Updated, 0);
    EXPECT_GE(calls, 3);
}

TEST_F(CompareRun, SelectAndCountEventsSupplyTheTexts)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20)");
    master->Insert("T1", {"(1, 'x')", "(2, 'x')", "(3, 'x')"});
    auto run = NewRun("T1");
    std::vector<std::string> countLists, selectLists;
    run->C.OnGetCountSQL = [&](TObject&, TStringList& m, TStringList& t) {
        countLists.push_back(m.Text() + "|" + t.Text());
        m.SetText("select 10 from rdb$database");
        t.SetText("select 20 from rdb$database");
    };
    run->C.OnGetSelectSQL = [&](TObject&, TStringList& m, TStringList& t) {
        selectLists.push_back(m.Text() + "|" + t.Text());
        m.SetText("select ID, NAME from T1 where ID < 3 order by ID");
        t.SetText("select ID, NAME from T1 order by ID");
    };
    // Rows are counted only for a progress event.
    run->C.OnProgressUpdateMaster = [](TObject&, int, int) {};
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(countLists, std::vector<std::string>{"|"});
    // The lists still hold the count texts when the SELECT event receives them.
    EXPECT_EQ(selectLists, std::vector<std::string>{"select 10 from rdb$database\r\n|select 20 from rdb$database\r\n"});
    EXPECT_EQ(run->C.ProgressMaxMaster, 10);
    EXPECT_EQ(run->C.ProgressMaxTarget, 20);
    EXPECT_EQ(run->C.Inserted, 2);
    for (const auto& l : run->log) EXPECT_EQ(l.find("Select-SQL"), std::string::npos) << l;
}

TEST_F(CompareRun, ProgressCountsRowsFromOneAfterOpeningToCountPlusOne)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20)");
    master->Insert("T1", {"(1, 'x')", "(2, 'x')", "(3, 'x')"});
    target->Insert("T1", {"(1, 'x')", "(2, 'x')"});
    auto run = NewRun("T1");
    std::vector<std::pair<int, int>> pm, pt;
    run->C.OnProgressUpdateMaster = [&](TObject&, int v, int m) { pm.emplace_back(v, m); };
    run->C.OnProgressUpdateTarget = [&](TObject&, int v, int m) { pt.emplace_back(v, m); };
    ASSERT_TRUE(run->C.Execute());
    ASSERT_GE(pm.size(), 3u);
    EXPECT_EQ(pm.front(), std::make_pair(0, 1));
    EXPECT_EQ(pm[1], std::make_pair(1, 3));
    EXPECT_EQ(pm.back(), std::make_pair(4, 3));
    EXPECT_EQ(pt.back(), std::make_pair(3, 2));
    EXPECT_TRUE(std::is_sorted(pm.begin() + 1, pm.end()));
}

TEST_F(CompareRun, LowerCaseTableNameIsLookedUpAsWritten)
{
    Both("\"customer\"", "ID INTEGER NOT NULL PRIMARY KEY");
    Both("CUSTOMER", "ID INTEGER NOT NULL, NAME VARCHAR(5), CONSTRAINT U1 UNIQUE (NAME)");
    auto run = NewRun("customer");
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(run->log[0], "customer: ID");
    auto upper = NewRun("Customer");
    upper->C.SetTableNameMaster("CUSTOMER");
    upper->C.SetTableNameTarget("CUSTOMER");
    ASSERT_TRUE(upper->C.Execute()) << Joined(upper->errors);
    EXPECT_EQ(upper->log[0], "CUSTOMER: ID NAME");
    // No primary key: the unique key orders and identifies the rows.
    EXPECT_EQ(upper->C.TableOptionsMaster().UniqueKeyList.Lines(), std::vector<std::string>{"NAME"});
    EXPECT_TRUE(upper->C.TableOptionsMaster().PrimaryKeyList.Empty());
}

TEST_F(CompareRun, ColumnsInPositionOrderWithoutComputedOnes)
{
    Both("T6", "B INTEGER NOT NULL, A INTEGER, C COMPUTED BY (A + 1), PRIMARY KEY (A, B)");
    master->Exec("alter table T6 alter A position 1");
    target->Exec("alter table T6 alter A position 1");
    auto run = NewRun("T6");
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(run->log[0], "T6: A B");
    EXPECT_EQ(run->C.TableOptionsMaster().PrimaryKeyList.Lines(), (std::vector<std::string>{"A", "B"}));
    run->C.IgnoreComputedFields = false;
    run->log.clear();
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(run->log[0], "T6: A B C");
}

TEST_F(CompareRun, BlobsGoToTheSideFileNamedByTheHeader)
{
    Both("T5", "ID INTEGER NOT NULL PRIMARY KEY, PIC BLOB SUB_TYPE BINARY, TXT BLOB SUB_TYPE TEXT");
    master->Insert("T5", {"(1, x'000102030405060708090A0B0C0D0E0F', 'hello')"});
    auto run = NewRun("T5");
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(Script(), "SET BLOBFILE 'Result.LOB';\r\nINSERT INTO T5 (ID, PIC, TXT)\r\n"
                        "VALUES(1, :h00000000_00000010, :h00000010_00000005);\r\n");
    EXPECT_EQ(qeltest::ReadFile(target->Dir().File("Result.LOB")),
              std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0Fhello", 21));
    ASSERT_EQ(sink.Count(), 2);
    EXPECT_EQ(sink.Statements(0).StatType, TStatType::stSetBlobFile);
    EXPECT_EQ(sink.Statements(0).ObjName, target->Dir().File("Result.LOB"));
    // A side file in another folder is named with its whole path.
    qeltest::TempDir other;
    run->C.SetBlobFileName(other.File("b.lob"));
    ASSERT_TRUE(run->C.Execute());
    EXPECT_EQ(Script().substr(0, Script().find(";")), "SET BLOBFILE '" + other.File("b.lob") + "'");
}

TEST_F(CompareRun, BlobThatCannotBeSavedWithdrawsItsStatementOnly)
{
    Both("T5", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(5), PIC BLOB SUB_TYPE BINARY");
    master->Insert("T5", {"(1, 'a', x'0102')", "(2, 'new', Null)"});
    target->Insert("T5", {"(1, 'a', x'FFFF')", "(2, 'old', Null)"});
    auto run = NewRun("T5");
    run->C.SetBlobFileName("/no/such/folder/x.LOB");
    ASSERT_TRUE(run->C.Execute());
    ASSERT_EQ(run->errors.size(), 2u) << Joined(run->errors);
    EXPECT_EQ(run->errors[0].rfind("Error: Cannot create file \"/no/such/folder/x.LOB\".", 0), 0u);
    EXPECT_EQ(run->errors[1], "Error: Statements not produced because a value could not be written: 1.");
    EXPECT_EQ(run->log.back(), "Errors: 2");
    EXPECT_EQ(run->C.Updated, 1);
    EXPECT_EQ(SinkTexts().back(), "UPDATE T5 SET \r\nNAME='new'\r\nWHERE ID = 2\r\n");
    // Nothing writes Null over the target's value; the script names a side
    // file that could not be made, which its run reports.
    auto exec = target->NewExecutor();
    run->C.SetSQLExec(exec.get());
    ASSERT_TRUE(run->C.Execute());
    EXPECT_FALSE(exec->Execute());
    EXPECT_EQ(exec->Statements(0).StatType, TStatType::stSetBlobFile);
    EXPECT_FALSE(exec->Statements(0).ErrorText.empty());
    EXPECT_EQ(target->Rows("select PIC, NAME from T5 order by ID"),
              (TRows{{"xFFFF", "a"}, {"<null>", "new"}}));
}

// ---- bad input ----

TEST_F(CompareRun, MissingTablesAreReportedAndNothingIsWritten)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY");
    for (bool missingMaster : {true, false}) {
        auto run = NewRun("T1");
        (missingMaster ? run->C.SetTableNameMaster("NOPE") : run->C.SetTableNameTarget("NOPE"));
        const std::string db = missingMaster ? MasterPath() : TargetPath();
        ASSERT_TRUE(run->C.Execute());
        EXPECT_EQ(run->errors, (std::vector<std::string>{
                                   "Error: Table: NOPE not exists.\r\nDatabase: " + db,
                                   "Error: There are no data-fields for comparison. Table: NOPE Database: " + db,
                                   "Error: There are no key-fields for comparison. Table: NOPE Database: " + db}));
        EXPECT_EQ(run->log.back(), "Errors: 3");
        EXPECT_EQ(sink.Count(), 0);
        EXPECT_FALSE(std::filesystem::exists(target->Dir().File("Result.SQL")));
    }
}

namespace {

// Input the comparer cannot pair safely: the run reports it and stops
// before anything reaches the script, the executor or the target.
class RefusedRuns : public CompareRun, public ::testing::WithParamInterface<std::tuple<TTableCase, bool>> {};

std::string Refused(const std::string& Message)
{
    return "Error: " + Message + " No statements were produced.";
}

const std::vector<TTableCase> RefusedCases = {
    {"KeyFieldThatDoesNotExist", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(5)", nullptr, {"(1, 'a')"}, {},
     KeyFields("NOPE"),
     {"Error: Key field NOPE of table T is not among the data fields of the comparison.",
      "Error: Key field NOPE of table T is not among the data fields of the comparison."}},
    // Lists given for both sides pair by position.
    {"DifferentColumnCounts", "ID INTEGER NOT NULL PRIMARY KEY, A INTEGER, B INTEGER",
     "ID INTEGER NOT NULL PRIMARY KEY, A INTEGER", {"(1, 1, 1)"}, {},
     [](TVelmorin& c) {
         c.OnGetDataFields = [](TObject&, TStringList& M, TStringList& T) {
             M.SetLines({"ID", "A", "B"});
             T.SetLines({"ID", "A"});
         };
     },
     {Refused("The master SELECT returns 3 columns and the target SELECT 2. Table: T, T.")}},
    {"RepeatedMasterKey", "ID INTEGER, NAME VARCHAR(5)", nullptr, {"(1, 'a')", "(2, 'b')", "(2, 'c')", "(3, 'd')"},
     {"(0, 'z')"}, KeyFields("ID"), {Refused("Master table T: the key ID = 2 occurs more than once.")}},
    {"RowsOutOfKeyOrder", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(5)", nullptr, {"(1, 'a')", "(2, 'a')", "(3, 'a')"},
     {"(0, 'z')"},
     [](TVelmorin& c) {
         c.OnGetSelectSQL = [](TObject&, TStringList& m, TStringList& t) {
             m.SetText("select ID, NAME from T order by ID desc");
             t.SetText("select ID, NAME from T order by ID");
         };
     },
     {Refused("Master table T: the rows do not arrive in key order (ID = 2 after ID = 3).")}},
    // Text "10" sorts before "9", the number 10 after 9: such keys would
    // pair the wrong rows.
    {"TextKeyAgainstNumberKey", "K VARCHAR(5) NOT NULL, V INTEGER", "K INTEGER NOT NULL, V INTEGER",
     {"('9', 1)", "('10', 1)"}, {"(9, 2)", "(10, 2)"}, KeyFields("K"),
     {Refused("The key columns differ in kind: master T.K is text, target T.K is a number.")}},
    {"DateKeyAgainstTextKey", "K DATE NOT NULL, V INTEGER", "K VARCHAR(10) NOT NULL, V INTEGER",
     {"('2024-02-27', 1)", "('2024-03-01', 1)"}, {"('27.02.2024', 2)", "('01.03.2024', 2)"}, KeyFields("K"),
     {Refused("The key columns differ in kind: master T.K is a date, target T.K is text.")}},
};

} // namespace

TEST_P(RefusedRuns, ProduceNothingAndLeaveTheTargetAlone)
{
    const auto& [p, immediate] = GetParam();
    auto run = NewRun(p);
    const TRows before = target->Rows("select * from T");
    run->C.SetUpdateImmediately(immediate);
    ASSERT_TRUE(run->C.Execute());
    EXPECT_EQ(run->errors, p.Expected);
    EXPECT_EQ(sink.Count(), 0);
    EXPECT_EQ(Script(), "");
    EXPECT_EQ(run->C.Inserted + run->C.Updated + run->C.Deleted, 0);
    EXPECT_EQ(target->Rows("select * from T"), before);
}

INSTANTIATE_TEST_SUITE_P(Velmorin, RefusedRuns, ::testing::Combine(::testing::ValuesIn(RefusedCases), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<TTableCase, bool>>& i) {
                             return std::string(std::get<0>(i.param).Name) + Mode(std::get<1>(i.param));
                         });

TEST_F(CompareRun, UnreachableTargetEndsTheRunBeforeAnythingIsWritten)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY");
    TQELConnection away;
    qeltest::ConfigureFirebird(away, "/nowhere/x.fdb");
    away.ConnectionOptions().HostName = "127.0.0.1/1";
    away.ConnectionOptions().Protocol = TQELProtocol::ptTCP;
    std::vector<std::string> connectionErrors;
    away.OnErrorMessage = [&](TObject&, const std::string& t) { connectionErrors.push_back(t); };
    auto run = NewRun("T1");
    run->C.SetQELConnectionTarget(&away);
    EXPECT_FALSE(run->C.Execute());
    ASSERT_EQ(run->errors.size(), 1u);
    ASSERT_EQ(connectionErrors.size(), 1u);
    EXPECT_EQ(run->errors[0], "Error: " + connectionErrors[0]);
    EXPECT_EQ(run->log, std::vector<std::string>{"Connecting to target-database...: /nowhere/x.fdb"});
    EXPECT_FALSE(std::filesystem::exists(target->Dir().File("Result.SQL")));
    EXPECT_EQ(sink.Count(), 0);
}

// ---------------------------------------------------------------------------
// MS SQL texts: a Firebird master and a SQLite file standing in as the
// target, its connection typed dbMSSQL, so that every statement and literal
// is written for MS SQL.

namespace {

// A SQLite file standing in as the target for a server the tests do not
// have: its connection is typed as that server.
struct TStandIn {
    qeltest::TempDir Dir;
    TADOConnection File;
    TQELConnectionADO Target;
    std::string Unavailable;

    explicit TStandIn(TDatabaseType Type)
    {
        File.SetConnectionString(qeltest::SQLiteString(Dir.File("t.db")));
        try {
            File.Open();
        } catch (const std::exception& e) {
            Unavailable = std::string("no SQLite driver: ") + e.what();
        }
        Target.SetConnection(&File);
        Target.SetDatabaseType(Type);
    }
};

// Table ITEMS of Master compared with the stand-in's, both read by Select
// (a stand-in reads no catalogue of the server it plays).
struct TStandInRun : TRun {
    TCustomSQLExec Sink;

    TStandInRun(TTestDatabase& Master, TStandIn& Target, const std::string& Key, const TStringList& Columns,
                const std::string& Select)
        : TRun(Master.Connection(), "ITEMS", &Target.Target, "ITEMS", Target.Dir.Path().string())
    {
        C.SetSQLExec(&Sink);
        for (TCmpTableOptions* side : {&C.TableOptionsMaster(), &C.TableOptionsTarget()}) {
            side->SetKeyFields(TStringList{Key});
            side->SetDataFields(Columns);
        }
        C.OnGetSelectSQL = [Select](TObject&, TStringList& m, TStringList& t) {
            m.SetText(Select);
            t.SetText(Select);
        };
    }
};

} // namespace

TEST(MSSQLTexts, StatementsAndLiteralsForAnMSSQLTarget)
{
    TTestDatabase master(TServer::FbEmbedded);
    if (!master.Unavailable().empty()) GTEST_SKIP() << master.Unavailable();
    master.CreateTable("ITEMS", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), \"Order\" INTEGER, D DATE, "
                                "TS TIMESTAMP, FLAG BOOLEAN, AMOUNT NUMERIC(18,4), PIC BLOB SUB_TYPE BINARY, "
                                "NOTE BLOB SUB_TYPE TEXT");
    master.Insert("ITEMS", {"(1, 'O''Brien', 7, '2024-02-27', '2024-02-27 13:14:15.5', TRUE, 12.5, x'', '')",
                           "(2, 'changed', 8, Null, Null, FALSE, -0.0001, Null, Null)"});
    TStandIn target(TDatabaseType::dbMSSQL);
    if (!target.Unavailable.empty()) QEL_SKIP_OR_FAIL(target.Unavailable);
    target.File.Execute("create table ITEMS (ID INTEGER, NAME VARCHAR(20), \"Order\" INTEGER, D DATE, TS TIMESTAMP, "
                        "FLAG BOOLEAN, AMOUNT DOUBLE, PIC BLOB, NOTE TEXT)");
    target.File.Execute("insert into ITEMS (ID, NAME, \"Order\", FLAG) values (2, 'old', 8, 0), (3, 'gone', 9, 1)");
    target.Target.ConnectionOptions().DatabaseName = "shop";
    TStandInRun run(master, target, "ID", {"ID", "NAME", "Order", "D", "TS", "FLAG", "AMOUNT", "PIC", "NOTE"},
                    "select ID, NAME, \"Order\", D, TS, FLAG, AMOUNT, PIC, NOTE from ITEMS order by ID");
    ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
    EXPECT_EQ(run.C.ErrorCount, 0) << Joined(run.errors);
    EXPECT_EQ(StatementTexts(run.Sink), "USE shop\r\n\n"
                                        "SET BLOBFILE 'Result.LOB'\r\n\n"
                                        "UPDATE ITEMS SET \r\nNAME='changed',\r\nAMOUNT=-0.0001\r\nWHERE ID = 2\r\n\n"
                                        "DELETE FROM ITEMS WHERE ID = 3\r\n\n"
                                        "INSERT INTO ITEMS (ID, NAME, [Order], D, TS, FLAG, AMOUNT, PIC, NOTE)\r\n"
                                        "VALUES(1, 'O''Brien', 7, '2024-02-27', '2024-02-27T13:14:15.5', 1, 12.5, 0x, '')\r\n\n");
    EXPECT_EQ(run.Sink.Statements(0).StatType, TStatType::stConnect);
    // The script file ends every statement with ";" whatever the server.
    EXPECT_EQ(qeltest::ReadFile(target.Dir.File("Result.SQL")).substr(0, 10), "USE shop;\r");
}

// ---------------------------------------------------------------------------
// Column discovery on PostgreSQL and SQLite

TEST(Discovery, PostgreSQLLowerCasesNamesAndReadsThePrimaryKey)
{
    TTestDatabase db(TServer::PostgreSQL), other(TServer::PostgreSQL);
    if (!db.Unavailable().empty()) QEL_SKIP_OR_FAIL(db.Unavailable());
    const std::string table = db.Table("Disc"), table2 = other.Table("Disc2");
    db.CreateTable(table, "code varchar(10) not null, \"Desc\" text, n integer, primary key (code)");
    db.Insert(table, {"('b', 'x', 1), ('B', 'y', 2), ('a', Null, 3)"});
    other.CreateTable(table2, "code varchar(10) not null, \"Desc\" text, n integer, primary key (code)");
    TRun run(db, UpperCase(table), other, table2);
    TVelmorin& c = run.C;
    TCustomSQLExec sink;
    c.SetSQLExec(&sink);
    ASSERT_TRUE(c.Execute()) << Joined(run.errors);
    EXPECT_EQ(c.ErrorCount, 0) << Joined(run.errors);
    EXPECT_EQ(c.TableOptionsMaster().TableName, table);
    EXPECT_EQ(c.TableOptionsMaster().AllFields.Lines(), (std::vector<std::string>{"code", "Desc", "n"}));
    EXPECT_EQ(c.TableOptionsMaster().PrimaryKeyList.Lines(), std::vector<std::string>{"code"});
    EXPECT_EQ(run.log[1], table + ": code Desc n");
    // Byte order for the character key; the key is NOT NULL, so no NULLS LAST.
    EXPECT_EQ(run.log[2], "Select-SQL for master table:\r\nselect code, \"Desc\", n\r\nfrom " + table +
                              "\r\n Order by code COLLATE \"C\"\r\n");
    ASSERT_EQ(sink.Count(), 3);
    EXPECT_EQ(sink.Statements(0).SQL.Text(), "INSERT INTO " + table2 + " (code, \"Desc\", n)\r\nVALUES('B', 'y', 2)\r\n");
    EXPECT_EQ(sink.Statements(1).SQL.Text(), "INSERT INTO " + table2 + " (code, \"Desc\", n)\r\nVALUES('a', Null, 3)\r\n");
    // Names the user types in upper case are folded as PostgreSQL folds them.
    for (TCmpTableOptions* side : {&c.TableOptionsMaster(), &c.TableOptionsTarget()}) {
        side->SetDataFields(TStringList{"CODE", "N"});
        side->SetKeyFields(TStringList{"CODE"});
    }
    run.log.clear();
    ASSERT_TRUE(c.Execute()) << Joined(run.errors);
    EXPECT_EQ(run.log[0], "Select-SQL for master table:\r\nselect code, n\r\nfrom " + table +
                              "\r\n Order by code COLLATE \"C\"\r\n");
}

TEST(Discovery, SQLiteColumnsFromTheSchemaListing)
{
    TTestDatabase db(TServer::SQLite);
    if (!db.Unavailable().empty()) QEL_SKIP_OR_FAIL(db.Unavailable());
    db.CreateTable("ITEMS", "B INTEGER, A VARCHAR(10) NOT NULL, C BLOB, PRIMARY KEY (A, B)");
    db.CreateTable("items2", "X INTEGER");
    TRun run(db.Connection(), "items", nullptr, "", db.Dir().Path().string());
    ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
    EXPECT_EQ(run.C.ErrorCount, 0) << Joined(run.errors);
    EXPECT_EQ(run.log[0], "ITEMS: B A C");
    EXPECT_EQ(run.C.TableOptionsMaster().PrimaryKeyList.Lines(), (std::vector<std::string>{"A", "B"}));
    // Without a target there is no key to pair by: the rows are ordered by
    // every column.
    EXPECT_EQ(run.log[1], "Select-SQL for master table:\r\nselect B, A, C\r\nfrom ITEMS\r\n"
                          " Order by B NULLS LAST, A COLLATE BINARY, C NULLS LAST\r\n");
    // The listing matches the table name exactly: a table stored in lower
    // case is not found through the upper-cased name.
    run.C.SetTableNameMaster("items2");
    run.errors.clear();
    ASSERT_TRUE(run.C.Execute());
    EXPECT_EQ(run.errors.size(), 2u) << Joined(run.errors);
}

// A double quote inside a string literal must not hide the parameters that
// follow it, nor make a colon inside the literal a parameter: the script's
// values arrive as written.
TEST_F(CompareRun, DoubleQuotesInsideStringsSurviveTheExecutor)
{
    Both("T5", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), PIC BLOB SUB_TYPE BINARY");
    master->Insert("T5", {"(1, 'a 5\" screen', x'0102')", "(2, 'say \"x:y', Null)", "(3, 'q\":r', Null)"});
    auto run = NewRun("T5");
    auto exec = target->NewExecutor();
    run->C.SetSQLExec(exec.get());
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    std::vector<std::string> execErrors;
    exec->OnErrorMessage = [&](TObject&, const std::string& t) { execErrors.push_back(t); };
    EXPECT_TRUE(exec->Execute()) << Joined(execErrors);
    EXPECT_EQ(target->Rows("select ID, NAME, PIC from T5 order by ID"),
              master->Rows("select ID, NAME, PIC from T5 order by ID"));
}

// ---------------------------------------------------------------------------
// Keys and key conditions under collations: the merge reads keys in byte
// order, and each condition reaches exactly the row the merge paired,
// whatever the server's collation calls equal

namespace {

struct TCollationCase {
    const char* Name;
    TServer Server;
    const char* Body;
    std::vector<std::string> MasterRows, TargetRows;
    // The data statements of a script run; "{T}" is the target's table.
    std::vector<std::string> Expected;
    // The rows compared after the round trip; "{T}" is each side's table.
    const char* Select;
    const char* MasterSelect = nullptr; // the master's SELECT as logged
};

class KeyConditions : public ::testing::TestWithParam<std::tuple<TCollationCase, bool>> {};

std::string WithTable(std::string Text, const std::string& Table)
{
    for (size_t at; (at = Text.find("{T}")) != std::string::npos;) Text.replace(at, 3, Table);
    return Text;
}

std::vector<std::string> DataTexts(const TCustomSQLExec& Exec)
{
    std::vector<std::string> r;
    for (int i = 0; i < Exec.Count(); ++i) {
        const TStatType t = Exec.Statements(i).StatType;
        if (t == TStatType::stInsert || t == TStatType::stUpdate || t == TStatType::stDelete)
            r.push_back(Exec.Statements(i).SQL.Text());
    }
    return r;
}

const char* const CaseOnlyInserts[] = {"INSERT INTO {T} (CODE, N)\r\nVALUES('ABC', 1)\r\n",
                                       "INSERT INTO {T} (CODE, N)\r\nVALUES('Zz', 3)\r\n",
                                       "INSERT INTO {T} (CODE, N)\r\nVALUES('b', 2)\r\n"};

const std::vector<TCollationCase> CollationCases = {
    // "abc" beside "ABC" under UNICODE_CI, "a " beside "a" under Firebird's
    // blank padding: one row each to the server's "=", two to the comparer.
    {"FirebirdCaseBlindAndPadded", TServer::FbEmbedded, "NAME VARCHAR(10) CHARACTER SET UTF8 COLLATE UNICODE_CI, QTY INTEGER",
     {"('ABC', 1)", "('a', 1)"}, {"('ABC', 1)", "('abc', 1)", "('a', 1)", "('a ', 1)"},
     {"DELETE FROM {T} WHERE NAME = 'a ' and NAME COLLATE UTF8 = 'a ' and OCTET_LENGTH(NAME) = 2 and QTY = 1\r\n",
      "DELETE FROM {T} WHERE NAME = 'abc' and NAME COLLATE UTF8 = 'abc' and OCTET_LENGTH(NAME) = 3 and QTY = 1\r\n"},
     "select '[' || NAME || ']', QTY from {T} order by NAME collate UTF8"},
    // Read in the collation's order, "a" and "B" would pair wrongly or stop
    // the run.
    {"FirebirdCaseBlindKeyInByteOrder", TServer::FbEmbedded,
     "CODE VARCHAR(10) CHARACTER SET UTF8 NOT NULL COLLATE UNICODE_CI_AI, N INTEGER, PRIMARY KEY (CODE)",
     {"('a', 1)", "('B', 2)", "('c', 3)"}, {"('B', 2)", "('c', 4)", "('d', 5)"},
     {"UPDATE {T} SET \r\nN=3\r\nWHERE CODE = 'c' and CODE COLLATE UTF8 = 'c' and OCTET_LENGTH(CODE) = 1\r\n",
      "DELETE FROM {T} WHERE CODE = 'd' and CODE COLLATE UTF8 = 'd' and OCTET_LENGTH(CODE) = 1\r\n",
      "INSERT INTO {T} (CODE, N)\r\nVALUES('a', 1)\r\n"},
     "select CODE, N from {T} order by N", "Select-SQL for master table:\r\nselect CODE, N\r\nfrom KC\r\n Order by CODE COLLATE UTF8\r\n"},
    {"SQLiteNoCaseAndRTrim", TServer::SQLite, "NAME VARCHAR(10) COLLATE NOCASE, CODE VARCHAR(5) COLLATE RTRIM, QTY INTEGER",
     {"('ABC', 'x', 1)", "('q', 'a', 2)"}, {"('ABC', 'x', 1)", "('abc', 'x', 1)", "('q', 'a', 2)", "('q', 'a ', 2)"},
     {"DELETE FROM {T} WHERE NAME = 'abc' and NAME COLLATE BINARY = 'abc' and CODE = 'x' and CODE COLLATE BINARY = 'x' and "
      "QTY = 1\r\n",
      "DELETE FROM {T} WHERE NAME = 'q' and NAME COLLATE BINARY = 'q' and CODE = 'a ' and CODE COLLATE BINARY = 'a ' and "
      "QTY = 2\r\n"},
     "select '[' || NAME || '|' || CODE || ']', QTY from {T} order by 1"},
    // A nondeterministic ICU collation makes PostgreSQL's "=" blind to case;
    // a deterministic one compares bytes already: no second term.
    {"PostgreSQLNondeterministic", TServer::PostgreSQL, "name varchar(10) collate velmorin_ci, plain varchar(10), qty integer",
     {"('ABC', 'p', 1)"}, {"('ABC', 'p', 1)", "('abc', 'p', 1)"},
     {"DELETE FROM {T} WHERE name = 'abc' and name COLLATE \"C\" = 'abc' and plain = 'p' and qty = 1\r\n"},
     "select name, plain, qty from {T}"},
    // A primary key whose case changed under a case-blind collation: the
    // new row's INSERT would collide with the old row until its DELETE has
    // run, so every DELETE goes first, and nothing is lost.
    {"FirebirdCaseOnlyKeyChange", TServer::FbEmbedded,
     "CODE VARCHAR(10) CHARACTER SET UTF8 NOT NULL COLLATE UNICODE_CI, N INTEGER, PRIMARY KEY (CODE)",
     {"('ABC', 1)", "('b', 2)", "('Zz', 3)"}, {"('abc', 1)", "('B', 2)", "('zz', 3)"},
     {"DELETE FROM {T} WHERE CODE = 'B' and CODE COLLATE UTF8 = 'B' and OCTET_LENGTH(CODE) = 1\r\n",
      "DELETE FROM {T} WHERE CODE = 'abc' and CODE COLLATE UTF8 = 'abc' and OCTET_LENGTH(CODE) = 3\r\n",
      "DELETE FROM {T} WHERE CODE = 'zz' and CODE COLLATE UTF8 = 'zz' and OCTET_LENGTH(CODE) = 2\r\n", CaseOnlyInserts[0],
      CaseOnlyInserts[1], CaseOnlyInserts[2]},
     "select CODE, N from {T} order by N"},
    {"SQLiteCaseOnlyKeyChange", TServer::SQLite, "CODE VARCHAR(10) NOT NULL COLLATE NOCASE PRIMARY KEY, N INTEGER",
     {"('ABC', 1)", "('b', 2)", "('Zz', 3)"}, {"('abc', 1)", "('B', 2)", "('zz', 3)"},
     {"DELETE FROM {T} WHERE CODE = 'B' and CODE COLLATE BINARY = 'B'\r\n",
      "DELETE FROM {T} WHERE CODE = 'abc' and CODE COLLATE BINARY = 'abc'\r\n",
      "DELETE FROM {T} WHERE CODE = 'zz' and CODE COLLATE BINARY = 'zz'\r\n", CaseOnlyInserts[0], CaseOnlyInserts[1],
      CaseOnlyInserts[2]},
     "select CODE, N from {T} order by N"},
};

} // namespace

TEST_P(KeyConditions, ReachOnlyThePairedRow)
{
    const auto& [p, immediate] = GetParam();
    TTestDatabase m(p.Server), t(p.Server);
    for (TTestDatabase* d : {&m, &t})
        if (!d->Unavailable().empty()) QEL_SKIP_OR_FAIL(d->Unavailable());
    if (p.Server == TServer::PostgreSQL)
        m.TryExec("create collation if not exists velmorin_ci (provider = icu, locale = 'und-u-ks-level2', "
                  "deterministic = false)");
    const std::string tm = m.Table("KC"), tt = t.Table("KCT");
    m.CreateTable(tm, p.Body);
    t.CreateTable(tt, p.Body);
    m.Insert(tm, p.MasterRows);
    t.Insert(tt, p.TargetRows);
    {
        TRun run(m, tm, t, tt);
        TCustomSQLExec sink;
        run.C.SetSQLExec(&sink);
        ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
        EXPECT_EQ(run.C.ErrorCount, 0) << Joined(run.errors);
        std::vector<std::string> expected;
        for (const std::string& e : p.Expected) expected.push_back(WithTable(e, tt));
        EXPECT_EQ(DataTexts(sink), expected);
        if (p.MasterSelect != nullptr) {
            EXPECT_NE(std::find(run.log.begin(), run.log.end(), p.MasterSelect), run.log.end()) << Joined(run.log);
        }
    }
    SyncAndCompareAgain(m, tm, t, tt, immediate);
    EXPECT_EQ(t.Rows(WithTable(p.Select, tt)), m.Rows(WithTable(p.Select, tm)));
}

INSTANTIATE_TEST_SUITE_P(Velmorin, KeyConditions, ::testing::Combine(::testing::ValuesIn(CollationCases), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<TCollationCase, bool>>& i) {
                             return std::string(std::get<0>(i.param).Name) + Mode(std::get<1>(i.param));
                         });

// The conditions for MS SQL and MySQL, whose servers the tests do not have:
// a SQLite file stands in for the target, with a catalogue table that
// answers the INFORMATION_SCHEMA query.
namespace {

struct TForeignKeyCase {
    const char* Name;
    TDatabaseType Server;
    const char* DataType;
    const char* Collation;
    std::string Expected;
};

class ForeignKeyConditions : public ::testing::TestWithParam<TForeignKeyCase> {};

} // namespace

TEST_P(ForeignKeyConditions, CompareBytesAndLength)
{
    const TForeignKeyCase& p = GetParam();
    TTestDatabase master(TServer::FbEmbedded);
    if (!master.Unavailable().empty()) QEL_SKIP_OR_FAIL(master.Unavailable());
    master.CreateTable("ITEMS", "K VARCHAR(10), N INTEGER");
    TStandIn target(p.Server);
    if (!target.Unavailable.empty()) QEL_SKIP_OR_FAIL(target.Unavailable);
    target.File.Execute("attach database '" + target.Dir.File("schema.db") + "' as INFORMATION_SCHEMA");
    target.File.Execute("create table INFORMATION_SCHEMA.COLUMNS (TABLE_NAME, COLUMN_NAME, IS_NULLABLE, DATA_TYPE, "
                        "COLLATION_NAME)");
    target.File.Execute(std::string("insert into INFORMATION_SCHEMA.COLUMNS values ('ITEMS', 'K', 'YES', '") + p.DataType +
                        "', '" + p.Collation + "'), ('ITEMS', 'N', 'YES', 'int', Null)");
    target.File.Execute("create table ITEMS (K VARCHAR(10), N INTEGER)");
    target.File.Execute("insert into ITEMS values ('caf\xC3\xA9', 1)");
    target.Target.MSSQLServerOptions().SQLServerVersion = TMSSQLServerVersionType::st_MSSQL2019;
    TStandInRun run(master, target, "K", {"K", "N"}, "select K, N from ITEMS order by K");
    ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
    EXPECT_EQ(run.C.ErrorCount, 0) << Joined(run.errors);
    EXPECT_EQ(StatementTexts(run.Sink), p.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Velmorin, ForeignKeyConditions,
    ::testing::Values(
        TForeignKeyCase{"MSSQLNVarChar", TDatabaseType::dbMSSQL, "nvarchar", "Latin1_General_CI_AS",
                        "DELETE FROM ITEMS WHERE K = 'caf\xC3\xA9' and K COLLATE Latin1_General_BIN2 = 'caf\xC3\xA9' and "
                        "DATALENGTH(K) = 8\r\n\n"},
        TForeignKeyCase{"MSSQLVarChar", TDatabaseType::dbMSSQL, "varchar", "Latin1_General_CI_AS",
                        "DELETE FROM ITEMS WHERE K = 'caf\xC3\xA9' and K COLLATE Latin1_General_BIN2 = 'caf\xC3\xA9' and "
                        "DATALENGTH(K) = 4\r\n\n"},
        TForeignKeyCase{"MSSQLVarCharUTF8", TDatabaseType::dbMSSQL, "varchar", "Latin1_General_100_CI_AS_SC_UTF8",
                        "DELETE FROM ITEMS WHERE K = 'caf\xC3\xA9' and K COLLATE Latin1_General_BIN2 = 'caf\xC3\xA9' and "
                        "DATALENGTH(K) = 5\r\n\n"},
        TForeignKeyCase{"MSSQLChar", TDatabaseType::dbMSSQL, "nchar", "Latin1_General_CI_AS",
                        "DELETE FROM ITEMS WHERE K = 'caf\xC3\xA9' and K COLLATE Latin1_General_BIN2 = 'caf\xC3\xA9'\r\n\n"},
        TForeignKeyCase{"MySQLVarChar", TDatabaseType::dbMySQL, "varchar", "utf8mb4_general_ci",
                        "DELETE FROM ITEMS WHERE K = 'caf\xC3\xA9' and BINARY K = 'caf\xC3\xA9' and CHAR_LENGTH(K) = 4\r\n\n"},
        TForeignKeyCase{"MySQLChar", TDatabaseType::dbMySQL, "char", "utf8mb4_general_ci",
                        "DELETE FROM ITEMS WHERE K = 'caf\xC3\xA9' and BINARY K = 'caf\xC3\xA9'\r\n\n"}),
    [](const ::testing::TestParamInfo<TForeignKeyCase>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------------------
// A run that stops half-way leaves nothing behind

// A server error while the master's rows are read (the fourth row divides by
// zero): the statements made before it would look like a whole script.
TEST_F(CompareRun, FailureInMidMergeWithdrawsEverything)
{
    for (bool immediate : {false, true}) {
        SCOPED_TRACE(immediate ? "immediate" : "script");
        Both("T11", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(10), PIC BLOB SUB_TYPE BINARY");
        master->Insert("T11", {"(1, 'a', x'01')", "(2, 'b', Null)", "(3, 'c', x'03')", "(4, 'd', Null)", "(5, 'e', Null)"});
        target->Insert("T11", {"(0, 'z', Null)", "(1, 'x', Null)", "(3, 'c', x'03')"});
        auto run = NewRun("T11");
        if (immediate) run->C.SetUpdateImmediately(true);
        run->C.OnGetSelectSQL = [](TObject&, TStringList& m, TStringList& t) {
            m.SetText("select ID, NAME, PIC from T11 where 1 / (4 - ID) <> 99 order by ID");
            t.SetText("select ID, NAME, PIC from T11 order by ID");
        };
        int produced = 0;
        run->C.OnAddResultSQL = [&](TObject&, bool&, const std::string&, TStatType, const std::string&, TDbObject,
                                    TDbOperation) { ++produced; };
        ASSERT_TRUE(run->C.Execute());
        EXPECT_GE(produced, 2); // the DELETE of 0 and the UPDATE of 1 went out before the failure
        ASSERT_EQ(run->errors.size(), 1u) << Joined(run->errors);
        EXPECT_NE(run->errors[0].find("divide by zero"), std::string::npos) << run->errors[0];
        EXPECT_EQ(run->errors[0].substr(run->errors[0].size() - 30), "\r\nNo statements were produced.");
        EXPECT_EQ(sink.Count(), 0);
        EXPECT_EQ(Script(), "");
        EXPECT_EQ(qeltest::ReadFile(target->Dir().File("Result.LOB")), "");
        EXPECT_EQ(run->C.Inserted + run->C.Updated + run->C.Deleted, 0);
        EXPECT_EQ(target->Rows("select ID, NAME, PIC from T11 order by ID"),
                  (TRows{{"0", "z", "<null>"}, {"1", "x", "<null>"}, {"3", "c", "x03"}}));
    }
}

// Immediate statements over ODBC run in one transaction: a withdrawn run
// rolls back the DELETE and UPDATE it ran before the repeated key.
TEST(ImmediateTransaction, WithdrawnRunLeavesAnODBCTargetUnchanged)
{
    for (TServer server : {TServer::SQLite, TServer::PostgreSQL}) {
        SCOPED_TRACE(ServerName(server));
        TTestDatabase m(server), t(server);
        if (!m.Unavailable().empty()) QEL_SKIP_OR_FAIL(m.Unavailable());
        const std::string tm = m.Table("R5"), tt = t.Table("R5T");
        m.CreateTable(tm, "ID INTEGER, NAME VARCHAR(5)");
        t.CreateTable(tt, "ID INTEGER, NAME VARCHAR(5)");
        m.Insert(tm, {"(1, 'a')", "(2, 'b')", "(3, 'c')", "(3, 'd')"});
        t.Insert(tt, {"(0, 'z')", "(1, 'x')"});
        TRun run(m, tm, t, tt);
        const std::string id = t.Column("ID");
        run.C.TableOptionsMaster().KeyFields().SetLines({id});
        run.C.TableOptionsTarget().KeyFields().SetLines({id});
        run.C.SetUpdateImmediately(true);
        int produced = 0;
        run.C.OnAddResultSQL = [&](TObject&, bool&, const std::string&, TStatType, const std::string&, TDbObject,
                                   TDbOperation) { ++produced; };
        ASSERT_TRUE(run.C.Execute());
        EXPECT_EQ(produced, 2);
        EXPECT_EQ(run.errors, std::vector<std::string>{"Error: Master table " + tm + ": the key " + id +
                                                       " = 3 occurs more than once. No statements were produced."});
        EXPECT_EQ(t.Rows("select ID, NAME from " + tt + " order by ID"),
                  (TRows{{"0", "z"}, {"1", "x"}}));
        EXPECT_FALSE(t.Connection().InTransaction());
    }
}

// In the one transaction a failing statement is still undone alone: the
// statements around it keep their effect.
TEST(ImmediateTransaction, FailingStatementIsUndoneAlone)
{
    for (TServer server : {TServer::FbEmbedded, TServer::SQLite, TServer::PostgreSQL}) {
        SCOPED_TRACE(ServerName(server));
        TTestDatabase m(server), t(server);
        if (!m.Unavailable().empty()) QEL_SKIP_OR_FAIL(m.Unavailable());
        const std::string tm = m.Table("R6"), tt = t.Table("R6T");
        m.CreateTable(tm, "ID INTEGER NOT NULL PRIMARY KEY, N INTEGER");
        t.CreateTable(tt, "ID INTEGER NOT NULL PRIMARY KEY, N INTEGER CHECK (N < 100)");
        m.Insert(tm, {"(1, 1)", "(2, 200)", "(3, 3)"});
        t.Insert(tt, {"(1, 0)", "(2, 0)", "(3, 0)", "(4, 0)"});
        TRun run(m, tm, t, tt);
        run.C.SetUpdateImmediately(true);
        ASSERT_TRUE(run.C.Execute());
        EXPECT_EQ(run.C.ErrorCount, 1) << Joined(run.errors);
        EXPECT_EQ(t.Rows("select ID, N from " + tt + " order by ID"),
                  (TRows{{"1", "1"}, {"2", "0"}, {"3", "3"}}));
    }
}

// ---------------------------------------------------------------------------
// Dates and times at the target's precision

// Microseconds from PostgreSQL and SQLite: Firebird keeps ten-thousandths
// and rejects more digits, the SQLite driver stores a time stamp parameter
// to the millisecond. Written to that precision and compared at it, the
// second run finds the tables equal. Dates reach SQLite as ISO text.
TEST(TimeValues, FractionsAtTheTargetsPrecision)
{
    for (TServer from : {TServer::PostgreSQL, TServer::SQLite})
    for (TServer server : {TServer::FbEmbedded, TServer::SQLite}) {
        for (bool immediate : {false, true}) {
            SCOPED_TRACE(std::string(ServerName(from)) + " to " + ServerName(server) + (immediate ? " immediate" : " script"));
            TTestDatabase m(from), t(server);
            if (!m.Unavailable().empty()) QEL_SKIP_OR_FAIL(m.Unavailable());
            const std::string tm = m.Table("tv"), tt = t.Table("TV");
            m.CreateTable(tm, "id integer not null primary key, d date, tm time, ts timestamp");
            t.CreateTable(tt, "ID INTEGER NOT NULL PRIMARY KEY, D DATE, TM TIME, TS TIMESTAMP");
            m.Exec("insert into " + tm + " values (1, '2024-02-27', '10:11:12.123456', '2024-02-27 10:11:12.123456'), "
                   "(2, '1999-12-31', '23:59:59.999999', '1999-12-31 23:59:59.999999'), "
                   "(3, '2024-01-02', '00:00:00.5', '2024-01-02 03:04:05.5')");
            t.Exec("insert into " + tt + " values (3, '2020-01-01', '01:00:00', '2020-01-01 00:00:00')");
            SyncAndCompareAgain(m, tm, t, tt, immediate, nullptr, [&](TVelmorin& c) {
                for (TCmpTableOptions* side : {&c.TableOptionsMaster(), &c.TableOptionsTarget()}) {
                    side->SetKeyFields(TStringList{"ID"});
                    side->SetDataFields(TStringList{"ID", "D", "TM", "TS"});
                }
            });
            const bool fb = IsFirebird(server), stamp4 = fb;
            EXPECT_EQ(t.Rows("select ID, D, TM, TS from " + tt + " order by ID"),
                      (TRows{
                          {"1", "2024-02-27", fb ? "10:11:12.1234" : "10:11:12.123456",
                           stamp4 ? "2024-02-27 10:11:12.1234" : "2024-02-27 10:11:12.123"},
                          {"2", "1999-12-31", fb ? "23:59:59.9999" : "23:59:59.999999",
                           stamp4 ? "1999-12-31 23:59:59.9999" : "1999-12-31 23:59:59.999"},
                          {"3", "2024-01-02", "00:00:00.5", "2024-01-02 03:04:05.5"}}));
            if (!fb) {
                // SQLite keeps what the literal says: ISO text, which its date functions read.
                EXPECT_EQ(t.Rows("select date(D), TS from " + tt + " where ID = 3"),
                          (TRows{{"2024-01-02", "2024-01-02 03:04:05.5"}}));
            }
        }
    }
}

