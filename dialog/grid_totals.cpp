#include "dialog/grid_totals.h"

#include "base/number_format.h"
#include "component/messages.h"
#include "component/shared_state.h"
#include "dialog/dialog_window.h"
#include "dialog/difference_line.h"
#include "dialog/grid_layout.h"
#include "dialog/masks.h"
#include "ledger/db/value.h"

namespace tarvenish {
namespace {

std::string messagePrefix(int number, ErrorMode mode) {
    std::string text;
    runStep(mode, [&] { text = messageText(number); });
    return text;
}

}  // namespace

void refreshTotalLabels(FrmjustaccountControls& controls, const SharedState& state, ErrorMode mode) {
    runStep(mode, [&] {
        controls.Label9->Caption(messagePrefix(msg::kQuantityTotal, mode) +
                                 formatNumber(state.SumQuantity, quantityMask(state)));
    });
    runStep(mode, [&] {
        controls.Label10->Caption(messagePrefix(msg::kMoneyTotal, mode) +
                                  formatNumber(state.SumMoney, kMoneyLabelMask));
    });
    refreshDifferenceLine(controls, state, mode);
}

void recomputeGridTotals(FrmjustaccountControls& controls, SharedState& state) {
    const KVGrid& grid = *controls.Grid;
    state.SumQuantity = 0.0;
    state.SumMoney = 0.0;
    for (long row = 1; row < grid.RowCount(); ++row) {
        state.SumQuantity += leadingValue(grid.CellText(row, grid::kQuantity));
        state.SumMoney += leadingValue(grid.CellText(row, grid::kMoney));
    }
    refreshTotalLabels(controls, state, ErrorMode::Propagate);
}

void applyAveragePrice(FrmjustaccountControls& controls, SharedState& state) noexcept {
    constexpr ErrorMode mode = ErrorMode::SkipStep;
    KVGrid& grid = *controls.Grid;
    state.SumQuantity = 0.0;
    state.SumMoney = 0.0;
    refreshTotalLabels(controls, state, mode);

    long rows = 0;
    runStep(mode, [&] { rows = grid.RowCount(); });
    for (long row = 1; row < rows; ++row) {
        runStep(mode, [&] {
            grid.CellText(row, grid::kUnitPrice, formatText(controls.TxtPrice->Text(), priceMask(state)));
        });
        runStep(mode, [&] {
            const double money =
                leadingValue(controls.TxtPrice->Text()) * leadingValue(grid.CellText(row, grid::kQuantity));
            grid.CellText(row, grid::kMoney, formatNumber(money, kMoneyMask));
        });
        runStep(mode, [&] { state.SumQuantity += numberIn(grid.CellText(row, grid::kQuantity)); });
        runStep(mode, [&] { state.SumMoney += numberIn(grid.CellText(row, grid::kMoney)); });
    }
    refreshTotalLabels(controls, state, mode);
}

bool appendBalancingLine(FrmjustaccountControls& controls, SharedState& state, ErrorMode mode) {
    // Exact comparison: a difference beyond what the masks show still earns a (zero) balancing line.
    if (state.SumQuantity == state.Quantity && state.SumMoney == state.Money) return false;

    KVGrid& grid = *controls.Grid;
    long before = 0;
    long last = 0;
    const bool added = runStep(mode, [&] {
        before = grid.RowCount();
        grid.AddRow("", before);
        last = grid.RowCount() - 1;
    });
    // Without a new line the differences would land on an existing one.
    if (!added || last < before) return false;

    runStep(mode, [&] { advanceJustSerial(state); });
    runStep(mode, [&] { grid.CellText(last, grid::kVoucherCode, "JUST" + state.JustSerial); });
    runStep(mode, [&] {
        grid.CellText(last, grid::kQuantity,
                      formatNumber(state.Quantity - state.SumQuantity, quantityMask(state)));
    });
    runStep(mode, [&] {
        grid.CellText(last, grid::kMoney, formatNumber(state.Money - state.SumMoney, kMoneyMask));
    });
    runStep(mode, [&] {
        // The price follows the rounded texts just written, not the raw differences.
        const double money = leadingValue(grid.CellText(last, grid::kMoney));
        const double quantity = leadingValue(grid.CellText(last, grid::kQuantity));
        if (money != 0.0 && quantity != 0.0) {
            grid.CellText(last, grid::kUnitPrice, formatNumber(money / quantity, priceMask(state)));
        }
    });
    state.SumQuantity = state.Quantity;
    state.SumMoney = state.Money;
    refreshTotalLabels(controls, state, mode);
    return true;
}

std::string advanceJustSerial(SharedState& state) {
    double serial = 0.0;
    if (!parseNumber(state.JustSerial, serial)) {
        throw ConversionError("the running number of added lines \"" + state.JustSerial +
                              "\" is not a number");
    }
    state.JustSerial = wholeNumberText(serial + 1.0);
    return state.JustSerial;
}

double numberIn(std::string_view text) {
    if (text.empty()) return 0.0;
    double number = 0.0;
    if (!parseNumber(text, number)) {
        throw ConversionError("the cell text \"" + std::string(text) + "\" is not a number");
    }
    return number;
}

}  // namespace tarvenish
