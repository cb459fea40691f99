#include "reconcile/unsettled_pairs.h"

#include <optional>
#include <utility>

namespace tarvenish {

void UnsettledPairs::account(std::size_t held, bool lastCommitted, std::string_view message) {
    if (held >= m_pairs.size()) return;
    // Only a commit that made its batch durable leaves nothing held; otherwise the oldest were lost.
    if (held == 0 && lastCommitted) {
        settle(m_pairs.size());
    } else {
        lose(m_pairs.size() - held, message);
    }
}

void UnsettledPairs::settle(std::size_t pairs) {
    for (std::size_t i = 0; i < pairs; ++i) {
        UnsettledPair& pair = m_pairs[i];
        m_report.rowsDeleted += pair.rowsDeleted;
        m_report.rowsInserted += pair.rowsInserted;
        if (pair.confirmed) {
            const PairDetail& detail = *pair.confirmed;
            m_report.count(PairOutcome::Confirmed);
            m_report.pairDone(detail);
            m_check.expect(std::move(pair.code), std::move(pair.invCode), detail.quantityAfter.value_or(0.0),
                           detail.moneyAfter.value_or(0.0));
            continue;
        }
        m_report.count(PairOutcome::Regenerated);
        m_report.pairDone({pair.code, pair.invCode, PairOutcome::Regenerated, pair.rowsDeleted,
                           pair.rowsInserted, pair.quantity, pair.money, pair.quantity, pair.money,
                           std::nullopt});
        m_check.expect(std::move(pair.code), std::move(pair.invCode), pair.quantity, pair.money);
    }
    m_pairs.erase(m_pairs.begin(), m_pairs.begin() + static_cast<std::ptrdiff_t>(pairs));
}

void UnsettledPairs::lose(std::size_t pairs, std::string_view message) {
    for (std::size_t i = 0; i < pairs; ++i) {
        const UnsettledPair& pair = m_pairs[i];
        const bool confirmed = pair.confirmed.has_value();
        m_report.recordFailure(
            {(confirmed ? "confirm pair " : "regenerate pair ") + pair.label(), "COMMIT",
             std::string(confirmed ? "the confirmed" : "the rebuilt") +
                 " rows were committed with other pairs and lost with them: " + std::string(message)});
        m_report.count(PairOutcome::Failed);
        // The batch went with its rows: the pair keeps those it had, and the totals it was compared by.
        if (confirmed) {
            PairDetail detail = *pair.confirmed;
            detail.outcome = PairOutcome::Failed;
            detail.rowsAfter = detail.rowsBefore;
            detail.quantityAfter = detail.quantityBefore;
            detail.moneyAfter = detail.moneyBefore;
            detail.balancing.reset();
            m_report.pairDone(detail);
            continue;
        }
        m_report.pairDone({pair.code, pair.invCode, PairOutcome::Failed, pair.rowsDeleted, pair.rowsDeleted,
                           pair.quantity, pair.money, pair.quantity, pair.money, std::nullopt});
    }
    m_pairs.erase(m_pairs.begin(), m_pairs.begin() + static_cast<std::ptrdiff_t>(pairs));
}

}  // namespace tarvenish
