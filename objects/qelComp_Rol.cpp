#include "qelComp_Rol.h"

#include "qelCompText.h"
#include "qelCustomObjs.h"

#include <initializer_list>
#include <random>
#include <span>
#include <utility>
#include <vector>

namespace qel {

namespace {

using enum TDatabaseType;
using enum TDbObject;
using P = TPrivilege;

// The SQL literal of a name under MS SQL and ASE: N'it''s' without the N.
std::string Literal(const std::string& Text) { return SQLQuotedStr(Text, dbMSSQL); }

// Twelve random letters and digits, for an ASE login made without one.
std::string RandomPassword()
{
    static constexpr std::string_view kChars = "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, kChars.size() - 1);
    std::string password;
    for (int i = 0; i < 12; ++i) password += kChars[pick(device)];
    return password;
}

} // namespace

TRolData::TRolData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

std::string TRolData::GetKey() const
{
    switch (RoleKind) {
    case rkLogin: return "Login: " + Name();
    case rkUser: return "User: " + Name();
    default: return "Role: " + Name();
    }
}

std::string TRolData::ASECreateText(bool UseDatabase) const
{
    std::string text;
    if (RoleKind == rkLogin) {
        if (Password.empty()) Password = RandomPassword();
        text = "if (not exists(select name from master.dbo.syslogins where name = " + Literal(Name()) + "))" + CRLF +
               "  begin" + CRLF + "    use master" + CRLF + "    exec sp_addlogin " + QuoteName(Name()) + ", " +
               Literal(Password) + CRLF;
    } else {
        text = "if (not exists(select name from master.dbo.syssrvroles where name = " + Literal(Name()) + "))" + CRLF +
               "  begin" + CRLF + "    use master" + CRLF + "    create role " + QuoteName(Name()) + CRLF;
    }
    if (UseDatabase && Objs() != nullptr) text += "    use " + Objs()->ConnectionOptions().DatabaseName + CRLF;
    return text + "  end";
}

// MS SQL: a user belongs to a login (sp_grantdbaccess), a login is made by
// sp_addlogin, an application role (one with a password) by sp_addapprole
// and any other role by sp_addrole.
std::string TRolData::GetCreateDDL() const
{
    switch (GetDatabaseType()) {
    case dbMSSQL:
        if (RoleKind == rkUser) {
            if (LoginName.empty()) LoginName = Name();
            return "exec sp_grantdbaccess @loginame = N" + Literal(LoginName) + ", @name_in_db = N" + Literal(Name());
        }
        if (RoleKind == rkLogin)
            return "exec sp_addlogin @loginame = N" + Literal(Name()) +
                   (Password.empty() ? "" : ", @passwd = N" + Literal(Password));
        if (!Password.empty()) return "exec sp_addapprole N" + Literal(Name()) + ", N" + Literal(Password);
        return "exec sp_addrole N" + Literal(Name());
    case dbSybaseASE:
        if (RoleKind != rkUser) return ASECreateText(false);
        return "if (not exists(select name from dbo.sysusers where name = " + Literal(Name()) + "))" + CRLF +
               "  exec sp_adduser " + QuoteName(LoginName.empty() ? Name() : LoginName) + ", " + QuoteName(Name());
    default:
        return (RoleOwner.empty() ? ""
                                  : "/* Role: " + BlockCommentText(Name()) + ", Owner: " + BlockCommentText(RoleOwner) +
                                        " */" + CRLF) +
               "CREATE ROLE " + QuoteName(Name());
    }
}

std::string TRolData::GetCreateScript()
{
    if (GetDatabaseType() == dbSybaseASE && RoleKind != rkUser) return ASECreateText(true);
    return GetCreateDDL();
}

std::string TRolData::GetDropScript() const
{
    const std::string name = Literal(Name());
    switch (GetDatabaseType()) {
    case dbMSSQL:
        if (RoleKind == rkUser) {
            const std::string upper = UpperCase(Name());
            const bool builtIn = upper == "SYS" || upper == "GUEST" || upper == "INFORMATION_SCHEMA";
            if (builtIn && Objs() != nullptr &&
                Objs()->MSSQLServerOptions().SQLServerVersion > TMSSQLServerVersionType::st_MSSQL2000)
                return {};
            return "exec sp_revokedbaccess @name_in_db = N" + name;
        }
        if (RoleKind == rkLogin) return "exec sp_droplogin @loginame = N" + name;
        return (Password.empty() ? "exec sp_droprole @rolename = N" : "exec sp_dropapprole @rolename = N") + name;
    case dbSybaseASE:
        // Logins and users are no roles there: each has its own procedure.
        if (RoleKind == rkLogin) return "exec sp_droplogin " + QuoteName(Name());
        if (RoleKind == rkUser) return "exec sp_dropuser " + QuoteName(Name());
        return "DROP ROLE " + QuoteName(Name());
    default: return "DROP ROLE " + QuoteName(Name());
    }
}

// ---- grants ----

namespace {

struct TPrivilegeWord {
    P Privilege;
    const char* Word;
};

// The lists in their writing orders.
constexpr TPrivilegeWord kTableWords[] = {
    {P::prDelete, "DELETE"},         {P::prInsert, "INSERT"},
    {P::prSelect, "SELECT"},         {P::prUpdate, "UPDATE"},
    {P::prReferences, "REFERENCES"}, {P::prTruncateTable, "TRUNCATE TABLE"},
    {P::prUpdateStatistics, "UPDATE STATISTICS"}, {P::prDeleteStatistics, "DELETE STATISTICS"},
};
constexpr TPrivilegeWord kAnyKindWords[] = {{P::prConnect, "CONNECT"}, {P::prExecute, "EXECUTE"}, {P::prUsage, "USAGE"}};
constexpr TPrivilegeWord kOracleObjectWords[] = {
    {P::prDelete, "DELETE"}, {P::prInsert, "INSERT"},         {P::prSelect, "SELECT"},
    {P::prUpdate, "UPDATE"}, {P::prReferences, "REFERENCES"}, {P::prExecute, "EXECUTE"},
};
constexpr TPrivilegeWord kOracleSystemWords[] = {
    {P::prCreateDatabaseLink, "CREATE DATABASE LINK"},
    {P::prCreateSession, "CREATE SESSION"},
    {P::prCreatePublicSynonym, "CREATE PUBLIC SYNONYM"},
    {P::prCreateSynonym, "CREATE SYNONYM"},
    {P::prCreateType, "CREATE TYPE"},
    {P::prCreateTable, "CREATE TABLE"},
    {P::prCreateView, "CREATE VIEW"},
    {P::prCreateTrigger, "CREATE TRIGGER"},
    {P::prCreateProcedure, "CREATE PROCEDURE"},
    {P::prCreateSequence, "CREATE SEQUENCE"},
    {P::prCreateIndexType, "CREATE INDEXTYPE"},
    {P::prDropPublicSynonym, "DROP PUBLIC SYNONYM"},
    {P::prDropSynonym, "DROP SYNONYM"},
    {P::prDropType, "DROP TYPE"},
    {P::prDropTable, "DROP TABLE"},
    {P::prDropView, "DROP VIEW"},
    {P::prDropTrigger, "DROP TRIGGER"},
    {P::prDropProcedure, "DROP PROCEDURE"},
    {P::prDropSequence, "DROP SEQUENCE"},
    {P::prDropIndexType, "DROP INDEXTYPE"},
    {P::prUnlimitedTablespace, "UNLIMITED TABLESPACE"},
    {P::prForceAnyTransaction, "FORCE ANY TRANSACTION"},
};
// MS SQL statement privileges; REVOKE takes all but the last two.
constexpr TPrivilegeWord kStatementWords[] = {
    {P::prCreateDatabase, "CREATE DATABASE"},
    {P::prCreateDefault, "CREATE DEFAULT"},
    {P::prCreateFunction, "CREATE FUNCTION"},
    {P::prCreateProcedure, "CREATE PROCEDURE"},
    {P::prCreateRule, "CREATE RULE"},
    {P::prCreateTable, "CREATE TABLE"},
    {P::prCreateView, "CREATE VIEW"},
    {P::prBackupDatabase, "BACKUP DATABASE"},
    {P::prBackupLog, "BACKUP LOG"},
    {P::prDumpDatabase, "DUMP DATABASE"},
    {P::prDumpTransaction, "DUMP TRANSACTION"},
    {P::prViewAnyDatabase, "VIEW ANY DATABASE"},
    {P::prTruncateTable, "TRUNCATE TABLE"},
    {P::prUpdateStatistics, "UPDATE STATISTICS"},
};
constexpr std::span<const TPrivilegeWord> kRevokeStatementWords(kStatementWords, std::size(kStatementWords) - 2);

// The words of the privileges held, in the list's order.
void AddWords(const TPrivileges& Held, std::span<const TPrivilegeWord> List, std::vector<std::string>& Words)
{
    for (const TPrivilegeWord& w : List)
        if (Held.Contains(w.Privilege)) Words.emplace_back(w.Word);
}

std::string ListText(const TPrivileges& Held, std::span<const TPrivilegeWord> List)
{
    std::vector<std::string> words;
    AddWords(Held, List, words);
    return Join(words, ", ");
}

// The kind word InterBase writes before an object or grantee name.
const char* KindWord(TDbObject Kind)
{
    switch (Kind) {
    case dboProcedure: return "PROCEDURE ";
    case dboTrigger: return "TRIGGER ";
    case dboFunction: return "FUNCTION ";
    case dboView: return "VIEW ";
    case dboPackage: return "PACKAGE ";
    default: return "";
    }
}

} // namespace

TGntData::TGntData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

std::string TGntData::GetKey() const
{
    const TIBDialectOneScope unquoted(*this);
    return GetCreateDDL();
}

std::string TGntData::GetColumnsText() const
{
    if (Columns.Empty()) return {};
    std::vector<std::string> names;
    for (const std::string& column : Columns.Lines()) names.push_back(QuoteName(column));
    return " (" + Join(names, ", ") + ")";
}

std::string TGntData::GetGranteeText() const
{
    const char* kind = GranteeKind == dboRole ? "ROLE " : KindWord(GranteeKind);
    return kind + QuoteName(Grantee);
}

// The five table privileges read ALL only where ALL means exactly them
// (InterBase and MS SQL); elsewhere ALL also grants TRUNCATE, TRIGGER or
// ALTER, so they are listed.
std::string TGntData::GetPrivilegeText() const
{
    const TDatabaseType db = GetDatabaseType();
    if (ObjectKind == dboRole) return (db == dbSybaseASE ? "ROLE " : "") + QuoteName(ObjectName);
    std::vector<std::string> words;
    static const TPrivileges kFive{P::prInsert, P::prUpdate, P::prDelete, P::prSelect, P::prReferences};
    if (Privileges.Contains(P::prAll)) {
        words.emplace_back("ALL");
    } else if (ObjectKind == dboUnknown || ObjectKind == dboTable || ObjectKind == dboView) {
        if (Privileges == kFive && (db == dbInterBase || db == dbMSSQL)) words.emplace_back("ALL");
        else AddWords(Privileges, kTableWords, words);
    }
    AddWords(Privileges, kAnyKindWords, words);
    std::string text = Join(words, ", ") + GetColumnsText();
    if (ObjectName.empty()) return text;
    const char* kind = "";
    if (db == dbInterBase) {
        switch (ObjectKind) {
        case dboException: kind = "EXCEPTION "; break;
        case dboGenerator: kind = "SEQUENCE "; break;
        // A view is granted on as a table is (TO VIEW names a grantee).
        case dboView: break;
        default: kind = KindWord(ObjectKind); break;
        }
    }
    return text + " ON " + kind + QuoteName(ObjectName);
}

std::string TGntData::GetOracleGrantText() const
{
    if (!Text.empty()) return "GRANT " + Text;
    if (Grantee.empty()) return {};
    if (!ObjectName.empty() && Privileges.Empty()) return "GRANT " + ObjectName + " TO " + Grantee;
    if (!ObjectName.empty()) return "GRANT " + ListText(Privileges, kOracleObjectWords) + " ON " + ObjectName + " TO " + Grantee;
    if (!Privileges.Empty()) return "GRANT " + ListText(Privileges, kOracleSystemWords) + " TO " + Grantee;
    return {};
}

std::string TGntData::GetMSSQLGrantText() const
{
    if (!Text.empty()) return Text;
    const std::string grantee = QuoteName(Grantee);
    const char* option = GrantOption == 1 ? " WITH GRANT OPTION" : "";
    if (Privileges == TPrivileges{P::prConnect}) return "GRANT CONNECT TO " + QuoteName(ObjectName) + " AS " + grantee;
    if (ObjectKind == dboUnknown && ObjectName.empty())
        return "GRANT " + ListText(Privileges, kStatementWords) + " TO " + grantee + option;
    if (ObjectKind == dboRole)
        return (GetDatabaseType() == dbSybaseASE ? "GRANT ROLE " : "GRANT ") + QuoteName(ObjectName) + " TO " + grantee +
               (GrantOption == 1 ? " WITH ADMIN OPTION" : "");
    return "GRANT " + GetPrivilegeText() + " TO " + grantee + option;
}

std::string TGntData::GetCreateDDL() const
{
    switch (GetDatabaseType()) {
    case dbOracle: return GetOracleGrantText();
    case dbMSSQL:
    case dbSybaseASE: return GetMSSQLGrantText();
    default:
        if (ObjectKind == dboUnknown && !Text.empty()) return Text;
        // Firebird 3 grants a role to a user name only ("TO ROLE" it
        // refuses): a grantee named like a role is that user, as it was.
        if (ObjectKind == dboRole && GranteeKind == dboRole && GetDatabaseType() == dbInterBase &&
            IBVersionOf(*this) <= TIBSQLServerVersionType::st_Firebird_30)
            return "GRANT " + GetPrivilegeText() + " TO " + QuoteName(Grantee) +
                   (GrantOption == 1 ? " WITH ADMIN OPTION" : "");
        return "GRANT " + GetPrivilegeText() + " TO " + GetGranteeText() +
               (GrantOption != 1 ? "" : ObjectKind == dboRole ? " WITH ADMIN OPTION" : " WITH GRANT OPTION");
    }
}

// A grant on an object is revoked by its own privilege text, also when the
// object's kind was not resolved; statement privileges by the REVOKE list,
// Oracle system privileges by the list they were granted with.
std::string TGntData::GetDropScript() const
{
    if (ObjectKind == dboUnknown && ObjectName.empty()) {
        if (GetDatabaseType() == dbOracle) return "REVOKE " + ListText(Privileges, kOracleSystemWords) + " FROM " + Grantee;
        return "REVOKE " + ListText(Privileges, kRevokeStatementWords) + " FROM " + QuoteName(Grantee);
    }
    const char* option = GrantOption != 1 ? "" : ObjectKind == dboRole ? "ADMIN OPTION FOR " : "GRANT OPTION FOR ";
    return "REVOKE " + std::string(option) + GetPrivilegeText() + " FROM " + GetGranteeText();
}

} // namespace qel
