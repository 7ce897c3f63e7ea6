// The MS SQL script parser: clauses read by their shape, and the statements
// of today's servers that build nothing the model holds (partitioning,
// synonyms, event sessions, keys, audits ...). They are read to their real
// end and handed on whole as plain statements, so that a script of today's
// server loads without a false error and without a statement cut in two.
#include "qelMSSQLScriptParserPrivate.h"

#include "qelText.h"

#include <algorithm>
#include <iterator>
#include <span>
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
    };
    return kinds;
}

} // namespace

void TMSSQLParser::SkipClause(bool Known, std::span<const std::string_view> Continue)
{
    // DML words stand inside clauses after these: AFTER INSERT of a block
    // predicate, FOR UPDATE of a cursor, ON DELETE of a foreign key, THEN
    // UPDATE of a MERGE, INSTEAD OF INSERT.
    static constexpr std::string_view dmlAfter[] = {"AFTER", "BEFORE", "FOR", ",", "ON", "THEN", "OF"};
    std::string previous;
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Symb == syEOF || Symb == syTerminator || Symb == sySemicolon) return;
        if (Symb == syLParen) {
            SkipParens();
            previous.clear();
            continue;
        }
        // Words that begin statements without being keywords end a clause
        // too where no clause uses them: ENABLE TRIGGER, MERGE (but MERGE
        // RANGE of a partition function), THROW.
        if (Symb == syIdent && QuoteChar == '\0' &&
            (((IsWord("ENABLE") || IsWord("DISABLE")) && PeekWord() == "TRIGGER") ||
             (IsWord("MERGE") && PeekWord() != "RANGE") || IsWord("THROW")))
            return;
        if (Symb != syIdent && StartsStatement(Symb)) {
            // Clauses use WITH, and SET ( ... ); a clause nobody knows may
            // use SET, SELECT and ALTER as well.
            bool continues = Symb == syMSWith || (Symb == syMSSet && PeekNonBlank() == '(') ||
                             (!Known && (Symb == syMSSet || Symb == syMSSelect || Symb == syMSAlter));
            if ((Symb == syMSInsert || Symb == syMSUpdate || Symb == syMSDelete) &&
                std::find(std::begin(dmlAfter), std::end(dmlAfter), previous) != std::end(dmlAfter))
                continues = true;
            // IF EXISTS of a DROP, EXECUTE AS of a routine or queue
            if ((Symb == syMSIf && PeekWord() == "EXISTS") || (Symb == syMSExecute && PeekWord() == "AS"))
                continues = true;
            // "DROP EVENT": DROP continues the clause when EVENT follows it.
            for (const std::string_view w : Continue) {
                const std::size_t blank = w.find(' ');
                if (IsAnyWord(w.substr(0, blank)) && (blank == std::string_view::npos || PeekWord() == w.substr(blank + 1)))
                    continues = true;
            }
            // ... but DROP EVENT SESSION is a statement of its own.
            if (Symb == syMSDrop && (PeekWords(2) == "EVENT SESSION" || PeekWords(2) == "EVENT NOTIFICATION"))
                continues = false;
            if (!continues) return;
        }
        previous = Symb == syComma ? std::string(",") : IsNameToken() ? Word() : std::string();
        NextToken();
    }
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
        // Clause words that begin statements elsewhere: ALTER EVENT SESSION
        // ... DROP EVENT, ALTER RESOURCE GOVERNOR RECONFIGURE, ALTER SECURITY
        // POLICY ... ALTER FILTER PREDICATE, ALTER DATABASE SCOPED
        // CONFIGURATION SET MAXDOP = 1, ALTER FULLTEXT INDEX ... SET STOPLIST.
        static constexpr std::string_view alter[] = {"DROP EVENT", "DROP TARGET", "DROP MEMBER", "RECONFIGURE"};
        static constexpr std::string_view policy[] = {"DROP FILTER", "DROP BLOCK", "ALTER FILTER", "ALTER BLOCK"};
        static constexpr std::string_view set[] = {"DROP REPLICA", "DROP DATABASE", "DROP LISTENER", "SET"};
        std::span<const std::string_view> words;
        if (IsAlter) words = alter;
        if (IsAlter && kind.front() == "SECURITY") words = policy;
        else if (IsAlter && (kind.back() == "CONFIGURATION" || kind.front() == "FULLTEXT" ||
                             kind.front() == "AVAILABILITY" || kind.front() == "SERVER"))
            words = set;
        SkipClause(true, words);
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
