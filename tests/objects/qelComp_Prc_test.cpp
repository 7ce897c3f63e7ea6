#include "qelComp_Fld.h"
#include "qelComp_Prc.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qel;

// A routine returns a table when it says so, or when its first output (its
// result) is of type TABLE; a later TABLE output does not count.
TEST(TPrcData, ReturnsTableByFlagOrFirstOutput)
{
    const struct {
        bool tableResult;
        int firstType, secondType; // -1: no such output
        bool expected;
    } cases[] = {
        {false, -1, -1, false}, {true, -1, -1, true}, {false, 84, -1, true},
        {false, 1, 84, false},  {true, 1, -1, true},  {false, dtDomain, -1, false},
    };
    TObjs objs;
    for (const auto& c : cases) {
        TPrcData routine(&objs);
        routine.TableResult = c.tableResult;
        for (int type : {c.firstType, c.secondType}) {
            if (type < 0) continue;
            auto* out = routine.OutputParams.Add("R", std::make_unique<TFldData>(&objs, &routine));
            out->DataType = static_cast<std::uint8_t>(type);
        }
        EXPECT_EQ(routine.ReturnsTable(), c.expected) << c.tableResult << ' ' << c.firstType << ' ' << c.secondType;
    }
}

// ClearParams frees the parameters, links included, so a routine can read
// its parameters again.
TEST(TPrcData, ClearParamsFreesEveryParameter)
{
    TObjs objs;
    TPrcData routine(&objs), user(&objs);
    auto* in = routine.InputParams.Add("A", std::make_unique<TFldData>(&objs, &routine));
    routine.OutputParams.Add("B", std::make_unique<TFldData>(&objs, &routine));
    in->SetName("A");
    AddDependency(&objs, &user, in, 1, 1, {});
    ASSERT_EQ(user.Uses.Count(), 1);
    routine.ClearParams();
    EXPECT_TRUE(routine.InputParams.Empty());
    EXPECT_TRUE(routine.OutputParams.Empty());
    EXPECT_TRUE(user.Uses.Empty());
    EXPECT_EQ(routine.Characteristics, 0);
}

TEST(TPrcData, StubCreatedReachesTheCounterpart)
{
    TObjs source, target;
    TPrcData mine(&target), theirs(&source);
    mine.SetCounterpart(&theirs);
    theirs.SetStubCreated(true);
    EXPECT_TRUE(mine.StubCreated());
    mine.SetStubCreated(false);
    EXPECT_FALSE(theirs.StubCreated());
}

// ---- texts ---------------------------------------------------------------------

namespace {

using qeltest::TDDLRow;
using DT = TDatabaseType;
constexpr std::uint8_t INTEGER = 1, NUMBER = 11, VARCHAR = 14, UNIQUEIDENTIFIER = 79;

// Routine Name with Body, its inputs and outputs.
std::unique_ptr<TPrcData> Routine(TObjs& o, const char* name, const char* body,
                                  std::initializer_list<qeltest::TFieldSpec> in = {},
                                  std::initializer_list<qeltest::TFieldSpec> out = {}, bool function = false)
{
    auto p = qeltest::Make<TPrcData>(o, name);
    p->SetBody(body);
    p->IsFunction = function;
    qeltest::AddFields(o, p->InputParams, p.get(), in);
    qeltest::AddFields(o, p->OutputParams, p.get(), out);
    return p;
}

// P(A INTEGER) RETURNS (B VARCHAR(10)): a selectable procedure.
std::unique_ptr<TPrcData> Selectable(TObjs& o, const char* body)
{
    return Routine(o, "P", body, {{"A", INTEGER}}, {{"B", VARCHAR, 10}});
}

// s.f(IN a integer) RETURNS integer, in SQL.
std::unique_ptr<TPrcData> PGFunction(TObjs& o, const char* body)
{
    auto f = Routine(o, "f", body, {{"a", INTEGER, 0, 1}}, {}, true);
    f->SetSchema("s");
    f->Language = "sql";
    f->ReturnType = "integer";
    return f;
}

std::string CreateAlterStub(const TPrcData& p)
{
    return p.GetCreateDDL() + " | " + p.GetAlterScript() + " | " + p.GetStubCreateScript();
}

} // namespace

