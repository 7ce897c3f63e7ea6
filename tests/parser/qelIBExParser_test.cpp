#include "qelIBExParser.h"

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Idx.h"
#include "qelComp_Fld.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelEngineTestSupport.h"
#include "qelIBSQLExec.h"
#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelParseTestSupport.h"
#include "qelText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace qel;
using V = TIBSQLServerVersionType;

namespace {

// A script read into a collection: its statements as "name|SQL", the error
// events, and every stored message as "text @line:column".
struct TRun : qeltest::TParseRun<TIbExParser> {
    explicit TRun(const std::string& Text, V Version = V::st_Firebird_25, const std::string& Name = "s.sql")
        : TParseRun(TDatabaseType::dbInterBase, Name)
    {
        objs.IBServerOptions().SQLServerVersion = Version;
        ParseScript(Text);
        for (const TParsedStatement& s : Parsed) Statements.push_back(s.ObjName + "|" + s.SQL);
    }
    // The statements' object names.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> out;
        for (const std::string& s : Statements) out.push_back(s.substr(0, s.find('|')));
        return out;
    }
    // An object by name: routine, trigger, view, index, constraint, domain,
    // package, table; "T.C" a column.
    const TDbObj* Object(const std::string& Name) const
    {
        if (const auto dot = Name.find('.'); dot != std::string::npos)
            return objs.FindTableField(Name.substr(0, dot), Name.substr(dot + 1));
        const TDbObj* found[] = {objs.FindProcedure(Name), objs.FindProcedure(TPrcData::FunctionKey(Name)),
                                 objs.FindTrigger(Name),   objs.FindView(Name),
                                 objs.FindIndex(Name),     objs.FindConstraint(Name), objs.FindDomain(Name),
                                 objs.FindPackage(Name),   objs.FindTable(Name)};
        for (const TDbObj* o : found)
            if (o != nullptr) return o;
        return nullptr;
    }

    std::vector<std::string> Statements;
};

// What an object uses: "T" for an object, "T.A" for a column of it, in the
// order the links were made.
std::vector<std::string> LinksOf(const TDbObj* Obj)
{
    std::vector<std::string> out;
    if (Obj == nullptr) return {"<no object>"};
    for (const auto& link : Obj->Uses) {
        const TDbObj* target = link.Object->Target;
        const auto* column = dynamic_cast<const TFldData*>(target);
        const std::string& field = link.Object->FieldName;
        out.push_back(column != nullptr ? column->GetParentName() + "." + target->Name()
                                        : target->Name() + (field.empty() ? "" : "." + field));
    }
    return out;
}

std::vector<std::string> Sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

const std::string kPrelude = "CREATE TABLE T (A INTEGER, B INTEGER);\nCREATE TABLE U (A INTEGER, C INTEGER);\n"
                             "CREATE GENERATOR G;\nCREATE EXCEPTION E_X 'x';\nCREATE EXCEPTION E1 'y';\nSET TERM ^ ;\n";

} // namespace

// ---- links ------------------------------------------------------------------

struct TLinkCase {
    std::string Name;
    V Version;
    std::string Script, Object;
    std::vector<std::string> Links;
    friend void PrintTo(const TLinkCase& c, std::ostream* os) { *os << c.Name; }
};

class IBExLinks : public ::testing::TestWithParam<TLinkCase> {};

TEST_P(IBExLinks, BodyLinksItsObjectsOnce)
{
    const TLinkCase& c = GetParam();
    TRun run(kPrelude + c.Script, c.Version);
    if (c.Name != "AfterAnError") {
        EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    }
    EXPECT_EQ(Sorted(LinksOf(run.Object(c.Object))), c.Links);
}

const std::string kLpad = "DECLARE EXTERNAL FUNCTION LPAD CSTRING(80), INTEGER RETURNS CSTRING(80) ENTRY_POINT 'e' "
                          "MODULE_NAME 'm'^\n";

