#include "platform/display.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace tarvenish {
namespace {
std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
}  // namespace

bool displayReachable() {
    namespace fs = std::filesystem;
    std::error_code ignored;
    const std::string wayland = environment("WAYLAND_DISPLAY");
    if (!wayland.empty()) {
        const fs::path socket =
            wayland.front() == '/' ? fs::path(wayland) : fs::path(environment("XDG_RUNTIME_DIR")) / wayland;
        if (fs::exists(socket, ignored)) return true;
    }
    const std::string x11 = environment("DISPLAY");
    if (x11.empty()) return false;
    if (x11.front() != ':') return true;
    const std::string number =
        x11.substr(1, x11.find('.') == std::string::npos ? std::string::npos : x11.find('.') - 1);
    return fs::exists("/tmp/.X11-unix/X" + number, ignored);
}

}  // namespace tarvenish
