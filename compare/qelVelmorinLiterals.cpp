// Value literals of the produced statements, the script header and the BLOB
// side file. Every number and date is formatted here by locale-free code
// with "." as the decimal and date separator.
#include "qelVelmorin.h"
#include "qelVelmorinPrivate.h"

#include "qelDBEngine.h"
#include "qelDBOptions.h"
#include "qelText.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace qel {

using namespace velmorin;

namespace {

// ".1234" for 123400 microseconds; empty for none.
std::string FractionText(int Microsecond)
{
    if (Microsecond == 0) return {};
    std::string f = IntToStr(Microsecond);
    f.insert(0, 6 - f.size(), '0');
    while (!f.empty() && f.back() == '0') f.pop_back();
    return "." + f;
}

// Built-in functions (ASCII_CHAR, POWER) came with Firebird 2.1; InterBase
// has none of them.
bool HasFirebird21Functions(TIBSQLServerVersionType v)
{
    switch (v) {
    case TIBSQLServerVersionType::st_Firebird_21:
    case TIBSQLServerVersionType::st_Firebird_25:
    case TIBSQLServerVersionType::st_Firebird_30:
    case TIBSQLServerVersionType::st_Firebird_40: return true;
    default: return false;
    }
}

bool ReadsBackAs(const std::string& Text, double Value)
{
    try {
        return TextToFloat(Trim(Text)) == Value;
    } catch (const EConvertError&) {
        return false;
    }
}

} // namespace

std::string TVelmorin::FloatLiteral(double Value) const
{
    if (std::isnan(Value) || std::isinf(Value))
        throw EStatementWithdrawn("The value " + FloatToText(Value) + " has no literal in SQL.");
    const TScriptOptions& o = ScriptOptions();
    // Negative zero is a value of its own in a double column; "0" or "-0"
    // would be read as the exact number zero and stored as +0.0.
    if (Value == 0 && std::signbit(Value)) {
        if (m_tableOptionsTarget->IsSQLite()) return "(-0.0)";
        switch (GetScriptDatabaseType()) {
        case TDatabaseType::dbInterBase: return "-0e0";
        case TDatabaseType::dbPostgreSQL: return "'-0'";
        default: break;
        }
    }
    // The shortest text that reads back as the same double is the answer
    // whenever a pattern or the shortened scientific form would lose digits.
    std::string text;
    if (!o.FloatFormat.empty()) {
        text = FormatFloatPattern(o.FloatFormat, Value);
    } else if (Value == std::trunc(Value) && Value < 2147483647.0 && Value >= -9.2233720368547758e18) {
        text = IntToStr(static_cast<long long>(Value));
    } else if (o.LocalSQL) {
        text = FormatFloatPattern("0.###########", Value);
    } else {
        text = ShortenedScientific(ScientificText(Value));
    }
    if (!ReadsBackAs(text, Value)) text = ShortestFloatText(Value);
    // Firebird reads long or far-scaled literals a unit off in the last
    // place: such a value is built exactly from its binary form instead.
    // POWER came with Firebird 2.1; older servers get the shortest text.
    if (GetScriptDatabaseType() == TDatabaseType::dbInterBase && !FirebirdReadsExactly(text) &&
        HasFirebird21Functions(m_IBOptions->SQLServerVersion))
        text = ExactDoubleExpression(Value);
    if (m_tableOptionsTarget->IsSQLite() && o.FloatFormat.empty() && text.find_first_of(".eE") != std::string::npos)
        text = SQLiteExactDouble(Value);
    return text;
}

