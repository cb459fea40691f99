#pragma once
// The adjustment grid's columns: first one opening row in the table's column order
// (host::kOpeningRowColumns), then the three adjusted figures that the user edits and the commit writes.

#include "ledger/sql/host_tables.h"

namespace tarvenish::grid {

// The grid column of the opening-row column spelled `name`.
[[nodiscard]] constexpr long openingRowCell(std::string_view name) noexcept {
    return static_cast<long>(host::openingRowColumn(name));
}

inline constexpr long kHeaderRow = 0;
inline constexpr long kVoucherCode = openingRowCell("cVouCode");
inline constexpr long kLoadedQuantity = openingRowCell("iainquantity");
inline constexpr long kLoadedUnitCost = openingRowCell("iincost");
inline constexpr long kLoadedMoney = openingRowCell("iainprice");
inline constexpr long kQuantity = static_cast<long>(host::kOpeningRowColumns.size());
inline constexpr long kUnitPrice = kQuantity + 1;
inline constexpr long kMoney = kQuantity + 2;
inline constexpr long kColumnCount = kQuantity + 3;

inline constexpr long kVoucherCodeWidth = 1000;
inline constexpr long kFigureWidth = 1200;
inline constexpr short kCentred = 4;

}  // namespace tarvenish::grid
