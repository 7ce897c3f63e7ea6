// The ADO layer on SQLite files, which it opens through libsqlite3: field
// types, values kept as stored, exact doubles, storage classes of bound
// parameters, time-outs, flat memory and files that cannot be opened.
#include "qelADO.h"
#include "qelADOTestSupport.h"
#include "qelErrors.h"
#include "qelSQLite.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <fstream>
#include <functional>
#include <string>

using namespace qel;
using namespace qeltest;

namespace {

TEST_F(ADOSqlite, TextsOfSeveralStatementsRunInTurn)
{
    EXPECT_EQ(m_conn.Execute("CREATE TABLE a (x INTEGER); INSERT INTO a VALUES (1); INSERT INTO a VALUES (2), (3);"), 3);
    TADOQuery q;
    q.SetConnection(&m_conn);
    // The markers are numbered across the statements.
    q.SetSQL("INSERT INTO a VALUES (?); /* ? */ INSERT INTO a VALUES (?)");
    ASSERT_EQ(q.Parameters().Count(), 2);
    q.Parameters()[0].SetAsInteger(4);
    q.Parameters()[1].SetAsInteger(5);
    EXPECT_EQ(q.ExecSQL(), 2);
    // The rows come from the last statement.
    q.SetSQL("DELETE FROM a WHERE x = ?; SELECT SUM(x) AS s FROM a -- done");
    q.Parameters()[0].SetAsInteger(1);
    q.Open();
    EXPECT_EQ(q.FieldByName("s").AsInteger(), 14);
}

TEST_F(ADOSqlite, FieldTypesFollowTheDeclaredTypes)
{
    struct TCase {
        const char* Declared;
        TFieldType Type;
        int Size;
    };
    const TCase cases[] = {
        {"INTEGER", TFieldType::ftInteger, 0},          {"SMALLINT", TFieldType::ftSmallint, 0},
        {"BIGINT", TFieldType::ftLargeint, 0},          {"UNSIGNED BIG INT", TFieldType::ftLargeint, 0},
        {"REAL", TFieldType::ftFloat, 17},              {"DOUBLE PRECISION", TFieldType::ftFloat, 17},
        {"NUMERIC(18,4)", TFieldType::ftFloat, 17},     {"decimal(10, 2)", TFieldType::ftFloat, 17},
        {"VARCHAR(200)", TFieldType::ftString, 200},    {"CHAR(10)", TFieldType::ftString, 10},
        {"NVARCHAR", TFieldType::ftString, 0},          {"VARCHAR(5000)", TFieldType::ftMemo, 0},
        {"TEXT", TFieldType::ftMemo, 0},                {"CLOB", TFieldType::ftMemo, 0},
        {"BLOB", TFieldType::ftBlob, 0},                {"VARBINARY(8)", TFieldType::ftVarBytes, 0},
        {"DATE", TFieldType::ftDate, 0},                {"TIME", TFieldType::ftTime, 0},
        {"TIMESTAMP", TFieldType::ftDateTime, 0},       {"DATETIME", TFieldType::ftDateTime, 0},
        {"BOOLEAN", TFieldType::ftBoolean, 0},          {"", TFieldType::ftString, 0},
        {"STRING", TFieldType::ftString, 0},
    };
    std::string ddl;
    for (size_t i = 0; i < std::size(cases); ++i) ddl += (i ? ", c" : "c") + std::to_string(i) + " " + cases[i].Declared;
    m_conn.Execute("CREATE TABLE d (" + ddl + ")");
    const auto cols = m_conn.GetColumns("d");
    ASSERT_EQ(cols.size(), std::size(cases));
    TADOQuery q;
    q.SetConnection(&m_conn);
    q.SetSQL("SELECT * FROM d");
    q.Open();
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].Declared);
        EXPECT_STREQ(FieldTypeName(cols[i].FieldType), FieldTypeName(cases[i].Type));
        EXPECT_EQ(cols[i].TypeName, cases[i].Declared);
        const TField& f = q.Fields()[static_cast<int>(i)];
        EXPECT_STREQ(FieldTypeName(f.DataType()), FieldTypeName(cases[i].Type));
        EXPECT_EQ(f.Size(), cases[i].Size);
    }
    // No declared type: the kind of the first value, text when there is none.
    q.SetSQL("SELECT 1 AS i, 1.5 AS r, 'a' AS t, x'00' AS b, NULL AS n, c0 AS alias FROM (SELECT 1 AS c0)");
    q.Open();
    const TFieldType expressions[] = {TFieldType::ftLargeint, TFieldType::ftFloat, TFieldType::ftString,
                                      TFieldType::ftBlob, TFieldType::ftString, TFieldType::ftLargeint};
    for (int i = 0; i < q.Fields().Count(); ++i)
        EXPECT_STREQ(FieldTypeName(q.Fields()[i].DataType()), FieldTypeName(expressions[i])) << q.Fields()[i].FieldName();
}

