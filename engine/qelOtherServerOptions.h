// The option objects of SQL Anywhere, ASE, Oracle, PostgreSQL and DB2, each
// family too small for a header of its own.
#pragma once

#include "qelOptionObject.h"
#include "qelServerVersions.h"
#include "qelSet.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qel {

class TASACompareOptions : public TOptionObject<TASACompareOptions> {
public:
    std::string ClassName() const override { return "TASACompareOptions"; }
    void Clear();

    bool CaseSensitiveIdentifiers = false;

private:
    friend class TOptionObject<TASACompareOptions>;
    static constexpr auto Fields() { return std::tuple(&TASACompareOptions::CaseSensitiveIdentifiers); }
};

// Properties of a SQL Anywhere database; copied and cleared, read by nobody here.
class TASADatabaseOptions : public TOptionObject<TASADatabaseOptions> {
public:
    std::string ClassName() const override { return "TASADatabaseOptions"; }
    void Clear();

    bool BlankPadding = true;
    bool CaseRespect = true;
    std::string Collation;
    std::string CharSet;
    std::int32_t PageSize = 0;

private:
    friend class TOptionObject<TASADatabaseOptions>;
    static constexpr auto Fields()
    {
        using O = TASADatabaseOptions;
        return std::tuple(&O::BlankPadding, &O::CaseRespect, &O::Collation, &O::CharSet, &O::PageSize);
    }
};

class TASAServerOptions : public TOptionObject<TASAServerOptions> {
public:
    TASAServerOptions();
    ~TASAServerOptions() override;
    TASAServerOptions(const TASAServerOptions&) = delete;
    TASAServerOptions& operator=(const TASAServerOptions&) = delete;

    std::string ClassName() const override { return "TASAServerOptions"; }
    void Clear();

    TASAServerVersionType SQLServerVersion = TASAServerVersionType::st_ASA9;

    TASACompareOptions& ASACompareOptions() { return *m_ASACompareOptions; }
    const TASACompareOptions& ASACompareOptions() const { return *m_ASACompareOptions; }
    void SetASACompareOptions(const TASACompareOptions& Value) { m_ASACompareOptions->Assign(Value); }

    TASADatabaseOptions& ASADatabaseOptions() { return *m_ASADatabaseOptions; }
    const TASADatabaseOptions& ASADatabaseOptions() const { return *m_ASADatabaseOptions; }

private:
    friend class TOptionObject<TASAServerOptions>;
    static constexpr auto Fields()
    {
        using O = TASAServerOptions;
        return std::tuple(&O::SQLServerVersion, &O::m_ASACompareOptions, &O::m_ASADatabaseOptions);
    }

    std::unique_ptr<TASACompareOptions> m_ASACompareOptions;
    std::unique_ptr<TASADatabaseOptions> m_ASADatabaseOptions;
};

class TASECompareOptions : public TOptionObject<TASECompareOptions> {
public:
    std::string ClassName() const override { return "TASECompareOptions"; }
    void Clear();

    bool IgnoreFileGroup = false;
    bool IgnoreSysName = true;
    bool CaseSensitiveIdentifiers = false;
    bool CompareDBOptions = true;

private:
    friend class TOptionObject<TASECompareOptions>;
    // Copies every switch, CompareDBOptions included.
    static constexpr auto Fields()
    {
        using O = TASECompareOptions;
        return std::tuple(&O::IgnoreFileGroup, &O::IgnoreSysName, &O::CaseSensitiveIdentifiers,
                          &O::CompareDBOptions);
    }
};

// The fifteen ASE database options, in the order of their names in
// TASEDatabaseOptions::GetOptionName.
enum class TASEDBOption : std::uint8_t {
    aseAbortTranOnLogFull, aseAllowNullsByDefault, aseAsyncLogService, aseAutoIdentity, aseDboUseOnly,
    aseDdlInTran, aseDisableAliasAccess, aseIdentityInNonuniqueIndex, aseNoChkptOnRecovery, aseNoFreeSpaceAcctg,
    aseReadOnly, aseSelectIntoBulkcopyPllsort, aseSingleUser, aseTruncLogOnChkpt, aseUniqueAutoIdentityIndex
};
using TASEDBOptions = TSet<TASEDBOption, 16>;

