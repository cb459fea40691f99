#pragma once
// The per-pair details of a run: one CSV line (RFC 4180) per pair, written as the pair's outcome becomes
// final, so that no run holds every pair's details in memory. A file starts with a UTF-8 byte-order mark,
// so that a spreadsheet reads its Chinese names as such.

#include <optional>
#include <string>
#include <string_view>

#include "component/output_file.h"
#include "component/run_report.h"

namespace tarvenish {

// One pair as a details line shows it; an empty figure is one that was not read.
struct PairLine {
    std::string code;
    std::string invCode;
    std::string action;
    std::string name;
    std::string invName;
    std::optional<long> rowsBefore;
    std::optional<long> rowsAfter;
    std::optional<double> quantityBefore;
    std::optional<double> moneyBefore;
    std::optional<double> stockQuantity;
    std::optional<double> stockMoney;
    std::optional<double> quantityAfter;
    std::optional<double> moneyAfter;
    std::optional<BalancingLine> balancing;
};

// The journal's and the details' word for a pair's outcome: a confirm answered by the policy `policy`
// ("balance", "average") is "balanced" or "averaged", by a person "confirmed".
[[nodiscard]] std::string_view pairActionName(PairOutcome outcome, std::string_view policy);

// The line of `detail`, whose confirms `policy` answered (empty: a person).
[[nodiscard]] PairLine pairLineOf(const PairDetail& detail, std::string_view policy);

// Writes the header line at once, then one line per pair; a write that fails is kept as the file's error,
// never passed to the run.
class PairDetails final {
public:
    // Opens `path` ("-" is standard output, which gets no byte-order mark) truncating it. Throws
    // std::runtime_error when it cannot be opened.
    explicit PairDetails(const std::string& path);
    // Appends the line of one pair, its quantities with `quantityDigits` decimals and its money with two.
    void write(const PairLine& line, int quantityDigits) noexcept;
    // Flushes and closes; true when every line arrived.
    [[nodiscard]] bool finish() noexcept { return m_out.finish() && !m_lineLost; }
    // What failed, empty while nothing did.
    [[nodiscard]] std::string error() const;
    // True when the details go to standard output.
    [[nodiscard]] bool isStandardOutput() const noexcept { return m_out.isStandardOutput(); }

private:
    OutputFile m_out;
    // A line could not even be built (no memory left): the file lacks it.
    bool m_lineLost = false;
};

// One CSV field: quoted, its quotes doubled, when it holds a comma, a quote or a line break.
[[nodiscard]] std::string csvField(std::string_view text);
// A text field (a code, a name) that a spreadsheet would take for a formula (it begins with =, +, -, @, a
// tab or a carriage return) gets a leading apostrophe, then is quoted as csvField does.
[[nodiscard]] std::string csvTextField(std::string_view text);

}  // namespace tarvenish
