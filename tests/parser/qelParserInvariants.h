// What must hold after any script has been read by either script parser,
// whatever the script: the checks the fuzz targets run on every input and
// the robustness and regression tests run on theirs.
//
// One parse of a script is checked for:
//   - the parse returns and nothing escapes it;
//   - the statements handed on are, in order, non-overlapping slices of the
//     text the parser read (a batch ended by "GO n" handed on n times);
//   - nothing is lost: outside the statements there are only blanks,
//     comments, terminators, GO lines and the statements the parser keeps to
//     itself (SET TERM, INPUT, REINSERT, ALTER SESSION RESET);
//   - every stored message has a line and column inside the text;
//   - every index entry and link of the collection points to a live object
//     of it, each link has its mirror, and the collection is freed cleanly.
// The MS SQL parser's full mode (Parse alone) is checked for the first two.
// INPUT finds no file: no check reads the disk.
#pragma once

#include "qelDBOptions.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qeltest {

// How a script is read: the InterBase parser at a server version and SQL
// dialect, or the MS SQL parser at a server version with QUOTED_IDENTIFIER
// on or off (full mode too).
struct TParseSetup {
    bool MSSQL = false;
    qel::TIBSQLServerVersionType IBVersion = qel::TIBSQLServerVersionType::st_Firebird_30;
    qel::TIBSQLDialectType IBDialect = 3;
    qel::TMSSQLServerVersionType MSVersion = qel::TMSSQLServerVersionType::st_MSSQL2017;
    bool QuotedIdentifier = false;

    // "IB Firebird_30 dialect 3", "MSSQL 2017 quoted"
    std::string Name() const;
};

// The setup a fuzz input's first byte picks: InterBase 6, Firebird 2.5, 3
// and 4 in dialect 1 or 3; MS SQL 2000, 2008, 2017 and 2019 with
// QUOTED_IDENTIFIER off or on.
TParseSetup IBSetupFromByte(std::uint8_t Byte);
TParseSetup MSSQLSetupFromByte(std::uint8_t Byte);
// Every setup those bytes pick, InterBase first.
std::vector<TParseSetup> AllSetups();

// What a checked parse did (of ParseScript; full mode adds its characters).
struct TParseStats {
    std::int64_t Statements = 0;
    std::int64_t Messages = 0;
    // Characters the scanner stepped over, rescans included: the parse's
    // work, which grows linearly with the script.
    std::int64_t CharsRead = 0;
};

// What is wrong with the parse of Script under Setup, one line a fault;
// empty when every invariant holds.
std::vector<std::string> CheckParse(const TParseSetup& Setup, std::string_view Script, TParseStats* Stats = nullptr);

// Faults the parsers are known to have and that are not mended yet start
// with this text; the fuzz targets go on past them and the tests skip them,
// naming them, so that every other fault still shows.
inline constexpr const char* kOpenFinding = "open finding ";
bool IsOpenFinding(const std::string& Fault);
// True when Faults holds open findings only (or nothing).
bool OnlyOpenFindings(const std::vector<std::string>& Faults);

// The faults as one text, for a failing test or a fuzz report.
std::string JoinFaults(const std::vector<std::string>& Faults);

} // namespace qeltest
