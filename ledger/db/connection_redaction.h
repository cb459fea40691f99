#pragma once
// A connection string as it may be shown: in a log, a report, an error message or the run history.

#include <string>
#include <string_view>

namespace tarvenish {

// `text` with the value of every PWD= or Password= key replaced by "*****"; any other text as it is.
[[nodiscard]] std::string redactedConnectionString(std::string_view text);

}  // namespace tarvenish
