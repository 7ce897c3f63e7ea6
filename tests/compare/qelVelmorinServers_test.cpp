// The comparer against other servers and under their collations: MS SQL
// texts, column discovery on PostgreSQL and SQLite, key conditions, runs
// that stop half-way, dates and times at the target's precision.
#include "qelVelmorin.h"
#include "qelVelmorinFixture.h"
#include "qelVelmorinTestPrivate.h"

#include "qelADO.h"
#include "qelConnection_ADO.h"
#include "qelDBOptions.h"
#include "qelEngineTestSupport.h"
#include "qelSQL_Exec.h"
#include "qelText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <filesystem>
#include <fstream>
#include <optional>
#include <unistd.h>

using namespace qel;
using namespace cmptest;

// ---------------------------------------------------------------------------
// MS SQL texts: a Firebird master and a SQLite file standing in as the
// target, its connection typed dbMSSQL, so that every statement and literal
// is written for MS SQL.

namespace {

// A SQLite file standing in as the target for a server the tests do not
// have: its connection is typed as that server.
struct TStandIn {
    qeltest::TempDir Dir;
    TADOConnection File;
    TQELConnectionADO Target;
    std::string Unavailable;

    explicit TStandIn(TDatabaseType Type)
    {
        File.SetConnectionString(qeltest::SQLiteString(Dir.File("t.db")));
        try {
            File.Open();
        } catch (const std::exception& e) {
            Unavailable = std::string("no SQLite driver: ") + e.what();
        }
        Target.SetConnection(&File);
        Target.SetDatabaseType(Type);
    }
};

// Table ITEMS of Master compared with the stand-in's, both read by Select
// (a stand-in reads no catalogue of the server it plays).
struct TStandInRun : TRun {
    TCustomSQLExec Sink;

    TStandInRun(TTestDatabase& Master, TStandIn& Target, const std::string& Key, const TStringList& Columns,
                const std::string& Select)
        : TRun(Master.Connection(), "ITEMS", &Target.Target, "ITEMS", Target.Dir.Path().string())
    {
        C.SetSQLExec(&Sink);
        for (TCmpTableOptions* side : {&C.TableOptionsMaster(), &C.TableOptionsTarget()}) {
            side->SetKeyFields(TStringList{Key});
            side->SetDataFields(Columns);
        }
        C.OnGetSelectSQL = [Select](TObject&, TStringList& m, TStringList& t) {
            m.SetText(Select);
            t.SetText(Select);
        };
    }
};

} // namespace

TEST(MSSQLTexts, StatementsAndLiteralsForAnMSSQLTarget)
{
    TTestDatabase master(TServer::FbEmbedded);
    if (!master.Unavailable().empty()) GTEST_SKIP() << master.Unavailable();
    master.CreateTable("ITEMS", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), \"Order\" INTEGER, D DATE, "
                                "TS TIMESTAMP, FLAG BOOLEAN, AMOUNT NUMERIC(18,4), PIC BLOB SUB_TYPE BINARY, "
                                "NOTE BLOB SUB_TYPE TEXT");
    master.Insert("ITEMS", {"(1, 'O''Brien', 7, '2024-02-27', '2024-02-27 13:14:15.5', TRUE, 12.5, x'', '')",
                           "(2, 'changed', 8, Null, Null, FALSE, -0.0001, Null, Null)"});
    TStandIn target(TDatabaseType::dbMSSQL);
    if (!target.Unavailable.empty()) QEL_SKIP_OR_FAIL(target.Unavailable);
    target.File.Execute("create table ITEMS (ID INTEGER, NAME VARCHAR(20), \"Order\" INTEGER, D DATE, TS TIMESTAMP, "
                        "FLAG BOOLEAN, AMOUNT DOUBLE, PIC BLOB, NOTE TEXT)");
    target.File.Execute("insert into ITEMS (ID, NAME, \"Order\", FLAG) values (2, 'old', 8, 0), (3, 'gone', 9, 1)");
    target.Target.ConnectionOptions().DatabaseName = "shop";
    TStandInRun run(master, target, "ID", {"ID", "NAME", "Order", "D", "TS", "FLAG", "AMOUNT", "PIC", "NOTE"},
                    "select ID, NAME, \"Order\", D, TS, FLAG, AMOUNT, PIC, NOTE from ITEMS order by ID");
    ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
    EXPECT_EQ(run.C.ErrorCount, 0) << Joined(run.errors);
    EXPECT_EQ(StatementTexts(run.Sink), "USE shop\r\n\n"
                                        "SET BLOBFILE 'Result.LOB'\r\n\n"
                                        "UPDATE ITEMS SET \r\nNAME='changed',\r\nAMOUNT=-0.0001\r\nWHERE ID = 2\r\n\n"
                                        "DELETE FROM ITEMS WHERE ID = 3\r\n\n"
                                        "INSERT INTO ITEMS (ID, NAME, [Order], D, TS, FLAG, AMOUNT, PIC, NOTE)\r\n"
                                        "VALUES(1, 'O''Brien', 7, '2024-02-27', '2024-02-27T13:14:15.5', 1, 12.5, 0x, '')\r\n\n");
    EXPECT_EQ(run.Sink.Statements(0).StatType, TStatType::stConnect);
    // The script file ends every statement with ";" whatever the server.
    EXPECT_EQ(qeltest::ReadFile(target.Dir.File("Result.SQL")).substr(0, 10), "USE shop;\r");
}

// ---------------------------------------------------------------------------
// Column discovery on PostgreSQL and SQLite

TEST(Discovery, PostgreSQLLowerCasesNamesAndReadsThePrimaryKey)
{
    TTestDatabase db(TServer::PostgreSQL), other(TServer::PostgreSQL);
    if (!db.Unavailable().empty()) QEL_SKIP_OR_FAIL(db.Unavailable());
    const std::string table = db.Table("Disc"), table2 = other.Table("Disc2");
    db.CreateTable(table, "code varchar(10) not null, \"Desc\" text, n integer, primary key (code)");
    db.Insert(table, {"('b', 'x', 1), ('B', 'y', 2), ('a', Null, 3)"});
    other.CreateTable(table2, "code varchar(10) not null, \"Desc\" text, n integer, primary key (code)");
    TRun run(db, UpperCase(table), other, table2);
    TVelmorin& c = run.C;
    TCustomSQLExec sink;
    c.SetSQLExec(&sink);
    ASSERT_TRUE(c.Execute()) << Joined(run.errors);
    EXPECT_EQ(c.ErrorCount, 0) << Joined(run.errors);
    EXPECT_EQ(c.TableOptionsMaster().StoredTableName(), table);
    EXPECT_EQ(c.TableNameMaster(), UpperCase(table));
    EXPECT_EQ(c.TableOptionsMaster().AllFields.Lines(), (std::vector<std::string>{"code", "Desc", "n"}));
    EXPECT_EQ(c.TableOptionsMaster().PrimaryKeyList.Lines(), std::vector<std::string>{"code"});
    EXPECT_EQ(run.log[1], table + ": code Desc n");
    // Byte order for the character key; the key is NOT NULL, so no NULLS LAST.
    EXPECT_EQ(run.log[2], "Select-SQL for master table:\r\nselect code, \"Desc\", n\r\nfrom " + table +
                              "\r\n Order by code COLLATE \"C\"\r\n");
    ASSERT_EQ(sink.Count(), 3);
    EXPECT_EQ(sink.Statements(0).SQL.Text(), "INSERT INTO " + table2 + " (code, \"Desc\", n)\r\nVALUES('B', 'y', 2)\r\n");
    EXPECT_EQ(sink.Statements(1).SQL.Text(), "INSERT INTO " + table2 + " (code, \"Desc\", n)\r\nVALUES('a', Null, 3)\r\n");
    // Names the user types in upper case are folded as PostgreSQL folds them.
    for (TCmpTableOptions* side : {&c.TableOptionsMaster(), &c.TableOptionsTarget()}) {
        side->SetDataFields(TStringList{"CODE", "N"});
        side->SetKeyFields(TStringList{"CODE"});
    }
    run.log.clear();
    ASSERT_TRUE(c.Execute()) << Joined(run.errors);
    EXPECT_EQ(run.log[0], "Select-SQL for master table:\r\nselect code, n\r\nfrom " + table +
                              "\r\n Order by code COLLATE \"C\"\r\n");
}

