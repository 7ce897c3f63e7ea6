// The whole-database script: the items a build writes per server (empty
// items left out, "|" between the others, "#" and the terminator after),
// and the one-file-per-object output.
#include "qelComp_Ctr.h"
#include "qelComp_Def.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Idx.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelDDLTestSupport.h"
#include "qelFieldListSupport.h"
#include "qelTestSupport.h"

#include <algorithm>
#include <filesystem>

using namespace qel;
using qeltest::TDDLRow;
using DT = TDatabaseType;
namespace fs = std::filesystem;

namespace {

using qeltest::File;

TTblData& Table(TObjs& o, const std::string& Name, const char* Column = "A", const std::string& Schema = {})
{
    TTblData& t = File<TTblData>(o, Name, Schema);
    qeltest::AddFields(o, t.Fields, &t, {{Column, 1}});
    return t;
}

std::string Script(TObjs& o)
{
    TStringList lines;
    o.GetScript(lines);
    std::vector<std::string> items;
    for (const std::string& line : lines.Lines())
        if (!line.empty()) items.push_back(line);
    return Join(items, "|") + "#" + o.Terminator + (o.Script.Empty() ? "" : " (script left over)");
}

} // namespace

class BuildScript : public qeltest::TDDLTest {};
TEST_P(BuildScript, WritesTheItems) { Check(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, BuildScript,
    ::testing::Values(
        TDDLRow{"FirebirdRoutinesInSetTerm", DT::dbInterBase,
                [](TObjs& o) {
                    File<TPrcData>(o, "P").SetBody("BEGIN END");
                    std::string text = Script(o);
                    TObjs bare;
                    bare.SetDatabaseType(DT::dbInterBase);
                    File<TExcData>(bare, "E").Message = "x";
                    return text + " " + Script(bare);
                },
                "SET SQL DIALECT 3;\r\n|SET TERM ^ ;\r\n|CREATE PROCEDURE P AS\r\n BEGIN EXIT; END\r\n^|SET TERM ; ^\r\n|"
                "SET TERM ^ ;\r\n|ALTER PROCEDURE P AS\r\nBEGIN END\r\n^|SET TERM ; ^\r\n#; "
                "SET SQL DIALECT 3;\r\n|CREATE EXCEPTION E 'x';#;"},
        TDDLRow{"MSSQLSetOptionsOnceAndDefaultsBeforeTables", DT::dbMSSQL,
                [](TObjs& o) {
                    o.ConnectionOptions().DatabaseName = "db";
                    for (const char* name : {"T1", "T2"}) {
                        TTblData& t = Table(o, name);
                        t.QuotedIdentifier = t.AnsiNulls = true;
                    }
                    File<TDefData>(o, "D0").Value = "0";
                    return Script(o);
                },
                "USE db\r\nGO\r\n|SET QUOTED_IDENTIFIER OFF\r\nGO\r\n|SET ANSI_NULLS OFF\r\nGO\r\n|CREATE DEFAULT [D0] AS "
                "0\r\nGO|SET QUOTED_IDENTIFIER ON\r\nGO\r\n|SET ANSI_NULLS ON\r\nGO\r\n|CREATE TABLE T1(A INTEGER "
                "NULL)\r\nGO|CREATE TABLE T2(A INTEGER NULL)\r\nGO#\r\nGO"},
        TDDLRow{"OracleConnectWithoutPassword", DT::dbOracle,
                [](TObjs& o) {
                    o.ConnectionOptions().UserName = "scott";
                    o.ConnectionOptions().Password = "pw";
                    o.ConnectionOptions().DatabaseName = "orcl";
                    File<TPrcData>(o, "P").SetBody("IS BEGIN NULL; END;");
                    TPkgData& package = File<TPkgData>(o, "PK");
                    package.HeaderText = "IS PROCEDURE X; END;";
                    return Script(o);
                },
                "-- CONNECT scott/****@orcl;\r\n|CREATE OR REPLACE PACKAGE PK\r\nIS PROCEDURE X; END;\r\n/|CREATE OR "
                "REPLACE PROCEDURE P\r\nIS BEGIN NULL; END;\r\n/#;"},
        TDDLRow{"Firebird25DescriptionsAsComments", DT::dbInterBase,
                [](TObjs& o) {
                    Table(o, "T").SetDescription("x");
                    const std::string text = Script(o);
                    const auto mode = o.IBServerOptions().IBCompareOptions().UpdateDescriptionMode;
                    return text + (mode == TUpdateDescriptionType::udSysTables ? " restored" : " changed");
                },
                "SET SQL DIALECT 3;\r\n|CREATE TABLE T(A INTEGER);|COMMENT ON TABLE T IS\r\n'x';#; restored"},
        // Character sets and collations are part of what the script builds,
        // whatever a comparison of columns looks at: every one given is
        // written, since SET NAMES and the database's default share one
        // option. Outside the build the compare option still decides.
        TDDLRow{"FirebirdCharacterSetsWhateverTheCompareOption", DT::dbInterBase,
                [](TObjs& o) {
                    o.IBServerOptions().SetDBCharSet("WIN1252");
                    TTblData& t = File<TTblData>(o, "T");
                    qeltest::AddFields(o, t.Fields, &t, {{"O", 15, 16}})->CharSet = "OCTETS";
                    TFldData* u = qeltest::AddFields(o, t.Fields, &t, {{"U", 14, 10}});
                    u->CharSet = "UTF8", u->Collation = "UNICODE_CI";
                    qeltest::AddFields(o, t.Fields, &t, {{"W", 14, 5}})->CharSet = "WIN1252";
                    TFldData* c = qeltest::AddFields(o, t.Fields, &t, {{"C", 14, 5}});
                    c->CharSet = "WIN1252", c->Collation = "PXW_CSY";
                    const std::string text = Script(o) + " | " + t.GetCreateDDL();
                    return text + (o.IBServerOptions().IBCompareOptions().FldCharsetCompare ? " changed" : " kept");
                },
                "SET NAMES WIN1252;\r\n|SET SQL DIALECT 3;\r\n|CREATE TABLE T(O CHAR(16) CHARACTER SET OCTETS,\r\nU VARCHAR(10) CHARACTER "
                "SET UTF8 COLLATE UNICODE_CI,\r\nW VARCHAR(5) CHARACTER SET WIN1252,\r\nC VARCHAR(5) CHARACTER SET WIN1252 "
                "COLLATE PXW_CSY);#; | CREATE TABLE T(O CHAR(16),\r\nU VARCHAR(10),\r\nW VARCHAR(5),\r\nC VARCHAR(5)) kept"},
        // A last line that is a comment keeps the terminator out of it.
        TDDLRow{"FirebirdViewEndingInAComment", DT::dbInterBase,
                [](TObjs& o) {
                    File<TViwData>(o, "V").SetBody("SELECT A FROM T -- all of them");
                    File<TViwData>(o, "W").SetBody("SELECT A FROM T /* -- */");
                    return Script(o);
                },
                "SET SQL DIALECT 3;\r\n|CREATE VIEW V\r\n AS \r\nSELECT A FROM T -- all of them\r\n;|CREATE VIEW W\r\n AS \r\n"
                "SELECT A FROM T /* -- */;#;"},
        // Dialect 1 says so first; DATE stands for TIMESTAMP there, and what
        // dialect 1 has no type for is written as it is, with an error.
        TDDLRow{"FirebirdDialectOne", DT::dbInterBase,
                [](TObjs& o) {
                    o.IBServerOptions().SQLDialect = 1;
                    std::string log;
                    o.OnLogNextLine = [&log](TObject&, const std::string& Text) { log += " / " + Text; };
                    TTblData& t = File<TTblData>(o, "T");
                    qeltest::AddFields(o, t.Fields, &t, {{"S", 20}, {"D", 18}, {"T", 19}, {"B", 2}, {"L", 96}});
                    return Script(o) + log;
                },
                "SET SQL DIALECT 1;\r\n|CREATE TABLE T(S DATE,\r\nD DATE,\r\nT TIME,\r\nB BIGINT,\r\nL BOOLEAN);#; / "
                "Error: SQL dialect 1 has no TIME type: T.T is written as TIME / Error: SQL dialect 1 has no BIGINT type: "
                "T.B is written as BIGINT / Error: SQL dialect 1 has no BOOLEAN type: T.L is written as BOOLEAN"},
        TDDLRow{"Firebird3PackagesInSetTerm", DT::dbInterBase,
                [](TObjs& o) {
                    o.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
                    TPkgData& p = File<TPkgData>(o, "PK");
                    p.HeaderText = "BEGIN PROCEDURE X; END";
                    p.SetBody("BEGIN PROCEDURE X AS BEGIN END END");
                    return Script(o);
                },
                "SET SQL DIALECT 3;\r\n|SET TERM ^ ;\r\n|CREATE OR ALTER PACKAGE PK\r\n    AS\r\nBEGIN PROCEDURE X; "
                "END\r\n^|SET TERM ; ^\r\n|SET TERM ^ ;\r\n|RECREATE PACKAGE BODY PK\r\n    AS\r\nBEGIN PROCEDURE X AS BEGIN END END\r\n^|SET TERM ; ^\r\n#;"},
        TDDLRow{"MySQLKeysInLineOnceAndRoutinesDelimited", DT::dbMySQL,
                [](TObjs& o) {
                    Table(o, "T");
                    TCtrData& key = File<TCtrData>(o, "");
                    key.SetConstraintKind(ckPrimaryKey), key.SetTableName("T"), key.Fields.Add("A");
                    TIdxData& index = File<TIdxData>(o, "IX");
                    index.TableName = "T", index.Fields.Add("A");
                    File<TPrcData>(o, "P").SetBody("BEGIN SELECT 1; END");
                    return Script(o);
                },
                "CREATE TABLE T(A INTEGER,\r\nPRIMARY KEY(A),\r\nKEY IX (A));|DELIMITER //\r\n|CREATE PROCEDURE P()\r\n"
                "BEGIN SELECT 1; END\r\n//|DELIMITER ;\r\n#;"},
        TDDLRow{"FirebirdCreateDatabaseHeader", DT::dbInterBase,
                [](TObjs& o) {
                    o.ConnectionOptions().DatabaseName = "db.fdb";
                    o.IBServerOptions().SetDBCharSet("UTF8");
                    TIBDatabaseOptions& database = o.IBServerOptions().IBDatabaseOptions();
                    database.PageSize = 8192, database.ODSMajorVersion = 12, database.ServerVersionText = "WI-V3.0";
                    return Script(o);
                },
                "SET NAMES UTF8;\r\n|SET SQL DIALECT 3;\r\n|CREATE DATABASE 'db.fdb'\r\n USER 'SYSDBA' PASSWORD "
                "'cobaltfin'\r\nPAGE_SIZE 8192  DEFAULT CHARACTER SET UTF8;\r\n|/* Server Version: WI-V3.0.  ODS "
                "Version: 12.0. */\r\n#;"},
        // The connection's set and the database's default apart.
        TDDLRow{"FirebirdDefaultApartFromNames", DT::dbInterBase,
                [](TObjs& o) {
                    o.ConnectionOptions().DatabaseName = "db.fdb";
                    o.IBServerOptions().SetDBCharSet("UTF8");
                    o.IBServerOptions().SetDefaultCharSet("NONE");
                    return Script(o);
                },
                "SET NAMES UTF8;\r\n|SET SQL DIALECT 3;\r\n|CREATE DATABASE 'db.fdb'\r\n USER 'SYSDBA' PASSWORD "
                "'cobaltfin'  DEFAULT CHARACTER SET NONE;\r\n#;"},
        TDDLRow{"SybaseASEDatabaseAnew", DT::dbSybaseASE,
                [](TObjs& o) {
                    o.ConnectionOptions().DatabaseName = "db";
                    TASEDatabaseOptions& database = o.ASEServerOptions().ASEDatabaseOptions();
                    database.VersionText = "ASE 12", database.Options.Include(TASEDBOption::aseSingleUser);
                    return Script(o);
                },
                "-- ASE 12\r\n|-- Database: db\r\n|use db\r\ngo\r\n|use master\r\ngo\r\n|if exists( select 1 from "
                "master.dbo.sysdatabases where name = 'db')\r\n  drop database db\r\ngo\r\n|create database "
                "db\r\ngo\r\n|use db\r\ngo\r\n|exec master.dbo.sp_dboption db, 'single user', True\r\ngo\r\n|"
                "checkpoint\r\ngo\r\n#\r\ngo"},
        TDDLRow{"PostgreSQLOwners", DT::dbPostgreSQL,
                [](TObjs& o) {
                    Table(o, "t", "a", "s").Owner = "u";
                    return Script(o);
                },
                "CREATE TABLE s.t(a integer);|ALTER TABLE s.t OWNER TO u;#;"}),
    qeltest::RowName);

// Every object's files: the CREATE text byte for byte, a routine's stub as
// its header, names that cannot leave the folder or grow without end, and a
// folder that cannot be written: the build completes, every failure logged
// and counted.
TEST(ObjectFiles, HoldTheTextsUnderSafeNames)
{
    qeltest::TempDir dir;
    const fs::path folder = dir.Path() / "out";
    fs::create_directory(folder);
    TObjs o;
    o.SetDatabaseType(DT::dbInterBase);
    TTblData& t = Table(o, "T");
    t.SetDescription("line\r\nbreak");
    TPrcData& p = File<TPrcData>(o, "P");
    p.SetBody("BEGIN END");
    Table(o, "../x");
    const std::string longName(300, 'N');
    Table(o, longName);
    o.OutputFolder = folder.string();
    std::vector<std::string> log;
    o.OnLogNextLine = [&](TObject&, const std::string& Text) { log.push_back(Text); };
    o.BuildScript();

    const auto file = [&](const std::string& Name) { return qeltest::ReadFile((folder / Name).string()); };
    EXPECT_EQ(file("table_T_body.sql"), t.GetCreateDDL());
    EXPECT_EQ(file("procedure_P_header.sql"), p.GetStubCreateScript());
    EXPECT_EQ(file("procedure_P_body.sql"), "CREATE PROCEDURE P AS\r\nBEGIN END");
    EXPECT_EQ(file("table_%2E%2E%2Fx_body.sql"), "CREATE TABLE \"../x\"(A INTEGER)");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names.size(), 5u);
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [&](const std::string& n) {
                                return n.size() == 6 + 183 + 1 + 16 + 9 && n.starts_with("table_" + longName.substr(0, 183) + "~") &&
                                       n.ends_with("_body.sql");
                            }),
              1);
    EXPECT_FALSE(fs::exists(dir.Path() / "x_body.sql"));
    EXPECT_EQ(o.FileErrorCount(), 0);
    EXPECT_TRUE(log.empty());

    // A regular file where the folder should be: nothing can be written there,
    // even by an administrator.
    o.OutputFolder = (folder / "table_T_body.sql").string();
    o.BuildScript();
    EXPECT_EQ(o.FileErrorCount(), 5);
    ASSERT_EQ(log.size(), 5u);
    EXPECT_NE(std::find(log.begin(), log.end(), "Cannot write " + o.OutputFolder + "/table_T_body.sql: Not a directory"),
              log.end());
    TStringList lines;
    o.GetScript(lines);
    EXPECT_EQ(o.FileErrorCount(), 5); // counted anew for each build
    EXPECT_NE(lines.Text().find("COMMENT ON TABLE T IS\r\n'line\r\nbreak'"), std::string::npos);
}

