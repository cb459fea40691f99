// The embedded engine's file copies and clock where the build carries no SQLite library: the account set is
// reached through ODBC only, so there is no file of its own to copy and no SQLite time to count.

#include "ledger/db/error.h"
#include "ledger/sqlite/backup.h"
#include "ledger/sqlite/statement_clock.h"

namespace tarvenish {
namespace {

[[noreturn]] void noEmbeddedEngine() {
    throw DbError(
        "copy the account set", 0,
        "the account set is reached through ODBC, and this build has no SQLite of its own to copy it "
        "with",
        "");
}

}  // namespace

std::string sqliteFileOf(std::string_view) {
    noEmbeddedEngine();
}

void backupSqliteFile(const std::string&, const std::string&, ExistingBackup) {
    noEmbeddedEngine();
}

SqliteSnapshot::SqliteSnapshot(const std::string&) {
    noEmbeddedEngine();
}

SqliteSnapshot::~SqliteSnapshot() = default;

void watchStatementTime(sqlite3*) noexcept {}

double sqliteStatementSeconds() noexcept {
    return 0.0;
}

}  // namespace tarvenish
