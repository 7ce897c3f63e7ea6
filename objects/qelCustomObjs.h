// The collection of the database objects of one database side: a sorted
// name index per object kind, the option objects that decide how DDL is
// written, the server type, the side, the other side's collection and the
// executor that receives generated statements.
//
// It owns every object handed to AddObject, filed or not, and frees them when
// it goes (TObjs frees them already in Clear). The name indexes own nothing.
// AddObject and AddGrant never raise; refusals and unknown kinds are reported
// through the owner-message hook only.
#pragma once

#include "qelClasses.h"
#include "qelDBOptions.h"
#include "qelStrings.h"
#include "qelTypes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qel {

class TGntData;
template <class T>
class TKindView;

// A sorted index of object keys; each key names one object, which the index
// does not own. Duplicate keys are not filed (the first stays). The case rule
// (ASCII only) can change at run time; the index is sorted again then.
//
// Loading files tens of thousands of objects one by one, so filing and
// finding by key cost O(1) (a hash of the keys as the case rule sees them)
// and the sorted order is made only when it is read: new keys wait in an
// unsorted tail that the next positional read or walk sorts and merges in.
class TObjIndex {
public:
    struct TItem {
        std::string Key;
        TDbObj* Object;
    };

    bool CaseSensitive() const { return m_caseSensitive; }
    void SetCaseSensitive(bool Value);

    int Count() const { return static_cast<int>(m_items.size()); }
    bool Empty() const { return m_items.empty(); }
    const std::string& Keys(int Index) const { return Sorted().at(static_cast<std::size_t>(Index)).Key; }
    TDbObj* Objects(int Index) const { return Sorted().at(static_cast<std::size_t>(Index)).Object; }

    // Files Obj under Key; False (nothing filed) for nullptr or a key that is
    // there already.
    bool Add(std::string Key, TDbObj* Obj);
    // Takes every entry of Obj out; answers how many there were.
    int Remove(const TDbObj* Obj);
    // Position of Key by the case rule, or -1.
    int IndexOf(std::string_view Key) const;
    TDbObj* Find(std::string_view Key) const;
    // The object filed under Key when it is a T, else nullptr.
    template <class T>
    T* Find(std::string_view Key) const
    {
        return dynamic_cast<T*>(Find(Key));
    }
    // The objects of the index that are T, in key order:
    //   for (TTblData* table : objs.Tables.ObjectsOf<TTblData>()) ...
    // Each index files one kind, so a loop over an index's own kind skips
    // nothing; the kind is recovered here, in one place, not by each caller.
    template <class T>
    TKindView<T> ObjectsOf() const;
    void Clear();
    // Gives every entry the key KeyOf answers for its object and sorts again;
    // entries whose new keys are equal all stay (Find answers the first).
    void Rekey(const std::function<std::string(const TDbObj&)>& KeyOf);

    auto begin() const { return Sorted().begin(); }
    auto end() const { return Sorted().end(); }

private:
    int Compare(std::string_view A, std::string_view B) const;
    // The key as the case rule sees it: upper case when blind to case.
    std::string Folded(std::string_view Key) const;
    // The entries in key order, the waiting tail merged in first.
    const std::vector<TItem>& Sorted() const;
    void Rehash();

    mutable std::vector<TItem> m_items;
    // How many entries at the front are in key order; the rest wait.
    mutable std::size_t m_sortedCount = 0;
    std::unordered_map<std::string, TDbObj*> m_byKey;
    bool m_caseSensitive = true;
};

// A view of the objects of one kind in a TObjIndex (see ObjectsOf): it reads
// the index as it stands when the loop starts, as a loop over the index does.
template <class T>
class TKindView {
public:
    using TItems = std::vector<TObjIndex::TItem>;

