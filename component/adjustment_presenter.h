#pragma once
// How the run shows the adjustment dialog: modally, for the pair that this thread's SharedState describes.
// A window, a terminal or an unattended policy may stand behind it; the run cannot tell which.

#include <memory>

namespace tarvenish {

class AdjustmentPresenter {
public:
    virtual ~AdjustmentPresenter() = default;
    // Shows the dialog for SharedState's pair and returns once it has been unloaded. The dialog sets
    // SharedState.StopRun when the user cancels the run. Throws what the dialog's load throws.
    virtual void showModal() = 0;
};

// This thread's presenter; null until one is set (the run then leaves a differing pair as it is).
[[nodiscard]] AdjustmentPresenter* adjustmentPresenter() noexcept;
void setAdjustmentPresenter(std::shared_ptr<AdjustmentPresenter> presenter) noexcept;

}  // namespace tarvenish
