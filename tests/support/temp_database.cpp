#include "support/temp_database.h"

#include <sqlite3.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <system_error>

#include <unistd.h>

namespace tarvenish::test {

namespace {

struct Closer {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using Handle = std::unique_ptr<sqlite3, Closer>;

Handle openFile(const std::filesystem::path& path, int flags) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    Handle db(raw);
    if (rc != SQLITE_OK)
        throw std::runtime_error("cannot open " + path.string() + ": " +
                                 (raw ? sqlite3_errmsg(raw) : "no memory"));
    sqlite3_busy_timeout(raw, 5000);
    return db;
}

std::filesystem::path freshPath() {
    static std::atomic<unsigned> counter{0};
    return std::filesystem::temp_directory_path() /
           ("tarvenish-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".db");
}

}  // namespace

TempDatabase::TempDatabase() : m_path(freshPath()) {
    std::filesystem::remove(m_path);
    Handle db = openFile(m_path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    // An empty file is only a database once something is written to it.
    if (sqlite3_exec(db.get(), "PRAGMA user_version = 1", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot initialise " + m_path.string());
}

TempDatabase::~TempDatabase() {
    std::error_code ignored;
    std::filesystem::remove(m_path, ignored);
    std::filesystem::remove(m_path.string() + "-journal", ignored);
    std::filesystem::remove(m_path.string() + "-wal", ignored);
    std::filesystem::remove(m_path.string() + "-shm", ignored);
}

void TempDatabase::run(std::string_view sql) const {
    Handle db = openFile(m_path, SQLITE_OPEN_READWRITE);
    char* message = nullptr;
    const std::string text(sql);
    if (sqlite3_exec(db.get(), text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string error = message ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error("seeding failed: " + error + "; SQL: " + text);
    }
}

std::string TempDatabase::scalar(std::string_view sql) const {
    Handle db = openFile(m_path, SQLITE_OPEN_READWRITE);
    sqlite3_stmt* raw = nullptr;
    const std::string text(sql);
    if (sqlite3_prepare_v2(db.get(), text.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("query failed: ") + sqlite3_errmsg(db.get()) + "; SQL: " + text);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    const int rc = sqlite3_step(raw);
    if (rc == SQLITE_DONE) return {};
    if (rc != SQLITE_ROW)
        throw std::runtime_error(std::string("query failed: ") + sqlite3_errmsg(db.get()) + "; SQL: " + text);
    const auto* value = sqlite3_column_text(raw, 0);
    return value ? reinterpret_cast<const char*>(value) : "";
}

std::string TempDatabase::connectionString() const {
    return "Data Source=" + m_path.string() + ";";
}

}  // namespace tarvenish::test
