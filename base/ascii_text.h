#pragma once
// Names in statements, tables and dispatch calls match without regard to the case of ASCII letters; other
// characters (the UTF-8 of a Chinese name, say) must match exactly.

#include <cstddef>
#include <string_view>

namespace tarvenish {

[[nodiscard]] constexpr char lowerAscii(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

[[nodiscard]] constexpr bool equalsNoCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

}  // namespace tarvenish
