#include "qelComp_Fld.h"

#include "qelCompText.h"
#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fnc.h"
#include "qelComp_Gnr.h"
#include "qelComp_Prc.h"
#include "qelComp_Idx.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"
#include "qelWalk.h"

#include <algorithm>
#include <initializer_list>

namespace qel {

const std::array<std::string_view, DataTypeCount> DataTypeNames = {
    "? DataType", "INTEGER", "BIGINT", "FLOAT", "DOUBLE PRECISION", "FLOAT4", "FLOAT8", "DECFLOAT", "TINYINT",
    "REAL", "DOUBLE", "NUMBER", "LONG", "LONG RAW", "VARCHAR", "CHAR", "LONG VARCHAR", "VARCHAR2", "DATE", "TIME",
    "TIMESTAMP", "TIME", "TIMESTAMP", "DATETIME", "DATETIME2", "SMALLDATETIME", "DATETIMEOFFSET", "GRAPHIC",
    "VARGRAPHIC", "Geometry", "Point", "Curve", "LineString", "Surface", "Polygon", "GeometryCollection",
    "MultiPoint", "MultiCurve", "MultiLineString", "MultiSurface", "MultiPolygon", "BLOB", "CLOB", "DBCLOB",
    "BINARY", "LONG BINARY", "NUMERIC", "DECIMAL", "TEXT", "NCHAR", "NVARCHAR", "NVARCHAR2", "NTEXT", "NCLOB",
    "SMALLINT", "QUAD", "CSTRING", "NATIONAL CHAR", "RAW", "ROWID", "UROWID", "MEDIUMINT", "YEAR", "TINYBLOB",
    "MEDIUMBLOB", "LONGBLOB", "TINYTEXT", "MEDIUMTEXT", "LONGTEXT", "ENUM", "SET", "BIT", "VARBIT", "MONEY",
    "SMALLMONEY", "GUID", "VARBINARY", "IMAGE", "BFILE", "UNIQUEIDENTIFIER", "SYSNAME", "SQL_VARIANT", "CURSOR",
    "CURSOR VARYING", "TABLE", "XML", "INTERVAL YEAR TO MONTH", "INTERVAL DAY TO SECOND", "SERIAL", "BIGSERIAL",
    "BYTEA", "INTERVAL", "INT2", "INT4", "INT8", "OID", "BOOLEAN",
};

std::string_view DataTypeName(int Code)
{
    return Code >= 0 && Code < DataTypeCount ? DataTypeNames[static_cast<std::size_t>(Code)] : std::string_view{};
}

TFldData::TFldData(TCustomObjs* AObjs, TDbObj* AParent) : TDbObj(AObjs, Kind), Parent(AParent)
{
    // Only a table column can be an identity; its generator never has a
    // value field of its own, so the two constructors cannot recurse.
    if (dynamic_cast<TTblData*>(AParent) != nullptr) IdentityGenerator = std::make_unique<TGnrData>(AObjs, this);
}

TFldData::~TFldData() = default;

std::string TFldData::GetParentName() const { return Parent != nullptr ? Parent->Name() : TableName; }

bool TFldData::IsExternalRoutineParam() const
{
    const auto* routine = dynamic_cast<const TPrcData*>(Parent);
    return routine != nullptr && !routine->Language.empty();
}

// ---- shared pieces of the texts ----

namespace {

using enum TDatabaseType;
using enum TIBSQLServerVersionType;

bool IsOneOf(int Code, std::initializer_list<int> Codes) { return std::find(Codes.begin(), Codes.end(), Code) != Codes.end(); }

// "(10)"
std::string InParens(std::int32_t N) { return "(" + IntToStr(N) + ")"; }

// "(10,2)", or "(10)" without a scale.
std::string PrecisionScale(std::int32_t Precision, std::int32_t Scale)
{
    return Scale != 0 ? "(" + IntToStr(Precision) + "," + IntToStr(Scale) + ")" : InParens(Precision);
}

// The type of a plain MS SQL or ASE column: "VARCHAR(MAX)" for length -1,
// "DECIMAL(10,2)"; with TimeTypes (MS SQL) "DATETIME2(0)", where only the
// default fractional precision 7 of TIME, DATETIME2 and DATETIMEOFFSET is
// left out.
std::string SQLServerTypeText(std::uint8_t Code, std::int32_t Length, std::int32_t Precision, std::int32_t Scale,
                              bool TimeTypes)
{
    std::string text(DataTypeName(Code));
    if (IsOneOf(Code, {14, 15, 44, 49, 50, 76})) {
        if (Length >= 1) text += InParens(Length);
        else if (Length == -1) text += "(MAX)";
    } else if ((IsOneOf(Code, {3, 46, 47}) && Precision != 0) ||
               (TimeTypes && IsOneOf(Code, {19, 24, 26}) && !(Scale == 0 && Precision == 7))) {
        text += PrecisionScale(Precision, Scale);
    }
    return text;
}

// A TABLE-typed column: its table's text, or the bare word.
std::string TableTypeText(const TTblData* Table) { return Table != nullptr ? Table->GetTableText() : "TABLE"; }

// A MySQL default that is one quoted literal, read back to its value so that
// SQLQuotedStr can write it again: "'it''s'" -> "it's". False for anything
// else ("'a' 'b'", "CURRENT_TIMESTAMP"), which is written as it stands.
bool ReadOneLiteral(std::string_view Text, std::string& Value)
{
    if (Text.size() < 2 || (Text.front() != '\'' && Text.front() != '"')) return false;
    const char quote = Text.front();
    Value.clear();
    for (std::size_t i = 1; i < Text.size(); ++i) {
        if (Text[i] != quote) {
            Value += Text[i];
        } else if (i + 1 < Text.size() && Text[i + 1] == quote) {
            Value += quote;
            ++i;
        } else {
            return i + 1 == Text.size();
        }
    }
    return false;
}

} // namespace

std::uint8_t TFldData::TypeCode() const { return DataType <= dtDomain ? DataType : 0; }

const TTblData* TFldData::ParentTable() const { return dynamic_cast<const TTblData*>(Parent); }

bool TFldData::IsRoutineParam() const { return dynamic_cast<const TPrcData*>(Parent) != nullptr; }

std::string TFldData::GetDefaultValue() const
{
    // Dialect 1 reads double quotes as a string, as the script wrote it.
    if (GetDatabaseType() == dbInterBase && IBDialectOf(*this) == 1) return DefaultValue;
    if (DefaultValue.size() >= 2 && DefaultValue.front() == '"' && DefaultValue.back() == '"')
        return SQLQuotedStr(std::string_view(DefaultValue).substr(1, DefaultValue.size() - 2), dbAbstract);
    return DefaultValue;
}

std::string TFldData::DefaultClause() const
{
    const std::string value = GetDefaultValue();
    if (value.empty()) return {};
    return (IsRoutineParam() ? " = " : " DEFAULT ") + value;
}

// A column takes its DEFAULT under every InterBase and Firebird version. A
// routine parameter takes " = value" where the server has parameter defaults
// (InterBase 7 and Firebird 2.0 on: every version from st_InterBase_7x in
// the enumeration's order), an output parameter never. A default equal to
// the domain's is written too: a parameter never takes its domain's default
// (and without it would end the defaults before their last), and the server
// keeps a column's own default apart from its domain's.
// The word is the one the script gave: "A D default 1" stays so.
std::string TFldData::IBDefaultClause() const
{
    const std::string value = GetDefaultValue();
    if (value.empty()) return {};
    const bool keyword = !DefaultWord.empty() && DefaultWord != "=";
    if (IsRoutineParam()) {
        if (Direction == 2 || IBVersionOf(*this) < st_InterBase_7x) return {};
        return " " + (DefaultWord.empty() ? std::string("=") : DefaultWord) + " " + value;
    }
    return " " + (keyword ? DefaultWord : std::string("DEFAULT")) + " " + value;
}

// ---- type text ----

// IB: code 14 length 10 -> "VARCHAR(10)"; PostgreSQL: code 22 precision 3
// -> "timestamp(3) with time zone"; a domain column -> "TYPE OF D".
std::string TFldData::GetTypeText() const
{
    if (ParamNumber != 0) return "PARAMETER " + IntToStr(ParamNumber);
    const std::uint8_t code = TypeCode();
    if (code == dtDomain) {
        std::string text = TypeOf ? "TYPE OF " : "";
        if (!TypeOfTable.empty() && !TypeOfColumn.empty())
            return text + "COLUMN " + QuoteName(TypeOfTable) + "." + QuoteName(TypeOfColumn);
        return text + QuoteName(DomainName);
    }
    if (!Body().empty()) return (GetDatabaseType() == dbMSSQL ? "AS " : "COMPUTED BY ") + Body();
    return DeclaredTypeText();
}

std::string TFldData::DeclaredTypeText() const
{
    const std::uint8_t code = TypeCode();
    const TDatabaseType db = GetDatabaseType();
    std::string text(DataTypeName(code));
    if (db == dbPostgreSQL) {
        text = LowerCase(text);
        if (code == 21 || code == 22) text += (Precision != 0 ? InParens(Precision) : "") + " with time zone";
    }
    if (db != dbInterBase) {
        if (IsOneOf(code, {14, 15, 17, 44, 49, 50, 56, 76})) {
            if (Length > 1) text += InParens(Length);
            else if (Length == -1) text += "(MAX)";
        }
    } else {
        const TIBSQLServerVersionType version = IBVersionOf(*this);
        // InterBase 2020 has no BIGINT: NUMERIC(18,0) is 64-bit in dialect 3,
        // while dialect 1 has only INTEGER.
        if (code == 2 && version == st_InterBase_2020) text = IBDialectOf(*this) == 1 ? "INTEGER" : "NUMERIC(18,0)";
        if ((code == 15 || code == 49) && Length > 1) text += InParens(Length);
        if (IsOneOf(code, {14, 50, 56}) && Length > 0) text += InParens(Length);
        if (version == st_Firebird_40) {
            if ((code == 44 || code == 76) && Length > 0) text += InParens(Length);
            if ((code == 19 || code == 20) && WithTimeZone) text += " WITH TIME ZONE";
        }
        if (!ArrayBounds.empty()) {
            std::vector<std::string> bounds;
            for (const TArrayBound& b : ArrayBounds) bounds.push_back(IntToStr(b.Lower) + ":" + IntToStr(b.Upper));
            text += " [" + Join(bounds, ", ") + "]";
        }
    }
    if (code == 41) {
        if (SubType != 0) text += " SUB_TYPE " + IntToStr(SubType);
        if (SegmentSize != 0 && SegmentSize != 80 && dynamic_cast<const TUdfData*>(Parent) == nullptr)
            text += " SEGMENT SIZE " + IntToStr(SegmentSize);
    }
    if (IsOneOf(code, {11, 46, 47}) && Precision != 0) text += PrecisionScale(Precision, Scale);
    if (code == 7 && Precision != 0 && Precision != 34) text += InParens(Precision);
    // Dialect 1 calls its date and time type DATE; TIME it has not, and a
    // TIME column written as DATE would lose its meaning.
    if (db == dbInterBase && IBDialectOf(*this) == 1 && code == 20) text = "DATE";
    return text;
}

// " (START WITH 10 INCREMENT BY 5)" as the column was given them; Firebird
// 3 has no increment of its own for an identity. Empty without options.
std::string TFldData::IBIdentityOptionsText(TIBSQLServerVersionType Version) const
{
    if (IdentityGenerator == nullptr) return {};
    std::vector<std::string> options;
    if (!IdentityGenerator->StartWith.empty()) options.push_back("START WITH " + IdentityGenerator->StartWith);
    if (!IdentityGenerator->IncrementBy.empty() && Version == st_Firebird_40)
        options.push_back("INCREMENT BY " + IdentityGenerator->IncrementBy);
    return options.empty() ? std::string() : " (" + Join(options, " ") + ")";
}

// ---- column definitions ----

std::string TFldData::GetColumnDefinition() const
{
    switch (GetDatabaseType()) {
    case dbSybaseASA: return ASAColumnDefinition();
    case dbMySQL: return MySQLColumnDefinition();
    case dbOracle: return OracleColumnDefinition();
    case dbMSSQL: return MSSQLColumnDefinition();
    case dbPostgreSQL: return PGColumnDefinition();
    case dbDB2: return DB2ColumnDefinition();
    case dbSybaseASE: return ASEColumnDefinition();
    default: return IBColumnDefinition();
    }
}

// "VARCHAR(10) CHARACTER SET WIN1252 DEFAULT 'x' NOT NULL CHECK (...)"
// Firebird 3 and 4 write an identity, which is never nullable; a version
// without identities keeps the column's NOT NULL.
std::string TFldData::IBColumnDefinition(bool KeyColumn) const
{
    std::string text = IBComputedTypeText() + GetTypeText();
    if (ParamNumber == 0) {
        if (ByDescriptor) text += " BY DESCRIPTOR";
        if (ByValue) text += " BY VALUE";
    }
    const TIBServerOptions* ib = GetIBServerOptions();
    // The database script says every character set a column was given:
    // the database it runs on may have another default than the one read.
    const auto* objs = dynamic_cast<const TObjs*>(Objs());
    const bool wholeScript = objs != nullptr && objs->BuildingScript();
    const bool charsetCompare = wholeScript || (ib != nullptr && ib->IBCompareOptions().FldCharsetCompare);
    if (charsetCompare && !CharSet.empty() && TypeCode() != dtDomain && Body().empty() &&
        (wholeScript || !SameText(CharSet, ib->DatabaseCharSet()) || !Collation.empty()))
        text += " CHARACTER SET " + CharSet;
    const TIBSQLServerVersionType version = IBVersionOf(*this);
    const bool identity = Identity && (version == st_Firebird_30 || version == st_Firebird_40);
    if (identity) text += " GENERATED BY DEFAULT AS IDENTITY" + IBIdentityOptionsText(version);
    text += IBDefaultClause();
    if (!identity && (!Nullable || KeyColumn)) text += " NOT NULL";
    if (!CheckText.empty()) text += " CHECK" + CheckText;
    if (charsetCompare && !Collation.empty()) text += " COLLATE " + Collation;
    return text;
}

// "CHAR(10) DEFAULT 'x' IDENTITY (1, 1) NOT NULL"
std::string TFldData::ASAColumnDefinition() const
{
    const std::uint8_t code = TypeCode();
    std::string text;
    if (!DomainName.empty()) {
        text = QuoteName(DomainName);
    } else {
        text = DataTypeName(code);
        if (IsOneOf(code, {14, 15, 44, 49, 50, 76}) && Length > 1) text += InParens(Length);
    }
    text += DefaultClause();
    if (Direction == 2) text += " OUTPUT";
    if (!Collation.empty()) text += " COLLATE " + Collation;
    if (Identity) text += " IDENTITY (" + IntToStr(IdentitySeed) + ", " + IntToStr(IdentityIncrement) + ")";
    if (RowGuidCol) text += " ROWGUIDCOL";
    if (!IsRoutineParam()) text += Nullable ? " NULL" : " NOT NULL";
    return text;
}

// "ENUM('a', 'b') NOT NULL DEFAULT 'a'", "INTEGER(11) UNSIGNED AUTO_INCREMENT"
std::string TFldData::MySQLColumnDefinition() const
{
    const std::uint8_t code = TypeCode();
    std::string text = code == dtDomain ? QuoteName(DomainName) : std::string(DataTypeName(code));
    if (IsOneOf(code, {14, 15, 44, 57, 76})) {
        if (Length > 0) text += InParens(Length);
    } else if (code == 69 || code == 70) {
        text += "(" + Join(Values.Lines(), ", ") + ")";
    } else if (Precision != 0) {
        text += IsOneOf(code, {3, 10, 46, 47}) ? PrecisionScale(Precision, Scale) : InParens(Precision);
    }
    if (!CharSet.empty()) text += " CHARACTER SET " + CharSet;
    if (!Collation.empty()) text += " COLLATE " + Collation;
    if (Unsigned) text += " UNSIGNED";
    if (ZeroFill) text += " ZEROFILL";
    if (BinaryAttr) text += " BINARY";
    if (!Nullable) text += " NOT NULL";
    if (const std::string value = GetDefaultValue(); !value.empty()) {
        std::string literal;
        text += " DEFAULT " + (ReadOneLiteral(value, literal) ? SQLQuotedStr(literal, dbMySQL) : value);
    }
    if (AutoIncrement) text += " AUTO_INCREMENT";
    return text;
}

// "VARCHAR2(20) DEFAULT 'x' NOT NULL", "INTERVAL DAY(2) TO SECOND(6)",
// "TIMESTAMP(3) WITH LOCAL TIME ZONE"
std::string TFldData::OracleColumnDefinition() const
{
    const std::uint8_t code = TypeCode();
    const std::string ref = IsRef ? "REF " : "";
    std::string text = ref;
    if (!DomainName.empty()) text += DomainName;
    else if (code != 0) text += DataTypeName(code);
    if (IsOneOf(code, {14, 15, 17, 49, 50, 51, 58})) {
        text += InParens(Length);
    } else if (code == 86 && Precision != 0) {
        text = ref + "INTERVAL YEAR" + InParens(Precision) + " TO MONTH";
    } else if (code == 87 && (Precision != 0 || Scale != 0)) {
        text = ref + "INTERVAL DAY" + (Precision != 0 ? InParens(Precision) : "") + " TO SECOND" +
               (Scale != 0 ? InParens(Scale) : "");
    } else if (IsOneOf(code, {3, 11, 46, 47, 60}) && Precision != 0) {
        text += PrecisionScale(Precision, Scale);
    } else if (code == 20) {
        if (Precision != 0) text += InParens(Precision);
        if (WithTimeZone) text += " WITH TIME ZONE";
        else if (WithLocalTimeZone) text += " WITH LOCAL TIME ZONE";
    }
    if (const std::string value = GetDefaultValue(); !value.empty()) text += " DEFAULT " + value;
    if (!Nullable) text += " NOT NULL";
    // A column of no type begins with its DEFAULT or NOT NULL, without a blank.
    return TrimLeft(text);
}

// "NVARCHAR(MAX) COLLATE Latin1_General_CI_AS NULL", "DATETIME2(0) NULL",
// "INT IDENTITY (1, 1) NOT NULL", "AS A + B PERSISTED"
std::string TFldData::MSSQLColumnDefinition() const
{
    const std::uint8_t code = TypeCode();
    const bool computed = !Body().empty();
    std::string text;
    if (code == dtDomain) {
        text = (DomainSchema.empty() ? "" : QuoteName(DomainSchema) + ".") + QuoteName(DomainName);
    } else if (computed) {
        text = "AS " + Body() + (Persisted ? " PERSISTED" : "");
    } else if (code == 85) {
        text = "XML" + (XmlSchema.empty() ? "" : " " + XmlSchema);
    } else if (code == 84) {
        return TableTypeText(TableType.get());
    } else {
        text = SQLServerTypeText(code, Length, Precision, Scale, true);
    }
    text += DefaultClause();
    if (Direction == 2) text += " OUTPUT";
    if (!Collation.empty() && dynamic_cast<const TDmnData*>(Parent) == nullptr) text += " COLLATE " + Collation;
    if (Identity) {
        text += " IDENTITY";
        if (IdentityIncrement != 0)
            text += " (" + IntToStr(IdentitySeed) + ", " + IntToStr(IdentityIncrement) + ")";
    }
    if (RowGuidCol) text += " ROWGUIDCOL";
    if (!computed && !IsRoutineParam()) text += Nullable ? " NULL" : " NOT NULL";
    return text;
}

// "varchar(20)[] not null default 'x' CONSTRAINT ck CHECK (...)"
// "timestamp(3) with time zone": the fractional precision of a time-zone
// type stays, as the type text writes it.
std::string TFldData::PGColumnDefinition() const
{
    const std::uint8_t code = TypeCode();
    std::string text;
    if (code == dtDomain) {
        text = QuoteName(DomainName);
    } else {
        text = LowerCase(DataTypeName(code));
        if ((code == 14 || code == 15) && Length > 0) text += InParens(Length);
        else if (code == 21 || code == 22) text += (Precision != 0 ? InParens(Precision) : "") + " with time zone";
        else if ((code == 46 || code == 47) && Precision != 0) text += PrecisionScale(Precision, Scale);
        if (!CharSet.empty()) text += " character set " + CharSet;
        if (!Collation.empty()) text += " collate " + Collation;
    }
    for (const TArrayBound& b : ArrayBounds) text += "[" + (b.Upper != 0 ? IntToStr(b.Upper) : "") + "]";
    if (!Nullable) text += " not null";
    if (const std::string value = GetDefaultValue(); !value.empty()) text += " default " + value;
    if (!CheckText.empty())
        text += (CheckName.empty() ? "" : " CONSTRAINT " + QuoteName(CheckName)) + " CHECK" + CheckText;
    return text;
}

// "DECIMAL(10,2) NOT NULL GENERATED ALWAYS AS IDENTITY(START WITH 1)",
// "BLOB(1048576) NOT LOGGED COMPACT", "INTEGER WITH DEFAULT 0"
std::string TFldData::DB2ColumnDefinition() const
{
    const std::uint8_t code = TypeCode();
    std::string text;
    if (code == dtDomain) {
        text = DomainName;
    } else {
        if (code != 0) text = DataTypeName(code);
        if (IsOneOf(code, {14, 15, 41, 42}) && Length > 0) text += InParens(Length);
        if ((code == 46 || code == 47) && Precision != 0)
            text += "(" + IntToStr(Precision) + "," + IntToStr(Scale) + ")";
    }
    if (ForBitData) text += " FOR BIT DATA";
    if (Logged == 0) text += " NOT LOGGED";
    else if (Logged == 1) text += " LOGGED";
    if (Compact == 0) text += " NOT COMPACT";
    else if (Compact == 1) text += " COMPACT";
    if (!Nullable) text += " NOT NULL";
    if (GeneratedKind != '\0' && GeneratedKind != ' ') {
        text += std::string(" GENERATED ") + (GeneratedKind == 'A' ? "ALWAYS " : "BY DEFAULT ");
        if (Identity)
            text += "AS IDENTITY" + (IdentityGenerator != nullptr ? IdentityGenerator->GetIdentityOptionsText() : "");
        else
            text += "AS(" + GeneratedExpr + ")";
    }
    if (const std::string value = GetDefaultValue(); !value.empty()) text += " WITH DEFAULT " + value;
    return text;
}

// "VARCHAR(MAX) DEFAULT 'x' NOT NULL", "java.lang.String", "AS A + B"
std::string TFldData::ASEColumnDefinition() const
{
    const std::uint8_t code = TypeCode();
    std::string text;
    if (IsJava) {
        text = "java.lang." + JavaClass + (Precision != 0 ? PrecisionScale(Precision, Scale) : "");
    } else if (code == dtDomain) {
        text = QuoteName(DomainName);
    } else if (!Body().empty()) {
        return "AS " + Body();
    } else if (code == 84) {
        return TableTypeText(TableType.get());
    } else {
        text = SQLServerTypeText(code, Length, Precision, Scale, false);
    }
    text += DefaultClause();
    if (!Collation.empty()) text += " COLLATE " + Collation;
    if (Identity) text += " IDENTITY";
    if (!IsRoutineParam()) text += Nullable ? " NULL" : " NOT NULL";
    return text;
}

// ---- statements ----

std::string TFldData::GetCreateDDL() const { return ColumnText(false); }

std::string TFldData::GetKeyColumnDDL() const { return ColumnText(true); }

std::string TFldData::ColumnText(bool KeyColumn) const
{
    const TDatabaseType db = GetDatabaseType();
    const bool external = IsExternalRoutineParam();
    static constexpr const char* kExternalDirections[] = {"", "in ", "out ", "inout "};
    static constexpr const char* kASEDirections[] = {"", " in", " out", " inout"};
    std::string text;
    if (external && Direction <= 3) text += kExternalDirections[Direction];
    if (!Name().empty()) {
        // MS SQL parameter names carry their "@" and are never quoted.
        text += (db == dbMSSQL && IsRoutineParam() ? Name() : GetQualifiedName()) + " ";
    }
    text += KeyColumn && (db == dbInterBase || db == dbAbstract) ? IBColumnDefinition(true) : GetColumnDefinition();
    if (db == dbSybaseASE && !external && Direction <= 3) text += kASEDirections[Direction];
    return text;
}

// The table an added column goes to: its own table's name (with schema or
// SQL Anywhere owner), or TableName for a column without one.
std::string TFldData::AddTableText() const
{
    const TTblData* table = ParentTable();
    if (table == nullptr) return QuoteName(TableName);
    const std::string name = QuoteName(table->GetCounterpartName());
    switch (GetDatabaseType()) {
    case dbOracle:
    case dbMSSQL:
    case dbPostgreSQL: return table->Schema().empty() ? name : QuoteName(table->Schema()) + "." + name;
    case dbSybaseASA: return ASAOwnerText(*this, table->Owner) + "." + name;
    default: return name;
    }
}

std::string TFldData::DropTableText() const
{
    const TTblData* table = ParentTable();
    return table != nullptr ? table->GetQualifiedName() : QuoteName(TableName);
}

std::string TFldData::GetComputedAlterScript() const
{
    const std::string type = IBComputedTypeText();
    return "ALTER TABLE " + AddTableText() + " ALTER " + GetQualifiedName() + (type.empty() ? " " : " TYPE " + type) +
           "COMPUTED BY " + Body();
}

std::string TFldData::IBComputedTypeText() const
{
    const std::uint8_t code = TypeCode();
    if (GetDatabaseType() != dbInterBase || Body().empty() || code == 0 || code == dtDomain) return {};
    std::string text = DeclaredTypeText();
    if (!CharSet.empty()) text += " CHARACTER SET " + CharSet;
    return text + " ";
}

// "ALTER TABLE T ADD C INTEGER"; MS SQL, a NOT NULL column with a default
// constraint DF_C on it alone: "ALTER TABLE T ADD C INTEGER NOT NULL
// CONSTRAINT DF_C DEFAULT 0", after which DF_C counts as created.
std::string TFldData::GetCreateScript()
{
    if (NoScript) return {};
    std::string text = "ALTER TABLE " + AddTableText() + " ADD " + GetCreateDDL();
    if (GetDatabaseType() != dbMSSQL || Nullable) return text;
    for (const auto& link : UsedBy) {
        auto* constraint = dynamic_cast<TCtrData*>(link.Object != nullptr ? link.Object->Target : nullptr);
        if (constraint == nullptr || (constraint->ConstraintKind() & 0x7F) != ckDefault ||
            constraint->Fields.Count() != 1 || !SameText(constraint->Fields.Names(0), Name()))
            continue;
        text += " " + constraint->GetConstraintText(true);
        constraint->SetExists(true);
        break;
    }
    return text;
}

// "ALTER TABLE T DROP C"; MS SQL "ALTER TABLE dbo.T DROP COLUMN C"; Oracle
// "ALTER TABLE T DROP (C)".
std::string TFldData::GetDropScript() const
{
    const std::string name = QuoteName(Name());
    switch (GetDatabaseType()) {
    case dbMSSQL: return "ALTER TABLE " + DropTableText() + " DROP COLUMN " + name;
    case dbOracle: return "ALTER TABLE " + DropTableText() + " DROP (" + name + ")";
    default: return "ALTER TABLE " + DropTableText() + " DROP " + name;
    }
}

// ---- the walk ----

void TFldData::DropDependents()
{
    const std::string table = GetParentName();
    const std::string dropped = " for drop " + table + "(" + Name() + ")";
    ForEachActiveLink(*this, UsedBy, [this, &dropped](TDependObj& Link, TDbObj& User) {
        if (auto* routine = dynamic_cast<TPrcData*>(&User)) {
            if (routine->Body() == Trim(routine->GetStubBody())) return;
            EmitComment(*this, "Empty " + routine->Name() + dropped);
            routine->EmptyBody(true);
        } else if (auto* computed = dynamic_cast<TFldData*>(&User); computed != nullptr && !computed->Body().empty()) {
            EmitComment(*this, "Drop " + computed->GetParentName() + "(" + computed->Name() + ")" + dropped);
            computed->DropObject();
        } else if (dynamic_cast<TIdxData*>(&User) != nullptr || dynamic_cast<TCtrData*>(&User) != nullptr ||
                   dynamic_cast<TPblData*>(&User) != nullptr) {
            User.DropObject();
        } else {
            return;
        }
        Link.Active = false;
    });
    // Views over the column's table go too.
    if (const TObjs* target = TargetSideOf(*this))
        for (const auto& item : target->Views)
            for (const auto& used : item.Object->Uses) {
                TDependObj* link = used.Object.get();
                if (link == nullptr || !link->Active || dynamic_cast<TTblData*>(link->Target) == nullptr ||
                    !SameObjectName(*this, link->Target->Name(), table))
                    continue;
                link->Active = false;
                item.Object->DropObject();
                break;
            }
    TDbObj::DropDependents();
}

void TFldData::CreateDomain()
{
    if (DataType != dtDomain || DomainName.empty()) return;
    const TObjs* objs = SourceSideOf(*this);
    if (objs == nullptr) objs = dynamic_cast<const TObjs*>(Objs());
    TDmnData* domain = objs == nullptr ? nullptr : objs->FindDomain(DomainName);
    if (domain != nullptr && !domain->GetExists()) domain->CreateObject();
}

void TFldData::CreateDependencies()
{
    TDbObj::CreateDependencies();
    CreateDomain();
    if (Body().empty()) return;
    ForEachActiveLink(*this, Uses, [](TDependObj& Link, TDbObj& Used) {
        if (dynamic_cast<TUdfData*>(&Used) == nullptr) return;
        Used.CreateObject();
        Link.Active = false;
    });
}

void TFldData::WriteCreateDescriptions(TStatementSink& Executor)
{
    if (!Description().empty()) Executor.AddDescription(*this);
}

void TFldData::DropForUsed(const TDbObj& /*Used*/)
{
    if (Parent != nullptr && Parent->IsView())
        Parent->DropObject();
    else
        DropObject();
}

} // namespace qel
