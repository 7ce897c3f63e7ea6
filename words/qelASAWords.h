// SQL Anywhere word tables and identifier quoting. No SQL Anywhere script
// parser exists; the tables serve quoting only.
#pragma once

#include "qelDBOptions.h"
#include "qelWordTable.h"

#include <span>
#include <string>
#include <string_view>

namespace qel {

// Keywords (row i carries symbol 30 + i) and the further reserved words.
extern const std::span<const std::string_view, 125> ASAResWords;
extern const std::span<const std::string_view, 105> ASAReservedWords;

// The symbol of Word (any case) in ASAResWords, syIdent when it is none.
TSymb ASAResWordSymb(std::string_view Word);

// The identifier as written for SQL Anywhere. A reserved word is written in
// upper case, other names as given; the version does not change the rule.
//   user -> "USER"    Order_No -> Order_No    my-col -> "my-col"
std::string ASAQuoteName(std::string_view Name, TASAServerVersionType Version = TASAServerVersionType::st_ASA9);

} // namespace qel
