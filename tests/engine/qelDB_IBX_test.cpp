#include "qelConnection_IBXDB.h"
#include "qelDB_IBX.h"
#include "qelIBClient.h"
#include "qelDataSet.h"
#include "qelEngineTestSupport.h"
#include "qelStrings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

using namespace qel;

namespace {

// A connection to an embedded database in a fresh folder, recording its
// events in order.
class IBXConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Attach(c);
        qeltest::ConfigureFirebird(c, "");
    }

    void Attach(TQELConnection& conn) { rec.Attach(conn); }

    // Creates a database file with the given options and leaves the
    // connection's options as they were.
    std::string Create(const std::string& name, const std::string& charSet = "UTF8", int dialect = 3,
                       int pageSize = 0)
    {
        const std::string path = dir.File(name);
        TQELConnection maker;
        maker.Assign(c);
        Attach(maker);
        maker.ConnectionOptions().DatabaseName = path;
        maker.IBServerOptions().SetDBCharSet(charSet);
        maker.IBServerOptions().SQLDialect = static_cast<TIBSQLDialectType>(dialect);
        maker.IBServerOptions().IBDatabaseOptions().PageSize = pageSize;
        EXPECT_TRUE(maker.CreateDatabase()) << (errors.empty() ? "" : errors.back());
        return path;
    }

    // Creates a database and connects the test's connection to it.
    std::string Connect(const std::string& name, const std::string& charSet = "UTF8", int dialect = 3,
                        int pageSize = 0)
    {
        const std::string path = Create(name, charSet, dialect, pageSize);
        c.ConnectionOptions().DatabaseName = path;
        c.SetConnected(true);
        EXPECT_TRUE(c.Connected()) << (errors.empty() ? "" : errors[0]);
        return path;
    }

    void Exec(TQELConnection& conn, const std::string& sql)
    {
        auto q = conn.CreateQuery();
        q->SetSQLText(sql);
        q->ExecSQL();
    }

    long long Count(TQELConnection& conn, const std::string& table)
    {
        auto q = conn.CreateQuery();
        q->SetSQLText("select count(*) from " + table);
        q->Open();
        return q->GetFields()->operator[](0).AsLargeInt();
    }

    qeltest::TempDir dir;
    TQELConnection c;
    qeltest::TConnectionRecorder rec;
    std::vector<std::string>&events = rec.Events, &errors = rec.Errors, &log = rec.Log;
};

} // namespace

TEST(IBXRegistry, BackEndIsRegisteredUnderItsName)
{
    TQELAbstractConnection* ibx = FindConnection("ibx");
    ASSERT_NE(ibx, nullptr);
    EXPECT_EQ(ibx->ConnectionType, TconnectionType::cnIBX);
    EXPECT_EQ(FindConnectionByType(TconnectionType::cnIBX), ibx);
    EXPECT_FALSE(RegisterConnection("IBX", std::make_unique<TConnectionIBX>()));
}

TEST_F(IBXConnectionTest, ConnectLogsNameAndServerVersionThenDisconnects)
{
    c.IBServerOptions().SetDBCharSet("UTF8");
    const std::string path = Connect("a.fdb");
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "Connect to: '" + path + "'...");
    EXPECT_EQ(log[1].rfind("Server version: ", 0), 0u) << log[1];
    EXPECT_NE(log[1].find("Firebird"), std::string::npos) << log[1];
    c.SetConnected(false);
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(events, (std::vector<std::string>{"BeforeConnect", "AfterConnect", "BeforeDisconnect",
                                                "AfterDisconnect"}));
    auto* db = dynamic_cast<TQELIBXDatabase*>(c.Database());
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(db->ConnectAttempts(), 1);
}

TEST_F(IBXConnectionTest, EmptyCharSetAttachesOnceWithNoneAndLearnsTheDatabaseSet)
{
    Connect("w.fdb", "WIN1252");
    EXPECT_EQ(c.IBServerOptions().DBCharSet(), "WIN1252");
    auto* db = dynamic_cast<TQELIBXDatabase*>(c.Database());
    EXPECT_EQ(db->ConnectAttempts(), 1);
    EXPECT_EQ(db->ClientDatabase().Params().IndexOf("lc_ctype=WIN1252"), -1);
    EXPECT_EQ(c.ClientCharSet(), "NONE");
    // Text in the database's own character set arrives as that character set.
    Exec(c, "create table t (s varchar(10))");
    c.Commit();
    c.StartTransaction();
    auto q = c.CreateQuery();
    q->SetSQLText("insert into t values (:s)");
    q->ParamByName("s")->SetAsString("caf\xE9");
    q->ExecSQL();
    q->SetSQLText("select s from t");
    q->Open();
    EXPECT_EQ(q->FieldByName("S")->AsString(), "caf\xE9");
}

