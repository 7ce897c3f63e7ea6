// Dependency links between database objects.
#include "qelClasses.h"

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelCustomObjs.h"

namespace qel {

// ---- links ----

TDependObj::TDependObj(TCustomObjs* Objs, TDbObject TargetKind) : TDbObj(Objs, Kind) { SetObjectType(TargetKind); }

std::string TDependObj::GetDisplayName() const
{
    if (!FieldName.empty()) return Name() + " (field: " + FieldName + ")";
    return Target == nullptr ? std::string() : Target->GetDisplayName();
}

// Each link has a mirror on its target: this object's Uses entry for T is
// T's UsedBy entry for this object, and the other way round.
void TDbObj::DetachLinks()
{
    const auto pointsHere = [this](const TDependObj& link) { return link.Target == this; };
    for (const auto& item : Uses)
        if (item.Object && item.Object->Target != nullptr && item.Object->Target != this)
            item.Object->Target->UsedBy.RemoveIf(pointsHere);
    for (const auto& item : UsedBy)
        if (item.Object && item.Object->Target != nullptr && item.Object->Target != this)
            item.Object->Target->Uses.RemoveIf(pointsHere);
    Uses.Clear();
    UsedBy.Clear();
}

namespace {

// The column object of a table or view named Name; nullptr for other objects
// and unknown columns.
TDbObj* ColumnOf(TDbObj* Obj, std::string_view Name)
{
    if (auto* table = dynamic_cast<TTblData*>(Obj)) return table->Fields.Find(Name);
    if (auto* view = dynamic_cast<TViwData*>(Obj)) return view->Columns.Find(Name);
    return nullptr;
}

bool HasLink(const TDbObj& User, const TDbObj* Used, const std::string& FieldName)
{
    for (const auto& item : User.Uses)
        if (item.Object && item.Object->Target == Used && item.Object->FieldName == FieldName) return true;
    return false;
}

std::unique_ptr<TDependObj> NewLink(TCustomObjs* Objs, TDbObj* Target)
{
    auto link = std::make_unique<TDependObj>(Objs, Target->ObjectType());
    link->SetName(Target->Name());
    link->Target = Target;
    return link;
}

} // namespace

void AddDependency(TCustomObjs* Objs, TDbObj* User, TDbObj* Used, std::int32_t Line, std::int32_t Column,
                   const std::string& FieldName)
{
    if (User == nullptr || Used == nullptr) return;
    std::string field = FieldName;
    if (!field.empty()) {
        if (dynamic_cast<TTblData*>(Used) != nullptr || dynamic_cast<TViwData*>(Used) != nullptr) {
            if (TDbObj* column = ColumnOf(Used, field)) {
                Used = column;
                field.clear();
            }
        } else {
            // A table's constraint or domain reached through one of its
            // fields: the table depends on it, and so does the field.
            auto* table = dynamic_cast<TTblData*>(User);
            if (table != nullptr && (dynamic_cast<TCtrData*>(Used) != nullptr || dynamic_cast<TDmnData*>(Used) != nullptr)) {
                AddDependency(Objs, table, Used, Line, Column, {});
                if (TDbObj* f = table->Fields.Find(field)) {
                    User = f;
                    field.clear();
                }
            }
            if (dynamic_cast<TPrcData*>(Used) != nullptr) field.clear();
        }
    }
    if (HasLink(*User, Used, field)) return;
    CreateDependLinks(Objs, User, Used, Line, Column, field);
}

void CreateDependLinks(TCustomObjs* Objs, TDbObj* User, TDbObj* Used, std::int32_t Line, std::int32_t Column,
                       const std::string& FieldName)
{
    if (User == nullptr || Used == nullptr) return;
    if (!FieldName.empty()) {
        if (TDbObj* column = ColumnOf(Used, FieldName)) AddDependency(Objs, User, column, Line, Column, {});
        return;
    }
    std::unique_ptr<TDependObj> uses = NewLink(Objs, Used);
    uses->FieldName = FieldName;
    uses->Column = Column;
    uses->Line = Line;
    User->Uses.Add(Used->Name(), std::move(uses));
    Used->UsedBy.Add(User->Name(), NewLink(Objs, User));
}

bool TDbObj::HasMissingDependency() const
{
    for (const auto& item : Uses) {
        const TDependObj* link = item.Object.get();
        if (link != nullptr && link->Active && link->Target != nullptr && link->Target != this &&
            !link->Target->GetExists())
            return true;
    }
    return false;
}

} // namespace qel
