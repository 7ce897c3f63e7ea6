#include "qelADO.h"
#include "qelADOConnString.h"
#include "qelADOTestSupport.h"
#include "qelErrors.h"
#include "qelTestSupport.h"
#include "qelText.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

using namespace qel;
using namespace qeltest;

namespace {

// 100 KB and more of text with two- and three-byte characters.
std::string NonAsciiText(size_t repeats)
{
    std::string s;
    for (size_t i = 0; i < repeats; ++i) s += "\xc3\xa9\xe2\x82\xacx";
    return s;
}

std::string BytesWithNuls(size_t repeats)
{
    std::string s;
    for (size_t i = 0; i < repeats; ++i) s += std::string("\x00\xff\x10", 3);
    return s;
}

// ---------------------------------------------------------------------------
// SQLite files, opened through libsqlite3 when the string names the SQLite3
// driver.

TEST_F(ADOSqlite, ConnectsReportsTheDbmsAndDisconnects)
{
    EXPECT_TRUE(m_conn.Connected());
    EXPECT_EQ(m_conn.DBMSName(), "SQLite");
    EXPECT_FALSE(m_conn.DBMSVersion().empty());
    EXPECT_EQ(m_conn.ODBCConnectionString(), m_conn.ConnectionString());
    EXPECT_THROW(m_conn.SetConnectionString("Driver={SQLite3};Database=other.db"), EUsageError);
    m_conn.Close();
    EXPECT_FALSE(m_conn.Connected());
    m_conn.Close();
    m_conn.SetConnected(true);
    EXPECT_TRUE(m_conn.Connected());
}

TEST_F(ADOSqlite, CommitKeepsRowsAndRollbackUndoesThem)
{
    m_conn.Execute("CREATE TABLE t (id INTEGER PRIMARY KEY)");
    m_conn.BeginTrans();
    EXPECT_TRUE(m_conn.InTransaction());
    EXPECT_EQ(m_conn.Execute("INSERT INTO t VALUES (1)"), 1);
    EXPECT_EQ(m_conn.Execute("INSERT INTO t VALUES (2)"), 1);
    m_conn.CommitTrans();
    EXPECT_FALSE(m_conn.InTransaction());
    EXPECT_EQ(CountRows(m_conn, "t"), 2);

    m_conn.BeginTrans();
    m_conn.Execute("INSERT INTO t VALUES (3)");
    EXPECT_EQ(CountRows(m_conn, "t"), 3);
    m_conn.RollbackTrans();
    EXPECT_EQ(CountRows(m_conn, "t"), 2);

    // Autocommit is back on: a row written now survives a reconnect.
    m_conn.Execute("INSERT INTO t VALUES (4)");
    m_conn.Close();
    m_conn.Open();
    EXPECT_EQ(CountRows(m_conn, "t"), 3);
}

TEST_F(ADOSqlite, CloseAndDestructionRollBackAnOpenTransaction)
{
    m_conn.Execute("CREATE TABLE t (id INTEGER)");
    m_conn.BeginTrans();
    m_conn.Execute("INSERT INTO t VALUES (1)");
    m_conn.Close();
    m_conn.Open();
    EXPECT_EQ(CountRows(m_conn, "t"), 0);
    {
        TADOConnection other;
        other.SetConnectionString(m_conn.ConnectionString());
        other.Open();
        other.BeginTrans();
        other.Execute("INSERT INTO t VALUES (2)");
    }
    EXPECT_EQ(CountRows(m_conn, "t"), 0);
}

TEST_F(ADOSqlite, FailedStatementInATransactionLeavesTheEarlierOnes)
{
    m_conn.Execute("CREATE TABLE t (id INTEGER PRIMARY KEY)");
    m_conn.BeginTrans();
    m_conn.Execute("INSERT INTO t VALUES (1)");
    EXPECT_THROW(m_conn.Execute("INSERT INTO t VALUES (1)"), EODBCError);
    m_conn.Execute("INSERT INTO t VALUES (2)");
    m_conn.CommitTrans();
    EXPECT_EQ(CountRows(m_conn, "t"), 2);
}

TEST_F(ADOSqlite, MisuseIsReportedAsUsageErrors)
{
    EXPECT_THROW(m_conn.CommitTrans(), EUsageError);
    EXPECT_THROW(m_conn.RollbackTrans(), EUsageError);
    m_conn.BeginTrans();
    EXPECT_THROW(m_conn.BeginTrans(), EUsageError);
    m_conn.RollbackTrans();

    TADOQuery q;
    EXPECT_THROW(q.Open(), EUsageError);
    q.SetConnection(&m_conn);
    EXPECT_THROW(q.Next(), EUsageError);
    q.SetSQL("SELECT ? + ?");
    ASSERT_EQ(q.Parameters().Count(), 2);
    EXPECT_EQ(q.Parameters()[1].Name(), "Param2");
    q.SetParamCheck(false);
    q.SetSQL("SELECT ?");
    EXPECT_EQ(q.Parameters().Count(), 2);
    try {
        q.Open();
        FAIL();
    } catch (const EUsageError& e) {
        EXPECT_STREQ(e.what(), "TADOQuery: the statement has 1 parameter markers but 2 parameters are given.");
    }
    q.SetParamCheck(true);
    q.SetSQL("CREATE TABLE x (a INTEGER)");
    EXPECT_THROW(q.Open(), EDatabaseError);
    EXPECT_FALSE(q.Active());
    // Refused before it ran.
    EXPECT_TRUE(m_conn.GetColumns("x").empty());
}

TEST_F(ADOSqlite, ParameterMarkersInQuotesAndCommentsAreNotCounted)
{
    TADOQuery q;
    q.SetConnection(&m_conn);
    q.SetSQL("SELECT '?', \"?\" AS \"a?\", ? AS p -- why?\r\n/* ? */ , [x?]");
    EXPECT_EQ(q.Parameters().Count(), 1);
}

TEST_F(ADOSqlite, FailedStatementRaisesEveryDiagnosticRecord)
{
    try {
        m_conn.Execute("SELECT * FROM no_such_table");
        FAIL();
    } catch (const EODBCError& e) {
        ASSERT_FALSE(e.Records().empty());
        EXPECT_NE(std::string(e.what()).find("no such table"), std::string::npos) << e.what();
        EXPECT_EQ(e.SQLState(), e.Records().front().SQLState);
    }
}

TEST_F(ADOSqlite, ParametersOfEveryTypeRoundTrip)
{
    m_conn.Execute("CREATE TABLE p (id INTEGER, s SMALLINT, i INTEGER, b BIGINT, f DOUBLE, dec TEXT, d DATE, tm TIME, "
                   "ts TIMESTAMP, vc VARCHAR(50), tx TEXT, bl BLOB, bo BOOLEAN)");
    TADOQuery ins;
    ins.SetConnection(&m_conn);
    ins.SetSQL("INSERT INTO p VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    TParams& p = ins.Parameters();
    ASSERT_EQ(p.Count(), 13);
    const std::string memo = NonAsciiText(20000);
    const std::string blob = BytesWithNuls(40000);
    p[0].SetAsInteger(1);
    p[1].SetAsSmallInt(-32768);
    p[2].SetAsInteger(-2147483647 - 1);
    p[3].SetAsLargeInt(-9223372036854775807LL - 1);
    p[4].SetAsFloat(0.1);
    p[5].SetAsFMTBCD(TDecimal::FromString("-12345678901234567890.0123456789"));
    p[6].SetAsDate(Stamp(2024, 2, 29, 0, 0, 0, 0));
    p[7].SetAsTime(Stamp(1899, 12, 30, 13, 14, 15, 123456));
    p[8].SetAsDateTime(Stamp(2024, 2, 29, 13, 14, 15, 123000));
    p[9].SetAsString("h\xc3\xa9llo");
    p[10].SetAsMemo(memo);
    p[11].SetAsBlob(blob);
    p[12].SetAsBoolean(true);
    EXPECT_EQ(ins.ExecSQL(), 1);
    // Typed nulls, then untyped ones.
    p[0].SetAsInteger(2);
    for (int i = 1; i < p.Count(); ++i) p[i].Clear();
    EXPECT_EQ(ins.ExecSQL(), 1);
    ins.SetSQL(ins.SQL());
    ins.Parameters()[0].SetAsInteger(3);
    EXPECT_EQ(ins.ExecSQL(), 1);

    TADOQuery q;
    q.SetConnection(&m_conn);
    q.SetSQL("SELECT * FROM p ORDER BY id");
    q.Open();
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("s").AsInteger(), -32768);
    EXPECT_EQ(q.FieldByName("i").AsInteger(), -2147483647 - 1);
    EXPECT_EQ(q.FieldByName("b").AsLargeInt(), -9223372036854775807LL - 1);
    EXPECT_EQ(q.FieldByName("f").AsFloat(), 0.1);
    EXPECT_EQ(q.FieldByName("dec").AsString(), "-12345678901234567890.0123456789");
    EXPECT_EQ(q.FieldByName("d").AsDateTime(), Stamp(2024, 2, 29, 0, 0, 0, 0));
    EXPECT_EQ(q.FieldByName("tm").AsDateTime(), Stamp(1899, 12, 30, 13, 14, 15, 123456));
    // Time stamps are stored to the millisecond, which the comparer expects
    // of a SQLite target.
    EXPECT_EQ(q.FieldByName("ts").AsDateTime(), Stamp(2024, 2, 29, 13, 14, 15, 123000));
    EXPECT_EQ(q.FieldByName("vc").AsString(), "h\xc3\xa9llo");
    EXPECT_EQ(q.FieldByName("tx").AsString(), memo);
    EXPECT_EQ(q.FieldByName("bl").AsBytes(), blob);
    EXPECT_TRUE(q.FieldByName("bo").AsBoolean());
    for (int row = 2; row <= 3; ++row) {
        q.Next();
        ASSERT_FALSE(q.Eof());
        EXPECT_EQ(q.FieldByName("id").AsInteger(), row);
        for (int i = 1; i < q.Fields().Count(); ++i) EXPECT_TRUE(q.Fields()[i].IsNull()) << row << " " << q.Fields()[i].FieldName();
    }
    q.Next();
    EXPECT_TRUE(q.Eof());
}

TEST_F(ADOSqlite, ColumnListingFollowsTheTableAndTakesNamesLiterally)
{
    m_conn.Execute("CREATE TABLE a_b (id INTEGER NOT NULL PRIMARY KEY, amount NUMERIC(18,4), name VARCHAR(50), data BLOB, note TEXT)");
    m_conn.Execute("CREATE TABLE axb (other INTEGER)");
    const auto cols = m_conn.GetColumns("a_b");
    ASSERT_EQ(cols.size(), 5u);
    const char* names[] = {"id", "amount", "name", "data", "note"};
    for (size_t i = 0; i < cols.size(); ++i) {
        EXPECT_EQ(cols[i].ColumnName, names[i]);
        EXPECT_EQ(cols[i].TableName, "a_b");
        EXPECT_EQ(cols[i].OrdinalPosition, static_cast<int>(i + 1));
    }
    // The declared text; NUMERIC holds INTEGER or REAL values in SQLite.
    EXPECT_EQ(cols[1].TypeName, "NUMERIC(18,4)");
    EXPECT_EQ(cols[1].FieldType, TFieldType::ftFloat);
    EXPECT_EQ(cols[1].ColumnSize, 18);
    EXPECT_EQ(cols[1].DecimalDigits, 4);
    EXPECT_EQ(cols[2].FieldType, TFieldType::ftString);
    EXPECT_EQ(cols[2].ColumnSize, 50);
    EXPECT_EQ(cols[4].FieldType, TFieldType::ftMemo);
    EXPECT_EQ(cols[0].Nullable, TColumnNullable::cnNoNulls);
    EXPECT_EQ(cols[2].Nullable, TColumnNullable::cnNullable);
    EXPECT_TRUE(m_conn.GetColumns("no_such_table").empty());
    // No table name: the columns of every table, each row naming its table.
    const auto all = m_conn.GetColumns("");
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const TADOColumn& c) { return c.TableName == "axb"; }), 1);
}

