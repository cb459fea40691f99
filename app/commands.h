#pragma once
// The subcommands of `tarvenish`, each returning the process exit code.

#include <cstdint>
#include <string>

#include "app/demo/demo_account_set.h"

namespace tarvenish::app {

struct Target {
    std::string db;           // --db PATH
    std::string connection;   // --connection STRING
    std::int16_t accSql = 1;  // --acc-sql N (1 server dialect, 0 desktop)
};

struct RunOptions {
    std::string onMismatch = "skip";  // skip | cancel | balance | average
    std::string ui = "auto";          // auto | none | qt
    std::string logPath;
    std::string reportPath;
};

// check-start / check-documents: prints true or false as the last line; 0 for true, 1 for false.
int checkStart(const Target& target);
int checkDocuments(const Target& target);
// run: 0 when every pair was rebuilt or confirmed, 3 when some were left as they were, 1 when the run
// returned false, 2 on a usage or connection error (thrown as UsageError).
int runRebuild(const Target& target, const RunOptions& options);
// demo: creates an account set and prints what it holds.
int createDemo(const std::string& path, const DemoOptions& options);

}  // namespace tarvenish::app
