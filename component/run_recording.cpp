#include "component/run_recording.h"

#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "component/report_json.h"
#include "ledger/db_error.h"
#include "ledger/engine.h"

namespace tarvenish {
namespace {
// An output path that names the account set itself would be truncated or appended to by the run.
void refuseOutputOnAccountSet(const std::string& connectionString, const std::string& path,
                              std::string_view what) {
    if (path.empty() || path == "-" || connectionString.empty()) return;
    std::string source;
    try {
        source = parseConnectionString(connectionString).dataSource;
    } catch (const DbError&) {
        return;
    }
    std::error_code error;
    if (std::filesystem::equivalent(source, path, error))
        throw std::runtime_error(std::string(what) + " " + path + " is the account set itself");
}
}  // namespace

RunRecording::RunRecording(const std::string& reportPath, const std::string& logPath,
                           const std::string& connectionString) {
    refuseOutputOnAccountSet(connectionString, reportPath, "the report");
    refuseOutputOnAccountSet(connectionString, logPath, "the log");
    if (reportPath == "-" && logPath == "-")
        throw std::runtime_error("the report and the log cannot both go to standard output");
    // The log first: appending to it costs nothing when the report then cannot be opened.
    if (!logPath.empty()) m_log.emplace(logPath);
    // The report would be written over the log (a file or a link to it) while both seemed to arrive.
    std::error_code error;
    if (m_log && !reportPath.empty() && reportPath != "-" &&
        std::filesystem::equivalent(reportPath, logPath, error))
        throw std::runtime_error("the report " + reportPath + " and the log " + logPath + " are one file");
    if (!reportPath.empty()) m_report.emplace("report", reportPath, OpenMode::Truncate);
}

RunRecording::Listening::Listening(RunRecording& recording, RunContext& context)
    : m_context(context),
      m_previousBeforeStatement(context.hooks.beforeStatement),
      m_previousOnFailure(context.report.onFailure) {
    if (!recording.m_log) return;
    context.hooks.beforeStatement = [&recording, before = m_previousBeforeStatement](std::string_view text) {
        recording.m_log->statement(text);
        if (before) before(text);
    };
    context.report.onFailure = [&recording, before = m_previousOnFailure](const StepFailure& failure) {
        recording.m_log->failure(failure);
        if (before) before(failure);
    };
}

RunRecording::Listening::~Listening() {
    m_context.hooks.beforeStatement = std::move(m_previousBeforeStatement);
    m_context.report.onFailure = std::move(m_previousOnFailure);
}

bool RunRecording::reportOnStandardOutput() const noexcept {
    return m_report && m_report->isStandardOutput();
}

std::vector<std::string> RunRecording::finish(const RunReport& report) {
    std::vector<std::string> problems;
    if (m_report) {
        m_report->write(reportJson(report) + '\n');
        if (!m_report->finish()) problems.push_back(m_report->error());
    }
    if (m_log && !m_log->finish()) problems.push_back(m_log->error());
    return problems;
}

}  // namespace tarvenish