const TLinkCase kLinkCases[] = {
    {"TableNamedTwice", V::st_Firebird_25,
     "CREATE PROCEDURE P AS DECLARE X INTEGER; BEGIN SELECT A FROM T INTO :X; SELECT B FROM T INTO X; END^", "P",
     {"T", "T.A", "T.B"}},
    {"Column", V::st_Firebird_25, "CREATE VIEW V AS SELECT A FROM T^", "V", {"T", "T.A"}},
    {"ColumnByAlias", V::st_Firebird_25, "CREATE VIEW V AS SELECT X.A FROM T X^", "V", {"T", "T.A"}},
    {"AfterAnError", V::st_Firebird_25, "FOO^\nCREATE VIEW V AS SELECT X.A FROM T X^", "V", {"T", "T.A"}},
    {"ProcedureInFrom", V::st_Firebird_25,
     "CREATE PROCEDURE Q (I INTEGER) RETURNS (R INTEGER) AS BEGIN SUSPEND; END^\nCREATE VIEW V AS SELECT R FROM Q(1)^",
     "V", {"Q"}},
    {"InsertColumns", V::st_Firebird_25, "CREATE PROCEDURE P AS BEGIN INSERT INTO T (A, B) VALUES (1, 2); END^", "P",
     {"T", "T.A", "T.B"}},
    {"ColonNameIsAVariable", V::st_Firebird_25,
     "CREATE PROCEDURE P (B INTEGER) AS BEGIN INSERT INTO T (A) VALUES (:B); END^", "P", {"T", "T.A"}},
    {"UpdateSetOnce", V::st_Firebird_25, "CREATE PROCEDURE P AS BEGIN UPDATE T SET A = 1 WHERE B = 2; END^", "P",
     {"T", "T.A", "T.B"}},
    {"NewColumnOnce", V::st_Firebird_25,
     "CREATE TRIGGER TR FOR T BEFORE INSERT AS BEGIN NEW.A = NEW.A + OLD.A; END^", "TR", {"T", "T.A"}},
    {"LpadIsExternalOnFirebird15", V::st_FireBird_15, kLpad + "CREATE VIEW V AS SELECT LPAD(A, 5) FROM T^", "V",
     {"LPAD", "T", "T.A"}},
    {"LpadIsBuiltInOnFirebird21", V::st_Firebird_21, kLpad + "CREATE VIEW V AS SELECT LPAD (A, 5) FROM T^", "V",
     {"T", "T.A"}},
    {"LpadAfterACommentIsACall", V::st_Firebird_21, kLpad + "CREATE VIEW V AS SELECT LPAD /* c */ (A, 5) FROM T^",
     "V", {"LPAD", "T", "T.A"}},
    {"PlanIndexes", V::st_Firebird_25,
     "CREATE INDEX IX_A ON T (A)^\nCREATE INDEX IX_B ON T (B)^\n"
     "CREATE VIEW V AS SELECT A FROM T PLAN (T INDEX (IX_A, IX_B))^",
     "V", {"IX_A", "IX_B", "T", "T.A"}},
    {"ComputedColumn", V::st_Firebird_25, "CREATE TABLE W (A INTEGER, B INTEGER, C COMPUTED BY (A + B))^", "W.C",
     {"W.A", "W.B"}},
    {"ComputedColumnCallingAFunction", V::st_FireBird_15,
     kLpad + "CREATE TABLE W (A VARCHAR(5), C COMPUTED BY (LPAD(A, 5)))^", "W.C", {"LPAD", "W.A"}},
    {"TableOfAComputedColumnUsesItsFunction", V::st_FireBird_15,
     kLpad + "CREATE TABLE W (A VARCHAR(5), C COMPUTED BY (LPAD(A, 5)))^", "W", {"LPAD"}},
    {"CheckOfTheTableBeingCreated", V::st_Firebird_25,
     "CREATE TABLE W (A INTEGER, B INTEGER, CONSTRAINT CK CHECK (B > (SELECT MAX(A) FROM W)))^", "CK",
     {"W", "W.A", "W.B"}},
    {"ColumnCheckNamesItsColumn", V::st_Firebird_25, "CREATE TABLE W (A INTEGER CONSTRAINT CA CHECK (A > 0))^", "CA",
     {"W", "W.A"}},
    {"ExpressionIndex", V::st_Firebird_25, "CREATE INDEX IX ON T COMPUTED BY (UPPER(A))^", "IX", {"T", "T.A"}},
    {"Exception", V::st_Firebird_25, "CREATE PROCEDURE P AS BEGIN EXCEPTION E_X; EXCEPTION; END^", "P", {"E_X"}},
    {"WhenSqlcodeAndException", V::st_Firebird_25,
     "CREATE PROCEDURE P AS BEGIN BEGIN EXIT; WHEN SQLCODE -803, EXCEPTION E1 DO EXIT; END END^", "P", {"E1"}},
    {"SequencesAtFirebird25", V::st_Firebird_25,
     "CREATE PROCEDURE P AS BEGIN INSERT INTO T (A, B) VALUES (NEXT VALUE FOR G, GEN_ID(G, 1)); END^", "P",
     {"G", "T", "T.A", "T.B"}},
    {"SequencesAtFirebird30", V::st_Firebird_30,
     "CREATE PROCEDURE P AS BEGIN UPDATE T SET A = GEN_ID(G, 1), B = NEXT VALUE FOR G; END^", "P",
     {"G", "T", "T.A", "T.B"}},
    {"BareNameOutsideAQueryIsASequence", V::st_Firebird_25,
     "CREATE PROCEDURE P RETURNS (R INTEGER) AS DECLARE X INTEGER; BEGIN X = G; R = X; END^", "P", {"G"}},
    {"CorrelatedSubquery", V::st_Firebird_25,
     "CREATE VIEW V AS SELECT A FROM T WHERE EXISTS (SELECT 1 FROM U WHERE U.C = T.B)^", "V",
     {"T", "T.A", "T.B", "U", "U.C"}},
    {"JoinsDerivedTablesAndUsing", V::st_Firebird_25,
     "CREATE VIEW V AS SELECT C FROM (SELECT B FROM T) D JOIN U USING (A) LEFT JOIN T X ON X.A = U.A^", "V",
     {"T", "T.A", "T.B", "U", "U.A", "U.C"}},
    {"CteUnionAndOrder", V::st_Firebird_25,
     "CREATE VIEW V AS WITH X AS (SELECT A FROM T) SELECT A FROM X UNION ALL SELECT C FROM U ORDER BY 1^", "V",
     {"T", "T.A", "U", "U.C"}},
    {"ExecuteProcedureAndMerge", V::st_Firebird_30,
     "CREATE PROCEDURE Q AS BEGIN END^\nCREATE PROCEDURE P AS BEGIN EXECUTE PROCEDURE Q; MERGE INTO T USING U ON "
     "T.A = U.A WHEN MATCHED THEN UPDATE SET B = 1 WHEN NOT MATCHED THEN INSERT (A) VALUES (1); END^",
     "P", {"Q", "T", "T.B"}},
    // What scripts write, read without a message.
    {"BuiltInsOfFirebird25", V::st_Firebird_25,
     "CREATE VIEW V (X) AS SELECT COALESCE(A, NULLIF(B, 0), IIF(A > 0, 1, 2)) || SUBSTRING(C FROM 1 FOR 2) || "
     "TRIM(BOTH ' ' FROM C) || EXTRACT(YEAR FROM CURRENT_TIMESTAMP(3)) || DATEADD(1 DAY TO DATE '2020-01-01') || "
     "DATEDIFF(DAY, CURRENT_DATE, CAST(C AS TIMESTAMP)) || POSITION('a' IN C) || OVERLAY(C PLACING 'b' FROM 1) || "
     "LIST(DISTINCT C, ',') || LPAD(C, 3) || RDB$GET_CONTEXT('SYSTEM', 'X') || _UTF8 'x' COLLATE UNICODE || "
     "CASE A WHEN 1 THEN 'a' ELSE 'b' END || CASE WHEN C IS NOT DISTINCT FROM 'x' THEN 1 END || "
     "(SELECT MAX(T.A) FROM T WHERE T.B BETWEEN U.A AND 2 AND T.A NOT IN (1, 2)) FROM U "
     "WHERE C STARTING WITH 'a' AND C NOT CONTAINING 'b' AND C SIMILAR TO 'c%' ESCAPE '\\' OR C LIKE 'x' "
     "GROUP BY A, B, C HAVING COUNT(*) > 1 ORDER BY 1 DESC NULLS LAST ROWS 1 TO 2^",
     "V", {"T", "T.A", "T.B", "U", "U.A", "U.C"}},
    {"FunctionsOfFirebird4", V::st_Firebird_40,
     "CREATE VIEW V AS SELECT ENCRYPT(C USING AES MODE OFB KEY 'k' IV 'i' CTR_LENGTH 8) || HASH(C USING SHA256) || "
     "RSA_SIGN(C KEY 'k' HASH SHA256 SALT_LENGTH 8) || FIRST_DAY(OF MONTH FROM CURRENT_DATE) || "
     "ROW_NUMBER() OVER (PARTITION BY A ORDER BY C) || EXTRACT(TIMEZONE_HOUR FROM CURRENT_TIMESTAMP) FROM U^",
     "V", {"U", "U.A", "U.C"}},
    {"PsqlStatements", V::st_Firebird_30,
     "CREATE PROCEDURE P (I INTEGER) RETURNS (R INTEGER) AS\n"
     "  DECLARE S VARCHAR(100) = 'x' || 'y'; DECLARE Z TYPE OF COLUMN U.C; DECLARE CUR CURSOR FOR (SELECT A FROM T);\n"
     "BEGIN\n"
     "  FOR SELECT A FROM T WHERE B = :I INTO :R AS CURSOR K DO UPDATE T SET B = 1 WHERE CURRENT OF K;\n"
     "  L1: WHILE (I > 0) DO BEGIN I = I - 1; IF (I = 5) THEN LEAVE L1; ELSE IF (I = 6) THEN BREAK; ELSE EXIT; END\n"
     "  FOR EXECUTE STATEMENT ('SELECT 1 FROM T WHERE A = :X') (X := I) WITH AUTONOMOUS TRANSACTION AS USER 'u' "
     "PASSWORD 'p' ROLE 'r' ON EXTERNAL DATA SOURCE 'db' INTO :R DO SUSPEND;\n"
     "  EXECUTE STATEMENT S WITH CALLER PRIVILEGES INTO :Z;\n"
     "  OPEN CUR; FETCH CUR INTO :R; CLOSE CUR;\n"
     "  IN AUTONOMOUS TRANSACTION DO POST_EVENT 'e';\n"
     "  UPDATE OR INSERT INTO U (A, C) VALUES (:I, 1) MATCHING (A) RETURNING C INTO :Z;\n"
     "  DELETE FROM U X WHERE X.A = 1 RETURNING A INTO :R;\n"
     "  SELECT FIRST 1 A FROM T WITH LOCK INTO :R;\n"
     "  ALTER SEQUENCE G RESTART WITH 1;\n"
     "  WITH Q AS (SELECT A FROM T) SELECT A FROM Q INTO :R;\n"
     "  R = CAST(:S AS INTEGER) + NEXT VALUE FOR G;\n"
     "  WHEN ANY DO EXIT;\n"
     "END^",
     "P", {"G", "T", "T.A", "T.B", "U", "U.A", "U.C"}},
    {"SetStatementsOfFirebird4", V::st_Firebird_40,
     "CREATE PROCEDURE P AS BEGIN SET TIME ZONE 'UTC'; SET SESSION IDLE TIMEOUT 5 MINUTE; "
     "SET DECFLOAT ROUND CEILING; SET DECFLOAT BIND NATIVE; SET INT128 BIND BIGINT, 2; SET DECFLOAT TRAPS TO "
     "DIVISION_BY_ZERO, OVERFLOW; SET ROLE 'R'; SET TRUSTED ROLE; SET LOCAL_TIMEOUT 5; SET STATEMENT TIMEOUT TO 3 "
     "SECOND; SET TIME ZONE BIND NATIVE; ALTER SESSION RESET; END^",
     "P", {}},
};

