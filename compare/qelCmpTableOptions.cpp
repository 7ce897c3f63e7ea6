// One side of a comparison: its lists, the effective key, data and excluded
// columns of a run, the quoting of its names, its SELECT text and the
// literals of its values. Column discovery from the server's catalogue is
// in qelCmpTableOptionsCatalogue.cpp.
#include "qelCmpTableOptions.h"
#include "qelVelmorin.h"
#include "qelVelmorinPrivate.h"

#include "qelClasses.h"
#include "qelDBEngine.h"
#include "qelDBOptions.h"
#include "qelLocalSQLWords.h"
#include "qelSQLiteWords.h"
#include "qelText.h"

#include <cmath>

namespace qel {

using namespace velmorin;

namespace {

// A name the list holds as written goes alone; else every entry that
// differs from it in ASCII case alone ("val" leaves VAL in place).
void DeleteAll(TStringList& List, const std::string& Name)
{
    bool exact = false;
    for (const std::string& s : List.Lines()) exact = exact || s == Name;
    for (int i = List.Count() - 1; i >= 0; --i)
        if (exact ? List[i] == Name : SameText(List[i], Name)) List.Delete(i);
}

void Normalise(TStringList& List)
{
    List.SetText(List.TrimmedText());
}

// Servers that cannot sort by a BLOB column: such a column never becomes a
// default key.
bool CannotOrderBlobs(TDatabaseType t)
{
    switch (t) {
    case TDatabaseType::dbPostgreSQL:
    case TDatabaseType::dbCustomOLEDB:
    case TDatabaseType::dbAbstract: return false;
    default: return true;
    }
}

// Firebird from 1.5 on sorts NULLs first; InterBase and Firebird 1.0 last.
bool SortsNullsFirst(TIBSQLServerVersionType v)
{
    switch (v) {
    case TIBSQLServerVersionType::st_FireBird_15:
    case TIBSQLServerVersionType::st_Firebird_20:
    case TIBSQLServerVersionType::st_Firebird_21:
    case TIBSQLServerVersionType::st_Firebird_25:
    case TIBSQLServerVersionType::st_Firebird_30:
    case TIBSQLServerVersionType::st_Firebird_40: return true;
    default: return false;
    }
}

// ".1234" for 123400 microseconds; empty for none.
std::string FractionText(int Microsecond)
{
    if (Microsecond == 0) return {};
    std::string f = IntToStr(Microsecond);
    f.insert(0, 6 - f.size(), '0');
    while (!f.empty() && f.back() == '0') f.pop_back();
    return "." + f;
}

// Letters, digits and underscores, not starting with a digit; not empty.
bool IsPlainName(const std::string& Name)
{
    if (Name[0] >= '0' && Name[0] <= '9') return false;
    for (const char c : Name)
        if (c != '_' && !(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z')) return false;
    return true;
}

} // namespace

TCmpTableOptions::TCmpTableOptions(TVelmorin* Comparer) : m_comparer(Comparer) {}

TCmpTableOptions::~TCmpTableOptions() = default;

void TCmpTableOptions::Assign(const TPersistent& Source)
{
    if (const auto* s = dynamic_cast<const TCmpTableOptions*>(&Source)) {
        if (s == this) return;
        if (TableName != s->TableName) TableName = s->TableName;
        m_storedTableName = s->m_storedTableName;
        m_storedFromCatalogue = s->m_storedFromCatalogue;
        AllFields.Assign(s->AllFields);
        DataList.Assign(s->DataList);
        KeyList.Assign(s->KeyList);
        m_dataFields.Assign(s->m_dataFields);
        m_keyFields.Assign(s->m_keyFields);
        m_excludeFields.Assign(s->m_excludeFields);
        PrimaryKeyList.Assign(s->PrimaryKeyList);
        UniqueKeyList.Assign(s->UniqueKeyList);
        return;
    }
    TPersistent::Assign(Source);
}

void TCmpTableOptions::AssignTo(TPersistent& Dest) const
{
    if (auto* d = dynamic_cast<TCmpTableOptions*>(&Dest)) {
        d->Assign(*this);
        return;
    }
    TPersistent::AssignTo(Dest);
}

bool TCmpTableOptions::IsMaster() const
{
    return m_comparer != nullptr && &m_comparer->TableOptionsMaster() == this;
}

TDatabaseType TCmpTableOptions::DatabaseType() const
{
    return m_connection != nullptr ? m_connection->DatabaseType() : TDatabaseType::dbAbstract;
}

bool TCmpTableOptions::IsSQLite() const
{
    return m_connection != nullptr && SameText(m_connection->DBMSName(), "SQLite");
}

// ---------------------------------------------------------------------------
// Effective lists

bool TCmpTableOptions::PrepareFields(TQELQuery* Query)
{
    TVelmorin& C = *m_comparer;
    AllFields.Clear();
    PrimaryKeyList.Clear();
    UniqueKeyList.Clear();
    m_columnInfo.clear();
    if (DataList.Empty()) DataList.Assign(!m_dataFields.Empty() ? m_dataFields : C.CustomDataFields());
    if (KeyList.Empty()) KeyList.Assign(!m_keyFields.Empty() ? m_keyFields : C.CustomKeyFields());
    if (ExcludeList.Empty()) ExcludeList.Assign(!m_excludeFields.Empty() ? m_excludeFields : C.ExcludeDataFields());
    bool Result = true;
    Normalise(DataList);
    Normalise(KeyList);
    Normalise(ExcludeList);

    // The table name as the catalogue stores it, also when the user named
    // every column: the same name reaches the SELECT and every statement.
    if (Query != nullptr && !ResolveTableName(*Query)) return false;
    bool loaded = false;
    const bool dataFromUser = !DataList.Empty(), keysFromUser = !KeyList.Empty();
    if (DataList.Empty()) {
        Result = LoadAllFields(Query);
        loaded = true;
        DataList.Assign(AllFields);
        for (const std::string& name : ExcludeList.Lines()) DeleteAll(DataList, name);
    }
    bool keysFromColumns = false, keysFromCatalogue = false;
    if (KeyList.Empty()) {
        // One reading of the catalogue per run: a missing table is reported once.
        if (AllFields.Empty() && !loaded) Result = LoadAllFields(Query);
        if (!KeyList.Empty()) {
            // Paradox and dBASE discovery already made every non-BLOB column a key.
        } else if (!PrimaryKeyList.Empty()) {
            KeyList.Assign(PrimaryKeyList);
            keysFromCatalogue = true;
        } else if (!UniqueKeyList.Empty()) {
            KeyList.Assign(UniqueKeyList);
            keysFromCatalogue = true;
        } else {
            KeyList.Assign(AllFields);
            keysFromColumns = true;
        }
        for (const std::string& name : ExcludeList.Lines()) DeleteAll(KeyList, name);
    }

    m_keysFromColumns = keysFromColumns;
    m_keysFromCatalogue = keysFromCatalogue;
    m_dataFromUser = dataFromUser;
    m_keysFromUser = keysFromUser;
    // Read also when the SELECT comes from the event: the key conditions of
    // the statements depend on it.
    if (Query != nullptr) LoadColumnInfo(*Query);

    // Names the user typed are taken as the catalogue stores them.
    if (dataFromUser && !ResolveColumnNames(DataList)) Result = false;
    if (keysFromUser && !ResolveColumnNames(KeyList)) Result = false;

    if (Query != nullptr) {
        const std::string databaseName =
            m_connection != nullptr ? m_connection->ConnectionOptions().DatabaseName : std::string();
        if (DataList.Empty()) {
            C.ErrorMessage("There are no data-fields for comparison. Table: " + StoredTableName() +
                           " Database: " + databaseName);
            Result = false;
        }
        if (KeyList.Empty()) {
            C.ErrorMessage("There are no key-fields for comparison. Table: " + StoredTableName() +
                           " Database: " + databaseName);
            Result = false;
        }
    }
    return Result;
}

// The column named exactly, else the one column whose name differs in ASCII
// case alone; PostgreSQL folds a name the catalogue does not know to lower
// case, as it folds names written without quotes. Names in double quotes
// are taken as they stand. False, reported, for a name that several
// columns differ from in case alone.
bool TCmpTableOptions::ResolveColumnNames(TStringList& List)
{
    bool ok = true;
    for (int i = 0; i < List.Count(); ++i) {
        const std::string name = List[i];
        if (name.empty() || name[0] == '"' || m_columnInfo.count(name) != 0) continue;
        std::string folded;
        int matches = 0;
        for (const auto& [column, info] : m_columnInfo) {
            if (!SameText(column, name)) continue;
            folded += (folded.empty() ? "" : ", ") + column;
            ++matches;
        }
        if (matches == 1) {
            List.SetString(i, folded);
        } else if (matches > 1) {
            m_comparer->ErrorMessage("Field " + name + " of table " + StoredTableName() +
                                     " matches several columns that differ in case alone: " + folded + ".");
            ok = false;
        } else if (DatabaseType() == TDatabaseType::dbPostgreSQL) {
            List.SetString(i, LowerCase(name));
        }
    }
    return ok;
}

const TCmpTableOptions::TColumnInfo* TCmpTableOptions::ColumnInfoOf(const std::string& Name) const
{
    if (const auto it = m_columnInfo.find(Name); it != m_columnInfo.end()) return &it->second;
    const TColumnInfo* folded = nullptr;
    for (const auto& [column, info] : m_columnInfo) {
        if (!SameText(column, Name)) continue;
        if (folded != nullptr) return nullptr;
        folded = &info;
    }
    return folded;
}

bool TCmpTableOptions::KeyNotOrderable(const std::string& Name) const
{
    if (!CannotOrderBlobs(DatabaseType())) return false;
    const TColumnInfo* info = ColumnInfoOf(Name);
    return info != nullptr && info->Blob;
}

// ---------------------------------------------------------------------------
// Names and SELECT text

std::string TCmpTableOptions::QuoteName(const std::string& Name) const
{
    if (m_connection == nullptr) return Name;
    const TDatabaseType t = m_connection->DatabaseType();
    if ((t == TDatabaseType::dbCustomOLEDB || t == TDatabaseType::dbMSAccess) && IsSQLite()) return SQLiteQuoteName(Name);
    // Local SQL reads a table's file name ("order items", "orders.db") only
    // in quotes; its word table quotes keywords alone.
    if ((t == TDatabaseType::dbParadox || t == TDatabaseType::dbDBASE) && !Name.empty() && !IsPlainName(Name))
        return QuoteDelimited(Name, '"', '"');
    return QuoteIdentifier(Name, m_connection->DatabaseType(), m_connection->IBServerOptions().SQLServerVersion,
                           m_connection->IBServerOptions().SQLDialect);
}

std::string TCmpTableOptions::NameLiteral(const std::string& Name) const
{
    return SQLQuotedStr(Name, DatabaseType());
}

std::string TCmpTableOptions::QuoteFieldName(const std::string& Name) const
{
    const TDatabaseType t = DatabaseType();
    if (t == TDatabaseType::dbParadox || t == TDatabaseType::dbDBASE) {
        if (LocalSQLResWordSymb(Name) != TSymb::syIdent)
            return QuoteName(StoredTableName()) + "." + QuoteDelimited(Name, '"', '"');
        return Name;
    }
    return QuoteName(Name);
}

std::string TCmpTableOptions::GetFieldList(const TStringList& List) const
{
    std::string r;
    for (int i = 0; i < List.Count(); ++i) {
        const std::string& name = List[i];
        if (i > 0) r += ", ";
        r += name.empty() || name[0] == '"' ? name : QuoteFieldName(name);
    }
    return r;
}

std::string TCmpTableOptions::OrderTerm(const std::string& Name) const
{
    const std::string q = Name.empty() || Name[0] == '"' ? Name : QuoteFieldName(Name);
    const TDatabaseType t = DatabaseType();
    TColumnInfo info;
    if (const TColumnInfo* found = ColumnInfoOf(Name)) info = *found;
    std::string term = q;
    if (!info.OrderCast.empty()) {
        term = "CAST(" + q + info.OrderCast;
    } else if (info.Text) {
        if (t == TDatabaseType::dbMySQL) term = "BINARY " + q;
        else if (t == TDatabaseType::dbOracle) term = "NLSSORT(" + q + ", 'NLS_SORT=BINARY')";
        else term += info.Collate;
    }
    if (info.NotNull) return term;
    // NULLs after every value, as the comparer orders them.
    switch (t) {
    case TDatabaseType::dbInterBase:
        if (m_connection != nullptr && SortsNullsFirst(m_connection->IBServerOptions().SQLServerVersion))
            term += " NULLS LAST";
        return term;
    case TDatabaseType::dbCustomOLEDB:
        if (IsSQLite()) return term + " NULLS LAST";
        return "CASE WHEN " + q + " IS NULL THEN 1 ELSE 0 END, " + term;
    case TDatabaseType::dbMSSQL:
    case TDatabaseType::dbSybaseASE:
    case TDatabaseType::dbSybaseASA:
    case TDatabaseType::dbMySQL:
    case TDatabaseType::dbPervasiveSQL: return "CASE WHEN " + q + " IS NULL THEN 1 ELSE 0 END, " + term;
    case TDatabaseType::dbMSAccess: return "IIF(" + q + " IS NULL, 1, 0), " + term;
    default: return term;
    }
}

// "CODE = 'a'" reaches "A" under a case-blind collation and "a " under the
// blank-padding comparison of Firebird, MS SQL and MySQL: the merge paired
// exactly one target row, and the statement must reach only that one. The
// plain term stays first so that the server can use its index.
// CODE, 'a' (Firebird UNICODE_CI) -> " and CODE COLLATE UTF8 = 'a' and
// OCTET_LENGTH(CODE) = 1".
std::string TCmpTableOptions::ExactKeyTerms(const std::string& Name, const std::string& Quoted, const TField& Field,
                                            const std::string& Value) const
{
    const TValueClass kind = ValueClassOf(Field.DataType());
    if (Field.IsNull() || Field.IsBlob() || (kind != TValueClass::Text && kind != TValueClass::Binary)) return {};
    const TColumnInfo* found = ColumnInfoOf(Name);
    if (found == nullptr || !found->Text) return {};
    const TColumnInfo& info = *found;
    std::string r;
    if (!info.ExactPrefix.empty() || !info.ExactCollate.empty())
        r += " and " + info.ExactPrefix + Quoted + info.ExactCollate + " = " + Value;
    if (!info.LengthFunction.empty()) {
        // The value arrives as UTF-8; the length in the unit the function counts.
        const std::string& text = Field.Value().RawString();
        long long length = static_cast<long long>(text.size());
        if (info.LengthUnit != TColumnInfo::TLengthUnit::Bytes) {
            long long points = 0, pairs = 0;
            for (const unsigned char c : text) {
                if ((c & 0xC0) != 0x80) ++points;
                if (c >= 0xF0) ++pairs; // beyond the BMP: two UTF-16 units
            }
            length = info.LengthUnit == TColumnInfo::TLengthUnit::CodePoints ? points : 2 * (points + pairs);
        }
        r += " and " + info.LengthFunction + "(" + Quoted + ") = " + IntToStr(length);
    }
    return r;
}

std::string TCmpTableOptions::OrderList(const TStringList& List) const
{
    std::string r;
    for (int i = 0; i < List.Count(); ++i) r += (i > 0 ? ", " : "") + OrderTerm(List[i]);
    return r;
}

std::string TCmpTableOptions::GetSelectSQL() const
{
    std::string order;
    if (m_comparer->GetKeyFieldCount() != 0) {
        if (!KeyList.Empty()) order = " Order by " + OrderList(KeyList);
    } else if (!DataList.Empty()) {
        order = " Order by " + OrderList(DataList);
    }
    if (!DataList.Empty()) {
        std::string columns;
        for (int i = 0; i < DataList.Count(); ++i) {
            const std::string& name = DataList[i];
            const std::string q = name.empty() || name[0] == '"' ? name : QuoteFieldName(name);
            const TColumnInfo* info = ColumnInfoOf(name);
            columns += (i > 0 ? ", " : "") +
                       (info != nullptr && info->WideForUtf8
                            ? "CAST(" + q + " AS BLOB SUB_TYPE TEXT CHARACTER SET UTF8) AS " + q
                        : info != nullptr && info->AsText ? "CAST(" + q + " AS VARCHAR(64)) AS " + q
                                                          : q);
        }
        return "select " + columns + CRLF + "from " + QuoteName(StoredTableName()) + CRLF + order;
    }
    return std::string("select *") + CRLF + " from " + QuoteName(StoredTableName()) + CRLF + order;
}

// ---------------------------------------------------------------------------
// Value literals

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

} // namespace qel
