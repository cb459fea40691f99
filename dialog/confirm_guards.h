#pragma once
// What the dialog asks before it writes figures it did not take from the user as typed: an average price that
// is not a number, and added lines that are empty, negative or larger than their pair's own totals.

#include <optional>
#include <string_view>

namespace tarvenish {

class KVGrid;
struct FrmjustaccountControls;
struct SharedState;

// The message that refuses TxtPrice as an average price (not a number, too large, negative), or nullopt when
// it holds one. Throws when the box cannot be read.
[[nodiscard]] std::optional<int> averagePriceRefusal(const FrmjustaccountControls& controls);

// The message that refuses a figure text: 0 for a storable one or the empty text, message 00039 for a number
// too large to store, 00031 for any other text.
[[nodiscard]] int figureRefusal(std::string_view text);

// When added lines are empty, negative or larger than the pair's ledger totals, asks the user with their
// figures (message 00040 and one line each) whether to write them. True when there are none or the user said
// OK. Throws when the grid or a message cannot be read, or the box not shown.
[[nodiscard]] bool addedLinesConfirmed(const KVGrid& grid, const SharedState& state);

}  // namespace tarvenish
