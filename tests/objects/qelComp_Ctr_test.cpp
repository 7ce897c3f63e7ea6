#include "qelComp_Ctr.h"
#include "qelComp_Fld.h"
#include "qelDDLTestSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qel;
using K = TDbObject;
constexpr auto IB75 = TIBSQLServerVersionType::st_InterBase_75;

TEST(TCtrData, NewConstraintIsAForeignKeyOfTheGeneralKind)
{
    TObjs objs;
    TCtrData constraint(&objs);
    EXPECT_EQ(constraint.ConstraintKind(), ckForeignKey);
    EXPECT_EQ(constraint.ObjectType(), K::dboConstraint);
}

// The object type follows the kind, whatever the top bit says; the kinds
// without a type of their own keep the one the constraint had.
TEST(TCtrData, KindSetsTheObjectTypeIgnoringTheTopBit)
{
    const struct {
        TConstraintKind kind;
        K type;
    } cases[] = {
        {0, K::dboPKey},   {1, K::dboUnique},  {2, K::dboFKey},       {3, K::dboCheck},
        {4, K::dboCheck},  {5, K::dboDefault}, {6, K::dboDefault},    {7, K::dboReferences},
        {0x80, K::dboPKey}, {0x83, K::dboCheck}, {0x86, K::dboCheck}, {0x87, K::dboReferences},
    };
    TObjs objs;
    TCtrData constraint(&objs);
    for (const auto& c : cases) {
        constraint.SetConstraintKind(c.kind);
        EXPECT_EQ(constraint.ConstraintKind(), c.kind) << int(c.kind);
        EXPECT_EQ(constraint.ObjectType(), c.type) << int(c.kind);
    }
}

// The table names follow the name rule: MS SQL folds ASCII letters to upper
// case (other bytes stay as they are) unless identifiers are case-sensitive.
TEST(TCtrData, TableNamesFollowTheMSSQLCaseRule)
{
    const struct {
        TDatabaseType type;
        bool caseSensitive;
        std::string expected;
    } cases[] = {
        {TDatabaseType::dbMSSQL, false, "ORDERS_\xC3\xA9"},
        {TDatabaseType::dbMSSQL, true, "Orders_\xC3\xA9"},
        {TDatabaseType::dbPostgreSQL, false, "Orders_\xC3\xA9"},
        {TDatabaseType::dbInterBase, false, "Orders_\xC3\xA9"},
    };
    for (const auto& c : cases) {
        TObjs objs;
        objs.SetDatabaseType(c.type);
        objs.MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers = c.caseSensitive;
        TCtrData constraint(&objs);
        constraint.SetTableName("Orders_\xC3\xA9");
        constraint.SetRefTableName("Orders_\xC3\xA9");
        constraint.SetRefSchema("Orders_\xC3\xA9");
        EXPECT_EQ(constraint.TableName(), c.expected);
        EXPECT_EQ(constraint.RefTableName(), c.expected);
        EXPECT_EQ(constraint.RefSchema(), c.expected);
    }
}

// ---- constraint texts ------------------------------------------------------

