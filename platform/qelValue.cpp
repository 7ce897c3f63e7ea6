#include "qelValue.h"

#include "qelErrors.h"
#include "qelText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace qel {

namespace {

constexpr __int128 Pow10(int n)
{
    __int128 r = 1;
    for (int i = 0; i < n; ++i) r *= 10;
    return r;
}

// 10^38 - 1: the largest unscaled value of 38 digits.
constexpr __int128 MaxUnscaled = Pow10(38) - 1;

std::string Int128ToString(__int128 v)
{
    if (v == 0) return "0";
    const bool neg = v < 0;
    unsigned __int128 u = neg ? static_cast<unsigned __int128>(-(v + 1)) + 1 : static_cast<unsigned __int128>(v);
    std::string r;
    while (u != 0) {
        r.insert(r.begin(), static_cast<char>('0' + static_cast<int>(u % 10)));
        u /= 10;
    }
    if (neg) r.insert(r.begin(), '-');
    return r;
}

[[noreturn]] void BadDecimal(std::string_view text)
{
    throw EConvertError("'" + std::string(text) + "' is not a valid decimal number");
}

} // namespace

TDecimal::TDecimal(__int128 unscaled, int scale) : m_unscaled(unscaled), m_scale(scale)
{
    if (scale < 0 || scale > MaxDigits) throw EConvertError("decimal scale out of range: " + IntToStr(scale));
    if (unscaled > MaxUnscaled || unscaled < -MaxUnscaled)
        throw EConvertError("decimal value has more than 38 digits");
}

bool TDecimal::TryFromString(std::string_view text, TDecimal& out)
{
    std::string_view s = text;
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    bool neg = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        neg = s.front() == '-';
        s.remove_prefix(1);
    }
    __int128 v = 0;
    int scale = 0;
    int digits = 0;
    bool seenPoint = false;
    bool any = false;
    for (char c : s) {
        if (c == '.') {
            if (seenPoint) return false;
            seenPoint = true;
            continue;
        }
        if (c < '0' || c > '9') return false;
        any = true;
        if (v == 0 && c == '0' && !seenPoint) continue; // leading zeros
        if (v != 0 || c != '0') ++digits;
        else if (seenPoint) ++digits; // zeros after the point count toward the scale width
        if (digits > MaxDigits) return false;
        v = v * 10 + (c - '0');
        if (seenPoint) ++scale;
    }
    if (!any || scale > MaxDigits) return false;
    out = TDecimal(neg ? -v : v, scale);
    return true;
}

TDecimal TDecimal::FromString(std::string_view text)
{
    TDecimal d;
    if (!TryFromString(text, d)) BadDecimal(text);
    return d;
}

TDecimal TDecimal::FromDouble(double v)
{
    if (!std::isfinite(v)) throw EConvertError("cannot hold " + FloatToText(v) + " as a decimal");
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    if (res.ec != std::errc()) throw EConvertError("cannot hold a double as a decimal");
    return FromString(std::string_view(buf, res.ptr - buf));
}

std::string TDecimal::ToString() const
{
    std::string digits = Int128ToString(m_unscaled < 0 ? -m_unscaled : m_unscaled);
    if (m_scale > 0) {
        if (static_cast<int>(digits.size()) <= m_scale)
            digits.insert(0, static_cast<size_t>(m_scale - static_cast<int>(digits.size()) + 1), '0');
        digits.insert(digits.size() - static_cast<size_t>(m_scale), 1, '.');
    }
    if (m_unscaled < 0) digits.insert(digits.begin(), '-');
    return digits;
}

double TDecimal::ToDouble() const
{
    // Through the text, so that the nearest double is found exactly.
    return TextToFloat(ToString());
}

std::int64_t TDecimal::ToInt64() const
{
    const __int128 p = Pow10(m_scale);
    if (m_unscaled % p != 0) throw EConvertError("'" + ToString() + "' is not an integer value");
    const __int128 v = m_unscaled / p;
    if (v > std::numeric_limits<std::int64_t>::max() || v < std::numeric_limits<std::int64_t>::min())
        throw EConvertError("'" + ToString() + "' does not fit a 64-bit integer");
    return static_cast<std::int64_t>(v);
}

