#include "qelSQLiteWords.h"

#include "qelWordTable.h"
#include "qelText.h"

#include <algorithm>
#include <array>

namespace qel {

namespace {

// Every keyword libsqlite3 3.40 knows (sqlite3_keyword_name), sorted.
constexpr std::array<std::string_view, 147> kSQLiteKeywords = {
    "ABORT", "ACTION", "ADD", "AFTER", "ALL", "ALTER", "ALWAYS", "ANALYZE", "AND", "AS", "ASC", "ATTACH",
    "AUTOINCREMENT", "BEFORE", "BEGIN", "BETWEEN", "BY", "CASCADE", "CASE", "CAST", "CHECK", "COLLATE", "COLUMN",
    "COMMIT", "CONFLICT", "CONSTRAINT", "CREATE", "CROSS", "CURRENT", "CURRENT_DATE", "CURRENT_TIME",
    "CURRENT_TIMESTAMP", "DATABASE", "DEFAULT", "DEFERRABLE", "DEFERRED", "DELETE", "DESC", "DETACH", "DISTINCT",
    "DO", "DROP", "EACH", "ELSE", "END", "ESCAPE", "EXCEPT", "EXCLUDE", "EXCLUSIVE", "EXISTS", "EXPLAIN", "FAIL",
    "FILTER", "FIRST", "FOLLOWING", "FOR", "FOREIGN", "FROM", "FULL", "GENERATED", "GLOB", "GROUP", "GROUPS",
    "HAVING", "IF", "IGNORE", "IMMEDIATE", "IN", "INDEX", "INDEXED", "INITIALLY", "INNER", "INSERT", "INSTEAD",
    "INTERSECT", "INTO", "IS", "ISNULL", "JOIN", "KEY", "LAST", "LEFT", "LIKE", "LIMIT", "MATCH", "MATERIALIZED",
    "NATURAL", "NO", "NOT", "NOTHING", "NOTNULL", "NULL", "NULLS", "OF", "OFFSET", "ON", "OR", "ORDER", "OTHERS",
    "OUTER", "OVER", "PARTITION", "PLAN", "PRAGMA", "PRECEDING", "PRIMARY", "QUERY", "RAISE", "RANGE", "RECURSIVE",
    "REFERENCES", "REGEXP", "REINDEX", "RELEASE", "RENAME", "REPLACE", "RESTRICT", "RETURNING", "RIGHT",
    "ROLLBACK", "ROW", "ROWS", "SAVEPOINT", "SELECT", "SET", "TABLE", "TEMP", "TEMPORARY", "THEN", "TIES", "TO",
    "TRANSACTION", "TRIGGER", "UNBOUNDED", "UNION", "UNIQUE", "UPDATE", "USING", "VACUUM", "VALUES", "VIEW", "VIRTUAL", "WHEN",
    "WHERE", "WINDOW", "WITH", "WITHOUT",
};

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

} // namespace

bool IsSQLiteKeyword(std::string_view Word)
{
    if (Word.size() > 17) return false;
    const std::string upper = UpperCase(Word);
    return std::binary_search(kSQLiteKeywords.begin(), kSQLiteKeywords.end(), std::string_view(upper));
}

bool SQLiteNeedsQuotes(std::string_view Name)
{
    if (Name.empty()) return false;
    if (Name[0] != '_' && !IsAsciiLetter(Name[0])) return true;
    for (const char c : Name)
        if (c != '_' && !IsAsciiLetter(c) && !(c >= '0' && c <= '9')) return true;
    return IsSQLiteKeyword(Name);
}

std::string SQLiteQuoteName(std::string_view Name)
{
    return SQLiteNeedsQuotes(Name) ? QuoteDelimited(Name, '"', '"') : std::string(Name);
}

} // namespace qel
