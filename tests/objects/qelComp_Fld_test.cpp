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
#include "qelDDLTestSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

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

// ---- column texts ----------------------------------------------------------

namespace {

using qeltest::TDDLRow;
using DT = TDatabaseType;
using V = TIBSQLServerVersionType;
using F = TFldData;

void Version(F& f, V v) { f.Objs()->IBServerOptions().SQLServerVersion = v; }

// Column C INTEGER (a parameter of a routine with Param), adjusted by Setup:
// its column text.
TDDLRow Col(const char* Label, DT Server, std::function<void(F&)> Setup, const char* Expected, bool Param = false)
{
    return {Label, Server, [=](TObjs& o) {
                TPrcData routine(&o);
                F f(&o, Param ? &routine : nullptr);
                f.SetName("C"), f.DataType = 1;
                Setup(f);
                return f.GetCreateDDL();
            }, Expected};
}

class ColumnTextTest : public qeltest::TDDLTest {};
TEST_P(ColumnTextTest, WritesTheExactText) { Check(); }

INSTANTIATE_TEST_SUITE_P(Rows, ColumnTextTest, ::testing::ValuesIn(std::vector<TDDLRow>{
    Col("IB CHAR(1)", DT::dbInterBase, [](F& f) { f.DataType = 15, f.Length = 1; }, "C CHAR"),
    Col("MSSQL CHAR(1)", DT::dbMSSQL, [](F& f) { f.DataType = 15, f.Length = 1; }, "C CHAR(1) NULL"),
    Col("MSSQL MAX", DT::dbMSSQL, [](F& f) { f.DataType = 14, f.Length = -1; }, "C VARCHAR(MAX) NULL"),
    Col("IB MAX", DT::dbInterBase, [](F& f) { f.DataType = 14, f.Length = -1; }, "C VARCHAR"),
    // Defaults are written under every version, Firebird 2.0 included.
    Col("FB25 default", DT::dbInterBase, [](F& f) { f.DataType = 14, f.Length = 10, f.DefaultValue = "\"it's\""; },
        "C VARCHAR(10) DEFAULT 'it''s'"),
    Col("FB20 default", DT::dbInterBase, [](F& f) { Version(f, V::st_Firebird_20), f.DataType = 14, f.Length = 10,
        f.DefaultValue = "\"it's\""; }, "C VARCHAR(10) DEFAULT 'it''s'"),
    Col("IB dialect 1", DT::dbInterBase, [](F& f) { f.Objs()->IBServerOptions().SQLDialect = 1, f.DataType = 20; },
        "C DATE"),
    Col("IB dialect 1 TIME", DT::dbInterBase, [](F& f) { f.Objs()->IBServerOptions().SQLDialect = 1, f.DataType = 19; },
        "C TIME"),
    Col("IB dialect 2", DT::dbInterBase, [](F& f) { f.Objs()->IBServerOptions().SQLDialect = 2, f.DataType = 20; },
        "C TIMESTAMP"),
    {"PG time zone", DT::dbPostgreSQL, [](TObjs& o) { F f(&o); f.SetName("c"), f.DataType = 22, f.Precision = 3;
        return f.GetTypeText() + " | " + f.GetCreateDDL(); }, "timestamp(3) with time zone | c timestamp(3) with time zone"},
    Col("DATETIME2(7)", DT::dbMSSQL, [](F& f) { f.DataType = 24, f.Precision = 7; }, "C DATETIME2 NULL"),
    Col("DATETIME2(0)", DT::dbMSSQL, [](F& f) { f.DataType = 24; }, "C DATETIME2(0) NULL"),
    Col("MSSQL parameter", DT::dbMSSQL, [](F& f) {
        f.Objs()->MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers = true, f.SetName("@p"); },
        "@p INTEGER", true),
    // Identities exist from Firebird 3 on and are never nullable; before,
    // the column keeps its NOT NULL.
    Col("FB40 identity", DT::dbInterBase, [](F& f) { Version(f, V::st_Firebird_40), f.SetName("ID"), f.Identity = true,
        f.Nullable = false; }, "ID INTEGER GENERATED BY DEFAULT AS IDENTITY"),
    Col("FB25 identity", DT::dbInterBase, [](F& f) { f.Identity = true, f.Nullable = false; }, "C INTEGER NOT NULL"),
    Col("IB2020 BIGINT", DT::dbInterBase, [](F& f) { Version(f, V::st_InterBase_2020), f.DataType = 2; },
        "C NUMERIC(18,0)"),
    Col("IB2020 dialect 1", DT::dbInterBase, [](F& f) { Version(f, V::st_InterBase_2020), f.DataType = 2,
        f.Objs()->IBServerOptions().SQLDialect = 1; }, "C INTEGER"),
    Col("code 200", DT::dbInterBase, [](F& f) { f.DataType = 200; }, "C ? DataType"),
    // Parameter defaults from Firebird 2.0 (and InterBase 7) on, never for
    // an output parameter.
    Col("FB25 parameter", DT::dbInterBase, [](F& f) { f.DefaultValue = "5"; }, "C INTEGER = 5", true),
    Col("FB15 parameter", DT::dbInterBase, [](F& f) { Version(f, V::st_FireBird_15), f.DefaultValue = "5"; },
        "C INTEGER", true),
    Col("output parameter", DT::dbInterBase, [](F& f) { f.Direction = 2, f.DefaultValue = "5"; }, "C INTEGER", true),
    Col("FB charset", DT::dbInterBase, [](F& f) {
        f.Objs()->IBServerOptions().IBCompareOptions().FldCharsetCompare = true;
        f.Objs()->IBServerOptions().SetDBCharSet("UTF8");
        f.DataType = 14, f.Length = 5, f.CharSet = "utf8", f.Collation = "UNICODE_CI"; },
        "C VARCHAR(5) CHARACTER SET utf8 COLLATE UNICODE_CI"),
    // A computed column keeps the type it was declared with, its set too;
    // without one the server takes the expression's.
    Col("FB typed computed", DT::dbInterBase, [](F& f) { f.DataType = 14, f.Length = 30, f.CharSet = "UTF8";
        f.SetBody("(A || 'x')"); }, "C VARCHAR(30) CHARACTER SET UTF8 COMPUTED BY (A || 'x')"),
    Col("FB computed", DT::dbInterBase, [](F& f) { f.DataType = 0, f.SetBody("(A * 2)"); }, "C COMPUTED BY (A * 2)"),
    {"FB computed completed", DT::dbInterBase, [](TObjs& o) {
        F typed(&o), plain(&o);
        typed.SetName("C"), typed.TableName = "T", typed.DataType = 1, typed.SetBody("(A + 1)");
        plain.SetName("D"), plain.TableName = "T", plain.SetBody("(A + 2)");
        return typed.GetComputedAlterScript() + " | " + plain.GetComputedAlterScript(); },
     "ALTER TABLE T ALTER C TYPE INTEGER COMPUTED BY (A + 1) | ALTER TABLE T ALTER D COMPUTED BY (A + 2)"},
    // A quoted MySQL default is one literal, written again; others stand.
    Col("MySQL literal", DT::dbMySQL, [](F& f) { f.DefaultValue = "'it''s'"; }, "C INTEGER DEFAULT 'it''s'"),
    Col("MySQL expression", DT::dbMySQL, [](F& f) { f.DefaultValue = "'a' 'b'", f.Unsigned = true, f.Nullable = false; },
        "C INTEGER UNSIGNED NOT NULL DEFAULT 'a' 'b'"),
    Col("ASA", DT::dbSybaseASA, [](F& f) { f.DataType = 15, f.Length = 9, f.DefaultValue = "'x'", f.Identity = true,
        f.IdentitySeed = f.IdentityIncrement = 1; }, "C CHAR(9) DEFAULT 'x' IDENTITY (1, 1) NULL"),
    Col("Oracle", DT::dbOracle, [](F& f) { f.DataType = 87, f.Precision = 2, f.Scale = 6, f.Nullable = false; },
        "C INTERVAL DAY(2) TO SECOND(6) NOT NULL"),
    Col("PG", DT::dbPostgreSQL, [](F& f) { f.SetName("c"), f.DataType = 14, f.Length = 20, f.ArrayBounds = {{0, 0}},
        f.DefaultValue = "'x'", f.CheckName = "ck", f.CheckText = " (c <> '')"; },
        "c varchar(20)[] default 'x' CONSTRAINT ck CHECK (c <> '')"),
    Col("DB2", DT::dbDB2, [](F& f) { f.DataType = 41, f.Length = 9, f.Logged = 0, f.GeneratedKind = 'D',
        f.GeneratedExpr = "1"; }, "C BLOB(9) NOT LOGGED GENERATED BY DEFAULT AS(1)"),
    Col("ASE parameter", DT::dbSybaseASE, [](F& f) { f.SetName("@p"), f.DataType = 14, f.Length = -1, f.Direction = 2; },
        "@p VARCHAR(MAX) out", true),
}), qeltest::RowName);

// Every default is written, one equal to the domain's too: the server keeps
// a column's own default apart from its domain's, and a parameter never
// takes its domain's default (left out, it would end the defaults early).
TEST(TFldData, DomainColumnsAndParametersWriteEveryDefault)
{
    TObjs objs;
    objs.SetDatabaseType(DT::dbInterBase);
    auto domain = std::make_unique<TDmnData>(&objs);
    domain->SetName("D");
    domain->BaseField->DefaultValue = "0";
    objs.AddObject(std::move(domain));
    TPrcData routine(&objs);
    const auto text = [&](const char* Domain, const char* Default, bool TypeOf, TDbObj* Parent = nullptr) {
        F f(&objs, Parent);
        f.SetName("C"), f.DataType = dtDomain, f.DomainName = Domain, f.DefaultValue = Default, f.TypeOf = TypeOf;
        return f.GetCreateDDL();
    };
    EXPECT_EQ(text("D", "0", false), "C D DEFAULT 0");
    EXPECT_EQ(text("D", "1", false), "C D DEFAULT 1");
    EXPECT_EQ(text("D", "0", true), "C TYPE OF D DEFAULT 0");
    EXPECT_EQ(text("X", "0", false), "C X DEFAULT 0");
    EXPECT_EQ(text("D", "0", false, &routine), "C D = 0");
}

// An identity is written with the options it was given: the start from
// Firebird 3 on, the step where the server has one (Firebird 4).
TEST(TFldData, IdentityKeepsItsOptions)
{
    const auto text = [](V Version, const char* Start, const char* Step) {
        TObjs objs;
        objs.SetDatabaseType(DT::dbInterBase);
        objs.IBServerOptions().SQLServerVersion = Version;
        TTblData table(&objs);
        table.SetName("T");
        F f(&objs, &table);
        f.SetName("ID"), f.DataType = 2, f.Identity = true, f.Nullable = false;
        f.IdentityGenerator->StartWith = Start, f.IdentityGenerator->IncrementBy = Step;
        return f.GetCreateDDL();
    };
    EXPECT_EQ(text(V::st_Firebird_30, "1", ""), "ID BIGINT GENERATED BY DEFAULT AS IDENTITY (START WITH 1)");
    EXPECT_EQ(text(V::st_Firebird_30, "-5", "2"), "ID BIGINT GENERATED BY DEFAULT AS IDENTITY (START WITH -5)");
    EXPECT_EQ(text(V::st_Firebird_40, "9000000000", "2"),
              "ID BIGINT GENERATED BY DEFAULT AS IDENTITY (START WITH 9000000000 INCREMENT BY 2)");
    EXPECT_EQ(text(V::st_Firebird_40, "", "3"), "ID BIGINT GENERATED BY DEFAULT AS IDENTITY (INCREMENT BY 3)");
    EXPECT_EQ(text(V::st_Firebird_40, "", ""), "ID BIGINT GENERATED BY DEFAULT AS IDENTITY");
    EXPECT_EQ(text(V::st_Firebird_25, "1", "2"), "ID BIGINT NOT NULL");
}

// ADD and DROP of one column of table T (schema S, owner O where given).
TDDLRow Script(const char* Label, DT Server, const char* Schema, const char* Expected, TDbObj* (*Parent)(TObjs&) = nullptr)
{
    return {Label, Server, [=](TObjs& o) {
                TTblData t(&o);
                t.SetName("T"), t.SetSchema(Schema), t.Owner = Schema;
                F f(&o, Parent ? Parent(o) : &t);
                f.SetName("C"), f.DataType = 1, f.TableName = "T";
                return f.GetCreateScript() + " | " + f.GetDropScript();
            }, Expected};
}

class ColumnScriptTest : public qeltest::TDDLTest {};
TEST_P(ColumnScriptTest, WritesTheExactText) { Check(); }

INSTANTIATE_TEST_SUITE_P(Rows, ColumnScriptTest, ::testing::ValuesIn(std::vector<TDDLRow>{
    Script("IB", DT::dbInterBase, "", "ALTER TABLE T ADD C INTEGER | ALTER TABLE T DROP C"),
    Script("MSSQL", DT::dbMSSQL, "", "ALTER TABLE T ADD C INTEGER NULL | ALTER TABLE T DROP COLUMN C"),
    Script("Oracle", DT::dbOracle, "S", "ALTER TABLE S.T ADD C INTEGER | ALTER TABLE S.T DROP (C)"),
    Script("ASA", DT::dbSybaseASA, "", "ALTER TABLE DBA.T ADD C INTEGER NULL | ALTER TABLE DBA.T DROP C"),
    // A parent that is no table counts as absent: TableName is used.
    Script("view parent", DT::dbInterBase, "", "ALTER TABLE T ADD C INTEGER | ALTER TABLE T DROP C",
           [](TObjs& o) -> TDbObj* { return o.AddObject(std::make_unique<TViwData>(&o)); }),
}), qeltest::RowName);

} // namespace

