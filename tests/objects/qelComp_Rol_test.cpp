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

namespace {

// A grant to U after Setup: its CREATE text, " | " and its REVOKE.
TDDLRow Grant(const char* Label, DT Server, std::function<void(TGntData&)> Setup, const char* Expected)
{
    return {Label, Server,
            [=](TObjs& o) {
                TGntData g(&o);
                g.Grantee = "U";
                Setup(g);
                return g.GetCreateDDL() + " | " + g.GetDropScript();
            },
            Expected};
}

// The five table privileges on table T.
void FiveOnT(TGntData& g)
{
    g.ObjectName = "T";
    g.ObjectKind = K::dboTable;
    g.Privileges = {P::prSelect, P::prInsert, P::prUpdate, P::prDelete, P::prReferences};
}

// Role, login or user N of Kind after Setup: key, CREATE script and drop.
TDDLRow Role(const char* Label, DT Server, TRoleKind Kind, std::function<void(TRolData&)> Setup, const char* Expected)
{
    return {Label, Server,
            [=](TObjs& o) {
                TRolData r(&o);
                r.SetName("N");
                r.RoleKind = Kind;
                Setup(r);
                return r.GetKey() + " | " + r.GetCreateScript() + " | " + r.GetDropScript();
            },
            Expected};
}

class GrantTextTest : public qeltest::TDDLTest {};
TEST_P(GrantTextTest, WritesTheExactText) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, GrantTextTest,
    ::testing::ValuesIn(std::vector<TDDLRow>{
        // ALL stands for exactly the five only where it means no more.
        Grant("IB five", DT::dbInterBase, FiveOnT, "GRANT ALL ON T TO U | REVOKE ALL ON T FROM U"),
        Grant("MSSQL five", DT::dbMSSQL, FiveOnT, "GRANT ALL ON T TO U | REVOKE ALL ON T FROM U"),
        Grant("ASE five", DT::dbSybaseASE, FiveOnT,
              "GRANT DELETE, INSERT, SELECT, UPDATE, REFERENCES ON T TO U | REVOKE DELETE, INSERT, SELECT, UPDATE, "
              "REFERENCES ON T FROM U"),
        Grant("PG five", DT::dbPostgreSQL,
              [](TGntData& g) {
                  FiveOnT(g);
                  g.Grantee = "u";
                  g.ObjectName = "t";
              },
              "GRANT DELETE, INSERT, SELECT, UPDATE, REFERENCES ON t TO u | REVOKE DELETE, INSERT, SELECT, UPDATE, "
              "REFERENCES ON t FROM u"),
        Grant("IB procedure to procedure", DT::dbInterBase,
              [](TGntData& g) {
                  g.ObjectName = "P";
                  g.ObjectKind = K::dboProcedure;
                  g.Privileges = {P::prExecute};
                  g.Grantee = "Q";
                  g.GranteeKind = K::dboProcedure;
              },
              "GRANT EXECUTE ON PROCEDURE P TO PROCEDURE Q | REVOKE EXECUTE ON PROCEDURE P FROM PROCEDURE Q"),
        Grant("role with admin option", DT::dbInterBase,
              [](TGntData& g) {
                  g.ObjectName = "R";
                  g.ObjectKind = K::dboRole;
                  g.GrantOption = 1;
              },
              "GRANT R TO U WITH ADMIN OPTION | REVOKE ADMIN OPTION FOR R FROM U"),
        Grant("columns with grant option", DT::dbInterBase,
              [](TGntData& g) {
                  g.ObjectName = "T";
                  g.ObjectKind = K::dboTable;
                  g.Privileges = {P::prUpdate};
                  g.Columns.Add("A");
                  g.Columns.Add("B");
                  g.GrantOption = 1;
              },
              "GRANT UPDATE (A, B) ON T TO U WITH GRANT OPTION | REVOKE GRANT OPTION FOR UPDATE (A, B) ON T FROM U"),
        Grant("IB sequence usage to a role", DT::dbInterBase,
              [](TGntData& g) {
                  g.ObjectName = "G";
                  g.ObjectKind = K::dboGenerator;
                  g.Privileges = {P::prUsage};
                  g.GranteeKind = K::dboRole;
              },
              "GRANT USAGE ON SEQUENCE G TO ROLE U | REVOKE USAGE ON SEQUENCE G FROM ROLE U"),
        Grant("MSSQL statements", DT::dbMSSQL,
              [](TGntData& g) { g.Privileges = {P::prCreateView, P::prCreateTable, P::prTruncateTable}; },
              "GRANT CREATE TABLE, CREATE VIEW, TRUNCATE TABLE TO U | REVOKE CREATE TABLE, CREATE VIEW FROM U"),
        Grant("MSSQL connect", DT::dbMSSQL,
              [](TGntData& g) {
                  g.ObjectName = "DB";
                  g.Privileges = {P::prConnect};
              },
              "GRANT CONNECT TO DB AS U | REVOKE CONNECT ON DB FROM U"),
        Grant("ASE role", DT::dbSybaseASE,
              [](TGntData& g) {
                  g.ObjectName = "R";
                  g.ObjectKind = K::dboRole;
                  g.GrantOption = 1;
              },
              "GRANT ROLE R TO U WITH ADMIN OPTION | REVOKE ADMIN OPTION FOR ROLE R FROM U"),
        Grant("Oracle object", DT::dbOracle,
              [](TGntData& g) {
                  g.ObjectName = "T";
                  g.ObjectKind = K::dboTable;
                  g.Privileges = {P::prSelect, P::prExecute};
              },
              "GRANT SELECT, EXECUTE ON T TO U | REVOKE SELECT, EXECUTE ON T FROM U"),
        Grant("Oracle system", DT::dbOracle,
              [](TGntData& g) { g.Privileges = {P::prCreateTable, P::prCreateSession, P::prUnlimitedTablespace}; },
              "GRANT CREATE SESSION, CREATE TABLE, UNLIMITED TABLESPACE TO U | REVOKE CREATE SESSION, CREATE TABLE, "
              "UNLIMITED TABLESPACE FROM U"),
        Grant("Oracle role and text", DT::dbOracle,
              [](TGntData& g) {
                  g.ObjectName = "R";
                  g.ObjectKind = K::dboRole;
              },
              "GRANT R TO U | REVOKE R FROM U"),
        Grant("kept statement", DT::dbInterBase, [](TGntData& g) { g.Text = "GRANT CREATE TABLE TO U"; },
              "GRANT CREATE TABLE TO U | REVOKE  FROM U"),
        // An object grant of no privileges keeps its object and grantee.
        Grant("no privileges", DT::dbInterBase,
              [](TGntData& g) {
                  g.ObjectName = "T";
                  g.ObjectKind = K::dboTable;
              },
              "GRANT  ON T TO U | REVOKE  ON T FROM U"),
        Grant("object of unknown kind", DT::dbPostgreSQL,
              [](TGntData& g) {
                  g.ObjectName = "t";
                  g.Grantee = "u";
                  g.Privileges = {P::prSelect};
              },
              "GRANT SELECT ON t TO u | REVOKE SELECT ON t FROM u"),
        Role("IB role with owner", DT::dbInterBase, rkRole, [](TRolData& r) { r.RoleOwner = "SYSDBA"; },
             "Role: N | /* Role: N, Owner: SYSDBA */\r\nCREATE ROLE N | DROP ROLE N"),
        Role("PG user", DT::dbPostgreSQL, rkUser, [](TRolData& r) { r.SetName("n"); }, "User: n | CREATE ROLE n | DROP ROLE n"),
        Role("MSSQL login", DT::dbMSSQL, rkLogin, [](TRolData& r) { r.Password = "p'w"; },
             "Login: N | exec sp_addlogin @loginame = N'N', @passwd = N'p''w' | exec sp_droplogin @loginame = N'N'"),
        Role("MSSQL user", DT::dbMSSQL, rkUser, [](TRolData& r) { r.LoginName = "L"; },
             "User: N | exec sp_grantdbaccess @loginame = N'L', @name_in_db = N'N' | exec sp_revokedbaccess "
             "@name_in_db = N'N'"),
        Role("MSSQL role", DT::dbMSSQL, rkRole, [](TRolData&) {},
             "Role: N | exec sp_addrole N'N' | exec sp_droprole @rolename = N'N'"),
        Role("MSSQL application role", DT::dbMSSQL, rkRole, [](TRolData& r) { r.Password = "secret"; },
             "Role: N | exec sp_addapprole N'N', N'secret' | exec sp_dropapprole @rolename = N'N'"),
        Role("ASE role", DT::dbSybaseASE, rkRole, [](TRolData& r) { r.Objs()->ConnectionOptions().DatabaseName = "db"; },
             "Role: N | if (not exists(select name from master.dbo.syssrvroles where name = 'N'))\r\n  begin\r\n"
             "    use master\r\n    create role N\r\n    use db\r\n  end | DROP ROLE N"),
        Role("ASE user", DT::dbSybaseASE, rkUser, [](TRolData& r) { r.LoginName = "L"; },
             "User: N | if (not exists(select name from dbo.sysusers where name = 'N'))\r\n  exec sp_adduser L, N | "
             "exec sp_dropuser N")}),
    qeltest::RowName);

} // namespace

