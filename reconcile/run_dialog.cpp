// The run's adjustment dialogs: shown for the pairs whose totals differ, with the batch of commits settled
// first when a person answers, kept open when a policy does.

#include <string>
#include <utility>

#include "base/step_timer.h"
#include "ledger/stop_request.h"
#include "reconcile/reconciliation_run.h"

namespace tarvenish::run_detail {

ReconciliationRun::PairEnd ReconciliationRun::showDialog(const PairRow& row) {
    if (m_presenter == nullptr) {
        endPair(row, PairOutcome::Skipped);
        return PairEnd::Next;
    }
    // A person may look at the dialog for minutes: no write lock may be held meanwhile, and the dialog's own
    // commit is durable at once. A dialog answered at once commits into the batch instead: two syncs per
    // dialog would cost more than the pair's whole rebuild.
    const bool personWaits = m_presenter->waitsForPerson();
    if (personWaits) {
        stopBatching();
        if (!m_blocked.empty()) {
            endPair(row, PairOutcome::Failed);
            return stopBlocked(m_blocked);
        }
    }
    m_report.confirmed.reset();
    m_report.balancingVoucher.clear();
    const int confirmedBefore = m_report.pairsConfirmed;
    const int failedBefore = m_report.pairsFailed;
    const long rowsDeletedBefore = m_report.rowsDeleted;
    const long rowsInsertedBefore = m_report.rowsInserted;
    const std::size_t failuresBefore = m_report.failures.size();
    const bool shown = attempt("adjustment dialog for pair " + row.label(), std::string(),
                               [&] { m_presenter->showModal(m_report); });
    const bool confirmed = m_report.pairsConfirmed != confirmedBefore;
    // The dialog records a confirm it could not write (as any other failure of its own) in the report: such a
    // pair was not left as it was by choice, whether the accountant then closed the dialog or cancelled.
    const bool failed = !confirmed && (!shown || m_report.failures.size() != failuresBefore);
    for (std::size_t i = failuresBefore; i < m_report.failures.size() && m_blocked.empty(); ++i) {
        if (m_report.failures[i].blocksRun) m_blocked = m_report.failures[i].message;
    }
    if (failed && m_report.pairsFailed == failedBefore) m_report.count(PairOutcome::Failed);
    // Counted by the dialog's unload (a failed rewrite, then closed) or just above; later counts are of other
    // pairs, lost with the batch.
    const bool pairFailed = m_report.pairsFailed != failedBefore;
    if (personWaits) {
        (void)attempt("batch the commits of rebuilt pairs", std::string(), [&] { m_batch.emplace(*m_host); });
        if (confirmed) {
            // The grid totals the confirm wrote are what the pair's rows must now hold.
            m_check.expect(row.code, row.invCode, m_state.SumQuantity, m_state.SumMoney);
            confirmedDone(row);
        }
    } else {
        if (confirmed) {
            // The dialog counted the pair confirmed as its commit returned; in a batch it is confirmed, and
            // its rows counted, only once the batch is durable.
            UnsettledPair pair{row.code, row.invCode};
            pair.rowsDeleted = m_report.rowsDeleted - rowsDeletedBefore;
            pair.rowsInserted = m_report.rowsInserted - rowsInsertedBefore;
            pair.confirmed = confirmedPairDetail(row, m_state, m_report);
            m_report.pairsConfirmed = confirmedBefore;
            m_report.rowsDeleted = rowsDeletedBefore;
            m_report.rowsInserted = rowsInsertedBefore;
            m_unsettled.add(std::move(pair));
        }
        settleUnattendedDialog(confirmed, failuresBefore);
    }
    if (!confirmed && pairFailed) pairDone(row, PairOutcome::Failed);
    if (m_state.StopRun) {
        // A stop request closes the dialog as Cancel does: the run was interrupted, nobody cancelled it.
        if (stopRequested() != 0) {
            m_interrupted = true;
        } else {
            m_report.cancelled = true;
        }
        return PairEnd::Stop;
    }
    if (!m_blocked.empty()) return stopBlocked(m_blocked);
    // The dialog's commit counts the pairs it wrote; anything else left the pair as it was.
    if (!confirmed && !pairFailed) endPair(row, PairOutcome::Skipped);
    return PairEnd::Next;
}

void ReconciliationRun::settleUnattendedDialog(bool confirmed, std::size_t failuresBefore) {
    bool committed = confirmed;
    std::string message = "the batch of commits was rolled back";
    if (m_report.failures.size() > failuresBefore) message = m_report.failures.back().message;
    // A batch of dialogs alone is made durable when due, as one of rebuilt pairs is.
    if (confirmed && m_batch) {
        const StepTimer timer(m_report.timings.commits);
        committed = attempt("make the rebuilt pairs durable", "COMMIT", [&] { m_batch->commitWhenDue(); });
        if (!committed) message = m_report.failures.back().message;
    }
    // A failed confirm may have taken the batch with it (SQLite rolls the whole transaction back on some
    // errors): the pairs held in it are then lost.
    m_unsettled.account(m_host->unsettledTransactions(), committed, message);
}

void ReconciliationRun::endPair(const PairRow& row, PairOutcome outcome) {
    m_report.count(outcome);
    pairDone(row, outcome);
}

void ReconciliationRun::pairDone(const PairRow& row, PairOutcome outcome) {
    if (m_report.onPairDone) m_report.pairDone(keptPairDetail(row, outcome));
}

void ReconciliationRun::confirmedDone(const PairRow& row) {
    if (m_report.onPairDone) m_report.pairDone(confirmedPairDetail(row, m_state, m_report));
}

}  // namespace tarvenish::run_detail
