// The MS SQL Server option objects: comparison switches, database
// properties, and the settings that own both.
#pragma once

#include "qelOptionObject.h"
#include "qelServerVersions.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qel {

// MS SQL Server comparison switches.
class TMSSQLCompareOptions : public TOptionObject<TMSSQLCompareOptions> {
public:
    std::string ClassName() const override { return "TMSSQLCompareOptions"; }
    // Keeps UpdateColumnPosition, the user's choice about generated scripts.
    void Clear();

    bool IgnoreFileGroup = false;
    bool IgnoreSysName = true;
    bool CaseSensitiveIdentifiers = false;
    bool UpdateColumnPosition = false;

private:
    friend class TOptionObject<TMSSQLCompareOptions>;
    static constexpr auto Fields()
    {
        using O = TMSSQLCompareOptions;
        return std::tuple(&O::IgnoreFileGroup, &O::IgnoreSysName, &O::CaseSensitiveIdentifiers,
                          &O::UpdateColumnPosition);
    }
};

// Properties of an MS SQL database that scripts depend on.
class TMSSQLDatabaseOptions : public TOptionObject<TMSSQLDatabaseOptions> {
public:
    std::string ClassName() const override { return "TMSSQLDatabaseOptions"; }
    // Keeps CompatibilityLevel, which says what the server understands.
    void Clear();

    std::string Collation;
    bool AnsiNulls = false;
    bool AnsiPadding = false;
    bool QuotedIdentifier = false;
    bool ReadOnly = false;
    std::int32_t DatabaseId = 0;
    std::int32_t CompatibilityLevel = 0; // 0: unknown, 90: SQL Server 2005, ...

private:
    friend class TOptionObject<TMSSQLDatabaseOptions>;
    static constexpr auto Fields()
    {
        using O = TMSSQLDatabaseOptions;
        return std::tuple(&O::Collation, &O::AnsiNulls, &O::AnsiPadding, &O::QuotedIdentifier, &O::ReadOnly,
                          &O::DatabaseId, &O::CompatibilityLevel);
    }
};

class TMSSQLServerOptions : public TOptionObject<TMSSQLServerOptions> {
public:
    static constexpr TMSSQLServerVersionType DefaultSQLServerVersion = TMSSQLServerVersionType::st_MSSQL2017;

    TMSSQLServerOptions();
    ~TMSSQLServerOptions() override;
    TMSSQLServerOptions(const TMSSQLServerOptions&) = delete;
    TMSSQLServerOptions& operator=(const TMSSQLServerOptions&) = delete;

    std::string ClassName() const override { return "TMSSQLServerOptions"; }
    // The version goes back to st_MSSQL2000, not to the declared default.
    void Clear();

    std::string DBCharSet;
    std::string Collation;
    TMSSQLServerVersionType SQLServerVersion = TMSSQLServerVersionType::st_MSSQL2000;

    TMSSQLCompareOptions& MSSQLCompareOptions() { return *m_MSSQLCompareOptions; }
    const TMSSQLCompareOptions& MSSQLCompareOptions() const { return *m_MSSQLCompareOptions; }
    void SetMSSQLCompareOptions(const TMSSQLCompareOptions& Value) { m_MSSQLCompareOptions->Assign(Value); }

    TMSSQLDatabaseOptions& MSSQLDatabaseOptions() { return *m_MSSQLDatabaseOptions; }
    const TMSSQLDatabaseOptions& MSSQLDatabaseOptions() const { return *m_MSSQLDatabaseOptions; }

private:
    friend class TOptionObject<TMSSQLServerOptions>;
    static constexpr auto Fields()
    {
        using O = TMSSQLServerOptions;
        return std::tuple(&O::DBCharSet, &O::Collation, &O::SQLServerVersion, &O::m_MSSQLCompareOptions,
                          &O::m_MSSQLDatabaseOptions);
    }

    std::unique_ptr<TMSSQLCompareOptions> m_MSSQLCompareOptions;
    std::unique_ptr<TMSSQLDatabaseOptions> m_MSSQLDatabaseOptions;
};

} // namespace qel
