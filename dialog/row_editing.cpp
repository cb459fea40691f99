// The grid's cell edits: columns 69 (quantity), 70 (unit price) and 71 (money) are checked, reformatted and
// kept in step with each other; every edit ends with the totals recomputed.

#include "component/messages.h"
#include "component/shared_state.h"
#include "dialog/frmjustaccount.h"
#include "dialog/grid_layout.h"
#include "dialog/grid_totals.h"
#include "dialog/masks.h"
#include "platform/dialog_window.h"
#include "platform/message_presenter.h"
#include "platform/number_format.h"

namespace tarvenish {
namespace {

constexpr long kRefused = 1;
constexpr long kAccepted = 2;

// An empty text is not tested; any other must be a number as a whole.
bool refuseNonNumber(std::string_view text, long& status) {
    if (text.empty() || isNumericText(text)) return false;
    showMessage(messageText(msg::kNotANumber), msgbox::kStop);
    status = kRefused;
    return true;
}

double valueAt(const KVGrid& grid, long row, long col) {
    return leadingValue(grid.CellText(row, col));
}

}  // namespace

void Frmjustaccount::cellEdited(std::string& text, long& status, long row, long col) {
    FrmjustaccountControls& c = controls();
    KVGrid& g = *c.Grid;
    SharedState& state = sharedState();

    if (col == grid::kQuantity) {
        if (refuseNonNumber(text, status)) return;
        const double quantity = leadingValue(text);
        if (quantity != 0.0 && valueAt(g, row, grid::kUnitPrice) != 0.0) {
            g.CellText(row, grid::kMoney,
                       formatNumber(quantity * valueAt(g, row, grid::kUnitPrice), kMoneyLabelMask));
        } else if (quantity != 0.0 && valueAt(g, row, grid::kMoney) != 0.0) {
            g.CellText(row, grid::kUnitPrice,
                       formatNumber(valueAt(g, row, grid::kMoney) / quantity, priceEditMask(state)));
        } else if (quantity == 0.0 && valueAt(g, row, grid::kMoney) != 0.0) {
            g.CellText(row, grid::kMoney, "");
        }
        text = formatNumber(quantity, quantityEditMask(state));
        status = kAccepted;
    } else if (col == grid::kUnitPrice) {
        if (refuseNonNumber(text, status)) return;
        const double price = valueAt(g, row, grid::kUnitPrice);
        if (price < 0.0) {
            showMessage(messageText(msg::kNegativePrice), msgbox::kStop);
            status = kRefused;
        } else {
            text = formatNumber(price, priceMask(state));
            g.CellText(row, grid::kMoney,
                       formatNumber(price * valueAt(g, row, grid::kQuantity), kMoneyLabelMask));
            status = kAccepted;
        }
    } else if (col == grid::kMoney) {
        if (refuseNonNumber(text, status)) return;
        if (valueAt(g, row, grid::kQuantity) != 0.0) {
            g.CellText(row, grid::kUnitPrice,
                       formatNumber(valueAt(g, row, grid::kMoney) / valueAt(g, row, grid::kQuantity),
                                    priceEditMask(state)));
        }
        text = formatNumber(valueAt(g, row, grid::kMoney), kMoneyLabelMask);
        status = kAccepted;
    }
    // The accepted text goes into the cell before the totals are taken, so that they add up what the grid
    // shows.
    if (status == kAccepted && col >= grid::kQuantity && col <= grid::kMoney) g.CellText(row, col, text);
    recomputeGridTotals(c, state);
}

}  // namespace tarvenish
