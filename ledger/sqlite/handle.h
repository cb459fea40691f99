#pragma once
// The SQLite handle shared by an engine and the appenders it made: closed when the last of them lets go.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace tarvenish {

class SqliteDatabase final {
public:
    // Takes ownership of an open handle.
    explicit SqliteDatabase(sqlite3* db) noexcept : m_db(db) {}
    // Closes the handle.
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    [[nodiscard]] sqlite3* handle() const noexcept { return m_db; }

    // Adds the virtual-machine steps that `statement` made since it was last counted, and counts it among
    // the writes when it may change the database.
    void countSteps(sqlite3_stmt* statement) noexcept;
    // Every virtual-machine step counted so far: a diagnostic that shows whether a table's rows were read.
    [[nodiscard]] std::uint64_t vmSteps() const noexcept { return m_vmSteps; }
    // The statements counted so far that may have changed the database: a schema change, an insert, an
    // update or a delete, whether or not it changed a row.
    [[nodiscard]] std::uint64_t writes() const noexcept { return m_writes; }

    // Throws DbError for `operation` with the engine's current message for `code` and the caller's statement.
    [[noreturn]] void fail(std::string_view operation, int code, std::string statement) const;

private:
    sqlite3* m_db;
    std::uint64_t m_vmSteps = 0;
    std::uint64_t m_writes = 0;
};

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const noexcept;
};
// A prepared statement, finalized on destruction.
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

}  // namespace tarvenish
