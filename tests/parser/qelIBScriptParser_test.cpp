#include "qelIBScriptParser.h"

#include "qelComp_Ctr.h"
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
#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelIBScriptTestSupport.h"
#include "qelParseTestSupport.h"
#include "qelSQLParserTestSupport.h"
#include "qelTestSupport.h"
#include "qelText.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

using namespace qel;
using V = TIBSQLServerVersionType;

namespace {

using qeltest::kObjects;
using qeltest::kOperations;
using qeltest::kStatTypes;

// Parses a script into a collection and records what the parser reports:
// statements as "StatType|ObjName|ObjType|Operation|ParentName|SQL".
struct TRun : qeltest::TParseRun<TIbParser> {
    explicit TRun(const std::string& Text, V Version = V::st_Firebird_25, const std::string& Name = "s.sql")
        : TParseRun(TDatabaseType::dbInterBase, Name)
    {
        objs.IBServerOptions().SQLServerVersion = Version;
        ParseScript(Text);
        for (const TParsedStatement& s : Parsed) {
            const auto ot = static_cast<std::size_t>(s.ObjType);
            const std::string kind = std::string(kStatTypes[static_cast<int>(s.StatType)]) + "|" + s.ObjName + "|" +
                                     (ot < std::size(kObjects) ? kObjects[ot] : std::to_string(ot)) + "|" +
                                     kOperations[static_cast<int>(s.Operation)] + "|" + s.ParentName;
            KindList.push_back(kind);
            Statements.push_back(kind + "|" + s.SQL);
        }
    }
    // Every stored message as "kind text @line:column" (the base leaves the
    // kind out).
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < parser->Messages().Count(); ++i) {
            const TMsgData& m = parser->Messages().Items(i);
            out.push_back(std::string(m.Kind == TMsgKind::mkError ? "E " : "W ") + m.Text + " @" +
                          std::to_string(m.Line) + ":" + std::to_string(m.Column));
        }
        return out;
    }
    // The statements cut to "StatType|ObjName|ObjType|Operation|ParentName".
    const std::vector<std::string>& Kinds() const { return KindList; }

    std::vector<std::string> Statements, KindList;
};

} // namespace

// ---- statements -------------------------------------------------------------

struct TStatementCase {
    std::string Name, Script;
    V Version;
    std::vector<std::string> Statements, Messages;
    friend void PrintTo(const TStatementCase& c, std::ostream* os) { *os << c.Name; }
};

class IBScriptStatements : public ::testing::TestWithParam<TStatementCase> {};

TEST_P(IBScriptStatements, EachStatementWholeOnceWithItsKind)
{
    const TStatementCase& c = GetParam();
    TRun run(c.Script, c.Version);
    EXPECT_EQ(run.Statements, c.Statements);
    EXPECT_EQ(run.Messages(), c.Messages);
    EXPECT_EQ(run.parser->Terminator(), ";");
}

