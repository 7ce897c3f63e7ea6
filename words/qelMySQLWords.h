// MySQL reserved words and identifier quoting. No MySQL script parser
// exists; the list serves quoting only.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qel {

extern const std::span<const std::string_view, 215> MySQLReservedWords;

// The identifier as written for MySQL, in back-quotes when it has a
// lower-case letter, is a reserved word, or could not stand bare (a
// character other than A-Z, 0-9, "_" and "$", or a leading digit, which
// would read as a number such as 1E5). A back-quote inside is doubled.
//   CUSTOMER -> CUSTOMER    Customer -> `Customer`    SELECT -> `SELECT`
//   ORDER DATE -> `ORDER DATE`
std::string MySQLQuoteName(std::string_view Name);

} // namespace qel
