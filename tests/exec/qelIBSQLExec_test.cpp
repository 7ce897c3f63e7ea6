#include "qelIBSQLExec.h"

#include "qelDBOptions.h"
#include "qelDB_IBX.h"
#include "qelExecTestSupport.h"
#include "qelMsgMngr.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <ostream>
#include <random>

using namespace qel;
using qeltest::TRecorder;
using ST = TStatType;
using OT = TDbObject;
using OP = TDbOperation;

// ---- reading CONNECT and CREATE DATABASE texts -----------------------------

struct ConnectCase {
    std::string text;
    std::string database, user, password, role, host;
    int port;
    friend void PrintTo(const ConnectCase& c, std::ostream* os) { *os << c.text; }
};

class ParseConnectStringTest : public ::testing::TestWithParam<ConnectCase> {};

TEST_P(ParseConnectStringTest, FillsTheConnectionOptions)
{
    const ConnectCase& c = GetParam();
    TIBSQLExec x;
    TConnectionOptions& co = x.ConnectionOptions();
    co.DatabaseName = co.UserName = co.Password = co.RoleName = "old";
    co.HostName = "keep";
    x.ParseConnectString(c.text);
    EXPECT_EQ(co.DatabaseName, c.database);
    EXPECT_EQ(co.UserName, c.user);
    EXPECT_EQ(co.Password, c.password);
    EXPECT_EQ(co.RoleName, c.role);
    EXPECT_EQ(co.HostName, c.host);
    EXPECT_EQ(co.Port, c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseConnectStringTest,
    ::testing::Values(
        ConnectCase{"CONNECT 'db.fdb' USER 'SYSDBA' PASSWORD 'pw' ROLE 'R'", "db.fdb", "SYSDBA", "pw", "R", "keep", 0},
        ConnectCase{"connect 'db.fdb' user 'SYSDBA' password 'pw' role 'R'", "db.fdb", "SYSDBA", "pw", "R", "keep", 0},
        ConnectCase{"Connect '/data/db.fdb'\r\n", "/data/db.fdb", "", "", "", "keep", 0},
        // A value is what the word before it names; one without such a
        // word takes the next place of user, password, role.
        ConnectCase{"CONNECT 'db.fdb' PASSWORD 'pw'", "db.fdb", "", "pw", "", "keep", 0},
        ConnectCase{"CONNECT 'db.fdb' ROLE 'R' PASSWORD 'pw' USER 'U'", "db.fdb", "U", "pw", "R", "keep", 0},
        ConnectCase{"CONNECT 'db.fdb' 'U' 'pw' 'R'", "db.fdb", "U", "pw", "R", "keep", 0},
        ConnectCase{"CONNECT 'db.fdb' USER 'U' 'pw'", "db.fdb", "U", "pw", "", "keep", 0},
        ConnectCase{"CONNECT 'db.fdb' PASSWORD 'pw' 'R'", "db.fdb", "", "pw", "R", "keep", 0},
        // A word inside a comment names nothing.
        ConnectCase{"CONNECT 'db.fdb' 'U' -- no ROLE\r\n 'pw'", "db.fdb", "U", "pw", "", "keep", 0},
        ConnectCase{"CONNECT 'db.fdb' USER 'SYSDBA' PASSWORD 'it''s'", "db.fdb", "SYSDBA", "it's", "", "keep", 0},
        ConnectCase{"CONNECT 'srv:/data/db.fdb' USER 'U'", "/data/db.fdb", "U", "", "", "srv", 0},
        ConnectCase{"CONNECT 'srv/3051:C:\\data\\db.fdb'", "C:\\data\\db.fdb", "", "", "", "srv", 3051},
        ConnectCase{"CONNECT '\\\\srv\\share\\db.fdb'", "share\\db.fdb", "", "", "", "srv", 0},
        ConnectCase{"CONNECT 'inet://srv/db.fdb'", "inet://srv/db.fdb", "", "", "", "", 0},
        // Values without quotes, as isql takes them; CACHE names no login.
        ConnectCase{"connect 'db.fdb' user tmp$u1 password 'x';", "db.fdb", "tmp$u1", "x", "", "keep", 0},
        ConnectCase{"CONNECT db.fdb USER SYSDBA PASSWORD masterKey CACHE 100 ROLE r1", "db.fdb", "SYSDBA", "masterKey",
                    "r1", "keep", 0},
        // A name in double quotes keeps them: the server takes its case as
        // written. A password is only ever its text.
        ConnectCase{"CONNECT \"db.fdb\" USER \"low\" PASSWORD \"p\"\"w\" ROLE \"r\"", "db.fdb", "\"low\"", "p\"w",
                    "\"r\"", "keep", 0},
        // Doubled quotes in the name, as a written CONNECT doubles them.
        ConnectCase{"CONNECT '/data/o''b x.fdb' USER 'U'", "/data/o'b x.fdb", "U", "", "", "keep", 0},
        // Comments and line breaks anywhere between the words.
        ConnectCase{"connect /* c */ 'db.fdb' /* USER 'no' */ user -- ROLE 'no'\r\n 'U'\r\npassword\n/**/'pw'--",
                    "db.fdb", "U", "pw", "", "keep", 0},
        ConnectCase{"CONNECT -- 'no.fdb'\r\n'db.fdb'", "db.fdb", "", "", "", "keep", 0}));

TEST(ParseCreateDatabaseString, ReadsNameUserPasswordPageSizeAndCharacterSet)
{
    TIBSQLExec x;
    x.ConnectionOptions().UserName = "KEPT";
    x.ParseCreateDatabaseString("CREATE DATABASE '/tmp/n.fdb'\r\n PAGE_SIZE = 8192 DEFAULT CHARACTER SET win1252");
    EXPECT_EQ(x.ConnectionOptions().DatabaseName, "/tmp/n.fdb");
    EXPECT_EQ(x.ConnectionOptions().UserName, "KEPT");
    EXPECT_EQ(x.IBServerOptions().IBDatabaseOptions().PageSize, 8192);
    // The database's default; the connection's set is SET NAMES's alone.
    EXPECT_EQ(x.IBServerOptions().DefaultCharSet(), "WIN1252");
    EXPECT_EQ(x.IBServerOptions().DBCharSet(), "");
    x.ParseCreateDatabaseString("create schema 'h/3050:/d.fdb' user 'SYSDBA' password 'p''w' page_size 4096;");
    EXPECT_EQ(x.IBServerOptions().DefaultCharSet(), "NONE");
    EXPECT_EQ(x.ConnectionOptions().DatabaseName, "/d.fdb");
    EXPECT_EQ(x.ConnectionOptions().HostName, "h");
    EXPECT_EQ(x.ConnectionOptions().Port, 3050);
    EXPECT_EQ(x.ConnectionOptions().UserName, "SYSDBA");
    EXPECT_EQ(x.ConnectionOptions().Password, "p'w");
    EXPECT_EQ(x.IBServerOptions().IBDatabaseOptions().PageSize, 4096);
    // A comment is no part of any value.
    x.ParseCreateDatabaseString("create database /* c */ 'a.fdb' -- 'b.fdb'\r\n user /**/ 'U' page_size\n= 16384");
    EXPECT_EQ(x.ConnectionOptions().DatabaseName, "a.fdb");
    EXPECT_EQ(x.ConnectionOptions().UserName, "U");
    EXPECT_EQ(x.IBServerOptions().IBDatabaseOptions().PageSize, 16384);
}

// ---- description statements ------------------------------------------------

namespace {

// A description of each kind of object: the statement that stores it where the
// system tables are writable, the COMMENT ON where they are not, and the
// table and condition that find it in a database made by DescriptionTest.
struct DescRow {
    OT kind;
    std::string name, parent, update, comment, query;
    friend void PrintTo(const DescRow& c, std::ostream* os) { *os << c.name; }
};

std::string Upd(const std::string& Table, const std::string& Where)
{
    return "update " + Table + "\r\nset rdb$description = :DESCRIPTION" + (Where.empty() ? "" : "\r\nwhere " + Where);
}

const std::vector<DescRow> kDescRows = {
    {OT::dboTable, "TT", "", Upd("rdb$relations", "Rdb$relation_name = :TBLNAME"),
     "COMMENT ON TABLE \"TT\" IS 'it''s'", "RDB$RELATIONS WHERE RDB$RELATION_NAME = 'TT'"},
    {OT::dboView, "V", "", Upd("rdb$relations", "Rdb$relation_name = :TBLNAME"), "COMMENT ON VIEW \"V\" IS 'it''s'",
     "RDB$RELATIONS WHERE RDB$RELATION_NAME = 'V'"},
    {OT::dboProcedure, "P", "", Upd("rdb$procedures", "Rdb$procedure_name = :OBJNAME"),
     "COMMENT ON PROCEDURE \"P\" IS 'it''s'", "RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME = 'P'"},
    {OT::dboTrigger, "TR", "", Upd("rdb$triggers", "Rdb$trigger_name = :OBJNAME"),
     "COMMENT ON TRIGGER \"TR\" IS 'it''s'", "RDB$TRIGGERS WHERE RDB$TRIGGER_NAME = 'TR'"},
    {OT::dboFunction, "F", "", Upd("rdb$functions", "Rdb$function_name = :OBJNAME"),
     "COMMENT ON FUNCTION \"F\" IS 'it''s'", "RDB$FUNCTIONS WHERE RDB$FUNCTION_NAME = 'F'"},
    {OT::dboException, "EX", "", Upd("rdb$exceptions", "Rdb$exception_name = :OBJNAME"),
     "COMMENT ON EXCEPTION \"EX\" IS 'it''s'", "RDB$EXCEPTIONS WHERE RDB$EXCEPTION_NAME = 'EX'"},
    {OT::dboIndex, "IX", "", Upd("rdb$indices", "Rdb$index_name = :OBJNAME"), "COMMENT ON INDEX \"IX\" IS 'it''s'",
     "RDB$INDICES WHERE RDB$INDEX_NAME = 'IX'"},
    {OT::dboDomain, "D1", "", Upd("rdb$fields", "Rdb$field_name = :OBJNAME"), "COMMENT ON DOMAIN \"D1\" IS 'it''s'",
     "RDB$FIELDS WHERE RDB$FIELD_NAME = 'D1'"},
    {OT::dboGenerator, "G", "", Upd("Rdb$Generators", "Rdb$Generator_name = :OBJNAME"),
     "COMMENT ON GENERATOR \"G\" IS 'it''s'", "RDB$GENERATORS WHERE RDB$GENERATOR_NAME = 'G'"},
    {OT::dboField, "low", "TT",
     Upd("rdb$relation_fields", "Rdb$relation_name = :TBLNAME\r\nand Rdb$field_name = :FLDNAME"),
     "COMMENT ON COLUMN \"TT\".\"low\" IS 'it''s'",
     "RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = 'TT' AND RDB$FIELD_NAME = 'low'"},
    {OT::dboParam, "A", "P",
     Upd("rdb$procedure_parameters", "Rdb$procedure_name = :OBJNAME\r\nand Rdb$parameter_name = :FLDNAME"),
     "COMMENT ON PARAMETER \"P\".\"A\" IS 'it''s'",
     "RDB$PROCEDURE_PARAMETERS WHERE RDB$PROCEDURE_NAME = 'P' AND RDB$PARAMETER_NAME = 'A'"},
    {OT::dboDatabase, "DB", "", Upd("rdb$database", ""), "COMMENT ON DATABASE IS 'it''s'", "RDB$DATABASE"},
    {OT::dboRole, "R1", "", Upd("rdb$Roles", "Rdb$Role_name = :OBJNAME"), "COMMENT ON ROLE \"R1\" IS 'it''s'",
     "RDB$ROLES WHERE RDB$ROLE_NAME = 'R1'"},
    // Kinds without a description statement, and a name that needs quotes.
    {OT::dboCollation, "C", "", "", "", ""},
    {OT::dboPackage, "PK", "", "", "", ""},
    {OT::dboTable, "A\"B", "", Upd("rdb$relations", "Rdb$relation_name = :TBLNAME"),
     "COMMENT ON TABLE \"A\"\"B\" IS 'it''s'", ""},
};

// The stored description of a row's object.
std::string Stored(const DescRow& Row) { return "SELECT RDB$DESCRIPTION FROM " + Row.query; }

class DescriptionSQLTest : public ::testing::TestWithParam<DescRow> {};

TEST_P(DescriptionSQLTest, GivesTheUpdateOrTheComment)
{
    const DescRow& c = GetParam();
    TIBSQLExec x;
    TStatement* st = x.AddStatement("x", ST::stDescription, c.name, c.kind, OP::odbDescription, c.parent);
    st->Description = "it's";
    EXPECT_EQ(x.DescriptionSQL(*st, true), c.update);
    EXPECT_EQ(x.DescriptionSQL(*st, false), c.comment);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, DescriptionSQLTest, ::testing::ValuesIn(kDescRows));

TEST(DescriptionSQL, DialectOneWritesNamesAsTheyStand)
{
    TIBSQLExec x;
    x.IBServerOptions().SQLDialect = 1;
    TStatement* st = x.AddStatement("x", ST::stDescription, "NAME", OT::dboField, OP::odbDescription, "TAB");
    EXPECT_EQ(x.DescriptionSQL(*st, false), "COMMENT ON COLUMN TAB.NAME IS ''");
}

// ---- against embedded Firebird ---------------------------------------------

namespace {

class IBExecTest : public qeltest::TFirebirdExecFixture {
protected:
    IBExecTest() : TFirebirdExecFixture("a.fdb") {}

    bool NoPasswordLogged() const { return !rec.AnyLogContains("masterkey"); }
};

} // namespace

TEST_F(IBExecTest, ConnectAndDisconnectLogTheDatabase)
{
    x.ConnectionOptions().Assign(c.ConnectionOptions());
    // Only the connection and InterBase options travel to the connection.
    x.MSSQLServerOptions().DBCharSet = "FROM-EXECUTOR";
    c.MSSQLServerOptions().DBCharSet = "OWN";
    x.IBServerOptions().SetDBCharSet("UTF8");
    x.Connect();
    EXPECT_EQ(c.MSSQLServerOptions().DBCharSet, "OWN");
    EXPECT_TRUE(c.Connected()) << rec.AllErrors();
    x.Disconnect();
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(rec.Log, (std::vector<std::string>{"Connect: \"" + path + "\"", "Disconnect: \"" + path + "\""}));
    x.ConnectionOptions().DatabaseName = dir.File("none.fdb");
    x.Connect();
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(x.ErrorCount(), 1);
    EXPECT_TRUE(connectionErrors.empty());
}

TEST_F(IBExecTest, CreateDatabaseStatementCreatesAndOpensTheFile)
{
    const std::string made = dir.File("made.fdb");
    x.AddStatement("CREATE DATABASE '" + made + "' USER 'SYSDBA' PASSWORD 'masterkey'\r\nPAGE_SIZE 8192 DEFAULT "
                   "CHARACTER SET WIN1252",
                   ST::stCreateDb, made, OT::dboDatabase, OP::odbCreate);
    x.AddStatement("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOTE VARCHAR(20))", ST::stStatement, "T", OT::dboTable,
                   OP::odbCreate);
    Insert(7);
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    ASSERT_TRUE(std::filesystem::exists(made));
    EXPECT_EQ(Ids(made), std::vector<std::string>{"7"});
    EXPECT_TRUE(Ids(path).empty());
    qeltest::TInspector look(made);
    EXPECT_EQ(look.Value("SELECT TRIM(RDB$CHARACTER_SET_NAME) FROM RDB$DATABASE"), "WIN1252");
    EXPECT_EQ(look.Value("SELECT MON$PAGE_SIZE FROM MON$DATABASE"), "8192");
    EXPECT_TRUE(rec.Logged("< Exec SQL >: " + made + ": create"));
    EXPECT_TRUE(NoPasswordLogged());
    // The connection was not connected before the run and is not after it.
    EXPECT_FALSE(c.Connected());
}

TEST_F(IBExecTest, CreateDatabaseOverAnExistingFileFailsAndBreaks)
{
    x.AddStatement("CREATE DATABASE '" + path + "' USER 'SYSDBA' PASSWORD 'masterkey'", ST::stCreateDb);
    Insert(1);
    x.BreakOnError = true;
    EXPECT_FALSE(x.Execute());
    ASSERT_EQ(rec.Errors.size(), 1u);
    EXPECT_EQ(rec.Errors[0].rfind("Cann't create database.\r\n", 0), 0u) << rec.Errors[0];
    EXPECT_TRUE(rec.Logged("< Break on Error! >"));
    EXPECT_TRUE(Ids(path).empty());
    EXPECT_TRUE(rec.Logged("< Exec SQL >: CREATE DATABASE '" + path + "' USER 'SYSDBA' PASSWORD '***'"));
}

TEST_F(IBExecTest, ConnectStatementMovesTheRunToAnotherDatabase)
{
    const std::string other = NewDatabase("b.fdb");
    c.SetConnected(true);
    Insert(1);
    x.AddStatement("CONNECT '" + other + "' USER 'SYSDBA' PASSWORD 'masterkey'", ST::stConnect);
    Insert(2);
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_EQ(Ids(path), std::vector<std::string>{"1"});
    EXPECT_EQ(Ids(other), std::vector<std::string>{"2"});
    EXPECT_TRUE(rec.Logged("< Exec SQL >: CONNECT '" + other + "' USER 'SYSDBA' PASSWORD '***'"));
    EXPECT_TRUE(rec.Logged("Connect: \"" + other + "\""));
    EXPECT_TRUE(rec.Logged("Dialect: 3."));
    EXPECT_TRUE(NoPasswordLogged());
    EXPECT_EQ(c.ConnectionOptions().DatabaseName, other);
    EXPECT_TRUE(c.Connected());
}

TEST_F(IBExecTest, ConnectToAMissingDatabaseIsReported)
{
    Insert(1);
    x.AddStatement("CONNECT '" + dir.File("nothing.fdb") + "' USER 'SYSDBA' PASSWORD 'masterkey'", ST::stConnect);
    Insert(2);
    EXPECT_FALSE(x.Execute());
    EXPECT_EQ(x.ErrorCount(), 2) << rec.AllErrors(); // the CONNECT and the INSERT after it
    EXPECT_NE(x.Statements(1).ErrorText.find("nothing.fdb"), std::string::npos) << x.Statements(1).ErrorText;
    EXPECT_EQ(Ids(path), std::vector<std::string>{"1"});
    EXPECT_TRUE(connectionErrors.empty());
}

// A script's CONNECT runs with what the parser read of it, whatever its
// layout and the order of its keywords; a name read again from the text by
// position took the password for the user, or "CONNECT" and the line break
// for the database name.
struct ScriptConnectCase {
    const char* name;
    std::string connect; // DB stands for the database file
    bool inInput;        // the CONNECT is in a file the script INPUTs
    std::string user, password, role;
};

class ScriptConnectTest : public IBExecTest, public ::testing::WithParamInterface<ScriptConnectCase> {};

TEST_P(ScriptConnectTest, RunsOnTheDatabaseAndLoginTheParserRead)
{
    const ScriptConnectCase& k = GetParam();
    const std::string other = NewDatabase("b.fdb");
    std::string connect = k.connect;
    connect.replace(connect.find("DB"), 2, "'" + other + "'");
    std::string script = connect + ";\r\nINSERT INTO T (ID, NOTE) VALUES (2, 'n');\r\n";
    if (k.inInput) {
        qeltest::WriteFile(dir.File("connect.sql"), connect + ";\r\n");
        script = "INPUT '" + dir.File("connect.sql") + "';\r\nINSERT INTO T (ID, NOTE) VALUES (2, 'n');\r\n";
    }
    qeltest::WriteFile(dir.File("s.sql"), script);
    x.LoadScript(dir.File("s.sql"));
    ASSERT_EQ(x.ErrorCount(), 0) << rec.AllErrors();
    // What the load left in the options is not what the run takes.
    x.ConnectionOptions().UserName = x.ConnectionOptions().Password = x.ConnectionOptions().RoleName = "stale";
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_EQ(x.ConnectionOptions().DatabaseName, other);
    EXPECT_EQ(x.ConnectionOptions().UserName, k.user);
    EXPECT_EQ(x.ConnectionOptions().Password, k.password);
    EXPECT_EQ(x.ConnectionOptions().RoleName, k.role);
    EXPECT_EQ(Ids(other), std::vector<std::string>{"2"});
    EXPECT_TRUE(Ids(path).empty());
    EXPECT_TRUE(NoPasswordLogged());
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ScriptConnectTest,
    ::testing::Values(
        ScriptConnectCase{"Plain", "CONNECT DB USER 'SYSDBA' PASSWORD 'masterkey'", false, "SYSDBA", "masterkey", ""},
        ScriptConnectCase{"NameOnTheNextLine", "CONNECT\r\n  DB USER 'SYSDBA' PASSWORD 'masterkey'", false, "SYSDBA",
                          "masterkey", ""},
        ScriptConnectCase{"DatabaseWord", "connect database DB user 'SYSDBA' password 'masterkey'", false, "SYSDBA",
                          "masterkey", ""},
        ScriptConnectCase{"PasswordFirst", "CONNECT DB PASSWORD 'masterkey' USER 'SYSDBA'", false, "SYSDBA",
                          "masterkey", ""},
        ScriptConnectCase{"RoleFirstNoPassword", "CONNECT DB ROLE 'RDB$ADMIN' USER 'SYSDBA'", false, "SYSDBA", "",
                          "RDB$ADMIN"},
        ScriptConnectCase{"InAnInputFile", "CONNECT /* where */ DB PASSWORD 'masterkey' USER 'SYSDBA'", true, "SYSDBA",
                          "masterkey", ""}),
    [](const ::testing::TestParamInfo<ScriptConnectCase>& i) { return std::string(i.param.name); });

// What the parser read of a CONNECT holds for the text it read: a text
// changed when added or after the load connects as it now says.
TEST_F(IBExecTest, AChangedConnectTextRunsAsItNowReads)
{
    const std::string other = NewDatabase("b.fdb");
    const std::string now = "CONNECT '" + other + "' USER 'SYSDBA' PASSWORD 'masterkey'";
    qeltest::WriteFile(dir.File("s.sql"), "CONNECT '" + path + "' USER 'NOBODY' PASSWORD 'none';\r\n"
                                          "INSERT INTO T (ID, NOTE) VALUES (2, 'n');\r\n");
    for (const bool whenAdded : {true, false}) {
        SCOPED_TRACE(whenAdded ? "changed when added" : "changed after the load");
        x.Clear();
        x.OnStatementAdd = [&](TStatement& St, bool&) {
            if (whenAdded && St.StatType == ST::stConnect) St.SQL.SetText(now);
        };
        x.LoadScript(dir.File("s.sql"));
        ASSERT_EQ(x.Count(), 2) << rec.AllErrors();
        if (!whenAdded) x.Statements(0).SQL.SetText(now);
        EXPECT_TRUE(x.Execute()) << rec.AllErrors();
        EXPECT_EQ(x.ConnectionOptions().DatabaseName, other);
        EXPECT_EQ(x.ConnectionOptions().UserName, "SYSDBA");
        EXPECT_EQ(Ids(other), std::vector<std::string>{"2"});
        qeltest::TInspector(other).Run("DELETE FROM T");
    }
    EXPECT_TRUE(Ids(path).empty());
}

// A DESCRIBE read from an INPUT file keeps its text like one of the script
// itself; without it the run stored an empty description.
TEST_F(IBExecTest, DescribeInAnInputFileStoresItsText)
{
    qeltest::WriteFile(dir.File("d.sql"), "DESCRIBE TABLE T 'from the input file';\r\n");
    qeltest::WriteFile(dir.File("s.sql"), "DESCRIBE FIELD ID TABLE T 'in the script';\r\nINPUT '" + dir.File("d.sql") +
                                              "';\r\n");
    x.LoadScript(dir.File("s.sql"));
    ASSERT_EQ(x.Count(), 2) << rec.AllErrors();
    EXPECT_EQ(x.Statements(0).Description, "in the script");
    EXPECT_EQ(x.Statements(1).Description, "from the input file");
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    qeltest::TInspector look(path);
    EXPECT_EQ(look.Value("SELECT RDB$DESCRIPTION FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'T'"),
              "from the input file");
    EXPECT_EQ(look.Value("SELECT RDB$DESCRIPTION FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = 'T' AND "
                         "RDB$FIELD_NAME = 'ID'"),
              "in the script");
}

TEST_F(IBExecTest, ReconnectKeepsWhatRanBeforeIt)
{
    Insert(1);
    x.AddStatement("RECONNECT", ST::stReconnect);
    Insert(2);
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_TRUE(rec.Logged("ReConnect..."));
    EXPECT_EQ(Ids(path), (std::vector<std::string>{"1", "2"}));
}

TEST_F(IBExecTest, SetNamesTakesEffectBeforeTheNextStatement)
{
    const std::string latin = NewDatabase("w.fdb", "WIN1252");
    c.ConnectionOptions().DatabaseName = latin;
    c.IBServerOptions().SetDBCharSet("");
    x.AddStatement("SET NAMES win1252", ST::stSetNames, "win1252", OT::dboUnknown, OP::odbSet);
    Insert(1, "caf\xE9");
    std::string charSetBeforeInsert;
    x.OnBeforeStatementExecute = [&](TObject&, int i) {
        if (i == 1) charSetBeforeInsert = x.IBServerOptions().DBCharSet();
    };
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_EQ(charSetBeforeInsert, "WIN1252");
    auto* db = dynamic_cast<TQELIBXDatabase*>(c.Database());
    ASSERT_NE(db, nullptr);
    // The first attach already used WIN1252: nothing had to be aligned.
    EXPECT_EQ(db->ConnectAttempts(), 1);
    // Four characters in the database's own character set, read through
    // the inspector's UTF8.
    qeltest::TInspector look(latin);
    EXPECT_EQ(look.Value("SELECT NOTE FROM T"), "caf\xC3\xA9");
    EXPECT_EQ(look.Value("SELECT CHAR_LENGTH(NOTE) FROM T"), "4");
    EXPECT_FALSE(rec.AnyLogContains("SET NAMES")); // nothing is sent for it

    // The text alone is enough.
    TIBSQLExec y;
    y.AddStatement("SET NAMES ISO8859_1;", ST::stSetNames);
    y.ExecuteStatement(y.Statements(0));
    EXPECT_EQ(y.IBServerOptions().DBCharSet(), "ISO8859_1");
    y.AddStatement("SET /* NAMES UTF8 */ NAMES -- UTF8\r\n WIN1250;", ST::stSetNames);
    y.ExecuteStatement(y.Statements(1));
    EXPECT_EQ(y.IBServerOptions().DBCharSet(), "WIN1250");
}

namespace {

class DescriptionTest : public IBExecTest {
protected:
    void SetUp() override
    {
        IBExecTest::SetUp();
        qeltest::TInspector db(path);
        for (const char* ddl : {"CREATE DOMAIN D1 AS INTEGER", "CREATE TABLE TT (ID D1, \"low\" INTEGER)",
                                "CREATE VIEW V AS SELECT ID FROM TT", "CREATE INDEX IX ON TT (ID)",
                                "CREATE EXCEPTION EX 'boom'", "CREATE GENERATOR G", "CREATE ROLE R1",
                                "CREATE PROCEDURE P (A INTEGER) RETURNS (B INTEGER) AS BEGIN B = A; SUSPEND; END",
                                "CREATE FUNCTION F (A INTEGER) RETURNS INTEGER AS BEGIN RETURN A; END",
                                "CREATE TRIGGER TR FOR TT BEFORE INSERT AS BEGIN END"})
            db.Run(ddl);
    }

    TStatement* Describe(const DescRow& k, const std::string& text, const std::string& sql = "-- by the executor")
    {
        TStatement* st = x.AddStatement(sql, ST::stDescription, k.name, k.kind, OP::odbDescription, k.parent);
        st->Description = text;
        return st;
    }
};

} // namespace

TEST_F(DescriptionTest, EveryKindIsStoredInItsSystemTable)
{
    std::vector<DescRow> kinds;
    std::copy_if(kDescRows.begin(), kDescRows.end(), std::back_inserter(kinds), [](auto& k) { return !k.query.empty(); });
    for (const DescRow& k : kinds) Describe(k, "about " + k.name + " (it's)\r\nsecond line");
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_EQ(rec.LogCount("<Update Description>"), static_cast<int>(kinds.size()));
    qeltest::TInspector look(path);
    for (const DescRow& k : kinds) EXPECT_EQ(look.Value(Stored(k)), "about " + k.name + " (it's)\r\nsecond line");
}

TEST_F(DescriptionTest, CommentModeRunsTheStatementsOwnText)
{
    x.IBServerOptions().IBCompareOptions().UpdateDescriptionMode = TUpdateDescriptionType::udComment;
    x.LogFullSQL = true;
    Describe(kDescRows[0], "ignored", "COMMENT ON TABLE TT IS\r\n'from the text'");
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_EQ(qeltest::TInspector(path).Value(Stored(kDescRows[0])), "from the text");
    EXPECT_TRUE(rec.Logged("< Update Description >:"));
    EXPECT_TRUE(rec.Logged("COMMENT ON TABLE TT IS\r\n'from the text'"));
}

TEST_F(DescriptionTest, RefusedSystemTableUpdateIsReportedAndUndoneAlone)
{
    c.SetConnected(true);
    // As on a server whose system tables take updates.
    c.IBServerOptions().IBDatabaseOptions().ODSMajorVersion = 11;
    Insert(1);
    Describe(kDescRows[0], "never stored");
    Insert(2);
    EXPECT_FALSE(x.Execute());
    EXPECT_EQ(x.ErrorCount(), 1);
    EXPECT_NE(x.Statements(1).ErrorText.find("UPDATE operation is not allowed for system table RDB$RELATIONS"),
              std::string::npos)
        << x.Statements(1).ErrorText;
    EXPECT_EQ(Ids(path), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(qeltest::TInspector(path).Value(Stored(kDescRows[0])), "<null>");
}

TEST_F(DescriptionTest, KindWithoutAnUpdateIsAnError)
{
    Describe({OT::dboCollation, "UNICODE", "", "", "", ""}, "x");
    EXPECT_FALSE(x.Execute());
    EXPECT_EQ(rec.Errors, std::vector<std::string>{"No description update for UNICODE."});
}

TEST_F(IBExecTest, SingleStatementRunsAndCommitsOnItsOwn)
{
    c.SetConnected(true);
    TStatement* ddl = x.AddStatement("CREATE TABLE S (ID INTEGER)", ST::stStatement, "S", OT::dboTable, OP::odbCreate);
    TStatement* bad = x.AddStatement("CREATE TABLE S (ID INTEGER)", ST::stStatement, "S", OT::dboTable, OP::odbCreate);
    TStatement* note = x.AddComment("/* nothing to run */");
    TStatement* ins = Insert(5);
    x.ExecSingleStatement(*ddl);
    x.ExecSingleStatement(*bad);
    x.ExecSingleStatement(*note);
    x.ExecSingleStatement(*ins);
    EXPECT_TRUE(ddl->Executed);
    EXPECT_FALSE(bad->Executed);
    EXPECT_NE(bad->ErrorText, "");
    EXPECT_FALSE(note->Executed);
    EXPECT_TRUE(ins->Executed);
    EXPECT_EQ(x.ErrorCount(), 1);
    EXPECT_EQ(rec.LogCount("< Exec SQL >: S: create"), 2);
    EXPECT_EQ(Ids(path), std::vector<std::string>{"5"});
    EXPECT_EQ(qeltest::TInspector(path).Value("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'S'"), "1");
    EXPECT_EQ(x.Query(), nullptr);
    // The written script leaves out what already ran.
    TStringList lines;
    x.WriteScript(lines, false);
    EXPECT_EQ(lines.Text(), "CREATE TABLE S (ID INTEGER);\r\n\r\n/* nothing to run */\r\n");
}

// ---- against the Firebird server -------------------------------------------

TEST_F(IBExecTest, CreateAndConnectOnAServerHost)
{
    qeltest::TServerConfig server;
    if (const std::string why = server.Unusable(); !why.empty()) QEL_SKIP_OR_FAIL(why);
    const std::string remote = server.NewDatabaseName("exec");
    const std::string file = server.FileOf(remote);
    struct TRemove {
        std::string f;
        ~TRemove() { std::filesystem::remove(f); }
    } cleanup{file};
    const std::string login = " USER '" + server.User + "' PASSWORD '" + server.Password + "'";

    c.SetConnected(true); // an embedded database first
    Insert(1);
    x.AddStatement("CREATE DATABASE '" + remote + "'" + login, ST::stCreateDb);
    x.AddStatement("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOTE VARCHAR(20))", ST::stStatement, "T", OT::dboTable,
                   OP::odbCreate);
    Insert(2);
    x.AddStatement("CONNECT '" + remote + "'" + login, ST::stConnect);
    Insert(4);
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_EQ(c.ConnectionOptions().HostName, server.Host);
    EXPECT_EQ(c.ConnectionOptions().DatabaseName, file);
    EXPECT_EQ(c.IBServerOptions().IBDatabaseOptions().ServerVersionText.find("Firebird") != std::string::npos, true);
    c.SetConnected(false);
    EXPECT_EQ(Ids(path), std::vector<std::string>{"1"});

    qeltest::TInspector tcp([&](TQELConnection& t) { qeltest::ConfigureFirebirdServer(t, server, file); });
    EXPECT_EQ(tcp.Value("SELECT LIST(ID) FROM T"), "2,4");
    EXPECT_FALSE(rec.AnyLogContains(server.Password));
}

// ---- loading isql scripts --------------------------------------------------

namespace {

const std::string kExamples = "/usr/share/doc/firebird3.0-common-doc/examples/";

// Runs in a folder of its own, since the sample scripts create their
// databases by relative names.
class ScriptLoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        old = std::filesystem::current_path();
        std::filesystem::current_path(dir.Path());
        qeltest::ConfigureFirebird(c, dir.File("none.fdb"));
        x.SetQELConnection(&c);
        x.ConnectionOptions().Assign(c.ConnectionOptions());
        x.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
        rec.Attach(x);
    }
    void TearDown() override { std::filesystem::current_path(old); }

    // The loaded script's statements of one kind.
    int Count(ST Type, OT Object = OT::dboUnknown, OP Operation = OP::odbUnknown) const
    {
        int n = 0;
        for (int i = 0; i < x.Count(); ++i) {
            const TStatement& st = x.Statements(i);
            n += st.StatType == Type && (Object == OT::dboUnknown || st.ObjType == Object) &&
                 (Operation == OP::odbUnknown || st.Operation == Operation);
        }
        return n;
    }

    qeltest::TempDir dir;
    std::filesystem::path old;
    TQELConnection c;
    TIBSQLExec x;
    TRecorder rec;
};

} // namespace

TEST_F(ScriptLoadTest, EmployeeScriptBuildsTheSampleDatabase)
{
    if (!std::filesystem::exists(kExamples + "employee.sql.gz")) QEL_SKIP_OR_FAIL("firebird3.0-examples is missing");
    ASSERT_EQ(std::system(("gzip -dc " + kExamples + "employee.sql.gz > employee.sql").c_str()), 0);
    x.IBServerOptions().SQLDialect = 1;
    x.LoadScript("employee.sql");
    EXPECT_EQ(x.Count(), 415);
    EXPECT_EQ(x.Messages().Count(), 0);
    EXPECT_TRUE(rec.Logged("Loading script...") && rec.Logged("Script loaded."));
    // The script's dialect and database came back; nothing else did.
    EXPECT_EQ(x.IBServerOptions().SQLDialect, 3);
    EXPECT_EQ(x.ConnectionOptions().DatabaseName, "employee.fdb");
    EXPECT_EQ(x.ConnectionOptions().UserName, "SYSDBA");
    EXPECT_EQ(Count(ST::stInsert), 216);
    EXPECT_EQ(Count(ST::stUpdate), 65);
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_TRUE(rec.Logged("< Script executed succesfully! >"));
    c.SetConnected(false);

    qeltest::TInspector db(dir.File("employee.fdb"));
    const auto count = [&](const std::string& From) { return db.Value("SELECT COUNT(*) FROM " + From); };
    EXPECT_EQ(count("RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 AND RDB$VIEW_BLR IS NULL"), "10");
    EXPECT_EQ(count("RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 AND RDB$VIEW_BLR IS NOT NULL"), "1");
    EXPECT_EQ(count("RDB$PROCEDURES"), "10");
    EXPECT_EQ(count("RDB$TRIGGERS WHERE RDB$SYSTEM_FLAG = 0 AND RDB$TRIGGER_INACTIVE = 0"), "4");
    EXPECT_EQ(count("RDB$FIELDS WHERE RDB$FIELD_NAME NOT STARTING 'RDB$' AND RDB$SYSTEM_FLAG = 0"), "15");
    EXPECT_EQ(db.Value("SELECT GEN_ID(EMP_NO_GEN, 0) || ',' || GEN_ID(CUST_NO_GEN, 0) FROM RDB$DATABASE"), "145,1015");
    EXPECT_EQ(count("RDB$EXCEPTIONS"), "5");
    EXPECT_EQ(count("RDB$INDICES WHERE RDB$SYSTEM_FLAG = 0 AND RDB$INDEX_NAME NOT STARTING 'RDB$' AND "
                    "RDB$INDEX_INACTIVE = 0"),
              "12");
    const auto constraints = [&](const std::string& Kind) {
        return count("RDB$RELATION_CONSTRAINTS WHERE RDB$CONSTRAINT_TYPE = '" + Kind +
                     "' AND RDB$RELATION_NAME NOT STARTING 'RDB$' AND RDB$RELATION_NAME NOT STARTING 'MON$' "
                     "AND RDB$RELATION_NAME NOT STARTING 'SEC$'");
    };
    EXPECT_EQ(constraints("PRIMARY KEY"), "10");
    EXPECT_EQ(constraints("FOREIGN KEY"), "14");
    EXPECT_EQ(constraints("UNIQUE"), "2");
    EXPECT_EQ(constraints("CHECK"), "14");
    EXPECT_EQ(count("RDB$USER_PRIVILEGES WHERE RDB$USER = 'PUBLIC' AND RDB$GRANT_OPTION = 1"), "65");
    EXPECT_EQ(db.Value("SELECT MON$SQL_DIALECT FROM MON$DATABASE"), "3");
    const std::pair<const char*, const char*> rows[] = {
        {"COUNTRY", "16"}, {"JOB", "31"},     {"DEPARTMENT", "21"},       {"EMPLOYEE", "42"},     {"PROJECT", "6"},
        {"EMPLOYEE_PROJECT", "28"}, {"PROJ_DEPT_BUDGET", "24"}, {"SALARY_HISTORY", "49"}, {"CUSTOMER", "15"},
        {"SALES", "33"}};
    for (const auto& [table, n] : rows) EXPECT_EQ(count(table), n) << table;
}

TEST_F(ScriptLoadTest, PackageSampleIncludesItsFilesAndRuns)
{
    if (!std::filesystem::exists(kExamples + "package")) QEL_SKIP_OR_FAIL("firebird3.0-examples is missing");
    for (const char* f : {"fbout-test.sql", "fbout-header.sql", "fbout-body.sql"})
        std::filesystem::copy_file(kExamples + "package/" + f, dir.File(f));
    x.LoadScript(dir.File("fbout-test.sql"));
    EXPECT_EQ(x.Count(), 14);
    EXPECT_EQ(x.Messages().Count(), 0);
    EXPECT_EQ(x.IBServerOptions().DBCharSet(), "UTF8");
    // No SET SQL DIALECT: the executor's own stays.
    EXPECT_EQ(x.IBServerOptions().SQLDialect, 3);
    // An EXECUTE BLOCK runs as well.
    x.AddStatement("EXECUTE BLOCK AS BEGIN EXECUTE STATEMENT 'CREATE SEQUENCE BLOCK_SEQ'; END", ST::stExecuteBlock);
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    c.SetConnected(false);

    qeltest::TInspector db(dir.File("test.fdb"));
    EXPECT_EQ(db.Value("SELECT COUNT(*) FROM RDB$PACKAGES WHERE RDB$SYSTEM_FLAG = 0"), "1");
    EXPECT_EQ(db.Value("SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PACKAGE_NAME IS NULL AND RDB$SYSTEM_FLAG = 0"), "1");
    EXPECT_EQ(db.Value("SELECT COUNT(*) FROM RDB$GENERATORS WHERE RDB$SYSTEM_FLAG = 0"), "2");
    EXPECT_EQ(db.Value("SELECT COUNT(*) FROM RDB$FIELDS WHERE RDB$FIELD_NAME = 'FB$OUT_TYPE'"), "1");
    EXPECT_EQ(db.Value("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_TYPE IN (4, 5)"), "1");
    EXPECT_EQ(db.Value("SELECT COUNT(*) FROM RDB$USER_PRIVILEGES WHERE RDB$USER <> 'SYSDBA' AND "
                       "RDB$RELATION_NAME NOT STARTING 'RDB$' AND RDB$RELATION_NAME NOT STARTING 'MON$' AND "
                       "RDB$RELATION_NAME NOT STARTING 'SEC$'"),
              "7");
}

TEST_F(ScriptLoadTest, ConnectOfTheScriptReachesTheExecutor)
{
    qeltest::WriteFile(dir.File("c.sql"), "CONNECT 'other.fdb' USER 'U' PASSWORD 'P';\nSET NAMES WIN1252;\n"
                                          "EXECUTE BLOCK AS BEGIN END;\n");
    x.IBServerOptions().SQLDialect = 3;
    x.LoadScript(dir.File("c.sql"));
    EXPECT_EQ(x.ConnectionOptions().DatabaseName, "other.fdb");
    EXPECT_EQ(x.ConnectionOptions().UserName, "U");
    EXPECT_EQ(x.ConnectionOptions().Password, "P");
    EXPECT_EQ(x.IBServerOptions().DBCharSet(), "WIN1252");
    EXPECT_EQ(x.IBServerOptions().SQLDialect, 3);
    ASSERT_EQ(x.Count(), 3);
    EXPECT_EQ(x.Statements(2).StatType, ST::stExecuteBlock);
}

// A SELECT of a script runs as isql-fb runs it: every row is read, so that a
// selectable procedure does all its work, and the database is the one
// isql-fb builds from the same script.
TEST_F(ScriptLoadTest, SelectOfASelectableProcedureBuildsWhatIsqlBuilds)
{
    if (std::system("command -v isql-fb >/dev/null 2>&1") != 0) QEL_SKIP_OR_FAIL("isql-fb is not installed");
    const std::string script =
        "CREATE DATABASE 'sel.fdb' USER 'SYSDBA' PASSWORD 'masterkey';\n"
        "CREATE TABLE FILLED (N INTEGER);\n"
        "SET TERM ^ ;\n"
        "CREATE PROCEDURE FILL (K INTEGER) RETURNS (N INTEGER) AS\n"
        "BEGIN\n  N = 0;\n  WHILE (N < K) DO BEGIN\n    N = N + 1;\n    INSERT INTO FILLED VALUES (:N);\n"
        "    SUSPEND;\n  END\n  EXECUTE STATEMENT 'CREATE SEQUENCE MADE_BY_SELECT';\nEND^\n"
        "SET TERM ; ^\nCOMMIT;\n"
        "SELECT N FROM FILL(4);\nSELECT COUNT(*) FROM FILLED;\nINSERT INTO FILLED VALUES (100);\n";
    qeltest::WriteFile(dir.File("sel.sql"), script);
    x.LoadScript(dir.File("sel.sql"));
    ASSERT_EQ(x.Messages().Count(), 0);
    ASSERT_EQ(Count(ST::stSelect), 2);
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    c.SetConnected(false);

    qeltest::TempDir isqlDir;
    qeltest::WriteFile(isqlDir.File("sel.sql"), script);
    ASSERT_EQ(std::system(("cd '" + isqlDir.Path().string() + "' && isql-fb -q -i sel.sql >isql.out 2>&1").c_str()), 0)
        << qeltest::ReadFile(isqlDir.File("isql.out"));
    const std::string facts = "SELECT (SELECT LIST(N, ',') FROM (SELECT N FROM FILLED ORDER BY N)) || '|' || "
                              "(SELECT COUNT(*) FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = 'MADE_BY_SELECT') "
                              "FROM RDB$DATABASE";
    std::string ours, theirs;
    {
        qeltest::TInspector db(dir.File("sel.fdb"));
        ours = db.Value(facts);
    }
    {
        qeltest::TInspector db(isqlDir.File("sel.fdb"));
        theirs = db.Value(facts);
    }
    EXPECT_EQ(ours, "1,2,3,4,100|1");
    EXPECT_EQ(ours, theirs);
}

// A script is read in the executor's dialect until it sets one: dialect 3
// unless the executor is set otherwise, as isql-fb reads it.
TEST_F(ScriptLoadTest, ScriptIsReadInTheExecutorsDialect)
{
    const struct {
        int ExecutorDialect;
        const char* Script;
        int Messages;
        int DialectAfter;
    } rows[] = {
        {3, "CREATE TABLE \"Mixed Case\" (\"Id\" INTEGER, \"Select\" VARCHAR(5));\n", 0, 3},
        {1, "CREATE TABLE \"Mixed Case\" (\"Id\" INTEGER);\n", 1, 1},
        {1, "SET SQL DIALECT 3;\nCREATE TABLE \"Mixed Case\" (\"Id\" INTEGER);\n", 0, 3},
        {3, "SET SQL DIALECT 1;\nCREATE TABLE T (A VARCHAR(5) DEFAULT \"x\");\n", 0, 1},
    };
    for (const auto& r : rows) {
        x.IBServerOptions().SQLDialect = static_cast<TIBSQLDialectType>(r.ExecutorDialect);
        qeltest::WriteFile(dir.File("d.sql"), r.Script);
        x.LoadScript(dir.File("d.sql"));
        EXPECT_EQ(x.Messages().Count(), r.Messages) << r.Script;
        EXPECT_EQ(x.IBServerOptions().SQLDialect, r.DialectAfter) << r.Script;
        EXPECT_EQ(x.Count(), r.Script[0] == 'S' ? 2 : 1) << r.Script;
    }
}

// ---- as isql-fb runs the same script ---------------------------------------

namespace {

// A log of the attachments of a database: each ON CONNECT with the
// attachment's character set, each ON DISCONNECT.
void AddAttachmentLog(const std::string& File)
{
    qeltest::TInspector db(File);
    db.Run("CREATE SEQUENCE LOG_NO");
    db.Run("CREATE TABLE LOG_ (N INTEGER, EV VARCHAR(40))");
    db.Run("CREATE TRIGGER ON_C ON CONNECT AS BEGIN INSERT INTO LOG_ SELECT NEXT VALUE FOR LOG_NO, 'C ' || "
           "TRIM(S.RDB$CHARACTER_SET_NAME) FROM MON$ATTACHMENTS A JOIN RDB$CHARACTER_SETS S ON "
           "S.RDB$CHARACTER_SET_ID = A.MON$CHARACTER_SET_ID WHERE A.MON$ATTACHMENT_ID = CURRENT_CONNECTION; END");
    db.Run("CREATE TRIGGER ON_D ON DISCONNECT AS BEGIN INSERT INTO LOG_ VALUES (NEXT VALUE FOR LOG_NO, 'D'); END");
}

std::vector<std::string> AttachmentLog(const std::string& File)
{
    return qeltest::TInspector(File).Column("SELECT EV FROM LOG_ ORDER BY N");
}

// Runs Script with isql-fb in Dir, as a user runs it: no database named on
// the command line. Answers what isql-fb wrote.
std::string RunIsqlIn(const qeltest::TempDir& Dir, const std::string& Script)
{
    qeltest::WriteFile(Dir.File("isql.sql"), Script);
    std::system(("cd '" + Dir.Path().string() + "' && isql-fb -q -i isql.sql >isql.out 2>&1").c_str());
    return qeltest::ReadFile(Dir.File("isql.out"));
}

} // namespace

// Each attachment fires the database's ON CONNECT and ON DISCONNECT
// triggers: the run attaches as often as isql-fb, with the character set it
// uses, SET NAMES or none.
TEST_F(ScriptLoadTest, AttachesAsOftenAndAsIsqlDoes)
{
    if (std::system("command -v isql-fb >/dev/null 2>&1") != 0) QEL_SKIP_OR_FAIL("isql-fb is not installed");
    const std::string login = " USER 'SYSDBA' PASSWORD 'masterkey';\n";
    const std::string scripts[] = {
        "CONNECT 'trg.fdb'" + login + "INSERT INTO T VALUES (1);\nCOMMIT;\n",
        "SET NAMES UTF8;\nCONNECT 'trg.fdb' USER SYSDBA PASSWORD masterkey;\nINSERT INTO T VALUES (2);\n",
        "CONNECT 'trg.fdb'" + login + "INSERT INTO T VALUES (3);\nCOMMIT;\nCONNECT 'trg.fdb'" + login +
            "INSERT INTO T VALUES (4);\n",
    };
    for (const std::string& script : scripts) {
        SCOPED_TRACE(script);
        qeltest::TempDir isqlDir;
        for (const std::string& file : {isqlDir.File("trg.fdb"), dir.File("trg.fdb")}) {
            std::filesystem::remove(file);
            qeltest::CreateFirebird(file, "WIN1252");
            qeltest::TInspector(file).Run("CREATE TABLE T (ID INTEGER)");
            AddAttachmentLog(file);
        }
        const std::string out = RunIsqlIn(isqlDir, script);
        EXPECT_EQ(out.find("Statement failed"), std::string::npos) << out;
        qeltest::WriteFile(dir.File("trg.sql"), script);
        TIBSQLExec run;
        run.SetQELConnection(&c);
        run.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
        run.LoadScript(dir.File("trg.sql"));
        EXPECT_TRUE(run.Execute());
        const auto ours = AttachmentLog(dir.File("trg.fdb"));
        EXPECT_EQ(ours, AttachmentLog(isqlDir.File("trg.fdb")));
        // The setting up's own disconnect, then one a CONNECT.
        EXPECT_EQ(std::count(ours.begin(), ours.end(), "D"), script.find("(4)") != std::string::npos ? 3 : 2);
    }
}

// The longest literal Firebird takes (65,533 bytes) and the longest VARCHAR
// were read with a negative length: a crash, or a refused allocation.
TEST_F(IBExecTest, LongestLiteralsAndTextsRunInAScript)
{
    const std::string longest(65533, 'x'), long40k(40000, 'y'), varchar(32765, 'v');
    qeltest::WriteFile(dir.File("long.sql"),
                       "SELECT '" + longest + "' FROM RDB$DATABASE;\nSELECT '" + long40k + "' FROM RDB$DATABASE;\n"
                       "CREATE TABLE V (S VARCHAR(32765) CHARACTER SET NONE);\n"
                       "CREATE TABLE U (U VARCHAR(8191) CHARACTER SET UTF8);\n"
                       "INSERT INTO V VALUES ('" + varchar + "');\nINSERT INTO U VALUES ('" + std::string(8191, 'u') +
                       "');\nSELECT S, U FROM V, U;\nINSERT INTO T (ID, NOTE) VALUES (5, 'n');\n");
    x.LoadScript(dir.File("long.sql"));
    ASSERT_EQ(x.Messages().Count(), 0);
    EXPECT_TRUE(x.Execute()) << rec.AllErrors();
    EXPECT_EQ(Ids(), std::vector<std::string>{"5"});
    EXPECT_EQ(qeltest::TInspector(path).Value("SELECT OCTET_LENGTH(S) || '/' || CHAR_LENGTH(U) FROM V, U"), "32765/8191");
}

// ---- logins and databases as isql-fb reads them, on the Firebird server -----

namespace {

// Two copies of a server database for each run of a script (one for isql-fb,
// one for the executor), users made for the test and dropped after it.
class IsqlLoginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const std::string why = server.Unusable(); !why.empty()) QEL_SKIP_OR_FAIL(why);
        if (std::system("command -v isql-fb >/dev/null 2>&1") != 0) QEL_SKIP_OR_FAIL("isql-fb is not installed");
        const std::string unique = std::to_string(::getpid()) + "_" + std::to_string(std::random_device()() % 100000);
        plainUser = "VLM_P" + unique;
        lowerUser = "vlm_l" + unique;
        qeltest::TInspector admin([&](TQELConnection& t) { qeltest::ConfigureFirebirdServer(t, server, NewCopy()); });
        admin.Run("CREATE USER " + plainUser + " PASSWORD 'pw1'");
        usersMade.push_back(plainUser);
        admin.Run("CREATE USER \"" + lowerUser + "\" PASSWORD 'pw2'");
        usersMade.push_back("\"" + lowerUser + "\"");
    }

    void TearDown() override
    {
        if (!usersMade.empty()) {
            qeltest::TInspector admin([&](TQELConnection& t) { qeltest::ConfigureFirebirdServer(t, server, NewCopy()); });
            for (const std::string& u : usersMade) admin.Run("DROP USER " + u);
        }
        for (const std::string& f : files) std::filesystem::remove(f);
    }

    // A new database on the server in which the test's users may create
    // tables; its file name.
    std::string NewCopy()
    {
        const std::string file = server.FileOf(server.NewDatabaseName("i36login"));
        files.push_back(file);
        TQELConnection maker;
        qeltest::ConfigureFirebirdServer(maker, server, file);
        if (!qeltest::CreateDatabase(maker, "UTF8")) return file;
        qeltest::TInspector db([&](TQELConnection& t) { qeltest::ConfigureFirebirdServer(t, server, file); });
        for (const std::string& u : usersMade) db.Run("GRANT CREATE TABLE TO USER " + u);
        return file;
    }

    // What a run left: "owner:table" for each table of Db, and the same for
    // the database the script creates ("-" when it was not created).
    std::string Outcome(const std::string& Db, const std::string& Created)
    {
        std::string r;
        for (const std::string& file : {Db, Created}) {
            if (!std::filesystem::exists(file)) {
                r += "-|";
                continue;
            }
            qeltest::TInspector db([&](TQELConnection& t) { qeltest::ConfigureFirebirdServer(t, server, file); });
            r += db.Value("SELECT COALESCE(LIST(O, ','), '') FROM (SELECT TRIM(RDB$OWNER_NAME) || ':' || "
                          "TRIM(RDB$RELATION_NAME) AS O FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 AND "
                          "RDB$RELATION_NAME <> 'T0' ORDER BY 1)") + "|";
        }
        return r;
    }

    qeltest::TServerConfig server;
    std::string plainUser, lowerUser;
    std::vector<std::string> usersMade, files;
};

} // namespace

