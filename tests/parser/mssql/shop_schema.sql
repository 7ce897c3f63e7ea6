USE [master]
GO
/****** Object:  Database [Shop]    Script Date: 07.12.2026 04:12:55 ******/
CREATE DATABASE [Shop]
 CONTAINMENT = NONE
 ON  PRIMARY 
( NAME = N'Shop', FILENAME = N'C:\Data\Shop.mdf' , SIZE = 73728KB , MAXSIZE = UNLIMITED, FILEGROWTH = 65536KB ), 
 FILEGROUP [ShopMemory] CONTAINS MEMORY_OPTIMIZED_DATA  DEFAULT
( NAME = N'ShopMemory1', FILENAME = N'C:\Data\ShopMemory1' , MAXSIZE = UNLIMITED)
 LOG ON 
( NAME = N'Shop_log', FILENAME = N'C:\Data\Shop_log.ldf' , SIZE = 8192KB , MAXSIZE = 2048GB , FILEGROWTH = 65536KB )
 WITH CATALOG_COLLATION = DATABASE_DEFAULT, LEDGER = OFF
GO
ALTER DATABASE [Shop] SET COMPATIBILITY_LEVEL = 150
GO
IF (1 = FULLTEXTSERVICEPROPERTY('IsFullTextInstalled'))
begin
EXEC [Shop].[dbo].[sp_fulltext_database] @action = 'enable'
end
GO
ALTER DATABASE [Shop] SET ANSI_NULL_DEFAULT OFF 
GO
ALTER DATABASE [Shop] SET ANSI_NULLS OFF 
GO
ALTER DATABASE [Shop] SET ANSI_PADDING OFF 
GO
ALTER DATABASE [Shop] SET ARITHABORT OFF 
GO
ALTER DATABASE [Shop] SET AUTO_CLOSE OFF 
GO
ALTER DATABASE [Shop] SET AUTO_SHRINK OFF 
GO
ALTER DATABASE [Shop] SET AUTO_UPDATE_STATISTICS ON 
GO
ALTER DATABASE [Shop] SET CURSOR_DEFAULT  GLOBAL 
GO
ALTER DATABASE [Shop] SET RECURSIVE_TRIGGERS OFF 
GO
ALTER DATABASE [Shop] SET  DISABLE_BROKER 
GO
ALTER DATABASE [Shop] SET READ_COMMITTED_SNAPSHOT ON 
GO
ALTER DATABASE [Shop] SET RECOVERY FULL 
GO
ALTER DATABASE [Shop] SET  MULTI_USER 
GO
ALTER DATABASE [Shop] SET PAGE_VERIFY CHECKSUM  
GO
ALTER DATABASE [Shop] SET DB_CHAINING OFF 
GO
ALTER DATABASE [Shop] SET FILESTREAM( NON_TRANSACTED_ACCESS = OFF ) 
GO
ALTER DATABASE [Shop] SET TARGET_RECOVERY_TIME = 60 SECONDS 
GO
ALTER DATABASE [Shop] SET DELAYED_DURABILITY = DISABLED 
GO
ALTER DATABASE [Shop] SET ACCELERATED_DATABASE_RECOVERY = OFF  
GO
EXEC sys.sp_db_vardecimal_storage_format N'Shop', N'ON'
GO
ALTER DATABASE [Shop] SET QUERY_STORE = ON
GO
ALTER DATABASE [Shop] SET QUERY_STORE (OPERATION_MODE = READ_WRITE, CLEANUP_POLICY = (STALE_QUERY_THRESHOLD_DAYS = 30), DATA_FLUSH_INTERVAL_SECONDS = 900, INTERVAL_LENGTH_MINUTES = 60, MAX_STORAGE_SIZE_MB = 1000, QUERY_CAPTURE_MODE = AUTO, SIZE_BASED_CLEANUP_MODE = AUTO, MAX_PLANS_PER_QUERY = 200, WAIT_STATS_CAPTURE_MODE = ON)
GO
USE [Shop]
GO
/****** Object:  User [ShopApp]    Script Date: 07.12.2026 04:12:55 ******/
CREATE USER [ShopApp] FOR LOGIN [ShopApp] WITH DEFAULT_SCHEMA=[Sales]
GO
/****** Object:  User [ReportReader]    Script Date: 07.12.2026 04:12:55 ******/
CREATE USER [ReportReader] WITHOUT LOGIN WITH DEFAULT_SCHEMA=[dbo]
GO
/****** Object:  DatabaseRole [Reporting]    Script Date: 07.12.2026 04:12:55 ******/
CREATE ROLE [Reporting]
GO
ALTER ROLE [db_datareader] ADD MEMBER [ShopApp]
GO
ALTER ROLE [db_datawriter] ADD MEMBER [ShopApp]
GO
ALTER ROLE [Reporting] ADD MEMBER [ReportReader]
GO
/****** Object:  Schema [Sales]    Script Date: 07.12.2026 04:12:55 ******/
CREATE SCHEMA [Sales]
GO
/****** Object:  Schema [Warehouse]    Script Date: 07.12.2026 04:12:55 ******/
CREATE SCHEMA [Warehouse]
GO
/****** Object:  Schema [Archive]    Script Date: 07.12.2026 04:12:55 ******/
CREATE SCHEMA [Archive] AUTHORIZATION [dbo]
GO
/****** Object:  PartitionFunction [pfOrderYear]    Script Date: 07.12.2026 04:12:55 ******/
CREATE PARTITION FUNCTION [pfOrderYear](date) AS RANGE RIGHT FOR VALUES (N'2022-01-01T00:00:00.000', N'2023-01-01T00:00:00.000', N'2024-01-01T00:00:00.000', N'2025-01-01T00:00:00.000')
GO
/****** Object:  PartitionScheme [psOrderYear]    Script Date: 07.12.2026 04:12:55 ******/
CREATE PARTITION SCHEME [psOrderYear] AS PARTITION [pfOrderYear] TO ([PRIMARY], [PRIMARY], [PRIMARY], [PRIMARY], [PRIMARY])
GO
/****** Object:  Sequence [Sales].[OrderNumbers]    Script Date: 07.12.2026 04:12:55 ******/
CREATE SEQUENCE [Sales].[OrderNumbers] 
 AS [bigint]
 START WITH 100000
 INCREMENT BY 1
 MINVALUE -9223372036854775808
 MAXVALUE 9223372036854775807
 CACHE  50 
