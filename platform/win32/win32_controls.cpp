#include "platform/win32/win32_controls.h"

#include <windows.h>
// The common controls need the types of <windows.h> before them.
#include <commctrl.h>

#include <cstdio>
#include <stdexcept>
#include <utility>

#include "base/utf16_win32.h"
#include "platform/headless/headless_controls.h"
#include "platform/win32/win32_support.h"

namespace tarvenish {

namespace {

constexpr UINT_PTR kEditFilter = 1;

bool refused(wchar_t c) noexcept {
    return c < 0x80 && kRefusedEditCharacters.find(static_cast<char>(c)) != std::string_view::npos;
}

std::wstring withoutRefused(std::wstring text) {
    std::erase_if(text, refused);
    return text;
}

// Typed characters of the refused list never reach the box, nor do they come in with a paste.
LRESULT CALLBACK filterEdit(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_CHAR && refused(static_cast<wchar_t>(wParam))) {
        ::MessageBeep(MB_OK);
        return 0;
    }
    if (message == WM_PASTE) {
        std::wstring pasted;
        if (::OpenClipboard(window)) {
            if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
                if (const auto* text = static_cast<const wchar_t*>(::GlobalLock(data))) {
                    pasted = text;
                    ::GlobalUnlock(data);
                }
            }
            ::CloseClipboard();
        }
        pasted = withoutRefused(std::move(pasted));
        ::SendMessageW(window, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pasted.c_str()));
        return 0;
    }
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, filterEdit, kEditFilter);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

// A caption shown as it is: a static text would take its ampersands for access keys.
constexpr DWORD kPlainStatic = SS_LEFT | SS_NOPREFIX;

}  // namespace

Win32Child::~Win32Child() {
    destroy();
}

