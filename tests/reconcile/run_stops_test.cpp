// How a run ends early: on a stop request, on a failure no later pair can escape, on a lock it cannot get;
// and how a pair whose dialog could not write it is counted.

#include "reconcile/run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "component/adjustment_presenter.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "dialog/dialog_window.h"
#include "dialog/frmjustaccount.h"
#include "ledger/db/busy_timeout.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"
#include "ledger/db/stop_request.h"
#include "ledger/sql/statements.h"
#include "platform/headless/adjustment_presenters.h"
#include "support/account_set.h"

// The seeds name only the fields a test is about; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish {
namespace {

using test::AccountSet;
using test::OpeningRowSeed;
using test::Receipt;
using test::ReceiptLine;

// Three warehouse-mode pairs 01, 02, 03 of item A001, each matching its old opening row "OLD"; desktop
// dialect.
class RunStops : public ::testing::Test {
protected:
    // The context of the runs a test starts; its report is what they did.
    RunContext m_context;
    [[nodiscard]] RunReport& report() { return m_context.report; }

    void SetUp() override {
        m_set.useWarehouseMode();
        m_set.addSetting("AA", "iStrsQuanDecDgt", "2");
        for (const char* wh : {"01", "02", "03"}) {
            m_set.addWarehouse(wh, wh, std::nullopt);
            (void)m_set.addReceipt(
                Receipt{.whCode = wh, .code = std::string("R-") + wh},
                {ReceiptLine{.invCode = "A001", .quantity = 10, .unitCost = 2, .price = 20}});
            m_set.addOpeningRow(OpeningRowSeed{
                .whCode = wh, .invCode = "A001", .quantity = 10, .money = 20, .vouCode = "OLD"});
        }
    }
    void TearDown() override {
        clearStopRequest();
        setBusyTimeout(kDefaultBusyTimeout);
        ConnectionPool::clear();
    }

    // "R-<wh>" once rebuilt, "OLD" while as it was.
    [[nodiscard]] std::string voucher(const std::string& wh) const {
        return m_set.scalar("select group_concat(cVouCode) from IA_Subsidiary where cWhCode='" + wh + "'")
            .displayText();
    }
    [[nodiscard]] long failuresOf(std::string_view stepStart) {
        const auto& failures = report().failures;
        return std::count_if(failures.begin(), failures.end(),
                             [&](const StepFailure& f) { return f.step.starts_with(stepStart); });
    }
    [[nodiscard]] static std::string totalsOf(const std::string& wh) {
        return sql::stockTotals(Dialect::Desktop, PairMode::Warehouse, 2, wh, "A001").text();
    }

    AccountSet m_set;
};

TEST_F(RunStops, AtTheIssuedQuantityPassRemoveWhatItAddedAndTouchNoPair) {
    const std::string selectInto = sql::issuedQuantityPrepare(Dialect::Desktop)[2].text();
    ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) {
        if (s == selectInto) requestStop(SIGINT);
    }});

    EXPECT_FALSE(executeRun(m_context, DialectChoice::fromHostFlag(0), m_set.connect()));

    EXPECT_EQ(report().stop, RunStop::Interrupted);
    EXPECT_EQ(report().stopSignal, SIGINT);
    EXPECT_EQ(report().pairsRegenerated, 0);
    for (const char* wh : {"01", "02", "03"}) EXPECT_EQ(voucher(wh), "OLD") << wh;
    EXPECT_FALSE(m_set.hasColumn("RdRecords", "isOutQuantity_s"));
    EXPECT_FALSE(m_set.hasTable("FSumQuantity"));
}

TEST_F(RunStops, BetweenPairsKeepThePairsDoneDurableAndLeaveTheRest) {
    const std::string second = totalsOf("02");
    ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) {
        if (s == second) requestStop(SIGTERM);
    }});

    EXPECT_FALSE(executeRun(m_context, DialectChoice::fromHostFlag(0), m_set.connect()));

    EXPECT_EQ(report().stop, RunStop::Interrupted);
    EXPECT_EQ(report().stopSignal, SIGTERM);
    // The pair in hand when the request came is finished; the next is never begun.
    EXPECT_EQ(voucher("01"), "R-01");
    EXPECT_EQ(voucher("02"), "R-02");
    EXPECT_EQ(voucher("03"), "OLD");
    EXPECT_EQ(report().pairsRegenerated, 2);
    EXPECT_EQ(report().verification.pairsChecked, 2);
    EXPECT_FALSE(m_set.hasColumn("RdRecords", "isOutQuantity_s"));
}

