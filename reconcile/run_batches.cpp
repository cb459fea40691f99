// The run's batches of commits: made durable when due, ended around a dialog a person answers, and the pairs
// a lost batch took along done again one by one.

#include <string>
#include <utility>
#include <vector>

#include "base/step_timer.h"
#include "ledger/db/commit_batch.h"
#include "ledger/db/stop_request.h"
#include "reconcile/regeneration.h"
#include "reconcile/run_steps.h"
#include "reconcile/unsettled_pairs.h"

namespace tarvenish::run_detail {

void Run::stopBatching() {
    const StepTimer timer(m_report.timings.commits);
    const bool settled = attempt("make the rebuilt pairs durable", "COMMIT", [&] {
        if (m_batch) m_batch->commit();
    });
    if (settled) {
        m_unsettled.settleAll();
    } else {
        m_unsettled.loseAll(m_report.failures.back().message);
    }
    (void)attempt("end the batched commits", std::string(), [&] {
        if (m_batch) m_batch->end();
        m_batch.reset();
    });
    if (m_facts && !m_batch) m_facts->flush();
}

void Run::settleWhenDue() {
    if (!m_batch || m_hostConnection->unsettledTransactions() == 0) return;
    {
        const StepTimer timer(m_report.timings.commits);
        const bool committed =
            attempt("make the rebuilt pairs durable", "COMMIT", [&] { m_batch->commitWhenDue(); });
        m_unsettled.account(
            m_hostConnection->unsettledTransactions(), committed,
            committed ? std::string_view() : std::string_view(m_report.failures.back().message));
    }
    rebuildLostPairs();
}

void Run::rebuildLostPairs() {
    std::vector<LostPair> lostPairs = m_unsettled.takeLost();
    if (lostPairs.empty()) return;
    const bool batched = m_batch.has_value();
    if (batched) {
        stopBatching();
        for (LostPair& more : m_unsettled.takeLost()) lostPairs.push_back(std::move(more));
    }
    bool giveUp = false;
    for (const LostPair& lost : lostPairs) {
        // A stop request ends the run at its next safe point: the pairs not done again keep their rows.
        if (giveUp || !m_blocked.empty() || m_state.StopRun || stopRequested() != 0) {
            m_unsettled.failLost(lost);
            continue;
        }
        if (lost.pair.confirmed) {
            // Only a dialog answered at once commits into a batch: asking it again costs no person anything.
            // Without the batch its confirm is durable at once and counted as it returns.
            if (!lost.pair.dialogRow || !initialise(*lost.pair.dialogRow)) {
                m_unsettled.failLost(lost);
                continue;
            }
            const std::size_t failuresBefore = m_report.failures.size();
            m_state.PairNumber = lost.pair.pairNumber;
            (void)showDialog(*lost.pair.dialogRow);
            giveUp = m_report.failures.size() != failuresBefore &&
                     m_report.failures.back().message == lost.message;
            continue;
        }
        const RegenerationResult again =
            Regenerate(*m_hostConnection, m_dialects.forPairs(), m_mode, m_keepDate, lost.pair.code,
                       lost.pair.invCode, nullptr, m_report.runId, &m_report.timings);
        if (again.committed) {
            UnsettledPair rebuilt = lost.pair;
            rebuilt.rowsDeleted = again.rowsDeleted;
            rebuilt.rowsInserted = again.rowsInserted;
            m_unsettled.settleRebuilt(std::move(rebuilt));
            continue;
        }
        m_report.recordFailure({"regenerate pair " + lost.pair.label(), again.statement, again.message});
        m_unsettled.failRebuilt(lost.pair);
        // What the batch was lost to meets every pair alike (a full disk, say): the others would only fail
        // too.
        giveUp = again.blocksLaterPairs || again.message == lost.message;
        if (again.blocksLaterPairs && m_blocked.empty()) m_blocked = again.message;
    }
    if (batched) {
        (void)attempt("batch the commits of rebuilt pairs", std::string(),
                      [&] { m_batch.emplace(*m_hostConnection); });
    }
}

}  // namespace tarvenish::run_detail
