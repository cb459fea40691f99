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

PairDetail confirmedPairDetail(const PairRow& row, const ConfirmedPair& confirmed) {
    return {row.code,
            row.invCode,
            PairOutcome::Confirmed,
            confirmed.rowsDeleted,
            confirmed.rowsInserted,
            totalFigure(row.quantity),
            totalFigure(row.money),
            confirmed.quantity,
            confirmed.money,
            confirmed.balancing};
}

}  // namespace tarvenish