namespace velmorin {

std::string FirebirdTextLiteral(std::string_view Value, bool BlobAllowed)
{
    // Firebird refuses a literal over 32,767 bytes (65,535 since 3.0) or,
    // under a UTF8 connection, over 16,383 characters; one string
    // expression holds 32,765 bytes (65,535 since 3.0), a BLOB any length.
    constexpr std::size_t MaxPieceBytes = 32767, MaxPieceChars = 16383, MaxStringBytes = 32765;
    const auto continuation = [&](std::size_t i) { return (static_cast<unsigned char>(Value[i]) & 0xC0) == 0x80; };
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < Value.size()) {
        if (Value[i] == '\0') {
            parts.emplace_back("ASCII_CHAR(0)");
            ++i;
            continue;
        }
        std::size_t j = i, chars = 0;
        while (j < Value.size() && Value[j] != '\0' && j - i < MaxPieceBytes) {
            if (!continuation(j) && ++chars > MaxPieceChars) break;
            ++j;
        }
        // A piece cut by its byte count ends before the sequence it cut into.
        if (j < Value.size() && continuation(j)) {
            std::size_t k = j;
            while (k > i && j - k < 3 && continuation(k)) --k;
            if (k > i && !continuation(k)) j = k;
        }
        parts.push_back(Quoted(std::string(Value.substr(i, j - i))));
        i = j;
    }
    if (parts.empty()) return "''";
    if (parts.size() == 1 && parts.front().front() == '\'') return parts.front();
    std::string r = "(";
    if (BlobAllowed && Value.size() > MaxStringBytes) r += "CAST('' AS BLOB SUB_TYPE TEXT) || ";
    for (std::size_t p = 0; p < parts.size(); ++p) r += (p > 0 ? " || " : "") + parts[p];
    return r + ")";
}

} // namespace velmorin

std::string TVelmorin::BlobParamName(std::int64_t Offset, std::int64_t Size)
{
    auto hex = [](std::int64_t v) {
        static constexpr char digits[] = "0123456789ABCDEF";
        std::string s;
        auto u = static_cast<std::uint64_t>(v);
        do {
            s.insert(s.begin(), digits[u & 15]);
            u >>= 4;
        } while (u != 0);
        if (s.size() < 8) s.insert(0, 8 - s.size(), '0');
        return s;
    };
    return ":h" + hex(Offset) + "_" + hex(Size);
}

std::string TVelmorin::GetBlobLiteral(TField& Field)
{
    if (Field.IsNull()) return "Null";
    // A statement whose BLOB cannot be saved is not produced at all: Null in
    // its place would overwrite the target's value.
    if (BlobSaveFailed) throw EStatementWithdrawn("A BLOB value could not be saved.", true);
    if (!ScriptOptions().GenerateScript) return ":" + TableOptionsTarget().QuoteName(Field.FieldName());
    if (m_blobFileName.empty()) {
        ErrorMessage("BlobFileName is not specified. Cann't save BLOBs.");
        BlobSaveFailed = true;
        throw EStatementWithdrawn("A BLOB value could not be saved.", true);
    }
    if (!m_blobStream) {
        auto stream = CreateOwnerOnlyFile(m_blobFileName);
        if (!stream) {
            ErrorMessage("Cannot create file \"" + m_blobFileName + "\". " + std::strerror(errno));
            BlobSaveFailed = true;
            throw EStatementWithdrawn("A BLOB value could not be saved.", true);
        }
        m_blobStream = std::move(stream);
        m_blobPosition = 0;
    }
    const std::int64_t start = m_blobPosition;
    std::string scratch;
    const std::string& bytes =
        Field.Value().Kind() == TValueKind::vkString || Field.Value().Kind() == TValueKind::vkBytes
            ? Field.Value().RawString()
            : (scratch = Field.AsString());
    m_blobStream->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    m_blobStream->flush();
    if (!*m_blobStream) {
        ErrorMessage("Cannot write file \"" + m_blobFileName + "\". " + std::strerror(errno));
        BlobSaveFailed = true;
        m_blobStream->close();
        m_blobStream.reset();
        throw EStatementWithdrawn("A BLOB value could not be saved.", true);
    }
    m_blobPosition += static_cast<std::int64_t>(bytes.size());
    const std::int64_t size = m_blobPosition - start;
    if (size == 0) {
        switch (GetScriptDatabaseType()) {
        case TDatabaseType::dbSybaseASA:
        case TDatabaseType::dbMSSQL:
        case TDatabaseType::dbSybaseASE:
            // These servers cannot take an empty BLOB parameter; an empty
            // literal keeps the value empty rather than Null.
            return IsTextBlobType(Field.DataType()) ? std::string("''") : std::string("0x");
        case TDatabaseType::dbParadox: return "Null";
        default: break;
        }
    }
    return BlobParamName(start, size);
}

std::string TCmpTableOptions::GetValueLiteral(TField& Field)
{
    return ValueLiteral(Field, nullptr, false, false);
}

