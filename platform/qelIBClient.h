// The InterBase/Firebird client layer over the client library's C API: the
// database (attachment), transaction, database-information and
// server-properties objects, and what the client library says about itself.
// Statements and queries are in qelIBQuery.h.
//
// Every object owns its client handle and gives it back in its destructor,
// which never throws and never commits: a transaction still active there is
// rolled back, and so is every transaction of a database that is closed. The
// objects are move-only; links between them (a transaction's database, a
// statement's transaction) survive moves and are cleared when the linked
// object goes first. Failures of the client library are raised as
// EDatabaseError with the server's whole text (its lines joined by CR LF),
// SQLCODE and SQLSTATE; misuse (an unknown parameter line, no database) as
// EUsageError.
#pragma once

#include "qelStrings.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

namespace ibclient {
struct TDatabaseState;
struct TTransactionState;
} // namespace ibclient

class TIBTransaction;

// True when a database or server name has a host part and so goes to a
// server over the network: "srv:/db.fdb", "srv/3051:/db.fdb",
// "\\srv\db.fdb", "inet://srv/db.fdb". A plain path is local and is opened
// by the embedded engine.
bool IBIsRemoteName(std::string_view Name);

// One attachment to a database.
//
// Params holds the connect parameters one per line: "user_name=U",
// "password=W", "sql_role_name=R", "lc_ctype=CS" and "connect_timeout=S"
// (an "isc_dpb_" prefix is accepted); empty lines are skipped, other names are
// refused. SQLDialect is the client dialect used to prepare statements; when
// the database's own dialect is lower it is lowered on connect.
// A local name is always opened by the embedded engine, never silently
// through a running server; an attach to a host that does not answer fails
// after ConnectTimeout seconds.
class TIBDatabase {
public:
    TIBDatabase();
    ~TIBDatabase();
    TIBDatabase(TIBDatabase&& Other) noexcept;
    TIBDatabase& operator=(TIBDatabase&& Other) noexcept;

    const std::string& DatabaseName() const;
    // Refused while connected.
    void SetDatabaseName(std::string_view Name);
    TStringList& Params();
    const TStringList& Params() const;
    int SQLDialect() const;
    void SetSQLDialect(int Dialect);
    // Seconds; 0 leaves the client library's own limit.
    int ConnectTimeout() const;
    void SetConnectTimeout(int Seconds);
    // The transaction that statements without one of their own use.
    TIBTransaction* DefaultTransaction() const;
    void SetDefaultTransaction(TIBTransaction* Transaction);

    void Open();
    // Rolls back the database's active transactions, frees the statements'
    // handles and detaches. Nothing happens when not connected.
    void Close();
    bool Connected() const;
    void SetConnected(bool Value);

    // Creates the database named DatabaseName, reading Params as creation
    // lines ("USER 'SYSDBA'", "PASSWORD 'pw'", "PAGE_SIZE 8192",
    // "DEFAULT CHARACTER SET UTF8"), with the database dialect SQLDialect:
    //   CREATE DATABASE '/db/x.fdb' USER 'SYSDBA' PASSWORD 'pw' PAGE_SIZE 8192
    // The object is connected afterwards, to the new database, with the
    // connection character set NONE; Close and Open to connect with Params.
    // The client library reads the statement itself, so ConnectTimeout does
    // not apply; a local name is created by the embedded engine (a server is
    // tried only when the engine fails, and reports its own error).
    void CreateDatabase();
    // Deletes the connected database's files and ends the attachment.
    void DropDatabase();

    // The database's SQL dialect (1 or 3) as the server reports it.
    int DBSQLDialect() const;

    // For the statement objects of this layer.
    ibclient::TDatabaseState& State() const { return *m; }

private:
    std::unique_ptr<ibclient::TDatabaseState> m;
};

// One transaction on one database.
//
// Params holds the transaction parameters one per line: "concurrency",
// "consistency", "read_committed", "rec_version", "no_rec_version", "read",
// "write", "wait", "nowait" (an "isc_tpb_" prefix is accepted); no lines is
// the server's default (concurrency, wait, write).
class TIBTransaction {
public:
    TIBTransaction();
    explicit TIBTransaction(TIBDatabase* DefaultDatabase);
    // Rolls back when still active.
    ~TIBTransaction();
    TIBTransaction(TIBTransaction&& Other) noexcept;
    TIBTransaction& operator=(TIBTransaction&& Other) noexcept;

    TStringList& Params();
    const TStringList& Params() const;
    TIBDatabase* DefaultDatabase() const;
    // Refused while the transaction is active.
    void SetDefaultDatabase(TIBDatabase* Database);

