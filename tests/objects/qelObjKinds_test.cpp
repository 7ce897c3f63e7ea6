#include "qelComp_Ctr.h"
#include "qelComp_Def.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Opr.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Rul.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelObjKinds.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace qel;

namespace {

// One class: how to make one, its class test by tag and by cast.
struct TClassRow {
    std::function<std::unique_ptr<TDbObj>(TObjs&)> Make;
    bool (*ByTag)(const TDbObj&);
    bool (*ByCast)(const TDbObj&);
};

template <class T>
TClassRow Row()
{
    return {[](TObjs& Objs) { return std::make_unique<T>(&Objs); }, &Is<T>,
            [](const TDbObj& Obj) { return dynamic_cast<const T*>(&Obj) != nullptr; }};
}

std::vector<TClassRow> Classes()
{
    return {Row<TTblData>(), Row<TPblData>(), Row<TSchData>(), Row<TIdxData>(), Row<TCtrData>(), Row<TGnrData>(),
            Row<TPkgData>(), Row<TRolData>(), Row<TGntData>(), Row<TPrcData>(), Row<TTrgData>(), Row<TViwData>(),
            Row<TDmnData>(), Row<TUdfData>(), Row<TExcData>(), Row<TEvtData>(), Row<TDefData>(), Row<TCltData>(),
            Row<TRulData>(), Row<TOprData>(), Row<TOpcData>(), Row<TFldData>(), Row<TDependObj>()};
}

} // namespace

// A class that forgot its own tag would pass for another class (or for a
// plain object): every class answers every class test as a cast does.
TEST(ObjKinds, TagTestAgreesWithTheCastForEveryPairOfClasses)
{
    TObjs objs;
    const std::vector<TClassRow> classes = Classes();
    for (const TClassRow& made : classes) {
        const std::unique_ptr<TDbObj> obj = made.Make(objs);
        for (const TClassRow& test : classes) EXPECT_EQ(test.ByTag(*obj), test.ByCast(*obj)) << obj->ClassName();
        EXPECT_EQ(obj->ClassKind(), obj->ObjectType()) << obj->ClassName();
    }
}

// Where a kind is shared the class decides: a default constraint and a
// default are both dboDefault yet filed apart, a link to a table is no table,
// a parameter is still a column.
TEST(ObjKinds, SharedKindsAreToldApartByClass)
{
    TObjs objs;
    auto* ctr = static_cast<TCtrData*>(objs.AddObject(std::make_unique<TCtrData>(&objs)));
    ctr->SetName("DF_A");
    ctr->SetConstraintKind(ckDefault);
    auto* def = objs.AddObject(std::make_unique<TDefData>(&objs));
    EXPECT_EQ(ctr->ObjectType(), def->ObjectType());
    EXPECT_TRUE(Is<TCtrData>(*ctr));
    EXPECT_FALSE(Is<TDefData>(*ctr));
    EXPECT_FALSE(Is<TCtrData>(*def));

    TTblData table(&objs);
    const TDependObj link(&objs, table.ObjectType());
    EXPECT_EQ(link.ObjectType(), TDbObject::dboTable);
    EXPECT_FALSE(Is<TTblData>(link));

    TFldData param(&objs);
    param.MarkAsParam();
    EXPECT_EQ(param.ObjectType(), TDbObject::dboParam);
    EXPECT_TRUE(Is<TFldData>(param));
}

// The rows the script, the descriptions and the parsers' messages read.
TEST(ObjKinds, RowsHoldWhatTheKindsAreKnownBy)
{
    struct TCase {
        TDbObject Kind;
        std::string FileWord;
        TDescribed Described;
        std::string MessageWord;
    };
    using enum TDbObject;
    using D = TDescribed;
    const TCase cases[] = {
        {dboProcedure, "procedure", D::Procedure, "Procedure"}, {dboFunction, "udf", D::ExternalFunction, ""},
        {dboConstraint, "constraint", D::Constraint, ""},       {dboCheck, "", D::None, "Check-constraint"},
        {dboDefault, "", D::None, ""},                          {dboField, "", D::Column, ""},
        {dboUseOfList, "", D::None, ""},
    };
    for (const TCase& c : cases) {
        const TKindInfo& info = KindInfo(c.Kind);
        EXPECT_EQ(info.Kind, c.Kind);
        EXPECT_EQ(info.FileWord, c.FileWord);
        EXPECT_EQ(info.Described, c.Described);
        EXPECT_EQ(info.MessageWord, c.MessageWord);
    }
    EXPECT_EQ(KindInfo(static_cast<TDbObject>(kDbObjectCount)).Kind, TDbObject::dboUnknown);
}
