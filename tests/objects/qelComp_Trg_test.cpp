#include "qelComp_Fld.h"
#include "qelComp_Trg.h"
#include "qelComp_Tbl.h"
#include "qelComp_Viw.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;

namespace {

template <class T>
T* File(TObjs& objs, const std::string& name)
{
    auto obj = std::make_unique<T>(&objs);
    obj->SetName(name);
    return static_cast<T*>(objs.AddObject(std::move(obj)));
}

constexpr std::uint8_t Insert = 1 << 1, Update = 1 << 2, Delete = 1 << 3;

// Trigger TR on table T: timing, events and body as given.
std::unique_ptr<TTrgData> Trigger(TObjs& objs, std::uint8_t timing, std::uint8_t events, const std::string& body,
                                  const std::string& table = "T")
{
    auto t = std::make_unique<TTrgData>(&objs);
    t->SetName("TR");
    t->SetTableName(table);
    t->Timing = timing;
    t->Events = events;
    t->SetBody(body);
    return t;
}

// The Firebird trigger of the rows: type 17 (before insert or update).
std::unique_ptr<TTrgData> IBTrigger(TObjs& objs)
{
    auto t = Trigger(objs, 0, 0, "AS BEGIN END");
    t->IBTypeCode = 17;
    return t;
}

void AddColumns(TObjs& objs, TTrgData& t, std::initializer_list<const char*> names)
{
    for (const char* name : names) qeltest::AddField(objs, t.UpdateColumns, &t, name, 0);
}

} // namespace