    class iterator {
    public:
        iterator(TItems::const_iterator At, TItems::const_iterator End) : m_at(At), m_end(End) { SkipOthers(); }
        T* operator*() const { return m_object; }
        iterator& operator++()
        {
            ++m_at;
            SkipOthers();
            return *this;
        }
        bool operator==(const iterator& Other) const { return m_at == Other.m_at; }

    private:
        void SkipOthers()
        {
            for (m_object = nullptr; m_at != m_end; ++m_at)
                if ((m_object = dynamic_cast<T*>(m_at->Object)) != nullptr) return;
        }
        TItems::const_iterator m_at;
        TItems::const_iterator m_end;
        T* m_object = nullptr;
    };

    explicit TKindView(const TItems& Items) : m_items(Items) {}
    iterator begin() const { return {m_items.begin(), m_items.end()}; }
    iterator end() const { return {m_items.end(), m_items.end()}; }

private:
    const TItems& m_items;
};

template <class T>
TKindView<T> TObjIndex::ObjectsOf() const
{
    return TKindView<T>(Sorted());
}

// Asked before an object is filed; clearing Accept refuses it.
using TAcceptObjectEvent = std::function<void(TObject& Sender, TDbObj& Obj, bool& Accept)>;
// The message target of a collection owner.
using TOwnerMessageEvent = std::function<void(TObject& Sender, const std::string& Text)>;

// The system's own tool objects are named with the prefix QEL$ (case
// included); collections and parsers leave them out when told to.
inline bool IsToolObjectName(std::string_view Name) { return Name.starts_with("QEL$"); }

class TCustomObjs : public TObject, public TServerOptionSet<TIBServerOptions> {
public:
    TCustomObjs();
    ~TCustomObjs() override;
    TCustomObjs(const TCustomObjs&) = delete;
    TCustomObjs& operator=(const TCustomObjs&) = delete;
    std::string ClassName() const override { return "TCustomObjs"; }

    // ---- fields, in the order of the model ----
    // The owner's message target; nothing else of an owner exists.
    TOwnerMessageEvent OnOwnerMessage;
    // The collection of the other database side (not owned). Pairing is
    // mutual, and a collection that goes unpairs the other.
    TCustomObjs* LinkedObjs() const { return m_linkedObjs; }
    void SetLinkedObjs(TCustomObjs* Value);
    std::string Terminator = ";";
    // 23 flag bits, all set; sfDescriptions switches description statements on.
    std::uint32_t ScriptFlags = sfAllScriptFlags;
    // ConnectionOptions (user SYSDBA, password cobaltfin) and the eight server
    // option objects come from TServerOptionSet.
    TDatabaseType DatabaseType() const { return m_databaseType; }
    // Stores the type and sets the case rule of the name indexes: blind to
    // case for SQL Anywhere, MS SQL and ASE. Set it before filing objects.
    void SetDatabaseType(TDatabaseType Value);
    // 1 source, 2 target; a lone collection stands for the database its
    // statements go to.
    std::int32_t Side = 2;
    // Receives generated statements (not owned).
    TStatementSink* Executor = nullptr;
    TLogNextLineEvent OnLogNextLine;
    // Identifier quoting for dbCustomOLEDB: 2 single quotes, 3 double
    // quotes, 4 square brackets, anything else none.
    std::int32_t QuoteStyle = 0;
    TAcceptObjectEvent OnAcceptObject;
    // Objects read the server type and options of LinkedObjs instead.
    bool UseLinked = false;

    // The name indexes, by kind.
    TObjIndex Schemas;
    TObjIndex Domains;
    TObjIndex UDFs;
    TObjIndex Triggers;
    TObjIndex Procedures;
    TObjIndex Tables;
    TObjIndex Exceptions;
    TObjIndex Generators;
    TObjIndex Indexes;
    TObjIndex Views;
    TObjIndex Roles; // roles, logins and users
    TObjIndex Grants;
    TObjIndex Constraints;
    std::array<TObjIndex, 6> UnusedLists; // nothing fills them
    TObjIndex Rules;
    TObjIndex Defaults;
    TObjIndex Packages;
    TObjIndex Publications;
    TObjIndex Operators;
    TObjIndex OperatorClasses;
    TObjIndex Databases; // no object of this kind is ever made
    TObjIndex Events;
    TObjIndex Collations;

