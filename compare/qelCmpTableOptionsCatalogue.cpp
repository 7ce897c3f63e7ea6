// One side of a comparison: the table and its columns as the server's
// catalogue stores them, its primary or unique key and what the catalogue
// tells of each column.
#include "qelCmpTableOptions.h"
#include "qelVelmorin.h"
#include "qelVelmorinPrivate.h"

#include "qelDBEngine.h"
#include "qelDBOptions.h"
#include "qelIBWords.h"
#include "qelText.h"

#include <algorithm>
#include <optional>

namespace qel {

using namespace velmorin;

namespace {

void SetLines(TQELQuery& Query, const std::vector<std::string>& Lines)
{
    TStringList* sql = Query.GetSQL();
    if (sql == nullptr) return;
    sql->BeginUpdate();
    for (const std::string& l : Lines) sql->Add(l);
    sql->EndUpdate();
}

void AddLine(TQELQuery& Query, const std::string& Line)
{
    if (TStringList* sql = Query.GetSQL()) sql->Add(Line);
}

void Reset(TQELQuery& Query)
{
    Query.Close();
    if (TStringList* sql = Query.GetSQL()) sql->Clear();
}

// Closes and clears the query however the block is left.
struct TResetGuard {
    TQELQuery& Query;
    ~TResetGuard()
    {
        try {
            Reset(Query);
        } catch (...) {
            // Closing after a failure: the failure itself is what counts.
        }
    }
};

std::string FieldText(TQELQuery& Query, const std::string& Name)
{
    TField* f = Query.FieldByName(Name);
    return f == nullptr || f->IsNull() ? std::string() : f->AsString();
}

bool TruthOf(TQELQuery& Query, const std::string& Name)
{
    TField* f = Query.FieldByName(Name);
    if (f == nullptr || f->IsNull()) return false;
    if (f->DataType() == TFieldType::ftBoolean) return f->AsBoolean();
    const std::string t = UpperCase(Trim(f->AsString()));
    return t == "1" || t == "T" || t == "TRUE" || t == "Y" || t == "YES";
}

} // namespace

namespace velmorin {

std::string EveryColumnSQL(const TCmpTableOptions& Side)
{
    return "Select * from " + Side.QuoteName(Side.StoredTableName());
}

std::vector<std::string> InformationSchemaKeysSQL(const TCmpTableOptions& Side, const std::string& Table)
{
    return {"select t.CONSTRAINT_TYPE as KIND, t.CONSTRAINT_NAME as CNAME, k.COLUMN_NAME",
            "from INFORMATION_SCHEMA.TABLE_CONSTRAINTS t",
            "join INFORMATION_SCHEMA.KEY_COLUMN_USAGE k on k.CONSTRAINT_NAME = t.CONSTRAINT_NAME",
            "and k.TABLE_NAME = t.TABLE_NAME and k.TABLE_SCHEMA = t.TABLE_SCHEMA",
            "where t.TABLE_NAME = " + Side.NameLiteral(Table),
            "and t.CONSTRAINT_TYPE in ('PRIMARY KEY', 'UNIQUE')",
            "order by t.CONSTRAINT_TYPE, t.CONSTRAINT_NAME, k.ORDINAL_POSITION"};
}

std::vector<std::string> InformationSchemaColumnsSQL(const TCmpTableOptions& Side, const std::string& Table)
{
    return {"select COLUMN_NAME, IS_NULLABLE, DATA_TYPE, COLLATION_NAME", "from INFORMATION_SCHEMA.COLUMNS",
            "where TABLE_NAME = " + Side.NameLiteral(Table)};
}

} // namespace velmorin

std::string TCmpTableOptions::NormalizedTableName() const
{
    const std::string& name = StoredTableName();
    // A name found in the catalogue stays as stored.
    if (m_storedFromCatalogue) return name;
    switch (DatabaseType()) {
    case TDatabaseType::dbInterBase:
        return IBNeedsQuotes(name, m_comparer->IBOptions().SQLServerVersion) ? name : UpperCase(name);
    case TDatabaseType::dbMySQL: return name;
    case TDatabaseType::dbPostgreSQL: return LowerCase(name);
    default: return UpperCase(name);
    }
}

void TCmpTableOptions::ForgetStoredTableName()
{
    m_storedTableName.reset();
    m_storedFromCatalogue = false;
}

bool TCmpTableOptions::ResolveTableName(TQELQuery& Query)
{
    ForgetStoredTableName();
    const std::string given = BareName(TableName);
    // The tables whose names differ from the given one in case at most, as
    // the catalogue stores them.
    std::vector<std::string> names;
    auto add = [&](const std::string& Name) {
        if (SameText(Name, given) && std::find(names.begin(), names.end(), Name) == names.end())
            names.push_back(Name);
    };
    {
        TResetGuard guard{Query};
        try {
            if (Query.IsActive()) Query.Close();
            if (TStringList* sql = Query.GetSQL()) sql->Clear();
            auto read = [&](const char* Column, bool Trimmed) {
                Query.Open();
                for (; !Query.Eof(); Query.Next())
                    add(Trimmed ? TrimRight(FieldText(Query, Column)) : FieldText(Query, Column));
            };
            switch (DatabaseType()) {
            case TDatabaseType::dbInterBase:
                SetLines(Query, {"select rdb$relation_name as NAME from rdb$relations",
                                 "where upper(rdb$relation_name) = upper(" + NameLiteral(given) + ")"});
                read("NAME", true);
                break;
            case TDatabaseType::dbPostgreSQL:
                SetLines(Query, {"select c.relname as name from pg_catalog.pg_class c",
                                 "join pg_catalog.pg_namespace n on n.oid = c.relnamespace",
                                 "where c.relkind = 'r'",
                                 "and n.nspname not in ('information_schema', 'pg_catalog', 'pg_toast', 'pg_temp_1')",
                                 "and lower(c.relname) = lower(" + NameLiteral(given) + ")"});
                read("name", false);
                break;
            case TDatabaseType::dbCustomOLEDB:
            case TDatabaseType::dbMSAccess: {
                std::vector<TColumnListing> columns;
                if (m_connection != nullptr && m_connection->ListColumns(given, columns))
                    for (const TColumnListing& c : columns) add(c.TableName);
                break;
            }
            default: break;
            }
        } catch (const std::exception&) {
            // A catalogue that cannot be read: the name as before, and the
            // reading of the columns reports what is wrong.
            names.clear();
        }
    }
    const bool exact = std::find(names.begin(), names.end(), given) != names.end();
    // A name in double quotes means exactly that name.
    if (exact || given != TableName) {
        m_storedTableName = given;
        m_storedFromCatalogue = true;
        return true;
    }
    if (names.size() == 1) {
        m_storedTableName = names.front();
        m_storedFromCatalogue = true;
        return true;
    }
    if (names.empty()) {
        m_storedTableName = NormalizedTableName();
        return true;
    }
    std::sort(names.begin(), names.end());
    std::string list;
    for (const std::string& n : names) list += (list.empty() ? "" : ", ") + n;
    const std::string databaseName = m_connection != nullptr ? m_connection->ConnectionOptions().DatabaseName : "";
    m_comparer->ErrorMessage("Table: " + TableName + " matches several tables that differ in case alone: " + list +
                             "." + CRLF + "Database: " + databaseName);
    return false;
}

// ---------------------------------------------------------------------------
// Column discovery

// Reads the column names of one side's table from its server's catalogue
// into AllFields, with the table's primary or unique key where the server
// tells it. Each server's read is one block: its errors are reported, the
// query is left closed and empty, and Ok() becomes false.
class TCmpTableOptions::TColumnNames {
public:
    TColumnNames(TCmpTableOptions& Side, TQELQuery& Query) : S(Side), C(*Side.m_comparer), Q(Query) {}