TEST_F(ADOSqlite, FirstRunsTheStatementAgainAndFieldsAreReused)
{
    m_conn.Execute("CREATE TABLE t (id INTEGER, v TEXT)");
    m_conn.Execute("INSERT INTO t VALUES (1, 'a'), (2, NULL), (3, 'c')");
    TADOQuery q;
    q.SetConnection(&m_conn);
    q.SetSQL("SELECT id, v FROM t ORDER BY id");
    q.Open();
    TField* v = q.FindField("V");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->AsString(), "a");
    q.Next();
    EXPECT_EQ(q.FindField("v"), v);
    EXPECT_TRUE(v->IsNull());
    q.Next();
    q.Next();
    EXPECT_TRUE(q.Eof());
    q.First();
    EXPECT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("id").AsInteger(), 1);
    q.Close();
    EXPECT_EQ(q.Fields().Count(), 0);
}

TEST_F(ADOSqlite, ClosingOrDestroyingTheConnectionReleasesItsQueries)
{
    m_conn.Execute("CREATE TABLE t (id INTEGER)");
    m_conn.Execute("INSERT INTO t VALUES (1), (2)");
    TADOQuery q;
    q.SetConnection(&m_conn);
    q.SetSQL("SELECT id FROM t");
    q.Open();
    m_conn.Close();
    EXPECT_FALSE(q.Active());
    EXPECT_THROW(q.Open(), EUsageError);
    m_conn.Open();
    q.Open();
    EXPECT_EQ(q.FieldByName("id").AsInteger(), 1);
    {
        auto other = std::make_unique<TADOConnection>();
        other->SetConnectionString(m_conn.ConnectionString());
        other->Open();
        q.SetConnection(other.get());
        q.Open();
        EXPECT_TRUE(q.Active());
    }
    EXPECT_EQ(q.Connection(), nullptr);
    EXPECT_FALSE(q.Active());
}

