// What the round-trip tests of the database script share: a Firebird
// database built by isql-fb from a script, its metadata as isql-fb -x
// extracts it, and that extract with the order of its objects set aside.
#pragma once

#include <string>
#include <vector>

namespace qeltest {

// The statements of an isql script, each without its terminator and with
// runs of blanks and line breaks made one blank, in the order written; SET
// TERM is followed and not listed, nor /* */ comments, COMMIT WORK or the
// commented CREATE DATABASE that an extract begins with. A "--" comment is
// kept as text: an extract writes a view's text that ends in one with the
// terminator on the same line.
//   "SET TERM ^ ;\nCREATE PROCEDURE P AS BEGIN END^\nSET TERM ; ^\n"
//     -> {"CREATE PROCEDURE P AS BEGIN END"}
std::vector<std::string> ScriptStatements(const std::string& Script);

// An extract's statements in sorted order, one a line: two databases with
// the same metadata made in different orders give the same text.
std::string NormalisedExtract(const std::string& Extract);

// The lines of Expected and Actual (both normalised) that the other lacks,
// "- " and "+ " before them; empty when they are equal.
std::string ExtractDifference(const std::string& Expected, const std::string& Actual);

// Runs isql-fb on Script with the database created by the script itself
// (the script names Database); answers what isql-fb wrote (its errors).
std::string RunIsql(const std::string& Script, const std::string& Folder);

// isql-fb -x of the database, read through CharSet when one is given (the
// extract does not say it: a script that rebuilds from it has to).
std::string ExtractMetadata(const std::string& Database, const std::string& Folder, const std::string& CharSet = {});

// Runs a command line in Folder; answers its output, after "exit N: " when
// it failed.
std::string RunCommand(const std::string& Command, const std::string& Folder);

// What psql and pg_dump need to reach the PostgreSQL test cluster of the
// ODBC string Conn: the password variable to put before the command, and
// the host, port, user and database arguments.
struct TPostgreSQLTool {
    explicit TPostgreSQLTool(const std::string& Conn);
    std::string Login;
    std::string Where;
};

} // namespace qeltest
