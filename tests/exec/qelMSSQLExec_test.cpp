#include "qelMSSQLExec.h"
#include "qelMsgMngr.h"

#include "qelExecTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace qel;
using qeltest::TRecorder;
using ST = TStatType;
using OT = TDbObject;
using OP = TDbOperation;

TEST(MSSQLExec, WritesGoBatches)
{
    TMSSQLExec x;
    EXPECT_EQ(x.DatabaseType(), TDatabaseType::dbMSSQL);
    x.AddStatement("USE sales", ST::stConnect);
    x.AddStatement("CREATE PROCEDURE P AS\r\nSELECT 1", ST::stProcedure, "P", OT::dboProcedure, OP::odbCreate);
    x.AddStatement("UPDATE T SET A = 1\r\nWHERE B = 2", ST::stUpdate, "T", OT::dboTable, OP::odbUpdate);
    TStringList lines;
    x.WriteScript(lines, true);
    EXPECT_EQ(lines.Text(), "USE sales\r\nGO\r\n\r\n"
                            "CREATE PROCEDURE P AS\r\nSELECT 1\r\nGO\r\n\r\n"
                            "UPDATE T SET A = 1\r\nWHERE B = 2\r\nGO\r\n\r\n");
    EXPECT_EQ(x.Statements(1).LineNo, 3);
    EXPECT_EQ(x.Statements(2).LineNo, 7);
}

// SQLite stands in for the server: its ATTACH DATABASE creates a database
// file and, like CREATE DATABASE, refuses to run inside a transaction.
TEST(MSSQLExec, CreateDatabaseRunsTheStatementOutsideATransaction)
{
    qeltest::TempDir dir;
    const std::string conn = qeltest::SQLiteString(dir.File("main.db"));
    TQELConnection c;
    c.SetDatabaseType(TDatabaseType::dbCustomOLEDB);
    c.SetConnectionType(TconnectionType::cnADO);
    c.ConnectionOptions().DatabaseName = conn;
    qeltest::TInspector(conn, true).Run("CREATE TABLE T (ID INTEGER)");
    TMSSQLExec x;
    x.SetQELConnection(&c);
    TRecorder rec;
    rec.Attach(x);
    x.AddStatement("INSERT INTO T VALUES (1)", ST::stInsert, "T", OT::dboTable, OP::odbInsert);
    const std::string extra = dir.File("extra.db");
    x.AddStatement("ATTACH DATABASE '" + extra + "' AS extra", ST::stCreateDb, "extra", OT::dboDatabase,
                   OP::odbCreate);
    x.AddStatement("CREATE TABLE extra.U (ID INTEGER)", ST::stStatement, "U", OT::dboTable, OP::odbCreate);
    x.AddStatement("INSERT INTO extra.U VALUES (2)", ST::stInsert, "U", OT::dboTable, OP::odbInsert);
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_TRUE(std::filesystem::exists(extra));
    EXPECT_EQ(qeltest::TInspector(conn, true).Value("SELECT COUNT(*) FROM T"), "1");
    EXPECT_EQ(qeltest::TInspector(qeltest::SQLiteString(extra), true).Value("SELECT ID FROM U"), "2");
    EXPECT_TRUE(rec.Logged("< Exec SQL >: extra: create"));

    // A statement the server refuses is reported and counted.
    TMSSQLExec y;
    y.SetQELConnection(&c);
    TRecorder r2;
    r2.Attach(y);
    y.AddStatement("ATTACH DATABASE", ST::stCreateDb, "bad");
    EXPECT_FALSE(y.Execute());
    EXPECT_EQ(y.ErrorCount(), 1);
    EXPECT_NE(y.Statements(0).ErrorText, "");
}

namespace {

// Text as UTF-16 with a byte-order mark, little or big end first.
std::string Utf16(const std::u16string& Text, bool Little)
{
    std::string bytes = Little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t c : Text) {
        const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
        bytes += Little ? std::string{lo, hi} : std::string{hi, lo};
    }
    return bytes;
}

std::vector<std::string> Texts(const TMSSQLExec& X)
{
    std::vector<std::string> out;
    for (int i = 0; i < X.Count(); ++i) out.push_back(X.Statements(i).SQL.Text());
    return out;
}

} // namespace

// A script file becomes its statements batch by batch (GO 2 runs its batch
// twice); UTF-16 and UTF-8 with a byte-order mark read as the plain copy; the
// statements run (SQLite standing in for the server).
TEST(MSSQLExec, LoadScriptReadsGoBatches)
{
    qeltest::TempDir dir;
    const std::string plain = dir.File("plain.sql");
    qeltest::WriteFile(plain, "CREATE TABLE T (A int, B varchar(10))\r\nGO\r\nINSERT INTO T VALUES (1, 'Gr\xC3\xBC\xC3\x9F"
                              "e')\r\nGO 2\r\n");
    TMSSQLExec x;
    TRecorder rec;
    rec.Attach(x);
    x.LoadScript(plain);
    EXPECT_TRUE(rec.Logged("Script loaded: 3 statements")) << rec.AllErrors();
    ASSERT_EQ(x.Count(), 3);
    EXPECT_EQ(x.Statements(0).ObjName, "T");
    EXPECT_EQ(x.Statements(2).StatType, ST::stInsert);
    const std::u16string text = u"CREATE TABLE T (A int, B varchar(10))\r\nGO\r\nINSERT INTO T VALUES (1, 'Gr\u00FC\u00DFe')\r\nGO 2\r\n";
    for (const std::string& bytes : {Utf16(text, true), Utf16(text, false), "\xEF\xBB\xBF" + qeltest::ReadFile(plain)}) {
        const std::string file = dir.File("coded.sql");
        qeltest::WriteFile(file, bytes);
        TMSSQLExec y;
        y.LoadScript(file);
        EXPECT_EQ(Texts(y), Texts(x));
    }

    const std::string conn = qeltest::SQLiteString(dir.File("shop.db"));
    TQELConnection c;
    c.SetDatabaseType(TDatabaseType::dbCustomOLEDB);
    c.SetConnectionType(TconnectionType::cnADO);
    c.ConnectionOptions().DatabaseName = conn;
    x.SetQELConnection(&c);
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_EQ(qeltest::TInspector(conn, true).Value("SELECT COUNT(*) FROM T WHERE B = 'Gr\xC3\xBC\xC3\x9F" "e'"), "2");
}

