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
#include "qelFieldListSupport.h"
#include "qelIBSQLExec.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace qel;

namespace {

using qeltest::AddFields;
using qeltest::File;
using qeltest::Uses;
constexpr std::uint8_t INTEGER = 1, DOUBLE = 4, VARCHAR = 14;

TCtrData& Key(TObjs& O, const std::string& Name, TConstraintKind Kind, TTblData& Table, const std::string& Field)
{
    TCtrData& c = File<TCtrData>(O, Name, Table.Schema());
    c.SetConstraintKind(Kind), c.SetTableName(Table.Name()), c.Fields.Add(Field);
    return c;
}

// The built script as a file.
std::string WriteScript(TObjs& O, const qeltest::TempDir& Dir)
{
    TStringList lines;
    O.GetScript(lines);
    qeltest::WriteFile(Dir.File("script.sql"), lines.Text());
    return Dir.File("script.sql");
}

// DropObject of every object, grants first and schemas last, run by X;
// answers the errors.
std::string DropAll(TObjs& O, TSQLExec& X)
{
    std::string errors;
    X.OnErrorMessage = [&errors](TObject&, const std::string& Text) { errors += Text + "\n"; };
    O.Executor = &X;
    for (const TObjIndex* index : {&O.Grants, &O.Roles, &O.Collations, &O.UDFs, &O.Domains, &O.Tables, &O.Indexes,
                                   &O.Packages, &O.Constraints, &O.Exceptions, &O.Generators, &O.Views, &O.Procedures,
                                   &O.Triggers, &O.Schemas})
        for (const auto& item : *index) item.Object->DropObject();
    X.Execute();
    return errors;
}

// "SELECT (q1) || ' ' || (q2) ..." over the catalogue's counts.
std::string Counts(const std::string& From, const std::vector<std::string>& Queries)
{
    std::vector<std::string> parts;
    for (const std::string& q : Queries) parts.push_back("(SELECT COUNT(*) FROM " + q + ")");
    return "SELECT " + Join(parts, " || ' ' || ") + From;
}

// What both servers have, over a domain D: T1(ID D, NAME, C computed under
// Firebird), T2(ID, T1_ID) with keys, a foreign key, a check and index IX,
// view V, generator G, selectable procedure P (described), function F and
// trigger TR on T2. PostgreSQL names are lower case.
void AddCommonObjects(TObjs& O, const std::string& S, bool Firebird)
{
    const auto n = [Firebird](const char* Upper) { return Firebird ? std::string(Upper) : LowerCase(Upper); };
    TDmnData& d = File<TDmnData>(O, n("D"), S);
    d.BaseField->DataType = INTEGER, d.BaseField->Nullable = false, d.SetDescription("identifiers");
    TTblData& t1 = File<TTblData>(O, n("T1"), S);
    TFldData& id = *AddFields(O, t1.Fields, &t1, {{n("ID").c_str(), dtDomain}});
    id.DomainName = d.Name();
    AddFields(O, t1.Fields, &t1, {{n("NAME").c_str(), VARCHAR, 20}})->SetDescription("it's the name");
    if (Firebird) AddFields(O, t1.Fields, &t1, {{"C", INTEGER}})->SetBody("(ID * 2)");
    t1.SetDescription("first");
    TTblData& t2 = File<TTblData>(O, n("T2"), S);
    AddFields(O, t2.Fields, &t2, {{n("ID").c_str(), INTEGER}})->Nullable = false;
    AddFields(O, t2.Fields, &t2, {{n("T1_ID").c_str(), INTEGER}});
    TIdxData& ix = File<TIdxData>(O, n("IX"), S);
    ix.TableName = t1.Name(), ix.Fields.Add(n("NAME"));
    TCtrData& pk1 = Key(O, n("PK_T1"), ckPrimaryKey, t1, n("ID"));
    Key(O, n("PK_T2"), ckPrimaryKey, t2, n("ID"));
    Key(O, n("UQ_T1"), ckUnique, t1, n("NAME"));
    TCtrData& fk = Key(O, n("FK_T2"), ckForeignKey, t2, n("T1_ID"));
    fk.SetRefTableName(t1.Name()), fk.RefFields.Add(n("ID"));
    Key(O, n("CK_T2"), ckCheck, t2, n("ID")).SetBody("(" + n("ID") + " > 0)");
    TGnrData& g = File<TGnrData>(O, n("G"), S);
    TViwData& v = File<TViwData>(O, n("V"), S);
    AddFields(O, v.Columns, &v, {{n("ID").c_str(), 0}, {n("NAME").c_str(), 0}});
    v.SetBody("SELECT " + n("ID") + ", " + n("NAME") + " FROM " + QualifiedName(S, t1.Name()));
    TPrcData& p = File<TPrcData>(O, n("P"), S);
    p.SetDescription("lists the names");
    TPrcData& f = File<TPrcData>(O, n("F"), S);
    f.IsFunction = true;
    AddFields(O, f.InputParams, &f, {{n("A").c_str(), INTEGER, 0, 1}});
    AddFields(O, f.OutputParams, &f, {{"", INTEGER}});
    TTrgData& tr = File<TTrgData>(O, n("TR"), S);
    tr.SetTableName(t2.Name());
    Uses(t1, d, id.Name()), Uses(ix, t1, n("NAME")), Uses(fk, pk1), Uses(fk, t1), Uses(tr, g);
    Uses(v, t1, n("ID")), Uses(v, t1, n("NAME")), Uses(p, t1, n("NAME"));
    if (Firebird) {
        AddFields(O, p.OutputParams, &p, {{"NAME", VARCHAR, 20}})->SetDescription("each name");
        p.SetBody("BEGIN FOR SELECT NAME FROM T1 INTO :NAME DO SUSPEND; END");
        f.SetBody("BEGIN RETURN A + 1; END");
        tr.IBTypeCode = 1; // before insert
        tr.SetBody("AS BEGIN IF (NEW.ID IS NULL) THEN NEW.ID = GEN_ID(G, 1); END");
        return;
    }
    p.IsFunction = p.ReturnsSetOf = true, p.ReturnType = "varchar", p.Language = "sql";
    p.SetBody("SELECT name FROM " + S + ".t1");
    f.ReturnType = "integer", f.Language = "sql", f.SetBody("SELECT a + 1");
    tr.Timing = 1, tr.Events = 1 << 1, tr.ForEachRow = true, tr.SetBody("EXECUTE PROCEDURE " + S + ".trg_f()");
    TPrcData& trgF = File<TPrcData>(O, "trg_f", S);
    trgF.IsFunction = true, trgF.ReturnType = "trigger", trgF.Language = "plpgsql";
    trgF.SetBody("BEGIN NEW.id := nextval('" + S + ".g'); RETURN NEW; END");
    Uses(tr, trgF);
}

// Runs a command line; answers its output, or why it failed.
std::string RunTool(const std::string& Command, const qeltest::TempDir& Dir)
{
    const std::string out = Dir.File("tool.out");
    const int rc = std::system((Command + " >'" + out + "' 2>&1").c_str());
    return (rc == 0 ? std::string() : "exit " + std::to_string(rc) + ": ") + qeltest::ReadFile(out);
}

} // namespace

