#pragma once
// The number masks of the adjustment dialog, built from the account's digit settings in SharedState.

#include <string>
#include <string_view>

namespace tarvenish {

struct SharedState;

// "0", followed by "." and QuantityDigits zeros when there are any ("0.000" for three decimals).
[[nodiscard]] std::string quantityMask(const SharedState& state);
// The same built from PriceDigits.
[[nodiscard]] std::string priceMask(const SharedState& state);
// What a typed quantity is shown with: "##0." and the zeros, or "##" alone without decimals.
[[nodiscard]] std::string quantityEditMask(const SharedState& state);
// The same built from PriceDigits.
[[nodiscard]] std::string priceEditMask(const SharedState& state);

// Money in the grid cells and balancing lines: always two decimals.
inline constexpr std::string_view kMoneyMask = "0.00";
// Money in the total label and after a cell edit; shows the same text as kMoneyMask.
inline constexpr std::string_view kMoneyLabelMask = "##0.00";

// A text put through a mask as the dialog does with TxtPrice: a number is rendered with `mask`, any other
// text (the empty one included) stays as it is.
[[nodiscard]] std::string formatText(std::string_view text, std::string_view mask);

}  // namespace tarvenish
