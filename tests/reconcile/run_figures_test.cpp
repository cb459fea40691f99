// What a run may and may not write: it never rewrites a pair into rows that total other figures than those it
// was compared by, leaves rows that belong to no pair alone, and reads its own work back.

#include "reconcile/run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "component/adjustment_presenter.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/sql/statements.h"
#include "support/account_set.h"

// The seeds name only the fields a test is about; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvenish {
namespace {

using test::AccountSet;
using test::OpeningRowSeed;
using test::Receipt;
using test::ReceiptLine;

// Counts the dialogs shown and leaves each pair as it was.
class CountingPresenter final : public AdjustmentPresenter {
public:
    DialogResult showModal(PairMode, RunReport&) override {
        ++shown;
        return {};
    }
    int shown = 0;
};

class RunFigures : public ::testing::TestWithParam<std::int16_t> {
protected:
    // The context of the runs a test starts; its report is what they did.
    RunContext m_context;
    [[nodiscard]] RunReport& report() { return m_context.report; }

    void SetUp() override {
        m_set.addSetting("AA", "iStrsQuanDecDgt", "2");
        m_context.presenter = m_presenter;
    }
    void TearDown() override { ConnectionPool::clear(); }

    // Warehouse mode; a pair whose one receipt line of 10 at 2 matches its old opening row "OLD".
    void addPair(const std::string& whCode) {
        m_set.addWarehouse(whCode, "仓库" + whCode, std::nullopt);
        (void)m_set.addReceipt(Receipt{.whCode = whCode, .code = "R-" + whCode},
                               {ReceiptLine{.invCode = "A001", .quantity = 10, .unitCost = 2, .price = 20}});
        m_set.addOpeningRow(OpeningRowSeed{
            .whCode = whCode, .invCode = "A001", .quantity = 10, .money = 20, .vouCode = "OLD"});
    }

    [[nodiscard]] bool hasFailure(std::string_view step) {
        const auto& failures = report().failures;
        return std::any_of(failures.begin(), failures.end(),
                           [&](const StepFailure& f) { return f.step == step; });
    }

