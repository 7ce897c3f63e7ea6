#include "qelComp_Fnc.h"

#include "qelComp_Fld.h"

namespace qel {

TUdfData::TUdfData(TCustomObjs* AObjs) : TDbObj(AObjs), ResultField(std::make_unique<TFldData>(AObjs))
{
    SetObjectType(TDbObject::dboFunction);
}

TUdfData::~TUdfData() = default;

} // namespace qel