    bool Ok() const { return m_ok; }

    // The catalogue of Type: that of the query's connection.
    void Read(TDatabaseType Type)
    {
        switch (Type) {
        case TDatabaseType::dbInterBase:
            if (!S.StoredTableName().empty()) Guarded([&] { InterBase(); });
            break;
        case TDatabaseType::dbSybaseASA: Guarded([&] { SybaseASA(); }); break;
        case TDatabaseType::dbMySQL: Guarded([&] { MySQL(); }); break;
        case TDatabaseType::dbMSSQL:
        case TDatabaseType::dbSybaseASE: Guarded([&] { MSSQL(Type == TDatabaseType::dbSybaseASE); }); break;
        case TDatabaseType::dbOracle: Guarded([&] { Oracle(); }); break;
        case TDatabaseType::dbPostgreSQL: Guarded([&] { PostgreSQL(); }); break;
        case TDatabaseType::dbPervasiveSQL:
            Guarded([&] {
                SetLines(Q, {"call psp_columns (null, " + S.NameLiteral(S.StoredTableName()) + ", null)"});
                ReadColumns("COLUMN_NAME", false);
            });
            break;
        case TDatabaseType::dbMSAccess:
        case TDatabaseType::dbCustomOLEDB: Guarded([&] { Listed(); }); break;
        case TDatabaseType::dbParadox:
        case TDatabaseType::dbDBASE: Guarded([&] { Desktop(); }); break;
        case TDatabaseType::dbAbstract:
        case TDatabaseType::dbDB2: break;
        }
    }

