#include "app/statement_logging.h"

#include "component/output_paths.h"

namespace tarvenish::app {

StatementLogging::StatementLogging(const std::optional<std::string>& path,
                                   std::string_view connectionString) {
    if (!path) return;
    refuseUnsafeOutputs(connectionString, {.log = NamedOutput{"--log", *path}});
    m_log.emplace(*path);
    EngineHooks hooks = engineHooks();
    auto before = std::move(hooks.beforeStatement);
    hooks.beforeStatement = [this, before = std::move(before)](std::string_view statement) {
        m_log->statement(statement);
        if (before) before(statement);
    };
    m_hooks.emplace(std::move(hooks));
}

std::string StatementLogging::finish() {
    m_hooks.reset();
    if (!m_log || m_log->finish()) return {};
    return "the statement log is incomplete: " + m_log->error();
}

}  // namespace tarvenish::app
