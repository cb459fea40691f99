#include "ledger/db/busy_timeout.h"

#include <atomic>

namespace tarvenish {
namespace {
std::atomic<long long> g_busyTimeoutMs{kDefaultBusyTimeout.count()};
}  // namespace

void setBusyTimeout(std::chrono::milliseconds timeout) noexcept {
    g_busyTimeoutMs.store(timeout.count() < 0 ? 0 : timeout.count(), std::memory_order_relaxed);
}

std::chrono::milliseconds busyTimeout() noexcept {
    return std::chrono::milliseconds{g_busyTimeoutMs.load(std::memory_order_relaxed)};
}

}  // namespace tarvenish
