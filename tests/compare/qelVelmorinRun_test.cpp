// Runs over two embedded Firebird databases: exact texts, events, bad input.
#include "qelVelmorin.h"
#include "qelVelmorinFixture.h"
#include "qelVelmorinTestPrivate.h"

#include "qelDBOptions.h"
#include "qelEngineTestSupport.h"
#include "qelSQL_Exec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <filesystem>
#include <sys/stat.h>

using namespace qel;
using namespace cmptest;

// ---------------------------------------------------------------------------
// Runs over two embedded Firebird databases: exact texts, events, bad input

namespace {

// The data statements a run produces, each marked with its kind and table,
// and lines its log holds.
class RunTexts : public CompareRun, public ::testing::WithParamInterface<TTableCase> {};

std::string MasterSelect(const std::string& Text)
{
    return "Select-SQL for master table:\r\n" + Text + "\r\n";
}

const std::vector<TTableCase> RunTextCases = {
    {"UpdateListsOnlyTheChangedColumns", "ID INTEGER NOT NULL PRIMARY KEY, A INTEGER, B VARCHAR(10), C INTEGER", nullptr,
     {"(1, 1, 'new', 1)", "(2, 5, 'x', 7)"}, {"(1, 1, 'old', 1)", "(2, 4, 'x', Null)"}, nullptr,
     {"UPDATE T SET \r\nB='new'\r\nWHERE ID = 1\r\n", "UPDATE T SET \r\nA=5,\r\nC=7\r\nWHERE ID = 2\r\n"}, {}},
    // Firebird puts NULLs first unless asked.
    {"NullKeysSortLastAndMatchWithIsNull", "K INTEGER, V INTEGER", nullptr, {"(Null, 1)"}, {"(5, 0)", "(Null, 2)"},
     KeyFields("K"), {"DELETE FROM T WHERE K = 5\r\n", "UPDATE T SET \r\nV=1\r\nWHERE K is Null\r\n"},
     {MasterSelect("select K, V\r\nfrom T\r\n Order by K NULLS LAST")}},
    {"ExcludedColumnsLeaveDiscoveredLists", "ID INTEGER NOT NULL PRIMARY KEY, A INTEGER, SECRET INTEGER", nullptr,
     {"(1, 1, 3)"}, {"(1, 1, 9)"}, [](TVelmorin& c) { c.ExcludeDataFields().SetLines({"secret", "NOT_A_COLUMN"}); }, {},
     {MasterSelect("select ID, A\r\nfrom T\r\n Order by ID")}},
    {"BlobColumnsStayOutWhenNotIncluded", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), PIC BLOB SUB_TYPE BINARY",
     nullptr, {"(1, 'a', x'01')"}, {"(1, 'a', x'02')"}, [](TVelmorin& c) { c.IncludeBlobs = false; }, {},
     {"T: ID NAME", MasterSelect("select ID, NAME\r\nfrom T\r\n Order by ID")}},
    // Primary keys declared (A, B) on one side and (B, A) on the other:
    // both sides are ordered and compared by A, then B.
    {"CatalogueKeysArePairedByName", "A INTEGER NOT NULL, B INTEGER NOT NULL, V INTEGER, PRIMARY KEY (A, B)",
     "A INTEGER NOT NULL, B INTEGER NOT NULL, V INTEGER, PRIMARY KEY (B, A)", {"(1, 2, 10)", "(2, 1, 20)", "(3, 0, 30)"},
     {"(1, 2, 10)", "(2, 1, 21)", "(0, 3, 30)"}, nullptr,
     {"DELETE FROM T WHERE A = 0 and B = 3\r\n", "UPDATE T SET \r\nV=20\r\nWHERE A = 2 and B = 1\r\n",
      "INSERT INTO T (A, B, V)\r\nVALUES(3, 0, 30)\r\n"},
     {"Select-SQL for target table:\r\nselect A, B, V\r\nfrom T\r\n Order by A, B\r\n"}},
};

} // namespace

