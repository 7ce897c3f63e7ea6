#include "qelIBQuery.h"

#include "qelErrors.h"
#include "qelIBClient.h"
#include "qelIBTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using namespace qel;
using qeltest::ErrorOf;
using qeltest::TEmbeddedDatabase;

namespace {

// A value as the tests compare it: exact text of numbers, dates and text,
// bytes in hexadecimal, "<null>" for Null.
std::string Render(const TField& f)
{
    if (f.IsNull()) return "<null>";
    if (f.Value().Kind() == TValueKind::vkBytes) {
        static const char digits[] = "0123456789abcdef";
        std::string hex;
        for (unsigned char c : f.AsBytes()) {
            hex += digits[c >> 4];
            hex += digits[c & 15];
        }
        return hex;
    }
    return f.AsString();
}

std::vector<std::string> RenderRow(const TFields& fields)
{
    std::vector<std::string> row;
    for (int i = 0; i < fields.Count(); ++i) row.push_back(Render(fields[i]));
    return row;
}

TDecimal Dec(const char* text) { return TDecimal::FromString(text); }
TDateTimeValue DT(const char* text) { return TDateTimeValue::Parse(text); }

const char* const AllTypesTable =
    "CREATE TABLE ALLTYPES (ID INTEGER NOT NULL PRIMARY KEY, SI SMALLINT, II INTEGER, BI BIGINT, "
    "N184 NUMERIC(18,4), D92 DECIMAL(9,2), N41 NUMERIC(4,1), N90 NUMERIC(9,0), N180 NUMERIC(18,0), "
    "FL FLOAT, DP DOUBLE PRECISION, DA DATE, TI TIME, TS TIMESTAMP, "
    "CH CHAR(5), VC VARCHAR(20), OC CHAR(4) CHARACTER SET OCTETS, OV VARCHAR(8) CHARACTER SET OCTETS, "
    "MT BLOB SUB_TYPE TEXT, BB BLOB SUB_TYPE BINARY, BO BOOLEAN)";

const char* const AllColumns = "ID, SI, II, BI, N184, D92, N41, N90, N180, FL, DP, DA, TI, TS, CH, VC, OC, OV, MT, BB, BO";

// One row of ALLTYPES three ways: as SQL literals, as parameter values, and
// as the values read back.
struct TypedRow {
    const char* Literals;
    std::function<void(TParams&)> Fill;
    std::vector<std::string> Expected;
};

std::vector<TypedRow> TypedRows()
{
    return {
        {"1, -32768, 2147483647, -9223372036854775808, 922337203685477.5807, -1234567.89, -999.9, -123456789, "
         "999999999999999999, 1.5, 0.1, '2024-02-29', '23:59:59.9999', '2024-02-29 13:14:15.0001', 'ab', "
         "'h\xc3\xa9llo w\xc3\xb6rld \xe2\x82\xac', x'00FF0102', x'0000', 'text \xc3\xa9', x'00010203', TRUE",
         [](TParams& p) {
             p[0].SetAsInteger(1);
             p[1].SetAsSmallInt(-32768);
             p[2].SetAsInteger(2147483647);
             p[3].SetAsLargeInt(std::numeric_limits<std::int64_t>::min());
             p[4].SetAsBCD(Dec("922337203685477.5807"));
             p[5].SetAsBCD(Dec("-1234567.89"));
             p[6].SetAsBCD(Dec("-999.9"));
             p[7].SetAsInteger(-123456789);
             p[8].SetAsLargeInt(999999999999999999);
             p[9].SetAsFloat(1.5);
             p[10].SetAsFloat(0.1);
             p[11].SetAsDate(DT("2024-02-29"));
             p[12].SetAsTime(DT("23:59:59.9999"));
             p[13].SetAsDateTime(DT("2024-02-29 13:14:15.0001"));
             p[14].SetAsString("ab");
             p[15].SetAsString("h\xc3\xa9llo w\xc3\xb6rld \xe2\x82\xac");
             p[16].SetAsBytes(std::string("\0\xff\1\2", 4));
             p[17].SetAsBytes(std::string("\0\0", 2));
             p[18].SetAsMemo("text \xc3\xa9");
             p[19].SetAsBlob(std::string("\0\1\2\3", 4));
             p[20].SetAsBoolean(true);
         },
         {"1", "-32768", "2147483647", "-9223372036854775808", "922337203685477.5807", "-1234567.89", "-999.9",
          "-123456789", "999999999999999999", "1.5", "0.1", "2024-02-29", "23:59:59.9999", "2024-02-29 13:14:15.0001",
          "ab   ", "h\xc3\xa9llo w\xc3\xb6rld \xe2\x82\xac", "00ff0102", "0000", "text \xc3\xa9", "00010203", "True"}},
        {"2, 32767, -2147483648, 9223372036854775807, -922337203685477.5808, -0.01, -0.1, 0, -999999999999999999, "
         "-2.25, -1e300, '0001-01-01', '00:00:00.0001', '1858-11-17 00:00:00', 'abcde', '', '', '', '', x'', FALSE",
         [](TParams& p) {
             p[0].SetAsInteger(2);
             p[1].SetAsSmallInt(32767);
             p[2].SetAsInteger(-2147483647 - 1);
             p[3].SetAsLargeInt(std::numeric_limits<std::int64_t>::max());
             p[4].SetAsBCD(Dec("-922337203685477.5808"));
             p[5].SetAsBCD(Dec("-0.01"));
             p[6].SetAsBCD(Dec("-0.1"));
             p[7].SetAsInteger(0);
             p[8].SetAsLargeInt(-999999999999999999);
             p[9].SetAsFloat(-2.25);
             p[10].SetAsFloat(-1e300);
             p[11].SetAsDate(DT("0001-01-01"));
             p[12].SetAsTime(DT("00:00:00.0001"));
             p[13].SetAsDateTime(DT("1858-11-17 00:00:00"));
             p[14].SetAsString("abcde");
             p[15].SetAsString("");
             p[16].SetAsBytes("");
             p[17].SetAsBytes("");
             p[18].SetAsMemo("");
             p[19].SetAsBlob("");
             p[20].SetAsBoolean(false);
         },
         {"2", "32767", "-2147483648", "9223372036854775807", "-922337203685477.5808", "-0.01", "-0.1", "0",
          "-999999999999999999", "-2.25", "-1e+300", "0001-01-01", "00:00:00.0001", "1858-11-17 00:00:00", "abcde", "",
          "00000000", "", "", "", "False"}},
        {"3, NULL, NULL, NULL, -0.0005, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
         "NULL, NULL, NULL",
         [](TParams& p) {
             p[0].SetAsInteger(3);
             for (int i = 1; i < p.Count(); ++i) p[i].Clear();
             p[4].SetAsBCD(Dec("-0.0005"));
         },
         {"3", "<null>", "<null>", "<null>", "-0.0005", "<null>", "<null>", "<null>", "<null>", "<null>", "<null>",
          "<null>", "<null>", "<null>", "<null>", "<null>", "<null>", "<null>", "<null>", "<null>", "<null>"}},
    };
}

} // namespace

class IBQueryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qeltest::UsePrivateFirebirdLock(); }

    std::vector<std::vector<std::string>> ReadAll(const std::string& Sql)
    {
        TIBSQL s(&d.Database);
        s.SetSQL(Sql);
        s.ExecQuery();
        std::vector<std::vector<std::string>> rows;
        for (; !s.Eof(); s.Next()) rows.push_back(RenderRow(s.Fields()));
        return rows;
    }

    std::string Scalar(const std::string& Sql)
    {
        const auto rows = ReadAll(Sql);
        return rows.empty() ? "<no row>" : rows.front().front();
    }

    TEmbeddedDatabase d;
};

// ---- reading -----------------------------------------------------------------

TEST_F(IBQueryTest, EveryColumnTypeReadsBackExactlyWithItsFieldType)
{
    d.Run(AllTypesTable);
    for (const TypedRow& r : TypedRows()) d.Run(std::string("INSERT INTO ALLTYPES VALUES (") + r.Literals + ")");

    TIBSQL s(&d.Database);
    s.SetSQL(std::string("SELECT ") + AllColumns + " FROM ALLTYPES ORDER BY ID");
    s.Prepare();
    const TFieldType expectedTypes[] = {
        TFieldType::ftInteger, TFieldType::ftSmallint, TFieldType::ftInteger, TFieldType::ftLargeint,
        TFieldType::ftBCD, TFieldType::ftBCD, TFieldType::ftBCD, TFieldType::ftInteger, TFieldType::ftLargeint,
        TFieldType::ftFloat, TFieldType::ftFloat, TFieldType::ftDate, TFieldType::ftTime, TFieldType::ftDateTime,
        TFieldType::ftFixedChar, TFieldType::ftString, TFieldType::ftBytes, TFieldType::ftVarBytes,
        TFieldType::ftMemo, TFieldType::ftBlob, TFieldType::ftBoolean};
    ASSERT_EQ(s.Fields().Count(), 21);
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(FieldTypeName(s.Fields()[i].DataType()), std::string(FieldTypeName(expectedTypes[i])))
            << s.Fields()[i].FieldName();
    EXPECT_EQ(s.FieldByName("N184").Precision(), 18);
    EXPECT_EQ(s.FieldByName("N184").Scale(), 4);
    EXPECT_EQ(s.FieldByName("D92").Precision(), 9);
    EXPECT_EQ(s.FieldByName("N41").Precision(), 4);
    EXPECT_EQ(s.FieldByName("CH").Size(), 5);
    EXPECT_EQ(s.FieldByName("VC").Size(), 20);
    EXPECT_EQ(s.FieldByName("OC").Size(), 4);

    s.ExecQuery();
    // Decimals are held exactly, never as doubles.
    EXPECT_EQ(s.Fields()[4].Value().Kind(), TValueKind::vkDecimal);
    EXPECT_TRUE(s.Fields()[4].AsBCD().Unscaled() == static_cast<__int128>(std::numeric_limits<std::int64_t>::max()));
    EXPECT_EQ(s.Fields()[4].AsBCD().Scale(), 4);
    for (const TypedRow& r : TypedRows()) {
        ASSERT_FALSE(s.Eof());
        EXPECT_EQ(RenderRow(s.Fields()), r.Expected);
        s.Next();
    }
    EXPECT_TRUE(s.Eof());
    EXPECT_FALSE(s.Next());
}

