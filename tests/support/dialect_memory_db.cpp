#include "support/dialect_memory_db.h"

#include <sqlite3.h>

#include <stdexcept>

#include "ledger/dialect/bridge.h"

namespace tarvenish::test {

DialectMemoryDb::DialectMemoryDb() {
    if (sqlite3_open(":memory:", &m_db) != SQLITE_OK) {
        sqlite3_close(m_db);
        throw std::runtime_error("cannot open a memory database");
    }
    if (registerDialectFunctions(m_db) != SQLITE_OK) {
        sqlite3_close(m_db);
        throw std::runtime_error("cannot register the functions");
    }
}

DialectMemoryDb::~DialectMemoryDb() {
    sqlite3_close(m_db);
}

std::string DialectMemoryDb::translated(const std::string& sql) {
    return translateToSqlite(sql);
}

void DialectMemoryDb::native(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "?";
        sqlite3_free(message);
        throw std::runtime_error(text + " in: " + sql);
    }
}

std::vector<Row> DialectMemoryDb::nativeRows(const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string(sqlite3_errmsg(m_db)) + " in: " + sql);
    const std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> statement(raw, &sqlite3_finalize);
    std::vector<Row> result;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        Row row;
        for (int c = 0; c < sqlite3_column_count(raw); ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, c));
            row.push_back(text ? Cell(text) : std::nullopt);
        }
        result.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) throw std::runtime_error(std::string(sqlite3_errmsg(m_db)) + " in: " + sql);
    return result;
}

std::vector<Cell> DialectMemoryDb::column(const std::string& sql) {
    std::vector<Cell> cells;
    for (Row& row : nativeRows(sql)) cells.push_back(row.empty() ? std::nullopt : std::move(row.front()));
    return cells;
}

}  // namespace tarvenish::test
