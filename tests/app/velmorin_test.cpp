// The program as its users start it: the built binary, under the offscreen
// platform, in a folder of its own (a copy, since its settings file lives
// beside it), ended by a signal.
#include "qelEngineTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using qeltest::ReadFile;
using qeltest::WriteFile;

struct TSignalCase {
    int Signal;
    const char* Name;
    // Whether the program has compared (and so attached to both databases)
    // before the signal comes.
    bool Connected;
};

class ProgramTest : public ::testing::TestWithParam<TSignalCase> {
protected:
    // An embedded database with the window's sample table.
    std::string Create(const std::string& Name, const char* Row)
    {
        const std::string path = dir.File(Name);
        qeltest::CreateFirebird(path);
        qeltest::TInspector db(path);
        db.Run("CREATE TABLE PRODUCTS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40))");
        db.Run(std::string("INSERT INTO PRODUCTS VALUES ") + Row);
        return path;
    }

    // Starts the copy of the program in the folder; stdout and stderr go to
    // a file there.
    pid_t Start(const std::vector<std::string>& Args)
    {
        const std::filesystem::path program = dir.Path() / "velmorin";
        std::filesystem::copy_file(VELMORIN_BINARY, program);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, dir.Path().c_str());
        posix_spawn_file_actions_addopen(&actions, 1, dir.File("output").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        std::vector<std::string> args{program.string()};
        args.insert(args.end(), Args.begin(), Args.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(rc, 0);
        return rc == 0 ? pid : -1;
    }

    // The exit status, or -1 when the program is still running after Limit
    // (it is then killed).
    static int WaitFor(pid_t Pid, std::chrono::milliseconds Limit)
    {
        const auto end = std::chrono::steady_clock::now() + Limit;
        int status = 0;
        while (std::chrono::steady_clock::now() < end) {
            if (::waitpid(Pid, &status, WNOHANG) == Pid) return status;
            std::this_thread::sleep_for(20ms);
        }
        ::kill(Pid, SIGKILL);
        ::waitpid(Pid, &status, 0);
        return -1;
    }

    qeltest::TempDir dir;
};

TEST_P(ProgramTest, SignalEndsTheProgramWithItsSettingsSaved)
{
    const TSignalCase& c = GetParam();
    const std::string master = Create("master.fdb", "(1, 'one')");
    const std::string target = Create("target.fdb", "(1, 'uno')");
    // No server types in the file: the saved file has them.
    WriteFile(dir.File("Kestrova.Ini"), "[Databases]\r\nDBNameM=" + master + "\r\nDBNameT=" + target +
                                            "\r\nUserNameM=SYSDBA\r\nUserNameT=SYSDBA\r\nPasswordM=masterkey\r\n"
                                            "PasswordT=masterkey\r\nTableNameM=PRODUCTS\r\nTableNameT=PRODUCTS\r\n");
    const pid_t pid = Start(c.Connected ? std::vector<std::string>{"--compare"} : std::vector<std::string>{});
    ASSERT_GT(pid, 0);
    if (c.Connected) {
        // The comparison writes its script once both databases are attached.
        const auto end = std::chrono::steady_clock::now() + 30s;
        auto compared = [&] { return ReadFile(dir.File("Result.SQL")).find("UPDATE") != std::string::npos; };
        while (std::chrono::steady_clock::now() < end && !compared()) std::this_thread::sleep_for(20ms);
        ASSERT_NE(ReadFile(dir.File("Result.SQL")).find("UPDATE"), std::string::npos) << ReadFile(dir.File("output"));
    }
    std::this_thread::sleep_for(500ms);
    ASSERT_EQ(::kill(pid, c.Signal), 0);
    const int status = WaitFor(pid, 20s);
    const std::string output = ReadFile(dir.File("output"));
    ASSERT_NE(status, -1) << "still running after " << c.Name << "\n" << output;
    EXPECT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_NE(output.find(std::string("velmorin: ") + c.Name + " received: the program ends."), std::string::npos)
        << output;
    const std::string settings = ReadFile(dir.File("Kestrova.Ini"));
    EXPECT_NE(settings.find("DatabaseTypeM=1\r\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("TableNameT=PRODUCTS\r\n"), std::string::npos) << settings;
    // The attachments were closed: the databases open again at once.
    EXPECT_EQ(qeltest::TInspector(master).Rows("SELECT NAME FROM PRODUCTS").at(0).at(0), "one");
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramTest,
                         ::testing::Values(TSignalCase{SIGTERM, "SIGTERM", true}, TSignalCase{SIGINT, "SIGINT", true},
                                           TSignalCase{SIGTERM, "SIGTERM", false}),
                         [](const auto& Info) {
                             const TSignalCase& c = Info.param;
                             return std::string(c.Name) + (c.Connected ? "AfterConnecting" : "AtStart");
                         });

} // namespace