TEST(ADODrivers, TheProjectDriversAreInstalled)
{
    const auto drivers = InstalledODBCDrivers();
    for (const char* d : {"FreeTDS", "PostgreSQL Unicode", "SQLite3"})
        EXPECT_NE(std::find(drivers.begin(), drivers.end(), d), drivers.end()) << d;
}

TEST(ADOFreeTds, ClosedPortFailsCleanlyWithTheDriversMessage)
{
    TADOConnection c;
    c.ConnectionTimeout = 5;
    c.SetConnectionString("Provider=SQLOLEDB;Initial Catalog=master;Data Source=127.0.0.1,1;Network Library=DBMSSOCN;"
                          "Persist Security Info=True;User ID=sa;Password=x;");
    const auto start = std::chrono::steady_clock::now();
    try {
        c.Open();
        FAIL() << "connected to port 1";
    } catch (const EODBCError& e) {
        EXPECT_NE(std::string(e.what()).find("[FreeTDS]"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("Unable to connect"), std::string::npos) << e.what();
        bool connectState = false;
        for (const auto& r : e.Records()) connectState = connectState || r.SQLState == "08001";
        EXPECT_TRUE(connectState);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(c.Connected());
}

// ---------------------------------------------------------------------------
// PostgreSQL through psqlODBC, reached with the OLE DB string the engine
// builds for it.

class ADOPostgres : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string odbc = qeltest::Env("VELMORIN_PG_CONN");
        if (odbc.empty()) QEL_SKIP_OR_FAIL("VELMORIN_PG_CONN is not set");
        std::string host, port, db, user, pwd;
        for (const auto& it : SplitConnectionString(odbc, false)) {
            if (SameText(it.Key, "Server")) host = it.Value;
            else if (SameText(it.Key, "Port")) port = it.Value;
            else if (SameText(it.Key, "Database")) db = it.Value;
            else if (SameText(it.Key, "Uid")) user = it.Value;
            else if (SameText(it.Key, "Pwd")) pwd = it.Value;
        }
        m_oleDb = "Provider=PostgreSQL;Data Source=" + host + (port.empty() ? "" : ":" + port) + ";Location=" + db +
                  ";User ID=" + user + ";Password=" + pwd + ";";
        m_conn.SetConnectionString(m_oleDb);
        m_conn.ConnectionTimeout = 5;
        try {
            m_conn.Open();
        } catch (const EDatabaseError& e) {
            QEL_SKIP_OR_FAIL(std::string("PostgreSQL is not reachable: ") + e.what());
        }
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_table = LowerCase(std::string("qel_ado_") + info->name() + "_" + std::to_string(getpid()));
        m_conn.Execute("DROP TABLE IF EXISTS " + m_table);
    }

    void TearDown() override
    {
        if (!m_conn.Connected()) return;
        if (m_conn.InTransaction()) m_conn.RollbackTrans();
        m_conn.Execute("DROP TABLE IF EXISTS " + m_table);
    }

    std::string m_oleDb;
    std::string m_table;
    TADOConnection m_conn;
};

