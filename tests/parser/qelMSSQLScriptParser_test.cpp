#include "qelMSSQLScriptParser.h"

#include "qelComp_Ctr.h"
#include "qelComp_Def.h"
#include "qelComp_Dmn.h"
#include "qelComp_Fld.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Rul.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelObjs.h"
#include "qelSQLParserTestSupport.h"
#include "qelMSSQLScriptTestSupport.h"
#include "qelText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace qel;
using qeltest::TRun;


// ---- tokens --------------------------------------------------------------------------------

struct TTokenCase {
    std::string Text, Expected;
    bool QuotedIdentifier;
    friend void PrintTo(const TTokenCase& c, std::ostream* os) { *os << c.Text; }
};

class MSSQLTokens : public ::testing::TestWithParam<TTokenCase> {};

TEST_P(MSSQLTokens, Lexer)
{
    auto p = MakeParser<TMSSQLParser>();
    p->OnErrorMessage = [](TObject&, const std::string&) {};
    p->QuotedIdentifier = GetParam().QuotedIdentifier;
    EXPECT_EQ(qeltest::Tokens(*p, GetParam().Text), GetParam().Expected);
}

const TTokenCase kTokenCases[] = {
    {"N'abc' 'd' 0x0A1 $1.5 [a b] [x]]y] #t ##g @v \xC3\xA4x", "<String value>:abc <String value>:d "
     "<String value>:\n\x01 <Float value>:1.5=1.5 <Ident>:a b <Ident>:x]y <Ident>:#t <Ident>:##g <Ident>:@V <Ident>:\xC3\x84X",
     false},
    {"a != b ! = c !< d !> e ! f", "<Ident>:A [<>] <Ident>:B [<>] <Ident>:C \"!<\": <Ident>:D \"!>\": <Ident>:E <Invalid char>:! <Ident>:F", false},
    {"a *= b = * c == d += 1 -= 2 /= 3 %= 4 &= 5 |= 6 ^= 7 ^ 8 | 9 || x ~y", "<Ident>:A <*=>: <Ident>:B <=*>: <Ident>:C <==> "
     "<Ident>:D <+=>: <Integer value>:1=1 <-=>: <Integer value>:2=2 </=>: <Integer value>:3=3 <%=>: <Integer value>:4=4 <&=>: "
     "<Integer value>:5=5 <|=>: <Integer value>:6=6 <^=>: <Integer value>:7=7 <^>: <Integer value>:8=8 <|>: <Integer value>:9=9 "
     "<||> <Ident>:X <~>: <Ident>:Y", false},
    {"again: geometry::Point {fn x} /* a /* b */ c */ end   conversation @h end conversations", "<Label:>:AGAIN "
     "<Ident>:GEOMETRY <::>: <Ident>:POINT <{>: <Ident>:FN <Ident>:X <}>: END CONVERSATION:end <Ident>:@H END:end "
     "<Ident>:CONVERSATIONS", false},
    {"\"x\" \"it\"\"s\"", "<String value>:x <String value>:it\"s", false},
    {"\"x\" \"y\": 'z'", "<Ident>:x <Label:>:y <String value>:z", true},
};

INSTANTIATE_TEST_SUITE_P(Texts, MSSQLTokens, ::testing::ValuesIn(kTokenCases));

// ---- GO batches and statements ------------------------------------------------------

struct TSplitCase {
    std::string Name, Script;
    std::vector<std::string> Statements, Messages;
    friend void PrintTo(const TSplitCase& c, std::ostream* os) { *os << c.Name; }
};

class MSSQLSplit : public ::testing::TestWithParam<TSplitCase> {};

TEST_P(MSSQLSplit, EveryStatementWholeOnceWithItsKind)
{
    const TSplitCase& c = GetParam();
    TRun run(c.Script);
    EXPECT_EQ(run.Statements, c.Statements);
    EXPECT_EQ(run.Messages(), c.Messages);
    // Only the first error reaches the event, with its position.
    ASSERT_EQ(run.Events.size(), c.Messages.empty() ? 0U : 1U);
    if (!c.Messages.empty()) {
        const std::string first = c.Messages[0].substr(0, c.Messages[0].find(" @"));
        EXPECT_EQ(run.Events[0].substr(0, first.size() + 16), first + "\r\nScript: s.sql ");
    }
}

