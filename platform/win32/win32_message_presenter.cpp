#include "platform/win32/win32_message_presenter.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "base/utf16_win32.h"
#include "component/message_resource.h"
#include "component/messages.h"

namespace tarvenish {

namespace {

// The message resource's own title; none when the resource cannot be read.
std::string titleOf(std::string_view title) {
    if (!title.empty()) return std::string(title);
    try {
        return messageText(msg::kBoxTitle);
    } catch (const std::exception&) {
        return {};
    }
}

// Adds a visible group box among a window's children to the rectangle `found` points to.
BOOL CALLBACK addFrame(HWND child, LPARAM found) {
    wchar_t name[16] = {};
    const LONG style = ::GetWindowLongW(child, GWL_STYLE);
    if (::GetClassNameW(child, name, 16) > 0 && ::lstrcmpiW(name, L"Button") == 0 &&
        (style & BS_TYPEMASK) == BS_GROUPBOX && ::IsWindowVisible(child)) {
        RECT at{};
        ::GetWindowRect(child, &at);
        auto* all = reinterpret_cast<RECT*>(found);
        ::UnionRect(all, all, &at);
    }
    return TRUE;
}

// Moves a box, once it is placed over its owner, off the owner's group boxes (the ledger frame of the
// adjustment dialog): to their right, or to their left when the screen has no room there.
void keepOffFrames(HWND box, HWND owner) {
    RECT frames{};
    ::EnumChildWindows(owner, addFrame, reinterpret_cast<LPARAM>(&frames));
    RECT at{};
    RECT overlap{};
    if (::IsRectEmpty(&frames) || !::GetWindowRect(box, &at) || !::IntersectRect(&overlap, &at, &frames))
        return;
    constexpr int kGap = 8;
    const int width = at.right - at.left;
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    ::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &screen);
    int left = frames.right + kGap;
    if (left + width > screen.rcWork.right) left = frames.left - kGap - width;
    ::SetWindowPos(box, nullptr, left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// While a box is up on this thread: a hook sees the box activated and moves it. A hook procedure has no
// data of its own, so the box's owner waits in a variable of the thread for as long as the box is shown.
class FrameKeeper final {
public:
    explicit FrameKeeper(HWND owner) : m_owner(owner), m_outer(t_current) {
        if (owner == nullptr) return;
        m_hook = ::SetWindowsHookExW(WH_CBT, onEvent, nullptr, ::GetCurrentThreadId());
        t_current = this;
    }
    ~FrameKeeper() {
        if (m_hook != nullptr) ::UnhookWindowsHookEx(m_hook);
        if (m_owner != nullptr) t_current = m_outer;
    }
    FrameKeeper(const FrameKeeper&) = delete;
    FrameKeeper& operator=(const FrameKeeper&) = delete;

private:
    static LRESULT CALLBACK onEvent(int code, WPARAM wParam, LPARAM lParam) {
        const FrameKeeper* keeper = t_current;
        if (code == HCBT_ACTIVATE && keeper != nullptr) {
            const auto box = reinterpret_cast<HWND>(wParam);
            if (box != keeper->m_owner && ::GetWindow(box, GW_OWNER) == keeper->m_owner)
                keepOffFrames(box, keeper->m_owner);
        }
        return ::CallNextHookEx(keeper != nullptr ? keeper->m_hook : nullptr, code, wParam, lParam);
    }

    static thread_local FrameKeeper* t_current;
    HWND m_owner;
    FrameKeeper* m_outer;
    HHOOK m_hook = nullptr;
};

thread_local FrameKeeper* FrameKeeper::t_current = nullptr;

}  // namespace

int Win32MessagePresenter::show(std::string_view prompt, int style, std::string_view title) {
    const std::wstring text = utf16(prompt);
    const std::wstring caption = utf16(titleOf(title));
    MSGBOXPARAMSW box{};
    box.cbSize = sizeof box;
    box.hwndOwner = ::GetActiveWindow();
    box.hInstance = nullptr;
    box.lpszText = text.c_str();
    box.lpszCaption = caption.c_str();
    // The resource's styles are the box styles of the Windows API: buttons in the low digit, icon in the
    // sixteens.
    box.dwStyle =
        static_cast<DWORD>(style & 0x7F) | MB_SETFOREGROUND | (box.hwndOwner == nullptr ? MB_TASKMODAL : 0);
    box.dwLanguageId = messageLanguage() == MessageLanguage::Chinese
                           ? MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)
                           : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const FrameKeeper keepingOff(box.hwndOwner);
    const int chosen = ::MessageBoxIndirectW(&box);
    if (chosen == 0) throw std::runtime_error("the message box cannot be shown: " + std::string(prompt));
    return chosen;
}

}  // namespace tarvenish
