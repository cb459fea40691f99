#pragma once
// The grid on screen: a window of its own class drawn over the cells of a HeadlessGrid, so that both fronts
// keep their texts and geometry alike.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "dialog/controls.h"
#include "platform/win32/win32_controls.h"

namespace tarvenish {

// The fixed rows stay at the top and the visible fixed columns at the left while the lines scroll (the fixed
// columns as wide as their widest text, their design width the least); they take no edits. Columns of width
// 0 are hidden and keep their texts; the others can be resized by dragging their header's right edge. A
// number in a cell of general alignment is right-aligned. The arrow keys, Home, End and the page keys move
// the current cell, Tab leaves the grid; typing a character or F2 opens the current cell's editor, Enter or
// leaving it commits the entry, Escape drops it. A committed entry goes through userEdit: the cell takes the
// text, CellEdited runs, and a refused entry keeps its previous text and leaves that cell current.
class Win32Grid final : public KVGrid, public Win32Child {
public:
    Win32Grid();
    ~Win32Grid() override;

    // The grid's window, child of `parent`, drawn in `font` (the fixed row in `boldFont`) at `dpi`.
    void create(HWND__* parent, HFONT__* font, HFONT__* boldFont, int dpi);
    void SetFocus() override { focusWindow(); }
    [[nodiscard]] bool hasFocus() const override;

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
    [[nodiscard]] std::int16_t cellAlignAt(long row, long col) const override;
    void AddRow(std::string_view text, long index) override;
    void RemoveRow(long index) override;
    void ClearGrid() override;
    // Exceptions of CellEdited reach the caller.
    long userEdit(long row, long col, std::string_view text) override;

    // Commits an entry still open in the current cell's editor (before a button acts on the grid).
    void finishEditing() noexcept;

    // The window's state, for its window procedure.
    struct Impl;
    [[nodiscard]] Impl& impl() noexcept { return *m_impl; }

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace tarvenish
