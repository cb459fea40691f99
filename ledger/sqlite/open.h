#pragma once
// Opening an account-set file: the handle's settings (busy timeout, cache size, the dialect's functions) and
// the journal settings the file asks for.

#include <memory>

#include <sqlite3.h>

#include "ledger/db/engine.h"

namespace tarvenish {

class SqliteDatabase;

// Opens an existing database file (or a SQLite URI); never creates one. Throws DbError naming the file when
// it is missing or is not a database.
[[nodiscard]] std::shared_ptr<SqliteDatabase> openSqliteDatabase(const ConnectionSettings& settings);

// True when the database keeps a write-ahead log.
[[nodiscard]] bool isWriteAheadLog(sqlite3* db);

}  // namespace tarvenish
