#include "qelMSSQLWords.h"

#include "qelText.h"

#include <iterator>
#include <vector>

namespace qel {

namespace {

using enum TSymb;

constexpr TResWordSymb kMSSQLResWords[] = {
    {"ADD", syMSAdd}, {"ALL", syMSAll}, {"ALTER", syMSAlter}, {"AND", syMSAnd}, {"ANY", syMSAny},
    {"AS", syMSAs}, {"ASC", syMSAsc}, {"AUTHORIZATION", syMSAuthorization}, {"BACKUP", syMSBackup},
    {"BEGIN", syMSBegin}, {"BETWEEN", syMSBetween}, {"BREAK", syMSBreak}, {"BROWSE", syMSBrowse},
    {"BULK", syMSBulk}, {"BY", syMSBy}, {"CASCADE", syMSCascade}, {"CASE", syMSCase}, {"CHECK", syMSCheck},
    {"CHECKPOINT", syMSCheckpoint}, {"CLOSE", syMSClose}, {"CLUSTERED", syMSClustered},
    {"COALESCE", syMSCoalesce}, {"COLLATE", syMSCollate}, {"COLUMN", syMSColumn}, {"COMMIT", syMSCommit},
    {"COMPUTE", syMSCompute}, {"CONSTRAINT", syMSConstraint}, {"CONTAINS", syMSContains},
    {"CONTAINSTABLE", syMSContainstable}, {"CONTINUE", syMSContinue}, {"CONVERT", syMSConvert},
    {"CREATE", syMSCreate}, {"CROSS", syMSCross}, {"CURRENT", syMSCurrent}, {"CURRENT_DATE", syMSCurrentDate},
    {"CURRENT_TIME", syMSCurrentTime}, {"CURRENT_TIMESTAMP", syMSCurrentTimestamp},
    {"CURRENT_USER", syMSCurrentUser}, {"CURSOR", syMSCursor}, {"DATABASE", syMSDatabase}, {"DBCC", syMSDbcc},
    {"DEALLOCATE", syMSDeallocate}, {"DECLARE", syMSDeclare}, {"DEFAULT", syMSDefault}, {"DELETE", syMSDelete},
    {"DENY", syMSDeny}, {"DESC", syMSDesc}, {"DISK", syMSDisk}, {"DISTINCT", syMSDistinct},
    {"DISTRIBUTED", syMSDistributed}, {"DOUBLE", syMSDouble}, {"DROP", syMSDrop}, {"DUMP", syMSDump},
    {"ELSE", syMSElse}, {"END", syMSEnd}, {"ERRLVL", syMSErrlvl}, {"ESCAPE", syMSEscape},
    {"EXCEPT", syMSExcept}, {"EXEC", syMSExecute}, {"EXECUTE", syMSExecute}, {"EXISTS", syMSExists},
    {"EXIT", syMSExit}, {"FETCH", syMSFetch}, {"FILE", syMSFile}, {"FILLFACTOR", syMSFillfactor},
    {"FOR", syMSFor}, {"FOREIGN", syMSForeign}, {"FREETEXT", syMSFreetext},
    {"FREETEXTTABLE", syMSFreetexttable}, {"FROM", syMSFrom}, {"FULL", syMSFull}, {"FUNCTION", syMSFunction},
    {"GOTO", syMSGoto}, {"GRANT", syMSGrant}, {"GROUP", syMSGroup}, {"HAVING", syMSHaving},
    {"HOLDLOCK", syMSHoldlock}, {"IDENTITY", syMSIdentity}, {"IDENTITY_INSERT", syMSIdentityInsert},
    {"IDENTITYCOL", syMSIdentitycol}, {"IF", syMSIf}, {"IN", syMSIn}, {"INDEX", syMSIndex},
    {"INNER", syMSInner}, {"INSERT", syMSInsert}, {"INTERSECT", syMSIntersect}, {"INTO", syMSInto},
    {"IS", syMSIs}, {"JOIN", syMSJoin}, {"KEY", syMSKey}, {"KILL", syMSKill}, {"LEFT", syMSLeft},
    {"LIKE", syMSLike}, {"LINENO", syMSLineno}, {"LOAD", syMSLoad}, {"NATIONAL", syMSNational},
    {"NOCHECK", syMSNocheck}, {"NONCLUSTERED", syMSNonclustered}, {"NOT", syMSNot}, {"NULL", syMSNull},
    {"NULLIF", syMSNullif}, {"OF", syMSOf}, {"OFF", syMSOff}, {"OFFSETS", syMSOffsets}, {"ON", syMSOn},
    {"OPEN", syMSOpen}, {"OPENDATASOURCE", syMSOpendatasource}, {"OPENQUERY", syMSOpenquery},
    {"OPENROWSET", syMSOpenrowset}, {"OPENXML", syMSOpenxml}, {"OPTION", syMSOption}, {"OR", syMSOr},
    {"ORDER", syMSOrder}, {"OUTER", syMSOuter}, {"OVER", syMSOver}, {"PERCENT", syMSPercent},
    {"PLAN", syMSPlan}, {"PRECISION", syMSPrecision}, {"PRIMARY", syMSPrimary}, {"PRINT", syMSPrint},
    {"PROC", syMSProcedure}, {"PROCEDURE", syMSProcedure}, {"PUBLIC", syMSPublic},
    {"RAISERROR", syMSRaiserror}, {"READ", syMSRead}, {"READTEXT", syMSReadtext},
    {"RECONFIGURE", syMSReconfigure}, {"REFERENCES", syMSReferences}, {"REPLICATION", syMSReplication},
    {"RESTORE", syMSRestore}, {"RESTRICT", syMSRestrict}, {"RETURN", syMSReturn}, {"REVOKE", syMSRevoke},
    {"RIGHT", syMSRight}, {"ROLLBACK", syMSRollback}, {"ROWCOUNT", syMSRowcount},
    {"ROWGUIDCOL", syMSRowguidcol}, {"RULE", syMSRule}, {"SAVE", syMSSave}, {"SCHEMA", syMSSchema},
    {"SELECT", syMSSelect}, {"SESSION_USER", syMSSessionUser}, {"SET", syMSSet}, {"SETUSER", syMSSetuser},
    {"SHUTDOWN", syMSShutdown}, {"SOME", syMSSome}, {"STATISTICS", syMSStatistics},
    {"SYSTEM_USER", syMSSystemUser}, {"TABLE", syMSTable}, {"TEXTSIZE", syMSTextsize}, {"THEN", syMSThen},
    {"TO", syMSTo}, {"TOP", syMSTop}, {"TRAN", syMSTransaction}, {"TRANSACTION", syMSTransaction},
    {"TRIGGER", syMSTrigger}, {"TO", syMSTo}, {"TRUNCATE", syMSTruncate}, {"TSEQUAL", syMSTsequal},
    {"UNION", syMSUnion}, {"UNIQUE", syMSUnique}, {"UPDATE", syMSUpdate}, {"UPDATETEXT", syMSUpdatetext},
    {"USE", syMSUse}, {"USER", syMSUser}, {"VALUES", syMSValues}, {"VARYING", syMSVarying}, {"VIEW", syMSView},
    {"WAITFOR", syMSWaitfor}, {"WHEN", syMSWhen}, {"WHERE", syMSWhere}, {"WHILE", syMSWhile},
    {"WITH", syMSWith}, {"WRITETEXT", syMSWritetext},
    // Display names of the symbols the lexer makes from characters.
    {"<Label:>", TSymb::syMSLabel}, {"END CONVERSATION", TSymb::syMSEndConversation},
    {"<::>", TSymb::syMSDoubleColon}, {"<{>", TSymb::syMSLBrace}, {"<}>", TSymb::syMSRBrace},
    {"<*=>", TSymb::syMSStarEqual}, {"<=*>", TSymb::syMSEqualStar}, {"\"!<\"", TSymb::syMSNotLess},
    {"\"!>\"", TSymb::syMSNotGreater}, {"<^>", TSymb::syMSBitXor}, {"<~>", TSymb::syMSBitNot},
    {"<|>", TSymb::syMSBitOr}, {"<+=>", TSymb::syMSAddAssign}, {"<-=>", TSymb::syMSSubAssign},
    {"<*=>", TSymb::syMSMulAssign}, {"</=>", TSymb::syMSDivAssign}, {"<%=>", TSymb::syMSModAssign},
    {"<&=>", TSymb::syMSAndAssign}, {"<|=>", TSymb::syMSOrAssign}, {"<^=>", TSymb::syMSXorAssign},
};

constexpr std::string_view kMSSQLReservedWords[] = {
    "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "AUTHORIZATION", "BACKUP", "BEGIN", "BETWEEN", "BREAK",
    "BROWSE", "BULK", "BY", "CASCADE", "CASE", "CHECK", "CHECKPOINT", "CLOSE", "CLUSTERED", "COALESCE",
    "COLLATE", "COLUMN", "COMMIT", "COMPUTE", "CONSTRAINT", "CONTAINS", "CONTAINSTABLE", "CONTINUE", "CONVERT",
    "CREATE", "CROSS", "CURRENT", "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP", "CURRENT_USER",
    "CURSOR", "DATABASE", "DBCC", "DEALLOCATE", "DECLARE", "DEFAULT", "DELETE", "DENY", "DESC", "DISK",
    "DISTINCT", "DISTRIBUTED", "DOUBLE", "DROP", "DUMP", "ELSE", "END", "ERRLVL", "ESCAPE", "EXCEPT", "EXEC",
    "EXECUTE", "EXISTS", "EXIT", "FETCH", "FILE", "FILLFACTOR", "FOR", "FOREIGN", "FREETEXT", "FREETEXTTABLE",
    "FROM", "FULL", "FUNCTION", "GOTO", "GRANT", "GROUP", "HAVING", "HOLDLOCK", "IDENTITY", "IDENTITY_INSERT",
    "IDENTITYCOL", "IF", "IN", "INDEX", "INNER", "INSERT", "INTERSECT", "INTO", "IS", "JOIN", "KEY", "KILL",
    "LEFT", "LIKE", "LINENO", "LOAD", "NATIONAL", "NOCHECK", "NONCLUSTERED", "NOT", "NULL", "NULLIF", "OF",
    "OFF", "OFFSETS", "ON", "OPEN", "OPENDATASOURCE", "OPENQUERY", "OPENROWSET", "OPENXML", "OPTION", "OR",
    "ORDER", "OUTER", "OVER", "PERCENT", "PLAN", "PRECISION", "PRIMARY", "PRINT", "PROC", "PROCEDURE",
    "PUBLIC", "RAISERROR", "READ", "READTEXT", "RECONFIGURE", "REFERENCES", "REPLICATION", "RESTORE",
    "RESTRICT", "RETURN", "REVOKE", "RIGHT", "ROLLBACK", "ROWCOUNT", "ROWGUIDCOL", "RULE", "SAVE", "SCHEMA",
    "SELECT", "SESSION_USER", "SET", "SETUSER", "SHUTDOWN", "SOME", "STATISTICS", "SYSTEM_USER", "TABLE",
    "TEXTSIZE", "THEN", "TO", "TOP", "TRAN", "TRANSACTION", "TRIGGER", "TRUNCATE", "TSEQUAL", "UNION",
    "UNIQUE", "UPDATE", "UPDATETEXT", "USE", "USER", "VALUES", "VARYING", "VIEW", "WAITFOR", "WHEN", "WHERE",
    "WHILE", "WITH", "WRITETEXT", "DUMMY",
};

// Words the server reserves today that the keyword table above predates;
// a column named so must be bracketed all the same.
constexpr std::string_view kLaterReservedWords[] = {
    "EXTERNAL", "MERGE", "PIVOT", "REVERT", "SECURITYAUDIT", "SEMANTICKEYPHRASETABLE",
    "SEMANTICSIMILARITYDETAILSTABLE", "SEMANTICSIMILARITYTABLE", "TABLESAMPLE", "TRY_CONVERT", "UNPIVOT", "WITHIN",
};

const TResWordIndex& ResWordIndex()
{
    static const TResWordIndex index(kMSSQLResWords);
    return index;
}

const TWordSet& ReservedWordSet()
{
    static const TWordSet set = [] {
        std::vector<std::string_view> words(std::begin(kMSSQLReservedWords), std::end(kMSSQLReservedWords));
        words.insert(words.end(), std::begin(kLaterReservedWords), std::end(kLaterReservedWords));
        return TWordSet(words);
    }();
    return set;
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsFirstChar(char c) { return IsLetter(c) || c == '#' || c == '$' || c == '_'; }
bool IsLaterChar(char c) { return IsFirstChar(c) || c == '@' || (c >= '0' && c <= '9'); }

} // namespace

constexpr std::span<const TResWordSymb, 194> MSSQLResWords = kMSSQLResWords;
constexpr std::span<const std::string_view, 174> MSSQLReservedWords = kMSSQLReservedWords;

TSymb MSSQLResWordSymb(std::string_view Word) { return ResWordIndex().Symb(Word); }

bool MSSQLNeedsQuotes(std::string_view Name)
{
    if (Name.empty() || Name[0] == '<') return false;
    if (!IsFirstChar(Name[0])) return true;
    for (std::size_t i = 1; i < Name.size(); ++i)
        if (!IsLaterChar(Name[i])) return true;
    if (ResWordIndex().Contains(Name)) return true;
    return ReservedWordSet().Contains(UpperCase(Name));
}

std::string MSSQLQuoteName(std::string_view Name)
{
    return MSSQLNeedsQuotes(Name) ? QuoteDelimited(Name, '[', ']') : std::string(Name);
}

} // namespace qel
