#include "ledger/sqlite/backup.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <system_error>

#include "ledger/db/engine.h"
#include "ledger/db/error.h"

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

namespace {

// Every page of `source` into the database file `target`, which this process has just made.
void copyDatabase(const std::string& source, const std::string& target, const std::string& what) {
    // Read-write, as the host opens it: a file in write-ahead mode may need its shared-memory file made.
    const DatabaseHandle from = openFile(source, SQLITE_OPEN_READWRITE, what);
    const DatabaseHandle to = openFile(target, SQLITE_OPEN_READWRITE, what);
    sqlite3_busy_timeout(from.get(), 5000);
    sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
    if (backup == nullptr) throw DbError(what, sqlite3_errcode(to.get()), sqlite3_errmsg(to.get()), "");
    // All pages in one step: the copy is one read transaction's view of the set.
    const int step = sqlite3_backup_step(backup, -1);
    const int finish = sqlite3_backup_finish(backup);
    if (step != SQLITE_DONE) throw DbError(what, step, sqlite3_errstr(step), "");
    if (finish != SQLITE_OK) throw DbError(what, finish, sqlite3_errmsg(to.get()), "");
}

// A journal beside a file belongs to the database that was there: SQLite would replay it into the copy.
void refuseJournalBeside(const std::filesystem::path& file, const std::string& what) {
    std::error_code ignored;
    for (const char* suffix : {"-wal", "-journal"}) {
        const std::string journal = file.string() + suffix;
        if (std::filesystem::exists(std::filesystem::symlink_status(journal, ignored)))
            throw DbError(
                what, 0,
                journal + " lies beside it (a database in use or left unfinished); nothing was replaced", "");
    }
}

// The file made for the copy, removed again unless the copy is kept.
class MadeFile final {
public:
    // Takes the file `fd` has just made at `path` and closes `fd`. Throws DbError when the file cannot be
    // told apart from others (it is removed then).
    MadeFile(std::string path, int fd, const std::string& what) : m_path(std::move(path)) {
        const bool readBack = ::fstat(fd, &m_made) == 0;
        ::close(fd);
        if (!readBack) {
            ::unlink(m_path.c_str());
            throw DbError(what, 0, "cannot read back the file " + m_path + " just made", "");
        }
    }
    ~MadeFile() {
        if (m_kept) return;
        // Only the file made here: another program may have put its own at the path meanwhile.
        struct stat now {};
        if (::lstat(m_path.c_str(), &now) == 0 && now.st_dev == m_made.st_dev && now.st_ino == m_made.st_ino)
            ::unlink(m_path.c_str());
    }
    MadeFile(const MadeFile&) = delete;
    MadeFile& operator=(const MadeFile&) = delete;

    void keep() noexcept { m_kept = true; }

private:
    std::string m_path;
    struct stat m_made {};
    bool m_kept = false;
};

void backupIntoNewFile(const std::string& source, const std::string& target, const std::string& what) {
    // Made exclusively: whatever appears at the path in the meantime is never written over.
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        throw DbError(what, 0,
                      error == EEXIST
                          ? target + " exists already; nothing was replaced"
                          : "cannot create " + target + ": " + std::generic_category().message(error),
                      "");
    }
    MadeFile file(target, fd, what);
    copyDatabase(source, target, what);
    file.keep();
}

void backupOverFile(const std::string& source, const std::string& target, const std::string& what) {
    std::error_code error;
    // The link stays a link: its file is the one replaced.
    const std::filesystem::path existing = std::filesystem::canonical(target, error);
    if (error) throw DbError(what, 0, target + " is a link to nothing; nothing was replaced", "");
    if (!std::filesystem::is_regular_file(existing, error))
        throw DbError(what, 0,
                      target + " is not a regular file (a folder, a device...); nothing was replaced", "");
    refuseJournalBeside(existing, what);
    struct stat old {};
    if (::stat(existing.c_str(), &old) != 0)
        throw DbError(what, 0, "cannot read " + target + ": " + std::generic_category().message(errno), "");
    // The copy is made beside the file and renamed over it once complete, so a failed copy leaves the file as
    // it was.
    std::string name = existing.string() + ".tarvenish-backup-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        throw DbError(what, 0,
                      "cannot create a file beside " + existing.string() + ": " +
                          std::generic_category().message(errno),
                      "");
    // The replacement keeps the permissions of the file it replaces (the new file is the owner's alone).
    (void)::fchmod(fd, old.st_mode & 07777);
    MadeFile file(name, fd, what);
    copyDatabase(source, name, what);
    if (::rename(name.c_str(), existing.c_str()) != 0)
        throw DbError(what, 0,
                      "cannot replace " + existing.string() + ": " + std::generic_category().message(errno),
                      "");
    file.keep();
}

}  // namespace

void backupSqliteFile(const std::string& source, const std::string& target, ExistingBackup existing) {
    const std::string what = "copy the account set " + source + " to " + target;
    std::error_code ignored;
    // The copy would be written over the set it copies.
    if (std::filesystem::equivalent(source, target, ignored))
        throw DbError(what, 0, "the copy would be the account set itself", "");
    const bool there = std::filesystem::exists(std::filesystem::symlink_status(target, ignored));
    if (there && existing == ExistingBackup::Refuse)
        throw DbError(what, 0, target + " exists already; nothing was replaced", "");
    if (there) {
        backupOverFile(source, target, what);
        return;
    }
    refuseJournalBeside(target, what);
    backupIntoNewFile(source, target, what);
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
        copyDatabase(source, m_path, "make a snapshot of " + source);
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
