#include "qelTestSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace qeltest {

TempDir::TempDir()
{
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("velmorin-test-" + std::to_string(rd()));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary test folder");
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string ReadFile(const std::string& FileName)
{
    std::ifstream in(FileName, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& FileName, const std::string& Bytes)
{
    std::ofstream(FileName, std::ios::binary) << Bytes;
}

bool ServersRequired()
{
    const char* v = std::getenv("VELMORIN_REQUIRE_SERVERS");
    return v != nullptr && std::string(v) == "1";
}

std::string Env(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return (v != nullptr && *v != '\0') ? std::string(v) : fallback;
}

void UsePrivateFirebirdLock()
{
    if (std::getenv("FIREBIRD_LOCK") != nullptr) return;
    const auto dir = std::filesystem::temp_directory_path() / ("velmorin-fblock-" + std::to_string(::getuid()));
    std::filesystem::create_directories(dir);
    ::setenv("FIREBIRD_LOCK", dir.c_str(), 1);
}

std::string TServerConfig::Unusable() const
{
    if (Host.empty() || Dir.empty()) return "VELMORIN_FB_HOST or VELMORIN_FB_SERVER_DIR not set";
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(3050);
    const bool ok = ::inet_pton(AF_INET, Host.c_str(), &a.sin_addr) == 1 &&
                    ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return ok ? std::string() : "no Firebird server answers on " + Host + ":3050";
}

std::string TServerConfig::NewDatabaseName(const std::string& Stem) const
{
    std::random_device rd;
    return Host + ":" + Dir + "/" + Stem + "-" + std::to_string(rd()) + std::to_string(rd()) + ".fdb";
}

} // namespace qeltest
