#include "automation/server_lifetime.h"

#include <atomic>

namespace tarvenish {

namespace {

std::atomic<std::int64_t> g_objects{0};
std::atomic<std::int64_t> g_locks{0};

}  // namespace

LiveObject::LiveObject() noexcept {
    g_objects.fetch_add(1);
}

LiveObject::~LiveObject() {
    g_objects.fetch_sub(1);
}

bool lockServer(bool lock) noexcept {
    if (lock) {
        g_locks.fetch_add(1);
        return true;
    }
    std::int64_t held = g_locks.load();
    while (held > 0)
        if (g_locks.compare_exchange_weak(held, held - 1)) return true;
    return false;
}

bool canUnloadServer() noexcept {
    return g_objects.load() == 0 && g_locks.load() == 0;
}

std::int64_t liveObjectCount() noexcept {
    return g_objects.load();
}

}  // namespace tarvenish
