// What the script-parser tests compare: a statement handed on, as
// "StatType|ObjName|ObjType|Operation|ParentName|SQL", with the kinds by name.
#pragma once

#include "qelEnumNames.h"
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
    return StatTypeName(StatType) + "|" + ObjName + "|" + ObjectName(ObjType) + "|" + OperationName(Operation) + "|" +
           ParentName + "|" + SQL;
}

} // namespace qeltest
