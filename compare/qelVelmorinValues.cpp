// Value comparison and literal text helpers of the comparer.
#include "qelVelmorinPrivate.h"

#include "qelDBEngine.h"
#include "qelText.h"

#include <array>
#include <charconv>
#include <algorithm>
#include <cmath>
#include <compare>
#include <cstring>

namespace qel::velmorin {

namespace {

template <class T>
int Sign(T v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

int OrderingSign(std::strong_ordering o)
{
    return o < 0 ? -1 : (o > 0 ? 1 : 0);
}

const std::string& RawOrText(const TValue& v, std::string& scratch)
{
    if (v.Kind() == TValueKind::vkString || v.Kind() == TValueKind::vkBytes) return v.RawString();
    scratch = v.AsString();
    return scratch;
}

int CompareDoubles(double a, double b)
{
    if (std::isnan(a) || std::isnan(b)) {
        // NaN after every number, equal to itself: a total order for the merge.
        if (std::isnan(a) && std::isnan(b)) return 0;
        return std::isnan(a) ? 1 : -1;
    }
    return a < b ? -1 : (a > b ? 1 : 0);
}

TDecimal ExactOf(const TValue& v)
{
    if (v.Kind() == TValueKind::vkBoolean) return TDecimal::FromInt(v.AsBoolean() ? 1 : 0);
    return v.AsDecimal();
}

int CompareNumbers(const TValue& a, const TValue& b)
{
    const bool fa = a.Kind() == TValueKind::vkFloat, fb = b.Kind() == TValueKind::vkFloat;
    if (fa != fb) {
        // An exact value against a double: the double's own binary value,
        // never the exact value's nearest double, which would make
        // 9007199254740993 equal to the double 9007199254740992.
        try {
            return fa ? -CompareExactWithDouble(ExactOf(b), a.AsFloat()) : CompareExactWithDouble(ExactOf(a), b.AsFloat());
        } catch (const EConvertError&) {
        }
    } else if (!fa) {
        try {
            return OrderingSign(ExactOf(a) <=> ExactOf(b));
        } catch (const EConvertError&) {
            // A value that is no exact number (text that does not read as one)
            // falls back to the double comparison below.
        }
    }
    return CompareDoubles(a.AsFloat(), b.AsFloat());
}

std::string_view WithoutTrailingBlanks(std::string_view s)
{
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Fixed: a CHAR column on either side, whose padding is no part of the value.
int CompareText(const TValue& a, const TValue& b, bool trim, bool fixed)
{
    std::string sa, sb;
    const std::string& ra = RawOrText(a, sa);
    const std::string& rb = RawOrText(b, sb);
    if (trim) return CompareBytes(Trim(ra), Trim(rb));
    if (fixed) return CompareBytes(WithoutTrailingBlanks(ra), WithoutTrailingBlanks(rb));
    return CompareBytes(ra, rb);
}

} // namespace

TValueClass ValueClassOf(TFieldType t)
{
    switch (t) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
    case TFieldType::ftLargeint:
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
    case TFieldType::ftFMTBcd: return TValueClass::Number;
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
    case TFieldType::ftWideString:
    case TFieldType::ftGuid:
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo:
    case TFieldType::ftWideMemo:
    case TFieldType::ftOraClob: return TValueClass::Text;
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
    case TFieldType::ftBlob:
    case TFieldType::ftGraphic:
    case TFieldType::ftOraBlob: return TValueClass::Binary;
    case TFieldType::ftDate:
    case TFieldType::ftDateTime:
    case TFieldType::ftTimeStamp: return TValueClass::DateTime;
    case TFieldType::ftTime: return TValueClass::Time;
    case TFieldType::ftBoolean: return TValueClass::Boolean;
    default: return TValueClass::Other;
    }
}

bool IsExactNumberType(TFieldType t)
{
    return ValueClassOf(t) == TValueClass::Number && t != TFieldType::ftFloat;
}

bool IsTextBlobType(TFieldType t)
{
    return IsBlobType(t) && ValueClassOf(t) == TValueClass::Text;
}

int CompareBytes(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    if (n != 0) {
        const int r = std::memcmp(a.data(), b.data(), n);
        if (r != 0) return r < 0 ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::string ExactDoubleText(double v)
{
    if (v == 0) return "0";
    int exp = 0;
    (void)std::frexp(v, &exp);
    // A double is m * 2^(exp - 53): its decimal expansion ends after at most
    // 53 - exp places, all of them written.
    const int places = std::clamp(53 - exp, 0, 1100);
    char buf[1500];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, places);
    std::string s(buf, res.ptr);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return s;
}

namespace {

// Sign, whole digits without leading zeros, fraction without trailing zeros.
struct TDecimalText {
    bool Negative = false;
    std::string Whole, Fraction;
};

TDecimalText SplitDecimalText(std::string_view s)
{
    TDecimalText r;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        r.Negative = s[0] == '-';
        s.remove_prefix(1);
    }
    const size_t dot = s.find('.');
    std::string_view whole = s.substr(0, dot);
    std::string_view fraction = dot == std::string_view::npos ? std::string_view() : s.substr(dot + 1);
    while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    r.Whole = whole;
    r.Fraction = fraction;
    if (r.Whole.empty() && r.Fraction.empty()) r.Negative = false;
    return r;
}

int CompareMagnitudes(const TDecimalText& a, const TDecimalText& b)
{
    if (a.Whole.size() != b.Whole.size()) return a.Whole.size() < b.Whole.size() ? -1 : 1;
    if (const int r = a.Whole.compare(b.Whole); r != 0) return r < 0 ? -1 : 1;
    const int r = a.Fraction.compare(b.Fraction);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

} // namespace

int CompareExactWithDouble(const TDecimal& a, double d)
{
    if (std::isnan(d)) return -1;
    if (std::isinf(d)) return d > 0 ? -1 : 1;
    // Far apart, the nearest doubles say it; only near ones need every digit.
    const double ad = a.ToDouble();
    const double ulp = std::nextafter(std::fmax(std::fabs(ad), std::fabs(d)), INFINITY) - std::fmax(std::fabs(ad), std::fabs(d));
    if (std::fabs(ad - d) > 4 * ulp) return ad < d ? -1 : 1;
    const TDecimalText x = SplitDecimalText(a.ToString()), y = SplitDecimalText(ExactDoubleText(d));
    if (x.Negative != y.Negative) return x.Negative ? -1 : 1;
    const int r = CompareMagnitudes(x, y);
    return x.Negative ? -r : r;
}

int CompareNonNull(const TValue& a, TFieldType ta, const TValue& b, TFieldType tb, bool Trim)
{
    TValueClass ca = ValueClassOf(ta), cb = ValueClassOf(tb);
    // A boolean beside a number is the number 0 or 1.
    if (ca == TValueClass::Boolean && cb == TValueClass::Number) ca = TValueClass::Number;
    if (cb == TValueClass::Boolean && ca == TValueClass::Number) cb = TValueClass::Number;
    if (ca == cb) {
        switch (ca) {
        case TValueClass::Number: return CompareNumbers(a, b);
        case TValueClass::Text:
            return CompareText(a, b, Trim && ta != TFieldType::ftGuid && tb != TFieldType::ftGuid,
                               ta == TFieldType::ftFixedChar || tb == TFieldType::ftFixedChar);
        case TValueClass::Binary: return CompareText(a, b, false, false);
        case TValueClass::DateTime: return OrderingSign(a.AsDateTime() <=> b.AsDateTime());
        case TValueClass::Time:
            return Sign(a.AsDateTime().MicrosecondOfDay() - b.AsDateTime().MicrosecondOfDay());
        case TValueClass::Boolean: return Sign(int(a.AsBoolean()) - int(b.AsBoolean()));
        case TValueClass::Other: break;
        }
    }
    // Unrelated kinds (a number in a text column on the other side, ...):
    // their texts, so that a difference is never taken for equality.
    return CompareText(a, b, Trim && ca == TValueClass::Text && cb == TValueClass::Text, false);
}

bool SameAtTargetPrecision(const TValue& M, TFieldType TM, const TValue& T, TFieldType TT, bool Single)
{
    if (M.IsNull() || T.IsNull()) return false;
    if (ValueClassOf(TM) != TValueClass::Number || ValueClassOf(TT) != TValueClass::Number) return false;
    try {
        if (Single) return static_cast<float>(M.AsFloat()) == static_cast<float>(T.AsFloat());
        // An exact value in a DOUBLE column is the double nearest to it.
        if (TT == TFieldType::ftFloat) return M.AsFloat() == T.AsFloat();
    } catch (const EConvertError&) {
    }
    return false;
}

TDateTimeValue TruncatedToDigits(const TDateTimeValue& v, int Digits)
{
    int unit = 1;
    for (int i = std::clamp(Digits, 0, 6); i < 6; ++i) unit *= 10;
    TDateTimeValue r = v;
    r.Microsecond -= r.Microsecond % unit;
    return r;
}

// ---------------------------------------------------------------------------
// Date, time and number patterns

namespace {

constexpr std::array<const char*, 12> ShortMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> LongMonths{"January", "February", "March",     "April",   "May",      "June",
                                                 "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> ShortDays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 7> LongDays{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday",
                                              "Saturday"};

std::string Padded(long long v, int width)
{
    std::string s = IntToStr(v < 0 ? -v : v);
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
    return v < 0 ? "-" + s : s;
}

} // namespace

std::string FormatDateTimePattern(std::string_view Pattern, const TDateTimeValue& v, char DateSeparator,
                                  char TimeSeparator)
{
    std::string out;
    char previousLetter = 0;
    bool twelveHour = false;
    // AM/PM anywhere in the pattern makes the hours 12-based.
    for (size_t i = 0; i + 1 < Pattern.size(); ++i) {
        if (StartsWithText(Pattern.substr(i), "AM/PM") || StartsWithText(Pattern.substr(i), "A/P") ||
            StartsWithText(Pattern.substr(i), "AMPM")) {
            twelveHour = true;
            break;
        }
    }
    size_t i = 0;
    while (i < Pattern.size()) {
        const char c = Pattern[i];
        if (c == '\'' || c == '"') {
            const size_t end = Pattern.find(c, i + 1);
            const size_t stop = end == std::string_view::npos ? Pattern.size() : end;
            out.append(Pattern.substr(i + 1, stop - i - 1));
            i = stop == Pattern.size() ? stop : stop + 1;
            continue;
        }
        const char u = AsciiUpper(c);
        if (u == 'A') {
            const std::string_view rest = Pattern.substr(i);
            if (StartsWithText(rest, "AM/PM")) {
                const bool lower = rest[0] == 'a';
                out += v.Hour < 12 ? (lower ? "am" : "AM") : (lower ? "pm" : "PM");
                i += 5;
                continue;
            }
            if (StartsWithText(rest, "A/P")) {
                const bool lower = rest[0] == 'a';
                out += v.Hour < 12 ? (lower ? "a" : "A") : (lower ? "p" : "P");
                i += 3;
                continue;
            }
            if (StartsWithText(rest, "AMPM")) {
                out += v.Hour < 12 ? "AM" : "PM";
                i += 4;
                continue;
            }
        }
        size_t run = 1;
        while (i + run < Pattern.size() && AsciiUpper(Pattern[i + run]) == u) ++run;
        switch (u) {
        case 'Y':
            out += run <= 2 ? Padded(v.Year % 100, 2) : Padded(v.Year, 4);
            previousLetter = u;
            break;
        case 'M':
            if (run >= 3) {
                out += (run == 3 ? ShortMonths : LongMonths).at(static_cast<size_t>(std::clamp(v.Month, 1, 12) - 1));
            } else if (previousLetter == 'H') {
                out += Padded(v.Minute, static_cast<int>(run));
            } else {
                out += Padded(v.Month, static_cast<int>(run));
            }
            previousLetter = u;
            break;
        case 'D':
            if (run <= 2) {
                out += Padded(v.Day, static_cast<int>(run));
            } else {
                const std::int64_t day = v.DayNumber();
                // 1899-12-30 was a Saturday.
                const size_t weekday = static_cast<size_t>(((day % 7) + 7 + 6) % 7);
                out += (run == 3 ? ShortDays : LongDays).at(weekday);
            }
            previousLetter = u;
            break;
        case 'H': {
            int h = v.Hour;
            if (twelveHour) {
                h %= 12;
                if (h == 0) h = 12;
            }
            out += Padded(h, static_cast<int>(std::min<size_t>(run, 2)));
            previousLetter = u;
            break;
        }
        case 'N':
            out += Padded(v.Minute, static_cast<int>(std::min<size_t>(run, 2)));
            previousLetter = u;
            break;
        case 'S':
            out += Padded(v.Second, static_cast<int>(std::min<size_t>(run, 2)));
            previousLetter = u;
            break;
        case 'Z':
            out += run >= 3 ? Padded(v.Microsecond / 1000, 3) : IntToStr(v.Microsecond / 1000);
            previousLetter = u;
            break;
        case '/': out.append(run, DateSeparator); break;
        case ':': out.append(run, TimeSeparator); break;
        default: out.append(run, c); break;
        }
        i += run;
    }
    return out;
}

std::string FormatFloatPattern(std::string_view Pattern, double v)
{
    // Only the first section counts; "0.00;(0.00)" writes negatives with "-".
    const size_t semicolon = Pattern.find(';');
    if (semicolon != std::string_view::npos) Pattern = Pattern.substr(0, semicolon);
    size_t e = std::string_view::npos;
    for (size_t i = 0; i + 1 < Pattern.size(); ++i) {
        if ((Pattern[i] == 'E' || Pattern[i] == 'e') && (Pattern[i + 1] == '+' || Pattern[i + 1] == '-')) {
            e = i;
            break;
        }
    }
    const std::string_view mantissa = Pattern.substr(0, e);
    const size_t dot = mantissa.find('.');
    const std::string_view intPart = mantissa.substr(0, dot);
    const std::string_view fracPart = dot == std::string_view::npos ? std::string_view() : mantissa.substr(dot + 1);
    int minInt = 0, minFrac = 0, maxFrac = 0;
    for (char c : intPart) minInt += c == '0';
    for (char c : fracPart) {
        if (c == '0') {
            ++minFrac;
            ++maxFrac;
        } else if (c == '#') {
            ++maxFrac;
        }
    }
    char buf[512];
    std::string digits;
    std::string exponent;
    if (e != std::string_view::npos) {
        auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, maxFrac);
        std::string s(buf, res.ptr);
        const size_t ep = s.find('e');
        digits = s.substr(0, ep);
        int exp = std::stoi(s.substr(ep + 1));
        int expDigits = 0;
        for (size_t i = e + 2; i < Pattern.size() && Pattern[i] == '0'; ++i) ++expDigits;
        exponent = std::string(1, Pattern[e]);
        if (exp < 0) exponent += '-';
        else if (Pattern[e + 1] == '+') exponent += '+';
        exponent += Padded(exp < 0 ? -exp : exp, std::max(expDigits, 1));
    } else {
        auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, maxFrac);
        digits.assign(buf, res.ptr);
    }
    bool negative = !digits.empty() && digits[0] == '-';
    if (negative) digits.erase(0, 1);
    size_t point = digits.find('.');
    std::string ip = digits.substr(0, point);
    std::string fp = point == std::string::npos ? std::string() : digits.substr(point + 1);
    while (static_cast<int>(fp.size()) > minFrac && !fp.empty() && fp.back() == '0') fp.pop_back();
    while (ip.size() > 1 && ip[0] == '0') ip.erase(0, 1);
    if (ip == "0" && minInt == 0) ip.clear();
    if (static_cast<int>(ip.size()) < minInt) ip.insert(0, static_cast<size_t>(minInt) - ip.size(), '0');
    if (ip.empty() && fp.empty()) ip = "0";
    if (negative && std::all_of(ip.begin(), ip.end(), [](char c) { return c == '0'; }) &&
        std::all_of(fp.begin(), fp.end(), [](char c) { return c == '0'; }))
        negative = false;
    std::string out = negative ? "-" : "";
    out += ip;
    if (!fp.empty()) out += "." + fp;
    out += exponent;
    return out;
}

std::string ScientificText(double v)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    std::string s(buf, res.ptr);
    const bool negative = !s.empty() && s[0] == '-';
    if (negative) s.erase(0, 1);
    const size_t ep = s.find('e');
    const std::string mantissa = s.substr(0, ep);
    const char sign = s[ep + 1];
    std::string exp = s.substr(ep + 2);
    if (exp.size() < 4) exp.insert(0, 4 - exp.size(), '0');
    return std::string(1, negative ? '-' : ' ') + mantissa + "E" + sign + exp;
}

