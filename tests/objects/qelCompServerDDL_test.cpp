// The texts of routines, triggers, views, domains and the other kinds run on
// real servers through an executor: what is created can be used, an altered
// routine runs its new body, and the drops leave nothing behind.
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

#include <string>

using namespace qel;
using qeltest::AddFields;
using qeltest::Make;
using OP = TDbOperation;
using Rows = std::vector<std::vector<std::string>>;

namespace {

constexpr std::uint8_t INTEGER = 1, VARCHAR = 14, TEXT = 48;

// An executor whose statements are objects' texts, run step by step.
struct TRun {
    explicit TRun(TSQLExec& X) : x(X)
    {
        x.OnErrorMessage = [this](TObject&, const std::string& t) { errors += t + "\n"; };
    }
    void Add(const std::string& Sql, const TDbObj& Obj, OP Operation)
    {
        EXPECT_FALSE(Sql.empty()) << Obj.Name();
        const TStatType type = dynamic_cast<const TPrcData*>(&Obj) ? TStatType::stProcedure
                               : dynamic_cast<const TTrgData*>(&Obj) ? TStatType::stTrigger
                                                                     : TStatType::stStatement;
        x.AddStatement(Sql, type, Obj.Name(), Obj.ObjectType(), Operation);
    }
    void Drop(std::initializer_list<const TDbObj*> Objects)
    {
        for (const TDbObj* obj : Objects) Add(obj->GetDropScript(), *obj, OP::odbDrop);
    }
    void Go()
    {
        EXPECT_TRUE(x.Execute()) << errors;
        EXPECT_EQ(x.ErrorCount(), 0) << errors;
        x.Clear();
    }
    TSQLExec& x;
    std::string errors;
};

} // namespace

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
    auto proc = Make<TPrcData>(objs, "P"); // selectable
    AddFields(objs, proc->InputParams, proc.get(), {{"A", INTEGER}});
    AddFields(objs, proc->OutputParams, proc.get(), {{"B", VARCHAR, 10}});
    auto func = Make<TPrcData>(objs, "F");
    func->IsFunction = true;
    AddFields(objs, func->InputParams, func.get(), {{"A", INTEGER}});
    AddFields(objs, func->OutputParams, func.get(), {{"", INTEGER}});
    auto raiser = Make<TPrcData>(objs, "RAISER");
    auto trigger = Make<TTrgData>(objs, "TR");
    trigger->SetTableName("T");
    trigger->IBTypeCode = 1; // before insert
    auto onConnect = Make<TTrgData>(objs, "TR_CONNECT");
    onConnect->SetTableName("DATABASE");
    onConnect->DatabaseEvent = "CONNECT";
    onConnect->SetBody("AS BEGIN END");
    auto view = Make<TViwData>(objs, "V");
    AddFields(objs, view->Columns, view.get(), {{"A", 0}, {"B", 0}});
    view->SetBody("SELECT A, B FROM T");

    TQELConnection c;
    qeltest::ConfigureFirebird(c, path);
    c.IBServerOptions().SetDBCharSet("UTF8");
    TIBSQLExec x;
    x.SetQELConnection(&c);
    TRun run(x);
    // Routines and the table trigger first as stubs, as when what they use
    // is still to come.
    run.Add(exc->GetCreateDDL(), *exc, OP::odbCreate);
    run.Add(domain->GetCreateDDL(), *domain, OP::odbCreate);
    run.Add(collation->GetCreateScript(), *collation, OP::odbCreate);
    for (const TPrcData* routine : {proc.get(), func.get(), raiser.get()})
        run.Add(routine->GetStubCreateScript(), *routine, OP::odbEmptyCreate);
    run.Add(trigger->GetStubCreateScript(), *trigger, OP::odbEmptyCreate);
    run.Add(onConnect->GetCreateDDL(), *onConnect, OP::odbCreate);
    run.Add(view->GetCreateDDL(), *view, OP::odbCreate);
    run.Go();
    // An attachment that used a routine holds it until it goes: each look
    // is a connection of its own.
    EXPECT_EQ(qeltest::TInspector(path).Value("SELECT COUNT(*) FROM P(7)"), "1"); // the stub suspends once

    proc->SetBody("BEGIN B = CAST(A AS VARCHAR(10)); SUSPEND; END");
    func->SetBody("BEGIN RETURN A + 1; END");
    raiser->SetBody("BEGIN EXCEPTION E; END");
    trigger->SetBody("AS BEGIN NEW.B = 'x'; END");
    for (const TDbObj* obj : std::initializer_list<const TDbObj*>{proc.get(), func.get(), raiser.get(), trigger.get()})
        run.Add(obj->GetAlterScript(), *obj, OP::odbAlter);
    run.Go();
    {
        qeltest::TInspector use(path);
        use.Run("INSERT INTO T (A) VALUES (1)");
        EXPECT_EQ(use.Rows("SELECT P.B, F(1), V.B, CAST('A' AS VARCHAR(1) CHARACTER SET UTF8) COLLATE CO = 'a' "
                           "FROM P(7) CROSS JOIN V"),
                  (Rows{{"7", "2", "x", "True"}}));
        use.Run("EXECUTE BLOCK AS BEGIN EXECUTE PROCEDURE RAISER; WHEN EXCEPTION E DO BEGIN END END");
        EXPECT_EQ(use.Value("SELECT RDB$MESSAGE FROM RDB$EXCEPTIONS"), "Can't");
        use.Run("DELETE FROM T");
    }

    run.Drop({onConnect.get(), trigger.get(), view.get(), raiser.get(), func.get(), proc.get(), exc.get(),
              domain.get(), collation.get()});
    run.Go();
    EXPECT_EQ(qeltest::TInspector(path).Value(
                  "SELECT (SELECT COUNT(*) FROM RDB$PROCEDURES) + (SELECT COUNT(*) FROM RDB$FUNCTIONS WHERE "
                  "RDB$SYSTEM_FLAG = 0) + (SELECT COUNT(*) FROM RDB$TRIGGERS WHERE RDB$SYSTEM_FLAG = 0) + (SELECT "
                  "COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'V') + (SELECT COUNT(*) FROM RDB$EXCEPTIONS) + "
                  "(SELECT COUNT(*) FROM RDB$FIELDS WHERE RDB$FIELD_NAME = 'D') + (SELECT COUNT(*) FROM RDB$COLLATIONS "
                  "WHERE RDB$COLLATION_NAME = 'CO') FROM RDB$DATABASE"),
              "0");
}

