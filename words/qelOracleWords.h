// Oracle keywords and identifier quoting. No Oracle script parser exists;
// the table serves quoting only.
#pragma once

#include "qelWordTable.h"

#include <span>
#include <string>
#include <string_view>

namespace qel {

// Row i carries symbol 30 + i.
extern const std::span<const std::string_view, 112> OracleResWords;

// The symbol of Word (any case) in OracleResWords, syIdent when it is none.
TSymb OracleResWordSymb(std::string_view Word);

// The identifier as written for Oracle: in double quotes when it is a
// keyword, does not begin with A-Z, or holds a character other than A-Z,
// 0-9, "#", "$" and "_"; a double quote inside is doubled.
//   CUSTOMER -> CUSTOMER    Customer -> "Customer"    LEVEL -> "LEVEL"
std::string OracleQuoteName(std::string_view Name);

} // namespace qel
