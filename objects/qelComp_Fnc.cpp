#include "qelComp_Fnc.h"

#include "qelComp_Fld.h"
#include "qelText.h"

namespace qel {

TUdfData::TUdfData(TCustomObjs* AObjs) : TDbObj(AObjs), ResultField(std::make_unique<TFldData>(AObjs))
{
    SetObjectType(TDbObject::dboFunction);
}

TUdfData::~TUdfData() = default;

std::string TUdfData::GetCreateDDL() const
{
    const auto literal = [](const std::string& Value) { return SQLQuotedStr(Value, TDatabaseType::dbInterBase); };
    std::string text = "DECLARE EXTERNAL FUNCTION " + QuoteName(Name()) + CRLF;
    std::vector<std::string> params;
    for (const auto& param : Params)
        if (param.Object != nullptr) params.push_back(param.Object->GetCreateDDL());
    if (!params.empty()) text += Join(params, ", ") + CRLF;
    text += "RETURNS " + ResultField->GetCreateDDL() + (FreeIt ? " FREE_IT" : "") + CRLF;
    return text + "ENTRY_POINT " + literal(EntryPoint) + " MODULE_NAME " + literal(ModuleName);
}

} // namespace qel
