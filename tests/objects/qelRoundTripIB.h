// The Firebird round trip of the whole-database script, shared by the
// test files that give it scripts: database A is built by isql-fb from a
// script itself, database B by isql-fb from the collection's script after
// the InterBase parser has read the same script (and again after it has
// read isql-fb's extract of A), database C by the executor's run of the
// loaded statements; isql-fb -x of them is the same once the order of the
// objects is set aside. B's and C's runs have no error.
#pragma once

#include <ostream>
#include <string>

namespace qeltest {

struct TRoundTripRow {
    const char* Label;
    // The script, or "@" and a file of the examples (gzip-ed or not, its
    // INPUT lines read in).
    std::string Script;
    // Why the row waits, when the parser cannot read the script yet; the
    // row is then skipped.
    const char* Waits = nullptr;
    // Why the pass over isql-fb's extract of A waits, when it does.
    const char* ExtractWaits = nullptr;
    // The script's SET NAMES left out.
    bool WithoutSetNames = false;
    // BLOB filters are the server's own and no objects of the collection:
    // its script has none, so B is compared with them set aside (C, the
    // executor's run, declares them as the script does).
    bool FiltersAside = false;
    // Put before an example's text.
    const char* Head = "";
};

inline void PrintTo(const TRoundTripRow& Row, std::ostream* Out) { *Out << Row.Label; }

// The round trip of Row, its failures reported to the running test.
void ExpectRoundTrip(const TRoundTripRow& Row);

// The script with the database it creates or connects to named Database;
// a script that names none creates it first.
std::string OnDatabase(const std::string& Script, const std::string& Database);

} // namespace qeltest
