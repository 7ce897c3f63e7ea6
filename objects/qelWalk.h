// What the create and drop walks of the object kinds share: the collections
// of the two sides, statements and comments to the executor, and names
// compared by the server's rule. Private to objects/.
#pragma once

#include "qelClasses.h"
#include "qelTypes.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qel {

class TCustomObjs;
class TObjIndex;
class TObjs;
class TViwData;

// The source (side 1) and target (side 2) collections as the object's own
// collection knows them; nullptr for a side that does not exist, so that no
// walk step ever reads a side that is not there.
TObjs* SourceSideOf(const TDbObj& Obj);
TObjs* TargetSideOf(const TDbObj& Obj);

// A statement to the object's executor; nothing without one (or for an empty
// text, which the executor refuses).
void EmitStatement(const TDbObj& Obj, const std::string& SQL, TStatType Type, const std::string& Name,
                   TDbObject Kind, TDbOperation Operation, const std::string& Parent = {});
// A comment statement in the server's comment form: "/* Text */".
void EmitComment(const TDbObj& Obj, const std::string& Text);
// A line to the collection's log; nothing without a collection.
void WalkLog(const TDbObj& Obj, const std::string& Text);
// True when the source side's Index holds an object other than Obj under
// Obj's key (a table or generator the source side still has).
bool SourceSideHoldsOther(const TDbObj& Obj, TObjIndex TCustomObjs::*Index);

// Names equal by the rule of the server's name indexes: blind to ASCII case
// for SQL Anywhere, MS SQL and ASE, exact for every other server type.
bool SameObjectName(const TDbObj& Obj, std::string_view A, std::string_view B);

// A view that User (a view or routine; Role "view" or "procedure") uses:
// created when it does not exist ("Create view: V for view: W"), then, when
// both sides hold it and their saved texts differ, dropped on the target
// side and created from the source side ("Alter view (drop/create): ...").
void CreateUsedView(const TDbObj& User, const std::string& Role, TViwData& View);

// Objects dropped for a moment, while a change the server refuses with
// them in place is made (a column's type under a key or a view), and put
// back afterwards: each Drop remembers what its walk took along, dropped
// or emptied, and Restore creates the dropped again, the last drop's first,
// and gives emptied routines and triggers their bodies back.
class TTemporaryDrops {
public:
    explicit TTemporaryDrops(TCustomObjs* Objs) : m_objs(Objs) {}
    void Drop(TDbObj& Obj);
    void Restore();
    bool Empty() const { return m_dropped.empty() && m_emptied.empty(); }

private:
    // The objects a drop walk can take along or empty.
    std::vector<TDbObj*> Watched() const;

    TCustomObjs* m_objs;
    std::vector<TDbObj*> m_dropped;
    std::vector<std::pair<TDbObj*, std::string>> m_emptied; // and the body it had
};

// Every link of the list made inactive (or active again).
void SetLinksActive(const TDependList& List, bool Active);

// Visit(link, object) for each active link of List to another object; a
// link back to Self is made inactive on the way.
template <class F>
void ForEachActiveLink(const TDbObj& Self, const TDependList& List, F Visit)
{
    for (const auto& item : List) {
        TDependObj* link = item.Object.get();
        if (link == nullptr) continue;
        if (link->Target == &Self) link->Active = false;
        if (link->Active && link->Target != nullptr) Visit(*link, *link->Target);
    }
}

} // namespace qel
