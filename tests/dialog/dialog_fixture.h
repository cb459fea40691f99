#pragma once
// What the dialog tests share: a clean SharedState, a scripted message presenter, a headless window with the
// dialog's logic wired to it, and a temporary account set with one warehouse-mode pair.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "component/shared_state.h"
#include "dialog/frmjustaccount.h"
#include "dialog/grid_layout.h"
#include "ledger/db/engine_hooks.h"
#include "ledger/db/error.h"
#include "platform/headless/headless_dialog_window.h"
#include "support/account_set.h"

namespace tarvenish::test {

// One grid line: voucher code and the adjusted quantity, unit price and money texts.
struct GridLine {
    std::string code;
    std::string quantity;
    std::string price;
    std::string money;
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        sharedState() = SharedState{};
        sharedState().JustSerial = "100000";
        sharedState().AccountSettings.PriceDigits = 2;
        setMessagePresenter(m_messages);
    }
    void TearDown() override {
        setMessagePresenter(nullptr);
        sharedState() = SharedState{};
    }

    [[nodiscard]] SharedState& state() { return sharedState(); }
    [[nodiscard]] RunReport& report() { return m_context.report; }
    [[nodiscard]] FrmjustaccountControls& controls() { return m_window.controls(); }
    [[nodiscard]] KVGrid& grid() { return *controls().Grid; }
    [[nodiscard]] std::string cell(long row, long col) { return grid().CellText(row, col); }
    [[nodiscard]] const std::vector<ShownMessage>& boxes() const { return m_messages->shown(); }
    // What the latest showing did with its pair.
    [[nodiscard]] const DialogResult& result() const { return m_form->result(); }
    // Keys the pair by department from the next showing on, as a department-mode run does.
    void departmentMode() {
        state().PairByDepartment = true;
        m_form.emplace(m_window, m_context.report, PairMode::Department);
    }

    // A loaded-looking grid without a database: the header row and `lines`, events wired to the dialog.
    void shapeGrid(const std::vector<GridLine>& lines) {
        KVGrid& g = grid();
        g.RowCount(static_cast<long>(lines.size()) + 1);
        g.ColCount(grid::kColumnCount);
        for (long row = 1; row <= static_cast<long>(lines.size()); ++row) {
            const GridLine& line = lines[static_cast<std::size_t>(row - 1)];
            g.CellText(row, grid::kVoucherCode, line.code);
            g.CellText(row, grid::kQuantity, line.quantity);
            g.CellText(row, grid::kUnitPrice, line.price);
            g.CellText(row, grid::kMoney, line.money);
        }
        g.CellEdited = [this](std::string& text, long& status, long row, long col) {
            m_form->cellEdited(text, status, row, col);
        };
        controls().ChKAuto->Click = [this] { m_form->chkAutoClick(); };
        controls().ChkAver->Click = [this] { m_form->chkAverClick(); };
    }

    std::shared_ptr<HeadlessMessagePresenter> m_messages = std::make_shared<HeadlessMessagePresenter>();
    RunContext m_context;
    HeadlessDialogWindow m_window;
    std::optional<Frmjustaccount> m_form{std::in_place, m_window, m_context.report, PairMode::Warehouse};
};

// An opening receipt of warehouse `whCode` with voucher code `code`.
inline Receipt receiptOf(std::string whCode, std::string code) {
    Receipt receipt;
    receipt.whCode = std::move(whCode);
    receipt.code = std::move(code);
    return receipt;
}

// A line of item I1 with its quantity, unit cost and money.
inline ReceiptLine lineOf(double quantity, std::optional<double> unitCost = std::nullopt,
                          std::optional<double> money = std::nullopt) {
    ReceiptLine line;
    line.invCode = "I1";
    line.quantity = quantity;
    line.unitCost = unitCost;
    line.price = money;
    return line;
}

// Hooks that make every statement (or every statement containing `fragment`) fail.
inline EngineHooks failingStatement(std::string fragment) {
    EngineHooks hooks;
    hooks.beforeStatement = [fragment](std::string_view sql) {
        if (sql.find(fragment) != std::string_view::npos)
            throw DbError("execute", 1, "injected fault", std::string(sql));
    };
    return hooks;
}

// The dialog on a temporary account set: pair W1/I1 in warehouse mode, shown through the headless window.
class AccountSetDialogTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        m_set.exec("ALTER TABLE RdRecords ADD isOutQuantity_s float NULL");
        m_set.addWarehouse("W1", "Main store", "D1");
        m_set.addInventory("I1", "Bolt");
        SharedState& s = state();
        s.Conn = m_set.connect();
        s.WhCode = "W1";
        s.WhName = "Main store";
        s.InvCode = "I1";
        s.InvName = "Bolt";
        s.KeepDate = makeDate(2024, 1, 1);
        s.AccountSettings.Accounter = "acc";
        s.AccountSettings.Maker = "mk";
    }
    void TearDown() override {
        sharedState() = SharedState{};
        DialogTest::TearDown();
    }

    // A receipt of `lines` on pair W1/I1 whose issued quantities are all 0.
    void addReceipt(const Receipt& receipt, const std::vector<ReceiptLine>& lines) {
        m_set.addReceipt(receipt, lines);
        m_set.exec("UPDATE RdRecords SET isOutQuantity_s = 0 WHERE isOutQuantity_s IS NULL");
    }
    // Sets the pair's ledger totals.
    void pairTotals(double quantity, double money) {
        state().Quantity = quantity;
        state().Money = money;
    }
    // Shows the dialog and lets `driver` play the user.
    void show(HeadlessDialogWindow::Driver driver) {
        m_window.setDriver(std::move(driver));
        m_window.ShowModal();
    }
    [[nodiscard]] std::int64_t openingRows(std::string_view where = "1=1") const {
        return m_set.count("IA_Subsidiary", "cvoutype='34' and " + std::string(where));
    }

    AccountSet m_set;
};

}  // namespace tarvenish::test