namespace {

using qeltest::TDDLRow;
using DT = TDatabaseType;
using C = TCtrData;

// A constraint of Kind on T(A) after Setup: its CREATE text and its drop.
TDDLRow Constraint(const char* Label, DT Server, TConstraintKind Kind, std::function<void(C&)> Setup, const char* Expected)
{
    return {Label, Server, [=](TObjs& o) {
                C c(&o);
                c.SetConstraintKind(Kind), c.SetTableName("T"), c.Fields.Add("A");
                Setup(c);
                return c.GetCreateDDL() + " | " + c.GetDropScript();
            }, Expected};
}

// FK_X from T1(A) to T2(B), ON DELETE CASCADE, through index IX; ODS of the target.
std::function<void(C&)> ForeignKey(int Ods)
{
    return [Ods](C& c) {
        c.SetName("FK_X"), c.SetTableName("T1"), c.SetRefTableName("T2"), c.RefFields.Add("B"), c.DeleteRule = 2;
        c.IndexName = "IX", c.Objs()->IBServerOptions().IBDatabaseOptions().ODSMajorVersion = Ods;
    };
}

// fk from s1.t(a) to u, in schema RefSchema when given.
std::function<void(C&)> PGKey(const char* RefSchema)
{
    return [RefSchema](C& c) {
        c.SetName("fk"), c.SetSchema("s1"), c.SetTableName("t"), c.Fields.Clear(), c.Fields.Add("a");
        c.SetRefTableName("u"), c.SetRefSchema(RefSchema);
    };
}

class ConstraintTextTest : public qeltest::TDDLTest {};
TEST_P(ConstraintTextTest, WritesTheExactText) { Check(); }

INSTANTIATE_TEST_SUITE_P(Rows, ConstraintTextTest, ::testing::ValuesIn(std::vector<TDDLRow>{
        // A target of ODS 8 knows no referential actions.
    Constraint("IB foreign key, ODS 8", DT::dbInterBase, ckForeignKey, ForeignKey(8), "ALTER TABLE T1 ADD CONSTRAINT FK_X "
               "FOREIGN KEY (A) REFERENCES T2 (B)\r\nUSING INDEX IX | ALTER TABLE T1 DROP CONSTRAINT FK_X"),
    Constraint("MSSQL primary key", DT::dbMSSQL, ckPrimaryKey, [](C&) {}, "ALTER TABLE T ADD PRIMARY KEY NONCLUSTERED (A) | "
               "/* drop constraint: ALTER TABLE T ADD PRIMARY KEY NONCLUSTERED (A) */\r\n"),
    {"MSSQL default", DT::dbMSSQL, [](TObjs& o) { C c(&o); c.SetConstraintKind(ckDefault), c.SetName("DF_C");
         c.SetTableName("T"), c.SetBody("0"), c.Fields.Add("C"); return c.GetConstraintText(true) + " | " + c.GetCreateDDL(); },
     "CONSTRAINT DF_C DEFAULT 0 | ALTER TABLE T ADD CONSTRAINT DF_C DEFAULT 0 FOR C"},
    // Schema and table are quoted in CREATE as in the drop.
    Constraint("MSSQL quoted", DT::dbMSSQL, ckForeignKey, [](C& c) { c.SetName("FK"), c.SetSchema("dbo"),
               c.SetTableName("Order Details"), c.SetRefSchema("sales"), c.SetRefTableName("Orders"); },
               "ALTER TABLE DBO.[ORDER DETAILS] ADD CONSTRAINT FK FOREIGN KEY (A) REFERENCES SALES.ORDERS | "
               "ALTER TABLE DBO.[ORDER DETAILS] DROP CONSTRAINT FK"),
    // A PostgreSQL key into another schema names it; else its own schema.
    Constraint("PG cross-schema", DT::dbPostgreSQL, ckForeignKey, PGKey("s2"),
               "ALTER TABLE s1.t ADD CONSTRAINT fk FOREIGN KEY (a) REFERENCES s2.u | ALTER TABLE s1.t DROP CONSTRAINT fk"),
    Constraint("PG own schema", DT::dbPostgreSQL, ckForeignKey, PGKey(""),
               "ALTER TABLE s1.t ADD CONSTRAINT fk FOREIGN KEY (a) REFERENCES s1.u | ALTER TABLE s1.t DROP CONSTRAINT fk"),
    // InterBase itself has no blocks to find a constraint's server name by.
    Constraint("IB unnamed check", DT::dbInterBase, ckCheck,
               [](C& c) { c.SetBody("(A > 0)"), c.GetIBServerOptions()->SQLServerVersion = IB75; },
               "ALTER TABLE T ADD CHECK(A > 0) | /* drop constraint: ALTER TABLE T ADD CHECK(A > 0) */\r\n"),
    Constraint("IB unnamed primary key", DT::dbInterBase, ckPrimaryKey,
               [](C& c) { c.GetIBServerOptions()->SQLServerVersion = IB75; }, "ALTER TABLE T ADD PRIMARY KEY (A) | "
               "Delete from Rdb$Relation_Constraints\r\nwhere Rdb$Relation_Name = 'T'\r\nand Rdb$Constraint_Type = 'PRIMARY KEY'"),
    Constraint("ASA unnamed unique", DT::dbSybaseASA, ckUnique, [](C& c) { c.Owner = "O", c.Fields.Add("B"); },
               "ALTER TABLE O.T ADD UNIQUE (A, B) | ALTER TABLE O.T DROP UNIQUE(A, B)"),
    Constraint("MySQL unique", DT::dbMySQL, ckUnique, [](C& c) { c.IndexName = "UX"; },
               "ALTER TABLE T ADD UNIQUE UX (A) | ALTER TABLE T DROP KEY UX"),
    Constraint("Oracle not null", DT::dbOracle, ckNotNull, [](C& c) { c.Fields.Clear(); },
               "ALTER TABLE T | /* drop constraint: ALTER TABLE T */\r\n"),
    Constraint("no columns, no names", DT::dbInterBase, ckUnique, [](C& c) { c.SetTableName(""), c.Fields.Clear(); },
               "ALTER TABLE  ADD UNIQUE () | /* drop constraint: ALTER TABLE  ADD UNIQUE () */\r\n"),
}), qeltest::RowName);

} // namespace

// Unnamed constraints are keyed by their CREATE text without quotes, so two
// equal definitions share a key; the dialect goes back to 3 afterwards.
TEST(TCtrData, UnnamedConstraintsAreKeyedByTheirText)
{
    TObjs objs;
    objs.SetDatabaseType(TDatabaseType::dbInterBase);
    C a(&objs), b(&objs);
    for (C* c : {&a, &b}) c->SetConstraintKind(ckCheck), c->SetTableName("Order"), c->SetBody("(\"V\" > 0)");
    EXPECT_EQ(a.GetCreateDDL(), "ALTER TABLE \"Order\" ADD CHECK(\"V\" > 0)");
    EXPECT_EQ(a.GetKey(), "ALTER TABLE Order ADD CHECK(\"V\" > 0)");
    EXPECT_EQ(a.GetKey(), b.GetKey());
    EXPECT_EQ(objs.IBServerOptions().SQLDialect, 3);
    b.SetName("CK");
    EXPECT_EQ(b.GetKey(), "CK");
}
