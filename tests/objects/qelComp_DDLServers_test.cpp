// The DDL texts of the object model on real servers: a fresh embedded
// Firebird 3 database and the PostgreSQL test cluster. Every CREATE runs,
// then every drop in reverse order, each committed alone, without error.
#include "qelComp_Ctr.h"
#include "qelComp_Fld.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Pkg.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelEngineTestSupport.h"
#include "qelIBSQLExec.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace qel;
using K = TDbObject;
using P = TPrivilege;

namespace {

// Collects each object's CREATE text and drop; runs them on a server.
struct TSteps {
    explicit TSteps(TDatabaseType Type) { Objs.SetDatabaseType(Type); }

    // A new object of the collection named Name (with Schema), kept here.
    template <class T>
    T& Make(const std::string& Name, const std::string& Schema = {})
    {
        auto& obj = static_cast<T&>(*Kept.emplace_back(std::make_unique<T>(&Objs)));
        obj.SetName(Name), obj.SetSchema(Schema);
        return obj;
    }
    TTblData& Table(const std::string& Name, const std::string& Columns, const std::string& Schema = {})
    {
        auto& t = Make<TTblData>(Name, Schema);
        for (char c : Columns) Column(t, std::string(1, c), 1);
        return t;
    }
    TFldData& Column(TTblData& T, const std::string& Name, std::uint8_t Code, std::int32_t Length = 0)
    {
        auto* f = T.Fields.Add(Name, std::make_unique<TFldData>(&Objs, &T));
        f->SetName(Name), f->DataType = Code, f->Length = Length;
        return *f;
    }
    TCtrData& Constraint(const char* Name, TConstraintKind Kind, const std::string& Table, const char* Field,
                         const std::string& Schema = {})
    {
        auto& c = Make<TCtrData>(Name, Schema);
        c.SetConstraintKind(Kind), c.SetTableName(Table), c.Fields.Add(Field);
        return c;
    }
    TGntData& Grant(const std::string& Object, K Kind, TPrivileges Privileges, const std::string& Grantee, int Option = 0)
    {
        auto& g = Make<TGntData>("");
        g.ObjectName = Object, g.ObjectKind = Kind, g.Privileges = Privileges, g.Grantee = Grantee, g.GrantOption = Option;
        return g;
    }
    void Add(TDbObj& Obj) { Creates.push_back(Obj.GetCreateScript()), Drops.push_back(Obj.GetDropScript()); }
    // Every object made since the last call, in order.
    void AddNew()
    {
        for (; m_added < Kept.size(); ++m_added) Add(*Kept[m_added]);
    }
    bool Has(const std::string& Create) const { return std::find(Creates.begin(), Creates.end(), Create) != Creates.end(); }

    // Runs the CREATE texts in order, Between, then the drops in reverse,
    // each with its own commit; answers every error reported.
    std::string Run(TSQLExec& X, const std::function<void()>& Between)
    {
        std::string errors;
        X.OnErrorMessage = [&errors](TObject&, const std::string& Text) { errors += Text + "\n"; };
        for (const auto* list : {&Creates, &Drops}) {
            X.Clear();
            for (std::size_t i = 0; i < list->size(); ++i) {
                X.AddStatement((*list)[list == &Creates ? i : list->size() - 1 - i], TStatType::stStatement);
                X.AddCommit();
            }
            X.Execute();
            if (list == &Creates) Between();
        }
        return errors;
    }

    TObjs Objs;
    std::vector<std::unique_ptr<TDbObj>> Kept;
    std::vector<std::string> Creates, Drops;

private:
    std::size_t m_added = 0;
};

const TPrivileges kFive{P::prSelect, P::prInsert, P::prUpdate, P::prDelete, P::prReferences};

} // namespace

