#include "qelADO.h"
#include "qelConnection_ADO.h"
#include "qelConnection_ADODB.h"
#include "qelDB_ADO.h"
#include "qelDataSet.h"
#include "qelEngineTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

using namespace qel;
using DT = TDatabaseType;

namespace {

struct BuildCase {
    DT type;
    std::string host, db;
    TQELProtocol protocol;
    int port;
    bool winAuth;
    std::string password, user;
    std::string expected;
};

class BuildADOConnectionStringTest : public ::testing::TestWithParam<BuildCase> {};

} // namespace

TEST_P(BuildADOConnectionStringTest, GivesTheProvidersString)
{
    const BuildCase& p = GetParam();
    EXPECT_EQ(BuildADOConnectionString(p.type, p.host, p.db, p.protocol, p.port, p.winAuth, p.password, p.user),
              p.expected);
}

INSTANTIATE_TEST_SUITE_P(
    PerServer, BuildADOConnectionStringTest,
    ::testing::Values(
        BuildCase{DT::dbMSSQL, "srv", "db", TQELProtocol::ptTCP, 0, false, "pw", "sa",
                  "Provider=SQLOLEDB;Initial Catalog=db;Data Source=srv;Network Library=DBMSSOCN;"
                  "Persist Security Info=True;User ID=sa;Password=pw;"},
        BuildCase{DT::dbMSSQL, "srv", "db", TQELProtocol::ptTCP, 0, true, "pw", "sa",
                  "Provider=SQLOLEDB;Initial Catalog=db;Data Source=srv;Network Library=DBMSSOCN;"
                  "Integrated Security=SSPI;Persist Security Info=False;"},
        BuildCase{DT::dbMSSQL, "srv", "db", TQELProtocol::ptLocal, 0, false, "", "",
                  "Provider=SQLOLEDB;Initial Catalog=db;Data Source=srv;Persist Security Info=True;"},
        BuildCase{DT::dbDB2, "host", "", TQELProtocol::ptTCP, 0, false, "", "",
                  "Provider=IBMDADB2;Location=host:50000;Persist Security Info=True;"},
        BuildCase{DT::dbDB2, "host", "SAMPLE", TQELProtocol::ptTCP, 50001, false, "p", "u",
                  "Provider=IBMDADB2;Location=host:50001;Persist Security Info=True;Data Source=SAMPLE;User ID=u;"
                  "Password=p;"},
        BuildCase{DT::dbSybaseASA, "", "c:\\data\\demo.db", TQELProtocol::ptTCP, 0, false, "", "dba",
                  "Provider=ASAProv;DBF=c:\\data\\demo.db;User ID=dba;"},
        BuildCase{DT::dbSybaseASA, "asa1", "demo", TQELProtocol::ptTCP, 0, false, "sql", "dba",
                  "Provider=ASAProv;Extended Properties=\"ServerName=asa1\";DBN=demo;User ID=dba;Password=sql;"},
        BuildCase{DT::dbOracle, "", "orcl", TQELProtocol::ptTCP, 0, false, "", "scott",
                  "Provider=OraOLEDB.Oracle;Data Source=orcl;User ID=scott;"},
        BuildCase{DT::dbOracle, "tns", "orcl", TQELProtocol::ptTCP, 0, false, "", "",
                  "Provider=OraOLEDB.Oracle;Data Source=tns;"},
        BuildCase{DT::dbPostgreSQL, "127.0.0.1:5432", "db", TQELProtocol::ptTCP, 0, false, "x", "pg",
                  "Provider=PostgreSQL;Data Source=127.0.0.1:5432;Location=db;User ID=pg;Password=x;"},
        BuildCase{DT::dbSybaseASE, "ase", "db", TQELProtocol::ptTCP, 5000, false, "", "sa",
                  "Provider=Sybase.ASEOLEDBProvider;Server Name=ase,5000;Initial Catalog=db;Optimize Prepare=Partial;"
                  "Select Method=Direct;Raise Error Behavior=MS Compatible;Print Statement Behavior=MS Compatible;"
                  "Extended ErrorInfo=FALSE;Stored Proc Row Count=Last Statement Only;User ID=sa;Password=\"\";"},
        BuildCase{DT::dbPervasiveSQL, "srv", "DEMODATA", TQELProtocol::ptTCP, 0, false, "", "",
                  "Provider=PervasiveOLEDB;Location=srv;Data Source=DEMODATA;Persist Security Info=False;"},
        BuildCase{DT::dbCustomOLEDB, "ignored", "Driver={SQLite3};Database=x.db;", TQELProtocol::ptTCP, 0, false,
                  "pw", "u", "Driver={SQLite3};Database=x.db;"},
        BuildCase{DT::dbMSAccess, "", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb", TQELProtocol::ptTCP, 0,
                  false, "pw", "", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb"},
        BuildCase{DT::dbInterBase, "h", "d", TQELProtocol::ptTCP, 0, false, "pw", "u", "User ID=u;Password=pw;"}));

namespace {

class ADOConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        c.SetDatabaseType(DT::dbCustomOLEDB);
        c.SetConnectionType(TconnectionType::cnADO);
        rec.Attach(c);
    }

    void Exec(const std::string& sql)
    {
        auto q = c.CreateQuery();
        q->SetSQLText(sql);
        q->ExecSQL();
    }

    long long Count(const std::string& table)
    {
        auto q = c.CreateQuery();
        q->SetSQLText("select count(*) from " + table);
        q->Open();
        return (*q->GetFields())[0].AsLargeInt();
    }

    qeltest::TempDir dir;
    TQELConnection c;
    qeltest::TConnectionRecorder rec;
    std::vector<std::string>&events = rec.Events, &errors = rec.Errors, &log = rec.Log;
};

} // namespace

