#include "ledger/db/engine_hooks.h"

#include <utility>

namespace tarvenish {

EngineHooks& engineHooks() {
    thread_local EngineHooks hooks;
    return hooks;
}

ScopedEngineHooks::ScopedEngineHooks(EngineHooks hooks)
    : m_previous(std::exchange(engineHooks(), std::move(hooks))) {}

ScopedEngineHooks::~ScopedEngineHooks() {
    engineHooks() = std::move(m_previous);
}

}  // namespace tarvenish
