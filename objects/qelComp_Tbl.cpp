#include "qelComp_Tbl.h"

#include "qelCompText.h"
#include "qelComp_Ctr.h"
#include "qelComp_Fld.h"
#include "qelComp_Idx.h"
#include "qelCustomObjs.h"
#include "qelObjs.h"
#include "qelWalk.h"

#include <algorithm>

namespace qel {

TTblData::TTblData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind)
{
    Fields.CaseSensitive = GetDatabaseType() != TDatabaseType::dbMSSQL;
}

TTblData::~TTblData() = default;

TPblArtData::TPblArtData(TPblData* APublication) : Publication(APublication) {}

TPblArtData::~TPblArtData() = default;

TPblData::TPblData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

TPblData::~TPblData() = default;

TPblArtData* TPblData::AddArticle()
{
    Articles.push_back(std::make_unique<TPblArtData>(this));
    return Articles.back().get();
}

TSchData::TSchData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

// ---- table texts ----

namespace {
using enum TDatabaseType;
}

std::string TTblData::GetTableText() const { return TableText(false); }

std::string TTblData::GetPlaceholderCreateDDL() const { return "CREATE " + TableText(true); }

std::string TTblData::TableText(bool Placeholders) const
{
    const TDatabaseType db = GetDatabaseType();
    std::string text = GlobalTemporary ? "GLOBAL TEMPORARY " : "";
    text += "TABLE " + GetQualifiedName();
    if (db == dbInterBase && !ExternalFile.empty())
        text += CRLF + ("EXTERNAL FILE " + SQLQuotedStr(ExternalFile, db)) + CRLF;
    if (db == dbOracle) {
        if (!OfType.empty()) text += " OF " + OfType;
        if (!NestedTable.empty()) text += CRLF + ("NESTED TABLE " + NestedTable);
    }
    // The primary key is added after the table; Firebird takes it only on
    // columns declared NOT NULL.
    std::vector<std::string> keyColumns;
    if (TCustomObjs* objs = Objs(); objs != nullptr && db == dbInterBase)
        for (const TCtrData* constraint : objs->Constraints.ObjectsOf<TCtrData>())
            if ((constraint->ConstraintKind() & 0x7F) == ckPrimaryKey && constraint->TableName() == Name())
                for (const auto& column : constraint->Fields) keyColumns.push_back(column.Name);
    const auto isKey = [&keyColumns](const std::string& Column) {
        return std::find(keyColumns.begin(), keyColumns.end(), Column) != keyColumns.end();
    };
    std::vector<std::string> items;
    for (const auto& [name, field] : Fields) {
        if (field == nullptr || (DeferComputedFields && !field->Body().empty())) continue;
        if (Placeholders && !field->Body().empty())
            items.push_back(field->GetQualifiedName() + " " + field->IBPlaceholderTypeText() + "COMPUTED BY (NULL)");
        else
            items.push_back(isKey(field->Name()) ? field->GetKeyColumnDDL() : field->GetCreateDDL());
    }
    if (db == dbMySQL)
        for (const auto& [name, field] : Fields)
            if (field != nullptr && !field->KeyName.empty())
                items.push_back("KEY " + QuoteName(field->KeyName) + "(" + QuoteName(field->Name()) + ")");
    // Only columns that are written open the list: a table whose columns
    // are all held back gets no empty parentheses.
    if (!items.empty()) text += "(" + Join(items, std::string(",") + CRLF) + ")";
    if (!AsQuery.empty()) text += CRLF + ("AS " + AsQuery);
    if (WithOids) text += " WITH OIDS";
    if (OnCommit == 1 && db != dbSybaseASA) text += CRLF + std::string(" ON COMMIT DELETE ROWS");
    else if (OnCommit == 2) text += CRLF + std::string(" ON COMMIT PRESERVE ROWS");
    if (db == dbOracle) {
        const auto line = [&text](const std::string& Clause) {
            if (!Clause.empty()) text += CRLF + Clause;
        };
        line(TableSpace.GetSQL());
        line(TablespaceName.empty() ? "" : "TABLESPACE " + TablespaceName);
        line(Compress ? "COMPRESS" : "");
        line(NoLogging ? "NOLOGGING" : "");
        line(Storage.empty() ? "" : "STORAGE" + Storage);
        line(ClusterName.empty() ? "" : "CLUSTER " + ClusterName + ClusterColumns);
        line(LobClause.empty() ? "" : "LOB" + LobClause);
        line(StoreAs.empty() ? "" : "STORE AS " + StoreAs);
        line(OracleExtra);
        line(PartitionColumns.empty() && PartitionsText.empty()
                 ? ""
                 : "PARTITION BY RANGE " + PartitionColumns + " " + PartitionsText);
    }
    return text;
}