TEST_F(ADOPostgres, ConnectsThroughTheTranslatedString)
{
    EXPECT_EQ(m_conn.DBMSName(), "PostgreSQL");
    EXPECT_FALSE(m_conn.DBMSVersion().empty());
    EXPECT_NE(m_conn.ODBCConnectionString().find("UseDeclareFetch=1;"), std::string::npos);
    TADOQuery q;
    q.SetConnection(&m_conn);
    q.SetSQL("SHOW transaction_isolation");
    q.Open();
    EXPECT_EQ(q.Fields()[0].AsString(), "read committed");
}

TEST_F(ADOPostgres, CommitKeepsRowsAndRollbackUndoesThem)
{
    m_conn.Execute("CREATE TABLE " + m_table + " (id integer PRIMARY KEY)");
    m_conn.BeginTrans();
    m_conn.Execute("INSERT INTO " + m_table + " VALUES (1), (2)");
    m_conn.CommitTrans();
    EXPECT_EQ(CountRows(m_conn, m_table), 2);
    m_conn.BeginTrans();
    EXPECT_EQ(m_conn.Execute("DELETE FROM " + m_table), 2);
    EXPECT_EQ(CountRows(m_conn, m_table), 0);
    m_conn.RollbackTrans();
    EXPECT_EQ(CountRows(m_conn, m_table), 2);
    EXPECT_EQ(m_conn.Execute("DELETE FROM " + m_table + " WHERE id = 99"), 0);
}

