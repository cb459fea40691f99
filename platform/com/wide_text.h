#pragma once
// UTF-8, the core's text, and UTF-16, Windows' and automation's.

// <windows.h> comes before the other Windows headers, which need its types.
#include <windows.h>

#include <oleauto.h>

#include "base/utf16_win32.h"

#include <string>
#include <string_view>

namespace tarvenish {

// A new automation string holding `text`, owned by the caller; null when out of memory.
[[nodiscard]] BSTR newBstr(std::string_view text) noexcept;
// The text of an automation string (a null one is empty).
[[nodiscard]] std::string utf8(BSTR text);

}  // namespace tarvenish
