#include "dialog_fixture.h"

namespace tarvenish::test {
namespace {

using AddLine = DialogTest;

TEST_F(AddLine, TwoClicksTakeTheNextTwoSerialsAndKeepTheTotals) {
    shapeGrid({{"R1", "4", "", "10"}});
    state().SumQuantity = 4.0;
    m_form->command1Click();
    m_form->command1Click();
    ASSERT_EQ(grid().RowCount(), 4);
    EXPECT_EQ(cell(2, grid::kVoucherCode), "JUST100001");
    EXPECT_EQ(cell(3, grid::kVoucherCode), "JUST100002");
    EXPECT_EQ(cell(3, grid::kQuantity), "");
    EXPECT_DOUBLE_EQ(state().SumQuantity, 4.0);
    EXPECT_EQ(grid().CurrentRow(), 3) << "the added line is the one the user sees and types in";
    EXPECT_EQ(grid().CurrentCol(), grid::kQuantity);
}

using DeleteLine = DialogTest;

TEST_F(DeleteLine, AsksNothingWithTheHeaderRowCurrent) {
    shapeGrid({{"R1", "4", "", "10"}});
    grid().CurrentRow(0);
    m_form->command2Click();
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(grid().RowCount(), 2);
}

TEST_F(DeleteLine, ChangesNothingWhenCancelled) {
    shapeGrid({{"R1", "4", "", "10"}, {"R2", "1", "", "1"}});
    grid().CurrentRow(1);
    m_messages->queueAnswer(msgbox::kCancel);
    m_form->command2Click();
    ASSERT_EQ(boxes().size(), 1U);
    EXPECT_EQ(boxes()[0], (ShownMessage{messageText(msg::kConfirmDelete), 33, messageText(msg::kBoxTitle)}));
    EXPECT_EQ(grid().RowCount(), 3);
}

TEST_F(DeleteLine, RemovesTheCurrentLineAndLowersTheTotals) {
    shapeGrid({{"R1", "4", "", "10"}, {"R2", "1", "", "1"}});
    grid().CurrentRow(1);
    m_form->command2Click();
    ASSERT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(cell(1, grid::kVoucherCode), "R2");
    EXPECT_DOUBLE_EQ(state().SumQuantity, 1.0);
    EXPECT_DOUBLE_EQ(state().SumMoney, 1.0);
}

TEST_F(DeleteLine, OfTheOnlyLineLeavesTheHeaderAndZeroTotals) {
    state().AccountSettings.QuantityDigits = 2;
    shapeGrid({{"R1", "4", "", "10"}});
    grid().CurrentRow(1);
    state().SumQuantity = 4.0;
    state().SumMoney = 10.0;
    m_form->command2Click();
    EXPECT_EQ(grid().RowCount(), 1);
    EXPECT_DOUBLE_EQ(state().SumQuantity, 0.0);
    EXPECT_DOUBLE_EQ(state().SumMoney, 0.0);
    EXPECT_EQ(controls().Label9->Caption(), messageText(msg::kQuantityTotal) + "0.00");
    EXPECT_EQ(controls().Label10->Caption(), messageText(msg::kMoneyTotal) + "0.00");
}

}  // namespace
}  // namespace tarvenish::test
