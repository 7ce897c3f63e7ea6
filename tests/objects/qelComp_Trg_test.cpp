#include "qelComp_Fld.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
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

// ---- texts ---------------------------------------------------------------------

namespace {

using qeltest::TDDLRow;
using DT = TDatabaseType;
constexpr std::uint8_t Insert = 1 << 1, Update = 1 << 2, Delete = 1 << 3;

// Trigger TR on Table (with the UPDATE OF columns given), timing and events
// as given.
std::unique_ptr<TTrgData> Trigger(TObjs& o, std::uint8_t timing, std::uint8_t events, const char* body,
                                  const char* table = "T", std::initializer_list<qeltest::TFieldSpec> columns = {})
{
    auto t = qeltest::Make<TTrgData>(o, "TR");
    t->SetTableName(table);
    t->Timing = timing;
    t->Events = events;
    t->SetBody(body);
    qeltest::AddFields(o, t->UpdateColumns, t.get(), columns);
    return t;
}

// The Firebird trigger of type 17 (before insert or update).
std::unique_ptr<TTrgData> IBTrigger(TObjs& o, const char* table = "T")
{
    auto t = Trigger(o, 0, 0, "AS BEGIN END", table);
    t->IBTypeCode = 17;
    return t;
}

std::string CreateAndDrop(const TTrgData& t) { return t.GetCreateDDL() + " | " + t.GetDropScript(); }

} // namespace

