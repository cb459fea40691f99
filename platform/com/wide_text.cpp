#include "platform/com/wide_text.h"

namespace tarvenish {

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
