#pragma once
// What a run leaves for people and scripts: the statement log, the JSON report, the summary and the progress
// bar.

#include <fstream>
#include <memory>
#include <string>

#include "reconcile/run_report.h"

namespace tarvenish::app {

// Appends every statement the component sends, one line each, exactly as built, and every skipped step as a
// comment line ("-- failed: ..."), so the file stays a list of statements a parser can read.
class StatementLog {
public:
    // Throws std::runtime_error when the file cannot be opened for appending.
    explicit StatementLog(const std::string& path);
    void statement(std::string_view text);
    void failure(const StepFailure& failure);

private:
    std::ofstream m_out;
};

// The report as JSON: result, the pair counts, the row counts, cancelled and the failures.
[[nodiscard]] std::string reportJson(const RunReport& report);
// Writes it to `path`; throws std::runtime_error when that fails.
void writeReport(const std::string& path, const RunReport& report);
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
