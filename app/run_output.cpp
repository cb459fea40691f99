#include "app/run_output.h"

#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace tarvenish::app {
namespace {
// A statement with a line break would break the one-line-per-statement log.
std::string oneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    return line;
}
}  // namespace

StatementLog::StatementLog(const std::string& path) : m_out(path, std::ios::app) {
    if (!m_out) throw std::runtime_error("cannot open the log file " + path);
}

void StatementLog::statement(std::string_view text) {
    m_out << oneLine(text) << '\n';
    m_out.flush();
}

void StatementLog::failure(const StepFailure& failure) {
    m_out << "-- failed: " << oneLine(failure.step) << ": " << oneLine(failure.message) << '\n';
    m_out.flush();
}

std::string reportJson(const RunReport& report) {
    nlohmann::ordered_json failures = nlohmann::ordered_json::array();
    for (const auto& f : report.failures)
        failures.push_back({{"step", f.step}, {"statement", f.statement}, {"message", f.message}});
    nlohmann::ordered_json json = {{"result", report.result},
                           {"pairs_total", report.pairsTotal},
                           {"pairs_regenerated", report.pairsRegenerated},
                           {"pairs_confirmed", report.pairsConfirmed},
                           {"pairs_skipped", report.pairsSkipped},
                           {"pairs_failed", report.pairsFailed},
                           {"rows_deleted", report.rowsDeleted},
                           {"rows_inserted", report.rowsInserted},
                           {"cancelled", report.cancelled},
                           {"failures", failures}};
    return json.dump(2);
}

void writeReport(const std::string& path, const RunReport& report) {
    std::ofstream out(path, std::ios::trunc);
    out << reportJson(report) << '\n';
    if (!out) throw std::runtime_error("cannot write the report " + path);
}

std::string reportSummary(const RunReport& report) {
    std::string text = fmt::format(
        "result: {}{}\npairs: {} total, {} rebuilt, {} confirmed in the dialog, {} left as they were, {} "
        "failed\n"
        "opening rows: {} deleted, {} inserted\n",
        report.result ? "true" : "false", report.cancelled ? " (cancelled)" : "", report.pairsTotal,
        report.pairsRegenerated, report.pairsConfirmed, report.pairsSkipped, report.pairsFailed,
        report.rowsDeleted, report.rowsInserted);
    for (const auto& f : report.failures) text += fmt::format("failed: {}: {}\n", f.step, f.message);
    return text;
}

ProgressBar::ProgressBar() : m_enabled(isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
    if (m_drawn) std::fputs("\n", stderr);
}

void ProgressBar::update(int done, int total) {
    if (!m_enabled || total <= 0) return;
    constexpr int kWidth = 40;
    const int filled = static_cast<int>(static_cast<long long>(done) * kWidth / total);
    std::fprintf(stderr, "\r[%s%s] %d/%d pairs", std::string(filled, '#').c_str(),
                 std::string(kWidth - filled, ' ').c_str(), done, total);
    std::fflush(stderr);
    m_drawn = true;
}

}  // namespace tarvenish::app
