// tarvenish_bench: the headless rebuild of generated account sets against a hand-written set-based rebuild of
// the same data, and the dialog's confirm on a small and a large ledger. Every measured piece runs in a
// forked child of its own, on a fresh copy of the generated file, so that its peak memory is its own.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include "app/demo/demo_account_set.h"
#include "bench/child_process.h"
#include "bench/commit_bench.h"
#include "bench/machine.h"
#include "bench/odbc_bench.h"
#include "bench/set_rebuild.h"
#include "component/adjustment_presenter.h"
#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "ledger/connection.h"
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
    int runs = 3;
    std::vector<long> commitRows{10'000, 1'000'000};
    int confirms = 20;
    double budgetSeconds = 180.0;
    double runTimeoutSeconds = 180.0;
    bool rebuild = true;
    bool commit = true;
    bool odbc = true;
    std::string workDir;
    bool keep = false;
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

struct RowResult {
    long size = 0;
    std::string_view scenario;
    DemoSummary data;
    double realSeconds = 0.0;
    double limitSeconds = 0.0;
    long realPeakKb = 0;
    long limitPeakKb = 0;
    int runs = 0;
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
            const bool result = JustAccountRun(context, kServerDialect, connection);
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
            std::fprintf(stderr, "size %s, %.*s\n", grouped(size).c_str(),
                         static_cast<int>(scenario.name.size()), scenario.name.data());
            const std::string base =
                (dir / fmt::format("set_{}_{}.db", size, scenario.mismatchPercent)).string();
            const std::string real = (dir / "real.db").string();
            const std::string limit = (dir / "limit.db").string();
            RowResult row{size, scenario.name, generate(base, size, scenario.mismatchPercent)};
            std::vector<double> realTimes, limitTimes;
            const auto rowStart = std::chrono::steady_clock::now();
            for (int run = 0; run < options.runs; ++run) {
                // A slow build still finishes: no run starts that would end past the budget, but one always
                // runs.
                if (run > 0 &&
                    elapsedSince(rowStart) + realTimes.back() + limitTimes.back() > options.budgetSeconds) {
                    std::fprintf(stderr, "  stopping after %d run(s): another would pass the %.0f s budget\n",
                                 run, options.budgetSeconds);
                    break;
                }
                freshCopy(base, real);
                const Measured r = measureReal(real, row.data, options.runTimeoutSeconds);
                freshCopy(base, limit);
                const Measured l = measureLimit(limit, row.data);
                std::fprintf(stderr, "  run %d: real %.3f s (%.1f MB), limit %.3f s (%.1f MB)\n", run + 1,
                             r.seconds, megabytes(r.peakKb), l.seconds, megabytes(l.peakKb));
                realTimes.push_back(r.seconds);
                limitTimes.push_back(l.seconds);
                row.realPeakKb = std::max(row.realPeakKb, r.peakKb);
                row.limitPeakKb = std::max(row.limitPeakKb, l.peakKb);
                if (r.timedOut) {
                    std::fprintf(
                        stderr,
                        "  the real rebuild was stopped after %.0f s: no further run, no comparison\n",
                        r.seconds);
                    row.realTimedOut = true;
                    break;
                }
                if (scenario.mismatchPercent == 0 && run == 0) checkSameLedger(real, limit);
            }
            row.runs = static_cast<int>(realTimes.size());
            row.realSeconds = median(realTimes);
            row.limitSeconds = median(limitTimes);
            rows.push_back(row);
            if (options.odbc && size == 100'000 && !row.realTimedOut) {
                const OdbcRun odbc = measureThroughOdbc(base, real, dir);
                std::printf("through the SQLite ODBC driver, %s lines, %.*s: %.3f s (%.1f MB), embedded %.3f s: "
                            "%.2fx <= 2: %s\n",
                            grouped(size).c_str(), static_cast<int>(scenario.name.size()), scenario.name.data(),
                            odbc.seconds, megabytes(odbc.peakKb), row.realSeconds, odbc.seconds / row.realSeconds,
                            odbc.seconds <= 2.0 * row.realSeconds ? "met" : "MISSED");
            }
            if (!options.keep) removeAccountSet(base);
        }
    }
    return rows;
}

struct CommitResult {
    long requestedRows = 0;
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
        freshCopy(base, work);
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
        CommitResult result{rows};
        in >> result.ledgerRows;
        std::vector<double> times;
        for (double ms = 0.0; in >> ms;) times.push_back(ms);
        if (times.empty()) failLoudly("no confirm was timed on " + work);
        result.medianMs = median(times);
        result.minMs = *std::min_element(times.begin(), times.end());
        result.maxMs = *std::max_element(times.begin(), times.end());
        result.peakKb = outcome.peakKb;
        std::fprintf(stderr, "  median %.2f ms over %zu confirms\n", result.medianMs, times.size());
        results.push_back(result);
        if (!options.keep) removeAccountSet(base);
    }
    return results;
}

