// The MS SQL script parser on Transact-SQL as today's servers and their
// tools write it: statements never cut, no false error, what a script
// creates in the collection, every message at its place in the script.
#include "qelMSSQLScriptTestSupport.h"

#include "qelComp_Dmn.h"
#include "qelComp_Viw.h"
#include "qelCustomObjs.h"

#include "qelText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using namespace qel;
using qeltest::TRun;


// ---- the forms of real scripts, one row each ---------------------------------------------

struct TItemCase {
    std::string Name, Script;
    std::vector<std::string> Statements; // "StatType|ObjName|ObjType|Operation|ParentName|SQL"
    std::vector<std::string> Messages;   // "text @line:column"
    std::vector<std::string> Objects;    // Filed()
    friend void PrintTo(const TItemCase& c, std::ostream* os) { *os << c.Name; }
};

class MSSQLRealScripts : public ::testing::TestWithParam<TItemCase> {};

TEST_P(MSSQLRealScripts, WholeStatementsTheirMessagesAndObjects)
{
    const TItemCase& c = GetParam();
    TRun run(c.Script);
    EXPECT_EQ(run.Statements, c.Statements);
    EXPECT_EQ(run.Messages(), c.Messages);
    EXPECT_EQ(run.Filed(), c.Objects);
}

const std::string S = "stStatement||dboUnknown|odbUnknown||";

