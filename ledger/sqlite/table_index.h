#pragma once
// Indexing the tables a select-into makes: later statements look their rows up by the first column.

#include <string_view>

struct sqlite3;

namespace tarvenish {

// Indexes `table` (bracketed, quoted or bare) by its first column, covering the others when they are few.
// Only a speed-up: any failure is ignored.
void indexFirstColumn(sqlite3* db, std::string_view table) noexcept;

}  // namespace tarvenish
