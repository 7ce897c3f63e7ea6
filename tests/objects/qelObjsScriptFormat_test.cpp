// The script format of each server type: where a terminator goes after a
// statement's text, and which statements need a block.
#include "qelObjsScriptFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qel;
using DT = TDatabaseType;

namespace {

struct TTerminatorRow {
    const char* Label;
    std::string Text;
    std::string Terminator;
    std::string Expected;
};

class Terminated : public ::testing::TestWithParam<TTerminatorRow> {};

TEST_P(Terminated, KeepsTheTerminatorOutOfComments)
{
    const TTerminatorRow& row = GetParam();
    EXPECT_EQ(TScriptFormat::Terminated(row.Text, row.Terminator), row.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Terminated,
    ::testing::Values(
        TTerminatorRow{"Plain", "SELECT 1 FROM T", ";", "SELECT 1 FROM T;"},
        TTerminatorRow{"LineComment", "SELECT 1 FROM T -- all", ";", "SELECT 1 FROM T -- all\r\n;"},
        TTerminatorRow{"CommentOnEarlierLine", "SELECT 1 -- one\r\nFROM T", ";", "SELECT 1 -- one\r\nFROM T;"},
        TTerminatorRow{"DashesInString", "SELECT '--' FROM T", ";", "SELECT '--' FROM T;"},
        TTerminatorRow{"DashesInQuotedName", "SELECT \"A--B\" FROM T", ";", "SELECT \"A--B\" FROM T;"},
        TTerminatorRow{"DoubledQuote", "SELECT 'it''s -- x' FROM T", ";", "SELECT 'it''s -- x' FROM T;"},
        TTerminatorRow{"StringOverLines", "SELECT 'a\r\n-- b' FROM T", ";", "SELECT 'a\r\n-- b' FROM T;"},
        TTerminatorRow{"DashesInBlockComment", "SELECT 1 /* -- */", ";", "SELECT 1 /* -- */;"},
        TTerminatorRow{"CommentAfterBlockComment", "SELECT 1 /* x */ -- y", ";", "SELECT 1 /* x */ -- y\r\n;"},
        TTerminatorRow{"OnlyAComment", "-- nothing", ";", "-- nothing\r\n;"},
        TTerminatorRow{"TerminatorOnItsOwnLine", "BEGIN END -- x", "\r\n^", "BEGIN END -- x\r\n^"},
        TTerminatorRow{"GoOnItsOwnLine", "SELECT 1 -- x", "\r\nGO", "SELECT 1 -- x\r\nGO"},
        TTerminatorRow{"OneDashIsNoComment", "SELECT 1 - 2", ";", "SELECT 1 - 2;"}),
    [](const ::testing::TestParamInfo<TTerminatorRow>& Info) { return std::string(Info.param.Label); });

struct TFormatRow {
    const char* Label;
    DT Type;
    std::string Expected; // terminator|block terminator|opener|closer
};

class Format : public ::testing::TestWithParam<TFormatRow> {};

TEST_P(Format, HasTheServersWords)
{
    const TScriptFormat f(GetParam().Type);
    EXPECT_EQ(f.Terminator() + "|" + f.BlockTerminator() + "|" + f.BlockOpener() + "|" + f.BlockCloser(),
              GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Format,
    ::testing::Values(TFormatRow{"InterBase", DT::dbInterBase, ";|\r\n^|SET TERM ^ ;|SET TERM ; ^"},
                      TFormatRow{"MySQL", DT::dbMySQL, ";|\r\n//|DELIMITER //|DELIMITER ;"},
                      TFormatRow{"Oracle", DT::dbOracle, ";|\r\n/||"},
                      TFormatRow{"MSSQL", DT::dbMSSQL, "\r\nGO|\r\nGO||"},
                      TFormatRow{"ASE", DT::dbSybaseASE, "\r\ngo|\r\ngo||"},
                      TFormatRow{"PostgreSQL", DT::dbPostgreSQL, ";|;||"}),
    [](const ::testing::TestParamInfo<TFormatRow>& Info) { return std::string(Info.param.Label); });

// Every statement kind against every object kind that matters: the parser
// hands routines on as DDL statements on a routine object, the comparer as
// routine statements; both go in a block, and nothing else does.
TEST(ScriptFormat, BlocksByStatementAndObjectKind)
{
    using enum TStatType;
    using enum TDbObject;
    const TScriptFormat ib(DT::dbInterBase), mysql(DT::dbMySQL), pg(DT::dbPostgreSQL);
    struct TCase {
        TStatType St;
        TDbObject Obj;
        bool InterBase, MySQL;
    };
    const std::vector<TCase> cases = {
        {stProcedure, dboUnknown, true, true},      {stTrigger, dboTrigger, true, true},
        {stPackage, dboPackage, true, true},        {stExecuteBlock, dboUnknown, true, false},
        {stStatement, dboProcedure, true, true},    {stStatement, dboFunction, true, true},
        {stStatement, dboTrigger, true, true},      {stStatement, dboPackageBody, true, true},
        {stStatement, dboTable, false, false},      {stStatement, dboView, false, false},
        {stDescription, dboProcedure, false, false}, {stSelect, dboUnknown, false, false},
        {stComment, dboProcedure, false, false},    {stInsert, dboTable, false, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.St) * 100 + static_cast<int>(c.Obj));
        EXPECT_EQ(ib.NeedsBlock(c.St, c.Obj), c.InterBase);
        EXPECT_EQ(mysql.NeedsBlock(c.St, c.Obj), c.MySQL);
        EXPECT_FALSE(pg.NeedsBlock(c.St, c.Obj));
    }
}

} // namespace