GO
/****** Object:  UserDefinedDataType [dbo].[Phone]    Script Date: 07.12.2026 04:12:55 ******/
CREATE TYPE [dbo].[Phone] FROM [nvarchar](24) NULL
GO
/****** Object:  UserDefinedTableType [Sales].[OrderLineList]    Script Date: 07.12.2026 04:12:55 ******/
CREATE TYPE [Sales].[OrderLineList] AS TABLE(
	[ProductID] [int] NOT NULL,
	[Quantity] [int] NOT NULL,
	[UnitPrice] [decimal](18, 2) NULL,
	PRIMARY KEY CLUSTERED 
(
	[ProductID] ASC
)WITH (IGNORE_DUP_KEY = OFF)
)
GO
/****** Object:  UserDefinedTableType [Sales].[CartItems]    Script Date: 07.12.2026 04:12:55 ******/
CREATE TYPE [Sales].[CartItems] AS TABLE(
	[CartItemID] [int] NOT NULL,
	[ProductID] [int] NOT NULL,
	[Quantity] [int] NOT NULL,
	 PRIMARY KEY NONCLUSTERED HASH 
(
	[CartItemID]
)WITH ( BUCKET_COUNT = 1024),
	 INDEX [IX_CartItems_Product] NONCLUSTERED 
(
	[ProductID] ASC
)
)
WITH ( MEMORY_OPTIMIZED = ON )
GO
/****** Object:  Synonym [dbo].[LegacyOrders]    Script Date: 07.12.2026 04:12:55 ******/
CREATE SYNONYM [dbo].[LegacyOrders] FOR [LegacyServer].[OldShop].[dbo].[Orders]
GO
/****** Object:  XmlSchemaCollection [Sales].[OrderNotes]    Script Date: 07.12.2026 04:12:55 ******/
CREATE XML SCHEMA COLLECTION [Sales].[OrderNotes] AS N'<xsd:schema xmlns:xsd="http://www.w3.org/2001/XMLSchema"><xsd:element name="note" type="xsd:string" /></xsd:schema>'
GO
/****** Object:  UserDefinedFunction [dbo].[fnFullName]    Script Date: 07.12.2026 04:12:55 ******/
SET ANSI_NULLS ON
GO
SET QUOTED_IDENTIFIER ON
GO
-- Joins the parts of a person's name; NULL parts are left out.
CREATE FUNCTION [dbo].[fnFullName]
(
	@FirstName nvarchar(50),
	@MiddleName nvarchar(50) = NULL,
	@LastName nvarchar(50)
)
RETURNS nvarchar(160)
WITH SCHEMABINDING
AS
BEGIN
	RETURN CONCAT_WS(N' ', NULLIF(LTRIM(RTRIM(@FirstName)), N''), NULLIF(LTRIM(RTRIM(@MiddleName)), N''),
	                 NULLIF(LTRIM(RTRIM(@LastName)), N''));