TEST_F(IBQueryTest, FieldNamesAreTheAliasesAsTheServerGivesThem)
{
    TIBSQL s(&d.Database);
    s.SetSQL("SELECT 1 AS \"MixedCase\", 2 AS plain, RDB$RELATION_ID, 7/2 FROM RDB$DATABASE");
    s.ExecQuery();
    EXPECT_EQ(s.Fields()[0].FieldName(), "MixedCase");
    EXPECT_EQ(s.Fields()[1].FieldName(), "PLAIN");
    EXPECT_EQ(s.Fields()[2].FieldName(), "RDB$RELATION_ID");
    EXPECT_EQ(s.FieldInfo()[2].RelationName, "RDB$DATABASE");
    EXPECT_EQ(s.Fields()[3].AsString(), "3"); // dialect 3 integer division
    EXPECT_EQ(s.Fields()[3].DataType(), TFieldType::ftLargeint);
}

TEST_F(IBQueryTest, BlobsOfZeroBytesAndOfSeveralMegabytesReadExactly)
{
    d.Run("CREATE TABLE B (ID INTEGER, BIN BLOB SUB_TYPE BINARY, TXT BLOB SUB_TYPE TEXT)");
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i % 251) * (i % 3)); // NUL bytes included
    std::string text;
    while (text.size() < 200000) text += "\xc3\xa9t\xc3\xa9 \xe2\x82\xac ";

    TIBSQL ins(&d.Database);
    ins.SetSQL("INSERT INTO B VALUES (?, ?, ?)");
    ins.Prepare();
    ins.Params()[0].SetAsInteger(1);
    ins.Params()[1].SetAsBlob(big);
    ins.Params()[2].SetAsMemo(text);
    ins.ExecQuery();
    ins.Params()[0].SetAsInteger(2);
    ins.Params()[1].SetAsBlob("");
    ins.Params()[2].SetAsMemo("");
    ins.ExecQuery();
    ins.Params()[0].SetAsInteger(3);
    ins.Params()[1].Clear();
    ins.Params()[2].Clear();
    ins.ExecQuery();
    d.Transaction.Commit();

    TIBSQL s(&d.Database);
    s.SetSQL("SELECT BIN, TXT, OCTET_LENGTH(BIN) FROM B ORDER BY ID");
    s.ExecQuery();
    EXPECT_EQ(s.Fields()[2].AsLargeInt(), static_cast<std::int64_t>(big.size()));
    EXPECT_TRUE(s.Fields()[0].AsBytes() == big);
    EXPECT_EQ(s.Fields()[1].AsString(), text);
    s.Next();
    EXPECT_FALSE(s.Fields()[0].IsNull());
    EXPECT_EQ(s.Fields()[0].AsBytes(), "");
    EXPECT_FALSE(s.Fields()[1].IsNull());
    EXPECT_EQ(s.Fields()[1].AsString(), "");
    s.Next();
    EXPECT_TRUE(s.Fields()[0].IsNull());
    EXPECT_TRUE(s.Fields()[1].IsNull());
}

TEST_F(IBQueryTest, FieldsAndTheirBuffersAreReusedFromRowToRow)
{
    d.Run("CREATE TABLE R (ID INTEGER, NAME VARCHAR(10), B BLOB SUB_TYPE BINARY)");
    d.Run("EXECUTE BLOCK AS BEGIN INSERT INTO R VALUES (1, 'aaaaaaaa', x'0102'); "
          "INSERT INTO R VALUES (2, 'bbbbbbbb', x'0304'); INSERT INTO R VALUES (3, 'cc', x'05'); END");
    TIBSQL s(&d.Database);
    s.SetSQL("SELECT ID, NAME, B FROM R ORDER BY ID");
    s.ExecQuery();
    TField* name = &s.Fields()[1];
    const char* text = name->Value().RawString().data();
    const char* blob = s.Fields()[2].Value().RawString().data();
    s.Next();
    EXPECT_EQ(&s.Fields()[1], name);
    EXPECT_EQ(name->AsString(), "bbbbbbbb");
    EXPECT_EQ(name->Value().RawString().data(), text);
    EXPECT_EQ(s.Fields()[2].Value().RawString().data(), blob);
    s.Next();
    EXPECT_EQ(name->AsString(), "cc");
    EXPECT_EQ(name->Value().RawString().data(), text);
}

TEST_F(IBQueryTest, ManyRowsReadForward)
{
    d.Run("CREATE TABLE M (ID INTEGER, V NUMERIC(18,2))");
    d.Run("EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 20000) DO BEGIN "
          "INSERT INTO M VALUES (:I, :I / 100.00); I = I + 1; END END");
    TIBQuery q;
    q.SetDatabase(&d.Database);
    q.SQL().SetText("SELECT ID, V FROM M ORDER BY ID");
    q.Open();
    std::int64_t rows = 0, sum = 0;
    for (; !q.Eof(); q.Next()) {
        ++rows;
        sum += q.Fields()[1].AsBCD().Unscaled();
    }
    EXPECT_EQ(rows, 20000);
    EXPECT_EQ(sum, 199990000); // sum of 0..19999, in hundredths
}

// ---- parameters --------------------------------------------------------------

