#pragma once
// The statement log of a run: every statement the component sends, one line each, exactly as built.

#include <string>
#include <string_view>

#include "component/output_file.h"
#include "component/run_report.h"

namespace tarvenish {

// Appends every statement the component sends, one line each, exactly as built, and every skipped step as a
// comment line ("-- failed: ..."), so the file stays a list of statements a parser can read.
// Each line is flushed at once, so a run that dies keeps what it sent; a write that fails is kept as the
// log's error, never passed to the run.
class StatementLog final {
public:
    // Throws std::runtime_error when the file cannot be opened for appending.
    explicit StatementLog(const std::string& path);
    // Appends one statement as its own line.
    void statement(std::string_view text) noexcept;
    // Appends a skipped step as a comment line.
    void failure(const StepFailure& failure) noexcept;
    // Flushes and closes; true when every line arrived.
    [[nodiscard]] bool finish() noexcept { return m_out.finish(); }
    // What failed, empty while nothing did.
    [[nodiscard]] const std::string& error() const noexcept { return m_out.error(); }
    // True when the log goes to standard output.
    [[nodiscard]] bool isStandardOutput() const noexcept { return m_out.isStandardOutput(); }

private:
    OutputFile m_out;
};

}  // namespace tarvenish
