#pragma once
// One journaled run as its reconciliation report shows it: the run's row, the settings and outcome its
// journal kept, each pair it did not rebuild on its own, and the pairs it rebuilt, read from the journal at
// any time after the run.

#include <optional>
#include <string>
#include <vector>

#include "component/pair_details.h"
#include "reconcile/run_history.h"

namespace tarvenish {

class Connection;

// The settings and the outcome a run's journal kept; a run journaled before they were kept has none.
struct RunFacts {
    int quantityDigits = 0;
    int priceDigits = 0;
    std::string policy;  // empty: a person answered the dialogs
    std::string user;
    std::string machine;
    // Empty while the run has not ended (or could not record its end).
    std::optional<std::string> outcome;
    std::optional<long> pairsTotal;
    std::optional<long> pairsLeft;
    std::optional<long> pairsFailed;
    std::optional<long> pairsNotReached;
};

struct RunRecord {
    JournaledRun run;
    std::optional<RunFacts> facts;
    // The pairs not rebuilt on their own, in code order: from the pair facts; for a run journaled before
    // those were kept, only the confirmed pairs its images hold, without names or the stock ledger's side.
    std::vector<PairLine> pairs;
    // The pairs rebuilt from the stock ledger, with which they agreed, in code order.
    std::vector<PairLine> rebuilt;
    // The journal holds rows of the run's pairs before and after: there is something to put back.
    bool changedRows = false;
};

enum class RunRecordStatus { Found, NoJournal, NoRuns, NoSuchRun };

struct RunRecordRead {
    RunRecordStatus status = RunRecordStatus::Found;
    std::optional<RunRecord> record;
};

// Reads run `runId` (default: the latest run) from the journal on `connection`. Sends only queries; throws
// DbError when one fails.
[[nodiscard]] RunRecordRead readRunRecord(Connection& connection, std::optional<long> runId);

// Whether undo can still put back what `run` changed: it is not undone and changed rows.
[[nodiscard]] bool canStillUndo(const JournaledRun& run, bool changedRows) noexcept;

}  // namespace tarvenish