TEST_F(IBQueryTest, ParametersOfEveryTypeRoundTripThroughInsertAndSelect)
{
    d.Run(AllTypesTable);
    TIBSQL ins(&d.Database);
    ins.SetSQL(std::string("INSERT INTO ALLTYPES (") + AllColumns + ") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    ins.Prepare();
    ASSERT_EQ(ins.Params().Count(), 21);
    EXPECT_EQ(ins.ParamInfo()[4].Scale, -4);
    for (const TypedRow& r : TypedRows()) {
        r.Fill(ins.Params());
        ins.ExecQuery();
        EXPECT_EQ(ins.RowsAffected(), 1);
    }
    d.Transaction.Commit();
    std::vector<std::vector<std::string>> expected;
    for (const TypedRow& r : TypedRows()) expected.push_back(r.Expected);
    EXPECT_EQ(ReadAll(std::string("SELECT ") + AllColumns + " FROM ALLTYPES ORDER BY ID"), expected);
}

TEST_F(IBQueryTest, ValuesAreConvertedToTheDescribedType)
{
    d.Run(AllTypesTable);
    TIBSQL ins(&d.Database);
    ins.SetSQL("INSERT INTO ALLTYPES (ID, N184, D92, II, TS, BO, VC, DA, DP, SI) VALUES (?,?,?,?,?,?,?,?,?,?)");
    ins.Prepare();
    TParams& p = ins.Params();
    auto row = [&](int id) {
        p[0].SetAsInteger(id);
        ins.ExecQuery();
    };
    for (int i = 1; i < p.Count(); ++i) p[i].Clear();
    p[1].SetAsInteger(5);                 // an integer into NUMERIC(18,4)
    p[2].SetAsBCD(Dec("1.005"));          // rounded half away from zero
    p[3].SetAsString("12.5");             // text converted by the server
    p[4].SetAsString("2024-02-29 13:14:15.0001");
    p[5].SetAsInteger(1);                 // a number into BOOLEAN
    p[6].SetAsInteger(42);                // a number into VARCHAR
    p[7].SetAsDateTime(DT("2024-03-01 23:59:59")); // the date part into DATE
    p[8].SetAsBCD(Dec("0.1"));            // a decimal into DOUBLE PRECISION
    p[9].SetAsBoolean(true);              // a boolean into SMALLINT
    row(1);
    p[1].SetAsBCD(Dec("-1.23455"));
    p[2].SetAsFloat(-0.125);              // a double into DECIMAL(9,2): -0.13
    p[3].SetAsBCD(Dec("7.00"));
    p[4].SetAsDate(DT("2024-02-29"));
    p[5].SetAsString("false");
    p[6].SetAsBCD(Dec("-0.50"));
    p[7].SetAsString("2024-02-29");
    p[8].SetAsInteger(3);
    p[9].SetAsString("-7");
    row(2);
    d.Transaction.Commit();
    EXPECT_EQ(ReadAll("SELECT N184, D92, II, TS, BO, VC, DA, DP, SI FROM ALLTYPES ORDER BY ID"),
              (std::vector<std::vector<std::string>>{
                  {"5.0000", "1.01", "13", "2024-02-29 13:14:15.0001", "True", "42", "2024-03-01", "0.1", "1"},
                  {"-1.2346", "-0.13", "7", "2024-02-29 00:00:00", "False", "-0.50", "2024-02-29", "3", "-7"}}));
}

TEST_F(IBQueryTest, ValuesTheColumnCannotHoldAreRefusedWithTheServersText)
{
    d.Run(AllTypesTable);
    TIBSQL ins(&d.Database);
    ins.SetSQL("INSERT INTO ALLTYPES (ID, SI, VC, BI) VALUES (1, ?, ?, ?)");
    ins.Prepare();
    TParams& p = ins.Params();
    p[0].SetAsInteger(70000);
    p[1].SetAsString("ok");
    p[2].SetAsInteger(1);
    EDatabaseError e = ErrorOf<EDatabaseError>([&] { ins.ExecQuery(); });
    EXPECT_EQ(std::string(e.what()), "Dynamic SQL Error\r\nSQL error code = -303\r\narithmetic exception, numeric "
                                     "overflow, or string truncation\r\nnumeric value is out of range");
    EXPECT_EQ(e.SQLCode(), -303);

    p[0].SetAsInteger(1);
    p[1].SetAsString(std::string(21, 'x'));
    e = ErrorOf<EDatabaseError>([&] { ins.ExecQuery(); });
    EXPECT_NE(std::string(e.what()).find("string right truncation"), std::string::npos) << e.what();

    p[1].SetAsString("ok");
    p[2].SetAsBCD(Dec("123456789012345678901234567890")); // beyond 64 bits: the server's overflow
    e = ErrorOf<EDatabaseError>([&] { ins.ExecQuery(); });
    EXPECT_NE(std::string(e.what()).find("numeric"), std::string::npos) << e.what();

    p[2].SetAsBytes("\x01");
    EXPECT_STREQ(ErrorOf<EConvertError>([&] { ins.ExecQuery(); }).what(),
                 "Parameter 3 (P3): value cannot be read as a decimal");

    TParams tooFew;
    tooFew.CreateParam(TFieldType::ftInteger, "A").SetAsInteger(1);
    EXPECT_STREQ(ErrorOf<EUsageError>([&] { ins.ExecQuery(tooFew); }).what(),
                 "The statement has 3 parameter markers, 1 values were given");
    d.Transaction.Rollback();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ALLTYPES"), "0");
}

TEST_F(IBQueryTest, ErrorsOfPrepareCarryTheServersWholeMessage)
{
    TIBSQL s(&d.Database);
    s.SetSQL("SELECT * FROM NO_SUCH_TABLE");
    const EDatabaseError e = ErrorOf<EDatabaseError>([&] { s.Prepare(); });
    EXPECT_EQ(std::string(e.what()), "Dynamic SQL Error\r\nSQL error code = -204\r\nTable unknown\r\nNO_SUCH_TABLE\r\n"
                                     "At line 1, column 15");
    EXPECT_EQ(e.SQLCode(), -204);
    EXPECT_EQ(e.SQLState(), "42S02");
    EXPECT_FALSE(s.Prepared());
    s.SetSQL("SELECT 1 FROM RDB$DATABASE"); // the statement stays usable
    s.ExecQuery();
    EXPECT_EQ(s.Fields()[0].AsInteger(), 1);
}

// ---- character sets ----------------------------------------------------------

TEST_F(IBQueryTest, Utf8FixedCharIsCutToItsDeclaredLength)
{
    d.Run("CREATE TABLE C (C CHAR(3), O CHAR(3) CHARACTER SET OCTETS)");
    d.Run("INSERT INTO C VALUES ('\xc3\xa9', 'a')");
    EXPECT_EQ(ReadAll("SELECT C, O FROM C"), (std::vector<std::vector<std::string>>{{"\xc3\xa9  ", "610000"}}));
}

TEST(IBCharacterSets, Win1252DatabaseWorksEmbeddedThroughBothConnectionCharacterSets)
{
    qeltest::UsePrivateFirebirdLock();
    TEmbeddedDatabase w("WIN1252");
    w.Run("CREATE TABLE W (ID INTEGER, V VARCHAR(10), C CHAR(3), M BLOB SUB_TYPE TEXT)");
    const std::string eacuteEuro = "\xc3\xa9\xe2\x82\xac"; // "é€" in UTF-8
    TIBSQL ins(&w.Database);
    ins.SetSQL("INSERT INTO W VALUES (?, ?, ?, ?)");
    ins.Prepare();
    ins.Params()[0].SetAsInteger(1);
    ins.Params()[1].SetAsString(eacuteEuro);
    ins.Params()[2].SetAsString(eacuteEuro);
    ins.Params()[3].SetAsMemo(eacuteEuro);
    ins.ExecQuery();
    w.Transaction.Commit();

    TIBSQL s(&w.Database);
    s.SetSQL("SELECT V, C, M, OCTET_LENGTH(V), OCTET_LENGTH(M) FROM W");
    s.ExecQuery();
    EXPECT_EQ(s.Fields()[0].AsString(), eacuteEuro);
    EXPECT_EQ(s.Fields()[1].AsString(), eacuteEuro + " ");
    EXPECT_EQ(s.Fields()[2].AsString(), eacuteEuro);
    EXPECT_EQ(s.Fields()[3].AsString(), "2"); // stored as WIN1252
    EXPECT_EQ(s.Fields()[4].AsString(), "2");
    s.Close();
    w.Transaction.Commit();

    w.Database.Close();
    w.Database.Params().SetLines({"user_name=SYSDBA", "lc_ctype=WIN1252"});
    w.Database.Open();
    TIBSQL raw(&w.Database);
    raw.SetSQL("SELECT V, C, M FROM W");
    raw.ExecQuery();
    EXPECT_EQ(raw.Fields()[0].AsString(), "\xe9\x80");
    EXPECT_EQ(raw.Fields()[1].AsString(), "\xe9\x80 ");
    EXPECT_EQ(raw.Fields()[2].AsString(), "\xe9\x80");
}

// ---- long texts ----------------------------------------------------------------

// The client library describes a text of 32,768 bytes or more with a length
// its short field reads as negative (65,533 as -3): every such text must
// read back whole, in every character set of database and connection.
struct LongTextCase {
    std::string DatabaseSet, ConnectionSet;
    std::vector<size_t> Literals;    // lengths of literals, up to the longest the set takes
    std::vector<size_t> Refused;     // longer ones the server refuses (as with isql-fb)
    int LongestVarchar, LongestChar; // in characters, as the set allows
    friend void PrintTo(const LongTextCase& c, std::ostream* os) { *os << c.DatabaseSet << "/" << c.ConnectionSet; }
};

class IBLongTextTest : public ::testing::TestWithParam<LongTextCase> {
protected:
    static void SetUpTestSuite() { qeltest::UsePrivateFirebirdLock(); }
};

TEST_P(IBLongTextTest, LiteralsAndLongestColumnsReadBackWhole)
{
    const LongTextCase& k = GetParam();
    TEmbeddedDatabase d(k.DatabaseSet, 8192, 3, k.ConnectionSet);
    auto readOne = [&](const std::string& Sql) {
        TIBSQL s(&d.Database);
        s.SetSQL(Sql);
        s.ExecQuery();
        EXPECT_FALSE(s.Eof()) << Sql.substr(0, 60);
        return s.Eof() ? std::string("<no row>") : s.Fields()[0].AsString();
    };
    for (const size_t n : k.Literals) {
        const std::string text(n, 'x');
        EXPECT_EQ(readOne("select '" + text + "' from rdb$database"), text) << n;
        // Padded to the longer of the two, as CHAR values are.
        EXPECT_EQ(readOne("select '" + text + "' from rdb$database union all select 'y' from rdb$database"), text) << n;
    }
    for (const size_t n : k.Refused) {
        const auto e = ErrorOf<EDatabaseError>([&] { readOne("select '" + std::string(n, 'x') + "' from rdb$database"); });
        EXPECT_NE(std::string(e.what()).find("string right truncation"), std::string::npos) << e.what();
    }
    if (k.ConnectionSet == "UTF8") {
        std::string wide;
        for (int i = 0; i < 8191; ++i) wide += "\xc3\xa9";
        EXPECT_EQ(readOne("select '" + wide + "' from rdb$database"), wide);
    }
    d.Run("create table v (id int, vc varchar(" + std::to_string(k.LongestVarchar) + "))");
    d.Run("create table c (id int, ch char(" + std::to_string(k.LongestChar) + "))");
    const std::string longest(static_cast<size_t>(k.LongestVarchar), 'v');
    const std::string fixed(static_cast<size_t>(k.LongestChar), 'c');
    d.Run("insert into v values (1, '" + longest + "')");
    d.Run("insert into c values (1, '" + fixed + "')");
    {
        TIBSQL ins(&d.Database);
        ins.SetSQL("insert into v values (2, ?)");
        ins.Prepare();
        ins.Params()[0].SetAsString(longest);
        ins.ExecQuery();
        ins.SetSQL("insert into c values (2, ?)");
        ins.Prepare();
        ins.Params()[0].SetAsString(fixed);
        ins.ExecQuery();
        d.Transaction.Commit();
    }
    TIBSQL s(&d.Database);
    s.SetSQL("select v.vc, c.ch, octet_length(v.vc) from v join c on c.id = v.id order by v.id");
    s.ExecQuery();
    for (int row = 1; row <= 2; ++row) {
        ASSERT_FALSE(s.Eof()) << row;
        EXPECT_EQ(s.Fields()[0].AsString(), longest) << row;
        EXPECT_EQ(s.Fields()[1].AsString(), fixed) << row;
        EXPECT_EQ(s.Fields()[2].AsString(), std::to_string(k.LongestVarchar)) << row;
        s.Next();
    }
    EXPECT_TRUE(s.Eof());
}

// The longest literal is 65,533 bytes; through a connection with a character
// set the server describes at most 32,767 bytes and refuses a longer one,
// as isql-fb sees too.
INSTANTIATE_TEST_SUITE_P(
    Sets, IBLongTextTest,
    ::testing::Values(LongTextCase{"NONE", "NONE", {32767, 32768, 40000, 65533}, {}, 32765, 32767},
                      LongTextCase{"WIN1252", "WIN1252", {32767}, {32768, 65533}, 32765, 32767},
                      LongTextCase{"UTF8", "UTF8", {8191}, {8192, 16383}, 8191, 8191},
                      LongTextCase{"UTF8", "NONE", {32767, 32768, 40000, 65533}, {}, 8191, 8191}));

// ---- statement kinds and counts ----------------------------------------------

TEST_F(IBQueryTest, StatementTypeAndRowsAffected)
{
    struct Case {
        const char* Sql;
        TIBStatementType Type;
        std::int64_t Rows;
    };
    d.Run("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(10))");
    d.Run("CREATE PROCEDURE P (A INTEGER) RETURNS (B INTEGER) AS BEGIN B = A * 2; END");
    const Case cases[] = {
        {"INSERT INTO T VALUES (1, 'a')", TIBStatementType::stInsert, 1},
        {"INSERT INTO T SELECT RDB$RELATION_ID + 100, 'x' FROM RDB$RELATIONS WHERE RDB$RELATION_ID < 3",
         TIBStatementType::stInsert, 3},
        {"UPDATE T SET NAME = 'b' WHERE ID > 1", TIBStatementType::stUpdate, 3},
        {"UPDATE T SET NAME = 'b' WHERE ID < 0", TIBStatementType::stUpdate, 0},
        {"DELETE FROM T WHERE ID >= 101", TIBStatementType::stDelete, 2},
        {"SELECT * FROM T", TIBStatementType::stSelect, 1},
        {"SELECT * FROM T FOR UPDATE WITH LOCK", TIBStatementType::stSelectForUpdate, 1},
        {"CREATE TABLE T2 (X INTEGER)", TIBStatementType::stDDL, 0},
        {"EXECUTE PROCEDURE P(21)", TIBStatementType::stExecProcedure, 0},
        {"EXECUTE BLOCK AS BEGIN INSERT INTO T VALUES (7, 'z'); DELETE FROM T WHERE ID = 100; END",
         TIBStatementType::stExecProcedure, 2},
        {"SAVEPOINT S1", TIBStatementType::stSavePoint, 0},
    };
    for (const Case& c : cases) {
        TIBSQL s(&d.Database);
        s.SetSQL(c.Sql);
        s.ExecQuery();
        EXPECT_EQ(static_cast<int>(s.StatementType()), static_cast<int>(c.Type)) << c.Sql;
        EXPECT_EQ(s.RowsAffected(), c.Rows) << c.Sql;
    }
}

TEST_F(IBQueryTest, ProcedureAndReturningGiveTheirSingleRow)
{
    d.Run("CREATE TABLE T (ID INTEGER GENERATED BY DEFAULT AS IDENTITY, NAME VARCHAR(10))");
    d.Run("CREATE PROCEDURE P (A INTEGER) RETURNS (B INTEGER, C VARCHAR(5)) AS BEGIN B = A * 2; C = 'ok'; END");
    TIBSQL s(&d.Database);
    s.SetSQL("EXECUTE PROCEDURE P(?)");
    s.Prepare();
    s.Params()[0].SetAsInteger(21);
    s.ExecQuery();
    EXPECT_FALSE(s.Eof());
    EXPECT_EQ(s.FieldByName("B").AsInteger(), 42);
    EXPECT_EQ(s.FieldByName("C").AsString(), "ok");
    EXPECT_FALSE(s.Next());
    EXPECT_TRUE(s.Eof());

    s.SetSQL("INSERT INTO T (NAME) VALUES ('n') RETURNING ID");
    s.ExecQuery();
    EXPECT_EQ(s.StatementType(), TIBStatementType::stExecProcedure);
    EXPECT_EQ(s.Fields()[0].AsInteger(), 1);
    EXPECT_EQ(s.RowsAffected(), 1);
}

// ---- the query's dataset face ------------------------------------------------

class IBQueryDataSetTest : public IBQueryTest {
protected:
    void SetUp() override
    {
        d.Run("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(10))");
        d.Run("INSERT INTO T SELECT RDB$RELATION_ID + 1, 'n' FROM RDB$RELATIONS WHERE RDB$RELATION_ID < 3");
        q.SetDatabase(&d.Database);
    }
    TIBQuery q;
};

TEST_F(IBQueryDataSetTest, OpenNextLastFirstAndClose)
{
    q.SQL().SetLines({"SELECT ID, NAME FROM T", "ORDER BY ID"});
    EXPECT_TRUE(q.Eof()); // closed
    q.Open();
    EXPECT_TRUE(q.Active());
    EXPECT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("id").AsInteger(), 1);
    q.Next();
    EXPECT_EQ(q.FieldByName("ID").AsInteger(), 2);
    q.Last();
    EXPECT_TRUE(q.Eof());
    EXPECT_EQ(q.FieldByName("ID").AsInteger(), 3); // the last row stays current
    q.First();                                     // runs the query again
    EXPECT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("ID").AsInteger(), 1);
    q.Close();
    EXPECT_FALSE(q.Active());
    EXPECT_TRUE(q.Eof());
    EXPECT_THROW(q.Next(), EUsageError);
    EXPECT_EQ(q.FindField("NONE"), nullptr);
}

