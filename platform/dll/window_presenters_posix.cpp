#include "platform/dll/window_presenters.h"

#ifdef TARVENISH_HAVE_QT
#include "platform/qt/qt_adjustment_presenter.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/qt_message_presenter.h"
#endif

namespace tarvenish {

// A build without the Qt front shows no window: the policy or the cancel answers.
#ifdef TARVENISH_HAVE_QT
bool windowsOnCallingThread() noexcept {
    return windowsOnThisThread();
}
std::unique_ptr<AdjustmentPresenter> screenAdjustmentPresenter() {
    return std::make_unique<QtAdjustmentPresenter>();
}
std::unique_ptr<MessagePresenter> screenMessagePresenter() {
    return std::make_unique<QtMessagePresenter>();
}
#else
bool windowsOnCallingThread() noexcept {
    return false;
}
std::unique_ptr<AdjustmentPresenter> screenAdjustmentPresenter() {
    return nullptr;
}
std::unique_ptr<MessagePresenter> screenMessagePresenter() {
    return nullptr;
}
#endif

}  // namespace tarvenish
