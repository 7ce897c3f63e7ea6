// The InterBase script parser: GRANT, REVOKE, DROP, COMMENT ON and DESCRIBE.
#include "qelIBScriptParser.h"
#include "qelIBScriptParserPrivate.h"

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"
#include "qelText.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace qel {

namespace {

// One grantee of a GRANT: its kind word (dboUnknown without one) and name.
struct TGrantee {
    TDbObject Kind = dboUnknown;
    std::string Name;
    std::string Text; // as written: "USER BOB"
};

// A grant with every field of Of.
std::unique_ptr<TGntData> CopyGrant(const TGntData& Of)
{
    auto g = std::make_unique<TGntData>(Of.Objs());
    g->Text = Of.Text;
    g->Privileges = Of.Privileges;
    g->Grantee = Of.Grantee;
    g->GranteeKind = Of.GranteeKind;
    g->ObjectName = Of.ObjectName;
    g->ObjectKind = Of.ObjectKind;
    g->GrantOption = Of.GrantOption;
    g->Columns = Of.Columns;
    g->GranteeType = Of.GranteeType;
    g->ScriptLine = Of.ScriptLine;
    return g;
}

// "CREATE TABLE" of "GRANT CREATE  table TO U": the words of a DDL
// privilege, upper case and one blank apart.
std::string DdlPrivilegeWords(std::string_view Text, std::string_view From, std::string_view Until)
{
    std::string out;
    std::string word;
    bool started = false;
    const auto flush = [&]() {
        if (word.empty()) return false;
        const std::string upper = UpperCase(word);
        word.clear();
        if (!started) {
            started = upper == From;
            return false;
        }
        if (upper == Until) return true;
        if (!out.empty()) out += ' ';
        out += upper;
        return false;
    };
    for (char c : Text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (flush()) return out;
        } else {
            word += c;
        }
    }
    flush();
    return out;
}

} // namespace

struct TIbParser::TGrantWhat {
    bool Ddl = false;
    std::string DdlWords; // "CREATE TABLE"
    bool AllObjects = false; // REVOKE ALL ON ALL
    bool All = false; // ALL [PRIVILEGES]
    TPrivileges Plain;
    std::vector<std::pair<TPrivilege, std::vector<std::string>>> ByColumns;
    std::vector<std::string> Roles;
    std::string ObjectName;
    TDbObject ObjectKind = dboUnknown;
    std::vector<TGrantee> Grantees;
    std::int64_t GranteesStart = 0; // where the first grantee's text begins
    std::int64_t GranteesEnd = 0; // where the text after the last one begins
};

