// The window's Update beside the executor alone and isql-fb, in one run, on
// the same statements against fresh copies of one target.
//
//   qelVelmorinForm_bench [ROWS [REPS]]      (1000000 rows, best of 3)
//
// The seeded row table of ROWS rows (bench/qelBenchSupport.h: 1% missing,
// 1% changed and 1% extra on the target, so 30,000 statements for a million
// rows) is compared and applied three ways, each on a fresh copy of the
// target written to disk first:
//   window    a TForm1 under the offscreen platform, its handlers bound as
//             the program binds them: "Compare", then "Update" timed
//   executor  the comparer fills a TIBSQLExec and writes Result.SQL; the
//             target is connected, Execute runs, it is disconnected, timed
//             as the window's Update does the same three steps
//   isql-fb   runs that Result.SQL, its start included
// The first round checks each target against the master with the comparer.
// Prints "name value" lines: statements, window_s, exec_s, isql_s, the
// ratios window_vs_exec, window_vs_isql and exec_vs_isql, and the processor
// times of the three (isql-fb's engine works in isql-fb's process, ours in
// this one) with window_vs_exec_cpu.
#include "VelmorinForm.h"
#include "qelBenchCompare.h"
#include "qelBenchSupport.h"
#include "qelDBEngine.h"
#include "qelIBSQLExec.h"
#include "qelVelmorin.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

using namespace qel;
namespace fs = std::filesystem;