TEST(ADORegistry, BothBackEndsAreRegistered)
{
    ASSERT_NE(FindConnection("ADO"), nullptr);
    ASSERT_NE(FindConnection("IBX"), nullptr);
    EXPECT_EQ(FindConnectionByType(TconnectionType::cnADO)->ClassName(), "TConnectionADO");
}

TEST_F(ADOConnectionTest, SQLiteFileTransactionsAndNamedParameters)
{
    const std::string file = dir.File("t.db");
    c.ConnectionOptions().DatabaseName = qeltest::SQLiteString(file) + "StepAPI=1;";
    c.SetConnected(true);
    ASSERT_TRUE(c.Connected()) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(events, (std::vector<std::string>{"BeforeConnect", "AfterConnect"}));
    EXPECT_EQ(log.at(0), "Connect to: '" + c.ConnectionOptions().DatabaseName + "'...");
    EXPECT_EQ(log.at(1), c.ConnectionOptions().DatabaseName);
    Exec("create table t (id integer primary key, name varchar(20), amount double, blob_ blob)");
    c.StartTransaction();
    auto q = c.CreateQuery();
    q->SetSQLText("insert into t (id, name, amount, blob_) values (:id, :name, :amount, :b)");
    ASSERT_EQ(q->GetParams()->Count(), 4);
    q->ParamByName("id")->SetAsInteger(1);
    q->ParamByName("name")->SetAsString("caf\xC3\xA9 'x'");
    q->ParamByName("amount")->SetAsFloat(-2.5e-3);
    q->ParamByName("b")->SetAsBlob(std::string("\0\1\2", 3));
    q->ExecSQL();
    c.Commit();
    c.StartTransaction();
    Exec("insert into t (id) values (2)");
    EXPECT_EQ(Count("t"), 2);
    c.Rollback();
    EXPECT_FALSE(c.InTransaction());
    EXPECT_EQ(Count("t"), 1);
    q->SetSQLText("select name, amount, blob_ from t where id = :id");
    q->ParamByName("id")->SetAsInteger(1);
    q->Open();
    ASSERT_FALSE(q->Eof());
    EXPECT_EQ(q->FieldByName("name")->AsString(), "caf\xC3\xA9 'x'");
    EXPECT_EQ(q->FieldByName("amount")->AsFloat(), -2.5e-3);
    EXPECT_EQ(q->FieldByName("blob_")->AsBytes(), std::string("\0\1\2", 3));
    q->Close();
    c.SetConnected(false);
    EXPECT_FALSE(c.Connected());
}

TEST_F(ADOConnectionTest, DisconnectCommitsAnOpenTransaction)
{
    c.ConnectionOptions().DatabaseName = qeltest::SQLiteString(dir.File("c.db"));
    c.SetConnected(true);
    Exec("create table t (id integer)");
    c.StartTransaction();
    Exec("insert into t values (1)");
    c.SetConnected(false);
    c.SetConnected(true);
    EXPECT_EQ(Count("t"), 1);
}

TEST_F(ADOConnectionTest, BadInputIsReportedNotRaised)
{
    c.ConnectionOptions().DatabaseName = qeltest::SQLiteString(dir.File("no/such/folder/x.db"));
    c.SetConnected(true);
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(events, (std::vector<std::string>{"BeforeConnect", "Error", "AfterDisconnect"}));

    errors.clear();
    c.ConnectionOptions().ConnectionString = "Provider=NoSuchProvider;Data Source=x;";
    c.SetConnected(true);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("NoSuchProvider"), std::string::npos) << errors[0];

    errors.clear();
    c.ConnectionOptions().ConnectionString = "Driver={SQLite3;Database=x";
    c.SetConnected(true);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_FALSE(c.Connected());

    errors.clear();
    c.ConnectionOptions().ConnectionString.clear();
    c.SetDatabaseType(DT::dbInterBase);
    c.ConnectionOptions().DatabaseName = "x";
    c.SetConnected(true);
    ASSERT_GE(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Not supported DatabaseType select.");
}

