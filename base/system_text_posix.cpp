#include "base/system_text.h"

#include <unistd.h>

#include <array>
#include <cstdlib>

namespace tarvenish {

std::optional<std::string> environmentVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

std::string machineName() {
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0) return {};
    return std::string(name.data());
}

std::FILE* openForWriting(const std::string& path, bool append) {
    // "e": the descriptor closes on exec.
    return std::fopen(path.c_str(), append ? "ae" : "we");
}

}  // namespace tarvenish