std::string TCmpTableOptions::GetValuesList(TQELQuery* Query)
{
    std::string r;
    if (Query == nullptr || Query->GetFields() == nullptr) return r;
    TFields& fields = *Query->GetFields();
    for (int i = 0; i < fields.Count(); ++i) {
        if (i > 0) r += ", ";
        r += m_comparer->UpdateImmediately() ? ":DATA" + IntToStr(i) : GetValueLiteral(fields[i]);
    }
    return r;
}

namespace {

// A date, time or time stamp as a quoted literal: by the user's pattern
// Custom, else by Pattern with the fraction of a second when HasTime.
// The fraction goes no further than the target column keeps (Firebird
// rejects a fifth digit): Digits.
std::string DateLiteral(TField& Field, int Digits, const std::string& Custom, const char* Pattern, bool HasTime)
{
    const TDateTimeValue v = TruncatedToDigits(Field.AsDateTime(), Digits);
    std::string text;
    if (!Custom.empty()) {
        text = FormatDateTimePattern(Custom, v);
    } else {
        text = FormatDateTimePattern(Pattern, v);
        if (HasTime) text += FractionText(v.Microsecond);
    }
    return Quoted(text);
}

} // namespace

// TargetField: the target column the value goes to (nullptr when unknown);
// Single: the value comes from a 32-bit float column; ForWhere: the value
// identifies a target row and is written as it stands.
std::string TCmpTableOptions::ValueLiteral(TField& Field, const TField* TargetField, bool Single, bool ForWhere,
                                           const TValue* Stored)
{
    TVelmorin& C = *m_comparer;
    const TDatabaseType T = C.GetScriptDatabaseType();
    const TFieldType type = Field.DataType();
    std::string lit;
    const TFieldType targetType = TargetField != nullptr ? TargetField->DataType() : TFieldType::ftUnknown;
    const std::string cell = Field.IsNull() ? std::string() : StorageClassLiteral(Field, Stored);
    if (Field.IsNull()) {
        lit = "Null";
    } else if (!cell.empty()) {
        lit = cell;
    } else if (!ForWhere && WritesBlobReference(type, targetType, T)) {
        lit = C.GetBlobLiteral(Field);
    } else if (ForWhere && IsBlobType(type) && !IsTextBlobType(type)) {
        lit = C.GetBlobLiteral(Field);
    } else if (!C.ScriptOptions().GenerateScript) {
        lit = ":" + Field.FieldName();
    } else {
        lit = TypedLiteral(Field, TargetField, Single, ForWhere);
    }
    if (IsMaster() && C.OnGetDataValue) C.OnGetDataValue(C, Field, lit);
    return lit;
}

// A SQLite cell gets the class of the value, whatever the field's type;
// empty where the value goes the usual way.
std::string TCmpTableOptions::StorageClassLiteral(TField& Field, const TValue* Stored) const
{
    const TVelmorin& C = *m_comparer;
    if (!C.m_merge || !C.m_merge->storageClasses || !C.ScriptOptions().GenerateScript) return {};
    const TDatabaseType T = C.GetScriptDatabaseType();
    const TFieldType type = Field.DataType();
    const TValue& v = Stored != nullptr ? *Stored : Field.Value();
    std::string cell = SQLiteCellLiteral(v, T);
    // Bytes in a column of another type (a BLOB in an INTEGER column) stay
    // bytes; a BLOB column's own go the usual way.
    if (cell.empty() && v.Kind() == TValueKind::vkBytes && ValueClassOf(type) != TValueClass::Binary &&
        !IsBlobType(type))
        cell = BinaryLiteral(v.RawString(), T);
    return cell;
}

