#pragma once
// The journal's subcommands: `tarvenish undo` and `tarvenish history`, each returning the exit code.

#include <optional>
#include <string>

#include "app/commands.h"

namespace tarvenish::app {

struct UndoOptions {
    std::optional<long> runId;           // --run ID; the latest run not undone when absent
    bool force = false;                  // --force: restore pairs changed after the run too
    std::optional<std::string> logPath;  // --log FILE: every statement sent, appended one per line
};

// undo: 0 every pair restored, 3 some pairs changed after the run (left as they are) or failed, 5 another
// run holds the account set, 1 every pair restored but the run not marked undone, 2 a usage error, an
// unreadable account set, a log that cannot be opened or is refused, no journal or no such run; 4 every pair
// restored but the log incomplete.
int undoJournaledRun(const AccountSetOptions& accountSet, const UndoOptions& options);
// history: lists the journaled runs; 0, or 5 when another run holds the account set, 2 as undo.
int showHistory(const AccountSetOptions& accountSet);

}  // namespace tarvenish::app