TEST_F(ADOPostgres, FailedStatementInATransactionLeavesTheEarlierOnes)
{
    m_conn.Execute("CREATE TABLE " + m_table + " (id integer PRIMARY KEY)");
    m_conn.BeginTrans();
    TADOQuery q;
    q.SetConnection(&m_conn);
    q.SetSQL("INSERT INTO " + m_table + " VALUES (?)");
    q.Parameters()[0].SetAsInteger(1);
    q.ExecSQL();
    try {
        q.ExecSQL();
        FAIL() << "duplicate key accepted";
    } catch (const EODBCError& e) {
        EXPECT_EQ(e.SQLState(), "23505");
        EXPECT_NE(std::string(e.what()).find("duplicate key"), std::string::npos) << e.what();
    }
    q.Parameters()[0].SetAsInteger(2);
    q.ExecSQL();
    m_conn.CommitTrans();
    EXPECT_EQ(CountRows(m_conn, m_table), 2);
}

TEST_F(ADOPostgres, EveryFieldTypeIsReadBackExactly)
{
    m_conn.Execute("CREATE TABLE " + m_table +
                   " (id integer, s smallint, i integer, b bigint, n18 numeric(18,4), n30 numeric(30,10), nfree numeric, "
                   "r real, d double precision, dt date, tm time(6), ts timestamp(6), c char(5), vc varchar(50), "
                   "tx text, by bytea, bo boolean, u uuid)");
    m_conn.Execute("INSERT INTO " + m_table +
                   " VALUES (1, -32768, -2147483648, -9223372036854775808, 12345678901234.5678, "
                   "-12345678901234567890.0123456789, 3.14159265358979323846264338, 0.5, 0.1, '2024-02-29', "
                   "'13:14:15.123456', '2024-02-29 13:14:15.123456', 'ab', 'h\xc3\xa9llo \xe2\x82\xac', "
                   "repeat('\xc3\xa9\xe2\x82\xacx', 20000), decode(repeat('00ff10', 40000), 'hex'), true, "
                   "'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11')");
    m_conn.Execute("INSERT INTO " + m_table + " (id, n18) VALUES (2, 1.5)");
    TADOQuery q;
    q.SetConnection(&m_conn);
    q.SetSQL("SELECT * FROM " + m_table + " ORDER BY id");
    q.Open();
    ASSERT_FALSE(q.Eof());
    struct {
        const char* Name;
        TFieldType Type;
    } const types[] = {{"s", TFieldType::ftSmallint},   {"i", TFieldType::ftInteger},     {"b", TFieldType::ftLargeint},
                       {"n18", TFieldType::ftBCD},      {"n30", TFieldType::ftFMTBcd},    {"nfree", TFieldType::ftFMTBcd},
                       {"r", TFieldType::ftFloat},      {"d", TFieldType::ftFloat},       {"dt", TFieldType::ftDate},
                       {"tm", TFieldType::ftTime},      {"ts", TFieldType::ftDateTime},   {"c", TFieldType::ftFixedChar},
                       {"vc", TFieldType::ftString},    {"tx", TFieldType::ftMemo},       {"by", TFieldType::ftBlob},
                       {"bo", TFieldType::ftBoolean},   {"u", TFieldType::ftGuid}};
    for (const auto& t : types)
        EXPECT_EQ(FieldTypeName(q.FieldByName(t.Name).DataType()), std::string(FieldTypeName(t.Type))) << t.Name;

    EXPECT_EQ(q.FieldByName("s").AsInteger(), -32768);
    EXPECT_EQ(q.FieldByName("i").AsInteger(), -2147483647 - 1);
    EXPECT_EQ(q.FieldByName("b").AsLargeInt(), -9223372036854775807LL - 1);
    EXPECT_EQ(q.FieldByName("n18").AsBCD().ToString(), "12345678901234.5678");
    EXPECT_EQ(q.FieldByName("n18").Precision(), 18);
    EXPECT_EQ(q.FieldByName("n18").Scale(), 4);
    EXPECT_EQ(q.FieldByName("n30").AsBCD().ToString(), "-12345678901234567890.0123456789");
    EXPECT_EQ(q.FieldByName("nfree").AsBCD().ToString(), "3.14159265358979323846264338");
    EXPECT_EQ(q.FieldByName("r").AsFloat(), 0.5);
    EXPECT_EQ(q.FieldByName("d").AsFloat(), 0.1);
    EXPECT_EQ(q.FieldByName("dt").AsDateTime(), Stamp(2024, 2, 29, 0, 0, 0, 0));
    EXPECT_EQ(q.FieldByName("tm").AsDateTime(), Stamp(1899, 12, 30, 13, 14, 15, 123456));
    EXPECT_EQ(q.FieldByName("ts").AsDateTime(), Stamp(2024, 2, 29, 13, 14, 15, 123456));
    EXPECT_EQ(q.FieldByName("c").AsString(), "ab   ");
    EXPECT_EQ(q.FieldByName("vc").AsString(), "h\xc3\xa9llo \xe2\x82\xac");
    EXPECT_EQ(q.FieldByName("tx").AsString(), NonAsciiText(20000));
    EXPECT_EQ(q.FieldByName("by").AsBytes(), BytesWithNuls(40000));
    EXPECT_TRUE(q.FieldByName("bo").AsBoolean());
    EXPECT_EQ(LowerCase(q.FieldByName("u").AsString()), "a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11");

    q.Next();
    ASSERT_FALSE(q.Eof());
    // The column's scale is kept for a value written with fewer decimals.
    EXPECT_EQ(q.FieldByName("n18").AsBCD().ToString(), "1.5000");
    for (const auto& t : types) {
        if (std::string(t.Name) != "n18") {
            EXPECT_TRUE(q.FieldByName(t.Name).IsNull()) << t.Name;
        }
    }
    q.Next();
    EXPECT_TRUE(q.Eof());
}