void TIbParser::ReadGrantWhat(TGrantWhat& What, bool Revoke)
{
    const TSymb until = Revoke ? syIBFrom : syIBTo;
    const char* untilWord = Revoke ? "FROM" : "TO";
    TObjs* objs = Collection();
    What.Ddl = Symb == syIBCreate || Symb == syIBAlter || Symb == syIBDrop;
    if (What.Ddl) {
        // GRANT CREATE TABLE TO U, GRANT ALTER ANY PROCEDURE TO ROLE R
        for (TLoopGuard guard(*this); !Is(until, untilWord) && Symb != syTerminator && Symb != syEOF; guard.Turn()) {
            if (!What.DdlWords.empty()) What.DdlWords += ' ';
            What.DdlWords += UpperCase(TokenText);
            NextToken();
        }
    } else if (Symb != syIBSelect && Symb != syIBInsert && Symb != syIBUpdate && Symb != syIBDelete &&
               Symb != syIBReferences && Symb != syIBExecute && Symb != syIBAll && !IsWord("USAGE")) {
        for (;;) {
            What.Roles.push_back(ExpectName());
            NextToken();
            if (Symb != syComma) break;
            NextToken();
        }
        What.ObjectName = What.Roles.front();
        What.ObjectKind = dboRole;
    } else {
        for (;;) {
            std::optional<TPrivilege> one;
            switch (SymbCode(Symb)) {
            case SymbCode(syIBInsert): one = TPrivilege::prInsert; break;
            case SymbCode(syIBUpdate): one = TPrivilege::prUpdate; break;
            case SymbCode(syIBDelete): one = TPrivilege::prDelete; break;
            case SymbCode(syIBSelect): one = TPrivilege::prSelect; break;
            case SymbCode(syIBExecute): one = TPrivilege::prExecute; break;
            case SymbCode(syIBReferences): one = TPrivilege::prReferences; break;
            case SymbCode(syIBAll):
                What.All = true;
                for (TPrivilege p : {TPrivilege::prInsert, TPrivilege::prUpdate, TPrivilege::prDelete,
                                     TPrivilege::prSelect, TPrivilege::prReferences})
                    What.Plain.Include(p);
                break;
            default:
                if (IsWord("USAGE")) one = TPrivilege::prUsage;
                else Expect(syIBSelect);
                break;
            }
            NextToken();
            if (Is(syIBPrivileges, "PRIVILEGES")) NextToken();
            if (one && Symb == syLParen) {
                std::vector<std::string> columns;
                do {
                    NextToken();
                    columns.push_back(ExpectName());
                    NextToken();
                } while (Symb == syComma);
                ExpectAndNext(syRParen);
                What.ByColumns.emplace_back(*one, std::move(columns));
            } else if (one) {
                What.Plain.Include(*one);
            }
            if (Symb != syComma) break;
            NextToken();
        }
        ExpectIs(syIBOn, "ON");
        NextToken();
        if (Revoke && What.All && Symb == syIBAll && What.Plain.Contains(TPrivilege::prSelect)) {
            // REVOKE ALL ON ALL FROM U: every privilege and role of U.
            What.AllObjects = true;
            NextToken();
            ExpectIs(until, untilWord);
            return;
        }
        TDbObject& kind = What.ObjectKind;
        if (Is(syIBTable, "TABLE")) kind = dboTable;
        else if (Is(syIBView, "VIEW")) kind = dboView;
        else if (Is(syIBProcedure, "PROCEDURE")) kind = dboProcedure;
        else if (Is(syIBFunction, "FUNCTION")) kind = dboFunction;
        else if (Is(syIBTrigger, "TRIGGER")) kind = dboTrigger;
        else if (IsWord("PACKAGE")) kind = dboPackage;
        else if (Is(syIBGenerator, "GENERATOR") || IsWord("SEQUENCE")) kind = dboGenerator;
        else if (Is(syIBException, "EXCEPTION")) kind = dboException;
        if (kind != dboUnknown) NextToken();
        What.ObjectName = ExpectName();
        if (kind == dboUnknown && objs != nullptr) {
            if (objs->FindTable(What.ObjectName) != nullptr) kind = dboTable;
            else if (objs->FindView(What.ObjectName) != nullptr) kind = dboView;
            else if (StartsWithText(What.ObjectName, "RDB$") && What.Plain.Contains(TPrivilege::prSelect))
                kind = dboTable;
        }
        NextToken();
    }
    ExpectIs(until, untilWord);
}

void TIbParser::ReadGrantees(TGrantWhat& What)
{
    do {
        NextToken();
        const std::int64_t from = TokenStart;
        if (What.Grantees.empty()) What.GranteesStart = from;
        TGrantee grantee;
        if (Is(syIBView, "VIEW")) grantee.Kind = dboView;
        else if (Is(syIBProcedure, "PROCEDURE")) grantee.Kind = dboProcedure;
        else if (Is(syIBFunction, "FUNCTION")) grantee.Kind = dboFunction;
        else if (Is(syIBTrigger, "TRIGGER")) grantee.Kind = dboTrigger;
        else if (IsWord("PACKAGE")) grantee.Kind = dboPackage;
        else if (Is(syIBUser, "USER") || IsWord("GROUP")) grantee.Kind = dboUser;
        else if (Is(syIBRole, "ROLE")) grantee.Kind = dboRole;
        if (grantee.Kind != dboUnknown) NextToken();
        grantee.Name = ExpectName();
        NextToken();
        grantee.Text = GetTextFrom(from);
        What.Grantees.push_back(grantee);
    } while (Symb == syComma);
    What.GranteesEnd = TokenStart;
}

