// Table constraints: primary, unique and foreign keys, checks, MS SQL/ASE
// defaults, Oracle NOT NULL and column REFERENCES clauses.
#pragma once

#include "qelClasses.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qel {

class TFldData;

// The kind of a constraint; 4 has neither producer nor text.
using TConstraintKind = std::uint8_t;
inline constexpr TConstraintKind ckPrimaryKey = 0;
inline constexpr TConstraintKind ckUnique = 1;
inline constexpr TConstraintKind ckForeignKey = 2;
inline constexpr TConstraintKind ckCheck = 3;
inline constexpr TConstraintKind ckDefault = 5;
inline constexpr TConstraintKind ckNotNull = 6;
inline constexpr TConstraintKind ckReferences = 7;

// One constraint. Owns its column lists (constrained and referenced) and its
// option objects. Body is the check condition or the default value. A new
// constraint is a foreign key of object type dboConstraint until its kind is
// set; the object type then follows the constraint kind, which the parsers
// and catalogue readers learn only after they made the object, so the type
// stays a run-time value here.
class TCtrData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboConstraint;
    explicit TCtrData(TCustomObjs* AObjs);
    ~TCtrData() override;
    std::string ClassName() const override { return "TCtrData"; }

    TConstraintKind ConstraintKind() const { return m_constraintKind; }
    // Stores the kind and takes the object type from it, the top bit
    // ignored: 0 dboPKey, 1 dboUnique, 2 dboFKey, 3 dboCheck, 5 dboDefault,
    // 7 dboReferences; 4 and 6 keep the type.
    void SetConstraintKind(TConstraintKind Value);

    // The three names follow SetName's case rule: upper-cased (ASCII) under
    // MS SQL unless identifiers are case-sensitive.
    const std::string& TableName() const { return m_tableName; }
    void SetTableName(std::string_view Value);
    const std::string& RefTableName() const { return m_refTableName; }
    void SetRefTableName(std::string_view Value);
    const std::string& RefSchema() const { return m_refSchema; }
    void SetRefSchema(std::string_view Value);

    TTableSpace TableSpace;
    TOwnedNameList<TFldData> Fields;
    std::string RefOwner;
    std::string RoleName;
    TOwnedNameList<TFldData> RefFields;
    std::uint8_t MatchType = 0;  // 1 full, 2 partial
    std::uint8_t UpdateRule = 0; // 1 restrict, 2 cascade, 3 set default, 4 set null
    std::uint8_t DeleteRule = 0;
    bool DescIndex = false;
    std::string IndexName;
    bool CheckOnCommit = false;
    bool Clustered = false;
    bool WithCheck = false;
    bool WithNoCheck = false;
    bool NotForReplication = false;
    bool Deferrable = false;
    bool InitiallyDeferred = false;
    bool DeferredConstraint = false;
    TIndexOptions Options;

    // ---- texts ----
    // Name, else DisplayName, else the CREATE text.
    std::string GetDisplayName() const override;
    // A named constraint: the base key. An unnamed one: its CREATE text,
    // written with no name quoted (InterBase dialect 1 for the while), so
    // that two equal definitions on one table share a key.
    std::string GetKey() const override;
    // "ALTER TABLE T1 ADD CONSTRAINT FK_X FOREIGN KEY (A) REFERENCES T2 (B)
    // ON DELETE CASCADE\r\nUSING INDEX IX"; Oracle NOT NULL "ALTER TABLE T
    // MODIFY (A CONSTRAINT NN_A NOT NULL)".
    std::string GetCreateDDL() const override;
    // "ALTER TABLE T DROP CONSTRAINT FK_X"; MySQL by kind ("... DROP PRIMARY
    // KEY"); an unnamed one "/* drop constraint: <CREATE text> */\r\n", or
    // its SQL Anywhere or InterBase primary-key statement. Firebird 2.0 and
    // later drop an unnamed key or check by the name the server gave it
    // (GetServerNamedDropText).
    std::string GetDropScript() const override;
    // A block for the executor's procedure kind when the drop text is one.
    TStatType GetDropStatType() const override;
    // True for an unnamed primary, unique or foreign key or check on
    // Firebird 2.0 and later, which has no name a script could know.
    bool DropsByServerName() const;
    // The EXECUTE BLOCK that finds an unnamed constraint in the catalogue by
    // its table, kind and index columns in order (a foreign key also by its
    // referenced table; a check by its source text, blanks aside) and drops
    // it by the server's name; it fails unless exactly one matches:
    //   EXECUTE BLOCK AS ... FOR SELECT RC.RDB$CONSTRAINT_NAME FROM
    //   RDB$RELATION_CONSTRAINTS RC WHERE RC.RDB$RELATION_NAME = 'T' AND
    //   RC.RDB$CONSTRAINT_TYPE = 'UNIQUE' AND ... DO K = K + 1; ...
    //   EXECUTE STATEMENT 'ALTER TABLE T DROP CONSTRAINT ' || TRIM(N); END
    std::string GetServerNamedDropText() const;
    // A primary or unique key: the foreign keys that reference it go first
    // (InterBase reconnects before).
    void DropDependents() override;
    // The tables and table columns it uses are created first.
    void CreateDependencies() override;
    // "A, B"
    std::string GetFieldsText() const;
    std::string GetRefFieldsText() const;
    // The clause after ADD: "CONSTRAINT PK_T PRIMARY KEY (A)". In a column
    // definition (InColumn) an MS SQL default on that column alone ends
    // after its value: "CONSTRAINT DF_C DEFAULT 0"; else "... DEFAULT 0 FOR C".
    std::string GetConstraintText(bool InColumn) const;
    const char* SystemConstraintPrefix() const override;

private:
    // The kind without its top bit.
    int BareKind() const { return m_constraintKind & 0x7F; }
    // The constrained table as the statements write it.
    std::string TableText() const;
    // The referenced table of a foreign key.
    std::string RefTableText() const;
    // "\r\nUSING INDEX IX" (InterBase), " IX" (others); empty without one.
    std::string IndexClause() const;
    std::string ForeignKeyText() const;

    TConstraintKind m_constraintKind = ckForeignKey;
    std::string m_tableName;
    std::string m_refTableName;
    std::string m_refSchema;
};

} // namespace qel
