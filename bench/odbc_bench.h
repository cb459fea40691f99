#pragma once
// The rebuild through the SQLite ODBC driver on the same account set as the embedded run: the price of
// reaching a set through ODBC, with the same rows as the embedded engine leaves.

#include <filesystem>
#include <string>

namespace tarvenish::bench {

struct OdbcRun {
    double seconds = 0.0;
    long peakKb = 0;
};

// Runs the headless rebuild (differing pairs balanced) on a copy of `base` reached through the SQLite ODBC
// driver, registered in an odbcinst.ini of its own in `dir`, and checks that it leaves the opening rows the
// embedded run left in `embeddedResult`. Throws std::runtime_error when the driver is missing, the run fails
// or the rows differ.
[[nodiscard]] OdbcRun measureThroughOdbc(const std::string& base, const std::string& embeddedResult,
                                         const std::filesystem::path& dir);

}  // namespace tarvenish::bench
