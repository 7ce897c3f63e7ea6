// Scripts that change or remove what they made: each row a script that
// isql-fb runs without an error; loaded, the collection holds exactly the
// objects, columns and grants of the database isql-fb built from it, and
// the links the row names.
#include "qelComp_Exc.h"
#include "qelComp_Idx.h"
#include "qelComp_Pkg.h"
#include "qelIBScriptIsql.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace qel;
using qeltest::TIBScriptRun;

namespace {

struct TChangeRow {
    const char* Name;
    std::string Script;
    // "kind:name" and the links it must have afterwards.
    std::vector<std::pair<std::string, std::vector<std::string>>> Links = {};
    std::vector<std::string> Messages = {};
    // isql refuses a statement of the script.
    bool Refused = false;
    friend void PrintTo(const TChangeRow& r, std::ostream* os) { *os << r.Name; }
};

class IBScriptChanges : public ::testing::TestWithParam<TChangeRow> {};

const std::string kTerm = "SET TERM ^ ;\n";
const std::string kTermBack = "SET TERM ; ^\n";

} // namespace

TEST_P(IBScriptChanges, TheCollectionHoldsWhatTheDatabaseHolds)
{
    const TChangeRow& r = GetParam();
    const TIBScriptRun run(r.Script);
    EXPECT_EQ(run.Messages(), r.Messages);
    for (const auto& [object, links] : r.Links) EXPECT_EQ(run.Links(object), links) << object;
    if (!qeltest::IsqlInstalled()) QEL_SKIP_OR_FAIL("isql-fb is not installed");
    EXPECT_EQ(qeltest::CollectionObjects(run), qeltest::IsqlObjects(r.Script, r.Refused));
}

