#include "qelLocalSQLWords.h"

namespace qel {

namespace {

// IACTIVE, COMMITED and RESERV are kept as the table has always had them.
constexpr std::string_view kLocalSQLResWords[] = {
    "IACTIVE", "ADD", "ALL", "AFTER", "ALTER", "AND", "ANY", "AS", "ASC", "ASCENDING", "AT", "AUTO", "AUTOINC",
    "AVG", "BASE_NAME", "BEFORE", "BEGIN", "BETWEEN", "BLOB", "BOOLEAN", "BOTH", "BY", "BYTES", "CACHE",
    "CAST", "CHAR", "CHARACTER", "CHECK", "CHECK_POINT_LENGTH", "COLLATE", "COLUMN", "COMMIT", "COMMITED",
    "COMPUTED", "CONDITIONAL", "CONSTRAINT", "CONTAINING", "COUNT", "CREATE", "CSTRING", "CURRENT", "CURSOR",
    "DATABASE", "DATE", "DAY", "DEBUG", "DEC", "DECIMAL", "DECLARE", "DEFAULT", "DELETE", "DESC", "DESCENDING",
    "DISTINCT", "DO", "DOMAIN", "DOUBLE", "DROP", "ELSE", "END", "ENTRY_POINT", "ESCAPE", "EXCEPTION",
    "EXECUTE", "EXISTS", "EXIT", "EXTERNAL", "EXTRACT", "FILE", "FILTER", "FLOAT", "FOR", "FOREIGN", "FROM",
    "FULL", "FUNCTION", "GDSCODE", "GENERATOR", "GEN_ID", "GRANT", "GROUP", "GROUP_COMMIT_WAIT_TIME", "HAVING",
    "HOUR", "IF", "IN", "INT", "INACTIVE", "INDEX", "INNER", "INPUT_TYPE", "INSERT", "INTEGER", "INTO", "IS",
    "ISOLATION", "JOIN", "KEY", "LONG", "LENGTH", "LOGFILE", "LOWER", "LEADING", "LEFT", "LEVEL", "LIKE",
    "LOG_BUFFER_SIZE", "MANUAL", "MAX", "MAXIMUM_SEGMENT", "MERGE", "MESSAGE", "MIN", "MINUTE", "MODULE_NAME",
    "MONEY", "MONTH", "NAMES", "NATIONAL", "NATURAL", "NCHAR", "NO", "NOT", "NULL", "NUM_LOG_BUFFERS",
    "NUMERIC", "OF", "ON", "ONLY", "OPTION", "OR", "ORDER", "OUTER", "OUTPUT_TYPE", "OVERFLOW", "PAGE_SIZE",
    "PAGE", "PAGES", "PARAMETER", "PASSWORD", "PLAN", "POSITION", "POST_EVENT", "PRECISION", "PROCEDURE",
    "PROTECTED", "PRIMARY", "PRIVILEGES", "RAW_PARTITIONS", "RDB$DB_KEY", "READ", "REAL", "RECORD_VERSION",
    "REFERENCES", "RESERV", "RESERVING", "RETAIN", "RETURNING_VALUES", "RETURNS", "REVOKE", "RIGHT",
    "ROLLBACK", "SECOND", "SEGMENT", "SELECT", "SET", "SHARED", "SHADOW", "SCHEMA", "SINGULAR", "SIZE",
    "SMALLINT", "SNAPSHOT", "SOME", "SORT", "SQLCODE", "STABILITY", "STARTING", "STARTS", "STATISTICS",
    "SUB_TYPE", "SUBSTRING", "SUM", "SUSPEND", "TABLE", "THEN", "TIME", "TIMESTAMP", "TIMEZONE_HOUR",
    "TIMEZONE_MINUTE", "TO", "TRAILING", "TRANSACTION", "TRIGGER", "TRIM", "UNCOMMITTED", "UNION", "UNIQUE",
    "UPDATE", "UPPER", "USER", "VALUE", "VALUES", "VARCHAR", "VARIABLE", "VARYING", "VIEW", "WAIT", "WHEN",
    "WHERE", "WHILE", "WITH", "WORK", "WRITE", "YEAR",
};
static_assert(30 + std::size(kLocalSQLResWords) - 1 <= 254, "dialect symbols end at 254");

const TResWordIndex& ResWordIndex()
{
    static const TResWordIndex index(kLocalSQLResWords);
    return index;
}

} // namespace

constexpr std::span<const std::string_view, 215> LocalSQLResWords = kLocalSQLResWords;

TSymb LocalSQLResWordSymb(std::string_view Word) { return ResWordIndex().Symb(Word); }

std::string LocalSQLQuoteName(std::string_view Name)
{
    if (Name.empty()) return {};
    return ResWordIndex().Contains(Name) ? QuoteDelimited(Name, '"', '"') : std::string(Name);
}

} // namespace qel
