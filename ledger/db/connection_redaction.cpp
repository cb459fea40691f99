#include "ledger/db/connection_redaction.h"

#include "base/ascii_text.h"

namespace tarvenish {

namespace {

constexpr std::string_view kHidden = "*****";

bool isSecretKey(std::string_view key) {
    key = trimmed(key);
    return equalsNoCase(key, "pwd") || equalsNoCase(key, "password");
}

// The end of the value that starts at `pos`: after its closing brace or quote, or at the next ';'. A value
// that is never closed runs to the end, so that a broken string still hides its password.
std::size_t valueEnd(std::string_view text, std::size_t pos) {
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    if (pos < text.size() && (text[pos] == '{' || text[pos] == '"' || text[pos] == '\'')) {
        const char close = text[pos] == '{' ? '}' : text[pos];
        for (++pos; pos < text.size(); ++pos) {
            if (text[pos] != close) continue;
            if (pos + 1 < text.size() && text[pos + 1] == close) {
                ++pos;
                continue;
            }
            ++pos;
            break;
        }
    }
    const std::size_t semicolon = text.find(';', pos);
    return semicolon == std::string_view::npos ? text.size() : semicolon;
}

}  // namespace

std::string redactedConnectionString(std::string_view text) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t equals = text.find('=', pos);
        const std::size_t semicolon = text.find(';', pos);
        if (equals == std::string_view::npos || (semicolon != std::string_view::npos && semicolon < equals)) {
            // not a key=value pair: kept as it is up to the next ';'
            const std::size_t end = semicolon == std::string_view::npos ? text.size() : semicolon + 1;
            out += text.substr(pos, end - pos);
            pos = end;
            continue;
        }
        const std::size_t end = valueEnd(text, equals + 1);
        out += text.substr(pos, equals + 1 - pos);
        if (isSecretKey(text.substr(pos, equals - pos)))
            out += kHidden;
        else
            out += text.substr(equals + 1, end - equals - 1);
        pos = end;
        if (pos < text.size()) {
            out += ';';
            ++pos;
        }
    }
    return out;
}

}  // namespace tarvenish
