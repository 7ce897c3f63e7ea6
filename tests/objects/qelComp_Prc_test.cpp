#include "qelComp_Fld.h"
#include "qelComp_Prc.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qel;
using qeltest::AddField;
using qeltest::TDDLRow;
using DT = TDatabaseType;

namespace {

constexpr std::uint8_t INTEGER = 1, NUMBER = 11, VARCHAR = 14, TABLE = 84, UNIQUEIDENTIFIER = 79;

std::unique_ptr<TPrcData> Routine(TObjs& objs, const std::string& name, const std::string& body = {})
{
    auto p = std::make_unique<TPrcData>(&objs);
    p->SetName(name);
    p->SetBody(body);
    return p;
}

// P(A INTEGER) RETURNS (B VARCHAR(10)): a selectable procedure.
std::unique_ptr<TPrcData> Selectable(TObjs& objs, const std::string& body = "BEGIN SUSPEND; END")
{
    auto p = Routine(objs, "P", body);
    AddField(objs, p->InputParams, p.get(), "A", INTEGER);
    AddField(objs, p->OutputParams, p.get(), "B", VARCHAR, 10);
    return p;
}

// s.f(a integer) RETURNS integer in PostgreSQL.
std::unique_ptr<TPrcData> PGFunction(TObjs& objs, const std::string& body)
{
    auto f = Routine(objs, "f", body);
    f->SetSchema("s");
    f->IsFunction = true;
    f->Language = "sql";
    f->ReturnType = "integer";
    AddField(objs, f->InputParams, f.get(), "a", INTEGER)->Direction = 1;
    return f;
}

} // namespace

