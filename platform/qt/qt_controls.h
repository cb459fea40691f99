#pragma once
// The suite's controls on screen, over Qt widgets. Events raised from Qt's event loop never let an exception
// through the loop: a failing handler's exception goes to the control's failure sink instead.

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "dialog/controls.h"

class QWidget;
class QLabel;
class QGroupBox;
class QLineEdit;
class QCheckBox;
class QPushButton;

namespace tarvenish {

// Receives the exception of an event handler that failed inside Qt's event loop.
using HandlerFailureSink = std::function<void(std::exception_ptr)>;

// Twips per pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

// Each control owns its widget (created as a child of `parent`) and deletes it when destroyed, unless the
// parent has already done so.
class QtLabel final : public KVLabel {
public:
    explicit QtLabel(QWidget* parent = nullptr, std::string_view caption = {});
    ~QtLabel() override;
    void SetFocus() override;
    [[nodiscard]] bool hasFocus() const override;
    [[nodiscard]] std::string Caption() const override;
    // Shows `text` as plain text.
    void Caption(std::string_view text) override;
    // A marked label shows its text in red.
    using KVLabel::Marked;
    void Marked(bool marked) override;
    // When on, the text is set smaller (down to 6 points) as far as needed to fit the label's width, and
    // the whole text is also its tooltip; refits at once.
    void fitToWidth(bool on);
    [[nodiscard]] QLabel* widget() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

class QtFrame final : public KVFrame {
public:
    explicit QtFrame(QWidget* parent = nullptr, std::string_view caption = {});
    ~QtFrame() override;
    void SetFocus() override;
    [[nodiscard]] bool hasFocus() const override;
    [[nodiscard]] std::string Caption() const override;
    void Caption(std::string_view text) override;
    // The box; the controls inside the frame are its children.
    [[nodiscard]] QGroupBox* widget() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// An edit box that refuses the characters < > ' " | & and comma as typed input; code may set any text.
class QtEdit final : public KVEdit {
public:
    explicit QtEdit(QWidget* parent = nullptr);
    ~QtEdit() override;
    void SetFocus() override;
    [[nodiscard]] bool hasFocus() const override;
    [[nodiscard]] std::string Text() const override;
    void Text(std::string_view text) override;
    [[nodiscard]] QLineEdit* widget() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

class QtCheckBox final : public KVCheckBox {
public:
    explicit QtCheckBox(QWidget* parent = nullptr, std::string_view caption = {}, int value = 0);
    ~QtCheckBox() override;
    void SetFocus() override;
    [[nodiscard]] bool hasFocus() const override;
    [[nodiscard]] int Value() const override;
    // Throws std::invalid_argument for anything but 0 and 1.
    void Value(int value) override;
    // Toggles the box and raises Click; exceptions of Click reach the caller.
    void userClick() override;
    // Where a failing Click raised by a real click goes.
    void onHandlerFailure(HandlerFailureSink sink);
    [[nodiscard]] QCheckBox* widget() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// A push button; "&A" in the caption makes Alt+A its access key. Enter never clicks it unless it has the
// focus.
class QtCommandButton final : public KVCommandButton {
public:
    explicit QtCommandButton(QWidget* parent = nullptr, std::string_view caption = {},
                             std::int16_t index = 0);
    ~QtCommandButton() override;
    void SetFocus() override;
    [[nodiscard]] bool hasFocus() const override;
    [[nodiscard]] std::string Caption() const override;
    // Raises Click with the button's index; exceptions of Click reach the caller.
    void userClick() override;
    void onHandlerFailure(HandlerFailureSink sink);
    [[nodiscard]] QPushButton* widget() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace tarvenish
