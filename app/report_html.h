#pragma once
// The reconciliation report of one journaled run as one self-contained HTML page: its texts from the message
// resource, inline styles (A4 when printed), a small inline SVG chart, nothing fetched from anywhere.

#include <string>
#include <string_view>

#include "component/message_resource.h"
#include "reconcile/run_record.h"

namespace tarvenish::app {

// Every character of `text` that HTML gives a meaning (& < > " ') as its entity.
[[nodiscard]] std::string htmlEscaped(std::string_view text);

// The page of `record`; `accountSet` names the account set (its password already hidden), `language` the
// resource's language, `made` when the page was made (ISO 8601 UTC). Throws MessageResourceError when the
// message file cannot be read.
[[nodiscard]] std::string reportPage(const RunRecord& record, std::string_view accountSet,
                                     MessageResource& texts, MessageLanguage language, std::string_view made);

}  // namespace tarvenish::app
