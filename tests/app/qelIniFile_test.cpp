#include "qelIniFile.h"

#include "qelErrors.h"
#include "qelTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <sys/stat.h>

using namespace qel;

namespace {

using qeltest::ReadFile;
using qeltest::WriteFile;

unsigned Mode(const std::string& FileName)
{
    struct stat st {};
    EXPECT_EQ(::stat(FileName.c_str(), &st), 0);
    return st.st_mode & 0777;
}

// ---- one value: how it is written, and that it reads back as it was ----

struct ValueCase {
    const char* name;
    std::string value;
    std::string line; // the right-hand side written after "Key="
};

class IniValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(IniValueTest, WrittenAsExpectedAndReadBackByteForByte)
{
    const ValueCase& c = GetParam();
    qeltest::TempDir dir;
    const std::string file = dir.File("Kestrova.Ini");
    {
        TIniFile ini(file);
        ini.WriteString("Databases", "Key", c.value);
        ini.UpdateFile();
    }
    EXPECT_EQ(ReadFile(file), "[Databases]\nKey=" + c.line + "\n");
    TIniFile again(file);
    EXPECT_EQ(again.ReadString("Databases", "Key", "<default>"), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniValueTest,
    ::testing::Values(ValueCase{"Plain", "employee.fdb", "employee.fdb"},
                      ValueCase{"WindowsPath", "C:\\Program Files\\Data\\db.fdb", "C:\\Program Files\\Data\\db.fdb"},
                      ValueCase{"UncPath", "\\\\server\\share\\db.fdb", "\\\\server\\share\\db.fdb"},
                      ValueCase{"EqualsSigns", "a=b==c", "a=b==c"},
                      ValueCase{"LeadingBlanks", "  pass", "\"  pass\""},
                      ValueCase{"TrailingBlank", "pass ", "\"pass \""},
                      ValueCase{"LeadingTab", "\tpass", "\"\tpass\""},
                      ValueCase{"EnclosedInQuotes", "\"quoted\"", "\"\"quoted\"\""},
                      ValueCase{"TwoQuotes", "\"\"", "\"\"\"\""},
                      ValueCase{"OneQuote", "\"", "\""},
                      ValueCase{"QuotesInside", "say \"hi\" 'there'", "say \"hi\" 'there'"},
                      ValueCase{"QuoteAtStartOnly", "\"abc", "\"abc"},
                      ValueCase{"SemicolonAndHash", ";x#y", ";x#y"},
                      ValueCase{"Brackets", "[Other]", "[Other]"},
                      ValueCase{"Utf8", "Z\xC3\xBCrich \xE2\x82\xAC", "Z\xC3\xBCrich \xE2\x82\xAC"},
                      ValueCase{"NotUtf8", "caf\xE9", "caf\xE9"},
                      ValueCase{"Empty", "", ""}),
    [](const ::testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.name); });

// ---- whole files ----

class IniFileTest : public ::testing::Test {
protected:
    qeltest::TempDir dir;
    std::string file = dir.File("Kestrova.Ini");
};

TEST_F(IniFileTest, MissingFileReadsDefaultsAndIsCreatedInWriteOrder)
{
    TIniFile ini(file);
    EXPECT_TRUE(ini.Readable());
    EXPECT_FALSE(ini.SectionExists("Databases"));
    EXPECT_EQ(ini.ReadString("Databases", "DBNameM", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("Databases", "DatabaseTypeM", 1), 1);
    EXPECT_FALSE(ini.ReadBool("Databases", "WinAuthenticationM", false));

    ini.WriteInteger("Databases", "DatabaseTypeM", 5);
    ini.WriteInteger("Databases", "DatabaseTypeT", 1);
    ini.WriteString("Databases", "DBNameM", "m.fdb");
    ini.WriteBool("Databases", "WinAuthenticationM", true);
    ini.WriteBool("Databases", "WinAuthenticationT", false);
    ini.UpdateFile();
    EXPECT_EQ(ReadFile(file), "[Databases]\nDatabaseTypeM=5\nDatabaseTypeT=1\nDBNameM=m.fdb\n"
                             "WinAuthenticationM=1\nWinAuthenticationT=0\n");
}

TEST_F(IniFileTest, HandWrittenFileIsReadAsItStands)
{
    WriteFile(file, "; written by hand\r\n"
                   "[Other]\r\n"
                   "DBNameM=other.fdb\r\n"
                   "\r\n"
                   "  [ databases ]  \r\n"
                   "  DBNameM = C:\\Data\\a.fdb  \r\n"
                   "UserNameM=\"sa\"\r\n"
                   "PasswordM=p=w;d\r\n"
                   "dbnamem=second.fdb\r\n"
                   "; DBNameT=commented.fdb\r\n"
                   "no key on this line\r\n"
                   "DatabaseTypeM = 5\r\n"
                   "WinAuthenticationM=true\r\n");
    const TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("Databases", "DBNameM", ""), "C:\\Data\\a.fdb");
    EXPECT_EQ(ini.ReadString("DATABASES", "usernamem", ""), "sa");
    EXPECT_EQ(ini.ReadString("Databases", "PasswordM", ""), "p=w;d");
    EXPECT_EQ(ini.ReadString("Databases", "DBNameT", "none"), "none");
    EXPECT_EQ(ini.ReadString("Other", "DBNameM", ""), "other.fdb");
    EXPECT_EQ(ini.ReadInteger("Databases", "DatabaseTypeM", 1), 5);
    EXPECT_TRUE(ini.ReadBool("Databases", "WinAuthenticationM", false));
}

TEST_F(IniFileTest, RewriteKeepsCommentsOtherSectionsLineBreaksAndKeyOrder)
{
    WriteFile(file, "\xEF\xBB\xBF; settings\r\n"
                   "[Databases]\r\n"
                   "TableNameM=T1\r\n"
                   "DBNameM=old.fdb\r\n"
                   "\r\n"
                   "[Other]\r\n"
                   "X=1\r\n");
    TIniFile ini(file);
    ini.WriteString("Databases", "DBNameM", "new.fdb");
    ini.WriteString("Databases", "DBNameT", "t.fdb");
    ini.WriteString("Third", "Y", "2");
    ini.UpdateFile();
    EXPECT_EQ(ReadFile(file), "\xEF\xBB\xBF; settings\r\n"
                             "[Databases]\r\n"
                             "TableNameM=T1\r\n"
                             "DBNameM=new.fdb\r\n"
                             "DBNameT=t.fdb\r\n"
                             "\r\n"
                             "[Other]\r\n"
                             "X=1\r\n"
                             "[Third]\r\n"
                             "Y=2\r\n");
}

TEST_F(IniFileTest, NumbersAndBooleans)
{
    WriteFile(file, "[S]\nA=5\nB= 7\nC=$1F\nD=abc\nE=\nF=99999999999\nG=-3\n"
                    "T1=1\nT2=0\nT3=2\nT4=TRUE\nT5=false\nT6=yes\n");
    const TIniFile ini(file);
    std::string numbers, booleans;
    for (const char* key : {"A", "B", "C", "D", "E", "F", "G"})
        numbers += std::to_string(ini.ReadInteger("S", key, 1)) + " ";
    // Each key read with the default false, then true: "yes" is no boolean.
    for (const char* key : {"T1", "T2", "T3", "T4", "T5", "T6"})
        booleans += std::to_string(ini.ReadBool("S", key, false)) + std::to_string(ini.ReadBool("S", key, true)) + " ";
    EXPECT_EQ(numbers, "5 7 31 1 1 1 -3 ");
    EXPECT_EQ(booleans, "11 00 11 11 00 01 ");
}

TEST_F(IniFileTest, LineBreaksInAValueCannotSplitTheFile)
{
    TIniFile ini(file);
    ini.WriteString("S", "A", "one\r\ntwo\nthree");
    ini.WriteString("S", "B", "b");
    ini.UpdateFile();
    const TIniFile again(file);
    EXPECT_EQ(again.ReadString("S", "A", ""), "one  two three");
    EXPECT_EQ(again.ReadString("S", "B", ""), "b");
}

TEST_F(IniFileTest, WrittenForTheOwnerOnly)
{
    const mode_t old = ::umask(022);
    {
        TIniFile ini(file);
        ini.WriteString("Databases", "PasswordM", "secret");
        ini.UpdateFile();
    }
    EXPECT_EQ(Mode(file), 0600u);

    // A file left readable by others, from an older program, is tightened.
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    {
        TIniFile ini(file);
        ini.WriteString("Databases", "PasswordM", "other");
        ini.UpdateFile();
    }
    ::umask(old);
    EXPECT_EQ(Mode(file), 0600u);
    // Nothing of the temporary file stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST_F(IniFileTest, FailuresAreReported)
{
    TIniFile nowhere(dir.File("missing-folder/Kestrova.Ini"));
    EXPECT_TRUE(nowhere.Readable());
    nowhere.WriteString("S", "A", "1");
    const std::string e = qeltest::ErrorOf<EQELError>([&] { nowhere.UpdateFile(); }).what();
    EXPECT_NE(e.find("missing-folder/Kestrova.Ini"), std::string::npos) << e;
    EXPECT_NE(e.find("No such file or directory"), std::string::npos) << e;

    std::filesystem::create_directory(file);
    const TIniFile folder(file);
    EXPECT_FALSE(folder.Readable());
}

} // namespace
