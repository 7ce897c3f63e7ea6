// Locale-independent text helpers. Identifiers, keywords and option names are
// compared and upper-cased by ASCII rules only, whatever the process locale.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qel {

inline constexpr const char* CRLF = "\r\n";

char AsciiUpper(char c);
char AsciiLower(char c);
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

// Case-insensitive (ASCII) comparison: <0, 0, >0 like strcmp.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

// Removes leading and trailing blanks and control characters (code <= 32).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Decimal text of an integer, never touched by the locale.
std::string IntToStr(long long v);

bool StartsWithText(std::string_view s, std::string_view prefix);

// The items with Separator between them; empty for no items:
//   ({"A INTEGER", "B INTEGER"}, ",\r\n") -> "A INTEGER,\r\nB INTEGER"
std::string Join(const std::vector<std::string>& Items, std::string_view Separator);

} // namespace qel
