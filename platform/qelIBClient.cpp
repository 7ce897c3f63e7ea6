#include "qelIBClient.h"

#include "qelErrors.h"
#include "qelIBClientPrivate.h"
#include "qelText.h"

#include <firebird/Interface.h>

#include <dlfcn.h>

#include <algorithm>
#include <charconv>
#include <type_traits>
#include <utility>

namespace qel {

namespace ibclient {

static_assert(std::is_same_v<isc_svc_handle, unsigned int>, "service handles are kept as unsigned int");

[[noreturn]] void RaiseStatus(const ISC_STATUS* Status)
{
    std::string message;
    char line[1024];
    const ISC_STATUS* pv = Status;
    while (fb_interpret(line, sizeof line, &pv) > 0) {
        if (!message.empty()) message += CRLF;
        message += line;
    }
    if (message.empty()) message = "Firebird client error " + IntToStr(Status[1]);
    char state[6] = {};
    fb_sqlstate(state, Status);
    throw EDatabaseError(message, static_cast<int>(isc_sqlcode(Status)), state);
}

namespace {

// A parameter block in the clumplet form of database and service
// attachments: a version byte, then tag, one length byte, value.
class TParamBlock {
public:
    explicit TParamBlock(std::initializer_list<char> Head) : m_data(Head) {}

    void AddString(char Tag, std::string_view Value, std::string_view Name)
    {
        if (Value.size() > 255) throw EUsageError("The value of parameter \"" + std::string(Name) + "\" is too long");
        m_data += Tag;
        m_data += static_cast<char>(Value.size());
        m_data.append(Value);
    }
    void AddInteger(char Tag, std::int32_t Value)
    {
        m_data += Tag;
        m_data += static_cast<char>(4);
        for (int i = 0; i < 4; ++i) m_data += static_cast<char>((static_cast<std::uint32_t>(Value) >> (8 * i)) & 0xFF);
    }
    void AddByte(char Tag) { m_data += Tag; }

