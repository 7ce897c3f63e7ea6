// The object kinds: what the object model keeps per kind, in one table that
// has a row for every TDbObject value, and the one test of an object's class
// by its kind tag.
#pragma once

#include "qelClasses.h"
#include "qelTypes.h"

#include <cstdint>

namespace qel {

class TCustomObjs;
class TObjIndex;

// What a description is stored on.
enum class TDescribed : std::uint8_t {
    None, Domain, Table, View, Procedure, Function, Trigger, Exception, Index, ExternalFunction, Generator, Role,
    Collation, Package, Schema, Constraint, Column, ViewColumn, Param
};

// What one kind is to the object model. The rows of the kinds of classes are
// read by the class tag (TDbObj::ClassKind); the message word by the kind the
// object stands for, which for a constraint is its constraint kind.
struct TKindInfo {
    TDbObject Kind;
    // The collection's index that files objects of the kind; nullptr for
    // kinds no collection files on their own (columns, links).
    TObjIndex TCustomObjs::*Filing;
    // The word an object's file name starts with in a per-object script; ""
    // writes no word.
    const char* FileWord;
    // Where the description goes; a column's and a routine's are refined by
    // their owner and by IsFunction.
    TDescribed Described;
    // The word before the name in a body parser's message; "" for none.
    const char* MessageWord;
};

const TKindInfo& KindInfo(TDbObject Kind);

// Whether Obj is of class T, by the tags: Is<TViwData>(Obj). A class that
// keeps its base's tag (TMemberPrcData) counts as its base; tell it apart
// with a cast.
template <class T>
bool Is(const TDbObj& Obj)
{
    return Obj.ClassKind() == T::Kind;
}

} // namespace qel
