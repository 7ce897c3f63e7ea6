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
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace qel;
using K = TDbObject;

TEST(DataTypeNames, CodesIndexTheNames)
{
    EXPECT_EQ(DataTypeNames.size(), 97u);
    EXPECT_EQ(DataTypeNames[0], "? DataType");
    EXPECT_EQ(DataTypeNames[21], DataTypeNames[19]); // the time-zone variants repeat the names
    EXPECT_EQ(DataTypeNames[22], "TIMESTAMP");
    EXPECT_EQ(DataTypeNames[84], "TABLE");
    EXPECT_EQ(DataTypeNames[93], "INT4");
    EXPECT_EQ(DataTypeNames[96], "BOOLEAN");
    EXPECT_EQ(DataTypeName(dtDomain), "");
    EXPECT_EQ(DataTypeName(-1), "");
}

// Every family stands for its kind from construction on, including the
// ones whose kind the parsers never set (events, operators, schemas).
TEST(ObjectKinds, EachClassSetsItsKind)
{
    TObjs objs;
    const std::pair<std::function<std::unique_ptr<TDbObj>()>, K> cases[] = {
        {[&] { return std::make_unique<TFldData>(&objs); }, K::dboField},
        {[&] { return std::make_unique<TTblData>(&objs); }, K::dboTable},
        {[&] { return std::make_unique<TPblData>(&objs); }, K::dboPublication},
        {[&] { return std::make_unique<TSchData>(&objs); }, K::dboSchema},
        {[&] { return std::make_unique<TIdxData>(&objs); }, K::dboIndex},
        {[&] { return std::make_unique<TCtrData>(&objs); }, K::dboConstraint},
        {[&] { return std::make_unique<TGnrData>(&objs); }, K::dboGenerator},
        {[&] { return std::make_unique<TPkgData>(&objs); }, K::dboPackage},
        {[&] { return std::make_unique<TRolData>(&objs); }, K::dboRole},
        {[&] { return std::make_unique<TGntData>(&objs); }, K::dboGrant},
        {[&] { return std::make_unique<TPrcData>(&objs); }, K::dboProcedure},
        {[&] { return std::make_unique<TMemberPrcData>(&objs); }, K::dboProcedure},
        {[&] { return std::make_unique<TTrgData>(&objs); }, K::dboTrigger},
        {[&] { return std::make_unique<TViwData>(&objs); }, K::dboView},
        {[&] { return std::make_unique<TDmnData>(&objs); }, K::dboDomain},
        {[&] { return std::make_unique<TUdfData>(&objs); }, K::dboFunction},
        {[&] { return std::make_unique<TExcData>(&objs); }, K::dboException},
        {[&] { return std::make_unique<TEvtData>(&objs); }, K::dboEvent},
        {[&] { return std::make_unique<TDefData>(&objs); }, K::dboDefault},
        {[&] { return std::make_unique<TCltData>(&objs); }, K::dboCollation},
        {[&] { return std::make_unique<TRulData>(&objs); }, K::dboRule},
        {[&] { return std::make_unique<TOprData>(&objs); }, K::dboOperator},
        {[&] { return std::make_unique<TOpcData>(&objs); }, K::dboOperatorClass},
    };
    for (const auto& [make, kind] : cases) {
        const std::unique_ptr<TDbObj> obj = make();
        EXPECT_EQ(obj->ObjectType(), kind) << obj->ClassName();
        EXPECT_EQ(obj->Objs(), &objs) << obj->ClassName();
    }
}

// Owned parts: a table column owns an identity generator (which has no
// value field, so the two never recurse), a stand-alone generator owns its
// value field, a domain its base field; parts point back at their owner.
TEST(OwnedParts, EachOwnerMakesItsParts)
{
    TObjs objs;
    TTblData table(&objs);
    auto* column = table.Fields.Add("ID", std::make_unique<TFldData>(&objs, &table));
    ASSERT_NE(column->IdentityGenerator, nullptr);
    EXPECT_EQ(column->IdentityGenerator->ValueField, nullptr);
    EXPECT_EQ(column->GetParentObj(), &table);
    EXPECT_TRUE(column->Nullable);
    EXPECT_EQ(column->Logged, -1);

    TViwData view(&objs);
    EXPECT_EQ(TFldData(&objs, &view).IdentityGenerator, nullptr);
    EXPECT_EQ(TFldData(&objs).IdentityGenerator, nullptr);

    TGnrData generator(&objs);
    ASSERT_NE(generator.ValueField, nullptr);
    EXPECT_EQ(generator.ValueField->Parent, &generator);
    EXPECT_EQ(generator.ValueField->IdentityGenerator, nullptr);

    TDmnData domain(&objs);
    EXPECT_EQ(domain.BaseField->Parent, &domain);
    EXPECT_EQ(domain.PGTypeOptions.Owner, &domain);
    EXPECT_EQ(DataTypeName(domain.PGTypeOptions.Alignment), "INT4");
    EXPECT_EQ(domain.PGTypeOptions.InternalLength, -1);
    EXPECT_EQ(domain.PGTypeOptions.Storage, "plain");

    TUdfData udf(&objs);
    EXPECT_EQ(udf.ResultField->Parent, nullptr);

    TEvtData event(&objs);
    EXPECT_EQ(event.AddSchedule()->Event, &event);
    TOpcData opclass(&objs);
    EXPECT_EQ(opclass.AddOperator()->OpClass, &opclass);
    EXPECT_EQ(opclass.AddFunction()->OpClass, &opclass);
    TPblData publication(&objs);
    EXPECT_EQ(publication.AddArticle()->Publication, &publication);
}

// Linked parts go with their owners: the table frees its column, the column
// its generator, and each removes the links that reach it, whichever goes
// first (the address sanitizer checks that nothing is left or read late).
TEST(OwnedParts, LinkedPartsFreeFully)
{
    TObjs objs;
    auto table = std::make_unique<TTblData>(&objs);
    table->SetName("T");
    auto* column = table->Fields.Add("ID", std::make_unique<TFldData>(&objs, table.get()));
    column->SetName("ID");
    TGnrData sequence(&objs);
    sequence.SetName("SEQ");
    AddDependency(&objs, column, column->IdentityGenerator.get(), 1, 1, {});
    AddDependency(&objs, column->IdentityGenerator.get(), column, 1, 1, {});
    AddDependency(&objs, column, &sequence, 1, 1, {});
    AddDependency(&objs, sequence.ValueField.get(), table.get(), 1, 1, "ID");
    ASSERT_EQ(sequence.UsedBy.Count(), 1);
    ASSERT_EQ(column->UsedBy.Count(), 2);
    table.reset();
    EXPECT_TRUE(sequence.UsedBy.Empty());
    EXPECT_TRUE(sequence.ValueField->Uses.Empty());
}

TEST(TFldData, ExternalRoutineParamNeedsALanguage)
{
    TObjs objs;
    TPrcData routine(&objs);
    TTblData table(&objs);
    TFldData param(&objs, &routine), column(&objs, &table), loose(&objs);
    EXPECT_FALSE(param.IsExternalRoutineParam());
    routine.Language = "java";
    EXPECT_TRUE(param.IsExternalRoutineParam());
    EXPECT_FALSE(column.IsExternalRoutineParam());
    EXPECT_FALSE(loose.IsExternalRoutineParam());
    EXPECT_EQ(column.GetParentName(), table.Name());
    loose.TableName = "T";
    EXPECT_EQ(loose.GetParentName(), "T");
}
