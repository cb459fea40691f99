#pragma once
// The issued-quantity pass: the temporary column RdRecords.isOutQuantity_s, holding for every stock-ledger
// line the quantity to take off its opening quantity, for the length of one run.

#include "component/run_report.h"
#include "ledger/db/connection.h"
#include "ledger/sql/statements.h"

namespace tarvenish::issued_quantity {

// Adds and fills isOutQuantity_s on `connection`, after dropping a FSumQuantity left over from an earlier
// run. A failing statement is recorded in `report` and the next one runs. Returns true when the figures were
// computed in this run (the select-into and the update both succeeded); false, FSumQuantity dropped, when a
// stop was requested (stopRequested()), which also cuts the statement in hand short. Never throws.
[[nodiscard]] bool Prepare(Connection& connection, Dialect dialect, RunReport& report) noexcept;

// Drops isOutQuantity_s on `connection`. Returns false, with the failure recorded in `report`, when the
// engine refuses; never throws.
bool Remove(Connection& connection, RunReport& report) noexcept;

}  // namespace tarvenish::issued_quantity
