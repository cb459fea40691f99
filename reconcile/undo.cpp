#include "reconcile/undo.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "component/run_journal.h"
#include "ledger/db/commit_batch.h"
#include "ledger/db/connection.h"
#include "ledger/db/error.h"
#include "ledger/db/recordset.h"
#include "ledger/db/transaction.h"
#include "ledger/sql/host_tables.h"

namespace tarvenish {

namespace {

// A multiset of whole rows: each row as one text that keeps every value's kind and exact figure.
using RowSet = std::vector<std::string>;

Recordset query(Connection& connection, const Statement& statement) {
    Recordset rows;
    rows.setCursorLocation(CursorLocation::Client);
    rows.open(statement, connection, CursorType::ForwardOnly, LockType::ReadOnly, CommandType::Text);
    return rows;
}

// The rows of `statement` (the 69 opening-row columns); `skipped` is a column left aside, or none.
RowSet rowSet(Connection& connection, const Statement& statement, std::size_t skipped) {
    Recordset rows = query(connection, statement);
    RowSet result;
    for (; !rows.eof(); rows.moveNext()) {
        std::string key;
        for (std::size_t i = 0; i < rows.fieldCount(); ++i) {
            const Value& value = rows.field(i);
            key += static_cast<char>('0' + static_cast<int>(value.kind()));
            if (i != skipped && !value.isNull()) key += value.asText();
            key += '\x1f';
        }
        result.push_back(std::move(key));
    }
    rows.close();
    std::sort(result.begin(), result.end());
    return result;
}

std::optional<long> firstNumber(Connection& connection, const Statement& statement) {
    Recordset rows = query(connection, statement);
    std::optional<long> result;
    if (!rows.eof() && !rows.field(0).isNull()) result = static_cast<long>(rows.field(0).asLong());
    rows.close();
    return result;
}

// The journal's index by pair and run: a run makes it with the journal, an undo of a journal made without it
// makes it then.
void indexJournal(Connection& connection) {
    try {
        connection.execute(sql::createJournalIndex());
    } catch (const DbError& error) {
        // Neither dialect knows "if not exists" for an index: a refusal is the index already made.
        if (error.blocksEveryStatement() || error.isLockTimeout()) throw;
    }
}

class PairUndo final {
public:
    PairUndo(Connection& connection, Dialect dialect, PairMode mode, long runId, bool force)
        : m_connection(connection), m_dialect(dialect), m_mode(mode), m_runId(runId), m_force(force) {}

    UndonePair undo(std::string code, std::string invCode) noexcept {
        UndonePair pair{std::move(code), std::move(invCode), PairRestore::Failed, {}};
        try {
            pair.outcome = restore(pair.code, pair.invCode);
        } catch (const std::exception& error) {
            pair.message = failureMessage(error);
        } catch (...) {
            pair.message = "unknown error";
        }
        return pair;
    }

private:
    // Compared and restored in one transaction: nobody changes the pair in between.
    PairRestore restore(const std::string& code, const std::string& invCode) {
        // The department fill's codes are not the run's work: in department mode rows compare without them.
        const std::size_t skipped = m_mode == PairMode::Department ? host::openingRowColumn("cdepcode")
                                                                   : host::kOpeningRowColumns.size();
        Transaction transaction(m_connection);
        const RowSet current = rowSet(m_connection, sql::currentPairRows(m_mode, code, invCode), skipped);
        PairRestore outcome = PairRestore::Restored;
        if (current != rowSet(m_connection, sql::journalPairRows(m_runId, code, invCode, JournalImage::After),
                              skipped)) {
            if (current == rowSet(m_connection,
                                  sql::journalPairRows(m_runId, code, invCode, JournalImage::Before),
                                  skipped))
                return PairRestore::AlreadyAsBefore;
            if (!m_force) return PairRestore::ChangedSince;
            outcome = PairRestore::Forced;
        }
        m_connection.execute(sql::undoPairDelete(m_dialect, m_mode, code, invCode));
        m_connection.execute(sql::undoPairInsert(m_runId, code, invCode));
        transaction.commit();
        return outcome;
    }

    Connection& m_connection;
    Dialect m_dialect;
    PairMode m_mode;
    long m_runId;
    bool m_force;
};

// The pairs restored into a batch of commits, each in its own transaction: one commit of its own per pair
// would write the pages it changed to the log again (and, on a rollback journal, sync). A batch that is lost
// takes its pairs' restores with it: they hold the run's rows again and are said failed, so that undo is
// simply run again.
class HeldRestores final {
public:
    HeldRestores(Connection& connection, std::vector<UndonePair>& pairs)
        : m_connection(connection), m_pairs(pairs) {
        try {
            m_batch.emplace(connection);
        } catch (const DbError&) {
            // Without a batch each restore is durable at once, as it commits.
        }
    }

