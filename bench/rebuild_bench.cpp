// tarvenish_bench: the rebuild of generated account sets as a user runs it (the `tarvenish run` process,
// start to exit) and in-process, against a hand-written set-based rebuild of the same data, on a
// write-ahead-log and on a rollback-journal file; the check `tarvenish verify` on the rebuilt set; and the
// dialog's confirm on a small and a large ledger. Every measured piece runs in a process of its own, on a
// fresh copy of the generated file, so that its peak memory is its own.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "app/demo/demo_account_set.h"
#include "bench/child_process.h"
#include "bench/command_run.h"
#include "bench/commit_bench.h"
#include "bench/machine.h"
#include "bench/odbc_bench.h"
#include "bench/plan_scenarios.h"
#include "bench/set_rebuild.h"
#include "component/adjustment_presenter.h"
#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "ledger/db/connection.h"
#include "ledger/engines.h"
#include "platform/headless/adjustment_presenters.h"
#include "reconcile/run.h"

namespace tarvenish::bench {
namespace {

namespace fs = std::filesystem;

// Booked opening receipt lines per pair. With the issue and return lines that point back at them and the odd
// unbooked receipt, the generator writes about nine stock lines per pair.
constexpr int kLinesPerPair = 4;
constexpr double kStockLinesPerPair = 9.1;
constexpr std::int16_t kServerDialect = 1;

struct Options {
    std::vector<long> sizes{10'000, 100'000};
    std::vector<std::string> journals{"wal", "delete"};
    std::vector<std::string> scenarios{"all", "balance"};
    bool inProcess = true;
    std::string command;
    int runs = 3;
    std::vector<long> commitRows{10'000, 1'000'000};
    int confirms = 20;
    double budgetSeconds = 180.0;
    double runTimeoutSeconds = 180.0;
    double verifyTimeoutSeconds = 120.0;
    bool rebuild = true;
    bool commit = true;
    bool odbc = true;
    std::string workDir;
    bool keep = false;
    bool plans = false;  // only the scenarios of the plan: warehouses per item and index variants
    PlanOptions plan;
};

struct Scenario {
    std::string_view name;
    int mismatchPercent;
};
constexpr Scenario kScenarios[] = {{"all match", 0}, {"10% balance", 10}};

struct Measured {
    double seconds = 0.0;
    long peakKb = 0;
    bool timedOut = false;  // seconds is then the time limit, a lower bound
};

// Where the command's run spent its time, as its report's "timings" say (seconds).
struct StepTimes {
    double issuedQuantity = 0, totalsQueries = 0, deletes = 0, inserts = 0, commits = 0, check = 0,
           journal = 0, total = 0, inSqlite = 0;
};

struct RowResult {
    long size = 0;
    std::string_view scenario;
    std::string journal;  // "wal" or "delete"
    DemoSummary data;
    double commandSeconds = 0.0;  // the `tarvenish run` process, start to exit
    double realSeconds = 0.0;     // the same run in-process; 0 when not measured
    double limitSeconds = 0.0;
    double verifySeconds = 0.0;   // `tarvenish verify` on the set the command rebuilt
    bool verifyTimedOut = false;  // verifySeconds is then the time limit, a lower bound
    double undoSeconds = 0.0;     // `tarvenish undo` of that run, after verify
    bool undoTimedOut = false;    // undoSeconds is then the run's time limit, a lower bound
    long commandPeakKb = 0;
    long realPeakKb = 0;
    long limitPeakKb = 0;
    StepTimes steps;                   // of the run whose command time is nearest the median
    double stepsCommandSeconds = 0.0;  // that run's command time
    int runs = 0;
    bool commandTimedOut = false;
    bool realTimedOut = false;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

std::string grouped(long value) {
    const std::string digits = std::to_string(value < 0 ? -value : value);
    std::string text = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text.push_back(',');
        text.push_back(digits[i]);
    }
    return text;
}

double megabytes(long kb) {
    return static_cast<double>(kb) / 1024.0;
}

[[noreturn]] void failLoudly(const std::string& message) {
    std::fflush(stdout);
    std::fprintf(stderr, "\nBENCHMARK FAILED: %s\n", message.c_str());
    std::exit(1);
}

ChildOutcome mustSucceed(ChildOutcome outcome, std::string_view what) {
    if (!outcome.succeeded) failLoudly(fmt::format("{}: {}", what, outcome.output));
    return outcome;
}

double elapsedSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

DemoSummary generate(const std::string& path, long size, int mismatchPercent) {
    const auto start = std::chrono::steady_clock::now();
    const ChildOutcome outcome =
        mustSucceed(runInChild([&] {
                        DemoOptions options;
                        options.pairs = std::max(
                            1, static_cast<int>(static_cast<double>(size) / kStockLinesPerPair + 0.5));
                        options.linesPerPair = kLinesPerPair;
                        options.mismatchPercent = mismatchPercent;
                        options.mode = PairMode::Warehouse;
                        options.force = true;
                        const DemoSummary s = createDemoAccountSet(path, options);
                        return fmt::format("{} {} {} {} {}", s.pairs, s.mismatchedPairs, s.receiptLines,
                                           s.stockLines, s.openingRows);
                    }),
                    "generate " + path);
    DemoSummary summary;
    std::istringstream in(outcome.output);
    in >> summary.pairs >> summary.mismatchedPairs >> summary.receiptLines >> summary.stockLines >>
        summary.openingRows;
    std::fprintf(stderr, "  generated %s: %s stock lines, %s pairs (%s differing) in %.1f s\n",
                 fs::path(path).filename().c_str(), grouped(summary.stockLines).c_str(),
                 grouped(summary.pairs).c_str(), grouped(summary.mismatchedPairs).c_str(),
                 elapsedSince(start));
    return summary;
}

// A run that was stopped leaves a hot journal behind, which SQLite would roll back into the next copy.
void removeAccountSet(const std::string& path) {
    std::error_code ignored;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(path + suffix, ignored);
}

void freshCopy(const std::string& from, const std::string& to) {
    removeAccountSet(to);
    fs::copy_file(from, to);
}

// One headless run of the real rebuild: differing pairs are answered by pressing OK as loaded (balance).
Measured measureReal(const std::string& path, const DemoSummary& data, double timeoutSeconds) {
    const ChildOutcome child = runInChild(
        [&] {
            const auto start = std::chrono::steady_clock::now();
            const ConnectionPtr connection = Connection::open(path);
            setMessagePresenter(std::make_shared<HeadlessMessagePresenter>());
            RunContext context;
            context.presenter = std::make_shared<HeadlessAdjustmentPresenter>(AdjustmentPolicy::Balance);
            const bool result = executeRun(context, DialectChoice::fromHostFlag(kServerDialect), connection);
            const double seconds = elapsedSince(start);
            const RunReport& report = context.report;
            if (!result || !report.failures.empty() || report.pairsFailed || report.pairsSkipped)
                throw std::runtime_error(
                    fmt::format("the rebuild returned {} with {} failed and {} skipped pairs{}{}", result,
                                report.pairsFailed, report.pairsSkipped,
                                report.failures.empty() ? "" : "; first failure: ",
                                report.failures.empty()
                                    ? ""
                                    : report.failures.front().step + ": " + report.failures.front().message));
            return fmt::format("{} {} {}", seconds, report.pairsRegenerated, report.pairsConfirmed);
        },
        timeoutSeconds);
    if (child.timedOut) return {timeoutSeconds, child.peakKb, true};
    const ChildOutcome outcome = mustSucceed(child, "real rebuild of " + path);
    double seconds = 0.0;
    int regenerated = 0, confirmed = 0;
    std::istringstream(outcome.output) >> seconds >> regenerated >> confirmed;
    if (regenerated != data.pairs - data.mismatchedPairs || confirmed != data.mismatchedPairs)
        failLoudly(fmt::format("real rebuild of {}: {} pairs rebuilt and {} confirmed, expected {} and {}",
                               path, regenerated, confirmed, data.pairs - data.mismatchedPairs,
                               data.mismatchedPairs));
    return {seconds, outcome.peakKb};
}

struct CommandRun {
    Measured measured;
    StepTimes steps;
};

StepTimes readStepTimes(const nlohmann::json& report) {
    const nlohmann::json& t = report.at("timings");
    return {t.at("issued_quantity").get<double>(),
            t.at("totals_queries").get<double>(),
            t.at("deletes").get<double>(),
            t.at("inserts").get<double>(),
            t.at("commits").get<double>(),
            t.at("check").get<double>(),
            t.at("journal").get<double>(),
            t.at("total").get<double>(),
            t.value("in_sqlite", 0.0)};
}

// The command as a user runs it, without a window: differing pairs are balanced, as in-process.
CommandRun measureCommand(const Options& options, const std::string& path, const DemoSummary& data,
                          const fs::path& dir) {
    const std::string reportPath = (dir / "command_report.json").string();
    fs::remove(reportPath);
    const CommandOutcome outcome =
        runCommand(options.command,
                   {"run", "--db", path, "--ui", "none", "--on-mismatch", "balance", "--report", reportPath},
                   (dir / "command_output.txt").string(), options.runTimeoutSeconds);
    if (outcome.timedOut) return {{outcome.seconds, outcome.peakKb, true}, {}};
    if (outcome.exitCode != 0)
        failLoudly(
            fmt::format("tarvenish run on {} exited with {}: {}", path, outcome.exitCode, outcome.output));
    std::ifstream in(reportPath);
    const nlohmann::json report = nlohmann::json::parse(in);
    const int regenerated = report.at("pairs_regenerated").get<int>();
    const int confirmed = report.at("pairs_confirmed").get<int>();
    if (regenerated != data.pairs - data.mismatchedPairs || confirmed != data.mismatchedPairs)
        failLoudly(fmt::format("tarvenish run on {}: {} pairs rebuilt and {} confirmed, expected {} and {}",
                               path, regenerated, confirmed, data.pairs - data.mismatchedPairs,
                               data.mismatchedPairs));
    return {{outcome.seconds, outcome.peakKb}, readStepTimes(report)};
}

// `tarvenish verify` on the set a run rebuilt: every pair must agree but those balanced on purpose.
Measured measureVerify(const Options& options, const std::string& path, const fs::path& dir) {
    const CommandOutcome outcome =
        runCommand(options.command, {"verify", "--db", path}, (dir / "verify_output.txt").string(),
                   options.verifyTimeoutSeconds);
    if (outcome.timedOut) return {outcome.seconds, outcome.peakKb, true};
    if (outcome.exitCode != 0)
        failLoudly(fmt::format("tarvenish verify on {} exited with {}: {}", path, outcome.exitCode,
                               outcome.output.substr(0, 2000)));
    return {outcome.seconds, outcome.peakKb};
}

// `tarvenish undo` of the run that rebuilt the set: every pair it changed must get its rows back.
Measured measureUndo(const Options& options, const std::string& path, const fs::path& dir) {
    const CommandOutcome outcome = runCommand(options.command, {"undo", "--db", path},
                                              (dir / "undo_output.txt").string(), options.runTimeoutSeconds);
    if (outcome.timedOut) return {outcome.seconds, outcome.peakKb, true};
    if (outcome.exitCode != 0)
        failLoudly(fmt::format("tarvenish undo on {} exited with {}: {}", path, outcome.exitCode,
                               outcome.output.substr(0, 2000)));
    return {outcome.seconds, outcome.peakKb};
}

Measured measureLimit(const std::string& path, const DemoSummary& data) {
    const ChildOutcome outcome =
        mustSucceed(runInChild([&] {
                        const auto start = std::chrono::steady_clock::now();
                        const SetRebuildCounts counts = setBasedRebuild(path);
                        const double seconds = elapsedSince(start);
                        return fmt::format("{} {} {}", seconds, counts.pairsMatched, counts.rowsInserted);
                    }),
                    "set-based rebuild of " + path);
    double seconds = 0.0;
    long matched = 0, inserted = 0;
    std::istringstream(outcome.output) >> seconds >> matched >> inserted;
    if (matched != data.pairs - data.mismatchedPairs)
        failLoudly(fmt::format("set-based rebuild of {}: {} pairs agree, expected {}", path, matched,
                               data.pairs - data.mismatchedPairs));
    return {seconds, outcome.peakKb};
}

void checkSameLedger(const std::string& real, const std::string& limit) {
    const ChildOutcome outcome = runInChild([&] {
        const OpeningRowComparison comparison = compareOpeningRows(real, limit);
        if (!comparison.same) throw std::runtime_error(comparison.difference);
        return std::to_string(comparison.rows);
    });
    if (!outcome.succeeded)
        failLoudly("the set-based rebuild does not leave the same IA_Subsidiary as the real rebuild: " +
                   outcome.output);
    std::fprintf(stderr, "  same opening rows after both rebuilds (%s rows compared)\n",
                 grouped(std::stol(outcome.output)).c_str());
}

std::vector<RowResult> benchRebuild(const Options& options, const fs::path& dir) {
    std::vector<RowResult> rows;
    for (const long size : options.sizes) {
        for (const Scenario& scenario : kScenarios) {
            const std::string_view key = scenario.mismatchPercent == 0 ? "all" : "balance";
            if (std::find(options.scenarios.begin(), options.scenarios.end(), key) == options.scenarios.end())
                continue;
            const std::string wal =
                (dir / fmt::format("set_{}_{}.db", size, scenario.mismatchPercent)).string();
            const DemoSummary data = generate(wal, size, scenario.mismatchPercent);
            for (const std::string& journal : options.journals) {
                std::fprintf(stderr, "size %s, %.*s, %s journal\n", grouped(size).c_str(),
                             static_cast<int>(scenario.name.size()), scenario.name.data(), journal.c_str());
                std::string base = wal;
                if (journal == "delete") {
                    base =
                        (dir / fmt::format("set_{}_{}_delete.db", size, scenario.mismatchPercent)).string();
                    freshCopy(wal, base);
                    useRollbackJournal(base);
                }
                const std::string command = (dir / "command.db").string();
                const std::string real = (dir / "real.db").string();
                const std::string limit = (dir / "limit.db").string();
                RowResult row;
                row.size = size;
                row.scenario = scenario.name;
                row.journal = journal;
                row.data = data;
                std::vector<double> commandTimes, realTimes, limitTimes, verifyTimes, undoTimes;
                std::vector<StepTimes> steps;
                const auto rowStart = std::chrono::steady_clock::now();
                for (int run = 0; run < options.runs; ++run) {
                    // A slow build still finishes: no run starts that would end past the budget, but one
                    // always runs.
                    const double lastRun = run == 0 ? 0.0
                                                    : commandTimes.back() + verifyTimes.back() +
                                                          undoTimes.back() + limitTimes.back() +
                                                          (realTimes.empty() ? 0.0 : realTimes.back());
                    if (run > 0 && elapsedSince(rowStart) + lastRun > options.budgetSeconds) {
                        std::fprintf(stderr,
                                     "  stopping after %d run(s): another would pass the %.0f s budget\n",
                                     run, options.budgetSeconds);
                        break;
                    }
                    freshCopy(base, command);
                    const CommandRun c = measureCommand(options, command, data, dir);
                    commandTimes.push_back(c.measured.seconds);
                    steps.push_back(c.steps);
                    row.commandPeakKb = std::max(row.commandPeakKb, c.measured.peakKb);
                    if (c.measured.timedOut) {
                        std::fprintf(stderr, "  the command was stopped after %.0f s: no further run\n",
                                     c.measured.seconds);
                        row.commandTimedOut = true;
                        break;
                    }
                    const Measured v = measureVerify(options, command, dir);
                    verifyTimes.push_back(v.seconds);
                    row.verifyTimedOut = row.verifyTimedOut || v.timedOut;
                    freshCopy(base, limit);
                    const Measured l = measureLimit(limit, data);
                    limitTimes.push_back(l.seconds);
                    row.limitPeakKb = std::max(row.limitPeakKb, l.peakKb);
                    if (scenario.mismatchPercent == 0 && run == 0) checkSameLedger(command, limit);
                    // Last: it puts the command's set back as it was before the run.
                    const Measured u = measureUndo(options, command, dir);
                    undoTimes.push_back(u.seconds);
                    row.undoTimedOut = row.undoTimedOut || u.timedOut;
                    std::string inProcess;
                    if (options.inProcess) {
                        freshCopy(base, real);
                        const Measured r = measureReal(real, data, options.runTimeoutSeconds);
                        realTimes.push_back(r.seconds);
                        row.realPeakKb = std::max(row.realPeakKb, r.peakKb);
                        row.realTimedOut = row.realTimedOut || r.timedOut;
                        inProcess = fmt::format(", in-process {}{:.3f} s ({:.1f} MB)", r.timedOut ? ">" : "",
                                                r.seconds, megabytes(r.peakKb));
                    }
                    std::fprintf(
                        stderr,
                        "  run %d: command %.3f s (%.1f MB)%s, limit %.3f s, verify %.3f s, undo %.3f s\n",
                        run + 1, c.measured.seconds, megabytes(c.measured.peakKb), inProcess.c_str(),
                        l.seconds, verifyTimes.back(), undoTimes.back());
                }
                row.runs = static_cast<int>(commandTimes.size());
                row.commandSeconds = median(commandTimes);
                if (!realTimes.empty()) row.realSeconds = median(realTimes);
                if (!limitTimes.empty()) row.limitSeconds = median(limitTimes);
                if (!verifyTimes.empty()) row.verifySeconds = median(verifyTimes);
                if (!undoTimes.empty()) row.undoSeconds = median(undoTimes);
                // The steps of the run nearest the median: one real run's figures, which add up.
                std::size_t nearest = 0;
                for (std::size_t i = 1; i < commandTimes.size(); ++i)
                    if (std::abs(commandTimes[i] - row.commandSeconds) <
                        std::abs(commandTimes[nearest] - row.commandSeconds))
                        nearest = i;
                row.steps = steps[nearest];
                row.stepsCommandSeconds = commandTimes[nearest];
                rows.push_back(row);
                if (options.odbc && size == 100'000 && journal == "wal" && !realTimes.empty() &&
                    !row.realTimedOut) {
                    const OdbcRun odbc = measureThroughOdbc(base, real, dir);
                    std::printf(
                        "through the SQLite ODBC driver, %s lines, %.*s: %.3f s (%.1f MB), embedded %.3f s: "
                        "%.2fx <= 2: %s\n",
                        grouped(size).c_str(), static_cast<int>(scenario.name.size()), scenario.name.data(),
                        odbc.seconds, megabytes(odbc.peakKb), row.realSeconds, odbc.seconds / row.realSeconds,
                        odbc.seconds <= 2.0 * row.realSeconds ? "met" : "MISSED");
                }
                if (!options.keep && base != wal) removeAccountSet(base);
            }
            if (!options.keep) removeAccountSet(wal);
        }
    }
    return rows;
}

struct CommitResult {
    long requestedRows = 0;
    std::string journal;  // "wal" or "delete"
    long ledgerRows = 0;
    double medianMs = 0.0;
    double minMs = 0.0;
    double maxMs = 0.0;
    long peakKb = 0;
};

std::vector<CommitResult> benchCommit(const Options& options, const fs::path& dir) {
    std::vector<CommitResult> results;
    for (const long rows : options.commitRows) {
        std::fprintf(stderr, "commit on a ledger of %s rows\n", grouped(rows).c_str());
        const std::string base = (dir / fmt::format("commit_{}.db", rows)).string();
        const std::string work = (dir / "commit.db").string();
        const auto start = std::chrono::steady_clock::now();
        mustSucceed(runInChild([&] {
                        createCommitAccountSet(base, rows);
                        return std::string();
                    }),
                    "generate " + base);
        std::fprintf(stderr, "  generated in %.1f s\n", elapsedSince(start));
        for (const std::string& journal : options.journals) {
            freshCopy(base, work);
            if (journal == "delete") useRollbackJournal(work);
            const ChildOutcome outcome = mustSucceed(runInChild([&] {
                                                         const CommitTimes times =
                                                             timeConfirms(work, options.confirms);
                                                         std::string text = std::to_string(times.ledgerRows);
                                                         for (const double ms : times.milliseconds)
                                                             text += fmt::format(" {}", ms);
                                                         return text;
                                                     }),
                                                     "confirms on " + work);
            std::istringstream in(outcome.output);
            CommitResult result;
            result.requestedRows = rows;
            result.journal = journal;
            in >> result.ledgerRows;
            std::vector<double> times;
            for (double ms = 0.0; in >> ms;) times.push_back(ms);
            if (times.empty()) failLoudly("no confirm was timed on " + work);
            result.medianMs = median(times);
            result.minMs = *std::min_element(times.begin(), times.end());
            result.maxMs = *std::max_element(times.begin(), times.end());
            result.peakKb = outcome.peakKb;
            std::fprintf(stderr, "  %s journal: median %.2f ms over %zu confirms\n", journal.c_str(),
                         result.medianMs, times.size());
            results.push_back(result);
        }
        if (!options.keep) removeAccountSet(base);
    }
    return results;
}

const RowResult* find(const std::vector<RowResult>& rows, long size, std::string_view scenario,
                      std::string_view journal) {
    for (const RowResult& row : rows)
        if (row.size == size && row.scenario == scenario && row.journal == journal) return &row;
    return nullptr;
}

std::string verdict(bool met) {
    return met ? "met" : "MISSED";
}

void printReport(const Options& options, const fs::path& dir, const std::vector<RowResult>& rows,
                 const std::vector<CommitResult>& commits) {
    const Machine machine = describeMachine();
    std::printf("machine: %d CPUs, %s, %.1f GiB RAM\n", machine.cpus, machine.cpuModel.c_str(),
                machine.memoryGiB);
    std::printf("disk: one single-row SQLite commit takes %.1f ms (median of 20) in %s\n",
                diskCommitMilliseconds(dir.string()), dir.c_str());
    std::printf("times: median of up to %d runs within a %.0f s budget per size and scenario\n\n",
                options.runs, options.budgetSeconds);
    if (!rows.empty()) {
        std::printf(
            "%-9s | %-11s | %-7s | %-9s | %-7s | %4s | %9s | %9s | %8s | %9s | %7s | %7s | %8s | %8s | %8s\n",
            "size", "scenario", "journal", "lines", "pairs", "runs", "command s", "in-proc s", "limit s",
            "cmd/limit", "cmd MB", "in-p MB", "limit MB", "verify s", "undo s");
        for (const RowResult& row : rows) {
            const char* above = row.commandTimedOut ? ">" : "";
            const std::string inProcess =
                row.realSeconds > 0 ? fmt::format("{}{:.3f}", row.realTimedOut ? ">" : "", row.realSeconds)
                                    : "-";
            std::printf(
                "%-9s | %-11.*s | %-7s | %-9s | %-7s | %4d | %9s | %9s | %8.3f | %9s | %7.1f | %7s | %8.1f | "
                "%8s | %8s\n",
                grouped(row.size).c_str(), static_cast<int>(row.scenario.size()), row.scenario.data(),
                row.journal.c_str(), grouped(row.data.stockLines).c_str(), grouped(row.data.pairs).c_str(),
                row.runs, fmt::format("{}{:.3f}", above, row.commandSeconds).c_str(), inProcess.c_str(),
                row.limitSeconds,
                fmt::format("{}{:.2f}", above, row.commandSeconds / row.limitSeconds).c_str(),
                megabytes(row.commandPeakKb),
                row.realPeakKb > 0 ? fmt::format("{:.1f}", megabytes(row.realPeakKb)).c_str() : "-",
                megabytes(row.limitPeakKb),
                fmt::format("{}{:.3f}", row.verifyTimedOut ? ">" : "", row.verifySeconds).c_str(),
                fmt::format("{}{:.3f}", row.undoTimedOut ? ">" : "", row.undoSeconds).c_str());
        }
        std::printf(
            "command: `tarvenish run --ui none --on-mismatch balance --report` as a process, start to exit; "
            "in-proc: the same run called in-process.\n"
            "(b) balances its differing pairs through the dialog's policy; its limit rebuilds only the "
            "agreeing ones, so its ratio is for information.\n");
        if (std::any_of(rows.begin(), rows.end(),
                        [](const RowResult& row) { return row.commandTimedOut || row.verifyTimedOut; }))
            std::printf(
                "'>': stopped at the %.0f s run limit (--run-timeout) or the %.0f s verify limit "
                "(--verify-timeout); the figure is a lower bound.\n",
                options.runTimeoutSeconds, options.verifyTimeoutSeconds);

        std::printf(
            "\nwhere the command's run went (seconds, its report's timings; start-up = process less run):\n");
        std::printf(
            "%-9s | %-11s | %-7s | %7s | %7s | %7s | %7s | %7s | %7s | %7s | %7s | %8s | %9s | %9s | %9s\n",
            "size", "scenario", "journal", "issued", "totals", "deletes", "inserts", "commits", "check",
            "journal", "other", "start-up", "journal %", "in SQLite", "SQL/limit");
        for (const RowResult& row : rows) {
            const StepTimes& t = row.steps;
            const double other = t.total - t.issuedQuantity - t.totalsQueries - t.deletes - t.inserts -
                                 t.commits - t.check - t.journal;
            std::printf(
                "%-9s | %-11.*s | %-7s | %7.3f | %7.3f | %7.3f | %7.3f | %7.3f | %7.3f | %7.3f | %7.3f | "
                "%8.3f | %8.1f%% | %9.3f | %9.2f\n",
                grouped(row.size).c_str(), static_cast<int>(row.scenario.size()), row.scenario.data(),
                row.journal.c_str(), t.issuedQuantity, t.totalsQueries, t.deletes, t.inserts, t.commits,
                t.check, t.journal, other, row.stepsCommandSeconds - t.total,
                t.total > 0 ? 100.0 * t.journal / t.total : 0.0, t.inSqlite,
                row.limitSeconds > 0 ? t.inSqlite / row.limitSeconds : 0.0);
        }
        std::printf(
            "journal %%: the before-image journal's statements (its tables, each pair's images, its end) as "
            "a share of the run.\n"
            "in SQLite: SQLite's own running of the run's statements, every step above included; SQL/limit: "
            "that "
            "time alone against the limit, a floor for cmd/limit while the statements stay as they are.\n");
        for (const Scenario& scenario : kScenarios) {
            for (const std::string& journal : options.journals) {
                const RowResult* small = find(rows, 1'000'000, scenario.name, journal);
                const RowResult* large = find(rows, 5'000'000, scenario.name, journal);
                if (!small || !large) {
                    small = find(rows, 100'000, scenario.name, journal);
                    large = find(rows, 1'000'000, scenario.name, journal);
                }
                if (small && large && !small->commandTimedOut)
                    std::printf(
                        "growth %s/%s (%.*s, %s): command x%s%.2f, limit x%.2f, peak %.1f -> %.1f MB\n",
                        grouped(large->size).c_str(), grouped(small->size).c_str(),
                        static_cast<int>(scenario.name.size()), scenario.name.data(), journal.c_str(),
                        large->commandTimedOut ? ">" : "", large->commandSeconds / small->commandSeconds,
                        large->limitSeconds / small->limitSeconds, megabytes(small->commandPeakKb),
                        megabytes(large->commandPeakKb));
            }
        }
    }
    if (!commits.empty()) {
        std::printf("\n%-7s | %-7s | %-11s | %9s | %6s | %6s | %7s\n", "confirm", "journal", "ledger rows",
                    "median ms", "min ms", "max ms", "peak MB");
        for (const CommitResult& c : commits)
            std::printf("%-7s | %-7s | %-11s | %9.2f | %6.2f | %6.2f | %7.1f\n", "10 rows", c.journal.c_str(),
                        grouped(c.ledgerRows).c_str(), c.medianMs, c.minMs, c.maxMs, megabytes(c.peakKb));
    }

    std::printf("\ntargets (the command, run lock, journal and check on):\n");
    bool anyTarget = false;
    const auto ratioTarget = [&](std::string_view scenario, const std::string& journal, double limit) {
        const RowResult* row = find(rows, 1'000'000, scenario, journal);
        if (!row) return;
        anyTarget = true;
        const double ratio = row->commandSeconds / row->limitSeconds;
        std::printf("  1M lines, %.*s, %s: command/limit %s%.2f <= %.1f: %s\n",
                    static_cast<int>(scenario.size()), scenario.data(), journal.c_str(),
                    row->commandTimedOut ? ">" : "", ratio, limit,
                    verdict(!row->commandTimedOut && ratio <= limit).c_str());
    };
    ratioTarget(kScenarios[0].name, "wal", 3.0);
    ratioTarget(kScenarios[0].name, "delete", 3.0);
    ratioTarget(kScenarios[1].name, "wal", 3.0);
    ratioTarget(kScenarios[1].name, "delete", 3.0);
    for (const auto& [size, limitMb] : {std::pair{1'000'000L, 192.0}, std::pair{5'000'000L, 256.0}}) {
        long peakKb = 0;
        bool any = false;
        bool stopped = false;
        for (const RowResult& row : rows) {
            if (row.size != size) continue;
            any = true;
            stopped = stopped || row.commandTimedOut;
            peakKb = std::max(peakKb, row.commandPeakKb);
        }
        if (!any) continue;
        anyTarget = true;
        // A run stopped at the time limit never reached its peak: its figure is no verdict.
        if (stopped) {
            std::printf("  peak memory at %s lines >%.1f MB < %.0f: not judged, a run was stopped\n",
                        grouped(size).c_str(), megabytes(peakKb), limitMb);
            continue;
        }
        std::printf("  peak memory at %s lines %.1f MB < %.0f: %s\n", grouped(size).c_str(),
                    megabytes(peakKb), limitMb, verdict(megabytes(peakKb) < limitMb).c_str());
    }
    for (const std::string& journal : options.journals) {
        const RowResult* small = find(rows, 1'000'000, kScenarios[0].name, journal);
        const RowResult* large = find(rows, 5'000'000, kScenarios[0].name, journal);
        if (!small || !large) continue;
        anyTarget = true;
        const double growth = large->commandSeconds / small->commandSeconds;
        std::printf("  growth 1M -> 5M (%s) x%s%.2f <= 5.5: %s\n", journal.c_str(),
                    large->commandTimedOut ? ">" : "", growth,
                    verdict(!large->commandTimedOut && growth <= 5.5).c_str());
    }
    const bool anyFinished =
        std::any_of(rows.begin(), rows.end(), [](const RowResult& row) { return !row.commandTimedOut; });
    if (!rows.empty() && !anyFinished)
        std::printf("  the journal's share and verify: not judged, every run was stopped\n");
    if (anyFinished) {
        anyTarget = true;
        double worstJournal = 0.0;
        double worstVerify = 0.0;
        double worstUndo = 0.0;
        bool verifyStopped = false;
        bool undoStopped = false;
        for (const RowResult& row : rows) {
            // A stopped run has neither its timings nor a rebuilt set to verify.
            if (row.commandTimedOut) continue;
            verifyStopped = verifyStopped || row.verifyTimedOut;
            undoStopped = undoStopped || row.undoTimedOut;
            if (row.steps.total > 0)
                worstJournal = std::max(worstJournal, row.steps.journal / row.steps.total);
            if (row.commandSeconds > 0)
                worstVerify = std::max(worstVerify, row.verifySeconds / row.commandSeconds);
            if (row.commandSeconds > 0) worstUndo = std::max(worstUndo, row.undoSeconds / row.commandSeconds);
        }
        std::printf("  the journal under 15%% of a run: %.1f%% at worst: %s\n", 100.0 * worstJournal,
                    verdict(worstJournal < 0.15).c_str());
        std::printf("  verify no longer than a run: verify/run %s%.2f at worst: %s\n",
                    verifyStopped ? ">" : "", worstVerify,
                    verdict(!verifyStopped && worstVerify <= 1.0).c_str());
        std::printf("  undo no slower than the run it undoes: undo/run %s%.2f at worst: %s\n",
                    undoStopped ? ">" : "", worstUndo, verdict(!undoStopped && worstUndo <= 1.0).c_str());
    }
    if (!commits.empty()) {
        anyTarget = true;
        double worst = 0.0;
        for (const CommitResult& c : commits) worst = std::max(worst, c.medianMs);
        std::printf("  one confirm < 20 ms: %.2f ms at worst: %s\n", worst, verdict(worst < 20.0).c_str());
        for (const std::string& journal : options.journals) {
            const CommitResult* small = nullptr;
            const CommitResult* large = nullptr;
            for (const CommitResult& c : commits) {
                if (c.journal != journal) continue;
                if (small == nullptr || c.ledgerRows < small->ledgerRows) small = &c;
                if (large == nullptr || c.ledgerRows > large->ledgerRows) large = &c;
            }
            if (small == nullptr || small == large) continue;
            const double ratio = large->medianMs / small->medianMs;
            std::printf("  confirm size-independent (%s, %s/%s rows within 2x): %.2f: %s\n", journal.c_str(),
                        grouped(large->ledgerRows).c_str(), grouped(small->ledgerRows).c_str(), ratio,
                        verdict(ratio <= 2.0).c_str());
        }
    }
    if (find(rows, 1'000'000, kScenarios[0].name, "wal") == nullptr &&
        find(rows, 1'000'000, kScenarios[0].name, "delete") == nullptr)
        std::printf(
            "  (the 1,000,000-line targets need --sizes 1000000, the growth --sizes 1000000,5000000)\n");
    (void)anyTarget;
}

fs::path makeWorkDir(const Options& options) {
    if (!options.workDir.empty()) {
        fs::create_directories(options.workDir);
        return options.workDir;
    }
    std::string pattern = (fs::temp_directory_path() / "tarvenish-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a directory in " + pattern);
    return pattern;
}

int benchMain(int argc, char** argv) {
    Options options;
#ifdef TARVENISH_COMMAND
    options.command = TARVENISH_COMMAND;
#endif
    CLI::App app{
        "Times the rebuild as the command and in-process against a set-based rebuild of the same data, on "
        "both "
        "journal modes, the check of the rebuilt set, and the dialog's confirm"};
    app.add_option("--sizes", options.sizes,
                   "stock lines per account set (e.g. 10000,100000,1000000; 5000000 on request, not in CI)")
        ->delimiter(',');
    app.add_option("--journals", options.journals,
                   "journal modes of the account sets: wal, delete (a rollback journal, a host's default)")
        ->delimiter(',')
        ->check(CLI::IsMember({"wal", "delete"}));
    app.add_option("--scenarios", options.scenarios,
                   "all (every pair agrees), balance (10 % differ and are balanced)")
        ->delimiter(',')
        ->check(CLI::IsMember({"all", "balance"}));
    app.add_flag("!--no-in-process", options.inProcess, "time only the command, not the in-process run");
    app.add_option("--command", options.command, "the tarvenish command to time");
    app.add_option("--runs", options.runs, "measured runs per size and scenario; the median is reported")
        ->check(CLI::PositiveNumber);
    app.add_option(
        "--budget", options.budgetSeconds,
        "seconds per size and scenario after which no further run starts (at least one always runs)");
    app.add_option(
        "--run-timeout", options.runTimeoutSeconds,
        "seconds after which a real rebuild is stopped and reported as slower than that (0: none)");
    app.add_option(
        "--verify-timeout", options.verifyTimeoutSeconds,
        "seconds after which `tarvenish verify` is stopped and reported as slower than that (0: none)");
    app.add_option("--commit-rows", options.commitRows, "IA_Subsidiary sizes for the confirm timing")
        ->delimiter(',');
    app.add_option("--confirms", options.confirms, "timed confirms per ledger size")
        ->check(CLI::PositiveNumber);
    app.add_flag("!--no-rebuild", options.rebuild, "skip the rebuild timing");
    app.add_flag("!--no-commit", options.commit, "skip the confirm timing");
    app.add_flag("!--no-odbc", options.odbc, "skip the 100,000-line run through the SQLite ODBC driver");
    app.add_option("--work-dir", options.workDir,
                   "where the account sets are written (default: a new temp dir)");
    app.add_flag("--keep", options.keep, "keep the generated account sets");
    app.add_flag("--plans", options.plans,
                 "run only the plan's scenarios: warehouses per item and the indexes a host might add");
    app.add_flag(
        "!--no-pair-image", options.plan.pairImage,
        "the plan's runs with every per-pair statement reading all its item's lines (Pair Image=Off)");
    app.add_option("--plan-size", options.plan.size, "stock lines of the plan's account sets")
        ->check(CLI::PositiveNumber);
    app.add_option("--warehouses-per-item", options.plan.warehousesPerItem,
                   "warehouses stocking each item, one account set each (e.g. 1,10,100,500)")
        ->delimiter(',')
        ->check(CLI::Range(1, kMostDemoWarehousesPerItem));
    app.add_option("--index-variants", options.plan.indexVariants,
                   "index variants to run beside the demo set (default: every one)")
        ->delimiter(',')
        ->check(CLI::IsMember(indexVariantNames()));
    app.add_flag("!--no-index-variants", options.plan.indexes, "skip the index variants");
    CLI11_PARSE(app, argc, argv);

    if (options.rebuild && (options.command.empty() || !fs::exists(options.command)))
        throw std::runtime_error("the tarvenish command to time was not found (--command): " +
                                 options.command);
    const fs::path dir = makeWorkDir(options);
    std::fprintf(stderr, "account sets in %s\n", dir.c_str());
    if (options.plans) {
        options.plan.command = options.command;
        options.plan.runs = options.runs;
        options.plan.runTimeoutSeconds = options.runTimeoutSeconds;
        options.plan.keep = options.keep;
        benchPlans(options.plan, dir);
        if (!options.keep && options.workDir.empty()) {
            std::error_code ignored;
            fs::remove_all(dir, ignored);
        }
        return 0;
    }
    const std::vector<RowResult> rows =
        options.rebuild ? benchRebuild(options, dir) : std::vector<RowResult>{};
    const std::vector<CommitResult> commits =
        options.commit ? benchCommit(options, dir) : std::vector<CommitResult>{};
    std::fprintf(stderr, "\n");
    printReport(options, dir, rows, commits);
    if (!options.keep) {
        std::error_code ignored;
        if (options.workDir.empty())
            fs::remove_all(dir, ignored);
        else
            for (const char* name : {"command.db", "real.db", "limit.db", "commit.db"})
                removeAccountSet((dir / name).string());
    }
    return 0;
}

}  // namespace
}  // namespace tarvenish::bench

int main(int argc, char** argv) {
    tarvenish::registerEngines();
    try {
        return tarvenish::bench::benchMain(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarvenish_bench: %s\n", error.what());
        return 1;
    }
}
