#include "reconcile/run.h"

#include "reconcile/run_steps.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/step_timer.h"
#include "component/adjustment_presenter.h"
#include "component/pair_init.h"
#include "component/run_context.h"
#include "component/run_journal.h"
#include "component/run_report.h"
#include "component/settings.h"
#include "component/shared_state.h"
#include "ledger/db/commit_batch.h"
#include "ledger/db/connection_redaction.h"
#include "ledger/db/error.h"
#include "ledger/db/recordset.h"
#include "ledger/db/stop_request.h"
#include "ledger/sql/host_tables.h"
#include "ledger/sql/statements.h"
#include "ledger/sqlite/statement_clock.h"
#include "reconcile/issued_quantity.h"
#include "reconcile/pair_row.h"
#include "reconcile/pair_screening.h"
#include "reconcile/regeneration.h"
#include "reconcile/totals_match.h"
#include "reconcile/unsettled_pairs.h"
#include "reconcile/work_check.h"

namespace tarvenish::run_detail {

// How many pairs' facts the run holds before it writes them.
constexpr std::size_t kFactsHeld = 4096;

bool Run::execute() {
    m_report.reset();
    // A request left from before this run is not meant for it.
    clearStopRequest();
    if (!m_hostConnection) {
        m_report.recordFailure({"start the run", "", "no connection to the account set was passed"});
        m_report.result = false;
        m_report.stop = RunStop::Fatal;
        return false;
    }
    if (m_state.connEmpty()) m_state.Conn = m_hostConnection;
    // init keeps the first connection it was given until a run ends. A run given another account set would
    // fill departments and add its column on the kept one while rebuilding the other.
    if (const std::string& kept = m_state.conn().connectionString();
        kept != m_hostConnection->connectionString()) {
        return refuse("start the run", "init was given the account set " + redactedConnectionString(kept) +
                                           " but the run " +
                                           redactedConnectionString(m_hostConnection->connectionString()) +
                                           ": nothing was changed on either");
    }
    m_state.StopRun = false;
    m_state.DialectFlag = m_dialects.hostFlag();
    m_state.Dialects = m_dialects;

    if (!readMode()) return stopUnfinished("the valuation mode could not be read; nothing was changed");
    // Every total is compared and every row rebuilt at these decimals: before the department fill, the
    // issued-quantity pass or any other change.
    if (!readDecimals()) return false;

    if (m_mode == PairMode::Department) {
        Statement statement;
        attempt("department fill", statement, [&] {
            statement = sql::departmentFill(m_dialects.forPreparation());
            m_state.conn().execute(statement);
        });
        if (!m_blocked.empty()) return stopUnfinished("the account set cannot be written: " + m_blocked);
    }

    const long openingRows = countOpeningRows();
    if (openingRows < 0) return stopUnfinished("the opening rows could not be checked; nothing was rebuilt");
    if (openingRows == 0) return finish(true);

    // The dialog and its commit key the pair by the run's mode, whatever the reader managed to assign.
    (void)attempt("read account settings", "", [&] { ReadAccountSettings(m_state.AccountSettings); });
    // Without the keep date every rebuilt row would carry a wrong date: nothing is touched.
    if (!attempt("read keep date", sql::keepDate(), [&] { m_keepDate = GetKeepDate(*m_hostConnection); })) {
        return stopUnfinished("the keep date of the opening rows could not be read; nothing was rebuilt");
    }

    // Nothing is added yet: a stop requested by now leaves the account set as it was.
    if (stopRequested() != 0) return stopInterrupted();
    // A change that the journal cannot record could not be undone: without it nothing is rebuilt.
    std::string journalStatement;
    const JournalRunSettings settings = journalSettings();
    m_report.policy = settings.policy;
    if (!attempt("start the run's journal", journalStatement, [&] {
            namingStatement(journalStatement, [&] {
                const StepTimer timer(m_report.timings.journal);
                m_report.runId = startRunJournal(*m_hostConnection, m_dialects, m_mode, settings);
            });
        })) {
        return stopUnfinished("the run's journal could not be started; nothing was rebuilt");
    }
    m_facts.emplace(m_report, *m_hostConnection, m_report.runId, m_report.policy, m_blocked);
    m_issuedQuantityStarted = true;
    m_report.phase("issued quantities");
    m_readingOwnData.emplace(m_state.conn());
    if (!issued_quantity::Prepare(m_state.conn(), m_dialects.forPreparation(), m_report)) {
        if (stopRequested() != 0) return stopInterrupted();
        return stopUnfinished("the issued quantities could not be computed; no pair was compared or rebuilt");
    }
    const bool screened = attempt(
        "receipt lines without an issued quantity", sql::pairsWithoutIssuedQuantity(m_mode),
        [&] { m_withoutIssued = pairsWithoutIssuedQuantity(m_hostConnection->connectionString(), m_mode); });
    if (!screened) {
        return stopUnfinished(
            "the receipt lines without an issued quantity could not be found; no pair was compared or "
            "rebuilt");
    }

    if (!visitPairs())
        return stopUnfinished("the pair summary could not be read; no pair was compared or rebuilt");
    if (m_interrupted) return stopInterrupted();
    if (m_report.stop == RunStop::Fatal) return finish(false);
    return finish(!m_report.cancelled);
}

bool Run::readMode() {
    const Statement statement = sql::accSetting("IA", "cValueStyle");
    return attempt("read valuation mode", statement,
                   [&] { m_mode = pairModeOf(GetAccSetting("IA", "cValueStyle")); });
}

bool Run::readDecimals() {
    constexpr std::string_view kStep = "read the decimals settings";
    std::string fault;
    const bool read =
        attempt(std::string(kStep), sql::accSetting(host::kSystemAA, host::kQuantityDigitsSetting), [&] {
            try {
                ReadDecimalsSettings(m_state.AccountSettings);
            } catch (const SettingError& error) {
                fault = error.what();
            }
        });
    if (!fault.empty()) return refuse(std::string(kStep), fault + "; nothing was changed");
    if (!read) return stopUnfinished("the decimals settings could not be read; nothing was changed");
    m_report.quantityDigits = m_state.AccountSettings.QuantityDigits;
    return true;
}

long Run::countOpeningRows() {
    long count = -1;
    Statement statement;
    attempt("opening-row check", statement, [&] {
        statement = sql::openingRowCheck(m_mode);
        Recordset rs;
        openReadOnlyQuery(rs, statement, m_state.conn().connectionString(), CursorType::ForwardOnly);
        count = rs.recordCount();
        rs.close();
    });
    return count;
}

bool Run::visitPairs() {
    Recordset summary;
    Statement statement;
    const bool opened = attempt("pair summary", statement, [&] {
        statement = sql::pairSummary(m_dialects.forPairs(), m_mode, m_state.AccountSettings.QuantityDigits);
        openReadOnlyQuery(summary, statement, m_hostConnection->connectionString(), CursorType::Static);
    });
    if (!opened) return false;
    if (m_mode == PairMode::Department) {
        (void)attempt("opening rows without a department", sql::openingRowsWithoutDepartment(),
                      [&] { reportRowsWithoutDepartment(m_hostConnection->connectionString(), m_report); });
    }
    if (summary.recordCount() < 1) return true;
    m_report.phase("pairs");

    m_report.dialogsByPolicy = m_presenter != nullptr && !m_presenter->waitsForPerson();
    const int total = static_cast<int>(summary.recordCount());
    m_report.pairsTotal += total;
    m_check.reserve(static_cast<std::size_t>(total));
    summary.moveLast();
    summary.moveFirst();
    // A commit of its own per rebuilt pair would write the pages it changed to the journal again and sync.
    (void)attempt("batch the commits of rebuilt pairs", std::string(),
                  [&] { m_batch.emplace(*m_hostConnection); });
    for (int done = 1; !summary.eof(); ++done) {
        // Read between pairs only: the pair in hand is finished or rolled back, never cut in two.
        if (stopRequested() != 0) {
            m_interrupted = true;
            noteNotReached(summary);
            return true;
        }
        m_state.PairNumber = done;
        m_state.PairCount = total;
        const PairEnd end = visitPair(summary);
        settleWhenDue();
        // The facts of a long run of differing pairs are not all held until the end.
        if (m_facts && m_facts->pending() >= kFactsHeld && m_batch) {
            stopBatching();
            rebuildLostPairs();
            (void)attempt("batch the commits of rebuilt pairs", std::string(),
                          [&] { m_batch.emplace(*m_hostConnection); });
        }
        if (m_report.onProgress) m_report.onProgress(done, total);
        // Rebuilding the pairs of a lost batch again may have met a failure no later pair escapes, and a
        // dialog asked again may have stopped the run.
        if (end == PairEnd::Stop || !m_blocked.empty() || m_state.StopRun) {
            if (end != PairEnd::Stop && !m_blocked.empty()) (void)stopBlocked(m_blocked);
            summary.moveNext();
            noteNotReached(summary);
            return true;
        }
        summary.moveNext();
    }
    return true;
}

void Run::noteNotReached(Recordset& summary) {
    // Their facts are written as they are named, in transactions of their own: the batch ends first.
    if (m_facts && !summary.eof()) {
        stopBatching();
        rebuildLostPairs();
    }
    (void)attempt("name the pairs not reached", std::string(), [&] {
        for (; !summary.eof(); summary.moveNext()) {
            const PairRow row = pairRowOf(summary);
            m_report.pairsNotReached.push_back(row.label());
            if (m_facts) {
                m_facts->recordKept(row, "not_reached");
                if (m_facts->pending() >= kFactsHeld && !m_batch) m_facts->flush();
            }
        }
    });
}

Run::PairEnd Run::visitPair(const Recordset& summary) {
    PairRow row;
    const std::string noStatement;
    // A Null name is shown as an empty text rather than leaving SharedState on the previous pair.
    if (!attempt("read pair summary row", noStatement, [&] { row = pairRowOf(summary); })) {
        endPair(row, PairOutcome::Failed);
        return PairEnd::Next;
    }
    const std::string label = row.label();
    if (row.nullCode || row.nullInvCode) {
        m_report.recordFailure({"pair summary row " + label, noStatement,
                                std::string("opening rows with no ") + (row.nullCode ? "code" : "item code") +
                                    " belong to no pair: left as they are"});
        endPair(row, PairOutcome::Failed);
        return PairEnd::Next;
    }

    Value stockQuantity;
    Value stockMoney;
    long stockRows = 0;
    Statement statement;
    const bool stockRead = attempt("stock totals of pair " + label, statement, [&] {
        const StepTimer timer(m_report.timings.totalsQueries);
        statement = sql::stockTotals(m_dialects.forPairs(), m_mode, m_state.AccountSettings.QuantityDigits,
                                     row.code, row.invCode);
        Recordset totals;
        openReadOnlyQuery(totals, statement, m_hostConnection->connectionString(), CursorType::Static);
        stockRows = totals.recordCount();
        if (!totals.eof()) {
            stockQuantity = totals.field(0);
            stockMoney = totals.field(1);
        }
        totals.close();
    });
    if (stockRead) {
        row.stockQuantity = stockQuantity;
        row.stockMoney = stockMoney;
    }
    if (!m_blocked.empty()) {
        endPair(row, PairOutcome::Failed);
        return stopBlocked(m_blocked);
    }

    if (!initialise(row)) {
        endPair(row, PairOutcome::Failed);
        return PairEnd::Next;
    }

    // Unreadable figures on either side never count as agreeing: such a pair goes to the dialog.
    if (!stockRead || !totalsMatch(stockQuantity, stockMoney, stockRows, row.quantity, row.money)) {
        return showDialog(row);
    }
    // A line with a Null issued quantity would be written with Null quantity and money, and the pair's rows
    // would no longer total what it was compared by: an accountant decides.
    if (m_withoutIssued.contains({row.code, row.invCode})) return showDialog(row);

    const RegenerationResult regenerated =
        Regenerate(*m_hostConnection, m_dialects.forPairs(), m_mode, m_keepDate, row.code, row.invCode,
                   m_batch ? &*m_batch : nullptr, m_report.runId, &m_report.timings);
    if (regenerated.committed) {
        UnsettledPair pair{row.code,
                           row.invCode,
                           totalFigure(row.quantity).value_or(0.0),
                           totalFigure(row.money).value_or(0.0),
                           regenerated.rowsDeleted,
                           regenerated.rowsInserted};
        pair.name = row.name;
        pair.invName = row.invName;
        m_unsettled.add(std::move(pair));
    } else {
        m_report.recordFailure({"regenerate pair " + label, regenerated.statement, regenerated.message});
        endPair(row, PairOutcome::Failed);
    }
    m_unsettled.account(m_hostConnection->unsettledTransactions(), regenerated.committed,
                        regenerated.message);
    if (regenerated.blocksLaterPairs) {
        rebuildLostPairs();
        return stopBlocked(regenerated.message);
    }
    rebuildLostPairs();
    if (!m_blocked.empty()) return stopBlocked(m_blocked);
    return PairEnd::Next;
}

bool Run::initialise(const PairRow& row) {
    return attempt("init pair " + row.label(), std::string(), [&] {
        (void)initPair(m_keepDate, m_mode == PairMode::Department, row.code, row.name, row.invCode,
                       row.invName, row.invStd, totalFigure(row.quantity).value_or(0.0),
                       totalFigure(row.money).value_or(0.0), m_hostConnection);
    });
}

Run::PairEnd Run::stopBlocked(std::string_view message) {
    m_report.recordFailure({"run stopped", "",
                            "no later pair can escape this failure, so the pairs after this one were left "
                            "as they are: " +
                                std::string(message)});
    m_report.stop = RunStop::Fatal;
    return PairEnd::Stop;
}

bool Run::stopUnfinished(std::string_view why) {
    m_report.recordFailure({"run stopped", "", std::string(why)});
    m_report.stop = RunStop::Fatal;
    finish(false);
    return false;
}

bool Run::refuse(std::string step, std::string why) {
    m_report.recordFailure({std::move(step), "", std::move(why)});
    m_report.stop = RunStop::Refused;
    finish(false);
    return false;
}

bool Run::stopInterrupted() {
    m_report.stop = RunStop::Interrupted;
    m_report.stopSignal = stopRequested();
    return finish(false);
}

bool Run::finish(bool result) {
    if (m_hostConnection) {
        stopBatching();
        rebuildLostPairs();
    }
    // Only what is durable is read back: the batch was settled just above.
    if (m_hostConnection && !m_check.empty()) {
        m_report.phase("check: reading the pairs back");
        const StepTimer timer(m_report.timings.check);
        if (!m_check.verify(m_hostConnection->connectionString(), m_dialects.forPairs(), m_mode,
                            m_state.AccountSettings.QuantityDigits, m_report))
            result = false;
    }
    long factsLost = 0;
    std::string factsFailure;
    std::string factsStatement;
    if (m_facts) {
        if (!m_batch) m_facts->flush();
        factsLost = m_facts->lost();
        factsFailure = m_facts->firstFailure();
        factsStatement = m_facts->firstStatement();
        m_facts.reset();
    }
    if (m_hostConnection && m_report.runId != 0) {
        m_report.phase("journal: the run's end");
        std::string statement;
        const bool journalFinished = attempt("finish the run's journal", statement, [&] {
            namingStatement(statement, [&] {
                const StepTimer timer(m_report.timings.journal);
                finishRunJournal(*m_hostConnection, m_report.runId,
                                 {m_report.pairsRegenerated, m_report.pairsConfirmed, m_report.rowsDeleted,
                                  m_report.rowsInserted},
                                 journalOutcome(result));
            });
        });
        // A dry run's journal is thrown away with its snapshot: there is no record to be incomplete.
        if (!journalFinished && !m_dryRun) reportJournalIncomplete();
        if (journalFinished && factsLost > 0 && !m_dryRun) {
            m_report.journalIncomplete = true;
            m_report.recordFailure(
                {std::string(kJournalIncompleteStep), factsStatement,
                 "the outcome of " + std::to_string(factsLost) +
                     " pairs could not be recorded in the journal, so its report lacks them" +
                     (factsFailure.empty() ? std::string() : ": " + factsFailure)});
        }
    }
    // A column left behind changes the host's table: the run did not end as it must.
    if (m_issuedQuantityStarted) m_report.phase("removing the issued-quantity column");
    if (m_issuedQuantityStarted && !issued_quantity::Remove(*m_hostConnection, m_report)) {
        result = false;
        if (m_report.stop == RunStop::None) m_report.stop = RunStop::Fatal;
    }
    m_readingOwnData.reset();
    // What the run reports done must outlast a power cut too, not only a crash of the program.
    m_report.phase("making the changes durable");
    if (m_hostConnection && m_hostConnection->state() != 0 &&
        !attempt("make the run's changes durable", std::string(),
                 [&] { m_hostConnection->engine().makeDurable(); }))
        result = false;
    m_state.releaseConn();
    // A pair that failed kept rows the run was meant to rebuild: the host must not go on as if it had.
    if (m_report.pairsFailed > 0) result = false;
    m_report.result = m_report.result && result;
    return m_report.result;
}

JournalRunSettings Run::journalSettings() const {
    JournalRunSettings settings;
    settings.quantityDigits = m_state.AccountSettings.QuantityDigits;
    settings.priceDigits = m_state.AccountSettings.PriceDigits;
    // Without a presenter a differing pair is left as it is, as the skip policy leaves it.
    settings.policy = m_presenter != nullptr ? m_presenter->policyName() : "skip";
    describeRunner(settings);
    return settings;
}

JournalRunOutcome Run::journalOutcome(bool result) const {
    JournalRunOutcome outcome;
    if (m_report.stop == RunStop::Interrupted) {
        outcome.outcome = "interrupted";
    } else if (m_report.cancelled) {
        outcome.outcome = "cancelled";
    } else if (!result || m_report.stop != RunStop::None || m_report.pairsFailed > 0) {
        outcome.outcome = "failed";
    } else if (m_report.pairsSkipped > 0) {
        outcome.outcome = "left";
    } else {
        outcome.outcome = "complete";
    }
    outcome.pairsTotal = m_report.pairsTotal;
    outcome.pairsLeft = m_report.pairsSkipped;
    outcome.pairsFailed = m_report.pairsFailed;
    outcome.pairsNotReached = static_cast<long>(m_report.pairsNotReached.size());
    return outcome;
}

void Run::reportJournalIncomplete() {
    m_report.journalIncomplete = true;
    // Each pair's images went into the journal with the pair's own change: only the run's row lacks its end.
    const std::string run = std::to_string(m_report.runId);
    m_report.recordFailure(
        {std::string(kJournalIncompleteStep), "",
         "the pairs counted rebuilt and confirmed hold their new opening rows, but run " + run +
             "'s row in the journal lacks its figures and its end (history shows it as not finished); each "
             "pair's rows before and after were journaled with its change, so tarvenish undo --run " +
             run + " still puts them back"});
}

bool Run::abandon(std::string_view message) noexcept {
    try {
        m_report.recordFailure({"run", "", std::string(message)});
        m_report.stop = RunStop::Fatal;
        m_issuedQuantityStarted = m_issuedQuantityStarted && m_hostConnection != nullptr;
        finish(false);
    } catch (...) {
        m_report.result = false;
    }
    return false;
}

}  // namespace tarvenish::run_detail

namespace tarvenish {

bool executeRun(RunContext& context, DialectChoice dialects, const ConnectionPtr& hostConnection) noexcept {
    // The run clears its report as it starts; the timers add the whole run's time as it ends.
    const StepTimer timer(context.report.timings.total);
    const SqliteStatementTimer inSqlite(context.report.timings.inSqlite);
    try {
        run_detail::Run run(context, dialects, hostConnection);
        try {
            return run.execute();
        } catch (const std::exception& error) {
            return run.abandon(failureMessage(error));
        } catch (...) {
            return run.abandon("unknown error");
        }
    } catch (...) {
        return false;
    }
}

}  // namespace tarvenish
