#pragma once
// The grid on screen: a table view over a model of the grid's own cells, so that a change shows only what it
// changed.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "dialog/controls.h"
#include "platform/qt/qt_controls.h"

class QWidget;
class QTableView;

namespace tarvenish {

// The fixed rows show as the view's column headers and the visible fixed columns as its row headers (as wide
// as their widest text, their design width the least), so that both stay in view while the lines scroll; they
// take no edits. Columns of width 0 are hidden and keep their texts; the others can be resized by the user.
// A number in a cell of general alignment is right-aligned; Tab leaves the grid, the arrow keys move in it. A user's edit goes through the model: the cell
// takes the typed text, CellEdited runs, the handler's text stays; an entry the handler refuses (status 1)
// keeps its previous text and leaves that cell current so the user can retype it.
class QtGrid final : public KVGrid {
public:
    explicit QtGrid(QWidget* parent = nullptr);
    ~QtGrid() override;
    void SetFocus() override;
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

    // Where a failing CellEdited raised by an edit in the view goes.
    void onHandlerFailure(HandlerFailureSink sink);
    [[nodiscard]] QTableView* widget() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace tarvenish
