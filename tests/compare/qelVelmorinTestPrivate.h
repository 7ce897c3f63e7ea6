// What the comparer's run tests share: a run over table T of two embedded
// Firebird databases (CompareRun) and the rows of such a run (TTableCase).
#pragma once

#include "qelSQL_Exec.h"
#include "qelVelmorin.h"
#include "qelVelmorinFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Table T on both sides, its rows, how a run over it is set up, and what
// the run must give.
struct TTableCase {
    const char* Name;
    const char* MasterBody;
    const char* TargetBody; // nullptr: as the master's
    std::vector<std::string> MasterRows, TargetRows;
    std::function<void(qel::TVelmorin&)> Setup;
    std::vector<std::string> Expected; // the statements produced, or the errors reported
    std::vector<std::string> Log = {}; // lines the log holds
};

inline std::string TableCaseName(const ::testing::TestParamInfo<TTableCase>& info)
{
    return info.param.Name;
}

class CompareRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        master = std::make_unique<cmptest::TTestDatabase>(cmptest::TServer::FbEmbedded);
        target = std::make_unique<cmptest::TTestDatabase>(cmptest::TServer::FbEmbedded);
        if (!master->Unavailable().empty()) GTEST_SKIP() << master->Unavailable();
    }

    // The same table on both sides.
    void Both(const std::string& Table, const std::string& Body)
    {
        master->CreateTable(Table, Body);
        target->CreateTable(Table, Body);
    }

    std::unique_ptr<cmptest::TRun> NewRun(const std::string& Table, bool Connect = false)
    {
        auto run = std::make_unique<cmptest::TRun>(*master, Table, *target, Table);
        // The whole header is the subject of one test; the others keep to
        // the data statements.
        run->C.ScriptOptions().Connect = Connect;
        run->C.ScriptOptions().DBCharSet = Connect;
        run->C.ScriptOptions().SQLDialect = Connect;
        run->C.SetSQLExec(&sink);
        return run;
    }

    // The table of a case on both sides, and a run over it, set up.
    std::unique_ptr<cmptest::TRun> NewRun(const TTableCase& Case)
    {
        master->CreateTable("T", Case.MasterBody);
        target->CreateTable("T", Case.TargetBody != nullptr ? Case.TargetBody : Case.MasterBody);
        master->Insert("T", Case.MasterRows);
        target->Insert("T", Case.TargetRows);
        auto run = NewRun("T");
        if (Case.Setup) Case.Setup(run->C);
        return run;
    }

    std::vector<std::string> SinkTexts()
    {
        std::vector<std::string> r;
        for (int i = 0; i < sink.Count(); ++i) r.push_back(sink.Statements(i).SQL.Text());
        return r;
    }

    std::string Script() { return qeltest::ReadFile(target->Dir().File("Result.SQL")); }
    std::string MasterPath() { return master->Connection().ConnectionOptions().DatabaseName; }
    std::string TargetPath() { return target->Connection().ConnectionOptions().DatabaseName; }

    std::unique_ptr<cmptest::TTestDatabase> master, target;
    qel::TCustomSQLExec sink;
};

// Key is the key field of both sides.
inline std::function<void(qel::TVelmorin&)> KeyFields(const std::string& Key)
{
    return [Key](qel::TVelmorin& c) {
        c.TableOptionsMaster().KeyFields().SetLines({Key});
        c.TableOptionsTarget().KeyFields().SetLines({Key});
    };
}
