// Packages: a header (the public declarations) and a body, as Firebird 3 and Oracle
// have them.
#pragma once

#include "qelClasses.h"

#include <string>
#include <utility>
#include <vector>

namespace qel {

// One package; the body is the inherited Body.
class TPkgData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboPackage;
    explicit TPkgData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TPkgData"; }

    std::string HeaderText;

    // The description of a member routine, or of a parameter of one, which
    // are no objects of their own.
    struct TMemberDescription {
        bool Function = false;
        std::string Routine;
        std::string Param; // empty for the routine itself
        std::string Text;
    };
    std::vector<TMemberDescription> MemberDescriptions;
    // Replaces the member's description; an empty Text removes it.
    void SetMemberDescription(bool Function, const std::string& Routine, const std::string& Param,
                              const std::string& Text);
    // Forgets the descriptions of members the header no longer declares
    // (the server drops them with the member): Members are (function, name).
    void KeepMemberDescriptions(const std::vector<std::pair<bool, std::string>>& Members);
    // One statement a member description, after the header:
    //   "COMMENT ON PROCEDURE PKG.SP IS\r\n'it''s'",
    //   "COMMENT ON FUNCTION PARAMETER PKG.F.X IS\r\n'x'"
    // Nothing when the collection writes no descriptions.
    std::vector<std::string> GetMemberDescriptionScripts() const;

    // ---- texts ---- (names are written as stored)
    // Firebird 3 on: "CREATE OR ALTER PACKAGE P\r\n    AS\r\n<header>";
    // before (and Oracle): "CREATE OR REPLACE PACKAGE P\r\n<header>".
    std::string GetHeaderText() const;
    // Firebird 3 on: "RECREATE PACKAGE BODY P\r\n    AS\r\n<body>"; before:
    // "CREATE OR REPLACE PACKAGE BODY P\r\n<body>".
    std::string GetBodyText() const;
    // The header; with a body, then "\r\n^\r\n\r\n" ("/" but for InterBase)
    // and the body.
    std::string GetCreateDDL() const override;
    // "DROP PACKAGE P"
    std::string GetDropScript() const override;
};

} // namespace qel