INSTANTIATE_TEST_SUITE_P(
    Firebird3, IBScriptChanges,
    ::testing::Values(
        TChangeRow{"DropTableTakesItsConstraintsIndexesTriggersAndGrants",
                   "CREATE TABLE T (ID INTEGER NOT NULL, A INTEGER, CONSTRAINT PK_T PRIMARY KEY (ID),"
                   " CONSTRAINT CK_A CHECK (A > 0));\nCREATE INDEX IX_A ON T (A);\nCREATE ROLE R;\n"
                   "GRANT SELECT ON T TO R;\nCREATE TABLE U (X INTEGER, CONSTRAINT UQ_X UNIQUE (X));\n" +
                       kTerm + "CREATE TRIGGER TR FOR T BEFORE INSERT AS BEGIN NEW.A = 1; END^\n" + kTermBack +
                       "GRANT SELECT ON U TO TRIGGER TR;\nGRANT UPDATE (X) ON U TO R;\nCOMMIT;\nDROP TABLE T;\n",
                   {{"TABLE:U", {}}}},
        TChangeRow{"DropEveryOtherKind",
                   "CREATE TABLE T (ID INTEGER, A INTEGER);\nCREATE VIEW V AS SELECT ID, A FROM T;\n"
                   "CREATE ROLE R;\nCREATE ROLE R2;\nGRANT SELECT ON V TO R;\nGRANT SELECT ON T TO VIEW V;\n"
                   "GRANT R TO R2;\nGRANT SELECT ON T TO R;\nGRANT R2 TO USER R;\n" +
                       kTerm +
                       "CREATE PROCEDURE P AS BEGIN END^\n"
                       "CREATE FUNCTION F RETURNS INTEGER AS BEGIN RETURN 1; END^\n"
                       "CREATE PACKAGE PKG AS BEGIN PROCEDURE Q; END^\n"
                       "CREATE PACKAGE BODY PKG AS BEGIN PROCEDURE Q AS BEGIN END END^\n"
                       "CREATE TRIGGER TRV FOR V BEFORE INSERT AS BEGIN END^\n"
                       "CREATE TRIGGER TRD ON CONNECT AS BEGIN END^\n" +
                       kTermBack +
                       "GRANT EXECUTE ON PROCEDURE P TO R;\nGRANT SELECT ON T TO PROCEDURE P;\n"
                       "GRANT EXECUTE ON FUNCTION F TO PUBLIC;\nGRANT EXECUTE ON PACKAGE PKG TO R2;\n"
                       "GRANT SELECT ON T TO PACKAGE PKG;\nCREATE DOMAIN D AS INTEGER;\nCREATE SEQUENCE S;\n"
                       "CREATE EXCEPTION E 'e';\nGRANT USAGE ON SEQUENCE S TO R2;\nGRANT USAGE ON EXCEPTION E TO R2;\n"
                       "CREATE INDEX IX ON T (A);\nCREATE COLLATION C_NOPAD FOR UTF8 FROM UNICODE NO PAD;\n"
                       "DECLARE EXTERNAL FUNCTION UDF1 INTEGER RETURNS INTEGER BY VALUE ENTRY_POINT 'x' MODULE_NAME 'y';\n"
                       "COMMIT;\nDROP VIEW V;\nDROP PROCEDURE P;\nDROP FUNCTION F;\nDROP PACKAGE PKG;\n"
                       "DROP ROLE R;\nDROP DOMAIN D;\nDROP SEQUENCE S;\nDROP EXCEPTION E;\nDROP INDEX IX;\n"
                       "DROP TRIGGER TRD;\nDROP COLLATION C_NOPAD;\nDROP EXTERNAL FUNCTION UDF1;\n",
                   {{"TABLE:T", {}}}},
        TChangeRow{"DropColumnsAndConstraints",
                   "CREATE DOMAIN D AS INTEGER;\nCREATE TABLE T (ID INTEGER NOT NULL, A INTEGER, B D, C INTEGER,"
                   " CONSTRAINT PK_T PRIMARY KEY (ID), CONSTRAINT UQ_C UNIQUE (C), CONSTRAINT CK_A CHECK (A > 0));\n"
                   "CREATE TABLE U (ID INTEGER, CONSTRAINT FK_U FOREIGN KEY (ID) REFERENCES T (ID));\n"
                   "COMMIT;\nALTER TABLE T DROP A, DROP B;\nALTER TABLE T DROP CONSTRAINT UQ_C;\n"
                   "ALTER TABLE U DROP CONSTRAINT FK_U;\n",
                   {{"TABLE:T", {}}, {"DOMAIN:D", {}}}},
        TChangeRow{"RenameColumnsAndDomains",
                   "CREATE DOMAIN D AS INTEGER;\nCREATE DOMAIN D_FREE AS INTEGER;\n"
                   "CREATE TABLE T (ID INTEGER, A INTEGER, B D);\nCREATE INDEX IX_A ON T (A);\n"
                   "COMMIT;\nALTER TABLE T ALTER COLUMN A TO A2, ALTER B TO B2;\nALTER DOMAIN D TO D2;\n"
                   "ALTER DOMAIN D_FREE TO D3;\n",
                   {{"TABLE:T", {"D2"}}}},
        TChangeRow{"RecreateDropsFirst",
                   "CREATE TABLE T (A INTEGER);\nCREATE INDEX IX ON T (A);\n" + kTerm +
                       "CREATE TRIGGER TR FOR T BEFORE INSERT AS BEGIN END^\n"
                       "CREATE PROCEDURE P AS DECLARE X INTEGER; BEGIN SELECT A FROM T INTO :X; END^\n" + kTermBack +
                       "CREATE EXCEPTION E 'a';\nCOMMIT;\nDROP PROCEDURE P;\nRECREATE TABLE T (B INTEGER);\n"
                       "RECREATE EXCEPTION E 'b';\nCREATE TABLE U (C INTEGER);\n" + kTerm +
                       "RECREATE PROCEDURE P AS DECLARE X INTEGER; BEGIN SELECT C FROM U INTO :X; END^\n" + kTermBack,
                   {{"PROCEDURE:P", {"U", "U.C"}}, {"TABLE:T", {}}}},
        TChangeRow{"AlterKeepsWhatUsesTheObject",
                   "CREATE TABLE T (ID INTEGER, A INTEGER, B INTEGER);\nCREATE VIEW V AS SELECT ID, A FROM T;\n"
                   "CREATE VIEW W AS SELECT ID FROM V;\nCREATE TABLE U (C INTEGER);\n" + kTerm +
                       "CREATE PROCEDURE P AS DECLARE X INTEGER; BEGIN SELECT A FROM T INTO :X; END^\n"
                       "CREATE TRIGGER TR FOR U BEFORE INSERT AS DECLARE X INTEGER; BEGIN SELECT A FROM T INTO :X; END^\n"
                       "CREATE PROCEDURE Q AS BEGIN EXECUTE PROCEDURE P; END^\n" + kTermBack +
                       "COMMIT;\nALTER VIEW V AS SELECT ID, B FROM T;\n" + kTerm +
                       "ALTER PROCEDURE P AS DECLARE X INTEGER; BEGIN SELECT C FROM U INTO :X; END^\n"
                       "ALTER TRIGGER TR AS DECLARE X INTEGER; BEGIN SELECT B FROM T INTO :X; END^\n" + kTermBack,
                   {{"VIEW:V", {"T", "T.B", "T.ID"}},
                    {"VIEW:W", {"V", "V.ID"}},
                    {"PROCEDURE:P", {"U", "U.C"}},
                    {"PROCEDURE:Q", {"P"}},
                    {"TRIGGER:TR", {"T", "T.B", "U"}}}},
        TChangeRow{"ExitEndsTheScript",
                   "CREATE TABLE T1 (A INTEGER);\nEXIT;\nCREATE TABLE T2 (A INTEGER);\nthis is no statement;\n",
                   {},
                   {"Not read: the rest of the script after EXIT. @2:6"}},
        // The executor rolls back what QUIT leaves open, as isql does.
        TChangeRow{"QuitEndsTheScript", "CREATE TABLE T1 (A INTEGER);\nQUIT;\n", {}, {}},
        TChangeRow{"QuitRunIntoAControlCharacterIsNoQuit",
                   "CREATE TABLE T1 (A INTEGER);\nQUIT\x01;\nCREATE TABLE T2 (A INTEGER);\n", {},
                   {"Invalid char in source text: \"#1\". @2:5"},
                   true},
        // SET TERM with the current terminator right after TERM: ";" again,
        // and the next statements are what they say.
        TChangeRow{"SetTermCurrentTerminatorGoesBackToSemicolon",
                   kTerm + "CREATE TABLE T (A INTEGER)^\nSET TERM ^;\nCREATE TABLE U (B INTEGER);\n"
                           "CREATE VIEW V AS SELECT B FROM U;\n" + kTerm +
                       "CREATE TRIGGER TR FOR U BEFORE INSERT AS BEGIN NEW.B = 1; END^\nSET TERM ^\n"
                       "CREATE TABLE W (C INTEGER);\n",
                   {{"VIEW:V", {"U", "U.B"}}, {"TRIGGER:TR", {"U", "U.B"}}}},
        TChangeRow{"SetTermCurrentTerminatorTwiceFailsTheNextStatement",
                   kTerm + "SET TERM ^ ^\nCREATE TABLE T (A INTEGER);\nCREATE TABLE U (B INTEGER);\n", {},
                   {"Invalid char in source text: \"^\". @2:12"},
                   true},
        // A statement's own ";" (or several) before the "^" that ends it.
        TChangeRow{"SemicolonsBeforeTheTerminator",
                   kTerm + "CREATE TABLE T (A INTEGER);^\nCREATE TABLE U (B INTEGER)\n;\n^\n"
                           "CREATE VIEW V AS SELECT A FROM T;;^\nINSERT INTO T VALUES (1) ; ; ^\nCOMMIT;^\n"
                           "CREATE PROCEDURE P AS BEGIN DELETE FROM U; END;^\n" + kTermBack,
                   {{"VIEW:V", {"T", "T.A"}}, {"PROCEDURE:P", {"U"}}}},
        // The type names the language also takes: the later columns and
        // their domains stay.
        TChangeRow{"NationalCharactersAndLongFloat",
                   "CREATE DOMAIN D AS INTEGER;\nCREATE TABLE T (A NATIONAL CHARACTER (5), B NATIONAL CHAR VARYING (6),"
                   " C NCHAR (3), D NCHAR VARYING (4), E LONG FLOAT, F FLOAT (20), G NATIONAL CHAR, H INTEGER,"
                   " I NATIONAL CHARACTER VARYING (7), J LONG FLOAT (3), K D);\n"
                   "CREATE VIEW V AS SELECT H, K FROM T;\n",
                   {{"TABLE:T", {"D"}}, {"VIEW:V", {"T", "T.H", "T.K"}}}},
        TChangeRow{"IndexComputedWithoutBy",
                   "CREATE TABLE T (A INTEGER, B VARCHAR(5));\nCREATE INDEX IX ON T COMPUTED (A + 1);\n"
                   "CREATE DESCENDING INDEX IX2 ON T COMPUTED (UPPER(B));\n",
                   {{"INDEX:IX", {"T", "T.A"}}, {"INDEX:IX2", {"T", "T.B"}}}},
        // Mappings of this database; users and global mappings need the
        // security database, which the embedded engine shares with none.
        TChangeRow{"DatabaseMappings",
                   "CREATE MAPPING M1 USING ANY PLUGIN FROM ANY USER TO USER U1;\n"
                   "CREATE OR ALTER MAPPING M1 USING PLUGIN SRP FROM USER BOB TO ROLE RDB$ADMIN;\n"
                   "ALTER MAPPING M1 USING ANY PLUGIN FROM ANY USER TO USER U2;\nDROP MAPPING M1;\n"
                   "CREATE TABLE T (A INTEGER);\n"},
        TChangeRow{"OtherSpellingsOfNegatedComparisons",
                   "CREATE TABLE T (A INTEGER, B INTEGER, C COMPUTED BY (IIF(A ~= B, 1, 0)));\n"
                   "CREATE VIEW V AS SELECT A FROM T WHERE A ^= B AND A !< B AND B ~> A AND A ^< 0 OR B !> 1;\n",
                   {{"VIEW:V", {"T", "T.A", "T.B"}}}},
        // Routines, packages and exceptions made again in each way the
        // language has, external functions, grants to routines, comments.
        TChangeRow{"EveryWayToMakeARoutineAgain",
                   "CREATE TABLE T (ID INTEGER, A INTEGER);\n"
                   "RECREATE GLOBAL TEMPORARY TABLE GT (X INTEGER);\n"
                   "RECREATE TABLE T2 (X INTEGER);\n"
                   "DECLARE EXTERNAL FUNCTION RPAD2 CSTRING(255) NULL, INTEGER, CSTRING(255) RETURNS CSTRING(255) "
                   "FREE_IT ENTRY_POINT 'IB_UDF_rpad' MODULE_NAME 'ib_udf';\n"
                   "DECLARE EXTERNAL FUNCTION DOW DATE RETURNS PARAMETER 1 ENTRY_POINT 'x' MODULE_NAME 'y';\n"
                   "SET TERM ^;\n"
                   "CREATE OR ALTER PROCEDURE P1 (X INTEGER) RETURNS (Y INTEGER) AS BEGIN Y = X; SUSPEND; END^\n"
                   "ALTER PROCEDURE P1 (X INTEGER) RETURNS (Y INTEGER, Z INTEGER) AS BEGIN Y = X; Z = 1; SUSPEND; "
                   "END^\n"
                   "RECREATE PROCEDURE P2 AS BEGIN END^\n"
                   "CREATE OR ALTER FUNCTION F1 RETURNS INTEGER AS BEGIN RETURN 1; END^\n"
                   "ALTER FUNCTION F1 RETURNS BIGINT AS BEGIN RETURN 2; END^\n"
                   "RECREATE FUNCTION F2 (A INTEGER) RETURNS INTEGER AS BEGIN RETURN A; END^\n"
                   "CREATE OR ALTER PACKAGE PK AS BEGIN PROCEDURE PP; END^\n"
                   "RECREATE PACKAGE BODY PK AS BEGIN PROCEDURE PP AS BEGIN END END^\n"
                   "ALTER PACKAGE PK AS BEGIN PROCEDURE PP; FUNCTION PF RETURNS INTEGER; END^\n"
                   "RECREATE PACKAGE BODY PK AS BEGIN PROCEDURE PP AS BEGIN END FUNCTION PF RETURNS INTEGER AS "
                   "BEGIN RETURN 1; END END^\n"
                   "RECREATE TRIGGER TR FOR T BEFORE INSERT AS BEGIN NEW.A = 1; END^\n"
                   "ALTER TRIGGER TR AS BEGIN NEW.A = 2; END^\n"
                   "CREATE OR ALTER TRIGGER TR2 FOR T AFTER DELETE AS BEGIN END^\n"
                   "SET TERM ;^\n"
                   "CREATE OR ALTER EXCEPTION E1 'x';\n"
                   "RECREATE EXCEPTION E1 'y';\n"
                   "CREATE OR ALTER SEQUENCE S1 START WITH 1;\n"
                   "RECREATE SEQUENCE S1 START WITH 5;\n"
                   "ALTER SEQUENCE S1 RESTART;\n"
                   "GRANT EXECUTE ON PROCEDURE P1 TO PROCEDURE P2;\n"
                   "GRANT EXECUTE ON FUNCTION F1 TO TRIGGER TR;\n"
                   "GRANT SELECT ON T TO PACKAGE PK;\n"
                   "GRANT INSERT ON T TO FUNCTION F2;\n"
                   "GRANT SELECT ON TABLE T TO PUBLIC;\n"
                   "REVOKE EXECUTE ON PROCEDURE P1 FROM PROCEDURE P2;\n"
                   "COMMENT ON PROCEDURE PARAMETER P1.X IS 'x';\n"
                   "COMMENT ON FUNCTION PARAMETER F2.A IS 'a';\n"
                   "COMMENT ON PARAMETER P1.Y IS 'y';\n"
                   "COMMENT ON FUNCTION F1 IS 'f';\n"
                   "COMMENT ON PROCEDURE P1 IS 'p';\n"
                   "COMMENT ON EXTERNAL FUNCTION DOW IS 'd';\n"
                   "COMMENT ON TABLE GT IS 'gt';\n"
                   "DROP FUNCTION F2;\n"
                   "DROP PROCEDURE P2;\n"
                   "DROP PACKAGE PK;\n"
                   "DROP TABLE T2;\n",
                   {{"PROCEDURE:P1", {}}, {"TRIGGER:TR", {"T", "T.A"}}}},
        // PSQL: FETCH that only moves a cursor, FOR SELECT's cursor after
        // ORDER BY, WHEN SQLSTATE.
        TChangeRow{"PsqlCursorsAndSqlstate",
                   "CREATE TABLE T (A INTEGER, B INTEGER);\n" + kTerm +
                       "CREATE PROCEDURE P RETURNS (X INTEGER) AS\n"
                       "DECLARE C SCROLL CURSOR FOR (SELECT A FROM T);\nDECLARE NEXT CURSOR FOR (SELECT B FROM T);\n"
                       "BEGIN\n  OPEN C;\n  FETCH NEXT FROM C;\n  FETCH C INTO :X;\n  FETCH C;\n  FETCH PRIOR FROM C;\n"
                       "  FETCH FIRST FROM C INTO X;\n  FETCH LAST FROM C;\n  FETCH ABSOLUTE 2 FROM C;\n"
                       "  FETCH RELATIVE -1 FROM C INTO :X;\n  X = C.A;\n  CLOSE C;\n"
                       "  OPEN NEXT;\n  FETCH NEXT;\n  FETCH NEXT INTO :X;\n  CLOSE NEXT;\n"
                       "  FOR SELECT A FROM T ORDER BY A AS CURSOR D DO X = D.A;\n"
                       "  FOR WITH W AS (SELECT B FROM T) SELECT B FROM W ORDER BY B AS CURSOR E DO X = E.B;\n"
                       "  BEGIN\n    X = 1 / 0;\n  WHEN SQLSTATE '22003' DO X = 0;\n"
                       "  WHEN SQLSTATE '22012', GDSCODE ARITH_EXCEPT DO X = 2;\n  END\n  SUSPEND;\nEND^\n" +
                       kTermBack,
                   {{"PROCEDURE:P", {"T", "T.A", "T.B"}}}}));