TEST(PostgreSQLDDL, FunctionTriggerViewDomainRuleOperatorAndClassGoAndCome)
{
    const std::string conn = qeltest::PostgreSQLString();
    if (conn.empty()) QEL_SKIP_OR_FAIL("no PostgreSQL: VELMORIN_PG_CONN is not set");
    TQELConnection c;
    std::string connError;
    c.OnErrorMessage = [&](TObject&, const std::string& t) { connError = t; };
    qeltest::ConfigureODBC(c, conn, TDatabaseType::dbPostgreSQL);
    c.SetConnected(true);
    if (!c.Connected()) QEL_SKIP_OR_FAIL("PostgreSQL not reachable: " + connError);
    c.SetConnected(false);
    // A schema of the test's own, dropped with all in it however the test ends.
    const std::string s = "ddl_" + std::to_string(::getpid());
    qeltest::TInspector use(conn, true, TDatabaseType::dbPostgreSQL);
    for (const std::string& sql : {"DROP SCHEMA IF EXISTS " + s + " CASCADE", "CREATE SCHEMA " + s,
                                   "CREATE TABLE " + s + ".t (a int, b text)"})
        use.Run(sql);
    struct TDropSchema {
        qeltest::TInspector& admin;
        std::string name;
        ~TDropSchema() { admin.Run("DROP SCHEMA IF EXISTS " + name + " CASCADE"); }
    } dropSchema{use, s};

    TObjs objs;
    objs.SetDatabaseType(TDatabaseType::dbPostgreSQL);
    auto func = Make<TPrcData>(objs, "f", s); // a + 1, first as its PL/pgSQL stub
    func->IsFunction = true;
    func->ReturnType = "integer";
    AddFields(objs, func->InputParams, func.get(), {{"a", INTEGER, 0, 1}});
    auto trgFunc = Make<TPrcData>(objs, "trg_f", s);
    trgFunc->IsFunction = true;
    trgFunc->ReturnType = "trigger";
    trgFunc->Language = "plpgsql";
    trgFunc->SetBody("BEGIN NEW.b := 'x'; RETURN NEW; END");
    auto trigger = Make<TTrgData>(objs, "tr", s);
    trigger->SetTableName("t");
    trigger->Timing = 1;
    trigger->Events = 1 << 1; // insert
    trigger->ForEachRow = true;
    trigger->SetBody("EXECUTE PROCEDURE " + s + ".trg_f()");
    auto view = Make<TViwData>(objs, "v", s);
    AddFields(objs, view->Columns, view.get(), {{"a", 0}, {"b", 0}});
    view->SetBody("SELECT a, b FROM " + s + ".t");
    auto domain = Make<TDmnData>(objs, "d", s);
    domain->BaseField->DataType = INTEGER;
    domain->BaseField->Nullable = false;
    auto pair = Make<TDmnData>(objs, "pair", s);
    pair->PGTypeOptions.IsType = true;
    AddFields(objs, pair->PGTypeOptions.Attributes, pair.get(), {{"a", INTEGER}, {"b", TEXT}});
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

    TSQLExec x;
    x.SetDatabaseType(TDatabaseType::dbPostgreSQL);
    x.SetQELConnection(&c);
    objs.Executor = &x;
    TRun run(x);
    // The operator names its function without a schema.
    x.AddStatement("SET search_path TO " + s + ", public", TStatType::stStatement);
    run.Add(func->GetStubCreateScript(), *func, OP::odbEmptyCreate);
    for (TDbObj* obj : std::initializer_list<TDbObj*>{trgFunc.get(), trigger.get(), view.get(), domain.get(),
                                                       pair.get(), rule.get(), op.get(), opClass.get()})
        run.Add(obj->GetCreateScript(), *obj, OP::odbCreate);
    run.Go();
    func->Language = "sql";
    func->Strict = true;
    func->SetBody("SELECT a + 1");
    run.Add(func->GetAlterScript(), *func, OP::odbAlter);
    run.Go();

    use.Run("INSERT INTO " + s + ".t (a) VALUES (1)");
    use.Run("DELETE FROM " + s + ".t"); // the rule keeps the row
    EXPECT_EQ(use.Rows("SELECT " + s + ".f(1), OPERATOR(" + s + ".#+#) 41, v.b, (CAST(ROW(1, 'y') AS " + s +
                       ".pair)).b, CAST(3 AS " + s + ".d), (SELECT count(*) FROM pg_opclass WHERE opcname = 'c') FROM " +
                       s + ".v"),
              (Rows{{"2", "42", "x", "y", "3", "1"}}));

    run.Drop({rule.get(), trigger.get(), opClass.get(), op.get(), view.get(), trgFunc.get(), func.get(), domain.get(),
              pair.get()});
    run.Go();
    const std::string ns = "(SELECT oid FROM pg_namespace WHERE nspname = '" + s + "')";
    EXPECT_EQ(use.Value("SELECT (SELECT count(*) FROM pg_proc WHERE pronamespace = " + ns +
                        ") + (SELECT count(*) FROM pg_operator WHERE oprnamespace = " + ns +
                        ") + (SELECT count(*) FROM pg_opclass WHERE opcnamespace = " + ns +
                        ") + (SELECT count(*) FROM pg_type WHERE typnamespace = " + ns +
                        " AND typname IN ('d', 'pair', 'v')) + (SELECT count(*) FROM pg_trigger t JOIN pg_class r ON "
                        "r.oid = t.tgrelid WHERE t.tgname = 'tr' AND r.relnamespace = " + ns + ") + "
                        "(SELECT count(*) FROM pg_rules WHERE schemaname = '" + s + "')"),
              "0");
}
