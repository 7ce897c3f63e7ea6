#include "qelComp_Opr.h"

#include "qelComp_Fld.h"

namespace qel {

TOprData::TOprData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboOperator); }

TOpcFncData::TOpcFncData(TOpcData* AOpClass) : OpClass(AOpClass) {}

TOpcFncData::~TOpcFncData() = default;

TOpcData::TOpcData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboOperatorClass); }

TOpcData::~TOpcData() = default;

TOpcOprData* TOpcData::AddOperator()
{
    Operators.push_back(std::make_unique<TOpcOprData>(this));
    return Operators.back().get();
}

TOpcFncData* TOpcData::AddFunction()
{
    Functions.push_back(std::make_unique<TOpcFncData>(this));
    return Functions.back().get();
}

} // namespace qel