// Each value stays what SQLite stored: a number as its exact text in a text
// column, a number in a date column as the Julian day SQLite's date
// functions read, and what fits no conversion as its own kind.
TEST_F(ADOSqlite, ValuesOfAnotherStorageClassAreKeptAsStored)
{
    m_conn.Execute("CREATE TABLE m (i INTEGER, n NUMERIC(18,4), d DATE, ts TIMESTAMP, t VARCHAR(10), b BLOB, bo BOOLEAN, "
                   "x)");
    m_conn.Execute("INSERT INTO m VALUES ('x', 9007199254740993, 2460000.5, '2024-01-02T10:11:12.123456', x'00ff', "
                   "0.30000000000000004, 2, 1e-310)");
    m_conn.Execute("INSERT INTO m (d) VALUES ('not a date')");
    TADOQuery q;
    q.SetConnection(&m_conn);
    q.SetSQL("SELECT * FROM m ORDER BY rowid");
    q.Open();
    EXPECT_EQ(q.FieldByName("i").AsString(), "x");
    EXPECT_THROW(q.FieldByName("i").AsInteger(), EConvertError);
    EXPECT_EQ(q.FieldByName("n").AsLargeInt(), 9007199254740993LL);
    EXPECT_EQ(q.FieldByName("d").Value().Kind(), TValueKind::vkDate);
    EXPECT_EQ(q.FieldByName("d").AsDateTime(), Stamp(2023, 2, 25, 0, 0, 0, 0));
    EXPECT_EQ(q.FieldByName("ts").AsDateTime(), Stamp(2024, 1, 2, 10, 11, 12, 123456));
    EXPECT_EQ(q.FieldByName("t").AsBytes(), std::string("\0\xff", 2));
    EXPECT_EQ(q.FieldByName("b").AsBytes(), "0.30000000000000004");
    EXPECT_EQ(q.FieldByName("bo").AsLargeInt(), 2);
    EXPECT_EQ(q.FieldByName("x").AsFloat(), 1e-310);
    q.Next();
    EXPECT_EQ(q.FieldByName("d").AsString(), "not a date");
    // A number that is no Julian day stops the reading with the column's name.
    m_conn.Execute("UPDATE m SET d = 1e10");
    q.Close();
    try {
        q.Open();
        FAIL() << "1e10 read as a date";
    } catch (const EConvertError& e) {
        EXPECT_NE(std::string(e.what()).find("Column \"d\""), std::string::npos) << e.what();
    }
}

// A column without affinity (declared with no type, or BLOB) and an
// expression keep each cell's own class, whatever the first row holds.
TEST_F(ADOSqlite, CellsWithoutAffinityKeepTheirOwnClass)
{
    m_conn.Execute("CREATE TABLE u (k INTEGER, x, b BLOB)");
    m_conn.Execute("INSERT INTO u VALUES (1, x'616263', x'616263'), (2, 'abc', 'abc'), (3, 7, 7), (4, 7.5, 7.5), "
                   "(5, Null, Null), (6, '7', '7')");
    struct TCell {
        TValueKind Kind;
        const char* Text;
    };
    const TCell expected[] = {{TValueKind::vkBytes, "abc"},   {TValueKind::vkString, "abc"},
                              {TValueKind::vkInteger, "7"},   {TValueKind::vkFloat, "7.5"},
                              {TValueKind::vkNull, ""},       {TValueKind::vkString, "7"}};
    for (const char* column : {"x", "b", "coalesce(x, Null)"}) {
        TADOQuery q;
        q.SetConnection(&m_conn);
        q.SetSQL(std::string("SELECT ") + column + " AS v FROM u ORDER BY k");
        q.Open();
        for (const TCell& e : expected) {
            ASSERT_FALSE(q.Eof()) << column;
            const TField& f = q.FieldByName("v");
            EXPECT_EQ(f.Value().Kind(), e.Kind) << column << " " << e.Text;
            if (!f.IsNull()) {
                EXPECT_EQ(f.Value().AsString(), e.Text) << column;
            }
            q.Next();
        }
    }
}

