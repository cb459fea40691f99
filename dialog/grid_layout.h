#pragma once
// The adjustment grid's columns: 0 to 68 one opening row in the writer's field order, 69 to 71 the adjusted
// figures that the user edits and the commit writes.

namespace tarvenish::grid {

inline constexpr long kHeaderRow = 0;
inline constexpr long kVoucherCode = 3;
inline constexpr long kLoadedQuantity = 35;
inline constexpr long kLoadedUnitCost = 37;
inline constexpr long kLoadedMoney = 39;
inline constexpr long kQuantity = 69;
inline constexpr long kUnitPrice = 70;
inline constexpr long kMoney = 71;
inline constexpr long kColumnCount = 72;

inline constexpr long kVoucherCodeWidth = 1000;
inline constexpr long kFigureWidth = 1200;
inline constexpr short kCentred = 4;

}  // namespace tarvenish::grid