// EXIT inside an INPUT file ends the script that reads it too.
TEST(IBScriptExit, ExitInAnInputFileEndsTheWholeScript)
{
    qeltest::TempDir dir;
    qeltest::WriteFile(dir.File("in.sql"), "CREATE TABLE IN1 (A INTEGER);\nEXIT;\nCREATE TABLE IN2 (A INTEGER);\n");
    const std::string script = "CREATE TABLE T1 (A INTEGER);\nINPUT '" + dir.File("in.sql") +
                               "';\nCREATE TABLE T2 (A INTEGER);\n";
    const TIBScriptRun run(script);
    EXPECT_EQ(run.Objects(), (std::set<std::string>{"TABLE:IN1", "TABLE:T1"}));
    ASSERT_EQ(run.Statements.size(), 3u);
    EXPECT_EQ(run.Statements.back().SQL, "EXIT");
    if (!qeltest::IsqlInstalled()) QEL_SKIP_OR_FAIL("isql-fb is not installed");
    EXPECT_EQ(qeltest::CollectionObjects(run), qeltest::IsqlObjects(script));
}

// A renamed column keeps its place, and the keys of the table's indexes and
// the columns of a renamed domain follow the names.
TEST(IBScriptRename, ColumnKeepsItsPlaceAndIndexesAndColumnsFollow)
{
    const TIBScriptRun run("CREATE DOMAIN D AS INTEGER;\nCREATE TABLE T (ID INTEGER, A INTEGER, B D);\n"
                           "CREATE INDEX IX_A ON T (A, ID);\nALTER TABLE T ALTER A TO A2;\nALTER DOMAIN D TO D2;\n"
                           "ALTER TABLE T ALTER ID TO B;\n");
    const TTblData* table = run.objs.FindTable("T");
    ASSERT_NE(table, nullptr);
    std::vector<std::string> columns;
    for (const auto& field : table->Fields) columns.push_back(field.Name + "=" + field.Object->Name());
    EXPECT_EQ(columns, (std::vector<std::string>{"ID=ID", "A2=A2", "B=B"}));
    // A rename to a name the table has is refused, as the server refuses it.
    EXPECT_EQ(run.Messages(), std::vector<std::string>{"ALTER COLUMN ID TO B: T has a column B already; the server "
                                                       "refuses the rename, and the collection keeps the name. @6:29"});
    std::vector<std::string> keys;
    for (const auto& field : run.objs.FindIndex("IX_A")->Fields) keys.push_back(field.Name + "=" + field.Object->Name());
    EXPECT_EQ(keys, (std::vector<std::string>{"A2=A2", "ID=ID"}));
    EXPECT_EQ(table->Fields.Find("B")->DomainName, "D2");
    EXPECT_EQ(run.objs.FindDomain("D"), nullptr);
    ASSERT_NE(run.objs.FindDomain("D2"), nullptr);
    EXPECT_EQ(run.objs.FindDomain("D2")->UsedBy.Find("T")->Name(), "T");
    EXPECT_NE(table->Uses.Find("D2"), nullptr);
}

// What isql-fb -x writes loads without an error, and the collection holds
// what the database holds: computed columns completed by ALTER TABLE ...
// ALTER C TYPE x COMPUTED BY, and the descriptions of routine parameters.
TEST(IBScriptExtract, AnExtractLoadsAsTheDatabaseHoldsIt)
{
    if (!qeltest::IsqlInstalled()) QEL_SKIP_OR_FAIL("isql-fb is not installed");
    const std::string script =
        kTerm +
        "CREATE FUNCTION F (X INTEGER) RETURNS INTEGER AS BEGIN RETURN X + 1; END^\n"
        "CREATE PROCEDURE P (A INTEGER) RETURNS (B INTEGER) AS BEGIN B = A; SUSPEND; END^\n"
        "CREATE PACKAGE PKG AS BEGIN PROCEDURE Q (Z INTEGER); FUNCTION G (Y INTEGER) RETURNS INTEGER; END^\n"
        "CREATE PACKAGE BODY PKG AS BEGIN PROCEDURE Q (Z INTEGER) AS BEGIN END "
        "FUNCTION G (Y INTEGER) RETURNS INTEGER AS BEGIN RETURN Y; END END^\n" +
        kTermBack +
        "CREATE TABLE T (A INTEGER, C COMPUTED BY (F(A)), D COMPUTED BY (PKG.G(A)), E VARCHAR(10) COMPUTED BY "
        "('x' || A), CONSTRAINT CK CHECK (F(A) > 0));\n"
        "COMMENT ON PARAMETER P.A IS 'pa';\nCOMMENT ON PROCEDURE PARAMETER P.B IS 'pb';\n"
        "COMMENT ON FUNCTION PARAMETER F.X IS 'fx';\nCOMMENT ON PROCEDURE PARAMETER PKG.Q.Z IS 'qz';\n"
        "COMMENT ON PROCEDURE P IS 'p';\nCOMMENT ON FUNCTION F IS 'f';\nCOMMENT ON COLUMN T.C IS 'c';\n";
    const std::string extract = qeltest::IsqlExtract(script);
    ASSERT_NE(extract.find("ALTER C TYPE INTEGER COMPUTED BY (F(A))"), std::string::npos) << extract;
    const TIBScriptRun run(extract);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    const TTblData* t = run.objs.FindTable("T");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Fields.Find("C")->Body(), "(F(A))");
    EXPECT_EQ(t->Fields.Find("D")->Body(), "(PKG.G(A))");
    EXPECT_EQ(t->Fields.Find("E")->Body(), "('x' || A)");
    EXPECT_EQ(t->Fields.Find("E")->Length, 10);
    EXPECT_EQ(run.Links("TABLE:T"), (std::vector<std::string>{"F", "PKG"}));
    EXPECT_EQ(run.objs.FindProcedureParam("P", "A")->Description(), "pa");
    EXPECT_EQ(run.objs.FindProcedureParam("P", "B")->Description(), "pb");
    EXPECT_EQ(run.objs.FindProcedure(TPrcData::FunctionKey("F"))->InputParams.Find("X")->Description(), "fx");
    EXPECT_EQ(run.objs.FindProcedure("P")->Description(), "p");
    EXPECT_EQ(run.objs.FindTableField("T", "C")->Description(), "c");
    // Each statement of the extract handed on with its kind.
    std::vector<std::string> kinds;
    for (const auto& st : run.Statements)
        if (st.SQL.starts_with("ALTER TABLE") || st.SQL.starts_with("COMMENT ON"))
            kinds.push_back(std::string(qeltest::kStatTypes[st.Type]) + "|" + st.Name + "|" +
                            qeltest::kObjects[st.Kind] + "|" + st.Parent);
    EXPECT_EQ(kinds, (std::vector<std::string>{"stStatement|CK|dboCheck|", "stStatement|T|dboTable|",
                                               "stStatement|C|dboField|T", "stStatement|P|dboProcedure|",
                                               "stStatement|A|dboParam|P", "stStatement|B|dboParam|P",
                                               "stStatement|Z|dboParam|PKG.Q", "stStatement|F|dboFunction|",
                                               "stStatement|X|dboParam|F"}));
    EXPECT_EQ(qeltest::CollectionObjects(run), qeltest::IsqlObjects(extract));
}

