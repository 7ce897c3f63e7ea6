// How deep SQL may nest in both script parsers: 200 levels of parentheses,
// calls, CASEs, IN sub-queries and derived tables load without a message,
// 201 give "Nesting too deep." once; the grammar's own recursion is bounded
// apart, so that a long chain of signs or NOTs ends with the same message.
#include "qelIBExParser.h"
#include "qelMSSQLScriptTestSupport.h"

#include "qelMsgMngr.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qel;

namespace {

std::string Repeat(const std::string& Text, int Count)
{
    std::string out;
    for (int i = 0; i < Count; ++i) out += Text;
    return out;
}

// The messages of an InterBase script read by the body parser.
std::vector<std::string> IbMessages(const std::string& Script)
{
    TObjs objs;
    objs.SetDatabaseType(TDatabaseType::dbInterBase);
    objs.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
    auto parser = MakeParser<TIbExParser>();
    parser->OnErrorMessage = [](TObject&, const std::string&) {};
    TStringList lines;
    lines.SetText(Script);
    parser->ParseScript(lines, &objs);
    std::vector<std::string> out;
    for (int i = 0; i < parser->Messages().Count(); ++i) out.push_back(parser->Messages().Items(i).Text);
    return out;
}

std::vector<std::string> MSSQLMessages(const std::string& Script)
{
    qeltest::TRun run(Script);
    std::vector<std::string> out;
    for (int i = 0; i < run.parser->Messages().Count(); ++i) out.push_back(run.parser->Messages().Items(i).Text);
    return out;
}

struct TDepthCase {
    std::string Name;
    // The query at that depth, in each dialect.
    std::string (*MSSQL)(int Depth);
    std::string (*InterBase)(int Depth);
    friend void PrintTo(const TDepthCase& c, std::ostream* os) { *os << c.Name; }
};

class ParserNesting : public ::testing::TestWithParam<TDepthCase> {};

TEST_P(ParserNesting, TwoHundredLevelsLoadTwoHundredAndOneDoNot)
{
    const TDepthCase& c = GetParam();
    for (const int depth : {200, 201}) {
        const std::vector<std::string> expected =
            depth == 200 ? std::vector<std::string>{} : std::vector<std::string>{"View V: Nesting too deep."};
        EXPECT_EQ(MSSQLMessages("CREATE TABLE t (a int)\nGO\nCREATE VIEW v AS " + c.MSSQL(depth) + "\nGO\n"), expected)
            << depth;
        EXPECT_EQ(IbMessages("CREATE TABLE T (A INTEGER);\nCREATE VIEW V AS " + c.InterBase(depth) + ";\n"), expected)
            << depth;
    }
}

const TDepthCase kDepthCases[] = {
    {"Parentheses", [](int n) { return "SELECT " + Repeat("(", n) + "1" + Repeat(")", n) + " AS x"; },
     [](int n) { return "SELECT " + Repeat("(", n) + "1" + Repeat(")", n) + " FROM T"; }},
    {"Calls", [](int n) { return "SELECT " + Repeat("REPLACE(", n) + "'a'" + Repeat(", 'b', 'c')", n) + " AS x"; },
     [](int n) { return "SELECT " + Repeat("REPLACE(", n) + "'a'" + Repeat(", 'b', 'c')", n) + " FROM T"; }},
    {"Case", [](int n) { return "SELECT " + Repeat("CASE WHEN 1 = 1 THEN ", n) + "1" + Repeat(" END", n) + " AS x"; },
     [](int n) { return "SELECT " + Repeat("CASE WHEN 1 = 1 THEN ", n) + "1" + Repeat(" END", n) + " FROM T"; }},
    {"InSubqueries", [](int n) { return Repeat("SELECT a FROM t WHERE a IN (", n) + "SELECT 1" + Repeat(")", n); },
     [](int n) { return Repeat("SELECT A FROM T WHERE A IN (", n) + "SELECT 1 FROM T" + Repeat(")", n); }},
    {"DerivedTables", [](int n) { return Repeat("SELECT * FROM (", n) + "SELECT 1 AS a" + Repeat(") d", n); },
     [](int n) { return Repeat("SELECT * FROM (", n) + "SELECT 1 AS A FROM T" + Repeat(") D", n); }},
    // The deepest grammar per level: each takes several rules' recursion.
    {"ScalarSubqueries", [](int n) { return "SELECT " + Repeat("(SELECT ", n) + "1" + Repeat(" AS x)", n) + " AS x"; },
     [](int n) { return "SELECT " + Repeat("(SELECT ", n) + "1" + Repeat(" FROM T)", n) + " FROM T"; }},
};

INSTANTIATE_TEST_SUITE_P(Constructs, ParserNesting, ::testing::ValuesIn(kDepthCases),
                         [](const auto& Info) { return Info.param.Name; });

// A DEFAULT of a column nests the same way in the MS SQL parser.
TEST(ParserNesting, ColumnDefault)
{
    for (const int depth : {200, 201})
        EXPECT_EQ(MSSQLMessages("CREATE TABLE t (a int DEFAULT " + Repeat("(", depth) + "1" + Repeat(")", depth) + ")\n")
                      .size(),
                  depth == 200 ? 0U : 1U)
            << depth;
}

// Chains that are no SQL level (signs, NOT, nested blocks) are bounded by the
// grammar's recursion instead: long ones end with the message, not the stack.
TEST(ParserNesting, GrammarRecursionIsBoundedApart)
{
    EXPECT_EQ(MSSQLMessages("CREATE VIEW v AS SELECT " + Repeat("- ", 300) + "1 AS x\n"), std::vector<std::string>{});
    EXPECT_EQ(MSSQLMessages("CREATE VIEW v AS SELECT " + Repeat("~ ", 100000) + "1 AS x\n"),
              std::vector<std::string>{"View V: Nesting too deep."});
    EXPECT_EQ(IbMessages("CREATE TABLE T (A INTEGER);\nCREATE VIEW V AS SELECT A FROM T WHERE " + Repeat("NOT ", 300) +
                         "A = 1;\n"),
              std::vector<std::string>{});
    EXPECT_EQ(IbMessages("CREATE TABLE T (A INTEGER);\nCREATE VIEW V AS SELECT A FROM T WHERE " + Repeat("NOT ", 100000) +
                         "A = 1;\n"),
              std::vector<std::string>{"View V: Nesting too deep."});
}

} // namespace
