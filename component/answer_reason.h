#pragma once
// Why a run answered false, in the one line both front ends give: the command after its summary, the library
// on standard error, and the JSON report as its "reason".

#include <string>

#include "component/run_report.h"

namespace tarvenish {

// The first twenty pairs not reached, and how many more ("W1/I2, W1/I3, and 4 more").
[[nodiscard]] std::string notReachedNames(const RunReport& report);
// How many pairs a cancel or a stop left unreached, naming the first twenty ("3 pairs not reached keep their
// rows: W1/I2, W1/I3, W2/I1").
[[nodiscard]] std::string notReachedText(const RunReport& report);

// The reason `report`'s run answered false, for people; empty when it answered true.
[[nodiscard]] std::string answerReason(const RunReport& report);

// What of a done run's record is missing (its row in the journal could not be completed), for people; empty
// when nothing is.
[[nodiscard]] std::string incompleteRecord(const RunReport& report);

}  // namespace tarvenish
