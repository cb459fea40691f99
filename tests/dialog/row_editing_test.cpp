#include "dialog_fixture.h"

namespace tarvenish::test {
namespace {

using CellEditing = DialogTest;

TEST_F(CellEditing, QuantityTimesPriceGivesMoney) {
    shapeGrid({{"R1", "1", "1.50", "1.50"}});
    EXPECT_EQ(grid().userEdit(1, grid::kQuantity, "2"), 2);
    EXPECT_EQ(cell(1, grid::kQuantity), "2");
    EXPECT_EQ(cell(1, grid::kMoney), "3.00");
    EXPECT_DOUBLE_EQ(state().SumQuantity, 2.0);
    EXPECT_DOUBLE_EQ(state().SumMoney, 3.0);
}

TEST_F(CellEditing, QuantityWithoutPriceDerivesPriceFromMoney) {
    shapeGrid({{"R1", "", "", "25"}});
    grid().userEdit(1, grid::kQuantity, "10");
    EXPECT_EQ(cell(1, grid::kUnitPrice), "2.50");
    EXPECT_EQ(cell(1, grid::kMoney), "25");
}

TEST_F(CellEditing, EmptyQuantityEmptiesMoneyAndLowersTotals) {
    state().AccountSettings.QuantityDigits = 2;
    shapeGrid({{"R1", "4", "", "5"}, {"R2", "1", "", "2"}});
    grid().userEdit(2, grid::kQuantity, "1");
    ASSERT_DOUBLE_EQ(state().SumMoney, 7.0);
    EXPECT_EQ(grid().userEdit(1, grid::kQuantity, ""), 2);
    EXPECT_EQ(cell(1, grid::kQuantity), "0.00");
    EXPECT_EQ(cell(1, grid::kMoney), "");
    EXPECT_DOUBLE_EQ(state().SumQuantity, 1.0);
    EXPECT_DOUBLE_EQ(state().SumMoney, 2.0);
    EXPECT_EQ(controls().Label10->Caption(), messageText(msg::kMoneyTotal) + "2.00");
}

TEST_F(CellEditing, RefusesNonNumericPriceWithoutTouchingTheLine) {
    shapeGrid({{"R1", "2", "1.50", "3.00"}});
    grid().userEdit(1, grid::kQuantity, "2");
    m_messages->clearShown();
    state().SumMoney = 42.0;  // a refused entry must not recompute the totals

    EXPECT_EQ(grid().userEdit(1, grid::kUnitPrice, "abc"), 1);
    ASSERT_EQ(boxes().size(), 1U);
    EXPECT_EQ(boxes()[0], (ShownMessage{messageText(msg::kNotANumber), msgbox::kStop, ""}));
    EXPECT_EQ(cell(1, grid::kUnitPrice), "1.50");
    EXPECT_EQ(cell(1, grid::kMoney), "3.00");
    EXPECT_DOUBLE_EQ(state().SumMoney, 42.0);
}

TEST_F(CellEditing, RefusedQuantityPutsBackThePreviousOneAndTheTotalsFollowIt) {
    shapeGrid({{"R1", "2", "1.50", "3.00"}, {"R2", "1", "1.50", "1.50"}});
    grid().userEdit(1, grid::kQuantity, "2");
    m_messages->clearShown();

    EXPECT_EQ(grid().userEdit(1, grid::kQuantity, "abc"), 1);
    ASSERT_EQ(boxes().size(), 1U);
    EXPECT_EQ(boxes()[0].prompt, messageText(msg::kNotANumber));
    EXPECT_EQ(cell(1, grid::kQuantity), "2");
    EXPECT_DOUBLE_EQ(state().SumQuantity, 3.0);
    EXPECT_DOUBLE_EQ(state().SumMoney, 4.5);
}

TEST_F(CellEditing, RefusesAFigureBeyondOneQuadrillionOrOneWhoseResultWouldBe) {
    shapeGrid({{"R1", "2", "1.50", "3.00"}});
    EXPECT_EQ(grid().userEdit(1, grid::kMoney, "1e308"), 1);
    EXPECT_EQ(grid().userEdit(1, grid::kQuantity, "-1e16"), 1);
    EXPECT_EQ(grid().userEdit(1, grid::kUnitPrice, "1e15"), 1);  // money 2e15
    EXPECT_EQ(grid().userEdit(1, grid::kQuantity, "12345678901234567890123"), 1);
    EXPECT_EQ(boxes().size(), 4U);
    for (const ShownMessage& box : boxes()) EXPECT_EQ(box.prompt, messageText(msg::kFigureTooLarge));
    EXPECT_EQ(cell(1, grid::kQuantity), "2");
    EXPECT_EQ(cell(1, grid::kUnitPrice), "1.50");
    EXPECT_EQ(cell(1, grid::kMoney), "3.00");
    EXPECT_EQ(grid().userEdit(1, grid::kMoney, "1e15"), 2);
}

TEST_F(CellEditing, RefusesNegativePricePuttingBackThePreviousOne) {
    shapeGrid({{"R1", "2", "1.50", "3.00"}});
    state().SumMoney = 42.0;
    EXPECT_EQ(grid().userEdit(1, grid::kUnitPrice, "-1"), 1);
    ASSERT_EQ(boxes().size(), 1U);
    EXPECT_EQ(boxes()[0], (ShownMessage{messageText(msg::kNegativePrice), msgbox::kStop, ""}));
    EXPECT_EQ(cell(1, grid::kUnitPrice), "1.50");
    EXPECT_EQ(cell(1, grid::kMoney), "3.00");
    EXPECT_DOUBLE_EQ(state().SumMoney, 3.0);
}

TEST_F(CellEditing, PriceIsMaskedAndSetsMoney) {
    shapeGrid({{"R1", "3", "", ""}});
    EXPECT_EQ(grid().userEdit(1, grid::kUnitPrice, "1.5"), 2);
    EXPECT_EQ(cell(1, grid::kUnitPrice), "1.50");
    EXPECT_EQ(cell(1, grid::kMoney), "4.50");
    EXPECT_DOUBLE_EQ(state().SumMoney, 4.5);
}

TEST_F(CellEditing, MoneyDerivesPriceFromQuantity) {
    shapeGrid({{"R1", "3", "", ""}});
    EXPECT_EQ(grid().userEdit(1, grid::kMoney, "40"), 2);
    EXPECT_EQ(cell(1, grid::kMoney), "40.00");
    EXPECT_EQ(cell(1, grid::kUnitPrice), "13.33");
    EXPECT_DOUBLE_EQ(state().SumMoney, 40.0);
}

TEST_F(CellEditing, OtherColumnsLeaveStatusAloneAndRecomputeTotals) {
    shapeGrid({{"R1", "2", "", "5"}});
    state().SumQuantity = 99.0;
    EXPECT_EQ(grid().userEdit(1, 50, "memo"), 0);
    EXPECT_DOUBLE_EQ(state().SumQuantity, 2.0);
}

using BalancingLine = DialogTest;

TEST_F(BalancingLine, TakesUpTheDifferenceWithTheNextSerial) {
    shapeGrid({{"R1", "7", "", "60"}});
    state().Quantity = 10.0;
    state().Money = 100.0;
    state().SumQuantity = 7.0;
    state().SumMoney = 60.0;
    controls().ChKAuto->Value(0);
    controls().ChKAuto->userClick();

    ASSERT_EQ(grid().RowCount(), 3);
    EXPECT_EQ(cell(2, grid::kVoucherCode), "JUST100001");
    EXPECT_EQ(cell(2, grid::kQuantity), "3");
    EXPECT_EQ(cell(2, grid::kUnitPrice), "13.33");
    EXPECT_EQ(cell(2, grid::kMoney), "40.00");
    EXPECT_EQ(state().JustSerial, "100001");
    EXPECT_EQ(controls().Label9->Caption(), messageText(msg::kQuantityTotal) + "10");
    EXPECT_EQ(controls().Label10->Caption(), messageText(msg::kMoneyTotal) + "100.00");
    EXPECT_TRUE(grid().hasFocus());
}

TEST_F(BalancingLine, AddsNothingWhenTotalsAgreeButFocusesTheGrid) {
    shapeGrid({{"R1", "7", "", "60"}});
    state().Quantity = state().SumQuantity = 7.0;
    state().Money = state().SumMoney = 60.0;
    controls().ChKAuto->Value(0);
    controls().TxtPrice->SetFocus();
    controls().ChKAuto->userClick();
    EXPECT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(state().JustSerial, "100000");
    EXPECT_TRUE(grid().hasFocus());
}

TEST_F(BalancingLine, ClearingTheTickAddsNothing) {
    shapeGrid({});
    state().Quantity = 5.0;
    controls().ChKAuto->userClick();  // ticked at design time: this clears it
    EXPECT_EQ(grid().RowCount(), 1);
}

TEST_F(BalancingLine, ZeroQuantityDifferenceLeavesThePriceEmpty) {
    shapeGrid({{"R1", "10", "", "90"}});
    state().Quantity = state().SumQuantity = 10.0;
    state().Money = 100.0;
    state().SumMoney = 90.0;
    controls().ChKAuto->Value(0);
    controls().ChKAuto->userClick();
    EXPECT_EQ(cell(2, grid::kQuantity), "0");
    EXPECT_EQ(cell(2, grid::kMoney), "10.00");
    EXPECT_EQ(cell(2, grid::kUnitPrice), "");
}

using AveragePrice = DialogTest;

TEST_F(AveragePrice, GivesEveryLineThePriceOfTheFrame) {
    shapeGrid({{"R1", "2", "9.00", "18.00"}, {"JUST100001", "3", "", ""}});
    controls().TxtPrice->Text("1.5");
    controls().ChkAver->userClick();
    EXPECT_EQ(cell(1, grid::kUnitPrice), "1.50");
    EXPECT_EQ(cell(1, grid::kMoney), "3.00");
    EXPECT_EQ(cell(2, grid::kUnitPrice), "1.50");
    EXPECT_EQ(cell(2, grid::kMoney), "4.50");
    EXPECT_DOUBLE_EQ(state().SumQuantity, 5.0);
    EXPECT_DOUBLE_EQ(state().SumMoney, 7.5);
}

TEST_F(AveragePrice, LeavesALineWithANonNumericQuantityOutOfTheTotals) {
    shapeGrid({{"R1", "2", "", ""}, {"R2", "3kg", "", ""}});
    controls().TxtPrice->Text("2");
    controls().ChkAver->userClick();
    EXPECT_EQ(cell(2, grid::kMoney), "6.00");
    EXPECT_DOUBLE_EQ(state().SumQuantity, 2.0);
    EXPECT_DOUBLE_EQ(state().SumMoney, 10.0);
}

TEST_F(AveragePrice, OnAnEmptyGridChangesNothing) {
    shapeGrid({});
    state().SumQuantity = 3.0;
    controls().TxtPrice->Text("2");
    controls().ChkAver->userClick();
    EXPECT_EQ(grid().RowCount(), 1);
    EXPECT_DOUBLE_EQ(state().SumQuantity, 0.0);
    EXPECT_DOUBLE_EQ(state().SumMoney, 0.0);
}

// A price derived from a money entry is refused when negative, as a typed one is.
TEST_F(CellEditing, RefusesAMoneyWhosePriceWouldBeNegative) {
    shapeGrid({{"R1", "1", "7.27", "7.27"}});
    EXPECT_EQ(grid().userEdit(1, grid::kMoney, "-7.27"), 1);
    ASSERT_EQ(boxes().size(), 1U);
    EXPECT_EQ(boxes()[0].prompt, messageText(msg::kNegativePrice));
    EXPECT_EQ(cell(1, grid::kMoney), "7.27");
    EXPECT_EQ(cell(1, grid::kUnitPrice), "7.27");
}

}  // namespace
}  // namespace tarvenish::test
