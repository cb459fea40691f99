#pragma once
// The grid totals of the adjustment dialog and the two options that rewrite lines: the average unit price and
// the balancing line. Shared by the option handlers and the confirm/cancel handler.

#include <string>
#include <string_view>

#include "dialog/error_mode.h"

namespace tarvenish {

struct FrmjustaccountControls;
struct SharedState;

// Label9 := message 00001 and SumQuantity in the quantity mask; Label10 := message 00002 and SumMoney with
// two decimals; then the difference line. Under SkipStep a message text that cannot be read leaves the
// caption without it.
void refreshTotalLabels(FrmjustaccountControls& controls, const SharedState& state, ErrorMode mode);

// SumQuantity and SumMoney := the sums of the values of columns 69 and 71 of every data line (an empty or
// non-numeric text counting as its leading number, 0 when none), then the labels. Throws on a control
// failure.
void recomputeGridTotals(FrmjustaccountControls& controls, SharedState& state);

// Every data line gets TxtPrice in the price mask as its unit price and that price times its quantity as its
// money; the totals are summed afresh, a line whose quantity or money is not a number being left out of them.
// Skips any step that fails; never throws.
void applyAveragePrice(FrmjustaccountControls& controls, SharedState& state) noexcept;

// When SumQuantity or SumMoney differs from the pair's Quantity or Money (exactly), appends a line "JUST" and
// the next serial carrying the differences, then sets the totals to the pair's. Returns true when a line was
// added. Under Propagate a failure ends it with the error; under SkipStep failing steps are left out, but
// nothing is written when the line itself cannot be added.
bool appendBalancingLine(FrmjustaccountControls& controls, SharedState& state, ErrorMode mode);

// Raises JustSerial by one and returns it ("100000" becomes "100001"). Throws ConversionError, leaving
// JustSerial unchanged, when it does not hold a number.
std::string advanceJustSerial(SharedState& state);

// The number that a whole cell text holds, 0 for the empty text. Throws ConversionError when the text is not
// a number as a whole.
[[nodiscard]] double numberIn(std::string_view text);

}  // namespace tarvenish
