#include "dialog/commit.h"

#include <charconv>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/number_format.h"
#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/run_journal.h"
#include "component/run_report.h"
#include "component/shared_state.h"
#include "dialog/confirm_guards.h"
#include "dialog/dialog_window.h"
#include "dialog/difference_line.h"
#include "dialog/error_mode.h"
#include "dialog/figure_limits.h"
#include "dialog/grid_layout.h"
#include "dialog/grid_totals.h"
#include "dialog/masks.h"
#include "dialog/opening_row_writer.h"
#include "ledger/db/connection.h"
#include "ledger/db/error.h"
#include "ledger/db/recordset.h"
#include "ledger/db/transaction.h"
#include "ledger/sql/statements.h"

namespace tarvenish {
namespace {

constexpr ErrorMode kMode = ErrorMode::SkipStep;

std::string messageOrEmpty(int number) {
    std::string text;
    runStep(kMode, [&] { text = messageText(number); });
    return text;
}

void showStop(int promptNumber, std::string_view more = {}) {
    std::string prompt = messageOrEmpty(promptNumber);
    if (!more.empty()) prompt += "\n" + std::string(more);
    const std::string title = messageOrEmpty(msg::kBoxTitle);
    runStep(kMode, [&] { static_cast<void>(showMessage(prompt, msgbox::kStop, title)); });
}

// The rewrite's failure, in the report as it happens (the log follows it there) and in the showing's result.
void recordCommitFailure(DialogShowing& showing, RunReport& report, const SharedState& state,
                         const std::exception& error) {
    runStep(kMode, [&] {
        const auto* dbError = dynamic_cast<const DbError*>(&error);
        StepFailure failure{
            "confirm pair " + state.WhCode + "/" + state.InvCode,
            dbError ? dbError->statement() : std::string(), error.what(),
            dbError != nullptr && (dbError->blocksEveryStatement() || dbError->isLockTimeout())};
        if (failure.blocksRun && showing.result.blocked.empty()) showing.result.blocked = failure.message;
        showing.result.failure = failure;
        report.recordFailure(std::move(failure));
    });
}

struct FigureCell {
    long row = 0;
    long col = 0;
    int refusal = 0;
};

// The first non-empty adjusted figure, in grid order, that is not a storable number, with its refusal.
std::optional<FigureCell> firstUnstorableFigure(const KVGrid& grid) {
    for (long row = 1; row < grid.RowCount(); ++row) {
        for (const long col : {grid::kQuantity, grid::kUnitPrice, grid::kMoney}) {
            const int refusal = figureRefusal(grid.CellText(row, col));
            if (refusal != 0) return FigureCell{row, col, refusal};
        }
    }
    return std::nullopt;
}

// Totals taken over such a figure would not be the figures written: the user is shown why (not a number, too
// large) on the first one. True when there was one. Throws when the grid cannot be read.
bool refuseUnstorableFigures(KVGrid& grid) {
    const std::optional<FigureCell> bad = firstUnstorableFigure(grid);
    if (!bad) return false;
    runStep(kMode, [&] {
        grid.CurrentRow(bad->row);
        grid.CurrentCol(bad->col);
    });
    showStop(bad->refusal);
    return true;
}

// The balancing line as the grid holds it now (the user may have edited or deleted it after it was added).
std::optional<BalancingLine> balancingLineOf(const KVGrid& grid, const std::string& voucherCode) {
    if (voucherCode.empty()) return std::nullopt;
    for (long row = grid.RowCount() - 1; row >= 1; --row) {
        if (grid.CellText(row, grid::kVoucherCode) != voucherCode) continue;
        return BalancingLine{voucherCode, leadingValue(grid.CellText(row, grid::kQuantity)),
                             leadingValue(grid.CellText(row, grid::kMoney))};
    }
    return std::nullopt;
}

void commitPair(DialogWindow& window, FrmjustaccountControls& controls, SharedState& state,
                DialogShowing& showing, RunReport& report) {
    if (refuseUnstorableFigures(*controls.Grid)) return;
    if (!totalsAgree(state)) {
        std::string gap;
        runStep(kMode, [&] { gap = totalsGapText(state); });
        showStop(msg::kTotalsDiffer, gap);
        return;
    }
    // Lines the user may not have looked at (a balancing line, an added line left empty) are shown with their
    // figures before anything is written; Cancel leaves the dialog open.
    bool confirmedLines = false;
    runStep(kMode, [&] { confirmedLines = addedLinesConfirmed(*controls.Grid, state); });
    if (!confirmedLines) return;
    RewriteCounts counts;
    try {
        counts = rewritePairRows(*controls.Grid, state, showing.mode, report.runId);
    } catch (const std::exception& error) {
        // Nothing was written: the pair keeps its old rows and the user may correct, retry or cancel. Closed
        // or cancelled now, the pair was not left as it was by choice: it failed.
        showing.result.outcome = PairOutcome::Failed;
        recordCommitFailure(showing, report, state, error);
        showStop(msg::kCommitFailed);
        return;
    }
    showing.result.outcome = PairOutcome::Confirmed;
    showing.result.confirmed =
        ConfirmedPair{state.SumQuantity, state.SumMoney, counts.deleted, counts.written, std::nullopt};
    runStep(kMode, [&] {
        showing.result.confirmed->balancing = balancingLineOf(*controls.Grid, showing.balancingVoucher);
    });
    runStep(kMode, [&] { window.Close(); });
}

}  // namespace

bool sameTo15Digits(double a, double b) {
    const auto rounded = [](double value) {
        // to_chars, not printf: the text must not follow the process locale's decimal separator.
        char text[40];
        const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15).ptr;
        double back = 0.0;
        return parseNumber(std::string_view(text, static_cast<std::size_t>(end - text)), back) ? back : value;
    };
    return rounded(a) == rounded(b);
}