// One grant a grantee, and one more for each privilege that names columns:
//   GRANT SELECT, UPDATE (A) ON T TO U, ROLE R
//     -> SELECT ON T TO U, UPDATE (A) ON T TO U, the same two TO ROLE R
// Privileges to create, alter or drop kinds of objects are kept as the
// statement's text.
void TIbParser::ParseGrant()
{
    const std::int32_t line = Line;
    SetKind(stStatement, {}, dboGrant, odbCreate);
    const std::int64_t start = TokenStart;
    NextToken();
    TObjs* objs = Collection();
    TGrantWhat what;
    ReadGrantWhat(what, false);
    StatementKind.ObjName = what.ObjectName;
    ReadGrantees(what);
    std::int32_t grantOption = 0;
    if (Symb == syIBWith) {
        grantOption = 1;
        NextToken();
        if (Symb != syIBGrant && !Is(syIBAdmin, "ADMIN")) ParseError("Must be: with GRANT/ADMIN option");
        NextToken();
        ExpectIs(syIBOption, "OPTION");
        NextToken();
    }
    SkipGrantor();
    const std::string text = GetTextFrom(start);
    // A privilege kept as text is granted to each grantee by a text of its
    // own: one naming them all would give them all back when one grant is
    // revoked and the collection's script is written.
    const std::string head = Trim(GetText(start, what.GranteesStart - start)); // "GRANT CREATE TABLE TO"
    const std::string after = GetTextFrom(what.GranteesEnd); // "WITH GRANT OPTION"
    const auto textFor = [&](const TGrantee& Grantee) {
        if (what.Grantees.size() < 2) return text;
        return head + " " + Grantee.Text + (after.empty() ? "" : " " + after);
    };
    Emit();
    std::vector<std::unique_ptr<TGntData>> grants;
    const auto grant = [&](const TGrantee& Grantee) -> TGntData& {
        auto g = std::make_unique<TGntData>(Objs());
        g->ScriptLine = line;
        g->ObjectName = what.ObjectName;
        g->ObjectKind = what.ObjectKind;
        g->GrantOption = grantOption;
        g->Grantee = Grantee.Name;
        g->GranteeKind = Grantee.Kind;
        if (Grantee.Kind == dboUser) g->GranteeType = 12;
        else if (Grantee.Kind == dboRole) g->GranteeType = 11;
        else if (Grantee.Kind != dboUnknown) g->GranteeType = 13;
        if (Grantee.Kind == dboUnknown && objs != nullptr)
            g->GranteeKind = objs->FindRole(Grantee.Name) != nullptr ? dboRole : dboUser;
        grants.push_back(std::move(g));
        return *grants.back();
    };
    for (const TGrantee& grantee : what.Grantees) {
        if (what.Ddl) {
            grant(grantee).Text = textFor(grantee);
        } else if (what.ObjectKind == dboRole) {
            for (const std::string& role : what.Roles) grant(grantee).ObjectName = role;
        } else {
            if (!what.Plain.Empty() || what.ByColumns.empty()) grant(grantee).Privileges = what.Plain;
            for (const auto& [privilege, columns] : what.ByColumns) {
                TGntData& g = grant(grantee);
                g.Privileges.Include(privilege);
                for (const std::string& column : columns) g.Columns.Add(column);
            }
        }
    }
    for (auto& g : grants) {
        DoLogNextLine("Grant: " + g->GetCreateDDL());
        if (objs != nullptr && objs->IBServerOptions().IBCompareOptions().IgnoreToolObjects &&
            IsToolObjectName(g->ObjectName))
            continue;
        FindGrantObject(std::move(g));
    }
}

// GRANTED BY [USER] u, or AS [USER] u: who grants is the server's.
void TIbParser::SkipGrantor()
{
    if (!IsWord("GRANTED") && !Is(syIBAs, "AS")) return;
    if (IsWord("GRANTED")) {
        NextToken();
        ExpectIs(syIBBy, "BY");
    }
    NextToken();
    if (Is(syIBUser, "USER")) NextToken();
    ExpectName();
    NextToken();
}

TGntData* TIbParser::FindGrantObject(std::unique_ptr<TGntData> Grant)
{
    if (Collection() == nullptr) return nullptr;
    return Collection()->AddGrant(std::move(Grant));
}

// REVOKE [GRANT OPTION FOR | ADMIN OPTION FOR] what FROM grantees
// [GRANTED BY u]: the collection loses what the server takes back, and a
// grant of which only part is revoked keeps the rest.
void TIbParser::ParseRevoke()
{
    SetKind(stStatement, {}, dboGrant, odbDrop);
    NextToken();
    bool optionOnly = false;
    if ((Symb == syIBGrant || Is(syIBAdmin, "ADMIN")) && PeekIs(syIBOption, "OPTION")) {
        optionOnly = true;
        NextToken();
        NextAndExpect(syIBFor);
        NextToken();
    }
    TGrantWhat what;
    ReadGrantWhat(what, true);
    ReadGrantees(what);
    SkipGrantor();
    Emit();
    RevokeGrants(what, optionOnly);
}

