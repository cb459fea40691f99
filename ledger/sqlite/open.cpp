#include "ledger/sqlite/open.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>

#include "base/ascii_text.h"
#include "ledger/db/busy_timeout.h"
#include "ledger/db/error.h"
#include "ledger/dialect/bridge.h"
#include "ledger/sqlite/handle.h"
#include "ledger/sqlite/statement_clock.h"

namespace tarvenish {

namespace {

// Pages this connection keeps in memory (negative: KiB). Two connections to an account set stay well
// inside a small process.
constexpr const char* kCacheSize = "PRAGMA cache_size=-32768";

bool isUri(std::string_view source) {
    return source.size() >= 5 && (source.substr(0, 5) == "file:" || source.substr(0, 5) == "FILE:");
}

// The journal settings of a connection. A rollback journal stays as the file has it, with full syncs:
// the file belongs to the host. In WAL mode a commit is safe with normal syncs (a power cut may lose the
// last commits, never the file's consistency); a run syncs the log once at its end (makeDurable). "Journal
// Mode=WAL" in the connection string lets a host that wants its file in WAL mode say so; that mode stays with
// the file.
void applyJournalSettings(sqlite3* db, const ConnectionSettings& settings, SqliteDatabase& owner,
                          std::string_view operation) {
    for (const auto& [key, value] : settings.others) {
        if (key != "journal mode") continue;
        std::string text = "PRAGMA journal_mode='";
        for (const char c : value) {
            if (c == '\'') text += '\'';
            text += c;
        }
        text += '\'';
        const int rc = sqlite3_exec(db, text.c_str(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) owner.fail(operation, rc, text);
    }
    if (isWriteAheadLog(db)) sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
}

}  // namespace

bool isWriteAheadLog(sqlite3* db) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &raw, nullptr) != SQLITE_OK) return false;
    const StatementPtr statement(raw);
    if (sqlite3_step(statement.get()) != SQLITE_ROW) return false;
    const auto* mode = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
    return mode != nullptr && equalsNoCase(mode, "wal");
}

std::shared_ptr<SqliteDatabase> openSqliteDatabase(const ConnectionSettings& settings) {
    const std::string& source = settings.dataSource;
    const std::string operation = "open database \"" + source + "\"";
    // SQLite would report a missing file only as "unable to open database file"; say what is wrong.
    if (!isUri(source) && source != ":memory:" && !std::filesystem::exists(source))
        throw DbError(operation, SQLITE_CANTOPEN, "the file does not exist", {});
    sqlite3* raw = nullptr;
    // One thread at a time uses a connection (the dispatch surface refuses calls from other threads), so
    // the connection goes without the mutex SQLite would otherwise take on every call.
    const int rc = sqlite3_open_v2(source.c_str(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    auto db = std::make_shared<SqliteDatabase>(raw);
    if (rc != SQLITE_OK) db->fail(operation, rc, {});
    sqlite3_extended_result_codes(raw, 0);
    const auto timeout = std::clamp<long long>(busyTimeout().count(), 0, std::numeric_limits<int>::max());
    sqlite3_busy_timeout(raw, static_cast<int>(timeout));
    // Opening is lazy: reading the schema is what finds a file that is not a database.
    const int check = sqlite3_exec(raw, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    if (check != SQLITE_OK) db->fail(operation, check, {});
    const int functions = registerDialectFunctions(raw);
    if (functions != SQLITE_OK) db->fail(operation, functions, {});
    sqlite3_exec(raw, kCacheSize, nullptr, nullptr, nullptr);
    applyJournalSettings(raw, settings, *db, operation);
    watchStatementTime(raw);
    return db;
}

}  // namespace tarvenish
