// The dialect functions as a loadable SQLite extension, for a SQLite database reached through its ODBC
// driver: the driver loads it into its own connection (LoadExt=), and the statements the dialect bridge
// rewrites then find str(), format() and the rest there as in the embedded engine.

#include <sqlite3.h>

#include "ledger/dialect/bridge.h"

extern "C" __attribute__((visibility("default"))) int sqlite3_extension_init(sqlite3* db, char** error,
                                                                             const void* /*api*/) {
    // The driver and this module share the process's one SQLite library, so its functions are called
    // directly rather than through the routine table.
    const int rc = tarvenish::registerDialectFunctions(db);
    if (rc != SQLITE_OK && error != nullptr)
        *error = sqlite3_mprintf("cannot register the dialect functions");
    return rc;
}