TEST(DatabaseScriptOnServers, Firebird3BuildsByIsqlAndDropsToNothing)
{
    if (std::system("command -v isql-fb >/dev/null 2>&1") != 0)
        QEL_SKIP_OR_FAIL("isql-fb is not installed (firebird3.0-utils)");
    qeltest::TempDir dir;
    const std::string path = dir.File("objects.fdb");
    qeltest::CreateFirebird(path);
    TObjs o;
    o.SetDatabaseType(TDatabaseType::dbInterBase);
    o.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
    o.IBServerOptions().SetDBCharSet("UTF8");
    AddCommonObjects(o, "", true);
    TUdfData& udf = File<TUdfData>(o, "UDF_ABS");
    AddFields(o, udf.Params, &udf, {{"", DOUBLE}});
    udf.ResultField->DataType = DOUBLE, udf.ResultField->ByValue = true;
    udf.EntryPoint = "IB_UDF_abs", udf.ModuleName = "ib_udf";
    TCltData& co = File<TCltData>(o, "CO");
    co.CharacterSet = "UTF8", co.FromCollation = "UNICODE", co.CaseSensitive = false;
    co.SetDescription("blind to case");
    File<TExcData>(o, "E").Message = "Can't";
    File<TPrcData>(o, "RAISER").SetBody("BEGIN EXCEPTION E; END");
    Uses(*o.FindProcedure("RAISER"), *o.FindException("E"));
    TTrgData& onConnect = File<TTrgData>(o, "TR_CONNECT");
    onConnect.SetTableName("DATABASE"), onConnect.DatabaseEvent = "CONNECT", onConnect.SetBody("AS BEGIN END");
    TPkgData& pkg = File<TPkgData>(o, "PK");
    pkg.HeaderText = "BEGIN\r\n  FUNCTION ONE RETURNS INT;\r\nEND";
    pkg.SetBody("BEGIN\r\n  FUNCTION ONE RETURNS INT AS BEGIN RETURN 1; END\r\nEND");
    File<TRolData>(o, "R");
    TGntData& grant = File<TGntData>(o, "");
    grant.ObjectName = "T1", grant.ObjectKind = TDbObject::dboTable, grant.Privileges = {TPrivilege::prSelect};
    grant.Grantee = "R", grant.GranteeKind = TDbObject::dboRole;

    const std::string script = WriteScript(o, dir);
    EXPECT_EQ(RunTool("isql-fb -q -bail -user SYSDBA -password masterkey '" + path + "' -i '" + script + "'", dir), "")
        << qeltest::ReadFile(script);
    std::vector<std::string> catalogue;
    for (const char* table : {"RELATIONS", "PROCEDURES", "FUNCTIONS", "TRIGGERS", "EXCEPTIONS", "GENERATORS",
                              "INDICES", "ROLES", "COLLATIONS", "PACKAGES"})
        catalogue.push_back(std::string("RDB$") + table + " WHERE RDB$SYSTEM_FLAG = 0");
    catalogue.push_back("RDB$FIELDS WHERE RDB$SYSTEM_FLAG = 0 AND RDB$FIELD_NAME NOT STARTING 'RDB$'");
    catalogue.push_back("RDB$USER_PRIVILEGES WHERE RDB$USER = 'R'");
    const std::string userObjects = Counts(" FROM RDB$DATABASE", catalogue);
    {
        qeltest::TInspector look(path);
        // T1, T2, V; P, RAISER; F, the UDF, the package's; TR, TR_CONNECT; E; G; IX and the keys'
        // indexes; R; CO; PK; D; the grant.
        EXPECT_EQ(look.Value(userObjects), "3 2 3 2 1 1 5 1 1 1 1 1");
        EXPECT_EQ(look.Value("SELECT CAST(RDB$DESCRIPTION AS VARCHAR(20)) FROM RDB$RELATION_FIELDS WHERE "
                             "RDB$FIELD_NAME = 'NAME' AND RDB$RELATION_NAME = 'T1'"),
                  "it's the name");
    }
    TQELConnection c;
    qeltest::ConfigureFirebird(c, path);
    TIBSQLExec x;
    x.SetQELConnection(&c);
    EXPECT_EQ(DropAll(o, x), "");
    c.SetConnected(false);
    EXPECT_EQ(qeltest::TInspector(path).Value(userObjects), "0 0 0 0 0 0 0 0 0 0 0 0");
}

