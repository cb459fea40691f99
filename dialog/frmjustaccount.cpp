#include "dialog/frmjustaccount.h"

#include "base/number_format.h"
#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/shared_state.h"
#include "dialog/commit.h"
#include "dialog/confirm_guards.h"
#include "dialog/dialog_window.h"
#include "dialog/grid_layout.h"
#include "dialog/grid_totals.h"
#include "dialog/masks.h"
#include "ledger/db/recordset.h"
#include "ledger/sql/statements.h"

namespace tarvenish {

Frmjustaccount::Frmjustaccount(DialogWindow& window, RunReport& report, PairMode mode)
    : m_window(window), m_report(report), m_showing{mode, {}, {}} {
    m_window.Load = [this] { load(); };
    m_window.Activate = [this] { activate(); };
    m_window.Unload = [this] { unload(); };
}

Frmjustaccount::~Frmjustaccount() {
    m_window.Load = nullptr;
    m_window.Activate = nullptr;
    m_window.Unload = nullptr;
}

FrmjustaccountControls& Frmjustaccount::controls() {
    return m_window.controls();
}

void Frmjustaccount::hookControls() {
    FrmjustaccountControls& c = controls();
    c.Grid->CellEdited = [this](std::string& text, long& status, long row, long col) {
        cellEdited(text, status, row, col);
    };
    c.ChKAuto->Click = [this] { chkAutoClick(); };
    c.ChkAver->Click = [this] { chkAverClick(); };
    c.Command1->Click = [this](std::int16_t) { command1Click(); };
    c.Command2->Click = [this](std::int16_t) { command2Click(); };
    for (KVCommandButton* button : c.cmdOkCancel) {
        button->Click = [this](std::int16_t index) { cmdOkCancelClick(index); };
    }
}

void Frmjustaccount::load() {
    m_showing = DialogShowing{m_showing.mode, {}, {}};
    hookControls();
    FrmjustaccountControls& c = controls();
    const SharedState& state = sharedState();

    c.Label3->Caption(
        messageText(m_showing.mode == PairMode::Department ? msg::kDepartment : msg::kWarehouse));
    c.TxtWhare->Text(state.WhName);
    c.TxtInv->Text(state.InvCode + "/" + state.InvName);
    c.TxtStyle->Text(state.InvStd);
    c.TxtQuan->Text(formatNumber(state.Quantity, quantityMask(state)));
    if (state.Quantity != 0.0) c.TxtPrice->Text(formatNumber(state.Money / state.Quantity, priceMask(state)));
    c.TxtMoney->Text(formatNumber(state.Money, kMoneyMask));
    if (c.LabelPair != nullptr && state.PairCount > 0) {
        c.LabelPair->Caption(fillMessage(messageText(msg::kPairPosition),
                                         {state.WhCode, state.InvCode, std::to_string(state.PairNumber),
                                          std::to_string(state.PairCount)}));
    }
    fillGrid();
}

void Frmjustaccount::fillGrid() {
    FrmjustaccountControls& c = controls();
    KVGrid& g = *c.Grid;
    SharedState& state = sharedState();
    g.ClearGrid();

    const Statement statement = sql::receiptLines(
        state.Dialects.forPairs(), m_showing.mode, state.KeepDate, state.AccountSettings.QuantityDigits,
        state.AccountSettings.PriceDigits, state.WhCode, state.InvCode);
    Recordset lines;
    openReadOnlyQuery(lines, statement, state.conn().connectionString(), CursorType::Static);
    const long records = lines.recordCount();
    const long fields = static_cast<long>(lines.fieldCount());

    if (records < 1) {
        g.RowCount(records + 2);
        g.ColCount(fields + 3);
        g.FixedRowCount(1);
        g.RemoveRow(1);
        g.FixedColCount(fields);
    } else {
        g.RowCount(records + 1);
        g.ColCount(fields + 3);
        g.CurrentRow(1);
        g.CurrentCol(0);
        g.SelEndRow(g.RowCount() - 1);
        g.SelEndCol(g.ColCount() - 4);
        g.BlockText(lines.getString());
        g.CurrentRow(1);
        g.FixedRowCount(1);
        g.FixedColCount(fields);
    }
    lines.close();
    const long cols = g.ColCount();
    g.CellText(grid::kHeaderRow, grid::kVoucherCode, messageText(msg::kVoucherCodeHeader));
    g.CellText(grid::kHeaderRow, cols - 3, messageText(msg::kQuantityHeader));
    g.CellText(grid::kHeaderRow, cols - 2, messageText(msg::kUnitPriceHeader));
    g.CellText(grid::kHeaderRow, cols - 1, messageText(msg::kMoneyHeader));

    for (long col = 0; col < cols; ++col) {
        const bool figure = col >= grid::kQuantity && col <= grid::kMoney;
        g.ColumnWidth(col, col == grid::kVoucherCode ? grid::kVoucherCodeWidth
                           : figure                  ? grid::kFigureWidth
                                                     : 0);
        g.CurrentCol(col);
        // The header row is made current also for an empty grid, so that every header cell is centred.
        g.CurrentRow(grid::kHeaderRow);
        g.CellAlign(grid::kCentred);
    }

    for (long row = 1; row < g.RowCount(); ++row) {
        g.CellText(row, grid::kQuantity, g.CellText(row, grid::kLoadedQuantity));
        g.CellText(row, grid::kUnitPrice, g.CellText(row, grid::kLoadedUnitCost));
        g.CellText(row, grid::kMoney, g.CellText(row, grid::kLoadedMoney));
    }
    recomputeGridTotals(c, state);
}

void Frmjustaccount::activate() {
    controls().Grid->SetFocus();
}

void Frmjustaccount::unload() noexcept {
    unloadMessages();
}

void Frmjustaccount::chkAutoClick() {
    FrmjustaccountControls& c = controls();
    SharedState& state = sharedState();
    if (c.ChKAuto->Value() == 1 && appendBalancingLine(c, state, ErrorMode::Propagate))
        m_showing.balancingVoucher = "JUST" + state.JustSerial;
    c.Grid->SetFocus();
}

void Frmjustaccount::chkAverClick() noexcept {
    runStep(ErrorMode::SkipStep, [&] {
        FrmjustaccountControls& c = controls();
        if (c.ChkAver->Value() != 1) return;
        if (const std::optional<int> refusal = averagePriceRefusal(c)) {
            // The box is unticked again: ticked, the confirm would apply the same price.
            c.ChkAver->Value(0);
            static_cast<void>(showMessage(messageText(*refusal), msgbox::kStop, messageText(msg::kBoxTitle)));
            return;
        }
        applyAveragePrice(c, sharedState());
    });
    runStep(ErrorMode::SkipStep, [&] { controls().Grid->SetFocus(); });
}

void Frmjustaccount::cmdOkCancelClick(std::int16_t index) noexcept {
    handleOkCancel(m_window, index, m_showing, m_report);
}

}  // namespace tarvenish
