// The create and drop walk over two sides (source 1, target 2, counterparts
// paired) or one, recorded by an executor without connection: each row acts
// and lists the statements in order, log lines and notes among them.
#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Idx.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"
#include "qelSQL_Exec.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

using namespace qel;
using DT = TDatabaseType;

namespace {

constexpr std::uint8_t INTEGER = 1;

struct TWorld {
    explicit TWorld(DT Type)
    {
        for (TObjs* o : {&Source, &Target}) {
            o->SetDatabaseType(Type);
            o->Executor = &X;
            o->OnLogNextLine = [this](TObject&, const std::string& t) { Seq.push_back("log: " + t); };
        }
        Source.Side = 1;
        Source.SetLinkedObjs(&Target);
        X.SetDatabaseType(Type);
        X.OnStatementAdd = [this](TStatement& s, bool&) {
            static const char* const kinds[] = {"connect", "reconnect", "createdb", "set", "blobfile", "commit",
                                                "stmt", "comment", "proc", "trg", "names", "charset", "dialect",
                                                "desc"};
            static const char* const ops[] = {"unknown", "create", "alter", "drop", "empty", "restore", "emptycreate",
                                              "emptydrop", "set", "commit", "comment", "description"};
            Seq.push_back(std::string(kinds[static_cast<int>(s.StatType)]) + " " + ops[static_cast<int>(s.Operation)] +
                          ": " + s.ExactText());
        };
    }
    // An object of side O, existing or still to be created.
    template <class T>
    T& Add(TObjs& O, const std::string& Name, bool Exists = true)
    {
        T& obj = qeltest::File<T>(O, Name);
        obj.Exists = Exists;
        return obj;
    }
    // The same object on both sides, paired.
    template <class T>
    std::pair<T&, T&> Both(const std::string& Name, bool Exists = true)
    {
        T& s = Add<T>(Source, Name, Exists);
        T& t = Add<T>(Target, Name, Exists);
        s.SetCounterpart(&t);
        return {s, t};
    }
    static TFldData& Column(TDbObj& Parent, TOwnedNameList<TFldData>& List, const char* Name, const char* Body = "")
    {
        TFldData& f = *qeltest::AddFields(*static_cast<TObjs*>(Parent.Objs()), List, &Parent, {{Name, INTEGER}});
        f.SetBody(Body);
        return f;
    }
    void Note(const std::string& Text) { Seq.push_back("note: " + Text); }