    const char* Data() const { return m_data.data(); }
    short Length() const { return static_cast<short>(m_data.size()); }

private:
    std::string m_data;
};

// One "name=value" line of a parameter list; Name lower-cased without the
// given prefix ("isc_dpb_user_name" and "user_name" are the same).
struct TParamLine {
    std::string Name;
    std::string Value;
};

std::vector<TParamLine> ParamLines(const TStringList& Lines, std::string_view Prefix)
{
    std::vector<TParamLine> result;
    for (const std::string& line : Lines.Lines()) {
        if (Trim(line).empty()) continue;
        const size_t eq = line.find('=');
        TParamLine p;
        p.Name = LowerCase(Trim(std::string_view(line).substr(0, eq)));
        if (StartsWithText(p.Name, Prefix)) p.Name.erase(0, Prefix.size());
        if (eq != std::string::npos) p.Value = line.substr(eq + 1);
        result.push_back(std::move(p));
    }
    return result;
}

int ParseSeconds(const TParamLine& Line)
{
    const std::string v = Trim(Line.Value);
    int seconds = 0;
    auto res = std::from_chars(v.data(), v.data() + v.size(), seconds);
    if (v.empty() || res.ec != std::errc() || res.ptr != v.data() + v.size() || seconds < 0)
        throw EUsageError("\"" + Line.Value + "\" is not a number of seconds for parameter \"" + Line.Name + "\"");
    return seconds;
}

// Sends a local name to the embedded engine only: without this, a file that
// the engine cannot open (held by a running server) would silently be opened
// through that server instead.
constexpr std::string_view EmbeddedOnly = "Providers=Engine12";

} // namespace

// ---- links -----------------------------------------------------------------

TDatabaseLink::~TDatabaseLink() { LinkDatabase(nullptr); }

void TDatabaseLink::LinkDatabase(TDatabaseState* Db)
{
    if (m_db == Db) return;
    if (m_db != nullptr) std::erase(m_db->Links, this);
    m_db = Db;
    if (m_db != nullptr) m_db->Links.push_back(this);
}

isc_db_handle* RequireHandle(TDatabaseState* Db, std::string_view What)
{
    if (Db == nullptr) throw EUsageError("Cannot " + std::string(What) + ": no database assigned");
    Db->RequireConnected(What);
    return &Db->Handle;
}

std::string DatabaseInfoItem(isc_db_handle* Handle, char Item)
{
    // The buffer's length goes to the library as a short.
    constexpr size_t MaxBuffer = 32767;
    std::vector<char> buffer(1024);
    for (;;) {
        TStatus st;
        isc_database_info(&st, Handle, 1, &Item, static_cast<short>(buffer.size()), buffer.data());
        st.Check();
        if (buffer[0] == isc_info_truncated && buffer.size() < MaxBuffer) {
            buffer.resize(std::min(buffer.size() * 4, MaxBuffer));
            continue;
        }
        if (buffer[0] != Item) return {};
        const auto len = static_cast<size_t>(InfoNumber(buffer.data() + 1, 2));
        return std::string(buffer.data() + 3, std::min(len, buffer.size() - 3));
    }
}

// ---- database state --------------------------------------------------------

TDatabaseState::~TDatabaseState()
{
    Detach(false);
    for (TDatabaseLink* link : Links) link->m_db = nullptr;
}

void TDatabaseState::RequireConnected(std::string_view What) const
{
    if (!Connected()) throw EUsageError("Cannot " + std::string(What) + ": database not connected");
}

void TDatabaseState::AfterAttach()
{
    try {
        const std::string d = DatabaseInfoItem(&Handle, isc_info_db_sql_dialect);
        const int dbDialect = d.empty() ? 1 : static_cast<int>(isc_vax_integer(d.data(), static_cast<short>(d.size())));
        // A dialect-1 database has no dialect-3 client: prepare as the
        // database understands.
        if (dbDialect < SQLDialect) SQLDialect = dbDialect;
    } catch (...) {
        Detach(false);
        throw;
    }
}

void TDatabaseState::Detach(bool Throw)
{
    if (Handle == 0) return;
    const std::vector<TDatabaseLink*> links = Links;
    for (TDatabaseLink* link : links) link->DatabaseDetaching();
    TStatus st;
    isc_detach_database(&st, &Handle);
    if (st.Failed()) {
        // A detach fails when the connection is already lost; the handle is
        // of no further use either way.
        Handle = 0;
        if (Throw) st.Check();
    }
}

// ---- transaction state -----------------------------------------------------

TTransactionState::~TTransactionState()
{
    RollbackQuietly();
    const std::vector<TTransactionUser*> users = Users;
    for (TTransactionUser* u : users) u->TransactionDestroyed(this);
    if (TDatabaseState* db = LinkedDatabase(); db != nullptr && db->DefaultTransaction == this)
        db->DefaultTransaction = nullptr;
}

void TTransactionState::AddUser(TTransactionUser* User)
{
    if (std::find(Users.begin(), Users.end(), User) == Users.end()) Users.push_back(User);
}

void TTransactionState::RemoveUser(TTransactionUser* User) { std::erase(Users, User); }

void TTransactionState::Start()
{
    if (Active()) throw EUsageError("Transaction is already active");
    isc_db_handle* db = RequireHandle(LinkedDatabase(), "start a transaction");
    std::string tpb;
    tpb += static_cast<char>(isc_tpb_version3);
    for (const TParamLine& p : ParamLines(Params, "isc_tpb_")) {
        static const struct {
            const char* Name;
            char Code;
        } known[] = {{"consistency", isc_tpb_consistency}, {"concurrency", isc_tpb_concurrency},
                     {"read_committed", isc_tpb_read_committed}, {"rec_version", isc_tpb_rec_version},
                     {"no_rec_version", isc_tpb_no_rec_version}, {"read", isc_tpb_read},
                     {"write", isc_tpb_write}, {"wait", isc_tpb_wait}, {"nowait", isc_tpb_nowait}};
        const auto it = std::find_if(std::begin(known), std::end(known), [&](const auto& k) { return p.Name == k.Name; });
        if (it == std::end(known)) throw EUsageError("Unknown transaction parameter \"" + p.Name + "\"");
        tpb += it->Code;
    }
    TStatus st;
    if (tpb.size() == 1)
        isc_start_transaction(&st, &Handle, 1, db, 0, nullptr);
    else
        isc_start_transaction(&st, &Handle, 1, db, static_cast<int>(tpb.size()), tpb.data());
    if (st.Failed()) Handle = 0;
    st.Check();
}

void TTransactionState::StartAs(std::string_view SetTransactionSQL, int Dialect)
{
    if (Active()) throw EUsageError("Transaction is already active");
    isc_db_handle* db = RequireHandle(LinkedDatabase(), "start a transaction");
    const std::string text(SetTransactionSQL);
    TStatus st;
    // With no transaction handle, the server starts the transaction the
    // statement describes and hands its handle back.
    isc_dsql_execute_immediate(&st, db, &Handle, 0, text.c_str(), static_cast<unsigned short>(Dialect), nullptr);
    if (st.Failed()) Handle = 0;
    st.Check();
}

void TTransactionState::End(bool Commit, bool Retaining)
{
    if (!Active()) throw EUsageError("Transaction is not active");
    if (!Retaining) {
        const std::vector<TTransactionUser*> users = Users;
        for (TTransactionUser* u : users) u->TransactionEnding(this);
    }
    TStatus st;
    if (Commit) {
        if (Retaining) isc_commit_retaining(&st, &Handle);
        else isc_commit_transaction(&st, &Handle);
    } else {
        if (Retaining) isc_rollback_retaining(&st, &Handle);
        else isc_rollback_transaction(&st, &Handle);
    }
    // A failed commit leaves the transaction active for a rollback; a failed
    // rollback leaves nothing to retry (the server ends the transaction with
    // the attachment).
    if (st.Failed() && !Commit && !Retaining) Handle = 0;
    st.Check();
}

void TTransactionState::RollbackQuietly() noexcept
{
    if (!Active()) return;
    const std::vector<TTransactionUser*> users = Users;
    for (TTransactionUser* u : users) u->TransactionEnding(this);
    TStatus st;
    isc_rollback_transaction(&st, &Handle);
    Handle = 0;
}

} // namespace ibclient

using namespace ibclient;

// ---- names -----------------------------------------------------------------

bool IBIsRemoteName(std::string_view Name)
{
    if (Name.starts_with("\\\\")) return true;
    for (std::string_view scheme : {"inet://", "inet4://", "inet6://", "wnet://", "xnet://"})
        if (StartsWithText(Name, scheme)) return true;
    if (Name.empty() || Name.front() == '/') return false;
    const size_t colon = Name.find(':');
    return colon != std::string_view::npos && colon > 0;
}

// ---- TIBDatabase -----------------------------------------------------------

TIBDatabase::TIBDatabase() : m(std::make_unique<TDatabaseState>()) { m->Owner = this; }

TIBDatabase::~TIBDatabase() = default;

TIBDatabase::TIBDatabase(TIBDatabase&& Other) noexcept : m(std::move(Other.m))
{
    m->Owner = this;
    Other.m = std::make_unique<TDatabaseState>();
    Other.m->Owner = &Other;
}

TIBDatabase& TIBDatabase::operator=(TIBDatabase&& Other) noexcept
{
    if (this != &Other) {
        m = std::move(Other.m);
        m->Owner = this;
        Other.m = std::make_unique<TDatabaseState>();
        Other.m->Owner = &Other;
    }
    return *this;
}

const std::string& TIBDatabase::DatabaseName() const { return m->DatabaseName; }

void TIBDatabase::SetDatabaseName(std::string_view Name)
{
    if (m->Connected()) throw EUsageError("Cannot change the database name of a connected database");
    m->DatabaseName = std::string(Name);
}

TStringList& TIBDatabase::Params() { return m->Params; }
const TStringList& TIBDatabase::Params() const { return m->Params; }
int TIBDatabase::SQLDialect() const { return m->SQLDialect; }

void TIBDatabase::SetSQLDialect(int Dialect)
{
    if (Dialect < 1 || Dialect > 3) throw EUsageError("SQL dialect " + IntToStr(Dialect) + " is not 1, 2 or 3");
    m->SQLDialect = Dialect;
}

int TIBDatabase::ConnectTimeout() const { return m->ConnectTimeout; }
void TIBDatabase::SetConnectTimeout(int Seconds) { m->ConnectTimeout = Seconds < 0 ? 0 : Seconds; }

TIBTransaction* TIBDatabase::DefaultTransaction() const
{
    return m->DefaultTransaction != nullptr ? m->DefaultTransaction->Owner : nullptr;
}

void TIBDatabase::SetDefaultTransaction(TIBTransaction* Transaction)
{
    if (Transaction != nullptr) {
        TDatabaseState* own = Transaction->State().LinkedDatabase();
        if (own == nullptr) Transaction->SetDefaultDatabase(this);
        else if (own != m.get()) throw EUsageError("The transaction belongs to another database");
    }
    m->DefaultTransaction = Transaction != nullptr ? &Transaction->State() : nullptr;
}

void TIBDatabase::Open()
{
    if (m->Connected()) return;
    if (Trim(m->DatabaseName).empty()) throw EUsageError("Cannot connect: the database name is empty");
    TParamBlock dpb{static_cast<char>(isc_dpb_version1)};
    bool timeoutGiven = false;
    for (const TParamLine& p : ParamLines(m->Params, "isc_dpb_")) {
        if (p.Name == "connect_timeout") {
            dpb.AddInteger(isc_dpb_connect_timeout, ParseSeconds(p));
            timeoutGiven = true;
            continue;
        }
        char tag = 0;
        if (p.Name == "user_name") tag = isc_dpb_user_name;
        else if (p.Name == "password") tag = isc_dpb_password;
        else if (p.Name == "sql_role_name") tag = isc_dpb_sql_role_name;
        else if (p.Name == "lc_ctype") tag = isc_dpb_lc_ctype;
        else throw EUsageError("Unknown database parameter \"" + p.Name + "\"");
        if (!p.Value.empty()) dpb.AddString(tag, p.Value, p.Name);
    }
    if (!timeoutGiven && m->ConnectTimeout > 0) dpb.AddInteger(isc_dpb_connect_timeout, m->ConnectTimeout);
    if (!IBIsRemoteName(m->DatabaseName)) dpb.AddString(isc_dpb_config, EmbeddedOnly, "config");
    TStatus st;
    isc_attach_database(&st, 0, m->DatabaseName.c_str(), &m->Handle, dpb.Length(), dpb.Data());
    if (st.Failed()) m->Handle = 0;
    st.Check();
    m->AfterAttach();
}

void TIBDatabase::Close() { m->Detach(true); }

bool TIBDatabase::Connected() const { return m->Connected(); }

void TIBDatabase::SetConnected(bool Value)
{
    if (Value) Open();
    else Close();
}

void TIBDatabase::CreateDatabase()
{
    if (m->Connected()) throw EUsageError("Cannot create a database while connected");
    if (Trim(m->DatabaseName).empty()) throw EUsageError("Cannot create a database: the database name is empty");
    std::string sql = "CREATE DATABASE '";
    for (char c : m->DatabaseName) {
        if (c == '\'') sql += '\'';
        sql += c;
    }
    sql += '\'';
    for (const std::string& line : m->Params.Lines()) {
        const std::string t = Trim(line);
        if (!t.empty()) sql += ' ' + t;
    }
    // The client library reads the statement itself and creates the
    // database through the first provider that takes the name: for a local
    // path that is the embedded engine (a server is only tried when the
    // engine fails, and then reports its own error).
    TStatus st;
    isc_tr_handle tr = 0;
    isc_dsql_execute_immediate(&st, &m->Handle, &tr, 0, sql.c_str(), static_cast<unsigned short>(m->SQLDialect), nullptr);
    if (st.Failed()) m->Handle = 0;
    st.Check();
    m->AfterAttach();
}

void TIBDatabase::DropDatabase()
{
    m->RequireConnected("drop the database");
    const std::vector<TDatabaseLink*> links = m->Links;
    for (TDatabaseLink* link : links) link->DatabaseDetaching();
    TStatus st;
    isc_drop_database(&st, &m->Handle);
    st.Check();
    m->Handle = 0;
}

int TIBDatabase::DBSQLDialect() const { return TIBDatabaseInfo(const_cast<TIBDatabase*>(this)).DBSQLDialect(); }

// ---- TIBTransaction --------------------------------------------------------

TIBTransaction::TIBTransaction() : m(std::make_unique<TTransactionState>()) { m->Owner = this; }

TIBTransaction::TIBTransaction(TIBDatabase* DefaultDatabase) : TIBTransaction() { SetDefaultDatabase(DefaultDatabase); }

TIBTransaction::~TIBTransaction() = default;

TIBTransaction::TIBTransaction(TIBTransaction&& Other) noexcept : m(std::move(Other.m))
{
    m->Owner = this;
    Other.m = std::make_unique<TTransactionState>();
    Other.m->Owner = &Other;
}

TIBTransaction& TIBTransaction::operator=(TIBTransaction&& Other) noexcept
{
    if (this != &Other) {
        m = std::move(Other.m);
        m->Owner = this;
        Other.m = std::make_unique<TTransactionState>();
        Other.m->Owner = &Other;
    }
    return *this;
}

TStringList& TIBTransaction::Params() { return m->Params; }
const TStringList& TIBTransaction::Params() const { return m->Params; }

TIBDatabase* TIBTransaction::DefaultDatabase() const
{
    return m->LinkedDatabase() != nullptr ? m->LinkedDatabase()->Owner : nullptr;
}

void TIBTransaction::SetDefaultDatabase(TIBDatabase* Database)
{
    TDatabaseState* next = Database != nullptr ? &Database->State() : nullptr;
    if (next == m->LinkedDatabase()) return;
    if (m->Active()) throw EUsageError("Cannot change the database of an active transaction");
    if (TDatabaseState* old = m->LinkedDatabase(); old != nullptr && old->DefaultTransaction == m.get())
        old->DefaultTransaction = nullptr;
    m->LinkDatabase(next);
}

void TIBTransaction::StartTransaction() { m->Start(); }
void TIBTransaction::StartTransaction(std::string_view SetTransactionSQL, int Dialect)
{
    m->StartAs(SetTransactionSQL, Dialect);
}
void TIBTransaction::Commit() { m->End(true, false); }
void TIBTransaction::CommitRetaining() { m->End(true, true); }
void TIBTransaction::Rollback() { m->End(false, false); }
void TIBTransaction::RollbackRetaining() { m->End(false, true); }
bool TIBTransaction::InTransaction() const { return m->Active(); }

// ---- TIBDatabaseInfo -------------------------------------------------------

int TIBDatabaseInfo::IntegerItem(char Item) const
{
    isc_db_handle* h = RequireHandle(m_database != nullptr ? &m_database->State() : nullptr, "read database information");
    const std::string v = DatabaseInfoItem(h, Item);
    if (v.empty()) return 0;
    return static_cast<int>(isc_vax_integer(v.data(), static_cast<short>(std::min<size_t>(v.size(), 4))));
}

std::vector<std::string> TIBDatabaseInfo::StringsItem(char Item) const
{
    isc_db_handle* h = RequireHandle(m_database != nullptr ? &m_database->State() : nullptr, "read database information");
    const std::string v = DatabaseInfoItem(h, Item);
    std::vector<std::string> result;
    if (v.empty()) return result;
    // A count, then each text with a length byte before it.
    size_t pos = 1;
    const int count = static_cast<unsigned char>(v[0]);
    for (int i = 0; i < count && pos < v.size(); ++i) {
        const size_t len = static_cast<unsigned char>(v[pos++]);
        result.push_back(v.substr(pos, len));
        pos += len;
    }
    return result;
}

int TIBDatabaseInfo::ODSMajorVersion() const { return IntegerItem(isc_info_ods_version); }
int TIBDatabaseInfo::ODSMinorVersion() const { return IntegerItem(isc_info_ods_minor_version); }
int TIBDatabaseInfo::PageSize() const { return IntegerItem(isc_info_page_size); }
int TIBDatabaseInfo::ForcedWrites() const { return IntegerItem(isc_info_forced_writes); }
int TIBDatabaseInfo::SweepInterval() const { return IntegerItem(isc_info_sweep_interval); }
int TIBDatabaseInfo::ReadOnly() const { return IntegerItem(isc_info_db_read_only); }
int TIBDatabaseInfo::NumBuffers() const { return IntegerItem(isc_info_num_buffers); }
int TIBDatabaseInfo::DBSQLDialect() const { return IntegerItem(isc_info_db_sql_dialect); }

int TIBDatabaseInfo::DBImplementationNo() const
{
    // A count, then pairs of implementation number and class.
    isc_db_handle* h = RequireHandle(m_database != nullptr ? &m_database->State() : nullptr, "read database information");
    const std::string v = DatabaseInfoItem(h, isc_info_implementation);
    return v.size() >= 3 ? static_cast<unsigned char>(v[1]) : 0;
}

int TIBDatabaseInfo::DBImplementationClass() const
{
    isc_db_handle* h = RequireHandle(m_database != nullptr ? &m_database->State() : nullptr, "read database information");
    const std::string v = DatabaseInfoItem(h, isc_info_implementation);
    return v.size() >= 3 ? static_cast<unsigned char>(v[2]) : 0;
}

std::string TIBDatabaseInfo::Version() const
{
    const auto v = StringsItem(isc_info_version);
    return v.empty() ? std::string() : v.front();
}

std::string TIBDatabaseInfo::FirebirdVersion() const
{
    const auto v = StringsItem(isc_info_firebird_version);
    return v.empty() ? std::string() : v.front();
}

std::vector<std::string> TIBDatabaseInfo::FirebirdVersions() const { return StringsItem(isc_info_firebird_version); }

// ---- TIBServerProperties ---------------------------------------------------

TIBServerProperties::~TIBServerProperties()
{
    if (m_handle != 0) {
        TStatus st;
        isc_service_detach(&st, &m_handle);
    }
}

TIBServerProperties::TIBServerProperties(TIBServerProperties&& Other) noexcept
    : ServerName(std::move(Other.ServerName)), Protocol(Other.Protocol), Params(Other.Params),
      ConnectTimeout(Other.ConnectTimeout), m_handle(std::exchange(Other.m_handle, 0)),
      m_versionInfo(std::move(Other.m_versionInfo))
{
}

TIBServerProperties& TIBServerProperties::operator=(TIBServerProperties&& Other) noexcept
{
    if (this != &Other) {
        if (m_handle != 0) {
            TStatus st;
            isc_service_detach(&st, &m_handle);
        }
        ServerName = std::move(Other.ServerName);
        Protocol = Other.Protocol;
        Params = Other.Params;
        ConnectTimeout = Other.ConnectTimeout;
        m_handle = std::exchange(Other.m_handle, 0);
        m_versionInfo = std::move(Other.m_versionInfo);
    }
    return *this;
}

std::string TIBServerProperties::ServiceName() const
{
    if (Protocol == TIBProtocol::Local || Trim(ServerName).empty()) return "service_mgr";
    switch (Protocol) {
    case TIBProtocol::NamedPipe: return "\\\\" + ServerName + "\\service_mgr";
    case TIBProtocol::SPX: return ServerName + "@service_mgr";
    default: return ServerName + ":service_mgr";
    }
}

void TIBServerProperties::Attach()
{
    if (m_handle != 0) return;
    TParamBlock spb{static_cast<char>(isc_spb_version), static_cast<char>(isc_spb_current_version)};
    for (const TParamLine& p : ParamLines(Params, "isc_spb_")) {
        char tag = 0;
        if (p.Name == "user_name") tag = isc_spb_user_name;
        else if (p.Name == "password") tag = isc_spb_password;
        else throw EUsageError("Unknown service parameter \"" + p.Name + "\"");
        if (!p.Value.empty()) spb.AddString(tag, p.Value, p.Name);
    }
    if (ConnectTimeout > 0) spb.AddInteger(isc_spb_connect_timeout, ConnectTimeout);
    const std::string name = ServiceName();
    if (!IBIsRemoteName(name)) spb.AddString(isc_spb_config, EmbeddedOnly, "config");
    TStatus st;
    isc_svc_handle h = 0;
    isc_service_attach(&st, 0, name.c_str(), &h, static_cast<unsigned short>(spb.Length()), spb.Data());
    st.Check();
    m_handle = h;
}

void TIBServerProperties::Detach()
{
    if (m_handle == 0) return;
    TStatus st;
    isc_service_detach(&st, &m_handle);
    m_handle = 0;
    st.Check();
}

void TIBServerProperties::FetchVersionInfo()
{
    if (m_handle == 0) throw EUsageError("Cannot read the server version: the service is not attached");
    const char items[] = {isc_info_svc_server_version, isc_info_svc_implementation, isc_info_svc_version};
    std::vector<char> buffer(4096);
    TStatus st;
    isc_service_query(&st, &m_handle, nullptr, 0, nullptr, sizeof items, items, static_cast<unsigned short>(buffer.size()),
                      buffer.data());
    st.Check();
    TIBVersionInfo info;
    for (size_t pos = 0; pos < buffer.size() && buffer[pos] != isc_info_end;) {
        const char item = buffer[pos++];
        if (item == isc_info_svc_version && buffer.size() - pos >= 4) {
            info.ServiceVersion = static_cast<int>(InfoNumber(&buffer[pos], 4));
            pos += 4;
        } else if ((item == isc_info_svc_server_version || item == isc_info_svc_implementation) &&
                   buffer.size() - pos >= 2) {
            const auto len = static_cast<size_t>(InfoNumber(&buffer[pos], 2));
            pos += 2;
            std::string text(&buffer[pos], std::min(len, buffer.size() - pos));
            pos += len;
            (item == isc_info_svc_server_version ? info.ServerVersion : info.ServerImplementation) = std::move(text);
        } else {
            break; // isc_info_truncated or an item this layer does not read
        }
    }
    m_versionInfo = std::move(info);
}

// ---- the client library ----------------------------------------------------

std::string IBClientLibraryFileName()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&isc_attach_database), &info) != 0 && info.dli_fname != nullptr)
        return info.dli_fname;
    return {};
}

