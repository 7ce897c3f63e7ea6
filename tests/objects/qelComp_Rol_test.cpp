#include "qelComp_Rol.h"
#include "qelDDLTestSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;
using K = TDbObject;
using P = TPrivilege;
using Gnt = TGntData;

namespace {

// A grant to U after Setup: its GRANT and its REVOKE.
TDDLRow Grant(const char* Label, DT Server, std::function<void(Gnt&)> Setup, const char* Expected)
{
    return {Label, Server, [=](TObjs& o) {
                Gnt g(&o);
                g.Grantee = "U";
                Setup(g);
                return g.GetCreateDDL() + " | " + g.GetDropScript();
            }, Expected};
}

// The five table privileges on T.
void Five(Gnt& g)
{
    g.ObjectName = "T", g.ObjectKind = K::dboTable;
    g.Privileges = {P::prSelect, P::prInsert, P::prUpdate, P::prDelete, P::prReferences};
}

// Role, login or user N of Kind after Setup: key, CREATE script and drop.
TDDLRow Role(const char* Label, DT Server, TRoleKind Kind, std::function<void(TRolData&)> Setup, const char* Expected)
{
    return {Label, Server, [=](TObjs& o) {
                TRolData r(&o);
                r.SetName("N"), r.RoleKind = Kind;
                Setup(r);
                return r.GetKey() + " | " + r.GetCreateScript() + " | " + r.GetDropScript();
            }, Expected};
}

class RoleTextTest : public qeltest::TDDLTest {};
TEST_P(RoleTextTest, WritesTheExactText) { Check(); }

INSTANTIATE_TEST_SUITE_P(Rows, RoleTextTest, ::testing::ValuesIn(std::vector<TDDLRow>{
    // ALL stands for the five only where it means no more.
    Grant("MSSQL five", DT::dbMSSQL, Five, "GRANT ALL ON T TO U | REVOKE ALL ON T FROM U"),
    Grant("ASE five", DT::dbSybaseASE, Five, "GRANT DELETE, INSERT, SELECT, UPDATE, REFERENCES ON T TO U | "
          "REVOKE DELETE, INSERT, SELECT, UPDATE, REFERENCES ON T FROM U"),
    // Firebird names no kind before a view it grants on, only before a view
    // that is granted to.
    Grant("IB view", DT::dbInterBase, [](Gnt& g) { g.ObjectName = "V", g.ObjectKind = K::dboView,
          g.Privileges = {P::prSelect}, g.GranteeKind = K::dboView; },
          "GRANT SELECT ON V TO VIEW U | REVOKE SELECT ON V FROM VIEW U"),
    Grant("MSSQL statements", DT::dbMSSQL, [](Gnt& g) { g.Privileges = {P::prCreateView, P::prCreateTable, P::prTruncateTable}; },
          "GRANT CREATE TABLE, CREATE VIEW, TRUNCATE TABLE TO U | REVOKE CREATE TABLE, CREATE VIEW FROM U"),
    // Oracle system privileges are revoked by the list they were granted with.
    Grant("Oracle system", DT::dbOracle, [](Gnt& g) { g.Privileges = {P::prCreateTable, P::prCreateSession}; },
          "GRANT CREATE SESSION, CREATE TABLE TO U | REVOKE CREATE SESSION, CREATE TABLE FROM U"),
    Grant("no privileges", DT::dbInterBase, [](Gnt& g) { g.ObjectName = "T", g.ObjectKind = K::dboTable; },
          "GRANT  ON T TO U | REVOKE  ON T FROM U"),
    Role("IB role", DT::dbInterBase, rkRole, [](TRolData& r) { r.RoleOwner = "SYSDBA"; },
         "Role: N | /* Role: N, Owner: SYSDBA */\r\nCREATE ROLE N | DROP ROLE N"),
    Role("MSSQL login", DT::dbMSSQL, rkLogin, [](TRolData& r) { r.Password = "p'w"; },
         "Login: N | exec sp_addlogin @loginame = N'N', @passwd = N'p''w' | exec sp_droplogin @loginame = N'N'"),
    Role("MSSQL user", DT::dbMSSQL, rkUser, [](TRolData& r) { r.LoginName = "L"; },
         "User: N | exec sp_grantdbaccess @loginame = N'L', @name_in_db = N'N' | exec sp_revokedbaccess @name_in_db = N'N'"),
    Role("MSSQL role", DT::dbMSSQL, rkRole, [](TRolData&) {}, "Role: N | exec sp_addrole N'N' | exec sp_droprole @rolename = N'N'"),
    Role("MSSQL application role", DT::dbMSSQL, rkRole, [](TRolData& r) { r.Password = "pw"; },
         "Role: N | exec sp_addapprole N'N', N'pw' | exec sp_dropapprole @rolename = N'N'"),
    Role("ASE role", DT::dbSybaseASE, rkRole, [](TRolData& r) { r.Objs()->ConnectionOptions().DatabaseName = "db"; },
         "Role: N | if (not exists(select name from master.dbo.syssrvroles where name = 'N'))\r\n  begin\r\n"
         "    use master\r\n    create role N\r\n    use db\r\n  end | DROP ROLE N"),
    Role("ASE user", DT::dbSybaseASE, rkUser, [](TRolData& r) { r.LoginName = "L"; }, "User: N | if (not exists("
         "select name from dbo.sysusers where name = 'N'))\r\n  exec sp_adduser L, N | exec sp_dropuser N"),
}), qeltest::RowName);

} // namespace