    TObjs Source;
    TObjs Target;
    TSQLExec X;
    std::vector<std::string> Seq;
};

struct TWalkRow {
    std::string Label;
    DT Server;
    std::function<void(TWorld&)> Act;
    std::vector<std::string> Expected;
    friend void PrintTo(const TWalkRow& Row, std::ostream* Os) { *Os << Row.Label; }
};

class Walk : public ::testing::TestWithParam<TWalkRow> {};

TEST_P(Walk, WritesTheStatementsInOrder)
{
    TWorld w(GetParam().Server);
    GetParam().Act(w);
    EXPECT_EQ(w.Seq, GetParam().Expected);
}

// Domain DPOS (INTEGER, NOT NULL, DEFAULT 1, a check that quotes the word
// VALUE) under DEPT.ID (the primary key PK_DEPT) and EMP.Q (a foreign key
// FK_EMP to DEPT.ID, a default of its own), and view V over DEPT.ID.
void MakeDomainSchema(TObjs& O)
{
    auto& d = qeltest::File<TDmnData>(O, "DPOS");
    d.BaseField->DataType = INTEGER, d.BaseField->Nullable = false, d.BaseField->DefaultValue = "1";
    d.BaseField->CheckText = " (VALUE > 0 AND 'VALUE' <> '')";
    auto& dept = qeltest::File<TTblData>(O, "DEPT");
    auto& emp = qeltest::File<TTblData>(O, "EMP");
    for (auto [table, name] : {std::pair{&dept, "ID"}, std::pair{&emp, "Q"}}) {
        TFldData& f = *qeltest::AddFields(O, table->Fields, table, {{name, dtDomain}});
        f.DomainName = "DPOS";
        qeltest::Uses(*table, d, name);
    }
    O.FindTableField("EMP", "Q")->DefaultValue = "2";
    auto& pk = qeltest::File<TCtrData>(O, "PK_DEPT");
    pk.SetConstraintKind(ckPrimaryKey), pk.SetTableName("DEPT"), pk.Fields.Add("ID");
    auto& fk = qeltest::File<TCtrData>(O, "FK_EMP");
    fk.SetTableName("EMP"), fk.Fields.Add("Q"), fk.SetRefTableName("DEPT"), fk.RefFields.Add("ID");
    qeltest::Uses(fk, pk), qeltest::Uses(pk, dept, "ID"), qeltest::Uses(fk, emp, "Q");
    auto& v = qeltest::File<TViwData>(O, "V");
    v.SetBody("SELECT ID FROM DEPT");
    qeltest::Uses(v, dept, "ID");
}

const std::string kStubIB = "CREATE PROCEDURE P2 AS\r\n BEGIN EXIT; END";
const std::string kTriggerStub = "AS Declare variable I integer;\r\nBEGIN I = 0; END";

INSTANTIATE_TEST_SUITE_P(
    Rows, Walk,
    ::testing::Values(
        TWalkRow{"UdfUsedByAViewColumn", DT::dbInterBase,
                 [](TWorld& w) {
                     auto& f = w.Add<TUdfData>(w.Target, "F");
                     auto [source, target] = w.Both<TViwData>("V");
                     source.SetBody("SELECT 1 FROM RDB$DATABASE");
                     qeltest::Uses(TWorld::Column(target, target.Columns, "C"), f);
                     f.DropObject();
                 },
                 {"stmt drop: DROP VIEW V", "stmt drop: /* Drop: F (TUdfData) */\r\nDROP EXTERNAL FUNCTION F",
                  "comment comment: /* Create view: V (ViwData.CreateDependDef) */",
                  "stmt create: CREATE VIEW V\r\n AS \r\nSELECT 1 FROM RDB$DATABASE"}},
        TWalkRow{"KeyWithForeignKeysAndATableTheSourceHolds", DT::dbInterBase,
                 [](TWorld& w) {
                     auto& key = w.Add<TCtrData>(w.Target, "PK1");
                     key.SetConstraintKind(ckPrimaryKey), key.SetTableName("T1");
                     auto& foreign = w.Add<TCtrData>(w.Target, "FK2");
                     foreign.SetTableName("T2");
                     qeltest::Uses(foreign, key);
                     key.DropObject();
                     w.Both<TTblData>("T1").second.DropObject();
                     w.Note(w.Target.FindTable("T1")->GetExists() ? "T1 kept" : "T1 gone");
                 },
                 // The attachment that dropped the foreign key connects again
                 // before the key can go.
                 {"stmt drop: ALTER TABLE T2 DROP CONSTRAINT FK2", "reconnect unknown: RECONNECT",
                  "stmt drop: ALTER TABLE T1 DROP CONSTRAINT PK1", "note: T1 kept"}},
        TWalkRow{"StubsForRoutinesAndViewTriggers", DT::dbInterBase,
                 [](TWorld& w) {
                     auto& p1 = w.Add<TPrcData>(w.Source, "P1", false);
                     auto& p2 = w.Add<TPrcData>(w.Source, "P2", false);
                     p1.SetBody("BEGIN EXECUTE PROCEDURE P2; END"), p2.SetBody("BEGIN END");
                     p1.SetDescription("x");
                     qeltest::Uses(p1, p2);
                     p1.CreateObject();
                     p2.CreateObject();
                     auto& v = w.Add<TViwData>(w.Source, "V", false);
                     v.SetBody("SELECT 1 FROM RDB$DATABASE");
                     auto& tr = w.Add<TTrgData>(w.Source, "TR", false);
                     tr.SetTableName("V"), tr.IBTypeCode = 1, tr.SetBody("AS BEGIN END");
                     v.CreateObject();
                     w.Note(tr.StubPending() ? "pending" : "done");
                     tr.CreateObject();
                     w.Note(tr.StubPending() ? "pending" : "done");
                 },
                 {"proc emptycreate: " + kStubIB, "proc create: CREATE PROCEDURE P1 AS\r\nBEGIN EXECUTE PROCEDURE P2; END",
                  "desc description: UPDATE RDB$PROCEDURES SET RDB$DESCRIPTION = \r\n'x'\r\nWHERE RDB$PROCEDURE_NAME = 'P1'",
                  "proc alter: ALTER PROCEDURE P2 AS\r\nBEGIN END",
                  "comment comment: /* Create view: V (ViwData.CreateDependDef) */",
                  "stmt create: CREATE VIEW V\r\n AS \r\nSELECT 1 FROM RDB$DATABASE",
                  "trg emptycreate: CREATE TRIGGER TR FOR V\r\nACTIVE BEFORE INSERT POSITION 0 \r\n" + kTriggerStub,
                  "note: pending", "trg alter: ALTER TRIGGER TR\r\nAS BEGIN END", "note: done"}},
        TWalkRow{"ExceptionDroppedOnce", DT::dbInterBase,
                 [](TWorld& w) {
                     auto& e = w.Add<TExcData>(w.Target, "E");
                     e.DropObject();
                     w.Note(e.GetExists() ? "exists" : "gone");
                     e.DropObject();
                 },
                 {"stmt drop: /* Drop: E (TExcData) */\r\nDROP EXCEPTION E", "note: gone"}},
        TWalkRow{"DB2SchemaSetOnce", DT::dbDB2,
                 [](TWorld& w) {
                     w.Target.Debug = true;
                     for (const char* name : {"V1", "V2"}) {
                         auto& v = w.Add<TViwData>(w.Target, name, false);
                         v.SetSchema("S"), v.SetBody("SELECT 1 FROM SYSIBM.SYSDUMMY1");
                         v.CreateObject();
                     }
                 },
                 {"log: CreateDependencies: TViwData S.V1", "stmt set: SET CURRENT SCHEMA = S",
                  "comment comment: /* Create view: V1 (ViwData.CreateDependDef) */",
                  "stmt create: CREATE VIEW S.V1\r\n AS \r\nSELECT 1 FROM SYSIBM.SYSDUMMY1",
                  "log: CreateDependencies: TViwData S.V2",
                  "comment comment: /* Create view: V2 (ViwData.CreateDependDef) */",
                  "stmt create: CREATE VIEW S.V2\r\n AS \r\nSELECT 1 FROM SYSIBM.SYSDUMMY1"}},
        TWalkRow{"CyclesStopWithALogLine", DT::dbInterBase,
                 [](TWorld& w) {
                     auto& a = w.Add<TViwData>(w.Target, "A", false);
                     auto& b = w.Add<TViwData>(w.Target, "B", false);
                     a.SetBody("SELECT * FROM B"), b.SetBody("SELECT * FROM A");
                     qeltest::Uses(a, b), qeltest::Uses(b, a);
                     a.CreateObject();
                     auto& d1 = w.Add<TDmnData>(w.Target, "D1", false);
                     auto& d2 = w.Add<TDmnData>(w.Target, "D2", false);
                     d1.BaseField->DataType = d2.BaseField->DataType = INTEGER;
                     qeltest::Uses(d1, d2), qeltest::Uses(d2, d1);
                     d1.CreateObject();
                     auto& p = w.Add<TPrcData>(w.Target, "P", false);
                     auto& q = w.Add<TPrcData>(w.Target, "Q", false);
                     qeltest::Uses(p, q), qeltest::Uses(q, p);
                     p.CreateObject();
                     q.CreateObject();
                 },
                 {"log: Dependency cycle: A", "comment comment: /* Create view: B (ViwData.CreateDependDef) */",
                  "stmt create: CREATE VIEW B\r\n AS \r\nSELECT * FROM A",
                  "comment comment: /* Create view: A (ViwData.CreateDependDef) */",
                  "stmt create: CREATE VIEW A\r\n AS \r\nSELECT * FROM B", "log: Dependency cycle: D1",
                  "stmt create: CREATE DOMAIN D2 AS INTEGER", "stmt create: CREATE DOMAIN D1 AS INTEGER", "proc emptycreate: CREATE PROCEDURE Q AS\r\n BEGIN EXIT; END",
                  "proc create: CREATE PROCEDURE P AS\r\n", "proc alter: ALTER PROCEDURE Q AS\r\n"}},
        TWalkRow{"LoneCollectionDropsTriggersAndIndexesFirst", DT::dbInterBase,
                 [](TWorld& w) {
                     auto& t = w.Add<TTblData>(w.Target, "T");
                     w.Add<TTrgData>(w.Target, "TR").SetTableName("T");
                     w.Add<TIdxData>(w.Target, "IX").TableName = "T";
                     w.Target.SetLinkedObjs(nullptr);
                     t.DropObject();
                 },
                 {"stmt drop: DROP TRIGGER TR", "reconnect unknown: RECONNECT",
                  "stmt drop: /* Drop: IX (TIdxData) */\r\nDROP INDEX IX", "stmt drop: DROP TABLE T"}},
        TWalkRow{"LoneSourceSideReadsNoTargetSide", DT::dbInterBase,
                 [](TWorld& w) {
                     w.Source.SetLinkedObjs(nullptr);
                     auto& f = w.Add<TUdfData>(w.Source, "F");
                     auto& v = w.Add<TViwData>(w.Source, "V");
                     v.SetBody("SELECT F(1) FROM RDB$DATABASE");
                     qeltest::Uses(TWorld::Column(v, v.Columns, "C"), f);
                     f.DropObject();
                 },
                 {"stmt drop: DROP VIEW V", "stmt drop: /* Drop: F (TUdfData) */\r\nDROP EXTERNAL FUNCTION F",
                  "comment comment: /* Create view: V (ViwData.CreateDependDef) */",
                  "stmt create: CREATE VIEW V(\r\nC)\r\n AS \r\nSELECT F(1) FROM RDB$DATABASE"}},
        TWalkRow{"ComputedColumnOverAViewOfItsTableIsDeferred", DT::dbInterBase,
                 [](TWorld& w) {
                     auto& d = w.Add<TDmnData>(w.Source, "D", false);
                     d.BaseField->DataType = INTEGER;
                     auto& t = w.Add<TTblData>(w.Source, "T", false);
                     TFldData& a = TWorld::Column(t, t.Fields, "A");
                     a.DataType = dtDomain, a.DomainName = "D";
                     TFldData& c = TWorld::Column(t, t.Fields, "C", "((SELECT COUNT(*) FROM V))");
                     auto& v = w.Add<TViwData>(w.Source, "V", false);
                     v.SetBody("SELECT A FROM T");
                     qeltest::Uses(c, v), qeltest::Uses(v, t, "A");
                     t.CreateObject();
                 },
                 {"stmt create: CREATE DOMAIN D AS INTEGER", "stmt create: CREATE TABLE T(A D)", "comment comment: ",
                  "comment comment: /* Create view: V (ViwData.CreateDependDef) */",
                  "stmt create: CREATE VIEW V\r\n AS \r\nSELECT A FROM T",
                  "stmt create: ALTER TABLE T ADD C INTEGER COMPUTED BY ((SELECT COUNT(*) FROM V))"}},
        TWalkRow{"RoutineEmptiedForAColumnAndRestoredFromTheSource", DT::dbInterBase,
                 [](TWorld& w) {
                     auto [st, tt] = w.Both<TTblData>("T");
                     TWorld::Column(st, st.Fields, "C");
                     TFldData& c = TWorld::Column(tt, tt.Fields, "C");
                     auto [sp, tp] = w.Both<TPrcData>("P");
                     sp.SetBody("BEGIN END"), tp.SetBody("BEGIN DELETE FROM T WHERE C = 1; END");
                     qeltest::Uses(tp, tt, "C");
                     c.DropObject();
                     sp.CreateObject();
                 },
                 {"comment comment: /* Empty P for drop T(C) */", "proc empty: ALTER PROCEDURE P AS\r\nBEGIN EXIT; END",
                  "stmt drop: ALTER TABLE T DROP C", "proc alter: ALTER PROCEDURE P AS\r\nBEGIN END"}},
        // A domain goes without its tables: key columns are retyped with
        // their keys gone for the moment, the foreign key first.
        TWalkRow{"DomainDropKeepsTablesOnFirebird", DT::dbInterBase,
                 [](TWorld& w) {
                     w.Target.SetLinkedObjs(nullptr);
                     w.Target.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
                     MakeDomainSchema(w.Target);
                     w.Target.FindDomain("DPOS")->DropObject();
                     w.Note(w.Target.FindTable("DEPT")->GetExists() && w.Target.FindTable("EMP")->GetExists()
                                ? "tables kept"
                                : "a table gone");
                     w.Note(w.Target.FindTableField("EMP", "Q")->GetCreateDDL());
                 },
                 {"stmt drop: ALTER TABLE EMP DROP CONSTRAINT FK_EMP", "reconnect unknown: RECONNECT",
                  "stmt drop: ALTER TABLE DEPT DROP CONSTRAINT PK_DEPT",
                  "stmt alter: ALTER TABLE DEPT ALTER COLUMN ID TYPE INTEGER",
                  "stmt alter: ALTER TABLE DEPT ALTER COLUMN ID SET NOT NULL",
                  "stmt alter: ALTER TABLE DEPT ALTER COLUMN ID SET DEFAULT 1",
                  "stmt alter: ALTER TABLE DEPT ADD CHECK (ID > 0 AND 'VALUE' <> '')",
                  "stmt create: ALTER TABLE DEPT ADD CONSTRAINT PK_DEPT PRIMARY KEY (ID)",
                  "stmt create: ALTER TABLE EMP ADD CONSTRAINT FK_EMP FOREIGN KEY (Q) REFERENCES DEPT (ID)",
                  "stmt drop: ALTER TABLE EMP DROP CONSTRAINT FK_EMP",
                  "stmt alter: ALTER TABLE EMP ALTER COLUMN Q TYPE INTEGER",
                  "stmt alter: ALTER TABLE EMP ALTER COLUMN Q SET NOT NULL",
                  "stmt alter: ALTER TABLE EMP ADD CHECK (Q > 0 AND 'VALUE' <> '')",
                  "stmt create: ALTER TABLE EMP ADD CONSTRAINT FK_EMP FOREIGN KEY (Q) REFERENCES DEPT (ID)",
                  "stmt drop: /* Drop: DPOS (TDmnData) */\r\nDROP DOMAIN DPOS", "note: tables kept",
                  "note: Q INTEGER DEFAULT 2 NOT NULL"}},
        // PostgreSQL retypes key columns but no column a view reads.
        TWalkRow{"DomainDropKeepsTablesOnPostgreSQL", DT::dbPostgreSQL,
                 [](TWorld& w) {
                     w.Target.SetLinkedObjs(nullptr);
                     MakeDomainSchema(w.Target);
                     w.Target.FindDomain("DPOS")->DropObject();
                 },
                 {"stmt drop: DROP VIEW \"V\"",
                  "stmt alter: ALTER TABLE \"DEPT\" ALTER COLUMN \"ID\" TYPE integer",
                  "stmt alter: ALTER TABLE \"DEPT\" ALTER COLUMN \"ID\" SET NOT NULL",
                  "stmt alter: ALTER TABLE \"DEPT\" ALTER COLUMN \"ID\" SET DEFAULT 1",
                  "stmt alter: ALTER TABLE \"DEPT\" ADD CHECK (\"ID\" > 0 AND 'VALUE' <> '')",
                  "comment comment: /* Create view: V (ViwData.CreateDependDef) */",
                  "stmt create: CREATE VIEW \"V\"\r\n AS \r\nSELECT ID FROM DEPT",
                  "stmt alter: ALTER TABLE \"EMP\" ALTER COLUMN \"Q\" TYPE integer",
                  "stmt alter: ALTER TABLE \"EMP\" ALTER COLUMN \"Q\" SET NOT NULL",
                  "stmt alter: ALTER TABLE \"EMP\" ADD CHECK (\"Q\" > 0 AND 'VALUE' <> '')",
                  "stmt drop: DROP DOMAIN \"DPOS\""}},
        // Where the server has no way to retype the column, nothing is written.
        TWalkRow{"DomainDropRefusedWithoutAWay", DT::dbInterBase,
                 [](TWorld& w) {
                     w.Target.SetLinkedObjs(nullptr);
                     w.Target.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_25;
                     MakeDomainSchema(w.Target);
                     w.Target.FindDomain("DPOS")->DropObject();
                     w.Target.SetDatabaseType(DT::dbMSSQL);
                     w.Target.FindDomain("DPOS")->DropObject();
                 },
                 {"log: Cannot drop domain DPOS: column ID of table DEPT uses it, and the server version cannot make "
                  "the column NOT NULL",
                  "log: Cannot drop domain DPOS: column ID of table DEPT uses it, and the server type cannot change "
                  "the column's type"}},
        // PostgreSQL has no ALTER for a trigger's body: the trigger that
        // went with its view comes back whole with the view.
        TWalkRow{"PostgreSQLViewTriggerComesBackWithTheView", DT::dbPostgreSQL,
                 [](TWorld& w) {
                     auto [s2, t2] = w.Both<TViwData>("v2");
                     s2.SetBody("SELECT 2"), s2.SavedText = "new", t2.SavedText = "old";
                     auto [str, ttr] = w.Both<TTrgData>("tr");
                     for (TTrgData* tr : {&str, &ttr}) {
                         tr->SetTableName("v2"), tr->Timing = 3, tr->Events = 1 << 1, tr->ForEachRow = true;
                         tr->SetBody("EXECUTE PROCEDURE f()");
                     }
                     qeltest::Uses(ttr, t2), qeltest::Uses(str, s2);
                     auto& v1 = w.Add<TViwData>(w.Source, "v1", false);
                     v1.SetBody("SELECT * FROM v2");
                     qeltest::Uses(v1, s2);
                     v1.CreateObject();
                     w.Note(ttr.GetExists() ? "trigger there" : "trigger gone");
                 },
                 {"comment comment: /* Alter view (drop/create): v2 for view: v1 */",
                  "comment comment: /* Alter view (drop): v2 for view: v1 */", "stmt drop: DROP TRIGGER tr ON v2",
                  "stmt drop: DROP VIEW v2", "comment comment: /* Alter view (create): v2 for view: v1 */",
                  "comment comment: /* Create view: v2 (ViwData.CreateDependDef) */",
                  "stmt create: CREATE VIEW v2\r\n AS \r\nSELECT 2",
                  "trg create: CREATE TRIGGER tr\r\n INSERT\r\n  ON v2\r\n  FOR EACH ROW\r\nEXECUTE PROCEDURE f()",
                  "comment comment: /* Create view: v1 (ViwData.CreateDependDef) */",
                  "stmt create: CREATE VIEW v1\r\n AS \r\nSELECT * FROM v2", "note: trigger there"}},
        TWalkRow{"UsedViewRecreatedWhenTheSidesDiffer", DT::dbInterBase,
                 [](TWorld& w) {
                     auto [s2, t2] = w.Both<TViwData>("V2");
                     s2.SetBody("SELECT 2 FROM RDB$DATABASE"), s2.SavedText = "new", t2.SavedText = "old";
                     auto& v1 = w.Add<TViwData>(w.Source, "V1", false);
                     v1.SetBody("SELECT * FROM V2");
                     qeltest::Uses(v1, s2);
                     v1.CreateObject();
                     w.Note(t2.SavedText);
                 },
                 {"comment comment: /* Alter view (drop/create): V2 for view: V1 */",
                  "comment comment: /* Alter view (drop): V2 for view: V1 */", "stmt drop: DROP VIEW V2",
                  "comment comment: /* Alter view (create): V2 for view: V1 */",
                  "comment comment: /* Create view: V2 (ViwData.CreateDependDef) */",
                  "stmt create: CREATE VIEW V2\r\n AS \r\nSELECT 2 FROM RDB$DATABASE",
                  "comment comment: /* Create view: V1 (ViwData.CreateDependDef) */",
                  "stmt create: CREATE VIEW V1\r\n AS \r\nSELECT * FROM V2", "note: new"}}),
    [](const auto& info) { return info.param.Label; });

} // namespace
