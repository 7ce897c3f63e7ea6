#include "qelComp_Dmn.h"

#include "qelCustomObjs.h"
#include "qelComp_Ctr.h"
#include "qelComp_Fld.h"
#include "qelComp_Prc.h"
#include "qelCompText.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"
#include "qelWalk.h"
#include "qelText.h"
#include "qelWords.h"

#include <algorithm>

namespace qel {

namespace {

constexpr const char* XmlSchemaCollection = "XML SCHEMA COLLECTION";

std::string Literal(const std::string& Value) { return SQLQuotedStr(Value, TDatabaseType::dbAbstract); }

} // namespace

// ---- PostgreSQL type options ----

TPGTypeOptions::TPGTypeOptions(TDmnData* AOwner) : Owner(AOwner) {}

TPGTypeOptions::~TPGTypeOptions() = default;

std::string TPGTypeOptions::GetText() const
{
    const std::string separator = std::string(",") + CRLF;
    if (!Attributes.Empty()) {
        std::vector<std::string> attributes;
        for (const auto& item : Attributes)
            if (item.Object != nullptr) attributes.push_back(item.Object->GetCreateDDL());
        return std::string(" AS (") + CRLF + Join(attributes, separator) + ")";
    }
    std::vector<std::string> items;
    const auto add = [&](const char* Option, const std::string& Value) {
        if (!Value.empty()) items.push_back(Option + Value);
    };
    add("INPUT = ", Input);
    add("OUTPUT = ", Output);
    add("RECEIVE = ", Receive);
    add("SEND = ", Send);
    add("ANALYZE = ", Analyze);
    if (InternalLength >= 0) items.push_back("INTERNALLENGTH = " + IntToStr(InternalLength));
    if (ExternalLength >= 0) items.push_back("EXTERNALLENGTH = " + IntToStr(ExternalLength));
    if (PassedByValue) items.emplace_back("PASSEDBYVALUE");
    if (Alignment != 0) add("ALIGNMENT = ", LowerCase(DataTypeName(Alignment)));
    add("STORAGE = ", Storage);
    add("DEFAULT = ", Default);
    if (Element != nullptr) items.push_back("ELEMENT = " + Element->GetCreateDDL());
    if (!Delimiter.empty()) items.push_back("DELIMITER = " + SQLQuotedStr(Delimiter, TDatabaseType::dbPostgreSQL));
    if (items.empty()) return {};
    return "(" + std::string(CRLF) + Join(items, separator) + ")";
}

// ---- domains and types ----

TDmnData::TDmnData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind), PGTypeOptions(this)
{
    BaseField = std::make_unique<TFldData>(AObjs, this);
}

TDmnData::~TDmnData() = default;

std::string TDmnData::GetCreateDDL() const
{
    using enum TDatabaseType;
    switch (GetDatabaseType()) {
    case dbMSSQL:
    case dbSybaseASE:
        if (UseCreateType)
            return "CREATE TYPE " + SchemaQualified(*this, Schema(), Name()) + " FROM " + BaseField->GetColumnDefinition();
        // A table or CLR type keeps its definition as the script wrote it.
        if (BaseTypeText == "TABLE" || BaseTypeText == "EXTERNAL")
            return "CREATE TYPE " + SchemaQualified(*this, Schema(), Name()) + " " + Body();
        if (BaseTypeText == XmlSchemaCollection)
            return "CREATE " + BaseTypeText + " " + GetQualifiedName() + " AS N" + SQLQuotedStr(Body(), dbMSSQL);
        return "EXEC sp_addtype N" + Literal(Name()) + ", N" + Literal(BaseTypeText) + ", N" +
               Literal(BaseField->Nullable ? "NULL" : "NOT NULL");
    case dbOracle: return GetOracleTypeText();
    case dbPostgreSQL:
        if (PGTypeOptions.IsType) return "CREATE TYPE " + GetQualifiedName() + PGTypeOptions.GetText();
        return "CREATE DOMAIN " + GetQualifiedName() + " " + BaseField->GetCreateDDL();
    case dbInterBase: return "CREATE DOMAIN " + QuoteName(Name()) + " AS " + BaseField->GetCreateDDL();
    default: return "CREATE DOMAIN " + QuoteName(Name()) + " " + BaseField->GetCreateDDL();
    }
}

