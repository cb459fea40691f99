#include "reconcile/work_check.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <tuple>

#include "base/number_format.h"
#include "ledger/db/error.h"
#include "ledger/db/recordset.h"
#include "reconcile/totals_match.h"

namespace tarvenish {
namespace {

// A figure as the database's str() prints it with `digits` decimals, read back.
double rounded(double value, int digits) {
    double back = 0.0;
    // str() fills an overflowing field with asterisks: such a figure stays as it was.
    return parseNumber(strFixed(value, 40, digits), back) ? back : value;
}

// A total of the check: a Null sum (no row with a figure) is 0; a text that is no number never agrees.
double foundFigure(const Value& total) {
    if (total.isNull() || total.isEmpty()) return 0.0;
    return totalFigure(total).value_or(std::numeric_limits<double>::quiet_NaN());
}

std::string quantityMask(int digits) {
    return digits > 0 ? "0." + std::string(static_cast<std::size_t>(digits), '0') : "0";
}

}  // namespace

void WorkCheck::expect(std::string code, std::string invCode, double quantity, double money) {
    const std::size_t order = m_expected.size();
    m_expected.push_back({std::move(code), std::move(invCode), Figures{quantity, money}, Figures{}, order});
}

void WorkCheck::sortExpected() {
    // An unstable sort needs no second copy of the pairs; the order keeps the later expectation last.
    std::sort(m_expected.begin(), m_expected.end(), [](const Pair& a, const Pair& b) {
        return std::tie(a.code, a.invCode, a.order) < std::tie(b.code, b.invCode, b.order);
    });
    const auto samePair = [](const Pair& a, const Pair& b) {
        return a.code == b.code && a.invCode == b.invCode;
    };
    // Of equal neighbours keep the last alone.
    auto out = m_expected.begin();
    for (auto at = m_expected.begin(); at != m_expected.end(); ++at) {
        const auto next = std::next(at);
        if (next != m_expected.end() && samePair(*next, *at)) continue;
        if (out != at) *out = std::move(*at);
        ++out;
    }
    m_expected.erase(out, m_expected.end());
}

bool WorkCheck::verify(const std::string& connectionString, Dialect dialect, PairMode mode,
                       int quantityDigits, RunReport& report) noexcept {
    Verification& verification = report.verification;
    Statement statement;
    try {
        statement = sql::openingTotalsCheck(dialect, mode, quantityDigits);
        sortExpected();
        Recordset totals;
        openReadOnlyQuery(totals, statement, connectionString, CursorType::Static);
        std::vector<bool> seen(m_expected.size(), false);
        for (; !totals.eof(); totals.moveNext()) {
            // A Null code belongs to no pair, and must not be taken for the code ''.
            if (totals.field(0).isNull() || totals.field(1).isNull()) continue;
            const std::string code = totals.field(0).displayText();
            const std::string invCode = totals.field(1).displayText();
            const auto at = std::lower_bound(m_expected.begin(), m_expected.end(), std::tie(code, invCode),
                                             [](const Pair& pair, const auto& wanted) {
                                                 return std::tie(pair.code, pair.invCode) < wanted;
                                             });
            if (at == m_expected.end() || at->code != code || at->invCode != invCode) continue;
            // A grouped query names a pair once; were it named again, the first row counts, as before.
            const auto index = static_cast<std::size_t>(at - m_expected.begin());
            if (seen[index]) continue;
            seen[index] = true;
            at->found = Figures{foundFigure(totals.field(2)), foundFigure(totals.field(3))};
        }
        totals.close();

        verification = Verification{};
        verification.ran = true;
        const std::string mask = quantityMask(quantityDigits);
        for (const Pair& pair : m_expected) {
            ++verification.pairsChecked;
            const Figures& expected = pair.expected;
            // A pair without any opening row left totals 0.
            const Figures& actual = pair.found;
            VerificationDifference difference{pair.code,
                                              pair.invCode,
                                              rounded(expected.quantity, quantityDigits),
                                              rounded(expected.money, 2),
                                              rounded(actual.quantity, quantityDigits),
                                              rounded(actual.money, 2)};
            if (difference.expectedQuantity == difference.foundQuantity &&
                difference.expectedMoney == difference.foundMoney)
                continue;
            ++verification.pairsDiffering;
            report.recordFailure({"check pair " + pair.code + "/" + pair.invCode, statement.text(),
                                  "its opening rows total " + formatNumber(difference.foundQuantity, mask) +
                                      " / " + formatNumber(difference.foundMoney, "0.00") +
                                      " where the run left " +
                                      formatNumber(difference.expectedQuantity, mask) + " / " +
                                      formatNumber(difference.expectedMoney, "0.00")});
            verification.differences.push_back(std::move(difference));
        }
        return verification.pairsDiffering == 0;
    } catch (const std::exception& error) {
        report.recordFailure(
            {"check the rebuilt and confirmed pairs", statement.text(), failureMessage(error)});
    } catch (...) {
        report.recordFailure({"check the rebuilt and confirmed pairs", statement.text(), "unknown error"});
    }
    verification.ran = false;
    return false;
}

}  // namespace tarvenish
