#include "platform/dll/window_presenters.h"

#include "platform/win32/win32_adjustment_presenter.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_message_presenter.h"

namespace tarvenish {

bool windowsOnCallingThread() noexcept {
    return desktopWindowsOnThisThread();
}
std::unique_ptr<AdjustmentPresenter> screenAdjustmentPresenter() {
    return std::make_unique<Win32AdjustmentPresenter>();
}
std::unique_ptr<MessagePresenter> screenMessagePresenter() {
    return std::make_unique<Win32MessagePresenter>();
}

}  // namespace tarvenish
