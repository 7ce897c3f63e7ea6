// The comparer against the physical limit: the time the client layer needs
// to fetch both ordered result sets without comparing them, and the time
// and peak memory of a comparison of the same tables writing Result.SQL.
// Each run is its own process, so that its peak resident memory (VmHWM) is
// that of the one thing it did; with the embedded engine the engine's page
// cache counts too.
//
//   qelVelmorin_bench fetch   MASTER TARGET TABLE [TARGET_TABLE]
//   qelVelmorin_bench instep  MASTER TARGET TABLE [TARGET_TABLE]
//   qelVelmorin_bench compare MASTER TARGET TABLE SCRIPT|- [TARGET_TABLE]
//   qelVelmorin_bench immediate MASTER TARGET TABLE - [TARGET_TABLE]
//     (applies the differences to TARGET at once)
//
// MASTER and TARGET are named as in qelBenchSupport.h; bench/qelBenchData
// builds them, bench/run.sh runs everything. The figures are "name value"
// lines: seconds, rows, BLOB bytes read, statements by kind, peak KiB.
#include "qelBenchSupport.h"

#include "qelDataSet.h"
#include "qelVelmorin.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>

using namespace qel;
using namespace qel::bench;

namespace {

// Every column, in the order of ID, the key of every table the benchmarks
// build.
std::string OrderedSelect(const std::string& Table)
{
    return "select * from " + Table + " order by ID";
}

// Both ordered result sets through the client layer alone, one after the
// other; every value is decoded by the layer, the BLOB bytes are counted.
int Fetch(TQELConnection& M, TQELConnection& T, const std::string& TableM, const std::string& TableT)
{
    long long rows = 0, blobBytes = 0;
    const auto start = std::chrono::steady_clock::now();
    double slower = 0;
    for (auto [c, table] : {std::pair{&M, TableM}, std::pair{&T, TableT}}) {
        const auto side = std::chrono::steady_clock::now();
        auto q = c->CreateQuery();
        q->SetSQLText(OrderedSelect(table));
        q->Open();
        TFields& f = *q->GetFields();
        while (!q->Eof()) {
            for (int i = 0; i < f.Count(); ++i)
                if (f[i].IsBlob() && !f[i].IsNull()) blobBytes += static_cast<long long>(f[i].Value().RawString().size());
            ++rows;
            q->Next();
        }
        q->Close();
        if (c->InTransaction()) c->Commit();
        slower = std::max(slower, SecondsSince(side));
    }
    Report("fetch_s", SecondsSince(start));
    // The slower side alone: the least a comparison reading both at once takes.
    Report("slower_s", slower);
    Report("rows", rows);
    Report("blob_bytes", blobBytes);
    return 0;
}

// Both ordered result sets read in step, one row of each in turn, as a
// merge reads them but without comparing: what interleaving two client
// stacks in one thread costs by itself.
int FetchInStep(TQELConnection& M, TQELConnection& T, const std::string& TableM, const std::string& TableT)
{
    long long rows = 0;
    const auto start = std::chrono::steady_clock::now();
    auto qm = M.CreateQuery();
    auto qt = T.CreateQuery();
    qm->SetSQLText(OrderedSelect(TableM));
    qt->SetSQLText(OrderedSelect(TableT));
    qm->Open();
    qt->Open();
    while (!qm->Eof() || !qt->Eof()) {
        for (TQELQuery* q : {qm.get(), qt.get()}) {
            if (q->Eof()) continue;
            ++rows;
            q->Next();
        }
    }
    qm->Close();
    qt->Close();
    for (TQELConnection* c : {&M, &T})
        if (c->InTransaction()) c->Commit();
    Report("fetch_s", SecondsSince(start));
    Report("rows", rows);
    return 0;
}

int Compare(TQELConnection& M, TQELConnection& T, const std::string& TableM, const std::string& TableT,
            const std::string& Script, bool Immediate = false)
{
    TVelmorin c;
    if (Immediate) c.SetUpdateImmediately(true);
    c.SetQELConnectionMaster(&M);
    c.SetQELConnectionTarget(&T);
    c.SetTableNameMaster(TableM);
    c.SetTableNameTarget(TableT);
    if (Script != "-" && !Immediate) c.SetScriptFileName(Script);
    else c.ScriptOptions().GenerateScript = false;
    c.OnErrorMessage = [](TObject&, const std::string& t) { std::cerr << "comparer: " << t << "\n"; };
    const auto start = std::chrono::steady_clock::now();
    const bool ok = c.Execute();
    Report("compare_s", SecondsSince(start));
    Report("inserted", static_cast<long long>(c.Inserted));
    Report("updated", static_cast<long long>(c.Updated));
    Report("deleted", static_cast<long long>(c.Deleted));
    Report("equal", static_cast<long long>(c.Equal));
    Report("errors", static_cast<long long>(c.ErrorCount));
    return ok && c.ErrorCount == 0 ? 0 : 1;
}

int Usage()
{
    std::cerr << "usage: qelVelmorin_bench fetch MASTER TARGET TABLE [TARGET_TABLE]\n"
                 "       qelVelmorin_bench instep MASTER TARGET TABLE [TARGET_TABLE]\n"
                 "       qelVelmorin_bench compare MASTER TARGET TABLE SCRIPT|- [TARGET_TABLE]\n"
                 "       qelVelmorin_bench immediate MASTER TARGET TABLE - [TARGET_TABLE]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) return Usage();
    const std::string mode = argv[1];
    const bool immediate = mode == "immediate";
    const bool compare = mode == "compare" || immediate;
    if (!compare && mode != "fetch" && mode != "instep") return Usage();
    const int tableArg = compare ? 6 : 5;
    if (argc > tableArg + 1 || (compare && argc < 6)) return Usage();
    const std::string table = argv[4];
    const std::string targetTable = argc > tableArg ? argv[tableArg] : table;
    int rc = 1;
    try {
        TQELConnection master, target;
        Open(master, ParseDbSpec(argv[2]));
        Open(target, ParseDbSpec(argv[3]));
        if (compare) rc = Compare(master, target, table, targetTable, argv[5], immediate);
        else if (mode == "instep") rc = FetchInStep(master, target, table, targetTable);
        else rc = Fetch(master, target, table, targetTable);
        master.SetConnected(false);
        target.SetConnected(false);
    } catch (const std::exception& e) {
        std::cerr << "qelVelmorin_bench: " << e.what() << "\n";
        return 1;
    }
    Report("peak_kib", static_cast<long long>(PeakKiB()));
    return rc;
}