const TItemCase kItemCases[] = {
    // An ALTER TABLE action the model keeps nothing of runs to the end of
    // the statement; its tail is never a procedure call of its own.
    {"AlterTableStorageActions",
     "ALTER TABLE dbo.t REBUILD WITH (DATA_COMPRESSION = PAGE)\nGO\n"
     "ALTER TABLE dbo.t SWITCH PARTITION 1 TO dbo.t2 PARTITION 1 WITH (WAIT_AT_LOW_PRIORITY (MAX_DURATION = 1))\n"
     "ALTER TABLE dbo.t REBUILD PARTITION = ALL\nPRINT 1\nGO\n"
     "ALTER TABLE t ALTER COLUMN c ADD MASKED WITH (FUNCTION = 'default()')\nGO\n"
     "ALTER TABLE t DROP COLUMN IF EXISTS a, b, CONSTRAINT IF EXISTS ck WITH (ONLINE = ON), PERIOD FOR SYSTEM_TIME\n"
     "ALTER TABLE t ENABLE CHANGE_TRACKING WITH (TRACK_COLUMNS_UPDATED = ON)\n"
     "ALTER TABLE t ALTER COLUMN c int NOT NULL WITH (ONLINE = ON)\nGO\n",
     {S + "ALTER TABLE dbo.t REBUILD WITH (DATA_COMPRESSION = PAGE)",
      S + "ALTER TABLE dbo.t SWITCH PARTITION 1 TO dbo.t2 PARTITION 1 WITH (WAIT_AT_LOW_PRIORITY (MAX_DURATION = 1))",
      S + "ALTER TABLE dbo.t REBUILD PARTITION = ALL", S + "PRINT 1",
      S + "ALTER TABLE t ALTER COLUMN c ADD MASKED WITH (FUNCTION = 'default()')",
      S + "ALTER TABLE t DROP COLUMN IF EXISTS a, b, CONSTRAINT IF EXISTS ck WITH (ONLINE = ON), PERIOD FOR SYSTEM_TIME",
      S + "ALTER TABLE t ENABLE CHANGE_TRACKING WITH (TRACK_COLUMNS_UPDATED = ON)",
      S + "ALTER TABLE t ALTER COLUMN c int NOT NULL WITH (ONLINE = ON)"},
     {},
     {}},
    // A clause nobody knows: one error where it starts, the statement whole
    // up to its ";" or the next word that cannot stand in a clause (SET,
    // WITH, SELECT and ALTER can), never a statement of its own.
    {"UnknownClauseEndsAtTheRealEnd",
     "ALTER TABLE t FROBNICATE x (1; 2) WITH y; PRINT 1\nCREATE TABLE u (a int) FOO BAR\nSELECT 1\nPRINT 2\nGO\n",
     {S + "ALTER TABLE t FROBNICATE x (1; 2) WITH y", S + "PRINT 1",
      "stStatement|U|dboTable|odbCreate||CREATE TABLE u (a int) FOO BAR\r\nSELECT 1", S + "PRINT 2"},
     {"Unknown statement: <Ident> @1:25", "Unknown statement: <Ident> @2:27"},
     {"T DBO.U"}},
    // The words of a permission the model has no element for end with the
    // source too, even when a word stands last.
    {"PermissionWordsAtTheEnd", "GRANT VIEW DEFINITION x",
     {"stStatement||dboGrant|odbCreate||GRANT VIEW DEFINITION x"},
     {"Missing: TO (<EOF>) @2:0"},
     {}},
    // ... and with the batch: a GO line is no word of the permission, so
    // the statement stays in its batch and GO's copies come after it.
    {"PermissionWordsBeforeGo", "GRANT VIEW DEFINITION\nGO 3\nGRANT CONNECT\nGO 2\nPRINT 1\n",
     {"stStatement||dboGrant|odbCreate||GRANT VIEW DEFINITION", "stStatement||dboGrant|odbCreate||GRANT VIEW DEFINITION",
      "stStatement||dboGrant|odbCreate||GRANT VIEW DEFINITION", "stStatement||dboGrant|odbCreate||GRANT CONNECT",
      "stStatement||dboGrant|odbCreate||GRANT CONNECT", S + "PRINT 1"},
     {"Missing: TO (<Terminator>) @2:5", "Missing: TO (<Terminator>) @4:5"},
     {}},
    // No rule reads on over a GO line, whatever it still wanted.
    {"RulesStopAtGo", "SET STATISTICS\nGO 2\nALTER ASSEMBLY a ADD FILE FROM\nGO 2\nPRINT 1\n",
     {S + "SET STATISTICS", S + "SET STATISTICS", S + "ALTER ASSEMBLY a ADD FILE FROM",
      S + "ALTER ASSEMBLY a ADD FILE FROM", S + "PRINT 1"},
     {"Must be: ON / OFF. @2:5"},
     {}},
    // A statement read by its shape ends where a statement word that is no
    // keyword begins the next one.
    {"ShapeEndsAtStatementWords",
     "ALTER INDEX ix ON t DISABLE\nDISABLE TRIGGER tr ON t\nALTER PARTITION FUNCTION pf() MERGE RANGE (100)\n"
     "MERGE t USING u ON t.a = u.a WHEN MATCHED THEN DELETE;\nGO\n",
     {S + "ALTER INDEX ix ON t DISABLE", S + "DISABLE TRIGGER tr ON t",
      S + "ALTER PARTITION FUNCTION pf() MERGE RANGE (100)",
      S + "MERGE t USING u ON t.a = u.a WHEN MATCHED THEN DELETE;"},
     {},
     {}},
    // A label, GOTO or RETURN takes the rest of its batch along: the jump
    // and its target reach the server together, and nothing after a RETURN
    // runs.
    {"LabelsGotoAndReturnKeepTheirBatch",
     "PRINT 1\nretry:\nPRINT 2\nGOTO retry\nGO\nPRINT 3\nRETURN\nDROP TABLE t\nGO\n",
     {S + "PRINT 1", S + "retry:\r\nPRINT 2\r\nGOTO retry", S + "PRINT 3", S + "RETURN\r\nDROP TABLE t"},
     {},
     {}},
    // After an error the statement runs past the clause words that hold DML
    // or statement words (ON DELETE, THEN UPDATE, IF EXISTS).
    {"ErrorsRunPastClauseWords",
     "CREATE TABLE t (a int FOO REFERENCES u (a) ON DELETE CASCADE ON UPDATE NO ACTION, b int)\nPRINT 1\nGO\n"
     "MERGE t USING u ON t.a IS 5 WHEN MATCHED THEN UPDATE SET a = 1 WHEN NOT MATCHED THEN INSERT (a) VALUES (1);\n"
     "PRINT 2\nGO\nDROP WIDGET IF EXISTS x\nPRINT 3\n",
     {"stStatement|T|dboTable|odbCreate||CREATE TABLE t (a int FOO REFERENCES u (a) ON DELETE CASCADE ON UPDATE NO "
      "ACTION, b int)",
      S + "PRINT 1",
      S + "MERGE t USING u ON t.a IS 5 WHEN MATCHED THEN UPDATE SET a = 1 WHEN NOT MATCHED THEN INSERT (a) VALUES (1);",
      S + "PRINT 2", S + "DROP WIDGET IF EXISTS x", S + "PRINT 3"},
     {"Missing: <)> (<Ident>: FOO) @1:26", "Must be: NULL/DISTINCT FROM. @4:28", "Unknown DROP-statement @7:12"},
     {}},
    // A table type with its options is one statement and one type; so is a
    // CLR type; DROP TYPE names the same kind.
    {"TableAndClrTypes",
     "CREATE TYPE dbo.tt AS TABLE (a int NOT NULL PRIMARY KEY NONCLUSTERED, INDEX ix HASH (a) WITH (BUCKET_COUNT = 8))\n"
     "  WITH (MEMORY_OPTIMIZED = ON)\nGO\nCREATE TYPE dbo.Point EXTERNAL NAME Geo.[Geo.Point]\nGO\nDROP TYPE dbo.tt\n",
     {"stStatement|TT|dboDomain|odbCreate||CREATE TYPE dbo.tt AS TABLE (a int NOT NULL PRIMARY KEY NONCLUSTERED, INDEX ix "
      "HASH (a) WITH (BUCKET_COUNT = 8))\r\n  WITH (MEMORY_OPTIMIZED = ON)",
      "stStatement|POINT|dboDomain|odbCreate||CREATE TYPE dbo.Point EXTERNAL NAME Geo.[Geo.Point]",
      "stStatement|TT|dboDomain|odbDrop||DROP TYPE dbo.tt"},
     {},
     {"D DBO.POINT", "D DBO.TT"}},
    // MERGE keeps the ";" the server requires after it.
    {"MergeKeepsItsSemicolon",
     "MERGE dbo.t AS d USING dbo.u AS s ON d.a = s.a WHEN MATCHED THEN UPDATE SET d.b = s.b;\nPRINT 1;\nGO\n"
     "WITH c AS (SELECT 1 AS a) MERGE t USING c ON t.a = c.a WHEN NOT MATCHED THEN INSERT (a) VALUES (c.a)  ;\nGO\n",
     {S + "MERGE dbo.t AS d USING dbo.u AS s ON d.a = s.a WHEN MATCHED THEN UPDATE SET d.b = s.b;", S + "PRINT 1",
      S + "WITH c AS (SELECT 1 AS a) MERGE t USING c ON t.a = c.a WHEN NOT MATCHED THEN INSERT (a) VALUES (c.a);"},
     {},
     {}},
    // Indexes declared with a column or the table, hash indexes of a
    // memory-optimized table, a clustered columnstore index without columns.
    {"InlineIndexes",
     "CREATE TABLE t1 (a INT INDEX IX1 NONCLUSTERED, b int, c int, INDEX IX2 UNIQUE (b) INCLUDE (c) WHERE b > 0)\nGO\n"
     "CREATE TABLE t2 (a INT NOT NULL PRIMARY KEY NONCLUSTERED HASH WITH (BUCKET_COUNT = 1024),\n"
     "  b int INDEX ix3 HASH WITH (BUCKET_COUNT = 64)) WITH (MEMORY_OPTIMIZED = ON, DURABILITY = SCHEMA_ONLY)\nGO\n"
     "CREATE TABLE t3 (a int, INDEX cci CLUSTERED COLUMNSTORE)\n",
     {"stStatement|T1|dboTable|odbCreate||CREATE TABLE t1 (a INT INDEX IX1 NONCLUSTERED, b int, c int, INDEX IX2 UNIQUE "
      "(b) INCLUDE (c) WHERE b > 0)",
      "stStatement|T2|dboTable|odbCreate||CREATE TABLE t2 (a INT NOT NULL PRIMARY KEY NONCLUSTERED HASH WITH "
      "(BUCKET_COUNT = 1024),\r\n  b int INDEX ix3 HASH WITH (BUCKET_COUNT = 64)) WITH (MEMORY_OPTIMIZED = ON, "
      "DURABILITY = SCHEMA_ONLY)",
      "stStatement|T3|dboTable|odbCreate||CREATE TABLE t3 (a int, INDEX cci CLUSTERED COLUMNSTORE)"},
     {},
     {"T DBO.T1", "T DBO.T2", "T DBO.T3", "I DBO.T1.IX1", "I DBO.T1.IX2", "I DBO.T2.IX3", "I DBO.T3.CCI"}},
    // Statements of today's servers that build nothing the model holds.
    {"CurrentSyntaxWithoutKind",
     "ALTER INDEX ix ON t REBUILD PARTITION = ALL WITH (ONLINE = ON)\nALTER INDEX ALL ON dbo.t REORGANIZE\n"
     "ALTER AUTHORIZATION ON DATABASE::X TO sa\nALTER ASSEMBLY a ADD FILE FROM 0x4D5A AS N'a.pdb'\n"
     "CREATE PARTITION FUNCTION pf (int) AS RANGE RIGHT FOR VALUES (1, 100)\n"
     "CREATE PARTITION SCHEME ps AS PARTITION pf ALL TO ([PRIMARY])\nCREATE SYNONYM dbo.s FOR srv.db.dbo.t\n"
     "CREATE SPATIAL INDEX sx ON dbo.g (shape) USING GEOMETRY_AUTO_GRID WITH (BOUNDING_BOX = (0, 0, 10, 10))\n"
     "ALTER SCHEMA sales TRANSFER dbo.t\nALTER SEQUENCE s RESTART WITH 1\nGRANT SHOWPLAN TO u\n"
     "GRANT VIEW DEFINITION ON SCHEMA::dbo TO a, [b]\nCREATE EVENT SESSION es ON SERVER ADD EVENT "
     "sqlserver.sql_batch_completed (ACTION (sqlserver.sql_text) WHERE duration > 10) ADD TARGET package0.event_file "
     "(SET filename = N'x.xel') WITH (MAX_MEMORY = 4096 KB, STARTUP_STATE = ON)\n"
     "ALTER EVENT SESSION es ON SERVER DROP EVENT sqlserver.sql_batch_completed\n"
     "ALTER EVENT SESSION es ON SERVER STATE = START\nDROP EVENT SESSION es ON SERVER\n"
     "ALTER DATABASE shop ADD FILEGROUP mo CONTAINS MEMORY_OPTIMIZED_DATA\n"
     "ALTER DATABASE shop ADD FILE (NAME = 'mo1', FILENAME = 'c:\\mo1') TO FILEGROUP mo\n"
     "BULK INSERT dbo.t FROM 'c:\\t.csv' WITH (FIELDTERMINATOR = ',', FIRSTROW = 2)\nGO\n",
     {S + "ALTER INDEX ix ON t REBUILD PARTITION = ALL WITH (ONLINE = ON)", S + "ALTER INDEX ALL ON dbo.t REORGANIZE",
      S + "ALTER AUTHORIZATION ON DATABASE::X TO sa", S + "ALTER ASSEMBLY a ADD FILE FROM 0x4D5A AS N'a.pdb'",
      S + "CREATE PARTITION FUNCTION pf (int) AS RANGE RIGHT FOR VALUES (1, 100)",
      S + "CREATE PARTITION SCHEME ps AS PARTITION pf ALL TO ([PRIMARY])", S + "CREATE SYNONYM dbo.s FOR srv.db.dbo.t",
      S + "CREATE SPATIAL INDEX sx ON dbo.g (shape) USING GEOMETRY_AUTO_GRID WITH (BOUNDING_BOX = (0, 0, 10, 10))",
      S + "ALTER SCHEMA sales TRANSFER dbo.t", S + "ALTER SEQUENCE s RESTART WITH 1",
      "stStatement||dboGrant|odbCreate||GRANT SHOWPLAN TO u",
      "stStatement|DBO|dboGrant|odbCreate||GRANT VIEW DEFINITION ON SCHEMA::dbo TO a, [b]",
      S + "CREATE EVENT SESSION es ON SERVER ADD EVENT sqlserver.sql_batch_completed (ACTION (sqlserver.sql_text) "
          "WHERE duration > 10) ADD TARGET package0.event_file (SET filename = N'x.xel') WITH (MAX_MEMORY = 4096 KB, "
          "STARTUP_STATE = ON)",
      S + "ALTER EVENT SESSION es ON SERVER DROP EVENT sqlserver.sql_batch_completed",
      S + "ALTER EVENT SESSION es ON SERVER STATE = START",
      "stStatement||dboUnknown|odbDrop||DROP EVENT SESSION es ON SERVER",
      "stStatement|SHOP|dboDatabase|odbAlter||ALTER DATABASE shop ADD FILEGROUP mo CONTAINS MEMORY_OPTIMIZED_DATA",
      "stStatement|SHOP|dboDatabase|odbAlter||ALTER DATABASE shop ADD FILE (NAME = 'mo1', FILENAME = 'c:\\mo1') TO "
      "FILEGROUP mo",
      S + "BULK INSERT dbo.t FROM 'c:\\t.csv' WITH (FIELDTERMINATOR = ',', FIRSTROW = 2)"},
     {},
     {}},
    // Views: WITH CHECK OPTION, joins in parentheses linking every table.
    {"ViewsOfRealScripts",
     "CREATE TABLE a (x int)\nCREATE TABLE b (x int)\nCREATE TABLE c (x int)\nGO\n"
     "CREATE VIEW v1 AS SELECT x FROM a WHERE x > 0 WITH CHECK OPTION\nGO\n"
     "CREATE VIEW v2 AS SELECT a.x FROM ((a INNER JOIN b ON a.x = b.x) LEFT JOIN c ON c.x = b.x)\nGO\n",
     {"stStatement|A|dboTable|odbCreate||CREATE TABLE a (x int)", "stStatement|B|dboTable|odbCreate||CREATE TABLE b (x int)",
      "stStatement|C|dboTable|odbCreate||CREATE TABLE c (x int)",
      "stStatement|V1|dboView|odbCreate||CREATE VIEW v1 AS SELECT x FROM a WHERE x > 0 WITH CHECK OPTION",
      "stStatement|V2|dboView|odbCreate||CREATE VIEW v2 AS SELECT a.x FROM ((a INNER JOIN b ON a.x = b.x) LEFT JOIN c "
      "ON c.x = b.x)"},
     {},
     {"T DBO.A", "T DBO.B", "T DBO.C", "V DBO.V1", "V DBO.V2"}},
    // A view's message stands at its line in the script and in script order.
    {"ViewMessagesInScriptOrder",
     "CREATE VIEW z AS\nSELECT 1 FROM t WHERE\nGO\nCREATE VIEW a AS SELECT 1 +\nGO\nSET FOO ON\n",
     {"stStatement|Z|dboView|odbCreate||CREATE VIEW z AS\r\nSELECT 1 FROM t WHERE",
      "stStatement|A|dboView|odbCreate||CREATE VIEW a AS SELECT 1 +", S + "SET FOO ON"},
     {"View Z: Unknown/Invalid factor in expression (<Terminator>) @3:3",
      "View A: Unknown/Invalid factor in expression (<Terminator>) @5:3", "Unknown SET-statement. @6:8"},
     {"V DBO.A", "V DBO.Z"}},
    // Names differing in case beyond ASCII name one object.
    {"NamesFoldBeyondAscii",
     "CREATE TABLE [Caf\xC3\xA9] (a int)\nGO\nCREATE VIEW \xC3\x9C" "ber AS SELECT a FROM dbo.[CAF\xC3\x89]\nGO\n"
     "ALTER VIEW [\xC3\xBC" "BER] AS SELECT a FROM caf\xC3\xA9\nGO\n",
     {"stStatement|CAF\xC3\x89|dboTable|odbCreate||CREATE TABLE [Caf\xC3\xA9] (a int)",
      "stStatement|\xC3\x9C" "BER|dboView|odbCreate||CREATE VIEW \xC3\x9C" "ber AS SELECT a FROM dbo.[CAF\xC3\x89]",
      "stStatement|\xC3\x9C" "BER|dboView|odbAlter||ALTER VIEW [\xC3\xBC" "BER] AS SELECT a FROM caf\xC3\xA9"},
     {},
     {"T DBO.CAF\xC3\x89", "V DBO.\xC3\x9C" "BER"}},
    // A view's query is read under the QUOTED_IDENTIFIER state it was
    // created with, whatever the script sets later.
    {"QuotedIdentifierOfTheView",
     "SET QUOTED_IDENTIFIER ON\nGO\nCREATE TABLE \"Order Items\" (\"Item No\" int)\nGO\n"
     "CREATE VIEW \"v q\" AS SELECT \"Item No\" FROM \"Order Items\"\nGO\nSET QUOTED_IDENTIFIER OFF\nGO\n",
     {S + "SET QUOTED_IDENTIFIER ON", "stStatement|ORDER ITEMS|dboTable|odbCreate||CREATE TABLE \"Order Items\" (\"Item No\" int)",
      "stStatement|V Q|dboView|odbCreate||CREATE VIEW \"v q\" AS SELECT \"Item No\" FROM \"Order Items\"",
      S + "SET QUOTED_IDENTIFIER OFF"},
     {},
     {"T DBO.ORDER ITEMS", "V DBO.V Q"}},
    // Lines of the command-line tool are comment statements of their own,
    // between batches or between statements, and give no error.
    {"SqlCmdLines",
     ":setvar DatabaseName \"Shop\"\n:on error exit\nGO\nCREATE TABLE t (a int)\n:r .\\post.sql\n  !!dir\nPRINT 1\nGO\n",
     {"stComment||dboUnknown|odbComment||:setvar DatabaseName \"Shop\"", "stComment||dboUnknown|odbComment||:on error exit",
      "stStatement|T|dboTable|odbCreate||CREATE TABLE t (a int)", "stComment||dboUnknown|odbComment||:r .\\post.sql",
      "stComment||dboUnknown|odbComment||!!dir", S + "PRINT 1"},
     {},
     {"T DBO.T"}},
    // A string, bracketed name or comment that never ends: the error stands
    // where it opens and the statement goes on whole.
    {"UnterminatedString", "PRINT 1\nGO\nPRINT 'abc\nGO\nPRINT 2\n",
     {S + "PRINT 1", S + "PRINT 'abc\r\nGO\r\nPRINT 2"},
     {"Unterminated string. @3:7"},
     {}},
    {"UnterminatedStringFirst", "PRINT 0\nGO\nN'abc\nGO\nPRINT 2\n",
     {S + "PRINT 0", S + "N'abc\r\nGO\r\nPRINT 2"},
     {"Unterminated string. @3:2"},
     {}},
    {"UnterminatedBracketedName", "CREATE TABLE t (a int)\nGO\nSELECT [a FROM t\nGO\nPRINT 2\n",
     {"stStatement|T|dboTable|odbCreate||CREATE TABLE t (a int)", S + "SELECT [a FROM t\r\nGO\r\nPRINT 2"},
     {"Unterminated bracket Identifier @3:8"},
     {"T DBO.T"}},
    // Batches passed on unscanned (IF, DECLARE, a routine's body) report it
    // the same way.
    {"UnterminatedStringInIf", "PRINT 0\nGO\nIF 1 = 1 PRINT 'x\nGO\nPRINT 2\n",
     {S + "PRINT 0", S + "IF 1 = 1 PRINT 'x\r\nGO\r\nPRINT 2"},
     {"Unterminated string. @3:16"},
     {}},
    {"UnterminatedNameInDeclare", "DECLARE @a int = [x\nGO\nPRINT 2\n",
     {S + "DECLARE @a int = [x\r\nGO\r\nPRINT 2"},
     {"Unterminated bracket Identifier @1:18"},
     {}},
    {"UnterminatedCommentInRoutine", "CREATE PROC p AS SELECT 1 /* x\nGO\nPRINT 2\n",
     {"stStatement|P|dboProcedure|odbCreate||CREATE PROC p AS SELECT 1 /* x\r\nGO\r\nPRINT 2"},
     {"Unterminated comment. @1:27"},
     {}},
    {"UnterminatedNestedComment", "PRINT 1 /* a /* b */\nGO\nPRINT 2\n",
     {S + "PRINT 1 /* a /* b */\r\nGO\r\nPRINT 2"},
     {"Unterminated comment. @1:9"},
     {}},
    // The elements of CREATE SCHEMA are its own: one statement, and what
    // they create without a schema name is created in the new schema.
    {"CreateSchemaKeepsItsElements",
     "CREATE SCHEMA s1 AUTHORIZATION dbo CREATE TABLE t1 (c1 int) GRANT SELECT ON t1 TO u1\nGO\n"
     "CREATE SCHEMA s2\n  CREATE TABLE t2 (c int)\n  CREATE VIEW v2 AS SELECT c FROM t2\nGO\n"
     "CREATE SCHEMA s3 CREATE TABLE dbo.t3 (c int)\nCREATE TABLE t4 (c int)\n",
     {"stStatement|S1|dboSchema|odbCreate||CREATE SCHEMA s1 AUTHORIZATION dbo CREATE TABLE t1 (c1 int) GRANT SELECT "
      "ON t1 TO u1",
      "stStatement|S2|dboSchema|odbCreate||CREATE SCHEMA s2\r\n  CREATE TABLE t2 (c int)\r\n  CREATE VIEW v2 AS "
      "SELECT c FROM t2",
      "stStatement|S3|dboSchema|odbCreate||CREATE SCHEMA s3 CREATE TABLE dbo.t3 (c int)\r\nCREATE TABLE t4 (c int)"},
     {},
     {"T DBO.T3", "T S1.T1", "T S2.T2", "T S3.T4", "V S2.V2"}},
    // A column's own index with a list of columns, in a table, a table
    // variable and the table a function returns.
    {"ColumnIndexWithColumnList",
     "CREATE TABLE dbo.m (id int NOT NULL, d datetime2 NOT NULL INDEX ix_d NONCLUSTERED HASH (id) WITH "
     "(BUCKET_COUNT = 1024), CONSTRAINT pk_m PRIMARY KEY NONCLUSTERED (id)) WITH (MEMORY_OPTIMIZED = ON)\nGO\n"
     "CREATE FUNCTION dbo.f () RETURNS @t TABLE (id int, d datetime2 INDEX ix_d NONCLUSTERED (d, id)) AS BEGIN "
     "RETURN END\nGO\n",
     {"stStatement|M|dboTable|odbCreate||CREATE TABLE dbo.m (id int NOT NULL, d datetime2 NOT NULL INDEX ix_d "
      "NONCLUSTERED HASH (id) WITH (BUCKET_COUNT = 1024), CONSTRAINT pk_m PRIMARY KEY NONCLUSTERED (id)) WITH "
      "(MEMORY_OPTIMIZED = ON)",
      "stStatement|F|dboProcedure|odbCreate||CREATE FUNCTION dbo.f () RETURNS @t TABLE (id int, d datetime2 INDEX "
      "ix_d NONCLUSTERED (d, id)) AS BEGIN RETURN END"},
     {},
     {"T DBO.M", "I DBO.M.IX_D", "P DBO.F"}},
    // A word that could begin a statement but only goes on with this one
    // where it stands, in a statement family the parser has no rule for.
    {"ClauseWordsOfUnknownKinds",
     "ALTER AVAILABILITY GROUP ag1 GRANT CREATE ANY DATABASE\n"
     "ALTER EXTERNAL RESOURCE POOL p1 WITH (MAX_CPU_PERCENT = 10)\n"
     "ALTER SERVER ROLE r1 DROP MEMBER l1\nALTER SERVER ROLE r1 ADD MEMBER l2\n"
     "ALTER DATABASE d1 SET PARTNER RESUME\nSET NOCOUNT ON\nROLLBACK\nGO\n"
     "GRANT SELECT ON t TO u WITH\nCREATE VIEW v AS SELECT 1\n",
     {S + "ALTER AVAILABILITY GROUP ag1 GRANT CREATE ANY DATABASE",
      S + "ALTER EXTERNAL RESOURCE POOL p1 WITH (MAX_CPU_PERCENT = 10)", S + "ALTER SERVER ROLE r1 DROP MEMBER l1",
      S + "ALTER SERVER ROLE r1 ADD MEMBER l2", "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET PARTNER RESUME",
      S + "SET NOCOUNT ON", S + "ROLLBACK", "stStatement|T|dboGrant|odbCreate||GRANT SELECT ON t TO u WITH",
      "stStatement|V|dboView|odbCreate||CREATE VIEW v AS SELECT 1"},
     // ... but a statement that must stand first in its batch is never
     // taken into the one before.
     {"Unknown statement: WITH @9:28"},
     {"V DBO.V"}},
    // A common table expression with no ";" before it goes with the
    // statement before (the server refuses the batch whole); its query or
    // DML goes with it, never sent alone without the CTE's filter.
    {"CteWithoutSemicolonStaysWithItsQuery",
     "SET NOCOUNT ON\nWITH d AS (SELECT * FROM t1 WHERE a = 1) DELETE FROM d\nGO\n"
     "PRINT 1\nWITH x (a) AS (SELECT 1), y AS (SELECT 2) UPDATE x SET a = 2\nGO\n"
     "PRINT 2\nWITH XMLNAMESPACES ('urn:a' AS a) SELECT 1\nGO\n",
     {S + "SET NOCOUNT ON\r\nWITH d AS (SELECT * FROM t1 WHERE a = 1) DELETE FROM d",
      S + "PRINT 1\r\nWITH x (a) AS (SELECT 1), y AS (SELECT 2) UPDATE x SET a = 2",
      S + "PRINT 2\r\nWITH XMLNAMESPACES ('urn:a' AS a) SELECT 1"},
     {"Unknown statement: WITH @2:5", "Unknown statement: WITH @5:5", "Unknown statement: WITH @8:5"},
     {}},
    // Lines of the command-line tool, ":!!" too, are comments, never sent.
    {"ToolLinesAreComments", ":!! echo x\n!! dir\n  :!!dir\nPRINT 1\nGO\n",
     {"stComment||dboUnknown|odbComment||:!! echo x", "stComment||dboUnknown|odbComment||!! dir",
      "stComment||dboUnknown|odbComment||:!!dir", S + "PRINT 1"},
     {},
     {}},
};

