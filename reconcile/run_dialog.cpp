// The run's adjustment dialogs: shown for the pairs whose totals differ, with the batch of commits settled
// first when a person answers, kept open when a policy does. The run counts what the dialog returns, once.

#include <string>
#include <utility>

#include "base/step_timer.h"
#include "ledger/db/stop_request.h"
#include "reconcile/run_steps.h"

namespace tarvenish::run_detail {

Run::PairEnd Run::showDialog(const PairRow& row) {
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
        rebuildLostPairs();
        if (!m_blocked.empty()) {
            endPair(row, PairOutcome::Failed);
            return stopBlocked(m_blocked);
        }
    }
    const DialogResult answer = askDialog(row);
    if (m_blocked.empty()) m_blocked = answer.blocked;
    const bool confirmed = answer.outcome == PairOutcome::Confirmed;
    // A confirm without its figures wrote rows the run cannot account: its check then expects nothing.
    const ConfirmedPair written = answer.confirmed.value_or(ConfirmedPair{});
    if (personWaits) {
        (void)attempt("batch the commits of rebuilt pairs", std::string(),
                      [&] { m_batch.emplace(*m_hostConnection); });
        if (confirmed) confirmedDone(row, written);
    } else {
        if (confirmed) {
            // In a batch the pair is confirmed, and its rows counted, only once the batch is durable.
            UnsettledPair pair{row.code, row.invCode};
            pair.rowsDeleted = written.rowsDeleted;
            pair.rowsInserted = written.rowsInserted;
            pair.confirmed = confirmedPairDetail(row, written);
            pair.dialogRow = row;
            pair.pairNumber = m_state.PairNumber;
            m_unsettled.add(std::move(pair));
        }
        settleUnattendedDialog(confirmed, answer.failure
                                              ? answer.failure->message
                                              : std::string("the batch of commits was rolled back"));
    }
    // A confirm the dialog could not write (then closed or cancelled) left the pair behind, not by choice.
    if (answer.outcome == PairOutcome::Failed) endPair(row, PairOutcome::Failed);
    if (answer.cancelled) {
        m_state.StopRun = true;
        // The pair cancelled is left without a count, as the pairs after it are.
        if (answer.outcome != PairOutcome::Failed) {
            m_report.pairsNotReached.push_back(row.label());
            if (m_facts) m_facts->recordKept(row, "cancelled");
        }
        // A stop request closes the dialog as Cancel does: the run was interrupted, nobody cancelled it.
        if (stopRequested() != 0) {
            m_interrupted = true;
        } else {
            m_report.cancelled = true;
        }
        return PairEnd::Stop;
    }
    if (!m_blocked.empty()) return stopBlocked(m_blocked);
    if (answer.outcome == PairOutcome::Skipped) endPair(row, PairOutcome::Skipped);
    return PairEnd::Next;
}

DialogResult Run::askDialog(const PairRow& row) {
    DialogResult answer;
    if (attempt("adjustment dialog for pair " + row.label(), std::string(),
                [&] { answer = m_presenter->showModal(m_mode, m_report); })) {
        return answer;
    }
    // A dialog that could not be shown, or let an error through, left the pair behind; it stopped the run if
    // it got as far as its Cancel.
    DialogResult failed;
    failed.outcome = PairOutcome::Failed;
    failed.cancelled = m_state.StopRun;
    failed.failure = m_report.failures.back();
    return failed;
}

void Run::settleUnattendedDialog(bool confirmed, std::string message) {
    bool committed = confirmed;
    // A batch of dialogs alone is made durable when due, as one of rebuilt pairs is.
    if (confirmed && m_batch) {
        const StepTimer timer(m_report.timings.commits);
        committed = attempt("make the rebuilt pairs durable", "COMMIT", [&] { m_batch->commitWhenDue(); });
        if (!committed) message = m_report.failures.back().message;
    }
    // A failed confirm may have taken the batch with it (SQLite rolls the whole transaction back on some
    // errors): the pairs held in it are then lost.
    m_unsettled.account(m_hostConnection->unsettledTransactions(), committed, message);
    rebuildLostPairs();
}

void Run::endPair(const PairRow& row, PairOutcome outcome) {
    m_report.count(outcome);
    if (m_report.onPairDone) m_report.pairDone(keptPairDetail(row, outcome));
}

void Run::confirmedDone(const PairRow& row, const ConfirmedPair& written) {
    m_report.count(PairOutcome::Confirmed);
    m_report.rowsDeleted += written.rowsDeleted;
    m_report.rowsInserted += written.rowsInserted;
    // The grid totals the confirm wrote are what the pair's rows must now hold.
    m_check.expect(row.code, row.invCode, written.quantity, written.money);
    m_report.pairDone(confirmedPairDetail(row, written));
}

}  // namespace tarvenish::run_detail
