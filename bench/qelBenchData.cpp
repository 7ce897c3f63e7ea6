// Builds the databases of the benchmarks from a seed; the same seed gives
// the same rows.
//
//   qelBenchData rows  MASTER TARGET TABLE ROWS SEED
//       the row table of TRowFormulas; MASTER may be "-" to build only a
//       target (a PostgreSQL target for the master of a Firebird run)
//   qelBenchData blobs MASTER TARGET TABLE ROWS KIB SEED
//       ID BIGINT key and a binary BLOB of KIB KiB per row; the target
//       differs in 3% of the rows like the row table (missing, one byte
//       changed, an extra row)
//   qelBenchData sqlite MASTER.db TARGET.db TABLE ROWS SEED
//       the SQLite table of qelBenchSQLite.h in two files, built with
//       libsqlite3
//   qelBenchData check MASTER.db TARGET.db TABLE [SCRIPT]
//       compares every cell of the two SQLite tables, value and storage
//       class; "cells_equal 1" when all are equal, else 0 and the first
//       difference on lines that start with "# " (with the lines of SCRIPT,
//       the Result.SQL applied, that name its key)
//   qelBenchData drop  DB TABLE...
//       drops the tables (the PostgreSQL ones at the end of a run)
//
// Databases are named as in qelBenchSupport.h; a missing Firebird file is
// created.
#include "qelBenchSQLite.h"
#include "qelBenchSupport.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>

using namespace qel;
using namespace qel::bench;

namespace {

int Usage()
{
    std::cerr << "usage: qelBenchData rows MASTER TARGET TABLE ROWS SEED\n"
                 "       qelBenchData blobs MASTER TARGET TABLE ROWS KIB SEED\n"
                 "       qelBenchData sqlite MASTER.db TARGET.db TABLE ROWS SEED\n"
                 "       qelBenchData check MASTER.db TARGET.db TABLE [SCRIPT]\n"
                 "       qelBenchData drop DB TABLE...\n";
    return 2;
}

int Check(const std::string& Master, const std::string& Target, const std::string& Table, const std::string& Script)
{
    const auto start = std::chrono::steady_clock::now();
    const TSQLiteCellCheck c = CheckSQLiteCells(Master, Target, Table, Script);
    Report("check_s", SecondsSince(start));
    Report("master_rows", c.MasterRows);
    Report("target_rows", c.TargetRows);
    Report("missing", c.Missing);
    Report("extra", c.Extra);
    Report("differing", c.Differing);
    Report("cells_equal", static_cast<long long>(c.Equal() ? 1 : 0));
    for (size_t at = 0; at < c.First.size();) {
        const size_t end = std::min(c.First.find('\n', at), c.First.size());
        std::cout << "# " << c.First.substr(at, end - at) << "\n";
        at = end + 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return Usage();
    const std::string mode = argv[1];
    try {
        if (mode == "drop" && argc >= 4) {
            TQELConnection c;
            Open(c, ParseDbSpec(argv[2]));
            for (int i = 3; i < argc; ++i) TryExec(c, std::string("drop table ") + argv[i]);
            c.SetConnected(false);
            return 0;
        }
        if (mode == "sqlite" && argc == 7) {
            const auto seed = static_cast<std::uint32_t>(std::strtoul(argv[6], nullptr, 10));
            for (int side = 0; side < 2; ++side) {
                const auto start = std::chrono::steady_clock::now();
                FillSQLiteTable(argv[2 + side], argv[4], std::atoll(argv[5]), seed, side == 1);
                std::cerr << (side == 0 ? "master " : "target ") << argv[2 + side] << " " << argv[4] << " in "
                          << SecondsSince(start) << " s\n";
            }
            return 0;
        }
        if (mode == "check" && (argc == 5 || argc == 6)) return Check(argv[2], argv[3], argv[4], argc == 6 ? argv[5] : "");
        const bool blobs = mode == "blobs";
        if (!(mode == "rows" && argc == 7) && !(blobs && argc == 8)) return Usage();
        const std::string table = argv[4];
        const long long rows = std::atoll(argv[5]);
        const size_t bytes = blobs ? static_cast<size_t>(std::atoll(argv[6])) * 1024 : 0;
        const auto seed = static_cast<std::uint32_t>(std::strtoul(argv[blobs ? 7 : 6], nullptr, 10));
        for (int side = 0; side < 2; ++side) {
            const std::string name = argv[2 + side];
            if (name == "-") continue;
            const TDbSpec spec = ParseDbSpec(name);
            TQELConnection c;
            Open(c, spec, true);
            const auto start = std::chrono::steady_clock::now();
            if (blobs) FillBlobTable(c, table, rows, bytes, seed, side == 1);
            else FillRowTable(c, spec.Kind, table, rows, seed, side == 1);
            std::cerr << (side == 0 ? "master " : "target ") << name << " " << table << ": "
                      << CountRows(c, table) << " rows in " << SecondsSince(start) << " s\n";
            c.SetConnected(false);
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "qelBenchData: " << e.what() << "\n";
        return 1;
    }
}
