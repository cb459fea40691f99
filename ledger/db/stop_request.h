#pragma once
// A request to stop the run in hand, made from a signal handler of the command (a library loaded by a host
// installs no handlers, so there it is never set). Setting and reading it is async-signal-safe.

namespace tarvenish {

// Records `signal` (SIGINT, SIGTERM) as the reason to stop; the first request wins.
void requestStop(int signal) noexcept;
// The signal that asked to stop, 0 while none did.
[[nodiscard]] int stopRequested() noexcept;
// Forgets the request (a new run starts with none).
void clearStopRequest() noexcept;

}  // namespace tarvenish
