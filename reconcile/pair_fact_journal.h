#pragma once
// The run's record of every pair it did not rebuild on its own (confirmed, balanced or averaged by a policy,
// left, failed, cancelled, never reached) for the journal's pair facts, so that the reconciliation report
// can be made from the journal at any time after the run. The facts are kept until the run writes them in
// a transaction of their own while no batch of commits is open: written into a batch, a fact would count
// as one of its commits and hide a batch that was lost, and be lost with it.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "component/run_report.h"
#include "ledger/sql/journal_fact_statements.h"
#include "reconcile/pair_row.h"

namespace tarvenish {

class Connection;

// Listens to the report's final pair outcomes for as long as it lives (the listener before it is called
// too, and is put back at the end) and keeps the pairs not rebuilt on their own until flush().
class PairFactJournal final {
public:
    // Nothing is written once `blocked` (the run's first failure no statement escapes) is not empty.
    PairFactJournal(RunReport& report, Connection& connection, long runId, std::string policy,
                    const std::string& blocked);
    ~PairFactJournal();
    PairFactJournal(const PairFactJournal&) = delete;
    PairFactJournal& operator=(const PairFactJournal&) = delete;

    // Records a pair the run never reached, or the one whose dialog cancelled it (`action` "not_reached" or
    // "cancelled"): it keeps its rows and the totals the summary gave.
    void recordKept(const PairRow& row, std::string_view action) noexcept;
    // Writes the facts kept so far on the connection in one transaction; call it only while no transaction
    // is open there. Facts that cannot be written are counted lost.
    void flush() noexcept;
    // How many facts wait for flush().
    [[nodiscard]] std::size_t pending() const noexcept { return m_pending.size(); }
    // The pairs whose facts could not be written, and the first reason.
    [[nodiscard]] long lost() const noexcept { return m_lost; }
    [[nodiscard]] const std::string& firstFailure() const noexcept { return m_firstFailure; }
    // The statement of that failure, empty where none failed.
    [[nodiscard]] const std::string& firstStatement() const noexcept { return m_firstStatement; }

private:
    void record(const PairDetail& detail) noexcept;
    void keep(JournalPairFact fact) noexcept;

    RunReport& m_report;
    Connection& m_connection;
    long m_runId;
    std::string m_policy;
    std::function<void(const PairDetail&)> m_previous;
    const std::string& m_blocked;
    std::vector<JournalPairFact> m_pending;
    long m_lost = 0;
    std::string m_firstFailure;
    std::string m_firstStatement;
};

}  // namespace tarvenish
