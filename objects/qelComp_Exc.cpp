#include "qelComp_Exc.h"

namespace qel {

TExcData::TExcData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboException); }

TEvtData::TEvtData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboEvent); }

TEvtData::~TEvtData() = default;

TEvtSdlData* TEvtData::AddSchedule()
{
    Schedules.push_back(std::make_unique<TEvtSdlData>(this));
    return Schedules.back().get();
}

} // namespace qel
