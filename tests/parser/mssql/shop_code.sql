USE [Shop]
GO
/****** Object:  UserDefinedFunction [dbo].[ufnLeadingZeros]    Script Date: 07.12.2026 04:12:55 ******/
SET ANSI_NULLS ON
GO
SET QUOTED_IDENTIFIER ON
GO
CREATE FUNCTION [dbo].[ufnLeadingZeros](
    @Value int
) 
RETURNS varchar(8) 
WITH SCHEMABINDING 
AS 
BEGIN
    DECLARE @ReturnValue varchar(8);

    SET @ReturnValue = CONVERT(varchar(8), @Value);
    SET @ReturnValue = REPLICATE('0', 8 - DATALENGTH(@ReturnValue)) + @ReturnValue;

    RETURN (@ReturnValue);
END;
GO
/****** Object:  UserDefinedFunction [Sales].[tvfCustomerOrders]    Script Date: 07.12.2026 04:12:55 ******/
CREATE FUNCTION [Sales].[tvfCustomerOrders] (@CustomerID int, @Since date = NULL)
RETURNS TABLE
AS
RETURN
(
    SELECT o.OrderID, o.OrderDate, o.Total,
           ROW_NUMBER() OVER (PARTITION BY o.CustomerID ORDER BY o.OrderDate DESC, o.OrderID DESC) AS Recency,
           SUM(o.Total) OVER (PARTITION BY o.CustomerID ORDER BY o.OrderDate ROWS BETWEEN UNBOUNDED PRECEDING AND CURRENT ROW) AS RunningTotal
    FROM Sales.Orders AS o
    WHERE o.CustomerID = @CustomerID
      AND (@Since IS NULL OR o.OrderDate >= @Since)
)
GO
/****** Object:  UserDefinedFunction [Warehouse].[fnPriceHistory]    Script Date: 07.12.2026 04:12:55 ******/
CREATE FUNCTION [Warehouse].[fnPriceHistory] (@ProductID int)
RETURNS @History TABLE
(
    ValidFrom datetime2(7) NOT NULL,
    ValidTo datetime2(7) NOT NULL,
    ListPrice decimal(18, 2) NOT NULL,
    Change decimal(18, 2) NULL,
    PRIMARY KEY (ValidFrom)
)
AS
BEGIN
    INSERT INTO @History (ValidFrom, ValidTo, ListPrice, Change)
    SELECT p.ValidFrom, p.ValidTo, p.ListPrice,
           p.ListPrice - LAG(p.ListPrice) OVER (ORDER BY p.ValidFrom)
    FROM Warehouse.Products FOR SYSTEM_TIME ALL AS p
    WHERE p.ProductID = @ProductID;
    RETURN;
END
GO
/****** Object:  View [Sales].[vCustomerSummary]    Script Date: 07.12.2026 04:12:55 ******/
SET ANSI_NULLS ON
GO
SET QUOTED_IDENTIFIER ON
GO
CREATE VIEW [Sales].[vCustomerSummary]
WITH SCHEMABINDING
AS
SELECT c.CustomerID,
       dbo.fnFullName(c.FirstName, c.MiddleName, c.LastName) AS FullName,
       COUNT_BIG(*) AS OrderCount,
       SUM(ISNULL(o.Total, 0)) AS Revenue
FROM Sales.Customers AS c
INNER JOIN Sales.Orders AS o ON o.CustomerID = c.CustomerID
GROUP BY c.CustomerID, dbo.fnFullName(c.FirstName, c.MiddleName, c.LastName)
GO
/****** Object:  View [Sales].[vInvoices]    Script Date: 07.12.2026 04:12:55 ******/
CREATE VIEW [Sales].[vInvoices]
AS
SELECT o.OrderID, o.OrderDate, c.LastName, p.Name AS ProductName, l.Quantity, l.UnitPrice, l.LineTotal,
       CASE o.Status WHEN 0 THEN N'New' WHEN 1 THEN N'Paid' WHEN 2 THEN N'Shipped' ELSE N'Other' END AS StatusText
