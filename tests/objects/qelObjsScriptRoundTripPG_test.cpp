// The PostgreSQL round trip of the whole-database script: a collection
// built in code, its script run by psql with ON_ERROR_STOP in one schema,
// and the DDL that the collection stands for run in another; pg_dump
// --schema-only of the two is the same once the objects are sorted and the
// schema names set aside. The names are chosen so that the collection's
// name order is never an order PostgreSQL takes.
#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelEngineTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"
#include "qelRoundTripSupport.h"
#include "qelTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace qel;

namespace {

using qeltest::AddFields;
using qeltest::File;
using qeltest::Uses;
constexpr std::uint8_t INTEGER = 1, VARCHAR = 14;

// The collection: domain a_id, tables z_t1 (keyed, unique name) and
// a_t2 (keyed, foreign key, check), sequence a_seq, index z_ix, function
// z_f used by view a_v over view z_v, SQL function a_count reading a_v,
// trigger a_tr on a_t2 with its function z_trg, comments.
void AddObjects(TObjs& O, const std::string& S)
{
    TDmnData& d = File<TDmnData>(O, "a_id", S);
    d.BaseField->DataType = INTEGER, d.BaseField->Nullable = false;
    TTblData& t1 = File<TTblData>(O, "z_t1", S);
    AddFields(O, t1.Fields, &t1, {{"id", dtDomain}})->DomainName = "a_id";
    AddFields(O, t1.Fields, &t1, {{"name", VARCHAR, 20}});
    t1.SetDescription("first");
    TTblData& t2 = File<TTblData>(O, "a_t2", S);
    AddFields(O, t2.Fields, &t2, {{"id", INTEGER}})->Nullable = false;
    AddFields(O, t2.Fields, &t2, {{"t1_id", INTEGER}});
    const auto key = [&](const char* Name, TConstraintKind Kind, TTblData& Table, const char* Field) -> TCtrData& {
        TCtrData& c = File<TCtrData>(O, Name, S);
        c.SetConstraintKind(Kind), c.SetTableName(Table.Name()), c.Fields.Add(Field);
        return c;
    };
    TCtrData& pk1 = key("z_t1_pk", ckPrimaryKey, t1, "id");
    key("a_t2_pk", ckPrimaryKey, t2, "id");
    key("z_t1_uq", ckUnique, t1, "name");
    TCtrData& fk = key("a_t2_fk", ckForeignKey, t2, "t1_id");
    fk.SetRefTableName(t1.Name()), fk.RefFields.Add("id");
    key("a_t2_ck", ckCheck, t2, "id").SetBody("((id > 0))");
    TGnrData& seq = File<TGnrData>(O, "a_seq", S);
    TIdxData& ix = File<TIdxData>(O, "z_ix", S);
    ix.TableName = t1.Name(), ix.Fields.Add("name");
    TPrcData& f = File<TPrcData>(O, "z_f", S);
    f.IsFunction = true, f.ReturnType = "integer", f.Language = "sql", f.SetBody("SELECT a + 1");
    AddFields(O, f.InputParams, &f, {{"a", INTEGER, 0, 1}});
    TViwData& zv = File<TViwData>(O, "z_v", S);
    zv.SetBody("SELECT id, name FROM " + S + ".z_t1");
    AddFields(O, zv.Columns, &zv, {{"id", 0}, {"name", 0}});
    TViwData& av = File<TViwData>(O, "a_v", S);
    av.SetBody("SELECT id, " + S + ".z_f(id) AS next FROM " + S + ".z_v");
    TPrcData& count = File<TPrcData>(O, "a_count", S);
    count.IsFunction = true, count.ReturnType = "bigint", count.Language = "sql";
    count.SetBody("SELECT count(*) FROM " + S + ".a_v");
    TPrcData& trg = File<TPrcData>(O, "z_trg", S);
    trg.IsFunction = true, trg.ReturnType = "trigger", trg.Language = "plpgsql";
    trg.SetBody("BEGIN NEW.id := nextval('" + S + ".a_seq'); RETURN NEW; END");
    TTrgData& tr = File<TTrgData>(O, "a_tr", S);
    tr.SetTableName(t2.Name()), tr.Timing = 1, tr.Events = 1 << 1, tr.ForEachRow = true;
    tr.SetBody("EXECUTE PROCEDURE " + S + ".z_trg()");
    Uses(t1, d, "id"), Uses(ix, t1, "name"), Uses(fk, pk1), Uses(fk, t1);
    Uses(zv, t1, "id"), Uses(zv, t1, "name"), Uses(av, zv, "id"), Uses(av, f), Uses(count, av);
    Uses(tr, trg), Uses(trg, seq);
}

// The same objects as DDL of our own.
std::string OwnDDL(const std::string& S)
{
    const std::string s = S + ".";
    return "CREATE SCHEMA " + S + ";\n"
           "CREATE DOMAIN " + s + "a_id AS integer NOT NULL;\n"
           "CREATE SEQUENCE " + s + "a_seq CACHE 20;\n"
           "CREATE TABLE " + s + "z_t1 (id " + s + "a_id, name varchar(20));\n"
           "CREATE TABLE " + s + "a_t2 (id integer NOT NULL, t1_id integer);\n"
           "ALTER TABLE " + s + "z_t1 ADD CONSTRAINT z_t1_pk PRIMARY KEY (id);\n"
           "ALTER TABLE " + s + "a_t2 ADD CONSTRAINT a_t2_pk PRIMARY KEY (id);\n"
           "ALTER TABLE " + s + "z_t1 ADD CONSTRAINT z_t1_uq UNIQUE (name);\n"
           "ALTER TABLE " + s + "a_t2 ADD CONSTRAINT a_t2_fk FOREIGN KEY (t1_id) REFERENCES " + s + "z_t1 (id);\n"
           "ALTER TABLE " + s + "a_t2 ADD CONSTRAINT a_t2_ck CHECK (id > 0);\n"
           "CREATE INDEX z_ix ON " + s + "z_t1 (name);\n"
           "COMMENT ON TABLE " + s + "z_t1 IS 'first';\n"
           "CREATE FUNCTION " + s + "z_f(a integer) RETURNS integer AS $$SELECT a + 1$$ LANGUAGE sql;\n"
           "CREATE VIEW " + s + "z_v AS SELECT id, name FROM " + s + "z_t1;\n"
           "CREATE VIEW " + s + "a_v AS SELECT id, " + s + "z_f(id) AS next FROM " + s + "z_v;\n"
           "CREATE FUNCTION " + s + "a_count() RETURNS bigint AS $$SELECT count(*) FROM " + s +
           "a_v$$ LANGUAGE sql;\n"
           "CREATE FUNCTION " + s + "z_trg() RETURNS trigger AS $$BEGIN NEW.id := nextval('" + s +
           "a_seq'); RETURN NEW; END$$ LANGUAGE plpgsql;\n"
           "CREATE TRIGGER a_tr BEFORE INSERT ON " + s + "a_t2 FOR EACH ROW EXECUTE PROCEDURE " + s + "z_trg();\n";
}

// pg_dump's objects, each without its "--" header, sorted, with the
// schema's name made S; session settings and the dump's one-time \restrict
// keys left out.
std::string NormalisedDump(std::string Dump, const std::string& Schema)
{
    for (std::size_t at = Dump.find(Schema); at != std::string::npos; at = Dump.find(Schema, at + 1))
        Dump.replace(at, Schema.size(), "S");
    std::vector<std::string> objects;
    std::string current;
    std::size_t start = 0;
    while (start < Dump.size()) {
        std::size_t end = Dump.find('\n', start);
        if (end == std::string::npos) end = Dump.size();
        const std::string line = Dump.substr(start, end - start);
        start = end + 1;
        if (line.starts_with("-- Name:")) {
            objects.push_back(current);
            current.clear();
        } else if (!line.starts_with("--") && !line.starts_with("SET ") && !line.starts_with("SELECT pg_catalog") &&
                   !line.starts_with("\\restrict") && !line.starts_with("\\unrestrict") && !line.empty()) {
            current += line + "\n";
        }
    }
    objects.push_back(current);
    std::sort(objects.begin(), objects.end());
    std::string text;
    for (const std::string& object : objects) text += object + "\n";
    return text;
}

} // namespace

