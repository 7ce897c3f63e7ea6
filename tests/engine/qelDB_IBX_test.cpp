#include "qelConnection_IBXDB.h"
#include "qelDB_IBX.h"
#include "qelIBClient.h"
#include "qelDataSet.h"
#include "qelStrings.h"
#include "qelTestSupport.h"

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
        c.SetDatabaseType(TDatabaseType::dbInterBase);
        c.SetConnectionType(TconnectionType::cnIBX);
        c.ConnectionOptions().UserName = "SYSDBA";
        c.ConnectionOptions().Password = "masterkey";
        c.ConnectionOptions().Protocol = TQELProtocol::ptLocal;
    }

    void Attach(TQELConnection& conn)
    {
        conn.OnBeforeConnect = [this](TObject&) { events.push_back("BeforeConnect"); };
        conn.OnAfterConnect = [this](TObject&) { events.push_back("AfterConnect"); };
        conn.OnBeforeDisconnect = [this](TObject&) { events.push_back("BeforeDisconnect"); };
        conn.OnAfterDisconnect = [this](TObject&) { events.push_back("AfterDisconnect"); };
        conn.OnErrorMessage = [this](TObject&, const std::string& t) {
            events.push_back("Error");
            errors.push_back(t);
        };
        conn.OnLogNextLine = [this](TObject&, const std::string& t) { log.push_back(t); };
    }

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
    std::vector<std::string> events, errors, log;
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
    const std::string path = Create("a.fdb");
    c.ConnectionOptions().DatabaseName = path;
    c.IBServerOptions().SetDBCharSet("UTF8");
    c.SetConnected(true);
    ASSERT_TRUE(c.Connected()) << (errors.empty() ? "" : errors[0]);
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

TEST_F(IBXConnectionTest, EmptyCharSetFollowsTheDatabaseDefaultWithASecondAttach)
{
    const std::string path = Create("w.fdb", "WIN1252");
    c.ConnectionOptions().DatabaseName = path;
    c.SetConnected(true);
    ASSERT_TRUE(c.Connected()) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(c.IBServerOptions().DBCharSet(), "WIN1252");
    auto* db = dynamic_cast<TQELIBXDatabase*>(c.Database());
    EXPECT_EQ(db->ConnectAttempts(), 2);
    EXPECT_NE(db->ClientDatabase().Params().IndexOf("lc_ctype=WIN1252"), -1);
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
    const std::string path = Create("d1.fdb", "UTF8", 1);
    c.ConnectionOptions().DatabaseName = path;
    c.IBServerOptions().SetDBCharSet("UTF8");
    ASSERT_EQ(c.IBServerOptions().SQLDialect, 3);
    c.SetConnected(true);
    ASSERT_TRUE(c.Connected()) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(c.IBServerOptions().SQLDialect, 1);
    EXPECT_EQ(c.IBServerOptions().IBDatabaseOptions().DBSQLDialect, 1);
}

TEST_F(IBXConnectionTest, DatabaseWithoutDefaultCharSetConnectsOnce)
{
    const std::string path = Create("none.fdb", "");
    c.ConnectionOptions().DatabaseName = path;
    c.SetConnected(true);
    ASSERT_TRUE(c.Connected()) << (errors.empty() ? "" : errors[0]);
    auto* db = dynamic_cast<TQELIBXDatabase*>(c.Database());
    const std::string dbCharSet = db->GetDatabaseCharSet();
    // Firebird records NONE for a database created without a character set.
    EXPECT_EQ(c.IBServerOptions().DBCharSet(), dbCharSet);
    EXPECT_EQ(db->ConnectAttempts(), dbCharSet.empty() ? 1 : 2);
}

TEST_F(IBXConnectionTest, DisconnectCommitsTheOpenTransaction)
{
    const std::string path = Create("tx.fdb");
    c.ConnectionOptions().DatabaseName = path;
    c.IBServerOptions().SetDBCharSet("UTF8");
    c.SetConnected(true);
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
    { std::FILE* f = std::fopen(junk.c_str(), "wb"); std::fputs("not a database at all", f); std::fclose(f); }
    events.clear();
    errors.clear();
    c.ConnectionOptions().DatabaseName = junk;
    c.SetConnected(true);
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(events, (std::vector<std::string>{"BeforeConnect", "Error", "AfterDisconnect"}));
}