FROM   ((Sales.Orders AS o
         INNER JOIN Sales.Customers AS c ON c.CustomerID = o.CustomerID)
         INNER JOIN Sales.OrderLines AS l ON l.OrderID = o.OrderID AND l.OrderDate = o.OrderDate)
         LEFT OUTER JOIN Warehouse.Products AS p ON p.ProductID = l.ProductID
GO
/****** Object:  View [Sales].[vActiveCustomers]    Script Date: 07.12.2026 04:12:55 ******/
CREATE VIEW [Sales].[vActiveCustomers]
AS
SELECT CustomerID, FirstName, LastName, Email, CreditLimit
FROM Sales.Customers
WHERE IsActive = 1
WITH CHECK OPTION
GO
/****** Object:  View [Warehouse].[vProductPrices]    Script Date: 07.12.2026 04:12:55 ******/
CREATE OR ALTER VIEW [Warehouse].[vProductPrices]
AS
WITH ranked AS
(
    SELECT ProductID, Name, ListPrice,
           DENSE_RANK() OVER (ORDER BY ListPrice DESC) AS PriceRank,
           NTILE(4) OVER (ORDER BY ListPrice) AS Quartile
    FROM Warehouse.Products
)
SELECT r.ProductID, r.Name, r.ListPrice, r.PriceRank, r.Quartile,
       j.Tags
FROM ranked AS r
OUTER APPLY (SELECT STRING_AGG(t.value, N', ') WITHIN GROUP (ORDER BY t.value) AS Tags
             FROM OPENJSON(N'["a","b"]') AS t) AS j
GO
/****** Object:  Index [IX_vCustomerSummary]    Script Date: 07.12.2026 04:12:55 ******/
SET ARITHABORT ON
SET CONCAT_NULL_YIELDS_NULL ON
SET QUOTED_IDENTIFIER ON
SET ANSI_NULLS ON
SET ANSI_PADDING ON
SET ANSI_WARNINGS ON
SET NUMERIC_ROUNDABORT OFF
GO
CREATE UNIQUE CLUSTERED INDEX [IX_vCustomerSummary] ON [Sales].[vCustomerSummary]
(
	[CustomerID] ASC
)WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, SORT_IN_TEMPDB = OFF, IGNORE_DUP_KEY = OFF, DROP_EXISTING = OFF, ONLINE = OFF, ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON) ON [PRIMARY]
GO
/****** Object:  StoredProcedure [Sales].[uspAddToCart]    Script Date: 07.12.2026 04:12:55 ******/
SET ANSI_NULLS ON
GO
SET QUOTED_IDENTIFIER ON
GO
CREATE PROCEDURE [Sales].[uspAddToCart]
    @CustomerID int,
    @ProductID int,
    @Quantity int = 1
WITH NATIVE_COMPILATION, SCHEMABINDING, EXECUTE AS OWNER
AS
BEGIN ATOMIC WITH (TRANSACTION ISOLATION LEVEL = SNAPSHOT, LANGUAGE = N'us_english', DELAYED_DURABILITY = ON)
    IF @Quantity <= 0
        THROW 51000, N'The quantity must be positive.', 1;

    INSERT INTO Sales.ShoppingCart (CustomerID, ProductID, Quantity, AddedAt)
    VALUES (@CustomerID, @ProductID, @Quantity, SYSDATETIME());
END
GO
/****** Object:  StoredProcedure [Sales].[uspPlaceOrder]    Script Date: 07.12.2026 04:12:55 ******/
CREATE PROCEDURE [Sales].[uspPlaceOrder]
    @CustomerID int,
    @Lines Sales.OrderLineList READONLY,
    @OrderID bigint OUTPUT
