#include "qelComp_Rul.h"

namespace qel {

TRulData::TRulData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboRule); }

} // namespace qel