TEST_F(IBQueryDataSetTest, ChangingTheSqlLinesClosesAndUnprepares)
{
    q.SQL().SetText("SELECT ID FROM T");
    q.Open();
    EXPECT_TRUE(q.Prepared());
    q.SQL().Add("WHERE ID > ?");
    EXPECT_FALSE(q.Active());
    EXPECT_FALSE(q.Prepared());
    q.Params().CreateParam(TFieldType::ftInteger, "X").SetAsInteger(2);
    q.Open();
    EXPECT_EQ(q.Fields()[0].AsInteger(), 3);
    q.Next();
    EXPECT_TRUE(q.Eof());
}

TEST_F(IBQueryDataSetTest, OpenRefusesAStatementWithoutRowsBeforeRunningIt)
{
    q.SQL().SetText("DELETE FROM T");
    EXPECT_THROW(q.Open(), EUsageError);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T"), "3");
    q.ExecSQL();
    EXPECT_EQ(q.RowsAffected(), 3);
    EXPECT_EQ(q.StatementType(), TIBStatementType::stDelete);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T"), "0");
}

// The executor runs data statements this way: one call to the server
// instead of prepare, describe and execute, with the same effect and errors.
TEST_F(IBQueryDataSetTest, ExecSQLImmediateRunsInOneCallOrFallsBackToThePreparedWay)
{
    q.SQL().SetText("SELECT ID FROM T");
    q.Open();
    q.SQL().SetText("UPDATE T SET NAME = 'x' WHERE ID = 1");
    q.ExecSQLImmediate();
    EXPECT_FALSE(q.Active());
    EXPECT_FALSE(q.Prepared()); // nothing of the earlier SELECT is left described
    EXPECT_EQ(q.Fields().Count(), 0);
    EXPECT_EQ(q.StatementType(), TIBStatementType::stUnknown);
    EXPECT_EQ(q.RowsAffected(), 0);
    EXPECT_EQ(Scalar("SELECT NAME FROM T WHERE ID = 1"), "x");

    // A row it would return is dropped.
    q.SQL().SetText("INSERT INTO T VALUES (10, 'r') RETURNING ID");
    q.ExecSQLImmediate();
    EXPECT_EQ(Scalar("SELECT NAME FROM T WHERE ID = 10"), "r");

    // The server's whole message, and the statements before stay.
    q.SQL().SetText("INSERT INTO T VALUES (1, 'dup')");
    const EDatabaseError e = ErrorOf<EDatabaseError>([&] { q.ExecSQLImmediate(); });
    EXPECT_EQ(e.SQLCode(), -803);
    EXPECT_NE(std::string(e.what()).find("violation of PRIMARY or UNIQUE KEY constraint"), std::string::npos);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T"), "4");

    // A marker needs the prepared statement: its value is bound.
    q.SQL().SetText("DELETE FROM T WHERE ID = ?");
    q.Params().CreateParam(TFieldType::ftInteger, "X").SetAsInteger(2);
    q.ExecSQLImmediate();
    EXPECT_TRUE(q.Prepared());
    EXPECT_EQ(q.RowsAffected(), 1);
    q.Params().Clear();
    // A "?" inside a literal takes the prepared way too, with the same effect.
    q.SQL().SetText("UPDATE T SET NAME = '?' WHERE ID = 3");
    q.ExecSQLImmediate();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM T WHERE ID = 2"), "0");
    EXPECT_EQ(Scalar("SELECT NAME FROM T WHERE ID = 3"), "?");

    q.SQL().SetText("  ");
    EXPECT_THROW(q.ExecSQLImmediate(), EUsageError);
}

