#pragma once
// What the grid still lacks of its pair's ledger totals: the difference line under the totals and the figures
// a refused confirm names. Beside the design, which shows only the two totals.

#include <string>

#include "dialog/error_mode.h"

namespace tarvenish {

struct FrmjustaccountControls;
struct SharedState;

// True when the grid totals agree with the pair's ledger totals as the confirm checks them: to 15 significant
// digits and in the masks they are written with.
[[nodiscard]] bool totalsAgree(const SharedState& state);

// LabelDiff := message 00035 with the ledger totals less the grid totals (quantity in its mask, money with
// two decimals), marked until the totals agree. A window without the label is left alone.
void refreshDifferenceLine(FrmjustaccountControls& controls, const SharedState& state, ErrorMode mode);

// Message 00036 filled with the ledger totals, the grid totals and the difference. Throws what messageText
// throws.
[[nodiscard]] std::string totalsGapText(const SharedState& state);

}  // namespace tarvenish
