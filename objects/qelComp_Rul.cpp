#include "qelComp_Rul.h"

#include "qelWordTable.h"
#include "qelCompText.h"
#include "qelText.h"

namespace qel {

TRulData::TRulData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

namespace {

// The PostgreSQL event word with its trailing blank; none for other codes.
const char* EventWord(std::uint8_t Event)
{
    switch (Event) {
    case 1: return "INSERT ";
    case 2: return "UPDATE ";
    case 3: return "DELETE ";
    case 5: return "SELECT ";
    default: return "";
    }
}

} // namespace

// The table a PostgreSQL rule is on, schema and name quoted: "s.t".
std::string TRulData::RuleTableName() const
{
    return SchemaQualified(*this, TableSchema.empty() ? Schema() : TableSchema, TableName);
}

std::string TRulData::GetCreateDDL() const
{
    switch (GetDatabaseType()) {
    case TDatabaseType::dbMSSQL:
        if (Action.empty()) return ScriptText;
        return "CREATE RULE " + QuoteDelimited(Name(), '[', ']') + " AS " + Action;
    case TDatabaseType::dbPostgreSQL: {
        std::string text = "CREATE RULE " + QuoteName(Name()) + " AS ON " + EventWord(Event) + "TO " +
                           RuleTableName() + " DO";
        if (!DoKind.empty()) text += " " + DoKind;
        if (DoNothing) text += " NOTHING";
        if (!Action.empty()) text += std::string(CRLF) + " " + Action;
        return text;
    }
    default: return "CREATE RULE " + GetQualifiedName() + " AS " + Action;
    }
}

std::string TRulData::GetDropScript() const
{
    if (GetDatabaseType() != TDatabaseType::dbPostgreSQL) return TDbObj::GetDropScript();
    return "DROP RULE IF EXISTS " + QuoteName(Name()) + " ON " + RuleTableName();
}

} // namespace qel
