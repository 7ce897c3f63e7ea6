#include "qelParserInvariants.h"

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Idx.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelIBExParser.h"
#include "qelMSSQLScriptParser.h"
#include "qelMsgMngr.h"
#include "qelObjs.h"

#include <algorithm>
#include <array>
#include <deque>
#include <exception>
#include <memory>
#include <set>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>

namespace qeltest {

namespace {

using qel::TIBSQLServerVersionType;
using qel::TMSSQLServerVersionType;

// Where a script seems to lie: INPUT resolves its names against this folder,
// which does not exist, so no file is found beside the script.
const std::string kScriptName = "/nonexistent-velmorin-fuzz/script.sql";

// The collection with the objects it owns in view, filed or not.
class TInspectedObjs : public qel::TObjs {
public:
    const std::vector<std::unique_ptr<qel::TDbObj>>& Owned() const { return m_objects; }
};

// A parser with its scanner's work counted.
template <class P>
class TCounting : public P {
public:
    std::int64_t CharsRead = 0;
    char NextChar() override
    {
        ++CharsRead;
        return P::NextChar();
    }
};

// The InterBase parser whose INPUT reads nothing: a file name that does
// exist elsewhere reaches a parser that opens a path that does not.
class TNoDiskIbExParser : public TCounting<qel::TIbExParser> {
public:
    void ParseFile(const std::string& FileName, qel::TObjs* AObjs) override
    {
        qel::TIbExParser::ParseFile(kScriptName + ".input", AObjs);
        (void)FileName;
    }

protected:
    std::unique_ptr<qel::TIbParser> NewInputParser() override { return qel::MakeParser<TNoDiskIbExParser>(); }
};

using TCountingMSSQLParser = TCounting<qel::TMSSQLParser>;

// A statement as the parser handed it on, with where the parser said it
// starts (1-based, StatementStart). Equal texts share one string: a GO count
// hands a batch on up to a hundred thousand times, and copies of a long
// batch would fill memory.
struct TEmitted {
    std::shared_ptr<const std::string> SQL;
    std::int64_t Anchor = 1;
};

std::string Excerpt(std::string_view Text)
{
    std::string out(Text.substr(0, 60));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < ' ') c = ' ';
    return "\"" + out + (Text.size() > 60 ? "...\"" : "\"");
}

// What both scanners step over between tokens: the end-of-file mark \x1A
// reads as a blank. A NUL byte is none: like any character that begins no
// token it is a token of its own, with its error.
bool IsBlank(char c, bool)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\x1A';
}
bool IsLineBlank(char c, bool MSSQL) { return c == ' ' || c == '\t' || (MSSQL && c == '\x1A'); }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsWordChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
}

// The text between the statements, read the way the parsers read it: what is
// no blank, comment, terminator, GO line or silent statement is lost.
class TGapReader {
public:
    // Reported: offsets of characters a stored "Invalid char" error names
    // (which the MS SQL scanner may still drop).
    // QStrings: q'...' strings are read (Firebird 3 and later).
    TGapReader(const std::string& Source, bool MSSQL, const std::set<std::size_t>* Reported = nullptr,
               bool QStrings = false)
        : m_s(Source), m_mssql(MSSQL), m_qStrings(QStrings), m_reported(Reported)
    {
    }

    // Characters the MS SQL scanner dropped, naming them in an error.
    int ReportedDrops = 0;

    // Reads [From, To); the first character that belongs to nothing, or npos.
    // GoCount gets the count of the first GO line read (left as it is
    // without one).
    std::size_t Read(std::size_t From, std::size_t To, int& GoCount)
    {
        std::size_t i = From;
        bool sawToken = false;
        while (i < To) {
            if (SkipBlanksAndComments(i, To)) continue;
            if (m_mssql) {
                std::size_t end = 0;
                int count = 1;
                if (GoLineAt(i, end, count)) {
                    if (GoCount == 0) GoCount = count;
                    i = std::min(end, To);
                    continue;
                }
                if (m_s[i] == ';') {
                    ++i;
                    continue;
                }
                return i;
            }
            // A PSQL body read while ";" ends statements ends at "^", the
            // first thing after it.
            const bool first = !sawToken;
            sawToken = true;
            if (AtTerminator(i)) {
                i += m_term.size();
                continue;
            }
            if (first && m_term == ";" && m_s[i] == '^') {
                ++i;
                continue;
            }
            const std::size_t next = SilentStatement(i, To);
            if (next == std::string::npos) return i;
            i = next;
        }
        return std::string::npos;
    }

private:
    // A character that begins no token is a token of the statement it
    // stands in; the MS SQL scanner still drops a lone "!" it names in an
    // error.
    bool IsDropped(std::size_t I) const
    {
        return m_mssql && m_s[I] == '!' && m_reported != nullptr && m_reported->count(I) != 0;
    }

