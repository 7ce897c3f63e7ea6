// The back ends built into the system, registered once when the registry is
// first used. Calling them from here, instead of from static initialisers in
// their own files, keeps the linker from dropping them out of the library.
#include "qelConnection_ADODB.h"
#include "qelConnection_IBXDB.h"
#include "qelDBEngine.h"
#include "qelADOConnString.h"
#include "qelIBClient.h"

namespace qel {

void RegisterBuiltInConnections()
{
    RegisterConnection("ADO", std::make_unique<TConnectionADO>());
    RegisterConnection("IBX", std::make_unique<TConnectionIBX>());
}

bool IsRemoteDatabaseName(std::string_view Name) { return IBIsRemoteName(Name); }

std::string NameWithoutPassword(std::string_view NameOrConnectionString) { return HidePassword(NameOrConnectionString); }

void KeepConnectionsOnSignals() { IBRefuseShutdownOnSignal(); }

} // namespace qel
