#pragma once
// The adjustment dialog's logic, written once against the suite's controls: loading a pair's receipt lines,
// editing them, adding and deleting lines, and the confirm and cancel buttons.

#include <cstdint>
#include <string>

namespace tarvenish {

class DialogWindow;
struct FrmjustaccountControls;
struct RunReport;

class Frmjustaccount final {
public:
    // Hooks the handlers to `window`'s load, activation and unload; the controls' events are hooked at each
    // load, since every showing brings fresh controls. What the dialog does with the pair is counted in
    // `report`. `window` and `report` must outlive this object.
    Frmjustaccount(DialogWindow& window, RunReport& report);
    // Unhooks every handler from the window.
    ~Frmjustaccount();
    Frmjustaccount(const Frmjustaccount&) = delete;
    Frmjustaccount& operator=(const Frmjustaccount&) = delete;

    // Fills the frame and the grid from SharedState's pair and its opening receipt lines. Throws on any
    // failure.
    void load();
    // Puts the focus on the grid.
    void activate();
    // Counts the pair failed in the run's report when its last rewrite failed, then lets the message resource
    // unload; never fails.
    void unload() noexcept;

    // After a cell edit of the grid: checks and reformats columns 69 to 71, keeps the line's figures in step
    // and recomputes the totals. Throws on a control or message failure.
    void cellEdited(std::string& text, long& status, long row, long col);
    // Click on ChKAuto: appends a balancing line when ticked and the totals differ. Throws on any failure.
    void chkAutoClick();
    // Click on ChkAver: applies TxtPrice to every line when ticked; skips failing steps.
    void chkAverClick() noexcept;
    // Click on Command1: appends an empty added line "JUST" and the next serial. Throws on any failure.
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
    // The last rewrite of this showing failed and none has succeeded since.
    bool m_commitFailed = false;
};

}  // namespace tarvenish
