#pragma once
// The suite's controls on screen, over Win32 child windows (the wide-character API). Each control keeps its
// own state as well, so that it still answers once its window is gone; events raised from the message loop
// never let an exception through it: a failing handler's exception goes to the control's failure sink.

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "dialog/controls.h"

struct HWND__;
struct HFONT__;

namespace tarvenish {

// Receives the exception of an event handler that failed inside the message loop.
using Win32FailureSink = std::function<void(std::exception_ptr)>;

// What the window procedure of the dialog asks of a child: its notifications and the colour of its text.
class Win32Child {
public:
    virtual ~Win32Child();
    Win32Child(const Win32Child&) = delete;
    Win32Child& operator=(const Win32Child&) = delete;

    // The child window, null once it has been destroyed.
    [[nodiscard]] HWND__* handle() const noexcept { return m_window; }
    // Creates the child window of `parent` with the window class, style and text given; owned from now on.
    void create(HWND__* parent, const wchar_t* windowClass, unsigned long style, unsigned long extendedStyle,
                std::string_view text, HFONT__* font);
    // Destroys the child window (the control keeps its state). Safe to call more than once.
    void destroy() noexcept;
    // Places the window in its parent's client area, in pixels.
    void place(int left, int top, int width, int height) noexcept;
    // After the window has been placed or resized.
    virtual void placed() noexcept {}
    // A notification code of WM_COMMAND from this child (BN_CLICKED, ...).
    virtual void notified(unsigned code);
    // The text colour the child is drawn in, as a COLORREF; negative for the system's.
    [[nodiscard]] virtual long textColour() const noexcept { return -1; }
    // The child a window handle belongs to, or null.
    [[nodiscard]] static Win32Child* of(HWND__* window) noexcept;
    void onHandlerFailure(Win32FailureSink sink) { m_sink = std::move(sink); }

protected:
    Win32Child() = default;
    // The window's text, or `cached` once the window is gone.
    [[nodiscard]] std::string windowText(const std::string& cached) const;
    void setWindowText(std::string_view text) noexcept;
    void focusWindow() noexcept;
    [[nodiscard]] bool windowHasFocus() const noexcept;
    // Runs a handler raised from the message loop; its exception goes to the sink, never through the loop.
    void raiseGuarded(const std::function<void()>& handler) noexcept;

private:
    HWND__* m_window = nullptr;
    Win32FailureSink m_sink;
};

class Win32Label final : public KVLabel, public Win32Child {
public:
    explicit Win32Label(std::string_view caption = {}) : m_caption(caption) {}
    ~Win32Label() override;
    Win32Label(const Win32Label&) = delete;
    Win32Label& operator=(const Win32Label&) = delete;
    // A static text at its caption, child of `parent`.
    void create(HWND__* parent, HFONT__* font);
    void SetFocus() override { focusWindow(); }
    [[nodiscard]] bool hasFocus() const override { return windowHasFocus(); }
    [[nodiscard]] std::string Caption() const override { return m_caption; }
    // Shows `text` as it is: an ampersand is no access key.
    void Caption(std::string_view text) override;
    // A marked label is drawn in red.
    using KVLabel::Marked;
    void Marked(bool marked) override;
    [[nodiscard]] long textColour() const noexcept override;
    // When on, a caption wider than the label is set smaller (down to 6 points) rather than cut; refits at
    // once and at every caption and size.
    void fitToWidth(bool on);
    void placed() noexcept override { refit(); }

private:
    void refit() noexcept;

    std::string m_caption;
    HFONT__* m_font = nullptr;
    HFONT__* m_fitted = nullptr;
    bool m_fitting = false;
};

class Win32Frame final : public KVFrame, public Win32Child {
public:
    explicit Win32Frame(std::string_view caption = {}) : m_caption(caption) {}
    // A group box; the controls it holds are its parent's children drawn over it.
    void create(HWND__* parent, HFONT__* font);
    void SetFocus() override { focusWindow(); }
    [[nodiscard]] bool hasFocus() const override { return windowHasFocus(); }
    [[nodiscard]] std::string Caption() const override { return m_caption; }
    void Caption(std::string_view text) override;

private:
    std::string m_caption;
};

// An edit box that refuses the characters < > ' " | & and comma as typed or pasted input; code may set any
// text.
class Win32Edit final : public KVEdit, public Win32Child {
public:
    void create(HWND__* parent, HFONT__* font);
    void SetFocus() override { focusWindow(); }
    [[nodiscard]] bool hasFocus() const override { return windowHasFocus(); }
    [[nodiscard]] std::string Text() const override;
    void Text(std::string_view text) override;

private:
    mutable std::string m_text;
};

class Win32CheckBox final : public KVCheckBox, public Win32Child {
public:
    // "&V" in the caption makes Alt+V its access key.
    Win32CheckBox(std::string_view caption, int value) : m_caption(caption), m_value(value) {}
    void create(HWND__* parent, HFONT__* font);
    void SetFocus() override { focusWindow(); }
    [[nodiscard]] bool hasFocus() const override { return windowHasFocus(); }
    [[nodiscard]] int Value() const override;
    // Throws std::invalid_argument for anything but 0 and 1.
    void Value(int value) override;
    // Toggles the box and raises Click; exceptions of Click reach the caller.
    void userClick() override;
    // A click of the user (the box has toggled itself): raises Click, guarded.
    void notified(unsigned code) override;

private:
    std::string m_caption;
    mutable int m_value;
};

// A push button; "&O" in the caption makes Alt+O its access key. Enter clicks it only when it has the focus.
class Win32CommandButton final : public KVCommandButton, public Win32Child {
public:
    Win32CommandButton(std::string_view caption, std::int16_t index) : m_caption(caption), m_index(index) {}
    void create(HWND__* parent, HFONT__* font);
    void SetFocus() override { focusWindow(); }
    [[nodiscard]] bool hasFocus() const override { return windowHasFocus(); }
    [[nodiscard]] std::string Caption() const override { return m_caption; }
    // Raises Click with the button's index; exceptions of Click reach the caller.
    void userClick() override;
    void notified(unsigned code) override;

private:
    std::string m_caption;
    std::int16_t m_index;
};

}  // namespace tarvenish
