#include "qelErrors.h"
#include "qelValue.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

using namespace qel;

TEST(Decimal, TextRoundTripsExactlyAtEveryScale)
{
    for (const char* text : {"0", "-0.0005", "92233720368547.7580", "-92233720368547.7580", "12345.6789",
                             "99999999999999999999999999999999999999", "-0.00000000000000000000000000000000000001",
                             "3.14159265358979323846264338", "100", "1.5000"}) {
        EXPECT_EQ(TDecimal::FromString(text).ToString(), text) << text;
    }
    EXPECT_EQ(TDecimal::FromString("+007.50").ToString(), "7.50");
    EXPECT_EQ(TDecimal::FromString(".5").ToString(), "0.5");
}

TEST(Decimal, RefusesWhatItCannotHoldExactly)
{
    TDecimal d;
    EXPECT_FALSE(TDecimal::TryFromString("123456789012345678901234567890123456789", d)); // 39 digits
    EXPECT_FALSE(TDecimal::TryFromString("1.2.3", d));
    EXPECT_FALSE(TDecimal::TryFromString("", d));
    EXPECT_FALSE(TDecimal::TryFromString("-", d));
    EXPECT_FALSE(TDecimal::TryFromString("1e5", d));
    EXPECT_THROW(TDecimal::FromString("12,5"), EConvertError);
    EXPECT_THROW(TDecimal::FromString("1.25").Rescaled(1), EConvertError);
    EXPECT_THROW(TDecimal::FromString("99999999999999999999999999999999999999").Rescaled(1), EConvertError);
    EXPECT_THROW(TDecimal::FromString("1.5").ToInt64(), EConvertError);
}

TEST(Decimal, ComparesByValueWhateverTheScale)
{
    EXPECT_EQ(TDecimal::FromString("1.50"), TDecimal::FromString("1.5"));
    EXPECT_EQ(TDecimal::FromString("-0.000"), TDecimal::FromString("0"));
    EXPECT_LT(TDecimal::FromString("1.4999999999999999999"), TDecimal::FromString("1.5"));
    EXPECT_LT(TDecimal::FromString("-2.5"), TDecimal::FromString("-2.49"));
    EXPECT_GT(TDecimal::FromString("99999999999999999999999999999999999999"),
              TDecimal::FromString("0.99999999999999999999999999999999999999"));
    EXPECT_EQ(TDecimal::FromString("12.3400").Normalized().ToString(), "12.34");
    EXPECT_EQ(TDecimal::FromString("7").Rescaled(4).ToString(), "7.0000");
    EXPECT_EQ(TDecimal::FromDouble(0.1).ToString(), "0.1");
    EXPECT_EQ(TDecimal::FromString("-9223372036854775808").ToInt64(), std::numeric_limits<std::int64_t>::min());
}

TEST(DateTime, SerialNumbersAndTextAgree)
{
    const TDateTimeValue t = TDateTimeValue::Parse("2024-02-29 13:14:15.1234");
    EXPECT_EQ(t.Microsecond, 123400);
    EXPECT_EQ(t.DateTimeText(), "2024-02-29 13:14:15.1234");
    EXPECT_EQ(TDateTimeValue::FromSerial(t.ToSerial()), t);
    EXPECT_EQ(TDateTimeValue::Parse("1899-12-30").ToSerial(), 0.0);
    EXPECT_EQ(TDateTimeValue::Parse("1900-01-01 06:00").ToSerial(), 2.25);
    EXPECT_EQ(TDateTimeValue::FromSerial(-1.25).DateTimeText(), "1899-12-29 06:00:00");
    EXPECT_EQ(TDateTimeValue::Parse("23:59:59.999999").TimeText(), "23:59:59.999999");
    EXPECT_EQ(TDateTimeValue::Parse("0001-01-01").DateText(), "0001-01-01");
}

TEST(DateTime, InvalidTextIsRefused)
{
    for (const char* bad : {"2023-02-29", "2024-13-01", "24:00:00", "12:60", "2024-01-01 10:00:00.1234567",
                            "yesterday", "2024-01-01x"})
        EXPECT_THROW(TDateTimeValue::Parse(bad), EConvertError) << bad;
}

TEST(Value, FloatTextIsShortestAndLocaleFree)
{
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old != nullptr ? old : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // may be missing; then the C locale stays
    EXPECT_EQ(FloatToText(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(TextToFloat(FloatToText(0.1 + 0.2)), 0.1 + 0.2);
    EXPECT_EQ(FloatToText(1e300), "1e+300");
    EXPECT_EQ(FloatToText(-2.5), "-2.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_THROW(TextToFloat("1,5"), EConvertError);
}

TEST(Value, KindsConvertOrRefuse)
{
    EXPECT_EQ(TValue::String(" 42 ").AsInt64(), 42);
    EXPECT_THROW(TValue::String("42abc").AsInt64(), EConvertError);
    EXPECT_THROW(TValue::Float(1.5).AsInt64(), EConvertError);
    EXPECT_EQ(TValue::Decimal(TDecimal::FromString("2.50")).AsString(), "2.50");
    EXPECT_EQ(TValue::Integer(-7).AsDecimal(), TDecimal::FromInt(-7));
    EXPECT_TRUE(TValue::String("True").AsBoolean());
    EXPECT_THROW(TValue::String("maybe").AsBoolean(), EConvertError);
    EXPECT_EQ(TValue().AsString(), "");
    EXPECT_TRUE(TValue().IsNull());
    std::string withNul("a\0b", 3);
    EXPECT_EQ(TValue::Bytes(withNul).RawString().size(), 3u);
    EXPECT_NE(TValue::Bytes("x"), TValue::String("x"));
    EXPECT_EQ(TValue::Integer(3), TValue::Integer(3));
}

TEST(Value, ReusedValueKeepsNoStaleContent)
{
    TValue v;
    v.SetString("a long first value that needs its own buffer");
    v.SetString("b");
    EXPECT_EQ(v.AsString(), "b");
    v.Clear();
    EXPECT_TRUE(v.IsNull());
    EXPECT_EQ(v.RawString(), "");
    v.SetInteger(5);
    EXPECT_EQ(v.AsString(), "5");
}
