#pragma once
// Who answers the adjustment dialog and the message boxes of a run: a window when one is wanted and can be
// shown, otherwise the unattended policy of --on-mismatch.

#include <memory>
#include <string>

namespace tarvenish::app {

// Installs this thread's adjustment and message presenters for its lifetime and removes them after.
class PresenterChoice {
public:
    PresenterChoice(PresenterChoice&&) noexcept;
    ~PresenterChoice();
    // True when dialogs go to a window on screen.
    [[nodiscard]] bool windowed() const noexcept { return m_windowed; }

private:
    friend PresenterChoice choosePresenters(const std::string& ui, const std::string& onMismatch);
    PresenterChoice();
    struct QtSession;
    std::unique_ptr<QtSession> m_qt;
    bool m_windowed = false;
    bool m_active = true;
};

// ui: "none" (the policy answers), "qt" (a window; a UsageError when this build has none), "auto" (a window
// when the build has one and a display is available). onMismatch: skip, cancel, balance or average.
[[nodiscard]] PresenterChoice choosePresenters(const std::string& ui, const std::string& onMismatch);

}  // namespace tarvenish::app
