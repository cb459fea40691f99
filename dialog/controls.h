#pragma once
// The suite's user-interface controls as the adjustment dialog uses them: only the members it needs. Each
// control has a headless implementation (in memory, events raised by code) and a Qt one. Properties are read
// with the bare name and written with the same name and a value, as `grid.RowCount()` and `grid.RowCount(5)`.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tarvenish {

class KVControl {
public:
    virtual ~KVControl() = default;
    virtual void SetFocus() = 0;
    // True after SetFocus until another control takes the focus (headless: the last control focused).
    [[nodiscard]] virtual bool hasFocus() const = 0;
};

class KVLabel : public KVControl {
public:
    [[nodiscard]] virtual std::string Caption() const = 0;
    virtual void Caption(std::string_view text) = 0;
    // Marks the caption as one that asks for attention (on screen: in red); unmarked at design time.
    virtual void Marked(bool marked) { m_marked = marked; }
    [[nodiscard]] bool Marked() const noexcept { return m_marked; }

private:
    bool m_marked = false;
};

class KVFrame : public KVControl {
public:
    [[nodiscard]] virtual std::string Caption() const = 0;
    virtual void Caption(std::string_view text) = 0;
};

class KVEdit : public KVControl {
public:
    [[nodiscard]] virtual std::string Text() const = 0;
    virtual void Text(std::string_view text) = 0;
};

class KVCheckBox : public KVControl {
public:
    // 1 when ticked, 0 when not.
    [[nodiscard]] virtual int Value() const = 0;
    // Sets the tick without raising Click (design-time state, code).
    virtual void Value(int value) = 0;
    // Raised after the user has toggled the box; Value() already holds the new state.
    std::function<void()> Click;
    // What a user's click does: toggle, then raise Click.
    virtual void userClick() = 0;
};

class KVCommandButton : public KVControl {
public:
    [[nodiscard]] virtual std::string Caption() const = 0;
    // Raised on a click, with the button's index in its control array (0 for a lone button).
    std::function<void(std::int16_t index)> Click;
    // What a user's click does: raise Click with this button's index.
    virtual void userClick() = 0;
};

class KVGrid : public KVControl {
public:
    [[nodiscard]] virtual long RowCount() const = 0;
    // Adds empty rows or drops rows at the end.
    virtual void RowCount(long rows) = 0;
    [[nodiscard]] virtual long ColCount() const = 0;
    virtual void ColCount(long cols) = 0;
    // Rows and columns count from 0; a cell outside the grid throws std::out_of_range.
    [[nodiscard]] virtual std::string CellText(long row, long col) const = 0;
    virtual void CellText(long row, long col, std::string_view text) = 0;
    [[nodiscard]] virtual long ColumnWidth(long col) const = 0;
    // Width in twips; 0 hides the column (it still holds its texts).
    virtual void ColumnWidth(long col, long twips) = 0;
    [[nodiscard]] virtual long FixedRowCount() const = 0;
    virtual void FixedRowCount(long rows) = 0;
    [[nodiscard]] virtual long FixedColCount() const = 0;
    // Leading fixed columns take no edits.
    virtual void FixedColCount(long cols) = 0;
    [[nodiscard]] virtual long CurrentRow() const = 0;
    virtual void CurrentRow(long row) = 0;
    [[nodiscard]] virtual long CurrentCol() const = 0;
    virtual void CurrentCol(long col) = 0;
    virtual void SelEndRow(long row) = 0;
    virtual void SelEndCol(long col) = 0;
    // Fills the block from the current cell to (SelEndRow, SelEndCol): TAB between cells, carriage return
    // between rows; texts beyond the block are dropped, missing ones leave cells as they are.
    virtual void BlockText(std::string_view text) = 0;
    // Alignment code of the current cell; 4 centres it.
    virtual void CellAlign(std::int16_t align) = 0;
    [[nodiscard]] virtual std::int16_t cellAlignAt(long row, long col) const = 0;
    // Inserts a row at `index` whose first cells take the TAB-separated `text`.
    virtual void AddRow(std::string_view text, long index) = 0;
    virtual void RemoveRow(long index) = 0;
    // Empties the grid: no rows, no columns.
    virtual void ClearGrid() = 0;

    // Raised after the user has edited a cell, which already holds the typed text. The handler may change the
    // text (it becomes the cell's text) and sets status 1 to refuse the entry or 2 to accept it.
    std::function<void(std::string& text, long& status, long row, long col)> CellEdited;
    // What a user's edit does: put the text in the cell, raise CellEdited, keep the handler's text, or put
    // back the cell's previous text when the handler refused the entry (status 1). Returns the status the
    // handler left (0 when it left it alone). A fixed cell takes no edit: returns -1, nothing changes.
    virtual long userEdit(long row, long col, std::string_view text) = 0;
};

// The caption manager and the keyboard hook of the suite: present on the form, never called by the dialog.
class KVFrmCaption {
public:
    virtual ~KVFrmCaption() = default;
    [[nodiscard]] virtual std::string Caption() const = 0;
};
class KVKeyHookCtrl {
public:
    virtual ~KVKeyHookCtrl() = default;
};

}  // namespace tarvenish