// The Firebird 4 forms the grammar names, under st_Firebird_40: the new
// types, time zones, the session statements, and the functions of bodies.
// (The installed isql-fb is of version 3, which refuses them: no isql run.)
TEST(IBScriptFirebird4, TheNewFormsAreReadAndFiled)
{
    const std::string script =
        "CREATE TABLE T (A DECFLOAT, B DECFLOAT(16), C TIMESTAMP WITH TIME ZONE, D TIME WITHOUT TIME ZONE,"
        " E BINARY(8), F VARBINARY(20), G INT128, H TIME WITH TIME ZONE DEFAULT CURRENT_TIME);\n"
        "CREATE DOMAIN DZ AS TIMESTAMP WITH TIME ZONE;\n"
        "ALTER SESSION RESET;\n"
        "SET TIME ZONE 'America/Sao_Paulo';\n"
        "SET TIME ZONE LOCAL;\n"
        "SET DECFLOAT ROUND CEILING;\n"
        "SET DECFLOAT TRAPS TO DIVISION_BY_ZERO, INVALID_OPERATION;\n"
        "SET BIND OF DECFLOAT TO LEGACY;\n"
        "SET BIND OF TIMESTAMP WITH TIME ZONE TO NATIVE;\n"
        "SET SESSION IDLE TIMEOUT 10 MINUTE;\n"
        "SET STATEMENT TIMEOUT 5 SECOND;\n"
        "SET ROLE R;\n"
        "SET TRUSTED ROLE;\n"
        "SET TIME ON;\n"
        "SET TERM ^ ;\n"
        "CREATE PROCEDURE P RETURNS (R DECFLOAT(34), S TIMESTAMP WITH TIME ZONE, Q INT128) AS\n"
        "DECLARE X VARBINARY(16);\n"
        "BEGIN\n"
        "  R = 1.5;\n"
        "  S = CURRENT_TIMESTAMP;\n"
        "  R = EXTRACT(TIMEZONE_HOUR FROM S);\n"
        "  X = HASH('abc' USING SHA256);\n"
        "  S = FIRST_DAY(OF MONTH FROM CURRENT_DATE);\n"
        "  Q = CAST(1 AS INT128);\n"
        "  S = LAST_DAY(OF YEAR FROM CURRENT_TIMESTAMP);\n"
        "  X = ENCRYPT('abc' USING AES MODE OFB KEY '0123456789012345' IV '0123456789012345');\n"
        "  X = DECRYPT(X USING AES MODE OFB KEY '0123456789012345' IV '0123456789012345');\n"
        "  X = RSA_SIGN(X KEY X HASH SHA256 SALT_LENGTH 8);\n"
        "  R = EXTRACT(TIMEZONE_MINUTE FROM S);\n"
        "  S = CAST('2020-01-01 10:00 America/Sao_Paulo' AS TIMESTAMP WITH TIME ZONE);\n"
        "  R = COALESCE(R, 0) + 1;\n"
        "  SUSPEND;\n"
        "END^\n"
        "SET TERM ; ^\n";
    const TIBScriptRun run(script, TIBSQLServerVersionType::st_Firebird_40);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    std::vector<std::string> kinds;
    for (const auto& st : run.Statements)
        kinds.push_back(std::string(qeltest::kStatTypes[st.Type]) + "|" + st.Name + "|" + qeltest::kObjects[st.Kind]);
    EXPECT_EQ(kinds, (std::vector<std::string>{"stStatement|T|dboTable", "stStatement|DZ|dboDomain",
                                               "stStatement||dboUnknown", "stStatement||dboUnknown",
                                               "stStatement||dboUnknown", "stStatement||dboUnknown",
                                               "stStatement||dboUnknown", "stStatement||dboUnknown",
                                               "stStatement||dboUnknown", "stStatement||dboUnknown",
                                               "stStatement||dboUnknown", "stStatement||dboUnknown",
                                               "stSet||dboUnknown", "stStatement|P|dboProcedure"}));
    const TTblData* t = run.objs.FindTable("T");
    ASSERT_NE(t, nullptr);
    std::vector<std::string> types;
    for (const auto& f : t->Fields)
        types.push_back(f.Name + ":" + std::to_string(f.Object->DataType) + "/" + std::to_string(f.Object->Precision) +
                        (f.Object->WithTimeZone ? "/tz" : ""));
    EXPECT_EQ(types, (std::vector<std::string>{"A:7/34", "B:7/16", "C:20/0/tz", "D:19/0", "E:44/0", "F:76/0",
                                               "G:97/0", "H:19/0/tz"}));
    // INT128 has no type code of its own: kept by its name, written back so.
    EXPECT_EQ(t->Fields.Find("G")->DomainName, "INT128");
    EXPECT_TRUE(run.objs.FindDomain("DZ")->BaseField->WithTimeZone);
}

namespace {

// One statement after a script that makes one object of each kind: the kind
// it is handed on with, an object it takes away and one it leaves or makes.
struct TStatementRow {
    const char* Statement;
    const char* Kind;
    const char* Gone;
    const char* Kept;
    friend void PrintTo(const TStatementRow& r, std::ostream* os) { *os << r.Statement; }
};

const std::string kEveryKind =
    "CREATE DOMAIN D AS INTEGER;\nCREATE TABLE T (ID INTEGER NOT NULL, A INTEGER, B D, CONSTRAINT PK_T PRIMARY KEY (ID),"
    " CONSTRAINT UQ_A UNIQUE (A));\nCREATE TABLE U (X INTEGER);\nCREATE INDEX IX_X ON U (X);\n"
    "CREATE VIEW V AS SELECT ID FROM T;\nCREATE ROLE R;\nCREATE SEQUENCE S;\nCREATE EXCEPTION E 'e';\n"
    "CREATE COLLATION C_NOPAD FOR UTF8 FROM UNICODE NO PAD;\n"
    "CREATE TABLE W (K INTEGER NOT NULL, L INTEGER, M INTEGER, CONSTRAINT PK_W PRIMARY KEY (K),"
    " CONSTRAINT UQ_LM UNIQUE (L, M));\nCREATE TABLE Y (K INTEGER, N INTEGER, CONSTRAINT FK_Y FOREIGN KEY (K) REFERENCES W);\n"
    "DECLARE EXTERNAL FUNCTION UDF1 INTEGER RETURNS INTEGER BY VALUE ENTRY_POINT 'x' MODULE_NAME 'y';\n" +
    kTerm +
    "CREATE PROCEDURE P AS BEGIN END^\nCREATE FUNCTION F RETURNS INTEGER AS BEGIN RETURN 1; END^\n"
    "CREATE PACKAGE PKG AS BEGIN PROCEDURE Q; END^\nCREATE PACKAGE BODY PKG AS BEGIN PROCEDURE Q AS BEGIN END END^\n"
    "CREATE TRIGGER TR FOR U BEFORE INSERT AS BEGIN END^\n" +
    kTermBack + "COMMIT;\n";

class IBScriptDropStatements : public ::testing::TestWithParam<TStatementRow> {};

} // namespace

