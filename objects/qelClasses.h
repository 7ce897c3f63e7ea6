// The object-model half of qelClasses (the executor base lives in exec/):
// for now the system's one identifier-quoting routine, which every part
// that writes SQL calls.
#pragma once

#include "qelDBOptions.h"
#include "qelTypes.h"

#include <string>
#include <string_view>

namespace qel {

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
