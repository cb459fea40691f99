#include "dialog_fixture.h"

namespace tarvenish::test {
namespace {

void pressOk(DialogWindow& window) {
    window.controls().cmdOkCancel[0]->userClick();
}

class OpeningRowWriter : public AccountSetDialogTest {
protected:
    // The stored row with voucher code `code`, as column name -> value.
    [[nodiscard]] Value field(std::string_view code, std::string_view column) const {
        return m_set.scalar("select " + std::string(column) + " from IA_Subsidiary where cVouCode='" +
                            std::string(code) + "'");
    }
    [[nodiscard]] std::string text(std::string_view code, std::string_view column) const {
        return field(code, column).displayText();
    }
};

TEST_F(OpeningRowWriter, GivesAnAddedLineThePairsIdentityAndFixedMarks) {
    pairTotals(4.0, 10.0);
    show([](DialogWindow& window) {
        KVGrid& grid = *window.controls().Grid;
        window.controls().Command1->userClick();
        grid.userEdit(1, grid::kQuantity, "4");
        grid.userEdit(1, grid::kMoney, "10");
        pressOk(window);
    });
    const std::string code = "JUST100001";
    ASSERT_EQ(m_set.count("IA_Subsidiary"), 1);
    EXPECT_EQ(field(code, "brdflag").asLong(), 1);
    EXPECT_EQ(field(code, "bflag").asLong(), 0);
    EXPECT_EQ(field(code, "bmoneyflag").asLong(), 1);
    EXPECT_EQ(field(code, "bsale").asLong(), 0);
    EXPECT_EQ(field(code, "imonth").asLong(), 0);
    EXPECT_EQ(text(code, "cvoutype"), "34");
    EXPECT_EQ(text(code, "cpzid"), "0");
    EXPECT_EQ(field(code, "dkeepdate").asDate(), makeDate(2024, 1, 1));
    EXPECT_EQ(text(code, "cinvcode"), "I1");
    EXPECT_EQ(text(code, "cWhcode"), "W1");
    EXPECT_EQ(text(code, "caccounter"), "acc");
    EXPECT_EQ(text(code, "cMaker"), "mk");
    EXPECT_DOUBLE_EQ(field(code, "iainquantity").asDouble(), 4.0);
    EXPECT_DOUBLE_EQ(field(code, "iincost").asDouble(), 2.5);
    EXPECT_DOUBLE_EQ(field(code, "iainprice").asDouble(), 10.0);
    for (const char* column : {"cdepcode", "ID", "dvoudate", "cbatchcode", "cmemo", "cbustype", "cdefine1",
                               "cdefine27", "iaoutquantity", "valueid"}) {
        EXPECT_TRUE(field(code, column).isNull()) << column;
    }
}

TEST_F(OpeningRowWriter, CopiesAReceiptLineWithTheAdjustedFigures) {
    pairTotals(2.0, 7.0);
    Receipt receipt = receiptOf("W1", "R-1");
    receipt.maker = "";
    ReceiptLine line = lineOf(3.0, 2.0, 6.0);
    line.batch = "B7";
    addReceipt(receipt, {line});
    show([](DialogWindow& window) {
        window.controls().Grid->userEdit(1, grid::kQuantity, "2");
        window.controls().Grid->userEdit(1, grid::kMoney, "7");
        pressOk(window);
    });
    ASSERT_EQ(m_set.count("IA_Subsidiary"), 1);
    EXPECT_EQ(field("R-1", "cMaker"), Value::text(""));
    EXPECT_TRUE(field("R-1", "cmemo").isNull());
    EXPECT_EQ(text("R-1", "caccounter"), "acc");
    EXPECT_EQ(text("R-1", "cbatchcode"), "B7");
    EXPECT_FALSE(field("R-1", "ID").isNull());
    EXPECT_DOUBLE_EQ(field("R-1", "iainquantity").asDouble(), 2.0);
    EXPECT_DOUBLE_EQ(field("R-1", "iincost").asDouble(), 3.5);
    EXPECT_DOUBLE_EQ(field("R-1", "iainprice").asDouble(), 7.0);
    EXPECT_TRUE(field("R-1", "cdepcode").isNull());
}

TEST_F(OpeningRowWriter, WritesALowerCaseJustCodeAsAReceiptLine) {
    pairTotals(3.0, 6.0);
    addReceipt(receiptOf("W1", "just0001"), {lineOf(3.0, 2.0, 6.0)});
    show(pressOk);
    ASSERT_EQ(m_set.count("IA_Subsidiary"), 1);
    EXPECT_FALSE(field("just0001", "ID").isNull());
    EXPECT_FALSE(field("just0001", "dvoudate").isNull());
}

TEST_F(OpeningRowWriter, FollowsThePairInDepartmentMode) {
    departmentMode();
    state().AccountSettings.ByDepartment = true;
    // The account set's first opening row stands in another department's warehouse.
    m_set.addWarehouse("W9", "Other store", "D2");
    state().AccountSettings.DepWhCode = "W9";
    state().WhCode = "D1";
    pairTotals(5.0, 10.0);
    addReceipt(receiptOf("W1", "R-1"), {lineOf(3.0, 2.0, 6.0)});
    OpeningRowSeed old;
    old.whCode = "W1";
    old.invCode = "I1";
    old.depCode = "D1";
    old.vouCode = "OLD";
    m_set.addOpeningRow(old);
    show(pressOk);

    EXPECT_EQ(m_set.count("IA_Subsidiary", "cVouCode='OLD'"), 0);
    EXPECT_EQ(text("R-1", "cWhcode"), "W1");
    EXPECT_EQ(text("R-1", "cdepcode"), "D1");
    // The added line stands in a warehouse of the pair's own department, so the next department fill keeps it
    // in this pair.
    EXPECT_EQ(text("JUST100001", "cWhcode"), "W1");
    EXPECT_EQ(text("JUST100001", "cdepcode"), "D1");
}

TEST_F(OpeningRowWriter, KeepsTheRememberedWarehouseWhenItBelongsToThePairsDepartment) {
    departmentMode();
    state().AccountSettings.ByDepartment = true;
    m_set.addWarehouse("W2", "Second store", "D1");
    state().AccountSettings.DepWhCode = "W2";
    state().WhCode = "D1";
    pairTotals(5.0, 10.0);
    addReceipt(receiptOf("W1", "R-1"), {lineOf(3.0, 2.0, 6.0)});
    show(pressOk);
    EXPECT_EQ(text("JUST100001", "cWhcode"), "W2");
}

TEST_F(OpeningRowWriter, StoresAnEmptyBalancingPriceAsNull) {
    pairTotals(3.0, 10.0);
    addReceipt(receiptOf("W1", "R-1"), {lineOf(3.0, 2.0, 6.0)});
    show(pressOk);
    EXPECT_EQ(text("JUST100001", "iainquantity"), "0");
    EXPECT_DOUBLE_EQ(field("JUST100001", "iainprice").asDouble(), 4.0);
    EXPECT_TRUE(field("JUST100001", "iincost").isNull());
}

}  // namespace
}  // namespace tarvenish::test
