#include "reconcile/unsettled_pairs.h"

#include <optional>
#include <utility>

namespace tarvenish {

namespace {

// A pair rebuilt from the stock ledger agreed with it: its totals are the stock ledger's too.
PairDetail rebuiltDetail(const UnsettledPair& pair, PairOutcome outcome, long rowsAfter) {
    PairDetail detail;
    detail.code = pair.code;
    detail.invCode = pair.invCode;
    detail.outcome = outcome;
    detail.rowsBefore = pair.rowsDeleted;
    detail.rowsAfter = rowsAfter;
    detail.quantityBefore = pair.quantity;
    detail.moneyBefore = pair.money;
    detail.quantityAfter = pair.quantity;
    detail.moneyAfter = pair.money;
    detail.name = pair.name;
    detail.invName = pair.invName;
    detail.stockQuantity = pair.quantity;
    detail.stockMoney = pair.money;
    return detail;
}

}  // namespace

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
        m_report.pairDone(rebuiltDetail(pair, PairOutcome::Regenerated, pair.rowsInserted));
        m_check.expect(std::move(pair.code), std::move(pair.invCode), pair.quantity, pair.money);
    }
    m_pairs.erase(m_pairs.begin(), m_pairs.begin() + static_cast<std::ptrdiff_t>(pairs));
}

void UnsettledPairs::lose(std::size_t pairs, std::string_view message) {
    for (std::size_t i = 0; i < pairs; ++i) m_lost.push_back({std::move(m_pairs[i]), std::string(message)});
    m_pairs.erase(m_pairs.begin(), m_pairs.begin() + static_cast<std::ptrdiff_t>(pairs));
}

void UnsettledPairs::settleRebuilt(UnsettledPair pair) {
    m_pairs.insert(m_pairs.begin(), std::move(pair));
    settle(1);
}

void UnsettledPairs::failLost(const LostPair& lost) {
    const UnsettledPair& pair = lost.pair;
    if (!pair.confirmed) {
        m_report.recordFailure(
            {"regenerate pair " + pair.label(), "COMMIT",
             "the rebuilt rows were committed with other pairs and lost with them: " + lost.message});
        failRebuilt(pair);
        return;
    }
    m_report.recordFailure(
        {"confirm pair " + pair.label(), "COMMIT",
         "the confirmed rows were committed with other pairs and lost with them: " + lost.message});
    m_report.count(PairOutcome::Failed);
    // The batch went with its rows: the pair keeps those it had, and the totals it was compared by.
    PairDetail detail = *pair.confirmed;
    detail.outcome = PairOutcome::Failed;
    detail.rowsAfter = detail.rowsBefore;
    detail.quantityAfter = detail.quantityBefore;
    detail.moneyAfter = detail.moneyBefore;
    detail.balancing.reset();
    m_report.pairDone(detail);
}

void UnsettledPairs::failRebuilt(const UnsettledPair& pair) {
    m_report.count(PairOutcome::Failed);
    // The pair keeps the rows it had, and the totals it was compared by.
    m_report.pairDone(rebuiltDetail(pair, PairOutcome::Failed, pair.rowsDeleted));
}

}  // namespace tarvenish
