// The names of the statement types, object kinds and operations, by value,
// for tests that show statements and objects as text.
#pragma once

#include "qelTypes.h"

#include <iterator>
#include <string>

namespace qeltest {

inline const char* const kStatTypes[] = {
    "stConnect",  "stReconnect", "stCreateDb",   "stSet",          "stSetBlobFile", "st_Commit",   "stStatement",
    "stComment",  "stProcedure", "stTrigger",    "stSetNames",     "stCharSet",     "stSqlDialect", "stDescription",
    "stSelect",   "stInsert",    "stUpdate",     "stDelete",       "stExecuteBlock", "stPackage"};
inline const char* const kObjects[] = {
    "dboUnknown",    "dboTable",    "dboProcedure",  "dboTrigger",    "dboFunction",  "dboException",
    "dboIndex",      "dboDomain",   "dboView",       "dboGenerator",  "dboEvent",     "dboField",
    "dboParam",      "dboDatabase", "dboBlobFilter", "dboCollation",  "dboConstraint", "dboPKey",
    "dboFKey",       "dboUnique",   "dboCheck",      "dboReferences", "dboCtrDefault", "dboRole",
    "dboGrant",      "dboRule",     "dboDefault",    "dboPackage",    "dboPackageBody", "dboPublication",
    "dboSchema"};
inline const char* const kOperations[] = {"odbUnknown", "odbCreate",      "odbAlter",       "odbDrop",
                                          "odbEmpty",   "odbRestore",     "odbEmptyCreate", "odbEmptyDrop",
                                          "odbSet",     "odbCommit",      "odbComment",     "odbDescription",
                                          "odbInsert",  "odbUpdate",      "odbDelete"};

// The name of Value in Names; its number where the table ends before it.
template <std::size_t N, class TEnum> std::string EnumName(const char* const (&Names)[N], TEnum Value)
{
    const auto i = static_cast<std::size_t>(Value);
    return i < N ? std::string(Names[i]) : std::to_string(i);
}

inline std::string StatTypeName(qel::TStatType Value) { return EnumName(kStatTypes, Value); }
inline std::string ObjectName(qel::TDbObject Value) { return EnumName(kObjects, Value); }
inline std::string OperationName(qel::TDbOperation Value) { return EnumName(kOperations, Value); }

} // namespace qeltest
