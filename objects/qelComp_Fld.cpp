#include "qelComp_Fld.h"

#include "qelComp_Gnr.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"

namespace qel {

const std::array<std::string_view, DataTypeCount> DataTypeNames = {
    "? DataType", "INTEGER", "BIGINT", "FLOAT", "DOUBLE PRECISION", "FLOAT4", "FLOAT8", "DECFLOAT", "TINYINT",
    "REAL", "DOUBLE", "NUMBER", "LONG", "LONG RAW", "VARCHAR", "CHAR", "LONG VARCHAR", "VARCHAR2", "DATE", "TIME",
    "TIMESTAMP", "TIME", "TIMESTAMP", "DATETIME", "DATETIME2", "SMALLDATETIME", "DATETIMEOFFSET", "GRAPHIC",
    "VARGRAPHIC", "Geometry", "Point", "Curve", "LineString", "Surface", "Polygon", "GeometryCollection",
    "MultiPoint", "MultiCurve", "MultiLineString", "MultiSurface", "MultiPolygon", "BLOB", "CLOB", "DBCLOB",
    "BINARY", "LONG BINARY", "NUMERIC", "DECIMAL", "TEXT", "NCHAR", "NVARCHAR", "NVARCHAR2", "NTEXT", "NCLOB",
    "SMALLINT", "QUAD", "CSTRING", "NATIONAL CHAR", "RAW", "ROWID", "UROWID", "MEDIUMINT", "YEAR", "TINYBLOB",
    "MEDIUMBLOB", "LONGBLOB", "TINYTEXT", "MEDIUMTEXT", "LONGTEXT", "ENUM", "SET", "BIT", "VARBIT", "MONEY",
    "SMALLMONEY", "GUID", "VARBINARY", "IMAGE", "BFILE", "UNIQUEIDENTIFIER", "SYSNAME", "SQL_VARIANT", "CURSOR",
    "CURSOR VARYING", "TABLE", "XML", "INTERVAL YEAR TO MONTH", "INTERVAL DAY TO SECOND", "SERIAL", "BIGSERIAL",
    "BYTEA", "INTERVAL", "INT2", "INT4", "INT8", "OID", "BOOLEAN",
};

std::string_view DataTypeName(int Code)
{
    return Code >= 0 && Code < DataTypeCount ? DataTypeNames[static_cast<std::size_t>(Code)] : std::string_view{};
}

TFldData::TFldData(TCustomObjs* AObjs, TDbObj* AParent) : TDbObj(AObjs), Parent(AParent)
{
    SetObjectType(TDbObject::dboField);
    // Only a table column can be an identity; its generator never has a
    // value field of its own, so the two constructors cannot recurse.
    if (dynamic_cast<TTblData*>(AParent) != nullptr) IdentityGenerator = std::make_unique<TGnrData>(AObjs, this);
}

TFldData::~TFldData() = default;

std::string TFldData::GetParentName() const { return Parent != nullptr ? Parent->Name() : TableName; }

bool TFldData::IsExternalRoutineParam() const
{
    const auto* routine = dynamic_cast<const TPrcData*>(Parent);
    return routine != nullptr && !routine->Language.empty();
}

} // namespace qel
