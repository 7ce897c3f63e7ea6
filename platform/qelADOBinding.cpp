#include "qelADOBinding.h"

#include <algorithm>
#include <string_view>

namespace qel {

namespace {

bool HasNonAscii(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
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
    const bool null = v.IsNull();
    TBinding b;
    auto bindText = [&](std::string_view text) {
        b.Data = const_cast<char*>(text.data());
        b.Length = static_cast<SQLLEN>(text.size());
        b.Size = std::max<SQLULEN>(text.size(), 1);
    };
    auto textOfValue = [&]() -> std::string_view {
        if (v.Kind() == TValueKind::vkString || v.Kind() == TValueKind::vkBytes) return v.RawString();
        buffer.Text = v.AsString();
        return buffer.Text;
    };
    switch (t) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
    case TFieldType::ftLargeint:
        b.CType = SQL_C_SBIGINT;
        b.SQLType = t == TFieldType::ftSmallint ? SQL_SMALLINT : t == TFieldType::ftLargeint ? SQL_BIGINT : SQL_INTEGER;
        if (!null) buffer.Integer = v.AsInt64();
        b.Data = &buffer.Integer;
        break;
    case TFieldType::ftBoolean:
        b.CType = SQL_C_BIT;
        b.SQLType = SQL_BIT;
        if (!null) buffer.Bit = v.AsBoolean() ? 1 : 0;
        b.Data = &buffer.Bit;
        break;
    case TFieldType::ftFloat:
        b.CType = SQL_C_DOUBLE;
        b.SQLType = SQL_DOUBLE;
        b.Size = 15;
        if (!null) buffer.Float = v.AsFloat();
        b.Data = &buffer.Float;
        break;
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
    case TFieldType::ftFMTBcd:
        // As exact text, with the precision and scale of the value.
        b.SQLType = SQL_NUMERIC;
        b.Size = 18;
        if (!null) {
            const TDecimal d = v.AsDecimal();
            buffer.Text = d.ToString();
            bindText(buffer.Text);
            const auto digits = std::count_if(buffer.Text.begin(), buffer.Text.end(), [](char c) { return c >= '0' && c <= '9'; });
            b.Size = std::max<SQLULEN>({static_cast<SQLULEN>(digits), static_cast<SQLULEN>(d.Scale()), 1});
            b.Digits = static_cast<SQLSMALLINT>(d.Scale());
        }
        break;
    case TFieldType::ftDate:
        b.CType = SQL_C_TYPE_DATE;
        b.SQLType = SQL_TYPE_DATE;
        b.Size = 10;
        if (!null) {
            const TDateTimeValue d = v.AsDateTime();
            buffer.Date = SQL_DATE_STRUCT{static_cast<SQLSMALLINT>(d.Year), static_cast<SQLUSMALLINT>(d.Month), static_cast<SQLUSMALLINT>(d.Day)};
        }
        b.Data = &buffer.Date;
        break;
    case TFieldType::ftTime:
        // As text: the ODBC time structure has no fraction.
        b.SQLType = SQL_TYPE_TIME;
        b.Size = 8;
        if (!null) {
            const TDateTimeValue d = v.AsDateTime();
            buffer.Text = d.TimeText();
            bindText(buffer.Text);
            b.Size = d.Microsecond != 0 ? 15 : 8;
            b.Digits = d.Microsecond != 0 ? 6 : 0;
        }
        break;
    case TFieldType::ftDateTime:
    case TFieldType::ftTimeStamp:
        b.CType = SQL_C_TYPE_TIMESTAMP;
        b.SQLType = SQL_TYPE_TIMESTAMP;
        b.Size = 26;
        b.Digits = 6;
        if (!null) {
            const TDateTimeValue d = v.AsDateTime();
            buffer.TimeStamp = SQL_TIMESTAMP_STRUCT{static_cast<SQLSMALLINT>(d.Year), static_cast<SQLUSMALLINT>(d.Month),
                                                    static_cast<SQLUSMALLINT>(d.Day), static_cast<SQLUSMALLINT>(d.Hour),
                                                    static_cast<SQLUSMALLINT>(d.Minute), static_cast<SQLUSMALLINT>(d.Second),
                                                    static_cast<SQLUINTEGER>(d.Microsecond) * 1000u};
        }
        b.Data = &buffer.TimeStamp;
        break;
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
    case TFieldType::ftBlob:
    case TFieldType::ftGraphic:
    case TFieldType::ftOraBlob:
        b.CType = SQL_C_BINARY;
        if (!null) bindText(textOfValue());
        b.SQLType = (t == TFieldType::ftBytes || t == TFieldType::ftVarBytes) && b.Size <= kMaxShortBinary ? SQL_VARBINARY
                                                                                                          : SQL_LONGVARBINARY;
        break;
    case TFieldType::ftGuid:
        b.SQLType = SQL_GUID;
        b.Size = 36;
        if (!null) bindText(textOfValue());
        break;
    case TFieldType::ftUnknown:
        b.Untyped = true;
        break;
    default: {
        // Text; wide types when it is not plain ASCII, so that a server
        // with a narrow code page still receives every character.
        const std::string_view text = null ? std::string_view() : textOfValue();
        if (!null) bindText(text);
        const bool unicode = t == TFieldType::ftWideString || t == TFieldType::ftWideMemo || HasNonAscii(text);
        const bool longText = IsBlobType(t) || text.size() > kMaxShortText;
        b.SQLType = longText ? (unicode ? SQL_WLONGVARCHAR : SQL_LONGVARCHAR) : (unicode ? SQL_WVARCHAR : SQL_VARCHAR);
        break;
    }
    }
    if (null) {
        buffer.Indicator = SQL_NULL_DATA;
        if (!b.Data) b.Data = &buffer.Integer;
    } else {
        // Lengths matter for character and binary buffers only.
        buffer.Indicator = b.CType == SQL_C_CHAR || b.CType == SQL_C_BINARY ? b.Length : 0;
    }
    return b;
}

} // namespace qel
