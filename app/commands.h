#pragma once
// The subcommands of `tarvenish`, each returning the process exit code.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "app/demo/demo_account_set.h"
#include "ledger/db/busy_timeout.h"

namespace tarvenish::app {

// The account set a command works on, and the dialect flag of the texts it is sent.
struct AccountSetOptions {
    std::string path;              // --db PATH
    std::string connectionString;  // --connection STRING
    std::int16_t dialectFlag = 1;  // --acc-sql N (1 server dialect, 0 desktop)
};

struct RunOptions {
    std::string onMismatch = "skip";  // skip | cancel | balance | average
    std::string ui = "auto";          // auto | none | qt
    // Each output is absent when not asked for; one asked for with an empty path is refused.
    std::optional<std::string> logPath;
    std::optional<std::string>
        reportPath;  // "-": the report on standard output, the summary on standard error
    std::optional<std::string> detailsPath;  // one CSV line per pair; "-" as for the report
    std::chrono::milliseconds busyTimeout = kDefaultBusyTimeout;  // --busy-timeout SECONDS
    bool dryRun = false;  // --dry-run: the whole run on a snapshot, the account set left as it was
    std::optional<std::string>
        backupPath;      // --backup FILE: a copy of the account set before the first change
    bool force = false;  // --force: the backup may replace a regular file
};

// check-start / check-documents: prints true or false as the last line; 0 for true, 1 for false.
int checkStart(const AccountSetOptions& accountSet);
int checkDocuments(const AccountSetOptions& accountSet);
// run: the exit code of runExitCode (app/exit_code.h). A usage error, or an output path that cannot be
// written, is thrown before anything is changed (exit 2); an account set that cannot be used is refused by
// the run, which says why in its summary and report (exit 2).
int runOnAccountSet(const AccountSetOptions& accountSet, const RunOptions& options);
// verify: compares every pair's opening totals with the stock ledger's, read-only; 0 when only pairs
// adjusted on purpose differ, 3 when others do, 5 while a run holds the set, 1 or 2 on failure (a --log
// that cannot be opened or is refused among them), 4 when the log is incomplete.
// With `detailsPath` every differing pair goes there as a details line (run --details's columns, its action
// adjusted, differs or missing); a details file that cannot be opened or is refused stops it as the log does.
int verifyAccountSet(const AccountSetOptions& accountSet,
                     const std::optional<std::string>& logPath = std::nullopt,
                     const std::optional<std::string>& detailsPath = std::nullopt);
// demo: creates an account set and prints what it holds.
int createDemo(const std::string& path, const DemoOptions& options);

}  // namespace tarvenish::app
