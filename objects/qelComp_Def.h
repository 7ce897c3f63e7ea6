// Stand-alone defaults (MS SQL, Sybase ASE) and Firebird collations.
#pragma once

#include "qelClasses.h"

#include <optional>
#include <string>

namespace qel {

// One CREATE DEFAULT ... AS value.
class TDefData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboDefault;
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

// One collation; sensitive to case and accents until the script says
// otherwise, with the pad attribute its base collation has unless the script
// names one.
class TCltData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboCollation;
    explicit TCltData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TCltData"; }

    // InterBase/Firebird only, one clause a line, each ended by CR LF:
    //   "CREATE COLLATION CO\r\nFOR ISO8859_1\r\nFROM PT_BR\r\nNO PAD\r\n
    //    CASE INSENSITIVE\r\n"; empty for every other server type. A pad
    //    clause only where one was given, and only the insensitive words:
    //    what is not said comes from the base collation (FROM UNICODE_CI is
    //    case-insensitive by itself).
    std::string GetCreateDDL() const override;
    std::string GetCreateScript() override { return GetCreateDDL(); }

    std::string CharacterSet;
    std::string FromCollation;
    std::string ExternalName;
    // PAD SPACE, NO PAD, or nothing said.
    std::optional<bool> PadSpace;
    bool CaseSensitive = true;
    bool AccentSensitive = true;
    std::string Attributes;
};

} // namespace qel
