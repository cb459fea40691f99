#pragma once
// The run's steps as one object: the run itself (run.cpp), its batches of commits (run_batches.cpp) and its
// adjustment dialogs (run_dialog.cpp). Internal to the run.

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "component/adjustment_presenter.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "component/shared_state.h"
#include "ledger/db/commit_batch.h"
#include "ledger/db/connection.h"
#include "ledger/db/error.h"
#include "ledger/db/recordset.h"
#include "ledger/sql/dialect.h"
#include "reconcile/pair_fact_journal.h"
#include "reconcile/pair_row.h"
#include "reconcile/pair_screening.h"
#include "reconcile/unsettled_pairs.h"
#include "reconcile/work_check.h"

namespace tarvenish::run_detail {

// One run: the steps in order, each failure recorded and the next step taken.
class Run final {
public:
    Run(RunContext& context, DialectChoice dialects, ConnectionPtr hostConnection)
        : m_dialects(dialects),
          m_hostConnection(std::move(hostConnection)),
          m_state(sharedState()),
          m_report(context.report),
          m_presenter(context.presenter.get()),
          m_dryRun(context.dryRun) {}

    bool execute();
    // Ends the run after something escaped the steps: what was added is removed and the failure reported.
    bool abandon(std::string_view message) noexcept;

private:
    enum class PairEnd { Next, Stop };

    // Runs one step; a failure goes into the report with `statement` as it stood when the step failed.
    template <typename Text, typename Step>
    bool attempt(std::string step, const Text& statement, Step&& body) noexcept;

    bool readMode();
    // The decimals settings into SharedState; false when the run stopped: refused for a setting that names no
    // decimals, unfinished when they cannot be read.
    bool readDecimals();
    [[nodiscard]] long countOpeningRows();
    // False when the pair summary could not be read.
    [[nodiscard]] bool visitPairs();
    PairEnd visitPair(const Recordset& summary);
    // Names the pairs from the summary's current row to its end as not reached.
    void noteNotReached(Recordset& summary);
    PairEnd showDialog(const PairRow& row);
    // Puts the pair `row` into SharedState through init, as the dialog reads it; false when init failed.
    [[nodiscard]] bool initialise(const PairRow& row);
    // Shows the dialog for `row` and returns what it did; a dialog that throws failed the pair.
    [[nodiscard]] DialogResult askDialog(const PairRow& row);
    // Counts a pair that was not rebuilt or confirmed and hands its outcome to the report's listener: it
    // keeps its totals.
    void endPair(const PairRow& row, PairOutcome outcome);
    // Counts a pair the dialog confirmed, with what its commit `written`, expects its totals in the run's
    // check and hands it to the report's listener.
    void confirmedDone(const PairRow& row, const ConfirmedPair& written);
    // Ends the pair loop after a failure that no later pair can escape.
    PairEnd stopBlocked(std::string_view message);
    // Makes what the host committed durable and its commits immediate again, accounting the unsettled pairs.
    void stopBatching();
    // Rebuilds again (or asks the unattended dialog again), each on its own and durable at once, the pairs a
    // batch was lost with, so that one pair's failure (a trigger that rolls the transaction back, say) costs
    // that pair alone. Batching resumes afterwards if it was on.
    void rebuildLostPairs();
    // After a dialog answered at once inside the batch: makes the batch durable when due and accounts the
    // pairs it holds, of which a confirmed one is the newest; pairs lost with the batch fail with `message`
    // (the dialog's last failure) unless the commit gives another.
    void settleUnattendedDialog(bool confirmed, std::string message);
    // After a pair that committed nothing (left or failed): makes the batch durable when due all the same, so
    // that a run of such pairs neither keeps the pairs before them undurable nor holds the write lock longer.
    void settleWhenDue();
    // Stops without having compared a pair: the run did not do its job, so it does not report success.
    bool stopUnfinished(std::string_view why);
    // Stops before any change because the account set is set up so that the run cannot do its job.
    bool refuse(std::string step, std::string why);
    // Stops on a stop request: what is done is kept and made durable, what the run added is removed.
    bool stopInterrupted();
    bool finish(bool result);
    // Says that the run's row in the journal could not be completed, and what that leaves.
    void reportJournalIncomplete();
    // The settings the run's journal records as it starts.
    [[nodiscard]] JournalRunSettings journalSettings() const;
    // How the run ended, for its journal.
    [[nodiscard]] JournalRunOutcome journalOutcome(bool result) const;

    DialectChoice m_dialects;
    ConnectionPtr m_hostConnection;
    SharedState& m_state;
    RunReport& m_report;
    AdjustmentPresenter* m_presenter;
    // The run works on a snapshot, whose journal goes with it.
    bool m_dryRun;
    PairMode m_mode = PairMode::Department;
    Date m_keepDate{};
    // The issued-quantity pass was begun: its column must be removed as the run ends.
    bool m_issuedQuantityStarted = false;
    // While the pass's column lasts, queries on the host's connection string read through the connection
    // that holds it.
    std::optional<ReadingOwnData> m_readingOwnData;
    bool m_interrupted = false;
    // The engine's message of the first failure that no later statement can escape, empty while none.
    std::string m_blocked;
    // Pairs whose regeneration would write a receipt line with Null quantity and money.
    std::set<PairKey> m_withoutIssued;
    WorkCheck m_check;
    UnsettledPairs m_unsettled{m_report, m_check};
    // Open while the rebuilt pairs' commits are batched; ends before the host's connection is let go.
    std::optional<CommitBatch> m_batch;
    // Records the pairs not rebuilt on their own once the run's journal is started; ends with the run.
    std::optional<PairFactJournal> m_facts;
};

// The text of the statement in hand, for a failure's report.
[[nodiscard]] inline std::string statementText(std::string_view text) {
    return std::string(text);
}
[[nodiscard]] inline std::string statementText(const Statement& statement) {
    return statement.text();
}

template <typename Text, typename Step>
bool Run::attempt(std::string step, const Text& statement, Step&& body) noexcept {
    try {
        body();
        return true;
    } catch (const DbError& error) {
        if (error.blocksEveryStatement() && m_blocked.empty()) m_blocked = failureMessage(error);
        m_report.recordFailure({std::move(step), statementText(statement), failureMessage(error)});
    } catch (const std::exception& error) {
        m_report.recordFailure({std::move(step), statementText(statement), failureMessage(error)});
    } catch (...) {
        m_report.recordFailure({std::move(step), statementText(statement), "unknown error"});
    }
    return false;
}

}  // namespace tarvenish::run_detail
