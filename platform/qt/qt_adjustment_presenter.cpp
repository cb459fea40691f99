#include "platform/qt/qt_adjustment_presenter.h"

#include "dialog/frmjustaccount.h"
#include "platform/qt/qt_dialog_window.h"

namespace tarvenish {

QtAdjustmentPresenter::QtAdjustmentPresenter(QWidget* parent) : m_parent(parent) {}

void QtAdjustmentPresenter::showModal() {
    QtDialogWindow window(m_parent);
    Frmjustaccount form(window);
    window.ShowModal();
}

}  // namespace tarvenish
