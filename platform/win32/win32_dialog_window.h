#pragma once
// The adjustment dialog's window on screen over Win32: a modal window owned by the host's active window, laid
// out from the design's twips at the system's DPI, with its own message loop while it is shown.

#include <functional>
#include <memory>
#include <string>

#include "dialog/dialog_window.h"

struct HWND__;

namespace tarvenish {

class Win32DialogWindow final : public DialogWindow {
public:
    // A window owned by `owner` and centred on it (on the screen's work area when there is none).
    explicit Win32DialogWindow(HWND__* owner = nullptr);
    ~Win32DialogWindow() override;
    Win32DialogWindow(const Win32DialogWindow&) = delete;
    Win32DialogWindow& operator=(const Win32DialogWindow&) = delete;

    [[nodiscard]] FrmjustaccountControls& controls() override;
    // The caption of the message resource (the design's when the resource cannot be read).
    [[nodiscard]] std::string Caption() const override;

    // Builds fresh controls, raises Load, then shows the window with its owner disabled and raises Activate
    // once it is on screen; runs the window's own message loop until it has been unloaded, then destroys the
    // window and enables the owner again. Throws what Load throws (nothing is then shown), std::runtime_error
    // when the window cannot be created, and after the window has gone the first failure of a handler
    // raised while it was shown (that failure unloads it). A WM_QUIT that arrives meanwhile unloads the
    // window and is posted again for the host's own loop.
    void ShowModal() override;
    // Raises Unload once and ends the message loop; nothing when not loaded. The close box does the same.
    void Close() override;
    [[nodiscard]] bool isLoaded() const override;

    // Runs `poll` every `milliseconds` from the message loop while the window is shown (message boxes of the
    // window included).
    void whileShown(unsigned milliseconds, std::function<void()> poll);
    // The window of the current showing, null when none is shown.
    [[nodiscard]] HWND__* window() const;

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace tarvenish
