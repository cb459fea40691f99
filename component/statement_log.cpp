#include "component/statement_log.h"

#include <new>

namespace tarvenish {
namespace {
// A statement with a line break would break the one-line-per-statement log.
std::string oneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    return line;
}
}  // namespace

StatementLog::StatementLog(const std::string& path) : m_out("log file", path, OpenMode::Append) {}

void StatementLog::statement(std::string_view text) noexcept {
    if (!m_out.ok()) return;
    try {
        m_out.write(oneLine(text) + '\n');
    } catch (const std::bad_alloc&) {
        m_out.write("-- a statement too long to copy was left out\n");
    }
    m_out.flush();
}

void StatementLog::failure(const StepFailure& failure) noexcept {
    if (!m_out.ok()) return;
    try {
        m_out.write("-- failed: " + oneLine(failure.step) + ": " + oneLine(failure.message) + '\n');
    } catch (const std::bad_alloc&) {
        m_out.write("-- a failure too long to copy was left out\n");
    }
    m_out.flush();
}

}  // namespace tarvenish
