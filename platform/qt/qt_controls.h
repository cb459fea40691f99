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
class QTableWidget;

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
    [[nodiscard]] bool HasFocus() const override;
    [[nodiscard]] std::string Caption() const override;
    // Shows `text` as plain text.
    void Caption(std::string_view text) override;
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
    [[nodiscard]] bool HasFocus() const override;
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
    [[nodiscard]] bool HasFocus() const override;
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
    [[nodiscard]] bool HasFocus() const override;
    [[nodiscard]] int Value() const override;
    // Throws std::invalid_argument for anything but 0 and 1.
    void Value(int value) override;
    // Toggles the box and raises Click; exceptions of Click reach the caller.
    void UserClick() override;
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
    [[nodiscard]] bool HasFocus() const override;
    [[nodiscard]] std::string Caption() const override;
    // Raises Click with the button's index; exceptions of Click reach the caller.
    void UserClick() override;
    void onHandlerFailure(HandlerFailureSink sink);
    [[nodiscard]] QPushButton* widget() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// A grid over a table widget. Row 0 of the grid is the table's first row; fixed rows are shown bold and, like
// fixed columns, take no edits. Columns of width 0 are hidden and keep their texts. A user's edit is
// committed through the table's delegate: the cell takes the typed text, CellEdited runs, the handler's text
// stays; an entry the handler refuses (status 1) keeps its text and leaves that cell current so the user can
// retype it.
class QtGrid final : public KVGrid {
public:
    explicit QtGrid(QWidget* parent = nullptr);
    ~QtGrid() override;
    void SetFocus() override;
    [[nodiscard]] bool HasFocus() const override;

    [[nodiscard]] long RowCount() const override;
    void RowCount(long rows) override;
    [[nodiscard]] long ColCount() const override;
    void ColCount(long cols) override;
    [[nodiscard]] std::string CellText(long row, long col) const override;
    void CellText(long row, long col, std::string_view text) override;
    [[nodiscard]] long ColumnWidth(long col) const override;
    void ColumnWidth(long col, long twips) override;
    [[nodiscard]] long FixedRowCount() const override;
    void FixedRowCount(long rows) override;
    [[nodiscard]] long FixedColCount() const override;
    void FixedColCount(long cols) override;
    [[nodiscard]] long CurrentRow() const override;
    void CurrentRow(long row) override;
    [[nodiscard]] long CurrentCol() const override;
    void CurrentCol(long col) override;
    void SelEndRow(long row) override;
    void SelEndCol(long col) override;
    void BlockText(std::string_view text) override;
    void CellAlign(std::int16_t align) override;
    [[nodiscard]] std::int16_t CellAlignAt(long row, long col) const override;
    void AddRow(std::string_view text, long index) override;
    void RemoveRow(long index) override;
    void ClearGrid() override;
    // Exceptions of CellEdited reach the caller.
    long UserEdit(long row, long col, std::string_view text) override;

    // Where a failing CellEdited raised by an edit in the table goes.
    void onHandlerFailure(HandlerFailureSink sink);
    [[nodiscard]] QTableWidget* widget() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace tarvenish
