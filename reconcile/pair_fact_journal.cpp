#include "reconcile/pair_fact_journal.h"

#include <optional>
#include <stdexcept>
#include <utility>

#include "base/number_format.h"
#include "component/pair_details.h"
#include "component/run_journal.h"
#include "ledger/db/connection.h"
#include "ledger/db/error.h"
#include "ledger/db/transaction.h"
#include "reconcile/totals_match.h"

namespace tarvenish {

namespace {

std::string figureText(const std::optional<double>& value) {
    return value ? shortestText(*value) : std::string();
}

std::string countText(const std::optional<long>& value) {
    return value ? std::to_string(*value) : std::string();
}

}  // namespace

PairFactJournal::PairFactJournal(RunReport& report, Connection& connection, long runId, std::string policy,
                                 const std::string& blocked)
    : m_report(report),
      m_connection(connection),
      m_runId(runId),
      m_policy(std::move(policy)),
      m_previous(report.onPairDone),
      m_blocked(blocked) {
    m_report.onPairDone = [this](const PairDetail& detail) {
        // A rebuilt pair's rows before and after are its journal images, and it agreed with the stock ledger.
        if (detail.outcome != PairOutcome::Regenerated) record(detail);
        if (m_previous) m_previous(detail);
    };
}

void PairFactJournal::record(const PairDetail& detail) noexcept {
    try {
        keep({detail.code, detail.name, detail.invCode, detail.invName,
              std::string(pairActionName(detail.outcome, m_policy)), countText(detail.rowsBefore),
              countText(detail.rowsAfter), figureText(detail.quantityBefore), figureText(detail.moneyBefore),
              figureText(detail.stockQuantity), figureText(detail.stockMoney),
              figureText(detail.quantityAfter), figureText(detail.moneyAfter),
              detail.balancing ? detail.balancing->voucherCode : "",
              detail.balancing ? shortestText(detail.balancing->quantity) : "",
              detail.balancing ? shortestText(detail.balancing->money) : ""});
    } catch (...) {
        ++m_lost;
    }
}

PairFactJournal::~PairFactJournal() {
    m_report.onPairDone = std::move(m_previous);
}

void PairFactJournal::recordKept(const PairRow& row, std::string_view action) noexcept {
    try {
        const std::string quantity = figureText(totalFigure(row.quantity));
        const std::string money = figureText(totalFigure(row.money));
        keep({row.code, row.name, row.invCode, row.invName, std::string(action), "", "", quantity, money,
              figureText(totalFigure(row.stockQuantity)), figureText(totalFigure(row.stockMoney)), quantity,
              money, "", "", ""});
    } catch (...) {
        ++m_lost;
    }
}

void PairFactJournal::keep(JournalPairFact fact) noexcept {
    try {
        m_pending.push_back(std::move(fact));
    } catch (...) {
        ++m_lost;
    }
}

void PairFactJournal::flush() noexcept {
    if (m_pending.empty()) return;
    try {
        if (!m_blocked.empty()) throw std::runtime_error(m_blocked);
        Transaction transaction(m_connection);
        for (const JournalPairFact& fact : m_pending) journalPairFact(m_connection, m_runId, fact);
        transaction.commit();
    } catch (const DbError& error) {
        if (m_firstFailure.empty()) {
            m_firstFailure = failureMessage(error);
            m_firstStatement = error.statement();
        }
        m_lost += static_cast<long>(m_pending.size());
    } catch (const std::exception& error) {
        if (m_firstFailure.empty()) m_firstFailure = failureMessage(error);
        m_lost += static_cast<long>(m_pending.size());
    } catch (...) {
        m_lost += static_cast<long>(m_pending.size());
    }
    m_pending.clear();
}

}  // namespace tarvenish
