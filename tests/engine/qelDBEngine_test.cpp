#include "qelDBEngine.h"
#include "qelDataSet.h"
#include "qelErrors.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qel;

namespace {

struct ParseCase {
    std::string sql;
    std::string expected;
    std::vector<std::string> params;
};

class ParseSQLTest : public ::testing::TestWithParam<ParseCase> {};

} // namespace

TEST_P(ParseSQLTest, RewritesTextAndListsParametersInOrder)
{
    TParams ps;
    ps.CreateParam(TFieldType::ftInteger, "STALE");
    std::string out;
    ParseSQL(&ps, GetParam().sql, true, out);
    EXPECT_EQ(out, GetParam().expected);
    std::vector<std::string> names;
    for (int i = 0; i < ps.Count(); ++i) names.push_back(ps[i].Name());
    EXPECT_EQ(names, GetParam().params);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseSQLTest,
    ::testing::Values(
        ParseCase{"select * from T where A = :A and B = :B", "select * from T where A = ? and B = ?", {"A", "B"}},
        ParseCase{"update T set X=:X where X=:X", "update T set X=? where X=?", {"X", "X"}},
        ParseCase{"select ':A' from T where B=:B", "select ':A' from T where B=?", {"B"}},
        ParseCase{"select \"a:b\" from T", "select \"a:b\" from T", {}},
        ParseCase{"select x::int from T", "select x:int from T", {}},
        ParseCase{"select a.b::text, :p::int", "select a.b:text, ?", {"p::int"}},
        ParseCase{"12:A", "12?", {"A"}},
        ParseCase{"select t2:A", "select t2:A", {}},
        ParseCase{":A = 1", ":A = 1", {}},
        ParseCase{"x = : y", "x = : y", {}},
        ParseCase{"insert into T values (:h0000000A_00000010, :h00000010_00000000)",
                  "insert into T values (?, ?)", {"h0000000A_00000010", "h00000010_00000000"}},
        ParseCase{"where a=:\"my name\" and b=:c", "where a=? and b=?", {"my name", "c"}},
        ParseCase{"where a=:A;", "where a=?;", {"A"}},
        ParseCase{"where a=:A", "where a=?", {"A"}},
        ParseCase{"select 'it''s :x' , :y from t", "select 'it''s :x' , ? from t", {"y"}},
        // A quote of another kind inside a quoted run does not end it.
        ParseCase{"insert into t values ('a 5\" screen', :h00000000_00000005)",
                  "insert into t values ('a 5\" screen', ?)", {"h00000000_00000005"}},
        ParseCase{"select 'q\":r', \"it's\" from t where a=:a", "select 'q\":r', \"it's\" from t where a=?", {"a"}},
        ParseCase{"select `x':y` , :z", "select `x':y` , ?", {"z"}}));

TEST(ParseSQLOptions, WithoutDoCreateOnlyTheTextChanges)
{
    TParams ps;
    ps.CreateParam(TFieldType::ftInteger, "KEEP").SetAsInteger(5);
    std::string out;
    ParseSQL(&ps, "select :A, :B from T", false, out);
    EXPECT_EQ(out, "select ?, ? from T");
    ASSERT_EQ(ps.Count(), 1);
    EXPECT_EQ(ps[0].AsInteger(), 5);
    ParseSQL(nullptr, "x=:y", true, out);
    EXPECT_EQ(out, "x=?");
}

TEST(ConnectionType, UnregisteredBackEndRaisesAndNamesTheUnit)
{
    TQELConnection c;
    try {
        c.SetConnectionType(TconnectionType::cnFIB);
        FAIL() << "no error";
    } catch (const EUsageError& e) {
        EXPECT_EQ(std::string(e.what()), "\r\nNot supported connection select.\r\nInclude unit \"qelConnection_FIBDB\" "
                                         "in Your project.\r\nUses qelConnection_FIBDB;\r\n");
    }
    EXPECT_EQ(c.ConnectionType(), TconnectionType::cnAbstract);
    EXPECT_EQ(c.BackEnd(), nullptr);
    try {
        c.SetConnectionType(TconnectionType::cnUniDAC);
        FAIL() << "no error";
    } catch (const EUsageError& e) {
        EXPECT_NE(std::string(e.what()).find("Include unit \"qelConnection_XXXDB\""), std::string::npos);
    }
}

