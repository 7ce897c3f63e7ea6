// The parameters of the ADO layer's statements: the type each parameter is
// bound as, and for ODBC the buffers and the SQLBindParameter arguments.
// Private to the ADO layer (qelADO.cpp).
#pragma once

#include "qelDataSet.h"

#include <sql.h>
#include <sqlext.h>

#include <cstddef>
#include <string>

namespace qel {

// Longest character value bound as VARCHAR and binary value bound as
// VARBINARY; longer ones go as LONGVARCHAR/LONGVARBINARY, which SQL Server
// needs beyond its 8000-byte types.
inline constexpr size_t kMaxShortText = 4000;
inline constexpr size_t kMaxShortBinary = 8000;

// The buffers of one bound parameter; they must stay put until the
// statement has run.
struct TParamBuffer {
    SQLLEN Indicator = 0;
    SQLBIGINT Integer = 0;
    double Float = 0;
    unsigned char Bit = 0;
    SQL_DATE_STRUCT Date{};
    SQL_TIMESTAMP_STRUCT TimeStamp{};
    std::string Text;
};

// How one parameter goes to SQLBindParameter.
struct TBinding {
    SQLSMALLINT CType = SQL_C_CHAR;
    SQLSMALLINT SQLType = SQL_VARCHAR;
    SQLULEN Size = 1;
    SQLSMALLINT Digits = 0;
    SQLPOINTER Data = nullptr;
    SQLLEN Length = 0;
    // Null of no type: the driver's type of the marker applies.
    bool Untyped = false;
};

// The type a parameter is bound as: its own, or for an untyped one the type
// its value suggests (ftUnknown for an untyped Null).
TFieldType BindingType(const TParam& p);

// Fills the buffer with the parameter's value and says how to bind it.
// Values of a string or binary kind are bound where they lie in the
// parameter, which outlives the statement's run.
TBinding BindingFor(const TParam& p, TParamBuffer& buffer);

} // namespace qel
