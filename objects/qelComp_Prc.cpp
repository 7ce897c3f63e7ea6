#include "qelComp_Prc.h"

#include "qelComp_Fld.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"
#include "qelWalk.h"
#include "qelCompText.h"
#include "qelText.h"

namespace qel {

namespace {

constexpr std::uint8_t TableTypeCode = 84;      // "TABLE"
constexpr std::uint8_t UniqueIdentifierCode = 79; // "UNIQUEIDENTIFIER"

const std::string ListSeparator = std::string(",") + CRLF;

bool IsMSSQLFamily(TDatabaseType Type)
{
    return Type == TDatabaseType::dbMSSQL || Type == TDatabaseType::dbSybaseASE;
}

// Direction words by server: SQL Anywhere "In ", PostgreSQL and MySQL "IN ";
// a parameter without a direction gets none (MySQL functions allow none).
std::string DirectionWord(TDatabaseType Type, std::uint8_t Direction)
{
    static const char* const asa[] = {"", "In ", "Out ", "InOut ", ""};
    static const char* const pg[] = {"", "IN ", "OUT ", "INOUT ", "VARIADIC "};
    static const char* const mysql[] = {"", "IN ", "OUT ", "INOUT ", ""};
    if (Direction > 4) return {};
    if (Type == TDatabaseType::dbSybaseASA) return asa[Direction];
    return Type == TDatabaseType::dbPostgreSQL ? pg[Direction] : mysql[Direction];
}

// "AS $$" + Body + "$$": the first dollar tag the body cannot end early.
std::string DollarQuoted(const std::string& Body)
{
    std::string tag = "$$";
    for (int n = 0; (Body + tag).find(tag) != Body.size(); ++n)
        tag = "$body" + (n == 0 ? std::string() : IntToStr(n)) + "$";
    return tag + Body + tag;
}

// The MySQL characteristics by bit (bit 3 unused).
constexpr const char* MySQLCharacteristics[] = {
    "LANGUAGE SQL", "DETERMINISTIC",          "NOT DETERMINISTIC",      nullptr,
    "NO SQL",       "READS SQL DATA",         "MODIFIES SQL DATA",      "SQL SECURITY DEFINER",
    "SQL SECURITY INVOKER",
};

} // namespace

TPrcData::TPrcData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

TPrcData::~TPrcData() = default;

void TPrcData::SetStubCreated(bool Value)
{
    m_stubCreated = Value;
    if (auto* other = dynamic_cast<TPrcData*>(Counterpart())) other->m_stubCreated = Value;
}

bool TPrcData::ReturnsTable() const
{
    if (TableResult) return true;
    const TFldData* result = OutputParams.Empty() ? nullptr : OutputParams.Objects(0);
    return result != nullptr && result->DataType == TableTypeCode;
}

void TPrcData::ClearParams()
{
    InputParams.Clear();
    OutputParams.Clear();
}

std::string TPrcData::RoutineWord() const { return IsFunction ? "FUNCTION " : "PROCEDURE "; }

// ---- keys and parameter lists ----

std::string TPrcData::GetKey() const
{
    switch (GetDatabaseType()) {
    case TDatabaseType::dbPostgreSQL: {
        std::vector<std::string> types;
        for (const auto& param : InputParams)
            if (param.Object != nullptr) types.push_back(LowerCase(param.Object->GetTypeText()));
        return QualifiedName(Schema(), Name()) + "(" + Join(types, ", ") + ")";
    }
    case TDatabaseType::dbMSSQL: return TDbObj::GetKey() + (Number != 0 ? ";" + IntToStr(Number) : std::string());
    case TDatabaseType::dbInterBase: return IsFunction ? FunctionKey(TDbObj::GetKey()) : TDbObj::GetKey();
    default: return TDbObj::GetKey();
    }
}

std::string TPrcData::GetParamsText(bool WithReturns) const
{
    const TDatabaseType type = GetDatabaseType();
    // Each parameter as "direction name type" (SQL Anywhere, PostgreSQL,
    // MySQL) or as its column text (the rest).
    const auto declared = [&](const TOwnedNameList<TFldData>& List, bool WithDirection) {
        std::vector<std::string> items;
        for (const auto& param : List) {
            if (param.Object == nullptr) continue;
            std::string item = WithDirection ? DirectionWord(type, param.Object->Direction) : std::string();
            if (!param.Name.empty() || type == TDatabaseType::dbSybaseASA) item += QuoteName(param.Name) + " ";
            items.push_back(item + param.Object->GetTypeText());
        }
        return items;
    };
    const auto columns = [](const TOwnedNameList<TFldData>& List, bool WithDeterministic) {
        std::vector<std::string> items;
        for (const auto& param : List)
            if (param.Object != nullptr)
                items.push_back(param.Object->GetCreateDDL() +
                                (WithDeterministic && param.Object->Deterministic ? " DETERMINISTIC" : ""));
        return items;
    };
    const TFldData* result = OutputParams.Empty() ? nullptr : OutputParams.Objects(0);

    switch (type) {
    case TDatabaseType::dbSybaseASA: {
        std::string text = "(" + Join(declared(InputParams, true), ListSeparator) + ")" + CRLF;
        if (result == nullptr) return text;
        // The body follows at once, so the result type ends its line.
        if (IsFunction) return text + "RETURNS " + result->GetTypeText() + CRLF;
        return text + " Result(" + Join(declared(OutputParams, false), ListSeparator) + ")" + CRLF;
    }
    case TDatabaseType::dbPostgreSQL: {
        std::string text = "(" + Join(declared(InputParams, true), ListSeparator) + ")";
        if (!WithReturns) return text;
        const std::string returned = !ReturnType.empty() ? ReturnType
                                     : result != nullptr ? result->GetTypeText()
                                                         : std::string();
        // Nothing to return: a procedure, or a function whose OUT
        // parameters say what it returns.
        if (returned.empty()) return text;
        return text + CRLF + "RETURNS " + (ReturnsSetOf ? "SETOF " : "") + returned;
    }
    case TDatabaseType::dbMySQL: {
        std::string text = "(" + Join(declared(InputParams, true), ListSeparator) + ")";
        if (WithReturns && result != nullptr) text += std::string(CRLF) + "RETURNS " + result->GetTypeText();
        return text;
    }
    case TDatabaseType::dbMSSQL:
    case TDatabaseType::dbSybaseASE: {
        const bool parenthesised = IsFunction || !Language.empty();
        std::string text = " " + std::string(parenthesised ? "(" : "") + Join(columns(InputParams, false), ListSeparator) +
                           (parenthesised ? ")" : "") + CRLF;
        if (TableResult) return text + " RETURNS TABLE" + CRLF;
        if (OutputParams.Count() == 1 && result != nullptr) text += " RETURNS " + result->GetCreateDDL() + CRLF;
        return text;
    }
    default: {
        std::string text;
        if (!InputParams.Empty()) text += "(" + Join(columns(InputParams, false), ListSeparator) + ")" + CRLF;
        if (!OutputParams.Empty())
            text += std::string(" RETURNS") + (IsFunction ? " " : "(") +
                    Join(columns(OutputParams, true), ListSeparator) + (IsFunction ? "" : ")") + CRLF;
        return text;
    }
    }
}

// ---- routine texts ----

bool TPrcData::BodyIsStub() const { return Body() == Trim(GetStubBody()); }

std::string TPrcData::MSSQLRoutineText() const
{
    std::string text = RoutineWord() + GetQualifiedName() + (Number != 0 ? ";" + IntToStr(Number) : std::string()) +
                       GetParamsText(true);
    if (Language.empty()) {
        if (!WithOptions.empty()) text += " WITH " + WithOptions + CRLF;
        return text + (BodyIsStub() ? " AS " + Body() : " " + Body());
    }
    const auto line = [&](bool Given, const std::string& Clause) {
        if (Given) text += Clause + CRLF;
    };
    line(ModifiesSqlData, "  modifies sql data");
    line(Strict, "  returns null on null input");
    line(DynamicResultSets > 0, "  dynamic result sets " + IntToStr(DynamicResultSets));
    line(IsDeterministic, "  deterministic");
    line(Exportable, "  exportable");
    line(true, "  language " + Language);
    line(true, "  parameter style " + ParameterStyle);
    return text + "  external name " + SQLQuotedStr(ExternalName, GetDatabaseType());
}

std::string TPrcData::PGRoutineText() const
{
    std::string text = RoutineWord() + SchemaQualified(*this, Schema(), Name()) + GetParamsText(true) + CRLF + "AS ";
    if (!Body().empty() || ObjFile.empty())
        text += DollarQuoted(Body());
    else
        text += SQLQuotedStr(ObjFile, TDatabaseType::dbPostgreSQL) +
                (LinkSymbol.empty() ? std::string() : ", " + SQLQuotedStr(LinkSymbol, TDatabaseType::dbPostgreSQL));
    // A routine emptied to its stub runs the stub's language until its real
    // body comes back.
    if (BodyIsStub())
        text += std::string(CRLF) + "LANGUAGE plpgsql";
    else if (!Language.empty())
        text += std::string(CRLF) + "LANGUAGE " + SQLQuotedStr(Language, TDatabaseType::dbPostgreSQL);
    if (!Attributes.empty()) text += " " + Attributes;
    if (Strict) text += " STRICT";
    return text;
}

std::string TPrcData::RoutineText() const
{
    using enum TDatabaseType;
    switch (GetDatabaseType()) {
    case dbSybaseASA: return RoutineWord() + GetQualifiedName() + GetParamsText(true) + Body();
    case dbMySQL: {
        std::string text = RoutineWord() + GetQualifiedName() + GetParamsText(true) + CRLF;
        if (!Description().empty()) text += "     COMMENT " + SQLQuotedStr(Description(), dbMySQL) + CRLF;
        for (std::size_t bit = 0; bit < std::size(MySQLCharacteristics); ++bit)
            if ((Characteristics & (1u << bit)) != 0 && MySQLCharacteristics[bit] != nullptr)
                text += std::string("     ") + MySQLCharacteristics[bit] + CRLF;
        return text + Body();
    }
    case dbMSSQL:
    case dbSybaseASE: return MSSQLRoutineText();
    case dbOracle: return RoutineWord() + Name() + CRLF + Body();
    case dbPostgreSQL: return PGRoutineText();
    default: return RoutineWord() + QuoteName(Name()) + GetParamsText(true) + " AS" + CRLF + Body();
    }
}

std::string TPrcData::GetCreateDDL() const
{
    using enum TDatabaseType;
    switch (GetDatabaseType()) {
    case dbInterBase:
    case dbSybaseASA:
    case dbPostgreSQL:
    case dbMySQL: return "CREATE " + RoutineText();
    case dbOracle: return "CREATE OR REPLACE " + RoutineText();
    case dbMSSQL:
    case dbSybaseASE: return Body().empty() && Language.empty() ? ScriptText : "CREATE " + RoutineText();
    default: return {};
    }
}

std::string TPrcData::GetAlterScript() const
{
    using enum TDatabaseType;
    switch (GetDatabaseType()) {
    case dbInterBase:
    case dbSybaseASA:
    case dbMySQL: return "ALTER " + RoutineText();
    case dbMSSQL:
    case dbSybaseASE:
        // A body kept as the whole statement keeps its own words.
        if (UpperCase(Body().substr(0, 6)) == "CREATE") return "ALTER" + Body().substr(6);
        return "ALTER " + RoutineText();
    case dbOracle: return "CREATE OR REPLACE " + RoutineText();
    case dbPostgreSQL:
        if (TStatementSink* executor = GetExecutor()) executor->SetCurrentSchema(Schema());
        return "CREATE OR REPLACE " + RoutineText();
    default: return {};
    }
}

std::string TPrcData::GetDropScript() const
{
    using enum TDatabaseType;
    if (NoScript) return {};
    std::string text = IsFunction ? "DROP FUNCTION " : "DROP PROCEDURE ";
    switch (GetDatabaseType()) {
    case dbMySQL: return text + " IF EXISTS " + QuoteName(Name());
    case dbSybaseASA: return text + GetQualifiedName();
    case dbPostgreSQL: return text + SchemaQualified(*this, Schema(), Name()) + GetParamsText(false);
    case dbOracle:
    case dbMSSQL: return text + SchemaQualified(*this, Schema(), Name());
    default: return text + QuoteName(Name());
    }
}

// ---- stubs ----

std::string TPrcData::GetStubBody() const
{
    using enum TDatabaseType;
    const TDatabaseType type = GetDatabaseType();
    if (IsMSSQLFamily(type)) {
        if (TableResult) return "Return (select 0 as Result)";
        if (OutputParams.Count() == 1 && OutputParams.Objects(0) != nullptr) {
            if (OutputParams.Objects(0)->DataType == TableTypeCode) return "begin Return end";
            if (OutputParams.Objects(0)->DataType == UniqueIdentifierCode) return "begin Return Null end";
        }
        return "begin Return 0 end";
    }
    switch (type) {
    case dbSybaseASA: return " begin Return end";
    // PL/pgSQL takes an empty block for any routine when it is created,
    // whatever it returns.
    case dbMySQL:
    case dbPostgreSQL: return " BEGIN END";
    default: break;
    }
    std::string body = IsFunction             ? " BEGIN RETURN NULL; END"
                       : OutputParams.Empty() ? " BEGIN EXIT; END"
                                              : " BEGIN SUSPEND; END";
    return type == dbOracle ? body + ";" : body;
}

std::string TPrcData::GetStubCreateScript() const
{
    using enum TDatabaseType;
    if (NoScript) return {};
    const TDatabaseType type = GetDatabaseType();
    const std::string params = GetParamsText(true);
    const std::string stub = GetStubBody();
    // A PostgreSQL routine body is a string in a language: the stub is
    // PL/pgSQL whatever language the real body is in.
    if (type == dbPostgreSQL)
        return "CREATE " + RoutineWord() + SchemaQualified(*this, Schema(), Name()) + params + CRLF + "AS " +
               DollarQuoted(stub) + CRLF + "LANGUAGE plpgsql";
    if (IsFunction) {
        if (IsMSSQLFamily(type)) return "CREATE FUNCTION " + GetQualifiedName() + params + "as" + CRLF + stub;
        // The parameter text already names the result type when there is one.
        if (type == dbSybaseASA)
            return "CREATE FUNCTION " + GetQualifiedName() + params +
                   (OutputParams.Empty() ? "returns integer as" : "as") + CRLF + stub;
        return "CREATE FUNCTION " + QuoteName(Name()) + params + " AS" + CRLF + stub;
    }
    const std::string head = std::string(type == dbOracle ? "CREATE OR REPLACE PROCEDURE " : "CREATE PROCEDURE ") +
                             GetQualifiedName() + params;
    if (type == dbSybaseASA) return head + "as" + CRLF + stub;
    if (type == dbMySQL) return head + CRLF + stub;
    return head + " AS" + CRLF + stub;
}

// ---- Oracle member routines ----

std::string TMemberPrcData::GetCreateDDL() const
{
    std::string text = "   " + Directive.GetSQL() + "MEMBER " + RoutineWord() + Name() + MemberParamsText;
    if (IsFunction && !OutputParams.Empty() && OutputParams.Objects(0) != nullptr)
        text += " RETURN " + OutputParams.Objects(0)->GetCreateDDL();
    return text;
}

// ---- the walk ----

void TPrcData::EmptyBody(bool Emit)
{
    if (!GetExists() || BodyIsStub()) return;
    SetBody(GetStubBody());
    SetLinksActive(Uses, false);
    if (TObjs* source = SourceSideOf(*this))
        if (TPrcData* original = source->FindProcedure(GetKey())) original->SetStubCreated(true);
    if (!Emit) return;
    EmitStatement(*this, GetAlterScript(), TStatType::stProcedure, Name(), TDbObject::dboProcedure,
                  TDbOperation::odbEmpty);
    SavedText = GetCreateDDL();
}

void TPrcData::DropDependents()
{
    TDbObj::DropDependents();
    const TObjs* target = TargetSideOf(*this);
    ForEachActiveLink(*this, UsedBy, [target](TDependObj& Link, TDbObj& User) {
        auto* computed = dynamic_cast<TFldData*>(&User);
        if (computed == nullptr && target != nullptr && dynamic_cast<TTblData*>(&User) != nullptr &&
            !Link.FieldName.empty())
            computed = target->FindTableField(User.GetKey(), Link.FieldName);
        if (computed == nullptr || computed->Body().empty()) return;
        computed->DropObject();
        Link.Active = false;
    });
}

void TPrcData::CreateDependencies()
{
    TDbObj::CreateDependencies();
    for (const auto& item : Uses)
        if (auto* view = item.Object ? dynamic_cast<TViwData*>(item.Object->Target) : nullptr)
            CreateUsedView(*this, "procedure", *view);
}

void TPrcData::WriteCreateStatement(const std::string& SQL)
{
    EmitStatement(*this, SQL, TStatType::stProcedure, Name(), TDbObject::dboProcedure, TDbOperation::odbCreate);
}

void TPrcData::WriteCreateDescriptions(TStatementSink& Executor)
{
    if (!Description().empty()) Executor.AddDescription(*this);
    for (const auto* params : {&InputParams, &OutputParams})
        for (const auto& param : *params)
            if (param.Object && !param.Object->Description().empty()) Executor.AddDescription(*param.Object);
}

void TPrcData::WriteDeferredBody()
{
    if (StubCreated())
        EmitStatement(*this, GetAlterScript(), TStatType::stProcedure, Name(), ObjectType(), TDbOperation::odbAlter);
}

void TPrcData::AfterCreate()
{
    SetStubCreated(false);
    TDbObj::AfterCreate();
}

void TPrcData::CreateForUser()
{
    EmitStatement(*this, GetStubCreateScript(), TStatType::stProcedure, Name(), TDbObject::dboProcedure,
                  TDbOperation::odbEmptyCreate);
    SetStubCreated(true);
    SetExists(true);
}

void TPrcData::DropForUsed(const TDbObj& Used)
{
    if (Used.GetDatabaseType() != TDatabaseType::dbSybaseASE) EmptyBody(true);
}

void TPrcData::WriteRestoredBody()
{
    SetStubCreated(false);
    EmitStatement(*this, GetAlterScript(), TStatType::stProcedure, Name(), TDbObject::dboProcedure,
                  TDbOperation::odbAlter);
}

} // namespace qel