    AccountSet m_set;
    std::shared_ptr<CountingPresenter> m_presenter = std::make_shared<CountingPresenter>();
};

TEST_P(RunFigures, SendsAPairWithAReceiptLineWithoutIssuedQuantityToTheDialog) {
    m_set.useWarehouseMode();
    m_set.addWarehouse("01", "一号库", std::nullopt);
    (void)m_set.addReceipt(
        Receipt{.whCode = "01"},
        {ReceiptLine{.invCode = "A001", .quantity = 10, .unitCost = 2, .price = 20},
         ReceiptLine{
             .invCode = "A001", .quantity = 5, .unitCost = 2, .price = 10, .isOutQuantity = std::nullopt}});
    // The desktop totals count the second line's whole money, the server's none of it: either way the pair
    // compares equal, and its rebuilt rows would hold 10 / 20 with the second line Null.
    m_set.addOpeningRow(OpeningRowSeed{.whCode = "01",
                                       .invCode = "A001",
                                       .quantity = 10,
                                       .money = GetParam() == 0 ? 30.0 : 20.0,
                                       .vouCode = "OLD"});

    EXPECT_TRUE(executeRun(m_context, DialectChoice::fromHostFlag(GetParam()), m_set.connect()));

    EXPECT_EQ(m_presenter->shown, 1);
    EXPECT_EQ(report().pairsRegenerated, 0);
    EXPECT_EQ(m_set.count("IA_Subsidiary", "cVouCode='OLD'"), 1);
}

TEST_P(RunFigures, ChecksEveryRebuiltPairAndFindsNoDifferenceInACleanRun) {
    m_set.useWarehouseMode();
    addPair("01");
    addPair("02");

    EXPECT_TRUE(executeRun(m_context, DialectChoice::fromHostFlag(GetParam()), m_set.connect()));

    const Verification& check = report().verification;
    EXPECT_TRUE(check.ran);
    EXPECT_EQ(check.pairsChecked, 2);
    EXPECT_EQ(check.pairsDiffering, 0);
    EXPECT_TRUE(report().failures.empty());
}

TEST_P(RunFigures, ReportsARebuiltPairWhoseRowsDoNotHoldTheComparedTotals) {
    m_set.useWarehouseMode();
    addPair("01");
    addPair("02");
    // Something else on the host changes a rebuilt row within the same transaction.
    m_set.exec(
        "create trigger sabotage after insert on IA_Subsidiary when new.cVouCode='R-02' begin "
        "update IA_Subsidiary set iAInPrice=iAInPrice+1 where rowid=new.rowid; end");

    EXPECT_FALSE(executeRun(m_context, DialectChoice::fromHostFlag(GetParam()), m_set.connect()));

    const Verification& check = report().verification;
    EXPECT_EQ(check.pairsChecked, 2);
    ASSERT_EQ(check.pairsDiffering, 1);
    ASSERT_EQ(check.differences.size(), 1u);
    EXPECT_EQ(check.differences[0].code, "02");
    EXPECT_EQ(check.differences[0].invCode, "A001");
    EXPECT_DOUBLE_EQ(check.differences[0].expectedMoney, 20.0);
    EXPECT_DOUBLE_EQ(check.differences[0].foundMoney, 21.0);
    EXPECT_TRUE(hasFailure("check pair 02/A001"));
}

INSTANTIATE_TEST_SUITE_P(BothDialects, RunFigures, ::testing::Values(std::int16_t{0}, std::int16_t{1}),
                         [](const auto& p) { return p.param == 1 ? "Server" : "Desktop"; });

TEST(RunPairs, LeaveRowsWithANullItemOrDepartmentCodeAloneAndReportThem) {
    AccountSet set;
    set.useDepartmentMode();
    set.addSetting("AA", "iStrsQuanDecDgt", "2");
    set.addDepartment("D1", "一部");
    set.addWarehouse("W1", "甲库", "D1");
    set.addWarehouse("W9", "无部门库", std::nullopt);
    // The item code '' is a real code; a Null one belongs to no pair, though its figures agree with it.
    set.addInventory("", "空编码");
    (void)set.addReceipt(Receipt{.whCode = "W1", .code = "R-W1"},
                         {ReceiptLine{.invCode = "", .quantity = 4, .unitCost = 1, .price = 4}});
    set.addOpeningRow({.whCode = "W1", .invCode = "", .quantity = 4, .money = 4, .vouCode = "OLD"});
    set.addOpeningRow({.whCode = "W1", .invCode = "-", .quantity = 4, .money = 4, .vouCode = "NULLITEM"});
    set.exec("update IA_Subsidiary set cInvCode=null where cVouCode='NULLITEM'");
    set.addOpeningRow({.whCode = "W9", .invCode = "A1", .quantity = 2, .money = 2, .vouCode = "NODEP"});

    RunContext context;
    // Rows that belong to no pair, or to a department-less warehouse, failed: the run answers false.
    EXPECT_FALSE(executeRun(context, DialectChoice::fromHostFlag(0), set.connect()));

    const RunReport& report = context.report;
    EXPECT_EQ(report.pairsRegenerated, 1);
    EXPECT_EQ(report.pairsFailed, 2);
    EXPECT_EQ(set.count("IA_Subsidiary", "cVouCode='R-W1' and cInvCode=''"), 1);
    EXPECT_EQ(set.count("IA_Subsidiary", "cVouCode='NULLITEM' and cInvCode is null"), 1);
    EXPECT_EQ(set.count("IA_Subsidiary", "cVouCode='NODEP'"), 1);
    EXPECT_EQ(set.count("IA_Subsidiary", "cVouCode='OLD'"), 0);
    const auto named = [&](std::string_view step) {
        return std::any_of(report.failures.begin(), report.failures.end(),
                           [&](const StepFailure& f) { return f.step == step; });
    };
    EXPECT_TRUE(named("pair summary row D1/"));
    EXPECT_TRUE(named("opening rows of warehouse W9 without a department"));
    ConnectionPool::clear();
}

// Values of AccSql other than 0 and 1: the issued-quantity pass speaks the desktop dialect, the pair loop the
// server's.
TEST(RunPairs, TakeTheDialectOfEachStepByItsOwnTestForOtherFlagValues) {
    for (const std::int16_t accSql : {std::int16_t{2}, std::int16_t{-1}}) {
        SCOPED_TRACE(accSql);
        AccountSet set;
        set.useWarehouseMode();
        set.addWarehouse("01", "一号库", std::nullopt);
        (void)set.addReceipt(Receipt{.whCode = "01"},
                             {ReceiptLine{.invCode = "A001", .quantity = 10, .unitCost = 2, .price = 20}});
        set.addOpeningRow({.whCode = "01", .invCode = "A001", .quantity = 10, .money = 20});
        std::vector<std::string> sent;
        RunContext context;
        {
            ScopedEngineHooks hooks({.beforeStatement = [&](std::string_view s) { sent.emplace_back(s); }});
            EXPECT_TRUE(executeRun(context, DialectChoice::fromHostFlag(accSql), set.connect()));
        }
        const auto wasSent = [&](const std::string& s) {
            return std::find(sent.begin(), sent.end(), s) != sent.end();
        };
        EXPECT_TRUE(wasSent(sql::issuedQuantityPrepare(Dialect::Desktop)[2].text()));
        EXPECT_TRUE(
            wasSent(sql::regenerationDelete(Dialect::Server, PairMode::Warehouse, "01", "A001").text()));
        EXPECT_EQ(context.report.pairsRegenerated, 1);
        ConnectionPool::clear();
    }
}

}  // namespace
}  // namespace tarvenish
