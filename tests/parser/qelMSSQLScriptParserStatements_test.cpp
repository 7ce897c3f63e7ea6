// The MS SQL script parser on single statements: every message of its
// grammar with its position, and statements the server accepts read without
// a message in both passes.
#include "qelMSSQLScriptTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qel;
using qeltest::TRun;

// ---- messages ----------------------------------------------------------------------------

struct TMessageCase {
    std::string Script;
    bool Full;
    std::string Expected; // "text @line:column"
    friend void PrintTo(const TMessageCase& c, std::ostream* os) { *os << c.Expected; }
};

class MSSQLMessages : public ::testing::TestWithParam<TMessageCase> {};

// The first error of a script, stored with its position and fired with the
// position text.
TEST_P(MSSQLMessages, FirstErrorWithItsPosition)
{
    const TMessageCase& c = GetParam();
    TRun run(c.Script, c.Full);
    ASSERT_FALSE(run.Messages().empty()) << c.Script;
    EXPECT_EQ(run.Messages()[0], c.Expected);
    const TMsgData& m = run.parser->Messages().Items(0);
    ASSERT_EQ(run.Events.size(), 1U);
    EXPECT_EQ(run.Events[0], m.Text + "\r\nScript: s.sql Line:" + std::to_string(m.Line) + " Pos:" +
                                 std::to_string(m.Column + 1) + "\r\n");
}