// An MS SQL user without a login takes its own name as login; the built-in
// users are never dropped after SQL Server 2000.
TEST(TRolData, MSSQLUsersTakeTheirLoginAndKeepTheBuiltInOnes)
{
    TObjs objs;
    objs.SetDatabaseType(DT::dbMSSQL);
    TRolData user(&objs), guest(&objs);
    user.SetName("N");
    user.RoleKind = guest.RoleKind = rkUser;
    EXPECT_EQ(user.GetCreateDDL(), "exec sp_grantdbaccess @loginame = N'N', @name_in_db = N'N'");
    EXPECT_EQ(user.LoginName, "N");
    guest.SetName("guest");
    EXPECT_EQ(guest.GetDropScript(), "exec sp_revokedbaccess @name_in_db = N'GUEST'");
    objs.MSSQLServerOptions().SQLServerVersion = TMSSQLServerVersionType::st_MSSQL2005;
    EXPECT_EQ(guest.GetDropScript(), "");
}

// An ASE login without a password gets a random one of twelve letters and
// digits, made once and kept; one with a password uses it.
TEST(TRolData, ASELoginPasswordIsItsOwn)
{
    TObjs objs;
    objs.SetDatabaseType(DT::dbSybaseASE);
    objs.ConnectionOptions().DatabaseName = "db";
    TRolData login(&objs), other(&objs);
    login.SetName("L");
    login.RoleKind = other.RoleKind = rkLogin;
    other.SetName("M");
    const std::string text = login.GetCreateDDL();
    ASSERT_EQ(login.Password.size(), 12u);
    for (char c : login.Password) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << login.Password;
    EXPECT_EQ(text, "if (not exists(select name from master.dbo.syslogins where name = 'L'))\r\n  begin\r\n"
                    "    use master\r\n    exec sp_addlogin L, '" + login.Password + "'\r\n  end");
    EXPECT_EQ(login.GetCreateScript(), "if (not exists(select name from master.dbo.syslogins where name = 'L'))\r\n"
                                       "  begin\r\n    use master\r\n    exec sp_addlogin L, '" + login.Password +
                                           "'\r\n    use db\r\n  end");
    other.GetCreateDDL();
    EXPECT_NE(other.Password, login.Password);
    login.Password = "p'w";
    EXPECT_NE(login.GetCreateDDL().find("exec sp_addlogin L, 'p''w'\r\n"), std::string::npos);
    EXPECT_EQ(login.GetDropScript(), "exec sp_droplogin L");
}

// Grants are keyed by their text without quotes; the dialect is restored.
TEST(TGntData, KeyIsTheUnquotedGrant)
{
    TObjs objs;
    objs.SetDatabaseType(DT::dbInterBase);
    TGntData g(&objs);
    g.ObjectName = "Order";
    g.ObjectKind = K::dboTable;
    g.Grantee = "U";
    g.Privileges = {P::prSelect};
    EXPECT_EQ(g.GetCreateDDL(), "GRANT SELECT ON \"Order\" TO U");
    EXPECT_EQ(g.GetKey(), "GRANT SELECT ON Order TO U");
    EXPECT_EQ(objs.IBServerOptions().SQLDialect, 3);
}