TDecimal TDecimal::Rescaled(int scale) const
{
    if (scale == m_scale) return *this;
    if (scale < 0 || scale > MaxDigits) throw EConvertError("decimal scale out of range: " + IntToStr(scale));
    if (scale < m_scale) {
        const __int128 p = Pow10(m_scale - scale);
        if (m_unscaled % p != 0)
            throw EConvertError("'" + ToString() + "' has more than " + IntToStr(scale) + " decimals");
        return TDecimal(m_unscaled / p, scale);
    }
    const __int128 p = Pow10(scale - m_scale);
    const __int128 limit = MaxUnscaled / p;
    if (m_unscaled > limit || m_unscaled < -limit)
        throw EConvertError("'" + ToString() + "' needs more than 38 digits at scale " + IntToStr(scale));
    return TDecimal(m_unscaled * p, scale);
}

TDecimal TDecimal::Normalized() const
{
    TDecimal r = *this;
    while (r.m_scale > 0 && r.m_unscaled % 10 == 0) {
        r.m_unscaled /= 10;
        --r.m_scale;
    }
    if (r.m_unscaled == 0) r.m_scale = 0;
    return r;
}

std::strong_ordering operator<=>(const TDecimal& a, const TDecimal& b)
{
    if (a.m_scale == b.m_scale) return a.m_unscaled <=> b.m_unscaled;
    // Integer parts first, then the fractions at the larger scale; neither
    // step can overflow, whatever the scales.
    const __int128 pa = Pow10(a.m_scale), pb = Pow10(b.m_scale);
    const __int128 ia = a.m_unscaled / pa, ib = b.m_unscaled / pb;
    if (ia != ib) return ia <=> ib;
    const int s = a.m_scale > b.m_scale ? a.m_scale : b.m_scale;
    const __int128 fa = (a.m_unscaled % pa) * Pow10(s - a.m_scale);
    const __int128 fb = (b.m_unscaled % pb) * Pow10(s - b.m_scale);
    return fa <=> fb;
}

// ---- dates and times ---------------------------------------------------

namespace {

constexpr std::int64_t DaysFrom1970To1899 = -25569; // 1899-12-30 relative to 1970-01-01
constexpr std::int64_t MicrosPerDay = 86400LL * 1000000LL;

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t yy = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

void Put(std::string& out, int v, int width)
{
    char buf[16];
    auto res = std::to_chars(buf, buf + sizeof buf, v < 0 ? -v : v);
    if (v < 0) out += '-';
    for (int i = static_cast<int>(res.ptr - buf); i < width; ++i) out += '0';
    out.append(buf, res.ptr);
}

[[noreturn]] void BadDateTime(std::string_view text)
{
    throw EConvertError("'" + std::string(text) + "' is not a valid date or time");
}

} // namespace

std::int64_t TDateTimeValue::DayNumber() const
{
    return DaysFromCivil(Year, static_cast<unsigned>(Month), static_cast<unsigned>(Day)) - DaysFrom1970To1899;
}

std::int64_t TDateTimeValue::MicrosecondOfDay() const
{
    return ((static_cast<std::int64_t>(Hour) * 60 + Minute) * 60 + Second) * 1000000LL + Microsecond;
}

TDateTimeValue TDateTimeValue::FromDayAndMicros(std::int64_t day, std::int64_t micros)
{
    day += micros / MicrosPerDay;
    micros %= MicrosPerDay;
    if (micros < 0) {
        micros += MicrosPerDay;
        --day;
    }
    TDateTimeValue r;
    CivilFromDays(day + DaysFrom1970To1899, r.Year, r.Month, r.Day);
    r.Microsecond = static_cast<int>(micros % 1000000);
    const std::int64_t secs = micros / 1000000;
    r.Second = static_cast<int>(secs % 60);
    r.Minute = static_cast<int>((secs / 60) % 60);
    r.Hour = static_cast<int>(secs / 3600);
    return r;
}

double TDateTimeValue::ToSerial() const
{
    const double day = static_cast<double>(DayNumber());
    const double frac = static_cast<double>(MicrosecondOfDay()) / static_cast<double>(MicrosPerDay);
    // Serial numbers before day zero keep the time as a positive fraction
    // subtracted from the day: -1.25 is 1899-12-29 06:00.
    return day >= 0 ? day + frac : day - frac;
}

