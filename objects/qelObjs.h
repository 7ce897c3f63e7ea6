// The concrete object collection: frees the objects it holds when cleared,
// finds them by kind and name, and saves the definition texts of views,
// routines and triggers. Owns its script options.
#pragma once

#include "qelCustomObjs.h"
#include "qelDBOptions.h"
#include "qelStrings.h"
#include "qelTypes.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

class TCtrData;
class TDmnData;
class TExcData;
class TFldData;
class TGnrData;
class TIdxData;
class TPkgData;
class TPrcData;
class TRolData;
class TSchData;
class TTblData;
class TTrgData;
class TUdfData;
class TViwData;

class TObjs : public TCustomObjs {
public:
    TObjs();
    ~TObjs() override;
    std::string ClassName() const override { return "TObjs"; }

    // The MS SQL SET states last written into a built script.
    bool LastQuotedIdentifier = false;
    bool LastAnsiNulls = false;

    TScriptOptions& ScriptOptions() { return *m_scriptOptions; }
    const TScriptOptions& ScriptOptions() const { return *m_scriptOptions; }
    void SetScriptOptions(const TScriptOptions& Value) { m_scriptOptions->Assign(Value); }

    // Folder of the one-file-per-object output; empty writes no files.
    std::string OutputFolder;

    // Frees every object held, filed or not, then empties the indexes.
    void Clear() override;
    // SourceText and SavedText of every view, procedure and trigger become
    // its CREATE text.
    void SaveSourceTexts() override;

    // ---- the database script ----
    // Writes the whole database into Script, one item a statement (CR LF
    // inside), in dependency order: the header; schemas; external functions;
    // collations; domains (MS SQL defaults and rules), tables, indexes,
    // packages, constraints and exceptions; generators; views, procedures
    // and triggers; events and roles; grants; an empty item after each
    // group. Terminator becomes the server's (";", MS SQL "\r\ngo") and
    // stays so. With OutputFolder set, each object is written to its files
    // too; FileErrorCount counts this build's failed writes.
    void BuildScript() override;
    // Appends the built script to Lines; Script is left empty.
    void GetScript(TStringList& Lines) override;
    // The server's opening statements, each + Terminator + CR LF:
    //   Firebird "SET NAMES UTF8;\r\n", "SET SQL DIALECT 3;\r\n"
    //   MS SQL   "USE db\r\ngo\r\n", "SET QUOTED_IDENTIFIER OFF\r\ngo\r\n"
    //   Oracle   "-- CONNECT scott/****@orcl;\r\n" (never the password)
    void WriteHeader(TStringList& Lines);
    // MS SQL only: "SET QUOTED_IDENTIFIER ON" + Terminator + CR LF, and the
    // same for ANSI_NULLS, for each state that differs from the last one
    // written into Script.
    void WriteMSSQLSetOptions(bool QuotedIdentifier, bool AnsiNulls);
    // What follows an object's statement: PostgreSQL "ALTER TABLE s.t OWNER
    // TO u;", then the description statements of the object and of its
    // columns or parameters, each followed by an empty item.
    void WriteOwnerStatement(TDbObj& Obj, TStringList& Lines);
    // With OutputFolder set: "<folder>/table_T_body.sql" holds the CREATE
    // text, "<folder>/procedure_P_header.sql" a routine's or trigger's stub.
    // A name byte outside A-Z a-z 0-9 _ $ - is written %XX ("../x" ->
    // "%2E%2E%2Fx"); a name longer than 200 bytes so written keeps 183 of
    // them, then "~" and 16 hexadecimal digits of its hash.
    void SaveObjectFiles(TDbObj& Obj);
    // Writes Text's bytes as they are (no byte-order mark, no line break
    // added). A failure raises nothing: "Cannot write <file>: <reason>" goes
    // to OnFileError, else the collection's log, and is counted.
    void SaveTextToFile(const std::string& FileName, const std::string& Text);

    // True while BuildScript runs: columns then write every character set
    // they were given.
    bool BuildingScript() const { return m_buildingScript; }

    TLogNextLineEvent OnFileError;
    std::int32_t FileErrorCount() const { return m_fileErrorCount; }

    // Finders: Name is the key the object is filed under, compared by its
    // index's case rule; nullptr when nothing matches.
    TDmnData* FindDomain(std::string_view Name) const;
    TTblData* FindTable(std::string_view Name) const;
    TViwData* FindView(std::string_view Name) const;
    TPrcData* FindProcedure(std::string_view Name) const;
    TTrgData* FindTrigger(std::string_view Name) const;
    TGnrData* FindGenerator(std::string_view Name) const;
    TExcData* FindException(std::string_view Name) const;
    TIdxData* FindIndex(std::string_view Name) const;
    TUdfData* FindUDF(std::string_view Name) const;
    TPkgData* FindPackage(std::string_view Name) const;
    TCtrData* FindConstraint(std::string_view Name) const;
    TSchData* FindSchema(std::string_view Name) const;
    // The column of a table or view by the column list's case rule.
    TFldData* FindTableField(std::string_view TableName, std::string_view FieldName) const;
    TFldData* FindViewField(std::string_view ViewName, std::string_view FieldName) const;
    // An input parameter, else an output parameter.
    TFldData* FindProcedureParam(std::string_view ProcName, std::string_view ParamName) const;
    // The first role, login or user (in index order) whose name is exactly
    // Name, whatever the server's case rule.
    TRolData* FindRole(std::string_view Name) const;
    TRolData* FindLogin(std::string_view Name) const;
    TRolData* FindUser(std::string_view Name) const;

private:
    TRolData* FindRoleOfKind(std::string_view Name, int Kind) const;

    // The script's sections.
    void WriteSetOptions(TStringList& Lines, bool QuotedIdentifier, bool AnsiNulls);
    void WriteObjects(const TObjIndex& Index, bool SetOptions, bool EmptyLine);
    void WritePackages();
    void WriteConstraints();
    void WriteRoutines(const TObjIndex& Index);
    void WriteConstraintKinds(std::initializer_list<int> Kinds);
    void WriteConstraintPass(int Kind, bool SaveAll);
    std::string CheckSpaced(const TCtrData& Constraint) const;
    // The sections of every other server type.
    void WriteSections();
    // The InterBase order (qelObjsScriptIB.cpp): stubs, views, bodies,
    // then what may call routines.
    void WriteInterBaseScript();
    void WriteRoutineStubs();
    void WriteRoutineBodies(bool AfterViews);
    void WriteViewsInOrder();
    void WriteViewsAndComputedColumns(bool WithViews, std::vector<const TDbObj*>& Done);
    // Text + Terminator and an empty line; with OwnerLines the object's
    // owner and description statements after it. Nothing for no text.
    void WriteStatement(TDbObj& Obj, const std::string& Text, bool OwnerLines);
    // SET TERM ^ ; and back, with the terminator each one sets (no lines
    // where the server has no blocks).
    void OpenBlock();
    void CloseBlock();
    bool WritesPackagesWithRoutines() const;
    // A MySQL key or index its table's CREATE TABLE writes in line.
    bool WrittenInLine(const TDbObj& Obj) const;

    std::unique_ptr<TScriptOptions> m_scriptOptions;
    std::int32_t m_fileErrorCount = 0;
    bool m_buildingScript = false;
};

} // namespace qel
