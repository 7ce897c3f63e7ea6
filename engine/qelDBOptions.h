// Settings objects that connections, executors, the comparer and the object
// model own and copy between each other, and the server-version enumerations
// that version-dependent text is chosen by.
#pragma once

#include "qelOptionObject.h"
#include "qelSet.h"
#include "qelTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qel {

enum class TIBSQLServerVersionType : std::uint8_t {
    st_InterBase_4x, st_InterBase_5x, st_InterBase_6x, st_FireBird_1x, st_Yaffil_1x, st_FireBird_15,
    st_InterBase_7x, st_InterBase_75, st_Firebird_20, st_Firebird_21, st_Firebird_25, st_Firebird_30,
    st_Firebird_40, st_InterBase_2020
};

enum class TMSSQLServerVersionType : std::uint8_t {
    st_MSSQL2000, st_MSSQL2005, st_MSSQL2008, st_MSSQL2012, st_MSSQL2014, st_MSSQL2016, st_MSSQL2017, st_MSSQL2019
};

enum class TASAServerVersionType : std::uint8_t { st_ASA5, st_ASA6, st_ASA7, st_ASA8, st_ASA9 };

enum class TASEServerVersionType : std::uint8_t { st_ASE12 };

enum class TPGSQLServerVersionType : std::uint8_t {
    st_PostgreSQL_7x, st_PostgreSQL_8x, st_PostgreSQL_9x, st_PostgreSQL_10x, st_PostgreSQL_11x,
    st_PostgreSQL_12x, st_PostgreSQL_13x, st_PostgreSQL_14x
};

enum class TMySQLServerVersionType : std::uint8_t { st_MySQL_3x, st_MySQL_4x, st_MySQL_5x, st_MySQL_8x, st_MariaDB_10x };

enum class TOracleServerVersionType : std::uint8_t {
    st_Oracle_7x, st_Oracle_8x, st_Oracle_9x, st_Oracle_10x, st_Oracle_11x, st_Oracle_12x, st_Oracle_18x,
    st_Oracle_19x, st_Oracle_21x
};

enum class TDB2ServerVersionType : std::uint8_t { st_DB2_8x, st_DB2_9x, st_DB2_10x, st_DB2_11x };

// The InterBase SQL dialect, 1 to 3.
using TIBSQLDialectType = std::uint8_t;

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

// InterBase/Firebird comparison switches.
class TIBCompareOptions : public TOptionObject<TIBCompareOptions> {
public:
    std::string ClassName() const override { return "TIBCompareOptions"; }
    // Resets the comparison switches but keeps ModifySystemTables,
    // GenerateCOMMIT and AllowDataTypeConversion: executors clear their
    // options before every run, and those three are the user's decisions about
    // what a script may do, not state of the previous run.
    void Clear();

    bool DbCharsetCompare = false;
    bool FldCharsetCompare = false;
    TUpdateDescriptionType UpdateDescriptionMode = TUpdateDescriptionType::udSysTables;
    bool ModifySystemTables = false;
    bool GenerateCOMMIT = false;
    bool UseRECONNECT = true;
    bool AllowDataTypeConversion = false;
    bool UpdateFieldPosition = true;
    bool ExtractOnlyComparedObjects = true;
    bool IgnoreToolObjects = true;

private:
    friend class TOptionObject<TIBCompareOptions>;
    // Copies every switch, UseRECONNECT included, so that a user's choice
    // travels with the options into a connection or executor.
    static constexpr auto Fields()
    {
        using O = TIBCompareOptions;
        return std::tuple(&O::DbCharsetCompare, &O::FldCharsetCompare, &O::UpdateDescriptionMode,
                          &O::ModifySystemTables, &O::GenerateCOMMIT, &O::UseRECONNECT, &O::AllowDataTypeConversion,
                          &O::UpdateFieldPosition, &O::ExtractOnlyComparedObjects, &O::IgnoreToolObjects);
    }
};

// What the InterBase back end reads from a connected database.
class TIBDatabaseOptions : public TOptionObject<TIBDatabaseOptions> {
public:
    std::string ClassName() const override { return "TIBDatabaseOptions"; }
    void Clear();

    std::string VersionText;       // the client's version information of the database
    std::string ServerVersionText; // from the server's properties service
    std::int32_t ODSMajorVersion = 0;
    std::int32_t ODSMinorVersion = 0;
    std::int32_t PageSize = 0;
    std::int32_t ForcedWrites = 0; // non-zero: on
    std::int32_t SweepInterval = 0;
    std::int32_t ReadOnly = 0; // non-zero: read-only
    std::int32_t NumBuffers = 0;
    std::int32_t ImplementationNo = 0;
    std::int32_t ImplementationClass = 0;
    std::int32_t DBSQLDialect = 0;

private:
    friend class TOptionObject<TIBDatabaseOptions>;
    static constexpr auto Fields()
    {
        using O = TIBDatabaseOptions;
        return std::tuple(&O::VersionText, &O::ServerVersionText, &O::ODSMajorVersion, &O::ODSMinorVersion,
                          &O::PageSize, &O::ForcedWrites, &O::SweepInterval, &O::ReadOnly, &O::NumBuffers,
                          &O::ImplementationNo, &O::ImplementationClass, &O::DBSQLDialect);
    }
};

