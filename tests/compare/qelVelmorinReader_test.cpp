// Sides read on threads of their own: a reading that fails half-way, on
// either side and in either mode, withdraws the run whole.
#include "qelVelmorin.h"
#include "qelVelmorinFixture.h"

#include "qelEngineTestSupport.h"
#include "qelSQL_Exec.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace cmptest;

namespace {

// The failing side, and whether the run applies at once.
class ReadingFails : public ::testing::TestWithParam<std::tuple<bool, bool>> {};

std::vector<std::string> Rows(int From, int To, const char* Name)
{
    std::vector<std::string> r;
    for (int i = From; i <= To; ++i) r.push_back("(" + std::to_string(i) + ", '" + Name + "')");
    return r;
}

} // namespace

// Batches of rows arrive before the error, in batches already merged and
// turned into statements: every one is withdrawn, nothing reaches the
// target, and the error is reported once.
TEST_P(ReadingFails, HalfWayWithdrawsEverything)
{
    const auto& [masterFails, immediate] = GetParam();
    TTestDatabase master(TServer::FbEmbedded), target(TServer::FbEmbedded);
    if (!master.Unavailable().empty()) QEL_SKIP_OR_FAIL(master.Unavailable());
    master.CreateTable("R", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(10)");
    target.CreateTable("R", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(10)");
    master.Insert("R", Rows(1, 1500, "m"));
    target.Insert("R", Rows(2, 1501, "t"));
    const TRows before = target.Rows("select ID, NAME from R order by ID");
    TRun run(master, "R", target, "R");
    std::unique_ptr<TSQLExec> exec = target.NewExecutor();
    if (immediate) run.C.SetUpdateImmediately(true);
    else run.C.SetSQLExec(exec.get());
    const bool m = masterFails;
    run.C.OnGetSelectSQL = [m](TObject&, TStringList& M, TStringList& T) {
        const std::string fails = "select ID, NAME from R where 1 / (1300 - ID) <> 99 order by ID";
        const std::string plain = "select ID, NAME from R order by ID";
        M.SetText(m ? fails : plain);
        T.SetText(m ? plain : fails);
    };
    int produced = 0;
    run.C.OnAddResultSQL = [&](TObject&, bool&, const std::string&, TStatType, const std::string&, TDbObject,
                               TDbOperation) { ++produced; };
    ASSERT_TRUE(run.C.Execute());
    EXPECT_GT(produced, 500); // statements of the rows before the failure went out first
    ASSERT_EQ(run.errors.size(), 1u) << Joined(run.errors);
    EXPECT_NE(run.errors[0].find("No statements were produced."), std::string::npos) << run.errors[0];
    EXPECT_EQ(run.C.Inserted + run.C.Updated + run.C.Deleted, 0);
    EXPECT_EQ(exec->Count(), 0);
    EXPECT_EQ(target.Rows("select ID, NAME from R order by ID"), before);
}

INSTANTIATE_TEST_SUITE_P(Velmorin, ReadingFails, ::testing::Combine(::testing::Bool(), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<bool, bool>>& info) {
                             return std::string(std::get<0>(info.param) ? "Master" : "Target") +
                                    Mode(std::get<1>(info.param));
                         });