TEST(DatabaseScriptOnServers, PostgreSQLBuildsByPsqlAndDropsToNothing)
{
    const std::string conn = qeltest::PostgreSQLString();
    if (conn.empty()) QEL_SKIP_OR_FAIL("no PostgreSQL: VELMORIN_PG_CONN is not set");
    if (std::system("command -v psql >/dev/null 2>&1") != 0) QEL_SKIP_OR_FAIL("psql is not installed");
    const auto part = [&conn](const std::string& Key) { // of the ODBC string
        const std::size_t at = conn.find(Key + "=") + Key.size() + 1;
        return conn.substr(at, conn.find(';', at) - at);
    };
    const std::string s = "obj_" + std::to_string(::getpid());
    // The script names domains without their schema: it runs in its schema.
    const std::string psql = "PGOPTIONS='-c search_path=" + s + "' PGPASSWORD='" + part("Pwd") +
                             "' psql -X -q -v ON_ERROR_STOP=1 -h " + part("Server") + " -p " + part("Port") + " -U " +
                             part("Uid") + " -d " + part("Database");
    qeltest::TInspector use(conn, true, TDatabaseType::dbPostgreSQL);
    use.Run("DROP SCHEMA IF EXISTS " + s + " CASCADE");
    struct TDropSchema {
        qeltest::TInspector& Admin;
        std::string Name;
        ~TDropSchema() { Admin.Run("DROP SCHEMA IF EXISTS " + Name + " CASCADE"); }
    } dropSchema{use, s};

    TObjs o;
    o.SetDatabaseType(TDatabaseType::dbPostgreSQL);
    File<TSchData>(o, s).Owner = "postgres";
    AddCommonObjects(o, s, false);
    o.FindTable(s + ".t1")->Owner = "postgres";
    TDmnData& pair = File<TDmnData>(o, "pair", s);
    pair.PGTypeOptions.IsType = true;
    AddFields(o, pair.PGTypeOptions.Attributes, &pair, {{"a", INTEGER}});

    qeltest::TempDir dir;
    const std::string script = WriteScript(o, dir);
    EXPECT_EQ(RunTool(psql + " -f '" + script + "'", dir), "") << qeltest::ReadFile(script);
    const std::string ns = "(SELECT oid FROM pg_namespace WHERE nspname = '" + s + "')";
    const std::string userObjects = Counts(
        "", {"pg_class WHERE relnamespace = " + ns, "pg_proc WHERE pronamespace = " + ns,
             "pg_type WHERE typnamespace = " + ns + " AND (typtype = 'd' OR typname = 'pair')",
             "pg_trigger t JOIN pg_class r ON r.oid = t.tgrelid WHERE t.tgname = 'tr' AND r.relnamespace = " + ns, "pg_namespace WHERE oid = " + ns,
             "pg_description WHERE objoid IN (SELECT oid FROM pg_class WHERE relnamespace = " + ns + ")"});
    // t1, t2, v, g, ix, the keys' indexes, pair; p, f, trg_f; d, pair; tr; the schema; t1's comments.
    EXPECT_EQ(use.Value(userObjects), "9 3 2 1 1 2");

    TQELConnection c;
    qeltest::ConfigureODBC(c, conn, TDatabaseType::dbPostgreSQL);
    TSQLExec x;
    x.SetDatabaseType(TDatabaseType::dbPostgreSQL);
    x.SetQELConnection(&c);
    EXPECT_EQ(DropAll(o, x), "");
    EXPECT_EQ(use.Value(userObjects), "0 0 0 0 0 0");
}
