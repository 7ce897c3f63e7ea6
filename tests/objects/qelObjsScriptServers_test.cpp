// A collection with one object of every kind the server has: its database
// script runs through the server's own command-line tool on an empty
// database, then every object's DropObject, run through the executor, leaves
// no user object behind.
#include "qelComp_Ctr.h"
#include "qelComp_Def.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelEngineTestSupport.h"
#include "qelIBSQLExec.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

using namespace qel;

namespace {

constexpr std::uint8_t INTEGER = 1, DOUBLE = 4, VARCHAR = 14;

// Objects of one collection, filed there.
struct TModel {
    explicit TModel(TDatabaseType Type) { Objs.SetDatabaseType(Type); }
    template <class T>
    T& Add(const std::string& Name, const std::string& Schema = {})
    {
        auto obj = std::make_unique<T>(&Objs);
        obj->SetName(Name), obj->SetSchema(Schema);
        return *static_cast<T*>(Objs.AddObject(std::move(obj)));
    }
    static TFldData& Field(TDbObj& Parent, TOwnedNameList<TFldData>& List, const std::string& Name, std::uint8_t Code,
                           std::int32_t Length = 0)
    {
        TFldData* f = List.Add(Name, std::make_unique<TFldData>(Parent.Objs(), &Parent));
        f->SetName(Name), f->DataType = Code, f->Length = Length;
        return *f;
    }
    TCtrData& Key(const std::string& Name, TConstraintKind Kind, TTblData& Table, const std::string& Field)
    {
        TCtrData& c = Add<TCtrData>(Name, Table.Schema());
        c.SetConstraintKind(Kind), c.SetTableName(Table.Name()), c.Fields.Add(Field);
        return c;
    }
    void Uses(TDbObj& User, TDbObj& Used, const std::string& Field = {})
    {
        AddDependency(&Objs, &User, &Used, 1, 1, Field);
    }
    // The built script as a file.
    std::string WriteScript(const qeltest::TempDir& Dir)
    {
        TStringList lines;
        Objs.GetScript(lines);
        const std::string file = Dir.File("script.sql");
        qeltest::WriteFile(file, lines.Text());
        return file;
    }
    // DropObject of every object, walls first and schemas last, run by X.
    std::string DropAll(TSQLExec& X)
    {
        std::string errors;
        X.OnErrorMessage = [&errors](TObject&, const std::string& Text) { errors += Text + "\n"; };
        Objs.Executor = &X;
        for (const TObjIndex* index :
             {&Objs.Grants, &Objs.Roles, &Objs.Collations, &Objs.UDFs, &Objs.Domains, &Objs.Tables, &Objs.Indexes,
              &Objs.Packages, &Objs.Constraints, &Objs.Exceptions, &Objs.Generators, &Objs.Views, &Objs.Procedures,
              &Objs.Triggers, &Objs.Schemas})
            for (const auto& item : *index) item.Object->DropObject();
        X.Execute();
        return errors;
    }
    TObjs Objs;
};

// The tables, views, routines and the rest both servers have, over a
// domain D: T1(ID D, NAME, C computed), T2(ID, T1_ID) with keys, a foreign
// key, a check and an index, view V, generator G, selectable procedure P
// (described), function F and a trigger on T2.
void AddCommonObjects(TModel& M, const std::string& S, bool Firebird)
{
    const auto name = [Firebird](const char* Upper) {
        std::string n = Upper;
        return Firebird ? n : LowerCase(n);
    };
    TDmnData& d = M.Add<TDmnData>(name("D"), S);
    d.BaseField->DataType = INTEGER, d.BaseField->Nullable = false;
    d.SetDescription("identifiers");
    TTblData& t1 = M.Add<TTblData>(name("T1"), S);
    TFldData& id = TModel::Field(t1, t1.Fields, name("ID"), dtDomain);
    id.DomainName = d.Name(), id.DomainSchema = S;
    TModel::Field(t1, t1.Fields, name("NAME"), VARCHAR, 20).SetDescription("it's the name");
    if (Firebird) TModel::Field(t1, t1.Fields, "C", INTEGER).SetBody("(ID * 2)");
    t1.SetDescription("first");
    TTblData& t2 = M.Add<TTblData>(name("T2"), S);
    TModel::Field(t2, t2.Fields, name("ID"), INTEGER).Nullable = false;
    TModel::Field(t2, t2.Fields, name("T1_ID"), INTEGER);
    M.Uses(t1, d, id.Name());
    TIdxData& ix = M.Add<TIdxData>(name("IX"), S);
    ix.TableName = t1.Name(), ix.Fields.Add(name("NAME"));
    M.Uses(ix, t1, name("NAME"));
    TCtrData& pk1 = M.Key(name("PK_T1"), ckPrimaryKey, t1, name("ID"));
    M.Key(name("PK_T2"), ckPrimaryKey, t2, name("ID"));
    M.Key(name("UQ_T1"), ckUnique, t1, name("NAME"));
    TCtrData& fk = M.Key(name("FK_T2"), ckForeignKey, t2, name("T1_ID"));
    fk.SetRefTableName(t1.Name()), fk.RefFields.Add(name("ID"));
    M.Uses(fk, pk1), M.Uses(fk, t1);
    M.Key(name("CK_T2"), ckCheck, t2, name("ID")).SetBody("(" + name("ID") + " > 0)");
    TGnrData& g = M.Add<TGnrData>(name("G"), S);
    TViwData& v = M.Add<TViwData>(name("V"), S);
    for (const char* column : {"ID", "NAME"}) TModel::Field(v, v.Columns, name(column), 0);
    v.SetBody("SELECT " + name("ID") + ", " + name("NAME") + " FROM " + QualifiedName(S, t1.Name()));
    M.Uses(v, t1, name("ID")), M.Uses(v, t1, name("NAME"));
    TPrcData& p = M.Add<TPrcData>(name("P"), S);
    TModel::Field(p, p.OutputParams, name("NAME"), VARCHAR, 20).SetDescription("each name");
    p.SetDescription("lists the names");
    M.Uses(p, t1, name("NAME"));
    TPrcData& f = M.Add<TPrcData>(name("F"), S);
    f.IsFunction = true;
    TModel::Field(f, f.InputParams, name("A"), INTEGER, 0).Direction = 1;
    TModel::Field(f, f.OutputParams, "", INTEGER);
    TTrgData& tr = M.Add<TTrgData>(name("TR"), S);
    tr.SetTableName(t2.Name());
    M.Uses(tr, g);
    if (Firebird) {
        p.SetBody("BEGIN FOR SELECT NAME FROM T1 INTO :NAME DO SUSPEND; END");
        f.SetBody("BEGIN RETURN A + 1; END");
        tr.IBTypeCode = 1; // before insert
        tr.SetBody("AS BEGIN IF (NEW.ID IS NULL) THEN NEW.ID = GEN_ID(G, 1); END");
    } else {
        p.IsFunction = true, p.ReturnsSetOf = true, p.ReturnType = "varchar";
        p.OutputParams.Clear();
        p.Language = "sql", p.SetBody("SELECT name FROM " + S + ".t1");
        f.ReturnType = "integer", f.Language = "sql", f.SetBody("SELECT a + 1");
        tr.Timing = 1, tr.Events = 1 << 1, tr.ForEachRow = true;
        tr.SetBody("EXECUTE PROCEDURE " + S + ".trg_f()");
        TPrcData& trgF = M.Add<TPrcData>("trg_f", S);
        trgF.IsFunction = true, trgF.ReturnType = "trigger", trgF.Language = "plpgsql";
        trgF.SetBody("BEGIN NEW.id := nextval('" + S + ".g'); RETURN NEW; END");
        M.Uses(tr, trgF);
    }
}

} // namespace