std::string TDmnData::GetAttributesText(const TOwnedNameList<TFldData>& List) const
{
    const bool membersFollow = &List == &Attributes && !Members.Empty();
    // An object type has at least one attribute; should it have none, the
    // members still get the parenthesis they close.
    if (List.Empty()) return membersFollow ? "  (" : "";
    std::vector<std::string> items;
    for (const auto& item : List)
        if (item.Object != nullptr) items.push_back(item.Object->GetCreateDDL());
    const std::string separator = std::string(",") + CRLF;
    return "  (" + Join(items, separator + "   ") + (membersFollow ? separator : ")");
}

std::string TDmnData::GetMembersText() const
{
    if (Members.Empty()) return {};
    std::vector<std::string> members;
    for (const auto& item : Members)
        if (item.Object != nullptr) members.push_back(item.Object->GetCreateDDL());
    return Join(members, std::string(",") + CRLF) + ")";
}

std::string TDmnData::GetOracleTypeText() const
{
    std::string text = "CREATE OR REPLACE TYPE " + Name();
    if (!TimestampText.empty() || !OidText.empty()) {
        text += CRLF;
        if (!TimestampText.empty()) text += "   TIMESTAMP " + Literal(TimestampText);
        if (!OidText.empty()) text += " OID " + Literal(OidText);
        text += CRLF;
    }
    if (!SuperType.empty()) {
        text += " UNDER " + SuperType + CRLF + GetAttributesText(Attributes) + GetMembersText();
    } else {
        text += OracleTypeKind == 5 ? " IS " : " AS ";
        switch (OracleTypeKind) {
        case 2: text += std::string("OBJECT") + CRLF + GetAttributesText(Attributes) + GetMembersText(); break;
        case 3: text += "VARRAY(" + IntToStr(VarrayLimit) + ") OF " + BaseField->GetCreateDDL(); break;
        case 4:
        case 5: text += "TABLE OF " + BaseField->GetCreateDDL(); break;
        default: break;
        }
    }
    if (const std::string directive = TypeDirective.GetSQL(); !directive.empty())
        text += std::string(CRLF) + "   " + directive;
    if (!AddedAttributes.Empty()) {
        text += std::string(";") + CRLF + CRLF + "ALTER TYPE " + Name() + " ADD ATTRIBUTE" + CRLF +
                GetAttributesText(AddedAttributes);
        if (Cascade) text += std::string(CRLF) + "   CASCADE";
    }
    return text;
}

std::string TDmnData::GetDropScript() const
{
    using enum TDatabaseType;
    switch (GetDatabaseType()) {
    case dbOracle: return "DROP TYPE " + Name();
    case dbSybaseASE: return "exec sp_droptype " + Literal(Name());
    case dbPostgreSQL: return (PGTypeOptions.IsType ? "DROP TYPE " : "DROP DOMAIN ") + GetQualifiedName();
    case dbMSSQL:
        if (Objs() != nullptr &&
            Objs()->MSSQLServerOptions().SQLServerVersion == TMSSQLServerVersionType::st_MSSQL2000)
            return "exec sp_droptype " + Literal(Name());
        if (BaseTypeText == XmlSchemaCollection) return "DROP " + BaseTypeText + " " + GetQualifiedName();
        return "DROP TYPE " + GetQualifiedName();
    default: return TDbObj::GetDropScript();
    }
}

// ---- the walk ----

void TDmnData::CreateDependencies()
{
    TDbObj::CreateDependencies();
    ForEachActiveLink(*this, Uses, [](TDependObj& Link, TDbObj& Used) {
        if (dynamic_cast<TDmnData*>(&Used) == nullptr) return;
        if (!Used.InCreateWalk()) Used.CreateObject();
        Link.Active = false;
    });
}

namespace {

bool IsWordChar(char C)
{
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '_' || C == '$';
}

// A domain's condition with the word VALUE (any case, outside quoted runs)
// replaced by a column name: ("(VALUE > 0 AND x <> 'VALUE')", "Q") ->
// "(Q > 0 AND x <> 'VALUE')".
std::string WithColumnForValue(std::string_view Condition, const std::string& Column)
{
    std::string out;
    for (std::size_t i = 0; i < Condition.size();) {
        const char c = Condition[i];
        if (c == '\'' || c == '"') {
            const std::size_t end = QuotedRunEnd(Condition, i, c);
            const std::size_t stop = end == std::string_view::npos ? Condition.size() : end;
            out.append(Condition.substr(i, stop - i));
            i = stop;
            continue;
        }
        if (!IsWordChar(c)) {
            out += c;
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < Condition.size() && IsWordChar(Condition[end])) ++end;
        const std::string_view word = Condition.substr(i, end - i);
        out.append(SameText(word, "VALUE") ? std::string_view(Column) : word);
        i = end;
    }
    return out;
}

bool IsFirebirdFrom(TIBSQLServerVersionType Version, TIBSQLServerVersionType Least)
{
    using enum TIBSQLServerVersionType;
    constexpr TIBSQLServerVersionType order[] = {st_Firebird_20, st_Firebird_21, st_Firebird_25, st_Firebird_30,
                                                 st_Firebird_40};
    bool reached = false;
    for (TIBSQLServerVersionType v : order) {
        reached = reached || v == Least;
        if (v == Version) return reached;
    }
    return false;
}

bool HoldsColumn(const TOwnedNameList<TFldData>& List, const TDbObj& Obj, const std::string& Column)
{
    for (const auto& item : List)
        if (SameObjectName(Obj, item.Name, Column)) return true;
    return false;
}

} // namespace

