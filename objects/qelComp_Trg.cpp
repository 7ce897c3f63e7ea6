#include "qelComp_Trg.h"

#include "qelCompText.h"
#include "qelComp_Fld.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"
#include "qelText.h"
#include "qelWalk.h"

#include <algorithm>

namespace qel {

const std::array<TTrgType, 14> TrgTypes = {{
    {1, 513, "BEFORE INSERT"},
    {2, 514, "AFTER INSERT"},
    {3, 1025, "BEFORE UPDATE"},
    {4, 1026, "AFTER UPDATE"},
    {5, 2049, "BEFORE DELETE"},
    {6, 2050, "AFTER DELETE"},
    {17, 1537, "BEFORE INSERT OR UPDATE"},
    {18, 1538, "AFTER INSERT OR UPDATE"},
    {25, 2561, "BEFORE INSERT OR DELETE"},
    {26, 2562, "AFTER INSERT OR DELETE"},
    {27, 3073, "BEFORE UPDATE OR DELETE"},
    {28, 3074, "AFTER UPDATE OR DELETE"},
    {113, 3585, "BEFORE INSERT OR UPDATE OR DELETE"},
    {114, 3586, "AFTER INSERT OR UPDATE OR DELETE"},
}};

TTriggerRefs::~TTriggerRefs()
{
    for (TTrgData* trigger : m_triggers) {
        trigger->m_table = nullptr;
        trigger->m_tableRefs = nullptr;
    }
}

TTrgData::TTrgData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

TTrgData::~TTrgData() { LinkTable(nullptr); }

void TTrgData::LinkTable(TDbObj* Target)
{
    if (m_tableRefs != nullptr) std::erase(m_tableRefs->m_triggers, this);
    m_table = nullptr;
    m_tableRefs = nullptr;
    if (auto* table = dynamic_cast<TTblData*>(Target))
        m_tableRefs = &table->TriggerRefs;
    else if (auto* view = dynamic_cast<TViwData*>(Target))
        m_tableRefs = &view->TriggerRefs;
    if (m_tableRefs == nullptr) return;
    m_table = Target;
    m_tableRefs->m_triggers.push_back(this);
}

void TTrgData::SetTableName(std::string_view Value)
{
    if (Value == m_tableName && m_table != nullptr) return;
    TDbObj* target = nullptr;
    if (auto* objs = dynamic_cast<TObjs*>(Objs())) {
        const std::string key = GetDatabaseType() == TDatabaseType::dbSybaseASA
                                    ? Owner + "." + std::string(Value)
                                    : std::string(Value);
        target = objs->FindTable(key);
        if (target == nullptr) target = objs->FindView(key);
    }
    LinkTable(target);
    m_tableName = Value;
}

void TTrgData::SetStubPending(bool Value)
{
    m_stubPending = Value;
    if (auto* other = dynamic_cast<TTrgData*>(Counterpart())) other->m_stubPending = Value;
}

// ---- texts ----

namespace {

constexpr std::uint8_t tmBefore = 1, tmAfter = 2, tmFor = 4, tmInsteadOf = 5;

std::string Line(const std::string& Text) { return Text + CRLF; }

std::string IBHeader(const TTrgData& T)
{
    std::string text = "CREATE TRIGGER " + T.QuoteName(T.Name());
    if (!SameText(T.TableName(), "DATABASE")) text += " FOR " + T.QuoteName(T.TableName());
    return Line(text) + (T.Active ? "ACTIVE " : "INACTIVE ") + T.GetIBTypeText() + " POSITION " +
           IntToStr(T.Position) + " " + CRLF;
}

// MySQL takes one event per trigger: the strongest one held.
std::string MySQLHeader(const TTrgData& T)
{
    std::string text = "CREATE TRIGGER " + T.QuoteName(T.Name()) + " ";
    if (T.Timing == tmBefore) text += "BEFORE ";
    if (T.Timing == tmAfter) text += "AFTER ";
    const int event = (T.Events & (1 << 3)) != 0 ? 3 : (T.Events & (1 << 2)) != 0 ? 2 : 1;
    return Line(text + TTrgData::GetEventWord(event) + " ON " + T.QuoteName(T.TableName())) +
           Line("     FOR EACH ROW");
}

std::string ASAHeader(const TTrgData& T)
{
    std::string text = "CREATE TRIGGER " + Line("") + T.Name() + " ";
    if (T.TransactSQL)
        return text + Line("ON " + ASAOwnerText(T, T.Owner) + "." + T.QuoteName(T.TableName())) +
               Line("  FOR " + T.GetEventsText(", "));
    if (T.Timing == tmBefore) text += "BEFORE ";
    if (T.Timing == tmAfter) text += "AFTER ";
    std::vector<std::string> events;
    for (int code = 1; code <= 3; ++code) {
        if ((T.Events & (1 << code)) == 0) continue;
        std::string event = TTrgData::GetEventWord(code);
        if (code == 2) {
            std::vector<std::string> columns;
            for (const auto& column : T.UpdateColumns) columns.push_back(" " + T.QuoteName(column.Name));
            event += " OF" + Join(columns, ",");
        }
        events.push_back(event);
    }
    text += Join(events, ", ");
    if (T.Position != 0) text += " ORDER " + IntToStr(T.Position);
    text += Line(" ON") + Line(ASAOwnerText(T, T.Owner) + "." + T.TableName());
    if (!T.OldName.empty() || !T.NewName.empty() || !T.RemoteName.empty()) {
        std::string referencing = "REFERENCING";
        if (!T.OldName.empty()) referencing += " OLD AS " + T.QuoteName(T.OldName);
        if (!T.NewName.empty()) referencing += " NEW AS " + T.QuoteName(T.NewName);
        if (!T.RemoteName.empty()) referencing += " REMOTE AS " + T.QuoteName(T.RemoteName);
        text += Line(referencing);
    }
    if (T.ForEachRow) text += Line("FOR EACH ROW");
    if (T.ForEachStatement) text += Line("FOR EACH STATEMENT");
    return text;
}

// "UPDATE  OF A, B": the Oracle event with its column list.
std::string OracleEvent(const TTrgData& T, int Code)
{
    std::string event = TTrgData::GetEventWord(Code);
    if (Code != 2 || T.UpdateColumns.Empty()) return event;
    return event + "  OF " + QuotedNames(T, T.UpdateColumns);
}

std::string OracleHeader(const TTrgData& T)
{
    std::string text = Line("CREATE OR REPLACE TRIGGER " + SchemaQualified(T, T.Schema(), T.Name()));
    if (T.Timing == tmBefore) text += "  BEFORE ";
    if (T.Timing == tmAfter) text += "  AFTER ";
    if (T.Timing == tmInsteadOf) text += "  INSTEAD OF ";
    std::vector<std::string> events;
    for (int code = 1; code <= 3; ++code)
        if ((T.Events & (1 << code)) != 0) events.push_back(OracleEvent(T, code));
    text += Line(Join(events, " OR ") + " ON " + SchemaQualified(T, T.Schema(), T.TableName()));
    if (!T.NewName.empty() || !T.OldName.empty() || !T.ParentName.empty()) {
        std::string referencing = "  REFERENCING";
        if (!T.NewName.empty()) referencing += " NEW AS " + T.QuoteName(T.NewName);
        if (!T.OldName.empty()) referencing += " OLD AS " + T.QuoteName(T.OldName);
        if (!T.ParentName.empty()) referencing += " PARENT AS " + T.QuoteName(T.ParentName);
        text += Line(referencing);
    }
    if (T.ForEachRow) text += Line("  FOR EACH ROW");
    if (T.ForEachStatement) text += Line("  FOR EACH STATEMENT");
    if (!T.WhenCondition.empty()) text += Line("  WHEN " + T.WhenCondition);
    return text;
}

std::string PGHeader(const TTrgData& T)
{
    std::string text = Line("CREATE TRIGGER " + T.QuoteName(T.Name()));
    if (T.Timing == tmBefore) text += "  BEFORE";
    if (T.Timing == tmAfter) text += "  AFTER";
    text += Line(" " + T.GetEventsText(" OR ")) + Line("  ON " + SchemaQualified(T, T.Schema(), T.TableName()));
    if (T.ForEachRow) text += Line("  FOR EACH ROW");
    if (T.ForEachStatement) text += Line("  FOR EACH STATEMENT");
    return text;
}

std::string DB2Header(const TTrgData& T)
{
    std::string text = Line("CREATE TRIGGER " + T.QuoteName(T.Name()));
    if (T.Timing == tmBefore) text += "  NO CASCADE BEFORE";
    if (T.Timing == tmAfter) text += "  AFTER";
    text += " " + T.GetEventsText(" OR ");
    if (!T.UpdateColumns.Empty()) {
        std::vector<std::string> columns;
        for (const auto& column : T.UpdateColumns) columns.push_back(column.Name);
        text += " OF " + Join(columns, ", ");
    }
    text += Line(" ON " + T.QuoteName(T.TableName()));
    if (!T.NewName.empty() || !T.OldName.empty() || !T.NewTableName.empty() || !T.OldTableName.empty()) {
        text += Line("  REFERENCING");
        if (!T.NewName.empty()) text += Line("  NEW AS " + T.NewName);
        if (!T.OldName.empty()) text += Line("  OLD AS " + T.OldName);
        if (!T.NewTableName.empty()) text += Line("  NEW_TABLE AS " + T.NewTableName);
        if (!T.OldTableName.empty()) text += Line("  OLD_TABLE AS " + T.OldTableName);
    }
    if (T.ForEachRow) text += "  FOR EACH ROW";
    if (T.ForEachStatement) text += "  FOR EACH STATEMENT";
    if (!T.Mode.empty()) text += Line(" MODE " + T.Mode);
    if (!T.WhenCondition.empty()) text += Line("  WHEN " + T.WhenCondition);
    return text;
}

} // namespace

bool TTrgData::IsDatabaseTrigger() const
{
    return SameText(m_tableName, "DATABASE") || SameText(m_tableName, "ALL SERVER");
}

std::string TTrgData::GetEventWord(int Code)
{
    switch (Code) {
    case 1: return "INSERT";
    case 2: return "UPDATE";
    case 3: return "DELETE";
    default: return {};
    }
}

std::string TTrgData::GetEventsText(const char* Separator) const
{
    std::vector<std::string> events;
    for (int code = 1; code <= 3; ++code)
        if ((Events & (1 << code)) != 0) events.push_back(GetEventWord(code));
    return Join(events, Separator);
}

// Firebird stores type - 1 with the timing in bit 0 and up to three event
// codes of two bits each above it.
std::string TTrgData::GetIBTypeText() const
{
    // A DDL trigger fires before or after its statements, the others on
    // their event: "AFTER ANY DDL STATEMENT", "ON TRANSACTION COMMIT".
    if (IsDatabaseTrigger() && (Timing == 1 || Timing == 2))
        return (Timing == 2 ? "AFTER " : "BEFORE ") + DatabaseEvent + CRLF;
    if (IsDatabaseTrigger()) return "ON " + DatabaseEvent + CRLF;
    const std::int32_t v = IBTypeCode + 1;
    std::string text = (v & 1) != 0 ? "AFTER " : "BEFORE ";
    text += GetEventWord((v >> 1) & 3);
    for (int shift : {3, 5})
        if (const std::string word = GetEventWord((v >> shift) & 3); !word.empty()) text += " OR " + word;
    return text;
}

// "CREATE TRIGGER dbo.TR ON dbo.T\r\n AFTER INSERT, UPDATE\r\n AS\r\n";
// a database trigger "CREATE TRIGGER TR ON DATABASE\r\n FOR DDL_TABLE_EVENTS\r\n AS\r\n".
std::string TTrgData::MSSQLHeader(bool Alter) const
{
    std::string text = Alter ? "ALTER TRIGGER " : "CREATE TRIGGER ";
    std::string events;
    if (IsDatabaseTrigger()) {
        text += QuoteName(Name()) + " ON " + m_tableName;
        events = DatabaseEvent;
    } else {
        text += GetQualifiedName() + " ON " + SchemaQualified(*this, Schema(), m_tableName);
        events = GetEventsText(", ");
    }
    switch (Timing) {
    case tmAfter: text += std::string(CRLF) + " AFTER "; break;
    case tmFor: text += std::string(CRLF) + " FOR "; break;
    case tmInsteadOf: text += std::string(CRLF) + " INSTEAD OF "; break;
    default:
        // Never glue the events to the table name.
        if (!events.empty()) text += std::string(CRLF) + " ";
        break;
    }
    text += Line(events);
    if (WithAppend) text += Line(" WITH APPEND");
    if (NotForReplication) text += Line(" NOT FOR REPLICATION");
    return text + Line(" AS");
}

std::string TTrgData::CreateText(const std::string& TriggerBody) const
{
    using enum TDatabaseType;
    switch (GetDatabaseType()) {
    case dbMSSQL:
    case dbSybaseASE: return TriggerBody.empty() ? ScriptText : MSSQLHeader(false) + TriggerBody;
    case dbOracle: return OracleHeader(*this) + TriggerBody;
    case dbSybaseASA: return ASAHeader(*this) + (TransactSQL ? Line("  AS") : std::string()) + TriggerBody;
    case dbPostgreSQL: return PGHeader(*this) + TriggerBody;
    case dbDB2: return DB2Header(*this) + TriggerBody;
    case dbMySQL: return MySQLHeader(*this) + TriggerBody;
    default: return IBHeader(*this) + WithAsWord(TriggerBody);
    }
}

std::string TTrgData::GetCreateDDL() const { return CreateText(Body()); }

std::string TTrgData::GetSourceText() const
{
    if (CreatedBody.empty()) CreatedBody = Body();
    return CreateText(CreatedBody);
}

std::string TTrgData::GetDropScript() const
{
    using enum TDatabaseType;
    const std::string name = QuoteName(Name());
    switch (GetDatabaseType()) {
    case dbSybaseASA: return "DROP TRIGGER " + ASAOwnerText(*this, Owner) + "." + QuoteName(m_tableName) + "." + name;
    case dbPostgreSQL: return "DROP TRIGGER " + name + " ON " + SchemaQualified(*this, Schema(), m_tableName);
    case dbMSSQL:
        if (IsDatabaseTrigger()) return "DROP TRIGGER " + name + " ON " + m_tableName;
        return "DROP TRIGGER " + SchemaQualified(*this, Schema(), Name());
    case dbOracle: return "DROP TRIGGER " + SchemaQualified(*this, Schema(), Name());
    default: return "DROP TRIGGER " + name;
    }
}

std::string TTrgData::GetAlterScript() const
{
    if (GetDatabaseType() == TDatabaseType::dbMSSQL) return MSSQLHeader(true) + Body();
    return "ALTER TRIGGER " + QuoteName(Name()) + CRLF + WithAsWord(Body());
}

std::string TTrgData::GetStubBody() const
{
    switch (GetDatabaseType()) {
    case TDatabaseType::dbMSSQL: return std::string(" declare @i integer;") + CRLF + "begin set @i = 0; end";
    case TDatabaseType::dbMySQL: return " BEGIN END";
    default: return std::string(" AS Declare variable I integer;") + CRLF + "BEGIN I = 0; END";
    }
}

// The body as Body would hold it: SetBody trims, and the stubs have CR LF
// line breaks already.
std::string TTrgData::GetStubCreateScript() const { return CreateText(Trim(GetStubBody())); }

// ---- the walk ----

void TTrgData::EmptyTriggerBody(TDbOperation Operation)
{
    if (!GetExists() || Body() == Trim(GetStubBody())) return;
    SetBody(GetStubBody());
    SetLinksActive(Uses, false);
    if (TObjs* source = SourceSideOf(*this))
        if (TTrgData* original = source->FindTrigger(GetKey())) original->SetStubPending(true);
    EmitStatement(*this, GetAlterScript(), TStatType::stTrigger, Name(), TDbObject::dboTrigger, Operation);
}

// Other triggers on a view of this trigger's table name that use the view
// are emptied before this one goes.
void TTrgData::DropDependents()
{
    const TObjs* target = TargetSideOf(*this);
    const TViwData* view = target == nullptr ? nullptr : target->FindView(m_tableName);
    if (view != nullptr)
        ForEachActiveLink(*view, view->UsedBy, [this](TDependObj& Link, TDbObj& User) {
            auto* other = dynamic_cast<TTrgData*>(&User);
            if (other == nullptr || other->Name() == Name() || !other->GetExists() ||
                other->Body() == Trim(other->GetStubBody()))
                return;
            other->EmptyTriggerBody();
            Link.Active = false;
        });
    TDbObj::DropDependents();
}

void TTrgData::WriteCreateStatement(const std::string& SQL)
{
    EmitStatement(*this, SQL, TStatType::stTrigger, Name(), TDbObject::dboTrigger, TDbOperation::odbCreate);
    CreatedBody = Body();
    SetLinksActive(UsedBy, false);
}

void TTrgData::WriteDeferredBody()
{
    if (!StubPending()) return;
    EmitStatement(*this, GetAlterScript(), TStatType::stTrigger, Name(), ObjectType(), TDbOperation::odbAlter);
    CreatedBody = Body();
}

void TTrgData::AfterCreate()
{
    SetStubPending(false);
    TDbObj::AfterCreate();
}

void TTrgData::DropForUsed(const TDbObj& Used)
{
    const TDatabaseType type = Used.GetDatabaseType();
    if (type == TDatabaseType::dbSybaseASE || type == TDatabaseType::dbPostgreSQL)
        DropObject();
    else
        EmptyTriggerBody(TDbOperation::odbEmpty);
}

void TTrgData::WriteRestoredBody()
{
    EmitStatement(*this, GetAlterScript(), TStatType::stTrigger, Name(), TDbObject::dboTrigger, TDbOperation::odbAlter);
}

} // namespace qel
