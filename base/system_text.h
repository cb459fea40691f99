#pragma once
// What the component asks of the operating system by name, in the core's text (UTF-8) on every platform: an
// environment variable, a file opened for writing, a file-system path. Windows gives these as UTF-16; read
// through its narrow functions they would pass through the system's code page and lose Chinese text.

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarvenish {

// The value of the environment variable `name` in UTF-8; nullopt when it is not set.
[[nodiscard]] std::optional<std::string> environmentVariable(const char* name);

// The machine's name in UTF-8; empty when the system does not give it.
[[nodiscard]] std::string machineName();

// Opens the file at `path` (UTF-8) for writing in binary, from its start (truncated) or at its end, so that
// child processes do not inherit it. Null with errno set when it cannot be opened.
[[nodiscard]] std::FILE* openForWriting(const std::string& path, bool append);

// The path that `text` (UTF-8) names.
[[nodiscard]] inline std::filesystem::path pathOfText(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// `path` in UTF-8.
[[nodiscard]] inline std::string textOfPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace tarvenish
