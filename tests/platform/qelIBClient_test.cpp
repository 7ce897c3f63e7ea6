#include "qelIBClient.h"

#include "qelErrors.h"
#include "qelIBQuery.h"
#include "qelIBTestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

using namespace qel;
using qeltest::ErrorOf;
using qeltest::ScalarText;
using qeltest::TEmbeddedDatabase;

namespace {

std::int64_t Count(TIBDatabase& Db, const std::string& Table)
{
    return std::stoll(ScalarText(Db, "SELECT COUNT(*) FROM " + Table));
}

// A TCP port on 127.0.0.1. Listening, it accepts connections (the kernel
// completes them from the backlog) and never answers: a host that does not
// respond. Not listening, it refuses them.
class TLoopbackPort {
public:
    explicit TLoopbackPort(bool Listen)
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&a), sizeof a);
        if (Listen) ::listen(m_socket, 8);
        socklen_t len = sizeof a;
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&a), &len);
        m_port = ntohs(a.sin_port);
        if (!Listen) {
            ::close(m_socket);
            m_socket = -1;
        }
    }
    ~TLoopbackPort()
    {
        if (m_socket >= 0) ::close(m_socket);
    }
    std::string Name() const { return "127.0.0.1/" + std::to_string(m_port) + ":/nowhere.fdb"; }

private:
    int m_socket;
    int m_port = 0;
};

} // namespace

// ---- names -------------------------------------------------------------------

struct RemoteNameCase {
    const char* Name;
    bool Remote;
};

class IBRemoteName : public ::testing::TestWithParam<RemoteNameCase> {};

TEST_P(IBRemoteName, HostPartSendsTheNameToAServer)
{
    EXPECT_EQ(IBIsRemoteName(GetParam().Name), GetParam().Remote) << GetParam().Name;
}

INSTANTIATE_TEST_SUITE_P(Names, IBRemoteName,
                         ::testing::Values(RemoteNameCase{"/data/db.fdb", false}, RemoteNameCase{"db.fdb", false},
                                           RemoteNameCase{"/data/odd:name.fdb", false}, RemoteNameCase{"", false},
                                           RemoteNameCase{"127.0.0.1:/data/db.fdb", true},
                                           RemoteNameCase{"srv/3051:/data/db.fdb", true},
                                           RemoteNameCase{"localhost:employee", true},
                                           RemoteNameCase{"\\\\srv\\db.fdb", true},
                                           RemoteNameCase{"inet://srv:3050/db.fdb", true},
                                           RemoteNameCase{"INET4://srv/db.fdb", true}));

// ---- embedded databases ------------------------------------------------------

class IBDatabaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qeltest::UsePrivateFirebirdLock(); }
};

TEST_F(IBDatabaseTest, CreateWithPageSizeAndCharacterSetReadsBothBack)
{
    qeltest::TempDir dir;
    TIBDatabase db;
    db.SetDatabaseName(dir.File("created.fdb"));
    db.SetSQLDialect(3);
    db.Params().SetLines({"USER 'SYSDBA'", "PASSWORD 'masterkey'", "PAGE_SIZE 16384", "DEFAULT CHARACTER SET WIN1252"});
    db.CreateDatabase();
    ASSERT_TRUE(db.Connected());
    TIBTransaction tr(&db);
    db.SetDefaultTransaction(&tr);
    EXPECT_EQ(TIBDatabaseInfo(&db).PageSize(), 16384);
    EXPECT_EQ(db.DBSQLDialect(), 3);
    EXPECT_EQ(ScalarText(db, "SELECT TRIM(RDB$CHARACTER_SET_NAME) FROM RDB$DATABASE"), "WIN1252");
    tr.Commit();

    // Connecting again with the connect parameters.
    db.Close();
    db.Params().SetLines({"user_name=SYSDBA", "password=masterkey", "lc_ctype=WIN1252"});
    db.Open();
    EXPECT_EQ(TIBDatabaseInfo(&db).PageSize(), 16384);
    EXPECT_EQ(ScalarText(db, "SELECT TRIM(C.RDB$CHARACTER_SET_NAME) FROM MON$ATTACHMENTS A JOIN RDB$CHARACTER_SETS C "
                             "ON C.RDB$CHARACTER_SET_ID = A.MON$CHARACTER_SET_ID "
                             "WHERE A.MON$ATTACHMENT_ID = CURRENT_CONNECTION"),
              "WIN1252");
}

