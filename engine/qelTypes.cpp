#include "qelTypes.h"

#include "qelText.h"

#include <iterator>

namespace qel {

std::string TTableSpace::GetSQL() const
{
    std::string r;
    auto clause = [&r](const char* word, std::int32_t v) {
        if (v != 0) r += std::string("   ") + word + " " + IntToStr(v) + CRLF;
    };
    clause("pctfree", pctfree);
    clause("pctused", pctused);
    clause("initrans", initrans);
    clause("maxtrans", maxtrans);
    if (!storage.empty()) r += std::string("   storage") + CRLF + storage;
    if (!extra.empty()) r += "   " + extra + CRLF;
    return Trim(r);
}

std::string TTypeDirective::GetSQL() const
{
    std::string r;
    if (Overriding) r += "OVERRIDING ";
    if (NotInstantiable) r += "NOT INSTANTIABLE ";
    if (NotFinal) r += "NOT FINAL ";
    if (Instantiable) r += "INSTANTIABLE ";
    if (Final) r += "FINAL ";
    return r;
}

void TIndexOptions::Clear()
{
    const std::string method = IndexMethod;
    *this = TIndexOptions();
    IndexMethod = method;
}

TCharSet MakeCharSet(std::string_view Chars)
{
    TCharSet s;
    for (char c : Chars) s.set(static_cast<unsigned char>(c));
    return s;
}

bool CharInSet(char C, const TCharSet& Chars) { return Chars.test(static_cast<unsigned char>(C)); }

bool TryStrToInt(std::string_view S, std::int32_t& Value)
{
    size_t i = 0;
    while (i < S.size() && S[i] == ' ') ++i; // the standard conversion skips leading blanks
    bool neg = false;
    if (i < S.size() && (S[i] == '+' || S[i] == '-')) {
        neg = S[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < S.size() && S[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < S.size() && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= S.size()) return false;
    std::uint64_t v = 0;
    for (; i < S.size(); ++i) {
        const char c = S[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * (hex ? 16 : 10) + static_cast<std::uint64_t>(d);
        if (v > 0xFFFFFFFFull) return false;
    }
    if (hex) {
        // Hexadecimal text is a 32-bit pattern: $FFFFFFFF is -1.
        auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        Value = neg ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(bits)) : bits;
        return true;
    }
    if (neg ? v > 2147483648ull : v > 2147483647ull) return false;
    Value = neg ? static_cast<std::int32_t>(-static_cast<std::int64_t>(v)) : static_cast<std::int32_t>(v);
    return true;
}

std::string QualifiedName(const std::string& Schema, const std::string& Name)
{
    return Schema.empty() ? Name : Schema + "." + Name;
}

std::string StatementTerminator(TDatabaseType DatabaseType)
{
    switch (DatabaseType) {
    case TDatabaseType::dbSybaseASA:
    case TDatabaseType::dbSybaseASE: return "\r\ngo\r\n";
    case TDatabaseType::dbMSSQL: return "\r\nGO\r\n";
    default: return ";\r\n";
    }
}

namespace {

std::string MySQLQuoted(std::string_view v)
{
    std::string r = "'";
    for (char c : v) {
        switch (c) {
        case '"': r += "\\\""; break;
        // Doubled rather than escaped: MySQL reads both, and a doubled quote
        // keeps the parameter parser (which knows no backslash escapes) in step.
        case '\'': r += "''"; break;
        case '\\': r += "\\\\"; break;
        case '\r': r += "\\r"; break;
        case '\n': r += "\\n"; break;
        case '\b': r += "\\b"; break;
        case '\x1A': r += "\\z"; break;
        case '\t': r += "\\t"; break;
        case '\0': r += "\\0"; break;
        default: r += c;
        }
    }
    r += '\'';
    return r;
}

std::string PostgreSQLQuoted(std::string_view v)
{
    std::string body;
    bool escaped = false;
    for (char c : v) {
        switch (c) {
        case '\'': body += "''"; break;
        case '\\': body += "\\x5C"; escaped = true; break;
        case '\b': body += "\\b"; escaped = true; break;
        case '\t': body += "\\t"; escaped = true; break;
        case '\0': body += "\\x00"; escaped = true; break;
        default: body += c;
        }
    }
    // Since 9.1 a plain literal reads backslashes as themselves: only an
    // escape string turns the escapes back into the value.
    return (escaped ? "E'" : "'") + body + "'";
}

} // namespace

std::string SQLQuotedStr(std::string_view Value, TDatabaseType DatabaseType)
{
    switch (DatabaseType) {
    case TDatabaseType::dbMySQL: return MySQLQuoted(Value);
    case TDatabaseType::dbPostgreSQL: return PostgreSQLQuoted(Value);
    default: {
        std::string r = "'";
        for (char c : Value) {
            if (c == '\'') r += '\'';
            r += c;
        }
        r += '\'';
        return r;
    }
    }
}

const char* DatabaseTypeName(TDatabaseType t)
{
    static const char* const names[] = {"dbAbstract",  "dbInterBase",    "dbSybaseASA", "dbMySQL",   "dbOracle",
                                        "dbMSSQL",     "dbPostgreSQL",   "dbDB2",       "dbSybaseASE",
                                        "dbPervasiveSQL", "dbMSAccess", "dbParadox",   "dbDBASE",   "dbCustomOLEDB"};
    const auto i = static_cast<size_t>(t);
    return i < std::size(names) ? names[i] : "dbAbstract";
}

} // namespace qel
