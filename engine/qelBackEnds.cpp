// The back ends built into the system, registered once when the registry is
// first used. Calling them from here, instead of from static initialisers in
// their own files, keeps the linker from dropping them out of the library.
#include "qelDBEngine.h"

namespace qel {

void RegisterBuiltInConnections() {}

} // namespace qel
