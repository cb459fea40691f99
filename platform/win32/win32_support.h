#pragma once
// What the Win32 front's files share: this module's instance, window classes registered once per process, and
// GDI objects that delete themselves.

#include <windows.h>

#include <utility>

namespace tarvenish::win32 {

// The instance of the module this code is linked into (the DLL, or a test program).
[[nodiscard]] inline HINSTANCE moduleInstance() noexcept {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&moduleInstance), &module);
    return module;
}

// Registers the window class `name` of this module with `procedure` unless it is registered already. Returns
// false when it cannot be registered.
[[nodiscard]] inline bool registerClass(const wchar_t* name, WNDPROC procedure, UINT style, int background) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExW(moduleInstance(), name, &existing)) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = moduleInstance();
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground =
        background < 0 ? nullptr : reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
    wc.lpszClassName = name;
    return ::RegisterClassExW(&wc) != 0;
}

// A GDI object deleted with its holder.
template <typename Handle>
class GdiObject final {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) noexcept : m_handle(handle) {}
    ~GdiObject() { reset(); }
    GdiObject(GdiObject&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    [[nodiscard]] Handle get() const noexcept { return m_handle; }
    void reset(Handle handle = nullptr) noexcept {
        if (m_handle != nullptr) ::DeleteObject(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = nullptr;
};

// Pixels of `twips` at `dpi` dots per inch (1,440 twips to the inch).
[[nodiscard]] inline int pixels(long twips, int dpi) noexcept {
    return ::MulDiv(static_cast<int>(twips), dpi, 1440);
}
[[nodiscard]] inline long twipsOf(int pixels, int dpi) noexcept {
    return ::MulDiv(pixels, 1440, dpi);
}

}  // namespace tarvenish::win32
