// What both fuzz targets do with one input.
#pragma once

#include "qelParserInvariants.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace qeltest {

// Checks the script under Setup; a broken invariant is printed and aborts.
// The open findings (known, not mended yet) do not stop the run, so that it
// finds what is new.
inline void FuzzOne(const TParseSetup& Setup, const std::uint8_t* Data, std::size_t Size)
{
    const std::string_view script(reinterpret_cast<const char*>(Data), Size);
    const std::vector<std::string> faults = CheckParse(Setup, script);
    if (OnlyOpenFindings(faults)) return;
    std::fprintf(stderr, "\n== parser invariant broken (%s):\n%s", Setup.Name().c_str(), JoinFaults(faults).c_str());
    std::abort();
}

} // namespace qeltest