TEST_F(IBXConnectionTest, CreateDatabaseWithPageSizeAndCharSet)
{
    const std::string path = Create("p.fdb", "ISO8859_1", 3, 16384);
    c.ConnectionOptions().DatabaseName = path;
    c.SetConnected(true);
    ASSERT_TRUE(c.Connected()) << (errors.empty() ? "" : errors[0]);
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
    const std::string path = Create("i.fdb", "UTF8", 3, 8192);
    c.ConnectionOptions().DatabaseName = path;
    c.IBServerOptions().SetDBCharSet("UTF8");
    c.ConnectionOptions().ClientLibrary = "libfbclient.so.2";
    c.SetConnected(true);
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
    const std::string path = Create("q.fdb");
    c.ConnectionOptions().DatabaseName = path;
    c.IBServerOptions().SetDBCharSet("UTF8");
    c.SetConnected(true);
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
    c.ConnectionOptions().DatabaseName = Create("direct.fdb");
    c.SetConnected(true);
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
    const std::string path = Create("o.fdb");
    c.ConnectionOptions().DatabaseName = path;
    c.IBServerOptions().SetDBCharSet("UTF8");
    c.SetConnected(true);
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
        host = qeltest::Env("VELMORIN_FB_HOST");
        serverDir = qeltest::Env("VELMORIN_FB_SERVER_DIR");
        if (host.empty() || serverDir.empty()) return;
        c.ConnectionOptions().HostName = host;
        c.ConnectionOptions().Protocol = TQELProtocol::ptTCP;
        c.ConnectionOptions().UserName = qeltest::Env("VELMORIN_FB_USER", "SYSDBA");
        c.ConnectionOptions().Password = qeltest::Env("VELMORIN_FB_PASSWORD", "masterkey");
        c.IBServerOptions().SetDBCharSet("UTF8");
        path = serverDir + "/ibx-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".fdb";
        std::filesystem::remove(path);
    }
    void TearDown() override
    {
        if (!path.empty()) {
            c.SetConnected(false);
            std::filesystem::remove(path);
        }
    }
    std::string host, serverDir, path;
};

TEST_F(IBXServerTest, CreateConnectAndReadOverTcp)
{
    if (host.empty()) QEL_SKIP_OR_FAIL("no Firebird server: VELMORIN_FB_HOST is not set");
    c.ConnectionOptions().DatabaseName = path;
    ASSERT_TRUE(c.CreateDatabase()) << (errors.empty() ? "" : errors.back());
    c.SetConnected(true);
    ASSERT_TRUE(c.Connected()) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(log[0], "Connect to: '" + host + ":" + path + "'...");
    EXPECT_NE(c.IBServerOptions().IBDatabaseOptions().ServerVersionText.find("Firebird"), std::string::npos);
    EXPECT_EQ(Count(c, "rdb$database"), 1);
    c.ConnectionOptions().Port = 3050;
    c.SetConnected(false);
    log.clear();
    c.SetConnected(true);
    EXPECT_TRUE(c.Connected());
    EXPECT_EQ(log[0], "Connect to: '" + host + "/3050:" + path + "'...");
}

TEST_F(IBXServerTest, WrongPasswordIsReportedWithTheServersText)
{
    if (host.empty()) QEL_SKIP_OR_FAIL("no Firebird server: VELMORIN_FB_HOST is not set");
    c.ConnectionOptions().DatabaseName = path;
    ASSERT_TRUE(c.CreateDatabase());
    c.ConnectionOptions().Password = "definitely-wrong";
    c.SetConnected(true);
    EXPECT_FALSE(c.Connected());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("user name and password are not defined"), std::string::npos) << errors[0];
    EXPECT_EQ(events.back(), "AfterDisconnect");
}

TEST_F(IBXServerTest, RefusedPortFailsQuicklyWithTheLibrarysMessage)
{
    if (host.empty()) QEL_SKIP_OR_FAIL("no Firebird server: VELMORIN_FB_HOST is not set");
    c.ConnectionOptions().DatabaseName = path;
    c.ConnectionOptions().Port = 1;
    c.SetConnected(true);
    EXPECT_FALSE(c.Connected());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("Unable to complete network request"), std::string::npos) << errors[0];
}
