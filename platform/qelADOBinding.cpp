#include "qelADOBinding.h"

#include <algorithm>
#include <string_view>

namespace qel {

namespace {

bool HasNonAscii(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Points the binding at text that stays put until the statement has run.
void PointAt(TBinding& b, std::string_view text)
{
    b.Data = const_cast<char*>(text.data());
    b.Length = static_cast<SQLLEN>(text.size());
    b.Size = std::max<SQLULEN>(text.size(), 1);
}

// A string or binary value where it lies in the parameter; any other value
// as text in the buffer.
std::string_view TextOfValue(const TValue& v, TParamBuffer& buffer)
{
    if (v.Kind() == TValueKind::vkString || v.Kind() == TValueKind::vkBytes) return v.RawString();
    buffer.Text = v.AsString();
    return buffer.Text;
}

void BindInteger(TBinding& b, TFieldType t, const TValue& v, TParamBuffer& buffer)
{
    b.CType = SQL_C_SBIGINT;
    b.SQLType = t == TFieldType::ftSmallint ? SQL_SMALLINT : t == TFieldType::ftLargeint ? SQL_BIGINT : SQL_INTEGER;
    if (!v.IsNull()) buffer.Integer = v.AsInt64();
    b.Data = &buffer.Integer;
}

void BindBoolean(TBinding& b, const TValue& v, TParamBuffer& buffer)
{
    b.CType = SQL_C_BIT;
    b.SQLType = SQL_BIT;
    if (!v.IsNull()) buffer.Bit = v.AsBoolean() ? 1 : 0;
    b.Data = &buffer.Bit;
}

void BindFloat(TBinding& b, const TValue& v, TParamBuffer& buffer)
{
    b.CType = SQL_C_DOUBLE;
    b.SQLType = SQL_DOUBLE;
    b.Size = 15;
    if (!v.IsNull()) buffer.Float = v.AsFloat();
    b.Data = &buffer.Float;
}

// As exact text, with the precision and scale of the value.
void BindDecimal(TBinding& b, const TValue& v, TParamBuffer& buffer)
{
    b.SQLType = SQL_NUMERIC;
    b.Size = 18;
    if (v.IsNull()) return;
    const TDecimal d = v.AsDecimal();
    buffer.Text = d.ToString();
    PointAt(b, buffer.Text);
    const auto digits = std::count_if(buffer.Text.begin(), buffer.Text.end(), [](char c) { return c >= '0' && c <= '9'; });
    b.Size = std::max<SQLULEN>({static_cast<SQLULEN>(digits), static_cast<SQLULEN>(d.Scale()), 1});
    b.Digits = static_cast<SQLSMALLINT>(d.Scale());
}

void BindDate(TBinding& b, const TValue& v, TParamBuffer& buffer)
{
    b.CType = SQL_C_TYPE_DATE;
    b.SQLType = SQL_TYPE_DATE;
    b.Size = 10;
    if (!v.IsNull()) {
        const TDateTimeValue d = v.AsDateTime();
        buffer.Date = SQL_DATE_STRUCT{static_cast<SQLSMALLINT>(d.Year), static_cast<SQLUSMALLINT>(d.Month), static_cast<SQLUSMALLINT>(d.Day)};
    }
    b.Data = &buffer.Date;
}

// As text: the ODBC time structure has no fraction.
void BindTime(TBinding& b, const TValue& v, TParamBuffer& buffer)
{
    b.SQLType = SQL_TYPE_TIME;
    b.Size = 8;
    if (v.IsNull()) return;
    const TDateTimeValue d = v.AsDateTime();
    buffer.Text = d.TimeText();
    PointAt(b, buffer.Text);
    b.Size = d.Microsecond != 0 ? 15 : 8;
    b.Digits = d.Microsecond != 0 ? 6 : 0;
}

void BindTimeStamp(TBinding& b, const TValue& v, TParamBuffer& buffer)
{
    b.CType = SQL_C_TYPE_TIMESTAMP;
    b.SQLType = SQL_TYPE_TIMESTAMP;
    b.Size = 26;
    b.Digits = 6;
    if (!v.IsNull()) {
        const TDateTimeValue d = v.AsDateTime();
        buffer.TimeStamp = SQL_TIMESTAMP_STRUCT{static_cast<SQLSMALLINT>(d.Year), static_cast<SQLUSMALLINT>(d.Month),
                                                static_cast<SQLUSMALLINT>(d.Day), static_cast<SQLUSMALLINT>(d.Hour),
                                                static_cast<SQLUSMALLINT>(d.Minute), static_cast<SQLUSMALLINT>(d.Second),
                                                static_cast<SQLUINTEGER>(d.Microsecond) * 1000u};
    }
    b.Data = &buffer.TimeStamp;
}

void BindBinary(TBinding& b, TFieldType t, const TValue& v, TParamBuffer& buffer)
{
    b.CType = SQL_C_BINARY;
    if (!v.IsNull()) PointAt(b, TextOfValue(v, buffer));
    b.SQLType = (t == TFieldType::ftBytes || t == TFieldType::ftVarBytes) && b.Size <= kMaxShortBinary ? SQL_VARBINARY
                                                                                                      : SQL_LONGVARBINARY;
}

void BindGuid(TBinding& b, const TValue& v, TParamBuffer& buffer)
{
    b.SQLType = SQL_GUID;
    b.Size = 36;
    if (!v.IsNull()) PointAt(b, TextOfValue(v, buffer));
}

// Text; wide types when it is not plain ASCII, so that a server with a
// narrow code page still receives every character.
void BindCharacters(TBinding& b, TFieldType t, const TValue& v, TParamBuffer& buffer)
{
    const bool null = v.IsNull();
    const std::string_view text = null ? std::string_view() : TextOfValue(v, buffer);
    if (!null) PointAt(b, text);
    const bool unicode = t == TFieldType::ftWideString || t == TFieldType::ftWideMemo || HasNonAscii(text);
    const bool longText = IsBlobType(t) || text.size() > kMaxShortText;
    b.SQLType = longText ? (unicode ? SQL_WLONGVARCHAR : SQL_LONGVARCHAR) : (unicode ? SQL_WVARCHAR : SQL_VARCHAR);
}

// A Null points at some buffer all the same; otherwise lengths matter for
// character and binary buffers only.
void SetIndicator(TBinding& b, bool null, TParamBuffer& buffer)
{
    if (null) {
        buffer.Indicator = SQL_NULL_DATA;
        if (!b.Data) b.Data = &buffer.Integer;
    } else {
        buffer.Indicator = b.CType == SQL_C_CHAR || b.CType == SQL_C_BINARY ? b.Length : 0;
    }
}

} // namespace

TFieldType BindingType(const TParam& p)
{
    const TFieldType t = p.DataType();
    if (t != TFieldType::ftUnknown && t != TFieldType::ftVariant) return t;
    switch (p.Value().Kind()) {
    case TValueKind::vkBoolean: return TFieldType::ftBoolean;
    case TValueKind::vkInteger: return TFieldType::ftLargeint;
    case TValueKind::vkFloat: return TFieldType::ftFloat;
    case TValueKind::vkDecimal: return TFieldType::ftFMTBcd;
    case TValueKind::vkDate: return TFieldType::ftDate;
    case TValueKind::vkTime: return TFieldType::ftTime;
    case TValueKind::vkDateTime: return TFieldType::ftDateTime;
    case TValueKind::vkString: return TFieldType::ftString;
    case TValueKind::vkBytes: return TFieldType::ftBlob;
    case TValueKind::vkNull: break;
    }
    return TFieldType::ftUnknown;
}

TBinding BindingFor(const TParam& p, TParamBuffer& buffer)
{
    const TValue& v = p.Value();
    const TFieldType t = BindingType(p);
    TBinding b;
    switch (t) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
    case TFieldType::ftLargeint: BindInteger(b, t, v, buffer); break;
    case TFieldType::ftBoolean: BindBoolean(b, v, buffer); break;
    case TFieldType::ftFloat: BindFloat(b, v, buffer); break;
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
    case TFieldType::ftFMTBcd: BindDecimal(b, v, buffer); break;
    case TFieldType::ftDate: BindDate(b, v, buffer); break;
    case TFieldType::ftTime: BindTime(b, v, buffer); break;
    case TFieldType::ftDateTime:
    case TFieldType::ftTimeStamp: BindTimeStamp(b, v, buffer); break;
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
    case TFieldType::ftBlob:
    case TFieldType::ftGraphic:
    case TFieldType::ftOraBlob: BindBinary(b, t, v, buffer); break;
    case TFieldType::ftGuid: BindGuid(b, v, buffer); break;
    case TFieldType::ftUnknown: b.Untyped = true; break;
    default: BindCharacters(b, t, v, buffer); break;
    }
    SetIndicator(b, v.IsNull(), buffer);
    return b;
}

} // namespace qel
