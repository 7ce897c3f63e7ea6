// Stand-alone defaults (MS SQL, Sybase ASE) and Firebird collations.
#pragma once

#include "qelClasses.h"

#include <string>

namespace qel {

// One CREATE DEFAULT ... AS value.
class TDefData : public TDbObj {
public:
    explicit TDefData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TDefData"; }

    // MS SQL "CREATE DEFAULT [D] AS 0" (a "]" in the name doubled; ScriptText
    // without a value); other servers "CREATE DEFAULT D AS 0".
    std::string GetCreateDDL() const override;
    // The CREATE text alone: no schema step, no NoScript test.
    std::string GetCreateScript() override { return GetCreateDDL(); }

    bool Bracketed = false; // the script wrote the name in square brackets
    std::string Value;
};

// One collation; sensitive to case and accents, and without pad space,
// until the script says otherwise.
class TCltData : public TDbObj {
public:
    explicit TCltData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TCltData"; }

    // InterBase/Firebird only, one clause a line, each ended by CR LF:
    //   "CREATE COLLATION CO\r\nFOR ISO8859_1\r\nNO PAD\r\nCASE SENSITIVE\r\n
    //    ACCENT SENSITIVE\r\n"; empty for every other server type.
    std::string GetCreateDDL() const override;
    std::string GetCreateScript() override { return GetCreateDDL(); }

    std::string CharacterSet;
    std::string FromCollation;
    std::string ExternalName;
    bool PadSpace = false;
    bool CaseSensitive = true;
    bool AccentSensitive = true;
    std::string Attributes;
};

} // namespace qel
