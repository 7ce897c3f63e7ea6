#include "qelComp_Pkg.h"

namespace qel {

TPkgData::TPkgData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboPackage); }

} // namespace qel
