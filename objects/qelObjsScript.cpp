// The database script of a collection: every object's CREATE text in
// dependency order with the server's wrapping, and one file per object.
#include "qelObjs.h"

#include "qelComp_Ctr.h"
#include "qelComp_Def.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Opr.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"
#include "qelObjKinds.h"
#include "qelObjsScriptFormat.h"
#include "qelText.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace qel {

namespace {

using enum TDatabaseType;

// The single-quoted literal, inner quotes doubled.
std::string L(const std::string& Text) { return SQLQuotedStr(Text, dbAbstract); }

// The InterBase options the objects of a collection write by.
TIBServerOptions& ServerOptionsOf(TCustomObjs& Objs)
{
    return (Objs.UseLinked && Objs.LinkedObjs() != nullptr ? *Objs.LinkedObjs() : Objs).IBServerOptions();
}

// The InterBase description mode of a build, put back however it ends:
// Firebird 2 and later take COMMENT ON (Firebird 3 refuses system-table
// updates and DESCRIBE), the older servers DESCRIBE.
class TDescriptionModeScope {
public:
    TDescriptionModeScope(TCustomObjs& Objs, bool InterBase)
        : m_options(ServerOptionsOf(Objs).IBCompareOptions()), m_saved(m_options.UpdateDescriptionMode)
    {
        using enum TIBSQLServerVersionType;
        if (!InterBase || m_saved != TUpdateDescriptionType::udSysTables) return;
        const TIBSQLServerVersionType version = ServerOptionsOf(Objs).SQLServerVersion;
        m_options.UpdateDescriptionMode = version >= st_Firebird_20 && version <= st_Firebird_40
                                              ? TUpdateDescriptionType::udComment
                                              : TUpdateDescriptionType::udDescribe;
    }
    ~TDescriptionModeScope() { m_options.UpdateDescriptionMode = m_saved; }
    TDescriptionModeScope(const TDescriptionModeScope&) = delete;
    TDescriptionModeScope& operator=(const TDescriptionModeScope&) = delete;

private:
    TIBCompareOptions& m_options;
    TUpdateDescriptionType m_saved;
};

// Marks the collection as writing its database script while it lives.
class TBuildingScope {
public:
    explicit TBuildingScope(bool& Flag) : m_flag(Flag) { m_flag = true; }
    ~TBuildingScope() { m_flag = false; }
    TBuildingScope(const TBuildingScope&) = delete;
    TBuildingScope& operator=(const TBuildingScope&) = delete;

private:
    bool& m_flag;
};

// A name as one part of a file name, so that no name can leave the folder,
// break a line or make the name too long: "../x" -> "%2E%2E%2Fx".
std::string FileNamePart(std::string_view Name)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string part;
    for (const char ch : Name) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                           c == '$' || c == '-';
        if (plain) {
            part += ch;
        } else {
            part += '%';
            part += hex[c >> 4];
            part += hex[c & 15];
        }
    }
    constexpr std::size_t kMax = 200, kKept = 183;
    if (part.size() <= kMax) return part;
    // FNV-1a: the same name gives the same file in every build.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char ch : Name) hash = (hash ^ static_cast<unsigned char>(ch)) * 1099511628211ULL;
    std::string digits(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4) digits[static_cast<std::size_t>(i)] = hex[hash & 15];
    return part.substr(0, kKept) + "~" + digits;
}

// Dialect 1 has DATE (which holds the time as well) but no TIME, BIGINT
// or BOOLEAN: a column of such a type is written as it is or as another
// type, never without an error in the log.
void LogDialectOneTypes(TObjs& Objs)
{
    if (Objs.DatabaseType() != dbInterBase || ServerOptionsOf(Objs).SQLDialect != 1) return;
    constexpr std::uint8_t kBigInt = 2, kTime = 19, kTimeZoned = 21, kBoolean = 96;
    const auto check = [&Objs](const TFldData* Field, const std::string& Owner) {
        if (Field == nullptr) return;
        const std::uint8_t code = Field->DataType;
        if (code != kBigInt && code != kTime && code != kTimeZoned && code != kBoolean) return;
        Objs.DoLog("Error: SQL dialect 1 has no " + std::string(DataTypeName(code)) + " type: " + Owner +
                   (Field->Name().empty() ? std::string() : "." + Field->Name()) + " is written as " +
                   Field->GetTypeText());
    };
    for (const TDmnData* domain : Objs.Domains.ObjectsOf<TDmnData>()) check(domain->BaseField.get(), domain->Name());
    for (const TTblData* table : Objs.Tables.ObjectsOf<TTblData>())
        for (const auto& field : table->Fields)
            if (field.Object && field.Object->Body().empty()) check(field.Object.get(), table->Name());
    for (const TPrcData* routine : Objs.Procedures.ObjectsOf<TPrcData>())
        for (const auto* params : {&routine->InputParams, &routine->OutputParams})
            for (const auto& param : *params) check(param.Object.get(), routine->Name());
}

} // namespace