std::string TTblData::MySQLCreateText(bool MarkExisting) const
{
    std::string text = "CREATE TABLE " + QuoteName(GetCounterpartName());
    if (!Fields.Empty()) {
        std::vector<std::string> items;
        for (const auto& [name, field] : Fields)
            if (field != nullptr) items.push_back(field->GetCreateDDL());
        if (TCustomObjs* objs = Objs()) {
            for (TCtrData* constraint : objs->Constraints.ObjectsOf<TCtrData>()) {
                const int kind = constraint->ConstraintKind() & 0x7F;
                if ((kind != ckPrimaryKey && kind != ckUnique) || constraint->TableName() != Name()) continue;
                const char* word = kind == ckPrimaryKey ? "PRIMARY KEY" : "UNIQUE";
                std::string item = constraint->Name().empty()
                                       ? std::string(word)
                                       : "CONSTRAINT " + QuoteName(constraint->GetCounterpartName()) + " " + word;
                items.push_back(item + "(" + constraint->GetFieldsText() + ")");
                if (MarkExisting) constraint->SetExists(true);
            }
            for (TIdxData* index : objs->Indexes.ObjectsOf<TIdxData>()) {
                if (index->TableName != Name()) continue;
                std::string item = std::string(index->Unique ? "UNIQUE " : "") + "KEY " + QuoteName(index->Name());
                if (!index->Options.IndexMethod.empty()) item += " USING " + index->Options.IndexMethod;
                items.push_back(item + " (" + index->GetFieldsText() + ")");
                if (MarkExisting) index->SetExists(true);
            }
        }
        text += "(" + Join(items, std::string(",") + CRLF) + ")";
    }
    return text + MySQLOptions.GetSQL();
}

std::string TTblData::GetMySQLCreateText() { return MySQLCreateText(true); }

std::string TTblData::GetCreateDDL() const
{
    return GetDatabaseType() == dbMySQL ? MySQLCreateText(false) : "CREATE " + GetTableText();
}

std::string TTblData::GetCreateScript()
{
    if (NoScript) return {};
    return GetDatabaseType() == dbMySQL ? GetMySQLCreateText() : GetCreateDDL();
}

std::string TTblData::GetDropScript() const { return "DROP TABLE " + GetQualifiedName(); }

// ---- the walk ----

void TTblData::WriteCreate(bool Defer)
{
    if (Defer) SetDeferComputedFields(true);
    // Columns the CREATE leaves out are still to come.
    if (DeferComputedFields)
        for (const auto& field : Fields)
            if (field.Object && !field.Object->Body().empty()) field.Object->SetExists(false);
    EmitStatement(*this, GetCreateScript(), TStatType::stStatement, Name(), TDbObject::dboTable,
                  TDbOperation::odbCreate);
    if (TStatementSink* executor = GetExecutor()) executor->AddComment({});
    SetExists(true);
    AfterCreate();
}

// A computed column C of T that uses a view V over T: CREATE TABLE T without
// C, CREATE VIEW V, then ALTER TABLE T ADD C.
void TTblData::CreateObject()
{
    TWalkScope walk(*this, false, false);
    if (!walk.Entered()) {
        if (!GetExists()) WriteCreate(true);
        return;
    }
    const bool deferred = DeferComputedFields;
    if (!GetExists() || DeferComputedFields) {
        if (!GetExists()) CreateDependencies();
        if (!GetExists()) WriteCreate(false);
    }
    // Held back while this walk ran: what they use is there now.
    if (!deferred && DeferComputedFields) SetDeferComputedFields(false);
    if (!GetExists() || DeferComputedFields) return;
    for (const auto& field : Fields) {
        TFldData* column = field.Object.get();
        if (column != nullptr && !column->Body().empty() && !column->GetExists() && !column->HasMissingDependency())
            column->CreateObject();
    }
}