TEST(DatabaseScriptOnServers, Firebird3BuildsByIsqlAndDropsToNothing)
{
    if (std::system("command -v isql-fb >/dev/null 2>&1") != 0)
        QEL_SKIP_OR_FAIL("isql-fb is not installed (firebird3.0-utils)");
    qeltest::TempDir dir;
    const std::string path = dir.File("objects.fdb");
    qeltest::CreateFirebird(path);
    TModel m(TDatabaseType::dbInterBase);
    m.Objs.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
    m.Objs.IBServerOptions().SetDBCharSet("UTF8");
    AddCommonObjects(m, "", true);
    TUdfData& udf = m.Add<TUdfData>("UDF_ABS");
    TModel::Field(udf, udf.Params, "", DOUBLE);
    udf.ResultField->DataType = DOUBLE, udf.ResultField->ByValue = true;
    udf.EntryPoint = "IB_UDF_abs", udf.ModuleName = "ib_udf";
    TCltData& co = m.Add<TCltData>("CO");
    co.CharacterSet = "UTF8", co.FromCollation = "UNICODE", co.CaseSensitive = false;
    co.SetDescription("blind to case");
    TExcData& e = m.Add<TExcData>("E");
    e.Message = "Can't";
    TPrcData& raiser = m.Add<TPrcData>("RAISER");
    raiser.SetBody("BEGIN EXCEPTION E; END");
    m.Uses(raiser, e);
    TTrgData& onConnect = m.Add<TTrgData>("TR_CONNECT");
    onConnect.SetTableName("DATABASE"), onConnect.DatabaseEvent = "CONNECT", onConnect.SetBody("AS BEGIN END");
    TPkgData& pkg = m.Add<TPkgData>("PK");
    pkg.HeaderText = "BEGIN\r\n  FUNCTION ONE RETURNS INT;\r\nEND";
    pkg.SetBody("BEGIN\r\n  FUNCTION ONE RETURNS INT AS BEGIN RETURN 1; END\r\nEND");
    m.Add<TRolData>("R");
    TGntData& grant = m.Add<TGntData>("");
    grant.ObjectName = "T1", grant.ObjectKind = TDbObject::dboTable, grant.Privileges = {TPrivilege::prSelect};
    grant.Grantee = "R", grant.GranteeKind = TDbObject::dboRole;

    const std::string script = m.WriteScript(dir);
    const std::string out = dir.File("isql.out");
    const int rc = std::system(("isql-fb -q -bail -user SYSDBA -password masterkey '" + path + "' -i '" + script +
                                "' >'" + out + "' 2>&1")
                                   .c_str());
    ASSERT_EQ(rc, 0) << qeltest::ReadFile(out) << qeltest::ReadFile(script);
    EXPECT_EQ(qeltest::ReadFile(out), "");
    const std::string userObjects =
        "SELECT (SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0) || ' ' || (SELECT COUNT(*) FROM "
        "RDB$PROCEDURES WHERE RDB$SYSTEM_FLAG = 0) || ' ' || (SELECT COUNT(*) FROM RDB$FUNCTIONS WHERE RDB$SYSTEM_FLAG "
        "= 0) || ' ' || (SELECT COUNT(*) FROM RDB$TRIGGERS WHERE RDB$SYSTEM_FLAG = 0) || ' ' || (SELECT COUNT(*) FROM "
        "RDB$EXCEPTIONS WHERE RDB$SYSTEM_FLAG = 0) || ' ' || (SELECT COUNT(*) FROM RDB$GENERATORS WHERE "
        "RDB$SYSTEM_FLAG = 0) || ' ' || (SELECT COUNT(*) FROM RDB$FIELDS WHERE RDB$SYSTEM_FLAG = 0 AND RDB$FIELD_NAME "
        "NOT STARTING 'RDB$') || ' ' || (SELECT COUNT(*) FROM RDB$INDICES WHERE RDB$SYSTEM_FLAG = 0) || ' ' || (SELECT "
        "COUNT(*) FROM RDB$ROLES WHERE RDB$SYSTEM_FLAG = 0) || ' ' || (SELECT COUNT(*) FROM RDB$COLLATIONS WHERE "
        "RDB$SYSTEM_FLAG = 0) || ' ' || (SELECT COUNT(*) FROM RDB$PACKAGES WHERE RDB$SYSTEM_FLAG = 0) || ' ' || "
        "(SELECT COUNT(*) FROM RDB$USER_PRIVILEGES WHERE RDB$USER = 'R') FROM RDB$DATABASE";
    {
        qeltest::TInspector look(path);
        // Tables and view; P, RAISER; F, the UDF and the package's; TR, TR_CONNECT; E; G; D; IX and the
        // keys' indexes; R; CO; PK; the grant.
        EXPECT_EQ(look.Value(userObjects), "3 2 3 2 1 1 1 5 1 1 1 1");
        EXPECT_EQ(look.Value("SELECT CAST(RDB$DESCRIPTION AS VARCHAR(20)) FROM RDB$RELATION_FIELDS WHERE "
                             "RDB$FIELD_NAME = 'NAME' AND RDB$RELATION_NAME = 'T1'"),
                  "it's the name");
    }

    TQELConnection c;
    qeltest::ConfigureFirebird(c, path);
    TIBSQLExec x;
    x.SetQELConnection(&c);
    EXPECT_EQ(m.DropAll(x), "");
    c.SetConnected(false);
    EXPECT_EQ(qeltest::TInspector(path).Value(userObjects), "0 0 0 0 0 0 0 0 0 0 0 0");
}

