#pragma once
// `tarvenish report`: the reconciliation report of a journaled run as one HTML file.

#include <optional>
#include <string>

#include "app/commands.h"
#include "component/message_resource.h"

namespace tarvenish::app {

struct ReportOptions {
    std::optional<long> runId;                // --run N; the latest run when absent
    std::string htmlPath;                     // --html FILE; "-" for standard output
    std::optional<MessageLanguage> language;  // --lang zh|en; the message resource's own choice when absent
};

// report: 0 written; 2 a usage error, an unreadable account set, no journal, no such run, or a file that
// cannot be opened or is refused as run's outputs are; 5 while another run holds the account set; 4 when
// the file could not be completed.
int writeRunReport(const AccountSetOptions& accountSet, const ReportOptions& options);

}  // namespace tarvenish::app
