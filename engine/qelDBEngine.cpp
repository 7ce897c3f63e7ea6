#include "qelDBEngine.h"

#include "qelDataSet.h"
#include "qelErrors.h"
#include "qelMsg.h"
#include "qelStrings.h"
#include "qelText.h"

#include <cmath>
#include <map>

namespace qel {

// ---- registry ----------------------------------------------------------

namespace {

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const { return CompareText(a, b) < 0; }
};

using TRegistry = std::map<std::string, std::unique_ptr<TQELAbstractConnection>, CaseInsensitiveLess>;

TRegistry& Registry()
{
    static TRegistry registry;
    static bool initialised = false;
    if (!initialised) {
        initialised = true;
        RegisterBuiltInConnections();
    }
    return registry;
}

} // namespace

bool RegisterConnection(const std::string& Name, std::unique_ptr<TQELAbstractConnection> Instance)
{
    TRegistry& r = Registry();
    if (r.find(Name) != r.end()) return false;
    r.emplace(Name, std::move(Instance));
    return true;
}

void FreeConnections() { Registry().clear(); }

TQELAbstractConnection* FindConnection(const std::string& Name)
{
    TRegistry& r = Registry();
    auto it = r.find(Name);
    return it == r.end() ? nullptr : it->second.get();
}

TQELAbstractConnection* FindConnectionByType(TconnectionType Type)
{
    for (auto& [name, backEnd] : Registry())
        if (backEnd && backEnd->ConnectionType == Type) return backEnd.get();
    return nullptr;
}

// ---- back end ----------------------------------------------------------

void TQELAbstractConnection::SetConnection(TQELCustomConnection* Connection)
{
    if (m_connection == Connection) return;
    if (m_connection != nullptr) RemoveFreeNotification(m_connection);
    m_connection = Connection;
    if (m_connection != nullptr) FreeNotification(m_connection);
}

void TQELAbstractConnection::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove && AComponent == m_connection) m_connection = nullptr;
    TComponent::Notification(AComponent, Operation);
}

bool TQELAbstractConnection::CreateDatabase()
{
    ErrorMessage("CREATE DATABASE not implemented (TQELAbstractConnection).");
    return false;
}

void TQELAbstractConnection::ErrorMessage(const std::string& Text)
{
    if (m_connection != nullptr && m_connection->OnErrorMessage) m_connection->OnErrorMessage(*this, Text);
    else ShowMessage(Text);
}

// ---- custom connection -------------------------------------------------

TQELCustomConnection::TQELCustomConnection(TComponent* AOwner) : TComponent(AOwner) {}

TQELCustomConnection::~TQELCustomConnection() = default;

void TQELCustomConnection::Assign(const TPersistent& Source)
{
    auto* src = dynamic_cast<const TQELCustomConnection*>(&Source);
    if (src == nullptr) {
        TComponent::Assign(Source);
        return;
    }
    if (src == this) return;
    SetConnectionType(src->m_connectionType);
    SetDatabaseType(src->m_databaseType);
    AssignOptions(*src);
}

void TQELCustomConnection::DoLogNextLine(const std::string& Text)
{
    if (OnLogNextLine) OnLogNextLine(*this, Text);
}

void TQELCustomConnection::ErrorMessage(const std::string& Text)
{
    if (OnErrorMessage) OnErrorMessage(*this, Text);
    else ShowMessage(Text);
}

bool TQELCustomConnection::CreateDatabase()
{
    ErrorMessage("CREATE DATABASE not implemented (" + ClassName() + ").");
    return false;
}

void TQELCustomConnection::DoBeforeConnect()
{
    const std::string name = GetFullDatabaseName();
    if (!name.empty()) DoLogNextLine("Connect to: " + SQLQuotedStr(name, TDatabaseType::dbInterBase) + "...");
    if (OnBeforeConnect) OnBeforeConnect(*this);
}

