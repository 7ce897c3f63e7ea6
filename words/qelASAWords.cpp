#include "qelASAWords.h"

#include "qelText.h"

namespace qel {

namespace {

// REMAME is kept as the table has always had it.
constexpr std::string_view kASAResWords[] = {
    "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "BEGIN", "BETWEEN", "BIGINT", "BINARY", "BIT", "BY",
    "CALL", "CASCADE", "CHAR", "CHARACTER", "CHECK", "CLOSE", "COMMENT", "COMMIT", "CONNECT", "CONSTRAINT",
    "CREATE", "CURRENT", "CURRENT_TIMESTAMP", "CURRENT_USER", "DATE", "DBSPACE", "DEC", "DECIMAL", "DECLARE",
    "DEFAULT", "DELETE", "DESC", "DOUBLE", "DROP", "ENCRYPTED", "END", "EXCEPTION", "EXEC", "EXECUTE", "FLOAT",
    "FOR", "FOREIGN", "FROM", "GRANT", "GROUP", "IDENTIFIED", "IF", "IN", "INDEX", "INOUT", "INSERT", "INT",
    "INTEGER", "INTO", "IS", "KEY", "LONG", "MEMBERSHIP", "MESSAGE", "MODE", "MODIFY", "NATURAL", "NO", "NOT",
    "NOTIFY", "NULL", "NUMERIC", "OF", "OFF", "ON", "OPEN", "OPTION", "OPTIONS", "OR", "ORDER", "OUT", "OUTER",
    "PRECISION", "PRIMARY", "PRIVILEGES", "PUBLICATION", "PROC", "PROCEDURE", "REAL", "REFERENCES", "REMOTE",
    "REMAME", "RESOURCE", "RESTORE", "RESTRICT", "REVOKE", "SELECT", "SET", "SETUSER", "SMALLINT", "START",
    "TABLE", "TEMPORARY", "TIME", "TIMESTAMP", "TINYINT", "TO", "TRAN", "TRANSACTION", "TRIGGER", "TRUNCATE",
    "UNIQUE", "UNIQUEIDENTIFIER", "UNKNOWN", "UNSIGNED", "UPDATE", "USER", "USING", "VALUES", "VARBINARY",
    "VARCHAR", "VARIABLE", "VARYING", "VIEW", "WHEN", "WITH", "WORK",
};

constexpr std::string_view kASAReservedWords[] = {
    "BACKUP", "BETWEEN", "BOTTOM", "BREAK", "CAPABILITY", "CASE", "CAST", "CHAR_CONVERT", "CHECKPOINT",
    "CONFLICT", "CONTAINS", "CONTINUE", "CONVERT", "CROSS", "CUBE", "CURSOR", "DBSPACE", "DEALLOCATE",
    "DELETING", "DISTINCT", "DO", "DYNAMIC", "ELSE", "ELSEIF", "ENDIF", "ESCAPE", "EXCEPT", "EXISTING",
    "EXISTS", "EXTERNLOGIN", "FETCH", "FIRST", "FORCE", "FORWARD", "FULL", "GOTO", "HAVING", "HOLDLOCK",
    "INDEX_LPAREN", "INNER", "INSENSITIVE", "INSERTING", "INSTALL", "INSTEAD", "INTEGRATED", "INTERSECT", "IQ",
    "ISOLATION", "JOIN", "LATERAL", "LEFT", "LIKE", "LOCK", "LOGIN", "MATCH", "NEW", "NOHOLDLOCK", "OTHERS",
    "OVER", "PASSTHROUGH", "PREPARE", "PRINT", "PUBLICATION", "RAISERROR", "READTEXT", "REFERENCE", "RELEASE",
    "REORGANIZE", "RETURN", "RIGHT", "ROLLBACK", "ROLLUP", "SAVE", "SAVEPOINT", "SCROLL", "SENSITIVE",
    "SESSION", "SHARE", "SOME", "SQLCODE", "SQLSTATE", "START", "STOP", "SUBTRANS", "SUBTRANSACTION",
    "SYNCHRONIZE", "SYNTAX_ERROR", "THEN", "TOP", "TRAN", "TSEQUAL", "UNBOUNDED", "UNION", "UPDATING",
    "VALIDATE", "WAIT", "WAITFOR", "WHERE", "WHILE", "WINDOW", "WITH_CUBE", "WITH_LPAREN", "WITH_ROLLUP",
    "WITHIN", "WRITETEXT",
};

bool IsFirstChar(char c) { return c == '#' || c == '$' || c == '@' || c == '_' || (c >= 'A' && c <= 'Z'); }
bool IsLaterChar(char c) { return IsFirstChar(c) || (c >= '0' && c <= '9'); }

const TResWordIndex& ResWordIndex()
{
    static const TResWordIndex index(kASAResWords);
    return index;
}

const TWordSet& ReservedWordSet()
{
    static const TWordSet set(kASAReservedWords);
    return set;
}

} // namespace

constexpr std::span<const std::string_view, 125> ASAResWords = kASAResWords;
constexpr std::span<const std::string_view, 105> ASAReservedWords = kASAReservedWords;

TSymb ASAResWordSymb(std::string_view Word) { return ResWordIndex().Symb(Word); }

std::string ASAQuoteName(std::string_view Name, TASAServerVersionType /*Version*/)
{
    if (Name.empty()) return {};
    const std::string upper = UpperCase(Name);
    if (ResWordIndex().Contains(upper) || ReservedWordSet().Contains(upper)) return QuoteDelimited(upper, '"', '"');
    // The character test runs on the upper case, so lower-case letters pass.
    bool valid = IsFirstChar(upper[0]);
    for (std::size_t i = 1; valid && i < upper.size(); ++i) valid = IsLaterChar(upper[i]);
    return valid ? std::string(Name) : QuoteDelimited(Name, '"', '"');
}

} // namespace qel
