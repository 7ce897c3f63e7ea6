// The texts of routines, triggers, views, domains and the other kinds, run
// on real servers through an executor: what is created can be used, what is
// altered takes its new body, and every drop leaves nothing behind.
#include "qelComp_Def.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Opr.h"
#include "qelComp_Prc.h"
#include "qelComp_Rul.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelEngineTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelIBSQLExec.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <string>

using namespace qel;
using qeltest::AddField;
using ST = TStatType;
using OP = TDbOperation;

namespace {

constexpr std::uint8_t INTEGER = 1, VARCHAR = 14, TEXT = 48;

template <class T>
std::unique_ptr<T> Make(TObjs& objs, const std::string& name, const std::string& schema = {})
{
    auto obj = std::make_unique<T>(&objs);
    obj->SetName(name);
    obj->SetSchema(schema);
    return obj;
}

// Hands Sql to the executor as the object's statement of kind Type.
void Add(TSQLExec& x, const std::string& Sql, const TDbObj& Obj, OP Operation, ST Type = ST::stStatement)
{
    ASSERT_FALSE(Sql.empty()) << Obj.Name();
    x.AddStatement(Sql, Type, Obj.Name(), Obj.ObjectType(), Operation);
}

// The errors an executor reports, one a line.
struct TErrors {
    std::string Text;
    void Attach(TSQLExec& X)
    {
        X.OnErrorMessage = [this](TObject&, const std::string& t) { Text += t + "\n"; };
    }
};

// Runs what was added and empties the list for the next step.
void RunStep(TSQLExec& x, const TErrors& errors)
{
    EXPECT_TRUE(x.Execute()) << errors.Text;
    EXPECT_EQ(x.ErrorCount(), 0) << errors.Text;
    x.Clear();
}

} // namespace

// ---- Firebird ----------------------------------------------------------------

