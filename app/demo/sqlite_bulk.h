#pragma once
// Bulk loading of demo account sets straight through SQLite: one transaction, statements prepared once.

#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tarvenish {

// A value to bind: null, a whole number, a double or a text.
using BulkValue = std::variant<std::monostate, long long, double, std::string>;

class BulkInsert;

// Owns one SQLite handle on an existing file; throws std::runtime_error naming the statement on any failure.
class SqliteBulk {
public:
    explicit SqliteBulk(const std::string& path);
    ~SqliteBulk();
    SqliteBulk(const SqliteBulk&) = delete;
    SqliteBulk& operator=(const SqliteBulk&) = delete;

    void exec(std::string_view sql);
    // A prepared "insert into table (columns) values (?, ...)".
    [[nodiscard]] BulkInsert prepareInsert(std::string_view table, const std::vector<std::string>& columns);

private:
    sqlite3* m_db = nullptr;
};

class BulkInsert {
public:
    BulkInsert(sqlite3* db, sqlite3_stmt* statement, std::string text);
    ~BulkInsert();
    BulkInsert(BulkInsert&& other) noexcept;
    BulkInsert(const BulkInsert&) = delete;
    BulkInsert& operator=(const BulkInsert&) = delete;
    BulkInsert& operator=(BulkInsert&&) = delete;

    // Inserts one row, values in the order of the columns.
    void insert(const std::vector<BulkValue>& values);

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement;
    std::string m_text;
};

}  // namespace tarvenish
