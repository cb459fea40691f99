#include "dialog_fixture.h"

namespace tarvenish::test {
namespace {

using DialogLoading = AccountSetDialogTest;

TEST_F(DialogLoading, FillsTheFrameAndTheGridFromThePairsReceiptLines) {
    state().InvStd = "M8";
    pairTotals(12.0, 30.0);
    addReceipt(receiptOf("W1", "R-1"), {lineOf(10.0, 2.5, 25.0)});
    addReceipt(receiptOf("W1", "R-2"), {lineOf(4.0, 1.0, 4.0)});
    m_set.exec("UPDATE RdRecords SET isOutQuantity_s = 2 WHERE ID = 2");
    addReceipt(receiptOf("W2", "R-3"), {lineOf(99.0)});

    show({});

    FrmjustaccountControls& c = controls();
    EXPECT_EQ(c.Label3->Caption(), messageText(msg::kWarehouse));
    EXPECT_EQ(c.TxtWhare->Text(), "Main store");
    EXPECT_EQ(c.TxtInv->Text(), "I1/Bolt");
    EXPECT_EQ(c.TxtStyle->Text(), "M8");
    EXPECT_EQ(c.TxtQuan->Text(), "12");
    EXPECT_EQ(c.TxtPrice->Text(), "2.50");
    EXPECT_EQ(c.TxtMoney->Text(), "30.00");

    KVGrid& g = grid();
    ASSERT_EQ(g.RowCount(), 3);
    ASSERT_EQ(g.ColCount(), 72);
    EXPECT_EQ(g.FixedColCount(), 69);
    EXPECT_EQ(g.FixedRowCount(), 1);
    EXPECT_EQ(cell(1, grid::kVoucherCode), "R-1");
    EXPECT_EQ(cell(1, grid::kQuantity), "10");
    EXPECT_EQ(cell(1, grid::kUnitPrice), "2.50");
    EXPECT_EQ(cell(1, grid::kMoney), "25.00");
    EXPECT_EQ(cell(2, grid::kQuantity), "2");
    EXPECT_EQ(cell(2, grid::kMoney), "2.00");
    EXPECT_DOUBLE_EQ(state().SumQuantity, 12.0);
    EXPECT_DOUBLE_EQ(state().SumMoney, 27.0);
    EXPECT_EQ(c.Label9->Caption(), messageText(msg::kQuantityTotal) + "12");
    EXPECT_EQ(c.Label10->Caption(), messageText(msg::kMoneyTotal) + "27.00");
}

TEST_F(DialogLoading, ShowsOnlyTheFourVisibleColumnsWithCentredHeaders) {
    addReceipt(receiptOf("W1", "R-1"), {lineOf(1.0)});
    show({});
    for (long col = 0; col < 72; ++col) {
        const long expected = col == 3 ? 1000 : col >= 69 ? 1200 : 0;
        EXPECT_EQ(grid().ColumnWidth(col), expected) << "column " << col;
        EXPECT_EQ(grid().cellAlignAt(0, col), 4) << "column " << col;
    }
    EXPECT_EQ(cell(0, 3), messageText(msg::kVoucherCodeHeader));
    EXPECT_EQ(cell(0, 69), messageText(msg::kQuantityHeader));
    EXPECT_EQ(cell(0, 70), messageText(msg::kUnitPriceHeader));
    EXPECT_EQ(cell(0, 71), messageText(msg::kMoneyHeader));
    EXPECT_TRUE(grid().hasFocus());
}

TEST_F(DialogLoading, KeepsOnlyTheHeaderRowForAPairWithoutReceipts) {
    state().AccountSettings.QuantityDigits = 3;
    show({});
    EXPECT_EQ(grid().RowCount(), 1);
    EXPECT_EQ(grid().ColCount(), 72);
    EXPECT_EQ(cell(0, 71), messageText(msg::kMoneyHeader));
    EXPECT_EQ(grid().cellAlignAt(0, 71), 4);
    EXPECT_EQ(controls().Label9->Caption(), messageText(msg::kQuantityTotal) + "0.000");
    EXPECT_EQ(controls().Label10->Caption(), messageText(msg::kMoneyTotal) + "0.00");
    EXPECT_EQ(controls().TxtPrice->Text(), "");
}

TEST_F(DialogLoading, ReadsTheDepartmentsWarehousesInDepartmentMode) {
    departmentMode();
    state().WhCode = "D1";
    addReceipt(receiptOf("W1", "R-D"), {lineOf(3.0)});
    show({});
    EXPECT_EQ(controls().Label3->Caption(), messageText(msg::kDepartment));
    ASSERT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(cell(1, grid::kVoucherCode), "R-D");
}

TEST_F(DialogLoading, WorksInTheServerDialectToo) {
    state().Dialects = DialectChoice::fromHostFlag(1);
    addReceipt(receiptOf("W1", "R-S"), {lineOf(3.0, 2.0, 6.0)});
    show({});
    ASSERT_EQ(grid().RowCount(), 2);
    EXPECT_EQ(cell(1, grid::kQuantity), "3");
    EXPECT_EQ(cell(1, grid::kMoney), "6.00");
}

TEST_F(DialogLoading, LetsAFailingStatementReachTheCaller) {
    ScopedEngineHooks hooks(failingStatement("SELECT"));
    EXPECT_THROW(show({}), DbError);
    EXPECT_FALSE(m_window.isLoaded());
}

}  // namespace
}  // namespace tarvenish::test