TEST(DatabaseScriptOnServers, PostgreSQLBuildsByPsqlAndDropsToNothing)
{
    const std::string conn = qeltest::PostgreSQLString();
    if (conn.empty()) QEL_SKIP_OR_FAIL("no PostgreSQL: VELMORIN_PG_CONN is not set");
    if (std::system("command -v psql >/dev/null 2>&1") != 0) QEL_SKIP_OR_FAIL("psql is not installed");
    // psql's connection from the ODBC string's parts.
    const auto part = [&conn](const std::string& Key) {
        const std::size_t at = conn.find(Key + "=");
        return at == std::string::npos ? std::string() : conn.substr(at + Key.size() + 1, conn.find(';', at) - at - Key.size() - 1);
    };
    const std::string s = "obj_" + std::to_string(::getpid());
    // The script names domains without their schema: it runs in its schema.
    const std::string psql = "PGOPTIONS='-c search_path=" + s + "' PGPASSWORD='" + part("Pwd") + "' psql -X -q -v ON_ERROR_STOP=1 -h " + part("Server") +
                             " -p " + part("Port") + " -U " + part("Uid") + " -d " + part("Database");
    qeltest::TInspector use(conn, true, TDatabaseType::dbPostgreSQL);
    use.Run("DROP SCHEMA IF EXISTS " + s + " CASCADE");
    struct TDropSchema {
        qeltest::TInspector& Admin;
        std::string Name;
        ~TDropSchema() { Admin.Run("DROP SCHEMA IF EXISTS " + Name + " CASCADE"); }
    } dropSchema{use, s};

    TModel m(TDatabaseType::dbPostgreSQL);
    TSchData& schema = m.Add<TSchData>(s);
    schema.Owner = "postgres";
    AddCommonObjects(m, s, false);
    m.Objs.FindTable(s + ".t1")->Owner = "postgres";
    TDmnData& pair = m.Add<TDmnData>("pair", s);
    pair.PGTypeOptions.IsType = true;
    TModel::Field(pair, pair.PGTypeOptions.Attributes, "a", INTEGER);

    qeltest::TempDir dir;
    const std::string script = m.WriteScript(dir);
    const std::string out = dir.File("psql.out");
    const int rc = std::system((psql + " -f '" + script + "' >'" + out + "' 2>&1").c_str());
    ASSERT_EQ(rc, 0) << qeltest::ReadFile(out) << qeltest::ReadFile(script);
    EXPECT_EQ(qeltest::ReadFile(out), "");
    const std::string ns = "(SELECT oid FROM pg_namespace WHERE nspname = '" + s + "')";
    const std::string userObjects =
        "SELECT (SELECT count(*) FROM pg_class WHERE relnamespace = " + ns +
        ") || ' ' || (SELECT count(*) FROM pg_proc WHERE pronamespace = " + ns +
        ") || ' ' || (SELECT count(*) FROM pg_type WHERE typnamespace = " + ns +
        " AND (typtype = 'd' OR typname = 'pair')) || ' ' || (SELECT count(*) FROM pg_trigger WHERE tgname = 'tr') || ' ' || (SELECT count(*) FROM "
        "pg_namespace WHERE oid = " + ns + ") || ' ' || (SELECT count(*) FROM pg_description WHERE objoid IN "
        "(SELECT oid FROM pg_class WHERE relnamespace = " + ns + "))";
    // t1, t2, v, g, ix, the keys' indexes and pair; p, f, trg_f; d, pair; tr; the schema; t1's and its
    // column's comments.
    EXPECT_EQ(use.Value(userObjects), "9 3 2 1 1 2");

    TQELConnection c;
    qeltest::ConfigureODBC(c, conn, TDatabaseType::dbPostgreSQL);
    TSQLExec x;
    x.SetDatabaseType(TDatabaseType::dbPostgreSQL);
    x.SetQELConnection(&c);
    EXPECT_EQ(m.DropAll(x), "");
    EXPECT_EQ(use.Value(userObjects), "0 0 0 0 0 0");
}