TEST_F(RunStops, AtTheFirstFailureNoLaterPairCanEscape) {
    const std::string insert =
        sql::regenerationInsert(Dialect::Desktop, PairMode::Warehouse, makeDate(2024, 1, 1), "02", "A001")
            .text();
    ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) {
        if (s == insert) throw DbError("execute", 13, "database or disk is full", std::string(s));
    }});

    EXPECT_FALSE(executeRun(m_context, DialectChoice::fromHostFlag(0), m_set.connect()));

    EXPECT_EQ(report().stop, RunStop::Fatal);
    EXPECT_EQ(voucher("01"), "R-01");
    EXPECT_EQ(voucher("02"), "OLD");
    EXPECT_EQ(voucher("03"), "OLD");
    EXPECT_EQ(report().pairsFailed, 1);
    EXPECT_EQ(failuresOf("regenerate pair"), 1);
    EXPECT_EQ(failuresOf("run stopped"), 1);
    EXPECT_FALSE(m_set.hasColumn("RdRecords", "isOutQuantity_s"));
}

TEST_F(RunStops, AtTheFirstPairWhoseWriteLockAnotherProgramHolds) {
    setBusyTimeout(std::chrono::milliseconds(20));
    const std::string first = totalsOf("01");
    bool locked = false;
    ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) {
        if (s != first) return;
        m_set.exec("BEGIN IMMEDIATE");
        locked = true;
    }});

    EXPECT_FALSE(executeRun(m_context, DialectChoice::fromHostFlag(0), m_set.connect()));
    ASSERT_TRUE(locked);
    m_set.exec("ROLLBACK");

    EXPECT_EQ(report().stop, RunStop::Fatal);
    EXPECT_EQ(failuresOf("regenerate pair"), 1);
    EXPECT_EQ(report().pairsFailed, 1);
    for (const char* wh : {"01", "02", "03"}) EXPECT_EQ(voucher(wh), "OLD") << wh;
}

TEST_F(RunStops, CountAPairWhoseConfirmFailedAsFailedWhetherTheDialogIsThenClosedOrCancelled) {
    m_set.exec("update IA_Subsidiary set iAInPrice=21 where cWhCode='01'");
    const std::string commitDelete =
        sql::commitDelete(Dialect::Desktop, PairMode::Warehouse, "01", "A001").text();
    ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) {
        if (s == commitDelete) throw DbError("execute", 19, "constraint failed", std::string(s));
    }});
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancelled" : "closed");
        m_context.presenter = std::make_shared<DrivenAdjustmentPresenter>([&](DialogWindow& window) {
            window.controls().cmdOkCancel[0]->userClick();
            if (cancel) window.controls().cmdOkCancel[1]->userClick();
        });

        (void)executeRun(m_context, DialectChoice::fromHostFlag(0), m_set.connect());

        EXPECT_EQ(report().pairsFailed, 1);
        EXPECT_EQ(report().pairsSkipped, 0);
        EXPECT_EQ(report().cancelled, cancel);
        EXPECT_EQ(voucher("01"), "OLD");
        ConnectionPool::clear();
    }
}

TEST_F(RunStops, AtAConfirmThatTheDiskRefusesAfterTheDialogCloses) {
    m_set.exec("update IA_Subsidiary set iAInPrice=21 where cWhCode='01'");
    const std::string commitDelete =
        sql::commitDelete(Dialect::Desktop, PairMode::Warehouse, "01", "A001").text();
    ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) {
        if (s == commitDelete) throw DbError("execute", 13, "database or disk is full", std::string(s));
    }});
    m_context.presenter = std::make_shared<DrivenAdjustmentPresenter>(
        [](DialogWindow& window) { window.controls().cmdOkCancel[0]->userClick(); });

    EXPECT_FALSE(executeRun(m_context, DialectChoice::fromHostFlag(0), m_set.connect()));

    EXPECT_EQ(report().stop, RunStop::Fatal);
    EXPECT_EQ(report().pairsFailed, 1);
    for (const char* wh : {"01", "02", "03"}) EXPECT_EQ(voucher(wh), "OLD") << wh;
}

TEST_F(RunStops, AtADialogThatAStopRequestClosedAsInterruptedNotCancelled) {
    m_set.exec("update IA_Subsidiary set iAInPrice=21 where cWhCode='02'");
    m_context.presenter = std::make_shared<HeadlessAdjustmentPresenter>(AdjustmentPolicy::Balance);
    ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) {
        if (s == totalsOf("02")) requestStop(SIGTERM);
    }});

    EXPECT_FALSE(executeRun(m_context, DialectChoice::fromHostFlag(0), m_set.connect()));

    EXPECT_EQ(report().stop, RunStop::Interrupted);
    EXPECT_EQ(report().stopSignal, SIGTERM);
    EXPECT_FALSE(report().cancelled);
    EXPECT_EQ(voucher("01"), "R-01");
    EXPECT_EQ(voucher("02"), "OLD");
    EXPECT_EQ(voucher("03"), "OLD");
}

}  // namespace
}  // namespace tarvenish
