// The dataset layer: typed fields of a result row and typed parameters of a
// statement. Back ends fill fields and read parameters; the executor and the
// comparer read fields and fill parameters through the typed accessors.
#pragma once

#include "qelComponent.h"
#include "qelValue.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

enum class TFieldType : std::uint8_t {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
    ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
    ftFmtMemo, ftFixedChar, ftWideString, ftLargeint, ftOraBlob, ftOraClob, ftVariant, ftGuid,
    ftTimeStamp, ftFMTBcd, ftWideMemo
};

// "ftString" for ftString; used in messages and tests.
const char* FieldTypeName(TFieldType t);
// Types whose values are large objects read as a whole (BLOB and memo kinds).
bool IsBlobType(TFieldType t);
// Types whose values are text.
bool IsStringType(TFieldType t);
// Types whose values are byte strings that are not BLOBs.
bool IsBinaryType(TFieldType t);

// The value kind a type holds: ftInteger holds integers, ftBCD decimals, ...
TValueKind ValueKindOf(TFieldType t);

// Typed access to one value. Setters store the value as the holder's
// DataType wants it (an integer set on an ftBCD field becomes a decimal).
class TValueHolder {
public:
    virtual ~TValueHolder() = default;

    TFieldType DataType() const { return m_dataType; }
    const TValue& Value() const { return m_value; }
    TValue& MutableValue() { return m_value; }

    bool IsNull() const { return m_value.IsNull(); }
    std::string AsString() const { return m_value.AsString(); }
    std::int32_t AsInteger() const;
    std::int64_t AsLargeInt() const { return m_value.AsInt64(); }
    double AsFloat() const { return m_value.AsFloat(); }
    // A currency value: a decimal with four decimals.
    TDecimal AsCurrency() const { return m_value.AsDecimal().Rescaled(4); }
    TDecimal AsBCD() const { return m_value.AsDecimal(); }
    bool AsBoolean() const { return m_value.AsBoolean(); }
    TDateTimeValue AsDateTime() const { return m_value.AsDateTime(); }
    // The raw bytes of a BLOB, memo, binary or string value.
    std::string AsBytes() const { return m_value.AsString(); }

protected:
    explicit TValueHolder(TFieldType t) : m_dataType(t) {}
    TValueHolder(const TValueHolder&) = default;
    TValueHolder& operator=(const TValueHolder&) = default;

    TFieldType m_dataType;
    TValue m_value;
};

// One column of a result row: name, type, size and the current value.
class TField : public TValueHolder {
public:
    TField(std::string name, TFieldType type, int size = 0, int precision = 0, int scale = 0)
        : TValueHolder(type), m_fieldName(std::move(name)), m_size(size), m_precision(precision), m_scale(scale) {}

    const std::string& FieldName() const { return m_fieldName; }
    int Size() const { return m_size; }
    int Precision() const { return m_precision; }
    int Scale() const { return m_scale; }
    bool IsBlob() const { return IsBlobType(m_dataType); }

    // For back ends filling a row.
    void SetValue(const TValue& v) { m_value = v; }
    void SetNull() { m_value.Clear(); }

private:
    std::string m_fieldName;
    int m_size;
    int m_precision;
    int m_scale;
};

// The fields of a dataset in column order, found by name: the exact name
// first, else the first that differs from it in ASCII case alone.
class TFields {
public:
    int Count() const { return static_cast<int>(m_fields.size()); }
    TField& operator[](int Index) const { return *m_fields.at(Index); }
    TField* FindField(std::string_view Name) const;
    // Throws EDatabaseError "Field 'NAME' not found" when missing.
    TField& FieldByName(std::string_view Name) const;
    TField& Add(std::unique_ptr<TField> Field);
    void Clear() { m_fields.clear(); }

private:
    std::vector<std::unique_ptr<TField>> m_fields;
};

// One statement parameter: name, type and value.
class TParam : public TValueHolder {
public:
    explicit TParam(std::string name, TFieldType type = TFieldType::ftUnknown)
        : TValueHolder(type), m_name(std::move(name)) {}

    const std::string& Name() const { return m_name; }
    void SetDataType(TFieldType t) { m_dataType = t; }
    // True once a value (or Null) was set on purpose.
    bool Bound() const { return m_bound; }

    void SetAsString(std::string_view v);
    void SetAsInteger(std::int32_t v);
    void SetAsSmallInt(std::int16_t v);
    void SetAsLargeInt(std::int64_t v);
    void SetAsFloat(double v);
    void SetAsCurrency(const TDecimal& v);
    void SetAsBCD(const TDecimal& v);
    void SetAsFMTBCD(const TDecimal& v);
    void SetAsBoolean(bool v);
    void SetAsDate(const TDateTimeValue& v);
    void SetAsTime(const TDateTimeValue& v);
    void SetAsDateTime(const TDateTimeValue& v);
    void SetAsBlob(std::string_view bytes);
    void SetAsMemo(std::string_view text);
    void SetAsBytes(std::string_view bytes);
    // Sets Null; the type stays.
    void Clear();
    // A typed value as it stands (type and value from another parameter).
    void AssignValue(const TParam& Source);
    void SetValue(TFieldType Type, const TValue& v);

    // Reads the whole stream as the value, typed BlobType (ftBlob, ftMemo...).
    void LoadFromStream(std::istream& Stream, TFieldType BlobType);

private:
    std::string m_name;
    bool m_bound = false;
};

// The parameters of a statement in order of appearance. Several parameters
// may share a name (a name written twice in the text).
class TParams {
public:
    int Count() const { return static_cast<int>(m_params.size()); }
    TParam& operator[](int Index) const { return *m_params.at(Index); }
    TParam* FindParam(std::string_view Name) const;
    // Throws EDatabaseError "Parameter 'NAME' not found" when missing.
    TParam& ParamByName(std::string_view Name) const;
    TParam& CreateParam(TFieldType Type, const std::string& Name);
    void Clear() { m_params.clear(); }
    // Copies type and value of every parameter of Source into the
    // parameters of this list with the same name.
    void AssignValues(const TParams& Source);

private:
    std::vector<std::unique_ptr<TParam>> m_params;
};

} // namespace qel