void TQELCustomConnection::DoBeforeDisconnect()
{
    if (OnBeforeDisconnect) OnBeforeDisconnect(*this);
}

void TQELCustomConnection::DoAfterDisconnect()
{
    if (OnAfterDisconnect) OnAfterDisconnect(*this);
}

void TQELCustomConnection::DoAfterConnect()
{
    std::string info;
    GetServerInfo(true, info);
    info = Trim(info);
    if (!info.empty()) DoLogNextLine("Server version: " + info);

    std::unique_ptr<TQELQuery> query = CreateQuery();
    if (query && query->GetSQL() != nullptr) {
        const TConnectionOptions& co = ConnectionOptions();
        if (m_databaseType == TDatabaseType::dbMySQL && GetConnected() && !MySQLServerOptions().CharSet.empty()) {
            query->SetSQLText("SET CHARACTER SET " + MySQLServerOptions().CharSet);
            DoLogNextLine(query->GetSQL()->Text());
            query->ExecSQL(); // a failure here is reported by SetConnected
        }
        const std::string user = UpperCase(co.UserName);
        if (m_databaseType == TDatabaseType::dbOracle && GetConnected() && !co.DatabaseName.empty() &&
            co.DatabaseName != co.HostName && (user == "SYSTEM" || user == "SYS")) {
            query->SetSQLText("ALTER SESSION SET CURRENT_SCHEMA = " + co.DatabaseName);
            DoLogNextLine(query->GetSQL()->Text());
            try {
                query->ExecSQL();
            } catch (const std::exception& e) {
                ErrorMessage(query->GetSQL()->Text() + CRLF + e.what());
            }
        }
    }
    query.reset();
    if (OnAfterConnect) OnAfterConnect(*this);
}

std::string TQELCustomConnection::GetFullDatabaseName() const
{
    if (m_databaseType != TDatabaseType::dbInterBase) return ConnectionOptions().DatabaseName;
    return FullInterBaseName(ConnectionOptions());
}

namespace {

// Runs one step of a server report: sets the text and opens the query.
void OpenText(TQELQuery& q, const std::string& sql)
{
    q.Close();
    q.SetSQLText(sql);
    q.Open();
}

void ExecText(TQELQuery& q, const std::string& sql)
{
    q.Close();
    q.SetSQLText(sql);
    q.ExecSQL();
}

std::string FirstFieldText(TQELQuery& q)
{
    TFields* f = q.GetFields();
    if (f == nullptr || f->Count() == 0 || q.Eof()) return {};
    return (*f)[0].AsString();
}

} // namespace