TEST_F(ADOPostgres, ParametersOfEveryTypeRoundTrip)
{
    m_conn.Execute("CREATE TABLE " + m_table +
                   " (id integer, s smallint, i integer, b bigint, n18 numeric(18,4), n30 numeric(30,10), r real, "
                   "d double precision, dt date, tm time(6), ts timestamp(6), c char(5), vc varchar(50), "
                   "tx text, by bytea, bo boolean, u uuid)");
    TADOQuery ins;
    ins.SetConnection(&m_conn);
    ins.SetSQL("INSERT INTO " + m_table + " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    TParams& p = ins.Parameters();
    ASSERT_EQ(p.Count(), 17);
    const std::string memo = NonAsciiText(20000);
    const std::string blob = BytesWithNuls(40000);
    p[0].SetAsInteger(1);
    p[1].SetAsSmallInt(-32768);
    p[2].SetAsInteger(-2147483647 - 1);
    p[3].SetAsLargeInt(-9223372036854775807LL - 1);
    p[4].SetAsBCD(TDecimal::FromString("-0.0005"));
    p[5].SetAsFMTBCD(TDecimal::FromString("12345678901234567890.0123456789"));
    p[6].SetAsFloat(0.5);
    p[7].SetAsFloat(0.1);
    p[8].SetAsDate(Stamp(2024, 2, 29, 0, 0, 0, 0));
    p[9].SetAsTime(Stamp(1899, 12, 30, 13, 14, 15, 123456));
    p[10].SetAsDateTime(Stamp(2024, 2, 29, 13, 14, 15, 123456));
    p[11].SetAsString("ab");
    p[12].SetAsString("h\xc3\xa9llo \xe2\x82\xac");
    p[13].SetAsMemo(memo);
    p[14].SetAsBlob(blob);
    p[15].SetAsBoolean(true);
    p[16].SetValue(TFieldType::ftGuid, TValue::String("a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11"));
    EXPECT_EQ(ins.ExecSQL(), 1);
    // Typed nulls, then untyped ones of a freshly parsed text.
    p[0].SetAsInteger(2);
    for (int i = 1; i < p.Count(); ++i) p[i].Clear();
    EXPECT_EQ(ins.ExecSQL(), 1);
    ins.SetSQL(ins.SQL());
    ins.Parameters()[0].SetAsInteger(3);
    EXPECT_EQ(ins.ExecSQL(), 1);

    TADOQuery q;
    q.SetConnection(&m_conn);
    q.SetSQL("SELECT * FROM " + m_table + " WHERE id >= ? ORDER BY id");
    q.Parameters()[0].SetAsInteger(1);
    q.Open();
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("s").AsInteger(), -32768);
    EXPECT_EQ(q.FieldByName("i").AsInteger(), -2147483647 - 1);
    EXPECT_EQ(q.FieldByName("b").AsLargeInt(), -9223372036854775807LL - 1);
    EXPECT_EQ(q.FieldByName("n18").AsBCD().ToString(), "-0.0005");
    EXPECT_EQ(q.FieldByName("n30").AsBCD().ToString(), "12345678901234567890.0123456789");
    EXPECT_EQ(q.FieldByName("r").AsFloat(), 0.5);
    EXPECT_EQ(q.FieldByName("d").AsFloat(), 0.1);
    EXPECT_EQ(q.FieldByName("dt").AsDateTime(), Stamp(2024, 2, 29, 0, 0, 0, 0));
    EXPECT_EQ(q.FieldByName("tm").AsDateTime(), Stamp(1899, 12, 30, 13, 14, 15, 123456));
    EXPECT_EQ(q.FieldByName("ts").AsDateTime(), Stamp(2024, 2, 29, 13, 14, 15, 123456));
    EXPECT_EQ(q.FieldByName("c").AsString(), "ab   ");
    EXPECT_EQ(q.FieldByName("vc").AsString(), "h\xc3\xa9llo \xe2\x82\xac");
    EXPECT_EQ(q.FieldByName("tx").AsString(), memo);
    EXPECT_EQ(q.FieldByName("by").AsBytes(), blob);
    EXPECT_TRUE(q.FieldByName("bo").AsBoolean());
    EXPECT_EQ(LowerCase(q.FieldByName("u").AsString()), "a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11");
    for (int row = 2; row <= 3; ++row) {
        q.Next();
        ASSERT_FALSE(q.Eof());
        EXPECT_EQ(q.FieldByName("id").AsInteger(), row);
        for (int i = 1; i < q.Fields().Count(); ++i) EXPECT_TRUE(q.Fields()[i].IsNull()) << row << " " << q.Fields()[i].FieldName();
    }
    q.Next();
    EXPECT_TRUE(q.Eof());
}

