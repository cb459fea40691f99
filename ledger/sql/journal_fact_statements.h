#pragma once
// The run journal's facts for the report: one row per run with the settings that shaped it and its outcome
// (tarvenish_run_facts), and one row per pair the run did not rebuild on its own (tarvenish_pair_facts) with
// its names, its opening totals, the stock ledger's remaining totals and what became of it. Figures are kept
// as the shortest text that reads back as the same number, so that every dialect stores them exactly.

#include <string>
#include <string_view>

#include "ledger/sql/statements.h"

namespace tarvenish {

// The settings a run was made with, written as it starts.
struct JournalRunSettings {
    int quantityDigits = 0;
    int priceDigits = 0;
    std::string policy;   // skip | cancel | balance | average; empty when a person answers the dialogs
    std::string user;     // who ran it, where the environment says; empty otherwise
    std::string machine;  // where it ran, where the environment says; empty otherwise
};

// How a run ended and what it left, written at its end.
struct JournalRunOutcome {
    std::string outcome;  // complete | cancelled | interrupted | failed | left
    long pairsTotal = 0;
    long pairsLeft = 0;
    long pairsFailed = 0;
    long pairsNotReached = 0;
};

// One pair the run did not rebuild on its own; an empty figure is one the run could not read.
struct JournalPairFact {
    std::string code;
    std::string name;
    std::string invCode;
    std::string invName;
    // confirmed | balanced | averaged | left | failed | cancelled | not_reached
    std::string action;
    std::string rowsBefore;
    std::string rowsAfter;
    std::string quantityBefore;
    std::string moneyBefore;
    std::string stockQuantity;
    std::string stockMoney;
    std::string quantityAfter;
    std::string moneyAfter;
    std::string balancingVoucher;
    std::string balancingQuantity;
    std::string balancingMoney;
};

namespace sql {

inline constexpr std::string_view kRunFactsTable = "tarvenish_run_facts";
inline constexpr std::string_view kPairFactsTable = "tarvenish_pair_facts";

// Queries without rows that open only while the tables exist.
[[nodiscard]] Statement runFactsProbe();
[[nodiscard]] Statement pairFactsProbe();
[[nodiscard]] Statement createRunFacts(Dialect dialect);
[[nodiscard]] Statement createPairFacts(Dialect dialect);
// The run's settings, as it starts.
[[nodiscard]] Statement runFactsStart(long runId, const JournalRunSettings& settings);
// The run's outcome, as it ends.
[[nodiscard]] Statement runFactsFinish(long runId, const JournalRunOutcome& outcome);
// One pair's facts.
[[nodiscard]] Statement pairFactInsert(long runId, const JournalPairFact& fact);
// One run's facts: quantity_digits, price_digits, policy, user_name, machine, outcome, pairs_total,
// pairs_left, pairs_failed, pairs_not_reached; no row for a run journaled before they were kept.
[[nodiscard]] Statement runFacts(long runId);
// Every run's outcome and whether it left pairs: run_id, outcome, pairs_left.
[[nodiscard]] Statement runOutcomes();
// One run's pair facts in code order, the columns in JournalPairFact's order.
[[nodiscard]] Statement pairFacts(long runId);
// How many journal rows (images) run `runId` holds: one value.
[[nodiscard]] Statement journalImageCount(long runId);
// One run's journaled images summed per pair: pair_code, inv_code, action, image, rows, quantity, money.
[[nodiscard]] Statement journalImageTotals(long runId);

}  // namespace sql
}  // namespace tarvenish