void TQELCustomConnection::GetServerInfo(bool Brief, std::string& Text)
{
    Text.clear();
    if (!GetConnected()) return;
    const TConnectionOptions& co = ConnectionOptions();

    if (m_databaseType == TDatabaseType::dbInterBase) {
        const TIBDatabaseOptions& db = IBServerOptions().IBDatabaseOptions();
        if (db.VersionText.empty()) return;
        Text = db.VersionText;
        if (!db.ServerVersionText.empty()) Text += " (" + db.ServerVersionText + ")";
        Text += CRLF;
        if (!co.ClientLibrary.empty()) Text += "Client library: " + co.ClientLibrary + CRLF;
        if (Brief) return;
        Text += "Database name : " + co.DatabaseName + CRLF;
        if (!IBServerOptions().DBCharSet().empty())
            Text += "Character set : " + IBServerOptions().DBCharSet() + CRLF;
        Text += "ODS version   : " + IntToStr(db.ODSMajorVersion) + "." + IntToStr(db.ODSMinorVersion) + CRLF;
        Text += "SQL Dialect   : " + IntToStr(db.DBSQLDialect) + CRLF;
        Text += "Sweep interval: " + IntToStr(db.SweepInterval) + CRLF;
        Text += "Page size     : " + IntToStr(db.PageSize) + CRLF;
        Text += std::string("Read-only     : ") + (db.ReadOnly != 0 ? "True" : "False") + CRLF;
        Text += std::string("Forced writes : ") + (db.ForcedWrites != 0 ? "On" : "Off") + CRLF;
        const long long kb = std::llround(static_cast<double>(db.NumBuffers) * db.PageSize / 1024.0);
        Text += "Buffers       : " + IntToStr(db.NumBuffers) + " pages " + "(" + IntToStr(kb) + " Kb)" + CRLF;
        return;
    }

    std::unique_ptr<TQELQuery> q = CreateQuery();
    if (!q) return;
    switch (m_databaseType) {
    case TDatabaseType::dbSybaseASA: {
        OpenText(*q, "SELECT\r\nxp_msver( 'ProductName') PN,\r\nxp_msver( 'ProductVersion') PV,\r\n"
                     "xp_msver( 'CompanyName') CN,\r\nxp_msver('FileDescription') FD,\r\n"
                     "xp_msver('LegalCopyright') LC,\r\nxp_msver('LegalTrademarks') LT,\r\nxp_msver('Language') LG");
        Text = q->FieldText("PN") + " v." + q->FieldText("PV");
        if (!Brief)
            Text += CRLF + q->FieldText("CN") + CRLF + q->FieldText("FD") + CRLF + q->FieldText("LC") + CRLF +
                    q->FieldText("LT");
        break;
    }
    case TDatabaseType::dbMySQL:
        OpenText(*q, "Select version()");
        Text = "MySQL " + FirstFieldText(*q);
        break;
    case TDatabaseType::dbOracle:
        OpenText(*q, "select * from v$version");
        while (!q->Eof()) {
            Text += FirstFieldText(*q) + CRLF;
            q->Next();
        }
        break;
    case TDatabaseType::dbMSSQL: {
        ExecText(*q, "Use master");
        OpenText(*q, "xp_msver " + SQLQuotedStr("ProductName", TDatabaseType::dbMSSQL));
        Text = q->FieldText("CHARACTER_VALUE");
        OpenText(*q, "Select ServerProperty('Edition') Edition, ServerProperty('ProductLevel') ProductLevel, "
                     "ServerProperty('ProductVersion') ProductVersion, ServerProperty('Collation') Collation");
        Text += " [" + q->FieldText("EDITION") + "] " + " v." + q->FieldText("PRODUCTVERSION");
        const std::string level = q->FieldText("PRODUCTLEVEL");
        if (!level.empty()) Text += " (" + level + ")";
        const std::string collation = q->FieldText("COLLATION");
        if (!collation.empty()) Text += CRLF + std::string("Default collation: ") + collation;
        OpenText(*q, "xp_msver " + SQLQuotedStr("Language", TDatabaseType::dbMSSQL));
        Text += CRLF + std::string("Language: ") + q->FieldText("CHARACTER_VALUE");
        if (!co.DatabaseName.empty()) {
            if (!Brief) {
                OpenText(*q, "sp_helpdb " + co.DatabaseName);
                Text += CRLF + std::string("Database: ") + q->FieldText("NAME");
                Text += CRLF + std::string("Owner   : ") + q->FieldText("OWNER");
                Text += CRLF + std::string("Size    : ") + Trim(q->FieldText("DB_SIZE"));
                Text += CRLF + std::string("Created : ") + q->FieldText("CREATED");
                Text += CRLF + std::string("Options : ") + q->FieldText("STATUS");
            }
            ExecText(*q, "Use " + co.DatabaseName);
        }
        break;
    }
    case TDatabaseType::dbSybaseASE:
        ExecText(*q, "Use master");
        OpenText(*q, "select @@version");
        Text = FirstFieldText(*q);
        if (!co.DatabaseName.empty()) {
            if (!Brief) {
                OpenText(*q, "exec sp_helpdb " + co.DatabaseName);
                Text += CRLF + std::string("  Database: ") + q->FieldText("NAME");
                Text += CRLF + std::string("  Size    : ") + Trim(q->FieldText("DB_SIZE"));
                Text += CRLF + std::string("  Owner   : ") + q->FieldText("OWNER");
                Text += CRLF + std::string("  Created : ") + q->FieldText("CREATED");
                Text += CRLF + std::string("  Status  : ") + q->FieldText("STATUS");
            }
            ExecText(*q, "Use " + co.DatabaseName);
        }
        break;
    case TDatabaseType::dbPostgreSQL:
        OpenText(*q, "select version()");
        Text = FirstFieldText(*q);
        break;
    default:
        break;
    }
    q->Close();
}

