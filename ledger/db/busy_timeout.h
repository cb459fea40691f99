#pragma once
// How long a statement waits for a lock that another program holds on the account set before it fails.
// One figure for the process: the command sets it from its option, the library from its setting.

#include <chrono>

namespace tarvenish {

inline constexpr std::chrono::milliseconds kDefaultBusyTimeout{5000};

// Applies to every connection opened afterwards.
void setBusyTimeout(std::chrono::milliseconds timeout) noexcept;
[[nodiscard]] std::chrono::milliseconds busyTimeout() noexcept;

}  // namespace tarvenish
