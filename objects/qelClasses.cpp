#include "qelClasses.h"

#include "qelASAParser.h"
#include "qelDB2Parser.h"
#include "qelIBParser.h"
#include "qelLocalSQLParser.h"
#include "qelMSSQLParser.h"
#include "qelMySQLParser.h"
#include "qelOracleParser.h"
#include "qelParser.h"
#include "qelPGSQLParser.h"
#include "qelText.h"

namespace qel {

void TDbObj::SetDescription(std::string_view Value)
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
    m_description = Trim(text);
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
