// The MS SQL script parser: clauses read by their shape, and the statements
// of today's servers that build nothing the model holds (partitioning,
// synonyms, event sessions, keys, audits ...). They are read to their real
// end and handed on whole as plain statements, so that a script of today's
// server loads without a false error and without a statement cut in two.
#include "qelMSSQLScriptParserPrivate.h"

#include "qelText.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

namespace {

// Kinds of CREATE, ALTER and DROP the model has no object for, word by word.
// A kind matches when its words stand next in this order.
using TKind = std::vector<std::string_view>;

const std::vector<TKind>& OtherKinds()
{
    static const std::vector<TKind> kinds = {
        {"PARTITION", "FUNCTION"},
        {"PARTITION", "SCHEME"},
        {"SYNONYM"},
        {"EVENT", "SESSION"},
        {"EVENT", "NOTIFICATION"},
        {"SECURITY", "POLICY"},
        {"COLUMN", "MASTER", "KEY"},
        {"COLUMN", "ENCRYPTION", "KEY"},
        {"MASTER", "KEY"},
        {"SYMMETRIC", "KEY"},
        {"ASYMMETRIC", "KEY"},
        {"DATABASE", "SCOPED", "CREDENTIAL"},
        {"DATABASE", "SCOPED", "CONFIGURATION"},
        {"DATABASE", "AUDIT", "SPECIFICATION"},
        {"DATABASE", "ENCRYPTION", "KEY"},
        {"CREDENTIAL"},
        {"SERVER", "AUDIT", "SPECIFICATION"},
        {"SERVER", "AUDIT"},
        {"SERVER", "ROLE"},
        {"SERVER", "CONFIGURATION"},
        {"APPLICATION", "ROLE"},
        {"EXTERNAL", "DATA", "SOURCE"},
        {"EXTERNAL", "FILE", "FORMAT"},
        {"EXTERNAL", "TABLE"},
        {"EXTERNAL", "RESOURCE", "POOL"},
        {"EXTERNAL", "LIBRARY"},
        {"EXTERNAL", "LANGUAGE"},
        {"EXTERNAL", "STREAM"},
        {"EXTERNAL", "STREAMING", "JOB"},
        {"RESOURCE", "POOL"},
        {"RESOURCE", "GOVERNOR"},
        {"WORKLOAD", "GROUP"},
        {"WORKLOAD", "CLASSIFIER"},
        {"ENDPOINT"},
        {"ROUTE"},
        {"REMOTE", "SERVICE", "BINDING"},
        {"BROKER", "PRIORITY"},
        {"SEARCH", "PROPERTY", "LIST"},
        {"AVAILABILITY", "GROUP"},
        {"AGGREGATE"},
        {"FULLTEXT", "INDEX"},
        {"FULLTEXT", "CATALOG"},
        {"FULLTEXT", "STOPLIST"},
        {"SELECTIVE", "XML", "INDEX"},
        {"SPATIAL", "INDEX"},
        {"XML", "SCHEMA", "COLLECTION"},
        {"INDEX"},
        {"AUTHORIZATION"},
        {"SCHEMA"},
        {"SEQUENCE"},
        {"USER"},
        {"LOGIN"},
        {"ROLE"},
        {"SERVICE"},
        {"QUEUE"},
        {"CONTRACT"},
        {"CERTIFICATE"},
        {"ASSEMBLY"},
        {"MESSAGE", "TYPE"},
        {"STATISTICS"},
        {"SIGNATURE"},
        {"COUNTER", "SIGNATURE"},
        {"SENSITIVITY", "CLASSIFICATION"},
        {"CRYPTOGRAPHIC", "PROVIDER"},
    };
    return kinds;
}

} // namespace

