// The grid's cell edits: columns 69 (quantity), 70 (unit price) and 71 (money) are checked, reformatted and
// kept in step with each other; every edit but a refused figure ends with the totals recomputed.

#include "base/number_format.h"
#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/shared_state.h"
#include "dialog/confirm_guards.h"
#include "dialog/dialog_window.h"
#include "dialog/figure_limits.h"
#include "dialog/frmjustaccount.h"
#include "dialog/grid_layout.h"
#include "dialog/grid_totals.h"
#include "dialog/masks.h"

namespace tarvenish {
namespace {

constexpr long kRefused = 1;
constexpr long kAccepted = 2;

// Refuses the entry with message `number`. Returns true, so that a caller can return it.
bool refuseWith(int number, long& status) {
    showMessage(messageText(number), msgbox::kStop);
    status = kRefused;
    return true;
}

// An empty text is not tested; any other must be a storable figure as a whole (else: not a number, or too
// large).
bool refuseNonNumber(std::string_view text, long& status) {
    const int refusal = figureRefusal(text);
    return refusal != 0 && refuseWith(refusal, status);
}

// A figure derived from the entry (a product or a quotient) that would not be storable refuses the entry.
bool refuseUnstorable(double derived, long& status) {
    return !isStorableFigure(derived) && refuseWith(msg::kFigureTooLarge, status);
}

// A unit price derived from the entry is refused when negative, as a typed one is: the ledger's unit cost is
// never negative, and a refusal leaves the line as it was.
bool refuseNegativePrice(double derived, long& status) {
    return derived < 0.0 && refuseWith(msg::kNegativePrice, status);
}

double valueAt(const KVGrid& grid, long row, long col) {
    return leadingValue(grid.CellText(row, col));
}

}  // namespace

void Frmjustaccount::cellEdited(std::string& text, long& status, long row, long col) {
    FrmjustaccountControls& c = controls();
    KVGrid& g = *c.Grid;
    SharedState& state = sharedState();

    // Every figure is checked before any cell changes: a refused entry leaves the whole line as it was.
    if (col == grid::kQuantity) {
        if (refuseNonNumber(text, status)) return;
        const double quantity = leadingValue(text);
        const double price = valueAt(g, row, grid::kUnitPrice);
        const double money = valueAt(g, row, grid::kMoney);
        if (quantity != 0.0 && price != 0.0) {
            if (refuseUnstorable(quantity * price, status)) return;
            g.CellText(row, grid::kMoney, formatNumber(quantity * price, kMoneyLabelMask));
        } else if (quantity != 0.0 && money != 0.0) {
            if (refuseUnstorable(money / quantity, status) || refuseNegativePrice(money / quantity, status))
                return;
            g.CellText(row, grid::kUnitPrice, formatNumber(money / quantity, priceEditMask(state)));
        } else if (quantity == 0.0 && money != 0.0) {
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
            const double money = price * valueAt(g, row, grid::kQuantity);
            if (refuseUnstorable(money, status)) return;
            text = formatNumber(price, priceMask(state));
            g.CellText(row, grid::kMoney, formatNumber(money, kMoneyLabelMask));
            status = kAccepted;
        }
    } else if (col == grid::kMoney) {
        if (refuseNonNumber(text, status)) return;
        const double money = valueAt(g, row, grid::kMoney);
        const double quantity = valueAt(g, row, grid::kQuantity);
        if (quantity != 0.0) {
            if (refuseUnstorable(money / quantity, status) || refuseNegativePrice(money / quantity, status))
                return;
            g.CellText(row, grid::kUnitPrice, formatNumber(money / quantity, priceEditMask(state)));
        }
        text = formatNumber(money, kMoneyLabelMask);
        status = kAccepted;
    }
    // The accepted text goes into the cell before the totals are taken, so that they add up what the grid
    // shows.
    if (status == kAccepted && col >= grid::kQuantity && col <= grid::kMoney) g.CellText(row, col, text);
    recomputeGridTotals(c, state);
}

}  // namespace tarvenish
