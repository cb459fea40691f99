#include "component/report_json.h"

#include <nlohmann/json.hpp>

#include "component/answer_reason.h"

namespace tarvenish {

std::string reportJson(const RunReport& report) {
    nlohmann::ordered_json failures = nlohmann::ordered_json::array();
    for (const auto& f : report.failures)
        failures.push_back({{"step", f.step}, {"statement", f.statement}, {"message", f.message}});
    nlohmann::ordered_json differences = nlohmann::ordered_json::array();
    for (const auto& d : report.verification.differences) {
        differences.push_back({{"code", d.code},
                               {"inv_code", d.invCode},
                               {"expected_quantity", d.expectedQuantity},
                               {"expected_money", d.expectedMoney},
                               {"found_quantity", d.foundQuantity},
                               {"found_money", d.foundMoney}});
    }
    const nlohmann::ordered_json verification = {{"pairs_checked", report.verification.pairsChecked},
                                                 {"pairs_differing", report.verification.pairsDiffering},
                                                 {"differences", differences}};
    const RunTimings& t = report.timings;
    const nlohmann::ordered_json timings = {{"issued_quantity", t.issuedQuantity},
                                            {"totals_queries", t.totalsQueries},
                                            {"deletes", t.deletes},
                                            {"inserts", t.inserts},
                                            {"commits", t.commits},
                                            {"check", t.check},
                                            {"journal", t.journal},
                                            {"total", t.total},
                                            {"in_sqlite", t.inSqlite}};
    const std::string reason = answerReason(report);
    nlohmann::ordered_json json = {
        {"result", report.result},
        {"reason", reason.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(reason)},
        {"dry_run", report.dryRun},
        {"journal_run", nullptr},
        {"backup", nullptr},
        {"pairs_total", report.pairsTotal},
        {"pairs_regenerated", report.pairsRegenerated},
        {"pairs_confirmed", report.pairsConfirmed},
        {"pairs_skipped", report.pairsSkipped},
        {"pairs_failed", report.pairsFailed},
        {"pairs_not_reached", report.pairsNotReached.size()},
        {"not_reached", report.pairsNotReached},
        {"dialogs_answered_by", report.dialogsByPolicy ? "policy" : "person"},
        {"rows_deleted", report.rowsDeleted},
        {"rows_inserted", report.rowsInserted},
        {"cancelled", report.cancelled},
        {"interrupted", report.stop == RunStop::Interrupted},
        {"verification", verification},
        {"timings", timings},
        {"failures", failures}};
    // The run that `tarvenish undo --run` names; a dry run's journal went back with the rest of its work.
    if (report.runId != 0 && !report.dryRun) json["journal_run"] = report.runId;
    if (!report.backupPath.empty()) json["backup"] = report.backupPath;
    // An engine message or a code in another encoding must not cost the whole report.
    return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace tarvenish
