// The create and drop walk of the object base: an object creates what it
// uses before itself and empties or drops what uses it before it goes, and
// writes each step as a statement into the collection's executor.
#include "qelClasses.h"

#include "qelComp_Fld.h"
#include "qelComp_Tbl.h"
#include "qelCustomObjs.h"
#include "qelObjs.h"
#include "qelWalk.h"

namespace qel {

// ---- what the walks share ----

TObjs* SourceSideOf(const TDbObj& Obj)
{
    return Obj.Objs() == nullptr ? nullptr : dynamic_cast<TObjs*>(Obj.Objs()->GetSourceObjs());
}

TObjs* TargetSideOf(const TDbObj& Obj)
{
    return Obj.Objs() == nullptr ? nullptr : dynamic_cast<TObjs*>(Obj.Objs()->GetTargetObjs());
}

void EmitStatement(const TDbObj& Obj, const std::string& SQL, TStatType Type, const std::string& Name,
                   TDbObject Kind, TDbOperation Operation, const std::string& Parent)
{
    if (TStatementSink* executor = Obj.GetExecutor()) executor->AddStatement(SQL, Type, Name, Kind, Operation, Parent);
}

void EmitComment(const TDbObj& Obj, const std::string& Text)
{
    if (TStatementSink* executor = Obj.GetExecutor()) executor->AddComment(Obj.GetCommentText(Text));
}

void WalkLog(const TDbObj& Obj, const std::string& Text)
{
    if (Obj.Objs() != nullptr) Obj.Objs()->DoLog(Text);
}

bool SameObjectName(const TDbObj& Obj, std::string_view A, std::string_view B)
{
    using enum TDatabaseType;
    const TDatabaseType type = Obj.GetDatabaseType();
    return type == dbSybaseASA || type == dbMSSQL || type == dbSybaseASE ? SameText(A, B) : A == B;
}

void SetLinksActive(const TDependList& List, bool Active)
{
    for (const auto& item : List)
        if (item.Object) item.Object->Active = Active;
}

TDbObj::TWalkScope::TWalkScope(TDbObj& Obj, bool Drop, bool Report)
{
    bool& mark = Drop ? Obj.m_inDrop : Obj.m_inCreate;
    if (!mark) {
        mark = true;
        m_mark = &mark;
    } else if (Report) {
        WalkLog(Obj, "Dependency cycle: " + Obj.GetDisplayName());
    }
}

TDbObj::TWalkScope::~TWalkScope()
{
    if (m_mark != nullptr) *m_mark = false;
}

namespace {

using enum TStatType;
using enum TDbOperation;

// What a link to Target asks to be created: a column of a table that is not
// there yet comes with its table (CREATE TABLE writes it), except for a
// column of the user's own table, which its table's CREATE writes anyway.
TDbObj* CreationTarget(const TDbObj& User, TDbObj* Target)
{
    const auto* column = dynamic_cast<const TFldData*>(Target);
    auto* table = column == nullptr ? nullptr : dynamic_cast<TTblData*>(column->Parent);
    if (table == nullptr || table->GetExists()) return Target;
    if (table == &User || table == User.GetParentObj()) return nullptr;
    return table;
}

} // namespace

// ---- creating ----

void TDbObj::CreateObject()
{
    TWalkScope walk(*this, false);
    if (!walk.Entered()) return;
    CreateDependencies();
    TStatementSink* executor = GetExecutor();
    if (GetDatabaseType() == TDatabaseType::dbPostgreSQL && executor != nullptr) executor->SetCurrentSchema(Schema());
    if (!GetExists()) {
        WriteCreateStatement(GetCreateScript());
        if ((GetScriptFlags() & sfDescriptions) != 0 && executor != nullptr) WriteCreateDescriptions(*executor);
        SetExists(true);
    } else {
        WriteDeferredBody();
    }
    AfterCreate();
}

void TDbObj::WriteCreateStatement(const std::string& SQL)
{
    EmitStatement(*this, SQL, stStatement, GetQualifiedName(), ObjectType(), odbCreate, GetParentName());
}

void TDbObj::CreateDependencies()
{
    const bool debug = Objs() != nullptr && Objs()->Debug;
    if (debug) WalkLog(*this, "CreateDependencies: " + ClassName() + " " + GetDisplayName());
    for (const auto& item : Uses) {
        const TDependObj* link = item.Object.get();
        if (link == nullptr || !link->Active || link->Target == nullptr || link->Target == this) continue;
        TDbObj* target = CreationTarget(*this, link->Target);
        if (target == nullptr || target->GetExists()) continue;
        if (debug) WalkLog(*this, "  Create: " + target->ClassName() + " " + target->GetDisplayName());
        target->CreateForUser();
    }
}

void TDbObj::AfterCreate() { SetExists(true); }

// ---- dropping ----

bool SourceSideHoldsOther(const TDbObj& Obj, TObjIndex TCustomObjs::*Index)
{
    const TCustomObjs* source = Obj.Objs() == nullptr ? nullptr : Obj.Objs()->GetSourceObjs();
    const TDbObj* held = source == nullptr ? nullptr : (source->*Index).Find(Obj.GetKey());
    return held != nullptr && held != &Obj;
}

void TDbObj::DropObject()
{
    if (!GetExists()) return;
    // A table or generator the source side still has stays with its data.
    if (KeptBySourceSide()) return;
    TWalkScope walk(*this, true);
    if (!walk.Entered()) return;
    DropDependents();
    if (GetExists()) {
        MarkPartsDropped();
        // A block reads the catalogue in its own transaction: a commit before
        // it lets a script's block see the DDL run just before (a script
        // tool's transaction is a snapshot), and one after commits its DDL.
        const TStatType type = GetDropStatType();
        TStatementSink* executor = type == stStatement ? nullptr : GetExecutor();
        if (executor != nullptr) executor->AddCommit();
        EmitStatement(*this, GetDropScript(), type, Name().empty() ? DisplayName : Name(), ObjectType(), odbDrop,
                      GetParentName());
        if (executor != nullptr) executor->AddCommit();
        SetExists(false);
    }
    AfterDrop();
}

void TDbObj::DropDependents()
{
    for (const auto& item : UsedBy) {
        TDependObj* link = item.Object.get();
        if (link == nullptr || !link->Active) continue;
        link->Active = false;
        TDbObj* user = link->Target;
        if (user == nullptr || user == this || !user->GetExists()) continue;
        user->DropForUsed(*this);
    }
}

void TDbObj::DropForUsed(const TDbObj& /*Used*/) { DropObject(); }

void TDbObj::AfterDrop() { SetExists(false); }

// ---- dropping for a moment ----

std::vector<TDbObj*> TTemporaryDrops::Watched() const
{
    std::vector<TDbObj*> out;
    if (m_objs == nullptr) return out;
    for (const TObjIndex* index : {&m_objs->Constraints, &m_objs->Indexes, &m_objs->Views, &m_objs->Triggers,
                                   &m_objs->Procedures, &m_objs->Publications})
        for (const auto& item : *index) out.push_back(item.Object);
    return out;
}

void TTemporaryDrops::Drop(TDbObj& Obj)
{
    const std::vector<TDbObj*> watched = Watched();
    std::vector<bool> existed;
    std::vector<std::string> bodies;
    for (const TDbObj* o : watched) {
        existed.push_back(o->GetExists());
        bodies.push_back(o->Body());
    }
    const bool wasThere = Obj.GetExists();
    Obj.DropObject();
    // What one drop took goes back before what earlier drops took (those
    // went first because they used it), the object itself before what it
    // took along.
    std::vector<TDbObj*> group;
    if (wasThere && !Obj.GetExists()) group.push_back(&Obj);
    for (std::size_t i = 0; i < watched.size(); ++i) {
        TDbObj* o = watched[i];
        if (existed[i] && !o->GetExists()) {
            if (o != &Obj) group.push_back(o);
        } else if (o->Body() != bodies[i] && o->HasEmptiableBody()) {
            m_emptied.emplace_back(o, bodies[i]);
        }
    }
    m_dropped.insert(m_dropped.begin(), group.begin(), group.end());
}

void TTemporaryDrops::Restore()
{
    for (TDbObj* o : m_dropped)
        if (!o->GetExists()) o->CreateObject();
    // Back as they were, what uses them is handled again by a later drop.
    for (TDbObj* o : m_dropped)
        if (o->GetExists()) SetLinksActive(o->UsedBy, true);
    for (auto& [o, body] : m_emptied) {
        if (o->Body() == body || !o->GetExists()) continue;
        o->SetBody(body);
        SetLinksActive(o->Uses, true);
        o->WriteRestoredBody();
        o->SavedText = o->GetCreateDDL();
    }
    m_dropped.clear();
    m_emptied.clear();
}

} // namespace qel
