#include "qelComp_Ctr.h"
#include "qelComp_Fld.h"
#include "qelDDLTestSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace qel;
using K = TDbObject;

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

// A constraint of Kind on T(A) after Setup: its CREATE text, " | " and its
// drop.
TDDLRow Constraint(const char* Label, DT Server, TConstraintKind Kind, std::function<void(TCtrData&)> Setup,
                   const char* Expected)
{
    return {Label, Server,
            [=](TObjs& o) {
                TCtrData c(&o);
                c.SetConstraintKind(Kind);
                c.SetTableName("T");
                c.Fields.Add("A");
                Setup(c);
                return c.GetCreateDDL() + " | " + c.GetDropScript();
            },
            Expected};
}

// The foreign key FK_X from T1(A) to T2(B), ON DELETE CASCADE, through index IX.
void ForeignKey(TCtrData& c)
{
    c.SetName("FK_X");
    c.SetTableName("T1");
    c.SetRefTableName("T2");
    c.RefFields.Add("B");
    c.DeleteRule = 2;
    c.IndexName = "IX";
}

// The PostgreSQL foreign key fk from s1.t(a) to u.
void PGKey(TCtrData& c)
{
    c.SetName("fk");
    c.SetSchema("s1");
    c.SetTableName("t");
    c.Fields.Clear();
    c.Fields.Add("a");
    c.SetRefTableName("u");
}