const TStatementCase kStatementCases[] = {
    {"Dml",
     "INSERT INTO T VALUES ('a;b', 'it''s'); -- c;d\n/* x; y */ UPDATE T SET A = 'x;' WHERE B = 1;\n"
     "DELETE FROM T WHERE A = ';';\nSELECT * FROM T;\nWITH X AS (SELECT 1 FROM T) SELECT * FROM X;",
     V::st_Firebird_25,
     {"stInsert|T|dboTable|odbInsert||INSERT INTO T VALUES ('a;b', 'it''s')",
      "stUpdate|T|dboTable|odbUpdate||UPDATE T SET A = 'x;' WHERE B = 1",
      "stDelete|T|dboTable|odbDelete||DELETE FROM T WHERE A = ';'", "stSelect||dboUnknown|odbUnknown||SELECT * FROM T",
      "stSelect||dboUnknown|odbUnknown||WITH X AS (SELECT 1 FROM T) SELECT * FROM X"},
     {}},
    {"SetTerm",
     "SET TERM !! ;\nCREATE EXCEPTION E 'a -- y; b' !!\nCREATE PROCEDURE P AS\nDECLARE S VARCHAR(5) = ';';\n"
     "BEGIN\n  BEGIN S = ';'; /* ; !! */ END -- !!\nEND !!\nSET TERM ; !!\nCOMMIT;\nset term !;\n"
     "execute procedure p!\nset term ;!",
     V::st_Firebird_25,
     {"stStatement|E|dboException|odbCreate||CREATE EXCEPTION E 'a -- y; b'",
      "stStatement|P|dboProcedure|odbCreate||CREATE PROCEDURE P AS\r\nDECLARE S VARCHAR(5) = ';';\r\nBEGIN\r\n"
      "  BEGIN S = ';'; /* ; !! */ END -- !!\r\nEND", "st_Commit||dboUnknown|odbCommit||COMMIT",
      "stStatement|P|dboProcedure|odbUnknown||execute procedure p"},
     {}},
    {"OwnStatementsHandNothingOn", ";;\nREINSERT INTO T VALUES (1);\nALTER SESSION RESET;", V::st_Firebird_40, {}, {}},
    // The ends of the main transaction go to the executor; the savepoint
    // statements, ROLLBACK TO among them, to the server.
    {"TransactionStatements",
     "COMMIT;\ncommit work retain snapshot;\nROLLBACK;\nrollback work retain;\nSAVEPOINT S1;\n"
     "ROLLBACK TO S1;\nrollback work to savepoint s1;\nRELEASE SAVEPOINT S1;\nrelease savepoint s1 only;\nCOMMIT",
     V::st_Firebird_30,
     {"st_Commit||dboUnknown|odbCommit||COMMIT", "st_Commit||dboUnknown|odbCommit||commit work retain snapshot",
      "st_Commit||dboUnknown|odbCommit||ROLLBACK", "st_Commit||dboUnknown|odbCommit||rollback work retain",
      "stStatement|S1|dboUnknown|odbUnknown||SAVEPOINT S1", "stStatement|S1|dboUnknown|odbUnknown||ROLLBACK TO S1",
      "stStatement|S1|dboUnknown|odbUnknown||rollback work to savepoint s1",
      "stStatement|S1|dboUnknown|odbUnknown||RELEASE SAVEPOINT S1",
      "stStatement|S1|dboUnknown|odbUnknown||release savepoint s1 only", "st_Commit||dboUnknown|odbCommit||COMMIT"},
     {}},
    {"UnknownStatementsGoWholeToTheServer",
     "FOO BAR;\nCREATE FOO X (A);\nALTER FOO;\n( 1 );\nCOMMIT WORK RETAIN;\nCREATE TABLE T (A INTEGER) X Y;",
     V::st_Firebird_25,
     {"stStatement||dboUnknown|odbUnknown||FOO BAR", "stStatement||dboUnknown|odbUnknown||CREATE FOO X (A)",
      "stStatement||dboUnknown|odbUnknown||ALTER FOO", "stStatement||dboUnknown|odbUnknown||( 1 )",
      "st_Commit||dboUnknown|odbCommit||COMMIT WORK RETAIN",
      "stStatement|T|dboTable|odbCreate||CREATE TABLE T (A INTEGER) X Y"},
     {"E Unknown statement: <Ident> @1:4", "E Unknown CREATE-statement @2:11",
      "E Unknown ALTER statement. @3:10", "E Missing/unknown: DDL-statement: <(> @4:2",
      "E Missing: <TERM> (<Ident>: X) @6:29"}},
    {"Execute",
     "EXECUTE PROCEDURE PKG.P 1, 'a;b';\nEXECUTE BLOCK (X INTEGER = 1) RETURNS (Y INTEGER) AS BEGIN Y = X; "
     "SUSPEND; END;\nEXECUTE STATEMENT 'x';",
     V::st_Firebird_25,
     {"stStatement|PKG.P|dboProcedure|odbUnknown||EXECUTE PROCEDURE PKG.P 1, 'a;b'",
      "stExecuteBlock||dboUnknown|odbUnknown||EXECUTE BLOCK (X INTEGER = 1) RETURNS (Y INTEGER) AS BEGIN Y = X",
      "stStatement||dboUnknown|odbUnknown||SUSPEND", "stStatement||dboUnknown|odbUnknown||END",
      "stStatement||dboUnknown|odbUnknown||EXECUTE STATEMENT 'x'"},
     {"E Missing/unknown: DDL-statement: SUSPEND @2:74", "E Missing/unknown: DDL-statement: END @2:79"}},
    {"SetAndConnect",
     "SET SQL DIALECT 3;\nSET NAMES win1252;\nSET BLOBFILE 'b.lob';\nSET AUTODDL OFF;\nSET GENERATOR G TO -5;\n"
     "SET STATISTICS INDEX IX;\nSET LIST ON;\nCONNECT 'db.fdb' USER 'u' PASSWORD 'p' ROLE 'r';\n"
     "CREATE DATABASE 'n.fdb' PAGE_SIZE = 8192 DEFAULT CHARACTER SET utf8 COLLATION x;\nRECONNECT;",
     V::st_Firebird_30,
     {"stSqlDialect|3|dboUnknown|odbSet||SET SQL DIALECT 3", "stSetNames|WIN1252|dboUnknown|odbSet||SET NAMES win1252",
      "stSetBlobFile|b.lob|dboUnknown|odbSet||SET BLOBFILE 'b.lob'", "stSet||dboUnknown|odbSet||SET AUTODDL OFF",
      "stStatement|G|dboGenerator|odbAlter||SET GENERATOR G TO -5",
      "stStatement|IX|dboIndex|odbSet||SET STATISTICS INDEX IX", "stSet||dboUnknown|odbSet||SET LIST ON",
      "stConnect|db.fdb|dboUnknown|odbSet||CONNECT 'db.fdb' USER 'u' PASSWORD 'p' ROLE 'r'",
      "stCreateDb|n.fdb|dboUnknown|odbSet||CREATE DATABASE 'n.fdb' PAGE_SIZE = 8192 DEFAULT CHARACTER SET utf8 "
      "COLLATION x",
      "stReconnect||dboUnknown|odbUnknown||RECONNECT"},
     {}},
    {"GrantsCommentsDropsAndAlters",
     "CREATE TABLE T (A INTEGER);\nGRANT ALL PRIVILEGES ON T TO PUBLIC WITH GRANT OPTION;\nREVOKE ALL ON T FROM U;\n"
     "COMMENT ON COLUMN T.A IS 'x';\nALTER INDEX IX ACTIVE;\nDROP SEQUENCE S;\nDESCRIBE DATABASE 'd';\n"
     "ALTER TABLE T ADD B VARCHAR(5);\nALTER TABLE T ADD CONSTRAINT PK PRIMARY KEY (A);\n"
     "ALTER TABLE T ALTER COLUMN B TYPE VARCHAR(9);\nALTER TABLE T DROP B;\nALTER TABLE T DROP CONSTRAINT PK;\n"
     "ALTER TRIGGER TR INACTIVE;\nALTER DOMAIN D SET DEFAULT 1;\nRECREATE VIEW V AS SELECT A FROM T;",
     V::st_Firebird_25,
     {"stStatement|T|dboTable|odbCreate||CREATE TABLE T (A INTEGER)",
      "stStatement|T|dboGrant|odbCreate||GRANT ALL PRIVILEGES ON T TO PUBLIC WITH GRANT OPTION",
      "stStatement||dboGrant|odbDrop||REVOKE ALL ON T FROM U",
      "stStatement|A|dboField|odbDescription|T|COMMENT ON COLUMN T.A IS 'x'",
      "stStatement|IX|dboIndex|odbAlter||ALTER INDEX IX ACTIVE", "stStatement|S|dboGenerator|odbDrop||DROP SEQUENCE S",
      "stDescription||dboUnknown|odbDescription||DESCRIBE DATABASE 'd'",
      "stStatement|B|dboField|odbCreate|T|ALTER TABLE T ADD B VARCHAR(5)",
      "stStatement|PK|dboPKey|odbCreate||ALTER TABLE T ADD CONSTRAINT PK PRIMARY KEY (A)",
      "stStatement|B|dboField|odbAlter|T|ALTER TABLE T ALTER COLUMN B TYPE VARCHAR(9)",
      "stStatement|B|dboField|odbDrop|T|ALTER TABLE T DROP B",
      "stStatement|PK|dboConstraint|odbDrop|T|ALTER TABLE T DROP CONSTRAINT PK",
      "stStatement|TR|dboTrigger|odbCreate||ALTER TRIGGER TR INACTIVE",
      "stStatement|D|dboDomain|odbAlter||ALTER DOMAIN D SET DEFAULT 1",
      "stStatement|V|dboView|odbCreate||RECREATE VIEW V AS SELECT A FROM T"},
     {}},
    {"AlternativeStringsAreOneString",
     "INSERT INTO T VALUES (q'{a;'b}', Q'!x;!');\nSET TERM ^ ;\nCREATE PROCEDURE P AS BEGIN X = q'[^;']'; END^\n"
     "SET TERM ; ^",
     V::st_Firebird_30,
     {"stInsert|T|dboTable|odbInsert||INSERT INTO T VALUES (q'{a;'b}', Q'!x;!')",
      "stStatement|P|dboProcedure|odbCreate||CREATE PROCEDURE P AS BEGIN X = q'[^;']'; END"},
     {}},
    // isql takes the first word before the current terminator; with none
    // the terminator is ";" again, and a word that would begin a comment or
    // a text leaves it as it was.
    {"EmptyTerminatorGoesBackToSemicolon", "SET TERM ;\nSELECT 1 FROM T;", V::st_Firebird_25,
     {"stSelect||dboUnknown|odbUnknown||SELECT 1 FROM T"}, {}},
    {"CurrentTerminatorAfterTermGoesBackToSemicolon",
     "SET TERM ^ ;\nSET TERM ^;\nSELECT 1 FROM T;\nSET TERM ^ ;\nSET TERM ^\nSELECT 2 FROM T;\nSET TERM ^ ;\n"
     "SET TERM\n^\nSELECT 3 FROM T;",
     V::st_Firebird_30,
     {"stSelect||dboUnknown|odbUnknown||SELECT 1 FROM T", "stSelect||dboUnknown|odbUnknown||SELECT 2 FROM T",
      "stSelect||dboUnknown|odbUnknown||SELECT 3 FROM T"},
     {}},
    {"CurrentTerminatorTwiceBeginsTheNextStatement", "SET TERM ^ ;\nSET TERM ^ ^\nSELECT 1 FROM T;",
     V::st_Firebird_30, {"stStatement||dboUnknown|odbUnknown||^\r\nSELECT 1 FROM T"},
     {"E Invalid char in source text: \"^\". @2:12"}},
    {"TermWordsAfterTheFirstAreIgnored",
     "SET TERM !! x y;\nSELECT 1 FROM T!!\nSET TERM\n## !!\nSELECT 2 FROM T##\nSET TERM ;##",
     V::st_Firebird_30,
     {"stSelect||dboUnknown|odbUnknown||SELECT 1 FROM T", "stSelect||dboUnknown|odbUnknown||SELECT 2 FROM T"}, {}},
    {"TermWithCommentOrQuoteCharactersIsRefused", "SET TERM a-;\nSET TERM */;\nSELECT 1 FROM T;", V::st_Firebird_30,
     {"stSelect||dboUnknown|odbUnknown||SELECT 1 FROM T"},
     {"E Invalid characters for SET TERMINATOR are <ENTER>, -, *, /, SINGLE_QUOTE, DOUBLE_QUOTE @1:12",
      "E Invalid characters for SET TERMINATOR are <ENTER>, -, *, /, SINGLE_QUOTE, DOUBLE_QUOTE @2:12"}},
    // Users and global mappings live in the security database; every
    // option isql-fb 3 takes, and the reserved words among them.
    {"UsersAndGlobalMappings",
     "CREATE USER TMP$U1 PASSWORD 'abc' FIRSTNAME 'A' MIDDLENAME 'B' LASTNAME 'C' ACTIVE USING PLUGIN Srp "
     "GRANT ADMIN ROLE TAGS (A = '1', B = 'x');\n"
     "ALTER USER TMP$U1 SET PASSWORD 'def' INACTIVE REVOKE ADMIN ROLE TAGS (DROP A, C = '2');\n"
     "CREATE OR ALTER USER TMP$U2 SET PASSWORD 'x';\nALTER CURRENT USER SET FIRSTNAME 'S';\n"
     "COMMENT ON USER TMP$U1 IS 'one';\nCOMMENT ON USER TMP$U2 USING PLUGIN Srp IS 'two';\n"
     "CREATE GLOBAL MAPPING GM USING PLUGIN Srp FROM ANY USER TO USER TMP$U1;\n"
     "CREATE OR ALTER GLOBAL MAPPING GM USING PLUGIN Srp FROM USER BOB TO ROLE RDB$ADMIN;\n"
     "ALTER GLOBAL MAPPING GM USING ANY PLUGIN FROM ANY USER TO USER TMP$U2;\nDROP GLOBAL MAPPING GM;\n"
     "DROP USER TMP$U1;\nDROP USER TMP$U2 USING PLUGIN Srp;",
     V::st_Firebird_30,
     {"stStatement||dboUnknown|odbUnknown||CREATE USER TMP$U1 PASSWORD 'abc' FIRSTNAME 'A' MIDDLENAME 'B' "
      "LASTNAME 'C' ACTIVE USING PLUGIN Srp GRANT ADMIN ROLE TAGS (A = '1', B = 'x')",
      "stStatement||dboUnknown|odbUnknown||ALTER USER TMP$U1 SET PASSWORD 'def' INACTIVE REVOKE ADMIN ROLE "
      "TAGS (DROP A, C = '2')",
      "stStatement||dboUnknown|odbUnknown||CREATE OR ALTER USER TMP$U2 SET PASSWORD 'x'",
      "stStatement||dboUnknown|odbUnknown||ALTER CURRENT USER SET FIRSTNAME 'S'",
      "stStatement|TMP$U1|dboUnknown|odbDescription||COMMENT ON USER TMP$U1 IS 'one'",
      "stStatement|TMP$U2|dboUnknown|odbDescription||COMMENT ON USER TMP$U2 USING PLUGIN Srp IS 'two'",
      "stStatement||dboUnknown|odbUnknown||CREATE GLOBAL MAPPING GM USING PLUGIN Srp FROM ANY USER TO USER TMP$U1",
      "stStatement||dboUnknown|odbUnknown||CREATE OR ALTER GLOBAL MAPPING GM USING PLUGIN Srp FROM USER BOB TO "
      "ROLE RDB$ADMIN",
      "stStatement||dboUnknown|odbUnknown||ALTER GLOBAL MAPPING GM USING ANY PLUGIN FROM ANY USER TO USER TMP$U2",
      "stStatement||dboUnknown|odbUnknown||DROP GLOBAL MAPPING GM",
      "stStatement||dboUnknown|odbUnknown||DROP USER TMP$U1",
      "stStatement||dboUnknown|odbUnknown||DROP USER TMP$U2 USING PLUGIN Srp"},
     {}},
};

