// Runs a script of INSERT, UPDATE and DELETE statements against an embedded
// Firebird database with the InterBase executor, and the same script file
// with isql-fb against a second, identical database, and prints both times
// and their ratio.
//
//   qelSQL_Exec_bench [statements]     (default 100000)
//
// For bench/run.sh, which runs a comparer's Result.SQL against copies of
// one target (the script's CONNECT names the database):
//   qelSQL_Exec_bench update MASTER TARGET TABLE SCRIPT
//       the comparer fills the target's executor (a Firebird or a SQLite
//       one) and writes SCRIPT; the executor's Execute then runs the
//       statements against the target, as "Update" does after "Compare" in
//       the window; only Execute is timed, the peak memory is of both
//   qelSQL_Exec_bench isql SCRIPT
//       isql-fb runs the file, its start included
// each printing "name value" lines (seconds, statements, errors).
#include "qelBenchCompare.h"
#include "qelBenchSupport.h"
#include "qelDBEngine.h"
#include "qelDataSet.h"
#include "qelIBSQLExec.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace qel;
namespace fs = std::filesystem;

namespace {

struct TStatementText {
    std::string SQL;
    TStatType Type;
};

// Inserts first, then updates and deletes of rows inserted earlier, in a
// fixed pseudo-random order so both runs see the same script.
std::vector<TStatementText> MakeScript(int Count)
{
    std::vector<TStatementText> s;
    s.reserve(static_cast<size_t>(Count));
    const int inserts = Count * 6 / 10;
    const int updates = Count / 4;
    const int deletes = Count - inserts - updates;
    std::mt19937 rng(42);
    for (int i = 1; i <= inserts; ++i)
        s.push_back({"INSERT INTO T (ID, NAME, AMOUNT) VALUES (" + std::to_string(i) + ", 'name " + std::to_string(i) +
                         "', " + std::to_string(i % 1000) + ".25)",
                     TStatType::stInsert});
    std::uniform_int_distribution<int> pick(1, inserts);
    for (int i = 0; i < updates; ++i)
        s.push_back({"UPDATE T SET NAME = 'changed " + std::to_string(i) + "', AMOUNT = AMOUNT + 1 WHERE ID = " +
                         std::to_string(pick(rng)),
                     TStatType::stUpdate});
    for (int i = 0; i < deletes; ++i)
        s.push_back({"DELETE FROM T WHERE ID = " + std::to_string(inserts - i), TStatType::stDelete});
    return s;
}

const char* kTable = "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), AMOUNT NUMERIC(18,4))";

int RunIsql(const std::string& Database, const std::string& Input)
{
    std::string cmd = "isql-fb -q -user SYSDBA -password masterkey";
    if (!Database.empty()) cmd += " '" + Database + "'";
    cmd += " -i '" + Input + "' > /dev/null 2>&1";
    return std::system(cmd.c_str());
}

long long CountRows(TQELConnection& C)
{
    auto q = C.CreateQuery();
    q->SetSQLText("SELECT COUNT(*), SUM(AMOUNT) FROM T");
    q->Open();
    return (*q->GetFields())[0].AsLargeInt();
}

// The executor as the window's Update uses it: the comparer has put the
// statements into its list, and Execute connects, runs and commits them.
int RunUpdate(const std::string& Master, const std::string& Target, const std::string& Table,
              const std::string& Script)
{
    TQELConnection m, t;
    bench::Open(m, bench::ParseDbSpec(Master));
    const bench::TDbSpec target = bench::ParseDbSpec(Target);
    bench::Open(t, target);
    // The target's executor: the InterBase one for Firebird, else the
    // general one, as the window chooses.
    const bool firebird = target.Kind == bench::TDbKind::FirebirdEmbedded || target.Kind == bench::TDbKind::FirebirdServer;
    const std::unique_ptr<TSQLExec> owner = firebird ? std::make_unique<TIBSQLExec>() : std::make_unique<TSQLExec>();
    TSQLExec& x = *owner;
    int errors = 0;
    if (!bench::CompareIntoExecutor(m, t, x, Table, Script, errors)) return 1;
    m.SetConnected(false);
    bench::Report("statements", static_cast<long long>(x.Count()));
    const auto t1 = std::chrono::steady_clock::now();
    const bool ok = x.Execute();
    bench::Report("exec_s", bench::SecondsSince(t1));
    bench::Report("errors", static_cast<long long>(errors));
    bench::Report("peak_kib", static_cast<long long>(bench::PeakKiB()));
    return ok && errors == 0 ? 0 : 1;
}

int RunIsqlScript(const std::string& Script)
{
    const auto t0 = std::chrono::steady_clock::now();
    const int rc = RunIsql("", Script);
    bench::Report("isql_s", bench::SecondsSince(t0));
    bench::Report("isql_rc", static_cast<long long>(rc));
    return rc == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 6 && std::string(argv[1]) == "update") return RunUpdate(argv[2], argv[3], argv[4], argv[5]);
    } catch (const std::exception& e) {
        std::cerr << "qelSQL_Exec_bench: " << e.what() << "\n";
        return 1;
    }
    if (argc == 3 && std::string(argv[1]) == "isql") return RunIsqlScript(argv[2]);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const fs::path dir = fs::temp_directory_path() / ("velmorin-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir / "lock");
    // A lock folder of this run, shared with the isql-fb it starts.
    ::setenv("FIREBIRD_LOCK", (dir / "lock").c_str(), 1);
    const std::string dbExec = (dir / "exec.fdb").string();
    const std::string dbIsql = (dir / "isql.fdb").string();
    const std::string script = (dir / "script.sql").string();
    int rc = 0;
    {
        const auto statements = MakeScript(count);
        {
            std::ofstream setup(dir / "setup.sql");
            setup << "CREATE DATABASE '" << dbIsql << "' USER 'SYSDBA' PASSWORD 'masterkey' DEFAULT CHARACTER SET UTF8;\n"
                  << kTable << ";\nCOMMIT;\n";
            std::ofstream out(script, std::ios::binary);
            for (const auto& st : statements) out << st.SQL << ";\n";
            out << "COMMIT;\n";
        }
        if (RunIsql("", (dir / "setup.sql").string()) != 0 && !fs::exists(dbIsql)) {
            std::cerr << "isql-fb could not create " << dbIsql << "\n";
            return 1;
        }

        TQELConnection c;
        c.OnErrorMessage = [](TObject&, const std::string& t) { std::cerr << "connection: " << t << "\n"; };
        c.SetDatabaseType(TDatabaseType::dbInterBase);
        c.SetConnectionType(TconnectionType::cnIBX);
        c.ConnectionOptions().DatabaseName = dbExec;
        c.ConnectionOptions().UserName = "SYSDBA";
        c.ConnectionOptions().Password = "masterkey";
        c.IBServerOptions().SetDBCharSet("UTF8");
        if (!c.CreateDatabase()) return 1;
        c.SetConnected(true);
        {
            auto q = c.CreateQuery();
            q->SetSQLText(kTable);
            q->ExecSQL();
            c.Commit();
        }
        c.SetConnected(false);

        TIBSQLExec x;
        x.SetQELConnection(&c);
        int errors = 0;
        x.OnErrorMessage = [&](TObject&, const std::string& t) {
            if (++errors <= 3) std::cerr << "executor: " << t << "\n";
        };

        // The executor reads the same file: one statement per line.
        const auto t0 = std::chrono::steady_clock::now();
        {
            std::ifstream in(script, std::ios::binary);
            std::string line;
            while (std::getline(in, line)) {
                if (line.empty() || line == "COMMIT;") continue;
                line.pop_back();
                const TStatType type = line[0] == 'I' ? TStatType::stInsert
                                       : line[0] == 'U' ? TStatType::stUpdate
                                                        : TStatType::stDelete;
                x.AddStatement(line, type, "T", TDbObject::dboTable,
                               type == TStatType::stInsert   ? TDbOperation::odbInsert
                               : type == TStatType::stUpdate ? TDbOperation::odbUpdate
                                                             : TDbOperation::odbDelete);
            }
        }
        const auto t1 = std::chrono::steady_clock::now();
        const bool ok = x.Execute();
        const auto t2 = std::chrono::steady_clock::now();

        const auto t3 = std::chrono::steady_clock::now();
        const int isqlRc = RunIsql(dbIsql, script);
        const auto t4 = std::chrono::steady_clock::now();

        c.SetConnected(true);
        const long long rowsExec = CountRows(c);
        c.SetConnected(false);
        TQELConnection ci;
        ci.SetDatabaseType(TDatabaseType::dbInterBase);
        ci.SetConnectionType(TconnectionType::cnIBX);
        ci.ConnectionOptions().Assign(c.ConnectionOptions());
        ci.ConnectionOptions().DatabaseName = dbIsql;
        ci.SetConnected(true);
        const long long rowsIsql = ci.Connected() ? CountRows(ci) : -1;
        ci.SetConnected(false);

        using sec = std::chrono::duration<double>;
        const double load = sec(t1 - t0).count();
        const double run = sec(t2 - t1).count();
        const double isql = sec(t4 - t3).count();
        std::printf("statements          %d (%zu in the list)\n", count, static_cast<size_t>(x.Count()));
        std::printf("executor: list      %.3f s\n", load);
        std::printf("executor: Execute   %.3f s  (%s, %d errors, %lld rows left)\n", run, ok ? "ok" : "FAILED", errors,
                    rowsExec);
        std::printf("isql-fb: same file  %.3f s  (exit %d, %lld rows left)\n", isql, isqlRc, rowsIsql);
        std::printf("ratio executor/isql %.2f  (list + Execute: %.2f)\n", run / isql, (load + run) / isql);
        rc = ok && rowsExec == rowsIsql ? 0 : 1;
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return rc;
}
