#pragma once
// SIGINT and SIGTERM ask the run in hand to stop at its next safe point instead of killing the process
// half-way through a pair. Only the command installs them: a library loaded by a host never does.

#include <signal.h>

namespace tarvenish::app {

class ScopedStopSignals final {
public:
    // Forgets any earlier stop request and installs the handlers.
    ScopedStopSignals() noexcept;
    // Puts the previous handlers back.
    ~ScopedStopSignals();
    ScopedStopSignals(const ScopedStopSignals&) = delete;
    ScopedStopSignals& operator=(const ScopedStopSignals&) = delete;

private:
    struct sigaction m_previousInterrupt {};
    struct sigaction m_previousTerminate {};
};

}  // namespace tarvenish::app
