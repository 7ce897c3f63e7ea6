#include "qelComp_Trg.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace qel;

namespace {

template <class T>
T* File(TObjs& objs, const std::string& name)
{
    auto obj = std::make_unique<T>(&objs);
    obj->SetName(name);
    return static_cast<T*>(objs.AddObject(std::move(obj)));
}

} // namespace

// A trigger's table name resolves to a table, else a view of that name, else
// to nothing; SQL Anywhere looks the name up under the trigger's owner.
TEST(TTrgData, TableNameResolvesATableElseAView)
{
    TObjs objs;
    objs.SetDatabaseType(TDatabaseType::dbInterBase);
    TTblData* both = File<TTblData>(objs, "BOTH");
    File<TViwData>(objs, "BOTH");
    TViwData* view = File<TViwData>(objs, "V");
    const struct {
        std::string name;
        TDbObj* table;
    } cases[] = {{"BOTH", both}, {"V", view}, {"NONE", nullptr}, {"DATABASE", nullptr}, {"V", view}};
    TTrgData trigger(&objs);
    for (const auto& c : cases) {
        trigger.SetTableName(c.name);
        EXPECT_EQ(trigger.TableName(), c.name);
        EXPECT_EQ(trigger.Table(), c.table) << c.name;
    }

    TObjs asa;
    asa.SetDatabaseType(TDatabaseType::dbSybaseASA);
    auto dbaTable = std::make_unique<TTblData>(&asa);
    dbaTable->SetName("T");
    dbaTable->SetSchema("DBA");
    TDbObj* owned = asa.AddObject(std::move(dbaTable));
    TTrgData asaTrigger(&asa);
    asaTrigger.Owner = "DBA";
    asaTrigger.SetTableName("T");
    EXPECT_EQ(asaTrigger.Table(), owned);
}

// Only a TObjs can find tables; a trigger of any other collection, or of
// none, keeps its table name and no table.
TEST(TTrgData, NoTableOutsideATObjs)
{
    TCustomObjs custom;
    TTrgData trigger(&custom), loose(nullptr);
    trigger.SetTableName("T");
    loose.SetTableName("T");
    EXPECT_EQ(trigger.Table(), nullptr);
    EXPECT_EQ(loose.Table(), nullptr);
    EXPECT_EQ(trigger.TableName(), "T");
}

// A table or view that goes takes itself out of its triggers' Table, and a
// trigger that goes first leaves nothing behind in the table.
TEST(TTrgData, TableThatGoesLeavesNoDanglingPointer)
{
    TObjs objs;
    auto table = std::make_unique<TTblData>(&objs);
    table->SetName("T");
    TTblData* raw = table.get();
    objs.Tables.Add("T", raw);
    TTrgData kept(&objs);
    kept.SetTableName("T");
    {
        TTrgData gone(&objs);
        gone.SetTableName("T");
        EXPECT_EQ(gone.Table(), raw);
    }
    ASSERT_EQ(kept.Table(), raw);
    objs.Tables.Clear();
    table.reset();
    EXPECT_EQ(kept.Table(), nullptr);
    kept.SetTableName("T"); // nothing filed under T any more
    EXPECT_EQ(kept.Table(), nullptr);
}

TEST(TTrgData, StubPendingReachesTheCounterpart)
{
    TObjs source, target;
    TTrgData mine(&target), theirs(&source), alone(&target);
    EXPECT_TRUE(mine.Active);
    mine.SetCounterpart(&theirs);
    mine.SetStubPending(true);
    EXPECT_TRUE(theirs.StubPending());
    theirs.SetStubPending(false);
    EXPECT_FALSE(mine.StubPending());
    alone.SetStubPending(true);
    EXPECT_TRUE(alone.StubPending());
}

// Each row's system-table code, decoded the way the Firebird engine encodes
// it, gives the row's words, and its type number adds up from the same words.
TEST(TrgTypes, RowsAgreeWithTheEncodings)
{
    const char* const words[] = {"", "INSERT", "UPDATE", "DELETE"};
    const int eventValues[] = {0, 512, 1024, 2048};
    for (const TTrgType& row : TrgTypes) {
        const int v = row.IBTypeCode + 1;
        std::string text = (v & 1) != 0 ? "AFTER " : "BEFORE ";
        int type = (v & 1) != 0 ? 2 : 1;
        for (int shift = 1; shift <= 5; shift += 2) {
            const int code = (v >> shift) & 3;
            if (code == 0) continue;
            text += std::string(shift == 1 ? "" : " OR ") + words[code];
            type += eventValues[code];
        }
        EXPECT_EQ(row.Text, text) << row.IBTypeCode;
        EXPECT_EQ(row.TriggerType, type) << row.IBTypeCode;
    }
}