// USE names the database the executor connects to next; CREATE DATABASE
// names it in the options the load gives back.
TEST(MSSQLExec, UseAndCreateDatabaseNameTheDatabase)
{
    TMSSQLExec x;
    TStringList lines;
    lines.SetText("CREATE DATABASE [Shop Data]\nGO\nUSE Shop -- the shop\nGO\nUSE [My]]Db];\nGO\n"
                  "SET QUOTED_IDENTIFIER ON\nGO\nUSE \"Other\"");
    x.ParseScript(lines);
    EXPECT_EQ(x.ConnectionOptions().DatabaseName, "Shop Data");
    ASSERT_EQ(x.Count(), 5);
    EXPECT_EQ(x.Statements(0).StatType, ST::stCreateDb);
    for (const auto& [i, name] : std::vector<std::pair<int, std::string>>{{1, "Shop"}, {2, "My]Db"}, {4, "Other"}}) {
        EXPECT_EQ(x.Statements(i).StatType, ST::stConnect);
        x.ParseConnectString(x.Statements(i).SQL.Text());
        EXPECT_EQ(x.ConnectionOptions().DatabaseName, name);
    }
}

// Lines of the command-line tool load as comment statements; a script that
// includes a file or uses a variable is refused before anything runs, with
// its line. Without either it goes on to the connection as ever.
TEST(MSSQLExec, SqlCmdLinesAndTheScriptsThatNeedTheTool)
{
    const struct {
        std::string Script;
        int Comments;
        std::string Line; // empty: not refused
    } cases[] = {
        {":setvar Db \"Shop\"\n:on error exit\nGO\nCREATE TABLE t (a int)\nGO\n!!dir\n", 3, ""},
        {":setvar Db \"Shop\"\nGO\nUSE [$(Db)]\nGO\n", 1, "3: USE [$(Db)]"},
        {"CREATE TABLE t (a int)\n  :R  post.sql\nPRINT 1\n", 1, "2: :R  post.sql"},
        {"PRINT '$(x) and $(y)'\n:r a.sql\n", 1, "1: PRINT '$(x) and $(y)'"},
        // Neither: a dollar sign alone, "$()" and a ":r" that is a longer word.
        {"PRINT '$ (x) $()'\n:reset\n", 1, ""},
    };
    for (const auto& c : cases) {
        TMSSQLExec x;
        TRecorder rec;
        rec.Attach(x);
        TStringList lines;
        lines.SetText(c.Script);
        x.ParseScript(lines);
        int comments = 0;
        for (int i = 0; i < x.Count(); ++i) comments += x.Statements(i).StatType == ST::stComment ? 1 : 0;
        EXPECT_EQ(comments, c.Comments) << c.Script;
        EXPECT_TRUE(x.Messages().Count() == 0) << c.Script;
        EXPECT_FALSE(x.Execute()) << c.Script;
        ASSERT_EQ(rec.Errors.size(), 1U) << c.Script;
        if (c.Line.empty())
            EXPECT_EQ(rec.Errors[0].find("sqlcmd"), std::string::npos) << rec.Errors[0];
        else
            EXPECT_EQ(rec.Errors[0], "The script needs the sqlcmd tool (line " + c.Line +
                                         "): a file it includes or a variable it uses would not be there. Nothing was run.");
    }
}

// GO n hands its batch on n times; the copies share the first run's text,
// so that memory follows the script, not the count.
TEST(MSSQLExec, GoCountStatementsShareOneText)
{
    TMSSQLExec x;
    TStringList lines;
    lines.SetText("PRINT 'one'\nPRINT 'two'\nGO 3\nPRINT 'three'\nGO\n");
    x.ParseScript(lines);
    ASSERT_EQ(x.Count(), 7);
    for (int round = 1; round < 3; ++round)
        for (int i = 0; i < 2; ++i) {
            const TStatement& first = x.Statements(i);
            const TStatement& copy = x.Statements(round * 2 + i);
            EXPECT_EQ(&copy.SQL.Lines(), &first.SQL.Lines());
            EXPECT_EQ(copy.ExactText(), first.ExactText());
            EXPECT_EQ(copy.LineCount, first.LineCount);
        }
    EXPECT_EQ(x.Statements(6).ExactText(), "PRINT 'three'");
    EXPECT_NE(&x.Statements(6).SQL.Lines(), &x.Statements(0).SQL.Lines());
    // A change of a copy leaves the others alone.
    x.Statements(2).SQL.Add("-- changed");
    EXPECT_EQ(x.Statements(4).ExactText(), "PRINT 'one'");
    EXPECT_EQ(x.Statements(0).SQL.Count(), 1);
}