const TSplitCase kSplitCases[] = {
    {"GoLines",
     "CREATE TABLE t1 (a int)\nGO\nCREATE TABLE t2 (a int)\ngo\n   GO\n"
     "CREATE PROCEDURE p AS\nagain:\n  PRINT 1\nGOTO again\n-- Go on\nGO\n"
     "INSERT INTO t VALUES ('a\nGO\nb')\nGO\n/* c\nGO\n*/ SELECT 1\nGO 3\nCREATE TABLE t3 ([GO] int, x int)\nGO -- end",
     {"stStatement|T1|dboTable|odbCreate||CREATE TABLE t1 (a int)",
      "stStatement|T2|dboTable|odbCreate||CREATE TABLE t2 (a int)",
      "stStatement|P|dboProcedure|odbCreate||CREATE PROCEDURE p AS\r\nagain:\r\n  PRINT 1\r\nGOTO again\r\n-- Go on",
      "stInsert||dboUnknown|odbUnknown||INSERT INTO t VALUES ('a\r\nGO\r\nb')",
      "stSelect||dboUnknown|odbUnknown||SELECT 1", "stSelect||dboUnknown|odbUnknown||SELECT 1",
      "stSelect||dboUnknown|odbUnknown||SELECT 1",
      "stStatement|T3|dboTable|odbCreate||CREATE TABLE t3 ([GO] int, x int)"},
     {}},
    {"RawBatches",
     "DECLARE @s varchar(20) = 'a\nGO\n'\nSELECT [x\nGO\n] FROM t /* c\nGO\n /* d */\nGO\n*/ WHERE a.go = 1\n"
     "GOTO x\n\"GO\" = 1\nGO\nCREATE PROC p AS\nGOAL_ID:\n  PRINT 'GO'\n  GO 2 -- twice\nIF 1 = 1 PRINT 1",
     {"stStatement||dboUnknown|odbUnknown||DECLARE @s varchar(20) = 'a\r\nGO\r\n'\r\nSELECT [x\r\nGO\r\n] FROM t "
      "/* c\r\nGO\r\n /* d */\r\nGO\r\n*/ WHERE a.go = 1\r\nGOTO x\r\n\"GO\" = 1",
      "stStatement|P|dboProcedure|odbCreate||CREATE PROC p AS\r\nGOAL_ID:\r\n  PRINT 'GO'",
      "stStatement|P|dboProcedure|odbCreate||CREATE PROC p AS\r\nGOAL_ID:\r\n  PRINT 'GO'",
      "stStatement||dboUnknown|odbUnknown||IF 1 = 1 PRINT 1"},
     {}},
    {"Batches",
     "CREATE TABLE a (x int); CREATE TABLE b (y int)\nGO\nUPDATE t SET a = 1; SELECT 1\nGO\n"
     "SELECT 1\nUPDATE t SET a = 1\nGO\nSELECT * INTO n FROM t\nGO\nIF 1 = 1\n  PRINT 'x'\nSELECT 2\nGO\n"
     "DECLARE @i int\nSET @i = 1\nGO\nUSE [Shop]\nEXEC sp_help; EXEC sp_who\n",
     {"stStatement|A|dboTable|odbCreate||CREATE TABLE a (x int)",
      "stStatement|B|dboTable|odbCreate||CREATE TABLE b (y int)", "stUpdate||dboUnknown|odbUnknown||UPDATE t SET a = 1",
      "stSelect||dboUnknown|odbUnknown||SELECT 1",
      "stStatement||dboUnknown|odbUnknown||SELECT 1\r\nUPDATE t SET a = 1",
      "stStatement||dboUnknown|odbUnknown||SELECT * INTO n FROM t",
      "stStatement||dboUnknown|odbUnknown||IF 1 = 1\r\n  PRINT 'x'\r\nSELECT 2",
      "stStatement||dboUnknown|odbUnknown||DECLARE @i int\r\nSET @i = 1",
      "stConnect|SHOP|dboDatabase|odbUnknown||USE [Shop]", "stStatement||dboUnknown|odbUnknown||EXEC sp_help",
      "stStatement||dboUnknown|odbUnknown||EXEC sp_who"},
     {}},
    {"ErrorsKeepTheRestOfTheBatch",
     "ORDER BY x\nGO\nSELECT 1 ! 2\nGO\nGRANT SELECT ON t TO a, b\nGO\nALTER TABLE t DROP COLUMN a, b\nGO\n"
     "PRINT 1\nGO 2147483648\nCREATE TABLE [broken (a int)\nGO\nPRINT 2",
     {"stStatement||dboUnknown|odbUnknown||ORDER BY x", "stStatement||dboUnknown|odbUnknown||SELECT 1 ! 2",
      "stStatement|T|dboGrant|odbCreate||GRANT SELECT ON t TO a, b",
      "stStatement||dboUnknown|odbUnknown||ALTER TABLE t DROP COLUMN a, b",
      "stStatement||dboUnknown|odbUnknown||PRINT 1",
      "stStatement||dboUnknown|odbUnknown||CREATE TABLE [broken (a int)\r\nGO\r\nPRINT 2"},
     {"Unknown statement: ORDER @1:6", "Invalid char in source text: \"!\". @3:10",
      "Invalid count after GO: 2147483648 @10:1", "Unterminated bracket Identifier @11:14"}},
};

INSTANTIATE_TEST_SUITE_P(Scripts, MSSQLSplit, ::testing::ValuesIn(kSplitCases),
                         [](const auto& Info) { return Info.param.Name; });

// ---- objects --------------------------------------------------------------------------