    // Steps over blanks, comments and dropped characters at I; False when
    // there are none.
    bool SkipBlanksAndComments(std::size_t& I, std::size_t To)
    {
        const std::size_t start = I;
        while (I < To) {
            if (IsBlank(m_s[I], m_mssql)) {
                ++I;
            } else if (IsDropped(I)) {
                ++ReportedDrops;
                ++I;
                while (I < To && (static_cast<unsigned char>(m_s[I]) & 0xC0) == 0x80) ++I;
            } else if (m_s.compare(I, 2, "--") == 0) {
                while (I < m_s.size() && m_s[I] != '\r' && m_s[I] != '\n') ++I;
            } else if (m_s.compare(I, 2, "/*") == 0) {
                SkipBlockComment(I);
            } else {
                break;
            }
        }
        return I != start;
    }

    // "/*" at I to its "*/" (nested in MS SQL), or to the end.
    void SkipBlockComment(std::size_t& I) const
    {
        int depth = 0;
        while (I < m_s.size()) {
            if (m_s.compare(I, 2, "/*") == 0 && (depth == 0 || m_mssql)) {
                ++depth;
                I += 2;
            } else if (m_s.compare(I, 2, "*/") == 0) {
                I += 2;
                if (--depth == 0) return;
            } else {
                ++I;
            }
        }
    }

    bool AtTerminator(std::size_t I) const { return !m_term.empty() && m_s.compare(I, m_term.size(), m_term) == 0; }

    // The word at I (upper case) and the position after it.
    std::string WordAt(std::size_t I, std::size_t& End) const
    {
        std::string w;
        End = I;
        while (End < m_s.size() && IsWordChar(m_s[End])) w += Upper(m_s[End++]);
        return w;
    }

    // The next word after blanks and comments from I.
    std::string NextWord(std::size_t& I, std::size_t To)
    {
        SkipBlanksAndComments(I, To);
        std::size_t end = 0;
        std::string w = WordAt(I, end);
        I = end;
        return w;
    }

    // A statement the InterBase parser keeps to itself at I: the position
    // after its terminator (or To at the end of the text); npos when none
    // begins at I.
    std::size_t SilentStatement(std::size_t I, std::size_t To)
    {
        std::size_t p = I;
        const std::string first = NextWord(p, To);
        if (first == "SET") {
            std::size_t q = p;
            if (NextWord(q, To) != "TERM") return std::string::npos;
            // The new terminator: the first word before the one in force;
            // none sets ";" again, one with a comment or quote character is
            // refused.
            const auto blank = [&](std::size_t At) {
                return m_s[At] == ' ' || m_s[At] == '\t' || m_s[At] == '\r' || m_s[At] == '\n';
            };
            while (q < To && blank(q) && !AtTerminator(q)) ++q;
            std::string term;
            while (q < To && m_s[q] != '\0' && !blank(q) && !AtTerminator(q)) term += m_s[q++];
            const std::size_t end = ToTerminator(q, To);
            if (term.find_first_of("-*/'\"") == std::string::npos) m_term = term.empty() ? ";" : term;
            return end;
        }
        if (first == "ALTER") {
            // ALTER SESSION RESET (Firebird 4), kept back with its error
            // when what follows SESSION is no RESET.
            std::size_t q = p;
            if (NextWord(q, To) != "SESSION") return std::string::npos;
            return ToTerminator(q, To);
        }
        if (first == "INPUT" || first == "REINSERT")
            return ToTerminator(p, To);
        return std::string::npos;
    }