TDateTimeValue TDateTimeValue::FromSerial(double serial)
{
    const double day = std::trunc(serial);
    const double frac = std::fabs(serial - day);
    auto micros = static_cast<std::int64_t>(std::llround(frac * static_cast<double>(MicrosPerDay)));
    return FromDayAndMicros(static_cast<std::int64_t>(day), micros);
}

bool TDateTimeValue::IsValid() const
{
    if (Month < 1 || Month > 12 || Day < 1 || Day > 31) return false;
    if (Hour < 0 || Hour > 23 || Minute < 0 || Minute > 59 || Second < 0 || Second > 59) return false;
    if (Microsecond < 0 || Microsecond > 999999) return false;
    int y, m, d;
    CivilFromDays(DaysFromCivil(Year, static_cast<unsigned>(Month), static_cast<unsigned>(Day)), y, m, d);
    return y == Year && m == Month && d == Day;
}

std::string TDateTimeValue::DateText() const
{
    std::string r;
    Put(r, Year, 4);
    r += '-';
    Put(r, Month, 2);
    r += '-';
    Put(r, Day, 2);
    return r;
}

std::string TDateTimeValue::TimeText() const
{
    std::string r;
    Put(r, Hour, 2);
    r += ':';
    Put(r, Minute, 2);
    r += ':';
    Put(r, Second, 2);
    if (Microsecond != 0) {
        std::string f;
        Put(f, Microsecond, 6);
        while (!f.empty() && f.back() == '0') f.pop_back();
        r += '.';
        r += f;
    }
    return r;
}

std::string TDateTimeValue::DateTimeText() const { return DateText() + " " + TimeText(); }

TDateTimeValue TDateTimeValue::Parse(std::string_view text)
{
    std::string_view s = text;
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    TDateTimeValue r;
    auto number = [&](std::string_view& p, int maxDigits, int& out) {
        int n = 0;
        int v = 0;
        while (!p.empty() && n < maxDigits && p.front() >= '0' && p.front() <= '9') {
            v = v * 10 + (p.front() - '0');
            p.remove_prefix(1);
            ++n;
        }
        if (n == 0) BadDateTime(text);
        out = v;
        return n;
    };
    auto expect = [&](std::string_view& p, char c) {
        if (p.empty() || p.front() != c) BadDateTime(text);
        p.remove_prefix(1);
    };
    std::string_view p = s;
    const bool hasDate = p.size() >= 5 && p.find('-', 1) != std::string_view::npos;
    if (hasDate) {
        bool neg = false;
        if (!p.empty() && p.front() == '-') {
            neg = true;
            p.remove_prefix(1);
        }
        number(p, 6, r.Year);
        if (neg) r.Year = -r.Year;
        expect(p, '-');
        number(p, 2, r.Month);
        expect(p, '-');
        number(p, 2, r.Day);
        if (!p.empty() && (p.front() == ' ' || p.front() == 'T')) p.remove_prefix(1);
    }
    if (!p.empty()) {
        number(p, 2, r.Hour);
        expect(p, ':');
        number(p, 2, r.Minute);
        if (!p.empty() && p.front() == ':') {
            p.remove_prefix(1);
            number(p, 2, r.Second);
        }
        if (!p.empty() && p.front() == '.') {
            p.remove_prefix(1);
            int frac = 0;
            int n = 0;
            while (!p.empty() && p.front() >= '0' && p.front() <= '9') {
                if (n < 6) {
                    frac = frac * 10 + (p.front() - '0');
                    ++n;
                } else if (p.front() != '0') {
                    BadDateTime(text); // finer than a microsecond: refuse rather than round
                }
                p.remove_prefix(1);
            }
            if (n == 0) BadDateTime(text);
            for (; n < 6; ++n) frac *= 10;
            r.Microsecond = frac;
        }
    }
    if (!p.empty() || !r.IsValid()) BadDateTime(text);
    return r;
}

// ---- TValue ------------------------------------------------------------

