#include "app/presenter_choice.h"

#include <cstdlib>
#include <string>

#include "app/account_set.h"
#include "component/adjustment_presenter.h"
#include "component/message_presenter.h"
#include "component/messages.h"
#include "platform/display.h"
#include "platform/headless/adjustment_presenters.h"

#ifdef TARVENISH_HAVE_QT
#include <QApplication>

#include "platform/qt/qt_adjustment_presenter.h"
#include "platform/qt/qt_message_presenter.h"
#endif

namespace tarvenish::app {

struct PresenterChoice::QtApplication {
#ifdef TARVENISH_HAVE_QT
    // QApplication keeps references to argc and argv for its whole life.
    int argc = 1;
    char name[10] = "tarvenish";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> application;
#endif
};

PresenterChoice::PresenterChoice() = default;

PresenterChoice::PresenterChoice(PresenterChoice&& other) noexcept
    : m_qt(std::move(other.m_qt)),
      m_adjustment(std::move(other.m_adjustment)),
      m_windowed(other.m_windowed),
      m_active(other.m_active) {
    other.m_active = false;
}

PresenterChoice::~PresenterChoice() {
    if (!m_active) return;
    setMessagePresenter(nullptr);
}

namespace {
std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

constexpr bool kHaveQt =
#ifdef TARVENISH_HAVE_QT
    true;
#else
    false;
#endif
}  // namespace

PresenterChoice choosePresenters(const std::string& ui, const std::string& onMismatch) {
    const auto policy = parseAdjustmentPolicy(onMismatch);
    if (!policy) throw UsageError("--on-mismatch takes skip, cancel, balance or average, not " + onMismatch);
    if (ui == "qt" && !kHaveQt) throw UsageError("--ui qt: this build has no window front");
    if (ui == "qt" && environment("QT_QPA_PLATFORM").empty() && !displayReachable())
        throw UsageError("--ui qt: no display can be reached (DISPLAY=\"" + environment("DISPLAY") + "\")");
    const bool window = ui == "qt" || (ui == "auto" && kHaveQt && displayReachable());

    PresenterChoice choice;
#ifdef TARVENISH_HAVE_QT
    if (window) {
        choice.m_qt = std::make_unique<PresenterChoice::QtApplication>();
        choice.m_qt->application = std::make_unique<QApplication>(choice.m_qt->argc, choice.m_qt->argv);
        setMessagePresenter(std::make_shared<QtMessagePresenter>());
        choice.m_adjustment = std::make_shared<QtAdjustmentPresenter>();
        choice.m_windowed = true;
        return choice;
    }
#endif
    (void)window;
    // Unattended: every box is answered with OK, as a person who reads and closes it would.
    setMessagePresenter(std::make_shared<HeadlessMessagePresenter>());
    choice.m_adjustment = std::make_shared<HeadlessAdjustmentPresenter>(*policy);
    return choice;
}

}  // namespace tarvenish::app
