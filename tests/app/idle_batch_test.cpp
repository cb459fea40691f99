// A run whose pairs after some rebuilt ones commit nothing (left as they were) still makes the rebuilt ones
// durable once their batch is a second old, as a run of rebuilt pairs does: until then they would be lost to
// a crash, and the batch would keep the account set's write lock.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "command_support.h"
#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/run_context.h"
#include "ledger/db/connection.h"
#include "ledger/db/engine_hooks.h"
#include "platform/headless/adjustment_presenters.h"
#include "reconcile/run.h"

// The hooks name only the observer a test needs.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish::test {
namespace {

// Whether `statement` names both codes of `pair` ("CODE/ITEM").
bool names(std::string_view statement, const std::string& pair) {
    const std::size_t slash = pair.find('/');
    return statement.find("'" + pair.substr(0, slash) + "'") != std::string_view::npos &&
           statement.find("'" + pair.substr(slash + 1) + "'") != std::string_view::npos;
}

TEST(ARunOfLeftPairs, MakesTheRebuiltPairsBeforeItDurableOnceTheirBatchIsASecondOld) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "ledger.db", PairMode::Warehouse, 8, 0);
    const LedgerFile file(path);
    std::vector<std::string> pairs;
    for (const auto& row :
         file.rows("select distinct s.cWhCode || '/' || s.cInvCode from IA_Subsidiary s join Warehouse w on "
                   "w.cWhCode=s.cWhCode where s.cVouType='34' and w.cWhValueStyle='个别计价法' order by 1"))
        pairs.push_back(*row[0]);
    ASSERT_GE(pairs.size(), 3U);
    // The last pair but one differs by a cent, so that the dialog leaves it after the rebuilt pairs.
    const std::size_t left = pairs.size() - 2;
    file.exec(
        "update IA_Subsidiary set iAInPrice = iAInPrice + 0.01 where rowid = (select min(rowid) from "
        "IA_Subsidiary where cVouType='34' and cWhCode || '/' || cInvCode = '" +
        pairs[left] + "')");

    setMessagePresenter(std::make_shared<HeadlessMessagePresenter>());
    RunContext context;
    context.presenter = std::make_shared<HeadlessAdjustmentPresenter>(AdjustmentPolicy::Skip);
    bool slept = false;
    std::optional<std::string> journalSeen;
    {
        const ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view statement) {
            if (!slept && names(statement, pairs[left])) {
                slept = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(1100));
            } else if (slept && !journalSeen && names(statement, pairs[left + 1])) {
                // Another connection sees only what the run's batches made durable.
                journalSeen = LedgerFile(path).scalar("select count(*) from tarvenish_journal");
            }
        }});
        EXPECT_TRUE(executeRun(context, DialectChoice::fromHostFlag(1), Connection::open(path)));
    }
    ConnectionPool::clear();
    setMessagePresenter(nullptr);
    EXPECT_NE(journalSeen.value_or("0"), "0");
}

}  // namespace
}  // namespace tarvenish::test
