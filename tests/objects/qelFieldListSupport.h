// What the DDL text tables of routines, triggers, domains and external
// functions share besides their rows: filling a parameter, attribute or
// column list, and a collection that keeps MS SQL names as written.
#pragma once

#include "qelComp_Fld.h"
#include "qelObjs.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qeltest {

// Appends a field (Name may be empty) of type Code to List, owned by
// Parent, and returns it.
inline qel::TFldData* AddField(qel::TObjs& Objs, qel::TOwnedNameList<qel::TFldData>& List, qel::TDbObj* Parent,
                               const std::string& Name, std::uint8_t Code, std::int32_t Length = 0)
{
    auto* field = List.Add(Name, std::make_unique<qel::TFldData>(&Objs, Parent));
    field->SetName(Name);
    field->DataType = Code;
    field->Length = Length;
    return field;
}

// MS SQL stores names in upper case unless told otherwise; rows that show
// a schema "dbo" as a script wrote it say so first.
inline void KeepMSSQLCase(qel::TObjs& Objs)
{
    Objs.MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers = true;
}

} // namespace qeltest
