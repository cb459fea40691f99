#pragma once
// The run's check of its own work: after its last pair, the opening rows of every pair it rebuilt or that was
// confirmed in the dialog are read back in one grouped query and compared with the figures the pair was
// compared by or confirmed with.

#include <cstddef>
#include <string>
#include <vector>

#include "component/run_report.h"
#include "ledger/sql/statements.h"

namespace tarvenish {

class WorkCheck final {
public:
    // Notes that the opening rows of the pair (code, invCode) must now total `quantity` and `money`.
    void expect(std::string code, std::string invCode, double quantity, double money);
    [[nodiscard]] bool empty() const noexcept { return m_expected.empty(); }
    // Makes room for `pairs` expectations at once, so that a long run never copies them all to grow.
    void reserve(std::size_t pairs) { m_expected.reserve(pairs); }

    // Reads the opening rows' totals through a connection of `connectionString`, compares them with the
    // expected ones (quantity to `quantityDigits` decimals, money to 2, as the run's comparison rounds them)
    // and fills `report.verification`; every difference is also a failure of the report. Returns false when
    // a pair differs or the totals could not be read. Never throws.
    [[nodiscard]] bool verify(const std::string& connectionString, Dialect dialect, PairMode mode,
                              int quantityDigits, RunReport& report) noexcept;

private:
    struct Figures {
        double quantity = 0.0;
        double money = 0.0;
    };
    // One per pair, the figures read back filled in place: an account set of half a million pairs keeps one
    // vector of them rather than two trees.
    struct Pair {
        std::string code;
        std::string invCode;
        Figures expected;
        Figures found;          // 0 until a row of the check names the pair: a pair without any opening row
        std::size_t order = 0;  // of the expectation, the later winning over an earlier one
    };
    // Sorts the pairs by code and item code, the last expectation of a pair expected twice winning.
    void sortExpected();
    std::vector<Pair> m_expected;
};

}  // namespace tarvenish
