#include "base/thread_exit.h"

#include <atomic>
#include <utility>
#include <vector>

namespace tarvenish {
namespace {

std::atomic<bool> g_registered{false};

struct ThreadExitWork {
    std::vector<std::pair<void (*)(void*), void*>> work;
    ~ThreadExitWork() {
        while (!work.empty()) {
            const auto [cleanup, object] = work.back();
            work.pop_back();
            cleanup(object);
        }
    }
};

}  // namespace

void atThreadExit(void (*cleanup)(void*), void* object) {
    thread_local ThreadExitWork work;
    work.work.emplace_back(cleanup, object);
    g_registered = true;
}

bool threadExitWorkRegistered() noexcept {
    return g_registered;
}

}  // namespace tarvenish
