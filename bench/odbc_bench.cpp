#include "bench/odbc_bench.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>

#include <fmt/format.h>

#include "bench/child_process.h"
#include "bench/set_rebuild.h"
#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "ledger/db/connection.h"
#include "platform/headless/adjustment_presenters.h"
#include "reconcile/run.h"

namespace tarvenish::bench {

namespace {

namespace fs = std::filesystem;

// Where Debian's libsqliteodbc puts the driver.
fs::path sqliteOdbcDriver() {
    for (const char* folder :
         {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc", "/usr/lib/odbc"}) {
        const fs::path driver = fs::path(folder) / "libsqlite3odbc.so";
        if (fs::exists(driver)) return driver;
    }
    throw std::runtime_error("the SQLite ODBC driver is missing: apt-get install libsqliteodbc");
}

}  // namespace

OdbcRun measureThroughOdbc(const std::string& base, const std::string& embeddedResult, const fs::path& dir) {
    const fs::path registry = dir / "odbc";
    fs::create_directories(registry);
    std::ofstream(registry / "odbcinst.ini") << "[SQLite3]\nDriver=" << sqliteOdbcDriver().string() << "\n";
    const std::string path = (dir / "odbc.db").string();
    std::error_code ignored;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(path + suffix, ignored);
    fs::copy_file(base, path);

    const ChildOutcome outcome = runInChild([&] {
        ::setenv("ODBCSYSINI", registry.c_str(), 1);
        const auto start = std::chrono::steady_clock::now();
        const ConnectionPtr connection = Connection::open("Driver=SQLite3;Database=" + path + ";");
        setMessagePresenter(std::make_shared<HeadlessMessagePresenter>());
        RunContext context;
        context.presenter = std::make_shared<HeadlessAdjustmentPresenter>(AdjustmentPolicy::Balance);
        const bool result = executeRun(context, DialectChoice::fromHostFlag(1), connection);
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        if (!result || !context.report.failures.empty())
            throw std::runtime_error(context.report.failures.empty()
                                         ? "the rebuild answered false"
                                         : context.report.failures.front().message);
        return fmt::format("{}", seconds.count());
    });
    if (!outcome.succeeded) throw std::runtime_error("the rebuild through ODBC failed: " + outcome.output);
    const OpeningRowComparison comparison = compareOpeningRows(path, embeddedResult);
    if (!comparison.same)
        throw std::runtime_error(
            "the rebuild through ODBC leaves other opening rows than the embedded one: " +
            comparison.difference);
    return {std::stod(outcome.output), outcome.peakKb};
}

}  // namespace tarvenish::bench
