#include "component/account_set_check.h"

#include <array>
#include <filesystem>
#include <string>
#include <system_error>

#include "base/ascii_text.h"
#include "ledger/db/connection.h"
#include "ledger/db/connection_redaction.h"
#include "ledger/db/engine.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"
#include "ledger/db/recordset.h"

namespace tarvenish {
namespace {
// The tables every account set has; a database without them is not one.
constexpr std::array<std::string_view, 6> kRequiredTables = {"AccInformation", "IA_Subsidiary", "RdRecord",
                                                             "RdRecords",      "Warehouse",     "Inventory"};
}  // namespace

std::string accountSetFileProblem(std::string_view connectionString) {
    ConnectionSettings settings;
    try {
        settings = parseConnectionString(connectionString);
    } catch (const DbError&) {
        // Opening says what is wrong with the string itself.
        return {};
    }
    const std::string& path = settings.dataSource;
    if (!equalsNoCase(settings.engine, "sqlite") || path.empty() || path == ":memory:" ||
        equalsNoCase(std::string_view(path).substr(0, 5), "file:"))
        return {};
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return path + " names a folder; name the account set's file";
    if (!std::filesystem::is_regular_file(path, error))
        return "no account set at " + path + ": the file does not exist";
    return {};
}

std::string openFailureMessage(std::string_view connectionString, const std::exception& error) {
    return "cannot open the account set " + redactedConnectionString(connectionString) + ": " +
           failureMessage(error);
}

std::string missingHostTable(Connection& connection) {
    const ScopedEngineHooks unobserved(EngineHooks{});
    for (std::string_view table : kRequiredTables) {
        Recordset probe;
        probe.setCursorLocation(CursorLocation::Client);
        try {
            probe.open("select * from " + std::string(table) + " where 1=0", connection,
                       CursorType::ForwardOnly, LockType::ReadOnly, CommandType::Text);
        } catch (const DbError& error) {
            if (connection.state() == 0) throw;
            return "not an account set: table " + std::string(table) + " is missing (" +
                   error.engineMessage() + ")";
        }
    }
    return {};
}

std::string dialectRefusal(DialectChoice dialects, Connection& connection) {
    if (connection.state() == 0) return {};
    const std::optional<Dialect> native = connection.engine().nativeDialect();
    if (native == Dialect::Desktop && dialects.forPairs() == Dialect::Server)
        return "the account set is a desktop database file, which takes the desktop dialect only (AccSql 0), "
               "not AccSql " +
               std::to_string(dialects.hostFlag()) + "; nothing was changed";
    if (!dialects.sendsDesktopForms() || native != Dialect::Server) return {};
    constexpr std::string_view kServer =
        "the account set is on a database server, which takes the server dialect only (AccSql 1), not ";
    if (dialects.forPairs() == Dialect::Desktop)
        return std::string(kServer) + "the desktop dialect (AccSql 0); nothing was changed";
    // A flag the host does not define: the pairs would go in the server dialect, but what prepares and
    // checks the account set in the desktop one.
    return std::string(kServer) + "AccSql " + std::to_string(dialects.hostFlag()) +
           ", which sends the desktop dialect's department fill, issued-quantity pass and checks; "
           "nothing was changed";
}

}  // namespace tarvenish