TEST(Discovery, SQLiteColumnsFromTheSchemaListing)
{
    TTestDatabase db(TServer::SQLite);
    if (!db.Unavailable().empty()) QEL_SKIP_OR_FAIL(db.Unavailable());
    db.CreateTable("ITEMS", "B INTEGER, A VARCHAR(10) NOT NULL, C BLOB, PRIMARY KEY (A, B)");
    db.CreateTable("items2", "X INTEGER");
    TRun run(db.Connection(), "items", nullptr, "", db.Dir().Path().string());
    ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
    EXPECT_EQ(run.C.ErrorCount, 0) << Joined(run.errors);
    EXPECT_EQ(run.log[0], "ITEMS: B A C");
    EXPECT_EQ(run.C.TableOptionsMaster().PrimaryKeyList.Lines(), (std::vector<std::string>{"A", "B"}));
    // Without a target there is no key to pair by: the rows are ordered by
    // every column.
    EXPECT_EQ(run.log[1], "Select-SQL for master table:\r\nselect B, A, C\r\nfrom ITEMS\r\n"
                          " Order by B NULLS LAST, A COLLATE BINARY, C NULLS LAST\r\n");
    // A table stored in lower case is found by its name in any case.
    run.C.SetTableNameMaster("ITEMS2");
    run.errors.clear();
    run.log.clear();
    ASSERT_TRUE(run.C.Execute());
    EXPECT_TRUE(run.errors.empty()) << Joined(run.errors);
    EXPECT_EQ(run.C.TableOptionsMaster().StoredTableName(), "items2");
    EXPECT_EQ(run.C.TableOptionsMaster().TableName, "ITEMS2");
    EXPECT_EQ(run.log[0], "items2: X");
}

// ---------------------------------------------------------------------------
// Names as the catalogue stores them: tables found by their stored name,
// else by the one name that differs in case alone, and every name quoted
// where the server needs it, in the SELECTs, the row counts, the script and
// immediate mode.

namespace {

// The table's rows as the server's own tool prints them, in key order.
std::string ToolRows(TTestDatabase& Db, const std::string& QuotedTable)
{
    const std::string sql = Db.Dir().File("tool.sql"), out = Db.Dir().File("tool.out");
    std::ofstream(sql) << "select * from " << QuotedTable << " order by 1;\n";
    const std::string command =
        Db.Kind() == TServer::SQLite
            ? "sqlite3 -quote '" + Db.Dir().File("db.sqlite") + "' <'" + sql + "'"
            : "PGPASSWORD=x psql -X -A -t -v ON_ERROR_STOP=1 -h 127.0.0.1 -p " + qeltest::Env("PGPORT", "55432") +
                  " -U postgres -d " + Db.PgDatabase() + " -f '" + sql + "'";
    const int rc = std::system((command + " >'" + out + "' 2>&1").c_str());
    return (rc == 0 ? "" : "exit " + std::to_string(rc) + ": ") + qeltest::ReadFile(out);
}

// "it's \"q\"" -> "\"it's \"\"q\"\"\"".
std::string DoubleQuoted(const std::string& Name)
{
    std::string r = "\"";
    for (const char c : Name) r += c == '"' ? std::string("\"\"") : std::string(1, c);
    return r + "\"";
}

struct TStoredNameCase {
    const char* Name;
    const char* Stored; // the table's name as created, {} standing for the run's suffix
    const char* Typed;  // as given to the comparer, {U} standing for the suffix in upper case
};

std::string WithSuffix(std::string Text, const std::string& Suffix)
{
    for (size_t at = Text.find("{U}"); at != std::string::npos; at = Text.find("{U}"))
        Text.replace(at, 3, UpperCase(Suffix));
    for (size_t at = Text.find("{}"); at != std::string::npos; at = Text.find("{}"))
        Text.replace(at, 2, Suffix);
    return Text;
}

class StoredNames : public ::testing::TestWithParam<std::tuple<TServer, TStoredNameCase, bool>> {};

} // namespace

// Every column name needs quotes somewhere: a reserved word, mixed case, a
// blank, a quote of each kind and a dot.
TEST_P(StoredNames, AreFoundQuotedAndRoundTrip)
{
    const auto& [server, c, immediate] = GetParam();
    TTestDatabase m(server), t(server);
    if (!m.Unavailable().empty()) QEL_SKIP_OR_FAIL(m.Unavailable());
    // PostgreSQL tables share one database: the suffix keeps them apart.
    const std::string suffix = server == TServer::PostgreSQL ? m.Table("") : "";
    const std::string tableM = WithSuffix(c.Stored, suffix + "m"), tableT = WithSuffix(c.Stored, suffix + "t");
    const std::string typedM = WithSuffix(c.Typed, suffix + "m"), typedT = WithSuffix(c.Typed, suffix + "t");
    const auto quoted = DoubleQuoted;
    const std::string body =
        server == TServer::SQLite ? "\"order\" integer primary key, \"Desc\" text, \"a b\" text, \"it's\" real, "
                                    "\"q\"\"c\" blob, \"x.y\" text"
        : server == TServer::PostgreSQL
            ? "\"order\" integer primary key, \"Desc\" text, \"a b\" text, \"it's\" float8, \"q\"\"c\" bytea, "
              "\"x.y\" text"
            : "\"order\" integer not null primary key, \"Desc\" varchar(10), \"a b\" varchar(10), \"it's\" double "
              "precision, \"q\"\"c\" blob sub_type binary, \"x.y\" varchar(10)";
    const std::string bytes = server == TServer::PostgreSQL ? "'\\x00ff'::bytea" : "x'00ff'";
    m.CreateTable(quoted(tableM), body);
    t.CreateTable(quoted(tableT), body);
    m.Insert(quoted(tableM), {"(1, 'one', 'a', 1.5, " + bytes + ", 'x')", "(2, 'two', 'b', -0.25, Null, 'y')",
                              "(3, 'three', Null, 3, " + bytes + ", 'z')"});
    t.Insert(quoted(tableT), {"(1, 'one', 'a', 1.5, " + bytes + ", 'x')", "(2, 'TWO', 'c', 2, " + bytes + ", 'y')",
                              "(4, 'four', 'd', 4, Null, 'w')"});
    TSync counts;
    // A progress handler makes the comparer count the rows first.
    SyncAndCompareAgain(m, typedM, t, typedT, immediate, &counts, [](TVelmorin& C) {
        C.OnProgressUpdateMaster = [](TObject&, int, int) {};
        C.OnProgressUpdateTarget = [](TObject&, int, int) {};
    });
    if (HasFatalFailure()) return;
    EXPECT_EQ(counts.Equal, 1);
    EXPECT_EQ(counts.Inserted, 1);
    EXPECT_EQ(counts.Updated, 1);
    EXPECT_EQ(counts.Deleted, 1);
    EXPECT_EQ(counts.EqualAfter, 3);
    if (IsFirebird(server)) {
        EXPECT_EQ(t.Rows("select * from " + quoted(tableT) + " order by 1"),
                  m.Rows("select * from " + quoted(tableM) + " order by 1"));
        return;
    }
    const std::string rowsM = ToolRows(m, quoted(tableM));
    EXPECT_EQ(rowsM.find("exit"), std::string::npos) << rowsM;
    EXPECT_EQ(ToolRows(t, quoted(tableT)), rowsM);
}

INSTANTIATE_TEST_SUITE_P(
    Names, StoredNames,
    ::testing::Combine(::testing::Values(TServer::SQLite, TServer::PostgreSQL, TServer::FbEmbedded),
                       ::testing::Values(TStoredNameCase{"LowerTypedUpper", "items{}", "ITEMS{U}"},
                                         TStoredNameCase{"MixedTypedLower", "Items{}", "items{}"},
                                         TStoredNameCase{"MixedTypedQuoted", "Items{}", "\"Items{}\""},
                                         TStoredNameCase{"BlankAndDot", "order items.v{}", "Order Items.V{U}"},
                                         TStoredNameCase{"Quotes", "it's \"q\"{}", "it's \"q\"{}"}),
                       ::testing::Bool()),
    [](const auto& info) {
        return std::string(ServerName(std::get<0>(info.param))) + std::get<1>(info.param).Name +
               Mode(std::get<2>(info.param));
    });

// A keyword as the table's name, where each side has a database of its own
// (PostgreSQL's test tables share one, and their names bear a suffix).
namespace {

class KeywordTableName : public ::testing::TestWithParam<std::tuple<TServer, bool>> {};

} // namespace

TEST_P(KeywordTableName, IsQuotedAndRoundTrips)
{
    const auto& [server, immediate] = GetParam();
    TTestDatabase m(server), t(server);
    if (!m.Unavailable().empty()) QEL_SKIP_OR_FAIL(m.Unavailable());
    const std::string table = DoubleQuoted(IsFirebird(server) ? "ORDER" : "order");
    for (TTestDatabase* db : {&m, &t}) db->CreateTable(table, "id integer not null primary key, name varchar(10)");
    m.Insert(table, {"(1, 'one')", "(2, 'two')"});
    t.Insert(table, {"(2, 'TWO')", "(3, 'three')"});
    TSync counts;
    // A progress handler makes the comparer count the rows first.
    SyncAndCompareAgain(m, "Order", t, "Order", immediate, &counts, [](TVelmorin& C) {
        C.OnProgressUpdateMaster = [](TObject&, int, int) {};
    });
    if (HasFatalFailure()) return;
    EXPECT_EQ(counts.Inserted, 1);
    EXPECT_EQ(counts.Updated, 1);
    EXPECT_EQ(counts.Deleted, 1);
    EXPECT_EQ(counts.EqualAfter, 2);
}

