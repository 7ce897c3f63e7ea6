#include "qelComp_Fnc.h"

#include "qelComp_Fld.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"
#include "qelText.h"
#include "qelWalk.h"

namespace qel {

TUdfData::TUdfData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind), ResultField(std::make_unique<TFldData>(AObjs)) {}

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

// ---- the walk ----

// Views whose columns call the function, and computed columns that call it,
// go before it.
void TUdfData::DropDependents()
{
    TDbObj::DropDependents();
    const TObjs* target = TargetSideOf(*this);
    for (const auto& item : UsedBy) {
        TDependObj* link = item.Object.get();
        TDbObj* user = link == nullptr ? nullptr : link->Target;
        if (user == nullptr || user == this) continue;
        auto* column = dynamic_cast<TFldData*>(user);
        if (column != nullptr) {
            if (TViwData* view = target == nullptr ? nullptr : target->FindView(column->GetParentName())) {
                view->DropObject();
                link->Active = false;
                continue;
            }
        } else if (dynamic_cast<TTblData*>(user) != nullptr && !link->FieldName.empty() && target != nullptr) {
            column = target->FindTableField(user->GetKey(), link->FieldName);
        }
        if (column != nullptr && !column->Body().empty() && column->GetExists()) {
            column->DropObject();
            link->Active = false;
        }
    }
}

// What went with the function comes back as the source side has it.
void TUdfData::AfterDrop()
{
    TDbObj::AfterDrop();
    const TObjs* source = SourceSideOf(*this);
    if (source == nullptr) return;
    for (const auto& item : UsedBy) {
        const auto* column = item.Object ? dynamic_cast<const TFldData*>(item.Object->Target) : nullptr;
        if (column == nullptr) continue;
        if (TViwData* view = source->FindView(column->GetParentName()); view != nullptr && !view->GetExists())
            view->CreateObject();
        else if (TFldData* original = column->Body().empty() ? nullptr
                                                             : source->FindTableField(column->GetParentName(), column->Name());
                 original != nullptr && !original->GetExists())
            original->CreateObject();
    }
}

} // namespace qel