std::string ShortenedScientific(const std::string& Full)
{
    const size_t ep = Full.find('E');
    if (ep == std::string::npos) return Full;
    std::string mantissa = Full.substr(0, ep);
    std::string exp = Full.substr(ep + 1);
    if (!exp.empty() && exp[0] == '+') exp.erase(0, 1);
    std::string sign;
    if (!exp.empty() && exp[0] == '-') {
        sign = "-";
        exp.erase(0, 1);
    }
    while (!exp.empty() && exp[0] == '0') exp.erase(0, 1);
    while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
    return exp.empty() ? mantissa : mantissa + "E" + sign + exp;
}

std::string ShortestFloatText(double v)
{
    char buf[64];
    const double a = std::fabs(v);
    if (a != 0 && (a >= 1e15 || a < 1e-4)) {
        auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
        std::string s(buf, res.ptr);
        const size_t e = s.find('e');
        std::string exp = s.substr(e + 1);
        const bool negative = exp[0] == '-';
        exp.erase(0, 1);
        while (exp.size() > 1 && exp[0] == '0') exp.erase(0, 1);
        return s.substr(0, e) + "E" + (negative ? "-" : "") + exp;
    }
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    return std::string(buf, res.ptr);
}

bool FirebirdReadsExactly(std::string_view Text)
{
    std::string digits;
    int fraction = 0;
    bool point = false;
    size_t i = 0;
    while (i < Text.size() && (Text[i] == ' ' || Text[i] == '-' || Text[i] == '+')) ++i;
    for (; i < Text.size() && Text[i] != 'E' && Text[i] != 'e'; ++i) {
        if (Text[i] == '.') {
            point = true;
        } else if (Text[i] >= '0' && Text[i] <= '9') {
            digits += Text[i];
            if (point) ++fraction;
        } else {
            return false;
        }
    }
    int exponent = 0;
    if (i < Text.size()) {
        std::string_view e = Text.substr(i + 1);
        if (!e.empty() && e[0] == '+') e.remove_prefix(1);
        auto r = std::from_chars(e.data(), e.data() + e.size(), exponent);
        if (r.ec != std::errc() || r.ptr != e.data() + e.size()) return false;
    }
    while (!digits.empty() && digits.front() == '0') digits.erase(0, 1);
    int scale = exponent - fraction;
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
        ++scale;
    }
    if (digits.empty()) return true;
    return digits.size() <= 15 && scale >= -22 && scale <= 22;
}

