#pragma once
// Whether inventory accounting has started and holds opening rows of specific-identification warehouses.

#include "ledger/sql/dialect.h"

namespace tarvenish {

class Connection;

// True when the start date is a valid date and such opening rows exist; false otherwise or when a step fails.
// In department mode it first brings IA_Subsidiary.cDepCode up to date from the warehouses. Never throws.
[[nodiscard]] bool accountingStarted(DialectChoice dialects, Connection& connection) noexcept;

}  // namespace tarvenish