// ---- the build ----

void TObjs::BuildScript()
{
    const TDatabaseType db = DatabaseType();
    m_fileErrorCount = 0;
    {
        TDescriptionModeScope descriptions(*this, db == dbInterBase);
        TBuildingScope building(m_buildingScript);
        Script.Clear();
        LogDialectOneTypes(*this);
        Terminator = TScriptFormat(db).Terminator();
        WriteHeader(Script);
        Script.Add("");
        if (db == dbInterBase) {
            WriteInterBaseScript();
        } else {
            WriteSections();
        }
    }
    LastQuotedIdentifier = false;
    LastAnsiNulls = false;
}

namespace {

// An object the script cannot hold is named in the log, never dropped from
// it without a word: "Left out of the script: V (TViwData): it has no
// CREATE text".
void LogNoCreateText(TObjs& Objs, const TDbObj& Obj)
{
    const std::string name = Obj.Name().empty() ? Obj.DisplayName : Obj.GetQualifiedName();
    Objs.DoLog("Left out of the script: " + name + " (" + Obj.ClassName() + "): it has no CREATE text");
}

} // namespace

// Sequences and exceptions come before the tables whose defaults and
// checks name them, views in the order they read each other. PostgreSQL
// routines are created first as stubs, as Firebird's are: a view may call
// them and an SQL function read a view.
void TObjs::WriteSections()
{
    const TDatabaseType db = DatabaseType();
    WriteObjects(Schemas, false, true);
    Script.Add("");
    WriteObjects(UDFs, false, true);
    Script.Add("");
    WriteObjects(Collations, true, false);
    Script.Add("");
    WriteObjects(Domains, true, true);
    // Filled from Transact-SQL scripts only; the tables that use them follow.
    if (db == dbMSSQL || db == dbSybaseASE) {
        WriteObjects(Defaults, true, true);
        WriteObjects(Rules, true, true);
    }
    WriteObjects(Exceptions, true, true);
    WriteObjects(Generators, true, false);
    Script.Add("");
    WriteObjects(Tables, true, true);
    WriteObjects(Indexes, true, false);
    WritePackages();
    WriteConstraints();
    Script.Add("");
    for (const auto& item : Views)
        if (!item.Object->NoScript && item.Object->GetCreateDDL().empty()) LogNoCreateText(*this, *item.Object);
    if (db == dbPostgreSQL) {
        WriteRoutineStubs();
        WriteRoutineBodies(false);
        WriteViewsInOrder();
        WriteRoutineBodies(true);
    } else {
        WriteViewsInOrder();
        WriteRoutines(Procedures);
    }
    WriteRoutines(Triggers);
    Script.Add("");
    WriteObjects(Events, true, false);
    WriteObjects(Roles, true, false);
    Script.Add("");
    WriteObjects(Grants, false, false);
    Script.Add("");
}

void TObjs::GetScript(TStringList& Lines)
{
    Script.Clear();
    BuildScript();
    Lines.AddStrings(Script);
    Script.Clear();
}

bool TObjs::WrittenInLine(const TDbObj& Obj) const
{
    if (DatabaseType() != dbMySQL) return false;
    std::string table;
    if (const auto* index = dynamic_cast<const TIdxData*>(&Obj)) table = index->TableName;
    if (const auto* key = dynamic_cast<const TCtrData*>(&Obj)) {
        const int kind = key->ConstraintKind() & 0x7F;
        if (kind != ckPrimaryKey && kind != ckUnique) return false;
        table = key->TableName();
    }
    const TTblData* owner = table.empty() ? nullptr : FindTable(table);
    return owner != nullptr && owner->Name() == table && !owner->Fields.Empty();
}