TEST(MSSQLScriptParser, ObjectsFieldsAndLinks)
{
    TRun run("SET ANSI_NULLS ON\nGO\nSET QUOTED_IDENTIFIER ON\nGO\n"
             "EXEC sp_addtype N'Phone', N'varchar (20)', N'NOT NULL'\nGO\n"
             "CREATE RULE [PhoneRule] AS @v LIKE '[0-9]%'\nGO\n"
             "CREATE TABLE [dbo].[Customers](\n"
             "  [CustomerID] [int] IDENTITY(1,1) NOT NULL,\n"
             "  [Name] [nvarchar](100) NOT NULL,\n"
             "  [Phone] [Phone] NULL,\n"
             "  [Credit] money NOT NULL DEFAULT 0,\n"
             "  [Code] char(5) NULL CONSTRAINT [UQ_Customers_Code] UNIQUE,\n"
             "  CONSTRAINT [PK_Customers] PRIMARY KEY CLUSTERED ([CustomerID] ASC)\n"
             "    WITH (PAD_INDEX = OFF, IGNORE_DUP_KEY = OFF, ALLOW_ROW_LOCKS = ON, OPTIMIZE_FOR_SEQUENTIAL_KEY = OFF) ON [PRIMARY],\n"
             "  CHECK ([Credit] >= 0)\n) ON [PRIMARY]\nGO\n"
             "CREATE TABLE Orders (\n  OrderID int NOT NULL PRIMARY KEY,\n  CustomerID int NOT NULL,\n"
             "  OrderDate datetime2(3) NOT NULL,\n  Total decimal(10, 2) NULL,\n"
             "  FOREIGN KEY (CustomerID) REFERENCES dbo.Customers (CustomerID) ON DELETE CASCADE\n)\nGO\n"
             "CREATE NONCLUSTERED INDEX [IX_Orders_Date] ON [dbo].[Orders] ([OrderDate] DESC)\n"
             "INCLUDE ([Total]) WHERE ([Total] IS NOT NULL) WITH (FILLFACTOR = 80) ON [PRIMARY]\nGO\n"
             "SET ANSI_NULLS OFF\nGO\n"
             "CREATE VIEW BigOrders AS\nSELECT o.OrderID, c.Name FROM dbo.Orders o JOIN Customers c "
             "ON c.CustomerID = o.CustomerID WHERE o.Total > 1000\nGO\n"
             "CREATE TRIGGER trOrders ON Orders AFTER INSERT, UPDATE AS\n  SET NOCOUNT ON\nGO\n"
             "CREATE FUNCTION dbo.TopOrders (@n int = 10)\nRETURNS @r TABLE (OrderID int PRIMARY KEY, Total money)\nAS\n"
             "BEGIN\n  INSERT INTO @r SELECT TOP (@n) OrderID, Total FROM Orders ORDER BY Total DESC\n  RETURN\nEND\nGO\n"
             "GRANT SELECT ON Customers TO app\nGO\nGRANT INSERT, UPDATE ON dbo.Customers TO app\nGO\n"
             "EXEC sp_bindrule 'PhoneRule', 'Customers.Phone'\nGO\nEXEC sp_bindrule 'PhoneRule', 'Customers.Fax'\nGO\n"
             "EXEC sys.sp_addextendedproperty @name=N'MS_Description', @value=N'People who buy' , "
             "@level0type=N'SCHEMA',@level0name=N'dbo', @level1type=N'TABLE',@level1name=N'Customers'\nGO\n"
             "EXEC sp_addextendedproperty N'MS_Description', N'The name', N'SCHEMA', N'dbo', N'TABLE', N'Customers', "
             "N'COLUMN', N'Name'\nGO\n"
             "EXEC sp_addextendedproperty N'MS_Description', N'?', N'SCHEMA', N'dbo', N'TABLE', N'Nothing'\nGO\n");
    EXPECT_EQ(run.Messages(), std::vector<std::string>{"Table field: CUSTOMERS.FAX not found for rule: PHONERULE. @54:3"});
    EXPECT_EQ(run.Statements[14],
              "stStatement|FAX|dboField|odbAlter|CUSTOMERS|EXEC sp_bindrule 'PhoneRule', 'Customers.Fax'");
    EXPECT_EQ(run.Warnings, std::vector<std::string>{"? Unknown MS_Description: [SCHEMA] [TABLE] []"});
    TObjs& o = run.objs;

    auto* phone = o.FindDomain("PHONE");
    ASSERT_NE(phone, nullptr);
    EXPECT_EQ(phone->BaseTypeText, "VARCHAR(20)");
    EXPECT_FALSE(phone->BaseField->Nullable);

    TTblData* customers = o.FindTable("DBO.CUSTOMERS");
    ASSERT_NE(customers, nullptr);
    EXPECT_EQ(customers->Description(), "People who buy");
    ASSERT_EQ(customers->Fields.Count(), 5);
    const TFldData& id = *customers->Fields.Objects(0);
    EXPECT_TRUE(id.Identity && !id.Nullable && id.IdentitySeed == 1 && id.IdentityIncrement == 1);
    EXPECT_EQ(customers->Fields.Objects(1)->Description(), "The name");
    const TFldData& phoneColumn = *customers->Fields.Find("PHONE");
    EXPECT_EQ(phoneColumn.DataType, dtDomain);
    EXPECT_EQ(phoneColumn.DomainName, "PHONE");
    EXPECT_EQ(phoneColumn.CheckName, "PHONERULE");
    EXPECT_EQ(TRun::Uses(&phoneColumn), (std::vector<std::string>{"PHONE", "PHONERULE"}));
    EXPECT_TRUE(customers->Fields.Find("CREDIT")->DefaultValue.empty());

    // Constraints: the named keys, the column's default as a constraint of
    // its own, the table's CHECK; the foreign key of Orders.
    std::vector<std::string> constraints;
    for (const auto& item : o.Constraints) {
        auto* c = dynamic_cast<TCtrData*>(item.Object);
        constraints.push_back(std::to_string(c->ConstraintKind()) + " " + c->Name() + " " + c->TableName() + "(" +
                              c->GetFieldsText() + ") " + c->Body());
    }
    std::sort(constraints.begin(), constraints.end());
    EXPECT_EQ(constraints, (std::vector<std::string>{"0  ORDERS(ORDERID) ", "0 PK_CUSTOMERS CUSTOMERS(CUSTOMERID) ",
                                                     "1 UQ_CUSTOMERS_CODE CUSTOMERS(CODE) ", "2  ORDERS(CUSTOMERID) ",
                                                     "3  CUSTOMERS() ([Credit] >= 0)", "5  CUSTOMERS(CREDIT) (0)"}));
    auto* pk = o.FindConstraint("DBO.PK_CUSTOMERS");
    ASSERT_NE(pk, nullptr);
    EXPECT_TRUE(pk->Clustered && pk->Options.AllowRowLocks && !pk->Options.PadIndex);
    for (const auto& item : o.Constraints)
        if (auto* fk = dynamic_cast<TCtrData*>(item.Object); fk->ConstraintKind() == ckForeignKey) {
            EXPECT_EQ(fk->DeleteRule, 2);
            EXPECT_EQ(fk->RefTableName() + "(" + fk->GetRefFieldsText() + ")", "CUSTOMERS(CUSTOMERID)");
            EXPECT_EQ(TRun::Uses(fk), (std::vector<std::string>{"ORDERS", "CUSTOMERID", "CUSTOMERS", "CUSTOMERID",
                                                                "PK_CUSTOMERS"}));
        }

    TTblData* orders = o.FindTable("DBO.ORDERS");
    ASSERT_NE(orders, nullptr);
    EXPECT_EQ(orders->Fields.Find("ORDERDATE")->Precision, 3);
    TIdxData* index = o.FindIndex("DBO.ORDERS.IX_ORDERS_DATE");
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(index->GetFieldsText() + " | " + index->GetIncludeFieldsText() + " | " + index->Filter + " | " +
                  index->FileGroup + " | " + std::to_string(index->Options.FillFactor),
              "ORDERDATE DESC | TOTAL | ([Total] IS NOT NULL) | PRIMARY | 80");
    EXPECT_EQ(TRun::Uses(index), (std::vector<std::string>{"ORDERS", "ORDERDATE"}));

    // A name without owner finds the object made with owner dbo, and the
    // reverse; each object keeps the SET states it was created under.
    TViwData* view = o.FindView("DBO.BIGORDERS");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(TRun::Uses(view), (std::vector<std::string>{"ORDERS", "CUSTOMERS"}));
    EXPECT_TRUE(view->QuotedIdentifier);
    EXPECT_FALSE(view->AnsiNulls);
    EXPECT_TRUE(customers->AnsiNulls);
    TTrgData* trigger = o.FindTrigger("DBO.TRORDERS");
    ASSERT_NE(trigger, nullptr);
    EXPECT_EQ(trigger->Timing, 2);
    EXPECT_EQ(trigger->Events, 2 | 4);
    EXPECT_EQ(trigger->Body(), "SET NOCOUNT ON");
    EXPECT_EQ(TRun::Uses(trigger), std::vector<std::string>{"ORDERS"});

    TPrcData* function = o.FindProcedure("DBO.TOPORDERS");
    ASSERT_NE(function, nullptr);
    EXPECT_TRUE(function->IsFunction);
    EXPECT_EQ(function->InputParams.Objects(0)->DefaultValue, "10");
    ASSERT_EQ(function->OutputParams.Count(), 1);
    const TFldData& result = *function->OutputParams.Objects(0);
    EXPECT_EQ(result.Name(), "@R");
    ASSERT_NE(result.TableType, nullptr);
    EXPECT_EQ(result.TableType->Fields.Count(), 2);
    EXPECT_EQ(function->Body().substr(0, 8), "AS\r\nBEGI");

    // Two grants of one grantee on one table are one.
    ASSERT_EQ(o.Grants.Count(), 1);
    auto* grant = dynamic_cast<TGntData*>(o.Grants.Objects(0));
    EXPECT_EQ(grant->ObjectName + " " + grant->Grantee + " " + std::to_string(static_cast<int>(grant->ObjectKind)), "CUSTOMERS APP 1");
    EXPECT_TRUE(grant->Privileges.Contains(TPrivilege::prSelect) && grant->Privileges.Contains(TPrivilege::prUpdate));
    EXPECT_EQ(TRun::Uses(grant), std::vector<std::string>{"CUSTOMERS"});
}

