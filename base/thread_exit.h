#pragma once
// Work done when a thread ends, for the records the component keeps per host thread. A record is reached
// through a plain thread_local pointer and destroyed from here: a Windows DLL's thread_local objects with
// destructors are torn down after their storage is already freed.

namespace tarvenish {

// Calls `cleanup(object)` once when the calling thread ends, the last registered first. Never throws but
// std::bad_alloc.
void atThreadExit(void (*cleanup)(void*), void* object);

// True once any thread has registered work: a library whose code that work runs may not be unloaded.
[[nodiscard]] bool threadExitWorkRegistered() noexcept;

// The calling thread's record of type T, made on first use and destroyed when the thread ends.
template <typename T>
T& threadRecord() {
    thread_local T* record = nullptr;
    if (record == nullptr) {
        T* made = new T();
        atThreadExit(
            [](void* object) {
                // Another record's end may still ask for this one: it then gets a new one, never a freed one.
                record = nullptr;
                delete static_cast<T*>(object);
            },
            made);
        record = made;
    }
    return *record;
}

}  // namespace tarvenish
