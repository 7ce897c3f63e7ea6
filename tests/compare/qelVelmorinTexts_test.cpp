// The comparer's texts without a run: value literals, BLOB references and
// the side file, SELECT texts, the texts that name the table.
#include "qelVelmorin.h"
#include "qelVelmorinFixture.h"
#include "qelVelmorinPrivate.h"

#include "qelADO.h"
#include "qelConnection_ADO.h"
#include "qelDBOptions.h"
#include "qelEngineTestSupport.h"
#include "qelErrors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace qel;
using namespace cmptest;

// ---------------------------------------------------------------------------
// Literals

namespace {

using DB = TDatabaseType;
using FT = TFieldType;

struct TLiteralCase {
    const char* Name;
    TDatabaseType Server;
    TFieldType Type;
    TValue Value;
    std::string Expected;
    std::function<void(TVelmorin&)> Options = nullptr;
};

class ValueLiterals : public ::testing::TestWithParam<TLiteralCase> {};

TValue Date(const char* Text)
{
    return TValue::Date(TDateTimeValue::Parse(Text));
}
TValue Time(const char* Text)
{
    return TValue::Time(TDateTimeValue::Parse(Text));
}
TValue Stamp(const char* Text)
{
    return TValue::DateTime(TDateTimeValue::Parse(Text));
}
TValue Dec(const char* Text)
{
    return TValue::Decimal(TDecimal::FromString(Text));
}

const auto Trimming = [](TVelmorin& c) { c.TrimCharFields = true; };
const auto TwoDecimals = [](TVelmorin& c) { c.ScriptOptions().FloatFormat = "0.00"; };

} // namespace

