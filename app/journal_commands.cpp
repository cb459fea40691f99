#include "app/journal_commands.h"

#include <fmt/format.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "app/account_set.h"
#include "app/locked_account_set.h"
#include "app/statement_logging.h"
#include "app/terminal_progress.h"
#include "ledger/db/connection.h"
#include "ledger/db/run_lock.h"
#include "ledger/sql/dialect.h"
#include "reconcile/run_history.h"
#include "reconcile/run_record.h"
#include "reconcile/undo.h"

namespace tarvenish::app {

namespace {

std::string figure(const std::optional<long>& value) {
    return value ? std::to_string(*value) : "-";
}

// How a run ended, as history shows it; "-" for a run journaled before its outcome was kept.
std::string outcomeText(const JournaledRun& run) {
    if (!run.finished) return "did not finish";
    if (!run.outcome) return "-";
    if (*run.outcome == "left") return std::to_string(run.pairsLeft.value_or(0)) + " left";
    return *run.outcome;
}

std::string pairName(const UndonePair& pair) {
    return pair.code + "/" + pair.invCode;
}

// Prints what undo did, pair by pair and in sum; returns the exit code.
int reportUndo(const UndoResult& result) {
    switch (result.status) {
        case UndoStatus::NoJournal:
            std::printf("no runs recorded\n");
            return 2;
        case UndoStatus::NothingToUndo:
            std::printf("every recorded run is undone already\n");
            return 2;
        case UndoStatus::NoSuchRun:
            std::fprintf(stderr, "tarvenish: run %ld is not recorded\n", result.runId);
            return 2;
        case UndoStatus::AlreadyUndone:
            std::fprintf(stderr, "tarvenish: run %ld is undone already\n", result.runId);
            return 2;
        case UndoStatus::Done:
            break;
    }
    int restored = 0;
    int unchanged = 0;
    int left = 0;
    int failed = 0;
    for (const UndonePair& pair : result.pairs) {
        switch (pair.outcome) {
            case PairRestore::Restored:
                ++restored;
                break;
            case PairRestore::Forced:
                ++restored;
                std::printf("restored although changed after run %ld: %s\n", result.runId,
                            pairName(pair).c_str());
                break;
            case PairRestore::AlreadyAsBefore:
                ++unchanged;
                break;
            case PairRestore::ChangedSince:
                ++left;
                std::printf("changed after run %ld, left as it is (--force restores it): %s\n", result.runId,
                            pairName(pair).c_str());
                break;
            case PairRestore::Failed:
                ++failed;
                std::printf("could not be restored, left as it was: %s: %s\n", pairName(pair).c_str(),
                            pair.message.c_str());
                break;
        }
    }
    std::printf("run %ld: %zu pairs, %d restored, %d already as before, %d left as they are, %d failed\n",
                result.runId, result.pairs.size(), restored, unchanged, left, failed);
    if (!result.syncFailure.empty()) {
        std::fprintf(stderr, "tarvenish: the restored rows could not be synced to the disk: %s\n",
                     result.syncFailure.c_str());
        return 1;
    }
    if (!result.markFailure.empty()) {
        std::fprintf(
            stderr,
            "tarvenish: every pair of run %ld is restored, but the run could not be marked undone: %s\n",
            result.runId, result.markFailure.c_str());
        return 1;
    }
    std::printf(result.markedUndone ? "run %ld is undone\n" : "run %ld is not undone yet\n", result.runId);
    return result.markedUndone ? 0 : 3;
}

}  // namespace

int undoJournaledRun(const AccountSetOptions& accountSet, const UndoOptions& options) {
    // The log is opened before anything changes: an audit trail that cannot be kept stops the undo unstarted.
    std::optional<StatementLogging> log;
    try {
        log.emplace(options.logPath,
                    accountSetConnectionString(accountSet.path, accountSet.connectionString));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarvenish: %s\n", e.what());
        return 2;
    }
    const LockedAccountSet locked(accountSet, RunLockUse::Change);
    if (locked.refusal() != 0) return locked.refusal();
    const UndoResult result = [&] {
        TerminalProgress progress;
        progress.phase("restoring the pairs' opening rows");
        return undoRun(locked.connection(), options.runId, options.force,
                       [&progress](int done, int total) { progress.count(done, total); });
    }();
    ConnectionPool::clear();
    const int exitCode = reportUndo(result);
    if (const std::string problem = log->finish(); !problem.empty()) {
        std::fprintf(stderr, "tarvenish: %s\n", problem.c_str());
        if (exitCode == 0) return 4;
    }
    return exitCode;
}

int showHistory(const AccountSetOptions& accountSet) {
    const LockedAccountSet locked(accountSet, RunLockUse::Read);
    if (locked.refusal() != 0) return locked.refusal();
    const auto runs = journaledRuns(locked.connection());
    ConnectionPool::clear();
    if (!runs || runs->empty()) {
        std::printf("no runs recorded\n");
        return 0;
    }
    const auto line = [](const auto&... fields) {
        std::printf("%s\n",
                    fmt::format("{:>5}  {:<20}  {:<7}  {:<10}  {:<14}  {:>8}  {:>9}  {:>8}  {:>8}  {:<4}  {}",
                                fields...)
                        .c_str());
    };
    line("run", "started", "dialect", "mode", "outcome", "rebuilt", "confirmed", "deleted", "inserted",
         "undo", "undone");
    for (const JournaledRun& run : *runs) {
        const std::string undone = run.undone ? *run.undone : run.finished ? "no" : "no (did not finish)";
        // The dialect its pairs were rebuilt in.
        const bool server =
            DialectChoice::fromHostFlag(static_cast<std::int16_t>(run.dialectFlag)).forPairs() ==
            Dialect::Server;
        line(run.runId, run.started, server ? "server" : "desktop", run.mode, outcomeText(run),
             figure(run.pairsRebuilt), figure(run.pairsConfirmed), figure(run.rowsDeleted),
             figure(run.rowsInserted), canStillUndo(run, run.changedRows) ? "yes" : "no", undone);
    }
    return 0;
}

}  // namespace tarvenish::app