TEST_F(IBQueryDataSetTest, CommitClosesTheOpenQuery)
{
    q.SQL().SetText("SELECT ID FROM T ORDER BY ID");
    q.Open();
    d.Transaction.Commit();
    EXPECT_FALSE(q.Active());
    EXPECT_TRUE(q.Eof());
    q.Open(); // starts the transaction again
    EXPECT_EQ(q.Fields()[0].AsInteger(), 1);
    d.Transaction.CommitRetaining(); // keeps the cursor
    q.Next();
    EXPECT_EQ(q.Fields()[0].AsInteger(), 2);
}

// A query that writes its parameters as names, as the engine's query does.
class TNamedQuery : public TIBQuery {
public:
    TNamedQuery()
    {
        auto inherited = SQL().OnChange;
        SQL().OnChange = [this, inherited](TStringList& s) {
            inherited(s);
            ++Changes;
        };
    }
    int Changes = 0;

protected:
    std::string SQLForPrepare() const override
    {
        std::string t = SQL().Text();
        const size_t at = t.find(":ID");
        if (at != std::string::npos) t.replace(at, 3, "?");
        return t;
    }
};

TEST_F(IBQueryDataSetTest, DerivedQueryKeepsTheChangeHandlerAndRewritesTheText)
{
    TNamedQuery n;
    n.SetDatabase(&d.Database);
    n.SQL().SetText("SELECT NAME FROM T WHERE ID = :ID");
    EXPECT_EQ(n.Changes, 1);
    n.Params().CreateParam(TFieldType::ftInteger, "ID").SetAsInteger(2);
    n.Open();
    EXPECT_EQ(n.Fields()[0].AsString(), "n");
    n.SQL().SetText("SELECT ID FROM T WHERE ID = :ID");
    EXPECT_FALSE(n.Active()); // the handler of the base still ran
    EXPECT_EQ(n.Changes, 2);
}

