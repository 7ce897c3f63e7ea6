#include "qelComp_Gnr.h"

#include "qelComp_Fld.h"

namespace qel {

namespace {
constexpr std::string_view NoMaximum = "999999999999999999999999999";
}

TGnrData::TGnrData(TCustomObjs* AObjs, TDbObj* AOwner) : TDbObj(AObjs)
{
    SetObjectType(TDbObject::dboGenerator);
    SetNoCache(false);
    SetCache("20");
    SetMaxValue({});
    if (dynamic_cast<TFldData*>(AOwner) == nullptr) ValueField = std::make_unique<TFldData>(AObjs, this);
}

TGnrData::~TGnrData() = default;

void TGnrData::SetMaxValue(std::string_view Value)
{
    if (Value == NoMaximum) {
        m_maxValue.clear();
        NoMaxValue = true;
    } else {
        m_maxValue = Value;
    }
}

void TGnrData::SetCache(std::string_view Value)
{
    if (Value == "0") {
        m_cache.clear();
        SetNoCache(true);
    } else {
        m_cache = Value;
    }
}

void TGnrData::SetNoCache(bool Value)
{
    m_noCache = Value;
    if (Value) m_cache.clear();
}

} // namespace qel
