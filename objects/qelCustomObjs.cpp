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
#include "qelText.h"

#include <algorithm>

namespace qel {

// ---- the name index ----

int TObjIndex::Compare(std::string_view A, std::string_view B) const
{
    if (!m_caseSensitive) return CompareText(A, B);
    return A.compare(B) < 0 ? -1 : (A == B ? 0 : 1);
}

void TObjIndex::Sort()
{
    std::stable_sort(m_items.begin(), m_items.end(),
                     [this](const TItem& a, const TItem& b) { return Compare(a.Key, b.Key) < 0; });
}

void TObjIndex::SetCaseSensitive(bool Value)
{
    if (Value == m_caseSensitive) return;
    m_caseSensitive = Value;
    Sort();
}

int TObjIndex::IndexOf(std::string_view Key) const
{
    const auto it = std::lower_bound(m_items.begin(), m_items.end(), Key,
                                     [this](const TItem& item, std::string_view k) { return Compare(item.Key, k) < 0; });
    if (it == m_items.end() || Compare(it->Key, Key) != 0) return -1;
    return static_cast<int>(it - m_items.begin());
}

TDbObj* TObjIndex::Find(std::string_view Key) const
{
    const int i = IndexOf(Key);
    return i < 0 ? nullptr : m_items[static_cast<std::size_t>(i)].Object;
}

bool TObjIndex::Add(std::string Key, TDbObj* Obj)
{
    if (Obj == nullptr) return false;
    const auto it = std::lower_bound(m_items.begin(), m_items.end(), Key,
                                     [this](const TItem& item, const std::string& k) { return Compare(item.Key, k) < 0; });
    if (it != m_items.end() && Compare(it->Key, Key) == 0) return false;
    m_items.insert(it, TItem{std::move(Key), Obj});
    return true;
}

int TObjIndex::Remove(const TDbObj* Obj)
{
    return static_cast<int>(std::erase_if(m_items, [Obj](const TItem& item) { return item.Object == Obj; }));
}

void TObjIndex::Rekey(const std::function<std::string(const TDbObj&)>& KeyOf)
{
    for (TItem& item : m_items) item.Key = KeyOf(*item.Object);
    Sort();
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

namespace {

template <class T>
bool Is(const TDbObj& Obj)
{
    return dynamic_cast<const T*>(&Obj) != nullptr;
}

// Which index files which class; a derived class goes where its first
// listed base goes. No class is made for the databases index.
struct TFiling {
    bool (*Test)(const TDbObj&);
    TObjIndex TCustomObjs::*Index;
};
const TFiling kFilings[] = {
    {Is<TUdfData>, &TCustomObjs::UDFs},           {Is<TDmnData>, &TCustomObjs::Domains},
    {Is<TTblData>, &TCustomObjs::Tables},         {Is<TViwData>, &TCustomObjs::Views},
    {Is<TPrcData>, &TCustomObjs::Procedures},     {Is<TTrgData>, &TCustomObjs::Triggers},
    {Is<TIdxData>, &TCustomObjs::Indexes},        {Is<TGnrData>, &TCustomObjs::Generators},
    {Is<TCtrData>, &TCustomObjs::Constraints},    {Is<TExcData>, &TCustomObjs::Exceptions},
    {Is<TGntData>, &TCustomObjs::Grants},         {Is<TDefData>, &TCustomObjs::Defaults},
    {Is<TRulData>, &TCustomObjs::Rules},          {Is<TPkgData>, &TCustomObjs::Packages},
    {Is<TRolData>, &TCustomObjs::Roles},          {Is<TPblData>, &TCustomObjs::Publications},
    {Is<TSchData>, &TCustomObjs::Schemas},        {Is<TOprData>, &TCustomObjs::Operators},
    {Is<TOpcData>, &TCustomObjs::OperatorClasses}, {Is<TEvtData>, &TCustomObjs::Events},
    {Is<TCltData>, &TCustomObjs::Collations},
};

} // namespace

TObjIndex* TCustomObjs::IndexFor(const TDbObj& Obj)
{
    for (const TFiling& filing : kFilings)
        if (filing.Test(Obj)) return &(this->*filing.Index);
    return nullptr;
}

TGntData* TCustomObjs::AddGrant(std::unique_ptr<TGntData> Grant)
{
    if (!Grant) return nullptr;
    const bool sensitive = Grants.CaseSensitive();
    const auto same = [sensitive](std::string_view a, std::string_view b) { return sensitive ? a == b : SameText(a, b); };
    for (const auto& item : Grants) {
        auto* g = dynamic_cast<TGntData*>(item.Object);
        if (g == nullptr || !same(g->ObjectName, Grant->ObjectName) || !same(g->Grantee, Grant->Grantee) ||
            g->GrantOption != Grant->GrantOption || g->ObjectKind != Grant->ObjectKind ||
            g->GranteeKind != Grant->GranteeKind)
            continue;
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
    Grants.Add(raw->GetKey(), raw);
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
    m_objects.erase(held);
    return true;
}

void TCustomObjs::ResortGrants()
{
    Grants.Rekey([](const TDbObj& Obj) { return Obj.GetKey(); });
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
