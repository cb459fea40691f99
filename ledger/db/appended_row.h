#pragma once
// What every engine's appender builds alike: the INSERT of one row that gives only the columns it has values
// for, the others taking the table's defaults.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/db/engine.h"

namespace tarvenish {

// The indexes of the fields of `row` that hold a value. Throws DbError for "update row" with `code`, naming
// `table`, when the row does not have one field per column of the table.
[[nodiscard]] std::vector<std::size_t> assignedColumns(const std::vector<std::optional<Value>>& row,
                                                       std::size_t tableColumns, std::string_view table,
                                                       int code);

// "INSERT INTO table (the assigned columns) VALUES (?, ...)", or "... DEFAULT VALUES" when none is assigned.
[[nodiscard]] std::string insertWithParameters(std::string_view table, const std::vector<Column>& columns,
                                               const std::vector<std::size_t>& assigned);

}  // namespace tarvenish