void TIbParser::RevokeGrants(const TGrantWhat& What, bool OptionOnly)
{
    TObjs* objs = Collection();
    if (objs == nullptr) return;
    const auto grantee = [&](const TGntData& G) {
        for (const TGrantee& one : What.Grantees) {
            if (G.Grantee != one.Name) continue;
            TDbObject kind = one.Kind;
            if (kind == dboUnknown) kind = objs->FindRole(one.Name) != nullptr ? dboRole : dboUser;
            if (G.GranteeKind == kind || G.GranteeKind == dboUnknown) return true;
        }
        return false;
    };
    const auto object = [&](const TGntData& G) {
        if (What.AllObjects) return true;
        if (What.Ddl) return !G.Text.empty() && DdlPrivilegeWords(G.Text, "GRANT", "TO") == What.DdlWords;
        if (!G.Text.empty() || (G.ObjectKind == dboRole) != (What.ObjectKind == dboRole)) return false;
        if (What.ObjectKind == dboRole)
            return std::find(What.Roles.begin(), What.Roles.end(), G.ObjectName) != What.Roles.end();
        if (G.ObjectName != What.ObjectName) return false;
        const auto relation = [](TDbObject K) { return K == dboTable || K == dboView || K == dboUnknown; };
        return G.ObjectKind == What.ObjectKind || (relation(G.ObjectKind) && relation(What.ObjectKind));
    };
    std::vector<TGntData*> hit;
    for (TGntData* g : objs->Grants.ObjectsOf<TGntData>())
        if (grantee(*g) && object(*g) && (!OptionOnly || g->GrantOption != 0)) hit.push_back(g);
    for (TGntData* g : hit) {
        // What stays as it was (Kept) and what loses its grant option (Lost).
        std::unique_ptr<TGntData> kept = CopyGrant(*g);
        std::unique_ptr<TGntData> lost = CopyGrant(*g);
        lost->GrantOption = 0;
        if (What.AllObjects || What.Ddl || What.ObjectKind == dboRole) {
            kept.reset();
        } else if (g->Columns.Empty()) {
            // Column lists of a REVOKE leave a grant on the whole object.
            const TPrivileges taken = What.All ? g->Privileges : g->Privileges & What.Plain;
            if (taken.Empty()) continue;
            lost->Privileges = taken;
            kept->Privileges = kept->Privileges - taken;
            if (kept->Privileges.Empty()) kept.reset();
        } else {
            if (What.All || !(g->Privileges & What.Plain).Empty()) {
                kept.reset();
            } else {
                kept->Columns.Clear();
                lost->Columns.Clear();
                const auto revoked = [&](const std::string& Column) {
                    for (const auto& [privilege, columns] : What.ByColumns)
                        if (g->Privileges.Contains(privilege) &&
                            std::find(columns.begin(), columns.end(), Column) != columns.end())
                            return true;
                    return false;
                };
                for (const std::string& column : g->Columns.Lines())
                    (revoked(column) ? lost : kept)->Columns.Add(column);
                if (lost->Columns.Empty()) continue;
                if (kept->Columns.Empty()) kept.reset();
            }
        }
        DoLogNextLine("Revoke: " + g->GetCreateDDL());
        objs->DeleteObject(g);
        if (kept) FindGrantObject(std::move(kept));
        if (OptionOnly) FindGrantObject(std::move(lost));
    }
}

