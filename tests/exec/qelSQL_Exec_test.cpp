// The statement list, its name filter and the script writer.
#include "qelSQL_Exec.h"

#include "qelClasses.h"
#include "qelDBOptions.h"
#include "qelErrors.h"
#include "qelMsg.h"
#include "qelSQL_ExecTestPrivate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace qel;
using qeltest::TRecorder;

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
