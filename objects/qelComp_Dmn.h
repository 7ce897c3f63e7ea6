// Domains and user-defined types, with the options of a PostgreSQL type.
#pragma once

#include "qelClasses.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TDmnData;
class TFldData;
class TMemberPrcData;

// The options of a PostgreSQL CREATE TYPE. Owns its composite attributes and
// the element field; Owner is the domain that owns the options.
class TPGTypeOptions {
public:
    explicit TPGTypeOptions(TDmnData* AOwner);
    ~TPGTypeOptions();
    TPGTypeOptions(const TPGTypeOptions&) = delete;
    TPGTypeOptions& operator=(const TPGTypeOptions&) = delete;

    // What follows the type's name: a composite type " AS (\r\na integer,\r\n
    // b text)", a base type "(\r\nINPUT = in_f,\r\nOUTPUT = out_f,\r\n
    // ALIGNMENT = int4,\r\nSTORAGE = plain)"; nothing when no option is given
    // (a shell type).
    std::string GetText() const;

    TDmnData* Owner;
    bool IsType = false; // a type, not a domain
    std::string Input;
    std::string Output;
    std::string Receive;
    std::string Send;
    std::string Analyze;
    std::int32_t InternalLength = -1; // -1: not given
    std::int32_t ExternalLength = -1;
    bool PassedByValue = false;
    std::uint8_t Alignment = 93; // a data-type code ("INT4"); 0: not written
    std::string Storage = "plain";
    std::string Default;
    std::unique_ptr<TFldData> Element; // the element type; none when not given
    std::string Delimiter;
    TOwnedNameList<TFldData> Attributes;
};

// One domain or user-defined type. Owns BaseField (the base type with its
// nullability, default and check; its Parent is the domain), the attribute
// and member lists, the type directive and the PostgreSQL options. Body is
// the XML of an XML schema collection.
class TDmnData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboDomain;
    explicit TDmnData(TCustomObjs* AObjs);
    ~TDmnData() override;
    std::string ClassName() const override { return "TDmnData"; }

    std::string GetDisplayName() const override { return Name(); }
    // By server type: MS SQL/ASE CREATE TYPE ... FROM, sp_addtype or an XML
    // schema collection; Oracle GetOracleTypeText; PostgreSQL CREATE TYPE or
    // CREATE DOMAIN; InterBase "CREATE DOMAIN D AS INTEGER NOT NULL"; others
    // "CREATE DOMAIN D INTEGER".
    std::string GetCreateDDL() const override;
    // "exec sp_droptype 'D'" (ASE, MS SQL 2000), "DROP TYPE dbo.D" (later MS SQL,
    // Oracle, PostgreSQL types), "DROP DOMAIN s.d" (PostgreSQL), else the
    // base text with its comment line.
    std::string GetDropScript() const override;

    // "CREATE OR REPLACE TYPE T AS VARRAY(10) OF VARCHAR2(30)", an OBJECT
    // with attributes and members, a TABLE OF, a subtype UNDER another, then
    // the directive and the attributes added by ALTER TYPE.
    std::string GetOracleTypeText() const;
    // "  (A NUMBER,\r\n   B DATE)"; the Attributes of a type with members
    // leave the parenthesis open for the members to close.
    std::string GetAttributesText(const TOwnedNameList<TFldData>& List) const;
    // "   MEMBER FUNCTION F RETURN NUMBER)"; empty without members.
    std::string GetMembersText() const;

    // ---- the walk ----
    // The base walk, then the domains this one uses.
    void CreateDependencies() override;
    // Refused, with nothing written, when a table column based on the domain
    // cannot be given the domain's own type on the server: the log says
    // "Cannot drop domain D: column C of table T uses it, and ...".
    void DropObject() override;
    // No table and no column goes for a domain: each table column based on
    // it gets the domain's own type, with the domain's NOT NULL, default and
    // check put on the column (keys over the column, which Firebird will not
    // retype, and views over it, which PostgreSQL will not, go for the
    // change and come back after). Every other user follows the base walk;
    // domains and views that use the domain go.
    void DropDependents() override;

    // The table columns based on the domain, by its links (a table's link
    // stands for its columns of the domain), each once.
    std::vector<TFldData*> BasedColumns() const;
    // Why Column cannot be given the domain's own type on the server; empty
    // when it can.
    std::string ColumnChangeRefusal(const TFldData& Column) const;
    // The statements that give Column the domain's own type and put the
    // domain's NOT NULL, default and check on it (VALUE becomes the
    // column's name):
    //   "ALTER TABLE T ALTER COLUMN C TYPE INTEGER"
    //   "ALTER TABLE T ALTER COLUMN C SET NOT NULL"
    //   "ALTER TABLE T ALTER COLUMN C SET DEFAULT 1"
    //   "ALTER TABLE T ADD CHECK (C > 0)"
    std::vector<std::string> ColumnChangeTexts(const TFldData& Column) const;

    std::unique_ptr<TFldData> BaseField;
    std::string BaseTypeText; // "XML SCHEMA COLLECTION" marks such a collection; "TABLE" and "EXTERNAL" an MS SQL table or CLR type whose Body is its definition
    std::uint8_t OracleTypeKind = 0; // 2 object, 3 VARRAY, 4 nested table, 5 the same written with IS
    std::int32_t VarrayLimit = 0;
    TOwnedNameList<TFldData> Attributes;
    TOwnedNameList<TMemberPrcData> Members;
    TOwnedNameList<TFldData> AddedAttributes;
    bool Cascade = false;
    std::string TimestampText;
    std::string OidText;
    std::string SuperType;
    TTypeDirective TypeDirective;
    TPGTypeOptions PGTypeOptions;
    bool UseCreateType = false;
};

} // namespace qel
