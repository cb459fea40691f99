#pragma once
// Schema changes seen by every ODBC connection of the process: a prepared statement describes its result by
// the columns its tables had when it was prepared, so a schema change made on one connection must reach the
// prepared statements of the others.

#include <cstdint>

namespace tarvenish {

// The number of statements sent as text (the only way a schema change goes) through any ODBC connection of
// this process so far.
[[nodiscard]] std::uint64_t odbcSchemaGeneration() noexcept;

// Counts one more statement sent as text: every connection's prepared statements are stale from now on.
void odbcSchemaMayHaveChanged() noexcept;

}  // namespace tarvenish