INSTANTIATE_TEST_SUITE_P(Bodies, IBExLinks, ::testing::ValuesIn(kLinkCases),
                         [](const auto& info) { return info.param.Name; });

// ---- messages ---------------------------------------------------------------

struct TMessageCase {
    std::string Name;
    V Version;
    std::string Script;
    std::vector<std::string> Messages;
    friend void PrintTo(const TMessageCase& c, std::ostream* os) { *os << c.Name; }
};

class IBExMessages : public ::testing::TestWithParam<TMessageCase> {};

TEST_P(IBExMessages, EachOnceWithItsPositionAndTheStatementWhole)
{
    const TMessageCase& c = GetParam();
    TRun run("SET TERM ^ ;\n" + c.Script + "^\nCREATE TABLE T2 (A INTEGER)^", c.Version);
    EXPECT_EQ(run.Messages(), c.Messages);
    ASSERT_EQ(run.Statements.size(), 2u);
    EXPECT_NE(run.Statements[0].find(c.Script), std::string::npos) << run.Statements[0];
    EXPECT_NE(run.objs.FindTable("T2"), nullptr);
}

const TMessageCase kMessageCases[] = {
    {"ContextOutsideATrigger", V::st_Firebird_25, "CREATE PROCEDURE P AS BEGIN NEW.A = 1; END",
     {"Procedure P: NEW./OLD. context variable is not into trigger body. @2:34"}},
    {"AssignWithColonEqual", V::st_Firebird_25, "CREATE PROCEDURE P AS DECLARE X INTEGER; BEGIN X := 1; END",
     {"Procedure P: Invalid statement (? assignment) @2:52"}},
    {"NewStarBeforeFirebird4", V::st_Firebird_30,
     "CREATE TRIGGER TR FOR X BEFORE INSERT AS BEGIN NEW.* = 1; END", {"Trigger TR: Missing: <Ident> (<*>) @2:53"}},
    {"NewStarOnFirebird4", V::st_Firebird_40, "CREATE TRIGGER TR FOR X BEFORE INSERT AS BEGIN NEW.* = 1; END", {}},
    {"AutonomousTransaction", V::st_Firebird_25,
     "CREATE PROCEDURE P AS BEGIN IN AUTONOMOUS TRANSACTIONS DO EXIT; END",
     {"Procedure P: TRANSACTION expected, but TRANSACTIONS found. @2:55"}},
    {"ExecuteWhat", V::st_Firebird_25, "CREATE PROCEDURE P AS BEGIN EXECUTE FOO; END",
     {"Procedure P: Must be: PROCEDURE / STATEMENT. @2:40"}},
    {"SetTimeZoneBeforeFirebird4", V::st_Firebird_30, "CREATE PROCEDURE P AS BEGIN SET TIME ZONE 'UTC'; END",
     {"Procedure P: Unknown SET-statement @2:37"}},
    {"SetTimeZoneOnFirebird4", V::st_Firebird_40, "CREATE PROCEDURE P AS BEGIN SET TIME ZONE 'UTC'; END", {}},
    {"SingularAfterAValue", V::st_Firebird_25, "CREATE VIEW V AS SELECT 1 FROM T WHERE A SINGULAR B",
     {"View V: Must be: IS/IN/EXISTS/SINGULAR/LIKE/BETWEEN/STARTING/CONTAINING. @2:50",
      "Missing: <TERM> (<Ident>: B) @2:52"}},
    {"MissingEnd", V::st_Firebird_25, "CREATE PROCEDURE P AS BEGIN IF (1 = 1) THEN BEGIN EXIT;",
     {"Procedure P: Missing: END (<Terminator>) @2:57"}},
    {"InvalidFactor", V::st_Firebird_25, "CREATE TRIGGER TR FOR T BEFORE INSERT AS BEGIN NEW.A = ; END",
     {"Trigger TR: Invalid factor in expression (<;>) @2:57"}},
    {"ExtractPart", V::st_Firebird_25, "CREATE VIEW V AS SELECT EXTRACT(WEEKS FROM D) FROM T",
     {"View V: Invalid <part> in EXTRACT(part FROM value) function. @2:38"}},
    {"DateDiffPart", V::st_Firebird_25, "CREATE VIEW V AS SELECT DATEDIFF(WEEK, D, E) FROM T",
     {"View V: Invalid timestamp part in DATEDIFF function. @2:38"}},
    {"PlanItem", V::st_Firebird_25, "CREATE VIEW V AS SELECT A FROM T PLAN (T SORT)",
     {"View V: Invalid symbol in PLAN-expression: SORT @2:46"}},
    {"Nulls", V::st_Firebird_25, "CREATE VIEW V AS SELECT A FROM T ORDER BY A NULLS MIDDLE",
     {"View V: Must be: NULLS FIRST / NULLS LAST (order by clause). @2:57",
      "Missing: <TERM> (<Ident>: MIDDLE) @2:57"}},
    {"WithWhat", V::st_Firebird_25, "CREATE VIEW V AS SELECT A FROM T WITH KEY",
     {"View V: Must be: WITH LOCK / WITH CHECK OPTION @2:42"}},
    {"IsWhat", V::st_Firebird_25, "CREATE VIEW V AS SELECT A FROM T WHERE A IS 1",
     {"View V: Must be: NULL/DISTINCT FROM. @2:46", "Missing: <TERM> (<Integer value>) @2:46"}},
    {"WhenItemsEachWithTheirKeyword", V::st_Firebird_25,
     "CREATE PROCEDURE P AS BEGIN EXIT; WHEN EXCEPTION E1, E2 DO EXIT; END", {"Procedure P: Must be: DO @2:56"}},
    // Firebird 3 fetches may only move a cursor; earlier ones need INTO.
    {"FetchWithoutIntoBeforeFirebird3", V::st_Firebird_25,
     "CREATE PROCEDURE P AS DECLARE C CURSOR FOR (SELECT A FROM T); BEGIN OPEN C; FETCH C; END",
     {"Procedure P: Missing: INTO (<;>) @2:85"}},
    {"FetchWithoutIntoOnFirebird3", V::st_Firebird_30,
     "CREATE PROCEDURE P AS DECLARE C SCROLL CURSOR FOR (SELECT A FROM T); BEGIN OPEN C; FETCH C; "
     "FETCH NEXT FROM C; FETCH ABSOLUTE 1 + 1 FROM C; FETCH RELATIVE -1 FROM C; END",
     {}},
    {"WhenSqlstateOnFirebird3", V::st_Firebird_30,
     "CREATE PROCEDURE P AS BEGIN EXIT; WHEN SQLSTATE '22003', SQLCODE -1 DO EXIT; END", {}},
    {"ForWhat", V::st_Firebird_25, "CREATE PROCEDURE P AS BEGIN FOR UPDATE T DO EXIT; END",
     {"Procedure P: Must be: SELECT / EXECUTE / WITH @2:39"}},
    {"AlterWhat", V::st_Firebird_25, "CREATE PROCEDURE P AS BEGIN ALTER TABLE T; END",
     {"Procedure P: Unknown ALTER-statement @2:40"}},
    {"MergeDeleteBeforeFirebird3", V::st_Firebird_25,
     "CREATE PROCEDURE P AS BEGIN MERGE INTO T USING U ON T.A = U.A WHEN MATCHED THEN DELETE; END",
     {"Procedure P: Must be: UPDATE @2:87"}},
    {"DecfloatWhat", V::st_Firebird_40, "CREATE PROCEDURE P AS BEGIN SET DECFLOAT FOO; END",
     {"Procedure P: Unknown SET-statement for DECFLOAT @2:45"}},
    {"CheckWithoutCondition", V::st_Firebird_25, "ALTER TABLE X ADD CONSTRAINT CK CHECK",
     {"Check-constraint CK: Missing: <(> (<Terminator>) @2:39"}},
    {"ErrorsOutsideBodiesEndTheStatement", V::st_Firebird_25, "CREATE TABLE X (A INTEGER DEFAULT (1 +))",
     {"Invalid factor in expression (<)>) @2:40"}},
};