std::string IBClientVersionText()
{
    char text[256] = {};
    isc_get_client_version(text);
    return text;
}

std::string IBClientVersion()
{
    // The library's own numbering: isc_get_client_major_version answers in
    // InterBase numbering (6 for Firebird 3).
    const unsigned v = Firebird::fb_get_master_interface()->getUtilInterface()->getClientVersion();
    return IntToStr(v >> 8) + "." + IntToStr(v & 0xFF);
}

void IBRefuseShutdownOnSignal()
{
    // A non-zero answer to the confirmation call cancels the shutdown before
    // anything is closed.
    static const FB_SHUTDOWN_CALLBACK refuse = [](const int Reason, const int, void*) -> int {
        return Reason == fb_shutrsn_signal ? 1 : 0;
    };
    static bool registered = false;
    if (registered) return;
    ibclient::TStatus st;
    fb_shutdown_callback(&st, refuse, fb_shut_confirmation, nullptr);
    st.Check();
    registered = true;
}

} // namespace qel

#if defined(__SANITIZE_ADDRESS__)
// The client library and the embedded engine keep a few allocations for the
// life of the process (the SRP big numbers, iconv and ICU tables) and never
// free them, not even in fb_shutdown. Every program that uses this layer
// links this file, so the leak checker learns here to leave those alone;
// allocations of our own code never pass through these libraries.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfbclient.so\n"
           "leak:libEngine12.so\n"
           "leak:libfbintl.so\n"
           "leak:libicuuc.so\n"
           "leak:libicui18n.so\n"
           "leak:libtommath.so\n";
}
#endif
