// What the script-parser tests compare: a statement handed on, as
// "StatType|ObjName|ObjType|Operation|ParentName|SQL", with the kinds by name.
#pragma once

#include "qelMsgMngr.h"
#include "qelTypes.h"

#include <iterator>
#include <string>
#include <vector>

namespace qeltest {

// Every stored message as "text @line:column".
inline std::vector<std::string> MessageTexts(const qel::TMsgManager& Messages)
{
    std::vector<std::string> out;
    for (int i = 0; i < Messages.Count(); ++i) {
        const qel::TMsgData& m = Messages.Items(i);
        out.push_back(m.Text + " @" + std::to_string(m.Line) + ":" + std::to_string(m.Column));
    }
    return out;
}

inline std::string StatementText(qel::TStatType StatType, const std::string& ObjName, qel::TDbObject ObjType,
                                 qel::TDbOperation Operation, const std::string& ParentName, const std::string& SQL)
{
    static const char* const kStatTypes[] = {
        "stConnect",  "stReconnect", "stCreateDb",   "stSet",          "stSetBlobFile", "st_Commit",   "stStatement",
        "stComment",  "stProcedure", "stTrigger",    "stSetNames",     "stCharSet",     "stSqlDialect", "stDescription",
        "stSelect",   "stInsert",    "stUpdate",     "stDelete",       "stExecuteBlock", "stPackage"};
    static const char* const kObjects[] = {
        "dboUnknown",    "dboTable",    "dboProcedure",  "dboTrigger",    "dboFunction",  "dboException",
        "dboIndex",      "dboDomain",   "dboView",       "dboGenerator",  "dboEvent",     "dboField",
        "dboParam",      "dboDatabase", "dboBlobFilter", "dboCollation",  "dboConstraint", "dboPKey",
        "dboFKey",       "dboUnique",   "dboCheck",      "dboReferences", "dboCtrDefault", "dboRole",
        "dboGrant",      "dboRule",     "dboDefault",    "dboPackage",    "dboPackageBody", "dboPublication",
        "dboSchema"};
    static const char* const kOperations[] = {"odbUnknown", "odbCreate",      "odbAlter",       "odbDrop",
                                              "odbEmpty",   "odbRestore",     "odbEmptyCreate", "odbEmptyDrop",
                                              "odbSet",     "odbCommit",      "odbComment",     "odbDescription",
                                              "odbInsert",  "odbUpdate",      "odbDelete"};
    const auto name = [](const auto& Names, auto Value) {
        const auto i = static_cast<std::size_t>(Value);
        return i < std::size(Names) ? std::string(Names[i]) : std::to_string(i);
    };
    return name(kStatTypes, StatType) + "|" + ObjName + "|" + name(kObjects, ObjType) + "|" +
           name(kOperations, Operation) + "|" + ParentName + "|" + SQL;
}

} // namespace qeltest
