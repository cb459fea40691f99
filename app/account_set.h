#pragma once
// Opening the account set that the command works on, with errors people can act on.

#include <stdexcept>
#include <string>

#include "ledger/db/connection.h"

namespace tarvenish::app {

// A usage or connection error: the command exits 2 with its message.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The connection string of the account set named by a file path (--db) or a connection string
// (--connection, else the environment's TARVENISH_CONNECTION). Throws UsageError unless exactly one names it.
[[nodiscard]] std::string accountSetConnectionString(const std::string& path,
                                                     const std::string& connectionString);

// Opens that account set. A missing file, a folder, a file that is not a database, or a database without the
// host's tables is a UsageError (component/account_set_check.h words it); nothing is ever created.
[[nodiscard]] ConnectionPtr openAccountSet(const std::string& path, const std::string& connectionString);

}  // namespace tarvenish::app