TEST_P(RunTexts, StatementsAndLog)
{
    const TTableCase& p = GetParam();
    auto run = NewRun(p);
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(run->C.ErrorCount, 0) << Joined(run->errors);
    EXPECT_EQ(SinkTexts(), p.Expected);
    for (const std::string& line : p.Log)
        EXPECT_NE(std::find(run->log.begin(), run->log.end(), line), run->log.end()) << line << "\n--- in:\n" << Joined(run->log);
    for (int i = 0; i < sink.Count(); ++i) {
        const std::string verb = sink.Statements(i).SQL.Text().substr(0, 6);
        EXPECT_EQ(sink.Statements(i).StatType,
                  verb == "INSERT" ? TStatType::stInsert : verb == "UPDATE" ? TStatType::stUpdate : TStatType::stDelete);
        EXPECT_EQ(sink.Statements(i).ObjName, "T");
    }
}

INSTANTIATE_TEST_SUITE_P(Velmorin, RunTexts, ::testing::ValuesIn(RunTextCases), TableCaseName);

TEST_F(CompareRun, KeysOneTwoFourAgainstTwoThreeFour)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20)");
    master->Insert("T1", {"(1, 'n1')", "(2, 'n2')", "(4, 'n4')"});
    target->Insert("T1", {"(2, 'n2')", "(3, 'n3')", "(4, 'n4')"});
    auto run = NewRun("T1", true);
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(run->C.ErrorCount, 0) << Joined(run->errors);
    EXPECT_EQ(run->log, (std::vector<std::string>{
                            "T1: ID NAME", "T1: ID NAME",
                            "Select-SQL for master table:\r\nselect ID, NAME\r\nfrom T1\r\n Order by ID\r\n",
                            "Select-SQL for target table:\r\nselect ID, NAME\r\nfrom T1\r\n Order by ID\r\n",
                            "Equal: 2, Inserted: 1, Updated: 0, Deleted: 1, All: 4."}));
    const std::string connect = "CONNECT '" + TargetPath() + "' USER 'SYSDBA' PASSWORD 'masterkey'";
    // Every DELETE comes before the INSERTs, which wait for the merge's end.
    EXPECT_EQ(Script(), "SET NAMES UTF8;\r\nSET SQL DIALECT 3;\r\n" + connect +
                            ";\r\nDELETE FROM T1 WHERE ID = 3;\r\nINSERT INTO T1 (ID, NAME)\r\nVALUES(1, 'n1');\r\n");
    ASSERT_EQ(sink.Count(), 5);
    EXPECT_EQ(sink.Statements(0).StatType, TStatType::stCharSet);
    EXPECT_EQ(sink.Statements(1).StatType, TStatType::stSet);
    EXPECT_EQ(sink.Statements(2).StatType, TStatType::stConnect);
    EXPECT_EQ(sink.Statements(3).Operation, TDbOperation::odbDelete);
    EXPECT_EQ(sink.Statements(4).StatType, TStatType::stInsert);
    EXPECT_EQ(sink.Statements(4).ObjName, "T1");
    EXPECT_EQ(sink.Statements(4).ObjType, TDbObject::dboTable);
    EXPECT_EQ(sink.Statements(4).Operation, TDbOperation::odbInsert);
    EXPECT_EQ(run->C.TableOptionsMaster().PrimaryKeyList.Lines(), std::vector<std::string>{"ID"});
    // The connections were open before and stay open.
    EXPECT_TRUE(master->Connection().Connected());
    EXPECT_TRUE(target->Connection().Connected());
}

TEST_F(CompareRun, ConnectsWhatWasClosedAndClosesItAgain)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY");
    master->Connection().SetConnected(false);
    target->Connection().SetConnected(false);
    auto run = NewRun("T1");
    run->C.ScriptOptions().GenerateScript = true;
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    ASSERT_GE(run->log.size(), 6u);
    EXPECT_EQ(run->log[0], "Connecting to target-database...: " + TargetPath());
    EXPECT_EQ(run->log[1], "Connecting: Successfull...");
    EXPECT_EQ(run->log[2], "Connecting to master-database...: " + MasterPath());
    EXPECT_EQ(run->log[3], "Connecting: Successfull...");
    EXPECT_EQ(run->log[run->log.size() - 2], "Disconnecting from target database: Ok.");
    EXPECT_EQ(run->log.back(), "Disconnecting from master database: Ok.");
    EXPECT_FALSE(master->Connection().Connected());
    EXPECT_FALSE(target->Connection().Connected());
}