TEST_F(IBDatabaseTest, DialectOneDatabaseLowersTheClientDialect)
{
    TEmbeddedDatabase d("NONE", 4096, 1);
    EXPECT_EQ(d.Database.DBSQLDialect(), 1);
    d.Database.Close();
    d.Database.SetSQLDialect(3);
    d.Database.Open();
    EXPECT_EQ(d.Database.SQLDialect(), 1);
    // Dialect 1 reads double quotes as string delimiters.
    EXPECT_EQ(ScalarText(d.Database, "SELECT \"abc\" FROM RDB$DATABASE"), "abc");
}

TEST_F(IBDatabaseTest, DatabaseInformationItems)
{
    TEmbeddedDatabase d("UTF8", 8192);
    TIBDatabaseInfo info(&d.Database);
    EXPECT_EQ(info.ODSMajorVersion(), 12);
    EXPECT_EQ(info.ODSMinorVersion(), 0);
    EXPECT_EQ(info.PageSize(), 8192);
    EXPECT_EQ(info.ForcedWrites(), 1);
    EXPECT_EQ(info.SweepInterval(), 20000);
    EXPECT_EQ(info.ReadOnly(), 0);
    EXPECT_GT(info.NumBuffers(), 0);
    EXPECT_GT(info.DBImplementationNo(), 0);
    EXPECT_EQ(info.DBImplementationClass(), 1); // the engine itself answers
    EXPECT_EQ(info.DBSQLDialect(), 3);
    EXPECT_TRUE(info.Version().starts_with("LI-V6.")) << info.Version();
    EXPECT_TRUE(info.FirebirdVersion().starts_with("LI-V3.")) << info.FirebirdVersion();
    EXPECT_EQ(info.FirebirdVersions().size(), 1u); // embedded: no network layer

    d.Database.Close();
    EXPECT_THROW(info.PageSize(), EUsageError);
}

TEST_F(IBDatabaseTest, FilesThatCannotBeOpenedAreReportedWithTheServersTextAndCodes)
{
    qeltest::TempDir dir;
    const std::string junk = dir.File("junk.fdb");
    qeltest::WriteFile(junk, std::string(32768, 'x'));
    struct Case {
        std::string Path, Message;
        int SQLCode;
    };
    for (const Case& c : {Case{dir.File("missing.fdb"),
                               "I/O error during \"open\" operation for file \"" + dir.File("missing.fdb") +
                                   "\"\r\nError while trying to open file\r\nNo such file or directory",
                               -902},
                          Case{junk, "file " + junk + " is not a valid database", -922}}) {
        TIBDatabase db;
        db.SetDatabaseName(c.Path);
        db.Params().SetLines({"user_name=SYSDBA", "password=masterkey"});
        const EDatabaseError e = ErrorOf<EDatabaseError>([&] { db.Open(); });
        EXPECT_EQ(std::string(e.what()), c.Message);
        EXPECT_EQ(e.SQLCode(), c.SQLCode);
        EXPECT_FALSE(db.Connected());
    }
}

