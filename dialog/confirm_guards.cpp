#include "dialog/confirm_guards.h"

#include <cmath>
#include <string>
#include <string_view>

#include "base/number_format.h"
#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/shared_state.h"
#include "dialog/dialog_window.h"
#include "dialog/figure_limits.h"
#include "dialog/grid_layout.h"
#include "dialog/masks.h"
#include "dialog/opening_row_writer.h"

namespace tarvenish {
namespace {

// A box lists this many lines at most; the rest are summed up as "...".
constexpr int kListedLines = 12;

// The message naming why added line `row` needs a second look, 0 when it needs none.
int doubtAbout(const KVGrid& grid, long row, const SharedState& state) {
    const std::string quantityText = grid.CellText(row, grid::kQuantity);
    const std::string moneyText = grid.CellText(row, grid::kMoney);
    const double quantity = leadingValue(quantityText);
    const double money = leadingValue(moneyText);
    if (quantity == 0.0 && money == 0.0) return msg::kLineEmpty;
    if (quantity < 0.0 || money < 0.0) return msg::kLineNegative;
    if (std::fabs(quantity) > std::fabs(state.Quantity) || std::fabs(money) > std::fabs(state.Money))
        return msg::kLineBeyondTotals;
    return 0;
}

}  // namespace

int figureRefusal(std::string_view text) {
    if (text.empty() || storableFigure(text)) return 0;
    double value = 0.0;
    return parseNumber(text, value) ? msg::kFigureTooLarge : msg::kNotANumber;
}

std::optional<int> averagePriceRefusal(const FrmjustaccountControls& controls) {
    const std::string text = controls.TxtPrice->Text();
    // Left empty, the box would price every line at 0 and zero its money.
    if (text.empty()) return msg::kPriceNotANumber;
    const int refusal = figureRefusal(text);
    if (refusal == msg::kNotANumber) return msg::kPriceNotANumber;
    if (refusal != 0) return refusal;
    if (leadingValue(text) < 0.0) return msg::kNegativePrice;
    return std::nullopt;
}

bool addedLinesConfirmed(const KVGrid& grid, const SharedState& state) {
    std::string listed;
    int doubtful = 0;
    for (long row = 1; row < grid.RowCount(); ++row) {
        const std::string code = grid.CellText(row, grid::kVoucherCode);
        if (lineKindOf(code) != LineKind::Added) continue;
        const int doubt = doubtAbout(grid, row, state);
        if (doubt == 0) continue;
        if (++doubtful > kListedLines) continue;
        const double quantity = leadingValue(grid.CellText(row, grid::kQuantity));
        const double money = leadingValue(grid.CellText(row, grid::kMoney));
        listed += "\n" + fillMessage(messageText(doubt), {code, formatNumber(quantity, quantityMask(state)),
                                                          formatNumber(money, kMoneyMask)});
    }
    if (doubtful == 0) return true;
    if (doubtful > kListedLines) listed += "\n...";
    const int answer = showMessage(messageText(msg::kConfirmLines) + listed,
                                   msgbox::kQuestion + msgbox::kOkCancel, messageText(msg::kBoxTitle));
    return answer != msgbox::kCancel;
}

}  // namespace tarvenish
