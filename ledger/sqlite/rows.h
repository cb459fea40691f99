#pragma once
// Reading a prepared statement's columns and rows into a client-side result.

#include "ledger/db/engine.h"

struct sqlite3_stmt;

namespace tarvenish {

// Reads the columns and every row of a statement whose first step answered `rc`; returns the last step's
// answer. The columns are read after the first step: a statement prepared afresh for a changed schema has its
// new ones.
[[nodiscard]] int readRows(sqlite3_stmt* statement, int rc, QueryResult& out);

}  // namespace tarvenish
