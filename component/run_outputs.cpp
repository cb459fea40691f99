#include "component/run_outputs.h"

#include "component/report_json.h"

namespace tarvenish {
RunOutputs::RunOutputs(const std::string& connectionString, const OutputPaths& paths) {
    refuseUnsafeOutputs(connectionString, paths);
    // The log first: appending to it costs nothing when the report then cannot be opened.
    if (paths.log) m_log.emplace(paths.log->path);
    if (paths.report) m_report.emplace("report", paths.report->path, OpenMode::Truncate);
    if (paths.details) m_details.emplace(paths.details->path);
}

RunOutputs::Listening::Listening(RunOutputs& outputs, RunContext& context)
    : m_context(context),
      m_previousBeforeStatement(context.hooks.beforeStatement),
      m_previousOnFailure(context.report.onFailure),
      m_previousOnPairDone(context.report.onPairDone) {
    if (outputs.m_details) {
        context.report.onPairDone = [&outputs, &report = context.report,
                                     before = m_previousOnPairDone](const PairDetail& detail) {
            outputs.m_details->write(pairLineOf(detail, report.policy), report.quantityDigits);
            if (before) before(detail);
        };
    }
    if (!outputs.m_log) return;
    context.hooks.beforeStatement = [&outputs, before = m_previousBeforeStatement](std::string_view text) {
        outputs.m_log->statement(text);
        if (before) before(text);
    };
    context.report.onFailure = [&outputs, before = m_previousOnFailure](const StepFailure& failure) {
        outputs.m_log->failure(failure);
        if (before) before(failure);
    };
}

RunOutputs::Listening::~Listening() {
    m_context.hooks.beforeStatement = std::move(m_previousBeforeStatement);
    m_context.report.onFailure = std::move(m_previousOnFailure);
    m_context.report.onPairDone = std::move(m_previousOnPairDone);
}

bool RunOutputs::reportOnStandardOutput() const noexcept {
    return (m_report && m_report->isStandardOutput()) || (m_details && m_details->isStandardOutput());
}

std::vector<std::string> RunOutputs::finish(const RunReport& report) {
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