// A target whose path holds a quote and a blank: the script's CONNECT
// doubles the quote, and the executor must read it back so, or every
// statement runs against a file named up to the quote.
TEST_F(CompareRun, ScriptForATargetWhosePathHoldsAQuoteRunsOnIt)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY, A VARCHAR(10)");
    master->Insert("T1", {"(1, 'a')", "(2, 'it''s')"});
    target->Insert("T1", {"(2, 'b')", "(3, 'c')"});
    TQELConnection& tc = target->Connection();
    tc.SetConnected(false);
    const std::string odd = target->Dir().File("o'b x.fdb");
    std::filesystem::rename(TargetPath(), odd);
    tc.ConnectionOptions().DatabaseName = odd;
    auto run = NewRun("T1", true);
    auto exec = target->NewExecutor();
    run->C.SetSQLExec(exec.get());
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_NE(Script().find("o''b x.fdb"), std::string::npos) << Script();
    std::vector<std::string> execErrors;
    exec->OnErrorMessage = [&](TObject&, const std::string& t) { execErrors.push_back(t); };
    EXPECT_TRUE(exec->Execute()) << Joined(execErrors);
    EXPECT_TRUE(execErrors.empty()) << Joined(execErrors);
    EXPECT_EQ(tc.ConnectionOptions().DatabaseName, odd);
    tc.SetConnected(true);
    const std::string rows = "select ID, A from T1 order by ID";
    EXPECT_EQ(target->Rows(rows), master->Rows(rows));
}

// The summary counts what the target took; a statement it refused (by a
// rule of its own, which the comparer cannot foresee) is named with its row.
TEST_F(CompareRun, ImmediateModeCountsWhatTheTargetTook)
{
    master->CreateTable("T14", "ID INTEGER NOT NULL PRIMARY KEY, A VARCHAR(10)");
    target->CreateTable("T14", "ID INTEGER NOT NULL PRIMARY KEY, A VARCHAR(10) CHECK (CHAR_LENGTH(A) <= 3)");
    master->Insert("T14", {"(1, 'ok')", "(2, 'too long')", "(3, 'yes')", "(4, 'very long!')"});
    target->Insert("T14", {"(3, 'no')", "(4, 'old')", "(5, 'del')"});
    auto run = NewRun("T14");
    run->C.SetUpdateImmediately(true);
    ASSERT_TRUE(run->C.Execute());
    EXPECT_EQ(run->C.Inserted, 1);
    EXPECT_EQ(run->C.Updated, 1);
    EXPECT_EQ(run->C.Deleted, 1);
    ASSERT_EQ(run->errors.size(), 2u) << Joined(run->errors);
    EXPECT_NE(run->errors[0].find("Not applied: UPDATE T14 (ID = 4)"), std::string::npos) << run->errors[0];
    EXPECT_NE(run->errors[1].find("Not applied: INSERT INTO T14 (ID = 2)"), std::string::npos) << run->errors[1];
    EXPECT_EQ(target->Rows("select ID, A from T14 order by ID"),
              (TRows{{"1", "ok"}, {"3", "yes"}, {"4", "old"}}));
}

