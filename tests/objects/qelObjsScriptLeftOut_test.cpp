// The whole-database script names in the log every object it cannot hold
// (its CREATE text is empty) and writes no empty statement for it.
#include "qelComp_Def.h"
#include "qelComp_Prc.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

using namespace qel;

namespace {

struct TLeftOutRow {
    std::string Label;
    TDatabaseType Server;
    std::function<void(TObjs&)> Fill;
    std::vector<std::string> Log;
};

void PrintTo(const TLeftOutRow& Row, std::ostream* Out) { *Out << Row.Label; }

class LeftOut : public ::testing::TestWithParam<TLeftOutRow> {};

TEST_P(LeftOut, NamedInTheLogNotWritten)
{
    const TLeftOutRow& row = GetParam();
    TObjs o;
    o.SetDatabaseType(row.Server);
    o.ScriptOptions().Connect = false;
    std::vector<std::string> log;
    o.OnLogNextLine = [&log](TObject&, const std::string& Text) {
        if (Text.starts_with("Left out")) log.push_back(Text);
    };
    row.Fill(o);
    TStringList lines;
    o.GetScript(lines);
    EXPECT_EQ(log, row.Log);
    // No statement of a terminator alone.
    for (const std::string& line : lines.Lines()) {
        EXPECT_NE(line, ";");
        EXPECT_NE(line, "GO");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LeftOut,
    ::testing::Values(
        TLeftOutRow{"MSSQLViewWithoutBody", TDatabaseType::dbMSSQL,
                    [](TObjs& o) {
                        qeltest::File<TViwData>(o, "V", "dbo");
                        qeltest::File<TViwData>(o, "W", "dbo").SetBody("SELECT 1 AS A");
                    },
                    {"Left out of the script: DBO.V (TViwData): it has no CREATE text"}},
        TLeftOutRow{"MSSQLTriggerAndDefaultWithoutBody", TDatabaseType::dbMSSQL,
                    [](TObjs& o) {
                        qeltest::File<TTrgData>(o, "TR", "dbo").SetTableName("T");
                        qeltest::File<TDefData>(o, "DF", "dbo");
                    },
                    {"Left out of the script: DBO.DF (TDefData): it has no CREATE text",
                     "Left out of the script: DBO.TR (TTrgData): it has no CREATE text"}},
        TLeftOutRow{"FirebirdHoldsEverything", TDatabaseType::dbInterBase,
                    [](TObjs& o) { qeltest::File<TViwData>(o, "V").SetBody("SELECT 1 FROM RDB$DATABASE"); }, {}}),
    [](const auto& info) { return info.param.Label; });

} // namespace