// The literal of a value of the script's server by its field type.
std::string TCmpTableOptions::TypedLiteral(TField& Field, const TField* TargetField, bool Single, bool ForWhere)
{
    TVelmorin& C = *m_comparer;
    const TDatabaseType T = C.GetScriptDatabaseType();
    const TFieldType type = Field.DataType();
    const TFieldType targetType = TargetField != nullptr ? TargetField->DataType() : TFieldType::ftUnknown;
    const TScriptOptions& o = C.ScriptOptions();
    // InterBase reads day.month.year; every other server gets the ISO form,
    // which SQLite stores as its dates and MySQL requires. MS SQL reads
    // "yyyy-mm-dd hh:nn:ss" by its session's language for a datetime
    // column: the form with "T" is read the same everywhere.
    const bool interBase = T == TDatabaseType::dbInterBase, msSQL = T == TDatabaseType::dbMSSQL;
    const char* dateTimePattern =
        interBase ? "dd/mm/yyyy hh:mm:ss" : msSQL ? "yyyy-mm-dd'T'hh:mm:ss" : "yyyy-mm-dd hh:mm:ss";
    const bool dateIntoDateTime =
        msSQL && (targetType == TFieldType::ftDateTime || targetType == TFieldType::ftTimeStamp);
    const auto date = [&](const std::string& Custom, const char* Pattern, bool HasTime) {
        return DateLiteral(Field, C.TargetTimeDigits(TargetField, type), Custom, Pattern, HasTime);
    };
    switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
    case TFieldType::ftWideString:
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo:
    case TFieldType::ftWideMemo:
    case TFieldType::ftOraClob: return TextLiteral(Field, ForWhere);
    case TFieldType::ftGuid: return SQLQuotedStr(Field.AsString(), T);
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
    case TFieldType::ftLargeint: return IntToStr(Field.AsLargeInt());
    case TFieldType::ftFloat: {
        double v = Field.AsFloat();
        // A 32-bit float is written as the double it stands for, which a
        // REAL column reads back exactly and a comparison matches.
        if (Single) v = static_cast<double>(static_cast<float>(v));
        if ((std::isnan(v) || std::isinf(v)) && T == TDatabaseType::dbPostgreSQL)
            return std::isnan(v) ? "'NaN'" : (v < 0 ? "'-Infinity'" : "'Infinity'");
        return C.FloatLiteral(v);
    }
    // Exact decimals are written exactly: a double on the way would lose
    // digits beyond the fifteenth.
    case TFieldType::ftBCD:
    case TFieldType::ftFMTBcd: {
        // Firebird reads an exact literal whose digits, the point left out,
        // make a 64-bit integer (12345678901234567.89 too); a longer one is
        // "Token unknown", and such a value can only be bound for a floating
        // column there, which takes it as its nearest double.
        const std::string text = Field.AsBCD().Normalized().ToString();
        std::string digits;
        for (const char c : text) {
            if (c >= '0' && c <= '9' && (!digits.empty() || c != '0')) digits += c;
        }
        const std::string_view limit = text.starts_with('-') ? "9223372036854775808" : "9223372036854775807";
        const bool fits = digits.size() < limit.size() || (digits.size() == limit.size() && digits <= limit);
        if (interBase && !fits) return C.FloatLiteral(Field.AsFloat());
        return text;
    }
    case TFieldType::ftCurrency: return Field.AsCurrency().Normalized().ToString();
    case TFieldType::ftBoolean: {
        const bool v = Field.AsBoolean();
        // Firebird's and PostgreSQL's BOOLEAN take no numbers.
        const bool keywords = (T == TDatabaseType::dbInterBase || T == TDatabaseType::dbPostgreSQL) &&
                              (TargetField == nullptr || TargetField->DataType() == TFieldType::ftBoolean);
        return keywords ? (v ? "TRUE" : "FALSE") : TVelmorin::BoolLiteral(v);
    }
    case TFieldType::ftDate: {
        std::string lit =
            date(o.DateFormat, interBase ? "dd/mm/yyyy" : dateIntoDateTime ? dateTimePattern : "yyyy-mm-dd", false);
        // Midnight of a date is read back in UTC, as time stamps are.
        if (T == TDatabaseType::dbPostgreSQL && C.TargetColumnZoned(TargetField)) lit.insert(lit.size() - 1, "+00");
        return lit;
    }
    case TFieldType::ftTime: return date(o.TimeFormat, "hh:mm:ss", true);
    case TFieldType::ftDateTime:
    case TFieldType::ftTimeStamp: {
        std::string lit = date(o.DateTimeFormat, dateTimePattern, true);
        // The run reads such a column in UTC; the session that runs the
        // script may keep another zone.
        if (T == TDatabaseType::dbPostgreSQL && C.TargetColumnZoned(TargetField)) lit.insert(lit.size() - 1, "+00");
        return lit;
    }
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
    case TFieldType::ftBlob:
    case TFieldType::ftGraphic:
    case TFieldType::ftOraBlob:
        // A binary value bound for a BLOB column went through the side file
        // above; elsewhere it is the server's binary literal.
        return BinaryLiteral(Field.Value().RawString(), T);
    default:
        throw EStatementWithdrawn("Column " + Field.FieldName() + " has the type " + FieldTypeName(type) +
                                  ", which has no literal in SQL.");
    }
}