TEST_P(ValueLiterals, OfTheMasterSide)
{
    const TLiteralCase& p = GetParam();
    TVelmorin c;
    TQELConnectionADO target;
    target.SetDatabaseType(p.Server);
    c.SetQELConnectionTarget(&target);
    if (p.Options) p.Options(c);
    TField f("C", p.Type);
    f.SetValue(p.Value);
    EXPECT_EQ(c.TableOptionsMaster().GetValueLiteral(f), p.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Velmorin, ValueLiterals,
    ::testing::Values(
        TLiteralCase{"Null", DB::dbInterBase, FT::ftInteger, TValue(), "Null"},
        TLiteralCase{"QuoteInterBase", DB::dbInterBase, FT::ftString, TValue::String("O'Brien"), "'O''Brien'"},
        TLiteralCase{"QuoteMySQL", DB::dbMySQL, FT::ftString, TValue::String("O'Brien"), "'O''Brien'"},
        TLiteralCase{"BackslashPostgreSQL", DB::dbPostgreSQL, FT::ftString, TValue::String("a\\b"), "E'a\\x5Cb'"},
        TLiteralCase{"LineBreaksKept", DB::dbInterBase, FT::ftString, TValue::String("a\r\nb"), "'a\r\nb'"},
        TLiteralCase{"TrimCharFields", DB::dbInterBase, FT::ftFixedChar, TValue::String(" ab  "), "'ab'", Trimming},
        TLiteralCase{"GuidNeverTrimmed", DB::dbInterBase, FT::ftGuid, TValue::String(" {A} "), "' {A} '", Trimming},
        TLiteralCase{"Integer", DB::dbInterBase, FT::ftLargeint, TValue::Integer(-9223372036854775807LL),
                     "-9223372036854775807"},
        TLiteralCase{"FloatIntegral", DB::dbInterBase, FT::ftFloat, TValue::Float(100.0), "100"},
        TLiteralCase{"FloatShortened", DB::dbInterBase, FT::ftFloat, TValue::Float(2.5), " 2.5"},
        TLiteralCase{"FloatExponent", DB::dbPostgreSQL, FT::ftFloat, TValue::Float(1e20), " 1.E20"},
        TLiteralCase{"FloatNegative", DB::dbInterBase, FT::ftFloat, TValue::Float(-2.5), "-2.5"},
        TLiteralCase{"FloatShortestRoundTrip", DB::dbPostgreSQL, FT::ftFloat, TValue::Float(0.1 + 0.2), "0.30000000000000004"},
        TLiteralCase{"FloatExactForFirebird", DB::dbInterBase, FT::ftFloat, TValue::Float(0.1 + 0.2),
                     "(1351079888211149 * POWER(2, -52))"},
        TLiteralCase{"FloatFormatKeptWhenExact", DB::dbPostgreSQL, FT::ftFloat, TValue::Float(2.5), "2.50", TwoDecimals},
        TLiteralCase{"FloatFormatThatLosesDigits", DB::dbPostgreSQL, FT::ftFloat, TValue::Float(2.125), "2.125", TwoDecimals},
        TLiteralCase{"LocalSQL", DB::dbParadox, FT::ftFloat, TValue::Float(2.5), "2.5",
                     [](TVelmorin& c) { c.ScriptOptions().LocalSQL = true; }},
        TLiteralCase{"DecimalExact", DB::dbInterBase, FT::ftBCD, Dec("123456789012345.6700"), "123456789012345.67"},
        TLiteralCase{"FMTBcd", DB::dbPostgreSQL, FT::ftFMTBcd, Dec("-0.00000000000000000001"), "-0.00000000000000000001"},
        TLiteralCase{"Currency", DB::dbMSSQL, FT::ftCurrency, Dec("12.5000"), "12.5"},
        TLiteralCase{"BooleanFirebird", DB::dbInterBase, FT::ftBoolean, TValue::Boolean(true), "TRUE"},
        TLiteralCase{"BooleanPostgreSQL", DB::dbPostgreSQL, FT::ftBoolean, TValue::Boolean(false), "FALSE"},
        TLiteralCase{"BooleanMSSQL", DB::dbMSSQL, FT::ftBoolean, TValue::Boolean(true), "1"},
        TLiteralCase{"DateInterBase", DB::dbInterBase, FT::ftDate, Date("2024-02-27"), "'27.02.2024'"},
        TLiteralCase{"DatePostgreSQL", DB::dbPostgreSQL, FT::ftDate, Date("2024-02-27"), "'2024-02-27'"},
        TLiteralCase{"DateFormat", DB::dbPostgreSQL, FT::ftDate, Date("2024-02-27"), "'2024.02.27'",
                     [](TVelmorin& c) { c.ScriptOptions().DateFormat = "yyyy/mm/dd"; }},
        TLiteralCase{"Time", DB::dbInterBase, FT::ftTime, Time("13:14:15"), "'13:14:15'"},
        TLiteralCase{"TimeFraction", DB::dbInterBase, FT::ftTime, Time("13:14:15.1234"), "'13:14:15.1234'"},
        TLiteralCase{"TimeFormat", DB::dbInterBase, FT::ftTime, Time("13:14:15"), "'13:14'",
                     [](TVelmorin& c) { c.ScriptOptions().TimeFormat = "hh:mm"; }},
        TLiteralCase{"DateTimeInterBase", DB::dbInterBase, FT::ftDateTime, Stamp("2024-02-27 13:14:15.5"),
                     "'27.02.2024 13:14:15.5'"},
        TLiteralCase{"DateTimeInterBaseToTheTenThousandth", DB::dbInterBase, FT::ftDateTime,
                     Stamp("2024-02-27 13:14:15.123456"), "'27.02.2024 13:14:15.1234'"},
        TLiteralCase{"TimeInterBaseToTheTenThousandth", DB::dbInterBase, FT::ftTime, Time("23:59:59.999999"),
                     "'23:59:59.9999'"},
        // MS SQL reads the form with "T" alike in every session language.
        TLiteralCase{"TimeStampMSSQL", DB::dbMSSQL, FT::ftTimeStamp, Stamp("2024-02-27 13:14:15"), "'2024-02-27T13:14:15'"},
        TLiteralCase{"TimeStampMSSQLMilliseconds", DB::dbMSSQL, FT::ftDateTime, Stamp("2024-02-27 13:14:15.123456"),
                     "'2024-02-27T13:14:15.123'"},
        TLiteralCase{"DateMSSQL", DB::dbMSSQL, FT::ftDate, Date("2024-02-27"), "'2024-02-27'"},
        // Every server but InterBase takes ISO dates.
        TLiteralCase{"DateODBC", DB::dbCustomOLEDB, FT::ftDate, Date("2024-02-27"), "'2024-02-27'"},
        TLiteralCase{"DateTimeODBC", DB::dbCustomOLEDB, FT::ftDateTime, Stamp("2024-02-27 13:14:15.123456"),
                     "'2024-02-27 13:14:15.123456'"},
        TLiteralCase{"DateTimeMySQL", DB::dbMySQL, FT::ftDateTime, Stamp("2024-02-27 13:14:15.25"), "'2024-02-27 13:14:15.25'"},
        TLiteralCase{"TimeStampPostgreSQL", DB::dbPostgreSQL, FT::ftTimeStamp, Stamp("2024-02-27 13:14:15.000001"),
                     "'2024-02-27 13:14:15.000001'"},
        TLiteralCase{"BytesFirebird", DB::dbInterBase, FT::ftVarBytes, TValue::Bytes(std::string("\x00\xFF", 2)), "x'00FF'"},
        TLiteralCase{"BytesPostgreSQL", DB::dbPostgreSQL, FT::ftBytes, TValue::Bytes(std::string("\x01\xAB", 2)),
                     "decode('01AB', 'hex')"},
        TLiteralCase{"BytesMSSQL", DB::dbMSSQL, FT::ftVarBytes, TValue::Bytes(""), "0x"},
        TLiteralCase{"NoScript", DB::dbInterBase, FT::ftInteger, TValue::Integer(5), ":C",
                     [](TVelmorin& c) { c.SetUpdateImmediately(true); }},
        TLiteralCase{"DataValueEvent", DB::dbInterBase, FT::ftInteger, TValue::Integer(5), "5 + 1",
                     [](TVelmorin& c) {
                         c.OnGetDataValue = [](TObject&, TField& f, std::string& v) { v = v + " + 1" + f.FieldName().substr(1); };
                     }}),
    [](const ::testing::TestParamInfo<TLiteralCase>& i) { return std::string(i.param.Name); });

TEST(ValueLiteral, DataValueEventNeverChangesTargetLiterals)
{
    TVelmorin c;
    int calls = 0;
    c.OnGetDataValue = [&](TObject&, TField&, std::string& v) {
        ++calls;
        v = "X";
    };
    TField f("C", TFieldType::ftInteger);
    f.SetValue(TValue::Integer(1));
    EXPECT_EQ(c.TableOptionsTarget().GetValueLiteral(f), "1");
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(c.TableOptionsMaster().GetValueLiteral(f), "X");
    EXPECT_EQ(calls, 1);
}

TEST(ValueLiteral, ValueWithoutLiteralIsRefusedNotWrittenEmpty)
{
    TVelmorin c;
    TField f("V", TFieldType::ftVariant);
    f.SetValue(TValue::Integer(1));
    EXPECT_THROW(c.TableOptionsMaster().GetValueLiteral(f), EQELError);
    TField nan("F", TFieldType::ftFloat);
    nan.SetValue(TValue::Float(std::nan("")));
    EXPECT_THROW(c.TableOptionsMaster().GetValueLiteral(nan), EQELError);
}

namespace {

struct TFloatCase {
    double Value;
    std::string Expected;
};

class FloatLiterals : public ::testing::TestWithParam<TFloatCase> {};

} // namespace

TEST_P(FloatLiterals, ShortestFormThatReadsBack)
{
    TVelmorin c;
    EXPECT_EQ(c.FloatLiteral(GetParam().Value), GetParam().Expected);
}

// Forms beyond those that ValueLiterals shows.
INSTANTIATE_TEST_SUITE_P(Velmorin, FloatLiterals,
                         ::testing::Values(TFloatCase{-7.0, "-7"}, TFloatCase{1.2345e-5, " 1.2345E-5"},
                                           TFloatCase{2147483647.0, " 2.147483647E9"},
                                           TFloatCase{1.0 / 3, "0.3333333333333333"},
                                           TFloatCase{-1e300 / 3, "-3.3333333333333335E299"},
                                           TFloatCase{-1.3322421317017969e19, "-1.3322421317017969E19"}));

namespace {

struct TBlobNameCase {
    std::int64_t Offset, Size;
    std::string Expected;
};

class BlobParamNames : public ::testing::TestWithParam<TBlobNameCase> {};

} // namespace

TEST_P(BlobParamNames, HexadecimalOfAtLeastEightDigits)
{
    EXPECT_EQ(TVelmorin::BlobParamName(GetParam().Offset, GetParam().Size), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Velmorin, BlobParamNames,
                         ::testing::Values(TBlobNameCase{0, 300, ":h00000000_0000012C"},
                                           TBlobNameCase{16, 5, ":h00000010_00000005"},
                                           TBlobNameCase{0x100000000LL, 1, ":h100000000_00000001"},
                                           TBlobNameCase{0xABCDEF, 0x1FFFFFFFFLL, ":h00ABCDEF_1FFFFFFFF"}));

TEST(BlobSideFile, ValuesBackToBackAndReferencedByOffsetAndSize)
{
    qeltest::TempDir dir;
    TVelmorin c;
    TQELConnectionADO target;
    target.SetDatabaseType(TDatabaseType::dbInterBase);
    c.SetQELConnectionTarget(&target);
    c.SetScriptFileName(dir.File("Result.SQL"));
    TField a("A", TFieldType::ftBlob), b("B", TFieldType::ftMemo), e("E", TFieldType::ftBlob), n("N", TFieldType::ftBlob);
    a.SetValue(TValue::Bytes(std::string("0123456789\0ABCDE", 16)));
    b.SetValue(TValue::String("hello"));
    e.SetValue(TValue::Bytes(""));
    EXPECT_EQ(c.GetBlobLiteral(a), ":h00000000_00000010");
    EXPECT_EQ(c.GetBlobLiteral(b), ":h00000010_00000005");
    EXPECT_EQ(c.GetBlobLiteral(e), ":h00000015_00000000");
    EXPECT_EQ(c.GetBlobLiteral(n), "Null");
    EXPECT_EQ(qeltest::ReadFile(dir.File("Result.LOB")), std::string("0123456789\0ABCDEhello", 21));
    // For MS SQL an empty value is an empty literal: never Null for a value.
    target.SetDatabaseType(TDatabaseType::dbMSSQL);
    EXPECT_EQ(c.GetBlobLiteral(e), "0x");
    TField et("ET", TFieldType::ftMemo);
    et.SetValue(TValue::String(""));
    EXPECT_EQ(c.GetBlobLiteral(et), "''");
}

// A side file that cannot be written is reported once; every value that
// needs it withdraws its statement (the literal throws), while a NULL needs
// no file.
TEST(BlobSideFile, UnusableFileIsReportedOnceAndTheStatementIsWithdrawn)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "Error: BlobFileName is not specified. Cann't save BLOBs."},
        {"/no/such/folder/x.LOB", "Error: Cannot create file \"/no/such/folder/x.LOB\"."}};
    for (const auto& [file, message] : cases) {
        TVelmorin c;
        std::vector<std::string> errors;
        c.OnErrorMessage = [&](TObject&, const std::string& t) { errors.push_back(t); };
        c.SetBlobFileName(file);
        TField a("A", TFieldType::ftBlob), n("N", TFieldType::ftBlob);
        a.SetValue(TValue::Bytes("x"));
        EXPECT_THROW(c.GetBlobLiteral(a), EQELError);
        EXPECT_THROW(c.GetBlobLiteral(a), EQELError);
        ASSERT_EQ(errors.size(), 1u) << Joined(errors);
        EXPECT_EQ(errors[0].rfind(message, 0), 0u) << errors[0];
        EXPECT_TRUE(c.BlobSaveFailed);
        EXPECT_EQ(c.GetBlobLiteral(n), "Null");
    }
}

