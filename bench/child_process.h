#pragma once
// Runs one measured piece of work in a forked child, so that its peak memory is its own: neither the parent's
// nor that of earlier runs counts.

#include <functional>
#include <string>

namespace tarvenish::bench {

struct ChildOutcome {
    bool succeeded = false;  // the body returned normally and the child exited with status 0
    std::string output;      // what the body returned, or the error text when it threw
    long peakKb = 0;         // the child's peak resident set (ru_maxrss), in KiB
    bool timedOut = false;   // the child was killed when its time was up
};

// Forks, runs `body` in the child and returns its text, exit status and peak memory. A child still running
// after `timeoutSeconds` (0: no limit) is killed. Throws std::runtime_error when the fork or the pipe cannot
// be made.
[[nodiscard]] ChildOutcome runInChild(const std::function<std::string()>& body, double timeoutSeconds = 0.0);

}  // namespace tarvenish::bench
