// Views.
#pragma once

#include "qelClasses.h"
#include "qelComp_Trg.h"
#include "qelStrings.h"

#include <string>

namespace qel {

class TFldData;

// One view: its column list (owned column objects), its query (Body) and the
// Oracle, MS SQL and MySQL view options.
class TViwData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboView;
    explicit TViwData(TCustomObjs* AObjs);
    ~TViwData() override;
    std::string ClassName() const override { return "TViwData"; }

    // "CREATE VIEW V(\r\nA,\r\nB)\r\n AS \r\nSELECT A, B FROM T", with the
    // server's own head: Oracle "CREATE OR REPLACE VIEW" with OF and WITH
    // OBJECT, MS SQL options ("  WITH SCHEMABINDING\r\n"; ScriptText without
    // a query), MySQL ALGORITHM and SQL SECURITY.
    std::string GetCreateDDL() const override;
    // "DROP VIEW dbo.V", without the drop comment; empty when NoScript.
    std::string GetDropScript() const override;
    // "(\r\nA,\r\nB)"; empty without columns.
    std::string GetColumnsText() const;

    // ---- the walk ----
    // What the view uses first (a used view re-created when the sides'
    // saved texts differ), then the view with its comment "/* Create view: V
    // (ViwData.CreateDependDef) */" (DB2: after SET CURRENT SCHEMA when the
    // schema changes), then the source side's triggers on it as stubs.
    void CreateObject() override;
    void CreateDependencies() override;
    // Views and domains that use this view count on it again.
    void AfterCreate() override;
    // Triggers and routines that use the view are emptied, constraints and
    // the triggers on it dropped, then the base walk.
    void DropDependents() override;
    // The source side's grants on the view are to be written again.
    void AfterDrop() override;

    TOwnedNameList<TFldData> Columns;
    std::string OfType;
    std::string ObjectIdKeyword;
    TStringList ObjectIdColumns;
    std::string Algorithm;
    std::string SqlSecurity;
    bool WithEncryption = false;
    bool SchemaBinding = false;
    bool ViewMetadata = false;

    // The triggers defined on this view forget it when it goes.
    TTriggerRefs TriggerRefs;

    bool IsView() const override { return true; }
    bool IsOwnedByUser() const override { return true; }

protected:
    // Its columns go with it.
    void MarkPartsDropped() override;
};

} // namespace qel