// ---- connection --------------------------------------------------------

TQELConnection::TQELConnection(TComponent* AOwner) : TQELCustomConnection(AOwner) {}

TQELConnection::~TQELConnection()
{
    // The database object goes before the options it reads.
    m_database.reset();
    if (m_backEnd != nullptr && m_backEnd->Connection() == this) m_backEnd->SetConnection(nullptr);
}

void TQELConnection::SetDatabaseType(TDatabaseType Value)
{
    TQELCustomConnection::SetDatabaseType(Value);
    if (m_backEnd != nullptr) m_backEnd->DatabaseType = Value;
}

namespace {

std::string UnitName(TconnectionType t)
{
    switch (t) {
    case TconnectionType::cnIBX: return "qelConnection_IBXDB";
    case TconnectionType::cnFIB: return "qelConnection_FIBDB";
    case TconnectionType::cnIBO: return "qelConnection_IBODB";
    case TconnectionType::cnADO: return "qelConnection_ADODB";
    case TconnectionType::cnZEOS: return "qelConnection_ZEOSDB";
    case TconnectionType::cnBDE: return "qelConnection_BDEDB";
    case TconnectionType::cnDBX: return "qelConnection_DBXDB";
    case TconnectionType::cnAnyDAC: return "qelConnection_AnyDACDB";
    case TconnectionType::cnUIB: return "qelConnection_UIBDB";
    case TconnectionType::cnODAC: return "qelConnection_ODACDB";
    case TconnectionType::cnSAVCL: return "qelConnection_SAVCLDB";
    case TconnectionType::cnMyDAC: return "qelConnection_MyDACDB";
    case TconnectionType::cnPostgresDAC: return "qelConnection_PGDACDB";
    case TconnectionType::cnIBDAC: return "qelConnection_IBDACDB";
    case TconnectionType::cnFireDAC: return "qelConnection_FireDACDB";
    default: return "qelConnection_XXXDB";
    }
}

} // namespace

void TQELConnection::SetConnectionType(TconnectionType Value)
{
    if (Value == m_connectionType) return;
    if (Designing) {
        m_connectionType = Value;
        return;
    }
    TQELAbstractConnection* found = FindConnectionByType(Value);
    if (found == nullptr) {
        const std::string unit = UnitName(Value);
        throw EUsageError(std::string(CRLF) + "Not supported connection select." + CRLF + "Include unit \"" + unit +
                          "\" in Your project." + CRLF + "Uses " + unit + ";" + CRLF);
    }
    // Queries made over the old database object watch it and let go of it
    // when it is freed here.
    if (m_backEnd != nullptr && m_backEnd->Connection() == this) m_backEnd->SetConnection(nullptr);
    m_backEnd = nullptr;
    m_connectionType = Value;
    m_backEnd = found;
    m_backEnd->SetConnection(this);
    m_database.reset();
    m_backEnd->DatabaseType = m_databaseType;
    m_database = m_backEnd->CreateDatabaseObject(this);
    if (m_database) m_database->SetConnection(this);
}

TDatabaseSetType TQELConnection::GetSupportedDatabases() const
{
    return TDatabaseSetType::Range(TDatabaseType::dbInterBase, TDatabaseType::dbSybaseASE) |
           TDatabaseSetType{TDatabaseType::dbParadox, TDatabaseType::dbDBASE};
}