TEST_F(IBXConnectionTest, DialectOneDatabaseCorrectsTheDialectOption)
{
    c.IBServerOptions().SetDBCharSet("UTF8");
    ASSERT_EQ(c.IBServerOptions().SQLDialect, 3);
    Connect("d1.fdb", "UTF8", 1);
    EXPECT_EQ(c.IBServerOptions().SQLDialect, 1);
    EXPECT_EQ(c.IBServerOptions().IBDatabaseOptions().DBSQLDialect, 1);
}

TEST_F(IBXConnectionTest, DatabaseWithoutDefaultCharSetConnectsOnce)
{
    Connect("none.fdb", "");
    auto* db = dynamic_cast<TQELIBXDatabase*>(c.Database());
    const std::string dbCharSet = db->GetDatabaseCharSet();
    // Firebird records NONE for a database created without a character set.
    EXPECT_EQ(c.IBServerOptions().DBCharSet(), dbCharSet);
    EXPECT_EQ(db->ConnectAttempts(), 1);
}

// Each attachment fires the database's ON CONNECT and ON DISCONNECT triggers:
// a connect that aligns character set or dialect must still attach once,
// and a named character set is the one attached with.
TEST_F(IBXConnectionTest, EveryConnectAttachesOnceWhateverTheOptionsSay)
{
    const std::string path = Create("trg.fdb", "WIN1252");
    {
        qeltest::TInspector setup(path);
        setup.Run("create sequence g");
        setup.Run("create table log_ (id int, ev varchar(10), cs varchar(31))");
        setup.Run("create trigger on_c on connect as begin insert into log_ select next value for g, 'C', "
                  "s.rdb$character_set_name from mon$attachments a join rdb$character_sets s on "
                  "s.rdb$character_set_id = a.mon$character_set_id where a.mon$attachment_id = current_connection; "
                  "end");
        setup.Run("create trigger on_d on disconnect as begin insert into log_ values (next value for g, 'D', "
                  "null); end");
    }
    struct Case {
        std::string charSet;
        int dialect;
        std::string attachedWith;
    };
    const Case cases[] = {{"", 3, "NONE"}, {"", 1, "NONE"}, {"UTF8", 3, "UTF8"}, {"WIN1252", 1, "WIN1252"}};
    c.ConnectionOptions().DatabaseName = path;
    for (const Case& k : cases) {
        c.IBServerOptions().SetDBCharSet(k.charSet);
        c.IBServerOptions().SQLDialect = static_cast<TIBSQLDialectType>(k.dialect);
        c.SetConnected(true);
        ASSERT_TRUE(c.Connected()) << (errors.empty() ? "" : errors[0]);
        EXPECT_EQ(c.ClientCharSet(), k.attachedWith);
        EXPECT_EQ(c.IBServerOptions().DBCharSet(), k.charSet.empty() ? "WIN1252" : k.charSet);
        EXPECT_EQ(c.IBServerOptions().SQLDialect, 3);
        c.SetConnected(false);
    }
    qeltest::TInspector look(path);
    // The first D is the setting up's own disconnect.
    EXPECT_EQ(look.Column("select ev || coalesce(trim(cs), '') from log_ where id < 10 order by id"),
              (std::vector<std::string>{"D", "CNONE", "D", "CNONE", "D", "CUTF8", "D", "CWIN1252", "D"}));
}

TEST_F(IBXConnectionTest, DisconnectCommitsTheOpenTransaction)
{
    c.IBServerOptions().SetDBCharSet("UTF8");
    Connect("tx.fdb");
    Exec(c, "create table t (id integer)");
    c.Commit();
    c.StartTransaction();
    Exec(c, "insert into t values (1)");
    EXPECT_TRUE(c.InTransaction());
    c.SetConnected(false);
    c.SetConnected(true);
    EXPECT_EQ(Count(c, "t"), 1);
    // Rollback undoes.
    Exec(c, "insert into t values (2)");
    c.Rollback();
    c.StartTransaction();
    EXPECT_EQ(Count(c, "t"), 1);
}

