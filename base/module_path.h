#pragma once
// Where this process's code lies on the disk: the module (program or library) that holds a given function,
// and the running program, as the loader found them.

#include <filesystem>

namespace tarvenish {

// The absolute path of the module (the program, or the shared library or DLL) that holds `anchor`, a
// function or object of that module; empty when the loader cannot tell. Never throws but std::bad_alloc.
[[nodiscard]] std::filesystem::path modulePathOf(const void* anchor);

// The absolute path of the running program; empty when it cannot be told. Never throws but std::bad_alloc.
[[nodiscard]] std::filesystem::path executablePath();

}  // namespace tarvenish
