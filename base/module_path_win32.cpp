#include "base/module_path.h"

#include <windows.h>

#include <string>

namespace tarvenish {
namespace {

// The full path of `module` (null for the program), however long: the buffer grows until the name fits.
std::filesystem::path moduleFileName(HMODULE module) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer);
        }
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::filesystem::path modulePathOf(const void* anchor) {
    HMODULE module = nullptr;
    // The module stays loaded while its own code asks, so no reference need be taken.
    if (!::GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(anchor), &module))
        return {};
    return moduleFileName(module);
}

std::filesystem::path executablePath() {
    return moduleFileName(nullptr);
}

}  // namespace tarvenish