// An MS SQL NOT NULL column takes its own default constraint in line, which
// then counts as created; a nullable one or one of two columns does not.
TEST(TFldData, MSSQLAddTakesItsDefaultConstraintInLine)
{
    TObjs objs;
    objs.SetDatabaseType(DT::dbMSSQL);
    TTblData table(&objs);
    table.SetName("T");
    F* column = table.Fields.Add("C", std::make_unique<F>(&objs, &table));
    column->SetName("C"), column->DataType = 1;
    TCtrData df(&objs);
    df.SetName("DF_C"), df.SetConstraintKind(ckDefault), df.SetBody("0"), df.Fields.Add("c");
    AddDependency(&objs, &df, column, 1, 1, {});
    df.Exists = false;
    EXPECT_EQ(column->GetCreateScript(), "ALTER TABLE T ADD C INTEGER NULL");
    EXPECT_FALSE(df.Exists);
    column->Nullable = false;
    EXPECT_EQ(column->GetCreateScript(), "ALTER TABLE T ADD C INTEGER NOT NULL CONSTRAINT DF_C DEFAULT 0");
    EXPECT_TRUE(df.Exists);
    df.Exists = false, df.Fields.Add("D");
    EXPECT_EQ(column->GetCreateScript(), "ALTER TABLE T ADD C INTEGER NOT NULL");
    EXPECT_FALSE(df.Exists);
}
