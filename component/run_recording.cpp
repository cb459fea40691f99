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
        const ConnectionSettings settings = parseConnectionString(connectionString);
        source = settings.dataSource;
        // A SQLite file reached through ODBC is named by the driver's Database= key.
        for (const auto& [key, value] : settings.others)
            if (source.empty() && key == "database") source = value;
    } catch (const DbError&) {
        return;
    }
    std::error_code error;
    if (std::filesystem::equivalent(source, path, error))
        throw std::runtime_error(std::string(what) + " " + path + " is the account set itself");
}

// Two outputs on one file (or a link to it) would write over each other while both seemed to arrive.
void refuseSharedOutput(const std::string& firstPath, std::string_view first, const std::string& secondPath,
                        std::string_view second) {
    if (firstPath.empty() || secondPath.empty()) return;
    if (firstPath == "-" && secondPath == "-") {
        throw std::runtime_error(std::string(first) + " and " + std::string(second) +
                                 " cannot both go to standard output");
    }
    std::error_code error;
    if (firstPath != "-" && secondPath != "-" && std::filesystem::equivalent(firstPath, secondPath, error)) {
        throw std::runtime_error(std::string(first) + " " + firstPath + " and " + std::string(second) + " " +
                                 secondPath + " are one file");
    }
}
}  // namespace

RunRecording::RunRecording(const std::string& reportPath, const std::string& logPath,
                           const std::string& connectionString, const std::string& detailsPath) {
    refuseOutputOnAccountSet(connectionString, reportPath, "the report");
    refuseOutputOnAccountSet(connectionString, logPath, "the log");
    refuseOutputOnAccountSet(connectionString, detailsPath, "the details");
    if (reportPath == "-" && logPath == "-")
        throw std::runtime_error("the report and the log cannot both go to standard output");
    refuseSharedOutput(detailsPath, "the details", reportPath, "the report");
    refuseSharedOutput(detailsPath, "the details", logPath, "the log");
    // The log first: appending to it costs nothing when the report then cannot be opened.
    if (!logPath.empty()) m_log.emplace(logPath);
    // The report would be written over the log (a file or a link to it) while both seemed to arrive.
    std::error_code error;
    if (m_log && !reportPath.empty() && reportPath != "-" &&
        std::filesystem::equivalent(reportPath, logPath, error))
        throw std::runtime_error("the report " + reportPath + " and the log " + logPath + " are one file");
    if (!reportPath.empty()) m_report.emplace("report", reportPath, OpenMode::Truncate);
    if (!detailsPath.empty()) m_details.emplace(detailsPath);
}

RunRecording::Listening::Listening(RunRecording& recording, RunContext& context)
    : m_context(context),
      m_previousBeforeStatement(context.hooks.beforeStatement),
      m_previousOnFailure(context.report.onFailure),
      m_previousOnPairDone(context.report.onPairDone) {
    if (recording.m_details) {
        context.report.onPairDone = [&recording, &report = context.report,
                                     before = m_previousOnPairDone](const PairDetail& detail) {
            recording.m_details->write(detail, report.quantityDigits);
            if (before) before(detail);
        };
    }
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
    m_context.report.onPairDone = std::move(m_previousOnPairDone);
}

bool RunRecording::reportOnStandardOutput() const noexcept {
    return (m_report && m_report->isStandardOutput()) || (m_details && m_details->isStandardOutput());
}

std::vector<std::string> RunRecording::finish(const RunReport& report) {
    std::vector<std::string> problems;
    if (m_report) {
        m_report->write(reportJson(report) + '\n');
        if (!m_report->finish()) problems.push_back(m_report->error());
    }
    if (m_details && !m_details->finish()) problems.push_back(m_details->error());
    if (m_log && !m_log->finish()) problems.push_back(m_log->error());
    return problems;
}

}  // namespace tarvenish