INSTANTIATE_TEST_SUITE_P(Items, MSSQLRealScripts, ::testing::ValuesIn(kItemCases),
                         [](const auto& Info) { return Info.param.Name; });

// A table or CLR type goes back into a script as the script wrote it.
TEST(MSSQLRealScripts, TableAndClrTypesWrittenBack)
{
    TRun run("CREATE TYPE dbo.tt AS TABLE (a int) WITH (MEMORY_OPTIMIZED = ON)\nGO\n"
             "CREATE TYPE Point EXTERNAL NAME Geo.[Geo.Point]\n");
    const TDbObj* table = run.objs.FindDomain("DBO.TT");
    const TDbObj* clr = run.objs.FindDomain("DBO.POINT");
    ASSERT_NE(table, nullptr);
    ASSERT_NE(clr, nullptr);
    EXPECT_EQ(table->GetCreateDDL(), "CREATE TYPE DBO.TT AS TABLE (a int) WITH (MEMORY_OPTIMIZED = ON)");
    EXPECT_EQ(clr->GetCreateDDL(), "CREATE TYPE DBO.POINT EXTERNAL NAME Geo.[Geo.Point]");
}

// Joins nested in parentheses, as old sample databases write them: the view
// uses every table it joins.
TEST(MSSQLRealScripts, NestedJoinsLinkEveryTable)
{
    std::string script = "SET QUOTED_IDENTIFIER ON\nGO\n";
    for (const char* t : {"Shippers", "Products", "Employees", "Customers", "Orders", "\"Order Details\""})
        script += std::string("CREATE TABLE ") + t + " (ID int)\nGO\n";
    script += "CREATE VIEW Invoices AS SELECT Orders.ID FROM Shippers INNER JOIN (Products INNER JOIN ((Employees "
              "INNER JOIN (Customers INNER JOIN Orders ON Customers.ID = Orders.ID) ON Employees.ID = Orders.ID) INNER "
              "JOIN \"Order Details\" ON Orders.ID = \"Order Details\".ID) ON Products.ID = \"Order Details\".ID) ON "
              "Shippers.ID = Orders.ID\n";
    TRun run(script);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    EXPECT_EQ(TRun::Uses(run.objs.FindView("DBO.INVOICES")),
              (std::vector<std::string>{"SHIPPERS", "PRODUCTS", "EMPLOYEES", "CUSTOMERS", "ORDERS", "ORDER DETAILS"}));
}

