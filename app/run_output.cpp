#include "app/run_output.h"

#include <fmt/format.h>

#include "component/answer_reason.h"

namespace tarvenish::app {

std::string reportSummary(const RunReport& report) {
    std::string text = fmt::format(
        "result: {}{}{}\npairs: {} total, {} rebuilt, {} {}, {} left as they were, {} failed{}\n"
        "opening rows: {} deleted, {} inserted\n",
        report.result ? "true" : "false",
        report.cancelled                      ? " (cancelled)"
        : report.stop == RunStop::Interrupted ? " (interrupted)"
                                              : "",
        report.dryRun ? " (dry run)" : "", report.pairsTotal, report.pairsRegenerated, report.pairsConfirmed,
        // No dialog was shown when a policy answered it.
        report.dialogsByPolicy ? "answered by the policy" : "confirmed in the dialog", report.pairsSkipped,
        report.pairsFailed,
        report.pairsNotReached.empty() ? "" : fmt::format(", {} not reached", report.pairsNotReached.size()),
        report.rowsDeleted, report.rowsInserted);
    if (!report.pairsNotReached.empty())
        text += "not reached (they keep their rows): " + notReachedNames(report) + "\n";
    // A run that changed no row has nothing for undo to put back.
    if (report.runId != 0 && !report.dryRun && report.rowsDeleted + report.rowsInserted > 0)
        text += fmt::format("journal: run {} (tarvenish undo --run {} puts its opening rows back)\n",
                            report.runId, report.runId);
    if (!report.backupPath.empty()) text += fmt::format("backup: {}\n", report.backupPath);
    if (report.verification.ran) {
        text += fmt::format("check: {} pairs read back, {} differ\n", report.verification.pairsChecked,
                            report.verification.pairsDiffering);
    }
    for (const auto& f : report.failures) text += fmt::format("failed: {}: {}\n", f.step, f.message);
    return text;
}

}  // namespace tarvenish::app