class RoutineText : public qeltest::TDDLTest {};
TEST_P(RoutineText, IsExact) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, RoutineText,
    ::testing::Values(
        TDDLRow{"IBWithoutParameters", DT::dbInterBase,
                [](TObjs& o) { return Routine(o, "P", "BEGIN END")->GetCreateDDL(); },
                "CREATE PROCEDURE P AS\r\nBEGIN END"},
        TDDLRow{"IBSelectable", DT::dbInterBase, [](TObjs& o) { return Selectable(o)->GetCreateDDL(); },
                "CREATE PROCEDURE P(A INTEGER)\r\n RETURNS(B VARCHAR(10))\r\n AS\r\nBEGIN SUSPEND; END"},
        TDDLRow{"IBAlter", DT::dbInterBase, [](TObjs& o) { return Selectable(o)->GetAlterScript(); },
                "ALTER PROCEDURE P(A INTEGER)\r\n RETURNS(B VARCHAR(10))\r\n AS\r\nBEGIN SUSPEND; END"},
        TDDLRow{"IBFunction", DT::dbInterBase,
                [](TObjs& o) {
                    auto f = Routine(o, "F", "BEGIN RETURN A; END");
                    f->IsFunction = true;
                    AddField(o, f->InputParams, f.get(), "A", INTEGER);
                    AddField(o, f->OutputParams, f.get(), "", INTEGER)->Deterministic = true;
                    return f->GetCreateDDL();
                },
                "CREATE FUNCTION F(A INTEGER)\r\n RETURNS INTEGER DETERMINISTIC\r\n AS\r\nBEGIN RETURN A; END"},
        TDDLRow{"IBStubOfSelectable", DT::dbInterBase, [](TObjs& o) { return Selectable(o)->GetStubCreateScript(); },
                "CREATE PROCEDURE P(A INTEGER)\r\n RETURNS(B VARCHAR(10))\r\n AS\r\n BEGIN SUSPEND; END"},
        TDDLRow{"IBStubWithoutOutputs", DT::dbInterBase,
                [](TObjs& o) { return Routine(o, "P")->GetStubBody(); }, " BEGIN EXIT; END"},
        TDDLRow{"IBStubOfFunction", DT::dbInterBase,
                [](TObjs& o) {
                    auto f = Routine(o, "F");
                    f->IsFunction = true;
                    return f->GetStubBody();
                },
                " BEGIN RETURN NULL; END"},
        TDDLRow{"OracleStub", DT::dbOracle, [](TObjs& o) { return Routine(o, "P")->GetStubCreateScript(); },
                "CREATE OR REPLACE PROCEDURE P AS\r\n BEGIN EXIT; END;"},
        TDDLRow{"OracleCreate", DT::dbOracle,
                [](TObjs& o) { return Routine(o, "P", "(A NUMBER) IS BEGIN NULL; END;")->GetCreateDDL(); },
                "CREATE OR REPLACE PROCEDURE P\r\n(A NUMBER) IS BEGIN NULL; END;"},
        TDDLRow{"MSSQLTableFunctionStub", DT::dbMSSQL,
                [](TObjs& o) {
                    auto f = Routine(o, "F");
                    f->IsFunction = f->TableResult = true;
                    return f->GetStubCreateScript();
                },
                "CREATE FUNCTION F ()\r\n RETURNS TABLE\r\nas\r\nReturn (select 0 as Result)"},
        TDDLRow{"MSSQLGuidFunctionStub", DT::dbMSSQL,
                [](TObjs& o) {
                    auto f = Routine(o, "F");
                    f->IsFunction = true;
                    AddField(o, f->OutputParams, f.get(), "", UNIQUEIDENTIFIER);
                    return f->GetStubBody();
                },
                "begin Return Null end"},
        TDDLRow{"MSSQLAlterKeepsTheStatementsWords", DT::dbMSSQL,
                [](TObjs& o) { return Routine(o, "P", "create procedure dbo.P as select 1")->GetAlterScript(); },
                "ALTER procedure dbo.P as select 1"},
        TDDLRow{"MSSQLNumberedWithOptions", DT::dbMSSQL,
                [](TObjs& o) {
                    qeltest::KeepMSSQLCase(o);
                    auto p = Routine(o, "P", "AS select @A");
                    p->SetSchema("dbo");
                    p->Number = 2;
                    p->WithOptions = "RECOMPILE";
                    AddField(o, p->InputParams, p.get(), "@A", INTEGER);
                    return p->GetKey() + " | " + p->GetCreateDDL() + " | " + p->GetAlterScript();
                },
                "dbo.P;2 | CREATE PROCEDURE dbo.P;2 @A INTEGER\r\n WITH RECOMPILE\r\n AS select @A | "
                "ALTER PROCEDURE dbo.P;2 @A INTEGER\r\n WITH RECOMPILE\r\n AS select @A"},
        TDDLRow{"MSSQLEmptiedToItsStub", DT::dbMSSQL,
                [](TObjs& o) { return Routine(o, "P", "begin Return 0 end")->GetCreateDDL(); },
                "CREATE PROCEDURE P \r\n AS begin Return 0 end"},
        TDDLRow{"MSSQLExternal", DT::dbMSSQL,
                [](TObjs& o) {
                    auto p = Routine(o, "P");
                    p->Language = "JAVA";
                    p->ParameterStyle = "JAVA";
                    p->ExternalName = "a.b";
                    p->ModifiesSqlData = true;
                    p->DynamicResultSets = 1;
                    return p->GetCreateDDL();
                },
                "CREATE PROCEDURE P ()\r\n  modifies sql data\r\n  dynamic result sets 1\r\n  language JAVA\r\n"
                "  parameter style JAVA\r\n  external name 'a.b'"},
        TDDLRow{"MSSQLWithoutTextOfItsOwn", DT::dbMSSQL,
                [](TObjs& o) { return Routine(o, "P")->GetCreateDDL(); }, ""},
        TDDLRow{"MySQLCreate", DT::dbMySQL,
                [](TObjs& o) {
                    auto p = Routine(o, "P", "BEGIN END");
                    p->SetDescription("it's");
                    p->Characteristics = (1 << 1) | (1 << 5);
                    AddField(o, p->InputParams, p.get(), "a", INTEGER)->Direction = 1;
                    return p->GetCreateDDL();
                },
                "CREATE PROCEDURE P(IN `a` INTEGER)\r\n     COMMENT 'it''s'\r\n     DETERMINISTIC\r\n"
                "     READS SQL DATA\r\nBEGIN END"},
        TDDLRow{"MySQLDrop", DT::dbMySQL, [](TObjs& o) { return Routine(o, "P")->GetDropScript(); },
                "DROP PROCEDURE  IF EXISTS P"},
        TDDLRow{"ASAWithoutInputs", DT::dbSybaseASA,
                [](TObjs& o) { return Routine(o, "P", "BEGIN END")->GetCreateDDL(); },
                "CREATE PROCEDURE DBA.P()\r\nBEGIN END"},
        // The result type ends its line, so the body never runs into it.
        TDDLRow{"ASAFunction", DT::dbSybaseASA,
                [](TObjs& o) {
                    auto f = Routine(o, "F", "BEGIN RETURN A END");
                    f->IsFunction = true;
                    f->Owner = "O";
                    AddField(o, f->InputParams, f.get(), "A", INTEGER)->Direction = 1;
                    AddField(o, f->OutputParams, f.get(), "", INTEGER);
                    return f->GetCreateDDL() + " | " + f->GetStubCreateScript() + " | " + f->GetDropScript();
                },
                "CREATE FUNCTION O.F(In A INTEGER)\r\nRETURNS INTEGER\r\nBEGIN RETURN A END | "
                "CREATE FUNCTION O.F(In A INTEGER)\r\nRETURNS INTEGER\r\nas\r\n begin Return end | "
                "DROP FUNCTION O.F"},
        TDDLRow{"ASAProcedureResult", DT::dbSybaseASA,
                [](TObjs& o) {
                    auto p = Selectable(o, "BEGIN END");
                    return p->GetCreateDDL();
                },
                "CREATE PROCEDURE DBA.P(A INTEGER)\r\n Result(B VARCHAR(10))\r\nBEGIN END"},
        TDDLRow{"PGKeyNamesTheArgumentTypes", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto f = PGFunction(o, "SELECT a");
                    AddField(o, f->InputParams, f.get(), "b", VARCHAR);
                    return f->GetKey() + " | " + f->GetDisplayName();
                },
                "s.f(integer, varchar) | s.f(integer, varchar)"},
        TDDLRow{"PGCreateAndAlter", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto f = PGFunction(o, "SELECT a");
                    f->Strict = true;
                    return f->GetCreateDDL() + " | " + f->GetAlterScript();
                },
                "CREATE FUNCTION s.f(IN a integer)\r\nRETURNS integer\r\nAS $$SELECT a$$\r\nLANGUAGE 'sql' STRICT | "
                "CREATE OR REPLACE FUNCTION s.f(IN a integer)\r\nRETURNS integer\r\nAS $$SELECT a$$\r\n"
                "LANGUAGE 'sql' STRICT"},
        // A body holding "$$" gets a dollar tag it cannot end early.
        TDDLRow{"PGBodyWithDollarQuotes", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto f = PGFunction(o, "SELECT $$x$$ || $body$");
                    f->SetSchema("");
                    f->Language.clear();
                    return f->GetCreateDDL();
                },
                "CREATE FUNCTION f(IN a integer)\r\nRETURNS integer\r\nAS $body1$SELECT $$x$$ || $body$$body1$"},
        TDDLRow{"PGObjectFile", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto f = PGFunction(o, "");
                    f->ObjFile = "lib'x";
                    f->LinkSymbol = "sym";
                    f->Language = "C";
                    f->ReturnsSetOf = true;
                    return f->GetCreateDDL();
                },
                "CREATE FUNCTION s.f(IN a integer)\r\nRETURNS SETOF integer\r\nAS 'lib''x', 'sym'\r\nLANGUAGE 'C'"},
        TDDLRow{"PGDropWithoutSchema", DT::dbPostgreSQL,
                [](TObjs& o) {
                    auto f = Routine(o, "f");
                    f->IsFunction = true;
                    AddField(o, f->InputParams, f.get(), "", INTEGER);
                    return f->GetDropScript();
                },
                "DROP FUNCTION f(integer)"},
        // PL/pgSQL, whatever the real body's language, so that the stub
        // can be created before anything it will use.
        TDDLRow{"PGStub", DT::dbPostgreSQL,
                [](TObjs& o) { return PGFunction(o, "SELECT a")->GetStubCreateScript(); },
                "CREATE FUNCTION s.f(IN a integer)\r\nRETURNS integer\r\nAS $$ BEGIN END$$\r\nLANGUAGE plpgsql"},
        TDDLRow{"DB2HasNoTextsButAStub", DT::dbDB2,
                [](TObjs& o) {
                    auto p = Routine(o, "P", "BEGIN END");
                    return p->GetCreateDDL() + "|" + p->GetAlterScript() + "|" + p->GetStubCreateScript();
                },
                "||CREATE PROCEDURE P AS\r\n BEGIN EXIT; END"},
        TDDLRow{"OracleMember", DT::dbOracle,
                [](TObjs& o) {
                    TMemberPrcData m(&o);
                    m.SetName("F");
                    m.IsFunction = true;
                    m.MemberParamsText = "(X NUMBER)";
                    m.Directive.NotFinal = true;
                    AddField(o, m.OutputParams, &m, "", NUMBER);
                    return m.GetCreateDDL();
                },
                "   NOT FINAL MEMBER FUNCTION F(X NUMBER) RETURN NUMBER"}),
    qeltest::RowName);

// A routine returns a table when it says so, or when its first output (its
// result) is of type TABLE; a later TABLE output does not count.
TEST(TPrcData, ReturnsTableByFlagOrFirstOutput)
{
    const struct {
        bool tableResult;
        int firstType, secondType; // -1: no such output
        bool expected;
    } cases[] = {
        {false, -1, -1, false},    {true, -1, -1, true}, {false, TABLE, -1, true},
        {false, INTEGER, TABLE, false}, {true, INTEGER, -1, true}, {false, dtDomain, -1, false},
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

// A routine with nothing but a name, or with a body shorter than the word
// CREATE, still writes every text.
TEST(TPrcData, BareRoutinesRaiseNothing)
{
    qeltest::ExpectTextsRaiseNothing<TPrcData>([](TPrcData&) {});
    qeltest::ExpectTextsRaiseNothing<TPrcData>([](TPrcData& p) {
        p.IsFunction = p.TableResult = true;
        p.SetBody("x");
        p.InputParams.Add("A");
        p.OutputParams.Add("R");
    });
    qeltest::ExpectTextsRaiseNothing<TMemberPrcData>([](TMemberPrcData& m) { m.IsFunction = true; });
}
