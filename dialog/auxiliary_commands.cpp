// The two buttons above the grid: add an empty added line, delete the current line.

#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/shared_state.h"
#include "dialog/dialog_window.h"
#include "dialog/frmjustaccount.h"
#include "dialog/grid_layout.h"
#include "dialog/grid_totals.h"

namespace tarvenish {

void Frmjustaccount::command1Click() {
    KVGrid& g = *controls().Grid;
    g.AddRow("", g.RowCount());
    const long last = g.RowCount() - 1;
    g.CellText(last, grid::kVoucherCode, "JUST" + advanceJustSerial(sharedState()));
    // The new line becomes current at its quantity, so that the user sees it and can type at once.
    g.CurrentRow(last);
    g.CurrentCol(grid::kQuantity);
}

void Frmjustaccount::command2Click() {
    FrmjustaccountControls& c = controls();
    KVGrid& g = *c.Grid;
    if (g.RowCount() < 2 || g.CurrentRow() == grid::kHeaderRow) return;
    const int answer = showMessage(messageText(msg::kConfirmDelete), msgbox::kQuestion + msgbox::kOkCancel,
                                   messageText(msg::kBoxTitle));
    if (answer == msgbox::kCancel) return;
    if (g.RowCount() > 2) {
        g.RemoveRow(g.CurrentRow());
    } else {
        g.RowCount(1);
    }
    recomputeGridTotals(c, sharedState());
}

}  // namespace tarvenish
