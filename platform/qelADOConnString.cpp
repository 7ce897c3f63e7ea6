#include "qelADOConnString.h"

#include "qelErrors.h"
#include "qelText.h"

#include <algorithm>
#include <optional>

namespace qel {

namespace {

[[noreturn]] void Malformed(const std::string& why)
{
    throw EDatabaseError("Malformed connection string: " + why + ".");
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Keys of the translated forms, with the spellings OLE DB providers accept.
const std::vector<std::string_view> kServerKeys = {"Data Source", "Server", "Address", "Addr", "Network Address"};
const std::vector<std::string_view> kUserKeys = {"User ID", "UID", "User", "User Name"};
const std::vector<std::string_view> kPasswordKeys = {"Password", "PWD"};

// The value of the last item whose key is one of Keys; OLE DB lets a later
// item override an earlier one.
std::optional<std::string> Find(const std::vector<TConnStringItem>& items, const std::vector<std::string_view>& keys)
{
    std::optional<std::string> r;
    for (const auto& it : items)
        for (auto k : keys)
            if (SameText(it.Key, k)) r = it.Value;
    return r;
}

std::string FindText(const std::vector<TConnStringItem>& items, const std::vector<std::string_view>& keys)
{
    auto v = Find(items, keys);
    return v ? Trim(*v) : std::string();
}

bool HasKey(const std::vector<TConnStringItem>& items, std::string_view key)
{
    return std::any_of(items.begin(), items.end(), [&](const TConnStringItem& it) { return SameText(it.Key, key); });
}

// A value as the driver manager reads it: braces around anything that would
// end or confuse a plain value.
std::string OdbcValue(std::string_view v)
{
    const bool plain = v.find_first_of(";{}") == std::string_view::npos && (v.empty() || (!IsBlank(v.front()) && !IsBlank(v.back())));
    if (plain) return std::string(v);
    std::string r = "{";
    for (char c : v) {
        r += c;
        if (c == '}') r += '}';
    }
    r += '}';
    return r;
}

void Append(std::string& out, std::string_view key, std::string_view value)
{
    out += key;
    out += '=';
    out += OdbcValue(value);
    out += ';';
}

bool AllDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string CheckedPort(std::string_view port, std::string_view where)
{
    const std::string p = Trim(port);
    if (!AllDigits(p) || p.size() > 5 || std::stoi(p) > 65535 || std::stoi(p) == 0)
        throw EDatabaseError("Bad port \"" + p + "\" in \"" + std::string(where) + "\" of the connection string.");
    return p;
}

// "SQLOLEDB.1" -> "SQLOLEDB": OLE DB version suffixes do not change the provider.
std::string ProviderBase(std::string_view provider)
{
    std::string p = Trim(provider);
    const auto dot = p.rfind('.');
    if (dot != std::string::npos && AllDigits(std::string_view(p).substr(dot + 1))) p.erase(dot);
    return p;
}

bool IsTrue(std::string_view v)
{
    const std::string t = Trim(v);
    return SameText(t, "SSPI") || SameText(t, "true") || SameText(t, "yes");
}

TODBCTarget SqlServer(const std::string& provider, const std::vector<TConnStringItem>& items)
{
    if (IsTrue(FindText(items, {"Integrated Security"})) || IsTrue(FindText(items, {"Trusted_Connection"})))
        throw EDatabaseError("Windows authentication (Integrated Security=SSPI) of the OLE DB provider \"" + provider +
                             "\" is not available through the FreeTDS ODBC driver on this system: give a user name "
                             "and a password instead.");
    std::string host = FindText(items, kServerKeys);
    std::string port;
    if (StartsWithText(host, "tcp:")) host = Trim(std::string_view(host).substr(4));
    if (const auto comma = host.rfind(','); comma != std::string::npos) {
        port = CheckedPort(std::string_view(host).substr(comma + 1), "Data Source");
        host = Trim(std::string_view(host).substr(0, comma));
    }
    if (auto p = Find(items, {"Port"}); p && !Trim(*p).empty()) port = CheckedPort(*p, "Port");
    // The local default instance; FreeTDS reaches it over TCP.
    if (host.empty() || host == "." || SameText(host, "(local)")) host = "localhost";

    TODBCTarget r;
    r.Provider = provider;
    r.Driver = "FreeTDS";
    std::string& s = r.ConnectionString;
    s = "Driver={FreeTDS};";
    Append(s, "Server", host);
    if (!port.empty()) Append(s, "Port", port);
    if (auto db = Find(items, {"Initial Catalog", "Database"}); db && !db->empty()) Append(s, "Database", *db);
    if (auto u = Find(items, kUserKeys); u && !u->empty()) Append(s, "UID", *u);
    if (auto w = Find(items, kPasswordKeys); w && !w->empty()) Append(s, "PWD", *w);
    if (auto app = Find(items, {"Application Name"}); app && !app->empty()) Append(s, "APP", *app);
    // Rows are read as UTF-8 bytes like every other driver delivers them.
    s += "TDS_Version=7.4;ClientCharset=UTF-8;";
    return r;
}

TODBCTarget PostgreSql(const std::string& provider, const std::vector<TConnStringItem>& items)
{
    std::string host = FindText(items, {"Data Source", "Server", "Host"});
    std::string port;
    if (!host.empty() && host.front() == '[') {
        // [::1]:5432
        const auto close = host.find(']');
        if (close == std::string::npos) Malformed("unbalanced \"[\" in the host \"" + host + "\"");
        std::string rest = Trim(std::string_view(host).substr(close + 1));
        host = host.substr(1, close - 1);
        if (!rest.empty()) {
            if (rest.front() != ':' && rest.front() != ',') Malformed("unexpected text after the host \"" + host + "\"");
            port = CheckedPort(std::string_view(rest).substr(1), "Data Source");
        }
    } else if (const auto comma = host.rfind(','); comma != std::string::npos) {
        port = CheckedPort(std::string_view(host).substr(comma + 1), "Data Source");
        host = Trim(std::string_view(host).substr(0, comma));
    } else if (std::count(host.begin(), host.end(), ':') == 1) {
        // One colon separates the port; more colons make an IPv6 address.
        const auto colon = host.find(':');
        port = CheckedPort(std::string_view(host).substr(colon + 1), "Data Source");
        host = Trim(std::string_view(host).substr(0, colon));
    }
    if (auto p = Find(items, {"Port"}); p && !Trim(*p).empty()) port = CheckedPort(*p, "Port");

    TODBCTarget r;
    r.Provider = provider;
    r.Driver = "PostgreSQL Unicode";
    std::string& s = r.ConnectionString;
    s = "Driver={PostgreSQL Unicode};";
    if (!host.empty()) Append(s, "Server", host);
    if (!port.empty()) Append(s, "Port", port);
    if (auto db = Find(items, {"Location", "Initial Catalog", "Database"}); db && !db->empty()) Append(s, "Database", *db);
    if (auto u = Find(items, kUserKeys); u && !u->empty()) Append(s, "UID", *u);
    if (auto w = Find(items, kPasswordKeys); w && !w->empty()) Append(s, "PWD", *w);
    // Results stream through a cursor in batches instead of being held
    // whole in memory; booleans arrive as SQL_BIT instead of "0"/"1" text.
    // The driver's statement-level rollback (its default) stays on: a failed
    // statement must not undo the earlier ones of the transaction.
    s += "UseDeclareFetch=1;Fetch=1000;BoolsAsChar=0;";
    return r;
}

TODBCTarget OdbcBridge(const std::string& provider, const std::vector<TConnStringItem>& items)
{
    TODBCTarget r;
    r.Provider = provider;
    std::string& s = r.ConnectionString;
    bool target = false;
    for (const auto& it : items) {
        if (SameText(it.Key, "Provider") || SameText(it.Key, "Persist Security Info")) continue;
        if (SameText(it.Key, "Extended Properties")) {
            // The bridge's own ODBC string.
            for (const auto& inner : SplitConnectionString(it.Value, false)) {
                target = target || SameText(inner.Key, "DSN") || SameText(inner.Key, "Driver") || SameText(inner.Key, "FILEDSN");
                Append(s, inner.Key, inner.Value);
            }
            continue;
        }
        std::string key = it.Key;
        if (SameText(key, "Data Source")) key = "DSN";
        else if (std::any_of(kUserKeys.begin(), kUserKeys.end(), [&](auto k) { return SameText(it.Key, k); })) key = "UID";
        else if (std::any_of(kPasswordKeys.begin(), kPasswordKeys.end(), [&](auto k) { return SameText(it.Key, k); })) key = "PWD";
        target = target || SameText(key, "DSN") || SameText(key, "Driver") || SameText(key, "FILEDSN");
        Append(s, key, it.Value);
    }
    if (!target)
        throw EDatabaseError("The OLE DB provider \"" + provider +
                             "\" needs an ODBC data source: give \"Data Source=\" or \"DSN=\" in the connection string.");
    return r;
}

struct TKnownProvider {
    std::string_view Provider;
    std::string_view Driver;
};

// Providers the engine can name whose ODBC drivers are not part of this system.
const TKnownProvider kUnavailable[] = {
    {"ASAProv", "SQL Anywhere 17"},
    {"SAOLEDB", "SQL Anywhere 17"},
    {"OraOLEDB.Oracle", "Oracle 21 ODBC driver"},
    {"MSDAORA", "Oracle 21 ODBC driver"},
    {"IBMDADB2", "IBM DB2 ODBC DRIVER"},
    {"Sybase.ASEOLEDBProvider", "Adaptive Server Enterprise"},
    {"ASEOLEDB", "Adaptive Server Enterprise"},
    {"PervasiveOLEDB", "Pervasive ODBC Interface"},
    {"Microsoft.Jet.OLEDB", "Microsoft Access Driver (*.mdb, *.accdb)"},
    {"Microsoft.ACE.OLEDB", "Microsoft Access Driver (*.mdb, *.accdb)"},
};

} // namespace

std::vector<TConnStringItem> SplitConnectionString(std::string_view s, bool OleDbForm)
{
    std::vector<TConnStringItem> items;
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        while (i < n && (IsBlank(s[i]) || s[i] == ';')) ++i;
        if (i >= n) break;
        const size_t eq = s.find_first_of("=;", i);
        if (eq == std::string_view::npos || s[eq] == ';')
            Malformed("\"" + Trim(s.substr(i, eq == std::string_view::npos ? n - i : eq - i)) + "\" has no \"=\"");
        TConnStringItem item;
        item.Key = Trim(s.substr(i, eq - i));
        if (item.Key.empty()) Malformed("a value without a key at position " + IntToStr(static_cast<long long>(i + 1)));
        i = eq + 1;
        while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
        const char open = i < n ? s[i] : '\0';
        if (open == '{' || (OleDbForm && (open == '"' || open == '\''))) {
            const char close = open == '{' ? '}' : open;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == close) {
                    if (i + 1 < n && s[i + 1] == close) {
                        item.Value += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                item.Value += s[i++];
            }
            if (!closed)
                Malformed(std::string("unbalanced ") + (open == '{' ? "brace" : "quote") + " in the value of \"" + item.Key + "\"");
            while (i < n && IsBlank(s[i])) ++i;
            if (i < n && s[i] != ';') Malformed("unexpected text after the quoted value of \"" + item.Key + "\"");
        } else {
            const size_t end = std::min(s.find(';', i), n);
            item.Value = TrimRight(s.substr(i, end - i));
            if (item.Value.find_first_of("{}") != std::string::npos)
                Malformed("unbalanced brace in the value of \"" + item.Key + "\"");
            i = end;
        }
        items.push_back(std::move(item));
    }
    return items;
}

TODBCTarget TranslateConnectionString(std::string_view ConnectionString)
{
    if (Trim(ConnectionString).empty()) throw EDatabaseError("The connection string is empty.");

    // Quotes matter only in the OLE DB form, where a quote starting a value
    // opens it; in an ODBC string a quote is an ordinary character.
    std::vector<TConnStringItem> items;
    std::optional<EDatabaseError> oleDbFault;
    try {
        items = SplitConnectionString(ConnectionString, true);
    } catch (const EDatabaseError& e) {
        oleDbFault = e;
    }
    if (oleDbFault || !Find(items, {"Provider"})) {
        std::vector<TConnStringItem> odbc;
        try {
            odbc = SplitConnectionString(ConnectionString, false);
        } catch (const EDatabaseError&) {
            if (oleDbFault) throw *oleDbFault;
            throw;
        }
        if (oleDbFault && HasKey(odbc, "Provider")) throw *oleDbFault;
        if (HasKey(odbc, "Driver") || HasKey(odbc, "DSN") || HasKey(odbc, "FILEDSN"))
            return TODBCTarget{std::string(ConnectionString), {}, {}};
        throw EDatabaseError("The connection string names neither an OLE DB provider (Provider=) nor an ODBC driver or "
                             "data source (Driver=, DSN=): \"" +
                             HidePassword(ConnectionString) + "\".");
    }
    const auto provider = Find(items, {"Provider"});

    const std::string written = Trim(*provider);
    const std::string base = ProviderBase(written);
    if (SameText(base, "SQLOLEDB") || StartsWithText(base, "SQLNCLI") || StartsWithText(base, "MSOLEDBSQL"))
        return SqlServer(written, items);
    if (SameText(base, "PostgreSQL") || SameText(base, "PGNP")) return PostgreSql(written, items);
    if (SameText(base, "MSDASQL")) return OdbcBridge(written, items);
    for (const auto& known : kUnavailable)
        if (SameText(base, known.Provider) || (StartsWithText(base, known.Provider) && base.size() > known.Provider.size() &&
                                               base[known.Provider.size()] == '.'))
            throw EDatabaseError("The OLE DB provider \"" + written + "\" needs the ODBC driver \"" +
                                 std::string(known.Driver) + "\", which is not installed.");
    throw EDatabaseError("The OLE DB provider \"" + written +
                         "\" has no ODBC driver known to this system: give an ODBC connection string "
                         "(Driver=... or DSN=...) instead.");
}

void CheckDriverInstalled(const TODBCTarget& Target, const std::vector<std::string>& InstalledDrivers)
{
    if (Target.Driver.empty()) return;
    for (const auto& d : InstalledDrivers)
        if (SameText(d, Target.Driver)) return;
    std::string package;
    if (SameText(Target.Driver, "FreeTDS")) package = " (Debian package tdsodbc)";
    else if (SameText(Target.Driver, "PostgreSQL Unicode")) package = " (Debian package odbc-postgresql)";
    throw EDatabaseError("The OLE DB provider \"" + Target.Provider + "\" needs the ODBC driver \"" + Target.Driver +
                         "\", which is not installed" + package + ".");
}

std::string HidePassword(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const size_t eq = s.find_first_of("=;", i);
        if (eq == std::string_view::npos) {
            out.append(s.substr(i));
            break;
        }
        if (s[eq] == ';') {
            out.append(s.substr(i, eq + 1 - i));
            i = eq + 1;
            continue;
        }
        const std::string key = Trim(s.substr(i, eq - i));
        out.append(s.substr(i, eq + 1 - i));
        i = eq + 1;
        while (i < n && (s[i] == ' ' || s[i] == '\t')) out += s[i++];
        // The extent of the value, quotes or braces included.
        const size_t start = i;
        const char open = i < n ? s[i] : '\0';
        size_t end;
        bool quoted = false;
        if (open == '{' || open == '"' || open == '\'') {
            const char close = open == '{' ? '}' : open;
            size_t j = i + 1;
            end = n;
            while (j < n) {
                if (s[j] == close) {
                    if (j + 1 < n && s[j + 1] == close) {
                        j += 2;
                        continue;
                    }
                    end = j + 1;
                    quoted = true;
                    break;
                }
                ++j;
            }
        } else {
            end = std::min(s.find(';', i), n);
        }
        const std::string_view value = s.substr(start, end - start);
        if (SameText(key, "Password") || SameText(key, "PWD")) {
            out += "***";
        } else if (quoted && SameText(key, "Extended Properties")) {
            out += value.front();
            out += HidePassword(value.substr(1, value.size() - 2));
            out += value.back();
        } else {
            out.append(value);
        }
        i = end;
    }
    return out;
}

} // namespace qel
