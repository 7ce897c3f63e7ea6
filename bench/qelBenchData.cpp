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
//   qelBenchData drop  DB TABLE...
//       drops the tables (the PostgreSQL ones at the end of a run)
//
// Databases are named as in qelBenchSupport.h; a missing Firebird file is
// created.
#include "qelBenchSupport.h"

#include "qelDataSet.h"
#include "qelIBClient.h"
#include "qelIBQuery.h"

#include <cstdlib>
#include <iostream>
#include <string>

using namespace qel;
using namespace qel::bench;

namespace {

void CreateTable(TQELConnection& C, const std::string& Table, const std::string& Body)
{
    TryExec(C, "drop table " + Table);
    Exec(C, "create table " + Table + " (" + Body + ")");
}

// Firebird fills a table in a loop on the server; PostgreSQL from a series.
void FillRows(TQELConnection& C, const TDbSpec& Spec, const std::string& Table, long long Rows, std::uint32_t Seed,
              bool Target)
{
    const TRowFormulas f(Spec.Kind, Seed);
    CreateTable(C, Table, f.TableBody());
    const std::string insert = "insert into " + Table + " (" + TRowFormulas::Columns() + ") ";
    const std::string n = std::to_string(Rows);
    if (Spec.Kind == TDbKind::PostgreSQL) {
        const std::string series = " from generate_series(0::bigint, " + n + " - 1) as g(i)";
        if (!Target) {
            Exec(C, insert + "select " + f.MasterValues("i") + series);
            return;
        }
        Exec(C, insert + "select " + f.TargetValues("i") + series + " where " + f.RowClass("i") + " <> 0");
        Exec(C, insert + "select " + f.ExtraValues("i") + series + " where " + f.RowClass("i") + " = 2");
        Exec(C, "analyze " + Table);
        return;
    }
    std::string body;
    if (!Target) {
        body = insert + "values (" + f.MasterValues(":i") + ");";
    } else {
        body = "if (" + f.RowClass("i") + " <> 0) then " + insert + "values (" + f.TargetValues(":i") + "); " +
               "if (" + f.RowClass("i") + " = 2) then " + insert + "values (" + f.ExtraValues(":i") + ");";
    }
    Exec(C, "execute block as declare i bigint = 0; begin while (i < " + n + ") do begin " + body +
                " i = i + 1; end end");
}

// BLOBs are written by the client layer, one parameterised INSERT a row.
void FillBlobs(TQELConnection& C, const std::string& Table, long long Rows, size_t Bytes, std::uint32_t Seed,
               bool Target)
{
    CreateTable(C, Table, "ID BIGINT NOT NULL PRIMARY KEY, DATA BLOB SUB_TYPE 0");
    TIBDatabase db;
    db.SetDatabaseName(C.ConnectionOptions().HostName.empty()
                           ? C.ConnectionOptions().DatabaseName
                           : C.ConnectionOptions().HostName + ":" + C.ConnectionOptions().DatabaseName);
    db.Params().SetLines({"user_name=" + C.ConnectionOptions().UserName,
                          "password=" + C.ConnectionOptions().Password, "lc_ctype=UTF8"});
    db.Open();
    TIBTransaction tr(&db);
    db.SetDefaultTransaction(&tr);
    TIBSQL ins(&db, &tr);
    ins.SetSQL("insert into " + Table + " (ID, DATA) values (?, ?)");
    ins.Prepare();
    auto put = [&](long long key, const std::string& data) {
        ins.Params()[0].SetAsLargeInt(key);
        ins.Params()[1].SetAsBlob(data);
        ins.ExecQuery();
    };
    const std::uint32_t shift = Seed % 100;
    for (long long i = 0; i < Rows; ++i) {
        const long long cls = (i * 37 + shift) % 100;
        std::string data = BlobBytes(Seed, i, Bytes);
        if (!Target) {
            put(2 * i + 2, data);
        } else {
            if (cls == 1) data[static_cast<size_t>(i) % Bytes] = static_cast<char>(data[static_cast<size_t>(i) % Bytes] ^ 1);
            if (cls != 0) put(2 * i + 2, data);
            if (cls == 2) put(2 * i + 3, BlobBytes(Seed, Rows + i, Bytes));
        }
        if (i % 500 == 499) tr.CommitRetaining();
    }
    tr.Commit();
    db.Close();
}

int Usage()
{
    std::cerr << "usage: qelBenchData rows MASTER TARGET TABLE ROWS SEED\n"
                 "       qelBenchData blobs MASTER TARGET TABLE ROWS KIB SEED\n"
                 "       qelBenchData drop DB TABLE...\n";
    return 2;
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
            if (blobs) FillBlobs(c, table, rows, bytes, seed, side == 1);
            else FillRows(c, spec, table, rows, seed, side == 1);
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
