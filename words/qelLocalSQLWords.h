// Keywords of the local SQL of Paradox and dBASE tables and its identifier
// quoting. No local SQL parser exists; the comparer also asks the table
// directly to qualify such field names.
#pragma once

#include "qelWordTable.h"

#include <span>
#include <string>
#include <string_view>

namespace qel {

// Row i carries symbol 30 + i.
extern const std::span<const std::string_view, 215> LocalSQLResWords;

// The symbol of Word (any case) in LocalSQLResWords, syIdent when it is none.
TSymb LocalSQLResWordSymb(std::string_view Word);

// The identifier as written in local SQL: only keywords are quoted, every
// other name is written as given (blanks included).
//   date -> "date"    ORDER NO -> ORDER NO
std::string LocalSQLQuoteName(std::string_view Name);

} // namespace qel
