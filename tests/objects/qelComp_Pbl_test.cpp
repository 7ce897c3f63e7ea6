// Publications: their text, and the tables a publication's creation brings
// first, whether or not the links to them were handled already.
#include "qelComp_Fld.h"
#include "qelComp_Tbl.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"
#include "qelSQL_Exec.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace qel;

namespace {

constexpr std::uint8_t INTEGER = 1;

struct TPblRow {
    std::string Label;
    bool TableExists;
    bool LinkActive;
    bool ToColumn;     // the link names a column of the table
    bool PubExists;
    std::vector<std::string> Statements;
};

void PrintTo(const TPblRow& Row, std::ostream* Out) { *Out << Row.Label; }

class Publication : public ::testing::TestWithParam<TPblRow> {};

// Publication O.P of table T (A, B): its articles name the table with its
// owner, and all of its columns or some.
TEST_P(Publication, CreatesItsTablesFirst)
{
    const TPblRow& row = GetParam();
    TObjs o;
    o.SetDatabaseType(TDatabaseType::dbSybaseASA);
    TSQLExec x;
    x.SetDatabaseType(TDatabaseType::dbSybaseASA);
    std::vector<std::string> seen;
    x.OnStatementAdd = [&seen](TStatement& St, bool&) { seen.push_back(St.ExactText()); };
    o.Executor = &x;
    TTblData& t = qeltest::File<TTblData>(o, "T");
    t.Owner = "O";
    qeltest::AddFields(o, t.Fields, &t, {{"A", INTEGER}, {"B", INTEGER}});
    t.SetExists(row.TableExists);
    for (const auto& f : t.Fields) f.Object->SetExists(row.TableExists);
    TPblData& p = qeltest::File<TPblData>(o, "P");
    p.Owner = "O";
    TPblArtData* article = p.AddArticle();
    article->TableName = "T", article->TableOwner = "O";
    if (row.ToColumn) article->Columns.Add("B");
    qeltest::Uses(p, t, row.ToColumn ? "B" : "");
    for (const auto& link : p.Uses) link.Object->Active = row.LinkActive;
    p.SetExists(row.PubExists);
    p.CreateObject();
    EXPECT_EQ(seen, row.Statements);
    EXPECT_TRUE(t.GetExists());
    EXPECT_EQ(p.GetDropScript(), "DROP PUBLICATION O.P");
}

// The table and the empty comment that closes a table's creation.
const std::string kTable = "CREATE TABLE O.T(A INTEGER NULL,\r\nB INTEGER NULL)";
const std::string kAfterTable;

INSTANTIATE_TEST_SUITE_P(
    Rows, Publication,
    ::testing::Values(
        TPblRow{"TableMissingLinkHandled", false, false, false, false,
                {kTable, kAfterTable, "CREATE PUBLICATION O.P (\r\n    TABLE O.T\r\n)"}},
        TPblRow{"TableMissingLinkActive", false, true, false, false,
                {kTable, kAfterTable, "CREATE PUBLICATION O.P (\r\n    TABLE O.T\r\n)"}},
        TPblRow{"ColumnOfAMissingTable", false, false, true, false,
                {kTable, kAfterTable, "CREATE PUBLICATION O.P (\r\n    TABLE O.T(B)\r\n)"}},
        TPblRow{"TableThere", true, false, false, false, {"CREATE PUBLICATION O.P (\r\n    TABLE O.T\r\n)"}},
        TPblRow{"PublicationThere", false, false, false, true, {kTable, kAfterTable}}),
    [](const auto& info) { return info.param.Label; });

} // namespace
