#include "ledger/sqlite_backup.h"

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "ledger/db_error.h"
#include "ledger/engine.h"

namespace tarvenish {
namespace {

struct CloseDatabase {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using DatabaseHandle = std::unique_ptr<sqlite3, CloseDatabase>;

DatabaseHandle openFile(const std::string& path, int flags, const std::string& what) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    DatabaseHandle db(raw);
    if (rc != SQLITE_OK) throw DbError(what, rc, db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc), "");
    return db;
}

}  // namespace

std::string sqliteFileOf(std::string_view connectionString) {
    const ConnectionSettings settings = parseConnectionString(connectionString);
    if (settings.engine != "sqlite")
        throw DbError("copy the account set", 0,
                      "the account set is not a SQLite file (engine " + settings.engine + ")", "");
    if (settings.dataSource == ":memory:" || settings.dataSource.starts_with("file:"))
        throw DbError("copy the account set", 0,
                      "the account set " + settings.dataSource + " is not a plain SQLite file", "");
    return settings.dataSource;
}

void backupSqliteFile(const std::string& source, const std::string& target) {
    const std::string what = "copy the account set " + source + " to " + target;
    std::error_code ignored;
    // The copy would be written over the set it copies, and a failed copy removed with it.
    if (std::filesystem::equivalent(source, target, ignored))
        throw DbError(what, 0, "the copy would be the account set itself", "");
    try {
        // Read-write, as the host opens it: a file in write-ahead mode may need its shared-memory file made.
        const DatabaseHandle from = openFile(source, SQLITE_OPEN_READWRITE, what);
        const DatabaseHandle to = openFile(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, what);
        sqlite3_busy_timeout(from.get(), 5000);
        sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
        if (backup == nullptr) throw DbError(what, sqlite3_errcode(to.get()), sqlite3_errmsg(to.get()), "");
        // All pages in one step: the copy is one read transaction's view of the set.
        const int step = sqlite3_backup_step(backup, -1);
        const int finish = sqlite3_backup_finish(backup);
        if (step != SQLITE_DONE) throw DbError(what, step, sqlite3_errstr(step), "");
        if (finish != SQLITE_OK) throw DbError(what, finish, sqlite3_errmsg(to.get()), "");
    } catch (...) {
        std::filesystem::remove(target, ignored);
        throw;
    }
}

SqliteSnapshot::SqliteSnapshot(const std::string& source) {
    std::string name = (std::filesystem::temp_directory_path() / "tarvenish-snapshot-XXXXXX").string();
    // A name of our own, made atomically, so that no other program's file is copied over.
    const int fd = mkstemp(name.data());
    if (fd < 0)
        throw DbError("make a snapshot of " + source, 0, "no temporary file could be made in " + name, "");
    ::close(fd);
    m_path = name;
    try {
        backupSqliteFile(source, m_path);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
        throw;
    }
}

SqliteSnapshot::~SqliteSnapshot() {
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(m_path + suffix, ignored);
}

}  // namespace tarvenish
