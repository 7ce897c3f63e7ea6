// One side of the table data comparer (qelVelmorin.h): the side's table, the
// column lists the user chose, what column discovery read from the
// server's catalogue and the effective lists of the current run. Owned by
// its TVelmorin; the connection is watched by the comparer, never owned.
#pragma once

#include "qelComponent.h"
#include "qelDataSet.h"
#include "qelStrings.h"
#include "qelTypes.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace qel {

class TQELCustomConnection;
class TQELQuery;
class TVelmorin;

// One side of a comparison: its table, the column lists chosen by the user
// and the effective lists of the current run.
class TCmpTableOptions : public TPersistent {
public:
    explicit TCmpTableOptions(TVelmorin* Comparer);
    ~TCmpTableOptions() override;
    TCmpTableOptions(const TCmpTableOptions&) = delete;
    TCmpTableOptions& operator=(const TCmpTableOptions&) = delete;

    std::string ClassName() const override { return "TCmpTableOptions"; }
    // Copies TableName, StoredTableName and the lists AllFields, DataList,
    // KeyList, DataFields, KeyFields, ExcludeFields, PrimaryKeyList,
    // UniqueKeyList.
    void Assign(const TPersistent& Source) override;

    // Effective lists of the run and what column discovery found.
    TStringList AllFields;
    TStringList DataList;
    TStringList KeyList;
    TStringList ExcludeList;
    // Filled by column discovery from the catalogue, in key order; the
    // unique key only when the table has no primary key.
    TStringList PrimaryKeyList;
    TStringList UniqueKeyList;
    // The table as the user named it ("items", "\"Items\""); a run never
    // changes it.
    std::string TableName;
    // The table's name as the catalogue stores it ("ITEMS" for "items" on
    // Firebird), found afresh by each run; TableName until then. Every SQL
    // text names the table so, quoted by QuoteName.
    const std::string& StoredTableName() const { return m_storedTableName ? *m_storedTableName : TableName; }

    // The user's choices; setters copy the list.
    TStringList& KeyFields() { return m_keyFields; }
    const TStringList& KeyFields() const { return m_keyFields; }
    void SetKeyFields(const TStringList& Value) { m_keyFields.Assign(Value); }
    TStringList& DataFields() { return m_dataFields; }
    const TStringList& DataFields() const { return m_dataFields; }
    void SetDataFields(const TStringList& Value) { m_dataFields.Assign(Value); }
    TStringList& ExcludeFields() { return m_excludeFields; }
    const TStringList& ExcludeFields() const { return m_excludeFields; }
    void SetExcludeFields(const TStringList& Value) { m_excludeFields.Assign(Value); }

    TVelmorin* Comparer() const { return m_comparer; }
    TQELCustomConnection* Connection() const { return m_connection; }
    void SetConnection(TQELCustomConnection* Value) { m_connection = Value; }
    // Stored only.
    bool AllowSystemTables = false;

    // Reads the table's columns (and its primary or unique key) from the
    // server's catalogue into AllFields; True when nothing failed. A nil
    // Query does nothing and answers True.
    bool LoadAllFields(TQELQuery* Query);
    // Resolves DataList, KeyList and ExcludeList from the events' lists, the
    // published lists, the comparer's custom lists and the catalogue.
    bool PrepareFields(TQELQuery* Query);

    // Name quoted for this side's server ("Order" -> "\"Order\"" on
    // Firebird dialect 3); unchanged without a connection.
    std::string QuoteName(const std::string& Name) const;
    // Name as a string literal of this side's server, as the catalogue's
    // queries compare it: "it's" -> 'it''s'; MySQL escapes backslashes.
    std::string NameLiteral(const std::string& Name) const;
    // As QuoteName; Paradox and dBASE qualify keywords: DATE of ORDERS ->
    // ORDERS."DATE".
    std::string QuoteFieldName(const std::string& Name) const;
    // "A, B, C"; a name starting with a double quote is taken verbatim.
    std::string GetFieldList(const TStringList& List) const;
    // "select ID, NAME\r\nfrom CUSTOMER\r\n Order by ID": the key columns
    // order the rows as the comparer compares them (binary collation for
    // character keys, NULLs last), where the server's default differs.
    std::string GetSelectSQL() const;

    // The literal of one value of this side's current row: "Null", 'text',
    // 12.5, '27.02.2024', a BLOB reference ":h00000000_0000012C" ...
    std::string GetValueLiteral(TField& Field);
    // "1, 'a', Null": every field of Query's current row.
    std::string GetValuesList(TQELQuery* Query);

protected:
    void AssignTo(TPersistent& Dest) const override;

private:
    friend class TVelmorin;

