#pragma once
// The two front ends a run can be made through, behind one call, so that each end-to-end scenario is proven
// through the command and through the library alike.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "command_support.h"

namespace tarvenish::test {

enum class Front {
    Command,  // `tarvenish run --ui none`
    Library,  // the example host loading TARVENISH.so, with the TARVENISH_* settings
};

// One run as a user or a host starts it.
struct Scenario {
    std::string accountSet;                    // the SQLite file
    int accSql = 1;                            // the dialect flag
    std::string onMismatch = "skip";           // --on-mismatch, TARVENISH_ON_MISMATCH
    std::string reportPath;                    // --report, TARVENISH_REPORT; empty for none
    std::string logPath;                       // --log, TARVENISH_LOG; empty for none
    bool dryRun = false;                       // --dry-run, TARVENISH_DRY_RUN=1
    std::string detailsPath;                   // --details, TARVENISH_DETAILS; empty for none
    EngineKind engine = EngineKind::Embedded;  // --db and the file, or --connection and an ODBC string
    std::string odbcOptions{};                 // appended to the ODBC string, e.g. "FKSupport=1;"
    std::string connection{};  // --connection, the host's string, as it is; empty for the file's
};

// What a run answered through its front.
struct FrontResult {
    Front front = Front::Command;
    int exitCode = -1;                // the command's exit code, or the example host's exit status
    std::optional<bool> justAccount;  // the answer the example host printed; nullopt for the command
    std::string out;
    std::string err;
};

// The rows of the exit-code table: the command's exit code and what the library's JustAccount answers.
enum class Outcome {
    Done,              // 0, true
    PairsLeft,         // 3, true: pairs left as they were (skip, or the dialog closed without writing)
    PairsFailed,       // 3, false: some pairs failed
    CheckDiffered,     // 3, false
    Cancelled,         // 1, false: cancelled, a whole-run failure, any other false result
    Refused,           // 2, false: nothing changed
    Locked,            // 5, false: another run holds the account set
    OutputIncomplete,  // 4, true: the run done, its report or log not
};

// Runs `scenario` through `front` and waits for it; no window ever opens.
[[nodiscard]] FrontResult runThrough(Front front, const Scenario& scenario);

// Whether `result` is `expected` as its front states it: the exit code for the command, the answer for the
// library.
[[nodiscard]] ::testing::AssertionResult answered(const FrontResult& result, Outcome expected);

// "Command" or "Library", for test names.
[[nodiscard]] std::string frontName(Front front);
void PrintTo(Front front, std::ostream* out);

}  // namespace tarvenish::test
