#include "qelDBOptions.h"
#include "qelErrors.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

using namespace qel;
using IBVer = TIBSQLServerVersionType;

namespace {

// Every text field of the connection options.
std::vector<std::string*> Texts(TConnectionOptions& c)
{
    return {&c.DatabaseName, &c.UserName, &c.Password,         &c.RoleName, &c.Custom1,
            &c.Custom2,      &c.Custom3,  &c.HostName, &c.ConnectionString, &c.ClientLibrary};
}

} // namespace

// ---- Clear: what it resets and what it keeps ----

TEST(OptionsClear, ConnectionProtocolIsTcpWhenFreshAndLocalAfterClear)
{
    TConnectionOptions c;
    EXPECT_EQ(c.Protocol, TQELProtocol::ptTCP);
    for (std::string* t : Texts(c)) *t = "x";
    c.Port = 3050;
    c.UseWindowsAuthentication = true;
    c.Clear();
    EXPECT_EQ(c.Protocol, TQELProtocol::ptLocal);
    EXPECT_EQ(c.Port, 0);
    EXPECT_FALSE(c.UseWindowsAuthentication);
    for (const std::string* t : Texts(c)) EXPECT_EQ(*t, "");
}

TEST(OptionsClear, IBServerKeepsVersionAndResetsTheRest)
{
    TIBServerOptions ib;
    ib.SQLServerVersion = IBVer::st_Firebird_30;
    ib.SQLDialect = 1;
    ib.SetDBCharSet("utf8");
    ib.SetDefaultCharSet("win1252");
    ib.IBCompareOptions().DbCharsetCompare = true;
    ib.IBCompareOptions().UseRECONNECT = false;
    ib.IBDatabaseOptions().PageSize = 8192;
    ib.IBDatabaseOptions().ServerVersionText = "LI-V3.0";
    ib.Clear();
    EXPECT_EQ(ib.SQLServerVersion, IBVer::st_Firebird_30);
    EXPECT_EQ(ib.SQLDialect, 3);
    EXPECT_EQ(ib.DBCharSet(), "");
    EXPECT_EQ(ib.DefaultCharSet(), "");
    EXPECT_FALSE(ib.IBCompareOptions().DbCharsetCompare);
    EXPECT_TRUE(ib.IBCompareOptions().UseRECONNECT);
    EXPECT_EQ(ib.IBDatabaseOptions().PageSize, 0);
    EXPECT_EQ(ib.IBDatabaseOptions().ServerVersionText, "");
}

TEST(OptionsClear, CompareOptionsKeepTheUsersScriptDecisions)
{
    TIBCompareOptions ib;
    ib.ModifySystemTables = ib.GenerateCOMMIT = ib.AllowDataTypeConversion = true;
    ib.FldCharsetCompare = true;
    ib.UpdateDescriptionMode = TUpdateDescriptionType::udComment;
    ib.UpdateFieldPosition = ib.ExtractOnlyComparedObjects = ib.IgnoreToolObjects = false;
    ib.Clear();
    EXPECT_TRUE(ib.ModifySystemTables && ib.GenerateCOMMIT && ib.AllowDataTypeConversion);
    EXPECT_FALSE(ib.FldCharsetCompare);
    EXPECT_EQ(ib.UpdateDescriptionMode, TUpdateDescriptionType::udSysTables);
    EXPECT_TRUE(ib.UpdateFieldPosition && ib.ExtractOnlyComparedObjects && ib.IgnoreToolObjects);

    TMSSQLServerOptions ms;
    ms.MSSQLCompareOptions().UpdateColumnPosition = true;
    ms.MSSQLCompareOptions().IgnoreSysName = false;
    ms.MSSQLDatabaseOptions().Collation = "LATIN1_GENERAL_BIN";
    ms.MSSQLDatabaseOptions().DatabaseId = 7;
    ms.MSSQLDatabaseOptions().CompatibilityLevel = 150;
    ms.Clear();
    EXPECT_TRUE(ms.MSSQLCompareOptions().UpdateColumnPosition);
    EXPECT_TRUE(ms.MSSQLCompareOptions().IgnoreSysName);
    EXPECT_EQ(ms.MSSQLDatabaseOptions().Collation, "");
    EXPECT_EQ(ms.MSSQLDatabaseOptions().DatabaseId, 0);
    EXPECT_EQ(ms.MSSQLDatabaseOptions().CompatibilityLevel, 150);
}