// The target takes parameters at once; a script written as well, and the
// executor, get the values themselves, or running them later would write
// Nulls.
TEST_F(CompareRun, ImmediateModeRunsParametersWithOrWithoutAScript)
{
    const std::string rows = "select ID, NAME, PIC from T1 order by ID";
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), PIC BLOB SUB_TYPE BINARY");
    master->Insert("T1", {"(1, 'a', x'0102')", "(2, 'b', Null)"});
    for (bool script : {false, true}) {
        SCOPED_TRACE(script ? "with a script" : "without a script");
        target->Exec("delete from T1");
        target->Insert("T1", {"(2, 'x', Null)", "(3, 'c', Null)"});
        auto run = NewRun("T1");
        auto exec = target->NewExecutor();
        run->C.SetSQLExec(exec.get());
        run->C.SetUpdateImmediately(true);
        run->C.ScriptOptions().GenerateScript = script;
        std::vector<std::string> shown;
        int opened = 0;
        run->C.OnAddResultSQL = [&](TObject&, bool&, const std::string& sql, TStatType, const std::string&, TDbObject,
                                    TDbOperation) { shown.push_back(sql); };
        run->C.BeforeOpen = [&](TQELQuery& q) {
            ++opened;
            EXPECT_EQ(&q, run->C.ExecQuery());
        };
        ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
        EXPECT_EQ(run->C.ErrorCount, 0) << Joined(run->errors);
        EXPECT_EQ(target->Rows(rows), master->Rows(rows));
        EXPECT_EQ(opened, 3);
        // The event sees what runs against the target (after the script's
        // header, which it is shown even when no script is written).
        ASSERT_GE(shown.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(shown.end() - 3, shown.end()),
                  (std::vector<std::string>{"UPDATE T1 SET \r\nNAME=:DATA1\r\nWHERE ID = :KEY0", "DELETE FROM T1 WHERE ID = :KEY0",
                                            "INSERT INTO T1 (ID, NAME, PIC)\r\nVALUES(:DATA0, :DATA1, :DATA2)"}));
        if (!script) {
            // No side file is written, so none is named.
            for (const std::string& s : shown) EXPECT_EQ(s.find("SET BLOBFILE"), std::string::npos) << s;
            EXPECT_EQ(exec->Count(), 0);
            EXPECT_FALSE(std::filesystem::exists(target->Dir().File("Result.SQL")));
            continue;
        }
        EXPECT_EQ(shown.front(), "SET BLOBFILE 'Result.LOB'");
        EXPECT_EQ(Script(), "SET BLOBFILE 'Result.LOB';\r\n"
                            "UPDATE T1 SET \r\nNAME='b'\r\nWHERE ID = 2;\r\n"
                            "DELETE FROM T1 WHERE ID = 3;\r\n"
                            "INSERT INTO T1 (ID, NAME, PIC)\r\nVALUES(1, 'a', :h00000000_00000002);\r\n");
        EXPECT_EQ(StatementTexts(*exec), "SET BLOBFILE 'Result.LOB'\r\n\nUPDATE T1 SET \r\nNAME='b'\r\nWHERE ID = 2\r\n\n"
                                         "DELETE FROM T1 WHERE ID = 3\r\n\n"
                                         "INSERT INTO T1 (ID, NAME, PIC)\r\nVALUES(1, 'a', :h00000000_00000002)\r\n\n");
        // What was applied at once is not applied again by the executor.
        for (int i = 0; i < exec->Count(); ++i)
            EXPECT_EQ(exec->Statements(i).Executed, exec->Statements(i).StatType != TStatType::stSetBlobFile) << i;
        // The script brings a target in the old state to the master's rows.
        for (int i = 0; i < exec->Count(); ++i) exec->Statements(i).Executed = false;
        target->Exec("delete from T1");
        target->Insert("T1", {"(2, 'x', Null)", "(3, 'c', Null)"});
        std::vector<std::string> execErrors;
        exec->OnErrorMessage = [&](TObject&, const std::string& t) { execErrors.push_back(t); };
        EXPECT_TRUE(exec->Execute()) << Joined(execErrors);
        EXPECT_EQ(target->Rows(rows), master->Rows(rows));
    }
}

// A DELETE left out of the allowed operations is neither produced nor
// counted; one that OnAddResultSQL vetoes is counted and reaches nothing.
TEST_F(CompareRun, OperationsLeftOutOrVetoed)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20)");
    master->Insert("T1", {"(1, 'a')"});
    target->Insert("T1", {"(2, 'b')"});
    for (bool veto : {false, true}) {
        auto run = NewRun("T1");
        if (veto) {
            run->C.OnAddResultSQL = [](TObject&, bool& accept, const std::string&, TStatType t, const std::string&, TDbObject,
                                       TDbOperation) { accept = t != TStatType::stDelete; };
        } else {
            run->C.AllowedOperations.Exclude(TDataCompareOperation::dcopDelete);
        }
        ASSERT_TRUE(run->C.Execute());
        EXPECT_EQ(run->C.Deleted, veto ? 1 : 0);
        EXPECT_EQ(run->C.Inserted, 1);
        EXPECT_EQ(SinkTexts(), std::vector<std::string>{"INSERT INTO T1 (ID, NAME)\r\nVALUES(1, 'a')\r\n"});
        EXPECT_EQ(Script(), "INSERT INTO T1 (ID, NAME)\r\nVALUES(1, 'a');\r\n");
    }
}