TValue TValue::Boolean(bool v) { TValue r; r.SetBoolean(v); return r; }
TValue TValue::Integer(std::int64_t v) { TValue r; r.SetInteger(v); return r; }
TValue TValue::Float(double v) { TValue r; r.SetFloat(v); return r; }
TValue TValue::Decimal(const TDecimal& v) { TValue r; r.SetDecimal(v); return r; }
TValue TValue::Date(const TDateTimeValue& v) { TValue r; r.SetDate(v); return r; }
TValue TValue::Time(const TDateTimeValue& v) { TValue r; r.SetTime(v); return r; }
TValue TValue::DateTime(const TDateTimeValue& v) { TValue r; r.SetDateTime(v); return r; }
TValue TValue::String(std::string v) { TValue r; r.m_kind = TValueKind::vkString; r.m_data = std::move(v); return r; }
TValue TValue::Bytes(std::string v) { TValue r; r.m_kind = TValueKind::vkBytes; r.m_data = std::move(v); return r; }

void TValue::Clear()
{
    // Keeps a string buffer for the next value of the same column.
    m_kind = TValueKind::vkNull;
}

void TValue::SetBoolean(bool v) { m_kind = TValueKind::vkBoolean; m_data = v; }
void TValue::SetInteger(std::int64_t v) { m_kind = TValueKind::vkInteger; m_data = v; }
void TValue::SetFloat(double v) { m_kind = TValueKind::vkFloat; m_data = v; }
void TValue::SetDecimal(const TDecimal& v) { m_kind = TValueKind::vkDecimal; m_data = v; }
void TValue::SetDate(const TDateTimeValue& v) { m_kind = TValueKind::vkDate; m_data = v; }
void TValue::SetTime(const TDateTimeValue& v) { m_kind = TValueKind::vkTime; m_data = v; }
void TValue::SetDateTime(const TDateTimeValue& v) { m_kind = TValueKind::vkDateTime; m_data = v; }

void TValue::SetString(std::string_view v)
{
    if (auto* s = std::get_if<std::string>(&m_data)) s->assign(v.data(), v.size());
    else m_data = std::string(v);
    m_kind = TValueKind::vkString;
}

void TValue::SetBytes(std::string_view v)
{
    SetString(v);
    m_kind = TValueKind::vkBytes;
}

const std::string& TValue::RawString() const
{
    static const std::string empty;
    if (m_kind == TValueKind::vkString || m_kind == TValueKind::vkBytes) return std::get<std::string>(m_data);
    return empty;
}

std::string TValue::AsString() const
{
    switch (m_kind) {
    case TValueKind::vkNull: return {};
    case TValueKind::vkBoolean: return std::get<bool>(m_data) ? "True" : "False";
    case TValueKind::vkInteger: return IntToStr(std::get<std::int64_t>(m_data));
    case TValueKind::vkFloat: return FloatToText(std::get<double>(m_data));
    case TValueKind::vkDecimal: return std::get<TDecimal>(m_data).ToString();
    case TValueKind::vkDate: return std::get<TDateTimeValue>(m_data).DateText();
    case TValueKind::vkTime: return std::get<TDateTimeValue>(m_data).TimeText();
    case TValueKind::vkDateTime: return std::get<TDateTimeValue>(m_data).DateTimeText();
    case TValueKind::vkString:
    case TValueKind::vkBytes: return std::get<std::string>(m_data);
    }
    return {};
}

std::int64_t TValue::AsInt64() const
{
    switch (m_kind) {
    case TValueKind::vkNull: return 0;
    case TValueKind::vkBoolean: return std::get<bool>(m_data) ? 1 : 0;
    case TValueKind::vkInteger: return std::get<std::int64_t>(m_data);
    case TValueKind::vkFloat: {
        const double d = std::get<double>(m_data);
        if (!std::isfinite(d) || std::fabs(d) >= 9.2233720368547758e18 || d != std::trunc(d))
            throw EConvertError("'" + FloatToText(d) + "' is not an integer value");
        return static_cast<std::int64_t>(d);
    }
    case TValueKind::vkDecimal: return std::get<TDecimal>(m_data).ToInt64();
    case TValueKind::vkString: {
        const std::string t = Trim(std::get<std::string>(m_data));
        std::int64_t v = 0;
        auto res = std::from_chars(t.data() + (t.size() > 1 && t[0] == '+' ? 1 : 0), t.data() + t.size(), v);
        if (t.empty() || res.ec != std::errc() || res.ptr != t.data() + t.size())
            throw EConvertError("'" + t + "' is not a valid integer value");
        return v;
    }
    default: throw EConvertError("value cannot be read as an integer");
    }
}

