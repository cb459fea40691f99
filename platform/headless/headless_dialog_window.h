#pragma once
// The adjustment dialog's window without a screen: its controls are headless, and what the user does is a
// driver function that runs while the window is shown.

#include <functional>
#include <memory>
#include <string>

#include "dialog/dialog_window.h"
#include "platform/headless/headless_controls.h"

namespace tarvenish {

// The window's controls, concrete, at their design-time state when constructed.
struct HeadlessFrmjustaccount {
    HeadlessFrmjustaccount();
    HeadlessFrmjustaccount(const HeadlessFrmjustaccount&) = delete;
    HeadlessFrmjustaccount& operator=(const HeadlessFrmjustaccount&) = delete;

    FocusScopePtr focus = std::make_shared<FocusScope>();
    HeadlessLabel Label1, Label2;
    HeadlessCommandButton Command1, Command2;
    HeadlessFrame Frame1;
    HeadlessLabel Label3, Label4, Label8, Label5, Label6, Label7;
    HeadlessEdit TxtWhare, TxtInv, TxtStyle, TxtQuan, TxtPrice, TxtMoney;
    HeadlessGrid Grid;
    HeadlessLabel Label9, Label10;
    HeadlessCheckBox ChkAver, ChKAuto;
    HeadlessCommandButton cmdOkCancel0, cmdOkCancel1;
    HeadlessKeyHookCtrl KVKeyHookCtrlPre;
    HeadlessFrmCaption KVFrmCaptionMgr;
    HeadlessLabel LabelPair, LabelDiff;

    // The same controls by their design-time names, as the dialog sees them.
    [[nodiscard]] FrmjustaccountControls view();
};

class HeadlessDialogWindow final : public DialogWindow {
public:
    // What the user does while the window is shown; it may click, edit, or close the window.
    using Driver = std::function<void(DialogWindow&)>;

    // A window at its design-time state whose showings run `driver` (none: the user closes it at once).
    explicit HeadlessDialogWindow(Driver driver = {});
    ~HeadlessDialogWindow() override = default;

    [[nodiscard]] FrmjustaccountControls& controls() override { return m_view; }
    [[nodiscard]] std::string Caption() const override;

    // Fresh controls, then Load, Activate, the driver, and a close as by the close box when the driver leaves
    // the window loaded. Throws what Load throws (the window is then not loaded); when Activate or the driver
    // throws, the window is unloaded and the error passed on. Throws std::logic_error when already shown.
    void ShowModal() override;
    // Raises Unload once and marks the window unloaded; does nothing when it is not loaded.
    void Close() override;
    [[nodiscard]] bool isLoaded() const override { return m_loaded; }

    // Replaces what the user does at the next showings.
    void setDriver(Driver driver) { m_driver = std::move(driver); }
    // The concrete controls of the current (or last) showing.
    [[nodiscard]] HeadlessFrmjustaccount& headlessControls() noexcept { return *m_controls; }
    // How many times the window has been shown.
    [[nodiscard]] int showCount() const noexcept { return m_showCount; }

private:
    void freshControls();

    Driver m_driver;
    std::unique_ptr<HeadlessFrmjustaccount> m_controls;
    FrmjustaccountControls m_view;
    bool m_loaded = false;
    bool m_closing = false;
    int m_showCount = 0;
};

}  // namespace tarvenish
