#pragma once
// How the run shows the adjustment dialog: modally, for the pair that this thread's SharedState describes.
// A window, a terminal or an unattended policy may stand behind it; the run cannot tell which.

#include <optional>
#include <string>

#include "component/run_report.h"
#include "ledger/sql/statements.h"

namespace tarvenish {

// What the dialog did with its pair, as its presenter returns it once the window has unloaded.
struct DialogResult {
    // Confirmed (`confirmed` says what the commit wrote), Skipped (closed without writing) or Failed (the
    // last rewrite failed and none succeeded after it, or the dialog could not be shown).
    PairOutcome outcome = PairOutcome::Skipped;
    // Cancel was pressed, or a stop request closed the window as Cancel does: the run stops after this pair.
    bool cancelled = false;
    std::optional<ConfirmedPair> confirmed;
    // The last failure of the dialog's own steps, already recorded in the run's report; empty when none.
    std::optional<StepFailure> failure;
    // The engine's message of the first such failure that no later statement can escape, empty while none.
    std::string blocked;
};

class AdjustmentPresenter {
public:
    virtual ~AdjustmentPresenter() = default;
    // Shows the dialog for SharedState's pair, keyed by `mode`, and returns what it did with the pair once
    // the dialog has been unloaded. The dialog records the failures of its steps in `report` (it counts
    // nothing there) and journals its confirm under `report.runId`; it sets SharedState.StopRun when the
    // user cancels the run. Throws what the dialog's load throws.
    [[nodiscard]] virtual DialogResult showModal(PairMode mode, RunReport& report) = 0;
    // True when a person may answer the dialog, and so may take minutes over it; false when it is answered
    // at once (an unattended policy, a driver), so that the run need not make its work durable first.
    [[nodiscard]] virtual bool waitsForPerson() const noexcept { return true; }
    // The unattended policy that answers the dialogs ("skip", "cancel", "balance" or "average"), for the
    // run's journal; empty when a person or a driver answers them.
    [[nodiscard]] virtual std::string policyName() const { return {}; }
};

}  // namespace tarvenish