void TObjs::WriteObjects(const TObjIndex& Index, bool SetOptions, bool EmptyLine)
{
    const TDatabaseType db = DatabaseType();
    for (const auto& item : Index) {
        TDbObj& obj = *item.Object;
        SaveObjectFiles(obj);
        // Present in every such database: their files and owners only.
        const bool builtIn = Is<TSchData>(obj) && ((db == dbPostgreSQL && obj.Name() == "public") ||
                                                   (db == dbMSSQL && obj.Name() == obj.DisplayName));
        if (SetOptions) WriteMSSQLSetOptions(obj.QuotedIdentifier, obj.AnsiNulls);
        const bool leftOut = obj.NoScript || builtIn || WrittenInLine(obj);
        const std::string text = leftOut ? std::string() : obj.GetCreateDDL();
        if (!text.empty()) {
            Script.Add(TScriptFormat::Terminated(text, Terminator));
            if (EmptyLine) Script.Add("");
        } else if (!leftOut) {
            LogNoCreateText(*this, obj);
        }
        WriteOwnerStatement(obj, Script);
    }
}

// Oracle's packages end each part with "/" (Firebird's are written in
// their own place of its order).
void TObjs::WritePackages()
{
    if (DatabaseType() != dbOracle || Packages.Empty()) return;
    const std::string end = TScriptFormat(dbOracle).BlockTerminator();
    for (TPkgData* package : Packages.ObjectsOf<TPkgData>()) {
        SaveObjectFiles(*package);
        Script.Add(package->GetHeaderText() + end);
        Script.Add("");
        if (!package->Body().empty()) {
            Script.Add(package->GetBodyText() + end);
            Script.Add("");
        }
        WriteOwnerStatement(*package, Script);
    }
}

// Keys before the foreign keys that reference them, checks last; MS SQL
// defaults first.
void TObjs::WriteConstraints()
{
    if (DatabaseType() == dbMSSQL) WriteConstraintPass(ckDefault, true);
    WriteConstraintKinds({ckPrimaryKey, ckUnique, ckForeignKey, ckCheck});
}

void TObjs::WriteConstraintKinds(std::initializer_list<int> Kinds)
{
    for (const int kind : Kinds) WriteConstraintPass(kind, false);
}

void TObjs::WriteConstraintPass(int Kind, bool SaveAll)
{
    for (TCtrData* constraint : Constraints.ObjectsOf<TCtrData>()) {
        if (SaveAll) SaveObjectFiles(*constraint);
        if ((constraint->ConstraintKind() & 0x7F) != Kind || WrittenInLine(*constraint)) continue;
        if (!SaveAll) SaveObjectFiles(*constraint);
        if (!constraint->Name().empty()) Script.Add("/* " + BlockCommentText(constraint->Name()) + " */");
        if (!constraint->DisplayName.empty()) Script.Add("/* " + BlockCommentText(constraint->DisplayName) + " */");
        WriteMSSQLSetOptions(constraint->QuotedIdentifier, constraint->AnsiNulls);
        Script.Add(TScriptFormat::Terminated(CheckSpaced(*constraint), Terminator));
        Script.Add("");
    }
}

// Firebird keeps a check's text as the statement wrote it, and isql and
// the scripts it reads write "CHECK (": "... ADD CHECK(A > 0)" ->
// "... ADD CHECK (A > 0)".
std::string TObjs::CheckSpaced(const TCtrData& Constraint) const
{
    std::string text = Constraint.GetCreateDDL();
    const std::string tail = "CHECK" + Constraint.Body();
    if (DatabaseType() == dbInterBase && (Constraint.ConstraintKind() & 0x7F) == ckCheck && text.ends_with(tail) &&
        Constraint.Body().starts_with("("))
        text.insert(text.size() - Constraint.Body().size(), " ");
    return text;
}

void TObjs::WriteRoutines(const TObjIndex& Index)
{
    const TScriptFormat format(DatabaseType());
    const bool block = format.HasBlocks() && !Index.Empty();
    if (block) {
        if (!format.BlockOpener().empty()) Script.Add(format.BlockOpener() + CRLF);
        Terminator = format.BlockTerminator();
    }
    for (const auto& item : Index) {
        TDbObj& obj = *item.Object;
        SaveObjectFiles(obj);
        const std::string text = obj.NoScript ? std::string() : obj.GetCreateDDL();
        if (text.empty()) {
            if (!obj.NoScript) LogNoCreateText(*this, obj);
            continue;
        }
        WriteMSSQLSetOptions(obj.QuotedIdentifier, obj.AnsiNulls);
        Script.Add(TScriptFormat::Terminated(text, Terminator));
        Script.Add("");
        WriteOwnerStatement(obj, Script);
    }
    if (block) {
        if (!format.BlockCloser().empty()) Script.Add(format.BlockCloser() + CRLF);
        Terminator = format.Terminator();
    }
}

// ---- header, SET options, owners and descriptions ----

