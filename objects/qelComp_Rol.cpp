#include "qelComp_Rol.h"

namespace qel {

TRolData::TRolData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboRole); }

TGntData::TGntData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboGrant); }

} // namespace qel
