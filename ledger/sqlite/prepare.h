#pragma once
// Preparing a statement of SQLite's SQL in the join order that spares SQLite a scan of a table per outer row,
// as its query plan shows.

#include <cstddef>
#include <string_view>

#include "ledger/sqlite/handle.h"

namespace tarvenish {

// Prepares the first statement of `text`, turning its left join into a right join when the plan scans the
// right table once per outer row and the turned form does not. `consumed` is set to the length of the
// statement's text; a null statement means `text` held only blanks or comments. Throws DbError for
// `operation` carrying `original`.
[[nodiscard]] StatementPtr prepareInJoinOrder(SqliteDatabase& db, std::string_view text,
                                              std::size_t& consumed, std::string_view original,
                                              std::string_view operation);

// True when `rest` holds a further statement, or text that does not prepare.
[[nodiscard]] bool holdsFurtherStatement(SqliteDatabase& db, std::string_view rest) noexcept;

}  // namespace tarvenish