    // The position after the terminator that ends the statement going on at
    // I; strings and quoted names (', ", `) are stepped over whole. A statement that
    // runs into the next statement handed on is no silent one: npos.
    std::size_t ToTerminator(std::size_t I, std::size_t To)
    {
        while (I < To) {
            if (SkipBlanksAndComments(I, To)) continue;
            if (AtTerminator(I)) return I + m_term.size();
            const char c = m_s[I];
            if (m_qStrings && (c == 'q' || c == 'Q') && m_s.compare(I + 1, 1, "'") == 0 && I + 2 < m_s.size() &&
                (I == 0 || !IsWordChar(m_s[I - 1]))) {
                // q'<text>' (Firebird 3): up to the closing mark and a quote.
                const char open = m_s[I + 2];
                const char close = open == '{' ? '}' : open == '[' ? ']' : open == '(' ? ')' : open == '<' ? '>' : open;
                std::size_t end = I + 3;
                while (end + 1 < m_s.size() && !(m_s[end] == close && m_s[end + 1] == '\'')) ++end;
                I = std::min(end + 2, m_s.size());
            } else if (c == '\'' || c == '"' || c == '`') {
                ++I;
                while (I < m_s.size() && !(m_s[I] == c && (I + 1 >= m_s.size() || m_s[I + 1] != c)))
                    I += m_s[I] == c ? 2 : 1;
                ++I;
            } else if (IsWordChar(c)) {
                // A word is one token: a terminator begins no later than
                // its first character.
                while (I < To && IsWordChar(m_s[I])) ++I;
            } else {
                ++I;
            }
        }
        return To >= m_s.size() ? To : std::string::npos;
    }

    // The MS SQL GO line: GO first on its line, blanks, an optional count,
    // blanks, then the line's end or a "--" comment. End: after the count.
    bool GoLineAt(std::size_t I, std::size_t& End, int& Count) const
    {
        if (I + 1 >= m_s.size() || Upper(m_s[I]) != 'G' || Upper(m_s[I + 1]) != 'O') return false;
        for (std::size_t p = I; p-- > 0;) {
            if (m_s[p] == '\n' || m_s[p] == '\r') break;
            if (!IsLineBlank(m_s[p], true)) return false;
        }
        const auto lineEnds = [&](std::size_t p) {
            return p >= m_s.size() || m_s[p] == '\r' || m_s[p] == '\n' || m_s.compare(p, 2, "--") == 0;
        };
        std::size_t p = I + 2;
        if (!lineEnds(p) && !IsLineBlank(m_s[p], true)) return false;
        while (p < m_s.size() && IsLineBlank(m_s[p], true)) ++p;
        const std::size_t digits = p;
        while (p < m_s.size() && m_s[p] >= '0' && m_s[p] <= '9') ++p;
        const std::string count = m_s.substr(digits, p - digits);
        End = p;
        while (p < m_s.size() && IsLineBlank(m_s[p], true)) ++p;
        if (!lineEnds(p)) return false;
        // A count that is no positive 32-bit number is reported; the batch
        // then runs once.
        Count = 1;
        const std::size_t first = count.find_first_not_of('0');
        if (first != std::string::npos && count.size() - first <= 10) {
            const long long value = std::stoll(count);
            if (value <= 2147483647) Count = static_cast<int>(value);
        }
        return true;
    }

    const std::string& m_s;
    const bool m_mssql;
    const bool m_qStrings;
    const std::set<std::size_t>* m_reported;
    std::string m_term = ";";
};

// The offsets in Source (lines ended by CR LF) of the messages whose text
// starts with Prefix.
std::set<std::size_t> MessageOffsets(qel::TCustomParser& Parser, const std::string& Source, std::string_view Prefix)
{
    std::vector<std::size_t> lineStarts{0};
    for (std::size_t p = Source.find("\r\n"); p != std::string::npos; p = Source.find("\r\n", p + 2))
        lineStarts.push_back(p + 2);
    std::set<std::size_t> out;
    for (int i = 0; i < Parser.Messages().Count(); ++i) {
        const qel::TMsgData& m = Parser.Messages().Items(i);
        if (!m.Text.starts_with(Prefix) || m.Line < 1 || static_cast<std::size_t>(m.Line) > lineStarts.size() ||
            m.Column < 1)
            continue;
        out.insert(lineStarts[static_cast<std::size_t>(m.Line) - 1] + static_cast<std::size_t>(m.Column) - 1);
    }
    return out;
}