void TIbParser::ParseDrop()
{
    NextToken();
    TDbObject kind = dboUnknown;
    bool external = false;
    if (Is(syIBDomain, "DOMAIN")) kind = dboDomain;
    else if (Is(syIBExternal, "EXTERNAL")) {
        external = true;
        NextToken();
        ExpectIs(syIBFunction, "FUNCTION");
        kind = dboFunction;
    } else if (Is(syIBException, "EXCEPTION")) kind = dboException;
    else if (Is(syIBIndex, "INDEX")) kind = dboIndex;
    else if (Is(syIBProcedure, "PROCEDURE")) kind = dboProcedure;
    else if (Is(syIBRole, "ROLE")) kind = dboRole;
    else if (Is(syIBTable, "TABLE")) kind = dboTable;
    else if (Is(syIBTrigger, "TRIGGER")) kind = dboTrigger;
    else if (Is(syIBView, "VIEW")) kind = dboView;
    else if (Is(syIBGenerator, "GENERATOR") || IsWord("SEQUENCE")) kind = dboGenerator;
    else if (Is(syIBFunction, "FUNCTION")) kind = dboFunction;
    else if (IsWord("PACKAGE")) {
        kind = dboPackage;
        if (PeekWord("BODY")) NextToken();
    } else if (IsWord("COLLATION")) kind = dboCollation;
    else if (Is(syIBFilter, "FILTER")) kind = dboBlobFilter;
    else if (IsWord("USER") || IsWord("MAPPING") || IsWord("GLOBAL") || IsWord("SHADOW") ||
             Is(syIBDatabase, "DATABASE")) {
        // The server's own objects, of which the model keeps none.
        ServerStatement();
        return;
    } else ParseError("Unknown DROP statement");
    const bool packageBody = kind == dboPackage && IsWord("BODY");
    SetKind(stStatement, {}, kind, odbDrop);
    NextToken();
    const std::string name = ExpectName();
    StatementKind.ObjName = name;
    NextToken();
    Emit();
    if (kind == dboUnknown) return;
    if (packageBody) {
        // The header stays; its routines lose their bodies.
        if (Collection() != nullptr)
            if (TPkgData* package = Collection()->FindPackage(name)) package->SetBody({});
        return;
    }
    DropObject(FindByKind(kind, name, external));
}

// DROP FUNCTION names a function of the language first, then an external
// one (External: only an external one), as the server looks.
TDbObj* TIbParser::FindByKind(TDbObject Kind, const std::string& Name, bool External) const
{
    const TObjs* objs = Collection();
    if (objs == nullptr) return nullptr;
    switch (Kind) {
    case dboTable: return objs->FindTable(Name);
    case dboView: return objs->FindView(Name);
    case dboProcedure: return objs->FindProcedure(Name);
    case dboTrigger: return objs->FindTrigger(Name);
    case dboDomain: return objs->FindDomain(Name);
    case dboException: return objs->FindException(Name);
    case dboIndex: return objs->FindIndex(Name);
    case dboGenerator: return objs->FindGenerator(Name);
    case dboRole: return objs->FindRole(Name);
    case dboPackage: return objs->FindPackage(Name);
    case dboCollation: return objs->Collations.Find(Name);
    case dboFunction:
        if (!External)
            if (TDbObj* f = objs->FindProcedure(TPrcData::FunctionKey(Name))) return f;
        return objs->FindUDF(Name);
    default: return nullptr;
    }
}

// What the server drops with an object goes from the collection with it: a
// table's constraints, indexes and triggers, a view's triggers, and every
// grant of the object or to it. While anything else uses the object the
// server refuses the drop: the object stays, and a warning says why.
void TIbParser::DropObject(TDbObj* Obj, const char* Statement)
{
    TObjs* objs = Collection();
    if (objs == nullptr || Obj == nullptr) return;
    const std::string name = Obj->Name();
    std::vector<TDbObj*> gone;
    TDbObject kind = Obj->ObjectType();
    if (auto* routine = dynamic_cast<TPrcData*>(Obj)) kind = routine->IsFunction ? dboFunction : dboProcedure;
    if (dynamic_cast<TTblData*>(Obj) != nullptr) {
        kind = dboTable;
        for (TCtrData* ctr : objs->Constraints.ObjectsOf<TCtrData>())
            if (ctr->TableName() == name) gone.push_back(ctr);
        for (TIdxData* index : objs->Indexes.ObjectsOf<TIdxData>())
            if (index->TableName == name) gone.push_back(index);
    }
    if (kind == dboTable || kind == dboView)
        for (TTrgData* trigger : objs->Triggers.ObjectsOf<TTrgData>())
            if (trigger->TableName() == name) gone.push_back(trigger);
    if (const TDbObj* user = StillUsedBy(*Obj, gone)) {
        AddWarning(Statement + (" " + name) + ": still used by " + UserName(*user) +
                   "; the server refuses the drop, and the collection keeps it.");
        return;
    }
    for (TDbObj* other : gone)
        if (dynamic_cast<TTrgData*>(other) != nullptr) DropGrants(other->Name(), dboTrigger);
    DropGrants(name, kind);
    for (TDbObj* other : gone) objs->DeleteObject(other);
    DoLogNextLine("Drop: " + name);
    objs->DeleteObject(Obj);
}

