#include "app/journal_commands.h"

#include <fmt/format.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "app/account_set.h"
#include "app/statement_logging.h"
#include "ledger/db/connection.h"
#include "ledger/db/run_lock.h"
#include "ledger/sql/dialect.h"
#include "reconcile/run_history.h"
#include "reconcile/undo.h"

namespace tarvenish::app {

namespace {

// Both subcommands hold the run lock: a run changing the pairs meanwhile would be undone half.
class LockedAccountSet final {
public:
    LockedAccountSet(const AccountSetOptions& accountSet, RunLockUse use)
        : m_connection(openAccountSet(accountSet.path, accountSet.connectionString)),
          m_lock(m_connection->connectionString(), use) {
        if (m_lock.allowsRun()) return;
        std::fprintf(stderr, "tarvenish: %s\n", m_lock.problem().c_str());
        m_refusal = m_lock.status() == RunLockStatus::Busy ? 5 : 2;
    }

    [[nodiscard]] Connection& connection() const { return *m_connection; }
    // The exit code when the lock could not be had, else 0.
    [[nodiscard]] int refusal() const { return m_refusal; }

private:
    ConnectionPtr m_connection;
    RunLock m_lock;
    int m_refusal = 0;
};

std::string figure(const std::optional<long>& value) {
    return value ? std::to_string(*value) : "-";
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
    const UndoResult result = undoRun(locked.connection(), options.runId, options.force);
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
    std::printf("%s\n",
                fmt::format("{:>5}  {:<20}  {:<7}  {:<10}  {:>8}  {:>9}  {:>8}  {:>8}  {}", "run", "started",
                            "dialect", "mode", "rebuilt", "confirmed", "deleted", "inserted", "undone")
                    .c_str());
    for (const JournaledRun& run : *runs) {
        const std::string undone = run.undone ? *run.undone : run.finished ? "no" : "no (did not finish)";
        // The dialect its pairs were rebuilt in.
        const bool server =
            DialectChoice::fromHostFlag(static_cast<std::int16_t>(run.dialectFlag)).forPairs() ==
            Dialect::Server;
        std::printf("%s\n", fmt::format("{:>5}  {:<20}  {:<7}  {:<10}  {:>8}  {:>9}  {:>8}  {:>8}  {}",
                                        run.runId, run.started, server ? "server" : "desktop", run.mode,
                                        figure(run.pairsRebuilt), figure(run.pairsConfirmed),
                                        figure(run.rowsDeleted), figure(run.rowsInserted), undone)
                                .c_str());
    }
    return 0;
}

}  // namespace tarvenish::app
