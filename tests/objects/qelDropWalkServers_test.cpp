// Drop walks on the Firebird 3 server: a schema script with rows in its
// tables runs through isql-fb into a database; its collection is read by the
// InterBase script parser; then, for every object of one kind, a copy of
// the database gets that object's DropObject through the executor alone.
// The object must be gone, nothing must be gone that the walk did not say it
// dropped, no table but the object itself may go, and every table left keeps
// every row.
#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelEngineTestSupport.h"
#include "qelIBSQLExec.h"
#include "qelIBExParser.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace qel;

namespace {

// Domains under key and non-key columns of several tables, named and
// unnamed keys and checks, a view with a trigger, a routine over the view,
// a package, an exception, a generator, an index, a role and grants.
const char* const kOwnSchema = R"(CREATE DOMAIN DPOS AS INTEGER DEFAULT 1 NOT NULL CHECK (VALUE > 0);
CREATE DOMAIN DNAME AS VARCHAR(20) CHARACTER SET UTF8 DEFAULT 'x';
CREATE DOMAIN DMONEY AS NUMERIC(12,2) CHECK (VALUE >= 0);
CREATE TABLE DEPT (ID DPOS PRIMARY KEY, NAME DNAME NOT NULL, CODE DPOS UNIQUE, BUDGET DMONEY);
CREATE TABLE EMP (ID INTEGER NOT NULL, DEPT DPOS REFERENCES DEPT (ID), NAME DNAME, SALARY DMONEY,
  PRIMARY KEY (ID), CHECK (SALARY < 1000000));
CREATE TABLE PROJ (ID INTEGER NOT NULL CONSTRAINT PK_PROJ PRIMARY KEY,
  LEAD INTEGER CONSTRAINT FK_PROJ_EMP REFERENCES EMP (ID), DEPT_CODE DPOS,
  CONSTRAINT FK_PROJ_DEPT FOREIGN KEY (DEPT_CODE) REFERENCES DEPT (CODE), CONSTRAINT CK_PROJ CHECK (ID > 0));
CREATE INDEX IX_EMP_NAME ON EMP (NAME);
CREATE GENERATOR GEN_EMP;
CREATE EXCEPTION E_BAD 'bad';
CREATE VIEW V_EMP AS SELECT E.ID, E.NAME, D.NAME AS DEPT_NAME FROM EMP E JOIN DEPT D ON D.ID = E.DEPT;
SET TERM ^ ;
CREATE TRIGGER TR_V_EMP FOR V_EMP BEFORE UPDATE AS BEGIN UPDATE EMP SET NAME = NEW.NAME WHERE ID = OLD.ID; END^
CREATE TRIGGER TR_EMP FOR EMP BEFORE INSERT AS
BEGIN
  IF (NEW.ID IS NULL) THEN NEW.ID = GEN_ID(GEN_EMP, 1);
  IF (NEW.SALARY > 999999) THEN EXCEPTION E_BAD;
END^
CREATE PROCEDURE P_COUNT (D INTEGER) RETURNS (N INTEGER) AS
BEGIN SELECT COUNT(*) FROM V_EMP WHERE ID > :D INTO :N; SUSPEND; END^
CREATE PACKAGE PK_UTIL AS BEGIN FUNCTION TWICE (X INTEGER) RETURNS INTEGER; END^
CREATE PACKAGE BODY PK_UTIL AS BEGIN FUNCTION TWICE (X INTEGER) RETURNS INTEGER AS BEGIN RETURN X * 2; END END^
SET TERM ; ^
CREATE ROLE R_READ;
GRANT SELECT ON EMP TO R_READ;
GRANT SELECT ON V_EMP TO PUBLIC;
INSERT INTO DEPT VALUES (1, 'one', 10, 100.5);
INSERT INTO DEPT VALUES (2, 'two', 20, NULL);
INSERT INTO EMP VALUES (1, 1, 'ann', 10);
INSERT INTO EMP VALUES (2, 2, 'bob', 20.25);
INSERT INTO EMP VALUES (3, 2, NULL, NULL);
INSERT INTO PROJ VALUES (1, 1, 10);
INSERT INTO PROJ VALUES (2, NULL, 20);
COMMIT;
)";