namespace {
// The warehouse of the lines added in the dialog, by department.
std::string addedLineWarehouse(Connection& conn, const SharedState& state) {
    const std::string& remembered = state.AccountSettings.DepWhCode;
    // DepWhCode is the warehouse of the account set's first opening row, which may belong to another
    // department: an added line standing there would move to that department's pair at the next department
    // fill.
    Recordset warehouses;
    warehouses.setCursorLocation(CursorLocation::Client);
    warehouses.open(sql::departmentWarehouses(state.WhCode), conn, CursorType::Static, LockType::ReadOnly,
                    CommandType::Text);
    std::string first;
    for (; !warehouses.eof(); warehouses.moveNext()) {
        const std::string code = warehouses.field(0).displayText();
        if (code == remembered) return remembered;
        if (first.empty()) first = code;
    }
    return first.empty() ? remembered : first;
}
}  // namespace

RewriteCounts rewritePairRows(const KVGrid& grid, SharedState& state, PairMode mode, long runId) {
    Connection& conn = state.conn();
    if (conn.state() == 0) conn.open();

    Transaction transaction(conn);
    const auto journal = [&](JournalImage image) {
        if (runId != 0)
            journalPair(conn, mode, runId, state.WhCode, state.InvCode, JournalAction::Confirmed, image);
    };
    journal(JournalImage::Before);
    conn.execute(sql::commitDelete(state.Dialects.forPairs(), mode, state.WhCode, state.InvCode));
    RewriteCounts counts;
    counts.deleted = conn.lastChanges();

    // The table is opened on Conn itself, so that the new rows join the deletion's transaction.
    Recordset table;
    table.setCursorLocation(CursorLocation::Client);
    table.open(sql::kAppendTable, conn, CursorType::Unspecified, LockType::Optimistic, CommandType::Table);
    const long rows = grid.RowCount();
    const std::string warehouse =
        mode == PairMode::Department ? addedLineWarehouse(conn, state) : std::string();
    for (long row = 1; row < rows; ++row) {
        writeOpeningRow(table, grid, row, lineKindOf(grid.CellText(row, grid::kVoucherCode)), state, mode,
                        warehouse);
        ++counts.written;
    }
    std::unique_ptr<TableAppender> appender = table.closeTakingAppender();
    journal(JournalImage::After);
    transaction.commit();
    // Committed into a batch, the next confirm appends with the same prepared insert.
    conn.keepSpareAppender(sql::kAppendTable, std::move(appender));
    return counts;
}

void handleOkCancel(DialogWindow& window, std::int16_t index, DialogShowing& showing,
                    RunReport& report) noexcept {
    try {
        FrmjustaccountControls& controls = window.controls();
        SharedState& state = sharedState();
        // Checked before the options too: a balancing line taken from totals over such a figure would be
        // wrong.
        if (index == 0 && refuseUnstorableFigures(*controls.Grid)) return;

        std::optional<int> priceRefusal;
        runStep(kMode, [&] {
            if (controls.ChkAver->Value() != 1) return;
            // An average price that is no number would price every line at 0; a cancel need not say so.
            priceRefusal = averagePriceRefusal(controls);
            if (!priceRefusal) applyAveragePrice(controls, state);
        });
        if (priceRefusal && index == 0) {
            showStop(*priceRefusal);
            return;
        }
        runStep(kMode, [&] {
            if (controls.ChKAuto->Value() == 1 && appendBalancingLine(controls, state, kMode))
                showing.balancingVoucher = "JUST" + state.JustSerial;
        });

        if (index == 0) {
            commitPair(window, controls, state, showing, report);
        } else if (index == 1) {
            state.StopRun = true;
            showing.result.cancelled = true;
            runStep(kMode, [&] { window.Close(); });
        }
    } catch (...) {
        // Under the handler's continue-on-error mode nothing escapes into the window's event loop.
    }
}

}  // namespace tarvenish