void Win32Child::create(HWND parent, const wchar_t* windowClass, unsigned long style,
                        unsigned long extendedStyle, std::string_view text, HFONT font) {
    destroy();
    m_window =
        ::CreateWindowExW(extendedStyle, windowClass, utf16(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0,
                          0, 0, 0, parent, nullptr, win32::moduleInstance(), nullptr);
    if (m_window == nullptr) throw std::runtime_error("a control of the adjustment dialog cannot be created");
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (font != nullptr) ::SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void Win32Child::destroy() noexcept {
    if (m_window == nullptr) return;
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
    if (::IsWindow(m_window)) ::DestroyWindow(m_window);
    m_window = nullptr;
}

void Win32Child::place(int left, int top, int width, int height) noexcept {
    if (m_window != nullptr)
        ::SetWindowPos(m_window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    placed();
}

void Win32Child::notified(unsigned) {}

Win32Child* Win32Child::of(HWND window) noexcept {
    if (window == nullptr) return nullptr;
    return reinterpret_cast<Win32Child*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

std::string Win32Child::windowText(const std::string& cached) const {
    if (m_window == nullptr) return cached;
    const int length = ::GetWindowTextLengthW(m_window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(m_window, text.data(), length + 1)));
    return utf8(text);
}

void Win32Child::setWindowText(std::string_view text) noexcept {
    if (m_window != nullptr) ::SetWindowTextW(m_window, utf16(text).c_str());
}

void Win32Child::focusWindow() noexcept {
    if (m_window != nullptr) ::SetFocus(m_window);
}

bool Win32Child::windowHasFocus() const noexcept {
    return m_window != nullptr && ::GetFocus() == m_window;
}

void Win32Child::raiseGuarded(const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (...) {
        if (m_sink) {
            m_sink(std::current_exception());
            return;
        }
        try {
            throw;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "TARVENISH: an event handler of the adjustment dialog failed: %s\n",
                         e.what());
        } catch (...) {
            std::fprintf(stderr, "TARVENISH: an event handler of the adjustment dialog failed\n");
        }
    }
}

Win32Label::~Win32Label() {
    destroy();
    if (m_fitted != nullptr) ::DeleteObject(m_fitted);
}

void Win32Label::create(HWND parent, HFONT font) {
    m_font = font;
    Win32Child::create(parent, L"STATIC", kPlainStatic, 0, m_caption, font);
    refit();
}

void Win32Label::Caption(std::string_view text) {
    m_caption = text;
    setWindowText(text);
    refit();
}

void Win32Label::fitToWidth(bool on) {
    m_fitting = on;
    refit();
}

void Win32Label::refit() noexcept {
    const HWND window = handle();
    if (!m_fitting || window == nullptr || m_font == nullptr) return;
    RECT room{};
    ::GetClientRect(window, &room);
    const std::wstring text = utf16(m_caption);
    HDC dc = ::GetDC(window);
    const HGDIOBJ before = ::SelectObject(dc, m_font);
    const auto fits = [&](HFONT font) {
        ::SelectObject(dc, font);
        SIZE size{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx <= room.right;
    };
    HFONT chosen = m_font;
    HFONT fitted = nullptr;
    LOGFONTW face{};
    if (!fits(m_font) && ::GetObjectW(m_font, sizeof face, &face) == sizeof face) {
        const int smallest = -::MulDiv(6, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
        for (LONG height = face.lfHeight + 1; height <= smallest; ++height) {
            face.lfHeight = height;
            HFONT smaller = ::CreateFontIndirectW(&face);
            if (smaller == nullptr) break;
            if (fitted != nullptr) ::DeleteObject(fitted);
            fitted = smaller;
            if (fits(smaller)) break;
        }
        if (fitted != nullptr) chosen = fitted;
    }
    ::SelectObject(dc, before);
    ::ReleaseDC(window, dc);
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), TRUE);
    // The font the label showed before goes only once the label no longer draws with it.
    if (m_fitted != nullptr) ::DeleteObject(m_fitted);
    m_fitted = fitted;
}

void Win32Label::Marked(bool marked) {
    KVLabel::Marked(marked);
    if (handle() != nullptr) ::InvalidateRect(handle(), nullptr, TRUE);
}

long Win32Label::textColour() const noexcept {
    return Marked() ? static_cast<long>(RGB(0xC0, 0, 0)) : -1;
}

void Win32Frame::create(HWND parent, HFONT font) {
    Win32Child::create(parent, L"BUTTON", BS_GROUPBOX, 0, m_caption, font);
}

void Win32Frame::Caption(std::string_view text) {
    m_caption = text;
    setWindowText(text);
}

void Win32Edit::create(HWND parent, HFONT font) {
    Win32Child::create(parent, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, m_text, font);
    ::SetWindowSubclass(handle(), filterEdit, kEditFilter, 0);
}

std::string Win32Edit::Text() const {
    m_text = windowText(m_text);
    return m_text;
}

void Win32Edit::Text(std::string_view text) {
    m_text = text;
    setWindowText(text);
}

void Win32CheckBox::create(HWND parent, HFONT font) {
    Win32Child::create(parent, L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0, m_caption, font);
    ::SendMessageW(handle(), BM_SETCHECK, m_value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

int Win32CheckBox::Value() const {
    if (handle() != nullptr) m_value = ::SendMessageW(handle(), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    return m_value;
}

void Win32CheckBox::Value(int value) {
    if (value != 0 && value != 1) throw std::invalid_argument("a check box's value is 0 or 1");
    m_value = value;
    if (handle() != nullptr)
        ::SendMessageW(handle(), BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32CheckBox::userClick() {
    SetFocus();
    Value(Value() == 1 ? 0 : 1);
    if (Click) Click();
}

void Win32CheckBox::notified(unsigned code) {
    if (code != BN_CLICKED) return;
    (void)Value();
    raiseGuarded([this] {
        if (Click) Click();
    });
}

void Win32CommandButton::create(HWND parent, HFONT font) {
    Win32Child::create(parent, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, m_caption, font);
}

void Win32CommandButton::userClick() {
    SetFocus();
    if (Click) Click(m_index);
}

void Win32CommandButton::notified(unsigned code) {
    if (code != BN_CLICKED) return;
    raiseGuarded([this] {
        if (Click) Click(m_index);
    });
}

}  // namespace tarvenish
