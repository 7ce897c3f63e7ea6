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
    static constexpr TDbObject Kind = TDbObject::dboFunction;
    explicit TUdfData(TCustomObjs* AObjs);
    ~TUdfData() override;
    std::string ClassName() const override { return "TUdfData"; }

    // "DECLARE EXTERNAL FUNCTION F\r\nINTEGER, CSTRING(10)\r\n
    // RETURNS CSTRING(10) FREE_IT\r\nENTRY_POINT 'f' MODULE_NAME 'lib'"; without
    // parameters RETURNS follows on the second line.
    std::string GetCreateDDL() const override;
    // The base walk, then the views and computed columns that call it go...
    void DropDependents() override;
    // ...and come back from the source side once it is gone.
    void AfterDrop() override;

    TOwnedNameList<TFldData> Params;
    std::unique_ptr<TFldData> ResultField;
    std::string EntryPoint;
    std::string ModuleName;
    bool FreeIt = false;
};

} // namespace qel