INSTANTIATE_TEST_SUITE_P(Scripts, IBScriptStatements, ::testing::ValuesIn(kStatementCases),
                         [](const auto& info) { return info.param.Name; });

// ---- CONNECT as isql reads it ------------------------------------------------

// isql takes a CONNECT's values in single or double quotes or as plain words
// (an alias, an unquoted user name), with comments between them; a user or
// role in double quotes keeps them, so that the server takes its case.
struct TConnectCase {
    std::string Script;
    std::string Database, User, Password, Role;
    friend void PrintTo(const TConnectCase& c, std::ostream* os) { *os << c.Script; }
};

class IBScriptConnect : public ::testing::TestWithParam<TConnectCase> {};

TEST_P(IBScriptConnect, ReadsTheDatabaseAndLoginWithoutAnError)
{
    const TConnectCase& c = GetParam();
    TRun run(c.Script + "\nCREATE TABLE T (A INTEGER);\n");
    EXPECT_TRUE(run.Events.empty()) << run.Events.front();
    ASSERT_EQ(run.Statements.size(), 2u);
    const qel::TConnectionOptions& co = run.parser->ConnectionOptions();
    EXPECT_EQ(co.DatabaseName, c.Database);
    EXPECT_EQ(co.UserName, c.User);
    EXPECT_EQ(co.Password, c.Password);
    EXPECT_EQ(co.RoleName, c.Role);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, IBScriptConnect,
    ::testing::Values(
        TConnectCase{"connect 'db.fdb' user tmp$u1 password 'x';", "db.fdb", "tmp$u1", "x", ""},
        TConnectCase{"CONNECT employee USER SYSDBA PASSWORD masterKey CACHE 5 ROLE r1;", "employee", "SYSDBA",
                     "masterKey", "r1"},
        TConnectCase{"connect 127.0.0.1/3050:/tmp/a-1.fdb user \"low\" password \"p w\" role \"R\";",
                     "127.0.0.1/3050:/tmp/a-1.fdb", "\"low\"", "p w", "\"R\""},
        TConnectCase{"CONNECT /* c */ 'o''b x.fdb' USER /* ROLE 'no' */ 'U' -- PASSWORD 'no'\n PASSWORD\n'p';",
                     "o'b x.fdb", "U", "p", ""},
        TConnectCase{"SET TERM ^ ;\nconnect 'db.fdb' user u password p^\nSET TERM ; ^", "db.fdb", "u", "p", ""}));