const RowResult* find(const std::vector<RowResult>& rows, long size, std::string_view scenario) {
    for (const RowResult& row : rows)
        if (row.size == size && row.scenario == scenario) return &row;
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
        std::printf("%-9s | %-11s | %-9s | %-7s | %4s | %8s | %8s | %10s | %7s | %8s\n", "size", "scenario",
                    "lines", "pairs", "runs", "real s", "limit s", "real/limit", "peak MB", "limit MB");
        for (const RowResult& row : rows) {
            const char* above = row.realTimedOut ? ">" : "";
            std::printf("%-9s | %-11.*s | %-9s | %-7s | %4d | %8s | %8.3f | %10s | %7.1f | %8.1f\n",
                        grouped(row.size).c_str(), static_cast<int>(row.scenario.size()), row.scenario.data(),
                        grouped(row.data.stockLines).c_str(), grouped(row.data.pairs).c_str(), row.runs,
                        fmt::format("{}{:.3f}", above, row.realSeconds).c_str(), row.limitSeconds,
                        fmt::format("{}{:.1f}", above, row.realSeconds / row.limitSeconds).c_str(),
                        megabytes(row.realPeakKb), megabytes(row.limitPeakKb));
        }
        std::printf(
            "(b) balances its differing pairs through the dialog; its limit rebuilds only the agreeing "
            "ones, so its ratio is for information.\n");
        if (std::any_of(rows.begin(), rows.end(), [](const RowResult& row) { return row.realTimedOut; }))
            std::printf(
                "'>': the real rebuild was stopped at the %.0f s run limit (--run-timeout); the figure is a "
                "lower bound.\n",
                options.runTimeoutSeconds);
        for (const Scenario& scenario : kScenarios) {
            const RowResult* small = find(rows, 100'000, scenario.name);
            const RowResult* large = find(rows, 1'000'000, scenario.name);
            if (small && large && !small->realTimedOut)
                std::printf("growth 1,000,000/100,000 (%.*s): real x%s%.1f, limit x%.1f\n",
                            static_cast<int>(scenario.name.size()), scenario.name.data(),
                            large->realTimedOut ? ">" : "", large->realSeconds / small->realSeconds,
                            large->limitSeconds / small->limitSeconds);
        }
    }
    if (!commits.empty()) {
        std::printf("\n%-7s | %-11s | %9s | %6s | %6s | %7s\n", "confirm", "ledger rows", "median ms",
                    "min ms", "max ms", "peak MB");
        for (const CommitResult& c : commits)
            std::printf("%-7s | %-11s | %9.2f | %6.2f | %6.2f | %7.1f\n", "10 rows",
                        grouped(c.ledgerRows).c_str(), c.medianMs, c.minMs, c.maxMs, megabytes(c.peakKb));
        if (commits.size() >= 2)
            std::printf("commit ratio %s/%s rows: %.2f\n", grouped(commits.back().ledgerRows).c_str(),
                        grouped(commits.front().ledgerRows).c_str(),
                        commits.back().medianMs / commits.front().medianMs);
    }

    std::printf("\ntargets:\n");
    if (const RowResult* big = find(rows, 1'000'000, kScenarios[0].name)) {
        const char* above = big->realTimedOut ? ">" : "";
        const double ratio = big->realSeconds / big->limitSeconds;
        std::printf("  1M lines all matching: real/limit %s%.2f <= 2.5: %s\n", above, ratio,
                    verdict(!big->realTimedOut && ratio <= 2.5).c_str());
        std::printf(
            "  1M lines all matching: peak %.1f MB < 256: %s\n", megabytes(big->realPeakKb),
            big->realTimedOut ? "not known (stopped)" : verdict(megabytes(big->realPeakKb) < 256.0).c_str());
        const RowResult* small = find(rows, 100'000, kScenarios[0].name);
        if (small && !small->realTimedOut) {
            const double growth = big->realSeconds / small->realSeconds;
            std::printf("  growth 1M/100k %s%.1f <= 12: %s\n", above, growth,
                        verdict(!big->realTimedOut && growth <= 12.0).c_str());
        }
    } else {
        std::printf("  (the 1,000,000-line targets need --sizes 100000,1000000)\n");
    }
    if (!commits.empty()) {
        double worst = 0.0;
        for (const CommitResult& c : commits) worst = std::max(worst, c.medianMs);
        std::printf("  one confirm < 20 ms: %.2f ms at worst: %s\n", worst, verdict(worst < 20.0).c_str());
        if (commits.size() >= 2) {
            const double ratio = commits.back().medianMs / commits.front().medianMs;
            std::printf("  confirm within 2x between the ledger sizes: %.2f: %s\n", ratio,
                        verdict(ratio <= 2.0).c_str());
        }
    }
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
    CLI::App app{
        "Times the headless rebuild against a set-based rebuild of the same data, and the dialog's confirm"};
    app.add_option("--sizes", options.sizes, "stock lines per account set (e.g. 10000,100000,1000000)")
        ->delimiter(',');
    app.add_option("--runs", options.runs, "measured runs per size and scenario; the median is reported")
        ->check(CLI::PositiveNumber);
    app.add_option(
        "--budget", options.budgetSeconds,
        "seconds per size and scenario after which no further run starts (at least one always runs)");
    app.add_option(
        "--run-timeout", options.runTimeoutSeconds,
        "seconds after which a real rebuild is stopped and reported as slower than that (0: none)");
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
    CLI11_PARSE(app, argc, argv);

    const fs::path dir = makeWorkDir(options);
    std::fprintf(stderr, "account sets in %s\n", dir.c_str());
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
            for (const char* name : {"real.db", "limit.db", "commit.db"})
                removeAccountSet((dir / name).string());
    }
    return 0;
}

}  // namespace
}  // namespace tarvenish::bench

int main(int argc, char** argv) {
    try {
        return tarvenish::bench::benchMain(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarvenish_bench: %s\n", error.what());
        return 1;
    }
}
