#pragma once
// A consistent copy of a SQLite account set, taken with SQLite's online backup API while others may read it.

#include <string>
#include <string_view>

namespace tarvenish {

// The SQLite file an account set's connection string names. Throws DbError when the string cannot be read,
// names another engine or an in-memory database: such a set has no file to copy.
[[nodiscard]] std::string sqliteFileOf(std::string_view connectionString);

// What a backup may do with a file already at its path.
enum class ExistingBackup {
    Refuse,       // anything there (a file, a folder, a link, a device) stops the backup
    ReplaceFile,  // a regular file (or a link to one) is replaced whole once the copy is complete
};

// Copies every page of the database file `source` into `target` in one pass, so that the copy is the database
// as one transaction saw it. A new `target` is made exclusively; an existing one is replaced (through a file
// of its own beside it, renamed over it at the end) only as `existing` allows. Throws DbError naming both
// files on failure, having removed only a file it made itself.
void backupSqliteFile(const std::string& source, const std::string& target, ExistingBackup existing);

// A throw-away copy of an account-set file in the temporary directory, removed (with its journal files) when
// the object goes.
class SqliteSnapshot final {
public:
    // Copies `source` as backupSqliteFile does. Throws DbError when the copy cannot be made.
    explicit SqliteSnapshot(const std::string& source);
    ~SqliteSnapshot();
    SqliteSnapshot(const SqliteSnapshot&) = delete;
    SqliteSnapshot& operator=(const SqliteSnapshot&) = delete;

    // The copy's file.
    [[nodiscard]] const std::string& path() const noexcept { return m_path; }

private:
    std::string m_path;
};

}  // namespace tarvenish
