// What the tests of the dialects' word tables share: a name with the text a
// dialect writes for it, and the check that a word table numbered from 30 in
// table order is found whole.
#pragma once

#include "qelWordTable.h"
#include "qelText.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <span>
#include <string>
#include <string_view>

namespace qeltest {

struct TNameCase {
    std::string Name, Expected;
    friend void PrintTo(const TNameCase& c, std::ostream* os) { *os << '\'' << c.Name << '\''; }
};

// Each word, in upper and in lower case, gives the symbol 30 + its index; no
// word stands twice; a word outside the table is an identifier.
inline void ExpectNumberedWords(std::span<const std::string_view> Words, qel::TSymb (*Lookup)(std::string_view))
{
    EXPECT_EQ(std::set<std::string_view>(Words.begin(), Words.end()).size(), Words.size()) << "a word stands twice";
    for (std::size_t i = 0; i < Words.size(); ++i) {
        EXPECT_EQ(Lookup(Words[i]), static_cast<qel::TSymb>(30 + i)) << Words[i];
        EXPECT_EQ(Lookup(qel::LowerCase(Words[i])), static_cast<qel::TSymb>(30 + i)) << Words[i];
    }
    EXPECT_EQ(Lookup("CUSTOMER"), qel::TSymb::syIdent);
}

} // namespace qeltest
