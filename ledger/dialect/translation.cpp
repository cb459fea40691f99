#include "ledger/dialect/translation.h"

#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include "ledger/db/error.h"

namespace tarvenish {

SqliteTranslation translateForSqlite(std::string_view sql, std::string_view operation) {
    try {
        return translateStatement(sql);
    } catch (const std::invalid_argument& e) {
        throw DbError(std::string(operation), SQLITE_ERROR,
                      std::string("cannot read the statement: ") + e.what(), std::string(sql));
    }
}

}  // namespace tarvenish