// The Firebird order, marker by marker: what an object uses comes before
// it whatever the names say, routines as stubs first and completed after
// the views that need none of their bodies; computed columns completed
// once the stubs they call exist, before the bodies and views that read
// them, one that reads a view after that view; checks last but for
// triggers and grants.
TEST(FirebirdScriptOrder, WhatIsUsedComesFirst)
{
    TObjs o;
    o.SetDatabaseType(DT::dbInterBase);
    o.IBServerOptions().SQLServerVersion = TIBSQLServerVersionType::st_Firebird_30;
    TDmnData& d = File<TDmnData>(o, "D");
    d.BaseField->DataType = 1, d.BaseField->CheckText = "(VALUE > (SELECT COUNT(*) FROM T))";
    TTblData& t = Table(o, "T");
    qeltest::AddFields(o, t.Fields, &t, {{"C", 1}})->SetBody("(F(A))");
    TCtrData& check = File<TCtrData>(o, "CK");
    check.SetConstraintKind(ckCheck), check.SetTableName("T"), check.SetBody("(F(A) > 0)");
    TPrcData& f = File<TPrcData>(o, "F");
    f.IsFunction = true, f.SetBody("BEGIN RETURN A; END");
    qeltest::AddFields(o, f.InputParams, &f, {{"A", 1, 0, 1}});
    qeltest::AddFields(o, f.OutputParams, &f, {{"", 1}});
    TPrcData& reader = File<TPrcData>(o, "A_READER");
    reader.SetBody("BEGIN FOR SELECT A FROM A_VIEW INTO :R DO SUSPEND; END");
    qeltest::AddFields(o, reader.OutputParams, &reader, {{"R", 1, 0, 2}});
    TViwData& over = File<TViwData>(o, "A_VIEW");
    over.SetBody("SELECT A FROM B_VIEW");
    TViwData& under = File<TViwData>(o, "B_VIEW");
    under.SetBody("SELECT A FROM T");
    qeltest::AddFields(o, under.Columns, &under, {{"A", 0}});
    qeltest::Uses(over, under, "A"), qeltest::Uses(reader, over);
    TFldData* counted = qeltest::AddFields(o, t.Fields, &t, {{"N", 0}});
    counted->SetBody("((SELECT COUNT(*) FROM B_VIEW))");
    qeltest::Uses(*counted, under);
    File<TTrgData>(o, "A_TRIGGER").SetTableName("T");
    TGntData& grant = File<TGntData>(o, "");
    grant.ObjectName = "A_VIEW", grant.ObjectKind = TDbObject::dboView, grant.Privileges = {TPrivilege::prSelect};
    grant.Grantee = "PUBLIC";

    TStringList lines;
    o.GetScript(lines);
    const std::string text = lines.Text();
    const std::vector<std::string> order = {
        "CREATE DOMAIN D AS INTEGER;",
        "CREATE TABLE T(A INTEGER,\r\nC INTEGER COMPUTED BY (NULL),\r\nN COMPUTED BY (NULL));",
        "CREATE PROCEDURE A_READER RETURNS(R INTEGER)",
        "CREATE FUNCTION F(A INTEGER)",
        "ALTER TABLE T ALTER C TYPE INTEGER COMPUTED BY (F(A));",
        "ALTER FUNCTION F(A INTEGER)",
        "CREATE VIEW B_VIEW",
        "ALTER TABLE T ALTER N COMPUTED BY ((SELECT COUNT(*) FROM B_VIEW));",
        "CREATE VIEW A_VIEW",
        "ALTER PROCEDURE A_READER",
        "ALTER DOMAIN D ADD CHECK (VALUE > (SELECT COUNT(*) FROM T));",
        "ALTER TABLE T ADD CONSTRAINT CK CHECK (F(A) > 0);",
        "CREATE TRIGGER A_TRIGGER FOR T",
        "GRANT SELECT ON A_VIEW TO PUBLIC;",
    };
    std::size_t at = 0;
    for (const std::string& marker : order) {
        const std::size_t found = text.find(marker);
        ASSERT_NE(found, std::string::npos) << marker << "\n" << text;
        EXPECT_GE(found, at) << marker << " comes too early\n" << text;
        at = found;
    }
}

