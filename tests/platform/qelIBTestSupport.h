// What the tests of the Firebird client layer share: a lock folder of the
// test process for the embedded engine, a fresh embedded database in a
// temporary folder, and the address of the test server.
#pragma once

#include "qelIBClient.h"
#include "qelIBQuery.h"
#include "qelTestSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace qeltest {

// The embedded engine keeps its lock files in FIREBIRD_LOCK. The tests use a
// folder of their own (shared by the test processes, not by the server), so
// that they run as any user and never touch the server's lock files. Must
// run before the first attach of the process.
inline void UsePrivateFirebirdLock()
{
    if (std::getenv("FIREBIRD_LOCK") != nullptr) return;
    const auto dir = std::filesystem::temp_directory_path() / ("velmorin-fblock-" + std::to_string(::getuid()));
    std::filesystem::create_directories(dir);
    ::setenv("FIREBIRD_LOCK", dir.c_str(), 1);
}

// A new embedded database in a fresh temporary folder, created and left
// connected with the given connection character set.
struct TEmbeddedDatabase {
    TempDir Dir;
    std::string Path;
    qel::TIBDatabase Database;
    qel::TIBTransaction Transaction;

    explicit TEmbeddedDatabase(const std::string& Charset = "UTF8", int PageSize = 4096, int Dialect = 3,
                               const std::string& ConnectionCharset = "UTF8")
    {
        UsePrivateFirebirdLock();
        Path = Dir.File("test.fdb");
        Database.SetDatabaseName(Path);
        Database.SetSQLDialect(Dialect);
        Database.Params().SetLines({"USER 'SYSDBA'", "PASSWORD 'masterkey'", "PAGE_SIZE " + std::to_string(PageSize),
                                    "DEFAULT CHARACTER SET " + Charset});
        Database.CreateDatabase();
        Database.Close();
        Database.Params().SetLines({"user_name=SYSDBA", "password=masterkey", "lc_ctype=" + ConnectionCharset});
        Database.Open();
        Transaction.Params().SetLines({"concurrency", "nowait"});
        Transaction.SetDefaultDatabase(&Database);
        Database.SetDefaultTransaction(&Transaction);
    }

    // Runs a statement and commits, as DDL needs before the tables are used.
    void Run(const std::string& Sql)
    {
        qel::TIBSQL s(&Database);
        s.SetSQL(Sql);
        s.ExecQuery();
        Transaction.Commit();
    }
};

// The test server from the environment that the test command sets.
struct TServerConfig {
    std::string Host = Env("VELMORIN_FB_HOST");
    std::string User = Env("VELMORIN_FB_USER", "SYSDBA");
    std::string Password = Env("VELMORIN_FB_PASSWORD", "masterkey");
    std::string Dir = Env("VELMORIN_FB_SERVER_DIR");

    // Empty when the server can be used, else why not.
    std::string Unusable() const
    {
        if (Host.empty() || Dir.empty()) return "VELMORIN_FB_HOST or VELMORIN_FB_SERVER_DIR not set";
        int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(3050);
        const bool ok = ::inet_pton(AF_INET, Host.c_str(), &a.sin_addr) == 1 &&
                        ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        ::close(s);
        return ok ? std::string() : "no Firebird server answers on " + Host + ":3050";
    }

    // A database name on the server that no other test uses.
    std::string NewDatabaseName(const std::string& Stem) const
    {
        std::random_device rd;
        return Host + ":" + Dir + "/" + Stem + "-" + std::to_string(rd()) + std::to_string(rd()) + ".fdb";
    }
};

} // namespace qeltest
