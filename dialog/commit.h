#pragma once
// The confirm and cancel buttons of the adjustment dialog: bring the grid up to date with the options, then
// rewrite the pair's opening rows from the grid, or stop the run.

#include <cstdint>
#include <string>

#include "component/adjustment_presenter.h"
#include "ledger/sql/statements.h"

namespace tarvenish {

class DialogWindow;
class KVGrid;
struct RunReport;
struct SharedState;

// One showing of the dialog: how its pair is keyed and what its handlers have done with it so far.
struct DialogShowing {
    PairMode mode = PairMode::Warehouse;
    // The voucher code of the balancing line last added, empty when none.
    std::string balancingVoucher;
    // Final once the window has unloaded.
    DialogResult result;
};

// The click of cmdOkCancel. Every index first applies the ticked options; 0 then checks that every figure is
// a storable number and the totals agree (to 15 significant digits and in their masks), rewrites the pair's
// rows and closes the window, 1 sets StopRun and closes it. A refused figure, failed totals check or failed
// rewrite shows its message and leaves the window open. `showing`'s result becomes Confirmed with what the
// rewrite wrote, Failed with a rewrite's failure (also recorded in `report`), or cancelled. Never throws.
void handleOkCancel(DialogWindow& window, std::int16_t index, DialogShowing& showing,
                    RunReport& report) noexcept;

// True when the two figures agree to 15 significant digits.
[[nodiscard]] bool sameTo15Digits(double a, double b);

// Deletes the pair's opening rows and writes one row per data line of `grid`, as one transaction on
// SharedState's Conn (opened first when closed). Returns the rows deleted and written. Throws on any failure,
// with the pair's rows as they were.
struct RewriteCounts {
    long deleted = 0;
    long written = 0;
};
// The pair is keyed by `mode`. With a `runId` (the run's number in the journal) the pair's rows before and
// after go into that run's journal in the same transaction.
RewriteCounts rewritePairRows(const KVGrid& grid, SharedState& state, PairMode mode, long runId = 0);

}  // namespace tarvenish
