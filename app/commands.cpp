#include "app/commands.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/account_set.h"
#include "app/exit_code.h"
#include "app/output_file.h"
#include "app/presenter_choice.h"
#include "app/run_output.h"
#include "app/stop_signals.h"
#include "component/just_account.h"
#include "ledger/connection.h"
#include "ledger/db_error.h"
#include "ledger/engine.h"
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

namespace {
// An output path that names the account set itself would be truncated before the run: refuse it.
void refuseOutputOnAccountSet(const Target& target, const std::string& path, std::string_view what) {
    if (path.empty() || path == "-") return;
    std::string source = target.db;
    if (source.empty()) {
        try {
            source = parseConnectionString(target.connection).dataSource;
        } catch (const DbError&) {
            return;
        }
    }
    std::error_code error;
    if (std::filesystem::equivalent(source, path, error))
        throw UsageError(std::string(what) + " " + path + " is the account set itself");
}

// Prints `text` on `stream` and says whether it arrived.
bool printed(const std::string& text, std::FILE* stream, std::string_view what, std::string& error) {
    OutputFile out(std::string(what), stream);
    out.write(text);
    if (out.finish()) return true;
    error = out.error();
    return false;
}
}  // namespace

int runRebuild(const Target& target, const RunOptions& options) {
    setBusyTimeout(options.busyTimeout);
    auto connection = openAccountSet(target.db, target.connection);
    refuseOutputOnAccountSet(target, options.reportPath, "the report");
    refuseOutputOnAccountSet(target, options.logPath, "the log");
    if (options.reportPath == "-" && options.logPath == "-")
        throw UsageError("the report and the log cannot both go to standard output");
    PresenterChoice presenters = choosePresenters(options.ui, options.onMismatch);

    // Both are opened before the run changes anything: a path that cannot be written changes nothing.
    std::optional<OutputFile> reportFile;
    if (!options.reportPath.empty()) reportFile.emplace("report", options.reportPath, OpenMode::Truncate);
    std::optional<StatementLog> log;
    if (!options.logPath.empty()) log.emplace(options.logPath);
    RunReport& report = runReport();
    {
        ProgressBar progress;
        report.onFailure = [&log](const StepFailure& failure) {
            if (log) log->failure(failure);
        };
        report.onProgress = [&progress](int done, int total) { progress.update(done, total); };

        EngineHooks hooks;
        if (log) hooks.beforeStatement = [&log](std::string_view statement) { log->statement(statement); };
        ScopedEngineHooks scoped(std::move(hooks));
        const ScopedStopSignals signals;
        (void)JustAccount{}.justAccount(target.accSql, connection);
    }
    report.onFailure = nullptr;
    report.onProgress = nullptr;
    ConnectionPool::clear();

    // The summary comes first, so that people learn what was done even when the report cannot be written.
    std::vector<std::string> problems;
    std::string problem;
    const bool reportOnStdout = reportFile && reportFile->isStandardOutput();
    if (!printed(reportSummary(report), reportOnStdout ? stderr : stdout, "summary", problem))
        problems.push_back(problem);
    if (reportFile) {
        reportFile->write(reportJson(report) + '\n');
        if (!reportFile->finish()) problems.push_back(reportFile->error());
    }
    if (log && !log->finish()) problems.push_back(log->error());
    for (const auto& text : problems)
        std::fprintf(stderr, "tarvenish: %s (the run itself is done)\n", text.c_str());
    return runExitCode(report, problems.empty() ? OutputState::Complete : OutputState::Incomplete);
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
