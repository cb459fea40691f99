#pragma once
// Statements an engine can cut short when a stop is requested, asked of the engine with
// Engine::stopInterruption() (null where a statement runs to its end).

namespace tarvenish {

class StopInterruption {
public:
    // While on, a statement in progress fails (DbError) as soon as a stop is requested (stopRequested()).
    virtual void interruptOnStopRequest(bool on) noexcept = 0;

protected:
    ~StopInterruption() = default;
};

}  // namespace tarvenish