TConnectionSetType TQELConnection::GetSupportedConnections() const
{
    return TConnectionSetType::Range(TconnectionType::cnIBX, TconnectionType::cnAnyDAC) |
           TConnectionSetType::Range(TconnectionType::cnODAC, TconnectionType::cnFireDAC);
}

bool TQELConnection::GetConnected() { return m_database ? m_database->GetConnected() : false; }

void TQELConnection::SetConnected(bool Value)
{
    if (!m_database) {
        // Without a back end nothing can connect; say so rather than fail silently.
        if (Value) ErrorMessage("No connection type selected.");
        return;
    }
    if (Value == m_database->GetConnected()) return;
    if (Value) DoBeforeConnect();
    else DoBeforeDisconnect();
    // Errors are reported, never raised: the hooks then follow the state the
    // database object is in, so a failed connect ends with OnAfterDisconnect.
    auto reported = [this, Value](auto&& step) {
        try {
            step();
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
        } catch (...) {
            ErrorMessage(std::string("Unknown error while ") + (Value ? "connecting." : "disconnecting."));
        }
    };
    reported([&] { m_database->SetConnected(Value); });
    bool connected = false;
    reported([&] { connected = m_database->GetConnected(); });
    reported([&] {
        if (connected) DoAfterConnect();
        else DoAfterDisconnect();
    });
}

std::unique_ptr<TQELQuery> TQELConnection::CreateQuery()
{
    if (m_backEnd == nullptr) return nullptr;
    m_backEnd->SetConnection(this);
    std::unique_ptr<TQELQuery> q = m_backEnd->CreateQuery();
    if (!q) return nullptr;
    q->SetConnection(this);
    q->SetDatabase(m_database.get());
    return q;
}

void TQELConnection::StartTransaction() { if (m_database) m_database->StartTransaction(); }
void TQELConnection::Commit() { if (m_database) m_database->Commit(); }
void TQELConnection::Rollback() { if (m_database) m_database->Rollback(); }
bool TQELConnection::InTransaction() { return m_database ? m_database->InTransaction() : false; }
TScriptTransactions* TQELConnection::ScriptTransactions() { return m_database ? m_database->ScriptTransactions() : nullptr; }
void TQELConnection::ChangeCharSet(const std::string& CharSet) { if (m_database) m_database->ChangeCharSet(CharSet); }
std::string TQELConnection::ClientCharSet() { return m_database ? m_database->ClientCharSet() : std::string(); }
std::string TQELConnection::DBMSName() { return m_database ? m_database->DBMSName() : std::string(); }
bool TQELConnection::ListColumns(const std::string& Table, std::vector<TColumnListing>& Columns)
{
    return m_database && m_database->ListColumns(Table, Columns);
}

bool TQELConnection::StoredValue(const std::string& DeclaredType, TValue& Value)
{
    return m_database && m_database->StoredValue(DeclaredType, Value);
}

bool TQELConnection::CreateDatabase()
{
    if (m_backEnd == nullptr) return false;
    m_backEnd->SetConnection(this);
    return m_backEnd->CreateDatabase();
}

// ---- query -------------------------------------------------------------

TQELQuery::~TQELQuery() = default;

void TQELQuery::SetConnection(TQELCustomConnection* Value)
{
    if (m_connection == Value) return;
    if (m_connection != nullptr && m_connection != static_cast<TComponent*>(m_database)) RemoveFreeNotification(m_connection);
    m_connection = Value;
    if (m_connection != nullptr) FreeNotification(m_connection);
}

void TQELQuery::SetDatabase(TQELDatabase* Value)
{
    if (m_database == Value) return;
    if (m_database != nullptr) RemoveFreeNotification(m_database);
    m_database = Value;
    if (m_database != nullptr) FreeNotification(m_database);
}

