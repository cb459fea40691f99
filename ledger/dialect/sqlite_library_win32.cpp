#include "ledger/dialect/sqlite_library.h"

namespace tarvenish {

int linkedSqliteVersion() noexcept {
    // No SQLite in the process: the driver's may not know right joins, so left joins stay as written.
    return 0;
}

}  // namespace tarvenish