void TObjs::WriteHeader(TStringList& Lines)
{
    const TScriptOptions& script = ScriptOptions();
    const TConnectionOptions& connection = ConnectionOptions();
    const std::string& database = connection.DatabaseName;
    const auto statement = [&](const std::string& Text) { Lines.Add(Text + Terminator + CRLF); };
    switch (DatabaseType()) {
    case dbInterBase: {
        const TIBServerOptions& ib = IBServerOptions();
        if (script.DBCharSet && !ib.GetSetNamesSQL().empty()) statement(ib.GetSetNamesSQL());
        if (script.SQLDialect && (ib.SQLDialect == 2 || ib.SQLDialect == 3)) statement("SET SQL DIALECT 3");
        // isql starts in dialect 3: a dialect 1 script has to say so.
        if (script.SQLDialect && ib.SQLDialect == 1) statement("SET SQL DIALECT 1");
        if (script.Connect && !database.empty()) {
            std::string text = "CREATE DATABASE " + L(database);
            if (!connection.UserName.empty() || !connection.Password.empty()) text += CRLF;
            if (!connection.UserName.empty()) text += " USER " + L(connection.UserName);
            if (!connection.Password.empty()) text += " PASSWORD " + L(connection.Password);
            const TIBDatabaseOptions& options = ib.IBDatabaseOptions();
            if (options.PageSize != 0) text += CRLF + ("PAGE_SIZE " + IntToStr(options.PageSize));
            if (!ib.DatabaseCharSet().empty()) text += "  DEFAULT CHARACTER SET " + ib.DatabaseCharSet();
            statement(text);
        }
        const TIBDatabaseOptions& options = ib.IBDatabaseOptions();
        if (options.ODSMajorVersion != 0)
            Lines.Add("/* Server Version: " + BlockCommentText(options.ServerVersionText) +
                      ".  ODS Version: " + IntToStr(options.ODSMajorVersion) + "." +
                      IntToStr(options.ODSMinorVersion) + ". */" + CRLF);
        break;
    }
    case dbMSSQL:
        if (script.Connect && !database.empty()) statement("USE " + database);
        LastQuotedIdentifier = true;
        LastAnsiNulls = true;
        WriteSetOptions(Lines, false, false);
        break;
    case dbOracle:
        if (script.Connect && !connection.UserName.empty() && !connection.Password.empty())
            statement("-- CONNECT " + LineCommentText(connection.UserName) + "/****@" + LineCommentText(database));
        break;
    case dbMySQL:
        if (script.Connect && !database.empty()) statement("USE " + database);
        break;
    case dbSybaseASE: {
        const TASEDatabaseOptions& options = ASEServerOptions().ASEDatabaseOptions();
        const auto comment = [&](const std::string& Head, const std::string& Text) {
            if (!Text.empty()) Lines.Add("-- " + Head + LineCommentText(Text) + CRLF);
        };
        comment("", options.VersionText);
        comment("Database: ", database);
        comment("Size    : ", options.Size);
        comment("Owner   : ", options.Owner);
        comment("Created : ", options.Created);
        comment("Options : ", options.OptionsText);
        if (!options.VersionText.empty()) Lines.Add("");
        if (!script.Connect || database.empty()) break;
        // A script that makes the database anew, by intent.
        statement("use " + database);
        statement("use master");
        statement("if exists( select 1 from master.dbo.sysdatabases where name = " +
                  SQLQuotedStr(database, dbSybaseASE) + ")" + CRLF + "  drop database " + database);
        statement("create database " + database);
        statement("use " + database);
        if (options.Options.Empty()) break;
        for (int i = 0; i < 15; ++i)
            if (options.Options.Contains(static_cast<TASEDBOption>(i)))
                statement("exec master.dbo.sp_dboption " + database + ", " +
                          SQLQuotedStr(TASEDatabaseOptions::GetOptionName(i), dbSybaseASE) + ", True");
        statement("checkpoint");
        break;
    }
    case dbPostgreSQL:
        if (!database.empty()) Lines.Add("/* Database: " + BlockCommentText(database) + " */" + CRLF);
        break;
    default: break;
    }
}

void TObjs::WriteMSSQLSetOptions(bool QuotedIdentifier, bool AnsiNulls)
{
    WriteSetOptions(Script, QuotedIdentifier, AnsiNulls);
}

