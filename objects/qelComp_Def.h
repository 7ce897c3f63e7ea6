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

    bool Bracketed = false; // the script wrote the name in square brackets
    std::string Value;
};

// One collation; sensitive to case and accents, and without pad space,
// until the script says otherwise.
class TCltData : public TDbObj {
public:
    explicit TCltData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TCltData"; }

    std::string CharacterSet;
    std::string FromCollation;
    std::string ExternalName;
    bool PadSpace = false;
    bool CaseSensitive = true;
    bool AccentSensitive = true;
    std::string Attributes;
};

} // namespace qel