void TMSSQLParser::SkipClause(bool Known)
{
    // DML words stand inside clauses after these too (ClauseGoesOn knows
    // AFTER INSERT, FOR UPDATE, INSTEAD OF DELETE): ON DELETE of a foreign
    // key, THEN UPDATE of a MERGE. ON DELETE | UPDATE has its action next,
    // for a clause may end with ON (INCREMENTAL = ON) before an UPDATE.
    static constexpr std::string_view dmlAfter[] = {"ON", "THEN"};
    static constexpr std::string_view fkActions[] = {"CASCADE", "NO", "SET", "RESTRICT"};
    // A common table expression taken into the statement before it (no ";"
    // between them, which the server refuses whole): its query or DML
    // stays with it, for sent alone a DELETE would lose the CTE's filter.
    // How far "WITH name [(columns)] AS ( ... )" has been read.
    enum class TCte : std::uint8_t { None, Name, AfterName, AfterAs, Done } cte = TCte::None;
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Symb == syEOF || Symb == syTerminator || Symb == sySemicolon) return;
        if (Symb == syLParen) {
            SkipParens();
            cte = cte == TCte::AfterAs || cte == TCte::Done ? TCte::Done
                  : cte == TCte::AfterName            ? TCte::AfterName
                                                      : TCte::None;
            continue;
        }
        const TCte seen = cte;
        cte = TCte::None;
        if (Symb == syMSWith && PeekNonBlank() != '(') cte = TCte::Name;
        else if (seen == TCte::Name && Symb == syIdent)
            cte = QuoteChar == '\0' && IsWord("XMLNAMESPACES") ? TCte::AfterAs : TCte::AfterName;
        else if (seen == TCte::AfterName && Symb == syMSAs) cte = TCte::AfterAs;
        else if (seen == TCte::Done && Symb == syComma) cte = TCte::Name;
        if (seen == TCte::Done && (Symb == syMSSelect || Symb == syMSInsert || Symb == syMSUpdate ||
                                   Symb == syMSDelete || (Symb == syIdent && QuoteChar == '\0' && IsWord("MERGE")))) {
            NextToken();
            continue;
        }
        // AS SELECT ..., AS WITH cte AS ( ... ) SELECT ...: the query is read
        // by its rule, so that it ends where it ends (CREATE EXTERNAL TABLE
        // ... AS SELECT); never after an error, when rules no longer stop.
        if (Known && (Symb == syMSSelect || (Symb == syMSWith && PeekNonBlank() != '(')) && m_read->prevWord == "AS") {
            if (Symb == syMSWith) ParseWith(nullptr);
            else ParseQuery(nullptr);
            continue;
        }
        // Words that begin statements without being keywords end a clause
        // too where no clause uses them: ENABLE TRIGGER, MERGE (but MERGE
        // RANGE of a partition function), THROW.
        if (Symb == syIdent && QuoteChar == '\0' &&
            (((IsWord("ENABLE") || IsWord("DISABLE")) && PeekWord() == "TRIGGER") ||
             (IsWord("MERGE") && PeekWord() != "RANGE") || IsWord("THROW")) &&
            !ClauseGoesOn())
            return;
        if ((Symb == syMSAdd && StartsAddStatement()) || (Symb != syIdent && StartsStatement(Symb))) {
            // Clauses use WITH, and SET ( ... ); a clause nobody knows may
            // use SET, SELECT and ALTER as well.
            bool continues = Symb == syMSWith || (!Known && (Symb == syMSSet || Symb == syMSSelect || Symb == syMSAlter));
            if ((Symb == syMSInsert || Symb == syMSUpdate || Symb == syMSDelete) &&
                std::find(std::begin(dmlAfter), std::end(dmlAfter), m_read->prevWord) != std::end(dmlAfter) &&
                (m_read->prevWord != "ON" ||
                 std::find(std::begin(fkActions), std::end(fkActions), PeekWord()) != std::end(fkActions)))
                continues = true;
            if (!continues && !ClauseGoesOn()) return;
        }
        NextToken();
    }
}

