// The runtime value of a field, a parameter or a compared column. Values are
// held exactly: 64-bit integers, decimals of up to 38 digits with their
// scale, doubles, dates and times to the microsecond, and byte strings of any
// length (NUL bytes included).
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace qel {

// An exact decimal: an unscaled integer of up to 38 digits and a scale.
// "-12.3400" is Unscaled -123400, Scale 4. Text never goes through double.
class TDecimal {
public:
    static constexpr int MaxDigits = 38;

    TDecimal() = default;
    TDecimal(__int128 unscaled, int scale);
    static TDecimal FromInt(std::int64_t v) { return TDecimal(v, 0); }
    // Parses "[+|-]digits[.digits]"; throws EConvertError on anything else or
    // on more than 38 significant digits.
    static TDecimal FromString(std::string_view text);
    static bool TryFromString(std::string_view text, TDecimal& out);
    // The shortest decimal that reads back as the same double.
    static TDecimal FromDouble(double v);

    __int128 Unscaled() const { return m_unscaled; }
    int Scale() const { return m_scale; }
    bool IsNegative() const { return m_unscaled < 0; }

    // "-12.3400": all digits of the scale, "." as separator.
    std::string ToString() const;
    double ToDouble() const;
    // Throws EConvertError when the value has a fraction or does not fit.
    std::int64_t ToInt64() const;
    // The same value at another scale; throws EConvertError when digits of
    // the fraction would be lost or the result needs more than 38 digits.
    TDecimal Rescaled(int scale) const;
    // The same value without trailing zeros in the fraction.
    TDecimal Normalized() const;

    // Compares by value: 1.50 equals 1.5.
    friend std::strong_ordering operator<=>(const TDecimal& a, const TDecimal& b);
    friend bool operator==(const TDecimal& a, const TDecimal& b) { return (a <=> b) == 0; }

private:
    __int128 m_unscaled = 0;
    int m_scale = 0;
};

// A calendar date and a time of day to the microsecond. A date alone has a
// zero time; a time alone keeps the date 1899-12-30 (day zero of the
// serial date-time numbers).
struct TDateTimeValue {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Microsecond = 0;

    // Serial date-time: days since 1899-12-30 plus the fraction of the day.
    double ToSerial() const;
    static TDateTimeValue FromSerial(double serial);
    // Days since 1899-12-30 and microseconds since midnight.
    std::int64_t DayNumber() const;
    std::int64_t MicrosecondOfDay() const;
    static TDateTimeValue FromDayAndMicros(std::int64_t day, std::int64_t micros);

    bool IsValid() const;
    // "2024-02-27", "13:14:15" (+ ".123400" trimmed to the digits needed
    // when the fraction is not zero), and both joined by a blank.
    std::string DateText() const;
    std::string TimeText() const;
    std::string DateTimeText() const;
    // Reads "yyyy-mm-dd", "hh:nn:ss[.f...]" or both; throws EConvertError.
    static TDateTimeValue Parse(std::string_view text);

    friend auto operator<=>(const TDateTimeValue&, const TDateTimeValue&) = default;
};

enum class TValueKind : std::uint8_t {
    vkNull, vkBoolean, vkInteger, vkFloat, vkDecimal, vkDate, vkTime, vkDateTime, vkString, vkBytes
};

// One value of any kind; Null by default. Conversions between kinds follow
// what a user expects ("12" as an integer is 12); a conversion that cannot be
// made raises EConvertError, never a silent zero.
class TValue {
public:
    TValue() = default;

    static TValue Boolean(bool v);
    static TValue Integer(std::int64_t v);
    static TValue Float(double v);
    static TValue Decimal(const TDecimal& v);
    static TValue Date(const TDateTimeValue& v);
    static TValue Time(const TDateTimeValue& v);
    static TValue DateTime(const TDateTimeValue& v);
    static TValue String(std::string v);
    static TValue Bytes(std::string v);

    TValueKind Kind() const { return m_kind; }
    bool IsNull() const { return m_kind == TValueKind::vkNull; }
    void Clear();

    // In-place setters keep an existing string buffer (no allocation per row).
    void SetBoolean(bool v);
    void SetInteger(std::int64_t v);
    void SetFloat(double v);
    void SetDecimal(const TDecimal& v);
    void SetDate(const TDateTimeValue& v);
    void SetTime(const TDateTimeValue& v);
    void SetDateTime(const TDateTimeValue& v);
    void SetString(std::string_view v);
    void SetBytes(std::string_view v);

    // Conversions; Null gives "", 0, False or the zero date.
    std::string AsString() const;
    std::int64_t AsInt64() const;
    double AsFloat() const;
    TDecimal AsDecimal() const;
    bool AsBoolean() const;
    TDateTimeValue AsDateTime() const;
    // The bytes of a string or binary value (text of any other kind).
    const std::string& RawString() const;

    friend bool operator==(const TValue& a, const TValue& b);

private:
    TValueKind m_kind = TValueKind::vkNull;
    std::variant<std::monostate, bool, std::int64_t, double, TDecimal, TDateTimeValue, std::string> m_data;
};

// The shortest text that reads back as the same double ("0.1", "1e+300"),
// with "." whatever the locale. NaN and infinities give "NaN", "INF", "-INF".
std::string FloatToText(double v);
// Parses a double written with "."; throws EConvertError.
double TextToFloat(std::string_view text);

} // namespace qel
