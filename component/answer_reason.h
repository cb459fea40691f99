#pragma once
// Why a run answered false, in the one line both front ends give: the command after its summary, the library
// on standard error, and the JSON report as its "reason".

#include <string>

#include "component/run_report.h"

namespace tarvenish {

// The reason `report`'s run answered false, for people; empty when it answered true.
[[nodiscard]] std::string answerReason(const RunReport& report);

// What of a done run's record is missing (its row in the journal could not be completed), for people; empty
// when nothing is.
[[nodiscard]] std::string incompleteRecord(const RunReport& report);

}  // namespace tarvenish