AS
BEGIN
    SET NOCOUNT ON;
    SET XACT_ABORT ON;

    DECLARE @Today date = CAST(SYSDATETIME() AS date),
            @Total decimal(18, 2);

    BEGIN TRY
        BEGIN TRANSACTION;

        SELECT @Total = SUM(l.Quantity * COALESCE(l.UnitPrice, p.ListPrice))
        FROM @Lines AS l
        JOIN Warehouse.Products AS p WITH (UPDLOCK, HOLDLOCK) ON p.ProductID = l.ProductID;

        IF @Total IS NULL
        BEGIN
            RAISERROR (N'Order for customer %d has no lines.', 16, 1, @CustomerID) WITH NOWAIT;
            RETURN -1;
        END;

        SET @OrderID = NEXT VALUE FOR Sales.OrderNumbers;

        INSERT INTO Sales.Orders (OrderID, OrderDate, CustomerID, Status, Total)
        VALUES (@OrderID, @Today, @CustomerID, 0, @Total);

        INSERT INTO Sales.OrderLines (OrderID, OrderDate, ProductID, Quantity, UnitPrice)
        OUTPUT inserted.OrderLineID, inserted.ProductID INTO #Inserted (OrderLineID, ProductID)
        SELECT @OrderID, @Today, l.ProductID, l.Quantity, COALESCE(l.UnitPrice, p.ListPrice)
        FROM @Lines AS l
        JOIN Warehouse.Products AS p ON p.ProductID = l.ProductID;

        DELETE c
        FROM Sales.ShoppingCart AS c
        WHERE c.CustomerID = @CustomerID
          AND EXISTS (SELECT 1 FROM @Lines AS l WHERE l.ProductID = c.ProductID);

        COMMIT TRANSACTION;
    END TRY
    BEGIN CATCH
        IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION;

        DECLARE @msg nvarchar(2048) = CONCAT(N'uspPlaceOrder failed: ', ERROR_MESSAGE(), N' (line ', ERROR_LINE(), N')');
        INSERT INTO dbo.ErrorLog (ErrorTime, ErrorNumber, ErrorMessage)
        VALUES (SYSUTCDATETIME(), ERROR_NUMBER(), @msg);
        THROW;
    END CATCH
END
GO
/****** Object:  StoredProcedure [dbo].[uspRebuildIndexes]    Script Date: 07.12.2026 04:12:55 ******/
CREATE PROCEDURE [dbo].[uspRebuildIndexes]
    @Schema sysname = N'Sales',
    @FragmentationLimit float = 30.0,
    @Execute bit = 0
AS
BEGIN
    SET NOCOUNT ON;

    DECLARE @sql nvarchar(max), @table sysname, @index sysname, @frag float;

    DECLARE work CURSOR LOCAL FAST_FORWARD FOR
        SELECT s.name + N'.' + t.name, i.name, ps.avg_fragmentation_in_percent
        FROM sys.dm_db_index_physical_stats(DB_ID(), NULL, NULL, NULL, 'LIMITED') AS ps
        JOIN sys.indexes AS i ON i.object_id = ps.object_id AND i.index_id = ps.index_id
        JOIN sys.tables AS t ON t.object_id = i.object_id
        JOIN sys.schemas AS s ON s.schema_id = t.schema_id
        WHERE s.name = @Schema AND i.name IS NOT NULL AND ps.page_count > 100;

    OPEN work;
    FETCH NEXT FROM work INTO @table, @index, @frag;
    WHILE @@FETCH_STATUS = 0
    BEGIN
        SET @sql = N'ALTER INDEX ' + QUOTENAME(@index) + N' ON ' + @table
                 + CASE WHEN @frag >= @FragmentationLimit THEN N' REBUILD WITH (ONLINE = ON)' ELSE N' REORGANIZE' END + N';';
        IF @Execute = 1
            EXEC sys.sp_executesql @sql;
        ELSE
            PRINT @sql;
        FETCH NEXT FROM work INTO @table, @index, @frag;
    END;
    CLOSE work;
    DEALLOCATE work;
