#pragma once
// What a run of the command shows people: the summary.

#include <string>

#include "component/run_report.h"

namespace tarvenish::app {

// The report's figures as a summary for people (the JSON report is component/report_json.h).
[[nodiscard]] std::string reportSummary(const RunReport& report);

}  // namespace tarvenish::app