// An MS SQL user without a login takes its own name as login; the built-in
// users are not dropped after SQL Server 2000.
TEST(TRolData, MSSQLUsersTakeTheirLoginAndKeepTheBuiltInOnes)
{
    TObjs objs;
    objs.SetDatabaseType(DT::dbMSSQL);
    TRolData user(&objs), guest(&objs);
    user.SetName("N"), guest.SetName("guest"), user.RoleKind = guest.RoleKind = rkUser;
    EXPECT_EQ(user.GetCreateDDL(), "exec sp_grantdbaccess @loginame = N'N', @name_in_db = N'N'");
    EXPECT_EQ(user.LoginName, "N");
    EXPECT_EQ(guest.GetDropScript(), "exec sp_revokedbaccess @name_in_db = N'GUEST'");
    objs.MSSQLServerOptions().SQLServerVersion = TMSSQLServerVersionType::st_MSSQL2005;
    EXPECT_EQ(guest.GetDropScript(), "");
}

// An ASE login without a password gets a random one of twelve letters and
// digits, made once and kept; one with a password uses it.
TEST(TRolData, ASELoginUsesItsOwnPassword)
{
    TObjs objs;
    objs.SetDatabaseType(DT::dbSybaseASE);
    TRolData login(&objs), other(&objs);
    login.SetName("L"), login.RoleKind = other.RoleKind = rkLogin;
    const std::string text = login.GetCreateDDL();
    const std::string password = login.Password;
    ASSERT_EQ(password.size(), 12u);
    for (char c : password) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << password;
    EXPECT_EQ(text, "if (not exists(select name from master.dbo.syslogins where name = 'L'))\r\n  begin\r\n"
                    "    use master\r\n    exec sp_addlogin L, '" + password + "'\r\n  end");
    EXPECT_EQ(login.GetCreateDDL(), text);
    other.GetCreateDDL();
    EXPECT_NE(other.Password, password);
    login.Password = "p'w";
    EXPECT_NE(login.GetCreateDDL().find("exec sp_addlogin L, 'p''w'\r\n"), std::string::npos);
    EXPECT_EQ(login.GetDropScript(), "exec sp_droplogin L");
}

// Grants are keyed by their text without quotes; the dialect is restored.
TEST(TGntData, KeyIsTheUnquotedGrant)
{
    TObjs objs;
    objs.SetDatabaseType(DT::dbInterBase);
    Gnt g(&objs);
    g.ObjectName = "Order", g.ObjectKind = K::dboTable, g.Grantee = "U", g.Privileges = {P::prSelect};
    EXPECT_EQ(g.GetCreateDDL(), "GRANT SELECT ON \"Order\" TO U");
    EXPECT_EQ(g.GetKey(), "GRANT SELECT ON Order TO U");
    EXPECT_EQ(objs.IBServerOptions().SQLDialect, 3);
}