INSTANTIATE_TEST_SUITE_P(Bodies, IBExMessages, ::testing::ValuesIn(kMessageCases),
                         [](const auto& info) { return info.param.Name; });

TEST(IBExParser, BodyErrorNamesItsObjectAndTheBodyReadsOn)
{
    const std::string script = kPrelude + "CREATE TRIGGER TR FOR T BEFORE INSERT AS BEGIN NEW.A = ; END^";
    for (const std::string name : {"s.sql", ""}) {
        TRun run(script, V::st_Firebird_25, name);
        ASSERT_EQ(run.Events.size(), 1u);
        EXPECT_EQ(run.Events[0], "Trigger TR: Invalid factor in expression (<;>)\r\nScript: " + name + " Line:7 Pos:58\r\n");
        ASSERT_EQ(run.parser->Messages().Count(), 1);
        const TMsgData& m = run.parser->Messages().Items(0);
        EXPECT_EQ(m.Text, "Trigger TR: Invalid factor in expression (<;>)");
        EXPECT_EQ(m.ScriptName, name);
        // Without a script name the message is the trigger's.
        EXPECT_EQ(m.Data, name.empty() ? run.objs.FindTrigger("TR") : nullptr);
        EXPECT_EQ(LinksOf(run.objs.FindTrigger("TR")), (std::vector<std::string>{"T", "T.A"}));
    }
}

