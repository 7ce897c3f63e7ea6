// DB2 keywords and identifier quoting. No DB2 script parser exists; the
// table serves quoting only.
#pragma once

#include "qelWordTable.h"

#include <span>
#include <string>
#include <string_view>

namespace qel {

// Row i carries symbol 30 + i.
extern const std::span<const std::string_view, 82> DB2ResWords;

// The symbol of Word (any case) in DB2ResWords, syIdent when it is none.
TSymb DB2ResWordSymb(std::string_view Word);

// The identifier as written for DB2: in double quotes when it is a keyword,
// does not begin with A-Z, or holds a character other than A-Z, 0-9, "#",
// "$", "@" and "_"; a double quote inside is doubled.
//   CUSTOMER -> CUSTOMER    customer -> "customer"    USER -> "USER"
std::string DB2QuoteName(std::string_view Name);

} // namespace qel
