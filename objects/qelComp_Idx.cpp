#include "qelComp_Idx.h"

#include "qelCompText.h"
#include "qelComp_Fld.h"

#include <vector>

namespace qel {

namespace {
using enum TDatabaseType;
}

TIdxData::TIdxData(TCustomObjs* AObjs) : TDbObj(AObjs, Kind) {}

TIdxData::~TIdxData() = default;

std::string TIdxData::GetKey() const
{
    return GetDatabaseType() == dbMySQL ? TableName + "." + Name() : TDbObj::GetKey();
}

std::string TIdxData::GetFieldsText() const
{
    const bool mysql = GetDatabaseType() == dbMySQL;
    std::vector<std::string> items;
    for (const auto& [name, field] : Fields) {
        std::string item = QuoteName(name);
        if (field != nullptr && field->SortOrder == 2) item += " DESC";
        if (field != nullptr && mysql && field->Length >= 1) item += "(" + IntToStr(field->Length) + ")";
        items.push_back(item);
    }
    return Join(items, ", ");
}

std::string TIdxData::GetIncludeFieldsText() const { return QuotedNames(*this, IncludeFields); }

std::string TIdxData::GetCreateDDL() const
{
    const TDatabaseType db = GetDatabaseType();
    std::string text = "CREATE ";
    if (Unique) text += "UNIQUE ";
    if (Bitmap) text += "BITMAP ";
    if (db == dbMSSQL) {
        if (Clustered) text += "CLUSTERED ";
        if (PrimaryXml) text += "PRIMARY ";
        if (Xml) text += "XML ";
    }
    if (FullText) text += "FULLTEXT ";
    if (Spatial) text += "SPATIAL ";
    if (Descending) text += "DESC ";
    const std::string name = QuoteName(Name());
    const std::string table = QuoteName(TableName);
    switch (db) {
    case dbMSSQL:
    case dbPostgreSQL: text += "INDEX " + name + " ON " + SchemaQualified(*this, Schema(), TableName); break;
    case dbSybaseASA: text += "INDEX " + name + " ON " + ASAOwnerText(*this, Owner) + "." + table; break;
    case dbOracle:
        text += Schema().empty() ? "INDEX " + name + " ON " + table
                                 : "INDEX " + SchemaQualified(*this, Schema(), Name()) + " ON " +
                                       SchemaQualified(*this, Schema(), TableName);
        break;
    case dbMySQL:
        text += "INDEX " + name + (Options.IndexMethod.empty() ? "" : " USING " + Options.IndexMethod) + " ON " + table;
        break;
    default: text += "INDEX " + name + " ON " + table; break;
    }
    // The expression carries its own leading blank or parenthesis.
    if (Body().empty()) text += "(" + GetFieldsText() + ")";
    else text += (db == dbOracle ? "" : " COMPUTED BY") + Body();
    if (!IncludeFields.Empty()) text += CRLF + ("  INCLUDE (" + GetIncludeFieldsText() + ")");
    const auto line = [&text](const std::string& Clause) {
        if (!Clause.empty()) text += CRLF + Clause;
    };
    if (db == dbMSSQL) {
        line(Filter.empty() ? "" : "WHERE " + Filter);
        line(XmlUsing.empty() ? "" : "   " + XmlUsing);
        line(FileGroup.empty() ? "" : "ON " + QuoteName(FileGroup));
    }
    if (db == dbOracle) {
        line(IndexType.empty() ? "" : "   INDEXTYPE IS " + IndexType);
        line(Parameters.empty() ? "" : "   PARAMETERS " + Parameters);
        line(Compress ? "COMPRESS" : "");
        line(NoCompress ? "NOCOMPRESS" : "");
        line(NoLogging ? "NOLOGGING" : "");
        line(TablespaceName.empty() ? "" : "TABLESPACE " + TablespaceName);
    }
    line(TableSpace.GetSQL());
    if (db == dbDB2 && AllowReverseScans) line("  ALLOW REVERSE SCANS");
    return text;
}

std::string TIdxData::GetDropScript() const
{
    const std::string name = QuoteName(Name());
    const std::string table = QuoteName(TableName);
    switch (GetDatabaseType()) {
    case dbMSSQL: return "DROP INDEX " + SchemaQualified(*this, Schema(), TableName) + "." + name;
    case dbSybaseASE: return "DROP INDEX " + table + "." + name;
    case dbSybaseASA: return "DROP INDEX " + ASAOwnerText(*this, Owner) + "." + table + "." + name;
    case dbMySQL: return "DROP INDEX " + name + " ON " + table;
    case dbPostgreSQL: return "DROP INDEX " + SchemaQualified(*this, Schema(), Name());
    default: return TDbObj::GetDropScript();
    }
}

// ---- the walk ----

void TIdxData::DropDependents()
{
    TDbObj::DropDependents();
    // InterBase drops an index in use by an attachment only after a new one.
    if (GetDatabaseType() == dbInterBase)
        if (TStatementSink* executor = GetExecutor()) executor->AddConnectStatement();
}

} // namespace qel
