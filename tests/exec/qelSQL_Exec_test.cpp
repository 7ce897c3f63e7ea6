#include "qelSQL_Exec.h"

#include "qelClasses.h"
#include "qelDBOptions.h"
#include "qelErrors.h"
#include "qelExecTestSupport.h"
#include "qelIBSQLExec.h"
#include "qelMsg.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace qel;
using qeltest::TRecorder;
using ST = TStatType;
using OT = TDbObject;
using OP = TDbOperation;
using DT = TDatabaseType;

// ---- statement and list ----------------------------------------------------

namespace {

// A list whose parse step records what it was handed.
class TRecordingExec : public TSQLExec {
public:
    void ParseScript(TStringList& Lines) override
    {
        ++Parsed;
        Seen = Lines.Lines();
    }
    int Parsed = 0;
    std::vector<std::string> Seen;
};

class TMarkedStatement : public TStatement {
public:
    using TStatement::TStatement;
    std::string ClassName() const override { return "TMarkedStatement"; }
};

// The smallest objects with a description: a table and a column of it.
class TTestObj : public TDbObj {
public:
    TTestObj(const std::string& Name, TDbObject Kind, std::string Script = "COMMENT ON x IS 'y'")
        : m_script(std::move(Script))
    {
        SetName(Name);
        SetObjectType(Kind);
    }
    TDbObj* GetParentObj() const override { return Parent; }
    std::string GetParentName() const override { return ParentName; }
    std::string GetDescriptionScript() override { return m_script; }

    TDbObj* Parent = nullptr;
    std::string ParentName;

private:
    std::string m_script;
};

class StatementListTest : public ::testing::Test {
protected:
    void SetUp() override { rec.Attach(x); }
    TRecordingExec x;
    TRecorder rec;
    qeltest::TempDir dir;
};

} // namespace

TEST_F(StatementListTest, EmptyTextAddsNothingExceptAComment)
{
    EXPECT_EQ(x.AddStatement("", ST::stStatement), nullptr);
    EXPECT_EQ(x.LineTotal(), 0);
    EXPECT_EQ(x.Count(), 0);
    TStatement* c = x.AddStatement("", ST::stComment);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->SQL.Count(), 0);
    EXPECT_EQ(c->Terminator, "");
    EXPECT_EQ(x.LineTotal(), 1);
    EXPECT_FALSE(x.HasModifyingStatements());
}

TEST_F(StatementListTest, StoresWhatItIsGivenAndCountsLines)
{
    x.SetDatabaseType(DT::dbMSSQL);
    TStatement* s = x.AddStatement("UPDATE T\r\nSET A = 1\nWHERE B = 2", ST::stUpdate, "T", OT::dboTable, OP::odbUpdate,
                                   "P");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Owner(), &x);
    EXPECT_EQ(s->SQL.Lines(), (std::vector<std::string>{"UPDATE T", "SET A = 1", "WHERE B = 2"}));
    EXPECT_EQ(s->LineCount, 3);
    EXPECT_EQ(x.LineTotal(), 4);
    EXPECT_EQ(s->Terminator, "\r\nGO\r\n");
    EXPECT_EQ(s->ParentName, "P");
    EXPECT_TRUE(x.HasModifyingStatements());
    // An explicit terminator is kept whatever the server's.
    TStatement* t = x.AddStatement("SELECT 1", ST::stSelect, {}, OT::dboUnknown, OP::odbUnknown, {}, "!\r\n");
    EXPECT_EQ(t->Terminator, "!\r\n");
    x.Clear();
    EXPECT_EQ(x.Count(), 0);
    EXPECT_EQ(x.LineTotal(), 0);
    EXPECT_FALSE(x.HasModifyingStatements());
}

TEST_F(StatementListTest, OnlyChangingKindsMarkTheListAsModifying)
{
    for (ST k : {ST::stConnect, ST::stSet, ST::stSetBlobFile, ST::st_Commit, ST::stComment, ST::stSetNames,
                 ST::stSelect, ST::stExecuteBlock, ST::stPackage})
        x.AddStatement("x", k);
    EXPECT_FALSE(x.HasModifyingStatements());
    for (ST k : {ST::stStatement, ST::stProcedure, ST::stTrigger, ST::stDescription, ST::stInsert, ST::stUpdate,
                 ST::stDelete}) {
        x.Clear();
        x.AddStatement("x", k);
        EXPECT_TRUE(x.HasModifyingStatements()) << static_cast<int>(k);
    }
}

TEST_F(StatementListTest, RefusedStatementIsSeenThenFreed)
{
    std::string seen;
    x.OnStatementAdd = [&](TStatement& st, bool& accept) {
        seen = st.SQL.Text();
        accept = st.StatType != ST::stDelete;
    };
    EXPECT_EQ(x.AddStatement("DELETE FROM T", ST::stDelete), nullptr);
    EXPECT_EQ(seen, "DELETE FROM T\r\n");
    EXPECT_EQ(x.Count(), 0);
    EXPECT_EQ(x.LineTotal(), 0);
    EXPECT_NE(x.AddStatement("INSERT INTO T VALUES (1)", ST::stInsert), nullptr);
    EXPECT_EQ(x.Count(), 1);
}

TEST_F(StatementListTest, CreateEventMayHandBackADescendant)
{
    x.OnStatementCreate = [](TObject& sender, std::unique_ptr<TStatement>& st) {
        st = std::make_unique<TMarkedStatement>(dynamic_cast<TCustomSQLExec*>(&sender));
    };
    TStatement* s = x.AddStatement("SELECT 1", ST::stSelect);
    EXPECT_EQ(s->ClassName(), "TMarkedStatement");
    x.OnStatementCreate = [](TObject&, std::unique_ptr<TStatement>&) {};
    EXPECT_EQ(x.AddStatement("SELECT 2", ST::stSelect)->ClassName(), "TStatement");
}

TEST_F(StatementListTest, DeleteStatementRemovesOne)
{
    x.AddStatement("a", ST::stStatement);
    x.AddStatement("b", ST::stStatement);
    x.AddStatement("c", ST::stStatement);
    x.DeleteStatement(1);
    ASSERT_EQ(x.Count(), 2);
    EXPECT_EQ(x.Statements(1).SQL[0], "c");
    EXPECT_THROW(x.DeleteStatement(2), EUsageError);
}

TEST_F(StatementListTest, CommitCommentAndConnectBuilders)
{
    x.SetDatabaseType(DT::dbInterBase);
    TStatement* c = x.AddCommit();
    EXPECT_EQ(c->SQL.Text(), "COMMIT WORK;\r\n");
    EXPECT_EQ(c->ObjName, "COMMIT WORK");
    EXPECT_EQ(c->StatType, ST::st_Commit);
    EXPECT_EQ(c->Operation, OP::odbCommit);
    TStatement* m = x.AddComment("/* note */");
    EXPECT_EQ(m->ObjName, "/*  */");
    EXPECT_EQ(m->Operation, OP::odbComment);
    EXPECT_EQ(m->Terminator, "");
    // RECONNECT while UseRECONNECT is on (its default) ...
    x.AddConnectStatement();
    EXPECT_EQ(x.Statements(2).SQL.Text(), "RECONNECT\r\n");
    EXPECT_EQ(x.Statements(2).StatType, ST::stReconnect);
    // ... else the CONNECT text of the options, when they name a database.
    x.IBServerOptions().IBCompareOptions().UseRECONNECT = false;
    x.AddConnectStatement();
    EXPECT_EQ(x.Count(), 3);
    x.ConnectionOptions().DatabaseName = "db.fdb";
    x.ConnectionOptions().UserName = "SYSDBA";
    x.AddConnectStatement();
    EXPECT_EQ(x.Statements(3).SQL.Text(), "CONNECT 'db.fdb' USER 'SYSDBA'\r\n");
    EXPECT_EQ(x.Statements(3).StatType, ST::stConnect);

    TSQLExec asa;
    asa.SetDatabaseType(DT::dbSybaseASA);
    TStatement* a = asa.AddCommit();
    EXPECT_EQ(a->SQL.Lines(), (std::vector<std::string>{"Commit Work", "go"}));
    EXPECT_EQ(a->ObjName, "Commit Work");
    asa.AddConnectStatement();
    EXPECT_EQ(asa.Count(), 1);
}

