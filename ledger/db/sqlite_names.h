#pragma once
// Table and column names as SQLite statements need them.

#include <string>
#include <string_view>

namespace tarvenish {

// A name without the brackets, double quotes or backticks around it.
[[nodiscard]] inline std::string_view unquotedName(std::string_view name) {
    if (name.size() >= 2 &&
        ((name.front() == '[' && name.back() == ']') || (name.front() == '"' && name.back() == '"') ||
         (name.front() == '`' && name.back() == '`')))
        return name.substr(1, name.size() - 2);
    return name;
}

// A name in double quotes, its own double quotes doubled: any name, a keyword included, reads as a name.
[[nodiscard]] inline std::string quotedName(std::string_view name) {
    std::string out = "\"";
    for (const char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

// A text in apostrophes, its own apostrophes doubled: a name compared as a value (of sqlite_master, say).
[[nodiscard]] inline std::string quotedText(std::string_view text) {
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + '\'';
}

}  // namespace tarvenish
