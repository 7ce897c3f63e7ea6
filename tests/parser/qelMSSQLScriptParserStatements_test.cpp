// The MS SQL script parser on single statements: every message of its
// grammar with its position, statements the server accepts read without a
// message in both passes, and every statement family of today's servers
// read one statement after the other, none cut.
#include "qelMSSQLScriptTestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
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
    {"DECLARE @v TABLE (id int, d datetime2 INDEX ix_d NONCLUSTERED (d, id), INDEX ix_id (id))",
     "stStatement||dboUnknown|odbUnknown|"},
    {"CREATE FUNCTION dbo.f () RETURNS @t TABLE (id int NOT NULL, d datetime2 INDEX ix_d (d, id)) AS BEGIN RETURN END",
     "stStatement|F|dboProcedure|odbCreate|"},
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

// ---- every statement family of today's servers, one batch each ------------------------------

struct TFamilyCase {
    std::string Family;
    // One statement a line, all in one batch ("GO" ends a batch): "Kind|SQL"
    // where the kind is not that of a plain statement.
    std::vector<std::string> Statements;
    std::vector<std::string> Objects; // TRun::Filed()
    friend void PrintTo(const TFamilyCase& c, std::ostream* os) { *os << c.Family; }
};

class MSSQLFamilies : public ::testing::TestWithParam<TFamilyCase> {};

// Statements written one after the other without ";" come back one each,
// whole and of their kind, with no message: no clause word of one (DROP
// MEMBER, SET OFFLINE, WITH NO REVERT, AS SELECT ...) begins a statement
// of its own, and no statement runs on into the next. Full mode reads them
// without a message too.
TEST_P(MSSQLFamilies, EachStatementWholeOfItsKindWithoutMessage)
{
    const TFamilyCase& c = GetParam();
    std::string script;
    std::vector<std::string> expected;
    for (const std::string& s : c.Statements) {
        // The text after the kind's five fields.
        std::size_t at = 0;
        if (s.starts_with("st"))
            for (int field = 0; field < 5; ++field) at = s.find('|', at) + 1;
        script += s.substr(at) + "\n";
        if (s != "GO") expected.push_back(at > 0 ? s : "stStatement||dboUnknown|odbUnknown||" + s);
    }
    TRun split(script);
    EXPECT_EQ(split.Messages(), std::vector<std::string>{});
    EXPECT_EQ(split.Statements, expected);
    EXPECT_EQ(split.Filed(), c.Objects);
    TRun full(script, true);
    EXPECT_EQ(full.Messages(), std::vector<std::string>{});
}

