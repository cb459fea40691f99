#pragma once
// Realistic demo and benchmark account sets: warehouses of several valuation styles, departments, items,
// booked and unbooked opening receipts, later issue lines pointing back at receipt lines, sales documents and
// settings, with a chosen share of pairs whose opening rows deliberately disagree with the stock ledger.

#include <string>

#include "ledger/sql/statements.h"

namespace tarvenish {

// Bounds that keep a demo within what a disk and a test run can hold (a million lines is about 300 MB).
inline constexpr int kMostDemoPairs = 2'000'000;
inline constexpr int kMostDemoLinesPerPair = 1'000;
inline constexpr long kMostDemoReceiptLines = 10'000'000;
inline constexpr int kMostDemoWarehousesPerItem = 1'000;

struct DemoOptions {
    int pairs = 24;
    int linesPerPair = 3;      // booked opening receipt lines per pair
    int mismatchPercent = 25;  // share of pairs whose opening totals differ
    PairMode mode = PairMode::Warehouse;
    // Warehouse mode only: this many specific-identification warehouses, each stocking every item (pairs are
    // spread over them, item by item); 0 for the usual three.
    int warehousesPerItem = 0;
    unsigned seed = 1;
    bool force = false;  // replace an existing file
};

struct DemoSummary {
    int pairs = 0;
    int mismatchedPairs = 0;
    long receiptLines = 0;  // booked opening receipt lines of the pairs
    long stockLines = 0;    // every RdRecords line
    long openingRows = 0;   // IA_Subsidiary opening rows before the rebuild
};

// Creates a new account set at `path` (a SQLite file). Throws std::runtime_error when an option is out of
// its bounds, when the file exists and `force` is false, when the path is anything but a file (a folder is
// never removed), or when anything fails (the half-written file is removed).
DemoSummary createDemoAccountSet(const std::string& path, const DemoOptions& options);

}  // namespace tarvenish
