#include "qelComp_Idx.h"

#include "qelComp_Fld.h"

namespace qel {

TIdxData::TIdxData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboIndex); }

TIdxData::~TIdxData() = default;

} // namespace qel
