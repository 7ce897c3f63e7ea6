#include "qelClasses.h"

#include "qelASAWords.h"
#include "qelCustomObjs.h"
#include "qelDB2Words.h"
#include "qelIBWords.h"
#include "qelLocalSQLWords.h"
#include "qelMSSQLWords.h"
#include "qelMySQLWords.h"
#include "qelOracleWords.h"
#include "qelWordTable.h"
#include "qelPGSQLWords.h"
#include "qelText.h"

#include <array>
#include <utility>

namespace qel {

namespace {

// Line breaks as CR LF, then trimmed: "  a\nb\r" -> "a\r\nb".
std::string NormalisedText(std::string_view Value)
{
    std::string text;
    text.reserve(Value.size());
    for (std::size_t i = 0; i < Value.size(); ++i) {
        const char c = Value[i];
        if (c == '\r') {
            if (i + 1 < Value.size() && Value[i + 1] == '\n') ++i;
            text += CRLF;
        } else if (c == '\n') {
            text += CRLF;
        } else {
            text += c;
        }
    }
    return Trim(text);
}

bool IsUpperHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

} // namespace

// ---- construction ----

TDbObj::TDbObj(TCustomObjs* Objs, TDbObject ClassKind) : m_objs(Objs), m_classKind(ClassKind), m_objectType(ClassKind) {}

TDbObj::~TDbObj()
{
    SetCounterpart(nullptr);
    DetachLinks();
}

void TDbObj::SetCounterpart(TDbObj* Value) { PairMutually(this, &TDbObj::m_counterpart, Value); }

// ---- texts and names ----

void TDbObj::SetDescription(std::string_view Value) { m_description = NormalisedText(Value); }

void TDbObj::SetBody(std::string_view Value) { m_body = NormalisedText(Value); }

TCustomObjs* TDbObj::ServerObjs() const
{
    if (m_objs != nullptr && m_objs->UseLinked && m_objs->LinkedObjs() != nullptr) return m_objs->LinkedObjs();
    return m_objs;
}

std::string TDbObj::StoredName(std::string_view Value) const
{
    const TCustomObjs* objs = ServerObjs();
    if (objs != nullptr && objs->DatabaseType() == TDatabaseType::dbMSSQL &&
        !objs->MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers)
        return UpperCase(Value);
    return std::string(Value);
}

void TDbObj::SetName(std::string_view Value) { m_name = StoredName(Value); }

void TDbObj::SetSchema(std::string_view Value) { m_schema = StoredName(Value); }

TDatabaseType TDbObj::GetDatabaseType() const
{
    const TCustomObjs* objs = ServerObjs();
    return objs == nullptr ? TDatabaseType::dbAbstract : objs->DatabaseType();
}

TIBServerOptions* TDbObj::GetIBServerOptions() const
{
    TCustomObjs* objs = ServerObjs();
    return objs == nullptr ? nullptr : &objs->IBServerOptions();
}

std::uint32_t TDbObj::GetScriptFlags() const { return m_objs == nullptr ? sfAllScriptFlags : m_objs->ScriptFlags; }

TStatementSink* TDbObj::GetExecutor() const { return m_objs == nullptr ? nullptr : m_objs->Executor; }

std::string TDbObj::GetNameWithoutPrefix() const
{
    const std::string prefix = GetNamePrefix();
    if (!prefix.empty() && m_name.starts_with(prefix)) return m_name.substr(prefix.size());
    return m_name;
}

std::string TDbObj::GetCounterpartName() const
{
    const TCustomObjs* other = m_objs == nullptr ? nullptr : m_objs->LinkedObjs();
    return (other == nullptr ? std::string() : other->GetNamePrefix()) + GetNameWithoutPrefix();
}

std::string TDbObj::GetKey() const
{
    using enum TDatabaseType;
    switch (GetDatabaseType()) {
    case dbMSSQL:
    case dbPostgreSQL: {
        std::string key = m_name;
        const std::string table = GetIndexTableName();
        if (!table.empty()) key = table + "." + key;
        if (!m_schema.empty()) key = m_schema + "." + key;
        return key;
    }
    case dbSybaseASA:
    case dbOracle:
    case dbDB2: return m_schema.empty() ? m_name : m_schema + "." + m_name;
    default: return GetNameWithoutPrefix();
    }
}

std::string TDbObj::GetQualifiedName() const
{
    using enum TDatabaseType;
    switch (GetDatabaseType()) {
    case dbSybaseASA:
        if (IsOwnedByUser()) return (Owner.empty() ? std::string("DBA") : QuoteName(Owner)) + "." + QuoteName(m_name);
        break;
    case dbOracle:
    case dbMSSQL:
    case dbPostgreSQL:
    case dbDB2:
        if (!m_schema.empty() && !IsColumn()) return QuoteName(m_schema) + "." + QuoteName(m_name);
        break;
    default: break;
    }
    return QuoteName(m_name);
}

// "Order Details" under dbCustomOLEDB: style 4 [Order Details], 3 "Order
// Details", 2 'Order Details', any other as it stands.
std::string TDbObj::QuoteName(const std::string& Name) const
{
    if (m_objs == nullptr) return Name;
    const TDatabaseType type = GetDatabaseType();
    if (type == TDatabaseType::dbCustomOLEDB) {
        switch (m_objs->QuoteStyle) {
        case 2: return QuoteDelimited(Name, '\'', '\'');
        case 3: return QuoteDelimited(Name, '"', '"');
        case 4: return QuoteDelimited(Name, '[', ']');
        default: return Name;
        }
    }
    const TIBServerOptions* ib = GetIBServerOptions();
    return QuoteIdentifier(Name, type, ib->SQLServerVersion, ib->SQLDialect);
}

std::string TDbObj::GetDisplayName() const
{
    using enum TDatabaseType;
    const std::string n = GetNameWithoutPrefix();
    if (n.empty()) return DisplayName.empty() ? GetCreateDDL() : DisplayName;
    switch (GetDatabaseType()) {
    case dbSybaseASA: return Owner.empty() ? n : Owner + "." + n;
    case dbMSSQL:
    case dbPostgreSQL:
    case dbDB2: return IsColumn() ? n : GetQualifiedName();
    default: return n;
    }
}

// A PostgreSQL view: "SELECT a,\r\n  b\nFROM t" -> "SELECT a, b FROM t".
std::string TDbObj::GetCompareText() const
{
    std::string text = GetCreateDDL();
    if (GetDatabaseType() != TDatabaseType::dbPostgreSQL || !IsView()) return text;
    std::string flat;
    flat.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        if (c == '\r' || c == '\n') c = ' ';
        if (c == ' ' && !flat.empty() && flat.back() == ' ') continue;
        flat += c;
    }
    return flat;
}

