#include "dialog/dialog_fixture.h"

#include <csignal>

#include "ledger/db/stop_request.h"
#include "platform/headless/adjustment_presenters.h"

namespace tarvenish::test {
namespace {

TEST(AdjustmentPolicyNames, ReadTheFourPoliciesInAnyCase) {
    EXPECT_EQ(parseAdjustmentPolicy("skip"), AdjustmentPolicy::Skip);
    EXPECT_EQ(parseAdjustmentPolicy("Cancel"), AdjustmentPolicy::Cancel);
    EXPECT_EQ(parseAdjustmentPolicy("BALANCE"), AdjustmentPolicy::Balance);
    EXPECT_EQ(parseAdjustmentPolicy("average"), AdjustmentPolicy::Average);
    EXPECT_EQ(parseAdjustmentPolicy("ok"), std::nullopt);
}

// Pair W1/I1 with one old row and two receipt lines (3 at 2.00, 2 at 2.00) against ledger totals 5 and 15.
class HeadlessPresenter : public AccountSetDialogTest {
protected:
    void SetUp() override {
        AccountSetDialogTest::SetUp();
        OpeningRowSeed old;
        old.whCode = "W1";
        old.invCode = "I1";
        old.vouCode = "OLD";
        m_set.addOpeningRow(old);
        addReceipt(receiptOf("W1", "R-1"), {lineOf(3.0, 2.0, 6.0)});
        addReceipt(receiptOf("W1", "R-2"), {lineOf(2.0, 2.0, 4.0)});
        pairTotals(5.0, 15.0);
    }
    static constexpr PairMode mode = PairMode::Warehouse;
    [[nodiscard]] double money(std::string_view code) const {
        return m_set.scalar("select iainprice from IA_Subsidiary where cVouCode='" + std::string(code) + "'")
            .asDouble();
    }
};

TEST_F(HeadlessPresenter, SkipClosesWithoutWriting) {
    const DialogResult result = HeadlessAdjustmentPresenter(AdjustmentPolicy::Skip).showModal(mode, report());
    EXPECT_EQ(m_set.count("IA_Subsidiary", "cVouCode='OLD'"), 1);
    EXPECT_FALSE(state().StopRun);
    EXPECT_EQ(result.outcome, PairOutcome::Skipped);
    EXPECT_FALSE(result.cancelled);
}

TEST_F(HeadlessPresenter, CancelStopsTheRun) {
    const DialogResult result =
        HeadlessAdjustmentPresenter(AdjustmentPolicy::Cancel).showModal(mode, report());
    EXPECT_EQ(m_set.count("IA_Subsidiary", "cVouCode='OLD'"), 1);
    EXPECT_TRUE(state().StopRun);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.outcome, PairOutcome::Skipped);
}

TEST_F(HeadlessPresenter, AStopRequestAnswersCancelWhateverThePolicy) {
    requestStop(SIGTERM);
    const DialogResult result =
        HeadlessAdjustmentPresenter(AdjustmentPolicy::Balance).showModal(mode, report());
    clearStopRequest();
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(m_set.count("IA_Subsidiary"), 1);
    EXPECT_EQ(m_set.count("IA_Subsidiary", "cVouCode='OLD'"), 1);
    EXPECT_TRUE(state().StopRun);
}

TEST_F(HeadlessPresenter, BalanceAddsTheDifferenceAsOneLine) {
    (void)HeadlessAdjustmentPresenter(AdjustmentPolicy::Balance).showModal(mode, report());
    EXPECT_EQ(m_set.count("IA_Subsidiary"), 3);
    EXPECT_DOUBLE_EQ(money("R-1"), 6.0);
    EXPECT_DOUBLE_EQ(money("JUST100001"), 5.0);
}

TEST_F(HeadlessPresenter, ReturnsWhatTheConfirmWroteAndCountsNothingItself) {
    const DialogResult result =
        HeadlessAdjustmentPresenter(AdjustmentPolicy::Balance).showModal(mode, report());
    ASSERT_EQ(result.outcome, PairOutcome::Confirmed);
    EXPECT_FALSE(result.cancelled);
    ASSERT_TRUE(result.confirmed);
    EXPECT_DOUBLE_EQ(result.confirmed->quantity, 5.0);
    EXPECT_DOUBLE_EQ(result.confirmed->money, 15.0);
    EXPECT_EQ(result.confirmed->rowsDeleted, 1);
    EXPECT_EQ(result.confirmed->rowsInserted, 3);
    ASSERT_TRUE(result.confirmed->balancing);
    EXPECT_EQ(result.confirmed->balancing->voucherCode, "JUST100001");
    EXPECT_DOUBLE_EQ(result.confirmed->balancing->money, 5.0);
    // The run counts the pair from this answer, once.
    EXPECT_EQ(report().pairsConfirmed, 0);
    EXPECT_EQ(report().rowsInserted, 0);
}

TEST_F(HeadlessPresenter, AverageRepricesEveryLineAtThePairsPrice) {
    (void)HeadlessAdjustmentPresenter(AdjustmentPolicy::Average).showModal(mode, report());
    EXPECT_EQ(m_set.count("IA_Subsidiary"), 2);
    EXPECT_DOUBLE_EQ(money("R-1"), 9.0);
    EXPECT_DOUBLE_EQ(money("R-2"), 6.0);
}

}  // namespace
}  // namespace tarvenish::test