// A script is read as the executor's ODBC session runs it: QUOTED_IDENTIFIER
// on from the start, until the script sets it off; each object keeps the
// state it was created in.
TEST(MSSQLRealScripts, QuotedIdentifierOnUntilTheScriptSetsItOff)
{
    TRun run("CREATE VIEW \"My View\" AS SELECT 1 AS \"a\"\nGO\nSET QUOTED_IDENTIFIER OFF\nGO\n"
             "CREATE VIEW v2 AS SELECT \"text\" AS a\nGO\nSET QUOTED_IDENTIFIER ON\nGO\n"
             "CREATE TABLE \"T 3\" (\"a b\" int)\n");
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    EXPECT_EQ(run.Filed(), (std::vector<std::string>{"T DBO.T 3", "V DBO.MY VIEW", "V DBO.V2"}));
    const TDbObj* first = run.objs.FindView("DBO.MY VIEW");
    const TDbObj* second = run.objs.FindView("DBO.V2");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(first->QuotedIdentifier);
    EXPECT_FALSE(second->QuotedIdentifier);
}

// GO takes any positive count the command-line tool takes; the batch's
// statements are handed on that often, or the count is refused with its
// bound when the copies would not fit.
TEST(MSSQLRealScripts, GoCounts)
{
    struct TCase {
        const char* Count;
        std::size_t Statements;
        std::vector<std::string> Messages;
    };
    const TCase cases[] = {
        {"1001", 1001, {}},
        {"0001", 1, {}},
        {"0", 1, {"Invalid count after GO: 0 @2:1"}},
        {"2147483647", 1,
         {"Invalid count after GO: 2147483647 (at most 100000 copies of the batch's statements) @2:1"}},
        {"2147483648", 1, {"Invalid count after GO: 2147483648 @2:1"}},
        {"99999999999", 1, {"Invalid count after GO: 99999999999 @2:1"}},
    };
    for (const TCase& c : cases) {
        TRun run(std::string("PRINT 1\nGO ") + c.Count + "\nPRINT 2\n");
        EXPECT_EQ(run.Statements.size(), c.Statements + 1) << c.Count;
        EXPECT_EQ(run.Messages(), c.Messages) << c.Count;
    }
}

