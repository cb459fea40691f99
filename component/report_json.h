#pragma once
// The run's report as JSON, the same for the command and the library.

#include <string>

#include "component/run_report.h"

namespace tarvenish {

// The report as JSON: result, the reason of a false one (null otherwise), the pair counts, the row counts,
// cancelled, interrupted, the run's check of its own work and the failures.
[[nodiscard]] std::string reportJson(const RunReport& report);

}  // namespace tarvenish