    // Without IncludeBlobs, the BLOB columns the SELECT would read leave
    // AllFields again; a failure is reported with the SELECT's text.
    void LeaveOutBlobs()
    {
        try {
            TStringList tmpM, tmpT;
            C.BuildSelectSQL(tmpM, tmpT);
            if (C.MasterQuery() != nullptr && C.MasterQuery()->GetSQL() != nullptr)
                C.MasterQuery()->GetSQL()->Assign(tmpM);
            if (C.TargetQuery() != nullptr && C.TargetQuery()->GetSQL() != nullptr)
                C.TargetQuery()->GetSQL()->Assign(tmpT);
            Q.Open();
            TFields& fields = *Q.GetFields();
            for (int i = 0; i < fields.Count(); ++i) {
                if (!IsBlobType(fields[i].DataType())) continue;
                const int at = S.AllFields.IndexOf(fields[i].FieldName());
                if (at >= 0) S.AllFields.Delete(at);
            }
            Reset(Q);
        } catch (const std::exception& e) {
            const std::string text = Q.GetSQL() != nullptr ? Q.GetSQL()->Text() : std::string();
            C.ErrorMessage(std::string(e.what()) + CRLF + text);
            try {
                Q.Close();
            } catch (...) {
            }
            m_ok = false;
        }
    }

private:
    void Missing()
    {
        const std::string databaseName =
            S.m_connection != nullptr ? S.m_connection->ConnectionOptions().DatabaseName : "";
        C.ErrorMessage("Table: " + S.StoredTableName() + " not exists." + CRLF + "Database: " + databaseName);
        m_ok = false;
    }

    template <class TBlock> void Guarded(TBlock&& Block)
    {
        try {
            Block();
        } catch (const std::exception& e) {
            C.ErrorMessage(e.what());
            try {
                Reset(Q);
            } catch (...) {
            }
            m_ok = false;
        }
    }

    // Every row's Column into AllFields.
    void ReadColumns(const std::string& Column, bool Trimmed)
    {
        Q.Open();
        while (!Q.Eof()) {
            const std::string name = FieldText(Q, Column);
            S.AllFields.Add(Trimmed ? Trim(name) : name);
            Q.Next();
        }
        Reset(Q);
    }

    // Opens the existence query set in Q and answers the text of IdColumn
    // of its first row, or nothing when the table does not exist (reported).
    std::optional<std::string> Exists(const std::string& NameColumn, const std::string& IdColumn)
    {
        Q.Open();
        const bool exists = !Q.Eof() && !FieldText(Q, NameColumn).empty();
        const std::string id = exists && !IdColumn.empty() ? IntToStr(Q.FieldByName(IdColumn)->AsInteger()) : "";
        Reset(Q);
        if (!exists) {
            Missing();
            return std::nullopt;
        }
        return id;
    }

    void InterBase()
    {
        const std::string& table = S.StoredTableName();
        SetLines(Q, {"Select rdb$relation_name", "from rdb$relations",
                     "where rdb$relation_name = " + S.NameLiteral(table)});
        Q.Open();
        const bool exists = !Q.Eof() && UpperCase(Trim(FieldText(Q, "RDB$RELATION_NAME"))) == UpperCase(table);
        Reset(Q);
        if (!exists) {
            Missing();
            return;
        }
        SetLines(Q, {"Select rf.rdb$field_position, rf.rdb$field_name", "from rdb$relation_fields rf",
                     "join rdb$fields f on f.rdb$field_name = rf.rdb$field_source",
                     "where rf.rdb$relation_name = " + S.NameLiteral(table)});
        if (C.IgnoreComputedFields) AddLine(Q, "and f.rdb$computed_blr is Null");
        AddLine(Q, "order by rf.rdb$field_position, rf.rdb$field_name");
        ReadColumns("RDB$FIELD_NAME", true);
        S.LoadKeyCatalogue(Q, table);
    }

    void SybaseASA()
    {
        SetLines(Q, {"Select table_name, table_id", "from SYS.SYSTABLE",
                     "where table_name = " + S.NameLiteral(S.StoredTableName())});
        const std::optional<std::string> id = Exists("TABLE_NAME", "TABLE_ID");
        if (!id) return;
        SetLines(Q, {"Select c.column_id, c.column_name", "from SYS.SYSCOLUMN c", "where c.table_id = " + *id,
                     "order by c.column_id, c.column_name"});
        ReadColumns("COLUMN_NAME", true);
        S.LoadKeyCatalogue(Q, *id);
    }

    void MySQL()
    {
        SetLines(Q, {"SHOW TABLES"});
        Q.Open();
        bool exists = false;
        while (!Q.Eof() && !exists) {
            const TField& f = (*Q.GetFields())[0];
            exists = UpperCase(f.AsString()) == UpperCase(S.StoredTableName());
            Q.Next();
        }
        Reset(Q);
        if (!exists) {
            Missing();
            return;
        }
        SetLines(Q, {EveryColumnSQL(S)});
        Q.Open();
        for (int i = 0; i < Q.GetFields()->Count(); ++i) S.AllFields.Add((*Q.GetFields())[i].FieldName());
        Reset(Q);
        S.LoadKeyCatalogue(Q, S.StoredTableName());
    }

