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
// set.
class TCtrData : public TDbObj {
public:
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

private:
    TConstraintKind m_constraintKind = ckForeignKey;
    std::string m_tableName;
    std::string m_refTableName;
    std::string m_refSchema;
};

} // namespace qel
