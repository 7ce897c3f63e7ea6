#include "qelClasses.h"
#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Idx.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

using namespace qel;
using DT = TDatabaseType;
using V = TIBSQLServerVersionType;

namespace {

const DT kAllTypes[] = {DT::dbAbstract,  DT::dbInterBase,    DT::dbSybaseASA, DT::dbMySQL,    DT::dbOracle,
                        DT::dbMSSQL,     DT::dbPostgreSQL,   DT::dbDB2,       DT::dbSybaseASE, DT::dbPervasiveSQL,
                        DT::dbMSAccess,  DT::dbParadox,      DT::dbDBASE,     DT::dbCustomOLEDB};

} // namespace

struct IdentCase {
    std::string name;
    DT type;
    V version;
    int dialect;
    std::string expected;
    friend void PrintTo(const IdentCase& c, std::ostream* os)
    {
        *os << '\'' << c.name << "' type " << static_cast<int>(c.type) << " dialect " << c.dialect;
    }
};

class QuoteIdentifierTest : public ::testing::TestWithParam<IdentCase> {};

TEST_P(QuoteIdentifierTest, FollowsTheServersRule)
{
    const IdentCase& c = GetParam();
    EXPECT_EQ(QuoteIdentifier(c.name, c.type, c.version, static_cast<TIBSQLDialectType>(c.dialect)), c.expected);
}

constexpr V FB25 = V::st_Firebird_25;

INSTANTIATE_TEST_SUITE_P(
    PerServer, QuoteIdentifierTest,
    ::testing::Values(
        // InterBase/Firebird: dialect 3 quotes by the version's words, dialect 1 never
        IdentCase{"CUSTOMER", DT::dbInterBase, FB25, 3, "CUSTOMER"},
        IdentCase{"Customer", DT::dbInterBase, FB25, 3, "\"Customer\""},
        IdentCase{"ORDER", DT::dbInterBase, FB25, 3, "\"ORDER\""},
        IdentCase{"ORDER", DT::dbInterBase, FB25, 1, "ORDER"},
        IdentCase{"Order Date", DT::dbInterBase, FB25, 1, "Order Date"},
        IdentCase{"NAME", DT::dbInterBase, FB25, 3, "NAME"},
        IdentCase{"NAME", DT::dbInterBase, V::st_InterBase_2020, 3, "\"NAME\""},
        IdentCase{"DATABASE", DT::dbInterBase, V::st_Firebird_30, 3, "DATABASE"},
        IdentCase{"1ST", DT::dbInterBase, FB25, 3, "\"1ST\""},
        IdentCase{"A B", DT::dbInterBase, FB25, 3, "\"A B\""},
        IdentCase{"CAF\xC3\x89", DT::dbInterBase, FB25, 3, "\"CAF\xC3\x89\""},
        IdentCase{"A\"B", DT::dbInterBase, FB25, 3, "\"A\"\"B\""},
        // SQL Anywhere: reserved words in upper case
        IdentCase{"user", DT::dbSybaseASA, FB25, 3, "\"USER\""},
        IdentCase{"Order_No", DT::dbSybaseASA, FB25, 3, "Order_No"},
        IdentCase{"my-col", DT::dbSybaseASA, FB25, 3, "\"my-col\""},
        IdentCase{"a\"b", DT::dbSybaseASA, FB25, 3, "\"a\"\"b\""},
        // MySQL: back-quotes
        IdentCase{"CUSTOMER", DT::dbMySQL, FB25, 3, "CUSTOMER"},
        IdentCase{"Customer", DT::dbMySQL, FB25, 3, "`Customer`"},
        IdentCase{"SELECT", DT::dbMySQL, FB25, 3, "`SELECT`"},
        IdentCase{"ORDER DATE", DT::dbMySQL, FB25, 3, "`ORDER DATE`"},
        IdentCase{"A`B", DT::dbMySQL, FB25, 3, "`A``B`"},
        // MS SQL: brackets
        IdentCase{"Customer", DT::dbMSSQL, FB25, 1, "Customer"},
        IdentCase{"Order", DT::dbMSSQL, FB25, 1, "[Order]"},
        IdentCase{"@v", DT::dbMSSQL, FB25, 1, "[@v]"},
        IdentCase{"#tmp", DT::dbMSSQL, FB25, 1, "#tmp"},
        IdentCase{"MERGE", DT::dbMSSQL, FB25, 1, "[MERGE]"},
        IdentCase{"a]b", DT::dbMSSQL, FB25, 1, "[a]]b]"},
        // PostgreSQL: anything but a lower-case bare name
        IdentCase{"customer", DT::dbPostgreSQL, FB25, 3, "customer"},
        IdentCase{"Customer", DT::dbPostgreSQL, FB25, 3, "\"Customer\""},
        IdentCase{"user", DT::dbPostgreSQL, FB25, 3, "\"user\""},
        IdentCase{"a\"b", DT::dbPostgreSQL, FB25, 3, "\"a\"\"b\""},
        // Oracle and DB2: anything but an upper-case bare name
        IdentCase{"CUSTOMER", DT::dbOracle, FB25, 3, "CUSTOMER"},
        IdentCase{"customer", DT::dbOracle, FB25, 3, "\"customer\""},
        IdentCase{"_A", DT::dbOracle, FB25, 3, "\"_A\""},
        IdentCase{"LEVEL", DT::dbOracle, FB25, 3, "\"LEVEL\""},
        IdentCase{"CUSTOMER", DT::dbDB2, FB25, 3, "CUSTOMER"},
        IdentCase{"1A", DT::dbDB2, FB25, 3, "\"1A\""},
        IdentCase{"USER", DT::dbDB2, FB25, 3, "\"USER\""},
        // Paradox and dBASE: keywords only
        IdentCase{"date", DT::dbParadox, FB25, 3, "\"date\""},
        IdentCase{"Cust No", DT::dbParadox, FB25, 3, "Cust No"},
        IdentCase{"DATE", DT::dbDBASE, FB25, 3, "\"DATE\""},
        IdentCase{"Name", DT::dbDBASE, FB25, 3, "Name"},
        // no rule of their own
        IdentCase{"Order Date", DT::dbSybaseASE, FB25, 3, "Order Date"},
        IdentCase{"select", DT::dbAbstract, FB25, 3, "select"},
        IdentCase{"a]b", DT::dbPervasiveSQL, FB25, 3, "a]b"},
        IdentCase{"Order", DT::dbMSAccess, FB25, 3, "Order"},
        IdentCase{"x y", DT::dbCustomOLEDB, FB25, 3, "x y"}));

