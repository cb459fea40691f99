#include "ledger/dialect/extension_path.h"

#include "ledger/db/error.h"

namespace tarvenish {

std::string dialectExtensionPath() {
    // A Windows DLL cannot be loaded into the driver's SQLite: the data source names its own extension.
    throw DbError("find the SQLite dialect functions", 0,
                  "the Windows component carries no SQLite extension; name the dialect functions in the "
                  "connection string with LoadExt=",
                  {});
}

}  // namespace tarvenish
