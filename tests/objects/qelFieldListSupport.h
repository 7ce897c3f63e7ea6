// What the DDL text tests of routines, triggers, views, domains and the
// other kinds share besides their rows: filling a parameter, attribute or
// column list, a collection that keeps MS SQL names as written, and the
// check that an object with nothing but a name writes every text under
// every server type without raising.
#pragma once

#include "qelComp_Fld.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

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

// Every text of a T set up by Setup, under each server type, raises
// nothing: missing parts only drop their clauses.
template <class T, class Setup>
void ExpectTextsRaiseNothing(Setup&& Prepare)
{
    for (int type = 0; type <= static_cast<int>(qel::TDatabaseType::dbCustomOLEDB); ++type) {
        qel::TObjs objs;
        objs.SetDatabaseType(static_cast<qel::TDatabaseType>(type));
        T obj(&objs);
        obj.SetName("X");
        Prepare(obj);
        EXPECT_NO_THROW((void)(obj.GetCreateDDL() + obj.GetAlterScript() + obj.GetDropScript() + obj.GetKey() +
                               obj.GetDisplayName() + obj.GetSourceText() + obj.GetCreateScript()))
            << obj.ClassName() << " under " << qel::DatabaseTypeName(objs.DatabaseType());
    }
}

} // namespace qeltest
