// Compares two Firebird tables of N rows that differ in 1% of them, and
// prints beside the comparer's time the time the plain client layer needs to
// fetch both ordered result sets, their ratio, and the peak resident memory
// of the comparison beside that of a 10,000-row comparison.
//
//   qelVelmorin_bench [rows]     (default 1000000)
//
// With VELMORIN_FB_HOST and VELMORIN_FB_SERVER_DIR set the databases live on
// that server, so that the engine's page cache and sort memory stay out of
// the measured process; otherwise the embedded engine is used, whose own
// memory then counts too.
#include "qelDBEngine.h"
#include "qelDataSet.h"
#include "qelIBClient.h"
#include "qelIBQuery.h"
#include "qelVelmorin.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>

using namespace qel;
namespace fs = std::filesystem;

namespace {

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v != nullptr ? std::string(v) : std::string();
}

// Peak resident memory (VmHWM) in KiB, and its reset.
long PeakKiB()
{
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

void ResetPeak()
{
    std::ofstream f("/proc/self/clear_refs");
    f << "5";
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct TDatabase {
    std::string Name;     // as the client library takes it
    std::string Host;
    std::string Path;
    TQELConnection Connection;

    void Run(const std::string& SQL)
    {
        auto q = Connection.CreateQuery();
        q->SetParamCheck(false);
        q->SetSQLText(SQL);
        q->ExecSQL();
        Connection.Commit();
    }
};

void Open(TDatabase& Db, const std::string& Folder, const std::string& File)
{
    TQELConnection& c = Db.Connection;
    c.SetDatabaseType(TDatabaseType::dbInterBase);
    c.SetConnectionType(TconnectionType::cnIBX);
    c.ConnectionOptions().UserName = Env("VELMORIN_FB_USER").empty() ? "SYSDBA" : Env("VELMORIN_FB_USER");
    c.ConnectionOptions().Password = Env("VELMORIN_FB_PASSWORD").empty() ? "masterkey" : Env("VELMORIN_FB_PASSWORD");
    c.IBServerOptions().SetDBCharSet("UTF8");
    c.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
    Db.Path = (fs::path(Folder) / File).string();
    fs::remove(Db.Path);
    c.ConnectionOptions().DatabaseName = Db.Path;
    if (!Db.Host.empty()) {
        c.ConnectionOptions().HostName = Db.Host;
        c.ConnectionOptions().Protocol = TQELProtocol::ptTCP;
        Db.Name = Db.Host + ":" + Db.Path;
    } else {
        c.ConnectionOptions().Protocol = TQELProtocol::ptLocal;
        Db.Name = Db.Path;
    }
    c.OnErrorMessage = [](TObject&, const std::string& t) { std::cerr << t << "\n"; };
    if (!c.CreateDatabase()) std::exit(1);
    c.SetConnected(true);
    if (!c.Connected()) std::exit(1);
}

// N rows made by the server; Changes alters 1% of them on the target.
void Fill(TDatabase& Db, const std::string& Table, int Rows, bool Target)
{
    Db.Run("create table " + Table +
           " (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), AMOUNT NUMERIC(18,4), TS TIMESTAMP, D DOUBLE PRECISION)");
    Db.Run("execute block as declare i integer = 0; begin while (i < " + std::to_string(Rows) +
           ") do begin insert into " + Table +
           " values (:i, 'name ' || :i, :i * 1.25, dateadd(:i second to timestamp '2020-01-01 00:00:00'), :i / 7.0); "
           "i = i + 1; end end");
    if (Target) {
        // 0.4% changed, 0.3% missing, 0.3% more.
        Db.Run("update " + Table + " set NAME = 'changed' where mod(ID, 250) = 0");
        Db.Run("delete from " + Table + " where mod(ID, 333) = 1");
        Db.Run("execute block as declare i integer = 0; begin while (i < " + std::to_string(Rows * 3 / 1000) +
               ") do begin insert into " + Table + " values (" + std::to_string(Rows) +
               " + :i, 'extra', 0, Null, Null); i = i + 1; end end");
    }
}

// Both ordered result sets through the client layer alone, every value read.
double FetchBoth(TDatabase& M, TDatabase& T, const std::string& Table, long long& Rows)
{
    const auto start = std::chrono::steady_clock::now();
    Rows = 0;
    for (TDatabase* db : {&M, &T}) {
        TIBDatabase d;
        d.SetDatabaseName(db->Name);
        d.Params().SetLines({"user_name=" + db->Connection.ConnectionOptions().UserName,
                             "password=" + db->Connection.ConnectionOptions().Password, "lc_ctype=UTF8"});
        d.Open();
        TIBTransaction tr(&d);
        tr.Params().SetLines({"concurrency", "nowait"});
        d.SetDefaultTransaction(&tr);
        TIBSQL s(&d, &tr);
        s.SetSQL("select ID, NAME, AMOUNT, TS, D from " + Table + " order by ID");
        s.ExecQuery();
        std::size_t bytes = 0;
        while (!s.Eof()) {
            TFields& f = s.Fields();
            for (int i = 0; i < f.Count(); ++i) bytes += f[i].IsNull() ? 0 : 1;
            ++Rows;
            s.Next();
        }
        s.Close();
        tr.Commit();
        if (bytes == 0) std::cerr << "";
    }
    return Seconds(start);
}

double Compare(TDatabase& M, TDatabase& T, const std::string& Table, const std::string& Folder, TVelmorin& C)
{
    C.SetQELConnectionMaster(&M.Connection);
    C.SetQELConnectionTarget(&T.Connection);
    C.SetTableNameMaster(Table);
    C.SetTableNameTarget(Table);
    C.SetScriptFileName((fs::path(Folder) / ("Result-" + Table + ".SQL")).string());
    C.OnErrorMessage = [](TObject&, const std::string& t) { std::cerr << t << "\n"; };
    const auto start = std::chrono::steady_clock::now();
    if (!C.Execute()) std::exit(1);
    return Seconds(start);
}

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int small = 10000;
    std::string host = Env("VELMORIN_FB_HOST");
    std::string folder = Env("VELMORIN_FB_SERVER_DIR");
    if (host.empty() || folder.empty()) {
        host.clear();
        folder = (fs::temp_directory_path() / ("velmorin-bench-" + std::to_string(::getpid()))).string();
        fs::create_directories(folder);
        if (Env("FIREBIRD_LOCK").empty()) {
            const std::string lock = folder + "/lock";
            fs::create_directories(lock);
            ::setenv("FIREBIRD_LOCK", lock.c_str(), 1);
        }
    }
    const std::string outFolder = (fs::temp_directory_path() / ("velmorin-bench-out-" + std::to_string(::getpid()))).string();
    fs::create_directories(outFolder);

    TDatabase master, target;
    master.Host = target.Host = host;
    const std::string stem = "velmorin-bench-" + std::to_string(::getpid());
    Open(master, folder, stem + "-m.fdb");
    Open(target, folder, stem + "-t.fdb");
    std::cout << "engine: " << (host.empty() ? "embedded (its memory counts)" : "server " + host) << "\n";
    std::cout << "filling " << rows << " and " << small << " rows on both sides..." << std::flush;
    const auto fillStart = std::chrono::steady_clock::now();
    Fill(master, "BIG", rows, false);
    Fill(target, "BIG", rows, true);
    Fill(master, "SMALL", small, false);
    Fill(target, "SMALL", small, true);
    std::cout << " " << Seconds(fillStart) << " s\n";

    ResetPeak();
    long long fetched = 0;
    const double fetch = FetchBoth(master, target, "BIG", fetched);
    const long fetchPeak = PeakKiB();

    ResetPeak();
    TVelmorin smallRun;
    Compare(master, target, "SMALL", outFolder, smallRun);
    const long smallPeak = PeakKiB();

    ResetPeak();
    TVelmorin bigRun;
    const double compare = Compare(master, target, "BIG", outFolder, bigRun);
    const long bigPeak = PeakKiB();

    std::printf("rows per side:            %d (target %lld fetched in all)\n", rows, fetched);
    std::printf("differences:              inserted %d, updated %d, deleted %d, equal %d\n", bigRun.Inserted,
                bigRun.Updated, bigRun.Deleted, bigRun.Equal);
    std::printf("fetch both ordered sets:  %.2f s (client layer alone)\n", fetch);
    std::printf("comparer:                 %.2f s\n", compare);
    std::printf("ratio comparer / fetch:   %.2f\n", compare / fetch);
    std::printf("peak resident memory:     %ld KiB for %d rows, %ld KiB for %d rows (fetch alone: %ld KiB)\n",
                bigPeak, rows, smallPeak, small, fetchPeak);

    master.Connection.SetConnected(false);
    target.Connection.SetConnected(false);
    std::error_code ec;
    fs::remove(master.Path, ec);
    fs::remove(target.Path, ec);
    fs::remove_all(outFolder, ec);
    if (host.empty()) fs::remove_all(folder, ec);
    return 0;
}
