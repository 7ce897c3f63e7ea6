// Helpers shared by the test programs: fresh temporary folders and the rule
// for tests that need a server started by the test command.
#pragma once

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

// True when the test command asked for every server test to run
// (VELMORIN_REQUIRE_SERVERS=1): a missing server is then a failure, not a skip.
bool ServersRequired();

// Reads an environment variable, or the fallback when it is unset or empty.
std::string Env(const char* name, const std::string& fallback = {});

} // namespace qeltest

// Skips the current test with a reason, or fails it when the test command
// requires every server to be present.
#define QEL_SKIP_OR_FAIL(reason)                                   \
    do {                                                           \
        if (::qeltest::ServersRequired()) { FAIL() << (reason); }  \
        else { GTEST_SKIP() << (reason); }                         \
    } while (0)
