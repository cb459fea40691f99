#pragma once
// Who answers the adjustment dialog and the message boxes of a run: a window when one is wanted and can be
// shown, otherwise the unattended policy of --on-mismatch.

#include <memory>
#include <string>

#include "component/adjustment_presenter.h"

namespace tarvenish::app {

// Installs this thread's message presenter for its lifetime and removes it after, and holds the adjustment
// presenter for the run.
class PresenterChoice {
public:
    PresenterChoice(PresenterChoice&&) noexcept;
    ~PresenterChoice();
    // True when dialogs go to a window on screen.
    [[nodiscard]] bool windowed() const noexcept { return m_windowed; }
    // The presenter of the adjustment dialog for the run.
    [[nodiscard]] const std::shared_ptr<AdjustmentPresenter>& adjustment() const noexcept {
        return m_adjustment;
    }

private:
    friend PresenterChoice choosePresenters(const std::string& ui, const std::string& onMismatch);
    PresenterChoice();
    struct QtApplication;
    std::unique_ptr<QtApplication> m_qt;
    std::shared_ptr<AdjustmentPresenter> m_adjustment;
    bool m_windowed = false;
    bool m_active = true;
};

// ui: "none" (the policy answers), "qt" (a window; a UsageError when this build has none), "auto" (a window
// when the build has one and a display is available). onMismatch: skip, cancel, balance or average.
[[nodiscard]] PresenterChoice choosePresenters(const std::string& ui, const std::string& onMismatch);

}  // namespace tarvenish::app
