#include "app/stop_signals.h"

#include "ledger/db/stop_request.h"

namespace tarvenish::app {
namespace {
extern "C" void onStopSignal(int signal) {
    requestStop(signal);
}
}  // namespace

ScopedStopSignals::ScopedStopSignals() noexcept {
    clearStopRequest();
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait that the signal breaks returns, so the run sees the request sooner.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, &m_previousInterrupt);
    sigaction(SIGTERM, &action, &m_previousTerminate);
}

ScopedStopSignals::~ScopedStopSignals() {
    sigaction(SIGINT, &m_previousInterrupt, nullptr);
    sigaction(SIGTERM, &m_previousTerminate, nullptr);
}

}  // namespace tarvenish::app