TEST(FirebirdDDL, RoutinesTriggersViewDomainExceptionAndCollationGoAndCome)
{
    qeltest::TempDir dir;
    const std::string path = dir.File("ddl.fdb");
    qeltest::CreateFirebird(path);
    qeltest::TInspector(path).Run("CREATE TABLE T (A INTEGER, B VARCHAR(10))");

    TObjs objs;
    objs.SetDatabaseType(TDatabaseType::dbInterBase);
    objs.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;

    auto exc = Make<TExcData>(objs, "E");
    exc->Message = "Can't";
    auto domain = Make<TDmnData>(objs, "D");
    domain->BaseField->DataType = INTEGER;
    domain->BaseField->Nullable = false;
    auto collation = Make<TCltData>(objs, "CO");
    collation->CharacterSet = "UTF8";
    collation->FromCollation = "UNICODE";
    collation->CaseSensitive = false;
    // A selectable procedure, first as its stub, then with its real body.
    auto proc = Make<TPrcData>(objs, "P");
    AddField(objs, proc->InputParams, proc.get(), "A", INTEGER);
    AddField(objs, proc->OutputParams, proc.get(), "B", VARCHAR, 10);
    auto func = Make<TPrcData>(objs, "F");
    func->IsFunction = true;
    AddField(objs, func->InputParams, func.get(), "A", INTEGER);
    AddField(objs, func->OutputParams, func.get(), "", INTEGER);
    auto raiser = Make<TPrcData>(objs, "RAISER");
    auto trigger = Make<TTrgData>(objs, "TR");
    trigger->SetTableName("T");
    trigger->IBTypeCode = 1; // before insert
    auto onConnect = Make<TTrgData>(objs, "TR_CONNECT");
    onConnect->SetTableName("DATABASE");
    onConnect->DatabaseEvent = "CONNECT";
    onConnect->SetBody("AS BEGIN END");
    auto view = Make<TViwData>(objs, "V");
    AddField(objs, view->Columns, view.get(), "A", 0);
    AddField(objs, view->Columns, view.get(), "B", 0);
    view->SetBody("SELECT A, B FROM T");

    TQELConnection c;
    qeltest::ConfigureFirebird(c, path);
    c.IBServerOptions().SetDBCharSet("UTF8");
    TIBSQLExec x;
    x.SetQELConnection(&c);
    TErrors rec;
    rec.Attach(x);

    Add(x, exc->GetCreateDDL(), *exc, OP::odbCreate);
    Add(x, domain->GetCreateDDL(), *domain, OP::odbCreate);
    Add(x, collation->GetCreateScript(), *collation, OP::odbCreate);
    for (TPrcData* routine : {proc.get(), func.get(), raiser.get()})
        Add(x, routine->GetStubCreateScript(), *routine, OP::odbEmptyCreate, ST::stProcedure);
    Add(x, trigger->GetStubCreateScript(), *trigger, OP::odbEmptyCreate, ST::stTrigger);
    Add(x, onConnect->GetCreateDDL(), *onConnect, OP::odbCreate, ST::stTrigger);
    Add(x, view->GetCreateDDL(), *view, OP::odbCreate);
    RunStep(x, rec);
    // An attachment that used a routine holds it until it goes: each look
    // is a connection of its own.
    EXPECT_EQ(qeltest::TInspector(path).Value("SELECT COUNT(*) FROM P(7)"), "1"); // the stub suspends once

    proc->SetBody("BEGIN B = CAST(A AS VARCHAR(10)); SUSPEND; END");
    func->SetBody("BEGIN RETURN A + 1; END");
    raiser->SetBody("BEGIN EXCEPTION E; END");
    trigger->SetBody("AS BEGIN NEW.B = 'x'; END");
    for (TPrcData* routine : {proc.get(), func.get(), raiser.get()})
        Add(x, routine->GetAlterScript(), *routine, OP::odbAlter, ST::stProcedure);
    Add(x, trigger->GetAlterScript(), *trigger, OP::odbAlter, ST::stTrigger);
    RunStep(x, rec);

    {
        qeltest::TInspector use(path);
        EXPECT_EQ(use.Value("SELECT B FROM P(7)"), "7");
        EXPECT_EQ(use.Value("SELECT F(1) FROM RDB$DATABASE"), "2");
        use.Run("INSERT INTO T (A) VALUES (1)");
        EXPECT_EQ(use.Rows("SELECT A, B FROM V"), (std::vector<std::vector<std::string>>{{"1", "x"}}));
        EXPECT_EQ(use.Value("SELECT CAST('A' AS VARCHAR(1) CHARACTER SET UTF8) COLLATE CO = 'a' FROM RDB$DATABASE"),
                  "True");
        use.Run("EXECUTE BLOCK AS BEGIN EXECUTE PROCEDURE RAISER; WHEN EXCEPTION E DO BEGIN END END");
        EXPECT_EQ(use.Value("SELECT RDB$MESSAGE FROM RDB$EXCEPTIONS WHERE RDB$EXCEPTION_NAME = 'E'"), "Can't");
        use.Run("DELETE FROM T");
    }

    Add(x, onConnect->GetDropScript(), *onConnect, OP::odbDrop);
    Add(x, trigger->GetDropScript(), *trigger, OP::odbDrop);
    Add(x, view->GetDropScript(), *view, OP::odbDrop);
    for (TPrcData* routine : {raiser.get(), func.get(), proc.get()})
        Add(x, routine->GetDropScript(), *routine, OP::odbDrop);
    Add(x, exc->GetDropScript(), *exc, OP::odbDrop);
    Add(x, domain->GetDropScript(), *domain, OP::odbDrop);
    Add(x, collation->GetDropScript(), *collation, OP::odbDrop);
    RunStep(x, rec);
    EXPECT_EQ(qeltest::TInspector(path).Value("SELECT (SELECT COUNT(*) FROM RDB$PROCEDURES) + (SELECT COUNT(*) FROM RDB$FUNCTIONS "
                         "WHERE RDB$SYSTEM_FLAG = 0) + (SELECT COUNT(*) FROM RDB$TRIGGERS WHERE RDB$SYSTEM_FLAG = 0) + "
                         "(SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'V') + (SELECT COUNT(*) FROM "
                         "RDB$EXCEPTIONS) + (SELECT COUNT(*) FROM RDB$FIELDS WHERE RDB$FIELD_NAME = 'D') + (SELECT "
                         "COUNT(*) FROM RDB$COLLATIONS WHERE RDB$COLLATION_NAME = 'CO') FROM RDB$DATABASE"),
              "0");
}

