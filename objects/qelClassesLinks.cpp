// Dependency links between database objects, and what the object base asks
// of the object kinds.
#include "qelClasses.h"

#include "qelCustomObjs.h"

namespace qel {

// ---- links ----

TDependObj::TDependObj(TCustomObjs* Objs) : TDbObj(Objs) { SetObjectType(TDbObject::dboDepend); }

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

// ---- kinds ----

bool TDbObj::IsColumn() const
{
    return m_objectType == TDbObject::dboField || m_objectType == TDbObject::dboParam;
}

bool TDbObj::IsView() const { return m_objectType == TDbObject::dboView; }

bool TDbObj::IsOwnedByUser() const
{
    return m_objectType == TDbObject::dboTable || m_objectType == TDbObject::dboView ||
           m_objectType == TDbObject::dboProcedure;
}

std::string TDbObj::GetIndexTableName() const { return {}; }

const char* TDbObj::SystemConstraintPrefix() const
{
    switch (m_objectType) {
    case TDbObject::dboPKey: return "PK__";
    case TDbObject::dboUnique: return "UQ__";
    case TDbObject::dboFKey: return "FK__";
    default: return nullptr;
    }
}

} // namespace qel
