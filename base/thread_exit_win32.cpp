#include "base/thread_exit.h"

#include <windows.h>

#include <atomic>
#include <utility>
#include <vector>

namespace tarvenish {
namespace {

std::atomic<bool> g_registered{false};

using Work = std::vector<std::pair<void (*)(void*), void*>>;

// Fiber-local storage's callback runs as the thread ends, before the DLL's thread-local storage goes.
void WINAPI runWork(void* value) {
    auto* work = static_cast<Work*>(value);
    while (work != nullptr && !work->empty()) {
        const auto [cleanup, object] = work->back();
        work->pop_back();
        cleanup(object);
    }
    delete work;
}

DWORD slot() {
    static const DWORD index = ::FlsAlloc(&runWork);
    return index;
}

}  // namespace

void atThreadExit(void (*cleanup)(void*), void* object) {
    auto* work = static_cast<Work*>(::FlsGetValue(slot()));
    if (work == nullptr) {
        work = new Work();
        ::FlsSetValue(slot(), work);
    }
    work->emplace_back(cleanup, object);
    g_registered = true;
}

bool threadExitWorkRegistered() noexcept {
    return g_registered;
}

}  // namespace tarvenish