const std::string kExamples = "/usr/share/doc/firebird3.0-common-doc/examples/";

// The script without a CREATE DATABASE of its own: employee.sql makes its
// database first, which the test does itself.
std::string SchemaText(const std::string& Name)
{
    if (Name == "own") return kOwnSchema;
    const std::string text = qeltest::ReadFile(Name);
    const std::size_t create = UpperCase(text).find("CREATE DATABASE");
    if (create == std::string::npos) return text;
    return text.substr(0, create) + text.substr(text.find(';', create) + 1);
}

// One line per catalogue entry: "KIND:name", keys by their definition (an
// unnamed key comes back under another name), "ROW:table:values" per row.
std::set<std::string> Catalogue(qeltest::TInspector& Db)
{
    std::set<std::string> out;
    const auto add = [&](const std::string& Kind, const std::string& Sql) {
        for (const std::string& v : Db.Column(Sql)) out.insert(Kind + ":" + Trim(v));
    };
    add("TABLE", "SELECT RDB$RELATION_NAME FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 AND RDB$VIEW_BLR IS NULL");
    add("VIEW", "SELECT RDB$RELATION_NAME FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 AND RDB$VIEW_BLR IS NOT NULL");
    add("FIELD", "SELECT TRIM(F.RDB$RELATION_NAME) || '.' || TRIM(F.RDB$FIELD_NAME) FROM RDB$RELATION_FIELDS F "
                 "JOIN RDB$RELATIONS R ON R.RDB$RELATION_NAME = F.RDB$RELATION_NAME WHERE R.RDB$SYSTEM_FLAG = 0");
    add("PROCEDURE", "SELECT RDB$PROCEDURE_NAME FROM RDB$PROCEDURES WHERE RDB$SYSTEM_FLAG = 0 AND "
                     "RDB$PACKAGE_NAME IS NULL");
    add("FUNCTION", "SELECT RDB$FUNCTION_NAME FROM RDB$FUNCTIONS WHERE RDB$SYSTEM_FLAG = 0 AND "
                    "RDB$PACKAGE_NAME IS NULL");
    add("PACKAGE", "SELECT RDB$PACKAGE_NAME FROM RDB$PACKAGES WHERE RDB$SYSTEM_FLAG = 0");
    add("TRIGGER", "SELECT RDB$TRIGGER_NAME FROM RDB$TRIGGERS WHERE RDB$SYSTEM_FLAG = 0 AND RDB$TRIGGER_NAME NOT IN "
                   "(SELECT RDB$TRIGGER_NAME FROM RDB$CHECK_CONSTRAINTS)");
    add("EXCEPTION", "SELECT RDB$EXCEPTION_NAME FROM RDB$EXCEPTIONS WHERE RDB$SYSTEM_FLAG = 0");
    add("GENERATOR", "SELECT RDB$GENERATOR_NAME FROM RDB$GENERATORS WHERE RDB$SYSTEM_FLAG = 0");
    add("DOMAIN", "SELECT RDB$FIELD_NAME FROM RDB$FIELDS WHERE RDB$SYSTEM_FLAG = 0 AND RDB$FIELD_NAME NOT STARTING 'RDB$'");
    add("ROLE", "SELECT RDB$ROLE_NAME FROM RDB$ROLES WHERE RDB$SYSTEM_FLAG = 0");
    add("INDEX", "SELECT RDB$INDEX_NAME FROM RDB$INDICES WHERE RDB$SYSTEM_FLAG = 0 AND RDB$INDEX_NAME NOT IN "
                 "(SELECT RDB$INDEX_NAME FROM RDB$RELATION_CONSTRAINTS WHERE RDB$INDEX_NAME IS NOT NULL)");
    add("GRANT", "SELECT TRIM(RDB$USER) || ' ' || TRIM(RDB$PRIVILEGE) || ' ' || TRIM(RDB$RELATION_NAME) FROM "
                 "RDB$USER_PRIVILEGES WHERE RDB$USER <> 'SYSDBA' AND RDB$USER_TYPE IN (8, 13) AND RDB$RELATION_NAME "
                 "NOT STARTING 'MON$' AND RDB$RELATION_NAME NOT STARTING 'RDB$' AND RDB$RELATION_NAME NOT STARTING 'SEC$'");
    // A key by table, kind, columns and the table it references; a check by
    // its source; a named one by its name too.
    add("KEY", "SELECT TRIM(RC.RDB$RELATION_NAME) || ' ' || TRIM(RC.RDB$CONSTRAINT_TYPE) || ' (' || "
               "(SELECT LIST(TRIM(S.RDB$FIELD_NAME), ',') FROM (SELECT S2.RDB$FIELD_NAME FROM RDB$INDEX_SEGMENTS S2 "
               "WHERE S2.RDB$INDEX_NAME = RC.RDB$INDEX_NAME ORDER BY S2.RDB$FIELD_POSITION) S) || ')' || "
               "COALESCE(' -> ' || (SELECT TRIM(UQ.RDB$RELATION_NAME) FROM RDB$REF_CONSTRAINTS RF JOIN "
               "RDB$RELATION_CONSTRAINTS UQ ON UQ.RDB$CONSTRAINT_NAME = RF.RDB$CONST_NAME_UQ WHERE "
               "RF.RDB$CONSTRAINT_NAME = RC.RDB$CONSTRAINT_NAME), '') || IIF(RC.RDB$CONSTRAINT_NAME STARTING 'INTEG_', "
               "'', ' ' || TRIM(RC.RDB$CONSTRAINT_NAME)) FROM RDB$RELATION_CONSTRAINTS RC "
               "JOIN RDB$RELATIONS R ON R.RDB$RELATION_NAME = RC.RDB$RELATION_NAME AND R.RDB$SYSTEM_FLAG = 0 "
               "WHERE RC.RDB$CONSTRAINT_TYPE IN ('PRIMARY KEY', 'UNIQUE', 'FOREIGN KEY')");
    add("CHECK", "SELECT DISTINCT TRIM(RC.RDB$RELATION_NAME) || ' ' || CAST(T.RDB$TRIGGER_SOURCE AS VARCHAR(2000)) || "
                 "IIF(RC.RDB$CONSTRAINT_NAME STARTING 'INTEG_', '', ' ' || TRIM(RC.RDB$CONSTRAINT_NAME)) FROM "
                 "RDB$RELATION_CONSTRAINTS RC JOIN RDB$CHECK_CONSTRAINTS CC ON CC.RDB$CONSTRAINT_NAME = "
                 "RC.RDB$CONSTRAINT_NAME JOIN RDB$TRIGGERS T ON T.RDB$TRIGGER_NAME = CC.RDB$TRIGGER_NAME "
                 "WHERE RC.RDB$CONSTRAINT_TYPE = 'CHECK'");
    for (const std::string& table : Db.Column("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE "
                                              "RDB$SYSTEM_FLAG = 0 AND RDB$VIEW_BLR IS NULL")) {
        // Array columns are left out: the client layer reads no arrays.
        const std::vector<std::string> columns = Db.Column(
            "SELECT '\"' || TRIM(F.RDB$FIELD_NAME) || '\"' FROM RDB$RELATION_FIELDS F JOIN RDB$FIELDS D ON "
            "D.RDB$FIELD_NAME = F.RDB$FIELD_SOURCE WHERE D.RDB$DIMENSIONS IS NULL AND F.RDB$RELATION_NAME = '" +
            table + "' ORDER BY F.RDB$FIELD_POSITION");
        for (const auto& row : Db.Rows("SELECT " + Join(columns, ", ") + " FROM \"" + table + "\"")) {
            std::string line = "ROW:" + table + ":";
            for (const std::string& v : row) line += v + "|";
            out.insert(line);
        }
    }
    return out;
}