// The version goes back to the first the family knew, below the declared
// default for MS SQL and PostgreSQL.
TEST(OptionsClear, OtherFamiliesGoBackToTheirInitialValues)
{
    TMSSQLServerOptions ms;
    ms.SQLServerVersion = TMSSQLServerVersionType::st_MSSQL2019;
    TPGSQLServerOptions pg;
    pg.SQLServerVersion = TPGSQLServerVersionType::st_PostgreSQL_14x;
    TOracleServerOptions ora;
    ora.SQLServerVersion = TOracleServerVersionType::st_Oracle_21x;
    TDB2ServerOptions db2;
    db2.SQLServerVersion = TDB2ServerVersionType::st_DB2_11x;
    TMySQLServerOptions my;
    my.SQLServerVersion = TMySQLServerVersionType::st_MariaDB_10x;
    my.CharSet = my.Names = "utf8mb4";
    my.MySQLCompareOptions().CaseSensitiveIdentifiers = false;
    TASAServerOptions asa;
    asa.SQLServerVersion = TASAServerVersionType::st_ASA5;
    asa.ASADatabaseOptions().BlankPadding = false;
    asa.ASADatabaseOptions().PageSize = 4096;
    asa.ASACompareOptions().CaseSensitiveIdentifiers = true;
    TASEServerOptions ase;
    ase.ASECompareOptions().CompareDBOptions = ase.ASECompareOptions().IgnoreSysName = false;
    ase.ASEDatabaseOptions().Options.Include(TASEDBOption::aseSingleUser);
    ase.ASEDatabaseOptions().Owner = "sa";
    ms.Clear(), pg.Clear(), ora.Clear(), db2.Clear(), my.Clear(), asa.Clear(), ase.Clear();

    EXPECT_EQ(ms.SQLServerVersion, TMSSQLServerVersionType::st_MSSQL2000);
    EXPECT_EQ(pg.SQLServerVersion, TPGSQLServerVersionType::st_PostgreSQL_8x);
    EXPECT_EQ(ora.SQLServerVersion, TOracleServerVersionType::st_Oracle_10x);
    EXPECT_EQ(db2.SQLServerVersion, TDB2ServerVersionType::st_DB2_8x);
    EXPECT_EQ(my.SQLServerVersion, TMySQLServerVersionType::st_MySQL_5x);
    EXPECT_EQ(my.CharSet + my.Names, "");
    EXPECT_TRUE(my.MySQLCompareOptions().CaseSensitiveIdentifiers);
    EXPECT_EQ(asa.SQLServerVersion, TASAServerVersionType::st_ASA9);
    EXPECT_TRUE(asa.ASADatabaseOptions().BlankPadding && asa.ASADatabaseOptions().CaseRespect);
    EXPECT_EQ(asa.ASADatabaseOptions().PageSize, 0);
    EXPECT_FALSE(asa.ASACompareOptions().CaseSensitiveIdentifiers);
    EXPECT_TRUE(ase.ASECompareOptions().CompareDBOptions && ase.ASECompareOptions().IgnoreSysName);
    EXPECT_TRUE(ase.ASEDatabaseOptions().Options.Empty());
    EXPECT_EQ(ase.ASEDatabaseOptions().Owner, "");
}

// ---- InterBase header texts ----

TEST(IBServerOptionsText, DBCharSetIsUpperCasedAndNoneWritesNoSetNames)
{
    TIBEngineOptions ib;
    EXPECT_EQ(ib.GetSetNamesSQL(), "");
    ib.SetDBCharSet("win1252");
    EXPECT_EQ(ib.DBCharSet(), "WIN1252");
    EXPECT_EQ(ib.GetSetNamesSQL(), "SET NAMES WIN1252");
    ib.SetDBCharSet("none");
    EXPECT_EQ(ib.DBCharSet(), "NONE");
    EXPECT_EQ(ib.GetSetNamesSQL(), "");
}

// The connection's set and the database's default are two settings; options
// that were only ever given the connection's set keep creating databases
// with it.
TEST(IBServerOptionsText, DatabaseDefaultIsItsOwnUnlessOnlyTheConnectionsSetWasGiven)
{
    struct Row {
        const char *Names, *Default, *Database, *SetNames;
    };
    for (const Row& row : {Row{"", "", "", ""}, Row{"utf8", "", "UTF8", "SET NAMES UTF8"},
                           Row{"utf8", "none", "NONE", "SET NAMES UTF8"}, Row{"", "win1252", "WIN1252", ""},
                           Row{"none", "utf8", "UTF8", ""}}) {
        TIBServerOptions ib;
        ib.SetDBCharSet(row.Names);
        ib.SetDefaultCharSet(row.Default);
        EXPECT_EQ(ib.DatabaseCharSet(), row.Database) << row.Names << "/" << row.Default;
        EXPECT_EQ(ib.GetSetNamesSQL(), row.SetNames) << row.Names << "/" << row.Default;
    }
}

TEST(IBServerOptionsText, OnlyDialectThreeWritesSetSQLDialect)
{
    TIBServerOptions ib;
    EXPECT_EQ(ib.GetSQLDialectSQL(), "SET SQL DIALECT 3");
    for (TIBSQLDialectType d : {1, 2}) {
        ib.SQLDialect = d;
        EXPECT_EQ(ib.GetSQLDialectSQL(), "") << int(d);
    }
}

struct ConnectCase {
    std::string db, user, password, role, expected;
    std::string host = {};
    int port = 0;
};

class GetConnectSQLTest : public ::testing::TestWithParam<ConnectCase> {};

TEST_P(GetConnectSQLTest, WritesOnlyTheGivenParts)
{
    const ConnectCase& p = GetParam();
    TConnectionOptions c;
    c.DatabaseName = p.db;
    c.UserName = p.user;
    c.Password = p.password;
    c.RoleName = p.role;
    c.HostName = p.host;
    c.Port = p.port;
    EXPECT_EQ(TIBSQLExecOptions().GetConnectSQL(c), p.expected);
}

