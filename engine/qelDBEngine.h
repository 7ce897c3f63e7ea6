// The connection component the rest of the system talks to, its abstract
// database object and back end, the process-wide registry of back ends, the
// query facade every back end implements, and the parameter parser.
//
// A TQELConnection selects a registered back end by its ConnectionType, owns
// the back end's database object for itself and forwards connect,
// transaction and character-set requests to it. Connect and disconnect
// failures never leave SetConnected: they go to ErrorMessage (the
// OnErrorMessage event, else ShowMessage). The only exception a connection
// raises itself is EUsageError for a connection type without a back end.
#pragma once

#include "qelComponent.h"
#include "qelDBOptions.h"
#include "qelTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

enum class TFieldType : std::uint8_t;
class TField;
class TFields;
class TParam;
class TParams;
class TQELCustomConnection;
class TQELQuery;
class TStringList;
class TValue;

// One column of a table as a driver's catalogue lists it, for the sources
// whose catalogue has no SQL of its own.
struct TColumnListing {
    std::string TableName;
    std::string ColumnName;
    TFieldType FieldType{};
    bool NotNull = false;
    // The type as the driver names it; SQLite gives the declared text.
    std::string TypeName;
    // The column has a default, or the server fills it (SQLite's INTEGER
    // PRIMARY KEY).
    bool Filled = false;
};

// What an isql script asks of a back end beyond the connection's one main
// transaction: the retaining ends, a main transaction started by the
// script's own SET TRANSACTION text, and the transaction in which each DDL
// statement is committed on its own (isql's AUTODDL). Errors are the
// server's, raised.
class TScriptTransactions {
public:
    virtual ~TScriptTransactions() = default;
    virtual void CommitRetaining() = 0;
    virtual void RollbackRetaining() = 0;
    virtual void StartTransactionAs(const std::string& SetTransactionSQL) = 0;
    virtual bool InDDLTransaction() = 0;
    virtual void StartDDLTransaction() = 0;
    // A commit that fails rolls the DDL transaction back before raising.
    virtual void CommitDDLTransaction() = 0;
    virtual void RollbackDDLTransaction() = 0;
};

// What the server says a prepared statement is: a data change (INSERT,
// UPDATE, DELETE), DDL, or anything else (a query, a procedure, a savepoint).
enum class TPreparedKind : std::uint8_t { pkOther, pkData, pkDDL };

// The database object of one back end for one connection.
class TQELDatabase : public TComponent {
public:
    explicit TQELDatabase(TQELCustomConnection* Connection) : m_connection(Connection) {}
    std::string ClassName() const override { return "TQELDatabase"; }

    // The connection that owns this object.
    TQELCustomConnection* Connection() const { return m_connection; }
    void SetConnection(TQELCustomConnection* Connection) { m_connection = Connection; }

    virtual bool GetConnected() { return false; }
    virtual void SetConnected(bool /*Value*/) {}
    virtual void StartTransaction() {}
    virtual void Commit() {}
    virtual void Rollback() {}
    virtual bool InTransaction() { return false; }
    virtual TScriptTransactions* ScriptTransactions() { return nullptr; }
    virtual void ChangeCharSet(const std::string& /*CharSet*/) {}
    // What a caller may ask of the server reached, without knowing the back
    // end: see TQELCustomConnection.
    virtual std::string ClientCharSet() { return {}; }
    virtual std::string DBMSName() { return {}; }
    virtual bool ListColumns(const std::string& /*Table*/, std::vector<TColumnListing>& /*Columns*/) { return false; }
    virtual bool StoredValue(const std::string& /*DeclaredType*/, TValue& /*Value*/) { return false; }

private:
    TQELCustomConnection* m_connection;
};

// A back end: one shared instance per kind lives in the registry. The
// connection that selected it last receives its error messages.
class TQELAbstractConnection : public TComponent {
public:
    TQELAbstractConnection() = default;
    std::string ClassName() const override { return "TQELAbstractConnection"; }

    TDatabaseType DatabaseType = TDatabaseType::dbAbstract;
    TconnectionType ConnectionType = TconnectionType::cnAbstract;
    TDatabaseSetType SupportedDatabases;

    TQELCustomConnection* Connection() const { return m_connection; }
    void SetConnection(TQELCustomConnection* Connection);

    virtual std::unique_ptr<TQELDatabase> CreateDatabaseObject(TQELCustomConnection* /*Connection*/) { return nullptr; }
    // Base: reports "CREATE DATABASE not implemented (TQELAbstractConnection)."
    virtual bool CreateDatabase();
    // To the selecting connection's OnErrorMessage (this back end as sender),
    // else ShowMessage.
    virtual void ErrorMessage(const std::string& Text);
    virtual std::unique_ptr<TQELQuery> CreateQuery() { return nullptr; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TQELCustomConnection* m_connection = nullptr;
};

// The settings, events, hooks and reports every connection shares.
class TQELCustomConnection : public TComponent, public TServerOptionSet<TIBEngineOptions> {
public:
    explicit TQELCustomConnection(TComponent* AOwner = nullptr);
    ~TQELCustomConnection() override;
    std::string ClassName() const override { return "TQELCustomConnection"; }