double TValue::AsFloat() const
{
    switch (m_kind) {
    case TValueKind::vkNull: return 0.0;
    case TValueKind::vkBoolean: return std::get<bool>(m_data) ? 1.0 : 0.0;
    case TValueKind::vkInteger: return static_cast<double>(std::get<std::int64_t>(m_data));
    case TValueKind::vkFloat: return std::get<double>(m_data);
    case TValueKind::vkDecimal: return std::get<TDecimal>(m_data).ToDouble();
    case TValueKind::vkDate:
    case TValueKind::vkTime:
    case TValueKind::vkDateTime: return std::get<TDateTimeValue>(m_data).ToSerial();
    case TValueKind::vkString: return TextToFloat(Trim(std::get<std::string>(m_data)));
    case TValueKind::vkBytes: break;
    }
    throw EConvertError("value cannot be read as a number");
}

TDecimal TValue::AsDecimal() const
{
    switch (m_kind) {
    case TValueKind::vkNull: return {};
    case TValueKind::vkBoolean: return TDecimal::FromInt(std::get<bool>(m_data) ? 1 : 0);
    case TValueKind::vkInteger: return TDecimal::FromInt(std::get<std::int64_t>(m_data));
    case TValueKind::vkFloat: return TDecimal::FromDouble(std::get<double>(m_data));
    case TValueKind::vkDecimal: return std::get<TDecimal>(m_data);
    case TValueKind::vkString: return TDecimal::FromString(std::get<std::string>(m_data));
    default: throw EConvertError("value cannot be read as a decimal");
    }
}

bool TValue::AsBoolean() const
{
    switch (m_kind) {
    case TValueKind::vkNull: return false;
    case TValueKind::vkBoolean: return std::get<bool>(m_data);
    case TValueKind::vkInteger: return std::get<std::int64_t>(m_data) != 0;
    case TValueKind::vkFloat: return std::get<double>(m_data) != 0.0;
    case TValueKind::vkDecimal: return std::get<TDecimal>(m_data).Unscaled() != 0;
    case TValueKind::vkString: {
        const std::string t = Trim(std::get<std::string>(m_data));
        if (SameText(t, "True") || t == "1" || SameText(t, "T") || SameText(t, "Y")) return true;
        if (SameText(t, "False") || t == "0" || SameText(t, "F") || SameText(t, "N")) return false;
        throw EConvertError("'" + t + "' is not a valid boolean value");
    }
    default: throw EConvertError("value cannot be read as a boolean");
    }
}

TDateTimeValue TValue::AsDateTime() const
{
    switch (m_kind) {
    case TValueKind::vkNull: return {};
    case TValueKind::vkDate:
    case TValueKind::vkTime:
    case TValueKind::vkDateTime: return std::get<TDateTimeValue>(m_data);
    case TValueKind::vkFloat: return TDateTimeValue::FromSerial(std::get<double>(m_data));
    case TValueKind::vkInteger: return TDateTimeValue::FromSerial(static_cast<double>(std::get<std::int64_t>(m_data)));
    case TValueKind::vkString: return TDateTimeValue::Parse(std::get<std::string>(m_data));
    default: throw EConvertError("value cannot be read as a date or time");
    }
}

bool operator==(const TValue& a, const TValue& b)
{
    if (a.m_kind != b.m_kind) return false;
    switch (a.m_kind) {
    case TValueKind::vkNull: return true;
    case TValueKind::vkFloat: return std::get<double>(a.m_data) == std::get<double>(b.m_data);
    default: return a.m_data == b.m_data;
    }
}

// ---- floats ------------------------------------------------------------

std::string FloatToText(double v)
{
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

double TextToFloat(std::string_view text)
{
    std::string_view t = text;
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    double v = 0.0;
    auto res = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || res.ec != std::errc() || res.ptr != t.data() + t.size())
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return v;
}

} // namespace qel