TEST_F(IBXConnectionTest, FailedConnectIsReportedAndNeverAnnouncedAsConnected)
{
    c.ConnectionOptions().DatabaseName = dir.File("missing.fdb");
    c.SetConnected(true);
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(events, (std::vector<std::string>{"BeforeConnect", "Error", "AfterDisconnect"}));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("missing.fdb"), std::string::npos) << errors[0];

    // A file that is not a database.
    const std::string junk = dir.File("junk.fdb");
    qeltest::WriteFile(junk, "not a database at all");
    events.clear();
    errors.clear();
    c.ConnectionOptions().DatabaseName = junk;
    c.SetConnected(true);
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(events, (std::vector<std::string>{"BeforeConnect", "Error", "AfterDisconnect"}));
}

TEST_F(IBXConnectionTest, CreateDatabaseWithPageSizeAndCharSet)
{
    Connect("p.fdb", "ISO8859_1", 3, 16384);
    EXPECT_EQ(c.IBServerOptions().IBDatabaseOptions().PageSize, 16384);
    EXPECT_EQ(c.IBServerOptions().DBCharSet(), "ISO8859_1");
    // Creating over an existing file is refused and reported.
    errors.clear();
    TQELConnection again;
    again.Assign(c);
    Attach(again);
    EXPECT_FALSE(again.CreateDatabase());
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(IBXConnectionTest, ServerInfoLinesWhenNotBrief)
{
    c.IBServerOptions().SetDBCharSet("UTF8");
    c.ConnectionOptions().ClientLibrary = "libfbclient.so.2";
    const std::string path = Connect("i.fdb", "UTF8", 3, 8192);
    std::string info;
    c.GetServerInfo(false, info);
    TStringList lines;
    lines.SetText(info);
    ASSERT_GE(lines.Count(), 11) << info;
    EXPECT_NE(lines[0].find("Firebird"), std::string::npos);
    EXPECT_EQ(lines[1], "Client library: libfbclient.so.2");
    EXPECT_EQ(lines[2], "Database name : " + path);
    EXPECT_EQ(lines[3], "Character set : UTF8");
    EXPECT_EQ(lines[4].rfind("ODS version   : 12.", 0), 0u) << lines[4];
    EXPECT_EQ(lines[5], "SQL Dialect   : 3");
    EXPECT_EQ(lines[6].rfind("Sweep interval: ", 0), 0u);
    EXPECT_EQ(lines[7], "Page size     : 8192");
    EXPECT_EQ(lines[8], "Read-only     : False");
    EXPECT_TRUE(lines[9] == "Forced writes : On" || lines[9] == "Forced writes : Off") << lines[9];
    const auto& dbo = c.IBServerOptions().IBDatabaseOptions();
    const long long kb = (static_cast<long long>(dbo.NumBuffers) * 8192 + 512) / 1024;
    EXPECT_EQ(lines[10], "Buffers       : " + std::to_string(dbo.NumBuffers) + " pages (" + std::to_string(kb) + " Kb)");
    std::string brief;
    c.GetServerInfo(true, brief);
    EXPECT_EQ(brief, lines[0] + "\r\n" + lines[1] + "\r\n");
}

TEST_F(IBXConnectionTest, QueryKeepsParameterValuesAcrossATextChange)
{
    c.IBServerOptions().SetDBCharSet("UTF8");
    Connect("q.fdb");
    Exec(c, "create table t (id integer, name varchar(20))");
    c.Commit();
    c.StartTransaction();
    auto q = c.CreateQuery();
    q->SetSQLText("insert into t (id, name) values (:ID, :NAME)");
    q->ParamByName("ID")->SetAsInteger(7);
    q->ParamByName("NAME")->SetAsString("seven");
    q->SetSQLText("insert into t (name, id) values (:NAME, :ID)");
    ASSERT_EQ(q->GetParams()->Count(), 2);
    q->ExecSQL();
    q->SetSQLText("select id, name from t where id = :ID");
    EXPECT_EQ(q->ParamByName("ID")->AsInteger(), 7);
    q->Open();
    ASSERT_FALSE(q->Eof());
    EXPECT_EQ(q->FieldByName("NAME")->AsString(), "seven");
}

TEST_F(IBXConnectionTest, ExecSQLDirectRunsPlainStatementsAndBindsNamedParameters)
{
    Connect("direct.fdb");
    Exec(c, "create table t (id integer, name varchar(20))");
    c.Commit();
    c.StartTransaction();
    auto q = c.CreateQuery();
    q->SetSQLText("insert into t (id, name) values (1, 'one')");
    q->ExecSQLDirect();
    q->SetSQLText("insert into t (id, name) values (:ID, 'two')");
    q->ParamByName("ID")->SetAsInteger(2);
    q->ExecSQLDirect();
    q->SetSQLText("select name from t order by id");
    q->Open();
    ASSERT_FALSE(q->Eof());
    EXPECT_EQ(q->FieldByName("NAME")->AsString(), "one");
    q->Next();
    ASSERT_FALSE(q->Eof());
    EXPECT_EQ(q->FieldByName("NAME")->AsString(), "two");
    EXPECT_TRUE(errors.empty());
}

TEST_F(IBXConnectionTest, QueryOutlivesItsConnectionsBackEndChange)
{
    c.IBServerOptions().SetDBCharSet("UTF8");
    Connect("o.fdb");
    auto q = c.CreateQuery();
    q->SetSQLText("select 1 from rdb$database");
    q->Open();
    { TQELConnection other; other.Assign(c); } // a second connection's database object comes and goes
    EXPECT_NE(q->Database(), nullptr);
    std::unique_ptr<TQELConnection> gone = std::make_unique<TQELConnection>();
    gone->SetDatabaseType(TDatabaseType::dbInterBase);
    gone->SetConnectionType(TconnectionType::cnIBX);
    auto orphan = gone->CreateQuery();
    gone.reset();
    EXPECT_EQ(orphan->Database(), nullptr);
    EXPECT_EQ(orphan->Connection(), nullptr);
}

// Over the TCP server on 127.0.0.1.
class IBXServerTest : public IBXConnectionTest {
protected:
    void SetUp() override
    {
        IBXConnectionTest::SetUp();
        if (const std::string why = server.Unusable(); !why.empty()) QEL_SKIP_OR_FAIL(why);
        path = server.FileOf(server.NewDatabaseName("ibx"));
        qeltest::ConfigureFirebirdServer(c, server, path);
        c.IBServerOptions().SetDBCharSet("UTF8");
    }
    void TearDown() override
    {
        if (!path.empty()) {
            c.SetConnected(false);
            std::filesystem::remove(path);
        }
    }
    qeltest::TServerConfig server;
    std::string path;
};

TEST_F(IBXServerTest, CreateConnectAndReadOverTcp)
{
    ASSERT_TRUE(c.CreateDatabase()) << (errors.empty() ? "" : errors.back());
    c.SetConnected(true);
    ASSERT_TRUE(c.Connected()) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(log[0], "Connect to: '" + server.Host + ":" + path + "'...");
    EXPECT_NE(c.IBServerOptions().IBDatabaseOptions().ServerVersionText.find("Firebird"), std::string::npos);
    EXPECT_EQ(Count(c, "rdb$database"), 1);
    c.ConnectionOptions().Port = 3050;
    c.SetConnected(false);
    log.clear();
    c.SetConnected(true);
    EXPECT_TRUE(c.Connected());
    EXPECT_EQ(log[0], "Connect to: '" + server.Host + "/3050:" + path + "'...");
}

TEST_F(IBXServerTest, WrongPasswordOrRefusedPortIsReportedWithTheServersText)
{
    ASSERT_TRUE(c.CreateDatabase());
    c.ConnectionOptions().Password = "definitely-wrong";
    c.SetConnected(true);
    EXPECT_FALSE(c.Connected());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("user name and password are not defined"), std::string::npos) << errors[0];
    EXPECT_EQ(events.back(), "AfterDisconnect");

    c.ConnectionOptions().Port = 1;
    c.SetConnected(true);
    EXPECT_FALSE(c.Connected());
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[1].find("Unable to complete network request"), std::string::npos) << errors[1];
}
