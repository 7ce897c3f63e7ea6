// PostgreSQL keywords and identifier quoting. No PostgreSQL script parser
// exists; the table serves quoting only.
#pragma once

#include "qelWordTable.h"

#include <span>
#include <string>
#include <string_view>

namespace qel {

// Row i carries symbol 30 + i; the last five rows are operators.
extern const std::span<const std::string_view, 98> PGSQLResWords;

// The symbol of Word (any case) in PGSQLResWords, syIdent when it is none.
TSymb PGSQLResWordSymb(std::string_view Word);

// True when the name must be double-quoted: PostgreSQL folds bare names to
// lower case, so anything but "_" or a-z first, anything but "$", 0-9, "_"
// or a-z later, or a keyword (in any case) needs quotes.
bool PGSQLNeedsQuotes(std::string_view Name);

// The identifier as written for PostgreSQL; a double quote inside is doubled.
//   customer -> customer    Customer -> "Customer"    user -> "user"
std::string PGSQLQuoteName(std::string_view Name);

} // namespace qel