// ---- data types ------------------------------------------------------------------------

struct TTypeCase {
    std::string Column, Expected;
    friend void PrintTo(const TTypeCase& c, std::ostream* os) { *os << c.Column; }
};

class MSSQLTypes : public ::testing::TestWithParam<TTypeCase> {};

// "TYPE length/precision/scale", the user type, identity seed and increment.
TEST_P(MSSQLTypes, ColumnTypes)
{
    TRun run("CREATE TABLE t (c " + GetParam().Column + ")");
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    const TTblData* table = run.objs.FindTable("DBO.T");
    ASSERT_NE(table, nullptr);
    const TFldData& f = *table->Fields.Objects(0);
    std::string text = (f.DataType == dtDomain ? f.DomainSchema + "." + f.DomainName : std::string(DataTypeName(f.DataType))) +
                       " " + std::to_string(f.Length) + "/" + std::to_string(f.Precision) + "/" + std::to_string(f.Scale);
    if (f.Identity) text += " identity " + std::to_string(f.IdentitySeed) + "," + std::to_string(f.IdentityIncrement);
    if (!f.XmlSchema.empty()) text += " " + f.XmlSchema;
    EXPECT_EQ(text, GetParam().Expected);
}

const TTypeCase kTypeCases[] = {
    {"float", "FLOAT 0/53/0"},           {"float(10)", "REAL 0/0/0"},       {"float(24)", "REAL 0/0/0"},
    {"float(30)", "FLOAT 0/53/0"},       {"float(60)", "FLOAT 0/60/0"},     {"varchar", "VARCHAR 1/0/0"},
    {"varchar(max)", "VARCHAR -1/0/0"},  {"varbinary", "VARBINARY 0/0/0"},  {"datetime2(3)", "DATETIME2 0/3/0"},
    {"time", "TIME 0/7/0"},              {"[nvarchar](50)", "NVARCHAR 50/0/0"}, {"DateTimeOffset", "DATETIMEOFFSET 0/7/0"},
    {"smalldatetime", "SMALLDATETIME 0/0/0"}, {"decimal(10, 2)", "DECIMAL 0/10/2"}, {"char varying(5)", "VARCHAR 5/0/0"},
    {"double precision", "DOUBLE PRECISION 0/0/0"}, {"[dbo].[Phone]", "DBO.PHONE 0/0/0"}, {"geography", ".GEOGRAPHY 0/0/0"},
    {"int IDENTITY(0,0)", "INTEGER 0/0/0 identity 1,1"}, {"bigint IDENTITY(-5, 2)", "BIGINT 0/0/0 identity -5,2"},
    {"xml(CONTENT dbo.Orders)", "XML 0/0/0 (CONTENT DBO.ORDERS)"},
};

INSTANTIATE_TEST_SUITE_P(Columns, MSSQLTypes, ::testing::ValuesIn(kTypeCases));


// ---- full mode ------------------------------------------------------------------------------

