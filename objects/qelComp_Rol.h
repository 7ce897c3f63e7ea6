// Roles, logins and database users, and grants of privileges or roles.
#pragma once

#include "qelClasses.h"
#include "qelSet.h"
#include "qelStrings.h"

#include <cstdint>
#include <string>

namespace qel {

// Whether a TRolData is a role, a login or a database user.
using TRoleKind = std::uint8_t;
inline constexpr TRoleKind rkRole = 0;
inline constexpr TRoleKind rkLogin = 1;
inline constexpr TRoleKind rkUser = 2;

// One role, login or user.
class TRolData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboRole;
    explicit TRolData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TRolData"; }

    std::string RoleOwner;
    // MS SQL: set for an application role. Sybase ASE: a login's password;
    // a login without one is given a random one when its text is first
    // written, and keeps it.
    mutable std::string Password;
    // The login of a user; MS SQL takes the user's name for it when empty,
    // as its text is written.
    mutable std::string LoginName;
    TRoleKind RoleKind = rkRole;

    // ---- texts ----
    // "Role: R", "Login: L" or "User: U": the three kinds are filed apart.
    std::string GetKey() const override;
    // "CREATE ROLE R"; MS SQL "exec sp_addrole N'R'" (sp_addapprole,
    // sp_addlogin, sp_grantdbaccess by kind); Sybase ASE a guarded block.
    std::string GetCreateDDL() const override;
    // The CREATE text; an ASE login or role block goes back to the script's
    // database ("    use <database>") before its end.
    std::string GetCreateScript() override;
    // "DROP ROLE R"; MS SQL "exec sp_droprole @rolename = N'R'" and the
    // matching procedure of each kind; nothing for the built-in MS SQL users.
    std::string GetDropScript() const override;

private:
    // The ASE login or role block, with the database line when UseDatabase.
    std::string ASECreateText(bool UseDatabase) const;
};

// The privileges a grant can hold, by their place in the six-byte set;
// 8 and 44 to 47 have no word.
enum class TPrivilege : std::uint8_t {
    prAll, prInsert, prUpdate, prDelete, prSelect, prExecute, prReferences, prConnect, prUnused8,
    prCreateDatabaseLink, prCreateSequence, prCreateSession, prCreateTrigger, prCreateProcedure, prCreateType,
    prCreateSynonym, prCreatePublicSynonym, prDropSynonym, prDropPublicSynonym, prCreateTable, prCreateView,
    prCreateIndexType, prCreateRule, prCreateDefault, prCreateFunction, prCreateDatabase, prBackupDatabase,
    prBackupLog, prDumpDatabase, prDumpTransaction, prViewAnyDatabase, prTruncateTable, prUpdateStatistics,
    prDeleteStatistics, prUnlimitedTablespace, prDropTable, prDropView, prDropTrigger, prDropProcedure,
    prDropSequence, prDropType, prDropIndexType, prForceAnyTransaction, prUsage
};
using TPrivileges = TSet<TPrivilege, 48>;

// One grant of privileges (or of a role, ObjectKind dboRole) to a grantee,
// optionally limited to some columns. Text, when set, is a whole statement
// kept from the script.
class TGntData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboGrant;
    explicit TGntData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TGntData"; }

    std::string Text;
    TPrivileges Privileges;
    std::string Grantee;
    TDbObject GranteeKind = TDbObject::dboUnknown;
    std::string ObjectName;
    TDbObject ObjectKind = TDbObject::dboUnknown;
    std::int32_t GrantOption = 0; // 1: WITH GRANT (or ADMIN) OPTION
    TStringList Columns;
    std::uint8_t GranteeType = 10; // 11 role, 12 user, 13 database object
    // The script line its GRANT stands on (0 when not read from a script).
    std::int32_t ScriptLine = 0;

    // ---- texts ----
    // The GRANT text written with no name quoted (InterBase dialect 1 for
    // the while).
    std::string GetKey() const override;
    // "GRANT SELECT ON T TO U WITH GRANT OPTION", "GRANT R TO U WITH ADMIN
    // OPTION"; Oracle and MS SQL/ASE by their own texts; Text, when set,
    // stands for a statement without an object.
    std::string GetCreateDDL() const override;
    // "REVOKE ADMIN OPTION FOR R FROM U", "REVOKE UPDATE (A) ON T FROM U";
    // statement privileges "REVOKE CREATE TABLE FROM U".
    std::string GetDropScript() const override;
    // Oracle: "GRANT SELECT ON T TO U", "GRANT CREATE SESSION TO U",
    // "GRANT R TO U"; names as stored.
    std::string GetOracleGrantText() const;
    // MS SQL and ASE: "GRANT CREATE TABLE, CREATE VIEW TO [U]",
    // "GRANT ALL ON T TO U", "GRANT CONNECT TO db AS U".
    std::string GetMSSQLGrantText() const;
    // "UPDATE (A, B) ON T", "EXECUTE ON PROCEDURE P" (InterBase names the
    // kind), "ALL ON T" for the five table privileges under InterBase and
    // MS SQL; a role grant the role.
    std::string GetPrivilegeText() const;
    // " (A, B)"; empty without columns.
    std::string GetColumnsText() const;
    // "PROCEDURE Q", "ROLE R", "U".
    std::string GetGranteeText() const;
};

} // namespace qel