END
GO
/****** Object:  StoredProcedure [dbo].[uspCreateArchive]    Script Date: 07.12.2026 04:12:55 ******/
CREATE PROCEDURE [dbo].[uspCreateArchive]
    @Year int
AS
BEGIN
    SET NOCOUNT ON;
    DECLARE @name sysname = CONCAT(N'Orders', @Year);
    DECLARE @ddl nvarchar(max) = N'
CREATE TABLE Archive.' + QUOTENAME(@name) + N' (
    OrderID bigint NOT NULL PRIMARY KEY,
    OrderDate date NOT NULL,
    Total decimal(18, 2) NOT NULL
);
CREATE INDEX IX_' + @name + N'_Date ON Archive.' + QUOTENAME(@name) + N' (OrderDate);';

    IF OBJECT_ID(N'Archive.' + QUOTENAME(@name), N'U') IS NULL
        EXEC (@ddl);

    DECLARE @copy nvarchar(max) = N'INSERT INTO Archive.' + QUOTENAME(@name) + N' (OrderID, OrderDate, Total)
SELECT OrderID, OrderDate, Total FROM Sales.Orders WHERE YEAR(OrderDate) = @y;';
    EXEC sp_executesql @copy, N'@y int', @y = @Year;

    SELECT @@ROWCOUNT AS CopiedRows;
END
GO
/****** Object:  StoredProcedure [Sales].[uspMergeCustomers]    Script Date: 07.12.2026 04:12:55 ******/
CREATE   PROCEDURE [Sales].[uspMergeCustomers]
    @Json nvarchar(max)
AS
BEGIN
    SET NOCOUNT ON;

    ;WITH incoming AS
    (
        SELECT j.FirstName, j.LastName, j.Email, j.CreditLimit
        FROM OPENJSON(@Json)
        WITH (FirstName nvarchar(50) '$.first', LastName nvarchar(50) '$.last',
              Email nvarchar(256) '$.email', CreditLimit money '$.limit') AS j
    )
    MERGE Sales.Customers WITH (HOLDLOCK) AS target
    USING incoming AS source
        ON target.Email = source.Email
    WHEN MATCHED AND (target.FirstName <> source.FirstName OR target.LastName <> source.LastName) THEN
        UPDATE SET target.FirstName = source.FirstName,
                   target.LastName = source.LastName,
                   target.ModifiedDate = SYSUTCDATETIME()
    WHEN NOT MATCHED BY TARGET THEN
        INSERT (FirstName, LastName, Email, CreditLimit)
        VALUES (source.FirstName, source.LastName, source.Email, ISNULL(source.CreditLimit, 0))
    WHEN NOT MATCHED BY SOURCE AND target.IsActive = 1 THEN
        UPDATE SET target.IsActive = 0
    OUTPUT $action, inserted.CustomerID, deleted.CustomerID;
END
GO
/****** Object:  StoredProcedure [Sales].[uspOrdersAsXml]    Script Date: 07.12.2026 04:12:55 ******/
CREATE PROCEDURE [Sales].[uspOrdersAsXml]
    @CustomerID int
AS
    SET NOCOUNT ON
    SELECT o.OrderID AS '@id',
           o.OrderDate AS 'date',
           (SELECT l.ProductID AS '@product', l.Quantity AS '@qty'
            FROM Sales.OrderLines AS l
            WHERE l.OrderID = o.OrderID
            FOR XML PATH('line'), TYPE) AS 'lines'
    FROM Sales.Orders AS o
    WHERE o.CustomerID = @CustomerID
    FOR XML PATH('order'), ROOT('orders')