class TriggerText : public qeltest::TDDLTest {};
TEST_P(TriggerText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, TriggerText,
    ::testing::Values(
        TDDLRow{"IBTableTrigger", DT::dbInterBase, [](TObjs& o) { return IBTrigger(o)->GetCreateDDL(); },
                "CREATE TRIGGER TR FOR T\r\nACTIVE BEFORE INSERT OR UPDATE POSITION 0 \r\nAS BEGIN END"},
        TDDLRow{"IBType114", DT::dbInterBase,
                [](TObjs& o) {
                    auto t = IBTrigger(o);
                    t->IBTypeCode = 114;
                    return t->GetIBTypeText();
                },
                "AFTER INSERT OR UPDATE OR DELETE"},
        TDDLRow{"IBType2", DT::dbInterBase,
                [](TObjs& o) {
                    auto t = IBTrigger(o);
                    t->IBTypeCode = 2;
                    return t->GetIBTypeText();
                },
                "AFTER INSERT"},
        TDDLRow{"IBDatabaseTrigger", DT::dbInterBase,
                [](TObjs& o) {
                    auto t = IBTrigger(o);
                    t->SetTableName("DATABASE");
                    t->DatabaseEvent = "CONNECT";
                    return t->GetCreateDDL();
                },
                "CREATE TRIGGER TR\r\nACTIVE ON CONNECT\r\n POSITION 0 \r\nAS BEGIN END"},
        TDDLRow{"IBInactiveAlterAndDrop", DT::dbInterBase,
                [](TObjs& o) {
                    auto t = IBTrigger(o);
                    t->Active = false;
                    t->Position = 5;
                    return t->GetCreateDDL() + " | " + t->GetAlterScript() + " | " + t->GetDropScript();
                },
                "CREATE TRIGGER TR FOR T\r\nINACTIVE BEFORE INSERT OR UPDATE POSITION 5 \r\nAS BEGIN END | "
                "ALTER TRIGGER TR\r\nAS BEGIN END | DROP TRIGGER TR"},
        TDDLRow{"OracleUpdateOfColumns", DT::dbOracle,
                [](TObjs& o) {
                    auto t = Trigger(o, 1, Update | Delete, "BEGIN NULL; END;");
                    AddColumns(o, *t, {"A", "B"});
                    t->ForEachRow = true;
                    return t->GetCreateDDL();
                },
                "CREATE OR REPLACE TRIGGER TR\r\n  BEFORE UPDATE  OF A, B OR DELETE ON T\r\n  FOR EACH ROW\r\n"
                "BEGIN NULL; END;"},
        TDDLRow{"OracleInSchema", DT::dbOracle,
                [](TObjs& o) {
                    auto t = Trigger(o, 5, Insert, "BEGIN NULL; END;", "V");
                    t->SetSchema("S");
                    t->NewName = "N";
                    t->WhenCondition = "(1 = 1)";
                    return t->GetCreateDDL() + " | " + t->GetDropScript();
                },
                "CREATE OR REPLACE TRIGGER S.TR\r\n  INSTEAD OF INSERT ON S.V\r\n  REFERENCING NEW AS N\r\n"
                "  WHEN (1 = 1)\r\nBEGIN NULL; END; | DROP TRIGGER S.TR"},
        TDDLRow{"MySQL", DT::dbMySQL,
                [](TObjs& o) { return Trigger(o, 1, Insert | Delete, "BEGIN END")->GetCreateDDL(); },
                "CREATE TRIGGER TR BEFORE DELETE ON T\r\n     FOR EACH ROW\r\nBEGIN END"},
        TDDLRow{"MSSQLCreateAndAlter", DT::dbMSSQL,
                [](TObjs& o) {
                    auto t = Trigger(o, 2, Insert | Update, "SET NOCOUNT ON");
                    return t->GetCreateDDL() + " | " + t->GetAlterScript();
                },
                "CREATE TRIGGER TR ON T\r\n AFTER INSERT, UPDATE\r\n AS\r\nSET NOCOUNT ON | "
                "ALTER TRIGGER TR ON T\r\n AFTER INSERT, UPDATE\r\n AS\r\nSET NOCOUNT ON"},
        TDDLRow{"MSSQLInSchemaWithOptions", DT::dbMSSQL,
                [](TObjs& o) {
                    qeltest::KeepMSSQLCase(o);
                    auto t = Trigger(o, 5, Delete, "SELECT 1");
                    t->SetSchema("dbo");
                    t->WithAppend = t->NotForReplication = true;
                    return t->GetCreateDDL() + " | " + t->GetDropScript();
                },
                "CREATE TRIGGER dbo.TR ON dbo.T\r\n INSTEAD OF DELETE\r\n WITH APPEND\r\n NOT FOR REPLICATION\r\n"
                " AS\r\nSELECT 1 | DROP TRIGGER dbo.TR"},
        TDDLRow{"MSSQLWithoutBody", DT::dbMSSQL,
                [](TObjs& o) { return Trigger(o, 2, Insert, "")->GetCreateDDL(); }, ""},
        TDDLRow{"MSSQLDatabaseTrigger", DT::dbMSSQL,
                [](TObjs& o) {
                    auto t = Trigger(o, 4, 0, "PRINT 1", "DATABASE");
                    t->DatabaseEvent = "DROP_TABLE";
                    return t->GetCreateDDL() + " | " + t->GetDropScript();
                },
                "CREATE TRIGGER TR ON DATABASE\r\n FOR DROP_TABLE\r\n AS\r\nPRINT 1 | DROP TRIGGER TR ON DATABASE"},
        TDDLRow{"MSSQLStub", DT::dbMSSQL,
                [](TObjs& o) { return Trigger(o, 2, Insert, "SELECT 1")->GetStubCreateScript(); },
                "CREATE TRIGGER TR ON T\r\n AFTER INSERT\r\n AS\r\ndeclare @i integer;\r\nbegin set @i = 0; end"},
        TDDLRow{"ASAWatcomForm", DT::dbSybaseASA,
                [](TObjs& o) {
                    auto t = Trigger(o, 1, Insert | Update, "BEGIN END");
                    t->Owner = "O";
                    t->Position = 2;
                    AddColumns(o, *t, {"A", "B"});
                    t->OldName = "OLD_ROW";
                    t->NewName = "NEW_ROW";
                    t->ForEachRow = true;
                    return t->GetCreateDDL() + " | " + t->GetDropScript();
                },
                "CREATE TRIGGER \r\nTR BEFORE INSERT, UPDATE OF A, B ORDER 2 ON\r\nO.T\r\n"
                "REFERENCING OLD AS OLD_ROW NEW AS NEW_ROW\r\nFOR EACH ROW\r\nBEGIN END | DROP TRIGGER O.T.TR"},
        TDDLRow{"ASATransactSQLForm", DT::dbSybaseASA,
                [](TObjs& o) {
                    auto t = Trigger(o, 0, Insert | Delete, "BEGIN END");
                    t->TransactSQL = true;
                    return t->GetCreateDDL() + " | " + t->GetDropScript();
                },
                "CREATE TRIGGER \r\nTR ON DBA.T\r\n  FOR INSERT, DELETE\r\n  AS\r\nBEGIN END | DROP TRIGGER DBA.T.TR"},
        TDDLRow{"PostgreSQL", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto t = Trigger(o, 1, Insert | Update, "EXECUTE PROCEDURE s.f()", "t");
                    t->SetName("tr");
                    t->SetSchema("s");
                    t->ForEachRow = true;
                    return t->GetCreateDDL() + " | " + t->GetDropScript();
                },
                "CREATE TRIGGER tr\r\n  BEFORE INSERT OR UPDATE\r\n  ON s.t\r\n  FOR EACH ROW\r\n"
                "EXECUTE PROCEDURE s.f() | DROP TRIGGER tr ON s.t"},
        TDDLRow{"PostgreSQLWithoutSchema", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto t = Trigger(o, 2, Delete, "EXECUTE PROCEDURE f()", "t");
                    t->SetName("tr");
                    t->ForEachStatement = true;
                    return t->GetCreateDDL() + " | " + t->GetDropScript();
                },
                "CREATE TRIGGER tr\r\n  AFTER DELETE\r\n  ON t\r\n  FOR EACH STATEMENT\r\nEXECUTE PROCEDURE f() | "
                "DROP TRIGGER tr ON t"},
        TDDLRow{"DB2", DT::dbDB2,
                [](TObjs& o) {
                    auto t = Trigger(o, 1, Update, "BEGIN ATOMIC END");
                    AddColumns(o, *t, {"A"});
                    t->NewName = "N";
                    t->ForEachRow = true;
                    t->Mode = "DB2SQL";
                    return t->GetCreateDDL();
                },
                "CREATE TRIGGER TR\r\n  NO CASCADE BEFORE UPDATE OF A ON T\r\n  REFERENCING\r\n  NEW AS N\r\n"
                "  FOR EACH ROW MODE DB2SQL\r\nBEGIN ATOMIC END"}),
    qeltest::RowName);

