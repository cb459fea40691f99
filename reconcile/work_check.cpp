#include "reconcile/work_check.h"

#include <cmath>
#include <exception>
#include <limits>

#include "base/number_format.h"
#include "ledger/db_error.h"
#include "ledger/recordset.h"
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
    m_expected.insert_or_assign({std::move(code), std::move(invCode)}, Figures{quantity, money});
}

bool WorkCheck::verify(const std::string& connectionString, Dialect dialect, PairMode mode,
                       int quantityDigits, RunReport& report) noexcept {
    Verification& verification = report.verification;
    std::string statement;
    try {
        statement = sql::openingTotalsCheck(dialect, mode, quantityDigits);
        Recordset totals;
        openReadOnlyQuery(totals, statement, connectionString, CursorType::Static);
        std::map<std::pair<std::string, std::string>, Figures> found;
        for (; !totals.eof(); totals.moveNext()) {
            // A Null code belongs to no pair, and must not be taken for the code ''.
            if (totals.field(0).isNull() || totals.field(1).isNull()) continue;
            auto key = std::make_pair(totals.field(0).displayText(), totals.field(1).displayText());
            if (!m_expected.contains(key)) continue;
            found.emplace(std::move(key),
                          Figures{foundFigure(totals.field(2)), foundFigure(totals.field(3))});
        }
        totals.close();

        verification = Verification{};
        verification.ran = true;
        const std::string mask = quantityMask(quantityDigits);
        for (const auto& [key, expected] : m_expected) {
            ++verification.pairsChecked;
            const auto at = found.find(key);
            // A pair without any opening row left totals 0.
            const Figures actual = at != found.end() ? at->second : Figures{};
            VerificationDifference difference{key.first,
                                              key.second,
                                              rounded(expected.quantity, quantityDigits),
                                              rounded(expected.money, 2),
                                              rounded(actual.quantity, quantityDigits),
                                              rounded(actual.money, 2)};
            if (difference.expectedQuantity == difference.foundQuantity &&
                difference.expectedMoney == difference.foundMoney)
                continue;
            ++verification.pairsDiffering;
            report.recordFailure({"check pair " + key.first + "/" + key.second, statement,
                                  "its opening rows total " + formatNumber(difference.foundQuantity, mask) +
                                      " / " + formatNumber(difference.foundMoney, "0.00") +
                                      " where the run left " +
                                      formatNumber(difference.expectedQuantity, mask) + " / " +
                                      formatNumber(difference.expectedMoney, "0.00")});
            verification.differences.push_back(std::move(difference));
        }
        return verification.pairsDiffering == 0;
    } catch (const std::exception& error) {
        report.recordFailure({"check the rebuilt and confirmed pairs", statement, failureMessage(error)});
    } catch (...) {
        report.recordFailure({"check the rebuilt and confirmed pairs", statement, "unknown error"});
    }
    verification.ran = false;
    return false;
}

}  // namespace tarvenish