const TMessageCase kMessageCases[] = {
    {"sp_configure 1", false, "Must be: <Ident> / <StrVal> @1:15"},
    {"CREATE TABLE t (a 5)", false, "Unknown DataType: <Integer value> @1:20"},
    {"CREATE TABLE t (a varchar(x))", false, "Unknown data-length @1:28"},
    {"CREATE TABLE t (a int) LOCK ROWS", false, "Must be: DATAROWS / DATAPAGES / ALLPAGES @1:33"},
    {"CREATE TABLE t (a int CONSTRAINT c NULL)", false, "Unknown constraint declaration (PRIMARY/FOREIGN/UNIQUE). @1:40"},
    {"CREATE TABLE t (a int REFERENCES u (b) ON INSERT CASCADE)", false, "Must be: UPDATE / DELETE @1:49"},
    {"CREATE TABLE t (a int REFERENCES u (b) ON DELETE RESTRICT)", false, "Unknown action for FK @1:58"},
    {"CREATE TABLE t (a int REFERENCES u (b) ON UPDATE SET x)", false, "Unknown action for FK (? SET NULL/DEFAULT) @1:55"},
    {"CREATE TABLE t (a int PRIMARY KEY WITH (FOO = 1))", false, "Unknown WITH-option for index-keys @1:44"},
    {"CREATE TABLE t (a int) ON (x)", false, "Must be: FileGroup/DEFAULT. @1:28"},
    {"ALTER TABLE t DROP TRIGGER x", false, "Unknown ALTER TABLE ... DROP statement @1:27"},
    {"ALTER TABLE t WITH FOO ADD CHECK (a > 0)", false, "Must be: CHECK / NOCHECK. @1:23"},
    {"ALTER TABLE t WITH CHECK ADD a int", false, "Unknown constraint. @1:31"},
    {"ALTER TABLE t NOCHECK CONSTRAINT 1", false, "Must be: ALL / <Ident> @1:35"},
    {"CREATE VIEW v WITH FOO AS SELECT 1", false, "Unknown view option: <Ident> FOO @1:23"},
    {"CREATE TRIGGER tr ON t BEFORE INSERT AS PRINT 1", false, "Must be: FOR / AFTER / INSTEAD OF @1:30"},
    {"CREATE PROCEDURE p AS PRINT 1 )", true, "Unknown statement: <)> @1:31"},
    {"CREATE FULLTEXT INDEX ON t (a) KEY INDEX pk WITH CHANGE_TRACKING = ON", false,
     "Must be: CHANGE TRACKING [=] AUTO / MANUAL / OFF @1:70"},
    {"CREATE FULLTEXT INDEX ON t (a) KEY INDEX pk WITH FOO", false, "Unknown FillText-index option directive @1:53"},
    {"CREATE FULLTEXT CATALOG c ON PRIMARY", false, "Must be: ON FILEGROUP <filegroup> @1:37"},
    {"CREATE SPATIAL x ON t (g)", false, "Unknown CREATE-statement: SPATIAL @1:15"},
    {"ALTER WIDGET ix ON t REBUILD", false, "Unknown/Invalid ALTER-statement @1:13"},
    {"DROP PARTITION FUNNEL f", false, "Unknown DROP-statement @1:15"},
    {"CREATE XML FOO", false, "Must be: SCHEMA COLLECTION / INDEX @1:15"},
    {"GRANT 5 ON t TO u", false, "Unknown GRANT statement (<Integer value>) @1:8"},
    {"CREATE LOGIN l WITH PASSWORD = 'x', CHECK_POLICY = YES", false, "Must be: ON / OFF @1:55"},
    {"CREATE LOGIN l PASSWORD = 'x'", false, "Must be: WITH / FROM @1:24"},
    {"CREATE USER u FOR ROLE r", false, "Must be: LOGIN / CERTIFICATE / ASYMMETRIC KEY / EXTERNAL PROVIDER @1:23"},
    {"ALTER ROLE r RENAME", false, "Unknown/Invalid ALTER ROLE statement @1:20"},
    {"CREATE ASSEMBLY a FROM )", false, "Unknown/Invalid factor in expression (<)>) @1:25"},
    {"CREATE MESSAGE TYPE m VALIDATION = XML", false, "Unknown VALIDATION-option (CREATE MESSAGE TYPE) @1:39"},
    {"CREATE CONTRACT c (m SENT BY ME)", false, "Must be: INITIATOR / TARGET / ANY @1:32"},
    {"ALTER CERTIFICATE c WITH PUBLIC", false, "Must be: ACTIVE / PRIVATE @1:32"},
    {"ALTER CERTIFICATE c DROP", false, "Unknown ALTER CERTIFICATE statement @1:25"},
    {"CREATE DATABASE d CONTAINMENT = FULL", false, "Must be: NONE / PARTIAL @1:37"},
    {"ALTER DATABASE d SET FILESTREAM (NON_TRANSACTED_ACCESS = ON)", false, "Must be: OFF / READ_ONLY / FULL @1:60"},
    {"ALTER DATABASE d SET FILESTREAM (FOO = 1)", false, "Invalid FILESTREAM option @1:37"},
    {"ALTER DATABASE d SET TARGET_RECOVERY_TIME = 60 HOURS", false, "Must be: MINUTES / SECONDS @1:53"},
    {"ALTER DATABASE d SET DELAYED_DURABILITY = SOMETIMES", false, "Myst be: DISABLED | ALLOWED | FORCED @1:52"},
    {"ALTER DATABASE d SET COMPATIBILITY_LEVEL = x", false, "Missing: <Integer value> (<Ident>: X) @1:45"},
    {"SET TRANSACTION ISOLATION LEVEL CHAOS", false, "Unknown transaction isolation level @1:38"},
    {"SET NOCOUNT YES", false, "Must be: ON / OFF. @1:16"},
    {"SET FOO ON", false, "Unknown SET-statement. @1:8"},
    {"EXECUTE AS ROLE = 'x'", false, "Must be: LOGIN / USER / CALLER @1:16"},
    {"EXEC sp_bindrule 'r', 't.a'", false, "Rule not found: R. @2:0"},
    {"CREATE RULE r AS @v > 0\nGO\nEXEC sp_bindrule 'r', 'phone'", false,
     "User data type: PHONE not found for rule: R. @4:0"},
    {"EXEC sp_dboption db, 'read only', 1", false, "Must be: TRUE / FALSE / <StrVal> @1:36"},
    {"BACKUP SCHEMA s TO DISK = 'x'", false, "Unknown BACKUP-statement @1:14"},
    {"RESTORE DATABASE d WITH REPLACE", false, "Unknown RESTORE statement @1:24"},
    {"WAITFOR 5", false, "Must be: DELAY/TIME / (...) @1:10"},
    {"REVERT WITH COOKIE @c", false, "Missing: <=> (<Ident>: @C) @1:22"},
    {"MERGE t USING u ON 1 = 1 WHEN NOT MATCHED BY ME THEN DELETE;", false, "Must be: SOURCE / TARGET @1:48"},
    {"MERGE t USING u ON 1 = 1 WHEN NOT MATCHED THEN INSERT (a) SELECT 1;", false,
     "Must be: VALUES(...) / DEFAULT VALUES @1:65"},
    {"MERGE t USING u ON 1 = 1 WHEN MATCHED THEN TRUNCATE;", false, "Must be: INSERT / UPDATE / DELETE @1:52"},
    {"BEGIN PRINT 1 ) END", true, "Unknown Statement: <)> @1:16"},
    {"BEGIN PRINT 1", true, "Must be: END @1:13"},
    {"DECLARE c CURSOR FOR SELECT 1 FOR DELETE", true, "Must be: READ ONLY / UPDATE @1:40"},
    {"INSERT INTO t FOO", true, "Unknown INSERT-statement @1:17"},
    {"UPDATE t SET a IN (1)", true, "? Must be Assignment (=) @1:18"},
    {"SELECT a FROM t GROUP BY a WITH TOTALS", true, "Must be: CUBE / ROLLUP @1:38"},
    {"SELECT a FROM t COMPUTE TOTAL(a)", true, "Unknown aggregate function in COMPUTE-clause @1:30"},
    {"SELECT a FROM t FOR JSONB", true, "Must be: BROWSE / XML @1:25"},
    {"SELECT a FROM t FOR XML TREE", true, "Must be: RAW / AUTO / EXPLICIT / PATH @1:28"},
    {"SELECT a FROM t FOR XML RAW, FOO", true, "Must be: XMLDATA / XMLSCHEMA / ELEMENTS @1:32"},
    {"SELECT a FROM t FOR XML RAW, ELEMENTS NULLS", true, "Must be: XSINIL / ABSENT @1:43"},
    {"SELECT a FROM t FOR XML RAW, BINARY BASE32", true, "Must be: BINARY BASE54 / TYPE / ROOT [ ('RootName') ] @1:42"},
    {"SELECT a FROM t OPTION (FOO)", true, "Unknown <query_hint> @1:28"},
    {"SELECT 1 FROM 5", true, "Unknown <table-source> in FROM-clause @1:15"},
    {"SELECT 1 WHERE a IS 5", true, "Must be: NULL/DISTINCT FROM. @1:21"},
    {"SELECT 1 WHERE a NOT 5", true, "Must be: IS/IN/EXISTS/SINGULAR/LIKE/BETWEEN/STARTING/CONTAINING. @1:22"},
    {"SELECT 1 + )", true, "Unknown/Invalid factor in expression (<)>) @1:12"},
};