void TDbObj::SetExists(bool Value)
{
    Exists = Value;
    if (m_counterpart != nullptr) m_counterpart->Exists = Value;
}

// ---- script texts ----

std::string TDbObj::GetCreateScript()
{
    if (TStatementSink* executor = GetExecutor()) executor->SetCurrentSchema(m_schema);
    return NoScript ? std::string() : GetCreateDDL();
}

// Exception E: "/* Drop: E (TExcData) */\r\nDROP EXCEPTION E"; a column A
// of table T: "... \r\nALTER TABLE T DROP A".
std::string TDbObj::GetDropScript() const
{
    using enum TDbObject;
    std::string text = "/* Drop: " + BlockCommentText(m_name) + " (" + ClassName() + ") */" + CRLF;
    const std::string name = QuoteName(m_name);
    switch (m_objectType) {
    case dboFunction: return text + "DROP EXTERNAL FUNCTION " + name;
    case dboException: return text + "DROP EXCEPTION " + name;
    case dboIndex: return text + "DROP INDEX " + name;
    case dboDomain: return text + "DROP DOMAIN " + name;
    case dboField: return text + "ALTER TABLE " + QuoteName(GetParentName()) + " DROP " + name;
    case dboCollation: return text + "DROP COLLATION " + name;
    case dboRule: return text + "DROP RULE " + name;
    case dboDefault: return text + "DROP DEFAULT " + name;
    default: return text;
    }
}

std::string TDbObj::GetAlterScript() const { return "/* Alter " + BlockCommentText(m_name) + " */"; }

std::string TDbObj::GetSourceText() const { return SourceText.empty() ? GetCreateDDL() : SourceText; }

std::string TDbObj::GetCommentText(const std::string& Text) const
{
    if (GetDatabaseType() == TDatabaseType::dbSybaseASA) return "% " + LineCommentText(Text);
    return "/* " + BlockCommentText(Text) + " */";
}

// ---- MS SQL system names ----

// "PK__ORDERS__1A2B3C4D" on a primary key: the server made the name up, so a
// compare must not tell it apart from the other side's made-up name.
bool TDbObj::CheckSystemConstraintName()
{
    const char* prefix = SystemConstraintPrefix();
    if (prefix == nullptr) return false;
    const std::string_view name = m_name;
    constexpr std::size_t kHex = 8;
    if (!name.starts_with(prefix) || name.size() < 4 + 2 + kHex) return false;
    const std::size_t tail = name.size() - kHex;
    if (name.substr(tail - 2, 2) != "__") return false;
    for (char c : name.substr(tail))
        if (!IsUpperHexDigit(c)) return false;
    DisplayName = m_name;
    m_name.clear();
    return true;
}

// ---- comment texts ----

std::string BlockCommentText(std::string_view Text)
{
    std::string out;
    out.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        out += Text[i];
        if (i + 1 < Text.size() && ((Text[i] == '*' && Text[i + 1] == '/') || (Text[i] == '/' && Text[i + 1] == '*')))
            out += ' ';
    }
    return out;
}

std::string LineCommentText(std::string_view Text)
{
    std::string out;
    out.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') continue;
        out += (Text[i] == '\r' || Text[i] == '\n') ? ' ' : Text[i];
    }
    return out;
}

std::string QuoteIdentifier(std::string_view Name, TDatabaseType DatabaseType, TIBSQLServerVersionType ServerVersion,
                            TIBSQLDialectType SQLDialect)
{
    using enum TDatabaseType;
    switch (DatabaseType) {
    case dbInterBase:
        // Dialect 1 has no quoted identifiers: a name there is written as it stands.
        if (SQLDialect == 3 && IBNeedsQuotes(Name, ServerVersion)) return QuoteDelimited(Name, '"', '"');
        return std::string(Name);
    case dbSybaseASA: return ASAQuoteName(Name);
    case dbMySQL: return MySQLQuoteName(Name);
    case dbMSSQL: return MSSQLQuoteName(Name);
    case dbPostgreSQL: return PGSQLQuoteName(Name);
    case dbOracle: return OracleQuoteName(Name);
    case dbDB2: return DB2QuoteName(Name);
    case dbParadox:
    case dbDBASE: return LocalSQLQuoteName(Name);
    case dbAbstract:
    case dbSybaseASE:
    case dbPervasiveSQL:
    case dbMSAccess:
    case dbCustomOLEDB: break;
    }
    return std::string(Name);
}

} // namespace qel
