// Tables, Sybase ASA publications with their articles, and schemas.
#pragma once

#include "qelClasses.h"
#include "qelComp_Trg.h"
#include "qelDBOptions.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TFldData;

// One table. Owns its columns (in order; found by name ignoring ASCII case
// under MS SQL, exactly under every other server type, as the collection's
// type stood when the table was made) and its storage and MySQL options.
class TTblData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboTable;
    explicit TTblData(TCustomObjs* AObjs);
    ~TTblData() override;
    std::string ClassName() const override { return "TTblData"; }

    bool DeferComputedFields = false;
    TTableSpace TableSpace;
    TMySQLTableOptions MySQLOptions;
    TOwnedNameList<TFldData> Fields;
    std::string ExternalFile;
    bool GlobalTemporary = false;
    std::uint8_t OnCommit = 0; // 1 DELETE ROWS, 2 PRESERVE ROWS
    std::string OfType;
    std::string AsQuery;
    std::string NestedTable;
    std::string OracleExtra;
    std::string StoreAs;
    std::string Storage;
    std::string ClusterName;
    std::string ClusterColumns;
    std::string LobClause;
    bool NoLogging = false;
    bool Compress = false;
    std::string TablespaceName;
    std::string PartitionColumns;
    std::string PartitionsText;
    bool WithOids = false;

    // The triggers defined on this table forget it when it goes.
    TTriggerRefs TriggerRefs;

    // ---- texts ----
    // "CREATE TABLE T(A INTEGER NOT NULL,\r\nB VARCHAR(10))"; under MySQL the
    // whole statement with the table's keys in line (as GetMySQLCreateText,
    // but nothing is marked).
    std::string GetCreateDDL() const override;
    // The same text; under MySQL the keys written in line count as created.
    std::string GetCreateScript() override;
    // "DROP TABLE dbo.T"
    std::string GetDropScript() const override;
    // What follows CREATE: "TABLE T(A INTEGER)\r\n ON COMMIT DELETE ROWS";
    // also the type of a TABLE-typed column.
    std::string GetTableText() const;
    // CREATE TABLE with each computed column held as a placeholder of its
    // place, completed later by the column's GetComputedAlterScript:
    //   "CREATE TABLE T(A INTEGER,\r\nC COMPUTED BY (NULL))"
    std::string GetPlaceholderCreateDDL() const;
    // "CREATE TABLE T(A INTEGER NOT NULL,\r\nCONSTRAINT PK_T PRIMARY KEY(A),
    // \r\nKEY IX (A))" + the table options: the collection's primary and
    // unique keys and indexes of the table, each of which then counts as
    // created.
    std::string GetMySQLCreateText();

    // ---- the walk ----
    void SetDeferComputedFields(bool Value) { DeferComputedFields = Value; }
    // CREATE TABLE (then an empty comment line) once its columns' domains
    // and its computed columns' dependencies exist; computed columns left
    // out (DeferComputedFields) are added one by one once what they use
    // exists. Reached again from such a dependency, the table is written at
    // once without its computed columns.
    void CreateObject() override;
    void CreateDependencies() override;
    // Its triggers, indexes, constraints, computed columns and publications
    // that use it go first, and what uses its columns.
    void DropDependents() override;
    // Its constraints went with it.
    void AfterDrop() override;

    bool IsOwnedByUser() const override { return true; }

protected:
    // Kept while the source side holds another table of its key.
    bool KeptBySourceSide() const override;
    // Its columns go with it.
    void MarkPartsDropped() override;

private:
    std::string TableText(bool Placeholders) const;
    // The CREATE statement; with Defer the computed columns are left out.
    void WriteCreate(bool Defer);
    std::string MySQLCreateText(bool MarkExisting) const;
};

class TPblData;

// One article of a publication: a table and, optionally, some of its
// columns (an entry's column object, when there is one, is owned).
class TPblArtData {
public:
    explicit TPblArtData(TPblData* APublication);
    ~TPblArtData();
    TPblArtData(const TPblArtData&) = delete;
    TPblArtData& operator=(const TPblArtData&) = delete;

    TOwnedNameList<TFldData> Columns;
    TPblData* Publication; // the owner, whose QuoteName quotes the names
    std::string TableName;
    std::string TableOwner;

    // "    TABLE O.T(A, B)"; DBA for a table without owner.
    std::string GetText() const;
};

// A Sybase ASA publication; owns its articles. Its owner name is Owner.
class TPblData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboPublication;
    explicit TPblData(TCustomObjs* AObjs);
    ~TPblData() override;
    std::string ClassName() const override { return "TPblData"; }

    // Appends a new article of this publication and returns it.
    TPblArtData* AddArticle();

    std::vector<std::unique_ptr<TPblArtData>> Articles;

    // "CREATE PUBLICATION O.P (\r\n    TABLE O.T(A, B)\r\n)"
    std::string GetCreateDDL() const override;
    // "DROP PUBLICATION O.P"
    std::string GetDropScript() const override;
    // The base walk, then every table (or table column) it uses that does
    // not exist, whether or not its link was handled already.
    void CreateDependencies() override;
};

// A schema and the owner CREATE SCHEMA names.
class TSchData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboSchema;
    explicit TSchData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TSchData"; }

    std::string Authorization;

    // "CREATE SCHEMA S"; MS SQL "CREATE SCHEMA S AUTHORIZATION U" for an
    // owner other than the schema.
    std::string GetCreateDDL() const override;
    // "DROP SCHEMA S"
    std::string GetDropScript() const override;
};

} // namespace qel
