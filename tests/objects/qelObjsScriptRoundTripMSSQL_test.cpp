// Write, load, write for MS SQL: the statement list of a loaded
// Transact-SQL script, written as a script, read again and written again is
// the same text, every statement in its batch. No SQL Server is reachable
// here, so the text is compared and not run.
#include "qelMSSQLExec.h"
#include "qelTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace qel;

namespace {

// One statement of every kind the MS SQL parser hands on: DDL of tables,
// views, routines and triggers, data statements, a query, EXEC, grants,
// SET options and a batch ending in a comment.
const char* const kEveryKind = "USE sales\r\nGO\r\n"
                               "SET QUOTED_IDENTIFIER ON\r\nGO\r\n"
                               "CREATE TABLE dbo.T (ID INT NOT NULL PRIMARY KEY, N VARCHAR(10) NULL)\r\nGO\r\n"
                               "CREATE VIEW dbo.V AS SELECT ID FROM dbo.T -- all of them\r\nGO\r\n"
                               "CREATE PROCEDURE dbo.P @A INT AS BEGIN SELECT @A AS B END\r\nGO\r\n"
                               "CREATE FUNCTION dbo.F (@A INT) RETURNS INT AS BEGIN RETURN @A + 1 END\r\nGO\r\n"
                               "CREATE TRIGGER dbo.T_I ON dbo.T AFTER INSERT AS BEGIN SET NOCOUNT ON END\r\nGO\r\n"
                               "INSERT INTO dbo.T (ID, N) VALUES (1, 'a')\r\n"
                               "UPDATE dbo.T SET N = 'b' WHERE ID = 1\r\n"
                               "DELETE FROM dbo.T WHERE ID = 2\r\n"
                               "SELECT COUNT(*) FROM dbo.T\r\n"
                               "EXEC dbo.P 1\r\nGO\r\n"
                               "GRANT SELECT ON dbo.V TO public\r\nGO\r\n";

std::string WrittenAfterLoad(const std::string& File, std::string& Errors)
{
    TMSSQLExec x;
    x.OnErrorMessage = [&Errors](TObject&, const std::string& Text) { Errors += Text + "\n"; };
    x.LoadScript(File);
    TStringList lines;
    x.WriteScript(lines, false);
    return lines.Text();
}

TEST(MSSQLStatementListScript, WriteLoadWriteIsTheSameText)
{
    qeltest::TempDir dir;
    const std::string source = dir.File("source.sql"), first = dir.File("first.sql");
    qeltest::WriteFile(source, kEveryKind);
    std::string errors;
    const std::string once = WrittenAfterLoad(source, errors);
    qeltest::WriteFile(first, once);
    const std::string twice = WrittenAfterLoad(first, errors);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(twice, once);
    for (const char* kind : {"CREATE TABLE dbo.T", "CREATE PROCEDURE dbo.P", "CREATE TRIGGER dbo.T_I",
                             "SELECT COUNT(*) FROM dbo.T", "EXEC dbo.P 1", "-- all of them\r\n"})
        EXPECT_NE(once.find(kind), std::string::npos) << kind << "\n" << testing::PrintToString(once);
}

} // namespace