class RoutineText : public qeltest::TDDLTest {};
TEST_P(RoutineText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, RoutineText,
    ::testing::Values(
        TDDLRow{"IB without parameters", DT::dbInterBase,
                [](TObjs& o) { return CreateAlterStub(*Routine(o, "P", "BEGIN END")); },
                "CREATE PROCEDURE P AS\r\nBEGIN END | ALTER PROCEDURE P AS\r\nBEGIN END | "
                "CREATE PROCEDURE P AS\r\n BEGIN EXIT; END"},
        TDDLRow{"IB selectable", DT::dbInterBase, [](TObjs& o) { return CreateAlterStub(*Selectable(o, "BEGIN END")); },
                "CREATE PROCEDURE P(A INTEGER)\r\n RETURNS(B VARCHAR(10))\r\n AS\r\nBEGIN END | "
                "ALTER PROCEDURE P(A INTEGER)\r\n RETURNS(B VARCHAR(10))\r\n AS\r\nBEGIN END | "
                "CREATE PROCEDURE P(A INTEGER)\r\n RETURNS(B VARCHAR(10))\r\n AS\r\n BEGIN SUSPEND; END"},
        TDDLRow{"IB function", DT::dbInterBase,
                [](TObjs& o) {
                    auto f = Routine(o, "F", "BEGIN RETURN A; END", {{"A", INTEGER}}, {{"", INTEGER}}, true);
                    f->OutputParams.Objects(0)->Deterministic = true;
                    return f->GetCreateDDL() + " |" + f->GetStubBody();
                },
                "CREATE FUNCTION F(A INTEGER)\r\n RETURNS INTEGER DETERMINISTIC\r\n AS\r\nBEGIN RETURN A; END | "
                "BEGIN RETURN NULL; END"},
        TDDLRow{"Oracle", DT::dbOracle, [](TObjs& o) { return CreateAlterStub(*Routine(o, "P", "IS BEGIN NULL; END;")); },
                "CREATE OR REPLACE PROCEDURE P\r\nIS BEGIN NULL; END; | CREATE OR REPLACE PROCEDURE P\r\nIS BEGIN NULL; "
                "END; | CREATE OR REPLACE PROCEDURE P AS\r\n BEGIN EXIT; END;"},
        TDDLRow{"MSSQL stubs and a whole statement as body", DT::dbMSSQL,
                [](TObjs& o) {
                    auto table = Routine(o, "F", "", {}, {}, true);
                    table->TableResult = true;
                    auto guid = Routine(o, "G", "", {}, {{"", UNIQUEIDENTIFIER}}, true);
                    return table->GetStubCreateScript() + " | " + guid->GetStubBody() + " | " +
                           Routine(o, "P", "create procedure dbo.P as select 1")->GetAlterScript() + " | " +
                           Routine(o, "P", "begin Return 0 end")->GetCreateDDL() + " |" +
                           Routine(o, "P", "")->GetCreateDDL();
                },
                "CREATE FUNCTION F ()\r\n RETURNS TABLE\r\nas\r\nReturn (select 0 as Result) | begin Return Null end | "
                "ALTER procedure dbo.P as select 1 | CREATE PROCEDURE P \r\n AS begin Return 0 end |"},
        TDDLRow{"MSSQL numbered, with options, external", DT::dbMSSQL,
                [](TObjs& o) {
                    qeltest::KeepMSSQLCase(o);
                    auto p = Routine(o, "P", "AS select @A", {{"@A", INTEGER}});
                    p->SetSchema("dbo");
                    p->Number = 2;
                    p->WithOptions = "RECOMPILE";
                    auto x = Routine(o, "X", "");
                    x->Language = x->ParameterStyle = "JAVA";
                    x->ExternalName = "a.b";
                    x->ModifiesSqlData = true;
                    return p->GetKey() + " | " + p->GetCreateDDL() + " | " + x->GetCreateDDL();
                },
                "dbo.P;2 | CREATE PROCEDURE dbo.P;2 @A INTEGER\r\n WITH RECOMPILE\r\n AS select @A | CREATE PROCEDURE X ()"
                "\r\n  modifies sql data\r\n  language JAVA\r\n  parameter style JAVA\r\n  external name 'a.b'"},
        TDDLRow{"MySQL", DT::dbMySQL,
                [](TObjs& o) {
                    auto p = Routine(o, "P", "BEGIN END", {{"a", INTEGER, 0, 1}});
                    p->SetDescription("it's");
                    p->Characteristics = (1 << 1) | (1 << 5);
                    return p->GetCreateDDL() + " | " + p->GetDropScript();
                },
                "CREATE PROCEDURE P(IN `a` INTEGER)\r\n     COMMENT 'it''s'\r\n     DETERMINISTIC\r\n     READS SQL DATA\r\n"
                "BEGIN END | DROP PROCEDURE  IF EXISTS P"},
        // The function's result type ends its line, so the body never runs
        // into it, and its stub does not name a second one.
        TDDLRow{"ASA", DT::dbSybaseASA,
                [](TObjs& o) {
                    auto f = Routine(o, "F", "BEGIN RETURN A END", {{"A", INTEGER, 0, 1}}, {{"", INTEGER}}, true);
                    f->Owner = "O";
                    return Routine(o, "P", "BEGIN END")->GetCreateDDL() + " | " +
                           Selectable(o, "BEGIN END")->GetCreateDDL() + " | " + f->GetCreateDDL() + " | " +
                           f->GetStubCreateScript() + " | " + f->GetDropScript();
                },
                "CREATE PROCEDURE DBA.P()\r\nBEGIN END | CREATE PROCEDURE DBA.P(A INTEGER)\r\n Result(B VARCHAR(10))\r\n"
                "BEGIN END | CREATE FUNCTION O.F(In A INTEGER)\r\nRETURNS INTEGER\r\nBEGIN RETURN A END | "
                "CREATE FUNCTION O.F(In A INTEGER)\r\nRETURNS INTEGER\r\nas\r\n begin Return end | DROP FUNCTION O.F"},
        // The stub is PL/pgSQL whatever the real body's language is.
        TDDLRow{"PostgreSQL", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto f = PGFunction(o, "SELECT a");
                    qeltest::AddFields(o, f->InputParams, f.get(), {{"", VARCHAR}});
                    f->Strict = true;
                    return f->GetKey() + " | " + f->GetDisplayName() + " | " + CreateAlterStub(*f) + " | " +
                           f->GetDropScript();
                },
                "s.f(integer, varchar) | s.f(integer, varchar) | CREATE FUNCTION s.f(IN a integer,\r\nvarchar)\r\n"
                "RETURNS integer\r\nAS $$SELECT a$$\r\nLANGUAGE 'sql' STRICT | CREATE OR REPLACE FUNCTION s.f(IN a "
                "integer,\r\nvarchar)\r\nRETURNS integer\r\nAS $$SELECT a$$\r\nLANGUAGE 'sql' STRICT | CREATE FUNCTION "
                "s.f(IN a integer,\r\nvarchar)\r\nRETURNS integer\r\nAS $$ BEGIN END$$\r\nLANGUAGE plpgsql | "
                "DROP FUNCTION s.f(IN a integer,\r\nvarchar)"},
        // A body holding "$$" gets a dollar tag it cannot end early.
        TDDLRow{"PostgreSQL dollar tags, object file, no schema", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto f = PGFunction(o, "SELECT $$x$$ || $body$");
                    f->SetSchema("");
                    f->Language.clear();
                    auto c = PGFunction(o, "");
                    c->ObjFile = "lib'x";
                    c->LinkSymbol = "sym";
                    c->ReturnsSetOf = true;
                    auto d = Routine(o, "f", "", {{"", INTEGER}}, {}, true);
                    return f->GetCreateDDL() + " | " + c->GetCreateDDL() + " | " + d->GetDropScript();
                },
                "CREATE FUNCTION f(IN a integer)\r\nRETURNS integer\r\nAS $body1$SELECT $$x$$ || $body$$body1$ | "
                "CREATE FUNCTION s.f(IN a integer)\r\nRETURNS SETOF integer\r\nAS 'lib''x', 'sym'\r\nLANGUAGE 'sql' | "
                "DROP FUNCTION f(integer)"},
        TDDLRow{"DB2 writes only the stub", DT::dbDB2,
                [](TObjs& o) { return CreateAlterStub(*Routine(o, "P", "BEGIN END")); },
                " |  | CREATE PROCEDURE P AS\r\n BEGIN EXIT; END"},
        TDDLRow{"Oracle member", DT::dbOracle,
                [](TObjs& o) {
                    TMemberPrcData m(&o);
                    m.SetName("F");
                    m.IsFunction = m.Directive.NotFinal = true;
                    m.MemberParamsText = "(X NUMBER)";
                    qeltest::AddFields(o, m.OutputParams, &m, {{"", NUMBER}});
                    return m.GetCreateDDL();
                },
                "   NOT FINAL MEMBER FUNCTION F(X NUMBER) RETURN NUMBER"}),
    qeltest::RowName);

// A routine with nothing but a name, or with a body shorter than the word
// CREATE, still writes every text.
TEST(TPrcData, BareRoutinesRaiseNothing)
{
    qeltest::ExpectTextsRaiseNothing<TPrcData>();
    qeltest::ExpectTextsRaiseNothing<TPrcData>([](TPrcData& p) {
        p.IsFunction = p.TableResult = true;
        p.SetBody("x");
        p.InputParams.Add("A");
        p.OutputParams.Add("R");
    });
    qeltest::ExpectTextsRaiseNothing<TMemberPrcData>();
}
