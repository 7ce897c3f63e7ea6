#include "qelComp_Ctr.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <string>

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