namespace {

// v as an odd integer Mantissa times two to the power E.
void SplitDouble(double v, long long& Mantissa, int& E)
{
    int exp = 0;
    const double m = std::frexp(v, &exp);
    Mantissa = static_cast<long long>(std::ldexp(m, 53));
    E = exp - 53;
    while (Mantissa % 2 == 0) {
        Mantissa /= 2;
        ++E;
    }
}

} // namespace

std::string ExactDoubleExpression(double v)
{
    if (v == 0) return "0";
    long long mantissa = 0;
    int e = 0;
    SplitDouble(v, mantissa, e);
    std::string r = "(" + IntToStr(mantissa);
    // POWER has no subnormal results: very small scales go in two steps,
    // each product exact.
    if (e < -1000) {
        r += " * POWER(2, -600)";
        e += 600;
    }
    if (e != 0) r += " * POWER(2, " + IntToStr(e) + ")";
    return r + ")";
}

std::string SQLiteExactDouble(double v)
{
    if (v == 0) return std::signbit(v) ? "(-0.0)" : "0.0";
    long long mantissa = 0;
    int e = 0;
    SplitDouble(v, mantissa, e);
    std::string r = "(CAST(" + IntToStr(mantissa) + " AS REAL)";
    // Steps of at most 2^62, whose integers SQLite turns into doubles
    // exactly; each step moves toward the value, so none leaves the range.
    const char op = e < 0 ? '/' : '*';
    for (int left = std::abs(e); left > 0;) {
        const int step = std::min(left, 62);
        r += std::string(" ") + op + " " + IntToStr(1LL << step);
        left -= step;
    }
    return r + ")";
}

