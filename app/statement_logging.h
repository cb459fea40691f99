#pragma once
// The --log of the commands besides run: every statement sent, appended one per line exactly as built.

#include <optional>
#include <string>
#include <string_view>

#include "component/statement_log.h"
#include "ledger/db/engine_hooks.h"

namespace tarvenish::app {

class StatementLogging final {
public:
    // Opens `path` for appending (nothing when absent) and logs this thread's statements while it lives.
    // Throws OutputRefused when the path is empty or names the account set `connectionString` reaches or one
    // of its side files, std::runtime_error naming the file when it cannot be opened.
    StatementLogging(const std::optional<std::string>& path, std::string_view connectionString);
    StatementLogging(const StatementLogging&) = delete;
    StatementLogging& operator=(const StatementLogging&) = delete;

    // Stops logging and closes the file: empty when every line arrived, else what failed.
    [[nodiscard]] std::string finish();

private:
    std::optional<StatementLog> m_log;
    std::optional<ScopedEngineHooks> m_hooks;
};

}  // namespace tarvenish::app
