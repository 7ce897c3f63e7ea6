#include "qelDB2Words.h"

namespace qel {

namespace {

constexpr std::string_view kDB2ResWords[] = {
    "ADD", "AFTER", "ALIAS", "ALLOW", "ALTER", "AS", "AUTHORIZATION", "BEFORE", "BUFFERPOOL", "BY", "CACHE",
    "CAPTURE", "CARDINALITY", "CHAR", "CHARACTER", "CHECK", "CLUSTER", "CONNECT", "COMMIT", "CONSTRAINT",
    "CREATE", "CURRENT", "DATA", "DATABASE", "DB2SQL", "DEFAULT", "DELETE", "DISALLOW", "DOUBLE", "EACH",
    "FILE", "FOR", "FOREIGN", "GENERATED", "GRANT", "GROUP", "GRAPHIC", "IDENTITY", "IN", "INCREMENT", "INDEX",
    "INSERT", "KEY", "LONG", "MODE", "NEW", "NEW_TABLE", "NO", "NOT", "NULL", "OF", "OLD", "OLD_TABLE", "ON",
    "OPTIMIZATION", "OPTION", "PARTITION", "PATH", "PRIMARY", "RECOVERY", "REFERENCES", "REFERENCING", "RESET",
    "RESTRICT", "ROW", "SCHEMA", "SELECT", "SET", "START", "SYSTEM", "TABLE", "TABLESPACE", "TO", "TRIGGER",
    "UNIQUE", "UPDATE", "USER", "USING", "VIEW", "WHEN", "WITH", "YEARS",
};

const TResWordIndex& ResWordIndex()
{
    static const TResWordIndex index(kDB2ResWords);
    return index;
}

} // namespace

constexpr std::span<const std::string_view, 82> DB2ResWords = kDB2ResWords;

TSymb DB2ResWordSymb(std::string_view Word) { return ResWordIndex().Symb(Word); }

std::string DB2QuoteName(std::string_view Name)
{
    return QuoteUpperName(Name, "#$@", ResWordIndex());
}

} // namespace qel
