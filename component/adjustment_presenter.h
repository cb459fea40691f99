#pragma once
// How the run shows the adjustment dialog: modally, for the pair that this thread's SharedState describes.
// A window, a terminal or an unattended policy may stand behind it; the run cannot tell which.

namespace tarvenish {

struct RunReport;

class AdjustmentPresenter {
public:
    virtual ~AdjustmentPresenter() = default;
    // Shows the dialog for SharedState's pair and returns once it has been unloaded; the dialog counts what
    // it did with the pair in `report`. The dialog sets SharedState.StopRun when the user cancels the run.
    // Throws what the dialog's load throws.
    virtual void showModal(RunReport& report) = 0;
    // True when a person may answer the dialog, and so may take minutes over it; false when it is answered
    // at once (an unattended policy, a driver), so that the run need not make its work durable first.
    [[nodiscard]] virtual bool waitsForPerson() const noexcept { return true; }
};

}  // namespace tarvenish
