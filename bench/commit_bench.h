#pragma once
// The dialog's confirm on a ledger of a given size: one ten-line pair, the rest of IA_Subsidiary filled with
// the opening rows of other pairs.

#include <string>
#include <vector>

namespace tarvenish::bench {

// Creates at `path` an account set with one pair of ten opening receipt lines and IA_Subsidiary grown to
// `ledgerRows` rows by opening rows of other pairs. Throws std::runtime_error on any failure.
void createCommitAccountSet(const std::string& path, long ledgerRows);

struct CommitTimes {
    std::vector<double> milliseconds;  // one per measured confirm
    long ledgerRows = 0;               // rows of IA_Subsidiary after the confirms
};

// Loads the pair's dialog on a headless window `confirms` times (after one unmeasured confirm) and presses
// OK; times each press: totals check, delete, append of the ten rows, commit. Throws std::runtime_error when
// a confirm does not rewrite exactly the pair's ten rows.
[[nodiscard]] CommitTimes timeConfirms(const std::string& path, int confirms);

}  // namespace tarvenish::bench
