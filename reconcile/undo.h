#pragma once
// Undo of a journaled run: each pair it changed gets back the opening rows it had before that run, pair by
// pair, unless its rows were changed after the run.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarvenish {

class Connection;

enum class PairRestore {
    Restored,         // the pair's rows were the run's and are now as before it
    AlreadyAsBefore,  // the pair already held its rows from before the run: nothing to do
    Forced,           // changed after the run, restored anyway (force)
    ChangedSince,     // changed after the run: left as it is
    Failed,           // the restore failed: left as it was
};

struct UndonePair {
    std::string code;     // warehouse or department code
    std::string invCode;  // item code
    PairRestore outcome = PairRestore::Restored;
    std::string message;  // why a restore failed, with its statement
};

enum class UndoStatus {
    Done,           // every pair was visited; see the pairs
    NoJournal,      // the account set holds no journal: no runs recorded
    NothingToUndo,  // every recorded run is undone already
    NoSuchRun,      // the run asked for is not recorded
    AlreadyUndone,  // the run asked for is undone already
};

struct UndoResult {
    UndoStatus status = UndoStatus::Done;
    long runId = 0;
    std::vector<UndonePair> pairs;
    // The run was marked undone: every pair it changed holds its rows from before it.
    bool markedUndone = false;
    // Why every pair was restored but the run could not be marked undone; empty otherwise.
    std::string markFailure;
    // Why the restored rows could not be made to outlast a power cut; empty when they were.
    std::string syncFailure;
};

// Undoes run `runId` (default: the latest not undone) on `connection`, one transaction per pair; `force`
// restores the pairs changed after the run too. Department codes set by a department fill stay, and in
// department mode rows are compared without them. Throws DbError when the journal cannot be read.
// `progress`, when given, hears each pair restored: how many of how many.
[[nodiscard]] UndoResult undoRun(Connection& connection, std::optional<long> runId, bool force,
                                 const std::function<void(int done, int total)>& progress = {});

}  // namespace tarvenish
