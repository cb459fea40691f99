#pragma once
// The rebuilt or confirmed pairs whose commits the host's connection still holds back in a batch: each counts
// as rebuilt or confirmed only once its batch is durable, and fails if the batch is lost.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "component/run_report.h"
#include "reconcile/pair_row.h"
#include "reconcile/work_check.h"

namespace tarvenish {

// A pair whose rebuild or confirm was committed on the host but is not yet durable.
struct UnsettledPair {
    std::string code;
    std::string invCode;
    // The totals the pair was compared by, which its new rows must hold when it was rebuilt.
    double quantity = 0.0;
    double money = 0.0;
    long rowsDeleted = 0;
    long rowsInserted = 0;
    // Set when the dialog confirmed the pair: its details as the confirm wrote them, whose totals after are
    // the grid's that its new rows must hold.
    std::optional<PairDetail> confirmed{};
    // The pair summary row the dialog was shown for, so that a confirm lost with its batch can be asked
    // again.
    std::optional<PairRow> dialogRow{};
    // Its place among the run's pairs, which the dialog shows when it is asked again.
    int pairNumber = 0;
    // The names of its warehouse (or department) and item, for its details.
    std::string name{};
    std::string invName{};

    [[nodiscard]] std::string label() const { return code + "/" + invCode; }
};

// A rebuilt pair that its batch lost, with what the batch was lost to.
struct LostPair {
    UnsettledPair pair;
    std::string message;
};

class UnsettledPairs final {
public:
    UnsettledPairs(RunReport& report, WorkCheck& check) : m_report(report), m_check(check) {}

    void add(UnsettledPair pair) { m_pairs.push_back(std::move(pair)); }
    // Brings the pairs in line with the `held` transactions the host still holds after a rebuild: when the
    // last commit made its batch durable they all count; otherwise the oldest were lost with `message` (they
    // wait in takeLost()).
    void account(std::size_t held, bool lastCommitted, std::string_view message);
    // Every pair held counts as rebuilt or confirmed (its batch is durable) and is expected by the run's
    // check.
    void settleAll() { settle(m_pairs.size()); }
    // Every pair held was lost with its batch (it waits in takeLost()).
    void loseAll(std::string_view message) { lose(m_pairs.size(), message); }

    // The pairs lost with their batch since the last call, which count as nothing yet: the run rebuilds or
    // asks each again on its own, then settles or fails it.
    [[nodiscard]] std::vector<LostPair> takeLost() { return std::exchange(m_lost, {}); }
    // A lost pair rebuilt again and durable at once: counts as rebuilt and is expected by the run's check.
    void settleRebuilt(UnsettledPair pair);
    // A lost pair not done again: fails with its batch's loss.
    void failLost(const LostPair& lost);
    // A lost rebuilt pair whose rebuild on its own failed too: fails with that failure, already recorded.
    void failRebuilt(const UnsettledPair& pair);

private:
    void settle(std::size_t pairs);
    void lose(std::size_t pairs, std::string_view message);

    RunReport& m_report;
    WorkCheck& m_check;
    // Oldest first, as the host committed them.
    std::vector<UnsettledPair> m_pairs;
    std::vector<LostPair> m_lost;
};

}  // namespace tarvenish
