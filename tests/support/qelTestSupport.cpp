#include "qelTestSupport.h"

#include <cstdlib>
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

} // namespace qeltest
