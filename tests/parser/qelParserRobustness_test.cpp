// Hostile scripts through both script parsers: every generated input, kept
// fuzz finding and sample script keeps the parse invariants, and the work and
// the stored messages stay proportional to the script.
#include "qelParserInvariants.h"

#include "qelIBSQLExec.h"
#include "qelMSSQLExec.h"
#include "qelParserBase.h"
#include "qelTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using qeltest::TParseSetup;

namespace {

constexpr int kDeep = 100000;

std::string Repeat(const std::string& Text, int Count)
{
    std::string out;
    out.reserve(Text.size() * static_cast<std::size_t>(Count));
    for (int i = 0; i < Count; ++i) out += Text;
    return out;
}

// The end of a statement (and of a view's query) in each dialect.
std::string End(bool MSSQL) { return MSSQL ? "\nGO\n" : ";\n"; }
std::string From(bool MSSQL) { return MSSQL ? " AS x" : " FROM T"; }

std::string Utf16LE(const std::string& Ascii)
{
    std::string out;
    for (const char c : Ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

struct TInput {
    std::string Name;
    std::string (*Make)(bool MSSQL);
    // Whether the InterBase and the MS SQL parser read it (BEGIN TRY, for
    // one, is MS SQL's alone).
    bool InterBase = true;
    bool MSSQL = true;
    // Nesting past the limit may cost a rescan per level the limit allows.
    bool Nests = false;
    // Called by the test framework when it names a failing input.
    [[maybe_unused]] friend void PrintTo(const TInput& c, std::ostream* os) { *os << c.Name; }
};

// Every recursive construct far past the nesting limit, and every run that
// never ends, at 100,000 of each.
const TInput kInputs[] = {
    {"Parentheses", [](bool m) { return "CREATE VIEW V AS SELECT " + Repeat("(", kDeep) + "1" + Repeat(")", kDeep) + From(m) + End(m); }, true, true, true},
    {"Not", [](bool m) { return "CREATE VIEW V AS SELECT 1" + From(m) + " WHERE " + Repeat("NOT ", kDeep) + "1 = 1" + End(m); }, true, true, true},
    {"Minus", [](bool m) { return "CREATE VIEW V AS SELECT " + Repeat("- ", kDeep) + "1" + From(m) + End(m); }, true, true, true},
    {"Case", [](bool m) { return "CREATE VIEW V AS SELECT " + Repeat("CASE WHEN 1 = 1 THEN ", kDeep) + "1" + Repeat(" END", kDeep) + From(m) + End(m); }, true, true, true},
    {"SubQuery", [](bool m) { return "CREATE VIEW V AS " + Repeat("SELECT A FROM T WHERE A IN (", kDeep) + "SELECT 1" + From(m) + Repeat(")", kDeep) + End(m); }, true, true, true},
    {"DerivedTable", [](bool m) { return "CREATE VIEW V AS " + Repeat("SELECT * FROM (", kDeep) + "SELECT 1 AS A" + (m ? "" : " FROM T") + Repeat(") D", kDeep) + End(m); }, true, true, true},
    {"Begin", [](bool m) {
         return m ? "CREATE PROCEDURE P AS\n" + Repeat("BEGIN\n", kDeep) + "SELECT 1\n" + Repeat("END\n", kDeep) + "GO\n"
                  : "SET TERM ^ ;\nCREATE PROCEDURE P AS\n" + Repeat("BEGIN\n", kDeep) + "EXIT;\n" + Repeat("END\n", kDeep) + "^\nSET TERM ; ^\n";
     }, true, true, true},
    {"If", [](bool m) {
         return m ? "CREATE PROCEDURE P AS\n" + Repeat("IF 1 = 1\n", kDeep) + "SELECT 1\nGO\n"
                  : "SET TERM ^ ;\nCREATE PROCEDURE P AS BEGIN\n" + Repeat("IF (1 = 1) THEN\n", kDeep) + "EXIT;\nEND^\nSET TERM ; ^\n";
     }, true, true, true},
    {"While", [](bool m) {
         return m ? "CREATE PROCEDURE P AS\n" + Repeat("WHILE 1 = 0\n", kDeep) + "SELECT 1\nGO\n"
                  : "SET TERM ^ ;\nCREATE PROCEDURE P AS BEGIN\n" + Repeat("WHILE (1 = 0) DO\n", kDeep) + "EXIT;\nEND^\nSET TERM ; ^\n";
     }, true, true, true},
    {"BeginTry", [](bool) { return "CREATE PROCEDURE P AS\n" + Repeat("BEGIN TRY\n", kDeep) + "SELECT 1\n" + Repeat("END TRY BEGIN CATCH END CATCH\n", kDeep) + "GO\n"; }, false, true, true},
    {"MegabyteOfParensInCheck", [](bool m) { return "CREATE TABLE T (A INTEGER CHECK (" + std::string(1 << 20, '(') + "A > 0))" + End(m) + "CREATE TABLE U (B INTEGER)" + End(m); }, true, true, true},
    {"UnterminatedStrings", [](bool) { return Repeat("SELECT 'a\n", kDeep); }},
    {"UnterminatedComments", [](bool) { return Repeat("SELECT 1 /* a\n", kDeep); }},
    {"UnterminatedQuotedNames", [](bool) { return Repeat("SELECT \"a\n", kDeep); }},
    {"UnterminatedBracketedNames", [](bool) { return Repeat("SELECT [a\n", kDeep); }, false, true},
    {"LoneBangs", [](bool) { return Repeat("!", kDeep); }},
    {"LoneQuestionMarks", [](bool) { return Repeat("? ", kDeep); }},
    {"NulBytes", [](bool m) { return std::string("CREATE TABLE T (A INTEGER)") + End(m) + std::string(3, '\0') + "SELECT\0 1" + From(m) + End(m) + std::string(1, '\0'); }},
    {"InvalidUtf8", [](bool m) { return "CREATE TABLE \xFF\xFE (A\xC3 INTEGER)" + End(m) + "INSERT INTO T VALUES ('\xC3\x28\xE2\x82')" + End(m) + "\xF5\x80" + End(m); }},
    {"Utf16WithoutBom", [](bool m) { return Utf16LE("CREATE TABLE T (A INTEGER)" + End(m) + "SELECT A" + From(m) + End(m)); }},
    {"CarriageReturnsOnly", [](bool m) {
         std::string s = "CREATE TABLE T (A INTEGER)" + End(m) + "-- note\n/* a\nb */ SELECT 'x\ny'" + From(m) + End(m) + "SELECT 2" + From(m) + End(m);
         std::replace(s.begin(), s.end(), '\n', '\r');
         return s;
     }},
    {"Empty", [](bool) { return std::string(); }},
    {"TenMegabytesOnOneLine", [](bool m) { return Repeat(m ? "INSERT INTO T VALUES (1, 'a;b') " : "INSERT INTO T VALUES (1, 'a;b'); ", 10 * 1024 * 1024 / 32); }},
    {"NoFinalLineBreak", [](bool m) { return "CREATE TABLE T (A INTEGER)" + End(m) + "SELECT A" + From(m); }},
    {"SetTermAndGoEverywhere", [](bool m) {
         return m ? Repeat("SELECT 1 AS x\nGO 2\nGO\n;\nGO 1001\n", 1000) : Repeat("SET TERM ^ ;\nSELECT 1 FROM T^\nSET TERM ; ^\nCOMMIT;\n", 1000);
     }},
};

struct TRow {
    TInput Input;
    TParseSetup Setup;
    friend void PrintTo(const TRow& r, std::ostream* os) { *os << r.Input.Name << " " << r.Setup.Name(); }
};

std::vector<TRow> Rows()
{
    std::vector<TRow> out;
    for (const TInput& input : kInputs) {
        if (input.InterBase) out.push_back({input, qeltest::IBSetupFromByte(2)});
        if (input.MSSQL) out.push_back({input, qeltest::MSSQLSetupFromByte(2)});
    }
    return out;
}

std::string RowName(const TRow& Row) { return Row.Input.Name + "_" + (Row.Setup.MSSQL ? "MSSQL" : "InterBase"); }

class ParserRobustness : public ::testing::TestWithParam<TRow> {};

// The invariants hold; the scanner's work stays within a fixed multiple of
// the script (nesting past the limit may rescan once per level the limit
// allows), and the stored messages within a few per statement or line.
TEST_P(ParserRobustness, HoldsTheInvariantsWithBoundedWork)
{
    const TRow& row = GetParam();
    const std::string script = row.Input.Make(row.Setup.MSSQL);
    qeltest::TParseStats stats;
    const std::vector<std::string> faults = qeltest::CheckParse(row.Setup, script, &stats);
    const auto size = static_cast<std::int64_t>(script.size());
    const auto lines = static_cast<std::int64_t>(std::count(script.begin(), script.end(), '\n') +
                                                 std::count(script.begin(), script.end(), '\r'));
    const bool storm = stats.Messages > 2 * (stats.Statements + lines) + 16;
    if (!faults.empty() && qeltest::OnlyOpenFindings(faults)) GTEST_SKIP() << qeltest::JoinFaults(faults);
    EXPECT_TRUE(faults.empty()) << qeltest::JoinFaults(faults);
    // Both MS SQL passes read the text; each character about once.
    const std::int64_t perChar = row.Input.Nests ? qel::TCustomParser::MaxNesting + 10 : 4;
    EXPECT_LE(stats.CharsRead, perChar * size + 1000000) << "characters read for " << size << " bytes";
    EXPECT_FALSE(storm) << stats.Messages << " messages for " << stats.Statements << " statements, " << lines << " lines";
}

INSTANTIATE_TEST_SUITE_P(Generated, ParserRobustness, ::testing::ValuesIn(Rows()),
                         [](const auto& Info) { return RowName(Info.param); });

// Small hostile scripts under every server version, dialect and
// QUOTED_IDENTIFIER state the fuzz targets pick.
class ParserRobustnessSetups : public ::testing::TestWithParam<TParseSetup> {};

TEST_P(ParserRobustnessSetups, SmallHostileScriptsHoldTheInvariants)
{
    const TParseSetup& setup = GetParam();
    const std::vector<std::string> scripts = {
        "",
        "\r",
        ";;;",
        "SET TERM",
        "SET TERM ^",
        "SET TERM ;;",
        "COMMIT",
        "INPUT /etc/hostname;\nINPUT 'missing.sql';\nSELECT 1 FROM T;",
        "GO\nGO 0\nGO 99999\nGO 2 -- x\n",
        "CREATE TABLE T (A INTEGER);\nSELECT 1 FROM T;\nGO 3\nSELECT 2 FROM T;\nGO 2\nGO 2\n",
        "CREATE PROCEDURE P AS BEGIN SELECT 1; END\nGO 2",
        "/* /* */ SELECT 1 */ SELECT 2;",
        // Comment marks that share a character ("*/*", "/*/").
        "/* x /* y */*/ SELECT 1 AS x\nGO\n/*/ z */ SELECT 2 AS y\nGO\n",
        "CREATE VIEW V AS SELECT \"A\"\"B\" FROM \"T\";",
        "ALTER SESSION RESET;\nREINSERT;\nCOMMIT WORK;\nCOMMIT garbage;\n",
        "MERGE INTO T USING U ON T.A = U.A WHEN MATCHED THEN DELETE ;\nGO\n",
        std::string("SELECT '\0' FROM T;", 19),
        // Permissions the model keeps no element for, running to the end
        // of a text without a final line break.
        "GRANT ALTER",
        "REVOKE VIEW DEFINITION",
        "GRANT CREATE SCHEMA",
        "REVOKE GRANT OPTION \xB2ROM app CASCADE",
        // Characters that begin no token, first in a statement, between
        // two, at a statement's end and in a look-ahead.
        "!!!\nCREATE TABLE T (A INTEGER);\n? ?\n\xF5\x80;\nSELECT 1 FROM T\x16;\x01",
        std::string("SELECT 1 FROM T;\0\0\0SELECT\0 2 FROM T;\0", 37),
        "SET\x01 TERM ^ ;\nSELECT 1 FROM T^\nCOMMIT\x7F;",
        // A look-ahead past the first word meets a text that never ends.
        "ALTER \"X",
        "ALTER 'X",
        "SET \"X",
        "COMMIT 'X",
        // What follows EXIT or QUIT is not read, whatever it is.
        "EXIT;X",
        "QUIT;\x0E",
        "EXIT;\n'abc",
    };
    for (const std::string& script : scripts) {
        const std::vector<std::string> faults = qeltest::CheckParse(setup, script);
        EXPECT_TRUE(qeltest::OnlyOpenFindings(faults)) << "script: " << script << "\n" << qeltest::JoinFaults(faults);
    }
}

INSTANTIATE_TEST_SUITE_P(Setups, ParserRobustnessSetups, ::testing::ValuesIn(qeltest::AllSetups()),
                         [](const auto& Info) { return Info.param.Name(); });

// Each input a fuzzing run broke a parser with, kept in regress/ as the
// target wrote it: "ib-..." or "mssql-...", its first byte the setup. The
// note beside it ("<name>.txt") says in its first line what it showed. An
// input that still shows only an open finding is skipped, naming it.
std::vector<std::string> RegressInputs()
{
    namespace fs = std::filesystem;
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(QEL_REGRESS_DIR)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && entry.path().extension() != ".txt" && !name.starts_with(".")) out.push_back(name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

class ParserRegress : public ::testing::TestWithParam<std::string> {};

TEST_P(ParserRegress, KeptInputHoldsTheInvariants)
{
    const std::string& name = GetParam();
    const std::string dir = QEL_REGRESS_DIR;
    const std::string bytes = qeltest::ReadFile(dir + "/" + name);
    ASSERT_FALSE(bytes.empty()) << name;
    const bool mssql = name.starts_with("mssql-");
    ASSERT_TRUE(mssql || name.starts_with("ib-")) << name;
    std::string note = std::filesystem::exists(dir + "/" + name + ".txt") ? qeltest::ReadFile(dir + "/" + name + ".txt") : "";
    note = note.substr(0, note.find('\n'));
    EXPECT_FALSE(note.empty()) << name << " has no note";
    const auto first = static_cast<std::uint8_t>(bytes[0]);
    const TParseSetup setup = mssql ? qeltest::MSSQLSetupFromByte(first) : qeltest::IBSetupFromByte(first);
    const std::vector<std::string> faults = qeltest::CheckParse(setup, std::string_view(bytes).substr(1));
    if (!faults.empty() && qeltest::OnlyOpenFindings(faults)) GTEST_SKIP() << name << ": " << qeltest::JoinFaults(faults);
    EXPECT_TRUE(faults.empty()) << name << " (" << setup.Name() << ")\n" << qeltest::JoinFaults(faults);
}

INSTANTIATE_TEST_SUITE_P(Kept, ParserRegress, ::testing::ValuesIn(RegressInputs()), [](const auto& Info) {
    std::string n = Info.param;
    for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
});

// The sample scripts that come with the project and with Firebird, and the
// scripts of the MS SQL parser tests.
TEST(ParserRegress, SampleScriptsHoldTheInvariants)
{
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    for (const std::string& dir : {std::string(QEL_SOURCE_DIR) + "/samples", std::string("/usr/share/doc/firebird3.0-common-doc/examples")})
        if (fs::is_directory(dir))
            for (const auto& entry : fs::recursive_directory_iterator(dir))
                if (entry.path().extension() == ".sql") files.push_back(entry.path().string());
    qeltest::TempDir tmp;
    const std::string employee = "/usr/share/doc/firebird3.0-examples/examples/employee.sql.gz";
    if (fs::exists(employee) && std::system(("gzip -dc " + employee + " > " + tmp.File("employee.sql")).c_str()) == 0)
        files.push_back(tmp.File("employee.sql"));
    for (const std::string& file : files) {
        const std::string script = qeltest::ReadFile(file);
        for (const std::uint8_t b : {2, 5}) {
            const std::vector<std::string> faults = qeltest::CheckParse(qeltest::IBSetupFromByte(b), script);
            EXPECT_TRUE(faults.empty()) << file << "\n" << qeltest::JoinFaults(faults);
        }
    }
    // The T-SQL scripts of the MS SQL parser tests.
    const std::string mssql = std::string(QEL_SOURCE_DIR) + "/tests/parser/mssql";
    if (fs::is_directory(mssql))
        for (const auto& entry : fs::directory_iterator(mssql)) {
            if (entry.path().extension() != ".sql") continue;
            const std::string script = qeltest::ReadFile(entry.path().string());
            for (const std::uint8_t b : {2, 7}) {
                const std::vector<std::string> faults = qeltest::CheckParse(qeltest::MSSQLSetupFromByte(b), script);
                EXPECT_TRUE(faults.empty()) << entry.path() << "\n" << qeltest::JoinFaults(faults);
            }
        }
}

// Both executors load any file without throwing; a file that is not there
// gives "File not found: " + its name.
TEST(ParserRobustnessLoadScript, BothExecutorsLoadHostileFiles)
{
    qeltest::TempDir dir;
    for (const TInput& input : kInputs) {
        for (const bool mssql : {false, true}) {
            if (!(mssql ? input.MSSQL : input.InterBase) || input.Name == "TenMegabytesOnOneLine") continue;
            const std::string file = dir.File(input.Name + ".sql");
            qeltest::WriteFile(file, input.Make(mssql));
            std::vector<std::string> errors;
            const auto load = [&](qel::TCustomSQLExec& x) {
                x.OnErrorMessage = [&](qel::TObject&, const std::string& Text) { errors.push_back(Text); };
                EXPECT_NO_THROW(x.LoadScript(file)) << input.Name;
                EXPECT_NO_THROW(x.LoadScript(dir.File("missing.sql"))) << input.Name;
                EXPECT_FALSE(errors.empty() || errors.back() != "File not found: " + dir.File("missing.sql")) << input.Name;
            };
            if (mssql) {
                qel::TMSSQLExec x;
                load(x);
            } else {
                qel::TIBSQLExec x;
                load(x);
            }
        }
    }
}

} // namespace
