#include "app/run_output.h"

#include <unistd.h>

#include <cstdio>
#include <new>

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

std::string reportJson(const RunReport& report) {
    nlohmann::ordered_json failures = nlohmann::ordered_json::array();
    for (const auto& f : report.failures)
        failures.push_back({{"step", f.step}, {"statement", f.statement}, {"message", f.message}});
    nlohmann::ordered_json differences = nlohmann::ordered_json::array();
    for (const auto& d : report.verification.differences) {
        differences.push_back({{"code", d.code},
                               {"inv_code", d.invCode},
                               {"expected_quantity", d.expectedQuantity},
                               {"expected_money", d.expectedMoney},
                               {"found_quantity", d.foundQuantity},
                               {"found_money", d.foundMoney}});
    }
    const nlohmann::ordered_json verification = {{"pairs_checked", report.verification.pairsChecked},
                                                 {"pairs_differing", report.verification.pairsDiffering},
                                                 {"differences", differences}};
    nlohmann::ordered_json json = {{"result", report.result},
                                   {"pairs_total", report.pairsTotal},
                                   {"pairs_regenerated", report.pairsRegenerated},
                                   {"pairs_confirmed", report.pairsConfirmed},
                                   {"pairs_skipped", report.pairsSkipped},
                                   {"pairs_failed", report.pairsFailed},
                                   {"rows_deleted", report.rowsDeleted},
                                   {"rows_inserted", report.rowsInserted},
                                   {"cancelled", report.cancelled},
                                   {"interrupted", report.stop == RunStop::Interrupted},
                                   {"verification", verification},
                                   {"failures", failures}};
    // An engine message or a code in another encoding must not cost the whole report.
    return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string reportSummary(const RunReport& report) {
    std::string text = fmt::format(
        "result: {}{}\npairs: {} total, {} rebuilt, {} confirmed in the dialog, {} left as they were, {} "
        "failed\n"
        "opening rows: {} deleted, {} inserted\n",
        report.result ? "true" : "false",
        report.cancelled                      ? " (cancelled)"
        : report.stop == RunStop::Interrupted ? " (interrupted)"
                                              : "",
        report.pairsTotal, report.pairsRegenerated, report.pairsConfirmed, report.pairsSkipped,
        report.pairsFailed, report.rowsDeleted, report.rowsInserted);
    if (report.verification.ran) {
        text += fmt::format("check: {} pairs read back, {} differ\n", report.verification.pairsChecked,
                            report.verification.pairsDiffering);
    }
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
