#include "component/run_context.h"

#include <functional>
#include <string_view>
#include <utility>

namespace tarvenish {
namespace {
using Hook = std::function<void(std::string_view)>;

Hook chained(Hook first, Hook then) {
    if (!first) return then;
    if (!then) return first;
    return [first = std::move(first), then = std::move(then)](std::string_view text) {
        first(text);
        then(text);
    };
}

EngineHooks runFirst(const EngineHooks& run, const EngineHooks& thread) {
    return EngineHooks{chained(run.beforeStatement, thread.beforeStatement),
                       chained(run.beforeRowStore, thread.beforeRowStore),
                       chained(run.beforeTableOpen, thread.beforeTableOpen)};
}
}  // namespace

RunHooksInForce::RunHooksInForce(const RunContext& context)
    : m_scoped(runFirst(context.hooks, engineHooks())) {}

}  // namespace tarvenish
