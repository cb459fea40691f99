#pragma once
// The count of live objects and server locks that decides whether the library may be unloaded.

#include <cstdint>

namespace tarvenish {

// Counts one live object of the server for as long as it exists.
class LiveObject final {
public:
    LiveObject() noexcept;
    ~LiveObject();
    LiveObject(const LiveObject&) = delete;
    LiveObject& operator=(const LiveObject&) = delete;
};

// Adds a server lock (lock true) or removes one; false when removing a lock that was never added.
[[nodiscard]] bool lockServer(bool lock) noexcept;
// True when no object is alive and no lock is held.
[[nodiscard]] bool canUnloadServer() noexcept;
// The number of live objects, for diagnostics.
[[nodiscard]] std::int64_t liveObjectCount() noexcept;

}  // namespace tarvenish
