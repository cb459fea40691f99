#include "platform/win32/win32_desktop.h"

#include <windows.h>
// COM's apartments, after the types of <windows.h>.
#include <objbase.h>

namespace tarvenish {

bool desktopWindowsOnThisThread() noexcept {
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    if (!::GetUserObjectInformationW(::GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, &needed) ||
        (flags.dwFlags & WSF_VISIBLE) == 0)
        return false;
    // A multithreaded apartment has no message loop of its host's behind it, and a thread outside COM has
    // no host at all: a window there would never be answered.
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    if (FAILED(::CoGetApartmentType(&type, &qualifier)) || (type != APTTYPE_STA && type != APTTYPE_MAINSTA))
        return false;
    // A visible window station may still have no display behind it (Wine without an X server): only a
    // window that can be made shows that one can be shown.
    HWND probe =
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (probe == nullptr) return false;
    ::DestroyWindow(probe);
    return true;
}

}  // namespace tarvenish