// ---- lifetimes ---------------------------------------------------------------

TEST_F(IBQueryTest, StatementsSurviveTheirDatabaseClosingAndGoing)
{
    TIBSQL s(&d.Database);
    s.SetSQL("SELECT RDB$RELATION_ID FROM RDB$RELATIONS");
    s.ExecQuery();
    EXPECT_TRUE(s.Open());
    d.Database.Close();
    EXPECT_FALSE(s.Open());
    EXPECT_FALSE(s.Prepared());
    d.Database.Open();
    s.ExecQuery(); // prepared again on the new attachment
    EXPECT_FALSE(s.Eof());

    TIBSQL moved(std::move(s));
    EXPECT_TRUE(moved.Prepared());
    EXPECT_EQ(moved.Database(), &d.Database);
    EXPECT_FALSE(s.Prepared());
    moved.Next();

    auto other = std::make_unique<TIBDatabase>();
    other->SetDatabaseName(d.Path);
    other->Params().SetLines({"user_name=SYSDBA"});
    other->Open();
    TIBTransaction tr(other.get());
    TIBSQL orphan(other.get(), &tr);
    orphan.SetSQL("SELECT 1 FROM RDB$DATABASE");
    orphan.ExecQuery();
    other.reset();
    EXPECT_EQ(orphan.Database(), nullptr);
    EXPECT_THROW(orphan.ExecQuery(), EUsageError);
}

TEST_F(IBQueryTest, TransactionOfAnotherDatabaseOrNoneIsRefused)
{
    TEmbeddedDatabase other;
    TIBSQL s(&d.Database, &other.Transaction);
    s.SetSQL("SELECT 1 FROM RDB$DATABASE");
    EXPECT_THROW(s.ExecQuery(), EUsageError);
    s.SetTransaction(nullptr);
    d.Database.SetDefaultTransaction(nullptr);
    EXPECT_THROW(s.ExecQuery(), EUsageError);
}
