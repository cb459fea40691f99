#include "reconcile/pair_row.h"

#include <optional>

#include "reconcile/totals_match.h"

namespace tarvenish {

namespace {

// The names and the stock ledger's side of `row`, which every pair's details carry.
PairDetail describedDetail(const PairRow& row, PairOutcome outcome) {
    PairDetail detail;
    detail.code = row.code;
    detail.invCode = row.invCode;
    detail.outcome = outcome;
    detail.name = row.name;
    detail.invName = row.invName;
    detail.stockQuantity = totalFigure(row.stockQuantity);
    detail.stockMoney = totalFigure(row.stockMoney);
    detail.quantityBefore = totalFigure(row.quantity);
    detail.moneyBefore = totalFigure(row.money);
    return detail;
}

}  // namespace

PairDetail keptPairDetail(const PairRow& row, PairOutcome outcome) {
    PairDetail detail = describedDetail(row, outcome);
    detail.quantityAfter = detail.quantityBefore;
    detail.moneyAfter = detail.moneyBefore;
    return detail;
}

PairDetail confirmedPairDetail(const PairRow& row, const ConfirmedPair& confirmed) {
    PairDetail detail = describedDetail(row, PairOutcome::Confirmed);
    detail.rowsBefore = confirmed.rowsDeleted;
    detail.rowsAfter = confirmed.rowsInserted;
    detail.quantityAfter = confirmed.quantity;
    detail.moneyAfter = confirmed.money;
    detail.balancing = confirmed.balancing;
    return detail;
}

PairRow pairRowOf(const Recordset& summary) {
    return PairRow{summary.field(0).isNull(),
                   summary.field(2).isNull(),
                   summary.field(0).displayText(),
                   summary.field(1).displayText(),
                   summary.field(2).displayText(),
                   summary.field(3).displayText(),
                   summary.field(4).displayText(),
                   summary.field(5),
                   summary.field(6)};
}

}  // namespace tarvenish
