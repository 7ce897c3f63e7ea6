#include "qelDBOptions.h"

#include "qelText.h"

#include <iterator>

namespace qel {

// Copying is TOptionObject's, through each class's Fields list; what is left
// here is what the classes do beyond copying: Clear, and the texts.

// ---- TConnectionOptions ----

void TConnectionOptions::Clear()
{
    DatabaseName.clear();
    UserName.clear();
    Password.clear();
    RoleName.clear();
    Custom1.clear();
    Custom2.clear();
    Custom3.clear();
    Port = 0;
    HostName.clear();
    Protocol = TQELProtocol::ptLocal;
    UseWindowsAuthentication = false;
    ConnectionString.clear();
    ClientLibrary.clear();
}

// ---- InterBase / Firebird ----

void TIBCompareOptions::Clear()
{
    DbCharsetCompare = false;
    FldCharsetCompare = false;
    UpdateDescriptionMode = TUpdateDescriptionType::udSysTables;
    UseRECONNECT = true;
    UpdateFieldPosition = true;
    ExtractOnlyComparedObjects = true;
    IgnoreToolObjects = true;
}

void TIBDatabaseOptions::Clear() { *this = TIBDatabaseOptions(); }

TIBServerOptions::TIBServerOptions()
    : m_IBCompareOptions(std::make_unique<TIBCompareOptions>()),
      m_IBDatabaseOptions(std::make_unique<TIBDatabaseOptions>())
{
}

TIBServerOptions::~TIBServerOptions() = default;

void TIBServerOptions::Clear()
{
    SQLDialect = 3;
    m_DBCharSet.clear();
    m_DefaultCharSet.clear();
    m_IBCompareOptions->Clear();
    m_IBDatabaseOptions->Clear();
}

void TIBServerOptions::SetDBCharSet(std::string_view Value) { m_DBCharSet = UpperCase(Value); }
void TIBServerOptions::SetDefaultCharSet(std::string_view Value) { m_DefaultCharSet = UpperCase(Value); }

std::string TIBServerOptions::GetSetNamesSQL() const
{
    if (m_DBCharSet.empty() || m_DBCharSet == "NONE") return {};
    return "SET NAMES " + m_DBCharSet;
}

std::string TIBServerOptions::GetSQLDialectSQL() const
{
    return SQLDialect == 3 ? std::string("SET SQL DIALECT 3") : std::string();
}

std::string FullInterBaseName(const TConnectionOptions& Options)
{
    const TConnectionOptions& co = Options;
    if (co.HostName.empty()) return co.DatabaseName;
    switch (co.Protocol) {
    case TQELProtocol::ptSPX: return co.HostName + "@" + co.DatabaseName;
    case TQELProtocol::ptNamedPipe: return "\\\\" + co.HostName + "\\" + co.DatabaseName;
    case TQELProtocol::ptTCP:
    case TQELProtocol::ptLocal:
        if (co.Port == 0) return co.HostName + ":" + co.DatabaseName;
        return co.HostName + "/" + IntToStr(co.Port) + ":" + co.DatabaseName;
    }
    return co.DatabaseName;
}

// The database of a server is named with its host: a script run by isql on
// another machine would otherwise open a local file of the same path.
std::string TIBServerOptions::GetConnectSQL(const TConnectionOptions& ConnectionOptions) const
{
    const TConnectionOptions& c = ConnectionOptions;
    if (c.DatabaseName.empty()) return {};
    std::string r = "CONNECT " + SQLQuotedStr(FullInterBaseName(c), TDatabaseType::dbInterBase);
    if (!c.UserName.empty()) r += " USER " + SQLQuotedStr(c.UserName, TDatabaseType::dbInterBase);
    if (!c.Password.empty()) r += " PASSWORD " + SQLQuotedStr(c.Password, TDatabaseType::dbInterBase);
    if (!c.RoleName.empty()) r += " ROLE " + SQLQuotedStr(c.RoleName, TDatabaseType::dbInterBase);
    return r;
}

// ---- MS SQL Server ----

void TMSSQLCompareOptions::Clear()
{
    IgnoreFileGroup = false;
    IgnoreSysName = true;
    CaseSensitiveIdentifiers = false;
}

void TMSSQLDatabaseOptions::Clear()
{
    Collation.clear();
    AnsiNulls = false;
    AnsiPadding = false;
    QuotedIdentifier = false;
    ReadOnly = false;
    DatabaseId = 0;
}

TMSSQLServerOptions::TMSSQLServerOptions()
    : m_MSSQLCompareOptions(std::make_unique<TMSSQLCompareOptions>()),
      m_MSSQLDatabaseOptions(std::make_unique<TMSSQLDatabaseOptions>())
{
    Clear();
}

TMSSQLServerOptions::~TMSSQLServerOptions() = default;

void TMSSQLServerOptions::Clear()
{
    DBCharSet.clear();
    Collation.clear();
    SQLServerVersion = TMSSQLServerVersionType::st_MSSQL2000;
    m_MSSQLCompareOptions->Clear();
    m_MSSQLDatabaseOptions->Clear();
}

// ---- MySQL ----

void TMySQLCompareOptions::Clear() { CaseSensitiveIdentifiers = true; }

TMySQLServerOptions::TMySQLServerOptions() : m_MySQLCompareOptions(std::make_unique<TMySQLCompareOptions>())
{
    Clear();
}

TMySQLServerOptions::~TMySQLServerOptions() = default;

void TMySQLServerOptions::Clear()
{
    SQLServerVersion = TMySQLServerVersionType::st_MySQL_5x;
    CharSet.clear();
    Names.clear();
    m_MySQLCompareOptions->Clear();
}

// ---- SQL Anywhere ----

void TASACompareOptions::Clear() { CaseSensitiveIdentifiers = false; }

void TASADatabaseOptions::Clear() { *this = TASADatabaseOptions(); }

TASAServerOptions::TASAServerOptions()
    : m_ASACompareOptions(std::make_unique<TASACompareOptions>()),
      m_ASADatabaseOptions(std::make_unique<TASADatabaseOptions>())
{
    Clear();
}

TASAServerOptions::~TASAServerOptions() = default;

void TASAServerOptions::Clear()
{
    SQLServerVersion = TASAServerVersionType::st_ASA9;
    m_ASACompareOptions->Clear();
    m_ASADatabaseOptions->Clear();
}

// ---- ASE ----

void TASECompareOptions::Clear() { *this = TASECompareOptions(); }

void TASEDatabaseOptions::Clear() { *this = TASEDatabaseOptions(); }

std::string TASEDatabaseOptions::GetOptionName(int Index)
{
    static const char* const names[] = {
        "abort tran on log full", "allow nulls by default", "async log service", "auto identity",
        "dbo use only", "ddl in tran", "disable alias access", "identity in nonunique index",
        "no chkpt on recovery", "no free space acctg", "read only", "select into/bulkcopy/pllsort",
        "single user", "trunc log on chkpt", "unique auto_identity index"};
    if (Index < 0 || Index >= static_cast<int>(std::size(names))) return {};
    return names[Index];
}

TASEServerOptions::TASEServerOptions()
    : m_ASECompareOptions(std::make_unique<TASECompareOptions>()),
      m_ASEDatabaseOptions(std::make_unique<TASEDatabaseOptions>())
{
    Clear();
}

TASEServerOptions::~TASEServerOptions() = default;

void TASEServerOptions::Clear()
{
    SQLServerVersion = TASEServerVersionType::st_ASE12;
    m_ASECompareOptions->Clear();
    m_ASEDatabaseOptions->Clear();
}

// ---- Oracle, PostgreSQL, DB2 ----

TOracleServerOptions::TOracleServerOptions() : m_OracleCompareOptions(std::make_unique<TOracleCompareOptions>()) { Clear(); }

TOracleServerOptions::~TOracleServerOptions() = default;

void TOracleServerOptions::Clear()
{
    SQLServerVersion = TOracleServerVersionType::st_Oracle_10x;
    m_OracleCompareOptions->Clear();
}

TPGSQLServerOptions::TPGSQLServerOptions() : m_PGSQLCompareOptions(std::make_unique<TPgSQLCompareOptions>()) { Clear(); }

TPGSQLServerOptions::~TPGSQLServerOptions() = default;

void TPGSQLServerOptions::Clear()
{
    SQLServerVersion = TPGSQLServerVersionType::st_PostgreSQL_8x;
    m_PGSQLCompareOptions->Clear();
}

TDB2ServerOptions::TDB2ServerOptions() : m_DB2CompareOptions(std::make_unique<TDB2CompareOptions>()) { Clear(); }

TDB2ServerOptions::~TDB2ServerOptions() = default;

void TDB2ServerOptions::Clear()
{
    SQLServerVersion = TDB2ServerVersionType::st_DB2_8x;
    m_DB2CompareOptions->Clear();
}

// ---- Script and MySQL table options ----

// MySQL reads backslashes in its literals as escapes, so the quoted values use
// MySQL's own quoting: a Windows directory "C:\data" must not lose its
// backslash, nor a comment gain a line break.
std::string TMySQLTableOptions::GetSQL() const
{
    std::string r;
    const auto line = [&r](const char* Name, const std::string& Value) {
        r += CRLF;
        r += Name;
        r += Value;
    };
    const auto quoted = [](const std::string& Value) { return SQLQuotedStr(Value, TDatabaseType::dbMySQL); };
    if (!Engine.empty()) line("ENGINE=", Engine);
    if (AvgRowLength != 0) line("AVG_ROW_LENGTH=", IntToStr(AvgRowLength));
    if (!DefaultCharSet.empty()) line("DEFAULT CHARSET=", DefaultCharSet);
    if (Checksum > 0) line("CHECKSUM=", IntToStr(Checksum));
    if (!DefaultCollation.empty()) line("DEFAULT COLLATE=", DefaultCollation);
    if (!Comment.empty()) line("COMMENT=", quoted(Comment));
    if (!Connection.empty()) line("CONNECTION=", quoted(Connection));
    if (!DataDirectory.empty()) line("DATA DIRECTORY=", quoted(DataDirectory));
    if (DelayKeyWrite > 0) line("DELAY_KEY_WRITE=", IntToStr(DelayKeyWrite));
    if (!IndexDirectory.empty()) line("INDEX DIRECTORY=", quoted(IndexDirectory));
    if (!InsertMethod.empty()) line("INSERT_METHOD=", InsertMethod);
    if (KeyBlockSize > 0) line("KEY_BLOCK_SIZE=", IntToStr(KeyBlockSize));
    if (MaxRows > 0) line("MAX_ROWS=", IntToStr(MaxRows));
    if (MinRows > 0) line("MIN_ROWS=", IntToStr(MinRows));
    if (!PackKeys.empty()) line("PACK_KEYS=", PackKeys);
    if (!Password.empty()) line("PASSWORD=", quoted(Password));
    if (!RowFormat.empty()) line("ROW_FORMAT=", RowFormat);
    return r;
}

} // namespace qel
