// InterBase/Firebird external functions.
#pragma once

#include "qelClasses.h"

#include <memory>
#include <string>

namespace qel {

class TFldData;

// One external function: owns its parameters (in order) and the field that
// describes its result.
class TUdfData : public TDbObj {
public:
    explicit TUdfData(TCustomObjs* AObjs);
    ~TUdfData() override;
    std::string ClassName() const override { return "TUdfData"; }

    TOwnedNameList<TFldData> Params;
    std::unique_ptr<TFldData> ResultField;
    std::string EntryPoint;
    std::string ModuleName;
    bool FreeIt = false;
};

} // namespace qel