    // After the newest pair of `pairs`: holds it when it was restored, and makes the batch durable when due.
    void afterPair() {
        if (!m_batch) return;
        const PairRestore outcome = m_pairs.back().outcome;
        if (outcome == PairRestore::Restored || outcome == PairRestore::Forced)
            m_held.push_back(m_pairs.size() - 1);
        // The engine holds fewer transactions than pairs restored since the batch was durable: it was lost.
        if (m_connection.unsettledTransactions() < m_held.size()) {
            lose(m_pairs.back().message.empty() ? "the batch of commits was rolled back"
                                                : m_pairs.back().message);
            return;
        }
        try {
            m_batch->commitWhenDue();
            if (m_connection.unsettledTransactions() == 0) m_held.clear();
        } catch (const DbError& error) {
            lose(failureMessage(error));
        }
    }

    // Makes the batch durable and ends it: later commits are durable at once.
    void end() {
        if (!m_batch) return;
        try {
            m_batch->end();
            m_held.clear();
        } catch (const DbError& error) {
            lose(failureMessage(error));
        }
        m_batch.reset();
    }

private:
    void lose(const std::string& why) {
        for (const std::size_t index : m_held) {
            m_pairs[index].outcome = PairRestore::Failed;
            m_pairs[index].message = "restored with other pairs whose commits were lost together (" + why +
                                     "); it holds the run's "
                                     "rows again";
        }
        m_held.clear();
        // The pairs after them go into a batch of their own, as after a batch made durable.
        try {
            m_batch->end();
        } catch (const DbError&) {
            // What it held is lost already.
        }
        m_batch.reset();
        try {
            m_batch.emplace(m_connection);
        } catch (const DbError&) {
        }
    }

    Connection& m_connection;
    std::vector<UndonePair>& m_pairs;
    std::optional<CommitBatch> m_batch;
    std::vector<std::size_t> m_held;
};

}  // namespace

UndoResult undoRun(Connection& connection, std::optional<long> runId, bool force,
                   const std::function<void(int done, int total)>& progress) {
    UndoResult result;
    if (!hasRunJournal(connection)) {
        result.status = UndoStatus::NoJournal;
        return result;
    }
    if (!runId) {
        runId = firstNumber(connection, sql::journalLastRunNotUndone());
        if (!runId) {
            result.status = UndoStatus::NothingToUndo;
            return result;
        }
    }
    result.runId = *runId;
    Recordset run = query(connection, sql::journalRun(*runId));
    if (run.eof()) {
        result.status = UndoStatus::NoSuchRun;
        return result;
    }
    const PairMode mode =
        run.field(0).displayText() == "department" ? PairMode::Department : PairMode::Warehouse;
    // The run's own flag as the journal kept it: its rows go back in the dialect it wrote them in.
    const Dialect dialect =
        DialectChoice::fromHostFlag(static_cast<std::int16_t>(run.field(2).asLong())).forPairs();
    if (!run.field(1).isNull()) {
        result.status = UndoStatus::AlreadyUndone;
        return result;
    }
    run.close();

    std::vector<std::pair<std::string, std::string>> pairs;
    Recordset journaled = query(connection, sql::journalPairs(*runId));
    for (; !journaled.eof(); journaled.moveNext())
        pairs.emplace_back(journaled.field(0).displayText(), journaled.field(1).displayText());
    journaled.close();

    indexJournal(connection);
    PairUndo undo(connection, dialect, mode, *runId, force);
    HeldRestores held(connection, result.pairs);
    for (auto& [code, invCode] : pairs) {
        result.pairs.push_back(undo.undo(std::move(code), std::move(invCode)));
        held.afterPair();
        if (progress) progress(static_cast<int>(result.pairs.size()), static_cast<int>(pairs.size()));
    }
    held.end();
    const bool complete = std::none_of(result.pairs.begin(), result.pairs.end(), [](const UndonePair& pair) {
        return pair.outcome == PairRestore::ChangedSince || pair.outcome == PairRestore::Failed;
    });
    if (complete) {
        try {
            connection.execute(sql::journalRunUndone(*runId, journalTimestamp()));
            result.markedUndone = true;
        } catch (const DbError& error) {
            result.markFailure = failureMessage(error);
        }
    }
    // The pairs restored must outlast a power cut too, not only a crash of the program.
    try {
        connection.engine().makeDurable();
    } catch (const DbError& error) {
        result.syncFailure = failureMessage(error);
    }
    return result;
}

}  // namespace tarvenish
