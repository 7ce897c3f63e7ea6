#include "qelComp_Dmn.h"

#include "qelCustomObjs.h"
#include "qelComp_Fld.h"
#include "qelComp_Prc.h"
#include "qelCompText.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"
#include "qelWalk.h"
#include "qelText.h"

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

TDmnData::TDmnData(TCustomObjs* AObjs) : TDbObj(AObjs), PGTypeOptions(this)
{
    BaseField = std::make_unique<TFldData>(AObjs, this);
    SetObjectType(TDbObject::dboDomain);
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

void TDmnData::DropDependents()
{
    TDbObj::DropDependents();
    const TObjs* target = TargetSideOf(*this);
    ForEachActiveLink(*this, UsedBy, [target](TDependObj& Link, TDbObj& User) {
        if (dynamic_cast<TDmnData*>(&User) != nullptr || dynamic_cast<TViwData*>(&User) != nullptr) {
            User.DropObject();
            Link.Active = false;
        } else if (dynamic_cast<TTblData*>(&User) != nullptr && !Link.FieldName.empty()) {
            if (TFldData* column = target == nullptr ? nullptr : target->FindTableField(User.GetKey(), Link.FieldName))
                column->DropDependents();
        } else if (auto* column = dynamic_cast<TFldData*>(&User)) {
            column->DropDependents();
        }
    });
}

} // namespace qel