    // MS SQL, or Sybase ASE when Ase.
    void MSSQL(bool Ase)
    {
        const std::string& table = S.StoredTableName();
        if (Ase) {
            SetLines(Q, {"Select o.id, o.name", "from sysobjects o", "where o.type = " + Quoted("U "),
                         "and o.name = " + S.NameLiteral(table)});
        } else {
            SetLines(Q, {"Select o.id, o.name,", "objectproperty(o.id, " + Quoted("ExecIsQuotedIdentOn") + ") QI,",
                         "objectproperty(o.id, " + Quoted("ExecIsAnsiNullsOn") + ") AN", "from sysobjects o",
                         "where o.xtype = " + Quoted("U "),
                         "and isnull(objectproperty(o.id, " + Quoted("ISMSShipped") + "), 1) <> 1",
                         "and o.name = " + S.NameLiteral(table)});
        }
        const std::optional<std::string> id = Exists("NAME", "ID");
        if (!id) return;
        SetLines(Q, {"select c.name COLUMN_NAME", "from syscolumns c", "where c.id = " + *id,
                     Ase ? "order by c.colid" : "order by c.colorder"});
        ReadColumns("COLUMN_NAME", false);
        if (!Ase) S.LoadKeyCatalogue(Q, table);
    }

    void Oracle()
    {
        const std::string& table = S.StoredTableName();
        SetLines(Q, {"Select t.table_name as name, t.tablespace_name", "from user_tables t",
                     "where t.table_name = " + S.NameLiteral(table)});
        if (!Exists("NAME", "")) return;
        SetLines(Q, {"select c.column_name, c.data_type, c.data_length,", "c.data_precision, c.data_scale, c.column_id,",
                     "c.character_set_name, c.char_col_decl_length,", "c.char_length, c.Nullable",
                     "from user_tab_columns c", "where c.table_name = " + S.NameLiteral(table),
                     "order by c.column_id"});
        ReadColumns("COLUMN_NAME", false);
        S.LoadKeyCatalogue(Q, table);
    }

    void PostgreSQL()
    {
        // The catalogue of PostgreSQL 12 and later: relhastriggers and
        // pg_get_expr stand for the removed reltriggers and adsrc.
        SetLines(Q, {" SELECT n.nspname AS schemaname, c.relname AS tablename, pg_get_userbyid(c.relowner) AS tableowner,",
                     "        t.spcname AS \"tablespace\", c.relhasindex AS hasindexes, c.relhasrules AS hasrules,",
                     "        c.relhastriggers AS hastriggers, c.oid", "   FROM pg_catalog.pg_class c",
                     "   LEFT JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace",
                     "   LEFT JOIN pg_catalog.pg_tablespace t ON t.oid = c.reltablespace", "  WHERE c.relkind = 'r'",
                     "  AND n.nspname not in ('information_schema', 'pg_catalog', 'pg_toast', 'pg_temp_1')",
                     "  and c.relname not like 'pg_%'", "  and c.relname = " + S.NameLiteral(S.StoredTableName())});
        Q.Open();
        const bool exists = !Q.Eof() && !FieldText(Q, "TABLENAME").empty();
        // An oid is unsigned: taken over as text.
        const std::string oid = exists ? Trim(FieldText(Q, "OID")) : "";
        Reset(Q);
        if (!exists) {
            Missing();
            return;
        }
        SetLines(Q, {"select a.attname AS column_name, a.atttypid, a.atttypmod,",
                     "pg_catalog.format_type(a.atttypid, null) as data_type,",
                     "information_schema._pg_char_max_length(a.atttypid, a.atttypmod) as char_length,",
                     "information_schema._pg_numeric_precision(a.atttypid, a.atttypmod) as prec,",
                     "information_schema._pg_numeric_scale(a.atttypid, a.atttypmod) as scale,",
                     "pg_get_expr(ad.adbin, ad.adrelid) as adsrc, a.attnotnull as is_notnull",
                     "from pg_attribute a", "join pg_type t on t.oid = a.atttypid",
                     "left join pg_attrdef ad on ad.adrelid = a.attrelid and ad.adnum = a.attnum",
                     "where a.attrelid = " + oid + " and a.attnum >= 1", "and not a.attisdropped",
                     "order by a.attnum"});
        ReadColumns("COLUMN_NAME", false);
        S.LoadKeyCatalogue(Q, oid);
    }

    // What the connection's column listing says (ODBC's SQLColumns).
    void Listed()
    {
        std::vector<TColumnListing> columns;
        if (S.m_connection != nullptr && S.m_connection->ListColumns(S.StoredTableName(), columns)) {
            for (const TColumnListing& col : columns) S.AllFields.Add(col.ColumnName);
            S.LoadKeyCatalogue(Q, S.StoredTableName());
        }
    }

    // Paradox and dBASE: the columns of a SELECT; every non-BLOB column is
    // a key unless keys were given.
    void Desktop()
    {
        const bool fillKeys = S.KeyList.Empty();
        SetLines(Q, {EveryColumnSQL(S)});
        Q.Open();
        for (int i = 0; i < Q.GetFields()->Count(); ++i) {
            const TField& f = (*Q.GetFields())[i];
            S.AllFields.Add(UpperCase(f.FieldName()));
            if (fillKeys && !IsBlobType(f.DataType())) S.KeyList.Add(UpperCase(f.FieldName()));
        }
        Reset(Q);
    }

