#include "reconcile/pair_row.h"

#include <optional>

#include "reconcile/totals_match.h"

namespace tarvenish {

PairDetail keptPairDetail(const PairRow& row, PairOutcome outcome) {
    const std::optional<double> quantity = totalFigure(row.quantity);
    const std::optional<double> money = totalFigure(row.money);
    return {row.code, row.invCode, outcome,  std::nullopt, std::nullopt,
            quantity, money,       quantity, money,        std::nullopt};
}

PairDetail confirmedPairDetail(const PairRow& row, const SharedState& state, const RunReport& report) {
    PairDetail detail{row.code,
                      row.invCode,
                      PairOutcome::Confirmed,
                      std::nullopt,
                      std::nullopt,
                      totalFigure(row.quantity),
                      totalFigure(row.money),
                      state.SumQuantity,
                      state.SumMoney,
                      std::nullopt};
    if (report.confirmed) {
        detail.rowsBefore = report.confirmed->rowsDeleted;
        detail.rowsAfter = report.confirmed->rowsInserted;
        detail.balancing = report.confirmed->balancing;
    }
    return detail;
}

}  // namespace tarvenish
