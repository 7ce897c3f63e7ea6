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

#include <functional>
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

TEST(DbObj, KeepsNameKindAndANormalisedDescription)
{
    TDbObj o;
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

namespace {

enum class Kind { Table, Index, Field, View };

std::unique_ptr<TDbObj> MakeObj(Kind k, TCustomObjs* objs)
{
    switch (k) {
    case Kind::Table: return std::make_unique<TTblData>(objs);
    case Kind::Index: return std::make_unique<TIdxData>(objs);
    case Kind::Field: return std::make_unique<TFldData>(objs);
    case Kind::View: return std::make_unique<TViwData>(objs);
    }
    return nullptr;
}

} // namespace

struct NameCase {
    DT type;
    Kind kind;
    std::string name, schema, owner, table;
    bool caseSensitive;
    int quoteStyle;
    std::string stored, key, qualified, display;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << DatabaseTypeName(c.type) << " " << c.name; }
};

class DbObjNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(DbObjNames, StoreKeyQualifyAndDisplayByServer)
{
    const NameCase& c = GetParam();
    TObjs objs;
    objs.SetDatabaseType(c.type);
    objs.MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers = c.caseSensitive;
    objs.QuoteStyle = c.quoteStyle;
    std::unique_ptr<TDbObj> o = MakeObj(c.kind, &objs);
    o->SetName(c.name);
    o->SetSchema(c.schema);
    o->Owner = c.owner;
    if (auto* index = dynamic_cast<TIdxData*>(o.get())) index->TableName = c.table;
    EXPECT_EQ(o->Name(), c.stored);
    EXPECT_EQ(o->GetKey(), c.key);
    EXPECT_EQ(o->GetQualifiedName(), c.qualified);
    EXPECT_EQ(o->GetDisplayName(), c.display);
}

INSTANTIATE_TEST_SUITE_P(
    PerServer, DbObjNames,
    ::testing::Values(
        NameCase{DT::dbMSSQL, Kind::Table, "orders", "", "", "", false, 0, "ORDERS", "ORDERS", "ORDERS", "ORDERS"},
        NameCase{DT::dbMSSQL, Kind::Table, "orders", "", "", "", true, 0, "orders", "orders", "orders", "orders"},
        NameCase{DT::dbMSSQL, Kind::Index, "IX", "dbo", "", "T", true, 0, "IX", "dbo.T.IX", "dbo.IX", "dbo.IX"},
        NameCase{DT::dbMSSQL, Kind::Index, "IX", "", "", "T", true, 0, "IX", "T.IX", "IX", "IX"},
        NameCase{DT::dbMSSQL, Kind::Field, "qty", "dbo", "", "", false, 0, "QTY", "DBO.QTY", "QTY", "QTY"},
        NameCase{DT::dbSybaseASA, Kind::Table, "T", "", "", "", false, 0, "T", "T", "DBA.T", "T"},
        NameCase{DT::dbSybaseASA, Kind::View, "V", "S", "bob", "", false, 0, "V", "S.V", "bob.V", "bob.V"},
        NameCase{DT::dbSybaseASA, Kind::Index, "IX", "", "bob", "T", false, 0, "IX", "IX", "IX", "bob.IX"},
        NameCase{DT::dbPostgreSQL, Kind::Table, "Orders", "public", "", "", false, 0, "Orders", "public.Orders",
                 "public.\"Orders\"", "public.\"Orders\""},
        NameCase{DT::dbPostgreSQL, Kind::Field, "Qty", "public", "", "", false, 0, "Qty", "public.Qty", "\"Qty\"",
                 "Qty"},
        NameCase{DT::dbOracle, Kind::Table, "T", "S", "", "", false, 0, "T", "S.T", "S.T", "T"},
        NameCase{DT::dbInterBase, Kind::Table, "Order", "S", "", "", false, 0, "Order", "Order", "\"Order\"", "Order"},
        NameCase{DT::dbCustomOLEDB, Kind::Table, "Order Details", "", "", "", false, 4, "Order Details",
                 "Order Details", "[Order Details]", "Order Details"},
        NameCase{DT::dbCustomOLEDB, Kind::Table, "Order Details", "", "", "", false, 3, "Order Details",
                 "Order Details", "\"Order Details\"", "Order Details"},
        NameCase{DT::dbCustomOLEDB, Kind::Table, "Order Details", "", "", "", false, 2, "Order Details",
                 "Order Details", "'Order Details'", "Order Details"},
        NameCase{DT::dbCustomOLEDB, Kind::Table, "Order Details", "", "", "", false, 7, "Order Details",
                 "Order Details", "Order Details", "Order Details"},
        NameCase{DT::dbCustomOLEDB, Kind::Table, "a]b", "", "", "", false, 4, "a]b", "a]b", "[a]]b]", "a]b"},
        NameCase{DT::dbCustomOLEDB, Kind::Table, "it's", "", "", "", false, 2, "it's", "it's", "'it''s'", "it's"}));