std::vector<TFldData*> TDmnData::BasedColumns() const
{
    std::vector<TFldData*> columns;
    const auto add = [&columns](TFldData* Column) {
        if (std::find(columns.begin(), columns.end(), Column) == columns.end()) columns.push_back(Column);
    };
    for (const auto& item : UsedBy) {
        TDbObj* user = item.Object ? item.Object->Target : nullptr;
        if (auto* column = dynamic_cast<TFldData*>(user)) {
            if (dynamic_cast<TTblData*>(column->Parent) != nullptr) add(column);
        } else if (auto* table = dynamic_cast<TTblData*>(user)) {
            for (const auto& field : table->Fields)
                if (field.Object && field.Object->DataType == dtDomain && field.Object->TypeOfColumn.empty() &&
                    SameObjectName(*this, field.Object->DomainName, Name()))
                    add(field.Object.get());
        }
    }
    return columns;
}

std::string TDmnData::ColumnChangeRefusal(const TFldData& Column) const
{
    using enum TIBSQLServerVersionType;
    const TFldData& base = *BaseField;
    const bool notNull = !base.Nullable && Column.Nullable;
    const bool setDefault = !base.DefaultValue.empty() && Column.DefaultValue.empty();
    switch (GetDatabaseType()) {
    case TDatabaseType::dbPostgreSQL:
        return PGTypeOptions.IsType ? "a column of a type keeps it" : "";
    case TDatabaseType::dbInterBase: {
        const TIBSQLServerVersionType version = IBVersionOf(*this);
        if (base.DataType == 41 || !base.ArrayBounds.empty()) return "the server cannot change a BLOB or array column";
        if (!Column.Body().empty()) return "a computed column has no type of its own";
        if (notNull && !IsFirebirdFrom(version, st_Firebird_30))
            return "the server version cannot make the column NOT NULL";
        if (setDefault && !IsFirebirdFrom(version, st_Firebird_20))
            return "the server version cannot give the column a default";
        return {};
    }
    default: return "the server type cannot change the column's type";
    }
}

std::vector<std::string> TDmnData::ColumnChangeTexts(const TFldData& Column) const
{
    const TFldData& base = *BaseField;
    const auto* table = dynamic_cast<const TTblData*>(Column.Parent);
    const std::string tableText = table == nullptr ? QuoteName(Column.TableName) : table->GetQualifiedName();
    const std::string alter = "ALTER TABLE " + tableText + " ALTER COLUMN " + QuoteName(Column.Name());
    std::string type = base.GetTypeText();
    if (GetDatabaseType() == TDatabaseType::dbInterBase && !base.CharSet.empty() &&
        (base.DataType == 14 || base.DataType == 15))
        type += " CHARACTER SET " + base.CharSet;
    std::vector<std::string> texts{alter + " TYPE " + type};
    if (!base.Nullable && Column.Nullable) texts.push_back(alter + " SET NOT NULL");
    if (const std::string value = base.GetDefaultValue(); !value.empty() && Column.DefaultValue.empty())
        texts.push_back(alter + " SET DEFAULT " + value);
    if (const std::string check = Trim(base.CheckText); !check.empty())
        texts.push_back("ALTER TABLE " + tableText + " ADD CHECK " +
                        WithColumnForValue(check, QuoteName(Column.Name())));
    return texts;
}

void TDmnData::DropObject()
{
    if (!GetExists()) return;
    for (const TFldData* column : BasedColumns()) {
        if (!column->GetExists()) continue;
        if (const std::string why = ColumnChangeRefusal(*column); !why.empty()) {
            WalkLog(*this, "Cannot drop domain " + GetDisplayName() + ": column " + column->Name() + " of table " +
                               column->GetParentName() + " uses it, and " + why);
            return;
        }
    }
    TDbObj::DropObject();
}