// What the parser reported where: characters that begin no token, and
// texts that never end.
struct TReported {
    std::set<std::size_t> InvalidChars;
    std::set<std::size_t> Unterminated;
    // The InterBase parser stopped at EXIT or QUIT, as isql does, and said
    // that text followed.
    bool Exited = false;
};

TReported ReportedAt(qel::TCustomParser& Parser, const std::string& Source)
{
    return {MessageOffsets(Parser, Source, "Invalid char in source text"), MessageOffsets(Parser, Source, "Unterminated"),
            !MessageOffsets(Parser, Source, "Not read: the rest of the script after").empty()};
}

// "EXIT" or "QUIT", alone or before anything that is no word character.
bool EndsScript(const std::string& SQL)
{
    std::size_t end = 0;
    while (end < SQL.size() && IsWordChar(SQL[end])) ++end;
    std::string word = SQL.substr(0, end);
    for (char& c : word) c = Upper(c);
    return word == "EXIT" || word == "QUIT";
}

// The statements placed in the source, the gaps between them read; every
// fault goes to Faults.
void CheckStatements(const std::string& Source, const std::vector<TEmitted>& Emitted, bool MSSQL, bool QStrings,
                     const TReported& Reported, std::vector<std::string>& Faults)
{
    TGapReader gaps(Source, MSSQL, &Reported.InvalidChars, QStrings);
    // Where a statement that begins with a text that never ends was handed
    // on empty: all from there is that statement's.
    std::size_t swallowedFrom = std::string::npos;
    std::size_t lastEnd = 0;
    // The statements of the MS SQL batch being read, and the copies of them
    // a "GO n" still owes.
    std::vector<const std::string*> batch;
    // (A deque: a count may owe a hundred thousand copies, taken from the front.)
    std::deque<const std::string*> owed;
    const auto readGap = [&](std::size_t To) {
        To = std::min(To, swallowedFrom);
        if (lastEnd >= To) return;
        int goCount = 0;
        const std::size_t lost = gaps.Read(lastEnd, To, goCount);
        if (lost != std::string::npos) {
            Faults.push_back("lost text at offset " + std::to_string(lost) + ": " +
                             Excerpt(std::string_view(Source).substr(lost, To - lost)));
        }
        if (goCount > 0) batch.clear();
    };
    for (std::size_t n = 0; n < Emitted.size(); ++n) {
        const std::string& sql = *Emitted[n].SQL;
        const std::string label = "statement " + std::to_string(n + 1) + " " + Excerpt(sql);
        if (!owed.empty()) {
            if (sql != *owed.front()) Faults.push_back(label + " is not the copy GO owes: " + Excerpt(*owed.front()));
            owed.pop_front();
            continue;
        }
        const std::size_t anchor =
            static_cast<std::size_t>(std::clamp<std::int64_t>(Emitted[n].Anchor - 1, 0, static_cast<std::int64_t>(Source.size())));
        if (sql.empty()) {
            // (N'...: the string opens after the N.)
            if (Reported.Unterminated.count(anchor) != 0 || Reported.Unterminated.count(anchor + 1) != 0) {
                Faults.push_back("unterminated-first-token: " + label +
                                 " begins with a text that never ends and is handed on empty");
                swallowedFrom = std::min(swallowedFrom, anchor);
            } else {
                Faults.push_back(label + " is empty");
            }
            continue;
        }
        // Before the next statement is placed, the gap up to the first
        // thing that is no blank or GO line tells whether copies are owed.
        if (MSSQL && !batch.empty()) {
            // (The gap is read up to the next thing that is no blank or GO
            // line, never up to where the statement's text is found: a
            // statement "G" is found in the GO line itself.)
            int goCount = 0;
            TGapReader probeReader(Source, true, &Reported.InvalidChars);
            probeReader.Read(lastEnd, Source.size(), goCount);
            // (Copies past a hundred thousand statements are refused and
            // reported.)
            if (goCount > 1 && sql == *batch.front() &&
                (static_cast<long long>(goCount) - 1) * static_cast<long long>(batch.size()) <= 100000) {
                for (int round = 1; round < goCount; ++round) owed.insert(owed.end(), batch.begin(), batch.end());
                owed.erase(owed.begin());
                batch.clear();
                continue;
            }
        }
        std::size_t length = sql.size();
        std::size_t pos = Source.find(sql, std::max(lastEnd, anchor));
        if (pos == std::string::npos) pos = Source.find(sql, lastEnd);
        if (pos == std::string::npos && sql.back() == ';' && sql.size() > 1) {
            // A statement that keeps its ";" (MERGE) may have blanks before it.
            const std::string body = sql.substr(0, sql.size() - 1);
            for (std::size_t p = Source.find(body, lastEnd); p != std::string::npos; p = Source.find(body, p + 1)) {
                std::size_t q = p + body.size();
                while (q < Source.size() && IsBlank(Source[q], MSSQL)) ++q;
                if (q < Source.size() && Source[q] == ';') {
                    pos = p;
                    length = q + 1 - p;
                    break;
                }
            }
        }
        if (pos == std::string::npos) {
            if (MSSQL && std::find_if(batch.begin(), batch.end(), [&](const std::string* b) { return *b == sql; }) !=
                             batch.end())
                Faults.push_back("go-copies-early: " + label +
                                 " is a GO count's copy handed on before the batch's last statement, which runs on "
                                 "over the GO line");
            else
                Faults.push_back(label + " is no slice of the source after offset " + std::to_string(lastEnd));
            continue;
        }
        readGap(pos);
        lastEnd = pos + length;
        batch.push_back(&sql);
        // An EXIT or QUIT with a character in it that begins no token fails
        // as a statement and ends nothing: the parse reads on after it.
        const auto invalid = Reported.InvalidChars.lower_bound(pos);
        const bool failed = invalid != Reported.InvalidChars.end() && *invalid < pos + length;
        if (!MSSQL && Reported.Exited && EndsScript(sql) && !failed) {
            // What follows is never read, and said so.
            if (n + 1 < Emitted.size())
                Faults.push_back(std::to_string(Emitted.size() - n - 1) + " statements handed on after " + label);
            lastEnd = Source.size();
            break;
        }
    }
    readGap(Source.size());
    if (gaps.ReportedDrops > 0)
        Faults.push_back("mssql-lone-bang: " + std::to_string(gaps.ReportedDrops) +
                         " lone \"!\" characters were dropped from every statement, each named in an error");
    if (!owed.empty()) Faults.push_back(std::to_string(owed.size()) + " copies owed after GO were never handed on");
}

