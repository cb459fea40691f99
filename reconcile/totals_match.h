#pragma once
// Whether a pair's inventory-accounting opening totals equal the stock ledger's remaining opening totals.

#include <optional>

#include "ledger/db/value.h"

namespace tarvenish {

// The number a total's text stands for: an empty text is 0, a number text its value; nullopt for a Null or a
// text that is not a number, so that such a total can never be taken as agreeing.
[[nodiscard]] std::optional<double> totalFigure(const Value& total);

// True only when the stock totals query gave a row and both pairs of figures are readable and exactly equal
// (each side is already rounded by the database to the same decimals).
[[nodiscard]] bool totalsMatch(const Value& stockQuantity, const Value& stockMoney, long stockRowCount,
                               const Value& pairQuantity, const Value& pairMoney);

}  // namespace tarvenish
