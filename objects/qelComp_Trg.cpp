#include "qelComp_Trg.h"

#include "qelComp_Fld.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"

#include <algorithm>

namespace qel {

const std::array<TTrgType, 14> TrgTypes = {{
    {1, 513, "BEFORE INSERT"},
    {2, 514, "AFTER INSERT"},
    {3, 1025, "BEFORE UPDATE"},
    {4, 1026, "AFTER UPDATE"},
    {5, 2049, "BEFORE DELETE"},
    {6, 2050, "AFTER DELETE"},
    {17, 1537, "BEFORE INSERT OR UPDATE"},
    {18, 1538, "AFTER INSERT OR UPDATE"},
    {25, 2561, "BEFORE INSERT OR DELETE"},
    {26, 2562, "AFTER INSERT OR DELETE"},
    {27, 3073, "BEFORE UPDATE OR DELETE"},
    {28, 3074, "AFTER UPDATE OR DELETE"},
    {113, 3585, "BEFORE INSERT OR UPDATE OR DELETE"},
    {114, 3586, "AFTER INSERT OR UPDATE OR DELETE"},
}};

TTriggerRefs::~TTriggerRefs()
{
    for (TTrgData* trigger : m_triggers) {
        trigger->m_table = nullptr;
        trigger->m_tableRefs = nullptr;
    }
}

TTrgData::TTrgData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboTrigger); }

TTrgData::~TTrgData() { LinkTable(nullptr); }

void TTrgData::LinkTable(TDbObj* Target)
{
    if (m_tableRefs != nullptr) std::erase(m_tableRefs->m_triggers, this);
    m_table = nullptr;
    m_tableRefs = nullptr;
    if (auto* table = dynamic_cast<TTblData*>(Target))
        m_tableRefs = &table->TriggerRefs;
    else if (auto* view = dynamic_cast<TViwData*>(Target))
        m_tableRefs = &view->TriggerRefs;
    if (m_tableRefs == nullptr) return;
    m_table = Target;
    m_tableRefs->m_triggers.push_back(this);
}

void TTrgData::SetTableName(std::string_view Value)
{
    if (Value == m_tableName && m_table != nullptr) return;
    TDbObj* target = nullptr;
    if (auto* objs = dynamic_cast<TObjs*>(Objs())) {
        const std::string key = GetDatabaseType() == TDatabaseType::dbSybaseASA
                                    ? Owner + "." + std::string(Value)
                                    : std::string(Value);
        target = objs->FindTable(key);
        if (target == nullptr) target = objs->FindView(key);
    }
    LinkTable(target);
    m_tableName = Value;
}

void TTrgData::SetStubPending(bool Value)
{
    m_stubPending = Value;
    if (auto* other = dynamic_cast<TTrgData*>(Counterpart())) other->m_stubPending = Value;
}

} // namespace qel