INSTANTIATE_TEST_SUITE_P(
    IBServerOptionsText, GetConnectSQLTest,
    ::testing::Values(
        ConnectCase{"", "SYSDBA", "pw", "R", ""},
        ConnectCase{"emp.fdb", "", "", "", "CONNECT 'emp.fdb'"},
        ConnectCase{"localhost:/db/emp.fdb", "SYSDBA", "masterkey", "ADMIN",
                    "CONNECT 'localhost:/db/emp.fdb' USER 'SYSDBA' PASSWORD 'masterkey' ROLE 'ADMIN'"},
        ConnectCase{"emp.fdb", "", "pw", "", "CONNECT 'emp.fdb' PASSWORD 'pw'"},
        ConnectCase{"emp.fdb", "", "", "R", "CONNECT 'emp.fdb' ROLE 'R'"},
        ConnectCase{"emp.fdb", "SYSDBA", "", "", "CONNECT 'emp.fdb' USER 'SYSDBA'"},
        ConnectCase{"C:\\O'Brien\\emp.fdb", "o'neil", "it's", "",
                    "CONNECT 'C:\\O''Brien\\emp.fdb' USER 'o''neil' PASSWORD 'it''s'"},
        // A server database is named with its host, or isql opens a local file.
        ConnectCase{"/db/emp.fdb", "SYSDBA", "", "", "CONNECT 'srv/3051:/db/emp.fdb' USER 'SYSDBA'", "srv", 3051}));

// ---- MySQL table options and ASE option names ----

struct TableOptionsCase {
    const char* name;
    std::function<void(TMySQLTableOptions&)> fill;
    std::string expected;
};

class MySQLTableOptionsTest : public ::testing::TestWithParam<TableOptionsCase> {};

