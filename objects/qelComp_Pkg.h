// Packages: a header (the public declarations) and a body, as Firebird 3 and Oracle
// have them.
#pragma once

#include "qelClasses.h"

#include <string>

namespace qel {

// One package; the body is the inherited Body.
class TPkgData : public TDbObj {
public:
    explicit TPkgData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TPkgData"; }

    std::string HeaderText;

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