TEST(DDLOnServers, Firebird3TextsRunAndDropInReverse)
{
    qeltest::TempDir dir;
    const std::string path = dir.File("ddl.fdb");
    qeltest::CreateFirebird(path);
    TQELConnection c;
    qeltest::ConfigureFirebird(c, path);
    TIBSQLExec x;
    x.SetQELConnection(&c);
    TSteps s(TDatabaseType::dbInterBase);
    s.Objs.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;

    s.Table("T2", "B").Fields.Objects(0)->Nullable = false;
    TTblData& t1 = s.Table("T1", "A");
    t1.Fields.Objects(0)->Nullable = false;
    s.Column(t1, "B", 14, 10);
    TTblData& tt = s.Table("TT", "A");
    tt.GlobalTemporary = true, tt.OnCommit = 1;
    TTblData& tx = s.Table("TX", "");
    tx.ExternalFile = dir.File("x.dat");
    s.Column(tx, "A", 15, 10);
    s.AddNew();
    TFldData& id = s.Column(t1, "ID", 1);
    id.Identity = true, id.Nullable = false;
    TFldData& note = s.Column(t1, "C", 14, 10);
    note.DefaultValue = "\"it's\"";
    s.Add(id), s.Add(note);
    s.Constraint("PK_T2", ckPrimaryKey, "T2", "B");
    s.Constraint("PK_T1", ckPrimaryKey, "T1", "ID");
    TCtrData& fk = s.Constraint("FK_X", ckForeignKey, "T1", "A");
    fk.SetRefTableName("T2"), fk.RefFields.Add("B"), fk.DeleteRule = 2, fk.IndexName = "IX";
    s.Constraint("CK_A", ckCheck, "T1", "A").SetBody("(A > 0)");
    TIdxData& ix = s.Make<TIdxData>("I");
    ix.TableName = "T1", ix.Unique = ix.Descending = true, ix.Fields.Add("A"), ix.Fields.Add("B");
    TIdxData& expr = s.Make<TIdxData>("I2");
    expr.TableName = "T1", expr.SetBody("(UPPER(B))");
    s.Make<TGnrData>("G");
    s.Make<TRolData>("R");
    s.AddNew();
    TPkgData pkg(&s.Objs);
    pkg.SetName("PK"), pkg.HeaderText = "BEGIN\r\n  FUNCTION F RETURNS INT;\r\nEND";
    pkg.SetBody("BEGIN\r\n  FUNCTION F RETURNS INT AS BEGIN RETURN 1; END\r\nEND");
    s.Creates.insert(s.Creates.end(), {pkg.GetHeaderText(), pkg.GetBodyText(), "CREATE PROCEDURE P AS BEGIN END",
                                       "CREATE PROCEDURE Q AS BEGIN END"});
    s.Drops.insert(s.Drops.end(), {pkg.GetDropScript(), "DROP PACKAGE BODY PK", "DROP PROCEDURE P", "DROP PROCEDURE Q"});
    s.Grant("T1", K::dboTable, kFive, "U");
    s.Grant("T1", K::dboTable, {P::prUpdate}, "U").Columns.SetLines({"A", "B"});
    s.Grant("R", K::dboRole, {}, "U", 1);
    s.Grant("P", K::dboProcedure, {P::prExecute}, "Q").GranteeKind = K::dboProcedure;
    s.AddNew();

    for (const char* text : {"CREATE TABLE T1(A INTEGER NOT NULL,\r\nB VARCHAR(10))",
                             "CREATE GLOBAL TEMPORARY TABLE TT(A INTEGER)\r\n ON COMMIT DELETE ROWS",
                             "ALTER TABLE T1 ADD ID INTEGER GENERATED BY DEFAULT AS IDENTITY",
                             "ALTER TABLE T1 ADD C VARCHAR(10) DEFAULT 'it''s'",
                             "ALTER TABLE T1 ADD CONSTRAINT FK_X FOREIGN KEY (A) REFERENCES T2 (B) ON DELETE CASCADE\r\n"
                             "USING INDEX IX",
                             "CREATE UNIQUE DESC INDEX I ON T1(A, B)", "CREATE INDEX I2 ON T1 COMPUTED BY(UPPER(B))",
                             "GRANT ALL ON T1 TO U", "GRANT UPDATE (A, B) ON T1 TO U", "GRANT R TO U WITH ADMIN OPTION",
                             "GRANT EXECUTE ON PROCEDURE P TO PROCEDURE Q"})
        EXPECT_TRUE(s.Has(text)) << text;
    const std::string tables = "SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0";
    const std::string made = "SELECT (SELECT COUNT(*) FROM RDB$USER_PRIVILEGES WHERE RDB$USER IN ('U', 'Q')) || ' ' || "
                             "(SELECT COUNT(*) FROM RDB$PACKAGES) || ' ' || (SELECT COUNT(*) FROM RDB$INDICES WHERE "
                             "RDB$INDEX_NAME IN ('I', 'I2', 'IX')) FROM RDB$DATABASE";
    EXPECT_EQ(s.Run(x, [&] {
                  qeltest::TInspector look(path);
                  EXPECT_EQ(look.Value(tables), "4");
                  EXPECT_EQ(look.Value(made), "9 1 3");
              }),
              "");
    EXPECT_EQ(qeltest::TInspector(path).Value(tables), "0");
}