// The first object that uses Obj or one of its columns and does not go with
// it (Gone): its own triggers, constraints and indexes, its grants and its
// own columns do; nullptr when nothing else does.
const TDbObj* TIbParser::StillUsedBy(TDbObj& Obj, const std::vector<TDbObj*>& Gone) const
{
    const auto own = [&](const TDbObj* User) {
        if (User == &Obj || dynamic_cast<const TGntData*>(User) != nullptr) return true;
        if (std::find(Gone.begin(), Gone.end(), User) != Gone.end()) return true;
        const auto* field = dynamic_cast<const TFldData*>(User);
        return field != nullptr && field->Parent == &Obj;
    };
    const auto users = [&](const TDbObj& Used) -> const TDbObj* {
        for (const auto& link : Used.UsedBy)
            if (link.Object && link.Object->Target != nullptr && !own(link.Object->Target)) return link.Object->Target;
        return nullptr;
    };
    if (const TDbObj* user = users(Obj)) return user;
    const TOwnedNameList<TFldData>* columns = nullptr;
    if (auto* table = dynamic_cast<TTblData*>(&Obj)) columns = &table->Fields;
    else if (auto* view = dynamic_cast<TViwData*>(&Obj)) columns = &view->Columns;
    if (columns != nullptr)
        for (const auto& column : *columns)
            if (column.Object)
                if (const TDbObj* user = users(*column.Object)) return user;
    return nullptr;
}

// "V", or "T.C" for a column.
std::string TIbParser::UserName(const TDbObj& User)
{
    if (const auto* field = dynamic_cast<const TFldData*>(&User); field != nullptr && !field->TableName.empty())
        return field->TableName + "." + field->Name();
    return User.Name();
}

// RECREATE TABLE, VIEW, PROCEDURE, FUNCTION, TRIGGER, EXCEPTION or PACKAGE
// drops what has the name, and what goes with it, before it creates; a
// sequence or a package body is changed in place by its own statement.
bool TIbParser::DropForRecreate()
{
    if (Collection() == nullptr) return true;
    const TParseContext at(this);
    NextToken();
    TDbObject kind = dboUnknown;
    if (Symb == syIBGlobal || IsWord("GLOBAL")) {
        NextToken();
        if (Is(syIBTemporary, "TEMPORARY")) NextToken();
    }
    if (Is(syIBTable, "TABLE")) kind = dboTable;
    else if (Is(syIBView, "VIEW")) kind = dboView;
    else if (Is(syIBProcedure, "PROCEDURE")) kind = dboProcedure;
    else if (Is(syIBFunction, "FUNCTION")) kind = dboFunction;
    else if (Is(syIBTrigger, "TRIGGER")) kind = dboTrigger;
    else if (Is(syIBException, "EXCEPTION")) kind = dboException;
    else if (IsWord("PACKAGE") && !PeekWord("BODY")) kind = dboPackage;
    TDbObj* found = nullptr;
    std::string name;
    if (kind != dboUnknown) {
        NextToken();
        if (Symb == syIdent) found = FindByKind(kind, name = TokenText, false);
    }
    at.Restore();
    if (found == nullptr) return true;
    DropObject(found, "RECREATE");
    // Refused, the old object is still there.
    return FindByKind(kind, name, false) == nullptr;
}

void TIbParser::ForgetUses(TDbObj& Obj)
{
    for (const auto& link : Obj.Uses)
        if (link.Object && link.Object->Target != nullptr)
            link.Object->Target->UsedBy.RemoveIf([&](const TDependObj& Back) { return Back.Target == &Obj; });
    Obj.Uses.Clear();
}

// The grants of the object Name and those to it as a grantee of Kind (to a
// user of the same name they stay, as the server keeps them).
void TIbParser::DropGrants(const std::string& Name, TDbObject Kind)
{
    TObjs* objs = Collection();
    const auto sameKind = [&](TDbObject Of) {
        if (Of == Kind || Of == dboUnknown) return true;
        // A grant on a table or view not known when it was read.
        return (Kind == dboTable || Kind == dboView) && (Of == dboTable || Of == dboView);
    };
    std::vector<TDbObj*> grants;
    for (TGntData* g : objs->Grants.ObjectsOf<TGntData>()) {
        const bool on = g->ObjectName == Name && sameKind(g->ObjectKind) && (g->ObjectKind != dboRole || Kind == dboRole);
        const bool to = g->Grantee == Name && Kind != dboUnknown && g->GranteeKind == Kind;
        if (on || to) grants.push_back(g);
    }
    for (TDbObj* g : grants) objs->DeleteObject(g);
}