END
GO
/****** Object:  Table [Sales].[Customers]    Script Date: 07.12.2026 04:12:55 ******/
SET ANSI_NULLS ON
GO
SET QUOTED_IDENTIFIER ON
GO
CREATE TABLE [Sales].[Customers](
	[CustomerID] [int] IDENTITY(1,1) NOT NULL,
	[AccountNumber]  AS (isnull('AW'+[dbo].[ufnLeadingZeros]([CustomerID]),'')),
	[FirstName] [nvarchar](50) NOT NULL,
	[MiddleName] [nvarchar](50) NULL,
	[LastName] [nvarchar](50) NOT NULL,
	[Email] [nvarchar](256) MASKED WITH (FUNCTION = 'email()') NULL,
	[Phone] [dbo].[Phone] NULL,
	[CreditLimit] [money] NOT NULL,
	[IsActive] [bit] NOT NULL,
	[Notes] [xml](CONTENT [Sales].[OrderNotes]) NULL,
	[Location] [geography] NULL,
	[rowguid] [uniqueidentifier] ROWGUIDCOL  NOT NULL,
	[ModifiedDate] [datetime2](7) NOT NULL,
 CONSTRAINT [PK_Customers] PRIMARY KEY CLUSTERED 
(
	[CustomerID] ASC
)WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, IGNORE_DUP_KEY = OFF, ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON, OPTIMIZE_FOR_SEQUENTIAL_KEY = OFF) ON [PRIMARY],
 CONSTRAINT [AK_Customers_rowguid] UNIQUE NONCLUSTERED 