// ---- comment, drop and alter texts ----

namespace {

// A column of table T as the base sees it.
class TColumnOfT : public TDbObj {
public:
    using TDbObj::TDbObj;
    std::string GetParentName() const override { return "T"; }
};

} // namespace

struct TextCase {
    DT type;
    std::function<std::unique_ptr<TDbObj>(TCustomObjs*)> make;
    std::function<std::string(const TDbObj&)> text;
    std::string expected;
    friend void PrintTo(const TextCase& c, std::ostream* os) { *os << c.expected; }
};

class DbObjTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(DbObjTexts, WriteExactText)
{
    const TextCase& c = GetParam();
    TObjs objs;
    objs.SetDatabaseType(c.type);
    EXPECT_EQ(c.text(*c.make(&objs)), c.expected);
}

namespace {

template <class T>
std::function<std::unique_ptr<TDbObj>(TCustomObjs*)> Named(std::string name, TDbObject kind = TDbObject::dboUnknown)
{
    return [=](TCustomObjs* objs) {
        std::unique_ptr<TDbObj> o = std::make_unique<T>(objs);
        o->SetName(name);
        if (kind != TDbObject::dboUnknown) o->SetObjectType(kind);
        return o;
    };
}

std::function<std::string(const TDbObj&)> Comment(std::string text)
{
    return [=](const TDbObj& o) { return o.GetCommentText(text); };
}

std::string Drop(const TDbObj& o) { return o.GetDropScript(); }

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Texts, DbObjTexts,
    ::testing::Values(
        TextCase{DT::dbInterBase, Named<TDbObj>("X"), Comment("x"), "/* x */"},
        TextCase{DT::dbSybaseASA, Named<TDbObj>("X"), Comment("x"), "% x"},
        TextCase{DT::dbInterBase, Named<TDbObj>("X"), Comment("a*/b"), "/* a* /b */"},
        TextCase{DT::dbMSSQL, Named<TDbObj>("X"), Comment("a/*b*/"), "/* a/ *b* / */"},
        TextCase{DT::dbSybaseASA, Named<TDbObj>("X"), Comment("a\r\nb\nc\rd"), "% a b c d"},
        TextCase{DT::dbInterBase, Named<TExcData>("E"), Drop, "/* Drop: E (TExcData) */\r\nDROP EXCEPTION E"},
        TextCase{DT::dbInterBase, Named<TExcData>("x*/y"), Drop,
                 "/* Drop: x* /y (TExcData) */\r\nDROP EXCEPTION \"x*/y\""},
        TextCase{DT::dbInterBase, Named<TColumnOfT>("A", TDbObject::dboField), Drop,
                 "/* Drop: A (TDbObj) */\r\nALTER TABLE T DROP A"},
        TextCase{DT::dbMSSQL, Named<TDbObj>("RUL", TDbObject::dboRule), Drop, "/* Drop: RUL (TDbObj) */\r\nDROP RULE RUL"},
        TextCase{DT::dbInterBase, Named<TDbObj>("V", TDbObject::dboView), Drop, "/* Drop: V (TDbObj) */\r\n"},
        TextCase{DT::dbInterBase, Named<TDbObj>("V"), [](const TDbObj& o) { return o.GetAlterScript(); },
                 "/* Alter V */"},
        TextCase{DT::dbInterBase, Named<TDbObj>("V"),
                 [](const TDbObj& o) {
                     TDependObj link(o.Objs());
                     link.SetName("T");
                     link.FieldName = "A";
                     return link.GetDisplayName();
                 },
                 "T (field: A)"}));

