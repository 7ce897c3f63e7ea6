#include "qelComp_Tbl.h"

#include "qelComp_Fld.h"

namespace qel {

TTblData::TTblData(TCustomObjs* AObjs) : TDbObj(AObjs)
{
    Fields.CaseSensitive = GetDatabaseType() != TDatabaseType::dbMSSQL;
    SetObjectType(TDbObject::dboTable);
}

TTblData::~TTblData() = default;

TPblArtData::TPblArtData(TPblData* APublication) : Publication(APublication) {}

TPblArtData::~TPblArtData() = default;

TPblData::TPblData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboPublication); }

TPblData::~TPblData() = default;

TPblArtData* TPblData::AddArticle()
{
    Articles.push_back(std::make_unique<TPblArtData>(this));
    return Articles.back().get();
}

TSchData::TSchData(TCustomObjs* AObjs) : TDbObj(AObjs) { SetObjectType(TDbObject::dboSchema); }

} // namespace qel