// InterBase/Firebird settings. Owns its compare and database options; they
// are copied into, never shared. The descendants below are the same settings
// under the names their owners know them by, and copy to and from each other.
class TIBServerOptions : public TOptionObject<TIBServerOptions> {
public:
    static constexpr TIBSQLServerVersionType DefaultSQLServerVersion = TIBSQLServerVersionType::st_Firebird_25;
    static constexpr TIBSQLDialectType DefaultSQLDialect = 3;

    TIBServerOptions();
    ~TIBServerOptions() override;
    TIBServerOptions(const TIBServerOptions&) = delete;
    TIBServerOptions& operator=(const TIBServerOptions&) = delete;

    std::string ClassName() const override { return "TIBServerOptions"; }
    // Resets everything but SQLServerVersion, which describes the server and
    // not the run.
    void Clear();

    TIBSQLServerVersionType SQLServerVersion = DefaultSQLServerVersion;
    TIBSQLDialectType SQLDialect = DefaultSQLDialect;

    // The connection's character set (lc_ctype, SET NAMES); stored
    // upper-cased ("win1252" reads "WIN1252").
    const std::string& DBCharSet() const { return m_DBCharSet; }
    void SetDBCharSet(std::string_view Value);
    // The database's own default character set, as CREATE DATABASE ...
    // DEFAULT CHARACTER SET gave it (a database created without one has
    // NONE); empty while nobody said it apart from DBCharSet. Stored
    // upper-cased. A script's SET NAMES changes DBCharSet only: the
    // literals that follow are in that set, the database's default is not.
    const std::string& DefaultCharSet() const { return m_DefaultCharSet; }
    void SetDefaultCharSet(std::string_view Value);
    // The set a database created with these options gets: DefaultCharSet
    // when given, else DBCharSet, as it always was for options that hold
    // one set for both.
    const std::string& DatabaseCharSet() const { return m_DefaultCharSet.empty() ? m_DBCharSet : m_DefaultCharSet; }

    TIBCompareOptions& IBCompareOptions() { return *m_IBCompareOptions; }
    const TIBCompareOptions& IBCompareOptions() const { return *m_IBCompareOptions; }
    void SetIBCompareOptions(const TIBCompareOptions& Value) { m_IBCompareOptions->Assign(Value); }

    TIBDatabaseOptions& IBDatabaseOptions() { return *m_IBDatabaseOptions; }
    const TIBDatabaseOptions& IBDatabaseOptions() const { return *m_IBDatabaseOptions; }
    void SetIBDatabaseOptions(const TIBDatabaseOptions& Value) { m_IBDatabaseOptions->Assign(Value); }

    // "SET NAMES WIN1252"; empty when DBCharSet is empty or NONE.
    std::string GetSetNamesSQL() const;
    // "SET SQL DIALECT 3" for dialect 3, else empty.
    std::string GetSQLDialectSQL() const;
    // "CONNECT 'db.fdb' USER 'SYSDBA' PASSWORD 'pw' ROLE 'R'", each part after
    // the name only when set; empty without a database name. No terminator.
    std::string GetConnectSQL(const TConnectionOptions& ConnectionOptions) const;

private:
    friend class TOptionObject<TIBServerOptions>;
    static constexpr auto Fields()
    {
        using O = TIBServerOptions;
        return std::tuple(&O::SQLServerVersion, &O::SQLDialect, &O::m_DBCharSet, &O::m_DefaultCharSet,
                          &O::m_IBCompareOptions, &O::m_IBDatabaseOptions);
    }

    std::string m_DBCharSet;
    std::string m_DefaultCharSet;
    std::unique_ptr<TIBCompareOptions> m_IBCompareOptions;
    std::unique_ptr<TIBDatabaseOptions> m_IBDatabaseOptions;
};

// The InterBase settings of an executor.
class TIBSQLExecOptions : public TIBServerOptions {
public:
    std::string ClassName() const override { return "TIBSQLExecOptions"; }
};

// The InterBase settings of the comparer.
class TIBVelmorinOptions : public TIBServerOptions {
public:
    std::string ClassName() const override { return "TIBVelmorinOptions"; }
};

// The InterBase settings of a connection.
class TIBEngineOptions : public TIBServerOptions {
public:
    std::string ClassName() const override { return "TIBEngineOptions"; }
};

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

