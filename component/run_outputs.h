#pragma once
// The outputs of one run (its report, statement log and per-pair details), written alike whether the command
// or the library ran it.

#include <optional>
#include <string>
#include <vector>

#include "component/output_file.h"
#include "component/output_paths.h"
#include "component/pair_details.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "component/statement_log.h"

namespace tarvenish {

class RunOutputs final {
public:
    // Refuses `paths` as refuseUnsafeOutputs does (the backup only checked, it is taken by the run), then
    // opens the log (appending), the report and the per-pair details (truncating) before the run changes
    // anything; "-" writes to standard output. Throws OutputRefused, or std::runtime_error saying which
    // output and path when one cannot be opened.
    RunOutputs(const std::string& connectionString, const OutputPaths& paths);

    // While it lives, every statement the run of `context` sends and every step it skips go to the log, and
    // every pair's outcome to the details.
    // `context` must outlive it.
    class Listening final {
    public:
        Listening(RunOutputs& outputs, RunContext& context);
        ~Listening();
        Listening(const Listening&) = delete;
        Listening& operator=(const Listening&) = delete;

    private:
        RunContext& m_context;
        std::function<void(std::string_view)> m_previousBeforeStatement;
        std::function<void(const StepFailure&)> m_previousOnFailure;
        std::function<void(const PairDetail&)> m_previousOnPairDone;
    };

    // True when the report or the details go to standard output (a summary for people must then go
    // elsewhere).
    [[nodiscard]] bool reportOnStandardOutput() const noexcept;
    // Writes `report` to the report, then closes the report, the details and the log: what could not be
    // completed, one line each, empty when everything arrived.
    [[nodiscard]] std::vector<std::string> finish(const RunReport& report);

private:
    std::optional<StatementLog> m_log;
    std::optional<OutputFile> m_report;
    std::optional<PairDetails> m_details;
};

}  // namespace tarvenish