GO
/****** Object:  Trigger [Sales].[trgCustomersModified]    Script Date: 07.12.2026 04:12:55 ******/
CREATE TRIGGER [Sales].[trgCustomersModified] ON [Sales].[Customers]
AFTER UPDATE
AS
BEGIN
    SET NOCOUNT ON;
    IF TRIGGER_NESTLEVEL() > 1 RETURN;
    IF NOT UPDATE(ModifiedDate)
        UPDATE c
        SET ModifiedDate = SYSUTCDATETIME()
        FROM Sales.Customers AS c
        INNER JOIN inserted AS i ON i.CustomerID = c.CustomerID;
END
GO
ALTER TABLE [Sales].[Customers] ENABLE TRIGGER [trgCustomersModified]
GO
/****** Object:  Trigger [Sales].[trgInvoicesInsteadOfDelete]    Script Date: 07.12.2026 04:12:55 ******/
CREATE TRIGGER [Sales].[trgInvoicesInsteadOfDelete] ON [Sales].[vInvoices]
INSTEAD OF DELETE
AS
BEGIN
    SET NOCOUNT ON;
    UPDATE o SET Status = 9
    FROM Sales.Orders AS o
    WHERE EXISTS (SELECT 1 FROM deleted AS d WHERE d.OrderID = o.OrderID);
END
GO
/****** Object:  DdlTrigger [trgSchemaChanges]    Script Date: 07.12.2026 04:12:55 ******/
CREATE TRIGGER [trgSchemaChanges] ON DATABASE
FOR CREATE_TABLE, ALTER_TABLE, DROP_TABLE
AS
BEGIN
    SET NOCOUNT ON;
    DECLARE @e xml = EVENTDATA();
    INSERT INTO dbo.SchemaLog (EventTime, EventType, ObjectName, CommandText)
    VALUES (SYSUTCDATETIME(),
            @e.value('(/EVENT_INSTANCE/EventType)[1]', 'nvarchar(100)'),
            @e.value('(/EVENT_INSTANCE/ObjectName)[1]', 'nvarchar(256)'),
            @e.value('(/EVENT_INSTANCE/TSQLCommand/CommandText)[1]', 'nvarchar(max)'));
END
GO
DISABLE TRIGGER [trgSchemaChanges] ON DATABASE
GO
ENABLE TRIGGER [trgSchemaChanges] ON DATABASE
GO
EXEC sys.sp_addextendedproperty @name=N'MS_Description', @value=N'People and firms that buy from the shop.' , @level0type=N'SCHEMA',@level0name=N'Sales', @level1type=N'TABLE',@level1name=N'Customers'
GO
EXEC sys.sp_addextendedproperty @name=N'MS_Description', @value=N'Credit the customer may use, in the shop''s currency.' , @level0type=N'SCHEMA',@level0name=N'Sales', @level1type=N'TABLE',@level1name=N'Customers', @level2type=N'COLUMN',@level2name=N'CreditLimit'
GO
EXEC sys.sp_addextendedproperty @name=N'MS_Description', @value=N'Places an order from a list of lines.' , @level0type=N'SCHEMA',@level0name=N'Sales', @level1type=N'PROCEDURE',@level1name=N'uspPlaceOrder'
GO
GRANT EXECUTE ON [Sales].[uspPlaceOrder] TO [ShopApp] AS [dbo]
GO
GRANT SELECT ON [Sales].[vInvoices] TO [Reporting]
GO
GRANT SELECT ON SCHEMA::[Sales] TO [Reporting]
GO
GRANT VIEW DEFINITION ON SCHEMA::[Warehouse] TO [Reporting], [ShopApp]
GO
GRANT EXECUTE ON TYPE::[Sales].[OrderLineList] TO [ShopApp]
GO
GRANT SHOWPLAN TO [ReportReader]
GO
DENY DELETE ON [Sales].[Orders] TO [ShopApp]
GO
REVOKE INSERT ON [Sales].[Orders] FROM [ReportReader] CASCADE
GO
GRANT UNMASK TO [Reporting]
GO
USE [master]
GO
ALTER DATABASE [Shop] SET  READ_WRITE 
GO
