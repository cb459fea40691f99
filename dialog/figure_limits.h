#pragma once
// Which figures the adjustment grid may hold and the commit may write: finite numbers small enough that a
// double still carries every cent of them.

#include <cmath>
#include <optional>
#include <string_view>

#include "base/number_format.h"

namespace tarvenish {

// The largest magnitude of a quantity, unit price or money: beyond 1e15 the cents are no longer exact.
inline constexpr double kLargestFigure = 1e15;

// True when `value` is finite and its magnitude at most kLargestFigure.
[[nodiscard]] inline bool isStorableFigure(double value) {
    return std::isfinite(value) && std::fabs(value) <= kLargestFigure;
}

// The figure that a whole text holds; nullopt when the text is not one number or not a storable figure.
[[nodiscard]] inline std::optional<double> storableFigure(std::string_view text) {
    double value = 0.0;
    if (!parseNumber(text, value) || !isStorableFigure(value)) return std::nullopt;
    return value;
}

}  // namespace tarvenish
