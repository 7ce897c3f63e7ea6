// The InterBase/Firebird database script in the order that rebuilds any
// schema (PostgreSQL routines and views take the same order): whatever an object uses is there before it. Routines are created
// first as stubs with their real parameters, so that views, other routines
// and packages can name them; their bodies follow the views. Checks and
// computed columns, which may call routines or read views and other tables,
// are completed once everything else exists; triggers come last but for the
// grants.
#include "qelObjs.h"

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelObjsScriptFormat.h"
#include "qelText.h"

#include <algorithm>
#include <vector>

namespace qel {

namespace {

// A domain written without its check, which "ALTER DOMAIN ... ADD CHECK"
// gives it later; the check is put back however the scope is left.
class TCheckLeftOut {
public:
    explicit TCheckLeftOut(TFldData* Field) : m_field(Field)
    {
        if (m_field != nullptr) m_saved.swap(m_field->CheckText);
    }
    ~TCheckLeftOut()
    {
        if (m_field != nullptr) m_field->CheckText.swap(m_saved);
    }
    TCheckLeftOut(const TCheckLeftOut&) = delete;
    TCheckLeftOut& operator=(const TCheckLeftOut&) = delete;

private:
    TFldData* m_field;
    std::string m_saved;
};

// A routine written as a stub first and completed by ALTER: one with a body
// of its own (an external routine is whole as it stands).
bool HasBodyToComplete(const TPrcData& Routine) { return !Routine.Body().empty(); }

// The view a link points to: the view itself or one of its columns.
TViwData* ViewOf(const TDependObj* Link)
{
    TDbObj* target = Link != nullptr ? Link->Target : nullptr;
    if (auto* column = dynamic_cast<TFldData*>(target)) target = column->Parent;
    return dynamic_cast<TViwData*>(target);
}

// A computed column of a table the script writes, which a placeholder holds
// until it is completed.
TFldData* ComputedColumnOf(const TDependObj* Link)
{
    auto* field = dynamic_cast<TFldData*>(Link != nullptr ? Link->Target : nullptr);
    if (field == nullptr || field->Body().empty()) return nullptr;
    const auto* table = dynamic_cast<const TTblData*>(field->Parent);
    return table != nullptr && !table->NoScript ? field : nullptr;
}

// Whether the object's text reads a view, which must exist before it, or
// a computed column that is completed only once a view it reads exists.
bool ReadsAView(const TDbObj& Obj, int Depth = 0)
{
    // Computed columns that read each other in a ring end the search.
    if (Depth > 64) return false;
    return std::any_of(Obj.Uses.begin(), Obj.Uses.end(), [Depth](const auto& Link) {
        if (ViewOf(Link.Object.get()) != nullptr) return true;
        const TFldData* computed = ComputedColumnOf(Link.Object.get());
        return computed != nullptr && ReadsAView(*computed, Depth + 1);
    });
}

} // namespace

void TObjs::OpenBlock()
{
    const TScriptFormat format(DatabaseType());
    if (!format.BlockOpener().empty()) Script.Add(format.BlockOpener() + CRLF);
    Terminator = format.BlockTerminator();
}

void TObjs::CloseBlock()
{
    const TScriptFormat format(DatabaseType());
    if (!format.BlockCloser().empty()) Script.Add(format.BlockCloser() + CRLF);
    Terminator = format.Terminator();
}

// Firebird 3 packages go with the routines.
bool TObjs::WritesPackagesWithRoutines() const
{
    return DatabaseType() == TDatabaseType::dbInterBase &&
           IBServerOptions().SQLServerVersion >= TIBSQLServerVersionType::st_Firebird_30;
}

void TObjs::WriteStatement(TDbObj& Obj, const std::string& Text, bool OwnerLines)
{
    if (Text.empty()) return;
    Script.Add(TScriptFormat::Terminated(Text, Terminator));
    Script.Add("");
    if (OwnerLines) WriteOwnerStatement(Obj, Script);
}

void TObjs::WriteInterBaseScript()
{
    WriteObjects(Collations, true, false);
    WriteObjects(UDFs, false, true);
    Script.Add("");
    // Domains without their checks: a check may read tables or call routines.
    for (TDmnData* domain : Domains.ObjectsOf<TDmnData>()) {
        SaveObjectFiles(*domain);
        if (domain->NoScript) continue;
        const TCheckLeftOut check(domain->BaseField.get());
        WriteStatement(*domain, domain->GetCreateDDL(), true);
    }
    WriteObjects(Generators, true, false);
    WriteObjects(Exceptions, true, true);
    WriteObjects(Roles, true, false);
    Script.Add("");
    // Tables with their computed columns held as placeholders, then keys.
    for (TTblData* table : Tables.ObjectsOf<TTblData>()) {
        SaveObjectFiles(*table);
        if (!table->NoScript) WriteStatement(*table, table->GetPlaceholderCreateDDL(), true);
    }
    WriteConstraintKinds({ckPrimaryKey, ckUnique, ckForeignKey});
    WriteRoutineStubs();
    // Computed columns are completed before what reads them takes their
    // type: a view, routine or index compiled over a placeholder keeps the
    // placeholder's type. The stubs are all they may call.
    std::vector<const TDbObj*> done;
    WriteViewsAndComputedColumns(false, done);
    WriteObjects(Indexes, true, false);
    Script.Add("");
    // Bodies that read no view are completed before the views: Firebird
    // refuses to alter a procedure once a view over a view reads it.
    WriteRoutineBodies(false);
    WriteViewsAndComputedColumns(true, done);
    WriteRoutineBodies(true);
    // What may call routines or read views and other tables.
    for (TDmnData* domain : Domains.ObjectsOf<TDmnData>()) {
        if (domain->NoScript || domain->BaseField == nullptr) continue;
        const std::string check = Trim(domain->BaseField->CheckText);
        if (!check.empty()) WriteStatement(*domain, "ALTER DOMAIN " + domain->QuoteName(domain->Name()) + " ADD CHECK " + check, false);
    }
    WriteConstraintKinds({ckCheck});
    Script.Add("");
    WriteRoutines(Triggers);
    Script.Add("");
    WriteObjects(Grants, false, false);
    Script.Add("");
}

// Stubs with the real parameters, and package headers, in one block.
void TObjs::WriteRoutineStubs()
{
    const bool packages = WritesPackagesWithRoutines();
    if (Procedures.Empty() && (Packages.Empty() || !packages)) return;
    OpenBlock();
    for (TPrcData* routine : Procedures.ObjectsOf<TPrcData>()) {
        SaveObjectFiles(*routine);
        if (routine->NoScript) continue;
        WriteStatement(*routine,
                       HasBodyToComplete(*routine) ? routine->GetStubCreateScript() : routine->GetCreateDDL(), true);
    }
    if (packages)
        for (TPkgData* package : Packages.ObjectsOf<TPkgData>()) {
            SaveObjectFiles(*package);
            WriteStatement(*package, package->GetHeaderText(), true);
        }
    CloseBlock();
}

// The routine bodies that read views (AfterViews) or the others; package
// bodies always after the views.
void TObjs::WriteRoutineBodies(bool AfterViews)
{
    const bool packages = WritesPackagesWithRoutines();
    std::vector<TPrcData*> routines;
    for (TPrcData* routine : Procedures.ObjectsOf<TPrcData>())
        if (!routine->NoScript && HasBodyToComplete(*routine) && ReadsAView(*routine) == AfterViews)
            routines.push_back(routine);
    std::vector<TPkgData*> bodies;
    if (packages && AfterViews)
        for (TPkgData* package : Packages.ObjectsOf<TPkgData>())
            if (!package->Body().empty()) bodies.push_back(package);
    if (routines.empty() && bodies.empty()) return;
    OpenBlock();
    for (TPrcData* routine : routines) WriteStatement(*routine, routine->GetAlterScript(), false);
    for (TPkgData* package : bodies) WriteStatement(*package, package->GetBodyText(), false);
    CloseBlock();
}

// Each computed column after the computed columns it reads, and with
// WithViews each view after the views and computed columns it reads, the
// computed columns that read views among them; without WithViews the
// computed columns that read a view wait. Done holds what is written
// already. A cycle (which no database holds) is broken where it closes.
// Only Firebird's tables hold placeholders to complete.
void TObjs::WriteViewsAndComputedColumns(bool WithViews, std::vector<const TDbObj*>& Done)
{
    const bool computedColumns = DatabaseType() == TDatabaseType::dbInterBase;
    const auto visit = [&](auto& Self, TDbObj& Obj) -> void {
        if (std::find(Done.begin(), Done.end(), &Obj) != Done.end()) return;
        auto* view = dynamic_cast<TViwData*>(&Obj);
        if (view == nullptr && !WithViews && ReadsAView(Obj)) return;
        Done.push_back(&Obj);
        for (const auto& link : Obj.Uses) {
            TFldData* computed = computedColumns ? ComputedColumnOf(link.Object.get()) : nullptr;
            if (TViwData* used = ViewOf(link.Object.get()); WithViews && used != nullptr && used->Objs() == this)
                Self(Self, *used);
            else if (computed != nullptr && computed != &Obj && computed->Objs() == this)
                Self(Self, *computed);
        }
        if (view == nullptr) {
            WriteStatement(Obj, static_cast<TFldData&>(Obj).GetComputedAlterScript(), false);
            return;
        }
        SaveObjectFiles(*view);
        WriteMSSQLSetOptions(view->QuotedIdentifier, view->AnsiNulls);
        if (!view->NoScript) WriteStatement(*view, view->GetCreateDDL(), true);
    };
    if (computedColumns)
        for (TTblData* table : Tables.ObjectsOf<TTblData>()) {
            if (table->NoScript) continue;
            for (const auto& field : table->Fields)
                if (field.Object && !field.Object->Body().empty()) visit(visit, *field.Object);
        }
    if (WithViews)
        for (TViwData* view : Views.ObjectsOf<TViwData>()) visit(visit, *view);
}

void TObjs::WriteViewsInOrder()
{
    std::vector<const TDbObj*> done;
    WriteViewsAndComputedColumns(true, done);
}

} // namespace qel