// Every message at a line and column of Source (a column one past a line's
// end, and the line after the last, stand for the end).
void CheckMessages(qel::TCustomParser& Parser, const std::string& Source, std::vector<std::string>& Faults)
{
    std::vector<std::size_t> lengths;
    for (std::size_t start = 0; start <= Source.size();) {
        const std::size_t end = Source.find("\r\n", start);
        if (end == std::string::npos) {
            lengths.push_back(Source.size() - start);
            break;
        }
        lengths.push_back(end - start);
        start = end + 2;
    }
    for (int i = 0; i < Parser.Messages().Count(); ++i) {
        const qel::TMsgData& m = Parser.Messages().Items(i);
        const bool lineIn = m.Line >= 1 && static_cast<std::size_t>(m.Line) <= lengths.size();
        if (!lineIn || m.Column < 0 || static_cast<std::size_t>(m.Column) > lengths[m.Line - 1] + 1)
            Faults.push_back("message " + Excerpt(m.Text) + " at " + std::to_string(m.Line) + ":" +
                             std::to_string(m.Column) + " lies outside the text");
    }
}

void AddFields(const qel::TOwnedNameList<qel::TFldData>& List, std::vector<const qel::TDbObj*>& Out)
{
    for (const auto& item : List)
        if (item.Object) Out.push_back(item.Object.get());
}

