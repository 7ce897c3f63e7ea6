// Indexes.
#pragma once

#include "qelClasses.h"

#include <string>

namespace qel {

class TFldData;

// One index. Owns its key and INCLUDE column lists (each entry's column
// object carries the sort order and, for MySQL, the prefix length) and its
// option objects. Body is the expression of an expression index.
class TIdxData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboIndex;
    explicit TIdxData(TCustomObjs* AObjs);
    ~TIdxData() override;
    std::string ClassName() const override { return "TIdxData"; }

    TTableSpace TableSpace;
    bool Unique = false;
    bool Bitmap = false;
    bool Descending = false;
    std::string TableName;
    TOwnedNameList<TFldData> Fields;
    bool Active = true;
    bool Clustered = false;
    std::string FileGroup;
    bool PrimaryXml = false;
    bool Xml = false;
    TOwnedNameList<TFldData> IncludeFields;
    std::string XmlUsing;
    TIndexOptions XmlOptions;
    std::string Filter;
    std::string IndexType;
    std::string Parameters;
    bool NoLogging = false;
    std::string TablespaceName;
    bool Compress = false;
    bool NoCompress = false;
    TIndexOptions Options; // IndexMethod holds the MySQL index method
    bool FullText = false;
    std::string KeyIndex;
    std::string FullTextCatalog;
    std::string FullTextFileGroup;
    TFullTextIndexOptions FullTextOptions;
    bool Spatial = false;
    bool AllowReverseScans = false;

    // ---- texts ----
    // MySQL "T.IX" (an index name is unique only within its table); the
    // base key elsewhere.
    std::string GetKey() const override;
    // "CREATE UNIQUE DESC INDEX I ON T(A, B)", "CREATE INDEX I ON T COMPUTED
    // BY(UPPER(NAME))", "CREATE CLUSTERED INDEX IX ON dbo.T(A DESC)\r\n
    //   INCLUDE (B)\r\nON FG"
    std::string GetCreateDDL() const override;
    // MS SQL "DROP INDEX dbo.T.IX", MySQL "DROP INDEX IX ON T", PostgreSQL
    // "DROP INDEX s.IX" ("DROP INDEX IX" without a schema); InterBase and
    // the rest the base text.
    std::string GetDropScript() const override;
    // The base walk; InterBase then reconnects before the index goes.
    void DropDependents() override;
    // "A DESC, B"; MySQL "C(10), D" for a prefix length.
    std::string GetFieldsText() const;
    // "B, C"
    std::string GetIncludeFieldsText() const;
    std::string GetIndexTableName() const override { return TableName; }
};

} // namespace qel