TDbObj* TIbParser::ReadObjectName(TDbObject Kind, std::string& Name)
{
    NextToken();
    Name = ExpectName();
    NextToken();
    // DESCRIBE FUNCTION and COMMENT ON EXTERNAL FUNCTION name external ones.
    return FindByKind(Kind, Name, true);
}

void TIbParser::ParseComment()
{
    NextToken();
    ExpectIs(syIBOn, "ON");
    NextToken();
    TObjs* objs = Collection();
    TDbObj* target = nullptr;
    TDbObject kind = dboUnknown;
    std::string name;
    std::string parent;
    const auto find = [&](TDbObject Kind) { target = ReadObjectName(kind = Kind, name); };
    // "t.c": the owner, then the part after the dot.
    const auto twoParts = [&](TDbObject Kind) {
        kind = Kind;
        NextToken();
        parent = ExpectName();
        NextAndExpect(syDot);
        NextToken();
        name = ExpectName();
        NextToken();
    };
    // [package.]routine: a package's member is no object of its own, its
    // package keeps the description.
    TPkgData* package = nullptr;
    bool memberFunction = false;
    std::string member, memberParam;
    const auto routine = [&](bool Function) {
        kind = Function ? dboFunction : dboProcedure;
        NextToken();
        name = ExpectName();
        NextToken();
        if (Symb == syDot) {
            parent = name;
            NextToken();
            name = ExpectName();
            NextToken();
            if (objs != nullptr) package = objs->FindPackage(parent);
            memberFunction = Function;
            member = name;
        } else if (objs != nullptr) {
            target = Function ? objs->FindProcedure(TPrcData::FunctionKey(name)) : objs->FindProcedure(name);
            if (target == nullptr && Function) target = objs->FindUDF(name);
        }
    };
    // PARAMETER r.p, or as isql writes it PROCEDURE PARAMETER r.p and
    // FUNCTION PARAMETER r.p; r may be package.routine.
    const auto parameter = [&](bool Procedure, bool Function) {
        twoParts(dboParam);
        if (Symb == syDot) {
            // PKG.ROUTINE.PARAM: a parameter of a package's member.
            if (objs != nullptr) package = objs->FindPackage(parent);
            memberFunction = Function && !Procedure;
            member = name;
            parent += "." + name;
            NextToken();
            name = memberParam = ExpectName();
            NextToken();
            return;
        }
        if (objs == nullptr) return;
        if (Procedure) target = objs->FindProcedureParam(parent, name);
        if (target == nullptr && Function)
            if (const TPrcData* f = objs->FindProcedure(TPrcData::FunctionKey(parent)))
                target = f->InputParams.Find(name);
    };
    const bool routineParameter =
        (Is(syIBProcedure, "PROCEDURE") || Is(syIBFunction, "FUNCTION")) && PeekIs(syIBParameter, "PARAMETER");
    if (routineParameter) {
        const bool function = Is(syIBFunction, "FUNCTION");
        NextToken();
        parameter(!function, function);
    } else if (Is(syIBTable, "TABLE")) find(dboTable);
    else if (Is(syIBView, "VIEW")) find(dboView);
    else if (Is(syIBProcedure, "PROCEDURE")) routine(false);
    else if (Is(syIBFunction, "FUNCTION")) routine(true);
    else if (IsWord("PACKAGE")) find(dboPackage);
    else if (Is(syIBDatabase, "DATABASE")) {
        kind = dboDatabase;
        NextToken();
    } else if (IsWord("COLLATION")) find(dboCollation);
    else if (Is(syIBFilter, "FILTER") || IsWord("USER") || IsWord("MAPPING")) {
        NextToken();
        name = ExpectName();
        NextToken();
        // A user of a given security plugin: USER U USING PLUGIN SRP.
        if (IsWord("USING")) {
            NextToken();
            ExpectWord("PLUGIN");
            NextToken();
            ExpectName();
            NextToken();
        }
    } else if (Is(syIBChar, "CHARACTER")) {
        NextToken();
        ExpectIs(syIBSet, "SET");
        NextToken();
        name = ExpectName();
        NextToken();
    }
    else if (Is(syIBTrigger, "TRIGGER")) find(dboTrigger);
    else if (Is(syIBDomain, "DOMAIN")) find(dboDomain);
    else if (Is(syIBException, "EXCEPTION")) find(dboException);
    else if (Is(syIBIndex, "INDEX")) find(dboIndex);
    else if (Is(syIBGenerator, "GENERATOR") || IsWord("SEQUENCE")) find(dboGenerator);
    else if (Is(syIBRole, "ROLE")) find(dboRole);
    else if (Is(syIBExternal, "EXTERNAL")) {
        NextToken();
        ExpectIs(syIBFunction, "FUNCTION");
        find(dboFunction);
    } else if (Is(syIBColumn, "COLUMN")) {
        twoParts(dboField);
        if (objs != nullptr) {
            target = objs->FindTableField(parent, name);
            if (target == nullptr) target = objs->FindViewField(parent, name);
        }
    } else if (Is(syIBParameter, "PARAMETER")) {
        parameter(true, true);
    } else {
        ParseError("Unknown Comment-statement");
    }
    SetKind(stStatement, name, kind, odbDescription, parent);
    ExpectIs(syIBIs, "IS");
    NextToken();
    std::string text;
    if (Symb == syString) text = ValueText;
    else if (Symb != syIBNull) ParseError("Invalid comment text");
    NextToken();
    Emit();
    if (target != nullptr) target->SetDescription(text);
    if (package != nullptr) package->SetMemberDescription(memberFunction, member, memberParam, text);
}