// The view that a differently cased name links to the same table.
TEST(MSSQLRealScripts, FoldedNamesLink)
{
    TRun run("CREATE TABLE [Caf\xC3\xA9] (a int)\nGO\nCREATE VIEW v AS SELECT a FROM [CAF\xC3\x89]\n");
    EXPECT_EQ(TRun::Uses(run.objs.FindView("DBO.V")), std::vector<std::string>{"CAF\xC3\x89"});
}

// ---- installation scripts of our own ------------------------------------------------------

namespace {

std::string ReadSample(const std::string& Name)
{
    // A build that writes source paths relative to its folder (a compiler
    // cache does) leaves __FILE__ relative to the build folder, while CTest
    // runs the test in a folder below it.
    std::filesystem::path path = std::filesystem::path(__FILE__).parent_path() / "mssql" / Name;
    for (int up = 0; up < 4 && path.is_relative() && !std::filesystem::exists(path); ++up) path = ".." / path;
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The tokens of a text with comments, blanks, ";" and GO lines taken out;
// Strings true keeps string literals, else each becomes "''" (the dynamic
// SQL inside is no part of the script's own DDL).
std::string Tokens(const std::string& Script, bool Strings)
{
    // Line breaks inside strings come back as CR LF from a load.
    std::string Text = Script;
    std::erase(Text, '\r');
    std::string out;
    bool lineStart = true;
    for (std::size_t i = 0; i < Text.size();) {
        const char c = Text[i];
        const auto at = [&](std::size_t k) { return k < Text.size() ? Text[k] : '\0'; };
        if (c == '\'' || c == '[' || c == '"') {
            const char close = c == '[' ? ']' : c;
            std::size_t j = i + 1;
            for (; j < Text.size(); ++j)
                if (Text[j] == close) {
                    if (at(j + 1) != close) break;
                    ++j;
                }
            out += c == '\'' && !Strings ? std::string("''") : Text.substr(i, j + 1 - i);
            i = j + 1;
            lineStart = false;
        } else if (c == '-' && at(i + 1) == '-') {
            while (i < Text.size() && Text[i] != '\n') ++i;
        } else if (c == '/' && at(i + 1) == '*') {
            int depth = 0;
            do {
                if (Text[i] == '/' && at(i + 1) == '*') ++depth, i += 2;
                else if (Text[i] == '*' && at(i + 1) == '/') --depth, i += 2;
                else ++i;
            } while (depth > 0 && i < Text.size());
        } else if (lineStart && (c == 'G' || c == 'g') && (at(i + 1) == 'O' || at(i + 1) == 'o') &&
                   (at(i + 2) == '\r' || at(i + 2) == '\n' || at(i + 2) == ' ' || at(i + 2) == '\0')) {
            i += 2;
        } else {
            if (c == '\n') lineStart = true;
            else if (c != ' ' && c != '\t' && c != '\r') lineStart = false;
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != ';') out += c;
            ++i;
        }
    }
    return out;
}

// "TABLE SALES.CUSTOMERS" for every CREATE of a table, view, routine,
// trigger, type, index or sequence outside strings (temporary tables and
// their indexes left out).
std::vector<std::string> CreatesOf(const std::string& Text)
{
    static const std::regex create(
        R"(\bCREATE\s+(?:OR\s+ALTER\s+)?(?:UNIQUE\s+)?(?:(?:NON)?CLUSTERED\s+)?(?:COLUMNSTORE\s+)?)"
        R"((TABLE|VIEW|PROCEDURE|PROC|FUNCTION|TRIGGER|TYPE|INDEX|SEQUENCE)\s+((?:\[[^\]]+\]|[\w#@$]+)(?:\s*\.\s*(?:\[[^\]]+\]|[\w#@$]+))*)(?:\s+ON\s+([\w#\[]))?)",
        std::regex::icase);
    std::vector<std::string> out;
    // The words stay apart: strings and "--" comments become blanks.
    std::string spaced = Text;
    for (std::size_t i = 0; i < spaced.size(); ++i) {
        if (spaced[i] == '\'') {
            std::size_t j = i + 1;
            while (j < spaced.size() && !(spaced[j] == '\'' && (j + 1 >= spaced.size() || spaced[j + 1] != '\''))) j += spaced[j] == '\'' ? 2 : 1;
            for (std::size_t k = i; k <= j && k < spaced.size(); ++k) spaced[k] = ' ';
            i = j;
        } else if (spaced[i] == '-' && i + 1 < spaced.size() && spaced[i + 1] == '-') {
            while (i < spaced.size() && spaced[i] != '\n') spaced[i++] = ' ';
        } else if (spaced[i] == '/' && i + 1 < spaced.size() && spaced[i + 1] == '*') {
            const std::size_t end = std::min(spaced.find("*/", i + 2), spaced.size() - 2);
            for (std::size_t k = i; k < end + 2; ++k) spaced[k] = ' ';
            i = end + 1;
        }
    }
    for (std::sregex_iterator it(spaced.begin(), spaced.end(), create), end; it != end; ++it) {
        std::string kind = UpperCase((*it)[1].str());
        if (kind == "PROC" || kind == "FUNCTION") kind = "PROCEDURE";
        std::string name = (*it)[2].str();
        name = name.substr(name.find_last_of('.') == std::string::npos ? 0 : name.find_last_of('.') + 1);
        name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return c == '[' || c == ']' || c == ' '; }),
                   name.end());
        if (name.front() == '#' || (*it)[3].str() == "#") continue;
        out.push_back(kind + " " + MSSQLNameKey(name));
    }
    return out;
}

bool Filed(const TObjs& Objs, const std::string& Create)
{
    const std::string kind = Create.substr(0, Create.find(' '));
    const std::string name = Create.substr(Create.find(' ') + 1);
    const TObjIndex& index = kind == "TABLE"       ? Objs.Tables
                             : kind == "VIEW"      ? Objs.Views
                             : kind == "PROCEDURE" ? Objs.Procedures
                             : kind == "TRIGGER"   ? Objs.Triggers
                             : kind == "TYPE"      ? Objs.Domains
                             : kind == "INDEX"     ? Objs.Indexes
                                                   : Objs.Generators;
    for (int i = 0; i < index.Count(); ++i) {
        const std::string& key = index.Keys(i);
        if (key == name || (key.size() > name.size() && key.ends_with("." + name))) return true;
    }
    return false;
}

// The SQL of a statement row "StatType|ObjName|ObjType|Operation|ParentName|SQL".
std::string SqlOf(const std::string& Row)
{
    std::size_t p = 0;
    for (int i = 0; i < 5; ++i) p = Row.find('|', p) + 1;
    return Row.substr(p);
}

struct TSampleCase {
    std::string File;
    int Statements;
    std::size_t Creates;
    friend void PrintTo(const TSampleCase& c, std::ostream* os) { *os << c.File; }
};

class MSSQLInstallScripts : public ::testing::TestWithParam<TSampleCase> {};

// No message; the statements, in order, hold every token of the script once
// (none lost, none twice), each begins as a statement does (no tail of
// another), and every CREATE outside dynamic SQL is in the collection.
TEST_P(MSSQLInstallScripts, WholeStatementsNoMessageEveryCreateFiled)
{
    const std::string text = ReadSample(GetParam().File);
    ASSERT_FALSE(text.empty());
    TRun run(text);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    std::string joined;
    static const std::regex head(
        R"(^\|[^|]*\|[^|]*\|[^|]*\|[^|]*\|\s*(CREATE|ALTER|DROP|SET|EXEC|EXECUTE|GRANT|DENY|REVOKE|USE|IF|DECLARE|INSERT|UPDATE|DELETE|MERGE|PRINT|SELECT|BEGIN|BULK|ENABLE|DISABLE|WITH\s+\w+\s+AS|:|!!))",
        std::regex::icase);
    for (const std::string& s : run.Statements) {
        joined += Tokens(SqlOf(s), true);
        EXPECT_TRUE(std::regex_search(s.substr(s.find('|')), head)) << s.substr(0, 200);
    }
    // Where the texts part, not the whole script.
    const std::string expected = Tokens(text, true);
    const auto [a, b] = std::mismatch(joined.begin(), joined.end(), expected.begin(), expected.end());
    EXPECT_TRUE(a == joined.end() && b == expected.end())
        << "statements: ..." << std::string(a, a + std::min<std::ptrdiff_t>(120, joined.end() - a)) << "\nscript: ..."
        << std::string(b, b + std::min<std::ptrdiff_t>(120, expected.end() - b));
    EXPECT_EQ(static_cast<int>(run.Statements.size()), GetParam().Statements);
    const std::vector<std::string> creates = CreatesOf(text);
    EXPECT_EQ(creates.size(), GetParam().Creates);
    for (const std::string& c : creates) EXPECT_TRUE(Filed(run.objs, c)) << c;
}

