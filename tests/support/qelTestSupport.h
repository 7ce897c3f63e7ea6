// Helpers shared by the test programs: fresh temporary folders, files read and
// written whole, the embedded engine's lock folder, the addresses of the test
// servers and the rule for tests that need a server started by the test
// command. Nothing here links the project's libraries.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace qeltest {

// A fresh folder under the system temporary directory, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// A whole file as bytes ("" when it cannot be read), and a file written whole.
std::string ReadFile(const std::string& FileName);
void WriteFile(const std::string& FileName, const std::string& Bytes);

// True when the test command asked for every server test to run
// (VELMORIN_REQUIRE_SERVERS=1): a missing server is then a failure, not a skip.
bool ServersRequired();

// Reads an environment variable, or the fallback when it is unset or empty.
std::string Env(const char* name, const std::string& fallback = {});

// The embedded engine keeps its lock files in FIREBIRD_LOCK. The tests use a
// folder of their own (shared by the test processes, not by the server), so
// that they run as any user and never touch the server's lock files. Must
// run before the first attach of the process.
void UsePrivateFirebirdLock();

// The Firebird test server from the environment that the test command sets.
struct TServerConfig {
    std::string Host = Env("VELMORIN_FB_HOST");
    std::string User = Env("VELMORIN_FB_USER", "SYSDBA");
    std::string Password = Env("VELMORIN_FB_PASSWORD", "masterkey");
    std::string Dir = Env("VELMORIN_FB_SERVER_DIR");

    // Empty when the server can be used, else why not.
    std::string Unusable() const;
    // A database name on the server ("host:/folder/stem-n.fdb") that no other
    // test uses; FileOf gives its path on this machine.
    std::string NewDatabaseName(const std::string& Stem) const;
    std::string FileOf(const std::string& Name) const { return Name.substr(Host.size() + 1); }
};

// ODBC connection strings: a SQLite file, and the PostgreSQL test cluster
// ("" when the test command did not start one).
inline std::string SQLiteString(const std::string& File) { return "Driver={SQLite3};Database=" + File + ";"; }
inline std::string PostgreSQLString() { return Env("VELMORIN_PG_CONN"); }

// Runs F and returns the exception of type E it raises; the test fails when
// there is none.
template <class E, class F>
E ErrorOf(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e;
    }
    ADD_FAILURE() << "no exception raised";
    return E(std::string());
}

} // namespace qeltest

// Skips the current test with a reason, or fails it when the test command
// requires every server to be present.
#define QEL_SKIP_OR_FAIL(reason)                                   \
    do {                                                           \
        if (::qeltest::ServersRequired()) { FAIL() << (reason); }  \
        else { GTEST_SKIP() << (reason); }                         \
    } while (0)
