// Where and how to connect, and what a generated script contains: the
// option objects that belong to no server family.
#pragma once

#include "qelOptionObject.h"
#include "qelTypes.h"

#include <cstdint>
#include <string>

namespace qel {

// Where and how to connect. Plain values only, so a copy is a member-wise copy.
class TConnectionOptions : public TOptionObject<TConnectionOptions> {
public:
    static constexpr std::int32_t DefaultPort = 0;
    static constexpr TQELProtocol DefaultProtocol = TQELProtocol::ptTCP;

    std::string ClassName() const override { return "TConnectionOptions"; }
    // Empties every value. Protocol becomes ptLocal, not the ptTCP of a fresh
    // object: a cleared connection names no server until one is given.
    void Clear();

    std::string DatabaseName;
    std::string UserName;
    std::string Password;
    std::string RoleName;
    // Free for callers that need to carry something with the connection;
    // copied and cleared with the rest, read by nobody here.
    std::string Custom1;
    std::string Custom2;
    std::string Custom3;
    std::int32_t Port = DefaultPort;
    std::string HostName;
    TQELProtocol Protocol = DefaultProtocol;
    bool UseWindowsAuthentication = false;
    // A complete ADO connection string that overrides the built one.
    std::string ConnectionString;
    std::string ClientLibrary;

private:
    friend class TOptionObject<TConnectionOptions>;
    static constexpr auto Fields()
    {
        using O = TConnectionOptions;
        return std::tuple(&O::DatabaseName, &O::UserName, &O::Password, &O::RoleName, &O::Custom1, &O::Custom2,
                          &O::Custom3, &O::Port, &O::HostName, &O::Protocol, &O::UseWindowsAuthentication,
                          &O::ConnectionString, &O::ClientLibrary);
    }
};

// The name the InterBase client library is given for these options: the
// host in front of the file when there is one. ("srv", 3051, "db") ->
// "srv/3051:db"; ("srv", 0, "db") -> "srv:db"; without a host "db".
std::string FullInterBaseName(const TConnectionOptions& Options);

// What a generated script contains. There is no Clear: the owner sets what it
// wants and copies the rest.
class TScriptOptions : public TOptionObject<TScriptOptions> {
public:
    std::string ClassName() const override { return "TScriptOptions"; }

    bool GenerateScript = true;
    bool Connect = true;
    bool SQLDialect = true;
    bool DBCharSet = true;
    bool LocalSQL = false;
    std::string FloatFormat;
    std::string DateFormat;
    std::string TimeFormat;
    std::string DateTimeFormat;

private:
    friend class TOptionObject<TScriptOptions>;
    static constexpr auto Fields()
    {
        using O = TScriptOptions;
        return std::tuple(&O::GenerateScript, &O::Connect, &O::SQLDialect, &O::DBCharSet, &O::LocalSQL,
                          &O::FloatFormat, &O::DateFormat, &O::TimeFormat, &O::DateTimeFormat);
    }
};

} // namespace qel
