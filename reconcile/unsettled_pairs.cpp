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
        m_report.count(PairOutcome::Regenerated);
        m_report.rowsDeleted += pair.rowsDeleted;
        m_report.rowsInserted += pair.rowsInserted;
        m_report.pairDone({pair.code, pair.invCode, PairOutcome::Regenerated, pair.rowsDeleted,
                           pair.rowsInserted, pair.quantity, pair.money, pair.quantity, pair.money,
                           std::nullopt});
        m_check.expect(std::move(pair.code), std::move(pair.invCode), pair.quantity, pair.money);
    }
    m_pairs.erase(m_pairs.begin(), m_pairs.begin() + static_cast<std::ptrdiff_t>(pairs));
}

void UnsettledPairs::lose(std::size_t pairs, std::string_view message) {
    for (std::size_t i = 0; i < pairs; ++i) {
        m_report.recordFailure(
            {"regenerate pair " + m_pairs[i].label(), "COMMIT",
             "the rebuilt rows were committed with other pairs and lost with them: " + std::string(message)});
        m_report.count(PairOutcome::Failed);
        // The batch went with its rows: the pair keeps those it had.
        const UnsettledPair& pair = m_pairs[i];
        m_report.pairDone({pair.code, pair.invCode, PairOutcome::Failed, pair.rowsDeleted, pair.rowsDeleted,
                           pair.quantity, pair.money, pair.quantity, pair.money, std::nullopt});
    }
    m_pairs.erase(m_pairs.begin(), m_pairs.begin() + static_cast<std::ptrdiff_t>(pairs));
}

}  // namespace tarvenish
