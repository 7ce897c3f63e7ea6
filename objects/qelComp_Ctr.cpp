#include "qelComp_Ctr.h"

#include "qelCompText.h"
#include "qelComp_Fld.h"
#include "qelComp_Tbl.h"
#include "qelCustomObjs.h"
#include "qelTypes.h"

namespace qel {

TCtrData::TCtrData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

TCtrData::~TCtrData() = default;

void TCtrData::SetConstraintKind(TConstraintKind Value)
{
    m_constraintKind = Value;
    switch (Value & 0x7F) {
    case ckPrimaryKey: SetObjectType(TDbObject::dboPKey); break;
    case ckUnique: SetObjectType(TDbObject::dboUnique); break;
    case ckForeignKey: SetObjectType(TDbObject::dboFKey); break;
    case ckCheck: SetObjectType(TDbObject::dboCheck); break;
    case ckDefault: SetObjectType(TDbObject::dboDefault); break;
    case ckReferences: SetObjectType(TDbObject::dboReferences); break;
    default: break;
    }
}

// The names of the tables a constraint joins are stored as SetName stores
// the constraint's own name, by the options of the collection that decides
// the server type.
void TCtrData::SetTableName(std::string_view Value) { m_tableName = StoredName(Value); }
void TCtrData::SetRefTableName(std::string_view Value) { m_refTableName = StoredName(Value); }
void TCtrData::SetRefSchema(std::string_view Value) { m_refSchema = StoredName(Value); }

// ---- texts ----

namespace {

using enum TDatabaseType;

// The referential actions by rule: 1 RESTRICT, 2 CASCADE, 3 SET DEFAULT,
// 4 SET NULL; nothing for 0 or an unknown rule.
const char* ActionText(std::uint8_t Rule)
{
    static constexpr const char* kActions[] = {nullptr, "RESTRICT", "CASCADE", "SET DEFAULT", "SET NULL"};
    return Rule < std::size(kActions) ? kActions[Rule] : nullptr;
}

} // namespace

std::string TCtrData::GetFieldsText() const { return QuotedNames(*this, Fields); }

std::string TCtrData::GetRefFieldsText() const { return QuotedNames(*this, RefFields); }

std::string TCtrData::GetDisplayName() const
{
    if (!Name().empty()) return Name();
    return DisplayName.empty() ? GetCreateDDL() : DisplayName;
}

std::string TCtrData::GetKey() const
{
    if (!Name().empty()) return TDbObj::GetKey();
    const TIBDialectOneScope unquoted(*this);
    return GetCreateDDL();
}

// SQL Anywhere "O.T" (DBA without an owner); Oracle, MS SQL and PostgreSQL
// "s.T" with a schema, else "T"; the others "T".
std::string TCtrData::TableText() const
{
    switch (GetDatabaseType()) {
    case dbSybaseASA: return ASAOwnerText(*this, Owner) + "." + QuoteName(m_tableName);
    case dbOracle:
    case dbMSSQL:
    case dbPostgreSQL: return SchemaQualified(*this, Schema(), m_tableName);
    default: return QuoteName(m_tableName);
    }
}

// A PostgreSQL or Oracle key into another schema names it in RefSchema; one
// without names the constraint's own schema.
std::string TCtrData::RefTableText() const
{
    switch (GetDatabaseType()) {
    case dbSybaseASA: return ASAOwnerText(*this, RefOwner) + "." + QuoteName(m_refTableName);
    case dbMSSQL: return SchemaQualified(*this, m_refSchema, m_refTableName);
    case dbPostgreSQL:
    case dbOracle: return SchemaQualified(*this, m_refSchema.empty() ? Schema() : m_refSchema, m_refTableName);
    default: return QuoteName(m_refTableName);
    }
}

std::string TCtrData::IndexClause() const
{
    if (IndexName.empty()) return {};
    switch (GetDatabaseType()) {
    case dbInterBase: return CRLF + std::string(DescIndex ? "USING DESC INDEX " : "USING INDEX ") + QuoteName(IndexName);
    case dbMySQL: return {};
    default: return " " + IndexName;
    }
}

// "FOREIGN KEY (A) REFERENCES T2 (B) ON DELETE CASCADE"; a target of ODS 8
// or older (InterBase 5 and before) takes no referential actions.
std::string TCtrData::ForeignKeyText() const
{
    const TDatabaseType db = GetDatabaseType();
    std::string text = "FOREIGN KEY ";
    if (db == dbSybaseASA && !RoleName.empty()) text += QuoteName(RoleName) + " ";
    text += "(" + GetFieldsText() + ") REFERENCES " + RefTableText();
    if (const std::string refs = GetRefFieldsText(); !refs.empty()) text += " (" + refs + ")";
    if (db == dbPostgreSQL) {
        if (MatchType == 1) text += " MATCH FULL";
        else if (MatchType == 2) text += " MATCH PARTIAL";
    }
    bool actions = true;
    if (db == dbInterBase && Objs() != nullptr) {
        const std::int32_t ods = Objs()->GetTargetODSVersion();
        actions = ods == 0 || ods >= 9;
    }
    if (actions) {
        if (const char* update = ActionText(UpdateRule)) text += std::string(" ON UPDATE ") + update;
        if (const char* remove = ActionText(DeleteRule)) text += std::string(" ON DELETE ") + remove;
    }
    if (NotForReplication) text += " NOT FOR REPLICATION";
    text += IndexClause();
    if (CheckOnCommit) text += " CHECK ON COMMIT";
    return text;
}

std::string TCtrData::GetConstraintText(bool InColumn) const
{
    const TDatabaseType db = GetDatabaseType();
    std::string text = Name().empty() ? "" : "CONSTRAINT " + QuoteName(Name()) + " ";
    switch (BareKind()) {
    case ckForeignKey: text += ForeignKeyText(); break;
    case ckCheck: text += std::string("CHECK") + (NotForReplication ? " NOT FOR REPLICATION" : "") + Body(); break;
    case ckPrimaryKey:
        text += "PRIMARY KEY ";
        if (db == dbSybaseASA && Clustered) text += "CLUSTERED ";
        if (db == dbMSSQL && !Clustered) text += "NONCLUSTERED ";
        text += "(" + GetFieldsText() + ")" + IndexClause();
        break;
    case ckUnique:
        text += "UNIQUE ";
        if (db == dbMSSQL && Clustered) text += "CLUSTERED ";
        if (db == dbMySQL && !IndexName.empty()) text += IndexName + " ";
        text += "(" + GetFieldsText() + ")" + IndexClause();
        break;
    case ckReferences:
        text += "REFERENCES " + QuoteName(m_refTableName);
        if (const std::string refs = GetRefFieldsText(); !refs.empty()) text += "(" + refs + ")";
        break;
    default: break;
    }
    if (DeferredConstraint) text += CRLF + std::string("DEFERRABLE INITIALLY DEFERRED");
    if ((db == dbMSSQL || db == dbSybaseASE) && BareKind() == ckDefault) {
        text += "DEFAULT " + Body();
        if (!Fields.Empty() && !(InColumn && Fields.Count() == 1)) text += " FOR " + GetFieldsText();
    }
    if (db == dbPostgreSQL) {
        if (Deferrable) text += " DEFERRABLE";
        if (InitiallyDeferred) text += " INITIALLY DEFERRED";
    }
    if (const std::string space = TableSpace.GetSQL(); !space.empty()) text += CRLF + space;
    return text;
}

std::string TCtrData::GetCreateDDL() const
{
    std::string text = "ALTER TABLE " + TableText();
    if (GetDatabaseType() == dbOracle && BareKind() == ckNotNull) {
        if (Fields.Empty()) return text;
        return text + " MODIFY (" + QuoteName(Fields.Names(0)) +
               (Name().empty() ? "" : " CONSTRAINT " + QuoteName(Name())) + " NOT NULL)";
    }
    return text + " ADD " + GetConstraintText(false);
}

std::string TCtrData::GetDropScript() const
{
    const TDatabaseType db = GetDatabaseType();
    const std::string table = "ALTER TABLE " + TableText();
    if (db == dbMySQL) {
        switch (BareKind()) {
        case ckPrimaryKey: return table + " DROP PRIMARY KEY";
        case ckUnique:
            if (!Name().empty()) return table + " DROP CONSTRAINT " + QuoteName(Name());
            return table + (IndexName.empty() ? " DROP UNIQUE" : " DROP KEY " + QuoteName(IndexName));
        case ckForeignKey: return table + " DROP FOREIGN KEY " + QuoteName(Name());
        default: return table + " DROP CONSTRAINT " + QuoteName(Name());
        }
    }
    if (!Name().empty() || (!DisplayName.empty() && !DropsByServerName()))
        return table + " DROP CONSTRAINT " + QuoteName(Name().empty() ? DisplayName : Name());
    if (db == dbSybaseASA) {
        switch (BareKind()) {
        case ckPrimaryKey: return table + " DROP PRIMARY KEY";
        case ckUnique: return table + " DROP UNIQUE(" + GetFieldsText() + ")";
        case ckForeignKey: return table + " DROP FOREIGN KEY " + QuoteName(RoleName.empty() ? m_refTableName : RoleName);
        case ckCheck: return table + " DROP CHECK";
        default: break;
        }
    }
    if (DropsByServerName()) return GetServerNamedDropText();
    // InterBase gives an unnamed primary key a made-up name that no script
    // knows; its row in the system table is what there is to drop.
    if (db == dbInterBase && BareKind() == ckPrimaryKey)
        return "Delete from Rdb$Relation_Constraints" + std::string(CRLF) + "where Rdb$Relation_Name = " +
               SQLQuotedStr(m_tableName, db) + CRLF + "and Rdb$Constraint_Type = " + SQLQuotedStr("PRIMARY KEY", db);
    return "/* drop constraint: " + BlockCommentText(GetCreateDDL()) + " */" + CRLF;
}

bool TCtrData::DropsByServerName() const
{
    using enum TIBSQLServerVersionType;
    if (!Name().empty() || GetDatabaseType() != dbInterBase) return false;
    const TIBSQLServerVersionType version = IBVersionOf(*this);
    if (version != st_Firebird_20 && version != st_Firebird_21 && version != st_Firebird_25 &&
        version != st_Firebird_30 && version != st_Firebird_40)
        return false;
    switch (BareKind()) {
    case ckPrimaryKey:
    case ckUnique:
    case ckForeignKey: return !Fields.Empty();
    case ckCheck: return !Body().empty();
    default: return false;
    }
}

TStatType TCtrData::GetDropStatType() const
{
    return DropsByServerName() ? TStatType::stProcedure : TDbObj::GetDropStatType();
}

namespace {

// A text without blanks, tabs and line breaks: how a check's source is
// matched whatever its layout.
std::string Unspaced(std::string_view Text)
{
    std::string out;
    for (char c : Text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') out += c;
    return out;
}

} // namespace

std::string TCtrData::GetServerNamedDropText() const
{
    const auto literal = [](std::string_view Text) { return SQLQuotedStr(Text, dbInterBase); };
    const std::string nl = CRLF;
    std::string where = "RC.RDB$RELATION_NAME = " + literal(m_tableName);
    std::string from = "RDB$RELATION_CONSTRAINTS RC";
    switch (BareKind()) {
    case ckPrimaryKey: where += " AND RC.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY'"; break;
    case ckUnique: where += " AND RC.RDB$CONSTRAINT_TYPE = 'UNIQUE'"; break;
    case ckForeignKey: where += " AND RC.RDB$CONSTRAINT_TYPE = 'FOREIGN KEY'"; break;
    default:
        // Each check has two triggers (insert and update) with its source.
        from += " JOIN RDB$CHECK_CONSTRAINTS CC ON CC.RDB$CONSTRAINT_NAME = RC.RDB$CONSTRAINT_NAME" + nl +
                "  JOIN RDB$TRIGGERS TR ON TR.RDB$TRIGGER_NAME = CC.RDB$TRIGGER_NAME";
        where += " AND RC.RDB$CONSTRAINT_TYPE = 'CHECK'" + nl +
                 "  AND REPLACE(REPLACE(REPLACE(REPLACE(TR.RDB$TRIGGER_SOURCE, ' ', ''), ASCII_CHAR(9), ''), "
                 "ASCII_CHAR(10), ''), ASCII_CHAR(13), '') = " +
                 literal(Unspaced("CHECK" + Body()));
        break;
    }
    if (BareKind() != ckCheck) {
        where += nl + "  AND (SELECT COUNT(*) FROM RDB$INDEX_SEGMENTS S WHERE S.RDB$INDEX_NAME = RC.RDB$INDEX_NAME) = " +
                 IntToStr(Fields.Count());
        int position = 0;
        for (const auto& field : Fields)
            where += nl + "  AND EXISTS (SELECT 1 FROM RDB$INDEX_SEGMENTS S WHERE S.RDB$INDEX_NAME = RC.RDB$INDEX_NAME" +
                     " AND S.RDB$FIELD_POSITION = " + IntToStr(position++) +
                     " AND S.RDB$FIELD_NAME = " + literal(field.Name) + ")";
    }
    if (BareKind() == ckForeignKey)
        where += nl + "  AND EXISTS (SELECT 1 FROM RDB$REF_CONSTRAINTS RF JOIN RDB$RELATION_CONSTRAINTS UQ" +
                 " ON UQ.RDB$CONSTRAINT_NAME = RF.RDB$CONST_NAME_UQ WHERE RF.RDB$CONSTRAINT_NAME ="
                 " RC.RDB$CONSTRAINT_NAME AND UQ.RDB$RELATION_NAME = " + literal(m_refTableName) + ")";
    // The block has no exception of its own to raise: a conversion of the
    // message to a number fails with the message in the server's error (the
    // server reports no text beyond 50 characters; the statement names the
    // constraint).
    const std::string failure = "Not exactly one unnamed constraint matches";
    return "EXECUTE BLOCK AS" + nl + "DECLARE N CHAR(63);" + nl + "DECLARE K INTEGER = 0;" + nl + "BEGIN" + nl +
           "  FOR SELECT DISTINCT RC.RDB$CONSTRAINT_NAME FROM " + from + nl + "  WHERE " + where + nl +
           "  INTO :N DO K = K + 1;" + nl + "  IF (K <> 1) THEN K = CAST(" + literal(failure) + " AS INTEGER);" + nl +
           "  EXECUTE STATEMENT " + literal("ALTER TABLE " + TableText() + " DROP CONSTRAINT ") + " || TRIM(N);" + nl +
           "END";
}

// ---- the walk ----

// Only keys have dependants: the foreign keys that reference them, dropped
// whether or not their links were handled already. InterBase connects
// again after they went: an attachment that dropped a foreign key still
// counts its key as used until it reconnects.
void TCtrData::DropDependents()
{
    if (BareKind() != ckPrimaryKey && BareKind() != ckUnique) return;
    for (const auto& item : UsedBy) {
        auto* foreignKey = item.Object ? dynamic_cast<TCtrData*>(item.Object->Target) : nullptr;
        if (foreignKey != nullptr && foreignKey->BareKind() == ckForeignKey) foreignKey->DropObject();
    }
    if (GetDatabaseType() == TDatabaseType::dbInterBase)
        if (TStatementSink* executor = GetExecutor()) executor->AddConnectStatement();
}

// The referenced table (or column) must be there; nothing else of what a
// constraint uses is created for it.
void TCtrData::CreateDependencies()
{
    for (const auto& item : Uses) {
        TDbObj* target = item.Object ? item.Object->Target : nullptr;
        if (target == nullptr || target == this) continue;
        const auto* column = dynamic_cast<const TFldData*>(target);
        auto* table = column != nullptr ? dynamic_cast<TTblData*>(column->Parent) : nullptr;
        // A column of a table still to come comes with its table.
        if (table != nullptr && !table->GetExists()) target = table;
        if (dynamic_cast<TTblData*>(target) != nullptr || table != nullptr) target->CreateObject();
    }
}

const char* TCtrData::SystemConstraintPrefix() const
{
    switch (BareKind()) {
    case ckPrimaryKey: return "PK__";
    case ckUnique: return "UQ__";
    case ckForeignKey: return "FK__";
    case ckDefault: return "DF__";
    default: return nullptr;
    }
}

} // namespace qel
