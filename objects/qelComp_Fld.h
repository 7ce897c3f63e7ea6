// Columns, routine parameters and the fields that carry a domain's or a
// generator's type, and the table of data-type names their type codes index.
#pragma once

#include "qelClasses.h"
#include "qelStrings.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TGnrData;
class TTblData;

// The type names by code, 0 "? DataType" to 96 "BOOLEAN". Codes 21 and 22
// repeat TIME and TIMESTAMP: they are the time-zone variants.
inline constexpr int DataTypeCount = 97;
extern const std::array<std::string_view, DataTypeCount> DataTypeNames;
// A column based on a domain or user type, whose name is in DomainName.
inline constexpr std::uint8_t dtDomain = 97;
// The name of a type code; empty for the domain code and anything beyond.
std::string_view DataTypeName(int Code);

// One dimension of an array column.
struct TArrayBound {
    std::int32_t Lower = 0;
    std::int32_t Upper = 0;
};

// One column of a table or view, one parameter or result of a routine or
// external function, or the field that carries a domain's or a generator's
// type. Owns its identity generator (made only under a table), the table type
// of a TABLE column and the ENUM/SET members; Parent is its owner and is not
// owned. The computed expression is Body, the comment Description.
class TFldData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboField;
    explicit TFldData(TCustomObjs* AObjs, TDbObj* AParent = nullptr);
    ~TFldData() override;
    // A column by its tag; a routine's parameter, which is written and
    // described as one, once its parser says so.
    void MarkAsParam() { SetObjectType(TDbObject::dboParam); }
    std::string ClassName() const override { return "TFldData"; }

    std::string GetDisplayName() const override { return Name(); }
    TDbObj* GetParentObj() const override { return Parent; }
    // The owner's name, or TableName for a field without one.
    std::string GetParentName() const override;

    // True for a parameter of a routine that names an external language.
    bool IsExternalRoutineParam() const;

    // ---- texts ----
    // The column or parameter text: name and definition.
    //   IB "C VARCHAR(10) DEFAULT 'it''s'", MS SQL "C CHAR(1) NULL", "@p INTEGER"
    std::string GetCreateDDL() const override;
    // The same text for a column of a primary key that is added apart from
    // CREATE TABLE: InterBase declares it NOT NULL, which the key needs and
    // which Firebird gives every column of a key made with its table, a
    // column of a NOT NULL domain too (an identity is never null):
    //   "ID INTEGER" -> "ID INTEGER NOT NULL", "ID D" -> "ID D NOT NULL"
    std::string GetKeyColumnDDL() const;
    // "ALTER TABLE T ADD C INTEGER"; under MS SQL a NOT NULL column takes its
    // one-column default constraint in line, which then counts as existing.
    std::string GetCreateScript() override;
    // A computed column put in the place a placeholder held:
    //   "ALTER TABLE T ALTER C COMPUTED BY (A * 2)",
    //   "ALTER TABLE T ALTER C TYPE VARCHAR(30) COMPUTED BY (A || 'x')"
    std::string GetComputedAlterScript() const;
    // The type a Firebird computed column was declared with, ahead of its
    // COMPUTED BY, with a blank after it; empty when the server takes the
    // expression's type:
    //   "VARCHAR(30) CHARACTER SET UTF8 ", ""
    std::string IBComputedTypeText() const;
    // The type a computed column declared without one takes from its
    // expression where that can be told from the text and the collection
    // (Firebird 3 on, dialect 3); empty otherwise:
    //   "(IIF(A = 1, 1, 0))" -> "INTEGER", "(B || 'x')" -> "VARCHAR(11)"
    std::string IBExpressionTypeText() const;
    // The type of the placeholder "C <type> COMPUTED BY (NULL)" that holds a
    // computed column's place: the declared one, else the expression's, with
    // a blank after it; empty when neither is known.
    std::string IBPlaceholderTypeText() const;
    // "ALTER TABLE T DROP C"; MS SQL "... DROP COLUMN C", Oracle "... DROP (C)".
    std::string GetDropScript() const override;
    // DefaultValue; one in double quotes becomes a single-quoted literal:
    //   "it's" (with the double quotes) -> 'it''s'
    std::string GetDefaultValue() const;
    // The type alone, as routine parameter lists and keys write it:
    //   IB "VARCHAR(10)", PostgreSQL "timestamp(3) with time zone", "TYPE OF D"
    std::string GetTypeText() const;
    // Everything after the name, in the syntax of the collection's server:
    //   IB "INTEGER NOT NULL", MS SQL "DATETIME2(0) NULL", MySQL "INT UNSIGNED"
    std::string GetColumnDefinition() const;

    // ---- the walk ----
    // Before the column goes: routines that use it are emptied ("/* Empty P
    // for drop T(C) */"), computed columns ("/* Drop T(D) for drop T(C) */"),
    // indexes, constraints, publications and the views over its table go.
    void DropDependents() override;
    // The base walk, then its domain, then the external functions a computed
    // column calls.
    void CreateDependencies() override;
    // Creates the domain the column is based on when it does not exist: the
    // source side's (its own collection's without one).
    void CreateDomain();

    std::string DefaultValue;
    // The word a script gave the default with ("DEFAULT" in any case, or "="
    // for a parameter): Firebird keeps the clause as written. Empty: the
    // usual one.
    std::string DefaultWord;
    std::uint8_t DataType = 0;
    std::int32_t Length = 0; // -1 means MAX
    std::int32_t Precision = 0;
    std::int32_t Scale = 0;
    bool Nullable = true;
    bool Unsigned = false;
    bool ZeroFill = false;
    bool BinaryAttr = false;
    bool AutoIncrement = false;
    std::string DomainName;
    std::string DomainSchema;
    std::string TableName;
    TDbObj* Parent = nullptr;
    std::string CharSet;
    std::string CheckText;
    std::string CheckName;
    std::string Collation;
    std::int32_t SubType = 0;
    std::int32_t SegmentSize = 0;
    bool TypeOf = false;
    std::string TypeOfTable;
    std::string TypeOfColumn;
    std::vector<TArrayBound> ArrayBounds;
    std::uint8_t Direction = 0; // 0 none, 1 in, 2 out, 3 inout, 4 variadic
    bool ByValue = false;
    bool ByDescriptor = false;
    std::int32_t ParamNumber = 0;
    bool Deterministic = false;
    TStringList Values;
    bool Identity = false;
    std::int32_t IdentitySeed = 0;
    std::int32_t IdentityIncrement = 0;
    std::unique_ptr<TGnrData> IdentityGenerator;
    char GeneratedKind = '\0'; // 'A' always, 'D' by default; blank or zero: none
    std::string GeneratedExpr;
    bool RowGuidCol = false;
    bool Persisted = false;
    std::string XmlSchema;
    bool IsRef = false;
    bool WithTimeZone = false;
    bool WithLocalTimeZone = false;
    std::string KeyName;
    std::unique_ptr<TTblData> TableType;
    std::int32_t Logged = -1; // -1 unset, 0 NOT LOGGED, 1 LOGGED
    std::int32_t Compact = -1;
    bool ForBitData = false;
    bool IsJava = false;
    std::string JavaClass;
    // A key column of an index: 1 ascending, 2 descending.
    std::uint8_t SortOrder = 0;

    bool IsColumn() const override { return true; }

