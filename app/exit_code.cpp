#include "app/exit_code.h"

#include <csignal>

namespace tarvenish::app {

int runExitCode(const RunReport& report, OutputState output) noexcept {
    if (report.stop == RunStop::Interrupted)
        return 128 + (report.stopSignal > 0 ? report.stopSignal : SIGINT);
    if (report.stop == RunStop::Refused) return 2;
    if (report.stop == RunStop::Locked) return 5;
    if (report.cancelled || report.stop == RunStop::Fatal) return 1;
    if (report.verification.pairsDiffering > 0) return 3;
    if (report.pairsFailed > 0) return 3;
    if (!report.result) return 1;
    if (report.pairsSkipped > 0) return 3;
    if (output == OutputState::Incomplete || report.journalIncomplete) return 4;
    return 0;
}

}  // namespace tarvenish::app