TEST_F(CompareRun, EventsSupplyTheColumnLists)
{
    Both("T4", "ID INTEGER NOT NULL PRIMARY KEY, A INTEGER, B INTEGER, SECRET INTEGER");
    master->Insert("T4", {"(1, 1, 2, 3)"});
    target->Insert("T4", {"(1, 1, 5, 9)"});
    auto run = NewRun("T4");
    int calls = 0;
    run->C.OnGetKeyFields = [&](TObject&, TStringList& m, TStringList& t) {
        ++calls;
        m.SetLines({"ID"});
        t.SetLines({"ID"});
    };
    run->C.OnGetDataFields = [&](TObject&, TStringList& m, TStringList& t) {
        ++calls;
        m.SetLines({"ID", "B", "SECRET"});
        t.SetLines({"ID", "B", "SECRET"});
    };
    run->C.OnGetExcludeFields = [&](TObject&, TStringList& m, TStringList& t) {
        ++calls;
        m.SetLines({"SECRET"});
        t.SetLines({"SECRET"});
    };
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(run->log[0], "Select-SQL for master table:\r\nselect ID, B, SECRET\r\nfrom T4\r\n Order by ID\r\n");
    EXPECT_EQ(SinkTexts(), std::vector<std::string>{"UPDATE T4 SET \r\nB=2,\r\nSECRET=3\r\nWHERE ID = 1\r\n"});
}

TEST_F(CompareRun, CompareFieldsEventDecidesEquality)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20)");
    master->Insert("T1", {"(1, 'abc')"});
    target->Insert("T1", {"(1, 'ABC')"});
    auto run = NewRun("T1");
    int calls = 0;
    run->C.OnCompareFields = [&](TObject&, TField& m, TField& t) {
        ++calls;
        if (m.IsNull() || t.IsNull()) return int(t.IsNull()) - int(m.IsNull());
        return CompareText(m.AsString(), t.AsString());
    };
    ASSERT_TRUE(run->C.Execute());
    EXPECT_EQ(run->C.Equal, 1);
    EXPECT_EQ(run->C.Updated, 0);
    EXPECT_GE(calls, 3);
}

TEST_F(CompareRun, SelectAndCountEventsSupplyTheTexts)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20)");
    master->Insert("T1", {"(1, 'x')", "(2, 'x')", "(3, 'x')"});
    auto run = NewRun("T1");
    std::vector<std::string> countLists, selectLists;
    run->C.OnGetCountSQL = [&](TObject&, TStringList& m, TStringList& t) {
        countLists.push_back(m.Text() + "|" + t.Text());
        m.SetText("select 10 from rdb$database");
        t.SetText("select 20 from rdb$database");
    };
    run->C.OnGetSelectSQL = [&](TObject&, TStringList& m, TStringList& t) {
        selectLists.push_back(m.Text() + "|" + t.Text());
        m.SetText("select ID, NAME from T1 where ID < 3 order by ID");
        t.SetText("select ID, NAME from T1 order by ID");
    };
    // Rows are counted only for a progress event.
    run->C.OnProgressUpdateMaster = [](TObject&, int, int) {};
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(countLists, std::vector<std::string>{"|"});
    // The lists still hold the count texts when the SELECT event receives them.
    EXPECT_EQ(selectLists, std::vector<std::string>{"select 10 from rdb$database\r\n|select 20 from rdb$database\r\n"});
    EXPECT_EQ(run->C.ProgressMaxMaster, 10);
    EXPECT_EQ(run->C.ProgressMaxTarget, 20);
    EXPECT_EQ(run->C.Inserted, 2);
    for (const auto& l : run->log) EXPECT_EQ(l.find("Select-SQL"), std::string::npos) << l;
}

TEST_F(CompareRun, ProgressCountsRowsFromOneAfterOpeningToCountPlusOne)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20)");
    master->Insert("T1", {"(1, 'x')", "(2, 'x')", "(3, 'x')"});
    target->Insert("T1", {"(1, 'x')", "(2, 'x')"});
    auto run = NewRun("T1");
    std::vector<std::pair<int, int>> pm, pt;
    run->C.OnProgressUpdateMaster = [&](TObject&, int v, int m) { pm.emplace_back(v, m); };
    run->C.OnProgressUpdateTarget = [&](TObject&, int v, int m) { pt.emplace_back(v, m); };
    ASSERT_TRUE(run->C.Execute());
    ASSERT_GE(pm.size(), 3u);
    EXPECT_EQ(pm.front(), std::make_pair(0, 1));
    EXPECT_EQ(pm[1], std::make_pair(1, 3));
    EXPECT_EQ(pm.back(), std::make_pair(4, 3));
    EXPECT_EQ(pt.back(), std::make_pair(3, 2));
    EXPECT_TRUE(std::is_sorted(pm.begin() + 1, pm.end()));
}