void TQELQuery::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove) {
        if (AComponent == m_database) {
            DatabaseGone();
            m_database = nullptr;
        }
        if (AComponent == m_connection) m_connection = nullptr;
    }
    TComponent::Notification(AComponent, Operation);
}

void TQELQuery::SetSQLText(const std::string& Text)
{
    if (TStringList* sql = GetSQL()) sql->SetText(Text);
}

std::string TQELQuery::FieldText(const std::string& Name)
{
    TField* f = FieldByName(Name);
    if (f == nullptr) throw EDatabaseError("Field '" + Name + "' not found");
    return f->AsString();
}

// ---- parameter parser --------------------------------------------------

namespace {

bool IsQuote(char c) { return c == '\'' || c == '"' || c == '`'; }

bool IsNameDelimiter(char c)
{
    switch (c) {
    case '\t': case '\n': case '\r': case ' ': case '!': case '%': case '&': case '(': case ')': case '*':
    case '+': case ',': case '-': case '/': case ';': case '<': case '=': case '>': case '?': case '[':
    case ']': case '\\': case '^': case '|': case '~': case '\'': case '"': case '`':
        return true;
    default:
        return false;
    }
}

bool IsNameChar(char c)
{
    const char u = AsciiUpper(c);
    return (u >= 'A' && u <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A colon right after a digit starts a parameter only when everything before
// it is digits and blanks ("1:a" at the start of a text).
bool OnlyDigitsAndBlanksBefore(const std::string& s, size_t pos)
{
    for (size_t i = 0; i < pos; ++i) {
        const char c = s[i];
        if (!IsDigit(c) && c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
    }
    return true;
}

} // namespace

void ParseSQL(TParams* Params, const std::string& SQL, bool DoCreate, std::string& SQLOut)
{
    if (DoCreate && Params != nullptr) Params->Clear();
    std::string out;
    out.reserve(SQL.size());
    // The quote that opened the current quoted run; only the same quote ends
    // it, so a double quote inside a string literal ('a 5" screen') cannot
    // put the rest of the text out of step.
    char openQuote = '\0';
    bool literal = false;
    size_t i = 0;
    const size_t n = SQL.size();
    while (i < n) {
        const char c = SQL[i];
        const char next = i + 1 < n ? SQL[i + 1] : '\0';
        if (c == ':' && !literal && next == ':') {
            out += ':';
            i += 2;
            continue;
        }
        if (c == ':' && !literal && i + 1 < n && next != '\t' && next != '\n' && next != '\r' && next != ' ' &&
            i > 0 && (!IsNameChar(SQL[i - 1]) || (IsDigit(SQL[i - 1]) && OnlyDigitsAndBlanksBefore(SQL, i)))) {
            // The name runs to the first delimiter met outside quotes.
            size_t j = i + 1;
            bool inName = false;
            const bool quoted = IsQuote(SQL[j]);
            while (j < n) {
                if (IsQuote(SQL[j])) {
                    inName = !inName;
                    if (!inName) break; // closing quote of a quoted name
                    ++j;
                    continue;
                }
                if (!inName && IsNameDelimiter(SQL[j])) break;
                ++j;
            }
            std::string name = SQL.substr(i + 1, j - i - 1);
            if (DoCreate && Params != nullptr)
                Params->CreateParam(TFieldType::ftUnknown, quoted ? name.substr(1) : name);
            out += '?';
            if (quoted) {
                // The closing quote belongs to the name: dropping it keeps the
                // rewritten text valid SQL.
                i = (j < n) ? j + 1 : j;
                continue;
            }
            // The delimiter that ended the name is copied without a second look.
            if (j < n) {
                out += SQL[j];
                ++j;
            }
            i = j;
            continue;
        }
        if (IsQuote(c)) {
            if (!literal) {
                literal = true;
                openQuote = c;
            } else if (c == openQuote) {
                literal = false;
            }
        }
        out += c;
        ++i;
    }
    SQLOut = std::move(out);
}

} // namespace qel