// ---- messages -------------------------------------------------------------

struct TMessageCase {
    std::string Script;
    V Version;
    // The event's text: the message, then the position text.
    std::string Event;
    friend void PrintTo(const TMessageCase& c, std::ostream* os) { *os << c.Script; }
};

class IBScriptMessages : public ::testing::TestWithParam<TMessageCase> {};

TEST_P(IBScriptMessages, FirstErrorReportedWithItsPosition)
{
    const TMessageCase& c = GetParam();
    TRun run(c.Script, c.Version);
    ASSERT_EQ(run.Events.size(), 1u) << run.Messages().size();
    EXPECT_EQ(run.Events[0], c.Event);
    // Whatever went wrong, each statement was handed on once.
    EXPECT_EQ(run.Statements.size(), 1u);
}

std::string At(int Line, int Pos, const std::string& TableField = {})
{
    return "\r\nScript: s.sql Line:" + std::to_string(Line) + " Pos:" + std::to_string(Pos) + "\r\n" + TableField;
}

const TMessageCase kMessageCases[] = {
    // the statement loop and the isql statements
    {"FOO;", V::st_Firebird_25, "Unknown statement: <Ident>" + At(1, 5)},
    {"1;", V::st_Firebird_25, "Missing/unknown: DDL-statement: <Integer value>" + At(1, 3)},
    {"CREATE FOO;", V::st_Firebird_25, "Unknown CREATE-statement" + At(1, 12)},
    {"CREATE OR ALTER FOO;", V::st_Firebird_25, "Unknown ALTER-statement" + At(1, 21)},
    {"ALTER FOO;", V::st_Firebird_25, "Unknown ALTER statement." + At(1, 11)},
    {"CREATE GLOBAL TEMP TABLE T (A INTEGER);", V::st_Firebird_25, "TEMPORARY expected, but TEMP found." + At(1, 20)},
    {"SET AUTODDL MAYBE;", V::st_Firebird_25, "Missing: ON/OFF in \"SET AUTODDL...\"" + At(1, 19)},
    {"CONNECT 'x.fdb' FOO;", V::st_Firebird_25, "Unknown token in DB-declaration." + At(1, 21)},
    // tables, columns and constraints
    {"CREATE TABLE T (A BLOB SUB_TYPE FOO);", V::st_Firebird_25, "Unknown blob-subtype." + At(1, 37, " Table:T Field:A ")},
    {"DECLARE EXTERNAL FUNCTION F INTEGER BY REF RETURNS INTEGER ENTRY_POINT 'e' MODULE_NAME 'm';", V::st_Firebird_25,
     "Must be: BY DESCRIPTOR / BY VALUE" + At(1, 44)},
    {"CREATE TABLE T (A INTEGER DEFAULT CAST(1 AS INTEGER), B INTEGER);", V::st_Firebird_25,
     "DEFAUT <value> error..." + At(1, 40, " Table:T Field:A ")},
    {"CREATE TABLE T (A INTEGER, CONSTRAINT C NOT NULL);", V::st_Firebird_25, "Missing: PRIMARY... or UNIQUE..." + At(1, 45)},
    {"CREATE GLOBAL TEMPORARY TABLE T (A INTEGER) ON COMMIT KEEP ROWS;", V::st_Firebird_25,
     "Must be: DELETE ROWS / PRESERVE ROWS." + At(1, 60)},
    {"ALTER TABLE T ADD FOREIGN KEY (A) REFERENCES R (B) ON INSERT CASCADE;", V::st_Firebird_25,
     "Missing: UPDATE/DELETE" + At(1, 62)},
    {"ALTER TABLE T ADD FOREIGN KEY (A) REFERENCES R (B) ON DELETE NO WAY;", V::st_Firebird_25,
     "Must be: ACTION" + At(1, 69)},
    {"ALTER TABLE T ADD FOREIGN KEY (A) REFERENCES R (B) ON DELETE SET ZERO;", V::st_Firebird_25,
     "Missing: DEFAULT/NULL" + At(1, 71)},
    {"ALTER TABLE T ADD FOREIGN KEY (A) REFERENCES R (B) ON DELETE RESTRICT;", V::st_Firebird_25,
     "Unknown action into UPDATE/DELETE rule." + At(1, 71)},
    {"ALTER TABLE T DROP 1;", V::st_Firebird_25, "Unknown ALTER TABLE <table-name> DROP statement" + At(1, 22)},
    {"ALTER TABLE T RENAME TO U;", V::st_Firebird_25, "Unknown symbol" + At(1, 22)},
    // other object kinds
    {"ALTER INDEX IX OFF;", V::st_Firebird_25, "Must be: ACTIVE/INACTIVE (ALTER INDEX... declaration)" + At(1, 20)},
    {"CREATE COLLATION C FOR UTF8 FROM 'X';", V::st_Firebird_25,
     "Must be: FROM basecoll | FROM EXTERNAL ('extname')" + At(1, 38)},
    {"CREATE COLLATION C FOR UTF8 FROM UNICODE CASE BLIND;", V::st_Firebird_25,
     "Must be: SENSITIVE / INSENSITIVE" + At(1, 53)},
    // triggers
    {"CREATE TRIGGER T ACTIVE ON LOGIN AS BEGIN END;", V::st_Firebird_25, "Unknown event for database trigger" + At(1, 34)},
    {"CREATE TRIGGER T FOR X ACTIVE INSERT AS BEGIN END;", V::st_Firebird_25, "Must be: BEFORE / AFTER" + At(1, 38)},
    // grants, drops and descriptions
    {"GRANT R TO U WITH OPTION;", V::st_Firebird_25, "Must be: with GRANT/ADMIN option" + At(1, 26)},
    {"DROP FOO X;", V::st_Firebird_25, "Unknown DROP statement" + At(1, 10)},
    {"COMMENT ON FOO X IS 'a';", V::st_Firebird_25, "Unknown Comment-statement" + At(1, 16)},
    {"COMMENT ON TABLE T IS 1;", V::st_Firebird_25, "Invalid comment text" + At(1, 25)},
    {"DESCRIBE FIELD A PROCEDURE P 'a';", V::st_Firebird_25, "Unknown DESCRIBE statement." + At(1, 28)},
};