    TCmpTableOptions& S;
    TVelmorin& C;
    TQELQuery& Q;
    bool m_ok = true;
};

bool TCmpTableOptions::LoadAllFields(TQELQuery* Query)
{
    if (Query == nullptr) return true;
    if (Query->IsActive()) Query->Close();
    if (TStringList* sql = Query->GetSQL()) sql->Clear();
    m_storedTableName = NormalizedTableName();

    TColumnNames names(*this, *Query);
    names.Read(Query->Connection() != nullptr ? Query->Connection()->DatabaseType() : DatabaseType());
    if (!m_comparer->IncludeBlobs) names.LeaveOutBlobs();

    std::string line = StoredTableName() + ": ";
    for (int i = 0; i < AllFields.Count(); ++i) line += (i == 0 ? "" : " ") + AllFields[i];
    m_comparer->LogNextLine(line);
    return names.Ok();
}

// The primary key, else the first unique key, in key order. A catalogue
// that cannot be read leaves both lists empty: the keys then default to the
// table's columns.
void TCmpTableOptions::LoadKeyCatalogue(TQELQuery& Query, const std::string& Table)
{
    TResetGuard guard{Query};
    std::vector<std::pair<std::string, std::string>> rows; // (constraint, column) in key order
    auto read = [&](const char* kind, const char* constraint, const char* column, bool trim) {
        Query.Open();
        while (!Query.Eof()) {
            std::string k = Trim(FieldText(Query, kind));
            std::string c = FieldText(Query, constraint);
            std::string n = FieldText(Query, column);
            rows.emplace_back(UpperCase(k) + "\x01" + c, trim ? Trim(n) : n);
            Query.Next();
        }
        Reset(Query);
    };
    try {
        switch (DatabaseType()) {
        case TDatabaseType::dbInterBase:
            SetLines(Query, {"select rc.rdb$constraint_type as KIND, rc.rdb$constraint_name as CNAME,",
                             "s.rdb$field_name as COLUMN_NAME", "from rdb$relation_constraints rc",
                             "join rdb$index_segments s on s.rdb$index_name = rc.rdb$index_name",
                             "where rc.rdb$relation_name = " + NameLiteral(Table),
                             "and rc.rdb$constraint_type in ('PRIMARY KEY', 'UNIQUE')",
                             "order by rc.rdb$constraint_type, rc.rdb$constraint_name, s.rdb$field_position"});
            read("KIND", "CNAME", "COLUMN_NAME", true);
            break;
        case TDatabaseType::dbPostgreSQL:
            // Table holds the table's oid; partial and expression indexes
            // identify no rows and are left out.
            SetLines(Query, {"select case when i.indisprimary then 'PRIMARY KEY' else 'UNIQUE' end as kind,",
                             "ic.relname as cname, a.attname as column_name",
                             "from pg_catalog.pg_index i",
                             "join pg_catalog.pg_class ic on ic.oid = i.indexrelid",
                             "join generate_series(0, 31) k(n) on k.n < i.indnkeyatts",
                             "join pg_catalog.pg_attribute a on a.attrelid = i.indrelid and a.attnum = i.indkey[k.n]",
                             "where i.indrelid = " + Table + " and i.indisunique and i.indpred is null",
                             "and i.indexprs is null",
                             "order by 1, 2, k.n"});
            read("KIND", "CNAME", "COLUMN_NAME", false);
            break;
        case TDatabaseType::dbMSSQL:
        case TDatabaseType::dbMySQL:
            SetLines(Query, InformationSchemaKeysSQL(*this, Table));
            read("KIND", "CNAME", "COLUMN_NAME", false);
            break;
        case TDatabaseType::dbOracle:
            SetLines(Query, {"select case c.constraint_type when 'P' then 'PRIMARY KEY' else 'UNIQUE' end as KIND,",
                             "c.constraint_name as CNAME, cc.column_name as COLUMN_NAME",
                             "from user_constraints c",
                             "join user_cons_columns cc on cc.constraint_name = c.constraint_name",
                             "where c.table_name = " + NameLiteral(Table) + " and c.constraint_type in ('P', 'U')",
                             "order by 1, 2, cc.position"});
            read("KIND", "CNAME", "COLUMN_NAME", false);
            break;
        case TDatabaseType::dbSybaseASA:
            // Table holds the table number.
            SetLines(Query, {"select 'PRIMARY KEY' as KIND, 'PK' as CNAME, c.column_name as COLUMN_NAME",
                             "from SYS.SYSCOLUMN c", "where c.table_id = " + Table + " and c.pkey = 'Y'",
                             "order by c.column_id"});
            read("KIND", "CNAME", "COLUMN_NAME", true);
            break;
        case TDatabaseType::dbCustomOLEDB:
        case TDatabaseType::dbMSAccess:
            if (!IsSQLite()) break;
            SetLines(Query, {"select 'PRIMARY KEY' as KIND, 'PK' as CNAME, name as COLUMN_NAME",
                             "from pragma_table_info(" + NameLiteral(Table) + ")", "where pk > 0", "order by pk"});
            read("KIND", "CNAME", "COLUMN_NAME", false);
            break;
        default: break;
        }
    } catch (const std::exception&) {
        rows.clear();
    }
    std::string firstUnique;
    for (const auto& [key, column] : rows) {
        if (key.rfind("PRIMARY KEY\x01", 0) == 0) {
            PrimaryKeyList.Add(column);
        } else if (key.rfind("UNIQUE\x01", 0) == 0) {
            if (firstUnique.empty()) firstUnique = key;
            if (key == firstUnique) UniqueKeyList.Add(column);
        }
    }
    if (!PrimaryKeyList.Empty()) UniqueKeyList.Clear();
}

// Reads what each server's catalogue tells of the columns of the table into
// the side's column facts; a failure is thrown to LoadColumnInfo.
class TCmpTableOptions::TColumnFacts {
public:
    TColumnFacts(TCmpTableOptions& Side, TQELQuery& Query, const std::string& Table)
        : S(Side), Q(Query), m_table(Table)
    {
    }