namespace {

const char* const Table = "PERF_FORM";

// The target connection as the window sets it up for a local InterBase side.
void ConfigureAsWindow(TQELConnection& C, const std::string& Path)
{
    C.OnErrorMessage = [](TObject&, const std::string& t) { std::cerr << "connection: " << t << "\n"; };
    C.SetConnectionType(TconnectionType::cnIBX);
    C.ConnectionOptions().Protocol = TQELProtocol::ptLocal;
    C.SetDatabaseType(TDatabaseType::dbInterBase);
    C.ConnectionOptions().DatabaseName = Path;
    C.ConnectionOptions().UserName = "SYSDBA";
    C.ConnectionOptions().Password = "masterkey";
}

void Fresh(const fs::path& Pristine, const fs::path& Target)
{
    fs::copy_file(Pristine, Target, fs::copy_options::overwrite_existing);
    ::sync();
}

// The differences the comparer still finds; -1 when it fails.
long long Differences(const std::string& Master, const std::string& Target)
{
    TQELConnection m, t;
    ConfigureAsWindow(m, Master);
    ConfigureAsWindow(t, Target);
    TVelmorin c;
    c.SetQELConnectionMaster(&m);
    c.SetQELConnectionTarget(&t);
    c.SetTableNameMaster(Table);
    c.SetTableNameTarget(Table);
    bool failed = false;
    c.OnErrorMessage = [&](TObject&, const std::string& text) {
        failed = true;
        std::cerr << "check: " << text << "\n";
    };
    if (!c.Execute() || failed) return -1;
    return c.Inserted + c.Updated + c.Deleted;
}

// Processor time of this process (its engine threads too) or of its
// finished children, user and system, in seconds.
double CpuSeconds(int Who)
{
    rusage u {};
    ::getrusage(Who, &u);
    auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return s(u.ru_utime) + s(u.ru_stime);
}

struct TRun {
    double Seconds = 0;
    double Cpu = 0;
    long long Statements = 0;
    bool Ok = false;
};

TRun RunWindow(const std::string& Master, const std::string& Target, const fs::path& Dir)
{
    fs::create_directories(Dir);
    fs::current_path(Dir);
    TRun r;
    TForm1 form(QString::fromStdString(Dir.string()));
    form.show();
    QCoreApplication::processEvents();
    form.EditDBNameM->setText(QString::fromStdString(Master));
    form.EditDBNameT->setText(QString::fromStdString(Target));
    for (QLineEdit* e : {form.EditPswdM, form.EditPswdT}) e->setText(QStringLiteral("masterkey"));
    for (QLineEdit* e : {form.EditTableM, form.EditTableT}) e->setText(QString::fromLatin1(Table));
    form.BtnCompareClick();
    r.Statements = form.IBSQLExec->Count();
    const double c0 = CpuSeconds(RUSAGE_SELF);
    const auto t0 = std::chrono::steady_clock::now();
    form.BtnUpdateClick();
    r.Seconds = bench::SecondsSince(t0);
    r.Cpu = CpuSeconds(RUSAGE_SELF) - c0;
    const QStringList log = form.MemoLog->toPlainText().split(QLatin1Char('\n'));
    r.Ok = log.back() == QLatin1String("< Script executed succesfully! >");
    if (!r.Ok) {
        const QStringList last = log.mid(std::max<qsizetype>(0, log.size() - 5));
        std::cerr << "window: " << last.join('\n').toStdString() << '\n';
    }
    return r;
}

TRun RunExecutor(const std::string& Master, const std::string& Target, const fs::path& Dir)
{
    fs::create_directories(Dir);
    TRun r;
    TQELConnection m, t;
    ConfigureAsWindow(m, Master);
    ConfigureAsWindow(t, Target);
    TIBSQLExec x;
    int errors = 0;
    if (!bench::CompareIntoExecutor(m, t, x, Table, (Dir / "Result.SQL").string(), errors)) return r;
    r.Statements = x.Count();
    const double c0 = CpuSeconds(RUSAGE_SELF);
    const auto t0 = std::chrono::steady_clock::now();
    t.SetConnected(true);
    const bool ok = x.Execute();
    t.SetConnected(false);
    r.Seconds = bench::SecondsSince(t0);
    r.Cpu = CpuSeconds(RUSAGE_SELF) - c0;
    r.Ok = ok && errors == 0;
    return r;
}

TRun RunIsql(const fs::path& Script)
{
    TRun r;
    const std::string cmd = "isql-fb -q -user SYSDBA -password masterkey -i '" + Script.string() + "' > /dev/null 2>&1";
    const double c0 = CpuSeconds(RUSAGE_CHILDREN);
    const auto t0 = std::chrono::steady_clock::now();
    r.Ok = std::system(cmd.c_str()) == 0;
    r.Seconds = bench::SecondsSince(t0);
    r.Cpu = CpuSeconds(RUSAGE_CHILDREN) - c0;
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    const long long rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const int reps = argc > 2 ? std::atoi(argv[2]) : 3;
    const fs::path dir = fs::temp_directory_path() / ("velmorin-form-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir / "lock");
    fs::create_directories(dir / "xdg");
    fs::permissions(dir / "xdg", fs::perms::owner_all);
    ::setenv("FIREBIRD_LOCK", (dir / "lock").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_RUNTIME_DIR", (dir / "xdg").c_str(), 1);
    int argcQt = 1;
    QApplication app(argcQt, argv);

    const std::string master = (dir / "master.fdb").string();
    const std::string target = (dir / "target.fdb").string();
    const fs::path pristine = dir / "pristine.fdb";
    int rc = 1;
    try {
        for (const auto& [path, isTarget] : {std::pair{master, false}, std::pair{pristine.string(), true}}) {
            TQELConnection c;
            bench::Open(c, bench::ParseDbSpec("fb:" + path), true);
            bench::FillRowTable(c, bench::TDbKind::FirebirdEmbedded, Table, rows, 20240601, isTarget);
        }
        std::vector<double> window, exec, isql, windowCpu, execCpu, isqlCpu;
        long long statements = 0;
        bool ok = true;
        for (int i = 0; i < reps && ok; ++i) {
            Fresh(pristine, target);
            const TRun w = RunWindow(master, target, dir / "window");
            ok = ok && w.Ok && (i > 0 || Differences(master, target) == 0);
            Fresh(pristine, target);
            const TRun x = RunExecutor(master, target, dir / "exec");
            ok = ok && x.Ok && x.Statements == w.Statements && (i > 0 || Differences(master, target) == 0);
            Fresh(pristine, target);
            const TRun s = RunIsql(dir / "exec" / "Result.SQL");
            ok = ok && s.Ok && (i > 0 || Differences(master, target) == 0);
            statements = w.Statements;
            window.push_back(w.Seconds);
            exec.push_back(x.Seconds);
            isql.push_back(s.Seconds);
            windowCpu.push_back(w.Cpu);
            execCpu.push_back(x.Cpu);
            isqlCpu.push_back(s.Cpu);
            std::cerr << "round " << i + 1 << ": window " << w.Seconds << " s (cpu " << w.Cpu << " s), executor "
                      << x.Seconds << " s (cpu " << x.Cpu << " s), isql-fb " << s.Seconds << " s (cpu " << s.Cpu
                      << " s)\n";
        }
        if (ok) {
            const double w = *std::min_element(window.begin(), window.end());
            const double x = *std::min_element(exec.begin(), exec.end());
            const double s = *std::min_element(isql.begin(), isql.end());
            bench::Report("statements", statements);
            bench::Report("window_s", w);
            bench::Report("exec_s", x);
            bench::Report("isql_s", s);
            bench::Report("window_vs_exec", w / x);
            bench::Report("window_vs_isql", w / s);
            bench::Report("exec_vs_isql", x / s);
            // Processor time, which the shared disk's waits do not blur.
            const double wc = *std::min_element(windowCpu.begin(), windowCpu.end());
            const double xc = *std::min_element(execCpu.begin(), execCpu.end());
            bench::Report("window_cpu_s", wc);
            bench::Report("exec_cpu_s", xc);
            bench::Report("isql_cpu_s", *std::min_element(isqlCpu.begin(), isqlCpu.end()));
            bench::Report("window_vs_exec_cpu", wc / xc);
            rc = 0;
        } else {
            std::cerr << "qelVelmorinForm_bench: a run failed or left differences\n";
        }
    } catch (const std::exception& e) {
        std::cerr << "qelVelmorinForm_bench: " << e.what() << "\n";
    }
    fs::current_path(fs::temp_directory_path());
    std::error_code ec;
    fs::remove_all(dir, ec);
    return rc;
}
