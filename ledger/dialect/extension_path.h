#pragma once
// Where the loadable SQLite extension with the dialect functions lies: installed beside the component.

#include <string>

namespace tarvenish {

// The extension's file name, as the build makes it.
inline constexpr const char* kDialectExtensionName = "tarvenish_sqlite_dialect.so";

// The extension's path: beside the program or library that holds this code, or in the lib folder beside
// its bin folder. Throws DbError naming where it looked when it is nowhere; on Windows, where the component
// carries none, always.
[[nodiscard]] std::string dialectExtensionPath();

}  // namespace tarvenish
