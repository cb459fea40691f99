#include "app/demo/sqlite_bulk.h"

#include <sqlite3.h>

#include <stdexcept>

namespace tarvenish {
namespace {
[[noreturn]] void fail(sqlite3* db, std::string_view what, std::string_view sql) {
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db) + " [" + std::string(sql) + "]");
}
}  // namespace

SqliteBulk::SqliteBulk(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        m_db = nullptr;
        throw std::runtime_error("cannot open " + path + ": " + message);
    }
}

SqliteBulk::~SqliteBulk() {
    sqlite3_close(m_db);
}

void SqliteBulk::exec(std::string_view sql) {
    std::string text(sql);
    if (sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) fail(m_db, "execute", sql);
}

BulkInsert SqliteBulk::prepareInsert(std::string_view table, const std::vector<std::string>& columns) {
    std::string text = "insert into " + std::string(table) + " (";
    std::string marks;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        text += (i ? "," : "") + columns[i];
        marks += i ? ",?" : "?";
    }
    text += ") values (" + marks + ")";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, text.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        fail(m_db, "prepare", text);
    return BulkInsert(m_db, statement, std::move(text));
}

BulkInsert::BulkInsert(sqlite3* db, sqlite3_stmt* statement, std::string text)
    : m_db(db), m_statement(statement), m_text(std::move(text)) {}

BulkInsert::~BulkInsert() {
    sqlite3_finalize(m_statement);
}

BulkInsert::BulkInsert(BulkInsert&& other) noexcept
    : m_db(other.m_db), m_statement(other.m_statement), m_text(std::move(other.m_text)) {
    other.m_statement = nullptr;
}

void BulkInsert::insert(const std::vector<BulkValue>& values) {
    sqlite3_reset(m_statement);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        const BulkValue& value = values[i];
        if (std::holds_alternative<long long>(value)) {
            sqlite3_bind_int64(m_statement, index, std::get<long long>(value));
        } else if (std::holds_alternative<double>(value)) {
            sqlite3_bind_double(m_statement, index, std::get<double>(value));
        } else if (std::holds_alternative<std::string>(value)) {
            const std::string& s = std::get<std::string>(value);
            sqlite3_bind_text(m_statement, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_null(m_statement, index);
        }
    }
    if (sqlite3_step(m_statement) != SQLITE_DONE) fail(m_db, "insert", m_text);
}

}  // namespace tarvenish
