#pragma once
// One row of the pair summary as the run reads it, the key a pair is known by, and the details of its outcome
// that the run hands on.

#include <string>
#include <utility>

#include "component/run_report.h"
#include "ledger/db/recordset.h"
#include "ledger/db/value.h"

namespace tarvenish {

// A pair's code (warehouse or department) and item code.
using PairKey = std::pair<std::string, std::string>;

struct PairRow {
    // A Null code or item code, which no pair has: such rows are not the pair of the code ''.
    bool nullCode = false;
    bool nullInvCode = false;
    std::string code;
    std::string name;
    std::string invCode;
    std::string invName;
    std::string invStd;
    Value quantity;
    Value money;
    // The stock ledger's remaining totals, once the run has read them (Null before, or when unreadable).
    Value stockQuantity{};
    Value stockMoney{};

    [[nodiscard]] std::string label() const { return code + "/" + invCode; }
};

// The pair of the summary's current row: code, name, item code, item name, specification, quantity, money.
[[nodiscard]] PairRow pairRowOf(const Recordset& summary);

// The details of a pair that was not rebuilt or confirmed: it keeps the totals it was compared by.
[[nodiscard]] PairDetail keptPairDetail(const PairRow& row, PairOutcome outcome);
// The details of a pair the dialog confirmed, with what its commit wrote.
[[nodiscard]] PairDetail confirmedPairDetail(const PairRow& row, const ConfirmedPair& confirmed);

}  // namespace tarvenish