void TIbParser::ParseDescribe()
{
    NextToken();
    if (IsWord("ROLE")) Symb = syIBRole;
    else if (IsWord("SEQUENCE") || IsWord("GENERATOR")) Symb = syIBGenerator;
    else if (IsWord("EXCEPTION")) Symb = syIBException;
    else if (IsWord("DOMAIN")) Symb = syIBDomain;
    // No keyword from Firebird 3 on, yet the same statement.
    else if (IsWord("DATABASE")) Symb = syIBDatabase;
    TObjs* objs = Collection();
    TDbObj* target = nullptr;
    TDbObject kind = dboUnknown;
    std::string name;
    std::string parent;
    const auto find = [&](TDbObject Kind) { target = ReadObjectName(kind = Kind, name); };
    switch (SymbCode(Symb)) {
    case SymbCode(syIBTable): find(dboTable); break;
    case SymbCode(syIBView): find(dboView); break;
    case SymbCode(syIBProcedure): find(dboProcedure); break;
    case SymbCode(syIBTrigger): find(dboTrigger); break;
    case SymbCode(syIBFunction): find(dboFunction); break;
    case SymbCode(syIBDomain): find(dboDomain); break;
    case SymbCode(syIBException): find(dboException); break;
    case SymbCode(syIBIndex): find(dboIndex); break;
    case SymbCode(syIBGenerator): find(dboGenerator); break;
    case SymbCode(syIBRole): find(dboRole); break;
    case SymbCode(syIBParameter):
        kind = dboParam;
        NextToken();
        name = ExpectName();
        NextToken();
        ExpectIs(syIBProcedure, "PROCEDURE");
        NextToken();
        parent = ExpectName();
        if (objs != nullptr) target = objs->FindProcedureParam(parent, name);
        NextToken();
        break;
    case SymbCode(syIdent):
        if (!IsWord("FIELD")) {
            ParseError("Unknown DESCRIBE statement.");
            break;
        }
        kind = dboField;
        NextToken();
        name = ExpectName();
        NextToken();
        if (Is(syIBTable, "TABLE") || Is(syIBView, "VIEW")) {
            const bool table = Is(syIBTable, "TABLE");
            NextToken();
            parent = ExpectName();
            if (objs != nullptr)
                target = table ? objs->FindTableField(parent, name) : objs->FindViewField(parent, name);
            NextToken();
        } else {
            ParseError("Unknown DESCRIBE statement.");
        }
        break;
    default: NextToken(); break;
    }
    SetKind(stDescription, name, kind, odbDescription, parent);
    Expect(syString);
    const std::string text = ValueText;
    if (target != nullptr) target->SetDescription(text);
    NextToken();
    Emit();
    // The executor may refuse the statement: then there is none to describe.
    if (StatementRef != nullptr && OnDescribeStatement) OnDescribeStatement(*StatementRef, text);
}

} // namespace qel
