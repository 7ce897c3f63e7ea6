// What the executor tests share: embedded Firebird databases in a fresh
// folder, SQLite files through ODBC, a second connection to look at what a
// run left behind, and a recorder of an executor's log and errors.
#pragma once

#include "../platform/qelIBTestSupport.h"
#include "qelConnection_IBXDB.h"
#include "qelDBEngine.h"
#include "qelDataSet.h"
#include "qelSQL_Exec.h"
#include "qelTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qeltest {

// An embedded-engine connection to Path (created when Create is set).
inline void ConfigureFirebird(qel::TQELConnection& C, const std::string& Path)
{
    UsePrivateFirebirdLock();
    C.SetDatabaseType(qel::TDatabaseType::dbInterBase);
    C.SetConnectionType(qel::TconnectionType::cnIBX);
    C.ConnectionOptions().UserName = "SYSDBA";
    C.ConnectionOptions().Password = "masterkey";
    C.ConnectionOptions().Protocol = qel::TQELProtocol::ptLocal;
    C.ConnectionOptions().DatabaseName = Path;
}

// Creates an embedded database with the given default character set.
inline void CreateFirebird(const std::string& Path, const std::string& CharSet = "UTF8")
{
    qel::TQELConnection maker;
    ConfigureFirebird(maker, Path);
    std::string error;
    maker.OnErrorMessage = [&](qel::TObject&, const std::string& t) { error = t; };
    maker.IBServerOptions().SetDBCharSet(CharSet);
    ASSERT_TRUE(maker.CreateDatabase()) << error;
}

// A connection of its own for preparing and inspecting a database.
class TInspector {
public:
    // Firebird by path, or an ODBC string for the ADO back end.
    explicit TInspector(const std::string& Target, bool Odbc = false, qel::TDatabaseType Type = qel::TDatabaseType::dbCustomOLEDB)
    {
        m_c.OnErrorMessage = [this](qel::TObject&, const std::string& t) { Errors.push_back(t); };
        if (Odbc) {
            m_c.SetDatabaseType(Type);
            m_c.SetConnectionType(qel::TconnectionType::cnADO);
            m_c.ConnectionOptions().ConnectionString = Target;
            m_c.ConnectionOptions().DatabaseName = Target;
        } else {
            ConfigureFirebird(m_c, Target);
            m_c.IBServerOptions().SetDBCharSet("UTF8");
        }
        m_c.SetConnected(true);
        EXPECT_TRUE(m_c.Connected()) << (Errors.empty() ? "" : Errors.back());
    }

    // Runs a statement and commits it.
    void Run(const std::string& Sql)
    {
        if (!m_c.InTransaction()) m_c.StartTransaction();
        auto q = m_c.CreateQuery();
        q->SetParamCheck(false);
        q->SetSQLText(Sql);
        q->ExecSQL();
        m_c.Commit();
    }

    // The first column of every row, as text ("<null>" for NULL).
    std::vector<std::string> Column(const std::string& Sql)
    {
        if (!m_c.InTransaction()) m_c.StartTransaction();
        std::vector<std::string> out;
        auto q = m_c.CreateQuery();
        q->SetSQLText(Sql);
        q->Open();
        while (!q->Eof()) {
            const qel::TField& f = (*q->GetFields())[0];
            out.push_back(f.IsNull() ? "<null>" : f.AsString());
            q->Next();
        }
        q->Close();
        m_c.Commit();
        return out;
    }

    std::string Value(const std::string& Sql)
    {
        auto v = Column(Sql);
        return v.empty() ? "<no row>" : v.front();
    }

    qel::TQELConnection& Connection() { return m_c; }
    std::vector<std::string> Errors;

private:
    qel::TQELConnection m_c;
};

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

inline std::string SQLiteString(const std::string& File) { return "Driver={SQLite3};Database=" + File + ";"; }

} // namespace qeltest