INSTANTIATE_TEST_SUITE_P(EveryMessage, IBScriptMessages, ::testing::ValuesIn(kMessageCases));

TEST(IBScriptParser, DuplicateKeysAreWarnedAndNotKept)
{
    TRun run("CREATE TABLE R (B INTEGER NOT NULL PRIMARY KEY);\n"
             "CREATE TABLE T (A INTEGER NOT NULL PRIMARY KEY, B INTEGER, PRIMARY KEY (B),\n"
             "  FOREIGN KEY (B) REFERENCES R (B), FOREIGN KEY (B) REFERENCES R (B));");
    EXPECT_EQ(run.Messages(),
              (std::vector<std::string>{"W Duplicate Primary Key, Table: T (convert to Unique) @2:76",
                                        "W ALTER TABLE T ADD PRIMARY KEY (A) @2:76",
                                        "W ALTER TABLE T ADD PRIMARY KEY (B) @2:76",
                                        "W ALTER TABLE T ADD UNIQUE (B) @2:76", "W  @2:76",
                                        "W Duplicate Foreign Key: @3:70",
                                        "W ALTER TABLE T ADD FOREIGN KEY (B) REFERENCES R (B) @3:70", "W  @3:70"}));
    EXPECT_EQ(run.objs.Constraints.Count(), 3);
    EXPECT_TRUE(run.Events.empty());
}

// ---- objects and links ------------------------------------------------------