bool IsWellFormedUtf8(std::string_view Text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(Text.data());
    const size_t n = Text.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        std::uint32_t cp = 0, min = 0;
        if (c >= 0xC2 && c <= 0xDF) extra = 1, cp = c & 0x1F, min = 0x80;
        else if (c >= 0xE0 && c <= 0xEF) extra = 2, cp = c & 0x0F, min = 0x800;
        else if (c >= 0xF0 && c <= 0xF4) extra = 3, cp = c & 0x07, min = 0x10000;
        else return false;
        if (i + static_cast<size_t>(extra) >= n) return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char d = p[i + static_cast<size_t>(k)];
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

std::string HexText(std::string_view bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string BinaryLiteral(std::string_view bytes, TDatabaseType t)
{
    switch (t) {
    case TDatabaseType::dbPostgreSQL: return "decode('" + HexText(bytes) + "', 'hex')";
    case TDatabaseType::dbMSSQL:
    case TDatabaseType::dbSybaseASE:
    case TDatabaseType::dbSybaseASA: return "0x" + HexText(bytes);
    case TDatabaseType::dbOracle: return "HEXTORAW('" + HexText(bytes) + "')";
    default: return "x'" + HexText(bytes) + "'";
    }
}

bool WritesBlobReference(TFieldType Master, TFieldType Target, TDatabaseType T)
{
    if (IsTextBlobType(Master)) {
        // The ODBC drivers bind a side-file value as bytes, which a text
        // column takes as another type (PostgreSQL refuses it, SQLite keeps
        // a BLOB): text goes there as a literal.
        const bool odbcText = T == TDatabaseType::dbPostgreSQL || T == TDatabaseType::dbCustomOLEDB ||
                              T == TDatabaseType::dbMSAccess || T == TDatabaseType::dbMySQL;
        return !(odbcText && (Target == TFieldType::ftUnknown || ValueClassOf(Target) == TValueClass::Text));
    }
    if (IsBlobType(Master)) return true;
    return ValueClassOf(Master) == TValueClass::Binary && Target != TFieldType::ftUnknown && IsBlobType(Target);
}

TCellClass CellClassOf(const TValue& v)
{
    switch (v.Kind()) {
    case TValueKind::vkNull: return TCellClass::Null;
    case TValueKind::vkBoolean:
    case TValueKind::vkInteger: return TCellClass::Integer;
    case TValueKind::vkFloat: return TCellClass::Real;
    case TValueKind::vkString: return TCellClass::Text;
    case TValueKind::vkBytes: return TCellClass::Blob;
    default: return TCellClass::None;
    }
}

namespace {

std::int64_t CellInteger(const TValue& v)
{
    return v.Kind() == TValueKind::vkBoolean ? (v.AsBoolean() ? 1 : 0) : v.AsInt64();
}

// An integer against a double by value, exactly (no rounding of either).
int CompareIntegerWithDouble(std::int64_t i, double d)
{
    if (std::isnan(d)) return -1;
    if (d >= 9223372036854775808.0) return -1;
    if (d < -9223372036854775808.0) return 1;
    const double t = std::trunc(d);
    const auto n = static_cast<std::int64_t>(t);
    if (i != n) return i < n ? -1 : 1;
    return t == d ? 0 : (d > t ? -1 : 1);
}

} // namespace

int CompareCells(const TValue& a, const TValue& b, bool Trim)
{
    const TCellClass ca = CellClassOf(a), cb = CellClassOf(b);
    if (ca != cb) return ca < cb ? -1 : 1;
    switch (ca) {
    case TCellClass::Null: return 0;
    case TCellClass::Integer: {
        const std::int64_t x = CellInteger(a), y = CellInteger(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case TCellClass::Real: {
        const double x = a.AsFloat(), y = b.AsFloat();
        if (const int r = CompareDoubles(x, y); r != 0) return r;
        if (std::signbit(x) != std::signbit(y) && !std::isnan(x)) return std::signbit(x) ? -1 : 1;
        return 0;
    }
    case TCellClass::Text: return CompareText(a, b, Trim, false);
    case TCellClass::Blob: return CompareBytes(a.RawString(), b.RawString());
    case TCellClass::None: break;
    }
    return 0;
}

int CompareInSQLiteOrder(const TValue& a, const TValue& b)
{
    auto rank = [](TCellClass c) { return c == TCellClass::Real ? static_cast<int>(TCellClass::Integer) : static_cast<int>(c); };
    const TCellClass ca = CellClassOf(a), cb = CellClassOf(b);
    if (ca == TCellClass::None || cb == TCellClass::None) return CompareText(a, b, false, false);
    if (rank(ca) != rank(cb)) return rank(ca) < rank(cb) ? -1 : 1;
    if (ca == TCellClass::Integer && cb == TCellClass::Integer)
        return CellInteger(a) < CellInteger(b) ? -1 : (CellInteger(a) > CellInteger(b) ? 1 : 0);
    if (ca == TCellClass::Integer && cb == TCellClass::Real) return CompareIntegerWithDouble(CellInteger(a), b.AsFloat());
    if (ca == TCellClass::Real && cb == TCellClass::Integer) return -CompareIntegerWithDouble(CellInteger(b), a.AsFloat());
    if (ca == TCellClass::Real) return CompareDoubles(a.AsFloat(), b.AsFloat());
    if (ca == TCellClass::Null) return 0;
    return CompareBytes(a.RawString(), b.RawString());
}

std::string SQLiteCellLiteral(const TValue& v, TDatabaseType T)
{
    switch (CellClassOf(v)) {
    case TCellClass::Integer: return IntToStr(static_cast<long long>(CellInteger(v)));
    case TCellClass::Real: {
        const double d = v.AsFloat();
        if (std::isnan(d) || std::isinf(d))
            throw EStatementWithdrawn("The value " + FloatToText(d) + " has no literal in SQL.");
        if (d == 0) return std::signbit(d) ? "(-0.0)" : "0.0";
        // A whole number keeps its point, or SQLite would store an INTEGER.
        if (d == std::trunc(d) && std::fabs(d) < 9007199254740992.0) return IntToStr(static_cast<long long>(d)) + ".0";
        return SQLiteExactDouble(d);
    }
    case TCellClass::Text: return SQLQuotedStr(v.RawString(), T);
    default: return {};
    }
}

TFieldType SQLiteCellType(const TValue& v, TFieldType Otherwise)
{
    switch (CellClassOf(v)) {
    case TCellClass::Integer: return TFieldType::ftLargeint;
    case TCellClass::Real: return TFieldType::ftFloat;
    case TCellClass::Text: return TFieldType::ftMemo;
    case TCellClass::Blob: return TFieldType::ftBlob;
    default: return Otherwise;
    }
}

bool IsSingleFloatColumn(TQELQuery* Query, int Index)
{
    if (Query == nullptr || Query->GetFields() == nullptr || Index >= Query->GetFields()->Count()) return false;
    return (*Query->GetFields())[Index].DataType() == TFieldType::ftFloat && Query->IsSingleFloatField(Index);
}

} // namespace qel::velmorin
