#include "platform/win32/win32_adjustment_presenter.h"

#include <windows.h>

#include <optional>
#include <string>

#include "base/system_text.h"
#include "dialog/controls.h"
#include "dialog/frmjustaccount.h"
#include "ledger/db/stop_request.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_dialog_window.h"

namespace tarvenish {

namespace {

constexpr unsigned kStopPollMilliseconds = 100;
constexpr std::size_t kConfirm = 0;
constexpr std::size_t kCancel = 1;

// The window of the adjustment dialog's button at `index`.
HWND buttonWindow(Win32DialogWindow& window, std::size_t index) {
    auto* button = dynamic_cast<Win32Child*>(window.controls().cmdOkCancel[index]);
    return button != nullptr ? button->handle() : nullptr;
}

// Ends the dialog as its Cancel button would once a stop is requested. A message box over the dialog is
// answered with its escape button first, so that the handler that opened it returns before the window goes.
void cancelOnStopRequest(Win32DialogWindow& window) {
    if (stopRequested() == 0 || !window.isLoaded()) return;
    if (HWND box = ::GetWindow(window.window(), GW_ENABLEDPOPUP); box != nullptr && box != window.window()) {
        ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    window.controls().cmdOkCancel[kCancel]->userClick();
}

struct TestAnswer {
    std::size_t button = kConfirm;
    bool leak = false;
};

std::optional<TestAnswer> testAnswer() {
    const std::string value = environmentVariable(kTestAnswerVariable).value_or(std::string());
    if (value.empty()) return std::nullopt;
    TestAnswer answer;
    answer.button = value.starts_with("cancel") ? kCancel : kConfirm;
    answer.leak = value.ends_with("+leak");
    return answer;
}

}  // namespace

bool Win32AdjustmentPresenter::waitsForPerson() const noexcept {
    try {
        return !testAnswer().has_value();
    } catch (...) {
        return true;
    }
}

DialogResult Win32AdjustmentPresenter::showModal(PairMode mode, RunReport& report) {
    Win32DialogWindow window(::GetActiveWindow());
    Frmjustaccount form(window, report, mode);
    // The message loop is the only code running while the dialog is up: it has to look for a stop request.
    window.whileShown(kStopPollMilliseconds, [&window] { cancelOnStopRequest(window); });
    if (const std::optional<TestAnswer> answer = testAnswer()) {
        // The button is clicked through the window's own messages, as a person's click arrives.
        auto activate = window.Activate;
        window.Activate = [&window, activate, answer] {
            if (activate) activate();
            if (answer->leak) (void)::CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma");
            ::PostMessageW(buttonWindow(window, answer->button), BM_CLICK, 0, 0);
        };
    }
    window.ShowModal();
    return form.result();
}

}  // namespace tarvenish