TEST_F(ADOPostgres, ColumnListingIsInColumnOrder)
{
    m_conn.Execute("CREATE TABLE " + m_table + " (zeta integer NOT NULL, alpha numeric(12,3), mid varchar(20), big bytea)");
    const auto cols = m_conn.GetColumns(m_table, "public");
    ASSERT_EQ(cols.size(), 4u);
    EXPECT_EQ(cols[0].ColumnName, "zeta");
    EXPECT_EQ(cols[1].ColumnName, "alpha");
    EXPECT_EQ(cols[2].ColumnName, "mid");
    EXPECT_EQ(cols[3].ColumnName, "big");
    EXPECT_EQ(cols[0].TableName, m_table);
    EXPECT_EQ(cols[0].Schema, "public");
    EXPECT_EQ(cols[0].FieldType, TFieldType::ftInteger);
    EXPECT_EQ(cols[0].Nullable, TColumnNullable::cnNoNulls);
    EXPECT_EQ(cols[1].FieldType, TFieldType::ftBCD);
    EXPECT_EQ(cols[1].TypeName, "numeric");
    EXPECT_EQ(cols[1].ColumnSize, 12);
    EXPECT_EQ(cols[1].DecimalDigits, 3);
    EXPECT_EQ(cols[2].ColumnSize, 20);
    EXPECT_EQ(cols[2].Nullable, TColumnNullable::cnNullable);
    EXPECT_EQ(cols[3].FieldType, TFieldType::ftBlob);
    for (size_t i = 0; i < cols.size(); ++i) EXPECT_EQ(cols[i].OrdinalPosition, static_cast<int>(i + 1));
}