// ---- the faults the body parser must not have --------------------------------

TEST(IBExParser, BodyEndsAtTheTerminatorAndItsStatementWhole)
{
    // A body missing its END ends at the terminator.
    TRun missing(kPrelude + "CREATE PROCEDURE P AS BEGIN INSERT INTO T (A) VALUES (1);^\nCREATE TABLE T2 (A INTEGER)^");
    EXPECT_EQ(missing.Names(), (std::vector<std::string>{"T", "U", "G", "E_X", "E1", "P", "T2"}));
    EXPECT_NE(missing.objs.FindTable("T2"), nullptr);
    EXPECT_EQ(LinksOf(missing.objs.FindProcedure("P")), (std::vector<std::string>{"T", "T.A"}));
    // Without SET TERM a procedure is still one statement.
    TRun plain("CREATE PROCEDURE P AS BEGIN X = 1; END;\nCREATE TABLE T2 (A INTEGER);");
    EXPECT_EQ(plain.Statements, (std::vector<std::string>{"P|CREATE PROCEDURE P AS BEGIN X = 1; END",
                                                           "T2|CREATE TABLE T2 (A INTEGER)"}));
    EXPECT_EQ(plain.Messages(), std::vector<std::string>{});
    EXPECT_EQ(plain.objs.FindProcedure("P")->Body(), "BEGIN X = 1; END");
}

