#pragma once
// Names in statements, tables and dispatch calls match without regard to the case of ASCII letters; other
// characters (the UTF-8 of a Chinese name, say) must match exactly. Blanks are the ASCII space, tab and line
// ends: a full-width space belongs to the text.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace tarvenish {

[[nodiscard]] constexpr char lowerAscii(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

[[nodiscard]] constexpr char upperAscii(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

[[nodiscard]] constexpr bool equalsNoCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

// The text with its ASCII letters in lower case.
[[nodiscard]] inline std::string lowerAsciiCopy(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lowerAscii(c);
    return out;
}

// The text with its ASCII letters in upper case.
[[nodiscard]] inline std::string upperAsciiCopy(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = upperAscii(c);
    return out;
}

// True when `word` occurs in `text`, ASCII letters compared without regard to case.
[[nodiscard]] inline bool containsNoCase(std::string_view text, std::string_view word) noexcept {
    return std::search(text.begin(), text.end(), word.begin(), word.end(),
                       [](char a, char b) { return lowerAscii(a) == lowerAscii(b); }) != text.end();
}

// True for a space, a tab, a carriage return or a line feed.
[[nodiscard]] constexpr bool isBlank(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// True when the text is empty or only blanks.
[[nodiscard]] constexpr bool isBlankText(std::string_view text) noexcept {
    return std::all_of(text.begin(), text.end(), [](char c) { return isBlank(c); });
}

// The text without the blanks around it.
[[nodiscard]] constexpr std::string_view trimmed(std::string_view text) noexcept {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace tarvenish
