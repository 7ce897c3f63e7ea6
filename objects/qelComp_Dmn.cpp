#include "qelComp_Dmn.h"

#include "qelComp_Fld.h"
#include "qelComp_Prc.h"

namespace qel {

TPGTypeOptions::TPGTypeOptions(TDmnData* AOwner) : Owner(AOwner) {}

TPGTypeOptions::~TPGTypeOptions() = default;

TDmnData::TDmnData(TCustomObjs* AObjs) : TDbObj(AObjs), PGTypeOptions(this)
{
    BaseField = std::make_unique<TFldData>(AObjs, this);
    SetObjectType(TDbObject::dboDomain);
}

TDmnData::~TDmnData() = default;

} // namespace qel
