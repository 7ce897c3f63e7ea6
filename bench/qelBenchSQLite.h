// The SQLite files of the benchmarks, built and checked with libsqlite3
// itself, not through the layers being measured: a check that read the
// target through the ADO layer would share its faults.
//
// The table has an INTEGER key and REAL, TEXT and BLOB columns whose values
// are the hard cases of a comparison that must be exact: doubles that need
// all 17 significant digits, quotients like 1/3, text with quotes, double
// quotes, backslashes, line breaks and characters outside ASCII, binary
// values with zero bytes. The target differs in 3% of the rows by the
// classes of TRowFormulas: missing, one cell changed (a double by one unit
// in the last place, the text, a byte, or the text kept as a BLOB of the
// same bytes), an extra row.
#pragma once

#include <cstdint>
#include <string>

namespace qel::bench {

// (Re)creates Table in the SQLite file Path, with the master's or the
// target's rows. Throws std::runtime_error with SQLite's message.
void FillSQLiteTable(const std::string& Path, const std::string& Table, long long Rows, std::uint32_t Seed,
                     bool Target);

// What comparing every cell of two tables found.
struct TSQLiteCellCheck {
    long long MasterRows = 0;
    long long TargetRows = 0;
    long long Missing = 0;   // master rows without a target row of their key
    long long Extra = 0;     // target rows without a master row
    long long Differing = 0; // rows of both with a cell that differs
    // The first differing row, cell by cell (value, bits of a REAL, storage
    // class on each side), and the statements of Script that name its key.
    std::string First;
    bool Equal() const { return MasterRows == TargetRows && Missing == 0 && Extra == 0 && Differing == 0; }
};

// Compares every cell of Table in the two files: a REAL by its bits, text
// and BLOBs by their bytes, and each cell's storage class. Script (may be
// empty) is the Result.SQL that was applied, searched for the statements of
// the first differing key.
TSQLiteCellCheck CheckSQLiteCells(const std::string& Master, const std::string& Target, const std::string& Table,
                                  const std::string& Script);

} // namespace qel::bench
