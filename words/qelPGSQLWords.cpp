#include "qelPGSQLWords.h"

namespace qel {

namespace {

constexpr std::string_view kPGSQLResWords[] = {
    "ALL", "ANALYSE", "ANALYZE", "AND", "ANY", "ARRAY", "AS", "ASC", "ASYMMETRIC", "AUTHORIZATION", "BETWEEN",
    "BINARY", "BOTH", "CASE", "CAST", "CHECK", "COLLATE", "COLUMN", "CONSTRAINT", "CREATE", "CROSS",
    "CURRENT_DATE", "CURRENT_ROLE", "CURRENT_TIME", "CURRENT_TIMESTAMP", "CURRENT_USER", "DEFAULT",
    "DEFERRABLE", "DESC", "DISTINCT", "DO", "ELSE", "END", "EXCEPT", "FALSE", "FOR", "FOREIGN", "FREEZE",
    "FROM", "FULL", "GRANT", "GROUP", "HAVING", "ILIKE", "IN", "INITIALLY", "INNER", "INTERSECT", "INTO", "IS",
    "ISNULL", "JOIN", "LEADING", "LEFT", "LIKE", "LIMIT", "LOCALTIME", "LOCALTIMESTAMP", "NATURAL", "NEW",
    "NOT", "NOTNULL", "NULL", "OFF", "OFFSET", "OLD", "ON", "ONLY", "OR", "ORDER", "OUTER", "OVERLAPS",
    "PLACING", "PRIMARY", "REFERENCES", "RIGHT", "SELECT", "SESSION_USER", "SIMILAR", "SOME", "SYMMETRIC",
    "TABLE", "THEN", "TO", "TRAILING", "TRUE", "UNION", "UNIQUE", "USER", "USING", "VERBOSE", "WHEN", "WHERE",
    ":=", "..", "::", "<<", ">>",
};

const TResWordIndex& ResWordIndex()
{
    static const TResWordIndex index(kPGSQLResWords);
    return index;
}

bool IsLowerLetter(char c) { return c >= 'a' && c <= 'z'; }

} // namespace

constexpr std::span<const std::string_view, 98> PGSQLResWords = kPGSQLResWords;

TSymb PGSQLResWordSymb(std::string_view Word) { return ResWordIndex().Symb(Word); }

bool PGSQLNeedsQuotes(std::string_view Name)
{
    if (Name.empty()) return false;
    if (Name[0] != '_' && !IsLowerLetter(Name[0])) return true;
    for (std::size_t i = 1; i < Name.size(); ++i) {
        const char c = Name[i];
        if (c != '$' && c != '_' && !IsLowerLetter(c) && !(c >= '0' && c <= '9')) return true;
    }
    return ResWordIndex().Contains(Name);
}

std::string PGSQLQuoteName(std::string_view Name)
{
    return PGSQLNeedsQuotes(Name) ? QuoteDelimited(Name, '"', '"') : std::string(Name);
}

} // namespace qel
