#pragma once
// Shows the adjustment dialog on screen over Win32: a window with the dialog's logic wired to it, modal on
// the calling thread and owned by the host's active window.

#include "component/adjustment_presenter.h"

namespace tarvenish {

// The environment variable through which a test answers every dialog from the real window without a mouse:
// `confirm` clicks OK once the window is active, `cancel` clicks Cancel; `+leak` after either leaves one font
// behind per dialog, so that a leak check can be shown to fail.
inline constexpr const char* kTestAnswerVariable = "TARVENISH_TEST_DIALOG_ANSWER";

class Win32AdjustmentPresenter final : public AdjustmentPresenter {
public:
    // Loads the dialog for SharedState's pair on a fresh window and returns what it did once the user has
    // closed it, or once a stop request (ledger/stop_request.h) has cancelled it, polled every 100 ms. Throws
    // what the load throws and the first failure of a handler that let its error through.
    [[nodiscard]] DialogResult showModal(PairMode mode, RunReport& report) override;
    // True: a person answers the window; false while the test answer does.
    [[nodiscard]] bool waitsForPerson() const noexcept override;
};

}  // namespace tarvenish
