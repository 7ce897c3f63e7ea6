// What the DDL text tests of routines, triggers, views, domains and the
// other kinds share besides their rows: making a named object, filling a
// parameter, attribute or column list, and the check that an object with
// nothing but a name writes every text under every server type.
#pragma once

#include "qelComp_Fld.h"
#include "qelObjs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

namespace qeltest {

template <class T>
std::unique_ptr<T> Make(qel::TObjs& Objs, const std::string& Name, const std::string& Schema = {})
{
    auto obj = std::make_unique<T>(&Objs);
    obj->SetName(Name);
    obj->SetSchema(Schema);
    return obj;
}

// A new object filed in (and owned by) the collection.
template <class T>
T& File(qel::TObjs& Objs, const std::string& Name, const std::string& Schema = {})
{
    return *static_cast<T*>(Objs.AddObject(Make<T>(Objs, Name, Schema)));
}

// User depends on Used (on its column Field, when given).
inline void Uses(qel::TDbObj& User, qel::TDbObj& Used, const std::string& Field = {})
{
    qel::AddDependency(User.Objs(), &User, &Used, 1, 1, Field);
}

// One field of a list: name (may be empty), type code, length, direction.
struct TFieldSpec {
    const char* Name;
    std::uint8_t Code;
    std::int32_t Length = 0;
    std::uint8_t Direction = 0;
};

// Appends the fields to List, owned by Parent; answers the last one.
inline qel::TFldData* AddFields(qel::TObjs& Objs, qel::TOwnedNameList<qel::TFldData>& List, qel::TDbObj* Parent,
                                std::initializer_list<TFieldSpec> Fields)
{
    qel::TFldData* field = nullptr;
    for (const TFieldSpec& f : Fields) {
        field = List.Add(f.Name, std::make_unique<qel::TFldData>(&Objs, Parent));
        field->SetName(f.Name);
        field->DataType = f.Code;
        field->Length = f.Length;
        field->Direction = f.Direction;
    }
    return field;
}

// MS SQL upper-cases names unless told otherwise; rows that show a schema
// "dbo" as a script wrote it say so first.
inline void KeepMSSQLCase(qel::TObjs& Objs)
{
    Objs.MSSQLServerOptions().MSSQLCompareOptions().CaseSensitiveIdentifiers = true;
}

// Every text of a T set up by Prepare, under each server type, raises
// nothing: missing parts only drop their clauses.
template <class T>
void ExpectTextsRaiseNothing(const std::function<void(T&)>& Prepare = {})
{
    for (int type = 0; type <= static_cast<int>(qel::TDatabaseType::dbCustomOLEDB); ++type) {
        qel::TObjs objs;
        objs.SetDatabaseType(static_cast<qel::TDatabaseType>(type));
        T obj(&objs);
        obj.SetName("X");
        if (Prepare) Prepare(obj);
        EXPECT_NO_THROW((void)(obj.GetCreateDDL() + obj.GetAlterScript() + obj.GetDropScript() + obj.GetKey() +
                               obj.GetDisplayName() + obj.GetSourceText() + obj.GetCreateScript()))
            << obj.ClassName() << " under " << qel::DatabaseTypeName(objs.DatabaseType());
    }
}

} // namespace qeltest