TEST(MSSQLScriptParser, FullModeReadsBodiesAndLinksWhatTheyUse)
{
    TRun run("CREATE TABLE dbo.Orders (OrderID int, CustomerID int, Total money, Region varchar(10))\nGO\n"
             "CREATE TABLE dbo.Archive (OrderID int, Total money)\nGO\n"
             "CREATE TABLE dbo.Customers (CustomerID int, Name nvarchar(50))\nGO\n"
             "CREATE SEQUENCE dbo.Ids\nGO\n"
             "CREATE FUNCTION dbo.Split (@s varchar(100)) RETURNS TABLE AS RETURN (SELECT 1 AS Item)\nGO\n"
             "CREATE PROCEDURE dbo.Process @from date, @rows int OUTPUT\nAS\nBEGIN\n"
             "  SET NOCOUNT ON;\n  DECLARE @id int = NEXT VALUE FOR dbo.Ids, @total money;\n"
             "  DECLARE c CURSOR LOCAL FAST_FORWARD FOR SELECT OrderID, Total FROM dbo.Orders WHERE Total > 0 FOR READ ONLY;\n"
             "  BEGIN TRY\n    BEGIN TRAN;\n    OPEN c;\n    FETCH NEXT FROM c INTO @id, @total;\n"
             "    WHILE @@FETCH_STATUS = 0\n    BEGIN\n      IF @total > 100 SET @rows += 1 ELSE PRINT 'small';\n"
             "      FETCH NEXT FROM c INTO @id, @total;\n    END;\n    CLOSE c; DEALLOCATE c;\n"
             "    MERGE INTO dbo.Archive AS a\n    USING (SELECT OrderID, Total FROM Orders) AS s ON a.OrderID = s.OrderID\n"
             "    WHEN MATCHED THEN UPDATE SET a.Total = s.Total\n"
             "    WHEN NOT MATCHED BY TARGET THEN INSERT (OrderID, Total) VALUES (s.OrderID, s.Total)\n"
             "    WHEN NOT MATCHED BY SOURCE THEN DELETE;\n"
             "    WITH Big AS (SELECT CustomerID, SUM(Total) AS T FROM dbo.Orders GROUP BY CustomerID)\n"
             "    SELECT c.Name, b.T,\n      (SELECT o.OrderID AS [@id] FROM dbo.Orders o WHERE o.CustomerID = c.CustomerID "
             "FOR XML PATH('order'), TYPE) AS X\n"
             "    FROM dbo.Customers c WITH (NOLOCK) CROSS APPLY dbo.Split(c.Name) s\n"
             "    JOIN Big b ON b.CustomerID = c.CustomerID\n    OPTION (MAXDOP 1, RECOMPILE);\n"
             "    SELECT * FROM (SELECT Region, Total FROM dbo.Orders) AS src\n"
             "    PIVOT (SUM(Total) FOR Region IN ([North], [South])) AS p;\n"
             "    SELECT ROW_NUMBER() OVER (PARTITION BY CustomerID ORDER BY Total DESC) AS rn, CAST(Total AS decimal(10,2)),\n"
             "      CONVERT(varchar(10), @from, 120), CASE WHEN Total IS NULL THEN 0 ELSE 1 END, {fn NOW()}\n"
             "    FROM dbo.Orders WHERE CustomerID IN (SELECT CustomerID FROM dbo.Customers) AND NOT Total BETWEEN 1 AND 2\n"
             "      AND EXISTS (SELECT 1 FROM Archive) ORDER BY 1 OFFSET 0 ROWS FETCH NEXT 5 ROWS ONLY;\n"
             "    COMMIT;\n  END TRY\n  BEGIN CATCH\n    IF @@TRANCOUNT > 0 ROLLBACK;\n    THROW;\n  END CATCH\nEND\n",
             true);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    EXPECT_EQ(run.Statements, std::vector<std::string>{});
    EXPECT_EQ(TRun::Uses(run.objs.FindProcedure("DBO.PROCESS")),
              (std::vector<std::string>{"IDS", "ORDERS", "ARCHIVE", "CUSTOMERS", "SPLIT"}));
    // Before SQL Server 2008 "+=" is no assignment.
    TRun old("DECLARE @i int\nSET @i += 1", true, TMSSQLServerVersionType::st_MSSQL2005);
    EXPECT_EQ(old.Messages(), std::vector<std::string>{"Unknown statement: <Integer value> @2:11"});
}

// ---- installation scripts -------------------------------------------------------------------

