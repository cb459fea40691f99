#pragma once
// The batch run: the issued-quantity pass, then every pair in code order, rebuilt when its totals agree and
// handed to the adjustment dialog when they differ.

#include <cstdint>

#include "ledger/connection.h"

namespace tarvenish {

// Returns false when the user cancelled in the dialog, true otherwise. Never throws: a failing step is
// skipped, recorded in runReport() and the run goes on.
[[nodiscard]] bool JustAccountRun(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) noexcept;

}  // namespace tarvenish
