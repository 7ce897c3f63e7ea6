// What the executor's own files share: small helpers of statement kinds,
// hexadecimal BLOB references and errors. Not part of the executor's
// interface (qelSQL_Exec.h).
#pragma once

#include "qelSQL_Exec.h"

#include "qelClasses.h"
#include "qelDBEngine.h"
#include "qelDBOptions.h"
#include "qelDataSet.h"
#include "qelErrors.h"
#include "qelMsg.h"
#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelObjsScriptFormat.h"
#include "qelSQLParser.h"
#include "qelText.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace qel {

// The side file of a run, open while statements read BLOB values from it.
struct TSQLExec::TBlobFile {
    std::ifstream Stream;
    std::uint64_t FileSize = 0;
    std::string Buffer;
};

} // namespace qel

namespace qel::sqlexec {


constexpr const char* NotAssigned = "): Connection property not assigned.";

// Statements that change the database: they connect a disconnected
// connection and mark a list as modifying.
inline bool IsModifying(TStatType t)
{
    using enum TStatType;
    switch (t) {
    case stStatement:
    case stProcedure:
    case stTrigger:
    case stDescription:
    case stInsert:
    case stUpdate:
    case stDelete: return true;
    default: return false;
    }
}

// Statements that do work in the database run once. The others (CONNECT,
// SET NAMES, SET BLOBFILE, COMMIT, comments) set the stage for them: while
// work is left they stay, so that the next run on a fresh connection and a
// written script still connect, pick the character set and open the BLOB
// file for it; once no work is left they are done too.
inline bool RunsOnce(TStatType t)
{
    // A SELECT may call a selectable procedure that changes the database.
    return IsModifying(t) || t == TStatType::stPackage || t == TStatType::stCreateDb || t == TStatType::stExecuteBlock ||
           t == TStatType::stSelect;
}

inline void MarkFinishedList(const std::vector<std::unique_ptr<TStatement>>& List)
{
    for (const auto& st : List)
        if (RunsOnce(st->StatType) && !st->Executed) return;
    for (const auto& st : List) st->Executed = true;
}

inline const char* OperationText(TDbOperation op)
{
    using enum TDbOperation;
    switch (op) {
    case odbCreate: return ": create";
    case odbAlter: return ": alter";
    case odbDrop: return ": drop";
    case odbEmpty: return ": empty body";
    case odbRestore: return ": restore body";
    case odbEmptyCreate: return ": create empty";
    case odbEmptyDrop: return ": empty before drop";
    case odbDescription: return ": description";
    case odbInsert: return ": insert";
    case odbUpdate: return ": update";
    case odbDelete: return ": delete";
    default: return "";
    }
}

inline bool IsIdentChar(char c)
{
    const char u = AsciiUpper(c);
    return (u >= 'A' && u <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
}

inline int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    const char u = AsciiUpper(c);
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

inline bool AllHex(std::string_view s)
{
    for (char c : s)
        if (HexDigit(c) < 0) return false;
    return !s.empty();
}

// Hexadecimal digits to a 64-bit number; EConvertError when a digit is not
// hexadecimal or the number needs more than 64 bits.
inline std::uint64_t HexToUInt64(std::string_view Digits, std::string_view Name)
{
    std::uint64_t v = 0;
    for (char c : Digits) {
        const int d = HexDigit(c);
        if (d < 0)
            throw EConvertError("'" + std::string(Digits) + "' is not a valid hexadecimal number in BLOB parameter " +
                                std::string(Name));
        if (v > (UINT64_MAX >> 4))
            throw EConvertError("'" + std::string(Digits) + "' is too large for a BLOB position in parameter " +
                                std::string(Name));
        v = (v << 4) | static_cast<std::uint64_t>(d);
    }
    return v;
}

// Errors that leave neither the connection nor its transaction usable: the
// statements run in the transaction are gone with it.
inline bool MeansTransactionLost(const std::exception& E)
{
    const auto* db = dynamic_cast<const EDatabaseError*>(&E);
    if (db == nullptr) return false;
    // SQLSTATE class 08: connection exception (ODBC and Firebird alike);
    // SQLCODE -902: Firebird's "cannot go on" class (shutdown, network).
    return db->SQLState().starts_with("08") || db->SQLCode() == -902;
}

} // namespace qel::sqlexec