// The affinity the layer gives a declared type against the one SQLite
// applies: the class of the text '12' and of the integer 12 once stored
// tells INTEGER or NUMERIC, REAL, TEXT and none apart.
TEST_F(ADOSqlite, AffinitiesFollowSQLitesOwnRules)
{
    const char* const declared[] = {"INTEGER", "int8", "FLOATING POINT", "CHARINT", "BLOBINT", "VARCHAR(10)",
                                    "nchar", "CLOB", "TEXT INT", "BLOB", "", "BLOB TEXT", "REAL", "DOUBLE PRECISION",
                                    "FLOAT(8)", "NUMERIC(10,2)", "DECIMAL", "DATE", "DATETIME", "BOOLEAN", "STRING",
                                    "BINARY(8)", "VARBINARY", "TIMESTAMP WITH TIME ZONE", "Real Text"};
    auto group = [](TSQLiteAffinity a) {
        switch (a) {
        case TSQLiteAffinity::Integer:
        case TSQLiteAffinity::Numeric: return "integer";
        case TSQLiteAffinity::Real: return "real";
        case TSQLiteAffinity::Text: return "text";
        case TSQLiteAffinity::Blob: break;
        }
        return "none";
    };
    int n = 0;
    for (const char* type : declared) {
        const std::string table = "a" + std::to_string(n++);
        m_conn.Execute("CREATE TABLE " + table + " (v " + type + ")");
        m_conn.Execute("INSERT INTO " + table + " VALUES ('12'), (12)");
        TADOQuery q;
        q.SetConnection(&m_conn);
        q.SetSQL("SELECT group_concat(typeof(v)) AS c FROM " + table);
        q.Open();
        const std::string classes = q.FieldByName("c").AsString();
        const std::string expected = classes == "integer,integer" ? "integer"
                                     : classes == "real,real"     ? "real"
                                     : classes == "text,text"     ? "text"
                                                                  : "none";
        EXPECT_EQ(group(SQLiteAffinityOf(type)), expected) << "'" << type << "': " << classes;
    }
}

TEST_F(ADOSqlite, TextParametersAreStoredAsTextAndBinaryAsBlobs)
{
    m_conn.Execute("CREATE TABLE s (k TEXT, v)");
    struct TCase {
        const char* Name;
        std::function<void(TParam&)> Set;
        const char* StorageClass;
    };
    const TCase cases[] = {
        {"string", [](TParam& p) { p.SetAsString("h\xc3\xa9"); }, "text"},
        {"memo", [](TParam& p) { p.SetAsMemo("m"); }, "text"},
        {"wide memo of bytes", [](TParam& p) { p.SetValue(TFieldType::ftWideMemo, TValue::Bytes("w")); }, "text"},
        {"string of bytes", [](TParam& p) { p.SetValue(TFieldType::ftString, TValue::Bytes(std::string("a\0b", 3))); }, "text"},
        {"fixed char", [](TParam& p) { p.SetValue(TFieldType::ftFixedChar, TValue::String("f")); }, "text"},
        {"guid", [](TParam& p) { p.SetValue(TFieldType::ftGuid, TValue::String("a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11")); }, "text"},
        {"untyped string", [](TParam& p) { p.SetValue(TFieldType::ftUnknown, TValue::String("u")); }, "text"},
        {"blob", [](TParam& p) { p.SetAsBlob("text"); }, "blob"},
        {"bytes", [](TParam& p) { p.SetAsBytes(""); }, "blob"},
        {"untyped bytes", [](TParam& p) { p.SetValue(TFieldType::ftUnknown, TValue::Bytes("b")); }, "blob"},
        {"float", [](TParam& p) { p.SetAsFloat(2.0); }, "real"},
        {"untyped float", [](TParam& p) { p.SetValue(TFieldType::ftUnknown, TValue::Float(0.5)); }, "real"},
        {"integer", [](TParam& p) { p.SetAsLargeInt(9007199254740993LL); }, "integer"},
        {"boolean", [](TParam& p) { p.SetAsBoolean(true); }, "integer"},
        {"decimal", [](TParam& p) { p.SetAsFMTBCD(TDecimal::FromString("1.50")); }, "text"},
        {"time stamp", [](TParam& p) { p.SetAsDateTime(Stamp(2024, 2, 29, 1, 2, 3, 0)); }, "text"},
        {"null", [](TParam& p) { p.Clear(); }, "null"},
    };
    TADOQuery ins;
    ins.SetConnection(&m_conn);
    ins.SetSQL("INSERT INTO s VALUES (?, ?)");
    for (const TCase& c : cases) {
        ins.Parameters()[0].SetAsString(c.Name);
        c.Set(ins.Parameters()[1]);
        ins.ExecSQL();
    }
    TADOQuery q;
    q.SetConnection(&m_conn);
    q.SetSQL("SELECT k, typeof(v) AS c, length(v) AS n FROM s ORDER BY rowid");
    q.Open();
    for (const TCase& c : cases) {
        ASSERT_FALSE(q.Eof());
        EXPECT_EQ(q.FieldByName("k").AsString(), c.Name);
        EXPECT_EQ(q.FieldByName("c").AsString(), c.StorageClass) << c.Name;
        q.Next();
    }
}

