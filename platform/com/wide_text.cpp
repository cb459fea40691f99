#include "platform/com/wide_text.h"

namespace tarvenish {

std::string utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                            0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), bytes, nullptr,
                          nullptr);
    return out;
}

std::wstring utf16(std::string_view text) {
    if (text.empty()) return {};
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
    return out;
}

BSTR newBstr(std::string_view text) noexcept {
    try {
        const std::wstring wide = utf16(text);
        return ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    } catch (...) {
        return nullptr;
    }
}

std::string utf8(BSTR text) {
    return text == nullptr ? std::string() : utf8(std::wstring_view(text, ::SysStringLen(text)));
}

}  // namespace tarvenish
