// Reading the quoted values and words of SQL text, with no state of its own:
// where a quoted run ends, what value it stands for, the next single-quoted
// value of a statement and the words of a statement. Writing a quoted run is
// QuoteDelimited's (qelWordTable.h), so that both directions agree on the one
// rule: a quote inside the run is doubled.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

// Where the quoted run that opens at Text[Open] ends: just past the Close
// that closes it, a doubled Close being part of the run; npos when it
// never closes.
//   QuotedRunEnd("'it''s' x", 0, '\'') -> 7
//   QuotedRunEnd("[a]]b] x", 0, ']')   -> 6
//   QuotedRunEnd("'it''s", 0, '\'')    -> npos
std::size_t QuotedRunEnd(std::string_view Text, std::size_t Open, char Close);

// The value of the quoted run that opens at Text[Open]: what stands between
// its quotes, each doubled Close read as one; a run that never closes reads
// to the end of Text. End, when given, receives where the run ends (the end
// of Text when it never closes).
//   QuotedValue("'it''s' x", 0, '\'') -> "it's"
std::string QuotedValue(std::string_view Text, std::size_t Open, char Close, std::size_t* End = nullptr);

// The next single-quoted value at or after Pos; Pos moves past its closing
// quote (to the end of Text when it never closes). False, leaving Pos and
// Value alone, when no quote opens one.
//   "USER 'SYSDBA' PASSWORD 'it''s'" from 0 -> "SYSDBA", then "it's"
bool NextQuotedValue(std::string_view Text, std::size_t& Pos, std::string& Value);

// One word of a statement: a quoted value (its text unquoted) or the text
// of a plain word.
struct TStatementWord {
    std::string Text;
    bool Quoted = false;
    char Quote = '\0'; // the quote a quoted value stood in
};

// The words of a statement: values in single or double quotes (a doubled
// quote inside read as one), "=" as a word of its own, and runs of other
// characters; blanks, control characters, ";" and comments ("/* */", "--"
// to the end of the line) separate them.
//   "CREATE DATABASE /* c */ 'a.fdb' PAGE_SIZE=4096;" ->
//   CREATE, DATABASE, a.fdb (quoted), PAGE_SIZE, =, 4096
std::vector<TStatementWord> StatementWords(std::string_view Text);

} // namespace qel
