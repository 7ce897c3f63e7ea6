#include "qelComp_Viw.h"

#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Gnr.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Ctr.h"
#include "qelObjs.h"
#include "qelText.h"
#include "qelWalk.h"

namespace qel {

TViwData::TViwData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

TViwData::~TViwData() = default;

std::string TViwData::GetColumnsText() const
{
    if (Columns.Empty()) return {};
    std::vector<std::string> names;
    for (const auto& column : Columns) names.push_back(CRLF + QuoteName(column.Name));
    return "(" + Join(names, ",") + ")";
}

namespace {

// "  WITH ENCRYPTION, SCHEMABINDING, VIEW_METADATA\r\n"; empty for none.
std::string MSSQLViewOptions(const TViwData& View)
{
    std::vector<std::string> options;
    if (View.WithEncryption) options.emplace_back("ENCRYPTION");
    if (View.SchemaBinding) options.emplace_back("SCHEMABINDING");
    if (View.ViewMetadata) options.emplace_back("VIEW_METADATA");
    return options.empty() ? std::string() : "  WITH " + Join(options, ", ") + CRLF;
}

} // namespace

std::string TViwData::GetCreateDDL() const
{
    const std::string as = std::string(CRLF) + " AS " + CRLF + Body();
    switch (GetDatabaseType()) {
    case TDatabaseType::dbOracle: {
        std::string text = "CREATE OR REPLACE VIEW " + GetQualifiedName();
        if (!OfType.empty()) text += " OF " + OfType;
        if (!ObjectIdColumns.Empty())
            text += std::string(CRLF) + "   WITH OBJECT " + (ObjectIdKeyword.empty() ? "IDENTIFIER" : ObjectIdKeyword) +
                    "(" + Join(ObjectIdColumns.Lines(), ", ") + ")";
        return text + GetColumnsText() + CRLF + "   AS " + CRLF + Body();
    }
    case TDatabaseType::dbMSSQL:
        if (Body().empty()) return ScriptText;
        return "CREATE VIEW " + GetQualifiedName() + GetColumnsText() + CRLF + MSSQLViewOptions(*this) + " AS " +
               CRLF + Body();
    case TDatabaseType::dbMySQL: {
        std::string text = "CREATE";
        if (!Algorithm.empty()) text += " ALGORITHM=" + Algorithm;
        if (!SqlSecurity.empty()) text += " SQL SECURITY " + SqlSecurity;
        return text + " VIEW " + QuoteName(Name()) + GetColumnsText() + as;
    }
    case TDatabaseType::dbDB2:
    case TDatabaseType::dbPostgreSQL: return "CREATE VIEW " + GetQualifiedName() + GetColumnsText() + as;
    default: return "CREATE VIEW " + QuoteName(Name()) + GetColumnsText() + as;
    }
}

std::string TViwData::GetDropScript() const { return NoScript ? std::string() : "DROP VIEW " + GetQualifiedName(); }

// ---- the walk ----

void CreateUsedView(const TDbObj& User, const std::string& Role, TViwData& View)
{
    const std::string tail = View.Name() + " for " + Role + ": " + User.Name();
    // A view on the way already (a cycle) is not announced twice.
    if (!View.GetExists() && !View.InCreateWalk()) {
        EmitComment(User, "Create view: " + tail);
        View.CreateObject();
    }
    TObjs* source = SourceSideOf(User);
    TObjs* target = TargetSideOf(User);
    TViwData* original = source == nullptr ? nullptr : source->FindView(View.GetKey());
    TViwData* current = target == nullptr ? nullptr : target->FindView(View.GetKey());
    if (original == nullptr || current == nullptr || original == current || original->SavedText == current->SavedText)
        return;
    EmitComment(User, "Alter view (drop/create): " + tail);
    EmitComment(User, "Alter view (drop): " + tail);
    current->DropObject();
    EmitComment(User, "Alter view (create): " + tail);
    original->CreateObject();
    current->SavedText = original->SavedText;
}

void TViwData::CreateObject()
{
    if (GetExists()) return;
    TWalkScope walk(*this, false);
    if (!walk.Entered()) return;
    CreateDependencies();
    if (GetExists()) return;
    TCustomObjs* objs = Objs();
    if (GetDatabaseType() == TDatabaseType::dbDB2 && objs != nullptr && !Schema().empty() &&
        Schema() != objs->DB2CurrentSchema) {
        objs->DB2CurrentSchema = Schema();
        EmitStatement(*this, "SET CURRENT SCHEMA = " + QuoteName(Schema()), TStatType::stStatement, {},
                      TDbObject::dboSchema, TDbOperation::odbSet);
    }
    TStatementSink* executor = GetExecutor();
    if (executor != nullptr) executor->SetCurrentSchema(Schema());
    EmitComment(*this, "Create view: " + Name() + " (ViwData.CreateDependDef)");
    EmitStatement(*this, GetCreateScript(), TStatType::stStatement, Name(), TDbObject::dboView,
                  TDbOperation::odbCreate);
    SetExists(true);
    // PostgreSQL has no ALTER for a trigger's body: the triggers on the view
    // that went with it (on either side) come back whole, now.
    if (GetDatabaseType() == TDatabaseType::dbPostgreSQL) {
        for (const TObjs* side : {SourceSideOf(*this), TargetSideOf(*this)}) {
            if (side == nullptr) continue;
            for (TTrgData* trigger : side->Triggers.ObjectsOf<TTrgData>()) {
                const TDbObj* on = trigger->Table();
                if (on != nullptr && (on == this || on == Counterpart()) && !trigger->GetExists()) trigger->CreateObject();
            }
        }
        AfterCreate();
        return;
    }
    // The source side's triggers on the view come as stubs now, their bodies
    // when they are created themselves.
    if (const TObjs* source = SourceSideOf(*this))
        for (TTrgData* trigger : source->Triggers.ObjectsOf<TTrgData>()) {
            const TDbObj* on = trigger->Table();
            if (on == nullptr || (on != this && on != Counterpart()) || trigger->GetExists()) continue;
            const std::string stub = trigger->GetStubCreateScript();
            EmitStatement(*trigger, stub, TStatType::stTrigger, trigger->Name(), TDbObject::dboTrigger,
                          TDbOperation::odbEmptyCreate);
            trigger->SetStubPending(true);
            trigger->SetExists(true);
            if (trigger->Counterpart() != nullptr) trigger->Counterpart()->SavedText = stub;
        }
    AfterCreate();
}

void TViwData::CreateDependencies()
{
    TDbObj::CreateDependencies();
    for (const auto& item : Uses) {
        const TDependObj* link = item.Object.get();
        TDbObj* used = link == nullptr ? nullptr : link->Target;
        if (used == nullptr || used == this) continue;
        if (auto* view = dynamic_cast<TViwData*>(used)) {
            CreateUsedView(*this, "view", *view);
        } else if (auto* table = dynamic_cast<TTblData*>(used); table != nullptr && !link->FieldName.empty()) {
            const TObjs* target = TargetSideOf(*this);
            for (const auto& field : table->Fields) {
                TFldData* column = field.Object.get();
                if (column == nullptr || field.Name != link->FieldName || !column->Uses.Empty()) continue;
                TFldData* there = target == nullptr ? nullptr
                                                    : target->FindTableField(column->GetParentName(), column->Name());
                if (there == nullptr || there->GetExists()) continue;
                column->CreateObject();
                column->SetExists(true);
                there->SetExists(true);
            }
        } else if (dynamic_cast<TGnrData*>(used) != nullptr) {
            used->CreateObject();
        }
    }
}

void TViwData::AfterCreate()
{
    TDbObj::AfterCreate();
    for (const auto& item : UsedBy) {
        TDependObj* link = item.Object.get();
        TDbObj* user = link == nullptr ? nullptr : link->Target;
        if (user == nullptr || (dynamic_cast<TViwData*>(user) == nullptr && dynamic_cast<TDmnData*>(user) == nullptr))
            continue;
        link->Active = true;
        for (const auto& back : user->Uses)
            if (back.Object && back.Object->Target == this) back.Object->Active = true;
    }
}

void TViwData::DropDependents()
{
    const bool sybaseASE = GetDatabaseType() == TDatabaseType::dbSybaseASE;
    // PostgreSQL can only drop a trigger, which comes back with the view.
    const bool dropTriggers = sybaseASE || GetDatabaseType() == TDatabaseType::dbPostgreSQL;
    ForEachActiveLink(*this, UsedBy, [sybaseASE, dropTriggers](TDependObj& Link, TDbObj& User) {
        if (auto* trigger = dynamic_cast<TTrgData*>(&User)) {
            if (dropTriggers) trigger->DropObject();
            else trigger->EmptyTriggerBody();
        } else if (auto* routine = dynamic_cast<TPrcData*>(&User)) {
            if (sybaseASE) routine->DropObject();
            else routine->EmptyBody(true);
        } else if (dynamic_cast<TCtrData*>(&User) != nullptr) {
            User.DropObject();
        } else {
            return;
        }
        Link.Active = false;
    });
    if (const TObjs* target = TargetSideOf(*this))
        for (TTrgData* trigger : target->Triggers.ObjectsOf<TTrgData>())
            if (trigger->Table() == this && trigger->GetExists()) trigger->DropObject();
    TDbObj::DropDependents();
}

void TViwData::AfterDrop()
{
    TDbObj::AfterDrop();
    if (const TObjs* source = SourceSideOf(*this))
        for (TGntData* grant : source->Grants.ObjectsOf<TGntData>())
            if (SameObjectName(*this, grant->ObjectName, Name())) grant->SetExists(false);
}

void TViwData::MarkPartsDropped()
{
    for (const auto& column : Columns)
        if (column.Object) column.Object->SetExists(false);
}

} // namespace qel