    // Copies ConnectionType (selecting the back end), then DatabaseType, then
    // the nine option objects.
    void Assign(const TPersistent& Source) override;

    TDatabaseType DatabaseType() const { return m_databaseType; }
    virtual void SetDatabaseType(TDatabaseType Value) { m_databaseType = Value; }
    TconnectionType ConnectionType() const { return m_connectionType; }
    virtual void SetConnectionType(TconnectionType Value) { m_connectionType = Value; }
    virtual TDatabaseSetType GetSupportedDatabases() const { return {}; }
    virtual TConnectionSetType GetSupportedConnections() const { return {}; }

    bool Connected() { return GetConnected(); }
    virtual bool GetConnected() { return false; }
    virtual void SetConnected(bool /*Value*/) {}

    virtual void DoBeforeConnect();
    virtual void DoBeforeDisconnect();
    virtual void DoAfterConnect();
    virtual void DoAfterDisconnect();

    // A new query over this connection; nullptr when it has no back end.
    virtual std::unique_ptr<TQELQuery> CreateQuery() { return nullptr; }
    virtual void StartTransaction() {}
    virtual void Commit() {}
    virtual void Rollback() {}
    virtual bool InTransaction() { return false; }
    // The script transactions of the back end; nullptr where it has none.
    virtual TScriptTransactions* ScriptTransactions() { return nullptr; }
    virtual bool CreateDatabase();
    virtual void ChangeCharSet(const std::string& /*CharSet*/) {}
    // The character set text values are read and written in while
    // connected ("UTF8", "WIN1252", "NONE"); empty when not known.
    virtual std::string ClientCharSet() { return {}; }
    // The server product as the driver names it ("SQLite", "PostgreSQL");
    // empty when not known.
    virtual std::string DBMSName() { return {}; }
    // The columns of Table in the driver's order, from a catalogue listing
    // that needs no SQL; False when the back end has none.
    virtual bool ListColumns(const std::string& /*Table*/, std::vector<TColumnListing>& /*Columns*/) { return false; }
    // Value as a column of DeclaredType (the catalogue's type name) stores
    // it, on servers that store a value's own type per cell (SQLite: 3 into
    // a REAL column is 3.0); False, Value unchanged, elsewhere.
    virtual bool StoredValue(const std::string& /*DeclaredType*/, TValue& /*Value*/) { return false; }
    // OnErrorMessage(Self, Text) when assigned, else ShowMessage(Text).
    virtual void ErrorMessage(const std::string& Text);
    // The server's description; empty unless connected.
    virtual void GetServerInfo(bool Brief, std::string& Text);

    void DoLogNextLine(const std::string& Text);
    // The name the client library is given: "srv/3051:db" and the like for
    // InterBase with a host, DatabaseName otherwise.
    std::string GetFullDatabaseName() const;

    // The nine option objects, their accessors and copying setters come
    // from TServerOptionSet.

    TNotifyEvent OnBeforeConnect;
    TNotifyEvent OnAfterConnect;
    TNotifyEvent OnBeforeDisconnect;
    TNotifyEvent OnAfterDisconnect;
    TErrorMessageEvent OnErrorMessage;
    TLogNextLineEvent OnLogNextLine;

protected:
    TDatabaseType m_databaseType = TDatabaseType::dbAbstract;
    TconnectionType m_connectionType = TconnectionType::cnAbstract;
};

// The connection component over a registered back end.
class TQELConnection : public TQELCustomConnection {
public:
    explicit TQELConnection(TComponent* AOwner = nullptr);
    ~TQELConnection() override;
    std::string ClassName() const override { return "TQELConnection"; }

    void SetDatabaseType(TDatabaseType Value) override;
    // Selects the first registered back end of that kind; raises EUsageError
    // naming the unit to include when there is none.
    void SetConnectionType(TconnectionType Value) override;
    TDatabaseSetType GetSupportedDatabases() const override;
    TConnectionSetType GetSupportedConnections() const override;
    bool GetConnected() override;
    void SetConnected(bool Value) override;
    std::unique_ptr<TQELQuery> CreateQuery() override;
    void StartTransaction() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() override;
    TScriptTransactions* ScriptTransactions() override;
    bool CreateDatabase() override;
    void ChangeCharSet(const std::string& CharSet) override;
    std::string ClientCharSet() override;
    std::string DBMSName() override;
    bool ListColumns(const std::string& Table, std::vector<TColumnListing>& Columns) override;
    bool StoredValue(const std::string& DeclaredType, TValue& Value) override;