    void StartTransaction();
    // Starts the transaction with the server's own SET TRANSACTION text
    // ("SET TRANSACTION READ COMMITTED NO WAIT"), as isql does for a script
    // that sets its own; Params are not used.
    void StartTransaction(std::string_view SetTransactionSQL, int Dialect);
    // Commit and Rollback close the cursors of the statements open in the
    // transaction first; the retaining forms keep transaction and cursors.
    void Commit();
    void CommitRetaining();
    void Rollback();
    void RollbackRetaining();
    bool InTransaction() const;
    bool Active() const { return InTransaction(); }

    // For the statement objects of this layer.
    ibclient::TTransactionState& State() const { return *m; }

private:
    std::unique_ptr<ibclient::TTransactionState> m;
};

// What the server says about a connected database. Each property asks the
// server; the database object must outlive this one.
class TIBDatabaseInfo {
public:
    explicit TIBDatabaseInfo(TIBDatabase* Database = nullptr) : m_database(Database) {}

    TIBDatabase* Database() const { return m_database; }
    void SetDatabase(TIBDatabase* Database) { m_database = Database; }

    int ODSMajorVersion() const;
    int ODSMinorVersion() const;
    int PageSize() const;
    // Non-zero when writes are forced (synchronous).
    int ForcedWrites() const;
    int SweepInterval() const;
    // Non-zero when the database is read-only.
    int ReadOnly() const;
    int NumBuffers() const;
    // The first implementation pair the server reports: the engine's own.
    int DBImplementationNo() const;
    int DBImplementationClass() const;
    int DBSQLDialect() const;
    // The version text in InterBase numbering: "LI-V6.3.11.33637 Firebird 3.0".
    std::string Version() const;
    // The engine's own version text: "LI-V3.0.11.33637 Firebird 3.0"; over
    // the network the list also holds the network layers' lines. Empty when
    // the server does not know the item.
    std::string FirebirdVersion() const;
    std::vector<std::string> FirebirdVersions() const;

private:
    int IntegerItem(char Item) const;
    std::vector<std::string> StringsItem(char Item) const;

    TIBDatabase* m_database;
};

enum class TIBProtocol : std::uint8_t { TCP, SPX, NamedPipe, Local };

// The server's version as its services manager tells it.
struct TIBVersionInfo {
    std::string ServerVersion;        // "LI-V3.0.11.33637 Firebird 3.0"
    std::string ServerImplementation; // "Firebird/Linux/AMD/Intel/x64"
    int ServiceVersion = 0;
};

// An attachment to a server's services manager, used to read the server's
// version. Params: "user_name=U" and "password=W" lines (empty values are
// left out). With Protocol Local (or no ServerName) the embedded engine's
// services manager answers.
class TIBServerProperties {
public:
    TIBServerProperties() = default;
    ~TIBServerProperties();
    TIBServerProperties(TIBServerProperties&& Other) noexcept;
    TIBServerProperties& operator=(TIBServerProperties&& Other) noexcept;

    std::string ServerName;
    TIBProtocol Protocol = TIBProtocol::Local;
    TStringList Params;
    int ConnectTimeout = 10;

    // "srv:service_mgr", "\\srv\service_mgr", "srv@service_mgr" or
    // "service_mgr".
    std::string ServiceName() const;
    void Attach();
    void Detach();
    bool Active() const { return m_handle != 0; }
    // Asks the attached services manager; the result is kept in VersionInfo.
    void FetchVersionInfo();
    const TIBVersionInfo& VersionInfo() const { return m_versionInfo; }

private:
    unsigned int m_handle = 0;
    TIBVersionInfo m_versionInfo;
};

// The client library loaded into this process.
// Its file: "/usr/lib/x86_64-linux-gnu/libfbclient.so.2".
std::string IBClientLibraryFileName();
// Its version text in InterBase numbering: "LI-V6.3.11.33637 Firebird 3.0".
std::string IBClientVersionText();
// Its Firebird version: "3.0".
std::string IBClientVersion();

// The client library answers SIGINT and SIGTERM by shutting its engine and
// every attachment down on its first attach, and leaves the process running
// with nothing usable ("connection shutdown"). A program that ends itself
// cleanly on those signals calls this (again changes nothing): the library's
// shutdown for a signal is refused, every other shutdown (at exit) proceeds.
// Throws EDatabaseError when the library refuses the request.
void IBRefuseShutdownOnSignal();

} // namespace qel
