// SQLite keywords and identifier quoting. No SQLite script parser exists;
// the table serves quoting only.
#pragma once

#include <string>
#include <string_view>

namespace qel {

// True when Word (any case) is one of SQLite's keywords.
bool IsSQLiteKeyword(std::string_view Word);

// True when the name must be double-quoted in SQLite text: anything but an
// ASCII letter or "_" first, anything but those and digits later, or a
// keyword. SQLite matches names without regard to ASCII case, so case alone
// never needs quotes.
bool SQLiteNeedsQuotes(std::string_view Name);

// The identifier as written for SQLite; a double quote inside is doubled.
//   items -> items    order items -> "order items"    order -> "order"
//   a"b -> "a""b"     a.b -> "a.b"
std::string SQLiteQuoteName(std::string_view Name);

} // namespace qel