TEST_P(MySQLTableOptionsTest, GetSQLWritesOneGivenOptionALineInFixedOrder)
{
    TMySQLTableOptions o;
    GetParam().fill(o);
    EXPECT_EQ(o.GetSQL(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    MySQLTableOptions, MySQLTableOptionsTest,
    ::testing::Values(
        TableOptionsCase{"Nothing", [](TMySQLTableOptions&) {}, ""},
        TableOptionsCase{"OnlyEngine", [](TMySQLTableOptions& o) { o.Engine = "InnoDB"; }, "\r\nENGINE=InnoDB"},
        TableOptionsCase{"PackKeysAfterEngine",
                         [](TMySQLTableOptions& o) {
                             o.PackKeys = "1";
                             o.Engine = "MyISAM";
                         },
                         "\r\nENGINE=MyISAM\r\nPACK_KEYS=1"},
        TableOptionsCase{"NumbersGivenOnlyWhenPositive",
                         [](TMySQLTableOptions& o) {
                             o.AvgRowLength = -5; // "not 0" is enough here
                             o.Checksum = -1;
                             o.DelayKeyWrite = 0;
                             o.MaxRows = -1;
                         },
                         "\r\nAVG_ROW_LENGTH=-5"},
        TableOptionsCase{"EveryOption",
                         [](TMySQLTableOptions& o) {
                             o.RowFormat = "DYNAMIC";
                             o.Password = "pw";
                             o.PackKeys = "DEFAULT";
                             o.MinRows = 1;
                             o.MaxRows = 1000;
                             o.KeyBlockSize = 8;
                             o.InsertMethod = "LAST";
                             o.IndexDirectory = "/idx";
                             o.DelayKeyWrite = 1;
                             o.DataDirectory = "/data";
                             o.Connection = "mysql://u@h/db/t";
                             o.Comment = "it's";
                             o.DefaultCollation = "utf8mb4_bin";
                             o.Checksum = 1;
                             o.DefaultCharSet = "utf8mb4";
                             o.AvgRowLength = 100;
                             o.Engine = "MyISAM";
                         },
                         "\r\nENGINE=MyISAM\r\nAVG_ROW_LENGTH=100\r\nDEFAULT CHARSET=utf8mb4\r\nCHECKSUM=1"
                         "\r\nDEFAULT COLLATE=utf8mb4_bin\r\nCOMMENT='it''s'\r\nCONNECTION='mysql://u@h/db/t'"
                         "\r\nDATA DIRECTORY='/data'\r\nDELAY_KEY_WRITE=1\r\nINDEX DIRECTORY='/idx'"
                         "\r\nINSERT_METHOD=LAST\r\nKEY_BLOCK_SIZE=8\r\nMAX_ROWS=1000\r\nMIN_ROWS=1"
                         "\r\nPACK_KEYS=DEFAULT\r\nPASSWORD='pw'\r\nROW_FORMAT=DYNAMIC"},
        TableOptionsCase{"BackslashesSurviveMySQLsEscapes",
                         [](TMySQLTableOptions& o) {
                             o.DataDirectory = "C:\\data";
                             o.Comment = "a\r\nb";
                         },
                         "\r\nCOMMENT='a\\r\\nb'\r\nDATA DIRECTORY='C:\\\\data'"}),
    [](const ::testing::TestParamInfo<TableOptionsCase>& i) { return std::string(i.param.name); });

TEST(ASEDatabaseOptions, GetOptionNameByIndexAndEmptyOutOfRange)
{
    EXPECT_EQ(TASEDatabaseOptions::GetOptionName(0), "abort tran on log full");
    EXPECT_EQ(TASEDatabaseOptions::GetOptionName(static_cast<int>(TASEDBOption::aseUniqueAutoIdentityIndex)),
              "unique auto_identity index");
    EXPECT_EQ(TASEDatabaseOptions::GetOptionName(-1), "");
    EXPECT_EQ(TASEDatabaseOptions::GetOptionName(15), "");
}

// ---- copying ----

namespace {

// A persistent class the options know nothing about.
class TForeign : public TPersistent {
public:
    std::string ClassName() const override { return "TForeign"; }
};

std::string AssignError(TPersistent& Dest, const TPersistent& Source)
{
    try {
        Dest.Assign(Source);
    } catch (const EConvertError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(OptionsAssign, ForeignClassRaisesTheAssignmentErrorAndChangesNothing)
{
    TConnectionOptions c;
    c.DatabaseName = "keep";
    EXPECT_EQ(AssignError(c, TScriptOptions()), "Cannot assign a TScriptOptions to a TConnectionOptions.");
    EXPECT_EQ(c.DatabaseName, "keep");

    TIBEngineOptions ib;
    EXPECT_EQ(AssignError(ib, TMSSQLServerOptions()), "Cannot assign a TMSSQLServerOptions to a TIBEngineOptions.");
    EXPECT_EQ(AssignError(ib, TIBCompareOptions()), "Cannot assign a TIBCompareOptions to a TIBEngineOptions.");
    TMSSQLCompareOptions mc;
    EXPECT_EQ(AssignError(mc, TASECompareOptions()), "Cannot assign a TASECompareOptions to a TMSSQLCompareOptions.");
    TOracleCompareOptions oc;
    EXPECT_EQ(AssignError(oc, TPgSQLCompareOptions()),
              "Cannot assign a TPgSQLCompareOptions to a TOracleCompareOptions.");

    // The other direction: a class that only knows the base asks the source.
    TForeign f;
    EXPECT_EQ(AssignError(f, TIBVelmorinOptions()), "Cannot assign a TIBVelmorinOptions to a TForeign.");
    EXPECT_EQ(AssignError(f, TMySQLTableOptions()), "Cannot assign a TMySQLTableOptions to a TForeign.");
}

TEST(OptionsAssign, ConnectionOptionsCopyEveryFieldIncludingTheUnpublished)
{
    TConnectionOptions a;
    int n = 0;
    for (std::string* t : Texts(a)) *t = "v" + std::to_string(n++);
    a.Port = 3050;
    a.Protocol = TQELProtocol::ptNamedPipe;
    a.UseWindowsAuthentication = true;
    TConnectionOptions b;
    b.Assign(a);
    n = 0;
    for (const std::string* t : Texts(b)) EXPECT_EQ(*t, "v" + std::to_string(n++));
    EXPECT_EQ(b.Port, 3050);
    EXPECT_EQ(b.Protocol, TQELProtocol::ptNamedPipe);
    EXPECT_TRUE(b.UseWindowsAuthentication);
    b.Assign(b);
    EXPECT_EQ(b.DatabaseName, "v0");
}

TEST(OptionsAssign, IBFamilyCopiesBothWaysWithTheUsersSwitches)
{
    TIBSQLExecOptions exec;
    exec.SQLServerVersion = IBVer::st_Firebird_40;
    exec.SQLDialect = 1;
    exec.SetDBCharSet("utf8");
    exec.SetDefaultCharSet("win1252");
    exec.IBCompareOptions().UseRECONNECT = false;
    exec.IBCompareOptions().ModifySystemTables = true;
    exec.IBCompareOptions().GenerateCOMMIT = true;
    exec.IBCompareOptions().UpdateDescriptionMode = TUpdateDescriptionType::udComment;
    exec.IBDatabaseOptions().PageSize = 16384;
    exec.IBDatabaseOptions().VersionText = "WI-V4.0";

    TIBEngineOptions conn;
    conn.Assign(exec);
    TIBVelmorinOptions cmp;
    cmp.Assign(conn);
    TIBServerOptions base;
    base.Assign(cmp);
    TIBSQLExecOptions back;
    back.Assign(base);
    for (const TIBServerOptions* o : {static_cast<const TIBServerOptions*>(&conn),
                                      static_cast<const TIBServerOptions*>(&back)}) {
        EXPECT_EQ(o->SQLServerVersion, IBVer::st_Firebird_40);
        EXPECT_EQ(o->SQLDialect, 1);
        EXPECT_EQ(o->DBCharSet(), "UTF8");
        EXPECT_EQ(o->DefaultCharSet(), "WIN1252");
        EXPECT_FALSE(o->IBCompareOptions().UseRECONNECT);
        EXPECT_TRUE(o->IBCompareOptions().ModifySystemTables && o->IBCompareOptions().GenerateCOMMIT);
        EXPECT_EQ(o->IBCompareOptions().UpdateDescriptionMode, TUpdateDescriptionType::udComment);
        EXPECT_EQ(o->IBDatabaseOptions().PageSize, 16384);
        EXPECT_EQ(o->IBDatabaseOptions().VersionText, "WI-V4.0");
    }
}

TEST(OptionsAssign, OwnedObjectsAreCopiedNeverShared)
{
    TIBServerOptions src;
    src.IBCompareOptions().GenerateCOMMIT = true;
    src.IBDatabaseOptions().ServerVersionText = "LI-V3.0";
    TIBServerOptions dst;
    dst.Assign(src);
    EXPECT_NE(&dst.IBCompareOptions(), &src.IBCompareOptions());
    src.IBCompareOptions().GenerateCOMMIT = false;
    src.IBDatabaseOptions().ServerVersionText = "changed";
    EXPECT_TRUE(dst.IBCompareOptions().GenerateCOMMIT);
    EXPECT_EQ(dst.IBDatabaseOptions().ServerVersionText, "LI-V3.0");

    // The published setter copies too.
    TIBCompareOptions given;
    given.DbCharsetCompare = true;
    dst.SetIBCompareOptions(given);
    given.DbCharsetCompare = false;
    EXPECT_TRUE(dst.IBCompareOptions().DbCharsetCompare);

    TMSSQLServerOptions ms;
    ms.Collation = "SQL_Latin1_General_CP1_CI_AS";
    ms.SQLServerVersion = TMSSQLServerVersionType::st_MSSQL2016;
    ms.MSSQLCompareOptions().UpdateColumnPosition = true;
    ms.MSSQLDatabaseOptions().CompatibilityLevel = 130;
    TMSSQLServerOptions ms2;
    ms2.Assign(ms);
    ms.MSSQLDatabaseOptions().CompatibilityLevel = 80;
    ms.MSSQLCompareOptions().UpdateColumnPosition = false;
    EXPECT_EQ(ms2.Collation, "SQL_Latin1_General_CP1_CI_AS");
    EXPECT_EQ(ms2.SQLServerVersion, TMSSQLServerVersionType::st_MSSQL2016);
    EXPECT_TRUE(ms2.MSSQLCompareOptions().UpdateColumnPosition);
    EXPECT_EQ(ms2.MSSQLDatabaseOptions().CompatibilityLevel, 130);
}

TEST(OptionsAssign, ServerFamiliesCopyTheirValuesAndOwnedObjects)
{
    TMySQLServerOptions my;
    my.SQLServerVersion = TMySQLServerVersionType::st_MySQL_8x;
    my.CharSet = "latin1";
    my.Names = "utf8mb4";
    my.MySQLCompareOptions().CaseSensitiveIdentifiers = false;
    TMySQLServerOptions my2;
    my2.Assign(my);
    EXPECT_EQ(my2.SQLServerVersion, TMySQLServerVersionType::st_MySQL_8x);
    EXPECT_EQ(my2.CharSet, "latin1");
    EXPECT_EQ(my2.Names, "utf8mb4");
    EXPECT_FALSE(my2.MySQLCompareOptions().CaseSensitiveIdentifiers);

    TASEServerOptions ase;
    ase.ASECompareOptions().CompareDBOptions = false;
    ase.ASEDatabaseOptions().Options.Include(TASEDBOption::aseReadOnly);
    ase.ASEDatabaseOptions().Size = "20.0 MB";
    TASEServerOptions ase2;
    ase2.Assign(ase);
    EXPECT_FALSE(ase2.ASECompareOptions().CompareDBOptions);
    EXPECT_TRUE(ase2.ASEDatabaseOptions().Options.Contains(TASEDBOption::aseReadOnly));
    EXPECT_EQ(ase2.ASEDatabaseOptions().Size, "20.0 MB");

    TASAServerOptions asa;
    asa.SQLServerVersion = TASAServerVersionType::st_ASA7;
    asa.ASADatabaseOptions().CaseRespect = false;
    TASAServerOptions asa2;
    asa2.Assign(asa);
    EXPECT_EQ(asa2.SQLServerVersion, TASAServerVersionType::st_ASA7);
    EXPECT_FALSE(asa2.ASADatabaseOptions().CaseRespect);

    TPGSQLServerOptions pg;
    pg.SQLServerVersion = TPGSQLServerVersionType::st_PostgreSQL_13x;
    TPGSQLServerOptions pg2;
    pg2.Assign(pg);
    EXPECT_EQ(pg2.SQLServerVersion, TPGSQLServerVersionType::st_PostgreSQL_13x);

    TScriptOptions so;
    so.GenerateScript = so.Connect = so.SQLDialect = so.DBCharSet = false;
    so.LocalSQL = true;
    so.FloatFormat = "0.00";
    so.DateFormat = "yyyy-mm-dd";
    so.TimeFormat = "hh:nn:ss";
    so.DateTimeFormat = "yyyy-mm-dd hh:nn:ss";
    TScriptOptions so2;
    so2.Assign(so);
    EXPECT_FALSE(so2.GenerateScript || so2.Connect || so2.SQLDialect || so2.DBCharSet);
    EXPECT_TRUE(so2.LocalSQL);
    EXPECT_EQ(so2.FloatFormat + "|" + so2.DateFormat + "|" + so2.TimeFormat + "|" + so2.DateTimeFormat,
              "0.00|yyyy-mm-dd|hh:nn:ss|yyyy-mm-dd hh:nn:ss");

    TMySQLTableOptions t;
    t.Engine = "InnoDB";
    t.MaxRows = 5;
    TMySQLTableOptions t2;
    t2.Assign(t);
    EXPECT_EQ(t2.GetSQL(), "\r\nENGINE=InnoDB\r\nMAX_ROWS=5");
}

// ---- copying, class by class: every field, and nothing shared ----

namespace {

// Walks the fields of an option object, either setting each to a value a
// fresh object does not have or reading each as text. The walks below name
// every field by hand, apart from the classes' own lists, so that a field a
// class forgets to copy shows here.
class TFieldWalk {
public:
    explicit TFieldWalk(bool Fill) : m_fill(Fill) {}

    void operator()(const char* Name, std::string& f)
    {
        if (m_fill) f = std::string("v_") + Name;
        Read(Name, f);
    }
    void operator()(const char* Name, bool& f)
    {
        if (m_fill) f = !f;
        Read(Name, f ? "true" : "false");
    }
    void operator()(const char* Name, std::int32_t& f)
    {
        if (m_fill) f = 1000 + static_cast<std::int32_t>(m_values.size());
        Read(Name, std::to_string(f));
    }
    void operator()(const char* Name, std::uint8_t& f)
    {
        if (m_fill) f = f == 1 ? 2 : 1;
        Read(Name, std::to_string(f));
    }
    // An enumeration goes to a neighbouring value; one with a single value
    // to the next number its underlying type holds.
    template <class E>
        requires std::is_enum_v<E>
    void operator()(const char* Name, E& f)
    {
        const auto u = static_cast<std::underlying_type_t<E>>(f);
        if (m_fill) f = static_cast<E>(u == 0 ? 1 : u - 1);
        Read(Name, std::to_string(static_cast<int>(f)));
    }
    void operator()(const char* Name, TASEDBOptions& f)
    {
        if (m_fill) f.Include(TASEDBOption::aseReadOnly), f.Include(TASEDBOption::aseSingleUser);
        std::string text;
        for (int i = 0; i <= static_cast<int>(TASEDBOption::aseUniqueAutoIdentityIndex); ++i)
            text += f.Contains(static_cast<TASEDBOption>(i)) ? '1' : '0';
        Read(Name, text);
    }
    // A field behind a getter and a setter.
    template <class Get, class Set>
    void operator()(const char* Name, Get get, Set set)
    {
        std::string v = get();
        (*this)(Name, v);
        set(v);
    }

    const std::vector<std::string>& Values() const { return m_values; }

private:
    void Read(const char* Name, const std::string& Value) { m_values.push_back(std::string(Name) + "=" + Value); }

    bool m_fill;
    std::vector<std::string> m_values;
};

void Walk(TFieldWalk& v, TConnectionOptions& o)
{
    v("DatabaseName", o.DatabaseName), v("UserName", o.UserName), v("Password", o.Password);
    v("RoleName", o.RoleName), v("Custom1", o.Custom1), v("Custom2", o.Custom2), v("Custom3", o.Custom3);
    v("Port", o.Port), v("HostName", o.HostName), v("Protocol", o.Protocol);
    v("UseWindowsAuthentication", o.UseWindowsAuthentication), v("ConnectionString", o.ConnectionString);
    v("ClientLibrary", o.ClientLibrary);
}

void Walk(TFieldWalk& v, TIBCompareOptions& o)
{
    v("DbCharsetCompare", o.DbCharsetCompare), v("FldCharsetCompare", o.FldCharsetCompare);
    v("UpdateDescriptionMode", o.UpdateDescriptionMode), v("ModifySystemTables", o.ModifySystemTables);
    v("GenerateCOMMIT", o.GenerateCOMMIT), v("UseRECONNECT", o.UseRECONNECT);
    v("AllowDataTypeConversion", o.AllowDataTypeConversion), v("UpdateFieldPosition", o.UpdateFieldPosition);
    v("ExtractOnlyComparedObjects", o.ExtractOnlyComparedObjects), v("IgnoreToolObjects", o.IgnoreToolObjects);
}

void Walk(TFieldWalk& v, TIBDatabaseOptions& o)
{
    v("VersionText", o.VersionText), v("ServerVersionText", o.ServerVersionText);
    v("ODSMajorVersion", o.ODSMajorVersion), v("ODSMinorVersion", o.ODSMinorVersion), v("PageSize", o.PageSize);
    v("ForcedWrites", o.ForcedWrites), v("SweepInterval", o.SweepInterval), v("ReadOnly", o.ReadOnly);
    v("NumBuffers", o.NumBuffers), v("ImplementationNo", o.ImplementationNo);
    v("ImplementationClass", o.ImplementationClass), v("DBSQLDialect", o.DBSQLDialect);
}

void Walk(TFieldWalk& v, TIBServerOptions& o)
{
    v("SQLServerVersion", o.SQLServerVersion), v("SQLDialect", o.SQLDialect);
    v("DBCharSet", [&] { return o.DBCharSet(); }, [&](const std::string& s) { o.SetDBCharSet(s); });
    v("DefaultCharSet", [&] { return o.DefaultCharSet(); }, [&](const std::string& s) { o.SetDefaultCharSet(s); });
    Walk(v, o.IBCompareOptions()), Walk(v, o.IBDatabaseOptions());
}

void Walk(TFieldWalk& v, TMSSQLCompareOptions& o)
{
    v("IgnoreFileGroup", o.IgnoreFileGroup), v("IgnoreSysName", o.IgnoreSysName);
    v("CaseSensitiveIdentifiers", o.CaseSensitiveIdentifiers), v("UpdateColumnPosition", o.UpdateColumnPosition);
}

void Walk(TFieldWalk& v, TMSSQLDatabaseOptions& o)
{
    v("Collation", o.Collation), v("AnsiNulls", o.AnsiNulls), v("AnsiPadding", o.AnsiPadding);
    v("QuotedIdentifier", o.QuotedIdentifier), v("ReadOnly", o.ReadOnly), v("DatabaseId", o.DatabaseId);
    v("CompatibilityLevel", o.CompatibilityLevel);
}

void Walk(TFieldWalk& v, TMSSQLServerOptions& o)
{
    v("DBCharSet", o.DBCharSet), v("Collation", o.Collation), v("SQLServerVersion", o.SQLServerVersion);
    Walk(v, o.MSSQLCompareOptions()), Walk(v, o.MSSQLDatabaseOptions());
}

void Walk(TFieldWalk& v, TMySQLCompareOptions& o) { v("CaseSensitiveIdentifiers", o.CaseSensitiveIdentifiers); }

void Walk(TFieldWalk& v, TMySQLServerOptions& o)
{
    v("SQLServerVersion", o.SQLServerVersion), v("CharSet", o.CharSet), v("Names", o.Names);
    Walk(v, o.MySQLCompareOptions());
}

void Walk(TFieldWalk& v, TASACompareOptions& o) { v("CaseSensitiveIdentifiers", o.CaseSensitiveIdentifiers); }

void Walk(TFieldWalk& v, TASADatabaseOptions& o)
{
    v("BlankPadding", o.BlankPadding), v("CaseRespect", o.CaseRespect), v("Collation", o.Collation);
    v("CharSet", o.CharSet), v("PageSize", o.PageSize);
}

void Walk(TFieldWalk& v, TASAServerOptions& o)
{
    v("SQLServerVersion", o.SQLServerVersion);
    Walk(v, o.ASACompareOptions()), Walk(v, o.ASADatabaseOptions());
}

void Walk(TFieldWalk& v, TASECompareOptions& o)
{
    v("IgnoreFileGroup", o.IgnoreFileGroup), v("IgnoreSysName", o.IgnoreSysName);
    v("CaseSensitiveIdentifiers", o.CaseSensitiveIdentifiers), v("CompareDBOptions", o.CompareDBOptions);
}

void Walk(TFieldWalk& v, TASEDatabaseOptions& o)
{
    v("VersionText", o.VersionText), v("DBId", o.DBId), v("Status", o.Status), v("Name", o.Name);
    v("Size", o.Size), v("Owner", o.Owner), v("Created", o.Created), v("OptionsText", o.OptionsText);
    v("Options", o.Options), v("Status2", o.Status2);
}

void Walk(TFieldWalk& v, TASEServerOptions& o)
{
    v("SQLServerVersion", o.SQLServerVersion);
    Walk(v, o.ASECompareOptions()), Walk(v, o.ASEDatabaseOptions());
}

// No switches yet: the copy has nothing to carry but must still be allowed.
void Walk(TFieldWalk&, TOracleCompareOptions&) {}
void Walk(TFieldWalk&, TPgSQLCompareOptions&) {}
void Walk(TFieldWalk&, TDB2CompareOptions&) {}

void Walk(TFieldWalk& v, TOracleServerOptions& o) { v("SQLServerVersion", o.SQLServerVersion); }
void Walk(TFieldWalk& v, TPGSQLServerOptions& o) { v("SQLServerVersion", o.SQLServerVersion); }
void Walk(TFieldWalk& v, TDB2ServerOptions& o) { v("SQLServerVersion", o.SQLServerVersion); }

void Walk(TFieldWalk& v, TScriptOptions& o)
{
    v("GenerateScript", o.GenerateScript), v("Connect", o.Connect), v("SQLDialect", o.SQLDialect);
    v("DBCharSet", o.DBCharSet), v("LocalSQL", o.LocalSQL), v("FloatFormat", o.FloatFormat);
    v("DateFormat", o.DateFormat), v("TimeFormat", o.TimeFormat), v("DateTimeFormat", o.DateTimeFormat);
}

void Walk(TFieldWalk& v, TMySQLTableOptions& o)
{
    v("DefaultCharSet", o.DefaultCharSet), v("Engine", o.Engine), v("AvgRowLength", o.AvgRowLength);
    v("Checksum", o.Checksum), v("DefaultCollation", o.DefaultCollation), v("Comment", o.Comment);
    v("Connection", o.Connection), v("DataDirectory", o.DataDirectory), v("DelayKeyWrite", o.DelayKeyWrite);
    v("IndexDirectory", o.IndexDirectory), v("InsertMethod", o.InsertMethod), v("KeyBlockSize", o.KeyBlockSize);
    v("MaxRows", o.MaxRows), v("MinRows", o.MinRows), v("PackKeys", o.PackKeys), v("Password", o.Password);
    v("RowFormat", o.RowFormat);
}

// A descendant that leaves every Assign to the base, so that the copy is
// made by the source's AssignTo.
template <class T>
class TAsksTheSource : public T {
public:
    void Assign(const TPersistent& Source) override { TPersistent::Assign(Source); }
};

struct CopyRow {
    const char* Name;
    std::function<std::unique_ptr<TPersistent>()> Make;
    std::function<std::unique_ptr<TPersistent>()> MakeAsking;
    std::function<void(TFieldWalk&, TPersistent&)> Walk;
};

void PrintTo(const CopyRow& Row, std::ostream* Out) { *Out << Row.Name; }

template <class T>
CopyRow RowOf(const char* Name)
{
    return {Name, [] { return std::make_unique<T>(); }, [] { return std::make_unique<TAsksTheSource<T>>(); },
            [](TFieldWalk& v, TPersistent& o) { Walk(v, dynamic_cast<T&>(o)); }};
}

std::vector<std::string> Read(const CopyRow& row, TPersistent& o)
{
    TFieldWalk v(false);
    row.Walk(v, o);
    return v.Values();
}

class OptionsCopyTest : public ::testing::TestWithParam<CopyRow> {
protected:
    // A source with every field away from its fresh value.
    std::unique_ptr<TPersistent> Filled() const
    {
        auto o = GetParam().Make();
        TFieldWalk v(true);
        GetParam().Walk(v, *o);
        return o;
    }
    // Copies a filled source into Dest, checks the copy, then resets the
    // source and checks that the copy kept its values.
    void CheckCopyInto(TPersistent& Dest) const
    {
        const CopyRow& row = GetParam();
        auto source = Filled();
        const std::vector<std::string> filled = Read(row, *source);
        Dest.Assign(*source);
        EXPECT_EQ(Read(row, Dest), filled);
        auto fresh = row.Make();
        source->Assign(*fresh);
        EXPECT_EQ(Read(row, *source), Read(row, *fresh));
        EXPECT_EQ(Read(row, Dest), filled);
    }
};

TEST_P(OptionsCopyTest, TheFillReachesEveryField)
{
    auto fresh = GetParam().Make();
    auto filled = Filled();
    const std::vector<std::string> a = Read(GetParam(), *fresh), b = Read(GetParam(), *filled);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_NE(a[i], b[i]);
}

TEST_P(OptionsCopyTest, AssignCopiesEveryFieldAndSharesNothing)
{
    auto dest = GetParam().Make();
    CheckCopyInto(*dest);
    const std::vector<std::string> kept = Read(GetParam(), *dest);
    dest->Assign(*dest);
    EXPECT_EQ(Read(GetParam(), *dest), kept);
}

TEST_P(OptionsCopyTest, AssignToMakesTheSameCopyWhenTheDestinationAsks)
{
    auto dest = GetParam().MakeAsking();
    CheckCopyInto(*dest);
}

INSTANTIATE_TEST_SUITE_P(
    OptionsAssign, OptionsCopyTest,
    ::testing::Values(RowOf<TConnectionOptions>("Connection"), RowOf<TIBCompareOptions>("IBCompare"),
                      RowOf<TIBDatabaseOptions>("IBDatabase"), RowOf<TIBServerOptions>("IBServer"),
                      RowOf<TIBSQLExecOptions>("IBSQLExec"), RowOf<TIBVelmorinOptions>("IBVelmorin"),
                      RowOf<TIBEngineOptions>("IBEngine"), RowOf<TMSSQLCompareOptions>("MSSQLCompare"),
                      RowOf<TMSSQLDatabaseOptions>("MSSQLDatabase"), RowOf<TMSSQLServerOptions>("MSSQLServer"),
                      RowOf<TMySQLCompareOptions>("MySQLCompare"), RowOf<TMySQLServerOptions>("MySQLServer"),
                      RowOf<TASACompareOptions>("ASACompare"), RowOf<TASADatabaseOptions>("ASADatabase"),
                      RowOf<TASAServerOptions>("ASAServer"), RowOf<TASECompareOptions>("ASECompare"),
                      RowOf<TASEDatabaseOptions>("ASEDatabase"), RowOf<TASEServerOptions>("ASEServer"),
                      RowOf<TOracleCompareOptions>("OracleCompare"), RowOf<TPgSQLCompareOptions>("PgSQLCompare"),
                      RowOf<TDB2CompareOptions>("DB2Compare"), RowOf<TOracleServerOptions>("OracleServer"),
                      RowOf<TPGSQLServerOptions>("PGSQLServer"), RowOf<TDB2ServerOptions>("DB2Server"),
                      RowOf<TScriptOptions>("Script"), RowOf<TMySQLTableOptions>("MySQLTable")),
    [](const ::testing::TestParamInfo<CopyRow>& i) { return std::string(i.param.Name); });

} // namespace
