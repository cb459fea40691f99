#pragma once
// Whether sales documents are outstanding that forbid the rebuild.

#include "ledger/sql/dialect.h"

namespace tarvenish {

class Connection;

// True when none of the three document queries finds a row; false when one does or a query fails. Never
// throws.
[[nodiscard]] bool noDocumentsOutstanding(DialectChoice dialects, Connection& connection) noexcept;

}  // namespace tarvenish
