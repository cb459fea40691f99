#pragma once
// An in-memory SQLite database with the dialect functions registered: the bridge's and the functions' tests
// run statements on it without the connection layer.

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace tarvenish::test {

using Cell = std::optional<std::string>;
using Row = std::vector<Cell>;

class DialectMemoryDb final {
public:
    // Throws std::runtime_error when the database cannot be opened or the functions registered.
    DialectMemoryDb();
    ~DialectMemoryDb();
    DialectMemoryDb(const DialectMemoryDb&) = delete;
    DialectMemoryDb& operator=(const DialectMemoryDb&) = delete;

    // Runs SQLite's own text. Throws std::runtime_error naming the statement.
    void native(const std::string& sql);
    // Runs a statement of either dialect through the bridge.
    void exec(const std::string& sql) { native(translated(sql)); }
    // Every row of a dialect query, each field as text (Null as nullopt).
    [[nodiscard]] std::vector<Row> rows(const std::string& sql) { return nativeRows(translated(sql)); }
    // The first column of every row of SQLite's own query.
    [[nodiscard]] std::vector<Cell> column(const std::string& sql);
    // The value of one SQLite expression.
    [[nodiscard]] Cell scalar(const std::string& expression) { return column("select " + expression).at(0); }

private:
    [[nodiscard]] static std::string translated(const std::string& sql);
    [[nodiscard]] std::vector<Row> nativeRows(const std::string& sql);
    sqlite3* m_db = nullptr;
};

}  // namespace tarvenish::test
