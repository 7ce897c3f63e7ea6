// What the MS SQL parser's source files share and its users never see: the
// dialect's symbols and object kinds by their plain names, a few character
// tests, and the state of one read (the batch and its GO line, the
// statement being read). Included by the parser's .cpp files only.
#pragma once

#include "qelMSSQLScriptParser.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace qel {

using enum TSymb;
using enum TDbObject;

inline bool IsDigitChar(char C) { return C >= '0' && C <= '9'; }
inline bool IsOnOff(TSymb S) { return S == syMSOn || S == syMSOff; }
// The qualified key "S.N" (just N without schema).
inline std::string KeyOf(const std::string& Schema, const std::string& Name)
{
    return Schema.empty() ? Name : Schema + "." + Name;
}

struct TMSSQLParser::TReadState {
    // A statement of the batch as it was handed on, for GO's copies.
    struct TBatchStatement {
        TStatement* Statement;
        TParsedStatement Parsed;
    };
    std::vector<TBatchStatement> batch;
    bool goPending = false;
    // A statement's rule is reading: the GO line it meets ends what it may
    // read, as the end of the source does.
    bool inStatementRule = false;
    std::int32_t goCount = 1;
    std::string goCountText;
    std::int32_t goLine = 0;
    std::int32_t goColumn = 0;
    bool goCountBad = false;
    bool sourcePassDue = false;
    // Reads the SELECT batches of the split pass whole, to judge their kind.
    std::unique_ptr<TMSSQLParser> judge;
    // The query of a cursor is read: its FOR READ ONLY / UPDATE is the cursor's.
    bool cursorQuery = false;
    int statementDepth = 0;
    // The statement being read takes its batch to the end when it fails
    // (bodies, control-of-flow).
    bool wholeBatch = false;
    // The object whose body is read in place (its messages name it).
    TDbObj* bodyObject = nullptr;
    // Views whose query failed in the split pass.
    std::unordered_set<const TDbObj*> viewsRead;
    // The statement's ";" belongs to its text (MERGE).
    bool keepSemicolon = false;
    // No statement of the batch has been read yet.
    bool firstInBatch = true;
    // The token before the current one: an unquoted word in upper case, or
    // ",", "=", "." and "::"; empty for anything else.
    std::string prevWord;
    // The schema that CREATE SCHEMA's own elements are created in (empty:
    // dbo).
    std::string elementSchema;
};

} // namespace qel