INSTANTIATE_TEST_SUITE_P(Names, KeywordTableName,
                         ::testing::Combine(::testing::Values(TServer::SQLite, TServer::FbEmbedded), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(ServerName(std::get<0>(info.param))) + Mode(std::get<1>(info.param));
                         });

// Paradox and dBASE read a table's columns by a SELECT of every column.
// SQLite files stand in for both sides; the statements made run on the
// target, and a second comparison finds the tables equal.
TEST(DesktopTableNames, ColumnsAreReadAndTheStatementsRun)
{
    const std::pair<TDatabaseType, const char*> cases[] = {{TDatabaseType::dbParadox, "Order Items"},
                                                           {TDatabaseType::dbParadox, "order"},
                                                           {TDatabaseType::dbDBASE, "it's \"q\".dbf"}};
    for (const auto& [type, typed] : cases) {
        // Copied: clang before 16 cannot capture a structured binding.
        const std::string name = typed;
        SCOPED_TRACE(name);
        TStandIn master(type), target(type);
        if (!master.Unavailable.empty()) QEL_SKIP_OR_FAIL(master.Unavailable);
        // The name as Local SQL stores it, in upper case.
        const std::string quoted = DoubleQuoted(UpperCase(name));
        for (TStandIn* side : {&master, &target})
            side->File.Execute("create table " + quoted + " (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(10))");
        master.File.Execute("insert into " + quoted + " values (1, 'one'), (2, 'two')");
        target.File.Execute("insert into " + quoted + " values (2, 'TWO'), (3, 'three')");
        auto compare = [&](TCustomSQLExec& Sink) {
            TRun run(master.Target, name, &target.Target, name, target.Dir.Path().string());
            run.C.SetSQLExec(&Sink);
            for (TCmpTableOptions* side : {&run.C.TableOptionsMaster(), &run.C.TableOptionsTarget()})
                side->SetKeyFields(TStringList{"ID"});
            EXPECT_TRUE(run.C.Execute()) << Joined(run.errors);
            EXPECT_EQ(run.C.ErrorCount, 0) << Joined(run.errors);
            EXPECT_EQ(run.C.TableOptionsTarget().AllFields.Lines(), (std::vector<std::string>{"ID", "NAME"}));
        };
        TCustomSQLExec first;
        compare(first);
        EXPECT_EQ(StatementTexts(first), "UPDATE " + quoted + " SET \r\nNAME='two'\r\nWHERE ID = 2\r\n\n" +
                                             "DELETE FROM " + quoted + " WHERE ID = 3\r\n\n" + "INSERT INTO " +
                                             quoted + " (ID, NAME)\r\nVALUES(1, 'one')\r\n\n");
        for (int i = 0; i < first.Count(); ++i) target.File.Execute(first.Statements(i).SQL.Text());
        TCustomSQLExec again;
        compare(again);
        EXPECT_EQ(again.Count(), 0) << StatementTexts(again);
    }
}

// A column declared with no type keeps each cell's class: x'616263' and
// 'abc' differ, and so do 7, 7.0 and '7', whatever the first row holds.
TEST(UntypedColumns, EveryCellKeepsItsClassThroughTheRoundTrip)
{
    for (const bool immediate : {false, true}) {
        TTestDatabase m(TServer::SQLite), t(TServer::SQLite);
        if (!m.Unavailable().empty()) QEL_SKIP_OR_FAIL(m.Unavailable());
        for (TTestDatabase* db : {&m, &t}) db->CreateTable("u", "k integer primary key, x, y");
        m.Insert("u", {"(1, x'616263', 7)", "(2, x'616263', 7.0)", "(3, 'abc', '7')", "(4, 7, x'37')"});
        t.Insert("u", {"(1, x'616263', 7)", "(2, 'abc', 7)", "(3, x'616263', 7.0)", "(4, '7', '7')"});
        TSync counts;
        SyncAndCompareAgain(m, "U", t, "U", immediate, &counts);
        if (HasFatalFailure()) return;
        EXPECT_EQ(counts.Equal, 1) << Mode(immediate);
        EXPECT_EQ(counts.Updated, 3) << Mode(immediate);
        EXPECT_EQ(ToolRows(t, "u"), ToolRows(m, "u")) << Mode(immediate);
        EXPECT_EQ(ToolRows(t, "u"), "1,X'616263',7\n2,X'616263',7.0\n3,'abc','7'\n4,7,X'37'\n") << Mode(immediate);
    }
}

// ---------------------------------------------------------------------------
// Time stamps with time zone: a session zone with summer time (from PGTZ or
// the database's own setting) reads two instants of the autumn change alike
// unless the run pins its sessions to UTC.

