#pragma once
// The exit code of `tarvenish run`, from what the run reported and whether its output arrived.

#include "component/run_report.h"

namespace tarvenish::app {

enum class OutputState {
    Complete,    // the summary, the report and the log were all written
    Incomplete,  // one of them could not be completed
};

// The first matching row wins: 128 + the signal when interrupted; 2 when the account set could not be used
// for a run; 5 when another run holds it; 1 when cancelled or a whole-run failure; 3 when the run's check
// found a difference or pairs failed; 1 for any other false result; 3 when pairs were left as they were; 4
// when the output or the run's journal is incomplete; 0 otherwise.
[[nodiscard]] int runExitCode(const RunReport& report, OutputState output) noexcept;

}  // namespace tarvenish::app
