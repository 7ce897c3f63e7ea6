// Columns whose names differ in case alone are two columns on both sides.
#include "qelVelmorin.h"
#include "qelVelmorinFixture.h"

#include "qelEngineTestSupport.h"

#include <gtest/gtest.h>

using namespace qel;
using namespace cmptest;

namespace {

struct TTwinCase {
    const char* Name;
    TServer Server;
    const char* TargetBody;
    std::vector<std::string> TargetRows;
};

class TwinColumns : public ::testing::TestWithParam<std::tuple<TTwinCase, bool>> {};

const char* MasterBody = "ID INTEGER NOT NULL PRIMARY KEY, \"val\" INTEGER, VAL INTEGER";

} // namespace

// "val" and VAL each get their own value: a change to either is found,
// written to that column alone, and a second comparison finds nothing.
TEST_P(TwinColumns, EachKeepsItsOwnValue)
{
    const auto& [c, immediate] = GetParam();
    TTestDatabase master(c.Server), target(c.Server);
    if (!master.Unavailable().empty()) QEL_SKIP_OR_FAIL(master.Unavailable());
    master.CreateTable("TW", MasterBody);
    target.CreateTable("TW", c.TargetBody);
    master.Insert("TW", {"(1, 10, 20)", "(2, 11, 21)", "(3, 12, 22)"});
    target.Insert("TW", c.TargetRows);
    TSync s;
    SyncAndCompareAgain(master, "TW", target, "TW", immediate, &s);
    EXPECT_EQ(s.Updated, 2);
    EXPECT_EQ(s.Inserted, 1);
    EXPECT_EQ(s.EqualAfter, 3);
    const std::string rows = "select ID, \"val\", VAL from TW order by ID";
    EXPECT_EQ(target.Rows(rows), master.Rows(rows));
}

INSTANTIATE_TEST_SUITE_P(
    Velmorin, TwinColumns,
    ::testing::Combine(
        ::testing::Values(
            TTwinCase{"SameOrderFirebird", TServer::FbEmbedded, MasterBody, {"(1, 10, 99)", "(2, 77, 21)"}},
            TTwinCase{"OtherOrderFirebird", TServer::FbEmbedded,
                      "ID INTEGER NOT NULL PRIMARY KEY, VAL INTEGER, \"val\" INTEGER", {"(1, 99, 10)", "(2, 21, 77)"}}),
        ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<TTwinCase, bool>>& info) {
        return std::string(std::get<0>(info.param).Name) + Mode(std::get<1>(info.param));
    });