namespace {

// Sets an environment variable (or unsets it: nullptr) for the life of the
// object.
class TEnvironment {
public:
    TEnvironment(const char* Name, const char* Value) : m_name(Name)
    {
        if (const char* old = std::getenv(Name)) m_old = old;
        if (Value != nullptr) setenv(Name, Value, 1);
        else unsetenv(Name);
    }
    ~TEnvironment()
    {
        if (m_old) setenv(m_name.c_str(), m_old->c_str(), 1);
        else unsetenv(m_name.c_str());
    }
    TEnvironment(const TEnvironment&) = delete;
    TEnvironment& operator=(const TEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

std::string RunPsql(const std::string& Database, const std::string& SQL)
{
    qeltest::TempDir dir;
    std::ofstream(dir.File("in.sql")) << SQL << "\n";
    const std::string command = "PGPASSWORD=x psql -X -q -A -t -v ON_ERROR_STOP=1 -h 127.0.0.1 -p " +
                                qeltest::Env("PGPORT", "55432") + " -U postgres -d " + Database + " -f '" +
                                dir.File("in.sql") + "' >'" + dir.File("out.txt") + "' 2>&1";
    const int rc = std::system(command.c_str());
    return (rc == 0 ? "" : "exit " + std::to_string(rc) + ": ") + qeltest::ReadFile(dir.File("out.txt"));
}

// Both sides in Database, the rows around both changes of 2024 in Berlin.
void ExpectInstantsRoundTrip(const std::string& Database)
{
    for (const bool immediate : {false, true}) {
        TTestDatabase m(TServer::PostgreSQL, "UTF8", Database), t(TServer::PostgreSQL, "UTF8", Database);
        if (!m.Unavailable().empty()) QEL_SKIP_OR_FAIL(m.Unavailable());
        // The sessions really are in summer-time zones: else nothing is tested.
        ASSERT_EQ(m.Rows("select current_setting('TimeZone')"), (TRows{{"Europe/Berlin"}}));
        const std::string tableM = m.Table("tzm"), tableT = t.Table("tzt");
        m.CreateTable(tableM, "k integer primary key, ts timestamptz, plain timestamp");
        t.CreateTable(tableT, "k integer primary key, ts timestamptz, plain timestamp");
        m.Insert(tableM, {"(1, '2024-10-27 00:30:00+00', '2024-10-27 02:30:00')",
                          "(2, '2024-10-27 01:30:00+00', '2024-10-27 02:30:00')",
                          "(3, '2024-03-31 00:59:59.5+00', '2024-03-31 02:30:00')",
                          "(4, '2024-03-31 01:00:00+00', Null)", "(5, '2024-10-27 01:00:00+00', Null)"});
        t.Insert(tableT, {"(1, '2024-10-27 00:30:00+00', '2024-10-27 02:30:00')",
                          "(2, '2024-10-27 00:30:00+00', '2024-10-27 02:30:00')",
                          "(4, '2024-03-31 02:00:00+00', Null)", "(6, '2024-10-27 01:00:00+00', Null)"});
        TSync counts;
        SyncAndCompareAgain(m, UpperCase(tableM), t, UpperCase(tableT), immediate, &counts);
        if (::testing::Test::HasFatalFailure()) return;
        EXPECT_EQ(counts.Equal, 1) << Mode(immediate);
        EXPECT_EQ(counts.Updated, 2) << Mode(immediate);
        EXPECT_EQ(counts.Inserted, 2) << Mode(immediate);
        EXPECT_EQ(counts.Deleted, 1) << Mode(immediate);
        const std::string select = "select k, ts at time zone 'UTC', plain from ";
        EXPECT_EQ(RunPsql(Database, select + tableT + " order by k"), RunPsql(Database, select + tableM + " order by k"))
            << Mode(immediate);
        // The sessions keep their own zone after the run.
        EXPECT_EQ(t.Rows("select current_setting('TimeZone')"), (TRows{{"Europe/Berlin"}}));
    }
}

} // namespace

TEST(TimeZones, SessionZoneFromTheEnvironment)
{
    const TEnvironment zone("PGTZ", "Europe/Berlin");
    ExpectInstantsRoundTrip("velmorin");
}

TEST(TimeZones, SessionZoneOfTheDatabase)
{
    if (qeltest::PostgreSQLString().empty()) QEL_SKIP_OR_FAIL("no PostgreSQL server: VELMORIN_PG_CONN is not set");
    const TEnvironment zone("PGTZ", nullptr);
    const std::string db = "velmorin_tz_" + std::to_string(::getpid());
    RunPsql("velmorin", "drop database if exists " + db);
    ASSERT_EQ(RunPsql("velmorin", "create database " + db), "");
    struct TDrop {
        std::string Db;
        ~TDrop() { RunPsql("velmorin", "drop database if exists " + Db); }
    } drop{db};
    ASSERT_EQ(RunPsql("velmorin", "alter database " + db + " set timezone to 'Europe/Berlin'"), "");
    ExpectInstantsRoundTrip(db);
}

// ---------------------------------------------------------------------------
// PostgreSQL dates beyond the years 1 to 9999, which the driver cannot hand
// over as dates: exact between PostgreSQL tables, a stop naming the row
// where the target cannot hold them.

TEST(FarDates, PostgreSQLToPostgreSQLRoundTripsExactly)
{
    for (const bool immediate : {false, true}) {
        TTestDatabase m(TServer::PostgreSQL), t(TServer::PostgreSQL);
        if (!m.Unavailable().empty()) QEL_SKIP_OR_FAIL(m.Unavailable());
        const std::string tableM = m.Table("farm"), tableT = t.Table("fart");
        const std::string body = "k integer primary key, d date, ts timestamp(6), tz timestamptz";
        m.CreateTable(tableM, body);
        t.CreateTable(tableT, body);
        m.Insert(tableM, {"(1, '0044-03-15 BC', '0044-03-15 12:00:00 BC', '0044-03-15 12:00:00+00 BC')",
                          "(2, '12000-01-01', '12000-01-01 00:00:00.5', '12000-01-01 00:00:00+00')",
                          "(3, 'infinity', 'infinity', 'infinity')", "(4, '-infinity', '-infinity', '-infinity')",
                          "(5, '2024-02-29', '9999-12-31 23:59:59.999999', '2024-10-27 00:30:00+00')",
                          "(6, '0001-01-01', '0001-01-01 00:00:00', Null)"});
        // Each value against its twin the driver would make of it.
        t.Insert(tableT, {"(1, '0044-03-15', '0044-03-15 12:00:00', '0044-03-15 12:00:00+00')",
                          "(2, current_date, current_date, Null)",
                          "(3, '9999-12-31', '9999-12-31 23:59:59', '9999-12-31 23:59:59+00')",
                          "(4, '0001-01-01', '0001-01-01 00:00:00', '0001-01-01 00:00:00+00')",
                          "(6, '0001-01-01 BC', '0001-01-01 00:00:00 BC', '0001-01-01 00:00:00+00 BC')"});
        TSync counts;
        SyncAndCompareAgain(m, tableM, t, tableT, immediate, &counts);
        if (HasFatalFailure()) return;
        EXPECT_EQ(counts.Updated, 5) << Mode(immediate);
        EXPECT_EQ(counts.Inserted, 1) << Mode(immediate);
        EXPECT_EQ(counts.EqualAfter, 6) << Mode(immediate);
        const std::string select = "select k, d, ts, tz at time zone 'UTC' from ";
        const std::string rowsM = RunPsql("velmorin", select + tableM + " order by k");
        EXPECT_EQ(rowsM.find("exit"), std::string::npos) << rowsM;
        EXPECT_EQ(RunPsql("velmorin", select + tableT + " order by k"), rowsM) << Mode(immediate);
    }
}

TEST(FarDates, TargetsThatCannotHoldThemStopTheRun)
{
    struct TCase {
        TServer Master, Target;
        const char* Row;   // into k, d, ts
        const char* Error; // after "Table <the PostgreSQL table>, column "
    };
    const TCase cases[] = {
        {TServer::PostgreSQL, TServer::FbEmbedded, "(7, '0044-03-15 BC', Null)",
         "d, row k = 7: the value 0044-03-15 BC lies outside the years 1 to 9999, and the column D of the target "
         "table FAR cannot hold it. No statements were produced."},
        {TServer::PostgreSQL, TServer::SQLite, "(7, Null, 'infinity')",
         "ts, row k = 7: the value infinity lies outside the years 1 to 9999, and the column TS of the target table "
         "FAR cannot hold it. No statements were produced."},
        {TServer::FbEmbedded, TServer::PostgreSQL, "(7, Null, '12000-01-01 10:00')",
         "ts, row k = 7: the value 12000-01-01 10:00:00 lies outside the years 1 to 9999, and it can be compared "
         "exactly only with a PostgreSQL master. No statements were produced."},
    };
    for (const TCase& c : cases) {
        TTestDatabase m(c.Master), t(c.Target);
        for (TTestDatabase* db : {&m, &t})
            if (!db->Unavailable().empty()) QEL_SKIP_OR_FAIL(db->Unavailable());
        TTestDatabase& pg = c.Master == TServer::PostgreSQL ? m : t;
        TTestDatabase& other = c.Master == TServer::PostgreSQL ? t : m;
        const std::string table = pg.Table("far");
        pg.CreateTable(table, "k integer primary key, d date, ts timestamp");
        other.CreateTable("FAR", "K integer not null primary key, D date, TS timestamp");
        pg.Insert(table, {"(1, '2024-01-02', '2024-01-02 03:04:05')", c.Row});
        other.Insert("FAR", {"(1, '2024-01-02', '2024-01-02 03:04:05')"});
        const std::string tableM = &pg == &m ? table : "FAR", tableT = &pg == &m ? "FAR" : table;
        TRun run(m, tableM, t, tableT);
        std::unique_ptr<TSQLExec> exec = t.NewExecutor();
        run.C.SetSQLExec(exec.get());
        run.C.Execute();
        ASSERT_EQ(run.errors.size(), 1u) << Joined(run.errors);
        EXPECT_EQ(run.errors[0], "Error: Table " + table + ", column " + c.Error);
        EXPECT_TRUE(OnlyHeaderStatements(*exec)) << StatementTexts(*exec);
    }
}

// SQLite keeps one table for names that differ in case alone; PostgreSQL
// may have several, and then only the exact name chooses.
TEST(StoredNamesAmbiguous, PostgreSQLTablesThatDifferInCaseAlone)
{
    TTestDatabase db(TServer::PostgreSQL);
    if (!db.Unavailable().empty()) QEL_SKIP_OR_FAIL(db.Unavailable());
    const std::string lower = db.Table("amb"), mixed = "Amb" + lower.substr(3);
    db.CreateTable(lower, "id integer primary key, \"Val\" text, val text");
    db.CreateTable("\"" + mixed + "\"", "id integer primary key");
    {
        TRun run(db.Connection(), UpperCase(lower), nullptr, "", db.Dir().Path().string());
        run.C.Execute();
        ASSERT_EQ(run.errors.size(), 1u) << Joined(run.errors);
        EXPECT_EQ(run.errors[0], "Error: Table: " + UpperCase(lower) +
                                     " matches several tables that differ in case alone: " + mixed + ", " + lower +
                                     ".\r\nDatabase: velmorin");
    }
    for (const std::string& exact : {lower, mixed}) {
        TRun run(db.Connection(), exact, nullptr, "", db.Dir().Path().string());
        ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
        EXPECT_TRUE(run.errors.empty()) << Joined(run.errors);
        EXPECT_EQ(run.C.TableOptionsMaster().StoredTableName(), exact);
    }
    // Columns typed by the user: the exact name, else the one that differs
    // in case alone; VAL stands for both Val and val.
    TRun run(db.Connection(), lower, nullptr, "", db.Dir().Path().string());
    run.C.SetCustomKeyFields(TStringList{"ID"});
    run.C.SetCustomDataFields(TStringList{"ID", "Val", "VAL"});
    run.C.Execute();
    ASSERT_EQ(run.errors.size(), 1u) << Joined(run.errors);
    EXPECT_EQ(run.errors[0], "Error: Field VAL of table " + lower + " matches several columns that differ in case alone: Val, val.");
    run.errors.clear();
    run.log.clear();
    run.C.SetCustomDataFields(TStringList{"ID", "Val", "val"});
    ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
    EXPECT_TRUE(run.errors.empty()) << Joined(run.errors);
    EXPECT_EQ(run.log[0], "Select-SQL for master table:\r\nselect id, \"Val\", val\r\nfrom " + lower + "\r\n Order by id\r\n");
}

// A double quote inside a string literal must not hide the parameters that
// follow it, nor make a colon inside the literal a parameter: the script's
// values arrive as written.
TEST_F(CompareRun, DoubleQuotesInsideStringsSurviveTheExecutor)
{
    Both("T5", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), PIC BLOB SUB_TYPE BINARY");
    master->Insert("T5", {"(1, 'a 5\" screen', x'0102')", "(2, 'say \"x:y', Null)", "(3, 'q\":r', Null)"});
    auto run = NewRun("T5");
    auto exec = target->NewExecutor();
    run->C.SetSQLExec(exec.get());
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    std::vector<std::string> execErrors;
    exec->OnErrorMessage = [&](TObject&, const std::string& t) { execErrors.push_back(t); };
    EXPECT_TRUE(exec->Execute()) << Joined(execErrors);
    EXPECT_EQ(target->Rows("select ID, NAME, PIC from T5 order by ID"),
              master->Rows("select ID, NAME, PIC from T5 order by ID"));
}

// ---------------------------------------------------------------------------
// Keys and key conditions under collations: the merge reads keys in byte
// order, and each condition reaches exactly the row the merge paired,
// whatever the server's collation calls equal

namespace {

struct TCollationCase {
    const char* Name;
    TServer Server;
    const char* Body;
    std::vector<std::string> MasterRows, TargetRows;
    // The data statements of a script run; "{T}" is the target's table.
    std::vector<std::string> Expected;
    // The rows compared after the round trip; "{T}" is each side's table.
    const char* Select;
    const char* MasterSelect = nullptr; // the master's SELECT as logged
};

class KeyConditions : public ::testing::TestWithParam<std::tuple<TCollationCase, bool>> {};

std::string WithTable(std::string Text, const std::string& Table)
{
    for (size_t at; (at = Text.find("{T}")) != std::string::npos;) Text.replace(at, 3, Table);
    return Text;
}

std::vector<std::string> DataTexts(const TCustomSQLExec& Exec)
{
    std::vector<std::string> r;
    for (int i = 0; i < Exec.Count(); ++i) {
        const TStatType t = Exec.Statements(i).StatType;
        if (t == TStatType::stInsert || t == TStatType::stUpdate || t == TStatType::stDelete)
            r.push_back(Exec.Statements(i).SQL.Text());
    }
    return r;
}

const char* const CaseOnlyInserts[] = {"INSERT INTO {T} (CODE, N)\r\nVALUES('ABC', 1)\r\n",
                                       "INSERT INTO {T} (CODE, N)\r\nVALUES('Zz', 3)\r\n",
                                       "INSERT INTO {T} (CODE, N)\r\nVALUES('b', 2)\r\n"};

const std::vector<TCollationCase> CollationCases = {
    // "abc" beside "ABC" under UNICODE_CI, "a " beside "a" under Firebird's
    // blank padding: one row each to the server's "=", two to the comparer.
    {"FirebirdCaseBlindAndPadded", TServer::FbEmbedded, "NAME VARCHAR(10) CHARACTER SET UTF8 COLLATE UNICODE_CI, QTY INTEGER",
     {"('ABC', 1)", "('a', 1)"}, {"('ABC', 1)", "('abc', 1)", "('a', 1)", "('a ', 1)"},
     {"DELETE FROM {T} WHERE NAME = 'a ' and NAME COLLATE UTF8 = 'a ' and OCTET_LENGTH(NAME) = 2 and QTY = 1\r\n",
      "DELETE FROM {T} WHERE NAME = 'abc' and NAME COLLATE UTF8 = 'abc' and OCTET_LENGTH(NAME) = 3 and QTY = 1\r\n"},
     "select '[' || NAME || ']', QTY from {T} order by NAME collate UTF8"},
    // Read in the collation's order, "a" and "B" would pair wrongly or stop
    // the run.
    {"FirebirdCaseBlindKeyInByteOrder", TServer::FbEmbedded,
     "CODE VARCHAR(10) CHARACTER SET UTF8 NOT NULL COLLATE UNICODE_CI_AI, N INTEGER, PRIMARY KEY (CODE)",
     {"('a', 1)", "('B', 2)", "('c', 3)"}, {"('B', 2)", "('c', 4)", "('d', 5)"},
     {"UPDATE {T} SET \r\nN=3\r\nWHERE CODE = 'c' and CODE COLLATE UTF8 = 'c' and OCTET_LENGTH(CODE) = 1\r\n",
      "DELETE FROM {T} WHERE CODE = 'd' and CODE COLLATE UTF8 = 'd' and OCTET_LENGTH(CODE) = 1\r\n",
      "INSERT INTO {T} (CODE, N)\r\nVALUES('a', 1)\r\n"},
     "select CODE, N from {T} order by N", "Select-SQL for master table:\r\nselect CODE, N\r\nfrom KC\r\n Order by CODE COLLATE UTF8\r\n"},
    {"SQLiteNoCaseAndRTrim", TServer::SQLite, "NAME VARCHAR(10) COLLATE NOCASE, CODE VARCHAR(5) COLLATE RTRIM, QTY INTEGER",
     {"('ABC', 'x', 1)", "('q', 'a', 2)"}, {"('ABC', 'x', 1)", "('abc', 'x', 1)", "('q', 'a', 2)", "('q', 'a ', 2)"},
     {"DELETE FROM {T} WHERE NAME = 'abc' and NAME COLLATE BINARY = 'abc' and CODE = 'x' and CODE COLLATE BINARY = 'x' and "
      "QTY = 1\r\n",
      "DELETE FROM {T} WHERE NAME = 'q' and NAME COLLATE BINARY = 'q' and CODE = 'a ' and CODE COLLATE BINARY = 'a ' and "
      "QTY = 2\r\n"},
     "select '[' || NAME || '|' || CODE || ']', QTY from {T} order by 1"},
    // A nondeterministic ICU collation makes PostgreSQL's "=" blind to case;
    // a deterministic one compares bytes already: no second term.
    {"PostgreSQLNondeterministic", TServer::PostgreSQL, "name varchar(10) collate velmorin_ci, plain varchar(10), qty integer",
     {"('ABC', 'p', 1)"}, {"('ABC', 'p', 1)", "('abc', 'p', 1)"},
     {"DELETE FROM {T} WHERE name = 'abc' and name COLLATE \"C\" = 'abc' and plain = 'p' and qty = 1\r\n"},
     "select name, plain, qty from {T}"},
    // A primary key whose case changed under a case-blind collation: the
    // new row's INSERT would collide with the old row until its DELETE has
    // run, so every DELETE goes first, and nothing is lost.
    {"FirebirdCaseOnlyKeyChange", TServer::FbEmbedded,
     "CODE VARCHAR(10) CHARACTER SET UTF8 NOT NULL COLLATE UNICODE_CI, N INTEGER, PRIMARY KEY (CODE)",
     {"('ABC', 1)", "('b', 2)", "('Zz', 3)"}, {"('abc', 1)", "('B', 2)", "('zz', 3)"},
     {"DELETE FROM {T} WHERE CODE = 'B' and CODE COLLATE UTF8 = 'B' and OCTET_LENGTH(CODE) = 1\r\n",
      "DELETE FROM {T} WHERE CODE = 'abc' and CODE COLLATE UTF8 = 'abc' and OCTET_LENGTH(CODE) = 3\r\n",
      "DELETE FROM {T} WHERE CODE = 'zz' and CODE COLLATE UTF8 = 'zz' and OCTET_LENGTH(CODE) = 2\r\n", CaseOnlyInserts[0],
      CaseOnlyInserts[1], CaseOnlyInserts[2]},
     "select CODE, N from {T} order by N"},
    {"SQLiteCaseOnlyKeyChange", TServer::SQLite, "CODE VARCHAR(10) NOT NULL COLLATE NOCASE PRIMARY KEY, N INTEGER",
     {"('ABC', 1)", "('b', 2)", "('Zz', 3)"}, {"('abc', 1)", "('B', 2)", "('zz', 3)"},
     {"DELETE FROM {T} WHERE CODE = 'B' and CODE COLLATE BINARY = 'B'\r\n",
      "DELETE FROM {T} WHERE CODE = 'abc' and CODE COLLATE BINARY = 'abc'\r\n",
      "DELETE FROM {T} WHERE CODE = 'zz' and CODE COLLATE BINARY = 'zz'\r\n", CaseOnlyInserts[0], CaseOnlyInserts[1],
      CaseOnlyInserts[2]},
     "select CODE, N from {T} order by N"},
};

} // namespace

TEST_P(KeyConditions, ReachOnlyThePairedRow)
{
    const auto& [p, immediate] = GetParam();
    TTestDatabase m(p.Server), t(p.Server);
    for (TTestDatabase* d : {&m, &t})
        if (!d->Unavailable().empty()) QEL_SKIP_OR_FAIL(d->Unavailable());
    if (p.Server == TServer::PostgreSQL)
        m.TryExec("create collation if not exists velmorin_ci (provider = icu, locale = 'und-u-ks-level2', "
                  "deterministic = false)");
    const std::string tm = m.Table("KC"), tt = t.Table("KCT");
    m.CreateTable(tm, p.Body);
    t.CreateTable(tt, p.Body);
    m.Insert(tm, p.MasterRows);
    t.Insert(tt, p.TargetRows);
    {
        TRun run(m, tm, t, tt);
        TCustomSQLExec sink;
        run.C.SetSQLExec(&sink);
        ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
        EXPECT_EQ(run.C.ErrorCount, 0) << Joined(run.errors);
        std::vector<std::string> expected;
        for (const std::string& e : p.Expected) expected.push_back(WithTable(e, tt));
        EXPECT_EQ(DataTexts(sink), expected);
        if (p.MasterSelect != nullptr) {
            EXPECT_NE(std::find(run.log.begin(), run.log.end(), p.MasterSelect), run.log.end()) << Joined(run.log);
        }
    }
    SyncAndCompareAgain(m, tm, t, tt, immediate);
    EXPECT_EQ(t.Rows(WithTable(p.Select, tt)), m.Rows(WithTable(p.Select, tm)));
}

INSTANTIATE_TEST_SUITE_P(Velmorin, KeyConditions, ::testing::Combine(::testing::ValuesIn(CollationCases), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<TCollationCase, bool>>& i) {
                             return std::string(std::get<0>(i.param).Name) + Mode(std::get<1>(i.param));
                         });

// The conditions for MS SQL and MySQL, whose servers the tests do not have:
// a SQLite file stands in for the target, with a catalogue table that
// answers the INFORMATION_SCHEMA query.
namespace {

struct TForeignKeyCase {
    const char* Name;
    TDatabaseType Server;
    const char* DataType;
    const char* Collation;
    std::string Expected;
};

class ForeignKeyConditions : public ::testing::TestWithParam<TForeignKeyCase> {};

} // namespace

TEST_P(ForeignKeyConditions, CompareBytesAndLength)
{
    const TForeignKeyCase& p = GetParam();
    TTestDatabase master(TServer::FbEmbedded);
    if (!master.Unavailable().empty()) QEL_SKIP_OR_FAIL(master.Unavailable());
    master.CreateTable("ITEMS", "K VARCHAR(10), N INTEGER");
    TStandIn target(p.Server);
    if (!target.Unavailable.empty()) QEL_SKIP_OR_FAIL(target.Unavailable);
    target.File.Execute("attach database '" + target.Dir.File("schema.db") + "' as INFORMATION_SCHEMA");
    target.File.Execute("create table INFORMATION_SCHEMA.COLUMNS (TABLE_NAME, COLUMN_NAME, IS_NULLABLE, DATA_TYPE, "
                        "COLLATION_NAME)");
    target.File.Execute(std::string("insert into INFORMATION_SCHEMA.COLUMNS values ('ITEMS', 'K', 'YES', '") + p.DataType +
                        "', '" + p.Collation + "'), ('ITEMS', 'N', 'YES', 'int', Null)");
    target.File.Execute("create table ITEMS (K VARCHAR(10), N INTEGER)");
    target.File.Execute("insert into ITEMS values ('caf\xC3\xA9', 1)");
    target.Target.MSSQLServerOptions().SQLServerVersion = TMSSQLServerVersionType::st_MSSQL2019;
    TStandInRun run(master, target, "K", {"K", "N"}, "select K, N from ITEMS order by K");
    ASSERT_TRUE(run.C.Execute()) << Joined(run.errors);
    EXPECT_EQ(run.C.ErrorCount, 0) << Joined(run.errors);
    EXPECT_EQ(StatementTexts(run.Sink), p.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Velmorin, ForeignKeyConditions,
    ::testing::Values(
        TForeignKeyCase{"MSSQLNVarChar", TDatabaseType::dbMSSQL, "nvarchar", "Latin1_General_CI_AS",
                        "DELETE FROM ITEMS WHERE K = 'caf\xC3\xA9' and K COLLATE Latin1_General_BIN2 = 'caf\xC3\xA9' and "
                        "DATALENGTH(K) = 8\r\n\n"},
        TForeignKeyCase{"MSSQLVarChar", TDatabaseType::dbMSSQL, "varchar", "Latin1_General_CI_AS",
                        "DELETE FROM ITEMS WHERE K = 'caf\xC3\xA9' and K COLLATE Latin1_General_BIN2 = 'caf\xC3\xA9' and "
                        "DATALENGTH(K) = 4\r\n\n"},
        TForeignKeyCase{"MSSQLVarCharUTF8", TDatabaseType::dbMSSQL, "varchar", "Latin1_General_100_CI_AS_SC_UTF8",
                        "DELETE FROM ITEMS WHERE K = 'caf\xC3\xA9' and K COLLATE Latin1_General_BIN2 = 'caf\xC3\xA9' and "
                        "DATALENGTH(K) = 5\r\n\n"},
        TForeignKeyCase{"MSSQLChar", TDatabaseType::dbMSSQL, "nchar", "Latin1_General_CI_AS",
                        "DELETE FROM ITEMS WHERE K = 'caf\xC3\xA9' and K COLLATE Latin1_General_BIN2 = 'caf\xC3\xA9'\r\n\n"},
        TForeignKeyCase{"MySQLVarChar", TDatabaseType::dbMySQL, "varchar", "utf8mb4_general_ci",
                        "DELETE FROM ITEMS WHERE K = 'caf\xC3\xA9' and BINARY K = 'caf\xC3\xA9' and CHAR_LENGTH(K) = 4\r\n\n"},
        TForeignKeyCase{"MySQLChar", TDatabaseType::dbMySQL, "char", "utf8mb4_general_ci",
                        "DELETE FROM ITEMS WHERE K = 'caf\xC3\xA9' and BINARY K = 'caf\xC3\xA9'\r\n\n"}),
    [](const ::testing::TestParamInfo<TForeignKeyCase>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------------------
// A run that stops half-way leaves nothing behind

// A server error while the master's rows are read (the fourth row divides by
// zero): the statements made before it would look like a whole script.
TEST_F(CompareRun, FailureInMidMergeWithdrawsEverything)
{
    for (bool immediate : {false, true}) {
        SCOPED_TRACE(immediate ? "immediate" : "script");
        Both("T11", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(10), PIC BLOB SUB_TYPE BINARY");
        master->Insert("T11", {"(1, 'a', x'01')", "(2, 'b', Null)", "(3, 'c', x'03')", "(4, 'd', Null)", "(5, 'e', Null)"});
        target->Insert("T11", {"(0, 'z', Null)", "(1, 'x', Null)", "(3, 'c', x'03')"});
        auto run = NewRun("T11");
        if (immediate) run->C.SetUpdateImmediately(true);
        run->C.OnGetSelectSQL = [](TObject&, TStringList& m, TStringList& t) {
            m.SetText("select ID, NAME, PIC from T11 where 1 / (4 - ID) <> 99 order by ID");
            t.SetText("select ID, NAME, PIC from T11 order by ID");
        };
        int produced = 0;
        run->C.OnAddResultSQL = [&](TObject&, bool&, const std::string&, TStatType, const std::string&, TDbObject,
                                    TDbOperation) { ++produced; };
        ASSERT_TRUE(run->C.Execute());
        EXPECT_GE(produced, 2); // the DELETE of 0 and the UPDATE of 1 went out before the failure
        ASSERT_EQ(run->errors.size(), 1u) << Joined(run->errors);
        EXPECT_NE(run->errors[0].find("divide by zero"), std::string::npos) << run->errors[0];
        EXPECT_EQ(run->errors[0].substr(run->errors[0].size() - 30), "\r\nNo statements were produced.");
        EXPECT_EQ(sink.Count(), 0);
        EXPECT_EQ(Script(), "");
        EXPECT_EQ(qeltest::ReadFile(target->Dir().File("Result.LOB")), "");
        EXPECT_EQ(run->C.Inserted + run->C.Updated + run->C.Deleted, 0);
        EXPECT_EQ(target->Rows("select ID, NAME, PIC from T11 order by ID"),
                  (TRows{{"0", "z", "<null>"}, {"1", "x", "<null>"}, {"3", "c", "x03"}}));
    }
}

// Immediate statements over ODBC run in one transaction: a withdrawn run
// rolls back the DELETE and UPDATE it ran before the repeated key.
TEST(ImmediateTransaction, WithdrawnRunLeavesAnODBCTargetUnchanged)
{
    for (TServer server : {TServer::SQLite, TServer::PostgreSQL}) {
        SCOPED_TRACE(ServerName(server));
        TTestDatabase m(server), t(server);
        if (!m.Unavailable().empty()) QEL_SKIP_OR_FAIL(m.Unavailable());
        const std::string tm = m.Table("R5"), tt = t.Table("R5T");
        m.CreateTable(tm, "ID INTEGER, NAME VARCHAR(5)");
        t.CreateTable(tt, "ID INTEGER, NAME VARCHAR(5)");
        m.Insert(tm, {"(1, 'a')", "(2, 'b')", "(3, 'c')", "(3, 'd')"});
        t.Insert(tt, {"(0, 'z')", "(1, 'x')"});
        TRun run(m, tm, t, tt);
        const std::string id = t.Column("ID");
        run.C.TableOptionsMaster().KeyFields().SetLines({id});
        run.C.TableOptionsTarget().KeyFields().SetLines({id});
        run.C.SetUpdateImmediately(true);
        int produced = 0;
        run.C.OnAddResultSQL = [&](TObject&, bool&, const std::string&, TStatType, const std::string&, TDbObject,
                                   TDbOperation) { ++produced; };
        ASSERT_TRUE(run.C.Execute());
        EXPECT_EQ(produced, 2);
        EXPECT_EQ(run.errors, std::vector<std::string>{"Error: Master table " + tm + ": the key " + id +
                                                       " = 3 occurs more than once. No statements were produced."});
        EXPECT_EQ(t.Rows("select ID, NAME from " + tt + " order by ID"),
                  (TRows{{"0", "z"}, {"1", "x"}}));
        EXPECT_FALSE(t.Connection().InTransaction());
    }
}

// In the one transaction a failing statement is still undone alone: the
// statements around it keep their effect.
TEST(ImmediateTransaction, FailingStatementIsUndoneAlone)
{
    for (TServer server : {TServer::FbEmbedded, TServer::SQLite, TServer::PostgreSQL}) {
        SCOPED_TRACE(ServerName(server));
        TTestDatabase m(server), t(server);
        if (!m.Unavailable().empty()) QEL_SKIP_OR_FAIL(m.Unavailable());
        const std::string tm = m.Table("R6"), tt = t.Table("R6T");
        m.CreateTable(tm, "ID INTEGER NOT NULL PRIMARY KEY, N INTEGER");
        t.CreateTable(tt, "ID INTEGER NOT NULL PRIMARY KEY, N INTEGER CHECK (N < 100)");
        m.Insert(tm, {"(1, 1)", "(2, 200)", "(3, 3)"});
        t.Insert(tt, {"(1, 0)", "(2, 0)", "(3, 0)", "(4, 0)"});
        TRun run(m, tm, t, tt);
        run.C.SetUpdateImmediately(true);
        ASSERT_TRUE(run.C.Execute());
        EXPECT_EQ(run.C.ErrorCount, 1) << Joined(run.errors);
        EXPECT_EQ(t.Rows("select ID, N from " + tt + " order by ID"),
                  (TRows{{"1", "1"}, {"2", "0"}, {"3", "3"}}));
    }
}

// ---------------------------------------------------------------------------
// Dates and times at the target's precision

// Fractions of a second from PostgreSQL and SQLite: Firebird keeps
// ten-thousandths, a SQLite time stamp milliseconds. What the target keeps
// lands exactly and the second run finds the tables equal; a finer value
// stops the run naming its row, with the target untouched. Dates reach
// SQLite as ISO text.
TEST(TimeValues, FractionsAtTheTargetsPrecision)
{
    for (TServer from : {TServer::PostgreSQL, TServer::SQLite})
    for (TServer server : {TServer::FbEmbedded, TServer::SQLite}) {
        for (bool immediate : {false, true}) {
            SCOPED_TRACE(std::string(ServerName(from)) + " to " + ServerName(server) + (immediate ? " immediate" : " script"));
            TTestDatabase m(from), t(server);
            if (!m.Unavailable().empty()) QEL_SKIP_OR_FAIL(m.Unavailable());
            const std::string tm = m.Table("tv"), tt = t.Table("TV");
            m.CreateTable(tm, "id integer not null primary key, d date, tm time, ts timestamp");
            t.CreateTable(tt, "ID INTEGER NOT NULL PRIMARY KEY, D DATE, TM TIME, TS TIMESTAMP");
            m.Exec("insert into " + tm + " values (1, '2024-02-27', '10:11:12.1234', '2024-02-27 10:11:12.123'), "
                   "(2, '1999-12-31', '23:59:59.9999', '1999-12-31 23:59:59.999'), "
                   "(3, '2024-01-02', '00:00:00.5', '2024-01-02 03:04:05.5')");
            t.Exec("insert into " + tt + " values (3, '2020-01-01', '01:00:00', '2020-01-01 00:00:00')");
            const auto keys = [&](TVelmorin& c) {
                for (TCmpTableOptions* side : {&c.TableOptionsMaster(), &c.TableOptionsTarget()}) {
                    side->SetKeyFields(TStringList{"ID"});
                    side->SetDataFields(TStringList{"ID", "D", "TM", "TS"});
                }
            };
            SyncAndCompareAgain(m, tm, t, tt, immediate, nullptr, keys);
            const TRows landed{{"1", "2024-02-27", "10:11:12.1234", "2024-02-27 10:11:12.123"},
                               {"2", "1999-12-31", "23:59:59.9999", "1999-12-31 23:59:59.999"},
                               {"3", "2024-01-02", "00:00:00.5", "2024-01-02 03:04:05.5"}};
            EXPECT_EQ(t.Rows("select ID, D, TM, TS from " + tt + " order by ID"), landed);
            if (!IsFirebird(server)) {
                // SQLite keeps what the literal says: ISO text, which its date functions read.
                EXPECT_EQ(t.Rows("select date(D), TS from " + tt + " where ID = 3"),
                          (TRows{{"2024-01-02", "2024-01-02 03:04:05.5"}}));
            }
            // Microseconds: more than either target keeps.
            m.Exec("update " + tm + " set tm = '10:11:12.123456', ts = '2024-02-27 10:11:12.123456' where id = 1");
            TRun run(m, tm, t, tt);
            keys(run.C);
            if (immediate) run.C.SetUpdateImmediately(true);
            ASSERT_TRUE(run.C.Execute());
            ASSERT_EQ(run.errors.size(), 1u) << Joined(run.errors);
            EXPECT_NE(run.errors[0].find("Table " + tm + ", column "), std::string::npos) << run.errors[0];
            EXPECT_NE(run.errors[0].find(", row id = 1: the value "), std::string::npos) << run.errors[0];
            EXPECT_NE(run.errors[0].find("decimals of a second"), std::string::npos) << run.errors[0];
            EXPECT_EQ(t.Rows("select ID, D, TM, TS from " + tt + " order by ID"), landed);
        }
    }
}

// ---------------------------------------------------------------------------
// Every value lands exactly or the run stops: what a target column cannot
// hold stops the run, naming table, column and row, in both modes, before
// anything is written or applied.

namespace {

struct TLandingCase {
    const char* Name;
    TServer Master;
    const char* MasterBody;
    std::vector<std::string> MasterRows;
    TServer Target;
    const char* TargetBody;
    std::vector<std::string> TargetRows;
    // Empty: the values land, and the target reads Landed; else the end of
    // the refusal, after "Table <master>, column <Column>, row ".
    const char* Column;
    const char* Refusal;
    TRows Landed;
};

class ExactLanding : public ::testing::TestWithParam<std::tuple<TLandingCase, bool>> {};

const std::vector<TLandingCase> LandingCases = {
    // Exact against double: 9007199254740993 is no double, so the two keys
    // differ and the target's row goes.
    {"DoubleKeyAgainstBigint", TServer::FbEmbedded, "ID DOUBLE PRECISION NOT NULL PRIMARY KEY, V INTEGER",
     {"(9007199254740992, 1)"}, TServer::FbEmbedded, "ID BIGINT NOT NULL PRIMARY KEY, V INTEGER",
     {"(9007199254740993, 1)"}, "", "", {{"9007199254740992", "1"}}},
    {"DecimalKeyIntoInteger", TServer::PostgreSQL, "id numeric(18,2) not null primary key, v integer",
     {"(2.50, 1)", "(-2.50, 2)"}, TServer::FbEmbedded, "ID INTEGER NOT NULL PRIMARY KEY, V INTEGER", {"(7, 7)"}, "id",
     "-2.5 has more than the 0 decimals the column keeps", {}},
    {"TinyFractionIntoScale4", TServer::PostgreSQL, "id integer not null primary key, v numeric(38,10)",
     {"(1, -0.0000000001)"}, TServer::FbEmbedded, "ID INTEGER NOT NULL PRIMARY KEY, V NUMERIC(18,4)", {}, "v",
     "-0.0000000001 has more than the 4 decimals the column keeps", {}},
    // Past 18 digits: no "Token unknown" from a literal Firebird cannot read.
    {"TwentyDigitsIntoFirebird", TServer::PostgreSQL, "id integer not null primary key, v numeric(38,10)",
     {"(1, 1234567890123456789012.5)"}, TServer::FbEmbedded, "ID INTEGER NOT NULL PRIMARY KEY, V NUMERIC(18,1)", {},
     "v", "1234567890123456789012.5 is beyond the range of the column", {}},
    {"WideDecimalIntoADouble", TServer::PostgreSQL, "id integer not null primary key, v numeric(38,10)",
     {"(1, 1234567890123456789012.5)"}, TServer::FbEmbedded, "ID INTEGER NOT NULL PRIMARY KEY, V DOUBLE PRECISION", {},
     "", "", {{"1", "1234567890123456774144"}}},
    // Nineteen digits whose unscaled value is a 64-bit integer: Firebird
    // reads the literal exactly, so it is no double on the way.
    {"NineteenDigitsIntoFirebird", TServer::PostgreSQL, "id integer not null primary key, v numeric(19,2)",
     {"(1, 12345678901234567.89)", "(2, -92233720368547758.08)"}, TServer::FbEmbedded,
     "ID INTEGER NOT NULL PRIMARY KEY, V NUMERIC(18,2)", {}, "", "",
     {{"1", "12345678901234567.89"}, {"2", "-92233720368547758.08"}}},
    {"NineteenDigitIntegersIntoBigint", TServer::PostgreSQL, "id integer not null primary key, v numeric(19,0)",
     {"(1, 1234567890123456789)", "(2, -9223372036854775808)"}, TServer::FbEmbedded,
     "ID INTEGER NOT NULL PRIMARY KEY, V BIGINT", {}, "", "",
     {{"1", "1234567890123456789"}, {"2", "-9223372036854775808"}}},
    {"WideDecimalThatFits", TServer::PostgreSQL, "id integer not null primary key, v numeric(38,10)",
     {"(1, -12345678901234.5678)"}, TServer::FbEmbedded, "ID INTEGER NOT NULL PRIMARY KEY, V NUMERIC(18,4)", {}, "",
     "", {{"1", "-12345678901234.5678"}}},
    {"SQLiteRealIntoNumeric52", TServer::SQLite, "ID INTEGER NOT NULL PRIMARY KEY, V REAL", {"(1, 123.456)"},
     TServer::PostgreSQL, "id integer not null primary key, v numeric(5,2)", {}, "V",
     "the double 123.456 is exactly 123.4560000000000030695446184836328029632568359375, more decimals than the 2 the "
     "column keeps", {}},
    {"DoubleOneTenthIntoNumeric", TServer::PostgreSQL, "id integer not null primary key, v double precision",
     {"(1, 0.1)"}, TServer::PostgreSQL, "id integer not null primary key, v numeric(18,4)", {}, "v",
     "the double 0.1 is exactly 0.1000000000000000055511151231257827021181583404541015625, more decimals than the 4 "
     "the column keeps", {}},
    {"DyadicDoubleIntoNumeric", TServer::PostgreSQL, "id integer not null primary key, v double precision",
     {"(1, 2.5)", "(2, -1024.0625)"}, TServer::FbEmbedded, "ID INTEGER NOT NULL PRIMARY KEY, V NUMERIC(9,4)", {}, "", "",
     {{"1", "2.5"}, {"2", "-1024.0625"}}},
    {"NumericPastItsDigits", TServer::FbEmbedded, "ID INTEGER NOT NULL PRIMARY KEY, V NUMERIC(18,2)", {"(1, 1000.5)"},
     TServer::PostgreSQL, "id integer not null primary key, v numeric(5,2)", {"(1, 1)"}, "V",
     "has more than the 5 digits the column holds", {}},
    {"SmallintRange", TServer::FbEmbedded, "ID INTEGER NOT NULL PRIMARY KEY, V INTEGER", {"(1, 32768)"},
     TServer::PostgreSQL, "id integer not null primary key, v smallint", {}, "V", "32768 is beyond the range", {}},
    {"TextLongerThanTheColumn", TServer::PostgreSQL, "id integer not null primary key, v varchar(20)",
     {"(1, '\xC5\xBC\xC3\xB3\xC5\x82w')", "(2, 'longer text')"}, TServer::FbEmbedded,
     "ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(4)", {}, "v",
     "the text of 11 characters is longer than the 4 the column holds", {}},
    {"TextThatFitsInCharacters", TServer::PostgreSQL, "id integer not null primary key, v varchar(20)",
     {"(1, '\xC5\xBC\xC3\xB3\xC5\x82w')"}, TServer::FbEmbedded, "ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(4)", {}, "",
     "", {{"1", "\xC5\xBC\xC3\xB3\xC5\x82w"}}},
    {"TimeOfDayIntoADate", TServer::PostgreSQL, "id integer not null primary key, v timestamp",
     {"(1, '2024-02-27 00:00:00')", "(2, '2024-02-27 10:11:12')"}, TServer::FbEmbedded,
     "ID INTEGER NOT NULL PRIMARY KEY, V DATE", {}, "v", "has a time of day, which the date column does not keep", {}},
    {"NumberIntoText", TServer::FbEmbedded, "ID INTEGER NOT NULL PRIMARY KEY, V INTEGER", {"(1, 5)"},
     TServer::PostgreSQL, "id integer not null primary key, v varchar(10)", {}, "V",
     "the value is a number and the column holds text", {}},
    // A 32-bit float at the edge of its range: one rule for both modes.
    {"LargestRealIntoFloat", TServer::PostgreSQL, "id integer not null primary key, v real", {"(1, 3.4028235e38)", "(2, -3.4028235e38)"},
     TServer::FbEmbedded, "ID INTEGER NOT NULL PRIMARY KEY, V FLOAT", {}, "", "",
     {{"1", "3.4028235e+38"}, {"2", "-3.4028235e+38"}}},
    {"DoubleBeyondAFloat", TServer::PostgreSQL, "id integer not null primary key, v double precision",
     {"(1, 1e300)"}, TServer::FbEmbedded, "ID INTEGER NOT NULL PRIMARY KEY, V FLOAT", {}, "v",
     "is beyond the range of the 32-bit float column", {}},
    {"InfinityTextFromSQLite", TServer::SQLite, "ID INTEGER NOT NULL PRIMARY KEY, V REAL", {"(1, 'Infinity')"},
     TServer::FbEmbedded, "ID INTEGER NOT NULL PRIMARY KEY, V DOUBLE PRECISION", {}, "V", "", {}},
    {"NaNTextFromSQLite", TServer::SQLite, "ID INTEGER NOT NULL PRIMARY KEY, V REAL", {"(1, 'NaN')"},
     TServer::FbEmbedded, "ID INTEGER NOT NULL PRIMARY KEY, V DOUBLE PRECISION", {}, "V", "", {}},
    {"DecimalIntoSQLite", TServer::PostgreSQL, "id integer not null primary key, v numeric(38,10)",
     {"(1, 12345678901234.56785)"}, TServer::SQLite, "ID INTEGER NOT NULL PRIMARY KEY, V NUMERIC(38,10)", {}, "v",
     "is neither a 64-bit integer nor a double, the numbers a SQLite cell holds", {}},
};

std::string ColumnsOf(TTestDatabase& Db, const std::string& Table)
{
    return Db.Column("ID") + ", " + Db.Column("V") + " from " + Table + " order by 1";
}

} // namespace

TEST_P(ExactLanding, OrTheRunStops)
{
    const auto& [p, immediate] = GetParam();
    TTestDatabase m(p.Master), t(p.Target);
    for (TTestDatabase* d : {&m, &t})
        if (!d->Unavailable().empty()) QEL_SKIP_OR_FAIL(d->Unavailable());
    const std::string tm = m.Table("XL"), tt = t.Table("XLT");
    m.CreateTable(tm, p.MasterBody);
    t.CreateTable(tt, p.TargetBody);
    m.Insert(tm, p.MasterRows);
    t.Insert(tt, p.TargetRows);
    const std::string select = "select " + ColumnsOf(t, tt);
    if (std::string(p.Column).empty()) {
        SyncAndCompareAgain(m, tm, t, tt, immediate);
        EXPECT_EQ(t.Rows(select), p.Landed);
        return;
    }
    const TRows before = t.Rows(select);
    TRun run(m, tm, t, tt);
    TCustomSQLExec sink;
    if (immediate) run.C.SetUpdateImmediately(true);
    else run.C.SetSQLExec(&sink);
    ASSERT_TRUE(run.C.Execute());
    ASSERT_EQ(run.errors.size(), 1u) << Joined(run.errors);
    const std::string& e = run.errors[0];
    EXPECT_EQ(e.find("Error: Table " + tm + ", column " + p.Column + ", row "), 0u) << e;
    EXPECT_NE(e.find(p.Refusal), std::string::npos) << e;
    EXPECT_NE(e.find(" of table " + tt + " cannot take it as it is. No statements were produced."), std::string::npos) << e;
    EXPECT_EQ(sink.Count(), 0);
    EXPECT_EQ(run.C.Inserted + run.C.Updated + run.C.Deleted, 0);
    EXPECT_EQ(t.Rows(select), before);
}

INSTANTIATE_TEST_SUITE_P(Velmorin, ExactLanding, ::testing::Combine(::testing::ValuesIn(LandingCases), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<TLandingCase, bool>>& i) {
                             return std::string(std::get<0>(i.param).Name) + Mode(std::get<1>(i.param));
                         });
