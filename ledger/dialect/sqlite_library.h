#pragma once
// The SQLite library this process carries, if any.

namespace tarvenish {

// SQLite's version number of the library linked into this process (3039000 for 3.39.0); 0 where the process
// carries none and reaches SQLite only through an ODBC driver whose version it cannot see.
[[nodiscard]] int linkedSqliteVersion() noexcept;

}  // namespace tarvenish
