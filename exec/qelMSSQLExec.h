// The Microsoft SQL Server executor: CREATE DATABASE runs as a plain
// statement on the connection instead of through the back end; scripts are
// loaded through the MS SQL script parser, and USE moves the connection to
// the database it names.
#pragma once

#include "qelSQL_Exec.h"

#include <string>

namespace qel {

class TMSSQLExec : public TSQLExec {
public:
    explicit TMSSQLExec(TComponent* AOwner = nullptr);
    std::string ClassName() const override { return "TMSSQLExec"; }

    // The statement list becomes the script's statements, batch by batch;
    // the options stay, but for the database a CREATE DATABASE names.
    // Logs "Script loaded: " + the count + " statements".
    void ParseScript(TStringList& Lines) override;
    // The MS SQL script parser.
    std::unique_ptr<TCustomSQLParser> CreateParser() override;
    // "USE [Shop]" -> DatabaseName Shop ("]]" inside brackets is one "]").
    void ParseConnectString(const std::string& Text) override;
    // Refuses, before running anything, a loaded script that includes other
    // files (:r) or uses variables ($(name)) of the command-line tool: run
    // here it would do less than it says. The message names the line.
    bool Execute() override;
    void Clear() override;

    // The first line of the last loaded script that needs the command-line
    // tool ("12: :r post.sql"), empty when none does.
    const std::string& SqlCmdLine() const { return m_sqlCmdLine; }

protected:
    // Reads the text as the server's tools do: a UTF-8 byte-order mark is
    // dropped, UTF-16 with a byte-order mark becomes UTF-8.
    void DecodeScriptText(std::string& Text) const override;
    void BeforeScriptParse(TCustomSQLParser& Parser, TObjs& Objs) override;
    // Logs "Script loaded: " + the count + " statements".
    void AfterScriptParse(TCustomSQLParser& Parser, const TObjs& Objs, const TStringList& Lines) override;
    // Connects when needed, commits an open transaction and runs the
    // statement's text with ExecSQL.
    bool ExecCreateDatabase() override;

private:
    std::string m_sqlCmdLine;
};

} // namespace qel
