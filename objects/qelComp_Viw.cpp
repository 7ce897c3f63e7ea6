#include "qelComp_Viw.h"

#include "qelComp_Fld.h"
#include "qelText.h"

namespace qel {

TViwData::TViwData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboView); }

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

} // namespace qel