// CREATE TABLE writes the columns: they count as created. A computed column
// needs what it uses first, a column its domain.
void TTblData::CreateDependencies()
{
    for (const auto& field : Fields) {
        TFldData* column = field.Object.get();
        if (column == nullptr) continue;
        const bool computed = !column->Body().empty();
        if (!computed || !DeferComputedFields) column->SetExists(true);
        if (!computed)
            column->CreateDomain();
        else if (!DeferComputedFields)
            column->CreateDependencies();
    }
}

void TTblData::DropDependents()
{
    if (const TObjs* target = TargetSideOf(*this)) {
        for (TTrgData* trigger : target->Triggers.ObjectsOf<TTrgData>())
            if (trigger->GetExists() && (trigger->Table() == this || SameObjectName(*this, trigger->TableName(), Name())))
                trigger->DropObject();
        for (TIdxData* index : target->Indexes.ObjectsOf<TIdxData>())
            if (SameObjectName(*this, index->TableName, Name())) index->DropObject();
    }
    ForEachActiveLink(*this, UsedBy, [](TDependObj& Link, TDbObj& User) {
        if (dynamic_cast<TCtrData*>(&User) != nullptr || dynamic_cast<TPblData*>(&User) != nullptr) {
            User.DropObject();
            Link.Active = false;
        } else if (auto* computed = dynamic_cast<TFldData*>(&User); computed != nullptr && !computed->Body().empty()) {
            computed->DropObject();
        }
    });
    // Whatever uses one of its columns (views, routines, computed columns of
    // other tables) must go or be emptied too, or the server refuses the drop.
    for (const auto& field : Fields)
        if (field.Object && field.Object->GetExists()) field.Object->DropDependents();
    TDbObj::DropDependents();
}

void TTblData::AfterDrop()
{
    TDbObj::AfterDrop();
    if (const TCustomObjs* objs = Objs())
        for (TCtrData* constraint : objs->Constraints.ObjectsOf<TCtrData>())
            if (SameObjectName(*this, constraint->TableName(), Name())) constraint->SetExists(false);
}

// ---- publications and schemas ----

std::string TPblArtData::GetText() const
{
    std::string text = "    TABLE " + ASAOwnerText(*Publication, TableOwner) + "." + Publication->QuoteName(TableName);
    if (!Columns.Empty()) text += "(" + QuotedNames(*Publication, Columns) + ")";
    return text;
}

std::string TPblData::GetCreateDDL() const
{
    std::vector<std::string> articles;
    for (const auto& article : Articles) articles.push_back(article->GetText());
    std::string text = "CREATE PUBLICATION " + ASAOwnerText(*this, Owner) + "." + QuoteName(Name()) + " (" + CRLF;
    if (!articles.empty()) text += Join(articles, std::string(", ") + CRLF) + CRLF;
    return text + ")";
}

std::string TPblData::GetDropScript() const
{
    return "DROP PUBLICATION " + ASAOwnerText(*this, Owner) + "." + QuoteName(Name());
}

void TPblData::CreateDependencies()
{
    TDbObj::CreateDependencies();
    // Its tables come first even when their links were handled already: a
    // publication cannot name a table that is not there.
    for (const auto& item : Uses) {
        TDbObj* used = item.Object ? item.Object->Target : nullptr;
        if (auto* column = dynamic_cast<TFldData*>(used); column != nullptr && dynamic_cast<TTblData*>(column->Parent))
            used = column->Parent->GetExists() ? column : column->Parent;
        else if (dynamic_cast<TTblData*>(used) == nullptr)
            continue;
        if (used != nullptr && !used->GetExists()) used->CreateObject();
    }
}

std::string TSchData::GetCreateDDL() const
{
    std::string text = "CREATE SCHEMA " + QuoteName(Name());
    if (GetDatabaseType() == dbMSSQL && !Authorization.empty() && Authorization != Name())
        text += " AUTHORIZATION " + QuoteName(Authorization);
    return text;
}

std::string TSchData::GetDropScript() const { return "DROP SCHEMA " + QuoteName(Name()); }

bool TTblData::KeptBySourceSide() const { return SourceSideHoldsOther(*this, &TCustomObjs::Tables); }

void TTblData::MarkPartsDropped()
{
    for (const auto& field : Fields)
        if (field.Object) field.Object->SetExists(false);
}

} // namespace qel