class ConstraintTextTest : public qeltest::TDDLTest {};
TEST_P(ConstraintTextTest, WritesTheExactText) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, ConstraintTextTest,
    ::testing::ValuesIn(std::vector<TDDLRow>{
        Constraint("IB foreign key", DT::dbInterBase, ckForeignKey, ForeignKey,
                   "ALTER TABLE T1 ADD CONSTRAINT FK_X FOREIGN KEY (A) REFERENCES T2 (B) ON DELETE CASCADE\r\n"
                   "USING INDEX IX | ALTER TABLE T1 DROP CONSTRAINT FK_X"),
        // A target of ODS 8 knows no referential actions.
        Constraint("IB foreign key, ODS 8", DT::dbInterBase, ckForeignKey,
                   [](TCtrData& c) {
                       ForeignKey(c);
                       c.UpdateRule = 4;
                       c.DescIndex = true;
                       c.Objs()->IBServerOptions().IBDatabaseOptions().ODSMajorVersion = 8;
                   },
                   "ALTER TABLE T1 ADD CONSTRAINT FK_X FOREIGN KEY (A) REFERENCES T2 (B)\r\n"
                   "USING DESC INDEX IX | ALTER TABLE T1 DROP CONSTRAINT FK_X"),
        Constraint("IB foreign key, ODS 11", DT::dbInterBase, ckForeignKey,
                   [](TCtrData& c) {
                       ForeignKey(c);
                       c.UpdateRule = 4;
                       c.IndexName.clear();
                       c.Objs()->IBServerOptions().IBDatabaseOptions().ODSMajorVersion = 11;
                   },
                   "ALTER TABLE T1 ADD CONSTRAINT FK_X FOREIGN KEY (A) REFERENCES T2 (B) ON UPDATE SET NULL "
                   "ON DELETE CASCADE | ALTER TABLE T1 DROP CONSTRAINT FK_X"),
        Constraint("MSSQL primary key", DT::dbMSSQL, ckPrimaryKey, [](TCtrData&) {},
                   "ALTER TABLE T ADD PRIMARY KEY NONCLUSTERED (A) | /* drop constraint: ALTER TABLE T ADD PRIMARY KEY "
                   "NONCLUSTERED (A) */\r\n"),
        Constraint("MSSQL unique", DT::dbMSSQL, ckUnique, [](TCtrData& c) { c.DisplayName = "UQ__T__1A2B3C4D"; },
                   "ALTER TABLE T ADD UNIQUE (A) | ALTER TABLE T DROP CONSTRAINT UQ__T__1A2B3C4D"),
        Constraint("MSSQL default", DT::dbMSSQL, ckDefault,
                   [](TCtrData& c) {
                       c.SetName("DF_C");
                       c.SetBody("0");
                       c.Fields.Clear();
                       c.Fields.Add("C");
                   },
                   "ALTER TABLE T ADD CONSTRAINT DF_C DEFAULT 0 FOR C | ALTER TABLE T DROP CONSTRAINT DF_C"),
        {"MSSQL default in a column", DT::dbMSSQL,
         [](TObjs& o) {
             TCtrData c(&o);
             c.SetConstraintKind(ckDefault);
             c.SetName("DF_C");
             c.SetBody("0");
             c.Fields.Add("C");
             return c.GetConstraintText(true) + " | " + c.GetConstraintText(false);
         },
         "CONSTRAINT DF_C DEFAULT 0 | CONSTRAINT DF_C DEFAULT 0 FOR C"},
        // Schema and table are quoted in CREATE as in the drop.
        Constraint("MSSQL quoted table and referenced schema", DT::dbMSSQL, ckForeignKey,
                   [](TCtrData& c) {
                       c.SetName("FK");
                       c.SetSchema("dbo");
                       c.SetTableName("Order Details");
                       c.SetRefSchema("sales");
                       c.SetRefTableName("Orders");
                       c.NotForReplication = true;
                   },
                   "ALTER TABLE DBO.[ORDER DETAILS] ADD CONSTRAINT FK FOREIGN KEY (A) REFERENCES SALES.ORDERS NOT FOR "
                   "REPLICATION | ALTER TABLE DBO.[ORDER DETAILS] DROP CONSTRAINT FK"),
        // A PostgreSQL key into another schema names that schema.
        Constraint("PG cross-schema key", DT::dbPostgreSQL, ckForeignKey,
                   [](TCtrData& c) {
                       PGKey(c);
                       c.SetRefSchema("s2");
                       c.MatchType = 1;
                       c.Deferrable = c.InitiallyDeferred = true;
                   },
                   "ALTER TABLE s1.t ADD CONSTRAINT fk FOREIGN KEY (a) REFERENCES s2.u MATCH FULL DEFERRABLE "
                   "INITIALLY DEFERRED | ALTER TABLE s1.t DROP CONSTRAINT fk"),
        Constraint("PG key in its own schema", DT::dbPostgreSQL, ckForeignKey,
                   PGKey,
                   "ALTER TABLE s1.t ADD CONSTRAINT fk FOREIGN KEY (a) REFERENCES s1.u | ALTER TABLE s1.t DROP "
                   "CONSTRAINT fk"),
        Constraint("IB unnamed check", DT::dbInterBase, ckCheck, [](TCtrData& c) { c.SetBody("(A > 0)"); },
                   "ALTER TABLE T ADD CHECK(A > 0) | /* drop constraint: ALTER TABLE T ADD CHECK(A > 0) */\r\n"),
        // Made-up comment ends in a check cannot end the drop comment early.
        Constraint("IB unnamed check with a comment", DT::dbInterBase, ckCheck, [](TCtrData& c) { c.SetBody("(A > 0 /* x */)"); },
                   "ALTER TABLE T ADD CHECK(A > 0 /* x */) | /* drop constraint: ALTER TABLE T ADD CHECK(A > 0 / * x "
                   "* /) */\r\n"),
        Constraint("IB unnamed primary key", DT::dbInterBase, ckPrimaryKey, [](TCtrData&) {},
                   "ALTER TABLE T ADD PRIMARY KEY (A) | Delete from Rdb$Relation_Constraints\r\nwhere Rdb$Relation_Name "
                   "= 'T'\r\nand Rdb$Constraint_Type = 'PRIMARY KEY'"),
        Constraint("ASA unnamed unique", DT::dbSybaseASA, ckUnique,
                   [](TCtrData& c) {
                       c.Owner = "O";
                       c.Fields.Add("B");
                   },
                   "ALTER TABLE O.T ADD UNIQUE (A, B) | ALTER TABLE O.T DROP UNIQUE(A, B)"),
        Constraint("ASA unnamed foreign key", DT::dbSybaseASA, ckForeignKey,
                   [](TCtrData& c) {
                       c.SetRefTableName("U");
                       c.CheckOnCommit = true;
                   },
                   "ALTER TABLE DBA.T ADD FOREIGN KEY (A) REFERENCES DBA.U CHECK ON COMMIT | ALTER TABLE DBA.T DROP "
                   "FOREIGN KEY U"),
        Constraint("MySQL unique with index", DT::dbMySQL, ckUnique, [](TCtrData& c) { c.IndexName = "UX"; },
                   "ALTER TABLE T ADD UNIQUE UX (A) | ALTER TABLE T DROP KEY UX"),
        Constraint("MySQL primary key", DT::dbMySQL, ckPrimaryKey, [](TCtrData&) {},
                   "ALTER TABLE T ADD PRIMARY KEY (A) | ALTER TABLE T DROP PRIMARY KEY"),
        Constraint("Oracle not null", DT::dbOracle, ckNotNull, [](TCtrData& c) { c.SetName("NN"); },
                   "ALTER TABLE T MODIFY (A CONSTRAINT NN NOT NULL) | ALTER TABLE T DROP CONSTRAINT NN"),
        Constraint("Oracle not null without columns", DT::dbOracle, ckNotNull, [](TCtrData& c) { c.Fields.Clear(); },
                   "ALTER TABLE T | /* drop constraint: ALTER TABLE T */\r\n"),
        Constraint("column references, deferred", DT::dbInterBase, ckReferences,
                   [](TCtrData& c) {
                       c.SetRefTableName("U");
                       c.RefFields.Add("B");
                       c.DeferredConstraint = true;
                   },
                   "ALTER TABLE T ADD REFERENCES U(B)\r\nDEFERRABLE INITIALLY DEFERRED | /* drop constraint: ALTER TABLE "
                   "T ADD REFERENCES U(B)\r\nDEFERRABLE INITIALLY DEFERRED */\r\n"),
        Constraint("no columns, no names", DT::dbInterBase, ckUnique,
                   [](TCtrData& c) {
                       c.SetTableName("");
                       c.Fields.Clear();
                   },
                   "ALTER TABLE  ADD UNIQUE () | /* drop constraint: ALTER TABLE  ADD UNIQUE () */\r\n")}),
    qeltest::RowName);

} // namespace

