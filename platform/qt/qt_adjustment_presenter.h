#pragma once
// Shows the adjustment dialog on screen: a Qt window with the dialog's logic wired to it, shown modally.

#include "component/adjustment_presenter.h"

class QWidget;

namespace tarvenish {

class QtAdjustmentPresenter final : public AdjustmentPresenter {
public:
    // Dialogs open over `parent`, or centred on the screen when there is none. Needs a running QApplication.
    explicit QtAdjustmentPresenter(QWidget* parent = nullptr);

    // Loads the dialog for SharedState's pair on a fresh window and returns what it did once the user has
    // closed it, or once a stop request (ledger/stop_request.h) has cancelled it, polled every 100 ms.
    // Throws what the load throws and the first failure of a handler that let its error through.
    [[nodiscard]] DialogResult showModal(PairMode mode, RunReport& report) override;
    // True: a person answers the window.
    [[nodiscard]] bool waitsForPerson() const noexcept override { return true; }

private:
    QWidget* m_parent;
};

}  // namespace tarvenish
