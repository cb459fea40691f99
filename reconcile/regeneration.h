#pragma once
// The regeneration of one pair: its opening rows of IA_Subsidiary deleted and one new opening row inserted
// per booked opening receipt line, carrying the line's remaining quantity and money.

#include <string>
#include <string_view>

#include "ledger/db/connection.h"
#include "ledger/db/value.h"
#include "ledger/sql/statements.h"

namespace tarvenish {

struct RegenerationResult {
    bool committed = false;
    std::string statement;  // the statement that failed, empty when committed
    std::string message;    // the engine's message, empty when committed
    long rowsDeleted = 0;   // the pair's old opening rows, when committed
    long rowsInserted = 0;  // its new opening rows, when committed
    // The failure is one no later pair can escape: disk full, a failing device, a corrupt or read-only
    // database, or a write lock another program holds beyond the busy timeout.
    bool blocksLaterPairs = false;
};

class CommitBatch;
struct RunTimings;

// Runs the delete and the insert of the pair (code, invCode) in one transaction on `connection`: either both
// take effect or the pair keeps its old rows. With a `batch` the transaction commits into it, and the batch
// is made durable when due: a failure to do so fails this pair (the others of the batch are lost with it, as
// `batch`'s unsettled count shows). With a `runId` (the run's number in the journal) the pair's rows before
// and after go into that run's journal in the same transaction. With `timings` the time of its statements and
// commit is added there. Never throws; a failure comes back in the result.
[[nodiscard]] RegenerationResult Regenerate(Connection& connection, Dialect dialect, PairMode mode,
                                            Date keepDate, std::string_view code, std::string_view invCode,
                                            CommitBatch* batch = nullptr, long runId = 0,
                                            RunTimings* timings = nullptr) noexcept;

}  // namespace tarvenish