namespace {

// What an object uses: "class name" each, a column as "table.column".
std::vector<std::string> UsesOf(const TDbObj* Obj)
{
    std::vector<std::string> out;
    if (Obj == nullptr) return out;
    for (const auto& link : Obj->Uses) {
        const TDbObj* t = link.Object->Target;
        const auto* f = dynamic_cast<const TFldData*>(t);
        out.push_back(t->ClassName() + " " + (f != nullptr ? f->GetParentName() + "." : "") + t->Name());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Every constraint: "name|kind|table|columns|referenced table|update rule|delete rule|body".
std::vector<std::string> ConstraintsOf(const TObjs& Objs)
{
    std::vector<std::string> out;
    for (const auto& item : Objs.Constraints) {
        const auto* c = dynamic_cast<const TCtrData*>(item.Object);
        out.push_back(c->Name() + "|" + std::to_string(c->ConstraintKind()) + "|" + c->TableName() + "|" +
                      c->GetFieldsText() + "|" + c->RefTableName() + "|" + std::to_string(c->UpdateRule) + "|" +
                      std::to_string(c->DeleteRule) + "|" + c->Body());
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(IBScriptParser, SmallScriptBuildsObjectsAndLinks)
{
    TRun run("CREATE DOMAIN D_ID AS INTEGER NOT NULL;\n"
             "CREATE TABLE DEPT (ID D_ID, NAME VARCHAR(20) CHARACTER SET UTF8 COLLATE UNICODE,\n"
             "  CONSTRAINT PK_DEPT PRIMARY KEY (ID), UNIQUE (NAME));\n"
             "CREATE TABLE EMP (ID D_ID PRIMARY KEY, DEPT_ID INTEGER REFERENCES DEPT (ID) ON DELETE CASCADE,\n"
             "  SALARY NUMERIC(10,2) DEFAULT 0 CHECK (SALARY >= 0), MGR INTEGER, NOTE BLOB SUB_TYPE TEXT,\n"
             "  CONSTRAINT FK_MGR FOREIGN KEY (MGR) REFERENCES EMP (ID) ON UPDATE SET NULL,\n"
             "  CONSTRAINT CK_M CHECK (MGR <> ID));\n"
             "CREATE DESC INDEX IX_SAL ON EMP (SALARY, MGR);\n"
             "CREATE GENERATOR G_EMP;\nCREATE EXCEPTION E_BAD 'Bad ''one''';\n"
             "GRANT SELECT, UPDATE ON EMP TO CLERK;\nCOMMENT ON COLUMN EMP.SALARY IS 'Monthly';");
    EXPECT_TRUE(run.Messages().empty()) << run.Messages().front();
    ASSERT_EQ(run.Statements.size(), 8u);
    const TObjs& o = run.objs;
    TDmnData* domain = o.FindDomain("D_ID");
    ASSERT_NE(domain, nullptr);
    EXPECT_EQ(domain->GetCreateDDL(), "CREATE DOMAIN D_ID AS INTEGER NOT NULL");
    TTblData* emp = o.FindTable("EMP");
    ASSERT_NE(emp, nullptr);
    // A key column is written NOT NULL whatever its domain says.
    EXPECT_EQ(emp->GetCreateDDL(), "CREATE TABLE EMP(ID D_ID NOT NULL,\r\nDEPT_ID INTEGER,\r\nSALARY NUMERIC(10,2) DEFAULT 0,\r\n"
                                   "MGR INTEGER,\r\nNOTE BLOB SUB_TYPE 1)");
    EXPECT_EQ(o.FindTableField("DEPT", "NAME")->Collation, "UNICODE");
    EXPECT_EQ(ConstraintsOf(o),
              (std::vector<std::string>{"CK_M|3|EMP|||0|0|(MGR <> ID)", "FK_MGR|2|EMP|MGR|EMP|4|0|",
                                        "PK_DEPT|0|DEPT|ID||0|0|", "|0|EMP|ID||0|0|", "|1|DEPT|NAME||0|0|",
                                        "|2|EMP|DEPT_ID|DEPT|0|2|", "|3|EMP|SALARY||0|0|(SALARY >= 0)"}));
    // column -> domain; foreign key -> its tables, the referenced column and key; index -> table and columns
    EXPECT_EQ(UsesOf(o.FindTableField("EMP", "ID")), std::vector<std::string>{"TDmnData D_ID"});
    const TCtrData* fk = nullptr;
    for (const auto& item : o.Constraints)
        if (auto* c = dynamic_cast<TCtrData*>(item.Object); c->RefTableName() == "DEPT") fk = c;
    EXPECT_EQ(UsesOf(fk), (std::vector<std::string>{"TCtrData PK_DEPT", "TFldData DEPT.ID", "TFldData EMP.DEPT_ID",
                                                     "TTblData DEPT", "TTblData EMP"}));
    const TIdxData* index = o.FindIndex("IX_SAL");
    ASSERT_NE(index, nullptr);
    EXPECT_TRUE(index->Descending);
    EXPECT_EQ(UsesOf(index), (std::vector<std::string>{"TFldData EMP.MGR", "TFldData EMP.SALARY", "TTblData EMP"}));
    EXPECT_NE(o.FindGenerator("G_EMP"), nullptr);
    EXPECT_EQ(o.FindException("E_BAD")->Message, "Bad 'one'");
    ASSERT_EQ(o.Grants.Count(), 1);
    const auto* grant = dynamic_cast<const TGntData*>(o.Grants.Objects(0));
    EXPECT_EQ(grant->GetCreateDDL(), "GRANT SELECT, UPDATE ON EMP TO CLERK");
    EXPECT_EQ(grant->GranteeType, 12);
    EXPECT_EQ(o.FindTableField("EMP", "SALARY")->Description(), "Monthly");
}

TEST(IBScriptParser, RoutinesTriggersViewsAndPackages)
{
    TRun run("SET TERM ^ ;\n"
             "CREATE PROCEDURE P (A INTEGER, B VARCHAR(5) = 'x') RETURNS (R INTEGER) AS BEGIN R = A; SUSPEND; END^\n"
             "COMMENT ON PARAMETER P.A IS 'first'^\n"
             "ALTER PROCEDURE P (A INTEGER) RETURNS (R INTEGER) AS BEGIN END^\n"
             "CREATE TABLE X (A INTEGER)^\n"
             "CREATE TRIGGER T FOR X AFTER INSERT OR UPDATE OR DELETE POSITION 5 AS BEGIN END^\n"
             "ALTER TRIGGER T INACTIVE^\n"
             "CREATE TRIGGER C ACTIVE ON CONNECT AS BEGIN END^\n"
             "CREATE OR ALTER FUNCTION F (X INTEGER) RETURNS INTEGER DETERMINISTIC AS BEGIN RETURN X; END^\n"
             "CREATE VIEW V (A, B) AS SELECT A, A FROM X^\n"
             "CREATE PACKAGE K AS BEGIN PROCEDURE Q; END^\nCREATE PACKAGE BODY K AS BEGIN PROCEDURE Q AS BEGIN END END^\n"
             "EXECUTE BLOCK AS BEGIN END^\nSET TERM ; ^",
             V::st_Firebird_30);
    EXPECT_TRUE(run.Messages().empty()) << run.Messages().front();
    EXPECT_EQ(run.Kinds(), (std::vector<std::string>{
                               "stStatement|P|dboProcedure|odbCreate|", "stStatement|A|dboParam|odbDescription|P",
                               "stStatement|P|dboProcedure|odbAlter|", "stStatement|X|dboTable|odbCreate|",
                               "stStatement|T|dboTrigger|odbCreate|", "stStatement|T|dboTrigger|odbAlter|",
                               "stStatement|C|dboTrigger|odbCreate|", "stStatement|F|dboProcedure|odbCreate|",
                               "stStatement|V|dboView|odbCreate|", "stStatement|K|dboPackage|odbCreate|",
                               "stStatement|K|dboPackage|odbAlter|", "stExecuteBlock||dboUnknown|odbUnknown|"}));
    const TObjs& o = run.objs;
    const TPrcData* p = o.FindProcedure("P");
    ASSERT_EQ(p->InputParams.Count(), 1);
    EXPECT_EQ(p->InputParams.Objects(0)->ObjectType(), TDbObject::dboParam);
    EXPECT_EQ(p->InputParams.Objects(0)->Parent, p);
    EXPECT_EQ(p->InputParams.Objects(0)->Description(), "first");
    EXPECT_EQ(p->GetCreateDDL(), "CREATE PROCEDURE P(A INTEGER)\r\n RETURNS(R INTEGER)\r\n AS\r\nBEGIN END");
    const TTrgData* t = o.FindTrigger("T");
    EXPECT_EQ(t->IBTypeCode, 114);
    EXPECT_EQ(t->Position, 5);
    EXPECT_EQ(t->Events, 0b1110);
    EXPECT_FALSE(t->Active);
    EXPECT_EQ(t->TableName(), "X");
    EXPECT_EQ(UsesOf(t), std::vector<std::string>{"TTblData X"});
    EXPECT_EQ(o.FindTrigger("C")->TableName(), "DATABASE");
    EXPECT_EQ(o.FindTrigger("C")->DatabaseEvent, "CONNECT");
    const TPrcData* f = o.FindProcedure(TPrcData::FunctionKey("F"));
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->IsFunction && f->OutputParams.Objects(0)->Deterministic);
    EXPECT_EQ(o.FindView("V")->GetCreateDDL(), "CREATE VIEW V(\r\nA,\r\nB)\r\n AS \r\nSELECT A, A FROM X");
    const TPkgData* k = o.FindPackage("K");
    EXPECT_EQ(k->HeaderText, "BEGIN PROCEDURE Q; END");
    EXPECT_EQ(k->Body(), "BEGIN PROCEDURE Q AS BEGIN END END");
    EXPECT_EQ(o.Procedures.Count(), 2);
}

TEST(IBScriptParser, AfterTheScript)
{
    TRun run("CREATE TABLE T (A INTEGER NOT NULL, B INTEGER);\nCREATE ROLE R;\nCREATE DOMAIN D AS INTEGER;\n"
             "ALTER TABLE T ADD CONSTRAINT UQ UNIQUE (A);\nCREATE UNIQUE INDEX UQ ON T (A);\nCREATE INDEX IB ON T (B);\n"
             "ALTER TABLE T ADD C D;\nCREATE VIEW V AS SELECT C FROM T;\n"
             "GRANT SELECT ON T TO R;\nGRANT SELECT ON T TO V;\nGRANT SELECT ON T TO SOMEONE;\nGRANT R TO U WITH ADMIN OPTION;");
    const TObjs& o = run.objs;
    // An index that only backs its constraint goes.
    EXPECT_EQ(o.FindIndex("UQ"), nullptr);
    EXPECT_NE(o.FindIndex("IB"), nullptr);
    EXPECT_TRUE(std::count(run.Log.begin(), run.Log.end(),
                           "Remove index: CREATE UNIQUE INDEX UQ ON T(A)\r\nfor constraint: ALTER TABLE T ADD CONSTRAINT "
                           "UQ UNIQUE (A)"));
    std::map<std::string, int> types;
    for (const auto& item : o.Grants) {
        const auto* g = dynamic_cast<const TGntData*>(item.Object);
        types[g->Grantee + (g->ObjectKind == TDbObject::dboRole ? " role" : "")] = g->GranteeType;
    }
    EXPECT_EQ(types, (std::map<std::string, int>{{"R", 11}, {"V", 13}, {"SOMEONE", 12}, {"U role", 12}}));
    EXPECT_EQ(UsesOf(o.FindTableField("T", "C")), std::vector<std::string>{"TDmnData D"});
}

// ---- tokens ---------------------------------------------------------------

struct TTokenCase {
    V Version;
    int Dialect;
    std::string Text, Tokens;
    friend void PrintTo(const TTokenCase& c, std::ostream* os) { *os << c.Text; }
};

class IBScriptTokens : public ::testing::TestWithParam<TTokenCase> {};

TEST_P(IBScriptTokens, DialectAdditions)
{
    const TTokenCase& c = GetParam();
    TObjs objs;
    objs.IBServerOptions().SQLServerVersion = c.Version;
    objs.IBServerOptions().SQLDialect = static_cast<TIBSQLDialectType>(c.Dialect);
    auto parser = MakeParser<TIbParser>();
    parser->SetObjs(&objs);
    EXPECT_EQ(qeltest::Tokens(*parser, c.Text), c.Tokens);
}

const TTokenCase kTokenCases[] = {
    {V::st_Firebird_25, 1, "0x1F X'4142' x := _win1252 'a' \"Q\"",
     "<Integer value>:31=31 <String value>:AB <Ident>:X <?" "?" "?>: _<charset>:_win1252 <String value>:a <String value>:Q"},
    {V::st_Firebird_20, 1, "0x1F X'41' a:=b", "<Integer value>:0=0 <Ident>:X1F <Ident>:X <String value>:41 <Ident>:A <:> "
                                               "<=> <Ident>:B"},
    {V::st_Firebird_30, 3, "q'<a'b>' Q'{}}' \"Mixed Case\" \"\" q", "<String value>:a'b <String value>:} <Ident>:Mixed Case <String value>: "
                                                                    "<Ident>:Q"},
    // Words that are no keywords of the version are names.
    {V::st_Firebird_30, 1, "DOMAIN domain TABLE", "<Ident>:DOMAIN <Ident>:DOMAIN TABLE:TABLE"},
};

INSTANTIATE_TEST_SUITE_P(Versions, IBScriptTokens, ::testing::ValuesIn(kTokenCases));

TEST(IBScriptParser, DescribeSetsTheDescriptionWithoutAStatement)
{
    TRun run("CREATE ROLE R;\nCREATE TABLE T (A INTEGER);\nDESCRIBE ROLE R 'role text';\n"
             "DESCRIBE FIELD A TABLE T 'column text';");
    EXPECT_EQ(run.Kinds(), (std::vector<std::string>{"stStatement|R|dboRole|odbCreate|", "stStatement|T|dboTable|odbCreate|",
                                                      "stDescription|R|dboRole|odbDescription|",
                                                      "stDescription|A|dboField|odbDescription|T"}));
    EXPECT_EQ(run.objs.FindRole("R")->Description(), "role text");
    EXPECT_EQ(run.objs.FindTableField("T", "A")->Description(), "column text");
}

// ---- INPUT ----------------------------------------------------------------

TEST(IBScriptParser, InputReadsFilesWhereTheyStand)
{
    qeltest::TempDir dir;
    std::filesystem::create_directory(dir.Path() / "sub");
    qeltest::WriteFile(dir.File("sub/a.sql"), "SELECT 1 FROM T;\nSET TERM ^ ;\nSELECT 2 FROM T^\nINPUT 'b.sql'^\n");
    qeltest::WriteFile(dir.File("sub/b.sql"), "SET SQL DIALECT 3^\nFOO^\n");
    qeltest::WriteFile(dir.File("loop.sql"), "SELECT 0 FROM T;\nINPUT 'loop.sql';\n");
    for (int i = 0; i < 18; ++i)
        qeltest::WriteFile(dir.File("n" + std::to_string(i) + ".sql"),
                           "INPUT 'n" + std::to_string(i + 1) + ".sql';\nSELECT " + std::to_string(i) + " FROM T;\n");
    TRun run("INPUT 'sub/a.sql';\nSELECT 3 FROM T^\nSET TERM ; ^\nINPUT 'none.sql';\nINPUT 'loop.sql';\n"
             "INPUT 'n0.sql';",
             V::st_Firebird_25, dir.File("main.sql"));
    std::vector<std::string> texts;
    for (const std::string& s : run.Statements) texts.push_back(s.substr(s.rfind('|') + 1));
    std::vector<std::string> expected{"SELECT 1 FROM T", "SELECT 2 FROM T", "SET SQL DIALECT 3", "FOO",
                                      "SELECT 3 FROM T", "SELECT 0 FROM T"};
    for (int i = 15; i >= 0; --i) expected.push_back("SELECT " + std::to_string(i) + " FROM T");
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(run.Messages(), (std::vector<std::string>{"E Unknown statement: <Ident> @2:4",
                                                         "E File not found: none.sql @4:17",
                                                         "E INPUT nesting too deep: loop.sql @2:17",
                                                         "E INPUT nesting too deep: n16.sql @1:16"}));
    // The first error is the one shown, with the position in its own file.
    ASSERT_EQ(run.Events.size(), 1u);
    EXPECT_EQ(run.Events[0], "Unknown statement: <Ident>\r\nScript: " + dir.File("sub/b.sql") + " Line:2 Pos:5\r\n");
    EXPECT_TRUE(run.parser->ScriptSettings.Dialect);
    EXPECT_EQ(run.objs.IBServerOptions().SQLDialect, 3);
}

// ---- the Firebird sample scripts ------------------------------------------

namespace {

const std::string kExamples = "/usr/share/doc/firebird3.0-common-doc/examples/";

std::string SampleText(const std::string& Name)
{
    if (!Name.ends_with(".gz")) return qeltest::ReadFile(kExamples + Name);
    qeltest::TempDir dir;
    const std::string out = dir.File("x.sql");
    if (std::system(("gzip -dc '" + kExamples + Name + "' > '" + out + "'").c_str()) != 0) return {};
    return qeltest::ReadFile(out);
}

// "StatType|ObjType|Operation" -> how many.
std::map<std::string, int> KindCounts(const TRun& Run)
{
    std::map<std::string, int> counts;
    for (const std::string& k : Run.Kinds()) {
        const auto first = k.find('|');
        const auto second = k.find('|', first + 1);
        ++counts[k.substr(0, first) + "|" + k.substr(second + 1, k.rfind('|') - second - 1)];
    }
    return counts;
}

} // namespace

TEST(IBScriptParserSample, EmployeeScript)
{
    if (!std::filesystem::exists(kExamples + "employee.sql.gz")) QEL_SKIP_OR_FAIL("firebird3.0-examples is missing");
    const std::string text = SampleText("employee.sql.gz");
    for (V version : {V::st_Firebird_25, V::st_Firebird_30}) {
        TRun run(text, version, "employee.sql");
        EXPECT_TRUE(run.Messages().empty()) << run.Messages().front();
        ASSERT_EQ(run.Statements.size(), 415u);
        EXPECT_EQ(run.Kinds()[0], "stSqlDialect|3|dboUnknown|odbSet|");
        EXPECT_EQ(run.Kinds()[1], "stCreateDb|employee.fdb|dboUnknown|odbSet|");
        EXPECT_EQ(KindCounts(run),
                  (std::map<std::string, int>{
                      {"st_Commit|dboUnknown|odbCommit", 18},     {"stCreateDb|dboUnknown|odbSet", 1},
                      {"stInsert|dboTable|odbInsert", 216},
                      {"stSqlDialect|dboUnknown|odbSet", 1},      {"stStatement|dboDomain|odbCreate", 15},
                      {"stStatement|dboException|odbCreate", 5},  {"stStatement|dboFKey|odbCreate", 1},
                      {"stStatement|dboGenerator|odbAlter", 3},   {"stStatement|dboGenerator|odbCreate", 2},
                      {"stStatement|dboGrant|odbCreate", 21},     {"stStatement|dboIndex|odbAlter", 24},
                      {"stStatement|dboIndex|odbCreate", 12},     {"stStatement|dboProcedure|odbCreate", 10},
                      {"stStatement|dboTable|odbCreate", 10},     {"stStatement|dboTrigger|odbAlter", 6},
                      {"stStatement|dboTrigger|odbCreate", 4},    {"stStatement|dboView|odbCreate", 1},
                      {"stUpdate|dboTable|odbUpdate", 65}}));
        // Texts whole: the longest procedure ends with its END.
        const auto org = std::find_if(run.Statements.begin(), run.Statements.end(),
                                      [](const std::string& s) { return s.starts_with("stStatement|ORG_CHART|"); });
        ASSERT_NE(org, run.Statements.end());
        EXPECT_TRUE(org->ends_with("SUSPEND;\r\n\tEND\r\nEND")) << *org;
        EXPECT_EQ(run.objs.Tables.Count(), 10);
        EXPECT_EQ(run.objs.Procedures.Count(), 10);
    }
}

TEST(IBScriptParserSample, PackageAndExternalFunctionScripts)
{
    if (!std::filesystem::exists(kExamples + "udf/udf.sql")) QEL_SKIP_OR_FAIL("firebird3.0-examples is missing");
    TRun udf(SampleText("udf/udf.sql"), V::st_Firebird_25, kExamples + "udf/udf.sql");
    EXPECT_TRUE(udf.Messages().empty()) << udf.Messages().front();
    EXPECT_EQ(KindCounts(udf), (std::map<std::string, int>{{"stStatement|dboFunction|odbCreate", 18}}));
    EXPECT_EQ(udf.objs.FindUDF("SUBSTR")->GetCreateDDL(),
              "DECLARE EXTERNAL FUNCTION SUBSTR\r\nCSTRING(256), SMALLINT, SMALLINT\r\nRETURNS CSTRING(80) FREE_IT\r\n"
              "ENTRY_POINT 'fn_substr' MODULE_NAME 'udflib'");

    TRun package(SampleText("package/fbout-test.sql"), V::st_Firebird_30, kExamples + "package/fbout-test.sql");
    EXPECT_TRUE(package.Messages().empty()) << package.Messages().front();
    EXPECT_EQ(package.Statements.size(), 14u);
    EXPECT_EQ(package.Kinds()[5], "stStatement|FB$OUT|dboPackage|odbCreate|");
    EXPECT_EQ(package.Kinds()[8], "stStatement|FB$OUT|dboPackage|odbAlter|");
    EXPECT_EQ(package.objs.FindTable("FB$OUT_TABLE")->OnCommit, 2);
}

TEST(IBScriptParser, SignsBoundsAndQuoting)
{
    TRun run("CREATE TABLE T (A INTEGER[3, -1:2], B CHAR(2) CHARACTER SET NONE, C DECIMAL(18,4) DEFAULT -1.5);\n"
             "CREATE SEQUENCE S START WITH -5 INCREMENT BY -2;\nCREATE SEQUENCE Z START WITH 0 INCREMENT BY 1;",
             V::st_Firebird_30);
    EXPECT_TRUE(run.Messages().empty()) << run.Messages().front();
    const TFldData* a = run.objs.FindTableField("T", "A");
    ASSERT_EQ(a->ArrayBounds.size(), 2u);
    EXPECT_EQ(std::to_string(a->ArrayBounds[0].Lower) + ":" + std::to_string(a->ArrayBounds[0].Upper) + "," +
                  std::to_string(a->ArrayBounds[1].Lower) + ":" + std::to_string(a->ArrayBounds[1].Upper),
              "1:3,-1:2");
    EXPECT_EQ(run.objs.FindTableField("T", "C")->DefaultValue, "-1.5");
    EXPECT_EQ(run.objs.FindGenerator("S")->StartWith + " " + run.objs.FindGenerator("S")->IncrementBy, "-5 -2");
    EXPECT_EQ(run.objs.FindGenerator("Z")->StartWith + run.objs.FindGenerator("Z")->IncrementBy, "");
    // Dialect 3 (set by the script) quotes what the version needs quoted.
    TRun three("SET SQL DIALECT 3;", V::st_Firebird_25);
    EXPECT_EQ(three.parser->QuoteName("Order") + three.parser->QuoteName("ORDER") + three.parser->QuoteName("T"),
              "\"Order\"\"ORDER\"T");
    TRun one("SET SQL DIALECT 1;", V::st_Firebird_25);
    EXPECT_EQ(one.parser->QuoteName("Order"), "Order");
}

TEST(IBScriptParser, DeepTypeNestingEndsWithAnError)
{
    std::string script = "CREATE DOMAIN D AS ";
    for (int i = 0; i < 5000; ++i) script += "TYPE OF ";
    TRun run(script + "INTEGER;\nSELECT 1 FROM T;");
    EXPECT_EQ(run.Events.size(), 1u);
    EXPECT_EQ(run.Kinds(), (std::vector<std::string>{"stStatement|D|dboDomain|odbCreate|",
                                                      "stSelect||dboUnknown|odbUnknown|"}));
}