TEST_F(ADOPostgres, CommandTimeoutStopsALongStatement)
{
    TADOQuery q;
    q.SetConnection(&m_conn);
    q.CommandTimeout = 1;
    q.SetSQL("SELECT pg_sleep(5)");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(q.Open(), EODBCError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_TRUE(m_conn.Connected());
    EXPECT_EQ(CountRows(m_conn, "pg_database WHERE datname = current_database()"), 1);
    // Back to no limit on the same statement handle.
    q.CommandTimeout = 0;
    q.SetSQL("SELECT pg_sleep(1.2)");
    EXPECT_NO_THROW(q.Open());
}

TEST_F(ADOPostgres, LargeResultIsReadInFlatMemory)
{
    TADOQuery q;
    q.SetConnection(&m_conn);
    ExpectFlatMemory(q, [](int n) {
        return "SELECT g, repeat('x', 1000) AS t FROM generate_series(1, " + std::to_string(n) + ") g";
    });
}

// A port that takes connections and never answers: the login waits for a
// reply until its time-out.
class TSilentServer {
public:
    TSilentServer()
    {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (m_fd < 0 || bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(m_fd, 8) != 0 ||
            getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            throw std::runtime_error("cannot listen on 127.0.0.1");
        m_port = ntohs(a.sin_port);
    }
    ~TSilentServer() { close(m_fd); }
    TSilentServer(const TSilentServer&) = delete;
    TSilentServer& operator=(const TSilentServer&) = delete;
    int Port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

struct TSilentLogin {
    const char* Name;
    const char* Prefix;
};

class ADOLoginTimeout : public ::testing::TestWithParam<TSilentLogin> {};

TEST_P(ADOLoginTimeout, SilentServerFailsWhenTheTimeoutEnds)
{
    TSilentServer server;
    TADOConnection c;
    c.ConnectionTimeout = 2;
    c.SetConnectionString(std::string(GetParam().Prefix) + std::to_string(server.Port()) + ";Location=x;Initial Catalog=x;User ID=u;Password=p;");
    const auto start = std::chrono::steady_clock::now();
    try {
        c.Open();
        ADD_FAILURE() << "connected to a silent server";
    } catch (const EODBCError& e) {
        EXPECT_NE(LowerCase(e.what()).find("timeout"), std::string::npos) << e.what();
    }
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(1500));
    EXPECT_LT(took, std::chrono::seconds(8));
}

INSTANTIATE_TEST_SUITE_P(Drivers, ADOLoginTimeout,
                         ::testing::Values(TSilentLogin{"PostgreSql", "Provider=PostgreSQL;Data Source=127.0.0.1:"},
                                           TSilentLogin{"FreeTds", "Provider=SQLOLEDB;Data Source=127.0.0.1,"}),
                         [](const auto& info) { return std::string(info.param.Name); });

} // namespace