TEST(PostgreSQLRoundTrip, ScriptBuildsWhatItsOwnDDLBuilds)
{
    const std::string conn = qeltest::PostgreSQLString();
    if (conn.empty()) QEL_SKIP_OR_FAIL("no PostgreSQL: VELMORIN_PG_CONN is not set");
    if (std::system("command -v psql >/dev/null 2>&1 && command -v pg_dump >/dev/null 2>&1") != 0)
        QEL_SKIP_OR_FAIL("psql and pg_dump are not installed");
    const qeltest::TPostgreSQLTool tool(conn);
    const std::string& login = tool.Login;
    const std::string& where = tool.Where;
    const std::string built = "rt_script_" + std::to_string(::getpid());
    const std::string own = "rt_own_" + std::to_string(::getpid());
    qeltest::TInspector use(conn, true, TDatabaseType::dbPostgreSQL);
    struct TDropSchemas {
        qeltest::TInspector& Admin;
        std::vector<std::string> Names;
        void Drop()
        {
            for (const std::string& name : Names) Admin.Run("DROP SCHEMA IF EXISTS " + name + " CASCADE");
        }
        ~TDropSchemas() { Drop(); }
    } drop{use, {built, own}};
    drop.Drop();

    TObjs o;
    o.SetDatabaseType(TDatabaseType::dbPostgreSQL);
    File<TSchData>(o, built);
    AddObjects(o, built);
    qeltest::TempDir dir;
    const std::string folder = dir.Path().string();
    TStringList lines;
    o.GetScript(lines);
    const std::string script = dir.File("script.sql"), ownFile = dir.File("own.sql");
    qeltest::WriteFile(script, lines.Text());
    qeltest::WriteFile(ownFile, OwnDDL(own));
    // The script names domains without their schema: it runs in its schema.
    const std::string psql = "psql -X -q -v ON_ERROR_STOP=1" + where;
    EXPECT_EQ(qeltest::RunCommand("PGOPTIONS='-c search_path=" + built + "' " + login + psql + " -f '" + script + "'", folder), "")
        << lines.Text();
    ASSERT_EQ(qeltest::RunCommand(login + psql + " -f '" + ownFile + "'", folder), "");

    const auto dump = [&](const std::string& Schema) {
        const std::string out = dir.File(Schema + ".dump");
        EXPECT_EQ(qeltest::RunCommand(login + "pg_dump --schema-only -n " + Schema + where + " -f '" + out + "'", folder),
                  "");
        return NormalisedDump(qeltest::ReadFile(out), Schema);
    };
    const std::string expected = dump(own);
    EXPECT_NE(expected.find("CREATE VIEW S.a_v"), std::string::npos) << expected;
    EXPECT_EQ(qeltest::ExtractDifference(expected, dump(built)), "") << lines.Text();
}