void TObjs::WriteSetOptions(TStringList& Lines, bool QuotedIdentifier, bool AnsiNulls)
{
    if (DatabaseType() != dbMSSQL) return;
    if (QuotedIdentifier != LastQuotedIdentifier) {
        Lines.Add(std::string("SET QUOTED_IDENTIFIER ") + (QuotedIdentifier ? "ON" : "OFF") + Terminator + CRLF);
        LastQuotedIdentifier = QuotedIdentifier;
    }
    if (AnsiNulls != LastAnsiNulls) {
        Lines.Add(std::string("SET ANSI_NULLS ") + (AnsiNulls ? "ON" : "OFF") + Terminator + CRLF);
        LastAnsiNulls = AnsiNulls;
    }
}

void TObjs::WriteOwnerStatement(TDbObj& Obj, TStringList& Lines)
{
    if (DatabaseType() == dbPostgreSQL && !Obj.Owner.empty()) {
        std::string text;
        if (Is<TSchData>(Obj) && Obj.Name() != "public") text = "ALTER SCHEMA " + Obj.GetQualifiedName();
        else if (Is<TTblData>(Obj)) text = "ALTER TABLE " + Obj.GetQualifiedName();
        else if (const auto* domain = dynamic_cast<const TDmnData*>(&Obj))
            text = (domain->PGTypeOptions.IsType ? "ALTER TYPE " : "ALTER DOMAIN ") + Obj.GetQualifiedName();
        else if (const auto* routine = dynamic_cast<const TPrcData*>(&Obj))
            text = "ALTER FUNCTION " + Obj.GetQualifiedName() + routine->GetParamsText(false);
        else if (const auto* op = dynamic_cast<const TOprData*>(&Obj))
            text = "ALTER OPERATOR " + op->GetSymbolText() + " " + op->GetArgsText();
        else if (const auto* opClass = dynamic_cast<const TOpcData*>(&Obj))
            text = "ALTER OPERATOR CLASS " + Obj.GetQualifiedName() + " USING " + opClass->IndexMethod;
        else if (Is<TViwData>(Obj)) text = "ALTER VIEW " + Obj.GetQualifiedName();
        if (!text.empty()) {
            Lines.Add(text + " OWNER TO " + Obj.QuoteName(Obj.Owner) + Terminator);
            Lines.Add("");
        }
    }
    const auto describe = [&](TDbObj& Described) {
        if (Described.Description().empty()) return;
        const std::string text = Described.GetDescriptionScript();
        if (text.empty()) return;
        Lines.Add(TScriptFormat::Terminated(text, Terminator));
        Lines.Add("");
    };
    describe(Obj);
    if (auto* table = dynamic_cast<TTblData*>(&Obj))
        for (const auto& field : table->Fields)
            if (field.Object) describe(*field.Object);
    if (auto* view = dynamic_cast<TViwData*>(&Obj))
        for (const auto& column : view->Columns)
            if (column.Object) describe(*column.Object);
    if (auto* routine = dynamic_cast<TPrcData*>(&Obj))
        for (const auto* params : {&routine->InputParams, &routine->OutputParams})
            for (const auto& param : *params)
                if (param.Object) describe(*param.Object);
    if (const auto* package = dynamic_cast<const TPkgData*>(&Obj))
        for (const std::string& text : package->GetMemberDescriptionScripts()) {
            Lines.Add(TScriptFormat::Terminated(text, Terminator));
            Lines.Add("");
        }
}

// ---- files ----

void TObjs::SaveObjectFiles(TDbObj& Obj)
{
    if (OutputFolder.empty()) return;
    const std::string body = Obj.GetCreateDDL();
    std::string header;
    if (const auto* routine = dynamic_cast<const TPrcData*>(&Obj)) header = routine->GetStubCreateScript();
    if (const auto* trigger = dynamic_cast<const TTrgData*>(&Obj)) header = trigger->GetStubCreateScript();
    const std::string stem = OutputFolder + "/" + KindInfo(Obj.ClassKind()).FileWord + "_" +
                             FileNamePart(Obj.Name().empty() ? Obj.GetKey() : Obj.Name()) + "_";
    if (!header.empty()) SaveTextToFile(stem + "header.sql", header);
    if (!body.empty()) SaveTextToFile(stem + "body.sql", body);
}

void TObjs::SaveTextToFile(const std::string& FileName, const std::string& Text)
{
    std::ofstream file(FileName, std::ios::binary | std::ios::trunc);
    std::string reason;
    if (!file) {
        reason = std::strerror(errno);
    } else {
        file.write(Text.data(), static_cast<std::streamsize>(Text.size()));
        file.close();
        if (!file) reason = "the text could not be written";
    }
    if (reason.empty()) return;
    ++m_fileErrorCount;
    const std::string message = "Cannot write " + FileName + ": " + reason;
    if (OnFileError)
        OnFileError(*this, message);
    else
        DoLog(message);
}

} // namespace qel