class TMySQLCompareOptions : public TOptionObject<TMySQLCompareOptions> {
public:
    std::string ClassName() const override { return "TMySQLCompareOptions"; }
    void Clear();

    bool CaseSensitiveIdentifiers = true;

private:
    friend class TOptionObject<TMySQLCompareOptions>;
    static constexpr auto Fields() { return std::tuple(&TMySQLCompareOptions::CaseSensitiveIdentifiers); }
};

class TMySQLServerOptions : public TOptionObject<TMySQLServerOptions> {
public:
    TMySQLServerOptions();
    ~TMySQLServerOptions() override;
    TMySQLServerOptions(const TMySQLServerOptions&) = delete;
    TMySQLServerOptions& operator=(const TMySQLServerOptions&) = delete;

    std::string ClassName() const override { return "TMySQLServerOptions"; }
    void Clear();

    TMySQLServerVersionType SQLServerVersion = TMySQLServerVersionType::st_MySQL_5x;
    std::string CharSet;
    std::string Names;

    TMySQLCompareOptions& MySQLCompareOptions() { return *m_MySQLCompareOptions; }
    const TMySQLCompareOptions& MySQLCompareOptions() const { return *m_MySQLCompareOptions; }
    void SetMySQLCompareOptions(const TMySQLCompareOptions& Value) { m_MySQLCompareOptions->Assign(Value); }

private:
    friend class TOptionObject<TMySQLServerOptions>;
    // Copies the version, CharSet, Names and the compare options: the
    // comparer writes its SET CHARACTER SET / SET NAMES header from a copy.
    static constexpr auto Fields()
    {
        using O = TMySQLServerOptions;
        return std::tuple(&O::SQLServerVersion, &O::CharSet, &O::Names, &O::m_MySQLCompareOptions);
    }

    std::unique_ptr<TMySQLCompareOptions> m_MySQLCompareOptions;
};

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

// The table options of a MySQL CREATE TABLE. A text counts as given when it
// is not empty; the numbers as GetSQL says.
class TMySQLTableOptions : public TOptionObject<TMySQLTableOptions> {
public:
    std::string ClassName() const override { return "TMySQLTableOptions"; }

    // One option a line, each after a line break, e.g. Engine InnoDB and
    // Comment "it's": "\r\nENGINE=InnoDB\r\nCOMMENT='it\'s'".
    std::string GetSQL() const;

    std::string DefaultCharSet;
    std::string Engine;
    std::int32_t AvgRowLength = 0;
    std::int32_t Checksum = 0;
    std::string DefaultCollation;
    std::string Comment;
    std::string Connection;
    std::string DataDirectory;
    std::int32_t DelayKeyWrite = 0;
    std::string IndexDirectory;
    std::string InsertMethod;
    std::int32_t KeyBlockSize = 0;
    std::int32_t MaxRows = 0;
    std::int32_t MinRows = 0;
    std::string PackKeys;
    std::string Password;
    std::string RowFormat;

private:
    friend class TOptionObject<TMySQLTableOptions>;
    static constexpr auto Fields()
    {
        using O = TMySQLTableOptions;
        return std::tuple(&O::DefaultCharSet, &O::Engine, &O::AvgRowLength, &O::Checksum, &O::DefaultCollation,
                          &O::Comment, &O::Connection, &O::DataDirectory, &O::DelayKeyWrite, &O::IndexDirectory,
                          &O::InsertMethod, &O::KeyBlockSize, &O::MaxRows, &O::MinRows, &O::PackKeys, &O::Password,
                          &O::RowFormat);
    }
};

// The nine option objects that a connection and an executor each own; an
// executor copies its set into its connection's before connecting. The only
// difference between the two sets is the class of the InterBase options.
template <class TIBOptions>
class TServerOptionSet {
public:
    TServerOptionSet()
        : m_connectionOptions(std::make_unique<TConnectionOptions>()),
          m_IBServerOptions(std::make_unique<TIBOptions>()),
          m_MSSQLServerOptions(std::make_unique<TMSSQLServerOptions>()),
          m_MySQLServerOptions(std::make_unique<TMySQLServerOptions>()),
          m_ASAServerOptions(std::make_unique<TASAServerOptions>()),
          m_ASEServerOptions(std::make_unique<TASEServerOptions>()),
          m_OracleServerOptions(std::make_unique<TOracleServerOptions>()),
          m_PGSQLServerOptions(std::make_unique<TPGSQLServerOptions>()),
          m_DB2ServerOptions(std::make_unique<TDB2ServerOptions>())
    {
    }
    TServerOptionSet(const TServerOptionSet&) = delete;
    TServerOptionSet& operator=(const TServerOptionSet&) = delete;