TEST(QuoteIdentifier, EmptyNameStaysEmptyForEveryServer)
{
    for (DT t : kAllTypes)
        for (int dialect : {1, 3}) EXPECT_EQ(QuoteIdentifier("", t, FB25, static_cast<TIBSQLDialectType>(dialect)), "");
}

TEST(QuoteIdentifier, InterBaseDialectOneWritesReservedWordsBare)
{
    for (const char* name : {"SELECT", "ORDER", "USER", "SHADOW", "name", "1ST"})
        for (V v : {V::st_InterBase_4x, V::st_InterBase_6x, FB25, V::st_Firebird_40, V::st_InterBase_2020})
            EXPECT_EQ(QuoteIdentifier(name, DT::dbInterBase, v, 1), name) << name;
}

namespace {

// A plain object whose kind a test sets.
class TKindSetObj : public TDbObj {
public:
    using TDbObj::SetObjectType;
};

} // namespace

TEST(DbObj, KeepsNameKindAndANormalisedDescription)
{
    TKindSetObj o;
    EXPECT_EQ(o.ObjectType(), TDbObject::dboUnknown);
    EXPECT_EQ(o.GetParentObj(), nullptr);
    EXPECT_EQ(o.GetParentName(), "");
    EXPECT_EQ(o.GetDescriptionScript(), "");
    o.SetName("ORDERS");
    o.SetSchema("dbo");
    o.SetObjectType(TDbObject::dboTable);
    EXPECT_EQ(o.Name(), "ORDERS");
    EXPECT_EQ(o.Schema(), "dbo");
    EXPECT_EQ(o.ObjectType(), TDbObject::dboTable);
    o.SetDescription("  first\nsecond\rthird\r\n\r\n");
    EXPECT_EQ(o.Description(), "first\r\nsecond\r\nthird");
    o.SetDescription("\t \r\n");
    EXPECT_EQ(o.Description(), "");
}

// ---- names, keys and quoting of the objects ----

struct NameCase {
    DT type;
    TDbObject kind; // dboIndex: an index on table T; dboField: a column; else a table
    std::string name, schema, owner;
    int style; // -1: MS SQL identifiers case-sensitive; else the OLE DB quote style
    std::string stored, key, qualified, display;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << DatabaseTypeName(c.type) << " " << c.name; }
};

class DbObjNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(DbObjNames, StoreKeyQualifyAndDisplayByServer)
{
    const NameCase& c = GetParam();
    TObjs objs;
    objs.SetDatabaseType(c.type);
    objs.MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers = c.style < 0;
    objs.QuoteStyle = c.style;
    std::unique_ptr<TDbObj> o = std::make_unique<TTblData>(&objs);
    if (c.kind == TDbObject::dboField) o = std::make_unique<TFldData>(&objs);
    if (c.kind == TDbObject::dboIndex) {
        auto index = std::make_unique<TIdxData>(&objs);
        index->TableName = "T";
        o = std::move(index);
    }
    o->SetName(c.name);
    o->SetSchema(c.schema);
    o->Owner = c.owner;
    EXPECT_EQ(o->Name() + "|" + o->GetKey() + "|" + o->GetQualifiedName() + "|" + o->GetDisplayName(),
              c.stored + "|" + c.key + "|" + c.qualified + "|" + c.display);
}

constexpr auto Tbl = TDbObject::dboTable;
constexpr auto Idx = TDbObject::dboIndex;
constexpr auto Fld = TDbObject::dboField;
const std::string OD = "Order Details";

INSTANTIATE_TEST_SUITE_P(
    PerServer, DbObjNames,
    ::testing::Values(NameCase{DT::dbMSSQL, Tbl, "orders", "", "", 0, "ORDERS", "ORDERS", "ORDERS", "ORDERS"},
                      NameCase{DT::dbMSSQL, Tbl, "orders", "", "", -1, "orders", "orders", "orders", "orders"},
                      NameCase{DT::dbMSSQL, Idx, "IX", "dbo", "", -1, "IX", "dbo.T.IX", "dbo.IX", "dbo.IX"},
                      NameCase{DT::dbMSSQL, Idx, "IX", "", "", -1, "IX", "T.IX", "IX", "IX"},
                      NameCase{DT::dbMSSQL, Fld, "qty", "dbo", "", 0, "QTY", "DBO.QTY", "QTY", "QTY"},
                      NameCase{DT::dbSybaseASA, Tbl, "T", "", "", 0, "T", "T", "DBA.T", "T"},
                      NameCase{DT::dbSybaseASA, Tbl, "T", "S", "bob", 0, "T", "S.T", "bob.T", "bob.T"},
                      NameCase{DT::dbSybaseASA, Idx, "IX", "", "bob", 0, "IX", "IX", "IX", "bob.IX"},
                      NameCase{DT::dbPostgreSQL, Tbl, "Orders", "public", "", 0, "Orders", "public.Orders",
                               "public.\"Orders\"", "public.\"Orders\""},
                      NameCase{DT::dbPostgreSQL, Fld, "Qty", "public", "", 0, "Qty", "public.Qty", "\"Qty\"", "Qty"},
                      NameCase{DT::dbOracle, Tbl, "T", "S", "", 0, "T", "S.T", "S.T", "T"},
                      NameCase{DT::dbInterBase, Tbl, "Order", "S", "", 0, "Order", "Order", "\"Order\"", "Order"},
                      NameCase{DT::dbCustomOLEDB, Tbl, OD, "", "", 4, OD, OD, "[Order Details]", OD},
                      NameCase{DT::dbCustomOLEDB, Tbl, OD, "", "", 3, OD, OD, "\"Order Details\"", OD},
                      NameCase{DT::dbCustomOLEDB, Tbl, OD, "", "", 2, OD, OD, "'Order Details'", OD},
                      NameCase{DT::dbCustomOLEDB, Tbl, OD, "", "", 7, OD, OD, OD, OD},
                      NameCase{DT::dbCustomOLEDB, Tbl, "a]b", "", "", 4, "a]b", "a]b", "[a]]b]", "a]b"},
                      NameCase{DT::dbCustomOLEDB, Tbl, "it's", "", "", 2, "it's", "it's", "'it''s'", "it's"}));

// ---- comment, drop and alter texts ----

namespace {

// An object of any kind the base writes, named as a column of table T.
class TPlainObj : public TDbObj {
public:
    TPlainObj(TCustomObjs* Objs, TDbObject Kind) : TDbObj(Objs) { SetObjectType(Kind); }
    std::string GetParentName() const override { return "T"; }
};

} // namespace

struct TextCase {
    DT type;
    TDbObject kind; // dboException: a TExcData
    std::string name;
    std::string comment; // the text to comment; none: the drop script, "-": the alter script
    std::string expected;
    friend void PrintTo(const TextCase& c, std::ostream* os) { *os << c.expected; }
};

class DbObjTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(DbObjTexts, WriteExactText)
{
    const TextCase& c = GetParam();
    TObjs objs;
    objs.SetDatabaseType(c.type);
    std::unique_ptr<TDbObj> o;
    if (c.kind == TDbObject::dboException) o = std::make_unique<TExcData>(&objs);
    else o = std::make_unique<TPlainObj>(&objs, c.kind);
    o->SetName(c.name);
    const std::string text = c.comment.empty() ? o->GetDropScript()
                             : c.comment == "-" ? o->GetAlterScript()
                                                : o->GetCommentText(c.comment);
    EXPECT_EQ(text, c.expected);
}

constexpr auto Exc = TDbObject::dboException;

INSTANTIATE_TEST_SUITE_P(
    Texts, DbObjTexts,
    ::testing::Values(TextCase{DT::dbInterBase, Tbl, "X", "x", "/* x */"}, TextCase{DT::dbSybaseASA, Tbl, "X", "x", "% x"},
                      TextCase{DT::dbInterBase, Tbl, "X", "a*/b", "/* a* /b */"},
                      TextCase{DT::dbMSSQL, Tbl, "X", "a/*b*/", "/* a/ *b* / */"},
                      TextCase{DT::dbSybaseASA, Tbl, "X", "a\r\nb\nc\rd", "% a b c d"},
                      TextCase{DT::dbInterBase, Exc, "E", "", "/* Drop: E (TExcData) */\r\nDROP EXCEPTION E"},
                      TextCase{DT::dbInterBase, Exc, "x*/y", "", "/* Drop: x* /y (TExcData) */\r\nDROP EXCEPTION \"x*/y\""},
                      TextCase{DT::dbInterBase, Fld, "A", "", "/* Drop: A (TDbObj) */\r\nALTER TABLE T DROP A"},
                      TextCase{DT::dbMSSQL, TDbObject::dboRule, "RUL", "", "/* Drop: RUL (TDbObj) */\r\nDROP RULE RUL"},
                      TextCase{DT::dbInterBase, TDbObject::dboView, "V", "", "/* Drop: V (TDbObj) */\r\n"},
                      TextCase{DT::dbInterBase, Tbl, "V", "-", "/* Alter V */"}));

// The MS SQL server's own constraint names: prefix by kind, "__" and eight
// upper-case hexadecimal digits.
TEST(DbObj, SystemConstraintNamesMoveToTheDisplayName)
{
    const struct {
        int kind;
        std::string name;
        bool system;
    } cases[] = {{0, "PK__ORDERS__1A2B3C4D", true},  {0x80, "PK__ORDERS__1A2B3C4D", true},
                 {0, "PK__ORDERS__1a2b3c4d", false}, {2, "PK__ORDERS__1A2B3C4D", false},
                 {1, "UQ__T__00000000", true},       {2, "FK__A__B__0123ABCD", true},
                 {5, "DF__T__C__89ABCDEF", true},     {3, "CK__T__1A2B3C4D", false},
                 {0, "PK__ORDERS_1A2B3C4D", false},  {0, "PK__ORDERS__1A2B3C4", false}};
    for (const auto& c : cases) {
        TCtrData ctr(nullptr);
        ctr.SetConstraintKind(static_cast<TConstraintKind>(c.kind));
        ctr.SetName(c.name);
        EXPECT_EQ(ctr.CheckSystemConstraintName(), c.system) << c.name;
        EXPECT_EQ(ctr.Name() + "|" + ctr.DisplayName, c.system ? "|" + c.name : c.name + "|");
    }
}

TEST(DbObj, PostgreSQLViewsCompareWithoutLineBreaksAndBlankRuns)
{
    class TTextView : public TViwData {
    public:
        using TViwData::TViwData;
        std::string GetCreateDDL() const override { return Body(); }
    };
    for (DT type : {DT::dbPostgreSQL, DT::dbInterBase}) {
        TObjs objs;
        objs.SetDatabaseType(type);
        TTextView a(&objs), b(&objs);
        a.SetBody("SELECT a,\r\n    b\nFROM   t");
        b.SetBody("SELECT a, b FROM t");
        EXPECT_EQ(a.GetCompareText() == b.GetCompareText(), type == DT::dbPostgreSQL);
    }
}

// ---- dependency links ----

