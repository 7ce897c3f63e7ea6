#include "qelComp_Viw.h"

#include "qelComp_Fld.h"

namespace qel {

TViwData::TViwData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboView); }

TViwData::~TViwData() = default;

} // namespace qel
