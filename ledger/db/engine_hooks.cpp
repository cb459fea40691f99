#include "ledger/db/engine_hooks.h"

#include <utility>

#include "base/thread_exit.h"

namespace tarvenish {

EngineHooks& engineHooks() {
    return threadRecord<EngineHooks>();
}

ScopedEngineHooks::ScopedEngineHooks(EngineHooks hooks)
    : m_previous(std::exchange(engineHooks(), std::move(hooks))) {}

ScopedEngineHooks::~ScopedEngineHooks() {
    engineHooks() = std::move(m_previous);
}

}  // namespace tarvenish
