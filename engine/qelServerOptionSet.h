// The set of server option objects that a connection and an executor each
// own and copy into each other.
#pragma once

#include "qelConnectionOptions.h"
#include "qelIBOptions.h"
#include "qelMSSQLOptions.h"
#include "qelMySQLOptions.h"
#include "qelOtherServerOptions.h"

#include <memory>

namespace qel {

// The nine option objects that a connection and an executor each own; an
// executor copies its set into its connection's before connecting. The only
// difference between the two sets is the class of the InterBase options.
template <class TIBOptions>
class TServerOptionSet {
public:
    TServerOptionSet()
        : m_connectionOptions(std::make_unique<TConnectionOptions>()),
          m_IBServerOptions(std::make_unique<TIBOptions>()),
          m_MSSQLServerOptions(std::make_unique<TMSSQLServerOptions>()),
          m_MySQLServerOptions(std::make_unique<TMySQLServerOptions>()),
          m_ASAServerOptions(std::make_unique<TASAServerOptions>()),
          m_ASEServerOptions(std::make_unique<TASEServerOptions>()),
          m_OracleServerOptions(std::make_unique<TOracleServerOptions>()),
          m_PGSQLServerOptions(std::make_unique<TPGSQLServerOptions>()),
          m_DB2ServerOptions(std::make_unique<TDB2ServerOptions>())
    {
    }
    TServerOptionSet(const TServerOptionSet&) = delete;
    TServerOptionSet& operator=(const TServerOptionSet&) = delete;

    TConnectionOptions& ConnectionOptions() { return *m_connectionOptions; }
    TIBOptions& IBServerOptions() { return *m_IBServerOptions; }
    TMSSQLServerOptions& MSSQLServerOptions() { return *m_MSSQLServerOptions; }
    TMySQLServerOptions& MySQLServerOptions() { return *m_MySQLServerOptions; }
    TASAServerOptions& ASAServerOptions() { return *m_ASAServerOptions; }
    TASEServerOptions& ASEServerOptions() { return *m_ASEServerOptions; }
    TOracleServerOptions& OracleServerOptions() { return *m_OracleServerOptions; }
    TPGSQLServerOptions& PGSQLServerOptions() { return *m_PGSQLServerOptions; }
    TDB2ServerOptions& DB2ServerOptions() { return *m_DB2ServerOptions; }
    const TConnectionOptions& ConnectionOptions() const { return *m_connectionOptions; }
    const TIBOptions& IBServerOptions() const { return *m_IBServerOptions; }
    const TMSSQLServerOptions& MSSQLServerOptions() const { return *m_MSSQLServerOptions; }
    const TMySQLServerOptions& MySQLServerOptions() const { return *m_MySQLServerOptions; }
    const TASAServerOptions& ASAServerOptions() const { return *m_ASAServerOptions; }
    const TASEServerOptions& ASEServerOptions() const { return *m_ASEServerOptions; }
    const TOracleServerOptions& OracleServerOptions() const { return *m_OracleServerOptions; }
    const TPGSQLServerOptions& PGSQLServerOptions() const { return *m_PGSQLServerOptions; }
    const TDB2ServerOptions& DB2ServerOptions() const { return *m_DB2ServerOptions; }

    // Setters copy into the owned objects; the argument is never kept.
    void SetConnectionOptions(const TConnectionOptions& Value) { m_connectionOptions->Assign(Value); }
    void SetIBServerOptions(const TIBServerOptions& Value) { m_IBServerOptions->Assign(Value); }
    void SetMSSQLServerOptions(const TMSSQLServerOptions& Value) { m_MSSQLServerOptions->Assign(Value); }
    void SetMySQLServerOptions(const TMySQLServerOptions& Value) { m_MySQLServerOptions->Assign(Value); }
    void SetASAServerOptions(const TASAServerOptions& Value) { m_ASAServerOptions->Assign(Value); }
    void SetASEServerOptions(const TASEServerOptions& Value) { m_ASEServerOptions->Assign(Value); }
    void SetOracleServerOptions(const TOracleServerOptions& Value) { m_OracleServerOptions->Assign(Value); }
    void SetPGSQLServerOptions(const TPGSQLServerOptions& Value) { m_PGSQLServerOptions->Assign(Value); }
    void SetDB2ServerOptions(const TDB2ServerOptions& Value) { m_DB2ServerOptions->Assign(Value); }

    // Copies all nine objects of Source, in the order above.
    template <class TOtherIB>
    void AssignOptions(const TServerOptionSet<TOtherIB>& Source)
    {
        SetConnectionOptions(Source.ConnectionOptions());
        SetIBServerOptions(Source.IBServerOptions());
        SetMSSQLServerOptions(Source.MSSQLServerOptions());
        SetMySQLServerOptions(Source.MySQLServerOptions());
        SetASAServerOptions(Source.ASAServerOptions());
        SetASEServerOptions(Source.ASEServerOptions());
        SetOracleServerOptions(Source.OracleServerOptions());
        SetPGSQLServerOptions(Source.PGSQLServerOptions());
        SetDB2ServerOptions(Source.DB2ServerOptions());
    }

    void ClearOptions()
    {
        m_connectionOptions->Clear();
        m_IBServerOptions->Clear();
        m_MSSQLServerOptions->Clear();
        m_MySQLServerOptions->Clear();
        m_ASAServerOptions->Clear();
        m_ASEServerOptions->Clear();
        m_OracleServerOptions->Clear();
        m_PGSQLServerOptions->Clear();
        m_DB2ServerOptions->Clear();
    }

private:
    std::unique_ptr<TConnectionOptions> m_connectionOptions;
    std::unique_ptr<TIBOptions> m_IBServerOptions;
    std::unique_ptr<TMSSQLServerOptions> m_MSSQLServerOptions;
    std::unique_ptr<TMySQLServerOptions> m_MySQLServerOptions;
    std::unique_ptr<TASAServerOptions> m_ASAServerOptions;
    std::unique_ptr<TASEServerOptions> m_ASEServerOptions;
    std::unique_ptr<TOracleServerOptions> m_OracleServerOptions;
    std::unique_ptr<TPGSQLServerOptions> m_PGSQLServerOptions;
    std::unique_ptr<TDB2ServerOptions> m_DB2ServerOptions;
};

} // namespace qel
