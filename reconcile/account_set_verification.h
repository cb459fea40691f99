#pragma once
// The accountant's read-only proof: every specific-identification pair's opening totals against its stock
// ledger's remaining totals, compared as the run compares them, without altering anything.

#include <cstdint>
#include <string>
#include <vector>

#include "ledger/db/connection.h"
#include "ledger/db/value.h"
#include "ledger/sql/dialect.h"

namespace tarvenish {

// A pair whose opening totals and stock totals differ, both figures as the database printed them.
struct PairDifference {
    std::string code;     // warehouse or department code
    std::string invCode;  // item code
    Value openingQuantity;
    Value openingMoney;
    Value stockQuantity;
    Value stockMoney;
    // Confirmed in the dialog and still exactly as that confirm wrote it: it differs on purpose.
    bool adjusted = false;
    // The stock ledger holds booked opening receipts of the pair and the opening rows hold none: the run
    // never visits such a pair, so its rows can only come back by hand (or by undo). The opening figures
    // are Null.
    bool withoutOpeningRows = false;
    std::string name{};     // the warehouse's or department's name; empty unless asked for
    std::string invName{};  // the item's name; empty unless asked for
};

struct AccountSetVerification {
    int pairsChecked = 0;
    // The decimals quantities were compared at (iStrsQuanDecDgt).
    int quantityDigits = 0;
    std::vector<PairDifference> differences;

    // The differing pairs that nobody adjusted on purpose, those without opening rows included.
    [[nodiscard]] int unexplained() const noexcept;
    // Of those, the pairs that have booked opening receipts and no opening row.
    [[nodiscard]] int withoutOpeningRows() const noexcept;
};

// Whether verify reads the names of the differing pairs' codes as well (two more queries).
enum class PairNames { Without, With };

// Compares every pair of the account set on `connection`, in the dialect `dialects` gives the pairs. Sends
// only queries; throws DbError or ConversionError naming the statement when one fails.
[[nodiscard]] AccountSetVerification verifyAccountSet(const ConnectionPtr& connection, DialectChoice dialects,
                                                      PairNames names = PairNames::Without);

}  // namespace tarvenish