    void InterBase()
    {
        SetLines(Q, {"select rf.rdb$field_name as FNAME, f.rdb$field_type as FTYPE,",
                     "coalesce(rf.rdb$null_flag, f.rdb$null_flag, 0) as NOTNULL,",
                     "coalesce(rf.rdb$collation_id, f.rdb$collation_id, 0) as COLL,",
                     "cs.rdb$character_set_name as CSNAME,",
                     "coalesce(f.rdb$character_length, f.rdb$field_length) as CLEN,",
                     "case when coalesce(rf.rdb$default_source, f.rdb$default_source) is not null",
                     "or f.rdb$computed_blr is not null then 1 else 0 end as FILLED",
                     "from rdb$relation_fields rf",
                     "join rdb$fields f on f.rdb$field_name = rf.rdb$field_source",
                     "left join rdb$character_sets cs on cs.rdb$character_set_id = f.rdb$character_set_id",
                     "where rf.rdb$relation_name = " + S.NameLiteral(m_table)});
        Q.Open();
        const std::string client = S.m_connection != nullptr ? UpperCase(S.m_connection->ClientCharSet()) : "";
        while (!Q.Eof()) {
            S.m_columnInfo[Trim(FieldText(Q, "FNAME"))] = InterBaseColumn(client);
            Q.Next();
        }
        Reset(Q);
        S.LoadFilledByServer(Q, m_table);
    }

    void PostgreSQL()
    {
        // A nondeterministic collation (case-blind ICU ones) makes "="
        // blind too; servers before 12 have no such collations, and
        // reading the flag through to_jsonb keeps the query valid there.
        SetLines(Q, {"select a.attname as fname, a.attnotnull as notnull, t.typcategory as cat, t.typname as tname,",
                     "a.atthasdef or coalesce(to_jsonb(a) ->> 'attidentity', '') <> ''",
                     "or coalesce(to_jsonb(a) ->> 'attgenerated', '') <> '' as filled,",
                     "coalesce(cast(to_jsonb(co) ->> 'collisdeterministic' as boolean), true) as determ,",
                     "a.atttypmod as tmod",
                     "from pg_catalog.pg_attribute a",
                     "join pg_catalog.pg_class c on c.oid = a.attrelid",
                     "join pg_catalog.pg_namespace n on n.oid = c.relnamespace",
                     "join pg_catalog.pg_type t on t.oid = a.atttypid",
                     "left join pg_catalog.pg_collation co on co.oid = a.attcollation",
                     "where c.relname = " + S.NameLiteral(m_table) + " and c.relkind = 'r'",
                     "and n.nspname not in ('information_schema', 'pg_catalog', 'pg_toast')",
                     "and a.attnum >= 1 and not a.attisdropped"});
        Q.Open();
        while (!Q.Eof()) {
            TColumnInfo info;
            info.NotNull = TruthOf(Q, "notnull");
            info.Filled = TruthOf(Q, "filled");
            info.Text = Trim(FieldText(Q, "cat")) == "S";
            if (info.Text) info.Collate = " COLLATE \"C\"";
            if (info.Text && !TruthOf(Q, "determ")) info.ExactCollate = info.Collate;
            const std::string typeName = Trim(FieldText(Q, "tname"));
            info.Zoned = typeName == "timestamptz";
            info.Moment = info.Zoned || typeName == "timestamp" || typeName == "date";
            info.TypeName = typeName;
            info.TypeModifier = Q.FieldByName("tmod")->AsInteger();
            S.m_columnInfo[FieldText(Q, "fname")] = info;
            Q.Next();
        }
    }

    // MS SQL, or MySQL when not MSSQL: both have INFORMATION_SCHEMA.
    void InformationSchema(bool MSSQL)
    {
        SetLines(Q, InformationSchemaColumnsSQL(S, m_table));
        Q.Open();
        const std::string binary =
            S.m_connection != nullptr &&
                    S.m_connection->MSSQLServerOptions().SQLServerVersion == TMSSQLServerVersionType::st_MSSQL2000
                ? " COLLATE Latin1_General_BIN"
                : " COLLATE Latin1_General_BIN2";
        while (!Q.Eof()) {
            S.m_columnInfo[FieldText(Q, "COLUMN_NAME")] = InformationSchemaColumn(MSSQL, binary);
            Q.Next();
        }
    }

