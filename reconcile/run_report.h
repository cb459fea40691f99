#pragma once
// What one run did, pair by pair, and every step it skipped under its continue-on-error mode.

#include <functional>
#include <string>
#include <vector>

namespace tarvenish {

struct StepFailure {
    std::string step;       // which step of the run, e.g. "regenerate pair 01/A001"
    std::string statement;  // the statement as built, empty where none
    std::string message;    // the engine's message or the error's text
};

enum class PairOutcome { Regenerated, Confirmed, Skipped, Failed };

struct RunReport {
    bool result = true;
    bool cancelled = false;
    int pairsTotal = 0;
    int pairsRegenerated = 0;
    int pairsConfirmed = 0;
    int pairsSkipped = 0;
    int pairsFailed = 0;
    long rowsDeleted = 0;
    long rowsInserted = 0;
    std::vector<StepFailure> failures;

    // Called for every failure as it is recorded (the command line's log listens here).
    std::function<void(const StepFailure&)> onFailure;
    // Called after each pair with its position (1-based) and the pair count (progress display).
    std::function<void(int done, int total)> onProgress;

    void recordFailure(StepFailure failure);
    void count(PairOutcome outcome);
    // Clears the figures and failures; the listeners stay.
    void reset();
};

// This thread's report of the current or last run.
[[nodiscard]] RunReport& runReport();

}  // namespace tarvenish