// Unnamed constraints are keyed by their CREATE text without quotes, so two
// equal definitions share a key; the dialect goes back to 3 afterwards.
TEST(TCtrData, UnnamedConstraintsAreKeyedByTheirText)
{
    TObjs objs;
    objs.SetDatabaseType(TDatabaseType::dbInterBase);
    TCtrData a(&objs), b(&objs), named(&objs);
    for (TCtrData* c : {&a, &b, &named}) {
        c->SetConstraintKind(ckCheck);
        c->SetTableName("Order");
        c->SetBody("(\"Value\" > 0)");
    }
    named.SetName("CK");
    EXPECT_EQ(a.GetCreateDDL(), "ALTER TABLE \"Order\" ADD CHECK(\"Value\" > 0)");
    EXPECT_EQ(a.GetKey(), "ALTER TABLE Order ADD CHECK(\"Value\" > 0)");
    EXPECT_EQ(a.GetKey(), b.GetKey());
    EXPECT_EQ(named.GetKey(), "CK");
    EXPECT_EQ(objs.IBServerOptions().SQLDialect, 3);
    EXPECT_EQ(a.GetDisplayName(), a.GetCreateDDL());
    a.DisplayName = "INTEG_1";
    EXPECT_EQ(a.GetDisplayName(), "INTEG_1");
}