    void Oracle()
    {
        SetLines(Q, {"select c.column_name, c.data_type, c.nullable", "from user_tab_columns c",
                     "where c.table_name = " + S.NameLiteral(m_table)});
        Q.Open();
        while (!Q.Eof()) {
            TColumnInfo info;
            const std::string type = UpperCase(Trim(FieldText(Q, "DATA_TYPE")));
            info.NotNull = UpperCase(Trim(FieldText(Q, "NULLABLE"))) == "N";
            info.Text = type == "CHAR" || type == "VARCHAR2" || type == "NCHAR" || type == "NVARCHAR2";
            info.Blob = type == "CLOB" || type == "NCLOB" || type == "BLOB" || type == "LONG" || type == "LONG RAW" ||
                        type == "BFILE";
            S.m_columnInfo[FieldText(Q, "COLUMN_NAME")] = info;
            Q.Next();
        }
    }

    // What the connection's column listing says (ODBC's SQLColumns).
    void Listed()
    {
        std::vector<TColumnListing> columns;
        if (S.m_connection == nullptr || !S.m_connection->ListColumns(m_table, columns)) return;
        const bool sqlite = S.IsSQLite();
        for (const TColumnListing& col : columns) {
            TColumnInfo info;
            info.NotNull = col.NotNull;
            info.Text = ValueClassOf(col.FieldType) == TValueClass::Text;
            info.Blob = IsBlobType(col.FieldType);
            if (info.Text && sqlite) info.Collate = " COLLATE BINARY";
            // NOCASE and RTRIM columns: BINARY compares every byte.
            info.ExactCollate = info.Collate;
            info.DeclaredType = col.TypeName;
            info.Filled = col.Filled;
            S.m_columnInfo[col.ColumnName] = info;
        }
    }

private:
    // The current row of the Firebird query; Client: the connection's
    // character set, upper case.
    TColumnInfo InterBaseColumn(const std::string& client) const
    {
        TColumnInfo info;
        const int type = Q.FieldByName("FTYPE")->AsInteger();
        info.NotNull = Q.FieldByName("NOTNULL")->AsInteger() != 0;
        // CHAR, VARCHAR, CSTRING; 261 is a BLOB.
        info.Text = type == 14 || type == 37 || type == 40;
        info.Blob = type == 261;
        const std::string charset = UpperCase(Trim(FieldText(Q, "CSNAME")));
        info.CharSet = charset;
        info.CharLength = Q.FieldByName("CLEN")->AsInteger();
        info.Filled = Q.FieldByName("FILLED")->AsInteger() != 0;
        info.DeclaredType = type == 14 ? "CHAR" : "VARCHAR";
        // Collation 0 of a character set is its binary one, named like the
        // set.
        if (info.Text && Q.FieldByName("COLL")->AsInteger() != 0 && !charset.empty())
            info.Collate = " COLLATE " + charset;
        info.ExactCollate = info.Collate;
        // Values of a single-byte set arrive as UTF-8 through a UTF8
        // connection, and the merge compares those bytes: the server must
        // order them as UTF-8 too.
        // Wider than a UTF8 string holds (8,191 characters of up to four
        // bytes): read as a text BLOB instead, and never a key.
        info.WideForUtf8 = info.Text && (client == "UTF8" || client == "UNICODE_FSS") && !charset.empty() &&
                           charset != "UTF8" && charset != "UNICODE_FSS" && charset != "NONE" &&
                           charset != "OCTETS" && info.CharLength > 8191;
        if (info.Text && !info.WideForUtf8 && (client == "UTF8" || client == "UNICODE_FSS") && !charset.empty() &&
            charset != "UTF8" && charset != "UNICODE_FSS" && charset != "NONE" && charset != "OCTETS") {
            const long long length = std::max<long long>(1, Q.FieldByName("CLEN")->AsInteger());
            info.OrderCast = " AS VARCHAR(" + IntToStr(length) + ") CHARACTER SET UTF8)";
        }
        // Firebird compares VARCHAR values as if padded with blanks, under
        // every collation: "a" = "a ". The stored length tells them apart;
        // CHAR values are padded anyway.
        if (info.Text && type != 14) {
            const std::string& connection = client;
            using U = TColumnInfo::TLengthUnit;
            if (charset == "NONE" || charset == "OCTETS" || connection.empty() || connection == "NONE" ||
                connection == charset) {
                // The value arrives in the column's own bytes.
                info.LengthFunction = "OCTET_LENGTH";
                info.LengthUnit = U::Bytes;
            } else {
                // Transliterated: count characters, which survive it.
                info.LengthFunction = "CHAR_LENGTH";
                info.LengthUnit = connection == "UTF8" || connection == "UNICODE_FSS" ? U::CodePoints : U::Bytes;
            }
        }
        return info;
    }

