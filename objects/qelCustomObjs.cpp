#include "qelCustomObjs.h"

#include "qelComp_Ctr.h"
#include "qelComp_Def.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Opr.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Rul.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelObjKinds.h"
#include "qelText.h"

#include <algorithm>

namespace qel {

// ---- the name index ----

int TObjIndex::Compare(std::string_view A, std::string_view B) const
{
    if (!m_caseSensitive) return CompareText(A, B);
    return A.compare(B) < 0 ? -1 : (A == B ? 0 : 1);
}

std::string TObjIndex::Folded(std::string_view Key) const
{
    return m_caseSensitive ? std::string(Key) : UpperCase(Key);
}

const std::vector<TObjIndex::TItem>& TObjIndex::Sorted() const
{
    if (m_sortedCount == m_items.size()) return m_items;
    const auto less = [this](const TItem& a, const TItem& b) { return Compare(a.Key, b.Key) < 0; };
    const auto tail = m_items.begin() + static_cast<std::ptrdiff_t>(m_sortedCount);
    std::stable_sort(tail, m_items.end(), less);
    std::inplace_merge(m_items.begin(), tail, m_items.end(), less);
    m_sortedCount = m_items.size();
    return m_items;
}

void TObjIndex::Rehash()
{
    m_byKey.clear();
    m_byKey.reserve(m_items.size());
    // In key order, so that of entries with equal keys the first is found.
    for (const TItem& item : Sorted()) m_byKey.try_emplace(Folded(item.Key), item.Object);
}

void TObjIndex::SetCaseSensitive(bool Value)
{
    if (Value == m_caseSensitive) return;
    m_caseSensitive = Value;
    m_sortedCount = 0;
    Rehash();
}

int TObjIndex::IndexOf(std::string_view Key) const
{
    if (Find(Key) == nullptr) return -1;
    const std::vector<TItem>& items = Sorted();
    const auto it = std::lower_bound(items.begin(), items.end(), Key,
                                     [this](const TItem& item, std::string_view k) { return Compare(item.Key, k) < 0; });
    if (it == items.end() || Compare(it->Key, Key) != 0) return -1;
    return static_cast<int>(it - items.begin());
}

TDbObj* TObjIndex::Find(std::string_view Key) const
{
    const auto it = m_byKey.find(Folded(Key));
    return it == m_byKey.end() ? nullptr : it->second;
}

bool TObjIndex::Add(std::string Key, TDbObj* Obj)
{
    if (Obj == nullptr || !m_byKey.try_emplace(Folded(Key), Obj).second) return false;
    // Keys that arrive in order (a catalogue read) stay sorted as they come.
    if (m_sortedCount == m_items.size() && (m_items.empty() || Compare(m_items.back().Key, Key) < 0)) ++m_sortedCount;
    m_items.push_back(TItem{std::move(Key), Obj});
    return true;
}

int TObjIndex::Remove(const TDbObj* Obj)
{
    Sorted();
    std::vector<std::string> gone;
    std::erase_if(m_items, [&](const TItem& item) {
        if (item.Object != Obj) return false;
        gone.push_back(item.Key);
        return true;
    });
    m_sortedCount = m_items.size();
    for (const std::string& key : gone) {
        const auto it = m_byKey.find(Folded(key));
        if (it == m_byKey.end() || it->second != Obj) continue;
        m_byKey.erase(it);
        // After a re-key another entry may share the key: it is found now.
        const auto next = std::find_if(m_items.begin(), m_items.end(),
                                       [&](const TItem& item) { return Compare(item.Key, key) == 0; });
        if (next != m_items.end()) m_byKey.try_emplace(Folded(key), next->Object);
    }
    return static_cast<int>(gone.size());
}

void TObjIndex::Clear()
{
    m_items.clear();
    m_sortedCount = 0;
    m_byKey.clear();
}

void TObjIndex::Rekey(const std::function<std::string(const TDbObj&)>& KeyOf)
{
    for (TItem& item : m_items) item.Key = KeyOf(*item.Object);
    m_sortedCount = 0;
    Rehash();
}

// ---- the collection ----

TCustomObjs::TCustomObjs()
{
    // The InterBase administrator account a script without CONNECT runs as.
    ConnectionOptions().UserName = "SYSDBA";
    ConnectionOptions().Password = "cobaltfin";
}

TCustomObjs::~TCustomObjs()
{
    TCustomObjs::Clear();
    m_objects.clear();
    SetLinkedObjs(nullptr);
}

void TCustomObjs::SetLinkedObjs(TCustomObjs* Value) { PairMutually(this, &TCustomObjs::m_linkedObjs, Value); }

void TCustomObjs::Clear()
{
    Script.Clear();
    for (TObjIndex* index : {&Schemas, &Domains, &UDFs, &Triggers, &Procedures, &Tables, &Exceptions, &Generators,
                             &Indexes, &Views, &Roles, &Grants, &Constraints, &Rules, &Defaults, &Packages,
                             &Publications, &Operators, &OperatorClasses, &Databases, &Events, &Collations})
        index->Clear();
    for (TObjIndex& index : UnusedLists) index.Clear();
    m_grantGroups.clear();
    IBServerOptions().IBDatabaseOptions().Clear();
    MSSQLServerOptions().MSSQLDatabaseOptions().Clear();
    ASAServerOptions().ASADatabaseOptions().Clear();
    Terminator = ";";
    ScriptText1.clear();
    ScriptText2.clear();
    ScriptText3.clear();
    ScriptFlag = false;
    DB2CurrentSchema.clear();
}

void TCustomObjs::SetDatabaseType(TDatabaseType Value)
{
    using enum TDatabaseType;
    m_databaseType = Value;
    const bool sensitive = Value != dbSybaseASA && Value != dbMSSQL && Value != dbSybaseASE;
    for (TObjIndex* index : {&Domains, &UDFs, &Triggers, &Procedures, &Tables, &Exceptions, &Generators, &Indexes,
                             &Views, &Roles, &Grants, &Constraints, &Rules, &Defaults, &Packages, &Publications,
                             &Collations})
        index->SetCaseSensitive(sensitive);
    for (TObjIndex& index : UnusedLists) index.SetCaseSensitive(sensitive);
    RegroupGrants();
}

bool TCustomObjs::AcceptObject(TDbObj* Obj)
{
    if (Obj == nullptr) return false;
    bool accept = true;
    if (OnAcceptObject) OnAcceptObject(*this, *Obj, accept);
    return accept;
}

TDbObj* TCustomObjs::AddObject(std::unique_ptr<TDbObj> Obj)
{
    if (!Obj || !AcceptObject(Obj.get())) return nullptr;
    if (m_databaseType == TDatabaseType::dbInterBase &&
        IBServerOptions().IBCompareOptions().IgnoreToolObjects && IsToolObjectName(Obj->Name()))
        return nullptr;
    TObjIndex* index = IndexFor(*Obj);
    if (index == nullptr) {
        LogOwnerMessage("Unknown DbObject to add (" + Obj->ClassName() + ")");
        return nullptr;
    }
    // A second object under a taken key stays unfiled but alive: the parser
    // that made it goes on using it until the collection is cleared.
    index->Add(Obj->GetKey(), Obj.get());
    m_objects.push_back(std::move(Obj));
    return m_objects.back().get();
}

// The class's kind row names the index; no class is made for the databases
// index.
TObjIndex* TCustomObjs::IndexFor(const TDbObj& Obj)
{
    TObjIndex TCustomObjs::*const index = KindInfo(Obj.ClassKind()).Filing;
    return index != nullptr ? &(this->*index) : nullptr;
}

std::string TCustomObjs::GrantGroupKey(const TGntData& Grant) const
{
    const bool sensitive = Grants.CaseSensitive();
    std::string key = sensitive ? Grant.ObjectName : UpperCase(Grant.ObjectName);
    key += '\0';
    key += sensitive ? Grant.Grantee : UpperCase(Grant.Grantee);
    key += '\0';
    key += std::to_string(Grant.GrantOption) + '/' + std::to_string(static_cast<int>(Grant.ObjectKind)) + '/' +
           std::to_string(static_cast<int>(Grant.GranteeKind));
    return key;
}

void TCustomObjs::RegroupGrants()
{
    m_grantGroups.clear();
    for (TGntData* g : Grants.ObjectsOf<TGntData>()) m_grantGroups[GrantGroupKey(*g)].push_back(g);
}

TGntData* TCustomObjs::AddGrant(std::unique_ptr<TGntData> Grant)
{
    if (!Grant) return nullptr;
    const bool sensitive = Grants.CaseSensitive();
    const auto same = [sensitive](std::string_view a, std::string_view b) { return sensitive ? a == b : SameText(a, b); };
    // Only grants of the same object, grantee, option and kinds can take the
    // new one in; they are grouped so that a load never scans every grant.
    std::vector<TGntData*>& group = m_grantGroups[GrantGroupKey(*Grant)];
    for (TGntData* g : group) {
        // Privileges of DDL are kept as their statements' texts: one text
        // never takes in another.
        if (g->Text != Grant->Text) continue;
        if (g->Columns.Empty() && Grant->Columns.Empty()) {
            g->Privileges = g->Privileges | Grant->Privileges;
            return nullptr;
        }
        if (!g->Columns.Empty() && !Grant->Columns.Empty() && g->Privileges == Grant->Privileges) {
            for (const std::string& column : Grant->Columns.Lines())
                if (std::none_of(g->Columns.Lines().begin(), g->Columns.Lines().end(),
                                 [&](const std::string& c) { return same(c, column); }))
                    g->Columns.Add(column);
            return nullptr;
        }
    }
    TGntData* raw = Grant.get();
    // A grant whose text is filed already stays unfiled and is not merged
    // into, as the index keeps the first of equal keys.
    if (Grants.Add(raw->GetKey(), raw)) group.push_back(raw);
    m_objects.push_back(std::move(Grant));
    return raw;
}

bool TCustomObjs::DeleteObject(TDbObj* Obj)
{
    const auto held = std::find_if(m_objects.begin(), m_objects.end(), [Obj](const auto& o) { return o.get() == Obj; });
    if (Obj == nullptr || held == m_objects.end()) return false;
    for (TObjIndex* index : {&Schemas, &Domains, &UDFs, &Triggers, &Procedures, &Tables, &Exceptions, &Generators,
                             &Indexes, &Views, &Roles, &Grants, &Constraints, &Rules, &Defaults, &Packages,
                             &Publications, &Operators, &OperatorClasses, &Databases, &Events, &Collations})
        index->Remove(Obj);
    for (TObjIndex& index : UnusedLists) index.Remove(Obj);
    if (dynamic_cast<TGntData*>(Obj) != nullptr) RegroupGrants();
    m_objects.erase(held);
    return true;
}

void TCustomObjs::ResortGrants()
{
    Grants.Rekey([](const TDbObj& Obj) { return Obj.GetKey(); });
    RegroupGrants();
}

void TCustomObjs::RemoveDependLinks(TDbObj* Target)
{
    if (Target == nullptr) return;
    for (TObjIndex* index : {&Domains, &UDFs, &Views, &Tables, &Procedures, &Triggers, &Constraints, &Exceptions,
                             &Generators, &Indexes})
        for (const auto& item : *index) {
            RemoveObjectLinks(*item.Object, Target);
            if (auto* table = dynamic_cast<TTblData*>(item.Object))
                for (const auto& field : table->Fields)
                    if (field.Object) RemoveObjectLinks(*field.Object, Target);
        }
}

void TCustomObjs::RemoveObjectLinks(TDbObj& Obj, TDbObj* Target)
{
    if (Target == nullptr) return;
    const auto pointsAt = [](const TDbObj* to) { return [to](const TDependObj& link) { return link.Target == to; }; };
    Obj.Uses.RemoveIf(pointsAt(Target));
    Obj.UsedBy.RemoveIf(pointsAt(Target));
    Target->Uses.RemoveIf(pointsAt(&Obj));
    Target->UsedBy.RemoveIf(pointsAt(&Obj));
}

TCustomObjs* TCustomObjs::GetSourceObjs() { return Side == 1 ? this : m_linkedObjs; }

TCustomObjs* TCustomObjs::GetTargetObjs() { return Side == 2 ? this : m_linkedObjs; }

std::int32_t TCustomObjs::GetTargetODSVersion()
{
    TCustomObjs* target = GetTargetObjs();
    return target == nullptr ? 0 : target->IBServerOptions().IBDatabaseOptions().ODSMajorVersion;
}

void TCustomObjs::DoLog(const std::string& Text)
{
    if (OnLogNextLine)
        OnLogNextLine(*this, Text);
    else if (Executor != nullptr)
        Executor->LogNextLine(Text);
}

void TCustomObjs::LogOwnerMessage(const std::string& Text)
{
    if (OnOwnerMessage) OnOwnerMessage(*this, Text);
}

} // namespace qel