namespace {

// An installation script as the server's tools write one: a database, then
// per table its SET lines, CREATE TABLE, default, foreign key, index and
// description batches, views, procedures, and long INSERT batches with
// national strings. Batches counts the GO batches (one statement each).
std::string InstallScript(int Tables, int Rows, int& Batches)
{
    std::string s = "/****** Script for Shop ******/\nUSE [master]\nGO\nCREATE DATABASE [Shop]\n CONTAINMENT = NONE\n"
                    " ON  PRIMARY \n( NAME = N'Shop', FILENAME = N'C:\\Data\\Shop.mdf' , SIZE = 8192KB , MAXSIZE = "
                    "UNLIMITED, FILEGROWTH = 65536KB )\n LOG ON \n( NAME = N'Shop_log', FILENAME = N'C:\\Data\\Shop_log.ldf' "
                    ", SIZE = 8192KB , FILEGROWTH = 10%)\n WITH CATALOG_COLLATION = DATABASE_DEFAULT\nGO\n"
                    "ALTER DATABASE [Shop] SET COMPATIBILITY_LEVEL = 150\nGO\nIF (1 = FULLTEXTSERVICEPROPERTY("
                    "'IsFullTextInstalled'))\nbegin\nEXEC [Shop].[dbo].[sp_fulltext_database] @action = 'enable'\nend\nGO\n"
                    "ALTER DATABASE [Shop] SET RECOVERY FULL \nGO\nALTER DATABASE [Shop] SET  MULTI_USER \nGO\n"
                    "ALTER DATABASE [Shop] SET QUERY_STORE (OPERATION_MODE = READ_WRITE, CLEANUP_POLICY = "
                    "(STALE_QUERY_THRESHOLD_DAYS = 30))\nGO\nUSE [Shop]\nGO\nCREATE SCHEMA [sales]\nGO\n"
                    "CREATE TYPE [dbo].[Amount] FROM [decimal](18, 2) NOT NULL\nGO\n";
    Batches = 10;
    for (int i = 0; i < Tables; ++i) {
        const std::string t = "T" + std::to_string(i);
        const std::string prev = "T" + std::to_string(i - 1);
        s += "/****** Object:  Table [sales].[" + t + "] ******/\nSET ANSI_NULLS ON\nGO\nSET QUOTED_IDENTIFIER ON\nGO\n"
             "CREATE TABLE [sales].[" + t + "](\n\t[Id] [int] IDENTITY(1,1) NOT NULL,\n\t[Name] [nvarchar](100) NOT NULL,\n"
             "\t[Price] [dbo].[Amount] NOT NULL,\n\t[Created] [datetime2](7) NOT NULL,\n\t[ParentId] [int] NULL,\n"
             " CONSTRAINT [PK_" + t + "] PRIMARY KEY CLUSTERED \n(\n\t[Id] ASC\n)WITH (PAD_INDEX = OFF, "
             "STATISTICS_NORECOMPUTE = OFF, IGNORE_DUP_KEY = OFF, ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON, "
             "OPTIMIZE_FOR_SEQUENTIAL_KEY = OFF) ON [PRIMARY]\n) ON [PRIMARY]\nGO\n"
             "ALTER TABLE [sales].[" + t + "] ADD  CONSTRAINT [DF_" + t + "_Created]  DEFAULT (sysutcdatetime()) FOR "
             "[Created]\nGO\nCREATE NONCLUSTERED INDEX [IX_" + t + "_Name] ON [sales].[" + t + "]\n(\n\t[Name] ASC\n)\n"
             "INCLUDE([Price]) WITH (SORT_IN_TEMPDB = OFF, DROP_EXISTING = OFF, ONLINE = OFF) ON [PRIMARY]\nGO\n"
             "EXEC sys.sp_addextendedproperty @name=N'MS_Description', @value=N'Table " + t + "' , "
             "@level0type=N'SCHEMA',@level0name=N'sales', @level1type=N'TABLE',@level1name=N'" + t + "'\nGO\n";
        Batches += 6;
        if (i == 0) continue;
        s += "ALTER TABLE [sales].[" + t + "]  WITH CHECK ADD  CONSTRAINT [FK_" + t + "_" + prev + "] FOREIGN KEY("
             "[ParentId])\nREFERENCES [sales].[" + prev + "] ([Id])\nON DELETE CASCADE\nGO\nALTER TABLE [sales].[" + t +
             "] CHECK CONSTRAINT [FK_" + t + "_" + prev + "]\nGO\n"
             "CREATE VIEW [sales].[V" + std::to_string(i) + "]\nAS\n/* joins " + t + "\nGO\n*/\nSELECT a.Id, b.Name "
             "FROM sales." + t + " AS a INNER JOIN [sales].[" + prev + "] b ON b.Id = a.ParentId -- GO\nGO\n"
             "CREATE PROCEDURE [sales].[Add" + t + "] @Name nvarchar(100), @Price dbo.Amount\nAS\nBEGIN\n"
             "\tSET NOCOUNT ON;\n\t-- GO on with the insert\n\tINSERT INTO sales." + t + " (Name, Price, Created) "
             "VALUES (@Name, @Price, SYSUTCDATETIME());\n\tPRINT N'Added:\nGO\n' + @Name\nEND\nGO\n"
             "GRANT EXECUTE ON [sales].[Add" + t + "] TO [app]\nGO\n";
        Batches += 5;
    }
    s += "SET IDENTITY_INSERT [sales].[T0] ON \nGO\n";
    for (int r = 0; r < Rows; ++r)
        s += "INSERT [sales].[T0] ([Id], [Name], [Price], [Created]) VALUES (" + std::to_string(r + 1) +
             ", N'O''Brien " + std::to_string(r) + "; go', CAST(12.50 AS Decimal(18, 2)), CAST(N'2024-01-01T00:00:00' AS "
             "DateTime2))\n";
    s += "GO\nSET IDENTITY_INSERT [sales].[T0] OFF\nGO\n";
    Batches += 3;
    return s;
}

} // namespace

TEST(MSSQLScriptParser, InstallationScript)
{
    int batches = 0;
    const std::string script = InstallScript(120, 500, batches);
    TRun run(script);
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    ASSERT_EQ(static_cast<int>(run.Statements.size()), batches);
    EXPECT_EQ(run.Statements[1].substr(0, 43), "stCreateDb|SHOP|dboDatabase|odbCreate||CREA");
    const std::string& inserts = run.Statements[batches - 2];
    EXPECT_EQ(inserts.substr(0, 40), "stInsert||dboUnknown|odbUnknown||INSERT ");
    EXPECT_EQ(std::count(inserts.begin(), inserts.end(), '\n'), 499);
    const TObjs& o = run.objs;
    EXPECT_EQ(o.Tables.Count(), 120);
    EXPECT_EQ(o.Views.Count(), 119);
    EXPECT_EQ(o.Procedures.Count(), 119);
    EXPECT_EQ(o.Indexes.Count(), 120);
    EXPECT_EQ(o.Constraints.Count(), 120 * 2 + 119);
    EXPECT_EQ(o.Grants.Count(), 119);
    const TTblData* t7 = o.FindTable("SALES.T7");
    ASSERT_NE(t7, nullptr);
    EXPECT_EQ(t7->Description(), "Table T7");
    EXPECT_EQ(t7->Fields.Find("PRICE")->DomainSchema + "." + t7->Fields.Find("PRICE")->DomainName, "DBO.AMOUNT");
    EXPECT_EQ(TRun::Uses(t7->Fields.Find("PRICE")), std::vector<std::string>{"AMOUNT"});
    EXPECT_EQ(TRun::Uses(o.FindView("SALES.V7")), (std::vector<std::string>{"T7", "T6"}));
    const TPrcData* add = o.FindProcedure("SALES.ADDT7");
    ASSERT_NE(add, nullptr);
    EXPECT_NE(add->Body().find("PRINT N'Added:\r\nGO\r\n' + @Name\r\nEND"), std::string::npos);
    EXPECT_EQ(TRun::Uses(o.FindConstraint("SALES.FK_T7_T6")),
              (std::vector<std::string>{"T7", "PARENTID", "T6", "ID", "PK_T6"}));
}

