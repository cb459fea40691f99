#pragma once
// SQLite runs a left join with its left table in the outer loop. When the right table offers no index for
// the join condition (a number column compared with a text column, say), every outer row scans the whole
// right table. The same join written as a right join lets SQLite drive the loop from the other side.

#include <optional>
#include <string>
#include <string_view>

namespace tarvenish {

// For a statement of SQLite's SQL whose first FROM begins "A [alias] LEFT [OUTER] JOIN B [alias] ON cond",
// the same statement with "B [alias] RIGHT JOIN A [alias] ON cond": the same rows and columns. nullopt when
// the statement has no such join, when its first select list has a bare "*" (whose column order would change)
// or when the text cannot be read.
[[nodiscard]] std::optional<std::string> rightJoinForm(std::string_view sqliteStatement);

}  // namespace tarvenish