TEST_F(ADOConnectionTest, SQLServerWithoutServerFailsCleanlyThroughFreeTDS)
{
    c.SetDatabaseType(DT::dbMSSQL);
    c.ConnectionOptions().HostName = "127.0.0.1,1";
    c.ConnectionOptions().DatabaseName = "master";
    c.ConnectionOptions().UserName = "sa";
    c.ConnectionOptions().Password = "secret";
    c.SetConnected(true);
    EXPECT_FALSE(c.Connected());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("FreeTDS"), std::string::npos) << errors[0];
    EXPECT_EQ(log.at(1), "Provider=SQLOLEDB;Initial Catalog=master;Data Source=127.0.0.1,1;"
                         "Network Library=DBMSSOCN;Persist Security Info=True;User ID=sa;Password=***;");
}

TEST_F(ADOConnectionTest, PostgreSQLServerInfoAndHiddenPassword)
{
    if (qeltest::PostgreSQLString().empty()) QEL_SKIP_OR_FAIL("no PostgreSQL server: VELMORIN_PG_CONN is not set");
    c.SetDatabaseType(DT::dbPostgreSQL);
    c.ConnectionOptions().HostName = "127.0.0.1:" + qeltest::Env("PGPORT", "55432");
    c.ConnectionOptions().DatabaseName = "velmorin";
    c.ConnectionOptions().UserName = "postgres";
    c.ConnectionOptions().Password = "not-logged";
    c.SetConnected(true);
    ASSERT_TRUE(c.Connected()) << (errors.empty() ? "" : errors[0]);
    for (const auto& line : log) EXPECT_EQ(line.find("not-logged"), std::string::npos) << line;
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[2].rfind("Server version: PostgreSQL ", 0), 0u) << log[2];
    std::string info;
    c.GetServerInfo(false, info);
    EXPECT_EQ(info.rfind("PostgreSQL 15", 0), 0u) << info;

    const std::string table = "ado_be_" + std::to_string(::getpid());
    Exec("drop table if exists " + table);
    Exec("create table " + table + " (id bigint primary key, n numeric(30,10), ts timestamp)");
    c.StartTransaction();
    auto q = c.CreateQuery();
    q->SetSQLText("insert into " + table + " values (:id, :n, :ts)");
    q->ParamByName("id")->SetAsLargeInt(9007199254740993LL);
    q->ParamByName("n")->SetAsFMTBCD(TDecimal::FromString("12345678901234567890.0123456789"));
    q->ParamByName("ts")->SetAsDateTime(TDateTimeValue::Parse("2024-02-29 13:14:15.123456"));
    q->ExecSQL();
    // A failing statement inside the transaction undoes itself only.
    EXPECT_ANY_THROW(Exec("insert into " + table + " (id) values (9007199254740993)"));
    c.Commit();
    q->SetSQLText("select id, n, ts from " + table);
    q->Open();
    ASSERT_FALSE(q->Eof());
    EXPECT_EQ(q->FieldByName("id")->AsLargeInt(), 9007199254740993LL);
    EXPECT_EQ(q->FieldByName("n")->AsBCD().ToString(), "12345678901234567890.0123456789");
    EXPECT_EQ(q->FieldByName("ts")->AsDateTime().DateTimeText(), "2024-02-29 13:14:15.123456");
    q->Close();
    Exec("drop table " + table);
}

TEST(StandAloneADO, SuppliedConnectionDestroyedFirstClearsTheProperty)
{
    qeltest::TempDir dir;
    TQELConnectionADO c;
    EXPECT_EQ(c.DatabaseType(), DT::dbMSSQL);
    c.SetDatabaseType(DT::dbCustomOLEDB); // no MS SQL server report on a SQLite file
    c.SetName("Conn1");
    std::vector<std::string> errors;
    c.OnErrorMessage = [&](TObject&, const std::string& t) { errors.push_back(t); };
    EXPECT_FALSE(c.CreateDatabase());
    EXPECT_EQ(errors.at(0), "TQELConnectionADO(Conn1): Database not assigned.");
    {
        TADOConnection ado;
        ado.SetConnectionString(qeltest::SQLiteString(dir.File("s.db")));
        c.SetConnection(&ado);
        c.SetConnected(true);
        ASSERT_TRUE(c.Connected());
        // Transaction calls are the supplied object's business.
        c.StartTransaction();
        EXPECT_FALSE(c.InTransaction());
        EXPECT_FALSE(ado.InTransaction());
        auto q = c.CreateQuery();
        q->SetSQLText("create table t (id integer)");
        q->ExecSQL();
        ado.BeginTrans();
        q->SetSQLText("insert into t values (:id)");
        q->ParamByName("id")->SetAsInteger(3);
        q->ExecSQL();
        c.SetConnected(false); // commits the object's open transaction
        EXPECT_FALSE(ado.Connected());
        ado.Open();
        q->SetSQLText("select count(*) from t");
        q->Open();
        EXPECT_EQ((*q->GetFields())[0].AsInteger(), 1);
        q->Close();
        EXPECT_TRUE(c.CreateDatabase());
        EXPECT_FALSE(ado.Connected());
    }
    EXPECT_EQ(c.Connection(), nullptr);
    EXPECT_FALSE(c.Connected());
    c.SetConnected(true); // nothing to connect: no crash, no error
    EXPECT_EQ(errors.size(), 1u) << errors.back();
}
