#pragma once
// In-memory controls: they hold their state, raise their events when code acts as the user, and show nothing.
// The Qt grid keeps its texts and geometry in a HeadlessGrid as well, so both fronts behave alike.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/controls.h"

namespace tarvenish {

// Which control of one window holds the keyboard focus: the last one focused.
class FocusScope final {
public:
    // Makes `control` the focused one.
    void give(const KVControl* control) noexcept { m_focused = control; }
    // True when `control` was the last one given the focus.
    [[nodiscard]] bool holds(const KVControl* control) const noexcept { return m_focused == control; }

private:
    const KVControl* m_focused = nullptr;
};

using FocusScopePtr = std::shared_ptr<FocusScope>;

// A control whose keyboard focus lives in its window's scope (a scope of its own when none is given).
template <typename Control>
class Focusable : public Control {
public:
    void SetFocus() override { m_scope->give(this); }
    [[nodiscard]] bool hasFocus() const override { return m_scope->holds(this); }

protected:
    explicit Focusable(FocusScopePtr scope)
        : m_scope(scope ? std::move(scope) : std::make_shared<FocusScope>()) {}

private:
    FocusScopePtr m_scope;
};

// A label or a frame: a caption, focused within `scope`.
template <typename Control>
class HeadlessCaptioned final : public Focusable<Control> {
public:
    explicit HeadlessCaptioned(std::string_view caption = {}, FocusScopePtr scope = nullptr)
        : Focusable<Control>(std::move(scope)), m_caption(caption) {}
    [[nodiscard]] std::string Caption() const override { return m_caption; }
    void Caption(std::string_view text) override { m_caption = text; }

private:
    std::string m_caption;
};

using HeadlessLabel = HeadlessCaptioned<KVLabel>;
using HeadlessFrame = HeadlessCaptioned<KVFrame>;

// The characters an edit box refuses as typed input (code may still set them through Text).
inline constexpr std::string_view kRefusedEditCharacters = "<>'\"|&,";

class HeadlessEdit final : public Focusable<KVEdit> {
public:
    // An empty edit box focused within `scope`.
    explicit HeadlessEdit(FocusScopePtr scope = nullptr);
    [[nodiscard]] std::string Text() const override { return m_text; }
    void Text(std::string_view text) override { m_text = text; }
    // What typing does: focuses the box and replaces its text with `typed` less the refused characters.
    void UserType(std::string_view typed);

private:
    std::string m_text;
};

class HeadlessCheckBox final : public Focusable<KVCheckBox> {
public:
    // A check box captioned `caption`, ticked when `value` is 1.
    explicit HeadlessCheckBox(std::string_view caption = {}, int value = 0, FocusScopePtr scope = nullptr);
    [[nodiscard]] int Value() const override { return m_value; }
    // Throws std::invalid_argument for anything but 0 and 1.
    void Value(int value) override;
    // Focuses the box, toggles it, then raises Click.
    void userClick() override;
    // The text beside the box.
    [[nodiscard]] std::string Caption() const { return m_caption; }

private:
    std::string m_caption;
    int m_value = 0;
};

class HeadlessCommandButton final : public Focusable<KVCommandButton> {
public:
    // A button captioned `caption` at `index` of its control array (0 for a lone button).
    explicit HeadlessCommandButton(std::string_view caption = {}, std::int16_t index = 0,
                                   FocusScopePtr scope = nullptr);
    [[nodiscard]] std::string Caption() const override { return m_caption; }
    // Focuses the button and raises Click with its index.
    void userClick() override;
    [[nodiscard]] std::int16_t Index() const noexcept { return m_index; }

private:
    std::string m_caption;
    std::int16_t m_index = 0;
};

class HeadlessGrid final : public Focusable<KVGrid> {
public:
    // Width in twips that a new column gets.
    static constexpr long kDefaultColumnWidth = 960;

    // An empty grid (no rows, no columns) focused within `scope`.
    explicit HeadlessGrid(FocusScopePtr scope = nullptr);

    [[nodiscard]] long RowCount() const override { return static_cast<long>(m_cells.size()); }
    // Throws std::out_of_range for a negative count.
    void RowCount(long rows) override;
    [[nodiscard]] long ColCount() const override { return m_cols; }
    // Throws std::out_of_range for a negative count.
    void ColCount(long cols) override;
    [[nodiscard]] std::string CellText(long row, long col) const override;
    void CellText(long row, long col, std::string_view text) override;
    [[nodiscard]] long ColumnWidth(long col) const override;
    // Throws std::out_of_range for a column outside the grid or a negative width.
    void ColumnWidth(long col, long twips) override;
    [[nodiscard]] long FixedRowCount() const override { return m_fixedRows; }
    // Throws std::out_of_range for a negative count.
    void FixedRowCount(long rows) override;
    [[nodiscard]] long FixedColCount() const override { return m_fixedCols; }
    void FixedColCount(long cols) override;
    [[nodiscard]] long CurrentRow() const override { return m_currentRow; }
    // Also moves the selection's far corner to the new row. Throws std::out_of_range outside the grid.
    void CurrentRow(long row) override;
    [[nodiscard]] long CurrentCol() const override { return m_currentCol; }
    // Also moves the selection's far corner to the new column. Throws std::out_of_range outside the grid.
    void CurrentCol(long col) override;
    // Throws std::out_of_range outside the grid.
    void SelEndRow(long row) override;
    void SelEndCol(long col) override;
    [[nodiscard]] long SelEndRow() const noexcept { return m_selEndRow; }
    [[nodiscard]] long SelEndCol() const noexcept { return m_selEndCol; }
    void BlockText(std::string_view text) override;
    // Throws std::out_of_range when the current cell is outside the grid.
    void CellAlign(std::int16_t align) override;
    [[nodiscard]] std::int16_t cellAlignAt(long row, long col) const override;
    // Throws std::out_of_range unless 0 <= index <= RowCount.
    void AddRow(std::string_view text, long index) override;
    // Throws std::out_of_range for a row outside the grid.
    void RemoveRow(long index) override;
    void ClearGrid() override;
    // Makes (row, col) current and focuses the grid, then edits as documented on KVGrid.
    long userEdit(long row, long col, std::string_view text) override;

    // True when (row, col) lies in the fixed rows or fixed columns.
    [[nodiscard]] bool isFixedCell(long row, long col) const noexcept;

private:
    struct Cell {
        std::string text;
        std::int16_t align = 0;
    };
    [[nodiscard]] const Cell& cellAt(long row, long col) const;
    [[nodiscard]] Cell& cellAt(long row, long col);
    void checkRow(long row) const;
    void checkCol(long col) const;
    void keepCurrentInside() noexcept;
    [[nodiscard]] std::vector<Cell> emptyRow() const {
        return std::vector<Cell>(static_cast<std::size_t>(m_cols));
    }

    std::vector<std::vector<Cell>> m_cells;
    std::vector<long> m_widths;
    long m_cols = 0;
    long m_fixedRows = 0;
    long m_fixedCols = 0;
    long m_currentRow = 0;
    long m_currentCol = 0;
    long m_selEndRow = 0;
    long m_selEndCol = 0;
};

// The suite's caption manager: holds its caption, does nothing else.
class HeadlessFrmCaption final : public KVFrmCaption {
public:
    explicit HeadlessFrmCaption(std::string_view caption = {}) : m_caption(caption) {}
    [[nodiscard]] std::string Caption() const override { return m_caption; }

private:
    std::string m_caption;
};

// The suite's keyboard hook: present, inert.
class HeadlessKeyHookCtrl final : public KVKeyHookCtrl {};

}  // namespace tarvenish