TEST_P(IBScriptDropStatements, HandedOnWithItsKindAndApplied)
{
    const TStatementRow& r = GetParam();
    const std::string script = kEveryKind + r.Statement + ";\n";
    const TIBScriptRun run(script);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    ASSERT_FALSE(run.Statements.empty());
    const auto& st = run.Statements.back();
    EXPECT_EQ(std::string(qeltest::kStatTypes[st.Type]) + "|" + st.Name + "|" + qeltest::kObjects[st.Kind] + "|" +
                  st.Parent,
              r.Kind);
    const std::set<std::string> objects = qeltest::CollectionObjects(run);
    EXPECT_FALSE(objects.contains(r.Gone)) << r.Gone;
    EXPECT_TRUE(objects.contains(r.Kept)) << r.Kept;
    if (!qeltest::IsqlInstalled()) QEL_SKIP_OR_FAIL("isql-fb is not installed");
    EXPECT_EQ(objects, qeltest::IsqlObjects(script));
}

INSTANTIATE_TEST_SUITE_P(
    Firebird3, IBScriptDropStatements,
    ::testing::Values(
        TStatementRow{"DROP TABLE U", "stStatement|U|dboTable|", "INDEX:IX_X", "TABLE:T"},
        TStatementRow{"DROP VIEW V", "stStatement|V|dboView|", "VIEW:V", "TABLE:T"},
        TStatementRow{"DROP PROCEDURE P", "stStatement|P|dboProcedure|", "PROCEDURE:P", "FUNCTION:F"},
        TStatementRow{"DROP FUNCTION F", "stStatement|F|dboFunction|", "FUNCTION:F", "PROCEDURE:P"},
        TStatementRow{"DROP EXTERNAL FUNCTION UDF1", "stStatement|UDF1|dboFunction|", "UDF:UDF1", "FUNCTION:F"},
        TStatementRow{"DROP PACKAGE PKG", "stStatement|PKG|dboPackage|", "PACKAGE:PKG", "PROCEDURE:P"},
        TStatementRow{"DROP PACKAGE BODY PKG", "stStatement|PKG|dboPackage|", "VIEW:none", "PACKAGE:PKG"},
        TStatementRow{"DROP ROLE R", "stStatement|R|dboRole|", "ROLE:R", "TABLE:T"},
        TStatementRow{"DROP SEQUENCE S", "stStatement|S|dboGenerator|", "GENERATOR:S", "TABLE:T"},
        TStatementRow{"DROP GENERATOR S", "stStatement|S|dboGenerator|", "GENERATOR:S", "TABLE:T"},
        TStatementRow{"DROP EXCEPTION E", "stStatement|E|dboException|", "EXCEPTION:E", "TABLE:T"},
        TStatementRow{"DROP INDEX IX_X", "stStatement|IX_X|dboIndex|", "INDEX:IX_X", "TABLE:U"},
        TStatementRow{"DROP TRIGGER TR", "stStatement|TR|dboTrigger|", "TRIGGER:TR", "TABLE:U"},
        TStatementRow{"DROP COLLATION C_NOPAD", "stStatement|C_NOPAD|dboCollation|", "VIEW:none", "TABLE:T"},
        TStatementRow{"ALTER TABLE T DROP B", "stStatement|B|dboField|T", "COLUMN:T.B", "DOMAIN:D"},
        TStatementRow{"ALTER TABLE T DROP A", "stStatement|A|dboField|T", "CONSTRAINT:UQ_A", "CONSTRAINT:PK_T"},
        TStatementRow{"ALTER TABLE Y DROP CONSTRAINT FK_Y", "stStatement|FK_Y|dboConstraint|Y", "CONSTRAINT:FK_Y",
                      "CONSTRAINT:PK_W"},
        TStatementRow{"ALTER TABLE Y DROP K", "stStatement|K|dboField|Y", "CONSTRAINT:FK_Y", "COLUMN:Y.N"},
        TStatementRow{"ALTER TABLE T DROP CONSTRAINT UQ_A", "stStatement|UQ_A|dboConstraint|T", "CONSTRAINT:UQ_A",
                      "CONSTRAINT:PK_T"},
        TStatementRow{"ALTER TABLE U ALTER COLUMN X TO Y", "stStatement|X|dboField|U", "COLUMN:U.X", "COLUMN:U.Y"},
        TStatementRow{"ALTER TABLE U ALTER X TO \"y z\"", "stStatement|X|dboField|U", "COLUMN:U.X", "COLUMN:U.y z"},
        TStatementRow{"ALTER DOMAIN D TO D2", "stStatement|D|dboDomain|", "DOMAIN:D", "DOMAIN:D2"},
        TStatementRow{"RECREATE TABLE U (Z INTEGER)", "stStatement|U|dboTable|", "TRIGGER:TR", "COLUMN:U.Z"},
        TStatementRow{"RECREATE EXCEPTION E 'f'", "stStatement|E|dboException|", "VIEW:none", "EXCEPTION:E"},
        TStatementRow{"RECREATE VIEW V AS SELECT A FROM T", "stStatement|V|dboView|", "VIEW:none", "VIEW:V"},
        TStatementRow{"CREATE OR ALTER VIEW V AS SELECT A FROM T", "stStatement|V|dboView|", "VIEW:none", "VIEW:V"}));

namespace {

// A statement the server refuses after kEveryKind: the warning the parser
// gives, and the collection is still the database.
struct TRefusedRow {
    const char* Statement;
    const char* Warning;
    friend void PrintTo(const TRefusedRow& r, std::ostream* os) { *os << r.Statement; }
};

class IBScriptRefusedChanges : public ::testing::TestWithParam<TRefusedRow> {};

} // namespace

TEST_P(IBScriptRefusedChanges, TheCollectionKeepsWhatTheServerKeeps)
{
    const TRefusedRow& r = GetParam();
    const std::string script = kEveryKind + kTerm +
                               "CREATE PROCEDURE PD (X D) AS DECLARE Y INTEGER; BEGIN SELECT X FROM U INTO :Y; END^\n" +
                               kTermBack + "COMMIT;\n" + r.Statement + ";\n";
    const TIBScriptRun run(script);
    ASSERT_EQ(run.Messages().size(), 1u);
    EXPECT_EQ(run.Messages().front().substr(0, run.Messages().front().find(" @")), r.Warning);
    // Every object keeps the links it had before the statement.
    const TIBScriptRun before(script.substr(0, script.size() - std::string(r.Statement).size() - 2));
    EXPECT_EQ(run.Objects(), before.Objects());
    for (const std::string& object : before.Objects()) EXPECT_EQ(run.Links(object), before.Links(object)) << object;
    if (!qeltest::IsqlInstalled()) QEL_SKIP_OR_FAIL("isql-fb is not installed");
    EXPECT_EQ(qeltest::CollectionObjects(run), qeltest::IsqlObjects(script, true));
}

