#pragma once
// The journal of a run inside the account set: the run's own row in tarvenish_runs, made before it changes
// anything, and each pair's opening rows before and after, written in the pair's own transaction.

#include <cstdint>
#include <string>
#include <string_view>

#include "ledger/sql/journal_fact_statements.h"
#include "ledger/sql/journal_statements.h"

namespace tarvenish {

class Connection;

// The current time as the journal stores it, e.g. "2026-12-08T23:10:00Z".
[[nodiscard]] std::string journalTimestamp();

// True when the account set holds the journal's tables. Throws DbError only when the probe cannot tell.
[[nodiscard]] bool hasRunJournal(Connection& connection);

// True when the account set holds the tables of the journal's facts (a journal made before them has none).
// Throws DbError only when the probe cannot tell.
[[nodiscard]] bool hasJournalFacts(Connection& connection);

// Creates the journal's tables on first use (those of its facts too, beside a journal made before them) and
// adds the row of a new run (the host's flag of `dialects` recorded with it) and its `settings`, in one
// transaction of its own: the run's number. Throws DbError naming the statement that failed.
[[nodiscard]] long startRunJournal(Connection& connection, DialectChoice dialects, PairMode mode,
                                   const JournalRunSettings& settings);

// Copies the pair's current opening rows into the journal as `image` of run `runId`, on `connection` and so
// in the transaction open there. Throws DbError.
void journalPair(Connection& connection, PairMode mode, long runId, std::string_view code,
                 std::string_view invCode, JournalAction action, JournalImage image);

// Records one pair the run did not rebuild on its own, in the transaction open on `connection`. Throws
// DbError.
void journalPairFact(Connection& connection, long runId, const JournalPairFact& fact);

// Completes the run's row with its figures, its outcome and the time it finished. Throws DbError.
void finishRunJournal(Connection& connection, long runId, const JournalRunTotals& totals,
                      const JournalRunOutcome& outcome);

// Who runs this process (USER, else USERNAME) and on which machine; empty texts where the system does not
// say.
void describeRunner(JournalRunSettings& settings);

}  // namespace tarvenish