struct TRealCase {
    const char* Name;
    double Value;
};

class ADOSqliteReal : public ADOSqlite, public ::testing::WithParamInterface<TRealCase> {};

// Written through a parameter and read back to the last bit, in REAL and
// DOUBLE columns and in a column without affinity; SQLite itself finds the
// same value by "=".
TEST_P(ADOSqliteReal, RoundTripsToTheLastBit)
{
    const double v = GetParam().Value;
    m_conn.Execute("CREATE TABLE r (a REAL, b DOUBLE PRECISION, c)");
    TADOQuery q;
    q.SetConnection(&m_conn);
    q.SetSQL("INSERT INTO r VALUES (?, ?, ?)");
    for (int i = 0; i < 3; ++i) q.Parameters()[i].SetAsFloat(v);
    q.ExecSQL();
    q.SetSQL("SELECT a, b, c, a = ? AND b = ? AND c = ? AS same FROM r");
    for (int i = 0; i < 3; ++i) q.Parameters()[i].SetAsFloat(v);
    q.Open();
    EXPECT_EQ(q.FieldByName("same").AsInteger(), 1);
    for (int i = 0; i < 3; ++i) {
        const TField& f = q.Fields()[i];
        ASSERT_EQ(f.DataType(), TFieldType::ftFloat) << f.FieldName();
        // SQLite keeps a whole REAL of a REAL column as an integer, so -0.0
        // comes back as 0.0 there; equal by value.
        if (v == 0 && i < 2) EXPECT_EQ(f.AsFloat(), 0.0);
        else EXPECT_EQ(std::bit_cast<std::uint64_t>(f.AsFloat()), std::bit_cast<std::uint64_t>(v)) << f.FieldName() << " " << f.AsFloat();
    }
}