TEST(BlobSideFile, WithoutScriptTheValueIsAParameterOfTheTargetName)
{
    TVelmorin c;
    TQELConnectionADO target;
    target.SetDatabaseType(TDatabaseType::dbInterBase);
    c.SetQELConnectionTarget(&target);
    c.SetUpdateImmediately(true);
    TField a("Pic", TFieldType::ftBlob);
    a.SetValue(TValue::Bytes("x"));
    EXPECT_EQ(c.GetBlobLiteral(a), ":\"Pic\"");
}

// ---------------------------------------------------------------------------
// SELECT texts without a server

namespace {

struct TSelectCase {
    const char* Name;
    TDatabaseType Server;
    std::vector<std::string> KeysM, KeysT, Data;
    std::string Table;
    std::string Expected;
};

class SelectTexts : public ::testing::TestWithParam<TSelectCase> {};

} // namespace

// Without a catalogue reading every column may hold NULL: the ORDER BY puts
// NULLs last where the server would put them first (Firebird, MS SQL).
TEST_P(SelectTexts, OrderByTheKeysOrTheData)
{
    const TSelectCase& p = GetParam();
    TVelmorin c;
    TQELConnectionADO conn;
    conn.SetDatabaseType(p.Server);
    c.SetQELConnectionMaster(&conn);
    c.TableOptionsMaster().TableName = p.Table;
    c.TableOptionsMaster().KeyList.SetLines(p.KeysM);
    c.TableOptionsTarget().KeyList.SetLines(p.KeysT);
    c.TableOptionsMaster().DataList.SetLines(p.Data);
    EXPECT_EQ(c.TableOptionsMaster().GetSelectSQL(), p.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Velmorin, SelectTexts,
    ::testing::Values(
        TSelectCase{"Keys", TDatabaseType::dbInterBase, {"ID"}, {"ID"}, {"ID", "NAME"}, "CUSTOMER",
                    "select ID, NAME\r\nfrom CUSTOMER\r\n Order by ID NULLS LAST"},
        TSelectCase{"QuotedNames", TDatabaseType::dbInterBase, {"Id"}, {"ID"}, {"Id", "ORDER"}, "Orders",
                    "select \"Id\", \"ORDER\"\r\nfrom \"Orders\"\r\n Order by \"Id\" NULLS LAST"},
        TSelectCase{"NoTargetKeysOrderByData", TDatabaseType::dbMSSQL, {"ID"}, {}, {"ID", "Order"}, "T",
                    "select ID, [Order]\r\nfrom T\r\n Order by CASE WHEN ID IS NULL THEN 1 ELSE 0 END, ID, CASE WHEN [Order] IS NULL "
                    "THEN 1 ELSE 0 END, [Order]"},
        TSelectCase{"KeysMSSQL", TDatabaseType::dbMSSQL, {"ID"}, {"ID"}, {"ID", "Order"}, "Items",
                    "select ID, [Order]\r\nfrom Items\r\n Order by CASE WHEN ID IS NULL THEN 1 ELSE 0 END, ID"},
        TSelectCase{"NoDataColumns", TDatabaseType::dbAbstract, {}, {}, {}, "T", "select *\r\n from T\r\n"},
        TSelectCase{"VerbatimName", TDatabaseType::dbInterBase, {"ID"}, {"ID"}, {"\"x\" || 1", "ID"}, "T",
                    "select \"x\" || 1, ID\r\nfrom T\r\n Order by ID NULLS LAST"},
        TSelectCase{"ParadoxKeyword", TDatabaseType::dbParadox, {"ID"}, {"ID"}, {"ID", "DATE"}, "ORDERS",
                    "select ID, ORDERS.\"DATE\"\r\nfrom ORDERS\r\n Order by ID"}),
    [](const ::testing::TestParamInfo<TSelectCase>& i) { return std::string(i.param.Name); });

// ---------------------------------------------------------------------------
// Texts that name the table, for servers the tests do not reach

namespace {

struct TTableNameCase {
    const char* Name;
    TDatabaseType Server;
    std::string Table;
    std::string Quoted;  // as an identifier
    std::string Literal; // as a string literal of the catalogue's queries
};

class TableNameTexts : public ::testing::TestWithParam<TTableNameCase> {};

} // namespace

// A blank, a quote of each kind, a backslash or a keyword: the SELECTs name
// the table as an identifier of the server, the catalogue's queries as one
// of its string literals (MySQL reads a backslash as an escape).
TEST_P(TableNameTexts, QuotedAsTheServerReadsThem)
{
    const TTableNameCase& p = GetParam();
    TVelmorin c;
    TQELConnectionADO conn;
    conn.SetDatabaseType(p.Server);
    c.SetQELConnectionMaster(&conn);
    TCmpTableOptions& side = c.TableOptionsMaster();
    side.TableName = p.Table;
    side.KeyList.SetLines({"ID"});
    side.DataList.SetLines({"ID", "DATE"});
    EXPECT_EQ(velmorin::EveryColumnSQL(side), "Select * from " + p.Quoted);
    EXPECT_EQ(velmorin::InformationSchemaKeysSQL(side, p.Table).at(4), "where t.TABLE_NAME = " + p.Literal);
    EXPECT_EQ(velmorin::InformationSchemaColumnsSQL(side, p.Table).back(), "where TABLE_NAME = " + p.Literal);
    const std::string select = side.GetSelectSQL();
    EXPECT_NE(select.find("\r\nfrom " + p.Quoted + "\r\n"), std::string::npos) << select;
    // Local SQL qualifies a keyword column by its table.
    if (p.Server == TDatabaseType::dbParadox || p.Server == TDatabaseType::dbDBASE) {
        EXPECT_EQ(select.substr(0, select.find('\r')), "select ID, " + p.Quoted + ".\"DATE\"");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Velmorin, TableNameTexts,
    ::testing::Values(
        TTableNameCase{"MySQLPlain", DB::dbMySQL, "CUSTOMER", "CUSTOMER", "'CUSTOMER'"},
        TTableNameCase{"MySQLBlank", DB::dbMySQL, "order items", "`order items`", "'order items'"},
        TTableNameCase{"MySQLKeyword", DB::dbMySQL, "select", "`select`", "'select'"},
        TTableNameCase{"MySQLQuotes", DB::dbMySQL, "it's \"q\"", "`it's \"q\"`", "'it''s \\\"q\\\"'"},
        TTableNameCase{"MySQLBackQuote", DB::dbMySQL, "a`b", "`a``b`", "'a`b'"},
        TTableNameCase{"MySQLBackslash", DB::dbMySQL, "a\\b", "`a\\b`", "'a\\\\b'"},
        TTableNameCase{"MSSQLBlankAndBracket", DB::dbMSSQL, "it's a]b", "[it's a]]b]", "'it''s a]b'"},
        TTableNameCase{"PostgreSQLBackslash", DB::dbPostgreSQL, "a\\b", "\"a\\b\"", "E'a\\x5Cb'"},
        TTableNameCase{"FirebirdKeyword", DB::dbInterBase, "ORDER", "\"ORDER\"", "'ORDER'"},
        TTableNameCase{"ParadoxPlain", DB::dbParadox, "ORDERS", "ORDERS", "'ORDERS'"},
        TTableNameCase{"ParadoxKeyword", DB::dbParadox, "ORDER", "\"ORDER\"", "'ORDER'"},
        TTableNameCase{"ParadoxBlank", DB::dbParadox, "order items", "\"order items\"", "'order items'"},
        TTableNameCase{"ParadoxFileName", DB::dbParadox, "orders.db", "\"orders.db\"", "'orders.db'"},
        TTableNameCase{"DBASEQuotes", DB::dbDBASE, "it's \"q\"", "\"it's \"\"q\"\"\"", "'it''s \"q\"'"}),
    [](const ::testing::TestParamInfo<TTableNameCase>& i) { return std::string(i.param.Name); });