// Properties of an ASE database, as sp_helpdb reports them.
class TASEDatabaseOptions : public TOptionObject<TASEDatabaseOptions> {
public:
    std::string ClassName() const override { return "TASEDatabaseOptions"; }
    void Clear();

    // "abort tran on log full" for 0 ... "unique auto_identity index" for 14;
    // empty for any other index.
    static std::string GetOptionName(int Index);

    std::string VersionText;
    std::int32_t DBId = 0;
    std::int32_t Status = 0;
    std::string Name;
    std::string Size;
    std::string Owner;
    std::string Created;
    std::string OptionsText;
    TASEDBOptions Options;
    std::int32_t Status2 = 0;

private:
    friend class TOptionObject<TASEDatabaseOptions>;
    static constexpr auto Fields()
    {
        using O = TASEDatabaseOptions;
        return std::tuple(&O::VersionText, &O::DBId, &O::Status, &O::Name, &O::Size, &O::Owner, &O::Created,
                          &O::OptionsText, &O::Options, &O::Status2);
    }
};

class TASEServerOptions : public TOptionObject<TASEServerOptions> {
public:
    TASEServerOptions();
    ~TASEServerOptions() override;
    TASEServerOptions(const TASEServerOptions&) = delete;
    TASEServerOptions& operator=(const TASEServerOptions&) = delete;

    std::string ClassName() const override { return "TASEServerOptions"; }
    void Clear();

    TASEServerVersionType SQLServerVersion = TASEServerVersionType::st_ASE12;

    TASECompareOptions& ASECompareOptions() { return *m_ASECompareOptions; }
    const TASECompareOptions& ASECompareOptions() const { return *m_ASECompareOptions; }
    void SetASECompareOptions(const TASECompareOptions& Value) { m_ASECompareOptions->Assign(Value); }

    TASEDatabaseOptions& ASEDatabaseOptions() { return *m_ASEDatabaseOptions; }
    const TASEDatabaseOptions& ASEDatabaseOptions() const { return *m_ASEDatabaseOptions; }

private:
    friend class TOptionObject<TASEServerOptions>;
    static constexpr auto Fields()
    {
        using O = TASEServerOptions;
        return std::tuple(&O::SQLServerVersion, &O::m_ASECompareOptions, &O::m_ASEDatabaseOptions);
    }

    std::unique_ptr<TASECompareOptions> m_ASECompareOptions;
    std::unique_ptr<TASEDatabaseOptions> m_ASEDatabaseOptions;
};

// Oracle, PostgreSQL and DB2 have no comparison switches yet; the classes
// exist so that their server options have the same shape as the others.
class TOracleCompareOptions : public TOptionObject<TOracleCompareOptions> {
public:
    std::string ClassName() const override { return "TOracleCompareOptions"; }
    void Clear() {}

private:
    friend class TOptionObject<TOracleCompareOptions>;
    static constexpr auto Fields() { return std::tuple(); }
};

class TPgSQLCompareOptions : public TOptionObject<TPgSQLCompareOptions> {
public:
    std::string ClassName() const override { return "TPgSQLCompareOptions"; }
    void Clear() {}

private:
    friend class TOptionObject<TPgSQLCompareOptions>;
    static constexpr auto Fields() { return std::tuple(); }
};

class TDB2CompareOptions : public TOptionObject<TDB2CompareOptions> {
public:
    std::string ClassName() const override { return "TDB2CompareOptions"; }
    void Clear() {}

private:
    friend class TOptionObject<TDB2CompareOptions>;
    static constexpr auto Fields() { return std::tuple(); }
};

