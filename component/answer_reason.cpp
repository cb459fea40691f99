#include "component/answer_reason.h"

#include <string_view>

namespace tarvenish {
namespace {
constexpr std::string_view kRunStopped = "run stopped";

std::string described(const StepFailure& failure) {
    return failure.step + ": " + failure.message;
}

// The failure that ended the run: its "run stopped" line says why, else the last failure.
std::string stopMessage(const RunReport& report) {
    for (auto it = report.failures.rbegin(); it != report.failures.rend(); ++it)
        if (it->step == kRunStopped) return it->message;
    return report.failures.empty() ? std::string("the run failed") : described(report.failures.back());
}
}  // namespace

namespace {
// A box or a summary names this many of the pairs not reached at most.
constexpr std::size_t kNamedPairs = 20;
}  // namespace

std::string notReachedNames(const RunReport& report) {
    const std::vector<std::string>& pairs = report.pairsNotReached;
    std::string text;
    for (std::size_t i = 0; i < pairs.size() && i < kNamedPairs; ++i) text += (i == 0 ? "" : ", ") + pairs[i];
    if (pairs.size() > kNamedPairs) text += ", and " + std::to_string(pairs.size() - kNamedPairs) + " more";
    return text;
}

std::string notReachedText(const RunReport& report) {
    const std::size_t count = report.pairsNotReached.size();
    if (count == 0) return "no pair was left unreached";
    return std::to_string(count) + (count == 1 ? " pair" : " pairs") +
           " not reached keep their rows: " + notReachedNames(report);
}

std::string answerReason(const RunReport& report) {
    if (report.result) return {};
    switch (report.stop) {
        // A run refused before it started recorded exactly why, and nothing else.
        case RunStop::Locked:
        case RunStop::Refused:
            return report.failures.empty() ? std::string("the run was not started")
                                           : report.failures.back().message;
        case RunStop::Interrupted:
            return (report.stopSignal > 0 ? "interrupted by signal " + std::to_string(report.stopSignal)
                                          : std::string("interrupted by a stop request")) +
                   ": the pairs done are kept, " + notReachedText(report);
        case RunStop::Fatal:
            return stopMessage(report);
        case RunStop::None:
            break;
    }
    if (report.cancelled) {
        return report.cancelledBecause.empty()
                   ? "cancelled in the adjustment dialog: " + notReachedText(report)
                   : report.cancelledBecause;
    }
    if (report.verification.pairsDiffering > 0) {
        std::string text = "the run's check found " + std::to_string(report.verification.pairsDiffering) +
                           " pairs whose rows do not hold what was written";
        if (!report.verification.differences.empty()) {
            const VerificationDifference& first = report.verification.differences.front();
            text += ", the first " + first.code + "/" + first.invCode;
        }
        return text;
    }
    if (report.pairsFailed > 0) {
        std::string text = std::to_string(report.pairsFailed) + " of " + std::to_string(report.pairsTotal) +
                           " pairs failed and keep the rows they had";
        if (!report.failures.empty()) text += "; the first failure: " + described(report.failures.front());
        return text;
    }
    return stopMessage(report);
}

std::string incompleteRecord(const RunReport& report) {
    if (!report.journalIncomplete) return {};
    for (const StepFailure& failure : report.failures)
        if (failure.step == kJournalIncompleteStep) return failure.message;
    return "the run's row in the journal could not be completed";
}

}  // namespace tarvenish
