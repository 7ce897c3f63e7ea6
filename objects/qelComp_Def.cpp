#include "qelComp_Def.h"

#include "qelWordTable.h"
#include "qelText.h"

namespace qel {

TDefData::TDefData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

std::string TDefData::GetCreateDDL() const
{
    if (GetDatabaseType() != TDatabaseType::dbMSSQL) return "CREATE DEFAULT " + QuoteName(Name()) + " AS " + Value;
    if (Value.empty()) return ScriptText;
    return "CREATE DEFAULT " + QuoteDelimited(Name(), '[', ']') + " AS " + Value;
}

TCltData::TCltData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

std::string TCltData::GetCreateDDL() const
{
    if (GetDatabaseType() != TDatabaseType::dbInterBase) return {};
    const auto line = [](const std::string& Clause) { return Clause + CRLF; };
    const auto literal = [](const std::string& Value) { return SQLQuotedStr(Value, TDatabaseType::dbInterBase); };
    std::string text = line("CREATE COLLATION " + QuoteName(Name())) + line("FOR " + CharacterSet);
    if (!FromCollation.empty())
        text += line("FROM " + FromCollation);
    else if (!ExternalName.empty())
        text += line("FROM EXTERNAL(" + literal(ExternalName) + ")");
    if (PadSpace.has_value()) text += line(*PadSpace ? "PAD SPACE" : "NO PAD");
    if (!CaseSensitive) text += line("CASE INSENSITIVE");
    if (!AccentSensitive) text += line("ACCENT INSENSITIVE");
    if (!Attributes.empty()) text += line(literal(Attributes));
    return text;
}

} // namespace qel