// The model's texts of a parsed script, parsed again, give the same objects.
TEST(MSSQLScriptParser, RoundTripThroughTheModelsTexts)
{
    int batches = 0;
    TRun first(InstallScript(4, 1, batches));
    const auto texts = [](const TObjs& Objs) {
        std::vector<std::string> out;
        for (const TObjIndex* index : {&Objs.Domains, &Objs.Tables, &Objs.Constraints, &Objs.Indexes, &Objs.Views,
                                       &Objs.Procedures, &Objs.Grants})
            for (const auto& item : *index) out.push_back(item.Object->GetCreateDDL());
        return out;
    };
    std::string script;
    for (const std::string& text : texts(first.objs)) script += text + "\r\nGO\r\n";
    TRun second(script);
    EXPECT_EQ(second.Messages(), std::vector<std::string>{});
    EXPECT_EQ(texts(second.objs), texts(first.objs));
    EXPECT_EQ(TRun::Uses(second.objs.FindView("SALES.V3")), (std::vector<std::string>{"T3", "T2"}));
}


// Temporary tables keep their constraints to themselves; a known view is
// altered; "]]" and bytes from 0x80 belong to names.
TEST(MSSQLScriptParser, TemporaryTablesAlteredViewsAndNames)
{
    TRun run("CREATE TABLE #t (a int DEFAULT 1 PRIMARY KEY)\nGO\nALTER TABLE #t ADD b int DEFAULT 2\nGO\n"
             "CREATE TABLE ##g (a int DEFAULT 1)\nGO\nCREATE VIEW v AS SELECT 1 AS a\nGO\n"
             "ALTER VIEW v WITH SCHEMABINDING AS SELECT a FROM [x]]y].[Gr\xC3\xB6\xC3\x9F" "e]\nGO\n"
             "CREATE TABLE [x]]y].Gr\xC3\xB6\xC3\x9F" "e (Stra\xC3\x9F" "e int)\nGO\nCREATE VIEW w AS SELECT 1 AS a");
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    EXPECT_EQ(run.Statements[4].substr(0, 34), "stStatement|V|dboView|odbAlter||AL");
    const TObjs& o = run.objs;
    EXPECT_EQ(o.FindTable("DBO.#T"), nullptr);
    ASSERT_NE(o.FindTable("DBO.##G"), nullptr);
    ASSERT_EQ(o.Constraints.Count(), 1);
    EXPECT_EQ(dynamic_cast<TCtrData*>(o.Constraints.Objects(0))->TableName(), "##G");
    const TTblData* t = o.FindTable("X]Y.GR\xC3\x96\xC3\x9F" "E");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Fields.Names(0), "STRA\xC3\x9F" "E");
    const TViwData* v = o.FindView("DBO.V");
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(v->SchemaBinding);
    EXPECT_EQ(v->Body(), "SELECT a FROM [x]]y].[Gr\xC3\xB6\xC3\x9F" "e]");
    EXPECT_EQ(TRun::Uses(v), std::vector<std::string>{"GR\xC3\x96\xC3\x9F" "E"});
}

// Any input ends, in both passes: deep nesting, unclosed brackets, strings
// and comments, and soups of the dialect's words and signs.
TEST(MSSQLScriptParser, AnyInputEnds)
{
    const std::string deep = "SELECT " + std::string(100000, '(') + "1";
    TRun nested(deep, true);
    EXPECT_EQ(nested.Messages()[0].substr(0, 18), "Nesting too deep. ");
    TRun split("CREATE VIEW v AS " + deep + "\nGO\nCREATE TABLE t (a int)");
    EXPECT_NE(split.objs.FindTable("DBO.T"), nullptr);
    const char* const words[] = {"CREATE", "TABLE", "PROCEDURE", "VIEW", "AS", "BEGIN", "END", "SELECT", "FROM", "(",
                                 ")", ",", ";", "'x", "[y", "/*", "*/", "--", "\n", "GO", "\nGO 2\n", "IF", "ELSE",
                                 "WHILE", "EXEC", "@v", "=", "*", "N'", "0x1", "!", "::", ":", "CASE", "WHEN", "MERGE",
                                 "WITH", "INSERT", "INTO", "VALUES", "DECLARE", "CURSOR", "FOR", "GRANT", "ON", "TO",
                                 "ALTER", "DROP", "SET", "CONSTRAINT", "PRIMARY", "KEY", "FOREIGN", "REFERENCES"};
    unsigned seed = 20;
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int i = 0; i < 60; ++i) {
            seed = seed * 1103515245U + 12345U;
            text += std::string(words[(seed >> 16) % std::size(words)]) + " ";
        }
        TRun a(text);
        TRun b(text, true);
    }
    SUCCEED();
}

