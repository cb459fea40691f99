#include "app/commands.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/account_set.h"
#include "app/exit_code.h"
#include "app/presenter_choice.h"
#include "app/run_output.h"
#include "app/statement_logging.h"
#include "app/stop_signals.h"
#include "app/terminal_progress.h"
#include "base/number_format.h"
#include "component/account_set_check.h"
#include "component/answer_reason.h"
#include "component/output_file.h"
#include "component/output_paths.h"
#include "component/pair_details.h"
#include "component/run_context.h"
#include "component/run_outputs.h"
#include "component/run_report.h"
#include "component/settings.h"
#include "component_class/just_account.h"
#include "ledger/db/connection.h"
#include "ledger/db/error.h"
#include "ledger/db/run_lock.h"
#include "ledger/sql/dialect.h"
#include "reconcile/account_set_verification.h"

namespace tarvenish::app {
namespace {
// A check refused before it asked anything is a usage error, not an answer.
int answer(const CheckAnswer& check) {
    if (!check.refusal.empty()) {
        std::fprintf(stderr, "tarvenish: %s\n", check.refusal.c_str());
        return 2;
    }
    std::printf("%s\n", check.result ? "true" : "false");
    return check.result ? 0 : 1;
}
}  // namespace

int checkStart(const AccountSetOptions& accountSet) {
    auto connection = openAccountSet(accountSet.path, accountSet.connectionString);
    return answer(JustAccount{}.startCheck(accountSet.dialectFlag, connection));
}

int checkDocuments(const AccountSetOptions& accountSet) {
    auto connection = openAccountSet(accountSet.path, accountSet.connectionString);
    return answer(JustAccount{}.documentsCheck(accountSet.dialectFlag, connection));
}

namespace {
// Prints `text` on `stream` and says whether it arrived.
bool printed(const std::string& text, std::FILE* stream, std::string_view what, std::string& error) {
    OutputFile out(std::string(what), stream);
    out.write(text);
    if (out.finish()) return true;
    error = out.error();
    return false;
}
}  // namespace

int runOnAccountSet(const AccountSetOptions& accountSet, const RunOptions& options) {
    setBusyTimeout(options.busyTimeout);
    // Opened by the run as the library's is, so that an account set refused says so in the report too.
    const ConnectionPtr connection =
        Connection::create(accountSetConnectionString(accountSet.path, accountSet.connectionString));
    PresenterChoice presenters = choosePresenters(options.ui, options.onMismatch);

    // All are looked at and opened before the run changes anything: a path that cannot be written, or that
    // would write over the account set, its side files or another output, changes nothing.
    const auto named = [](const char* name, const std::optional<std::string>& path) {
        return path ? std::optional<NamedOutput>(NamedOutput{name, *path}) : std::nullopt;
    };
    RunOutputs outputs(
        connection->connectionString(),
        {.report = named("--report", options.reportPath),
         .log = named("--log", options.logPath),
         .details = named("--details", options.detailsPath),
         .backup = named("--backup", options.backupPath),
         .existingBackup = options.force ? ExistingBackup::ReplaceFile : ExistingBackup::Refuse});
    RunContext context;
    context.presenter = presenters.adjustment();
    context.dryRun = options.dryRun;
    context.backupPath = options.backupPath.value_or("");
    context.existingBackup = options.force ? ExistingBackup::ReplaceFile : ExistingBackup::Refuse;
    RunReport& report = context.report;
    {
        TerminalProgress progress;
        report.onProgress = [&progress](int done, int total) { progress.count(done, total); };
        report.onPhase = [&progress](std::string_view phase) { progress.phase(phase); };
        const RunOutputs::Listening listening(outputs, context);
        const ScopedStopSignals signals;
        (void)JustAccount{}.justAccount(context, accountSet.dialectFlag, connection);
    }
    report.onProgress = nullptr;
    report.onPhase = nullptr;
    ConnectionPool::clear();

    // The summary comes first, so that people learn what was done even when the report cannot be written.
    std::vector<std::string> problems;
    std::string problem;
    if (!printed(reportSummary(report), outputs.reportOnStandardOutput() ? stderr : stdout, "summary",
                 problem))
        problems.push_back(problem);
    for (std::string& text : outputs.finish(report)) problems.push_back(std::move(text));
    for (const auto& text : problems)
        std::fprintf(stderr, "tarvenish: %s (the run itself is done)\n", text.c_str());
    if (!report.result) std::fprintf(stderr, "tarvenish: %s\n", answerReason(report).c_str());
    return runExitCode(report, problems.empty() ? OutputState::Complete : OutputState::Incomplete);
}

namespace {

// How many differing pairs verify names on the terminal; --details has every one.
constexpr std::size_t kPairsNamed = 10;

std::optional<double> verifiedFigure(const Value& value) {
    double figure = 0;
    if (value.isNull() || !parseNumber(value.displayText(), figure)) return std::nullopt;
    return figure;
}

std::string_view verdict(const PairDifference& d) {
    if (d.adjusted) return "adjusted";
    return d.withoutOpeningRows ? "missing" : "differs";
}

PairLine verifiedLine(const PairDifference& d) {
    PairLine line;
    line.code = d.code;
    line.invCode = d.invCode;
    line.name = d.name;
    line.invName = d.invName;
    line.action = std::string(verdict(d));
    line.quantityBefore = verifiedFigure(d.openingQuantity);
    line.moneyBefore = verifiedFigure(d.openingMoney);
    line.stockQuantity = verifiedFigure(d.stockQuantity);
    line.stockMoney = verifiedFigure(d.stockMoney);
    // verify changes nothing: the opening totals after are those before.
    line.quantityAfter = line.quantityBefore;
    line.moneyAfter = line.moneyBefore;
    return line;
}

void printDifference(std::FILE* out, const PairDifference& d) {
    if (d.withoutOpeningRows && !d.adjusted) {
        std::fprintf(out, "missing: %s/%s: no opening rows, stock ledger %s / %s\n", d.code.c_str(),
                     d.invCode.c_str(), d.stockQuantity.displayText().c_str(),
                     d.stockMoney.displayText().c_str());
        return;
    }
    std::fprintf(out, "%s: %s/%s: opening %s / %s, stock ledger %s / %s\n",
                 d.adjusted ? "adjusted" : "differs", d.code.c_str(), d.invCode.c_str(),
                 d.openingQuantity.displayText().c_str(), d.openingMoney.displayText().c_str(),
                 d.stockQuantity.displayText().c_str(), d.stockMoney.displayText().c_str());
}

}  // namespace

int verifyAccountSet(const AccountSetOptions& accountSet, const std::optional<std::string>& logPath,
                     const std::optional<std::string>& detailsPath) {
    std::optional<StatementLogging> log;
    std::optional<PairDetails> details;
    try {
        const std::string connectionString =
            accountSetConnectionString(accountSet.path, accountSet.connectionString);
        if (detailsPath) {
            refuseUnsafeOutputs(
                connectionString,
                {.log = logPath ? std::optional<NamedOutput>(NamedOutput{"--log", *logPath}) : std::nullopt,
                 .details = NamedOutput{"--details", *detailsPath}});
        }
        log.emplace(logPath, connectionString);
        if (detailsPath) details.emplace(*detailsPath);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarvenish: %s\n", e.what());
        return 2;
    }
    auto connection = openAccountSet(accountSet.path, accountSet.connectionString);
    const DialectChoice dialects = DialectChoice::fromHostFlag(accountSet.dialectFlag);
    // Its queries go in the pairs' dialect, and a server takes no desktop text; told before the run lock,
    // which on a server is taken with statements of its own.
    if (const std::string refusal = dialectRefusal(dialects, *connection); !refusal.empty()) {
        std::fprintf(stderr, "tarvenish: %s\n", refusal.c_str());
        return 2;
    }
    AccountSetVerification verification;
    {
        // A run in progress would be read half done: the lock is taken as a run takes it, and let go at once.
        const RunLock lock(connection->connectionString(), RunLockUse::Read);
        if (!lock.allowsRun()) {
            std::fprintf(stderr, "tarvenish: %s; nothing was verified\n", lock.problem().c_str());
            return lock.status() == RunLockStatus::Busy ? 5 : 2;
        }
        try {
            TerminalProgress progress;
            progress.phase("comparing every pair with the stock ledger");
            verification = tarvenish::verifyAccountSet(connection, dialects,
                                                       details ? PairNames::With : PairNames::Without);
        } catch (const SettingError& error) {
            // Totals compared at decimals the account set does not name would prove nothing.
            ConnectionPool::clear();
            std::fprintf(stderr, "tarvenish: %s; nothing was verified\n", error.what());
            return 2;
        } catch (const std::exception& error) {
            ConnectionPool::clear();
            std::fprintf(stderr, "tarvenish: the account set could not be verified: %s\n",
                         failureMessage(error).c_str());
            return 1;
        }
        connection->close();
        ConnectionPool::clear();
    }
    // The pairs nobody adjusted on purpose first: they are what an accountant has to look at.
    // Details on standard output keep it to themselves.
    std::FILE* out = details && details->isStandardOutput() ? stderr : stdout;
    std::size_t named = 0;
    for (const bool adjusted : {false, true}) {
        for (const PairDifference& d : verification.differences) {
            if (d.adjusted != adjusted) continue;
            if (named++ < kPairsNamed) printDifference(out, d);
        }
    }
    if (named > kPairsNamed) {
        std::fprintf(out, "... and %zu more differing pairs%s\n", named - kPairsNamed,
                     details ? "" : " (verify --details FILE lists every one)");
    }
    if (details) {
        for (const PairDifference& d : verification.differences)
            details->write(verifiedLine(d), verification.quantityDigits);
    }
    const int unexplained = verification.unexplained();
    const int missing = verification.withoutOpeningRows();
    std::fprintf(out, "verified: %d pairs, %d differ, %d without opening rows, %d adjusted on purpose\n",
                 verification.pairsChecked, unexplained - missing, missing,
                 static_cast<int>(verification.differences.size()) - unexplained);
    bool complete = true;
    if (details && !details->finish()) {
        std::fprintf(stderr, "tarvenish: %s\n", details->error().c_str());
        complete = false;
    }
    if (const std::string problem = log->finish(); !problem.empty()) {
        std::fprintf(stderr, "tarvenish: %s\n", problem.c_str());
        complete = false;
    }
    if (!complete) return 4;
    return unexplained > 0 ? 3 : 0;
}

int createDemo(const std::string& path, const DemoOptions& options) {
    const DemoSummary summary = [&] {
        TerminalProgress progress;
        progress.phase("writing the demo account set");
        return createDemoAccountSet(path, options);
    }();
    std::printf(
        "created %s: %d pairs (%d with differing totals), %ld opening receipt lines, %ld stock lines, "
        "%ld opening rows\n",
        path.c_str(), summary.pairs, summary.mismatchedPairs, summary.receiptLines, summary.stockLines,
        summary.openingRows);
    return 0;
}

}  // namespace tarvenish::app
