#pragma once
// The two error modes of the dialog's handlers: the cell-edit, balancing, add and delete handlers and the
// load let a failure end the handler; the confirm/cancel, average-price and unload handlers skip a failing
// step and go on with the next.

#include <exception>
#include <utility>

namespace tarvenish {

enum class ErrorMode { Propagate, SkipStep };

// Runs one step. Under SkipStep a step that throws is left out and false is returned; under Propagate the
// error reaches the caller. True when the step ran to its end.
template <typename Step>
bool runStep(ErrorMode mode, Step&& step) {
    if (mode == ErrorMode::Propagate) {
        std::forward<Step>(step)();
        return true;
    }
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace tarvenish
