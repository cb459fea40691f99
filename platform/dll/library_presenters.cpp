#include "platform/dll/library_presenters.h"

#include <cstdio>
#include <memory>
#include <string>

#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/run_report.h"
#include "component/shared_state.h"
#include "platform/dll/library_settings.h"
#include "platform/dll/window_presenters.h"

namespace tarvenish {
namespace {

class LibraryAdjustmentPresenter final : public AdjustmentPresenter {
public:
    explicit LibraryAdjustmentPresenter(std::optional<AdjustmentPolicy> policy) : m_policy(policy) {}

    [[nodiscard]] DialogResult showModal(PairMode mode, RunReport& report) override {
        if (windowsOnCallingThread()) return screenAdjustmentPresenter()->showModal(mode, report);
        if (m_policy) return HeadlessAdjustmentPresenter(*m_policy).showModal(mode, report);
        SharedState& state = sharedState();
        // The library says it on standard error with the run's answer, and the report holds it.
        report.cancelledBecause =
            "the totals of pair " + state.WhCode + "/" + state.InvCode +
            " differ and no window can be shown on this thread; the run is cancelled "
            "there (set " +
            std::string(kOnMismatchVariable) +
            " to skip, cancel, balance or average to answer the dialog without a window)";
        // Cancel without loading the dialog: a load that failed would leave the pair behind while the run
        // went on and answered true.
        state.StopRun = true;
        DialogResult cancelled;
        cancelled.cancelled = true;
        return cancelled;
    }

    // Only a window on this thread has a person behind it; the policy, or the cancel without one, answers
    // at once.
    [[nodiscard]] bool waitsForPerson() const noexcept override {
        if (!windowsOnCallingThread()) return false;
        try {
            return screenAdjustmentPresenter()->waitsForPerson();
        } catch (...) {
            return true;
        }
    }

    // Without a policy the first differing pair cancels the run: Cancel answers it.
    [[nodiscard]] std::string policyName() const override {
        if (waitsForPerson()) return {};
        return std::string(m_policy ? adjustmentPolicyName(*m_policy) : "cancel");
    }

private:
    std::optional<AdjustmentPolicy> m_policy;
};

class LibraryMessagePresenter final : public MessagePresenter {
public:
    [[nodiscard]] int show(std::string_view prompt, [[maybe_unused]] int style,
                           [[maybe_unused]] std::string_view title) override {
        if (windowsOnCallingThread()) return screenMessagePresenter()->show(prompt, style, title);
        // Nobody can read the box: it goes to standard error and is answered with OK, as by a person who
        // reads and closes it.
        std::fprintf(stderr, "TARVENISH: %.*s\n", static_cast<int>(prompt.size()), prompt.data());
        return msgbox::kOk;
    }
};

}  // namespace

LibraryPresenters::LibraryPresenters(std::optional<AdjustmentPolicy> onMismatch)
    : m_adjustment(std::make_shared<LibraryAdjustmentPresenter>(onMismatch)) {
    setMessagePresenter(std::make_shared<LibraryMessagePresenter>());
}

LibraryPresenters::~LibraryPresenters() {
    setMessagePresenter(nullptr);
}

}  // namespace tarvenish
