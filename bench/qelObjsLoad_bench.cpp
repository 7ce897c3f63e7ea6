// Loads scripts of many tables or many grants through the two script parsers
// into an object collection, and prints how the cost per object grows with
// the size of the script: a collection that loads in linear time keeps the
// time per object and the memory per object near those of the smallest
// size.
//
//   qelObjsLoad_bench [sizes...]          (default 12500 25000 50000 100000)
//       runs every case at every size, each in a process of its own so that
//       each peak is its own, and prints the table
//   qelObjsLoad_bench one PARSER KIND N
//       PARSER ib (InterBase script, read as the InterBase executor reads
//       it) or ms (T-SQL batches); KIND tables,
//       grants (one statement or batch each) or grants1 (T-SQL: every GRANT
//       in one batch); prints "load_s", "script_s" (the whole-database
//       script of the collection, built after the load), "objects",
//       "base_kib" and "peak_kib"
#include "qelBenchSupport.h"
#include "qelIBExParser.h"
#include "qelMSSQLScriptParser.h"
#include "qelObjs.h"
#include "qelStrings.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace qel;

namespace {

// Grants spread over this many tables, so that their merge search and the
// tables' lists of users both grow with the script.
constexpr int kGrantTables = 100;

std::string TableText(int I)
{
    const std::string n = std::to_string(I);
    return "CREATE TABLE T" + n + " (ID INTEGER NOT NULL, NAME VARCHAR(40), AMOUNT NUMERIC(18,4))";
}

// GRANT i: a privilege on one of the grant tables to a grantee of its own;
// every fourth grant repeats an earlier one with another privilege, so that
// merging is part of the load.
std::string GrantText(int I)
{
    const int table = I % kGrantTables;
    const bool again = I % 4 == 3;
    const int user = again ? I - 1 : I;
    return std::string("GRANT ") + (again ? "UPDATE" : "SELECT") + " ON T" + std::to_string(table) + " TO U" +
           std::to_string(user);
}

// The script as lines: InterBase statements end with ";", T-SQL batches
// with GO, except when OneBatch puts every statement in one batch.
void MakeScript(bool MS, const std::string& Kind, int N, TStringList& Lines)
{
    const std::string end = MS ? "" : ";";
    const bool oneBatch = Kind == "grants1";
    if (Kind == "tables") {
        for (int i = 0; i < N; ++i) {
            Lines.Add(TableText(i) + end);
            if (MS) Lines.Add("GO");
        }
        return;
    }
    for (int i = 0; i < kGrantTables; ++i) {
        Lines.Add(TableText(i) + end);
        if (MS) Lines.Add("GO");
    }
    for (int i = 0; i < N; ++i) {
        Lines.Add(GrantText(i) + end);
        if (MS && !oneBatch) Lines.Add("GO");
    }
    if (MS && oneBatch) Lines.Add("GO");
}

int CountObjects(const TObjs& Objs) { return Objs.Tables.Count() + Objs.Grants.Count(); }

int RunOne(const std::string& Parser, const std::string& Kind, int N)
{
    const bool ms = Parser == "ms";
    if ((!ms && Parser != "ib") || (Kind != "tables" && Kind != "grants" && Kind != "grants1") || N <= 0) {
        std::cerr << "usage: qelObjsLoad_bench one ib|ms tables|grants|grants1 N\n";
        return 2;
    }
    TStringList lines;
    MakeScript(ms, Kind, N, lines);
    const long base = bench::PeakKiB();
    int objects = 0;
    int errors = 0;
    double scriptSeconds = 0;
    const auto start = std::chrono::steady_clock::now();
    {
        auto objs = std::make_unique<TObjs>();
        if (ms) {
            objs->SetDatabaseType(TDatabaseType::dbMSSQL);
            auto parser = MakeParser<TMSSQLParser>();
            parser->OnErrorMessage = [&errors](TObject&, const std::string&) { ++errors; };
            parser->ParseScript(lines, objs.get());
        } else {
            objs->SetDatabaseType(TDatabaseType::dbInterBase);
            objs->IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
            auto parser = MakeParser<TIbExParser>();
            parser->OnErrorMessage = [&errors](TObject&, const std::string&) { ++errors; };
            parser->ParseScript(lines, objs.get());
        }
        objects = CountObjects(*objs);
        // The whole-database script of what was loaded, timed apart.
        const auto built = std::chrono::steady_clock::now();
        TStringList script;
        objs->GetScript(script);
        scriptSeconds = bench::SecondsSince(built);
    }
    // The collection is freed inside the timing: tearing down its links
    // is part of what a load costs.
    bench::Report("load_s", bench::SecondsSince(start) - scriptSeconds);
    bench::Report("script_s", scriptSeconds);
    bench::Report("objects", static_cast<long long>(objects));
    bench::Report("errors", static_cast<long long>(errors));
    bench::Report("base_kib", static_cast<long long>(base));
    bench::Report("peak_kib", static_cast<long long>(bench::PeakKiB()));
    return 0;
}

struct TFigures {
    double Seconds = 0;
    double ScriptSeconds = 0;
    long long Objects = 0;
    long long Errors = 0;
    long long Kib = 0; // the peak above the base: what the load added
};

// Runs "one" in a child process and reads its figures from a pipe.
bool RunChild(const std::string& Self, const std::string& Parser, const std::string& Kind, int N, TFigures& Out)
{
    int fd[2];
    if (pipe(fd) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        dup2(fd[1], STDOUT_FILENO);
        close(fd[0]);
        close(fd[1]);
        const std::string n = std::to_string(N);
        execl(Self.c_str(), Self.c_str(), "one", Parser.c_str(), Kind.c_str(), n.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fd[1]);
    std::string text;
    std::array<char, 4096> buf{};
    for (ssize_t got; (got = read(fd[0], buf.data(), buf.size())) > 0;) text.append(buf.data(), static_cast<std::size_t>(got));
    close(fd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
    std::map<std::string, double> v;
    TStringList lines;
    lines.SetText(text);
    for (const std::string& line : lines.Lines())
        if (const auto sp = line.find(' '); sp != std::string::npos) v[line.substr(0, sp)] = std::atof(line.c_str() + sp + 1);
    Out.Seconds = v["load_s"];
    Out.ScriptSeconds = v["script_s"];
    Out.Objects = static_cast<long long>(v["objects"]);
    Out.Errors = static_cast<long long>(v["errors"]);
    Out.Kib = static_cast<long long>(v["peak_kib"] - v["base_kib"]);
    return true;
}

int RunAll(const std::string& Self, std::vector<int> Sizes)
{
    if (Sizes.empty()) Sizes = {12500, 25000, 50000, 100000};
    const std::pair<const char*, const char*> cases[] = {
        {"ib", "tables"}, {"ib", "grants"}, {"ms", "tables"}, {"ms", "grants"}, {"ms", "grants1"}};
    std::printf("%-12s %9s %9s %12s %8s %10s %8s %12s %8s %7s\n", "case", "objects", "seconds", "us/object", "ratio",
                "KiB/object", "ratio", "script us/o", "ratio", "errors");
    int rc = 0;
    for (const auto& [parser, kind] : cases) {
        double firstTime = 0;
        double firstKib = 0;
        double firstScript = 0;
        for (int n : Sizes) {
            TFigures f;
            const std::string name = std::string(parser) + " " + kind;
            if (!RunChild(Self, parser, kind, n, f) || f.Objects <= 0) {
                std::printf("%-12s %9d failed\n", name.c_str(), n);
                rc = 1;
                continue;
            }
            const double perTime = f.Seconds / static_cast<double>(n);
            const double perKib = static_cast<double>(f.Kib) / static_cast<double>(n);
            if (firstTime == 0) {
                firstTime = perTime;
                firstKib = perKib;
            }
            const double perScript = f.ScriptSeconds / static_cast<double>(n);
            if (firstScript == 0) firstScript = perScript;
            std::printf("%-12s %9d %9.3f %12.2f %8.2f %10.3f %8.2f %12.2f %8.2f %7lld\n", name.c_str(), n, f.Seconds,
                        perTime * 1e6, firstTime > 0 ? perTime / firstTime : 0.0, perKib,
                        firstKib > 0 ? perKib / firstKib : 0.0, perScript * 1e6,
                        firstScript > 0 ? perScript / firstScript : 0.0, f.Errors);
            std::fflush(stdout);
        }
    }
    std::printf("\nratio: the cost per object against that of the smallest size (linear: near 1).\n"
                "The script of the loaded collection is built after the load and timed apart.\n"
                "Memory is the peak above what the process held before the load; the\n"
                "collection is freed inside the timing.\n");
    return rc;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc >= 2 && std::string(argv[1]) == "one") {
            if (argc != 5) return RunOne("", "", 0);
            return RunOne(argv[2], argv[3], std::atoi(argv[4]));
        }
        std::vector<int> sizes;
        for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
        return RunAll("/proc/self/exe", sizes);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
