#include "app/account_set.h"

#include <cstdlib>

#include "component/account_set_check.h"
#include "ledger/db/error.h"

namespace tarvenish::app {

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
    if (std::string problem = accountSetFileProblem(text); !problem.empty()) throw UsageError(problem);
    ConnectionPtr connection;
    try {
        connection = Connection::open(text);
    } catch (const DbError& error) {
        throw UsageError(openFailureMessage(text, error));
    }
    if (std::string problem = missingHostTable(*connection); !problem.empty()) throw UsageError(problem);
    return connection;
}

}  // namespace tarvenish::app
