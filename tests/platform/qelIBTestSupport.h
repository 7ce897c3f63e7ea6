// What the tests of the Firebird client layer share: a fresh embedded
// database in a temporary folder, left connected, and a statement's first
// value as text. The lock folder and the test server are in qelTestSupport.h.
#pragma once

#include "qelIBClient.h"
#include "qelIBQuery.h"
#include "qelTestSupport.h"

#include <string>

namespace qeltest {

// A new embedded database in a fresh temporary folder, created and left
// connected with the given connection character set.
struct TEmbeddedDatabase {
    TempDir Dir;
    std::string Path;
    qel::TIBDatabase Database;
    qel::TIBTransaction Transaction;

    explicit TEmbeddedDatabase(const std::string& Charset = "UTF8", int PageSize = 4096, int Dialect = 3,
                               const std::string& ConnectionCharset = "UTF8")
    {
        UsePrivateFirebirdLock();
        Path = Dir.File("test.fdb");
        Database.SetDatabaseName(Path);
        Database.SetSQLDialect(Dialect);
        Database.Params().SetLines({"USER 'SYSDBA'", "PASSWORD 'masterkey'", "PAGE_SIZE " + std::to_string(PageSize),
                                    "DEFAULT CHARACTER SET " + Charset});
        Database.CreateDatabase();
        Database.Close();
        Database.Params().SetLines({"user_name=SYSDBA", "password=masterkey", "lc_ctype=" + ConnectionCharset});
        Database.Open();
        Transaction.Params().SetLines({"concurrency", "nowait"});
        Transaction.SetDefaultDatabase(&Database);
        Database.SetDefaultTransaction(&Transaction);
    }

    // Runs a statement and commits, as DDL needs before the tables are used.
    void Run(const std::string& Sql)
    {
        qel::TIBSQL s(&Database);
        s.SetSQL(Sql);
        s.ExecQuery();
        Transaction.Commit();
    }
};

// The first value a statement gives, as text ("<no row>", "<null>").
inline std::string ScalarText(qel::TIBDatabase& Db, const std::string& Sql)
{
    qel::TIBSQL s(&Db);
    s.SetSQL(Sql);
    s.ExecQuery();
    return s.Eof() ? "<no row>" : s.Fields()[0].IsNull() ? "<null>" : s.Fields()[0].AsString();
}

} // namespace qeltest
