// Test databases reached through the engine's connection: embedded Firebird
// files in a test's folder, the Firebird test server, SQLite files and the
// PostgreSQL cluster over ODBC, and a connection of its own that prepares a
// database and reads back what a run left in it. For test programs that link
// the engine (qel_engine or a library above it).
#pragma once

#include "qelDBEngine.h"
#include "qelDataSet.h"
#include "qelTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace qeltest {

// An embedded-engine connection to Path.
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

// A connection over TCP to File on the test server.
inline void ConfigureFirebirdServer(qel::TQELConnection& C, const TServerConfig& Server, const std::string& File)
{
    ConfigureFirebird(C, File);
    C.ConnectionOptions().Protocol = qel::TQELProtocol::ptTCP;
    C.ConnectionOptions().HostName = Server.Host;
    C.ConnectionOptions().UserName = Server.User;
    C.ConnectionOptions().Password = Server.Password;
}

// An ODBC connection string for the ADO back end.
inline void ConfigureODBC(qel::TQELConnection& C, const std::string& Odbc,
                          qel::TDatabaseType Type = qel::TDatabaseType::dbCustomOLEDB)
{
    C.SetDatabaseType(Type);
    C.SetConnectionType(qel::TconnectionType::cnADO);
    C.ConnectionOptions().ConnectionString = Odbc;
    C.ConnectionOptions().DatabaseName = Odbc;
}

// Creates the database a configured connection names, with the given default
// character set; false (and the reason) when the engine refuses.
inline bool CreateDatabase(qel::TQELConnection& C, const std::string& CharSet, std::string* Error = nullptr)
{
    std::string error;
    const auto previous = C.OnErrorMessage;
    C.OnErrorMessage = [&](qel::TObject& s, const std::string& t) {
        error += t;
        if (previous) previous(s, t);
    };
    C.IBServerOptions().SetDBCharSet(CharSet);
    const bool made = C.CreateDatabase();
    C.OnErrorMessage = previous;
    if (Error != nullptr) *Error = error;
    EXPECT_TRUE(made || Error != nullptr) << error;
    return made;
}

// Creates an embedded database with the given default character set.
inline void CreateFirebird(const std::string& Path, const std::string& CharSet = "UTF8")
{
    qel::TQELConnection maker;
    ConfigureFirebird(maker, Path);
    CreateDatabase(maker, CharSet);
}

// Records a connection's events in order, its errors and its log lines.
struct TConnectionRecorder {
    std::vector<std::string> Events, Errors, Log;

    void Attach(qel::TQELConnection& C)
    {
        C.OnBeforeConnect = [this](qel::TObject&) { Events.push_back("BeforeConnect"); };
        C.OnAfterConnect = [this](qel::TObject&) { Events.push_back("AfterConnect"); };
        C.OnBeforeDisconnect = [this](qel::TObject&) { Events.push_back("BeforeDisconnect"); };
        C.OnAfterDisconnect = [this](qel::TObject&) { Events.push_back("AfterDisconnect"); };
        C.OnErrorMessage = [this](qel::TObject&, const std::string& t) {
            Events.push_back("Error");
            Errors.push_back(t);
        };
        C.OnLogNextLine = [this](qel::TObject&, const std::string& t) { Log.push_back(t); };
    }
};

// A connection of its own for preparing and inspecting a database.
class TInspector {
public:
    // Firebird by path, or an ODBC string for the ADO back end.
    explicit TInspector(const std::string& Target, bool Odbc = false,
                        qel::TDatabaseType Type = qel::TDatabaseType::dbCustomOLEDB)
        : TInspector([&](qel::TQELConnection& c) {
              if (Odbc) {
                  ConfigureODBC(c, Target, Type);
              } else {
                  ConfigureFirebird(c, Target);
                  c.IBServerOptions().SetDBCharSet("UTF8");
              }
          })
    {
    }

    // Any database the function configures the connection for.
    explicit TInspector(const std::function<void(qel::TQELConnection&)>& Configure)
    {
        m_c.OnErrorMessage = [this](qel::TObject&, const std::string& t) { Errors.push_back(t); };
        Configure(m_c);
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

    // Every row, every value as text ("<null>" for NULL).
    std::vector<std::vector<std::string>> Rows(const std::string& Sql)
    {
        if (!m_c.InTransaction()) m_c.StartTransaction();
        std::vector<std::vector<std::string>> out;
        auto q = m_c.CreateQuery();
        q->SetSQLText(Sql);
        q->Open();
        for (; !q->Eof(); q->Next()) {
            const qel::TFields& f = *q->GetFields();
            auto& row = out.emplace_back();
            for (int i = 0; i < f.Count(); ++i) row.push_back(f[i].IsNull() ? "<null>" : f[i].AsString());
        }
        q->Close();
        m_c.Commit();
        return out;
    }

    // The first column of every row.
    std::vector<std::string> Column(const std::string& Sql)
    {
        std::vector<std::string> out;
        for (auto& row : Rows(Sql)) out.push_back(row.front());
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

} // namespace qeltest
