#include "qelRoundTripIB.h"

#include "qelEngineTestSupport.h"
#include "qelIBExParser.h"
#include "qelIBSQLExec.h"
#include "qelObjs.h"
#include "qelRoundTripSupport.h"
#include "qelTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>

using namespace qel;

namespace qeltest {

namespace {

const std::string kExamples = "/usr/share/doc/firebird3.0-common-doc/examples/";


// A normalised extract without its DECLARE FILTER statements.
std::string WithoutFilters(const std::string& Extract)
{
    std::string kept;
    std::istringstream lines(Extract);
    for (std::string line; std::getline(lines, line);)
        if (!line.starts_with("DECLARE FILTER ")) kept += line + "\n";
    return kept;
}

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

} // namespace

std::string OnDatabase(const std::string& Script, const std::string& Database)
{
    static const std::regex name(R"(((create|connect)\s+database\s+|connect\s+)('[^']*'|"[^"]*"))", std::regex::icase);
    if (std::regex_search(Script, name)) return std::regex_replace(Script, name, "$1'" + Database + "'");
    return "CREATE DATABASE '" + Database + "';\n" + Script;
}

void ExpectRoundTrip(const TRoundTripRow& Row)
{
        if (std::system("command -v isql-fb >/dev/null 2>&1") != 0)
        QEL_SKIP_OR_FAIL("isql-fb is not installed (firebird3.0-utils)");
    if (Row.Waits != nullptr) GTEST_SKIP() << Row.Waits;
    std::string source = Row.Script;
    if (source.starts_with("@")) {
        if (!std::filesystem::exists(kExamples)) QEL_SKIP_OR_FAIL("firebird3.0-examples is missing");
        source = Row.Head + ExampleText(source.substr(1));
        static const std::regex reserved(R"(FUNCTION (lower|trim)\b)", std::regex::icase);
        source = std::regex_replace(source, reserved, "FUNCTION \"$1\"");
        static const std::regex names(R"(set\s+names\s+\w+\s*;)", std::regex::icase);
        if (Row.WithoutSetNames) source = std::regex_replace(source, names, "");
        ASSERT_FALSE(source.empty()) << Row.Script;
    }
    qeltest::UsePrivateFirebirdLock();
    qeltest::TempDir dir;
    const std::string folder = dir.Path().string();
    const std::string a = dir.File("a.fdb");

    const std::string runA = qeltest::RunIsql(OnDatabase(source, a), folder);
    ASSERT_EQ(runA.find("Statement failed"), std::string::npos) << "the script itself fails:\n" << runA;
    const std::string rawA = qeltest::ExtractMetadata(a, folder);
    const std::string extractA = qeltest::NormalisedExtract(rawA);
    EXPECT_FALSE(extractA.empty());
    if (Row.FiltersAside) {
        EXPECT_NE(extractA.find("DECLARE FILTER "), std::string::npos) << extractA;
    }

    // B from the script, and again from isql-fb's own extract of A. The
    // extract says no SET NAMES: it is read through the script's own set and
    // run under it, as A was built (isql-fb run on it without one would store
    // every non-ASCII character of a routine's text as '?', and a computed
    // column's type takes its set from the connection).
    static const std::regex names(R"((^|\n)\s*set\s+names\s+(\w+)\s*;)", std::regex::icase);
    std::smatch setNames;
    const std::string charSet = std::regex_search(source, setNames, names) ? setNames[2].str() : std::string();
    const std::string inputs[] = {source, charSet.empty() ? rawA
                                                          : "SET NAMES " + charSet + ";\n" +
                                                                qeltest::ExtractMetadata(a, folder, charSet)};
    for (int i = 0; i < 2; ++i) {
        if (i == 1 && Row.ExtractWaits != nullptr) {
            std::cout << "The pass over the extract of A waits: " << Row.ExtractWaits << "\n";
            break;
        }
        const std::string& input = inputs[i];
        SCOPED_TRACE(i == 0 ? "the script" : "the extract of A");
        const std::string b = dir.File(i == 0 ? "b.fdb" : "b2.fdb");
        std::string parseErrors;
        const std::string script = CollectionScript(input, b, parseErrors);
        const std::string runB = qeltest::RunIsql(script, folder);
        EXPECT_EQ(runB.find("Statement failed"), std::string::npos) << runB << "\n" << parseErrors << "\n" << script;
        std::string extractB = qeltest::NormalisedExtract(qeltest::ExtractMetadata(b, folder));
        std::string expected = extractA;
        if (Row.FiltersAside) {
            std::cout << "BLOB filters are set aside: the collection keeps none\n";
            expected = WithoutFilters(expected), extractB = WithoutFilters(extractB);
        }
        EXPECT_EQ(qeltest::ExtractDifference(expected, extractB), "") << parseErrors << "\n" << script;
    }

    // C by the executor's run of the loaded statements.
    const std::string c = dir.File("c.fdb"), file = dir.File("c.sql");
    qeltest::WriteFile(file, OnDatabase(source, c));
    TQELConnection connection;
    qeltest::ConfigureFirebird(connection, c);
    TIBSQLExec x;
    x.SetQELConnection(&connection);
    x.ConnectionOptions().Assign(connection.ConnectionOptions());
    x.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
    std::string runErrors;
    x.OnErrorMessage = [&runErrors](TObject&, const std::string& Text) { runErrors += Text + "\n"; };
    x.LoadScript(file);
    x.Execute();
    connection.SetConnected(false);
    EXPECT_EQ(runErrors, "");
    const std::string extractC = qeltest::NormalisedExtract(qeltest::ExtractMetadata(c, folder));
    EXPECT_EQ(qeltest::ExtractDifference(extractA, extractC), "") << "the executor's run";
}


} // namespace qeltest