TEST(IBExParser, LocalRoutinesStayInTheirBody)
{
    TRun run(kPrelude + "CREATE GENERATOR X^\nCREATE PROCEDURE SUB AS BEGIN INSERT INTO U (C) VALUES (1); END^\n"
                        "CREATE PROCEDURE P AS DECLARE X INTEGER;\n"
                        "  DECLARE PROCEDURE SUB (Y INTEGER) AS DECLARE Z INTEGER; BEGIN Z = Y; UPDATE T SET A = Z; END\n"
                        "BEGIN X = X + 1; EXECUTE PROCEDURE SUB(X); END^",
             V::st_Firebird_30);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    EXPECT_EQ(run.Names().back(), "P");
    EXPECT_EQ(run.Statements.size(), 8u);
    // The global SUB keeps its body; P uses what the local SUB uses, not X.
    EXPECT_EQ(run.objs.FindProcedure("SUB")->Body(), "BEGIN INSERT INTO U (C) VALUES (1); END");
    EXPECT_EQ(Sorted(LinksOf(run.objs.FindProcedure("P"))), (std::vector<std::string>{"SUB", "T", "T.A"}));
    EXPECT_EQ(run.objs.Procedures.Count(), 2);
}

TEST(IBExParser, NestedDerivedTablesParseOnce)
{
    std::string query = "T";
    for (int i = 0; i < 40; ++i) query = "(SELECT A FROM " + query + ") X" + std::to_string(i);
    TRun run(kPrelude + "CREATE VIEW V AS SELECT A FROM " + query + "^");
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    EXPECT_EQ(Sorted(LinksOf(run.objs.FindView("V"))), (std::vector<std::string>{"T", "T.A"}));
}

struct TDeepCase {
    std::string Name, Script;
    friend void PrintTo(const TDeepCase& c, std::ostream* os) { *os << c.Name; }
};

class IBExDeep : public ::testing::TestWithParam<TDeepCase> {};

TEST_P(IBExDeep, NestingTooDeepEndsTheBodyAndNothingElse)
{
    TRun run(GetParam().Script + "\nCREATE TABLE T2 (A INTEGER);\n");
    ASSERT_EQ(run.Messages().size(), 1u);
    EXPECT_NE(run.Messages()[0].find("Nesting too deep."), std::string::npos) << run.Messages()[0];
    ASSERT_EQ(run.Names().size(), 3u);
    EXPECT_EQ(run.Names()[2], "T2");
    EXPECT_NE(run.objs.FindTable("T2"), nullptr);
}

std::string Repeat(const std::string& Text, int Count)
{
    std::string out;
    for (int i = 0; i < Count; ++i) out += Text;
    return out;
}

const TDeepCase kDeepCases[] = {
    {"Parentheses", "CREATE TABLE T (A INTEGER);\nCREATE VIEW V AS SELECT " + Repeat("(", 100000) + "1 FROM T;"},
    {"Not", "CREATE TABLE T (A INTEGER);\nCREATE VIEW V AS SELECT A FROM T WHERE " + Repeat("NOT ", 100000) + "A = 1;"},
    {"BeginUnclosed", "SET TERM ^ ;\nCREATE TABLE T (A INTEGER)^\nCREATE PROCEDURE P AS " + Repeat("BEGIN ", 100000) +
                          "^\nSET TERM ; ^"},
    {"BeginWithoutSetTerm", "CREATE TABLE T (A INTEGER);\nCREATE PROCEDURE P AS BEGIN " + Repeat("BEGIN X = 1; ", 100000) +
                                Repeat("END ", 100001) + ";"},
    {"Check", "CREATE TABLE T (A INTEGER, CHECK (" + Repeat("(", 100000) + "A > 0));\nCREATE VIEW V AS SELECT A FROM T;"},
};

