// What a target column holds: each master value is checked against the
// column it is bound for before any statement of the run is made, so that
// a value the server would round, cut, shift or refuse stops the run.
#include "qelVelmorinPrivate.h"

#include "qelText.h"

#include <cfloat>
#include <cmath>

namespace qel::velmorin {

namespace {

// The value's own kind where it decides more than the column's type: a
// SQLite cell, text read from a number column.
TValueClass ClassOfValue(const TValue& v, TFieldType Type)
{
    switch (v.Kind()) {
    case TValueKind::vkBoolean: return ValueClassOf(Type) == TValueClass::Number ? TValueClass::Number : TValueClass::Boolean;
    case TValueKind::vkInteger:
    case TValueKind::vkFloat:
    case TValueKind::vkDecimal: return ValueClassOf(Type) == TValueClass::Boolean ? TValueClass::Boolean : TValueClass::Number;
    case TValueKind::vkDate:
    case TValueKind::vkDateTime: return TValueClass::DateTime;
    case TValueKind::vkTime: return TValueClass::Time;
    case TValueKind::vkBytes: return ValueClassOf(Type) == TValueClass::Text ? TValueClass::Text : TValueClass::Binary;
    case TValueKind::vkString: return ValueClassOf(Type) == TValueClass::Binary ? TValueClass::Binary : TValueClass::Text;
    default: return TValueClass::Other;
    }
}

const char* ClassName(TValueClass c)
{
    switch (c) {
    case TValueClass::Number: return "a number";
    case TValueClass::Text: return "text";
    case TValueClass::Binary: return "bytes";
    case TValueClass::DateTime: return "a date";
    case TValueClass::Time: return "a time of day";
    case TValueClass::Boolean: return "a boolean";
    case TValueClass::Other: break;
    }
    return "a value";
}

std::size_t Characters(const std::string& s)
{
    if (!IsWellFormedUtf8(s)) return s.size();
    std::size_t n = 0;
    for (const unsigned char c : s) n += (c & 0xC0) != 0x80 ? 1 : 0;
    return n;
}

// 10^n for n up to 38.
__int128 PowerOfTen(int n)
{
    __int128 r = 1;
    for (int i = 0; i < n; ++i) r *= 10;
    return r;
}

// Why an exact number (a decimal) does not fit C; empty when it does.
std::string WhyDecimalNotHeld(const TDecimal& d, const TTargetColumn& C)
{
    const TDecimal n = d.Normalized();
    const std::string text = n.ToString();
    if (C.AnyClass) {
        // A SQLite cell holds a 64-bit integer or a double: a decimal lands
        // exactly only as one of them.
        if (n.Scale() == 0) {
            try {
                (void)n.ToInt64();
                return {};
            } catch (const EConvertError&) {
            }
        }
        if (CompareExactWithDouble(n, n.ToDouble()) == 0) return {};
        return "the value " + text + " is neither a 64-bit integer nor a double, the numbers a SQLite cell holds";
    }
    if (C.Class == TValueClass::Number && C.Type == TFieldType::ftFloat) {
        const double v = n.ToDouble();
        if (C.Single && std::isinf(static_cast<float>(v)))
            return "the value " + text + " is beyond the range of the 32-bit float column";
        if (C.Key && (C.Single ? CompareExactWithDouble(n, static_cast<float>(v)) : CompareExactWithDouble(n, v)) != 0)
            return "the key value " + text + " has no exact value in the floating-point key column";
        return {};
    }
    const int scale = n.Scale();
    if (C.Scale >= 0 && scale > C.Scale)
        return "the value " + text + " has more than the " + IntToStr(C.Scale) + " decimals the column keeps";
    // Digits before the point, and the value's digits at the column's scale.
    const __int128 magnitude = n.Unscaled() < 0 ? -n.Unscaled() : n.Unscaled();
    int digits = 0;
    for (__int128 m = magnitude; m != 0; m /= 10) ++digits;
    const int whole = std::max(digits - scale, 0);
    const int columnScale = std::max(C.Scale, 0);
    if (C.Digits > 0 && whole > C.Digits - columnScale)
        return "the value " + text + " has more than the " + IntToStr(C.Digits) + " digits the column holds";
    if (C.StorageBits > 0) {
        const __int128 max = (static_cast<__int128>(1) << (C.StorageBits - 1)) - 1;
        // Past 38 digits at the column's scale is past any 64-bit integer.
        if (whole + columnScale > 38) return "the value " + text + " is beyond the range of the column";
        const __int128 unscaled = n.Unscaled() * PowerOfTen(columnScale - std::min(scale, columnScale));
        if (unscaled > max || unscaled < -max - 1) return "the value " + text + " is beyond the range of the column";
    }
    return {};
}

std::string WhyDoubleNotHeld(double v, const TTargetColumn& C)
{
    const bool special = std::isnan(v) || std::isinf(v);
    if (C.Type == TFieldType::ftFloat || C.AnyClass) {
        if (special) {
            if (C.NaNAndInfinity && !C.AnyClass) return {};
            return "the value " + FloatToText(v) + " has no place in the column";
        }
        if (C.AnyClass) return {};
        if (C.Single && std::isinf(static_cast<float>(v)))
            return "the value " + FloatToText(v) + " is beyond the range of the 32-bit float column";
        if (C.Single && C.Key && static_cast<double>(static_cast<float>(v)) != v)
            return "the key value " + FloatToText(v) + " has no exact value in the 32-bit float key column";
        return {};
    }
    if (special) return "the value " + FloatToText(v) + " is no number the column holds";
    // An exact column takes the double's own binary value, every digit.
    const std::string exact = ExactDoubleText(v);
    TDecimal d;
    if (TDecimal::TryFromString(exact, d) && (C.Scale < 0 || d.Normalized().Scale() <= C.Scale))
        return WhyDecimalNotHeld(d, C);
    if (C.Scale < 0) return "the double " + FloatToText(v) + " is exactly " + exact + ", more digits than the column holds";
    return "the double " + FloatToText(v) + " is exactly " + exact + ", more decimals than the " + IntToStr(C.Scale) +
           " the column keeps";
}

} // namespace

std::string WhyNotHeld(const TValue& v, TFieldType SourceType, const TTargetColumn& C)
{
    if (v.IsNull() || !C.Checked) return {};
    const TValueClass source = ClassOfValue(v, SourceType);
    if (C.AnyClass) {
        // A SQLite cell keeps the class it is given; numbers must be its own,
        // and a date or time column must read back what it holds as one.
        const bool dated = source == TValueClass::DateTime || source == TValueClass::Time;
        if ((C.Class == TValueClass::DateTime || C.Class == TValueClass::Time) && !dated) {
            if (v.Kind() != TValueKind::vkString)
                return std::string("the value is ") + ClassName(source) + " and the column holds " + ClassName(C.Class);
            try {
                (void)TDateTimeValue::Parse(Trim(v.RawString()));
            } catch (const EConvertError&) {
                return "the text '" + v.RawString() + "' is no " + (C.Class == TValueClass::Time ? "time" : "date");
            }
        }
        if (v.Kind() == TValueKind::vkDecimal) return WhyDecimalNotHeld(v.AsDecimal(), C);
        if (v.Kind() == TValueKind::vkFloat) return WhyDoubleNotHeld(v.AsFloat(), C);
        if ((source == TValueClass::DateTime || source == TValueClass::Time) &&
            (v.Kind() == TValueKind::vkDate || v.Kind() == TValueKind::vkTime || v.Kind() == TValueKind::vkDateTime)) {
            const TDateTimeValue t = v.AsDateTime();
            if (TruncatedToDigits(t, C.TimeDigits).Microsecond != t.Microsecond)
                return "the value " + (source == TValueClass::Time ? t.TimeText() : t.DateTimeText()) +
                       " has more decimals of a second than the " + IntToStr(C.TimeDigits) + " the column keeps";
        }
        return {};
    }
    TValueClass target = C.Class;
    // Text bound for a number, date or time column is read as one.
    if (source == TValueClass::Text && v.Kind() == TValueKind::vkString) {
        if (target == TValueClass::Number) {
            if (C.Type == TFieldType::ftFloat) return WhyDoubleNotHeld(v.AsFloat(), C);
            return WhyDecimalNotHeld(v.AsDecimal(), C);
        }
        if (target == TValueClass::DateTime || target == TValueClass::Time) {
            TDateTimeValue t;
            try {
                t = TDateTimeValue::Parse(Trim(v.RawString()));
            } catch (const EConvertError&) {
                return "the text '" + v.RawString() + "' is no " + (target == TValueClass::Time ? "time" : "date");
            }
            return WhyNotHeld(target == TValueClass::Time ? TValue::Time(t) : TValue::DateTime(t),
                              target == TValueClass::Time ? TFieldType::ftTime : TFieldType::ftDateTime, C);
        }
    }
    if (source != target && !(source == TValueClass::Boolean && target == TValueClass::Number))
        return std::string("the value is ") + ClassName(source) + " and the column holds " + ClassName(target);
    switch (target) {
    case TValueClass::Number:
        if (v.Kind() == TValueKind::vkFloat) return WhyDoubleNotHeld(v.AsFloat(), C);
        return WhyDecimalNotHeld(v.AsDecimal(), C);
    case TValueClass::Text: {
        if (C.Size <= 0 || IsBlobType(C.Type)) return {};
        std::string s = v.Kind() == TValueKind::vkString || v.Kind() == TValueKind::vkBytes ? v.RawString() : v.AsString();
        // CHAR pads with blanks: trailing ones are no part of the value.
        if (C.Type == TFieldType::ftFixedChar)
            while (!s.empty() && s.back() == ' ') s.pop_back();
        const std::size_t n = Characters(s);
        if (n > static_cast<std::size_t>(C.Size))
            return "the text of " + IntToStr(static_cast<long long>(n)) + " characters is longer than the " +
                   IntToStr(C.Size) + " the column holds";
        return {};
    }
    case TValueClass::Binary: {
        if (C.Size <= 0 || IsBlobType(C.Type)) return {};
        const std::size_t n = v.RawString().size();
        if (n > static_cast<std::size_t>(C.Size))
            return "the value of " + IntToStr(static_cast<long long>(n)) + " bytes is longer than the " + IntToStr(C.Size) +
                   " the column holds";
        // A fixed-length binary column pads a shorter value.
        if (C.Type == TFieldType::ftBytes && n != static_cast<std::size_t>(C.Size))
            return "the value of " + IntToStr(static_cast<long long>(n)) + " bytes would be padded to the " +
                   IntToStr(C.Size) + " the column holds";
        return {};
    }
    case TValueClass::DateTime:
    case TValueClass::Time: {
        const TDateTimeValue t = v.AsDateTime();
        const std::string text = target == TValueClass::Time ? t.TimeText() : t.DateTimeText();
        if (C.Type == TFieldType::ftDate && t.MicrosecondOfDay() != 0)
            return "the value " + text + " has a time of day, which the date column does not keep";
        if (TruncatedToDigits(t, C.TimeDigits).Microsecond != t.Microsecond)
            return "the value " + text + " has more decimals of a second than the " + IntToStr(C.TimeDigits) +
                   " the column keeps";
        return {};
    }
    default: return {};
    }
}

} // namespace qel::velmorin
