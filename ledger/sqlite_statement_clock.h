#pragma once
// How long SQLite itself spent running statements, on every connection this process opened: what a run
// costs in the database engine, as against its own work around the statements.

struct sqlite3;

namespace tarvenish {

// Adds every statement that `db` runs from now on to the process's total. Only a measurement: a connection
// it cannot watch is simply not counted.
void watchStatementTime(sqlite3* db) noexcept;

// Seconds SQLite spent in the statements of every watched connection so far. SQLite times a statement to its
// millisecond clock, so the sum is true over many statements, not for one.
[[nodiscard]] double sqliteStatementSeconds() noexcept;

}  // namespace tarvenish
