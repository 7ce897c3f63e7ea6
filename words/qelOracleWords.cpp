#include "qelOracleWords.h"

namespace qel {

namespace {

constexpr std::string_view kOracleResWords[] = {
    "ACCESS", "ADD", "ALL", "ALTER", "AND", "ANY", "ARRAYLEN", "AS", "ASC", "AUDIT", "BETWEEN", "BY", "CHAR",
    "CHECK", "CLUSTER", "COLUMN", "COMMENT", "COMPRESS", "CONNECT", "CREATE", "CURRENT", "DATE", "DECIMAL",
    "DEFAULT", "DELETE", "DESC", "DISTINCT", "DROP", "ELSE", "EXCLUSIVE", "EXISTS", "FILE", "FLOAT", "FOR",
    "FROM", "GRANT", "GROUP", "HAVING", "IDENTIFIER", "IMMEDIATE", "IN", "INCREMENT", "INDEX", "INITIAL",
    "INSERT", "INTEGER", "INTERSECT", "INTO", "IS", "LEVEL", "LIKE", "LOCK", "LONG", "MAXEXTENTS", "MINUS",
    "MODE", "MODIFY", "NOAUDIT", "NOCOMPRESS", "NOT", "NOTFOUND", "NOWAIT", "NULL", "NUMBER", "OF", "OFFLINE",
    "ON", "ONLINE", "OPTION", "OR", "ORDER", "PCTFREE", "PRIOR", "PRIVILEGES", "PUBLIC", "RAW", "RENAME",
    "RESOURCE", "REVOKE", "ROW", "ROWID", "ROWLABEL", "ROWNUM", "ROWS", "START", "SELECT", "SESSION", "SET",
    "SHARE", "SIZE", "SMALLINT", "SQLBUF", "SUCCESSFUL", "SYNONYM", "SYSDATE", "TABLE", "THEN", "TO",
    "TRIGGER", "UID", "UNION", "UNIQUE", "UPDATE", "USER", "VALIDATE", "VALUES", "VARCHAR", "VARCHAR2", "VIEW",
    "WHENEVER", "WHERE", "WITH",
};

const TResWordIndex& ResWordIndex()
{
    static const TResWordIndex index(kOracleResWords);
    return index;
}

} // namespace

constexpr std::span<const std::string_view, 112> OracleResWords = kOracleResWords;

TSymb OracleResWordSymb(std::string_view Word) { return ResWordIndex().Symb(Word); }

std::string OracleQuoteName(std::string_view Name)
{
    return QuoteUpperName(Name, "#$", ResWordIndex());
}

} // namespace qel
