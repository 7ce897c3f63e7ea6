#include "qelComp_Def.h"

namespace qel {

TDefData::TDefData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboDefault); }

TCltData::TCltData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboCollation); }

} // namespace qel