protected:
    // The column's own description.
    void WriteCreateDescriptions(TStatementSink& Executor) override;
    // A view's column cannot go alone: its view goes.
    void DropForUsed(const TDbObj& Used) override;

private:
    // The type code, with a code outside the table read as 0.
    std::uint8_t TypeCode() const;
    // GetTypeText of the declared type, a computed column's included.
    std::string DeclaredTypeText() const;
    // The parent when it is of the class asked for; anything else is absent.
    const TTblData* ParentTable() const;
    bool IsRoutineParam() const;
    // The table part of ALTER TABLE for this column's table.
    std::string AddTableText() const;
    std::string DropTableText() const;
    // " DEFAULT x", or " = x" for a routine parameter; empty without a default.
    std::string DefaultClause() const;
    std::string IBDefaultClause() const;
    // The column definitions of each server family.
    std::string IBColumnDefinition(bool KeyColumn = false) const;
    std::string IBIdentityOptionsText(TIBSQLServerVersionType Version) const;
    std::string ColumnText(bool KeyColumn) const;
    std::string ASAColumnDefinition() const;
    std::string MySQLColumnDefinition() const;
    std::string OracleColumnDefinition() const;
    std::string MSSQLColumnDefinition() const;
    std::string PGColumnDefinition() const;
    std::string DB2ColumnDefinition() const;
    std::string ASEColumnDefinition() const;
};

} // namespace qel