TEST(DDLOnServers, PostgreSQLTextsRunAndDropInReverse)
{
    const std::string conn = qeltest::PostgreSQLString();
    if (conn.empty()) QEL_SKIP_OR_FAIL("no PostgreSQL: VELMORIN_PG_CONN is not set");
    TQELConnection c;
    qeltest::ConfigureODBC(c, conn, TDatabaseType::dbPostgreSQL);
    TSQLExec x;
    x.SetDatabaseType(TDatabaseType::dbPostgreSQL);
    x.SetQELConnection(&c);
    TSteps s(TDatabaseType::dbPostgreSQL);
    const std::string n = std::to_string(::getpid()), sc = "ddl_" + n, w = "ddl_w_" + n, user = "ddl_u_" + n,
                      role = "ddl_r_" + n;

    s.Make<TSchData>(sc);
    s.Table("u", "b", sc).Fields.Objects(0)->Nullable = false;
    TTblData& t = s.Table("t", "a", sc);
    s.Column(t, "id", 1).Nullable = false;
    s.Table(w, "ab");
    s.AddNew();
    s.Column(t, "c", 22).Precision = 3;
    s.Add(*t.Fields.Objects(2));
    s.Constraint("u_pk", ckPrimaryKey, "u", "b", sc);
    TCtrData& fk = s.Constraint("t_fk", ckForeignKey, "t", "a", sc);
    fk.SetRefTableName("u"), fk.RefFields.Add("b"), fk.DeleteRule = 2;
    TIdxData& ix = s.Make<TIdxData>("ix", sc);
    ix.TableName = "t", ix.Fields.Add("a"), ix.Fields.Add("id");
    TIdxData& plain = s.Make<TIdxData>("ddl_ix_" + n);
    plain.TableName = w, plain.Fields.Add("a");
    TGnrData& seq = s.Make<TGnrData>("q", sc);
    seq.IncrementBy = "2", seq.OwnedBy = sc + ".t.id";
    s.Make<TRolData>(role), s.Make<TRolData>(user);
    s.Grant(w, K::dboTable, kFive, user);
    s.Grant(role, K::dboRole, {}, user, 1);
    s.AddNew();

    for (const std::string& text : {"ALTER TABLE " + sc + ".t ADD c timestamp(3) with time zone",
                                    "ALTER TABLE " + sc + ".t ADD CONSTRAINT t_fk FOREIGN KEY (a) REFERENCES " + sc +
                                        ".u (b) ON DELETE CASCADE",
                                    "CREATE SEQUENCE " + sc + ".q INCREMENT BY 2 CACHE 20 OWNED BY " + sc + ".t.id",
                                    "GRANT DELETE, INSERT, SELECT, UPDATE, REFERENCES ON " + w + " TO " + user,
                                    "GRANT " + role + " TO " + user + " WITH ADMIN OPTION"})
        EXPECT_TRUE(s.Has(text)) << text;
    EXPECT_EQ(plain.GetDropScript(), "DROP INDEX ddl_ix_" + n);
    qeltest::TInspector look(conn, true, TDatabaseType::dbPostgreSQL);
    const std::string made = "SELECT (SELECT count(*) FROM pg_class WHERE relnamespace = CAST('" + sc +
                             "' AS regnamespace)) || ' ' || (SELECT count(*) FROM pg_auth_members WHERE member = CAST('" +
                             user + "' AS regrole))";
    EXPECT_EQ(s.Run(x, [&] { EXPECT_EQ(look.Value(made), "5 1"); }), "");
    EXPECT_EQ(look.Value("SELECT count(*) FROM pg_namespace WHERE nspname = '" + sc + "'"), "0");
    EXPECT_EQ(look.Value("SELECT count(*) FROM pg_roles WHERE rolname IN ('" + role + "', '" + user + "')"), "0");
}
