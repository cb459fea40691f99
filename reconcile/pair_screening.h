#pragma once
// What the run must know before it rebuilds a pair without asking: the pairs whose rebuilt rows would not
// hold the totals they are compared by, and the opening rows that belong to no pair at all.

#include <set>
#include <string>

#include "component/run_report.h"
#include "ledger/sql/statements.h"
#include "reconcile/pair_row.h"

namespace tarvenish {

// The pairs with a booked opening receipt line whose isOutQuantity_s is Null, read in one query through a
// connection of `connectionString`; a Null code belongs to no pair and is left out. Throws DbError.
[[nodiscard]] std::set<PairKey> pairsWithoutIssuedQuantity(const std::string& connectionString,
                                                           PairMode mode);

// Department mode: records in `report` one failure per warehouse and item whose opening rows have no
// department (their warehouse has none), each counted a failed pair. Throws DbError, having recorded the
// groups read before.
void reportRowsWithoutDepartment(const std::string& connectionString, RunReport& report);

}  // namespace tarvenish