class TOracleServerOptions : public TOptionObject<TOracleServerOptions> {
public:
    TOracleServerOptions();
    ~TOracleServerOptions() override;
    TOracleServerOptions(const TOracleServerOptions&) = delete;
    TOracleServerOptions& operator=(const TOracleServerOptions&) = delete;

    std::string ClassName() const override { return "TOracleServerOptions"; }
    void Clear();

    TOracleServerVersionType SQLServerVersion = TOracleServerVersionType::st_Oracle_10x;

    TOracleCompareOptions& OracleCompareOptions() { return *m_OracleCompareOptions; }
    const TOracleCompareOptions& OracleCompareOptions() const { return *m_OracleCompareOptions; }
    void SetOracleCompareOptions(const TOracleCompareOptions& Value) { m_OracleCompareOptions->Assign(Value); }

private:
    friend class TOptionObject<TOracleServerOptions>;
    static constexpr auto Fields()
    {
        using O = TOracleServerOptions;
        return std::tuple(&O::SQLServerVersion, &O::m_OracleCompareOptions);
    }

    std::unique_ptr<TOracleCompareOptions> m_OracleCompareOptions;
};

class TPGSQLServerOptions : public TOptionObject<TPGSQLServerOptions> {
public:
    static constexpr TPGSQLServerVersionType DefaultSQLServerVersion = TPGSQLServerVersionType::st_PostgreSQL_12x;

    TPGSQLServerOptions();
    ~TPGSQLServerOptions() override;
    TPGSQLServerOptions(const TPGSQLServerOptions&) = delete;
    TPGSQLServerOptions& operator=(const TPGSQLServerOptions&) = delete;

    std::string ClassName() const override { return "TPGSQLServerOptions"; }
    // The version goes back to st_PostgreSQL_8x, not to the declared default.
    void Clear();

    TPGSQLServerVersionType SQLServerVersion = TPGSQLServerVersionType::st_PostgreSQL_8x;

    TPgSQLCompareOptions& PGSQLCompareOptions() { return *m_PGSQLCompareOptions; }
    const TPgSQLCompareOptions& PGSQLCompareOptions() const { return *m_PGSQLCompareOptions; }
    void SetPGSQLCompareOptions(const TPgSQLCompareOptions& Value) { m_PGSQLCompareOptions->Assign(Value); }

private:
    friend class TOptionObject<TPGSQLServerOptions>;
    static constexpr auto Fields()
    {
        using O = TPGSQLServerOptions;
        return std::tuple(&O::SQLServerVersion, &O::m_PGSQLCompareOptions);
    }

    std::unique_ptr<TPgSQLCompareOptions> m_PGSQLCompareOptions;
};

class TDB2ServerOptions : public TOptionObject<TDB2ServerOptions> {
public:
    TDB2ServerOptions();
    ~TDB2ServerOptions() override;
    TDB2ServerOptions(const TDB2ServerOptions&) = delete;
    TDB2ServerOptions& operator=(const TDB2ServerOptions&) = delete;

    std::string ClassName() const override { return "TDB2ServerOptions"; }
    void Clear();

    TDB2ServerVersionType SQLServerVersion = TDB2ServerVersionType::st_DB2_8x;

    TDB2CompareOptions& DB2CompareOptions() { return *m_DB2CompareOptions; }
    const TDB2CompareOptions& DB2CompareOptions() const { return *m_DB2CompareOptions; }
    void SetDB2CompareOptions(const TDB2CompareOptions& Value) { m_DB2CompareOptions->Assign(Value); }

private:
    friend class TOptionObject<TDB2ServerOptions>;
    static constexpr auto Fields()
    {
        using O = TDB2ServerOptions;
        return std::tuple(&O::SQLServerVersion, &O::m_DB2CompareOptions);
    }

    std::unique_ptr<TDB2CompareOptions> m_DB2CompareOptions;
};

} // namespace qel
