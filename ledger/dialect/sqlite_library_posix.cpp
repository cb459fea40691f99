#include "ledger/dialect/sqlite_library.h"

#include <sqlite3.h>

namespace tarvenish {

int linkedSqliteVersion() noexcept {
    return sqlite3_libversion_number();
}

}  // namespace tarvenish
