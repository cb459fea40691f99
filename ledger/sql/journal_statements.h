#pragma once
// The statements of the run journal: two tables of our own inside the account set, tarvenish_runs (one row
// per run) and tarvenish_journal (each pair's opening rows before and after a run changed them), in both
// dialects.

#include <cstdint>
#include <string>
#include <string_view>

#include "ledger/sql/statements.h"

namespace tarvenish {

// Whether the run rebuilt a pair from the stock ledger or an accountant confirmed it in the dialog.
enum class JournalAction { Rebuilt, Confirmed };
// A pair's opening rows as the run found them (before) or left them (after).
enum class JournalImage { Before, After };

// The figures a run's row is completed with at its end.
struct JournalRunTotals {
    int pairsRebuilt = 0;
    int pairsConfirmed = 0;
    long rowsDeleted = 0;
    long rowsInserted = 0;
};

namespace sql {

inline constexpr std::string_view kJournalRunsTable = "tarvenish_runs";
inline constexpr std::string_view kJournalTable = "tarvenish_journal";

// "rebuilt" / "confirmed", "before" / "after": the texts the journal stores.
[[nodiscard]] std::string_view journalActionText(JournalAction action);
[[nodiscard]] std::string_view journalImageText(JournalImage image);

// Queries without rows that open only while the journal's tables exist.
[[nodiscard]] Statement journalRunsProbe();
[[nodiscard]] Statement journalProbe();
// The create statements of the runs table, the journal table and the journal's index by pair and run (made
// with the journal: verify and undo look each pair up through it).
[[nodiscard]] Statement createJournalRuns(Dialect dialect);
[[nodiscard]] Statement createJournal(Dialect dialect);
[[nodiscard]] Statement createJournalIndex();

// Adds the row of a new run, numbered one above the highest so far; `started` is an ISO 8601 UTC text.
[[nodiscard]] Statement journalRunStart(Dialect dialect, std::string_view started, std::int16_t accSql,
                                        PairMode mode);
// The highest run number, or Null while there is none.
[[nodiscard]] Statement journalLastRun();
// Completes a run's row with its figures and the time it finished.
[[nodiscard]] Statement journalRunFinish(long runId, const JournalRunTotals& totals,
                                         std::string_view finished);
// Marks a run undone at `when`.
[[nodiscard]] Statement journalRunUndone(long runId, std::string_view when);
// Every run, oldest first: run_id, started, acc_sql, mode, the four figures, finished, undone.
[[nodiscard]] Statement journalRuns();
// The latest run not undone, or Null; and one run's mode, undone mark and dialect flag.
[[nodiscard]] Statement journalLastRunNotUndone();
[[nodiscard]] Statement journalRun(long runId);

// Copies the pair's current opening rows into the journal as `image` of run `runId`: one set-based statement.
[[nodiscard]] Statement journalPairImage(PairMode mode, long runId, std::string_view code,
                                         std::string_view invCode, JournalAction action, JournalImage image);
// The pairs a run changed: pair_code, inv_code, in code order.
[[nodiscard]] Statement journalPairs(long runId);
// One image of a pair, the 69 opening-row columns.
[[nodiscard]] Statement journalPairRows(long runId, std::string_view code, std::string_view invCode,
                                        JournalImage image);
// The pair's current opening rows, the 69 opening-row columns. In department mode a pair also holds the rows
// of its warehouses that have no department yet (a rebuilt row gets one only at the next department fill).
[[nodiscard]] Statement currentPairRows(PairMode mode, std::string_view code, std::string_view invCode);
// Deletes the pair's current opening rows, as currentPairRows reads them.
[[nodiscard]] Statement undoPairDelete(Dialect dialect, PairMode mode, std::string_view code,
                                       std::string_view invCode);
// Verification of a pair that differs: the latest run not undone that journaled it (one value, Null when
// none); that run's journal rows of the pair with another action than confirmed; the 69 opening-row columns
// of its `after` image; and the pair's current opening rows as the totals count them (in department mode a
// row belongs to its warehouse's department).
[[nodiscard]] Statement journalLatestRunOfPair(std::string_view code, std::string_view invCode);
[[nodiscard]] Statement journalPairNotConfirmed(long runId, std::string_view code, std::string_view invCode);
[[nodiscard]] Statement journalPairAfterRows(long runId, std::string_view code, std::string_view invCode);
[[nodiscard]] Statement countedPairRows(PairMode mode, std::string_view code, std::string_view invCode);
// Inserts the pair's `before` image of run `runId` back into IA_Subsidiary.
[[nodiscard]] Statement undoPairInsert(long runId, std::string_view code, std::string_view invCode);

}  // namespace sql
}  // namespace tarvenish
