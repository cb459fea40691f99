#pragma once
// Whether a window can be shown: the one answer both the command and the library go by.

namespace tarvenish {

// True when DISPLAY or WAYLAND_DISPLAY names a display that can be reached. A local display counts only when
// its socket exists (a named display that is gone would end the process inside the window toolkit); a display
// on another host is trusted as named.
[[nodiscard]] bool displayReachable();

}  // namespace tarvenish