    // The current row of the INFORMATION_SCHEMA query; Binary: MS SQL's
    // binary collation clause.
    TColumnInfo InformationSchemaColumn(bool MSSQL, const std::string& Binary) const
    {
        TColumnInfo info;
        const std::string type = LowerCase(Trim(FieldText(Q, "DATA_TYPE")));
        info.NotNull = UpperCase(Trim(FieldText(Q, "IS_NULLABLE"))) == "NO";
        info.Text = type == "char" || type == "varchar" || type == "nchar" || type == "nvarchar" || type == "sysname" ||
                    type == "enum" || type == "set" || type == "text" || type == "ntext" || type == "tinytext" ||
                    type == "mediumtext" || type == "longtext";
        info.Blob = type == "text" || type == "ntext" || type == "image" || type == "xml" || type == "tinytext" ||
                    type == "mediumtext" || type == "longtext" || type == "blob" || type == "tinyblob" ||
                    type == "mediumblob" || type == "longblob";
        if (info.Text && MSSQL) info.Collate = Binary;
        // Both servers compare VARCHAR values as if padded with blanks; CHAR
        // values are padded (MS SQL) or trimmed (MySQL) anyway. MySQL's
        // BINARY comparison is exact by itself, the length is checked all
        // the same.
        const bool variable = type == "varchar" || type == "nvarchar" || type == "sysname";
        using U = TColumnInfo::TLengthUnit;
        if (info.Text && !info.Blob && MSSQL) {
            info.ExactCollate = Binary;
            if (variable) {
                info.LengthFunction = "DATALENGTH";
                info.LengthUnit = type != "varchar" ? U::Utf16Bytes
                                  : UpperCase(FieldText(Q, "COLLATION_NAME")).find("_UTF8") != std::string::npos
                                      ? U::Bytes
                                      : U::CodePoints;
            }
        } else if (info.Text && !info.Blob) {
            info.ExactPrefix = "BINARY ";
            if (variable) {
                info.LengthFunction = "CHAR_LENGTH";
                info.LengthUnit = U::CodePoints;
            }
        }
        return info;
    }

    TCmpTableOptions& S;
    TQELQuery& Q;
    const std::string& m_table;
};

// Nullability, character type and collation of the columns, for the ORDER
// BY and the default keys. Best effort: what the catalogue does not tell
// is taken as nullable and not character.
void TCmpTableOptions::LoadColumnInfo(TQELQuery& Query)
{
    m_columnInfo.clear();
    const std::string table = NormalizedTableName();
    if (table.empty()) return;
    TResetGuard guard{Query};
    try {
        if (Query.IsActive()) Query.Close();
        if (TStringList* sql = Query.GetSQL()) sql->Clear();
        TColumnFacts facts(*this, Query, table);
        switch (DatabaseType()) {
        case TDatabaseType::dbInterBase: facts.InterBase(); break;
        case TDatabaseType::dbPostgreSQL: facts.PostgreSQL(); break;
        case TDatabaseType::dbMSSQL:
        case TDatabaseType::dbMySQL: facts.InformationSchema(DatabaseType() == TDatabaseType::dbMSSQL); break;
        case TDatabaseType::dbOracle: facts.Oracle(); break;
        case TDatabaseType::dbCustomOLEDB:
        case TDatabaseType::dbMSAccess: facts.Listed(); break;
        default: break;
        }
    } catch (const std::exception&) {
        m_columnInfo.clear();
    }
}

// Identity columns (Firebird 3 and later) and the columns of a table with
// an active BEFORE INSERT trigger, which may set any of them: the server
// fills them. A server without identities fails the first query, which
// only means it has none.
void TCmpTableOptions::LoadFilledByServer(TQELQuery& Query, const std::string& Table)
{
    try {
        SetLines(Query, {"select rdb$field_name as FNAME from rdb$relation_fields",
                         "where rdb$relation_name = " + NameLiteral(Table) + " and rdb$identity_type is not null"});
        Query.Open();
        while (!Query.Eof()) {
            if (auto it = m_columnInfo.find(Trim(FieldText(Query, "FNAME"))); it != m_columnInfo.end())
                it->second.Filled = true;
            Query.Next();
        }
        Reset(Query);
    } catch (const std::exception&) {
        Reset(Query);
    }
    SetLines(Query, {"select rdb$trigger_type as TTYPE from rdb$triggers",
                     "where rdb$relation_name = " + NameLiteral(Table) + " and coalesce(rdb$trigger_inactive, 0) = 0",
                     "and rdb$trigger_type < 8192"});
    Query.Open();
    bool beforeInsert = false;
    while (!Query.Eof()) {
        // Odd types are BEFORE triggers; (type + 1) / 2 holds up to three
        // two-bit actions, 1 standing for INSERT.
        const long long type = Query.FieldByName("TTYPE")->AsInteger();
        if (type % 2 == 1)
            for (long long slots = (type + 1) / 2; slots != 0; slots >>= 2)
                beforeInsert = beforeInsert || (slots & 3) == 1;
        Query.Next();
    }
    Reset(Query);
    if (beforeInsert)
        for (auto& [name, info] : m_columnInfo) info.Filled = true;
}

} // namespace qel