    // Lines of a built script.
    TStringList Script;
    // Three texts and a flag of the script builder that Clear resets.
    std::string ScriptText1;
    std::string ScriptText2;
    std::string ScriptText3;
    bool ScriptFlag = false;

    // The DB2 schema in force while a script is read; Clear empties it.
    std::string DB2CurrentSchema;
    // Logs each step of the dependency walks.
    bool Debug = false;

    // ---- virtual operations ----
    // Empties Script and every name index (the objects stay owned here),
    // clears the InterBase, MS SQL and SQL Anywhere database options, and
    // resets the terminator, the texts and the flag.
    virtual void Clear();
    virtual void SaveSourceTexts() {}
    virtual void BuildScript() {}
    virtual void GetScript(TStringList& /*Lines*/) {}

    // ---- filing ----
    // Files an object in the index of its kind and keeps it; answers the
    // object while it lives (filed, or unfiled under a key that is taken),
    // nullptr when it was refused (by AcceptObject, or as an InterBase tool
    // object "QEL$..." under IgnoreToolObjects) or is of a kind with no
    // index ("Unknown DbObject to add (TDbObj)" to the owner message) and
    // therefore freed.
    TDbObj* AddObject(std::unique_ptr<TDbObj> Obj);
    // False for nullptr; else OnAcceptObject's answer (True without one).
    bool AcceptObject(TDbObj* Obj);
    // Merges a grant into an equal one already filed (same object, grantee,
    // kinds and grant option): privileges joined when neither has columns,
    // columns joined when both have columns and equal privileges; then the
    // grant is freed and the answer is nullptr. Otherwise files and keeps it.
    TGntData* AddGrant(std::unique_ptr<TGntData> Grant);
    // Re-keys every grant and sorts the grant index again.
    void ResortGrants();
    // Takes Obj out of every index and frees it (its links go with it);
    // False when the collection does not hold it.
    bool DeleteObject(TDbObj* Obj);
    // Frees every link of Obj whose target is Target, in Uses and UsedBy,
    // and their mirrors in Target's lists, so that no half pair is left.
    void RemoveObjectLinks(TDbObj& Obj, TDbObj* Target);
    // RemoveObjectLinks over every domain, external function, view, table
    // and each of its fields, procedure, trigger, constraint, exception,
    // generator and index.
    void RemoveDependLinks(TDbObj* Target);

    // ---- sides and messages ----
    TCustomObjs* GetSourceObjs();
    TCustomObjs* GetTargetObjs();
    // ODS major version of the target side's database; 0 without one.
    std::int32_t GetTargetODSVersion();
    // No owner supplies a prefix: empty.
    std::string GetNamePrefix() const { return {}; }
    // OnLogNextLine, else the executor's log.
    void DoLog(const std::string& Text);
    // OnOwnerMessage; nothing without one.
    void LogOwnerMessage(const std::string& Text);

protected:
    // The index that files objects of Obj's class, or nullptr.
    TObjIndex* IndexFor(const TDbObj& Obj);
    // Every object handed over, in order of arrival.
    std::vector<std::unique_ptr<TDbObj>> m_objects;

private:
    // The filed grants by object, grantee, grant option and kinds (names
    // by the grant index's case rule): the only ones a new grant can merge
    // into.
    std::string GrantGroupKey(const TGntData& Grant) const;
    void RegroupGrants();
    std::unordered_map<std::string, std::vector<TGntData*>> m_grantGroups;
    TCustomObjs* m_linkedObjs = nullptr;
    TDatabaseType m_databaseType = TDatabaseType::dbAbstract;
};

} // namespace qel
