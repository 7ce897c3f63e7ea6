// Views.
#pragma once

#include "qelClasses.h"
#include "qelComp_Trg.h"
#include "qelStrings.h"

#include <string>

namespace qel {

class TFldData;

// One view: its column list (owned column objects), its query (Body) and the
// Oracle, MS SQL and MySQL view options.
class TViwData : public TDbObj {
public:
    explicit TViwData(TCustomObjs* AObjs);
    ~TViwData() override;
    std::string ClassName() const override { return "TViwData"; }

    TOwnedNameList<TFldData> Columns;
    std::string OfType;
    std::string ObjectIdKeyword;
    TStringList ObjectIdColumns;
    std::string Algorithm;
    std::string SqlSecurity;
    bool WithEncryption = false;
    bool SchemaBinding = false;
    bool ViewMetadata = false;

    // The triggers defined on this view forget it when it goes.
    TTriggerRefs TriggerRefs;
};

} // namespace qel