// Obj and what it owns that can be linked to.
void CollectLive(const qel::TDbObj& Obj, std::vector<const qel::TDbObj*>& Out)
{
    Out.push_back(&Obj);
    for (const auto* items : {&Obj.Items1, &Obj.Items2})
        for (const auto& item : *items)
            if (const auto* o = dynamic_cast<const qel::TDbObj*>(item.get())) CollectLive(*o, Out);
    if (const auto* t = dynamic_cast<const qel::TTblData*>(&Obj)) AddFields(t->Fields, Out);
    if (const auto* v = dynamic_cast<const qel::TViwData*>(&Obj)) AddFields(v->Columns, Out);
    if (const auto* p = dynamic_cast<const qel::TPrcData*>(&Obj)) {
        AddFields(p->InputParams, Out);
        AddFields(p->OutputParams, Out);
    }
    if (const auto* x = dynamic_cast<const qel::TIdxData*>(&Obj)) {
        AddFields(x->Fields, Out);
        AddFields(x->IncludeFields, Out);
    }
    if (const auto* c = dynamic_cast<const qel::TCtrData*>(&Obj)) {
        AddFields(c->Fields, Out);
        AddFields(c->RefFields, Out);
    }
    if (const auto* g = dynamic_cast<const qel::TTrgData*>(&Obj)) AddFields(g->UpdateColumns, Out);
    if (const auto* d = dynamic_cast<const qel::TDmnData*>(&Obj)) {
        AddFields(d->Attributes, Out);
        if (d->BaseField) Out.push_back(d->BaseField.get());
        for (const auto& m : d->Members)
            if (m.Object) CollectLive(*m.Object, Out);
    }
}

bool HasLinkTo(const qel::TDependList& List, const qel::TDbObj* Target)
{
    return std::any_of(List.begin(), List.end(), [&](const auto& item) { return item.Object && item.Object->Target == Target; });
}

// Every index entry and link points to a live object; every link has its
// mirror in its target.
void CheckCollection(const TInspectedObjs& Objs, std::vector<std::string>& Faults)
{
    std::vector<const qel::TDbObj*> live;
    for (const auto& obj : Objs.Owned())
        if (obj) CollectLive(*obj, live);
    const std::unordered_set<const qel::TDbObj*> liveSet(live.begin(), live.end());
    const std::array<const qel::TObjIndex*, 22> indexes{
        &Objs.Schemas,  &Objs.Domains,    &Objs.UDFs,        &Objs.Triggers, &Objs.Procedures, &Objs.Tables,
        &Objs.Exceptions, &Objs.Generators, &Objs.Indexes,  &Objs.Views,    &Objs.Roles,      &Objs.Grants,
        &Objs.Constraints, &Objs.Rules,    &Objs.Defaults,   &Objs.Packages, &Objs.Publications,
        &Objs.Operators, &Objs.OperatorClasses, &Objs.Databases, &Objs.Events, &Objs.Collations};
    for (const qel::TObjIndex* index : indexes)
        for (const auto& item : *index)
            if (liveSet.count(item.Object) == 0) Faults.push_back("index entry " + Excerpt(item.Key) + " points to no live object");
    for (const qel::TDbObj* obj : live) {
        for (const auto& [list, mirror] : {std::pair{&obj->Uses, &qel::TDbObj::UsedBy}, std::pair{&obj->UsedBy, &qel::TDbObj::Uses}}) {
            for (const auto& link : *list) {
                const qel::TDbObj* target = link.Object ? link.Object->Target : nullptr;
                if (target == nullptr) continue;
                if (liveSet.count(target) == 0) {
                    Faults.push_back("a link of " + Excerpt(obj->Name()) + " points to no live object (" + Excerpt(link.Name) + ")");
                } else if (!HasLinkTo(target->*mirror, obj)) {
                    Faults.push_back("the link " + Excerpt(obj->Name()) + " -> " + Excerpt(target->Name()) + " has no mirror");
                }
            }
        }
    }
}

