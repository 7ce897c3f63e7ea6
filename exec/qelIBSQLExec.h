// The InterBase/Firebird executor: reads CONNECT and CREATE DATABASE texts
// into its options, stores descriptions in the system tables (or through
// COMMENT ON where the server keeps its system tables read-only), takes
// SET NAMES as a change of the connection character set, and runs single
// statements on their own.
#pragma once

#include "qelSQL_Exec.h"

#include <string>

namespace qel {

class TIBSQLExec : public TSQLExec {
public:
    explicit TIBSQLExec(TComponent* AOwner = nullptr);
    std::string ClassName() const override { return "TIBSQLExec"; }

    // Copies only ConnectionOptions and IBServerOptions into the connection.
    void Connect() override;
    void Disconnect() override;
    // Runs St with its own commit and marks it Executed; the connection is
    // expected to be connected.
    void ExecSingleStatement(TStatement& St) override;
    // Fills DatabaseName, UserName, Password and RoleName from the quoted
    // values of a CONNECT text, each named by the word before it, by place
    // where no word names it:
    //   "CONNECT 'db.fdb' USER 'SYSDBA' PASSWORD 'pw' ROLE 'R'"
    //     -> db.fdb, SYSDBA, pw, R
    // A database name with a host part ("srv:/db.fdb", "srv/3051:/db.fdb")
    // gives HostName, Port and the name on that host.
    void ParseConnectString(const std::string& Text) override;
    // ConnectsTo's database and login where the script's parser kept them
    // (keywords in any order, the login left out empty), with the host part
    // split off as above; else the text by position.
    void ReadConnectStatement(const TStatement& St) override;
    // Reads a CREATE DATABASE text into the options: name (as for CONNECT),
    // USER, PASSWORD, PAGE_SIZE and DEFAULT CHARACTER SET.
    //   "CREATE DATABASE 'x.fdb' USER 'SYSDBA' PASSWORD 'pw' PAGE_SIZE 8192
    //    DEFAULT CHARACTER SET UTF8"
    virtual void ParseCreateDatabaseString(const std::string& Text);
    // Reads an isql script into the statement list (the list and the
    // messages are replaced); bodies are parsed as well, so that a routine
    // written without SET TERM is one statement and an error in a body
    // names its object. A CONNECT or CREATE DATABASE of the script
    // changes the connection options; SET SQL DIALECT, SET NAMES, PAGE_SIZE
    // and DEFAULT CHARACTER SET change the InterBase options only when the
    // script says them. Errors and warnings reach OnErrorMessage and
    // OnLogNextLine while the script is read and stay in Messages.
    void ParseScript(TStringList& Lines) override;
    // The InterBase script parser; a description statement keeps its text,
    // a CONNECT what the parser read of it.
    std::unique_ptr<TCustomSQLParser> CreateParser() override;
    // SET NAMES changes IBServerOptions.DBCharSet; nothing is sent.
    bool ExecuteStatement(TStatement& St) override;

    // The statement ExecDescription runs for a description statement, with
    // the parameter values it sets ("update rdb$relations ..." or, where
    // system tables are read-only, "COMMENT ON ..."); empty for a kind that
    // has none.
    std::string DescriptionSQL(const TStatement& St, bool SystemTablesWritable) const;
    // False for Firebird 3 and later (ODS 12 and above), whose system tables
    // refuse updates.
    bool SystemTablesWritable();

protected:
    void BeforeScriptParse(TCustomSQLParser& Parser, TObjs& Objs) override;
    // Takes back the SQL dialect, character set and page size the script
    // set; logs "Script loaded.".
    void AfterScriptParse(TCustomSQLParser& Parser, const TObjs& Objs, const TStringList& Lines) override;
    // Changes the connection's character set to the one SET NAMES gave
    // when they differ; False after reporting a failure.
    bool UseCharSet();
    bool AfterConnect() override { return UseCharSet(); }
    bool ExecDescription() override;
    bool ExecCreateDatabase() override;
};

} // namespace qel
