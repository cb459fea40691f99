#include "base/system_text.h"
#include "base/utf16_win32.h"

#include <windows.h>

#include <cstdlib>
#include <cwchar>

namespace tarvenish {
std::wstring utf16(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string utf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), bytes, nullptr, nullptr);
    return text;
}

std::optional<std::string> environmentVariable(const char* name) {
    const wchar_t* value = ::_wgetenv(utf16(name).c_str());
    if (value == nullptr) return std::nullopt;
    return utf8(value);
}

std::string machineName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (::GetComputerNameW(name, &size) == 0) return {};
    return utf8(std::wstring(name, size));
}

std::FILE* openForWriting(const std::string& path, bool append) {
    // "N": the handle is not inherited by child processes.
    return ::_wfopen(utf16(path).c_str(), append ? L"abN" : L"wbN");
}

}  // namespace tarvenish
