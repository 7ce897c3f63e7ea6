// Drop walks on PostgreSQL: a collection built in code (a domain under key
// and non-key columns, keys, a check, an index, a sequence, a view over the
// domain's column with a trigger, routines and a trigger on a table) is
// written by its own script through psql into a schema of its own and
// filled with rows; then, for every object, a fresh schema gets that
// object's DropObject through the executor alone. The object must be gone,
// nothing may be gone that the walk did not say it dropped, no table but the
// object itself may go, and every table left keeps every row.
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
#include "qelSQL_Exec.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

using namespace qel;

namespace {

using qeltest::AddFields;
using qeltest::File;
using qeltest::Uses;
constexpr std::uint8_t INTEGER = 1, VARCHAR = 14;

TCtrData& Key(TObjs& O, const std::string& Name, TConstraintKind Kind, TTblData& Table, const std::string& Field)
{
    TCtrData& c = File<TCtrData>(O, Name, Table.Schema());
    c.SetConstraintKind(Kind), c.SetTableName(Table.Name()), c.Fields.Add(Field);
    Uses(c, Table, Field);
    return c;
}

TTrgData& Trigger(TObjs& O, const std::string& S, const std::string& Name, TDbObj& On, TPrcData& Function)
{
    TTrgData& t = File<TTrgData>(O, Name, S);
    t.SetTableName(On.Name()), t.Events = 1 << 1, t.SetBody("EXECUTE PROCEDURE " + S + "." + Function.Name() + "()");
    Uses(t, On), Uses(t, Function);
    return t;
}

// The collection of schema S.
void Build(TObjs& O, const std::string& S)
{
    O.SetDatabaseType(TDatabaseType::dbPostgreSQL);
    TDmnData& d = File<TDmnData>(O, "dpos", S);
    d.BaseField->DataType = INTEGER, d.BaseField->Nullable = false, d.BaseField->DefaultValue = "1";
    d.BaseField->CheckText = " (VALUE > 0)";
    TTblData& dept = File<TTblData>(O, "dept", S);
    for (const char* name : {"id", "code"}) {
        AddFields(O, dept.Fields, &dept, {{name, dtDomain}})->DomainName = "dpos";
        Uses(dept, d, name);
    }
    AddFields(O, dept.Fields, &dept, {{"name", VARCHAR, 20}});
    TTblData& emp = File<TTblData>(O, "emp", S);
    AddFields(O, emp.Fields, &emp, {{"id", INTEGER}})->Nullable = false;
    AddFields(O, emp.Fields, &emp, {{"dept", dtDomain}})->DomainName = "dpos";
    Uses(emp, d, "dept");
    AddFields(O, emp.Fields, &emp, {{"salary", INTEGER}});
    TCtrData& pk = Key(O, "pk_dept", ckPrimaryKey, dept, "id");
    Key(O, "uq_dept", ckUnique, dept, "code");
    Key(O, "pk_emp", ckPrimaryKey, emp, "id");
    TCtrData& fk = Key(O, "fk_emp_dept", ckForeignKey, emp, "dept");
    fk.SetRefTableName("dept"), fk.RefFields.Add("id");
    Uses(fk, pk);
    Key(O, "ck_emp", ckCheck, emp, "salary").SetBody("(salary >= 0)");
    TIdxData& ix = File<TIdxData>(O, "ix_emp_salary", S);
    ix.TableName = "emp", ix.Fields.Add("salary");
    Uses(ix, emp, "salary");
    TGnrData& g = File<TGnrData>(O, "g", S);
    TViwData& v = File<TViwData>(O, "v_emp", S);
    AddFields(O, v.Columns, &v, {{"id", 0}, {"dept", 0}, {"name", 0}});
    v.SetBody("SELECT e.id, e.dept, d.name FROM " + S + ".emp e JOIN " + S + ".dept d ON d.id = e.dept");
    Uses(v, emp, "id"), Uses(v, emp, "dept"), Uses(v, dept, "id"), Uses(v, dept, "name");
    TPrcData& trgF = File<TPrcData>(O, "trg_f", S);
    trgF.IsFunction = true, trgF.ReturnType = "trigger", trgF.Language = "plpgsql";
    trgF.SetBody("BEGIN NEW.id := nextval('" + S + ".g'); RETURN NEW; END");
    Uses(trgF, g);
    TTrgData& tr = Trigger(O, S, "tr", emp, trgF);
    tr.Timing = 1, tr.ForEachRow = true;
    TPrcData& note = File<TPrcData>(O, "note_f", S);
    note.IsFunction = true, note.ReturnType = "trigger", note.Language = "plpgsql";
    note.SetBody("BEGIN RETURN NULL; END");
    TTrgData& onView = Trigger(O, S, "tr_v", v, note);
    onView.Timing = 2, onView.ForEachStatement = true;
    TPrcData& f = File<TPrcData>(O, "f", S);
    f.IsFunction = true, f.ReturnType = "bigint", f.Language = "sql";
    f.SetBody("SELECT COUNT(*) FROM " + S + ".v_emp");
    Uses(f, v);
}

// "KIND:name" per object of schema S, "ROW:table:values" per row.
std::set<std::string> Catalogue(qeltest::TInspector& Db, const std::string& S)
{
    const std::string ns = "(SELECT oid FROM pg_namespace WHERE nspname = '" + S + "')";
    std::set<std::string> out;
    const auto add = [&](const std::string& Sql) {
        for (const std::string& v : Db.Column(Sql)) out.insert(v);
    };
    add("SELECT CASE relkind WHEN 'r' THEN 'TABLE:' WHEN 'v' THEN 'VIEW:' WHEN 'S' THEN 'SEQUENCE:' ELSE 'INDEX:' END "
        "|| relname FROM pg_class WHERE relnamespace = " + ns);
    add("SELECT 'FIELD:' || c.relname || '.' || a.attname FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
        "WHERE c.relnamespace = " + ns + " AND c.relkind IN ('r', 'v') AND a.attnum > 0 AND NOT a.attisdropped");
    add("SELECT 'CONSTRAINT:' || conname FROM pg_constraint WHERE connamespace = " + ns +
        " AND conrelid <> 0");
    add("SELECT 'TRIGGER:' || t.tgname FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid WHERE c.relnamespace = " +
        ns + " AND NOT t.tgisinternal");
    add("SELECT 'FUNCTION:' || proname FROM pg_proc WHERE pronamespace = " + ns);
    add("SELECT 'DOMAIN:' || typname FROM pg_type WHERE typtype = 'd' AND typnamespace = " + ns);
    for (const std::string& table : Db.Column("SELECT relname FROM pg_class WHERE relkind = 'r' AND relnamespace = " + ns))
        for (const auto& row : Db.Rows("SELECT * FROM " + S + "." + table)) {
            std::string line = "ROW:" + table + ":";
            for (const std::string& v : row) line += v + "|";
            out.insert(line);
        }
    return out;
}

// The entries that stand for Obj itself: its own, a table's columns, rows
// and the indexes of its keys, a key's index.
bool Names(const std::string& Entry, const TDbObj& Obj)
{
    const std::string kind = Entry.substr(0, Entry.find(':'));
    const std::string name = Entry.substr(Entry.find(':') + 1);
    if (kind == "ROW") return name.starts_with(Obj.Name() + ":");
    if (kind == "FIELD") return name.starts_with(Obj.Name() + ".");
    return name == Obj.Name();
}

// psql on the test cluster, in schema S.
std::string Psql(const std::string& Conn, const std::string& S)
{
    const auto part = [&Conn](const std::string& Key) {
        const std::size_t at = Conn.find(Key + "=") + Key.size() + 1;
        return Conn.substr(at, Conn.find(';', at) - at);
    };
    return "PGOPTIONS='-c search_path=" + S + "' PGPASSWORD='" + part("Pwd") + "' psql -X -q -v ON_ERROR_STOP=1 -h " +
           part("Server") + " -p " + part("Port") + " -U " + part("Uid") + " -d " + part("Database");
}

struct TKind {
    const char* Label;
    const TObjIndex TCustomObjs::*Index;
};

class PostgreSQLDropWalk : public ::testing::TestWithParam<TKind> {};

TEST_P(PostgreSQLDropWalk, DropsOneObjectAndNothingElse)
{
    const std::string conn = qeltest::PostgreSQLString();
    if (conn.empty()) QEL_SKIP_OR_FAIL("no PostgreSQL: VELMORIN_PG_CONN is not set");
    if (std::system("command -v psql >/dev/null 2>&1") != 0) QEL_SKIP_OR_FAIL("psql is not installed");
    const std::string s = "dw_" + std::to_string(::getpid());
    qeltest::TInspector use(conn, true, TDatabaseType::dbPostgreSQL);
    struct TDropSchema {
        qeltest::TInspector& Admin;
        std::string Name;
        ~TDropSchema() { Admin.Run("DROP SCHEMA IF EXISTS " + Name + " CASCADE"); }
    } dropSchema{use, s};
    qeltest::TempDir dir;
    // A fresh schema with its objects and rows.
    const auto make = [&]() {
        use.Run("DROP SCHEMA IF EXISTS " + s + " CASCADE");
        use.Run("CREATE SCHEMA " + s);
        TObjs o;
        Build(o, s);
        TStringList lines;
        o.ScriptOptions().Connect = false;
        o.GetScript(lines);
        qeltest::WriteFile(dir.File("script.sql"), lines.Text());
        const std::string out = dir.File("psql.out");
        const int rc = std::system((Psql(conn, s) + " -f '" + dir.File("script.sql") + "' > '" + out + "' 2>&1").c_str());
        EXPECT_EQ(rc, 0) << qeltest::ReadFile(out) << lines.Text();
        use.Run("INSERT INTO " + s + ".dept (id, code, name) VALUES (1, 10, 'one'), (2, 20, NULL)");
        use.Run("INSERT INTO " + s + ".emp (id, dept, salary) VALUES (1, 1, 10), (2, 2, NULL), (3, 2, 30)");
    };
    TObjs names;
    Build(names, s);
    std::vector<std::string> keys;
    for (const auto& item : names.*GetParam().Index) keys.push_back(item.Key);
    ASSERT_FALSE(keys.empty());
    for (const std::string& key : keys) {
        SCOPED_TRACE(key);
        make();
        const std::set<std::string> before = Catalogue(use, s);
        TObjs o;
        Build(o, s);
        TDbObj* target = (o.*GetParam().Index).Find(key);
        ASSERT_NE(target, nullptr);
        TQELConnection c;
        qeltest::ConfigureODBC(c, conn, TDatabaseType::dbPostgreSQL);
        TSQLExec x;
        x.SetDatabaseType(TDatabaseType::dbPostgreSQL);
        x.SetQELConnection(&c);
        std::string errors, all;
        std::vector<std::string> dropped;
        x.OnErrorMessage = [&errors](TObject&, const std::string& Text) { errors += Text + "\n"; };
        x.OnStatementAdd = [&](TStatement& St, bool&) {
            all += St.SQL.Text() + "\n--\n";
            if (St.Operation == TDbOperation::odbDrop) dropped.push_back(St.ObjName);
            if (St.Operation == TDbOperation::odbCreate) std::erase(dropped, St.ObjName);
        };
        o.Executor = &x;
        target->DropObject();
        x.Execute();
        c.SetConnected(false);
        EXPECT_EQ(errors, "") << all;
        const std::set<std::string> after = Catalogue(use, s);
        bool targetGone = true;
        for (const std::string& entry : before) {
            const bool own = Names(entry, *target);
            if (own && !entry.starts_with("ROW:") && !entry.starts_with("FIELD:") && after.contains(entry))
                targetGone = false;
            if (own || after.contains(entry)) continue;
            const std::string name = entry.substr(entry.find(':') + 1);
            EXPECT_FALSE(entry.starts_with("TABLE:") || entry.starts_with("ROW:")) << entry << "\n" << all;
            const bool announced = std::any_of(dropped.begin(), dropped.end(), [&](const std::string& d) {
                return name == d || name.starts_with(d + ".") || name.starts_with(d + "_");
            });
            EXPECT_TRUE(announced) << entry << "\n" << all;
        }
        EXPECT_TRUE(targetGone) << all;
        // A domain keeps every column, key, trigger and view.
        if (dynamic_cast<TDmnData*>(target) != nullptr) {
            for (const std::string& entry : before) {
                if (!entry.starts_with("DOMAIN:")) {
                    EXPECT_TRUE(after.contains(entry)) << entry << "\n" << all;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PostgreSQLDropWalk,
    ::testing::Values(TKind{"domains", &TCustomObjs::Domains}, TKind{"tables", &TCustomObjs::Tables},
                      TKind{"views", &TCustomObjs::Views}, TKind{"procedures", &TCustomObjs::Procedures},
                      TKind{"triggers", &TCustomObjs::Triggers}, TKind{"generators", &TCustomObjs::Generators},
                      TKind{"indexes", &TCustomObjs::Indexes}, TKind{"constraints", &TCustomObjs::Constraints}),
    [](const auto& info) { return std::string(info.param.Label); });

} // namespace
