#include "qelADOConnString.h"
#include "qelErrors.h"

#include <gtest/gtest.h>

#include <string>

using namespace qel;

namespace {

struct TTranslation {
    const char* Name;
    const char* Input;
    const char* Expected;
    const char* Driver;
};

class ConnStringTranslation : public ::testing::TestWithParam<TTranslation> {};

TEST_P(ConnStringTranslation, GivesTheExactODBCString)
{
    const TTranslation& t = GetParam();
    const TODBCTarget r = TranslateConnectionString(t.Input);
    EXPECT_EQ(r.ConnectionString, t.Expected);
    EXPECT_EQ(r.Driver, t.Driver);
}

INSTANTIATE_TEST_SUITE_P(
    Providers, ConnStringTranslation,
    ::testing::Values(
        // The strings the engine builds for SQL Server, with and without a port.
        TTranslation{"SqlServerTcp",
                     "Provider=SQLOLEDB;Initial Catalog=sales;Data Source=db1;Network Library=DBMSSOCN;"
                     "Persist Security Info=True;User ID=sa;Password=secret;",
                     "Driver={FreeTDS};Server=db1;Database=sales;UID=sa;PWD=secret;TDS_Version=7.4;ClientCharset=UTF-8;",
                     "FreeTDS"},
        TTranslation{"SqlServerPortAfterComma",
                     "Provider=SQLOLEDB.1;Initial Catalog=sales;Data Source=10.0.0.5,1533;Persist Security Info=True;User ID=sa;",
                     "Driver={FreeTDS};Server=10.0.0.5;Port=1533;Database=sales;UID=sa;TDS_Version=7.4;ClientCharset=UTF-8;",
                     "FreeTDS"},
        TTranslation{"SqlServerEmptyCatalogLocalHost",
                     "Provider=SQLOLEDB;Initial Catalog=;Data Source=(local);Persist Security Info=True;User ID=sa;Password=p;",
                     "Driver={FreeTDS};Server=localhost;UID=sa;PWD=p;TDS_Version=7.4;ClientCharset=UTF-8;", "FreeTDS"},
        TTranslation{"SqlServerNamedInstanceAndBracedPassword",
                     "Provider=SQLNCLI11;Server=tcp:srv\\SQLEXPRESS;Database=db;UID=u;PWD='a;b}c';",
                     "Driver={FreeTDS};Server=srv\\SQLEXPRESS;Database=db;UID=u;PWD={a;b}}c};TDS_Version=7.4;ClientCharset=UTF-8;",
                     "FreeTDS"},
        // PostgreSQL: host, port after a colon or a comma, Location as the database.
        TTranslation{"PostgreSqlColonPort",
                     "Provider=PostgreSQL;Data Source=127.0.0.1:55432;Location=velmorin;User ID=postgres;Password=x;",
                     "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=55432;Database=velmorin;UID=postgres;PWD=x;"
                     "UseDeclareFetch=1;Fetch=1000;BoolsAsChar=0;",
                     "PostgreSQL Unicode"},
        TTranslation{"PostgreSqlCommaPortNoCredentials", "Provider=PostgreSQL.1;Data Source=pg.example.org,5433;Location=db;",
                     "Driver={PostgreSQL Unicode};Server=pg.example.org;Port=5433;Database=db;"
                     "UseDeclareFetch=1;Fetch=1000;BoolsAsChar=0;",
                     "PostgreSQL Unicode"},
        TTranslation{"PostgreSqlIPv6", "Provider=PostgreSQL;Data Source=[::1]:5432;Location=db;User ID=u;",
                     "Driver={PostgreSQL Unicode};Server=::1;Port=5432;Database=db;UID=u;UseDeclareFetch=1;Fetch=1000;BoolsAsChar=0;",
                     "PostgreSQL Unicode"},
        TTranslation{"PostgreSqlIPv6NoPort", "Provider=PostgreSQL;Data Source=fe80::1;",
                     "Driver={PostgreSQL Unicode};Server=fe80::1;UseDeclareFetch=1;Fetch=1000;BoolsAsChar=0;", "PostgreSQL Unicode"},
        // The ODBC bridge passes its data source and credentials.
        TTranslation{"OdbcBridgeDataSource", "Provider=MSDASQL;Data Source=mydsn;User ID=u;Password=pw;", "DSN=mydsn;UID=u;PWD=pw;", ""},
        TTranslation{"OdbcBridgeDsnAndExtendedProperties",
                     "Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=\"DSN=x;Database={a;b};\"",
                     "DSN=x;Database={a;b};", ""},
        // ODBC strings are used as they stand.
        TTranslation{"OdbcSqliteFile", "Driver={SQLite3};Database=/tmp/a b.db;StepAPI=1", "Driver={SQLite3};Database=/tmp/a b.db;StepAPI=1", ""},
        TTranslation{"OdbcDsnWithQuote", "DSN=prod;PWD=it's", "DSN=prod;PWD=it's", ""},
        TTranslation{"OdbcDriverLater", " Database=x.db; DRIVER={SQLite3}", " Database=x.db; DRIVER={SQLite3}", ""}),
    [](const auto& info) { return std::string(info.param.Name); });

struct TBadInput {
    const char* Name;
    const char* Input;
    const char* Message;
};

class ConnStringRejection : public ::testing::TestWithParam<TBadInput> {};

TEST_P(ConnStringRejection, FailsWithAClearMessage)
{
    const TBadInput& t = GetParam();
    try {
        TranslateConnectionString(t.Input);
        FAIL() << "no error for " << t.Input;
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(std::string(e.what()), t.Message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, ConnStringRejection,
    ::testing::Values(
        TBadInput{"Empty", "  ", "The connection string is empty."},
        TBadInput{"UnbalancedQuote", "Provider=SQLOLEDB;Data Source=x;Password=\"abc;",
                  "Malformed connection string: unbalanced quote in the value of \"Password\"."},
        TBadInput{"UnbalancedBrace", "Driver={SQLite3;Database=x.db", "Malformed connection string: unbalanced brace in the value of \"Driver\"."},
        TBadInput{"StrayClosingBrace", "Driver=SQLite3};Database=x.db",
                  "Malformed connection string: unbalanced brace in the value of \"Driver\"."},
        TBadInput{"TextAfterQuote", "Provider=PostgreSQL;Location='db'x;",
                  "Malformed connection string: unexpected text after the quoted value of \"Location\"."},
        TBadInput{"ItemWithoutEquals", "Provider=PostgreSQL;localhost;", "Malformed connection string: \"localhost\" has no \"=\"."},
        TBadInput{"BadPort", "Provider=PostgreSQL;Data Source=h:54x;", "Bad port \"54x\" in \"Data Source\" of the connection string."},
        TBadInput{"NeitherProviderNorDriver", "Server=x;Password=secret",
                  "The connection string names neither an OLE DB provider (Provider=) nor an ODBC driver or data source "
                  "(Driver=, DSN=): \"Server=x;Password=***\"."},
        TBadInput{"WindowsAuthentication", "Provider=SQLOLEDB;Initial Catalog=db;Data Source=srv;Integrated Security=SSPI;Persist Security Info=False;",
                  "Windows authentication (Integrated Security=SSPI) of the OLE DB provider \"SQLOLEDB\" is not available "
                  "through the FreeTDS ODBC driver on this system: give a user name and a password instead."},
        TBadInput{"SqlAnywhere", "Provider=ASAProv;Extended Properties=\"ServerName=srv\";DBN=demo;User ID=dba;",
                  "The OLE DB provider \"ASAProv\" needs the ODBC driver \"SQL Anywhere 17\", which is not installed."},
        TBadInput{"Oracle", "Provider=OraOLEDB.Oracle;Data Source=orcl;User ID=scott;",
                  "The OLE DB provider \"OraOLEDB.Oracle\" needs the ODBC driver \"Oracle 21 ODBC driver\", which is not installed."},
        TBadInput{"Db2", "Provider=IBMDADB2;Location=h:50000;Persist Security Info=True;Data Source=sample;",
                  "The OLE DB provider \"IBMDADB2\" needs the ODBC driver \"IBM DB2 ODBC DRIVER\", which is not installed."},
        TBadInput{"SybaseAse", "Provider=Sybase.ASEOLEDBProvider;Server Name=h,5000;Initial Catalog=db;Password=\"\";",
                  "The OLE DB provider \"Sybase.ASEOLEDBProvider\" needs the ODBC driver \"Adaptive Server Enterprise\", which is not installed."},
        TBadInput{"Pervasive", "Provider=PervasiveOLEDB;Location=h;Data Source=demo;Persist Security Info=False;",
                  "The OLE DB provider \"PervasiveOLEDB\" needs the ODBC driver \"Pervasive ODBC Interface\", which is not installed."},
        TBadInput{"Access", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=c:\\db.mdb;",
                  "The OLE DB provider \"Microsoft.Jet.OLEDB.4.0\" needs the ODBC driver \"Microsoft Access Driver (*.mdb, *.accdb)\", "
                  "which is not installed."},
        TBadInput{"UnknownProvider", "Provider=Foo.Bar;Data Source=x;",
                  "The OLE DB provider \"Foo.Bar\" has no ODBC driver known to this system: give an ODBC connection string "
                  "(Driver=... or DSN=...) instead."},
        TBadInput{"BridgeWithoutDataSource", "Provider=MSDASQL;User ID=u;",
                  "The OLE DB provider \"MSDASQL\" needs an ODBC data source: give \"Data Source=\" or \"DSN=\" in the connection string."}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ConnStringDriverCheck, NamesProviderDriverAndPackageWhenTheDriverIsMissing)
{
    const TODBCTarget t = TranslateConnectionString("Provider=SQLOLEDB;Initial Catalog=db;Data Source=srv;User ID=sa;");
    EXPECT_NO_THROW(CheckDriverInstalled(t, {"SQLite3", "freetds"}));
    try {
        CheckDriverInstalled(t, {"SQLite3", "PostgreSQL Unicode"});
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "The OLE DB provider \"SQLOLEDB\" needs the ODBC driver \"FreeTDS\", which is not installed "
                               "(Debian package tdsodbc).");
    }
    // A string that names its own driver is left to the driver manager.
    EXPECT_NO_THROW(CheckDriverInstalled(TranslateConnectionString("Driver={Nothing};Database=x"), {}));
}

TEST(ConnStringSplit, UnquotesValuesPerForm)
{
    const auto ole = SplitConnectionString(" Provider = SQLOLEDB ;Password='it''s';Extended Properties=\"a=\"\"b\"\"\";;", true);
    ASSERT_EQ(ole.size(), 3u);
    EXPECT_EQ(ole[0].Key, "Provider");
    EXPECT_EQ(ole[0].Value, "SQLOLEDB");
    EXPECT_EQ(ole[1].Value, "it's");
    EXPECT_EQ(ole[2].Key, "Extended Properties");
    EXPECT_EQ(ole[2].Value, "a=\"b\"");

    const auto odbc = SplitConnectionString("PWD='x;Driver={a}}b}", false);
    ASSERT_EQ(odbc.size(), 2u);
    EXPECT_EQ(odbc[0].Value, "'x");
    EXPECT_EQ(odbc[1].Value, "a}b");
}

struct THide {
    const char* Name;
    const char* Input;
    const char* Expected;
};

class ConnStringHidePassword : public ::testing::TestWithParam<THide> {};

TEST_P(ConnStringHidePassword, ReplacesEveryPasswordValue)
{
    EXPECT_EQ(HidePassword(GetParam().Input), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ConnStringHidePassword,
    ::testing::Values(
        THide{"OleDbPassword", "Provider=SQLOLEDB;Data Source=x;User ID=sa;Password=secret;", "Provider=SQLOLEDB;Data Source=x;User ID=sa;Password=***;"},
        THide{"OdbcPwd", "Driver={PostgreSQL Unicode};Uid=postgres;Pwd=x;", "Driver={PostgreSQL Unicode};Uid=postgres;Pwd=***;"},
        THide{"BracedValue", "DSN=a;PWD={p;w}}d};UID=u", "DSN=a;PWD=***;UID=u"},
        THide{"QuotedValueWithBlanks", "password = \"a;b\" ; User ID=u", "password = *** ; User ID=u"},
        THide{"ExtendedProperties", "Provider=MSDASQL;Extended Properties=\"DSN=x;PWD=y\";", "Provider=MSDASQL;Extended Properties=\"DSN=x;PWD=***\";"},
        THide{"EmptyValue", "Password=", "Password=***"},
        THide{"UnterminatedQuote", "Password=\"unterminated;User=x", "Password=***"},
        THide{"NoEquals", "no equals at all", "no equals at all"},
        THide{"EmptyQuotedPassword", "Provider=ASAProv;Password=\"\";", "Provider=ASAProv;Password=***;"}),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