// The text the script parsers read: each line ended by CR LF.
std::string ParsedSource(const qel::TStringList& Lines)
{
    std::string out;
    for (const std::string& line : Lines.Lines()) {
        out += line;
        out += "\r\n";
    }
    return out;
}

// Runs Body; an exception that escapes is a fault.
template <class F>
void NothingEscapes(const char* What, std::vector<std::string>& Faults, F&& Body)
{
    try {
        Body();
    } catch (const std::exception& e) {
        Faults.push_back(std::string(What) + ": exception escaped: " + e.what());
    } catch (...) {
        Faults.push_back(std::string(What) + ": an exception of unknown type escaped");
    }
}

// The texts handed on so far, each held once (keys view the values).
using TTextPool = std::unordered_map<std::string_view, std::shared_ptr<const std::string>>;

template <class P>
void Record(P& Parser, std::vector<TEmitted>& Emitted, TTextPool& Pool)
{
    Parser.ScriptName = kScriptName;
    Parser.OnErrorMessage = [](qel::TObject&, const std::string&) {};
    Parser.OnWarning = [](qel::TObject&, const std::string&) {};
    Parser.OnAddStatement = [&Parser, &Emitted, &Pool](qel::TObject&, const qel::TParsedStatement& S,
                                                       qel::TStatement*&) {
        auto found = Pool.find(S.SQL);
        if (found == Pool.end()) {
            auto text = std::make_shared<const std::string>(S.SQL);
            found = Pool.emplace(std::string_view(*text), text).first;
        }
        Emitted.push_back({found->second, Parser.StatementStart});
    };
}

// ParseScript of Lines by Parser into Objs, and every check of it.
template <class P>
void ParseAndCheck(P& Parser, const qel::TStringList& Lines, TInspectedObjs& Objs, bool QStrings, std::vector<std::string>& Faults,
                   TParseStats& Stats)
{
    std::vector<TEmitted> emitted;
    TTextPool pool;
    const std::string source = ParsedSource(Lines);
    Record(Parser, emitted, pool);
    qel::TStringList lines = Lines;
    Parser.ParseScript(lines, &Objs);
    CheckStatements(source, emitted, std::is_same_v<P, TCountingMSSQLParser>, QStrings, ReportedAt(Parser, source),
                    Faults);
    CheckMessages(Parser, source, Faults);
    CheckCollection(Objs, Faults);
    Stats = {static_cast<std::int64_t>(emitted.size()), Parser.Messages().Count(), Parser.CharsRead};
}

void CheckIB(const TParseSetup& Setup, const qel::TStringList& Lines, std::vector<std::string>& Faults,
             TParseStats& Stats)
{
    NothingEscapes("InterBase", Faults, [&] {
        TInspectedObjs objs;
        objs.SetDatabaseType(qel::TDatabaseType::dbInterBase);
        objs.IBServerOptions().SQLServerVersion = Setup.IBVersion;
        objs.IBServerOptions().SQLDialect = Setup.IBDialect;
        auto parser = qel::MakeParser<TNoDiskIbExParser>();
        const bool qStrings = Setup.IBVersion == TIBSQLServerVersionType::st_Firebird_30 ||
                              Setup.IBVersion == TIBSQLServerVersionType::st_Firebird_40;
        ParseAndCheck(*parser, Lines, objs, qStrings, Faults, Stats);
        parser.reset();
    });
}