TEST_F(IBDatabaseTest, ParameterLinesAreCheckedAndEmptyValuesLeftOut)
{
    TEmbeddedDatabase d;
    d.Database.Close();
    d.Database.Params().SetLines({"no_such_item=1"});
    EXPECT_STREQ(ErrorOf<EUsageError>([&] { d.Database.Open(); }).what(),
                 "Unknown database parameter \"no_such_item\"");
    // Prefixed names, blank lines and empty values are accepted.
    d.Database.Params().SetLines({"isc_dpb_user_name=SYSDBA", "", "password=", "sql_role_name=", "LC_CTYPE=UTF8"});
    d.Database.Open();
    EXPECT_TRUE(d.Database.Connected());
    EXPECT_EQ(ScalarText(d.Database, "SELECT CURRENT_USER FROM RDB$DATABASE"), "SYSDBA");
}

TEST_F(IBDatabaseTest, ChangingTheNameOfAConnectedDatabaseIsRefused)
{
    TEmbeddedDatabase d;
    EXPECT_THROW(d.Database.SetDatabaseName("/other.fdb"), EUsageError);
    EXPECT_THROW(d.Database.CreateDatabase(), EUsageError);
    EXPECT_EQ(d.Database.DatabaseName(), d.Path);
}

TEST_F(IBDatabaseTest, DroppedDatabaseLeavesNoFile)
{
    TEmbeddedDatabase d;
    d.Database.DropDatabase();
    EXPECT_FALSE(d.Database.Connected());
    EXPECT_FALSE(std::filesystem::exists(d.Path));
}

// ---- transactions ------------------------------------------------------------

class IBTransactionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qeltest::UsePrivateFirebirdLock(); }
    void SetUp() override { d.Run("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(10))"); }

    void Insert(int Id, TIBTransaction* Tr = nullptr)
    {
        TIBSQL s(&d.Database, Tr);
        s.SetSQL("INSERT INTO T (ID) VALUES (" + std::to_string(Id) + ")");
        s.ExecQuery();
    }

    TEmbeddedDatabase d;
};

// After its first attach the client library answers SIGTERM by shutting
// every attachment down behind the program's back. Refused, the attachment
// and its open transaction stay usable and the process goes on.
TEST_F(IBTransactionTest, ShutdownOnASignalCanBeRefused)
{
    IBRefuseShutdownOnSignal();
    IBRefuseShutdownOnSignal();
    Insert(1);
    struct sigaction current {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &current), 0);
    // Without the library's handler the signal would end this program.
    ASSERT_TRUE(current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN)
        << "the client library set no SIGTERM handler";
    ASSERT_EQ(::raise(SIGTERM), 0);
    // The library shuts down on a thread of its own: it is given the time.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Insert(2);
    d.Transaction.Commit();
    EXPECT_EQ(Count(d.Database, "T"), 2);
}

TEST_F(IBTransactionTest, RollbackUndoesAnInsert)
{
    Insert(1);
    EXPECT_TRUE(d.Transaction.InTransaction()); // started by the statement
    d.Transaction.Rollback();
    EXPECT_FALSE(d.Transaction.InTransaction());
    EXPECT_EQ(Count(d.Database, "T"), 0);
    Insert(2);
    d.Transaction.Commit();
    EXPECT_EQ(Count(d.Database, "T"), 1);
}

TEST_F(IBTransactionTest, TransactionDestroyedWhileActiveRollsBack)
{
    {
        TIBTransaction tr(&d.Database);
        tr.StartTransaction();
        Insert(1, &tr);
        TIBTransaction moved(std::move(tr)); // the move keeps the transaction running
        EXPECT_TRUE(moved.InTransaction());
        EXPECT_FALSE(tr.InTransaction());
        EXPECT_EQ(moved.DefaultDatabase(), &d.Database);
    }
    EXPECT_EQ(Count(d.Database, "T"), 0);
}

TEST_F(IBTransactionTest, CloseRollsBackActiveTransactionsAndNeverCommits)
{
    Insert(1);
    d.Database.Close();
    EXPECT_FALSE(d.Transaction.InTransaction());
    d.Database.Open();
    EXPECT_EQ(Count(d.Database, "T"), 0);
}