// A stored source is read with its object named in the message; without a
// script name the message is attached to the object.
TEST(MSSQLScriptParser, ObjectSourceMessagesNameTheirObject)
{
    for (const std::string name : {"s.sql", ""}) {
        TObjs objs;
        objs.SetDatabaseType(TDatabaseType::dbMSSQL);
        auto parser = MakeParser<TMSSQLParser>();
        parser->ScriptName = name;
        std::vector<std::string> events;
        parser->OnErrorMessage = [&](TObject&, const std::string& t) { events.push_back(t); };
        TStringList lines;
        lines.SetText("CREATE TABLE t (a int)\nGO\nCREATE VIEW v AS\nSELECT a FROM t WHERE a = \nGO\n");
        parser->ParseScript(lines, &objs);
        ASSERT_EQ(parser->Messages().Count(), 1);
        const TMsgData& m = parser->Messages().Items(0);
        // Placed in the script, where the query breaks off at the GO line.
        const std::string position = "\r\nScript: " + name + " Line:5 Pos:4\r\n";
        const std::string text = "View V: Unknown/Invalid factor in expression (<Terminator>)";
        EXPECT_EQ(events, std::vector<std::string>{text + position});
        EXPECT_EQ(m.Text, text + (name.empty() ? position : ""));
        EXPECT_EQ(m.ScriptName, name);
        EXPECT_EQ(m.Data, name.empty() ? objs.FindView("DBO.V") : nullptr);
        EXPECT_EQ(m.Line, 5);
        EXPECT_EQ(TRun::Uses(objs.FindView("DBO.V")), std::vector<std::string>{"T"});
    }
}

// What the other statement families build: schemas, sequences, types, XML
// schema collections, rules and defaults, descriptions at every level, and
// the database a script creates.
TEST(MSSQLScriptParser, OtherFamiliesAndDescriptions)
{
    TRun run("CREATE DATABASE Shop COLLATE Latin1_General_CS_AS\nGO\nCREATE SCHEMA sales AUTHORIZATION boss\nGO\n"
             "CREATE SEQUENCE sales.Ids AS bigint START WITH -5 INCREMENT BY 2 MAXVALUE 99 CACHE 10\nGO\n"
             "CREATE TYPE Code FROM char(4) NOT NULL\nGO\nCREATE XML SCHEMA COLLECTION Books AS N'<schema/>'\nGO\n"
             "CREATE DEFAULT [Zero] AS 0\nGO\nCREATE RULE Positive AS @v > 0\nGO\n"
             "CREATE TABLE sales.T (a int CONSTRAINT ck CHECK (a > 0), b varchar(9) COLLATE latin1_general_cs_as)\nGO\n"
             "CREATE INDEX ix ON sales.T (a)\nGO\nCREATE TRIGGER sales.tr ON sales.T FOR DELETE AS PRINT 1\nGO\n"
             "CREATE PROCEDURE sales.p @x int AS SELECT @x\nGO\n"
             "EXEC sp_addextendedproperty 'MS_Description', 'col', 'SCHEMA', 'sales', 'TABLE', 'T', 'COLUMN', 'a'\n"
             "EXEC sp_addextendedproperty 'MS_Description', 'chk', 'SCHEMA', 'sales', 'TABLE', 'T', 'CONSTRAINT', 'ck'\n"
             "EXEC sp_addextendedproperty 'MS_Description', 'idx', 'SCHEMA', 'sales', 'TABLE', 'T', 'INDEX', 'ix'\n"
             "EXEC sp_addextendedproperty 'MS_Description', 'trg', 'SCHEMA', 'sales', 'TABLE', 'T', 'TRIGGER', 'tr'\n"
             "EXEC sp_addextendedproperty 'MS_Description', 'prm', 'SCHEMA', 'sales', 'PROCEDURE', 'p', 'PARAMETER', '@x'\n"
             "EXEC sp_addextendedproperty 'MS_Description', 'typ', 'SCHEMA', 'dbo', 'TYPE', 'Code'\n"
             "EXEC sp_addextendedproperty 'MS_Description', 'sch', 'SCHEMA', 'sales'\n");
    EXPECT_EQ(run.Messages(), std::vector<std::string>{});
    EXPECT_EQ(run.Warnings, std::vector<std::string>{});
    const TObjs& o = run.objs;
    EXPECT_EQ(o.ConnectionOptions().DatabaseName, "Shop");
    const TSchData* schema = o.FindSchema("SALES");
    ASSERT_NE(schema, nullptr);
    EXPECT_EQ(schema->Authorization + " " + schema->Description(), "BOSS sch");
    const auto* ids = dynamic_cast<TGnrData*>(o.Generators.Find("SALES.IDS"));
    ASSERT_NE(ids, nullptr);
    EXPECT_EQ(ids->StartWith + " " + ids->IncrementBy + " " + ids->MaxValue() + " " + ids->Cache(), "-5 2 99 10");
    EXPECT_EQ(ids->ValueField->DataType, 2);
    const TDmnData* code = o.FindDomain("DBO.CODE");
    ASSERT_NE(code, nullptr);
    EXPECT_TRUE(code->UseCreateType);
    EXPECT_EQ(code->BaseField->GetColumnDefinition() + " " + code->Description(), "CHAR(4) NOT NULL typ");
    const TDmnData* books = o.FindDomain("DBO.BOOKS");
    ASSERT_NE(books, nullptr);
    EXPECT_EQ(books->BaseTypeText + " " + books->Body(), "XML SCHEMA COLLECTION <schema/>");
    const auto* zero = dynamic_cast<TDefData*>(o.Defaults.Find("ZERO"));
    const auto* positive = dynamic_cast<TRulData*>(o.Rules.Find("POSITIVE"));
    ASSERT_TRUE(zero != nullptr && positive != nullptr);
    EXPECT_TRUE(zero->Bracketed);
    EXPECT_EQ(zero->Value + " | " + positive->Action, "0 | @v > 0");
    const TTblData* t = o.FindTable("SALES.T");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Fields.Find("A")->Description(), "col");
    EXPECT_EQ(t->Fields.Find("B")->Collation, "");
    EXPECT_EQ(o.FindConstraint("SALES.CK")->Description(), "chk");
    EXPECT_EQ(o.FindIndex("SALES.T.IX")->Description(), "idx");
    EXPECT_EQ(o.FindTrigger("SALES.TR")->Description(), "trg");
    EXPECT_EQ(o.FindProcedureParam("SALES.P", "@X")->Description(), "prm");
}
