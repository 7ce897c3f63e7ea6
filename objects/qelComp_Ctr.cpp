#include "qelComp_Ctr.h"

#include "qelComp_Fld.h"
#include "qelCustomObjs.h"

namespace qel {

TCtrData::TCtrData(TCustomObjs* AObjs) : TDbObj(AObjs)
{
    SetConstraintKind(ckForeignKey);
    SetObjectType(TDbObject::dboConstraint);
}

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

} // namespace qel