(
	[rowguid] ASC
)WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, IGNORE_DUP_KEY = OFF, ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON, OPTIMIZE_FOR_SEQUENTIAL_KEY = OFF) ON [PRIMARY]
) ON [PRIMARY] TEXTIMAGE_ON [PRIMARY]
GO
/****** Object:  Table [Warehouse].[ProductsHistory]    Script Date: 07.12.2026 04:12:55 ******/
SET ANSI_NULLS ON
GO
SET QUOTED_IDENTIFIER ON
GO
CREATE TABLE [Warehouse].[ProductsHistory](
	[ProductID] [int] NOT NULL,
	[Name] [nvarchar](100) NOT NULL,
	[ListPrice] [decimal](18, 2) NOT NULL,
	[Weight] [decimal](8, 2) NULL,
	[ValidFrom] [datetime2](7) NOT NULL,
	[ValidTo] [datetime2](7) NOT NULL
) ON [PRIMARY]
WITH
(
DATA_COMPRESSION = PAGE
)
GO
/****** Object:  Index [ix_ProductsHistory]    Script Date: 07.12.2026 04:12:55 ******/
CREATE CLUSTERED INDEX [ix_ProductsHistory] ON [Warehouse].[ProductsHistory]
(
	[ValidTo] ASC,
	[ValidFrom] ASC
)WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, SORT_IN_TEMPDB = OFF, DROP_EXISTING = OFF, ONLINE = OFF, ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON, OPTIMIZE_FOR_SEQUENTIAL_KEY = OFF, DATA_COMPRESSION = PAGE) ON [PRIMARY]
GO
/****** Object:  Table [Warehouse].[Products]    Script Date: 07.12.2026 04:12:55 ******/
SET ANSI_NULLS ON
GO
SET QUOTED_IDENTIFIER ON
GO
CREATE TABLE [Warehouse].[Products](
	[ProductID] [int] IDENTITY(1,1) NOT NULL,
	[Name] [nvarchar](100) NOT NULL,
	[ListPrice] [decimal](18, 2) NOT NULL,
	[Weight] [decimal](8, 2) NULL,
	[ValidFrom] [datetime2](7) GENERATED ALWAYS AS ROW START HIDDEN NOT NULL,
	[ValidTo] [datetime2](7) GENERATED ALWAYS AS ROW END HIDDEN NOT NULL,
 CONSTRAINT [PK_Products] PRIMARY KEY CLUSTERED 
(
	[ProductID] ASC
)WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, IGNORE_DUP_KEY = OFF, ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON, OPTIMIZE_FOR_SEQUENTIAL_KEY = OFF) ON [PRIMARY],
	PERIOD FOR SYSTEM_TIME ([ValidFrom], [ValidTo])
) ON [PRIMARY]
WITH
(
SYSTEM_VERSIONING = ON (HISTORY_TABLE = [Warehouse].[ProductsHistory], DATA_CONSISTENCY_CHECK = ON, HISTORY_RETENTION_PERIOD = 5 YEARS)
)
GO
/****** Object:  Table [Sales].[Orders]    Script Date: 07.12.2026 04:12:55 ******/
SET ANSI_NULLS ON
GO
SET QUOTED_IDENTIFIER ON
GO
CREATE TABLE [Sales].[Orders](
	[OrderID] [bigint] NOT NULL,
	[OrderDate] [date] NOT NULL,
	[CustomerID] [int] NOT NULL,
	[Status] [tinyint] NOT NULL,
	[Comment] [nvarchar](max) NULL,
	[Total] [decimal](18, 2) NOT NULL,
	[RowVersion] [timestamp] NOT NULL,
 CONSTRAINT [PK_Orders] PRIMARY KEY CLUSTERED 
(
	[OrderID] ASC,
	[OrderDate] ASC
)WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, IGNORE_DUP_KEY = OFF, ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON, OPTIMIZE_FOR_SEQUENTIAL_KEY = OFF) ON [psOrderYear]([OrderDate])
) ON [psOrderYear]([OrderDate])
GO
/****** Object:  Table [Sales].[OrderLines]    Script Date: 07.12.2026 04:12:55 ******/
SET ANSI_NULLS ON
GO
SET QUOTED_IDENTIFIER ON
GO
CREATE TABLE [Sales].[OrderLines](
	[OrderLineID] [bigint] IDENTITY(1,1) NOT NULL,
	[OrderID] [bigint] NOT NULL,
	[OrderDate] [date] NOT NULL,
	[ProductID] [int] NOT NULL,
	[Quantity] [int] NOT NULL,
	[UnitPrice] [decimal](18, 2) NOT NULL,
	[Discount] [decimal](5, 4) SPARSE  NULL,
	[LineTotal]  AS (CONVERT([decimal](18,2),([UnitPrice]*[Quantity])*((1.0)-isnull([Discount],(0.0))))) PERSISTED
) ON [PRIMARY]
GO
/****** Object:  Index [CCI_OrderLines]    Script Date: 07.12.2026 04:12:55 ******/
CREATE CLUSTERED COLUMNSTORE INDEX [CCI_OrderLines] ON [Sales].[OrderLines] WITH (DROP_EXISTING = OFF, COMPRESSION_DELAY = 0, DATA_COMPRESSION = COLUMNSTORE) ON [PRIMARY]
GO
/****** Object:  Table [Sales].[ShoppingCart]    Script Date: 07.12.2026 04:12:55 ******/
SET ANSI_NULLS ON
GO
SET QUOTED_IDENTIFIER ON
GO
CREATE TABLE [Sales].[ShoppingCart]
(
	[ShoppingCartID] [int] IDENTITY(1,1) NOT NULL,
	[CustomerID] [int] NOT NULL,
	[ProductID] [int] NOT NULL,
	[Quantity] [int] NOT NULL,
	[AddedAt] [datetime2](7) NOT NULL,

 CONSTRAINT [PK_ShoppingCart]  PRIMARY KEY NONCLUSTERED HASH 
(
	[ShoppingCartID]
)WITH ( BUCKET_COUNT = 131072),
INDEX [IX_ShoppingCart_Customer] NONCLUSTERED 
(
	[CustomerID] ASC,
	[AddedAt] DESC
)
)WITH ( MEMORY_OPTIMIZED = ON , DURABILITY = SCHEMA_AND_DATA )
GO
/****** Object:  Table [Sales].[SessionState]    Script Date: 07.12.2026 04:12:55 ******/
CREATE TABLE [Sales].[SessionState]
(
	[SessionID] [uniqueidentifier] NOT NULL INDEX [IX_SessionState_ID] NONCLUSTERED HASH WITH (BUCKET_COUNT = 65536),
	[Payload] [varbinary](8000) NULL,
	[ExpiresAt] [datetime2](3) NOT NULL INDEX [IX_SessionState_Expires] NONCLUSTERED,
	CONSTRAINT [PK_SessionState] PRIMARY KEY NONCLUSTERED ([SessionID])
)WITH ( MEMORY_OPTIMIZED = ON , DURABILITY = SCHEMA_ONLY )
GO
/****** Object:  Table [Sales].[SalesFacts]    Script Date: 07.12.2026 04:12:55 ******/
CREATE TABLE [Sales].[SalesFacts](
	[SaleDate] [date] NOT NULL,
	[ProductID] [int] NOT NULL,
	[Units] [int] NOT NULL,
	[Revenue] [money] NOT NULL,
	INDEX [CCI_SalesFacts] CLUSTERED COLUMNSTORE
) ON [PRIMARY]
GO
/****** Object:  Index [NCCI_Orders_Reporting]    Script Date: 07.12.2026 04:12:55 ******/
CREATE NONCLUSTERED COLUMNSTORE INDEX [NCCI_Orders_Reporting] ON [Sales].[Orders]
(
	[OrderDate],
	[CustomerID],
	[Total]
)WHERE ([Status]>(1))
WITH (DROP_EXISTING = OFF, COMPRESSION_DELAY = 0) ON [psOrderYear]([OrderDate])
GO
SET ANSI_PADDING ON
GO
/****** Object:  Index [IX_Customers_Name]    Script Date: 07.12.2026 04:12:55 ******/
CREATE NONCLUSTERED INDEX [IX_Customers_Name] ON [Sales].[Customers]
(
	[LastName] ASC,
	[FirstName] ASC
)
INCLUDE([Email],[Phone]) 
WHERE ([IsActive]=(1))
WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, SORT_IN_TEMPDB = OFF, DROP_EXISTING = OFF, ONLINE = OFF, ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON, FILLFACTOR = 90, OPTIMIZE_FOR_SEQUENTIAL_KEY = OFF) ON [PRIMARY]
GO
/****** Object:  Index [IX_Orders_Customer]    Script Date: 07.12.2026 04:12:55 ******/
CREATE NONCLUSTERED INDEX [IX_Orders_Customer] ON [Sales].[Orders]
(
	[CustomerID] ASC
)WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, SORT_IN_TEMPDB = OFF, DROP_EXISTING = OFF, ONLINE = OFF, ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON, OPTIMIZE_FOR_SEQUENTIAL_KEY = OFF) ON [psOrderYear]([OrderDate])
GO
/****** Object:  Index [SIX_Customers_Location]    Script Date: 07.12.2026 04:12:55 ******/
CREATE SPATIAL INDEX [SIX_Customers_Location] ON [Sales].[Customers]
(
	[Location]
)USING  GEOGRAPHY_AUTO_GRID 
WITH (CELLS_PER_OBJECT = 12, PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, SORT_IN_TEMPDB = OFF, DROP_EXISTING = OFF, ONLINE = OFF, ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON) ON [PRIMARY]
GO
ALTER TABLE [Sales].[Customers] ADD  CONSTRAINT [DF_Customers_CreditLimit]  DEFAULT ((0)) FOR [CreditLimit]
GO
ALTER TABLE [Sales].[Customers] ADD  CONSTRAINT [DF_Customers_IsActive]  DEFAULT ((1)) FOR [IsActive]
GO
ALTER TABLE [Sales].[Customers] ADD  CONSTRAINT [DF_Customers_rowguid]  DEFAULT (newid()) FOR [rowguid]
GO
ALTER TABLE [Sales].[Customers] ADD  CONSTRAINT [DF_Customers_ModifiedDate]  DEFAULT (sysutcdatetime()) FOR [ModifiedDate]
GO
ALTER TABLE [Warehouse].[Products] ADD  CONSTRAINT [DF_Products_ValidFrom]  DEFAULT (sysutcdatetime()) FOR [ValidFrom]
GO
ALTER TABLE [Warehouse].[Products] ADD  CONSTRAINT [DF_Products_ValidTo]  DEFAULT (CONVERT([datetime2],'9999-12-31 23:59:59.9999999')) FOR [ValidTo]
GO
ALTER TABLE [Sales].[Orders] ADD  CONSTRAINT [DF_Orders_OrderID]  DEFAULT (NEXT VALUE FOR [Sales].[OrderNumbers]) FOR [OrderID]
GO
ALTER TABLE [Sales].[Orders] ADD  CONSTRAINT [DF_Orders_Status]  DEFAULT ((0)) FOR [Status]
GO
ALTER TABLE [Sales].[ShoppingCart] ADD  CONSTRAINT [DF_ShoppingCart_AddedAt]  DEFAULT (sysdatetime()) FOR [AddedAt]
GO
ALTER TABLE [Sales].[Orders]  WITH CHECK ADD  CONSTRAINT [FK_Orders_Customers] FOREIGN KEY([CustomerID])
REFERENCES [Sales].[Customers] ([CustomerID])
GO
ALTER TABLE [Sales].[Orders] CHECK CONSTRAINT [FK_Orders_Customers]
GO
ALTER TABLE [Sales].[OrderLines]  WITH NOCHECK ADD  CONSTRAINT [FK_OrderLines_Orders] FOREIGN KEY([OrderID], [OrderDate])
REFERENCES [Sales].[Orders] ([OrderID], [OrderDate])
ON DELETE CASCADE
GO
ALTER TABLE [Sales].[OrderLines] NOCHECK CONSTRAINT [FK_OrderLines_Orders]
GO
ALTER TABLE [Sales].[OrderLines]  WITH CHECK ADD  CONSTRAINT [FK_OrderLines_Products] FOREIGN KEY([ProductID])
REFERENCES [Warehouse].[Products] ([ProductID])
GO
ALTER TABLE [Sales].[OrderLines] CHECK CONSTRAINT [FK_OrderLines_Products]
GO
ALTER TABLE [Sales].[Customers]  WITH CHECK ADD  CONSTRAINT [CK_Customers_CreditLimit] CHECK  (([CreditLimit]>=(0)))
GO
ALTER TABLE [Sales].[Customers] CHECK CONSTRAINT [CK_Customers_CreditLimit]
GO
ALTER TABLE [Sales].[Orders]  WITH CHECK ADD  CONSTRAINT [CK_Orders_Status] CHECK  (([Status]>=(0) AND [Status]<=(9)))
GO
ALTER TABLE [Sales].[Orders] CHECK CONSTRAINT [CK_Orders_Status]
GO
ALTER TABLE [Sales].[Orders] SET (LOCK_ESCALATION = AUTO)
GO
ALTER TABLE [Sales].[OrderLines] REBUILD PARTITION = ALL WITH (DATA_COMPRESSION = COLUMNSTORE_ARCHIVE)
GO
ALTER INDEX [IX_Customers_Name] ON [Sales].[Customers] REBUILD PARTITION = ALL WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, SORT_IN_TEMPDB = OFF, ONLINE = OFF, ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON, FILLFACTOR = 90)
GO
ALTER INDEX [IX_Orders_Customer] ON [Sales].[Orders] DISABLE
GO
ALTER INDEX ALL ON [Sales].[Orders] REORGANIZE WITH (LOB_COMPACTION = ON)
GO
CREATE STATISTICS [ST_Orders_Date_Status] ON [Sales].[Orders]([OrderDate], [Status]) WITH FULLSCAN
GO
/****** Object:  FullTextCatalog [ShopCatalog]    Script Date: 07.12.2026 04:12:55 ******/
CREATE FULLTEXT CATALOG [ShopCatalog] WITH ACCENT_SENSITIVITY = ON
AS DEFAULT
GO
CREATE FULLTEXT INDEX ON [Warehouse].[Products](
[Name] LANGUAGE 'English')
KEY INDEX [PK_Products]ON ([ShopCatalog], FILEGROUP [PRIMARY])
WITH (CHANGE_TRACKING = AUTO, STOPLIST = SYSTEM)
GO
ALTER FULLTEXT INDEX ON [Warehouse].[Products] START FULL POPULATION
GO