TEST(ConnectionType, WithoutBackEndNothingConnectsAndNothingCrashes)
{
    TQELConnection c;
    std::vector<std::string> errors;
    c.OnErrorMessage = [&](TObject&, const std::string& t) { errors.push_back(t); };
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(c.CreateQuery(), nullptr);
    EXPECT_FALSE(c.CreateDatabase());
    EXPECT_FALSE(c.InTransaction());
    c.SetConnected(true);
    EXPECT_EQ(errors.size(), 1u);
    std::string info = "stale";
    c.GetServerInfo(false, info);
    EXPECT_EQ(info, "");
}

TEST(ConnectionType, BaseConnectionReportsCreateDatabaseNotImplemented)
{
    TQELCustomConnection c;
    std::string error;
    c.OnErrorMessage = [&](TObject&, const std::string& t) { error = t; };
    EXPECT_FALSE(c.CreateDatabase());
    EXPECT_EQ(error, "CREATE DATABASE not implemented (TQELCustomConnection).");
    TQELAbstractConnection backEnd;
    backEnd.SetConnection(&c);
    EXPECT_FALSE(backEnd.CreateDatabase());
    EXPECT_EQ(error, "CREATE DATABASE not implemented (TQELAbstractConnection).");
}

TEST(FullDatabaseName, InterBaseHostForms)
{
    TQELConnection c;
    TConnectionOptions& o = c.ConnectionOptions();
    o.DatabaseName = "db";
    EXPECT_EQ(c.GetFullDatabaseName(), "db");
    o.HostName = "srv";
    EXPECT_EQ(c.GetFullDatabaseName(), "db"); // not InterBase: the name as it stands
    c.SetDatabaseType(TDatabaseType::dbInterBase);
    o.Protocol = TQELProtocol::ptTCP;
    EXPECT_EQ(c.GetFullDatabaseName(), "srv:db");
    o.Port = 3051;
    EXPECT_EQ(c.GetFullDatabaseName(), "srv/3051:db");
    o.Protocol = TQELProtocol::ptLocal;
    EXPECT_EQ(c.GetFullDatabaseName(), "srv/3051:db");
    o.Protocol = TQELProtocol::ptNamedPipe;
    EXPECT_EQ(c.GetFullDatabaseName(), "\\\\srv\\db");
    o.Protocol = TQELProtocol::ptSPX;
    EXPECT_EQ(c.GetFullDatabaseName(), "srv@db");
    o.HostName.clear();
    EXPECT_EQ(c.GetFullDatabaseName(), "db");
}

TEST(ConnectionAssign, CopiesOptionsNeverSharesThem)
{
    TQELConnection a, b;
    a.SetDatabaseType(TDatabaseType::dbPostgreSQL);
    a.ConnectionOptions().DatabaseName = "x";
    a.IBServerOptions().SetDBCharSet("utf8");
    b.Assign(a);
    a.ConnectionOptions().DatabaseName = "changed";
    EXPECT_EQ(b.DatabaseType(), TDatabaseType::dbPostgreSQL);
    EXPECT_EQ(b.ConnectionOptions().DatabaseName, "x");
    EXPECT_EQ(b.IBServerOptions().DBCharSet(), "UTF8");
    EXPECT_TRUE(b.GetSupportedDatabases().Contains(TDatabaseType::dbSybaseASE));
    EXPECT_FALSE(b.GetSupportedDatabases().Contains(TDatabaseType::dbPervasiveSQL));
    EXPECT_FALSE(b.GetSupportedConnections().Contains(TconnectionType::cnUIB));
    EXPECT_TRUE(b.GetSupportedConnections().Contains(TconnectionType::cnFireDAC));
}