namespace {

// Reserved words after which no statement ends: what follows them belongs
// to the same statement, even a word that could begin one (WITH ROLLBACK
// IMMEDIATE, AS SELECT, WITH GRANT OPTION, ENCRYPTION BY ..., FOR UPDATE).
bool JoinsNext(const std::string& Word)
{
    static constexpr std::string_view words[] = {
        "WITH",   "AS",      "BY",      "=",      ",",          ".",     "::",      "UNION",   "EXCEPT",
        "INTERSECT", "AND",  "OR",      "NOT",    "FOR",        "OF",    "TO",      "FROM",    "INTO",
        "IN",     "IS",      "LIKE",    "BETWEEN", "SET",       "ADD",   "GRANT",   "REVOKE",  "DENY",
        "CREATE", "ALTER",   "DROP",    "EXECUTE", "EXEC",      "TRUNCATE", "BACKUP", "RESTORE", "OPEN",
        "CLOSE",  "DEALLOCATE", "FETCH", "DECLARE", "USE",      "BULK",  "KILL",    "DBCC",    "PRINT",
        "RAISERROR", "WAITFOR"};
    return std::find(std::begin(words), std::end(words), Word) != std::end(words);
}

// The options of the session's own SET statement: SET followed by any
// other word is a clause (SET LOCATION = ..., SET STOPLIST ..., SET
// OFFLINE).
bool IsSessionOption(const std::string& Word)
{
    static constexpr std::string_view words[] = {
        "ANSI_DEFAULTS", "ANSI_NULL_DFLT_OFF", "ANSI_NULL_DFLT_ON", "ANSI_NULLS", "ANSI_PADDING", "ANSI_WARNINGS",
        "ARITHABORT", "ARITHIGNORE", "CONCAT_NULL_YIELDS_NULL", "CONTEXT_INFO", "CURSOR_CLOSE_ON_COMMIT",
        "DATEFIRST", "DATEFORMAT", "DEADLOCK_PRIORITY", "FIPS_FLAGGER", "FMTONLY", "FORCEPLAN", "IDENTITY_INSERT",
        "IMPLICIT_TRANSACTIONS", "LANGUAGE", "LOCK_TIMEOUT", "NOCOUNT", "NOEXEC", "NUMERIC_ROUNDABORT", "OFFSETS",
        "PARSEONLY", "QUERY_GOVERNOR_COST_LIMIT", "QUOTED_IDENTIFIER", "REMOTE_PROC_TRANSACTIONS", "ROWCOUNT",
        "SHOWPLAN_ALL", "SHOWPLAN_TEXT", "SHOWPLAN_XML", "STATISTICS", "TEXTSIZE", "TRANSACTION", "XACT_ABORT",
        "NO_BROWSETABLE", "BLOBFILE", "RESULT_SET_CACHING", "DISABLE_DEF_CNST_CHK"};
    return std::find(std::begin(words), std::end(words), Word) != std::end(words);
}

// Words (upper case, one blank apart) begin a kind of object that CREATE,
// ALTER or DROP takes; Create admits OR ALTER too.
bool NamesKind(const std::string& Words, bool Create)
{
    // The kinds the parser reads by rules of their own, by their first word.
    static constexpr std::string_view kinds[] = {
        "TABLE",    "VIEW",     "PROC",        "PROCEDURE", "FUNCTION",   "TRIGGER",     "INDEX",   "DEFAULT",
        "RULE",     "TYPE",     "SCHEMA",      "SEQUENCE",  "SYNONYM",    "STATISTICS",  "DATABASE", "USER",
        "LOGIN",    "ROLE",     "XML",         "FULLTEXT",  "COLUMNSTORE", "ASSEMBLY",   "MESSAGE", "CONTRACT",
        "QUEUE",    "SERVICE",  "CERTIFICATE", "UNIQUE",    "CLUSTERED",  "NONCLUSTERED", "PRIMARY", "AGGREGATE"};
    const std::string first = Words.substr(0, Words.find(' '));
    if (std::find(std::begin(kinds), std::end(kinds), first) != std::end(kinds)) return true;
    if (Create && Words.starts_with("OR ALTER")) return true;
    for (const TKind& kind : OtherKinds()) {
        std::string joined;
        for (const std::string_view w : kind) joined += (joined.empty() ? "" : " ") + std::string(w);
        if (Words == joined || Words.starts_with(joined + " ")) return true;
    }
    return false;
}

} // namespace

bool TMSSQLParser::ClauseGoesOn()
{
    // A statement that must stand first in its batch is never taken into
    // the one before, whatever word ends that.
    if (Symb == syMSCreate || Symb == syMSAlter) {
        const std::string next = PeekWord();
        if (next == "VIEW" || next == "PROC" || next == "PROCEDURE" || next == "FUNCTION" || next == "TRIGGER" ||
            next == "RULE" || next == "DEFAULT" || (Symb == syMSCreate && (next == "SCHEMA" || next == "OR")))
            return false;
    }
    // Reserved words only: a name may end a statement, whatever it spells.
    const std::string& previous = m_read->prevWord;
    if (JoinsNext(previous)) return true;
    // ... and the words that are no reserved ones, before the word they
    // take: WITH NO REVERT, AFTER INSERT, ALTER RESOURCE GOVERNOR RECONFIGURE.
    if (Symb == syIdent && IsWord("REVERT")) return previous == "NO";
    if ((Symb == syMSInsert || Symb == syMSUpdate || Symb == syMSDelete) && (previous == "AFTER" || previous == "BEFORE"))
        return true;
    if (Symb == syMSReconfigure) return previous == "GOVERNOR";
    switch (static_cast<int>(Symb)) {
    case int(syMSCreate):
    case int(syMSAlter):
    case int(syMSDrop): {
        // Only a kind of object makes them a statement: DROP MEMBER, DROP
        // ENCRYPTION BY, DROP (c), DROP VALUE, ALTER COLUMN c, ALTER FILTER
        // PREDICATE are clauses.
        const std::string words = PeekWords(3);
        return !NamesKind(words, Symb == syMSCreate);
    }
    case int(syMSUpdate): return PeekWord() == "POPULATION";
    case int(syMSRollback): {
        const std::string next = PeekWord();
        return next == "IMMEDIATE" || next == "AFTER";
    }
    case int(syMSSet): {
        if (PeekNonBlank() == '(') return true;
        const std::string next = PeekWord();
        return !next.empty() && next.front() != '@' && !IsSessionOption(next);
    }
    case int(syMSIf): return PeekWord() == "EXISTS";
    // UNION ALL SELECT (a statement may end with ALL: CLEAR ALL)
    case int(syMSSelect): return m_read->prevWord == "ALL";
    case int(syLParen): {
        // A query in parentheses begins a statement; options do not.
        const std::string next = PeekWord();
        return m_read->prevWord == "ALL" || (next != "SELECT" && next != "WITH" && PeekNonBlank() != '(');
    }
    default: return false;
    }
}