TEST_F(StatementListTest, DescriptionOfAColumnNamesItsTable)
{
    TTestObj table("ORDERS", OT::dboTable);
    TTestObj column("AMOUNT", OT::dboField, "COMMENT ON COLUMN ORDERS.AMOUNT IS 'net'");
    column.Parent = &table;
    column.ParentName = "ORDERS";
    column.SetDescription("  net\namount \r\n");
    TStatement* s = x.AddDescription(column);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->StatType, ST::stDescription);
    EXPECT_EQ(s->Operation, OP::odbDescription);
    EXPECT_EQ(s->ObjType, OT::dboField);
    EXPECT_EQ(s->ObjName, "AMOUNT");
    EXPECT_EQ(s->ParentName, "ORDERS");
    EXPECT_EQ(s->Description, "net\r\namount");
    EXPECT_EQ(s->SQL.Text(), "COMMENT ON COLUMN ORDERS.AMOUNT IS 'net'\r\n");
    EXPECT_EQ(s->GetSummary(), "ORDERS (AMOUNT): alter");

    // The parent counts only when it is a table, view or procedure and named.
    TTestObj domain("D", OT::dboDomain);
    column.Parent = &domain;
    EXPECT_EQ(x.AddDescription(column)->ParentName, "");
    column.Parent = nullptr;
    EXPECT_EQ(x.AddDescription(column)->ParentName, "");
    TTestObj proc("P", OT::dboProcedure);
    TTestObj param("A", OT::dboParam);
    param.Parent = &proc;
    param.ParentName = "";
    EXPECT_EQ(x.AddDescription(param)->ParentName, "");
    param.ParentName = "P";
    EXPECT_EQ(x.AddDescription(param)->ParentName, "P");
    // Nothing for an object without a description script.
    TTestObj none("T", OT::dboTable, "");
    EXPECT_EQ(x.AddDescription(none), nullptr);
}

struct SummaryCase {
    OT kind;
    OP op;
    std::string name, parent, sql, expected;
};

