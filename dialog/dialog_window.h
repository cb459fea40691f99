#pragma once
// One adjustment-dialog window with the controls of its design, headless or on screen. The dialog's logic is
// written once against this interface.

#include <functional>
#include <memory>
#include <string>

#include "dialog/controls.h"

namespace tarvenish {

// The controls of the window, by their design-time names.
struct FrmjustaccountControls {
    KVLabel* Label1 = nullptr;
    KVLabel* Label2 = nullptr;
    KVCommandButton* Command1 = nullptr;
    KVCommandButton* Command2 = nullptr;
    KVFrame* Frame1 = nullptr;
    KVLabel* Label3 = nullptr;
    KVEdit* TxtWhare = nullptr;
    KVLabel* Label4 = nullptr;
    KVEdit* TxtInv = nullptr;
    KVLabel* Label8 = nullptr;
    KVEdit* TxtStyle = nullptr;
    KVLabel* Label5 = nullptr;
    KVEdit* TxtQuan = nullptr;
    KVLabel* Label6 = nullptr;
    KVEdit* TxtPrice = nullptr;
    KVLabel* Label7 = nullptr;
    KVEdit* TxtMoney = nullptr;
    KVGrid* Grid = nullptr;
    KVLabel* Label9 = nullptr;
    KVLabel* Label10 = nullptr;
    KVCheckBox* ChkAver = nullptr;
    KVCheckBox* ChKAuto = nullptr;
    KVCommandButton* cmdOkCancel[2] = {nullptr, nullptr};
    KVKeyHookCtrl* KVKeyHookCtrlPre = nullptr;
    KVFrmCaption* KVFrmCaptionMgr = nullptr;
    // Beside the design: which pair of how many the run is at, and what the grid still lacks of the pair's
    // ledger totals.
    KVLabel* LabelPair = nullptr;
    KVLabel* LabelDiff = nullptr;
};

// The view of a form whose members carry the design-time names (cmdOkCancel0/1 for the button array).
template <typename Form>
[[nodiscard]] FrmjustaccountControls controlsOf(Form& form) {
    FrmjustaccountControls v;
    v.Label1 = &form.Label1;
    v.Label2 = &form.Label2;
    v.Command1 = &form.Command1;
    v.Command2 = &form.Command2;
    v.Frame1 = &form.Frame1;
    v.Label3 = &form.Label3;
    v.TxtWhare = &form.TxtWhare;
    v.Label4 = &form.Label4;
    v.TxtInv = &form.TxtInv;
    v.Label8 = &form.Label8;
    v.TxtStyle = &form.TxtStyle;
    v.Label5 = &form.Label5;
    v.TxtQuan = &form.TxtQuan;
    v.Label6 = &form.Label6;
    v.TxtPrice = &form.TxtPrice;
    v.Label7 = &form.Label7;
    v.TxtMoney = &form.TxtMoney;
    v.Grid = &form.Grid;
    v.Label9 = &form.Label9;
    v.Label10 = &form.Label10;
    v.ChkAver = &form.ChkAver;
    v.ChKAuto = &form.ChKAuto;
    v.cmdOkCancel[0] = &form.cmdOkCancel0;
    v.cmdOkCancel[1] = &form.cmdOkCancel1;
    v.KVKeyHookCtrlPre = &form.KVKeyHookCtrlPre;
    v.KVFrmCaptionMgr = &form.KVFrmCaptionMgr;
    v.LabelPair = &form.LabelPair;
    v.LabelDiff = &form.LabelDiff;
    return v;
}

class DialogWindow {
public:
    virtual ~DialogWindow() = default;
    // The controls at their design-time state (a fresh set for every showing).
    [[nodiscard]] virtual FrmjustaccountControls& controls() = 0;
    [[nodiscard]] virtual std::string Caption() const = 0;

    // Raised when the window loads (before it is shown), when it is activated, and when it unloads.
    std::function<void()> Load;
    std::function<void()> Activate;
    std::function<void()> Unload;

    // Loads and shows the window modally; returns once it has been unloaded. Throws what Load throws (the
    // window is then not shown).
    virtual void ShowModal() = 0;
    // Unloads the window (raising Unload), ending the modal display. Safe to call more than once.
    virtual void Close() = 0;
    [[nodiscard]] virtual bool isLoaded() const = 0;
};

}  // namespace tarvenish
