// The InterBase/Firebird option objects: comparison switches, what is read
// from a connected database, and the settings that own both.
#pragma once

#include "qelOptionObject.h"
#include "qelServerVersions.h"
#include "qelTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qel {

class TConnectionOptions;

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

} // namespace qel
