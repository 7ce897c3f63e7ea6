SET ANSI_NULLS ON;
SET ANSI_PADDING ON;
SET ANSI_WARNINGS ON;
SET ARITHABORT ON;
SET CONCAT_NULL_YIELDS_NULL ON;
SET QUOTED_IDENTIFIER ON;
SET STATISTICS IO OFF;
SET STATISTICS TIME OFF;
GO

IF OBJECT_ID('dbo.sp_ShopHealth') IS NULL
  EXEC ('CREATE PROCEDURE dbo.sp_ShopHealth AS RETURN 0;');
GO

ALTER PROCEDURE [dbo].[sp_ShopHealth]
    @Help TINYINT = 0 ,
    @CheckUserDatabaseObjects TINYINT = 1 ,
    @OutputType VARCHAR(20) = 'TABLE' ,
    @IgnorePrioritiesAbove INT = NULL ,
    @Version VARCHAR(30) = NULL OUTPUT,
    @VersionDate DATETIME = NULL OUTPUT,
    @Debug TINYINT = 0
WITH RECOMPILE
AS
    SET NOCOUNT ON;
    SET TRANSACTION ISOLATION LEVEL READ UNCOMMITTED;

    SELECT @Version = '8.19', @VersionDate = '20260101';

    IF @Help = 1
    BEGIN
        PRINT '
    sp_ShopHealth from the Shop toolkit

    Parameters:
        @CheckUserDatabaseObjects  1 to look inside every user database
        @OutputType                TABLE, COUNT or NONE
    GO
    (the word above is part of this help text, not a batch end)
    ';
        RETURN;
    END;

    IF OBJECT_ID('tempdb..#Results') IS NOT NULL
        DROP TABLE #Results;
    CREATE TABLE #Results
        (
          ID INT IDENTITY(1, 1) ,
          CheckID INT ,
          DatabaseName NVARCHAR(128) ,
          Priority TINYINT ,
          FindingsGroup VARCHAR(50) ,
          Finding VARCHAR(200) ,
          URL VARCHAR(200) ,
          Details NVARCHAR(4000) ,
          QueryPlan [XML] NULL ,
          QueryPlanFiltered [NVARCHAR](MAX) NULL
        );

    IF OBJECT_ID('tempdb..#SkipChecks') IS NOT NULL
        DROP TABLE #SkipChecks;
    CREATE TABLE #SkipChecks
        (
          DatabaseName NVARCHAR(128) ,
          CheckID INT ,
          ServerName NVARCHAR(128)
        );
    CREATE CLUSTERED INDEX IX_CheckID_DatabaseName ON #SkipChecks(CheckID, DatabaseName);

    DECLARE @StringToExecute NVARCHAR(4000),
            @curr_tracefilename NVARCHAR(500),
            @base_tracefilename NVARCHAR(500),
            @indx int,
            @ProductVersion NVARCHAR(128),
            @ProductVersionMajor DECIMAL(10, 2),
            @ProductVersionMinor DECIMAL(10, 2);

    SET @ProductVersion = CAST(SERVERPROPERTY('ProductVersion') AS NVARCHAR(128));
    SELECT @ProductVersionMajor = SUBSTRING(@ProductVersion, 1, CHARINDEX('.', @ProductVersion) + 1),
           @ProductVersionMinor = PARSENAME(CONVERT(VARCHAR(32), @ProductVersion), 2);

    /* Databases with a page verification other than checksum */
    IF NOT EXISTS ( SELECT  1 FROM #SkipChecks WHERE DatabaseName IS NULL AND CheckID = 14 )
        BEGIN
            INSERT  INTO #Results
                    ( CheckID , DatabaseName , Priority , FindingsGroup , Finding , URL , Details )
            SELECT  14 AS CheckID ,
                    [name] AS DatabaseName ,
                    10 AS Priority ,
                    'Reliability' AS FindingsGroup ,
                    'Page Verification Not Optimal' AS Finding ,
                    'https://example.com/checksum' AS URL ,
                    ( 'Database [' + [name] + '] has ' + [page_verify_option_desc] + ' for page verification.' ) AS Details
            FROM    sys.databases
            WHERE   page_verify_option < 2
                    AND name <> 'tempdb'
                    AND state NOT IN (1, 6, 10)
                    AND name NOT IN ( SELECT DISTINCT DatabaseName FROM #SkipChecks WHERE CheckID IS NULL OR CheckID = 14)
            OPTION (RECOMPILE, MAXDOP 1);
        END;

    /* Objects in every user database, through dynamic SQL */
    IF @CheckUserDatabaseObjects = 1
        BEGIN
            EXEC dbo.sp_MSforeachdb 'USE [?];
                SET TRANSACTION ISOLATION LEVEL READ UNCOMMITTED;
                INSERT INTO #Results (CheckID, DatabaseName, Priority, FindingsGroup, Finding, URL, Details)
                SELECT DISTINCT 32, DB_NAME(), 110, ''Performance'', ''Triggers on Tables'', ''https://example.com/triggers'',
                    ''The ['' + DB_NAME() + ''] database has '' + CAST(SUM(1) AS NVARCHAR(50)) + '' triggers.''
                FROM sys.triggers t INNER JOIN sys.objects o ON t.parent_id = o.object_id
                INNER JOIN sys.schemas s ON o.schema_id = s.schema_id WHERE t.is_ms_shipped = 0 AND DB_NAME() != ''ReportServer''
                HAVING SUM(1) > 0 OPTION (RECOMPILE);';

            SET @StringToExecute = N'
                CREATE TABLE #Scratch (ObjectName sysname NOT NULL PRIMARY KEY);
                CREATE VIEW dbo.NeverFiled AS SELECT 1 AS x;
                INSERT #Scratch SELECT name FROM sys.objects WHERE is_ms_shipped = 0;';
            IF @Debug = 1 PRINT @StringToExecute;
            ELSE EXECUTE sp_executesql @StringToExecute;
        END;

    /* Wait statistics, pivoted per category */
    ;WITH waits AS
    (
        SELECT wait_type, wait_time_ms / 1000.0 AS wait_s,
               CASE WHEN wait_type LIKE N'LCK%' THEN N'Lock'
                    WHEN wait_type LIKE N'PAGEIOLATCH%' THEN N'Buffer IO'
                    WHEN wait_type IN (N'WRITELOG', N'LOGBUFFER') THEN N'Log'
                    ELSE N'Other' END AS category
        FROM sys.dm_os_wait_stats
        WHERE wait_type NOT LIKE N'SLEEP%'
    )
    SELECT *
    FROM (SELECT category, wait_s FROM waits) AS src
    PIVOT (SUM(wait_s) FOR category IN ([Lock], [Buffer IO], [Log], [Other])) AS pvt;

    IF @OutputType = 'COUNT'
        BEGIN
            SELECT COUNT(*) AS Warnings FROM #Results;
        END;
    ELSE IF @OutputType = 'TABLE'
        BEGIN
            SELECT  [Priority] ,
                    [FindingsGroup] ,
                    [Finding] ,
                    [DatabaseName] ,
                    [URL] ,
                    [Details] ,
                    [CheckID]
            FROM    #Results
            WHERE   @IgnorePrioritiesAbove IS NULL OR Priority <= @IgnorePrioritiesAbove
            ORDER BY Priority ,
                    FindingsGroup ,
                    Finding ,
                    DatabaseName ,
                    Details;
        END;

    DROP TABLE #Results;
    RETURN 0;
GO

/* A small unit-testing helper: test classes are schemas, tests are procedures. */
IF SCHEMA_ID(N'ShopTest') IS NULL EXEC (N'CREATE SCHEMA ShopTest AUTHORIZATION dbo;');
GO
CREATE TABLE ShopTest.TestResult
(
    Id INT IDENTITY(1, 1) PRIMARY KEY CLUSTERED,
    Class NVARCHAR(MAX) NOT NULL,
    TestCase NVARCHAR(MAX) NOT NULL,
    Name AS (QUOTENAME(Class) + '.' + QUOTENAME(TestCase)),
    TranName NVARCHAR(MAX) NULL,
    Result NVARCHAR(MAX) NULL,
    Msg NVARCHAR(MAX) NULL,
    TestStartTime DATETIME2 NOT NULL CONSTRAINT [DF:TestResult(TestStartTime)] DEFAULT SYSDATETIME(),
    TestEndTime DATETIME2 NULL
);
GO
CREATE PROCEDURE ShopTest.Fail
    @Message0 NVARCHAR(MAX) = '',
    @Message1 NVARCHAR(MAX) = ''
AS
BEGIN
   DECLARE @WarningMessage NVARCHAR(MAX);
   SET @WarningMessage = '';

   IF XACT_STATE() = -1
   BEGIN
     SET @WarningMessage = CHAR(13)+CHAR(10)+'Warning: Uncommitable transaction detected!';
     DECLARE @TranName NVARCHAR(MAX);
     SELECT @TranName = TranName
       FROM ShopTest.TestResult
      WHERE Id = (SELECT MAX(Id) FROM ShopTest.TestResult);

     DECLARE @TranCount INT;
     SET @TranCount = @@TRANCOUNT;
     ROLLBACK;
     WHILE(@TranCount>0)
     BEGIN
       BEGIN TRAN;
       SET @TranCount = @TranCount -1;
     END;
     SAVE TRAN @TranName;
   END;

   INSERT INTO ShopTest.TestMessage(Msg)
   SELECT COALESCE(@Message0, '!NULL!')
        + COALESCE(@Message1, '!NULL!')
        + @WarningMessage;

   RAISERROR('ShopTest.Failure',16,10);
END;
GO
CREATE PROCEDURE ShopTest.AssertEquals
    @Expected SQL_VARIANT,
    @Actual SQL_VARIANT,
    @Message NVARCHAR(MAX) = ''
AS
BEGIN
    IF ((@Expected = @Actual) OR (@Actual IS NULL AND @Expected IS NULL))
      RETURN 0;

    DECLARE @Msg NVARCHAR(MAX);
    SELECT @Msg = 'Expected: <' + ISNULL(CAST(@Expected AS NVARCHAR(MAX)), 'NULL') +
                  '> but was: <' + ISNULL(CAST(@Actual AS NVARCHAR(MAX)), 'NULL') + '>';
    IF((COALESCE(@Message,'') <> '') AND (@Message NOT LIKE '% ')) SET @Message = @Message + ' ';
    EXEC ShopTest.Fail @Message, @Msg;
END;
GO
CREATE FUNCTION ShopTest.Private_GetCleanSchemaName(@SchemaName NVARCHAR(MAX), @ObjectName NVARCHAR(MAX))
RETURNS NVARCHAR(MAX)
AS
BEGIN
    RETURN (SELECT SCHEMA_NAME(schema_id)
              FROM sys.objects
             WHERE object_id = CASE WHEN ISNULL(@SchemaName,'') in ('','[]')
                                    THEN OBJECT_ID(@ObjectName)
                                    ELSE OBJECT_ID(@SchemaName + '.' + @ObjectName)
                                END);
END;
GO
CREATE FUNCTION ShopTest.Private_ResolveName(@Name NVARCHAR(MAX))
RETURNS TABLE
AS
RETURN
  WITH resolved AS
  (
    SELECT schema_id AS SchemaId, name AS Name
      FROM sys.schemas
     WHERE name = PARSENAME(@Name, 1)
    UNION ALL
    SELECT o.schema_id, o.name
      FROM sys.objects AS o
     WHERE o.object_id = OBJECT_ID(@Name)
  )
  SELECT TOP (1) SchemaId, Name
    FROM resolved
   ORDER BY CASE WHEN Name = @Name THEN 0 ELSE 1 END;
GO
CREATE TABLE ShopTest.TestMessage
(
    Msg NVARCHAR(MAX)
);
GO
CREATE TYPE ShopTest.AssertStringTable AS TABLE(value NVARCHAR(MAX));
GO
CREATE PROCEDURE ShopTest.RunAll
AS
BEGIN
  SET NOCOUNT ON;
  DECLARE @TestName NVARCHAR(MAX), @Cmd NVARCHAR(MAX);
  DECLARE tests CURSOR LOCAL FAST_FORWARD FOR
    SELECT QUOTENAME(SCHEMA_NAME(p.schema_id)) + '.' + QUOTENAME(p.name)
      FROM sys.procedures AS p
     WHERE SCHEMA_NAME(p.schema_id) LIKE N'Test%'
       AND p.name LIKE N'test%'
     ORDER BY 1;
  OPEN tests;
  FETCH NEXT FROM tests INTO @TestName;
  WHILE @@FETCH_STATUS = 0
  BEGIN
    BEGIN TRAN;
    SAVE TRAN ShopTestRun;
    BEGIN TRY
      SET @Cmd = N'EXEC ' + @TestName + N';';
      EXEC (@Cmd);
      INSERT ShopTest.TestResult (Class, TestCase, Result) VALUES (PARSENAME(@TestName, 2), PARSENAME(@TestName, 1), N'Success');
    END TRY
    BEGIN CATCH
      INSERT ShopTest.TestResult (Class, TestCase, Result, Msg)
      VALUES (PARSENAME(@TestName, 2), PARSENAME(@TestName, 1),
              CASE WHEN ERROR_MESSAGE() LIKE N'%ShopTest.Failure%' THEN N'Failure' ELSE N'Error' END,
              ERROR_MESSAGE());
    END CATCH;
    IF XACT_STATE() <> 0 ROLLBACK TRAN ShopTestRun;
    IF @@TRANCOUNT > 0 COMMIT;
    FETCH NEXT FROM tests INTO @TestName;
  END;
  CLOSE tests;
  DEALLOCATE tests;

  SELECT Name, Result, Msg, DATEDIFF(MILLISECOND, TestStartTime, ISNULL(TestEndTime, SYSDATETIME())) AS [Duration (ms)]
    FROM ShopTest.TestResult
   ORDER BY CASE Result WHEN N'Error' THEN 0 WHEN N'Failure' THEN 1 ELSE 2 END, Name;
END;
GO
