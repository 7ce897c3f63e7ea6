#include "qelIBSQLExec.h"
#include "qelSQL_ExecPrivate.h"

#include "qelDBEngine.h"
#include "qelDBOptions.h"
#include "qelDataSet.h"
#include "qelErrors.h"
#include "qelIBExParser.h"
#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelWordTable.h"
#include "qelText.h"
#include "qelWords.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace qel {

namespace {

// A database name with a host part goes to HostName, Port and Protocol, so
// that the connection does not put its own host in front of it:
//   "srv:/db.fdb" -> srv, 0, "/db.fdb";  "srv/3051:/db.fdb" -> srv, 3051
//   "\\srv\db.fdb" -> srv, named pipe, "db.fdb"
// A local name leaves the host as it was (a CONNECT written for the
// connection's own server names only the file).
void SplitHost(TConnectionOptions& Co)
{
    const std::string name = Co.DatabaseName;
    if (!IsRemoteDatabaseName(name)) return;
    if (name.starts_with("\\\\")) {
        const size_t sep = name.find('\\', 2);
        if (sep == std::string::npos) return;
        Co.HostName = name.substr(2, sep - 2);
        Co.Protocol = TQELProtocol::ptNamedPipe;
        Co.Port = 0;
        Co.DatabaseName = name.substr(sep + 1);
        return;
    }
    if (name.find("://") != std::string::npos) {
        // A URL form is passed to the client as it stands.
        Co.HostName.clear();
        return;
    }
    const size_t colon = name.find(':');
    std::string host = name.substr(0, colon);
    int port = 0;
    const size_t slash = host.find('/');
    if (slash != std::string::npos) {
        const std::string p = host.substr(slash + 1);
        auto r = std::from_chars(p.data(), p.data() + p.size(), port);
        if (r.ec != std::errc() || r.ptr != p.data() + p.size()) {
            // A service name instead of a number: keep the whole name.
            Co.HostName.clear();
            return;
        }
        host.resize(slash);
    }
    Co.HostName = host;
    Co.Port = port;
    Co.Protocol = TQELProtocol::ptTCP;
    Co.DatabaseName = name.substr(colon + 1);
}

// Identifier for a COMMENT ON text: the stored name in double quotes
// (dialect 3), so it names exactly the object the system table holds.
std::string StoredName(const std::string& Name, int Dialect)
{
    return Dialect < 3 ? Name : QuoteDelimited(Name, '"', '"');
}

// A CONNECT's database and login replace the options' four, a login it
// leaves out included.
void UseConnectTarget(TConnectionOptions& Co, const TConnectionOptions& Named)
{
    Co.DatabaseName = Named.DatabaseName;
    Co.UserName = Named.UserName;
    Co.Password = Named.Password;
    Co.RoleName = Named.RoleName;
    SplitHost(Co);
}

} // namespace

TIBSQLExec::TIBSQLExec(TComponent* AOwner) : TSQLExec(AOwner) { m_databaseType = TDatabaseType::dbInterBase; }

void TIBSQLExec::Connect()
{
    TQELCustomConnection* c = QELConnection();
    if (c == nullptr) {
        ErrorMessage(ClassName() + "(" + Name() + "): Connection property not assigned.");
        return;
    }
    try {
        DisconnectForStatement();
        // Only what an InterBase connection reads: the other servers'
        // options of the connection stay as they are.
        c->SetConnectionOptions(ConnectionOptions());
        c->SetIBServerOptions(IBServerOptions());
        if (!ConnectForStatement()) return;
        LogNextLine("Connect: \"" + NameWithoutPassword(ConnectionOptions().DatabaseName) + "\"");
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
    }
}

void TIBSQLExec::Disconnect()
{
    TQELCustomConnection* c = QELConnection();
    if (c == nullptr || !Connected()) return;
    LogNextLine("Disconnect: \"" + NameWithoutPassword(c->ConnectionOptions().DatabaseName) + "\"");
    try {
        DisconnectForStatement();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
    }
}

