#pragma once
// Pieces that several statement builders share: number masks, date literals and the opening-row joins.
// Internal to the statement builders.

#include <string>
#include <string_view>

#include "base/automation_date.h"
#include "ledger/sql/statements.h"

namespace tarvenish::sql::detail {

// The desktop format mask: "##0", followed by "." and `digits` zeros when `digits` is above 0.
[[nodiscard]] std::string desktopMask(int digits);
// The decimals the server's str(x,20,n) takes: `digits` as decimal text, never below 0 so that both dialects
// print the same figure.
[[nodiscard]] std::string serverDigits(int digits);
// The opening rows' quantity and money totals as the pair summary prints them (quantity to `quantityDigits`
// decimals, money to 2), without a trailing blank.
[[nodiscard]] std::string openingTotals(Dialect dialect, int quantityDigits);
// A date in a statement: between # signs for the desktop engine, a quoted N'' text for the server.
[[nodiscard]] std::string dateLiteral(Dialect dialect, Date date);

// The where piece of every opening-row query of specific-identification warehouses.
inline constexpr std::string_view kOpeningWhere =
    " where IA_Subsidiary.cVouType=N'34' And Warehouse.cWhValueStyle=N'个别计价法'";

// Department mode joins opening rows to warehouses by department. A department with two
// specific-identification warehouses would then meet every opening row twice (double totals, a pair that
// never matches), so those statements join this derived table instead: one row per such department, aliased
// Warehouse so that the rest of the statement reads as before. Both the desktop engine and the server accept
// a select in the FROM clause with an alias:
//   (select distinct cDepCode,cWhValueStyle from Warehouse where cWhValueStyle=N'个别计价法') as Warehouse
inline constexpr std::string_view kSpecificDepartments =
    "(select distinct cDepCode,cWhValueStyle from Warehouse where cWhValueStyle=N'个别计价法') as Warehouse";

}  // namespace tarvenish::sql::detail