INSTANTIATE_TEST_SUITE_P(
    Firebird3, IBScriptRefusedChanges,
    ::testing::Values(
        TRefusedRow{"ALTER TABLE W DROP L",
                    "DROP L: the column is used by UQ_LM; the server refuses the drop, and the collection keeps it."},
        TRefusedRow{"ALTER TABLE W DROP K",
                    "DROP K: the column is used by FK_Y; the server refuses the drop, and the collection keeps it."},
        TRefusedRow{"DROP TABLE W", "DROP W: still used by FK_Y; the server refuses the drop, and the collection keeps it."},
        TRefusedRow{"ALTER TABLE W ALTER K TO K2", "ALTER COLUMN K TO K2: the column is used by PK_W; the server "
                                                   "refuses the rename, and the collection keeps the name."},
        TRefusedRow{"ALTER TABLE W DROP CONSTRAINT PK_W", "DROP CONSTRAINT PK_W: the key is used by FK_Y; the "
                                                          "server refuses the drop, and the collection keeps it."},
        TRefusedRow{"RECREATE TABLE T (Z INTEGER)",
                    "RECREATE T: still used by V; the server refuses the drop, and the collection keeps it."},
        // The refused table's constraints and indexes go nowhere either.
        TRefusedRow{"RECREATE TABLE T (Z INTEGER NOT NULL, CONSTRAINT PK_Z PRIMARY KEY (Z), CONSTRAINT UQ_Z UNIQUE "
                    "(Z), CONSTRAINT FK_Z FOREIGN KEY (Z) REFERENCES W, CONSTRAINT CK_Z CHECK (Z > 0))",
                    "RECREATE T: still used by V; the server refuses the drop, and the collection keeps it."},
        TRefusedRow{"RECREATE TABLE U (X D NOT NULL PRIMARY KEY, Q INTEGER REFERENCES W UNIQUE)",
                    "RECREATE U: still used by PD; the server refuses the drop, and the collection keeps it."},
        TRefusedRow{"DROP DOMAIN D", "DROP D: still used by T; the server refuses the drop, and the collection keeps it."},
        TRefusedRow{"DROP TABLE T", "DROP T: still used by V; the server refuses the drop, and the collection keeps it."},
        TRefusedRow{"DROP TABLE U", "DROP U: still used by PD; the server refuses the drop, and the collection keeps it."},
        TRefusedRow{"ALTER TABLE T DROP ID",
                    "DROP ID: the column is used by V; the server refuses the drop, and the collection keeps it."},
        TRefusedRow{"ALTER TABLE U DROP X",
                    "DROP X: the column is used by PD; the server refuses the drop, and the collection keeps it."},
        TRefusedRow{"ALTER TABLE T ALTER ID TO ID2", "ALTER COLUMN ID TO ID2: the column is used by V; the server "
                                                     "refuses the rename, and the collection keeps the name."},
        TRefusedRow{"ALTER TABLE T ALTER A TO A2", "ALTER COLUMN A TO A2: the column is used by UQ_A; the server "
                                                   "refuses the rename, and the collection keeps the name."},
        TRefusedRow{"ALTER DOMAIN D TO D2", "ALTER DOMAIN D TO D2: the domain is used by PD; the server refuses the "
                                            "rename, and the collection keeps the name."}));

// ALTER COLUMN C POSITION n moves the column as the server moves it.
TEST(IBScriptPosition, ColumnsTakeTheServersOrder)
{
    const std::string script = "CREATE TABLE T (A INTEGER, B INTEGER, C INTEGER, D INTEGER);\nCOMMIT;\n"
                               "ALTER TABLE T ALTER D POSITION 1;\nALTER TABLE T ALTER A POSITION 3;\n"
                               "ALTER TABLE T ALTER COLUMN B POSITION 10;\n";
    const TIBScriptRun run(script);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    std::string order;
    for (const auto& field : run.objs.FindTable("T")->Fields) order += field.Name;
    EXPECT_EQ(order, "DACB");
    if (!qeltest::IsqlInstalled()) QEL_SKIP_OR_FAIL("isql-fb is not installed");
    const std::string extract = qeltest::IsqlExtract(script);
    EXPECT_NE(extract.find("(D INTEGER,\n        A INTEGER,\n        C INTEGER,\n        B INTEGER)"), std::string::npos)
        << extract;
}

namespace {

// Each privilege the user's database holds, one a line:
// "T>U:U(A)+" is UPDATE of column A on T to U with the grant option,
// "R>U:M" membership of role R.
const char* const kPrivilegesQuery = R"(SET HEADING OFF;
SET LIST OFF;
SELECT CAST(TRIM(RDB$RELATION_NAME) || '>' || TRIM(RDB$USER) || ':' || TRIM(RDB$PRIVILEGE) ||
  COALESCE('(' || TRIM(RDB$FIELD_NAME) || ')', '') || IIF(COALESCE(RDB$GRANT_OPTION, 0) > 0, '+', '') AS VARCHAR(300))
FROM RDB$USER_PRIVILEGES WHERE RDB$USER <> 'SYSDBA' AND RDB$RELATION_NAME NOT LIKE 'RDB$%'
AND RDB$RELATION_NAME NOT LIKE 'MON$%' AND RDB$RELATION_NAME NOT LIKE 'SEC$%' AND RDB$RELATION_NAME NOT LIKE 'SQL$%';
)";

// The lines Query gives on the database Script builds without an error.
std::set<std::string> IsqlRows(const std::string& Script, const std::string& Query)
{
    qeltest::TempDir dir;
    const std::string out = qeltest::RunIsql(dir, Script);
    EXPECT_EQ(out.find("Statement failed"), std::string::npos) << out;
    qeltest::WriteFile(dir.File("q.sql"), Query);
    std::system(("cd '" + dir.Path().string() + "' && isql-fb -q -user SYSDBA -password masterkey forms.fdb -i q.sql "
                 ">q.out 2>&1").c_str());
    std::set<std::string> rows;
    std::istringstream lines(qeltest::ReadFile(dir.File("q.out")));
    for (std::string line; std::getline(lines, line);) {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
        if (!line.empty()) rows.insert(line);
    }
    return rows;
}

std::set<std::string> IsqlPrivileges(const std::string& Script) { return IsqlRows(Script, kPrivilegesQuery); }

// The same rows of the collection's grants (those of DDL privileges aside).
std::set<std::string> CollectionPrivileges(const TIBScriptRun& Run)
{
    static const std::pair<TPrivilege, const char*> kLetters[] = {
        {TPrivilege::prSelect, "S"}, {TPrivilege::prInsert, "I"},     {TPrivilege::prUpdate, "U"},
        {TPrivilege::prDelete, "D"}, {TPrivilege::prReferences, "R"}, {TPrivilege::prExecute, "X"},
        {TPrivilege::prUsage, "G"}};
    std::set<std::string> rows;
    for (const auto& item : Run.objs.Grants) {
        const auto* g = dynamic_cast<const TGntData*>(item.Object);
        if (g == nullptr || !g->Text.empty()) continue;
        const std::string head = g->ObjectName + ">" + g->Grantee + ":";
        const std::string option = g->GrantOption != 0 ? "+" : "";
        if (g->ObjectKind == TDbObject::dboRole) {
            rows.insert(head + "M" + option);
            continue;
        }
        for (const auto& [privilege, letter] : kLetters) {
            if (!g->Privileges.Contains(privilege)) continue;
            if (g->Columns.Empty()) rows.insert(head + letter + option);
            for (const std::string& column : g->Columns.Lines()) rows.insert(head + letter + "(" + column + ")" + option);
        }
    }
    return rows;
}

// A script that grants and revokes; the privileges left, as the rows above.
struct TRevokeRow {
    const char* Name;
    std::string Script;
    std::set<std::string> Left;
    friend void PrintTo(const TRevokeRow& r, std::ostream* os) { *os << r.Name; }
};

class IBScriptRevokes : public ::testing::TestWithParam<TRevokeRow> {};

const std::string kGrantObjects =
    "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, A INTEGER, B INTEGER);\nCREATE VIEW V AS SELECT ID, A FROM T;\n"
    "CREATE ROLE R;\nCREATE ROLE R2;\nCREATE SEQUENCE S;\nCREATE EXCEPTION E 'e';\n" + kTerm +
    "CREATE PROCEDURE P AS BEGIN END^\nCREATE FUNCTION F RETURNS INTEGER AS BEGIN RETURN 1; END^\n"
    "CREATE PACKAGE PKG AS BEGIN PROCEDURE Q; END^\nCREATE PACKAGE BODY PKG AS BEGIN PROCEDURE Q AS BEGIN END END^\n"
    "CREATE TRIGGER TR FOR T BEFORE INSERT AS BEGIN END^\n" + kTermBack;

} // namespace

TEST_P(IBScriptRevokes, TheCollectionKeepsTheGrantsTheServerKeeps)
{
    const TRevokeRow& r = GetParam();
    const std::string script = kGrantObjects + r.Script;
    const TIBScriptRun run(script);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    EXPECT_EQ(CollectionPrivileges(run), r.Left);
    if (!qeltest::IsqlInstalled()) QEL_SKIP_OR_FAIL("isql-fb is not installed");
    EXPECT_EQ(IsqlPrivileges(script), r.Left);
}

