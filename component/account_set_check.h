#pragma once
// What makes a connection unfit to be an account set, in the words both front ends give: a folder or a
// missing file where the set should be, a connection that cannot be opened, a database without the host's
// tables, a server that would be sent texts of the dialect it does not take.

#include <exception>
#include <string>
#include <string_view>

#include "ledger/sql/dialect.h"

namespace tarvenish {

class Connection;

// Why the SQLite file that `connectionString` names cannot be an account set (a folder, no file at all);
// empty when it is a file or the string names no file (an ODBC source, a URI, an in-memory database, a
// string that cannot be read). Never creates anything.
[[nodiscard]] std::string accountSetFileProblem(std::string_view connectionString);

// Why `connectionString` could not be opened, as `error` says, with any password hidden.
[[nodiscard]] std::string openFailureMessage(std::string_view connectionString, const std::exception& error);

// Why the open `connection` is not an account set: the first of the host's tables it lacks; empty when it
// has them all. Its probes pass by this thread's statement hooks: they are no statement of a run's. Throws
// DbError only when the connection is closed.
[[nodiscard]] std::string missingHostTable(Connection& connection);

// Why `connection`, open on a database server, may not be sent what `dialects` would send it: a server takes
// its own dialect's texts only, and any stage in the desktop dialect would fail on it part-way through. Empty
// when it may, or when the connection is closed. Sends nothing.
[[nodiscard]] std::string dialectRefusal(DialectChoice dialects, Connection& connection);

}  // namespace tarvenish
