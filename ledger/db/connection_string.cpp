#include <algorithm>
#include <utility>

#include "base/ascii_text.h"
#include "ledger/db/engine.h"
#include "ledger/db/error.h"

namespace tarvenish {

namespace {

constexpr std::string_view kOperation = "read connection string";

[[noreturn]] void fail(std::string message) {
    throw DbError(std::string(kOperation), 0, std::move(message), {});
}

// Reads one value up to the next ';'. A value in double or single quotes may hold ';' and doubles its quote.
std::string readValue(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    // An ODBC value in braces may hold ';' and doubles its closing brace.
    if (pos < text.size() && text[pos] == '{') {
        std::string value;
        for (++pos;; ++pos) {
            if (pos >= text.size()) fail("a value in braces is not closed");
            if (text[pos] == '}') {
                if (pos + 1 < text.size() && text[pos + 1] == '}') {
                    value += '}';
                    ++pos;
                    continue;
                }
                break;
            }
            value += text[pos];
        }
        const std::size_t end = std::min(text.find(';', pos), text.size());
        pos = end < text.size() ? end + 1 : end;
        return value;
    }
    if (pos < text.size() && (text[pos] == '"' || text[pos] == '\'')) {
        const char quote = text[pos++];
        std::string value;
        for (;;) {
            if (pos >= text.size()) fail("a quoted value is not closed");
            if (text[pos] == quote) {
                if (pos + 1 < text.size() && text[pos + 1] == quote) {
                    value += quote;
                    pos += 2;
                    continue;
                }
                ++pos;
                break;
            }
            value += text[pos++];
        }
        while (pos < text.size() && isBlank(text[pos])) ++pos;
        if (pos < text.size() && text[pos] != ';') fail("text follows the quoted value \"" + value + "\"");
        if (pos < text.size()) ++pos;
        return value;
    }
    const std::size_t end = std::min(text.find(';', pos), text.size());
    std::string value(trimmed(text.substr(pos, end - pos)));
    pos = end < text.size() ? end + 1 : end;
    return value;
}

}  // namespace

bool switchedOff(const ConnectionSettings& settings, std::string_view key) noexcept {
    for (const auto& [name, value] : settings.others) {
        if (name != key) continue;
        for (const std::string_view off : {"off", "no", "0", "false"})
            if (equalsNoCase(value, off)) return true;
    }
    return false;
}

ConnectionSettings parseConnectionString(std::string_view text) {
    text = trimmed(text);
    if (text.empty()) fail("the connection string is empty");
    ConnectionSettings settings;
    // A SQLite URI carries '=' in its query part, so it is taken whole like any other bare path.
    if (text.find('=') == std::string_view::npos || lowerAsciiCopy(text.substr(0, 5)) == "file:") {
        settings.dataSource = std::string(text);
        return settings;
    }
    std::string engine;
    std::string provider;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == ';' || isBlank(text[pos])) {
            ++pos;
            continue;
        }
        const std::size_t equals = text.find('=', pos);
        const std::size_t semicolon = text.find(';', pos);
        if (equals == std::string_view::npos || (semicolon != std::string_view::npos && semicolon < equals))
            fail("\"" + std::string(trimmed(text.substr(pos, semicolon - pos))) +
                 "\" is not a key=value pair");
        const std::string key = lowerAsciiCopy(trimmed(text.substr(pos, equals - pos)));
        if (key.empty()) fail("a value has no key");
        pos = equals + 1;
        std::string value = readValue(text, pos);
        if (key == "data source")
            settings.dataSource = std::move(value);
        else if (key == "engine")
            engine = std::move(value);
        else if (key == "provider")
            provider = std::move(value);
        else
            settings.others.emplace_back(key, std::move(value));
    }
    const bool namesOdbcSource =
        std::any_of(settings.others.begin(), settings.others.end(),
                    [](const auto& pair) { return pair.first == "driver" || pair.first == "dsn"; });
    if (!engine.empty())
        settings.engine = std::move(engine);
    else if (!provider.empty())
        settings.engine = std::move(provider);
    else if (namesOdbcSource)
        settings.engine = "odbc";
    // An ODBC data source is named by its driver or DSN; the driver reads the rest.
    if (settings.dataSource.empty() && !equalsNoCase(settings.engine, "odbc"))
        fail("the connection string names no Data Source");
    return settings;
}

}  // namespace tarvenish