class SummaryTest : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(SummaryTest, OneLineForTheLog)
{
    const SummaryCase& c = GetParam();
    TSQLExec x;
    TStatement* s = x.AddStatement(c.sql, ST::stStatement, c.name, c.kind, c.op, c.parent);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetSummary(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, SummaryTest,
    ::testing::Values(SummaryCase{OT::dboTable, OP::odbUpdate, "ORDERS", "", "x", "ORDERS: update"},
                      SummaryCase{OT::dboTable, OP::odbCreate, "T", "", "x", "T: create"},
                      SummaryCase{OT::dboTable, OP::odbAlter, "T", "", "x", "T: alter"},
                      SummaryCase{OT::dboTable, OP::odbDrop, "T", "", "x", "T: drop"},
                      SummaryCase{OT::dboProcedure, OP::odbEmpty, "P", "", "x", "P: empty body"},
                      SummaryCase{OT::dboProcedure, OP::odbRestore, "P", "", "x", "P: restore body"},
                      SummaryCase{OT::dboProcedure, OP::odbEmptyCreate, "P", "", "x", "P: create empty"},
                      SummaryCase{OT::dboProcedure, OP::odbEmptyDrop, "P", "", "x", "P: empty before drop"},
                      SummaryCase{OT::dboTable, OP::odbDescription, "T", "", "x", "T: description"},
                      SummaryCase{OT::dboTable, OP::odbInsert, "T", "", "x", "T: insert"},
                      SummaryCase{OT::dboTable, OP::odbDelete, "T", "", "x", "T: delete"},
                      SummaryCase{OT::dboTable, OP::odbSet, "T", "", "x", "T"},
                      SummaryCase{OT::dboField, OP::odbDrop, "C", "T", "x", "T (C): alter"},
                      SummaryCase{OT::dboUnknown, OP::odbUnknown, "", "", "SET SQL DIALECT 3\r\nsecond",
                                  "SET SQL DIALECT 3"},
                      SummaryCase{OT::dboUnknown, OP::odbCommit, "", "", "COMMIT", "COMMIT"}));

TEST_F(StatementListTest, LoadScriptReadsTheFileOrReportsItMissing)
{
    const std::string file = dir.File("s.sql");
    { std::ofstream(file, std::ios::binary) << "CREATE TABLE T (A INTEGER);\r\nINSERT INTO T VALUES (1);\n"; }
    x.LoadScript(file);
    EXPECT_EQ(x.Parsed, 1);
    EXPECT_EQ(x.ScriptFileName, file);
    EXPECT_EQ(x.Seen, (std::vector<std::string>{"CREATE TABLE T (A INTEGER);", "INSERT INTO T VALUES (1);"}));

    x.LoadScript(dir.File("missing.sql"));
    EXPECT_EQ(x.Parsed, 1);
    EXPECT_EQ(x.ScriptFileName, "");
    ASSERT_EQ(rec.Errors.size(), 1u);
    EXPECT_EQ(rec.Errors[0], "File not found: " + dir.File("missing.sql"));
    EXPECT_EQ(x.ErrorCount(), 1);

    std::istringstream in("a\r\nb");
    x.LoadFromStream(&in);
    EXPECT_EQ(x.Seen, (std::vector<std::string>{"a", "b"}));
    x.LoadFromStream(nullptr);
    EXPECT_TRUE(x.Seen.empty());
    EXPECT_EQ(x.Parsed, 3);
}

TEST_F(StatementListTest, LoadScriptHandlerSuppliesTheLinesOrDeclines)
{
    const std::string file = dir.File("s.sql");
    { std::ofstream(file) << "from the file\n"; }
    x.OnLoadScript = [](TObject&, const std::string& name, TStringList& lines, bool& loaded) {
        if (name.ends_with("s.sql")) return; // declines: the file is read instead
        lines.Add("from the handler");
        loaded = true;
    };
    x.LoadScript(file);
    EXPECT_EQ(x.Seen, std::vector<std::string>{"from the file"});
    x.LoadScript("virtual.sql");
    EXPECT_EQ(x.Seen, std::vector<std::string>{"from the handler"});
    EXPECT_EQ(x.ScriptFileName, "virtual.sql");
    EXPECT_TRUE(rec.Errors.empty());
}

TEST_F(StatementListTest, ErrorsWithoutAHandlerGoToTheMessageHookAndCount)
{
    std::vector<std::string> shown;
    auto previous = SetShowMessageHook([&](const std::string& t) { shown.push_back(t); });
    TSQLExec bare;
    bare.ErrorMessage("first");
    bare.AddStatement("x", ST::stStatement);
    bare.ErrorMessage("second");
    SetShowMessageHook(previous);
    EXPECT_EQ(shown, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(bare.ErrorCount(), 2);
    // No statement is current outside a run: no ErrorText is touched.
    EXPECT_EQ(bare.Statements(0).ErrorText, "");
}

TEST_F(StatementListTest, QuoteNameFollowsTheExecutorsServer)
{
    x.SetDatabaseType(DT::dbInterBase);
    EXPECT_EQ(x.QuoteName("ORDER"), "\"ORDER\"");
    EXPECT_EQ(x.QuoteName("ORDERS"), "ORDERS");
    x.SetDatabaseType(DT::dbMSSQL);
    EXPECT_EQ(x.QuoteName("Order"), "[Order]");
    x.SetDatabaseType(DT::dbAbstract);
    EXPECT_EQ(x.QuoteName("Order"), "Order");
}

TEST(NameFilter, PrefixAndSuffixMasksOnly)
{
    EXPECT_TRUE(MatchNameMask("RDB$RELATIONS", "RDB$%"));
    EXPECT_TRUE(MatchNameMask("rdb$relations", "RDB$*"));
    EXPECT_TRUE(MatchNameMask("ORDERS_LOG", "%_LOG"));
    EXPECT_TRUE(MatchNameMask("ORDERS_LOG", "*_log"));
    EXPECT_FALSE(MatchNameMask("ORDERS", "ORD"));
    EXPECT_FALSE(MatchNameMask("ORDERS", "O%S%X"));
    EXPECT_FALSE(MatchNameMask("ORDERS", ""));
    EXPECT_FALSE(MatchNameMask("AB", "ABC%"));
    TStringList include, exclude;
    EXPECT_TRUE(NameFilterAccepts("ANY", include, exclude));
    exclude.Add("TMP%");
    EXPECT_FALSE(NameFilterAccepts("TMP_1", include, exclude));
    include.Add("%_A");
    include.Add("X%");
    EXPECT_TRUE(NameFilterAccepts("T_A", include, exclude));
    EXPECT_TRUE(NameFilterAccepts("XT", include, exclude));
    EXPECT_FALSE(NameFilterAccepts("T_B", include, exclude));
    EXPECT_FALSE(NameFilterAccepts("TMP_A", include, exclude));
}

TEST(HideStatementPassword, KeepsEverythingButThePassword)
{
    EXPECT_EQ(HideStatementPassword("CONNECT 'db' USER 'SYSDBA' PASSWORD 'pw'"),
              "CONNECT 'db' USER 'SYSDBA' PASSWORD '***'");
    EXPECT_EQ(HideStatementPassword("create database 'x' password\r\n  'it''s' page_size 4096"),
              "create database 'x' password\r\n  '***' page_size 4096");
    EXPECT_EQ(HideStatementPassword("CREATE USER U PASSWORD \"unfinished"), "CREATE USER U PASSWORD \"***");
    EXPECT_EQ(HideStatementPassword("UPDATE T SET PASSWORDS = 1"), "UPDATE T SET PASSWORDS = 1");
    EXPECT_EQ(HideStatementPassword("Driver={SQLite3};Database=x;Pwd=secret;"), "Driver={SQLite3};Database=x;Pwd=***;");
    EXPECT_EQ(HideStatementPassword("/data/x.fdb"), "/data/x.fdb");
}

struct BlobNameCase {
    std::string name;
    bool reference;
    std::uint64_t offset, size;
};

class BlobParamNameTest : public ::testing::TestWithParam<BlobNameCase> {};

TEST_P(BlobParamNameTest, ReadsOffsetAndSize)
{
    const BlobNameCase& c = GetParam();
    std::uint64_t offset = 99, size = 99;
    EXPECT_EQ(ParseBlobParamName(c.name, offset, size), c.reference);
    if (c.reference) {
        EXPECT_EQ(offset, c.offset);
        EXPECT_EQ(size, c.size);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, BlobParamNameTest,
    ::testing::Values(BlobNameCase{"h0000000A_00000004", true, 10, 4}, BlobNameCase{"H00000000_00000000", true, 0, 0},
                      BlobNameCase{"h0000012c_0000FFFF", true, 300, 65535},
                      BlobNameCase{"h100000000_00000001", true, 0x100000000ull, 1},
                      BlobNameCase{"h00000000_1000000000", true, 0, 0x1000000000ull},
                      BlobNameCase{"hFFFFFFFFFFFFFFFF_00000001", true, 0xFFFFFFFFFFFFFFFFull, 1},
                      BlobNameCase{"x0000000A_00000004", false, 0, 0}, BlobNameCase{"h0000000AX00000004", false, 0, 0},
                      BlobNameCase{"h0000000A_0000004", false, 0, 0}, BlobNameCase{"h000000000_0000004", false, 0, 0},
                      BlobNameCase{"h0000000000_00000G04", false, 0, 0},
                      BlobNameCase{"h00000000_0000_00000", false, 0, 0}, BlobNameCase{"DATA0", false, 0, 0}));

TEST(BlobParamName, FixedShapeWithBadDigitsOrHugeNumbersFails)
{
    std::uint64_t o = 0, s = 0;
    EXPECT_THROW(ParseBlobParamName("h0000000G_00000004", o, s), EConvertError);
    EXPECT_THROW(ParseBlobParamName("h00000000_0000000z", o, s), EConvertError);
    EXPECT_THROW(ParseBlobParamName("h10000000000000000_00000001", o, s), EConvertError);
}

// ---- script writer ---------------------------------------------------------

namespace {

struct WSt {
    WSt(std::string s, ST t, OT k = OT::dboUnknown, OP o = OP::odbUnknown, std::string term = {}, bool done = false)
        : sql(std::move(s)), type(t), kind(k), op(o), terminator(std::move(term)), executed(done)
    {
    }
    std::string sql;
    ST type;
    OT kind;
    OP op;
    std::string terminator;
    bool executed;
};

struct WriteCase {
    WriteCase(std::string l, DT t, std::vector<WSt> s, std::string e, std::vector<int> n, bool commit = false,
              std::vector<std::string> b = {})
        : label(std::move(l)), type(t), statements(std::move(s)), expected(std::move(e)), lineNos(std::move(n)),
          generateCommit(commit), before(std::move(b))
    {
    }
    std::string label;
    DT type;
    std::vector<WSt> statements;
    std::string expected; // the Text of the written lines
    std::vector<int> lineNos;
    bool generateCommit;
    std::vector<std::string> before;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.label; }

class WriteScriptTest : public ::testing::TestWithParam<WriteCase> {};

} // namespace

TEST_P(WriteScriptTest, WritesExactText)
{
    const WriteCase& c = GetParam();
    TSQLExec x;
    x.SetDatabaseType(c.type);
    x.IBServerOptions().IBCompareOptions().GenerateCOMMIT = c.generateCommit;
    for (const WSt& s : c.statements) {
        TStatement* st = x.AddStatement(s.sql, s.type, "N", s.kind, s.op, {}, s.terminator);
        ASSERT_NE(st, nullptr);
        st->Executed = s.executed;
        st->LineNo = -1;
    }
    TStringList lines;
    for (const auto& b : c.before) lines.Add(b);
    int notices = 0;
    lines.OnChange = [&](TStringList&) { ++notices; };
    x.WriteScript(lines, true);
    EXPECT_EQ(lines.Text(), c.expected);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(x.LineTotal(), static_cast<int>(c.before.size()));
    std::vector<int> nos;
    for (int i = 0; i < x.Count(); ++i) nos.push_back(x.Statements(i).LineNo);
    EXPECT_EQ(nos, c.lineNos);

    // Without RecordLineNumbers the same text and no line numbers.
    TStringList again;
    for (const auto& b : c.before) again.Add(b);
    for (int i = 0; i < x.Count(); ++i) x.Statements(i).LineNo = -1;
    x.WriteScript(again, false);
    EXPECT_EQ(again.Text(), c.expected);
    for (int i = 0; i < x.Count(); ++i) EXPECT_EQ(x.Statements(i).LineNo, -1);
}

namespace {

const WSt kTable{"CREATE TABLE T (A INTEGER)", ST::stStatement, OT::dboTable, OP::odbCreate};
const WSt kProc1{"CREATE PROCEDURE P1\r\nAS\r\nBEGIN\r\nEND", ST::stProcedure, OT::dboProcedure, OP::odbCreate};
const WSt kProc2{"CREATE PROCEDURE P2\r\nAS\r\nBEGIN\r\nEND", ST::stProcedure, OT::dboProcedure, OP::odbCreate};
const WSt kComment{"/* c */", ST::stComment, OT::dboUnknown, OP::odbComment};
const WSt kView{"CREATE VIEW V AS SELECT A FROM T", ST::stStatement, OT::dboView, OP::odbCreate};
const WSt kTrigger{"CREATE TRIGGER TR FOR T\r\nBEFORE INSERT AS\r\nBEGIN\r\nEND", ST::stTrigger, OT::dboTrigger,
                   OP::odbCreate};
const WSt kInsert{"INSERT INTO T VALUES (1)", ST::stInsert, OT::dboTable, OP::odbInsert};
const WSt kDescription{"COMMENT ON TABLE T IS\r\n'x'", ST::stDescription, OT::dboTable, OP::odbDescription};

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteScriptTest,
    ::testing::Values(
        WriteCase{"InterBaseInsert", DT::dbInterBase, {kInsert}, "INSERT INTO T VALUES (1);\r\n\r\n", {0}},
        WriteCase{"MSSQLUpdate",
                  DT::dbMSSQL,
                  {{"UPDATE T SET A = 1", ST::stUpdate, OT::dboTable, OP::odbUpdate}},
                  "UPDATE T SET A = 1\r\nGO\r\n\r\n",
                  {0}},
        WriteCase{"InterBaseBlocks",
                  DT::dbInterBase,
                  {kTable, kProc1, kProc2, kComment, kView},
                  "CREATE TABLE T (A INTEGER);\r\n\r\n"
                  "SET TERM ^ ;\r\n\r\n"
                  "CREATE PROCEDURE P1\r\nAS\r\nBEGIN\r\nEND\r\n^\r\n\r\n"
                  "CREATE PROCEDURE P2\r\nAS\r\nBEGIN\r\nEND\r\n^\r\n\r\n"
                  "/* c */\r\n"
                  "SET TERM ; ^\r\n\r\n"
                  "CREATE VIEW V AS SELECT A FROM T;\r\n\r\n",
                  {0, 4, 10, 16, 19}},
        WriteCase{"OracleBlocks",
                  DT::dbOracle,
                  {kTable, kProc1, kProc2, kComment, kView},
                  "CREATE TABLE T (A INTEGER);\r\n\r\n"
                  "CREATE PROCEDURE P1\r\nAS\r\nBEGIN\r\nEND\r\n/\r\n\r\n"
                  "CREATE PROCEDURE P2\r\nAS\r\nBEGIN\r\nEND\r\n/\r\n\r\n"
                  "/* c */\r\n"
                  "CREATE VIEW V AS SELECT A FROM T\r\n;\r\n\r\n",
                  {0, 2, 8, 14, 15}},
        WriteCase{"MSSQLProcedureAndView",
                  DT::dbMSSQL,
                  {kProc1, {"CREATE VIEW V\r\nAS SELECT A FROM T", ST::stStatement, OT::dboView, OP::odbCreate}},
                  "CREATE PROCEDURE P1\r\nAS\r\nBEGIN\r\nEND\r\nGO\r\n\r\n"
                  "CREATE VIEW V\r\nAS SELECT A FROM T\r\n\r\nGO\r\n\r\n",
                  {0, 6}},
        WriteCase{"InterBaseMultiLineView",
                  DT::dbInterBase,
                  {{"CREATE VIEW V AS\r\nSELECT A FROM T", ST::stStatement, OT::dboView, OP::odbCreate}},
                  "CREATE VIEW V AS\r\nSELECT A FROM T\r\n;\r\n\r\n",
                  {0}},
        WriteCase{"InterBaseEndsWithTrigger",
                  DT::dbInterBase,
                  {kInsert, kTrigger},
                  "INSERT INTO T VALUES (1);\r\n\r\n"
                  "SET TERM ^ ;\r\n\r\n"
                  "CREATE TRIGGER TR FOR T\r\nBEFORE INSERT AS\r\nBEGIN\r\nEND\r\n^\r\n\r\n"
                  "SET TERM ; ^\r\n\r\n",
                  {0, 4}},
        WriteCase{"ExecutedStatementKeepsItsLineButWritesNothing",
                  DT::dbInterBase,
                  {kInsert, {"INSERT INTO T VALUES (2)", ST::stInsert, OT::dboTable, OP::odbInsert, {}, true}, kInsert},
                  "INSERT INTO T VALUES (1);\r\n\r\nINSERT INTO T VALUES (1);\r\n\r\n",
                  {0, 2, 2}},
        WriteCase{"TextAlreadyThereStaysInFront",
                  DT::dbInterBase,
                  {kInsert},
                  "-- header\r\n\r\nINSERT INTO T VALUES (1);\r\n\r\n",
                  {2},
                  false,
                  {"-- header", ""}},
        WriteCase{"GenerateCommitAfterDDL",
                  DT::dbInterBase,
                  {kTable, kProc1, kDescription, kInsert},
                  "CREATE TABLE T (A INTEGER);\r\n\r\nCOMMIT WORK;\r\n"
                  "SET TERM ^ ;\r\n\r\n"
                  "CREATE PROCEDURE P1\r\nAS\r\nBEGIN\r\nEND\r\n^\r\n\r\nCOMMIT WORK ^\r\n"
                  "SET TERM ; ^\r\n\r\n"
                  "COMMENT ON TABLE T IS\r\n'x';\r\n\r\nCOMMIT WORK;\r\n"
                  "INSERT INTO T VALUES (1);\r\n\r\n",
                  {0, 5, 14, 18},
                  true},
        WriteCase{"GenerateCommitOnlyForInterBase",
                  DT::dbMSSQL,
                  {kTable},
                  "CREATE TABLE T (A INTEGER)\r\nGO\r\n\r\n",
                  {0},
                  true},
        WriteCase{"SessionStatementsKeepTheirOwnTerminator",
                  DT::dbInterBase,
                  {{"SET NAMES UTF8", ST::stSetNames, OT::dboUnknown, OP::odbSet, "!\r\n"},
                   {"SET SQL DIALECT 3", ST::stSqlDialect},
                   {"CONNECT 'x.fdb'", ST::stConnect, OT::dboUnknown, OP::odbUnknown, " "},
                   {"RECONNECT", ST::stReconnect, OT::dboUnknown, OP::odbUnknown, "!"},
                   {"SET BLOBFILE 'r.lob'", ST::stSetBlobFile},
                   {"COMMIT WORK;", ST::st_Commit},
                   {"  SELECT 1 FROM RDB$DATABASE  ", ST::stSelect}},
                  "SET NAMES UTF8!\r\n\r\n"
                  "SET SQL DIALECT 3;\r\n\r\n"
                  "CONNECT 'x.fdb' \r\n"
                  "RECONNECT;\r\n\r\n"
                  "SET BLOBFILE 'r.lob';\r\n\r\n"
                  "COMMIT WORK;\r\n"
                  "SELECT 1 FROM RDB$DATABASE;\r\n\r\n",
                  {0, 2, 4, 5, 7, 9, 10}},
        WriteCase{"DescriptionEndsWithSemicolonEverywhere",
                  DT::dbMSSQL,
                  {{"exec sys.sp_addextendedproperty x", ST::stDescription, OT::dboTable, OP::odbDescription}},
                  "exec sys.sp_addextendedproperty x;\r\n\r\n",
                  {0}},
        WriteCase{"EmptyCommentWritesAnEmptyLine", DT::dbInterBase, {{"", ST::stComment}}, "\r\n", {0}}));

TEST(ScriptLines, SplitAtEveryCrLfAndKeepTheLastPiece)
{
    TStringList l;
    EXPECT_EQ(TSQLExec::AddScriptLines("a\r\nb", l), 2);
    EXPECT_EQ(TSQLExec::AddScriptLines("c\r\n", l), 2);
    EXPECT_EQ(TSQLExec::AddScriptLines("", l), 1);
    EXPECT_EQ(TSQLExec::AddScriptLines("d\ne", l), 1);
    EXPECT_EQ(l.Lines(), (std::vector<std::string>{"a", "b", "c", "", "", "d\ne"}));
    EXPECT_EQ(TSQLExec::PosEx("b", "abcb"), 2);
    EXPECT_EQ(TSQLExec::PosEx("b", "abcb", 3), 4);
    EXPECT_EQ(TSQLExec::PosEx("b", "abcb", 5), 0);
    EXPECT_EQ(TSQLExec::PosEx("x", "abcb", 1), 0);
    EXPECT_EQ(TSQLExec::PosEx("", "abcb", 1), 0);
    EXPECT_EQ(TSQLExec::PosEx("a", "abcb", 0), 0);
}

// ---- execution against embedded Firebird -----------------------------------

namespace {

class FirebirdExecTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.File("run.fdb");
        qeltest::CreateFirebird(path);
        qeltest::ConfigureFirebird(c, path);
        c.IBServerOptions().SetDBCharSet("UTF8");
        c.OnErrorMessage = [this](TObject&, const std::string& t) { connectionErrors.push_back(t); };
        x.SetName("Exec1");
        x.SetQELConnection(&c);
        rec.Attach(x);
        qeltest::TInspector(path).Run("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOTE VARCHAR(20))");
    }

    TStatement* Insert(int id, const std::string& note = "n")
    {
        return x.AddStatement("INSERT INTO T (ID, NOTE) VALUES (" + std::to_string(id) + ", '" + note + "')",
                              ST::stInsert, "T", OT::dboTable, OP::odbInsert);
    }

    std::vector<std::string> Ids() { return qeltest::TInspector(path).Column("SELECT ID FROM T ORDER BY ID"); }

    qeltest::TempDir dir;
    std::string path;
    TQELConnection c;
    TIBSQLExec x;
    TRecorder rec;
    std::vector<std::string> connectionErrors;
};

} // namespace

TEST_F(FirebirdExecTest, EmptyListTouchesNothing)
{
    EXPECT_TRUE(x.Execute());
    EXPECT_EQ(rec.Log, std::vector<std::string>{"Update script is empty."});
    EXPECT_FALSE(c.Connected());
}

TEST_F(FirebirdExecTest, WithoutConnectionNothingRuns)
{
    TIBSQLExec lone;
    lone.SetName("Lonely");
    TRecorder r;
    r.Attach(lone);
    lone.AddStatement("INSERT INTO T VALUES (1, 'x')", ST::stInsert);
    EXPECT_FALSE(lone.Execute());
    EXPECT_EQ(r.Errors, std::vector<std::string>{"TIBSQLExec(Lonely): Connection property not assigned."});
    lone.ExecSingleStatement(lone.Statements(0));
    EXPECT_EQ(r.Errors.size(), 2u);
    EXPECT_EQ(lone.ErrorCount(), 2);
    // A connection without a back end cannot run anything either.
    TQELConnection bare;
    lone.SetQELConnection(&bare);
    EXPECT_FALSE(lone.Execute());
    EXPECT_EQ(r.Errors.back(), "TIBSQLExec(Lonely): the connection has no back end to run statements.");
    EXPECT_EQ(r.Log.back(), "< Script executed: 1 errors... >");
}

TEST_F(FirebirdExecTest, ConnectionDestroyedFirstIsForgotten)
{
    auto gone = std::make_unique<TQELConnection>();
    x.SetQELConnection(gone.get());
    gone.reset();
    EXPECT_EQ(x.QELConnection(), nullptr);
    Insert(1);
    EXPECT_FALSE(x.Execute());
}

TEST_F(FirebirdExecTest, OneFailingInsertAmongTenLetsTheOthersRun)
{
    for (int i = 1; i <= 10; ++i) Insert(i == 5 ? 1 : i);
    std::vector<int> before, after;
    std::vector<std::pair<int, int>> progress;
    x.OnBeforeStatementExecute = [&](TObject&, int i) { before.push_back(i); };
    x.OnAfterStatementExecute = [&](TObject&, int i) { after.push_back(i); };
    x.OnProgressUpdate = [&](TObject&, int v, int m) { progress.emplace_back(v, m); };
    int processed = 0;
    auto previous = SetProcessMessagesHook([&] { ++processed; });
    c.SetConnected(true);
    const bool ok = x.Execute();
    SetProcessMessagesHook(previous);

    EXPECT_FALSE(ok);
    EXPECT_EQ(x.ErrorCount(), 1);
    ASSERT_EQ(rec.Errors.size(), 1u);
    EXPECT_NE(rec.Errors[0].find("violation of PRIMARY or UNIQUE KEY"), std::string::npos) << rec.Errors[0];
    EXPECT_EQ(x.Statements(4).ErrorText, rec.Errors[0]);
    for (int i = 0; i < 10; ++i)
        if (i != 4) {
            EXPECT_EQ(x.Statements(i).ErrorText, "") << i;
        }
    EXPECT_EQ(Ids(), (std::vector<std::string>{"1", "2", "3", "4", "6", "7", "8", "9", "10"}));
    EXPECT_EQ(rec.Log.front(), "Updating target database...");
    EXPECT_EQ(rec.LogCount("< Exec SQL >: T: insert"), 10);
    EXPECT_EQ(rec.Log.back(), "< Script executed: 1 errors... >");
    EXPECT_FALSE(rec.AnyLogContains("Rolled back"));
    EXPECT_EQ(before, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(after, before);
    EXPECT_EQ(progress.front(), std::make_pair(0, 9));
    EXPECT_EQ(progress.back(), std::make_pair(9, 9));
    EXPECT_EQ(processed, 10);
    // The connection is left as it was found, with nothing left open.
    EXPECT_TRUE(c.Connected());
    EXPECT_FALSE(c.InTransaction());
    EXPECT_EQ(x.Query(), nullptr);
}

TEST_F(FirebirdExecTest, BreakOnErrorStopsAfterTheFailureAndKeepsWhatRan)
{
    Insert(1);
    Insert(2);
    Insert(1);
    Insert(4);
    x.BreakOnError = true;
    EXPECT_FALSE(x.Execute());
    EXPECT_TRUE(rec.Logged("< Break on Error! >"));
    EXPECT_EQ(rec.LogCount("< Exec SQL >: T: insert"), 3);
    EXPECT_EQ(Ids(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(rec.Log.back(), "< Script executed: 1 errors... >");
}

TEST_F(FirebirdExecTest, DDLCommitsTheDataStatementsBeforeIt)
{
    Insert(1);
    x.AddStatement("CREATE TABLE U (ID INTEGER)", ST::stStatement, "U", OT::dboTable, OP::odbCreate);
    Insert(2);
    std::vector<std::string> seenAfterDDL;
    x.OnAfterStatementExecute = [&](TObject&, int i) {
        if (i == 1) seenAfterDDL = Ids();
    };
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_EQ(seenAfterDDL, std::vector<std::string>{"1"});
    EXPECT_EQ(Ids(), (std::vector<std::string>{"1", "2"}));
    EXPECT_TRUE(rec.Logged("< Exec SQL >: U: create"));
    EXPECT_EQ(rec.Log.back(), "< Script executed succesfully! >");
}

TEST_F(FirebirdExecTest, FailingDDLIsUndoneAloneAndTheDataBeforeItStays)
{
    Insert(1);
    x.AddStatement("CREATE TABLE T (ID INTEGER)", ST::stStatement, "T", OT::dboTable, OP::odbCreate);
    // Fails only when its work is committed: duplicates under a new unique index.
    Insert(2, "dup");
    Insert(3, "dup");
    x.AddStatement("CREATE UNIQUE INDEX UX ON T (NOTE)", ST::stStatement, "UX", OT::dboIndex, OP::odbCreate);
    Insert(4);
    EXPECT_FALSE(x.Execute());
    EXPECT_EQ(x.ErrorCount(), 2) << rec.AllErrors();
    EXPECT_NE(x.Statements(1).ErrorText, "");
    EXPECT_NE(x.Statements(4).ErrorText, "");
    EXPECT_EQ(Ids(), (std::vector<std::string>{"1", "2", "3", "4"}));
    qeltest::TInspector look(path);
    EXPECT_EQ(look.Value("SELECT COUNT(*) FROM RDB$INDICES WHERE RDB$INDEX_NAME = 'UX'"), "0");
}

TEST_F(FirebirdExecTest, DisconnectedConnectionIsConnectedForTheRunOnly)
{
    x.AddComment("/* start */");
    Insert(1);
    ASSERT_FALSE(c.Connected());
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_FALSE(c.Connected());
    EXPECT_TRUE(rec.Logged("Connect: \"" + path + "\""));
    EXPECT_TRUE(rec.Logged("Disconnect: \"" + path + "\""));
    EXPECT_EQ(Ids(), std::vector<std::string>{"1"});
    // The comment ran before anything needed the connection.
    const auto comment = std::find(rec.Log.begin(), rec.Log.end(), "< Exec SQL >: /*  */");
    const auto connect = std::find(rec.Log.begin(), rec.Log.end(), "Connect: \"" + path + "\"");
    EXPECT_LT(comment, connect);
}

TEST_F(FirebirdExecTest, ConnectFailureIsTheExecutorsCountedError)
{
    c.ConnectionOptions().DatabaseName = dir.File("missing.fdb");
    Insert(1);
    Insert(2);
    EXPECT_FALSE(x.Execute());
    EXPECT_EQ(x.ErrorCount(), 2);
    ASSERT_EQ(rec.Errors.size(), 2u);
    EXPECT_NE(rec.Errors[0].find("missing.fdb"), std::string::npos) << rec.Errors[0];
    EXPECT_TRUE(connectionErrors.empty());
    EXPECT_EQ(rec.LogCount("< Exec SQL >: T: insert"), 0);
    EXPECT_EQ(x.Statements(0).ErrorText, rec.Errors[0]);
}

TEST_F(FirebirdExecTest, ExecutedStatementsAreSkipped)
{
    Insert(1)->Executed = true;
    Insert(2);
    EXPECT_TRUE(x.Execute());
    EXPECT_TRUE(rec.Logged("< Skipping statement >: T: insert"));
    EXPECT_EQ(Ids(), std::vector<std::string>{"2"});
    rec.Log.clear();
    x.LogFullSQL = true;
    x.Statements(1).Executed = true;
    Insert(3);
    EXPECT_TRUE(x.Execute());
    EXPECT_EQ(rec.Log[1], "< Skipping statement >:");
    EXPECT_EQ(rec.Log[2], "// INSERT INTO T (ID, NOTE) VALUES (1, 'n')");
    EXPECT_TRUE(rec.Logged("< Exec SQL >:"));
    EXPECT_TRUE(rec.Logged("INSERT INTO T (ID, NOTE) VALUES (3, 'n')"));
}

TEST_F(FirebirdExecTest, ServerRejectsAStatementAndTheRunGoesOn)
{
    x.AddStatement("CREATE TABLE", ST::stStatement, "BAD", OT::dboTable, OP::odbCreate);
    x.AddStatement("INSERT INTO NOWHERE VALUES (1)", ST::stInsert, "NOWHERE", OT::dboTable, OP::odbInsert);
    Insert(1);
    EXPECT_FALSE(x.Execute());
    EXPECT_EQ(x.ErrorCount(), 2);
    EXPECT_NE(x.Statements(0).ErrorText.find("SQL error code = -104"), std::string::npos) << x.Statements(0).ErrorText;
    EXPECT_NE(x.Statements(1).ErrorText.find("NOWHERE"), std::string::npos) << x.Statements(1).ErrorText;
    EXPECT_EQ(Ids(), std::vector<std::string>{"1"});
    EXPECT_EQ(rec.Log.back(), "< Script executed: 2 errors... >");
}

TEST_F(FirebirdExecTest, DroppedConnectionLosesItsOpenStatementsAndSaysSo)
{
    Insert(1);
    Insert(2);
    Insert(3);
    Insert(4);
    qeltest::TInspector killer(path);
    x.OnBeforeStatementExecute = [&](TObject&, int i) {
        // A second attachment ends the executor's one, as a server shutdown would.
        if (i == 2) killer.Run("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION");
    };
    c.SetConnected(true);
    EXPECT_FALSE(x.Execute());
    EXPECT_GE(x.ErrorCount(), 2);
    EXPECT_EQ(rec.LogCount("< Rolled back >: T: insert"), 2) << rec.AllErrors();
    EXPECT_EQ(x.Statements(0).ErrorText.rfind("Rolled back: ", 0), 0u) << x.Statements(0).ErrorText;
    EXPECT_EQ(x.Statements(1).ErrorText.rfind("Rolled back: ", 0), 0u);
    EXPECT_NE(x.Statements(2).ErrorText, "");
    EXPECT_NE(x.Statements(3).ErrorText, "");
    EXPECT_NE(rec.Errors[0].find("2 statements run in it were undone"), std::string::npos) << rec.Errors[0];
    EXPECT_EQ(rec.Log.back(), "< Script executed: " + std::to_string(x.ErrorCount()) + " errors... >");
    EXPECT_TRUE(Ids().empty());
}

// ---- BLOB parameters over Firebird -----------------------------------------

namespace {

class FirebirdBlobTest : public FirebirdExecTest {
protected:
    void SetUp() override
    {
        FirebirdExecTest::SetUp();
        qeltest::TInspector(path).Run("CREATE TABLE B (ID INTEGER, DATA BLOB SUB_TYPE 0, NOTE VARCHAR(20))");
        mega.resize(1 << 20);
        for (size_t i = 0; i < mega.size(); ++i) mega[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
        lob = dir.File("values.lob");
        std::ofstream(lob, std::ios::binary) << "hello" << mega;
        x.ScriptFileName = dir.File("script.sql");
    }

    void Blob(int id, const std::string& param)
    {
        x.AddStatement("INSERT INTO B (ID, DATA) VALUES (" + std::to_string(id) + ", :" + param + ")", ST::stInsert,
                       "B", OT::dboTable, OP::odbInsert);
    }

    std::string Data(int id)
    {
        return qeltest::TInspector(path).Value("SELECT DATA FROM B WHERE ID = " + std::to_string(id));
    }

    std::string mega;
    std::string lob;
};

} // namespace

TEST_F(FirebirdBlobTest, ReferencesReadTheirBytesFromTheSideFile)
{
    x.AddStatement("SET BLOBFILE 'values.lob'", ST::stSetBlobFile, "values.lob");
    Blob(1, "h00000000_00000000");
    Blob(2, "h00000000_00000005");
    Blob(3, "h00000005_00100000");
    Blob(4, "H00000001_00000003");
    Blob(5, "h000000001_000000003");
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_EQ(x.BlobFileName(), dir.File("values.lob"));
    EXPECT_EQ(Data(1), "");
    EXPECT_EQ(Data(2), "hello");
    EXPECT_TRUE(Data(3) == mega) << "1 MB value differs";
    EXPECT_EQ(Data(4), "ell");
    EXPECT_EQ(Data(5), "ell");
    EXPECT_TRUE(rec.Logged("< Exec SQL >: values.lob"));
}

TEST_F(FirebirdBlobTest, AbsoluteNameNeedsNoScriptFile)
{
    x.ScriptFileName.clear();
    x.AddStatement("SET BLOBFILE '" + lob + "'", ST::stSetBlobFile);
    Blob(1, "h00000001_00000002");
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_EQ(x.BlobFileName(), lob);
    EXPECT_EQ(Data(1), "el");
}

TEST_F(FirebirdBlobTest, RelativeNameWithoutScriptFileIsReported)
{
    x.ScriptFileName.clear();
    x.AddStatement("SET BLOBFILE 'values.lob'", ST::stSetBlobFile, "values.lob");
    Blob(1, "h00000001_00000002");
    std::vector<std::string> asked;
    x.OnGetParamValue = [&](TObject&, TParam& p) { asked.push_back(p.Name()); };
    EXPECT_FALSE(x.Execute());
    ASSERT_EQ(rec.Errors.size(), 1u);
    EXPECT_EQ(rec.Errors[0], "ScriptFileName not specified (for BlobFile).");
    // Without a side file the reference is an ordinary parameter.
    EXPECT_EQ(asked, std::vector<std::string>{"h00000001_00000002"});
    EXPECT_EQ(Data(1), "<null>");
}

TEST_F(FirebirdBlobTest, MissingSideFileIsReported)
{
    x.AddStatement("SET BLOBFILE 'gone.lob'", ST::stSetBlobFile, "gone.lob");
    Blob(1, "h00000000_00000001");
    EXPECT_FALSE(x.Execute());
    ASSERT_EQ(rec.Errors.size(), 2u);
    EXPECT_EQ(rec.Errors[0], "BlobFile not found: " + dir.File("gone.lob"));
    EXPECT_EQ(x.Statements(0).ErrorText, rec.Errors[0]);
    // The statement that needed a value from the missing file is not run:
    // Null must never be written in place of the value.
    EXPECT_EQ(rec.Errors[1], "BLOB parameter h00000000_00000001 has no BlobFile to read from.");
    EXPECT_EQ(Data(1), "<no row>");
    EXPECT_EQ(rec.Log.back(), "< Script executed: 2 errors... >");
}

TEST_F(FirebirdBlobTest, ParameterWithoutValueOrHandlerFailsItsStatement)
{
    x.AddStatement("INSERT INTO B (ID, DATA) VALUES (:ID, NULL)", ST::stInsert, "B", OT::dboTable, OP::odbInsert);
    EXPECT_FALSE(x.Execute());
    ASSERT_EQ(rec.Errors.size(), 1u);
    EXPECT_EQ(rec.Errors[0], "Parameter ID has no value.");
    EXPECT_EQ(qeltest::TInspector(path).Value("SELECT COUNT(*) FROM B"), "0");
}

TEST_F(FirebirdBlobTest, LineBreaksInsideValuesReachTheDatabaseExactly)
{
    // A lone LF or CR inside a literal is data, not a line break of the statement.
    x.AddStatement(std::string("INSERT INTO B (ID, DATA) VALUES (7, 'a\nb\rc\r\nd')"), ST::stInsert, "B", OT::dboTable,
                   OP::odbInsert);
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_EQ(Data(7), "a\nb\rc\r\nd");
}

TEST_F(FirebirdBlobTest, ReferencePastTheEndFailsItsStatementOnly)
{
    x.AddStatement("SET BLOBFILE 'values.lob'", ST::stSetBlobFile, "values.lob");
    Blob(1, "h00000000_00000005");
    Blob(2, "h00000002_00100004"); // one byte more than the file holds
    Blob(3, "hFFFFFFFF_00000001");
    Blob(4, "h00000005_00000001");
    EXPECT_FALSE(x.Execute());
    EXPECT_EQ(x.ErrorCount(), 2);
    EXPECT_NE(x.Statements(2).ErrorText.find("h00000002_00100004"), std::string::npos) << x.Statements(2).ErrorText;
    EXPECT_NE(x.Statements(2).ErrorText.find("which has only 1048581 bytes"), std::string::npos)
        << x.Statements(2).ErrorText;
    EXPECT_EQ(qeltest::TInspector(path).Column("SELECT ID FROM B ORDER BY ID"),
              (std::vector<std::string>{"1", "4"}));
    EXPECT_EQ(Data(4), std::string(1, mega[0]));
}

TEST_F(FirebirdBlobTest, OtherParametersComeFromTheHandler)
{
    // Before the first SET BLOBFILE even a reference goes to the handler.
    x.AddStatement("INSERT INTO B (ID, NOTE) VALUES (:ID, :h00000000_00000001)", ST::stInsert, "B");
    x.AddStatement("SET BLOBFILE 'values.lob'", ST::stSetBlobFile, "values.lob");
    x.AddStatement("INSERT INTO B (ID, DATA, NOTE) VALUES (:ID, :h00000000_00000002, :h0000000AX00000004)",
                   ST::stInsert, "B");
    x.AddStatement("INSERT INTO B (ID, NOTE) VALUES (:ID, :NOTE)", ST::stInsert, "B");
    int next = 1;
    std::vector<std::string> asked;
    x.OnGetParamValue = [&](TObject& sender, TParam& p) {
        EXPECT_EQ(&sender, &x);
        EXPECT_TRUE(p.IsNull());
        asked.push_back(p.Name());
        if (p.Name() == "ID") p.SetAsInteger(next++);
        if (p.Name() == "h00000000_00000001") p.SetAsString("from handler");
    };
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_EQ(asked, (std::vector<std::string>{"ID", "h00000000_00000001", "ID", "h0000000AX00000004", "ID", "NOTE"}));
    qeltest::TInspector look(path);
    EXPECT_EQ(look.Column("SELECT NOTE FROM B ORDER BY ID"),
              (std::vector<std::string>{"from handler", "<null>", "<null>"}));
    EXPECT_EQ(look.Value("SELECT DATA FROM B WHERE ID = 2"), "he");
}

TEST_F(FirebirdBlobTest, ReferenceWithBadDigitsFailsItsStatement)
{
    x.AddStatement("SET BLOBFILE 'values.lob'", ST::stSetBlobFile, "values.lob");
    Blob(1, "h0000000G_00000001");
    Blob(2, "h00000000_00000001");
    EXPECT_FALSE(x.Execute());
    EXPECT_EQ(x.ErrorCount(), 1);
    EXPECT_NE(x.Statements(1).ErrorText.find("'0000000G' is not a valid hexadecimal number"), std::string::npos)
        << x.Statements(1).ErrorText;
    EXPECT_EQ(qeltest::TInspector(path).Column("SELECT ID FROM B"), std::vector<std::string>{"2"});
}

// ---- a list is run once ------------------------------------------------------

namespace {

struct RunTwiceCase {
    const char* Name;
    // A last INSERT into LATE, a table made only after the first run.
    bool Late;
    // The attachment ends before the second INSERT of the first run.
    bool Lose;
    std::vector<bool> ExecutedAfterFirst;
    std::vector<std::string> SkippedInSecond;
};

class RunTwiceTest : public FirebirdBlobTest, public ::testing::WithParamInterface<RunTwiceCase> {};

} // namespace

// B has no key: a second run of the same INSERTs would double its rows.
TEST_P(RunTwiceTest, WorkIsDoneOnceAndWhatDidNotStickRunsAgain)
{
    const RunTwiceCase& k = GetParam();
    x.AddStatement("SET SQL DIALECT 3", ST::stSqlDialect);
    x.AddStatement("SET BLOBFILE 'values.lob'", ST::stSetBlobFile, "values.lob");
    Blob(1, "h00000000_00000005");
    Blob(2, "h00000001_00000002");
    if (k.Late)
        x.AddStatement("INSERT INTO LATE (ID, DATA) VALUES (3, :h00000000_00000002)", ST::stInsert, "LATE",
                       OT::dboTable, OP::odbInsert);
    qeltest::TInspector killer(path);
    x.OnBeforeStatementExecute = [&](TObject&, int i) {
        if (k.Lose && i == 3) killer.Run("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION");
    };
    x.Execute();
    x.OnBeforeStatementExecute = nullptr;
    std::vector<bool> executed;
    for (int i = 0; i < x.Count(); ++i) executed.push_back(x.Statements(i).Executed);
    EXPECT_EQ(executed, k.ExecutedAfterFirst) << rec.AllErrors();
    // The written script holds what is left to do, with what it needs first.
    TStringList script;
    x.WriteScript(script, false);
    for (int i = 0; i < x.Count(); ++i)
        EXPECT_EQ(script.Text().find(x.Statements(i).SQL[0]) == std::string::npos, executed[size_t(i)]) << i;

    if (k.Late) killer.Run("CREATE TABLE LATE (ID INTEGER, DATA BLOB SUB_TYPE 0)");
    if (c.Connected()) c.SetConnected(false);
    rec.Log.clear();
    rec.Errors.clear();
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    std::vector<std::string> skipped;
    for (const auto& line : rec.Log)
        if (line.starts_with("< Skipping statement >")) skipped.push_back(line);
    EXPECT_EQ(skipped, k.SkippedInSecond);
    for (int i = 0; i < x.Count(); ++i) EXPECT_TRUE(x.Statements(i).Executed) << i;
    qeltest::TInspector look(path);
    EXPECT_EQ(look.Column("SELECT DATA FROM B ORDER BY ID"), (std::vector<std::string>{"hello", "el"}));
    if (k.Late) {
        EXPECT_EQ(look.Value("SELECT DATA FROM LATE"), "he");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunTwiceTest,
    ::testing::Values(
        RunTwiceCase{"EverythingRanSoEverythingIsSkipped", false, false, {true, true, true, true},
                     {"< Skipping statement >: SET SQL DIALECT 3", "< Skipping statement >: values.lob",
                      "< Skipping statement >: B: insert", "< Skipping statement >: B: insert"}},
        // The set-up statements run again: the INSERT left needs the BLOB file.
        RunTwiceCase{"FailedStatementRunsAgainOnceItsCauseIsGone", true, false, {false, false, true, true, false},
                     {"< Skipping statement >: B: insert", "< Skipping statement >: B: insert"}},
        RunTwiceCase{"StatementsOfALostTransactionRunAgain", false, true, {false, false, false, false}, {}}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- plain TSQLExec over ODBC ----------------------------------------------

namespace {

class SQLiteExecTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file = dir.File("run.db");
        conn = qeltest::SQLiteString(file);
        c.SetDatabaseType(DT::dbCustomOLEDB);
        c.SetConnectionType(TconnectionType::cnADO);
        c.ConnectionOptions().DatabaseName = conn;
        c.OnErrorMessage = [this](TObject&, const std::string& t) { connectionErrors.push_back(t); };
        x.SetQELConnection(&c);
        rec.Attach(x);
        qeltest::TInspector(conn, true).Run("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, DATA BLOB)");
    }

    TStatement* Insert(int id)
    {
        return x.AddStatement("INSERT INTO T (ID) VALUES (" + std::to_string(id) + ")", ST::stInsert, "T",
                              OT::dboTable, OP::odbInsert);
    }

    qeltest::TempDir dir;
    std::string file, conn;
    TQELConnection c;
    TSQLExec x;
    TRecorder rec;
    std::vector<std::string> connectionErrors;
};

} // namespace

TEST_F(SQLiteExecTest, OneFailingInsertAmongTenKeepsTheOtherNine)
{
    for (int i = 1; i <= 10; ++i) Insert(i == 7 ? 2 : i);
    EXPECT_FALSE(x.Execute());
    EXPECT_EQ(x.ErrorCount(), 1) << rec.AllErrors();
    EXPECT_NE(x.Statements(6).ErrorText.find("UNIQUE"), std::string::npos) << x.Statements(6).ErrorText;
    EXPECT_EQ(qeltest::TInspector(conn, true).Value("SELECT COUNT(*) FROM T"), "9");
    EXPECT_EQ(rec.Log.back(), "< Script executed: 1 errors... >");
    EXPECT_TRUE(rec.Logged("Connect: \"" + conn + "\""));
    EXPECT_FALSE(c.Connected());
}

TEST_F(SQLiteExecTest, FailingDDLKeepsTheDataBeforeIt)
{
    Insert(1);
    x.AddStatement("CREATE TABLE T (X INTEGER)", ST::stStatement, "T", OT::dboTable, OP::odbCreate);
    Insert(2);
    x.AddStatement("SET NAMES UTF8", ST::stSetNames);
    EXPECT_FALSE(x.Execute());
    EXPECT_EQ(x.ErrorCount(), 1);
    EXPECT_NE(x.Statements(1).ErrorText.find("already exists"), std::string::npos) << x.Statements(1).ErrorText;
    EXPECT_EQ(qeltest::TInspector(conn, true).Column("SELECT ID FROM T ORDER BY ID"),
              (std::vector<std::string>{"1", "2"}));
}

TEST_F(SQLiteExecTest, BlobReferencesGoThroughODBC)
{
    std::string bytes(300000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 253);
    const std::string lob = dir.File("r.lob");
    std::ofstream(lob, std::ios::binary) << "xyz" << bytes;
    x.ScriptFileName = dir.File("r.sql");
    x.AddStatement("SET BLOBFILE 'r.lob'", ST::stSetBlobFile, "r.lob");
    x.AddStatement("INSERT INTO T (ID, DATA) VALUES (1, :h00000003_000493E0)", ST::stInsert, "T");
    x.AddStatement("UPDATE T SET DATA = :h00000000_00000003 WHERE ID = 1 AND LENGTH(DATA) = 300000", ST::stUpdate,
                   "T");
    std::vector<std::string> seen;
    x.OnAfterStatementExecute = [&](TObject&, int i) {
        if (i == 1) seen = qeltest::TInspector(conn, true).Column("SELECT LENGTH(DATA) FROM T");
    };
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_TRUE(seen.empty()); // data statements wait for the end of the run
    qeltest::TInspector look(conn, true);
    EXPECT_EQ(look.Value("SELECT DATA FROM T WHERE ID = 1"), "xyz");
}

TEST_F(SQLiteExecTest, SingleStatementConnectsRunsCommitsAndDisconnects)
{
    TStatement* st = Insert(3);
    x.ExecSingleStatement(*st);
    EXPECT_EQ(x.ErrorCount(), 0) << rec.AllErrors();
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(x.Query(), nullptr);
    EXPECT_EQ(qeltest::TInspector(conn, true).Value("SELECT ID FROM T"), "3");
    EXPECT_TRUE(rec.Logged("< Exec SQL >: T: insert"));
    EXPECT_TRUE(st->Executed);
}

TEST_F(SQLiteExecTest, ARunCannotBeStartedFromInsideItself)
{
    Insert(1);
    Insert(2);
    bool nested = true;
    x.OnBeforeStatementExecute = [&](TObject&, int i) {
        if (i == 1) nested = x.Execute();
    };
    EXPECT_FALSE(x.Execute());
    EXPECT_FALSE(nested);
    EXPECT_EQ(rec.Errors, std::vector<std::string>{"TSQLExec(): a script is already running."});
    EXPECT_EQ(qeltest::TInspector(conn, true).Value("SELECT COUNT(*) FROM T"), "2");
}

namespace {

// Configures C for the test PostgreSQL server and tries it once; answers why
// it cannot be used, or nothing.
std::string UsePostgres(TQELConnection& C, std::string& Conn)
{
    Conn = qeltest::Env("VELMORIN_PG_CONN");
    if (Conn.empty()) return "no PostgreSQL: VELMORIN_PG_CONN is not set";
    std::vector<std::string> errors;
    C.OnErrorMessage = [&](TObject&, const std::string& t) { errors.push_back(t); };
    C.SetDatabaseType(DT::dbPostgreSQL);
    C.SetConnectionType(TconnectionType::cnADO);
    C.ConnectionOptions().ConnectionString = Conn;
    C.ConnectionOptions().DatabaseName = Conn;
    C.SetConnected(true);
    const bool reached = C.Connected();
    C.SetConnected(false);
    C.OnErrorMessage = nullptr;
    return reached ? std::string() : "PostgreSQL not reachable: " + (errors.empty() ? "" : errors[0]);
}

} // namespace

TEST(PostgreSQLExec, FailingStatementInABatchIsUndoneAlone)
{
    TQELConnection c;
    std::string conn;
    if (const std::string why = UsePostgres(c, conn); !why.empty()) QEL_SKIP_OR_FAIL(why);
    const std::string table = "exec_batch_" + std::to_string(::getpid());
    qeltest::TInspector admin(conn, true, DT::dbPostgreSQL);
    admin.Run("CREATE TABLE " + table + " (id integer primary key)");

    TSQLExec x;
    x.SetDatabaseType(DT::dbPostgreSQL);
    x.SetQELConnection(&c);
    TRecorder rec;
    rec.Attach(x);
    for (int i = 1; i <= 10; ++i)
        x.AddStatement("INSERT INTO " + table + " VALUES (" + std::to_string(i == 3 ? 1 : i) + ")", ST::stInsert,
                       table);
    EXPECT_FALSE(x.Execute());
    EXPECT_EQ(x.ErrorCount(), 1) << rec.AllErrors();
    EXPECT_NE(x.Statements(2).ErrorText.find("duplicate key"), std::string::npos) << x.Statements(2).ErrorText;
    EXPECT_EQ(admin.Value("SELECT count(*) FROM " + table), "9");
    for (int i = 0; i < x.Count(); ++i) EXPECT_EQ(x.Statements(i).Executed, i != 2) << i;
    EXPECT_FALSE(rec.AnyLogContains("Pwd=x"));
    admin.Run("DROP TABLE " + table);
}

// A batch that starts with SELECT is one stSelect statement (the MS SQL
// parser makes it so): it runs whole, its rows read and dropped, and every
// statement after the SELECT reaches the server, in order.
TEST(PostgreSQLExec, SelectBatchRunsWhole)
{
    TQELConnection c;
    std::string conn;
    if (const std::string why = UsePostgres(c, conn); !why.empty()) QEL_SKIP_OR_FAIL(why);
    const std::string table = "exec_select_" + std::to_string(::getpid());
    qeltest::TInspector admin(conn, true, DT::dbPostgreSQL);
    admin.Run("CREATE TABLE " + table + " (id integer, at serial)");

    TSQLExec x;
    x.SetDatabaseType(DT::dbPostgreSQL);
    x.SetQELConnection(&c);
    TRecorder rec;
    rec.Attach(x);
    const std::string insert = "INSERT INTO " + table + " (id) VALUES ";
    x.AddStatement("SELECT generate_series(1, 3);\n" + insert + "(1);\nSELECT 2;\n" + insert + "(2);\n" + insert + "(3)",
                   ST::stSelect);
    x.AddStatement("SELECT count(*) FROM " + table, ST::stSelect);
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_TRUE(x.Statements(0).Executed && x.Statements(1).Executed);
    EXPECT_EQ(admin.Value("SELECT string_agg(CAST(id AS text), ',' ORDER BY at) FROM " + table), "1,2,3");
    admin.Run("DROP TABLE " + table);
}
