#pragma once
// The adjustment dialog's logic, written once against the suite's controls: loading a pair's receipt lines,
// editing them, adding and deleting lines, and the confirm and cancel buttons.

#include <cstdint>
#include <string>

#include "component/adjustment_presenter.h"
#include "dialog/commit.h"
#include "ledger/sql/statements.h"

namespace tarvenish {

class DialogWindow;
struct FrmjustaccountControls;
struct RunReport;

class Frmjustaccount final {
public:
    // Hooks the handlers to `window`'s load, activation and unload; the controls' events are hooked at each
    // load, since every showing brings fresh controls. The pair is keyed by `mode`; the dialog's failures are
    // recorded in `report`, and what it did with the pair is its result(). `window` and `report` must outlive
    // this object.
    Frmjustaccount(DialogWindow& window, RunReport& report, PairMode mode);
    // Unhooks every handler from the window.
    ~Frmjustaccount();
    Frmjustaccount(const Frmjustaccount&) = delete;
    Frmjustaccount& operator=(const Frmjustaccount&) = delete;

    // Fills the frame and the grid from SharedState's pair and its opening receipt lines. Throws on any
    // failure.
    void load();
    // Puts the focus on the grid.
    void activate();
    // Lets the message resource unload; never fails.
    void unload() noexcept;
    // What the latest showing did with its pair: final once the window has unloaded.
    [[nodiscard]] const DialogResult& result() const noexcept { return m_showing.result; }

    // After a cell edit of the grid: checks and reformats columns 69 to 71, keeps the line's figures in step
    // and recomputes the totals. Throws on a control or message failure.
    void cellEdited(std::string& text, long& status, long row, long col);
    // Click on ChKAuto: appends a balancing line when ticked and the totals differ. Throws on any failure.
    void chkAutoClick();
    // Click on ChkAver: applies TxtPrice to every line when ticked; skips failing steps.
    void chkAverClick() noexcept;
    // Click on Command1: appends an empty added line "JUST" and the next serial and makes its quantity the
    // current cell. Throws on any failure.
    void command1Click();
    // Click on Command2: deletes the current line after the user confirms. Throws on any failure.
    void command2Click();
    // Click on cmdOkCancel: 0 commits the pair's rows and closes, 1 stops the run and closes; never throws.
    void cmdOkCancelClick(std::int16_t index) noexcept;

private:
    [[nodiscard]] FrmjustaccountControls& controls();
    void hookControls();
    void fillGrid();

    DialogWindow& m_window;
    RunReport& m_report;
    DialogShowing m_showing;
};

}  // namespace tarvenish