// The MS SQL server's own constraint names: prefix by kind, "__" and eight
// upper-case hexadecimal digits.
struct SystemNameCase {
    int kind;
    std::string name;
    bool system;
};

class SystemConstraintName : public ::testing::TestWithParam<SystemNameCase> {};

TEST_P(SystemConstraintName, MovesToDisplayNameOnlyWhenTheServerMadeItUp)
{
    const SystemNameCase& c = GetParam();
    TCtrData ctr(nullptr);
    ctr.SetConstraintKind(static_cast<TConstraintKind>(c.kind));
    ctr.SetName(c.name);
    EXPECT_EQ(ctr.CheckSystemConstraintName(), c.system);
    EXPECT_EQ(ctr.Name(), c.system ? "" : c.name);
    EXPECT_EQ(ctr.DisplayName, c.system ? c.name : "");
}

INSTANTIATE_TEST_SUITE_P(
    MSSQL, SystemConstraintName,
    ::testing::Values(SystemNameCase{0, "PK__ORDERS__1A2B3C4D", true}, SystemNameCase{0x80, "PK__ORDERS__1A2B3C4D", true},
                      SystemNameCase{0, "PK__ORDERS__1a2b3c4d", false}, SystemNameCase{2, "PK__ORDERS__1A2B3C4D", false},
                      SystemNameCase{1, "UQ__T__00000000", true}, SystemNameCase{2, "FK__A__B__0123ABCD", true},
                      SystemNameCase{5, "DF__T__C__89ABCDEF", true}, SystemNameCase{3, "CK__T__1A2B3C4D", false},
                      SystemNameCase{0, "PK__ORDERS_1A2B3C4D", false}, SystemNameCase{0, "PK__ORDERS__1A2B3C4", false},
                      SystemNameCase{0, "PK____1A2B3C4G", false}));

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
        objs.SetDatabaseType(DT::dbInterBase);
        auto table = std::make_unique<TTblData>(&objs);
        table->SetName("T");
        a = table->Fields.Add("A", std::make_unique<TFldData>(&objs, table.get()));
        f = table->Fields.Add("F", std::make_unique<TFldData>(&objs, table.get()));
        a->SetName("A");
        f->SetName("F");
        t = File(std::move(table));
        v = File(std::make_unique<TViwData>(&objs), "V");
        d = File(std::make_unique<TDmnData>(&objs), "D");
        p = File(std::make_unique<TPrcData>(&objs), "P");
    }
    TDbObj* File(std::unique_ptr<TDbObj> o, const char* name = nullptr)
    {
        if (name != nullptr) o->SetName(name);
        return objs.AddObject(std::move(o));
    }
    static TDbObj* Target(const TDependList& l, int i) { return l.Objects(i)->Target; }

    TObjs objs;
    TDbObj *t = nullptr, *a = nullptr, *f = nullptr, *v = nullptr, *d = nullptr, *p = nullptr;
};

TEST_F(DependLinks, ViewOnAColumnLinksTheColumnOnce)
{
    AddDependency(&objs, v, t, 3, 7, "A");
    AddDependency(&objs, v, t, 4, 1, "A");
    ASSERT_EQ(v->Uses.Count(), 1);
    EXPECT_EQ(Target(v->Uses, 0), a);
    EXPECT_EQ(v->Uses.Names(0), "A");
    EXPECT_EQ(v->Uses.Objects(0)->ObjectType(), TDbObject::dboField);
    EXPECT_EQ(v->Uses.Objects(0)->Line, 3);
    EXPECT_EQ(v->Uses.Objects(0)->Column, 7);
    ASSERT_EQ(a->UsedBy.Count(), 1);
    EXPECT_EQ(Target(a->UsedBy, 0), v);
    EXPECT_EQ(a->UsedBy.Names(0), "V");
    EXPECT_TRUE(t->UsedBy.Empty());
}

