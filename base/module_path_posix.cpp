#include "base/module_path.h"

#include <dlfcn.h>

#include <system_error>

namespace tarvenish {

std::filesystem::path modulePathOf(const void* anchor) {
    Dl_info info{};
    if (::dladdr(anchor, &info) == 0 || info.dli_fname == nullptr) return {};
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::filesystem::path() : path;
}

std::filesystem::path executablePath() {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : path;
}

}  // namespace tarvenish
