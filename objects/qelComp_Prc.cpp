#include "qelComp_Prc.h"

#include "qelComp_Fld.h"

namespace qel {

namespace {
constexpr std::uint8_t TableTypeCode = 84; // "TABLE"
}

TPrcData::TPrcData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboProcedure); }

TPrcData::~TPrcData() = default;

void TPrcData::SetStubCreated(bool Value)
{
    m_stubCreated = Value;
    if (auto* other = dynamic_cast<TPrcData*>(Counterpart())) other->m_stubCreated = Value;
}

bool TPrcData::ReturnsTable() const
{
    if (TableResult) return true;
    const TFldData* result = OutputParams.Empty() ? nullptr : OutputParams.Objects(0);
    return result != nullptr && result->DataType == TableTypeCode;
}

void TPrcData::ClearParams()
{
    InputParams.Clear();
    OutputParams.Clear();
}

} // namespace qel
