#pragma once
// Runs a host program (one that loads the component library as a host does) as a process, as the end-to-end
// tests of the command run the command.

#include <string>
#include <vector>

#include "command_support.h"

namespace tarvenish::test {

// Runs `program` with `args` and waits for it; stdin is empty and DISPLAY and WAYLAND_DISPLAY are removed.
// `environment` adds "NAME=value" entries, or removes NAME when given without '='. Throws std::runtime_error
// when the program cannot be started.
[[nodiscard]] CommandResult runHost(const std::string& program, const std::vector<std::string>& args,
                                    const std::vector<std::string>& environment = {});

}  // namespace tarvenish::test
