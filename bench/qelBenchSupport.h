// What the benchmark programs share: naming a database on the command line,
// opening it through a TQELConnection, the seeded row formulas that build
// the same tables on Firebird and on PostgreSQL, timing and peak memory.
//
// A database is named as
//   fb:/path/file.fdb        a local file, opened by the embedded engine
//   fb:host:/path/file.fdb   a file on a Firebird server
//   pg:                      the PostgreSQL database of VELMORIN_PG_CONN
//   sqlite:/path/file.db     a SQLite file, through the ADO layer
// Each program prints its figures as "name value" lines on standard output,
// which bench/run.sh collects into its table.
#pragma once

#include "qelDBEngine.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace qel::bench {

std::string Env(const char* Name, const std::string& Default = {});

// Peak resident memory of this process so far (VmHWM), in KiB.
long PeakKiB();
double SecondsSince(std::chrono::steady_clock::time_point Start);
// One "name value" line of the figures.
void Report(const std::string& Name, double Value);
void Report(const std::string& Name, long long Value);

enum class TDbKind : std::uint8_t { FirebirdEmbedded, FirebirdServer, PostgreSQL, SQLite };

struct TDbSpec {
    TDbKind Kind = TDbKind::FirebirdEmbedded;
    std::string Host;
    std::string Path;
};

// Throws std::invalid_argument for a text that names no database.
TDbSpec ParseDbSpec(const std::string& Text);

// Sets up C for Spec (SYSDBA, UTF8, Firebird 3 for Firebird; the server,
// port, database, user and password of VELMORIN_PG_CONN for PostgreSQL;
// the SQLite3 driver's connection string for a SQLite file).
// Errors of the connection go to standard error.
void Configure(TQELConnection& C, const TDbSpec& Spec);
// Configure, create the Firebird file when Create and it is missing, and
// connect; throws std::runtime_error when that fails.
void Open(TQELConnection& C, const TDbSpec& Spec, bool Create = false);
// Runs one statement and commits.
void Exec(TQELConnection& C, const std::string& SQL);
// Runs one statement and ignores its failure (drop of a missing table).
void TryExec(TQELConnection& C, const std::string& SQL);
long long CountRows(TQELConnection& C, const std::string& Table);

// The seeded rows of the row benchmark. Row i (0 <= i < Rows) of the master
// has the key 2 * i + 2 and six values of mixed types, all computed by the
// server from i and the seed, so that Firebird and PostgreSQL build the same
// values. The target differs in 3% of the rows, by a class of i that takes
// every value 0..99 equally often: class 0 rows are missing (an INSERT),
// class 1 rows have one changed column (an UPDATE), class 2 rows have a
// neighbour with the odd key 2 * i + 3 that the master lacks (a DELETE).
class TRowFormulas {
public:
    TRowFormulas(TDbKind Kind, std::uint32_t Seed);

    static const char* Columns() { return "ID, NAME, CODE, QTY, AMOUNT, RATE, CHANGED"; }
    // The column definitions, without a BLOB.
    std::string TableBody() const;
    // Key and values of the master's row I (an expression of the row number).
    std::string MasterValues(const std::string& I) const;
    // The target's row I (classes 1.. of the row; class 0 rows are left out).
    std::string TargetValues(const std::string& I) const;
    // The extra target row next to row I of class 2.
    std::string ExtraValues(const std::string& I) const;
    // The class of row I: 0..99, as an expression and as a number.
    std::string RowClass(const std::string& I) const;
    int ClassOf(long long I) const;

private:
    std::string X(const std::string& I, int Step) const;
    std::string Value(int Column, const std::string& I, int Step) const;

    TDbKind m_kind;
    std::uint32_t m_seed;
};

// The bytes of BLOB number Row: Size pseudo-random bytes of the seed.
std::string BlobBytes(std::uint32_t Seed, long long Row, std::size_t Size);

// (Re)creates Table on C's database and fills it with the master's or the
// target's rows of TRowFormulas: Firebird in a loop on the server,
// PostgreSQL from a series.
void FillRowTable(TQELConnection& C, TDbKind Kind, const std::string& Table, long long Rows, std::uint32_t Seed,
                  bool Target);
// (Re)creates Table (ID BIGINT key, DATA a binary BLOB of Bytes bytes) on
// C's Firebird database, written by the client layer one row at a time.
// The target differs by the classes of TRowFormulas: missing, one byte
// changed, an extra row.
void FillBlobTable(TQELConnection& C, const std::string& Table, long long Rows, std::size_t Bytes,
                   std::uint32_t Seed, bool Target);

} // namespace qel::bench
