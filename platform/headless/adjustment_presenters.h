#pragma once
// Presenters that show the adjustment dialog without a screen: the dialog's logic on headless controls, with
// the user played by a fixed policy or by a driver function.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "component/adjustment_presenter.h"

namespace tarvenish {

class DialogWindow;

// What an unattended user does with each dialog.
enum class AdjustmentPolicy {
    Skip,     // closes the window without writing (as by its close box); the run goes on
    Cancel,   // presses Cancel: the run stops
    Balance,  // presses OK as loaded (the balancing option is ticked at design time)
    Average,  // ticks the average-price option, then presses OK
};

// "skip", "cancel", "balance" or "average" (any case); nullopt for any other text.
[[nodiscard]] std::optional<AdjustmentPolicy> parseAdjustmentPolicy(std::string_view text);
// "skip", "cancel", "balance" or "average".
[[nodiscard]] std::string_view adjustmentPolicyName(AdjustmentPolicy policy) noexcept;

// Shows every pair's dialog on a fresh headless window and lets `driver` play the user; the window closes as
// by its close box when the driver leaves it open.
class DrivenAdjustmentPresenter final : public AdjustmentPresenter {
public:
    using Driver = std::function<void(DialogWindow&)>;

    explicit DrivenAdjustmentPresenter(Driver driver);
    // Loads the dialog for SharedState's pair, runs the driver and returns what the dialog did once the
    // window has unloaded. Throws what the load or the driver throws.
    [[nodiscard]] DialogResult showModal(PairMode mode, RunReport& report) override;
    // False: the driver answers at once.
    [[nodiscard]] bool waitsForPerson() const noexcept override { return false; }
    // How many dialogs have been shown.
    [[nodiscard]] int shown() const noexcept { return m_shown; }

private:
    Driver m_driver;
    int m_shown = 0;
};

// Shows every pair's dialog on a fresh headless window and answers it by `policy`, or by Cancel when a stop
// has been requested (ledger/stop_request.h).
class HeadlessAdjustmentPresenter final : public AdjustmentPresenter {
public:
    explicit HeadlessAdjustmentPresenter(AdjustmentPolicy policy);
    // As DrivenAdjustmentPresenter::showModal, with the policy as the user.
    [[nodiscard]] DialogResult showModal(PairMode mode, RunReport& report) override;
    // False: the policy answers at once.
    [[nodiscard]] bool waitsForPerson() const noexcept override { return false; }
    [[nodiscard]] std::string policyName() const override {
        return std::string(adjustmentPolicyName(m_policy));
    }
    [[nodiscard]] AdjustmentPolicy policy() const noexcept { return m_policy; }

private:
    AdjustmentPolicy m_policy;
    DrivenAdjustmentPresenter m_driven;
};

}  // namespace tarvenish
