#include "qelComp_Pkg.h"

#include "qelCompText.h"

#include <algorithm>

namespace qel {

TPkgData::TPkgData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

// The InterBase server version chooses the syntax whatever the server type:
// an Oracle collection keeps the default version, which is before Firebird 3.
namespace {
bool FirebirdPackages(const TDbObj& Obj) { return IBVersionOf(Obj) >= TIBSQLServerVersionType::st_Firebird_30; }
} // namespace

std::string TPkgData::GetHeaderText() const
{
    if (FirebirdPackages(*this)) return "CREATE OR ALTER PACKAGE " + Name() + CRLF + "    AS" + CRLF + HeaderText;
    return "CREATE OR REPLACE PACKAGE " + Name() + CRLF + HeaderText;
}

std::string TPkgData::GetBodyText() const
{
    if (FirebirdPackages(*this)) return "RECREATE PACKAGE BODY " + Name() + CRLF + "    AS" + CRLF + Body();
    return "CREATE OR REPLACE PACKAGE BODY " + Name() + CRLF + Body();
}

std::string TPkgData::GetCreateDDL() const
{
    std::string text = GetHeaderText();
    if (Body().empty()) return text;
    const char* terminator = GetDatabaseType() == TDatabaseType::dbInterBase ? "^" : "/";
    return text + CRLF + terminator + CRLF + CRLF + GetBodyText();
}

std::string TPkgData::GetDropScript() const { return "DROP PACKAGE " + Name(); }

void TPkgData::SetMemberDescription(bool Function, const std::string& Routine, const std::string& Param,
                                    const std::string& Text)
{
    std::erase_if(MemberDescriptions, [&](const TMemberDescription& D) {
        return D.Function == Function && D.Routine == Routine && D.Param == Param;
    });
    if (!Text.empty()) MemberDescriptions.push_back({Function, Routine, Param, Text});
}

void TPkgData::KeepMemberDescriptions(const std::vector<std::pair<bool, std::string>>& Members)
{
    std::erase_if(MemberDescriptions, [&](const TMemberDescription& D) {
        return std::find(Members.begin(), Members.end(), std::make_pair(D.Function, D.Routine)) == Members.end();
    });
}

std::vector<std::string> TPkgData::GetMemberDescriptionScripts() const
{
    std::vector<std::string> scripts;
    if (NoScript || Objs() == nullptr || (GetScriptFlags() & sfDescriptions) == 0 ||
        GetDatabaseType() != TDatabaseType::dbInterBase)
        return scripts;
    for (const TMemberDescription& d : MemberDescriptions) {
        std::string text = std::string("COMMENT ON ") + (d.Function ? "FUNCTION " : "PROCEDURE ");
        text += d.Param.empty() ? QuoteName(Name()) + "." + QuoteName(d.Routine)
                                : "PARAMETER " + QuoteName(Name()) + "." + QuoteName(d.Routine) + "." + QuoteName(d.Param);
        scripts.push_back(text + " IS" + CRLF + SQLQuotedStr(d.Text, TDatabaseType::dbAbstract));
    }
    return scripts;
}

} // namespace qel
