#pragma once
// Whether the library can show a window to a person on the calling thread under Windows.

namespace tarvenish {

// True when the process's window station is visible (an interactive desktop), the calling thread is a
// single-threaded apartment (whose message queue its host pumps) and the desktop takes a window. Never
// throws.
[[nodiscard]] bool desktopWindowsOnThisThread() noexcept;

}  // namespace tarvenish
