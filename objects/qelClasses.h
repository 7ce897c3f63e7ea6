// The object-model half of qelClasses (the executor base lives in exec/):
// the system's one identifier-quoting routine, which every part that writes
// SQL calls, and the base of the database objects.
#pragma once

#include "qelComponent.h"
#include "qelDBOptions.h"
#include "qelTypes.h"

#include <string>
#include <string_view>

namespace qel {

// One database object: name, schema, kind and description text. The object
// kinds derive from it and say how they are written per server type; the
// base writes nothing.
class TDbObj : public TObject {
public:
    TDbObj() = default;
    TDbObj(const TDbObj&) = delete;
    TDbObj& operator=(const TDbObj&) = delete;
    std::string ClassName() const override { return "TDbObj"; }

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& Value) { m_name = Value; }
    const std::string& Schema() const { return m_schema; }
    void SetSchema(const std::string& Value) { m_schema = Value; }
    TDbObject ObjectType() const { return m_objectType; }
    void SetObjectType(TDbObject Value) { m_objectType = Value; }

    // The comment text, stored with CR LF line breaks and trimmed:
    //   "  first\nsecond\r" -> "first\r\nsecond"
    const std::string& Description() const { return m_description; }
    void SetDescription(std::string_view Value);

    // The table, view or procedure that owns a column or parameter, and the
    // name it is known by there; none for other objects.
    virtual TDbObj* GetParentObj() const { return nullptr; }
    virtual std::string GetParentName() const { return {}; }

    // The statement that stores the description on the server; empty here.
    virtual std::string GetDescriptionScript() { return {}; }

private:
    std::string m_name;
    std::string m_schema;
    TDbObject m_objectType = TDbObject::dboUnknown;
    std::string m_description;
};

// Name as it is to be written in SQL text for the server type, by that
// dialect's rule; InterBase quotes only in SQL dialect 3. A quote character
// inside a quoted name is doubled. Server types without a rule of their own
// get the name unchanged.
//   ("Order", dbMSSQL)                         -> [Order]
//   ("Order", dbInterBase, st_Firebird_25, 3)  -> "Order"
//   ("Order", dbInterBase, st_Firebird_25, 1)  -> Order
//   ("order", dbPostgreSQL)                    -> "order"
std::string QuoteIdentifier(std::string_view Name, TDatabaseType DatabaseType, TIBSQLServerVersionType ServerVersion,
                            TIBSQLDialectType SQLDialect);

} // namespace qel
