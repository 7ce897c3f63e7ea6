#include "qelDataSet.h"

#include "qelErrors.h"
#include "qelText.h"

#include <istream>
#include <iterator>
#include <limits>

namespace qel {

const char* FieldTypeName(TFieldType t)
{
    static const char* const names[] = {
        "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat", "ftCurrency", "ftBCD",
        "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes", "ftAutoInc", "ftBlob", "ftMemo", "ftGraphic",
        "ftFmtMemo", "ftFixedChar", "ftWideString", "ftLargeint", "ftOraBlob", "ftOraClob", "ftVariant", "ftGuid",
        "ftTimeStamp", "ftFMTBcd", "ftWideMemo"};
    const auto i = static_cast<size_t>(t);
    return i < std::size(names) ? names[i] : "ftUnknown";
}

bool IsBlobType(TFieldType t)
{
    switch (t) {
    case TFieldType::ftBlob: case TFieldType::ftMemo: case TFieldType::ftGraphic: case TFieldType::ftFmtMemo:
    case TFieldType::ftOraBlob: case TFieldType::ftOraClob: case TFieldType::ftWideMemo:
        return true;
    default:
        return false;
    }
}

bool IsStringType(TFieldType t)
{
    switch (t) {
    case TFieldType::ftString: case TFieldType::ftFixedChar: case TFieldType::ftWideString: case TFieldType::ftGuid:
        return true;
    default:
        return false;
    }
}

bool IsBinaryType(TFieldType t) { return t == TFieldType::ftBytes || t == TFieldType::ftVarBytes; }

TValueKind ValueKindOf(TFieldType t)
{
    switch (t) {
    case TFieldType::ftSmallint: case TFieldType::ftInteger: case TFieldType::ftWord: case TFieldType::ftAutoInc:
    case TFieldType::ftLargeint:
        return TValueKind::vkInteger;
    case TFieldType::ftBoolean: return TValueKind::vkBoolean;
    case TFieldType::ftFloat: return TValueKind::vkFloat;
    case TFieldType::ftCurrency: case TFieldType::ftBCD: case TFieldType::ftFMTBcd: return TValueKind::vkDecimal;
    case TFieldType::ftDate: return TValueKind::vkDate;
    case TFieldType::ftTime: return TValueKind::vkTime;
    case TFieldType::ftDateTime: case TFieldType::ftTimeStamp: return TValueKind::vkDateTime;
    case TFieldType::ftBytes: case TFieldType::ftVarBytes: case TFieldType::ftBlob: case TFieldType::ftGraphic:
    case TFieldType::ftOraBlob:
        return TValueKind::vkBytes;
    case TFieldType::ftUnknown: case TFieldType::ftVariant: return TValueKind::vkNull;
    default: return TValueKind::vkString;
    }
}

std::int32_t TValueHolder::AsInteger() const
{
    const std::int64_t v = m_value.AsInt64();
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        throw EConvertError("'" + IntToStr(v) + "' does not fit a 32-bit integer");
    return static_cast<std::int32_t>(v);
}

// The name as written first: "val" and VAL are two columns of one table.
TField* TFields::FindField(std::string_view Name) const
{
    for (const auto& f : m_fields)
        if (f->FieldName() == Name) return f.get();
    for (const auto& f : m_fields)
        if (SameText(f->FieldName(), Name)) return f.get();
    return nullptr;
}

TField& TFields::FieldByName(std::string_view Name) const
{
    if (TField* f = FindField(Name)) return *f;
    throw EDatabaseError("Field '" + std::string(Name) + "' not found");
}

TField& TFields::Add(std::unique_ptr<TField> Field)
{
    m_fields.push_back(std::move(Field));
    return *m_fields.back();
}

void TParam::SetValue(TFieldType Type, const TValue& v)
{
    m_dataType = Type;
    m_value = v;
    m_bound = true;
}

void TParam::SetAsString(std::string_view v) { m_dataType = TFieldType::ftString; m_value.SetString(v); m_bound = true; }
void TParam::SetAsInteger(std::int32_t v) { m_dataType = TFieldType::ftInteger; m_value.SetInteger(v); m_bound = true; }
void TParam::SetAsSmallInt(std::int16_t v) { m_dataType = TFieldType::ftSmallint; m_value.SetInteger(v); m_bound = true; }
void TParam::SetAsLargeInt(std::int64_t v) { m_dataType = TFieldType::ftLargeint; m_value.SetInteger(v); m_bound = true; }
void TParam::SetAsFloat(double v) { m_dataType = TFieldType::ftFloat; m_value.SetFloat(v); m_bound = true; }
void TParam::SetAsCurrency(const TDecimal& v) { m_dataType = TFieldType::ftCurrency; m_value.SetDecimal(v); m_bound = true; }
void TParam::SetAsBCD(const TDecimal& v) { m_dataType = TFieldType::ftBCD; m_value.SetDecimal(v); m_bound = true; }
void TParam::SetAsFMTBCD(const TDecimal& v) { m_dataType = TFieldType::ftFMTBcd; m_value.SetDecimal(v); m_bound = true; }
void TParam::SetAsBoolean(bool v) { m_dataType = TFieldType::ftBoolean; m_value.SetBoolean(v); m_bound = true; }
void TParam::SetAsDate(const TDateTimeValue& v) { m_dataType = TFieldType::ftDate; m_value.SetDate(v); m_bound = true; }
void TParam::SetAsTime(const TDateTimeValue& v) { m_dataType = TFieldType::ftTime; m_value.SetTime(v); m_bound = true; }
void TParam::SetAsDateTime(const TDateTimeValue& v) { m_dataType = TFieldType::ftDateTime; m_value.SetDateTime(v); m_bound = true; }
void TParam::SetAsBlob(std::string_view bytes) { m_dataType = TFieldType::ftBlob; m_value.SetBytes(bytes); m_bound = true; }
void TParam::SetAsMemo(std::string_view text) { m_dataType = TFieldType::ftMemo; m_value.SetString(text); m_bound = true; }
void TParam::SetAsBytes(std::string_view bytes) { m_dataType = TFieldType::ftVarBytes; m_value.SetBytes(bytes); m_bound = true; }

void TParam::Clear()
{
    m_value.Clear();
    m_bound = true;
}

void TParam::AssignValue(const TParam& Source)
{
    m_dataType = Source.m_dataType;
    m_value = Source.m_value;
    m_bound = Source.m_bound;
}

void TParam::LoadFromStream(std::istream& Stream, TFieldType BlobType)
{
    std::string data((std::istreambuf_iterator<char>(Stream)), std::istreambuf_iterator<char>());
    if (Stream.bad()) throw EConvertError("cannot read the value of parameter '" + m_name + "' from its stream");
    m_dataType = BlobType;
    if (ValueKindOf(BlobType) == TValueKind::vkBytes) m_value.SetBytes(data);
    else m_value.SetString(data);
    m_bound = true;
}

TParam* TParams::FindParam(std::string_view Name) const
{
    for (const auto& p : m_params)
        if (SameText(p->Name(), Name)) return p.get();
    return nullptr;
}

TParam& TParams::ParamByName(std::string_view Name) const
{
    if (TParam* p = FindParam(Name)) return *p;
    throw EDatabaseError("Parameter '" + std::string(Name) + "' not found");
}

TParam& TParams::CreateParam(TFieldType Type, const std::string& Name)
{
    m_params.push_back(std::make_unique<TParam>(Name, Type));
    return *m_params.back();
}

void TParams::AssignValues(const TParams& Source)
{
    for (auto& p : m_params)
        if (const TParam* src = Source.FindParam(p->Name())) p->AssignValue(*src);
}

} // namespace qel
