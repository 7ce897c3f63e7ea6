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
    explicit TRolData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TRolData"; }

    std::string RoleOwner;
    std::string Password; // MS SQL: set for an application role
    std::string LoginName;
    TRoleKind RoleKind = rkRole;
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
};

} // namespace qel
