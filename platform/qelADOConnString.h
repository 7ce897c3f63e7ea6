// Connection strings of the ADO layer. The engine builds OLE DB connection
// strings ("Provider=SQLOLEDB;Data Source=...;"); the layer reaches servers
// through ODBC drivers, so those strings are translated into ODBC ones here.
// Everything in this module is plain text work: no driver is loaded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qel {

// One key=value item of a connection string: the key trimmed, the value
// with its quotes or braces removed.
struct TConnStringItem {
    std::string Key;
    std::string Value;
};

// Splits a connection string into its items. In OLE DB form a value may be
// quoted with ' or " (a doubled quote inside stands for one quote) or put in
// braces; in ODBC form only braces quote ("}}" inside stands for "}").
// Throws EDatabaseError naming the fault for an unbalanced quote or brace,
// text after a closing quote, or an item without "=".
std::vector<TConnStringItem> SplitConnectionString(std::string_view ConnectionString, bool OleDbForm);

// Where a connection string leads in ODBC terms.
struct TODBCTarget {
    // The string for the driver manager.
    std::string ConnectionString;
    // The OLE DB provider as written ("SQLOLEDB.1"); empty for an ODBC string.
    std::string Provider;
    // The ODBC driver the provider was translated to ("FreeTDS"); empty when
    // the string names its own driver or data source.
    std::string Driver;
};

// Translates an OLE DB connection string into an ODBC one; an ODBC string
// (Driver=, DSN= or FILEDSN= and no Provider=) is used as it stands.
//   "Provider=SQLOLEDB;Initial Catalog=db;Data Source=srv,1433;User ID=sa;Password=pw;"
//     -> "Driver={FreeTDS};Server=srv;Port=1433;Database=db;UID=sa;PWD=pw;TDS_Version=7.4;ClientCharset=UTF-8;"
//   "Provider=PostgreSQL;Data Source=srv:5433;Location=db;User ID=u;Password=pw;"
//     -> "Driver={PostgreSQL Unicode};Server=srv;Port=5433;Database=db;UID=u;PWD=pw;UseDeclareFetch=1;Fetch=1000;BoolsAsChar=0;"
//   "Provider=MSDASQL;Data Source=mydsn;User ID=u;Password=pw;" -> "DSN=mydsn;UID=u;PWD=pw;"
// Throws EDatabaseError for a malformed string, a provider without an ODBC
// counterpart here (the message names the provider and the driver it needs)
// and Windows authentication, which FreeTDS cannot do without Kerberos.
TODBCTarget TranslateConnectionString(std::string_view ConnectionString);

// Throws EDatabaseError naming the provider and the driver when Target needs
// a driver that is not among InstalledDrivers (ASCII case ignored).
void CheckDriverInstalled(const TODBCTarget& Target, const std::vector<std::string>& InstalledDrivers);

// The connection string with the value of every Password, Pwd (any case)
// replaced by "***", for log lines; quoted values and the value of
// Extended Properties are handled. Never throws, whatever the input.
//   "Data Source=x;User ID=sa;Password=secret;" -> "Data Source=x;User ID=sa;Password=***;"
std::string HidePassword(std::string_view ConnectionString);

} // namespace qel