INSTANTIATE_TEST_SUITE_P(
    Firebird3, IBScriptRevokes,
    ::testing::Values(
        TRevokeRow{"PrivilegesAndColumns",
                   "GRANT SELECT, UPDATE ON T TO U1;\nGRANT UPDATE (A, B) ON T TO U2;\nGRANT UPDATE (A, B) ON T TO "
                   "U3;\n"
                   "GRANT UPDATE, REFERENCES (ID) ON T TO U4;\nREVOKE UPDATE ON T FROM U1;\n"
                   "REVOKE UPDATE ON T FROM U2;\nREVOKE UPDATE (A) ON T FROM U3;\nREVOKE UPDATE (A) ON T FROM U4;\n"
                   "REVOKE REFERENCES (ID) ON T FROM U4;\n",
                   {"T>U1:S", "T>U3:U(B)", "T>U4:U"}},
        TRevokeRow{"GrantOptionAlone",
                   "GRANT SELECT, UPDATE ON T TO U1 WITH GRANT OPTION;\n"
                   "GRANT UPDATE (A, B) ON T TO U2 WITH GRANT OPTION;\nGRANT ALL ON V TO U3 WITH GRANT OPTION;\n"
                   "GRANT SELECT ON T TO U4;\nREVOKE GRANT OPTION FOR UPDATE ON T FROM U1;\n"
                   "REVOKE GRANT OPTION FOR UPDATE (A) ON T FROM U2;\nREVOKE GRANT OPTION FOR ALL ON V FROM U3;\n"
                   "REVOKE GRANT OPTION FOR SELECT ON T FROM U4;\n",
                   {"T>U1:S+", "T>U1:U", "T>U2:U(A)", "T>U2:U(B)+", "V>U3:S", "V>U3:I", "V>U3:U", "V>U3:D",
                    "V>U3:R", "T>U4:S"}},
        TRevokeRow{"AllOnAnObject",
                   "GRANT ALL ON T TO U1;\nGRANT SELECT, UPDATE (A) ON T TO U2;\nGRANT SELECT ON V TO PUBLIC;\n"
                   "REVOKE ALL ON T FROM U1;\nREVOKE ALL ON T FROM U2;\nREVOKE ALL PRIVILEGES ON V FROM PUBLIC;\n",
                   {}},
        TRevokeRow{"Roles",
                   "GRANT R, R2 TO U1 WITH ADMIN OPTION;\nGRANT R TO U2;\nGRANT R TO R2;\n"
                   "REVOKE ADMIN OPTION FOR R FROM U1;\nREVOKE R2 FROM U1;\nREVOKE R FROM USER U2;\n"
                   "REVOKE R FROM R2;\n",
                   {"R>U1:M"}},
        TRevokeRow{"GranteeKinds",
                   "GRANT SELECT ON T TO PROCEDURE P, FUNCTION F, PACKAGE PKG, TRIGGER TR, VIEW V, ROLE R;\n"
                   "GRANT SELECT ON T TO USER P, USER R;\n"
                   "REVOKE SELECT ON T FROM PROCEDURE P, FUNCTION F, PACKAGE PKG;\n"
                   "REVOKE SELECT ON T FROM TRIGGER TR, VIEW V;\nREVOKE SELECT ON T FROM R;\n",
                   {"T>P:S", "T>R:S"}},
        TRevokeRow{"RoutinesSequencesExceptions",
                   "GRANT EXECUTE ON PROCEDURE P TO U1;\nGRANT EXECUTE ON FUNCTION F TO U1;\n"
                   "GRANT EXECUTE ON PACKAGE PKG TO U1;\nGRANT USAGE ON SEQUENCE S TO U1;\n"
                   "GRANT USAGE ON EXCEPTION E TO U1;\nGRANT USAGE ON GENERATOR S TO U2 GRANTED BY SYSDBA;\n"
                   "REVOKE EXECUTE ON PROCEDURE P FROM U1;\nREVOKE EXECUTE ON PACKAGE PKG FROM U1;\n"
                   "REVOKE USAGE ON SEQUENCE S FROM U1;\nREVOKE USAGE ON SEQUENCE S FROM U2 GRANTED BY SYSDBA;\n",
                   {"F>U1:X", "E>U1:G"}},
        TRevokeRow{"NeverGrantedLeavesTheRest",
                   "GRANT SELECT ON T TO U1;\nREVOKE INSERT ON T FROM U1;\nREVOKE SELECT ON V FROM U1;\n"
                   "REVOKE SELECT ON T FROM U2;\nREVOKE R FROM U1;\n",
                   {"T>U1:S"}}));

// Privileges of DDL go as the server takes them back; others stay.
TEST(IBScriptRevokes, DdlPrivileges)
{
    const TIBScriptRun run("GRANT CREATE TABLE TO USER BOB;\nGRANT ALTER ANY  procedure TO USER BOB;\n"
                           "GRANT CREATE TABLE TO USER ANN;\nREVOKE CREATE TABLE FROM USER BOB;\n");
    std::vector<std::string> left;
    for (const auto& item : run.objs.Grants)
        if (const auto* g = dynamic_cast<const TGntData*>(item.Object)) left.push_back(g->Grantee + ":" + g->Text);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"ANN:GRANT CREATE TABLE TO USER ANN",
                                              "BOB:GRANT ALTER ANY  procedure TO USER BOB"}));
}

// A DDL privilege granted to several grantees in one statement and taken
// back from one: the collection's script must not give it back to him.
TEST(IBScriptRevokes, DdlPrivilegeOfSeveralGrantees)
{
    const std::string script = "GRANT CREATE TABLE TO USER BOB, ROLE R1,USER ANN WITH GRANT OPTION;\n"
                               "REVOKE CREATE TABLE FROM USER BOB;\n";
    const TIBScriptRun run("CREATE ROLE R1;\n" + script);
    std::vector<std::string> left;
    std::string regrant = "COMMIT;\n";
    for (const auto& item : run.objs.Grants)
        if (const auto* g = dynamic_cast<const TGntData*>(item.Object)) {
            left.push_back(g->Grantee + ":" + g->Text);
            regrant += g->GetCreateDDL() + ";\n";
        }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"ANN:GRANT CREATE TABLE TO USER ANN WITH GRANT OPTION",
                                              "R1:GRANT CREATE TABLE TO ROLE R1 WITH GRANT OPTION"}));
    if (!qeltest::IsqlInstalled()) QEL_SKIP_OR_FAIL("isql-fb is not installed");
    qeltest::ExpectIsqlRuns("CREATE ROLE R1;\n" + regrant);
}

namespace {

// Column privileges after a column goes or takes a new name: the privileges
// the collection grants, those the server keeps besides under a column name
// the table no longer has (no script can grant them), and the warnings.
struct TColumnGrantRow {
    const char* Name;
    std::string Script;
    std::set<std::string> Grants;
    std::set<std::string> Stale = {};
    std::vector<std::string> Messages = {};
    friend void PrintTo(const TColumnGrantRow& r, std::ostream* os) { *os << r.Name; }
};

class IBScriptColumnGrants : public ::testing::TestWithParam<TColumnGrantRow> {};

} // namespace

TEST_P(IBScriptColumnGrants, TheCollectionGrantsWhatTheServerGrants)
{
    const TColumnGrantRow& r = GetParam();
    const TIBScriptRun run(r.Script);
    EXPECT_EQ(run.Messages(), r.Messages);
    const std::set<std::string> grants = CollectionPrivileges(run);
    EXPECT_EQ(grants, r.Grants);
    if (!qeltest::IsqlInstalled()) QEL_SKIP_OR_FAIL("isql-fb is not installed");
    std::set<std::string> server = grants;
    server.insert(r.Stale.begin(), r.Stale.end());
    EXPECT_EQ(IsqlPrivileges(r.Script), server);
    // Each grant the collection writes is one the server takes.
    std::string regrant = "COMMIT;\n";
    for (const auto& item : run.objs.Grants) regrant += item.Object->GetCreateDDL() + ";\n";
    qeltest::ExpectIsqlRuns(r.Script + regrant);
}

INSTANTIATE_TEST_SUITE_P(
    Firebird3, IBScriptColumnGrants,
    ::testing::Values(
        TColumnGrantRow{"DropColumnTakesItsPrivileges",
                        "CREATE TABLE T (A INTEGER, B INTEGER, C INTEGER);\nGRANT UPDATE (A, B) ON T TO USER JOE;\n"
                        "GRANT REFERENCES (B) ON T TO USER JOE;\nGRANT SELECT ON T TO USER JOE;\nCOMMIT;\n"
                        "ALTER TABLE T DROP B;\n",
                        {"T>JOE:U(A)", "T>JOE:S"}},
        TColumnGrantRow{"DropColumnsInOneStatement",
                        "CREATE TABLE T (A INTEGER, B INTEGER, C INTEGER);\nGRANT UPDATE (B, C) ON T TO USER JOE;\n"
                        "GRANT REFERENCES (A, C) ON T TO USER JOE WITH GRANT OPTION;\nCOMMIT;\n"
                        "ALTER TABLE T DROP B, DROP C;\n",
                        {"T>JOE:R(A)+"}},
        TColumnGrantRow{"RenameLeavesThePrivilegeUnderTheOldName",
                        "CREATE TABLE T (A INTEGER, C INTEGER);\nGRANT UPDATE (A, C) ON T TO USER JOE;\n"
                        "GRANT REFERENCES (C) ON T TO USER JOE;\nCOMMIT;\nALTER TABLE T ALTER C TO D;\n",
                        {"T>JOE:U(A)"},
                        {"T>JOE:U(C)", "T>JOE:R(C)"},
                        {"ALTER COLUMN C TO D: the server keeps the privileges on C under that name, which no GRANT "
                         "can give while T has no such column; the collection drops them. @5:28"}}));

