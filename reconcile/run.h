#pragma once
// The run: the issued-quantity pass, then every pair in code order, rebuilt when its totals agree and
// handed to the adjustment dialog when they differ.

#include "ledger/db/connection.h"
#include "ledger/sql/dialect.h"

namespace tarvenish {

struct RunContext;

// Returns false when the user cancelled in the dialog, a stop was requested, a whole-run failure (or one no
// later pair can escape) stopped it, a pair failed, or its check of the rebuilt and confirmed pairs found a
// difference; true otherwise (pairs left by the dialog's close or a skip included). Never throws: a failing
// step is recorded in `context.report`, whose `stop` says why a run ended early; a pair whose totals differ
// goes to `context.presenter`. The run works on `hostConnection`, the connection the host gave.
[[nodiscard]] bool executeRun(RunContext& context, DialectChoice dialects,
                              const ConnectionPtr& hostConnection) noexcept;

}  // namespace tarvenish