TEST_F(IBTransactionTest, DatabaseDestroyedBeforeItsTransaction)
{
    auto db = std::make_unique<TIBDatabase>();
    db->SetDatabaseName(d.Path);
    db->Params().SetLines({"user_name=SYSDBA"});
    db->Open();
    TIBTransaction tr(db.get());
    tr.StartTransaction();
    db.reset();
    EXPECT_FALSE(tr.InTransaction());
    EXPECT_EQ(tr.DefaultDatabase(), nullptr);
    EXPECT_THROW(tr.StartTransaction(), EUsageError);
}

TEST_F(IBTransactionTest, CommitRetainingKeepsTheTransactionAndMakesWorkVisible)
{
    Insert(1);
    d.Transaction.CommitRetaining();
    EXPECT_TRUE(d.Transaction.InTransaction());
    d.Transaction.Rollback(); // the retained commit stays
    EXPECT_EQ(Count(d.Database, "T"), 1);
}

TEST_F(IBTransactionTest, ReadOnlyTransactionRefusesWrites)
{
    TIBTransaction tr(&d.Database);
    tr.Params().SetLines({"read", "read_committed", "rec_version", "nowait"});
    tr.StartTransaction();
    TIBSQL s(&d.Database, &tr);
    s.SetSQL("INSERT INTO T (ID) VALUES (1)");
    const EDatabaseError e = ErrorOf<EDatabaseError>([&] { s.ExecQuery(); });
    EXPECT_NE(std::string(e.what()).find("read-only transaction"), std::string::npos) << e.what();
}

