#pragma once
// The confirm and cancel buttons of the adjustment dialog: bring the grid up to date with the options, then
// rewrite the pair's opening rows from the grid, or stop the run.

#include <cstdint>

namespace tarvenish {

class DialogWindow;
class KVGrid;
struct RunReport;
struct SharedState;

// The click of cmdOkCancel. Every index first applies the ticked options; 0 then checks that every figure is
// a storable number and the totals agree (to 15 significant digits and in their masks), rewrites the pair's
// rows and closes the window, 1 sets StopRun and closes it. A refused figure, failed totals check or failed
// rewrite shows its message and leaves the window open. `commitFailed` is set by a failed rewrite and cleared
// by one that succeeds, before the window closes; `report` counts the pair confirmed and its rows, or records
// the rewrite's failure. Never throws.
void handleOkCancel(DialogWindow& window, std::int16_t index, bool& commitFailed, RunReport& report) noexcept;

// True when the two figures agree to 15 significant digits.
[[nodiscard]] bool sameTo15Digits(double a, double b);

// Deletes the pair's opening rows and writes one row per data line of `grid`, as one transaction on
// SharedState's Conn (opened first when closed). Returns the rows deleted and written. Throws on any failure,
// with the pair's rows as they were.
struct RewriteCounts {
    long deleted = 0;
    long written = 0;
};
// With a `journalRun` the pair's rows before and after go into that run's journal in the same transaction.
RewriteCounts rewritePairRows(const KVGrid& grid, SharedState& state, long journalRun = 0);

}  // namespace tarvenish