// A character value: trimmed by TrimCharFields (not in a condition); on
// Firebird in pieces of the lengths a literal may have.
std::string TCmpTableOptions::TextLiteral(TField& Field, bool ForWhere)
{
    TVelmorin& C = *m_comparer;
    const TDatabaseType T = C.GetScriptDatabaseType();
    std::string trimmed;
    std::string_view text = Field.Value().RawString();
    if (C.TrimCharFields && !ForWhere) text = trimmed = Trim(Field.Value().RawString());
    if (T == TDatabaseType::dbInterBase) {
        const bool functions = HasFirebird21Functions(C.IBOptions().SQLServerVersion);
        if (!functions && text.find('\0') != std::string_view::npos)
            throw EStatementWithdrawn("Column " + Field.FieldName() +
                                      " holds a NUL character, which this server reads in no string "
                                      "literal (ASCII_CHAR needs Firebird 2.1 or later).");
        // A column takes a BLOB longer than a string expression holds; a
        // comparison with a BLOB fails (BLOBs are no keys).
        return FirebirdTextLiteral(text, functions && !ForWhere);
    }
    // SQLite keeps a BLOB in a text column as a BLOB: the target cell gets
    // the master's storage class.
    if (Field.Value().Kind() == TValueKind::vkBytes && C.TableOptionsTarget().IsSQLite())
        return BinaryLiteral(text, T);
    return SQLQuotedStr(text, T);
}

void TVelmorin::WriteScriptHeader()
{
    const TScriptOptions& o = ScriptOptions();
    auto add = [&](const std::string& sql, TStatType kind) {
        if (!sql.empty()) AddResultSQL(sql, kind, "", TDbObject::dboUnknown, TDbOperation::odbUnknown);
    };
    switch (GetScriptDatabaseType()) {
    case TDatabaseType::dbInterBase:
        // Values read through UTF8 from sides of two character sets are written so.
        if (o.DBCharSet || m_charSetsAligned) add(IBOptions().GetSetNamesSQL(), TStatType::stCharSet);
        if (o.SQLDialect) add(IBOptions().GetSQLDialectSQL(), TStatType::stSet);
        if (o.Connect) add(IBOptions().GetConnectSQL(ConnectionOptions()), TStatType::stConnect);
        break;
    case TDatabaseType::dbMySQL:
        if (o.DBCharSet && !MySQLOptions().CharSet.empty())
            add("SET CHARACTER SET " + MySQLOptions().CharSet, TStatType::stCharSet);
        if (o.DBCharSet && !MySQLOptions().Names.empty()) add("SET NAMES " + MySQLOptions().Names, TStatType::stSetNames);
        if (o.Connect && !ConnectionOptions().DatabaseName.empty())
            add("USE " + ConnectionOptions().DatabaseName, TStatType::stConnect);
        break;
    case TDatabaseType::dbMSSQL:
        if (o.Connect && !ConnectionOptions().DatabaseName.empty())
            add("USE " + ConnectionOptions().DatabaseName, TStatType::stConnect);
        break;
    default: break;
    }
    // Without a script no side file is written, so none is named.
    if (MasterHasBlobs && !m_blobFileName.empty() && o.GenerateScript) {
        namespace fs = std::filesystem;
        const fs::path blob(m_blobFileName);
        const std::string name =
            blob.parent_path() == fs::path(m_scriptFileName).parent_path() ? blob.filename().string() : m_blobFileName;
        AddResultSQL("SET BLOBFILE " + Quoted(name), TStatType::stSetBlobFile, m_blobFileName, TDbObject::dboUnknown,
                     TDbOperation::odbUnknown);
    }
}

} // namespace qel
