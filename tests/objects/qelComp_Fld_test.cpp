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

// A column (or parameter) named Name of type Code under Parent.
std::unique_ptr<TFldData> Field(TObjs& O, const char* Name, std::uint8_t Code, std::int32_t Length = 0,
                                TDbObj* Parent = nullptr)
{
    auto f = std::make_unique<TFldData>(&O, Parent);
    f->SetName(Name);
    f->DataType = Code;
    f->Length = Length;
    return f;
}

// The column text of a field that Setup adjusts, under an InterBase version.
TDDLRow IB(const char* Label, V Version, std::function<void(TFldData&)> Setup, const char* Expected)
{
    return {Label, DT::dbInterBase,
            [=](TObjs& o) {
                o.IBServerOptions().SQLServerVersion = Version;
                auto f = Field(o, "C", 1);
                Setup(*f);
                return f->GetCreateDDL();
            },
            Expected};
}

// The column text of a field that Setup adjusts, under server Server.
TDDLRow Col(const char* Label, DT Server, std::function<void(TFldData&)> Setup, const char* Expected)
{
    return {Label, Server,
            [=](TObjs& o) {
                auto f = Field(o, "C", 1);
                Setup(*f);
                return f->GetCreateDDL();
            },
            Expected};
}

class ColumnTextTest : public qeltest::TDDLTest {};
TEST_P(ColumnTextTest, WritesTheExactText) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, ColumnTextTest,
    ::testing::ValuesIn(std::vector<TDDLRow>{
        Col("IB CHAR(1)", DT::dbInterBase, [](TFldData& f) { f.DataType = 15, f.Length = 1; }, "C CHAR"),
        Col("MSSQL CHAR(1)", DT::dbMSSQL, [](TFldData& f) { f.DataType = 15, f.Length = 1; }, "C CHAR(1) NULL"),
        Col("MSSQL VARCHAR MAX", DT::dbMSSQL, [](TFldData& f) { f.DataType = 14, f.Length = -1; },
            "C VARCHAR(MAX) NULL"),
        Col("IB VARCHAR MAX", DT::dbInterBase, [](TFldData& f) { f.DataType = 14, f.Length = -1; }, "C VARCHAR"),
        // Defaults are written under every version, Firebird 2.0 included.
        IB("FB25 default", V::st_Firebird_25, [](TFldData& f) { f.DataType = 14, f.Length = 10, f.DefaultValue = "\"it's\""; },
           "C VARCHAR(10) DEFAULT 'it''s'"),
        IB("FB20 default", V::st_Firebird_20, [](TFldData& f) { f.DataType = 14, f.Length = 10, f.DefaultValue = "\"it's\""; },
           "C VARCHAR(10) DEFAULT 'it''s'"),
        IB("IB6 default and NOT NULL", V::st_InterBase_6x, [](TFldData& f) { f.DefaultValue = "0", f.Nullable = false; },
           "C INTEGER DEFAULT 0 NOT NULL"),
        {"IB dialect 1 TIMESTAMP", DT::dbInterBase,
         [](TObjs& o) {
             o.IBServerOptions().SQLDialect = 1;
             return Field(o, "C", 20)->GetCreateDDL();
         },
         "C DATE"},
        {"PG timestamp with time zone", DT::dbPostgreSQL,
         [](TObjs& o) {
             auto f = Field(o, "c", 22);
             f->Precision = 3;
             return f->GetTypeText() + " | " + f->GetCreateDDL();
         },
         "timestamp(3) with time zone | c timestamp(3) with time zone"},
        Col("MSSQL DATETIME2 default precision", DT::dbMSSQL, [](TFldData& f) { f.DataType = 24, f.Precision = 7; },
            "C DATETIME2 NULL"),
        Col("MSSQL DATETIME2 precision 0", DT::dbMSSQL, [](TFldData& f) { f.DataType = 24; }, "C DATETIME2(0) NULL"),
        {"MSSQL parameter", DT::dbMSSQL,
         [](TObjs& o) {
             o.MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers = true;
             TPrcData p(&o);
             return Field(o, "@p", 1, 0, &p)->GetCreateDDL();
         },
         "@p INTEGER"},
        // Identities exist from Firebird 3 on and are never nullable; before,
        // the column keeps its NOT NULL.
        IB("FB30 identity", V::st_Firebird_30, [](TFldData& f) { f.SetName("ID"), f.Identity = true, f.Nullable = false; },
           "ID INTEGER GENERATED BY DEFAULT AS IDENTITY"),
        IB("FB40 identity", V::st_Firebird_40, [](TFldData& f) { f.SetName("ID"), f.Identity = true, f.Nullable = false; },
           "ID INTEGER GENERATED BY DEFAULT AS IDENTITY"),
        IB("FB25 identity", V::st_Firebird_25, [](TFldData& f) { f.SetName("ID"), f.Identity = true, f.Nullable = false; },
           "ID INTEGER NOT NULL"),
        IB("IB2020 BIGINT", V::st_InterBase_2020, [](TFldData& f) { f.DataType = 2; }, "C NUMERIC(18,0)"),
        {"IB2020 dialect 1 BIGINT", DT::dbInterBase,
         [](TObjs& o) {
             o.IBServerOptions().SQLServerVersion = V::st_InterBase_2020;
             o.IBServerOptions().SQLDialect = 1;
             return Field(o, "C", 2)->GetCreateDDL();
         },
         "C INTEGER"},
        Col("code out of range", DT::dbInterBase, [](TFldData& f) { f.DataType = 200; }, "C ? DataType"),
        IB("FB40 BINARY with time zone", V::st_Firebird_40,
           [](TFldData& f) { f.DataType = 76, f.Length = 1, f.SetName("D"); }, "D VARBINARY(1)"),
        IB("FB40 TIME WITH TIME ZONE", V::st_Firebird_40, [](TFldData& f) { f.DataType = 19, f.WithTimeZone = true; },
           "C TIME WITH TIME ZONE"),
        IB("IB BLOB and array", V::st_Firebird_25,
           [](TFldData& f) {
               f.DataType = 41, f.SubType = 1, f.SegmentSize = 80;
               f.ArrayBounds = {{1, 5}};
           },
           "C BLOB [1:5] SUB_TYPE 1"),
        IB("IB NUMERIC check", V::st_Firebird_25,
           [](TFldData& f) { f.DataType = 46, f.Precision = 9, f.Scale = 2, f.CheckText = " (C > 0)"; },
           "C NUMERIC(9,2) CHECK (C > 0)"),
        {"FB charset compared", DT::dbInterBase,
         [](TObjs& o) {
             o.IBServerOptions().IBCompareOptions().FldCharsetCompare = true;
             o.IBServerOptions().SetDBCharSet("UTF8");
             auto f = Field(o, "C", 14, 5);
             f->CharSet = "WIN1252";
             auto g = Field(o, "D", 14, 5);
             g->CharSet = "utf8";
             g->Collation = "UNICODE_CI";
             auto h = Field(o, "E", 14, 5);
             h->CharSet = "UTF8";
             return f->GetCreateDDL() + " | " + g->GetCreateDDL() + " | " + h->GetCreateDDL();
         },
         "C VARCHAR(5) CHARACTER SET WIN1252 | D VARCHAR(5) CHARACTER SET utf8 COLLATE UNICODE_CI | E VARCHAR(5)"},
        {"IB parameter defaults by version", DT::dbInterBase,
         [](TObjs& o) {
             TPrcData p(&o);
             auto in = Field(o, "P", 1, 0, &p);
             in->DefaultValue = "5";
             auto out = Field(o, "R", 1, 0, &p);
             out->DefaultValue = "5";
             out->Direction = 2;
             std::string text = in->GetCreateDDL() + " | " + out->GetCreateDDL();
             o.IBServerOptions().SQLServerVersion = V::st_FireBird_15;
             return text + " | " + in->GetCreateDDL();
         },
         "P INTEGER = 5 | R INTEGER | P INTEGER"},
        // A domain column writes only the default that overrides the domain's.
        {"IB domain defaults", DT::dbInterBase,
         [](TObjs& o) {
             auto domain = std::make_unique<TDmnData>(&o);
             domain->SetName("D");
             domain->BaseField->DefaultValue = "0";
             o.AddObject(std::move(domain));
             auto same = Field(o, "C", dtDomain);
             same->DomainName = "D";
             same->DefaultValue = "0";
             auto other = Field(o, "E", dtDomain);
             other->DomainName = "D";
             other->DefaultValue = "1";
             auto typeOf = Field(o, "F", dtDomain);
             typeOf->DomainName = "D";
             typeOf->TypeOf = true;
             typeOf->DefaultValue = "0";
             auto column = Field(o, "G", dtDomain);
             column->TypeOf = true;
             column->TypeOfTable = "T";
             column->TypeOfColumn = "A";
             auto unknown = Field(o, "H", dtDomain);
             unknown->DomainName = "X";
             unknown->DefaultValue = "0";
             return same->GetCreateDDL() + " | " + other->GetCreateDDL() + " | " + typeOf->GetCreateDDL() + " | " +
                    column->GetCreateDDL() + " | " + unknown->GetCreateDDL();
         },
         "C D | E D DEFAULT 1 | F TYPE OF D DEFAULT 0 | G TYPE OF COLUMN T.A | H X DEFAULT 0"},
        // A quoted MySQL default is read as one literal and written again.
        Col("MySQL literal default", DT::dbMySQL,
            [](TFldData& f) { f.DataType = 14, f.Length = 10, f.DefaultValue = "'it''s'"; },
            "C VARCHAR(10) DEFAULT 'it''s'"),
        Col("MySQL expression default", DT::dbMySQL,
            [](TFldData& f) { f.DataType = 20, f.DefaultValue = "'a' 'b'", f.Nullable = false; },
            "C TIMESTAMP NOT NULL DEFAULT 'a' 'b'"),
        Col("MySQL enum", DT::dbMySQL,
            [](TFldData& f) {
                f.DataType = 69, f.Values.Add("'a'"), f.Values.Add("'b'"), f.DefaultValue = "\"a\"";
                f.Nullable = false;
            },
            "C ENUM('a', 'b') NOT NULL DEFAULT 'a'"),
        Col("MySQL unsigned", DT::dbMySQL,
            [](TFldData& f) { f.Precision = 11, f.Unsigned = true, f.AutoIncrement = true; },
            "C INTEGER(11) UNSIGNED AUTO_INCREMENT"),
        Col("ASA identity", DT::dbSybaseASA,
            [](TFldData& f) {
                f.DataType = 15, f.Length = 10, f.DefaultValue = "'x'", f.Identity = true;
                f.IdentitySeed = 1, f.IdentityIncrement = 1, f.Nullable = false;
            },
            "C CHAR(10) DEFAULT 'x' IDENTITY (1, 1) NOT NULL"),
        Col("Oracle VARCHAR2", DT::dbOracle,
            [](TFldData& f) { f.DataType = 17, f.Length = 20, f.DefaultValue = "'x'", f.Nullable = false; },
            "C VARCHAR2(20) DEFAULT 'x' NOT NULL"),
        Col("Oracle interval", DT::dbOracle, [](TFldData& f) { f.DataType = 87, f.Precision = 2, f.Scale = 6; },
            "C INTERVAL DAY(2) TO SECOND(6)"),
        Col("Oracle local time zone", DT::dbOracle,
            [](TFldData& f) { f.DataType = 20, f.Precision = 3, f.WithLocalTimeZone = true; },
            "C TIMESTAMP(3) WITH LOCAL TIME ZONE"),
        Col("Oracle no type", DT::dbOracle, [](TFldData& f) { f.DataType = 0, f.Nullable = false; }, "C NOT NULL"),
        Col("MSSQL identity", DT::dbMSSQL,
            [](TFldData& f) {
                f.Identity = true, f.IdentitySeed = 1, f.IdentityIncrement = 1, f.Nullable = false;
            },
            "C INTEGER IDENTITY (1, 1) NOT NULL"),
        Col("MSSQL computed", DT::dbMSSQL, [](TFldData& f) { f.SetBody("A + B"), f.Persisted = true; },
            "C AS A + B PERSISTED"),
        Col("MSSQL user type", DT::dbMSSQL, [](TFldData& f) { f.DataType = dtDomain, f.DomainName = "Money", f.DomainSchema = "dbo"; },
            "C dbo.Money NULL"),
        Col("PG array check", DT::dbPostgreSQL,
            [](TFldData& f) {
                f.SetName("c"), f.DataType = 14, f.Length = 20, f.ArrayBounds = {{0, 0}};
                f.Nullable = false, f.DefaultValue = "'x'", f.CheckName = "ck", f.CheckText = " (c <> '')";
            },
            "c varchar(20)[] not null default 'x' CONSTRAINT ck CHECK (c <> '')"),
        {"DB2 identity", DT::dbDB2,
         [](TObjs& o) {
             TTblData t(&o);
             auto f = Field(o, "C", 47, 0, &t);
             f->Precision = 10, f->Scale = 2, f->Nullable = false, f->GeneratedKind = 'A', f->Identity = true;
             f->IdentityGenerator->StartWith = "1";
             f->IdentityGenerator->IncrementBy = "1";
             return f->GetCreateDDL();
         },
         "C DECIMAL(10,2) NOT NULL GENERATED ALWAYS AS IDENTITY(START WITH 1, INCREMENT BY 1, CACHE 20)"},
        Col("DB2 LOB", DT::dbDB2, [](TFldData& f) { f.DataType = 41, f.Length = 1024, f.Logged = 0, f.Compact = 1, f.DefaultValue = "0"; },
            "C BLOB(1024) NOT LOGGED COMPACT WITH DEFAULT 0"),
        Col("ASE varchar", DT::dbSybaseASE,
            [](TFldData& f) { f.DataType = 14, f.Length = -1, f.DefaultValue = "'x'", f.Nullable = false; },
            "C VARCHAR(MAX) DEFAULT 'x' NOT NULL"),
        {"ASE output parameter", DT::dbSybaseASE,
         [](TObjs& o) {
             TPrcData p(&o);
             auto f = Field(o, "@p", 1, 0, &p);
             f->Direction = 2;
             return f->GetCreateDDL();
         },
         "@p INTEGER out"},
        {"external parameter", DT::dbMSSQL,
         [](TObjs& o) {
             TPrcData p(&o);
             p.Language = "java";
             auto f = Field(o, "@p", 1, 0, &p);
             f->Direction = 3;
             return f->GetCreateDDL();
         },
         "inout @P INTEGER"}}),
    qeltest::RowName);

