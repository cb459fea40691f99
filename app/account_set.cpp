#include "app/account_set.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "ledger/connection_redaction.h"
#include "ledger/db_error.h"
#include "ledger/recordset.h"

namespace tarvenish::app {
namespace {

// The tables every account set has; a database without them is not one.
constexpr std::array<std::string_view, 6> kRequiredTables = {"AccInformation", "IA_Subsidiary", "RdRecord",
                                                             "RdRecords",      "Warehouse",     "Inventory"};

void requireTables(Connection& connection) {
    for (std::string_view table : kRequiredTables) {
        Recordset probe;
        probe.setCursorLocation(CursorLocation::Client);
        try {
            probe.open("select * from " + std::string(table) + " where 1=0", connection,
                       CursorType::ForwardOnly, LockType::ReadOnly, CommandType::Text);
        } catch (const DbError& error) {
            throw UsageError("not an account set: table " + std::string(table) + " is missing (" +
                             error.engineMessage() + ")");
        }
    }
}

}  // namespace

std::string accountSetConnectionString(const std::string& path, const std::string& connectionString) {
    std::string text = connectionString;
    // The environment keeps a password off the command line, where every user of the machine could read it.
    if (path.empty() && text.empty()) {
        const char* fromEnvironment = std::getenv("TARVENISH_CONNECTION");
        if (fromEnvironment != nullptr) text = fromEnvironment;
    }
    if (path.empty() == text.empty())
        throw UsageError(
            "name the account set with either --db PATH or --connection STRING (or set "
            "TARVENISH_CONNECTION)");
    return path.empty() ? text : path;
}

ConnectionPtr openAccountSet(const std::string& path, const std::string& connectionString) {
    const std::string text = accountSetConnectionString(path, connectionString);
    if (!path.empty()) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error))
            throw UsageError("--db " + path + " names a folder; name the account set's file");
        if (!std::filesystem::is_regular_file(path, error))
            throw UsageError("no account set at " + path + ": the file does not exist");
    }
    ConnectionPtr connection;
    try {
        connection = Connection::open(text);
    } catch (const DbError& error) {
        throw UsageError("cannot open the account set " + redactedConnectionString(text) + ": " +
                         error.engineMessage());
    }
    requireTables(*connection);
    return connection;
}

}  // namespace tarvenish::app
