#include "qelComp_Opr.h"

#include "qelCompText.h"
#include "qelComp_Fld.h"
#include "qelText.h"

namespace qel {

namespace {

const std::string& OrNone(const std::string& Type)
{
    static const std::string none = "NONE";
    return Type.empty() ? none : Type;
}

} // namespace

// ---- operators ----

// An operator's symbol is written as it stands, after its quoted schema:
// "s.+", "+".
std::string TOprData::GetSymbolText() const
{
    return Schema().empty() ? Name() : QuoteName(Schema()) + "." + Name();
}

TOprData::TOprData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

std::string TOprData::GetArgsText() const { return "(" + OrNone(LeftArg) + ", " + OrNone(RightArg) + ")"; }

std::string TOprData::GetKey() const { return QualifiedName(Schema(), Name()) + " " + GetArgsText(); }

std::string TOprData::GetCreateDDL() const
{
    std::vector<std::string> clauses{"PROCEDURE = " + QuoteName(ProcedureName)};
    const auto add = [&](const char* Clause, const std::string& Value) {
        if (!Value.empty()) clauses.push_back(Clause + Value);
    };
    add("LEFTARG = ", LeftArg);
    add("RIGHTARG = ", RightArg);
    add("COMMUTATOR = ", Commutator);
    add("NEGATOR = ", Negator);
    add("RESTRICT = ", RestrictProc);
    add("JOIN = ", JoinProc);
    if (Hashes) clauses.emplace_back("HASHES");
    if (Merges) clauses.emplace_back("MERGES");
    add("SORT1 = ", Sort1);
    add("SORT2 = ", Sort2);
    add("LTCMP = ", LtCmp);
    add("GTCMP = ", GtCmp);
    return "CREATE OPERATOR " + GetSymbolText() + "(" + CRLF + Join(clauses, std::string(",") + CRLF) + ")";
}

std::string TOprData::GetDropScript() const { return "DROP OPERATOR " + GetSymbolText() + GetArgsText(); }

// ---- operator classes ----

std::string TOpcOprData::GetTypesText() const
{
    if (LeftType.empty() && RightType.empty()) return {};
    return " (" + OrNone(LeftType) + ", " + OrNone(RightType) + ")";
}

std::string TOpcOprData::GetText() const
{
    return "OPERATOR " + IntToStr(StrategyNumber) + " " + OperatorName + GetTypesText();
}

TOpcFncData::TOpcFncData(TOpcData* AOpClass) : OpClass(AOpClass) {}

TOpcFncData::~TOpcFncData() = default;

std::string TOpcFncData::GetArgsText() const
{
    std::vector<std::string> types;
    for (const auto& item : ArgTypes) types.push_back(item.Name);
    return "(" + Join(types, ", ") + ")";
}

std::string TOpcFncData::GetText() const
{
    const std::string name = OpClass != nullptr ? OpClass->QuoteName(FunctionName) : FunctionName;
    return "FUNCTION " + IntToStr(SupportNumber) + " " + name + GetArgsText();
}

TOpcData::TOpcData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

TOpcData::~TOpcData() = default;

TOpcOprData* TOpcData::AddOperator()
{
    Operators.push_back(std::make_unique<TOpcOprData>(this));
    return Operators.back().get();
}

TOpcFncData* TOpcData::AddFunction()
{
    Functions.push_back(std::make_unique<TOpcFncData>(this));
    return Functions.back().get();
}

std::string TOpcData::GetKey() const { return Name() + "(" + IndexMethod + ")"; }

std::string TOpcData::GetCreateDDL() const
{
    std::vector<std::string> entries;
    for (const auto& entry : Operators) entries.push_back(entry->GetText());
    for (const auto& entry : Functions) entries.push_back(entry->GetText());
    if (!StorageType.empty()) entries.push_back("STORAGE " + StorageType);
    return "CREATE OPERATOR CLASS " + SchemaQualified(*this, Schema(), Name()) + (IsDefault ? " DEFAULT" : "") +
           " FOR TYPE " + QuoteName(ForType) + " USING " + IndexMethod + " AS" + CRLF +
           Join(entries, std::string(",") + CRLF);
}

std::string TOpcData::GetDropScript() const
{
    return "DROP OPERATOR CLASS " + SchemaQualified(*this, Schema(), Name()) + " USING " + IndexMethod;
}

} // namespace qel