INSTANTIATE_TEST_SUITE_P(Bodies, IBExDeep, ::testing::ValuesIn(kDeepCases),
                         [](const auto& info) { return info.param.Name; });

// ---- stored texts -------------------------------------------------------------

TEST(IBExParser, ParseObjectSourceReadsStoredTexts)
{
    TRun run(kPrelude + "CREATE PROCEDURE P AS BEGIN END^\nCREATE DOMAIN D AS INTEGER^\nALTER TABLE T ADD PRIMARY KEY (A)^\n"
                        "CREATE TABLE W (A INTEGER DEFAULT (1 + 2))^");
    EXPECT_EQ(run.objs.FindTableField("W", "A")->DefaultValue, "(1 + 2)");
    TIbExParser& p = *run.parser;
    TPrcData& proc = *run.objs.FindProcedure("P");
    proc.SourceText = "AS BEGIN DELETE FROM U WHERE C = 1; END";
    p.ParseObjectSource(proc);
    EXPECT_EQ(LinksOf(&proc), (std::vector<std::string>{"U", "U.C"}));
    TDmnData& domain = *run.objs.FindDomain("D");
    // No text, nothing parsed.
    p.ParseObjectSource(domain);
    domain.BaseField->CheckText = "(VALUE > (SELECT MAX(A) FROM T))";
    domain.BaseField->DefaultValue = "GEN_ID(G, 0)";
    p.ParseObjectSource(domain);
    EXPECT_EQ(Sorted(LinksOf(&domain)), (std::vector<std::string>{"G", "T", "T.A"}));
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    TCtrData* key = dynamic_cast<TCtrData*>(run.objs.Constraints.Objects(0));
    p.ParseObjectSource(*key);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{"Body parsing for DB-Obj: (TCtrData) not implemented. @1:12"});
}

TEST(IBExParser, ExecutorLoadsScriptsThroughTheBodyParser)
{
    TIBSQLExec x;
    std::vector<std::string> events;
    x.OnErrorMessage = [&](TObject&, const std::string& Text) { events.push_back(Text); };
    TStringList lines;
    lines.SetText("CREATE PROCEDURE P AS BEGIN X = 1; END;\nCREATE PROCEDURE Q AS BEGIN X = ; END;\n");
    x.ParseScript(lines);
    ASSERT_EQ(x.Count(), 2);
    EXPECT_EQ(x.Statements(0).SQL.TrimmedText(), "CREATE PROCEDURE P AS BEGIN X = 1; END");
    ASSERT_EQ(x.Messages().Count(), 1);
    EXPECT_EQ(x.Messages().Items(0).Text, "Procedure Q: Invalid factor in expression (<;>)");
    EXPECT_EQ(x.Messages().Items(0).Data, nullptr);
    EXPECT_EQ(events.size(), 1u);
}

// ---- the Firebird sample scripts ------------------------------------------------

namespace {

const std::string kExamples = "/usr/share/doc/firebird3.0-common-doc/examples/";

std::string EmployeeScript()
{
    qeltest::TempDir dir;
    const std::string out = dir.File("employee.sql");
    if (std::system(("gzip -dc '" + kExamples + "employee.sql.gz' > '" + out + "'").c_str()) != 0) return {};
    return qeltest::ReadFile(out);
}

// Firebird's RDB$DEPENDENCIES rows of the database a sample script builds in
// a folder of its own, as (dependent, type, used, type, field); the check
// triggers of EMPLOYEE's table come as ("CHECK", -1, trigger, -1, "").
std::vector<std::vector<std::string>> BuiltDependencies(const std::string& Script, const std::string& Database,
                                                        const std::vector<std::string>& Files)
{
    qeltest::TempDir dir;
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    for (const std::string& f : Files) std::filesystem::copy_file(f, dir.File(std::filesystem::path(f).filename()));
    if (Script == "employee.sql") qeltest::WriteFile(dir.File(Script), EmployeeScript());
    TQELConnection c;
    qeltest::ConfigureFirebird(c, dir.File("none.fdb"));
    TIBSQLExec x;
    x.SetQELConnection(&c);
    x.ConnectionOptions().Assign(c.ConnectionOptions());
    x.IBServerOptions().SQLServerVersion = V::st_Firebird_30;
    x.LoadScript(dir.File(Script));
    const bool ran = x.Execute();
    c.SetConnected(false);
    std::vector<std::vector<std::string>> rows;
    if (ran) {
        qeltest::TInspector db(dir.File(Database));
        rows = db.Rows("SELECT TRIM(RDB$DEPENDENT_NAME), RDB$DEPENDENT_TYPE, TRIM(RDB$DEPENDED_ON_NAME), "
                       "RDB$DEPENDED_ON_TYPE, TRIM(COALESCE(RDB$FIELD_NAME, '')) FROM RDB$DEPENDENCIES "
                       "UNION ALL SELECT 'CHECK', -1, TRIM(RDB$TRIGGER_NAME), -1, '' FROM RDB$CHECK_CONSTRAINTS C "
                       "JOIN RDB$RELATION_CONSTRAINTS R ON R.RDB$CONSTRAINT_NAME = C.RDB$CONSTRAINT_NAME "
                       "WHERE R.RDB$RELATION_NAME = 'EMPLOYEE' AND R.RDB$CONSTRAINT_TYPE = 'CHECK'");
    }
    std::filesystem::current_path(old);
    return rows;
}

// What Firebird records for the dependents: their columns as "T.C", or the
// tables, views, procedures, exceptions and sequences they use.
std::set<std::string> Recorded(const std::vector<std::vector<std::string>>& Rows, const std::set<std::string>& Dependents,
                               bool Columns)
{
    static const std::set<std::string> kinds{"0", "1", "5", "7", "9", "14"};
    std::set<std::string> out;
    for (const auto& r : Rows)
        if (Dependents.contains(r[0]) && r[1] != "-1") {
            if (Columns && !r[4].empty()) out.insert(r[2] + "." + r[4]);
            if (!Columns && kinds.contains(r[3])) out.insert(r[2]);
        }
    return out;
}

// The same of our links.
std::set<std::string> Ours(const TDbObj* Obj, bool Columns)
{
    std::set<std::string> out;
    for (const std::string& link : LinksOf(Obj))
        if ((link.find('.') != std::string::npos) == Columns) out.insert(link);
    return out;
}

} // namespace

