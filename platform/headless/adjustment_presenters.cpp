#include "platform/headless/adjustment_presenters.h"

#include <algorithm>
#include <string>

#include "base/ascii_text.h"
#include "dialog/dialog_window.h"
#include "dialog/frmjustaccount.h"
#include "ledger/db/stop_request.h"
#include "platform/headless/headless_dialog_window.h"

namespace tarvenish {
namespace {

constexpr std::int16_t kOk = 0;
constexpr std::int16_t kCancel = 1;

void pressCancel(DialogWindow& window) {
    window.controls().cmdOkCancel[kCancel]->userClick();
}

DrivenAdjustmentPresenter::Driver policyDriver(AdjustmentPolicy policy) {
    switch (policy) {
        case AdjustmentPolicy::Skip:
            return {};
        case AdjustmentPolicy::Cancel:
            return pressCancel;
        case AdjustmentPolicy::Balance:
            return [](DialogWindow& window) { window.controls().cmdOkCancel[kOk]->userClick(); };
        case AdjustmentPolicy::Average:
            return [](DialogWindow& window) {
                FrmjustaccountControls& controls = window.controls();
                controls.ChkAver->userClick();
                controls.cmdOkCancel[kOk]->userClick();
            };
    }
    return {};
}

// A stop requested by then (the command's SIGINT or SIGTERM) ends the dialog as Cancel does, whatever the
// policy: the pair is not written and the run stops.
DrivenAdjustmentPresenter::Driver driverFor(AdjustmentPolicy policy) {
    return [answer = policyDriver(policy)](DialogWindow& window) {
        if (stopRequested() != 0) {
            pressCancel(window);
        } else if (answer) {
            answer(window);
        }
    };
}

}  // namespace

std::optional<AdjustmentPolicy> parseAdjustmentPolicy(std::string_view text) {
    const std::string lower = lowerAsciiCopy(text);
    if (lower == "skip") return AdjustmentPolicy::Skip;
    if (lower == "cancel") return AdjustmentPolicy::Cancel;
    if (lower == "balance") return AdjustmentPolicy::Balance;
    if (lower == "average") return AdjustmentPolicy::Average;
    return std::nullopt;
}

std::string_view adjustmentPolicyName(AdjustmentPolicy policy) noexcept {
    switch (policy) {
        case AdjustmentPolicy::Skip:
            return "skip";
        case AdjustmentPolicy::Cancel:
            return "cancel";
        case AdjustmentPolicy::Balance:
            return "balance";
        case AdjustmentPolicy::Average:
            return "average";
    }
    return "skip";
}

DrivenAdjustmentPresenter::DrivenAdjustmentPresenter(Driver driver) : m_driver(std::move(driver)) {}

DialogResult DrivenAdjustmentPresenter::showModal(PairMode mode, RunReport& report) {
    HeadlessDialogWindow window(m_driver);
    Frmjustaccount form(window, report, mode);
    ++m_shown;
    window.ShowModal();
    return form.result();
}

HeadlessAdjustmentPresenter::HeadlessAdjustmentPresenter(AdjustmentPolicy policy)
    : m_policy(policy), m_driven(driverFor(policy)) {}

DialogResult HeadlessAdjustmentPresenter::showModal(PairMode mode, RunReport& report) {
    return m_driven.showModal(mode, report);
}

}  // namespace tarvenish