    // What the catalogue says about one column, for the ORDER BY and the
    // choice of default keys.
    struct TColumnInfo {
        bool NotNull = false;
        bool Text = false;
        bool Blob = false;
        std::string Collate; // appended to a character key: " COLLATE \"C\""
        // The key ordered as another character set: CAST(K + OrderCast.
        std::string OrderCast;
        // What makes a key condition on this column match the bytes the
        // merge paired, where "=" alone is blind to case or trailing blanks:
        // a byte-wise form of the column ("BINARY " + name, name + " COLLATE
        // UTF8") and a function of its stored length with the unit it counts.
        std::string ExactPrefix;
        std::string ExactCollate;
        std::string LengthFunction;
        enum class TLengthUnit : std::uint8_t { Bytes, CodePoints, Utf16Bytes } LengthUnit = TLengthUnit::Bytes;
        // The type as declared where each cell keeps its own class (SQLite).
        std::string DeclaredType;
        // The server fills the column when an INSERT leaves it out: a
        // default, an identity, a computed column, a trigger.
        bool Filled = false;
        // The column's character set (Firebird), upper case.
        std::string CharSet;
        // Characters the column holds (Firebird character types).
        long long CharLength = 0;
        // A single-byte text column too wide to read through UTF8 as a string.
        bool WideForUtf8 = false;
        // A time stamp with time zone (PostgreSQL).
        bool Zoned = false;
        // A date or time stamp (PostgreSQL), and whether this run reads it
        // as its text because a value lies outside the years 1 to 9999.
        bool Moment = false;
        bool AsText = false;
        // PostgreSQL: the type's name and modifier (numeric(9,2), varchar(20),
        // timestamp(3)); -1 where the declaration sets no limit.
        std::string TypeName;
        int TypeModifier = -1;
    };

    bool IsMaster() const;
    TDatabaseType DatabaseType() const;
    // The catalogue's facts of a column: by its exact name, else the one
    // column that differs from it in ASCII case alone; nullptr for none.
    const TColumnInfo* ColumnInfoOf(const std::string& Name) const;
    // StoredTableName in the case the server stores names.
    std::string NormalizedTableName() const;
    // Sets StoredTableName to the name the catalogue stores: TableName when
    // a table bears it, else the one table whose name differs from it in
    // ASCII case alone, else NormalizedTableName. False, reported, when
    // several tables differ from it in case alone.
    bool ResolveTableName(TQELQuery& Query);
    // Back to TableName until the next resolving: a run starts so.
    void ForgetStoredTableName();
    bool ResolveColumnNames(TStringList& List);
    // The catalogue's readers of column names and column facts
    // (qelCmpTableOptionsCatalogue.cpp).
    class TColumnNames;
    class TColumnFacts;
    void LoadKeyCatalogue(TQELQuery& Query, const std::string& Table);
    void LoadColumnInfo(TQELQuery& Query);
    void LoadFilledByServer(TQELQuery& Query, const std::string& Table);
    std::string OrderTerm(const std::string& Name) const;
    // The terms after "K = value" that keep a key condition from reaching
    // rows the server's collation takes for equal: " and K COLLATE UTF8 =
    // 'a' and OCTET_LENGTH(K) = 1"; empty where "=" compares bytes.
    std::string ExactKeyTerms(const std::string& Name, const std::string& Quoted, const TField& Field,
                              const std::string& Value) const;
    std::string OrderList(const TStringList& List) const;
    bool IsSQLite() const;
    // A BLOB column of a server that cannot sort by one.
    bool KeyNotOrderable(const std::string& Name) const;
    // Literal of a value as the statement for TargetType needs it.
    // Stored: the value as the target column stores it, where that differs
    // from the field's own (SQLite affinity); nullptr for the field's value.
    std::string ValueLiteral(TField& Field, const TField* TargetField, bool Single, bool ForWhere,
                             const TValue* Stored = nullptr);
    std::string StorageClassLiteral(TField& Field, const TValue* Stored) const;
    std::string TypedLiteral(TField& Field, const TField* TargetField, bool Single, bool ForWhere);
    std::string TextLiteral(TField& Field, bool ForWhere);

    TVelmorin* m_comparer;
    TQELCustomConnection* m_connection = nullptr;
    TStringList m_keyFields;
    TStringList m_dataFields;
    TStringList m_excludeFields;
    std::map<std::string, TColumnInfo> m_columnInfo; // by the name as stored
    std::optional<std::string> m_storedTableName; // none until resolved
    bool m_storedFromCatalogue = false; // the catalogue holds a table of that name
    bool m_keysFromColumns = false; // KeyList defaulted to every column
    bool m_keysFromCatalogue = false; // KeyList is the primary or unique key
    bool m_dataFromUser = false; // DataList came from an event or a given list
    bool m_keysFromUser = false; // KeyList came from an event or a given list
};

} // namespace qel