bool TMSSQLParser::StartsAddStatement()
{
    const std::string words = PeekWords(2);
    return words == "SIGNATURE TO" || words.starts_with("COUNTER SIGNATURE") || words == "SENSITIVITY CLASSIFICATION";
}

bool TMSSQLParser::ParseOtherKind(bool IsAlter)
{
    // Which kind of the table stands next: its first word is current.
    for (const TKind& kind : OtherKinds()) {
        if (!IsAnyWord(kind.front())) continue;
        // Longer kinds that share the first word come before shorter ones
        // in the table; the words after the first are checked ahead.
        std::int64_t p = NextPos - 1;
        bool match = true;
        for (std::size_t i = 1; i < kind.size() && match; ++i) {
            while (p <= GetLength() && (CharAt(p) == ' ' || CharAt(p) == '\t' || CharAt(p) == '\r' || CharAt(p) == '\n'))
                ++p;
            const auto length = static_cast<std::int64_t>(kind[i].size());
            match = SameText(GetText(p, length), kind[i]) && !CharInSet(CharAt(p + length), IdentChars);
            p += length;
        }
        if (!match) continue;
        for (std::size_t i = 0; i < kind.size(); ++i) NextToken();
        // ALTER kind name is never the whole statement: the word after the
        // name is its action, even one that begins statements elsewhere
        // (ALTER AVAILABILITY GROUP ag GRANT CREATE ANY DATABASE). Kinds
        // without a name (ALTER SERVER CONFIGURATION SET ..., ALTER MASTER
        // KEY DROP ...) are left to ClauseGoesOn.
        const bool nameless = kind.back() == "GOVERNOR" || kind.back() == "CONFIGURATION" || kind.front() == "MASTER" ||
                              (kind.front() == "DATABASE" && kind.back() == "KEY") || kind.front() == "AUTHORIZATION";
        if (IsAlter && !nameless && Symb == syIdent) {
            ParseObjectName(dboUnknown, false);
            if (Symb != syIdent && Symb != syMSCreate && StartsStatement(Symb) && Symb != syLParen) NextToken();
        }
        SkipClause(true);
        return true;
    }
    return false;
}

std::string TMSSQLParser::PeekWords(int Count)
{
    std::string words;
    std::int64_t p = NextPos - 1;
    for (int i = 0; i < Count; ++i) {
        while (p <= GetLength() && (CharAt(p) == ' ' || CharAt(p) == '\t' || CharAt(p) == '\r' || CharAt(p) == '\n'))
            ++p;
        std::int64_t end = 0;
        std::string count;
        if (GoLineAt(p, end, count)) break;
        if (i > 0) words += ' ';
        for (; p <= GetLength() && CharInSet(CharAt(p), IdentChars); ++p) words += AsciiUpper(CharAt(p));
    }
    return words;
}

bool TMSSQLParser::ClassBeforeDoubleColon()
{
    if (!IsNameToken() || QuoteChar != '\0') return false;
    std::int64_t p = TokenStart;
    while (p <= GetLength() && (CharInSet(CharAt(p), IdentChars) || CharAt(p) == ' ' || CharAt(p) == '\t')) ++p;
    return CharAt(p) == ':' && CharAt(p + 1) == ':';
}

} // namespace qel
