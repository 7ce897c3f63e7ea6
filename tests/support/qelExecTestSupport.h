// What the executor tests share: the engine-level test databases (see
// qelEngineTestSupport.h), a recorder of an executor's log and errors, and
// the InterBase executor over an embedded database with the table T.
#pragma once

#include "qelDBOptions.h"
#include "qelEngineTestSupport.h"
#include "qelIBSQLExec.h"
#include "qelSQL_Exec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qeltest {

// Records what an executor reports.
struct TRecorder {
    std::vector<std::string> Log;
    std::vector<std::string> Errors;

    void Attach(qel::TCustomSQLExec& X)
    {
        X.OnLogNextLine = [this](qel::TObject&, const std::string& t) { Log.push_back(t); };
        X.OnErrorMessage = [this](qel::TObject&, const std::string& t) { Errors.push_back(t); };
    }
    bool Logged(const std::string& Line) const { return std::find(Log.begin(), Log.end(), Line) != Log.end(); }
    int LogCount(const std::string& Line) const
    {
        return static_cast<int>(std::count(Log.begin(), Log.end(), Line));
    }
    bool AnyLogContains(const std::string& Part) const
    {
        return std::any_of(Log.begin(), Log.end(), [&](const std::string& l) { return l.find(Part) != std::string::npos; });
    }
    std::string AllErrors() const
    {
        std::string r;
        for (const auto& e : Errors) r += e + "\n";
        return r;
    }
};

// An InterBase executor (named ExecName, if any) on a connection to a fresh
// embedded database (File, in the test's own folder) that holds T (ID
// INTEGER NOT NULL PRIMARY KEY, NOTE VARCHAR(20)). The connection's errors
// are kept apart from the executor's.
class TFirebirdExecFixture : public ::testing::Test {
protected:
    explicit TFirebirdExecFixture(std::string File, std::string ExecName = {})
        : m_file(std::move(File)), m_execName(std::move(ExecName))
    {
    }

    void SetUp() override
    {
        path = NewDatabase(m_file);
        if (!m_execName.empty()) x.SetName(m_execName);
        ConfigureFirebird(c, path);
        c.IBServerOptions().SetDBCharSet("UTF8");
        c.OnErrorMessage = [this](qel::TObject&, const std::string& t) { connectionErrors.push_back(t); };
        x.SetQELConnection(&c);
        rec.Attach(x);
    }

    // An embedded database with the table T.
    std::string NewDatabase(const std::string& name, const std::string& charSet = "UTF8")
    {
        const std::string file = dir.File(name);
        CreateFirebird(file, charSet);
        TInspector(file).Run("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOTE VARCHAR(20))");
        return file;
    }

    qel::TStatement* Insert(int id, const std::string& note = "n")
    {
        return x.AddStatement("INSERT INTO T (ID, NOTE) VALUES (" + std::to_string(id) + ", '" + note + "')",
                              qel::TStatType::stInsert, "T", qel::TDbObject::dboTable, qel::TDbOperation::odbInsert);
    }

    std::vector<std::string> Ids(const std::string& db) { return TInspector(db).Column("SELECT ID FROM T ORDER BY ID"); }
    std::vector<std::string> Ids() { return Ids(path); }

    TempDir dir;
    std::string path;
    qel::TQELConnection c;
    qel::TIBSQLExec x;
    TRecorder rec;
    std::vector<std::string> connectionErrors;

private:
    std::string m_file, m_execName;
};

} // namespace qeltest