void TDmnData::DropDependents()
{
    // Tables and their columns are no users to drop: their links are
    // handled here, after the rest of the walk.
    const std::vector<TFldData*> columns = BasedColumns();
    for (const auto& item : UsedBy) {
        TDependObj* link = item.Object.get();
        TDbObj* user = link == nullptr ? nullptr : link->Target;
        if (dynamic_cast<TTblData*>(user) != nullptr ||
            (dynamic_cast<TFldData*>(user) != nullptr &&
             dynamic_cast<TTblData*>(static_cast<TFldData*>(user)->Parent) != nullptr))
            link->Active = false;
    }
    TDbObj::DropDependents();
    ForEachActiveLink(*this, UsedBy, [](TDependObj& Link, TDbObj& User) {
        if (dynamic_cast<TDmnData*>(&User) != nullptr || dynamic_cast<TViwData*>(&User) != nullptr) {
            User.DropObject();
            Link.Active = false;
        }
    });
    const bool firebird = GetDatabaseType() == TDatabaseType::dbInterBase;
    const auto* objs = dynamic_cast<const TObjs*>(Objs());
    for (TFldData* column : columns) {
        auto* table = dynamic_cast<TTblData*>(column->Parent);
        if (table == nullptr || !table->GetExists() || !column->GetExists()) continue;
        TTemporaryDrops held(Objs());
        // Firebird retypes no column of a key's index; PostgreSQL no column a
        // view reads. Foreign keys that reference the column go before the
        // key they hang on.
        if (firebird && objs != nullptr) {
            std::vector<TCtrData*> keys;
            for (TCtrData* key : objs->Constraints.ObjectsOf<TCtrData>()) {
                if (!key->GetExists()) continue;
                const bool onColumn = SameObjectName(*this, key->TableName(), table->Name()) &&
                                      HoldsColumn(key->Fields, *this, column->Name());
                const bool toColumn = SameObjectName(*this, key->RefTableName(), table->Name()) &&
                                      HoldsColumn(key->RefFields, *this, column->Name());
                const TConstraintKind kind = key->ConstraintKind() & 0x7F;
                if ((onColumn && (kind == ckPrimaryKey || kind == ckUnique || kind == ckForeignKey)) ||
                    (toColumn && kind == ckForeignKey))
                    keys.push_back(key);
            }
            std::stable_partition(keys.begin(), keys.end(),
                                  [](const TCtrData* k) { return (k->ConstraintKind() & 0x7F) == ckForeignKey; });
            for (TCtrData* key : keys) held.Drop(*key);
        }
        if (!firebird) {
            std::vector<TViwData*> views;
            for (const TDependList* list : {&column->UsedBy, &table->UsedBy})
                for (const auto& item : *list) {
                    TDbObj* user = item.Object ? item.Object->Target : nullptr;
                    if (list == &table->UsedBy && !SameObjectName(*this, item.Object->FieldName, column->Name()))
                        continue;
                    if (auto* viewColumn = dynamic_cast<TFldData*>(user)) user = viewColumn->Parent;
                    if (auto* view = dynamic_cast<TViwData*>(user)) views.push_back(view);
                }
            for (TViwData* view : views) held.Drop(*view);
        }
        for (const std::string& text : ColumnChangeTexts(*column))
            EmitStatement(*column, text, TStatType::stStatement, column->Name(), TDbObject::dboField,
                          TDbOperation::odbAlter, table->GetQualifiedName());
        // The column is of the domain's type now, with what the domain said
        // of it, and no longer uses the domain.
        const TFldData& base = *BaseField;
        column->DataType = base.DataType;
        column->Length = base.Length, column->Precision = base.Precision, column->Scale = base.Scale;
        column->SubType = base.SubType, column->SegmentSize = base.SegmentSize;
        if (column->CharSet.empty()) column->CharSet = base.CharSet;
        column->DomainName.clear(), column->DomainSchema.clear();
        if (!base.Nullable) column->Nullable = false;
        if (column->DefaultValue.empty()) column->DefaultValue = base.DefaultValue;
        if (Objs() != nullptr) Objs()->RemoveObjectLinks(*column, this);
        held.Restore();
    }
    // A table none of whose columns uses the domain any longer lets go of it.
    if (Objs() != nullptr)
        for (const TFldData* column : columns)
            if (auto* table = dynamic_cast<TTblData*>(column->Parent);
                table != nullptr && std::none_of(table->Fields.begin(), table->Fields.end(), [this](const auto& f) {
                    return f.Object && f.Object->DataType == dtDomain && SameObjectName(*this, f.Object->DomainName, Name());
                }))
                Objs()->RemoveObjectLinks(*table, this);
}

} // namespace qel
