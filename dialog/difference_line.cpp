#include "dialog/difference_line.h"

#include "base/number_format.h"
#include "component/messages.h"
#include "component/shared_state.h"
#include "dialog/commit.h"
#include "dialog/dialog_window.h"
#include "dialog/masks.h"

namespace tarvenish {
namespace {

struct Gap {
    std::string quantity;
    std::string money;
};

Gap gapOf(const SharedState& state) {
    // Totals that agree show a plain zero: a difference below the last decimal would read "-0.00".
    const bool agree = totalsAgree(state);
    return Gap{formatNumber(agree ? 0.0 : state.Quantity - state.SumQuantity, quantityMask(state)),
               formatNumber(agree ? 0.0 : state.Money - state.SumMoney, kMoneyMask)};
}

}  // namespace

bool totalsAgree(const SharedState& state) {
    // Fifteen digits do not reach the last decimal of a large figure (1234567890.123456 with six): the totals
    // must also read the same in the masks they are written with.
    const std::string quantity = quantityMask(state);
    return sameTo15Digits(state.Quantity, state.SumQuantity) && sameTo15Digits(state.Money, state.SumMoney) &&
           formatNumber(state.Quantity, quantity) == formatNumber(state.SumQuantity, quantity) &&
           formatNumber(state.Money, kMoneyMask) == formatNumber(state.SumMoney, kMoneyMask);
}

void refreshDifferenceLine(FrmjustaccountControls& controls, const SharedState& state, ErrorMode mode) {
    if (controls.LabelDiff == nullptr) return;
    runStep(mode, [&] {
        const Gap gap = gapOf(state);
        controls.LabelDiff->Caption(
            fillMessage(messageText(msg::kDifferenceLine), {gap.quantity, gap.money}));
    });
    runStep(mode, [&] { controls.LabelDiff->Marked(!totalsAgree(state)); });
}

std::string totalsGapText(const SharedState& state) {
    const std::string quantity = quantityMask(state);
    const Gap gap = gapOf(state);
    return fillMessage(messageText(msg::kTotalsGap),
                       {formatNumber(state.Quantity, quantity), formatNumber(state.Money, kMoneyMask),
                        formatNumber(state.SumQuantity, quantity), formatNumber(state.SumMoney, kMoneyMask),
                        gap.quantity, gap.money});
}

}  // namespace tarvenish
