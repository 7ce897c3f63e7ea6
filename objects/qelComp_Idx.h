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
};

} // namespace qel
