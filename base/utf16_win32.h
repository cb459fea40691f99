#pragma once
// UTF-8, the core's text, and UTF-16, the text of Windows' wide functions. Windows only: the functions are
// defined in system_text_win32.cpp, and only the Windows files of the tree include this header.

#include <string>
#include <string_view>

namespace tarvenish {

// `text` in UTF-16. Never throws but std::bad_alloc.
[[nodiscard]] std::wstring utf16(std::string_view text);
// `text` in UTF-8. Never throws but std::bad_alloc.
[[nodiscard]] std::string utf8(std::wstring_view text);

}  // namespace tarvenish
