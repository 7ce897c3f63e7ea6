#include "qelMSSQLExec.h"

#include "qelExecTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

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
