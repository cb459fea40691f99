#include "platform/dll/library_settings.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

#include "base/number_format.h"
#include "base/system_text.h"

namespace tarvenish {
namespace {
std::optional<std::string> environment(const char* name) {
    std::optional<std::string> value = environmentVariable(name);
    if (value && value->empty()) return std::nullopt;
    return value;
}
}  // namespace

LibrarySettings readLibrarySettings() {
    LibrarySettings settings;
    if (const auto text = environment(kOnMismatchVariable)) {
        settings.onMismatch = parseAdjustmentPolicy(*text);
        if (!settings.onMismatch) {
            settings.problems.push_back(std::string(kOnMismatchVariable) + "=" + std::string(*text) +
                                        " ignored: it takes skip, cancel, balance or average");
        }
    }
    if (const auto text = environment(kBusyTimeoutVariable)) {
        double seconds = 0;
        // A day is far beyond any lock a person would wait for; larger figures are typing errors.
        if (parseNumber(*text, seconds) && std::isfinite(seconds) && seconds >= 0 && seconds <= 86400) {
            settings.busyTimeout = std::chrono::milliseconds(std::llround(seconds * 1000));
        } else {
            settings.problems.push_back(std::string(kBusyTimeoutVariable) + "=" + std::string(*text) +
                                        " ignored: it takes a number of seconds from 0 to 86400");
        }
    }
    settings.reportPath = std::string(environment(kReportVariable).value_or(""));
    settings.logPath = std::string(environment(kLogVariable).value_or(""));
    settings.detailsPath = std::string(environment(kDetailsVariable).value_or(""));
    if (const auto text = environment(kDryRunVariable)) {
        settings.dryRun = *text == "1";
        if (*text != "1" && *text != "0") {
            settings.problems.push_back(std::string(kDryRunVariable) + "=" + std::string(*text) +
                                        " ignored: it takes 1 or 0");
        }
    }
    return settings;
}

}  // namespace tarvenish