// REVOKE ALL ON ALL takes every privilege and role of its grantees, and
// leaves the others' (the server needs its security database for it, which
// an embedded isql-fb beside the running server cannot open).
TEST(IBScriptRevokes, AllOnAll)
{
    const TIBScriptRun run(kGrantObjects +
                           "GRANT SELECT, UPDATE (A) ON T TO U1 WITH GRANT OPTION;\nGRANT EXECUTE ON PROCEDURE P TO U1;\n"
                           "GRANT R TO U1;\nGRANT USAGE ON SEQUENCE S TO PROCEDURE P;\nGRANT SELECT ON T TO U2;\n"
                           "GRANT SELECT ON T TO PROCEDURE P;\nREVOKE ALL ON ALL FROM U1, PROCEDURE P;\n");
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    EXPECT_EQ(CollectionPrivileges(run), std::set<std::string>{"T>U2:S"});
}

// ALTER VIEW and CREATE OR ALTER VIEW change the view in place whatever
// stands between their words.
INSTANTIATE_TEST_SUITE_P(
    AlterViewWords, IBScriptChanges,
    ::testing::Values(
        TChangeRow{"AlterViewWithACommentBetween",
                   "CREATE TABLE T (A INTEGER, B INTEGER);\nCREATE VIEW V AS SELECT A FROM T;\nCOMMIT;\n"
                   "ALTER /*x*/ VIEW V AS SELECT B AS A FROM T;\n",
                   {{"VIEW:V", {"T", "T.B"}}}},
        TChangeRow{"CreateOrAlterViewWithLineComments",
                   "CREATE TABLE T (A INTEGER, B INTEGER);\nCREATE VIEW V AS SELECT A FROM T;\nCOMMIT;\n"
                   "CREATE -- c\nOR /* d */ ALTER -- e\nVIEW V AS SELECT B AS A FROM T;\n",
                   {{"VIEW:V", {"T", "T.B"}}}}));

namespace {

// A view's column descriptions after ALTER VIEW: "V.X=x" for each, in the
// collection and in the database.
struct TViewDescriptionRow {
    const char* Name;
    std::string Script;
    std::set<std::string> Descriptions;
    friend void PrintTo(const TViewDescriptionRow& r, std::ostream* os) { *os << r.Name; }
};

class IBScriptViewDescriptions : public ::testing::TestWithParam<TViewDescriptionRow> {};

std::set<std::string> IsqlViewDescriptions(const std::string& Script)
{
    return IsqlRows(Script,
                    "SET HEADING OFF;\nSELECT CAST(TRIM(F.RDB$RELATION_NAME) || '.' || TRIM(F.RDB$FIELD_NAME) || "
                    "'=' || F.RDB$DESCRIPTION AS VARCHAR(200)) FROM RDB$RELATION_FIELDS F JOIN RDB$RELATIONS R "
                    "ON R.RDB$RELATION_NAME = F.RDB$RELATION_NAME WHERE R.RDB$VIEW_BLR IS NOT NULL AND "
                    "COALESCE(R.RDB$SYSTEM_FLAG, 0) = 0 AND F.RDB$DESCRIPTION IS NOT NULL;\n");
}

} // namespace

TEST_P(IBScriptViewDescriptions, AColumnWhoseNameStaysKeepsItsDescription)
{
    const TViewDescriptionRow& r = GetParam();
    const TIBScriptRun run(r.Script);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    std::set<std::string> descriptions;
    for (const auto& item : run.objs.Views)
        if (const auto* view = dynamic_cast<const TViwData*>(item.Object))
            for (const auto& column : view->Columns)
                if (!column.Object->Description().empty())
                    descriptions.insert(view->Name() + "." + column.Name + "=" + column.Object->Description());
    EXPECT_EQ(descriptions, r.Descriptions);
    if (!qeltest::IsqlInstalled()) QEL_SKIP_OR_FAIL("isql-fb is not installed");
    EXPECT_EQ(IsqlViewDescriptions(r.Script), descriptions);
}

INSTANTIATE_TEST_SUITE_P(
    Firebird3, IBScriptViewDescriptions,
    ::testing::Values(
        TViewDescriptionRow{"ColumnList",
                            "CREATE TABLE T (A INTEGER, B INTEGER);\nCREATE VIEW V (X, Y) AS SELECT A, B FROM T;\n"
                            "COMMENT ON COLUMN V.X IS 'x';\nCOMMENT ON COLUMN V.Y IS 'y';\nCOMMIT;\n"
                            "ALTER VIEW V (X, Z) AS SELECT A, B FROM T;\n",
                            {"V.X=x"}},
        TViewDescriptionRow{"NamesFromTheSelect",
                            "CREATE TABLE T (A INTEGER, B INTEGER);\nCREATE VIEW W AS SELECT A, B FROM T;\n"
                            "COMMENT ON COLUMN W.A IS 'a';\nCOMMENT ON COLUMN W.B IS 'b';\nCOMMIT;\n"
                            "CREATE OR ALTER VIEW W AS SELECT B AS A FROM T;\n",
                            {"W.A=a"}},
        TViewDescriptionRow{"RecreateLosesThem",
                            "CREATE TABLE T (A INTEGER, B INTEGER);\nCREATE VIEW V (X, Y) AS SELECT A, B FROM T;\n"
                            "COMMENT ON COLUMN V.X IS 'x';\nCOMMIT;\nRECREATE VIEW V (X, Y) AS SELECT A, B FROM T;\n",
                            {}}));

namespace {

// EXIT or QUIT in an INPUT file: what the file holds, what the including
// script holds after the INPUT (from the next line: isql still runs what
// stands on the INPUT's own line), and the warnings (without their places).
struct TInputExitRow {
    const char* Name;
    std::string File;
    std::string After;
    std::vector<std::string> Warnings;
    friend void PrintTo(const TInputExitRow& r, std::ostream* os) { *os << r.Name; }
};

class IBScriptInputExit : public ::testing::TestWithParam<TInputExitRow> {};

} // namespace

TEST_P(IBScriptInputExit, TheRestOfEachScriptIsSaidToBeUnread)
{
    const TInputExitRow& r = GetParam();
    qeltest::TempDir dir;
    qeltest::WriteFile(dir.File("in.sql"), r.File);
    const std::string script = "CREATE TABLE T1 (A INTEGER);\nINPUT '" + dir.File("in.sql") + "';" + r.After;
    const TIBScriptRun run(script);
    std::vector<std::string> warnings;
    for (const std::string& m : run.Messages()) warnings.push_back(m.substr(0, m.find(" @")));
    EXPECT_EQ(warnings, r.Warnings);
    EXPECT_EQ(run.Objects(), (std::set<std::string>{"TABLE:IN1", "TABLE:T1"}));
    if (!qeltest::IsqlInstalled()) QEL_SKIP_OR_FAIL("isql-fb is not installed");
    EXPECT_EQ(qeltest::CollectionObjects(run), qeltest::IsqlObjects(script));
}

INSTANTIATE_TEST_SUITE_P(
    Firebird3, IBScriptInputExit,
    ::testing::Values(
        TInputExitRow{"ExitWithTextAfterBoth", "CREATE TABLE IN1 (A INTEGER);\nEXIT;\nCREATE TABLE IN2 (A INTEGER);\n",
                      "\nCREATE TABLE T2 (A INTEGER);\n",
                      {"Not read: the rest of the script after EXIT.", "Not read: the rest of the script after EXIT."}},
        TInputExitRow{"ExitEndingTheFile", "CREATE TABLE IN1 (A INTEGER);\nEXIT;\n", "\nCREATE TABLE T2 (A INTEGER);\n",
                      {"Not read: the rest of the script after EXIT."}},
        TInputExitRow{"QuitWithNothingAfterTheInput", "CREATE TABLE IN1 (A INTEGER);\nQUIT;\n", "\n  \n",
                      {}},
        TInputExitRow{"QuitWithTextAfterTheInput", "CREATE TABLE IN1 (A INTEGER);\nQUIT;\n", "\nDROP TABLE T1;\n",
                      {"Not read: the rest of the script after QUIT."}}));
