// What the InterBase script parser's source files share and its users never
// see: the symbols, statement and object kinds by their plain names.
// Included by the parser's .cpp files only.
#pragma once

#include "qelIBScriptParser.h"

namespace qel {

using enum TSymb;
using enum TStatType;
using enum TDbObject;
using enum TDbOperation;
using TVersion = TIBSQLServerVersionType;

} // namespace qel
