#include "reconcile/run.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/adjustment_presenter.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "ledger/db/connection.h"
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

// Answers every dialog with `answer` and records `recorded` in the report, as a dialog that did so would.
class AnsweringPresenter final : public AdjustmentPresenter {
public:
    AnsweringPresenter(DialogResult answer, std::optional<StepFailure> recorded)
        : m_answer(std::move(answer)), m_recorded(std::move(recorded)) {}

    DialogResult showModal(PairMode mode, RunReport& report) override {
        modes.push_back(mode);
        if (m_recorded) report.recordFailure(*m_recorded);
        return m_answer;
    }

    std::vector<PairMode> modes;

private:
    DialogResult m_answer;
    std::optional<StepFailure> m_recorded;
};

// One warehouse-mode pair, 01/A001, whose old opening row is a cent off its receipt line: it goes to the
// dialog.
class RunCountsTheDialogsAnswer : public ::testing::TestWithParam<std::int16_t> {
protected:
    void SetUp() override {
        m_set.useWarehouseMode();
        m_set.addSetting("AA", "iStrsQuanDecDgt", "2");
        m_set.addWarehouse("01", "一号库", std::nullopt);
        m_set.addInventory("A001", "存货");
        (void)m_set.addReceipt(Receipt{.whCode = "01", .code = "R-01"},
                               {ReceiptLine{.invCode = "A001", .quantity = 10, .unitCost = 2, .price = 20}});
        m_set.addOpeningRow(OpeningRowSeed{
            .whCode = "01", .invCode = "A001", .quantity = 10, .money = 20.01, .vouCode = "OLD"});
    }
    void TearDown() override { ConnectionPool::clear(); }

    bool runAnswering(DialogResult answer, std::optional<StepFailure> recorded = std::nullopt) {
        m_presenter = std::make_shared<AnsweringPresenter>(std::move(answer), std::move(recorded));
        m_context.presenter = m_presenter;
        return executeRun(m_context, DialectChoice::fromHostFlag(GetParam()), m_set.connect());
    }

    AccountSet m_set;
    RunContext m_context;
    std::shared_ptr<AnsweringPresenter> m_presenter;
};

TEST_P(RunCountsTheDialogsAnswer, CountsAFailedPairOnceThoughTheDialogRecordedNothing) {
    DialogResult failed;
    failed.outcome = PairOutcome::Failed;
    failed.failure = StepFailure{"confirm pair 01/A001", "", "the rows could not be written"};
    EXPECT_FALSE(runAnswering(failed));

    const RunReport& report = m_context.report;
    EXPECT_EQ(report.pairsFailed, 1);
    EXPECT_EQ(report.pairsSkipped, 0);
    EXPECT_EQ(report.pairsConfirmed, 0);
    ASSERT_EQ(m_presenter->modes.size(), 1U);
    EXPECT_EQ(m_presenter->modes[0], PairMode::Warehouse);
}

TEST_P(RunCountsTheDialogsAnswer, LeavesAPairTheDialogClosedThoughItRecordedAFailure) {
    EXPECT_TRUE(runAnswering(DialogResult{}, StepFailure{"message box", "", "the box could not be shown"}));

    const RunReport& report = m_context.report;
    EXPECT_EQ(report.pairsSkipped, 1);
    EXPECT_EQ(report.pairsFailed, 0);
    ASSERT_FALSE(report.failures.empty());
    EXPECT_EQ(report.failures[0].step, "message box");
}

TEST_P(RunCountsTheDialogsAnswer, StopsOnACancelAnswerAndCountsNothingForThePair) {
    DialogResult cancelled;
    cancelled.cancelled = true;
    EXPECT_FALSE(runAnswering(cancelled));

    const RunReport& report = m_context.report;
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.pairsSkipped + report.pairsFailed + report.pairsConfirmed, 0);
    EXPECT_EQ(m_set.count("IA_Subsidiary", "cVouCode='OLD'"), 1);
}

TEST_P(RunCountsTheDialogsAnswer, HandsTheDialogTheRunsDepartmentMode) {
    m_set.exec("update AccInformation set cValue='按部门核算' where cName='cValueStyle'");
    m_set.exec("update Warehouse set cDepCode='D1'");
    EXPECT_TRUE(runAnswering(DialogResult{}));
    ASSERT_EQ(m_presenter->modes.size(), 1U);
    EXPECT_EQ(m_presenter->modes[0], PairMode::Department);
    EXPECT_EQ(m_context.report.pairsSkipped, 1);
}

INSTANTIATE_TEST_SUITE_P(BothDialects, RunCountsTheDialogsAnswer, ::testing::Values<std::int16_t>(0, 1));

}  // namespace
}  // namespace tarvenish
