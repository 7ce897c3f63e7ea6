// The whole-database script rebuilds the database a script builds: for each
// script, database A is built by isql-fb from the script itself, database B
// by isql-fb from the collection's script after the InterBase parser has
// read the same script, and isql-fb -x of the two is the same once the
// order of the objects is set aside. B's run has no error.
#include "qelIBExParser.h"
#include "qelObjs.h"
#include "qelRoundTripSupport.h"
#include "qelTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <regex>
#include <string>

using namespace qel;

namespace {

const std::string kExamples = "/usr/share/doc/firebird3.0-common-doc/examples/";

struct TRoundTripRow {
    const char* Label;
    // The script, or "@" and a file of the examples (gzip-ed or not, its
    // INPUT lines read in).
    std::string Script;
    // Why the row waits, when the parser cannot read the script yet; the
    // row is then skipped.
    const char* Waits = nullptr;
};

std::string ExampleText(const std::string& File)
{
    const std::string path = kExamples + File;
    std::string text;
    if (path.ends_with(".gz")) {
        qeltest::TempDir dir;
        const std::string out = dir.File("example.sql");
        if (std::system(("gzip -dc '" + path + "' > '" + out + "'").c_str()) != 0) return {};
        text = qeltest::ReadFile(out);
    } else {
        text = qeltest::ReadFile(path);
    }
    // INPUT 'x.sql'; reads x from the same folder.
    const std::string folder = std::filesystem::path(File).parent_path().string();
    static const std::regex input(R"((^|\n)\s*input\s+'([^']*)'\s*;)", std::regex::icase);
    std::smatch m;
    while (std::regex_search(text, m, input))
        text = m.prefix().str() + m[1].str() + ExampleText((folder.empty() ? "" : folder + "/") + m[2].str()) +
               m.suffix().str();
    return text;
}

// The script with the database it creates or connects to named Database;
// a script that names none creates it first.
std::string OnDatabase(const std::string& Script, const std::string& Database)
{
    static const std::regex name(R"(((create|connect)\s+database\s+|connect\s+)('[^']*'|"[^"]*"))", std::regex::icase);
    if (std::regex_search(Script, name)) return std::regex_replace(Script, name, "$1'" + Database + "'");
    return "CREATE DATABASE '" + Database + "';\n" + Script;
}

// What creates the database in Script, named Database: the script's own
// SET SQL DIALECT, SET NAMES and CREATE DATABASE (the database's dialect, page size
// and default character set), or a plain CREATE DATABASE.
std::string CreateStatement(const std::string& Script, const std::string& Database)
{
    static const std::regex create(R"((create\s+database\s+)('[^']*'|"[^"]*")([^;]*;))", std::regex::icase);
    static const std::regex settings(R"(set\s+(sql\s+dialect\s+\d|names\s+\w+)\s*;)", std::regex::icase);
    std::smatch m;
    if (!std::regex_search(Script, m, create)) return "CREATE DATABASE '" + Database + "';\n";
    const std::string before = m.prefix().str();
    std::string head;
    for (auto it = std::sregex_iterator(before.begin(), before.end(), settings); it != std::sregex_iterator(); ++it)
        head += it->str() + "\n";
    return head + m[1].str() + "'" + Database + "'" + m[3].str() + "\n";
}

// The collection's script of what the parser read from Script, after the
// statement that creates Database as Script does. The header's own CREATE
// DATABASE is left out: the options keep one character set for SET NAMES
// and the database's default, so it cannot tell them apart.
std::string CollectionScript(const std::string& Script, const std::string& Database, std::string& Errors)
{
    TObjs objs;
    objs.SetDatabaseType(TDatabaseType::dbInterBase);
    objs.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
    auto parser = MakeParser<TIbExParser>();
    parser->OnErrorMessage = [&Errors](TObject&, const std::string& Text) { Errors += Text + "\n"; };
    TStringList lines;
    lines.SetText(Script);
    parser->ParseScript(lines, &objs);
    objs.ScriptOptions().Connect = false;
    TStringList script;
    objs.GetScript(script);
    return CreateStatement(Script, Database) + script.Text();
}

void PrintTo(const TRoundTripRow& Row, std::ostream* Out) { *Out << Row.Label; }

class RoundTrip : public ::testing::TestWithParam<TRoundTripRow> {};

TEST_P(RoundTrip, RebuildsTheSameMetadata)
{
    const TRoundTripRow& row = GetParam();
    if (std::system("command -v isql-fb >/dev/null 2>&1") != 0)
        QEL_SKIP_OR_FAIL("isql-fb is not installed (firebird3.0-utils)");
    if (row.Waits != nullptr) GTEST_SKIP() << row.Waits;
    std::string source = row.Script;
    if (source.starts_with("@")) {
        if (!std::filesystem::exists(kExamples)) QEL_SKIP_OR_FAIL("firebird3.0-examples is missing");
        source = ExampleText(source.substr(1));
        static const std::regex reserved(R"(FUNCTION (lower|trim)\b)", std::regex::icase);
        source = std::regex_replace(source, reserved, "FUNCTION \"$1\"");
        ASSERT_FALSE(source.empty()) << row.Script;
    }
    qeltest::UsePrivateFirebirdLock();
    qeltest::TempDir dir;
    const std::string a = dir.File("a.fdb"), b = dir.File("b.fdb");

    const std::string runA = qeltest::RunIsql(OnDatabase(source, a), dir.Path().string());
    ASSERT_EQ(runA.find("Statement failed"), std::string::npos) << "the script itself fails:\n" << runA;
    std::string parseErrors;
    const std::string script = CollectionScript(source, b, parseErrors);
    const std::string runB = qeltest::RunIsql(script, dir.Path().string());
    EXPECT_EQ(runB.find("Statement failed"), std::string::npos) << runB << "\n" << parseErrors << "\n" << script;

    const std::string extractA = qeltest::NormalisedExtract(qeltest::ExtractMetadata(a, dir.Path().string()));
    const std::string extractB = qeltest::NormalisedExtract(qeltest::ExtractMetadata(b, dir.Path().string()));
    EXPECT_FALSE(extractA.empty());
    EXPECT_EQ(qeltest::ExtractDifference(extractA, extractB), "") << parseErrors << "\n" << script;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RoundTrip,
    ::testing::Values(TRoundTripRow{"Employee", "@employee.sql.gz"},
                      TRoundTripRow{"Package", "@package/fbout-test.sql",
                                    "the parser drops a CHARACTER SET equal to the one SET NAMES gave"},
                      // LOWER and TRIM are reserved words since Firebird 2.1:
                      // the example declares them unquoted and fails itself.
                      TRoundTripRow{"UDF", "@udf/udf.sql"},
                      TRoundTripRow{"Filter", "@api/api9f.sql", "blob filters are no objects of the collection"}),
    [](const ::testing::TestParamInfo<TRoundTripRow>& Info) { return std::string(Info.param.Label); });

} // namespace