// A text without blanks and line breaks, as sources are matched.
std::string Unspaced(std::string_view Text)
{
    std::string out;
    for (char c : Text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') out += c;
    return out;
}

// The catalogue entries that stand for Obj itself: its own entry, a table's
// columns, rows and grants, a constraint's entry by its definition.
bool Names(const std::string& Entry, const TDbObj& Obj)
{
    const std::string kind = Entry.substr(0, Entry.find(':'));
    const std::string name = Entry.substr(Entry.find(':') + 1);
    if (const auto* c = dynamic_cast<const TCtrData*>(&Obj)) {
        const std::string named = c->Name().empty() ? "" : " " + c->Name();
        if (kind == "CHECK") return c->ObjectType() == TDbObject::dboCheck &&
                                    Unspaced(name) == Unspaced(c->TableName() + " CHECK" + c->Body() + named);
        if (kind != "KEY") return false;
        const char* type = c->ObjectType() == TDbObject::dboPKey     ? "PRIMARY KEY"
                           : c->ObjectType() == TDbObject::dboUnique ? "UNIQUE"
                                                                     : "FOREIGN KEY";
        std::vector<std::string> fields;
        for (const auto& f : c->Fields) fields.push_back(f.Name);
        const std::string ref = c->ObjectType() == TDbObject::dboFKey ? " -> " + c->RefTableName() : "";
        return name == c->TableName() + " " + type + " (" + Join(fields, ",") + ")" + ref + named;
    }
    if (const auto* g = dynamic_cast<const TGntData*>(&Obj))
        return kind == "GRANT" && name.starts_with(g->Grantee + " ") && name.ends_with(" " + g->ObjectName);
    if (kind == "GRANT") return name.ends_with(" " + Obj.Name()) || name.starts_with(Obj.Name() + " ");
    if (kind == "ROW") return name.starts_with(Obj.Name() + ":");
    if (kind == "FIELD") return name.starts_with(Obj.Name() + ".");
    return name == Obj.Name();
}

struct TDropRun {
    std::vector<std::string> Dropped;  // names the walk dropped and did not create again
    std::vector<std::string> Statements;
    std::string Errors;
};

// A database on the server built by isql-fb from a schema script, copies of
// it, and the script's collection as the InterBase executor reads it.
class TServerSchema {
public:
    // Empty when the database was made, else why not. Schema is "own",
    // "employee" or a script of its own.
    std::string Make(const std::string& Schema)
    {
        if (const std::string why = m_server.Unusable(); !why.empty()) return why;
        if (std::system("command -v isql-fb >/dev/null 2>&1") != 0) return "isql-fb is not installed";
        if (Schema == "own") {
            m_script = SchemaText("own");
        } else if (Schema != "employee") {
            m_script = Schema;
        } else {
            if (!std::filesystem::exists(kExamples + "employee.sql.gz")) return "firebird3.0-examples is missing";
            const std::string file = m_dir.File("e.sql");
            if (std::system(("gzip -dc " + kExamples + "employee.sql.gz > '" + file + "'").c_str()) != 0)
                return "employee.sql.gz cannot be read";
            m_script = SchemaText(file);
        }
        const std::string name = m_server.NewDatabaseName("drop-walk");
        m_template = m_server.FileOf(name);
        m_files.push_back(m_template);
        qeltest::WriteFile(m_dir.File("schema.sql"), "SET SQL DIALECT 3;\nCREATE DATABASE '" + name + "' USER '" +
                                                         m_server.User + "' PASSWORD '" + m_server.Password +
                                                         "' DEFAULT CHARACTER SET UTF8;\n" + m_script);
        const std::string out = Run("-i '" + m_dir.File("schema.sql") + "'");
        EXPECT_EQ(out, "");
        return {};
    }
    ~TServerSchema()
    {
        for (const std::string& f : m_files) std::filesystem::remove(f);
    }

    // isql-fb with Arguments; its output when it fails, else "".
    std::string Run(const std::string& Arguments)
    {
        const std::string out = m_dir.File("isql.out");
        const int rc = std::system(("isql-fb -q -bail " + Arguments + " > '" + out + "' 2>&1").c_str());
        return rc == 0 ? std::string() : "exit " + std::to_string(rc) + ": " + qeltest::ReadFile(out);
    }
    // A fresh copy of the database, owned by the server's user.
    std::string Copy()
    {
        const std::string copy = m_server.FileOf(m_server.NewDatabaseName("drop-walk-copy"));
        m_files.push_back(copy);
        std::filesystem::copy_file(m_template, copy);
        if (std::system("id firebird >/dev/null 2>&1") == 0) {
            EXPECT_EQ(std::system(("chown firebird:firebird '" + copy + "'").c_str()), 0);
        }
        return copy;
    }
    void Load(TObjs& O) const
    {
        O.SetDatabaseType(TDatabaseType::dbInterBase);
        O.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
        O.IBServerOptions().SQLDialect = 3;
        auto parser = MakeParser<TIbExParser>();
        TStringList lines;
        lines.SetText(m_script);
        parser->ParseScript(lines, &O);
    }
    std::set<std::string> CatalogueOf(const std::string& File)
    {
        qeltest::TInspector look([&](TQELConnection& c) { qeltest::ConfigureFirebirdServer(c, m_server, File); });
        return Catalogue(look);
    }
    void Connect(TQELConnection& C, const std::string& File) { qeltest::ConfigureFirebirdServer(C, m_server, File); }
    std::string Name(const std::string& File) const { return m_server.Host + ":" + File; }
    const std::string& Template() const { return m_template; }
    const qeltest::TServerConfig& Server() const { return m_server; }
    const qeltest::TempDir& Dir() const { return m_dir; }

private:
    qeltest::TServerConfig m_server;
    qeltest::TempDir m_dir;
    std::string m_script;
    std::string m_template;
    std::vector<std::string> m_files;
};

const std::map<std::string, const TObjIndex TCustomObjs::*> kIndexes = {
    {"domains", &TCustomObjs::Domains},         {"tables", &TCustomObjs::Tables},
    {"views", &TCustomObjs::Views},             {"procedures", &TCustomObjs::Procedures},
    {"triggers", &TCustomObjs::Triggers},       {"exceptions", &TCustomObjs::Exceptions},
    {"generators", &TCustomObjs::Generators},   {"indexes", &TCustomObjs::Indexes},
    {"constraints", &TCustomObjs::Constraints}, {"packages", &TCustomObjs::Packages},
    {"roles", &TCustomObjs::Roles},             {"grants", &TCustomObjs::Grants}};

class DropWalk : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(DropWalk, Firebird3DropsOneObjectAndNothingElse)
{
    const auto& [schema, kind] = GetParam();
    TServerSchema db;
    if (const std::string why = db.Make(schema); !why.empty()) QEL_SKIP_OR_FAIL(why);
    TObjs names;
    db.Load(names);
    std::vector<std::string> keys;
    for (const auto& item : names.*kIndexes.at(kind)) keys.push_back(item.Key);
    if (keys.empty()) GTEST_SKIP() << "no " << kind << " in " << schema;

    const std::set<std::string> before = db.CatalogueOf(db.Template());
    for (const std::string& key : keys) {
        SCOPED_TRACE(kind + " " + key);
        const std::string copy = db.Copy();
        TObjs o;
        db.Load(o);
        TDbObj* target = (o.*kIndexes.at(kind)).Find(key);
        ASSERT_NE(target, nullptr);
        TQELConnection c;
        db.Connect(c, copy);
        TIBSQLExec x;
        x.SetQELConnection(&c);
        TDropRun run;
        x.OnErrorMessage = [&run](TObject&, const std::string& Text) { run.Errors += Text + "\n"; };
        x.OnStatementAdd = [&run](TStatement& St, bool&) {
            run.Statements.push_back(St.SQL.Text());
            if (St.Operation == TDbOperation::odbDrop) run.Dropped.push_back(St.ObjName);
            if (St.Operation == TDbOperation::odbCreate) std::erase(run.Dropped, St.ObjName);
        };
        o.Executor = &x;
        std::string log;
        o.OnLogNextLine = [&log](TObject&, const std::string& Text) { log += Text + "\n"; };
        target->DropObject();
        x.Execute();
        c.SetConnected(false);
        std::string all;
        for (const std::string& s : run.Statements) all += s + "\n--\n";
        EXPECT_FALSE(run.Statements.empty());
        EXPECT_EQ(run.Errors, "") << all;
        EXPECT_EQ(log.find("Cannot drop"), std::string::npos) << log;

        const std::set<std::string> after = db.CatalogueOf(copy);
        bool targetGone = true;
        for (const std::string& entry : before) {
            const bool own = Names(entry, *target);
            if (own && !entry.starts_with("ROW:") && !entry.starts_with("FIELD:") && after.contains(entry))
                targetGone = false;
            if (after.contains(entry) || own) continue;
            // What else is gone the walk said it dropped; no other table goes,
            // nor any row of a table that stays.
            std::string name = entry.substr(entry.find(':') + 1);
            // A grant goes with what it was on.
            if (entry.starts_with("GRANT:")) name = name.substr(name.rfind(' ') + 1);
            EXPECT_FALSE(entry.starts_with("TABLE:") || entry.starts_with("ROW:")) << entry << "\n" << all;
            const bool announced = std::any_of(run.Dropped.begin(), run.Dropped.end(), [&](const std::string& d) {
                return !d.empty() && (name == d || name.starts_with(d + ".") || name.starts_with(d + " "));
            });
            EXPECT_TRUE(announced || entry.starts_with("KEY:") || entry.starts_with("CHECK:")) << entry << "\n" << all;
            // An unnamed key or check goes only with its table or a key it needs.
            if (entry.starts_with("KEY:") || entry.starts_with("CHECK:")) {
                EXPECT_FALSE(dynamic_cast<TCtrData*>(target) == nullptr && dynamic_cast<TTblData*>(target) == nullptr &&
                             dynamic_cast<TDmnData*>(target) == nullptr)
                    << entry << "\n" << all;
            }
        }
        EXPECT_TRUE(targetGone) << all;
        // A domain leaves its columns in place.
        if (dynamic_cast<TDmnData*>(target) != nullptr) {
            for (const std::string& entry : before) {
                if (entry.starts_with("FIELD:") || entry.starts_with("KEY:") || entry.starts_with("CHECK:") ||
                    entry.starts_with("ROW:")) {
                    EXPECT_TRUE(after.contains(entry)) << entry << "\n" << all;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DropWalk,
    ::testing::Values(std::pair{"own", "domains"}, std::pair{"own", "tables"}, std::pair{"own", "views"},
                      std::pair{"own", "procedures"}, std::pair{"own", "triggers"}, std::pair{"own", "exceptions"},
                      std::pair{"own", "generators"}, std::pair{"own", "indexes"}, std::pair{"own", "constraints"},
                      std::pair{"own", "packages"}, std::pair{"own", "roles"}, std::pair{"own", "grants"},
                      std::pair{"employee", "domains"}, std::pair{"employee", "tables"},
                      std::pair{"employee", "views"}, std::pair{"employee", "procedures"},
                      std::pair{"employee", "triggers"}, std::pair{"employee", "exceptions"},
                      std::pair{"employee", "generators"}, std::pair{"employee", "indexes"},
                      std::pair{"employee", "constraints"}),
    [](const auto& info) { return info.param.first + "_" + info.param.second; });

} // namespace

namespace {

// DropObject of every object, grants first and triggers last.
void DropAll(TObjs& O)
{
    for (const TObjIndex* index : {&O.Grants, &O.Roles, &O.Domains, &O.Tables, &O.Indexes, &O.Packages,
                                   &O.Constraints, &O.Exceptions, &O.Generators, &O.Views, &O.Procedures,
                                   &O.Triggers})
        for (const auto& item : *index) item.Object->DropObject();
}

} // namespace

// The whole schema dropped in one walk, run by the executor and written as a
// script that isql-fb runs: no statement fails, no user object is left, and
// no generated comment holds another comment's markers.
TEST(DropWalkAll, Firebird3DropsTheWholeSchemaByExecutorAndByScript)
{
    TServerSchema db;
    if (const std::string why = db.Make("own"); !why.empty()) QEL_SKIP_OR_FAIL(why);
    {
        const std::string copy = db.Copy();
        TObjs o;
        db.Load(o);
        TQELConnection c;
        db.Connect(c, copy);
        TIBSQLExec x;
        x.SetQELConnection(&c);
        std::string errors;
        x.OnErrorMessage = [&errors](TObject&, const std::string& Text) { errors += Text + "\n"; };
        o.Executor = &x;
        DropAll(o);
        x.Execute();
        c.SetConnected(false);
        EXPECT_EQ(errors, "");
        EXPECT_EQ(db.CatalogueOf(copy), std::set<std::string>{});
    }
    const std::string copy = db.Copy();
    TObjs o;
    db.Load(o);
    TIBSQLExec x;
    // isql-fb knows no RECONNECT: the script connects again by name.
    const qeltest::TServerConfig& server = db.Server();
    x.IBServerOptions().IBCompareOptions().UseRECONNECT = false;
    x.ConnectionOptions().DatabaseName = db.Name(copy);
    x.ConnectionOptions().UserName = server.User;
    x.ConnectionOptions().Password = server.Password;
    o.Executor = &x;
    DropAll(o);
    TStringList lines;
    x.WriteScript(lines, false);
    const std::string text = lines.Text();
    // Outside quoted runs, every comment opens once and closes before the next.
    bool inComment = false;
    char quote = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (quote != 0) {
            if (text[i] == quote) quote = 0;
        } else if (!inComment && (text[i] == '\'' || text[i] == '"')) {
            quote = text[i];
        } else if (text.compare(i, 2, "/*") == 0) {
            EXPECT_FALSE(inComment) << text.substr(i > 40 ? i - 40 : 0, 80);
            inComment = true, ++i;
        } else if (text.compare(i, 2, "*/") == 0) {
            EXPECT_TRUE(inComment) << text.substr(i > 40 ? i - 40 : 0, 80);
            inComment = false, ++i;
        }
    }
    qeltest::WriteFile(db.Dir().File("drop.sql"), "CONNECT '" + db.Name(copy) + "' USER '" + server.User +
                                                      "' PASSWORD '" + server.Password + "';\n" + text);
    EXPECT_EQ(db.Run("-i '" + db.Dir().File("drop.sql") + "'"), "") << text;
    EXPECT_EQ(db.CatalogueOf(copy), std::set<std::string>{});
}

namespace {

// An unnamed key or check is found by what defines it, whatever its layout
// or column order; when none or several match, the block fails and nothing
// is dropped.
struct TUnnamedRow {
    const char* Label;
    const char* Script;
    TConstraintKind Kind;
    std::vector<std::string> Fields;
    const char* RefTable;
    const char* Body;
    bool Fails;
    std::vector<std::string> Left; // the keys and checks of T afterwards
};

void PrintTo(const TUnnamedRow& Row, std::ostream* Out) { *Out << Row.Label; }

class UnnamedDrop : public ::testing::TestWithParam<TUnnamedRow> {};

TEST_P(UnnamedDrop, FindsTheServersNameByDefinition)
{
    const TUnnamedRow& row = GetParam();
    TServerSchema db;
    if (const std::string why = db.Make(row.Script); !why.empty()) QEL_SKIP_OR_FAIL(why);
    const std::string copy = db.Copy();
    TObjs o;
    o.SetDatabaseType(TDatabaseType::dbInterBase);
    o.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
    auto ctr = std::make_unique<TCtrData>(&o);
    ctr->SetConstraintKind(row.Kind), ctr->SetTableName("T"), ctr->SetRefTableName(row.RefTable), ctr->SetBody(row.Body);
    for (const std::string& f : row.Fields) ctr->Fields.Add(f);
    TDbObj* filed = o.AddObject(std::move(ctr));
    TQELConnection c;
    db.Connect(c, copy);
    TIBSQLExec x;
    x.SetQELConnection(&c);
    std::string errors;
    x.OnErrorMessage = [&errors](TObject&, const std::string& Text) { errors += Text; };
    o.Executor = &x;
    filed->DropObject();
    x.Execute();
    c.SetConnected(false);
    EXPECT_EQ(errors.find("Not exactly one unnamed constraint matches") != std::string::npos, row.Fails) << errors;
    if (!row.Fails) {
        EXPECT_EQ(errors, "");
    }
    std::vector<std::string> left;
    for (const std::string& entry : db.CatalogueOf(copy))
        if (entry.starts_with("KEY:T ") || entry.starts_with("CHECK:T ")) left.push_back(entry);
    EXPECT_EQ(left, row.Left);
}

const char* const kTwoUniques = "CREATE TABLE T (A INTEGER NOT NULL, B INTEGER NOT NULL, UNIQUE (A, B), UNIQUE (A));";
const char* const kTwoParents = "CREATE TABLE P1 (ID INTEGER NOT NULL PRIMARY KEY);\n"
                                "CREATE TABLE P2 (ID INTEGER NOT NULL PRIMARY KEY);\n"
                                "CREATE TABLE T (A INTEGER REFERENCES P1 (ID), CONSTRAINT FK_T FOREIGN KEY (A) "
                                "REFERENCES P2 (ID), FOREIGN KEY (A) REFERENCES P2 (ID));";
const char* const kChecks = "CREATE TABLE T (A INTEGER, CHECK (A>0), CHECK (A < 10), CHECK (A <> 5), CHECK (A <> 5));";

INSTANTIATE_TEST_SUITE_P(
    Rows, UnnamedDrop,
    ::testing::Values(
        TUnnamedRow{"UniqueByItsColumns", kTwoUniques, ckUnique, {"A", "B"}, "", "", false, {"KEY:T UNIQUE (A)"}},
        TUnnamedRow{"UniqueColumnsInOrder", kTwoUniques, ckUnique, {"B", "A"}, "", "", true,
                    {"KEY:T UNIQUE (A)", "KEY:T UNIQUE (A,B)"}},
        TUnnamedRow{"ForeignKeyByReferencedTable", kTwoParents, ckForeignKey, {"A"}, "P1", "", false,
                    {"KEY:T FOREIGN KEY (A) -> P2", "KEY:T FOREIGN KEY (A) -> P2 FK_T"}},
        TUnnamedRow{"CheckBySourceBlanksAside", kChecks, ckCheck, {}, "", "( A > 0 )", false,
                    {"CHECK:T CHECK (A < 10)", "CHECK:T CHECK (A <> 5)"}},
        TUnnamedRow{"NoneMatches", kChecks, ckCheck, {}, "", "(A > 99)", true,
                    {"CHECK:T CHECK (A < 10)", "CHECK:T CHECK (A <> 5)", "CHECK:T CHECK (A>0)"}},
        TUnnamedRow{"SeveralMatch", kChecks, ckCheck, {}, "", "(A <> 5)", true,
                    {"CHECK:T CHECK (A < 10)", "CHECK:T CHECK (A <> 5)", "CHECK:T CHECK (A>0)"}}),
    [](const auto& info) { return std::string(info.param.Label); });

} // namespace