const TFamilyCase kFamilyCases[] = {
    {"Database",
     {
         "stCreateDb|D1|dboDatabase|odbCreate||CREATE DATABASE d1 WITH TRUSTWORTHY OFF",
         "stCreateDb|D1|dboDatabase|odbCreate||CREATE DATABASE d1 ON (NAME = d1, FILENAME = 'c:\\d1.mdf') LOG ON (NAME = l1, FILENAME = 'c:\\l1.ldf') COLLATE Latin1_General_CI_AS WITH DB_CHAINING ON, TRUSTWORTHY ON",
         "stCreateDb|D1_SNAP|dboDatabase|odbCreate||CREATE DATABASE d1_snap ON (NAME = d1, FILENAME = 'c:\\s.ss') AS SNAPSHOT OF d1",
         "stCreateDb|D1|dboDatabase|odbCreate||CREATE DATABASE d1 CONTAINMENT = PARTIAL ON PRIMARY (NAME = d1, FILENAME = 'c:\\d1.mdf'), FILEGROUP fs CONTAINS FILESTREAM (NAME = f1, FILENAME = 'c:\\fs')",
         "stCreateDb|D1|dboDatabase|odbCreate||CREATE DATABASE d1 ON (FILENAME = 'c:\\d1.mdf') FOR ATTACH",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET OFFLINE",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET ONLINE",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET EMERGENCY",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET READ_ONLY",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET READ_WRITE",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET SINGLE_USER WITH ROLLBACK IMMEDIATE",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET MULTI_USER",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET RESTRICTED_USER WITH ROLLBACK AFTER 10 SECONDS",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET ENABLE_BROKER",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET NEW_BROKER",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET DISABLE_BROKER",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET RECOVERY SIMPLE",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET ANSI_NULLS ON, ANSI_PADDING ON",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET QUERY_STORE CLEAR ALL",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET QUERY_STORE = ON (OPERATION_MODE = READ_WRITE, MAX_STORAGE_SIZE_MB = 100)",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET HADR AVAILABILITY GROUP = ag1",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET HADR OFF",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET CHANGE_TRACKING = ON (CHANGE_RETENTION = 2 DAYS, AUTO_CLEANUP = ON)",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET ALLOW_SNAPSHOT_ISOLATION ON",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET READ_COMMITTED_SNAPSHOT ON WITH NO_WAIT",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET COMPATIBILITY_LEVEL = 150",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET PARTNER FAILOVER",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET ENCRYPTION ON",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET TARGET_RECOVERY_TIME = 60 SECONDS",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET DELAYED_DURABILITY = FORCED",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET ACCELERATED_DATABASE_RECOVERY = ON",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 SET AUTOMATIC_TUNING (FORCE_LAST_GOOD_PLAN = ON)",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 MODIFY FILEGROUP fg READ_ONLY WITH ROLLBACK IMMEDIATE",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 MODIFY FILEGROUP fg DEFAULT",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 MODIFY NAME = d2",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 MODIFY FILE (NAME = d1, SIZE = 100MB)",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 ADD FILEGROUP mo CONTAINS MEMORY_OPTIMIZED_DATA",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 ADD FILE (NAME = mo1, FILENAME = 'c:\\mo1') TO FILEGROUP mo",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 ADD LOG FILE (NAME = l2, FILENAME = 'c:\\l2.ldf')",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 REMOVE FILE f2",
         "stStatement|D1|dboDatabase|odbAlter||ALTER DATABASE d1 COLLATE Latin1_General_CS_AS",
         "ALTER DATABASE SCOPED CONFIGURATION SET MAXDOP = 1",
         "ALTER DATABASE SCOPED CONFIGURATION CLEAR PROCEDURE_CACHE",
         "ALTER DATABASE SCOPED CONFIGURATION FOR SECONDARY SET MAXDOP = PRIMARY",
         "stStatement|D2|dboDatabase|odbDrop||DROP DATABASE d1, d2",
         "stStatement|D1|dboDatabase|odbDrop||DROP DATABASE IF EXISTS d1",
         "ALTER AUTHORIZATION ON DATABASE::d1 TO sa",
     },
     {}},
    {"Principals",
     {
         "CREATE LOGIN l1 WITH PASSWORD = 'p' MUST_CHANGE, CHECK_EXPIRATION = ON, DEFAULT_DATABASE = d1",
         "CREATE LOGIN [dom\\u] FROM WINDOWS WITH DEFAULT_DATABASE = d1",
         "CREATE LOGIN l1 FROM CERTIFICATE c1",
         "CREATE LOGIN l1 FROM ASYMMETRIC KEY k1",
         "CREATE LOGIN l1 FROM EXTERNAL PROVIDER",
         "ALTER LOGIN l1 DISABLE",
         "ALTER LOGIN l1 WITH PASSWORD = 'n' OLD_PASSWORD = 'o'",
         "ALTER LOGIN l1 ADD CREDENTIAL c1",
         "ALTER LOGIN l1 DROP CREDENTIAL c1",
         "stStatement|L1|dboUnknown|odbDrop||DROP LOGIN l1",
         "CREATE USER u1 FOR LOGIN l1 WITH DEFAULT_SCHEMA = dbo",
         "CREATE USER u1 WITHOUT LOGIN",
         "CREATE USER u1 FROM EXTERNAL PROVIDER",
         "CREATE USER u1 FROM CERTIFICATE c1",
         "CREATE USER u1 WITH PASSWORD = 'p'",
         "ALTER USER u1 WITH NAME = u2, DEFAULT_SCHEMA = s1",
         "stStatement|U1|dboUnknown|odbDrop||DROP USER IF EXISTS u1",
         "CREATE ROLE r1 AUTHORIZATION dbo",
         "ALTER ROLE r1 ADD MEMBER u1",
         "ALTER ROLE r1 DROP MEMBER u1",
         "ALTER ROLE r1 WITH NAME = r2",
         "stStatement|R1|dboUnknown|odbDrop||DROP ROLE r1",
         "CREATE APPLICATION ROLE ar1 WITH PASSWORD = 'p', DEFAULT_SCHEMA = dbo",
         "ALTER APPLICATION ROLE ar1 WITH NAME = ar2",
         "stStatement||dboUnknown|odbDrop||DROP APPLICATION ROLE ar1",
         "CREATE SERVER ROLE sr1 AUTHORIZATION sa",
         "ALTER SERVER ROLE sysadmin ADD MEMBER l1",
         "ALTER SERVER ROLE sysadmin DROP MEMBER l1",
         "stStatement||dboUnknown|odbDrop||DROP SERVER ROLE sr1",
         "stStatement|S1|dboSchema|odbCreate||CREATE SCHEMA s1 AUTHORIZATION dbo",
         "ALTER SCHEMA s1 TRANSFER dbo.t1",
         "ALTER SCHEMA s1 TRANSFER OBJECT::dbo.t1",
         "stStatement|S1|dboSchema|odbDrop||DROP SCHEMA IF EXISTS s1",
         "CREATE REMOTE SERVICE BINDING b1 TO SERVICE 's1' WITH USER = u1, ANONYMOUS = OFF",
     },
     {}},
    {"Permissions",
     {
         "stStatement|T1|dboGrant|odbCreate||GRANT SELECT ON dbo.t1 (c1, c2) TO u1",
         "stStatement|T1|dboGrant|odbCreate||GRANT SELECT, INSERT ON OBJECT::dbo.t1 TO u1 WITH GRANT OPTION",
         "stStatement||dboGrant|odbCreate||GRANT SELECT ALL USER SECURABLES TO l1",
         "stStatement||dboGrant|odbCreate||GRANT CONNECT ANY DATABASE TO l1",
         "stStatement||dboGrant|odbCreate||GRANT IMPERSONATE ANY LOGIN TO l1",
         "stStatement|S1|dboGrant|odbCreate||GRANT SEND ON SERVICE::s1 TO u1",
         "stStatement|C1|dboGrant|odbCreate||GRANT REFERENCES ON CONTRACT::c1 TO u1 WITH GRANT OPTION",
         "stStatement|DBO|dboGrant|odbCreate||GRANT EXECUTE ON SCHEMA::dbo TO r1",
         "stStatement||dboGrant|odbCreate||GRANT VIEW SERVER STATE TO l1",
         "stStatement|C1|dboGrant|odbCreate||GRANT CONTROL ON CERTIFICATE::c1 TO u1",
         "stStatement||dboGrant|odbCreate||GRANT UNMASK TO u1",
         "stStatement||dboGrant|odbCreate||GRANT ALTER ANY USER TO u1",
         "stStatement||dboGrant|odbCreate||GRANT EXECUTE ANY EXTERNAL SCRIPT TO u1",
         "stStatement|T1|dboGrant|odbCreate||DENY SELECT ON dbo.t1 TO u1 CASCADE",
         "stStatement|T1|dboGrant|odbDrop||REVOKE GRANT OPTION FOR SELECT ON dbo.t1 FROM u1 CASCADE",
         "stStatement|S1|dboGrant|odbDrop||REVOKE VIEW DEFINITION ON SCHEMA::s1 FROM u1",
     },
     {}},
    {"Encryption and auditing",
     {
         "CREATE CERTIFICATE c1 ENCRYPTION BY PASSWORD = 'p' WITH SUBJECT = 's', EXPIRY_DATE = '20301231'",
         "CREATE CERTIFICATE c1 FROM FILE = 'c:\\c1.cer' WITH PRIVATE KEY (FILE = 'c:\\c1.pvk', DECRYPTION BY PASSWORD = 'p')",
         "ALTER CERTIFICATE c1 REMOVE PRIVATE KEY",
         "ALTER CERTIFICATE c1 WITH ACTIVE FOR BEGIN_DIALOG = ON",
         "stStatement|C1|dboUnknown|odbDrop||DROP CERTIFICATE c1",
         "CREATE MASTER KEY ENCRYPTION BY PASSWORD = 'p'",
         "ALTER MASTER KEY REGENERATE WITH ENCRYPTION BY PASSWORD = 'p'",
         "ALTER MASTER KEY ADD ENCRYPTION BY SERVICE MASTER KEY",
         "ALTER MASTER KEY DROP ENCRYPTION BY SERVICE MASTER KEY",
         "OPEN MASTER KEY DECRYPTION BY PASSWORD = 'p'",
         "CLOSE MASTER KEY",
         "stStatement||dboUnknown|odbDrop||DROP MASTER KEY",
         "CREATE SYMMETRIC KEY k1 WITH ALGORITHM = AES_256 ENCRYPTION BY CERTIFICATE c1",
         "ALTER SYMMETRIC KEY k1 ADD ENCRYPTION BY PASSWORD = 'p'",
         "ALTER SYMMETRIC KEY k1 DROP ENCRYPTION BY CERTIFICATE c1",
         "OPEN SYMMETRIC KEY k1 DECRYPTION BY CERTIFICATE c1",
         "CLOSE SYMMETRIC KEY k1",
         "CLOSE ALL SYMMETRIC KEYS",
         "stStatement||dboUnknown|odbDrop||DROP SYMMETRIC KEY k1 REMOVE PROVIDER KEY",
         "CREATE ASYMMETRIC KEY ak1 WITH ALGORITHM = RSA_2048 ENCRYPTION BY PASSWORD = 'p'",
         "ALTER ASYMMETRIC KEY ak1 REMOVE PRIVATE KEY",
         "stStatement||dboUnknown|odbDrop||DROP ASYMMETRIC KEY ak1",
         "CREATE CREDENTIAL cr1 WITH IDENTITY = 'i', SECRET = 's'",
         "ALTER CREDENTIAL cr1 WITH IDENTITY = 'i2'",
         "stStatement||dboUnknown|odbDrop||DROP CREDENTIAL cr1",
         "CREATE DATABASE SCOPED CREDENTIAL dc1 WITH IDENTITY = 'i', SECRET = 's'",
         "ALTER DATABASE SCOPED CREDENTIAL dc1 WITH IDENTITY = 'i2'",
         "stStatement||dboUnknown|odbDrop||DROP DATABASE SCOPED CREDENTIAL dc1",
         "CREATE DATABASE ENCRYPTION KEY WITH ALGORITHM = AES_256 ENCRYPTION BY SERVER CERTIFICATE c1",
         "ALTER DATABASE ENCRYPTION KEY REGENERATE WITH ALGORITHM = AES_128",
         "stStatement||dboUnknown|odbDrop||DROP DATABASE ENCRYPTION KEY",
         "CREATE COLUMN MASTER KEY cmk1 WITH (KEY_STORE_PROVIDER_NAME = 'MSSQL_CERTIFICATE_STORE', KEY_PATH = 'x')",
         "stStatement||dboUnknown|odbDrop||DROP COLUMN MASTER KEY cmk1",
         "CREATE COLUMN ENCRYPTION KEY cek1 WITH VALUES (COLUMN_MASTER_KEY = cmk1, ALGORITHM = 'RSA_OAEP', ENCRYPTED_VALUE = 0x01)",
         "ALTER COLUMN ENCRYPTION KEY cek1 ADD VALUE (COLUMN_MASTER_KEY = cmk2, ALGORITHM = 'RSA_OAEP', ENCRYPTED_VALUE = 0x02)",
         "ALTER COLUMN ENCRYPTION KEY cek1 DROP VALUE (COLUMN_MASTER_KEY = cmk1)",
         "stStatement||dboUnknown|odbDrop||DROP COLUMN ENCRYPTION KEY cek1",
         "CREATE CRYPTOGRAPHIC PROVIDER cp1 FROM FILE = 'c:\\p.dll'",
         "ALTER CRYPTOGRAPHIC PROVIDER cp1 DISABLE",
         "stStatement||dboUnknown|odbDrop||DROP CRYPTOGRAPHIC PROVIDER cp1",
         "ADD SIGNATURE TO dbo.p1 BY CERTIFICATE c1 WITH PASSWORD = 'p'",
         "ADD COUNTER SIGNATURE TO dbo.p1 BY CERTIFICATE c1",
         "stStatement||dboUnknown|odbDrop||DROP SIGNATURE FROM dbo.p1 BY CERTIFICATE c1",
         "stStatement||dboUnknown|odbDrop||DROP COUNTER SIGNATURE FROM dbo.p1 BY CERTIFICATE c1",
         "ADD SENSITIVITY CLASSIFICATION TO dbo.t1.c1 WITH (LABEL = 'Confidential', INFORMATION_TYPE = 'Financial', RANK = HIGH)",
         "stStatement||dboUnknown|odbDrop||DROP SENSITIVITY CLASSIFICATION FROM dbo.t1.c1",
         "CREATE SECURITY POLICY p1 ADD FILTER PREDICATE dbo.f1(c1) ON dbo.t1, ADD BLOCK PREDICATE dbo.f1(c1) ON dbo.t1 AFTER INSERT WITH (STATE = ON)",
         "ALTER SECURITY POLICY p1 DROP FILTER PREDICATE ON dbo.t1",
         "ALTER SECURITY POLICY p1 ALTER BLOCK PREDICATE dbo.f2(c1) ON dbo.t1 AFTER UPDATE",
         "ALTER SECURITY POLICY p1 WITH (STATE = OFF)",
         "stStatement||dboUnknown|odbDrop||DROP SECURITY POLICY p1",
         "CREATE SERVER AUDIT a1 TO FILE (FILEPATH = 'c:\\a') WITH (ON_FAILURE = CONTINUE)",
         "ALTER SERVER AUDIT a1 WITH (STATE = ON)",
         "stStatement||dboUnknown|odbDrop||DROP SERVER AUDIT a1",
         "CREATE SERVER AUDIT SPECIFICATION s1 FOR SERVER AUDIT a1 ADD (FAILED_LOGIN_GROUP) WITH (STATE = ON)",
         "ALTER SERVER AUDIT SPECIFICATION s1 DROP (FAILED_LOGIN_GROUP)",
         "stStatement||dboUnknown|odbDrop||DROP SERVER AUDIT SPECIFICATION s1",
         "CREATE DATABASE AUDIT SPECIFICATION s1 FOR SERVER AUDIT a1 ADD (SELECT ON dbo.t1 BY public)",
         "ALTER DATABASE AUDIT SPECIFICATION s1 DROP (SELECT ON dbo.t1 BY public)",
         "stStatement||dboUnknown|odbDrop||DROP DATABASE AUDIT SPECIFICATION s1",
         "EXECUTE AS LOGIN = 'l1' WITH NO REVERT",
         "EXECUTE AS USER = 'u1' WITH COOKIE INTO @c",
         "EXECUTE AS CALLER",
         "REVERT WITH COOKIE = @c",
         "REVERT",
         "SETUSER 'u1'",
         "ALTER FULLTEXT CATALOG ftc1 REBUILD WITH ACCENT_SENSITIVITY = OFF",
         "CREATE QUEUE q1 WITH STATUS = ON, RETENTION = OFF, ACTIVATION (STATUS = ON, PROCEDURE_NAME = dbo.p1, MAX_QUEUE_READERS = 5, EXECUTE AS SELF), POISON_MESSAGE_HANDLING (STATUS = ON) ON [PRIMARY]",
     },
     {}},
    {"Server",
     {
         "ALTER SERVER CONFIGURATION SET PROCESS AFFINITY CPU = AUTO",
         "ALTER SERVER CONFIGURATION SET HADR CLUSTER CONTEXT = LOCAL",
         "ALTER RESOURCE GOVERNOR WITH (CLASSIFIER_FUNCTION = dbo.f1)",
         "ALTER RESOURCE GOVERNOR RECONFIGURE",
         "ALTER RESOURCE GOVERNOR DISABLE",
         "CREATE RESOURCE POOL p1 WITH (MAX_CPU_PERCENT = 20)",
         "ALTER RESOURCE POOL p1 WITH (MAX_CPU_PERCENT = 30)",
         "stStatement||dboUnknown|odbDrop||DROP RESOURCE POOL p1",
         "CREATE WORKLOAD GROUP g1 WITH (IMPORTANCE = LOW) USING p1",
         "stStatement||dboUnknown|odbDrop||DROP WORKLOAD GROUP g1",
         "CREATE ENDPOINT e1 STATE = STARTED AS TCP (LISTENER_PORT = 5022) FOR DATABASE_MIRRORING (ROLE = PARTNER)",
         "ALTER ENDPOINT e1 STATE = STOPPED",
         "stStatement||dboUnknown|odbDrop||DROP ENDPOINT e1",
         "CREATE AVAILABILITY GROUP ag1 FOR DATABASE d1 REPLICA ON 'n1' WITH (ENDPOINT_URL = 'TCP://n1:5022', AVAILABILITY_MODE = SYNCHRONOUS_COMMIT, FAILOVER_MODE = AUTOMATIC)",
         "ALTER AVAILABILITY GROUP ag1 ADD DATABASE d2",
         "ALTER AVAILABILITY GROUP ag1 REMOVE DATABASE d2",
         "ALTER AVAILABILITY GROUP ag1 FAILOVER",
         "ALTER AVAILABILITY GROUP ag1 SET (AUTOMATED_BACKUP_PREFERENCE = SECONDARY)",
         "stStatement||dboUnknown|odbDrop||DROP AVAILABILITY GROUP ag1",
         "CREATE EVENT SESSION es ON SERVER ADD EVENT sqlserver.sql_batch_completed ADD TARGET package0.ring_buffer WITH (STARTUP_STATE = ON)",
         "ALTER EVENT SESSION es ON SERVER STATE = START",
         "ALTER EVENT SESSION es ON SERVER DROP EVENT sqlserver.sql_batch_completed",
         "stStatement||dboUnknown|odbDrop||DROP EVENT SESSION es ON SERVER",
         "stStatement||dboUnknown|odbDrop||DROP EVENT NOTIFICATION n1 ON DATABASE",
         "RECONFIGURE WITH OVERRIDE",
         "DBCC CHECKDB (d1) WITH NO_INFOMSGS, MAXDOP = 8",
         "DBCC FREEPROCCACHE",
         "DBCC SHRINKFILE (f1, 10)",
         "KILL 53 WITH STATUSONLY",
         "CHECKPOINT 10",
         "SHUTDOWN WITH NOWAIT",
         "stStatement|TRG2|dboTrigger|odbDrop||DROP TRIGGER trg2 ON ALL SERVER",
         "DISABLE TRIGGER ALL ON ALL SERVER",
     },
     {}},
    {"Service Broker",
     {
         "CREATE EVENT NOTIFICATION n1 ON DATABASE FOR CREATE_TABLE TO SERVICE 's1', 'current database'",
         "CREATE MESSAGE TYPE mt1 VALIDATION = WELL_FORMED_XML",
         "ALTER MESSAGE TYPE mt1 VALIDATION = NONE",
         "stStatement|MT1|dboUnknown|odbDrop||DROP MESSAGE TYPE mt1",
         "CREATE CONTRACT c1 (mt1 SENT BY INITIATOR, mt2 SENT BY TARGET)",
         "stStatement|C1|dboUnknown|odbDrop||DROP CONTRACT c1",
         "CREATE QUEUE q2 ON [DEFAULT]",
         "ALTER QUEUE q1 WITH ACTIVATION (DROP)",
         "ALTER QUEUE q1 WITH STATUS = OFF",
         "ALTER QUEUE q1 REBUILD WITH (MAXDOP = 2)",
         "stStatement|Q1|dboUnknown|odbDrop||DROP QUEUE q1",
         "CREATE SERVICE s1 ON QUEUE q1 (c1, [DEFAULT])",
         "ALTER SERVICE s1 ON QUEUE q2 (ADD CONTRACT c2, DROP CONTRACT c1)",
         "stStatement|S1|dboUnknown|odbDrop||DROP SERVICE s1",
         "CREATE ROUTE r1 WITH SERVICE_NAME = 's1', ADDRESS = 'TCP://h:4022'",
         "ALTER ROUTE r1 WITH ADDRESS = 'LOCAL'",
         "stStatement||dboUnknown|odbDrop||DROP ROUTE r1",
         "stStatement||dboUnknown|odbDrop||DROP REMOTE SERVICE BINDING b1",
         "CREATE BROKER PRIORITY bp1 FOR CONVERSATION SET (CONTRACT_NAME = c1, PRIORITY_LEVEL = 7)",
         "stStatement||dboUnknown|odbDrop||DROP BROKER PRIORITY bp1",
         "BEGIN DIALOG CONVERSATION @h FROM SERVICE s1 TO SERVICE 's2' ON CONTRACT c1 WITH ENCRYPTION = OFF",
         "GO",
         "SEND ON CONVERSATION @h MESSAGE TYPE mt1 (@body)",
         "END CONVERSATION @h WITH CLEANUP",
         "MOVE CONVERSATION @h TO @g",
         "GET CONVERSATION GROUP @g FROM q1",
         "BEGIN CONVERSATION TIMER (@h) TIMEOUT = 60",
     },
     {}},
    {"Full-text",
     {
         "CREATE FULLTEXT CATALOG ftc1 AS DEFAULT",
         "stStatement||dboUnknown|odbDrop||DROP FULLTEXT CATALOG ftc1",
         "stStatement|[T1: C1]|dboIndex|odbCreate||CREATE FULLTEXT INDEX ON dbo.t1 (c1 LANGUAGE 1033) KEY INDEX pk_t1 ON ftc1 WITH CHANGE_TRACKING AUTO",
         "ALTER FULLTEXT INDEX ON dbo.t1 ADD (c2)",
         "ALTER FULLTEXT INDEX ON dbo.t1 DROP (c2)",
         "ALTER FULLTEXT INDEX ON dbo.t1 ALTER COLUMN c1 ADD STATISTICAL_SEMANTICS",
         "ALTER FULLTEXT INDEX ON dbo.t1 START FULL POPULATION",
         "ALTER FULLTEXT INDEX ON dbo.t1 START UPDATE POPULATION",
         "ALTER FULLTEXT INDEX ON dbo.t1 STOP POPULATION",
         "ALTER FULLTEXT INDEX ON dbo.t1 SET CHANGE_TRACKING OFF",
         "ALTER FULLTEXT INDEX ON dbo.t1 SET STOPLIST sl1",
         "ALTER FULLTEXT INDEX ON dbo.t1 ENABLE",
         "stStatement||dboUnknown|odbDrop||DROP FULLTEXT INDEX ON dbo.t1",
         "CREATE FULLTEXT STOPLIST sl1 FROM SYSTEM STOPLIST",
         "ALTER FULLTEXT STOPLIST sl1 ADD 'w' LANGUAGE 'English'",
         "ALTER FULLTEXT STOPLIST sl1 DROP 'w' LANGUAGE 'English'",
         "ALTER FULLTEXT STOPLIST sl1 DROP ALL",
         "stStatement||dboUnknown|odbDrop||DROP FULLTEXT STOPLIST sl1",
         "CREATE SEARCH PROPERTY LIST pl1",
         "ALTER SEARCH PROPERTY LIST pl1 ADD 'Title' WITH (PROPERTY_SET_GUID = 'F29F85E0-4FF9-1068-AB91-08002B27B3D9', PROPERTY_INT_ID = 2)",
         "ALTER SEARCH PROPERTY LIST pl1 DROP 'Title'",
         "stStatement||dboUnknown|odbDrop||DROP SEARCH PROPERTY LIST pl1",
     },
     {"I DBO.T1."}},
    {"Backup and restore",
     {
         "BACKUP DATABASE d1 TO DISK = 'c:\\d1.bak' WITH COMPRESSION, ENCRYPTION (ALGORITHM = AES_256, SERVER CERTIFICATE = c1), STATS = 10",
         "BACKUP DATABASE d1 FILEGROUP = 'fg' TO DISK = 'c:\\d1.bak' WITH INIT",
         "BACKUP LOG d1 TO DISK = 'c:\\d1.trn' WITH NORECOVERY",
         "BACKUP DATABASE d1 TO URL = 'https://a/b.bak' WITH CREDENTIAL = 'c', COPY_ONLY",
         "BACKUP CERTIFICATE c1 TO FILE = 'c:\\c1.cer' WITH PRIVATE KEY (FILE = 'c:\\c1.pvk', ENCRYPTION BY PASSWORD = 'p')",
         "BACKUP MASTER KEY TO FILE = 'c:\\mk' ENCRYPTION BY PASSWORD = 'p'",
         "BACKUP SERVICE MASTER KEY TO FILE = 'c:\\smk' ENCRYPTION BY PASSWORD = 'p'",
         "RESTORE DATABASE d1 FROM DISK = 'c:\\d1.bak' WITH MOVE 'd1' TO 'c:\\d1.mdf', REPLACE, NORECOVERY",
         "RESTORE LOG d1 FROM DISK = 'c:\\d1.trn' WITH STOPAT = '2020-01-01T00:00:00', RECOVERY",
         "RESTORE FILELISTONLY FROM DISK = 'c:\\d1.bak'",
         "RESTORE VERIFYONLY FROM DISK = 'c:\\d1.bak'",
         "RESTORE MASTER KEY FROM FILE = 'c:\\mk' DECRYPTION BY PASSWORD = 'p' ENCRYPTION BY PASSWORD = 'q' FORCE",
         "RESTORE SERVICE MASTER KEY FROM FILE = 'c:\\smk' DECRYPTION BY PASSWORD = 'p'",
     },
     {}},
    {"Graph",
     {
         "stStatement|N1|dboTable|odbCreate||CREATE TABLE dbo.n1 (id int PRIMARY KEY, name nvarchar(50)) AS NODE",
         "stStatement|E1|dboTable|odbCreate||CREATE TABLE dbo.e1 AS EDGE",
         "stStatement|E2|dboTable|odbCreate||CREATE TABLE dbo.e2 (w int, CONSTRAINT ec1 CONNECTION (dbo.n1 TO dbo.n1) ON DELETE CASCADE) AS EDGE",
         "stStatement|E3|dboTable|odbCreate||CREATE TABLE dbo.e3 (w int, CONNECTION (dbo.n1 TO dbo.n1)) AS EDGE",
     },
     {"T DBO.E1", "T DBO.E2", "T DBO.E3", "T DBO.N1"}},
    {"Temporal",
     {
         "stStatement|TT|dboTable|odbCreate||CREATE TABLE dbo.tt (id int NOT NULL PRIMARY KEY CLUSTERED, v int, vf datetime2 GENERATED ALWAYS AS ROW START HIDDEN NOT NULL, vt datetime2 GENERATED ALWAYS AS ROW END HIDDEN NOT NULL, PERIOD FOR SYSTEM_TIME (vf, vt)) WITH (SYSTEM_VERSIONING = ON (HISTORY_TABLE = dbo.tt_h))",
         "ALTER TABLE dbo.tt SET (SYSTEM_VERSIONING = OFF)",
     },
     {"T DBO.TT"}},
    {"Memory-optimized",
     {
         "stStatement|M|dboTable|odbCreate||CREATE TABLE dbo.m (id int NOT NULL, d datetime2 NOT NULL INDEX ix_d NONCLUSTERED HASH (id) WITH (BUCKET_COUNT = 1024), CONSTRAINT pk_m PRIMARY KEY NONCLUSTERED (id)) WITH (MEMORY_OPTIMIZED = ON, DURABILITY = SCHEMA_ONLY)",
         "stStatement|M2|dboTable|odbCreate||CREATE TABLE dbo.m2 (id int NOT NULL PRIMARY KEY NONCLUSTERED HASH WITH (BUCKET_COUNT = 64), c int INDEX ix_c NONCLUSTERED) WITH (MEMORY_OPTIMIZED = ON)",
         "stStatement|TT1|dboDomain|odbCreate||CREATE TYPE dbo.tt1 AS TABLE (id int NOT NULL, v nvarchar(10) INDEX ix_v (v), INDEX ix_id NONCLUSTERED (id)) WITH (MEMORY_OPTIMIZED = ON)",
     },
     {"T DBO.M", "T DBO.M2", "I DBO.M.IX_D", "I DBO.M2.IX_C", "D DBO.TT1"}},
    {"Indexes, columnstore, statistics",
     {
         "stStatement|CS|dboTable|odbCreate||CREATE TABLE dbo.cs (id int, INDEX cci CLUSTERED COLUMNSTORE)",
         "stStatement|CCI2|dboIndex|odbCreate||CREATE CLUSTERED COLUMNSTORE INDEX cci2 ON dbo.cs2 WITH (COMPRESSION_DELAY = 10 MINUTES, MAXDOP = 2)",
         "stStatement|NCCI|dboIndex|odbCreate||CREATE NONCLUSTERED COLUMNSTORE INDEX ncci ON dbo.t1 (c1, c2) WHERE c1 > 0 WITH (DROP_EXISTING = OFF)",
         "stStatement|IX1|dboIndex|odbCreate||CREATE INDEX ix1 ON dbo.t1 (c1) WITH (ONLINE = ON (WAIT_AT_LOW_PRIORITY (MAX_DURATION = 10 MINUTES, ABORT_AFTER_WAIT = SELF)), RESUMABLE = ON, MAX_DURATION = 10 MINUTES)",
         "ALTER INDEX ix1 ON dbo.t1 REBUILD WITH (ONLINE = ON, MAX_DURATION = 10 MINUTES)",
         "ALTER INDEX cci2 ON dbo.cs2 REORGANIZE WITH (COMPRESS_ALL_ROW_GROUPS = ON)",
         "stStatement|T1.IX1|dboIndex|odbDrop||DROP INDEX ix1 ON dbo.t1 WITH (ONLINE = ON)",
         "stStatement|T2.IX2|dboIndex|odbDrop||DROP INDEX IF EXISTS ix1 ON dbo.t1, ix2 ON dbo.t2",
         "CREATE STATISTICS st1 ON dbo.t1 (c1) WITH FULLSCAN, INCREMENTAL = ON",
         "CREATE STATISTICS st2 ON dbo.t1 (c1, c2) WHERE c1 > 0 WITH SAMPLE 50 PERCENT, NORECOMPUTE",
         "UPDATE STATISTICS dbo.t1 st1 WITH FULLSCAN, INCREMENTAL = ON",
         "UPDATE STATISTICS dbo.t1 WITH SAMPLE 10 ROWS",
         "stStatement||dboUnknown|odbDrop||DROP STATISTICS dbo.t1.st1",
     },
     {"T DBO.CS", "I DBO.CS.CCI", "I DBO.CS2.CCI2", "I DBO.T1.IX1", "I DBO.T1.NCCI"}},
    {"Other objects",
     {
         "stStatement|FT|dboTable|odbCreate||CREATE TABLE dbo.ft AS FILETABLE WITH (FILETABLE_DIRECTORY = 'd', FILETABLE_COLLATE_FILENAME = database_default)",
         "stStatement|NC|dboTable|odbCreate||CREATE TABLE dbo.nc (a NATIONAL CHARACTER VARYING(20), b NATIONAL CHAR(5), c NATIONAL TEXT)",
         "CREATE ASSEMBLY a1 FROM 'c:\\a.dll' WITH PERMISSION_SET = SAFE",
         "CREATE ASSEMBLY a3 FROM @bits",
         "ALTER ASSEMBLY a1 DROP FILE ALL",
         "stStatement||dboUnknown|odbDrop||DROP ASSEMBLY a1 WITH NO DEPENDENTS",
         "CREATE SYNONYM dbo.sy1 FOR srv.db.dbo.t1",
         "stStatement|SY1|dboUnknown|odbDrop||DROP SYNONYM dbo.sy1",
         "CREATE PARTITION FUNCTION pf (int) AS RANGE RIGHT FOR VALUES (1, 100)",
         "ALTER PARTITION FUNCTION pf () SPLIT RANGE (500)",
         "ALTER PARTITION FUNCTION pf () MERGE RANGE (100)",
         "CREATE PARTITION SCHEME ps AS PARTITION pf ALL TO ([PRIMARY])",
         "ALTER PARTITION SCHEME ps NEXT USED fg2",
         "stStatement||dboUnknown|odbDrop||DROP PARTITION SCHEME ps",
         "stStatement||dboUnknown|odbDrop||DROP PARTITION FUNCTION pf",
         "stStatement|SQ1|dboGenerator|odbCreate||CREATE SEQUENCE dbo.sq1 AS bigint START WITH 1 INCREMENT BY 1 NO CYCLE CACHE 50",
         "ALTER SEQUENCE dbo.sq1 RESTART WITH 10",
         "stStatement|SQ1|dboGenerator|odbDrop||DROP SEQUENCE dbo.sq1",
         "stStatement|TT1|dboDomain|odbDrop||DROP TYPE dbo.tt1",
         "stStatement|X1|dboDomain|odbCreate||CREATE XML SCHEMA COLLECTION dbo.x1 AS N'<xsd:schema xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"/>'",
         "stStatement||dboUnknown|odbDrop||DROP XML SCHEMA COLLECTION dbo.x1",
         "stStatement||dboUnknown|odbDrop||DROP AGGREGATE dbo.ag1",
         "stStatement|TRG1|dboTrigger|odbDrop||DROP TRIGGER trg1 ON DATABASE",
         "stStatement|TRG3|dboTrigger|odbDrop||DROP TRIGGER IF EXISTS dbo.trg3",
         "ENABLE TRIGGER trg1 ON DATABASE",
         "TRUNCATE TABLE dbo.t1 WITH (PARTITIONS (1, 2 TO 3))",
     },
     {"T DBO.FT", "T DBO.NC", "D DBO.X1"}},
    {"External data",
     {
         "CREATE EXTERNAL DATA SOURCE eds WITH (TYPE = HADOOP, LOCATION = 'hdfs://h:8020')",
         "ALTER EXTERNAL DATA SOURCE eds SET LOCATION = 'hdfs://h2:8020', RESOURCE_MANAGER_LOCATION = 'h2:8032'",
         "stStatement||dboUnknown|odbDrop||DROP EXTERNAL DATA SOURCE eds",
         "CREATE EXTERNAL FILE FORMAT eff WITH (FORMAT_TYPE = DELIMITEDTEXT, FORMAT_OPTIONS (FIELD_TERMINATOR = '|'))",
         "stStatement||dboUnknown|odbDrop||DROP EXTERNAL FILE FORMAT eff",
         "CREATE EXTERNAL TABLE dbo.et (c1 int) WITH (LOCATION = '/x/', DATA_SOURCE = eds, FILE_FORMAT = eff)",
         "CREATE EXTERNAL TABLE dbo.et2 WITH (LOCATION = '/y/', DATA_SOURCE = eds, FILE_FORMAT = eff) AS SELECT c1 FROM dbo.t1",
         "stStatement||dboUnknown|odbDrop||DROP EXTERNAL TABLE dbo.et",
         "CREATE EXTERNAL RESOURCE POOL erp WITH (MAX_CPU_PERCENT = 10)",
         "CREATE EXTERNAL LIBRARY lib1 FROM (CONTENT = 'c:\\l.zip') WITH (LANGUAGE = 'R')",
         "stStatement||dboUnknown|odbDrop||DROP EXTERNAL LIBRARY lib1",
         "CREATE EXTERNAL LANGUAGE Java FROM (CONTENT = N'c:\\j.zip', FILE_NAME = 'javaextension.dll')",
         "CREATE ASSEMBLY a2 AUTHORIZATION dbo FROM 0x4D5A900003 WITH PERMISSION_SET = EXTERNAL_ACCESS",
         "CREATE AGGREGATE dbo.ag1 (@v nvarchar(4000)) RETURNS nvarchar(4000) EXTERNAL NAME a1.[Concat]",
     },
     {}},
    {"Session and batch",
     {
         "EXEC dbo.p1 WITH RESULT SETS NONE",
         "EXEC dbo.p1 1, 2 WITH RESULT SETS ((a int, b int))",
         "EXEC dbo.p1 WITH RECOMPILE",
         "EXEC ('SELECT 1') AT srv1",
         "EXEC ('SELECT 1') AS USER = 'u1'",
         "DECLARE @a int = 1",
         "GO",
         "stUpdate||dboUnknown|odbUnknown||WITH CHANGE_TRACKING_CONTEXT (0xff) UPDATE dbo.t1 SET c1 = 1",
         "SET @a &= 1",
         "SET @a |= 2",
         "SET @a ^= 3",
         "SET @a %= 4",
         "SET TRANSACTION ISOLATION LEVEL SNAPSHOT",
         "SET IDENTITY_INSERT dbo.t1 ON",
         "SET DEADLOCK_PRIORITY LOW",
         "SET STATISTICS IO, TIME ON",
         "BULK INSERT dbo.t1 FROM 'c:\\t.csv' WITH (FIELDTERMINATOR = ',', FIRSTROW = 2)",
         "COMMIT TRANSACTION t1 WITH (DELAYED_DURABILITY = ON)",
         "BEGIN DISTRIBUTED TRANSACTION",
         "GO",
         "SAVE TRANSACTION sp1",
         "ROLLBACK TRANSACTION sp1",
         "WAITFOR DELAY '00:00:01'",
         "THROW 50001, 'x', 1",
         "PRINT 'done'",
     },
     {}},
};

INSTANTIATE_TEST_SUITE_P(TodaysServers, MSSQLFamilies, ::testing::ValuesIn(kFamilyCases),
                         [](const ::testing::TestParamInfo<TFamilyCase>& i) {
                             std::string name;
                             for (const char ch : i.param.Family)
                                 if (std::isalnum(static_cast<unsigned char>(ch)) != 0) name += ch;
                             return name;
                         });