class DependLinks : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto table = std::make_unique<TTblData>(&objs);
        a = table->Fields.Add("A", std::make_unique<TFldData>(&objs, table.get()));
        f = table->Fields.Add("F", std::make_unique<TFldData>(&objs, table.get()));
        a->SetName("A");
        f->SetName("F");
        t = File(std::move(table), "T");
        v = File(std::make_unique<TViwData>(&objs), "V");
        d = File(std::make_unique<TDmnData>(&objs), "D");
        p = File(std::make_unique<TPrcData>(&objs), "P");
    }
    TDbObj* File(std::unique_ptr<TDbObj> o, const char* name)
    {
        o->SetName(name);
        return objs.AddObject(std::move(o));
    }
    static TDbObj* Target(const TDependList& l, int i) { return l.Objects(i)->Target; }

    TObjs objs;
    TDbObj *t = nullptr, *a = nullptr, *f = nullptr, *v = nullptr, *d = nullptr, *p = nullptr;
};

TEST_F(DependLinks, ResolveColumnsAndFieldsOnce)
{
    // A view on column A of T uses the column object, once.
    AddDependency(&objs, v, t, 3, 7, "A");
    AddDependency(&objs, v, t, 4, 1, "A");
    ASSERT_EQ(v->Uses.Count(), 1);
    const TDependObj& link = *v->Uses.Objects(0);
    EXPECT_EQ(link.Target, a);
    EXPECT_EQ(v->Uses.Names(0) + "/" + a->UsedBy.Names(0), "A/V");
    EXPECT_EQ(link.ObjectType(), TDbObject::dboField);
    EXPECT_EQ(link.Line * 10 + link.Column, 37);
    EXPECT_EQ(Target(a->UsedBy, 0), v);
    EXPECT_TRUE(t->UsedBy.Empty());
    // T uses domain D through field F: T and F both use D.
    AddDependency(&objs, t, d, 1, 1, "F");
    AddDependency(&objs, t, d, 2, 1, "F");
    EXPECT_EQ(Target(t->Uses, 0), d);
    EXPECT_EQ(Target(f->Uses, 0), d);
    EXPECT_EQ(d->UsedBy.Count(), 2);
    // No link for an unknown column or a nil end; a procedure is used whole.
    AddDependency(&objs, v, t, 1, 1, "NOSUCH");
    AddDependency(&objs, nullptr, t, 1, 1, "");
    AddDependency(&objs, v, nullptr, 1, 1, "");
    CreateDependLinks(&objs, v, d, 1, 1, "A");
    EXPECT_EQ(v->Uses.Count(), 1);
    AddDependency(&objs, v, p, 1, 1, "OUT1");
    EXPECT_EQ(Target(v->Uses, 1), p);
    EXPECT_EQ(v->Uses.Objects(1)->GetDisplayName(), "P");
    TDependObj named(&objs);
    named.SetName("T");
    named.FieldName = "A";
    EXPECT_EQ(named.GetDisplayName(), "T (field: A)");
}

// Every way an end of a link can go takes the mirror link along, and a
// counterpart that goes unpairs the other.
TEST_F(DependLinks, NothingOutlivesItsTarget)
{
    auto loose = std::make_unique<TTblData>(&objs);
    TDbObj* column = loose->Fields.Add("C", std::make_unique<TFldData>(&objs, loose.get()));
    AddDependency(&objs, v, loose.get(), 1, 1, "");
    AddDependency(&objs, v, column, 1, 1, "");
    AddDependency(&objs, loose.get(), d, 1, 1, "");
    loose->SetExists(false);
    EXPECT_TRUE(v->HasMissingDependency());
    v->Uses.Objects(0)->Active = false;
    EXPECT_FALSE(v->HasMissingDependency());
    loose.reset();
    EXPECT_TRUE(v->Uses.Empty() && d->UsedBy.Empty());

    AddDependency(&objs, v, a, 1, 1, "");
    AddDependency(&objs, t, v, 1, 1, "");
    objs.RemoveDependLinks(a);
    EXPECT_TRUE(a->UsedBy.Empty() && v->Uses.Empty());
    objs.RemoveObjectLinks(*t, v);
    EXPECT_TRUE(t->Uses.Empty() && v->UsedBy.Empty());

    auto other = std::make_unique<TTblData>(nullptr);
    t->SetCounterpart(v);
    other->SetCounterpart(t);
    EXPECT_EQ(v->Counterpart(), nullptr);
    t->SetExists(false);
    EXPECT_FALSE(other->Exists);
    other.reset();
    EXPECT_EQ(t->Counterpart(), nullptr);
}