// The same script, run by isql-fb and by the executor (read by the parser,
// and read from its text alone, as a CONNECT the comparer writes is), leaves
// the same tables with the same owners in the same databases. A login the
// executor misread ran under the previous one.
TEST_F(IsqlLoginTest, OwnersAndCreatedDatabasesAreIsqls)
{
    const struct {
        const char* Script; // {DB}: the database, {NEW}: one to create, {P}, {L}: the users
        const char* Expected;
        bool Isql; // isql-fb 3 takes no comment inside a CONNECT ("Command error")
    } rows[] = {
        {"CONNECT {DB} USER {P} PASSWORD 'pw1';\nCREATE TABLE TA (I INTEGER);\n", "{P}:TA|-|", true},
        {"CONNECT {DB} USER '{P}' PASSWORD pw1 CACHE 50;\nCREATE TABLE TA (I INTEGER);\n", "{P}:TA|-|", true},
        {"connect {DB}\nuser \"{L}\"\npassword \"pw2\";\nCREATE TABLE TB (I INTEGER);\n", "{L}:TB|-|", true},
        {"CONNECT /* c */ {DB} -- USER 'SYSDBA'\n USER /* x */ \"{L}\"\n PASSWORD \"pw2\";\n"
         "CREATE TABLE TB (I INTEGER);\n",
         "{L}:TB|-|", false},
        // A user whose name is stored in lower case, named without quotes:
        // the server looks for it in upper case and refuses the login.
        {"CONNECT {DB} USER {L} PASSWORD 'pw2';\nCREATE TABLE TC (I INTEGER);\n", "|-|", true},
        {"CREATE DATABASE /* {DB} */ {NEW} -- x\n USER 'SYSDBA' PASSWORD 'masterkey';\nCREATE TABLE TD (I INTEGER);\n",
         "|SYSDBA:TD|", true},
    };
    for (const auto& row : rows) {
        for (const int way : {0, 1, 2}) { // isql-fb, the parser's reading, the text's
            if (way == 0 && !row.Isql) continue;
            const std::string db = NewCopy();
            const std::string created = server.FileOf(server.NewDatabaseName("i36new"));
            files.push_back(created);
            const auto put = [&](std::string Text) {
                const std::pair<std::string, std::string> marks[] = {
                    {"{NEW}", "'" + server.Host + ":" + created + "'"},
                    {"{DB}", "'" + server.Host + ":" + db + "'"},
                    {"{L}", lowerUser},
                    // Unquoted in mixed case, quoted as stored.
                    {" {P} ", " " + plainUser.substr(0, 1) + LowerCase(plainUser.substr(1)) + " "},
                    {"{P}", plainUser}};
                for (const auto& [mark, value] : marks)
                    for (size_t at; (at = Text.find(mark)) != std::string::npos;) Text.replace(at, mark.size(), value);
                return Text;
            };
            const std::string script = put(row.Script);
            SCOPED_TRACE(script + " way " + std::to_string(way));
            if (way == 0) {
                qeltest::TempDir isqlDir;
                RunIsqlIn(isqlDir, script);
            } else {
                // The executor starts from another login, as a run that
                // follows another does.
                TQELConnection c;
                qeltest::ConfigureFirebirdServer(c, server, db);
                TIBSQLExec x;
                x.SetQELConnection(&c);
                x.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
                qeltest::TempDir scriptDir;
                qeltest::WriteFile(scriptDir.File("s.sql"), script);
                x.LoadScript(scriptDir.File("s.sql"));
                EXPECT_EQ(x.Messages().Count(), 0);
                if (way == 2)
                    for (int i = 0; i < x.Count(); ++i) x.Statements(i).SQL.SetText(x.Statements(i).SQL.Text() + " ");
                x.Execute();
                c.SetConnected(false);
            }
            EXPECT_EQ(Outcome(db, created), put(row.Expected));
        }
    }
}