TEST_F(IBTransactionTest, NowaitReportsALockConflictAtOnce)
{
    Insert(1);
    d.Transaction.Commit();
    TIBTransaction a(&d.Database), b(&d.Database);
    a.Params().SetLines({"concurrency", "nowait"});
    b.Params().SetLines({"isc_tpb_concurrency", "isc_tpb_nowait", "isc_tpb_write"});
    TIBSQL ua(&d.Database, &a), ub(&d.Database, &b);
    ua.SetSQL("UPDATE T SET NAME = 'a' WHERE ID = 1");
    ub.SetSQL("UPDATE T SET NAME = 'b' WHERE ID = 1");
    ua.ExecQuery();
    const auto start = std::chrono::steady_clock::now();
    const EDatabaseError e = ErrorOf<EDatabaseError>([&] { ub.ExecQuery(); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(std::string(e.what()).starts_with("deadlock\r\nupdate conflicts with concurrent update\r\n"))
        << e.what();
    EXPECT_EQ(e.SQLCode(), -913);
    EXPECT_EQ(e.SQLState(), "40001");
}

TEST_F(IBTransactionTest, UnknownTransactionParameterIsRefused)
{
    TIBTransaction tr(&d.Database);
    tr.Params().SetLines({"concurrency", "snapshot_please"});
    EXPECT_STREQ(ErrorOf<EUsageError>([&] { tr.StartTransaction(); }).what(),
                 "Unknown transaction parameter \"snapshot_please\"");
    EXPECT_FALSE(tr.InTransaction());
}

TEST_F(IBTransactionTest, MisuseIsReported)
{
    TIBTransaction none;
    EXPECT_THROW(none.StartTransaction(), EUsageError);
    EXPECT_THROW(d.Transaction.Commit(), EUsageError); // not active
    d.Transaction.StartTransaction();
    EXPECT_THROW(d.Transaction.StartTransaction(), EUsageError);
    EXPECT_THROW(d.Transaction.SetDefaultDatabase(nullptr), EUsageError);
    TEmbeddedDatabase other;
    EXPECT_THROW(other.Database.SetDefaultTransaction(&d.Transaction), EUsageError);
}

// ---- network: refused and silent hosts ----------------------------------------

TEST(IBNetwork, RefusedPortFailsAtOnce)
{
    qeltest::UsePrivateFirebirdLock();
    TLoopbackPort closed(false);
    TIBDatabase db;
    db.SetDatabaseName(closed.Name());
    db.Params().SetLines({"user_name=SYSDBA", "password=masterkey"});
    const auto start = std::chrono::steady_clock::now();
    const EDatabaseError e = ErrorOf<EDatabaseError>([&] { db.Open(); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(std::string(e.what()),
              "Unable to complete network request to host \"127.0.0.1\".\r\nFailed to establish a connection.");
    EXPECT_EQ(e.SQLCode(), -902);
}

TEST(IBNetwork, HostThatDoesNotAnswerFailsAfterTheConnectTimeout)
{
    qeltest::UsePrivateFirebirdLock();
    TLoopbackPort silent(true);
    TIBDatabase db;
    db.SetDatabaseName(silent.Name());
    db.Params().SetLines({"user_name=SYSDBA", "password=masterkey"});
    db.SetConnectTimeout(1);
    const auto start = std::chrono::steady_clock::now();
    const EDatabaseError e = ErrorOf<EDatabaseError>([&] { db.Open(); });
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(900));
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_EQ(e.SQLCode(), -923);
    EXPECT_FALSE(db.Connected());
}

// ---- services and the client library -----------------------------------------

TEST(IBServerProperties, EmbeddedServicesManagerGivesTheServerVersion)
{
    qeltest::UsePrivateFirebirdLock();
    TIBServerProperties svc;
    svc.Protocol = TIBProtocol::Local;
    svc.Params.SetLines({"user_name=SYSDBA", "password=masterkey"});
    EXPECT_EQ(svc.ServiceName(), "service_mgr");
    svc.Attach();
    EXPECT_TRUE(svc.Active());
    svc.FetchVersionInfo();
    EXPECT_TRUE(svc.VersionInfo().ServerVersion.starts_with("LI-V3.")) << svc.VersionInfo().ServerVersion;
    EXPECT_NE(svc.VersionInfo().ServerImplementation.find("Firebird"), std::string::npos);
    EXPECT_EQ(svc.VersionInfo().ServiceVersion, 2);
    svc.Detach();
    EXPECT_FALSE(svc.Active());
    EXPECT_THROW(svc.FetchVersionInfo(), EUsageError);
}

TEST(IBServerProperties, ServiceNamesByProtocol)
{
    TIBServerProperties svc;
    svc.ServerName = "srv/3051";
    svc.Protocol = TIBProtocol::TCP;
    EXPECT_EQ(svc.ServiceName(), "srv/3051:service_mgr");
    svc.ServerName = "srv";
    svc.Protocol = TIBProtocol::NamedPipe;
    EXPECT_EQ(svc.ServiceName(), "\\\\srv\\service_mgr");
    svc.Protocol = TIBProtocol::SPX;
    EXPECT_EQ(svc.ServiceName(), "srv@service_mgr");
    svc.ServerName.clear();
    svc.Protocol = TIBProtocol::TCP;
    EXPECT_EQ(svc.ServiceName(), "service_mgr");
}

TEST(IBClientLibrary, FileAndVersion)
{
    EXPECT_NE(IBClientLibraryFileName().find("libfbclient"), std::string::npos) << IBClientLibraryFileName();
    EXPECT_NE(IBClientVersionText().find("Firebird"), std::string::npos) << IBClientVersionText();
    EXPECT_EQ(IBClientVersion(), "3.0");
}

// ---- the server over TCP -----------------------------------------------------

class IBServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qeltest::UsePrivateFirebirdLock(); }
    void SetUp() override
    {
        if (const std::string why = server.Unusable(); !why.empty()) QEL_SKIP_OR_FAIL(why);
    }
    void TearDown() override
    {
        // Databases the tests left behind are dropped through the server.
        for (const std::string& name : created) {
            try {
                TIBDatabase db;
                db.SetDatabaseName(name);
                db.Params().SetLines({"user_name=" + server.User, "password=" + server.Password});
                db.Open();
                db.DropDatabase();
            } catch (const std::exception&) {
            }
        }
    }

    TIBDatabase& CreateOnServer(TIBDatabase& Db, const std::string& Name)
    {
        Db.SetDatabaseName(Name);
        Db.Params().SetLines({"USER '" + server.User + "'", "PASSWORD '" + server.Password + "'", "PAGE_SIZE 4096",
                              "DEFAULT CHARACTER SET UTF8"});
        Db.CreateDatabase();
        created.push_back(Name);
        return Db;
    }

    qeltest::TServerConfig server;
    std::vector<std::string> created;
};

TEST_F(IBServerTest, CreateAttachAndReadInformationOverTcp)
{
    const std::string name = server.NewDatabaseName("ibclient");
    TIBDatabase db;
    CreateOnServer(db, name);
    db.Close();
    // The host/port form reaches the same database.
    const std::string withPort = server.Host + "/3050:" + server.FileOf(name);
    db.SetDatabaseName(withPort);
    db.Params().SetLines({"user_name=" + server.User, "password=" + server.Password, "lc_ctype=UTF8"});
    db.Open();
    TIBDatabaseInfo info(&db);
    EXPECT_EQ(info.PageSize(), 4096);
    EXPECT_EQ(info.DBSQLDialect(), 3);
    const auto versions = info.FirebirdVersions();
    ASSERT_EQ(versions.size(), 3u);
    EXPECT_NE(versions[1].find("/tcp"), std::string::npos) << versions[1];
    EXPECT_EQ(info.DBImplementationClass(), 1);
    TIBTransaction tr(&db);
    db.SetDefaultTransaction(&tr);
    EXPECT_EQ(ScalarText(db, "SELECT TRIM(MON$REMOTE_PROTOCOL) FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = "
                             "CURRENT_CONNECTION"),
              "TCPv4");
}

TEST_F(IBServerTest, WrongPasswordReportedWithTheServersText)
{
    const std::string name = server.NewDatabaseName("ibclient");
    TIBDatabase owner;
    CreateOnServer(owner, name);
    TIBDatabase db;
    db.SetDatabaseName(name);
    db.Params().SetLines({"user_name=" + server.User, "password=wrong-" + server.Password});
    const EDatabaseError e = ErrorOf<EDatabaseError>([&] { db.Open(); });
    EXPECT_EQ(std::string(e.what()), "Your user name and password are not defined. Ask your database administrator to "
                                     "set up a Firebird login.");
    EXPECT_EQ(e.SQLCode(), -902);
    EXPECT_EQ(e.SQLState(), "28000");
}

TEST_F(IBServerTest, ServicesManagerOverTcp)
{
    TIBServerProperties svc;
    svc.ServerName = server.Host;
    svc.Protocol = TIBProtocol::TCP;
    svc.Params.SetLines({"user_name=" + server.User, "password=" + server.Password});
    svc.Attach();
    svc.FetchVersionInfo();
    EXPECT_TRUE(svc.VersionInfo().ServerVersion.starts_with("LI-V3.")) << svc.VersionInfo().ServerVersion;
    svc.Detach();

    svc.Params.SetLines({"user_name=" + server.User, "password=wrong-" + server.Password});
    const EDatabaseError e = ErrorOf<EDatabaseError>([&] { svc.Attach(); });
    EXPECT_EQ(e.SQLState(), "28000");
}

TEST_F(IBServerTest, LocalPathOfADatabaseTheServerHoldsIsNotTakenThroughTheServer)
{
    const std::string name = server.NewDatabaseName("ibclient");
    TIBDatabase held;
    CreateOnServer(held, name); // the server keeps the file open
    TIBDatabase local;
    local.SetDatabaseName(server.FileOf(name));
    local.Params().SetLines({"user_name=" + server.User, "password=" + server.Password});
    const EDatabaseError e = ErrorOf<EDatabaseError>([&] { local.Open(); });
    EXPECT_NE(std::string(e.what()).find("Database already opened with engine instance"), std::string::npos)
        << e.what();
    EXPECT_FALSE(local.Connected());
}