// ADD and DROP of one column, by where its table is.
class ColumnScriptTest : public qeltest::TDDLTest {};
TEST_P(ColumnScriptTest, WritesTheExactText) { Check(); }

TDDLRow Script(const char* Label, DT Server, const char* Schema, const char* Owner, const char* Expected)
{
    return {Label, Server,
            [=](TObjs& o) {
                TTblData t(&o);
                t.SetName(Server == DT::dbPostgreSQL ? "t" : "T");
                t.SetSchema(Schema);
                t.Owner = Owner;
                auto* f = t.Fields.Add("C", Field(o, Server == DT::dbPostgreSQL ? "c" : "C", 1, 0, &t));
                return f->GetCreateScript() + " | " + f->GetDropScript();
            },
            Expected};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ColumnScriptTest,
    ::testing::ValuesIn(std::vector<TDDLRow>{
        Script("IB", DT::dbInterBase, "", "", "ALTER TABLE T ADD C INTEGER | ALTER TABLE T DROP C"),
        Script("MSSQL", DT::dbMSSQL, "", "", "ALTER TABLE T ADD C INTEGER NULL | ALTER TABLE T DROP COLUMN C"),
        Script("MSSQL schema", DT::dbMSSQL, "dbo", "",
               "ALTER TABLE DBO.T ADD C INTEGER NULL | ALTER TABLE DBO.T DROP COLUMN C"),
        Script("Oracle", DT::dbOracle, "S", "", "ALTER TABLE S.T ADD C INTEGER | ALTER TABLE S.T DROP (C)"),
        Script("PG schema", DT::dbPostgreSQL, "s", "", "ALTER TABLE s.t ADD c integer | ALTER TABLE s.t DROP c"),
        Script("ASA owner", DT::dbSybaseASA, "", "O", "ALTER TABLE O.T ADD C INTEGER NULL | ALTER TABLE O.T DROP C"),
        Script("ASA no owner", DT::dbSybaseASA, "", "", "ALTER TABLE DBA.T ADD C INTEGER NULL | ALTER TABLE DBA.T DROP C"),
        // A column whose parent is no table goes by its TableName.
        {"parent of another class", DT::dbInterBase,
         [](TObjs& o) {
             TViwData v(&o);
             v.SetName("V");
             auto f = Field(o, "C", 1, 0, &v);
             f->TableName = "T";
             return f->GetCreateScript() + " | " + f->GetDropScript();
         },
         "ALTER TABLE T ADD C INTEGER | ALTER TABLE T DROP C"},
        {"no parent, no names", DT::dbInterBase,
         [](TObjs& o) {
             TFldData f(&o);
             return f.GetCreateScript() + " | " + f.GetDropScript();
         },
         "ALTER TABLE  ADD ? DataType | ALTER TABLE  DROP "}}),
    qeltest::RowName);

} // namespace

