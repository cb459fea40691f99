// A run through the SQLite ODBC driver on a rollback-journal file whose page cache holds a few pages, so that
// its batch of rebuilt pairs spills into the file under the exclusive lock after a handful of pairs: the
// run's own reads must not wait for that lock, and the rows must be those of a run on the file opened
// directly.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "command_support.h"
#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/run_context.h"
#include "front.h"
#include "ledger/db/connection.h"
#include "ledger/db/engine_hooks.h"
#include "platform/headless/adjustment_presenters.h"
#include "reconcile/run.h"

// A scenario and the hooks name only the fields a test is about.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish::test {
namespace {

constexpr std::string_view kOpeningRows = "select * from IA_Subsidiary where cVouType='34'";
// The driver's lock wait, short: a read that waits for the run's own lock fails soon instead of in seconds.
constexpr std::string_view kShortWait = "Timeout=200;";

// The demo set (its seed fixed, so every call makes the same rows) on a rollback journal, with a page cache
// of eight pages stored in the file for every connection that sets none of its own, as the driver's does.
std::string spillingSet(const ScratchDir& dir, std::string_view name) {
    const std::string path = makeDemo(dir, name, PairMode::Warehouse, 40, 25);
    LedgerFile(path).exec("PRAGMA journal_mode=DELETE; PRAGMA default_cache_size=8");
    return path;
}

// Whether another connection was shut out of `path` between two statements of a run made in this process
// through the driver: the run holds no lock of a statement then, so its batch had spilled into the file and
// kept the exclusive lock.
bool batchSpills(const std::string& path) {
    setMessagePresenter(std::make_shared<HeadlessMessagePresenter>());
    RunContext context;
    context.presenter = std::make_shared<HeadlessAdjustmentPresenter>(AdjustmentPolicy::Balance);
    bool shutOut = false;
    {
        const ScopedEngineHooks spy({.beforeStatement = [&](std::string_view) {
            if (shutOut) return;
            try {
                const LedgerFile other(path);
                other.exec("PRAGMA busy_timeout=0");
                (void)other.scalar("select count(*) from IA_Subsidiary");
            } catch (const std::runtime_error&) {
                shutOut = true;
            }
        }});
        (void)executeRun(context, DialectChoice::fromHostFlag(1),
                         Connection::open(connectionTo(path, EngineKind::Odbc) + std::string(kShortWait)));
    }
    ConnectionPool::clear();
    setMessagePresenter(nullptr);
    return shutOut;
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SpillingBatch : public ::testing::TestWithParam<Front> {
protected:
    ScratchDir m_dir;
};

TEST_P(SpillingBatch, RebuildsEveryPairWithTheRowsOfARunOnTheFileItself) {
    ASSERT_TRUE(batchSpills(spillingSet(m_dir, "probe.db")))
        << "the batch never spilled into the file: nothing here would be tested";
    const std::string path = spillingSet(m_dir, "ledger.db");
    const std::string direct = spillingSet(m_dir, "direct.db");
    const std::string report = m_dir.file("report.json");
    const Scenario scenario{.accountSet = path,
                            .onMismatch = "balance",
                            .reportPath = report,
                            .engine = EngineKind::Odbc,
                            .odbcOptions = std::string(kShortWait)};

    const FrontResult result = runThrough(GetParam(), scenario);

    ASSERT_TRUE(answered(result, Outcome::Done));
    const std::string json = contents(report);
    EXPECT_NE(json.find("\"pairs_skipped\": 0,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"pairs_failed\": 0,"), std::string::npos) << json;
    const auto reference = runCommand({"run", "--db", direct, "--ui", "none", "--on-mismatch", "balance"});
    ASSERT_EQ(reference.exitCode, 0) << reference.out << reference.err;
    EXPECT_EQ(sortedRows(LedgerFile(path), kOpeningRows), sortedRows(LedgerFile(direct), kOpeningRows));
    EXPECT_EQ(LedgerFile(path).scalar("PRAGMA journal_mode"), "delete");
}

INSTANTIATE_TEST_SUITE_P(CommandAndLibrary, SpillingBatch, ::testing::Values(Front::Command, Front::Library),
                         [](const auto& p) { return frontName(p.param); });

}  // namespace
}  // namespace tarvenish::test