INSTANTIATE_TEST_SUITE_P(Values, ADOSqliteReal,
                         ::testing::Values(TRealCase{"PointOnePlusPointTwo", 0.1 + 0.2}, TRealCase{"OneThird", 1.0 / 3},
                                           TRealCase{"Subnormal", 1e-310}, TRealCase{"SmallestSubnormal", DBL_TRUE_MIN},
                                           TRealCase{"SmallestNormal", DBL_MIN}, TRealCase{"Largest", DBL_MAX},
                                           TRealCase{"NegativeLargest", -DBL_MAX}, TRealCase{"SeventeenDigits", 123456789.12345679},
                                           TRealCase{"BeyondTwoToThe53", 9007199254740994.0}, TRealCase{"NegativeZero", -0.0}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ADOSqlite, CommandTimeoutStopsALongStatement)
{
    const std::string slow = "SELECT COUNT(*) FROM (WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < 30000000) "
                             "SELECT x FROM g)";
    TADOQuery q;
    q.SetConnection(&m_conn);
    q.CommandTimeout = 1;
    q.SetSQL(slow);
    try {
        q.Open();
        FAIL() << "no time-out";
    } catch (const EODBCError& e) {
        EXPECT_EQ(e.SQLState(), "HYT00");
        EXPECT_NE(std::string(e.what()).find("time-out (1 s)"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(q.Active());
    // A write that times out makes SQLite roll back the whole transaction:
    // the error says so, and the statements after it still wait for the
    // commit.
    m_conn.Execute("CREATE TABLE t (n INTEGER)");
    m_conn.BeginTrans();
    m_conn.Execute("INSERT INTO t VALUES (1)");
    m_conn.CommandTimeout = 1;
    try {
        m_conn.Execute("INSERT INTO t " + slow);
        FAIL() << "no time-out";
    } catch (const EODBCError& e) {
        EXPECT_NE(std::string(e.what()).find("rolled back the whole transaction"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(m_conn.InTransaction());
    m_conn.Execute("INSERT INTO t VALUES (2)");
    m_conn.RollbackTrans();
    EXPECT_EQ(CountRows(m_conn, "t"), 0);
}

TEST_F(ADOSqlite, LargeResultIsReadInFlatMemory)
{
    // The string the engine builds: no driver keys.
    TADOConnection c;
    c.SetConnectionString("Driver={SQLite3};Database=" + m_dir.File("t.db") + ";");
    c.Open();
    TADOQuery q;
    q.SetConnection(&c);
    ExpectFlatMemory(q, [](int n) {
        return "WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < " + std::to_string(n) +
               ") SELECT x, replace(hex(zeroblob(500)), '0', 'x') AS t FROM g";
    });
}

TEST_F(ADOSqlite, DriverKeysForReadOnlyFilesAndForeignKeysAreKept)
{
    m_conn.Execute("CREATE TABLE p (id INTEGER PRIMARY KEY)");
    m_conn.Execute("CREATE TABLE c (p INTEGER REFERENCES p (id))");
    m_conn.Close();
    TADOConnection c;
    c.SetConnectionString(m_conn.ConnectionString() + ";FKSupport=1");
    c.Open();
    try {
        c.Execute("INSERT INTO c VALUES (7)");
        FAIL() << "foreign key not checked";
    } catch (const EODBCError& e) {
        EXPECT_EQ(e.SQLState(), "23000");
    }
    c.Close();
    c.SetConnectionString("driver={SQLite3};database=" + m_dir.File("t.db") + ";readonly=1");
    c.Open();
    EXPECT_EQ(CountRows(c, "p"), 0);
    EXPECT_THROW(c.Execute("INSERT INTO p VALUES (1)"), EODBCError);
}

struct TBadFile {
    const char* Name;
    std::string (*Make)(const qeltest::TempDir& dir); // the connection string
    const char* Message;
};

class ADOSqliteBadFile : public ::testing::TestWithParam<TBadFile> {};

TEST_P(ADOSqliteBadFile, FailsWithAClearError)
{
    qeltest::TempDir dir;
    TADOConnection c;
    c.SetConnectionString(GetParam().Make(dir));
    try {
        c.Open();
        FAIL() << "connected with " << c.ConnectionString();
    } catch (const EODBCError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().Message), std::string::npos) << e.what();
        EXPECT_EQ(e.SQLState(), "08001");
        EXPECT_FALSE(e.Records().empty());
    }
    EXPECT_FALSE(c.Connected());
}

INSTANTIATE_TEST_SUITE_P(
    Files, ADOSqliteBadFile,
    ::testing::Values(
        TBadFile{"MissingFolder",
                 [](const qeltest::TempDir& d) { return "Driver={SQLite3};Database=" + d.File("missing/t.db") + ";StepAPI=1"; },
                 "does not exist"},
        TBadFile{"MissingFileNotToBeCreated",
                 [](const qeltest::TempDir& d) { return "Driver={SQLite3};Database=" + d.File("t.db") + ";NoCreat=1"; },
                 "cannot be opened"},
        TBadFile{"NoDatabase",
                 [](const qeltest::TempDir& d) {
                     std::ofstream(d.File("t.txt")) << "This is no SQLite database, however long it goes on.\n";
                     return "Driver={SQLite3};Database=" + d.File("t.txt");
                 },
                 "file is not a database"},
        TBadFile{"Folder", [](const qeltest::TempDir& d) { return "Driver={SQLite3};Database=" + d.Path().string(); }, "cannot be opened"},
        TBadFile{"NoFileNamed", [](const qeltest::TempDir&) { return std::string("Driver={SQLite3};StepAPI=1"); }, "no SQLite database file"}),
    [](const auto& info) { return std::string(info.param.Name); });

} // namespace
