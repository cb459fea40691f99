#pragma once
// One run's context: made by the front end that starts the run (the command, the library's member, the
// benchmark, a test) and handed down to the run and the dialogs it shows.

#include <memory>
#include <string>

#include "component/adjustment_presenter.h"
#include "component/run_report.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/sqlite/backup.h"

namespace tarvenish {

struct RunContext {
    // The run's figures, failures and stop; its listeners are the front end's.
    RunReport report;
    // Shows the dialog of a pair whose totals differ; null leaves such a pair as it is.
    std::shared_ptr<AdjustmentPresenter> presenter;
    // Observers of what the run sends to the database, in force from its start to its end, ahead of those
    // this thread already has.
    EngineHooks hooks;
    // The whole run on a snapshot of the account set, which is then thrown away: the set stays as it was.
    bool dryRun = false;
    // Where a copy of the account set is taken before the first change; empty for none.
    std::string backupPath;
    // Whether that copy may replace a regular file already there (--force).
    ExistingBackup existingBackup = ExistingBackup::Refuse;
};

// Puts `context`'s hooks in force on this thread for the life of the object, each before the thread's own.
class RunHooksInForce final {
public:
    explicit RunHooksInForce(const RunContext& context);

private:
    ScopedEngineHooks m_scoped;
};

}  // namespace tarvenish
