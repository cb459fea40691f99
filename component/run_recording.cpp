#include "component/run_recording.h"

#include "component/report_json.h"

namespace tarvenish {
RunRecording::RunRecording(const std::string& connectionString, const OutputPaths& outputs) {
    refuseUnsafeOutputs(connectionString, outputs);
    // The log first: appending to it costs nothing when the report then cannot be opened.
    if (outputs.log) m_log.emplace(outputs.log->path);
    if (outputs.report) m_report.emplace("report", outputs.report->path, OpenMode::Truncate);
    if (outputs.details) m_details.emplace(outputs.details->path);
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