void TIBSQLExec::ParseConnectString(const std::string& Text)
{
    // CONNECT [DATABASE] name [USER u] [PASSWORD p] [ROLE r] [CACHE n], each
    // value quoted or a plain word, as isql reads it. A quoted value without
    // such a word before it takes the next place of user, password, role.
    const std::vector<TStatementWord> w = StatementWords(Text);
    auto is = [&](size_t k, const char* word) { return k < w.size() && !w[k].Quoted && SameText(w[k].Text, word); };
    size_t i = 0;
    if (is(i, "CONNECT")) ++i;
    if (is(i, "DATABASE")) ++i;
    TConnectionOptions named;
    if (i < w.size()) named.DatabaseName = w[i++].Text;
    std::string* fields[] = {&named.UserName, &named.Password, &named.RoleName};
    const char* const names[] = {"USER", "PASSWORD", "ROLE"};
    std::size_t place = 0;
    while (i < w.size()) {
        if (is(i, "CACHE")) {
            i += 2;
            continue;
        }
        std::size_t at = std::size(fields);
        for (std::size_t k = 0; k < std::size(names); ++k)
            if (is(i, names[k])) at = k;
        if (at < std::size(fields)) {
            if (is(++i, "=")) ++i;
        } else if (w[i].Quoted) {
            at = place;
        } else {
            ++i;
            continue;
        }
        if (at >= std::size(fields) || i >= w.size()) break;
        // A user or role name in double quotes keeps them: the server then
        // takes its case as written, as isql's login does.
        const bool name = at != 1 && w[i].Quote == '"';
        *fields[at] = name ? QuoteDelimited(w[i].Text, '"', '"') : w[i].Text;
        ++i;
        place = at + 1;
    }
    UseConnectTarget(ConnectionOptions(), named);
}

void TIBSQLExec::ReadConnectStatement(const TStatement& St)
{
    if (St.ConnectsTo) UseConnectTarget(ConnectionOptions(), *St.ConnectsTo);
    else ParseConnectString(St.SQL.Text());
}

void TIBSQLExec::ParseCreateDatabaseString(const std::string& Text)
{
    const std::vector<TStatementWord> w = StatementWords(Text);
    TConnectionOptions& co = ConnectionOptions();
    TIBSQLExecOptions& ib = IBServerOptions();
    size_t i = 0;
    auto is = [&](size_t k, const char* word) { return k < w.size() && !w[k].Quoted && SameText(w[k].Text, word); };
    if (is(i, "CREATE")) ++i;
    if (is(i, "DATABASE") || is(i, "SCHEMA")) ++i;
    if (i < w.size() && w[i].Quoted) {
        co.DatabaseName = w[i++].Text;
        SplitHost(co);
    }
    auto value = [&](size_t& k) -> std::string {
        if (is(k, "=")) ++k;
        return k < w.size() ? w[k++].Text : std::string();
    };
    // As in isql, a database made without a default character set has
    // NONE, whatever SET NAMES gave the connection.
    ib.SetDefaultCharSet("NONE");
    while (i < w.size()) {
        if (is(i, "USER")) {
            ++i;
            co.UserName = value(i);
        } else if (is(i, "PASSWORD")) {
            ++i;
            co.Password = value(i);
        } else if (is(i, "ROLE")) {
            ++i;
            co.RoleName = value(i);
        } else if (is(i, "PAGE_SIZE")) {
            ++i;
            const std::string v = value(i);
            int size = 0;
            auto r = std::from_chars(v.data(), v.data() + v.size(), size);
            if (r.ec == std::errc() && r.ptr == v.data() + v.size()) ib.IBDatabaseOptions().PageSize = size;
        } else if (is(i, "DEFAULT") && is(i + 1, "CHARACTER") && is(i + 2, "SET")) {
            i += 3;
            ib.SetDefaultCharSet(value(i));
        } else {
            ++i;
        }
    }
}

void TIBSQLExec::ParseScript(TStringList& Lines) { LoadScriptLines(Lines); }

std::unique_ptr<TCustomSQLParser> TIBSQLExec::CreateParser()
{
    auto parser = MakeParser<TIbExParser>();
    parser->OnDescribeStatement = [](TStatement& St, const std::string& Text) { St.Description = Text; };
    // A handler of OnStatementAdd may have changed the text: the reading is
    // kept only for the text it was read from.
    parser->OnConnectStatement = [](TStatement& St, const std::string& SQL, const TConnectionOptions& Named) {
        if (St.ExactText() == SQL) St.ConnectsTo = std::make_unique<const TConnectionOptions>(Named);
    };
    return parser;
}

void TIBSQLExec::BeforeScriptParse(TCustomSQLParser&, TObjs& Objs)
{
    Objs.SetDatabaseType(TDatabaseType::dbInterBase);
    Objs.SetIBServerOptions(IBServerOptions());
}

void TIBSQLExec::AfterScriptParse(TCustomSQLParser& Parser, const TObjs& Objs, const TStringList&)
{
    // Only what the script set comes back: the options it was read with are
    // the executor's own already.
    const auto& settings = static_cast<TIbExParser&>(Parser).ScriptSettings;
    const TIBServerOptions& read = Objs.IBServerOptions();
    TIBSQLExecOptions& own = IBServerOptions();
    if (settings.Dialect) own.SQLDialect = read.SQLDialect;
    if (settings.CharSet) {
        own.SetDBCharSet(read.DBCharSet());
        own.SetDefaultCharSet(read.DefaultCharSet());
    }
    if (settings.PageSize) own.IBDatabaseOptions().PageSize = read.IBDatabaseOptions().PageSize;
    // The objects a message was attached to go with the collection.
    for (int i = 0; i < Messages().Count(); ++i) Messages().Items(i).Data = nullptr;
    LogNextLine("Script loaded.");
}

