#pragma once
// The accountant's read-only proof: every specific-identification pair's opening totals against its stock
// ledger's remaining totals, compared as the run compares them, without altering anything.

#include <cstdint>
#include <string>
#include <vector>

#include "ledger/connection.h"
#include "ledger/value.h"

namespace tarvenish {

// A pair whose opening totals and stock totals differ, both figures as the database printed them.
struct LedgerDifference {
    std::string code;     // warehouse or department code
    std::string invCode;  // item code
    Value openingQuantity;
    Value openingMoney;
    Value stockQuantity;
    Value stockMoney;
    // Confirmed in the dialog and still exactly as that confirm wrote it: it differs on purpose.
    bool adjusted = false;
};

struct LedgerVerification {
    int pairsChecked = 0;
    std::vector<LedgerDifference> differences;

    // The differing pairs that nobody adjusted on purpose.
    [[nodiscard]] int unexplained() const noexcept;
};

// Compares every pair of the account set on `connection` (the host's dialect flag `accSql`). Sends only
// queries; throws DbError or ConversionError naming the statement when one fails.
[[nodiscard]] LedgerVerification verifyLedger(const ConnectionPtr& connection, std::int16_t accSql);

}  // namespace tarvenish
