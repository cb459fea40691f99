#pragma once
// What a run leaves for people and scripts: the statement log, the JSON report, the summary and the progress
// bar.

#include <string>
#include <string_view>

#include "app/output_file.h"
#include "reconcile/run_report.h"

namespace tarvenish::app {

// Appends every statement the component sends, one line each, exactly as built, and every skipped step as a
// comment line ("-- failed: ..."), so the file stays a list of statements a parser can read.
// Each line is flushed at once, so a run that dies keeps what it sent; a write that fails is kept as the
// log's error, never passed to the run.
class StatementLog final {
public:
    // Throws std::runtime_error when the file cannot be opened for appending.
    explicit StatementLog(const std::string& path);
    void statement(std::string_view text) noexcept;
    void failure(const StepFailure& failure) noexcept;
    // Flushes and closes; true when every line arrived.
    [[nodiscard]] bool finish() noexcept { return m_out.finish(); }
    // What failed, empty while nothing did.
    [[nodiscard]] const std::string& error() const noexcept { return m_out.error(); }

private:
    OutputFile m_out;
};

// The report as JSON: result, the pair counts, the row counts, cancelled, interrupted, the run's check of its
// own work and the failures.
[[nodiscard]] std::string reportJson(const RunReport& report);
// The same summary for people.
[[nodiscard]] std::string reportSummary(const RunReport& report);

// A one-line progress bar on stderr, drawn only when stderr is a terminal.
class ProgressBar {
public:
    ProgressBar();
    ~ProgressBar();
    void update(int done, int total);

private:
    bool m_enabled;
    bool m_drawn = false;
};

}  // namespace tarvenish::app
