#pragma once
// The adjustment dialog's window on screen: a fixed-size modal dialog holding the controls of its design.

#include <memory>
#include <string>

#include "dialog/dialog_window.h"

class QDialog;
class QWidget;

namespace tarvenish {

class QtDialogWindow final : public DialogWindow {
public:
    // A window centred on `parent` (on the screen when there is none). Needs a running QApplication.
    explicit QtDialogWindow(QWidget* parent = nullptr);
    ~QtDialogWindow() override;
    QtDialogWindow(const QtDialogWindow&) = delete;
    QtDialogWindow& operator=(const QtDialogWindow&) = delete;

    [[nodiscard]] FrmjustaccountControls& controls() override;
    [[nodiscard]] std::string Caption() const override;

    // Builds fresh controls, raises Load, then shows the dialog modally and raises Activate once it is on
    // screen; returns when it has been unloaded. Throws what Load throws (nothing is then shown), and after
    // the dialog has gone, the first failure of a handler raised while it was shown (that failure unloads
    // it).
    void ShowModal() override;
    // Raises Unload once and ends the modal display; nothing when not loaded. The close box does the same.
    void Close() override;
    [[nodiscard]] bool isLoaded() const override;

    // The dialog widget of the current (or last) showing.
    [[nodiscard]] QDialog* dialog() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace tarvenish
