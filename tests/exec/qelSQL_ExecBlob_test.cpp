// BLOB parameters read from the side file, and a list run a second time.
#include "qelSQL_Exec.h"

#include "qelSQL_ExecTestPrivate.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace qel;

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
