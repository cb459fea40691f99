#pragma once
// What a run of the command shows people: the summary and the progress bar.

#include <string>

#include "component/run_report.h"

namespace tarvenish::app {

// The report's figures as a summary for people (the JSON report is component/report_json.h).
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