// An MS SQL NOT NULL column takes its own default constraint in line, which
// then counts as created; a nullable one or one of two columns does not.
TEST(TFldData, MSSQLAddTakesItsDefaultConstraintInLine)
{
    TObjs objs;
    objs.SetDatabaseType(TDatabaseType::dbMSSQL);
    TTblData table(&objs);
    table.SetName("T");
    auto* column = table.Fields.Add("C", Field(objs, "C", 1, 0, &table));
    TCtrData constraint(&objs);
    constraint.SetName("DF_C");
    constraint.SetConstraintKind(ckDefault);
    constraint.SetBody("0");
    constraint.Fields.Add("c");
    AddDependency(&objs, &constraint, column, 1, 1, {});
    constraint.Exists = false;

    EXPECT_EQ(column->GetCreateScript(), "ALTER TABLE T ADD C INTEGER NULL");
    EXPECT_FALSE(constraint.Exists);
    column->Nullable = false;
    EXPECT_EQ(column->GetCreateScript(), "ALTER TABLE T ADD C INTEGER NOT NULL CONSTRAINT DF_C DEFAULT 0");
    EXPECT_TRUE(constraint.Exists);
    constraint.Exists = false;
    constraint.Fields.Add("D");
    EXPECT_EQ(column->GetCreateScript(), "ALTER TABLE T ADD C INTEGER NOT NULL");
    EXPECT_FALSE(constraint.Exists);
}
