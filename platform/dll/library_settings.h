#pragma once
// The library's settings: environment variables, read afresh at each call (the library has no file of its
// own).

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/adjustment_presenters.h"

namespace tarvenish {

inline constexpr const char* kOnMismatchVariable = "TARVENISH_ON_MISMATCH";
inline constexpr const char* kBusyTimeoutVariable = "TARVENISH_BUSY_TIMEOUT";
inline constexpr const char* kReportVariable = "TARVENISH_REPORT";
inline constexpr const char* kLogVariable = "TARVENISH_LOG";
inline constexpr const char* kDetailsVariable = "TARVENISH_DETAILS";
inline constexpr const char* kDryRunVariable = "TARVENISH_DRY_RUN";

struct LibrarySettings {
    // TARVENISH_ON_MISMATCH: who answers a differing pair's dialog when no window can be shown.
    std::optional<AdjustmentPolicy> onMismatch;
    // TARVENISH_BUSY_TIMEOUT, in seconds: how long a statement waits for another writer's lock.
    std::optional<std::chrono::milliseconds> busyTimeout;
    // TARVENISH_REPORT: the file a run writes its JSON report to, empty for none.
    std::string reportPath;
    // TARVENISH_LOG: the file a run appends its statement log to, empty for none.
    std::string logPath;
    // TARVENISH_DETAILS: the file a run writes one CSV line per pair to, empty for none.
    std::string detailsPath;
    // TARVENISH_DRY_RUN=1: the run works on a snapshot and leaves the account set as it was.
    bool dryRun = false;
    // One line per setting that was given but not understood (and is therefore taken as not given).
    std::vector<std::string> problems;
};

// Reads the settings from the environment as it is now. Never throws but std::bad_alloc.
[[nodiscard]] LibrarySettings readLibrarySettings();

}  // namespace tarvenish
