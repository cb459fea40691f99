#include "app/commands.h"

#include <cstdio>
#include <optional>

#include "app/account_set.h"
#include "app/presenter_choice.h"
#include "app/run_output.h"
#include "component/just_account.h"
#include "ledger/connection.h"
#include "ledger/engine_hooks.h"
#include "reconcile/run_report.h"

namespace tarvenish::app {
namespace {
int answer(bool result) {
    std::printf("%s\n", result ? "true" : "false");
    return result ? 0 : 1;
}
}  // namespace

int checkStart(const Target& target) {
    auto connection = openAccountSet(target.db, target.connection);
    return answer(JustAccount{}.IFIAstart(target.accSql, connection));
}

int checkDocuments(const Target& target) {
    auto connection = openAccountSet(target.db, target.connection);
    return answer(JustAccount{}.IFEnd(target.accSql, connection));
}

int runRebuild(const Target& target, const RunOptions& options) {
    auto connection = openAccountSet(target.db, target.connection);
    std::optional<StatementLog> log;
    if (!options.logPath.empty()) log.emplace(options.logPath);

    PresenterChoice presenters = choosePresenters(options.ui, options.onMismatch);
    RunReport& report = runReport();
    ProgressBar progress;
    report.onFailure = [&log](const StepFailure& failure) {
        if (log) log->failure(failure);
    };
    report.onProgress = [&progress](int done, int total) { progress.update(done, total); };

    EngineHooks hooks;
    if (log) hooks.beforeStatement = [&log](std::string_view statement) { log->statement(statement); };
    bool result = false;
    {
        ScopedEngineHooks scoped(std::move(hooks));
        result = JustAccount{}.justAccount(target.accSql, connection);
    }
    report.onFailure = nullptr;
    report.onProgress = nullptr;
    ConnectionPool::clear();

    if (!options.reportPath.empty()) writeReport(options.reportPath, report);
    std::fputs(reportSummary(report).c_str(), stdout);
    if (!result) return 1;
    return report.pairsSkipped + report.pairsFailed > 0 ? 3 : 0;
}

int createDemo(const std::string& path, const DemoOptions& options) {
    const DemoSummary summary = createDemoAccountSet(path, options);
    std::printf(
        "created %s: %d pairs (%d with differing totals), %ld opening receipt lines, %ld stock lines, "
        "%ld opening rows\n",
        path.c_str(), summary.pairs, summary.mismatchedPairs, summary.receiptLines, summary.stockLines,
        summary.openingRows);
    return 0;
}

}  // namespace tarvenish::app