INSTANTIATE_TEST_SUITE_P(Samples, MSSQLInstallScripts,
                         ::testing::Values(TSampleCase{"shop_schema.sql", 102, 18}, TSampleCase{"shop_code.sql", 48, 17},
                                           TSampleCase{"shop_deploy.sql", 120, 19}, TSampleCase{"shop_tools.sql", 19, 8}),
                         [](const auto& Info) {
                             std::string n = Info.param.File.substr(0, Info.param.File.find('.'));
                             n.erase(std::remove(n.begin(), n.end(), '_'), n.end());
                             return n;
                         });

// ---- batches of today's scripts, read without a message ----------------------------------

class MSSQLCurrentBatches : public ::testing::TestWithParam<const char*> {};

// Each batch loads without a message and its statements hold all of it.
TEST_P(MSSQLCurrentBatches, NoMessage)
{
    TRun run(GetParam());
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    std::string joined;
    for (const std::string& s : run.Statements) joined += Tokens(SqlOf(s), true);
    EXPECT_EQ(joined, Tokens(GetParam(), true));
}

const char* const kCurrentBatches[] = {
    R"(CREATE ASSEMBLY [ShopClr] AUTHORIZATION [dbo] FROM 0x4D5A90000300000004000000FFFF0000B800000000000000 WITH PERMISSION_SET = SAFE)",
    R"(CREATE PROCEDURE [dbo].[clrSendMail] @to nvarchar(256), @body nvarchar(max) WITH EXECUTE AS CALLER AS EXTERNAL NAME [ShopClr].[Shop.Mail].[Send])",
    R"(CREATE FUNCTION [dbo].[clrSplit](@text nvarchar(max), @sep nchar(1)) RETURNS TABLE ([item] nvarchar(4000) NULL, [pos] int NULL) WITH EXECUTE AS CALLER AS EXTERNAL NAME [ShopClr].[Shop.Text].[Split])",
    R"(CREATE FUNCTION [dbo].[clrRegexMatch](@input nvarchar(max), @pattern nvarchar(4000)) RETURNS bit AS EXTERNAL NAME ShopClr.[Shop.Text].RegexMatch)",
    R"(CREATE AGGREGATE [dbo].[Concat](@value nvarchar(4000)) RETURNS nvarchar(max) EXTERNAL NAME [ShopClr].[Shop.Concat])",
    R"(CREATE FUNCTION dbo.fnNative (@a int) RETURNS int WITH NATIVE_COMPILATION, SCHEMABINDING AS BEGIN ATOMIC WITH (TRANSACTION ISOLATION LEVEL = SNAPSHOT, LANGUAGE = N'English') RETURN @a * 2; END)",
    R"(EXEC sp_configure 'show advanced options', 1;
RECONFIGURE WITH OVERRIDE;
EXEC sp_configure 'clr enabled', 1;
RECONFIGURE;)",
    R"(ALTER DATABASE CURRENT SET RECOVERY SIMPLE WITH NO_WAIT)",
    R"(ALTER DATABASE [Shop] SET ALLOW_SNAPSHOT_ISOLATION ON)",
    R"(ALTER DATABASE [Shop] MODIFY FILEGROUP [ShopArchive] DEFAULT)",
    R"(SET DEADLOCK_PRIORITY LOW
SET LOCK_TIMEOUT 1000
SET XACT_ABORT ON
SET NOEXEC OFF
SET LANGUAGE us_english
SET DATEFIRST 1
SET CONTEXT_INFO 0x1256
SET ROWCOUNT 0
SET STATISTICS XML OFF
SET TEXTSIZE 2147483647)",
    R"(CREATE MASTER KEY ENCRYPTION BY PASSWORD = 'Str0ng!Passw0rd')",
    R"(CREATE CERTIFICATE ShopCert WITH SUBJECT = 'Shop certificate', EXPIRY_DATE = '20301231')",
    R"(CREATE SYMMETRIC KEY ShopKey WITH ALGORITHM = AES_256 ENCRYPTION BY CERTIFICATE ShopCert)",
    R"(OPEN SYMMETRIC KEY ShopKey DECRYPTION BY CERTIFICATE ShopCert
UPDATE Sales.Customers SET Email = ENCRYPTBYKEY(KEY_GUID('ShopKey'), Email)
CLOSE SYMMETRIC KEY ShopKey)",
    R"(CREATE DATABASE ENCRYPTION KEY WITH ALGORITHM = AES_256 ENCRYPTION BY SERVER CERTIFICATE ShopCert)",
    R"(UPDATE STATISTICS Sales.Orders WITH FULLSCAN)",
    R"(UPDATE STATISTICS Sales.Orders IX_Orders_Customer WITH SAMPLE 50 PERCENT)",
    R"(EXEC sp_rename N'Sales.Orders.Comment', N'Remark', N'COLUMN')",
    R"(EXEC sp_addrolemember N'db_owner', N'ShopApp')",
    R"(INSERT INTO #t EXEC dbo.uspSomething @a = 1)",
    R"(SELECT * INTO #copy FROM Sales.Orders WHERE 1 = 0)",
    R"(TRUNCATE TABLE Sales.ShoppingCart)",
    R"(TRUNCATE TABLE Sales.Orders WITH (PARTITIONS (1, 2 TO 3)))",
    R"(ALTER TABLE Sales.Orders ADD CONSTRAINT DF_X DEFAULT 0 FOR Status WITH VALUES)",
    R"(CREATE INDEX IX_Online ON Sales.Orders (OrderDate) WITH (ONLINE = ON (WAIT_AT_LOW_PRIORITY (MAX_DURATION = 1 MINUTES, ABORT_AFTER_WAIT = SELF)), RESUMABLE = ON))",
    R"(IF OBJECT_ID(N'dbo.X', N'U') IS NOT NULL DROP TABLE dbo.X)",
    R"(DECLARE @t TABLE (a int)
INSERT @t VALUES (1)
SELECT * FROM @t)",
    R"(CREATE LOGIN [ShopLogin] WITH PASSWORD = N'x', DEFAULT_DATABASE = [Shop], CHECK_EXPIRATION = OFF, CHECK_POLICY = OFF)",
    R"(ALTER LOGIN [ShopLogin] WITH PASSWORD = N'y' OLD_PASSWORD = N'x')",
    R"(ALTER USER [ShopApp] WITH DEFAULT_SCHEMA = [Sales], LOGIN = [ShopLogin])",
    R"(ALTER SERVER ROLE [sysadmin] ADD MEMBER [ShopLogin])",
    R"(CREATE SERVER AUDIT [ShopAudit] TO FILE (FILEPATH = N'C:\Audit\') WITH (QUEUE_DELAY = 1000, ON_FAILURE = CONTINUE))",
    R"(ALTER SERVER AUDIT [ShopAudit] WITH (STATE = ON))",
    R"(CREATE DATABASE AUDIT SPECIFICATION [ShopAuditSpec] FOR SERVER AUDIT [ShopAudit] ADD (SELECT, INSERT, UPDATE ON SCHEMA::[Sales] BY [public]) WITH (STATE = ON))",
    R"(CREATE COLUMNSTORE INDEX csi ON dbo.t (a, b))",
    R"(DROP STATISTICS Sales.Orders.ST_Orders_Date_Status)",
    R"(DROP XML SCHEMA COLLECTION Sales.OrderNotes)",
    R"(DROP FULLTEXT INDEX ON Warehouse.Products)",
    R"(DROP ASSEMBLY ShopClr)",
    R"(DROP AGGREGATE dbo.Concat)",
    R"(CREATE TABLE dbo.T1 (a int NOT NULL, b AS a + 1, CONSTRAINT PK_T1 PRIMARY KEY NONCLUSTERED (a) WITH (FILLFACTOR = 80) ON [PRIMARY]) ON [PRIMARY] WITH (DATA_COMPRESSION = ROW))",
    R"(WITH cte AS (SELECT 1 AS a) SELECT * FROM cte)",
    R"(THROW 50000, 'x', 1;)",
    R"(SELECT 1;