TEST_F(CompareRun, LowerCaseTableNameIsLookedUpAsWritten)
{
    Both("\"customer\"", "ID INTEGER NOT NULL PRIMARY KEY");
    Both("CUSTOMER", "ID INTEGER NOT NULL, NAME VARCHAR(5), CONSTRAINT U1 UNIQUE (NAME)");
    auto run = NewRun("customer");
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(run->log[0], "customer: ID");
    auto upper = NewRun("Customer");
    upper->C.SetTableNameMaster("CUSTOMER");
    upper->C.SetTableNameTarget("CUSTOMER");
    ASSERT_TRUE(upper->C.Execute()) << Joined(upper->errors);
    EXPECT_EQ(upper->log[0], "CUSTOMER: ID NAME");
    // No primary key: the unique key orders and identifies the rows.
    EXPECT_EQ(upper->C.TableOptionsMaster().UniqueKeyList.Lines(), std::vector<std::string>{"NAME"});
    EXPECT_TRUE(upper->C.TableOptionsMaster().PrimaryKeyList.Empty());
}

TEST_F(CompareRun, ColumnsInPositionOrderWithoutComputedOnes)
{
    Both("T6", "B INTEGER NOT NULL, A INTEGER, C COMPUTED BY (A + 1), PRIMARY KEY (A, B)");
    master->Exec("alter table T6 alter A position 1");
    target->Exec("alter table T6 alter A position 1");
    auto run = NewRun("T6");
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(run->log[0], "T6: A B");
    EXPECT_EQ(run->C.TableOptionsMaster().PrimaryKeyList.Lines(), (std::vector<std::string>{"A", "B"}));
    run->C.IgnoreComputedFields = false;
    run->log.clear();
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(run->log[0], "T6: A B C");
}

