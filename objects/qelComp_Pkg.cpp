#include "qelComp_Pkg.h"

#include "qelCompText.h"

namespace qel {

TPkgData::TPkgData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboPackage); }

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

} // namespace qel