THROW 50000, 'x', 1;)",
    R"(CREATE VIEW v1 AS SELECT a, b FROM t ORDER BY a OFFSET 10 ROWS FETCH NEXT 5 ROWS ONLY)",
    R"(CREATE VIEW v2 AS SELECT TOP (100) PERCENT WITH TIES a FROM t WITH (NOLOCK, NOEXPAND) ORDER BY a DESC)",
    R"(CREATE VIEW v3 AS SELECT a, SUM(b) AS s FROM t GROUP BY GROUPING SETS ((a), ()) HAVING SUM(b) > 0)",
    R"(CREATE VIEW v4 AS SELECT a, b, COUNT(*) AS n FROM t GROUP BY CUBE (a, b))",
    R"(CREATE VIEW v5 AS SELECT IIF(a > 0, 'p', 'n') AS s, CHOOSE(2, 'a', 'b'), TRY_CONVERT(int, b), TRY_CAST(b AS int), FORMAT(SYSDATETIME(), 'yyyy-MM-dd', 'de-de'), PARSE('1' AS int USING 'en-US') FROM t)",
    R"(CREATE VIEW v6 AS SELECT s.value FROM STRING_SPLIT(N'a,b', N',') AS s CROSS APPLY OPENJSON(N'{}') WITH (x int '$.x', y nvarchar(max) '$.y' AS JSON) AS j)",
    R"(CREATE VIEW v7 AS SELECT a FROM t FOR SYSTEM_TIME AS OF '2024-01-01' AS h WHERE a IS NOT DISTINCT FROM 1)",
    R"(CREATE VIEW v8 AS SELECT x.n.value('@id', 'int') AS id FROM t CROSS APPLY t.doc.nodes('/r/n') AS x(n))",
    R"(CREATE VIEW v9 AS SELECT a FROM t WHERE CONTAINS(b, N'"shop*"') OR FREETEXT(*, N'cart'))",
    R"(CREATE VIEW v10 AS SELECT $PARTITION.pfOrderYear(OrderDate) AS p, NEXT VALUE FOR dbo.s AS n FROM t)",
    R"(CREATE VIEW v11 AS SELECT p1.Name, p2.Name AS Friend FROM Graph_People p1, Graph_Knows k, Graph_People p2 WHERE MATCH(p1-(k)->p2))",
    R"(CREATE VIEW v12 AS SELECT a COLLATE Latin1_General_BIN2 AS a, b AT TIME ZONE 'UTC' AT TIME ZONE 'Central European Standard Time' AS c, ~a & 3 | 4 ^ 5 % 2 AS bits, $1.50 AS m, 1e5 AS f, 0x0A AS bin, N'x' + 'y' AS s, @@SPID AS spid, CURRENT_TIMESTAMP AS ts FROM t)",
    R"(CREATE VIEW v13 AS SELECT a, LAG(a, 1, 0) OVER (ORDER BY a) AS l, PERCENTILE_CONT(0.5) WITHIN GROUP (ORDER BY b) OVER (PARTITION BY a) AS med, FIRST_VALUE(b) OVER (PARTITION BY a ORDER BY b ROWS BETWEEN 1 PRECEDING AND 1 FOLLOWING) AS fv FROM t)",
    R"(CREATE VIEW v14 AS SELECT JSON_VALUE(j, '$.a') AS a, JSON_QUERY(j, '$.b') AS b, ISJSON(j) AS ok, TRANSLATE(s, 'abc', 'xyz') AS tr, TRIM(s) AS t1, GREATEST(a, b) AS g, LEAST(a, b) AS l FROM t)",
    R"(CREATE VIEW v15 AS SELECT a FROM t UNION ALL SELECT a FROM u EXCEPT SELECT a FROM w INTERSECT SELECT a FROM x)",
    R"(CREATE VIEW v16 AS SELECT * FROM (VALUES (1, 'a'), (2, 'b')) AS v(n, s))",
    R"(CREATE VIEW v17 AS WITH r AS (SELECT 1 AS n UNION ALL SELECT n + 1 FROM r WHERE n < 10) SELECT n FROM r)",
    R"(CREATE VIEW v18 AS SELECT p.* FROM (SELECT a, b, c FROM t) AS s PIVOT (MAX(c) FOR b IN ([x], [y])) AS p)",
    R"(CREATE VIEW v19 AS SELECT a FROM t WHERE b LIKE 'a!%%' ESCAPE '!' AND c BETWEEN 1 AND 5 AND d IN (1, 2, 3) AND e > ALL (SELECT e FROM u) AND EXISTS (SELECT 1 FROM u WHERE u.a = t.a))",
    R"(CREATE VIEW v20 AS SELECT (SELECT MAX(b) FROM u) AS mx, CASE WHEN a = 1 THEN CASE b WHEN 2 THEN 'x' END ELSE 'y' END AS c, CAST(a AS decimal(10, 2)) AS d, CONVERT(varchar(30), GETDATE(), 126) AS e, LEFT(s, 2) AS l, RIGHT(s, 2) AS r FROM t)",
    R"(CREATE VIEW v21 AS SELECT a, ROW_NUMBER() OVER w AS rn FROM t WINDOW w AS (ORDER BY a))",
    R"(CREATE VIEW v22 AS SELECT a FROM t FOR JSON PATH, ROOT('items'), INCLUDE_NULL_VALUES)",
    R"(CREATE VIEW v23 AS SELECT DATETRUNC(month, d) AS m, DATE_BUCKET(week, 1, d) AS w, APPROX_COUNT_DISTINCT(a) AS n FROM t GROUP BY DATETRUNC(month, d), DATE_BUCKET(week, 1, d))",
    R"(CREATE VIEW v24 AS SELECT value FROM GENERATE_SERIES(1, 10))",
    R"(CREATE VIEW v25 AS SELECT a FROM t TABLESAMPLE SYSTEM (10 PERCENT) REPEATABLE (42))",
    R"(CREATE VIEW v26 AS SELECT t.a, u.b FROM t LEFT HASH JOIN u ON u.a = t.a INNER LOOP JOIN w ON w.a = u.a)",
    R"(CREATE VIEW v27 AS SELECT TRIM(LEADING '0' FROM s) AS x, STRING_AGG(CONVERT(nvarchar(max), s), N',') WITHIN GROUP (ORDER BY s) AS agg FROM t)",
    R"(CREATE VIEW v28 AS SELECT a FROM dbo.t AS x WHERE x.a = (SELECT TOP 1 a FROM u ORDER BY a) AND x.b <> ANY (SELECT b FROM u))",
    R"(CREATE VIEW v29 AS SELECT geography::Point(47.6, -122.3, 4326).STDistance(g) AS dist, g.STAsText() AS txt FROM t)",
    R"(CREATE VIEW v30 AS SELECT a FROM OPENROWSET(BULK 'x.json', SINGLE_CLOB) AS j)",
    R"(CREATE TABLE dbo.Docs (
    DocID uniqueidentifier ROWGUIDCOL NOT NULL CONSTRAINT DF_Docs_ID DEFAULT (newsequentialid()) CONSTRAINT PK_Docs PRIMARY KEY,
    Body varbinary(max) FILESTREAM NULL,
    Code char(5) NOT NULL CONSTRAINT CK_Docs_Code CHECK (Code LIKE '[0-9][0-9]%' AND Code NOT IN ('00000', '99999')),
    Kind nvarchar(10) NOT NULL DEFAULT (N''),
    Seq int NOT NULL DEFAULT ((-1)),
    Num int NOT NULL CONSTRAINT DF_Docs_Num DEFAULT NEXT VALUE FOR dbo.DocNumbers,
    Label AS (CASE WHEN Seq < 0 THEN N'none' ELSE CONCAT(Kind, N'-', Seq) END) PERSISTED NOT NULL,
    Secret nvarchar(50) COLLATE Latin1_General_BIN2 ENCRYPTED WITH (COLUMN_ENCRYPTION_KEY = CEK1, ENCRYPTION_TYPE = DETERMINISTIC, ALGORITHM = 'AEAD_AES_256_CBC_HMAC_SHA_256') NULL,
    Node hierarchyid NULL,
    Shape geometry NULL,
    Extra sql_variant NULL,
    Xml1 xml (DOCUMENT dbo.DocSchema) NULL,
    Phone dbo.Phone NULL,
    Id2 int IDENTITY(1, 1) NOT FOR REPLICATION NOT NULL,
    TxStart bigint GENERATED ALWAYS AS TRANSACTION_ID START HIDDEN NOT NULL,
    TxEnd bigint GENERATED ALWAYS AS TRANSACTION_ID END HIDDEN NULL
) ON [PRIMARY] TEXTIMAGE_ON [PRIMARY] FILESTREAM_ON [DocStream]
WITH (LEDGER = ON (APPEND_ONLY = ON)))",
    R"(CREATE TABLE #work (id int PRIMARY KEY, v nvarchar(max)))",
    R"(CREATE TABLE ##shared (id int))",
    R"(ALTER TABLE dbo.Docs ADD Extra2 int NULL CONSTRAINT DF_Docs_Extra2 DEFAULT 0 WITH VALUES)",
    R"(ALTER TABLE dbo.Docs ALTER COLUMN Kind nvarchar(100) COLLATE Latin1_General_CI_AS NOT NULL)",
    R"(ALTER TABLE dbo.Docs SWITCH TO dbo.DocsArchive)",
    R"(ALTER TABLE Sales.ShoppingCart ADD INDEX IX_Cart_Product NONCLUSTERED (ProductID))",
    R"(ALTER TABLE Sales.ShoppingCart ALTER INDEX PK_ShoppingCart REBUILD WITH (BUCKET_COUNT = 262144))",
    R"(ALTER TABLE Sales.ShoppingCart DROP INDEX IX_Cart_Product)",
    R"(ALTER TABLE Sales.SessionState ADD CONSTRAINT PK2 PRIMARY KEY NONCLUSTERED HASH (SessionID) WITH (BUCKET_COUNT = 64))",
    R"(ALTER TABLE dbo.Docs ADD CONSTRAINT FK_Docs_Self FOREIGN KEY (DocID) REFERENCES dbo.Docs (DocID) ON UPDATE NO ACTION ON DELETE SET NULL)",
    R"(ALTER TABLE dbo.Docs NOCHECK CONSTRAINT ALL)",
    R"(ALTER TABLE dbo.Docs WITH CHECK CHECK CONSTRAINT ALL)",
    R"(ALTER TABLE dbo.Docs DISABLE TRIGGER ALL)",
    R"(ALTER TABLE dbo.Docs ADD CONSTRAINT UQ_Docs_Code UNIQUE (Code) WITH (IGNORE_DUP_KEY = ON), CONSTRAINT CK2 CHECK NOT FOR REPLICATION (Seq > -2))",
    R"(ALTER TABLE dbo.Docs ADD Total AS (Seq * 2))",
    R"(ALTER TABLE dbo.Docs SET (SYSTEM_VERSIONING = ON (HISTORY_TABLE = dbo.DocsHistory, HISTORY_RETENTION_PERIOD = 6 MONTHS)))",
    R"(ALTER TABLE dbo.Docs ADD PERIOD FOR SYSTEM_TIME (VFrom, VTo))",
    R"(ALTER TABLE dbo.Docs ADD VFrom datetime2 GENERATED ALWAYS AS ROW START HIDDEN CONSTRAINT DF_VF DEFAULT SYSUTCDATETIME(),
    VTo datetime2 GENERATED ALWAYS AS ROW END HIDDEN CONSTRAINT DF_VT DEFAULT CONVERT(datetime2, '9999-12-31 23:59:59.9999999'),
    PERIOD FOR SYSTEM_TIME (VFrom, VTo))",
    R"(CREATE TABLE dbo.Hist (a int, b int, INDEX ix_h CLUSTERED (a, b)) WITH (DATA_COMPRESSION = PAGE ON PARTITIONS (1 TO 3)))",
    R"(CREATE TABLE dbo.Wide (a int SPARSE NULL, cs xml COLUMN_SET FOR ALL_SPARSE_COLUMNS))",
    R"(CREATE TABLE [dbo].[Order Details] ([OrderID] int NOT NULL, [Unit Price] money NOT NULL CONSTRAINT [DF_Order_Details_UnitPrice] DEFAULT (0), CONSTRAINT [CK_Discount] CHECK ([Unit Price] >= 0 AND ([OrderID] > 0))))",
    R"(CREATE UNIQUE INDEX UX ON dbo.Docs (Code) WHERE Code IS NOT NULL WITH (STATISTICS_INCREMENTAL = ON) ON [PRIMARY])",
    R"(CREATE INDEX IX_part ON Sales.Orders (CustomerID) INCLUDE (Total) ON psOrderYear (OrderDate))",
    R"(CREATE PRIMARY XML INDEX PXML ON dbo.Docs (Xml1))",
    R"(CREATE XML INDEX SXML ON dbo.Docs (Xml1) USING XML INDEX PXML FOR PATH)",
    R"(CREATE SELECTIVE XML INDEX SX ON dbo.Docs (Xml1) FOR (path1 = '/a/b' AS XQUERY 'xs:string'))",
    R"(CREATE PROCEDURE dbo.p1 @a int = NULL OUTPUT, @b dbo.Phone READONLY, @c nvarchar(max) = N'x', @d decimal(10, 2) = -1.5, @e datetime2(3) = '2020-01-01', @f varbinary(max) = 0x00 OUT WITH ENCRYPTION, RECOMPILE AS SELECT 1)",
    R"(CREATE PROC dbo.p2 (@a int, @b int) AS BEGIN SELECT @a + @b END)",
    R"(CREATE OR ALTER PROCEDURE dbo.p3 WITH EXECUTE AS 'dbo' AS SET NOCOUNT ON;)",
    R"(CREATE FUNCTION dbo.f1 () RETURNS @t TABLE (a int PRIMARY KEY, b nvarchar(10) DEFAULT N'', INDEX ix (b)) WITH SCHEMABINDING AS BEGIN INSERT @t (a) VALUES (1); RETURN; END)",
    R"(CREATE FUNCTION dbo.f2 (@x int) RETURNS TABLE WITH SCHEMABINDING AS RETURN SELECT @x AS x)",
    R"(CREATE FUNCTION dbo.f3 (@x xml) RETURNS int WITH RETURNS NULL ON NULL INPUT, INLINE = OFF AS BEGIN RETURN 1 END)",
    R"(CREATE FUNCTION [dbo].[f4] (@d date) RETURNS TABLE AS RETURN (SELECT @d AS d))",
    R"(CREATE TRIGGER dbo.tr1 ON dbo.t WITH EXECUTE AS CALLER FOR INSERT, UPDATE, DELETE NOT FOR REPLICATION AS SET NOCOUNT ON)",
    R"(CREATE TRIGGER tr2 ON ALL SERVER FOR LOGON AS BEGIN IF ORIGINAL_LOGIN() = 'x' ROLLBACK; END)",
    R"(CREATE TRIGGER tr3 ON DATABASE FOR DDL_DATABASE_LEVEL_EVENTS AS PRINT 1)",
    R"(CREATE OR ALTER TRIGGER dbo.tr4 ON dbo.t AFTER INSERT AS PRINT 1)",
    R"(ALTER TRIGGER dbo.tr4 ON dbo.t AFTER INSERT AS PRINT 2)",
    R"(CREATE PROCEDURE dbo.p5;1 AS SELECT 1)",
    R"(CREATE PROCEDURE dbo.p6 @t dbo.ids READONLY AS SELECT * FROM @t)",
    R"(CREATE PROCEDURE [dbo].[p7] @TableName sysname AS EXEC ('SELECT * FROM ' + @TableName))",
    R"(CREATE PROCEDURE dbo.p8 AS
