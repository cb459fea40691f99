#include "ledger/db/stop_request.h"

#include <atomic>

namespace tarvenish {
namespace {
// Lock-free, so a signal handler may store to it.
std::atomic<int> g_stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);
}  // namespace

void requestStop(int signal) noexcept {
    int none = 0;
    g_stopSignal.compare_exchange_strong(none, signal, std::memory_order_relaxed);
}

int stopRequested() noexcept {
    return g_stopSignal.load(std::memory_order_relaxed);
}

void clearStopRequest() noexcept {
    g_stopSignal.store(0, std::memory_order_relaxed);
}

}  // namespace tarvenish
