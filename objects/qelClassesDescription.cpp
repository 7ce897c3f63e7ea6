// Description statements: the statement that stores an object's comment
// text on the server of its collection.
#include "qelClasses.h"

#include "qelCompText.h"
#include "qelComp_Ctr.h"
#include "qelComp_Def.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelCustomObjs.h"
#include "qelObjKinds.h"
#include "qelObjs.h"

#include <cstdint>

namespace qel {

namespace {

using enum TDatabaseType;

TDescribed DescribedKind(const TDbObj& Obj)
{
    using enum TDescribed;
    if (const auto* field = dynamic_cast<const TFldData*>(&Obj)) {
        if (field->Parent == nullptr) return field->TableName.empty() ? None : Column;
        if (Is<TPrcData>(*field->Parent)) return Param;
        if (Is<TViwData>(*field->Parent)) return ViewColumn;
        return Is<TTblData>(*field->Parent) ? Column : None;
    }
    if (const auto* routine = dynamic_cast<const TPrcData*>(&Obj)) return routine->IsFunction ? Function : Procedure;
    return KindInfo(Obj.ClassKind()).Described;
}

bool IsColumn(TDescribed Kind) { return Kind == TDescribed::Column || Kind == TDescribed::ViewColumn; }

// The single-quoted literal, inner quotes doubled, whatever the server.
std::string L(const std::string& Text) { return SQLQuotedStr(Text, dbAbstract); }

// The schema of a column's or parameter's owner; the object's own schema
// for everything else.
std::string OwnerSchema(const TDbObj& Obj)
{
    if (const TDbObj* owner = Obj.GetParentObj(); owner != nullptr && Obj.Schema().empty()) return owner->Schema();
    return Obj.Schema();
}

// ---- InterBase and Firebird ----

std::string IBSysTableText(const TDbObj& Obj, TDescribed Kind)
{
    using enum TDescribed;
    struct TRow {
        TDescribed Kind;
        const char* Table;
        const char* Key;
    };
    static constexpr TRow rows[] = {
        {Domain, "FIELDS", "FIELD_NAME"},           {Table, "RELATIONS", "RELATION_NAME"},
        {View, "RELATIONS", "RELATION_NAME"},       {Procedure, "PROCEDURES", "PROCEDURE_NAME"},
        // A PSQL function lives with the external ones.
        {Function, "FUNCTIONS", "FUNCTION_NAME"},   {Trigger, "TRIGGERS", "TRIGGER_NAME"},
        {Exception, "EXCEPTIONS", "EXCEPTION_NAME"}, {Index, "INDICES", "INDEX_NAME"},
        {ExternalFunction, "FUNCTIONS", "FUNCTION_NAME"}, {Generator, "GENERATORS", "GENERATOR_NAME"},
        {Role, "ROLES", "ROLE_NAME"},               {Column, "RELATION_FIELDS", "RELATION_NAME"},
        {ViewColumn, "RELATION_FIELDS", "RELATION_NAME"}, {Param, "PROCEDURE_PARAMETERS", "PROCEDURE_NAME"},
    };
    for (const TRow& row : rows) {
        if (row.Kind != Kind) continue;
        const bool owned = IsColumn(Kind) || Kind == Param;
        std::string text = std::string("UPDATE RDB$") + row.Table + " SET RDB$DESCRIPTION = " + CRLF +
                           L(Obj.Description()) + CRLF + "WHERE RDB$" + row.Key + " = " +
                           L(owned ? Obj.GetParentName() : Obj.Name());
        if (IsColumn(Kind)) text += " AND RDB$FIELD_NAME = " + L(Obj.Name());
        if (Kind == Param) text += " AND RDB$PARAMETER_NAME = " + L(Obj.Name());
        return text;
    }
    return {};
}

std::string IBDescribeText(const TDbObj& Obj, TDescribed Kind)
{
    using enum TDescribed;
    const std::string tail = std::string(CRLF) + L(Obj.Description());
    const std::string name = Obj.QuoteName(Obj.Name());
    const std::string owner = Obj.QuoteName(Obj.GetParentName());
    switch (Kind) {
    case Column: return "DESCRIBE FIELD " + name + " TABLE " + owner + tail;
    case ViewColumn: return "DESCRIBE FIELD " + name + " VIEW " + owner + tail;
    case Param: return "DESCRIBE PARAMETER " + name + " PROCEDURE " + owner + tail;
    case Domain: return "DESCRIBE DOMAIN " + name + tail;
    case Table: return "DESCRIBE TABLE " + name + tail;
    case Procedure:
    case Function: return "DESCRIBE PROCEDURE " + name + tail;
    case Trigger: return "DESCRIBE TRIGGER " + name + tail;
    case Exception: return "DESCRIBE EXCEPTION " + name + tail;
    case Index: return "DESCRIBE INDEX " + name + tail;
    case ExternalFunction: return "DESCRIBE FUNCTION " + name + tail;
    case View: return "DESCRIBE VIEW " + name + tail;
    case Generator: return "DESCRIBE GENERATOR " + name + tail;
    case Role: return "DESCRIBE ROLE " + name + tail;
    default: return {};
    }
}

// The kind words of COMMENT ON and of ALTER DESCRIPTION FOR; empty for
// kinds neither has.
const char* IBKindWord(TDescribed Kind, bool Comment)
{
    using enum TDescribed;
    switch (Kind) {
    case Domain: return "DOMAIN";
    case Table: return "TABLE";
    case View: return "VIEW";
    case Function: return Comment ? "FUNCTION" : "PROCEDURE";
    case Procedure: return "PROCEDURE";
    case Trigger: return "TRIGGER";
    case ExternalFunction: return "EXTERNAL FUNCTION";
    case Exception: return "EXCEPTION";
    case Generator: return "GENERATOR";
    case Index: return "INDEX";
    case Role: return "ROLE";
    case Collation: return "COLLATION";
    // Firebird 3 packages; InterBase has none.
    case Package: return Comment ? "PACKAGE" : "";
    default: return "";
    }
}

// COMMENT ON (Firebird) and ALTER DESCRIPTION FOR (InterBase 2020) share
// their shape: "<head> COLUMN T.C<verb>\r\n'x'".
std::string IBCommentText(const TDbObj& Obj, TDescribed Kind, bool Comment)
{
    const std::string head = Comment ? "COMMENT ON " : "ALTER DESCRIPTION FOR ";
    const std::string verb = Comment || Kind == TDescribed::Collation ? " IS" : " SET";
    const std::string tail = verb + CRLF + L(Obj.Description());
    const std::string name = Obj.QuoteName(Obj.Name());
    if (IsColumn(Kind) || Kind == TDescribed::Param)
        return head + (Kind == TDescribed::Param ? "PARAMETER " : "COLUMN ") + Obj.QuoteName(Obj.GetParentName()) +
               "." + name + tail;
    const std::string word = IBKindWord(Kind, Comment);
    return word.empty() ? std::string() : head + word + " " + name + tail;
}

std::string InterBaseText(const TDbObj& Obj, TDescribed Kind)
{
    const TIBServerOptions* ib = Obj.GetIBServerOptions();
    if (ib != nullptr && ib->SQLServerVersion == TIBSQLServerVersionType::st_InterBase_2020)
        return IBCommentText(Obj, Kind, false);
    switch (Obj.GetUpdateDescriptionMode()) {
    case TUpdateDescriptionType::udSysTables: return IBSysTableText(Obj, Kind);
    case TUpdateDescriptionType::udDescribe: return IBDescribeText(Obj, Kind);
    case TUpdateDescriptionType::udComment: return IBCommentText(Obj, Kind, true);
    }
    return {};
}

// ---- SQL Anywhere, MySQL, Oracle ----

std::string ASAText(const TDbObj& Obj, TDescribed Kind)
{
    using enum TDescribed;
    if (Kind == Column)
        return "COMMENT ON COLUMN " + Obj.QuoteName(Obj.GetParentName()) + "." + Obj.QuoteName(Obj.Name()) + " IS" +
               CRLF + SQLQuotedStr(Obj.Description(), dbSybaseASA);
    static constexpr std::pair<TDescribed, const char*> words[] = {
        {Table, "TABLE"}, {Function, "FUNCTION"}, {Procedure, "PROCEDURE"}, {Trigger, "TRIGGER"},
        {Index, "INDEX"}, {Domain, "DOMAIN"},     {View, "VIEW"},           {Generator, "SEQUENCE"},
        {Role, "ROLE"},   {Package, "PACKAGE"},
    };
    for (const auto& [kind, word] : words)
        if (kind == Kind)
            return std::string("COMMENT ON ") + word + " " + Obj.QuoteName(Obj.Name()) + " IS" + CRLF +
                   L(Obj.Description());
    return {};
}

std::string MySQLText(const TDbObj& Obj, TDescribed Kind)
{
    const std::string comment = SQLQuotedStr(Obj.Description(), dbMySQL);
    if (Kind == TDescribed::Table) return "ALTER TABLE " + Obj.QuoteName(Obj.Name()) + " COMMENT = " + comment;
    if (Kind != TDescribed::Column) return {};
    const auto& column = static_cast<const TFldData&>(Obj);
    return "ALTER TABLE " + Obj.QuoteName(Obj.GetParentName()) + " MODIFY COLUMN " + Obj.QuoteName(Obj.Name()) + " " +
           column.GetColumnDefinition() + " COMMENT " + comment;
}

std::string OracleText(const TDbObj& Obj, TDescribed Kind)
{
    using enum TDescribed;
    const std::string comment = SQLQuotedStr(Obj.Description(), dbOracle);
    if (IsColumn(Kind))
        return "COMMENT ON COLUMN " + SchemaQualified(Obj, OwnerSchema(Obj), Obj.GetParentName()) + "." +
               Obj.QuoteName(Obj.Name()) + " IS" + CRLF + comment;
    if (const auto* trigger = dynamic_cast<const TTrgData*>(&Obj); trigger != nullptr && !trigger->TableName().empty()) {
        const std::string schema = trigger->Table() != nullptr ? trigger->Table()->Schema() : trigger->Schema();
        return "COMMENT ON TRIGGER " + SchemaQualified(Obj, schema, trigger->TableName()) + "." +
               Obj.QuoteName(Obj.Name()) + " IS" + CRLF + comment;
    }
    static constexpr std::pair<TDescribed, const char*> words[] = {
        {Table, "TABLE"}, {Function, "FUNCTION"}, {Procedure, "PROCEDURE"}, {Trigger, "TRIGGER"},
        {Index, "INDEX"}, {Domain, "TYPE"},       {View, "VIEW"},           {Generator, "SEQUENCE"},
        {Role, "ROLE"},   {Package, "PACKAGE"},
    };
    for (const auto& [kind, word] : words)
        if (kind == Kind)
            return std::string("COMMENT ON ") + word + " " + Obj.GetQualifiedName() + " IS" + CRLF +
                   L(Obj.Description());
    // Kept for objects Oracle has no comment for, so the text is not lost.
    return "/* COMMENT ON... */";
}

// ---- MS SQL ----

struct TLevel {
    std::string Type;
    std::string Name;
};

// "TABLE" or "VIEW" for the table an index or trigger belongs to.
std::string TableKindOf(const TDbObj& Obj, const std::string& TableName)
{
    if (const auto* trigger = dynamic_cast<const TTrgData*>(&Obj); trigger != nullptr && trigger->Table() != nullptr)
        return Is<TViwData>(*trigger->Table()) ? "VIEW" : "TABLE";
    const auto* objs = dynamic_cast<const TObjs*>(Obj.Objs());
    return objs != nullptr && objs->FindView(TableName) != nullptr ? "VIEW" : "TABLE";
}

std::string MSSQLText(const TDbObj& Obj, TDescribed Kind)
{
    using enum TDescribed;
    const TMSSQLServerOptions& options = Obj.Objs()->MSSQLServerOptions();
    if (options.SQLServerVersion == TMSSQLServerVersionType::st_MSSQL2000) return {};
    TLevel level0{"SCHEMA", OwnerSchema(Obj)}, level1, level2;
    const std::string owner = Obj.GetParentName();
    switch (Kind) {
    case Schema: level0.Name = Obj.Name(); break;
    case Table: level1 = {"TABLE", Obj.Name()}; break;
    case View: level1 = {"VIEW", Obj.Name()}; break;
    case Function: level1 = {"FUNCTION", Obj.Name()}; break;
    case Procedure: level1 = {"PROCEDURE", Obj.Name()}; break;
    case Domain: {
        const std::string& base = static_cast<const TDmnData&>(Obj).BaseTypeText;
        level1 = {base == "XML SCHEMA COLLECTION" ? base : "TYPE", Obj.Name()};
        break;
    }
    case Column: level1 = {"TABLE", owner}, level2 = {"COLUMN", Obj.Name()}; break;
    case ViewColumn: level1 = {"VIEW", owner}, level2 = {"COLUMN", Obj.Name()}; break;
    case Param: {
        const auto* routine = dynamic_cast<const TPrcData*>(Obj.GetParentObj());
        level1 = {routine != nullptr && routine->IsFunction ? "FUNCTION" : "PROCEDURE", owner};
        level2 = {"PARAMETER", Obj.Name()};
        break;
    }
    case Trigger: {
        const auto& trigger = static_cast<const TTrgData&>(Obj);
        if (trigger.IsDatabaseTrigger()) return {};
        if (level0.Name.empty() && trigger.Table() != nullptr) level0.Name = trigger.Table()->Schema();
        level1 = {TableKindOf(Obj, trigger.TableName()), trigger.TableName()};
        level2 = {"TRIGGER", Obj.Name()};
        break;
    }
    case Index: {
        const std::string& table = static_cast<const TIdxData&>(Obj).TableName;
        level1 = {TableKindOf(Obj, table), table}, level2 = {"INDEX", Obj.Name()};
        break;
    }
    // Any other kind would hang its text on the schema itself.
    default: return {};
    }
    if (level0.Name.empty() || (Kind != Schema && level1.Name.empty())) return {};
    const std::int32_t level = options.MSSQLDatabaseOptions().CompatibilityLevel;
    const auto s = [](const std::string& Text) { return "N" + SQLQuotedStr(Text, dbMSSQL); };
    std::string text = std::string(level == 0 || level > 90 ? "exec sys." : "exec dbo.") +
                       "sp_addextendedproperty @name=" + s("MS_Description") + ", @value=" + s(Obj.Description()) +
                       ", @level0type=" + s(level0.Type) + ", @level0name=" + s(level0.Name);
    if (!level1.Type.empty()) text += ", @level1type=" + s(level1.Type) + ", @level1name=" + s(level1.Name);
    if (!level2.Type.empty()) text += ", @level2type=" + s(level2.Type) + ", @level2name=" + s(level2.Name);
    return text;
}

// ---- PostgreSQL ----

std::string PGText(const TDbObj& Obj, TDescribed Kind)
{
    using enum TDescribed;
    const auto prefix = [&Obj](const std::string& Schema) {
        return Schema.empty() ? std::string() : Obj.QuoteName(Schema) + ".";
    };
    std::string word;
    std::string target = Obj.GetQualifiedName();
    switch (Kind) {
    case Domain:
        // COMMENT ON DOMAIN refuses a type that is not a domain.
        word = static_cast<const TDmnData&>(Obj).PGTypeOptions.IsType ? "TYPE" : "DOMAIN";
        break;
    case Table: word = "TABLE"; break;
    case View: word = "VIEW"; break;
    case Index: word = "INDEX"; break;
    case Generator: word = "SEQUENCE"; break;
    case Schema: word = "SCHEMA"; break;
    case Procedure:
    case Function:
        word = "FUNCTION";
        target = SchemaQualified(Obj, Obj.Schema(), Obj.Name()) +
                 static_cast<const TPrcData&>(Obj).GetParamsText(false);
        break;
    case Constraint:
        word = "CONSTRAINT";
        target = Obj.QuoteName(Obj.Name()) + " ON " + prefix(Obj.Schema()) +
                 Obj.QuoteName(static_cast<const TCtrData&>(Obj).TableName());
        break;
    case Trigger:
        word = "TRIGGER";
        target = Obj.QuoteName(Obj.Name()) + " ON " + prefix(Obj.Schema()) +
                 Obj.QuoteName(static_cast<const TTrgData&>(Obj).TableName());
        break;
    case Column:
        word = "COLUMN";
        target = prefix(OwnerSchema(Obj)) + Obj.QuoteName(Obj.GetParentName()) + "." + Obj.QuoteName(Obj.Name());
        break;
    default: return {};
    }
    return "COMMENT ON " + word + " " + target + " IS " + SQLQuotedStr(Obj.Description(), dbPostgreSQL);
}

} // namespace

TUpdateDescriptionType TDbObj::GetUpdateDescriptionMode() const
{
    const TIBServerOptions* ib = GetIBServerOptions();
    if (GetDatabaseType() != dbInterBase || ib == nullptr) return TUpdateDescriptionType::udDescribe;
    return ib->IBCompareOptions().UpdateDescriptionMode;
}

// Table T with description "it's", by server and mode:
//   Firebird udSysTables "UPDATE RDB$RELATIONS SET RDB$DESCRIPTION = \r\n'it''s'\r\nWHERE RDB$RELATION_NAME = 'T'"
//   Firebird udComment   "COMMENT ON TABLE T IS\r\n'it''s'"
//   MS SQL 2005 on       "exec sys.sp_addextendedproperty @name=N'MS_Description', @value=N'it''s', ..."
//   PostgreSQL           "COMMENT ON TABLE s.t IS 'it''s'"
std::string TDbObj::GetDescriptionScript()
{
    if (NoScript || Objs() == nullptr || (GetScriptFlags() & sfDescriptions) == 0) return {};
    const TDescribed kind = DescribedKind(*this);
    switch (GetDatabaseType()) {
    case dbInterBase: return InterBaseText(*this, kind);
    case dbSybaseASA: return ASAText(*this, kind);
    case dbMySQL: return MySQLText(*this, kind);
    case dbOracle: return OracleText(*this, kind);
    case dbMSSQL: return MSSQLText(*this, kind);
    case dbPostgreSQL: return PGText(*this, kind);
    default: return {};
    }
}

} // namespace qel
