// The MySQL option objects: comparison switches, the settings that own
// them, and the table options of a CREATE TABLE.
#pragma once

#include "qelOptionObject.h"
#include "qelServerVersions.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qel {

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

} // namespace qel