INSTANTIATE_TEST_SUITE_P(EveryMessage, MSSQLMessages, ::testing::ValuesIn(kMessageCases));

// ---- statements the server accepts ------------------------------------------------------------

struct TAcceptCase {
    std::string Script;
    std::string Kind; // split pass: "StatType|ObjName|ObjType|Operation|ParentName"
    friend void PrintTo(const TAcceptCase& c, std::ostream* os) { *os << c.Script; }
};

class MSSQLAccepted : public ::testing::TestWithParam<TAcceptCase> {};

// Read without a message in both passes; in the split pass one statement,
// whole, of its kind.
TEST_P(MSSQLAccepted, ReadWithoutMessage)
{
    const TAcceptCase& c = GetParam();
    TRun split(c.Script);
    EXPECT_EQ(split.Messages(), std::vector<std::string>{});
    ASSERT_EQ(split.Statements.size(), 1U);
    EXPECT_EQ(split.Statements[0], c.Kind + "|" + c.Script);
    TRun full(c.Script, true);
    EXPECT_EQ(full.Messages(), std::vector<std::string>{});
}

const TAcceptCase kAcceptCases[] = {
    {"CREATE TABLE #t (a int DEFAULT 1, b int PRIMARY KEY)", "stStatement|#T|dboTable|odbCreate|"},
    {"CREATE TABLE t (a int NOT NULL, b AS a * 2 PERSISTED, c int NULL CHECK NOT FOR REPLICATION (c > 0), "
     "d int REFERENCES u (a) ON UPDATE SET NULL ON DELETE NO ACTION NOT FOR REPLICATION, e varchar(10) COLLATE "
     "Latin1_General_CI_AS SPARSE, f int IDENTITY NOT FOR REPLICATION, g uniqueidentifier ROWGUIDCOL DEFAULT newid(), "
     "PERIOD FOR SYSTEM_TIME (a, f), INDEX ix_e NONCLUSTERED (e), CONSTRAINT uq UNIQUE NONCLUSTERED (a DESC, c) "
     "WITH FILLFACTOR = 90) ON ps (a) WITH (DATA_COMPRESSION = PAGE)",
     "stStatement|T|dboTable|odbCreate|"},
    {"ALTER TABLE t ADD c int NULL, CONSTRAINT df DEFAULT 0 FOR c, CHECK (c > 0)", "stStatement||dboUnknown|odbUnknown|"},
    {"ALTER TABLE t ALTER COLUMN c bigint NOT NULL", "stStatement||dboUnknown|odbUnknown|"},
    {"ALTER TABLE t WITH NOCHECK ADD CONSTRAINT fk FOREIGN KEY (a) REFERENCES u (a)", "stStatement||dboUnknown|odbUnknown|"},
    {"ALTER TABLE t DROP CONSTRAINT pk", "stStatement||dboUnknown|odbUnknown|"},
    {"ALTER TABLE t NOCHECK CONSTRAINT ALL", "stStatement||dboUnknown|odbUnknown|"},
    {"ALTER TABLE t DISABLE TRIGGER tr1, tr2", "stStatement||dboUnknown|odbUnknown|"},
    {"ALTER TABLE t SET (LOCK_ESCALATION = TABLE)", "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE UNIQUE CLUSTERED INDEX ix ON t (a) WITH (IGNORE_DUP_KEY = ON, DROP_EXISTING = ON)",
     "stStatement|IX|dboIndex|odbCreate|"},
    {"CREATE CLUSTERED COLUMNSTORE INDEX cci ON t", "stStatement|CCI|dboIndex|odbCreate|"},
    {"CREATE PRIMARY XML INDEX px ON t (x)", "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE XML INDEX sx ON t (x) USING XML INDEX px FOR PATH WITH (PAD_INDEX = ON)", "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE FULLTEXT INDEX ON t (a LANGUAGE 1033, b TYPE COLUMN e) KEY INDEX pk ON (cat, FILEGROUP fg) "
     "WITH (CHANGE_TRACKING = AUTO, STOPLIST = SYSTEM, SEARCH PROPERTY LIST = pl)",
     "stStatement|[T: A, B]|dboIndex|odbCreate|"},
    {"CREATE FULLTEXT CATALOG cat ON FILEGROUP fg IN PATH 'c:\\ft' WITH ACCENT_SENSITIVITY = OFF AS DEFAULT "
     "AUTHORIZATION dbo",
     "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE FULLTEXT STOPLIST sl FROM SYSTEM STOPLIST AUTHORIZATION dbo", "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE STATISTICS st ON t (a, b) WHERE a > 0 WITH SAMPLE 50 PERCENT, NORECOMPUTE", "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE VIEW v (a, b) WITH ENCRYPTION, VIEW_METADATA AS SELECT 1, 2", "stStatement|V|dboView|odbCreate|"},
    {"ALTER VIEW v AS SELECT 1 AS a", "stStatement|V|dboView|odbCreate|"},
    {"CREATE OR ALTER VIEW v AS WITH c AS (SELECT 1 AS a) SELECT a FROM c", "stStatement|V|dboView|odbCreate|"},
    {"CREATE PROC p;2 @a int = -1, @b varchar(10) = 'x' OUT, @c CURSOR VARYING OUTPUT WITH RECOMPILE, EXECUTE AS "
     "OWNER FOR REPLICATION AS SELECT @a",
     "stStatement|P|dboProcedure|odbCreate|"},
    {"CREATE FUNCTION f (@a int) RETURNS int WITH RETURNS NULL ON NULL INPUT, SCHEMABINDING BEGIN RETURN @a + 1 END",
     "stStatement|F|dboProcedure|odbCreate|"},
    {"CREATE TRIGGER tr ON DATABASE FOR CREATE_TABLE, ALTER_TABLE AS PRINT 1", "stStatement|TR|dboTrigger|odbCreate|"},
    {"CREATE TRIGGER tr ON ALL SERVER WITH EXECUTE AS 'sa' AFTER LOGON AS PRINT 1", "stStatement|TR|dboTrigger|odbCreate|"},
    {"CREATE TRIGGER tr ON t INSTEAD OF DELETE WITH APPEND NOT FOR REPLICATION AS IF UPDATE(a) ROLLBACK",
     "stStatement|TR|dboTrigger|odbCreate|"},
    {"CREATE DEFAULT dbo.zero AS 0", "stStatement|ZERO|dboDefault|odbCreate|"},
    {"CREATE SCHEMA AUTHORIZATION app", "stStatement|APP|dboSchema|odbCreate|"},
    {"CREATE SEQUENCE s AS int START WITH -10 INCREMENT BY -1 MINVALUE -100 NO MAXVALUE CYCLE NO CACHE",
     "stStatement|S|dboGenerator|odbCreate|"},
    {"CREATE XML SCHEMA COLLECTION dbo.xs AS N'<schema/>'", "stStatement|XS|dboDomain|odbCreate|"},
    {"CREATE TYPE dbo.ids AS TABLE (id int PRIMARY KEY)", "stStatement|IDS|dboDomain|odbCreate|"},
    {"GRANT CREATE TABLE, CREATE VIEW, VIEW ANY DATABASE TO app", "stStatement||dboGrant|odbCreate|"},
    {"GRANT ALL PRIVILEGES ON t TO public WITH GRANT OPTION", "stStatement|T|dboGrant|odbCreate|"},
    {"GRANT SELECT (a, b), UPDATE (a) ON OBJECT::dbo.t TO app AS dbo", "stStatement|T|dboGrant|odbCreate|"},
    {"REVOKE GRANT OPTION FOR SELECT ON t FROM app CASCADE", "stStatement|T|dboGrant|odbDrop|"},
    {"DENY EXECUTE ON SCHEMA::sales TO app", "stStatement|SALES|dboGrant|odbCreate|"},
    {"DROP TABLE IF EXISTS a, dbo.b", "stStatement|B|dboTable|odbDrop|"},
    {"DROP INDEX t.ix, ix2 ON u", "stStatement|U.IX2|dboIndex|odbDrop|"},
    {"DROP MESSAGE TYPE m", "stStatement|M|dboUnknown|odbDrop|"},
    {"CREATE LOGIN l WITH PASSWORD = 0x0100 HASHED MUST_CHANGE, CHECK_POLICY = ON, DEFAULT_DATABASE = shop",
     "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE LOGIN [DOMAIN\\user] FROM WINDOWS WITH DEFAULT_LANGUAGE = us_english", "stStatement||dboUnknown|odbUnknown|"},
    {"ALTER LOGIN l DISABLE", "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE USER u WITHOUT LOGIN WITH DEFAULT_SCHEMA = sales", "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE ROLE r AUTHORIZATION dbo", "stStatement||dboUnknown|odbUnknown|"},
    {"ALTER ROLE r WITH NAME = r2", "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE ASSEMBLY a AUTHORIZATION dbo FROM 'c:\\a.dll' WITH PERMISSION_SET = SAFE", "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE MESSAGE TYPE m VALIDATION = VALID_XML WITH SCHEMA COLLECTION xs", "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE CONTRACT c (m SENT BY INITIATOR, n SENT BY ANY)", "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE QUEUE q WITH STATUS = ON, ACTIVATION (STATUS = ON, PROCEDURE_NAME = dbo.p, MAX_QUEUE_READERS = 2, "
     "EXECUTE AS SELF)",
     "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE SERVICE s ON QUEUE q (c)", "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE CERTIFICATE c ENCRYPTION BY PASSWORD = 'p' WITH SUBJECT = 's', EXPIRY_DATE = '20300101' "
     "ACTIVE FOR BEGIN_DIALOG = ON",
     "stStatement||dboUnknown|odbUnknown|"},
    {"ALTER CERTIFICATE c REMOVE PRIVATE KEY", "stStatement||dboUnknown|odbUnknown|"},
    {"ALTER DATABASE shop MODIFY FILE (NAME = shop, SIZE = 10MB)", "stStatement|SHOP|dboDatabase|odbAlter|"},
    {"ALTER DATABASE shop SET SINGLE_USER WITH ROLLBACK IMMEDIATE", "stStatement|SHOP|dboDatabase|odbAlter|"},
    {"ALTER DATABASE shop COLLATE Latin1_General_CS_AS", "stStatement|SHOP|dboDatabase|odbAlter|"},
    {"SET TRANSACTION ISOLATION LEVEL REPEATABLE READ", "stStatement||dboUnknown|odbUnknown|"},
    {"SET ANSI_WARNINGS, ARITHABORT, XACT_ABORT ON", "stStatement||dboUnknown|odbUnknown|"},
    {"SET IDENTITY_INSERT dbo.t ON", "stStatement||dboUnknown|odbUnknown|"},
    {"SET DATEFORMAT dmy", "stStatement||dboUnknown|odbUnknown|"},
    {"SET STATISTICS IO ON", "stStatement||dboUnknown|odbUnknown|"},
    {"SET BLOBFILE 'r.lob'", "stSetBlobFile|r.lob|dboUnknown|odbSet|"},
    {"EXEC @rc = dbo.p @a = 1, @b = @c OUTPUT WITH RECOMPILE", "stStatement||dboUnknown|odbUnknown|"},
    {"EXECUTE ('SELECT ' + @x) AT srv", "stStatement||dboUnknown|odbUnknown|"},
    {"EXEC AS USER = 'u'", "stStatement||dboUnknown|odbUnknown|"},
    {"EXEC sp_executesql @stmt = N'SELECT @a', N'@a int', @a = 1", "stStatement||dboUnknown|odbUnknown|"},
    {"EXEC sp_addmessage 50001, 16, N'Oops'", "stStatement||dboUnknown|odbUnknown|"},
    {"EXEC sp_dboption shop, 'read only', 'false'", "stStatement||dboUnknown|odbUnknown|"},
    {"sp_configure 'show advanced options', 1", "stStatement||dboUnknown|odbUnknown|"},
    {"sp_addextendedproc 'xp_x', 'x.dll'", "stStatement||dboUnknown|odbUnknown|"},
    {"TRUNCATE TABLE dbo.t", "stStatement||dboUnknown|odbUnknown|"},
    {"BACKUP DATABASE shop TO DISK = 'c:\\b.bak', DISK = 'd:\\b.bak' WITH INIT, STATS = 10", "stStatement||dboUnknown|odbUnknown|"},
    {"RESTORE DATABASE shop FROM DISK = 'c:\\b.bak' WITH MOVE 'shop' TO 'c:\\s.mdf', REPLACE", "stStatement||dboUnknown|odbUnknown|"},
    {"RESTORE FILELISTONLY FROM DISK = 'c:\\b.bak'", "stStatement||dboUnknown|odbUnknown|"},
    {"DBCC CHECKIDENT ('t', RESEED, 0) WITH NO_INFOMSGS", "stStatement||dboUnknown|odbUnknown|"},
    {"WAITFOR DELAY '00:00:01'", "stStatement||dboUnknown|odbUnknown|"},
    {"WAITFOR (RECEIVE TOP (1) @h = conversation_handle FROM q), TIMEOUT 1000", "stStatement||dboUnknown|odbUnknown|"},
    {"SEND ON CONVERSATION @h MESSAGE TYPE m (N'<x/>')", "stStatement||dboUnknown|odbUnknown|"},
    {"END CONVERSATION @h WITH CLEANUP", "stStatement||dboUnknown|odbUnknown|"},
    {"RAISERROR (N'x %d', 16, 1, 5) WITH NOWAIT, LOG", "stStatement||dboUnknown|odbUnknown|"},
    {"PRINT N'a' + CONVERT(varchar, GETDATE(), 120)", "stStatement||dboUnknown|odbUnknown|"},
    {"CHECKPOINT", "stStatement||dboUnknown|odbUnknown|"},
    {"RECONFIGURE WITH OVERRIDE", "stStatement||dboUnknown|odbUnknown|"},
    {"ENABLE TRIGGER ALL ON DATABASE", "stStatement||dboUnknown|odbUnknown|"},
    {"REVERT WITH COOKIE = @c", "stStatement||dboUnknown|odbUnknown|"},
    {"WITH c (a) AS (SELECT 1) DELETE FROM t WHERE a IN (SELECT a FROM c)", "stDelete||dboUnknown|odbUnknown|"},
    {"WITH XMLNAMESPACES ('urn:x' AS x) SELECT 1 AS [x:a] FOR XML RAW, ELEMENTS XSINIL, ROOT('r')",
     "stSelect||dboUnknown|odbUnknown|"},
    {"MERGE TOP (10) INTO t WITH (HOLDLOCK) AS d USING u ON d.a = u.a WHEN MATCHED AND u.b > 0 THEN UPDATE SET "
     "d.b += u.b WHEN NOT MATCHED THEN INSERT DEFAULT VALUES OUTPUT $action, inserted.a",
     "stStatement||dboUnknown|odbUnknown|"},
    {"SELECT DISTINCT TOP (5) PERCENT WITH TIES a.x, b.* , COUNT(*) OVER () AS n, STRING_AGG(a.y, ',') WITHIN "
     "GROUP (ORDER BY a.y) AS s, geometry::Point(1, 2, 0).STX AS p, TRY_CONVERT(int, '1'), IIF(1 = 1, 'a', 'b'), "
     "a.x COLLATE Latin1_General_CI_AS, SYSDATETIMEOFFSET() AT TIME ZONE 'UTC' FROM t AS a LEFT OUTER MERGE JOIN u b "
     "ON b.id = a.id FULL JOIN (v INNER JOIN w ON w.a = v.a) ON v.a = a.x OUTER APPLY OPENJSON(a.j) WITH (k int) AS j "
     "WHERE a.x LIKE '%a!%' ESCAPE '!' AND a.y IS NOT DISTINCT FROM b.y GROUP BY ROLLUP (a.x), a.y HAVING "
     "SUM(a.z) > ALL (SELECT 1) ORDER BY 1 DESC",
     "stSelect||dboUnknown|odbUnknown|"},
    {"SELECT * FROM OPENROWSET(BULK 'c:\\f.txt', SINGLE_CLOB) AS f CROSS JOIN OPENQUERY(srv, 'SELECT 1') q, "
     "CONTAINSTABLE(t, *, 'x') c, sys.objects o (NOLOCK) UNPIVOT (v FOR k IN (a, b)) AS up, big AS s TABLESAMPLE "
     "(10 PERCENT) WITH (NOLOCK)",
     "stSelect||dboUnknown|odbUnknown|"},
};

INSTANTIATE_TEST_SUITE_P(Statements, MSSQLAccepted, ::testing::ValuesIn(kAcceptCases));
