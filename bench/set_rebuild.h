#pragma once
// The floor that the rebuild is measured against: the whole warehouse-mode rebuild written by hand as a few
// set-based SQLite statements in one transaction, and a row-by-row comparison of two ledgers' opening rows.

#include <string>

namespace tarvenish::bench {

struct SetRebuildCounts {
    long pairsMatched = 0;  // pairs whose opening totals agree with the stock ledger
    long rowsDeleted = 0;
    long rowsInserted = 0;
};

// Rebuilds, in the account set at `path` (warehouse mode), the opening rows of every pair whose totals agree:
// the issued-quantity figures of all lines in one statement, the agreeing pairs in one, then one delete and
// one insert-select with the regeneration's column mapping. Pairs that differ are left as they are. Throws
// std::runtime_error naming the statement that failed; the transaction is then rolled back.
SetRebuildCounts setBasedRebuild(const std::string& path);

struct OpeningRowComparison {
    bool same = false;
    long rows = 0;           // opening rows of the left ledger
    std::string difference;  // the first difference found, empty when same
};

// Compares the opening rows (voucher type 34) of IA_Subsidiary in two account sets: every row and column,
// order-insensitive, numbers to 1e-9, texts and nulls exactly. Throws std::runtime_error when a file cannot
// be read.
[[nodiscard]] OpeningRowComparison compareOpeningRows(const std::string& left, const std::string& right);

}  // namespace tarvenish::bench
