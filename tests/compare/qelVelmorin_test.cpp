#include "qelVelmorin.h"
#include "qelVelmorinFixture.h"

#include "qelConnection_ADO.h"
#include "qelDBOptions.h"
#include "qelErrors.h"
#include "qelMsgMngr.h"
#include "qelSQL_Exec.h"
#include "qelText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace qel;
using namespace cmptest;

namespace {

std::string Joined(const std::vector<std::string>& lines)
{
    std::string r;
    for (const auto& l : lines) r += l + "\n";
    return r;
}

std::string FileBytes(const std::string& name)
{
    std::ifstream f(name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// A comparer over two test databases, recording what it reports.
struct TRun {
    TVelmorin C;
    std::vector<std::string> log, errors;
    std::vector<std::string> statements;

    TRun(TTestDatabase& Master, const std::string& TableM, TTestDatabase& Target, const std::string& TableT,
         const std::string& Folder)
    {
        C.SetQELConnectionMaster(&Master.Connection());
        C.SetQELConnectionTarget(&Target.Connection());
        C.SetTableNameMaster(TableM);
        C.SetTableNameTarget(TableT);
        C.SetScriptFileName((std::filesystem::path(Folder) / "Result.SQL").string());
        C.OnLogNextLine = [this](TObject&, const std::string& t) { log.push_back(t); };
        C.OnErrorMessage = [this](TObject&, const std::string& t) { errors.push_back(t); };
    }
};

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

struct TRoundTripCase {
    TServer Master;
    TServer Target;
    TKeyKind Key;
    bool Immediate;
};

std::string CaseName(const ::testing::TestParamInfo<TRoundTripCase>& info)
{
    return std::string(ServerName(info.param.Master)) + "To" + ServerName(info.param.Target) + "_" +
           KeyKindName(info.param.Key) + (info.param.Immediate ? "_Immediate" : "_Script");
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
    TTestDatabase master(p.Master);
    if (!master.Unavailable().empty()) QEL_SKIP_OR_FAIL(master.Unavailable());
    TTestDatabase target(p.Target);
    if (!target.Unavailable().empty()) QEL_SKIP_OR_FAIL(target.Unavailable());

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

    TRun run(master, tm, target, tt, target.Dir().Path().string());
    std::unique_ptr<TSQLExec> exec = target.NewExecutor();
    if (p.Immediate) run.C.SetUpdateImmediately(true);
    else run.C.SetSQLExec(exec.get());

    ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
    ASSERT_EQ(run.C.ErrorCount, 0) << Joined(run.errors) << Joined(run.log);
    if (p.Key != TKeyKind::NoKey) {
        EXPECT_EQ(run.C.Inserted, changes.Missing);
        EXPECT_EQ(run.C.Deleted, changes.Extra);
        EXPECT_EQ(run.C.Updated, changes.Changed);
        EXPECT_EQ(run.C.Equal, static_cast<int>(rows.size()) - changes.Missing - changes.Changed);
    } else {
        EXPECT_GE(run.C.Equal, static_cast<int>(rows.size()) - changes.Missing - changes.Changed) << Joined(run.log);
    }
    if (!p.Immediate) {
        std::vector<std::string> execErrors;
        exec->OnErrorMessage = [&](TObject&, const std::string& t) { execErrors.push_back(t); };
        ASSERT_TRUE(exec->Execute()) << Joined(execErrors);
    }

    run.errors.clear();
    ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
    EXPECT_EQ(run.C.ErrorCount, 0) << Joined(run.errors);
    EXPECT_EQ(run.C.Equal, static_cast<int>(rows.size()));
    EXPECT_EQ(run.C.Inserted, 0);
    EXPECT_EQ(run.C.Updated, 0);
    EXPECT_EQ(run.C.Deleted, 0);
    EXPECT_TRUE(OnlyHeaderStatements(*exec)) << StatementTexts(*exec);

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
    ::testing::Values(TRoundTripCase{TServer::SQLite, TServer::FbEmbedded, TKeyKind::IntegerKey, false},
                      TRoundTripCase{TServer::SQLite, TServer::FbEmbedded, TKeyKind::CharacterKey, false},
                      TRoundTripCase{TServer::SQLite, TServer::FbEmbedded, TKeyKind::NoKey, true}),
    CaseName);

// ---------------------------------------------------------------------------
// The component

TEST(VelmorinComponent, DefaultsOfThePublishedProperties)
{
    TVelmorin c;
    EXPECT_EQ(c.ClassName(), "TVelmorin");
    EXPECT_TRUE(c.CompareBlobs);
    EXPECT_TRUE(c.IncludeBlobs);
    EXPECT_TRUE(c.IgnoreComputedFields);
    EXPECT_FALSE(c.TrimCharFields);
    EXPECT_FALSE(c.UpdateImmediately());
    EXPECT_TRUE(c.ScriptOptions().GenerateScript);
    EXPECT_TRUE(c.AllowedOperations.Contains(TDataCompareOperation::dcopInsert));
    EXPECT_TRUE(c.AllowedOperations.Contains(TDataCompareOperation::dcopUpdate));
    EXPECT_TRUE(c.AllowedOperations.Contains(TDataCompareOperation::dcopDelete));
    EXPECT_EQ(std::filesystem::path(c.ScriptFileName()).filename(), "Result.SQL");
    EXPECT_EQ(std::filesystem::path(c.ScriptFileName()).parent_path(), std::filesystem::read_symlink("/proc/self/exe").parent_path());
    EXPECT_EQ(std::filesystem::path(c.BlobFileName()).filename(), "Result.LOB");
    EXPECT_EQ(c.QELConnectionMaster(), nullptr);
    EXPECT_EQ(c.SQLExec(), nullptr);
    EXPECT_EQ(c.GetScriptDatabaseType(), TDatabaseType::dbAbstract);
}

TEST(VelmorinComponent, ScriptFileNameDerivesTheBlobFileName)
{
    TVelmorin c;
    c.SetScriptFileName("/data/run/out.sql");
    EXPECT_EQ(c.BlobFileName(), "/data/run/out.LOB");
    c.SetScriptFileName("Result.SQL");
    EXPECT_EQ(c.BlobFileName(), "Result.LOB");
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
    c.SetTableNameMaster("ORDERS");
    c.SetTableNameTarget("orders");
    EXPECT_EQ(c.TableOptionsMaster().TableName, "ORDERS");
    EXPECT_EQ(c.TableOptionsTarget().TableName, "orders");
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
    std::function<void(TVelmorin&, TQELConnection&)> Prepare;
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
    GetParam().Prepare(c, conn);
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
        TSetupCase{"NoMaster", [](TVelmorin&, TQELConnection&) {}, "TVelmorin: Master connection not assigned..."},
        TSetupCase{"NoTarget",
                   [](TVelmorin& c, TQELConnection& m) {
                       c.SetQELConnectionMaster(&m);
                       c.SetTableNameTarget("T");
                   },
                   "TVelmorin: Target connection not assigned..."},
        TSetupCase{"DataFields",
                   [](TVelmorin& c, TQELConnection& m) {
                       c.SetQELConnectionMaster(&m);
                       c.TableOptionsMaster().DataFields().SetLines({"A", "B"});
                   },
                   "The number of data fields in Master and Target do not match.\r\n"
                   "Please correct: TableOptionsMaster.DataFields, TableOptionsTarget.DataFields properties."},
        TSetupCase{"KeyFields",
                   [](TVelmorin& c, TQELConnection& m) {
                       c.SetQELConnectionMaster(&m);
                       c.TableOptionsTarget().KeyFields().SetLines({"ID"});
                   },
                   "The number of key fields in Master and Target do not match.\r\n"
                   "Please correct: TableOptionsMaster.KeyFields, TableOptionsTarget.KeyFields properties."},
        TSetupCase{"ExcludeFields",
                   [](TVelmorin& c, TQELConnection& m) {
                       c.SetQELConnectionMaster(&m);
                       c.TableOptionsMaster().ExcludeFields().SetLines({"X"});
                   },
                   "The number of exclude fields in Master and Target do not match.\r\n"
                   "Please correct: TableOptionsMaster.ExcludeFields, TableOptionsTarget.ExcludeFields properties."}),
    [](const ::testing::TestParamInfo<TSetupCase>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------------------
// Literals

namespace {

struct TLiteralCase {
    const char* Name;
    TDatabaseType Server;
    TFieldType Type;
    TValue Value;
    std::string Expected;
    std::function<void(TVelmorin&)> Options = nullptr;
};

class ValueLiterals : public ::testing::TestWithParam<TLiteralCase> {};

TDateTimeValue DT(const char* text)
{
    return TDateTimeValue::Parse(text);
}

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
        TLiteralCase{"Null", TDatabaseType::dbInterBase, TFieldType::ftInteger, TValue(), "Null"},
        TLiteralCase{"QuoteInterBase", TDatabaseType::dbInterBase, TFieldType::ftString, TValue::String("O'Brien"), "'O''Brien'"},
        TLiteralCase{"QuoteMySQL", TDatabaseType::dbMySQL, TFieldType::ftString, TValue::String("O'Brien"), "'O\\'Brien'"},
        TLiteralCase{"BackslashPostgreSQL", TDatabaseType::dbPostgreSQL, TFieldType::ftString, TValue::String("a\\b"), "E'a\\x5Cb'"},
        TLiteralCase{"LineBreaksKept", TDatabaseType::dbInterBase, TFieldType::ftString, TValue::String("a\r\nb"), "'a\r\nb'"},
        TLiteralCase{"TrimCharFields", TDatabaseType::dbInterBase, TFieldType::ftFixedChar, TValue::String(" ab  "), "'ab'",
                     [](TVelmorin& c) { c.TrimCharFields = true; }},
        TLiteralCase{"GuidNeverTrimmed", TDatabaseType::dbInterBase, TFieldType::ftGuid, TValue::String(" {A} "), "' {A} '",
                     [](TVelmorin& c) { c.TrimCharFields = true; }},
        TLiteralCase{"Integer", TDatabaseType::dbInterBase, TFieldType::ftLargeint, TValue::Integer(-9223372036854775807LL),
                     "-9223372036854775807"},
        TLiteralCase{"FloatIntegral", TDatabaseType::dbInterBase, TFieldType::ftFloat, TValue::Float(100.0), "100"},
        TLiteralCase{"FloatShortened", TDatabaseType::dbInterBase, TFieldType::ftFloat, TValue::Float(2.5), " 2.5"},
        TLiteralCase{"FloatExponent", TDatabaseType::dbPostgreSQL, TFieldType::ftFloat, TValue::Float(1e20), " 1.E20"},
        TLiteralCase{"FloatNegative", TDatabaseType::dbInterBase, TFieldType::ftFloat, TValue::Float(-2.5), "-2.5"},
        TLiteralCase{"FloatShortestRoundTrip", TDatabaseType::dbPostgreSQL, TFieldType::ftFloat, TValue::Float(0.1 + 0.2),
                     "0.30000000000000004"},
        TLiteralCase{"FloatExactForFirebird", TDatabaseType::dbInterBase, TFieldType::ftFloat, TValue::Float(0.1 + 0.2),
                     "(1351079888211149 * POWER(2, -52))"},
        TLiteralCase{"FloatFormatKeptWhenExact", TDatabaseType::dbPostgreSQL, TFieldType::ftFloat, TValue::Float(2.5), "2.50",
                     [](TVelmorin& c) { c.ScriptOptions().FloatFormat = "0.00"; }},
        TLiteralCase{"FloatFormatThatLosesDigits", TDatabaseType::dbPostgreSQL, TFieldType::ftFloat, TValue::Float(2.125),
                     "2.125", [](TVelmorin& c) { c.ScriptOptions().FloatFormat = "0.00"; }},
        TLiteralCase{"LocalSQL", TDatabaseType::dbParadox, TFieldType::ftFloat, TValue::Float(2.5), "2.5",
                     [](TVelmorin& c) { c.ScriptOptions().LocalSQL = true; }},
        TLiteralCase{"DecimalExact", TDatabaseType::dbInterBase, TFieldType::ftBCD,
                     TValue::Decimal(TDecimal::FromString("123456789012345.6700")), "123456789012345.67"},
        TLiteralCase{"FMTBcd", TDatabaseType::dbPostgreSQL, TFieldType::ftFMTBcd,
                     TValue::Decimal(TDecimal::FromString("-0.00000000000000000001")), "-0.00000000000000000001"},
        TLiteralCase{"Currency", TDatabaseType::dbMSSQL, TFieldType::ftCurrency,
                     TValue::Decimal(TDecimal::FromString("12.5000")), "12.5"},
        TLiteralCase{"BooleanFirebird", TDatabaseType::dbInterBase, TFieldType::ftBoolean, TValue::Boolean(true), "TRUE"},
        TLiteralCase{"BooleanPostgreSQL", TDatabaseType::dbPostgreSQL, TFieldType::ftBoolean, TValue::Boolean(false), "FALSE"},
        TLiteralCase{"BooleanMSSQL", TDatabaseType::dbMSSQL, TFieldType::ftBoolean, TValue::Boolean(true), "1"},
        TLiteralCase{"DateInterBase", TDatabaseType::dbInterBase, TFieldType::ftDate, TValue::Date(DT("2024-02-27")),
                     "'27.02.2024'"},
        TLiteralCase{"DatePostgreSQL", TDatabaseType::dbPostgreSQL, TFieldType::ftDate, TValue::Date(DT("2024-02-27")),
                     "'2024-02-27'"},
        TLiteralCase{"DateFormat", TDatabaseType::dbPostgreSQL, TFieldType::ftDate, TValue::Date(DT("2024-02-27")),
                     "'2024.02.27'", [](TVelmorin& c) { c.ScriptOptions().DateFormat = "yyyy/mm/dd"; }},
        TLiteralCase{"Time", TDatabaseType::dbInterBase, TFieldType::ftTime, TValue::Time(DT("13:14:15")), "'13:14:15'"},
        TLiteralCase{"TimeFraction", TDatabaseType::dbInterBase, TFieldType::ftTime, TValue::Time(DT("13:14:15.1234")),
                     "'13:14:15.1234'"},
        TLiteralCase{"TimeFormat", TDatabaseType::dbInterBase, TFieldType::ftTime, TValue::Time(DT("13:14:15")), "'13:14'",
                     [](TVelmorin& c) { c.ScriptOptions().TimeFormat = "hh:mm"; }},
        TLiteralCase{"DateTimeInterBase", TDatabaseType::dbInterBase, TFieldType::ftDateTime,
                     TValue::DateTime(DT("2024-02-27 13:14:15.5")), "'27.02.2024 13:14:15.5'"},
        TLiteralCase{"TimeStampMSSQL", TDatabaseType::dbMSSQL, TFieldType::ftTimeStamp,
                     TValue::DateTime(DT("2024-02-27 13:14:15")), "'2024-02-27 13:14:15'"},
        TLiteralCase{"BytesFirebird", TDatabaseType::dbInterBase, TFieldType::ftVarBytes,
                     TValue::Bytes(std::string("\x00\xFF", 2)), "x'00FF'"},
        TLiteralCase{"BytesPostgreSQL", TDatabaseType::dbPostgreSQL, TFieldType::ftBytes,
                     TValue::Bytes(std::string("\x01\xAB", 2)), "decode('01AB', 'hex')"},
        TLiteralCase{"BytesMSSQL", TDatabaseType::dbMSSQL, TFieldType::ftVarBytes, TValue::Bytes(""), "0x"},
        TLiteralCase{"NoScript", TDatabaseType::dbInterBase, TFieldType::ftInteger, TValue::Integer(5), ":C",
                     [](TVelmorin& c) { c.SetUpdateImmediately(true); }},
        TLiteralCase{"DataValueEvent", TDatabaseType::dbInterBase, TFieldType::ftInteger, TValue::Integer(5), "5 + 1",
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

INSTANTIATE_TEST_SUITE_P(Velmorin, FloatLiterals,
                         ::testing::Values(TFloatCase{100.0, "100"}, TFloatCase{-7.0, "-7"}, TFloatCase{2.5, " 2.5"},
                                           TFloatCase{1e20, " 1.E20"}, TFloatCase{-2.5, "-2.5"},
                                           TFloatCase{1.2345e-5, " 1.2345E-5"}, TFloatCase{2147483647.0, " 2.147483647E9"},
                                           TFloatCase{0.1 + 0.2, "0.30000000000000004"},
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
    EXPECT_EQ(FileBytes(dir.File("Result.LOB")), std::string("0123456789\0ABCDEhello", 21));
    // For MS SQL an empty value is an empty literal: never Null for a value.
    target.SetDatabaseType(TDatabaseType::dbMSSQL);
    EXPECT_EQ(c.GetBlobLiteral(e), "0x");
    TField et("ET", TFieldType::ftMemo);
    et.SetValue(TValue::String(""));
    EXPECT_EQ(c.GetBlobLiteral(et), "''");
}

TEST(BlobSideFile, MissingFileNameIsReportedOnceAndTheStatementIsWithdrawn)
{
    TVelmorin c;
    std::vector<std::string> errors;
    c.OnErrorMessage = [&](TObject&, const std::string& t) { errors.push_back(t); };
    c.SetBlobFileName("");
    TField a("A", TFieldType::ftBlob);
    a.SetValue(TValue::Bytes("x"));
    EXPECT_THROW(c.GetBlobLiteral(a), EQELError);
    EXPECT_THROW(c.GetBlobLiteral(a), EQELError);
    EXPECT_EQ(errors, std::vector<std::string>{"Error: BlobFileName is not specified. Cann't save BLOBs."});
    EXPECT_TRUE(c.BlobSaveFailed);
    TField n("N", TFieldType::ftBlob);
    EXPECT_EQ(c.GetBlobLiteral(n), "Null");
}

TEST(BlobSideFile, FileThatCannotBeCreatedIsReported)
{
    TVelmorin c;
    std::vector<std::string> errors;
    c.OnErrorMessage = [&](TObject&, const std::string& t) { errors.push_back(t); };
    c.SetBlobFileName("/no/such/folder/x.LOB");
    TField a("A", TFieldType::ftBlob);
    a.SetValue(TValue::Bytes("x"));
    EXPECT_THROW(c.GetBlobLiteral(a), EQELError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Error: Cannot create file \"/no/such/folder/x.LOB\".", 0), 0u) << errors[0];
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
        TSelectCase{"NoDataColumns", TDatabaseType::dbAbstract, {}, {}, {}, "T", "select *\r\n from T\r\n"},
        TSelectCase{"VerbatimName", TDatabaseType::dbInterBase, {"ID"}, {"ID"}, {"\"x\" || 1", "ID"}, "T",
                    "select \"x\" || 1, ID\r\nfrom T\r\n Order by ID NULLS LAST"},
        TSelectCase{"ParadoxKeyword", TDatabaseType::dbParadox, {"ID"}, {"ID"}, {"ID", "DATE"}, "ORDERS",
                    "select ID, ORDERS.\"DATE\"\r\nfrom ORDERS\r\n Order by ID"}),
    [](const ::testing::TestParamInfo<TSelectCase>& i) { return std::string(i.param.Name); });
