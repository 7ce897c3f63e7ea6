// What the script-parser tests compare: a statement handed on, as
// "StatType|ObjName|ObjType|Operation|ParentName|SQL", with the kinds by name.
#pragma once

#include "qelEnumNames.h"
#include "qelParseTestSupport.h"
#include "qelTypes.h"

#include <iterator>
#include <string>
#include <vector>

namespace qeltest {

inline std::string StatementText(qel::TStatType StatType, const std::string& ObjName, qel::TDbObject ObjType,
                                 qel::TDbOperation Operation, const std::string& ParentName, const std::string& SQL)
{
    return StatTypeName(StatType) + "|" + ObjName + "|" + ObjectName(ObjType) + "|" + OperationName(Operation) + "|" +
           ParentName + "|" + SQL;
}

} // namespace qeltest
