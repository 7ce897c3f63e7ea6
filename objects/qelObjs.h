// The concrete object collection: frees the objects it holds when cleared,
// finds them by kind and name, and saves the definition texts of views,
// routines and triggers. Owns its script options.
#pragma once

#include "qelCustomObjs.h"
#include "qelDBOptions.h"

#include <memory>
#include <string>
#include <string_view>

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

    std::unique_ptr<TScriptOptions> m_scriptOptions;
};

} // namespace qel