TEST_F(DependLinks, TableUsingADomainThroughAFieldLinksBoth)
{
    AddDependency(&objs, t, d, 1, 1, "F");
    ASSERT_EQ(t->Uses.Count(), 1);
    EXPECT_EQ(Target(t->Uses, 0), d);
    ASSERT_EQ(f->Uses.Count(), 1);
    EXPECT_EQ(Target(f->Uses, 0), d);
    EXPECT_EQ(d->UsedBy.Count(), 2);
    AddDependency(&objs, t, d, 2, 1, "F");
    EXPECT_EQ(d->UsedBy.Count(), 2);
}

TEST_F(DependLinks, NoLinkForAnUnknownColumnOrANilEnd)
{
    AddDependency(&objs, v, t, 1, 1, "NOSUCH");
    AddDependency(&objs, nullptr, t, 1, 1, "");
    AddDependency(&objs, v, nullptr, 1, 1, "");
    CreateDependLinks(&objs, v, d, 1, 1, "A");
    EXPECT_TRUE(v->Uses.Empty());
    EXPECT_TRUE(t->UsedBy.Empty());
    EXPECT_TRUE(d->UsedBy.Empty());
    // A procedure is used as a whole, whatever column is named.
    AddDependency(&objs, v, p, 1, 1, "OUT1");
    ASSERT_EQ(v->Uses.Count(), 1);
    EXPECT_EQ(Target(v->Uses, 0), p);
    EXPECT_EQ(v->Uses.Objects(0)->GetDisplayName(), "P");
}

TEST_F(DependLinks, MissingDependencyOnlyThroughActiveLinks)
{
    AddDependency(&objs, v, t, 1, 1, "");
    EXPECT_FALSE(v->HasMissingDependency());
    t->SetExists(false);
    EXPECT_TRUE(v->HasMissingDependency());
    v->Uses.Objects(0)->Active = false;
    EXPECT_FALSE(v->HasMissingDependency());
}

// Every way an end of a link can go takes the mirror link along.
TEST_F(DependLinks, NoLinkOutlivesItsTarget)
{
    auto loose = std::make_unique<TTblData>(&objs);
    loose->SetName("L");
    TDbObj* column = loose->Fields.Add("C", std::make_unique<TFldData>(&objs, loose.get()));
    AddDependency(&objs, v, loose.get(), 1, 1, "");
    AddDependency(&objs, v, loose.get(), 1, 1, "C");
    AddDependency(&objs, loose.get(), d, 1, 1, "");
    ASSERT_EQ(v->Uses.Count(), 2);
    EXPECT_EQ(Target(v->Uses, 1), column);
    loose.reset();
    EXPECT_TRUE(v->Uses.Empty());
    EXPECT_TRUE(d->UsedBy.Empty());

    AddDependency(&objs, v, t, 1, 1, "A");
    AddDependency(&objs, t, v, 1, 1, "");
    objs.RemoveDependLinks(a);
    EXPECT_TRUE(a->UsedBy.Empty());
    EXPECT_EQ(v->Uses.Count(), 0);
    objs.RemoveObjectLinks(*t, v);
    EXPECT_TRUE(t->Uses.Empty());
    EXPECT_TRUE(v->UsedBy.Empty());
}

TEST(DbObj, CounterpartsPairBothWaysAndShareExists)
{
    TTblData a(nullptr), b(nullptr);
    auto c = std::make_unique<TTblData>(nullptr);
    a.SetCounterpart(&b);
    EXPECT_EQ(b.Counterpart(), &a);
    a.SetExists(false);
    EXPECT_FALSE(b.Exists);
    c->SetCounterpart(&a);
    EXPECT_EQ(a.Counterpart(), c.get());
    EXPECT_EQ(b.Counterpart(), nullptr);
    c.reset();
    EXPECT_EQ(a.Counterpart(), nullptr);
}