TEST_F(CompareRun, BlobsGoToTheSideFileNamedByTheHeader)
{
    Both("T5", "ID INTEGER NOT NULL PRIMARY KEY, PIC BLOB SUB_TYPE BINARY, TXT BLOB SUB_TYPE TEXT");
    master->Insert("T5", {"(1, x'000102030405060708090A0B0C0D0E0F', 'hello')"});
    auto run = NewRun("T5");
    ASSERT_TRUE(run->C.Execute()) << Joined(run->errors);
    EXPECT_EQ(Script(), "SET BLOBFILE 'Result.LOB';\r\nINSERT INTO T5 (ID, PIC, TXT)\r\n"
                        "VALUES(1, :h00000000_00000010, :h00000010_00000005);\r\n");
    EXPECT_EQ(qeltest::ReadFile(target->Dir().File("Result.LOB")),
              std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0Fhello", 21));
    ASSERT_EQ(sink.Count(), 2);
    EXPECT_EQ(sink.Statements(0).StatType, TStatType::stSetBlobFile);
    EXPECT_EQ(sink.Statements(0).ObjName, target->Dir().File("Result.LOB"));
    // A side file in another folder is named with its whole path.
    qeltest::TempDir other;
    run->C.SetBlobFileName(other.File("b.lob"));
    ASSERT_TRUE(run->C.Execute());
    EXPECT_EQ(Script().substr(0, Script().find(";")), "SET BLOBFILE '" + other.File("b.lob") + "'");
}

// The script's CONNECT line carries the target's password: the script and
// its side file are the owner's only, whatever the umask, an old file's
// mode, or whether the side file holds values or is left empty.
TEST_F(CompareRun, ScriptAndSideFileAreReadableByTheirOwnerOnly)
{
    Both("T5", "ID INTEGER NOT NULL PRIMARY KEY, PIC BLOB SUB_TYPE BINARY");
    auto run = NewRun("T5");
    const std::string files[] = {run->C.ScriptFileName(), run->C.BlobFileName()};
    for (const char* row : {"(1, x'01')", "(2, Null)"}) {
        master->Exec("DELETE FROM T5");
        master->Insert("T5", {row});
        for (const std::string& f : files) {
            qeltest::WriteFile(f, "old");
            ::chmod(f.c_str(), 0644);
        }
        const mode_t oldMask = ::umask(022);
        const bool ok = run->C.Execute();
        ::umask(oldMask);
        ASSERT_TRUE(ok) << Joined(run->errors);
        for (const std::string& f : files) {
            struct stat st {};
            ASSERT_EQ(::stat(f.c_str(), &st), 0) << f;
            EXPECT_EQ(st.st_mode & 0777, 0600u) << f << " " << row;
            EXPECT_NE(qeltest::ReadFile(f), "old") << f << " " << row;
        }
    }
}

TEST_F(CompareRun, BlobThatCannotBeSavedWithdrawsItsStatementOnly)
{
    Both("T5", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(5), PIC BLOB SUB_TYPE BINARY");
    master->Insert("T5", {"(1, 'a', x'0102')", "(2, 'new', Null)"});
    target->Insert("T5", {"(1, 'a', x'FFFF')", "(2, 'old', Null)"});
    auto run = NewRun("T5");
    run->C.SetBlobFileName("/no/such/folder/x.LOB");
    ASSERT_TRUE(run->C.Execute());
    ASSERT_EQ(run->errors.size(), 2u) << Joined(run->errors);
    EXPECT_EQ(run->errors[0].rfind("Error: Cannot create file \"/no/such/folder/x.LOB\".", 0), 0u);
    EXPECT_EQ(run->errors[1], "Error: Statements not produced because a value could not be written: 1.");
    EXPECT_EQ(run->log.back(), "Errors: 2");
    EXPECT_EQ(run->C.Updated, 1);
    EXPECT_EQ(SinkTexts().back(), "UPDATE T5 SET \r\nNAME='new'\r\nWHERE ID = 2\r\n");
    // Nothing writes Null over the target's value; the script names a side
    // file that could not be made, which its run reports.
    auto exec = target->NewExecutor();
    run->C.SetSQLExec(exec.get());
    ASSERT_TRUE(run->C.Execute());
    EXPECT_FALSE(exec->Execute());
    EXPECT_EQ(exec->Statements(0).StatType, TStatType::stSetBlobFile);
    EXPECT_FALSE(exec->Statements(0).ErrorText.empty());
    EXPECT_EQ(target->Rows("select PIC, NAME from T5 order by ID"),
              (TRows{{"xFFFF", "a"}, {"<null>", "new"}}));
}

// ---- bad input ----

TEST_F(CompareRun, MissingTablesAreReportedAndNothingIsWritten)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY");
    for (bool missingMaster : {true, false}) {
        auto run = NewRun("T1");
        (missingMaster ? run->C.SetTableNameMaster("NOPE") : run->C.SetTableNameTarget("NOPE"));
        const std::string db = missingMaster ? MasterPath() : TargetPath();
        ASSERT_TRUE(run->C.Execute());
        EXPECT_EQ(run->errors, (std::vector<std::string>{
                                   "Error: Table: NOPE not exists.\r\nDatabase: " + db,
                                   "Error: There are no data-fields for comparison. Table: NOPE Database: " + db,
                                   "Error: There are no key-fields for comparison. Table: NOPE Database: " + db}));
        EXPECT_EQ(run->log.back(), "Errors: 3");
        EXPECT_EQ(sink.Count(), 0);
        EXPECT_FALSE(std::filesystem::exists(target->Dir().File("Result.SQL")));
    }
}

namespace {

// Input the comparer cannot pair safely: the run reports it and stops
// before anything reaches the script, the executor or the target.
class RefusedRuns : public CompareRun, public ::testing::WithParamInterface<std::tuple<TTableCase, bool>> {};

std::string Refused(const std::string& Message)
{
    return "Error: " + Message + " No statements were produced.";
}

const std::vector<TTableCase> RefusedCases = {
    {"KeyFieldThatDoesNotExist", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(5)", nullptr, {"(1, 'a')"}, {},
     KeyFields("NOPE"),
     {"Error: Key field NOPE of table T is not among the data fields of the comparison.",
      "Error: Key field NOPE of table T is not among the data fields of the comparison."}},
    // Lists given for both sides pair by position.
    {"DifferentColumnCounts", "ID INTEGER NOT NULL PRIMARY KEY, A INTEGER, B INTEGER",
     "ID INTEGER NOT NULL PRIMARY KEY, A INTEGER", {"(1, 1, 1)"}, {},
     [](TVelmorin& c) {
         c.OnGetDataFields = [](TObject&, TStringList& M, TStringList& T) {
             M.SetLines({"ID", "A", "B"});
             T.SetLines({"ID", "A"});
         };
     },
     {Refused("The master SELECT returns 3 columns and the target SELECT 2. Table: T, T.")}},
    {"RepeatedMasterKey", "ID INTEGER, NAME VARCHAR(5)", nullptr, {"(1, 'a')", "(2, 'b')", "(2, 'c')", "(3, 'd')"},
     {"(0, 'z')"}, KeyFields("ID"), {Refused("Master table T: the key ID = 2 occurs more than once.")}},
    {"RowsOutOfKeyOrder", "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(5)", nullptr, {"(1, 'a')", "(2, 'a')", "(3, 'a')"},
     {"(0, 'z')"},
     [](TVelmorin& c) {
         c.OnGetSelectSQL = [](TObject&, TStringList& m, TStringList& t) {
             m.SetText("select ID, NAME from T order by ID desc");
             t.SetText("select ID, NAME from T order by ID");
         };
     },
     {Refused("Master table T: the rows do not arrive in key order (ID = 2 after ID = 3).")}},
    // Text "10" sorts before "9", the number 10 after 9: such keys would
    // pair the wrong rows.
    {"TextKeyAgainstNumberKey", "K VARCHAR(5) NOT NULL, V INTEGER", "K INTEGER NOT NULL, V INTEGER",
     {"('9', 1)", "('10', 1)"}, {"(9, 2)", "(10, 2)"}, KeyFields("K"),
     {Refused("The key columns differ in kind: master T.K is text, target T.K is a number.")}},
    {"DateKeyAgainstTextKey", "K DATE NOT NULL, V INTEGER", "K VARCHAR(10) NOT NULL, V INTEGER",
     {"('2024-02-27', 1)", "('2024-03-01', 1)"}, {"('27.02.2024', 2)", "('01.03.2024', 2)"}, KeyFields("K"),
     {Refused("The key columns differ in kind: master T.K is a date, target T.K is text.")}},
};

} // namespace

TEST_P(RefusedRuns, ProduceNothingAndLeaveTheTargetAlone)
{
    const auto& [p, immediate] = GetParam();
    auto run = NewRun(p);
    const TRows before = target->Rows("select * from T");
    run->C.SetUpdateImmediately(immediate);
    ASSERT_TRUE(run->C.Execute());
    EXPECT_EQ(run->errors, p.Expected);
    EXPECT_EQ(sink.Count(), 0);
    EXPECT_EQ(Script(), "");
    EXPECT_EQ(run->C.Inserted + run->C.Updated + run->C.Deleted, 0);
    EXPECT_EQ(target->Rows("select * from T"), before);
}

INSTANTIATE_TEST_SUITE_P(Velmorin, RefusedRuns, ::testing::Combine(::testing::ValuesIn(RefusedCases), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<TTableCase, bool>>& i) {
                             return std::string(std::get<0>(i.param).Name) + Mode(std::get<1>(i.param));
                         });

TEST_F(CompareRun, UnreachableTargetEndsTheRunBeforeAnythingIsWritten)
{
    Both("T1", "ID INTEGER NOT NULL PRIMARY KEY");
    TQELConnection away;
    qeltest::ConfigureFirebird(away, "/nowhere/x.fdb");
    away.ConnectionOptions().HostName = "127.0.0.1/1";
    away.ConnectionOptions().Protocol = TQELProtocol::ptTCP;
    std::vector<std::string> connectionErrors;
    away.OnErrorMessage = [&](TObject&, const std::string& t) { connectionErrors.push_back(t); };
    auto run = NewRun("T1");
    run->C.SetQELConnectionTarget(&away);
    EXPECT_FALSE(run->C.Execute());
    ASSERT_EQ(run->errors.size(), 1u);
    ASSERT_EQ(connectionErrors.size(), 1u);
    EXPECT_EQ(run->errors[0], "Error: " + connectionErrors[0]);
    EXPECT_EQ(run->log, std::vector<std::string>{"Connecting to target-database...: /nowhere/x.fdb"});
    EXPECT_FALSE(std::filesystem::exists(target->Dir().File("Result.SQL")));
    EXPECT_EQ(sink.Count(), 0);
}