    // The selected back end (registry-owned) and this connection's database object.
    TQELAbstractConnection* BackEnd() const { return m_backEnd; }
    TQELDatabase* Database() const { return m_database.get(); }

private:
    TQELAbstractConnection* m_backEnd = nullptr;
    std::unique_ptr<TQELDatabase> m_database;
};

// The dataset facade of every back end: an empty, closed dataset here.
// Connection and Database are watched: when either is destroyed the query
// forgets it (a query may outlive the back end it was made by).
class TQELQuery : public TComponent {
public:
    TQELQuery() = default;
    ~TQELQuery() override;
    std::string ClassName() const override { return "TQELQuery"; }

    TQELCustomConnection* Connection() const { return m_connection; }
    void SetConnection(TQELCustomConnection* Value);
    TQELDatabase* Database() const { return m_database; }

    virtual TStringList* GetSQL() { return nullptr; }
    virtual bool Eof() { return true; }
    virtual void SetParamCheck(bool /*Value*/) {}
    virtual bool GetParamCheck() { return true; }
    virtual TParams* GetParams() { return nullptr; }
    virtual bool IsActive() { return false; }
    virtual TFields* GetFields() { return nullptr; }
    virtual void SetDatabase(TQELDatabase* Value);
    virtual void First() {}
    virtual void Last() {}
    virtual void Next() {}
    virtual TField* FieldByName(const std::string& /*Name*/) { return nullptr; }
    virtual void Open() {}
    virtual void Close() {}
    virtual void ExecSQL() {}
    // ExecSQL for a statement whose result nobody reads, in the fewest calls
    // to the server the back end has (Firebird: one execute-immediate for a
    // statement without parameters instead of prepare, describe and
    // execute). Fields and RowsAffected are not to be read after it.
    virtual void ExecSQLDirect() { ExecSQL(); }
    virtual TParam* ParamByName(const std::string& /*Name*/) { return nullptr; }
    virtual void Prepare() {}
    // True when result column Index holds 32-bit floats, whose values are
    // compared and written at that precision.
    virtual bool IsSingleFloatField(int /*Index*/) { return false; }
    // Prepares the current text in the main transaction and answers what the
    // server made of it: the kind isql chooses a statement's transaction by.
    virtual TPreparedKind PrepareKind() { return TPreparedKind::pkOther; }
    // The access plan of the prepared statement; empty when it has none.
    virtual std::string Plan() { return {}; }
    // Runs what follows in the back end's DDL transaction (see
    // TScriptTransactions) or, with False, in the main one again.
    virtual void UseDDLTransaction(bool /*Value*/) {}

    // Replaces the SQL text (no effect without a SQL list).
    void SetSQLText(const std::string& Text);
    // The field's text; EDatabaseError when the field does not exist.
    std::string FieldText(const std::string& Name);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Back ends drop their bindings to the database object here.
    virtual void DatabaseGone() {}

private:
    TQELCustomConnection* m_connection = nullptr;
    TQELDatabase* m_database = nullptr;
};

// Rewrites SQL for positional parameters: "a = :A and b = :B" becomes
// "a = ? and b = ?", "x::int" becomes "x:int"; quoted runs are left alone.
// With DoCreate, Params is cleared and gets one parameter per occurrence.
void ParseSQL(TParams* Params, const std::string& SQL, bool DoCreate, std::string& SQLOut);

// The registry of back ends: sorted by name, ignoring case.
// False when the name is taken (the instance is then freed).
bool RegisterConnection(const std::string& Name, std::unique_ptr<TQELAbstractConnection> Instance);
// Frees every registered instance.
void FreeConnections();
// The registered back end of that name, or nullptr.
TQELAbstractConnection* FindConnection(const std::string& Name);
// The first registered back end (in name order) of that kind, or nullptr.
TQELAbstractConnection* FindConnectionByType(TconnectionType Type);

// Registers the back ends built into the system ("ADO", "IBX"); runs once,
// when the registry is first used, so that no linker can drop it.
void RegisterBuiltInConnections();

// What the layers above need of the back ends' naming rules, asked here so
// that they include no back end: whether an InterBase database name reaches
// a server over the network (host:path, \\host\path, a URL), and a database
// name or connection string as a log line may show it (the value of a
// Password= or Pwd= item masked).
bool IsRemoteDatabaseName(std::string_view Name);
std::string NameWithoutPassword(std::string_view NameOrConnectionString);

// For a program that ends itself on SIGINT and SIGTERM: the back ends'
// client libraries are kept from shutting their connections down on those
// signals behind the program's back (IBRefuseShutdownOnSignal).
void KeepConnectionsOnSignals();

} // namespace qel