-- comment before body
/* block */
SELECT 1)",
    R"(CREATE RULE dbo.r1 AS @v BETWEEN 0 AND 100)",
    R"(CREATE DEFAULT dbo.d1 AS GETDATE())",
    R"(EXEC sp_bindefault 'dbo.d1', 'dbo.t.c')",
    R"(EXEC sp_addtype N'Code', N'char(5)', N'NOT NULL')",
    R"(EXEC sp_executesql N'CREATE TABLE dbo.dyn (a int)')",
    R"(EXECUTE ('CREATE VIEW dbo.dynv AS SELECT 1 AS x') AS USER = 'dbo')",
    R"(EXEC ('SELECT 1') AT [LinkedServer])",
    R"(EXEC @rc = [dbo].[p1] @a = @x OUTPUT, @b = DEFAULT)",
    R"(EXECUTE dbo.p2 1, 2 WITH RESULT SETS ((a int, b int)))",
    R"(RESTORE DATABASE d1 WITH RECOVERY)",
    R"(RESTORE LOG d1 FROM DISK = N'/var/backups/d1.trn' WITH NORECOVERY, STATS = 10)",
    R"(BACKUP DATABASE d1 TO DISK = N'/var/backups/d1.bak' WITH COMPRESSION, INIT)",
    R"(CREATE CLUSTERED COLUMNSTORE INDEX cci ON t1 ORDER (a))",
    R"(CREATE NONCLUSTERED COLUMNSTORE INDEX ncci ON dbo.t1 (a, b) WHERE a > 0 WITH (DROP_EXISTING = OFF) ON [PRIMARY])",
    R"(SET OFFSETS SELECT ON)",
    R"(SET FMTONLY OFF)",
};

INSTANTIATE_TEST_SUITE_P(Batches, MSSQLCurrentBatches, ::testing::ValuesIn(kCurrentBatches));

} // namespace