TEST(IBExParserSample, EmployeeLinksAreWhatFirebirdRecords)
{
    if (!std::filesystem::exists(kExamples + "employee.sql.gz")) QEL_SKIP_OR_FAIL("firebird3.0-examples is missing");
    const std::string text = EmployeeScript();
    for (V version : {V::st_Firebird_25, V::st_Firebird_30}) {
        TRun run(text, version, "employee.sql");
        EXPECT_EQ(run.Messages(), std::vector<std::string>{});
        EXPECT_EQ(run.Statements.size(), 415u);
    }
    const auto rows = BuiltDependencies("employee.sql", "employee.fdb", {});
    ASSERT_FALSE(rows.empty());
    TRun run(text, V::st_Firebird_30, "employee.sql");
    std::set<std::string> checkTriggers;
    for (const auto& r : rows)
        if (r[0] == "CHECK") checkTriggers.insert(r[2]);
    TDbObj* check = nullptr;
    for (const auto& item : run.objs.Constraints)
        if (auto* c = dynamic_cast<TCtrData*>(item.Object); c->TableName() == "EMPLOYEE" && c->ConstraintKind() == ckCheck)
            check = c;
    EXPECT_EQ(Ours(run.objs.FindView("PHONE_LIST"), true), Recorded(rows, {"PHONE_LIST"}, true));
    EXPECT_EQ(Ours(run.objs.FindTrigger("SAVE_SALARY_CHANGE"), true), Recorded(rows, {"SAVE_SALARY_CHANGE"}, true));
    EXPECT_EQ(Ours(check, true), Recorded(rows, checkTriggers, true));
    for (const auto* list : {&run.objs.Procedures, &run.objs.Triggers})
        for (const auto& item : *list) {
            std::set<std::string> expected = Recorded(rows, {item.Key}, false);
            // Our trigger uses its table; DEPT_BUDGET is filed after its body.
            if (auto* trigger = dynamic_cast<TTrgData*>(item.Object)) expected.insert(trigger->TableName());
            if (item.Key == "DEPT_BUDGET") expected.erase("DEPT_BUDGET");
            EXPECT_EQ(Ours(item.Object, false), expected) << item.Key;
        }
}

TEST(IBExParserSample, PackageBodyLinksWhatFirebirdRecords)
{
    if (!std::filesystem::exists(kExamples + "package")) QEL_SKIP_OR_FAIL("firebird3.0-examples is missing");
    TRun run(qeltest::ReadFile(kExamples + "package/fbout-test.sql"), V::st_Firebird_30,
             kExamples + "package/fbout-test.sql");
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    const TDbObj* package = run.objs.FindPackage("FB$OUT");
    EXPECT_EQ(Ours(package, true), (std::set<std::string>{"FB$OUT_TABLE.CONTENT", "FB$OUT_TABLE.LINE_NUM"}));
    EXPECT_EQ(Ours(package, false), (std::set<std::string>{"FB$OUT_SEQ", "FB$OUT_TABLE", "FB$OUT_TYPE"}));
    std::vector<std::string> files;
    for (const char* f : {"fbout-test.sql", "fbout-header.sql", "fbout-body.sql"}) files.push_back(kExamples + "package/" + f);
    const auto rows = BuiltDependencies("fbout-test.sql", "test.fdb", files);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(Ours(package, true), Recorded(rows, {"FB$OUT"}, true));
    // Less CLEAR, a member of the package itself, which is filed nowhere.
    std::set<std::string> used = Recorded(rows, {"FB$OUT"}, false);
    EXPECT_EQ(used.erase("CLEAR"), 1u);
    EXPECT_EQ(Ours(package, false), used);
}
