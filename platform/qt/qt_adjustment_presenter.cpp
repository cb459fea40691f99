#include "platform/qt/qt_adjustment_presenter.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>

#include "dialog/controls.h"
#include "dialog/frmjustaccount.h"
#include "ledger/db/stop_request.h"
#include "platform/qt/qt_dialog_window.h"

namespace tarvenish {
namespace {

constexpr int kStopPollMilliseconds = 100;
constexpr std::size_t kCancel = 1;

// Ends the dialog as its Cancel button would once a stop is requested. A message box of the dialog is
// answered with its escape button first, so that the handler that opened it returns before the window goes.
void cancelOnStopRequest(QtDialogWindow& window) {
    if (stopRequested() == 0 || !window.isLoaded()) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr && modal != window.dialog()) {
        box->reject();
        return;
    }
    window.controls().cmdOkCancel[kCancel]->userClick();
}

}  // namespace

QtAdjustmentPresenter::QtAdjustmentPresenter(QWidget* parent) : m_parent(parent) {}

DialogResult QtAdjustmentPresenter::showModal(PairMode mode, RunReport& report) {
    QtDialogWindow window(m_parent);
    Frmjustaccount form(window, report, mode);
    // The modal loop is the only code running while the dialog is up: it has to look for a stop request.
    QTimer stopPoll;
    stopPoll.setInterval(kStopPollMilliseconds);
    QObject::connect(&stopPoll, &QTimer::timeout, [&window] { cancelOnStopRequest(window); });
    stopPoll.start();
    window.ShowModal();
    return form.result();
}

}  // namespace tarvenish