    TConnectionOptions& ConnectionOptions() { return *m_connectionOptions; }
    TIBOptions& IBServerOptions() { return *m_IBServerOptions; }
    TMSSQLServerOptions& MSSQLServerOptions() { return *m_MSSQLServerOptions; }
    TMySQLServerOptions& MySQLServerOptions() { return *m_MySQLServerOptions; }
    TASAServerOptions& ASAServerOptions() { return *m_ASAServerOptions; }
    TASEServerOptions& ASEServerOptions() { return *m_ASEServerOptions; }
    TOracleServerOptions& OracleServerOptions() { return *m_OracleServerOptions; }
    TPGSQLServerOptions& PGSQLServerOptions() { return *m_PGSQLServerOptions; }
    TDB2ServerOptions& DB2ServerOptions() { return *m_DB2ServerOptions; }
    const TConnectionOptions& ConnectionOptions() const { return *m_connectionOptions; }
    const TIBOptions& IBServerOptions() const { return *m_IBServerOptions; }
    const TMSSQLServerOptions& MSSQLServerOptions() const { return *m_MSSQLServerOptions; }
    const TMySQLServerOptions& MySQLServerOptions() const { return *m_MySQLServerOptions; }
    const TASAServerOptions& ASAServerOptions() const { return *m_ASAServerOptions; }
    const TASEServerOptions& ASEServerOptions() const { return *m_ASEServerOptions; }
    const TOracleServerOptions& OracleServerOptions() const { return *m_OracleServerOptions; }
    const TPGSQLServerOptions& PGSQLServerOptions() const { return *m_PGSQLServerOptions; }
    const TDB2ServerOptions& DB2ServerOptions() const { return *m_DB2ServerOptions; }

    // Setters copy into the owned objects; the argument is never kept.
    void SetConnectionOptions(const TConnectionOptions& Value) { m_connectionOptions->Assign(Value); }
    void SetIBServerOptions(const TIBServerOptions& Value) { m_IBServerOptions->Assign(Value); }
    void SetMSSQLServerOptions(const TMSSQLServerOptions& Value) { m_MSSQLServerOptions->Assign(Value); }
    void SetMySQLServerOptions(const TMySQLServerOptions& Value) { m_MySQLServerOptions->Assign(Value); }
    void SetASAServerOptions(const TASAServerOptions& Value) { m_ASAServerOptions->Assign(Value); }
    void SetASEServerOptions(const TASEServerOptions& Value) { m_ASEServerOptions->Assign(Value); }
    void SetOracleServerOptions(const TOracleServerOptions& Value) { m_OracleServerOptions->Assign(Value); }
    void SetPGSQLServerOptions(const TPGSQLServerOptions& Value) { m_PGSQLServerOptions->Assign(Value); }
    void SetDB2ServerOptions(const TDB2ServerOptions& Value) { m_DB2ServerOptions->Assign(Value); }

    // Copies all nine objects of Source, in the order above.
    template <class TOtherIB>
    void AssignOptions(const TServerOptionSet<TOtherIB>& Source)
    {
        SetConnectionOptions(Source.ConnectionOptions());
        SetIBServerOptions(Source.IBServerOptions());
        SetMSSQLServerOptions(Source.MSSQLServerOptions());
        SetMySQLServerOptions(Source.MySQLServerOptions());
        SetASAServerOptions(Source.ASAServerOptions());
        SetASEServerOptions(Source.ASEServerOptions());
        SetOracleServerOptions(Source.OracleServerOptions());
        SetPGSQLServerOptions(Source.PGSQLServerOptions());
        SetDB2ServerOptions(Source.DB2ServerOptions());
    }

    void ClearOptions()
    {
        m_connectionOptions->Clear();
        m_IBServerOptions->Clear();
        m_MSSQLServerOptions->Clear();
        m_MySQLServerOptions->Clear();
        m_ASAServerOptions->Clear();
        m_ASEServerOptions->Clear();
        m_OracleServerOptions->Clear();
        m_PGSQLServerOptions->Clear();
        m_DB2ServerOptions->Clear();
    }

private:
    std::unique_ptr<TConnectionOptions> m_connectionOptions;
    std::unique_ptr<TIBOptions> m_IBServerOptions;
    std::unique_ptr<TMSSQLServerOptions> m_MSSQLServerOptions;
    std::unique_ptr<TMySQLServerOptions> m_MySQLServerOptions;
    std::unique_ptr<TASAServerOptions> m_ASAServerOptions;
    std::unique_ptr<TASEServerOptions> m_ASEServerOptions;
    std::unique_ptr<TOracleServerOptions> m_OracleServerOptions;
    std::unique_ptr<TPGSQLServerOptions> m_PGSQLServerOptions;
    std::unique_ptr<TDB2ServerOptions> m_DB2ServerOptions;
};

} // namespace qel
