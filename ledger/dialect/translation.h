#pragma once
// The dialect glue of the SQLite engine: the component's statements (either host dialect) in SQLite's SQL.

#include <string_view>

#include "ledger/dialect/bridge.h"

namespace tarvenish {

// The statement in SQLite's SQL. Throws DbError for `operation` carrying `sql` when it cannot be read.
[[nodiscard]] SqliteTranslation translateForSqlite(std::string_view sql, std::string_view operation);

}  // namespace tarvenish
