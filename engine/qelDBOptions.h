// Settings objects that connections, executors, the comparer and the object
// model own and copy between each other, and the server-version enumerations
// that version-dependent text is chosen by: one header a family, gathered
// here for the callers that use several.
#pragma once

#include "qelConnectionOptions.h"
#include "qelIBOptions.h"
#include "qelMSSQLOptions.h"
#include "qelMySQLOptions.h"
#include "qelOtherServerOptions.h"
#include "qelServerOptionSet.h"
#include "qelServerVersions.h"