bool TIBSQLExec::ExecuteStatement(TStatement& St)
{
    if (St.StatType != TStatType::stSetNames && St.StatType != TStatType::stCharSet)
        return TSQLExec::ExecuteStatement(St);
    m_currentStatement = &St;
    std::string charSet = St.ObjName;
    if (charSet.empty()) {
        // Only the text was given: SET NAMES charset.
        const std::vector<TStatementWord> w = StatementWords(St.SQL.Text());
        for (size_t i = 0; i + 1 < w.size(); ++i)
            if (SameText(w[i].Text, "NAMES")) charSet = w[i + 1].Text;
    }
    IBServerOptions().SetDBCharSet(charSet);
    return UseCharSet();
}

// The literals that follow are in the character set SET NAMES gave: the
// attachment must read them so, or the engine stores other characters.
bool TIBSQLExec::UseCharSet()
{
    TQELCustomConnection* c = QELConnection();
    const std::string& charSet = IBServerOptions().DBCharSet();
    if (c == nullptr || charSet.empty() || !Connected() || SameText(c->ClientCharSet(), charSet)) return true;
    if (InTransaction() && !CommitPending()) return false;
    try {
        c->ChangeCharSet(charSet);
        LogNextLine("Character set of the connection: " + charSet);
        return true;
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
}

bool TIBSQLExec::SystemTablesWritable()
{
    TQELCustomConnection* c = QELConnection();
    if (c == nullptr) return true;
    const TIBDatabaseOptions& db = c->IBServerOptions().IBDatabaseOptions();
    const bool firebird = db.VersionText.find("Firebird") != std::string::npos ||
                          db.ServerVersionText.find("Firebird") != std::string::npos;
    return !(firebird && db.ODSMajorVersion >= 12);
}

std::string TIBSQLExec::DescriptionSQL(const TStatement& St, bool SystemTablesWritable) const
{
    using enum TDbObject;
    if (SystemTablesWritable) {
        std::string first, rest;
        switch (St.ObjType) {
        case dboTable:
        case dboView:
            first = "update rdb$relations";
            rest = "where Rdb$relation_name = :TBLNAME";
            break;
        case dboProcedure:
            first = "update rdb$procedures";
            rest = "where Rdb$procedure_name = :OBJNAME";
            break;
        case dboTrigger:
            first = "update rdb$triggers";
            rest = "where Rdb$trigger_name = :OBJNAME";
            break;
        case dboFunction:
            first = "update rdb$functions";
            rest = "where Rdb$function_name = :OBJNAME";
            break;
        case dboException:
            first = "update rdb$exceptions";
            rest = "where Rdb$exception_name = :OBJNAME";
            break;
        case dboIndex:
            first = "update rdb$indices";
            rest = "where Rdb$index_name = :OBJNAME";
            break;
        case dboDomain:
            first = "update rdb$fields";
            rest = "where Rdb$field_name = :OBJNAME";
            break;
        case dboGenerator:
            first = "update Rdb$Generators";
            rest = "where Rdb$Generator_name = :OBJNAME";
            break;
        case dboField:
            first = "update rdb$relation_fields";
            rest = std::string("where Rdb$relation_name = :TBLNAME") + CRLF + "and Rdb$field_name = :FLDNAME";
            break;
        case dboParam:
            first = "update rdb$procedure_parameters";
            rest = std::string("where Rdb$procedure_name = :OBJNAME") + CRLF + "and Rdb$parameter_name = :FLDNAME";
            break;
        case dboDatabase: first = "update rdb$database"; break;
        case dboRole:
            first = "update rdb$Roles";
            rest = "where Rdb$Role_name = :OBJNAME";
            break;
        default: return {};
        }
        std::string sql = first + CRLF + "set rdb$description = :DESCRIPTION";
        if (!rest.empty()) sql += CRLF + rest;
        return sql;
    }

    const int dialect = IBServerOptions().SQLDialect;
    const std::string name = StoredName(St.ObjName, dialect);
    std::string target;
    switch (St.ObjType) {
    case dboTable: target = "TABLE " + name; break;
    case dboView: target = "VIEW " + name; break;
    case dboProcedure: target = "PROCEDURE " + name; break;
    case dboTrigger: target = "TRIGGER " + name; break;
    case dboFunction: target = "FUNCTION " + name; break;
    case dboException: target = "EXCEPTION " + name; break;
    case dboIndex: target = "INDEX " + name; break;
    case dboDomain: target = "DOMAIN " + name; break;
    case dboGenerator: target = "GENERATOR " + name; break;
    case dboField: target = "COLUMN " + StoredName(St.ParentName, dialect) + "." + name; break;
    case dboParam: target = "PARAMETER " + StoredName(St.ParentName, dialect) + "." + name; break;
    case dboDatabase: target = "DATABASE"; break;
    case dboRole: target = "ROLE " + name; break;
    default: return {};
    }
    return "COMMENT ON " + target + " IS " + SQLQuotedStr(St.Description, TDatabaseType::dbInterBase);
}

bool TIBSQLExec::ExecDescription()
{
    if (!Connected()) {
        ErrorMessage("Disconnected from database...");
        return false;
    }
    TStatement& st = *m_currentStatement;
    TQELCustomConnection& c = *QELConnection();
    bool ok = true;
    try {
        EnsureQuery();
        // Open data statements are committed first: a failing description
        // must not take them along when it is rolled back.
        if (InTransaction() && !CommitPending()) ok = false;
        if (!InTransaction()) c.StartTransaction();
        if (TParams* p = m_query->GetParams()) p->Clear();
        std::string sql;
        bool params = false;
        if (IBServerOptions().IBCompareOptions().UpdateDescriptionMode != TUpdateDescriptionType::udComment) {
            const bool writable = SystemTablesWritable();
            sql = DescriptionSQL(st, writable);
            params = writable;
        } else {
            sql = st.SQL.Text();
        }
        if (Trim(sql).empty()) throw EUsageError("No description update for " + st.ObjName + ".");
        m_query->SetParamCheck(params);
        m_query->SetSQLText(sql);
        if (params) {
            TParams& ps = *m_query->GetParams();
            auto set = [&](const char* name, const std::string& value) {
                for (int i = 0; i < ps.Count(); ++i)
                    if (SameText(ps[i].Name(), name)) ps[i].SetAsString(value);
            };
            set("DESCRIPTION", st.Description);
            const bool ownerNamed = st.ObjType == TDbObject::dboField || st.ObjType == TDbObject::dboParam;
            set("TBLNAME", st.ObjType == TDbObject::dboField ? st.ParentName : st.ObjName);
            set("OBJNAME", st.ObjType == TDbObject::dboParam ? st.ParentName : st.ObjName);
            if (ownerNamed) set("FLDNAME", st.ObjName);
        }
        m_query->ExecSQL();
        c.Commit();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        try {
            if (InTransaction()) c.Rollback();
        } catch (const std::exception&) {
        }
        ok = false;
    }
    try {
        m_query->SetSQLText({});
        m_query->SetParamCheck(true);
    } catch (const std::exception&) {
    }
    return ok;
}

bool TIBSQLExec::ExecCreateDatabase()
{
    ParseCreateDatabaseString(m_currentStatement->SQL.Text());
    return TSQLExec::ExecCreateDatabase();
}

void TIBSQLExec::ExecSingleStatement(TStatement& St)
{
    using enum TStatType;
    TQELCustomConnection* c = QELConnection();
    if (c == nullptr) {
        ErrorMessage(ClassName() + "(" + Name() + "): Connection property not assigned.");
        return;
    }
    const bool ownQuery = !m_query;
    try {
        EnsureQuery();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return;
    }
    // A query or a statement that changes the database; anything else is
    // not run by the query here.
    if (St.StatType != stSelect && !sqlexec::IsModifying(St.StatType)) {
        if (ownQuery) m_query.reset();
        return;
    }
    TStatement* previous = m_currentStatement;
    m_currentStatement = &St;
    try {
        if (!Connected()) throw EUsageError("Disconnected from database...");
        if (!c->InTransaction()) c->StartTransaction();
        m_query->Close();
        m_query->SetSQLText({});
        m_query->SetParamCheck(false);
        m_query->SetSQLText(St.SQL.Text());
        LogStatement("< Exec SQL >:", St);
        RunQuery(St.StatType);
        m_query->Close();
        m_query->SetSQLText({});
        c->Commit();
        // Marked only once its commit went through.
        St.Executed = true;
        c->StartTransaction();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        try {
            if (c->InTransaction()) c->Rollback();
        } catch (const std::exception&) {
        }
    }
    try {
        m_query->SetSQLText({});
        m_query->SetParamCheck(true);
    } catch (const std::exception&) {
    }
    m_currentStatement = previous;
    if (ownQuery) m_query.reset();
}

} // namespace qel
