#pragma once
// The exclusive run lock of an account set: two runs on one set would share the temporary column and leave
// wrong totals. On a SQLite file it is an advisory lock on a file beside the database, never on the database
// file itself (closing any handle on that file would drop SQLite's own locks), also when the file is reached
// through ODBC; on a database server it is the server's application lock, held by a connection of its own.
// Either dies with its process.

#include <memory>
#include <string>
#include <string_view>

#include "ledger/db/lock_file.h"

namespace tarvenish {

class ServerRunLock;

// What the lock is taken for: a run changes the set; a reader (verify, history, a dry run) only must not
// see a run half done.
enum class RunLockUse {
    Change,
    Read,
};

enum class RunLockStatus {
    Held,         // this object holds the lock until it is destroyed
    NotNeeded,    // nothing to lock: an in-memory database, or an engine without a file
    Busy,         // another run (in this or another process) holds it
    Unavailable,  // the lock file cannot be made or locked: the set cannot be used for a run
};

class RunLock final {
public:
    // Tries once, without waiting, to take the run lock of the account set that `connectionString` names.
    // Never throws: a failure is a status with a message. A reader on a file system it cannot write to
    // shares an existing lock file (a run holding it is still seen) and needs none where there is none
    // (no run can hold what nobody could make).
    explicit RunLock(std::string_view connectionString, RunLockUse use = RunLockUse::Change) noexcept;
    // Releases the lock and removes the lock file while still holding it.
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    [[nodiscard]] RunLockStatus status() const noexcept { return m_status; }
    // True when a run may go ahead (the lock is held or none is needed).
    [[nodiscard]] bool allowsRun() const noexcept {
        return m_status == RunLockStatus::Held || m_status == RunLockStatus::NotNeeded;
    }
    // The lock file, empty when none is needed or the server holds the lock.
    [[nodiscard]] const std::string& path() const noexcept { return m_path; }
    // Why the run may not go ahead, naming the lock file; empty when it may.
    [[nodiscard]] const std::string& problem() const noexcept { return m_problem; }

    // The lock file of an account set: its database file's path with ".tarvenish-lock" appended; empty for
    // an in-memory database or an empty connection string. Throws DbError when the connection string cannot
    // be read.
    [[nodiscard]] static std::string lockFilePath(std::string_view connectionString);
    // The lock file of the SQLite database `file`, however it is spelled.
    [[nodiscard]] static std::string lockFileOf(const std::string& file);
    // The SQLite file an account set's connection string names: its data source (a URI read as SQLite reads
    // it) or an ODBC string's Database=; empty for an in-memory database, a DSN alone or an empty string.
    // Throws DbError when the connection string cannot be read.
    [[nodiscard]] static std::string databaseFilePath(std::string_view connectionString);

private:
    void take();
    // A reader's lock where no lock file can be made: shares the existing one, or needs none.
    void shareWithoutWriting(const std::string& createError);
    // Locks the open lock file, exclusive or shared, without waiting; else closes it, says why and is false.
    [[nodiscard]] bool lockOrGiveUp(bool exclusive);
    // Connects to an ODBC data source to learn what holds its lock, and takes that.
    void takeThroughOdbc(std::string_view connectionString);

    RunLockStatus m_status = RunLockStatus::NotNeeded;
    std::string m_path;
    std::string m_problem;
    RunLockUse m_use = RunLockUse::Change;
    LockFile m_file;
    // Held shared on a file this object did not make and may not remove.
    bool m_shared = false;
    std::unique_ptr<ServerRunLock> m_serverLock;
};

}  // namespace tarvenish