void CheckMSSQL(const TParseSetup& Setup, std::string_view Script, const qel::TStringList& Lines,
                std::vector<std::string>& Faults, TParseStats& Stats)
{
    NothingEscapes("MS SQL", Faults, [&] {
        TInspectedObjs objs;
        objs.SetDatabaseType(qel::TDatabaseType::dbMSSQL);
        objs.MSSQLServerOptions().SQLServerVersion = Setup.MSVersion;
        auto parser = qel::MakeParser<TCountingMSSQLParser>();
        parser->QuotedIdentifier = Setup.QuotedIdentifier;
        ParseAndCheck(*parser, Lines, objs, false, Faults, Stats);
        parser.reset();
    });
    // Full mode hands nothing on; it must return and free what it made.
    NothingEscapes("MS SQL full mode", Faults, [&] {
        TInspectedObjs objs;
        objs.SetDatabaseType(qel::TDatabaseType::dbMSSQL);
        objs.MSSQLServerOptions().SQLServerVersion = Setup.MSVersion;
        auto parser = qel::MakeParser<TCountingMSSQLParser>();
        std::vector<TEmitted> full;
        TTextPool pool;
        Record(*parser, full, pool);
        parser->QuotedIdentifier = Setup.QuotedIdentifier;
        parser->SetObjs(&objs);
        parser->SetSource(Script);
        parser->Parse();
        if (!full.empty()) Faults.push_back("full mode handed on " + std::to_string(full.size()) + " statements");
        Stats.CharsRead += parser->CharsRead;
        parser.reset();
    });
}

const std::array<TIBSQLServerVersionType, 4> kIBVersions{
    TIBSQLServerVersionType::st_InterBase_6x, TIBSQLServerVersionType::st_Firebird_25,
    TIBSQLServerVersionType::st_Firebird_30, TIBSQLServerVersionType::st_Firebird_40};
const std::array<TMSSQLServerVersionType, 4> kMSVersions{
    TMSSQLServerVersionType::st_MSSQL2000, TMSSQLServerVersionType::st_MSSQL2008,
    TMSSQLServerVersionType::st_MSSQL2017, TMSSQLServerVersionType::st_MSSQL2019};

} // namespace

std::string TParseSetup::Name() const
{
    if (MSSQL) {
        static const char* const names[] = {"2000", "2005", "2008", "2012", "2014", "2016", "2017", "2019"};
        return std::string("MSSQL") + names[static_cast<int>(MSVersion) % 8] + (QuotedIdentifier ? "Quoted" : "");
    }
    static const char* const names[] = {"IB4", "IB5", "IB6", "FB1", "Yaffil", "FB15", "IB7", "IB75",
                                        "FB20", "FB21", "FB25", "FB30", "FB40", "IB2020"};
    return std::string(names[static_cast<int>(IBVersion) % 14]) + "Dialect" + std::to_string(IBDialect);
}

TParseSetup IBSetupFromByte(std::uint8_t Byte)
{
    TParseSetup s;
    s.IBVersion = kIBVersions[Byte % 4];
    s.IBDialect = (Byte / 4) % 2 == 0 ? 3 : 1;
    return s;
}

TParseSetup MSSQLSetupFromByte(std::uint8_t Byte)
{
    TParseSetup s;
    s.MSSQL = true;
    s.MSVersion = kMSVersions[Byte % 4];
    s.QuotedIdentifier = (Byte / 4) % 2 == 1;
    return s;
}

std::vector<TParseSetup> AllSetups()
{
    std::vector<TParseSetup> out;
    for (std::uint8_t b = 0; b < 8; ++b) out.push_back(IBSetupFromByte(b));
    for (std::uint8_t b = 0; b < 8; ++b) out.push_back(MSSQLSetupFromByte(b));
    return out;
}

std::vector<std::string> CheckParse(const TParseSetup& Setup, std::string_view Script, TParseStats* Stats)
{
    std::vector<std::string> faults;
    TParseStats stats;
    qel::TStringList lines;
    lines.SetText(Script);
    // On the caller's stack: the nesting limits keep a parse within a
    // normal thread's stack, the sanitizers' larger frames included.
    if (Setup.MSSQL) CheckMSSQL(Setup, Script, lines, faults, stats);
    else CheckIB(Setup, lines, faults, stats);
    if (Stats != nullptr) *Stats = stats;
    return faults;
}

bool IsOpenFinding(const std::string& Fault) { return Fault.starts_with(kOpenFinding); }

bool OnlyOpenFindings(const std::vector<std::string>& Faults)
{
    return std::all_of(Faults.begin(), Faults.end(), IsOpenFinding);
}

std::string JoinFaults(const std::vector<std::string>& Faults)
{
    std::string out;
    for (const std::string& f : Faults) out += f + "\n";
    return out;
}

} // namespace qeltest
