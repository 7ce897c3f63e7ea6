// Running a list: against embedded Firebird, SQLite over ODBC and the test
// PostgreSQL server.
#include "qelSQL_Exec.h"

#include "qelDBOptions.h"
#include "qelIBSQLExec.h"
#include "qelMsg.h"
#include "qelSQL_ExecTestPrivate.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

using namespace qel;
using qeltest::TRecorder;

// ---- execution against embedded Firebird -----------------------------------

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

// A stop asked for during a run (the window closing) ends it before the
// next statement: what ran is committed and kept as run, the rest is left
// for a later run; outside a run a stop asks nothing of the next one.
TEST_F(FirebirdExecTest, StopEndsTheRunBeforeTheNextStatementAndKeepsWhatRan)
{
    x.Stop();
    for (int id = 1; id <= 5; ++id) Insert(id);
    x.OnAfterStatementExecute = [&](qel::TObject&, int Index) {
        if (Index == 1) x.Stop();
    };
    EXPECT_FALSE(x.Execute());
    EXPECT_EQ(rec.LogCount("< Exec SQL >: T: insert"), 2);
    EXPECT_TRUE(rec.Logged("< Update stopped: 3 statements not run; the statements run before are committed >"));
    EXPECT_FALSE(rec.Logged("< Script executed succesfully! >"));
    EXPECT_EQ(x.ErrorCount(), 0);
    EXPECT_FALSE(x.QELConnection()->GetConnected());
    EXPECT_EQ(Ids(), (std::vector<std::string>{"1", "2"}));

    x.OnAfterStatementExecute = nullptr;
    rec.Log.clear();
    EXPECT_TRUE(x.Execute());
    EXPECT_EQ(rec.LogCount("< Skipping statement >: T: insert"), 2);
    EXPECT_EQ(rec.LogCount("< Exec SQL >: T: insert"), 3);
    EXPECT_TRUE(rec.Logged("< Script executed succesfully! >"));
    EXPECT_EQ(Ids(), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
}

// As in isql: the DDL statement is committed in a transaction of its own,
// the data before it stays pending until the run's end commits it.
TEST_F(FirebirdExecTest, DDLLeavesTheDataStatementsBeforeItPending)
{
    Insert(1);
    x.AddStatement("CREATE TABLE U (ID INTEGER)", ST::stStatement, "U", OT::dboTable, OP::odbCreate);
    Insert(2);
    std::vector<std::string> seenAfterDDL;
    x.OnAfterStatementExecute = [&](TObject&, int i) {
        if (i == 1) seenAfterDDL = Ids();
    };
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_EQ(seenAfterDDL, std::vector<std::string>{});
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
