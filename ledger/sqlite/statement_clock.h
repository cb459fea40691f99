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

// Adds SQLite's time in statements during its life to `seconds`.
class SqliteStatementTimer final {
public:
    explicit SqliteStatementTimer(double& seconds) noexcept
        : m_seconds(seconds), m_start(sqliteStatementSeconds()) {}
    ~SqliteStatementTimer() { m_seconds += sqliteStatementSeconds() - m_start; }
    SqliteStatementTimer(const SqliteStatementTimer&) = delete;
    SqliteStatementTimer& operator=(const SqliteStatementTimer&) = delete;

private:
    double& m_seconds;
    double m_start;
};

}  // namespace tarvenish
