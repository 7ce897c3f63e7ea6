#include "qelVelmorin.h"
#include "qelVelmorinFixture.h"

#include "qelDBOptions.h"
#include "qelMsgMngr.h"
#include "qelSQL_Exec.h"
#include "qelText.h"

#include <gtest/gtest.h>

#include <algorithm>
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
