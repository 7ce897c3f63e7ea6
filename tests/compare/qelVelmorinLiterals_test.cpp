// Character values at Firebird's literal limits and with NUL bytes: the
// comparer's script, applied once by the executor and once by isql-fb from
// the script file, makes the target equal to the master.
#include "qelVelmorin.h"
#include "qelVelmorinFixture.h"
#include "qelVelmorinPrivate.h"

#include "qelDBOptions.h"
#include "qelSQL_Exec.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace qel;
using namespace cmptest;
namespace fs = std::filesystem;

namespace {

std::string Repeat(const std::string& s, int n)
{
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

const std::string Euro = "\xE2\x82\xAC", Eacute = "\xC3\xA9", Smile = "\xF0\x9F\x98\x80";
const std::string Euro1252 = "\x80", Eacute1252 = "\xE9";
const std::string Nul(1, '\0');

// ---------------------------------------------------------------------------
// Where a literal is cut

// ('p1' || ASCII_CHAR(0) || 'p2') for the pieces {"p1", Nul, "p2"}.
std::string Pieces(const std::vector<std::string>& P, bool Blob = false)
{
    std::string r = Blob ? "(CAST('' AS BLOB SUB_TYPE TEXT) || " : "(";
    for (std::size_t i = 0; i < P.size(); ++i)
        r += (i ? " || " : "") + (P[i] == Nul ? "ASCII_CHAR(0)" : "'" + P[i] + "'");
    return r + ")";
}

struct TPieceCase {
    const char* Name;
    std::string Value;
    bool BlobAllowed;
    std::string Expected;
};

class LiteralPieces : public ::testing::TestWithParam<TPieceCase> {};

TEST_P(LiteralPieces, StayUnderTheLimitsAndKeepSequencesWhole)
{
    const std::string lit = velmorin::FirebirdTextLiteral(GetParam().Value, GetParam().BlobAllowed);
    EXPECT_TRUE(lit == GetParam().Expected) << lit.substr(0, 200);
}

INSTANTIATE_TEST_SUITE_P(
    Firebird, LiteralPieces,
    ::testing::Values(
        TPieceCase{"Quote", "it's", false, "'it''s'"},
        TPieceCase{"Nuls", "a" + Nul + Nul + "b", false, Pieces({"a", Nul, Nul, "b"})},
        // 16,383 characters a piece; at 32,767 bytes the cut backs off to
        // the start of a sequence, unless the bytes are no UTF-8.
        TPieceCase{"CharacterLimit", std::string(32767, 'a'), false,
                   Pieces({std::string(16383, 'a'), std::string(16383, 'a'), "a"})},
        TPieceCase{"ByteLimitInsideEuro", "ab" + Repeat(Euro, 10922), false,
                   Pieces({"ab" + Repeat(Euro, 10921), Euro})},
        TPieceCase{"ByteLimitInsideSmile", Repeat(Smile, 8192), true, Pieces({Repeat(Smile, 8191), Smile}, true)},
        TPieceCase{"NotUtf8", std::string(40000, '\x80'), false,
                   Pieces({std::string(32767, '\x80'), std::string(7233, '\x80')})}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------------------
// Round trips through the executor and isql-fb

struct TLiteralCase {
    const char* Name;
    std::string MasterType, TargetType;
    bool Keyed;
    std::vector<std::string> Values; // two values in CharSet
    // The databases' default set, through which both sides are read.
    const char* CharSet = "UTF8";
    TServer Target = TServer::FbEmbedded;
    bool Isql = true;
    TServer Master = TServer::FbEmbedded;
};

class LongAndNulLiterals : public ::testing::TestWithParam<TLiteralCase> {};

struct TCounts {
    int Inserted = 0, Updated = 0, Deleted = 0, Errors = 0;
    std::string Messages;
};

TCounts Compare(TTestDatabase& Master, TTestDatabase& Target, const std::string& Table, const fs::path& Folder,
                TCustomSQLExec* Exec)
{
    fs::create_directories(Folder);
    TVelmorin C;
    C.SetQELConnectionMaster(&Master.Connection());
    C.SetQELConnectionTarget(&Target.Connection());
    C.SetTableNameMaster(Table);
    C.SetTableNameTarget(Table);
    C.SetScriptFileName((Folder / "Result.SQL").string());
    if (Exec != nullptr) C.SetSQLExec(Exec);
    TCounts r;
    C.OnErrorMessage = [&r](TObject&, const std::string& t) { r.Messages += t + "\n"; };
    EXPECT_TRUE(C.Execute()) << r.Messages;
    r.Inserted = C.Inserted;
    r.Updated = C.Updated;
    r.Deleted = C.Deleted;
    r.Errors = C.ErrorCount;
    return r;
}

// The values go in as BLOB parameters, which carry any length.
void Insert(TTestDatabase& Db, const std::string& Table, const std::vector<std::pair<int, std::string>>& Rows)
{
    auto q = Db.Connection().CreateQuery();
    q->SetSQLText("insert into " + Table + " (ID, V) values (:ID, " +
                  (IsFirebird(Db.Kind()) ? "cast(:V as blob sub_type text character set UTF8))" : ":V)"));
    if (!Db.Connection().InTransaction()) Db.Connection().StartTransaction();
    for (const auto& [id, value] : Rows) {
        (*q->GetParams())[0].SetValue(TFieldType::ftInteger, TValue::Integer(id));
        (*q->GetParams())[1].SetValue(TFieldType::ftMemo, TValue::String(value));
        q->ExecSQL();
    }
    Db.Connection().Commit();
}

std::string FileText(const fs::path& Name)
{
    std::ifstream f(Name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

} // namespace

// Master rows 1, 2, 3; the target has row 1 alike, row 2 with the other
// value and row 4 instead of 3: with a key an UPDATE, an INSERT and a
// DELETE, without one the values stand in conditions too. The script is
// applied by the executor, then, on the target as it was, by isql-fb
// reading Result.SQL; after each the rows match value by value and a
// second comparison finds nothing to do.
TEST_P(LongAndNulLiterals, ReadBackTheSameByExecutorAndIsql)
{
    const TLiteralCase& p = GetParam();
    TTestDatabase master(p.Master, p.CharSet);
    if (!master.Unavailable().empty()) QEL_SKIP_OR_FAIL(master.Unavailable());
    TTestDatabase target(p.Target, p.CharSet);
    if (!target.Unavailable().empty()) QEL_SKIP_OR_FAIL(target.Unavailable());
    const std::string key = p.Keyed ? " not null primary key" : "";
    master.CreateTable("LIT", "ID integer" + key + ", V " + p.MasterType);
    target.CreateTable("LIT", "ID integer" + key + ", V " + p.TargetType);
    const std::string& a = p.Values[0];
    const std::string& b = p.Values[1];
    Insert(master, "LIT", {{1, "same"}, {2, a}, {3, b}});
    Insert(target, "LIT", {{1, "same"}, {2, b}, {4, a}});
    const std::string select = "select ID, V from LIT order by ID";
    const auto expected = master.Rows(select);

    // The target as it was, for the isql run.
    TQELConnection& tc = target.Connection();
    const fs::path targetFile = tc.ConnectionOptions().DatabaseName, saved = target.Dir().File("saved.fdb");
    tc.SetConnected(false);
    fs::copy_file(targetFile, saved);
    tc.SetConnected(true);

    const fs::path folder = target.Dir().Path() / "exec";
    std::unique_ptr<TSQLExec> exec = target.NewExecutor();
    TCounts first = Compare(master, target, "LIT", folder, exec.get());
    ASSERT_EQ(first.Errors, 0) << first.Messages;
    EXPECT_GT(first.Inserted + first.Updated + first.Deleted, 0);
    std::string execErrors;
    exec->OnErrorMessage = [&](TObject&, const std::string& t) { execErrors += t + "\n"; };
    ASSERT_TRUE(exec->Execute()) << execErrors;
    EXPECT_EQ(target.Rows(select), expected);
    TCounts again = Compare(master, target, "LIT", target.Dir().Path() / "again", nullptr);
    EXPECT_EQ(again.Errors + again.Inserted + again.Updated + again.Deleted, 0) << again.Messages;

    if (!p.Isql) return;
    if (std::system("command -v isql-fb >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "isql-fb is not installed (firebird3.0-utils); the executor half passed";
    const std::string script = (folder / "Result.SQL").string();
    ASSERT_EQ(FileText(script).find("SET BLOBFILE"), std::string::npos) << "isql-fb reads no BLOB side file";
    tc.SetConnected(false);
    fs::copy_file(saved, targetFile, fs::copy_options::overwrite_existing);
    const fs::path out = target.Dir().File("isql.out");
    const int rc = std::system(("isql-fb -q -i '" + script + "' >'" + out.string() + "' 2>&1").c_str());
    tc.SetConnected(true);
    EXPECT_EQ(rc, 0) << FileText(out);
    EXPECT_EQ(FileText(out), "");
    EXPECT_EQ(target.Rows(select), expected);
    again = Compare(master, target, "LIT", target.Dir().Path() / "again", nullptr);
    EXPECT_EQ(again.Errors + again.Inserted + again.Updated + again.Deleted, 0) << again.Messages;
}

INSTANTIATE_TEST_SUITE_P(
    Firebird, LongAndNulLiterals,
    ::testing::Values(
        // 32,765 bytes: pieces of 16,383 characters, cut between two quotes
        // or two-byte characters.
        TLiteralCase{"NoneKeyed", "varchar(32765) character set NONE", "varchar(32765) character set NONE", true,
                     {Nul + "it's" + std::string(16378, 'a') + "''" + std::string(16370, 'b'),
                      "x" + Nul + std::string(15998, 'y') + Repeat(Eacute, 8382) + Nul}},
        TLiteralCase{"NoneKeyless", "varchar(32765) character set NONE", "varchar(32765) character set NONE", false,
                     {"a" + Nul + Nul + std::string(32762, 'q'), std::string(16383, 'r') + Nul + Repeat(Eacute, 8190)}},
        // Read through WIN1252, '\x80' ('€') looks like the middle of a
        // UTF-8 sequence; 32,765 characters in one value.
        TLiteralCase{"Win1252Keyed", "varchar(32765) character set WIN1252", "varchar(32765) character set WIN1252",
                     true, {"ab" + Repeat(Euro1252, 32763), "c'" + Nul + Repeat(Eacute1252, 32762)}, "WIN1252"},
        TLiteralCase{"Win1252Keyless", "varchar(32765) character set WIN1252",
                     "varchar(32765) character set WIN1252", false,
                     {Repeat(Eacute1252, 32765), "'" + Nul + Repeat(Euro1252, 30000) + Nul}, "WIN1252"},
        TLiteralCase{"Utf8Keyed", "varchar(8000) character set UTF8", "varchar(8000) character set UTF8", true,
                     {Repeat(Smile, 8000), Repeat(Smile, 3999) + "'" + Nul + Repeat(Euro, 3999)}},
        TLiteralCase{"Utf8Keyless", "varchar(8000) character set UTF8", "varchar(8000) character set UTF8", false,
                     {Repeat(Smile, 7999) + "'", Nul + Repeat(Eacute, 7999)}},
        // A character value bound for a text BLOB is a literal too.
        TLiteralCase{"NoneToBlob", "varchar(32765) character set NONE", "blob sub_type text character set UTF8",
                     true, {std::string(32765, 'n'), std::string(20000, 'o') + Nul + Repeat(Smile, 3000)}},
        // BLOB to BLOB: the values go through the side file, which isql-fb
        // cannot read.
        TLiteralCase{"BlobKeyed", "blob sub_type text character set UTF8", "blob sub_type text character set UTF8",
                     true, {Repeat(Euro, 40000), std::string(40000, 'z') + Nul}, "UTF8", TServer::FbEmbedded, false},
        // SQLite's VARCHAR holds any length: literals of 120,000 bytes, more
        // than one string expression holds.
        TLiteralCase{"SQLiteToBlob", "varchar(100)", "blob sub_type text character set UTF8", true,
                     {Repeat(Euro, 40000), std::string(70000, 's') + "'"}, "UTF8", TServer::FbEmbedded, true,
                     TServer::SQLite},
        TLiteralCase{"NoneKeyedOnServer", "varchar(32765) character set NONE", "varchar(32765) character set NONE",
                     true, {std::string(32765, 'a'), "b" + Nul + Repeat(Euro, 10000)}, "UTF8", TServer::FbServer}),
    [](const auto& info) { return std::string(info.param.Name); });

// Before Firebird 2.1 no function gives a NUL character: the statement that
// needs one is withheld with an error naming the column.
TEST(LongAndNulLiterals, NulWithoutAsciiCharIsAnError)
{
    TTestDatabase master(TServer::FbEmbedded), target(TServer::FbEmbedded);
    if (!master.Unavailable().empty()) QEL_SKIP_OR_FAIL(master.Unavailable());
    master.CreateTable("LIT", "ID integer not null primary key, V varchar(10)");
    target.CreateTable("LIT", "ID integer not null primary key, V varchar(10)");
    Insert(master, "LIT", {{1, "a" + Nul}, {2, "plain"}});
    target.Connection().IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_20;
    TCounts r = Compare(master, target, "LIT", target.Dir().Path(), nullptr);
    EXPECT_GT(r.Errors, 0);
    EXPECT_NE(r.Messages.find("Column V holds a NUL character"), std::string::npos) << r.Messages;
    const std::string script = FileText(target.Dir().Path() / "Result.SQL");
    EXPECT_NE(script.find("'plain'"), std::string::npos);
    EXPECT_EQ(script.find('\0'), std::string::npos);
}
