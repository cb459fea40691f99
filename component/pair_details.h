#pragma once
// The per-pair details of a run: one CSV line (RFC 4180) per pair, written as the pair's outcome becomes
// final, so that no run holds every pair's details in memory.

#include <string>
#include <string_view>

#include "component/output_file.h"
#include "component/run_report.h"

namespace tarvenish {

// Writes the header line at once, then one line per pair; a write that fails is kept as the file's error,
// never passed to the run.
class PairDetails final {
public:
    // Opens `path` ("-" is standard output) truncating it. Throws std::runtime_error when it cannot be
    // opened.
    explicit PairDetails(const std::string& path);
    // Appends the line of one pair, its quantities with `quantityDigits` decimals and its money with two.
    void write(const PairDetail& detail, int quantityDigits) noexcept;
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

}  // namespace tarvenish