// ---- PostgreSQL ----------------------------------------------------------------

namespace {

// A schema of the test's own on the PostgreSQL test cluster, dropped with
// everything in it however the test ends.
class PGSchema {
public:
    explicit PGSchema(const std::string& Conn)
        : Name("ddl_" + std::to_string(::getpid())), Admin(Conn, true, TDatabaseType::dbPostgreSQL)
    {
        Admin.Run("DROP SCHEMA IF EXISTS " + Name + " CASCADE");
        Admin.Run("CREATE SCHEMA " + Name);
    }
    ~PGSchema() { Admin.Run("DROP SCHEMA IF EXISTS " + Name + " CASCADE"); }
    PGSchema(const PGSchema&) = delete;
    PGSchema& operator=(const PGSchema&) = delete;

    const std::string Name;
    qeltest::TInspector Admin;
};

} // namespace

TEST(PostgreSQLDDL, FunctionTriggerViewDomainRuleOperatorAndClassGoAndCome)
{
    const std::string conn = qeltest::PostgreSQLString();
    if (conn.empty()) QEL_SKIP_OR_FAIL("no PostgreSQL: VELMORIN_PG_CONN is not set");
    TQELConnection c;
    std::vector<std::string> connErrors;
    c.OnErrorMessage = [&](TObject&, const std::string& t) { connErrors.push_back(t); };
    qeltest::ConfigureODBC(c, conn, TDatabaseType::dbPostgreSQL);
    c.SetConnected(true);
    if (!c.Connected()) QEL_SKIP_OR_FAIL("PostgreSQL not reachable: " + (connErrors.empty() ? "" : connErrors[0]));
    c.SetConnected(false);
    PGSchema schema(conn);
    const std::string& s = schema.Name;
    schema.Admin.Run("CREATE TABLE " + s + ".t (a integer, b text)");

    TObjs objs;
    objs.SetDatabaseType(TDatabaseType::dbPostgreSQL);
    TSQLExec x;
    x.SetDatabaseType(TDatabaseType::dbPostgreSQL);
    x.SetQELConnection(&c);
    objs.Executor = &x;
    TErrors rec;
    rec.Attach(x);

    // f(a) = a + 1, first as its PL/pgSQL stub.
    auto func = Make<TPrcData>(objs, "f", s);
    func->IsFunction = true;
    func->ReturnType = "integer";
    AddField(objs, func->InputParams, func.get(), "a", INTEGER)->Direction = 1;
    auto trgFunc = Make<TPrcData>(objs, "trg_f", s);
    trgFunc->IsFunction = true;
    trgFunc->ReturnType = "trigger";
    trgFunc->Language = "plpgsql";
    trgFunc->SetBody("BEGIN NEW.b := 'x'; RETURN NEW; END");
    auto trigger = Make<TTrgData>(objs, "tr", s);
    trigger->SetTableName("t");
    trigger->Timing = 1;
    trigger->Events = 1 << 1;
    trigger->ForEachRow = true;
    trigger->SetBody("EXECUTE PROCEDURE " + s + ".trg_f()");
    auto view = Make<TViwData>(objs, "v", s);
    AddField(objs, view->Columns, view.get(), "a", 0);
    AddField(objs, view->Columns, view.get(), "b", 0);
    view->SetBody("SELECT a, b FROM " + s + ".t");
    auto domain = Make<TDmnData>(objs, "d", s);
    domain->BaseField->DataType = INTEGER;
    domain->BaseField->Nullable = false;
    auto pair = Make<TDmnData>(objs, "pair", s);
    pair->PGTypeOptions.IsType = true;
    AddField(objs, pair->PGTypeOptions.Attributes, pair.get(), "a", INTEGER);
    AddField(objs, pair->PGTypeOptions.Attributes, pair.get(), "b", TEXT);
    auto rule = Make<TRulData>(objs, "r");
    rule->Event = 3; // delete
    rule->TableName = "t";
    rule->TableSchema = s;
    rule->DoKind = "INSTEAD";
    rule->DoNothing = true;
    auto op = Make<TOprData>(objs, "#+#", s);
    op->ProcedureName = "f";
    op->RightArg = "int4";
    auto opClass = Make<TOpcData>(objs, "c", s);
    opClass->ForType = "int4";
    opClass->IndexMethod = "hash";
    TOpcOprData* equal = opClass->AddOperator();
    equal->StrategyNumber = 1;
    equal->OperatorName = "=";
    TOpcFncData* hash = opClass->AddFunction();
    hash->SupportNumber = 1;
    hash->FunctionName = "hashint4";
    hash->ArgTypes.Add("int4");

    // The operator names its function without a schema.
    x.AddStatement("SET search_path TO " + s + ", public", ST::stStatement);
    Add(x, func->GetStubCreateScript(), *func, OP::odbEmptyCreate, ST::stProcedure);
    Add(x, trgFunc->GetCreateDDL(), *trgFunc, OP::odbCreate, ST::stProcedure);
    Add(x, trigger->GetCreateDDL(), *trigger, OP::odbCreate, ST::stTrigger);
    Add(x, view->GetCreateDDL(), *view, OP::odbCreate);
    Add(x, domain->GetCreateDDL(), *domain, OP::odbCreate);
    Add(x, pair->GetCreateDDL(), *pair, OP::odbCreate);
    Add(x, rule->GetCreateScript(), *rule, OP::odbCreate);
    Add(x, op->GetCreateDDL(), *op, OP::odbCreate);
    Add(x, opClass->GetCreateDDL(), *opClass, OP::odbCreate);
    RunStep(x, rec);

    func->Language = "sql";
    func->Strict = true;
    func->SetBody("SELECT a + 1");
    Add(x, func->GetAlterScript(), *func, OP::odbAlter, ST::stProcedure);
    RunStep(x, rec);

    qeltest::TInspector& use = schema.Admin;
    EXPECT_EQ(use.Value("SELECT " + s + ".f(1)"), "2");
    EXPECT_EQ(use.Value("SELECT OPERATOR(" + s + ".#+#) 41"), "42");
    use.Run("INSERT INTO " + s + ".t (a) VALUES (1)");
    use.Run("DELETE FROM " + s + ".t"); // the rule keeps the row
    EXPECT_EQ(use.Rows("SELECT a, b FROM " + s + ".v"), (std::vector<std::vector<std::string>>{{"1", "x"}}));
    EXPECT_EQ(use.Value("SELECT (CAST(ROW(1, 'y') AS " + s + ".pair)).b"), "y");
    EXPECT_EQ(use.Value("SELECT CAST(3 AS " + s + ".d)"), "3");
    EXPECT_EQ(use.Value("SELECT count(*) FROM pg_opclass WHERE opcname = 'c'"), "1");

    Add(x, rule->GetDropScript(), *rule, OP::odbDrop);
    Add(x, trigger->GetDropScript(), *trigger, OP::odbDrop);
    Add(x, opClass->GetDropScript(), *opClass, OP::odbDrop);
    Add(x, op->GetDropScript(), *op, OP::odbDrop);
    Add(x, view->GetDropScript(), *view, OP::odbDrop);
    Add(x, trgFunc->GetDropScript(), *trgFunc, OP::odbDrop);
    Add(x, func->GetDropScript(), *func, OP::odbDrop);
    Add(x, domain->GetDropScript(), *domain, OP::odbDrop);
    Add(x, pair->GetDropScript(), *pair, OP::odbDrop);
    RunStep(x, rec);
    const std::string ns = "(SELECT oid FROM pg_namespace WHERE nspname = '" + s + "')";
    EXPECT_EQ(use.Value("SELECT (SELECT count(*) FROM pg_proc WHERE pronamespace = " + ns +
                        ") + (SELECT count(*) FROM pg_operator WHERE oprnamespace = " + ns +
                        ") + (SELECT count(*) FROM pg_opclass WHERE opcnamespace = " + ns +
                        ") + (SELECT count(*) FROM pg_type WHERE typnamespace = " + ns +
                        " AND typname IN ('d', 'pair', 'v')) + (SELECT count(*) FROM pg_trigger WHERE tgname = 'tr') + "
                        "(SELECT count(*) FROM pg_rules WHERE schemaname = '" + s + "')"),
              "0");
}