class TriggerText : public qeltest::TDDLTest {};
TEST_P(TriggerText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, TriggerText,
    ::testing::Values(
        TDDLRow{"IB", DT::dbInterBase,
                [](TObjs& o) {
                    auto t = IBTrigger(o);
                    const std::string text = CreateAndDrop(*t) + " | " + t->GetAlterScript() + " | ";
                    t->IBTypeCode = 114;
                    const std::string all = t->GetIBTypeText();
                    t->IBTypeCode = 2;
                    return text + all + " | " + t->GetIBTypeText();
                },
                "CREATE TRIGGER TR FOR T\r\nACTIVE BEFORE INSERT OR UPDATE POSITION 0 \r\nAS BEGIN END | DROP TRIGGER TR | "
                "ALTER TRIGGER TR\r\nAS BEGIN END | AFTER INSERT OR UPDATE OR DELETE | AFTER INSERT"},
        // The parser keeps the body after AS: the texts put it back, once.
        TDDLRow{"IB body without AS", DT::dbInterBase,
                [](TObjs& o) {
                    std::string text;
                    for (const char* body : {"BEGIN NEW.ID = 1; END", "DECLARE VARIABLE I INTEGER;\r\nBEGIN I = 0; END",
                                             "as begin end", "-- starts\r\nBEGIN END"}) {
                        auto t = Trigger(o, 0, 0, body, "T");
                        t->IBTypeCode = 1;
                        text += t->GetCreateDDL() + " | " + t->GetAlterScript() + " | ";
                    }
                    return text;
                },
                "CREATE TRIGGER TR FOR T\r\nACTIVE BEFORE INSERT POSITION 0 \r\nAS\r\nBEGIN NEW.ID = 1; END | "
                "ALTER TRIGGER TR\r\nAS\r\nBEGIN NEW.ID = 1; END | "
                "CREATE TRIGGER TR FOR T\r\nACTIVE BEFORE INSERT POSITION 0 \r\nAS\r\nDECLARE VARIABLE I INTEGER;\r\n"
                "BEGIN I = 0; END | ALTER TRIGGER TR\r\nAS\r\nDECLARE VARIABLE I INTEGER;\r\nBEGIN I = 0; END | "
                "CREATE TRIGGER TR FOR T\r\nACTIVE BEFORE INSERT POSITION 0 \r\nas begin end | "
                "ALTER TRIGGER TR\r\nas begin end | "
                "CREATE TRIGGER TR FOR T\r\nACTIVE BEFORE INSERT POSITION 0 \r\nAS\r\n-- starts\r\nBEGIN END | "
                "ALTER TRIGGER TR\r\nAS\r\n-- starts\r\nBEGIN END | "},
        TDDLRow{"IB database", DT::dbInterBase,
                [](TObjs& o) {
                    auto t = IBTrigger(o, "DATABASE");
                    t->DatabaseEvent = "CONNECT";
                    t->Active = false;
                    return t->GetCreateDDL();
                },
                "CREATE TRIGGER TR\r\nINACTIVE ON CONNECT\r\n POSITION 0 \r\nAS BEGIN END"},
        // A DDL trigger fires before or after its statements.
        TDDLRow{"IB DDL", DT::dbInterBase,
                [](TObjs& o) {
                    auto before = IBTrigger(o, "DATABASE"), after = IBTrigger(o, "DATABASE");
                    before->DatabaseEvent = "CREATE TABLE OR ALTER TABLE", before->Timing = 1;
                    after->DatabaseEvent = "ANY DDL STATEMENT", after->Timing = 2;
                    return before->GetCreateDDL() + " | " + after->GetCreateDDL();
                },
                "CREATE TRIGGER TR\r\nACTIVE BEFORE CREATE TABLE OR ALTER TABLE\r\n POSITION 0 \r\nAS BEGIN END | "
                "CREATE TRIGGER TR\r\nACTIVE AFTER ANY DDL STATEMENT\r\n POSITION 0 \r\nAS BEGIN END"},
        TDDLRow{"Oracle", DT::dbOracle,
                [](TObjs& o) {
                    auto t = Trigger(o, 1, Update | Delete, "BEGIN NULL; END;", "T", {{"A", 0}, {"B", 0}});
                    t->ForEachRow = true;
                    auto v = Trigger(o, 5, Insert, "BEGIN NULL; END;", "V");
                    v->SetSchema("S");
                    v->NewName = "N";
                    v->WhenCondition = "(1 = 1)";
                    return t->GetCreateDDL() + " | " + CreateAndDrop(*v);
                },
                "CREATE OR REPLACE TRIGGER TR\r\n  BEFORE UPDATE  OF A, B OR DELETE ON T\r\n  FOR EACH ROW\r\nBEGIN NULL; END;"
                " | CREATE OR REPLACE TRIGGER S.TR\r\n  INSTEAD OF INSERT ON S.V\r\n  REFERENCING NEW AS N\r\n"
                "  WHEN (1 = 1)\r\nBEGIN NULL; END; | DROP TRIGGER S.TR"},
        TDDLRow{"MySQL", DT::dbMySQL, [](TObjs& o) { return Trigger(o, 1, Insert | Delete, "BEGIN END")->GetCreateDDL(); },
                "CREATE TRIGGER TR BEFORE DELETE ON T\r\n     FOR EACH ROW\r\nBEGIN END"},
        TDDLRow{"MSSQL", DT::dbMSSQL,
                [](TObjs& o) {
                    auto t = Trigger(o, 2, Insert | Update, "SET NOCOUNT ON");
                    return t->GetCreateDDL() + " | " + t->GetAlterScript() + " | " + t->GetStubCreateScript() + " |" +
                           Trigger(o, 2, Insert, "")->GetCreateDDL();
                },
                "CREATE TRIGGER TR ON T\r\n AFTER INSERT, UPDATE\r\n AS\r\nSET NOCOUNT ON | ALTER TRIGGER TR ON T\r\n"
                " AFTER INSERT, UPDATE\r\n AS\r\nSET NOCOUNT ON | CREATE TRIGGER TR ON T\r\n AFTER INSERT, UPDATE\r\n "
                "AS\r\ndeclare @i integer;\r\nbegin set @i = 0; end |"},
        TDDLRow{"MSSQL schema, options, database", DT::dbMSSQL,
                [](TObjs& o) {
                    qeltest::KeepMSSQLCase(o);
                    auto t = Trigger(o, 5, Delete, "SELECT 1");
                    t->SetSchema("dbo");
                    t->WithAppend = t->NotForReplication = true;
                    auto d = Trigger(o, 4, 0, "PRINT 1", "DATABASE");
                    d->DatabaseEvent = "DROP_TABLE";
                    return CreateAndDrop(*t) + " | " + CreateAndDrop(*d);
                },
                "CREATE TRIGGER dbo.TR ON dbo.T\r\n INSTEAD OF DELETE\r\n WITH APPEND\r\n NOT FOR REPLICATION\r\n AS\r\n"
                "SELECT 1 | DROP TRIGGER dbo.TR | CREATE TRIGGER TR ON DATABASE\r\n FOR DROP_TABLE\r\n AS\r\nPRINT 1 | "
                "DROP TRIGGER TR ON DATABASE"},
        TDDLRow{"ASA", DT::dbSybaseASA,
                [](TObjs& o) {
                    auto t = Trigger(o, 1, Insert | Update, "BEGIN END", "T", {{"A", 0}, {"B", 0}});
                    t->Owner = "O";
                    t->Position = 2;
                    t->OldName = "OLD_ROW";
                    t->ForEachRow = true;
                    auto tsql = Trigger(o, 0, Insert | Delete, "BEGIN END");
                    tsql->TransactSQL = true;
                    return CreateAndDrop(*t) + " | " + CreateAndDrop(*tsql);
                },
                "CREATE TRIGGER \r\nTR BEFORE INSERT, UPDATE OF A, B ORDER 2 ON\r\nO.T\r\nREFERENCING OLD AS OLD_ROW\r\n"
                "FOR EACH ROW\r\nBEGIN END | DROP TRIGGER O.T.TR | CREATE TRIGGER \r\nTR ON DBA.T\r\n  FOR INSERT, DELETE"
                "\r\n  AS\r\nBEGIN END | DROP TRIGGER DBA.T.TR"},
        TDDLRow{"PostgreSQL", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto t = Trigger(o, 1, Insert | Update, "EXECUTE PROCEDURE f()", "t");
                    t->SetSchema("s");
                    t->ForEachRow = true;
                    auto plain = Trigger(o, 2, Delete, "EXECUTE PROCEDURE f()", "t");
                    plain->ForEachStatement = true;
                    return CreateAndDrop(*t) + " | " + CreateAndDrop(*plain);
                },
                "CREATE TRIGGER \"TR\"\r\n  BEFORE INSERT OR UPDATE\r\n  ON s.t\r\n  FOR EACH ROW\r\nEXECUTE PROCEDURE f() | "
                "DROP TRIGGER \"TR\" ON s.t | CREATE TRIGGER \"TR\"\r\n  AFTER DELETE\r\n  ON t\r\n  FOR EACH STATEMENT\r\n"
                "EXECUTE PROCEDURE f() | DROP TRIGGER \"TR\" ON t"},
        TDDLRow{"DB2", DT::dbDB2,
                [](TObjs& o) {
                    auto t = Trigger(o, 1, Update, "BEGIN ATOMIC END", "T", {{"A", 0}});
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
    EXPECT_EQ(t->GetStubCreateScript(), "CREATE TRIGGER TR FOR T\r\nACTIVE BEFORE INSERT OR UPDATE POSITION 0 \r\n"
                                        "AS Declare variable I integer;\r\nBEGIN I = 0; END");
    EXPECT_EQ(t->Body(), "AS\r\nBEGIN\r\n  NEW.A = 1;\r\nEND");
    const std::string created = t->GetSourceText();
    EXPECT_EQ(t->CreatedBody, t->Body());
    t->SetBody(t->GetStubBody());
    EXPECT_EQ(t->GetSourceText(), created);
}

// A trigger with a timing no server knows and no events still gets its
// texts; MS SQL keeps the event words apart from the table name.
TEST(TTrgData, UnknownTimingAndNoEventsRaiseNothing)
{
    qeltest::ExpectTextsRaiseNothing<TTrgData>([](TTrgData& t) { t.Timing = 9; });
    TObjs objs;
    objs.SetDatabaseType(DT::dbMSSQL);
    EXPECT_EQ(Trigger(objs, 9, 0, "X")->GetCreateDDL(), "CREATE TRIGGER TR ON T\r\n AS\r\nX");
    EXPECT_EQ(Trigger(objs, 9, Insert, "X")->GetCreateDDL(), "CREATE TRIGGER TR ON T\r\n INSERT\r\n AS\r\nX");
}