// The stub text takes the stub body in place of the real one and leaves the
// real one as it was; the source text keeps the body the trigger was created
// with.
TEST(TTrgData, StubCreateScriptLeavesTheBodyAlone)
{
    TObjs objs;
    objs.SetDatabaseType(TDatabaseType::dbInterBase);
    auto t = IBTrigger(objs);
    t->SetBody("AS\nBEGIN\n  NEW.A = 1;\nEND  ");
    const std::string body = t->Body();
    EXPECT_EQ(t->GetStubCreateScript(), "CREATE TRIGGER TR FOR T\r\nACTIVE BEFORE INSERT OR UPDATE POSITION 0 \r\n"
                                        "AS Declare variable I integer;\r\nBEGIN I = 0; END");
    EXPECT_EQ(t->Body(), body);
    EXPECT_EQ(body, "AS\r\nBEGIN\r\n  NEW.A = 1;\r\nEND");

    const std::string created = t->GetSourceText();
    EXPECT_EQ(t->CreatedBody, body);
    t->SetBody(t->GetStubBody());
    EXPECT_EQ(t->GetSourceText(), created);
    EXPECT_NE(t->GetCreateDDL(), created);
}

// A trigger with a timing no server knows and no events still gets texts,
// and MS SQL keeps the event words apart from the table name.
TEST(TTrgData, UnknownTimingAndNoEventsRaiseNothing)
{
    qeltest::ExpectTextsRaiseNothing<TTrgData>([](TTrgData& t) { t.Timing = 9; });
    TObjs objs;
    objs.SetDatabaseType(DT::dbMSSQL);
    EXPECT_EQ(Trigger(objs, 9, 0, "X")->GetCreateDDL(), "CREATE TRIGGER TR ON T\r\n AS\r\nX");
    EXPECT_EQ(Trigger(objs, 9, Insert, "X")->GetCreateDDL(), "CREATE TRIGGER TR ON T\r\n INSERT\r\n AS\r\nX");
    objs.SetDatabaseType(DT::dbOracle);
    EXPECT_EQ(Trigger(objs, 9, 0, "X")->GetCreateDDL(), "CREATE OR REPLACE TRIGGER TR\r\n ON T\r\nX");
}

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
